// The table selection dialog on a fresh demo database, offscreen: its lists,
// the filter, the chosen columns, "Where句へコピー", OK and the re-run.
#include "app/table_list_dlg.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeView>

#include "app/document_workers.h"
#include "document_db.h"
#include "gui_app.h"
#include "oci/oci_dataset.h"
#include "platform/settings_store.h"
#include "sqltext/edit_ctrl.h"
#include "sqltext/sql_str_token.h"
#include "support/scripted_ui.h"

namespace kestrel {
namespace {

std::string U8(std::u16string_view s) { return utf16_to_utf8(s); }
using Names = std::vector<std::u16string>;

class TableListDlgTest : public testing::DocumentDbTest {
 protected:
  static void SetUpTestSuite() {
    DocumentDbTest::SetUpTestSuite();
    testing::EnsureQApplication();
  }
  void SetUp() override {
    DocumentDbTest::SetUp();
    store_ = std::make_unique<IniSettingsStore>(tmp_.path() / "kestrel.ini", 0600);
    io.owner = u"SCOTT";
  }
  std::unique_ptr<CTableListDlg> Make() {
    CTableListDlg::Env env;
    env.session = session_;
    env.tokenizer = &tok_;
    env.store = store_.get();
    env.run_query = RunQueryOnWorker;
    return std::make_unique<CTableListDlg>(std::move(env), io, nullptr);
  }
  bool Contains(const Names& names, std::u16string_view n) {
    return std::find(names.begin(), names.end(), n) != names.end();
  }

