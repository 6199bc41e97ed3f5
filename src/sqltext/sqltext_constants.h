// Numbers the SQL text tools fix: keyword kinds, statement kinds, line-end
// modes, character attribute bits and the editor's undo record types.
#pragma once

#include <cstdint>

namespace kestrel {

// Keyword kinds. Kinds 1 and 2 come from the keyword file (two colours);
// kind 4 marks a dictionary word (an object or column name) added for
// completion.
inline constexpr int32_t kKeywordKind1 = 1;
inline constexpr int32_t kKeywordKind2 = 2;
inline constexpr int32_t kKeywordKindDictionary = 4;

inline constexpr char16_t kKeywordKindName1[] = u"KEYWORD";
inline constexpr char16_t kKeywordKindName2[] = u"KEYWORD2";
inline constexpr char16_t kKeywordKindNameUnknown[] = u"UNKNOWN";

// Statement kinds handed back by the statement splitter.
inline constexpr int32_t kStatementOther = 0;      // DML, DDL, anything else
inline constexpr int32_t kStatementPlsql = 1;      // PL/SQL block, ends at a "/" line
inline constexpr int32_t kStatementQuery = 2;      // SELECT, or WITH without FUNCTION
inline constexpr int32_t kStatementCommand = 3;    // DESC, DESCRIBE, CONNECT, DISCONNECT, "!"
inline constexpr int32_t kStatementScript = 4;     // "@file"

// Line-comment kinds (the SQL "--" comment is kind 2).
inline constexpr int32_t kLineCommentKind = 2;

// The first-character index has one slot per ASCII code and one shared
// slot for every character from U+0080 up.
inline constexpr int kKeywordIndexSlots = 129;

// The scratch copy of a word under test is at least this long.
inline constexpr int kMinScratchLength = 128;

// Line-end modes of the editor buffer.
inline constexpr int kLineEndCrLf = 1;
inline constexpr int kLineEndLf = 2;
inline constexpr int kLineEndCr = 3;

// Per-character attribute bits of an editor line.
inline constexpr uint8_t kAttrKeyword = 0x01;
inline constexpr uint8_t kAttrComment = 0x02;
inline constexpr uint8_t kAttrUrl = 0x04;
inline constexpr uint8_t kAttrQuote = 0x08;
inline constexpr uint8_t kAttrKeyword2 = 0x10;
inline constexpr uint8_t kAttrDictionary = 0x20;

}  // namespace kestrel

namespace kestrel {

// The editor buffer's undo record types (the log itself is the grid's).
inline constexpr uint32_t kEditUndoInsert = 1;  // row/col: where; text: what was inserted ("\n" between lines)
inline constexpr uint32_t kEditUndoDelete = 2;  // row/col: where; text: what was deleted
inline constexpr uint32_t kEditUndoCaret = 3;   // row/col: caret before the step; value: packed anchor

// Steps the editor keeps; the oldest is forgotten beyond this.
inline constexpr int32_t kEditUndoSteps = 10000;

// Style bit of the editor control that turns URL and e-mail marking on.
inline constexpr uint32_t kEditStyleUrl = 0x400;

// The editor control's class name and the clipboard format that tells a
// box selection ("TRUE") from a stream ("FALSE").
inline constexpr char16_t kEditCtrlClassName[] = u"BRANT_EditCtrl";
inline constexpr char16_t kEditBoxClipboardFormat[] = u"BRANT_EditCtrl_CF_IS_BOX_UNICODE";
inline constexpr char16_t kEditBoxTrue[] = u"TRUE";
inline constexpr char16_t kEditBoxFalse[] = u"FALSE";
inline constexpr char16_t kEditClipboardOpenError[] = u"Cannot open the Clipboard";
inline constexpr char16_t kEditClipboardEmptyError[] = u"Cannot empty the Clipboard";
inline constexpr char16_t kEditClipboardSetError[] = u"Unable to set Clipboard data";

// The line-end choices as offered to the user, for modes 1, 2 and 3.
inline constexpr const char16_t* kLineEndCaptions[] = {u"CR+LF(\\r\\n)", u"LF(\\n)", u"CR(\\r)"};

// Unindent patterns: at the line start, and at a box selection's left edge.
// One tab stop goes: one tab, or up to tab-width spaces (never a space and
// the tabs after it together, which "\\s" would take).
inline constexpr char16_t kUnindentPattern[] = u"^((\\t)|( {1,%d}))";
inline constexpr char16_t kUnindentBoxPattern[] = u"\\=^((\\t)|( {1,%d}))";

}  // namespace kestrel
