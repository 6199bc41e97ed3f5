// CStrGridData: a plain in-memory table of strings that its owner fills
// (small fixed grids such as the colour preview of the grid options). The
// owner sizes it, writes the cells through UpdateData while the editable
// switch is on, and may then turn the switch off to make it read-only.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "griddata/grid_data.h"

class CStrGridData : public CGridData {
 public:
  CStrGridData() = default;
  CStrGridData(int32_t rows, int32_t cols) { SetSize(rows, cols); }
  ~CStrGridData() override;

  int32_t GetColCnt() const override { return col_cnt_; }
  int32_t GetRowCnt() const override { return row_cnt_; }
  std::u16string_view GetData(int32_t row, int32_t col) const override;
  bool IsNull(int32_t row, int32_t col) const override;
  std::u16string GetColName(int32_t col) const override;
  int32_t GetColLen(int32_t col) const override;
  bool IsEditable() const override { return editable_ != 0; }
  int32_t UpdateRange(kestrel::CellPoint pt1, kestrel::CellPoint pt2,
                      std::u16string_view text) override;
  int32_t UpdateData(int32_t row, int32_t col, std::u16string_view text) override;
  bool IsColEditable(int32_t row, int32_t col) const override;
  int32_t Paste(std::u16string_view text) override;
  // Slots 62 and 63: this grid hides no columns and tracks no edits.
  virtual int32_t GetHiddenColCnt() const { return 0; }  // 62
  virtual bool IsModified() const { return false; }      // 63

  // ---- filling ----
  // Discards everything and makes an empty rows x cols table; every column
  // editable, the editable switch on.
  void SetSize(int32_t rows, int32_t cols);
  void SetColName(int32_t col, std::u16string name);
  void SetColEditable(int32_t col, bool editable);
  void SetEditable(bool on) { editable_ = on ? 1 : 0; }

 private:
  bool InRange(int32_t row, int32_t col) const {
    return row >= 0 && col >= 0 && row < row_cnt_ && col < col_cnt_;
  }

  int32_t col_cnt_ = 0;
  int32_t row_cnt_ = 0;
  std::vector<std::u16string> cells_;  // row-major: row * col_cnt_ + col
  std::vector<std::u16string> col_names_;
  std::vector<int32_t> col_editable_;
  int32_t editable_ = 1;
};
