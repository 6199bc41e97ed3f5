// Character classes: building a class from its members and closing it under
// case and width folding, plus the shorthand classes (\d \w \s \l ...).
#include <algorithm>

#include "regex/regex_p.h"

namespace kestrel::rx {

namespace {

// Ranges of code points whose fold differs from themselves, for any flags.
struct Zone {
  char32_t lo, hi;
};
constexpr Zone kFoldZones[] = {
    {0x41, 0x5A}, {0x2018, 0x2019}, {0x201D, 0x201D}, {0x3000, 0x3000},
    {0xFF01, 0xFF5D}, {0xFFE3, 0xFFE3}, {0xFFE5, 0xFFE5},
};

void set_bit(std::uint64_t map[2], char32_t c) { map[c >> 6] |= std::uint64_t{1} << (c & 63); }

}  // namespace

void fold_preimage(char32_t c, unsigned fold, std::vector<char32_t>& out) {
  out.clear();
  out.push_back(c);
  if (fold == 0) return;
  const char32_t target = fold_char(c, fold);
  if (target != c) return;  // c is not a fold result; only itself
  for (const Zone& z : kFoldZones) {
    for (char32_t x = z.lo; x <= z.hi; ++x) {
      if (x != c && fold_char(x, fold) == target) out.push_back(x);
    }
  }
}

bool is_word_char(char32_t c) {
  return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
}

void ClassBuilder::add_ascii_map(const std::uint64_t map[2]) {
  for (char32_t c = 0; c < 128; ++c) {
    if ((map[c >> 6] >> (c & 63)) & 1) add(c);
  }
}

void add_shorthand(ClassBuilder& b, ShorthandClass k, bool space_has_lf) {
  std::uint64_t map[2] = {0, 0};
  bool complement = false;
  switch (k) {
    case ShorthandClass::kDigit:
    case ShorthandClass::kNotDigit:
      for (char32_t c = '0'; c <= '9'; ++c) set_bit(map, c);
      complement = k == ShorthandClass::kNotDigit;
      break;
    case ShorthandClass::kWord:
    case ShorthandClass::kNotWord:
      for (char32_t c = 0; c < 128; ++c) {
        if (is_word_char(c)) set_bit(map, c);
      }
      complement = k == ShorthandClass::kNotWord;
      break;
    case ShorthandClass::kSpace:
      set_bit(map, '\t');
      set_bit(map, '\f');
      set_bit(map, ' ');
      if (space_has_lf) set_bit(map, '\n');
      break;
    case ShorthandClass::kNotSpace:
      // The complement of tab, form feed and space; never a line feed.
      set_bit(map, '\t');
      set_bit(map, '\f');
      set_bit(map, ' ');
      set_bit(map, '\n');
      complement = true;
      break;
    case ShorthandClass::kLineSpace:
      for (char32_t c : {U'\t', U'\n', U'\f', U'\r', U' '}) set_bit(map, c);
      break;
  }
  if (complement) {
    map[0] = ~map[0];
    map[1] = ~map[1];
    b.add_non_ascii();
  }
  b.add_ascii_map(map);
}

CharClass ClassBuilder::build(bool negated, unsigned fold) const {
  std::vector<std::pair<char32_t, char32_t>> all = ranges_;
  if (fold != 0) {
    // Close the explicit members under folding: add the fold of every member
    // that lies in a zone where folding changes characters.
    for (const auto& r : ranges_) {
      for (const Zone& z : kFoldZones) {
        const char32_t lo = std::max(r.first, z.lo);
        const char32_t hi = std::min(r.second, z.hi);
        for (char32_t x = lo; x <= hi && lo <= hi; ++x) {
          const char32_t f = fold_char(x, fold);
          if (f != x) all.emplace_back(f, f);
        }
      }
    }
  }
  std::sort(all.begin(), all.end());
  CharClass cls;
  cls.negated = negated;
  cls.fold = fold;
  cls.non_ascii_all = non_ascii_all_;
  for (const auto& r : all) {
    char32_t lo = r.first;
    const char32_t hi = r.second;
    for (; lo <= hi && lo < 128; ++lo) set_bit(cls.ascii, lo);
    if (lo > hi) continue;
    if (!cls.ranges.empty() && lo <= cls.ranges.back().second + 1) {
      cls.ranges.back().second = std::max(cls.ranges.back().second, hi);
    } else {
      cls.ranges.emplace_back(lo, hi);
    }
  }
  return cls;
}

}  // namespace kestrel::rx
