// The in-place editor the grid control shows over its current cell. The
// grid needs only this interface; the full text editor control implements
// it, and CellEditorWidget is the small stand-in used until then.
#pragma once

#include <QRect>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

class QFont;
class QWidget;
class QKeyEvent;
class QInputMethodEvent;

namespace kestrel {

class GridCellEditor {
 public:
  virtual ~GridCellEditor() = default;

  virtual QWidget* Widget() = 0;
  virtual void SetEditorFont(const QFont& font) = 0;
  // `changed_look`: the cell was not changed before, so the editor shows the
  // changed-cell colour `color` (0x00BBGGRR) while it edits.
  virtual void SetChangedLook(bool changed_look, uint32_t color) = 0;
  virtual bool ChangedLook() const = 0;
  // Text limit in UTF-16 units; negative for none.
  virtual void SetLimit(int64_t max_units) = 0;
  virtual void SetEditText(std::u16string_view text) = 0;
  virtual std::u16string EditText() const = 0;
  virtual void SelectAll() = 0;
  // Changes whenever the text changes (and back on undo): compared with the
  // value noted when editing started.
  virtual uint32_t UndoSequence() const = 0;
  virtual void Cut() = 0;
  virtual void Copy() = 0;
  virtual void Paste() = 0;
  virtual void Undo() = 0;
  virtual void Redo() = 0;
  // Alt+Enter (32781): a line feed at the caret.
  virtual void InsertLineFeed() = 0;
  virtual void SetImeCaretColor(bool on) = 0;
  // A key or input-method event the grid received while starting an edit.
  virtual void ForwardKey(QKeyEvent* event) = 0;
  virtual void ForwardInputMethod(QInputMethodEvent* event) = 0;
  // The first typed character(s) of an edit: go in at the end of the text.
  virtual void TypeText(std::u16string_view text) = 0;
  virtual void SetCellRect(const QRect& rect) = 0;

  // Keys the editor gives back to the grid: Enter, Tab, Esc, and the
  // arrows that leave the cell. Set by the grid.
  std::function<bool(QKeyEvent*)> key_to_grid;
};

}  // namespace kestrel
