// The application object: owns the QApplication, the settings and their
// store, the grid font and the current connection; runs the start-up
// sequence and the exit. Parts built elsewhere join through StartupHooks.
#pragma once

#include <QFont>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "app/app_settings.h"
#include "app/app_store.h"
#include "app/command_line.h"
#include "app/current_connection.h"
#include "app/startup_hooks.h"

class QCoreApplication;
class CMainFrame;

namespace kestrel {
class QtUiServices;
class UiServices;
}

class CTernApp {
 public:
  // Creates the QApplication unless one exists (tests make their own).
  // `program_folder` is where kestrel.ini, lib/ and data/ are looked for.
  CTernApp(int& argc, char** argv, std::filesystem::path program_folder);
  CTernApp(int& argc, char** argv);
  ~CTernApp();
  CTernApp(const CTernApp&) = delete;
  CTernApp& operator=(const CTernApp&) = delete;

  static CTernApp* instance();

  // init_instance, the event loop, exit_instance; the process exit code
  // (PRELOAD: 0 when the client environment was made, else 1).
  int run();
  // The start-up sequence; false when the program is to end without running
  // (PRELOAD, login cancelled, a failed step).
  bool init_instance();
  // The exit sequence: disconnect, macro engine, client environment, client
  // library, then GRID_CALC_TYPE and DATA_LOCK.
  void exit_instance();

  kestrel::StartupHooks& hooks() { return hooks_; }
  kestrel::AppSettings& settings() { return settings_; }
  kestrel::AppSettingsStore& settings_store() { return store_; }
  kestrel::CurrentConnection& connection() { return connection_; }
  const kestrel::CommandLine& command_line() const { return command_line_; }
  const QFont& grid_font() const { return grid_font_; }
  CMainFrame* main_frame() const { return frame_.get(); }
  bool client_library_loaded() const { return library_loaded_; }

  // Takes over new font settings: rebuilds the grid font, sends hint 1001
  // with it and saves FONT_U.
  void set_grid_font(const kestrel::FontSettings& font);
  // Sends a view update hint to every view.
  void update_all_views(int hint, const void* arg = nullptr);
  // Shows, once per run, that the settings could not be written.
  void report_store_failure();

 private:
  void register_app_commands();
  void on_font();
  void on_about();
  void on_macro_file();

  std::unique_ptr<QCoreApplication> owned_app_;
  std::unique_ptr<kestrel::QtUiServices> ui_services_;
  std::unique_ptr<kestrel::UiServices> stderr_ui_;  // PRELOAD without a display
  kestrel::UiServices* previous_ui_ = nullptr;
  std::filesystem::path program_folder_;
  std::vector<std::u16string> args_;
  kestrel::AppSettingsStore store_;
  kestrel::AppSettings settings_;
  kestrel::CurrentConnection connection_;
  kestrel::CommandLine command_line_;
  kestrel::StartupHooks hooks_;
  QFont grid_font_;
  std::unique_ptr<CMainFrame> frame_;
  bool library_loaded_ = false;
  bool preload_ok_ = false;
  bool store_failure_reported_ = false;
  bool exited_ = false;
};

namespace kestrel {
// The grid font of FONT_U: a point-size font; an uninstalled face falls back
// to the system's monospaced font.
QFont make_grid_font(const FontSettings& font);
// Whether a font family of this name (any case) that covers Japanese is installed.
bool font_family_installed(std::u16string_view face);
// Whether a window can be shown: a display, a Wayland socket, or a platform
// named in QT_QPA_PLATFORM.
bool display_available();
// The settings form of a font chosen in the font dialog.
FontSettings font_settings_of(const QFont& font);
}  // namespace kestrel
