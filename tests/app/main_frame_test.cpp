// The main window and the application object, offscreen.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <QAction>
#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QScreen>
#include <QStatusBar>
#include <fstream>

#include "support/qt_environment.h"
#include "app/app_ids.h"
#include "app/main_frame.h"
#include "app/qt_text.h"
#include "app/qt_ui_services.h"
#include "app/tern_app.h"
#include "platform/environment.h"
#include "platform/ini_file.h"
#include "platform/utf16.h"
#include "support/scripted_ui.h"
#include "support/temp_dir.h"

namespace kestrel {
namespace {

using testing::TempDir;

const auto* const g_env = ::testing::AddGlobalTestEnvironment(new testing::QtEnvironment("app_gui_tests"));

struct FrameFixture {
  FrameFixture() : store(dir.path()) {
    store.set_store_for_testing(std::make_unique<MemorySettingsStore>(), false);
  }
  TempDir dir;
  AppSettingsStore store;
  AppSettings settings;
  CurrentConnection conn;
};

std::u16string text_of(const QAction* a) { return from_qstring(a->text()); }

TEST(MainFrame, MenuBarHoldsTheMenusInTheirPositions) {
  FrameFixture fx;
  CMainFrame frame(fx.settings, fx.store, fx.conn);
  QList<QAction*> tops = frame.menuBar()->actions();
  std::vector<std::u16string> titles;
  for (QAction* a : tops) titles.push_back(text_of(a));
  EXPECT_EQ(titles, (std::vector<std::u16string>{u"ファイル(&F)", u"編集(&E)", u"マクロ(&M)", u"データ(&D)",
                                                 u"表示(&V)", u"ツール(&T)", u"ウィンドウ(&W)", u"ヘルプ(&H)"}));
}

TEST(MainFrame, MenuCommandsCarryTheirIdsAndTexts) {
  FrameFixture fx;
  CMainFrame frame(fx.settings, fx.store, fx.conn);
  const std::pair<uint32_t, const char16_t*> expected[] = {
      {32771, u"フォント設定..."},
      {32786, u"オプション..."},
      {32921, u"接続先を変更..."},
      {32788, u"ログイン情報の設定..."},
      {33627, u"マクロを実行(クリップボード)"},
      {33624, u"マクロを実行(ファイル)"},
      {32945, u"キー割り当て..."},
      {57665, u"アプリケーションの終了(&X)"},
      {32776, u"テーブル選択..."},
      {34016, u"最新のデータを表示"},
      {32772, u"編集結果の保存(commit)"},
      {34008, u"表示中のデータをクリア"},
      {32789, u"データをファイルに保存..."},
      {34011, u"更新SQLを表示"},
      {35265, u"グリッドの行と列を入れ替える"},
      {34027, u"検索結果をフィルタ..."},
      {34028, u"検索結果のフィルタを解除"},
      {34012, u"次の変更セルに移動"},
      {34013, u"前の変更セルに移動"},
      {34004, u"空行を削除(全て)"},
      {34000, u"空行を削除(追加行のみ)"},
      {35238, u"LOB Download..."},
      {34003, u"LOB Upload..."},
      {34005, u"NULLにする"},
      {34007, u"BFILE Update..."},
      {35240, u"合計"},
      {35241, u"平均"},
      {35242, u"最大値"},
      {35243, u"最小値"},
      {35244, u"行数"},
      {35245, u"なし"},
      {32900, u"小文字に変換"},
      {32901, u"大文字に変換"},
      {34006, u"連番を入力..."},
      {57634, u"コピー(&C)"},
      {32840, u"TAB区切り"},
      {32842, u"CSV形式"},
      {32844, u"固定長"},
  };
  for (const auto& [id, text] : expected) {
    QAction* a = frame.action(id);
    ASSERT_NE(a, nullptr) << id;
    EXPECT_EQ(text_of(a), text) << id;
    EXPECT_EQ(a->data().toUInt(), id);
  }
  // Every item of the table is in the menu bar, reachable through the menus.
  std::function<int(QMenu*)> count = [&](QMenu* m) {
    int n = 0;
    for (QAction* a : m->actions()) {
      if (a->menu())
        n += count(a->menu());
      else if (!a->isSeparator())
        ++n;
    }
    return n;
  };
  int in_bar = 0;
  for (QAction* a : frame.menuBar()->actions()) in_bar += count(a->menu());
  EXPECT_EQ(in_bar, static_cast<int>(menu_commands(main_menu()).size()));
}

TEST(MainFrame, CommandsNotBuiltAreDisabledNotHidden) {
  FrameFixture fx;
  CMainFrame frame(fx.settings, fx.store, fx.conn);
  QAction* table = frame.action(cmd::kTableSelect);
  EXPECT_TRUE(table->isVisible());
  EXPECT_FALSE(table->isEnabled());
  EXPECT_TRUE(frame.action(cmd::kAppExit)->isEnabled());
  EXPECT_TRUE(frame.action(cmd::kViewStatusBar)->isChecked());

  int runs = 0;
  bool allowed = false;
  frame.set_command(cmd::kTableSelect, {[&] { ++runs; }, [&] { return allowed; }, {}});
  EXPECT_FALSE(table->isEnabled());
  allowed = true;
  frame.update_command_ui();
  EXPECT_TRUE(table->isEnabled());
  table->trigger();
  EXPECT_EQ(runs, 1);
  frame.remove_command(cmd::kTableSelect);
  EXPECT_FALSE(table->isEnabled());
}

TEST(MainFrame, StatusBarPanes) {
  FrameFixture fx;
  fx.conn.label = u"SCOTT@demo";
  CMainFrame frame(fx.settings, fx.store, fx.conn);
  EXPECT_EQ(frame.pane_ids(), (std::vector<uint32_t>{pane::kMessage, 59146, 59144, 59145, pane::kCaps, pane::kNum}));
  EXPECT_EQ(frame.pane(59146)->width(), 120);
  EXPECT_EQ(frame.pane(59144)->width(), 150);
  EXPECT_EQ(frame.pane(59145)->width(), 60);
  EXPECT_EQ(from_qstring(frame.pane(59146)->toolTip()), u"Gridの選択範囲の計算結果");
  EXPECT_EQ(from_qstring(frame.pane(59144)->toolTip()), u"Oracle Sessionの情報");
  EXPECT_EQ(from_qstring(frame.pane(59145)->toolTip()), u"データロック");
  EXPECT_EQ(from_qstring(frame.pane(59144)->text()), u"SCOTT@demo");
  frame.set_indicators(true);
  EXPECT_EQ(frame.pane_ids(),
            (std::vector<uint32_t>{pane::kMessage, 59146, 59144, 59145, pane::kCaps, pane::kNum, 59147}));
  EXPECT_EQ(from_qstring(frame.pane(59147)->toolTip()), u"END");
  frame.set_pane_text(59147, u"END");
  EXPECT_EQ(from_qstring(frame.pane(59147)->text()), u"END");
  frame.set_indicators(false);
  EXPECT_EQ(frame.pane_ids().size(), 6u);

  fx.settings.END_KEY_LIKE_EXCEL = 1;
  CMainFrame seven(fx.settings, fx.store, fx.conn);
  EXPECT_EQ(seven.pane_ids().size(), 7u);
}

TEST(MainFrame, Title) {
  FrameFixture fx;
  CMainFrame frame(fx.settings, fx.store, fx.conn);
  EXPECT_EQ(from_qstring(frame.windowTitle()), u"kestrel - 無題");
  fx.conn.label = u"SCOTT@demo";
  fx.conn.notes = u"開発";
  frame.update_title(u"EMP");
  EXPECT_EQ(from_qstring(frame.windowTitle()), u"開発(SCOTT@demo) - EMP");
}

TEST(MainFrame, PlacementIsReadCascadedAndWrittenAtClose) {
  FrameFixture fx;
  SettingsStore& st = fx.store.store();
  st.write_int(u"WINDOW", u"LEFT", 40);
  st.write_int(u"WINDOW", u"TOP", 30);
  st.write_int(u"WINDOW", u"WIDTH", 500);
  st.write_int(u"WINDOW", u"HEIGHT", 300);
  CMainFrame frame(fx.settings, fx.store, fx.conn);
  const QRect avail = frame.screen()->availableGeometry();
  ASSERT_GE(avail.width(), 540);
  ASSERT_GE(avail.height(), 330);
  ASSERT_TRUE(frame.restore_placement());
  EXPECT_EQ(frame.geometry(), QRect(avail.left() + std::max(0, 40 - avail.left()), 30, 500, 300));
  EXPECT_GT(st.get_int(u"WINDOW", u"TOP", 0), 30);  // one caption lower
  EXPECT_GT(st.get_int(u"WINDOW", u"LEFT", 0), 40);
  EXPECT_FALSE(fx.store.store().get_int(u"WINDOW", u"ZOOMED", -1) != -1);

  frame.show();
  frame.setGeometry(60, 50, 400, 250);
  frame.close();
  EXPECT_EQ(st.get_int(u"WINDOW", u"LEFT", 0), 60);
  EXPECT_EQ(st.get_int(u"WINDOW", u"TOP", 0), 50);
  EXPECT_EQ(st.get_int(u"WINDOW", u"WIDTH", 0), 400);
  EXPECT_EQ(st.get_int(u"WINDOW", u"HEIGHT", 0), 250);
  EXPECT_EQ(st.get_int(u"WINDOW", u"ZOOMED", -1), 0);
}

TEST(MainFrame, CloseCheckCanKeepTheWindowOpen) {
  FrameFixture fx;
  CMainFrame frame(fx.settings, fx.store, fx.conn);
  frame.show();
  frame.set_close_check([] { return false; });
  EXPECT_FALSE(frame.close());
  EXPECT_TRUE(frame.isVisible());
  EXPECT_FALSE(fx.store.store().get_int(u"WINDOW", u"WIDTH", 0) != 0);
  frame.set_close_check({});
  EXPECT_TRUE(frame.close());
}

TEST(MainFrame, KeyHookComesBeforeShortcutsAndWidgets) {
  FrameFixture fx;
  CMainFrame frame(fx.settings, fx.store, fx.conn);
  auto* edit = new QLineEdit;
  frame.setCentralWidget(edit);
  int shortcut_runs = 0;
  frame.set_command(cmd::kFindNext, {[&] { ++shortcut_runs; }, {}, {}});
  frame.action(cmd::kFindNext)->setShortcut(QKeySequence(Qt::Key_F3));
  frame.show();
  frame.activateWindow();
  edit->setFocus();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&frame));

