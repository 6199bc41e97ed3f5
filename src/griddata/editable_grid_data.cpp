// Edit states of the editable grid: rows live in a gap-buffer table, changed
// bits and edited-value arrays come from block pools, and every change goes
// through the undo log as typed records (applied back in ApplyUndo/ApplyRedo).
// Invariant (CheckInvariants): the three counters match the row flags.
// Tested by tests/griddata/editable_grid_test.cpp.
#include "griddata/editable_grid_data.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "griddata/cell_text_source.h"
#include "griddata/paste_text.h"
#include "griddata/row_table_p.h"
#include "platform/format.h"
#include "platform/ui_services.h"

using namespace kestrel;
using namespace kestrel::grid;
using kestrel::detail::RowRecord;

namespace {

bool test_bit(const RowRecord& r, int32_t col) {
  return r.bits && ((r.bits[col >> 3] >> (col & 7)) & 1) != 0;
}

}  // namespace

CEditableGridData::CEditableGridData() { InitData(0, 0); }

CEditableGridData::~CEditableGridData() = default;

int32_t CEditableGridData::InitData(int32_t rows, int32_t cols) {
  if (rows < 0 || cols < 0) return 1;
  try {
    auto table = std::make_unique<detail::RowTable>();
    if (!table->Init(rows)) return 1;
    auto bits = std::make_unique<detail::BlockPool>((static_cast<std::size_t>(cols) + 7) / 8);
    auto values = std::make_unique<detail::BlockPool>(static_cast<std::size_t>(cols) * sizeof(void*));
    auto undo = std::make_unique<CUndoData>(CUndoData::kUnlimited);
    std::vector<int32_t> flags(static_cast<std::size_t>(cols), kColAllEdits);
    // The undo log owns the edited texts the old rows point at: drop the rows first.
    rows_ = std::move(table);
    bit_pool_ = std::move(bits);
    value_pool_ = std::move(values);
    undo_ = std::move(undo);
    col_flags_ = std::move(flags);
  } catch (const std::bad_alloc&) {
    return 1;
  }
  col_cnt_ = cols;
  inserted_cnt_ = deleted_cnt_ = updated_cnt_ = 0;
  ClearSelection();
  ResizeColWidthTable();
  ClampCurCell();
  return 0;
}

// ---------------------------------------------------------------- reading

int32_t CEditableGridData::GetRowCnt() const { return rows_->size(); }

std::u16string_view CEditableGridData::GetData(int32_t row, int32_t col) const {
  if (!ValidCell(row, col)) return u"";
  const RowRecord& r = rows_->at(row);
  if (r.values && r.values[col]) return r.values[col]->view();
  if (r.flags & kRowInserted) return u"";
  return GetFetchedData(row, col);
}

std::u16string_view CEditableGridData::GetFetchedData(int32_t row, int32_t col) const {
  if (!ValidCell(row, col) || !source_) return u"";
  int32_t fetched = rows_->at(row).fetched;
  return fetched < 0 ? std::u16string_view() : source_->CellText(fetched, col);
}

bool CEditableGridData::IsNull(int32_t row, int32_t col) const { return GetData(row, col).empty(); }

bool CEditableGridData::IsColEditable(int32_t row, int32_t col) const {
  if (!ValidCell(row, col)) return false;
  int32_t f = col_flags_[static_cast<std::size_t>(col)];
  if (f & kColUpdatable) return true;
  if (f & kColInsertable) return (rows_->at(row).flags & kRowInserted) != 0;
  return false;
}

uint8_t CEditableGridData::GetRowFlags(int32_t row) const {
  return row >= 0 && row < GetRowCnt() ? rows_->at(row).flags : 0;
}

int32_t CEditableGridData::GetFetchedRow(int32_t row) const {
  return row >= 0 && row < GetRowCnt() ? rows_->at(row).fetched : -1;
}

int32_t CEditableGridData::GetColFlags(int32_t col) const {
  return col >= 0 && col < col_cnt_ ? col_flags_[static_cast<std::size_t>(col)] : 0;
}

