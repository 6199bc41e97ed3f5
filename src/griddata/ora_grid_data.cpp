#include "griddata/ora_grid_data.h"

#include <algorithm>
#include <cstring>

#include "oci/oci_codes.h"
#include "oci/oci_cursor.h"
#include "oci/oci_lob.h"
#include "oci/oci_special_columns.h"
#include "oci/oci_types.h"
#include "platform/format.h"
#include "platform/ui_services.h"

namespace kestrel {

std::u16string_view DatasetTextSource::CellText(int32_t fetched_row, int32_t col) const {
  if (!ds_ || fetched_row < 0 || fetched_row >= ds_->row_count || col < 0 || col >= ds_->col_count) return {};
  return ds_->text_view(fetched_row, col);
}

namespace {

constexpr char16_t kUpdatableColumnsSql[] =
    u"select u.column_name, u.updatable, u.insertable, u.deletable \n"
    u"from user_updatable_columns u \n"
    u"where u.owner = :X0 \n"
    u"and u.table_name = :X1 \n";
constexpr int kUpdatableColumnsRowsPerFetch = 100;

class StringSink final : public OciTextSink {
 public:
  explicit StringSink(std::u16string* out) : out_(out) {}
  bool append_text(std::u16string_view piece) override {
    try {
      out_->append(piece);
    } catch (const std::bad_alloc&) {
      return false;
    }
    return true;
  }
  void reset_undo() override {}

 private:
  std::u16string* out_;
};

std::u16string_view ResultText(const OciDataset& ds, int32_t row, int col) {
  return col < 0 ? std::u16string_view() : ds.text_view(row, col);
}

}  // namespace
}  // namespace kestrel

using namespace kestrel;

CEditableOraGridData::CEditableOraGridData() : clob_reader_(&oci_read_clob_data) {
  source_.Set(ds_);
  SetCellTextSource(&source_);
  SetCanInsert(true);
  SetCanDelete(true);
}

CEditableOraGridData::~CEditableOraGridData() = default;

int32_t CEditableOraGridData::SetData(OciSession* session, OciDataset* ds, std::u16string_view owner,
                                      std::u16string_view table, int32_t data_lock, bool use_updatable_columns) {
  session_ = session;
  data_lock_ = data_lock;
  owner_.assign(owner);
  table_.assign(table);
  cache_row_ = cache_col_ = -1;
  cache_ok_ = false;
  cache_text_.clear();
  cache_text_.shrink_to_fit();
  last_error_.clear();
  key_names_.clear();
  hidden_cnt_ = 1;
  has_rowid_ = false;
  ds_ = ds ? ds : &empty_ds_;
  source_.Set(ds_);
  if (InitData(ds_->row_count, ds_->col_count) != 0) {
    // Never leave the grid over a dataset it could not lay out.
    ds_ = &empty_ds_;
    source_.Set(ds_);
    InitData(0, 0);
    SetCanInsert(false);
    SetCanDelete(false);
    return 1;
  }
  if (!ds) {
    SetCanInsert(false);
    SetCanDelete(false);
    return 0;
  }
  SetColumnFlags(use_updatable_columns && session != nullptr);

  int rowid = -1;
  for (int32_t c = 0; c < ds_->col_count; ++c) {
    if (Col(c).wname == u"ROWID") {
      rowid = c;
      break;
    }
  }
  if (rowid >= 0) {
    hidden_cnt_ = ds_->col_count - rowid;
    has_rowid_ = true;
  }
  if (hidden_cnt_ != 1) {
    for (int32_t c = rowid + 1; c < ds_->col_count; ++c) key_names_.push_back(Col(c).wname);
  } else {
    key_names_.emplace_back(u"ROWID");
  }
  return 0;
}

void CEditableOraGridData::SetColumnFlags(bool use_updatable_columns) {
  SetCanInsert(true);
  SetCanDelete(true);
  for (int32_t c = 0; c < ds_->col_count; ++c) {
    const uint16_t t = Col(c).data_type;
    SetColFlags(c, (t == kTypeBlob || t == kTypeBfile) ? 0 : (kColUpdatable | kColDeletable | kColInsertable));
  }
  if (!use_updatable_columns) return;

  OciDataset result;
  char16_t msg[512] = {};
  const int rc = oci_cre_sel_cursor(session_, &result, kUpdatableColumnsSql, kUpdatableColumnsRowsPerFetch,
                                    OciMsgBuf(msg), u"SS", {OciBindArg(owner_), OciBindArg(table_)});
  if (rc == kOciOk && result.row_count > 0) {
    const int name_col = oci_find_column(&result, u"COLUMN_NAME");
    const int upd_col = oci_find_column(&result, u"UPDATABLE");
    const int ins_col = oci_find_column(&result, u"INSERTABLE");
    const int del_col = oci_find_column(&result, u"DELETABLE");
    SetCanInsert(false);
    SetCanDelete(false);
    bool can_insert = false;
    bool can_delete = false;
    for (int32_t r = 0; r < result.row_count; ++r) {
      const std::u16string_view name = ResultText(result, r, name_col);
      int32_t col = -1;
      for (int32_t c = 0; c < ds_->col_count; ++c) {
        if (Col(c).wname == name) {
          col = c;
          break;
        }
      }
      if (col < 0) continue;
      const uint16_t t = Col(col).data_type;
      if (t == kTypeBlob || t == kTypeBfile) continue;
      int32_t flags = 0;
      if (ResultText(result, r, upd_col) == u"YES") flags |= kColUpdatable;
      if (ResultText(result, r, ins_col) == u"YES") {
        flags |= kColInsertable;
        can_insert = true;
      }
      if (ResultText(result, r, del_col) == u"YES") {
        flags |= kColDeletable;
        can_delete = true;
      }
      SetColFlags(col, flags);
    }
    SetCanInsert(can_insert);
    SetCanDelete(can_delete);
  }
  result.clear();
}

