// Default behaviour of every CGridData slot, current cell, selection, notify
// windows and the column width table. Tested by tests/griddata/grid_data_test.cpp.
#include "griddata/grid_data.h"

#include <algorithm>
#include <chrono>
#include <thread>

#include "platform/format.h"
#include "platform/msg_target.h"

using namespace kestrel;
using namespace kestrel::grid;

CGridData::CGridData() = default;

CGridData::~CGridData() = default;

int32_t CGridData::GetColCnt() const { return 100; }
int32_t CGridData::GetRowCnt() const { return 1000; }
std::u16string_view CGridData::GetData(int32_t, int32_t) const { return u"data"; }
std::u16string_view CGridData::GetDispData(int32_t row, int32_t col) const { return GetData(row, col); }
std::u16string_view CGridData::GetEditData(int32_t row, int32_t col) const { return GetData(row, col); }
bool CGridData::IsNull(int32_t, int32_t) const { return false; }
std::u16string CGridData::GetColName(int32_t) const { return u"test"; }
std::u16string CGridData::GetDispColName(int32_t col) const { return GetColName(col); }
int32_t CGridData::GetColLen(int32_t) const { return -1; }
int32_t CGridData::GetColScale(int32_t) const { return 0; }
int32_t CGridData::GetColDataType(int32_t, int32_t) const { return kTypeText; }
bool CGridData::IsColNullable(int32_t) const { return true; }
bool CGridData::IsEditable() const { return false; }
int32_t CGridData::GetMaxDataLen(int32_t, int32_t) const { return kDefaultMaxDataLen; }
int32_t CGridData::InsertRows(int32_t, int32_t) { return 0; }
int32_t CGridData::DeleteRows(int32_t, int32_t) { return 0; }
int32_t CGridData::DeleteNullRows(bool) { return 0; }
int32_t CGridData::UpdateRange(CellPoint, CellPoint, std::u16string_view) { return 0; }
int32_t CGridData::UpdateData(int32_t, int32_t, std::u16string_view) { return 0; }
bool CGridData::IsColEditable(int32_t, int32_t) const { return false; }

namespace {

bool is_line_break(char16_t c) { return c == u'\r' || c == u'\n'; }

// Waits while the flag asks for a pause; true when asked to stop.
bool poll_cancel(const CancelFlag* cancel) {
  if (!cancel) return false;
  for (;;) {
    int32_t v = cancel->load(std::memory_order_relaxed);
    if (v == 1) return true;
    if (v != 2) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
  }
}

int32_t col_data_width(const CGridData& g, int32_t col, int32_t limit, const TextMeasure* dc,
                       const CancelFlag* cancel, bool trimmed) {
  if (!dc) return kNotAvailable;
  if (col < 0 || col >= g.GetColCnt()) return 0;
  const int32_t mark = 2 * dc->TextWidth(u"x");  // room for the line-feed mark
  int32_t widest = 0;
  const int32_t rows = g.GetRowCnt();
  for (int32_t row = 0; row < rows; ++row) {
    if ((row & 0xFF) == 0 && poll_cancel(cancel)) break;
    std::u16string_view t = g.GetDispData(row, col);
    std::size_t end = 0;
    while (end < t.size() && !is_line_break(t[end])) ++end;
    bool broken = end < t.size();
    std::u16string_view part = t.substr(0, end);
    if (trimmed)
      while (!part.empty() && (part.back() == u' ' || part.back() == u'\t')) part.remove_suffix(1);
    int32_t w = dc->TextWidth(part) + (broken ? mark : 0);
    widest = std::max(widest, w);
    if (limit > 0 && widest >= limit) break;
  }
  return widest;
}

}  // namespace

int32_t CGridData::GetColDataWidth(int32_t col, int32_t limit, const TextMeasure* dc,
                                   const CancelFlag* cancel) const {
  return col_data_width(*this, col, limit, dc, cancel, false);
}

int32_t CGridData::GetColDataWidthTrimmed(int32_t col, int32_t limit, const TextMeasure* dc,
                                          const CancelFlag* cancel) const {
  return col_data_width(*this, col, limit, dc, cancel, true);
}

