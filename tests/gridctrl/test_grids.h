// Small grids and a fixed-width measure for the grid control tests.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "griddata/text_pool_grid_data.h"
#include "gridctrl/grid_metrics.h"

namespace kestrel::testing {

using Rows = std::vector<std::vector<std::u16string>>;

inline std::unique_ptr<TextPoolGridData> MakeGrid(const Rows& rows, std::vector<std::u16string> names = {}) {
  const int32_t cols = rows.empty() ? static_cast<int32_t>(names.size()) : static_cast<int32_t>(rows[0].size());
  auto pool = std::make_unique<TextPool>(cols);
  for (const auto& r : rows) {
    std::vector<std::u16string_view> v(r.begin(), r.end());
    pool->AddRow(v);
  }
  if (names.empty())
    for (int32_t c = 0; c < cols; ++c) names.push_back(u"C" + std::u16string(1, char16_t(u'0' + c)));
  auto g = std::make_unique<TextPoolGridData>(std::move(pool), std::move(names));
  g->ResetColWidthTable();
  g->SetCurCell(0, 0);
  return g;
}

// 7 pixels per character below U+1100, 14 above: the grid font of the tests.
inline void UseFixedMeasure(GridCtrlMetrics& m, int32_t font_height = 14) {
  m.SetFont([](char32_t cp) { return cp < 0x1100 ? 7 : 14; }, font_height, font_height, 7);
}

}  // namespace kestrel::testing
