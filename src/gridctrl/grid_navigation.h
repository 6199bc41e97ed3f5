// Moving the current cell and the selection, the key table, the search for
// the next or previous changed cell and the selection statistics text. The
// state lives in the grid data (shared by every pane); the widget applies
// the results (scrolling, messages, repaint).
#pragma once

#include <cstdint>
#include <string>

#include "griddata/grid_data.h"

namespace kestrel {

// Moves the current cell to (row, col): a hidden target column is replaced
// by the nearest shown one in the direction of the move (kept when none),
// both are clamped to the grid; with `extend` (Shift held) and range
// selection allowed, the range runs from the drag anchor to the new cell,
// otherwise the range is cleared and the anchor follows. Returns true when
// the current cell changed. Reads no cell text.
bool MoveCurCell(CGridData& data, int32_t row, int32_t col, bool extend, bool range_allowed);

enum class GridKey { kTab, kEnter, kEscape, kPageUp, kPageDown, kHome, kEnd, kLeft, kRight, kUp,
                     kDown, kDelete, kF2, kShift, kControl, kOther };

struct KeyMods {
  bool shift = false, ctrl = false, alt = false;
};

// What a key asks of the control.
struct KeyAction {
  enum Kind { kNone, kMove, kScroll, kClearSelection, kClearCells, kStartEdit } kind = kNone;
  int32_t row = -1, col = -1;  // kMove target
  bool extend = false;         // kMove: Shift extends the range
  bool clear_selection = false;
  int32_t scroll_rows = 0, scroll_cols = 0;  // kScroll
};

// The key table. `end_mode` is the End-key state of the control (toggled by
// End when `style` has END_KEY_LIKE_EXCEL, cleared by any other key but
// Shift and Ctrl); `page_rows` the rows that fit in the pane.
KeyAction KeyDownAction(const CGridData& data, uint32_t style, GridKey key, KeyMods mods,
                        int32_t page_rows, bool& end_mode);

// Next (forward) or previous changed cell from the current cell; the scope
// is the selected range when `in_range` and one is selected. Hidden columns
// are skipped.
struct ChangedCellResult {
  bool found = false;
  bool wrapped = false;
  int32_t row = -1, col = -1;
};
ChangedCellResult FindChangedCell(const CGridData& data, bool forward, bool in_range);
// The status text of a search outcome: "見つかりません", the two wrap texts, or
// empty.
std::u16string ChangedCellStatus(const ChangedCellResult& r, bool forward);

// The status-bar statistics for `calc_type` (0 sum .. 4 rows, 5 none):
// "%s:%s" or "行数:%s"; empty with type 5, with no range of more than one
// cell, or when no number was counted.
std::u16string SelectionStatText(const CGridData& data, int32_t calc_type);

// 32938: every column 100 pixels wide, hidden ones stay hidden.
void EqualColWidths(CGridData& data);

}  // namespace kestrel
