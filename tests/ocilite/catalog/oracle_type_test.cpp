#include "catalog/oracle_type.h"

#include <gtest/gtest.h>

namespace ocilite {
namespace {

struct TypeCase {
  const char* decl;
  const char* data_type;
  int code;
  int data_length;
  std::optional<int> precision, scale;
  char char_used;
  int char_length;
  int describe_size, describe_precision, describe_scale;
};

// Values as an AL32UTF8 Oracle 19 database with an AL16UTF16 national
// character set shows them in ALL_TAB_COLUMNS and through OCI describe.
const TypeCase kCases[] = {
    {"VARCHAR2(20 CHAR)", "VARCHAR2", 1, 80, {}, {}, 'C', 20, 80, 0, 0},
    {"varchar2(20)", "VARCHAR2", 1, 20, {}, {}, 'B', 20, 20, 0, 0},
    {"VARCHAR2( 4000 CHAR )", "VARCHAR2", 1, 4000, {}, {}, 'C', 4000, 4000, 0, 0},
    {"VARCHAR(10 BYTE)", "VARCHAR2", 1, 10, {}, {}, 'B', 10, 10, 0, 0},
    {"NVARCHAR2(10)", "NVARCHAR2", 1, 20, {}, {}, 'C', 10, 20, 0, 0},
    {"CHAR", "CHAR", 96, 1, {}, {}, 'B', 1, 1, 0, 0},
    {"CHAR(3 CHAR)", "CHAR", 96, 12, {}, {}, 'C', 3, 12, 0, 0},
    {"NCHAR(5)", "NCHAR", 96, 10, {}, {}, 'C', 5, 10, 0, 0},
    {"NUMBER", "NUMBER", 2, 22, {}, {}, 0, 0, 22, 0, -127},
    {"NUMBER(7,2)", "NUMBER", 2, 22, 7, 2, 0, 0, 22, 7, 2},
    {"NUMBER(4)", "NUMBER", 2, 22, 4, 0, 0, 0, 22, 4, 0},
    {"NUMBER(*,0)", "NUMBER", 2, 22, {}, 0, 0, 0, 22, 38, 0},
    {"NUMBER(38,-2)", "NUMBER", 2, 22, 38, -2, 0, 0, 22, 38, -2},
    {"INTEGER", "NUMBER", 2, 22, {}, 0, 0, 0, 22, 38, 0},
    {"FLOAT", "FLOAT", 2, 22, 126, {}, 0, 0, 22, 126, -127},
    {"FLOAT(63)", "FLOAT", 2, 22, 63, {}, 0, 0, 22, 63, -127},
    {"BINARY_DOUBLE", "BINARY_DOUBLE", 101, 8, {}, {}, 0, 0, 8, 0, 0},
    {"DATE", "DATE", 12, 7, {}, {}, 0, 0, 7, 0, 0},
    {"TIMESTAMP", "TIMESTAMP(6)", 180, 11, {}, 6, 0, 0, 11, 0, 6},
    {"TIMESTAMP(3)", "TIMESTAMP(3)", 180, 11, {}, 3, 0, 0, 11, 0, 3},
    {"timestamp(6) with time zone", "TIMESTAMP(6) WITH TIME ZONE", 181, 13, {}, 6, 0, 0, 13, 0, 6},
    {"TIMESTAMP WITH LOCAL TIME ZONE", "TIMESTAMP(6) WITH LOCAL TIME ZONE", 231, 11, {}, 6, 0, 0, 11, 0, 6},
    {"INTERVAL YEAR TO MONTH", "INTERVAL YEAR(2) TO MONTH", 182, 5, 2, 0, 0, 0, 5, 2, 0},
    {"INTERVAL DAY(3) TO SECOND(2)", "INTERVAL DAY(3) TO SECOND(2)", 183, 11, 3, 2, 0, 0, 11, 3, 2},
    {"RAW(16)", "RAW", 23, 16, {}, {}, 0, 0, 16, 0, 0},
    {"LONG", "LONG", 8, 0, {}, {}, 0, 0, 0, 0, 0},
    {"LONG RAW", "LONG RAW", 24, 0, {}, {}, 0, 0, 0, 0, 0},
    {"CLOB", "CLOB", 112, 4000, {}, {}, 0, 0, 4000, 0, 0},
    {"NCLOB", "NCLOB", 112, 4000, {}, {}, 0, 0, 4000, 0, 0},
    {"BLOB", "BLOB", 113, 4000, {}, {}, 0, 0, 4000, 0, 0},
    {"BFILE", "BFILE", 114, 530, {}, {}, 0, 0, 530, 0, 0},
    {"ROWID", "ROWID", 104, 10, {}, {}, 0, 0, 10, 0, 0},
};

TEST(OracleTypeTest, ParsesDeclarationsAsOracleDescribesThem) {
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.decl);
    std::string error;
    auto t = parse_oracle_type(c.decl, &error);
    ASSERT_TRUE(t) << error;
    EXPECT_EQ(t->data_type, c.data_type);
    EXPECT_EQ(t->code, c.code);
    EXPECT_EQ(t->data_length, c.data_length);
    EXPECT_EQ(t->precision, c.precision);
    EXPECT_EQ(t->scale, c.scale);
    EXPECT_EQ(t->char_used, c.char_used);
    EXPECT_EQ(t->char_length, c.char_length);
    EXPECT_EQ(t->describe_size(), c.describe_size);
    EXPECT_EQ(t->describe_precision(), c.describe_precision);
    EXPECT_EQ(t->describe_scale(), c.describe_scale);
    // The canonical declaration parses to the same type.
    auto again = parse_oracle_type(t->declaration);
    ASSERT_TRUE(again) << t->declaration;
    EXPECT_EQ(again->data_type, t->data_type);
    EXPECT_EQ(again->data_length, t->data_length);
    EXPECT_EQ(again->scale, t->scale);
  }
}

