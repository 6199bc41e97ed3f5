// CEditCtrl painting: only the visible lines, and of each line only the
// visible columns; characters sit in fixed cells (a full-width character
// takes two, a tab runs to the next stop) so hit-testing and painting agree.
#include <QPainter>
#include <QPaintEvent>
#include <QScrollBar>
#include <algorithm>
#include <vector>

#include "platform/utf16.h"
#include "sqltext/edit_ctrl.h"
#include "sqltext/edit_ctrl_p.h"
#include "sqltext/sqltext_constants.h"

using namespace kestrel;

namespace {

constexpr int kPreeditAttr = 0x100;  // beyond the buffer's byte: composition text

int ColourSlot(int attr) {
  if (attr & kAttrUrl) return kEditColorUrl;
  if (attr & kAttrComment) return kEditColorComment;
  if (attr & kAttrQuote) return kEditColorQuote;
  if (attr & kAttrKeyword) return kEditColorKeyword;
  if (attr & kAttrKeyword2) return kEditColorKeyword2;
  if (attr & kAttrDictionary) return kEditColorDictionary;
  return kEditColorText;
}

}  // namespace

void CEditCtrl::paintEvent(QPaintEvent* e) {
  QPainter p(this);
  const QRect area = TextArea();
  const bool changed_bg = changed_look_ && data_->IsModified();
  const QColor back = Color(changed_bg ? kEditColorChangedBack : kEditColorBack);
  p.fillRect(e->rect().intersected(area), back);
  if (vbar_->isVisible() && hbar_->isVisible())
    p.fillRect(QRect(vbar_->x(), hbar_->y(), vbar_->width(), hbar_->height()), palette().window());
  p.setClipRect(area);
  p.setFont(font());

  const int32_t top = disp_.GetTopLine();
  const int32_t rows = (area.height() - TextTop()) / line_h_ + 1;
  const int32_t last = std::min(data_->GetLineCnt() - 1, top + rows);
  disp_.ColourLines(top, last);
  const int32_t first_col = disp_.GetLeftColumn();
  const int32_t last_col = first_col + (area.width() - TextLeft()) / char_w_ + 1;
  p.setClipRect(QRect(TextLeft(), 0, area.width() - TextLeft(), area.height()));
  if (wrap_) {
    // Rows from the top row down until the area is full.
    int y = TextTop();
    Row r{top, top_sub_};
    for (int32_t l = top; l < data_->GetLineCnt() && y < area.height(); ++l, r = {l, 0}) {
      const std::vector<int32_t> starts = RowStarts(l);
      const int32_t len = data_->GetLineLen(l);
      for (std::size_t k = static_cast<std::size_t>(r.sub); k < starts.size() && y < area.height(); ++k) {
        const int32_t to = k + 1 < starts.size() ? starts[k + 1] : len;
        if (y <= e->rect().bottom() && y + line_h_ >= e->rect().top())
          PaintLine(p, l, y, 0, WrapColumns() + 1, starts[k], to);
        y += line_h_;
      }
    }
  } else {
    for (int32_t l = top; l <= last; ++l) {
      const int y = TextTop() + (l - top) * line_h_;
      if (y > e->rect().bottom() || y + line_h_ < e->rect().top()) continue;
      PaintLine(p, l, y, first_col, last_col, 0, data_->GetLineLen(l));
    }
  }
  p.setClipRect(area);
  // Caret: two pixels wide, coloured while a composition is open when asked.
  if (hasFocus() && caret_shown_) {
    const QRect c = CaretRect();
    const bool ime_colour = (ime_caret_on_ || (style_ & kEditStyleImeCaretColor)) && !preedit_.empty();
    if (c.x() + 1 >= TextLeft()) p.fillRect(QRect(c.x() + 1, c.y(), 2, c.height()), Color(ime_colour ? kEditColorImeCaret : kEditColorText));
  }
}

