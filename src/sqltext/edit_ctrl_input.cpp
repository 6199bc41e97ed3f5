// CEditCtrl input: keys, mouse, wheel, drag and drop, input method, links
// and word completion.
#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QDrag>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGuiApplication>
#include <QInputMethod>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTimer>
#include <QWheelEvent>
#include <algorithm>

#include "platform/ui_services.h"
#include "platform/utf16.h"
#include "sqltext/edit_ctrl.h"
#include "sqltext/edit_ctrl_p.h"
#include "sqltext/keyword_table.h"
#include "sqltext/sqltext_constants.h"
#include "sqltext/str_token.h"
#include "sqltext/url_marker.h"

using namespace kestrel;

namespace {

bool IsWordChar(char16_t c) {
  return (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || c == u'_' ||
         c == u'$' || c == u'#' || c >= 0x80;
}

constexpr std::u16string_view kUrlPrefixes[] = {u"http://", u"https://", u"ftp://", u"www."};

bool StartsWithUrlPrefix(std::u16string_view s) {
  for (std::u16string_view p : kUrlPrefixes)
    if (s.substr(0, p.size()) == p) return true;
  return false;
}

// An e-mail address as the marking finds one: letters, digits and "_-.+"
// before one "@", letters, digits and "_-." after it, both sides non-empty.
bool IsEmail(std::u16string_view s) {
  const std::size_t at = s.find(u'@');
  if (at == 0 || at == std::u16string_view::npos || at + 1 >= s.size()) return false;
  auto alnum = [](char16_t c) { return (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z'); };
  for (std::size_t i = 0; i < at; ++i)
    if (!alnum(s[i]) && s[i] != u'_' && s[i] != u'-' && s[i] != u'.' && s[i] != u'+') return false;
  for (std::size_t i = at + 1; i < s.size(); ++i)
    if (!alnum(s[i]) && s[i] != u'_' && s[i] != u'-' && s[i] != u'.') return false;
  return true;
}

}  // namespace

namespace kestrel {

// The link under column `col` of a marked word starting at `word_start`:
// marked runs may touch ("a@bhttp://x"), so the word is split where a URL
// prefix begins and only the piece holding `col` is taken. Returns the URL
// to open (absolute http, https, ftp or mailto), or empty.
std::u16string LinkToOpen(std::u16string_view word, std::size_t col) {
  std::size_t from = 0;
  std::size_t to = word.size();
  for (std::size_t i = 1; i < word.size(); ++i) {
    if (!StartsWithUrlPrefix(word.substr(i))) continue;
    if (i <= col) from = i;
    else {
      to = i;
      break;
    }
  }
  std::u16string_view piece = word.substr(from, to - from);
  if (StartsWithUrlPrefix(piece)) {
    for (std::u16string_view p : kUrlPrefixes)
      if (piece == p) return {};  // a bare prefix is no link
    // The desktop opener takes a scheme-less "www." text for a local path.
    if (piece.substr(0, 4) == u"www.") return u"http://" + std::u16string(piece);
    return std::u16string(piece);
  }
  if (IsEmail(piece)) return u"mailto:" + std::u16string(piece);
  return {};
}

}  // namespace kestrel

// --- keys -------------------------------------------------------------------------

bool CEditCtrl::event(QEvent* e) {
  if (e->type() == QEvent::ShortcutOverride) {
    // Keys this control handles itself win over menu accelerators.
    auto* ke = static_cast<QKeyEvent*>(e);
    if (HandleKey(ke, true)) {
      e->accept();
      return true;
    }
  }
  return QWidget::event(e);
}

void CEditCtrl::keyPressEvent(QKeyEvent* e) {
  if (key_hook && key_hook(e)) return;
  if (HandleKey(e, false)) {
    e->accept();
    return;
  }
  QWidget::keyPressEvent(e);
}

void CEditCtrl::MoveCaret(EditPos p, bool extend, bool box) {
  p = data_->Clamp(p);
  if (extend) {
    const EditPos anchor = data_->HasSelection() ? data_->GetSelAnchor() : data_->GetCaret();
    data_->SetSelection(anchor, p, box);
  } else {
    data_->SetCaret(p);
  }
}

bool CEditCtrl::HandleKey(QKeyEvent* e, bool dry_run) {
  const Qt::KeyboardModifiers mods = e->modifiers() & ~Qt::KeypadModifier;
  const bool ctrl = mods & Qt::ControlModifier;
  const bool shift = mods & Qt::ShiftModifier;
  const bool alt = mods & Qt::AltModifier;
  const bool box = alt && shift;  // Alt+Shift+arrows extend a box
  const int key = e->key();
  const EditPos caret = data_->GetCaret();
  const bool plain = !alt || box;

  // Caret movements.
  bool moved = false;
  bool keep_x = false;
  EditPos to = caret;
  switch (key) {
    case Qt::Key_Left:
      if (!plain) return false;
      if (dry_run) return true;
      if (ctrl) to = CEditDispData::PrevWordPos(*data_, caret);
      else if (data_->HasSelection() && !shift) to = data_->IsBoxSelect() ? caret : data_->GetSelStart();
      else to = data_->PrevPos(caret);
      moved = true;
      break;
    case Qt::Key_Right:
      if (!plain) return false;
      if (dry_run) return true;
      if (ctrl) to = CEditDispData::NextWordPos(*data_, caret);
      else if (data_->HasSelection() && !shift) to = data_->IsBoxSelect() ? caret : data_->GetSelEnd();
      else to = data_->NextPos(caret);
      moved = true;
      break;
    case Qt::Key_Up:
    case Qt::Key_Down: {
      if (!plain) return false;
      if (dry_run) return true;
      const int d = key == Qt::Key_Up ? -1 : 1;
      if (ctrl && !box) {
        ScrollBy(d, 0);
        return true;
      }
      to = MoveRows(caret, d);
      moved = keep_x = true;
      break;
    }
    case Qt::Key_PageUp:
    case Qt::Key_PageDown: {
      if (alt) return false;
      if (dry_run) return true;
      const int d = (key == Qt::Key_PageUp ? -1 : 1) * disp_.PageLines();
      if (ctrl) {
        ScrollBy(d, 0);
        return true;
      }
      // The view moves with the caret, so the caret keeps its place on screen.
      if (wrap_) {
        ScrollRows(d);
      } else {
        const int32_t max_top = std::max(0, data_->GetLineCnt() - disp_.GetVisibleLines());
        disp_.ScrollTo(std::clamp(disp_.GetTopLine() + d, 0, max_top), disp_.GetLeftColumn());
      }
      to = MoveRows(caret, d);
      moved = keep_x = true;
      break;
    }
    case Qt::Key_Home:
      if (alt) return false;
      if (dry_run) return true;
      to = ctrl ? EditPos{} : EditPos{caret.line, 0};
      moved = true;
      break;
    case Qt::Key_End:
      if (alt) return false;
      if (dry_run) return true;
      to = ctrl ? data_->EndPos() : EditPos{caret.line, data_->GetLineLen(caret.line)};
      moved = true;
      break;
    default:
      break;
  }
  if (moved) {
    if (box && !data_->IsBoxSelect() && data_->HasSelection()) data_->ClearSelection();
    MoveCaret(to, shift, box || (shift && data_->IsBoxSelect()));
    AfterCaretMove(keep_x);
    return true;
  }

  // Editing and clipboard keys.
  if (alt) return false;
  auto run = [&](auto&& fn) {
    if (!dry_run) fn();
    return true;
  };
  if (ctrl && !shift) {
    switch (key) {
      case Qt::Key_Z: return run([&] { Undo(); });
      case Qt::Key_Y: return run([&] { Redo(); });
      case Qt::Key_C:
      case Qt::Key_Insert: return run([&] { Copy(); });
      case Qt::Key_X: return run([&] { Cut(); });
      case Qt::Key_V: return run([&] { Paste(); });
      case Qt::Key_A: return run([&] { SelectAll(); });
      case Qt::Key_J: return run([&] { ShowCompletion(); });
      default: break;
    }
  }
  if (ctrl && shift && key == Qt::Key_Z) return run([&] { Redo(); });
  if (shift && !ctrl && key == Qt::Key_Insert) return run([&] { Paste(); });
  if (shift && !ctrl && key == Qt::Key_Delete) return run([&] { Cut(); });
  switch (key) {
    case Qt::Key_Backspace:
    case Qt::Key_Delete:
      return run([&] {
        if (!EditAllowed()) return;
        const uint32_t before = GetUndoSequence();
        const int rc = data_->HasSelection() ? data_->DeleteSelection()
                       : key == Qt::Key_Backspace ? data_->Backspace()
                                                  : data_->DeleteChar();
        if (rc != 0) Beep();
        if (GetUndoSequence() != before) AfterEdit();
      });
    case Qt::Key_Return:
    case Qt::Key_Enter:
      if (ctrl) return false;
      return run([&] { TypeChars(u"\n"); });
    case Qt::Key_Tab:
    case Qt::Key_Backtab: {
      if (ctrl) return false;
      const bool multi = data_->HasSelection() && data_->GetSelStart().line != data_->GetSelEnd().line;
      if (key == Qt::Key_Backtab || shift) return run([&] { Unindent(); });
      if (multi) return run([&] { Indent(); });
      return run([&] {
        if (!tab_spaces_) {
          TypeChars(u"\t");
          return;
        }
        const int tab = disp_.GetTabWidth();
        const int32_t x = disp_.DisplayColumn(data_->GetSelStart());
        TypeChars(std::u16string(static_cast<std::size_t>(tab - x % tab), u' '));
      });
    }
    default: break;
  }
  if (ctrl) return false;
  const QString text = e->text();
  if (text.isEmpty()) return false;
  for (QChar c : text)
    if (c.unicode() < 0x20 || c.unicode() == 0x7F) return false;
  return run([&] { TypeChars(FromQString(text)); });
}

void CEditCtrl::TypeChars(std::u16string_view text) {
  if (!EditAllowed()) return;
  if (data_->TypeText(text) != 0) {
    Beep();
    return;
  }
  AfterEdit();
}

// --- mouse -------------------------------------------------------------------------

bool CEditCtrl::LinkAt(QPoint pt, EditPos* pos) const {
  if (!(style_ & kEditStyleUrl) || pt.x() < TextLeft() || pt.y() < TextTop()) return false;
  const EditPos p = PointToPos(pt, false);
  std::u16string_view text = data_->GetLine(p.line);
  if (p.col >= static_cast<int32_t>(text.size())) return false;
  // Below the last line nothing is under the mouse.
  if (PosToPixel(p).y() + line_h_ <= pt.y()) return false;
  std::span<uint8_t> attr = data_->GetLineAttr(p.line);
  if (static_cast<std::size_t>(p.col) >= attr.size() || !(attr[static_cast<std::size_t>(p.col)] & kAttrUrl)) return false;
  *pos = p;
  return true;
}

void CEditCtrl::OpenLinkAt(EditPos p) {
  std::u16string_view text = data_->GetLine(p.line);
  std::span<uint8_t> attr = data_->GetLineAttr(p.line);
  std::u16string_view word = MarkedWordAt(text, attr, static_cast<std::size_t>(p.col));
  if (word.empty()) return;
  const std::size_t start = static_cast<std::size_t>(word.data() - text.data());
  const std::u16string url = LinkToOpen(word, static_cast<std::size_t>(p.col) - start);
  if (!url.empty()) ui().open_url(url);
}

void CEditCtrl::mousePressEvent(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton) return;
  setFocus(Qt::MouseFocusReason);
  ResetIme();
  const QPoint pt = e->position().toPoint();
  last_mouse_ = pt;
  const Qt::KeyboardModifiers mods = e->modifiers();
  EditPos link;
  if ((mods & Qt::ControlModifier) && LinkAt(pt, &link)) {
    OpenLinkAt(link);
    return;
  }
  const EditPos p = PixelToPos(pt);
  if (sel_margin_ && pt.x() < TextLeft()) {
    // Whole lines from the margin; Shift extends by lines.
    const EditPos line_start{p.line, 0};
    const EditPos next = p.line + 1 < data_->GetLineCnt() ? EditPos{p.line + 1, 0} : data_->EndPos();
    if ((mods & Qt::ShiftModifier) && data_->HasSelection()) {
      const EditPos a = data_->GetSelAnchor();
      data_->SetSelection(a, a <= line_start ? next : line_start);
    } else {
      data_->SetSelection(line_start, next);
      drag_anchor_ = line_start;
      drag_anchor_end_ = next;
    }
    drag_ = Drag::kLines;
  } else if (mods & Qt::AltModifier) {
    const EditPos anchor = (mods & Qt::ShiftModifier) && data_->HasSelection() ? data_->GetSelAnchor() : p;
    data_->SetSelection(anchor, p, true);
    drag_ = Drag::kBox;
  } else if (!(mods & Qt::ShiftModifier) && InSelection(PointToPos(pt, false)) && data_->HasSelection()) {
    // A press on the selection may start dragging it out; a click without
    // moving places the caret on release.
    press_pt_ = pt;
    drag_ = Drag::kMaybeDragOut;
    return;
  } else {
    MoveCaret(p, (mods & Qt::ShiftModifier) != 0, false);
    drag_ = Drag::kText;
  }
  AfterCaretMove();
}

bool CEditCtrl::InSelection(EditPos p) const {
  if (!data_->HasSelection()) return false;
  if (data_->IsBoxSelect()) {
    const CEditData::BoxRect box = data_->GetBoxRect(data_->GetSelAnchor(), data_->GetCaret());
    if (p.line < box.top || p.line > box.bottom) return false;
    int32_t from = 0, to = 0;
    data_->BoxColumns(box, p.line, &from, &to);
    return p.col >= from && p.col < to;
  }
  return p >= data_->GetSelStart() && p < data_->GetSelEnd() && p.col < data_->GetLineLen(p.line);
}

void CEditCtrl::StartDragOut() {
  const bool box = data_->IsBoxSelect();
  const std::u16string text =
      box ? data_->GetBoxText(data_->GetSelAnchor(), data_->GetCaret()) : data_->GetSelectedText();
  auto* drag = new QDrag(this);  // owned by Qt once exec() runs
  drag->setMimeData(MakeMime(text, box));
  self_move_done_ = false;
  const Qt::DropAction action = drag->exec(read_only_ ? Qt::CopyAction : Qt::CopyAction | Qt::MoveAction, Qt::MoveAction);
  // Moved to another window: the text leaves this one. A move inside this
  // control was done by the drop itself.
  if (action == Qt::MoveAction && !self_move_done_ && drag->target() != this && !read_only_ && data_->HasSelection()) {
    if (data_->DeleteSelection() == 0) AfterEdit();
  }
}

void CEditCtrl::mouseDoubleClickEvent(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton) return;
  const QPoint pt = e->position().toPoint();
  if (sel_margin_ && pt.x() < TextLeft()) {
    mousePressEvent(e);
    return;
  }
  // The word under the mouse (characters of one kind, as Ctrl+arrows stop).
  const EditPos under = PointToPos(QPoint(std::max(pt.x(), TextLeft()), std::max(pt.y(), TextTop())), false);
  const int32_t line = under.line;
  const int32_t col = under.col;
  std::u16string_view text = data_->GetLine(line);
  if (col >= static_cast<int32_t>(text.size())) return;
  EditPos end = CEditDispData::NextWordPos(*data_, {line, col});
  // NextWordPos skips blanks after the word: step back over them.
  while (end.col > col && (text[static_cast<std::size_t>(end.col) - 1] == u' ' || text[static_cast<std::size_t>(end.col) - 1] == u'\t'))
    --end.col;
  if (end.line != line) end = {line, static_cast<int32_t>(text.size())};
  if (end.col == col) end = data_->NextPos({line, col});
  EditPos start = CEditDispData::PrevWordPos(*data_, data_->NextPos({line, col}));
  if (start.line != line || start.col > col) start = {line, col};
  data_->SetSelection(start, end);
  drag_anchor_ = start;
  drag_anchor_end_ = end;
  drag_ = Drag::kWords;
  AfterCaretMove();
}

void CEditCtrl::mouseMoveEvent(QMouseEvent* e) {
  const QPoint pt = e->position().toPoint();
  last_mouse_ = pt;
  if (drag_ == Drag::kMaybeDragOut) {
    if ((pt - press_pt_).manhattanLength() >= QApplication::startDragDistance()) {
      drag_ = Drag::kNone;
      StartDragOut();
    }
    return;
  }
  if (drag_ == Drag::kNone) {
    EditPos link;
    if (sel_margin_ && pt.x() < TextLeft()) setCursor(*margin_cursor_);
    else if ((e->modifiers() & Qt::ControlModifier) && LinkAt(pt, &link)) setCursor(Qt::PointingHandCursor);
    else setCursor(Qt::IBeamCursor);
    return;
  }
  const QRect area = TextArea();
  const bool outside = pt.y() < TextTop() || pt.y() >= area.bottom() || pt.x() < TextLeft() - (drag_ == Drag::kLines ? TextLeft() : 0) ||
                       pt.x() >= area.right();
  if (outside && !scroll_timer_->isActive()) scroll_timer_->start();
  if (!outside) scroll_timer_->stop();
  AutoScroll();
}

void CEditCtrl::AutoScroll() {
  if (drag_ == Drag::kNone) {
    scroll_timer_->stop();
    return;
  }
  const QRect area = TextArea();
  const QPoint pt = last_mouse_;
  if (scroll_timer_->isActive()) {
    int dl = 0;
    int dc = 0;
    if (pt.y() < TextTop()) dl = -1;
    else if (pt.y() >= area.bottom()) dl = 1;
    if (drag_ != Drag::kLines) {
      if (pt.x() < TextLeft()) dc = -1;
      else if (pt.x() >= area.right()) dc = 1;
    }
    if (dl || dc) ScrollBy(dl, dc);
  }
  const EditPos p = PixelToPos(QPoint(std::clamp(pt.x(), 0, area.right()), std::clamp(pt.y(), TextTop() - line_h_, area.bottom() + line_h_)));
  switch (drag_) {
    case Drag::kText: data_->SetSelection(data_->HasSelection() ? data_->GetSelAnchor() : data_->GetCaret(), p); break;
    case Drag::kBox: data_->SetSelection(data_->HasSelection() ? data_->GetSelAnchor() : data_->GetCaret(), p, true); break;
    case Drag::kLines:
    case Drag::kWords: {
      // Whole units: the selection always covers the unit the drag began on.
      EditPos unit_start{p.line, 0};
      EditPos unit_end = p.line + 1 < data_->GetLineCnt() ? EditPos{p.line + 1, 0} : data_->EndPos();
      if (drag_ == Drag::kWords) unit_start = unit_end = p;
      if (unit_start < drag_anchor_) data_->SetSelection(drag_anchor_end_, unit_start);
      else data_->SetSelection(drag_anchor_, std::max(unit_end, drag_anchor_end_));
      break;
    }
    case Drag::kNone:
    case Drag::kMaybeDragOut: break;
  }
  EnsureVisible();
  UpdateScrollBars();
  update();
}

void CEditCtrl::mouseReleaseEvent(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton) return;
  if (drag_ == Drag::kMaybeDragOut) data_->SetCaret(PixelToPos(press_pt_));
  drag_ = Drag::kNone;
  scroll_timer_->stop();
  AfterCaretMove();
}

