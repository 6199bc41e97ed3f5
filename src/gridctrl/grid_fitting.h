// Column fitting: a column as wide as its widest first line (stopping at
// the limit), never narrower than the minimum in characters, optionally as
// wide as its header, capped to the pane.
#pragma once

#include <cstdint>

#include "griddata/grid_data.h"
#include "gridctrl/grid_metrics.h"
#include "gridctrl/grid_layout.h"

namespace kestrel {

struct FitParams {
  uint32_t style = 0;
  CellPadding padding;
  int32_t client_width = 0;
  int32_t row_header_width = 0;
  // Width of the screen showing the pane: the limit for a pane that is not
  // shown or too narrow to fit anything in.
  int32_t screen_width = 1920;
  int32_t min_col_chars = 10;  // clamped to 0..1000
  const CancelFlag* cancel = nullptr;
};

// Fits one column; returns the new width, or -1 when the column is hidden,
// out of range, or the cancel flag asked to stop (nothing changed then).
int32_t AdjustColWidth(CGridData& data, const GridCtrlMetrics& metrics, int32_t col,
                       bool use_col_name, const FitParams& p);
// Fits every column (with the names anyway when the grid has no rows);
// returns false when cancelled (the columns fitted so far keep their width).
bool AdjustAllColWidth(CGridData& data, const GridCtrlMetrics& metrics, bool use_col_name,
                       const FitParams& p);

}  // namespace kestrel
