// Real round trips through the stand-in client library: each test gets a
// fresh database in its own temporary folder, made with the ocilite tool,
// and talks to it only through the Oracle layer.
#include <gtest/gtest.h>

#include <pwd.h>
#include <unistd.h>

#include <atomic>
#include <cctype>
#include <cstring>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <thread>

#include "oci/oci_codes.h"
#include "oci/oci_cursor.h"
#include "oci/oci_session.h"
#include "oci/oci_special_columns.h"
#include "oci_test_support.h"
#include "platform/client_text.h"
#include "platform/format.h"
#include "platform/utf16.h"
#include "support/recording_msg_target.h"
#include "support/shell_quote.h"

namespace kestrel {
namespace {

using testing::TempDir;

using kestrel::testing::shell_quote;

class OciliteTest : public testing::OciProcessTest {
 protected:
  void SetUp() override {
    testing::OciProcessTest::SetUp();
    if (testing::ocilite_library().empty() || testing::ocilite_tool().empty())
      GTEST_SKIP() << "the stand-in client library or its tool is not built";
    db_ = tmp_.path() / "db";
    ASSERT_TRUE(tool("create " + shell_quote(db_.string())));
    ASSERT_TRUE(tool("user add " + shell_quote(db_.string()) + " SCOTT TIGER"));
    load();
  }
  void TearDown() override {
    if (session_) oci_ora_logout(&session_);
    testing::OciProcessTest::TearDown();
  }

  virtual void load() {
    setenv("NLS_LANG", "JAPANESE_JAPAN.AL32UTF8", 1);
    ASSERT_EQ(oci_load_library_file(testing::ocilite_library(), nullptr), kOciOk);
  }

  bool tool(const std::string& args, const std::string& input = "") {
    std::string cmd = shell_quote(testing::ocilite_tool().string()) + " " + args;
    if (!input.empty()) cmd += " < " + shell_quote(tmp_.write("input.sql", input).string());
    cmd += " > " + shell_quote((tmp_.path() / "tool.log").string()) + " 2>&1";
    return std::system(cmd.c_str()) == 0;
  }

  std::u16string connect() const { return utf8_to_utf16(db_.string()); }

  int login(std::u16string_view user = u"SCOTT", std::u16string_view password = u"TIGER", int* warning = nullptr) {
    return oci_login2(&session_, user, password, connect(), log_path_, kLoginNormal, OciMsgBuf(msg_), warning);
  }

  void exec(std::u16string_view sql) {
    ASSERT_EQ(oci_execute_sql(session_, sql, OciMsgBuf(msg_)), kOciOk) << utf16_to_utf8(msg_) << " in " << utf16_to_utf8(sql);
  }

  std::u16string value(std::u16string_view sql) {
    char16_t out[256] = {};
    EXPECT_EQ(oci_select_value(session_, sql, out, sizeof out, OciMsgBuf(msg_)), kOciOk) << utf16_to_utf8(msg_);
    return out;
  }

  std::string message() const { return utf16_to_utf8(msg_); }

