// Where an editable grid reads the cell texts as they were loaded. The grid
// never copies them: an unedited cell costs nothing beyond what the source
// keeps. The Oracle grid implements this over its result set's text pool;
// TextPool is a compact in-memory source for everything else.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string_view>
#include <vector>

namespace kestrel {

class CellTextSource {
 public:
  virtual ~CellTextSource() = default;
  // Text of loaded row `fetched_row` (0-based, in load order), column `col`.
  // Out-of-range cells give the empty text. The view stays valid as long as
  // the source is unchanged.
  virtual std::u16string_view CellText(int32_t fetched_row, int32_t col) const = 0;
  virtual int32_t RowCount() const = 0;
  virtual int32_t ColCount() const = 0;
};

// Rows of texts packed into large character chunks: per row one 8-byte
// locator and one 4-byte end offset per cell, no allocation per cell.
class TextPool final : public CellTextSource {
 public:
  explicit TextPool(int32_t col_count);
  TextPool(const TextPool&) = delete;
  TextPool& operator=(const TextPool&) = delete;

  // Room for `rows` rows (avoids regrowing the row index while loading).
  void ReserveRows(std::size_t rows);
  // Appends one row; missing cells are empty, extra cells are ignored.
  // Returns false when memory ran out (nothing appended).
  bool AddRow(std::span<const std::u16string_view> cells);
  void Clear();

  std::u16string_view CellText(int32_t fetched_row, int32_t col) const override;
  int32_t RowCount() const override { return static_cast<int32_t>(rows_.size()); }
  int32_t ColCount() const override { return cols_; }
  // Bytes held: characters, chunk slack and the index.
  std::size_t MemoryUsed() const;

 private:
  struct RowLoc {
    uint32_t chunk;
    uint32_t offset;
  };
  struct Chunk {
    std::unique_ptr<char16_t[]> data;
    uint32_t size = 0;
    uint32_t capacity = 0;
  };
  int32_t cols_;
  std::vector<Chunk> chunks_;
  std::vector<RowLoc> rows_;
  std::vector<uint32_t> ends_;  // per cell: end offset relative to the row start
};

}  // namespace kestrel
