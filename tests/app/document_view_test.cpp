// The view over the document and the real Oracle grid data, offscreen: the
// conversions and sequence numbers over the selection, the calculation
// pane, a failed save's cell in a swapped grid, and the 2 x 2 split.
#include <gtest/gtest.h>

#include <QScrollBar>
#include <QTest>

#include "app/app_ids.h"
#include "app/document_workers.h"
#include "app/tern_doc.h"
#include "app/tern_view.h"
#include "app/view_hints.h"
#include "document_db.h"
#include "griddata/ora_grid_data.h"
#include "gridctrl/grid_ctrl.h"
#include "gridctrl/gridctrl_constants.h"
#include "gridctrl/wheel_splitter.h"
#include "gui_app.h"
#include "support/scripted_ui.h"

namespace kestrel {
namespace {

std::string U8(std::u16string_view s) { return utf16_to_utf8(s); }

class DocumentViewTest : public testing::DocumentDbTest {
 protected:
  static void SetUpTestSuite() {
    DocumentDbTest::SetUpTestSuite();
    testing::EnsureQApplication();
  }
  void SetUp() override {
    DocumentDbTest::SetUp();
    if (HasFatalFailure()) return;
    auto grid = std::make_unique<CEditableOraGridData>();
    grid_ = grid.get();
    DocumentServices s;
    s.update_views = [this](int32_t h, int64_t arg) {
      if (view) view->OnUpdate(h, arg);
    };
    s.run_table_selection = [this](TableSelection& io) {
      io.owner = u"SCOTT";
      io.table = u"EMP";
      io.columns = {u"EMPNO", u"ENAME", u"JOB", u"SAL"};
      io.result = std::make_unique<OciDataset>();
      std::u16string msg;
      return RunQueryOnWorker(session_,
                              u"select a.\"EMPNO\", a.\"ENAME\", a.\"JOB\", a.\"SAL\", rowid \nfrom \"SCOTT\".\"EMP\" a "
                              u"\norder by empno",
                              io.result.get(), &msg) == kOciOk;
    };
    s.load = [this](std::unique_ptr<CEditableGridData>&, OciDataset* result, const std::u16string& owner,
                    const std::u16string& table, int32_t lock) {
      return grid_->SetData(result ? session_ : nullptr, result, owner, table, lock, false);
    };
    s.save = [this](CEditableGridData&, std::u16string* msg, int32_t* row, int32_t* col) {
      return RunSaveOnWorker(*grid_, session_, msg, row, col);
    };
    doc = std::make_unique<CTernDoc>(std::move(s), std::move(grid));
    view = std::make_unique<CTernView>(*doc);
    view->on_message = [this](std::u16string_view t) { messages.emplace_back(t); };
    view->on_calc_text = [this](std::u16string_view t) { calc = std::u16string(t); };
    view->calc_type = [this] { return calc_type; };
    view->resize(800, 500);
    view->show();
    ASSERT_TRUE(doc->RunTableSelection(0));
  }
  void TearDown() override {
    view.reset();
    doc.reset();
    DocumentDbTest::TearDown();
  }

