// Private storage of CEditableGridData: the gap-buffer row table and the
// pools of fixed-size blocks for changed-cell bits and edited-value arrays.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

struct CUndoText;

namespace kestrel::detail {

// Fixed-size, zero-filled blocks handed out from chunks of 100; freed blocks
// go to a free list for reuse.
class BlockPool {
 public:
  static constexpr std::size_t kBlocksPerChunk = 100;

  explicit BlockPool(std::size_t block_size)
      : size_((block_size < 8 ? 8 : block_size + 7) & ~std::size_t{7}) {}
  BlockPool(const BlockPool&) = delete;
  BlockPool& operator=(const BlockPool&) = delete;

  std::size_t block_size() const { return size_; }

  // A zero-filled block, or null when memory ran out.
  void* Get() {
    if (!free_) {
      auto chunk = std::unique_ptr<std::byte[]>(new (std::nothrow) std::byte[size_ * kBlocksPerChunk]);
      if (!chunk) return nullptr;
      try {
        chunks_.push_back(std::move(chunk));
      } catch (const std::bad_alloc&) {
        return nullptr;
      }
      std::byte* base = chunks_.back().get();
      for (std::size_t i = kBlocksPerChunk; i-- > 0;) Put(base + i * size_);
    }
    void* b = free_;
    std::memcpy(&free_, b, sizeof free_);
    std::memset(b, 0, size_);
    --free_count_;
    return b;
  }
  void Put(void* block) {
    if (!block) return;
    std::memcpy(block, &free_, sizeof free_);
    free_ = block;
    ++free_count_;
  }
  std::size_t MemoryUsed() const { return chunks_.size() * kBlocksPerChunk * size_; }

 private:
  std::size_t size_;
  std::vector<std::unique_ptr<std::byte[]>> chunks_;
  void* free_ = nullptr;
  std::size_t free_count_ = 0;
};

struct RowRecord {
  int32_t fetched = -1;  // position in the loaded result; -1 for inserted rows
  uint8_t flags = 0;     // grid::kRow* bits
  uint8_t* bits = nullptr;               // changed-cell bits; null until a cell changes
  const CUndoText** values = nullptr;  // edited texts; null until the first edit
};

// Row records in display order in one array with a gap at the last edit
// position, so runs of inserts or deletes at one place move little.
class RowTable {
 public:
  static constexpr std::size_t kGrowStep = 0x100000;

  // `rows` loaded rows with fetched indexes 0..rows-1; capacity rows + 100.
  bool Init(int32_t rows) {
    std::size_t cap = static_cast<std::size_t>(rows) + 100;
    auto a = std::unique_ptr<RowRecord[]>(new (std::nothrow) RowRecord[cap]);
    if (!a) return false;
    for (int32_t i = 0; i < rows; ++i) a[static_cast<std::size_t>(i)].fetched = i;
    arr_ = std::move(a);
    cap_ = cap;
    gap_start_ = static_cast<std::size_t>(rows);
    gap_end_ = cap;
    return true;
  }

  int32_t size() const { return static_cast<int32_t>(cap_ - (gap_end_ - gap_start_)); }
  std::size_t capacity() const { return cap_; }

  RowRecord& at(int32_t i) { return arr_[slot(i)]; }
  const RowRecord& at(int32_t i) const { return arr_[slot(i)]; }

  // Inserts a record at position `pos` (0..size()). False when out of memory.
  bool Insert(int32_t pos, const RowRecord& r) {
    if (static_cast<std::size_t>(size()) + 2 >= cap_ && !Grow()) return false;
    MoveGap(static_cast<std::size_t>(pos));
    arr_[gap_start_++] = r;
    return true;
  }
  // Removes the record at `pos` and returns it.
  RowRecord Remove(int32_t pos) {
    MoveGap(static_cast<std::size_t>(pos) + 1);
    RowRecord r = arr_[--gap_start_];
    arr_[gap_start_] = RowRecord{};
    return r;
  }
  void Swap(int32_t a, int32_t b) { std::swap(at(a), at(b)); }
  std::size_t MemoryUsed() const { return cap_ * sizeof(RowRecord); }

 private:
  std::size_t slot(int32_t i) const {
    std::size_t u = static_cast<std::size_t>(i);
    return u < gap_start_ ? u : u + (gap_end_ - gap_start_);
  }
  void MoveGap(std::size_t pos) {
    if (pos < gap_start_) {
      std::size_t n = gap_start_ - pos;
      std::memmove(static_cast<void*>(&arr_[gap_end_ - n]), &arr_[pos], n * sizeof(RowRecord));
      gap_start_ -= n;
      gap_end_ -= n;
    } else if (pos > gap_start_) {
      std::size_t n = pos - gap_start_;
      std::memmove(static_cast<void*>(&arr_[gap_start_]), &arr_[gap_end_], n * sizeof(RowRecord));
      gap_start_ += n;
      gap_end_ += n;
    }
  }
  bool Grow() {
    std::size_t cap = cap_ < kGrowStep ? cap_ * 2 : cap_ + kGrowStep;
    if (cap < 8) cap = 8;
    auto a = std::unique_ptr<RowRecord[]>(new (std::nothrow) RowRecord[cap]);
    if (!a) return false;
    std::size_t tail = cap_ - gap_end_;
    std::memcpy(static_cast<void*>(&a[0]), &arr_[0], gap_start_ * sizeof(RowRecord));
    std::memcpy(static_cast<void*>(&a[cap - tail]), &arr_[gap_end_], tail * sizeof(RowRecord));
    gap_end_ = cap - tail;
    cap_ = cap;
    arr_ = std::move(a);
    return true;
  }

  std::unique_ptr<RowRecord[]> arr_;
  std::size_t cap_ = 0;
  std::size_t gap_start_ = 0;
  std::size_t gap_end_ = 0;
};

}  // namespace kestrel::detail
