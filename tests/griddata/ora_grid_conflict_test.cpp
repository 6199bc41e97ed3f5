// Saving while another session holds rows of the same table: a refused row
// stops the save at that row and keeps the grid's edits; a save waiting for
// a row lock is ended by the cancel flag, and the session goes on.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

#include "ora_grid_db_test.h"
#include "platform/format.h"

namespace kestrel {
namespace {

using Clock = std::chrono::steady_clock;

class OraGridConflictTest : public testing::OraGridDbTest {
 protected:
  void SetUp() override {
    testing::OraGridDbTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    exec(u"create table t (id number(5) primary key, name varchar2(10), c clob)");
    for (int i = 1; i <= 6; ++i) exec(format(u"insert into t values (%d, 'n%d', 'c%d')", {i, i, i}));
    exec(u"commit");
    load(u"select t.*, rowid from t order by id", u"T");
  }
  void TearDown() override {
    if (other_) {
      char16_t m[256] = {};
      oci_ora_rollback(other_, OciMsgBuf(m));
      oci_ora_logout(&other_);
    }
    testing::OraGridDbTest::TearDown();
  }
  std::vector<std::string> table() { return rows(u"select id, name, c from t order by id"); }

  OciSession* other_ = nullptr;
};

const std::vector<std::string> kOriginal = {"1|n1|c1", "2|n2|c2", "3|n3|c3", "4|n4|c4", "5|n5|c5", "6|n6|c6"};

// How the other session takes row 4 and how it lets it go; which rows the
// grid changes (or deletes), and the row the save is stopped at.
struct HeldRow {
  const char16_t* take;
  bool commit;
  bool remove;
  std::vector<int32_t> edited;
  int32_t stopped_at;
};

// Takes `sql` on `s`: a select ... for update keeps its rows until the end
// of the transaction, an update its row (and the table's write).
void Take(OciSession* s, const char16_t* sql) {
  char16_t m[1024] = {};
  if (std::u16string_view(sql).substr(0, 6) == u"select") {
    OciDataset held;
    ASSERT_EQ(oci_cre_sel_cursor(s, &held, sql, 10, OciMsgBuf(m)), kOciOk) << utf16_to_utf8(m);
  } else {
    ASSERT_EQ(oci_execute_sql(s, sql, OciMsgBuf(m)), kOciOk) << utf16_to_utf8(m);
  }
}

constexpr char16_t kUpdateHeld[] = u"update t set name = 'held' where id = 4";
constexpr char16_t kSelectHeld[] = u"select id from t where id = 4 for update";

TEST_F(OraGridConflictTest, ARowHeldElsewhereStopsTheSaveThereUntilItIsLetGo) {
  // An uncommitted update holds the whole table's write in the stand-in
  // client, so a statement writing any row waits for it and is refused at
  // its first row: the held row comes first there.
  const HeldRow cases[] = {
      {kUpdateHeld, true, false, {3, 5}, 3},
      {kUpdateHeld, false, false, {3, 5}, 3},
      {kSelectHeld, true, false, {1, 3, 5}, 3},
      {kSelectHeld, false, false, {1, 3, 5}, 3},
      {kSelectHeld, false, true, {1, 3, 5}, 3},
  };
  for (const HeldRow& c : cases) {
    SCOPED_TRACE(utf16_to_utf8(c.take) + (c.commit ? ", commit" : ", rollback") + (c.remove ? ", delete" : ""));
    load(u"select t.*, rowid from t order by id", u"T");
    for (int32_t r : c.edited) {
      if (c.remove) ASSERT_EQ(grid_.DeleteRows(r, r), 0);
      else ASSERT_EQ(grid_.UpdateData(r, 1, format(u"mine%d", {r + 1})), 0);
    }
    auto changed = [&](int32_t r) { return c.remove ? grid_.IsDeleteRow(r) : grid_.GetData(r, 1) != u"n6"; };
    other_ = login();
    ASSERT_NE(other_, nullptr);
    Take(other_, c.take);

    EXPECT_EQ(save(), kOciOracleError) << message();
    EXPECT_EQ(message().rfind(c.remove ? "delete error\n" : "update error\n", 0), 0u) << message();
    EXPECT_NE(message().find("ORA-00054"), std::string::npos) << message();
    EXPECT_EQ(err_, (CellPoint{c.remove ? -1 : 1, c.stopped_at}));
    // The edits and their undo history stay; nothing reached the table.
    for (int32_t r : c.edited) EXPECT_TRUE(c.remove ? grid_.IsDeleteRow(r) : grid_.IsUpdateCell(r, 1)) << r;
    EXPECT_TRUE(changed(5));
    ASSERT_TRUE(grid_.CanUndo());
    grid_.Undo();
    EXPECT_FALSE(changed(5));
    grid_.Redo();
    EXPECT_TRUE(changed(5));
    EXPECT_EQ(table(), kOriginal);

    char16_t m[256] = {};
    ASSERT_EQ(c.commit ? oci_ora_commit(other_, OciMsgBuf(m)) : oci_ora_rollback(other_, OciMsgBuf(m)), kOciOk);
    oci_ora_logout(&other_);
    ASSERT_EQ(save(), kOciOk) << message();
    EXPECT_EQ(err_, CellPoint{});
    std::vector<std::string> expected;
    for (int32_t r = 0; r < 6; ++r) {
      const bool edited = std::find(c.edited.begin(), c.edited.end(), r) != c.edited.end();
      if (!edited) expected.push_back(kOriginal[static_cast<std::size_t>(r)]);
      else if (!c.remove) expected.push_back(utf16_to_utf8(format(u"%d|mine%d|c%d", {r + 1, r + 1, r + 1})));
    }
    EXPECT_EQ(table(), expected);
    exec(u"delete from t");
    for (int i = 1; i <= 6; ++i) exec(format(u"insert into t values (%d, 'n%d', 'c%d')", {i, i, i}));
    exec(u"commit");
  }
}

// Sets the cancel flag to 1 after `delay` (the dialog's Yes). Should the
// save not end by then, `release` runs after `limit`, so a save that
// ignores the flag fails the test instead of hanging it.
class DelayedCancel {
 public:
  DelayedCancel(CancelFlag* flag, std::chrono::milliseconds delay, std::chrono::milliseconds limit,
                std::function<void()> release)
      : thread_([this, flag, delay, limit, release = std::move(release)] {
          std::unique_lock lock(mutex_);
          if (cv_.wait_for(lock, delay, [this] { return done_; })) return;
          flag->store(1);
          if (!cv_.wait_for(lock, limit, [this] { return done_; })) release();
        }) {}
  ~DelayedCancel() {
    {
      std::lock_guard lock(mutex_);
      done_ = true;
    }
    cv_.notify_all();
    thread_.join();
  }

