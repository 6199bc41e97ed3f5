// Start-up and post-login wiring with the login area's hooks: PRELOAD as a
// process of its own, a missing client library, the UTF-8 switch with
// Japanese data, the completion loader's start and stop points, and start-up
// SQL files that are not what they should be.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QRegularExpression>
#include <QTimer>
#include <fstream>

#include "app/app_ids.h"
#include "app/area_hooks.h"
#include "app/completion_loader_seam.h"
#include "app/login_flow.h"
#include "app/main_frame.h"
#include "app/qt_text.h"
#include "app/tern_app.h"
#include "login_db.h"
#include "oci/oci_cursor.h"
#include "sqltext/completion_loader.h"
#include "sqltext/keyword_table.h"
#include "oci/oci_session.h"
#include "platform/client_text.h"
#include "platform/file_io.h"
#include "support/scripted_ui.h"
#include "support/shell_quote.h"

namespace kestrel {
namespace {

using testing::ScriptedUi;
using testing::shell_quote;

class StartupWiringTest : public testing::LoginDbTest {
 protected:
  void TearDown() override {
    std::filesystem::current_path(std::filesystem::temp_directory_path());  // the start-up moved into tmp_
    if (app_) app_->exit_instance();
    app_.reset();
    completion_loader_hooks() = {};
    LoginDbTest::TearDown();
  }
  CTernApp& make_app(std::vector<std::string> args) {
    args.insert(args.begin(), "kestrel");
    args_ = std::move(args);
    argv_.clear();
    for (auto& a : args_) argv_.push_back(a.data());
    argv_.push_back(nullptr);
    argc_ = static_cast<int>(args_.size());
    std::filesystem::create_directories(tmp_.path() / "program");
    app_ = std::make_unique<CTernApp>(argc_, argv_.data(), tmp_.path() / "program");
    install_login_hooks(*app_);
    return *app_;
  }
  std::string logon() const { return "LOGON=scott/TIGER@" + db_.string(); }

