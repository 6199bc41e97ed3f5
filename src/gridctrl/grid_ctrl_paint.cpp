// Painting of CGridCtrl: corner, column headers, row headers, cells with
// their text, highlight and marks, grid lines and the current-cell frame.
#include <QPainter>
#include <QPainterPath>
#include <vector>

#include "gridctrl/grid_ctrl.h"
#include "gridctrl/grid_ctrl_glyphs.h"
#include "gridctrl/grid_highlight.h"
#include "gridctrl/gridctrl_constants.h"
#include "platform/utf16.h"

using namespace kestrel;
using namespace kestrel::gridctrl;

namespace {

QColor colorref(uint32_t c) { return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF); }
QString qs(std::u16string_view s) {
  return QString(reinterpret_cast<const QChar*>(s.data()), static_cast<qsizetype>(s.size()));
}
QRect qrect(const GridRect& r) { return QRect(r.x, r.y, r.w, r.h); }

}  // namespace

struct CGridCtrl::Painter {
  const CGridCtrl& ctrl;
  QPainter& p;
  const CGridData& data;
  const GridCtrlMetrics& m;
  uint32_t style;
  int ascent;
  GridGlyphCache* glyphs;  // null: draw with QPainter::drawText
  bool spill = false;      // cell texts may run past their right edge (Cells paints over it)
  int spill_end = 0;       // the right end of the last cell text drawn

  // Draws `text` from x on the baseline, code point by code point at the
  // metrics' advances (so positions agree with the measured widths).
  int DrawRun(int x, int baseline, std::u16string_view text, const QRect& area) {
    if (text.empty()) return x;
    if (glyphs) {
      x = glyphs->Draw(p, x, baseline, text, m, area, spill);
      spill_end = std::max(spill_end, x);
      return x;
    }
    // Underlined or struck-out fonts: Qt draws the decoration per piece.
    p.setClipRect(area);
    for (std::size_t i = 0; i < text.size();) {
      std::size_t len = 1;
      char32_t cp = code_point_at(text, i, &len);
      p.drawText(QPoint(x, baseline), qs(text.substr(i, len)));
      x += m.Advance(cp);
      i += len;
    }
    p.setClipping(false);
    return x;
  }

  void Corner() {
    const int w = ctrl.layout_.RowHeaderWidth(), h = ctrl.layout_.ColHeaderHeight();
    if (w <= 0 || h <= 0) return;
    uint32_t c = m.GetColor(kColorHeaderBg);
    if ((style & kStyleCornerFocusColor) || ctrl.HasFocusInGroup())
      c = m.FocusColor() < 0 ? m.GetColor(kColorBg) : static_cast<uint32_t>(m.FocusColor());
    p.fillRect(0, 0, w, h, colorref(m.GetColor(kColorHeaderLine)));
    p.fillRect(0, 0, w - 1, h - 1, colorref(c));
  }

  void HeaderCell(const QRect& r, std::u16string_view text, bool highlighted, uint32_t text_color) {
    p.fillRect(r, colorref(m.GetColor(kColorHeaderLine)));
    p.fillRect(r.adjusted(0, 0, -1, -1), colorref(HeaderBackground(m, highlighted)));
    const CellPadding& pad = ctrl.layout_.Padding();
    QRect area = r.adjusted(pad.left, pad.top, -pad.right - 1, -pad.bottom - 1);
    if (area.width() <= 0 || area.height() <= 0) return;
    p.setPen(colorref(text_color));
    DrawRun(area.x(), area.y() + ascent, FirstLine(text), area);
  }

  void ColHeaders(const VisibleRange& v) {
    if (ctrl.layout_.ColHeaderHeight() <= 0) return;
    const bool hl = style & kStyleHighlightCurHeader;
    for (int32_t c = v.first_col; c < v.first_col + v.col_count; ++c) {
      GridRect r = ctrl.layout_.ColHeaderRect(data, c);
      if (r.w == 0) continue;
      QRect qr = qrect(r);
      if (ctrl.drag_ == Drag::kResize && c == ctrl.resize_col_) qr.setWidth(ctrl.resize_width_);
      HeaderCell(qr, ColHeaderText(data, style, c), hl && c == data.GetCurCol(),
                 data.GetColHeaderTextColor(c) & 0xFFFFFF);
    }
  }

