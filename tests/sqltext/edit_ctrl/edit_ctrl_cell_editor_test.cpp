// The editor control as the grid's in-place editor.
#include <gtest/gtest.h>

#include <vector>

#include "edit_ctrl_test_util.h"
#include "sqltext/edit_ctrl_cell_editor.h"
#include "support/scripted_ui.h"

namespace kestrel::testing {
namespace {

TEST(EditCtrlCellEditor, KeysLeavingTheCellGoToTheGrid) {
  ScriptedUi ui;
  TestApp();
  QWidget grid;
  EditCtrlCellEditor ed(&grid);
  std::vector<int> to_grid;
  ed.key_to_grid = [&](QKeyEvent* e) {
    to_grid.push_back(e->key());
    return true;
  };
  ed.SetCellRect(QRect(0, 0, 200, 40));
  ed.SetEditText(u"ab\ncd");
  EXPECT_EQ(ed.EditText(), u"ab\ncd");  // the cell's line ends are kept
  QKeyEvent down(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
  ed.ForwardKey(&down);
  EXPECT_EQ(to_grid, std::vector<int>{Qt::Key_Down});  // caret on the last line
  Key(&ed, Qt::Key_Up);
  EXPECT_EQ(to_grid.size(), 1u);  // moves inside the cell
  Key(&ed, Qt::Key_Up);
  Key(&ed, Qt::Key_Return);
  Key(&ed, Qt::Key_Tab);
  Key(&ed, Qt::Key_Escape);
  EXPECT_EQ(to_grid, (std::vector<int>{Qt::Key_Down, Qt::Key_Up, Qt::Key_Return, Qt::Key_Tab, Qt::Key_Escape}));
  // Alt+Enter is a line feed in the cell.
  Key(&ed, Qt::Key_Return, Qt::AltModifier);
  EXPECT_EQ(to_grid.size(), 5u);
  EXPECT_EQ(ed.EditText(), u"ab\n\ncd");
}

TEST(EditCtrlCellEditor, TypeTextLimitUndoSequenceAndChangedLook) {
  ScriptedUi ui;
  TestApp();
  EditCtrlCellEditor ed(nullptr);
  ed.SetLimit(4);
  ed.SetEditText(u"ab");
  ed.SelectAll();
  const uint32_t seq = ed.UndoSequence();
  ed.TypeText(u"c");  // the first typed characters go at the end
  EXPECT_EQ(ed.EditText(), u"abc");
  EXPECT_NE(ed.UndoSequence(), seq);
  ed.TypeText(u"de");
  EXPECT_EQ(ed.EditText(), u"abc");
  EXPECT_EQ(ui.beeps.size(), 1u);
  ed.Undo();
  EXPECT_EQ(ed.UndoSequence(), seq);
  ed.SetChangedLook(true, 0x00FF00);
  EXPECT_TRUE(ed.ChangedLook());
  EXPECT_EQ(ed.GetColor(kEditColorChangedBack), 0x00FF00u);
  ed.SetLimit(-1);
  ed.TypeText(std::u16string(100, u'x'));
  EXPECT_EQ(ed.EditText().size(), 102u);
}

}  // namespace
}  // namespace kestrel::testing
