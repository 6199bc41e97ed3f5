// CEditCtrl: construction, the calls hosts make, geometry, clipboard and
// search. Input handling is in edit_ctrl_input.cpp, painting in
// edit_ctrl_paint.cpp.
#include "sqltext/edit_ctrl.h"

#include <QApplication>
#include <QBitmap>
#include <QClipboard>
#include <QCursor>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QInputMethod>
#include <QMimeData>
#include <QPainter>
#include <QResizeEvent>
#include <QScrollBar>
#include <QStyle>
#include <QTimer>
#include <algorithm>

#include "platform/ui_services.h"
#include "regex/regex.h"
#include "regex/regex_constants.h"
#include "sqltext/edit_ctrl_p.h"
#include "sqltext/sqltext_constants.h"

namespace kestrel {
namespace {

// The selection margin's arrow: a 32x32 arrow pointing up and right, hot
// spot (4, 0), made once.
QCursor MakeMarginCursor() {
  QBitmap bits(32, 32);
  QBitmap mask(32, 32);
  bits.fill(Qt::color0);
  mask.fill(Qt::color0);
  QPainter pb(&bits);
  QPainter pm(&mask);
  // An arrow mirrored from the usual pointer: tip at (4, 0), body to the right.
  const QPoint outline[] = {{4, 0}, {4, 17}, {8, 13}, {11, 20}, {14, 19}, {11, 12}, {16, 12}};
  pm.setPen(Qt::color1);
  pm.setBrush(Qt::color1);
  pm.drawPolygon(outline, 7);
  const QPoint inner[] = {{5, 2}, {5, 15}, {8, 12}, {11, 18}, {12, 18}, {10, 11}, {14, 11}};
  pb.setPen(Qt::color1);
  pb.setBrush(Qt::color1);
  pb.drawPolygon(outline, 7);
  pb.setPen(Qt::color0);
  pb.setBrush(Qt::color0);
  pb.drawPolygon(inner, 7);
  pb.end();
  pm.end();
  return QCursor(bits, mask, 4, 0);
}

}  // namespace

bool EditClipboardGet(std::u16string& text, bool& box) {
  const QClipboard* cb = QGuiApplication::clipboard();
  const QMimeData* mime = cb ? cb->mimeData() : nullptr;
  box = false;
  if (!mime || !mime->hasText()) return false;
  text = FromQString(mime->text());
  box = IsBoxMime(mime);
  return true;
}

UiServices::ClipboardResult EditClipboardSet(std::u16string_view text, bool box) {
  QClipboard* cb = QGuiApplication::clipboard();
  if (!cb) return UiServices::ClipboardResult::kCannotOpen;
  cb->setMimeData(MakeMime(text, box));
  return UiServices::ClipboardResult::kOk;
}

QString ToQString(std::u16string_view s) {
  return QString(reinterpret_cast<const QChar*>(s.data()), static_cast<qsizetype>(s.size()));
}

std::u16string FromQString(const QString& s) {
  return std::u16string(reinterpret_cast<const char16_t*>(s.utf16()), static_cast<std::size_t>(s.size()));
}

bool IsBoxMime(const QMimeData* mime) {
  if (!mime || !mime->hasFormat(kEditBoxMimeType)) return false;
  QByteArray flag = mime->data(kEditBoxMimeType);
  // Written as UTF-16 by us and as plain bytes by others: accept both.
  QString text = flag.size() % 2 == 0 && flag.size() >= 2 && flag.at(1) == 0
                     ? QString::fromUtf16(reinterpret_cast<const char16_t*>(flag.constData()), flag.size() / 2)
                     : QString::fromUtf8(flag);
  while (text.endsWith(QChar(0))) text.chop(1);
  return text == QStringLiteral("TRUE");
}

QMimeData* MakeMime(std::u16string_view text, bool box) {
  auto* mime = new QMimeData;
  mime->setText(ToQString(text));
  const QString flag = ToQString(box ? kEditBoxTrue : kEditBoxFalse);
  mime->setData(kEditBoxMimeType,
                QByteArray(reinterpret_cast<const char*>(flag.utf16()), static_cast<qsizetype>(flag.size() * 2)));
  return mime;
}

}  // namespace kestrel