void CEditableGridData::SetColFlags(int32_t col, int32_t flags) {
  if (col >= 0 && col < col_cnt_) col_flags_[static_cast<std::size_t>(col)] = flags & kColAllEdits;
}

bool CEditableGridData::IsInsertRow(int32_t row) const {
  uint8_t f = GetRowFlags(row);
  return (f & kRowInserted) && !(f & kRowDeleted);
}

bool CEditableGridData::IsUpdateRow(int32_t row) const {
  uint8_t f = GetRowFlags(row);
  return (f & kRowUpdated) && !(f & (kRowInserted | kRowDeleted));
}

bool CEditableGridData::IsDeleteRow(int32_t row) const { return (GetRowFlags(row) & kRowDeleted) != 0; }

bool CEditableGridData::IsUpdateCell(int32_t row, int32_t col) const {
  return ValidCell(row, col) && test_bit(rows_->at(row), col);
}

bool CEditableGridData::IsNullRow(int32_t row) const {
  if (row < 0 || row >= GetRowCnt()) return false;
  // The shown columns only: hidden key columns are never empty in loaded rows.
  for (int32_t c = 0, n = GetColCnt(); c < n; ++c)
    if (!IsNull(row, c)) return false;
  return true;
}

bool CEditableGridData::CanDeleteRow(int32_t row) const {
  if (row < 0 || row >= GetRowCnt()) return false;
  if (rows_->at(row).flags & kRowInserted) return true;
  return can_delete_ != 0;
}

bool CEditableGridData::IsModified() const { return undo_ && undo_->CurrentSeq() != 0; }

int32_t CEditableGridData::GetRowHeaderLen() const {
  // Seven characters hold a mark and six digits; larger grids get room for
  // their largest row number.
  int32_t digits = 1;
  for (int64_t n = GetRowCnt(); n >= 10; n /= 10) ++digits;
  return std::max(7, digits + 1);
}

std::u16string CEditableGridData::GetRowHeader(int32_t row) const {
  const int32_t w = GetRowHeaderLen();
  const int64_t n = static_cast<int64_t>(row) + 1;
  if (IsUpdateRow(row)) return format(u"*%*d", {w - 1, n});
  if (IsInsertRow(row)) return format(u"+%*d", {w - 1, n});
  if (IsDeleteRow(row)) return format(u"-%*d", {w - 1, n});
  return format(u"%*d", {w, n});
}

std::size_t CEditableGridData::MemoryUsed() const {
  return rows_->MemoryUsed() + bit_pool_->MemoryUsed() + value_pool_->MemoryUsed() +
         col_flags_.capacity() * sizeof(int32_t);
}

std::string CEditableGridData::CheckInvariants() const {
  int32_t inserted = 0, deleted = 0, updated = 0;
  std::vector<bool> seen(static_cast<std::size_t>(source_ ? source_->RowCount() : 0));
  for (int32_t row = 0; row < GetRowCnt(); ++row) {
    const RowRecord& r = rows_->at(row);
    if (r.flags & kRowInserted) {
      ++inserted;
      if (r.fetched != -1) return "inserted row " + std::to_string(row) + " has a loaded index";
      if (r.flags & kRowDeleted) return "inserted row " + std::to_string(row) + " is marked deleted";
    } else {
      if (r.fetched < 0) return "loaded row " + std::to_string(row) + " has no loaded index";
      if (static_cast<std::size_t>(r.fetched) < seen.size()) {
        if (seen[static_cast<std::size_t>(r.fetched)]) return "loaded index " + std::to_string(r.fetched) + " twice";
        seen[static_cast<std::size_t>(r.fetched)] = true;
      }
      if (r.flags & kRowDeleted) ++deleted;
      else if (r.flags & kRowUpdated) ++updated;
    }
    for (int32_t c = 0; c < col_cnt_; ++c)
      if (test_bit(r, c) && !(r.flags & kRowUpdated))
        return "changed cell " + std::to_string(c) + " in row " + std::to_string(row) + " without the updated flag";
  }
  if (inserted != inserted_cnt_) return "inserted counter " + std::to_string(inserted_cnt_) + ", rows " + std::to_string(inserted);
  if (deleted != deleted_cnt_) return "deleted counter " + std::to_string(deleted_cnt_) + ", rows " + std::to_string(deleted);
  if (updated != updated_cnt_) return "updated counter " + std::to_string(updated_cnt_) + ", rows " + std::to_string(updated);
  return {};
}

