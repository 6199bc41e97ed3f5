#include "catalog/catalog.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <fstream>

#include "support/temp_dir.h"

namespace ocilite {
namespace {

using kestrel::testing::TempDir;

UserOptions pw(const char* password) {
  UserOptions o;
  o.password = password;
  return o;
}
UserOptions admin(LoginMode mode) {
  UserOptions o = pw("pw");
  (mode == LoginMode::sysdba ? o.sysdba : o.sysoper) = true;
  return o;
}
UserOptions external() {
  UserOptions o = pw("pw");
  o.external = true;
  return o;
}
UserOptions expiring(int days) {
  UserOptions o = pw("pw");
  o.password_expires_in_days = days;
  return o;
}
SequenceOptions seq(std::int64_t start, std::int64_t increment = 1, std::optional<std::int64_t> min = {},
                    std::optional<std::int64_t> max = {}, bool cycle = false, std::int64_t cache = 20) {
  SequenceOptions o;
  o.start_with = start;
  o.increment_by = increment;
  o.min_value = min;
  o.max_value = max;
  o.cycle = cycle;
  o.cache = cache;
  return o;
}

class CatalogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(Catalog::create(dir.path() / "db"));
    ASSERT_FALSE(Catalog::open(dir.path() / "db", cat));
  }
  TempDir dir;
  std::shared_ptr<Catalog> cat;
};

TEST(CatalogFolderTest, CreateAndOpenReportOracleErrors) {
  TempDir dir;
  std::shared_ptr<Catalog> cat;
  EXPECT_EQ(Catalog::open(dir.path() / "missing", cat).code, 12154);
  EXPECT_EQ(Catalog::open(dir.path(), cat).code, 12154);  // a folder without catalogue
  ASSERT_FALSE(Catalog::create(dir.path() / "db"));
  EXPECT_EQ(Catalog::create(dir.path() / "db").code, 955);  // never overwritten
  dir.write("bad/_catalog.db", "this is not a database, just some text that is long enough");
  const auto e = Catalog::open(dir.path() / "bad", cat);
  EXPECT_TRUE(e.code == 1115 || e.code == 1157) << e.text;
  EXPECT_FALSE(cat);
  ASSERT_FALSE(Catalog::open(dir.path() / "db", cat));
  EXPECT_TRUE(cat->users().empty());
}

TEST(CatalogErrorTest, TextsAreOracles) {
  EXPECT_EQ(ora_error(1017).text, "ORA-01017: invalid username/password; logon denied");
  EXPECT_EQ(ora_error(28002, {"7"}).text, "ORA-28002: the password will expire within 7 days");
  EXPECT_EQ(ora_error(12154).text, "ORA-12154: TNS:could not resolve the connect identifier specified");
}

TEST_F(CatalogTest, UsersHaveSchemaFilesAndUpperCaseNames) {
  ASSERT_FALSE(cat->add_user("scott", pw("tiger")));
  ASSERT_FALSE(cat->add_user("\"Mixed\"", pw("x")));
  EXPECT_EQ(cat->add_user("SCOTT", pw("other")).code, 1920);
  EXPECT_TRUE(std::filesystem::exists(dir.path() / "db" / "SCOTT.db"));
  EXPECT_TRUE(std::filesystem::exists(dir.path() / "db" / "Mixed.db"));
  auto users = cat->users();
  ASSERT_EQ(users.size(), 2u);
  EXPECT_EQ(users[0].name, "Mixed");
  EXPECT_EQ(users[1].name, "SCOTT");
  EXPECT_EQ(cat->add_user("../evil", {}).code, 600);
  EXPECT_EQ(cat->add_user("", {}).code, 1935);
  ASSERT_FALSE(cat->drop_user("scott"));
  EXPECT_FALSE(std::filesystem::exists(dir.path() / "db" / "SCOTT.db"));
  EXPECT_EQ(cat->drop_user("scott").code, 1918);
}

