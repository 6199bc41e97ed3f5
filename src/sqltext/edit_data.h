// CEditData: the text buffer of the editor control, also used without a
// window as a plain text accumulator (the macro engine's output). Lines are
// kept in a gap array; every edit goes through the undo log shared with the
// grid, and an operation that changes many lines is one undo step. The
// buffer is a text source for the regular-expression engine, so searches
// run over the lines without joining them.
#pragma once

#include <algorithm>
#include <climits>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "griddata/undo_data.h"
#include "regex/regex.h"
#include "regex/text_source.h"
#include "sqltext/line_store.h"

// A position in the buffer: line and column, both 0-based; the column
// counts UTF-16 units and never splits a surrogate pair.
struct EditPos {
  int32_t line = 0;
  int32_t col = 0;
  auto operator<=>(const EditPos&) const = default;
};

class CEditData : public kestrel::RegexTextSource {
 public:
  CEditData();
  ~CEditData() override;
  CEditData(const CEditData&) = delete;
  CEditData& operator=(const CEditData&) = delete;

  // --- text ------------------------------------------------------------
  // One empty line, caret at the start, history forgotten.
  void Clear();
  // Replaces the whole text without recording it (loading a text).
  void SetText(std::u16string_view text);
  // Appends at the end, splitting at CR LF, LF and CR; not recorded (the
  // macro output accumulates here). The caret moves to the end.
  void AppendText(std::u16string_view text);

  int32_t GetLineCnt() const { return lines_.size(); }
  std::u16string_view GetLine(int32_t line) const;
  int32_t GetLineLen(int32_t line) const;
  // The attribute bytes of a line (one per character); the colouring pass
  // writes them.
  std::span<uint8_t> GetLineAttr(int32_t line);
  // The colouring pass's memo of a line (null past the end); an edit of the
  // line clears its round.
  kestrel::LineLexMemo* GetLineLex(int32_t line);

  // The first line changed since the last ResetChanged() (INT32_MAX when
  // none); the display data re-colours from there.
  int32_t ChangedFrom() const { return changed_from_; }
  void ResetChanged() { changed_from_ = INT32_MAX; }

  // Line-end mode: 1 CR LF, 2 LF, 3 CR; other values are ignored.
  void SetLineEndMode(int mode);
  int GetLineEndMode() const { return line_end_mode_; }
  std::u16string_view LineEnd() const;

  // Maximum text length (0 = none), counting each line end with its length.
  void SetMaxLen(int64_t max_len) { max_len_ = max_len < 0 ? 0 : max_len; }
  int64_t GetMaxLen() const { return max_len_; }
  int64_t GetTextLength() const;
  // Would inserting `units` characters and `breaks` line breaks (while
  // deleting `removed` units) stay within the maximum length?
  bool FitsMaxLen(int64_t units, int64_t breaks, int64_t removed = 0) const;

  // The text between two positions (or all of it), joined with the line end.
  std::u16string GetText() const;
  std::u16string GetText(EditPos from, EditPos to) const;
  // The rectangle between two positions: on every line the characters
  // that overlap the display columns between the two corners (a tab runs
  // to its stop, a full-width character takes two), joined with the line
  // end.
  std::u16string GetBoxText(EditPos a, EditPos b) const;

  // --- box geometry (display columns) -------------------------------------
  // Tab width the display columns of a box are counted with.
  void SetTabWidth(int width) { tab_width_ = width < 1 ? 1 : width; }
  int GetTabWidth() const { return tab_width_; }
  struct BoxRect {
    int32_t top = 0, bottom = 0;  // lines, inclusive
    int32_t left = 0, right = 0;  // display columns [left, right)
  };
  // Display column of a box corner; a column past the line end counts one
  // column per position beyond it.
  int32_t BoxX(EditPos p) const;
  BoxRect GetBoxRect(EditPos a, EditPos b) const;
  // The character columns [*from, *to) of `line` inside the box's columns.
  void BoxColumns(const BoxRect& box, int32_t line, int32_t* from, int32_t* to) const;
  // The position shown at display column `x` of `line` (past the end: the
  // columns beyond it, for a box corner).
  EditPos PosAtX(int32_t line, int32_t x) const;
  // Display column of character column `col` of `line`, and the character
  // column at display column `x` (with `nearest` the nearer edge). A long
  // line keeps the columns of its blocks, so these cost a block's walk,
  // not the line's; an edit re-measures only from its block on.
  int32_t DisplayX(int32_t line, int32_t col) const;
  int32_t ColumnAtX(int32_t line, int32_t x, bool nearest) const;
  int32_t LineWidth(int32_t line) const;
  // Where the rows of `line` start when it wraps at `cols` columns (a tab
  // runs to its stop counted from the row start): 0 first. Kept with the
  // line; an edit re-measures from the row it touched.
  const std::vector<int32_t>& WrapRowStarts(int32_t line, int32_t cols) const;