  testing::ScriptedUi ui_;
  std::unique_ptr<CTernDoc> doc;
  std::unique_ptr<CTernView> view;
  CEditableOraGridData* grid_ = nullptr;
  std::vector<std::u16string> messages;
  std::u16string calc;
  int32_t calc_type = 0;
};

TEST_F(DocumentViewTest, ConversionsOverTheSelection) {
  grid_->SetCurCell(0, 2);
  grid_->SetSelection(2, 0, 2, 2);  // JOB of three rows
  EXPECT_EQ(view->RunConversion(cmd::kToLower), 3);
  EXPECT_EQ(grid_->GetData(1, 2), u"salesman");
  ASSERT_FALSE(messages.empty());
  EXPECT_EQ(messages.back(), u"3件置換しました");
  messages.clear();
  EXPECT_EQ(view->RunConversion(cmd::kToZenkakuAlnum), 3);
  EXPECT_EQ(grid_->GetData(0, 2), u"ｃｌｅｒｋ");
  EXPECT_TRUE(messages.empty()) << "only the case conversions report a count";
  EXPECT_EQ(view->RunConversion(cmd::kToHankaku), 3);
  EXPECT_EQ(view->RunConversion(cmd::kToUpper), 3);
  EXPECT_EQ(grid_->GetData(0, 2), u"CLERK");
  EXPECT_EQ(view->RunConversion(cmd::kSave), -1);

  grid_->SetCurCell(0, 3);
  grid_->SetSelection(3, 0, 3, 3);
  view->RunInputSequence(100, 10);
  EXPECT_EQ(grid_->GetData(0, 3), u"100");
  EXPECT_EQ(grid_->GetData(3, 3), u"130");
  EXPECT_EQ(grid_->GetUpdatedRowCnt(), 4);
}

TEST_F(DocumentViewTest, CalculationPane) {
  grid_->SetCurCell(0, 3);
  grid_->SetSelection(3, 0, 3, 1);  // 800 + 1600
  view->RecalcCalcPane();
  EXPECT_EQ(U8(calc), "合計:2,400");
  calc_type = 4;
  view->OnUpdate(hint::kCalcTypeChanged, 0);
  EXPECT_EQ(U8(calc), "行数:2");
  calc_type = 5;
  view->OnUpdate(hint::kCalcTypeChanged, 0);
  EXPECT_EQ(calc, u"");
  calc_type = 0;
  grid_->SetSelection(3, 0, 3, 0);  // one cell
  view->RecalcCalcPane();
  EXPECT_EQ(calc, u"");
}

TEST_F(DocumentViewTest, FailedSaveCellInASwappedGrid) {
  ASSERT_EQ(grid_->UpdateData(2, 1, u"X"), 0);
  doc->ToggleSwap();
  CGridData* active = doc->GetActiveGridData();
  ASSERT_NE(active, grid_);
  view->OnUpdate(hint::kSaveFailed, hint::PackCell(5, 1));
  EXPECT_EQ(active->GetCurRow(), 1) << "data column 1 is a row of the swapped grid";
  EXPECT_EQ(active->GetCurCol(), 5);
  // An unknown column keeps the cursor's coordinate.
  view->OnUpdate(hint::kSaveFailed, hint::PackCell(7, -1));
  EXPECT_EQ(active->GetCurRow(), 1);
  EXPECT_EQ(active->GetCurCol(), 7);
  int32_t row = 3, col = -1;
  doc->ActiveToDataCell(&row, &col);
  EXPECT_EQ(row, -1);
  EXPECT_EQ(col, 3);
}

TEST_F(DocumentViewTest, SplitPanesGetTheirHeaderFlagsAndShareScrolling) {
  CWheelSplitterWnd* split = view->Splitter();
  split->SplitRows(200);
  split->SplitCols(300);
  ASSERT_EQ(split->PaneRows(), 2);
  ASSERT_EQ(split->PaneCols(), 2);
  view->OnUpdate(hint::kSplitterLayout, 0);
  using namespace gridctrl;
  auto headers = [&](int r, int c) { return split->Pane(r, c)->GetStyle() & (kStyleColHeader | kStyleRowHeader); };
  EXPECT_EQ(headers(0, 0), kStyleColHeader | kStyleRowHeader);
  EXPECT_EQ(headers(0, 1), kStyleColHeader);
  EXPECT_EQ(headers(1, 0), kStyleRowHeader);
  EXPECT_EQ(headers(1, 1), 0u);
  for (int r = 0; r < 2; ++r)
    for (int c = 0; c < 2; ++c) EXPECT_EQ(split->Pane(r, c)->GetGridData(), doc->GetActiveGridData());
  EXPECT_EQ(split->Pane(0, 0)->VerticalBar(), split->Pane(0, 1)->VerticalBar());
  EXPECT_EQ(split->Pane(0, 0)->HorizontalBar(), split->Pane(1, 0)->HorizontalBar());
  split->Pane(0, 0)->SetScrollRow(5);
  EXPECT_EQ(split->Pane(0, 1)->ScrollRow(), 5);
}

}  // namespace
}  // namespace kestrel
