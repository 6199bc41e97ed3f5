// CEditableGridData: the grid data that records every change made to a
// loaded result (rows inserted, updated, deleted; changed cells and their new
// texts) with an unlimited undo/redo history. It keeps no loaded texts
// itself: they come from GetFetchedData, by default through a CellTextSource
// (the Oracle grid plugs in its result set). The save reads the row states
// kept here (GetRowFlags, GetFetchedRow, IsUpdateCell, GetData).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "griddata/grid_data.h"
#include "griddata/undo_data.h"

namespace kestrel {
class CellTextSource;
namespace detail {
class RowTable;
class BlockPool;
}  // namespace detail
}  // namespace kestrel

class CEditableGridData : public CGridData {
 public:
  CEditableGridData();
  ~CEditableGridData() override;

  // ---- slots of CGridData implemented here ----
  // The loaded layout's column count; a subclass with hidden columns narrows it.
  int32_t GetColCnt() const override { return col_cnt_; }
  int32_t GetRowCnt() const override;
  std::u16string_view GetData(int32_t row, int32_t col) const override;
  bool IsNull(int32_t row, int32_t col) const override;
  bool IsEditable() const override { return true; }
  int32_t InsertRows(int32_t row, int32_t count) override;
  int32_t DeleteRows(int32_t first_row, int32_t last_row) override;
  int32_t DeleteNullRows(bool all) override;
  int32_t UpdateRange(kestrel::CellPoint pt1, kestrel::CellPoint pt2,
                      std::u16string_view text) override;
  int32_t UpdateData(int32_t row, int32_t col, std::u16string_view text) override;
  bool IsColEditable(int32_t row, int32_t col) const override;
  int32_t StartUndoSet() override;
  void EndUndoSet() override;
  CUndoData* GetUndoData() override { return undo_.get(); }
  bool IsInsertRow(int32_t row) const override;
  bool IsUpdateRow(int32_t row) const override;
  bool IsDeleteRow(int32_t row) const override;
  bool IsUpdateCell(int32_t row, int32_t col) const override;
  bool IsNullRow(int32_t row) const override;
  bool CanUndo() const override;
  bool CanRedo() const override;
  int32_t Undo() override;
  int32_t Redo() override;
  int32_t Paste(std::u16string_view text) override;
  bool CanInsertRow() const override { return can_insert_ != 0; }
  bool CanDeleteRow(int32_t row) const override;
  std::u16string_view GetFetchedData(int32_t row, int32_t col) const override;
  int32_t GetRowHeaderLen() const override;
  std::u16string GetRowHeader(int32_t row) const override;
  int32_t SortData(const int32_t* key_cols, const int32_t* key_orders,
                   int32_t key_count) override;
  int32_t SetFilter(const kestrel::FilterRequest& request, int32_t* out_count,
                    std::u16string* out_message) override;
  void ClearFilter() override;
  bool IsRowMarkSupported() const override { return true; }
  void ClearRowMark(int32_t row) override;
  void SetRowMark(int32_t row) override;
  bool IsRowMarked(int32_t row) const override;
  void SwapRow(int32_t row1, int32_t row2) override;

  // ---- slots added after 61 ----
  virtual int32_t GetHiddenColCnt() const = 0;                                    // 62
  virtual bool IsModified() const;                                                // 63
  virtual int32_t UpdateDataUndo(int32_t row, int32_t col, std::u16string_view text);  // 64
  virtual int32_t DeleteRow(int32_t row);                                         // 65

  // ---- loading ----
  // Discards every row, state and undo step and starts over with `rows`
  // loaded rows of `cols` columns. Returns non-zero when memory ran out.
  int32_t InitData(int32_t rows, int32_t cols);
  // The loaded texts (not owned); null gives empty loaded texts.
  void SetCellTextSource(const kestrel::CellTextSource* source) { source_ = source; }
  const kestrel::CellTextSource* GetCellTextSource() const { return source_; }

  // ---- states read by the save and the status line ----
  uint8_t GetRowFlags(int32_t row) const;  // 0 outside the rows
  int32_t GetFetchedRow(int32_t row) const;  // -1 for inserted rows and outside
  int32_t GetInsertedRowCnt() const { return inserted_cnt_; }
  int32_t GetUpdatedRowCnt() const { return updated_cnt_; }
  int32_t GetDeletedRowCnt() const { return deleted_cnt_; }
  int32_t GetColFlags(int32_t col) const;
  void SetColFlags(int32_t col, int32_t flags);

  // ---- behaviour switches (set by the owner from the settings) ----
  void SetBeepOnLongText(bool on) { beep_on_long_text_ = on ? 1 : 0; }
  void SetMoveCellAtInsert(bool on) { move_at_insert_ = on ? 1 : 0; }
  void SetMoveCellAtDelete(bool on) { move_at_delete_ = on ? 1 : 0; }

  // Checks that the counters agree with the row flags, that changed cells
  // sit only in updated rows and that every loaded row appears once; returns
  // an empty text, or what is wrong. For tests and debugging.
  std::string CheckInvariants() const;

  // Bytes held by the row table, pools and edited texts (not the loaded
  // texts nor the undo records), for the memory figures of the benchmark.
  std::size_t MemoryUsed() const;

 protected:
  void SetCanInsert(bool on) { can_insert_ = on ? 1 : 0; }
  void SetCanDelete(bool on) { can_delete_ = on ? 1 : 0; }
  // Column count of the loaded layout (the row table's width).
  int32_t ColCount() const { return col_cnt_; }

  // Hooks for the filter view and the sort. A sort or the undo of one asks
  // for the filter view to be rebuilt; undo records 50 and 51 restore or
  // clear a filter from the condition block they carry.
  virtual void RebuildFilterAfterReorder() {}
  virtual void ApplyFilterRecord(const CUndoRecord& record, bool undo);

 private:
  struct RowState;
  void ApplyUndo(CUndoRecord& r);
  void ApplyRedo(CUndoRecord& r);
  bool InsertRowRecord(int32_t pos, uint8_t flags);
  void RemoveRowRecord(int32_t pos);
  void ToggleDeleteMark(int32_t row);
  void SetCellText(int32_t row, int32_t col, const CUndoText* text);
  void MarkCellChanged(int32_t row, int32_t col, bool changed);
  void SetUpdatedFlag(int32_t row, bool updated);
  void ClampCurCell();
  bool ValidCell(int32_t row, int32_t col) const {
    return row >= 0 && col >= 0 && row < GetRowCnt() && col < col_cnt_;
  }

  std::unique_ptr<kestrel::detail::RowTable> rows_;
  std::unique_ptr<kestrel::detail::BlockPool> bit_pool_;
  std::unique_ptr<kestrel::detail::BlockPool> value_pool_;
  std::unique_ptr<CUndoData> undo_;
  const kestrel::CellTextSource* source_ = nullptr;
  int32_t col_cnt_ = 0;
  std::vector<int32_t> col_flags_;
  int32_t can_insert_ = 0;
  int32_t can_delete_ = 0;
  int32_t inserted_cnt_ = 0;
  int32_t deleted_cnt_ = 0;
  int32_t updated_cnt_ = 0;
  int32_t beep_on_long_text_ = 1;
  int32_t move_at_insert_ = 1;
  int32_t move_at_delete_ = 1;
};
