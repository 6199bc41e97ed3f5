// Loading the Oracle grid from real selects on a fresh stand-in database:
// which columns are shown, hidden and used as keys, the column slots, NULLs,
// the CLOB cells and the updatable-columns narrowing.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "griddata/grid_data_swap_row_col.h"
#include "griddata/ora_grid_data.h"
#include "oci/oci_codes.h"
#include "oci/oci_cursor.h"
#include "oci/oci_lob.h"
#include "oci/oci_session.h"
#include "ora_grid_db_test.h"
#include "platform/utf16.h"
#include "support/scripted_ui.h"

namespace kestrel {
namespace {

class OraGridLoadTest : public testing::OraGridDbTest {
 protected:
  void SetUp() override {
    testing::OraGridDbTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    exec(u"create table t (id number(5) not null, name varchar2(10), code char(3), price number(7,2))");
    exec(u"insert into t values (1, 'one', 'abc', 1.5)");
    exec(u"insert into t values (2, null, null, null)");
  }
  // Runs the select and loads the grid from it.
  int load(std::u16string_view sql, std::u16string_view table = u"T", bool updatable_columns = false) {
    grid_.SetData(nullptr, nullptr, u"", u"", 0, false);
    ds_.clear();
    int rc = oci_cre_sel_cursor(session_, &ds_, sql, 100, OciMsgBuf(msg_));
    if (rc != kOciOk) return rc;
    return grid_.SetData(session_, &ds_, u"SCOTT", table, 0, updatable_columns);
  }
};

TEST(OraGridEmpty, ConstructedAndClearedGridsHaveNoColumns) {
  CEditableOraGridData g;
  EXPECT_EQ(g.GetColCnt(), 0);
  EXPECT_EQ(g.GetRowCnt(), 0);
  EXPECT_EQ(g.GetHiddenColCnt(), 1);
  EXPECT_TRUE(g.CanInsertRow());
  EXPECT_EQ(g.SetData(nullptr, nullptr, u"", u"", 0, false), 0);
  EXPECT_EQ(g.GetColCnt(), 0);  // never negative
  EXPECT_FALSE(g.CanInsertRow());
  EXPECT_EQ(g.GetData(0, 0), u"");
  EXPECT_EQ(g.GetColName(0), u"");
}

TEST_F(OraGridLoadTest, HiddenColumnsAndKeys) {
  struct Case {
    const char16_t* sql;
    int32_t shown;
    int32_t hidden;
    std::vector<std::u16string> keys;
    bool has_rowid;
  } cases[] = {
      {u"select t.*, rowid from t order by id", 4, 1, {u"ROWID"}, true},
      // An index-organised table: a constant "ROWID" and then its key.
      {u"select name, price, 'X' \"ROWID\", id, code from t order by id", 2, 3, {u"ID", u"CODE"}, true},
      // No "ROWID" column: the last column is hidden, the save refuses it.
      {u"select id, name from t order by id", 1, 1, {u"ROWID"}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(utf16_to_utf8(c.sql));
    ASSERT_EQ(load(c.sql), 0) << message();
    EXPECT_EQ(grid_.GetColCnt(), c.shown);
    EXPECT_EQ(grid_.GetHiddenColCnt(), c.hidden);
    EXPECT_EQ(grid_.GetKeyColNames(), c.keys);
    EXPECT_EQ(grid_.HasRowidCol(), c.has_rowid);
    EXPECT_EQ(grid_.GetRowCnt(), 2);
    EXPECT_EQ(grid_.GetOwnerName(), u"SCOTT");
    EXPECT_EQ(grid_.GetTableName(), u"T");
    // The hidden values stay readable for the save.
    if (c.has_rowid) {
      EXPECT_FALSE(grid_.GetFetchedData(0, grid_.GetRowidCol()).empty());
    }
  }
}

TEST_F(OraGridLoadTest, ColumnSlotsAndValues) {
  ASSERT_EQ(load(u"select t.*, rowid from t order by id"), 0) << message();
  EXPECT_EQ(grid_.GetColName(0), u"ID");
  EXPECT_EQ(grid_.GetDispColName(1), u"NAME");
  EXPECT_EQ(grid_.GetColDataType(0, 0), 0);  // NUMBER
  EXPECT_EQ(grid_.GetColDataType(0, 1), 1);  // VARCHAR2
  EXPECT_EQ(grid_.GetColDataType(0, 2), 2);  // CHAR
  EXPECT_FALSE(grid_.IsColNullable(0));
  EXPECT_TRUE(grid_.IsColNullable(1));
  EXPECT_EQ(grid_.GetColScale(3), 2);
  EXPECT_EQ(grid_.GetColTypeName(3), u"NUMBER(7,2)");
  EXPECT_EQ(grid_.GetColTypeName(1), u"VARCHAR2(10)");
  EXPECT_EQ(grid_.GetMaxDataLen(0, 1), grid_.GetColLen(1) - 1);
  for (int32_t c = 0; c < 4; ++c) EXPECT_EQ(grid_.GetColFlags(c), kColUpdatable | kColDeletable | kColInsertable);
  EXPECT_EQ(grid_.GetData(0, 0), u"1");
  EXPECT_EQ(grid_.GetData(0, 1), u"one");
  EXPECT_EQ(grid_.GetDispData(0, 2), u"abc");
  EXPECT_EQ(grid_.GetData(0, 3), u"1.5");
  for (int32_t c = 1; c < 4; ++c) {
    EXPECT_TRUE(grid_.IsNull(1, c)) << c;
    EXPECT_EQ(grid_.GetEditData(1, c), u"") << c;
  }
  EXPECT_EQ(grid_.GetLastErrorMsg(), u"");
  EXPECT_EQ(grid_.GetRowHeaderLen(), 7);
  EXPECT_EQ(grid_.GetRowHeader(0), u"      1");
  // Edits go to the edit layer; the fetched text stays what was loaded.
  ASSERT_EQ(grid_.UpdateData(0, 1, u"uno"), 0);
  EXPECT_EQ(grid_.GetData(0, 1), u"uno");
  EXPECT_EQ(grid_.GetFetchedData(0, 1), u"one");
  EXPECT_EQ(grid_.GetRowHeader(0), u"*     1");
  // Inserted rows have no fetched text.
  ASSERT_GE(grid_.InsertRows(2, 1), 0);
  EXPECT_EQ(grid_.GetFetchedData(2, 0), u"");
  // A new load starts a fresh history.
  ASSERT_EQ(load(u"select t.*, rowid from t order by id"), 0) << message();
  EXPECT_FALSE(grid_.CanUndo());
  EXPECT_EQ(grid_.GetData(0, 1), u"one");
}

TEST_F(OraGridLoadTest, LobColumnsAndWholeClobForEditing) {
  exec(u"create table l (id number(5), c clob, b blob)");
  std::u16string long_text;
  for (int i = 0; i < 1500; ++i) long_text += u"日本𠮷";  // 4500 characters, non-BMP included
  OciCursor cur;
  ASSERT_EQ(oci_execute_sql_with_binds(session_, u"insert into l values (1, :X0, null)", OciMsgBuf(msg_), nullptr,
                                       u"S", {OciBindArg(long_text)}),
            kOciOk)
      << message();
  exec(u"insert into l values (2, null, null)");
  int rc = load(u"select l.*, rowid from l order by id", u"L");
  if (rc != kOciOk && message().find("ORA-03001") != std::string::npos) GTEST_SKIP() << "no LOB locators yet";
  ASSERT_EQ(rc, 0) << message();
  EXPECT_EQ(grid_.GetColFlags(1), kColUpdatable | kColDeletable | kColInsertable);
  EXPECT_EQ(grid_.GetColFlags(2), 0);  // BLOB: only through the LOB commands
  EXPECT_EQ(grid_.GetMaxDataLen(0, 1), kClobMaxDataLen);
  EXPECT_EQ(grid_.GetMaxDataLen(0, 2), kBlobPathMaxDataLen);
  EXPECT_LT(grid_.GetData(0, 1).size(), long_text.size());  // the cell shows a prefix
  EXPECT_EQ(std::u16string(grid_.GetEditData(0, 1)), long_text);
  EXPECT_TRUE(grid_.IsEditDataComplete(0, 1));
  EXPECT_EQ(grid_.GetEditData(1, 1), u"");
  // An edited CLOB cell edits on from the edited text, not the database.
  ASSERT_EQ(grid_.UpdateData(0, 1, u"short"), 0);
  EXPECT_EQ(grid_.GetEditData(0, 1), u"short");
}

TEST_F(OraGridLoadTest, FailedClobReadIsNotHandedOutAsTheWholeText) {
  exec(u"create table l (id number(5), c clob)");
  exec(u"insert into l values (1, 'clob text')");
  int rc = load(u"select l.*, rowid from l", u"L");
  if (rc != kOciOk && message().find("ORA-03001") != std::string::npos) GTEST_SKIP() << "no LOB locators yet";
  ASSERT_EQ(rc, 0) << message();
  grid_.SetClobReader([](OciSession*, OciTextSink* sink, const OciLobHeader*, OciMsgBuf msg) {
    sink->append_text(u"partial");
    msg.set(u"ORA-22922: nonexistent LOB value");
    return kOciOracleError;
  });
  testing::ScriptedUi ui;
  EXPECT_FALSE(grid_.IsEditDataComplete(0, 1));
  EXPECT_EQ(grid_.GetEditData(0, 1), u"clob text");  // the shown text, never the partial read
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].text, u"ORA-22922: nonexistent LOB value");
  EXPECT_EQ(grid_.GetEditData(0, 0), u"1");
  // Asked again, the cell is still refused and the reason stays readable.
  EXPECT_FALSE(grid_.IsEditDataComplete(0, 1));
  EXPECT_EQ(grid_.GetLastErrorMsg(), u"ORA-22922: nonexistent LOB value");
  // The transposed view asks in its own coordinates, and a control that
  // sees only the base class asks the same question.
  CGridData_SwapRowCol swapped(&grid_);
  const CGridData& seen = swapped;
  EXPECT_FALSE(seen.IsEditDataComplete(1, 0));
  EXPECT_TRUE(seen.IsEditDataComplete(0, 0));
}

TEST_F(OraGridLoadTest, UpdatableColumnsNarrowTheFlags) {
  exec(u"create view v as select id, name from t");
  ASSERT_EQ(load(u"select v.*, rowid from v order by id", u"V", true), 0) << message();
  EXPECT_FALSE(grid_.CanInsertRow());
  EXPECT_FALSE(grid_.CanDeleteRow(0));
  EXPECT_EQ(grid_.GetColFlags(0), 0);
  EXPECT_EQ(grid_.GetColFlags(1), 0);
  // A table keeps everything editable.
  ASSERT_EQ(load(u"select t.*, rowid from t order by id", u"T", true), 0) << message();
  EXPECT_TRUE(grid_.CanInsertRow());
  EXPECT_TRUE(grid_.CanDeleteRow(0));
  EXPECT_EQ(grid_.GetColFlags(1), kColUpdatable | kColDeletable | kColInsertable);
  // Without the setting the view's columns stay editable.
  ASSERT_EQ(load(u"select v.*, rowid from v order by id", u"V", false), 0) << message();
  EXPECT_TRUE(grid_.CanInsertRow());
  EXPECT_EQ(grid_.GetColFlags(0), kColUpdatable | kColDeletable | kColInsertable);
}

}  // namespace
}  // namespace kestrel
