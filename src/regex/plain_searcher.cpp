// Plain-text search (Sunday's variant of Boyer-Moore) for search texts that
// are not patterns. The window moves by the shift of the unit just past it;
// the shift table is indexed by a unit's low byte (units sharing a low byte
// share the smallest shift, so no occurrence is skipped). Case-insensitive
// search folds ASCII A-Z and full-width Ａ-Ｚ unit by unit while comparing,
// so the subject is never copied.
#include <algorithm>

#include "platform/utf16.h"
#include "regex/regex_p.h"

namespace kestrel::rx {

namespace {

inline char16_t fold_unit(char16_t u) {
  if (u >= u'A' && u <= u'Z') return static_cast<char16_t>(u + 32);
  if (u >= 0xFF21 && u <= 0xFF3A) return static_cast<char16_t>(u + 0x20);
  return u;
}

}  // namespace

PlainSearcher::PlainSearcher(std::u16string_view needle, bool ignore_case)
    : needle_(needle), ignore_case_(ignore_case) {
  if (ignore_case_) {
    for (char16_t& u : needle_) u = fold_unit(u);
  }
  const std::size_t m = needle_.size();
  for (std::uint32_t& s : shift_) s = static_cast<std::uint32_t>(m + 1);
  for (std::size_t j = 0; j < m; ++j) {
    const std::uint32_t s = static_cast<std::uint32_t>(m - j);
    if (ignore_case_) {
      // A folded unit stands for its capital too.
      const char16_t u = needle_[j];
      shift_[u & 0xFF] = s;
      if (u >= u'a' && u <= u'z') shift_[(u - 32) & 0xFF] = std::min(shift_[(u - 32) & 0xFF], s);
      if (u >= 0xFF41 && u <= 0xFF5A) shift_[(u - 0x20) & 0xFF] = std::min(shift_[(u - 0x20) & 0xFF], s);
    } else {
      shift_[needle_[j] & 0xFF] = s;
    }
  }
}

std::size_t PlainSearcher::find(std::u16string_view hay, std::size_t from) {
  const std::size_t m = needle_.size();
  const std::size_t n = hay.size();
  if (from > n) return std::u16string_view::npos;
  if (m == 0) return from;
  const char16_t* h = hay.data();
  const char16_t* nd = needle_.data();
  const char16_t first = nd[0];
  std::size_t i = from;
  while (i + m <= n) {
    bool hit;
    if (ignore_case_) {
      hit = fold_unit(h[i]) == first;
      for (std::size_t j = 1; hit && j < m; ++j) hit = fold_unit(h[i + j]) == nd[j];
    } else {
      hit = h[i] == first && std::char_traits<char16_t>::compare(h + i + 1, nd + 1, m - 1) == 0;
    }
    if (hit && !(i > 0 && is_low_surrogate(h[i]) && is_high_surrogate(h[i - 1]))) return i;
    if (i + m >= n) break;
    i += shift_[h[i + m] & 0xFF];
  }
  return std::u16string_view::npos;
}

}  // namespace kestrel::rx
