// Plain-text search (Sunday's variant of Boyer-Moore) for search texts that
// are not patterns. The window moves by the shift of the unit just past it:
// the distance from that unit's last occurrence in the search text to the
// end, plus one (the table has one entry per UTF-16 unit). Case-insensitive
// search folds ASCII A-Z and full-width Ａ-Ｚ unit by unit while comparing,
// so the subject is never copied. On x86-64 a case-sensitive search first
// runs an SSE2 filter on each window's first and last unit (much faster than
// any skip loop on CJK text, where shifts are short); Sunday's loop finishes
// the tail and serves every other case.
#include <algorithm>
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "platform/utf16.h"
#include "regex/regex_p.h"

namespace kestrel::rx {

namespace {

inline char16_t fold_unit(char16_t u) {
  if (u >= u'A' && u <= u'Z') return static_cast<char16_t>(u + 32);
  if (u >= 0xFF21 && u <= 0xFF3A) return static_cast<char16_t>(u + 0x20);
  return u;
}

bool inside_pair(const char16_t* h, std::size_t i) {
  return i > 0 && is_low_surrogate(h[i]) && is_high_surrogate(h[i - 1]);
}

#if defined(__SSE2__)
// Case-sensitive search with SSE2: eight windows at a time are tested on
// their first and last unit; only windows passing both are compared in full.
// Returns npos when the vector loop finds nothing; `i` is then where a
// scalar loop must go on (the last windows).
std::size_t find_sse2(const char16_t* h, std::size_t n, const char16_t* nd, std::size_t m, std::size_t& i) {
  const __m128i first = _mm_set1_epi16(static_cast<short>(nd[0]));
  const __m128i last = _mm_set1_epi16(static_cast<short>(nd[m - 1]));
  for (; i + m - 1 + 8 <= n; i += 8) {
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(h + i));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(h + i + m - 1));
    unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi16(a, first), _mm_cmpeq_epi16(b, last))));
    while (mask != 0) {
      const unsigned bit = static_cast<unsigned>(__builtin_ctz(mask));
      const std::size_t j = i + bit / 2;
      if ((m <= 2 || std::memcmp(h + j + 1, nd + 1, (m - 2) * sizeof(char16_t)) == 0) && !inside_pair(h, j)) return j;
      mask &= ~(3u << bit);
    }
  }
  return std::u16string_view::npos;
}
#endif

}  // namespace

std::size_t find_units(std::u16string_view hay, std::size_t from, std::u16string_view needle) {
  const std::size_t m = needle.size();
  const std::size_t n = hay.size();
  if (m == 0) return from <= n ? from : std::u16string_view::npos;
  std::size_t i = from;
#if defined(__SSE2__)
  const std::size_t at = find_sse2(hay.data(), n, needle.data(), m, i);
  if (at != std::u16string_view::npos) return at;
#endif
  for (; i + m <= n; ++i) {
    if (hay[i] == needle[0] && hay.substr(i, m) == needle && !inside_pair(hay.data(), i)) return i;
  }
  return std::u16string_view::npos;
}

PlainSearcher::PlainSearcher(std::u16string_view needle, bool ignore_case)
    : needle_(needle), ignore_case_(ignore_case) {
  if (ignore_case_) {
    for (char16_t& u : needle_) u = fold_unit(u);
  }
  const std::size_t m = needle_.size();
  auto cap = [](std::size_t v) { return static_cast<std::uint16_t>(std::min<std::size_t>(v, 0xFFFF)); };
  shift_.assign(0x10000, cap(m + 1));
  for (std::size_t j = 0; j < m; ++j) {
    const std::uint16_t s = cap(m - j);
    const char16_t u = needle_[j];
    shift_[u] = s;
    if (ignore_case_) {
      // A folded unit stands for its capital too.
      if (u >= u'a' && u <= u'z') shift_[u - 32] = s;
      if (u >= 0xFF41 && u <= 0xFF5A) shift_[u - 0x20] = s;
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
#if defined(__SSE2__)
  if (!ignore_case_) {
    const std::size_t at = find_sse2(h, n, nd, m, i);
    if (at != std::u16string_view::npos) return at;
  }
#endif
  while (i + m <= n) {
    bool hit;
    if (ignore_case_) {
      hit = fold_unit(h[i]) == first;
      for (std::size_t j = 1; hit && j < m; ++j) hit = fold_unit(h[i + j]) == nd[j];
    } else {
      hit = h[i] == first && std::char_traits<char16_t>::compare(h + i + 1, nd + 1, m - 1) == 0;
    }
    if (hit && !inside_pair(h, i)) return i;
    if (i + m >= n) break;
    i += shift_[h[i + m]];
  }
  return std::u16string_view::npos;
}

}  // namespace kestrel::rx