  TempDir tmp_;
  std::filesystem::path db_;
  OciSession* session_ = nullptr;
  char16_t msg_[2048] = {};
  std::u16string log_path_;
};

TEST_F(OciliteTest, LoginCommitRollbackLogout) {
  ASSERT_EQ(login(), kOciOk) << message();
  ASSERT_NE(session_, nullptr);
  EXPECT_EQ(session_->db_charset, u"AL32UTF8");
  EXPECT_EQ(program_code_page(), 65001u);
  EXPECT_GE(oci_get_server_version(session_), 19.0);
  std::u16string version;
  EXPECT_GE(oci_get_client_version(&version), 19.0);
  exec(u"create table t (id number(5), name varchar2(20))");
  exec(u"insert into t values (1, 'one')");
  ASSERT_EQ(oci_ora_rollback(session_, OciMsgBuf(msg_)), kOciOk);
  EXPECT_EQ(value(u"select count(*) from t"), u"0");
  exec(u"insert into t values (2, 'two')");
  ASSERT_EQ(oci_ora_commit(session_, OciMsgBuf(msg_)), kOciOk);
  // A second session sees the committed row.
  OciSession* other = nullptr;
  ASSERT_EQ(oci_login2(&other, u"SCOTT", u"TIGER", connect(), u"", kLoginNormal, OciMsgBuf(msg_), nullptr), kOciOk);
  char16_t out[64];
  ASSERT_EQ(oci_select_value(other, u"select name from t where id = 2", out, sizeof out, OciMsgBuf(msg_)), kOciOk);
  EXPECT_EQ(std::u16string_view(out), u"two");
  EXPECT_EQ(oci_ora_logout(&other), kOciOk);
  EXPECT_EQ(other, nullptr);
  EXPECT_EQ(oci_ora_logout(&session_), kOciOk);
  EXPECT_EQ(session_, nullptr);
}

TEST_F(OciliteTest, LoadsThroughTheEnvironmentAndTheProgramFolder) {
  oci_unload_library();
  setenv("OCI_LIBRARY", testing::ocilite_library().c_str(), 1);
  ASSERT_EQ(oci_load_library(nullptr), kOciOk);
  EXPECT_EQ(oci_process().library.file(), testing::ocilite_library());
  unsetenv("OCI_LIBRARY");
  oci_unload_library();
  // <program folder>/lib/libkestrel_ocilite.so, as installed and in the build tree.
  if (testing::ocilite_library().parent_path().filename() != "lib") GTEST_SKIP() << "the stand-in is not in a lib folder";
  oci_process().program_dir = testing::ocilite_library().parent_path().parent_path();
  ASSERT_EQ(oci_load_library(nullptr), kOciOk);
  EXPECT_EQ(oci_process().library.file().filename(), "libkestrel_ocilite.so");
  EXPECT_TRUE(oci_process().newer_usable);
  EXPECT_TRUE(oci_process().oci7_usable);
  ASSERT_EQ(login(), kOciOk) << message();
}

TEST_F(OciliteTest, WrongPasswordGivesOracleTextAndLogsTheHeader) {
  log_path_ = utf8_to_utf16((tmp_.path() / "error.log").string());
  EXPECT_EQ(login(u"SCOTT", u"WRONG"), kOciOracleError);
  EXPECT_EQ(session_, nullptr);
  EXPECT_NE(message().find("ORA-01017"), std::string::npos) << message();
  std::string log = tmp_.read("error.log");
  EXPECT_NE(log.find("\n---\nerror in oci_login2:\n user:SCOTT tns:" + db_.string() + "\n"), std::string::npos) << log;
}

TEST_F(OciliteTest, ExpiringPasswordLogsInWithTheWarning) {
  if (!tool("user add " + shell_quote(db_.string()) + " SOON SOON --expires-in 5"))
    GTEST_SKIP() << "the tool cannot make an expiring password";
  int warning = 0;
  ASSERT_EQ(login(u"SOON", u"SOON", &warning), kOciOk) << message();
  EXPECT_EQ(warning, 1);
  EXPECT_NE(message().find("ORA-28002"), std::string::npos) << message();
  EXPECT_EQ(value(u"select user from dual"), u"SOON");
}

TEST_F(OciliteTest, EmptyUserAndPasswordUseExternalCredentials) {
  struct passwd* pw = getpwuid(getuid());
  ASSERT_NE(pw, nullptr);
  std::string os_user = pw->pw_name;
  if (!std::getenv("USER")) setenv("USER", pw->pw_name, 1);
  for (char& ch : os_user) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
  if (!tool("user add " + shell_quote(db_.string()) + " " + shell_quote(os_user) + " X --external"))
    GTEST_SKIP() << "the tool cannot make an external user";
  ASSERT_EQ(login(u"", u""), kOciOk) << message();
  EXPECT_EQ(value(u"select user from dual"), utf8_to_utf16(os_user));
}

TEST_F(OciliteTest, EveryOrdinaryTypeFetchesAsText) {
  ASSERT_EQ(login(), kOciOk) << message();
  exec(u"alter session set nls_date_format = 'YYYY/MM/DD HH24:MI:SS'");
  exec(u"alter session set nls_timestamp_format = 'YYYY-MM-DD HH24:MI:SS.FF'");
  exec(u"create table types (id number(5) not null, n number, n72 number(7,2), nneg number(5,-2), "
       u"v varchar2(20), nv nvarchar2(10), c char(3), d date, ts timestamp(6), r raw(8), l long)");
  exec(u"insert into types values (1, 3.14, 12345.6, 12345, 'テスト日本語', '𠮷野家', 'ab', "
       u"'2024/01/02 03:04:05', '2024-01-02 03:04:05.123456', '0A1BFF', 'long text')");
  exec(u"insert into types (id) values (2)");
  OciDataset ds;
  ASSERT_EQ(oci_cre_sel_cursor(session_, &ds, u"select * from types order by id", 100, OciMsgBuf(msg_)), kOciOk)
      << message();
  ASSERT_EQ(ds.row_count, 2);
  ASSERT_EQ(ds.col_count, 11);
  const std::u16string expected[] = {u"1",      u"3.14",      u"12345.6",
                                     u"12300",  u"テスト日本語", u"𠮷野家",
                                     u"ab ",    u"2024/01/02 03:04:05", u"2024-01-02 03:04:05.123456",
                                     u"0A1BFF", u"long text"};
  for (int c = 0; c < 11; ++c) EXPECT_EQ(ds.text_view(0, c), expected[c]) << utf16_to_utf8(ds.cols[static_cast<std::size_t>(c)].wname);
  for (int c = 1; c < 11; ++c) EXPECT_EQ(ds.text_view(1, c), u"") << c;
  // Describe: names, types, widths per the type table.
  std::u16string name, length;
  EXPECT_EQ(ds.cols[0].wname, u"ID");
  EXPECT_EQ(ds.cols[0].data_type, 2);
  EXPECT_EQ(ds.cols[0].width, 8u);
  EXPECT_EQ(ds.cols[1].width, 133u);  // NUMBER without precision
  oci_get_type_name(ds.cols[1], &name, &length);
  EXPECT_EQ(name, u"NUMBER");
  EXPECT_EQ(ds.cols[3].width, 10u);
  EXPECT_EQ(ds.cols[5].charset_form, 2);
  oci_get_type_name(ds.cols[5], &name, &length);
  EXPECT_EQ(name, u"NVARCHAR2");
  oci_get_type_name(ds.cols[2], &name, &length);
  EXPECT_EQ(length, u"7,2");
  EXPECT_EQ(ds.cols[7].data_type, 12);
  EXPECT_EQ(ds.cols[10].width, 65536u);
}

TEST_F(OciliteTest, LobColumnsGetLocatorsAndHeaders) {
  ASSERT_EQ(login(), kOciOk) << message();
  exec(u"create table lobs (id number(5), c clob, b blob)");
  exec(u"insert into lobs values (1, 'text', null)");
  OciDataset ds;
  int rc = oci_cre_sel_cursor(session_, &ds, u"select id, c, b from lobs", 10, OciMsgBuf(msg_));
  if (rc != kOciOk && message().find("ORA-03001") != std::string::npos)
    GTEST_SKIP() << "the stand-in has no LOB locators yet";
  ASSERT_EQ(rc, kOciOk) << message();
  ASSERT_EQ(ds.row_count, 1);
  EXPECT_EQ(ds.lob_count, 2);
  EXPECT_EQ(ds.cols[1].kind, kColumnLob);
  EXPECT_EQ(ds.cols[1].width, 4096u + 24u);
  OciLobHeader h;
  std::memcpy(&h, ds.header(0, 2), sizeof h);
  EXPECT_EQ(h.define_type, 113);
  EXPECT_EQ(h.null_flag, 1);
  std::memcpy(&h, ds.header(0, 1), sizeof h);
  EXPECT_EQ(h.define_type, 112);
  EXPECT_EQ(h.null_flag, 0);
  EXPECT_EQ(ds.text_view(0, 0), u"1");
}

TEST_F(OciliteTest, LongColumnsAreCutAtTheLongReadBufferSize) {
  oci_process().long_read_buf_size = 11;
  ASSERT_EQ(login(), kOciOk) << message();
  exec(u"create table lt (l long)");
  exec(u"insert into lt values ('0123456789ABCDEF')");
  OciDataset ds;
  ASSERT_EQ(oci_cre_sel_cursor(session_, &ds, u"select l from lt", 10, OciMsgBuf(msg_)), kOciOk) << message();
  EXPECT_EQ(ds.cols[0].width, 11u);
  EXPECT_EQ(ds.text_view(0, 0), u"0123456789");
  // Step by step, the truncation warning of a full batch stays on the cursor.
  exec(u"insert into lt values ('x')");
  OciCursor c;
  ASSERT_EQ(oci_cre_cursor(session_, &c, u"select l from lt", OciMsgBuf(msg_)), kOciOk);
  ASSERT_EQ(oci_desc_cursor(session_, &c, OciMsgBuf(msg_)), kOciOk);
  ASSERT_EQ(oci_define_cursor(session_, &c, 1, OciMsgBuf(msg_)), kOciOk);
  ASSERT_EQ(oci_exec_non_block_cursor(session_, &c, nullptr, OciMsgBuf(msg_)), kOciOk) << message();
  ASSERT_EQ(oci_fetch_sel_cursor(session_, &c, nullptr, OciMsgBuf(msg_)), kOciOk) << message();
  EXPECT_EQ(c.warning_code, 24345);
  EXPECT_EQ(utf16_to_utf8(c.warning_text).rfind("ORA-24345", 0), 0u);
  EXPECT_NE(c.warning_text.back(), u'\n');
  EXPECT_EQ(c.ind[0][0], 16);  // the original length
}

TEST_F(OciliteTest, BatchesPostTheRowsFetchedSoFar) {
  ASSERT_EQ(login(), kOciOk) << message();
  exec(u"create table many (id number(6))");
  std::vector<std::u16string> ids;
  for (int i = 0; i < 1000; ++i) ids.push_back(to_u16(i));
  OciCursor c;
  ASSERT_EQ(oci_cre_cursor(session_, &c, u"insert into many values (:X0)", OciMsgBuf(msg_)), kOciOk);
  ASSERT_EQ(oci_bind_string_array(session_, &c, ":X0", ids, OciMsgBuf(msg_)), kOciOk);
  ASSERT_EQ(oci_exec_non_block_cursor(session_, &c, nullptr, OciMsgBuf(msg_), 1000), kOciOk) << message();
  EXPECT_EQ(c.cda.rpc, 1000u);
  oci_del_cursor(session_, &c);

  testing::RecordingMsgTarget progress;
  CancelFlag cancel{0};
  OciDataset ds;
  ASSERT_EQ(oci_cre_sel_cursor(session_, &ds, u"select id from many order by id", 400, OciMsgBuf(msg_), &progress,
                               &cancel),
            kOciOk)
      << message();
  EXPECT_EQ(ds.row_count, 1000);
  EXPECT_EQ(ds.text_view(999, 0), u"999");
  auto msgs = progress.messages();
  ASSERT_FALSE(msgs.empty());
  EXPECT_EQ(msgs[0].msg, kMsgIdProgressText);
  EXPECT_FALSE(msgs[0].posted);
  EXPECT_EQ(std::u16string_view(reinterpret_cast<const char16_t*>(msgs[0].lparam)), u"データベース検索中");
  std::vector<uintptr_t> posted;
  for (const auto& m : msgs)
    if (m.posted && m.msg == kMsgIdProgressRows) posted.push_back(m.wparam);
  EXPECT_EQ(posted, (std::vector<uintptr_t>{0, 400, 800, 1000}));

  // Exactly one fetch array of rows: the last batch is empty and the count right.
  OciDataset exact;
  ASSERT_EQ(oci_cre_sel_cursor(session_, &exact, u"select id from many where id < 400", 400, OciMsgBuf(msg_)), kOciOk);
  EXPECT_EQ(exact.row_count, 400);
}

TEST_F(OciliteTest, BindsByFormatLetters) {
  ASSERT_EQ(login(), kOciOk) << message();
  exec(u"create table b (id number(5), name varchar2(20))");
  for (int i = 1; i <= 5; ++i) {
    int32_t id = i;
    std::u16string name = format(u"名前%d", {i});
    ASSERT_EQ(oci_execute_sql_with_binds(session_, u"insert into b values (:X0, :X1)", OciMsgBuf(msg_), nullptr, u"IS",
                                         {&id, name}),
              kOciOk)
        << message();
  }
  OciDataset ds;
  const std::u16string names[] = {u"名前2", u"名前4"};
  ASSERT_EQ(oci_cre_sel_cursor(session_, &ds, u"select id from b where name in (:X0, :X1) order by id", 10,
                               OciMsgBuf(msg_), u"A", {{names, 2}}),
            kOciOk)
      << message();
  ASSERT_EQ(ds.row_count, 2);
  EXPECT_EQ(ds.text_view(1, 0), u"4");
  char16_t out[32];
  int32_t three = 3;
  ASSERT_EQ(oci_select_value(session_, u"select name from b where id = :X0", out, sizeof out, OciMsgBuf(msg_), u"I",
                             {&three}),
            kOciOk);
  EXPECT_EQ(std::u16string_view(out), u"名前3");
  // Statements with binds take S and I only.
  EXPECT_EQ(oci_execute_sql_with_binds(session_, u"delete from b where id = :X0", OciMsgBuf(msg_), nullptr, u"X",
                                       {u"1"}),
            kOciBadBindFormat);
  EXPECT_EQ(std::u16string_view(msg_), u"可変引数関数の引数が正しくありません\n");
  // A re-prepared statement keeps its binds.
  oci_process().reprepare = true;
  ASSERT_EQ(oci_select_value(session_, u"select name from b where id = :X0", out, sizeof out, OciMsgBuf(msg_), u"I",
                             {&three}),
            kOciOk)
      << message();
  EXPECT_EQ(std::u16string_view(out), u"名前3");
}

TEST_F(OciliteTest, TextOutsideTheLocalCodePageIsBoundInTheNationalForm) {
  ASSERT_EQ(login(), kOciOk) << message();
  exec(u"create table nf (v nvarchar2(10))");
  OciCursor c;
  ASSERT_EQ(oci_cre_cursor(session_, &c, u"insert into nf values (:X0)", OciMsgBuf(msg_)), kOciOk);
  ASSERT_EQ(oci_bind_string(session_, &c, ":X0", u"𠮷野家", OciMsgBuf(msg_)), kOciOk) << message();
  EXPECT_EQ(c.binds.front()->form, SQLCS_NCHAR);
  ASSERT_EQ(oci_exec_non_block_cursor(session_, &c, nullptr, OciMsgBuf(msg_)), kOciOk) << message();
  EXPECT_EQ(c.cda.rpc, 1u);
  oci_del_cursor(session_, &c);
  OciCursor plain;
  ASSERT_EQ(oci_cre_cursor(session_, &plain, u"insert into nf values (:X0)", OciMsgBuf(msg_)), kOciOk);
  ASSERT_EQ(oci_bind_string(session_, &plain, ":X0", u"吉野家", OciMsgBuf(msg_)), kOciOk);
  EXPECT_EQ(plain.binds.front()->form, SQLCS_IMPLICIT);
  EXPECT_EQ(value(u"select v from nf"), u"𠮷野家");
}

TEST_F(OciliteTest, ReturnedRowidComesBackInTheRidBuffer) {
  ASSERT_EQ(login(), kOciOk) << message();
  exec(u"create table rr (id number(5), name varchar2(10))");
  OciCursor c;
  ASSERT_EQ(oci_cre_cursor(session_, &c, u"insert into rr values (:X0, :X1) returning rowid into :rid", OciMsgBuf(msg_)),
            kOciOk);
  ASSERT_EQ(oci_bind_int(session_, &c, ":X0", 7, OciMsgBuf(msg_)), kOciOk);
  ASSERT_EQ(oci_bind_string(session_, &c, ":X1", u"seven", OciMsgBuf(msg_)), kOciOk);
  ASSERT_EQ(oci_bind_rowid_out(session_, &c, OciMsgBuf(msg_)), kOciOk);
  ASSERT_EQ(oci_exec_non_block_cursor(session_, &c, nullptr, OciMsgBuf(msg_)), kOciOk) << message();
  EXPECT_EQ(c.cda.ft, 3);  // insert
  EXPECT_EQ(c.cda.rpc, 1u);
  std::string rowid = oci_rowid_out(&c);
  ASSERT_EQ(rowid.size(), 18u) << rowid;
  char16_t out[32];
  ASSERT_EQ(oci_select_value(session_, u"select name from rr where rowid = :X0", out, sizeof out, OciMsgBuf(msg_), u"S",
                             {utf8_to_utf16(rowid)}),
            kOciOk)
      << message();
  EXPECT_EQ(std::u16string_view(out), u"seven");
}

TEST_F(OciliteTest, PlsqlCompiledWithErrorsAndSavepoints) {
  ASSERT_EQ(login(), kOciOk) << message();
  EXPECT_EQ(oci_execute_sql(session_, u"create or replace procedure broken as begin this is not plsql; end;",
                            OciMsgBuf(msg_)),
            kOciPlsqlCompile)
      << message();
  EXPECT_NE(message().find("ORA-24344"), std::string::npos) << message();
  exec(u"create table sp (id number(5))");
  exec(u"insert into sp values (1)");
  exec(u"savepoint tern_p1");
  exec(u"insert into sp values (2)");
  exec(u"rollback to tern_p1");
  EXPECT_EQ(value(u"select count(*) from sp"), u"1");
}

TEST_F(OciliteTest, OneValueSelectWantsExactlyOneRow) {
  ASSERT_EQ(login(), kOciOk) << message();
  exec(u"create table v (id number(5))");
  char16_t out[8];
  EXPECT_EQ(oci_select_value(session_, u"select id from v", out, sizeof out, OciMsgBuf(msg_)), kOciNoRow);
  EXPECT_EQ(std::u16string_view(msg_), u"検索結果がありません\n");
  exec(u"insert into v values (1)");
  exec(u"insert into v values (2)");
  EXPECT_EQ(oci_select_value(session_, u"select id from v", out, sizeof out, OciMsgBuf(msg_)), kOciNoRow);
  // The out text is cut to its capacity (8 bytes: 3 characters).
  EXPECT_EQ(oci_select_value(session_, u"select 'abcdef' from dual", out, 8, OciMsgBuf(msg_)), kOciOk);
  EXPECT_EQ(std::u16string_view(out), u"abc");
}

TEST_F(OciliteTest, ErrorsCarryTheirPosition) {
  ASSERT_EQ(login(), kOciOk) << message();
  exec(u"create table p (id number(5), name varchar2(10))");
  OciDataset ds;
  EXPECT_EQ(oci_cre_sel_cursor(session_, &ds, u"select id,\n  name,\r\nbogus from p", 10, OciMsgBuf(msg_)),
            kOciOracleError);
  EXPECT_EQ(message().rfind("[row:3,col:1] ORA-00904", 0), 0u) << message();
  EXPECT_EQ(session_->last_error, 904);
  // Columns count characters, not bytes; a 4-byte character takes two
  // ("select '日" is 9 columns, the pair 2, then "', " 3: bogus starts at 15).
  EXPECT_EQ(oci_cre_sel_cursor(session_, &ds, u"select '日𠮷', bogus from p", 10, OciMsgBuf(msg_)), kOciOracleError);
  EXPECT_EQ(message().rfind("[row:1,col:15] ORA-00904", 0), 0u) << message();
}

TEST_F(OciliteTest, MissingObjectNameIsKept) {
  ASSERT_EQ(login(), kOciOk) << message();
  OciDataset ds;
  EXPECT_EQ(oci_cre_sel_cursor(session_, &ds, u"select *\n  from\nno_such_table", 10, OciMsgBuf(msg_)), kOciOracleError);
  EXPECT_EQ(message().rfind("[row:3,col:1] ORA-00942", 0), 0u) << message();
  EXPECT_EQ(session_->missing_object, u"no_such_table");
  EXPECT_EQ(session_->last_error, 942);
  // The session stays usable.
  EXPECT_EQ(value(u"select 1 from dual"), u"1");
}

TEST_F(OciliteTest, ArrayDmlStopsAtTheFailingRow) {
  log_path_ = utf8_to_utf16((tmp_.path() / "error.log").string());
  ASSERT_EQ(login(), kOciOk) << message();
  exec(u"create table u (id number(5) primary key)");
  OciCursor c;
  ASSERT_EQ(oci_cre_cursor(session_, &c, u"insert into u values (:X0)", OciMsgBuf(msg_)), kOciOk);
  ASSERT_EQ(oci_bind_string_array(session_, &c, ":X0", {u"1", u"2", u"2", u"3"}, OciMsgBuf(msg_)), kOciOk);
  EXPECT_EQ(oci_exec_non_block_cursor(session_, &c, nullptr, OciMsgBuf(msg_), 4), kOciOracleError);
  EXPECT_EQ(c.cda.rpc, 2u);
  EXPECT_EQ(message().rfind("[row:1,col:1] ORA-00001", 0), 0u) << message();
  EXPECT_NE(tmp_.read("error.log").find("\n---\nerror in oci8_exec_non_block_cursor:\n"), std::string::npos);
}

TEST_F(OciliteTest, TableDefinitionWithAndWithoutRowid) {
  ASSERT_EQ(login(), kOciOk) << message();
  exec(u"create table td (id number(5), name varchar2(10))");
  OciCursor c;
  ASSERT_EQ(oci_get_table_def2(session_, &c, u"td", true, OciMsgBuf(msg_)), kOciOk) << message();
  ASSERT_EQ(c.col_count, 3);
  EXPECT_EQ(c.cols[0].wname, u"ROWID");
  EXPECT_TRUE(c.cols[0].data_type == 104 || c.cols[0].data_type == 11);
  EXPECT_EQ(c.cols[2].wname, u"NAME");
  OciCursor plain;
  ASSERT_EQ(oci_get_table_def2(session_, &plain, u"td", false, OciMsgBuf(msg_)), kOciOk);
  EXPECT_EQ(plain.col_count, 2);
}

TEST_F(OciliteTest, CancelStopsALongQueryQuicklyAndTheSessionStaysUsable) {
  ASSERT_EQ(login(), kOciOk) << message();
  exec(u"create table big (id number(6))");
  std::vector<std::u16string> ids;
  for (int i = 0; i < 2000; ++i) ids.push_back(to_u16(i));
  OciCursor c;
  ASSERT_EQ(oci_cre_cursor(session_, &c, u"insert into big values (:X0)", OciMsgBuf(msg_)), kOciOk);
  ASSERT_EQ(oci_bind_string_array(session_, &c, ":X0", ids, OciMsgBuf(msg_)), kOciOk);
  ASSERT_EQ(oci_exec_non_block_cursor(session_, &c, nullptr, OciMsgBuf(msg_), 2000), kOciOk);
  oci_del_cursor(session_, &c);

  CancelFlag cancel{kCancelRunning};
  std::atomic<int64_t> cancelled_at{0};
  std::thread canceller([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(700));
    cancelled_at = std::chrono::steady_clock::now().time_since_epoch().count();
    cancel = kCancelRequested;
  });
  OciDataset ds;
  int rc = oci_cre_sel_cursor(session_, &ds, u"select count(*) from big a, big b, big c", 10, OciMsgBuf(msg_), nullptr,
                              &cancel);
  auto returned = std::chrono::steady_clock::now().time_since_epoch().count();
  canceller.join();
  EXPECT_EQ(rc, kOciCancelled) << message();
  EXPECT_EQ(std::u16string_view(msg_), u"キャンセルしました\n");
  EXPECT_LT(std::chrono::steady_clock::duration(returned - cancelled_at.load()), std::chrono::milliseconds(200));
  EXPECT_EQ(value(u"select count(*) from big"), u"2000");
}

TEST_F(OciliteTest, AskingStateHoldsTheQueryUntilAnswered) {
  ASSERT_EQ(login(), kOciOk) << message();
  CancelFlag cancel{kCancelAsking};
  std::thread answer([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    cancel = kCancelRunning;  // the user said no
  });
  OciDataset ds;
  EXPECT_EQ(oci_cre_sel_cursor(session_, &ds, u"select 1 from dual", 10, OciMsgBuf(msg_), nullptr, &cancel), kOciOk)
      << message();
  answer.join();
  EXPECT_EQ(ds.row_count, 1);
}

// The client character set decides the code page: Shift-JIS gives code page 0.
class OciliteSjisTest : public OciliteTest {
 protected:
  void load() override {
    setenv("NLS_LANG", "JAPANESE_JAPAN.JA16SJISTILDE", 1);
    ASSERT_EQ(oci_load_library_file(testing::ocilite_library(), nullptr), kOciOk);
  }
  void TearDown() override {
    OciliteTest::TearDown();
    setenv("NLS_LANG", "JAPANESE_JAPAN.AL32UTF8", 1);
  }
};

TEST_F(OciliteSjisTest, JapaneseTextInCodePageZero) {
  ASSERT_EQ(login(), kOciOk) << message();
  EXPECT_EQ(program_code_page(), 0u);
  exec(u"create table j (v varchar2(60))");
  std::u16string text = u"日本語テキスト～ｱｲｳ";
  ASSERT_EQ(oci_execute_sql_with_binds(session_, u"insert into j values (:X0)", OciMsgBuf(msg_), nullptr, u"S", {text}),
            kOciOk)
      << message();
  EXPECT_EQ(value(u"select v from j"), text);
}

TEST_F(OciliteTest, UnsupportedUtf8ClientIsRefused) {
  oci_unload_library();
  setenv("NLS_LANG", "JAPANESE_JAPAN.UTF8", 1);
  ASSERT_EQ(oci_load_library_file(testing::ocilite_library(), nullptr), kOciOk);
  EXPECT_EQ(login(), kOciEnvFailed);
  EXPECT_EQ(std::u16string_view(msg_), u"NLS_LANG=UTF8はサポートしていません");
  setenv("NLS_LANG", "JAPANESE_JAPAN.AL32UTF8", 1);
}

// The old interface on the same database.
class OciliteOci7Test : public OciliteTest {
 protected:
  bool oci7_login() {
    oci_process().use_old_interface = true;
    int rc = login();
    EXPECT_EQ(rc, kOciOk) << message();
    return rc == kOciOk;
  }
};

TEST_F(OciliteOci7Test, SameQueryGivesTheSameDataset) {
  ASSERT_EQ(login(), kOciOk) << message();
  exec(u"create table same (id number(5), name varchar2(20), d date)");
  exec(u"insert into same values (1, '一', null)");
  exec(u"insert into same values (2, 'two', sysdate)");
  ASSERT_EQ(oci_ora_commit(session_, OciMsgBuf(msg_)), kOciOk);
  OciDataset newer;
  ASSERT_EQ(oci_cre_sel_cursor(session_, &newer, u"select id, name from same order by id", 1, OciMsgBuf(msg_)), kOciOk);
  oci_ora_logout(&session_);
  ASSERT_TRUE(oci7_login());
  EXPECT_EQ(session_->lda_mode, 1);
  OciDataset old;
  ASSERT_EQ(oci_cre_sel_cursor(session_, &old, u"select id, name from same order by id", 1, OciMsgBuf(msg_)), kOciOk)
      << message();
  ASSERT_EQ(old.row_count, newer.row_count);
  for (int r = 0; r < old.row_count; ++r)
    for (int c = 0; c < old.col_count; ++c) EXPECT_EQ(old.text_view(r, c), newer.text_view(r, c));
}

TEST_F(OciliteOci7Test, TooManyColumnsOnTheOldPath) {
  ASSERT_TRUE(oci7_login());
  std::u16string sql = u"select 1 c0";
  for (int i = 1; i < 1030; ++i) sql += format(u", 1 c%d", {i});
  sql += u" from dual";
  OciDataset ds;
  EXPECT_EQ(oci_cre_sel_cursor(session_, &ds, sql, 10, OciMsgBuf(msg_)), kOciTooManyColumns);
  EXPECT_EQ(std::u16string_view(msg_), u"検索するカラム数が多すぎます\n");
}

}  // namespace
}  // namespace kestrel
