// Four panes on one grid data in a 2 x 2 splitter: shared scroll bars per
// row and column, header bits by position, edits, resizes, inserts and undo
// in one pane shown at once in the others, a closed pane unregistered, and
// the wheel going to the pane under the pointer.
#include <QScrollBar>
#include <QWheelEvent>

#include "gridctrl/gridctrl_constants.h"
#include "gridctrl/wheel_splitter.h"
#include "gui_test_support.h"
#include "support/scripted_ui.h"
#include "test_grids.h"

using namespace kestrel;
using namespace kestrel::gridctrl;
using namespace kestrel::testing;

namespace {


struct SplitFixture : public ::testing::Test {
  SplitFixture() {
    Rows rows;
    for (int r = 0; r < 200; ++r)
      rows.push_back({u"r" + std::u16string(1, char16_t(u'0' + r % 10)), u"b", u"c", u"d", u"e", u"f"});
    data = MakeGrid(rows);
    split.resize(800, 600);
    split.MainPane()->SetGridFont(TestFont());
    split.SetPaneStyle(kMainViewStyle | kStyleEditKeys);
    split.SetGridData(data.get());
    split.show();
    split.SplitRows(300);
    split.SplitCols(400);
  }
  CGridCtrl* P(int r, int c) { return split.Pane(r, c); }
  uint32_t Bg(CGridCtrl* pane, int row, int col) {
    QImage img = RenderGrid(*pane);
    QRect q = CellQRect(*pane, row, col);
    if (q.width() == 0) return 0xFFFFFFFF;
    return PixelRef(img, q.x() + 1, q.y() + 1);
  }
  ScriptedUi ui;
  std::unique_ptr<TextPoolGridData> data;
  CWheelSplitterWnd split;
};

TEST_F(SplitFixture, FourPanesRegisteredWithHeadersByPosition) {
  ASSERT_EQ(split.PaneRows(), 2);
  ASSERT_EQ(split.PaneCols(), 2);
  EXPECT_EQ(data->NotifyWndCount(), 4);
  const uint32_t both = kStyleColHeader | kStyleRowHeader;
  EXPECT_EQ(P(0, 0)->GetStyle() & both, both);
  EXPECT_EQ(P(0, 1)->GetStyle() & both, kStyleColHeader);
  EXPECT_EQ(P(1, 0)->GetStyle() & both, kStyleRowHeader);
  EXPECT_EQ(P(1, 1)->GetStyle() & both, 0u);
  EXPECT_EQ(P(1, 1)->Layout().ColHeaderHeight(), 0);
  EXPECT_EQ(P(1, 1)->Layout().RowHeaderWidth(), 0);
  EXPECT_EQ(P(1, 1)->GridFont().pixelSize(), 12);  // settings copied from the main pane
}

TEST_F(SplitFixture, SplittingKeepsTheCurrentCellAndSelection) {
  split.SplitCols(-1);
  split.SplitRows(-1);
  P(0, 0)->SetCurCell(2, 1);
  P(0, 0)->SetCurCell(4, 2, true);
  split.SplitRows(300);
  EXPECT_EQ(data->GetCurRow(), 4);
  EXPECT_EQ(data->GetSelection(), (CellRange{1, 2, 2, 4}));
}

TEST_F(SplitFixture, ScrollStatesSharedByRowsAndColumns) {
  P(0, 0)->SetScrollRow(50);
  EXPECT_EQ(P(0, 1)->ScrollRow(), 50);
  EXPECT_NE(P(1, 0)->ScrollRow(), 50);
  P(1, 1)->SetScrollCol(3);
  EXPECT_EQ(P(0, 1)->ScrollCol(), 3);
  EXPECT_EQ(P(1, 0)->ScrollCol(), 0);
  EXPECT_EQ(P(0, 1)->Layout().FirstRow(), 50);
}

TEST_F(SplitFixture, EditResizeInsertAndUndoShowInTheOtherPanes) {
  GridCtrlMetrics& m = P(0, 0)->Metrics();
  // Edit in the bottom-right pane.
  P(1, 1)->SetCurCell(1, 1);
  P(1, 1)->setFocus();
  Type(*P(1, 1), Qt::Key_Z, Qt::NoModifier, QStringLiteral("z"));
  Type(*P(1, 1), Qt::Key_Return);
  ASSERT_EQ(data->GetData(1, 1), u"bz");
  EXPECT_EQ(Bg(P(0, 0), 1, 1), m.GetColor(kColorUpdate));
  // Resize column 0 in the top-left pane: the bottom-left pane lays out anew.
  const int before = P(1, 0)->Layout().CellRect(*data, 0, 1).x;
  data->SetColWidth(0, 150);
  P(0, 0)->RecalcLayout();
  data->NotifyWnds(P(0, 0), kMsgLayoutChanged);
  EXPECT_EQ(P(1, 0)->Layout().CellRect(*data, 0, 1).x, before + 50);
  // Insert in one pane; the other row's scroll range grows.
  const int max_before = P(1, 0)->VerticalBar()->maximum();
  P(0, 1)->SetCurCell(0, 0);
  P(0, 1)->ask_insert_count = [] { return 10; };
  P(0, 1)->RunCommand(kCmdInsertRows);
  EXPECT_EQ(P(1, 0)->VerticalBar()->maximum(), max_before + 10);
  EXPECT_EQ(Bg(P(1, 1), 1, 1), m.GetColor(kColorInsert));
  // Undo in another pane.
  P(1, 0)->RunCommand(kCmdEditUndo);
  EXPECT_EQ(P(0, 0)->VerticalBar()->maximum(), max_before);
  EXPECT_EQ(Bg(P(0, 1), 1, 1), m.GetColor(kColorUpdate));
}

TEST_F(SplitFixture, MoveInOnePaneRepaintsTheOthersSelection) {
  P(0, 0)->SetCurCell(2, 0);
  P(0, 0)->SetCurCell(3, 1, true);
  GridCtrlMetrics& m = P(0, 0)->Metrics();
  P(1, 0)->SetScrollRow(0);
  EXPECT_EQ(Bg(P(1, 0), 3, 1), m.GetColor(kColorSelect));
  EXPECT_EQ(Bg(P(1, 0), 3, 2), m.GetColor(kColorBg));
}

TEST_F(SplitFixture, ClosedPanesUnregister) {
  split.SplitCols(-1);
  EXPECT_EQ(split.PaneCols(), 1);
  EXPECT_EQ(data->NotifyWndCount(), 2);
  split.SplitRows(-1);
  EXPECT_EQ(data->NotifyWndCount(), 1);
  EXPECT_EQ(split.Pane(1, 0), nullptr);
  EXPECT_EQ(P(0, 0)->GetStyle() & (kStyleColHeader | kStyleRowHeader), kStyleColHeader | kStyleRowHeader);
}

TEST_F(SplitFixture, WheelGoesToThePaneUnderThePointer) {
  P(1, 0)->SetScrollRow(0);
  const QPoint at = P(1, 0)->geometry().center();
  QWheelEvent wheel(QPointF(at), QPointF(split.mapToGlobal(at)), QPoint(), QPoint(0, -120), Qt::NoButton,
                    Qt::NoModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(&split, &wheel);
  EXPECT_EQ(P(1, 0)->ScrollRow(), 3);
  EXPECT_EQ(P(0, 0)->ScrollRow(), 0);
}

}  // namespace