// ---------------------------------------------------------------- row and cell state

void CEditableGridData::SetCellText(int32_t row, int32_t col, const CUndoText* text) {
  RowRecord& r = rows_->at(row);
  if (!r.values) {
    if (!text) return;  // nothing edited, nothing to forget
    r.values = static_cast<const CUndoText**>(value_pool_->Get());
    if (!r.values) return;  // cannot happen: arrays are taken before recording
  }
  r.values[col] = text;
}

void CEditableGridData::MarkCellChanged(int32_t row, int32_t col, bool changed) {
  RowRecord& r = rows_->at(row);
  if (!r.bits) {
    if (!changed) return;
    r.bits = static_cast<uint8_t*>(bit_pool_->Get());
    if (!r.bits) return;
  }
  uint8_t mask = static_cast<uint8_t>(1u << (col & 7));
  if (changed) r.bits[col >> 3] |= mask;
  else r.bits[col >> 3] &= static_cast<uint8_t>(~mask);
}

void CEditableGridData::SetUpdatedFlag(int32_t row, bool updated) {
  RowRecord& r = rows_->at(row);
  bool was = (r.flags & kRowUpdated) != 0;
  if (was == updated) return;
  bool counts = !(r.flags & (kRowDeleted | kRowInserted));
  if (updated) {
    r.flags |= kRowUpdated;
    if (counts) ++updated_cnt_;
  } else {
    r.flags &= static_cast<uint8_t>(~kRowUpdated);
    if (counts) --updated_cnt_;
  }
}

void CEditableGridData::ToggleDeleteMark(int32_t row) {
  RowRecord& r = rows_->at(row);
  bool updated = (r.flags & kRowUpdated) && !(r.flags & kRowInserted);
  if (r.flags & kRowDeleted) {
    r.flags &= static_cast<uint8_t>(~kRowDeleted);
    --deleted_cnt_;
    if (updated) ++updated_cnt_;
  } else {
    r.flags |= kRowDeleted;
    ++deleted_cnt_;
    if (updated) --updated_cnt_;
  }
}

bool CEditableGridData::InsertRowRecord(int32_t pos, uint8_t flags) {
  RowRecord r;
  r.fetched = -1;
  r.flags = flags;
  if (!rows_->Insert(pos, r)) return false;
  if (flags & kRowInserted) ++inserted_cnt_;
  return true;
}

void CEditableGridData::RemoveRowRecord(int32_t pos) {
  RowRecord r = rows_->Remove(pos);
  bit_pool_->Put(r.bits);
  value_pool_->Put(static_cast<void*>(r.values));
  if (r.flags & kRowInserted) --inserted_cnt_;
  else {
    if (r.flags & kRowDeleted) --deleted_cnt_;
    else if (r.flags & kRowUpdated) --updated_cnt_;
  }
}

void CEditableGridData::ClampCurCell() {
  const int32_t rows = GetRowCnt(), cols = GetColCnt();
  int32_t row = GetCurRow(), col = GetCurCol();
  if (rows <= 0) row = -1;
  else if (row >= rows) row = rows - 1;
  if (cols <= 0) col = -1;
  else if (col >= cols) col = cols - 1;
  SetCurCellRaw(row, col);
}

// ---------------------------------------------------------------- changes

int32_t CEditableGridData::StartUndoSet() { return undo_->StartUndoSet(); }

void CEditableGridData::EndUndoSet() { undo_->EndUndoSet(); }

