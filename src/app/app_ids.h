// Numbers the application's design fixes: menu command ids (stored in the
// key-assignment settings, so part of the file format), view update hints,
// status bar pane ids. Kept equal to the original resource numbers.
#pragma once

#include <cstdint>

// The grid control's commands are defined once, with the grid.
#include "gridctrl/gridctrl_constants.h"

namespace kestrel::cmd {
// File
inline constexpr uint32_t kTableSelect = 32776;      // "テーブル選択..."
inline constexpr uint32_t kRefresh = 34016;          // "最新のデータを表示"
inline constexpr uint32_t kSave = 32772;             // "編集結果の保存(commit)"
inline constexpr uint32_t kClear = 34008;            // "表示中のデータをクリア"
inline constexpr uint32_t kExport = 32789;           // "データをファイルに保存..."
inline constexpr uint32_t kChangeConnection = 32921; // "接続先を変更..."
inline constexpr uint32_t kAppExit = 57665;          // "アプリケーションの終了(&X)"
// Edit
inline constexpr uint32_t kUndo = gridctrl::kCmdEditUndo;
inline constexpr uint32_t kRedo = gridctrl::kCmdEditRedo;
inline constexpr uint32_t kCut = gridctrl::kCmdEditCut;
inline constexpr uint32_t kCopy = gridctrl::kCmdEditCopy;
inline constexpr uint32_t kPaste = gridctrl::kCmdEditPaste;
inline constexpr uint32_t kSelectAll = gridctrl::kCmdEditSelectAll;
inline constexpr uint32_t kCopyTab = gridctrl::kCmdCopyTab;
inline constexpr uint32_t kCopyTabWithNames = gridctrl::kCmdCopyTabNames;
inline constexpr uint32_t kCopyCsv = gridctrl::kCmdCopyCsv;
inline constexpr uint32_t kCopyCsvWithNames = gridctrl::kCmdCopyCsvNames;
inline constexpr uint32_t kCopyFixed = gridctrl::kCmdCopyFixed;
inline constexpr uint32_t kCopyFixedWithNames = gridctrl::kCmdCopyFixedNames;
inline constexpr uint32_t kPasteToCell = gridctrl::kCmdPasteToCell;
inline constexpr uint32_t kFind = 32783;
inline constexpr uint32_t kFindNext = 32794;
inline constexpr uint32_t kFindPrev = 32795;
inline constexpr uint32_t kReplace = 32790;
inline constexpr uint32_t kClearSearchHighlight = 32940;
inline constexpr uint32_t kNextChangedCell = gridctrl::kCmdNextChangedCell;
inline constexpr uint32_t kPrevChangedCell = gridctrl::kCmdPrevChangedCell;
inline constexpr uint32_t kCellEdit = gridctrl::kCmdCellEdit;
inline constexpr uint32_t kDataEdit = gridctrl::kCmdDataEdit;
inline constexpr uint32_t kInsertLineFeed = gridctrl::kCmdInsertLineFeed;
inline constexpr uint32_t kToLower = 32900;
inline constexpr uint32_t kToUpper = 32901;
inline constexpr uint32_t kInputSequence = 34006;
inline constexpr uint32_t kInputCurrentTime = gridctrl::kCmdInputTime;
inline constexpr uint32_t kToZenkaku = 33499;
inline constexpr uint32_t kToZenkakuKana = 33501;
inline constexpr uint32_t kToZenkakuAlnum = 33502;
inline constexpr uint32_t kToHankaku = 33500;
inline constexpr uint32_t kToHankakuKana = 33503;
inline constexpr uint32_t kToHankakuAlnum = 33504;
// Data
inline constexpr uint32_t kInsertRow = gridctrl::kCmdInsertRow;
inline constexpr uint32_t kInsertRows = gridctrl::kCmdInsertRows;
inline constexpr uint32_t kDeleteRows = gridctrl::kCmdDeleteRows;
inline constexpr uint32_t kDeleteNullRowsInserted = gridctrl::kCmdDeleteNullRows;
inline constexpr uint32_t kDeleteNullRowsAll = gridctrl::kCmdDeleteAllNullRows;
inline constexpr uint32_t kAdjustColWidth = gridctrl::kCmdAdjustColWidth;
inline constexpr uint32_t kAdjustColWidthDataAndName = gridctrl::kCmdAdjustColWidthName;
inline constexpr uint32_t kAdjustColWidthData = gridctrl::kCmdAdjustColWidthData;
inline constexpr uint32_t kEqualColWidth = gridctrl::kCmdEqualColWidth;
inline constexpr uint32_t kSearchColName = 35256;
inline constexpr uint32_t kSort = 35250;
inline constexpr uint32_t kSwapRowCol = 35265;
inline constexpr uint32_t kFilter = 34027;
inline constexpr uint32_t kClearFilter = 34028;
inline constexpr uint32_t kLobDownload = 35238;
inline constexpr uint32_t kLobUpload = 34003;
inline constexpr uint32_t kLobSetNull = 34005;
inline constexpr uint32_t kBfileUpdate = 34007;
// Grid calculation (GRID_CALC_TYPE = id - kCalcSum)
inline constexpr uint32_t kCalcSum = gridctrl::kCmdCalcSum;
inline constexpr uint32_t kCalcAverage = gridctrl::kCmdCalcAverage;
inline constexpr uint32_t kCalcMax = gridctrl::kCmdCalcMax;
inline constexpr uint32_t kCalcMin = gridctrl::kCmdCalcMin;
inline constexpr uint32_t kCalcRows = gridctrl::kCmdCalcRows;
inline constexpr uint32_t kCalcNone = gridctrl::kCmdCalcNone;
// View
inline constexpr uint32_t kViewToolBar = 59392;
inline constexpr uint32_t kViewStatusBar = 59393;
inline constexpr uint32_t kFont = 32771;             // "フォント設定..."
inline constexpr uint32_t kWindowSplit = 57653;      // "分割"
// Tools
inline constexpr uint32_t kShowUpdateSql = 34011;
inline constexpr uint32_t kConnectInfo = 32788;      // "ログイン情報の設定..."
inline constexpr uint32_t kOptions = 32786;          // "オプション..."
inline constexpr uint32_t kKeyAssign = 32945;        // "キー割り当て..."
// Macro
inline constexpr uint32_t kMacroClipboard = 33627;
inline constexpr uint32_t kMacroFile = 33624;
// Help
inline constexpr uint32_t kAbout = 57664;
// The greyed edit counter at the right end of the menu bar.
inline constexpr uint32_t kEditCounter = 34020;
}  // namespace kestrel::cmd

namespace kestrel::hint {
inline constexpr int kFontChanged = 1001;        // argument: the new font
inline constexpr int kCalcTypeChanged = 1008;
inline constexpr int kSettingsChanged = 1010;
inline constexpr int kConnectionChanged = 1020;  // then kOwnerChanged
inline constexpr int kOwnerChanged = 1021;
}  // namespace kestrel::hint

namespace kestrel::pane {
inline constexpr uint32_t kMessage = 0;  // ID_SEPARATOR
inline constexpr uint32_t kCalc = 59146;
inline constexpr uint32_t kSession = 59144;
inline constexpr uint32_t kDataLock = 59145;
inline constexpr uint32_t kCaps = 59137;  // ID_INDICATOR_CAPS
inline constexpr uint32_t kNum = 59138;   // ID_INDICATOR_NUM
inline constexpr uint32_t kEnd = 59147;
inline constexpr int kCalcWidth = 120;
inline constexpr int kSessionWidth = 150;
inline constexpr int kDataLockWidth = 60;
}  // namespace kestrel::pane
