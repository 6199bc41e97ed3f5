// The grid font's glyphs per code point, with the font (the grid font or the
// fallback that holds the character) each comes from. Cell texts are drawn
// code point by code point at the display metrics' advances, so painting
// places cached glyphs instead of laying every text out again on each frame.
#pragma once

#include <QFont>
#include <QPointF>
#include <QRawFont>
#include <cstdint>
#include <string_view>
#include <unordered_map>
#include <vector>

class QPainter;

namespace kestrel {

class GridCtrlMetrics;

class GridGlyphCache {
 public:
  explicit GridGlyphCache(const QFont& font);

  // Draws `text` (one line) from `x` on `baseline` with the painter's pen;
  // returns the x after it.
  int Draw(QPainter& p, int x, int baseline, std::u16string_view text, const GridCtrlMetrics& m);

 private:
  struct Glyph {
    int16_t font = kUnknown;  // index into fonts_, or kNone / kUnknown
    uint32_t index = 0;
  };
  static constexpr int16_t kUnknown = -2;
  static constexpr int16_t kNone = -1;  // nothing to draw (no glyph found)

  Glyph Lookup(char32_t cp);
  Glyph Resolve(char32_t cp);
  void Flush(QPainter& p, int16_t font);

  QFont font_;
  std::vector<QRawFont> fonts_;
  std::vector<Glyph> bmp_;
  std::unordered_map<char32_t, Glyph> astral_;
  std::vector<quint32> run_glyphs_;
  std::vector<QPointF> run_positions_;
};

}  // namespace kestrel
