// Object, collection and REF cells read through the stand-in client: the
// texts the grid shows for each kind of member, NULLs at every level, the
// cell's capacity, and the types Kestrel cannot show.
#include <gtest/gtest.h>

#include <string>

#include "oci/oci_codes.h"
#include "oci/oci_cursor.h"
#include "oci/oci_session.h"
#include "oci_test_support.h"
#include "platform/utf16.h"

namespace kestrel {
namespace {

class OciObjectTest : public testing::OciliteDbTest {
 protected:
  void SetUp() override {
    testing::OciliteDbTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    ASSERT_EQ(oci_login2(&s_, u"SCOTT", u"TIGER", utf8_to_utf16(db_.string()), u"", kLoginNormal, OciMsgBuf(msg_),
                         nullptr),
              kOciOk)
        << message();
    exec(u"create type address_t as object (pref varchar2(20), zip varchar2(8), since date, rank number)");
    exec(u"create type phone_list_t as varray(3) of varchar2(20)");
    exec(u"create type tag_tab_t as table of varchar2(10)");
    exec(u"create type person_t as object (name varchar2(20), addr address_t, phones phone_list_t)");
    exec(u"create table addresses of address_t");
    exec(u"create table customers (id number(5) primary key, who person_t, addr address_t, phones phone_list_t, "
         u"tags tag_tab_t, home ref address_t) nested table tags store as customers_tags");
  }
  void TearDown() override {
    if (s_) oci_ora_logout(&s_);
    testing::OciliteDbTest::TearDown();
  }
  void exec(std::u16string_view sql) {
    ASSERT_EQ(oci_execute_sql(s_, sql, OciMsgBuf(msg_)), kOciOk) << message() << " in " << utf16_to_utf8(sql);
  }
  std::string message() const { return utf16_to_utf8(msg_); }

