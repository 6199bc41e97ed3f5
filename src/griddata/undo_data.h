// The undo log: a history of undo steps (sets), each a list of typed records
// in the order they were added. The log only stores and walks records; what a
// record type means, and what undoing or redoing it does, belongs to the
// owner (the editable grid, the editor's text buffer), which applies the
// records through the callbacks of Undo and Redo.
//
// Record type 0 opens a set and carries nothing; every other type number is
// the owner's. A set that holds nothing but type 0 records when it closes is
// dropped, so an operation that changed nothing leaves no undo step.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <span>
#include <string_view>
#include <vector>

// A text (or a byte block) owned by one undo record. Its address stays valid
// as long as the record lives, so grid cells may point at it.
struct CUndoText {
  std::u16string_view view() const { return {data_.get() ? data_.get() : u"", len_}; }
  std::span<const std::byte> bytes() const {
    return {reinterpret_cast<const std::byte*>(data_.get()), byte_len_};
  }
  bool empty() const { return len_ == 0; }

 private:
  friend class CUndoData;
  friend struct CUndoRecord;
  std::unique_ptr<char16_t[]> data_;  // always null-terminated when set
  uint32_t len_ = 0;                  // characters
  uint32_t byte_len_ = 0;             // bytes, for blocks stored with SetBytes
};

struct CUndoRecord {
  uint32_t seq = 0;   // sequence number of the set the record belongs to
  uint32_t type = 0;  // 0 opens a set; the rest are the owner's
  int32_t row = -1;
  int32_t col = -1;
  int64_t value = 0;                    // a count or position, as the type needs
  const CUndoText* old_text = nullptr;  // the text a change replaced (not owned)
  CUndoText text;                       // owned by the record

  CUndoRecord* prev = nullptr;
  CUndoRecord* next = nullptr;

  // Copies `s` into the record's own buffer (replacing any previous one).
  void SetText(std::u16string_view s);
  // Copies a block of bytes (for example a filter's condition block).
  void SetBytes(std::span<const std::byte> b);
  void ClearText();
};

class CUndoData {
 public:
  // Steps kept: the grid keeps every step; the editor may keep fewer, and the
  // oldest step is forgotten when a new one would exceed the limit.
  static constexpr int32_t kUnlimited = 0x7FFFFFFF;
  static constexpr uint32_t kOpenSet = 0;  // record type that opens a set

  explicit CUndoData(int32_t ring_size = kUnlimited);
  ~CUndoData();
  CUndoData(const CUndoData&) = delete;
  CUndoData& operator=(const CUndoData&) = delete;

  // Opens a set (or a nested level of the open one) with a type 0 record.
  // Opening a new outermost set discards every step that could be redone.
  // Returns 0, or 1 when memory ran out ("メモリが確保できません" was shown).
  int32_t StartUndoSet();
  // Closes one level; the outermost close drops a set of type 0 records only.
  void EndUndoSet();
  int32_t depth() const { return depth_; }

  // Appends a record to the open set. Outside an open set the record forms a
  // set of its own. Returns null when memory ran out (after the message box)
  // and while Undo or Redo is applying records.
  CUndoRecord* AddRecord(uint32_t type, int32_t row, int32_t col, int64_t value = 0);
  // The same, with a copy of `text` in the record's own buffer.
  CUndoRecord* AddTextRecord(uint32_t type, int32_t row, int32_t col, std::u16string_view text,
                             int64_t value = 0);

  bool CanUndo() const { return depth_ == 0 && applied_ > 0; }
  bool CanRedo() const { return depth_ == 0 && applied_ < sets_.size(); }

  using Apply = std::function<void(CUndoRecord&)>;
  // Undo applies the records of the newest applied set from the last to the
  // first and steps back; Redo steps forward and applies that set from the
  // first record to the last. Both return 0, or 1 when there is nothing to
  // undo (redo) or a set is still open.
  int32_t Undo(const Apply& apply);
  int32_t Redo(const Apply& apply);

  // Sequence number of the newest applied set; 0 when nothing can be undone.
  // An editor notes it when editing starts: a different number later means
  // the text changed.
  uint32_t CurrentSeq() const;
  // The last record added (or null after undo, redo and when empty).
  const CUndoRecord* current_record() const { return current_; }
  // The same, for an owner that grows its last record (typing into one insert).
  CUndoRecord* current_record() { return current_; }
  // Type of the last record added; reset to kNoType by Undo and Redo, so an
  // owner that merges typing into the previous record starts a new one.
  static constexpr uint32_t kNoType = 0xFFFFFFFF;
  uint32_t last_type() const { return last_type_; }

  int32_t ring_size() const { return ring_size_; }
  std::size_t undo_steps() const { return applied_; }
  std::size_t redo_steps() const { return sets_.size() - applied_; }
  // Forgets every step.
  void Clear();

 private:
  struct Set {
    CUndoRecord* first = nullptr;
    CUndoRecord* last = nullptr;
    uint32_t seq = 0;
  };
  CUndoRecord* NewRecord();
  void FreeRecord(CUndoRecord* r);
  void FreeSet(Set& s);
  void DropRedo();
  bool OpenNewSet();
  void Append(CUndoRecord* r);
  void ReportNoMemory();

  int32_t ring_size_;
  std::deque<Set> sets_;     // oldest first
  std::size_t applied_ = 0;  // sets [0, applied_) are done; the rest can be redone
  uint32_t next_seq_ = 1;
  uint32_t last_type_ = kNoType;
  int32_t depth_ = 0;
  bool applying_ = false;  // inside Undo/Redo: no records may be added
  CUndoRecord* current_ = nullptr;

  // Records come from blocks kept by the log and return to its free list.
  std::vector<std::unique_ptr<CUndoRecord[]>> blocks_;
  CUndoRecord* free_ = nullptr;
};