int32_t CEditableGridData::UpdateData(int32_t row, int32_t col, std::u16string_view text) {
  return UpdateDataUndo(row, col, text);
}

int32_t CEditableGridData::UpdateDataUndo(int32_t row, int32_t col, std::u16string_view text) {
  if (!ValidCell(row, col)) return kRefused;
  if (GetData(row, col) == text) return kOk;  // nothing changes, nothing recorded
  if (text.size() > static_cast<std::size_t>(std::max(0, GetMaxDataLen(row, col)))) {
    if (beep_on_long_text_) ui().beep(mb::ICONEXCLAMATION);
    return kRefused;
  }
  RowRecord& r = rows_->at(row);
  // Take the arrays first so that a change is never recorded half.
  if (!r.values && !(r.values = static_cast<const CUndoText**>(value_pool_->Get()))) return kRefused;
  if (!r.bits && !(r.bits = static_cast<uint8_t*>(bit_pool_->Get()))) return kRefused;

  const bool row_updated = (r.flags & kRowUpdated) != 0;
  const uint32_t type = row_updated ? (test_bit(r, col) ? kUndoCellAgain : kUndoCellFirstInCell)
                                    : kUndoCellFirstInRow;
  if (undo_->StartUndoSet() != 0) return kRefused;
  CUndoRecord* change = undo_->AddRecord(type, row, col);
  if (!change) {
    undo_->EndUndoSet();
    return kRefused;
  }
  change->old_text = r.values[col];
  CUndoRecord* now = undo_->AddTextRecord(kUndoNewText, row, col, text);
  if (!now) {  // the lone change record undoes to the state it describes
    undo_->EndUndoSet();
    return kRefused;
  }
  r.values[col] = &now->text;
  MarkCellChanged(row, col, true);
  SetUpdatedFlag(row, true);
  undo_->EndUndoSet();
  return kOk;
}

int32_t CEditableGridData::UpdateRange(CellPoint pt1, CellPoint pt2, std::u16string_view text) {
  const int32_t c1 = std::min(pt1.col, pt2.col), c2 = std::max(pt1.col, pt2.col);
  const int32_t r1 = std::min(pt1.row, pt2.row), r2 = std::max(pt1.row, pt2.row);
  if (!ValidCell(r1, c1) || !ValidCell(r2, c2)) return kRefused;
  bool differs = false;
  for (int32_t row = r1; row <= r2 && !differs; ++row)
    for (int32_t col = c1; col <= c2 && !differs; ++col)
      differs = IsColEditable(row, col) && GetData(row, col) != text;
  if (!differs) return kOk;
  if (StartUndoSet() != 0) return kRefused;
  for (int32_t row = r1; row <= r2; ++row)
    for (int32_t col = c1; col <= c2; ++col)
      if (IsColEditable(row, col)) UpdateData(row, col, text);
  EndUndoSet();
  return kOk;
}

int32_t CEditableGridData::InsertRows(int32_t row, int32_t count) {
  if (count < 1) return kOk;
  if (row < -1 || row >= GetRowCnt()) return kRefused;
  if (count > INT32_MAX - GetRowCnt()) return kRefused;
  if (StartUndoSet() != 0) return kRefused;
  int32_t done = 0;
  for (int32_t i = 1; i <= count; ++i) {
    if (!InsertRowRecord(row + i, kRowInserted)) break;
    ++done;
    if (move_at_insert_) SetCurCellRaw(row + i, std::max(GetCurCol(), GetColCnt() > 0 ? 0 : -1));
  }
  if (done > 0) undo_->AddRecord(kUndoRowsInserted, row, GetCurCol(), done);
  EndUndoSet();
  return done == count ? kOk : kRefused;
}