  QTest::keyClick(edit, Qt::Key_F3);
  EXPECT_EQ(shortcut_runs, 1);  // no hook yet: the accelerator runs

  std::vector<int> offered;
  frame.set_key_hook([&](const QKeyEvent& k) {
    offered.push_back(k.key());
    return k.key() == Qt::Key_F3 || k.key() == Qt::Key_X;
  });
  QTest::keyClick(edit, Qt::Key_F3);
  QTest::keyClicks(edit, "axb");
  EXPECT_EQ(shortcut_runs, 1);  // taken by the hook
  EXPECT_EQ(edit->text(), "ab");
  EXPECT_EQ(std::count(offered.begin(), offered.end(), Qt::Key_F3), 1);
  EXPECT_EQ(std::count(offered.begin(), offered.end(), Qt::Key_X), 1);
  EXPECT_EQ(std::count(offered.begin(), offered.end(), Qt::Key_A), 1);  // each key once

  frame.set_key_hook({});
  QTest::keyClick(edit, Qt::Key_F3);
  QTest::keyClicks(edit, "x");
  EXPECT_EQ(shortcut_runs, 2);
  EXPECT_EQ(edit->text(), "abx");
}

TEST(MainFrame, RendersToAnImage) {
  FrameFixture fx;
  fx.conn.label = u"SCOTT@demo";
  CMainFrame frame(fx.settings, fx.store, fx.conn);
  frame.setCentralWidget(new QWidget);
  frame.resize(800, 500);
  frame.set_message_text(u"レディ");
  frame.show();
  QImage image(frame.size(), QImage::Format_ARGB32);
  image.fill(Qt::transparent);
  frame.render(&image);
  // Something was painted, and not in a single colour.
  QRgb first = image.pixel(0, 0);
  int different = 0;
  for (int y = 0; y < image.height(); y += 4)
    for (int x = 0; x < image.width(); x += 4) different += image.pixel(x, y) != first;
  EXPECT_GT(different, 100);
  EXPECT_NE(qAlpha(image.pixel(image.width() / 2, image.height() - 5)), 0);
  image.save(QString::fromStdString((testing::binary_dir() / "main_frame_offscreen.png").string()));
}

