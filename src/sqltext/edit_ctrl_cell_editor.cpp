#include "sqltext/edit_ctrl_cell_editor.h"

#include <QKeyEvent>

#include "gridctrl/grid_ctrl.h"

#include "sqltext/sqltext_constants.h"

namespace kestrel {
namespace {

// The cell's own line ends are kept: the first one found decides.
int LineEndModeOf(std::u16string_view t) {
  const std::size_t i = t.find_first_of(u"\r\n");
  if (i == std::u16string_view::npos) return kLineEndCrLf;
  if (t[i] == u'\n') return kLineEndLf;
  return i + 1 < t.size() && t[i + 1] == u'\n' ? kLineEndCrLf : kLineEndCr;
}

}  // namespace

EditCtrlCellEditor::EditCtrlCellEditor(QWidget* parent) : CEditCtrl(parent) {
  SetMargins(2, 1);
  key_hook = [this](QKeyEvent* e) { return KeyToGrid(e); };
  hide();
}

void EditCtrlCellEditor::SetChangedLook(bool changed_look, uint32_t color) {
  changed_look_ = changed_look;
  SetColor(kEditColorChangedBack, color);
  CEditCtrl::SetChangedLook(changed_look);
}

void EditCtrlCellEditor::SetEditText(std::u16string_view text) {
  SetLineEndMode(LineEndModeOf(text));
  SetText(text);
}

void EditCtrlCellEditor::TypeText(std::u16string_view text) {
  const EditPos end = GetEditData()->EndPos();
  SetSel(end, end);
  ReplaceSel(text);
}

bool EditCtrlCellEditor::KeyToGrid(QKeyEvent* e) {
  const bool alt = e->modifiers() & Qt::AltModifier;
  const EditPos caret = GetEditData()->GetCaret();
  switch (e->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
      if (alt) {
        InsertLineFeed();
        return true;
      }
      return key_to_grid && key_to_grid(e);
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_Escape:
      return key_to_grid && key_to_grid(e);
    case Qt::Key_Up:
      return caret.line == 0 && !alt && key_to_grid && key_to_grid(e);
    case Qt::Key_Down:
      return caret.line + 1 >= GetEditData()->GetLineCnt() && !alt && key_to_grid && key_to_grid(e);
    default:
      return false;
  }
}

void InstallEditCtrlInGrid() {
  CGridCtrl::SetEditorFactory([](QWidget* parent) -> std::unique_ptr<GridCellEditor> {
    return std::make_unique<EditCtrlCellEditor>(parent);
  });
}

}  // namespace kestrel
