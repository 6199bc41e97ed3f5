// The profile list and edit dialogs and the colour chooser, offscreen.
#include "app/connect_info_dlg.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>
#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>

#include "app/color_chooser.h"
#include "app/connect_info_edit_dlg.h"
#include "app/connect_info_participant.h"
#include "app/login_dlg.h"
#include "platform/utf16.h"
#include "support/scripted_ui.h"
#include "support/temp_dir.h"

namespace kestrel {
namespace {

using testing::ScriptedUi;

ConnectProfile profile(std::u16string user, std::u16string password) {
  ConnectProfile p;
  p.user = std::move(user);
  p.password = std::move(password);
  p.tns = u"/db";
  return p;
}

std::vector<std::u16string> users(const std::vector<ConnectProfile>& list) {
  std::vector<std::u16string> out;
  for (const ConnectProfile& p : list) out.push_back(p.user);
  return out;
}

void select_row(CConnectInfoDlg& dlg, int row) {
  QTreeWidgetItem* item = dlg.profile_list()->topLevelItem(row);
  dlg.profile_list()->setCurrentItem(item);
  item->setSelected(true);
}

TEST(ConnectInfoDlg, ButtonsEditTheListAndOnlyOkStoresIt) {
  MemorySettingsStore store, own;
  ASSERT_TRUE(save_profiles(store, {profile(u"A", u"a"), profile(u"B", u"b")}, nullptr));
  ScriptedUi ui;
  CConnectInfoDlg dlg(store, &own);
  ASSERT_EQ(dlg.profile_list()->topLevelItemCount(), 2);
  EXPECT_EQ(dlg.profile_list()->topLevelItem(0)->text(1), QStringLiteral("*****"));
  std::u16string next_user = u"C";
  int edits = 0;
  dlg.edit_profile = [&](ConnectProfile& p) {
    ++edits;
    p.user = next_user;
    return !next_user.empty();
  };

  dlg.profile_list()->clearSelection();
  for (QPushButton* b : {dlg.edit_button(), dlg.copy_button(), dlg.up_button(), dlg.down_button(),
                         dlg.delete_button()})
    EXPECT_FALSE(b->isEnabled()) << b->text().toStdString() << " needs a selected profile";
  EXPECT_TRUE(dlg.add_button()->isEnabled());

  dlg.add_button()->click();  // A B C
  EXPECT_TRUE(dlg.edit_button()->isEnabled()) << "the added profile is selected";
  select_row(dlg, 0);
  next_user = u"A2";
  dlg.edit_button()->click();  // A2 B C
  next_user = u"B2";
  select_row(dlg, 1);
  dlg.copy_button()->click();  // A2 B C B2
  EXPECT_EQ(dlg.profiles()[3].password, u"b") << "a copy starts from the selected profile";
  dlg.up_button()->click();    // A2 B B2 C
  select_row(dlg, 0);
  dlg.up_button()->click();    // first stays first
  dlg.down_button()->click();  // B A2 B2 C
  select_row(dlg, 3);
  dlg.delete_button()->click();  // B A2 B2
  next_user.clear();
  dlg.add_button()->click();  // the edit dialog cancelled: nothing added
  EXPECT_EQ(users(dlg.profiles()), (std::vector<std::u16string>{u"B", u"A2", u"B2"}));
  EXPECT_EQ(edits, 4);
  EXPECT_EQ(users(load_profiles(store).profiles), (std::vector<std::u16string>{u"A", u"B"}))
      << "nothing is stored before OK";

  dlg.accept();
  EXPECT_EQ(dlg.result(), QDialog::Accepted);
  ProfileList back = load_profiles(store);
  EXPECT_EQ(users(back.profiles), (std::vector<std::u16string>{u"B", u"A2", u"B2"}));
  EXPECT_EQ(back.profiles[1].password, u"a");
  EXPECT_GT(own.get_int(u"CONNECT_INFO_DLG", u"WIDTH", 0), 0);
  EXPECT_TRUE(ui.boxes.empty());
}

TEST(ConnectInfoDlg, CancelDiscardsAndAFailedSaveKeepsTheDialogAndTheEdits) {
  testing::TempDir dir;
  const auto file = dir.path() / "p.ini";
  {
    IniSettingsStore s(file, 0600);
    ASSERT_TRUE(save_profiles(s, {profile(u"A", u"a")}, nullptr));
  }
  IniSettingsStore store(file, 0600);
  ScriptedUi ui;
  {
    CConnectInfoDlg dlg(store, nullptr);
    select_row(dlg, 0);
    dlg.delete_button()->click();
    dlg.reject();
  }
  EXPECT_EQ(load_profiles(store).profiles.size(), 1u);

  CConnectInfoDlg dlg(store, nullptr);
  dlg.show();
  select_row(dlg, 0);
  dlg.delete_button()->click();
  ASSERT_EQ(::chmod(dir.path().c_str(), 0500), 0);  // the atomic replacement cannot be made
  if (::access(dir.path().c_str(), W_OK) == 0) {
    ::chmod(dir.path().c_str(), 0700);
    GTEST_SKIP() << "running with permissions that ignore modes";
  }
  dlg.accept();
  ::chmod(dir.path().c_str(), 0700);
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].title, u"Error");
  EXPECT_TRUE(dlg.isVisible()) << "the dialog stays open";
  EXPECT_TRUE(dlg.profiles().empty()) << "with the edits";
  EXPECT_EQ(load_profiles(store).profiles.size(), 1u) << "the old list is kept";
  dlg.accept();
  EXPECT_TRUE(load_profiles(store).profiles.empty());
}