using namespace kestrel;

CEditCtrl::CEditCtrl(QWidget* parent)
    : QWidget(parent), data_(std::make_unique<CEditData>()), disp_(data_.get()) {
  setFocusPolicy(Qt::StrongFocus);
  setAttribute(Qt::WA_InputMethodEnabled, true);
  setAttribute(Qt::WA_OpaquePaintEvent, true);
  setAcceptDrops(true);
  setMouseTracking(true);
  setCursor(Qt::IBeamCursor);
  colors_[kEditColorText] = 0x000000;
  colors_[kEditColorBack] = 0xFFFFFF;
  colors_[kEditColorKeyword] = 0xFF0000;     // blue
  colors_[kEditColorKeyword2] = 0x800080;    // purple
  colors_[kEditColorDictionary] = 0x808000;  // teal
  colors_[kEditColorComment] = 0x008000;     // green
  colors_[kEditColorQuote] = 0x0000C0;       // dark red
  colors_[kEditColorUrl] = 0xCC6600;         // link blue
  colors_[kEditColorSelBack] = 0xD77800;
  colors_[kEditColorSelText] = 0xFFFFFF;
  colors_[kEditColorMark] = 0xB0B0B0;
  colors_[kEditColorChangedBack] = 0xDCDCFF;
  colors_[kEditColorImeCaret] = 0x0000FF;  // red
  vbar_ = new QScrollBar(Qt::Vertical, this);
  hbar_ = new QScrollBar(Qt::Horizontal, this);
  vbar_->setCursor(Qt::ArrowCursor);
  hbar_->setCursor(Qt::ArrowCursor);
  vbar_->setFocusPolicy(Qt::NoFocus);
  hbar_->setFocusPolicy(Qt::NoFocus);
  connect(vbar_, &QScrollBar::valueChanged, this, [this] { SyncFromScrollBars(); });
  connect(hbar_, &QScrollBar::valueChanged, this, [this] { SyncFromScrollBars(); });
  scroll_timer_ = new QTimer(this);
  scroll_timer_->setInterval(50);
  connect(scroll_timer_, &QTimer::timeout, this, [this] { AutoScroll(); });
  caret_timer_ = new QTimer(this);
  caret_timer_->setInterval(QApplication::cursorFlashTime() > 0 ? QApplication::cursorFlashTime() / 2 : 500);
  connect(caret_timer_, &QTimer::timeout, this, [this] {
    caret_shown_ = !caret_shown_;
    update(CaretRect());
  });
  margin_cursor_ = std::make_unique<QCursor>(MakeMarginCursor());
  SetEditorFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
}

CEditCtrl::~CEditCtrl() = default;

// --- text -------------------------------------------------------------------

void CEditCtrl::SetText(std::u16string_view text) {
  ResetIme();
  data_->SetText(text);
  data_->SetCaret(data_->EndPos());
  max_width_ = disp_.MaxDisplayWidth();
  AfterCaretMove();
  update();
}

void CEditCtrl::SetLineEndMode(int mode) { data_->SetLineEndMode(mode); }

void CEditCtrl::SetMaxLen(int64_t max_len) { data_->SetMaxLen(max_len); }

void CEditCtrl::SetReadOnly(bool read_only) {
  read_only_ = read_only;
  if (read_only) ResetIme();
  setAttribute(Qt::WA_InputMethodEnabled, !read_only);
  if (QGuiApplication::inputMethod()) QGuiApplication::inputMethod()->update(Qt::ImEnabled);
}

// --- look ---------------------------------------------------------------------

void CEditCtrl::SetEditorFont(const QFont& font) {
  setFont(font);
  UpdateMetrics();
  UpdateScrollBars();
  update();
}

void CEditCtrl::UpdateMetrics() {
  QFontMetrics fm(font());
  char_w_ = std::max(1, fm.horizontalAdvance(QLatin1Char('x')));
  line_h_ = std::max(1, fm.height());
  ascent_ = fm.ascent();
  runs_ok_ = QFontInfo(font()).fixedPitch() && fm.horizontalAdvance(QStringLiteral("MMMM")) == 4 * char_w_;
}