  std::vector<std::string> args_;
  std::vector<char*> argv_;
  int argc_ = 0;
  std::unique_ptr<CTernApp> app_;
};

// Runs the program with PRELOAD and no display; its exit status.
int run_preload(const std::filesystem::path& config, const std::string& library, const std::filesystem::path& err) {
  const std::string cmd = "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM XDG_CONFIG_HOME=" +
                          shell_quote(config.string()) + " OCI_LIBRARY=" + shell_quote(library) + " " +
                          shell_quote(KESTREL_TEST_PROGRAM) + " PRELOAD > /dev/null 2> " + shell_quote(err.string());
  const int status = std::system(cmd.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST_F(StartupWiringTest, PreloadRunsWithoutADisplayAndSaysHowItWent) {
  const auto config = tmp_.path() / "config";
  const auto err = tmp_.path() / "stderr.txt";
  EXPECT_EQ(run_preload(config, testing::from_env("KESTREL_TEST_OCILITE_LIB", KESTREL_TEST_OCILITE_LIB), err), 0);
  std::string text;
  read_file_bytes(err, text);
  EXPECT_EQ(text, "");
  EXPECT_FALSE(std::filesystem::exists(config / "BRANT" / "ORACLE" / "kestrel.ini"))
      << "PRELOAD writes no settings, no window placement";

  EXPECT_NE(run_preload(config, (tmp_.path() / "no-such-library.so").string(), err), 0);
  read_file_bytes(err, text);
  EXPECT_NE(text.find("kestrel: ERROR: "), std::string::npos) << "the load failure goes to standard error: " << text;
  EXPECT_FALSE(std::filesystem::exists(config / "BRANT" / "ORACLE" / "kestrel.ini"));
}

TEST_F(StartupWiringTest, WithoutTheLibraryTheProgramRunsWithoutALogin) {
  oci_unload_library();
  setenv("OCI_LIBRARY", (tmp_.path() / "no-such-library.so").c_str(), 1);
  CTernApp& app = make_app({logon()});
  ScriptedUi ui;
  ASSERT_TRUE(app.init_instance()) << "no login dialog, no cancel";
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].title, u"ERROR");
  EXPECT_FALSE(ui.boxes[0].text.empty());
  EXPECT_FALSE(app.client_library_loaded());
  EXPECT_EQ(app.connection().connected, 0);
  ASSERT_NE(app.main_frame(), nullptr);
  EXPECT_FALSE(app.main_frame()->action(cmd::kChangeConnection)->isEnabled());
}

TEST_F(StartupWiringTest, Utf8SwitchFollowsNlsUtf8AndJapaneseDataSurvivesBoth) {
  for (int utf8 : {1, 0}) {
    SCOPED_TRACE(utf8);
    reset();
    unsetenv("NLS_NCHAR");
    setenv("NLS_LANG", utf8 ? "AMERICAN_AMERICA.US7ASCII" : "JAPANESE_JAPAN.JA16SJISTILDE", 1);
    std::ofstream(tmp_.path() / "program" / "kestrel.ini")
        << "[APPLICATION]\nUSE_INI_FILE=1\n[UNICODE]\nNLS_UTF8=" << utf8 << "\n";
    ASSERT_TRUE(load_client_library({}, {}).loaded);
    CTernApp& app = make_app({logon()});
    ASSERT_TRUE(app.init_instance());
    EXPECT_EQ(program_code_page(), utf8 ? 65001u : 0u);
    EXPECT_STREQ(getenv("NLS_LANG"), utf8 ? "JAPANESE_JAPAN.AL32UTF8" : "JAPANESE_JAPAN.JA16SJISTILDE");
    OciSession* s = current_session();
    ASSERT_NE(s, nullptr);
    const std::u16string table = utf8 ? u"j1" : u"j0";
    ASSERT_EQ(run_startup_sql_text(s,
                                   u"create table " + table + u" (s varchar2(40));\ninsert into " + table +
                                       u" values ('日本語のデータ～');\n",
                                   {}),
              0);
    char16_t out[64] = {};
    ASSERT_EQ(oci_select_value(s, u"select s from " + table, out, sizeof out, nullptr), 0);
    EXPECT_EQ(std::u16string(out), u"日本語のデータ～");
    app_->exit_instance();
    app_.reset();
  }
}

TEST_F(StartupWiringTest, CompletionLoaderStartsWithTheLoginsValuesAndStopsBeforeEachLogout) {
  CTernApp& app = make_app({logon()});
  ScriptedUi ui;
  std::vector<std::string> log;
  std::vector<LoginValues> starts;
  completion_loader_hooks().start = [&](const LoginValues& v) {
    starts.push_back(v);
    log.push_back("start");
    return true;
  };
  completion_loader_hooks().stop_and_join = [&] {
    log.push_back(current_session() ? "stop (session still open)" : "stop (after logout)");
  };
  ASSERT_TRUE(app.init_instance());
  ASSERT_EQ(starts.size(), 1u);
  EXPECT_EQ(starts[0].user, u"scott") << "as typed, not the server's spelling";
  EXPECT_EQ(app.connection().user, u"SCOTT");
  EXPECT_EQ(starts[0].password, u"TIGER");
  EXPECT_EQ(starts[0].tns, tns());
  EXPECT_EQ(starts[0].connect_mode, 1);
  EXPECT_TRUE(QRegularExpression("^\\d{4}-\\d\\d-\\d\\d$").match(to_qstring(app.connection().server_date)).hasMatch())
      << "the session start reads the server's date";

  QTimer::singleShot(0, [this] {
    if (auto* dlg = qobject_cast<CLogin*>(QApplication::activeModalWidget())) {
      dlg->user_edit()->setText(QStringLiteral("SCOTT"));
      dlg->password_edit()->setText(QStringLiteral("TIGER"));
      dlg->tns_combo()->setEditText(to_qstring(tns()));
      dlg->accept();
    }
  });
  change_connection(app);
  app.exit_instance();
  EXPECT_EQ(log, (std::vector<std::string>{"start", "stop (session still open)", "start",
                                           "stop (session still open)"}));
  ASSERT_EQ(starts.size(), 2u);
  EXPECT_EQ(starts[1].user, u"SCOTT");
  EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(StartupWiringTest, TheLoaderPublishesTheSessionsWordsAgainAfterAChangeAndStopsAtExit) {
  CTernApp& app = make_app({logon()});
  ScriptedUi ui;
  ASSERT_TRUE(app.init_instance());
  CompletionLoader& loader = app_completion_loader();
  ASSERT_TRUE(loader.WaitFinished(std::chrono::seconds(30)));
  EXPECT_EQ(loader.GetStatus().state, CompletionLoader::State::kDone) << utf16_to_utf8(loader.GetStatus().message);
  ASSERT_EQ(run_startup_sql_text(current_session(), u"create table kestrel_words (zebra_column number);\n", {}), 0);

  QTimer::singleShot(0, [this] {
    if (auto* dlg = qobject_cast<CLogin*>(QApplication::activeModalWidget())) {
      dlg->user_edit()->setText(QStringLiteral("SCOTT"));
      dlg->password_edit()->setText(QStringLiteral("TIGER"));
      dlg->tns_combo()->setEditText(to_qstring(tns()));
      dlg->accept();
    }
  });
  change_connection(app);
  ASSERT_TRUE(loader.WaitFinished(std::chrono::seconds(30)));
  ASSERT_EQ(loader.GetStatus().state, CompletionLoader::State::kDone) << "a second load after the change";
  std::shared_ptr<const KeywordTable> words = loader.Words();
  ASSERT_NE(words, nullptr);
  EXPECT_GE(words->Find(u"ZEBRA_COLUMN"), 0) << "the new session's columns";

  // Exit right after another start: the loader is stopped and joined, never left running.
  CompletionLoginParams again;
  again.user = u"SCOTT";
  again.password = u"TIGER";
  again.connect = tns();
  ASSERT_TRUE(loader.Start(std::move(again)));
  app.exit_instance();
  EXPECT_FALSE(loader.Running());
  const CompletionLoader::State end = loader.GetStatus().state;
  EXPECT_TRUE(end == CompletionLoader::State::kStopped || end == CompletionLoader::State::kDone);
  EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(StartupWiringTest, ALoaderThatCannotStartEndsTheStartUp) {
  CTernApp& app = make_app({logon()});
  ScriptedUi ui;
  completion_loader_hooks().start = [](const LoginValues&) { return false; };
  EXPECT_FALSE(app.init_instance());
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].text, u"スレッド作成エラー");
  EXPECT_EQ(app.main_frame(), nullptr);
}

TEST_F(StartupWiringTest, StartupSqlFilesThatAreNotScriptsFailClearly) {
  CTernApp& app = make_app({logon()});
  ScriptedUi ui;
  ASSERT_TRUE(app.init_instance());
  OciSession* s = current_session();
  std::vector<std::u16string> errors;
  auto sink = [&](const std::u16string& m) { errors.push_back(m); };
  const auto dir = tmp_.path();
  // PL/SQL ends at its "/" line; the statement after it runs too.
  std::ofstream(dir / "plsql.sql") << "create table p (n number);\nbegin\n  insert into p values (1);\n  insert into p "
                                      "values (2);\nend;\n/\ninsert into p values (3);\n";
  EXPECT_EQ(run_startup_sql_file(s, dir / "plsql.sql", sink), 0);
  char16_t out[32] = {};
  ASSERT_EQ(oci_select_value(s, u"select count(*) from p", out, sizeof out, nullptr), 0);
  EXPECT_EQ(std::u16string(out), u"3");
  EXPECT_TRUE(errors.empty());
  // A binary file and an unterminated quote: an Oracle error, nothing else.
  std::ofstream(dir / "binary.sql", std::ios::binary) << std::string("\x00\x01\xff\xfe garbage;\x00", 16);
  EXPECT_EQ(run_startup_sql_file(s, dir / "binary.sql", sink), -1);
  std::ofstream(dir / "open.sql") << "insert into p values ('never closed);\n";
  EXPECT_EQ(run_startup_sql_file(s, dir / "open.sql", sink), -1);
  ASSERT_EQ(errors.size(), 2u);
  for (const std::u16string& e : errors) EXPECT_NE(e.find(u"ORA-"), std::u16string::npos) << utf16_to_utf8(e);
  ASSERT_EQ(oci_select_value(s, u"select count(*) from p", out, sizeof out, nullptr), 0);
  EXPECT_EQ(std::u16string(out), u"3");
}

}  // namespace
}  // namespace kestrel
