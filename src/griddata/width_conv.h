// Half-width / full-width conversion of Japanese text. Both directions walk
// the text code point by code point (a surrogate pair stays one unit) and
// return whether any character fell under a conversion rule.
#pragma once

#include <string>
#include <string_view>

namespace kestrel {

// alnum: U+0020..U+007E to full width (space to U+3000, backslash to U+FFE5,
// tilde to U+FFE3). kana: half-width katakana to full width, joining a
// voiced or semi-voiced mark with its base (ｶﾞ to ガ, ﾊﾟ to パ).
bool to_zenkaku(std::u16string_view in, std::u16string& out, bool alnum, bool kana);
// alnum: U+FF01..U+FF5D and six special characters to ASCII (U+FF5E and the
// wave dash U+301C stay). kana: full-width katakana to half width, a voiced
// kana becoming its base plus U+FF9E (ヴ and hiragana stay).
bool to_hankaku(std::u16string_view in, std::u16string& out, bool alnum, bool kana);

}  // namespace kestrel
