// The transposed view: every call forwarded with rows and columns exchanged;
// calls that may move the current cell are synchronised with the data's.
// Tested by tests/griddata/swap_view_test.cpp.
#include "griddata/grid_data_swap_row_col.h"

#include <algorithm>

#include "griddata/paste_text.h"
#include "platform/format.h"
#include "platform/utf16.h"

using namespace kestrel;

void CGridData_SwapRowCol::InitSwapView(CGridData* data) {
  data_ = data;
  ResetColWidthTable();
  int32_t longest = 0;
  if (data_) {
    for (int32_t c = 0, n = data_->GetColCnt(); c < n; ++c) {
      std::u16string name = data_->GetColName(c);
      int32_t chars = 0;
      for (std::size_t i = 0; i < name.size(); ++chars) {
        std::size_t len = 1;
        code_point_at(name, i, &len);
        i += len;
      }
      longest = std::max(longest, chars);
    }
  }
  row_header_len_ = std::max(longest, 6) + (data_ && data_->IsEditable() ? 2 : 0);
}

// Puts the underlying current cell where the view's is, runs `call`, and
// takes the (possibly moved) underlying current cell back, transposed.
template <typename F>
auto CGridData_SwapRowCol::Synchronised(F&& call) {
  if (GetCurCol() >= 0 && GetCurRow() >= 0) data_->SetCurCell(GetCurCol(), GetCurRow());
  auto result = call();
  SetCurCellRaw(data_->GetCurCol(), data_->GetCurRow());
  return result;
}

int32_t CGridData_SwapRowCol::GetColCnt() const { return data_ ? data_->GetRowCnt() : 0; }
int32_t CGridData_SwapRowCol::GetRowCnt() const { return data_ ? data_->GetColCnt() : 0; }

std::u16string_view CGridData_SwapRowCol::GetData(int32_t row, int32_t col) const {
  return data_ ? data_->GetData(col, row) : std::u16string_view();
}
std::u16string_view CGridData_SwapRowCol::GetDispData(int32_t row, int32_t col) const {
  return data_ ? data_->GetDispData(col, row) : std::u16string_view();
}
std::u16string_view CGridData_SwapRowCol::GetEditData(int32_t row, int32_t col) const {
  return data_ ? data_->GetEditData(col, row) : std::u16string_view();
}

bool CGridData_SwapRowCol::IsEditDataComplete(int32_t row, int32_t col) const {
  return data_ == nullptr || data_->IsEditDataComplete(col, row);
}
bool CGridData_SwapRowCol::IsNull(int32_t row, int32_t col) const {
  return data_ ? data_->IsNull(col, row) : true;
}

std::u16string CGridData_SwapRowCol::GetColName(int32_t col) const {
  return format(u"%d", {static_cast<int64_t>(col) + 1});
}
std::u16string CGridData_SwapRowCol::GetDispColName(int32_t col) const { return GetColName(col); }
int32_t CGridData_SwapRowCol::GetColLen(int32_t) const { return 100; }
int32_t CGridData_SwapRowCol::GetColScale(int32_t) const { return 0; }
int32_t CGridData_SwapRowCol::GetColDataType(int32_t row, int32_t col) const {
  return data_ ? data_->GetColDataType(col, row) : grid::kTypeText;
}
bool CGridData_SwapRowCol::IsColNullable(int32_t) const { return true; }
bool CGridData_SwapRowCol::IsEditable() const { return data_ && data_->IsEditable(); }
int32_t CGridData_SwapRowCol::GetMaxDataLen(int32_t row, int32_t col) const {
  return data_ ? data_->GetMaxDataLen(col, row) : 0;
}