void CEditCtrl::SetColor(int slot, uint32_t bgr) {
  if (slot < 0 || slot >= kEditColorCount) return;
  colors_[static_cast<std::size_t>(slot)] = bgr & 0xFFFFFF;
  update();
}

void CEditCtrl::SetEditStyle(uint32_t style) {
  style_ = style;
  disp_.SetStyle(style);
  update();
}

void CEditCtrl::SetTabWidth(int width) {
  disp_.SetTabWidth(std::clamp(width, 1, 16));
  max_width_ = disp_.MaxDisplayWidth();
  UpdateScrollBars();
  update();
}

void CEditCtrl::SetMargins(int left, int top) {
  left_margin_ = std::clamp(left, 0, 200);
  top_margin_ = std::clamp(top, 0, 200);
  UpdateScrollBars();
  update();
}

void CEditCtrl::SetSelectionMargin(bool on) {
  sel_margin_ = on;
  UpdateScrollBars();
  update();
}

void CEditCtrl::SetTokenizer(const CStrToken* tokenizer) {
  tokenizer_ = tokenizer;
  disp_.SetTokenizer(tokenizer);
  update();
}

void CEditCtrl::RefreshColours() {
  disp_.InvalidateColours();
  update();
}

QColor CEditCtrl::Color(int slot) const {
  const uint32_t c = colors_[static_cast<std::size_t>(slot)];
  return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
}

// --- geometry -------------------------------------------------------------------

int CEditCtrl::TextLeft() const { return left_margin_ + (sel_margin_ ? kSelMarginWidth : 0); }

QRect CEditCtrl::TextArea() const {
  const int w = width() - (vbar_->isVisible() ? vbar_->width() : 0);
  const int h = height() - (hbar_->isVisible() ? hbar_->height() : 0);
  return QRect(0, 0, std::max(w, 0), std::max(h, 0));
}

QPoint CEditCtrl::PosToPixel(EditPos p) const {
  p = data_->Clamp(p);
  if (wrap_) {
    const Row r = RowOf(p);
    const int32_t row_start = RowStarts(p.line)[static_cast<std::size_t>(r.sub)];
    const int32_t rows = RowsBetween({disp_.GetTopLine(), top_sub_}, r, disp_.GetVisibleLines() + 2);
    return QPoint(TextLeft() + RowX(p, row_start) * char_w_, TextTop() + rows * line_h_);
  }
  const int32_t x = disp_.DisplayColumn(p) - disp_.GetLeftColumn();
  const int32_t y = p.line - disp_.GetTopLine();
  return QPoint(TextLeft() + x * char_w_, TextTop() + y * line_h_);
}

EditPos CEditCtrl::PointToPos(QPoint pt, bool nearest) const {
  const int32_t rel = pt.y() - TextTop();
  const int32_t row = rel < 0 ? -1 - (-rel - 1) / line_h_ : rel / line_h_;
  const int px = pt.x() - TextLeft();
  // Half columns: with `nearest` half a cell decides.
  const int32_t half = px < 0 ? -1 : nearest ? (2 * px + char_w_ / 2) / char_w_ : 2 * (px / char_w_);
  if (wrap_) {
    const Row r = StepRows({disp_.GetTopLine(), top_sub_}, row);
    return RowPos(r, std::max(half, 0) / 2, nearest && (std::max(half, 0) & 1) != 0);
  }
  const int32_t line = std::clamp(disp_.GetTopLine() + row, 0, data_->GetLineCnt() - 1);
  const int32_t x = std::max(disp_.GetLeftColumn() * 2 + half, 0);
  return {line, data_->ColumnAtX(line, x / 2, nearest && (x & 1) != 0)};
}

QRect CEditCtrl::CaretRect() const {
  QPoint p = PosToPixel(data_->GetCaret());
  if (!preedit_.empty()) p.rx() += PreeditColumns() * char_w_;
  return QRect(p.x() - 1, p.y(), 3, line_h_);
}

