#include "app/window_placement.h"

#include <algorithm>
#include <cstdint>

namespace kestrel {

std::optional<WinRect> place_window(const WinRect& saved, const WorkArea& work) {
  if (saved.width <= 0 || saved.height <= 0) return std::nullopt;
  WinRect r = saved;
  r.top = std::max(saved.top, work.top);
  r.left = std::max(saved.left, work.left);
  const int work_height = work.bottom - work.top;
  const int work_width = work.right - work.left;
  // Compared with the work area's bottom and right edges, so a work area that
  // does not start at 0 (a panel on the left or top, a second screen) gets
  // the same treatment as one that does. Sums are 64-bit: the saved numbers
  // come from a file and may be anything.
  if (int64_t{r.top} + r.height > work.bottom) {
    r.top = work.top;
    if (int64_t{r.top} + r.height > work.bottom) r.height = work_height;
  }
  if (int64_t{r.left} + r.width > work.right) {
    r.left = work.left;
    if (int64_t{r.left} + r.width > work.right) r.width = work_width;
  }
  return r;
}

}  // namespace kestrel
