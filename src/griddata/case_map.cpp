#include "griddata/case_map.h"

#include "platform/utf16.h"

namespace kestrel {
namespace {

// Ranges where upper and lower case letters differ by a fixed offset.
struct Shift {
  char32_t first, last;  // upper-case range
  int32_t delta;         // lower = upper + delta
};
constexpr Shift kShifts[] = {
    {0x0041, 0x005A, 32},    {0x00C0, 0x00D6, 32},   {0x00D8, 0x00DE, 32},
    {0x0391, 0x03A1, 32},    {0x03A3, 0x03AB, 32},   {0x0388, 0x038A, 37},
    {0x0410, 0x042F, 32},    {0x0400, 0x040F, 80},   {0xFF21, 0xFF3A, 32},
    {0x2160, 0x216F, 16},    {0x24B6, 0x24CF, 26},   {0x10400, 0x10427, 40},
};

// Ranges of alternating pairs: even code point upper, odd lower (or the
// reverse when `odd_upper`).
struct Pairs {
  char32_t first, last;
  bool odd_upper;
};
constexpr Pairs kPairs[] = {
    {0x0100, 0x012F, false}, {0x0132, 0x0137, false}, {0x0139, 0x0148, true},
    {0x014A, 0x0177, false}, {0x0179, 0x017E, true},  {0x0460, 0x0481, false},
    {0x048A, 0x04BF, false}, {0x04D0, 0x04FF, false}, {0x1E00, 0x1E95, false},
    {0x1EA0, 0x1EFF, false},
};

}  // namespace

char32_t to_lower_cp(char32_t c) {
  for (const Shift& s : kShifts)
    if (c >= s.first && c <= s.last) return static_cast<char32_t>(static_cast<int32_t>(c) + s.delta);
  for (const Pairs& p : kPairs)
    if (c >= p.first && c <= p.last) {
      bool is_upper = ((c & 1) != 0) == p.odd_upper;
      return is_upper ? c + 1 : c;
    }
  switch (c) {
    case 0x0178: return 0x00FF;  // Ÿ
    case 0x0386: return 0x03AC;
    case 0x038C: return 0x03CC;
    case 0x038E: return 0x03CD;
    case 0x038F: return 0x03CE;
    default: return c;
  }
}

char32_t to_upper_cp(char32_t c) {
  for (const Shift& s : kShifts) {
    char32_t lf = static_cast<char32_t>(static_cast<int32_t>(s.first) + s.delta);
    char32_t ll = static_cast<char32_t>(static_cast<int32_t>(s.last) + s.delta);
    if (c >= lf && c <= ll) return static_cast<char32_t>(static_cast<int32_t>(c) - s.delta);
  }
  for (const Pairs& p : kPairs)
    if (c >= p.first && c <= p.last) {
      bool is_upper = ((c & 1) != 0) == p.odd_upper;
      return is_upper ? c : c - 1;
    }
  switch (c) {
    case 0x00FF: return 0x0178;
    case 0x00B5: return 0x039C;  // micro sign
    case 0x03C2: return 0x03A3;  // final sigma
    case 0x03AC: return 0x0386;
    case 0x03CC: return 0x038C;
    case 0x03CD: return 0x038E;
    case 0x03CE: return 0x038F;
    default: return c;
  }
}

namespace {
template <typename F>
std::u16string map_text(std::u16string_view s, F f) {
  std::u16string out;
  out.reserve(s.size());
  for (std::size_t i = 0; i < s.size();) {
    std::size_t len = 1;
    char32_t c = code_point_at(s, i, &len);
    i += len;
    append_code_point(out, f(c));  // a lone surrogate maps to itself
  }
  return out;
}
}  // namespace

std::u16string to_upper_text(std::u16string_view s) { return map_text(s, to_upper_cp); }
std::u16string to_lower_text(std::u16string_view s) { return map_text(s, to_lower_cp); }

}  // namespace kestrel
