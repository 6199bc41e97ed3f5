// Update hints the document sends to the view, with the view's action for
// each. The hints the application sends (font, calculation type, settings,
// change of connection) are in app_ids.h.
#pragma once

#include <cstdint>

#include "app/app_ids.h"

namespace kestrel::hint {

inline constexpr int32_t kGridDataChanged = 115;   // refresh the cell-data dialog, else redraw
inline constexpr int32_t kSplitterLayout = 202;    // set header flags for the pane position
inline constexpr int32_t kLobChanged = 203;        // redraw from the active grid data
inline constexpr int32_t kSaveFailed = 1002;       // arg: packed failing cell (see PackCell)
inline constexpr int32_t kCommitCellEdit = 1003;   // commit the open cell editor
inline constexpr int32_t kLoaded = 1004;           // arg: layout-reset flag
inline constexpr int32_t kSwapChanged = 1401;      // transposed style, active data, calc, settings
inline constexpr int32_t kFilterOpen = 1403;       // open the search dialog in filter mode
inline constexpr int32_t kFilterClear = 1404;      // remove the filter

// Hint 1002's argument: a row and a column of the editable grid data, -1
// for "not known", packed into one value.
inline int64_t PackCell(int32_t row, int32_t col) {
  return (static_cast<int64_t>(row) << 32) | static_cast<uint32_t>(col);
}
inline int32_t CellRow(int64_t packed) { return static_cast<int32_t>(packed >> 32); }
inline int32_t CellCol(int64_t packed) { return static_cast<int32_t>(packed & 0xFFFFFFFF); }

}  // namespace kestrel::hint
