// The ocilite tool's commands and exit statuses, run in-process through
// run_tool() with files for its standard streams, plus the built executable
// and the demo database the build made.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "support/temp_dir.h"
#include "tool/commands.h"

namespace ocilite::tool {
namespace {

using kestrel::testing::TempDir;

struct Result {
  int status;
  std::string out, err;
};

std::string slurp(std::FILE* f) {
  std::string s;
  std::rewind(f);
  for (int c; (c = std::fgetc(f)) != EOF;) s += static_cast<char>(c);
  return s;
}

Result run(std::vector<std::string> args, const std::string& input = {}) {
  args.insert(args.begin(), "ocilite");
  std::FILE* in = std::tmpfile();
  std::FILE* out = std::tmpfile();
  std::FILE* err = std::tmpfile();
  std::fputs(input.c_str(), in);
  std::rewind(in);
  Result r{run_tool(args, in, out, err), "", ""};
  std::fflush(out);
  std::fflush(err);
  r.out = slurp(out);
  r.err = slurp(err);
  std::fclose(in);
  std::fclose(out);
  std::fclose(err);
  return r;
}

bool contains(const std::string& s, const std::string& part) { return s.find(part) != std::string::npos; }

class ToolTest : public ::testing::Test {
 protected:
  void SetUp() override {
    db = (dir.path() / "db").string();
    ASSERT_EQ(run({"create", db}).status, kExitOk);
    ASSERT_EQ(run({"user", "add", db, "scott", "tiger"}).status, kExitOk);
  }
  TempDir dir;
  std::string db;
};

TEST(ToolUsageTest, BadUsageExitsWithTwo) {
  const std::vector<std::vector<std::string>> bad = {{},
                                                     {"frobnicate"},
                                                     {"create"},
                                                     {"user"},
                                                     {"user", "add", "x"},
                                                     {"user", "rename", "x", "y"},
                                                     {"sql", "x"},
                                                     {"demo"},
                                                     {"user", "add", "d", "n", "p", "--bogus"},
                                                     {"user", "add", "d", "n", "p", "--expires-in", "x"}};
  for (const auto& args : bad) {
    const auto r = run(args);
    EXPECT_EQ(r.status, kExitUsage) << (args.empty() ? "" : args[0]);
    EXPECT_TRUE(contains(r.err, "usage:"));
  }
  EXPECT_EQ(run({"--help"}).status, kExitOk);
}

TEST_F(ToolTest, CreateAndUsersReportOracleErrors) {
  auto r = run({"create", db});
  EXPECT_EQ(r.status, kExitError);
  EXPECT_TRUE(contains(r.err, "ORA-00955")) << r.err;
  r = run({"user", "add", db, "SCOTT", "x"});
  EXPECT_EQ(r.status, kExitError);
  EXPECT_TRUE(contains(r.err, "ORA-01920")) << r.err;
  EXPECT_EQ(run({"user", "add", db, "hr", "hr", "--sysdba", "--expires-in", "3"}).status, kExitOk);
  r = run({"user", "list", db});
  EXPECT_EQ(r.out, "HR sysdba\nSCOTT\n");
  r = run({"user", "list", (dir.path() / "nothing").string()});
  EXPECT_EQ(r.status, kExitError);
  EXPECT_TRUE(contains(r.err, "ORA-12154"));
  EXPECT_EQ(run({"user", "drop", db, "hr"}).status, kExitOk);
  EXPECT_EQ(run({"user", "drop", db, "hr"}).status, kExitError);
}

TEST_F(ToolTest, AnSqliteFileBecomesASchema) {
  const auto file = dir.path() / "plain.sqlite";
  {
    const std::string cmd = "sqlite3 '" + file.string() +
                            "' \"create table items (id integer primary key, "
                            "label text); insert into items values (1, 'one');\"";
    ASSERT_EQ(std::system(cmd.c_str()), 0);
  }
  auto r = run({"schema", "add", db, "legacy", file.string()});
  ASSERT_EQ(r.status, kExitOk) << r.err;
  EXPECT_TRUE(std::filesystem::exists(file));  // copied, not moved
  EXPECT_EQ(run({"schema", "add", db, "legacy", file.string()}).status, kExitError);
  EXPECT_EQ(run({"schema", "add", db, "other", (dir.path() / "missing").string()}).status, kExitError);
  r = run({"sql", db, "scott/tiger"},
          "set feedback off\n"
          "select table_name from all_tables where owner = 'LEGACY';\n"
          "select data_type from all_tab_columns where owner = 'LEGACY' and column_name = 'label';\n"
          "select label from legacy.items;\n");
  EXPECT_EQ(r.status, kExitOk) << r.err;
  EXPECT_TRUE(contains(r.out, "\nitems\n")) << r.out;  // names keep the case SQLite has
  EXPECT_TRUE(contains(r.out, "VARCHAR2")) << r.out;
  EXPECT_TRUE(contains(r.out, "one")) << r.out;
  // A schema has no password of its own.
  EXPECT_EQ(run({"sql", db, "legacy/"}, "select 1 from dual;\n").status, kExitError);
}

TEST_F(ToolTest, SqlLoginFailuresExitWithOne) {
  auto r = run({"sql", db, "scott/wrong"}, "select 1 from dual;\n");
  EXPECT_EQ(r.status, kExitError);
  EXPECT_TRUE(contains(r.err, "ORA-01017")) << r.err;
  r = run({"sql", (dir.path() / "none").string(), "scott/tiger"}, "");
  EXPECT_EQ(r.status, kExitError);
  EXPECT_TRUE(contains(r.err, "ORA-12154")) << r.err;
  EXPECT_EQ(run({"sql", db, "scott"}).status, kExitUsage);
}

TEST_F(ToolTest, UserOptionsReachTheLogin) {
  ASSERT_EQ(run({"user", "add", db, "soon", "pw", "--expires=3"}).status, kExitOk);
  auto r = run({"sql", db, "soon/pw"}, "select 1 as x from dual;\n");
  EXPECT_EQ(r.status, kExitOk) << r.err;
  EXPECT_TRUE(contains(r.err, "ORA-28002: the password will expire within 3 days")) << r.err;
  ASSERT_EQ(run({"user", "add", db, "gone", "pw", "--expires-in", "-1"}).status, kExitOk);
  r = run({"sql", db, "gone/pw"}, "select 1 as x from dual;\n");
  EXPECT_EQ(r.status, kExitError);
  EXPECT_TRUE(contains(r.err, "ORA-28001")) << r.err;
  ASSERT_EQ(run({"user", "add", db, "anycase", "Secret", "--ignore-case"}).status, kExitOk);
  EXPECT_EQ(run({"sql", db, "anycase/SECRET"}, "select 1 as x from dual;\n").status, kExitOk);
  EXPECT_EQ(run({"sql", db, "scott/TIGER"}, "select 1 as x from dual;\n").status, kExitError);
}

TEST_F(ToolTest, SqlRunsAScriptAndPrintsLikeAConsole) {
  const auto r = run({"sql", db, "scott/tiger"},
                     "create table t (id number(4) primary key, name varchar2(10 char));\n"
                     "insert into t values (1, '鈴木');\n"
                     "insert into t values (2, 'ab');\n"
                     "update t set name = 'cd' where id = 2;\n"
                     "select id, name from t order by id;\n"
                     "select id from t where id > 5;\n"
                     "commit;\n");
  EXPECT_EQ(r.status, kExitOk) << r.err;
  EXPECT_EQ(r.out,
            "Table created.\n\n"
            "1 row created.\n\n"
            "1 row created.\n\n"
            "1 row updated.\n\n"
            "ID NAME\n"
            "-- ----\n"
            " 1 鈴木\n"
            " 2 cd\n"
            "\n2 rows selected.\n\n"
            "no rows selected\n\n"
            "Commit complete.\n\n");
}

TEST_F(ToolTest, LongResultsArePrintedAPageAtATime) {
  const auto r = run({"sql", db, "scott/tiger"},
                     "create table p (i number);\n"
                     "insert into p with n (i) as (select 1 from dual union all select i + 1 from n where i < 150)\n"
                     "  select i from n;\n"
                     "select i from p order by i;\n");
  EXPECT_EQ(r.status, kExitOk) << r.err;
  EXPECT_TRUE(contains(r.out, "150 rows created.")) << r.out;
  EXPECT_TRUE(contains(r.out, "  I\n---\n  1\n")) << r.out;
  EXPECT_TRUE(contains(r.out, "100\n\n  I\n---\n101\n")) << r.out;
  EXPECT_TRUE(contains(r.out, "150\n\n150 rows selected.\n")) << r.out;
}

TEST_F(ToolTest, ErrorsAreReportedWithTheirLineAndSetTheExitStatus) {
  auto r = run({"sql", db, "scott/tiger"}, "select * from missing;\n\nselect 'still runs' as x from dual;\n");
  EXPECT_EQ(r.status, kExitError);
  EXPECT_EQ(r.err, "ERROR at line 1:\nORA-00942: table or view does not exist\n");
  EXPECT_TRUE(contains(r.out, "still runs"));
  r = run({"sql", db, "scott/tiger"},
          "WHENEVER SQLERROR EXIT FAILURE\nselect * from missing;\nselect 'not run' as x from dual;\n");
  EXPECT_EQ(r.status, kExitError);
  EXPECT_FALSE(contains(r.out, "not run"));
}

TEST_F(ToolTest, PlsqlUnitsAreStoredWithAWarning) {
  const auto r = run({"sql", db, "scott/tiger"},
                     "create or replace procedure p is\nbegin\n  null;\nend;\n/\n"
                     "select object_name, status from user_objects where object_type = 'PROCEDURE';\n");
  EXPECT_EQ(r.status, kExitOk) << r.err;
  EXPECT_TRUE(contains(r.out, "Warning: Procedure created with compilation errors.")) << r.out;
  EXPECT_TRUE(contains(r.out, "P           INVALID")) << r.out;
}

TEST(ToolBinaryTest, ExitStatusesOfTheExecutable) {
  TempDir dir;
  auto status = [](const std::string& cmd) {
    const int rc = std::system((cmd + " >/dev/null 2>&1").c_str());
    return WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
  };
  const std::string tool = OCILITE_TOOL_PATH, db = (dir.path() / "db").string();
  EXPECT_EQ(status(tool), kExitUsage);
  EXPECT_EQ(status(tool + " create " + db), kExitOk);
  EXPECT_EQ(status(tool + " user add " + db + " u p"), kExitOk);
  EXPECT_EQ(status("echo 'select 1 from dual;' | " + tool + " sql " + db + " u/p"), kExitOk);
  EXPECT_EQ(status("echo 'select 1 from nowhere;' | " + tool + " sql " + db + " u/p"), kExitError);
}

// The demo database the build made from ocilite/demo.
TEST(DemoDatabaseTest, HoldsWhatTheDemoPromises) {
  const auto demo = kestrel::testing::binary_dir() / "demo";
  ASSERT_TRUE(std::filesystem::exists(demo / "_catalog.db")) << demo;
  const auto r = run({"sql", demo.string(), "scott/tiger"},
                     "set feedback off\n"
                     "select count(*) as n from emp;\n"
                     "select count(*) as n from big_table;\n"
                     "select iot_type from user_tables where table_name = 'SALGRADE';\n"
                     "select table_name from user_synonyms where synonym_name = 'STAFF';\n"
                     "select count(*) as n from user_sequences;\n"
                     "select comments from user_tab_comments where table_name = 'EMP';\n"
                     "select comments from user_tab_comments where table_name = 'EMP_DEPT_V';\n"
                     "select count(*) as n from emp_dept_v;\n"
                     "select ename from emp where empno = 7839;\n"
                     "select count(*) as n from all_types;\n");
  EXPECT_EQ(r.status, kExitOk) << r.err;
  for (const char* want : {"\n14\n", "\n100000\n", "IOT", "EMP", "社員", "社員と部署（ビュー）", "小林 誠"})
    EXPECT_TRUE(contains(r.out, want)) << want;
  EXPECT_TRUE(std::filesystem::exists(demo / "files" / "kestrel.png"));
  // The demo passwords work in either case.
  EXPECT_EQ(run({"sql", demo.string(), "HR/HR"}, "select 1 from dual;\n").status, kExitOk);
}

}  // namespace
}  // namespace ocilite::tool