void CEditCtrl::wheelEvent(QWheelEvent* e) {
  const QPoint d = e->angleDelta();
  wheel_accum_ += (e->modifiers() & Qt::ShiftModifier) ? QPoint(d.y(), 0) : d;
  const int lines = wheel_accum_.y() / 120;
  const int cols = wheel_accum_.x() / 120;
  wheel_accum_ -= QPoint(cols * 120, lines * 120);
  if (lines || cols) ScrollBy(-lines * 3, -cols * 3);
  e->accept();
}

void CEditCtrl::focusInEvent(QFocusEvent*) {
  caret_shown_ = true;
  caret_timer_->start();
  update();
}

void CEditCtrl::focusOutEvent(QFocusEvent*) {
  caret_timer_->stop();
  drag_ = Drag::kNone;
  scroll_timer_->stop();
  update();
}

// --- drag and drop -------------------------------------------------------------------

void CEditCtrl::dragEnterEvent(QDragEnterEvent* e) {
  if (!read_only_ && e->mimeData()->hasText()) e->acceptProposedAction();
  else e->ignore();
}

void CEditCtrl::dragMoveEvent(QDragMoveEvent* e) {
  if (!read_only_ && e->mimeData()->hasText()) e->acceptProposedAction();
  else e->ignore();
}

