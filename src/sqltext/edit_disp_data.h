// CEditDispData: what the editor window shows of its buffer, kept apart
// from the window so it can be reasoned about and tested without one: tab
// width and style, the scroll position and visible size (in lines and
// display columns), display columns of characters (tabs, full-width
// characters), the colouring of lines with the state each line starts in,
// and the caret movements that depend only on the text.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "sqltext/edit_data.h"
#include "sqltext/str_token.h"

class CEditDispData {
 public:
  explicit CEditDispData(CEditData* data) : data_(data) { data_->SetTabWidth(tab_width_); }

  CEditData* data() const { return data_; }

  // Also the buffer's, whose box selection is bounded by display columns.
  void SetTabWidth(int width) {
    tab_width_ = width < 1 ? 1 : width;
    data_->SetTabWidth(tab_width_);
  }
  int GetTabWidth() const { return tab_width_; }
  // Style bits of the control (kEditStyleUrl turns URL marking on).
  void SetStyle(uint32_t style);
  uint32_t GetStyle() const { return style_; }

  // --- display columns ----------------------------------------------------
  // Columns a character takes: 2 for full-width (East Asian wide)
  // characters, 1 otherwise; a tab runs to the next tab stop.
  static int CharWidth(char32_t c);
  // Display column of character column `col` of `line`.
  static int32_t DisplayColumn(std::u16string_view line, int32_t col, int tab_width);
  // Character column shown at display column `x`: the character covering
  // it, or the nearer edge with `nearest` (for mouse clicks); never inside
  // a surrogate pair; past the end, the line length.
  static int32_t CharColumn(std::u16string_view line, int32_t x, int tab_width, bool nearest = false);
  // Measured from the line's nearest block (long lines).
  int32_t DisplayColumn(EditPos p) const { return data_->DisplayX(p.line, p.col); }
  // Widest line in display columns.
  int32_t MaxDisplayWidth() const;

  // --- scroll state ---------------------------------------------------------
  void SetVisibleSize(int32_t lines, int32_t columns);
  int32_t GetVisibleLines() const { return visible_lines_; }
  int32_t GetVisibleColumns() const { return visible_cols_; }
  int32_t GetTopLine() const { return top_line_; }
  int32_t GetLeftColumn() const { return left_col_; }
  void ScrollTo(int32_t top_line, int32_t left_col);
  void ScrollLines(int32_t delta) { ScrollTo(top_line_ + delta, left_col_); }
  // Lines a Page Up / Page Down moves: whole visible lines minus one, at least one.
  int32_t PageLines() const;
  // Scrolls the least needed to show the caret.
  void EnsureCaretVisible();

  // --- colouring --------------------------------------------------------------
  // The tokenizer whose active keyword list and comment/quote settings the
  // colouring uses (null: no colouring).
  void SetTokenizer(const CStrToken* tokenizer);
  // Brings the attribute bytes of lines [first, last] up to date (call with
  // the visible lines before painting). Each line remembers the state it
  // was coloured from; lines from the first change on are tokenized again
  // only where they changed or their entry state differs, so an edit costs
  // the edited lines plus the lines whose state it really changed, and
  // nothing below `last` is touched until it is shown.
  void ColourLines(int32_t first, int32_t last);
  // Forces a full re-colouring (a new completion list, new settings).
  void InvalidateColours();
  // Lines tokenized since the display data was made (tests, benchmarks).
  int64_t LinesTokenized() const { return lines_tokenized_; }

  // --- caret movement ---------------------------------------------------------
  // Ctrl+Right / Ctrl+Left: the start of the next word / of this or the
  // previous word; a line end counts as a stop.
  static EditPos NextWordPos(const CEditData& d, EditPos p);
  static EditPos PrevWordPos(const CEditData& d, EditPos p);
  // Up / Down keep the display column the caret had (`want_x`).
  EditPos LineMove(EditPos p, int32_t lines, int32_t want_x) const;

 private:
  CEditData* data_;
  int tab_width_ = 8;
  uint32_t style_ = 0;
  int32_t visible_lines_ = 1;
  int32_t visible_cols_ = 1;
  int32_t top_line_ = 0;
  int32_t left_col_ = 0;

  const CStrToken* tokenizer_ = nullptr;
  std::shared_ptr<const kestrel::KeywordTable> keywords_;  // the list the colours were made with
  uint32_t epoch_ = 0;                                     // this colouring round (the lines' memo)
  int32_t coloured_upto_ = 0;                              // lines [0, coloured_upto_) are current
  int64_t lines_tokenized_ = 0;
};
