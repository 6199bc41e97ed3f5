// The options sheet: every control to its settings key and back, bad
// numbers, and what OK does to a running program against a fresh database.
#include "app/options_sheet.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTimer>
#include <optional>

#include "app/app_ids.h"
#include "app/area_hooks.h"
#include "app/color_chooser.h"
#include "app/connect_profile.h"
#include "app/file_type_registration.h"
#include "app/grid_option_page.h"
#include "app/main_frame.h"
#include "app/qt_text.h"
#include "app/tern_app.h"
#include "gridctrl/grid_ctrl.h"
#include "gridctrl/gridctrl_constants.h"
#include "login_db.h"
#include "oci/oci_cursor.h"
#include "platform/ini_file.h"
#include "support/scripted_ui.h"

namespace kestrel {
namespace {

using testing::ScriptedUi;

// The settings key of every check box on the two pages.
std::vector<std::u16string_view> flag_keys() {
  std::vector<std::u16string_view> keys;
  for (const SettingDef& d : settings_table())
    if (d.int_member && d.min == 0 && d.max == 1 && d.key != u"DATA_LOCK") keys.push_back(d.key);
  return keys;
}

const SettingDef& def_of(std::u16string_view key) {
  for (const SettingDef& d : settings_table())
    if (d.key == key) return d;
  ADD_FAILURE() << utf16_to_utf8(key);
  return settings_table()[0];
}

TEST(OptionsSheet, EveryControlReachesItsKeyAndComesBack) {
  OptionValues start;
  COptionsSheet sheet(start, {}, nullptr);
  const std::vector<std::u16string_view> flags = flag_keys();
  ASSERT_EQ(flags.size(), 9u + 13u) << "seven SETUP, two UNICODE and thirteen GRID switches";
  for (std::u16string_view key : flags) {
    auto* box = sheet.findChild<QCheckBox*>(to_qstring(key));
    ASSERT_NE(box, nullptr) << utf16_to_utf8(key);
    EXPECT_EQ(box->isChecked(), start.settings.*def_of(key).int_member == 1) << utf16_to_utf8(key);
    box->setChecked(!box->isChecked());
  }
  sheet.findChild<QCheckBox*>(QStringLiteral("USE_INI_FILE"))->setChecked(true);
  sheet.findChild<QCheckBox*>(QStringLiteral("FILE_TYPE"))->setChecked(true);
  const struct {
    const char* key;
    const char* text;
  } texts[] = {{"INITIAL_DIR", "/home/u/データ"},      {"STARTUP_SQL_FILE", "/home/u/start.sql"},
               {"OCI_PATH_64", "/opt/oracle"},         {"TNS_ADMIN", "/opt/tns"},
               {"NLS_DATE_FORMAT", "YYYY/MM/DD"},      {"NLS_TIMESTAMP_FORMAT", "YYYY/MM/DD HH24:MI:SSXFF"},
               {"NLS_TIMESTAMP_TZ_FORMAT", "TZ"},      {"TIMEZONE", "Asia/Tokyo"},
               {"NLS_DATE_LANGUAGE", "AMERICAN"},      {"LONG_READ_BUF_SIZE", "20000000"},
               {"CLOB_READ_BUF_SIZE", "-5"},           {"ADJUST_MIN_COL_CHARS", "12"},
               {"CELL_PADDING_TOP", "3"},              {"CELL_PADDING_BOTTOM", "4"},
               {"CELL_PADDING_LEFT", "5"},             {"CELL_PADDING_RIGHT", "6"},
               {"NULL_TEXT", "(null)"}};
  for (const auto& t : texts) {
    const QString name = QString::fromUtf8(t.key);
    if (auto* c = sheet.findChild<QComboBox*>(name))
      c->setEditText(QString::fromUtf8(t.text));
    else if (auto* e = sheet.findChild<QLineEdit*>(name))
      e->setText(QString::fromUtf8(t.text));
    else
      ADD_FAILURE() << t.key;
  }
  int32_t colour = 0x010203;
  int colours = 0;
  for (const SettingDef& d : settings_table()) {
    if (d.max != 0xFFFFFF || d.key == u"GRID_UNEDITABLE_COLOR") continue;
    auto* b = sheet.findChild<CColorButton*>(to_qstring(d.key));
    ASSERT_NE(b, nullptr) << utf16_to_utf8(d.key);
    b->set_color(++colour);
    ++colours;
  }
  EXPECT_EQ(colours, 13);

  sheet.accept();
  ASSERT_EQ(sheet.result(), QDialog::Accepted);
  const OptionValues& v = sheet.values();
  MemorySettingsStore store;
  ASSERT_TRUE(v.settings.save(store));
  for (std::u16string_view key : flags)
    EXPECT_EQ(store.get_int(def_of(key).section, key, -1), start.settings.*def_of(key).int_member == 1 ? 0 : 1)
        << utf16_to_utf8(key);
  for (const auto& t : texts) {
    const SettingDef& d = def_of(utf8_to_utf16(t.key));
    EXPECT_EQ(utf16_to_utf8(store.get_string(d.section, d.key, u"?")), t.text) << t.key;
  }
  colour = 0x010203;
  for (const SettingDef& d : settings_table()) {
    if (d.max != 0xFFFFFF || d.key == u"GRID_UNEDITABLE_COLOR") continue;
    EXPECT_EQ(store.get_int(u"GRID", d.key, 0), ++colour) << utf16_to_utf8(d.key);
  }
  EXPECT_TRUE(v.ini_mode);
  EXPECT_TRUE(v.file_type);
  EXPECT_EQ(v.settings.LONG_READ_BUF_SIZE, 20000000) << "read sizes are kept as entered";

  // And back: a sheet made from these values shows them.
  COptionsSheet again(v, {}, nullptr);
  for (std::u16string_view key : flags)
    EXPECT_EQ(again.findChild<QCheckBox*>(to_qstring(key))->isChecked(), v.settings.*def_of(key).int_member == 1);
  EXPECT_EQ(again.findChild<QLineEdit*>("LONG_READ_BUF_SIZE")->text(), QStringLiteral("16777216"))
      << "shown clamped";
  EXPECT_EQ(again.findChild<QLineEdit*>("CLOB_READ_BUF_SIZE")->text(), QStringLiteral("1"));
  EXPECT_EQ(again.findChild<QComboBox*>("TIMEZONE")->currentText(), QStringLiteral("Asia/Tokyo"));
  EXPECT_TRUE(again.findChild<QCheckBox*>("USE_INI_FILE")->isChecked());
}

TEST(OptionsSheet, NumberFieldsRefuseWhatIsNoNumber) {
  ScriptedUi ui;
  OptionValues start;
  COptionsSheet sheet(start, {}, nullptr);
  const struct {
    const char* key;
    const char* text;
    int page;
  } bad[] = {{"LONG_READ_BUF_SIZE", "abc", 0}, {"CLOB_READ_BUF_SIZE", "", 0},
             {"CELL_PADDING_LEFT", "12x", 1},  {"ADJUST_MIN_COL_CHARS", "1001", 1},
             {"CELL_PADDING_TOP", "-1", 1},    {"LONG_READ_BUF_SIZE", "99999999999", 0}};
  for (const auto& b : bad) {
    auto* e = sheet.findChild<QLineEdit*>(QString::fromUtf8(b.key));
    const QString old = e->text();
    e->setText(QString::fromUtf8(b.text));
    sheet.tabs()->setCurrentIndex(1 - b.page);
    const std::size_t boxes = ui.boxes.size();
    sheet.accept();
    EXPECT_NE(sheet.result(), QDialog::Accepted) << b.key;
    ASSERT_EQ(ui.boxes.size(), boxes + 1) << b.key;
    EXPECT_EQ(ui.boxes.back().title, u"Error");
    EXPECT_EQ(sheet.tabs()->currentIndex(), b.page) << "the sheet turns to the field's page: " << b.key;
    e->setText(old);
  }
  sheet.accept();
  EXPECT_EQ(sheet.result(), QDialog::Accepted);
  EXPECT_EQ(parse_option_int(u" 42 "), 42);
  EXPECT_EQ(parse_option_int(u"-2147483648"), INT32_MIN);
  EXPECT_EQ(parse_option_int(u"2147483648"), std::nullopt);
  EXPECT_EQ(parse_option_int(u"4 2"), std::nullopt);
}

TEST(OptionsSheet, PreviewGridFollowsThePage) {
  OptionValues start;
  COptionsSheet sheet(start, {}, nullptr);
  CGridCtrl* preview = sheet.grid_page()->preview();
  ASSERT_NE(preview, nullptr);
  EXPECT_EQ(preview->GetStyle() & gridctrl::kPreviewStyle, gridctrl::kPreviewStyle);
  EXPECT_FALSE(preview->GetStyle() & gridctrl::kStyleShowTab);
  sheet.findChild<QCheckBox*>("SHOW_TAB")->setChecked(true);
  EXPECT_TRUE(preview->GetStyle() & gridctrl::kStyleShowTab);
  EXPECT_EQ(preview->GetGridData()->GetColCnt(), 3);
}

// The options sheet applied to a running program.
class OptionsApplyTest : public testing::LoginDbTest {
 protected:
  void SetUp() override {
    LoginDbTest::SetUp();
    setenv("XDG_DATA_HOME", (tmp_.path() / "data").c_str(), 1);
    std::filesystem::create_directories(tmp_.path() / "program");
    args_ = {"kestrel", "LOGON=SCOTT/TIGER@" + db_.string()};
    argv_ = {args_[0].data(), args_[1].data(), nullptr};
    argc_ = 2;
    app_ = std::make_unique<CTernApp>(argc_, argv_.data(), tmp_.path() / "program");
    install_login_hooks(*app_);
    app_->hooks().update_views = [this](int hint, const void*) { hints_.push_back(hint); };
    ASSERT_TRUE(app_->init_instance());
  }
  void TearDown() override {
    if (app_) app_->exit_instance();
    app_.reset();
    std::filesystem::current_path(std::filesystem::temp_directory_path());  // the start-up moved into tmp_
    unsetenv("XDG_DATA_HOME");
    LoginDbTest::TearDown();
  }
  std::vector<std::string> args_;
  std::vector<char*> argv_;
  int argc_ = 0;
  std::unique_ptr<CTernApp> app_;
  std::vector<int> hints_;
};

TEST_F(OptionsApplyTest, OkAppliesTheSessionRestartFileTypePanesAndViews) {
  ScriptedUi ui;
  OptionValues before = current_options(*app_);
  EXPECT_FALSE(before.file_type);
  EXPECT_FALSE(before.ini_mode);
  OptionValues after = before;
  after.settings.NLS_DATE_FORMAT = u"YYYY/MM/DD";
  after.settings.END_KEY_LIKE_EXCEL = 1;
  after.file_type = true;
  apply_options(*app_, before, after);
  EXPECT_TRUE(ui.boxes.empty()) << "no restart needed";
  EXPECT_EQ(hints_, std::vector<int>{hint::kSettingsChanged});
  EXPECT_EQ(app_->main_frame()->pane_ids().size(), 7u) << "the END pane";
  char16_t out[64] = {};
  ASSERT_EQ(oci_select_value(current_session(),
                             u"select value from nls_session_parameters where parameter = 'NLS_DATE_FORMAT'", out,
                             sizeof out, nullptr),
            0);
  EXPECT_EQ(std::u16string(out), u"YYYY/MM/DD") << "the session follows at once";
  EXPECT_TRUE(file_type_registered());
  const FileTypeFiles files = file_type_files();
  EXPECT_EQ(files.desktop.parent_path(), tmp_.path() / "data" / "applications");
  IniFile saved;
  saved.load(user_settings_file(kCompanyKey, kAppName));
  EXPECT_EQ(saved.get_string(u"SESSION", u"NLS_DATE_FORMAT", u""), u"YYYY/MM/DD") << "saved";

  before = current_options(*app_);
  EXPECT_TRUE(before.file_type);
  after = before;
  after.settings.OCI_PATH_64 = u"/opt/oracle";
  after.file_type = false;
  apply_options(*app_, before, after);
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].text, kRestartNeeded);
  EXPECT_EQ(ui.boxes[0].title, u"Message");
  EXPECT_FALSE(file_type_registered());
  EXPECT_FALSE(std::filesystem::exists(files.desktop));

