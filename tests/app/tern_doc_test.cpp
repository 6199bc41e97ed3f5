#include "app/tern_doc.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <utility>
#include <vector>

#include "app/view_hints.h"
#include "griddata/cell_text_source.h"
#include "griddata/text_pool_grid_data.h"
#include "oci/oci_dataset.h"
#include "platform/ui_services.h"
#include "support/scripted_ui.h"

namespace kestrel {
namespace {

using testing::ScriptedUi;

std::unique_ptr<CEditableGridData> MakeGrid(int32_t rows) {
  auto pool = std::make_unique<TextPool>(3);
  for (int32_t r = 0; r < rows; ++r) {
    std::array<std::u16string_view, 3> cells = {u"1", u"SMITH", u"800"};
    pool->AddRow(cells);
  }
  return std::make_unique<TextPoolGridData>(std::move(pool),
                                            std::vector<std::u16string>{u"EMPNO", u"ENAME", u"SAL"});
}

// A document over scripted services: the table selection hands back what
// `next` holds, the loader shows two rows for any result, the save answers
// from `save_rc`.
class TernDocTest : public ::testing::Test {
 protected:
  TernDocTest() {
    DocumentServices s;
    s.update_views = [this](int32_t h, int64_t arg) { hints.emplace_back(h, arg); };
    s.run_table_selection = [this](TableSelection& io) {
      selections.push_back(io.mode);
      if (!selection_ok) return false;
      io.owner = next.owner;
      io.table = next.table;
      io.columns = next.columns;
      io.condition_typed = next.condition_typed;
      io.condition_sent = next.condition_sent;
      io.data_lock = next.data_lock;
      io.swap = next.swap;
      io.result = std::make_unique<OciDataset>();
      return true;
    };
    s.load = [this](std::unique_ptr<CEditableGridData>& data, OciDataset* result, const std::u16string&,
                    const std::u16string&, int32_t) {
      ++loads;
      data = MakeGrid(result ? 2 : 0);
      return 0;
    };
    s.virtual_columns = [this](const std::u16string&, const std::u16string&) { return virtual_cols; };
    s.save = [this](CEditableGridData&, std::u16string* msg, int32_t* row, int32_t* col) {
      ++saves;
      *msg = save_msg;
      *row = fail_row;
      *col = fail_col;
      return save_rc;
    };
    s.data_lock = [this] { return data_lock; };
    s.set_data_lock = [this](int32_t v) { data_lock = v; };
    s.current_user = [] { return std::u16string(u"SCOTT"); };
    doc = std::make_unique<CTernDoc>(std::move(s), MakeGrid(0));
    next.owner = u"SCOTT";
    next.table = u"EMP";
    next.columns = {u"EMPNO", u"ENAME", u"SAL"};
    next.condition_typed = u"empno > 0";
    next.condition_sent = u"WHERE empno > 0";
  }

  void Load() {
    ASSERT_TRUE(doc->RunTableSelection(0));
    ASSERT_TRUE(doc->HasTable());
    hints.clear();
  }
  void Edit() { ASSERT_EQ(doc->GetEditableData().UpdateData(0, 1, u"JONES"), 0); }
  bool HasHint(int32_t h) const {
    for (auto& [hint, arg] : hints)
      if (hint == h) return true;
    return false;
  }