TEST(QtUiServices, MessageBoxFlagsMapToButtons) {
  struct Case {
    uint32_t flags;
    QMessageBox::StandardButtons buttons;
    QMessageBox::StandardButton def;
    QMessageBox::Icon icon;
  } cases[] = {
      {mb::OK, QMessageBox::Ok, QMessageBox::Ok, QMessageBox::NoIcon},
      {mb::YESNO | mb::ICONQUESTION, QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes, QMessageBox::Question},
      {mb::YESNO | mb::DEFBUTTON2, QMessageBox::Yes | QMessageBox::No, QMessageBox::No, QMessageBox::NoIcon},
      {mb::OKCANCEL | mb::ICONEXCLAMATION, QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Ok,
       QMessageBox::Warning},
      {mb::YESNOCANCEL | mb::ICONINFORMATION, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
       QMessageBox::Yes, QMessageBox::Information},
      {mb::RETRYCANCEL | mb::ICONERROR, QMessageBox::Retry | QMessageBox::Cancel, QMessageBox::Retry,
       QMessageBox::Critical},
  };
  for (const Case& c : cases) {
    MessageBoxLayout l = message_box_layout(c.flags);
    EXPECT_EQ(l.buttons, c.buttons) << c.flags;
    EXPECT_EQ(l.default_button, c.def) << c.flags;
    EXPECT_EQ(l.icon, c.icon) << c.flags;
  }
  EXPECT_EQ(windows_answer(QMessageBox::Yes, mb::YESNO), IDYES);
  EXPECT_EQ(windows_answer(QMessageBox::No, mb::YESNO), IDNO);
  EXPECT_EQ(windows_answer(QMessageBox::NoButton, mb::YESNO), IDNO);
  EXPECT_EQ(windows_answer(QMessageBox::NoButton, mb::OKCANCEL), IDCANCEL);
  EXPECT_EQ(windows_answer(QMessageBox::Ok, mb::OK), IDOK);
}

