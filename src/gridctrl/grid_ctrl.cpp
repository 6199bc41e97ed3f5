// CScrollWnd and the behaviour of CGridCtrl: set-up, moves, editing,
// commands, keys, input method, mouse and messages between panes.
#include "gridctrl/grid_ctrl.h"

#include <QApplication>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QInputMethod>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QScreen>
#include <QScrollBar>
#include <QTimer>
#include <QToolTip>

#include "gridctrl/cell_editor_widget.h"
#include "gridctrl/data_edit_dlg.h"
#include "gridctrl/grid_copy.h"
#include "gridctrl/grid_ctrl_dialogs.h"
#include "gridctrl/grid_ctrl_glyphs.h"
#include "gridctrl/gridctrl_constants.h"
#include "griddata/grid_data_swap_row_col.h"
#include "platform/format.h"
#include "platform/ui_services.h"

using namespace kestrel;
using namespace kestrel::gridctrl;

namespace {

QString qs(std::u16string_view s) {
  return QString(reinterpret_cast<const QChar*>(s.data()), static_cast<qsizetype>(s.size()));
}
std::u16string u16(const QString& s) { return std::u16string(reinterpret_cast<const char16_t*>(s.utf16()), s.size()); }

// The grid every control shows until it is given data: the plain
// CGridData's defaults (100 columns named "test", 1000 rows of "data").
CGridData& Placeholder() {
  static CGridData* placeholder = [] {
    auto* g = new CGridData();  // lives for the process, shared by every control
    g->ResetColWidthTable();
    g->SetCurCell(0, 0);
    return g;
  }();
  return *placeholder;
}

CGridCtrl::EditorFactory& Factory() {
  static CGridCtrl::EditorFactory factory;
  return factory;
}

GridKey MapKey(int key) {
  switch (key) {
    case Qt::Key_Tab:
    case Qt::Key_Backtab: return GridKey::kTab;
    case Qt::Key_Return:
    case Qt::Key_Enter: return GridKey::kEnter;
    case Qt::Key_Escape: return GridKey::kEscape;
    case Qt::Key_PageUp: return GridKey::kPageUp;
    case Qt::Key_PageDown: return GridKey::kPageDown;
    case Qt::Key_Home: return GridKey::kHome;
    case Qt::Key_End: return GridKey::kEnd;
    case Qt::Key_Left: return GridKey::kLeft;
    case Qt::Key_Right: return GridKey::kRight;
    case Qt::Key_Up: return GridKey::kUp;
    case Qt::Key_Down: return GridKey::kDown;
    case Qt::Key_Delete: return GridKey::kDelete;
    case Qt::Key_F2: return GridKey::kF2;
    case Qt::Key_Shift: return GridKey::kShift;
    case Qt::Key_Control: return GridKey::kControl;
    default: return GridKey::kOther;
  }
}

KeyMods ModsOf(const QKeyEvent* e) {
  KeyMods m;
  m.shift = e->modifiers() & Qt::ShiftModifier || e->key() == Qt::Key_Backtab;
  m.ctrl = e->modifiers() & Qt::ControlModifier;
  m.alt = e->modifiers() & Qt::AltModifier;
  return m;
}

}  // namespace

// ---------------------------------------------------------------- CScrollWnd

CScrollWnd::CScrollWnd(QWidget* parent)
    : QWidget(parent),
      own_h_(new QScrollBar(Qt::Horizontal, this)),
      own_v_(new QScrollBar(Qt::Vertical, this)),
      h_(own_h_),
      v_(own_v_) {
  Connect(own_h_);
  Connect(own_v_);
}

void CScrollWnd::Connect(QScrollBar* bar) {
  connect(bar, &QScrollBar::valueChanged, this, [this] { OnScrolled(); });
}

void CScrollWnd::SetScrollBars(QScrollBar* horizontal, QScrollBar* vertical) {
  if (h_ != own_h_) disconnect(h_, nullptr, this, nullptr);
  if (v_ != own_v_) disconnect(v_, nullptr, this, nullptr);
  h_ = horizontal ? horizontal : own_h_;
  v_ = vertical ? vertical : own_v_;
  if (h_ != own_h_) Connect(h_);
  if (v_ != own_v_) Connect(v_);
  own_h_->setVisible(h_ == own_h_);
  own_v_->setVisible(v_ == own_v_);
  PlaceOwnBars();
  OnScrolled();
}

int32_t CScrollWnd::ScrollCol() const { return h_->value(); }
int32_t CScrollWnd::ScrollRow() const { return v_->value(); }
void CScrollWnd::SetScrollCol(int32_t col) { h_->setValue(col); }
void CScrollWnd::SetScrollRow(int32_t row) { v_->setValue(row); }

QRect CScrollWnd::ClientRect() const {
  QRect r = rect();
  if (own_v_->isVisibleTo(this)) r.setRight(r.right() - own_v_->sizeHint().width());
  if (own_h_->isVisibleTo(this)) r.setBottom(r.bottom() - own_h_->sizeHint().height());
  return r;
}

void CScrollWnd::SetScrollRanges(int32_t max_col, int32_t page_cols, int32_t max_row, int32_t page_rows) {
  h_->setRange(0, std::max(0, max_col));
  h_->setPageStep(std::max(1, page_cols));
  v_->setRange(0, std::max(0, max_row));
  v_->setPageStep(std::max(1, page_rows));
}

void CScrollWnd::PlaceOwnBars() {
  const int vw = own_v_->sizeHint().width(), hh = own_h_->sizeHint().height();
  const bool hv = own_h_->isVisibleTo(this), vv = own_v_->isVisibleTo(this);
  own_v_->setGeometry(width() - vw, 0, vw, height() - (hv ? hh : 0));
  own_h_->setGeometry(0, height() - hh, width() - (vv ? vw : 0), hh);
}

void CScrollWnd::resizeEvent(QResizeEvent*) { PlaceOwnBars(); }

// ----------------------------------------------------------------- CGridCtrl

void CGridCtrl::SetEditorFactory(EditorFactory factory) { Factory() = std::move(factory); }