void CEditCtrl::dropEvent(QDropEvent* e) {
  if (read_only_ || !e->mimeData()->hasText()) {
    e->ignore();
    return;
  }
  const EditPos at = data_->Clamp(PixelToPos(e->position().toPoint()));
  if (e->source() == this && e->dropAction() == Qt::MoveAction && data_->IsBoxSelect()) {
    // A box moved inside this control leaves its place: one undo step.
    self_move_done_ = true;
    e->acceptProposedAction();
    if (data_->MoveBox(at) != 0) Beep();
    AfterEdit();
    return;
  }
  if (e->source() == this && e->dropAction() == Qt::MoveAction && data_->HasSelection()) {
    // Moving text inside this control: one undo step, nothing when dropped
    // onto the selection itself.
    const EditPos s = data_->GetSelStart();
    const EditPos end = data_->GetSelEnd();
    self_move_done_ = true;
    e->acceptProposedAction();
    if (at >= s && at <= end) return;
    const std::u16string text = data_->GetText(s, end);
    data_->StartUndoSet();
    int rc = 0;
    EditPos new_end;
    if (at > end) {
      rc = data_->InsertText(at, text, &new_end);
      if (rc == 0) rc = data_->DeleteText(s, end);
    } else {
      rc = data_->DeleteText(s, end);
      if (rc == 0) rc = data_->InsertText(at, text, &new_end);
    }
    data_->EndUndoSet();
    if (rc != 0) {
      Beep();
      data_->Undo();
    }
    AfterEdit();
    return;
  }
  InsertData(e->mimeData(), at);
  e->acceptProposedAction();
}

