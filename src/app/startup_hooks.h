// The seams through which the parts built elsewhere (the Oracle layer, the
// login dialog, the document and view, the macro engine, the keyword loader,
// key assignment) join the start-up sequence, the commands and the exit. A
// hook left empty means that part is not there: the sequence skips it the way
// the program behaves without it (no client library: no login, no session).
#pragma once

#include <filesystem>
#include <functional>
#include <string>

#include "app/startup_environment.h"

class CMainFrame;

namespace kestrel {

struct ClientLibraryResult {
  bool loaded = false;
  std::u16string error;  // shown in a message box when not loaded
};

struct LoginOutcome {
  bool connected = false;
  // Shown (title "Message", exclamation icon) when not empty: the failure,
  // or the password-expiry warning of a successful login.
  std::u16string message;
};

struct StartupHooks {
  // Loads the Oracle client library, searching `folder` first when not empty.
  std::function<ClientLibraryResult(const std::filesystem::path& folder)> load_client_library;
  // The loaded library's version (for the UTF-8 session switch).
  const ClientVersionProvider* client_version = nullptr;
  // PRELOAD: initialises the client environment; the program then ends,
  // with a failure status when this answers false.
  std::function<bool()> init_client_environment;
  // The start-up worker's body, run on its own thread while the login runs:
  // start the macro engine, then (only if that worked) load the keyword file.
  std::function<void()> startup_worker;
  // The command-line login in normal connect mode; on success the
  // connection record has been filled.
  std::function<LoginOutcome(const std::u16string& user, const std::u16string& password, const std::u16string& tns,
                             bool oci7)>
      command_line_login;
  // The login dialog in start-up mode; false when cancelled.
  std::function<bool()> login_dialog;
  // After the first login; false ends the program.
  std::function<bool()> post_login_setup;
  // Puts the view into the main window (before the shell command runs).
  std::function<void(CMainFrame& frame)> create_view;
  // The shell command: open a query definition file, or make a new empty
  // document. False ends the program.
  std::function<bool(const std::u16string& file)> open_document;
  std::function<bool()> new_document;
  // The macro engine's "on-connected" handler.
  std::function<void()> on_connected;
  // Rebuilds the accelerators from the key assignments.
  std::function<void()> rebuild_accelerators;
  // Delivers a view update hint to every view.
  std::function<void(int hint, const void* arg)> update_views;
  // Asked when the main window closes (unsaved edits); false keeps it open.
  std::function<bool()> can_close;
  // Whether an open document showing a table has unsaved edits (asked
  // before the change of connection).
  std::function<bool()> has_unsaved_table_edits;
  // The macro engine's "on-disconnected" handler.
  std::function<void()> on_disconnected;
  // Registers the login area's commands (change of connection, options,
  // profiles) on the main window.
  std::function<void(CMainFrame& frame)> register_login_commands;
  // Macro commands.
  std::function<void(const std::u16string& text)> run_macro_text;
  std::function<void(const std::u16string& path)> run_macro_file;
  // Exit, in this order.
  std::function<void()> disconnect;
  std::function<void()> destroy_macro_engine;
  std::function<void()> free_client_environment;
  std::function<void()> unload_client_library;
};

}  // namespace kestrel