CGridCtrl::CGridCtrl(QWidget* parent, uint32_t style)
    : CScrollWnd(parent),
      data_(&Placeholder()),
      style_(style),
      resize_timer_(new QTimer(this)),
      scroll_timer_(new QTimer(this)),
      tip_timer_(new QTimer(this)) {
  setAttribute(Qt::WA_InputMethodEnabled);
  setAttribute(Qt::WA_OpaquePaintEvent);
  setFocusPolicy(Qt::StrongFocus);
  setMouseTracking(true);
  // Until the view sets the user's font: the system's fixed-pitch font at
  // 18 pixels.
  QFont f = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  f.setPixelSize(18);
  f.setStyleHint(QFont::TypeWriter);
  if (Factory()) editor_ = Factory()(this);
  if (!editor_) editor_ = std::make_unique<CellEditorWidget>(this);
  editor_->Widget()->hide();
  editor_->key_to_grid = [this](QKeyEvent* e) { return EditorKeyToGrid(e); };
  resize_timer_->setInterval(kResizeTimerMs);
  scroll_timer_->setInterval(50);
  connect(scroll_timer_, &QTimer::timeout, this, [this] { AutoScroll(); });
  tip_timer_->setSingleShot(true);
  tip_timer_->setInterval(kTipDelayMs);
  connect(tip_timer_, &QTimer::timeout, this, [this] {
    if (tip_col_ < 0 || tip_col_ >= data_->GetColCnt() || drag_ != Drag::kNone) return;
    QToolTip::showText(QCursor::pos(), qs(data_->GetDispColName(tip_col_)), this);
  });
  SetGridFont(f);
  SetGridData(nullptr);
}

CGridCtrl::~CGridCtrl() {
  if (data_ && data_ != &Placeholder()) data_->RemoveNotifyWnd(this);
}

GridCtrlMetrics& CGridCtrl::Metrics() const {
  auto* m = dynamic_cast<GridCtrlMetrics*>(data_->GetDisplayMetrics());
  if (!m) {
    auto own = std::make_unique<GridCtrlMetrics>();
    m = own.get();
    data_->SetOwnDisplayMetrics(std::move(own));
    QFontMetrics fm(font_);
    m->SetFont([fm](char32_t cp) { return fm.horizontalAdvance(QString::fromUcs4(&cp, 1)); }, fm.height(),
               fm.height() + fm.leading(), fm.averageCharWidth());
  }
  return *m;
}

void CGridCtrl::SetGridData(CGridData* data) {
  if (IsEditing()) CancelEdit();
  if (data_ && data_ != &Placeholder()) data_->RemoveNotifyWnd(this);
  data_ = data ? data : &Placeholder();
  if (data_ != &Placeholder()) data_->AddNotifyWnd(this);
  data_->ResizeColWidthTable();
  data_->ClearSelection();
  data_->DragState() = GridDragState{};
  if (data_->GetRowCnt() > 0 && data_->GetColCnt() > 0) {
    MoveCurCell(*data_, 0, 0, false, false);
  } else {
    data_->SetCurCellRaw(-1, -1);
  }
  Metrics();
  SetScrollRow(0);
  SetScrollCol(0);
  RecalcLayout();
}

void CGridCtrl::SetColor(int index, uint32_t color) {
  Metrics().SetColor(index, color);
  if (index == kColorText) data_->SetDefaultTextColor(color & 0xFFFFFF);
  update();
}

void CGridCtrl::SetStyle(uint32_t style, bool redraw) {
  style_ = style;
  // Without the Excel-like End key there is no End mode to wait in.
  if (!(style_ & kStyleEndKeyLikeExcel)) SetEndMode(false);
  if (redraw) RecalcLayout();
}

void CGridCtrl::SetGridFont(const QFont& font) {
  font_ = font;
  glyphs_ = std::make_unique<GridGlyphCache>(font_);
  QFontMetrics fm(font_);
  Metrics().SetFont([fm](char32_t cp) { return fm.horizontalAdvance(QString::fromUcs4(&cp, 1)); }, fm.height(),
                    fm.height() + fm.leading(), fm.averageCharWidth());
  editor_->SetEditorFont(font_);
  if (QGuiApplication::focusObject() == this) QGuiApplication::inputMethod()->update(Qt::ImFont);
  RecalcLayout();
}

void CGridCtrl::SetNullText(std::u16string_view text) {
  null_text_ = text;
  update();
}

void CGridCtrl::SetMinColChars(int32_t count) { min_col_chars_ = std::clamp(count, 0, 1000); }

void CGridCtrl::SetCellPadding(int32_t top, int32_t bottom, int32_t left, int32_t right) {
  padding_ = {top, bottom, left, right};
  RecalcLayout();
}

void CGridCtrl::SetSearchRegex(Regex* re) {
  search_ = re;
  update();
}

void CGridCtrl::CopySettingsFrom(const CGridCtrl& o) {
  style_ = (o.style_ & ~(kStyleColHeader | kStyleRowHeader)) | (style_ & (kStyleColHeader | kStyleRowHeader));
  null_text_ = o.null_text_;
  min_col_chars_ = o.min_col_chars_;
  padding_ = o.padding_;
  calc_type_ = o.calc_type_;
  warn_delete_all_null_ = o.warn_delete_all_null_;
  settings_ = o.settings_;
  search_ = o.search_;
  parent_ = o.parent_;
  status_text = o.status_text;
  selection_stat = o.selection_stat;
  current_time = o.current_time;
  ask_insert_count = o.ask_insert_count;
  extend_context_menu = o.extend_context_menu;
  end_mode_changed = o.end_mode_changed;
  if (data_ != o.data_) {
    // Joins the other pane's data as it stands: the current cell and the
    // selection are shared, so they are kept.
    if (IsEditing()) CancelEdit();
    if (data_ != &Placeholder()) data_->RemoveNotifyWnd(this);
    data_ = o.data_;
    if (data_ != &Placeholder()) data_->AddNotifyWnd(this);
  }
  SetGridFont(o.font_);
}

void CGridCtrl::RecalcLayout() {
  layout_.Recalc(*data_, Metrics(), style_, padding_);
  const QRect c = ClientRect();
  layout_.SetClientSize(c.width(), c.height());
  const VisibleRange v = layout_.Visible(*data_);
  SetScrollRanges(layout_.MaxScrollCol(*data_), v.full_cols, layout_.MaxScrollRow(*data_), layout_.PageRows());
  layout_.SetScrollPos(ScrollCol(), ScrollRow());
  PlaceEditor();
  update();
}

