// Current-cell moves, the key table, changed-cell search and statistics.
#include "gridctrl/grid_navigation.h"

#include <algorithm>

#include "gridctrl/gridctrl_constants.h"
#include "gridctrl/grid_layout.h"
#include "platform/format.h"

namespace kestrel {

using namespace gridctrl;

namespace {

bool shown(const CGridData& data, int32_t col) { return GridLayout::ColWidth(data, col) > 0; }

// The nearest shown column from `col` stepping by `dir`; -1 when none.
int32_t shown_col_from(const CGridData& data, int32_t col, int dir) {
  const int32_t cols = data.GetColCnt();
  for (int32_t c = col; c >= 0 && c < cols; c += dir)
    if (shown(data, c)) return c;
  return -1;
}

}  // namespace

bool MoveCurCell(CGridData& data, int32_t row, int32_t col, bool extend, bool range_allowed) {
  const int32_t rows = data.GetRowCnt(), cols = data.GetColCnt();
  if (rows <= 0 || cols <= 0) {
    data.SetCurCellRaw(-1, -1);
    data.ClearSelection();
    return false;
  }
  const int32_t cur_row = data.GetCurRow(), cur_col = data.GetCurCol();
  col = std::clamp(col, 0, cols - 1);
  row = std::clamp(row, 0, rows - 1);
  if (!shown(data, col)) {
    int dir = (cur_col >= 0 && col < cur_col) ? -1 : 1;
    int32_t c = shown_col_from(data, col, dir);
    if (c < 0) c = cur_col >= 0 && cur_col < cols ? cur_col : shown_col_from(data, col, -dir);
    if (c >= 0) col = c;
  }
  GridDragState& drag = data.DragState();
  if (extend && range_allowed) {
    if (drag.anchor.row < 0 || drag.anchor.col < 0 || drag.anchor.row >= rows || drag.anchor.col >= cols)
      drag.anchor = {cur_col >= 0 ? cur_col : col, cur_row >= 0 ? cur_row : row};
    data.SetSelection(drag.anchor.col, drag.anchor.row, col, row);
  } else {
    data.ClearSelection();
    drag.anchor = {col, row};
  }
  if (row == cur_row && col == cur_col) return false;
  data.SetCurCellRaw(row, col);
  return true;
}

KeyAction KeyDownAction(const CGridData& data, uint32_t style, GridKey key, KeyMods mods,
                        int32_t page_rows, bool& end_mode) {
  KeyAction a;
  const bool was_end = end_mode;
  if (key != GridKey::kEnd && key != GridKey::kShift && key != GridKey::kControl) end_mode = false;
  const int32_t rows = data.GetRowCnt(), cols = data.GetColCnt();
  if (rows <= 0 || cols <= 0) {
    if (key == GridKey::kEscape) a.kind = KeyAction::kClearSelection;
    return a;
  }
  const int32_t row = std::max(0, data.GetCurRow()), col = std::max(0, data.GetCurCol());
  page_rows = std::max(1, page_rows);
  auto move = [&](int32_t r, int32_t c, bool extend) {
    a.kind = KeyAction::kMove;
    a.row = r;
    a.col = c;
    a.extend = extend;
    return a;
  };
  auto scroll = [&](int32_t dr, int32_t dc) {
    a.kind = KeyAction::kScroll;
    a.scroll_rows = dr;
    a.scroll_cols = dc;
    return a;
  };
  // A column step skips hidden columns; at the edge the cell stays.
  auto step_col = [&](int dir) {
    int32_t c = shown_col_from(data, col + dir, dir);
    return c < 0 ? col : c;
  };
  const int32_t last_col = std::max(0, shown_col_from(data, cols - 1, -1));
  const int32_t first_col = std::max(0, shown_col_from(data, 0, 1));
  switch (key) {
    case GridKey::kTab:
      move(row, step_col(mods.shift ? -1 : 1), false);
      a.clear_selection = true;
      return a;
    case GridKey::kEnter:
      move(row + (mods.shift ? -1 : 1), col, false);
      a.clear_selection = true;
      return a;
    case GridKey::kEscape:
      a.kind = KeyAction::kClearSelection;
      return a;
    case GridKey::kPageUp:
      if (mods.ctrl) return scroll(-page_rows, 0);
      return move(row - page_rows, col, mods.shift);
    case GridKey::kPageDown:
      if (mods.ctrl) return scroll(page_rows, 0);
      return move(row + page_rows, col, mods.shift);
    case GridKey::kHome:
      if (mods.alt) return move(0, col, mods.shift);
      if (mods.ctrl) return move(0, first_col, mods.shift);
      return move(row, first_col, mods.shift);
    case GridKey::kEnd:
      if (mods.alt) return move(rows - 1, col, mods.shift);
      if (mods.ctrl) return move(rows - 1, (style & kStyleWholeRow) ? first_col : last_col, mods.shift);
      if (style & kStyleEndKeyLikeExcel) {
        end_mode = !was_end;
        return a;
      }
      return move(row, last_col, mods.shift);
    case GridKey::kLeft:
      if (mods.ctrl) return scroll(0, -1);
      return move(row, was_end ? first_col : step_col(-1), mods.shift);
    case GridKey::kRight:
      if (mods.ctrl) return scroll(0, 1);
      return move(row, was_end ? last_col : step_col(1), mods.shift);
    case GridKey::kUp:
      if (mods.ctrl) return scroll(-1, 0);
      return move(was_end ? 0 : row - 1, col, mods.shift);
    case GridKey::kDown:
      if (mods.ctrl) return scroll(1, 0);
      return move(was_end ? rows - 1 : row + 1, col, mods.shift);
    case GridKey::kDelete:
      a.kind = KeyAction::kClearCells;
      return a;
    case GridKey::kF2:
      if (style & (kStyleF2Edit | kStyleEditKeys)) a.kind = KeyAction::kStartEdit;
      return a;
    default:
      return a;
  }
}

namespace {

bool is_changed(const CGridData& data, int32_t row, int32_t col) {
  return data.IsUpdateRow(row) && shown(data, col) && data.IsUpdateCell(row, col);
}

}  // namespace

ChangedCellResult FindChangedCell(const CGridData& data, bool forward, bool in_range) {
  ChangedCellResult res;
  const int32_t rows = data.GetRowCnt(), cols = data.GetColCnt();
  if (rows <= 0 || cols <= 0) return res;
  int32_t top = 0, bottom = rows - 1, left = 0, right = cols - 1;
  if (in_range && data.HasSelection()) {
    const CellRange& s = data.GetSelection();
    top = std::max(0, s.top_row);
    bottom = std::min(rows - 1, s.bottom_row);
    left = std::max(0, s.left());
    right = std::min(cols - 1, s.right());
    if (top > bottom || left > right) return res;
  }
  int32_t cur_row = data.GetCurRow(), cur_col = data.GetCurCol();
  if (cur_row < top || cur_row > bottom) cur_row = forward ? top : bottom;
  if (cur_col < left || cur_col > right) cur_col = forward ? left - 1 : right + 1;
  const int dir = forward ? 1 : -1;
  auto scan_row = [&](int32_t row, int32_t from, int32_t to) -> bool {
    // Columns from..to inclusive in the direction of the search.
    if (!data.IsUpdateRow(row)) return false;
    for (int32_t c = from; forward ? c <= to : c >= to; c += dir) {
      if (is_changed(data, row, c)) {
        res.found = true;
        res.row = row;
        res.col = c;
        return true;
      }
    }
    return false;
  };
  const int32_t row_start = forward ? left : right, row_end = forward ? right : left;
  // The rest of the current row, then the following rows of the scope.
  if (scan_row(cur_row, cur_col + dir, row_end)) return res;
  for (int32_t r = cur_row + dir; forward ? r <= bottom : r >= top; r += dir)
    if (scan_row(r, row_start, row_end)) return res;
  // Wrapping: from the other end down to the row before the current one,
  // then the current row up to the current cell.
  res.wrapped = true;
  for (int32_t r = forward ? top : bottom; r != cur_row; r += dir)
    if (scan_row(r, row_start, row_end)) return res;
  if (scan_row(cur_row, row_start, cur_col)) return res;
  res.wrapped = false;
  return res;
}

std::u16string ChangedCellStatus(const ChangedCellResult& r, bool forward) {
  if (!r.found) return std::u16string(kTextNotFound);
  if (r.wrapped) return std::u16string(forward ? kTextWrappedToEnd : kTextWrappedToTop);
  return {};
}

std::u16string SelectionStatText(const CGridData& data, int32_t calc_type) {
  if (calc_type < 0 || calc_type >= kCalcNone || !data.HasSelection()) return {};
  const CellRange& s = data.GetSelection();
  CellPoint pt1{s.left(), s.top_row}, pt2{s.right(), s.bottom_row};
  CellPoint where;
  int32_t decimals = 0;
  double v = data.CalcSelection(calc_type, pt1, pt2, &where, &decimals);
  if (calc_type == grid::kCalcRowCount)
    return format(kRowCountFormat, {CGridData::FormatNumber(v, 0)});
  if (v == grid::kNoNumber) return {};
  static constexpr std::u16string_view kLabels[] = {u"合計", u"平均", u"最大値", u"最小値"};
  return format(kStatFormat, {kLabels[calc_type], CGridData::FormatNumber(v, decimals)});
}

void EqualColWidths(CGridData& data) {
  data.ResizeColWidthTable();
  const int32_t cols = static_cast<int32_t>(data.ColWidthTableSize());
  for (int32_t c = 0; c < cols; ++c) {
    const bool was_shown = (data.GetColWidthEntry(c) & grid::kColShown) != 0;
    data.SetColWidth(c, kEqualColWidth);
    if (!was_shown) data.SetColWidth(c, 0);
  }
}

}  // namespace kestrel