int32_t CEditableGridData::DeleteRow(int32_t row) {
  if (row < 0 || row >= GetRowCnt()) return kRefused;
  if (StartUndoSet() != 0) return kRefused;
  if (rows_->at(row).flags & kRowInserted) {
    // Empty the texts through the log so that undo brings them back.
    for (int32_t c = 0; c < col_cnt_; ++c) UpdateDataUndo(row, c, u"");
    const RowRecord& r = rows_->at(row);
    CUndoRecord* rec = undo_->AddRecord(kUndoInsertedRowRemoved, row, GetCurCol(), r.flags);
    if (!rec) {
      EndUndoSet();
      return kRefused;
    }
    // The row comes back with its flags and changed-cell bits.
    if (r.bits) {
      try {
        rec->SetBytes({reinterpret_cast<const std::byte*>(r.bits), bit_pool_->block_size()});
      } catch (const std::bad_alloc&) {
      }
    }
    RemoveRowRecord(row);
    if (move_at_delete_) SetCurCellRaw(std::max(row - 1, 0), GetCurCol());
    ClampCurCell();
  } else {
    if (!undo_->AddRecord(kUndoDeleteMark, row, GetCurCol())) {
      EndUndoSet();
      return kRefused;
    }
    ToggleDeleteMark(row);
  }
  EndUndoSet();
  return kOk;
}

int32_t CEditableGridData::DeleteRows(int32_t first, int32_t last) {
  if (first > last) std::swap(first, last);
  if (first < 0 || last >= GetRowCnt()) return kRefused;
  if (StartUndoSet() != 0) return kRefused;
  undo_->AddRecord(kUndoCurCell, GetCurRow(), GetCurCol());
  for (int32_t row = last; row >= first; --row) DeleteRow(row);
  undo_->AddRecord(kUndoCurCell, GetCurRow(), GetCurCol());
  EndUndoSet();
  return kOk;
}

int32_t CEditableGridData::DeleteNullRows(bool all) {
  if (StartUndoSet() != 0) return 0;
  undo_->AddRecord(kUndoCurCell, GetCurRow(), GetCurCol());
  int32_t count = 0;
  for (int32_t row = GetRowCnt() - 1; row >= 0; --row) {
    uint8_t f = rows_->at(row).flags;
    if (f & kRowDeleted) continue;
    if (!(f & kRowInserted) && !all) continue;
    if (!IsNullRow(row)) continue;
    if (DeleteRow(row) == kOk) ++count;
  }
  undo_->AddRecord(kUndoCurCell, GetCurRow(), GetCurCol());
  EndUndoSet();
  return count;
}

void CEditableGridData::SwapRow(int32_t row1, int32_t row2) {
  if (row1 < 0 || row2 < 0 || row1 >= GetRowCnt() || row2 >= GetRowCnt() || row1 == row2) return;
  if (!undo_->AddRecord(kUndoRowsSwapped, row1, -1, row2)) return;
  rows_->Swap(row1, row2);
}

int32_t CEditableGridData::Paste(std::u16string_view text) { return PasteText(*this, text); }

void CEditableGridData::ClearRowMark(int32_t row) {
  if (row >= 0 && row < GetRowCnt()) rows_->at(row).flags &= static_cast<uint8_t>(~kRowMarked);
}

void CEditableGridData::SetRowMark(int32_t row) {
  if (row >= 0 && row < GetRowCnt()) rows_->at(row).flags |= kRowMarked;
}

bool CEditableGridData::IsRowMarked(int32_t row) const { return (GetRowFlags(row) & kRowMarked) != 0; }

int32_t CEditableGridData::SortData(const int32_t*, const int32_t*, int32_t) {
  return kNotAvailable;  // the sort comes with the filter view
}

int32_t CEditableGridData::SetFilter(const FilterRequest& request, int32_t* out_count,
                                     std::u16string* out_message) {
  return CGridData::SetFilter(request, out_count, out_message);
}

void CEditableGridData::ClearFilter() { CGridData::ClearFilter(); }

void CEditableGridData::ApplyFilterRecord(const CUndoRecord&, bool) {}

// ---------------------------------------------------------------- undo and redo

