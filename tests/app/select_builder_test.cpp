#include "app/select_builder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/utf16.h"
#include "sqltext/sql_str_token.h"

namespace kestrel {
namespace {

using Names = std::vector<std::u16string>;

std::string U8(const std::u16string& s) { return utf16_to_utf8(s); }

class SelectBuilderTest : public ::testing::Test {
 protected:
  CSQLStrToken tok_;
};

TEST_F(SelectBuilderTest, ConditionPrefix) {
  struct Case {
    std::u16string in, out;
  } cases[] = {
      {u"", u""},
      {u" \t\r\n", u" \t\r\n"},  // blanks only count as empty
      {u"empno = 7369", u"WHERE empno = 7369"},
      {u"where empno = 1", u"where empno = 1"},
      {u"WHERE empno = 1", u"WHERE empno = 1"},
      {u"Order by ename", u"Order by ename"},
      {u"\n\tWHERE x = 1", u"\n\tWHERE x = 1"},
      {u"  order by 1", u"  order by 1"},
      {u"whereabouts = 1", u"WHERE whereabouts = 1"},  // a longer word is not the keyword
      {u"orders > 0", u"WHERE orders > 0"},
      {u"(a = 1)", u"WHERE (a = 1)"},
      {u"社員名 = 'x'", u"WHERE 社員名 = 'x'"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(U8(PrefixCondition(tok_, c.in)), U8(c.out)) << U8(c.in);
  }
}

TEST_F(SelectBuilderTest, StatementTable) {
  struct Case {
    const char* name;
    SelectRequest req;
    std::u16string sql;
  } cases[] = {
      {"plain",
       {u"SCOTT", u"EMP", u"", {u"EMPNO", u"ENAME"}, u"", false, false, {}},
       u"select a.\"EMPNO\", a.\"ENAME\", rowid \nfrom \"SCOTT\".\"EMP\" a \n"},
      {"condition and lock",
       {u"SCOTT", u"EMP", u"a", {u"ENAME"}, u"WHERE empno = 1", true, false, {}},
       u"select a.\"ENAME\", rowid \nfrom \"SCOTT\".\"EMP\" a \nWHERE empno = 1 for update nowait"},
      {"read-only expression verbatim",
       {u"SCOTT", u"EMP", u"e", {u"ENAME", u"sal*12 /*READONLY*/"}, u"Order by ename", false, false, {}},
       u"select e.\"ENAME\", sal*12 /*READONLY*/, rowid \nfrom \"SCOTT\".\"EMP\" e \nOrder by ename"},
      {"trailing line comment gets a line feed before the lock",
       {u"SCOTT", u"EMP", u"", {u"ENAME"}, u"WHERE 1=1 -- all", true, false, {}},
       u"select a.\"ENAME\", rowid \nfrom \"SCOTT\".\"EMP\" a \nWHERE 1=1 -- all\n for update nowait"},
      {"a comment on an earlier line changes nothing",
       {u"SCOTT", u"EMP", u"", {u"ENAME"}, u"-- all\nWHERE 1=1", true, false, {}},
       u"select a.\"ENAME\", rowid \nfrom \"SCOTT\".\"EMP\" a \n-- all\nWHERE 1=1 for update nowait"},
      {"comment marks inside a literal are text",
       {u"SCOTT", u"EMP", u"", {u"ENAME"}, u"WHERE ename = '--x'", true, false, {}},
       u"select a.\"ENAME\", rowid \nfrom \"SCOTT\".\"EMP\" a \nWHERE ename = '--x' for update nowait"},
      {"Japanese and lower-case names",
       {u"scott", u"社員", u"", {u"社員名", u"ename"}, u"", false, false, {}},
       u"select a.\"社員名\", a.\"ename\", rowid \nfrom \"scott\".\"社員\" a \n"},
      {"index-organised, two keys",
       {u"SCOTT", u"IOT_T", u"", {u"K1", u"K2", u"V"}, u"WHERE v > 0", true, true, {u"K1", u"K2"}},
       u"select a.\"K1\", a.\"K2\", a.\"V\", 'X' as \"ROWID\" , a.\"K1\", a.\"K2\" \nfrom \"SCOTT\".\"IOT_T\" a "
       u"\nWHERE v > 0 for update nowait"},
  };
  for (const auto& c : cases) {
    std::u16string sql, err;
    ASSERT_TRUE(BuildSelectStatement(tok_, c.req, &sql, &err)) << c.name << ": " << U8(err);
    EXPECT_EQ(U8(sql), U8(c.sql)) << c.name;
  }
}

TEST_F(SelectBuilderTest, NamesWithQuotesAreRefused) {
  SelectRequest reqs[] = {
      {u"SCOTT", u"EMP", u"", {u"EN\"AME"}, u"", false, false, {}},
      {u"SCO\"TT", u"EMP", u"", {u"ENAME"}, u"", false, false, {}},
      {u"SCOTT", u"E\"MP", u"", {u"ENAME"}, u"", false, false, {}},
      {u"SCOTT", u"IOT", u"", {u"K"}, u"", false, true, {u"K\""}},
      {u"SCOTT", u"IOT", u"", {u"K"}, u"", false, true, {}},  // no key columns
  };
  for (const auto& req : reqs) {
    std::u16string sql = u"untouched", err;
    EXPECT_FALSE(BuildSelectStatement(tok_, req, &sql, &err));
    EXPECT_FALSE(err.empty());
    EXPECT_EQ(sql, u"untouched");
  }
}

TEST(ConditionColumnNameTest, BareOrQuoted) {
  struct Case {
    std::u16string name, out;
  } cases[] = {
      {u"ENAME", u"ENAME"},
      {u"EMP_NO#$", u"EMP_NO#$"},
      {u"ＥＮＡＭＥ", u"ＥＮＡＭＥ"},     // full-width capitals read as capitals
      {u"ｅ", u"\"ｅ\""},               // full-width small letter reads as small
      {u"社員名", u"社員名"},
      {u"ename", u"\"ename\""},
      {u"A B", u"\"A B\""},
      {u"A.B", u"\"A.B\""},             // bare it would read as column B of A
      {u"1X", u"1X"},
      {u"USER", u"USER"},
      {u"\U00020B9F", u"\U00020B9F"},   // non-BMP
      {u"A\"B", u""},                   // cannot be written
  };
  for (const auto& c : cases) {
    EXPECT_EQ(U8(ConditionColumnName(c.name)), U8(c.out)) << U8(c.name);
  }
}

TEST_F(SelectBuilderTest, WhereCopySeparators) {
  struct Case {
    Names names;
    std::u16string before, out;
  } cases[] = {
      {{u"ENAME"}, u"", u"ENAME"},
      {{u"ENAME", u"sal"}, u"", u"ENAME, \"sal\""},
      {{u"ENAME"}, u"WHERE ", u"ENAME"},
      {{u"ENAME"}, u"where a = 1 and ", u"ENAME"},
      {{u"ENAME"}, u"order by EMPNO", u", ENAME"},
      {{u"ENAME"}, u"order by \"x\" ", u", ENAME"},
      {{u"ENAME"}, u"where f(a)", u", ENAME"},
      {{u"ENAME"}, u"where x in (", u"ENAME"},
      {{u"ENAME"}, u"order by 1, ", u"ENAME"},
      {{u"A\"B", u"ENAME"}, u"", u"ENAME"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(U8(WhereCopyText(tok_, c.names, c.before)), U8(c.out)) << U8(c.before);
  }
}

}  // namespace
}  // namespace kestrel
