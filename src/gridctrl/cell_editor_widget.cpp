// The stand-in in-place editor: CEditData underneath, painted with QPainter.
#include "gridctrl/cell_editor_widget.h"

#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include "platform/ui_services.h"
#include "sqltext/edit_data.h"

namespace kestrel {

namespace {

QString qs(std::u16string_view s) {
  return QString(reinterpret_cast<const QChar*>(s.data()), static_cast<qsizetype>(s.size()));
}
std::u16string u16(const QString& s) { return std::u16string(reinterpret_cast<const char16_t*>(s.utf16()), s.size()); }
QColor colorref(uint32_t c) { return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF); }

int line_end_mode_of(std::u16string_view t) {
  std::size_t i = t.find_first_of(u"\r\n");
  if (i == std::u16string_view::npos) return 1;
  if (t[i] == u'\n') return 2;
  return (i + 1 < t.size() && t[i + 1] == u'\n') ? 1 : 3;
}

}  // namespace

CellEditorWidget::CellEditorWidget(QWidget* parent) : QWidget(parent), data_(std::make_unique<CEditData>()) {
  setAttribute(Qt::WA_InputMethodEnabled);
  setFocusPolicy(Qt::StrongFocus);
  setCursor(Qt::IBeamCursor);
  hide();
}

CellEditorWidget::~CellEditorWidget() = default;

void CellEditorWidget::SetEditorFont(const QFont& font) { setFont(font); update(); }

void CellEditorWidget::SetChangedLook(bool changed_look, uint32_t color) {
  changed_look_ = changed_look;
  changed_color_ = color;
  update();
}

void CellEditorWidget::SetLimit(int64_t max_units) { data_->SetMaxLen(max_units < 0 ? 0 : max_units); }

void CellEditorWidget::SetEditText(std::u16string_view text) {
  data_->SetLineEndMode(line_end_mode_of(text));
  data_->SetText(text);
  data_->SetCaret(data_->EndPos());
  preedit_.clear();
  update();
}

std::u16string CellEditorWidget::EditText() const { return data_->GetText(); }

void CellEditorWidget::SelectAll() {
  data_->SetSelection({0, 0}, data_->EndPos());
  update();
}

uint32_t CellEditorWidget::UndoSequence() const { return data_->GetUndoData().CurrentSeq(); }

void CellEditorWidget::Copy() {
  if (data_->HasSelection()) ui().set_clipboard_text(data_->GetSelectedText());
}

void CellEditorWidget::Cut() {
  if (!data_->HasSelection()) return;
  if (ui().set_clipboard_text(data_->GetSelectedText())) data_->DeleteSelection();
  update();
}

void CellEditorWidget::Paste() {
  std::u16string t;
  if (ui().clipboard_text(t)) data_->Paste(t, false);
  update();
}

void CellEditorWidget::Undo() { data_->Undo(); update(); }
void CellEditorWidget::Redo() { data_->Redo(); update(); }

void CellEditorWidget::InsertLineFeed() {
  data_->TypeText(data_->LineEnd());
  update();
}

void CellEditorWidget::TypeText(std::u16string_view text) {
  data_->SetCaret(data_->EndPos());
  data_->TypeText(text);
  update();
}

void CellEditorWidget::SetCellRect(const QRect& rect) { setGeometry(rect); }

void CellEditorWidget::keyPressEvent(QKeyEvent* e) {
  const bool shift = e->modifiers() & Qt::ShiftModifier;
  const bool ctrl = e->modifiers() & Qt::ControlModifier;
  const bool alt = e->modifiers() & Qt::AltModifier;
  const EditPos caret = data_->GetCaret();
  switch (e->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
      if (alt) {
        InsertLineFeed();
        return;
      }
      [[fallthrough]];
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_Escape:
      if (key_to_grid && key_to_grid(e)) return;
      break;
    case Qt::Key_Up:
      if (caret.line == 0) {
        if (key_to_grid && key_to_grid(e)) return;
        break;
      }
      data_->SetCaret({caret.line - 1, std::min(caret.col, data_->GetLineLen(caret.line - 1))}, shift);
      break;
    case Qt::Key_Down:
      if (caret.line + 1 >= data_->GetLineCnt()) {
        if (key_to_grid && key_to_grid(e)) return;
        break;
      }
      data_->SetCaret({caret.line + 1, std::min(caret.col, data_->GetLineLen(caret.line + 1))}, shift);
      break;
    case Qt::Key_Left: data_->SetCaret(data_->PrevPos(caret), shift); break;
    case Qt::Key_Right: data_->SetCaret(data_->NextPos(caret), shift); break;
    case Qt::Key_Home: data_->SetCaret(ctrl ? EditPos{0, 0} : EditPos{caret.line, 0}, shift); break;
    case Qt::Key_End:
      data_->SetCaret(ctrl ? data_->EndPos() : EditPos{caret.line, data_->GetLineLen(caret.line)}, shift);
      break;
    case Qt::Key_Backspace: data_->Backspace(); break;
    case Qt::Key_Delete: data_->DeleteChar(); break;
    default:
      if (ctrl && !alt) {
        switch (e->key()) {
          case Qt::Key_A: SelectAll(); return;
          case Qt::Key_C: Copy(); return;
          case Qt::Key_X: Cut(); return;
          case Qt::Key_V: Paste(); return;
          case Qt::Key_Z: Undo(); return;
          case Qt::Key_Y: Redo(); return;
          default: break;
        }
        e->ignore();
        return;
      }
      if (!e->text().isEmpty() && e->text().at(0).isPrint()) {
        data_->TypeText(u16(e->text()));
      } else {
        e->ignore();
        return;
      }
  }
  update();
}

