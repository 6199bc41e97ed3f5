// Pictures of the login area's dialogs for a person to look at: written only
// when KESTREL_SCREENSHOT_DIR names a folder (run under Xvfb for real
// windows), skipped otherwise.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <QApplication>
#include <QLineEdit>
#include <QTabWidget>
#include <QTreeWidget>
#include <filesystem>

#include "app/connect_info_dlg.h"
#include "app/connect_info_edit_dlg.h"
#include "app/login_dlg.h"
#include "app/options_sheet.h"
#include "platform/settings_store.h"

namespace kestrel {
namespace {

void save(QWidget& w, const std::filesystem::path& file) {
  w.show();
  w.raise();
  QApplication::processEvents();
  ASSERT_TRUE(w.grab().save(QString::fromStdString(file.string()))) << file;
}

TEST(DialogScreenshots, LoginAreaDialogs) {
  const char* dir = std::getenv("KESTREL_SCREENSHOT_DIR");
  if (!dir || !*dir) GTEST_SKIP() << "set KESTREL_SCREENSHOT_DIR to write the pictures";
  const std::filesystem::path out(dir);
  MemorySettingsStore store;
  ConnectProfile a{u"SCOTT", u"/srv/demo", u"TIGER", 1, 0, u"デモ環境", 0, 0xFFFFFF, 0xFFFFFF};
  ConnectProfile b{u"HR", u"本番DB", u"hr", 2, 0, u"本番(注意)", 1, 0xFFFFFF, 0xCCE0FF};
  ASSERT_TRUE(save_profiles(store, {a, b}, nullptr));

  LoginValues prefill{u"SCOTT", {}, u"/srv/demo", 1, false};
  CLogin login(kLoginStartup, prefill, store);
  login.set_filter_history_files({}, {});
  save(login, out / "login.png");
  login.reject();

  CConnectInfoDlg list(store, &store);
  save(list, out / "connect_info_137.png");
  CConnectInfoEditDlg edit(b, &store);
  save(edit, out / "connect_info_edit_177.png");

  OptionValues values;
  values.settings.NULL_TEXT = u"(NULL)";
  COptionsSheet sheet(values, [](std::u16string_view) { return std::u16string(u"2026-12-07 01:02:03"); }, &store);
  sheet.resize(900, 700);
  save(sheet, out / "options_setup_134.png");
  sheet.tabs()->setCurrentIndex(1);
  save(sheet, out / "options_grid_166.png");
}

}  // namespace
}  // namespace kestrel