  void RowHeaders(const VisibleRange& v) {
    if (ctrl.layout_.RowHeaderWidth() <= 0) return;
    const bool hl = style & kStyleHighlightCurHeader;
    if (glyphs) glyphs->BeginDefer();
    for (int32_t r = v.first_row; r < v.first_row + v.row_count; ++r) {
      GridRect rr = ctrl.layout_.RowHeaderRect(r);
      if (rr.h == 0) continue;
      HeaderCell(qrect(rr), data.GetRowHeader(r), hl && r == data.GetCurRow(),
                 data.GetColHeaderTextColor(-1) & 0xFFFFFF);
    }
    if (glyphs) glyphs->DrawDeferred(p);
  }

  void Marks(const QRect& area, std::u16string_view line, bool broken, int text_end) {
    const int lh = m.LineHeight();
    p.setPen(colorref(m.GetColor(kColorMark)));
    int x = area.x();
    const int foot = area.y() + std::min(lh, area.height()) - 2;
    for (std::size_t i = 0; i < line.size() && x < area.right();) {
      std::size_t len = 1;
      char32_t cp = code_point_at(line, i, &len);
      const int adv = m.Advance(cp);
      if (x + adv > area.right() + 1) break;  // a mark is drawn whole or not at all
      if ((cp == U' ' && (style & kStyleShowSpace)) || (cp == 0x3000 && (style & kStyleShow2ByteSpace))) {
        // A small open box at the foot of the line.
        p.drawLine(x + 1, foot - 2, x + 1, foot);
        p.drawLine(x + 1, foot, x + adv - 2, foot);
        p.drawLine(x + adv - 2, foot - 2, x + adv - 2, foot);
      } else if (cp == U'\t' && (style & kStyleShowTab)) {
        const int mid = area.y() + lh / 2;
        p.drawLine(x + 1, mid, x + adv - 2, mid);
        p.drawLine(x + adv - 4, mid - 2, x + adv - 2, mid);
        p.drawLine(x + adv - 4, mid + 2, x + adv - 2, mid);
      }
      x += adv;
      i += len;
    }
    if (broken && (style & kStyleShowLineFeed)) {
      const int xw = m.Advance(U'x');
      const int ax = text_end + xw;
      if (ax + xw / 2 <= area.right() + 1) {
        const int top = area.y() + 2 + lh / 8;
        const int bottom = std::min(area.y() + lh - 2 - lh / 8, area.bottom());
        p.drawLine(ax, top, ax, bottom);
        p.drawLine(ax, bottom, ax - xw / 2, bottom - lh / 4);
        p.drawLine(ax, bottom, ax + xw / 2, bottom - lh / 4);
      }
    }
  }

  void CellText(const QRect& cell, int32_t row, int32_t col) {
    const CellPadding& pad = ctrl.layout_.Padding();
    QRect area = cell.adjusted(pad.left, pad.top, -pad.right - 1, -pad.bottom - 1);
    if (area.width() <= 0 || area.height() <= 0) return;
    // Glyphs, marks and highlights stay inside the padded area (the glyph
    // cache clips only a text that would cross it).
    const int baseline = area.y() + ascent;
    if (!ctrl.null_text_.empty() && data.IsNull(row, col)) {
      p.setPen(colorref(m.GetColor(kColorMark)));
      DrawRun(area.x(), baseline, ctrl.null_text_, area);
      return;
    }
    std::u16string_view text = data.GetDispData(row, col);
    if (text.empty()) return;
    p.setPen(colorref(CellTextColor(data, m, style, row, col)));
    bool broken = false;
    std::u16string_view line = FirstLine(text, &broken);
    // Only the part that can show is drawn: what fits and the one character
    // the edge cuts (a cell may hold megabytes).
    line = line.substr(0, std::min(line.size(), m.FitUnits(line, area.width()) + 2));
    line = line.substr(0, safe_cut(line, line.size()));
    if (data.GetColDataType(row, col) == grid::kTypeNumber) {
      const int w = std::min(m.TextWidth(line), area.width());
      DrawRun(area.x() + area.width() - w, baseline, line, area);
      return;
    }
    int x = area.x();
    const bool highlight = ctrl.search_ && m.GetColor(kColorSearch) != m.GetColor(kColorBg);
    if (highlight) {
      std::size_t at = 0;
      for (auto [s, e] : HighlightSpans(*ctrl.search_, line)) {
        x = DrawRun(x, baseline, line.substr(at, s - at), area);
        const int w = m.TextWidth(line.substr(s, e - s));
        p.fillRect(QRect(x, area.y(), w, m.LineHeight()).intersected(area), colorref(m.GetColor(kColorSearch)));
        x = DrawRun(x, baseline, line.substr(s, e - s), area);
        at = e;
      }
      x = DrawRun(x, baseline, line.substr(at), area);
    } else {
      x = DrawRun(x, baseline, line, area);
    }
    if (style & (kStyleShowSpace | kStyleShow2ByteSpace | kStyleShowTab | kStyleShowLineFeed))
      Marks(area, line, broken, x);
  }