TEST(ConnectInfoDlg, UndecodablePasswordsAreReportedOnce) {
  MemorySettingsStore store;
  store.write_int(u"CONNECT_INFO", u"COUNT", 1);
  store.write_int(u"CONNECT_INFO", u"ENCODE_VER", 2);
  store.write_string(u"CONNECT_INFO", u"USER-0", u"SCOTT");
  store.write_string(u"CONNECT_INFO", u"PASSWD-0", u"z!!");
  ScriptedUi ui;
  CConnectInfoDlg dlg(store, nullptr);
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(dlg.profile_list()->topLevelItemCount(), 1) << "the profile is kept";
  EXPECT_EQ(dlg.profile_list()->topLevelItem(0)->text(1), QString());
}

TEST(ConnectInfoEditDlg, FieldsEnablingAndRefusedPasswords) {
  ConnectProfile p = profile(u"SCOTT", u"TIGER");
  p.connect_mode = 2;
  p.grid_bg_color = 0x123456;
  ScriptedUi ui;
  CConnectInfoEditDlg dlg(p, nullptr);
  EXPECT_EQ(dlg.windowTitle(), QStringLiteral("ログイン情報の編集"));
  EXPECT_EQ(dlg.password_edit()->echoMode(), QLineEdit::Password);
  EXPECT_EQ(dlg.mode_combo()->currentText(), QStringLiteral("SYSDBA"));
  EXPECT_FALSE(dlg.grid_color_button()->isEnabled()) << "own colours are off";
  dlg.customize_check()->setChecked(true);
  EXPECT_TRUE(dlg.grid_color_button()->isEnabled());
  EXPECT_TRUE(dlg.text_color_button()->isEnabled());
  dlg.user_edit()->clear();
  EXPECT_FALSE(dlg.ok_button()->isEnabled());
  dlg.accept();
  EXPECT_NE(dlg.result(), QDialog::Accepted) << "OK does nothing without a user";
  dlg.user_edit()->setText(QStringLiteral("HR"));
  EXPECT_TRUE(dlg.ok_button()->isEnabled());

  dlg.password_edit()->setText(QStringLiteral("パス😀"));  // no Shift-JIS form
  dlg.accept();
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].text, kPasswordNotStorable);
  EXPECT_NE(dlg.result(), QDialog::Accepted);

  dlg.password_edit()->setText(QStringLiteral("ひみつ"));
  dlg.tns_edit()->setText(QStringLiteral("/other"));
  dlg.notes_edit()->setText(QStringLiteral("本番"));
  dlg.mode_combo()->setCurrentIndex(2);
  dlg.oci7_check()->setChecked(true);
  dlg.accept();
  ASSERT_EQ(dlg.result(), QDialog::Accepted);
  const ConnectProfile& out = dlg.profile();
  EXPECT_EQ(out.user, u"HR");
  EXPECT_EQ(out.password, u"ひみつ");
  EXPECT_EQ(out.tns, u"/other");
  EXPECT_EQ(out.notes, u"本番");
  EXPECT_EQ(out.connect_mode, 4);
  EXPECT_EQ(out.oci7, 1);
  EXPECT_EQ(out.customize, 1);
  EXPECT_EQ(out.grid_bg_color, 0x123456);
}

