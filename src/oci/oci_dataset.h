// The in-memory result of a select. Rows are fixed-size records in blocks of
// one fetch array each; short texts (below 33 bytes of UTF-16) live inside
// the record, longer ones in a string pool of geometrically growing pages,
// so a million-row result costs a few thousand allocations, not one per cell.
// The grid reads cell texts straight out of these records.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "oci/oci_text.h"
#include "oci/oci_types.h"

namespace kestrel {

// Pages of NUL-terminated UTF-16 texts. A text never moves once written.
class OciStringPool {
 public:
  OciStringPool() = default;
  OciStringPool(OciStringPool&&) noexcept = default;
  OciStringPool& operator=(OciStringPool&&) noexcept = default;

  // Sets the size of the next page to allocate (bytes).
  void set_first_page_size(std::size_t bytes) { next_page_ = bytes < 4096 ? 4096 : bytes; }
  // Room for `units` characters plus a terminator; nullptr when out of
  // memory. The space is taken with commit().
  char16_t* reserve(std::size_t units);
  void commit(std::size_t units_with_terminator) { used_ += units_with_terminator * sizeof(char16_t); }
  // Copies a text into the pool; nullptr when out of memory.
  const char16_t* add(std::u16string_view text);
  void clear();
  std::size_t pages() const { return pages_.size(); }
  std::size_t bytes_allocated() const { return allocated_; }

 private:
  struct Page {
    std::unique_ptr<unsigned char[]> data;
    std::size_t size;
  };
  std::vector<Page> pages_;
  std::size_t used_ = 0;       // bytes used in the last page
  std::size_t next_page_ = 4096;
  std::size_t allocated_ = 0;
};

}  // namespace kestrel

struct OciDataset {
  OciDataset() = default;
  ~OciDataset();
  OciDataset(const OciDataset&) = delete;
  OciDataset& operator=(const OciDataset&) = delete;

  // Row blocks; each holds up to one fetch array of row records.
  struct Block {
    std::unique_ptr<unsigned char[]> data;
    int32_t rows;
  };
  std::vector<Block> blocks;
  std::vector<uint32_t> col_offset;      // value offset inside a row record
  int32_t row_count = 0;
  std::vector<unsigned char*> row_index; // every row record, in row order (sorting reorders it)
  int32_t col_count = 0;
  std::vector<OciColumnDesc> cols;
  std::vector<bool> by_pointer;          // record holds a pointer to the text
  kestrel::OciStringPool pool;
  int32_t lob_count = 0;
  int32_t object_count = 0;
  uint32_t row_size = 0;

  // Text of a cell by row index position; never null (NULL is empty).
  const char16_t* text(int32_t row, int32_t col) const { return cell_text(row_index[static_cast<std::size_t>(row)], col); }
  const char16_t* cell_text(const unsigned char* record, int32_t col) const;
  std::u16string_view text_view(int32_t row, int32_t col) const;
  // Header bytes in front of a LOB (24) or object (16) value.
  unsigned char* header(int32_t row, int32_t col) const;

  // Lays out the record for these columns (offsets, by-pointer bits, size).
  void set_columns(const std::vector<OciColumnDesc>& descs, bool all_by_pointer = false);
  // A new block of `rows` zeroed records; nullptr when out of memory.
  unsigned char* add_block(int32_t rows);
  // Stores a text in a by-pointer column (copied into the pool) or inline
  // (cut to the slot). Returns false when out of memory.
  bool set_text(unsigned char* record, int32_t col, std::u16string_view text);
  void set_pointer(unsigned char* record, int32_t col, const char16_t* text) const;
  void build_row_index();
  // Frees everything, LOB locators of the rows included.
  void clear();
};

// The shared empty text that by-pointer NULL cells point at.
extern const char16_t kOciEmptyText[1];

// Dataset operations.
int oci_find_column(const OciDataset* ds, std::u16string_view name);
// Reorders row_index[first..last] by one column; direction 1 ascending, -1 descending.
void oci_sort_dataset(OciDataset* ds, int32_t first, int32_t last, int32_t col, int direction);
// Binary search of a dataset sorted ascending by `col`; the row index or -1.
int32_t oci_search_dataset(const OciDataset* ds, int32_t col, std::u16string_view key);
int oci_overwrite_dataset(OciDataset* target, OciDataset* source, std::u16string_view column, bool only_if_empty,
                          kestrel::OciMsgBuf msg);
int oci_join_dataset(OciDataset* result, OciDataset* left, OciDataset* right, std::u16string_view key,
                     const std::u16string_view* columns, int count, kestrel::OciMsgBuf msg);
int oci_merge_dataset(OciDataset* result, const OciDataset* const* pair, kestrel::OciMsgBuf msg);
void oci_free_dataset(OciDataset* ds);
