// The display metrics one grid data shares between its panes: the colour
// table with its text-colour rules, and the grid font's character advances.
// Advances are measured once per code point by the widget's callback (it
// owns the font) and cached; a fitting worker may read them concurrently.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string_view>
#include <unordered_map>

#include "griddata/display_metrics.h"
#include "gridctrl/gridctrl_constants.h"

namespace kestrel {

// Glyph width in pixels of one code point with the grid font.
using GlyphMeasure = std::function<int32_t(char32_t)>;

class GridCtrlMetrics final : public GridDisplayMetrics, public TextMeasure {
 public:
  GridCtrlMetrics();
  ~GridCtrlMetrics() override;

  // ---- colours (0x00BBGGRR) ----
  // Index 8 also resets index 15 and the grid data's default text colour
  // (the caller passes it on); index 15 turns current-row colouring on
  // exactly when it then differs from index 8.
  void SetColor(int index, uint32_t color);
  uint32_t GetColor(int index) const;
  bool CurRowTextColoring() const { return cur_row_coloring_; }
  int64_t FocusColor() const { return focus_color_; }

  // ---- font ----
  // Installs a new font: its measuring callback, line height (height plus
  // external leading), font height and average character width. Clears the
  // advance cache. The callback must be callable from any thread.
  void SetFont(GlyphMeasure measure, int32_t font_height, int32_t line_height,
               int32_t avg_char_width);
  void SetCharSpacing(int32_t spacing, int32_t wide_threshold);
  int32_t FontHeight() const { return font_height_; }
  int32_t LineHeight() const { return line_height_; }
  int32_t AverageWidth() const { return avg_width_ + spacing_; }
  int32_t DigitWidth() const { return Advance(U'0'); }
  int32_t CharSpacing() const { return spacing_; }

  // Advance of one code point: glyph width plus spacing (twice the spacing
  // for glyphs at least as wide as the wide threshold).
  int32_t Advance(char32_t cp) const;
  // Width of a text measured code point by code point (lone surrogates
  // measure as U+FFFD).
  int32_t TextWidth(std::u16string_view text) const override;
  // How many UTF-16 units of `text` fit in `width` pixels (whole code points).
  std::size_t FitUnits(std::u16string_view text, int32_t width) const;

 private:
  int32_t Measure(char32_t cp) const;

  std::array<uint32_t, gridctrl::kColorCount> colors_{};
  bool cur_row_coloring_ = false;
  int64_t focus_color_ = gridctrl::kNoFocusColor;

  GlyphMeasure measure_;
  int32_t font_height_ = 18;
  int32_t line_height_ = 18;
  int32_t avg_width_ = 9;
  int32_t spacing_ = 0;
  int32_t wide_threshold_ = 0x7FFFFFFF;
  // Advances of the Basic Multilingual Plane, -1 until measured; others in a
  // locked map. Written by whoever measures first (same value either way).
  std::unique_ptr<std::atomic<int16_t>[]> bmp_;
  mutable std::mutex mu_;
  mutable std::unordered_map<char32_t, int32_t> astral_;
};

}  // namespace kestrel
