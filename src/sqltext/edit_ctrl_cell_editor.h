// The grid's in-place editor made of the full editor control: the grid
// drives it through GridCellEditor and gets back the keys that leave the
// cell (Enter, Tab, Esc, Up on the first line, Down on the last).
#pragma once

#include "gridctrl/grid_ctrl_editor.h"
#include "sqltext/edit_ctrl.h"

namespace kestrel {

class EditCtrlCellEditor final : public CEditCtrl, public GridCellEditor {
 public:
  explicit EditCtrlCellEditor(QWidget* parent);

  QWidget* Widget() override { return this; }
  void SetEditorFont(const QFont& font) override { CEditCtrl::SetEditorFont(font); }
  void SetChangedLook(bool changed_look, uint32_t color) override;
  bool ChangedLook() const override { return changed_look_; }
  void SetLimit(int64_t max_units) override { SetMaxLen(max_units < 0 ? 0 : max_units); }
  void SetEditText(std::u16string_view text) override;
  std::u16string EditText() const override { return GetText(); }
  void SelectAll() override { CEditCtrl::SelectAll(); }
  uint32_t UndoSequence() const override { return GetUndoSequence(); }
  void Cut() override { CEditCtrl::Cut(); }
  void Copy() override { CEditCtrl::Copy(); }
  void Paste() override { CEditCtrl::Paste(); }
  void Undo() override { CEditCtrl::Undo(); }
  void Redo() override { CEditCtrl::Redo(); }
  void InsertLineFeed() override { OnCommand(kEditCmdInsertLineFeed); }
  void SetImeCaretColor(bool on) override { CEditCtrl::SetImeCaretColor(on); }
  void ForwardKey(QKeyEvent* event) override { keyPressEvent(event); }
  void ForwardInputMethod(QInputMethodEvent* event) override { inputMethodEvent(event); }
  void TypeText(std::u16string_view text) override;
  void SetCellRect(const QRect& rect) override { setGeometry(rect); }

 private:
  bool KeyToGrid(QKeyEvent* e);
  bool changed_look_ = false;
};

// Makes every grid control created from now on edit its cells with
// EditCtrlCellEditor (the application calls this once at start-up).
void InstallEditCtrlInGrid();

}  // namespace kestrel
