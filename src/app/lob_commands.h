// The Data menu's LOB commands on the current cell of the editable Oracle
// grid: when each is enabled, and what it does (download to a file, take a
// file as the new content, set NULL, change a BFILE's directory and name).
// Cells are in the editable grid's own coordinates; the view maps the
// current cell of a swapped grid first. Plain C++, tested headless.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

class CEditableOraGridData;

namespace kestrel {

inline constexpr std::u16string_view kLobFileFilter = u"All Files (*.*)|*.*||";
inline constexpr std::u16string_view kLobDownloadTitle = u"LOB Download";
inline constexpr std::u16string_view kLobUploadTitle = u"LOB Upload";
inline constexpr std::u16string_view kBfileUpdateTitle = u"BFILE Update";
inline constexpr std::u16string_view kDownloadDone = u"ダウンロード完了";

// What the enable rules look at.
struct LobCellState {
  bool editing = false;        // a cell editor is open
  uint16_t define_type = 0;    // 112 CLOB, 113 BLOB, 114 BFILE, else not a LOB
  bool inserted_row = false;
  bool deleted_row = false;
  bool updated_cell = false;
  uint64_t length = 0;         // bytes of the fetched LOB (0 for NULL)
  bool read_only = false;      // chosen as a "/*READONLY*/" entry
};

bool CanLobDownload(const LobCellState& s);
bool CanLobUpload(const LobCellState& s);
bool CanLobSetNull(const LobCellState& s);
bool CanBfileUpdate(const LobCellState& s);

// The state of a cell of `grid` (editing and read-only come from the view).
LobCellState LobStateOf(const CEditableOraGridData& grid, int32_t row, int32_t col, bool editing, bool read_only);

// The file name a download offers: a BFILE's own file name without its
// folders (read from its locator; false with the client's text in *msg
// when that fails), else empty.
bool LobDefaultFileName(const CEditableOraGridData& grid, int32_t row, int32_t col, std::u16string* name,
                        std::u16string* msg);
// Writes the cell's LOB to `path`; *msg gets "ダウンロード完了" or the error.
bool LobDownload(const CEditableOraGridData& grid, int32_t row, int32_t col, std::u16string_view path,
                 std::u16string* msg);
// Registers `path` as the new content of a BLOB cell (written at save).
// A file that cannot be read is refused with the message.
bool LobUpload(CEditableOraGridData& grid, int32_t row, int32_t col, std::u16string_view path, std::u16string* msg);
bool LobSetNull(CEditableOraGridData& grid, int32_t row, int32_t col);
// The directory alias and file name of a BFILE cell as it stands.
void BfileNameOf(const CEditableOraGridData& grid, int32_t row, int32_t col, std::u16string* dir_alias,
                 std::u16string* file_name);
bool BfileUpdate(CEditableOraGridData& grid, int32_t row, int32_t col, std::u16string_view dir_alias,
                 std::u16string_view file_name);

}  // namespace kestrel
