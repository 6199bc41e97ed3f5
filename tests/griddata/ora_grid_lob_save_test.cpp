// Saving LOB cells, index-organised tables and tables changed under the
// grid, against a fresh stand-in database; results are read back by
// reloading the grid.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include "griddata/ora_grid_data.h"
#include "griddata/ora_grid_lob_write.h"
#include "griddata/ora_grid_save.h"
#include "oci/oci_codes.h"
#include "oci/oci_cursor.h"
#include "oci/oci_lob.h"
#include "oci/oci_session.h"
#include "ora_grid_db_test.h"
#include "platform/utf16.h"
#include "support/scripted_ui.h"

namespace kestrel {
namespace {

class OraGridLobSaveTest : public testing::OraGridDbTest {
 protected:
  std::u16string file(const std::string& name, std::size_t bytes) {
    const auto path = tmp_.path() / name;
    std::ofstream out(path, std::ios::binary);
    for (std::size_t i = 0; i < bytes; ++i) out.put(static_cast<char>(i * 7));
    return utf8_to_utf16(path.string());
  }
};

std::u16string LongText() {
  std::u16string t;
  for (int i = 0; i < 1500; ++i) t += u"日本語のテキスト\U0001F600 '引用' ";  // well over 4 KiB
  return t;
}

TEST_F(OraGridLobSaveTest, ClobAndBlobCellsAreWrittenThroughTheirLocators) {
  testing::ScriptedUi ui;
  exec(u"create table l (id number(5) primary key, c clob, b blob)");
  exec(u"insert into l values (1, 'short', empty_blob())");
  exec(u"insert into l values (2, null, null)");
  exec(u"commit");
  load(u"select l.*, rowid from l order by id", u"L");
  const std::u16string text = LongText();
  const std::u16string blob = file("up.bin", 10000);
  ASSERT_EQ(grid_.UpdateData(0, 1, text), 0);
  ASSERT_EQ(grid_.UpdateData(1, 1, u"was NULL 😀"), 0);  // a NULL CLOB is made empty first
  ASSERT_EQ(grid_.UpdateData(0, 2, blob), 0);
  ASSERT_EQ(grid_.UpdateData(1, 2, blob), 0);
  ASSERT_EQ(save(), kOciOk) << message();

  load(u"select l.*, rowid from l order by id", u"L");
  EXPECT_EQ(grid_.GetEditData(0, 1), text);
  EXPECT_EQ(grid_.GetEditData(1, 1), u"was NULL 😀");
  EXPECT_EQ(grid_.GetData(0, 2), oci_blob_cell_text(10000));
  EXPECT_EQ(grid_.GetData(1, 2), oci_blob_cell_text(10000));
  EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(OraGridLobSaveTest, InsertedRowsGetEmptyLobsAndThenTheirContents) {
  exec(u"create table l (id number(5) primary key, c clob, b blob)");
  load(u"select l.*, rowid from l order by id", u"L");
  ASSERT_EQ(grid_.InsertRows(-1, 1), 0);
  ASSERT_EQ(grid_.UpdateData(0, 0, u"7"), 0);
  ASSERT_EQ(grid_.UpdateData(0, 1, LongText()), 0);
  ASSERT_EQ(grid_.UpdateData(0, 2, file("b.bin", 300)), 0);
  ASSERT_EQ(grid_.InsertRows(0, 1), 0);
  ASSERT_EQ(grid_.UpdateData(1, 0, u"8"), 0);  // LOB cells left empty
  ASSERT_EQ(save(), kOciOk) << message();
  EXPECT_EQ(std::u16string(msg_), u"編集結果を保存しました。\n    delete: 0\n    insert 2\n    update 0");

  load(u"select l.*, rowid from l order by id", u"L");
  ASSERT_EQ(grid_.GetRowCnt(), 2);
  EXPECT_EQ(grid_.GetEditData(0, 1), LongText());
  EXPECT_EQ(grid_.GetData(0, 2), oci_blob_cell_text(300));
  EXPECT_EQ(grid_.GetData(1, 1), u"");
}

TEST_F(OraGridLobSaveTest, BadUploadPathsFailAtTheirCellAndRollBack) {
  exec(u"create table l (id number(5) primary key, name varchar2(10), b blob)");
  exec(u"insert into l values (1, 'a', empty_blob())");
  exec(u"commit");
  std::filesystem::create_directory(tmp_.path() / "folder");
  const std::u16string paths[] = {utf8_to_utf16((tmp_.path() / "missing.bin").string()),
                                  utf8_to_utf16((tmp_.path() / "folder").string())};
  for (const auto& path : paths) {
    load(u"select l.*, rowid from l order by id", u"L");
    ASSERT_EQ(grid_.UpdateData(0, 1, u"changed"), 0);
    ASSERT_EQ(grid_.UpdateData(0, 2, path), 0);
    EXPECT_EQ(save(), kOciFileOpen) << message();
    EXPECT_EQ(std::u16string(msg_).rfind(u"insert/update lob error\n", 0), 0u) << message();
    EXPECT_EQ(err_, (CellPoint{2, 0}));
    EXPECT_TRUE(grid_.IsUpdateCell(0, 1));
    char16_t name[32] = {};
    ASSERT_EQ(oci_select_value(session_, u"select name from l", name, sizeof name, OciMsgBuf(msg_)), kOciOk);
    EXPECT_EQ(std::u16string(name), u"a");  // rolled back to the savepoint
  }
}

TEST_F(OraGridLobSaveTest, IndexOrganisedKeyChangesGoInOneUpdatePerRowAfterItsOtherColumns) {
  exec(u"create table k (a number(5), b number(5), v varchar2(10), primary key (a, b)) organization index");
  exec(u"insert into k values (1, 1, 'x')");
  exec(u"insert into k values (2, 2, 'y')");
  exec(u"commit");
  const char16_t* sql = u"select k.a, k.b, k.v, 'X' as \"ROWID\" , k.a, k.b \nfrom \"SCOTT\".\"K\" k \norder by a";
  load(sql, u"K");
  ASSERT_EQ(grid_.GetHiddenColCnt(), 3);
  // Row 0: both key columns and its other column change at once.
  ASSERT_EQ(grid_.UpdateData(0, 2, u"xx"), 0);
  ASSERT_EQ(grid_.UpdateData(0, 0, u"10"), 0);
  ASSERT_EQ(grid_.UpdateData(0, 1, u"20"), 0);
  // Row 1: only one key column.
  ASSERT_EQ(grid_.UpdateData(1, 1, u"30"), 0);
  ASSERT_EQ(save(), kOciOk) << message();
  EXPECT_EQ(std::u16string(msg_), u"編集結果を保存しました。\n    delete: 0\n    insert 0\n    update 2");

  load(sql, u"K");
  ASSERT_EQ(grid_.GetRowCnt(), 2);
  EXPECT_EQ(grid_.GetData(0, 0), u"2");
  EXPECT_EQ(grid_.GetData(0, 1), u"30");
  EXPECT_EQ(grid_.GetData(1, 0), u"10");
  EXPECT_EQ(grid_.GetData(1, 1), u"20");
  EXPECT_EQ(grid_.GetData(1, 2), u"xx");
}

TEST_F(OraGridLobSaveTest, IndexOrganisedLobCellsAreFoundByTheirKey) {
  exec(u"create table k (a number(5) primary key, c clob) organization index");
  exec(u"insert into k values (1, 'one')");
  exec(u"commit");
  const char16_t* sql = u"select k.a, k.c, 'X' as \"ROWID\" , k.a \nfrom \"SCOTT\".\"K\" k \norder by a";
  load(sql, u"K");
  ASSERT_EQ(grid_.UpdateData(0, 1, u"新しい 😀"), 0);
  ASSERT_EQ(grid_.UpdateData(0, 0, u"5"), 0);  // the key changes after the LOB is written
  ASSERT_EQ(save(), kOciOk) << message();
  load(sql, u"K");
  EXPECT_EQ(grid_.GetData(0, 0), u"5");
  EXPECT_EQ(grid_.GetEditData(0, 1), u"新しい 😀");
}

TEST_F(OraGridLobSaveTest, ATableOrColumnDroppedAfterLoadingStopsTheSave) {
  exec(u"create table t (id number(5) primary key, name varchar2(10), n number(5))");
  exec(u"insert into t values (1, 'a', 1)");
  exec(u"commit");
  load(u"select t.*, rowid from t order by id", u"T");
  ASSERT_EQ(grid_.UpdateData(0, 2, u"5"), 0);
  exec(u"alter table t drop column n");
  EXPECT_EQ(save(), kOciNoSuchColumn);
  EXPECT_EQ(std::u16string(msg_), u"項目が存在しません(項目名:N)\n");
  EXPECT_EQ(err_, (CellPoint{2, 0}));

  exec(u"drop table t");
  EXPECT_EQ(save(), kOciOracleError);
  EXPECT_NE(std::u16string(msg_).find(u"ORA-00942"), std::u16string::npos) << message();
  EXPECT_TRUE(grid_.IsUpdateCell(0, 2));
}

TEST_F(OraGridLobSaveTest, LongColumnsOnAnOldServerInsertRowByRowWithLongTextsAsLiterals) {
  exec(u"create table w (id number(5) primary key, a varchar2(2000), b varchar2(2000))");
  load(u"select w.*, rowid from w order by id", u"W");
  session_->server_version = 9.2;  // the rule applies below 10.0
  std::u16string long_text(1200, u'x');
  long_text += u"it's";
  ASSERT_EQ(grid_.InsertRows(-1, 1), 0);
  ASSERT_EQ(grid_.UpdateData(0, 0, u"1"), 0);
  ASSERT_EQ(grid_.UpdateData(0, 1, long_text), 0);  // a quoted literal
  ASSERT_EQ(grid_.UpdateData(0, 2, u"short"), 0);   // a bind
  ASSERT_EQ(save(), kOciOk) << message();
  session_->server_version = -1.0;
  load(u"select w.*, rowid from w order by id", u"W");
  ASSERT_EQ(grid_.GetRowCnt(), 1);
  EXPECT_EQ(grid_.GetData(0, 1), long_text);
  EXPECT_EQ(grid_.GetData(0, 2), u"short");
}

TEST(OraGridObjectExpression, StatementBreakingTextsAreRefused) {
  struct Case {
    std::u16string_view text;
    int rc;
    std::u16string_view msg;
  };
  const Case cases[] = {
      {u"point_t(1, 2)", kOciOk, u""},
      {u"point_t(1, 'a;b')", kOciOk, u""},
      {u"point_t(1 /* x */, 2)", kOciOk, u""},
      {u"point_t(1, 2); delete from t", kOciOracleError, u"ORA-00911: invalid character"},
      {u"point_t(1, 2) /*", kOciOracleError, u"ORA-01742: comment not properly terminated"},
      {u"point_t('a)", kOciOracleError, u"ORA-01756: quoted string not properly terminated"},
  };
  for (const Case& c : cases) {
    char16_t msg[256] = {};
    EXPECT_EQ(oci_check_object_expression(c.text, OciMsgBuf(msg)), c.rc) << utf16_to_utf8(c.text);
    EXPECT_EQ(std::u16string_view(msg), c.msg);
  }
}

}  // namespace
}  // namespace kestrel
