// More schemas than SQLite attaches to one connection (9 besides the
// catalogue): each is attached when a statement needs it.
#include <gtest/gtest.h>

#include "engine_fixture.h"

namespace ocilite::testing {
namespace {

TEST(ManySchemasTest, EverySchemaIsReachable) {
  EngineDb db;
  constexpr int kUsers = 14;
  for (int i = 1; i <= kUsers; ++i) {
    UserOptions o;
    o.password = "pw";
    const std::string user = "U" + std::to_string(i);
    ASSERT_FALSE(db.catalog()->add_user(user, o));
    auto s = db.login(user, "pw");
    exec(*s, "create table t (n number)");
    exec(*s, "insert into t values (:1)", {std::to_string(i)});
    exec(*s, "commit");
  }
  auto s = db.login("U1", "pw");
  // Twice round, so that schemas detached on the way are attached again.
  for (int round = 0; round < 2; ++round) {
    for (int i = kUsers; i >= 1; --i) {
      const std::string user = "U" + std::to_string(i);
      EXPECT_EQ(query(*s, "select n from " + user + ".t"), (Rows{{std::to_string(i)}})) << user;
      // The dictionary with the owner bound, as the editor asks it.
      EXPECT_EQ(query(*s, "select table_name from all_tables where owner = :X0", {user}), (Rows{{"T"}})) << user;
    }
  }
  // A prepared statement runs again after its schema was detached.
  Statement st(*s, "select n from u14.t");
  uint64_t rows = 0;
  OraError info;
  int offset = -1;
  ASSERT_FALSE(st.execute({}, false, rows, nullptr, info, offset));
  st.close_cursor();
  for (int i = 2; i <= 12; ++i) query(*s, "select n from u" + std::to_string(i) + ".t");
  OraError e = st.execute({}, false, rows, nullptr, info, offset);
  ASSERT_FALSE(e) << e.text;
  std::vector<Value> row;
  bool have = false;
  ASSERT_FALSE(st.fetch(row, have));
  ASSERT_TRUE(have);
  EXPECT_EQ(row[0].kind == Value::Kind::text ? row[0].s : std::to_string(row[0].i), "14");
  st.close_cursor();
  // Writes to many schemas in one go, committed between them.
  for (int i = 1; i <= kUsers; ++i) {
    exec(*s, "update u" + std::to_string(i) + ".t set n = n + 100");
    exec(*s, "commit");
  }
  EXPECT_EQ(query(*s, "select n from u7.t"), (Rows{{"107"}}));
}

}  // namespace
}  // namespace ocilite::testing