 private:
  std::mutex mutex_;
  std::condition_variable cv_;
  bool done_ = false;
  std::thread thread_;
};

TEST_F(OraGridConflictTest, CancelEndsAWaitForALockedRow) {
  struct Case {
    const char16_t* take;
    int32_t col;  // 2: the CLOB's select ... for update waits for the row
  } cases[] = {{kUpdateHeld, 2}, {kSelectHeld, 2}, {kUpdateHeld, 1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(utf16_to_utf8(c.take) + " col " + std::to_string(c.col));
    load(u"select t.*, rowid from t order by id", u"T");
    ASSERT_EQ(grid_.UpdateData(3, c.col, u"mine"), 0);
    other_ = login();
    ASSERT_NE(other_, nullptr);
    Take(other_, c.take);

    CancelFlag cancel{0};
    const auto start = Clock::now();
    int rc = -1;
    {
      DelayedCancel later(&cancel, std::chrono::milliseconds(300), std::chrono::seconds(8), [this] {
        char16_t m[256] = {};
        oci_ora_rollback(other_, OciMsgBuf(m));
      });
      rc = save(nullptr, &cancel);
    }
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(5));
    EXPECT_EQ(rc, kOciCancelled) << message();
    EXPECT_EQ(std::u16string(msg_), u"キャンセルしました\n");
    EXPECT_TRUE(grid_.IsUpdateCell(3, c.col));
    EXPECT_EQ(table(), kOriginal);

    // The session goes on: a query runs, and the same save goes through
    // once the row is free.
    char16_t count[32] = {};
    ASSERT_EQ(oci_select_value(session_, u"select count(*) from t", count, sizeof count, OciMsgBuf(msg_)), kOciOk)
        << message();
    EXPECT_EQ(std::u16string(count), u"6");
    char16_t m[256] = {};
    ASSERT_EQ(oci_ora_rollback(other_, OciMsgBuf(m)), kOciOk);
    oci_ora_logout(&other_);
    cancel.store(0);
    ASSERT_EQ(save(nullptr, &cancel), kOciOk) << message();
    EXPECT_EQ(table()[3], c.col == 2 ? "4|n4|mine" : "4|mine|c4");
    exec(u"update t set name = 'n' || id, c = 'c' || id");
    exec(u"commit");
  }
}

TEST_F(OraGridConflictTest, CancelEndsAWaitThroughTheOldInterface) {
  // The old interface has no LOBs: a table without one.
  exec(u"create table o (id number(5) primary key, name varchar2(10))");
  exec(u"insert into o values (1, 'n1')");
  exec(u"commit");
  load(u"select o.*, rowid from o", u"O");
  char16_t m[512] = {};
  if (oci_set_lda_mode(session_, true, OciMsgBuf(m)) != kOciOk)
    GTEST_SKIP() << "the client has no old interface: " << utf16_to_utf8(m);
  ASSERT_EQ(grid_.UpdateData(0, 1, u"mine"), 0);
  other_ = login();
  ASSERT_NE(other_, nullptr);
  exec(u"update o set name = 'held'", other_);
  CancelFlag cancel{0};
  const auto start = Clock::now();
  int rc = -1;
  {
    DelayedCancel later(&cancel, std::chrono::milliseconds(300), std::chrono::seconds(8), [this] {
      char16_t m2[256] = {};
      oci_ora_rollback(other_, OciMsgBuf(m2));
    });
    rc = save(nullptr, &cancel);
  }
  EXPECT_LT(Clock::now() - start, std::chrono::seconds(5));
  EXPECT_EQ(rc, kOciCancelled) << message();
  EXPECT_EQ(std::u16string(msg_), u"キャンセルしました\n");
  EXPECT_EQ(rows(u"select name from o"), std::vector<std::string>{"n1"});
  ASSERT_EQ(oci_ora_rollback(other_, OciMsgBuf(m)), kOciOk);
  oci_ora_logout(&other_);
  cancel.store(0);
  ASSERT_EQ(save(nullptr, &cancel), kOciOk) << message();
  EXPECT_EQ(rows(u"select name from o"), std::vector<std::string>{"mine"});
  oci_set_lda_mode(session_, false, OciMsgBuf(m));
}

}  // namespace
}  // namespace kestrel
