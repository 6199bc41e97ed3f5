// The type table: widths chosen at describe time, display names and length
// texts, and the rows-per-fetch rule.
#include <gtest/gtest.h>

#include "oci/oci_codes.h"
#include "oci/oci_cursor.h"
#include "oci/oci_types.h"
#include "oci_test_support.h"

namespace kestrel {
namespace {

using testing::OciProcessTest;

struct WidthCase {
  const char* what;
  uint16_t type;
  uint32_t size;
  int16_t precision, scale;
  OciPath path;
  uint32_t code_page;
  bool sjis;
  bool ok;
  uint32_t width;
  uint8_t kind;
};

TEST_F(OciProcessTest, ColumnWidthsFollowTheTypeTable) {
  const WidthCase cases[] = {
      {"VARCHAR2(20)", 1, 20, 0, 0, OciPath::Newer, 0, false, true, 21, 0},
      {"VARCHAR2(20) utf8", 1, 20, 0, 0, OciPath::Newer, 65001, false, true, 42, 0},
      {"VARCHAR2(20) utf8 sjis db", 1, 20, 0, 0, OciPath::Newer, 65001, true, true, 63, 0},
      {"VARCHAR2(20) utf8 old path", 1, 20, 0, 0, OciPath::Old, 65001, true, true, 42, 0},
      {"VARCHAR2 size 0", 1, 0, 0, 0, OciPath::Newer, 0, false, true, 2001, 0},
      {"VARCHAR2 size 0 utf8", 1, 0, 0, 0, OciPath::Newer, 65001, false, true, 4002, 0},
      {"CHAR(3)", 96, 3, 0, 0, OciPath::Newer, 0, false, true, 4, 0},
      {"NUMBER", 2, 22, 0, 0, OciPath::Newer, 0, false, true, 133, 0},
      {"NUMBER old path", 2, 22, 0, 0, OciPath::Old, 0, false, true, 41, 0},
      // Plain NUMBER as clients describe it (scale -127), and FLOAT(126).
      {"NUMBER scale -127", 2, 22, 0, -127, OciPath::Newer, 0, false, true, 133, 0},
      {"FLOAT(126)", 2, 22, 126, -127, OciPath::Newer, 0, false, true, 129, 0},
      {"NUMBER(7,2)", 2, 22, 7, 2, OciPath::Newer, 0, false, true, 10, 0},
      {"NUMBER(5,-2)", 2, 22, 5, -2, OciPath::Newer, 0, false, true, 10, 0},
      {"NUMBER(3,5)", 2, 22, 3, 5, OciPath::Newer, 0, false, true, 8, 0},
      {"FLOAT code 4", 4, 8, 0, 0, OciPath::Newer, 0, false, true, 133, 0},
      {"DATE", 12, 7, 0, 0, OciPath::Newer, 0, false, true, 32, 0},
      {"ROWID 104", 104, 10, 0, 0, OciPath::Newer, 0, false, true, 24, 0},
      {"ROWID 11", 11, 10, 0, 0, OciPath::Old, 0, false, true, 24, 0},
      {"RAW(16)", 23, 16, 0, 0, OciPath::Newer, 0, false, true, 33, 0},
      {"LONG RAW", 24, 0, 0, 0, OciPath::Newer, 0, false, true, 2000, 0},
      {"LONG", 8, 0, 0, 0, OciPath::Newer, 0, false, true, 65536, 0},
      {"BINARY_FLOAT", 100, 4, 0, 0, OciPath::Newer, 0, false, true, 20, 0},
      {"BINARY_DOUBLE old path", 101, 8, 0, 0, OciPath::Old, 0, false, false, 40, 0},
      {"TIMESTAMP", 180, 11, 0, 6, OciPath::Newer, 0, false, true, 48, 0},
      {"INTERVAL DS", 183, 11, 0, 6, OciPath::Old, 0, false, true, 48, 0},
      {"CLOB", 112, 4000, 0, 0, OciPath::Newer, 0, false, true, 4096 + 24, 1},
      {"CLOB old path", 112, 4000, 0, 0, OciPath::Old, 0, false, false, 4096 + 24, 1},
      {"BLOB", 113, 4000, 0, 0, OciPath::Newer, 0, false, true, 72, 1},
      {"BFILE", 114, 530, 0, 0, OciPath::Newer, 0, false, true, 536, 1},
      {"object without object calls", 108, 0, 0, 0, OciPath::Newer, 0, false, false, 16, 2},
      {"unknown code", 250, 10, 0, 0, OciPath::Newer, 0, false, false, 0, 0},
  };
  for (const auto& c : cases) {
    OciColumnDesc d;
    d.data_type = c.type;
    d.data_size = c.size;
    d.precision = c.precision;
    d.scale = c.scale;
    EXPECT_EQ(oci_set_column_width(d, c.path, c.code_page, c.sjis, false), c.ok) << c.what;
    EXPECT_EQ(d.width, c.width) << c.what;
    EXPECT_EQ(d.wide_size, c.width * 2) << c.what;
    EXPECT_EQ(d.kind, c.kind) << c.what;
  }
}

struct NameCase {
  uint16_t type;
  uint32_t size;
  int16_t precision, scale;
  uint8_t form;
  const char16_t* name;
  const char16_t* length;
};

TEST(OciTypeName, NamesAndLengthTexts) {
  const NameCase cases[] = {
      {1, 20, 0, 0, 1, u"VARCHAR2", u"20"},
      {1, 40, 0, 0, 2, u"NVARCHAR2", u"20"},
      {96, 3, 0, 0, 1, u"CHAR", u"3"},
      {2, 22, 0, 0, 1, u"NUMBER", u""},
      {2, 22, 7, 0, 1, u"NUMBER", u"7"},
      {2, 22, 7, 2, 1, u"NUMBER", u"7,2"},
      {2, 22, 126, -127, 1, u"FLOAT", u"126"},
      {2, 22, 0, -127, 1, u"NUMBER", u""},
      {12, 7, 0, 0, 1, u"DATE", u""},
      {104, 10, 0, 0, 1, u"ROWID", u""},
      {23, 16, 0, 0, 1, u"RAW", u"16"},
      {112, 0, 0, 0, 2, u"NCLOB", u""},
      {181, 13, 0, 0, 1, u"TIMESTAMP WITH TIMEZONE", u""},
      {231, 11, 0, 0, 1, u"TIMESTAMP WITH LOCAL TIMEZONE", u""},
      {110, 36, 0, 0, 1, u"-UNKNOWN-110", u"36"},
      {108, 0, 0, 0, 1, u"-UNKNOWN TYPE-108", u""},
      {77, 5, 0, 0, 1, u"-UNKNOWN-77", u"5"},
  };
  for (const auto& c : cases) {
    OciColumnDesc d;
    d.data_type = c.type;
    d.data_size = c.size;
    d.precision = c.precision;
    d.scale = c.scale;
    d.charset_form = c.form;
    std::u16string name, length;
    oci_get_type_name(d, &name, &length);
    EXPECT_EQ(name, c.name) << c.type;
    EXPECT_EQ(length, c.length) << c.type;
  }
}

TEST(OciRowsPerFetch, AboutFourMebibytesAtMostFourHundredAtLeastOne) {
  struct Case {
    uint64_t width;
    int requested;
    int expected;
  } cases[] = {
      {100, 400, 400},    {100, 1000, 400}, {20000, 400, 209}, {1u << 23, 400, 1},
      {100, 0, 1},        {100, -5, 1},     {100, 1, 1},       {(1u << 22) + 1, 2, 1},
      {300000000, 1, 1},
  };
  for (const auto& c : cases) EXPECT_EQ(oci_rows_per_fetch(c.width, c.requested), c.expected) << c.width << "/" << c.requested;
}

}  // namespace
}  // namespace kestrel
