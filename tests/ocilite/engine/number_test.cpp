// NUMBER kept exactly: 38 significant digits stored, compared, sorted and
// converted without a double in between; the exact decimal type itself.
#include <gtest/gtest.h>

#include "decimal_number.h"
#include "engine_fixture.h"
#include "oracle_number.h"

namespace ocilite::testing {
namespace {

TEST(DecimalTest, ParsesAndPrintsAsOracle) {
  struct Case {
    const char* in;
    const char* out;
  } cases[] = {
      {"0", "0"},
      {"-0", "0"},
      {"0.1", ".1"},
      {"-0.50", "-.5"},
      {" 007.250 ", "7.25"},
      {"1e3", "1000"},
      {"1.5E-3", ".0015"},
      {"12345678901234567890123456789012345678", "12345678901234567890123456789012345678"},
      {"1234567890123456789.0123456789012345678", "1234567890123456789.0123456789012345678"},
      {"0.000000000000000000000000000000000001", ".000000000000000000000000000000000001"},
      {"1e45", "1E+45"},
      {"-1.25e-50", "-1.25E-50"},
  };
  for (const auto& c : cases) {
    auto d = parse_decimal(c.in);
    ASSERT_TRUE(d) << c.in;
    EXPECT_EQ(decimal_to_text(*d), c.out) << c.in;
  }
  for (const char* bad : {"", " ", "abc", "1.2.3", "1e", "--1", "1 2", "."}) EXPECT_FALSE(parse_decimal(bad)) << bad;
}

TEST(DecimalTest, RoundsHalfAwayFromZero) {
  auto r = [](const char* v, int scale) { return decimal_to_text(round_decimal(*parse_decimal(v), scale)); };
  EXPECT_EQ(r("1.005", 2), "1.01");
  EXPECT_EQ(r("-1.005", 2), "-1.01");
  EXPECT_EQ(r("9.995", 2), "10");
  EXPECT_EQ(r("1234.5", -2), "1200");
  EXPECT_EQ(r("0.004", 2), "0");
  EXPECT_EQ(r("0.005", 2), ".01");
  EXPECT_EQ(decimal_to_text(round_significant(*parse_decimal("123456789012345678901234567890123456789"), 38)),
            "123456789012345678901234567890123456790");
}

TEST(DecimalTest, ComparesNumericallyAsTheCollationDoes) {
  EXPECT_LT(compare_number_texts("9", "10"), 0);
  EXPECT_LT(compare_number_texts("-10", "-9"), 0);
  EXPECT_EQ(compare_number_texts("1.0", "1"), 0);
  EXPECT_EQ(compare_number_texts(".5", "0.50"), 0);
  EXPECT_LT(compare_number_texts("12345678901234567890123456789012345677", "12345678901234567890123456789012345678"), 0);
  EXPECT_LT(compare_number_texts("1.0e+20", "100000000000000000001"), 0);
  EXPECT_LT(compare_number_texts("-.1", "0"), 0);
  EXPECT_LT(compare_number_texts("5", "abc"), 0);  // texts that are no number come last
  EXPECT_GT(compare_number_texts("b", "a"), 0);
}

TEST(DecimalTest, OracleWireFormatRoundTripsEveryDigit) {
  for (const char* v : {"0", "1", "-1", "100", ".01", "-.5", "123.456", "12345678901234567890123456789012345678",
                        "-1234567890123456789.0123456789012345678", "1E+100", "-1.5E-100"}) {
    unsigned char buf[22];
    size_t len = encode_oracle_decimal(*parse_decimal(v), buf);
    ASSERT_LE(len, 21u);
    auto back = decode_oracle_decimal(buf, len);
    ASSERT_TRUE(back) << v;
    EXPECT_EQ(decimal_to_text(*back), v);
  }
  // Oracle's own bytes: 100 is C2 02, -1 is 3E 64 66.
  unsigned char buf[22];
  ASSERT_EQ(encode_oracle_decimal(*parse_decimal("100"), buf), 2u);
  EXPECT_EQ(buf[0], 0xC2);
  EXPECT_EQ(buf[1], 0x02);
  ASSERT_EQ(encode_oracle_decimal(*parse_decimal("-1"), buf), 3u);
  EXPECT_EQ(buf[0], 0x3E);
  EXPECT_EQ(buf[1], 0x64);
  EXPECT_EQ(buf[2], 0x66);
}

class NumberColumnTest : public ::testing::Test {
 protected:
  void SetUp() override {
    s = db.login();
    exec(*s, "create table acct (id number(4) primary key, big number, amount number(38,10), whole integer, ratio float)");
  }
  EngineDb db;
  std::unique_ptr<Session> s;
};

TEST_F(NumberColumnTest, StoresAndReturnsEveryDigit) {
  exec(*s, "insert into acct (id, big, amount, whole) values (1, :1, :2, :3)",
       {"12345678901234567890123456789012345678", "1234567890123456789012345678.0123456789",
        "98765432109876543210987654321098765432"});
  exec(*s, "insert into acct (id, big, amount) values (2, 0.1, '-0.25')");
  EXPECT_EQ(query(*s, "select big, amount, whole from acct where id = 1"),
            (Rows{{"12345678901234567890123456789012345678", "1234567890123456789012345678.0123456789",
                   "98765432109876543210987654321098765432"}}));
  EXPECT_EQ(query(*s, "select big, amount from acct where id = 2"), (Rows{{".1", "-.25"}}));
  // The exact value finds its row; one unit less does not.
  EXPECT_EQ(query(*s, "select id from acct where big = 12345678901234567890123456789012345678"), (Rows{{"1"}}));
  EXPECT_EQ(query(*s, "select id from acct where big = :1", {"12345678901234567890123456789012345677"}), Rows{});
  EXPECT_EQ(query(*s, "select count(*) from acct where amount > :1", {"1234567890123456789012345678.0123456788"}),
            (Rows{{"1"}}));
}

TEST_F(NumberColumnTest, ScaleRoundsAndPrecisionIsChecked) {
  exec(*s, "insert into acct (id, amount) values (1, 1.000000000050)");
  EXPECT_EQ(query(*s, "select amount from acct"), (Rows{{"1.0000000001"}}));
  Result r = run(*s, "insert into acct (id) values (12345)");
  EXPECT_EQ(r.error.code, 1438) << r.error.text;
  r = run(*s, "insert into acct (id, amount) values (2, '1e28')");
  EXPECT_EQ(r.error.code, 1438) << r.error.text;
  r = run(*s, "insert into acct (id, big) values (3, '1e130')");
  EXPECT_EQ(r.error.code, 1426) << r.error.text;
  r = run(*s, "insert into acct (id, big) values (4, 'x1')");
  EXPECT_EQ(r.error.code, 1722) << r.error.text;
}

TEST_F(NumberColumnTest, SortsAndComparesAsNumbers) {
  const char* values[] = {"10", "9", "-1", "100.5", "0.25", "99999999999999999999999999999999999999", "-.5"};
  int id = 1;
  for (const char* v : values) exec(*s, "insert into acct (id, big) values (" + std::to_string(id++) + ", :1)", {v});
  EXPECT_EQ(query(*s, "select big from acct order by big"),
            (Rows{{"-1"}, {"-.5"}, {".25"}, {"9"}, {"10"}, {"100.5"}, {"99999999999999999999999999999999999999"}}));
  EXPECT_EQ(query(*s, "select count(*) from acct where big between 1 and 100"), (Rows{{"2"}}));
  EXPECT_EQ(query(*s, "select count(*) from acct where big in (9, 10.0)"), (Rows{{"2"}}));
  // Through functions and CASE the values stay numbers.
  EXPECT_EQ(query(*s, "select max(big) from acct where id < 5"), (Rows{{"100.5"}}));
  EXPECT_EQ(query(*s, "select count(*) from acct where nvl(big, 0) > 50"), (Rows{{"2"}}));
  EXPECT_EQ(query(*s, "select id from acct where id < 4 order by nvl(big, 0) desc"), (Rows{{"1"}, {"2"}, {"3"}}));
  EXPECT_EQ(query(*s, "select decode(big, 9, 'nine', 'other') from acct where id = 2"), (Rows{{"nine"}}));
  EXPECT_EQ(query(*s, "select big * 2, big || '!' from acct where id = 5"), (Rows{{".5", ".25!"}}));
  // A key compares by value: 9.0 is 9.
  Result r = run(*s, "insert into acct (id) values (9.0)");
  EXPECT_FALSE(r.error) << r.error.text;
  r = run(*s, "insert into acct (id) values ('9')");
  EXPECT_EQ(r.error.code, 1) << r.error.text;
}

TEST_F(NumberColumnTest, ArithmeticResultsAreStoredInOracleForm) {
  exec(*s, "insert into acct (id, big, ratio) values (1, 1e20, 1/3)");
  exec(*s, "update acct set big = big * 10, amount = 0.1 + 0.2 where id = 1");
  EXPECT_EQ(query(*s, "select big, amount from acct"), (Rows{{"1000000000000000000000", ".3"}}));
  exec(*s, "insert into acct (id, big) select id + 1, big from acct");
  EXPECT_EQ(query(*s, "select big from acct where id = 2"), (Rows{{"1000000000000000000000"}}));
}

// Texts that SQLite would run as more than one statement, or with the
// rest of the statement commented away, are refused before they run.
TEST(StatementRefusalTest, UnterminatedCommentAndSemicolon) {
  EngineDb db;
  auto s = db.login();
  exec(*s, "create table t (id number, c varchar2(10))");
  exec(*s, "insert into t values (1, 'a')");
  exec(*s, "insert into t values (2, 'b')");
  struct Case {
    const char* sql;
    int code;
  } cases[] = {
      {"update t set c = 'x' /* where id = 1", 1742},
      {"delete from t /* where id = 1", 1742},
      {"update t set c = 'x'; where id = 1", 911},
      {"delete from t; select 1 from dual", 911},
      {"update t set c = 'x' where id = 1; update t set c = 'y'", 911},
      {"select * from t; delete from t", 911},
      {"insert into t values (3, 'c'); delete from t", 911},
  };
  for (const auto& c : cases) {
    Result r = run(*s, c.sql);
    EXPECT_EQ(r.error.code, c.code) << c.sql << ": " << r.error.text;
  }
  EXPECT_EQ(query(*s, "select id, c from t order by id"), (Rows{{"1", "a"}, {"2", "b"}}));
  // A trailing ';' and a closed comment are fine.
  exec(*s, "update t set c = 'z' /* only one */ where id = 1;");
  EXPECT_EQ(query(*s, "select c from t where id = 1"), (Rows{{"z"}}));
}

}  // namespace
}  // namespace ocilite::testing
