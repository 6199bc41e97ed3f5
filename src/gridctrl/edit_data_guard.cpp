#include "gridctrl/edit_data_guard.h"

#include "griddata/grid_data_swap_row_col.h"
#include "griddata/ora_grid_data.h"

#include <utility>

namespace kestrel {

bool IsEditDataComplete(const CGridData& data, int32_t row, int32_t col) {
  // Only the Oracle grid can hold a partly read cell; the swap view shows it
  // with rows and columns exchanged.
  const CGridData* d = &data;
  if (const auto* swap = dynamic_cast<const CGridData_SwapRowCol*>(d)) {
    d = swap->GetGridData();
    if (d == nullptr) return true;
    std::swap(row, col);
  }
  const auto* ora = dynamic_cast<const CEditableOraGridData*>(d);
  return ora == nullptr || ora->IsEditDataComplete(row, col);
}

}  // namespace kestrel
