// CEditCtrl: the program's multi-line text editor window. It paints its
// CEditData buffer itself (fixed character cells: a full-width character
// takes two), colours SQL with the shared tokenizer, keeps stream and box
// selections, exchanges boxes through the clipboard, marks and opens URLs
// and takes input-method text. Hosts drive it through the calls below;
// everything the text holds lives in the buffer and its undo log.
#pragma once

#include <QWidget>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ui_services.h"
#include "sqltext/edit_data.h"
#include "sqltext/edit_disp_data.h"

class QScrollBar;
class QTimer;
class QMimeData;
class CStrToken;

namespace kestrel {

// Style bits of the editor (the grid's numbers where they mean the same).
inline constexpr uint32_t kEditStyleInvertSelText = 0x20;
inline constexpr uint32_t kEditStyleShowSpace = 0x100;
inline constexpr uint32_t kEditStyleShow2ByteSpace = 0x200;
inline constexpr uint32_t kEditStyleShowLineFeed = 0x1000;
inline constexpr uint32_t kEditStyleShowTab = 0x2000;
inline constexpr uint32_t kEditStyleImeCaretColor = 0x8000;

// Command ids the editor answers.
inline constexpr int kEditCmdCopy = 57634;
inline constexpr int kEditCmdCut = 57635;
inline constexpr int kEditCmdPaste = 57637;
inline constexpr int kEditCmdSelectAll = 57642;
inline constexpr int kEditCmdUndo = 57643;
inline constexpr int kEditCmdRedo = 57644;
inline constexpr int kEditCmdInsertLineFeed = 32781;

// Colour slots (each 0x00BBGGRR).
enum EditColor : int {
  kEditColorText,
  kEditColorBack,
  kEditColorKeyword,
  kEditColorKeyword2,
  kEditColorDictionary,
  kEditColorComment,
  kEditColorQuote,
  kEditColorUrl,
  kEditColorSelBack,
  kEditColorSelText,
  kEditColorMark,
  kEditColorChangedBack,
  kEditColorImeCaret,
  kEditColorCount
};

// The mime type carrying the box flag ("TRUE" / "FALSE") beside text/plain.
inline constexpr char kEditBoxMimeType[] = "application/x-brant-editctrl-cf-is-box-unicode";

// The system clipboard with the box flag, for the Qt UiServices (the
// editor itself goes through kestrel::ui()).
bool EditClipboardGet(std::u16string& text, bool& box);
UiServices::ClipboardResult EditClipboardSet(std::u16string_view text, bool box);

}  // namespace kestrel

class CEditCtrl : public QWidget {
 public:
  explicit CEditCtrl(QWidget* parent = nullptr);
  ~CEditCtrl() override;

  CEditData* GetEditData() { return data_.get(); }
  CEditDispData* GetDispData() { return &disp_; }

  // --- text ------------------------------------------------------------
  // Loads `text` (not recorded; history forgotten); the caret goes to the end.
  void SetText(std::u16string_view text);
  std::u16string GetText() const { return data_->GetText(); }
  void SetLineEndMode(int mode);
  void SetMaxLen(int64_t max_len);
  void SetReadOnly(bool read_only);
  bool IsReadOnly() const { return read_only_; }

  // --- look --------------------------------------------------------------
  void SetEditorFont(const QFont& font);
  void SetColor(int slot, uint32_t bgr);
  uint32_t GetColor(int slot) const { return colors_[static_cast<std::size_t>(slot)]; }
  void SetEditStyle(uint32_t style);
  uint32_t GetEditStyle() const { return style_; }
  void SetTabWidth(int width);  // clamped to 1..16
  int GetTabWidth() const { return disp_.GetTabWidth(); }
  void SetTabSpaces(bool spaces) { tab_spaces_ = spaces; }
  void SetMargins(int left, int top);
  // Wrapping at the right edge: long lines continue on the next rows.
  void SetWrap(bool on);
  bool GetWrap() const { return wrap_; }
  // A selection margin at the left, clicks in it select whole lines.
  void SetSelectionMargin(bool on);
  void SetTokenizer(const CStrToken* tokenizer);
  // A new active word list: the visible lines are coloured again.
  void RefreshColours();
  // The changed look: the changed colour as background once the text
  // differs from what was loaded.
  void SetChangedLook(bool on) { changed_look_ = on; update(); }
  bool IsChanged() const { return data_->IsModified(); }
  void SetImeCaretColor(bool on) { ime_caret_on_ = on; update(); }