bool CEditableGridData::CanUndo() const { return undo_->CanUndo(); }
bool CEditableGridData::CanRedo() const { return undo_->CanRedo(); }

int32_t CEditableGridData::Undo() {
  int32_t r = undo_->Undo([this](CUndoRecord& rec) { ApplyUndo(rec); });
  ClampCurCell();
  return r;
}

int32_t CEditableGridData::Redo() {
  int32_t r = undo_->Redo([this](CUndoRecord& rec) { ApplyRedo(rec); });
  ClampCurCell();
  return r;
}

void CEditableGridData::ApplyUndo(CUndoRecord& r) {
  switch (r.type) {
    case kUndoCellFirstInRow:
      SetUpdatedFlag(r.row, false);
      [[fallthrough]];
    case kUndoCellFirstInCell:
      MarkCellChanged(r.row, r.col, false);
      [[fallthrough]];
    case kUndoCellAgain:
      SetCellText(r.row, r.col, r.old_text);
      SetCurCellRaw(r.row, r.col);
      break;
    case kUndoDeleteMark:
      ToggleDeleteMark(r.row);
      SetCurCellRaw(r.row, r.col);
      break;
    case kUndoInsertedRowRemoved: {
      if (!InsertRowRecord(r.row, static_cast<uint8_t>(r.value))) break;
      auto saved = r.text.bytes();
      if (!saved.empty()) {
        RowRecord& row = rows_->at(r.row);
        row.bits = static_cast<uint8_t*>(bit_pool_->Get());
        if (row.bits) std::memcpy(row.bits, saved.data(), std::min(saved.size(), bit_pool_->block_size()));
      }
      SetCurCellRaw(r.row, r.col);
      break;
    }
    case kUndoRowsInserted:
      for (int64_t i = 0; i < r.value; ++i) RemoveRowRecord(r.row + 1);
      SetCurCellRaw(std::max(r.row, 0), r.col);
      break;
    case kUndoRowsSwapped:
      rows_->Swap(r.row, static_cast<int32_t>(r.value));
      break;
    case kUndoSortStart:
      RebuildFilterAfterReorder();
      break;
    case kUndoCurCell:
      SetCurCellRaw(r.row, r.col);
      break;
    case kUndoFilterSet:
    case kUndoFilterCleared:
      ApplyFilterRecord(r, true);
      break;
    default:
      break;
  }
}

void CEditableGridData::ApplyRedo(CUndoRecord& r) {
  const CUndoRecord* paired = r.next && r.next->type == kUndoNewText ? r.next : nullptr;
  switch (r.type) {
    case kUndoCellFirstInRow:
    case kUndoCellFirstInCell:
    case kUndoCellAgain:
      if (!paired) break;
      SetCellText(r.row, r.col, &paired->text);
      MarkCellChanged(r.row, r.col, true);
      SetUpdatedFlag(r.row, true);
      SetCurCellRaw(r.row, r.col);
      break;
    case kUndoDeleteMark:
      ToggleDeleteMark(r.row);
      SetCurCellRaw(r.row, r.col);
      break;
    case kUndoInsertedRowRemoved:
      RemoveRowRecord(r.row);
      if (move_at_delete_) SetCurCellRaw(std::max(r.row - 1, 0), r.col);
      break;
    case kUndoRowsInserted:
      for (int64_t i = 1; i <= r.value; ++i) InsertRowRecord(r.row + static_cast<int32_t>(i), kRowInserted);
      if (move_at_insert_) SetCurCellRaw(r.row + static_cast<int32_t>(r.value), r.col);
      break;
    case kUndoRowsSwapped:
      rows_->Swap(r.row, static_cast<int32_t>(r.value));
      break;
    case kUndoSortEnd:
      RebuildFilterAfterReorder();
      break;
    case kUndoCurCell:
      SetCurCellRaw(r.row, r.col);
      break;
    case kUndoFilterSet:
    case kUndoFilterCleared:
      ApplyFilterRecord(r, false);
      break;
    default:
      break;
  }
}
