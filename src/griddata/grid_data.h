// CGridData: the abstract grid of text cells that every grid control shows.
//
// Rows and columns are 0-based; cell operations take the row first. Cell
// points hold the column first (x) and the row second (y); -1 means none.
// The virtual operations below are kept in their fixed slot order (0..61);
// subclasses add theirs after slot 61.
//
// Texts returned as std::u16string_view stay valid until the grid data is
// changed (or, for computed texts, until the next call of the same operation
// on the same object); texts returned as std::u16string belong to the caller.
//
// The grid data sends no window messages itself: whoever changes it tells
// the other registered windows afterwards (NotifyWnds with kMsgRepaint).
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "griddata/display_metrics.h"
#include "griddata/grid_constants.h"

class CUndoData;

namespace kestrel {

class MsgTarget;

struct CellPoint {
  int32_t col = -1;  // x
  int32_t row = -1;  // y
  bool operator==(const CellPoint&) const = default;
};

// Selection range: the rows are kept ordered (top <= bottom); the columns
// keep the order the user selected them in, so users take min/max of the two.
struct CellRange {
  int32_t anchor_col = -1;
  int32_t top_row = -1;  // -1: no range
  int32_t end_col = -1;
  int32_t bottom_row = -1;
  int32_t left() const { return anchor_col < end_col ? anchor_col : end_col; }
  int32_t right() const { return anchor_col < end_col ? end_col : anchor_col; }
  bool operator==(const CellRange&) const = default;
};

// Anchor and drag state shared by every window that shows one grid data.
struct GridDragState {
  CellPoint anchor;
  int32_t state = 0;  // 0 none, 1 button down, 2 dragging
  int32_t kind = 0;   // 0 cells, 1 whole rows, 2 whole columns
};

// The cancel flag of the column-width operations: 0 run, 1 stop, 2 pause.
using CancelFlag = std::atomic<int32_t>;

// Asked by SearchColName whether a text matches the search pattern.
using TextMatcher = std::function<bool(std::u16string_view)>;

// What SetFilter is given (the filter itself is built by the filter view).
struct FilterRequest {
  int32_t col = 0;
  std::u16string text;
  bool case_sensitive = false;
  bool width_distinct = false;
  bool regular_expression = false;
  bool report_no_match = false;
};

}  // namespace kestrel

class CGridData {
 public:
  class CGridUpdateProcess;  // bulk update functor (update_process.h)

  CGridData();
  CGridData(const CGridData&) = delete;
  CGridData& operator=(const CGridData&) = delete;

