// Object, collection and REF columns in the Oracle grid: shown as their
// texts, edited by typing a constructor expression, saved and read back.
#include <gtest/gtest.h>

#include <string>

#include "griddata/ora_grid_preview.h"
#include "ora_grid_db_test.h"

namespace kestrel {
namespace {

constexpr char16_t kQuery[] = u"select a.\"ID\", a.\"ADDR\", a.\"PHONES\", a.\"HOME\", rowid \nfrom \"SCOTT\".\"PEOPLE\" a \norder by id";

class OraGridObjectTest : public testing::OraGridDbTest {
 protected:
  void SetUp() override {
    testing::OraGridDbTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    exec(u"create type address_t as object (pref varchar2(20 char), zip varchar2(8), moved date, floor_no number)");
    exec(u"create type phones_t as varray(3) of varchar2(20)");
    exec(u"create table homes of address_t");
    exec(u"create table people (id number(5) primary key, addr address_t, phones phones_t, home ref address_t)");
    exec(u"insert into homes values ('東京都', '100-0001', null, 3)");
    exec(u"insert into people values (1, address_t('大阪府', '530-0001', null, 12), phones_t('03-1'), null)");
    exec(u"update people set home = (select ref(h) from homes h)");
    exec(u"commit");
  }
  void load() { testing::OraGridDbTest::load(kQuery, u"PEOPLE"); }
};

TEST_F(OraGridObjectTest, ObjectCellsSaveTheExpressionTypedIntoThem) {
  load();
  EXPECT_EQ(grid_.GetData(0, 1), u"ADDRESS_T('大阪府','530-0001',NULL,12)");
  EXPECT_EQ(grid_.GetData(0, 2), u"PHONES_T('03-1')");
  ASSERT_EQ(grid_.UpdateData(0, 1, u"ADDRESS_T('京都府', '600-8001', '2024-02-29 13:45:06', 2)"), 0);
  ASSERT_EQ(grid_.UpdateData(0, 2, u"phones_t('075-1', '075-2')"), 0);
  ASSERT_EQ(grid_.InsertRows(0, 1), 0);  // a new row after row 1
  ASSERT_EQ(grid_.UpdateData(1, 0, u"2"), 0);
  ASSERT_EQ(grid_.UpdateData(1, 1, u"address_t('北海道', null, null, null)"), 0);
  std::u16string script;
  ASSERT_EQ(oci_preview_grid_sql(&grid_, &script, OciMsgBuf(msg_)), kOciOk) << message();
  EXPECT_NE(script.find(u"ADDRESS_T('京都府', '600-8001', '2024-02-29 13:45:06', 2)"), std::u16string::npos)
      << utf16_to_utf8(script);
  ASSERT_EQ(save(), kOciOk) << message();
  load();
  ASSERT_EQ(grid_.GetRowCnt(), 2);
  EXPECT_EQ(grid_.GetData(0, 1), u"ADDRESS_T('京都府','600-8001','2024-02-29 13:45:06',2)");
  EXPECT_EQ(grid_.GetData(0, 2), u"PHONES_T('075-1','075-2')");
  EXPECT_EQ(grid_.GetData(1, 1), u"ADDRESS_T('北海道',NULL,NULL,NULL)");
  EXPECT_EQ(grid_.GetData(0, 3).size() > 20, true);  // the REF is untouched
}

TEST_F(OraGridObjectTest, ABadExpressionFailsAtItsCellAndChangesNothing) {
  const char16_t* bad[] = {
      u"ADDRESS_T('a')",                              // too few attributes
      u"'just a text'",                               // no object
      u"PHONES_T('1', '2', '3', '4')",                // over the VARRAY limit
      u"ADDRESS_T('a', 'b', null, 1) /* comment",     // would swallow the WHERE clause
      u"ADDRESS_T('a', 'b', null, 1); drop table x",  // a second statement
  };
  for (const char16_t* expr : bad) {
    SCOPED_TRACE(utf16_to_utf8(expr));
    load();
    ASSERT_EQ(grid_.UpdateData(0, 1, expr), 0);
    EXPECT_NE(save(), kOciOk);
    EXPECT_EQ(err_.row, 0);
    EXPECT_NE(message().find("ORA-"), std::string::npos) << message();
    load();
    EXPECT_EQ(grid_.GetData(0, 1), u"ADDRESS_T('大阪府','530-0001',NULL,12)");
  }
}

}  // namespace
}  // namespace kestrel
