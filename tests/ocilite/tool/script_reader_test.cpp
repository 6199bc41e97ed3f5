#include "tool/script_reader.h"

#include <gtest/gtest.h>

#include <sstream>

namespace ocilite::tool {
namespace {

std::vector<ScriptItem> split(const std::string& script) {
  ScriptReader r;
  std::istringstream in(script);
  for (std::string line; std::getline(in, line);) r.add_line(line);
  r.finish();
  return r.take();
}

struct Expect {
  ScriptItem::Kind kind;
  std::string text;
  int line;
};

void expect_items(const std::string& script, const std::vector<Expect>& want) {
  SCOPED_TRACE(script);
  const auto got = split(script);
  ASSERT_EQ(got.size(), want.size());
  for (size_t i = 0; i < want.size(); ++i) {
    EXPECT_EQ(got[i].kind, want[i].kind) << i;
    EXPECT_EQ(got[i].text, want[i].text) << i;
    EXPECT_EQ(got[i].line, want[i].line) << i;
  }
}

TEST(ScriptReaderTest, SplitsStatementsAsAnOracleConsoleDoes) {
  expect_items("select 1 from dual;\nselect 2\n  from dual;\n",
               {{ScriptItem::sql, "select 1 from dual", 1}, {ScriptItem::sql, "select 2\n  from dual", 2}});
  // A ';' inside a string, a quoted name or a comment does not end a statement.
  expect_items(
      "insert into t values ('a;\nb');\nselect \"x;\" from t -- c;\n;\n",
      {{ScriptItem::sql, "insert into t values ('a;\nb')", 1}, {ScriptItem::sql, "select \"x;\" from t -- c;", 3}});
  expect_items("select 1 /* ; */ from dual;", {{ScriptItem::sql, "select 1 /* ; */ from dual", 1}});
  // A slash alone on a line ends a statement too.
  expect_items("select 1 from dual\n/\n", {{ScriptItem::sql, "select 1 from dual", 1}});
  // Blank lines and comment lines between statements are skipped.
  expect_items("\n-- note\n\nselect 1 from dual;\n", {{ScriptItem::sql, "select 1 from dual", 4}});
  // The last statement may lack a terminator.
  expect_items("commit", {{ScriptItem::sql, "commit", 1}});
}

TEST(ScriptReaderTest, PlsqlUnitsEndOnlyWithASlash) {
  expect_items("begin\n  delete from t;\n  insert into t values (1);\nend;\n/\nselect 1 from dual;\n",
               {{ScriptItem::plsql, "begin\n  delete from t;\n  insert into t values (1);\nend;", 1},
                {ScriptItem::sql, "select 1 from dual", 6}});
  expect_items("CREATE OR REPLACE PROCEDURE p IS\nBEGIN\n  NULL;\nEND;\n/\n",
               {{ScriptItem::plsql, "CREATE OR REPLACE PROCEDURE p IS\nBEGIN\n  NULL;\nEND;", 1}});
  expect_items("create trigger t before insert on x for each row\nbegin null; end;\n/",
               {{ScriptItem::plsql, "create trigger t before insert on x for each row\nbegin null; end;", 1}});
  EXPECT_TRUE(starts_plsql("declare x number; begin null; end;"));
  EXPECT_TRUE(starts_plsql("create package body p as end;"));
  EXPECT_FALSE(starts_plsql("create table procedure_log (x number)"));
  EXPECT_FALSE(starts_plsql("begins"));
}

TEST(ScriptReaderTest, ConsoleCommandsComeBackAsSuch) {
  expect_items("WHENEVER SQLERROR EXIT FAILURE\nset feedback off\nprompt hello\nselect 1 from dual;\nexit\n",
               {{ScriptItem::command, "WHENEVER SQLERROR EXIT FAILURE", 1},
                {ScriptItem::command, "set feedback off", 2},
                {ScriptItem::command, "prompt hello", 3},
                {ScriptItem::sql, "select 1 from dual", 4},
                {ScriptItem::command, "exit", 5}});
  // Inside a statement a line starting with such a word is part of it.
  expect_items("update t\nset x = 1;\n", {{ScriptItem::sql, "update t\nset x = 1", 1}});
}

TEST(ScriptReaderTest, CarriageReturnsAreDropped) {
  expect_items("select 1 from dual;\r\nselect 2 from dual\r\n/\r\n",
               {{ScriptItem::sql, "select 1 from dual", 1}, {ScriptItem::sql, "select 2 from dual", 2}});
}

}  // namespace
}  // namespace ocilite::tool
