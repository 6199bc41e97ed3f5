// Loaded texts packed per row into large chunks (no allocation per cell).
#include "griddata/cell_text_source.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace kestrel {
namespace {
constexpr uint32_t kChunkChars = 1u << 20;  // 2 MiB of text per chunk
}  // namespace

TextPool::TextPool(int32_t col_count) : cols_(col_count < 0 ? 0 : col_count) {}

void TextPool::ReserveRows(std::size_t rows) {
  try {
    rows_.reserve(rows);
    ends_.reserve(rows * static_cast<std::size_t>(cols_));
  } catch (const std::bad_alloc&) {
    // Growing later still works; the reservation was only a hint.
  }
}

void TextPool::Clear() {
  chunks_.clear();
  rows_.clear();
  ends_.clear();
}

bool TextPool::AddRow(std::span<const std::u16string_view> cells) {
  const std::size_t n = std::min(cells.size(), static_cast<std::size_t>(cols_));
  std::size_t total = 0;
  for (std::size_t i = 0; i < n; ++i) total += cells[i].size();
  if (total > 0xFFFFFFFFu - 1) return false;
  try {
    if (chunks_.empty() || chunks_.back().capacity - chunks_.back().size < total) {
      // A row never spans two chunks; a very long row gets a chunk of its own.
      uint32_t cap = std::max<uint32_t>(kChunkChars, static_cast<uint32_t>(total));
      Chunk c;
      c.data.reset(new char16_t[cap]);
      c.capacity = cap;
      chunks_.push_back(std::move(c));
    }
    rows_.push_back(RowLoc{});
    ends_.resize(ends_.size() + static_cast<std::size_t>(cols_));
  } catch (const std::bad_alloc&) {
    // Both vectors keep their contents when growing fails; drop a row
    // locator that got no cell ends.
    if (ends_.size() < rows_.size() * static_cast<std::size_t>(cols_)) rows_.pop_back();
    return false;
  }
  Chunk& c = chunks_.back();
  rows_.back() = RowLoc{static_cast<uint32_t>(chunks_.size() - 1), c.size};
  uint32_t* ends = &ends_[(rows_.size() - 1) * static_cast<std::size_t>(cols_)];
  uint32_t end = 0;
  for (std::size_t i = 0; i < static_cast<std::size_t>(cols_); ++i) {
    if (i < n && !cells[i].empty()) {
      std::memcpy(c.data.get() + c.size + end, cells[i].data(), cells[i].size() * sizeof(char16_t));
      end += static_cast<uint32_t>(cells[i].size());
    }
    ends[i] = end;
  }
  c.size += end;
  return true;
}

std::u16string_view TextPool::CellText(int32_t fetched_row, int32_t col) const {
  if (fetched_row < 0 || col < 0 || col >= cols_ || static_cast<std::size_t>(fetched_row) >= rows_.size())
    return {};
  const RowLoc loc = rows_[static_cast<std::size_t>(fetched_row)];
  const uint32_t* ends = &ends_[static_cast<std::size_t>(fetched_row) * static_cast<std::size_t>(cols_)];
  uint32_t begin = col == 0 ? 0 : ends[col - 1];
  return {chunks_[loc.chunk].data.get() + loc.offset + begin, ends[col] - begin};
}

std::size_t TextPool::MemoryUsed() const {
  std::size_t bytes = rows_.capacity() * sizeof(RowLoc) + ends_.capacity() * sizeof(uint32_t) +
                      chunks_.capacity() * sizeof(Chunk);
  for (const Chunk& c : chunks_) bytes += static_cast<std::size_t>(c.capacity) * sizeof(char16_t);
  return bytes;
}

}  // namespace kestrel
