// Numbers the grid control's design fixes: style bits, colour indices,
// messages, command ids, formats and texts shown to the user.
#pragma once

#include <cstdint>
#include <string_view>

#include "griddata/grid_constants.h"

namespace kestrel::gridctrl {

// ---- style bits (32 bits per control) ----
inline constexpr uint32_t kStyleColHeader = 0x00000001;
inline constexpr uint32_t kStyleRowHeader = 0x00000002;
inline constexpr uint32_t kStyleWholeRow = 0x00000004;
inline constexpr uint32_t kStyleRangeSelect = 0x00000008;
inline constexpr uint32_t kStyleEditKeys = 0x00000010;
inline constexpr uint32_t kStyleInvertSelectText = 0x00000020;
inline constexpr uint32_t kStyleNullCellColor = 0x00000040;
inline constexpr uint32_t kStyleShowSpace = 0x00000100;
inline constexpr uint32_t kStyleShow2ByteSpace = 0x00000200;
inline constexpr uint32_t kStyleFitNoColName = 0x00000400;
inline constexpr uint32_t kStyleSearchInRange = 0x00000800;
inline constexpr uint32_t kStyleShowLineFeed = 0x00001000;
inline constexpr uint32_t kStyleShowTab = 0x00002000;
inline constexpr uint32_t kStyleCopyEscapeDblQuote = 0x00004000;
inline constexpr uint32_t kStyleImeCaretColor = 0x00008000;
inline constexpr uint32_t kStyleEndKeyLikeExcel = 0x00010000;
inline constexpr uint32_t kStyleHighlightCurHeader = 0x00020000;
inline constexpr uint32_t kStyleColNameTip = 0x00040000;
inline constexpr uint32_t kStyleShowNotNull = 0x00080000;
inline constexpr uint32_t kStyleSwapRowCol = 0x00100000;
inline constexpr uint32_t kStyleFitTrimChar = 0x00800000;
inline constexpr uint32_t kStyleCornerFocusColor = 0x01000000;
inline constexpr uint32_t kStyleF2Edit = 0x02000000;

inline constexpr uint32_t kMainViewStyle = 0x0102080B;
inline constexpr uint32_t kPreviewStyle = 0x0102004B;

// ---- colour table indices ----
inline constexpr int kColorCount = 16;
inline constexpr int kColorBg = 0;
inline constexpr int kColorHeaderBg = 1;
inline constexpr int kColorLine = 2;
inline constexpr int kColorSelect = 3;
inline constexpr int kColorDelete = 4;
inline constexpr int kColorInsert = 5;
inline constexpr int kColorUpdate = 6;
inline constexpr int kColorUneditable = 7;
inline constexpr int kColorText = 8;
inline constexpr int kColorNullCell = 9;
inline constexpr int kColorMark = 10;
inline constexpr int kColorHeaderLine = 11;
inline constexpr int kColorCurFrame = 12;
inline constexpr int kColorSpare = 13;
inline constexpr int kColorSearch = 14;
inline constexpr int kColorCurRowText = 15;

inline constexpr uint32_t kDefaultColors[kColorCount] = {
    0xFFFFFF, 0xFFE6E6, 0xFAC8C8, 0xDCC8C8, 0x969696, 0xFFDCDC, 0xDCDCFF, 0xF0F0F0,
    0x000000, 0xF0F0F0, 0x969600, 0x646464, 0x000000, 0x787878, 0x32FFFF, 0x000000};

// The focus colour of the top-left corner; -1 means "the cell background".
inline constexpr int64_t kNoFocusColor = -1;

// ---- messages ----
inline constexpr uint32_t kMsgCurCellMoved = grid::kMsgCurCellMoved;        // 0x8301
inline constexpr uint32_t kMsgCellDataChanged = grid::kMsgCellDataChanged;  // 0x8303
inline constexpr uint32_t kMsgLayoutChanged = grid::kMsgLayoutChanged;      // 0x8310
inline constexpr uint32_t kMsgRepaint = grid::kMsgRepaint;                  // 0x8311
inline constexpr uint32_t kMsgCellEdited = grid::kMsgCellEdited;            // 0x8312
inline constexpr uint32_t kMsgRowChanged = grid::kMsgRowChanged;            // 0x8314
inline constexpr uint32_t kMsgHeaderDblClick = 0x8340;

// ---- copy formats ----
inline constexpr int kCopyCsv = 1;
inline constexpr int kCopyTab = 2;
inline constexpr int kCopyCsvNames = 3;
inline constexpr int kCopyTabNames = 4;
inline constexpr int kCopyFixed = 5;
inline constexpr int kCopyFixedNames = 6;

// ---- command ids ----
inline constexpr int kCmdEditCopy = 57634;          // "コピー(&C)"
inline constexpr int kCmdEditCut = 57635;
inline constexpr int kCmdEditPaste = 57637;
inline constexpr int kCmdEditSelectAll = 57642;
inline constexpr int kCmdEditUndo = 57643;
inline constexpr int kCmdEditRedo = 57644;
inline constexpr int kCmdCopyTab = 32840;           // "TAB区切り"
inline constexpr int kCmdCopyTabNames = 32841;      // "TAB区切り(カラム名付き)"
inline constexpr int kCmdCopyCsv = 32842;           // "CSV形式"
inline constexpr int kCmdCopyCsvNames = 32843;      // "CSV形式(カラム名付き)"
inline constexpr int kCmdCopyFixed = 32844;         // "固定長"
inline constexpr int kCmdCopyFixedNames = 32845;    // "固定長(カラム名付き)"
inline constexpr int kCmdDeleteRows = 32773;        // "レコード削除"
inline constexpr int kCmdInsertRow = 32775;         // "レコード追加"
inline constexpr int kCmdCellEdit = 32780;          // "セル編集"
inline constexpr int kCmdInsertLineFeed = 32781;    // "改行を入力"
inline constexpr int kCmdAdjustColWidth = 32785;    // "グリッドの列幅調整"
inline constexpr int kCmdInsertRows = 32787;        // "レコード追加(複数行)"
inline constexpr int kCmdEqualColWidth = 32938;
inline constexpr int kCmdDeleteNullRows = 34000;
inline constexpr int kCmdPasteToCell = 34001;       // "セルに貼り付け"
inline constexpr int kCmdDataEdit = 34002;          // "データ編集"
inline constexpr int kCmdDeleteAllNullRows = 34004;
inline constexpr int kCmdNextChangedCell = 34012;   // "次の変更セルに移動"
inline constexpr int kCmdPrevChangedCell = 34013;   // "前の変更セルに移動"
inline constexpr int kCmdInputTime = 34026;         // "現在時刻を入力"
inline constexpr int kCmdAdjustColWidthData = 35228;
inline constexpr int kCmdAdjustColWidthName = 35229;
inline constexpr int kCmdCalcSum = 35240;           // "合計"
inline constexpr int kCmdCalcAverage = 35241;       // "平均"
inline constexpr int kCmdCalcMax = 35242;           // "最大値"
inline constexpr int kCmdCalcMin = 35243;           // "最小値"
inline constexpr int kCmdCalcRows = 35244;          // "行数"
inline constexpr int kCmdCalcNone = 35245;          // "なし"
inline constexpr int kCalcNone = 5;

// ---- layout ----
inline constexpr int32_t kMinDragColWidth = 5;
inline constexpr int32_t kMaxColWidth = 0x7FFF;
inline constexpr int32_t kEqualColWidth = 100;
inline constexpr int32_t kResizeTimerMs = 100;
inline constexpr int32_t kTipDelayMs = 200;
inline constexpr int32_t kResizeBorder = 3;  // pixels either side of a header border
inline constexpr int32_t kCopyWaitCursorCells = 101;

// ---- texts ----
inline constexpr std::u16string_view kTextNotFound = u"見つかりません";
inline constexpr std::u16string_view kTextWrappedToEnd = u"ファイルの末尾まで検索しました";
inline constexpr std::u16string_view kTextWrappedToTop = u"ファイルの先頭まで検索しました";
inline constexpr std::u16string_view kTextNoMemory = u"メモリが確保できません";
inline constexpr std::u16string_view kTextAllocFailed = u"メモリ確保に失敗しました";
inline constexpr std::u16string_view kTextOpenClipboard = u"Cannot open the Clipboard";
inline constexpr std::u16string_view kTextEmptyClipboard = u"Cannot empty the Clipboard";
inline constexpr std::u16string_view kTextSetClipboard = u"Unable to set Clipboard data";
inline constexpr std::u16string_view kTitleError = u"Error";
inline constexpr std::u16string_view kTitleConfirm = u"確認";
inline constexpr std::u16string_view kNotNullFormat = u"%s(*)";
inline constexpr std::u16string_view kStatFormat = u"%s:%s";
inline constexpr std::u16string_view kRowCountFormat = u"行数:%s";
inline constexpr std::u16string_view kDataEditTitleFormat = u"データ編集 Name:%s Type:%s";
inline constexpr std::u16string_view kInsertRowsTitle = u"レコード追加(複数行)";
inline constexpr std::u16string_view kInsertRowsLabel = u"追加する行数";
inline constexpr std::u16string_view kLineBreakLabel = u"改行コード";
inline constexpr std::u16string_view kWrapRightLabel = u"右端で折り返す";
inline constexpr std::u16string_view kInputTimeSql = u"select to_char(sysdate, :X0) from dual \n";

}  // namespace kestrel::gridctrl

