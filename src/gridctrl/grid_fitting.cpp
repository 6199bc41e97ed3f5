// Column fitting steps: hidden stays hidden; limit; data width; minimum;
// header; cap.
#include "gridctrl/grid_fitting.h"

#include <algorithm>

#include "gridctrl/gridctrl_constants.h"

namespace kestrel {

using namespace gridctrl;

namespace {

bool cancelled(const FitParams& p) { return p.cancel && p.cancel->load(std::memory_order_relaxed) == 1; }

}  // namespace

int32_t AdjustColWidth(CGridData& data, const GridCtrlMetrics& metrics, int32_t col,
                       bool use_col_name, const FitParams& p) {
  if (col < 0 || col >= data.GetColCnt()) return -1;
  if (GridLayout::ColWidth(data, col) == 0) return -1;
  const int32_t pad = std::clamp(p.padding.left, 0, 100) + std::clamp(p.padding.right, 0, 100);
  // A pane that is not shown (or too narrow to show a column) fits against
  // the screen instead, so the fitted column never collapses to nothing.
  int32_t room = p.client_width - p.row_header_width;
  if (room - 10 <= pad + kMinDragColWidth) room = std::max(p.screen_width, 1) - p.row_header_width;
  room = std::max(room, 1);
  const int32_t limit = room;
  int32_t width;
  if ((p.style & kStyleFitTrimChar) && data.GetColDataType(0, col) == grid::kTypeFixedChar)
    width = data.GetColDataWidthTrimmed(col, limit, &metrics, p.cancel);
  else
    width = data.GetColDataWidth(col, limit, &metrics, p.cancel);
  if (cancelled(p)) return -1;
  width = std::max(width, 0);
  const int32_t min_width = std::clamp(p.min_col_chars, 0, 1000) * metrics.AverageWidth();
  width = std::max(width, min_width);
  if (use_col_name) width = std::max(width, metrics.TextWidth(ColHeaderText(data, p.style, col)));
  width += pad;
  const int32_t cap = room - 10;
  if (width > cap) width = std::max(cap, std::min(width, min_width + pad));
  width = std::clamp(width, kMinDragColWidth, kMaxColWidth);
  data.SetColWidth(col, width);
  return width;
}

bool AdjustAllColWidth(CGridData& data, const GridCtrlMetrics& metrics, bool use_col_name,
                       const FitParams& p) {
  if (data.GetRowCnt() <= 0) use_col_name = true;
  data.ResizeColWidthTable();
  const int32_t cols = data.GetColCnt();
  for (int32_t c = 0; c < cols; ++c) {
    if (cancelled(p)) return false;
    AdjustColWidth(data, metrics, c, use_col_name, p);
  }
  return !cancelled(p);
}

}  // namespace kestrel
