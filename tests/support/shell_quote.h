// Quotes a text for /bin/sh, so tests can hand paths with blanks or quotes
// to the ocilite tool through system().
#pragma once

#include <string>

namespace kestrel::testing {

inline std::string shell_quote(const std::string& s) {
  std::string out = "'";
  for (char c : s) {
    if (c == '\'') out += "'\\''";
    else out += c;
  }
  return out + "'";
}

}  // namespace kestrel::testing
