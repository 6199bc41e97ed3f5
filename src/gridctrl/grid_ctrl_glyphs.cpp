#include "gridctrl/grid_ctrl_glyphs.h"

#include <QGlyphRun>
#include <QPainter>
#include <QTextLayout>

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
    return Glyph{static_cast<int16_t>(f), indexes.front()};
  }
  return Glyph{kNone, 0};
}

void GridGlyphCache::Flush(QPainter& p, int16_t font) {
  if (run_glyphs_.empty() || font < 0) return;
  QGlyphRun run;
  run.setRawFont(fonts_[static_cast<std::size_t>(font)]);
  run.setRawData(run_glyphs_.data(), run_positions_.data(), static_cast<int>(run_glyphs_.size()));
  p.drawGlyphRun(QPointF(0, 0), run);
  run_glyphs_.clear();
  run_positions_.clear();
}

int GridGlyphCache::Draw(QPainter& p, int x, int baseline, std::u16string_view text, const GridCtrlMetrics& m) {
  int16_t run_font = kNone;
  for (std::size_t i = 0; i < text.size();) {
    std::size_t len = 1;
    char32_t cp = code_point_at(text, i, &len);
    i += len;
    if (cp >= 0xD800 && cp <= 0xDFFF) cp = 0xFFFD;  // a lone surrogate, as measured
    const Glyph g = Lookup(cp);
    if (g.font >= 0) {
      if (g.font != run_font) {
        Flush(p, run_font);
        run_font = g.font;
      }
      run_glyphs_.push_back(g.index);
      run_positions_.emplace_back(x, baseline);
    }
    x += m.Advance(cp);
  }
  Flush(p, run_font);
  return x;
}

}  // namespace kestrel