void CEditCtrl::contextMenuEvent(QContextMenuEvent* e) {
  QMenu menu(this);
  const struct {
    int id;
    const char* caption;
  } items[] = {{kEditCmdUndo, "元に戻す(&U)"},  {kEditCmdRedo, "やり直し(&R)"}, {0, nullptr},
               {kEditCmdCut, "切り取り(&T)"},   {kEditCmdCopy, "コピー(&C)"},   {kEditCmdPaste, "貼り付け(&P)"},
               {0, nullptr},                    {kEditCmdSelectAll, "すべて選択(&A)"}};
  for (const auto& item : items) {
    if (!item.caption) {
      menu.addSeparator();
      continue;
    }
    QAction* act = menu.addAction(QString::fromUtf8(item.caption));
    act->setEnabled(IsCommandEnabled(item.id));
    const int id = item.id;
    connect(act, &QAction::triggered, this, [this, id] { OnCommand(id); });
  }
  menu.exec(e->globalPos());
}

void CEditCtrl::InsertData(const QMimeData* mime, EditPos at) {
  data_->SetCaret(data_->Clamp(at));
  PasteText(FromQString(mime->text()), IsBoxMime(mime));
}

// --- input method -------------------------------------------------------------------

void CEditCtrl::inputMethodEvent(QInputMethodEvent* e) {
  if (read_only_) {
    e->ignore();
    return;
  }
  if (!e->commitString().isEmpty()) {
    preedit_.clear();
    TypeChars(FromQString(e->commitString()));
  }
  preedit_ = FromQString(e->preeditString());
  preedit_cursor_ = static_cast<int>(preedit_.size());
  for (const QInputMethodEvent::Attribute& a : e->attributes())
    if (a.type == QInputMethodEvent::Cursor) preedit_cursor_ = std::clamp(a.start, 0, static_cast<int>(preedit_.size()));
  if (!preedit_.empty()) {
    // Composing replaces the selection once committed; show it at the caret.
    EnsureVisible();
  }
  caret_shown_ = true;
  update();
  e->accept();
}

