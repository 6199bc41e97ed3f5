// CEditCtrl with wrapping at the right edge ("右端で折り返す"): a buffer
// line shows as one or more rows of at most the visible width. The view's
// top is a line and a row inside it, and every movement walks rows from a
// known place, so only the lines near the view or the caret are measured.
#include <QScrollBar>
#include <algorithm>

#include "platform/utf16.h"
#include "sqltext/edit_ctrl.h"

namespace {

// Columns character `c` takes at row column `x` (tabs run to the next stop
// counted from the row start).
int Advance(char32_t c, int32_t x, int tab) { return c == U'\t' ? tab - x % tab : CEditDispData::CharWidth(c); }

}  // namespace

void CEditCtrl::SetWrap(bool on) {
  if (wrap_ == on) return;
  wrap_ = on;
  top_sub_ = 0;
  disp_.ScrollTo(disp_.GetTopLine(), 0);
  UpdateScrollBars();
  AfterCaretMove();
}

int32_t CEditCtrl::WrapColumns() const { return std::max(disp_.GetVisibleColumns(), 2); }

std::vector<int32_t> CEditCtrl::RowStarts(int32_t line) const {
  if (!wrap_) return {0};
  // Kept with the line by the buffer: a keystroke re-measures from its row on.
  return data_->WrapRowStarts(line, WrapColumns());
}

CEditCtrl::Row CEditCtrl::RowOf(EditPos p) const {
  if (!wrap_) return {p.line, 0};
  const std::vector<int32_t> starts = RowStarts(p.line);
  const auto it = std::upper_bound(starts.begin(), starts.end(), p.col);
  return {p.line, static_cast<int32_t>(it - starts.begin()) - 1};
}

int32_t CEditCtrl::RowX(EditPos p, int32_t row_start) const {
  std::u16string_view t = data_->GetLine(p.line);
  const int tab = disp_.GetTabWidth();
  int32_t x = 0;
  const std::size_t end = std::min<std::size_t>(static_cast<std::size_t>(p.col), t.size());
  for (std::size_t i = static_cast<std::size_t>(row_start); i < end;) {
    std::size_t len = 1;
    x += Advance(kestrel::code_point_at(t, i, &len), x, tab);
    i += len;
  }
  return x;
}

EditPos CEditCtrl::RowPos(Row r, int32_t x, bool nearest) const {
  const std::vector<int32_t> starts = RowStarts(r.line);
  r.sub = std::clamp(r.sub, 0, static_cast<int32_t>(starts.size()) - 1);
  std::u16string_view t = data_->GetLine(r.line);
  const std::size_t from = static_cast<std::size_t>(starts[static_cast<std::size_t>(r.sub)]);
  const bool last = static_cast<std::size_t>(r.sub) + 1 == starts.size();
  const std::size_t to = last ? t.size() : static_cast<std::size_t>(starts[static_cast<std::size_t>(r.sub) + 1]);
  const int tab = disp_.GetTabWidth();
  int32_t cur = 0;
  std::size_t i = from;
  while (i < to) {
    std::size_t len = 1;
    const int w = Advance(kestrel::code_point_at(t, i, &len), cur, tab);
    if (x < cur + w) {
      if (nearest && x - cur >= (w + 1) / 2) i += len;
      break;
    }
    cur += w;
    i += len;
  }
  // Past the end of a row that goes on below: before its last character,
  // so the caret stays on the row clicked.
  if (!last && i >= to) i = kestrel::prev_char_start(t, to);
  return {r.line, static_cast<int32_t>(i)};
}

CEditCtrl::Row CEditCtrl::StepRows(Row r, int32_t n) const {
  const int32_t lines = data_->GetLineCnt();
  while (n > 0) {
    const int32_t count = static_cast<int32_t>(RowStarts(r.line).size());
    if (r.sub + n < count) return {r.line, r.sub + n};
    if (r.line + 1 >= lines) return {r.line, count - 1};
    n -= count - r.sub;
    r = {r.line + 1, 0};
  }
  while (n < 0) {
    if (r.sub + n >= 0) return {r.line, r.sub + n};
    if (r.line == 0) return {0, 0};
    n += r.sub + 1;
    r.line -= 1;
    r.sub = static_cast<int32_t>(RowStarts(r.line).size()) - 1;
  }
  return r;
}

int32_t CEditCtrl::RowsBetween(Row from, Row to, int32_t limit) const {
  // Rows from `from` down to `to` (negative when `to` is above), counted up
  // to `limit` either way.
  if (to.line < from.line || (to.line == from.line && to.sub < from.sub)) return -std::min(limit, RowsBetween(to, from, limit));
  int32_t n = 0;
  Row r = from;
  while (r.line < to.line && n <= limit) {
    n += static_cast<int32_t>(RowStarts(r.line).size()) - r.sub;
    r = {r.line + 1, 0};
  }
  return std::min(n + to.sub - r.sub, limit);
}

void CEditCtrl::EnsureVisible() {
  if (!wrap_) {
    disp_.EnsureCaretVisible();
    return;
  }
  const Row caret = RowOf(data_->GetCaret());
  const Row top{disp_.GetTopLine(), top_sub_};
  const int32_t visible = disp_.GetVisibleLines();
  const int32_t d = RowsBetween(top, caret, visible + 1);
  Row new_top = top;
  if (d < 0) new_top = caret;
  else if (d >= visible) new_top = StepRows(caret, -(visible - 1));
  disp_.ScrollTo(new_top.line, 0);
  top_sub_ = new_top.sub;
}

void CEditCtrl::ScrollRows(int32_t n) {
  Row top = StepRows({disp_.GetTopLine(), top_sub_}, n);
  disp_.ScrollTo(top.line, 0);
  top_sub_ = top.sub;
  UpdateScrollBars();
  update();
}

EditPos CEditCtrl::MoveRows(EditPos p, int32_t n) const {
  if (!wrap_) return disp_.LineMove(p, n, want_x_);
  return RowPos(StepRows(RowOf(p), n), want_x_, false);
}

int32_t CEditCtrl::CaretWantX() const {
  const EditPos c = data_->GetCaret();
  if (!wrap_) return disp_.DisplayColumn(c);
  const std::vector<int32_t> starts = RowStarts(c.line);
  const Row r = RowOf(c);
  return RowX(c, starts[static_cast<std::size_t>(r.sub)]);
}
