// Row locks between sessions: SELECT ... FOR UPDATE and DML lock single
// rows, so two sessions work on different rows of one table at once, and a
// second claim on a row gets ORA-00054, waits, times out or is cancelled.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "engine_fixture.h"

namespace ocilite::testing {
namespace {

class RowLockTest : public ::testing::Test {
 protected:
  void SetUp() override {
    a = db.login();
    b = db.login();
    exec(*a, "create table acct (id number(4) primary key, bal number(9,2))");
    exec(*a, "create table keyed (id number(4) primary key, v varchar2(10)) organization index");
    for (int i = 1; i <= 3; ++i) {
      exec(*a, "insert into acct values (:1, 100)", {std::to_string(i)});
      exec(*a, "insert into keyed values (:1, 'x')", {std::to_string(i)});
    }
    exec(*a, "commit");
  }
  EngineDb db;
  std::unique_ptr<Session> a, b;
};

TEST_F(RowLockTest, ForUpdateLocksOnlyItsRows) {
  EXPECT_EQ(query(*a, "select bal from acct where id = 1 for update nowait"), (Rows{{"100"}}));
  // b works on another row while a holds row 1 ...
  exec(*b, "update acct set bal = 200 where id = 2");
  EXPECT_EQ(query(*b, "select id from acct where id = 3 for update nowait"), (Rows{{"3"}}));
  // ... and every claim of b on row 1 is refused at once.
  struct Case {
    const char* sql;
  } claims[] = {{"select bal from acct where id = 1 for update nowait"},
                {"update acct set bal = 0 where id = 1"},
                {"delete from acct where id = 1"},
                {"update acct set bal = bal + 1"}};
  for (const auto& c : claims) EXPECT_EQ(run(*b, c.sql).error.code, 54) << c.sql;
  // The refused whole-table update left b's own change and locks alone.
  EXPECT_EQ(query(*b, "select bal from acct where id = 2"), (Rows{{"200"}}));
  exec(*b, "commit");
  exec(*a, "commit");
  exec(*b, "update acct set bal = 1 where id = 1");
  exec(*b, "commit");
  EXPECT_EQ(query(*a, "select id, bal from acct order by id"), (Rows{{"1", "1"}, {"2", "200"}, {"3", "100"}}));
}

TEST_F(RowLockTest, RefusedWriteLeavesTheSchemaFree) {
  exec(*a, "select * from acct where id = 1 for update");
  EXPECT_EQ(run(*b, "update acct set bal = 0 where id = 1").error.code, 54);
  // b wrote nothing, so a's own write goes ahead at once.
  auto start = std::chrono::steady_clock::now();
  exec(*a, "update acct set bal = 1 where id = 1");
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
  exec(*a, "commit");
}

TEST_F(RowLockTest, RowsChangedByDmlAreLockedUntilCommit) {
  exec(*a, "update acct set bal = 5 where id = 2");
  EXPECT_EQ(run(*b, "select * from acct where id = 2 for update nowait").error.code, 54);
  EXPECT_EQ(query(*b, "select bal from acct where id = 3 for update nowait"), (Rows{{"100"}}));
  exec(*a, "rollback");
  EXPECT_EQ(query(*b, "select bal from acct where id = 2 for update nowait"), (Rows{{"100"}}));
  exec(*b, "rollback");
}

TEST_F(RowLockTest, IndexOrganisedRowsLockByKey) {
  EXPECT_EQ(query(*a, "select v from keyed where id = 2 for update"), (Rows{{"x"}}));
  EXPECT_EQ(run(*b, "delete from keyed where id = 2").error.code, 54);
  exec(*b, "delete from keyed where id = 3");
  exec(*b, "commit");
  exec(*a, "commit");
  EXPECT_EQ(query(*a, "select count(*) from keyed"), (Rows{{"2"}}));
}

TEST_F(RowLockTest, WaitingClaimGetsTheRowWhenItIsFree) {
  exec(*a, "update acct set bal = 7 where id = 1");
  std::atomic<bool> done{false};
  Result waited;
  std::thread t([&] {
    waited = run(*b, "select bal from acct where id = 1 for update");
    done = true;
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(150));
  EXPECT_FALSE(done.load()) << "FOR UPDATE without NOWAIT must wait";
  exec(*a, "commit");
  t.join();
  ASSERT_FALSE(waited.error) << waited.error.text;
  EXPECT_EQ(waited.rows, (Rows{{"7"}}));  // the committed value
  exec(*b, "rollback");
}

TEST_F(RowLockTest, WaitTimesOutAndBreakCancels) {
  exec(*a, "select * from acct where id = 3 for update");
  auto start = std::chrono::steady_clock::now();
  Result r = run(*b, "select * from acct where id = 3 for update wait 1");
  EXPECT_EQ(r.error.code, 30006) << r.error.text;
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(900));
  // b takes rows 1 and 2, then waits for row 3 until the break.
  std::thread t([&] { r = run(*b, "select * from acct for update"); });
  std::this_thread::sleep_for(std::chrono::milliseconds(150));
  b->request_break();
  t.join();
  EXPECT_EQ(r.error.code, 1013) << r.error.text;
  b->clear_break();
  // The cancelled statement kept none of the rows it had taken.
  EXPECT_EQ(query(*a, "select id from acct where id < 3 order by id for update nowait"), (Rows{{"1"}, {"2"}}));
  EXPECT_EQ(run(*a, "select count(*) from acct for update").error.code, 1786);
  exec(*a, "rollback");
}

TEST_F(RowLockTest, RollbackToSavepointGivesBackLaterLocks) {
  exec(*a, "select * from acct where id = 1 for update");
  exec(*a, "savepoint tern_p1");
  exec(*a, "update acct set bal = 0 where id = 2");
  exec(*a, "rollback to tern_p1");
  EXPECT_EQ(query(*b, "select bal from acct where id = 2 for update nowait"), (Rows{{"100"}}));
  EXPECT_EQ(run(*b, "select bal from acct where id = 1 for update nowait").error.code, 54);
  exec(*b, "commit");
  exec(*a, "commit");
}

TEST_F(RowLockTest, SaveAfterAnotherSessionsCommit) {
  // a holds a row and a savepoint, reads, then b commits a change in the
  // same schema: a's save must still go through (a fresh snapshot).
  exec(*a, "select * from acct where id = 1 for update");
  exec(*a, "savepoint tern_p1");
  EXPECT_EQ(query(*a, "select count(*) from acct"), (Rows{{"3"}}));
  exec(*b, "update acct set bal = 50 where id = 3");
  exec(*b, "commit");
  exec(*a, "update acct set bal = 1 where id = 1");
  exec(*a, "rollback to tern_p1");
  exec(*a, "update acct set bal = 2 where id = 1");
  exec(*a, "commit");
  EXPECT_EQ(query(*b, "select id, bal from acct order by id"), (Rows{{"1", "2"}, {"2", "100"}, {"3", "50"}}));
}

}  // namespace
}  // namespace ocilite::testing
