// The keyword file: one keyword per line, "word" or "word,kind", in UTF-8
// or CP932. Lines starting with "//" and empty lines are skipped.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kestrel {

struct KeywordLine {
  std::u16string word;
  int32_t kind = 1;  // 1 or 2; anything else in the file becomes 1
};

// A UTF-8 byte-order mark or valid UTF-8 means UTF-8, anything else CP932.
// Invalid bytes become U+FFFD; the text is never refused.
std::u16string DecodeKeywordFileText(std::string_view bytes);

// Splits decoded text into keyword lines (CR LF, LF or CR line ends). A NUL
// character ends its line's text, as the line reader of a C runtime would.
std::vector<KeywordLine> ParseKeywordLines(std::u16string_view text);

}  // namespace kestrel