  // ---- virtual operations in slot order ----
  virtual ~CGridData();                                                    // 0
  virtual int32_t GetColCnt() const;                                       // 1
  virtual int32_t GetRowCnt() const;                                       // 2
  virtual std::u16string_view GetData(int32_t row, int32_t col) const;     // 3
  virtual std::u16string_view GetDispData(int32_t row, int32_t col) const; // 4
  virtual std::u16string_view GetEditData(int32_t row, int32_t col) const; // 5
  virtual bool IsNull(int32_t row, int32_t col) const;                     // 6
  virtual std::u16string GetColName(int32_t col) const;                    // 7
  virtual std::u16string GetDispColName(int32_t col) const;                // 8
  virtual int32_t GetColLen(int32_t col) const;                            // 9
  virtual int32_t GetColScale(int32_t col) const;                          // 10
  virtual int32_t GetColDataType(int32_t row, int32_t col) const;          // 11
  virtual bool IsColNullable(int32_t col) const;                           // 12
  virtual bool IsEditable() const;                                         // 13
  virtual int32_t GetMaxDataLen(int32_t row, int32_t col) const;           // 14
  virtual int32_t InsertRows(int32_t row, int32_t count);                  // 15
  virtual int32_t DeleteRows(int32_t first_row, int32_t last_row);         // 16
  virtual int32_t DeleteNullRows(bool all);                                // 17
  virtual int32_t UpdateRange(kestrel::CellPoint pt1, kestrel::CellPoint pt2,
                              std::u16string_view text);                   // 18
  virtual int32_t UpdateData(int32_t row, int32_t col, std::u16string_view text);  // 19
  virtual bool IsColEditable(int32_t row, int32_t col) const;              // 20
  virtual int32_t GetColDataWidth(int32_t col, int32_t limit, const kestrel::TextMeasure* dc,
                                  const kestrel::CancelFlag* cancel) const;  // 21
  virtual int32_t GetColDataWidthTrimmed(int32_t col, int32_t limit,
                                         const kestrel::TextMeasure* dc,
                                         const kestrel::CancelFlag* cancel) const;  // 22
  virtual int32_t StartUndoSet();                                          // 23
  virtual void EndUndoSet();                                               // 24
  virtual CUndoData* GetUndoData();                                        // 25
  virtual bool IsInsertRow(int32_t row) const;                             // 26
  virtual bool IsUpdateRow(int32_t row) const;                             // 27
  virtual bool IsDeleteRow(int32_t row) const;                             // 28
  virtual bool IsUpdateCell(int32_t row, int32_t col) const;               // 29
  virtual bool IsNullRow(int32_t row) const;                               // 30
  virtual bool CanUndo() const;                                            // 31
  virtual bool CanRedo() const;                                            // 32
  virtual int32_t Undo();                                                  // 33
  virtual int32_t Redo();                                                  // 34
  virtual int32_t Paste(std::u16string_view text);                         // 35
  virtual bool CanInsertRow() const;                                       // 36
  virtual bool CanDeleteRow(int32_t row) const;                            // 37
  virtual std::u16string_view GetFetchedData(int32_t row, int32_t col) const;  // 38
  virtual int32_t GetRowHeaderLen() const;                                 // 39
  virtual std::u16string GetRowHeader(int32_t row) const;                  // 40
  virtual uint32_t GetCellTextColor(int32_t row, int32_t col) const;       // 41
  virtual uint32_t GetColHeaderTextColor(int32_t col) const;               // 42
  virtual bool HasCellColor(int32_t row, int32_t col) const;               // 43
  virtual uint32_t GetCellColor(int32_t row, int32_t col) const;           // 44
  virtual bool SearchColName(int32_t start_col, int32_t* found_col, int32_t direction,
                             bool include_start, const kestrel::TextMatcher& matcher) const;  // 45
  virtual bool IsValidCurRow() const;                                      // 46
  virtual void SetColWidth(int32_t col, int32_t width);                    // 47
  virtual int32_t GetColWidth(int32_t col) const;                          // 48
  virtual int32_t AddNotifyWnd(kestrel::MsgTarget* wnd);                   // 49
  virtual int32_t RemoveNotifyWnd(kestrel::MsgTarget* wnd);                // 50
  virtual std::u16string GetLastErrorMsg() const;                          // 51
  virtual int32_t SortData(const int32_t* key_cols, const int32_t* key_orders,
                           int32_t key_count);                             // 52
  virtual std::u16string GetColTypeName(int32_t col) const;                // 53
  virtual int32_t SetFilter(const kestrel::FilterRequest& request, int32_t* out_count,
                            std::u16string* out_message);                  // 54
  virtual void ClearFilter();                                              // 55
  virtual bool IsRowMarkSupported() const;                                 // 56
  virtual void ClearRowMark(int32_t row);                                  // 57
  virtual void SetRowMark(int32_t row);                                    // 58
  virtual bool IsRowMarked(int32_t row) const;                             // 59
  virtual void SwapRow(int32_t row1, int32_t row2);                        // 60
  virtual void FreeFilter();                                               // 61

  // False when what GetEditData returns is only part of the cell (a large
  // text that could not be read whole): editors and bulk changes refuse
  // such a cell, since writing the part back would cut the stored value.
  // Views forward it in their own coordinates.
  virtual bool IsEditDataComplete(int32_t /*row*/, int32_t /*col*/) const { return true; }

  // ---- current cell and selection ----
  int32_t GetCurRow() const { return cur_row_; }
  int32_t GetCurCol() const { return cur_col_; }
  // Clamps to the grid (a negative value becomes 0; -1 when the grid has no
  // rows or columns) and stores the cell.
  void SetCurCell(int32_t row, int32_t col);
  // Stores the cell as given (views that keep coordinates of their own).
  void SetCurCellRaw(int32_t row, int32_t col) { cur_row_ = row; cur_col_ = col; }
  bool IsValidCurCell() const;

