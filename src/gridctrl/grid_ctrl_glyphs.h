// The grid font's glyphs per code point, with the font (the grid font or the
// fallback that holds the character) each comes from. Cell texts are drawn
// code point by code point at the display metrics' advances, so painting
// places cached glyphs instead of laying every text out again on each frame.
#pragma once

#include <QFont>
#include <QPointF>
#include <QRect>
#include <QRawFont>
#include <QRgb>
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

  // Draws `text` (one line) from `x` on `baseline` with the painter's pen,
  // inside `area`; returns the x after it. The painter is clipped to the
  // area only when a glyph could cross it (a clip costs more than the text).
  // With `spill_right` a text may run past the area's right edge unclipped:
  // the caller paints over what spilled.
  int Draw(QPainter& p, int x, int baseline, std::u16string_view text, const GridCtrlMetrics& m,
           const QRect& area, bool spill_right = false);
  // While deferring, texts that need no clip are kept (by font and pen
  // colour) and drawn together by DrawDeferred: one glyph run per font and
  // colour for the whole frame instead of one per cell.
  void BeginDefer() { deferring_ = true; }
  void DrawDeferred(QPainter& p);

 private:
  struct Glyph {
    int16_t font = kUnknown;  // index into fonts_, or kNone / kUnknown
    int16_t up = 0;           // ink above and below the baseline, in pixels
    int16_t down = 0;
    uint32_t index = 0;
  };
  static constexpr int16_t kUnknown = -2;
  static constexpr int16_t kNone = -1;  // nothing to draw (no glyph found)

  Glyph Lookup(char32_t cp);
  Glyph Resolve(char32_t cp);
  void DrawRun(QPainter& p, std::size_t from, std::size_t to);

  QFont font_;
  std::vector<QRawFont> fonts_;
  std::vector<Glyph> bmp_;
  std::unordered_map<char32_t, Glyph> astral_;
  std::vector<quint32> glyphs_;
  std::vector<QPointF> positions_;
  std::vector<int16_t> glyph_fonts_;
  struct Batch {
    int16_t font;
    QRgb color;
    std::vector<quint32> glyphs;
    std::vector<QPointF> positions;
  };
  std::vector<Batch> batches_;
  bool deferring_ = false;
};

}  // namespace kestrel
