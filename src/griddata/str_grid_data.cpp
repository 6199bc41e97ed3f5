#include "griddata/str_grid_data.h"

using namespace kestrel;

CStrGridData::~CStrGridData() { col_cnt_ = 0; }

void CStrGridData::SetSize(int32_t rows, int32_t cols) {
  rows = rows < 0 ? 0 : rows;
  cols = cols < 0 ? 0 : cols;
  cells_.assign(static_cast<std::size_t>(rows) * static_cast<std::size_t>(cols), std::u16string());
  col_names_.assign(static_cast<std::size_t>(cols), std::u16string());
  col_editable_.assign(static_cast<std::size_t>(cols), 1);
  row_cnt_ = rows;
  col_cnt_ = cols;
  editable_ = 1;
  ResizeColWidthTable();
}

void CStrGridData::SetColName(int32_t col, std::u16string name) {
  if (col >= 0 && col < col_cnt_) col_names_[static_cast<std::size_t>(col)] = std::move(name);
}

void CStrGridData::SetColEditable(int32_t col, bool editable) {
  if (col >= 0 && col < col_cnt_) col_editable_[static_cast<std::size_t>(col)] = editable ? 1 : 0;
}

std::u16string_view CStrGridData::GetData(int32_t row, int32_t col) const {
  if (!InRange(row, col)) return u"";
  return cells_[static_cast<std::size_t>(row) * static_cast<std::size_t>(col_cnt_) +
                static_cast<std::size_t>(col)];
}

bool CStrGridData::IsNull(int32_t row, int32_t col) const { return GetData(row, col).empty(); }

std::u16string CStrGridData::GetColName(int32_t col) const {
  if (col < 0 || col >= col_cnt_) return u"";
  return col_names_[static_cast<std::size_t>(col)];
}

int32_t CStrGridData::GetColLen(int32_t) const { return grid::kStrGridColLen; }

bool CStrGridData::IsColEditable(int32_t row, int32_t col) const {
  return editable_ && InRange(row, col) && col_editable_[static_cast<std::size_t>(col)] != 0;
}

int32_t CStrGridData::UpdateData(int32_t row, int32_t col, std::u16string_view text) {
  if (!IsColEditable(row, col)) return grid::kRefused;
  cells_[static_cast<std::size_t>(row) * static_cast<std::size_t>(col_cnt_) +
         static_cast<std::size_t>(col)] = std::u16string(text);
  return grid::kOk;
}

int32_t CStrGridData::UpdateRange(CellPoint pt1, CellPoint pt2, std::u16string_view text) {
  // Rows and columns run from point 1 to point 2 as given.
  for (int32_t row = pt1.row; row <= pt2.row; ++row)
    for (int32_t col = pt1.col; col <= pt2.col; ++col) UpdateData(row, col, text);
  return grid::kOk;
}

int32_t CStrGridData::Paste(std::u16string_view text) {
  return UpdateData(GetCurRow(), GetCurCol(), text);
}
