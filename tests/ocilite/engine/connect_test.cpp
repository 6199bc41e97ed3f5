// Connect strings: a plain SQLite file opens as the login user's schema.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <stdlib.h>

#include "engine_fixture.h"

namespace ocilite::testing {
namespace {

class PlainFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("XDG_CACHE_HOME", (dir.path() / "cache").c_str(), 1);
    file = dir.path() / "data.sqlite";
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(file.c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db,
                           "CREATE TABLE items (id INTEGER PRIMARY KEY, name TEXT, price REAL);"
                           "INSERT INTO items (name, price) VALUES ('pen', 1.5), ('ink', 12);",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(db);
  }
  void TearDown() override { unsetenv("XDG_CACHE_HOME"); }
  std::unique_ptr<Session> login(const std::string& user, const std::string& password) {
    std::filesystem::path folder;
    OraError e = resolve_connect_string(file.string(), folder);
    EXPECT_FALSE(e) << e.text;
    std::shared_ptr<Catalog> cat;
    e = open_catalog(folder, cat);
    EXPECT_FALSE(e) << e.text;
    std::unique_ptr<Session> s;
    OraError warning;
    e = Session::open(cat, user, password, LoginMode::normal, s, warning);
    EXPECT_FALSE(e) << e.text;
    return s;
  }
  kestrel::testing::TempDir dir;
  std::filesystem::path file;
};

TEST_F(PlainFileTest, OpensAsTheLoginUsersSchema) {
  auto s = login("anyone", "secret");
  ASSERT_TRUE(s);
  EXPECT_EQ(s->user(), "ANYONE");
  EXPECT_EQ(query(*s, "select name, price from items order by id"), (Rows{{"pen", "1.5"}, {"ink", "12"}}));
  // Names keep the case the file gives them, as quoted Oracle names do.
  EXPECT_EQ(query(*s, "select table_name from user_tables"), (Rows{{"items"}}));
  exec(*s, "insert into items (name, price) values ('pad', 3)");
  exec(*s, "commit");
  s.reset();
  // Another password works as well; the change went into the file itself.
  auto again = login("ANYONE", "other");
  ASSERT_TRUE(again);
  EXPECT_EQ(query(*again, "select count(*) from anyone.items"), (Rows{{"3"}}));
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(file.c_str(), &db), SQLITE_OK);
  sqlite3_stmt* st = nullptr;
  ASSERT_EQ(sqlite3_prepare_v2(db, "SELECT count(*) FROM items", -1, &st, nullptr), SQLITE_OK);
  ASSERT_EQ(sqlite3_step(st), SQLITE_ROW);
  EXPECT_EQ(sqlite3_column_int(st, 0), 3);
  sqlite3_finalize(st);
  sqlite3_close(db);
}

TEST_F(PlainFileTest, AFileThatIsNoDatabaseIsNoConnectString) {
  std::filesystem::path folder;
  const auto text = dir.path() / "notes.txt";
  FILE* f = std::fopen(text.c_str(), "w");
  std::fputs("not a database", f);
  std::fclose(f);
  EXPECT_EQ(resolve_connect_string(text.string(), folder).code, 12154);
}

}  // namespace
}  // namespace ocilite::testing