// The application object with every seam recorded, in a program folder of
// its own whose kestrel.ini is the store.
class TernAppTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ::setenv("XDG_CONFIG_HOME", (dir_ / "config").c_str(), 1);
    dir_.write("program/kestrel.ini", "; test store\n[APPLICATION]\nUSE_INI_FILE=1\nGRID_CALC_TYPE=2\n");
  }
  void TearDown() override { ::unsetenv("XDG_CONFIG_HOME"); }

  std::unique_ptr<CTernApp> make_app(std::vector<std::string> args) {
    args.insert(args.begin(), "kestrel");
    args_ = std::move(args);
    argv_.clear();
    for (auto& a : args_) argv_.push_back(a.data());
    argc_ = static_cast<int>(argv_.size());
    auto app = std::make_unique<CTernApp>(argc_, argv_.data(), dir_ / "program");
    StartupHooks& h = app->hooks();
    h.load_client_library = [this](const std::filesystem::path&) {
      log_.push_back("load");
      return ClientLibraryResult{true, {}};
    };
    h.init_client_environment = [this] {
      log_.push_back("init-env");
      return true;
    };
    h.startup_worker = [this] { worker_ran_ = true; };
    h.command_line_login = [this](const std::u16string& user, const std::u16string& password,
                                  const std::u16string& tns, bool oci7) {
      log_.push_back("logon " + utf16_to_utf8(user) + "/" + utf16_to_utf8(password) + "@" + utf16_to_utf8(tns) +
                     (oci7 ? " oci7" : ""));
      return LoginOutcome{true, {}};
    };
    h.login_dialog = [this] {
      log_.push_back("login-dialog");
      return false;
    };
    h.post_login_setup = [this] {
      log_.push_back("post-login");
      return true;
    };
    h.create_view = [this](CMainFrame&) { log_.push_back("view"); };
    h.new_document = [this] {
      log_.push_back("new-doc");
      return true;
    };
    h.open_document = [this](const std::u16string& f) {
      log_.push_back("open " + utf16_to_utf8(f));
      return true;
    };
    h.on_connected = [this] { log_.push_back("on-connected"); };
    h.rebuild_accelerators = [this] { log_.push_back("accel"); };
    h.disconnect = [this] { log_.push_back("disconnect"); };
    h.destroy_macro_engine = [this] { log_.push_back("macro-down"); };
    h.free_client_environment = [this] { log_.push_back("free-env"); };
    h.unload_client_library = [this] { log_.push_back("unload"); };
    return app;
  }

  TempDir dir_;
  std::vector<std::string> args_;
  std::vector<char*> argv_;
  int argc_ = 0;
  std::vector<std::string> log_;
  bool worker_ran_ = false;
};