  before = current_options(*app_);
  apply_options(*app_, before, before);
  EXPECT_EQ(ui.boxes.size(), 1u) << "the same library folder again needs no restart";
}

TEST_F(OptionsApplyTest, StoreSwitchCarriesEverythingBothWaysAndARefusalKeepsTheOldStore) {
  ScriptedUi ui;
  ASSERT_TRUE(save_profiles(app_->settings_store().store(), {ConnectProfile{u"HR", u"/db", u"hr", 1, 0, u"", 0, 0xFFFFFF, 0xFFFFFF}}, nullptr));
  OptionValues before = current_options(*app_);
  OptionValues after = before;
  after.ini_mode = true;
  after.settings.NULL_TEXT = u"<NULL>";
  apply_options(*app_, before, after);
  EXPECT_TRUE(ui.boxes.empty());
  ASSERT_TRUE(app_->settings_store().ini_mode());
  const auto ini_file = tmp_.path() / "program" / "kestrel.ini";
  IniFile ini;
  ini.load(ini_file);
  EXPECT_EQ(ini.get_int(u"APPLICATION", u"USE_INI_FILE", 0), 1);
  EXPECT_EQ(ini.get_string(u"GRID", u"NULL_TEXT", u""), u"<NULL>");
  EXPECT_EQ(ini.get_string(u"FONT_U", u"FACENAME", u""), app_->settings().font.FACENAME);
  EXPECT_EQ(ini.get_string(u"CONNECT_INFO", u"TNS-CUR", u"?"), u"?") << "no login dialog ran";
  ProfileList carried = load_profiles(app_->settings_store().store());
  ASSERT_EQ(carried.profiles.size(), 1u);
  EXPECT_EQ(carried.profiles[0].password, u"hr");
  struct stat st {};
  ASSERT_EQ(::stat(ini_file.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u) << "it holds passwords";

  // Back to the per-user store.
  before = current_options(*app_);
  after = before;
  after.ini_mode = false;
  apply_options(*app_, before, after);
  EXPECT_FALSE(app_->settings_store().ini_mode());
  ini.load(ini_file);
  EXPECT_EQ(ini.get_int(u"APPLICATION", u"USE_INI_FILE", 1), 0) << "the INI file no longer chooses itself";
  EXPECT_EQ(load_profiles(app_->settings_store().store()).profiles.size(), 1u);

  // A program folder that cannot be written: refused, the old store stays.
  std::filesystem::remove(ini_file);
  ASSERT_EQ(::chmod((tmp_.path() / "program").c_str(), 0500), 0);
  if (::access((tmp_.path() / "program").c_str(), W_OK) == 0) {
    ::chmod((tmp_.path() / "program").c_str(), 0700);
    GTEST_SKIP() << "running with permissions that ignore modes";
  }
  before = current_options(*app_);
  after = before;
  after.ini_mode = true;
  after.settings.NULL_TEXT = u"kept";
  apply_options(*app_, before, after);
  ::chmod((tmp_.path() / "program").c_str(), 0700);
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].title, u"ERROR");
  EXPECT_FALSE(app_->settings_store().ini_mode());
  IniFile user;
  user.load(user_settings_file(kCompanyKey, kAppName));
  EXPECT_EQ(user.get_string(u"GRID", u"NULL_TEXT", u""), u"kept") << "the change is not lost";
}

TEST_F(OptionsApplyTest, TheSheetShowsTheServerDateInTheChosenFormat) {
  QString sample, year;
  QTimer::singleShot(0, [&] {
    auto* sheet = qobject_cast<COptionsSheet*>(QApplication::activeModalWidget());
    if (!sheet) return;
    sample = sheet->setup_page()->date_sample_text();
    sheet->findChild<QComboBox*>("NLS_DATE_FORMAT")->setEditText(QStringLiteral("YYYY"));
    year = sheet->setup_page()->date_sample_text();
    sheet->reject();
  });
  app_->main_frame()->action(cmd::kOptions)->trigger();
  EXPECT_TRUE(QRegularExpression("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d$").match(sample).hasMatch())
      << sample.toStdString();
  EXPECT_TRUE(QRegularExpression("^\\d{4}$").match(year).hasMatch()) << year.toStdString();
  EXPECT_TRUE(hints_.empty()) << "Cancel applies nothing";
}

}  // namespace
}  // namespace kestrel
