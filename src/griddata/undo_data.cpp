// The undo log's storage: sets kept oldest first, records from blocks owned
// by the log and recycled through its free list. Tested by
// tests/griddata/undo_data_test.cpp and through the editable grid.
#include "griddata/undo_data.h"

#include <cstring>
#include <new>

#include "platform/ui_services.h"

namespace {
constexpr std::size_t kRecordsPerBlock = 256;
}  // namespace

void CUndoRecord::SetText(std::u16string_view s) {
  auto buf = std::make_unique<char16_t[]>(s.size() + 1);
  if (!s.empty()) std::memcpy(buf.get(), s.data(), s.size() * sizeof(char16_t));
  buf[s.size()] = 0;
  text.data_ = std::move(buf);
  text.len_ = static_cast<uint32_t>(s.size());
  text.byte_len_ = static_cast<uint32_t>(s.size() * sizeof(char16_t));
}

void CUndoRecord::SetBytes(std::span<const std::byte> b) {
  std::size_t units = (b.size() + 1) / 2;
  auto buf = std::make_unique<char16_t[]>(units + 1);  // zero-filled
  if (!b.empty()) std::memcpy(buf.get(), b.data(), b.size());
  text.data_ = std::move(buf);
  text.len_ = static_cast<uint32_t>(units);
  text.byte_len_ = static_cast<uint32_t>(b.size());
}

void CUndoRecord::ClearText() {
  text.data_.reset();
  text.len_ = 0;
  text.byte_len_ = 0;
}

CUndoData::CUndoData(int32_t ring_size) : ring_size_(ring_size < 1 ? 1 : ring_size) {}

CUndoData::~CUndoData() { Clear(); }

void CUndoData::Clear() {
  for (Set& s : sets_) FreeSet(s);
  sets_.clear();
  applied_ = 0;
  depth_ = 0;
  current_ = nullptr;
  last_type_ = kNoType;
}

void CUndoData::ReportNoMemory() {
  kestrel::ui().message_box(u"メモリが確保できません", u"メッセージ", kestrel::mb::OK);
}

CUndoRecord* CUndoData::NewRecord() {
  if (!free_) {
    auto block = std::unique_ptr<CUndoRecord[]>(new (std::nothrow) CUndoRecord[kRecordsPerBlock]);
    if (!block) return nullptr;
    for (std::size_t i = 0; i < kRecordsPerBlock; ++i) {
      block[i].next = free_;
      free_ = &block[i];
    }
    try {
      blocks_.push_back(std::move(block));
    } catch (const std::bad_alloc&) {
      free_ = nullptr;  // the block is released with `block`
      return nullptr;
    }
  }
  CUndoRecord* r = free_;
  free_ = r->next;
  r->next = r->prev = nullptr;
  return r;
}

void CUndoData::FreeRecord(CUndoRecord* r) {
  r->ClearText();
  r->seq = 0;
  r->type = 0;
  r->row = r->col = -1;
  r->value = 0;
  r->old_text = nullptr;
  r->prev = nullptr;
  r->next = free_;
  free_ = r;
}

void CUndoData::FreeSet(Set& s) {
  for (CUndoRecord* r = s.first; r;) {
    CUndoRecord* next = r->next;
    if (r == current_) current_ = nullptr;
    FreeRecord(r);
    r = next;
  }
  s.first = s.last = nullptr;
}

void CUndoData::DropRedo() {
  while (sets_.size() > applied_) {
    FreeSet(sets_.back());
    sets_.pop_back();
  }
}

bool CUndoData::OpenNewSet() {
  DropRedo();
  try {
    sets_.push_back(Set{nullptr, nullptr, next_seq_});
  } catch (const std::bad_alloc&) {
    return false;
  }
  ++applied_;
  // A bounded history forgets its oldest step.
  while (sets_.size() > static_cast<std::size_t>(ring_size_)) {
    FreeSet(sets_.front());
    sets_.pop_front();
    --applied_;
  }
  ++next_seq_;
  if (next_seq_ == 0) next_seq_ = 1;  // 0 means "no step"
  return true;
}

void CUndoData::Append(CUndoRecord* r) {
  Set& s = sets_[applied_ - 1];
  r->seq = s.seq;
  r->prev = s.last;
  if (s.last) s.last->next = r;
  else s.first = r;
  s.last = r;
  current_ = r;
  last_type_ = r->type;
}

int32_t CUndoData::StartUndoSet() {
  if (applying_) return 1;
  if (depth_ == 0 && !OpenNewSet()) {
    ReportNoMemory();
    return 1;
  }
  CUndoRecord* r = NewRecord();
  if (!r) {
    if (depth_ == 0) {  // give the empty set back
      sets_.pop_back();
      --applied_;
    }
    ReportNoMemory();
    return 1;
  }
  r->type = kOpenSet;
  Append(r);
  ++depth_;
  return 0;
}

void CUndoData::EndUndoSet() {
  if (depth_ <= 0) return;
  if (--depth_ > 0) return;
  Set& s = sets_[applied_ - 1];
  for (CUndoRecord* r = s.first; r; r = r->next)
    if (r->type != kOpenSet) return;
  FreeSet(s);
  sets_.pop_back();
  --applied_;
  current_ = applied_ > 0 ? sets_[applied_ - 1].last : nullptr;
}

CUndoRecord* CUndoData::AddRecord(uint32_t type, int32_t row, int32_t col, int64_t value) {
  if (applying_) return nullptr;
  bool own = depth_ == 0;
  if (own && StartUndoSet() != 0) return nullptr;
  CUndoRecord* r = NewRecord();
  if (!r) {
    ReportNoMemory();
    if (own) EndUndoSet();
    return nullptr;
  }
  r->type = type;
  r->row = row;
  r->col = col;
  r->value = value;
  Append(r);
  if (own) EndUndoSet();
  return r;
}

CUndoRecord* CUndoData::AddTextRecord(uint32_t type, int32_t row, int32_t col,
                                      std::u16string_view text, int64_t value) {
  if (applying_) return nullptr;
  bool own = depth_ == 0;
  if (own && StartUndoSet() != 0) return nullptr;
  CUndoRecord* r = AddRecord(type, row, col, value);
  if (r) {
    try {
      r->SetText(text);
    } catch (const std::bad_alloc&) {
      // Unlink the record again: a change must not be recorded half.
      Set& s = sets_[applied_ - 1];
      s.last = r->prev;
      if (s.last) s.last->next = nullptr;
      current_ = s.last;
      FreeRecord(r);
      ReportNoMemory();
      r = nullptr;
    }
  }
  if (own) EndUndoSet();
  return r;
}

int32_t CUndoData::Undo(const Apply& apply) {
  last_type_ = kNoType;
  if (!CanUndo()) return 1;
  Set& s = sets_[applied_ - 1];
  applying_ = true;
  for (CUndoRecord* r = s.last; r; r = r->prev) apply(*r);
  applying_ = false;
  --applied_;
  current_ = applied_ > 0 ? sets_[applied_ - 1].last : nullptr;
  return 0;
}

int32_t CUndoData::Redo(const Apply& apply) {
  last_type_ = kNoType;
  if (!CanRedo()) return 1;
  Set& s = sets_[applied_];
  applying_ = true;
  for (CUndoRecord* r = s.first; r; r = r->next) apply(*r);
  applying_ = false;
  ++applied_;
  current_ = s.last;
  return 0;
}

uint32_t CUndoData::CurrentSeq() const {
  if (applied_ == 0) return 0;
  const Set& s = sets_[applied_ - 1];
  return s.seq;
}
