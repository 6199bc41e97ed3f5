// CScrollWnd, a window whose scroll positions count cells, and CGridCtrl,
// the grid window: it paints one CGridData with QPainter, turns keys, the
// input method and the mouse into calls on the core (layout, navigation,
// fitting, copy) and keeps the other panes of the same data current with
// messages 0x8310/0x8311/0x8312/0x8314.
#pragma once

#include <QPointer>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "griddata/grid_data.h"
#include "gridctrl/grid_ctrl_editor.h"
#include "gridctrl/grid_fitting.h"
#include "gridctrl/grid_layout.h"
#include "gridctrl/grid_navigation.h"
#include "platform/msg_target.h"

class CDataEditDlg;
class QScrollBar;
class QTimer;
class QMenu;

namespace kestrel {
class GridGlyphCache;
class Regex;
class SettingsStore;
}

class CScrollWnd : public QWidget {
 public:
  explicit CScrollWnd(QWidget* parent = nullptr);

  // Scroll bars shared with other panes (a splitter row or column); null
  // gives the window its own bar on that side again.
  void SetScrollBars(QScrollBar* horizontal, QScrollBar* vertical);
  QScrollBar* HorizontalBar() const { return h_; }
  QScrollBar* VerticalBar() const { return v_; }
  int32_t ScrollCol() const;
  int32_t ScrollRow() const;
  void SetScrollCol(int32_t col);
  void SetScrollRow(int32_t row);
  // The painting area (the window less its own scroll bars).
  QRect ClientRect() const;

 protected:
  virtual void OnScrolled() = 0;
  void SetScrollRanges(int32_t max_col, int32_t page_cols, int32_t max_row, int32_t page_rows);
  void resizeEvent(QResizeEvent* event) override;

 private:
  void PlaceOwnBars();
  void Connect(QScrollBar* bar);
  QScrollBar* own_h_;
  QScrollBar* own_v_;
  QScrollBar* h_;
  QScrollBar* v_;
};

class CGridCtrl : public CScrollWnd, public kestrel::MsgTarget {
 public:
  // Makes the in-place editor; the default is the stand-in editor widget.
  using EditorFactory = std::function<std::unique_ptr<kestrel::GridCellEditor>(QWidget* parent)>;

  explicit CGridCtrl(QWidget* parent = nullptr, uint32_t style = kestrel::gridctrl::kMainViewStyle);
  ~CGridCtrl() override;
  static void SetEditorFactory(EditorFactory factory);

  // ---- set-up ----
  // The data shown (not owned); null shows the shared placeholder grid.
  void SetGridData(CGridData* data);
  CGridData* GetGridData() const { return data_; }
  void SetParentTarget(kestrel::MsgTarget* parent) { parent_ = parent; }
  void SetColor(int index, uint32_t color);
  void SetStyle(uint32_t style, bool redraw = true);
  uint32_t GetStyle() const { return style_; }
  void SetGridFont(const QFont& font);
  const QFont& GridFont() const { return font_; }
  void SetNullText(std::u16string_view text);
  void SetMinColChars(int32_t count);
  void SetCellPadding(int32_t top, int32_t bottom, int32_t left, int32_t right);
  // The current search pattern (not owned; null turns highlighting off).
  void SetSearchRegex(kestrel::Regex* re);
  void SetCalcType(int32_t type) { calc_type_ = type; }
  void SetDeleteAllNullRowsWarning(bool on) { warn_delete_all_null_ = on; }
  // End mode: the End key pressed with END_KEY_LIKE_EXCEL, waiting for the
  // arrow key that jumps to the grid's edge.
  bool IsEndMode() const { return end_mode_; }
  // Where the data dialog keeps its line-break and wrap choices (not owned;
  // null: defaults, nothing written).
  void SetSettingsStore(kestrel::SettingsStore* store) { settings_ = store; }
  // Font, style (less the header bits), colours' owner, null text, minimum
  // width, paddings, search pattern, parent and hooks of another pane.
  void CopySettingsFrom(const CGridCtrl& other);
  void RecalcLayout();
  const kestrel::GridLayout& Layout() const { return layout_; }
  kestrel::GridCtrlMetrics& Metrics() const;

  // ---- moving ----
  void SetCurCell(int32_t row, int32_t col, bool extend = false);
  void ClearSelection();
  void SelectAll();
  void EnsureVisible(int32_t row, int32_t col);

  // ---- editing ----
  bool StartEdit(std::u16string_view first_text = {}, bool select_all = false);
  // Stores a changed text; false (editor kept open) when the data refused it.
  bool EndEdit();
  // Drops the edit (Esc in the editor).
  void CancelEdit();
  bool IsEditing() const;
  kestrel::GridCellEditor* Editor() const { return editor_.get(); }

