// Logging in, the post-login set-up, the start-up SQL file and disconnect,
// against a fresh ocilite database.
#include "app/session_control.h"

#include <gtest/gtest.h>

#include <fstream>
#include <vector>

#include "login_db.h"
#include "oci/oci_codes.h"
#include "oci/oci_cursor.h"
#include "oci/oci_session.h"
#include "platform/utf16.h"

namespace kestrel {
namespace {

using testing::LoginDbTest;

class SessionControlTest : public LoginDbTest {
 protected:
  void TearDown() override {
    close_session(&s_);
    LoginDbTest::TearDown();
  }
  void login() {
    SessionLogin l = open_session(u"scott", u"TIGER", tns(), kConnectModeNormal, false);
    ASSERT_NE(l.session, nullptr) << utf16_to_utf8(l.message);
    s_ = l.session;
  }
  std::u16string value(std::u16string_view sql) {
    char16_t out[256] = {};
    if (oci_select_value(s_, sql, out, sizeof out, nullptr) != kOciOk) return u"<error>";
    return out;
  }
  OciSession* s_ = nullptr;
};

TEST_F(SessionControlTest, LoginSucceedsAndWrongPasswordReportsTheOracleError) {
  SessionLogin bad = open_session(u"SCOTT", u"WRONG", tns(), kConnectModeNormal, false);
  EXPECT_EQ(bad.session, nullptr);
  EXPECT_NE(bad.rc, 0);
  EXPECT_NE(bad.message.find(u"ORA-01017"), std::u16string::npos) << utf16_to_utf8(bad.message);
  login();
  EXPECT_EQ(value(u"select user from dual"), u"SCOTT");
}

TEST_F(SessionControlTest, SysdbaWithoutThePrivilegeIsRefused) {
  SessionLogin l = open_session(u"SCOTT", u"TIGER", tns(), kConnectModeSysdba, false);
  EXPECT_EQ(l.session, nullptr);
  EXPECT_NE(l.message.find(u"ORA-01031"), std::u16string::npos) << utf16_to_utf8(l.message);
}

TEST_F(SessionControlTest, Oci7LoginWorks) {
  SessionLogin l = open_session(u"SCOTT", u"TIGER", tns(), kConnectModeNormal, true);
  ASSERT_NE(l.session, nullptr) << utf16_to_utf8(l.message);
  s_ = l.session;
  EXPECT_EQ(s_->lda_mode, 1);
  EXPECT_EQ(value(u"select user from dual"), u"SCOTT");
}

TEST_F(SessionControlTest, PostLoginSetupTakesTheServerUserAndAppliesNls) {
  login();
  AppSettings settings;
  settings.NLS_DATE_FORMAT = u"YYYY/MM/DD \"o'clock\" HH24";
  settings.TIMEZONE.clear();
  CurrentConnection conn;
  conn.connected = 1;
  conn.user = u"scott";
  conn.tns = u"";
  std::vector<std::u16string> errors;
  ConnectProfile other{u"SCOTT", u"x", u"", 1, 0, u"wrong tns", 1, 0, 0x00FF00};
  ConnectProfile mine{u"Scott", u"", u"", 1, 0, u"本番", 1, 0, 0x0000FF};
  EXPECT_TRUE(post_login_setup(s_, settings, conn, {other, mine}, [&](const std::u16string& m) { errors.push_back(m); }));
  EXPECT_EQ(conn.notes, u"本番");
  EXPECT_EQ(conn.custom_color, 1);
  EXPECT_EQ(conn.session_color, 0x0000FF);
  EXPECT_EQ(conn.user, u"SCOTT");
  EXPECT_EQ(conn.label, u"scott@");  // the label is made from the typed name, before the server's
  EXPECT_TRUE(errors.empty());
  std::u16string real;
  EXPECT_EQ(value(u"select value from nls_session_parameters where parameter = 'NLS_DATE_FORMAT'"),
            settings.NLS_DATE_FORMAT);
  EXPECT_FALSE(settings.TIMEZONE.empty()) << "an empty time zone is filled from the session";
}

TEST_F(SessionControlTest, StartupSqlRunsStatementsSkipsCommandsAndStopsAtAFailure) {
  login();
  const std::u16string script =
      u"create table t (n number);\n"
      u"desc t\n"
      u"@other.sql\n"
      u"insert into t values (1);\n"
      u"select * from t;\n"
      u"insert into no_such_table values (2);\n"
      u"insert into t values (3);\n";
  std::vector<std::u16string> errors;
  EXPECT_EQ(run_startup_sql_text(s_, script, [&](const std::u16string& m) { errors.push_back(m); }), -1);
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_NE(errors[0].find(u"ORA-00942"), std::u16string::npos) << utf16_to_utf8(errors[0]);
  EXPECT_EQ(value(u"select count(*) from t"), u"1");
}

TEST_F(SessionControlTest, StartupSqlFileThatIsMissingOrAFolderRunsNothing) {
  login();
  int calls = 0;
  auto sink = [&](const std::u16string&) { ++calls; };
  EXPECT_EQ(run_startup_sql_file(s_, tmp_.path() / "missing.sql", sink), -1);
  EXPECT_EQ(run_startup_sql_file(s_, tmp_.path(), sink), -1);
  EXPECT_EQ(calls, 0);
  const auto file = tmp_.path() / "start.sql";
  std::ofstream(file) << "create table u (s varchar2(20));\ninsert into u values ('日本語');\n";
  EXPECT_EQ(run_startup_sql_file(s_, file, sink), 0);
  EXPECT_EQ(value(u"select s from u"), u"日本語");
}

TEST_F(SessionControlTest, CloseSessionRollsBackUncommittedWork) {
  login();
  ASSERT_EQ(run_startup_sql_text(s_, u"create table r (n number);\ninsert into r values (1);\ncommit;\n", {}), 0);
  ASSERT_EQ(run_startup_sql_text(s_, u"insert into r values (2);\n", {}), 0);
  close_session(&s_);
  EXPECT_EQ(s_, nullptr);
  login();
  EXPECT_EQ(value(u"select count(*) from r"), u"1");
}

TEST(NeedsReprepare, FollowsCodePageCharsetAndVersion) {
  struct Case {
    uint32_t cp;
    const char16_t* charset;
    const char16_t* version;
    bool expected;
  } cases[] = {
      {65001, u"AL32UTF8", u"10.2.0.4.0", true},   {65001, u"AL32UTF8", u"9.2.0.1", true},
      {65001, u"AL32UTF8", u"11.2.0.1.0", false},  {65001, u"SJIS", u"10.2.0.1", false},
      {65001, u"JA16SJIS", u"10.2.0.1", true},      {65001, u"EUCJP", u"9.0", false},
      {0, u"AL32UTF8", u"10.2.0.1", false},        {65001, u"AL32UTF8", u"Unknown", false},
  };
  for (const Case& c : cases)
    EXPECT_EQ(needs_reprepare(c.cp, c.charset, c.version), c.expected)
        << c.cp << " " << utf16_to_utf8(c.charset) << " " << utf16_to_utf8(c.version);
}

}  // namespace
}  // namespace kestrel
