// What the grid data knows of fonts and colours. The grid control owns the
// real measuring (font, character widths, colour table); the core only keeps
// the object so that every pane showing one grid data shares it, and asks
// for text widths through TextMeasure.
#pragma once

#include <cstdint>
#include <string_view>

namespace kestrel {

// Measures text in pixels with the grid's font (the "device context" the
// column-width operations are given).
class TextMeasure {
 public:
  virtual ~TextMeasure() = default;
  virtual int32_t TextWidth(std::u16string_view text) const = 0;
};

// Display metrics shared by the panes of one grid data object: the colour
// table, character widths of the grid font and the width of the line-feed
// mark. The grid control derives the real one; the base holds nothing.
class GridDisplayMetrics {
 public:
  virtual ~GridDisplayMetrics() = default;
};

}  // namespace kestrel
