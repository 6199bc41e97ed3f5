// The login dialog and the login flow, offscreen, against a fresh database.
#include "support/qt_environment.h"
#include "app/login_dlg.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <memory>

#include "app/area_hooks.h"
#include "app/connect_info_dlg.h"
#include "app/login_flow.h"
#include "app/main_frame.h"
#include "app/tern_app.h"
#include "app/qt_text.h"
#include "login_db.h"
#include "oci/oci_cursor.h"
#include "oci/oci_session.h"
#include "platform/settings_store.h"
#include "support/scripted_ui.h"

namespace kestrel {
namespace {

using testing::LoginDbTest;
using testing::ScriptedUi;

const auto* const g_qt = ::testing::AddGlobalTestEnvironment(new testing::QtEnvironment("app_login_tests"));

class LoginDlgTest : public LoginDbTest {
 protected:
  LoginValues prefill() const {
    LoginValues v;
    v.user = u"SCOTT";
    v.tns = tns();
    return v;
  }
  MemorySettingsStore store_;
  ScriptedUi ui_;
};

TEST_F(LoginDlgTest, OkLogsInAndRemembersTheTnsName) {
  store_.write_int(u"CONNECT_INFO", u"TNS_COMBO_LIST_CNT", 2);
  store_.write_string(u"CONNECT_INFO", u"TNS_COMBO_LIST_STR_0", u"zzz");
  store_.write_string(u"CONNECT_INFO", u"TNS_COMBO_LIST_STR_1", u"");
  CLogin dlg(kLoginStartup, prefill(), store_);
  EXPECT_EQ(dlg.windowTitle().left(18), QStringLiteral("Kestrel Login Ver."));
  EXPECT_TRUE(dlg.windowTitle().endsWith(QStringLiteral("(64bit) Login")));
  EXPECT_EQ(dlg.tns_combo()->count(), 1) << "empty entries are skipped";
  dlg.password_edit()->setText(QStringLiteral("TIGER"));
  dlg.ok_button()->click();
  EXPECT_EQ(dlg.result(), QDialog::Accepted);
  EXPECT_TRUE(ui_.boxes.empty());
  OciSession* s = dlg.take_session();
  ASSERT_NE(s, nullptr);
  close_session(&s);
  EXPECT_EQ(dlg.values().user, u"SCOTT");
  EXPECT_EQ(dlg.values().password, u"TIGER");
  const std::vector<std::u16string> list = load_tns_list(store_);
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(list[0], tns()) << "sorted by character code";
  EXPECT_EQ(list[1], u"zzz");
  EXPECT_TRUE(remember_tns(store_, tns()));
  EXPECT_EQ(load_tns_list(store_).size(), 2u) << "a known name is not added twice";
}

TEST_F(LoginDlgTest, WrongPasswordShowsTheErrorAndKeepsTheDialogOpen) {
  CLogin dlg(kLoginStartup, prefill(), store_);
  dlg.show();
  dlg.activateWindow();
  dlg.password_edit()->setText(QStringLiteral("WRONG"));
  dlg.password_edit()->setFocus();
  dlg.accept();
  ASSERT_EQ(ui_.boxes.size(), 1u);
  EXPECT_EQ(ui_.boxes[0].title, u"Error");
  EXPECT_NE(ui_.boxes[0].text.find(u"ORA-01017"), std::u16string::npos);
  EXPECT_EQ(dlg.take_session(), nullptr);
  EXPECT_TRUE(dlg.isVisible());
  EXPECT_TRUE(load_tns_list(store_).empty());
}

TEST_F(LoginDlgTest, ExpiringPasswordWarnsAndLogsInWhileSysdbaWithoutThePrivilegeIsRefused) {
  ASSERT_EQ(ocilite("user add " + testing::shell_quote(db_.string()) + " OLD OLDPW --expires=3"), 0);
  {
    LoginValues v = prefill();
    v.user = u"OLD";
    CLogin dlg(kLoginStartup, v, store_);
    dlg.password_edit()->setText(QStringLiteral("OLDPW"));
    dlg.accept();
    ASSERT_EQ(ui_.boxes.size(), 1u);
    EXPECT_EQ(ui_.boxes[0].title, u"Message");
    EXPECT_NE(ui_.boxes[0].text.find(u"ORA-28002"), std::u16string::npos) << utf16_to_utf8(ui_.boxes[0].text);
    OciSession* s = dlg.take_session();
    ASSERT_NE(s, nullptr) << "the warning does not stop the login";
    close_session(&s);
  }
  CLogin dlg(kLoginStartup, prefill(), store_);
  dlg.show();
  dlg.mode_combo()->setCurrentIndex(1);
  dlg.password_edit()->setText(QStringLiteral("TIGER"));
  dlg.accept();
  ASSERT_EQ(ui_.boxes.size(), 2u);
  EXPECT_EQ(ui_.boxes[1].title, u"Error");
  EXPECT_NE(ui_.boxes[1].text.find(u"ORA-01031"), std::u16string::npos) << utf16_to_utf8(ui_.boxes[1].text);
  EXPECT_EQ(dlg.take_session(), nullptr);
  EXPECT_TRUE(dlg.isVisible());
}

TEST_F(LoginDlgTest, ModeAndOci7ArePrefilledAndRead) {
  LoginValues v = prefill();
  v.connect_mode = 4;
  v.oci7 = true;
  CLogin dlg(kLoginChange, v, store_);
  EXPECT_EQ(dlg.mode_combo()->currentText(), QStringLiteral("SYSOPER"));
  EXPECT_TRUE(dlg.oci7_check()->isChecked());
  dlg.mode_combo()->setCurrentIndex(0);
  dlg.password_edit()->setText(QStringLiteral("TIGER"));
  dlg.accept();
  OciSession* s = dlg.take_session();
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(s->lda_mode, 1);
  close_session(&s);
  EXPECT_EQ(dlg.values().connect_mode, 1);
  EXPECT_TRUE(dlg.values().oci7);
}

TEST_F(LoginDlgTest, AddedProfileIsListedFilteredAndFillsTheFields) {
  CLogin dlg(kLoginStartup, prefill(), store_);
  dlg.password_edit()->setText(QStringLiteral("TIGER"));
  dlg.add_profile_button()->click();
  EXPECT_TRUE(ui_.boxes.empty());
  ASSERT_EQ(dlg.profile_list()->topLevelItemCount(), 1);
  EXPECT_EQ(dlg.profile_list()->topLevelItem(0)->text(1), QStringLiteral("*****"));
  ProfileList stored = load_profiles(store_);
  ASSERT_EQ(stored.profiles.size(), 1u);
  EXPECT_EQ(stored.profiles[0].password, u"TIGER");
  dlg.filter_combo()->setEditText(QStringLiteral("nobody"));
  EXPECT_EQ(dlg.profile_list()->topLevelItemCount(), 0);
  dlg.filter_combo()->setEditText(QStringLiteral("scott"));
  ASSERT_EQ(dlg.profile_list()->topLevelItemCount(), 1);
  dlg.user_edit()->clear();
  dlg.password_edit()->clear();
  dlg.profile_list()->setCurrentItem(dlg.profile_list()->topLevelItem(0));
  EXPECT_EQ(dlg.user_edit()->text(), QStringLiteral("SCOTT"));
  EXPECT_EQ(dlg.password_edit()->text(), QStringLiteral("TIGER"));
  dlg.accept();
  OciSession* s = dlg.take_session();
  ASSERT_NE(s, nullptr);
  close_session(&s);
}

TEST_F(LoginDlgTest, ArrowKeysInTheFieldsWalkTheProfilesAndTheProfileButtonEditsThem) {
  ConnectProfile a{u"A", u"/a", u"pa", 1, 0, u"", 0, 0xFFFFFF, 0xFFFFFF};
  ConnectProfile b{u"B", u"/b", u"pb", 2, 0, u"", 0, 0xFFFFFF, 0xFFFFFF};
  ASSERT_TRUE(save_profiles(store_, {a, b}, nullptr));
  CLogin dlg(kLoginStartup, prefill(), store_);
  auto press = [](QWidget* w, int key) {
    QKeyEvent ev(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(w, &ev);
  };
  press(dlg.user_edit(), Qt::Key_Down);
  EXPECT_EQ(dlg.user_edit()->text(), QStringLiteral("A"));
  press(dlg.password_edit(), Qt::Key_Down);
  EXPECT_EQ(dlg.user_edit()->text(), QStringLiteral("B"));
  EXPECT_EQ(dlg.password_edit()->text(), QStringLiteral("pb"));
  press(dlg.user_edit(), Qt::Key_Down);
  EXPECT_EQ(dlg.user_edit()->text(), QStringLiteral("B")) << "the last stays selected";
  press(dlg.user_edit(), Qt::Key_Up);
  EXPECT_EQ(dlg.user_edit()->text(), QStringLiteral("A"));

  EXPECT_EQ(dlg.profiles_button()->text(), QStringLiteral("ログイン情報の設定"));
  bool seen = false;
  QTimer::singleShot(0, [&] {
    auto* list = qobject_cast<CConnectInfoDlg*>(QApplication::activeModalWidget());
    if (!list) return;
    seen = true;
    QTreeWidgetItem* first = list->profile_list()->topLevelItem(0);
    list->profile_list()->setCurrentItem(first);
    first->setSelected(true);
    list->delete_button()->click();
    list->accept();
  });
  dlg.profiles_button()->click();
  EXPECT_TRUE(seen);
  ASSERT_EQ(dlg.profile_list()->topLevelItemCount(), 1) << "the login list shows the edited profiles";
  EXPECT_EQ(dlg.profile_list()->topLevelItem(0)->text(0), QStringLiteral("B"));
  EXPECT_EQ(load_profiles(store_).profiles.size(), 1u);
}

TEST_F(LoginDlgTest, SizeAndColumnWidthsAreKept) {
  MemorySettingsStore own;
  own.write_int(u"LOGIN_DLG", u"WIDTH", 100);
  own.write_int(u"LOGIN_DLG", u"HEIGHT", 700);
  own.write_int(u"LOGIN_DLG", u"C_TNS_WITDH", 5);
  own.write_int(u"LOGIN_DLG", u"C_NOTES_WIDTH", 150);
  {
    CLogin dlg(kLoginStartup, prefill(), store_, &own);
    EXPECT_EQ(dlg.width(), 350) << "never narrower than 350";
    EXPECT_EQ(dlg.height(), 700);
    EXPECT_LT(dlg.profile_list()->columnWidth(2), 40) << "a stored width below 20 becomes the minimum";
    EXPECT_EQ(dlg.profile_list()->columnWidth(5), 150);
    dlg.profile_list()->setColumnWidth(0, 123);
    dlg.reject();
  }
  EXPECT_EQ(own.get_int(u"LOGIN_DLG", u"C_USER_WITDH", 0), 123);
  EXPECT_EQ(own.get_int(u"LOGIN_DLG", u"HEIGHT", 0), 700);
}

TEST_F(LoginDlgTest, FilterHistoryCommandsAndSaveOnClose) {
  const auto user_file = tmp_.path() / "cfg" / "login_filter.txt";
  {
    CLogin dlg(kLoginStartup, prefill(), store_);
    dlg.set_filter_history_files(user_file, tmp_.path() / "no-seed.txt");
    dlg.filter_combo()->setEditText(QStringLiteral("scott"));
    dlg.run_filter_command(kFilterAddToList);
    dlg.filter_combo()->setEditText(QStringLiteral("hr"));
    dlg.run_filter_command(kFilterAddToList);
    EXPECT_EQ(dlg.filter_history(), (std::vector<std::u16string>{u"hr", u"scott"}));
    EXPECT_EQ(dlg.filter_combo()->count(), 2);
    dlg.run_filter_command(kFilterRemoveFromList);
    EXPECT_EQ(dlg.filter_history(), (std::vector<std::u16string>{u"scott"}));
    dlg.run_filter_command(kFilterClear);
    EXPECT_TRUE(dlg.filter_combo()->currentText().isEmpty());
    dlg.reject();
  }
  CLogin again(kLoginStartup, prefill(), store_);
  again.set_filter_history_files(user_file, {});
  EXPECT_EQ(again.filter_history(), (std::vector<std::u16string>{u"scott"}));
  again.set_filter_history_files({}, {});
}

TEST_F(LoginDlgTest, CancelOpensNothing) {
  CLogin dlg(kLoginStartup, prefill(), store_);
  dlg.password_edit()->setText(QStringLiteral("TIGER"));
  dlg.reject();
  EXPECT_EQ(dlg.result(), QDialog::Rejected);
  EXPECT_EQ(dlg.take_session(), nullptr);
}

TEST_F(LoginDlgTest, LastLoginKeysRoundTrip) {
  LoginValues v{u"HR", u"secret", u"/db", 2, true};
  ASSERT_TRUE(save_last_login(store_, v));
  LoginValues back = load_last_login(store_);
  EXPECT_EQ(back.user, u"HR");
  EXPECT_EQ(back.tns, u"/db");
  EXPECT_EQ(back.connect_mode, 2);
  EXPECT_TRUE(back.oci7);
  EXPECT_TRUE(back.password.empty()) << "the password is never stored with the last login";
  CurrentConnection conn;
  make_current(conn, nullptr, v);
  EXPECT_EQ(conn.connected, 0);
}

// The whole start-up of the program with the login hooks installed.
class StartupTest : public LoginDbTest {
 protected:
  void SetUp() override {
    LoginDbTest::SetUp();
    setenv("XDG_CONFIG_HOME", (tmp_.path() / "config").c_str(), 1);
  }
  void TearDown() override {
    std::filesystem::current_path(std::filesystem::temp_directory_path());  // the start-up moved into tmp_
    unsetenv("XDG_CONFIG_HOME");
    LoginDbTest::TearDown();
  }
  std::unique_ptr<CTernApp> make_app(const std::string& arg) {
    args_ = {"kestrel", arg};
    argv_ = {args_[0].data(), args_[1].data(), nullptr};
    argc_ = 2;
    auto app = std::make_unique<CTernApp>(argc_, argv_.data(), tmp_.path());
    install_login_hooks(*app);
    return app;
  }
  std::vector<std::string> args_;
  std::vector<char*> argv_;
  int argc_ = 0;
};

TEST_F(StartupTest, LogonOpensTheMainWindowWithoutTheDialog) {
  auto app = make_app("LOGON=SCOTT/TIGER@" + db_.string());
  ScriptedUi ui;
  ASSERT_TRUE(app->init_instance());
  EXPECT_TRUE(ui.boxes.empty());
  EXPECT_EQ(app->connection().connected, 1);
  EXPECT_NE(current_session(), nullptr);
  ASSERT_NE(app->main_frame(), nullptr);
  EXPECT_TRUE(app->main_frame()->windowTitle().startsWith(QStringLiteral("SCOTT@")));
  app->exit_instance();
  EXPECT_EQ(current_session(), nullptr);
  EXPECT_EQ(app->connection().connected, 0);
}

TEST_F(StartupTest, FailedLogonShowsTheErrorThenTheDialog) {
  auto app = make_app("LOGON=SCOTT/WRONG@" + db_.string());
  ScriptedUi ui;
  bool dialog_seen = false;
  QTimer::singleShot(0, [&] {
    if (auto* dlg = qobject_cast<CLogin*>(QApplication::activeModalWidget())) {
      dialog_seen = true;
      dlg->reject();
    }
  });
  EXPECT_FALSE(app->init_instance()) << "Cancel at start-up ends the program";
  EXPECT_TRUE(dialog_seen);
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].title, u"Message");
  EXPECT_NE(ui.boxes[0].text.find(u"ORA-01017"), std::u16string::npos);
  app->exit_instance();
}

TEST_F(StartupTest, ChangeOfConnectionRollsBackTheOldSessionAndCancelKeepsIt) {
  auto app = make_app("LOGON=SCOTT/TIGER@" + db_.string());
  ScriptedUi ui;
  std::vector<int> hints;
  app->hooks().update_views = [&](int hint, const void*) { hints.push_back(hint); };
  ASSERT_TRUE(app->init_instance());
  OciSession* old = current_session();
  ASSERT_EQ(run_startup_sql_text(old, u"create table c (n number);\ninsert into c values (1);\n", {}), 0);

  QTimer::singleShot(0, [] {
    if (auto* dlg = qobject_cast<CLogin*>(QApplication::activeModalWidget())) dlg->reject();
  });
  change_connection(*app);
  EXPECT_EQ(current_session(), old) << "Cancel keeps the old session";
  EXPECT_TRUE(hints.empty());

  QTimer::singleShot(0, [this] {
    if (auto* dlg = qobject_cast<CLogin*>(QApplication::activeModalWidget())) {
      dlg->user_edit()->setText(QStringLiteral("SCOTT"));
      dlg->password_edit()->setText(QStringLiteral("TIGER"));
      dlg->tns_combo()->setEditText(to_qstring(tns()));
      dlg->accept();
    }
  });
  change_connection(*app);
  ASSERT_NE(current_session(), nullptr);
  EXPECT_EQ(app->connection().connected, 1);
  EXPECT_EQ(hints, (std::vector<int>{1010, 1020, 1021})) << "disconnect, then the change";
  char16_t out[32] = {};
  ASSERT_EQ(oci_select_value(current_session(), u"select count(*) from c", out, sizeof out, nullptr), 0);
  EXPECT_EQ(std::u16string(out), u"0") << "the old session's insert was rolled back";
  app->exit_instance();
}

}  // namespace
}  // namespace kestrel