void CGridCtrl::OnScrolled() {
  layout_.SetScrollPos(ScrollCol(), ScrollRow());
  PlaceEditor();
  update();
}

void CGridCtrl::resizeEvent(QResizeEvent* e) {
  CScrollWnd::resizeEvent(e);
  RecalcLayout();
}

int32_t CGridCtrl::ScreenWidth() const {
  const QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen();
  return s ? s->geometry().width() : 1920;
}

// ---- messages ----

intptr_t CGridCtrl::send(uint32_t msg, uintptr_t, intptr_t) {
  switch (msg) {
    case kMsgLayoutChanged: RecalcLayout(); break;
    case kMsgRepaint:
    case kMsgCellEdited:
    case kMsgRowChanged: update(); break;
    default: break;
  }
  return 0;
}

void CGridCtrl::post(uint32_t msg, uintptr_t wparam, intptr_t lparam) {
  QMetaObject::invokeMethod(this, [this, msg, wparam, lparam] { send(msg, wparam, lparam); }, Qt::QueuedConnection);
}

void CGridCtrl::NotifyOthers(uint32_t msg, uintptr_t wparam, intptr_t lparam) {
  if (data_ != &Placeholder()) data_->NotifyWnds(this, msg, wparam, lparam);
}

void CGridCtrl::PostParent(uint32_t msg) {
  if (parent_) parent_->post(msg, static_cast<uintptr_t>(data_->GetCurCol()), data_->GetCurRow());
}

void CGridCtrl::ShowError(std::u16string_view text) {
  if (!text.empty()) ui().message_box(text, kTitleError, mb::OK | mb::ICONERROR);
}

void CGridCtrl::AfterSelectionChange() {
  if (selection_stat && calc_type_ != kCalcNone) selection_stat(SelectionStatText(*data_, calc_type_));
}

// ---- moving ----

void CGridCtrl::EnsureVisible(int32_t row, int32_t col) {
  if (row >= 0) SetScrollRow(layout_.ScrollRowFor(*data_, row));
  if (col >= 0) SetScrollCol(layout_.ScrollColFor(*data_, col));
}

void CGridCtrl::SetCurCell(int32_t row, int32_t col, bool extend) {
  if (IsEditing() && !EndEdit()) return;
  const CellRange before = data_->GetSelection();
  const bool moved = MoveCurCell(*data_, row, col, extend, style_ & kStyleRangeSelect);
  if (moved) {
    QGuiApplication::inputMethod()->reset();
    EnsureVisible(data_->GetCurRow(), data_->GetCurCol());
    PostParent(kMsgCurCellMoved);
  }
  if (moved || !(before == data_->GetSelection())) {
    NotifyOthers(kMsgRepaint);
    update();
    AfterSelectionChange();
  }
}

void CGridCtrl::ClearSelection() {
  data_->ClearSelection();
  NotifyOthers(kMsgRepaint);
  update();
  AfterSelectionChange();
}

void CGridCtrl::SelectAll() {
  const int32_t rows = data_->GetRowCnt(), cols = data_->GetColCnt();
  if (rows <= 0 || cols <= 0 || !(style_ & kStyleRangeSelect)) return;
  data_->SetSelection(0, 0, cols - 1, rows - 1);
  data_->DragState().anchor = {0, 0};
  NotifyOthers(kMsgRepaint);
  update();
  AfterSelectionChange();
}

// ---- editing ----

bool CGridCtrl::IsEditing() const { return editor_ && editor_->Widget()->isVisible() && edit_row_ >= 0; }

bool CGridCtrl::StartEdit(std::u16string_view first_text, bool select_all) {
  if (IsEditing()) {
    if (!first_text.empty()) editor_->TypeText(first_text);
    return true;
  }
  if (!data_->IsEditable() || !data_->IsValidCurCell()) return false;
  const int32_t row = data_->GetCurRow(), col = data_->GetCurCol();
  if (!data_->IsColEditable(row, col) || !data_->IsEditDataComplete(row, col)) return false;
  EnsureVisible(row, col);
  const int32_t r = (style_ & kStyleSwapRowCol) ? col : row;
  const bool fresh = !data_->IsUpdateCell(row, col) && !data_->IsInsertRow(r) && !data_->IsDeleteRow(r);
  editor_->SetChangedLook(fresh, Metrics().GetColor(kColorUpdate));
  const int32_t max = data_->GetMaxDataLen(row, col);
  editor_->SetLimit(max == 0x7FFFFFFF ? -1 : max);
  editor_->SetEditorFont(font_);
  editor_->SetImeCaretColor(style_ & kStyleImeCaretColor);
  editor_->SetEditText(data_->GetEditData(row, col));
  if (select_all) editor_->SelectAll();
  edit_seq_ = editor_->UndoSequence();
  edit_row_ = row;
  edit_col_ = col;
  data_->ClearSelection();
  editor_->Widget()->show();
  PlaceEditor();
  editor_->Widget()->setFocus();
  if (!first_text.empty()) editor_->TypeText(first_text);
  NotifyOthers(kMsgRepaint);
  update();
  return true;
}

bool CGridCtrl::EndEdit() {
  if (!IsEditing()) return true;
  QGuiApplication::inputMethod()->reset();
  const int32_t row = edit_row_, col = edit_col_;
  if (editor_->UndoSequence() != edit_seq_) {
    const std::u16string text = editor_->EditText();
    if (data_->UpdateData(row, col, text) != grid::kOk) {
      // The editor stays open with its text so nothing typed is lost.
      ShowError(data_->GetLastErrorMsg());
      editor_->Widget()->setFocus();
      return false;
    }
    PostParent(kMsgCellDataChanged);
  }
  NotifyOthers(kMsgCellEdited, static_cast<uintptr_t>(row), col);
  NotifyOthers(kMsgRowChanged, static_cast<uintptr_t>(row));
  const bool had_focus = editor_->Widget()->hasFocus();
  edit_row_ = edit_col_ = -1;
  editor_->Widget()->hide();
  if (had_focus) setFocus();
  update();
  return true;
}

void CGridCtrl::CancelEdit() {
  if (!IsEditing()) return;
  QGuiApplication::inputMethod()->reset();
  edit_row_ = edit_col_ = -1;
  const bool had_focus = editor_->Widget()->hasFocus();
  editor_->Widget()->hide();
  if (had_focus) setFocus();
  update();
}

