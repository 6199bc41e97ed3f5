#include "sqltext/display_columns.h"

#include <algorithm>

#include "platform/utf16.h"

namespace kestrel {

int CharColumns(char32_t c) {
  if (c < 0x1100) return 1;
  if ((c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0x303E) || (c >= 0x3041 && c <= 0x33FF) ||
      (c >= 0x3400 && c <= 0x4DBF) || (c >= 0x4E00 && c <= 0x9FFF) || (c >= 0xA000 && c <= 0xA4CF) ||
      (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0xF900 && c <= 0xFAFF) || (c >= 0xFE30 && c <= 0xFE4F) ||
      (c >= 0xFF00 && c <= 0xFF60) || (c >= 0xFFE0 && c <= 0xFFE6) || (c >= 0x1F300 && c <= 0x1F64F) ||
      (c >= 0x1F900 && c <= 0x1F9FF) || (c >= 0x20000 && c <= 0x3FFFD))
    return 2;
  return 1;
}

int32_t DisplayColumnOf(std::u16string_view line, int32_t col, int tab_width, int32_t start_x) {
  const std::size_t end = std::min<std::size_t>(static_cast<std::size_t>(std::max(col, 0)), line.size());
  int32_t x = start_x;
  for (std::size_t i = 0; i < end;) {
    const char16_t u = line[i];
    if (u < 0x1100 && u != u'\t') {  // the common case, without decoding
      ++x;
      ++i;
      continue;
    }
    std::size_t len = 1;
    const char32_t c = code_point_at(line, i, &len);
    x += c == U'\t' ? tab_width - x % tab_width : CharColumns(c);
    i += len;
  }
  return x;
}

int32_t CharColumnAt(std::u16string_view line, int32_t x, int tab_width, bool nearest, int32_t start_x) {
  int32_t cur = start_x;
  for (std::size_t i = 0; i < line.size();) {
    std::size_t len = 1;
    const char32_t c = code_point_at(line, i, &len);
    const int32_t w = c == U'\t' ? tab_width - cur % tab_width : CharColumns(c);
    if (x < cur + w) {
      if (nearest && x - cur >= (w + 1) / 2) return static_cast<int32_t>(i + len);
      return static_cast<int32_t>(i);
    }
    cur += w;
    i += len;
  }
  return static_cast<int32_t>(line.size());
}

void CharRangeIn(std::u16string_view line, int32_t left, int32_t right, int tab_width, int32_t* from, int32_t* to) {
  int32_t cur = 0;
  std::size_t i = 0;
  const std::size_t n = line.size();
  // Characters ending at or before `left` are outside.
  while (i < n) {
    std::size_t len = 1;
    const char32_t c = code_point_at(line, i, &len);
    const int32_t w = c == U'\t' ? tab_width - cur % tab_width : CharColumns(c);
    if (cur + w > left) break;
    cur += w;
    i += len;
  }
  *from = static_cast<int32_t>(i);
  // Characters starting before `right` are inside.
  while (i < n && cur < right) {
    std::size_t len = 1;
    const char32_t c = code_point_at(line, i, &len);
    cur += c == U'\t' ? tab_width - cur % tab_width : CharColumns(c);
    i += len;
  }
  *to = std::max(*from, static_cast<int32_t>(i));
  if (right <= left) *to = *from;
}

}  // namespace kestrel