  void Cells(const VisibleRange& v) {
    if (v.row_count <= 0 || v.col_count <= 0) return;
    // The lines: one fill under all the cells, whose right and bottom pixel
    // is left unfilled so that it shows through.
    QRect all;
    for (int32_t c = v.first_col; c < v.first_col + v.col_count; ++c) {
      GridRect g = ctrl.layout_.CellRect(data, v.first_row, c);
      if (g.w > 0) all |= qrect(g);
    }
    const GridRect last = ctrl.layout_.RowHeaderRect(v.first_row + v.row_count - 1);
    all.setBottom(last.y + last.h - 1);
    if (all.isEmpty()) return;
    p.fillRect(all, colorref(m.GetColor(kColorLine)));
    // Column by column: backgrounds, then the texts together; a text wider
    // than its cell is not clipped (a clip costs more than all the text) but
    // its spill past the padding is painted over: here in its own cell, in
    // the next column by that column's backgrounds, after the last column by
    // the empty area's fill.
    const CellPadding& pad = ctrl.layout_.Padding();
    spill = glyphs != nullptr;
    std::vector<int> ends(static_cast<std::size_t>(v.row_count));
    for (int32_t c = v.first_col; c < v.first_col + v.col_count; ++c) {
      const GridRect top = ctrl.layout_.CellRect(data, v.first_row, c);
      if (top.w == 0) continue;
      if (glyphs) glyphs->BeginDefer();
      for (int32_t r = v.first_row; r < v.first_row + v.row_count; ++r) {
        const GridRect rr = ctrl.layout_.RowHeaderRect(r);
        const QRect cell(top.x, rr.y, top.w, rr.h);
        p.fillRect(cell.adjusted(0, 0, -1, -1), colorref(CellBackground(data, m, style, r, c)));
        spill_end = 0;
        CellText(cell, r, c);
        ends[static_cast<std::size_t>(r - v.first_row)] = spill_end;
      }
      if (!glyphs) continue;
      glyphs->DrawDeferred(p);
      const int area_end = top.x + top.w - 1 - pad.right;  // first pixel past the text area
      for (int32_t r = v.first_row; r < v.first_row + v.row_count; ++r) {
        if (ends[static_cast<std::size_t>(r - v.first_row)] <= area_end) continue;
        const GridRect rr = ctrl.layout_.RowHeaderRect(r);
        const int right = top.x + top.w - 1;  // the line pixel
        if (right > area_end)
          p.fillRect(QRect(area_end, rr.y, right - area_end, rr.h - 1),
                     colorref(CellBackground(data, m, style, r, c)));
        p.fillRect(QRect(right, rr.y, 1, rr.h), colorref(m.GetColor(kColorLine)));
      }
    }
    spill = false;
    const QRect client = ctrl.ClientRect();
    if (all.right() < client.right())
      p.fillRect(QRect(all.right() + 1, all.top(), client.right() - all.right(), all.height()),
                 colorref(m.GetColor(kColorBg)));
  }

  void Frame() {
    if (style & kStyleWholeRow) return;
    GridRect g = ctrl.layout_.CellRect(data, data.GetCurRow(), data.GetCurCol());
    if (g.w == 0) return;
    p.setPen(colorref(m.GetColor(kColorCurFrame)));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRect(g.x, g.y, g.w - 2, g.h - 2));
  }
};

void CGridCtrl::Render(QPainter& p) {
  const QRect client = ClientRect();
  GridCtrlMetrics& m = Metrics();
  p.setFont(font_);
  p.fillRect(client, colorref(m.GetColor(kColorBg)));
  const bool decorated = font_.underline() || font_.strikeOut() || font_.overline();
  Painter painter{*this, p, *data_, m, style_, QFontMetrics(font_).ascent(), decorated ? nullptr : glyphs_.get()};
  const VisibleRange v = layout_.Visible(*data_);
  painter.Corner();
  painter.ColHeaders(v);
  painter.RowHeaders(v);
  painter.Cells(v);
  painter.Frame();
  if (drag_ == Drag::kResize && resize_moved_) {
    // The tentative right edge of the column being resized.
    GridRect r = layout_.ColHeaderRect(*data_, resize_col_);
    if (r.w > 0) {
      p.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
      p.fillRect(QRect(r.x + resize_width_ - 1, 0, 1, client.height()), Qt::white);
      p.setCompositionMode(QPainter::CompositionMode_SourceOver);
    }
  }
}