void CGridCtrl::PlaceEditor() {
  if (!IsEditing()) return;
  GridRect r = layout_.CellRect(*data_, edit_row_, edit_col_);
  if (r.w == 0) {
    // Scrolled out of view: keep editing, out of sight.
    editor_->SetCellRect(QRect(-r.w - 10000, -10000, 10, 10));
    return;
  }
  editor_->SetCellRect(QRect(r.x, r.y, r.w - 1, r.h - 1));
}

bool CGridCtrl::EditorKeyToGrid(QKeyEvent* e) {
  switch (e->key()) {
    case Qt::Key_Escape: CancelEdit(); return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_Up:
    case Qt::Key_Down:
      if (!EndEdit()) return true;
      keyPressEvent(e);
      return true;
    default: return false;
  }
}

// ---- commands ----

void CGridCtrl::ClearCells() {
  if (!data_->IsEditable() || !data_->IsValidCurCell()) return;
  if (IsEditing() && !EndEdit()) return;
  if (data_->HasSelection()) {
    const CellRange& s = data_->GetSelection();
    data_->UpdateRange({s.left(), s.top_row}, {s.right(), s.bottom_row}, u"");
  } else if (data_->IsColEditable(data_->GetCurRow(), data_->GetCurCol())) {
    data_->UpdateData(data_->GetCurRow(), data_->GetCurCol(), u"");
  }
  NotifyOthers(kMsgRepaint);
  update();
  PostParent(kMsgCellDataChanged);
}

void CGridCtrl::CutCells() {
  if (IsEditing()) {
    editor_->Cut();
    return;
  }
  // The cells are cleared only when the copy reached the clipboard.
  if (!CopySelection(kCopyTab)) return;
  ClearCells();
}

bool CGridCtrl::CopySelection(int format) {
  if (IsEditing()) {
    editor_->Copy();
    return true;
  }
  CopyRange r;
  if (!SelectionCopyRange(*data_, r)) return false;
  const int64_t cells = int64_t(r.bottom - r.top + 1) * (r.right - r.left + 1);
  const bool busy = cells >= kCopyWaitCursorCells;
  if (busy) ui().set_busy_cursor(true);
  const bool ok = CopyToClipboard(*data_, format, r, style_);
  if (busy) ui().set_busy_cursor(false);
  return ok;
}

bool CGridCtrl::PasteText(std::u16string_view text) {
  if (!data_->IsValidCurRow()) return false;
  if (IsEditing() && !EndEdit()) return false;
  int32_t result;
  if (data_->HasSelection()) {
    const CellRange s = data_->GetSelection();
    const int32_t row = data_->GetCurRow(), col = data_->GetCurCol();
    data_->SetCurCellRaw(s.top_row, s.anchor_col);
    result = data_->Paste(text);
    data_->SetCurCellRaw(row, col);
  } else {
    result = data_->Paste(text);
  }
  NotifyOthers(kMsgLayoutChanged);
  RecalcLayout();
  PostParent(kMsgCellDataChanged);
  return result != grid::kRefused;
}

void CGridCtrl::PasteClipboard() {
  if (!data_->IsEditable()) return;
  if (IsEditing()) {
    editor_->Paste();
    return;
  }
  std::u16string text;
  if (!ui().clipboard_text(text)) return;
  if (!PasteText(text)) ShowError(data_->GetLastErrorMsg());
}

void CGridCtrl::PasteToCell() {
  if (!data_->IsEditable() || !data_->IsValidCurCell()) return;
  if (IsEditing() && !EndEdit()) return;
  const int32_t row = data_->GetCurRow(), col = data_->GetCurCol();
  if (!data_->IsColEditable(row, col)) return;
  std::u16string text;
  if (!ui().clipboard_text(text)) return;
  if (data_->UpdateData(row, col, text) != grid::kOk) {
    ShowError(data_->GetLastErrorMsg());
    return;
  }
  NotifyOthers(kMsgCellEdited, static_cast<uintptr_t>(row), col);
  update();
  PostParent(kMsgCellDataChanged);
}

void CGridCtrl::EditCellData() {
  if (!data_->IsValidCurCell()) return;
  if (IsEditing() && !EndEdit()) return;
  const int32_t row = data_->GetCurRow(), col = data_->GetCurCol();
  if (!data_->IsEditDataComplete(row, col)) return;
  // Only a cell the data would accept is editable here; others are shown.
  const bool editable = data_->IsEditable() && data_->IsColEditable(row, col);
  // Name and type of the data column: with rows and columns swapped it is
  // the display row.
  const CGridData* named = data_;
  int32_t data_col = col;
  if (style_ & kStyleSwapRowCol) {
    if (const auto* swap = dynamic_cast<const CGridData_SwapRowCol*>(data_); swap && swap->GetGridData()) {
      named = swap->GetGridData();
      data_col = row;
    }
  }
  const GridCtrlMetrics& m = Metrics();
  DataEditLook look;
  look.font = font_;
  look.text = m.GetColor(kColorText);
  look.back = m.GetColor(kColorBg);
  look.select = m.GetColor(kColorSelect);
  look.mark = m.GetColor(kColorMark);
  look.style = style_;
  const int32_t max = data_->GetMaxDataLen(row, col);
  CDataEditDlg dlg(this, named->GetDispColName(data_col), named->GetColTypeName(data_col),
                   data_->GetEditData(row, col), look, !editable, max == 0x7FFFFFFF || max < 0 ? -1 : max, settings_);
  dlg.store = [&](const std::u16string& text) {
    if (data_->UpdateData(row, col, text) != grid::kOk) {
      ShowError(data_->GetLastErrorMsg());
      return false;
    }
    return true;
  };
  data_dlg_ = &dlg;
  data_dlg_row_ = row;
  data_dlg_col_ = col;
  const int result = dlg.exec();
  data_dlg_ = nullptr;
  if (result != QDialog::Accepted || !editable || !dlg.Changed()) return;
  NotifyOthers(kMsgCellEdited, static_cast<uintptr_t>(row), col);
  NotifyOthers(kMsgRowChanged, static_cast<uintptr_t>(row));
  update();
  PostParent(kMsgCellDataChanged);
  if (status_text) status_text(u"");
}

CDataEditDlg* CGridCtrl::DataDialog() const { return data_dlg_.data(); }

