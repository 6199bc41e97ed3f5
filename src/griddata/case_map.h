// Upper and lower case of Unicode text for the case-conversion processes:
// Latin (ASCII, Latin-1, Latin Extended-A), Greek, Cyrillic, full-width
// Latin letters, Roman numerals, circled letters and Deseret (beyond U+FFFF,
// as surrogate pairs). Characters without a case are left alone, and the
// mapping never changes the length of a text in characters.
#pragma once

#include <string>
#include <string_view>

namespace kestrel {

char32_t to_upper_cp(char32_t c);
char32_t to_lower_cp(char32_t c);
std::u16string to_upper_text(std::u16string_view s);
std::u16string to_lower_text(std::u16string_view s);

}  // namespace kestrel
