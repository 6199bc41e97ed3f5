// Numbers the grid data design fixes: messages, row and column flags, undo
// record types, result codes and limits.
#pragma once

#include <cstdint>

namespace kestrel::grid {

// Messages between the windows that show one grid data object.
inline constexpr uint32_t kMsgCurCellMoved = 0x8301;   // posted to the parent
inline constexpr uint32_t kMsgCellDataChanged = 0x8303;  // posted to the parent
inline constexpr uint32_t kMsgLayoutChanged = 0x8310;
inline constexpr uint32_t kMsgRepaint = 0x8311;  // the data changed; both parameters 0
inline constexpr uint32_t kMsgCellEdited = 0x8312;
inline constexpr uint32_t kMsgRowChanged = 0x8314;

inline constexpr int kMaxNotifyWnds = 4;

// Results of the operations that change data.
inline constexpr int32_t kOk = 0;
inline constexpr int32_t kRefused = 1;
// Paste stored everything, but at least one field was longer than a paste
// field may be (4 MiB) and was cut; the caller tells the user.
inline constexpr int32_t kPasteFieldCut = 2;
// The operation belongs to a part of the program that is not built yet
// (sorting and filtering, font metrics); nothing was changed.
inline constexpr int32_t kNotAvailable = -2;

// Column width table entries: bit 15 = shown, bits 0-14 = width in pixels.
inline constexpr uint16_t kColShown = 0x8000;
inline constexpr uint16_t kColWidthMask = 0x7FFF;
inline constexpr uint16_t kDefaultColWidth = 0x8064;  // shown, 100 pixels
inline constexpr int32_t kWidthOutsideTable = 100;

// Column data types (GetColDataType).
inline constexpr int32_t kTypeNumber = 0;  // the only kind the statistics count
inline constexpr int32_t kTypeText = 1;
inline constexpr int32_t kTypeFixedChar = 2;

// Per-row state flags of the editable grid.
inline constexpr uint8_t kRowUpdated = 0x01;
inline constexpr uint8_t kRowDeleted = 0x02;
inline constexpr uint8_t kRowInserted = 0x04;
inline constexpr uint8_t kRowMarked = 0x08;

// Per-column edit flags of the editable grid.
inline constexpr int32_t kColUpdatable = 0x01;
inline constexpr int32_t kColDeletable = 0x02;
inline constexpr int32_t kColInsertable = 0x04;
inline constexpr int32_t kColAllEdits = 0x07;

// Undo record types of the editable grid (type 0 opens a set).
inline constexpr uint32_t kUndoOpenSet = 0;
inline constexpr uint32_t kUndoCellFirstInRow = 1;   // row was not updated before
inline constexpr uint32_t kUndoCellFirstInCell = 2;  // row updated, cell not changed before
inline constexpr uint32_t kUndoCellAgain = 3;        // cell already changed
inline constexpr uint32_t kUndoNewText = 4;          // new text of the preceding 1-3
inline constexpr uint32_t kUndoDeleteMark = 10;
inline constexpr uint32_t kUndoInsertedRowRemoved = 11;
inline constexpr uint32_t kUndoRowsInserted = 20;
inline constexpr uint32_t kUndoRowsSwapped = 30;
inline constexpr uint32_t kUndoSortStart = 31;
inline constexpr uint32_t kUndoSortEnd = 32;
inline constexpr uint32_t kUndoCurCell = 40;
inline constexpr uint32_t kUndoFilterSet = 50;
inline constexpr uint32_t kUndoFilterCleared = 51;

// Limits.
inline constexpr int32_t kDefaultMaxDataLen = 1024;
inline constexpr int32_t kStrGridColLen = 100;
// A pasted field is cut at 4 MiB (0x400000 bytes) of UTF-16.
inline constexpr int32_t kPasteFieldMaxUnits = 0x400000 / 2;

// Colours (0x00BBGGRR).
inline constexpr uint32_t kDefaultCellColor = 0xFFFFFF;

// No number was counted by CalcSelection.
inline constexpr double kNoNumber = 1.7976931348623157e308;

// CalcSelection modes.
inline constexpr int kCalcSum = 0;
inline constexpr int kCalcAverage = 1;
inline constexpr int kCalcMax = 2;
inline constexpr int kCalcMin = 3;
inline constexpr int kCalcRowCount = 4;

}  // namespace kestrel::grid