void CEditCtrl::PaintLine(QPainter& p, int32_t line, int y, int32_t first_col, int32_t last_col, int32_t from,
                          int32_t to) {
  std::u16string_view text = data_->GetLine(line);
  const int32_t line_len = static_cast<int32_t>(text.size());
  std::span<const uint8_t> attr_bytes = data_->GetLineAttr(line);
  // The caret line shows the composition inline, outside the buffer.
  std::u16string composed;
  std::vector<int> attr;
  const EditPos caret = data_->GetCaret();
  int32_t pre_from = -1;
  int32_t pre_to = -1;
  if (!preedit_.empty() && line == caret.line) {
    composed.assign(text.substr(0, static_cast<std::size_t>(caret.col)));
    composed += preedit_;
    composed += text.substr(static_cast<std::size_t>(caret.col));
    text = composed;
    pre_from = caret.col;
    pre_to = caret.col + static_cast<int32_t>(preedit_.size());
    // The row holding the caret carries the composition.
    const int32_t n = pre_to - pre_from;
    const bool holds = from <= caret.col && (to > caret.col || to == line_len);
    if (from > caret.col) from += n;
    if (holds || to > caret.col) to += n;
  }
  auto attr_at = [&](int32_t i) -> int {
    if (pre_from >= 0) {
      if (i >= pre_from && i < pre_to) return kPreeditAttr;
      if (i >= pre_to) i -= pre_to - pre_from;
    }
    return static_cast<std::size_t>(i) < attr_bytes.size() ? attr_bytes[static_cast<std::size_t>(i)] : 0;
  };

  // Selection on this line, in character columns of the buffer.
  int32_t sel_from = 0;
  int32_t sel_to = 0;
  bool sel_eol = false;  // the line end is selected too
  if (data_->HasSelection()) {
    const EditPos a = data_->GetSelStart();
    const EditPos b = data_->GetSelEnd();
    if (data_->IsBoxSelect()) {
      // The characters under the box's display columns.
      if (line >= a.line && line <= b.line)
        data_->BoxColumns(data_->GetBoxRect(data_->GetSelAnchor(), caret), line, &sel_from, &sel_to);
    } else if (line >= a.line && line <= b.line) {
      sel_from = line == a.line ? a.col : 0;
      sel_to = line == b.line ? b.col : INT32_MAX;
      sel_eol = line < b.line;
    }
  }
  auto selected = [&](int32_t i) {
    if (pre_from >= 0) {
      if (i >= pre_from && i < pre_to) return false;
      if (i >= pre_to) i -= pre_to - pre_from;
    }
    return i >= sel_from && i < sel_to;
  };

  const int tab = disp_.GetTabWidth();
  const int base = y + ascent_;
  const bool invert = (style_ & kEditStyleInvertSelText) != 0;
  // Without inverted text the selection is a light wash of its colour, so
  // keyword colours stay readable.
  QColor sel_back = Color(kEditColorSelBack);
  if (!invert) {
    const QColor b = Color(kEditColorBack);
    sel_back = QColor((sel_back.red() + 2 * b.red()) / 3, (sel_back.green() + 2 * b.green()) / 3,
                      (sel_back.blue() + 2 * b.blue()) / 3);
  }
  // From the first visible column on; characters before it are not painted.
  int32_t x = 0;
  std::size_t i = static_cast<std::size_t>(from);
  if (from == 0 && pre_from < 0 && first_col > 0) {
    // A long line starts from its measured block near the view's left edge.
    i = static_cast<std::size_t>(data_->ColumnAtX(line, first_col, false));
    x = data_->DisplayX(line, static_cast<int32_t>(i));
  }
  const std::size_t end = std::min(text.size(), static_cast<std::size_t>(to));
  QString run;
  int run_x = 0;
  QColor run_colour;
  auto flush = [&] {
    if (run.isEmpty()) return;
    p.setPen(run_colour);
    p.drawText(TextLeft() + (run_x - first_col) * char_w_, base, run);
    run.clear();
  };
  while (i < end && x <= last_col) {
    std::size_t len = 1;
    char32_t c = code_point_at(text, i, &len);
    const int w = c == U'\t' ? tab - x % tab : CEditDispData::CharWidth(c);
    if (x + w <= first_col) {
      x += w;
      i += len;
      continue;
    }
    const int a = attr_at(static_cast<int32_t>(i));
    const bool sel = selected(static_cast<int32_t>(i));
    const int px = TextLeft() + (x - first_col) * char_w_;
    const QRect cell(px, y, w * char_w_, line_h_);
    if (sel) p.fillRect(cell, sel_back);
    QColor colour = sel && invert ? Color(kEditColorSelText) : Color(ColourSlot(a & 0xFF));
    if (a & kPreeditAttr) {
      colour = Color(kEditColorText);
      p.fillRect(QRect(px, y + line_h_ - 1, w * char_w_, 1), colour);
    } else if ((a & kAttrUrl) && (style_ & kEditStyleUrl)) {
      p.fillRect(QRect(px, base + 1, w * char_w_, 1), sel ? colour : Color(kEditColorUrl));
    }
    const bool plain_ascii = c > 0x20 && c < 0x7F;
    if (plain_ascii && runs_ok_ && !run.isEmpty() && colour == run_colour && run_x + run.size() == x) {
      run.append(QChar(static_cast<char16_t>(c)));
    } else {
      flush();
      if (plain_ascii && runs_ok_) {
        run_x = x;
        run_colour = colour;
        run.append(QChar(static_cast<char16_t>(c)));
      } else if (c == U'\t' || c == U' ' || c == 0x3000) {
        const bool mark = (c == U'\t' && (style_ & kEditStyleShowTab)) || (c == U' ' && (style_ & kEditStyleShowSpace)) ||
                          (c == 0x3000 && (style_ & kEditStyleShow2ByteSpace));
        if (mark) {
          p.setPen(Color(kEditColorMark));
          if (c == U'\t') {
            // A small arrow pointing right.
            const int my = y + line_h_ / 2;
            const int ax = px + std::min(char_w_ * w, char_w_ * 2) - 2;
            p.drawLine(px + 1, my, ax, my);
            p.drawLine(ax - line_h_ / 5, my - line_h_ / 5, ax, my);
            p.drawLine(ax - line_h_ / 5, my + line_h_ / 5, ax, my);
          } else {
            // An open box at the foot of the line.
            const int h = std::max(2, line_h_ / 4);
            p.drawRect(QRect(px + 1, y + line_h_ - h - 2, w * char_w_ - 3, h));
          }
        }
      } else {
        // NUL, other controls and lone surrogates show as the replacement character.
        if (c < 0x20 || c == 0x7F || (c >= 0xD800 && c <= 0xDFFF)) c = 0xFFFD;
        QString one;
        if (c > 0xFFFF) {
          one.append(QChar(static_cast<char16_t>(0xD7C0 + (c >> 10))));
          one.append(QChar(static_cast<char16_t>(0xDC00 | (c & 0x3FF))));
        } else {
          one.append(QChar(static_cast<char16_t>(c)));
        }
        p.setPen(colour);
        p.drawText(px, base, one);
      }
    }
    x += w;
    i += len;
  }
  flush();
  if (i >= text.size() && end == text.size() && x <= last_col) {
    const int px = TextLeft() + (x - first_col) * char_w_;
    if (sel_eol) p.fillRect(QRect(px, y, char_w_, line_h_), sel_back);
    if ((style_ & kEditStyleShowLineFeed) && line + 1 < data_->GetLineCnt()) {
      // A downward arrow after the text.
      p.setPen(Color(kEditColorMark));
      const int cx = px + char_w_ / 2;
      const int top = y + 2 + line_h_ / 8;
      const int bottom = y + line_h_ - 2 - line_h_ / 8;
      p.drawLine(cx, top, cx, bottom);
      p.drawLine(cx, bottom, cx - char_w_ / 2, bottom - line_h_ / 4);
      p.drawLine(cx, bottom, cx + char_w_ / 2, bottom - line_h_ / 4);
    }
  }
}