TEST_F(TernAppTest, StartUpAndExitRunTheirStepsInOrder) {
  auto app = make_app({"LOGON=scott/tiger@demo:OCI7"});
  ASSERT_TRUE(app->init_instance());
  EXPECT_FALSE(QApplication::windowIcon().isNull());
  EXPECT_TRUE(worker_ran_);
  EXPECT_TRUE(app->settings_store().ini_mode());
  EXPECT_EQ(app->settings().GRID_CALC_TYPE, 2);
  EXPECT_EQ(app->connection().user, u"scott");
  EXPECT_EQ(app->connection().oci7, 1);
  ASSERT_NE(app->main_frame(), nullptr);
  EXPECT_TRUE(app->main_frame()->isVisible());
  EXPECT_TRUE(app->main_frame()->action(cmd::kCalcMax)->isChecked());
  app->main_frame()->action(cmd::kCalcRows)->trigger();
  app->settings().DATA_LOCK = 1;
  app->main_frame()->close();
  app->exit_instance();
  EXPECT_EQ(log_, (std::vector<std::string>{"load", "logon scott/tiger@demo oci7", "post-login", "view", "new-doc",
                                            "on-connected", "accel", "disconnect", "macro-down", "free-env",
                                            "unload"}));
  IniFile ini;
  ini.load(dir_ / "program" / "kestrel.ini");
  EXPECT_EQ(ini.get_int(u"APPLICATION", u"GRID_CALC_TYPE", -1), 4);
  EXPECT_EQ(ini.get_int(u"SESSION", u"DATA_LOCK", -1), 1);
  EXPECT_GT(ini.get_int(u"WINDOW", u"WIDTH", 0), 0);
  EXPECT_EQ(dir_.read("program/kestrel.ini").rfind("; test store\n", 0), 0u);  // comment kept
}

