// Layout of one grid pane: metric formulas, the visible range from the
// scroll positions (counted in cells), cell rectangles and hit-testing, and
// the colours and texts each cell and header is drawn with. Plain
// arithmetic over CGridData and the shared metrics, so painting, mouse
// handling and the tests agree on every pixel.
#pragma once

#include <cstdint>
#include <string>

#include "griddata/grid_data.h"
#include "gridctrl/grid_metrics.h"

namespace kestrel {

struct CellPadding {
  int32_t top = 1, bottom = 1, left = 2, right = 2;
};

struct GridRect {
  int32_t x = 0, y = 0, w = 0, h = 0;
  bool operator==(const GridRect&) const = default;
};

enum class HitKind { kNone, kCorner, kColHeader, kColBorder, kRowHeader, kCell };

struct HitResult {
  HitKind kind = HitKind::kNone;
  int32_t col = -1;  // column under the point (for a border: the column left of it)
  int32_t row = -1;
  bool operator==(const HitResult&) const = default;
};

// What one pane shows: the first visible column and row and how many there
// are (the last ones may be cut by the window edge).
struct VisibleRange {
  int32_t first_col = 0, first_row = 0;
  int32_t col_count = 0, row_count = 0;   // partly shown ones included
  int32_t full_cols = 0, full_rows = 0;   // only wholly shown ones
};

class GridLayout {
 public:
  // Recomputes the metric-derived sizes. Paddings are clamped to 0..100 and
  // the header lines to 0..10; a row is at least one pixel high.
  void Recalc(const CGridData& data, const GridCtrlMetrics& metrics, uint32_t style,
              const CellPadding& padding, int32_t header_lines = 1);
  void SetClientSize(int32_t w, int32_t h) { client_w_ = w < 0 ? 0 : w; client_h_ = h < 0 ? 0 : h; }
  void SetScrollPos(int32_t first_col, int32_t first_row);

  int32_t RowHeight() const { return row_height_; }
  int32_t ColHeaderHeight() const { return col_header_h_; }
  int32_t RowHeaderWidth() const { return row_header_w_; }
  const CellPadding& Padding() const { return padding_; }
  int32_t ClientWidth() const { return client_w_; }
  int32_t ClientHeight() const { return client_h_; }
  int32_t FirstCol() const { return first_col_; }
  int32_t FirstRow() const { return first_row_; }

  // Shown width of a column (0 when hidden).
  static int32_t ColWidth(const CGridData& data, int32_t col);
  VisibleRange Visible(const CGridData& data) const;
  // Rows that fit wholly in the window (at least 1): the page size.
  int32_t PageRows() const;
  // Rectangle of a cell, a column header or a row header in client
  // coordinates; w == 0 when it is not in view.
  GridRect CellRect(const CGridData& data, int32_t row, int32_t col) const;
  GridRect ColHeaderRect(const CGridData& data, int32_t col) const;
  GridRect RowHeaderRect(int32_t row) const;
  HitResult HitTest(const CGridData& data, int32_t x, int32_t y) const;

  // First scroll position that shows `row`/`col` wholly (or as much of it as
  // fits), given the current position; the position is kept when it already
  // shows the cell.
  int32_t ScrollRowFor(const CGridData& data, int32_t row) const;
  int32_t ScrollColFor(const CGridData& data, int32_t col) const;
  // Largest useful scroll positions (the last page stays full).
  int32_t MaxScrollRow(const CGridData& data) const;
  int32_t MaxScrollCol(const CGridData& data) const;

 private:
  int32_t row_height_ = 20;
  int32_t col_header_h_ = 20;
  int32_t row_header_w_ = 0;
  CellPadding padding_;
  int32_t client_w_ = 0, client_h_ = 0;
  int32_t first_col_ = 0, first_row_ = 0;
};

// ---- colours and texts of cells and headers ----

// The cell is drawn selected (whole-row mode: the current row and the rows
// of the range; otherwise the inside of a range of more than one cell).
bool IsCellSelected(const CGridData& data, uint32_t style, int32_t row, int32_t col);
// Background of a cell: the first rule that applies (selection, own colour,
// row states of the data row, read-only, inserted, NULL, plain).
uint32_t CellBackground(const CGridData& data, const GridCtrlMetrics& m, uint32_t style,
                        int32_t row, int32_t col);
// Text colour: slot 41, colour 15 in the current row (column when swapped)
// when current-row colouring is on, inverted in a selected cell with 0x20.
uint32_t CellTextColor(const CGridData& data, const GridCtrlMetrics& m, uint32_t style,
                       int32_t row, int32_t col);
// Header background; the current column's (or row's) header is darkened to
// 0.8 with bit 0x20000.
uint32_t HeaderBackground(const GridCtrlMetrics& m, bool highlighted);
std::u16string ColHeaderText(const CGridData& data, uint32_t style, int32_t col);
// The part of a cell text shown in a left-aligned cell: up to the first CR
// or LF; `broken` tells whether a line break followed.
std::u16string_view FirstLine(std::u16string_view text, bool* broken = nullptr);

}  // namespace kestrel
