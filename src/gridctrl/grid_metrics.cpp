// Colour table rules and the per-code-point advance cache of the grid font.
#include "gridctrl/grid_metrics.h"

#include <algorithm>

#include "platform/utf16.h"

namespace kestrel {

using namespace gridctrl;

GridCtrlMetrics::GridCtrlMetrics() : bmp_(new std::atomic<int16_t>[0x10000]) {
  for (int i = 0; i < kColorCount; ++i) colors_[i] = kDefaultColors[i];
  for (int i = 0; i < 0x10000; ++i) bmp_[i].store(-1, std::memory_order_relaxed);
}

GridCtrlMetrics::~GridCtrlMetrics() = default;

void GridCtrlMetrics::SetColor(int index, uint32_t color) {
  if (index < 0 || index >= kColorCount) return;
  color &= 0xFFFFFF;
  colors_[index] = color;
  if (index == kColorText) {
    colors_[kColorCurRowText] = color;
    cur_row_coloring_ = false;
  } else if (index == kColorCurRowText) {
    cur_row_coloring_ = colors_[kColorCurRowText] != colors_[kColorText];
  }
}

uint32_t GridCtrlMetrics::GetColor(int index) const {
  if (index < 0 || index >= kColorCount) return 0;
  return colors_[index];
}

void GridCtrlMetrics::SetFont(GlyphMeasure measure, int32_t font_height, int32_t line_height,
                              int32_t avg_char_width) {
  std::lock_guard lock(mu_);
  measure_ = std::move(measure);
  font_height_ = std::max(1, font_height);
  line_height_ = std::max(1, line_height);
  avg_width_ = std::max(1, avg_char_width);
  for (int i = 0; i < 0x10000; ++i) bmp_[i].store(-1, std::memory_order_relaxed);
  astral_.clear();
}

void GridCtrlMetrics::SetCharSpacing(int32_t spacing, int32_t wide_threshold) {
  std::lock_guard lock(mu_);
  spacing_ = std::clamp(spacing, 0, 100);
  wide_threshold_ = wide_threshold;
}

int32_t GridCtrlMetrics::Measure(char32_t cp) const {
  int32_t w = measure_ ? measure_(cp) : (cp < 0x1100 ? avg_width_ : 2 * avg_width_);
  w = std::clamp(w, 0, 0x3FFF);
  return w + (w >= wide_threshold_ ? 2 * spacing_ : spacing_);
}

int32_t GridCtrlMetrics::Advance(char32_t cp) const {
  if (cp < 0x10000) {
    int16_t v = bmp_[cp].load(std::memory_order_relaxed);
    if (v >= 0) return v;
    int32_t w;
    {
      std::lock_guard lock(mu_);
      w = Measure(cp);
    }
    bmp_[cp].store(static_cast<int16_t>(std::min(w, 0x7FFF)), std::memory_order_relaxed);
    return w;
  }
  std::lock_guard lock(mu_);
  auto it = astral_.find(cp);
  if (it != astral_.end()) return it->second;
  int32_t w = Measure(cp);
  astral_.emplace(cp, w);
  return w;
}

namespace {
// Next code point of `t` at `i`; advances `i`. Lone surrogates give U+FFFD.
char32_t next_cp(std::u16string_view t, std::size_t& i) {
  char16_t c = t[i++];
  if (c >= 0xD800 && c <= 0xDBFF && i < t.size() && t[i] >= 0xDC00 && t[i] <= 0xDFFF) {
    char32_t cp = 0x10000 + ((char32_t(c) - 0xD800) << 10) + (t[i] - 0xDC00);
    ++i;
    return cp;
  }
  if (c >= 0xD800 && c <= 0xDFFF) return 0xFFFD;
  return c;
}
}  // namespace

int32_t GridCtrlMetrics::TextWidth(std::u16string_view text) const {
  int64_t w = 0;
  for (std::size_t i = 0; i < text.size();) w += Advance(next_cp(text, i));
  return static_cast<int32_t>(std::min<int64_t>(w, 0x7FFFFFFF));
}

std::size_t GridCtrlMetrics::FitUnits(std::u16string_view text, int32_t width) const {
  int64_t w = 0;
  std::size_t i = 0;
  while (i < text.size()) {
    std::size_t j = i;
    w += Advance(next_cp(text, j));
    if (w > width) break;
    i = j;
  }
  return i;
}

}  // namespace kestrel