bool CGridCtrl::RefreshDataDialog() {
  if (data_dlg_ == nullptr || !data_dlg_->isVisible()) return false;
  const int32_t row = data_dlg_row_, col = data_dlg_col_;
  // A cell that went away (rows deleted) keeps what the dialog shows.
  if (row < data_->GetRowCnt() && col < data_->GetColCnt()) data_dlg_->Refresh(data_->GetEditData(row, col));
  return true;
}

void CGridCtrl::InsertRowsAtCur(int32_t count) {
  if (count < 1 || !data_->IsEditable()) return;
  if (IsEditing() && !EndEdit()) return;
  const bool swapped = style_ & kStyleSwapRowCol;
  const int32_t at = swapped ? data_->GetCurCol() : data_->GetCurRow();
  const int32_t n = swapped ? data_->GetColCnt() : data_->GetRowCnt();
  if (count > 0x7FFFFFFF - n) {
    ui().message_box(kTextNoMemory, kTitleError, mb::OK | mb::ICONERROR);
    return;
  }
  if (data_->InsertRows(at, count) != grid::kOk) {
    std::u16string msg = data_->GetLastErrorMsg();
    ShowError(msg.empty() ? std::u16string(kTextNoMemory) : msg);
  }
  NotifyOthers(kMsgLayoutChanged);
  RecalcLayout();
  if (swapped) EnsureVisible(-1, at + 1);
  else EnsureVisible(at + 1, -1);
  PostParent(kMsgCurCellMoved);
  PostParent(kMsgCellDataChanged);
}

void CGridCtrl::DeleteSelectedRows() {
  if (!data_->IsValidCurRow() || !data_->IsEditable()) return;
  if (IsEditing() && !EndEdit()) return;
  const bool swapped = style_ & kStyleSwapRowCol;
  int32_t first, last;
  if (data_->HasSelection()) {
    const CellRange& s = data_->GetSelection();
    first = swapped ? s.left() : s.top_row;
    last = swapped ? s.right() : s.bottom_row;
  } else {
    first = last = swapped ? data_->GetCurCol() : data_->GetCurRow();
  }
  if (data_->DeleteRows(first, last) != grid::kOk) ShowError(data_->GetLastErrorMsg());
  data_->SetCurCell(data_->GetCurRow(), data_->GetCurCol());
  NotifyOthers(kMsgLayoutChanged);
  RecalcLayout();
  PostParent(kMsgCurCellMoved);
  PostParent(kMsgCellDataChanged);
}

void CGridCtrl::MoveToChangedCell(bool forward) {
  if (IsEditing() && !EndEdit()) return;
  const bool in_range = (style_ & kStyleSearchInRange) && data_->HasSelection();
  const ChangedCellResult r = FindChangedCell(*data_, forward, in_range);
  if (r.found) {
    if (in_range) {
      data_->SetCurCellRaw(r.row, r.col);
      EnsureVisible(r.row, r.col);
      PostParent(kMsgCurCellMoved);
      NotifyOthers(kMsgRepaint);
      update();
    } else {
      SetCurCell(r.row, r.col);
    }
  } else {
    ui().beep(0x30);
  }
  if (status_text) status_text(ChangedCellStatus(r, forward));
}

FitParams CGridCtrl::FitParamsNow() const {
  FitParams p;
  p.style = style_;
  p.padding = layout_.Padding();
  p.client_width = isVisible() ? layout_.ClientWidth() : 0;
  p.row_header_width = layout_.RowHeaderWidth();
  p.screen_width = ScreenWidth();
  p.min_col_chars = min_col_chars_;
  return p;
}

void CGridCtrl::AdjustColWidth(int32_t col, bool use_col_name) {
  kestrel::AdjustColWidth(*data_, Metrics(), col, use_col_name, FitParamsNow());
  NotifyOthers(kMsgLayoutChanged);
  RecalcLayout();
}

void CGridCtrl::AdjustAllColWidth(bool use_col_name) {
  kestrel::AdjustAllColWidth(*data_, Metrics(), use_col_name, FitParamsNow());
  NotifyOthers(kMsgLayoutChanged);
  RecalcLayout();
}

void CGridCtrl::EqualColWidth() {
  EqualColWidths(*data_);
  NotifyOthers(kMsgLayoutChanged);
  RecalcLayout();
}

bool CGridCtrl::CanRunCommand(int id) const {
  const bool editable = data_->IsEditable();
  switch (id) {
    case kCmdEditUndo: return IsEditing() || data_->CanUndo();
    case kCmdEditRedo: return IsEditing() || data_->CanRedo();
    case kCmdEditCut:
    case kCmdEditPaste:
    case kCmdPasteToCell:
    case kCmdDeleteNullRows:
    case kCmdDeleteAllNullRows:
    case kCmdInputTime: return editable && data_->IsValidCurCell();
    case kCmdInsertRow:
    case kCmdInsertRows: return editable && data_->CanInsertRow();
    case kCmdCellEdit: return editable && data_->IsValidCurCell() && !IsEditing();
    case kCmdDataEdit: return data_->IsValidCurCell();
    case kCmdDeleteRows: return editable && data_->IsValidCurRow();
    default: return true;
  }
}

