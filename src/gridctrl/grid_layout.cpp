// Pane geometry, hit-testing and the colour rules of cells and headers.
#include "gridctrl/grid_layout.h"

#include <algorithm>

#include "platform/format.h"

namespace kestrel {

using namespace gridctrl;

namespace {
// Swapped row headers are measured over at most this many rows: the swap
// view has one row per column of the result, so this is never reached in
// practice and keeps a pathological grid from stalling a relayout.
constexpr int32_t kRowHeaderMeasureRows = 4096;
}  // namespace

void GridLayout::Recalc(const CGridData& data, const GridCtrlMetrics& metrics, uint32_t style,
                        const CellPadding& padding, int32_t header_lines) {
  padding_.top = std::clamp(padding.top, 0, 100);
  padding_.bottom = std::clamp(padding.bottom, 0, 100);
  padding_.left = std::clamp(padding.left, 0, 100);
  padding_.right = std::clamp(padding.right, 0, 100);
  header_lines = std::clamp(header_lines, 0, 10);
  row_height_ = std::max(1, metrics.FontHeight() + 1 + padding_.top + padding_.bottom);
  col_header_h_ = (style & kStyleColHeader) ? header_lines * row_height_ : 0;
  if (!(style & kStyleRowHeader)) {
    row_header_w_ = 0;
  } else if (style & kStyleSwapRowCol) {
    int32_t widest = 0;
    const int32_t rows = std::min(data.GetRowCnt(), kRowHeaderMeasureRows);
    for (int32_t r = 0; r < rows; ++r) widest = std::max(widest, metrics.TextWidth(data.GetRowHeader(r)));
    row_header_w_ = widest + 5;
  } else {
    row_header_w_ = std::max(0, data.GetRowHeaderLen()) * metrics.DigitWidth() + padding_.left +
                    padding_.right + 1;
  }
}

void GridLayout::SetScrollPos(int32_t first_col, int32_t first_row) {
  first_col_ = std::max(0, first_col);
  first_row_ = std::max(0, first_row);
}

int32_t GridLayout::ColWidth(const CGridData& data, int32_t col) {
  return std::max(0, data.GetColWidth(col));
}

VisibleRange GridLayout::Visible(const CGridData& data) const {
  VisibleRange v;
  const int32_t cols = data.GetColCnt(), rows = data.GetRowCnt();
  v.first_col = cols > 0 ? std::min(first_col_, cols - 1) : 0;
  v.first_row = rows > 0 ? std::min(first_row_, rows - 1) : 0;
  int64_t x = row_header_w_;
  for (int32_t c = v.first_col; c < cols && x < client_w_; ++c) {
    x += ColWidth(data, c);
    ++v.col_count;
    if (x <= client_w_) ++v.full_cols;
  }
  if (rows > 0) {
    int32_t room = client_h_ - col_header_h_;
    if (room > 0) {
      int64_t fit = room / row_height_;
      int64_t part = (room + row_height_ - 1) / row_height_;
      v.full_rows = static_cast<int32_t>(std::min<int64_t>(fit, rows - v.first_row));
      v.row_count = static_cast<int32_t>(std::min<int64_t>(part, rows - v.first_row));
    }
  }
  return v;
}

int32_t GridLayout::PageRows() const {
  return std::max(1, (client_h_ - col_header_h_) / row_height_);
}

GridRect GridLayout::CellRect(const CGridData& data, int32_t row, int32_t col) const {
  GridRect h = ColHeaderRect(data, col);
  GridRect v = RowHeaderRect(row);
  if (h.w == 0 || v.h == 0) return {};
  return {h.x, v.y, h.w, v.h};
}

GridRect GridLayout::ColHeaderRect(const CGridData& data, int32_t col) const {
  if (col < first_col_ || col >= data.GetColCnt()) return {};
  int64_t x = row_header_w_;
  for (int32_t c = first_col_; c < col; ++c) {
    x += ColWidth(data, c);
    if (x >= client_w_) return {};
  }
  int32_t w = ColWidth(data, col);
  if (w == 0 || x >= client_w_) return {};
  return {static_cast<int32_t>(x), 0, w, col_header_h_};
}

GridRect GridLayout::RowHeaderRect(int32_t row) const {
  if (row < first_row_) return {};
  int64_t y = col_header_h_ + int64_t(row - first_row_) * row_height_;
  if (y >= client_h_) return {};
  return {0, static_cast<int32_t>(y), row_header_w_, row_height_};
}

HitResult GridLayout::HitTest(const CGridData& data, int32_t x, int32_t y) const {
  HitResult r;
  if (x < 0 || y < 0 || x >= client_w_ || y >= client_h_) return r;
  const int32_t cols = data.GetColCnt(), rows = data.GetRowCnt();
  if (y >= col_header_h_) {
    int64_t row = first_row_ + int64_t(y - col_header_h_) / row_height_;
    if (row < rows) r.row = static_cast<int32_t>(row);
  }
  // The column under x, and a header border within reach of x.
  int32_t border_col = -1;
  if (x >= row_header_w_) {
    int64_t left = row_header_w_;
    for (int32_t c = first_col_; c < cols && left < client_w_; ++c) {
      int32_t w = ColWidth(data, c);
      if (w == 0) continue;
      int64_t right = left + w;
      if (x >= right - kResizeBorder && x <= right + kResizeBorder) border_col = c;
      if (x >= left && x < right) r.col = c;
      if (left > x + kResizeBorder) break;
      left = right;
    }
  }
  if (y < col_header_h_) {
    if (x < row_header_w_) {
      r.kind = HitKind::kCorner;
    } else if (border_col >= 0) {
      r.kind = HitKind::kColBorder;
      r.col = border_col;
    } else if (r.col >= 0) {
      r.kind = HitKind::kColHeader;
    }
    return r;
  }
  if (x < row_header_w_) {
    if (r.row >= 0) r.kind = HitKind::kRowHeader;
    return r;
  }
  if (r.row >= 0 && r.col >= 0) r.kind = HitKind::kCell;
  return r;
}

int32_t GridLayout::ScrollRowFor(const CGridData& data, int32_t row) const {
  if (row < 0 || row >= data.GetRowCnt()) return first_row_;
  if (row < first_row_) return row;
  const int32_t page = PageRows();
  if (row >= first_row_ + page) return row - page + 1;
  return first_row_;
}

int32_t GridLayout::ScrollColFor(const CGridData& data, int32_t col) const {
  if (col < 0 || col >= data.GetColCnt()) return first_col_;
  if (col <= first_col_) return col;
  const int32_t room = client_w_ - row_header_w_;
  int64_t x = 0;
  for (int32_t c = first_col_; c <= col; ++c) x += ColWidth(data, c);
  if (x <= room) return first_col_;
  // Move the first column right until the wanted column's right edge fits,
  // but never past the column itself.
  int32_t first = first_col_;
  while (first < col && x > room) x -= ColWidth(data, first++);
  return first;
}

int32_t GridLayout::MaxScrollRow(const CGridData& data) const {
  return std::max(0, data.GetRowCnt() - PageRows());
}

int32_t GridLayout::MaxScrollCol(const CGridData& data) const {
  const int32_t cols = data.GetColCnt();
  if (cols <= 0) return 0;
  const int32_t room = client_w_ - row_header_w_;
  int64_t x = 0;
  int32_t c = cols - 1;
  for (; c >= 0; --c) {
    x += ColWidth(data, c);
    if (x > room) break;
  }
  return std::min(cols - 1, c + 1);
}

bool IsCellSelected(const CGridData& data, uint32_t style, int32_t row, int32_t col) {
  const CellRange& s = data.GetSelection();
  if (style & kStyleWholeRow) {
    if (row == data.GetCurRow()) return true;
    return (style & kStyleRangeSelect) && s.top_row >= 0 && row >= s.top_row && row <= s.bottom_row;
  }
  if (!(style & kStyleRangeSelect) || !data.HasSelection()) return false;
  return row >= s.top_row && row <= s.bottom_row && col >= s.left() && col <= s.right();
}

uint32_t CellBackground(const CGridData& data, const GridCtrlMetrics& m, uint32_t style,
                        int32_t row, int32_t col) {
  if (IsCellSelected(data, style, row, col)) return m.GetColor(kColorSelect);
  if (data.HasCellColor(row, col)) return data.GetCellColor(row, col) & 0xFFFFFF;
  const bool null_colour = (style & kStyleNullCellColor) && data.IsNull(row, col);
  if (!data.IsEditable()) return m.GetColor(null_colour ? kColorNullCell : kColorBg);
  const int32_t r = (style & kStyleSwapRowCol) ? col : row;
  if (data.IsDeleteRow(r)) return m.GetColor(kColorDelete);
  if (data.IsUpdateCell(row, col) && !data.IsInsertRow(r)) return m.GetColor(kColorUpdate);
  if (!data.IsColEditable(row, col)) return m.GetColor(kColorUneditable);
  if (data.IsInsertRow(r)) return m.GetColor(kColorInsert);
  if (null_colour) return m.GetColor(kColorNullCell);
  return m.GetColor(kColorBg);
}

uint32_t CellTextColor(const CGridData& data, const GridCtrlMetrics& m, uint32_t style,
                       int32_t row, int32_t col) {
  uint32_t c = data.GetCellTextColor(row, col) & 0xFFFFFF;
  if (m.CurRowTextColoring()) {
    const bool cur = (style & kStyleSwapRowCol) ? col == data.GetCurCol() : row == data.GetCurRow();
    if (cur) c = m.GetColor(kColorCurRowText);
  }
  if ((style & kStyleInvertSelectText) && IsCellSelected(data, style, row, col)) c = 0xFFFFFF - c;
  return c;
}

uint32_t HeaderBackground(const GridCtrlMetrics& m, bool highlighted) {
  uint32_t c = m.GetColor(kColorHeaderBg);
  if (!highlighted) return c;
  uint32_t out = 0;
  for (int shift = 0; shift <= 16; shift += 8) {
    uint32_t ch = (c >> shift) & 0xFF;
    ch = std::min<uint32_t>(static_cast<uint32_t>(ch * 0.8), 255);
    out |= ch << shift;
  }
  return out;
}

std::u16string ColHeaderText(const CGridData& data, uint32_t style, int32_t col) {
  std::u16string name = data.GetDispColName(col);
  if ((style & kStyleShowNotNull) && !data.IsColNullable(col)) return format(kNotNullFormat, {name});
  return name;
}

std::u16string_view FirstLine(std::u16string_view text, bool* broken) {
  std::size_t end = text.find_first_of(u"\r\n");
  if (broken) *broken = end != std::u16string_view::npos;
  return end == std::u16string_view::npos ? text : text.substr(0, end);
}

}  // namespace kestrel