int32_t CGridData::StartUndoSet() { return 0; }
void CGridData::EndUndoSet() {}
CUndoData* CGridData::GetUndoData() { return nullptr; }
bool CGridData::IsInsertRow(int32_t) const { return false; }
bool CGridData::IsUpdateRow(int32_t) const { return false; }
bool CGridData::IsDeleteRow(int32_t) const { return false; }
bool CGridData::IsUpdateCell(int32_t, int32_t) const { return false; }
bool CGridData::IsNullRow(int32_t) const { return false; }
bool CGridData::CanUndo() const { return false; }
bool CGridData::CanRedo() const { return false; }
int32_t CGridData::Undo() { return 0; }
int32_t CGridData::Redo() { return 0; }
int32_t CGridData::Paste(std::u16string_view) { return 0; }
bool CGridData::CanInsertRow() const { return false; }
bool CGridData::CanDeleteRow(int32_t) const { return false; }
std::u16string_view CGridData::GetFetchedData(int32_t, int32_t) const { return u""; }
int32_t CGridData::GetRowHeaderLen() const {
  // Six characters, or more when the largest row number needs them.
  int32_t digits = 1;
  for (int64_t n = GetRowCnt(); n >= 10; n /= 10) ++digits;
  return std::max(6, digits);
}

std::u16string CGridData::GetRowHeader(int32_t row) const {
  return kestrel::format(u"%*d", {GetRowHeaderLen(), static_cast<int64_t>(row) + 1});
}

uint32_t CGridData::GetCellTextColor(int32_t, int32_t) const { return text_color_; }
uint32_t CGridData::GetColHeaderTextColor(int32_t) const { return text_color_; }
bool CGridData::HasCellColor(int32_t, int32_t) const { return false; }
uint32_t CGridData::GetCellColor(int32_t, int32_t) const { return kDefaultCellColor; }

bool CGridData::SearchColName(int32_t start, int32_t* found, int32_t direction, bool include_start,
                              const TextMatcher& matcher) const {
  const int32_t n = GetColCnt();
  if (n <= 0 || !matcher) return false;
  start = std::clamp(start, 0, n - 1);
  auto hit = [&](int32_t c) {
    if (!matcher(GetColName(c))) return false;
    if (found) *found = c;
    return true;
  };
  if (include_start && hit(start)) return true;
  // The search always wraps: every other column once, in direction order.
  for (int32_t i = 1; i < n; ++i) {
    int32_t c = direction == 1 ? (start + i) % n : (start - i + n) % n;
    if (hit(c)) return true;
  }
  return false;
}

bool CGridData::IsValidCurRow() const { return cur_row_ != -1; }

void CGridData::SetColWidth(int32_t col, int32_t width) {
  // Negative columns are refused like columns past the table.
  if (col < 0 || static_cast<std::size_t>(col) >= col_widths_.size()) return;
  uint16_t& e = col_widths_[static_cast<std::size_t>(col)];
  if (width > 0) e = static_cast<uint16_t>((width & kColWidthMask) | kColShown);
  else e = static_cast<uint16_t>(e & ~kColShown);
  if (e == kColShown) e = kDefaultColWidth;
}

int32_t CGridData::GetColWidth(int32_t col) const {
  if (col < 0 || static_cast<std::size_t>(col) >= col_widths_.size()) return kWidthOutsideTable;
  uint16_t e = col_widths_[static_cast<std::size_t>(col)];
  if (!(e & kColShown)) return 0;
  return e & kColWidthMask;
}

uint16_t CGridData::GetColWidthEntry(int32_t col) const {
  if (col < 0 || static_cast<std::size_t>(col) >= col_widths_.size()) return kDefaultColWidth;
  return col_widths_[static_cast<std::size_t>(col)];
}

void CGridData::ResizeColWidthTable() {
  int32_t n = GetColCnt();
  if (n > 0 && static_cast<std::size_t>(n) > col_widths_.size())
    col_widths_.resize(static_cast<std::size_t>(n), kDefaultColWidth);
}

void CGridData::ResetColWidthTable() {
  col_widths_.clear();
  ResizeColWidthTable();
}

