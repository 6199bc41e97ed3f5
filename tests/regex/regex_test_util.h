// Helpers shared by the regex tests: run a pattern and describe the outcome
// as one readable string.
#pragma once

#include <string>

#include "platform/utf16.h"
#include "regex/regex.h"

namespace kestrel::testing {

inline constexpr unsigned I = kRegexIgnoreCase;
inline constexpr unsigned W = kRegexIgnoreWidth;
inline constexpr unsigned N = kRegexNoOptimize;

// "ERROR", "NOMATCH", "ABANDONED" or "@start:group0|group1|..." with group
// texts in UTF-8 and "~" for a group that did not take part.
// Describes the registers of the last execute.
inline std::string describe_registers(const Regex& re, std::u16string_view subject, bool found) {
  if (!found) return re.abandoned() ? "ABANDONED" : "NOMATCH";
  std::string out = "@" + std::to_string(re.match_start()) + ":";
  for (int g = 0; g <= re.group_count(); ++g) {
    TextPos s = kNoTextPos, e = kNoTextPos;
    re.submatch(g, &s, &e);
    if (g > 0) out += "|";
    if (s == kNoTextPos) {
      out += "~";
    } else {
      out += utf16_to_utf8(subject.substr(static_cast<std::size_t>(s), static_cast<std::size_t>(e - s)));
    }
  }
  return out;
}

inline std::string describe_match(Regex& re, std::u16string_view subject) {
  return describe_registers(re, subject, re.execute(subject) == 1);
}

inline std::string run_pattern(std::string_view pattern, unsigned flags, std::string_view subject) {
  auto re = compile_regex(utf8_to_utf16(pattern), flags);
  if (!re) return "ERROR";
  return describe_match(*re, utf8_to_utf16(subject));
}

}  // namespace kestrel::testing
