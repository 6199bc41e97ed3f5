#include <gtest/gtest.h>

#include "client_charset.h"
#include "ora_format.h"
#include "oracle_number.h"
#include "sql_functions.h"

namespace ocilite {
namespace {

TEST(NumberText, PrintsAsOracle) {
  struct Case {
    double in;
    const char* out;
  } cases[] = {{0.1, ".1"}, {-0.5, "-.5"}, {1.5, "1.5"}, {100, "100"}, {1e20, "100000000000000000000"},
               {123.456, "123.456"}, {0.000001, ".000001"}, {-12.25, "-12.25"}, {0.1 + 0.2, ".3"}};
  for (const auto& c : cases) EXPECT_EQ(number_to_text(c.in), c.out) << c.in;
  EXPECT_EQ(number_to_text(int64_t{-42}), "-42");
}

TEST(NumberText, ParsesOracleLiterals) {
  EXPECT_TRUE(parse_number(" 12 ")->is_int);
  EXPECT_EQ(parse_number("12")->i, 12);
  EXPECT_DOUBLE_EQ(parse_number(".5")->d, 0.5);
  EXPECT_DOUBLE_EQ(parse_number("-1.5e2")->i, -150);
  for (const char* bad : {"", "abc", "1.2.3", "1e", "--1", "12a"}) EXPECT_FALSE(parse_number(bad)) << bad;
}

TEST(NumberText, FormatModels) {
  OraNumber n;
  n.is_int = false;
  n.d = 1234.5;
  EXPECT_EQ(*format_number(n, "9,999.99"), " 1,234.50");
  EXPECT_EQ(*format_number(n, "FM9999.00"), "1234.50");
  EXPECT_EQ(*format_number(n, "99"), "###");
  OraNumber i;
  i.i = 7;
  EXPECT_EQ(*format_number(i, "000"), " 007");
  EXPECT_EQ(*format_number(i, "FM0000"), "0007");
}

TEST(DateText, FormatAndParseRoundTrip) {
  OraDateTime dt;
  dt.year = 2024;
  dt.month = 2;
  dt.day = 29;
  dt.hour = 13;
  dt.minute = 5;
  dt.second = 9;
  EXPECT_EQ(*format_date(dt, "YYYY-MM-DD HH24:MI:SS"), "2024-02-29 13:05:09");
  EXPECT_EQ(*format_date(dt, "DD-MON-RR"), "29-FEB-24");
  EXPECT_EQ(*format_date(dt, "Dy, DD Month YYYY HH:MI AM"), "Thu, 29 February  2024 01:05 PM");
  int err = 0;
  auto back = parse_date("29-FEB-24", "DD-MON-RR", err);
  ASSERT_TRUE(back) << err;
  EXPECT_EQ(date_to_storage(*back), "2024-02-29 00:00:00");
  EXPECT_FALSE(parse_date("2023-02-29", "YYYY-MM-DD", err));
  EXPECT_FALSE(parse_date("2023-13-01", "YYYY-MM-DD", err));
  EXPECT_EQ(err, 1843);
  EXPECT_FALSE(parse_date("2023-01-01 extra", "YYYY-MM-DD", err));
  EXPECT_EQ(err, 1830);
  EXPECT_TRUE(date_from_storage("2024-01-02 03:04:05.123456"));
  EXPECT_EQ(date_from_storage("2024-01-02 03:04:05.123456")->nanos, 123456000);
}

TEST(Rowid, EncodesEighteenCharactersAndRoundTrips) {
  for (int64_t id : {int64_t{1}, int64_t{4095}, int64_t{4096}, int64_t{123456789}, int64_t{1} << 40}) {
    std::string text = encode_rowid(12345, id);
    ASSERT_EQ(text.size(), 18u);
    EXPECT_EQ(decode_rowid(text), id) << text;
  }
  EXPECT_FALSE(decode_rowid("short"));
  EXPECT_FALSE(decode_rowid("AAAAAAAAA!AAAAAAAA"));
}

TEST(OracleNumber, WireFormatRoundTrips) {
  for (double v : {0.0, 1.0, -1.0, 123.45, -0.001, 1e10, 99.99}) {
    OraNumber n;
    n.is_int = false;
    n.d = v;
    unsigned char buf[22];
    size_t len = encode_oracle_number(n, buf);
    auto back = decode_oracle_number(buf, len);
    ASSERT_TRUE(back) << v;
    EXPECT_DOUBLE_EQ(back->is_int ? static_cast<double>(back->i) : back->d, v);
  }
  unsigned char one[] = {0xC1, 0x02};  // 1 as Oracle stores it
  EXPECT_EQ(decode_oracle_number(one, 2)->i, 1);
}

TEST(ClientCharset, FromNlsLang) {
  EXPECT_STREQ(charset_from_nls_lang("AMERICAN_AMERICA.AL32UTF8").oracle_name, "AL32UTF8");
  EXPECT_STREQ(charset_from_nls_lang(".UTF8").oracle_name, "UTF8");
  EXPECT_STREQ(charset_from_nls_lang("JAPANESE_JAPAN.JA16SJISTILDE").oracle_name, "JA16SJISTILDE");
  EXPECT_STREQ(charset_from_nls_lang(nullptr).oracle_name, "JA16SJISTILDE");
  CharsetInfo sjis = charset_from_nls_lang(nullptr);
  std::string utf8 = "\xE6\x97\xA5\xE6\x9C\xAC";  // 日本
  std::string cp932 = utf8_to_client(sjis, utf8);
  EXPECT_EQ(cp932, "\x93\xFA\x96\x7B");
  EXPECT_EQ(client_to_utf8(sjis, cp932), utf8);
  EXPECT_EQ(client_offset(sjis, "\xE6\x97\xA5x", 3), 2u);
}

}  // namespace
}  // namespace ocilite
