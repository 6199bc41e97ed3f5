#include "gridctrl/grid_ctrl_glyphs.h"

#include <QGlyphRun>
#include <QPainter>
#include <QPen>
#include <QTextLayout>
#include <algorithm>
#include <cmath>

#include "gridctrl/grid_metrics.h"
#include "platform/utf16.h"

namespace kestrel {

GridGlyphCache::GridGlyphCache(const QFont& font) : font_(font), bmp_(0x10000) {}

GridGlyphCache::Glyph GridGlyphCache::Lookup(char32_t cp) {
  if (cp < 0x10000) {
    Glyph& g = bmp_[cp];
    if (g.font == kUnknown) g = Resolve(cp);
    return g;
  }
  auto it = astral_.find(cp);
  if (it == astral_.end()) it = astral_.emplace(cp, Resolve(cp)).first;
  return it->second;
}

GridGlyphCache::Glyph GridGlyphCache::Resolve(char32_t cp) {
  // One layout per code point, once: it picks the font that has the glyph.
  QTextLayout layout(QString::fromUcs4(&cp, 1), font_);
  layout.beginLayout();
  layout.createLine();
  layout.endLayout();
  for (const QGlyphRun& run : layout.glyphRuns()) {
    const QList<quint32> indexes = run.glyphIndexes();
    if (indexes.isEmpty()) continue;
    const QRawFont raw = run.rawFont();
    std::size_t f = 0;
    while (f < fonts_.size() && !(fonts_[f] == raw)) ++f;
    if (f == fonts_.size()) fonts_.push_back(raw);
    // The glyph's own ink decides whether a cell must clip it, not the
    // font's ascent (fallback fonts have tall ones).
    const QRectF ink = raw.boundingRect(indexes.front());
    const auto px = [](qreal v) { return static_cast<int16_t>(std::clamp<qreal>(std::ceil(v), 0, 0x3FFF)); };
    return Glyph{static_cast<int16_t>(f), px(-ink.top()), px(ink.bottom()), indexes.front()};
  }
  return Glyph{kNone, 0};
}

void GridGlyphCache::DrawRun(QPainter& p, std::size_t from, std::size_t to) {
  QGlyphRun run;
  run.setRawFont(fonts_[static_cast<std::size_t>(glyph_fonts_[from])]);
  run.setRawData(glyphs_.data() + from, positions_.data() + from, static_cast<int>(to - from));
  p.drawGlyphRun(QPointF(0, 0), run);
}

int GridGlyphCache::Draw(QPainter& p, int x, int baseline, std::u16string_view text, const GridCtrlMetrics& m,
                         const QRect& area, bool spill_right) {
  glyphs_.clear();
  positions_.clear();
  glyph_fonts_.clear();
  const int start = x;
  bool tall = false;
  for (std::size_t i = 0; i < text.size();) {
    std::size_t len = 1;
    char32_t cp = code_point_at(text, i, &len);
    i += len;
    if (cp >= 0xD800 && cp <= 0xDFFF) cp = 0xFFFD;  // a lone surrogate, as measured
    const Glyph g = Lookup(cp);
    if (g.font >= 0) {
      tall = tall || baseline - g.up < area.top() || baseline + g.down > area.bottom() + 1;
      glyphs_.push_back(g.index);
      positions_.emplace_back(x, baseline);
      glyph_fonts_.push_back(g.font);
    }
    x += m.Advance(cp);
  }
  if (glyphs_.empty()) return x;
  const bool clip = tall || start < area.left() || (!spill_right && x > area.right() + 1);
  if (deferring_ && !clip) {
    const QRgb color = p.pen().color().rgb();
    for (std::size_t k = 0; k < glyphs_.size(); ++k) {
      Batch* b = nullptr;
      for (Batch& c : batches_)
        if (c.font == glyph_fonts_[k] && c.color == color) b = &c;
      if (!b) b = &batches_.emplace_back(Batch{glyph_fonts_[k], color, {}, {}});
      b->glyphs.push_back(glyphs_[k]);
      b->positions.push_back(positions_[k]);
    }
    return x;
  }
  if (clip) p.setClipRect(area);
  std::size_t from = 0;
  for (std::size_t k = 1; k <= glyphs_.size(); ++k) {
    if (k == glyphs_.size() || glyph_fonts_[k] != glyph_fonts_[from]) {
      DrawRun(p, from, k);
      from = k;
    }
  }
  if (clip) p.setClipping(false);
  return x;
}

void GridGlyphCache::DrawDeferred(QPainter& p) {
  deferring_ = false;
  const QPen pen = p.pen();
  for (Batch& b : batches_) {
    if (b.glyphs.empty()) continue;
    p.setPen(QColor::fromRgb(b.color));
    QGlyphRun run;
    run.setRawFont(fonts_[static_cast<std::size_t>(b.font)]);
    run.setRawData(b.glyphs.data(), b.positions.data(), static_cast<int>(b.glyphs.size()));
    p.drawGlyphRun(QPointF(0, 0), run);
    b.glyphs.clear();  // the capacity is kept for the next frame
    b.positions.clear();
  }
  p.setPen(pen);
}

}  // namespace kestrel
