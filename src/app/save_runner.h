// The save command's worker: writes the grid's edits to its table on a
// worker thread behind the progress dialog (Cancel button, progress bar and
// second line), and hands back the result code, the message for the user
// and the failing cell.
#pragma once

#include <cstdint>
#include <string>

#include "griddata/grid_data.h"
#include "griddata/ora_grid_save.h"

class CEditableOraGridData;
class QWidget;
struct OciSession;

namespace kestrel {

inline constexpr uint32_t kSaveDialogOptions = 0x1 | 0x2 | 0x4;

struct SaveRunResult {
  int code = 0;               // 0 saved; 9 cancelled; else the failure's code
  std::u16string message;     // the summary on success, else the error text
  CellPoint error_cell;       // (-1, -1) when no cell is to blame
  OraSaveCounts counts;       // rows written, on success
};

// `session` null: the grid's own session.
SaveRunResult run_save(QWidget* parent, CEditableOraGridData& grid, OciSession* session = nullptr);

}  // namespace kestrel