  // --- caret, selection, editing ---------------------------------------
  // Positions past the end are clamped.
  void SetSel(EditPos anchor, EditPos caret, bool box = false);
  void SelectAll();
  // Replaces the selection (or inserts at the caret) as one undo step;
  // refused with a beep when the maximum length forbids it. Returns 0 or 1.
  int ReplaceSel(std::u16string_view text);
  int InsertAtCaret(std::u16string_view text) { return ReplaceSel(text); }
  uint32_t GetUndoSequence() const;
  bool CanUndo() const { return data_->CanUndo(); }
  bool CanRedo() const { return data_->CanRedo(); }
  void Undo();
  void Redo();
  void Copy();
  void Cut();
  void Paste();
  // Pastes `text` as a stream or a box at the caret (one undo step).
  void PasteText(std::u16string_view text, bool box);
  void Indent();
  void Unindent();
  // Runs one of the editor's command ids; false when it is not one.
  bool OnCommand(int id);
  bool IsCommandEnabled(int id) const;
  // Drops the input method's composition.
  void ResetIme();

  // --- search ------------------------------------------------------------
  // Finds the next (or previous) match from the caret and selects it.
  // Returns 1 found, 2 found after wrapping round the text, 0 no match,
  // -1 invalid pattern.
  int FindNext(std::u16string_view pattern, bool forward, bool ignore_case);
  // Replaces the selection when it is a match of `pattern` (by the engine's
  // rules, `replacement` a template such as "\\1"), then selects the next
  // match. Returns 1 replaced, 0 the selection was no match (the next one
  // is selected instead, when there is one), -1 invalid pattern or refused.
  int ReplaceSelMatch(std::u16string_view pattern, std::u16string_view replacement, bool ignore_case);
  // Replaces every match (optionally inside the selection) as one undo
  // step; returns the count, or -1 when the pattern is invalid or the
  // replacement was refused (nothing changes then).
  int ReplaceAll(std::u16string_view pattern, std::u16string_view replacement, bool ignore_case, bool in_selection);

  // --- hooks ---------------------------------------------------------------
  // Offered every key first; true when the host took it (the grid's Enter,
  // Tab, Esc and leaving arrows).
  std::function<bool(QKeyEvent*)> key_hook;
  // Called after every change of text.
  std::function<void()> on_change;

  // --- geometry (tests and hosts) ----------------------------------------
  int LineHeight() const { return line_h_; }
  int CharWidth() const { return char_w_; }
  QPoint PosToPixel(EditPos p) const;
  EditPos PixelToPos(QPoint pt) const { return PointToPos(pt, true); }
  // With `nearest` the nearer character edge (a click); otherwise the
  // character under the point.
  EditPos PointToPos(QPoint pt, bool nearest) const;
  const std::u16string& Preedit() const { return preedit_; }
  QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;

