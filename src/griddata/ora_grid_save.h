// Writing the edits of a CEditableOraGridData back to its table in one
// transaction guarded by the savepoint "tern_p1": deleted rows, then the
// changed cells column by column, then inserted rows, then a commit. On any
// failure the table is rolled back to the savepoint and the error cell names
// the grid row (and column when known); the grid's edits stay as they were.
#pragma once

#include <cstdint>

#include "griddata/grid_data.h"
#include "oci/oci_cursor.h"
#include "oci/oci_text.h"
#include "platform/msg_target.h"

class CEditableOraGridData;
struct OciSession;

namespace kestrel {

// Rows per array execution are asked for 50 and capped by the row width.
inline constexpr int kSaveRowsPerArray = 50;

struct OraSaveCounts {
  int32_t deleted = 0;
  int32_t inserted = 0;
  int32_t updated = 0;
};

}  // namespace kestrel

// Returns an Oracle-layer result code (0 on success, with the summary text in
// `msg`). `err` receives the failing cell, (-1, -1) when none.
// `progress` (optional) gets the phase texts, the bar range and steps, and
// is asked for the cancel state (0x8403) after each step and before the
// commit; the end message 0x8401 is the caller's to post.
int oci_save_grid_data(CEditableOraGridData* grid, OciSession* s, kestrel::CellPoint* err, kestrel::OciMsgBuf msg,
                       kestrel::MsgTarget* progress = nullptr, CancelFlag* cancel = nullptr,
                       kestrel::OraSaveCounts* counts = nullptr);
