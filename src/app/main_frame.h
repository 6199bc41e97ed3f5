// The main window: menu bar built from the main menu table, tool bar,
// status bar panes, title, and the window placement kept in WINDOW/*.
// Commands are registered by whoever implements them; a command nobody has
// registered stays in the menu, disabled.
#pragma once

#include <QMainWindow>
#include <functional>
#include <map>
#include <string_view>
#include <vector>

#include "app/app_settings.h"
#include "app/current_connection.h"
#include "app/main_menu.h"

class QKeyEvent;
class QLabel;
class QAction;
class QMenu;
class QToolBar;

namespace kestrel {
class AppSettingsStore;
}

class CMainFrame : public QMainWindow {
  Q_OBJECT

 public:
  CMainFrame(kestrel::AppSettings& settings, kestrel::AppSettingsStore& store,
             const kestrel::CurrentConnection& connection, QWidget* parent = nullptr);
  ~CMainFrame() override;

  // Command plumbing. `enabled` and `checked` are asked whenever a menu
  // opens and after every command (the update-command-UI pass).
  struct Command {
    std::function<void()> run;
    std::function<bool()> enabled;  // empty: always enabled
    std::function<bool()> checked;  // empty: not checkable
  };
  void set_command(uint32_t id, Command command);
  void remove_command(uint32_t id);
  // The menu action of a command id (nullptr when it has no menu item).
  QAction* action(uint32_t id) const;
  void update_command_ui();

  // Status bar: 7 panes when `end_key_pane`, else 6.
  void set_indicators(bool end_key_pane);
  std::vector<uint32_t> pane_ids() const;
  QLabel* pane(uint32_t id) const;
  void set_pane_text(uint32_t id, std::u16string_view text);
  void set_message_text(std::u16string_view text);
  // The greyed counter at the right end of the menu bar.
  void set_edit_counter_text(std::u16string_view text);

  // "%s - %s" of the connection part and `document_title`.
  void update_title(std::u16string_view document_title);

  // Reads WINDOW/LEFT, TOP, WIDTH, HEIGHT, places the window inside the
  // screen's work area, and writes TOP and LEFT one caption lower and to the
  // right for the next instance.
  // False when the settings could not be written.
  bool restore_placement();
  // Writes the rectangle (unless minimised or maximised) and ZOOMED (unless minimised).
  bool save_placement();

  // Macro key bindings: every key press anywhere in this window is offered to
  // `hook` before shortcuts (the accelerators) and widgets see it; a hook that
  // answers true has consumed the key. An empty hook removes it.
  void set_key_hook(std::function<bool(const QKeyEvent& key)> hook);

  // Asked before the window closes; false keeps it open.
  void set_close_check(std::function<bool()> check) { close_check_ = std::move(check); }
  // Told when the placement could not be written at close.
  void set_placement_failed(std::function<void()> f) { placement_failed_ = std::move(f); }

  static constexpr std::u16string_view kCalcPaneTip = u"Gridの選択範囲の計算結果";
  static constexpr std::u16string_view kSessionPaneTip = u"Oracle Sessionの情報";
  static constexpr std::u16string_view kDataLockPaneTip = u"データロック";
  static constexpr std::u16string_view kEndPaneTip = u"END";

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void build_menus();
  QMenu* build_menu(const kestrel::MenuNode& node, QWidget* parent);
  void build_tool_bar();
  void run_command(uint32_t id);

  kestrel::AppSettings& settings_;
  kestrel::AppSettingsStore& store_;
  const kestrel::CurrentConnection& connection_;
  std::map<uint32_t, QAction*> actions_;
  std::map<uint32_t, Command> commands_;
  std::vector<std::pair<uint32_t, QLabel*>> panes_;
  QLabel* edit_counter_ = nullptr;
  QToolBar* tool_bar_ = nullptr;
  std::function<bool()> close_check_;
  std::function<void()> placement_failed_;
  std::function<bool(const QKeyEvent&)> key_hook_;
  // The key last offered at its shortcut-override stage, and the answer; its
  // key press follows and is not offered twice.
  int offered_key_ = 0;
  bool offered_taken_ = false;
};