int32_t CGridData::AddNotifyWnd(MsgTarget* wnd) {
  if (!wnd) return -1;
  for (int i = 0; i < kMaxNotifyWnds; ++i) {
    if (!notify_[i]) {
      notify_[i] = wnd;
      return i;
    }
  }
  return -1;  // a fifth window is not stored
}

int32_t CGridData::RemoveNotifyWnd(MsgTarget* wnd) {
  if (!wnd) return -1;
  for (int i = 0; i < kMaxNotifyWnds; ++i) {
    if (notify_[i] == wnd) {
      notify_[i] = nullptr;
      return i;
    }
  }
  return -1;
}

int32_t CGridData::NotifyWndCount() const {
  return static_cast<int32_t>(std::count_if(std::begin(notify_), std::end(notify_),
                                            [](MsgTarget* w) { return w != nullptr; }));
}

void CGridData::NotifyWnds(MsgTarget* sender, uint32_t msg, uintptr_t wparam, intptr_t lparam) {
  // Copy first: a handler may register or unregister while we send.
  MsgTarget* targets[kMaxNotifyWnds];
  std::copy(std::begin(notify_), std::end(notify_), targets);
  for (MsgTarget* w : targets)
    if (w && w != sender) w->send(msg, wparam, lparam);
}

std::u16string CGridData::GetLastErrorMsg() const { return u""; }

int32_t CGridData::SortData(const int32_t*, const int32_t*, int32_t) { return kNotAvailable; }

std::u16string CGridData::GetColTypeName(int32_t) const { return u""; }

int32_t CGridData::SetFilter(const FilterRequest&, int32_t* out_count, std::u16string* out_message) {
  if (out_count) *out_count = 0;
  if (out_message) out_message->clear();
  return kNotAvailable;
}

void CGridData::ClearFilter() {
  if (!filter_active_) return;
  int32_t col = filter_ ? filter_->GetCurCol() : cur_col_;
  const int32_t cols = GetColCnt();
  col = cols <= 0 ? -1 : std::clamp(col, 0, cols - 1);
  cur_col_ = col;
  cur_row_ = GetRowCnt() > 0 ? 0 : -1;
  filter_active_ = 0;
}

bool CGridData::IsRowMarkSupported() const { return false; }
void CGridData::ClearRowMark(int32_t) {}
void CGridData::SetRowMark(int32_t) {}
bool CGridData::IsRowMarked(int32_t) const { return false; }
void CGridData::SwapRow(int32_t, int32_t) {}

void CGridData::FreeFilter() {
  filter_.reset();
  filter_active_ = 0;
}

void CGridData::SetCurCell(int32_t row, int32_t col) {
  const int32_t rows = GetRowCnt(), cols = GetColCnt();
  cur_row_ = rows <= 0 ? -1 : std::clamp(row, 0, rows - 1);
  cur_col_ = cols <= 0 ? -1 : std::clamp(col, 0, cols - 1);
}

bool CGridData::IsValidCurCell() const {
  return cur_row_ >= 0 && cur_col_ >= 0 && cur_row_ < GetRowCnt() && cur_col_ < GetColCnt();
}

void CGridData::SetSelection(int32_t anchor_col, int32_t row1, int32_t end_col, int32_t row2) {
  selection_.anchor_col = anchor_col;
  selection_.end_col = end_col;
  selection_.top_row = std::min(row1, row2);
  selection_.bottom_row = std::max(row1, row2);
}

bool CGridData::HasSelection() const {
  const CellRange& s = selection_;
  if (s.top_row == -1) return false;
  return !(s.anchor_col == s.end_col && s.top_row == s.bottom_row);
}

void CGridData::SetOwnDisplayMetrics(std::unique_ptr<GridDisplayMetrics> m) {
  bool shared = metrics_ && metrics_ != own_metrics_.get();
  own_metrics_ = std::move(m);
  if (!shared) metrics_ = own_metrics_.get();
}

void CGridData::ShareDisplayMetrics(GridDisplayMetrics* m) {
  metrics_ = m ? m : own_metrics_.get();
}