int32_t CEditableOraGridData::GetColCnt() const { return std::max<int32_t>(0, ds_->col_count - hidden_cnt_); }

std::u16string_view CEditableOraGridData::GetDispData(int32_t row, int32_t col) const { return GetData(row, col); }

bool CEditableOraGridData::IsNull(int32_t row, int32_t col) const { return GetData(row, col).empty(); }

bool CEditableOraGridData::IsClobCell(int32_t row, int32_t col) const {
  return ValidCol(col) && Col(col).data_type == kTypeClob && row >= 0 && row < GetRowCnt();
}

bool CEditableOraGridData::ReadClob(int32_t row, int32_t col) const {
  const int32_t fetched = GetFetchedRow(row);
  if (fetched == cache_row_ && col == cache_col_) return cache_ok_;
  cache_row_ = fetched;
  cache_col_ = col;
  cache_text_.clear();
  OciLobHeader header;
  std::memcpy(&header, ds_->header(fetched, col), sizeof header);
  StringSink sink(&cache_text_);
  char16_t msg[1024] = {};
  const int rc = clob_reader_ ? clob_reader_(session_, &sink, &header, OciMsgBuf(msg)) : kOciInternal;
  cache_ok_ = rc == kOciOk;
  if (!cache_ok_) {
    cache_text_.clear();
    last_error_ = msg;
    ui().message_box(msg, u"Error", mb::ICONERROR);
  }
  return cache_ok_;
}

std::u16string_view CEditableOraGridData::GetEditData(int32_t row, int32_t col) const {
  // An edited cell holds the text the user gave; only a loaded CLOB cell
  // needs its whole text from the database.
  if (!IsClobCell(row, col) || GetFetchedRow(row) < 0 || IsUpdateCell(row, col)) return GetData(row, col);
  if (!ReadClob(row, col)) return GetData(row, col);
  return cache_text_;
}

bool CEditableOraGridData::IsEditDataComplete(int32_t row, int32_t col) const {
  if (!IsClobCell(row, col) || GetFetchedRow(row) < 0 || IsUpdateCell(row, col)) return true;
  return ReadClob(row, col);
}

std::u16string CEditableOraGridData::GetColName(int32_t col) const {
  return ValidCol(col) ? Col(col).wname : std::u16string();
}

std::u16string CEditableOraGridData::GetDispColName(int32_t col) const { return GetColName(col); }

int32_t CEditableOraGridData::GetColLen(int32_t col) const {
  if (!ValidCol(col)) return 0;
  const OciColumnDesc& d = Col(col);
  const bool lob = d.data_type == kTypeClob || d.data_type == kTypeBlob || d.data_type == kTypeBfile;
  return static_cast<int32_t>(lob ? d.aux_size : d.width);
}

int32_t CEditableOraGridData::GetColScale(int32_t col) const { return ValidCol(col) ? Col(col).scale : 0; }

int32_t CEditableOraGridData::GetColDataType(int32_t /*row*/, int32_t col) const {
  if (!ValidCol(col)) return 1;
  if (Col(col).data_type == kTypeNumber) return 0;
  if (Col(col).data_type == kTypeChar) return 2;
  return 1;
}

bool CEditableOraGridData::IsColNullable(int32_t col) const { return ValidCol(col) && Col(col).nullable != 0; }

int32_t CEditableOraGridData::GetMaxDataLen(int32_t /*row*/, int32_t col) const {
  if (!ValidCol(col)) return 0;
  switch (Col(col).data_type) {
    case kTypeClob: return kClobMaxDataLen;
    case kTypeBlob: return kBlobPathMaxDataLen;
    case kTypeBfile: return kBfileTextMaxDataLen;
    // The fetch buffer of an object or REF holds two pointers; the text the
    // user types (a constructor expression) is held like a cell text.
    case kTypeObject:
    case kTypeRef: return std::max<int32_t>(0, static_cast<int32_t>(Col(col).aux_size) - 1);
    default: return std::max<int32_t>(0, static_cast<int32_t>(Col(col).width) - 1);
  }
}

std::u16string CEditableOraGridData::GetColTypeName(int32_t col) const {
  if (!ValidCol(col)) return {};
  std::u16string name, length;
  oci_get_type_name(Col(col), &name, &length);
  if (length.empty()) return name;
  return format(u"%s(%s)", {name, length});
}
