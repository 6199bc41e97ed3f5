// CGridData_SwapRowCol: the current result transposed. Every record becomes
// a column and every column a row; operations are forwarded to the
// underlying grid data with rows and columns exchanged, so editing, undo and
// saving work on the underlying data unchanged. The view keeps its own
// current cell, selection, column widths and notify windows.
#pragma once

#include <cstdint>
#include <string>

#include "griddata/grid_data.h"

class CGridData_SwapRowCol : public CGridData {
 public:
  CGridData_SwapRowCol() = default;
  explicit CGridData_SwapRowCol(CGridData* data) { InitSwapView(data); }

  // Attaches to `data` (not owned): a fresh width table for the new column
  // count and the row header length.
  void InitSwapView(CGridData* data);
  CGridData* GetGridData() const { return data_; }

  int32_t GetColCnt() const override;
  int32_t GetRowCnt() const override;
  std::u16string_view GetData(int32_t row, int32_t col) const override;
  std::u16string_view GetDispData(int32_t row, int32_t col) const override;
  std::u16string_view GetEditData(int32_t row, int32_t col) const override;
  bool IsEditDataComplete(int32_t row, int32_t col) const override;
  bool IsNull(int32_t row, int32_t col) const override;
  std::u16string GetColName(int32_t col) const override;
  std::u16string GetDispColName(int32_t col) const override;
  int32_t GetColLen(int32_t col) const override;
  int32_t GetColScale(int32_t col) const override;
  int32_t GetColDataType(int32_t row, int32_t col) const override;
  bool IsColNullable(int32_t col) const override;
  bool IsEditable() const override;
  int32_t GetMaxDataLen(int32_t row, int32_t col) const override;
  int32_t InsertRows(int32_t row, int32_t count) override;
  int32_t DeleteRows(int32_t first_row, int32_t last_row) override;
  int32_t DeleteNullRows(bool all) override;
  int32_t UpdateRange(kestrel::CellPoint pt1, kestrel::CellPoint pt2,
                      std::u16string_view text) override;
  int32_t UpdateData(int32_t row, int32_t col, std::u16string_view text) override;
  bool IsColEditable(int32_t row, int32_t col) const override;
  int32_t StartUndoSet() override;
  void EndUndoSet() override;
  CUndoData* GetUndoData() override;
  bool IsInsertRow(int32_t row) const override;
  bool IsUpdateRow(int32_t row) const override;
  bool IsDeleteRow(int32_t row) const override;
  bool IsUpdateCell(int32_t row, int32_t col) const override;
  bool CanUndo() const override;
  bool CanRedo() const override;
  int32_t Undo() override;
  int32_t Redo() override;
  int32_t Paste(std::u16string_view text) override;
  bool CanInsertRow() const override;
  bool CanDeleteRow(int32_t row) const override;
  std::u16string_view GetFetchedData(int32_t row, int32_t col) const override;
  int32_t GetRowHeaderLen() const override { return row_header_len_; }
  std::u16string GetRowHeader(int32_t row) const override;
  bool SearchColName(int32_t start_col, int32_t* found_col, int32_t direction,
                     bool include_start, const kestrel::TextMatcher& matcher) const override;
  bool IsValidCurRow() const override;
  int32_t SortData(const int32_t* key_cols, const int32_t* key_orders,
                   int32_t key_count) override;

 private:
  template <typename F>
  auto Synchronised(F&& call);

  CGridData* data_ = nullptr;
  int32_t row_header_len_ = 6;
};