TEST_F(CatalogTest, PasswordsAreStoredSaltedAndHashed) {
  ASSERT_FALSE(cat->add_user("A", pw("secret")));
  ASSERT_FALSE(cat->add_user("B", pw("secret")));
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open((dir.path() / "db" / "_catalog.db").c_str(), &db), SQLITE_OK);
  sqlite3_stmt* s = nullptr;
  sqlite3_prepare_v2(db, "SELECT password_hash FROM users ORDER BY name", -1, &s, nullptr);
  std::vector<std::string> hashes;
  while (sqlite3_step(s) == SQLITE_ROW) hashes.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(s, 0)));
  sqlite3_finalize(s);
  sqlite3_close(db);
  ASSERT_EQ(hashes.size(), 2u);
  EXPECT_NE(hashes[0], hashes[1]);  // salted
  EXPECT_EQ(hashes[0].find("secret"), std::string::npos);
  EXPECT_EQ(hashes[0].rfind("$y$", 0), 0u);
}

struct LoginCase {
  const char* user;
  const char* password;
  LoginMode mode;
  const char* os_user;
  int code;
  const char* as_user;
};

TEST_F(CatalogTest, LoginsGiveOraclesAnswers) {
  ASSERT_FALSE(cat->add_user("SCOTT", pw("tiger")));
  ASSERT_FALSE(cat->add_user("ADMIN", admin(LoginMode::sysdba)));
  ASSERT_FALSE(cat->add_user("OPER", admin(LoginMode::sysoper)));
  ASSERT_FALSE(cat->add_user("ALICE", external()));
  ASSERT_FALSE(cat->add_user("SOON", expiring(5)));
  ASSERT_FALSE(cat->add_user("GONE", expiring(-1)));
  ASSERT_FALSE(cat->add_user("SCHEMA_ONLY", {}));
  UserOptions demo = pw("Tiger");
  demo.case_insensitive_password = true;
  ASSERT_FALSE(cat->add_user("DEMO", demo));
  const LoginCase cases[] = {
      {"scott", "tiger", LoginMode::normal, "", 0, "SCOTT"},
      {"SCOTT", "tiger", LoginMode::normal, "", 0, "SCOTT"},
      {"scott", "TIGER", LoginMode::normal, "", 1017, ""},  // passwords are case-sensitive
      {"nobody", "tiger", LoginMode::normal, "", 1017, ""},
      {"\"scott\"", "tiger", LoginMode::normal, "", 1017, ""},  // quoted keeps lower case
      {"scott", "tiger", LoginMode::sysdba, "", 1031, ""},
      {"admin", "pw", LoginMode::sysdba, "", 0, "ADMIN"},
      {"admin", "pw", LoginMode::sysoper, "", 1031, ""},
      {"oper", "pw", LoginMode::sysoper, "", 0, "OPER"},
      {"oper", "wrong", LoginMode::sysoper, "", 1017, ""},  // the password is checked first
      {"", "", LoginMode::normal, "alice", 0, "ALICE"},
      {"", "", LoginMode::normal, "scott", 1017, ""},  // not marked external
      {"", "", LoginMode::normal, "", 1017, ""},
      {"soon", "pw", LoginMode::normal, "", 28002, "SOON"},
      {"gone", "pw", LoginMode::normal, "", 28001, ""},
      {"gone", "bad", LoginMode::normal, "", 1017, ""},
      {"schema_only", "", LoginMode::normal, "", 1017, ""},
      {"demo", "tiger", LoginMode::normal, "", 0, "DEMO"},
      {"DEMO", "TIGER", LoginMode::normal, "", 0, "DEMO"},
      {"demo", "tigers", LoginMode::normal, "", 1017, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.user) + "/" + c.password);
    auto r = cat->check_login(c.user, c.password, c.mode, c.os_user);
    EXPECT_EQ(r.error.code, c.code) << r.error.text;
    EXPECT_EQ(r.user, c.as_user);
  }
  auto soon = cat->check_login("soon", "pw", LoginMode::normal, "");
  EXPECT_TRUE(soon.password_expiring);
  EXPECT_EQ(soon.days_left, 5);
  EXPECT_EQ(soon.error.text, "ORA-28002: the password will expire within 5 days");
  ASSERT_FALSE(cat->set_password("gone", "new"));
  EXPECT_EQ(cat->check_login("gone", "new", LoginMode::normal, "").error.code, 0);
}

