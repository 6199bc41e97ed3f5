// The view over a document, offscreen: it shows the active grid data,
// commits an open edit on request, and moves to the failing cell of a save.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTimer>
#include <array>
#include <memory>
#include <vector>

#include "app/tern_doc.h"
#include "app/tern_view.h"
#include "app/view_hints.h"
#include "griddata/cell_text_source.h"
#include "griddata/text_pool_grid_data.h"
#include "gridctrl/data_edit_dlg.h"
#include "gridctrl/grid_ctrl.h"
#include "gridctrl/gridctrl_constants.h"
#include "gridctrl/wheel_splitter.h"
#include "oci/oci_dataset.h"
#include "support/scripted_ui.h"

namespace kestrel {
namespace {

std::unique_ptr<CEditableGridData> MakeGrid(int32_t rows) {
  auto pool = std::make_unique<TextPool>(3);
  for (int32_t r = 0; r < rows; ++r) {
    std::array<std::u16string_view, 3> cells = {u"1", u"SMITH", u"800"};
    pool->AddRow(cells);
  }
  return std::make_unique<TextPoolGridData>(std::move(pool),
                                            std::vector<std::u16string>{u"EMPNO", u"ENAME", u"SAL"});
}

class TernViewTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    static int argc = 1;
    static char name[] = "app_document_gui_tests";
    static char* argv[] = {name, nullptr};
    if (QApplication::instance() == nullptr) app_ = new QApplication(argc, argv);
  }

  TernViewTest() {
    DocumentServices s;
    s.update_views = [this](int32_t h, int64_t arg) {
      if (view) view->OnUpdate(h, arg);
    };
    s.run_table_selection = [](TableSelection& io) {
      io.owner = u"SCOTT";
      io.table = u"EMP";
      io.columns = {u"EMPNO", u"ENAME", u"SAL"};
      io.result = std::make_unique<OciDataset>();
      return true;
    };
    s.load = [this](std::unique_ptr<CEditableGridData>& data, OciDataset* result, const std::u16string&,
                    const std::u16string&, int32_t) {
      // The real loader fills the document's data in place and the panes
      // keep pointing at it; a stand-in that swaps the object must keep the
      // old one alive until the view has moved on.
      retired_.push_back(std::move(data));
      data = MakeGrid(result ? 5 : 0);
      return 0;
    };
    s.save = [](CEditableGridData&, std::u16string* msg, int32_t* row, int32_t* col) {
      *msg = u"ORA-00001";
      *row = 3;
      *col = 2;
      return 1;
    };
    doc = std::make_unique<CTernDoc>(std::move(s), MakeGrid(0));
    view = std::make_unique<CTernView>(*doc);
    view->resize(600, 400);
    view->show();
  }

  static QApplication* app_;
  testing::ScriptedUi ui_;
  std::vector<std::unique_ptr<CEditableGridData>> retired_;
  std::unique_ptr<CTernDoc> doc;
  std::unique_ptr<CTernView> view;
};
QApplication* TernViewTest::app_ = nullptr;

TEST_F(TernViewTest, ShowsActiveDataAndFollowsSwap) {
  ASSERT_TRUE(doc->RunTableSelection(0));
  CGridCtrl* pane = view->Splitter()->MainPane();
  EXPECT_EQ(pane->GetGridData(), &doc->GetEditableData());
  doc->ToggleSwap();
  EXPECT_EQ(pane->GetGridData(), doc->GetActiveGridData());
  EXPECT_NE(pane->GetStyle() & gridctrl::kStyleSwapRowCol, 0u);
  doc->ToggleSwap();
  EXPECT_EQ(pane->GetGridData(), &doc->GetEditableData());
  EXPECT_EQ(pane->GetStyle() & gridctrl::kStyleSwapRowCol, 0u);
}

TEST_F(TernViewTest, OpenEditIsCommittedBeforeDiscardQuestion) {
  ASSERT_TRUE(doc->RunTableSelection(0));
  CGridCtrl* pane = view->Splitter()->MainPane();
  pane->SetCurCell(0, 1);
  ASSERT_TRUE(pane->StartEdit(u"JONES"));
  ui_.answer(IDNO);
  doc->OnClear();
  ASSERT_EQ(ui_.boxes.size(), 1u);  // the typed text counted as an edit
  EXPECT_TRUE(doc->HasTable());
  EXPECT_NE(doc->GetEditableData().GetData(0, 1), u"SMITH");
  EXPECT_TRUE(doc->GetEditableData().IsModified());
}

TEST_F(TernViewTest, FailedSaveMovesToTheCell) {
  ASSERT_TRUE(doc->RunTableSelection(0));
  ASSERT_EQ(doc->GetEditableData().UpdateData(0, 1, u"X"), 0);
  ui_.answer(IDYES);
  doc->OnSave();
  CGridData& data = doc->GetEditableData();
  EXPECT_EQ(data.GetCurRow(), 3);
  EXPECT_EQ(data.GetCurCol(), 2);
}

// Counts the paint events a widget gets.
class PaintCounter : public QObject {
 public:
  explicit PaintCounter(QWidget* w) { w->installEventFilter(this); }
  int paints = 0;

 protected:
  bool eventFilter(QObject*, QEvent* e) override {
    if (e->type() == QEvent::Paint) ++paints;
    return false;
  }
};

TEST_F(TernViewTest, GridDataChangedFromADialogRefreshesTheOpenDataDialog) {
  ASSERT_TRUE(doc->RunTableSelection(0));
  CGridCtrl* pane = view->Splitter()->MainPane();
  pane->SetCurCell(2, 1);
  CEditableGridData& data = doc->GetEditableData();
  bool shown = false;
  int data_changed = 0;
  view->on_data_changed = [&data_changed] { ++data_changed; };
  QTimer::singleShot(0, [&] {
    auto* dlg = dynamic_cast<CDataEditDlg*>(QApplication::activeModalWidget());
    ASSERT_NE(dlg, nullptr);
    shown = true;
    EXPECT_EQ(dlg->Text(), u"SMITH");
    // A change another dialog made, then its hint.
    ASSERT_EQ(data.UpdateData(2, 1, u"ADAMS"), 0);
    view->OnUpdate(hint::kGridDataChanged, 0);
    EXPECT_EQ(dlg->Text(), u"ADAMS");
    dlg->reject();
  });
  pane->RunCommand(gridctrl::kCmdDataEdit);
  EXPECT_TRUE(shown);
  EXPECT_EQ(data_changed, 1) << "the edit counter follows";
  EXPECT_EQ(data.GetData(2, 1), u"ADAMS");
}

TEST_F(TernViewTest, GridDataChangedWithoutADialogRedrawsTheGrid) {
  ASSERT_TRUE(doc->RunTableSelection(0));
  CGridCtrl* pane = view->Splitter()->MainPane();
  QApplication::processEvents();
  PaintCounter counter(pane);
  ASSERT_EQ(doc->GetEditableData().UpdateData(0, 1, u"KING"), 0);
  QApplication::processEvents();
  ASSERT_EQ(counter.paints, 0) << "a change alone does not repaint";
  view->OnUpdate(hint::kGridDataChanged, 0);
  QApplication::processEvents();
  EXPECT_GT(counter.paints, 0);
}

}  // namespace
}  // namespace kestrel