 protected:
  bool event(QEvent* e) override;
  void paintEvent(QPaintEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
  void mouseDoubleClickEvent(QMouseEvent* e) override;
  void wheelEvent(QWheelEvent* e) override;
  void focusInEvent(QFocusEvent* e) override;
  void focusOutEvent(QFocusEvent* e) override;
  void inputMethodEvent(QInputMethodEvent* e) override;
  void dragEnterEvent(QDragEnterEvent* e) override;
  void dragMoveEvent(QDragMoveEvent* e) override;
  void dropEvent(QDropEvent* e) override;
  void contextMenuEvent(QContextMenuEvent* e) override;
  bool focusNextPrevChild(bool) override { return false; }

 private:
  // Geometry.
  int TextLeft() const;
  int TextTop() const { return top_margin_; }
  QRect TextArea() const;
  QRect CaretRect() const;
  int32_t PreeditColumns() const;
  int32_t WidestLine(int32_t first, int32_t last) const;
  void UpdateMetrics();
  void UpdateScrollBars();
  void SyncFromScrollBars();
  void AfterCaretMove(bool keep_want_x = false);
  void AfterEdit();
  void ScrollBy(int lines, int cols);

  // Wrapping (edit_ctrl_wrap.cpp). A row is one screen line of a buffer line.
  struct Row {
    int32_t line = 0;
    int32_t sub = 0;
  };
  int32_t WrapColumns() const;
  std::vector<int32_t> RowStarts(int32_t line) const;
  Row RowOf(EditPos p) const;
  int32_t RowX(EditPos p, int32_t row_start) const;
  EditPos RowPos(Row r, int32_t x, bool nearest) const;
  Row StepRows(Row r, int32_t n) const;
  int32_t RowsBetween(Row from, Row to, int32_t limit) const;
  void EnsureVisible();
  void ScrollRows(int32_t n);
  EditPos MoveRows(EditPos p, int32_t n) const;
  int32_t CaretWantX() const;

  // Input.
  bool HandleKey(QKeyEvent* e, bool dry_run);
  void MoveCaret(EditPos p, bool extend, bool box);
  void TypeChars(std::u16string_view text);
  bool EditAllowed();
  void Beep();
  void OpenLinkAt(EditPos p);
  bool LinkAt(QPoint pt, EditPos* pos) const;
  void ShowCompletion();
  void AutoScroll();
  void InsertData(const QMimeData* mime, EditPos at);
  void StartDragOut();
  bool InSelection(EditPos p) const;

  // Painting.
  // Paints characters [from, to) of `line` (the buffer's columns) from
  // display column 0 of the row at `y`.
  void PaintLine(QPainter& p, int32_t line, int y, int32_t first_col, int32_t last_col, int32_t from, int32_t to);
  QColor Color(int slot) const;

  std::unique_ptr<CEditData> data_;
  CEditDispData disp_;
  std::array<uint32_t, kestrel::kEditColorCount> colors_{};
  uint32_t style_ = 0;
  bool read_only_ = false;
  bool tab_spaces_ = false;
  bool changed_look_ = false;
  bool ime_caret_on_ = false;
  bool sel_margin_ = false;
  bool wrap_ = false;
  int32_t top_sub_ = 0;  // first row shown of the top line when wrapping
  int left_margin_ = 2;
  int top_margin_ = 1;
  int char_w_ = 8;
  int line_h_ = 16;
  int ascent_ = 12;
  int32_t want_x_ = 0;      // display column Up/Down keep
  int32_t max_width_ = 0;   // widest line seen, in display columns
  bool runs_ok_ = true;     // fixed-pitch font: ASCII runs drawn as one string
  bool caret_shown_ = true;
  QTimer* caret_timer_ = nullptr;

  QScrollBar* vbar_ = nullptr;
  QScrollBar* hbar_ = nullptr;
  bool syncing_bars_ = false;
  QTimer* scroll_timer_ = nullptr;
  QPoint last_mouse_;
  QPoint wheel_accum_;
  const CStrToken* tokenizer_ = nullptr;
  enum class Drag { kNone, kText, kBox, kLines, kWords, kMaybeDragOut } drag_ = Drag::kNone;
  QPoint press_pt_;  // where a drag of the selection may start
  bool self_move_done_ = false;
  EditPos drag_anchor_;
  EditPos drag_anchor_end_;  // the other end of the word or line a drag started on

  std::u16string preedit_;
  int preedit_cursor_ = 0;
  std::unique_ptr<QCursor> margin_cursor_;
};
