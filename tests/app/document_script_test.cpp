// The document over the real Oracle grid data and a fresh demo database:
// questions answered from a script, hints recorded, a second session
// reading (and locking) the tables behind the document's back.
#include <gtest/gtest.h>

#include <functional>

#include "app/document_workers.h"
#include "app/table_query.h"
#include "app/tern_doc.h"
#include "app/view_hints.h"
#include "document_db.h"
#include "griddata/ora_grid_data.h"
#include "sqltext/sql_str_token.h"
#include "support/scripted_ui.h"

namespace kestrel {
namespace {

std::string U8(std::u16string_view s) { return utf16_to_utf8(s); }

class DocumentScriptTest : public testing::DocumentDbTest {
 protected:
  void SetUp() override {
    DocumentDbTest::SetUp();
    if (HasFatalFailure()) return;
    auto grid = std::make_unique<CEditableOraGridData>();
    grid_ = grid.get();
    DocumentServices s;
    s.update_views = [this](int32_t h, int64_t arg) { hints.emplace_back(h, arg); };
    s.run_table_selection = [this](TableSelection& io) { return RunSelection(io); };
    s.load = [this](std::unique_ptr<CEditableGridData>&, OciDataset* result, const std::u16string& owner,
                    const std::u16string& table, int32_t lock) {
      return grid_->SetData(result ? session_ : nullptr, result, owner, table, lock, false);
    };
    s.save = [this](CEditableGridData&, std::u16string* msg, int32_t* row, int32_t* col) {
      return RunSaveOnWorker(*grid_, session_, msg, row, col);
    };
    s.data_lock = [this] { return data_lock; };
    s.set_data_lock = [this](int32_t v) { data_lock = v; };
    s.current_user = [] { return std::u16string(u"SCOTT"); };
    doc = std::make_unique<CTernDoc>(std::move(s), std::move(grid));
  }
  void TearDown() override {
    doc.reset();
    DocumentDbTest::TearDown();
  }

  // What the table dialog's OK does, without the window.
  bool RunSelection(TableSelection& io) {
    selections.push_back(io.mode);
    if (io.mode == 1 && before_rerun) before_rerun();
    if (io.mode == 0) {
      io.owner = u"SCOTT";
      io.table = table;
      io.columns = columns;
      io.condition_typed = condition;
      io.data_lock = data_lock;
    }
    io.condition_sent = PrefixCondition(tok_, io.condition_typed);
    std::u16string err;
    if (RollbackBeforeQuery(session_, &err) != kOciOk) return Fail(err);
    SelectRequest req;
    req.owner = io.owner;
    req.table = io.table;
    req.alias = io.alias;
    req.entries = io.columns;
    req.condition = io.condition_sent;
    req.data_lock = io.data_lock == 1;
    std::u16string sql;
    if (BuildQueryStatement(session_, tok_, req, &sql, &err) != kOciOk) return Fail(err);
    auto result = std::make_unique<OciDataset>();
    int rc = RunQueryOnWorker(session_, sql, result.get(), &err);
    if (!AcceptQueryResult(rc, *result, &err)) return Fail(err);
    io.sql = sql;
    io.result = std::move(result);
    return true;
  }
  bool Fail(const std::u16string& err) {
    query_errors.push_back(err);
    return false;
  }

  void Load() {
    ASSERT_TRUE(doc->RunTableSelection(0)) << (query_errors.empty() ? "" : U8(query_errors.back()));
    ASSERT_TRUE(doc->HasTable());
    hints.clear();
  }
  std::u16string Cell(int32_t row, int32_t col) { return std::u16string(grid_->GetData(row, col)); }
  int32_t InsertedRow() const {
    for (int32_t r = 0; r < grid_->GetRowCnt(); ++r)
      if (grid_->IsInsertRow(r)) return r;
    return -1;
  }
  int32_t LastHint() const { return hints.empty() ? -1 : hints.back().first; }