  OciSession* s_ = nullptr;
  char16_t msg_[2048] = {};
};

TEST_F(OciObjectTest, EveryKindOfMemberAsCellText) {
  exec(u"insert into addresses values ('東京都', '100-0001', date '2020-01-02', 1.25)");
  exec(u"insert into customers (id, who, addr, phones, tags) values (1, "
       u"person_t('山田 ''太郎''', address_t('大阪府', null, null, -7), phone_list_t('03-1', null, '090-2')), "
       u"address_t('京都府', '600-8001', to_date('2024-02-29 13:45:06', 'YYYY-MM-DD HH24:MI:SS'), 1234567), "
       u"phone_list_t(), tag_tab_t('a', 'b'))");
  exec(u"update customers set home = (select ref(a) from addresses a)");
  exec(u"insert into customers (id) values (2)");
  exec(u"insert into customers (id, who) values (3, person_t(null, null, null))");
  OciDataset ds;
  ASSERT_EQ(oci_cre_sel_cursor(s_, &ds, u"select id, who, addr, phones, tags, home from customers order by id", 10,
                               OciMsgBuf(msg_)),
            kOciOk)
      << message();
  ASSERT_EQ(ds.row_count, 3);
  // Texts as the grid shows them: quotes kept as stored, numbers in %lg,
  // dates in the process date format, NULL at any level.
  EXPECT_EQ(ds.text_view(0, 1), u"PERSON_T('山田 '太郎'',ADDRESS_T('大阪府',NULL,NULL,-7),PHONE_LIST_T('03-1',NULL,'090-2'))");
  EXPECT_EQ(ds.text_view(0, 2), u"ADDRESS_T('京都府','600-8001','2024-02-29 13:45:06',1.23457e+06)");
  EXPECT_EQ(ds.text_view(0, 3), u"PHONE_LIST_T()");
  EXPECT_EQ(ds.text_view(0, 4), u"TAG_TAB_T('a','b')");
  const std::u16string ref(ds.text_view(0, 5));
  EXPECT_GT(ref.size(), 20u);
  EXPECT_EQ(ref.find_first_not_of(u"0123456789ABCDEF"), std::u16string::npos) << utf16_to_utf8(ref);
  for (int32_t col = 1; col <= 4; ++col) EXPECT_EQ(ds.text_view(1, col), u"NULL") << col;
  EXPECT_EQ(ds.text_view(1, 5), u"");  // a NULL REF is an empty cell
  EXPECT_EQ(ds.text_view(2, 1), u"PERSON_T(NULL,NULL,NULL)");
}

TEST_F(OciObjectTest, AttributesOfEveryDeclaredKindAsCellText) {
  exec(u"create type kinds_t as object (v varchar(5), c char(3), d decimal(7,2), r real, dp double precision, "
       u"si smallint, i integer, f float, ts timestamp(3))");
  exec(u"create table kinds (k kinds_t)");
  exec(u"insert into kinds values (kinds_t('ab', 'x', 12345.67, 0.5, -2.25, 7, 8, 1e10, "
       u"timestamp '2024-02-29 13:45:06.123'))");
  OciDataset ds;
  ASSERT_EQ(oci_cre_sel_cursor(s_, &ds, u"select k from kinds", 10, OciMsgBuf(msg_)), kOciOk) << message();
  // CHAR keeps its blanks; numbers of every declared kind print with %lg; a
  // timestamp in the client's default format with six fraction digits.
  EXPECT_EQ(ds.text_view(0, 0),
            u"KINDS_T('ab','x  ',12345.7,0.5,-2.25,7,8,1e+10,'29-FEB-24 01.45.06.123000 PM')");
}

TEST_F(OciObjectTest, ObjectTablesNameTheirRowsInTheirRefs) {
  exec(u"insert into addresses values ('a', '1', null, 1)");
  exec(u"insert into addresses values ('b', '2', null, 2)");
  exec(u"insert into customers (id, home) select rank, ref(a) from addresses a");
  OciDataset ds;
  ASSERT_EQ(oci_cre_sel_cursor(s_, &ds, u"select home from customers order by id", 10, OciMsgBuf(msg_)), kOciOk)
      << message();
  ASSERT_EQ(ds.row_count, 2);
  EXPECT_NE(ds.text_view(0, 0), ds.text_view(1, 0));
  // The same row gives the same REF.
  OciDataset again;
  ASSERT_EQ(oci_cre_sel_cursor(s_, &again, u"select ref(a) from addresses a order by rank", 10, OciMsgBuf(msg_)),
            kOciOk)
      << message();
  EXPECT_EQ(again.text_view(0, 0), ds.text_view(0, 0));
}

TEST_F(OciObjectTest, ALongValueIsCutAtACharacterBoundary) {
  std::u16string phones;
  for (int i = 0; i < 3; ++i) phones += std::u16string(i ? u", '" : u"'") + std::u16string(6, u'電') + u"'";
  exec(u"insert into customers (id, phones) values (1, phone_list_t(" + phones + u"))");
  oci_process().clob_read_buf_size = 40;
  OciDataset ds;
  ASSERT_EQ(oci_cre_sel_cursor(s_, &ds, u"select phones from customers", 10, OciMsgBuf(msg_)), kOciOk) << message();
  const std::u16string text(ds.text_view(0, 0));
  EXPECT_EQ(text.substr(0, 14), u"PHONE_LIST_T('");
  EXPECT_LE(utf16_to_utf8(text).size(), 39u);
  EXPECT_GT(utf16_to_utf8(text).size(), 35u);
  EXPECT_EQ(text.back(), u'電');
}

TEST_F(OciObjectTest, MembersKestrelCannotShowNameTheirPlace) {
  exec(u"create type blob_holder_t as object (id number, bytes raw(8))");
  exec(u"create table holders (h blob_holder_t)");
  exec(u"insert into holders values (blob_holder_t(1, hextoraw('00ff')))");
  OciDataset ds;
  EXPECT_EQ(oci_cre_sel_cursor(s_, &ds, u"select h from holders", 10, OciMsgBuf(msg_)), kOciObjectElement);
  EXPECT_EQ(message(), "サポートしていないデータ型です(項目名:[OBJECT], データ型:95)\n");
}

TEST_F(OciObjectTest, BadConstructorsAreRefusedWithOraclesErrors) {
  struct Case {
    const char16_t* sql;
    const char* error;
  };
  const Case cases[] = {
      {u"insert into customers (id, addr) values (1, address_t('a'))", "ORA-02315"},
      {u"insert into customers (id, phones) values (1, phone_list_t('1', '2', '3', '4'))", "ORA-22909"},
      {u"insert into customers (id, addr) values (1, 'a text')", "ORA-00932"},
      {u"insert into customers (id, addr) values (1, phone_list_t('1'))", "ORA-00932"},
      {u"insert into customers (id, addr) values (1, address_t('a', '123456789', null, 1))", "ORA-12899"},
      {u"insert into customers (id, addr) values (1, address_t('a', 'b', null, 'x'))", "ORA-01722"},
      {u"update customers set addr = address_t('a', 'b', null, 1) /* where id = 1", "ORA-01742"},
      {u"update customers set addr = address_t('a', 'b', null, 1); delete from customers", "ORA-00911"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(utf16_to_utf8(c.sql));
    EXPECT_NE(oci_execute_sql(s_, c.sql, OciMsgBuf(msg_)), kOciOk);
    EXPECT_NE(message().find(c.error), std::string::npos) << message();
  }
}

}  // namespace
}  // namespace kestrel
