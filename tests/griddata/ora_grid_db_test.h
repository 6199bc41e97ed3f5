// A fresh stand-in database with a logged-in session and an Oracle grid over
// one table: loading, saving, and reading the table back through another
// session (so only committed rows are seen).
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "../oci/oci_test_support.h"
#include "griddata/ora_grid_data.h"
#include "griddata/ora_grid_save.h"
#include "oci/oci_codes.h"
#include "oci/oci_cursor.h"
#include "oci/oci_session.h"
#include "platform/format.h"
#include "platform/utf16.h"

namespace kestrel::testing {

class OraGridDbTest : public OciliteDbTest {
 protected:
  void SetUp() override {
    OciliteDbTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    session_ = login();
    ASSERT_NE(session_, nullptr);
  }
  void TearDown() override {
    grid_.SetData(nullptr, nullptr, u"", u"", 0, false);
    ds_.clear();
    if (session_) oci_ora_logout(&session_);
    OciliteDbTest::TearDown();
  }

  // SCOTT on `db` (the test's database when empty).
  OciSession* login(const std::filesystem::path& db = {}) {
    OciSession* s = nullptr;
    char16_t m[1024] = {};
    EXPECT_EQ(oci_login2(&s, u"SCOTT", u"TIGER", utf8_to_utf16((db.empty() ? db_ : db).string()), u"",
                         kLoginNormal, OciMsgBuf(m), nullptr),
              kOciOk)
        << utf16_to_utf8(m);
    return s;
  }
  void exec(std::u16string_view sql, OciSession* s = nullptr) {
    char16_t m[1024] = {};
    ASSERT_EQ(oci_execute_sql(s ? s : session_, sql, OciMsgBuf(m)), kOciOk)
        << utf16_to_utf8(m) << " in " << utf16_to_utf8(sql);
  }
  // Rows 1..count of table t (id, name), named "n<id>", committed.
  void insert_numbered_rows(int count) {
    std::vector<std::u16string> ids, names;
    for (int i = 1; i <= count; ++i) {
      ids.push_back(to_u16(i));
      names.push_back(format(u"n%d", {i}));
    }
    OciCursor c;
    ASSERT_EQ(oci_cre_cursor(session_, &c, u"insert into t (id, name) values (:X0, :X1)", OciMsgBuf(msg_)), kOciOk);
    ASSERT_EQ(oci_bind_string_array(session_, &c, ":X0", ids, OciMsgBuf(msg_)), kOciOk);
    ASSERT_EQ(oci_bind_string_array(session_, &c, ":X1", names, OciMsgBuf(msg_)), kOciOk);
    ASSERT_EQ(oci_exec_non_block_cursor(session_, &c, nullptr, OciMsgBuf(msg_), count), kOciOk) << message();
    oci_del_cursor(session_, &c);
    ASSERT_EQ(oci_ora_commit(session_, OciMsgBuf(msg_)), kOciOk);
  }
  void load(std::u16string_view select, std::u16string_view table) {
    grid_.SetData(nullptr, nullptr, u"", u"", 0, false);
    ds_.clear();
    ASSERT_EQ(oci_cre_sel_cursor(session_, &ds_, select, 100, OciMsgBuf(msg_)), kOciOk) << message();
    ASSERT_EQ(grid_.SetData(session_, &ds_, u"SCOTT", table, 0, false), 0);
  }
  int save(kestrel::MsgTarget* progress = nullptr, CancelFlag* cancel = nullptr) {
    return oci_save_grid_data(&grid_, session_, &err_, OciMsgBuf(msg_), progress, cancel);
  }
  // The rows of `select` as a fresh session on `db` sees them: the cells
  // of a row joined by '|'.
  std::vector<std::string> rows(std::u16string_view select, const std::filesystem::path& db = {}) {
    std::vector<std::string> out;
    OciSession* other = login(db);
    if (!other) return out;
    OciDataset ds;
    char16_t m[1024] = {};
    EXPECT_EQ(oci_cre_sel_cursor(other, &ds, select, 100, OciMsgBuf(m)), kOciOk) << utf16_to_utf8(m);
    for (int32_t r = 0; r < ds.row_count; ++r) {
      std::u16string row;
      for (int32_t c = 0; c < ds.col_count; ++c) {
        if (c) row += u'|';
        row += ds.text_view(r, c);
      }
      out.push_back(utf16_to_utf8(row));
    }
    ds.clear();
    oci_ora_logout(&other);
    return out;
  }
  std::string message() const { return utf16_to_utf8(msg_); }

  OciSession* session_ = nullptr;
  char16_t msg_[4096] = {};
  CellPoint err_;
  OciDataset ds_;
  CEditableOraGridData grid_;
};

}  // namespace kestrel::testing