  const kestrel::CellRange& GetSelection() const { return selection_; }
  // Rows are stored ordered; columns as given.
  void SetSelection(int32_t anchor_col, int32_t row1, int32_t end_col, int32_t row2);
  void ClearSelection() { selection_ = kestrel::CellRange{}; }
  // A range is selected (a range of one cell counts as none).
  bool HasSelection() const;
  kestrel::GridDragState& DragState() { return drag_; }
  const kestrel::GridDragState& DragState() const { return drag_; }

  // ---- notify windows ----
  // Sends `msg` synchronously to every registered window except `sender`.
  void NotifyWnds(kestrel::MsgTarget* sender, uint32_t msg, uintptr_t wparam = 0,
                  intptr_t lparam = 0);
  int32_t NotifyWndCount() const;

  // ---- column widths ----
  void ResizeColWidthTable();
  // Forgets every width and makes a fresh table for the current columns.
  void ResetColWidthTable();
  std::size_t ColWidthTableSize() const { return col_widths_.size(); }
  // The raw entry (bit 15 shown, bits 0-14 width); kDefaultColWidth outside.
  uint16_t GetColWidthEntry(int32_t col) const;

  // ---- colours, metrics and filter ----
  uint32_t GetDefaultTextColor() const { return text_color_; }
  void SetDefaultTextColor(uint32_t c) { text_color_ = c; }
  kestrel::GridDisplayMetrics* GetDisplayMetrics() const { return metrics_; }
  // Installs the grid control's metrics (owned).
  void SetOwnDisplayMetrics(std::unique_ptr<kestrel::GridDisplayMetrics> m);
  // Uses another object's metrics (not owned), as the filter view does;
  // null returns to the own ones.
  void ShareDisplayMetrics(kestrel::GridDisplayMetrics* m);
  bool IsFilterActive() const { return filter_active_ != 0; }
  CGridData* GetFilter() const { return filter_.get(); }

  // ---- bulk update processes ----
  // Run `process` over the selection (or the current cell) as one undo
  // step; returns the number of changed cells.
  int32_t RunUpdateProcess(CGridUpdateProcess& process);
  int32_t ToLower();
  int32_t ToUpper();
  int32_t ToHankaku(bool alnum, bool kana);
  int32_t ToZenkaku(bool alnum, bool kana);
  // Numbers every editable cell of the target start, start + step, ...
  // Returns kOk, or kRefused with nothing changed when a number would leave
  // the signed 64-bit range (or the grid is not editable / no current cell).
  int32_t InputSequence(int64_t start, int64_t step);

  // ---- selection statistics ----
  // Over the rectangle pt1..pt2: mode 0 sum, 1 average, 2 largest, 3 smallest
  // (its cell in *out_point), 4 number of rows. kNoNumber when no number was
  // counted. *out_decimals receives the most digits seen after a decimal point.
  double CalcSelection(int mode, kestrel::CellPoint pt1, kestrel::CellPoint pt2,
                       kestrel::CellPoint* out_point, int32_t* out_decimals) const;
  // "%.*f" with a comma before every group of three integer digits.
  static std::u16string FormatNumber(double value, int32_t decimals);
  // Groups the integer digits of a number text given as it is.
  static std::u16string FormatNumber(std::u16string_view number_text);

 protected:
  // For the filter view: take ownership of a new filter object and switch
  // the filter-active flag.
  void SetFilterObject(std::unique_ptr<CGridData> filter) { filter_ = std::move(filter); }
  void SetFilterActive(bool on) { filter_active_ = on ? 1 : 0; }

 private:
  uint32_t text_color_ = 0;
  int32_t cur_col_ = -1;
  int32_t cur_row_ = -1;
  kestrel::CellRange selection_;
  kestrel::GridDragState drag_;
  kestrel::MsgTarget* notify_[kestrel::grid::kMaxNotifyWnds] = {};
  std::vector<uint16_t> col_widths_;
  std::unique_ptr<kestrel::GridDisplayMetrics> own_metrics_;
  kestrel::GridDisplayMetrics* metrics_ = nullptr;
  int32_t filter_active_ = 0;
  std::unique_ptr<CGridData> filter_;
};
