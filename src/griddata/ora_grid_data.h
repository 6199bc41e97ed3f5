// CEditableOraGridData: the editable grid over the result of a select on one
// table. The shown columns come first; from the column named "ROWID" on,
// every fetched column is hidden and, after "ROWID", names the key of an
// index-organised table. The loaded texts are read straight out of the
// dataset, which the document owns; the object owns only an empty dataset
// shown when nothing is loaded.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "griddata/cell_text_source.h"
#include "griddata/editable_grid_data.h"
#include "oci/oci_dataset.h"
#include "oci/oci_text.h"

struct OciSession;
struct OciLobHeader;

namespace kestrel {
class OciTextSink;

// Widths the editor allows for LOB and BFILE cells: a BLOB cell takes the
// path of the file to upload; a BFILE cell takes "<BFILE dir_alias:%s
// file_name:%s ...>" with a 128-byte alias and a 255-byte file name.
inline constexpr int32_t kClobMaxDataLen = 2147483647;
inline constexpr int32_t kBlobPathMaxDataLen = 4095;   // PATH_MAX - 1
inline constexpr int32_t kBfileTextMaxDataLen = 17 + 128 + 11 + 255 + 1 + 24 + 1;

// Column edit flags.
inline constexpr int32_t kColUpdatable = 0x01;
inline constexpr int32_t kColDeletable = 0x02;
inline constexpr int32_t kColInsertable = 0x04;

// Oracle data type codes the grid treats specially.
inline constexpr uint16_t kTypeNumber = 2;
inline constexpr uint16_t kTypeChar = 96;
inline constexpr uint16_t kTypeClob = 112;
inline constexpr uint16_t kTypeBlob = 113;
inline constexpr uint16_t kTypeBfile = 114;
inline constexpr uint16_t kTypeObject = 108;  // objects and named collections
inline constexpr uint16_t kTypeRef = 110;

// Reads a whole CLOB; oci_read_clob_data, or a stand-in in tests.
using ClobReader = std::function<int(OciSession*, OciTextSink*, const OciLobHeader*, OciMsgBuf)>;

// Loaded texts of the dataset, in fetch order.
class DatasetTextSource final : public CellTextSource {
 public:
  void Set(const OciDataset* ds) { ds_ = ds; }
  std::u16string_view CellText(int32_t fetched_row, int32_t col) const override;
  int32_t RowCount() const override { return ds_ ? ds_->row_count : 0; }
  int32_t ColCount() const override { return ds_ ? ds_->col_count : 0; }

 private:
  const OciDataset* ds_ = nullptr;
};

}  // namespace kestrel

class CEditableOraGridData : public CEditableGridData {
 public:
  CEditableOraGridData();
  ~CEditableOraGridData() override;

  // Shows `ds` (not owned; it must outlive this object or the next SetData)
  // loaded from `session`. A null dataset clears the grid. Returns 0, or 1
  // when memory ran out (the grid is then empty with no keys).
  int32_t SetData(OciSession* session, OciDataset* ds, std::u16string_view owner, std::u16string_view table,
                  int32_t data_lock, bool use_updatable_columns);

  // ---- slots ----
  int32_t GetColCnt() const override;                                           // 1
  std::u16string_view GetDispData(int32_t row, int32_t col) const override;     // 4
  std::u16string_view GetEditData(int32_t row, int32_t col) const override;     // 5
  bool IsNull(int32_t row, int32_t col) const override;                         // 6
  std::u16string GetColName(int32_t col) const override;                        // 7
  std::u16string GetDispColName(int32_t col) const override;                    // 8
  int32_t GetColLen(int32_t col) const override;                                // 9
  int32_t GetColScale(int32_t col) const override;                              // 10
  int32_t GetColDataType(int32_t row, int32_t col) const override;              // 11
  bool IsColNullable(int32_t col) const override;                               // 12
  int32_t GetMaxDataLen(int32_t row, int32_t col) const override;               // 14
  // The Oracle message of the last failed whole-CLOB read, kept so that a
  // caller refusing the cell again can show it.
  std::u16string GetLastErrorMsg() const override { return last_error_; }       // 51
  std::u16string GetColTypeName(int32_t col) const override;                    // 53
  int32_t GetHiddenColCnt() const override { return hidden_cnt_; }              // 62

  // False when the cell is a CLOB whose whole text could not be read: what
  // GetEditData returned then is only the shown prefix, and writing it back
  // would cut the CLOB. Editors and bulk changes must refuse such a cell.
  bool IsEditDataComplete(int32_t row, int32_t col) const override;

  // ---- what the save reads ----
  OciSession* GetSession() const { return session_; }
  OciDataset* GetDataset() const { return ds_; }
  const std::u16string& GetOwnerName() const { return owner_; }
  const std::u16string& GetTableName() const { return table_; }
  int32_t GetDataLock() const { return data_lock_; }
  const std::vector<std::u16string>& GetKeyColNames() const { return key_names_; }
  // Dataset index of the "ROWID" column (the first hidden one).
  int32_t GetRowidCol() const { return ds_->col_count - hidden_cnt_; }
  bool HasRowidCol() const { return has_rowid_; }
  bool IsClobCell(int32_t row, int32_t col) const;

  void SetClobReader(kestrel::ClobReader reader) { clob_reader_ = std::move(reader); }

 private:
  bool ValidCol(int32_t col) const { return col >= 0 && col < ds_->col_count; }
  const OciColumnDesc& Col(int32_t col) const { return ds_->cols[static_cast<std::size_t>(col)]; }
  void SetColumnFlags(bool use_updatable_columns);
  // Reads the cell's whole CLOB into the cache; false (message shown) on failure.
  bool ReadClob(int32_t row, int32_t col) const;

  OciDataset empty_ds_;
  OciDataset* ds_ = &empty_ds_;
  OciSession* session_ = nullptr;
  std::u16string owner_;
  std::u16string table_;
  int32_t data_lock_ = 0;
  int32_t hidden_cnt_ = 1;
  bool has_rowid_ = false;
  std::vector<std::u16string> key_names_;
  kestrel::DatasetTextSource source_;
  kestrel::ClobReader clob_reader_;
  // One-cell cache of the last CLOB read in full, by fetched row.
  mutable int32_t cache_row_ = -1;
  mutable int32_t cache_col_ = -1;
  mutable bool cache_ok_ = false;
  mutable std::u16string cache_text_;
  mutable std::u16string last_error_;
};