bool CGridCtrl::RunCommand(int id) {
  if (int format = CopyFormatOfCommand(id)) {
    CopySelection(format);
    return true;
  }
  switch (id) {
    case kCmdEditCut: CutCells(); return true;
    case kCmdEditPaste: PasteClipboard(); return true;
    case kCmdEditSelectAll:
      if (IsEditing()) editor_->SelectAll();
      else SelectAll();
      return true;
    case kCmdEditUndo:
    case kCmdEditRedo: {
      if (IsEditing()) {
        id == kCmdEditUndo ? editor_->Undo() : editor_->Redo();
        return true;
      }
      if (!data_->IsEditable()) return true;
      const int32_t rc = id == kCmdEditUndo ? data_->Undo() : data_->Redo();
      if (rc != grid::kOk) ShowError(data_->GetLastErrorMsg());
      data_->SetCurCell(data_->GetCurRow(), data_->GetCurCol());
      NotifyOthers(kMsgLayoutChanged);
      RecalcLayout();
      EnsureVisible(data_->GetCurRow(), data_->GetCurCol());
      PostParent(kMsgCurCellMoved);
      PostParent(kMsgCellDataChanged);
      return true;
    }
    case kCmdInsertRow: InsertRowsAtCur(1); return true;
    case kCmdInsertRows: {
      int32_t n = 0;
      if (ask_insert_count) {
        n = ask_insert_count();
      } else {
        CInsertRowsDlg dlg(this);
        if (dlg.exec() == QDialog::Accepted) n = dlg.Count();
      }
      InsertRowsAtCur(n);
      return true;
    }
    case kCmdDeleteRows: DeleteSelectedRows(); return true;
    case kCmdDeleteNullRows:
    case kCmdDeleteAllNullRows: {
      const bool all = id == kCmdDeleteAllNullRows;
      if (all && warn_delete_all_null_ &&
          ui().message_box(kDeleteAllNullRowsQuestion, kTitleMessage, mb::YESNO | mb::ICONQUESTION) != IDYES)
        return true;
      if (!data_->IsEditable() || (IsEditing() && !EndEdit())) return true;
      const int32_t n = data_->DeleteNullRows(all);
      if (n > 0) {
        data_->SetCurCell(data_->GetCurRow(), data_->GetCurCol());
        NotifyOthers(kMsgLayoutChanged);
        RecalcLayout();
        PostParent(kMsgCellDataChanged);
      }
      if (status_text) status_text(format(kDeletedRowsFormat, {n}));
      return true;
    }
    case kCmdPasteToCell: PasteToCell(); return true;
    case kCmdDataEdit: EditCellData(); return true;
    case kCmdCellEdit: StartEdit(); return true;
    case kCmdNextChangedCell: MoveToChangedCell(true); return true;
    case kCmdPrevChangedCell: MoveToChangedCell(false); return true;
    case kCmdInputTime: {
      if (!current_time) return true;
      std::u16string text, error;
      if (current_time(text, error) && !text.empty()) PasteText(text);
      else if (status_text) status_text(error);
      return true;
    }
    case kCmdAdjustColWidth: AdjustAllColWidth(!(style_ & kStyleFitNoColName)); return true;
    case kCmdAdjustColWidthData: AdjustAllColWidth(false); return true;
    case kCmdAdjustColWidthName: AdjustAllColWidth(true); return true;
    case kCmdEqualColWidth: EqualColWidth(); return true;
    case kCmdInsertLineFeed:
      if (IsEditing()) editor_->InsertLineFeed();
      return true;
    case kCmdCalcSum:
    case kCmdCalcAverage:
    case kCmdCalcMax:
    case kCmdCalcMin:
    case kCmdCalcRows:
    case kCmdCalcNone:
      calc_type_ = id - kCmdCalcSum;
      if (calc_type_ == kCalcNone && selection_stat) selection_stat(u"");
      AfterSelectionChange();
      return true;
    default: return false;
  }
}

// ---- keys and input method ----

bool CGridCtrl::event(QEvent* e) {
  // Tab, Enter and the arrows stay with the grid, also inside dialogs.
  if (e->type() == QEvent::KeyPress) {
    auto* k = static_cast<QKeyEvent*>(e);
    if (k->key() == Qt::Key_Tab || k->key() == Qt::Key_Backtab) {
      keyPressEvent(k);
      return true;
    }
  }
  if (e->type() == QEvent::ShortcutOverride) {
    auto* k = static_cast<QKeyEvent*>(e);
    if ((style_ & kStyleEditKeys) && (k->modifiers() & Qt::ControlModifier)) {
      switch (k->key()) {
        case Qt::Key_A: case Qt::Key_C: case Qt::Key_V: case Qt::Key_X: case Qt::Key_Y: case Qt::Key_Z:
          e->accept();
          return true;
        default: break;
      }
    }
  }
  return CScrollWnd::event(e);
}

bool CGridCtrl::HandleEditShortcut(QKeyEvent* e) {
  if (!(style_ & kStyleEditKeys)) return false;
  const bool ctrl = e->modifiers() & Qt::ControlModifier;
  const bool alt = e->modifiers() & Qt::AltModifier;
  if (ctrl && !alt) {
    switch (e->key()) {
      case Qt::Key_A: RunCommand(kCmdEditSelectAll); return true;
      case Qt::Key_C: CopySelection(kCopyTab); return true;
      case Qt::Key_V: PasteClipboard(); return true;
      case Qt::Key_X: CutCells(); return true;
      case Qt::Key_Y: RunCommand(kCmdEditRedo); return true;
      case Qt::Key_Z: RunCommand(kCmdEditUndo); return true;
      default: return false;
    }
  }
  if (ctrl || alt) return false;
  if (e->key() == Qt::Key_Backspace) {
    if (StartEdit()) editor_->ForwardKey(e);
    return true;
  }
  const QString text = e->text();
  if (!text.isEmpty() && text.at(0).isPrint()) {
    StartEdit(u16(text));
    return true;
  }
  return false;
}

void CGridCtrl::keyPressEvent(QKeyEvent* e) {
  const GridKey key = MapKey(e->key());
  if (key == GridKey::kOther && HandleEditShortcut(e)) {
    SetEndMode(false);
    return;
  }
  bool end_mode = end_mode_;
  const KeyAction a = KeyDownAction(*data_, style_, key, ModsOf(e), layout_.PageRows(), end_mode);
  SetEndMode(end_mode);
  switch (a.kind) {
    case KeyAction::kMove: SetCurCell(a.row, a.col, a.extend && !a.clear_selection); break;
    case KeyAction::kScroll:
      SetScrollRow(ScrollRow() + a.scroll_rows);
      SetScrollCol(ScrollCol() + a.scroll_cols);
      break;
    case KeyAction::kClearSelection: ClearSelection(); break;
    case KeyAction::kClearCells: ClearCells(); break;
    case KeyAction::kStartEdit: StartEdit(); break;
    case KeyAction::kNone:
      if (key == GridKey::kOther) e->ignore();
      break;
  }
}

void CGridCtrl::inputMethodEvent(QInputMethodEvent* e) {
  if ((!e->commitString().isEmpty() || !e->preeditString().isEmpty()) && StartEdit()) {
    editor_->ForwardInputMethod(e);
    return;
  }
  e->accept();
}