TEST_F(CatalogTest, BrokenSchemaFileFailsTheLoginClearly) {
  ASSERT_FALSE(cat->add_user("SCOTT", pw("tiger")));
  std::filesystem::remove(dir.path() / "db" / "SCOTT.db");
  auto r = cat->check_login("scott", "tiger", LoginMode::normal, "");
  EXPECT_EQ(r.error.code, 1157);
  EXPECT_NE(r.error.text.find("SCOTT.db"), std::string::npos);
  dir.write("db/SCOTT.db", std::string(4096, 'x'));
  r = cat->check_login("scott", "tiger", LoginMode::normal, "");
  EXPECT_EQ(r.error.code, 1115) << r.error.text;
  EXPECT_TRUE(r.user.empty());
}

TEST_F(CatalogTest, SequencesCountAndSurviveReopeningWithOraclesGap) {
  ASSERT_FALSE(cat->create_sequence("scott", "s1", seq(10, 5, {}, {}, false, 3)));
  EXPECT_EQ(cat->create_sequence("SCOTT", "S1", seq(1)).code, 955);
  std::int64_t v = 0;
  std::vector<std::int64_t> got;
  for (int i = 0; i < 4; ++i) {
    ASSERT_FALSE(cat->next_value("SCOTT", "S1", v));
    got.push_back(v);
  }
  EXPECT_EQ(got, (std::vector<std::int64_t>{10, 15, 20, 25}));
  // A new process starts after the cached block, as Oracle does after a restart.
  std::shared_ptr<Catalog> other;
  ASSERT_FALSE(Catalog::open(dir.path() / "db", other));
  ASSERT_FALSE(other->next_value("SCOTT", "S1", v));
  EXPECT_EQ(v, 40);
  ASSERT_FALSE(cat->next_value("SCOTT", "S1", v));
  EXPECT_EQ(v, 30);
  EXPECT_EQ(cat->next_value("SCOTT", "NOPE", v).code, 2289);
  ASSERT_FALSE(cat->drop_sequence("SCOTT", "S1"));
  EXPECT_EQ(cat->next_value("SCOTT", "S1", v).code, 2289);
}

TEST_F(CatalogTest, SequenceLimitsCycleOrStop) {
  ASSERT_FALSE(cat->create_sequence("S", "UP", seq(1, 1, {}, 3, true, 2)));
  ASSERT_FALSE(cat->create_sequence("S", "STOP", seq(1, 1, {}, 2, false, 0)));
  ASSERT_FALSE(cat->create_sequence("S", "DOWN", seq(-1, -1, -2)));
  std::vector<std::int64_t> up;
  std::int64_t v = 0;
  for (int i = 0; i < 7; ++i) {
    ASSERT_FALSE(cat->next_value("S", "UP", v));
    up.push_back(v);
  }
  EXPECT_EQ(up, (std::vector<std::int64_t>{1, 2, 3, 1, 2, 3, 1}));
  ASSERT_FALSE(cat->next_value("S", "STOP", v));
  ASSERT_FALSE(cat->next_value("S", "STOP", v));
  EXPECT_EQ(v, 2);
  auto e = cat->next_value("S", "STOP", v);
  EXPECT_EQ(e.code, 8004);
  EXPECT_EQ(e.text, "ORA-08004: sequence STOP.NEXTVAL exceeds MAXVALUE and cannot be instantiated");
  ASSERT_FALSE(cat->next_value("S", "DOWN", v));
  EXPECT_EQ(v, -1);
  ASSERT_FALSE(cat->next_value("S", "DOWN", v));
  EXPECT_EQ(v, -2);
  EXPECT_EQ(cat->next_value("S", "DOWN", v).code, 8004);
  EXPECT_EQ(cat->create_sequence("S", "ZERO", seq(1, 0)).code, 4002);
  EXPECT_EQ(cat->create_sequence("S", "BAD", seq(1, 1, 5, 5)).code, 4004);
}