TEST(OracleTypeTest, NationalTypesUseTheNationalCharacterSetForm) {
  EXPECT_EQ(parse_oracle_type("NVARCHAR2(1)")->charset_form, kCharsetFormNchar);
  EXPECT_EQ(parse_oracle_type("NCLOB")->charset_form, kCharsetFormNchar);
  EXPECT_EQ(parse_oracle_type("VARCHAR2(1)")->charset_form, kCharsetFormImplicit);
  EXPECT_EQ(parse_oracle_type("CLOB")->charset_form, kCharsetFormImplicit);
  EXPECT_TRUE(parse_oracle_type("BFILE")->is_lob);
  EXPECT_TRUE(parse_oracle_type("LONG RAW")->is_long);
}

TEST(OracleTypeTest, RejectsWhatOracleRejects) {
  for (const char* bad : {"", "VARCHAR2", "VARCHAR2(0)", "VARCHAR2(4001)", "NVARCHAR2(2001)", "NUMBER(39)", "NUMBER(0)",
                          "NUMBER(5,128)", "RAW", "RAW(2001)", "TIMESTAMP(10)", "NVARCHAR2(5 BYTE)", "VARCHAR2(10 CHAR",
                          "NUMBER(5) EXTRA", "FLOAT(127)", "INTERVAL HOUR TO MINUTE", "TEXT", "VARCHAR2(5);DROP"}) {
    SCOPED_TRACE(bad);
    std::string error;
    EXPECT_FALSE(parse_oracle_type(bad, &error));
    EXPECT_FALSE(error.empty());
  }
}

TEST(OracleTypeTest, PlainSqliteColumnsFollowAffinity) {
  EXPECT_EQ(type_from_sqlite_declaration("BIGINT").data_type, "NUMBER");
  EXPECT_EQ(type_from_sqlite_declaration("BIGINT").scale, 0);
  EXPECT_EQ(type_from_sqlite_declaration("TEXT").data_type, "VARCHAR2");
  EXPECT_EQ(type_from_sqlite_declaration("TEXT").data_length, 4000);
  EXPECT_EQ(type_from_sqlite_declaration("").data_type, "BLOB");
  EXPECT_EQ(type_from_sqlite_declaration("DOUBLE").data_type, "BINARY_DOUBLE");
  EXPECT_EQ(type_from_sqlite_declaration("DECIMAL(10,5)").data_type, "NUMBER");
  EXPECT_EQ(type_from_sqlite_declaration("BOOLEAN").data_type, "NUMBER");
  EXPECT_EQ(type_from_sqlite_declaration("VARCHAR2(7)").data_length, 7);
}

}  // namespace
}  // namespace ocilite