QVariant CGridCtrl::inputMethodQuery(Qt::InputMethodQuery query) const {
  switch (query) {
    case Qt::ImEnabled: return data_->IsEditable();
    case Qt::ImFont: return font_;
    case Qt::ImCursorRectangle: {
      GridRect r = layout_.CellRect(*data_, data_->GetCurRow(), data_->GetCurCol());
      return QRect(r.x, r.y, r.w, r.h);
    }
    default: return CScrollWnd::inputMethodQuery(query);
  }
}

// ---- mouse ----

bool CGridCtrl::ColumnsSelectedWhole(int32_t col) const {
  const CellRange& s = data_->GetSelection();
  return data_->DragState().kind == 2 && s.top_row == 0 && s.bottom_row == data_->GetRowCnt() - 1 &&
         col >= s.left() && col <= s.right();
}

void CGridCtrl::mousePressEvent(QMouseEvent* e) {
  tip_timer_->stop();
  if (e->button() != Qt::LeftButton && e->button() != Qt::RightButton) return;
  if (IsEditing() && !EndEdit()) return;
  setFocus();
  const QPoint pos = e->position().toPoint();
  const HitResult h = layout_.HitTest(*data_, pos.x(), pos.y());
  const int32_t rows = data_->GetRowCnt(), cols = data_->GetColCnt();
  GridDragState& ds = data_->DragState();
  auto select_rows = [&](int32_t row) {
    SetCurCell(row, std::max(0, data_->GetCurCol()));
    if (style_ & kStyleRangeSelect) data_->SetSelection(0, row, cols - 1, row);
    ds.anchor = {0, row};
    ds.kind = 1;
  };
  if (e->button() == Qt::RightButton) {
    if (h.kind == HitKind::kRowHeader) {
      const CellRange& s = data_->GetSelection();
      const bool inside = ds.kind == 1 && s.top_row >= 0 && h.row >= s.top_row && h.row <= s.bottom_row;
      if (!inside) select_rows(h.row);
      NotifyOthers(kMsgRepaint);
      update();
    } else if (h.kind == HitKind::kCorner) {
      SelectAll();
    }
    ShowContextMenu(e->globalPosition().toPoint());
    return;
  }
  last_mouse_ = pos;
  switch (h.kind) {
    case HitKind::kColBorder:
      drag_ = Drag::kResize;
      resize_col_ = h.col;
      resize_start_x_ = pos.x();
      resize_old_width_ = resize_width_ = GridLayout::ColWidth(*data_, h.col);
      resize_moved_ = false;
      resize_timer_->start();
      break;
    case HitKind::kRowHeader:
      select_rows(h.row);
      drag_ = Drag::kRows;
      break;
    case HitKind::kColHeader:
      SetCurCell(std::max(0, data_->GetCurRow()), h.col);
      if ((style_ & kStyleRangeSelect) && rows > 0) data_->SetSelection(h.col, 0, h.col, rows - 1);
      ds.anchor = {h.col, 0};
      ds.kind = 2;
      drag_ = Drag::kCols;
      break;
    case HitKind::kCorner: SelectAll(); break;
    case HitKind::kCell:
      SetCurCell(h.row, h.col, e->modifiers() & Qt::ShiftModifier);
      ds.kind = 0;
      ds.state = 1;
      drag_ = Drag::kCells;
      break;
    case HitKind::kNone: break;
  }
  NotifyOthers(kMsgRepaint);
  update();
  AfterSelectionChange();
}

void CGridCtrl::UpdateDrag(const QPoint& pos) {
  const QRect c = ClientRect();
  const bool outside = !c.contains(pos);
  if (outside && !scroll_timer_->isActive()) scroll_timer_->start();
  if (!outside) scroll_timer_->stop();
  const int32_t rows = data_->GetRowCnt(), cols = data_->GetColCnt();
  if (rows <= 0 || cols <= 0) return;
  const int x = std::clamp(pos.x(), layout_.RowHeaderWidth(), std::max(layout_.RowHeaderWidth(), c.width() - 1));
  const int y = std::clamp(pos.y(), layout_.ColHeaderHeight(), std::max(layout_.ColHeaderHeight(), c.height() - 1));
  HitResult h = layout_.HitTest(*data_, x, y);
  const VisibleRange v = layout_.Visible(*data_);
  if (h.row < 0) h.row = v.first_row + std::max(0, v.row_count - 1);
  if (h.col < 0) h.col = v.first_col + std::max(0, v.col_count - 1);
  GridDragState& ds = data_->DragState();
  const CellRange before = data_->GetSelection();
  if (drag_ == Drag::kCells) {
    ds.state = 2;
    MoveCurCell(*data_, h.row, h.col, true, style_ & kStyleRangeSelect);
  } else if (drag_ == Drag::kRows) {
    data_->SetCurCellRaw(std::clamp(h.row, 0, rows - 1), data_->GetCurCol());
    if (style_ & kStyleRangeSelect) data_->SetSelection(0, ds.anchor.row, cols - 1, h.row);
  } else if (drag_ == Drag::kCols) {
    data_->SetCurCellRaw(data_->GetCurRow(), std::clamp(h.col, 0, cols - 1));
    if (style_ & kStyleRangeSelect) data_->SetSelection(ds.anchor.col, 0, h.col, rows - 1);
  }
  if (!(before == data_->GetSelection())) {
    NotifyOthers(kMsgRepaint);
    update();
    AfterSelectionChange();
  }
}

void CGridCtrl::AutoScroll() {
  if (drag_ != Drag::kCells && drag_ != Drag::kRows && drag_ != Drag::kCols) {
    scroll_timer_->stop();
    return;
  }
  const QRect c = ClientRect();
  if (last_mouse_.y() < layout_.ColHeaderHeight()) SetScrollRow(ScrollRow() - 1);
  else if (last_mouse_.y() >= c.height()) SetScrollRow(ScrollRow() + 1);
  if (last_mouse_.x() < layout_.RowHeaderWidth()) SetScrollCol(ScrollCol() - 1);
  else if (last_mouse_.x() >= c.width()) SetScrollCol(ScrollCol() + 1);
  UpdateDrag(last_mouse_);
}

