// Input a column cannot take: NUL characters inside a text, 4 MiB of text
// into a CLOB (taken) and into a VARCHAR2(4000) (refused at its cell). A
// refused save leaves the table and the grid's edits as they were.
#include <gtest/gtest.h>

#include "griddata/ora_grid_lob_write.h"
#include "ora_grid_db_test.h"

namespace kestrel {
namespace {

constexpr char16_t kSelect[] = u"select b.*, rowid from b order by id";

class OraGridBadInputTest : public testing::OraGridDbTest {
 protected:
  void SetUp() override {
    testing::OraGridDbTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    exec(u"create table b (id number(5) primary key, v varchar2(4000), c clob)");
    exec(u"insert into b values (1, 'v1', 'c1')");
    exec(u"insert into b values (2, 'v2', 'c2')");
    exec(u"commit");
    load(kSelect, u"B");
  }
  std::vector<std::string> table() { return rows(u"select id, v, c from b order by id"); }
  // Row `row` of the grid, or a new row 2 (id 3) when `insert`.
  int32_t target_row(bool insert) {
    if (!insert) return 0;
    EXPECT_GE(grid_.InsertRows(1, 1), 0);
    EXPECT_EQ(grid_.UpdateData(2, 0, u"3"), 0);
    return 2;
  }
};

const std::vector<std::string> kOriginal = {"1|v1|c1", "2|v2|c2"};

// 4 MiB of UTF-16 text, Japanese, ASCII and non-BMP mixed.
std::u16string FourMiB() {
  const std::u16string piece = u"日本語 text 'q' 😀\n";
  std::u16string t;
  t.reserve(2u << 20);
  while (t.size() < (2u << 20)) t += piece;
  return t;
}

struct Refused {
  const char* name;
  int32_t col;
  std::u16string text;
  bool insert;
  int code;
  std::u16string message;
};

TEST_F(OraGridBadInputTest, TextAColumnCannotTakeIsRefusedAtItsCell) {
  const std::u16string with_nul(u"before\0after", 12);
  // The longest text the cell takes, three bytes a character in UTF-8.
  const std::u16string widest(static_cast<std::size_t>(grid_.GetMaxDataLen(0, 1)), u'日');
  const Refused cases[] = {
      {"NUL in a VARCHAR2 update", 1, with_nul, false, kOciBadLength, u"update error\nデータ長が不正です(V)\n"},
      {"NUL in a VARCHAR2 insert", 1, with_nul, true, kOciBadLength, u"insert error \nデータ長が不正です(V)\n"},
      {"NUL in a CLOB update", 2, with_nul, false, kOciBadLength,
       u"insert/update lob error\nデータ長が不正です(C)\n"},
      {"NUL in a CLOB insert", 2, with_nul, true, kOciBadLength,
       u"insert/update lob error\nデータ長が不正です(C)\n"},
      {"too many bytes for a VARCHAR2(4000) update", 1, widest, false, kOciBadLength,
       u"update error\nデータ長が不正です(V)\n"},
      {"too many bytes for a VARCHAR2(4000) insert", 1, widest, true, kOciBadLength,
       u"insert error \nデータ長が不正です(V)\n"},
  };
  for (const Refused& c : cases) {
    SCOPED_TRACE(c.name);
    load(kSelect, u"B");
    const int32_t row = target_row(c.insert);
    ASSERT_EQ(grid_.UpdateData(1, 1, u"other"), 0);  // an edit that would go through
    ASSERT_EQ(grid_.UpdateData(row, c.col, c.text), 0);
    EXPECT_EQ(save(), c.code) << message().substr(0, 200);
    EXPECT_EQ(std::u16string(msg_), c.message);
    EXPECT_EQ(err_, (CellPoint{c.col, row}));
    EXPECT_EQ(table(), kOriginal);
    // The grid is as the user left it.
    EXPECT_EQ(grid_.GetRowCnt(), c.insert ? 3 : 2);
    EXPECT_EQ(grid_.GetData(row, c.col), c.text);
    EXPECT_EQ(grid_.GetData(1, 1), u"other");
    EXPECT_EQ(c.insert, grid_.IsInsertRow(row));
    EXPECT_TRUE(grid_.CanUndo());
  }
}

TEST_F(OraGridBadInputTest, FourMiBForAVarchar2AreRefusedAtInput) {
  // Longer than the column in characters already: the grid takes nothing,
  // records nothing, and a save has nothing to write.
  for (bool insert : {false, true}) {
    SCOPED_TRACE(insert ? "insert" : "update");
    load(kSelect, u"B");
    const int32_t row = target_row(insert);
    const bool could_undo = grid_.CanUndo();
    EXPECT_EQ(grid_.UpdateData(row, 1, FourMiB()), 1);
    EXPECT_EQ(grid_.GetData(row, 1), insert ? u"" : u"v1");
    EXPECT_FALSE(grid_.IsUpdateRow(row));
    EXPECT_EQ(grid_.CanUndo(), could_undo);
    ASSERT_EQ(save(), kOciOk) << message();
    EXPECT_EQ(table().size(), insert ? 3u : 2u);
    EXPECT_EQ(table()[0], kOriginal[0]);
    exec(u"delete from b where id = 3");
    exec(u"commit");
  }
}

TEST_F(OraGridBadInputTest, FourMiBOfTextGoIntoAClob) {
  const std::u16string text = FourMiB();
  for (bool insert : {false, true}) {
    SCOPED_TRACE(insert ? "insert" : "update");
    load(kSelect, u"B");
    const int32_t row = target_row(insert);
    ASSERT_EQ(grid_.UpdateData(row, 2, text), 0);
    ASSERT_EQ(save(), kOciOk) << message();
    load(kSelect, u"B");
    ASSERT_EQ(grid_.GetRowCnt(), insert ? 3 : 2);
    EXPECT_TRUE(grid_.GetEditData(row, 2) == text) << grid_.GetEditData(row, 2).size();
    EXPECT_EQ(grid_.GetData(1, 2), u"c2");
  }
}

TEST(OraGridObjectExpression, ANulEndsNoStatementEvenInQuotes) {
  for (std::u16string_view text : {std::u16string_view(u"T_POINT(1,\0 2)", 14), std::u16string_view(u"T('a\0b')", 9)}) {
    char16_t m[128] = {};
    EXPECT_EQ(oci_check_object_expression(text, OciMsgBuf(m)), kOciOracleError);
    EXPECT_EQ(std::u16string(m), u"ORA-00911: invalid character");
  }
}

}  // namespace
}  // namespace kestrel
