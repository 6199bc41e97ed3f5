#include "griddata/text_pool_grid_data.h"

namespace kestrel {

TextPoolGridData::TextPoolGridData(std::unique_ptr<TextPool> pool, std::vector<std::u16string> col_names)
    : pool_(std::move(pool)), names_(std::move(col_names)) {
  if (!pool_) pool_ = std::make_unique<TextPool>(0);
  const int32_t cols = pool_->ColCount();
  names_.resize(static_cast<std::size_t>(cols));
  types_.assign(static_cast<std::size_t>(cols), grid::kTypeText);
  ok_ = InitData(pool_->RowCount(), cols) == 0;
  SetCellTextSource(pool_.get());
  SetCanInsert(true);
  SetCanDelete(true);
}

std::u16string TextPoolGridData::GetColName(int32_t col) const {
  if (col < 0 || static_cast<std::size_t>(col) >= names_.size()) return u"";
  return names_[static_cast<std::size_t>(col)];
}

int32_t TextPoolGridData::GetColDataType(int32_t, int32_t col) const {
  if (col < 0 || static_cast<std::size_t>(col) >= types_.size()) return grid::kTypeText;
  return types_[static_cast<std::size_t>(col)];
}

void TextPoolGridData::SetColDataType(int32_t col, int32_t type) {
  if (col >= 0 && static_cast<std::size_t>(col) < types_.size()) types_[static_cast<std::size_t>(col)] = type;
}

}  // namespace kestrel
