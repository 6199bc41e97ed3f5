#include "gridctrl/grid_highlight.h"

#include "platform/utf16.h"
#include "regex/regex.h"

namespace kestrel {

std::vector<std::pair<std::size_t, std::size_t>> HighlightSpans(Regex& re, std::u16string_view text) {
  std::vector<std::pair<std::size_t, std::size_t>> spans;
  std::size_t pos = 0;
  while (pos <= text.size()) {
    if (re.execute(text, pos) != 1) {
      if (re.abandoned()) spans.clear();
      break;
    }
    std::size_t s = static_cast<std::size_t>(re.match_start());
    std::size_t e = static_cast<std::size_t>(re.match_end());
    if (e > s) {
      spans.emplace_back(s, e);
      pos = e;
    } else {
      if (s >= text.size()) break;
      pos = s + ((is_high_surrogate(text[s]) && s + 1 < text.size() && is_low_surrogate(text[s + 1])) ? 2 : 1);
    }
  }
  return spans;
}

}  // namespace kestrel