  // --- edits (recorded) -------------------------------------------------
  // Inserts `text` (CR LF, LF or CR break lines) at `at`. Returns 0 and sets
  // *end to the position after the text; 1 when the maximum length would be
  // exceeded or memory ran out (nothing changes).
  int InsertText(EditPos at, std::u16string_view text, EditPos* end = nullptr);
  // Deletes between two positions (in either order). Returns 0, or 1 when
  // memory ran out.
  int DeleteText(EditPos a, EditPos b);
  // Replaces between two positions with `text` as one undo step.
  int ReplaceText(EditPos a, EditPos b, std::u16string_view text, EditPos* end = nullptr);
  // Inserts the lines of `text` as a block: line k goes into line at.line+k
  // at column at.col, padding short lines with spaces and adding lines at
  // the end as needed. One undo step.
  int InsertBox(EditPos at, std::u16string_view text);
  // Deletes the rectangle between two positions. One undo step.
  int DeleteBox(EditPos a, EditPos b);
  // Moves the box selection so that its top left corner lands at `to` (a
  // position in the text as it stands, before the move), as one undo step;
  // the moved box stays selected. Nothing happens when `to` lies within
  // the box. Returns 0, or 1 when refused (nothing changes).
  int MoveBox(EditPos to);

  // Typing: replaces the selection (stream or box) with `text` at the caret
  // and moves the caret behind it. Consecutive characters typed on one
  // line become one undo step.
  int TypeText(std::u16string_view text);
  // Pastes a stream or a block at the caret, replacing the selection; one
  // undo step.
  int Paste(std::u16string_view text, bool box);
  // Deletes the selection; without one, the character before the caret
  // (backspace) or at it (delete), joining lines at a line end.
  int DeleteSelection();
  int Backspace();
  int DeleteChar();

  // Indents the selected lines (or the caret's line) with one tab, or with
  // `tab_width` spaces when `spaces`; one undo step. A selection that ends
  // at column 0 leaves that last line alone.
  int Indent(int tab_width, bool spaces);
  // Removes at the start of each selected line one tab, or up to
  // `tab_width` blanks (space, tab, form feed) — the pattern
  // "^((\t)|(\s{1,%d}))"; with a box selection at the box's left edge.
  int Unindent(int tab_width);

  // --- undo ------------------------------------------------------------
  int StartUndoSet();
  void EndUndoSet();
  bool CanUndo() const { return undo_->CanUndo(); }
  bool CanRedo() const { return undo_->CanRedo(); }
  int Undo();
  int Redo();
  bool IsModified() const { return undo_->CurrentSeq() != clean_seq_; }
  void SetUnmodified() { clean_seq_ = undo_->CurrentSeq(); }
  CUndoData& GetUndoData() { return *undo_; }

  // --- caret and selection ----------------------------------------------
  EditPos GetCaret() const { return caret_; }
  // Moves the caret; with `extend` the selection runs from its anchor to
  // the new caret, otherwise the selection is dropped.
  void SetCaret(EditPos pos, bool extend = false);
  void SetSelection(EditPos anchor, EditPos end, bool box = false);
  void ClearSelection();
  bool HasSelection() const { return anchor_ != caret_; }
  bool IsBoxSelect() const { return box_ && HasSelection(); }
  EditPos GetSelAnchor() const { return anchor_; }
  // The selection in text order.
  EditPos GetSelStart() const { return std::min(anchor_, caret_); }
  EditPos GetSelEnd() const { return std::max(anchor_, caret_); }
  std::u16string GetSelectedText() const;
  // Characters deleting the selection removes (line ends counted with
  // their length; a box removes none).
  int64_t SelectionLength() const;