void CGridCtrl::mouseMoveEvent(QMouseEvent* e) {
  const QPoint pos = e->position().toPoint();
  last_mouse_ = pos;
  if (drag_ == Drag::kResize) {
    resize_width_ = std::clamp(resize_old_width_ + pos.x() - resize_start_x_, kMinDragColWidth, kMaxColWidth);
    if (!resize_moved_) setCursor(Qt::SizeHorCursor);
    resize_moved_ = true;
    update();
    return;
  }
  if (drag_ != Drag::kNone) {
    UpdateDrag(pos);
    return;
  }
  const HitResult h = layout_.HitTest(*data_, pos.x(), pos.y());
  if (h.kind == HitKind::kColBorder) setCursor(Qt::SizeHorCursor);
  else unsetCursor();
  if ((style_ & kStyleColNameTip) && h.kind == HitKind::kColHeader) {
    if (h.col != tip_col_) {
      QToolTip::hideText();
      tip_col_ = h.col;
      tip_timer_->start();
    }
  } else if (tip_col_ != -1) {
    tip_col_ = -1;
    tip_timer_->stop();
    QToolTip::hideText();
  }
}

void CGridCtrl::mouseReleaseEvent(QMouseEvent*) {
  resize_timer_->stop();
  scroll_timer_->stop();
  if (drag_ == Drag::kResize) {
    drag_ = Drag::kNone;
    unsetCursor();
    if (resize_moved_) {
      data_->SetColWidth(resize_col_, resize_width_);
      NotifyOthers(kMsgLayoutChanged);
      RecalcLayout();
    }
    update();
    return;
  }
  drag_ = Drag::kNone;
  data_->DragState().state = 0;
}

void CGridCtrl::mouseDoubleClickEvent(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton) return;
  const QPoint pos = e->position().toPoint();
  const HitResult h = layout_.HitTest(*data_, pos.x(), pos.y());
  const bool use_names = !(style_ & kStyleFitNoColName);
  if (h.kind == HitKind::kColBorder) {
    drag_ = Drag::kNone;
    if (ColumnsSelectedWhole(h.col)) {
      const CellRange s = data_->GetSelection();
      for (int32_t c = s.left(); c <= s.right(); ++c)
        kestrel::AdjustColWidth(*data_, Metrics(), c, use_names, FitParamsNow());
    } else {
      kestrel::AdjustColWidth(*data_, Metrics(), h.col, use_names, FitParamsNow());
    }
    NotifyOthers(kMsgLayoutChanged);
    RecalcLayout();
    return;
  }
  if (h.kind == HitKind::kCell) {
    drag_ = Drag::kNone;
    if (StartEdit({}, true)) {
      // Replay the click in the editor so its caret lands under the pointer.
      QWidget* w = editor_->Widget();
      const QPointF at = w->mapFrom(this, pos);
      QMouseEvent press(QEvent::MouseButtonPress, at, w->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                        Qt::NoModifier);
      QMouseEvent release(QEvent::MouseButtonRelease, at, w->mapToGlobal(at), Qt::LeftButton, Qt::NoButton,
                          Qt::NoModifier);
      QApplication::sendEvent(w, &press);
      QApplication::sendEvent(w, &release);
    }
    return;
  }
  const bool swapped = style_ & kStyleSwapRowCol;
  if ((!swapped && h.kind == HitKind::kColHeader) || (swapped && h.kind == HitKind::kRowHeader)) {
    int32_t first, last;
    const CellRange& s = data_->GetSelection();
    if (data_->HasSelection()) {
      first = swapped ? s.top_row : s.left();
      last = swapped ? s.bottom_row : s.right();
    } else {
      first = last = swapped ? h.row : h.col;
    }
    if (parent_) parent_->post(kMsgHeaderDblClick, static_cast<uintptr_t>(first), last);
  }
}

void CGridCtrl::wheelEvent(QWheelEvent* e) {
  const int steps = e->angleDelta().y() / 120;
  if (steps != 0) SetScrollRow(ScrollRow() - steps * 3);
  e->accept();
}

void CGridCtrl::leaveEvent(QEvent*) {
  tip_col_ = -1;
  tip_timer_->stop();
}

bool CGridCtrl::HasFocusInGroup() const {
  QWidget* f = QApplication::focusWidget();
  while (f) {
    if (auto* g = dynamic_cast<CGridCtrl*>(f)) return g->data_ == data_;
    f = f->parentWidget();
  }
  return false;
}

void CGridCtrl::focusInEvent(QFocusEvent*) {
  NotifyOthers(kMsgRepaint);
  update();
  if (end_mode_changed) end_mode_changed(end_mode_);
}

void CGridCtrl::SetEndMode(bool on) {
  if (end_mode_ == on) return;
  end_mode_ = on;
  if (end_mode_changed) end_mode_changed(on);
}

void CGridCtrl::focusOutEvent(QFocusEvent*) {
  NotifyOthers(kMsgRepaint);
  update();
}

void CGridCtrl::paintEvent(QPaintEvent*) {
  QPainter p(this);
  Render(p);
}

void CGridCtrl::ShowContextMenu(const QPoint& global) {
  auto* menu = new QMenu(this);
  menu->setAttribute(Qt::WA_DeleteOnClose);
  auto add = [&](QMenu* m, int id, std::u16string_view text) {
    QAction* a = m->addAction(qs(text));
    a->setEnabled(CanRunCommand(id));
    connect(a, &QAction::triggered, this, [this, id] { RunCommand(id); });
  };
  add(menu, kCmdEditCut, kMenuCut);
  add(menu, kCmdEditCopy, kMenuCopy);
  QMenu* copy = menu->addMenu(qs(kMenuCopyAs));
  add(copy, kCmdCopyTab, kMenuCopyTab);
  add(copy, kCmdCopyTabNames, kMenuCopyTabNames);
  add(copy, kCmdCopyCsv, kMenuCopyCsv);
  add(copy, kCmdCopyCsvNames, kMenuCopyCsvNames);
  add(copy, kCmdCopyFixed, kMenuCopyFixed);
  add(copy, kCmdCopyFixedNames, kMenuCopyFixedNames);
  add(menu, kCmdEditPaste, kMenuPaste);
  add(menu, kCmdPasteToCell, kMenuPasteToCell);
  menu->addSeparator();
  add(menu, kCmdCellEdit, kMenuCellEdit);
  add(menu, kCmdDataEdit, kMenuDataEdit);
  menu->addSeparator();
  add(menu, kCmdInsertRow, kMenuInsertRow);
  add(menu, kCmdInsertRows, kMenuInsertRows);
  add(menu, kCmdDeleteRows, kMenuDeleteRows);
  if (extend_context_menu) extend_context_menu(*menu);
  menu->popup(global);
}