namespace kestrel::gridctrl {
inline constexpr std::u16string_view kDeleteAllNullRowsQuestion =
    u"現在表示中のカラムが，すべてNULLの行を削除します。よろしいですか？\n"
    u"(すべてのカラムを表示していない場合，非表示のカラムにデータが入っていても空行と見なします)";
inline constexpr std::u16string_view kTitleMessage = u"Message";
inline constexpr std::u16string_view kDeletedRowsFormat = u"%d行削除しました";

// ---- settings the grid's dialogs keep ----
inline constexpr std::u16string_view kDataEditSection = u"DATA_EDIT";
inline constexpr std::u16string_view kLineTypeKey = u"LINE_TYPE";  // 1 CR LF, 2 LF, 3 CR
inline constexpr std::u16string_view kShowDataDlgSection = u"SHOW_DATA_DLG";
inline constexpr std::u16string_view kLineModeRightKey = u"LINE_MODE_RIGHT";

// ---- context menu captions (as in the main menu) ----
inline constexpr std::u16string_view kMenuCut = u"切り取り(&T)";
inline constexpr std::u16string_view kMenuCopy = u"コピー(&C)";
inline constexpr std::u16string_view kMenuCopyAs = u"形式を指定してコピー";
inline constexpr std::u16string_view kMenuPaste = u"貼り付け(&P)";
inline constexpr std::u16string_view kMenuPasteToCell = u"セルに貼り付け";
inline constexpr std::u16string_view kMenuCopyTab = u"TAB区切り";
inline constexpr std::u16string_view kMenuCopyTabNames = u"TAB区切り(カラム名付き)";
inline constexpr std::u16string_view kMenuCopyCsv = u"CSV形式";
inline constexpr std::u16string_view kMenuCopyCsvNames = u"CSV形式(カラム名付き)";
inline constexpr std::u16string_view kMenuCopyFixed = u"固定長";
inline constexpr std::u16string_view kMenuCopyFixedNames = u"固定長(カラム名付き)";
inline constexpr std::u16string_view kMenuCellEdit = u"セル編集";
inline constexpr std::u16string_view kMenuDataEdit = u"データ編集...";
inline constexpr std::u16string_view kMenuInsertRow = u"レコード追加";
inline constexpr std::u16string_view kMenuInsertRows = u"レコード追加(複数行)...";
inline constexpr std::u16string_view kMenuDeleteRows = u"レコード削除";
}  // namespace kestrel::gridctrl