  ScriptedUi ui_;
  std::unique_ptr<CTernDoc> doc;
  TableSelection next;
  bool selection_ok = true;
  std::vector<int32_t> selections;
  std::vector<std::pair<int32_t, int64_t>> hints;
  std::vector<std::u16string> virtual_cols;
  int loads = 0;
  int saves = 0;
  int32_t save_rc = 0;
  std::u16string save_msg = u"保存しました";
  int32_t fail_row = -1;
  int32_t fail_col = -1;
  int32_t data_lock = 0;
};

TEST_F(TernDocTest, SelectionLoadsAndCancelChangesNothing) {
  Load();
  EXPECT_EQ(doc->GetTitle(), u"EMP");
  EXPECT_EQ(doc->GetConditionSent(), u"WHERE empno > 0");
  EXPECT_EQ(doc->GetEditableData().GetRowCnt(), 2);
  selection_ok = false;
  next.table = u"DEPT";
  EXPECT_FALSE(doc->RunTableSelection(0));
  EXPECT_EQ(doc->GetTableName(), u"EMP");
  EXPECT_TRUE(hints.empty());
}

TEST_F(TernDocTest, LayoutResetOnlyForOtherTableOrColumns) {
  struct Case {
    std::u16string table;
    std::vector<std::u16string> cols;
    int64_t reset;
  } cases[] = {
      {u"EMP", {u"EMPNO", u"ENAME", u"SAL"}, 0},
      {u"EMP", {u"EMPNO", u"SAL"}, 1},
      {u"DEPT", {u"EMPNO", u"SAL"}, 1},
  };
  Load();
  for (const auto& c : cases) {
    hints.clear();
    next.table = c.table;
    next.columns = c.cols;
    ASSERT_TRUE(doc->RunTableSelection(1));
    ASSERT_FALSE(hints.empty());
    EXPECT_EQ(hints.back(), std::make_pair(hint::kLoaded, c.reset)) << c.cols.size();
  }
}

TEST_F(TernDocTest, DiscardAsksOnlyWithEdits) {
  Load();
  doc->OnClear();  // no edits: cleared without a question
  EXPECT_TRUE(ui_.boxes.empty());
  EXPECT_FALSE(doc->HasTable());

  Load();
  Edit();
  ui_.answer(IDNO);
  doc->OnClear();
  ASSERT_EQ(ui_.boxes.size(), 1u);
  EXPECT_EQ(ui_.boxes[0].text, u"編集中のデータは保存されません。よろしいですか？");
  EXPECT_EQ(ui_.boxes[0].flags, mb::YESNO | mb::ICONQUESTION);
  EXPECT_TRUE(doc->HasTable());
  EXPECT_EQ(hints.front().first, hint::kCommitCellEdit);  // the open edit counts

  ui_.answer(IDYES);
  doc->OnClear();
  EXPECT_FALSE(doc->HasTable());
  EXPECT_EQ(saves, 0);
}

TEST_F(TernDocTest, SaveAsksWithCountsAndReloadsOrClears) {
  Load();
  ui_.answer(IDNO);
  doc->OnSave();
  ASSERT_EQ(ui_.boxes.size(), 1u);
  EXPECT_EQ(ui_.boxes[0].text,
            u"編集結果を保存します。\nよろしいですか？\n\n  delete: 0\n  insert: 0\n  update: 0\n");
  EXPECT_EQ(saves, 0);

  Edit();
  ui_.answer(IDYES);
  ui_.answer(IDYES);
  doc->OnSave();
  EXPECT_EQ(saves, 1);
  ASSERT_EQ(ui_.boxes.size(), 3u);
  EXPECT_EQ(ui_.boxes[1].text,
            u"編集結果を保存します。\nよろしいですか？\n\n  delete: 0\n  insert: 0\n  update: 1\n");
  EXPECT_EQ(ui_.boxes[2].text, u"保存しました\n再検索しますか？");
  EXPECT_EQ(ui_.boxes[2].flags, mb::YESNO | mb::ICONINFORMATION);
  EXPECT_EQ(selections.back(), 1);  // re-run mode
  EXPECT_TRUE(doc->HasTable());
  EXPECT_FALSE(doc->GetEditableData().IsModified());

  Edit();
  ui_.answer(IDYES);
  ui_.answer(IDNO);
  doc->OnSave();
  EXPECT_FALSE(doc->HasTable());
}

TEST_F(TernDocTest, FailedReRunAfterSaveClears) {
  Load();
  Edit();
  selection_ok = false;
  ui_.answer(IDYES);
  ui_.answer(IDYES);
  doc->OnSave();
  EXPECT_FALSE(doc->HasTable());
  EXPECT_FALSE(doc->GetEditableData().IsModified());
}

TEST_F(TernDocTest, FailedSaveKeepsEditsAndPointsAtTheCell) {
  Load();
  Edit();
  save_rc = 1;
  save_msg = u"ORA-00001: unique constraint violated";
  fail_row = 1;
  fail_col = 0;
  ui_.answer(IDYES);
  doc->OnSave();
  ASSERT_EQ(ui_.boxes.size(), 2u);
  EXPECT_EQ(ui_.boxes[1].text, save_msg);
  EXPECT_EQ(ui_.boxes[1].title, u"ERROR");
  EXPECT_EQ(ui_.boxes[1].flags, mb::OK | mb::ICONEXCLAMATION);
  ASSERT_FALSE(hints.empty());
  EXPECT_EQ(hints.back().first, hint::kSaveFailed);
  EXPECT_EQ(hint::CellRow(hints.back().second), 1);
  EXPECT_EQ(hint::CellCol(hints.back().second), 0);
  EXPECT_TRUE(doc->GetEditableData().IsModified());
  EXPECT_EQ(doc->GetLastResultMsg(), save_msg);
}

TEST_F(TernDocTest, ReadOnlyEntriesAndVirtualColumns) {
  next.columns = {u"EMPNO", u"ENAME", u"sal*12 /*READONLY*/"};
  virtual_cols = {u"EMPNO"};
  Load();
  auto& data = doc->GetEditableData();
  EXPECT_TRUE(doc->IsReadOnlyColumn(0));
  EXPECT_FALSE(doc->IsReadOnlyColumn(1));
  EXPECT_TRUE(doc->IsReadOnlyColumn(2));
  EXPECT_FALSE(data.IsColEditable(0, 0));
  EXPECT_TRUE(data.IsColEditable(0, 1));
  EXPECT_FALSE(data.IsColEditable(0, 2));
}

TEST_F(TernDocTest, CloseAsksOnlyWithEditsAndNeverSaves) {
  EXPECT_TRUE(doc->CanClose());
  Load();
  EXPECT_TRUE(doc->CanClose());
  Edit();
  ui_.answer(IDNO);
  EXPECT_FALSE(doc->CanClose());
  ui_.answer(IDYES);
  EXPECT_TRUE(doc->CanClose());
  EXPECT_EQ(ui_.boxes.back().text, u"アプリケーションを終了します。\n編集中のデータは保存されません。よろしいですか？");
  EXPECT_EQ(saves, 0);
}

TEST_F(TernDocTest, SwapAndActiveGridData) {
  Load();
  EXPECT_EQ(doc->GetActiveGridData(), &doc->GetEditableData());
  doc->ToggleSwap();
  EXPECT_EQ(doc->GetSwap(), 1);
  EXPECT_TRUE(HasHint(hint::kSwapChanged));
  CGridData* swapped = doc->GetActiveGridData();
  EXPECT_NE(swapped, &doc->GetEditableData());
  EXPECT_EQ(swapped->GetRowCnt(), 3);  // columns become rows
  doc->ToggleSwap();
  EXPECT_EQ(doc->GetActiveGridData(), &doc->GetEditableData());
}

TEST_F(TernDocTest, OwnerDefaultsToCurrentUserAndLockIsTakenBack) {
  next.data_lock = 1;
  Load();
  EXPECT_EQ(data_lock, 1);
  EXPECT_EQ(doc->GetOwnerName(), u"SCOTT");
}

}  // namespace
}  // namespace kestrel