TEST(ColorChooser, OpensOnTheColourAndKeepsTheCustomColours) {
  MemorySettingsStore store;
  store.write_int(u"COLOR_DLG", u"CUSTOM_COLOR_03", 0x0000FF);
  EXPECT_EQ(qcolor_of(0x0000FF), QColor(255, 0, 0)) << "0x00BBGGRR";
  EXPECT_EQ(colorref_of(QColor(1, 2, 3)), 0x030201);

  CColorButton button(QStringLiteral("Gridの背景"), &store);
  button.set_color(0x00FF00);
  QColor seen;
  QColor custom3;
  QTimer::singleShot(0, [&] {
    auto* dlg = qobject_cast<QColorDialog*>(QApplication::activeModalWidget());
    if (!dlg) return;
    seen = dlg->currentColor();
    custom3 = QColorDialog::customColor(3);
    QColorDialog::setCustomColor(5, QColor(0x10, 0x20, 0x30));
    dlg->setCurrentColor(QColor(0x11, 0x22, 0x33));
    dlg->accept();
  });
  button.click();
  EXPECT_EQ(seen, QColor(0, 255, 0));
  EXPECT_EQ(custom3, QColor(255, 0, 0)) << "custom colours are read before the chooser opens";
  EXPECT_EQ(button.color(), 0x332211);
  EXPECT_EQ(store.get_int(u"COLOR_DLG", u"CUSTOM_COLOR_05", 0), 0x302010) << "and written on OK";
  EXPECT_EQ(store.get_int(u"COLOR_DLG", u"CUSTOM_COLOR_15", 0), 0xFFFFFF);

  QTimer::singleShot(0, [] {
    if (auto* dlg = qobject_cast<QColorDialog*>(QApplication::activeModalWidget())) dlg->reject();
  });
  button.click();
  EXPECT_EQ(button.color(), 0x332211) << "Cancel keeps the colour";
}

TEST(ConnectInfoParticipant, CarriesTheStoredProfilesUnchanged) {
  MemorySettingsStore from, to;
  // A version-1 list stays version 1 with its texts as stored.
  from.write_int(u"CONNECT_INFO", u"COUNT", 1);
  from.write_string(u"CONNECT_INFO", u"USER-0", u"SCOTT");
  const std::u16string v1 = u"A\u00AE\u00CD\u0094\u00FA\u00B1";
  from.write_string(u"CONNECT_INFO", u"PASSWD-0", v1);
  from.write_string(u"CONNECT_INFO", u"USER-CUR", u"HR");
  from.write_int(u"CONNECT_INFO", u"TNS_COMBO_LIST_CNT", 1);
  from.write_string(u"CONNECT_INFO", u"TNS_COMBO_LIST_STR_0", u"/db");
  from.write_int(u"COLOR_DLG", u"CUSTOM_COLOR_07", 0x123);
  from.write_int(u"LOGIN_DLG", u"C_TNS_WITDH", 99);
  // The new store held a longer list: its extra profiles must go.
  ASSERT_TRUE(save_profiles(to, {profile(u"X", u"x"), profile(u"Y", u"y")}, nullptr));

  ConnectInfoParticipant p;
  p.read_before_switch(from);
  ASSERT_TRUE(p.write_after_switch(to));
  ProfileList back = load_profiles(to);
  ASSERT_EQ(back.profiles.size(), 1u);
  EXPECT_EQ(back.encode_version, 1);
  EXPECT_EQ(back.profiles[0].password, u"TIGER");
  EXPECT_FALSE(to.contains(u"CONNECT_INFO", u"PASSWD-1"));
  EXPECT_EQ(to.get_string(u"CONNECT_INFO", u"USER-CUR", u""), u"HR");
  EXPECT_EQ(load_tns_list(to), std::vector<std::u16string>{u"/db"});
  EXPECT_EQ(to.get_int(u"COLOR_DLG", u"CUSTOM_COLOR_07", 0), 0x123);
  EXPECT_EQ(to.get_int(u"LOGIN_DLG", u"C_TNS_WITDH", 0), 99);
}

}  // namespace
}  // namespace kestrel