  // ---- commands ----
  void ClearCells();
  void CutCells();
  bool PasteText(std::u16string_view text);
  void PasteClipboard();
  void PasteToCell();
  // 34002: the current cell in CDataEditDlg (read-only where the cell is).
  void EditCellData();
  // The data changed from elsewhere: when this pane's cell-data dialog is
  // open and visible, it shows its cell's text again. False when none is.
  bool RefreshDataDialog();
  CDataEditDlg* DataDialog() const;
  bool CopySelection(int format);
  void InsertRowsAtCur(int32_t count);
  void DeleteSelectedRows();
  void MoveToChangedCell(bool forward);
  void AdjustColWidth(int32_t col, bool use_col_name);
  void AdjustAllColWidth(bool use_col_name);
  void EqualColWidth();
  // Runs a menu command of the grid; false when the id is not one.
  bool RunCommand(int id);
  // Whether a command can run now (menu enabling).
  bool CanRunCommand(int id) const;

  // ---- hooks the view wires ----
  std::function<void(std::u16string_view)> status_text;     // status bar message pane
  std::function<void(std::u16string_view)> selection_stat;  // status bar statistics pane
  // 34026: the current time in the DATE format; false with an error text.
  std::function<bool(std::u16string& text, std::u16string& error)> current_time;
  // Asks the row count of 32787; 0 cancels. The default shows CInsertRowsDlg.
  std::function<int32_t()> ask_insert_count;
  // Adds the document's commands to the context menu.
  std::function<void(QMenu& menu)> extend_context_menu;
  // End mode turned on or off; also told when the pane takes the focus, so
  // that a status shown for the focused pane follows it.
  std::function<void(bool on)> end_mode_changed;
  // Screen width for fitting a pane that is not shown.
  int32_t ScreenWidth() const;

  // ---- MsgTarget ----
  intptr_t send(uint32_t msg, uintptr_t wparam, intptr_t lparam) override;
  void post(uint32_t msg, uintptr_t wparam, intptr_t lparam) override;

  // Paints into any device (the widget, or an image in tests).
  void Render(QPainter& p);

 protected:
  void OnScrolled() override;
  bool event(QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void inputMethodEvent(QInputMethodEvent* event) override;
  QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  bool focusNextPrevChild(bool) override { return false; }

 private:
  struct Painter;
  void NotifyOthers(uint32_t msg, uintptr_t wparam = 0, intptr_t lparam = 0);
  void PostParent(uint32_t msg);
  void AfterSelectionChange();
  void PlaceEditor();
  bool HandleEditShortcut(QKeyEvent* event);
  bool EditorKeyToGrid(QKeyEvent* event);
  void ShowContextMenu(const QPoint& pos);
  void AutoScroll();
  void UpdateDrag(const QPoint& pos);
  kestrel::FitParams FitParamsNow() const;
  bool ColumnsSelectedWhole(int32_t col) const;
  bool HasFocusInGroup() const;
  void ShowError(std::u16string_view text);
  void SetEndMode(bool on);

  CGridData* data_;
  kestrel::MsgTarget* parent_ = nullptr;
  uint32_t style_;
  kestrel::GridLayout layout_;
  kestrel::CellPadding padding_;
  QFont font_;
  std::unique_ptr<kestrel::GridGlyphCache> glyphs_;  // of font_
  std::u16string null_text_;
  int32_t min_col_chars_ = 10;
  int32_t calc_type_ = 0;
  bool warn_delete_all_null_ = true;
  kestrel::SettingsStore* settings_ = nullptr;
  kestrel::Regex* search_ = nullptr;
  bool end_mode_ = false;
  // The cell-data dialog while it is open, and its cell.
  QPointer<CDataEditDlg> data_dlg_;
  int32_t data_dlg_row_ = -1, data_dlg_col_ = -1;

  std::unique_ptr<kestrel::GridCellEditor> editor_;
  uint32_t edit_seq_ = 0;
  int32_t edit_row_ = -1, edit_col_ = -1;

  // Mouse state.
  enum class Drag { kNone, kResize, kCells, kRows, kCols };
  Drag drag_ = Drag::kNone;
  int32_t resize_col_ = -1, resize_start_x_ = 0, resize_old_width_ = 0, resize_width_ = 0;
  bool resize_moved_ = false;
  QPoint last_mouse_;
  QTimer* resize_timer_;
  QTimer* scroll_timer_;
  QTimer* tip_timer_;
  int32_t tip_col_ = -1;
};
