// Oracle functions and operators as the rewriter maps them: each case is
// one select-list expression from DUAL and the text Oracle returns for it.
#include <gtest/gtest.h>

#include "engine_fixture.h"

namespace ocilite::testing {
namespace {

class FunctionsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    s = db.login();
    exec(*s, "alter session set nls_date_format = 'YYYY-MM-DD HH24:MI:SS'");
  }
  EngineDb db;
  std::unique_ptr<Session> s;
};

TEST_F(FunctionsTest, ExpressionsGiveOraclesText) {
  struct Case {
    const char* expr;
    const char* text;
  } cases[] = {
      {"substr('ABCDEF', 0, 2)", "AB"},
      {"substr('ABCDEF', -3)", "DEF"},
      {"substr('ABCDEF', 3, 2)", "CD"},
      {"substr('日本語テキスト', 2, 3)", "本語テ"},
      {"substr('ABC', 5)", "<null>"},
      {"instr('CORPORATE FLOOR', 'OR', 3, 2)", "14"},
      {"instr('CORPORATE FLOOR', 'OR', -3, 2)", "2"},
      {"instr('ABC', 'Z')", "0"},
      {"length('日本語')", "3"},
      {"lengthb('日本語')", "9"},
      {"length('')", "<null>"},
      {"upper('abc') || lower('DEF') || initcap('hello world')", "ABCdefHello World"},
      {"lpad('7', 3, '0') || rpad('x', 3, '-')", "007x--"},
      {"ltrim('xxabc', 'x') || rtrim('abcyy', 'y') || trim('  z  ')", "abcabcz"},
      {"replace('a-b-c', '-')", "abc"},
      {"translate('abc', 'ab', 'x')", "xc"},
      {"nvl(null, 'd')", "d"},
      {"nvl2('x', 'set', 'unset')", "set"},
      {"decode(2, 1, 'one', 2, 'two', 'other')", "two"},
      {"decode(null, null, 'null matches', 'no')", "null matches"},
      {"concat('a', null)", "a"},
      {"'a' || null || 1.5", "a1.5"},
      {"to_number('  12.50 ')", "12.5"},
      {"to_char(1234.5, '9,999.99')", " 1,234.50"},
      {"to_char(0.5)", ".5"},
      {"to_char(to_date('2024-03-05 14:07:09', 'YYYY-MM-DD HH24:MI:SS'), 'DD/MM/YY HH12:MI AM')", "05/03/24 02:07 PM"},
      {"to_char(date '2024-02-29', 'Day Month YYYY')", "Thursday  February  2024"},
      {"trunc(to_date('2024-03-05 14:07:09', 'YYYY-MM-DD HH24:MI:SS'))", "2024-03-05 00:00:00"},
      {"trunc(to_date('2024-03-05', 'YYYY-MM-DD'), 'MM')", "2024-03-01 00:00:00"},
      {"trunc(to_date('2024-03-05', 'YYYY-MM-DD'), 'YYYY')", "2024-01-01 00:00:00"},
      {"trunc(15.79, 1)", "15.7"},
      {"round(15.75, 1)", "15.8"},
      {"round(2.675, 2)", "2.68"},
      {"round(-1.5)", "-2"},
      {"mod(11, 4) || ',' || mod(-11, 4)", "3,-3"},
      {"ceil(1.2) || floor(-1.2) || abs(-3) || sign(-7)", "2-23-1"},
      {"power(2, 10)", "1024"},
      {"7 / 2", "3.5"},
      {"add_months(date '2024-01-31', 1)", "2024-02-29 00:00:00"},
      {"last_day(date '2023-02-10')", "2023-02-28 00:00:00"},
      {"months_between(date '2024-03-31', date '2024-02-29')", "1"},
      {"extract(year from date '2024-03-05')", "2024"},
      {"greatest(3, 7, 5) || least(3, 7, 5)", "73"},
      {"case when 1 = 1 then 'yes' else 'no' end", "yes"},
      {"rawtohex(hextoraw('0aFF'))", "0AFF"},
      {"chr(65) || ascii('A')", "A65"},
      {"cast('42' as number) + 1", "43"},
      {"coalesce(null, null, 'third')", "third"},
  };
  for (const auto& c : cases) {
    std::string sql = std::string("select ") + c.expr + " from dual";
    Result r = run(*s, sql);
    ASSERT_FALSE(r.error) << sql << "\n" << r.error.text;
    ASSERT_EQ(r.rows.size(), 1u) << sql;
    EXPECT_EQ(r.rows[0][0], c.text) << sql;
  }
}

TEST_F(FunctionsTest, ConversionErrorsAreOracles) {
  struct Case {
    const char* expr;
    int code;
  } cases[] = {
      {"to_number('12x')", 1722},
      {"to_date('2024-13-01', 'YYYY-MM-DD')", 1843},
      {"to_date('2024-02-30', 'YYYY-MM-DD')", 1839},
      {"to_date('2024-01-01 junk', 'YYYY-MM-DD')", 1830},
      {"to_date('x', 'QQQQ')", 1821},
      {"hextoraw('XYZ')", 1465},
      {"substr('abc', 'x')", 1722},
  };
  for (const auto& c : cases) {
    std::string sql = std::string("select ") + c.expr + " from dual";
    Result r = run(*s, sql);
    EXPECT_EQ(r.error.code, c.code) << sql << "\n" << r.error.text;
  }
}

TEST_F(FunctionsTest, QueryShapes) {
  exec(*s, "create table t (k number primary key, grp varchar2(5), v number)");
  exec(*s, "begin insert into t values (1, 'a', 10); insert into t values (2, 'a', null); "
           "insert into t values (3, 'b', 5); insert into t values (4, null, 1); end;");
  EXPECT_EQ(query(*s, "select grp, count(*), sum(v) from t group by grp having count(*) > 0 order by grp"),
            (Rows{{"a", "2", "10"}, {"b", "1", "5"}, {"<null>", "1", "1"}}));
  EXPECT_EQ(query(*s, "select k from t order by v desc"), (Rows{{"2"}, {"1"}, {"3"}, {"4"}}));
  EXPECT_EQ(query(*s, "select k from t where grp = 'a' minus select k from t where v is null"), (Rows{{"1"}}));
  EXPECT_EQ(query(*s, "select * from (select k from t order by k desc) where rownum <= 2"), (Rows{{"4"}, {"3"}}));
  EXPECT_EQ(query(*s, "select k from t order by k fetch first 1 rows only"), (Rows{{"1"}}));
  EXPECT_EQ(query(*s, "select x.k, y.grp from t x left join t y on y.k = x.k + 1 where x.k = 3"), (Rows{{"3", "<null>"}}));
  Result r = run(*s, "select k, grp from t where grp like :X0 escape '\\' order by 1", {"a%"});
  EXPECT_EQ(r.rows.size(), 2u) << r.error.text;
  EXPECT_EQ(r.columns, (std::vector<std::string>{"K", "GRP"}));
}

}  // namespace
}  // namespace ocilite::testing
