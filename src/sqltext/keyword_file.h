// The keyword file: one keyword per line, "word" or "word,kind", in UTF-8
// or CP932 (decoded by the platform's text-file reader). Lines starting with
// "//" and empty lines are skipped.
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

// Splits decoded text into keyword lines (CR LF, LF or CR line ends). A NUL
// character ends its line's text, as the line reader of a C runtime would.
std::vector<KeywordLine> ParseKeywordLines(std::u16string_view text);

}  // namespace kestrel