int32_t CEditCtrl::PreeditColumns() const {
  // Columns of the composition up to its cursor.
  const std::u16string_view pre(preedit_);
  return CEditDispData::DisplayColumn(pre, std::clamp(preedit_cursor_, 0, static_cast<int>(pre.size())), 8);
}

void CEditCtrl::resizeEvent(QResizeEvent*) { UpdateScrollBars(); }

int32_t CEditCtrl::WidestLine(int32_t first, int32_t last) const {
  int32_t w = 0;
  first = std::max(first, 0);
  last = std::min(last, data_->GetLineCnt() - 1);
  for (int32_t l = first; l <= last; ++l) w = std::max(w, disp_.DisplayColumn({l, data_->GetLineLen(l)}));
  return w;
}

void CEditCtrl::UpdateScrollBars() {
  if (!vbar_) return;
  const int sb = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
  // Fit the text first; a bar appears only where the text does not fit.
  const int lines = data_->GetLineCnt();
  bool need_v = (lines * line_h_ + top_margin_) > height();
  bool need_h = !wrap_ && (max_width_ + 1) * char_w_ + TextLeft() > width() - (need_v ? sb : 0);
  if (!need_v && need_h) need_v = (lines * line_h_ + top_margin_) > height() - sb;
  vbar_->setVisible(need_v);
  hbar_->setVisible(need_h);
  vbar_->setGeometry(width() - sb, 0, sb, height() - (need_h ? sb : 0));
  hbar_->setGeometry(0, height() - sb, width() - (need_v ? sb : 0), sb);
  const QRect area = TextArea();
  if (wrap_) top_sub_ = std::min(top_sub_, static_cast<int32_t>(RowStarts(disp_.GetTopLine()).size()) - 1);
  disp_.SetVisibleSize(std::max(1, (area.height() - top_margin_) / line_h_),
                       std::max(1, (area.width() - TextLeft()) / char_w_));
  syncing_bars_ = true;
  vbar_->setRange(0, std::max(0, lines - disp_.GetVisibleLines()));
  vbar_->setPageStep(disp_.GetVisibleLines());
  vbar_->setSingleStep(1);
  hbar_->setRange(0, std::max(0, max_width_ + 1 - disp_.GetVisibleColumns()));
  hbar_->setPageStep(disp_.GetVisibleColumns());
  vbar_->setValue(disp_.GetTopLine());
  hbar_->setValue(disp_.GetLeftColumn());
  syncing_bars_ = false;
}

void CEditCtrl::SyncFromScrollBars() {
  if (syncing_bars_) return;
  disp_.ScrollTo(vbar_->value(), wrap_ ? 0 : hbar_->value());
  top_sub_ = 0;
  if (QGuiApplication::inputMethod()) QGuiApplication::inputMethod()->update(Qt::ImCursorRectangle);
  update();
}

void CEditCtrl::ScrollBy(int lines, int cols) {
  if (wrap_) {
    ScrollRows(lines);
    return;
  }
  const int32_t max_top = std::max(0, data_->GetLineCnt() - disp_.GetVisibleLines());
  disp_.ScrollTo(std::clamp(disp_.GetTopLine() + lines, 0, max_top), std::max(0, disp_.GetLeftColumn() + cols));
  UpdateScrollBars();
  update();
}

void CEditCtrl::AfterCaretMove(bool keep_want_x) {
  if (!keep_want_x) want_x_ = CaretWantX();
  EnsureVisible();
  UpdateScrollBars();
  caret_shown_ = true;
  if (hasFocus()) caret_timer_->start();
  if (QGuiApplication::inputMethod() && hasFocus())
    QGuiApplication::inputMethod()->update(Qt::ImCursorRectangle | Qt::ImSurroundingText | Qt::ImCursorPosition);
  update();
}

void CEditCtrl::AfterEdit() {
  // Grow the widest-line figure with the edited line; shrinking waits for
  // the next load (a scroll range a little too wide does no harm).
  const EditPos c = data_->GetCaret();
  max_width_ = std::max(max_width_, WidestLine(c.line, c.line));
  AfterCaretMove();
  if (on_change) on_change();
}