  testing::ScriptedUi ui_;
  CSQLStrToken tok_;
  std::unique_ptr<CTernDoc> doc;
  CEditableOraGridData* grid_ = nullptr;
  std::u16string table = u"EMP";
  std::vector<std::u16string> columns = {u"EMPNO", u"ENAME", u"SAL"};
  std::u16string condition = u"order by empno";
  int32_t data_lock = 0;
  std::function<void()> before_rerun;
  std::vector<int32_t> selections;
  std::vector<std::u16string> query_errors;
  std::vector<std::pair<int32_t, int64_t>> hints;
};

TEST_F(DocumentScriptTest, DiscardAsksAndNoKeepsTheEdits) {
  Load();
  EXPECT_EQ(grid_->GetRowCnt(), 14);
  EXPECT_EQ(Cell(0, 0), u"7369");
  ASSERT_EQ(grid_->UpdateData(0, 1, u"JONES"), 0);
  ui_.answer(IDNO);
  doc->OnClear();
  ASSERT_EQ(ui_.boxes.size(), 1u);
  EXPECT_EQ(ui_.boxes[0].text, u"編集中のデータは保存されません。よろしいですか？");
  EXPECT_EQ(ui_.boxes[0].title, u"MESSAGE");
  EXPECT_TRUE(doc->HasTable());
  EXPECT_EQ(Cell(0, 1), u"JONES");
  ui_.answer(IDYES);
  doc->OnClear();
  EXPECT_FALSE(doc->HasTable());
  EXPECT_EQ(grid_->GetRowCnt(), 0);
  EXPECT_EQ(OtherValue(u"select ename from emp where empno = 7369"), u"鈴木 一郎");
}

TEST_F(DocumentScriptTest, SaveWithoutEditsAsksWithZeros) {
  Load();
  ui_.answer(IDNO);
  doc->OnSave();
  ASSERT_EQ(ui_.boxes.size(), 1u);
  EXPECT_EQ(ui_.boxes[0].text, u"編集結果を保存します。\nよろしいですか？\n\n  delete: 0\n  insert: 0\n  update: 0\n");
  EXPECT_EQ(ui_.boxes[0].flags, mb::YESNO | mb::ICONQUESTION);
}

TEST_F(DocumentScriptTest, SaveYesReloadsAndNoClears) {
  Load();
  ASSERT_EQ(grid_->UpdateData(0, 2, u"999"), 0);
  ASSERT_EQ(grid_->InsertRows(13, 1), 0);
  const int32_t added = InsertedRow();
  ASSERT_GE(added, 0);
  ASSERT_EQ(grid_->UpdateData(added, 0, u"8001"), 0);
  ASSERT_EQ(grid_->UpdateData(added, 1, u"新人 太郎"), 0);
  const int32_t last = added == 14 ? 13 : 14;
  ASSERT_EQ(Cell(last, 0), u"7934");
  ASSERT_EQ(grid_->DeleteRows(last, last), 0);
  ui_.answer(IDYES);
  ui_.answer(IDYES);
  doc->OnSave();
  ASSERT_EQ(ui_.boxes.size(), 2u) << U8(ui_.boxes.back().text);
  EXPECT_EQ(ui_.boxes[0].text, u"編集結果を保存します。\nよろしいですか？\n\n  delete: 1\n  insert: 1\n  update: 1\n");
  EXPECT_EQ(ui_.boxes[1].text,
            u"編集結果を保存しました。\n    delete: 1\n    insert 1\n    update 1\n再検索しますか？");
  EXPECT_EQ(ui_.boxes[1].flags, mb::YESNO | mb::ICONINFORMATION);
  EXPECT_EQ(selections.back(), 1);
  ASSERT_TRUE(doc->HasTable());
  EXPECT_FALSE(grid_->IsModified());
  EXPECT_EQ(grid_->GetRowCnt(), 14);
  EXPECT_EQ(Cell(0, 2), u"999");
  EXPECT_EQ(OtherValue(u"select sal from emp where empno = 7369"), u"999");
  EXPECT_EQ(OtherValue(u"select ename from emp where empno = 8001"), u"新人 太郎");
  EXPECT_EQ(OtherValue(u"select count(*) from emp where empno = 7934"), u"0");

  ASSERT_EQ(grid_->UpdateData(1, 2, u"1"), 0);
  ui_.answer(IDYES);
  ui_.answer(IDNO);
  doc->OnSave();
  EXPECT_FALSE(doc->HasTable());
  EXPECT_EQ(OtherValue(u"select sal from emp where empno = 7499"), u"1");
}

TEST_F(DocumentScriptTest, DuplicateKeyPointsAtTheInsertedRowAndChangesNothing) {
  Load();
  ASSERT_EQ(grid_->UpdateData(2, 2, u"1"), 0);
  ASSERT_EQ(grid_->InsertRows(13, 1), 0);
  const int32_t added = InsertedRow();
  ASSERT_EQ(grid_->UpdateData(added, 0, u"7369"), 0);
  ASSERT_EQ(grid_->UpdateData(added, 1, u"重複"), 0);
  ui_.answer(IDYES);
  doc->OnSave();
  ASSERT_EQ(ui_.boxes.size(), 2u);
  EXPECT_EQ(ui_.boxes[1].title, u"ERROR");
  EXPECT_NE(ui_.boxes[1].text.find(u"ORA-00001"), std::u16string::npos) << U8(ui_.boxes[1].text);
  ASSERT_EQ(LastHint(), hint::kSaveFailed);
  EXPECT_EQ(hint::CellRow(hints.back().second), added);
  EXPECT_TRUE(grid_->IsModified());
  EXPECT_EQ(OtherValue(u"select count(*) from emp"), u"14");
  EXPECT_EQ(OtherValue(u"select sal from emp where empno = 7521"), u"1250");
}

TEST_F(DocumentScriptTest, EmptiedNotNullColumnNamesTheCell) {
  Load();
  ASSERT_EQ(grid_->UpdateData(2, 2, u"5"), 0);
  ASSERT_EQ(grid_->UpdateData(3, 1, u""), 0);
  ui_.answer(IDYES);
  doc->OnSave();
  ASSERT_EQ(ui_.boxes.size(), 2u);
  EXPECT_EQ(ui_.boxes[1].title, u"ERROR");
  EXPECT_NE(ui_.boxes[1].text.find(u"ENAME"), std::u16string::npos) << U8(ui_.boxes[1].text);
  ASSERT_EQ(LastHint(), hint::kSaveFailed);
  EXPECT_EQ(hint::CellRow(hints.back().second), 3);
  EXPECT_EQ(hint::CellCol(hints.back().second), 1);
  EXPECT_TRUE(grid_->IsModified());
  EXPECT_EQ(OtherValue(u"select ename from emp where empno = 7566"), u"田中 美咲");
  EXPECT_EQ(OtherValue(u"select sal from emp where empno = 7521"), u"1250") << "rolled back to the savepoint";
}

TEST_F(DocumentScriptTest, ReRunThatFailsAfterASaveClearsTheDocument) {
  data_lock = 1;
  Load();
  ASSERT_EQ(grid_->UpdateData(0, 2, u"4321"), 0);
  // While the re-run question is up, another session takes a row's lock.
  before_rerun = [this] {
    ASSERT_EQ(OtherExecute(u"update emp set comm = comm where empno = 7902"), kOciOk) << U8(last_other_msg_);
  };
  ui_.answer(IDYES);
  ui_.answer(IDYES);
  doc->OnSave();
  ASSERT_EQ(query_errors.size(), 1u);
  EXPECT_NE(query_errors[0].find(u"ORA-00054"), std::u16string::npos) << U8(query_errors[0]);
  // The committed edits must not stay pending for a second save.
  EXPECT_FALSE(doc->HasTable());
  EXPECT_FALSE(grid_->IsModified());
  EXPECT_EQ(OtherValue(u"select sal from emp where empno = 7369"), u"4321");
}

TEST_F(DocumentScriptTest, ReadOnlyEntriesCannotBeEdited) {
  columns = {u"EMPNO", u"ENAME", u"sal*12 /*READONLY*/"};
  Load();
  EXPECT_TRUE(grid_->IsColEditable(0, 1));
  EXPECT_FALSE(grid_->IsColEditable(0, 2));
  EXPECT_TRUE(doc->IsReadOnlyColumn(2));
  EXPECT_EQ(Cell(0, 2), u"9600");
}

TEST_F(DocumentScriptTest, ClosingNeverWrites) {
  Load();
  ASSERT_EQ(grid_->UpdateData(0, 1, u"X"), 0);
  ui_.answer(IDNO);
  EXPECT_FALSE(doc->CanClose());
  ui_.answer(IDYES);
  EXPECT_TRUE(doc->CanClose());
  doc->Clear();
  EXPECT_EQ(OtherValue(u"select ename from emp where empno = 7369"), u"鈴木 一郎");
}

TEST_F(DocumentScriptTest, IndexOrganisedTableSavesByKey) {
  table = u"SALGRADE";
  columns = {u"GRADE", u"LOSAL", u"HISAL"};
  condition = u"order by grade";
  Load();
  EXPECT_EQ(grid_->GetColCnt(), 3);
  ASSERT_EQ(grid_->UpdateData(0, 1, u"650"), 0);
  ui_.answer(IDYES);
  ui_.answer(IDNO);
  doc->OnSave();
  EXPECT_EQ(OtherValue(u"select losal from salgrade where grade = 1"), u"650");
}

}  // namespace
}  // namespace kestrel
