// The six clipboard copy formats: tab-separated, comma-separated and fixed
// width, each with or without column names. The text is sized by a first
// pass (GetCopyTextLength) and then built to exactly that length.
#pragma once

#include <cstdint>
#include <string>

#include "griddata/grid_data.h"

namespace kestrel {

struct CopyRange {
  int32_t top = 0, bottom = 0, left = 0, right = 0;
};

// Texts longer than this many UTF-16 units are refused ("メモリ確保に失敗しました"):
// the clipboard could not take them anyway.
inline constexpr int64_t kMaxCopyUnits = int64_t{1} << 30;

// Copy format of a menu command (0 when the id is not a copy command).
int CopyFormatOfCommand(int command_id);

// Characters the text of `format` over `range` needs. `style` supplies the
// swapped (0x100000) and COPY_ESCAPE_DBLQUOTE (0x4000) bits. 0 for an
// empty or invalid range.
int64_t GetCopyTextLength(const CGridData& data, int format, const CopyRange& range, uint32_t style);
// Builds the text; false when it would exceed kMaxCopyUnits or memory ran out.
bool BuildCopyText(const CGridData& data, int format, const CopyRange& range, uint32_t style,
                   std::u16string& out);
// The selected range (columns ordered, rows top to bottom) or else the
// current cell; false when there is no valid current cell.
bool SelectionCopyRange(const CGridData& data, CopyRange& range);

// Builds the text and puts it on the clipboard through UiServices; failures
// are shown in a message box ("メモリ確保に失敗しました", "Unable to set
// Clipboard data"). Needs a valid current row. Returns true on success.
bool CopyToClipboard(const CGridData& data, int format, const CopyRange& range, uint32_t style);

}  // namespace kestrel