int32_t CGridData_SwapRowCol::InsertRows(int32_t row, int32_t count) {
  if (!data_) return grid::kRefused;
  int32_t r = Synchronised([&] { return data_->InsertRows(row, count); });
  ResizeColWidthTable();  // new records are new columns here
  return r;
}
int32_t CGridData_SwapRowCol::DeleteRows(int32_t first_row, int32_t last_row) {
  if (!data_) return grid::kRefused;
  return Synchronised([&] { return data_->DeleteRows(first_row, last_row); });
}
int32_t CGridData_SwapRowCol::DeleteNullRows(bool all) { return data_ ? data_->DeleteNullRows(all) : 0; }
int32_t CGridData_SwapRowCol::UpdateRange(CellPoint pt1, CellPoint pt2, std::u16string_view text) {
  if (!data_) return grid::kRefused;
  CellPoint a{pt1.row, pt1.col}, b{pt2.row, pt2.col};
  return Synchronised([&] { return data_->UpdateRange(a, b, text); });
}
int32_t CGridData_SwapRowCol::UpdateData(int32_t row, int32_t col, std::u16string_view text) {
  if (!data_) return grid::kRefused;
  return Synchronised([&] { return data_->UpdateData(col, row, text); });
}
bool CGridData_SwapRowCol::IsColEditable(int32_t row, int32_t col) const {
  return data_ && data_->IsColEditable(col, row);
}
int32_t CGridData_SwapRowCol::StartUndoSet() { return data_ ? data_->StartUndoSet() : 0; }
void CGridData_SwapRowCol::EndUndoSet() {
  if (data_) data_->EndUndoSet();
}
CUndoData* CGridData_SwapRowCol::GetUndoData() { return data_ ? data_->GetUndoData() : nullptr; }
bool CGridData_SwapRowCol::IsInsertRow(int32_t row) const { return data_ && data_->IsInsertRow(row); }
bool CGridData_SwapRowCol::IsUpdateRow(int32_t row) const { return data_ && data_->IsUpdateRow(row); }
bool CGridData_SwapRowCol::IsDeleteRow(int32_t row) const { return data_ && data_->IsDeleteRow(row); }
bool CGridData_SwapRowCol::IsUpdateCell(int32_t row, int32_t col) const {
  return data_ && data_->IsUpdateCell(col, row);
}
bool CGridData_SwapRowCol::CanUndo() const { return data_ && data_->CanUndo(); }
bool CGridData_SwapRowCol::CanRedo() const { return data_ && data_->CanRedo(); }
int32_t CGridData_SwapRowCol::Undo() {
  if (!data_) return grid::kRefused;
  return Synchronised([&] { return data_->Undo(); });
}
int32_t CGridData_SwapRowCol::Redo() {
  if (!data_) return grid::kRefused;
  return Synchronised([&] { return data_->Redo(); });
}
int32_t CGridData_SwapRowCol::Paste(std::u16string_view text) {
  if (!data_) return grid::kRefused;
  return PasteText(*this, text);
}
bool CGridData_SwapRowCol::CanInsertRow() const { return data_ && data_->CanInsertRow(); }
bool CGridData_SwapRowCol::CanDeleteRow(int32_t row) const { return data_ && data_->CanDeleteRow(row); }
std::u16string_view CGridData_SwapRowCol::GetFetchedData(int32_t row, int32_t col) const {
  return data_ ? data_->GetFetchedData(col, row) : std::u16string_view();
}
std::u16string CGridData_SwapRowCol::GetRowHeader(int32_t row) const {
  return data_ ? data_->GetColName(row) : std::u16string();
}
bool CGridData_SwapRowCol::SearchColName(int32_t start_col, int32_t* found_col, int32_t direction,
                                         bool include_start, const TextMatcher& matcher) const {
  return data_ && data_->SearchColName(start_col, found_col, direction, include_start, matcher);
}
bool CGridData_SwapRowCol::IsValidCurRow() const { return GetCurCol() != -1; }
int32_t CGridData_SwapRowCol::SortData(const int32_t*, const int32_t*, int32_t) {
  return grid::kOk;  // sorting is not offered while rows and columns are swapped
}