QVariant CEditCtrl::inputMethodQuery(Qt::InputMethodQuery query) const {
  const EditPos caret = data_->GetCaret();
  switch (query) {
    case Qt::ImEnabled: return !read_only_;
    case Qt::ImCursorRectangle: return CaretRect();
    case Qt::ImFont: return font();
    case Qt::ImSurroundingText: return ToQString(data_->GetLine(caret.line));
    case Qt::ImCursorPosition: return caret.col;
    case Qt::ImAnchorPosition: {
      const EditPos a = data_->HasSelection() ? data_->GetSelAnchor() : caret;
      return a.line == caret.line ? a.col : caret.col;
    }
    case Qt::ImCurrentSelection: return ToQString(data_->GetSelectedText());
    case Qt::ImMaximumTextLength: return data_->GetMaxLen() > 0 ? QVariant(static_cast<qlonglong>(data_->GetMaxLen())) : QVariant();
    case Qt::ImHints: return static_cast<int>(Qt::ImhMultiLine);
    default: return QWidget::inputMethodQuery(query);
  }
}

// --- completion -----------------------------------------------------------------------

void CEditCtrl::ShowCompletion() {
  if (read_only_ || !tokenizer_) return;
  std::shared_ptr<const KeywordTable> table = tokenizer_->ActiveKeywords();
  if (!table || table->empty()) return;
  const EditPos caret = data_->GetCaret();
  std::u16string_view line = data_->GetLine(caret.line);
  int32_t start = caret.col;
  while (start > 0 && IsWordChar(line[static_cast<std::size_t>(start) - 1])) --start;
  const std::u16string prefix(line.substr(static_cast<std::size_t>(start), static_cast<std::size_t>(caret.col - start)));
  const std::u16string key = table->case_insensitive() ? ascii_upper(prefix) : prefix;
  const std::vector<KeywordEntry>& entries = table->entries();
  auto it = std::lower_bound(entries.begin(), entries.end(), key,
                             [](const KeywordEntry& e, const std::u16string& k) { return e.key < k; });
  QMenu menu(this);
  constexpr int kMaxItems = 200;
  int n = 0;
  for (; it != entries.end() && n < kMaxItems && std::u16string_view(it->key).substr(0, key.size()) == key; ++it, ++n) {
    QString label = ToQString(it->word) + QLatin1Char('\t') + ToQString(it->kind_name);
    if (!it->description.empty()) label += QStringLiteral("  ") + ToQString(it->description);
    QAction* act = menu.addAction(label);
    act->setData(ToQString(it->word));
  }
  if (n == 0) {
    Beep();
    return;
  }
  if (n == 1 && !prefix.empty()) {
    data_->SetSelection({caret.line, start}, caret);
    TypeChars(FromQString(menu.actions().first()->data().toString()));
    return;
  }
  QAction* chosen = menu.exec(mapToGlobal(CaretRect().bottomLeft()));
  if (!chosen) return;
  data_->SetSelection({caret.line, start}, caret);
  TypeChars(FromQString(chosen->data().toString()));
}
