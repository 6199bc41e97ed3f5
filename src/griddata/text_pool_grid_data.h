// An editable grid over texts kept in memory (a TextPool): what the tests,
// the benchmarks and any non-Oracle editable table use.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "griddata/cell_text_source.h"
#include "griddata/editable_grid_data.h"

namespace kestrel {

class TextPoolGridData final : public CEditableGridData {
 public:
  // Takes the loaded rows; every column is updatable, deletable and
  // insertable, rows may be inserted and deleted.
  explicit TextPoolGridData(std::unique_ptr<TextPool> pool,
                            std::vector<std::u16string> col_names = {});

  int32_t GetHiddenColCnt() const override { return 0; }
  std::u16string GetColName(int32_t col) const override;
  int32_t GetColDataType(int32_t row, int32_t col) const override;
  int32_t GetMaxDataLen(int32_t, int32_t) const override { return max_len_; }
  int32_t GetColLen(int32_t) const override { return max_len_; }

  void SetColDataType(int32_t col, int32_t type);
  void SetMaxDataLen(int32_t len) { max_len_ = len; }
  const TextPool& pool() const { return *pool_; }
  // Whether construction succeeded (InitData had the memory it needed).
  bool ok() const { return ok_; }

 private:
  std::unique_ptr<TextPool> pool_;
  std::vector<std::u16string> names_;
  std::vector<int32_t> types_;
  int32_t max_len_ = grid::kDefaultMaxDataLen;
  bool ok_ = false;
};

}  // namespace kestrel