EditPos CellEditorWidget::PosAt(const QPoint& p) const {
  const QFontMetrics fm(font());
  const int32_t line = std::clamp(first_line_ + (p.y() - 1) / std::max(1, fm.height()), 0, data_->GetLineCnt() - 1);
  const QString text = qs(data_->GetLine(line));
  int32_t col = 0;
  // The caret goes before the character whose middle is right of the point.
  while (col < text.size() && 2 + fm.horizontalAdvance(text.left(col + 1)) -
                                  fm.horizontalAdvance(text.mid(col, 1)) / 2 <= p.x())
    ++col;
  return data_->Clamp({line, col});
}

void CellEditorWidget::mousePressEvent(QMouseEvent* e) {
  // Accepted here so the click never reaches the grid underneath.
  if (e->button() == Qt::LeftButton) {
    data_->SetCaret(PosAt(e->position().toPoint()), e->modifiers() & Qt::ShiftModifier);
  }
  e->accept();
  update();
}

void CellEditorWidget::mouseMoveEvent(QMouseEvent* e) {
  if (e->buttons() & Qt::LeftButton) data_->SetCaret(PosAt(e->position().toPoint()), true);
  e->accept();
  update();
}

void CellEditorWidget::mouseReleaseEvent(QMouseEvent* e) { e->accept(); }

void CellEditorWidget::inputMethodEvent(QInputMethodEvent* e) {
  if (!e->commitString().isEmpty()) data_->TypeText(u16(e->commitString()));
  preedit_ = u16(e->preeditString());
  update();
  e->accept();
}

QVariant CellEditorWidget::inputMethodQuery(Qt::InputMethodQuery query) const {
  switch (query) {
    case Qt::ImFont: return font();
    case Qt::ImCursorRectangle: return QRect(0, 0, 1, height());
    case Qt::ImEnabled: return true;
    default: return QWidget::inputMethodQuery(query);
  }
}

void CellEditorWidget::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), changed_look_ ? colorref(changed_color_) : QColor(Qt::white));
  p.setPen(QColor(Qt::black));
  p.drawRect(rect().adjusted(0, 0, -1, -1));
  const QFontMetrics fm(font());
  const int lh = fm.height();
  // Keep the caret's line in view in a one-line high cell.
  const EditPos caret = data_->GetCaret();
  const int first_line = std::max(0, caret.line - std::max(1, (height() - 2) / lh) + 1);
  first_line_ = first_line;
  const EditPos s0 = data_->GetSelStart(), s1 = data_->GetSelEnd();
  int y = 1;
  for (int32_t line = first_line; line < data_->GetLineCnt() && y < height(); ++line, y += lh) {
    const QString text = qs(data_->GetLine(line));
    int x = 2;
    if (data_->HasSelection() && line >= s0.line && line <= s1.line) {
      const int a = line == s0.line ? s0.col : 0;
      const int b = line == s1.line ? s1.col : static_cast<int>(text.size());
      const int xa = x + fm.horizontalAdvance(text.left(a));
      const int xb = x + fm.horizontalAdvance(text.left(b));
      p.fillRect(QRect(xa, y, std::max(1, xb - xa), lh), QColor(0x33, 0x66, 0xCC));
    }
    p.drawText(QPoint(x, y + fm.ascent()), text);
    if (line == caret.line) {
      int cx = x + fm.horizontalAdvance(text.left(caret.col));
      if (!preedit_.empty()) {
        QString pre = qs(preedit_);
        const int pw = fm.horizontalAdvance(pre);
        p.fillRect(QRect(cx, y, pw, lh), changed_look_ ? colorref(changed_color_) : QColor(Qt::white));
        p.drawText(QPoint(cx, y + fm.ascent()), pre);
        p.drawLine(cx, y + lh - 1, cx + pw, y + lh - 1);
        cx += pw;
      }
      const bool ime_open = !preedit_.empty();
      p.fillRect(QRect(cx, y, 2, lh), ime_caret_color_ && ime_open ? QColor(Qt::red) : QColor(Qt::black));
    }
  }
}

}  // namespace kestrel