  testing::ScriptedUi ui_;
  CSQLStrToken tok_;
  std::unique_ptr<IniSettingsStore> store_;
  TableSelection io;
};

TEST_F(TableListDlgTest, OwnersObjectsAndTheFilter) {
  auto dlg = Make();
  ASSERT_TRUE(dlg->Open());
  auto* owners = dlg->findChild<QComboBox*>("1100");
  ASSERT_NE(owners, nullptr);
  EXPECT_EQ(owners->itemText(owners->count() - 1), QStringLiteral("PUBLIC"));
  EXPECT_EQ(owners->currentText(), QStringLiteral("SCOTT"));
  Names all = dlg->ShownObjects();
  for (auto n : {u"EMP", u"DEPT", u"SALGRADE", u"EMP_DEPT_V", u"STAFF", u"BIG_TABLE"}) EXPECT_TRUE(Contains(all, n));
  QAbstractItemModel* model = dlg->ObjectList()->model();
  for (int r = 0; r < model->rowCount(); ++r) {
    if (model->index(r, 0).data().toString() == QStringLiteral("DEPT")) {
      EXPECT_EQ(model->index(r, 2).data().toString(), QStringLiteral("部署"));
    }
  }

  auto* filter = dlg->findChild<QLineEdit*>("1036");
  ASSERT_NE(filter, nullptr);
  QTest::keyClicks(filter, "^e");
  Names shown = dlg->ShownObjects();
  EXPECT_TRUE(Contains(shown, u"EMP"));
  EXPECT_TRUE(Contains(shown, u"EMP_DEPT_V"));
  EXPECT_FALSE(Contains(shown, u"DEPT"));
  EXPECT_TRUE(dlg->FilterValid());
  filter->setText(QStringLiteral("("));
  EXPECT_FALSE(dlg->FilterValid());
  EXPECT_EQ(dlg->ShownObjects().size(), all.size());
  QTest::mouseClick(dlg->findChild<QPushButton*>("1041"), Qt::LeftButton);
  EXPECT_TRUE(filter->text().isEmpty());
  EXPECT_TRUE(dlg->FilterValid());
}

TEST_F(TableListDlgTest, ColumnsOfTableAndSynonymAndTheChosenList) {
  auto dlg = Make();
  ASSERT_TRUE(dlg->Open());
  ASSERT_TRUE(dlg->SelectObject(u"EMP"));
  const Names emp = dlg->ColumnNames();
  ASSERT_EQ(emp.size(), 9u);
  ASSERT_TRUE(dlg->SelectObject(u"STAFF"));
  EXPECT_EQ(dlg->ColumnNames(), emp);

  dlg->MarkColumns({u"ENAME", u"SAL"});
  dlg->AddMarked();
  dlg->AddMarked();  // a column is chosen once
  EXPECT_EQ(dlg->Chosen(), (Names{u"ENAME", u"SAL"}));
  dlg->MoveChosen(1, -1);
  EXPECT_EQ(dlg->Chosen(), (Names{u"SAL", u"ENAME"}));
  dlg->MoveChosen(0, -1);  // already first
  EXPECT_EQ(dlg->Chosen(), (Names{u"SAL", u"ENAME"}));
  dlg->DeleteChosen({0});
  EXPECT_EQ(dlg->Chosen(), (Names{u"ENAME"}));
  QTest::mouseClick(dlg->findChild<QPushButton*>("1012"), Qt::LeftButton);  // &All
  QTest::mouseClick(dlg->findChild<QPushButton*>("1043"), Qt::LeftButton);  // Add
  EXPECT_EQ(dlg->Chosen().size(), 9u);
  QTest::mouseClick(dlg->findChild<QPushButton*>("1047"), Qt::LeftButton);  // Clear
  EXPECT_TRUE(dlg->Chosen().empty());

  dlg->MarkColumns({u"EMPNO", u"ENAME"});
  dlg->WhereCopy();
  EXPECT_EQ(U8(dlg->WhereEditor()->GetText()), "EMPNO, ENAME");
  dlg->MarkColumns({u"SAL"});
  dlg->WhereCopy();
  EXPECT_EQ(U8(dlg->WhereEditor()->GetText()), "EMPNO, ENAME, SAL");
}

TEST_F(TableListDlgTest, OkBuildsRunsAndHandsBack) {
  auto dlg = Make();
  ASSERT_TRUE(dlg->Open());
  ASSERT_TRUE(dlg->SelectObject(u"EMP"));
  dlg->MarkColumns({u"EMPNO", u"ENAME"});
  dlg->AddMarked();
  dlg->WhereEditor()->SetText(u"deptno = 10 order by empno");
  ASSERT_TRUE(dlg->OnOK());
  EXPECT_EQ(U8(io.sql),
            "select a.\"EMPNO\", a.\"ENAME\", rowid \nfrom \"SCOTT\".\"EMP\" a \nWHERE deptno = 10 order by empno");
  EXPECT_EQ(io.condition_typed, u"deptno = 10 order by empno");
  EXPECT_EQ(io.condition_sent, u"WHERE deptno = 10 order by empno");
  EXPECT_EQ(io.columns, (Names{u"EMPNO", u"ENAME"}));
  EXPECT_EQ(io.table, u"EMP");
  ASSERT_NE(io.result, nullptr);
  EXPECT_EQ(io.result->row_count, 3);
  EXPECT_EQ(dlg->result(), QDialog::Accepted);
  EXPECT_TRUE(ui_.boxes.empty());
}

TEST_F(TableListDlgTest, NoColumnsChosenTakesThemAll) {
  auto dlg = Make();
  ASSERT_TRUE(dlg->Open());
  ASSERT_TRUE(dlg->SelectObject(u"DEPT"));
  ASSERT_TRUE(dlg->OnOK());
  EXPECT_EQ(io.columns, (Names{u"DEPTNO", u"DNAME", u"LOC"}));
  EXPECT_EQ(io.result->row_count, 4);
}

TEST_F(TableListDlgTest, BadConditionsAndLocksKeepTheDialogOpen) {
  auto dlg = Make();
  ASSERT_TRUE(dlg->Open());
  ASSERT_TRUE(dlg->SelectObject(u"EMP"));
  dlg->WhereEditor()->SetText(u"ename = 'open");
  EXPECT_FALSE(dlg->OnOK());
  ASSERT_EQ(ui_.boxes.size(), 1u);
  EXPECT_EQ(ui_.boxes[0].title, u"ERROR");
  EXPECT_NE(ui_.boxes[0].text.find(u"ORA-"), std::u16string::npos);
  EXPECT_EQ(U8(dlg->WhereEditor()->GetText()), "ename = 'open") << "the condition is kept";
  EXPECT_EQ(io.result, nullptr);

  ASSERT_EQ(OtherExecute(u"update emp set sal = sal where empno = 7788"), kOciOk);
  dlg->findChild<QCheckBox*>("1031")->setChecked(true);
  dlg->WhereEditor()->SetText(u"");
  EXPECT_FALSE(dlg->OnOK());
  ASSERT_EQ(ui_.boxes.size(), 2u);
  EXPECT_NE(ui_.boxes[1].text.find(u"ORA-00054"), std::u16string::npos) << U8(ui_.boxes[1].text);
}

TEST_F(TableListDlgTest, ReRunPressesOkItselfAndKeepsTheSize) {
  store_->write_int(u"TABLE_DLG", u"WIDTH", 700);
  store_->write_int(u"TABLE_DLG", u"HEIGHT", 500);
  io.mode = 1;
  io.table = u"EMP";
  io.columns = {u"EMPNO", u"ENAME", u"sal*12 /*READONLY*/"};
  io.condition_typed = u"order by empno";
  auto dlg = Make();
  ASSERT_TRUE(dlg->Run());
  EXPECT_EQ(dlg->ShownObjects(), (Names{u"EMP"})) << "the re-run lists only its object";
  ASSERT_NE(io.result, nullptr);
  EXPECT_EQ(io.result->row_count, 14);
  EXPECT_EQ(U8(io.sql),
            "select a.\"EMPNO\", a.\"ENAME\", sal*12 /*READONLY*/, rowid \nfrom \"SCOTT\".\"EMP\" a \norder by empno");
  EXPECT_EQ(store_->get_int(u"TABLE_DLG", u"WIDTH", 0), 700);
  EXPECT_EQ(store_->get_int(u"TABLE_DLG", u"HEIGHT", 0), 500);
}

TEST_F(TableListDlgTest, AGoneTableOrColumnSaysWhy) {
  struct Case {
    std::u16string table;
    Names columns;
    std::u16string message;
  } cases[] = {{u"NOPE", {u"A"}, u"テーブルが見つかりません"},
               {u"EMP", {u"EMPNO", u"GONE"}, u"カラムが見つかりません"}};
  for (const auto& c : cases) {
    for (int mode : {0, 1}) {
      ui_.boxes.clear();
      io = TableSelection{};
      io.owner = u"SCOTT";
      io.mode = mode;
      io.table = c.table;
      io.columns = c.columns;
      auto dlg = Make();
      EXPECT_FALSE(dlg->Run());
      ASSERT_EQ(ui_.boxes.size(), 1u);
      EXPECT_EQ(ui_.boxes[0].text, c.message);
      EXPECT_EQ(io.result, nullptr);
    }
  }
}

}  // namespace
}  // namespace kestrel