// --- caret, selection, editing ----------------------------------------------------

void CEditCtrl::SetSel(EditPos anchor, EditPos caret, bool box) {
  data_->SetSelection(data_->Clamp(anchor), data_->Clamp(caret), box);
  AfterCaretMove();
}

void CEditCtrl::SelectAll() {
  data_->SetSelection(EditPos{}, data_->EndPos());
  AfterCaretMove();
}

int CEditCtrl::ReplaceSel(std::u16string_view text) {
  if (!EditAllowed()) return 1;
  if (data_->Paste(text, false) != 0) {
    Beep();
    return 1;
  }
  AfterEdit();
  return 0;
}

uint32_t CEditCtrl::GetUndoSequence() const { return data_->GetUndoData().CurrentSeq(); }

void CEditCtrl::Undo() {
  if (!EditAllowed() || !data_->CanUndo()) return;
  data_->Undo();
  AfterEdit();
}

void CEditCtrl::Redo() {
  if (!EditAllowed() || !data_->CanRedo()) return;
  data_->Redo();
  AfterEdit();
}

namespace {

// Puts the text on the clipboard; a failure shows its message. True on success.
bool SetClipboard(std::u16string_view text, bool box) {
  using R = UiServices::ClipboardResult;
  const R r = ui().set_clipboard_text_box(text, box);
  if (r == R::kOk) return true;
  const char16_t* msg = r == R::kCannotOpen    ? kEditClipboardOpenError
                        : r == R::kCannotEmpty ? kEditClipboardEmptyError
                                               : kEditClipboardSetError;
  ui().message_box(msg, u"", mb::OK | mb::ICONERROR);
  return false;
}

}  // namespace

void CEditCtrl::Copy() {
  if (!data_->HasSelection()) return;
  // Out with the buffer's line end, as the text is got for hosts.
  SetClipboard(data_->GetSelectedText(), data_->IsBoxSelect());
}

void CEditCtrl::Cut() {
  if (!data_->HasSelection() || !EditAllowed()) return;
  // The text stays where it is when the clipboard did not take it.
  if (!SetClipboard(data_->GetSelectedText(), data_->IsBoxSelect())) return;
  if (data_->DeleteSelection() != 0) {
    Beep();
    return;
  }
  AfterEdit();
}

void CEditCtrl::Paste() {
  if (!EditAllowed()) return;
  std::u16string text;
  bool box = false;
  if (!ui().clipboard_text_box(text, box)) return;
  PasteText(text, box);
}

void CEditCtrl::PasteText(std::u16string_view text, bool box) {
  if (!EditAllowed()) return;
  if (data_->Paste(text, box) != 0) {
    Beep();
    return;
  }
  max_width_ = std::max(max_width_, WidestLine(data_->GetSelStart().line, data_->GetCaret().line));
  AfterEdit();
}

void CEditCtrl::Indent() {
  if (!EditAllowed()) return;
  if (data_->Indent(disp_.GetTabWidth(), tab_spaces_) != 0) {
    Beep();
    return;
  }
  AfterEdit();
}

void CEditCtrl::Unindent() {
  if (!EditAllowed()) return;
  const uint32_t before = GetUndoSequence();
  if (data_->Unindent(disp_.GetTabWidth()) != 0) {
    Beep();
    return;
  }
  if (GetUndoSequence() != before) AfterEdit();
}

bool CEditCtrl::OnCommand(int id) {
  switch (id) {
    case kEditCmdUndo: Undo(); return true;
    case kEditCmdRedo: Redo(); return true;
    case kEditCmdCopy: Copy(); return true;
    case kEditCmdCut: Cut(); return true;
    case kEditCmdPaste: Paste(); return true;
    case kEditCmdSelectAll: SelectAll(); return true;
    case kEditCmdInsertLineFeed: TypeChars(u"\n"); return true;
    default: return false;
  }
}

