// The save command's worker against a fresh stand-in database: the save
// runs behind the progress dialog, reports its summary or failing cell, and
// a Cancel answered Yes rolls everything back.
#include <gtest/gtest.h>

#include <QApplication>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <thread>
#include <set>

#include "support/qt_environment.h"
#include "../griddata/ora_grid_db_test.h"
#include "app/common_cancel_dlg.h"
#include "app/save_runner.h"
#include "griddata/ora_grid_data.h"
#include "oci/oci_codes.h"
#include "oci/oci_cursor.h"
#include "oci/oci_session.h"
#include "platform/format.h"
#include "platform/utf16.h"
#include "progress_test_util.h"

namespace kestrel {
namespace {

using kestrel::testing::TempDir;

constexpr int kRows = 3000;

const auto* const g_env = ::testing::AddGlobalTestEnvironment(new testing::QtEnvironment("app_save_runner_gui_tests"));

class SaveRunnerTest : public testing::OraGridDbTest {
 protected:
  void SetUp() override {
    testing::OraGridDbTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    exec(u"create table t (id number(5) primary key, name varchar2(10))");
    insert_numbered_rows(kRows);
    load(u"select t.*, rowid from t order by id", u"T");
  }
  // What another session sees: the count of rows and of renamed rows.
  std::pair<int, int> committed() {
    OciSession* other = login();
    char16_t all[64] = {}, renamed[64] = {};
    oci_select_value(other, u"select count(*) from t", all, sizeof all, OciMsgBuf(msg_));
    oci_select_value(other, u"select count(*) from t where name like 'x%'", renamed, sizeof renamed, OciMsgBuf(msg_));
    oci_ora_logout(&other);
    return {std::stoi(utf16_to_utf8(all)), std::stoi(utf16_to_utf8(renamed))};
  }
};

TEST_F(SaveRunnerTest, SavesBehindTheProgressDialogAndReportsTheSummary) {
  for (int r = 0; r < 500; ++r) ASSERT_EQ(grid_.UpdateData(r, 1, format(u"x%d", {r})), 0);
  ASSERT_GE(grid_.DeleteRows(2990, 2999), 0);
  std::set<QString> phases;
  int options = -1;
  QTimer watch;
  watch.setInterval(1);
  QObject::connect(&watch, &QTimer::timeout, [&] {
    if (auto* dlg = testing::find_top_level<CCommonCancelDlg>()) {
      options = static_cast<int>(dlg->Options());
      phases.insert(dlg->Line(1));
    }
  });
  watch.start();
  SaveRunResult r = run_save(nullptr, grid_);
  ASSERT_EQ(r.code, kOciOk) << utf16_to_utf8(r.message);
  EXPECT_EQ(r.message, u"編集結果を保存しました。\n    delete: 10\n    insert 0\n    update 500");
  EXPECT_EQ(r.error_cell, CellPoint{});
  EXPECT_EQ(r.counts.updated, 500);
  EXPECT_EQ(options, 0x7);
  EXPECT_EQ(committed(), std::make_pair(kRows - 10, 500));
}

TEST_F(SaveRunnerTest, AFailureNamesTheCellAndLeavesTheTableAsItWas) {
  ASSERT_EQ(grid_.UpdateData(3, 1, u"xx"), 0);
  ASSERT_EQ(grid_.UpdateData(5, 1, u"much too long for ten"), 0);
  SaveRunResult r = run_save(nullptr, grid_);
  // The client buffer is wide enough in bytes; the database refuses it.
  EXPECT_EQ(r.code, kOciOracleError);
  EXPECT_EQ(r.message.rfind(u"update error\n ORA-12899: value too large for column", 0), 0u)
      << utf16_to_utf8(r.message);
  EXPECT_EQ(r.error_cell, (CellPoint{1, 5}));
  EXPECT_EQ(committed(), std::make_pair(kRows, 0));
  EXPECT_TRUE(grid_.IsUpdateCell(3, 1));  // the edits stay
}

TEST_F(SaveRunnerTest, CancelAnsweredYesRollsBackAndTheSessionStaysUsable) {
  for (int r = 0; r < kRows; ++r) ASSERT_EQ(grid_.UpdateData(r, 1, u"x"), 0);
  bool pressed = false;
  QTimer watch;
  watch.setInterval(1);
  QObject::connect(&watch, &QTimer::timeout, [&] {
    auto* dlg = testing::find_top_level<CCommonCancelDlg>();
    if (pressed || !dlg || !dlg->isVisible()) return;
    pressed = true;
    testing::answer_question_later(QMessageBox::Yes);
    dlg->CancelButton()->click();
  });
  watch.start();
  SaveRunResult r = run_save(nullptr, grid_);
  ASSERT_TRUE(pressed);
  EXPECT_EQ(r.code, kOciCancelled);
  EXPECT_EQ(r.message, u"キャンセルしました\n");
  EXPECT_EQ(committed(), std::make_pair(kRows, 0));
  // The session goes on: the same edits save once asked again.
  watch.stop();
  r = run_save(nullptr, grid_);
  EXPECT_EQ(r.code, kOciOk) << utf16_to_utf8(r.message);
  EXPECT_EQ(committed(), std::make_pair(kRows, kRows));
}

TEST_F(SaveRunnerTest, CancelEndsAWaitForARowAnotherSessionHolds) {
  ASSERT_EQ(oci_execute_sql(session_, u"create table l (id number(5) primary key, c clob)", OciMsgBuf(msg_)), kOciOk);
  ASSERT_EQ(oci_execute_sql(session_, u"insert into l values (1, 'old')", OciMsgBuf(msg_)), kOciOk);
  ASSERT_EQ(oci_ora_commit(session_, OciMsgBuf(msg_)), kOciOk);
  grid_.SetData(nullptr, nullptr, u"", u"", 0, false);
  ds_.clear();
  ASSERT_EQ(oci_cre_sel_cursor(session_, &ds_, u"select l.*, rowid from l", 100, OciMsgBuf(msg_)), kOciOk);
  ASSERT_EQ(grid_.SetData(session_, &ds_, u"SCOTT", u"L", 0, false), 0);
  ASSERT_EQ(grid_.UpdateData(0, 1, u"new"), 0);
  // The other session holds the row, so the CLOB's select ... for update waits.
  OciSession* other = login();
  ASSERT_NE(other, nullptr);
  OciDataset held;
  ASSERT_EQ(oci_cre_sel_cursor(other, &held, u"select id from l where id = 1 for update", 10, OciMsgBuf(msg_)), kOciOk);

  // Cancel half a second into the wait; should the save not end, the row is
  // let go after a while so that the test fails instead of hanging.
  bool pressed = false;
  QTimer watch;
  watch.setInterval(1);
  QObject::connect(&watch, &QTimer::timeout, [&] {
    auto* dlg = testing::find_top_level<CCommonCancelDlg>();
    if (pressed || !dlg || !dlg->isVisible()) return;
    pressed = true;
    QTimer::singleShot(500, dlg, [dlg] {
      testing::answer_question_later(QMessageBox::Yes);
      dlg->CancelButton()->click();
    });
  });
  watch.start();
  std::atomic<bool> ended{false};
  std::thread watchdog([&] {
    for (int i = 0; i < 800 && !ended; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    if (!ended) {
      char16_t m[256] = {};
      oci_ora_rollback(other, OciMsgBuf(m));
    }
  });
  const auto start = std::chrono::steady_clock::now();
  SaveRunResult r = run_save(nullptr, grid_);
  const auto took = std::chrono::steady_clock::now() - start;
  ended = true;
  watchdog.join();
  watch.stop();
  ASSERT_TRUE(pressed);
  EXPECT_EQ(r.code, kOciCancelled) << utf16_to_utf8(r.message);
  EXPECT_EQ(r.message, u"キャンセルしました\n");
  EXPECT_LT(took, std::chrono::seconds(5));
  EXPECT_TRUE(grid_.IsUpdateCell(0, 1));

  // The session is usable and the table as it was; once the row is free
  // the same save goes through.
  char16_t value[64] = {};
  ASSERT_EQ(oci_select_value(session_, u"select c from l", value, sizeof value, OciMsgBuf(msg_)), kOciOk);
  EXPECT_EQ(std::u16string(value), u"old");
  held.clear();
  ASSERT_EQ(oci_ora_rollback(other, OciMsgBuf(msg_)), kOciOk);
  oci_ora_logout(&other);
  r = run_save(nullptr, grid_);
  ASSERT_EQ(r.code, kOciOk) << utf16_to_utf8(r.message);
  other = login();
  ASSERT_EQ(oci_select_value(other, u"select c from l", value, sizeof value, OciMsgBuf(msg_)), kOciOk);
  EXPECT_EQ(std::u16string(value), u"new");
  oci_ora_logout(&other);
}

}  // namespace
}  // namespace kestrel
