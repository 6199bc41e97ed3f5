#include "app/lob_commands.h"

#include <fstream>

#include "griddata/ora_grid_data.h"
#include "oci/oci_codes.h"
#include "oci/oci_lob.h"
#include "oci/oci_special_columns.h"
#include "platform/format.h"
#include "platform/utf16.h"

namespace kestrel {
namespace {

bool IsBlob(uint16_t t) { return t == kTypeBlob; }
bool IsBfile(uint16_t t) { return t == kTypeBfile; }

// The fetched LOB header of a loaded row's cell, or null.
const OciLobHeader* HeaderOf(const CEditableOraGridData& grid, int32_t row, int32_t col) {
  const OciDataset* ds = grid.GetDataset();
  if (ds == nullptr || col < 0 || col >= ds->col_count) return nullptr;
  const OciColumnDesc& d = ds->cols[static_cast<std::size_t>(col)];
  if (d.define_type != kTypeClob && d.define_type != kTypeBlob && d.define_type != kTypeBfile) return nullptr;
  const int32_t fetched = grid.GetFetchedRow(row);
  if (fetched < 0 || fetched >= ds->row_count) return nullptr;
  return reinterpret_cast<const OciLobHeader*>(ds->header(fetched, col));
}

}  // namespace

bool CanLobDownload(const LobCellState& s) {
  return !s.editing && (IsBlob(s.define_type) || IsBfile(s.define_type)) && !s.inserted_row && !s.updated_cell &&
         s.length > 0;
}

bool CanLobUpload(const LobCellState& s) {
  return !s.editing && IsBlob(s.define_type) && !s.deleted_row && !s.read_only;
}

bool CanLobSetNull(const LobCellState& s) {
  return !s.editing && (IsBlob(s.define_type) || IsBfile(s.define_type)) && !s.deleted_row && !s.read_only;
}

bool CanBfileUpdate(const LobCellState& s) {
  return !s.editing && IsBfile(s.define_type) && !s.deleted_row && !s.read_only;
}

LobCellState LobStateOf(const CEditableOraGridData& grid, int32_t row, int32_t col, bool editing, bool read_only) {
  LobCellState s;
  s.editing = editing;
  s.read_only = read_only;
  const OciDataset* ds = grid.GetDataset();
  if (ds == nullptr || row < 0 || row >= grid.GetRowCnt() || col < 0 || col >= grid.GetColCnt()) return s;
  s.define_type = ds->cols[static_cast<std::size_t>(col)].define_type;
  s.inserted_row = grid.IsInsertRow(row);
  s.deleted_row = grid.IsDeleteRow(row);
  s.updated_cell = grid.IsUpdateCell(row, col);
  if (const OciLobHeader* h = HeaderOf(grid, row, col); h != nullptr && h->null_flag == 0) s.length = h->length;
  return s;
}

bool LobDefaultFileName(const CEditableOraGridData& grid, int32_t row, int32_t col, std::u16string* name,
                        std::u16string* msg) {
  name->clear();
  const OciLobHeader* h = HeaderOf(grid, row, col);
  if (h == nullptr || h->define_type != kTypeBfile) return true;
  char16_t buf[kOracleTextMax + 1] = {};
  std::u16string alias, file;
  if (oci_hlob_get_name(grid.GetSession(), h->locator, &alias, &file, OciMsgBuf(buf)) != kOciOk) {
    *msg = buf;
    return false;
  }
  // The server's file name may carry folders of its own; offer the last part.
  const std::size_t slash = file.find_last_of(u"/\\");
  *name = slash == std::u16string::npos ? file : file.substr(slash + 1);
  return true;
}

bool LobDownload(const CEditableOraGridData& grid, int32_t row, int32_t col, std::u16string_view path,
                 std::u16string* msg) {
  const OciLobHeader* h = HeaderOf(grid, row, col);
  if (h == nullptr) {
    *msg = u"LOBデータが見つかりません";
    return false;
  }
  char16_t buf[kOracleTextMax + 1] = {};
  if (oci_hlob_download(grid.GetSession(), h, path, OciMsgBuf(buf)) != kOciOk) {
    *msg = buf;
    return false;
  }
  *msg = kDownloadDone;
  return true;
}

bool LobUpload(CEditableOraGridData& grid, int32_t row, int32_t col, std::u16string_view path, std::u16string* msg) {
  std::ifstream probe(utf16_to_utf8(path), std::ios::binary);
  if (path.empty() || !probe) {
    *msg = format(u"ファイルが開けません\nファイル名: %s\n", {path});
    return false;
  }
  if (grid.UpdateData(row, col, path) != 0) {
    *msg = format(u"ファイル名が長すぎます\nファイル名: %s\n", {path});
    return false;
  }
  return true;
}

bool LobSetNull(CEditableOraGridData& grid, int32_t row, int32_t col) { return grid.UpdateData(row, col, u"") == 0; }

void BfileNameOf(const CEditableOraGridData& grid, int32_t row, int32_t col, std::u16string* dir_alias,
                 std::u16string* file_name) {
  dir_alias->clear();
  file_name->clear();
  OciBfileName parsed;
  if (oci_parse_bfile_text(grid.GetData(row, col), &parsed, nullptr) == kOciOk) {
    *dir_alias = std::move(parsed.dir_alias);
    *file_name = std::move(parsed.file_name);
  }
}

bool BfileUpdate(CEditableOraGridData& grid, int32_t row, int32_t col, std::u16string_view dir_alias,
                 std::u16string_view file_name) {
  if (dir_alias.empty() || file_name.empty()) return false;
  return grid.UpdateData(row, col, oci_bfile_cell_text(dir_alias, file_name, u"")) == 0;
}

}  // namespace kestrel
