// The editor buffer's lines in a gap array: line i lives at slot i before
// the gap and at slot i + gap size after it. Inserting or removing lines
// moves the gap to the edit, so edits in one place never shift the lines
// elsewhere, and a run of edits moving through the text costs little.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace kestrel {

// What the colouring pass remembers of a line: the scanner state it was
// coloured from and the one it ended in (packed), and the colouring round
// that did it (0: the text changed since).
struct LineLexMemo {
  uint32_t in = 0;
  uint32_t out = 0;
  uint32_t epoch = 0;
};

struct EditLine {
  std::u16string text;        // without its line end
  std::vector<uint8_t> attr;  // one attribute byte per character, filled by the colouring pass
  LineLexMemo lex;
  // Long lines: the display column at the start of each block of
  // kDisplayBlock units, measured as far as someone asked (tab width
  // `block_tab`), so a column near the end costs one block's walk.
  mutable std::vector<int32_t> block_x;
  mutable int32_t block_tab = 0;
  // Wrapped at `row_cols` columns (tab width `row_tab`): where each row
  // starts, kept like the blocks. Empty: not measured.
  mutable std::vector<int32_t> row_starts;
  mutable int32_t row_cols = 0;
  mutable int32_t row_tab = 0;

  // The text changed from unit `from` on: attributes and colouring memo are
  // stale, and the blocks that start after `from`.
  void Touched(std::size_t from = 0) {
    attr.clear();
    lex.epoch = 0;
    const std::size_t keep = from / kDisplayBlock + 1;
    if (block_x.size() > keep) block_x.resize(keep);
    // Rows starting before `from` stay: their breaks depend only on what
    // comes before them. The rest are measured again from the last of them.
    while (row_starts.size() > 1 && static_cast<std::size_t>(row_starts.back()) >= from) row_starts.pop_back();
    rows_partial = !row_starts.empty();
  }
  mutable bool rows_partial = false;  // row_starts ends early (after an edit)

  static constexpr std::size_t kDisplayBlock = 512;
};

class LineStore {
 public:
  LineStore() { slots_.resize(kInitialSlots); }

  int32_t size() const { return count_; }
  EditLine& operator[](int32_t i) { return slots_[Slot(i)]; }
  const EditLine& operator[](int32_t i) const { return slots_[Slot(i)]; }

  // Inserts `n` empty lines before line `at` (0..size()).
  void Insert(int32_t at, int32_t n) {
    if (n <= 0) return;
    Reserve(count_ + n);
    MoveGap(at);
    for (int32_t i = 0; i < n; ++i) slots_[static_cast<std::size_t>(gap_start_ + i)] = EditLine{};
    gap_start_ += n;
    count_ += n;
  }

  // Removes lines [at, at + n).
  void Erase(int32_t at, int32_t n) {
    if (n <= 0) return;
    MoveGap(at + n);
    for (int32_t i = at; i < at + n; ++i) slots_[static_cast<std::size_t>(i)] = EditLine{};
    gap_start_ = at;
    count_ -= n;
  }

  void Clear() {
    slots_.clear();
    slots_.resize(kInitialSlots);
    count_ = 0;
    gap_start_ = 0;
  }

  // Appends a line at the end (the loader's fast path).
  void PushBack(std::u16string text) {
    Reserve(count_ + 1);
    MoveGap(count_);
    slots_[static_cast<std::size_t>(gap_start_)] = EditLine{std::move(text), {}, {}, {}, 0, {}, 0, 0, false};
    ++gap_start_;
    ++count_;
  }

  int32_t gap_start() const { return gap_start_; }
  int32_t capacity() const { return static_cast<int32_t>(slots_.size()); }

 private:
  static constexpr int32_t kInitialSlots = 64;

  int32_t GapSize() const { return static_cast<int32_t>(slots_.size()) - count_; }
  std::size_t Slot(int32_t i) const { return static_cast<std::size_t>(i < gap_start_ ? i : i + GapSize()); }

  void MoveGap(int32_t at) {
    const int32_t gap = GapSize();
    if (at < gap_start_) {
      // Lines [at, gap_start_) move up behind the gap.
      std::move_backward(slots_.begin() + at, slots_.begin() + gap_start_, slots_.begin() + gap_start_ + gap);
    } else if (at > gap_start_) {
      // Lines [gap_start_, at) come down in front of the gap.
      std::move(slots_.begin() + gap_start_ + gap, slots_.begin() + at + gap, slots_.begin() + gap_start_);
    }
    gap_start_ = at;
  }

  void Reserve(int32_t needed) {
    if (needed <= static_cast<int32_t>(slots_.size())) return;
    std::size_t cap = std::max<std::size_t>(slots_.size() * 2, static_cast<std::size_t>(needed));
    std::vector<EditLine> grown(cap);
    const int32_t gap = GapSize();
    const int32_t after = count_ - gap_start_;
    std::move(slots_.begin(), slots_.begin() + gap_start_, grown.begin());
    std::move(slots_.begin() + gap_start_ + gap, slots_.end(), grown.end() - after);
    slots_.swap(grown);
  }

  std::vector<EditLine> slots_;
  int32_t count_ = 0;
  int32_t gap_start_ = 0;
};

}  // namespace kestrel
