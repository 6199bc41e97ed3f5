// A small in-place editor over a CEditData text buffer: real line ends, a
// text limit, undo through the buffer's sequence, caret and selection by
// keys, input-method commit and preedit, clipboard through UiServices.
// Stands in for the full text editor control behind GridCellEditor.
#pragma once

#include <QWidget>
#include <memory>

#include "gridctrl/grid_ctrl_editor.h"

class CEditData;
struct EditPos;

namespace kestrel {

class CellEditorWidget final : public QWidget, public GridCellEditor {
 public:
  explicit CellEditorWidget(QWidget* parent);
  ~CellEditorWidget() override;

  QWidget* Widget() override { return this; }
  void SetEditorFont(const QFont& font) override;
  void SetChangedLook(bool changed_look, uint32_t color) override;
  bool ChangedLook() const override { return changed_look_; }
  void SetLimit(int64_t max_units) override;
  void SetEditText(std::u16string_view text) override;
  std::u16string EditText() const override;
  void SelectAll() override;
  uint32_t UndoSequence() const override;
  void Cut() override;
  void Copy() override;
  void Paste() override;
  void Undo() override;
  void Redo() override;
  void InsertLineFeed() override;
  void SetImeCaretColor(bool on) override { ime_caret_color_ = on; }
  void ForwardKey(QKeyEvent* event) override { keyPressEvent(event); }
  void ForwardInputMethod(QInputMethodEvent* event) override { inputMethodEvent(event); }
  void TypeText(std::u16string_view text) override;
  void SetCellRect(const QRect& rect) override;

  const std::u16string& Preedit() const { return preedit_; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void inputMethodEvent(QInputMethodEvent* event) override;
  QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;
  bool focusNextPrevChild(bool) override { return false; }

 private:
  std::unique_ptr<CEditData> data_;
  bool changed_look_ = false;
  uint32_t changed_color_ = 0xDCDCFF;
  bool ime_caret_color_ = false;
  std::u16string preedit_;
  int32_t first_line_ = 0;
  EditPos PosAt(const QPoint& p) const;
};

}  // namespace kestrel
