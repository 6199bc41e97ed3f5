// Saving grid edits to a fresh stand-in database; a second session reads the
// table back to see what was committed.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "griddata/ora_grid_data.h"
#include "griddata/ora_grid_preview.h"
#include "griddata/ora_grid_save.h"
#include "oci/oci_codes.h"
#include "oci/oci_cursor.h"
#include "oci/oci_session.h"
#include "platform/format.h"
#include "platform/progress_messages.h"
#include "platform/utf16.h"
#include "ora_grid_db_test.h"
#include "support/recording_msg_target.h"

namespace kestrel {
namespace {

class OraGridSaveTest : public testing::OraGridDbTest {
 protected:
  void SetUp() override {
    testing::OraGridDbTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    exec(u"create table t (id number(5) primary key, name varchar2(10), n number(5))");
    insert_numbered_rows(130);
    load();
  }
  void load() { testing::OraGridDbTest::load(u"select t.*, rowid from t order by id", u"T"); }
  // The table as another session sees it: "id:name:n" per row.
  std::vector<std::string> committed() {
    OciSession* other = login();
    OciDataset ds;
    EXPECT_EQ(oci_cre_sel_cursor(other, &ds, u"select id, name, n from t order by id", 100, OciMsgBuf(msg_)), kOciOk);
    std::vector<std::string> rows;
    for (int32_t r = 0; r < ds.row_count; ++r)
      rows.push_back(utf16_to_utf8(std::u16string(ds.text_view(r, 0)) + u":" + std::u16string(ds.text_view(r, 1)) +
                                   u":" + std::u16string(ds.text_view(r, 2))));
    ds.clear();
    oci_ora_logout(&other);
    return rows;
  }
};

TEST_F(OraGridSaveTest, NoEditsCommitsAndReportsZeros) {
  CellPoint err;
  ASSERT_EQ(oci_save_grid_data(&grid_, session_, &err, OciMsgBuf(msg_)), kOciOk) << message();
  EXPECT_EQ(std::u16string(msg_), u"編集結果を保存しました。\n    delete: 0\n    insert 0\n    update 0");
  EXPECT_EQ(err, CellPoint{});
}

TEST_F(OraGridSaveTest, DeletesUpdatesAndInsertsAreCommitted) {
  // 120 deletes run as arrays of 50, 50 and 20.
  ASSERT_GE(grid_.DeleteRows(10, 129), 0);
  ASSERT_EQ(grid_.UpdateData(0, 1, u"it's"), 0);
  ASSERT_EQ(grid_.UpdateData(0, 2, u"7"), 0);
  ASSERT_EQ(grid_.UpdateData(1, 1, u""), 0);  // empty is written as NULL
  ASSERT_GE(grid_.InsertRows(1, 1), 0);  // the new row is row 2
  ASSERT_EQ(grid_.UpdateData(2, 0, u"500"), 0);
  ASSERT_EQ(grid_.UpdateData(2, 1, u"𠮷野"), 0);
  CellPoint err;
  OraSaveCounts counts;
  ASSERT_EQ(oci_save_grid_data(&grid_, session_, &err, OciMsgBuf(msg_), nullptr, nullptr, &counts), kOciOk) << message();
  EXPECT_EQ(std::u16string(msg_), u"編集結果を保存しました。\n    delete: 120\n    insert 1\n    update 2");
  std::vector<std::string> rows = committed();
  ASSERT_EQ(rows.size(), 11u);
  EXPECT_EQ(rows[0], "1:it's:7");
  EXPECT_EQ(rows[1], "2::");
  EXPECT_EQ(rows[2], "3:n3:");
  EXPECT_EQ(rows[9], "10:n10:");
  EXPECT_EQ(rows[10], "500:𠮷野:");
}

TEST_F(OraGridSaveTest, TheOldInterfaceSavesTheSameEdits) {
  char16_t m[512] = {};
  if (oci_set_lda_mode(session_, true, OciMsgBuf(m)) != kOciOk)
    GTEST_SKIP() << "the client has no old interface: " << utf16_to_utf8(m);
  ASSERT_GE(grid_.DeleteRows(10, 129), 0);
  ASSERT_EQ(grid_.UpdateData(0, 1, u"it's"), 0);
  ASSERT_EQ(grid_.UpdateData(0, 2, u"7"), 0);
  ASSERT_GE(grid_.InsertRows(1, 1), 0);
  ASSERT_EQ(grid_.UpdateData(2, 0, u"500"), 0);
  ASSERT_EQ(grid_.UpdateData(2, 1, u"𠮷野"), 0);
  CellPoint err;
  ASSERT_EQ(oci_save_grid_data(&grid_, session_, &err, OciMsgBuf(msg_)), kOciOk) << message();
  EXPECT_EQ(std::u16string(msg_), u"編集結果を保存しました。\n    delete: 120\n    insert 1\n    update 1");
  std::vector<std::string> rows = committed();
  ASSERT_EQ(rows.size(), 11u);
  EXPECT_EQ(rows[0], "1:it's:7");
  EXPECT_EQ(rows[10], "500:𠮷野:");
  oci_set_lda_mode(session_, false, OciMsgBuf(m));
}

TEST_F(OraGridSaveTest, UniqueViolationRollsBackAndNamesTheRow) {
  ASSERT_EQ(grid_.UpdateData(0, 1, u"changed"), 0);
  ASSERT_GE(grid_.InsertRows(129, 3), 0);
  ASSERT_EQ(grid_.UpdateData(130, 0, u"900"), 0);
  ASSERT_EQ(grid_.UpdateData(131, 0, u"901"), 0);
  ASSERT_EQ(grid_.UpdateData(132, 0, u"5"), 0);  // the 3rd array row collides with id 5
  CellPoint err;
  const int rc = oci_save_grid_data(&grid_, session_, &err, OciMsgBuf(msg_));
  EXPECT_EQ(rc, kOciOracleError) << message();
  EXPECT_EQ(err.row, 132);
  EXPECT_EQ(err.col, -1);
  EXPECT_EQ(message().rfind("insert error\n", 0), 0u) << message();
  EXPECT_NE(message().find("ORA-00001"), std::string::npos) << message();
  // Nothing reached the table, the edits are still in the grid.
  std::vector<std::string> rows = committed();
  ASSERT_EQ(rows.size(), 130u);
  EXPECT_EQ(rows[0], "1:n1:");
  EXPECT_EQ(grid_.GetData(0, 1), u"changed");
  EXPECT_TRUE(grid_.IsInsertRow(132));
  // Fixed, the same save goes through on the same session.
  ASSERT_EQ(grid_.UpdateData(132, 0, u"902"), 0);
  ASSERT_EQ(oci_save_grid_data(&grid_, session_, &err, OciMsgBuf(msg_)), kOciOk) << message();
  EXPECT_EQ(committed().size(), 133u);
}

TEST_F(OraGridSaveTest, ProgressMessagesAndCancel) {
  ASSERT_GE(grid_.DeleteRows(0, 4), 0);
  ASSERT_EQ(grid_.UpdateData(120, 1, u"x"), 0);
  testing::RecordingMsgTarget target;
  CellPoint err;
  ASSERT_EQ(oci_save_grid_data(&grid_, session_, &err, OciMsgBuf(msg_), &target), kOciOk) << message();
  // Texts, range (130 rows: 2 steps per phase), then per phase a step and a
  // cancel check at rows 0 and 100, and a last check before the commit.
  using namespace progress;
  const std::vector<uint32_t> expected = {kSetText, kSetRange, kSetText, kStep, kCancelState, kStep, kCancelState,
                                          kSetText, kStep, kCancelState, kStep, kCancelState, kSetText, kStep,
                                          kCancelState, kStep, kCancelState, kCancelState};
  EXPECT_EQ(target.ids(), expected);
  EXPECT_EQ(target.messages()[1].lparam, 6);
  EXPECT_EQ(std::u16string(reinterpret_cast<const char16_t*>(target.messages()[0].lparam)), u"データ保存開始");
  ASSERT_EQ(committed().size(), 125u);

  // Answering 1 at the check cancels: 9, the table as before.
  load();
  ASSERT_GE(grid_.DeleteRows(0, 4), 0);
  target.set_answer(1);
  EXPECT_EQ(oci_save_grid_data(&grid_, session_, &err, OciMsgBuf(msg_), &target), kOciCancelled);
  EXPECT_EQ(std::u16string(msg_), u"キャンセルしました\n");
  EXPECT_EQ(committed().size(), 125u);
}

TEST_F(OraGridSaveTest, UpdateOfARowDeletedElsewhereFailsAtThatRow) {
  ASSERT_EQ(grid_.UpdateData(0, 1, u"a"), 0);
  ASSERT_EQ(grid_.UpdateData(3, 1, u"b"), 0);
  ASSERT_EQ(grid_.UpdateData(5, 1, u"c"), 0);
  OciSession* other = login();
  ASSERT_EQ(oci_execute_sql(other, u"delete from t where id = 4", OciMsgBuf(msg_)), kOciOk) << message();
  ASSERT_EQ(oci_ora_commit(other, OciMsgBuf(msg_)), kOciOk);
  oci_ora_logout(&other);
  CellPoint err;
  EXPECT_EQ(oci_save_grid_data(&grid_, session_, &err, OciMsgBuf(msg_)), kOciOracleError) << message();
  EXPECT_EQ(err, (CellPoint{1, 3}));
  EXPECT_EQ(message().rfind("update error\n", 0), 0u) << message();
  std::vector<std::string> rows = committed();
  EXPECT_EQ(rows[0], "1:n1:");  // rolled back to the savepoint
  EXPECT_EQ(grid_.GetData(3, 1), u"b");
}

TEST_F(OraGridSaveTest, KeyedTableWritesChangedKeysLast) {
  // An index-organised table's select: a constant "ROWID", then the key.
  grid_.SetData(nullptr, nullptr, u"", u"", 0, false);
  ds_.clear();
  ASSERT_EQ(oci_cre_sel_cursor(session_, &ds_, u"select t.*, 'X' \"ROWID\", name from t order by id", 100,
                               OciMsgBuf(msg_)),
            kOciOk)
      << message();
  ASSERT_EQ(grid_.SetData(session_, &ds_, u"SCOTT", u"T", 0, false), 0);
  ASSERT_EQ(grid_.GetKeyColNames(), std::vector<std::u16string>{u"NAME"});
  ASSERT_EQ(grid_.UpdateData(0, 1, u"moved"), 0);  // the key itself changes
  ASSERT_EQ(grid_.UpdateData(0, 2, u"8"), 0);
  ASSERT_EQ(grid_.UpdateData(1, 2, u"9"), 0);
  ASSERT_GE(grid_.DeleteRows(2, 2), 0);
  CellPoint err;
  ASSERT_EQ(oci_save_grid_data(&grid_, session_, &err, OciMsgBuf(msg_)), kOciOk) << message();
  EXPECT_EQ(std::u16string(msg_), u"編集結果を保存しました。\n    delete: 1\n    insert 0\n    update 2");
  std::vector<std::string> rows = committed();
  ASSERT_EQ(rows.size(), 129u);
  EXPECT_EQ(rows[0], "1:moved:8");
  EXPECT_EQ(rows[1], "2:n2:9");
  EXPECT_EQ(rows[2], "4:n4:");
}

TEST_F(OraGridSaveTest, NullInNotNullColumnStopsTheSave) {
  exec(u"create table nn (id number(5) not null, v varchar2(5))");
  exec(u"insert into nn values (1, 'x')");
  grid_.SetData(nullptr, nullptr, u"", u"", 0, false);
  ds_.clear();
  ASSERT_EQ(oci_cre_sel_cursor(session_, &ds_, u"select nn.*, rowid from nn", 100, OciMsgBuf(msg_)), kOciOk);
  ASSERT_EQ(grid_.SetData(session_, &ds_, u"SCOTT", u"NN", 0, false), 0);
  ASSERT_EQ(grid_.UpdateData(0, 0, u""), 0);
  CellPoint err;
  EXPECT_EQ(oci_save_grid_data(&grid_, session_, &err, OciMsgBuf(msg_)), kOciNullInNotNull);
  EXPECT_EQ(std::u16string(msg_), u"update error\n必須項目にNULLが設定されました(ID)\n");
  EXPECT_EQ(err, (CellPoint{0, 0}));
}

TEST_F(OraGridSaveTest, ValuesMustFitTheirBuffer) {
  // The editor counts characters; the buffer holds bytes of the session's
  // code page (three per kanji in UTF-8) and its terminator. A text that
  // fits the buffer reaches the server, which refuses it for the column.
  const auto width = static_cast<std::size_t>(grid_.GetColLen(1));
  const std::u16string too_wide(width / 3 + 1, u'日');
  struct Case {
    std::u16string text;
    bool insert;
    int code;
    const char16_t* message;
  } cases[] = {
      {too_wide, false, kOciBadLength, u"update error\nデータ長が不正です(NAME)\n"},
      {too_wide, true, kOciBadLength, u"insert error \nデータ長が不正です(NAME)\n"},
      {std::u16string(width - 1, u'a'), false, kOciOracleError, nullptr},
  };
  for (const Case& c : cases) {
    load();
    int32_t row = 0;
    if (c.insert) {
      ASSERT_GE(grid_.InsertRows(129, 1), 0);
      ASSERT_EQ(grid_.UpdateData(130, 0, u"777"), 0);
      row = 130;
    }
    ASSERT_EQ(grid_.UpdateData(row, 1, c.text), 0);
    CellPoint err;
    EXPECT_EQ(oci_save_grid_data(&grid_, session_, &err, OciMsgBuf(msg_)), c.code) << message();
    EXPECT_EQ(err, (CellPoint{1, row}));  // an update's server error names the column being updated
    if (c.message) {
      EXPECT_EQ(std::u16string(msg_), c.message);
    } else {
      EXPECT_NE(message().find("ORA-12899"), std::string::npos) << message();
    }
    EXPECT_EQ(committed()[0], "1:n1:");
  }
}


TEST(OraQuotedLiteral, DoublesQuotesAndKeepsPairs) {
  EXPECT_EQ(ora_quoted_literal(u""), u"NULL");
  EXPECT_EQ(ora_quoted_literal(u"it's"), u"'it''s'");
  EXPECT_EQ(ora_quoted_literal(u"𠮷''"), u"'𠮷'''''");
}

TEST_F(OraGridSaveTest, PreviewScriptAndRefusals) {
  ASSERT_GE(grid_.DeleteRows(2, 2), 0);
  ASSERT_EQ(grid_.UpdateData(0, 1, u"it's"), 0);
  ASSERT_EQ(grid_.UpdateData(0, 2, u"4"), 0);
  ASSERT_GE(grid_.InsertRows(129, 1), 0);
  ASSERT_EQ(grid_.UpdateData(130, 0, u"131"), 0);
  ASSERT_EQ(grid_.UpdateData(130, 1, u"𠮷"), 0);
  std::u16string script;
  ASSERT_EQ(oci_preview_grid_sql(&grid_, &script, OciMsgBuf(msg_)), 0) << message();
  EXPECT_EQ(script,
            u"delete from \"SCOTT\".\"T\" where \"ID\" = '3';\n"
            u"update \"SCOTT\".\"T\" set \"NAME\" = 'it''s', \"N\" = '4' where \"ID\" = '1';\n"
            u"insert into \"SCOTT\".\"T\" (\"ID\", \"NAME\", \"N\") values ('131', '𠮷', NULL);\n");

  exec(u"create table nokey (a varchar2(5))");
  grid_.SetData(nullptr, nullptr, u"", u"", 0, false);
  ds_.clear();
  ASSERT_EQ(oci_cre_sel_cursor(session_, &ds_, u"select nokey.*, rowid from nokey", 100, OciMsgBuf(msg_)), kOciOk);
  ASSERT_EQ(grid_.SetData(session_, &ds_, u"SCOTT", u"NOKEY", 0, false), 0);
  EXPECT_EQ(oci_preview_grid_sql(&grid_, &script, OciMsgBuf(msg_)), 1);
  EXPECT_EQ(std::u16string(msg_), u"Primary Keyの無いテーブルでは，この機能を利用できません");

  grid_.SetData(nullptr, nullptr, u"", u"", 0, false);
  ds_.clear();
  ASSERT_EQ(oci_cre_sel_cursor(session_, &ds_, u"select name, rowid from t", 100, OciMsgBuf(msg_)), kOciOk);
  ASSERT_EQ(grid_.SetData(session_, &ds_, u"SCOTT", u"T", 0, false), 0);
  EXPECT_EQ(oci_preview_grid_sql(&grid_, &script, OciMsgBuf(msg_)), 1);
  EXPECT_EQ(std::u16string(msg_), u"Primary Keyのカラムが表示されていないため，この機能を利用できません(ID)");
}

}  // namespace
}  // namespace kestrel