TEST_F(CatalogTest, SynonymsResolveThroughChainsAndPublic) {
  ASSERT_FALSE(cat->create_synonym({"HR", "EMPS", "SCOTT", "EMP", ""}, false));
  ASSERT_FALSE(cat->create_synonym({"HR", "E2", "HR", "EMPS", ""}, false));
  ASSERT_FALSE(cat->create_synonym({"PUBLIC", "DEPTS", "SCOTT", "DEPT", ""}, false));
  ASSERT_FALSE(cat->create_synonym({"HR", "REMOTE", "X", "Y", "LINK"}, false));
  EXPECT_EQ(cat->create_synonym({"HR", "EMPS", "A", "B", ""}, false).code, 955);
  auto r = cat->resolve_synonym("hr", "e2", true);
  ASSERT_TRUE(r);
  EXPECT_EQ(*r, std::make_pair(std::string("SCOTT"), std::string("EMP")));
  EXPECT_EQ(cat->resolve_synonym("HR", "DEPTS", true)->second, "DEPT");
  EXPECT_FALSE(cat->resolve_synonym("HR", "DEPTS", false));
  EXPECT_FALSE(cat->resolve_synonym("HR", "NOTHING", true));
  EXPECT_FALSE(cat->resolve_synonym("HR", "REMOTE", true));  // over a link: not local
  ASSERT_FALSE(cat->create_synonym({"HR", "L1", "HR", "L2", ""}, false));
  ASSERT_FALSE(cat->create_synonym({"HR", "L2", "HR", "L1", ""}, false));
  OraError e;
  EXPECT_FALSE(cat->resolve_synonym("HR", "L1", true, &e));
  EXPECT_EQ(e.code, 1775);
  EXPECT_EQ(cat->drop_synonym("PUBLIC", "NONE").code, 1432);
  EXPECT_EQ(cat->drop_synonym("HR", "NONE").code, 1434);
  ASSERT_FALSE(cat->create_synonym({"HR", "EMPS", "SCOTT", "DEPT", ""}, true));
  EXPECT_EQ(cat->find_synonym("HR", "EMPS")->table_name, "DEPT");
}

TEST_F(CatalogTest, DirectoriesAndPlsqlUnits) {
  ASSERT_FALSE(cat->create_directory("files", "bfiles", false));
  EXPECT_EQ(*cat->directory_path("FILES"), cat->folder() / "bfiles");
  ASSERT_FALSE(cat->create_directory("FILES", "/abs", true));
  EXPECT_EQ(*cat->directory_path("FILES"), std::filesystem::path("/abs"));
  EXPECT_FALSE(cat->directory_path("NONE"));
  ASSERT_FALSE(cat->store_plsql({"scott", "p", "procedure", "PROCEDURE p IS BEGIN NULL; END;"}, false));
  EXPECT_EQ(cat->store_plsql({"SCOTT", "P", "PROCEDURE", "x"}, false).code, 955);
  ASSERT_FALSE(cat->store_plsql({"SCOTT", "P", "PROCEDURE", "PROCEDURE p IS BEGIN NULL; END;"}, true));
  EXPECT_EQ(cat->find_plsql("SCOTT", "P", "PROCEDURE")->source, "PROCEDURE p IS BEGIN NULL; END;");
  ASSERT_FALSE(cat->store_plsql({"SCOTT", "PK", "PACKAGE", "PACKAGE pk IS END;"}, false));
  ASSERT_FALSE(cat->store_plsql({"SCOTT", "PK", "PACKAGE BODY", "PACKAGE BODY pk IS END;"}, false));
  ASSERT_FALSE(cat->drop_plsql("SCOTT", "PK", "PACKAGE"));
  EXPECT_FALSE(cat->find_plsql("SCOTT", "PK", "PACKAGE BODY"));
  EXPECT_EQ(cat->drop_plsql("SCOTT", "T", "TRIGGER").code, 4080);
}

}  // namespace
}  // namespace ocilite
