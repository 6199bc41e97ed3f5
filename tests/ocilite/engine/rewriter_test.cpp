#include <gtest/gtest.h>

#include "engine_fixture.h"
#include "sql_lexer.h"
#include "sql_rewriter.h"

namespace ocilite::testing {
namespace {

TEST(Lexer, KeepsLiteralsCommentsAndBinds) {
  auto lx = lex_sql("select 'it''s', \"Mixed\", :X0, q'[a'b]' from t -- c\n/* x */ where a||b <> 1");
  ASSERT_TRUE(lx.ok);
  std::vector<std::string> texts;
  for (const auto& t : lx.tokens) texts.push_back(t.text);
  EXPECT_EQ(lx.tokens[1].upper, "it's");
  EXPECT_EQ(lx.tokens[3].kind, TokKind::QuotedIdent);
  EXPECT_EQ(lx.tokens[5].kind, TokKind::Bind);
  EXPECT_EQ(lx.tokens[5].upper, "X0");
  EXPECT_EQ(lx.tokens[7].upper, "a'b");
  EXPECT_FALSE(lex_sql("select 'open").ok);
}

class RewriterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    s = db.login();
    exec(*s, "create table emp (empno number(4) primary key, ename varchar2(10), sal number(7,2))");
  }
  std::string sql_of(const std::string& oracle) {
    RewriteResult r = rewrite_sql(*s, oracle);
    EXPECT_FALSE(r.error) << oracle << ": " << r.error.text;
    return r.pieces.empty() ? std::string() : r.pieces[0].sql;
  }
  EngineDb db;
  std::unique_ptr<Session> s;
};

TEST_F(RewriterTest, QualifiesNamesAndAliasesColumnsLikeOracle) {
  EXPECT_EQ(sql_of("select ename from emp"), "SELECT \"ENAME\" AS \"ENAME\" FROM \"SCOTT\".\"EMP\"");
  EXPECT_EQ(sql_of("select user from dual \n"), "SELECT ocilite_user() AS \"USER\" FROM \"DUAL\"");
  std::string concat = sql_of("select a.ename || ' ' || a.sal x from emp a");
  EXPECT_NE(concat.find("ocilite_concat"), std::string::npos) << concat << "\n";
  EXPECT_NE(concat.find("AS \"X\""), std::string::npos) << concat << "\n";
}

TEST_F(RewriterTest, StatementKindsAndFunctionCodes) {
  struct Case {
    const char* sql;
    int type, fn;
  } cases[] = {{"select * from emp", 1, 4},          {"insert into emp (empno) values (1)", 4, 3},
               {"update emp set sal = 1", 2, 5},     {"delete from emp", 3, 9},
               {"create table x (a number)", 5, 1},  {"drop table emp", 6, 8},
               {"begin null; end;", 8, 34},          {"savepoint a", 0, 56}};
  for (const auto& c : cases) {
    RewriteResult r = rewrite_sql(*s, c.sql);
    EXPECT_FALSE(r.error) << c.sql << r.error.text;
    EXPECT_EQ(r.stmt_type, c.type) << c.sql;
    EXPECT_EQ(r.fn_code, c.fn) << c.sql;
  }
}

TEST_F(RewriterTest, RefusesWhatItCannotRun) {
  for (const char* sql : {"select * from emp a, emp b where a.empno = b.empno(+)", "select level from dual connect by level < 3",
                          "merge into emp using dual on (1=1) when matched then update set sal = 1",
                          "grant select on emp to hr"}) {
    RewriteResult r = rewrite_sql(*s, sql);
    EXPECT_TRUE(r.error) << sql;
  }
}

}  // namespace
}  // namespace ocilite::testing