bool CEditCtrl::IsCommandEnabled(int id) const {
  switch (id) {
    case kEditCmdUndo: return !read_only_ && data_->CanUndo();
    case kEditCmdRedo: return !read_only_ && data_->CanRedo();
    case kEditCmdCopy: return data_->HasSelection();
    case kEditCmdCut: return !read_only_ && data_->HasSelection();
    case kEditCmdPaste: return !read_only_;
    case kEditCmdSelectAll: return true;
    case kEditCmdInsertLineFeed: return !read_only_;
    default: return false;
  }
}

bool CEditCtrl::EditAllowed() {
  if (!read_only_) return true;
  Beep();
  return false;
}

void CEditCtrl::Beep() { ui().beep(mb::ICONEXCLAMATION); }

// --- search ---------------------------------------------------------------------

int CEditCtrl::FindNext(std::u16string_view pattern, bool forward, bool ignore_case) {
  std::unique_ptr<Regex> re = compile_regex(pattern, ignore_case ? kRegexIgnoreCase : 0);
  if (!re) return -1;
  EditPos start, end;
  // Forward from the selection's end; backward from its start, so the same
  // match is not found again.
  const EditPos from = forward ? data_->GetSelEnd() : data_->GetSelStart();
  int found = data_->Search(*re, from, forward, &start, &end);
  if (found == 1 && start == end && start == from && forward) {
    // An empty match where the last one ended: step on.
    const EditPos next = data_->NextPos(from);
    found = next == from ? 0 : data_->Search(*re, next, true, &start, &end);
  }
  int result = found == 1 ? 1 : 0;
  if (found != 1) {
    // Once round the text from the other end.
    found = data_->Search(*re, forward ? EditPos{} : data_->EndPos(), forward, &start, &end);
    if (!forward && found != 1) {
      // Backward from the very end misses a match ending there: try at it.
      found = data_->Search(*re, data_->EndPos(), true, &start, &end);
    }
    if (found == 1) result = 2;
  }
  if (result == 0) return 0;
  data_->SetSelection(start, end);
  AfterCaretMove();
  return result;
}

int CEditCtrl::ReplaceSelMatch(std::u16string_view pattern, std::u16string_view replacement, bool ignore_case) {
  std::unique_ptr<Regex> re = compile_regex(pattern, ignore_case ? kRegexIgnoreCase : 0);
  if (!re) return -1;
  const EditPos s = data_->GetSelStart();
  const EditPos e = data_->GetSelEnd();
  EditPos ms, me;
  // The selection counts as a match only when the pattern matches exactly it.
  const bool is_match = data_->HasSelection() && !data_->IsBoxSelect() && data_->Search(*re, s, true, &ms, &me) == 1 &&
                        ms == s && me == e;
  if (!is_match) {
    FindNext(pattern, true, ignore_case);
    return 0;
  }
  if (!EditAllowed()) return -1;
  EditPos after;
  if (data_->ReplaceOne(*re, s, e, replacement, false, &after) != 1) {
    Beep();
    return -1;
  }
  AfterEdit();
  EditPos ns, ne;
  if (data_->Search(*re, after, true, &ns, &ne) == 1) {
    data_->SetSelection(ns, ne);
    AfterCaretMove();
  }
  return 1;
}

int CEditCtrl::ReplaceAll(std::u16string_view pattern, std::u16string_view replacement, bool ignore_case,
                          bool in_selection) {
  std::unique_ptr<Regex> re = compile_regex(pattern, ignore_case ? kRegexIgnoreCase : 0);
  if (!re) return -1;
  if (!EditAllowed()) return -1;
  const int n = data_->ReplaceAll(*re, replacement, false, in_selection && data_->HasSelection());
  if (n < 0) {
    Beep();
    return -1;
  }
  if (n > 0) {
    max_width_ = disp_.MaxDisplayWidth();
    AfterEdit();
  }
  return n;
}

// --- input method reset -------------------------------------------------------------

void CEditCtrl::ResetIme() {
  if (preedit_.empty()) return;
  preedit_.clear();
  preedit_cursor_ = 0;
  if (QGuiApplication::inputMethod() && hasFocus()) QGuiApplication::inputMethod()->reset();
  update();
}