TEST_F(TernAppTest, NewGridFontIsSentToTheViewsAndSaved) {
  auto app = make_app({});
  std::vector<int> hints;
  QFont sent;
  app->hooks().update_views = [&](int hint, const void* arg) {
    hints.push_back(hint);
    if (hint == hint::kFontChanged) sent = *static_cast<const QFont*>(arg);
  };
  app->hooks().load_client_library = nullptr;
  ASSERT_TRUE(app->init_instance());
  FontSettings f;
  f.FACENAME = u"Noto Sans Mono CJK JP";
  f.POINT = 120;
  f.WEIGHT = 700;
  f.ITALIC = 1;
  app->set_grid_font(f);
  EXPECT_EQ(hints, std::vector<int>{hint::kFontChanged});
  EXPECT_EQ(sent.family(), "Noto Sans Mono CJK JP");
  EXPECT_DOUBLE_EQ(sent.pointSizeF(), 12.0);
  EXPECT_TRUE(sent.italic());
  EXPECT_EQ(font_settings_of(sent), f);
  IniFile ini;
  ini.load(dir_ / "program" / "kestrel.ini");
  EXPECT_EQ(ini.get_string(u"FONT_U", u"FACENAME", u""), u"Noto Sans Mono CJK JP");
  EXPECT_EQ(ini.get_int(u"FONT_U", u"POINT", 0), 120);
  EXPECT_EQ(ini.get_int(u"FONT_U", u"WEIGHT", 0), 700);
  EXPECT_EQ(ini.get_int(u"FONT_U", u"ITALIC", 0), 1);
  app->main_frame()->close();
  app->exit_instance();
}

TEST_F(TernAppTest, FontOptionReplacesTheFaceForThisRunOnly) {
  auto app = make_app({"-FONT=Noto Sans Mono CJK JP", "-FONT=Other"});
  app->hooks().load_client_library = nullptr;
  ASSERT_TRUE(app->init_instance());
  EXPECT_EQ(app->settings().font.FACENAME, u"Noto Sans Mono CJK JP");
  EXPECT_EQ(app->grid_font().family(), "Noto Sans Mono CJK JP");
  app->main_frame()->close();
  app->exit_instance();
  IniFile ini;
  ini.load(dir_ / "program" / "kestrel.ini");
  EXPECT_FALSE(ini.find(u"FONT_U", u"FACENAME").has_value());
}

TEST_F(TernAppTest, CancelledLoginEndsTheProgram) {
  auto app = make_app({"query.kst"});
  EXPECT_FALSE(app->init_instance());
  EXPECT_EQ(app->main_frame(), nullptr);
  EXPECT_TRUE(worker_ran_);  // joined before returning
  EXPECT_EQ(log_, (std::vector<std::string>{"load", "login-dialog"}));
}

TEST_F(TernAppTest, PreloadSetsUpTheClientAndEnds) {
  auto app = make_app({"PRELOAD"});
  EXPECT_FALSE(app->init_instance());
  EXPECT_EQ(log_, (std::vector<std::string>{"load", "init-env"}));
  EXPECT_FALSE(worker_ran_);
}

TEST_F(TernAppTest, SettingsThatCannotBeWrittenAreReportedOnceAndTheProgramRuns) {
  std::filesystem::remove(dir_ / "program" / "kestrel.ini");  // the per-user store, then
  dir_.write("config", "a file where the configuration folder should be");
  auto app = make_app({});
  app->hooks().load_client_library = nullptr;
  testing::ScriptedUi ui;
  ASSERT_TRUE(app->init_instance());
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].title, u"ERROR");
  EXPECT_TRUE(ui.boxes[0].text.starts_with(u"設定を保存できませんでした。\n"));
  EXPECT_NE(ui.boxes[0].text.find(u"config"), std::u16string::npos);
  app->report_store_failure();
  EXPECT_EQ(ui.boxes.size(), 1u);
  app->main_frame()->close();
  app->exit_instance();
}

TEST_F(TernAppTest, WithoutAClientLibraryTheWindowOpensEmpty) {
  auto app = make_app({"/tmp/q.kst"});
  app->hooks().load_client_library = nullptr;
  ASSERT_TRUE(app->init_instance());
  EXPECT_EQ(log_, (std::vector<std::string>{"view", "open /tmp/q.kst", "accel"}));
  EXPECT_EQ(app->connection().connected, 0);
  app->main_frame()->close();
}

}  // namespace
}  // namespace kestrel