  // A valid position near `p`: inside the text, not inside a surrogate pair.
  EditPos Clamp(EditPos p) const;
  EditPos EndPos() const;
  EditPos NextPos(EditPos p) const;
  EditPos PrevPos(EditPos p) const;

  // --- search and replace ----------------------------------------------
  // Finds the next match of `re` at or after `from` (forward) or the last
  // match starting before `from` (backward). Returns 1 with the match in
  // *start / *end, 0 when there is none (or the search gave up).
  int Search(kestrel::Regex& re, EditPos from, bool forward, EditPos* start, EditPos* end);
  // Searches inside the selection only (the box: each line's columns).
  int SearchInSelection(kestrel::Regex& re, EditPos from, EditPos* start, EditPos* end);
  // Replaces the match at the selection (when the selection is one) and
  // finds the next. `replacement` is a template (\1, $&, ...) unless
  // `literal`. Returns 1 when a replacement was made.
  int ReplaceOne(kestrel::Regex& re, EditPos start, EditPos end, std::u16string_view replacement, bool literal,
                 EditPos* after = nullptr);
  // Replaces every match (or every match inside the selection) as one undo
  // step; returns the number of replacements, -1 when a replacement was
  // refused (maximum length, memory), the buffer then left as before.
  int ReplaceAll(kestrel::Regex& re, std::u16string_view replacement, bool literal, bool in_selection);

  // --- text source -------------------------------------------------------
  char32_t char_at(kestrel::TextPos p) const override;
  kestrel::TextPos next(kestrel::TextPos p) const override;
  kestrel::TextPos prev(kestrel::TextPos p) const override;
  bool at_text_start(kestrel::TextPos p) const override { return p <= 0; }
  bool at_text_end(kestrel::TextPos p) const override;
  bool at_line_start(kestrel::TextPos p) const override { return kestrel::text_pos_column(p) == 0; }
  bool at_line_end(kestrel::TextPos p) const override;
  static kestrel::TextPos ToTextPos(EditPos p) { return kestrel::make_text_pos(p.line, p.col); }
  static EditPos FromTextPos(kestrel::TextPos p) { return {kestrel::text_pos_line(p), kestrel::text_pos_column(p)}; }

 private:
  // Unrecorded primitives; text uses "\n" between lines.
  EditPos RawInsert(EditPos at, std::u16string_view text);
  std::u16string RawDelete(EditPos from, EditPos to);
  // Recorded primitives.
  int DoInsert(EditPos at, std::u16string_view text, EditPos* end);
  int DoDelete(EditPos from, EditPos to);
  void ApplyUndo(CUndoRecord& r, bool undo);
  void RecordCaret();
  // Takes back a step that failed half-way, if it recorded anything.
  void AbandonStep(uint32_t seq_before);
  bool FlushCaret();
  int ReplaceMatch(kestrel::Regex& re, EditPos start, EditPos end, std::u16string_view replacement, bool literal,
                   EditPos* after);
  // Where position `p` lands after [from, to) was replaced by text ending at `new_end`.
  static EditPos Shift(EditPos p, EditPos from, EditPos to, EditPos new_end);

  void NoteChange(int32_t line) { changed_from_ = std::min(changed_from_, line); }

  kestrel::LineStore lines_;
  int32_t changed_from_ = 0;
  int64_t total_units_ = 0;  // sum of the line lengths
  int line_end_mode_ = 1;
  int tab_width_ = 8;
  int64_t max_len_ = 0;
  EditPos caret_;
  EditPos anchor_;
  bool box_ = false;
  std::unique_ptr<CUndoData> undo_;
  uint32_t clean_seq_ = 0;
  bool pending_caret_ = false;  // the caret before the open step, not yet recorded
  EditPos pending_caret_pos_;
  EditPos pending_anchor_pos_;
  CUndoRecord* typing_record_ = nullptr;  // the insert record typing extends
  EditPos typing_end_;
};
