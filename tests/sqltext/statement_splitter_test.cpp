#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/utf16.h"
#include "sqltext/sql_str_token.h"
#include "sqltext/sqltext_constants.h"

namespace {

using kestrel::u16;
using namespace kestrel;

struct Stmt {
  int kind;
  std::u16string text;
  bool operator==(const Stmt&) const = default;
};

std::vector<Stmt> Split(std::u16string_view script) {
  CSQLStrToken t;
  std::vector<Stmt> out;
  std::size_t pos = 0;
  SqlStatement s;
  for (std::ptrdiff_t next; (next = t.NextStatement(script, pos, &s)) >= 0;) {
    EXPECT_GE(s.start, static_cast<std::ptrdiff_t>(pos));
    EXPECT_TRUE(script.substr(s.start).starts_with(s.text.substr(0, 1)));
    out.push_back({s.kind, s.text});
    EXPECT_GT(static_cast<std::size_t>(next), pos) << "no progress";
    if (static_cast<std::size_t>(next) <= pos) break;
    pos = static_cast<std::size_t>(next);
  }
  return out;
}

std::string Show(const std::vector<Stmt>& v) {
  std::string s;
  for (const Stmt& st : v) s += "[" + std::to_string(st.kind) + "|" + utf16_to_utf8(st.text) + "]\n";
  return s;
}

std::u16string Crlf(std::u16string_view lf) {
  std::u16string out;
  for (char16_t c : lf) {
    if (c == u'\n') out += u'\r';
    out += c;
  }
  return out;
}

void PrintTo(const Stmt& s, std::ostream* os) { *os << "[" << s.kind << "|" << utf16_to_utf8(s.text) << "]"; }

struct SplitCase {
  const char* name;
  const char* script;
  std::vector<Stmt> expected;
};

const std::vector<SplitCase>& Cases() {
  static const std::vector<SplitCase> cases = {
      {"kinds", "BEGIN NULL; END;\n/\nSELECT 1 FROM dual;\ndesc emp\n@setup.sql\nUPDATE emp SET sal = 1;\n",
       {{kStatementPlsql, u"BEGIN NULL; END;"},
        {kStatementQuery, u"SELECT 1 FROM dual"},
        {kStatementCommand, u"desc emp"},
        {kStatementScript, u"@setup.sql"},
        {kStatementOther, u"UPDATE emp SET sal = 1"}}},
      {"one-line commands drop their semicolon",
       "describe dept;\nCONNECT scott/tiger@db ;\ndisconnect\n!ls -l\n@@other;\n",
       {{kStatementCommand, u"describe dept"},
        {kStatementCommand, u"CONNECT scott/tiger@db"},
        {kStatementCommand, u"disconnect"},
        {kStatementCommand, u"!ls -l"},
        {kStatementScript, u"@@other"}}},
      {"semicolons inside strings and comments",
       "insert into t values ('a;b', \"c;d\"); -- x;y\n/* p; q */ delete t where c = 'it''s;';\n",
       {{kStatementOther, u"insert into t values ('a;b', \"c;d\")"},
        {kStatementOther, u"delete t where c = 'it''s;'"}}},
      {"alternative quoting",
       "select q'[it's; fine]' from dual;\nselect nq'{a;}' || Q'!;!' x from dual;\nselect 1 seq from dual;\n",
       {{kStatementQuery, u"select q'[it's; fine]' from dual"},
        {kStatementQuery, u"select nq'{a;}' || Q'!;!' x from dual"},
        {kStatementQuery, u"select 1 seq from dual"}}},
      {"slash ends any statement", "select 1\nfrom dual\n/\nupdate t set a = 10\n/ 2;\n",
       {{kStatementQuery, u"select 1\nfrom dual"}, {kStatementOther, u"update t set a = 10\n/ 2"}}},
      {"package with nested blocks",
       "CREATE OR REPLACE PACKAGE BODY pkg AS\n"
       "  PROCEDURE p IS\n"
       "    v VARCHAR2(10) := ';';\n"
       "  BEGIN\n"
       "    BEGIN\n"
       "      NULL; -- ;\n"
       "    EXCEPTION WHEN OTHERS THEN NULL;\n"
       "    END;\n"
       "    /* a / on its own\n/\n is in a comment */\n"
       "  END p;\n"
       "END pkg;\n"
       "/\n"
       "select * from emp;\n",
       {{kStatementPlsql,
         u"CREATE OR REPLACE PACKAGE BODY pkg AS\n"
         u"  PROCEDURE p IS\n"
         u"    v VARCHAR2(10) := ';';\n"
         u"  BEGIN\n"
         u"    BEGIN\n"
         u"      NULL; -- ;\n"
         u"    EXCEPTION WHEN OTHERS THEN NULL;\n"
         u"    END;\n"
         u"    /* a / on its own\n/\n is in a comment */\n"
         u"  END p;\n"
         u"END pkg;"},
        {kStatementQuery, u"select * from emp"}}},
      {"create forms that are PL/SQL",
       "create function f return number is begin return 1; end;\n/\n"
       "create or replace editionable trigger trg before insert on t begin null; end;\n/\n"
       "CREATE TYPE pt AS OBJECT (x NUMBER);\n/\n"
       "create or replace and compile java source named \"A\" as public class A {};\n/\n"
       "create table t (a number);\n"
       "create or replace view v as select 1 a from dual;\n",
       {{kStatementPlsql, u"create function f return number is begin return 1; end;"},
        {kStatementPlsql, u"create or replace editionable trigger trg before insert on t begin null; end;"},
        {kStatementPlsql, u"CREATE TYPE pt AS OBJECT (x NUMBER);"},
        {kStatementPlsql, u"create or replace and compile java source named \"A\" as public class A {};"},
        {kStatementOther, u"create table t (a number)"},
        {kStatementOther, u"create or replace view v as select 1 a from dual"}}},
      {"declare and labels",
       "DECLARE\n  n NUMBER;\nBEGIN\n  n := 1;\nEND;\n/\n<<outer>>\nBEGIN NULL; END;\n/\n",
       {{kStatementPlsql, u"DECLARE\n  n NUMBER;\nBEGIN\n  n := 1;\nEND;"},
        {kStatementPlsql, u"<<outer>>\nBEGIN NULL; END;"}}},
      {"with function ends at slash",
       "WITH FUNCTION f RETURN NUMBER IS BEGIN RETURN 1; END;\nSELECT f FROM dual;\n/\n"
       "with x as (select 1 a from dual) select a from x;\n",
       {{kStatementOther, u"WITH FUNCTION f RETURN NUMBER IS BEGIN RETURN 1; END;\nSELECT f FROM dual"},
        {kStatementQuery, u"with x as (select 1 a from dual) select a from x"}}},
      {"parenthesised query", "((select 1 from dual) union (select 2 from dual));\n",
       {{kStatementQuery, u"((select 1 from dual) union (select 2 from dual))"}}},
      {"comments before a statement are not part of it", "-- header\n/* block */\n  select 1 from dual;",
       {{kStatementQuery, u"select 1 from dual"}}},
      {"comments inside a statement stay", "/* a */ select /*+ hint */ 1 -- c\n from dual;\n-- c\n",
       {{kStatementQuery, u"select /*+ hint */ 1 -- c\n from dual"}}},
      {"empty statements are skipped", ";;\n/\n;\n  \n", {}},
      {"last statement without terminator", "select 1 from dual", {{kStatementQuery, u"select 1 from dual"}}},
      {"plsql without slash at end of file", "begin null; end;", {{kStatementPlsql, u"begin null; end;"}}},
      {"japanese identifiers", "select 社員名 from 社員 where 部署 = '営業;部';\n",
       {{kStatementQuery, u"select 社員名 from 社員 where 部署 = '営業;部'"}}},
      {"unterminated quote runs to the end", "select 'abc;\nfrom dual;\n",
       {{kStatementQuery, u"select 'abc;\nfrom dual;"}}},
      {"unterminated alternative quote runs to the end", "select q'[abc;\nfrom dual;\n",
       {{kStatementQuery, u"select q'[abc;\nfrom dual;"}}},
      {"unterminated comment runs to the end", "select 1 /* abc;\n", {{kStatementQuery, u"select 1 /* abc;"}}},
      {"one-line command after a statement on the same line", "select 1 from dual; desc emp\n",
       {{kStatementQuery, u"select 1 from dual"}, {kStatementCommand, u"desc emp"}}},
      {"desc as a column name is not a command", "descx;\n", {{kStatementOther, u"descx"}}},
  };
  return cases;
}

TEST(StatementSplitter, SplitsScriptsIntoStatements) {
  for (const SplitCase& c : Cases()) {
    std::u16string script = u16(c.script);
    EXPECT_EQ(Split(script), c.expected) << c.name << "\n" << Show(Split(script));
  }
}

TEST(StatementSplitter, CrLfScriptsSplitTheSameWay) {
  for (const SplitCase& c : Cases()) {
    std::vector<Stmt> expected = c.expected;
    for (Stmt& s : expected) s.text = Crlf(s.text);
    EXPECT_EQ(Split(Crlf(u16(c.script))), expected) << c.name << "\n" << Show(Split(Crlf(u16(c.script))));
  }
}

TEST(StatementSplitter, ReportsStartPositions) {
  CSQLStrToken t;
  std::u16string script = u"-- c\nselect 1 from dual;\n  update t set a = 1;";
  SqlStatement s;
  std::ptrdiff_t next = t.NextStatement(script, 0, &s);
  EXPECT_EQ(s.start, 5);
  next = t.NextStatement(script, static_cast<std::size_t>(next), &s);
  EXPECT_EQ(s.start, static_cast<std::ptrdiff_t>(script.find(u"update")));
  EXPECT_EQ(next, static_cast<std::ptrdiff_t>(script.size()));
  EXPECT_EQ(t.NextStatement(script, static_cast<std::size_t>(next), &s), -1);
}

TEST(StatementSplitter, NulCharactersDoNotStopTheScan) {
  std::u16string script = u"select 'a";
  script.push_back(0);
  script += u"b' from dual;";
  std::vector<Stmt> got = Split(script);
  ASSERT_EQ(got.size(), 1u);
  EXPECT_EQ(got[0].text, script.substr(0, script.size() - 1));
}

TEST(StatementClassifier, PlsqlBlocks) {
  CSQLStrToken t;
  struct Case {
    const char16_t* text;
    bool plsql;
  } cases[] = {
      {u"BEGIN NULL; END;", true},
      {u"  declare x number; begin null; end;", true},
      {u"<<lbl>> begin null; end;", true},
      {u"<<lbl begin", false},
      {u"CREATE OR REPLACE PACKAGE BODY p AS END;", true},
      {u"create package p as end;", true},
      {u"create or replace type body t as end;", true},
      {u"create procedure p is begin null; end;", true},
      {u"create library l as '/x.so';", true},
      {u"create or replace noneditionable function f return number", true},
      {u"create /* c */ or -- x\n replace procedure p", true},
      {u"create table t (a number)", false},
      {u"create or replace synonym s for t", false},
      {u"create or procedure p", false},
      {u"beginning", false},
      {u"select 1 from dual", false},
      {u"", false},
  };
  for (const Case& c : cases) EXPECT_EQ(t.IsPlsqlBlock(c.text), c.plsql) << utf16_to_utf8(c.text);
  EXPECT_EQ(t.StatementKind(u"( ( SELECT 1 FROM dual))"), kStatementQuery);
  EXPECT_EQ(t.StatementKind(u"with function f return number is begin return 1; end; select f from dual"),
            kStatementOther);
  EXPECT_EQ(t.StatementKind(u"WITH a AS (SELECT 1 FROM dual) SELECT * FROM a"), kStatementQuery);
  EXPECT_EQ(t.StatementKind(u"merge into t using s on (1=1)"), kStatementOther);
}

}  // namespace
