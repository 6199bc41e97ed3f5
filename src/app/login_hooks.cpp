// Joins the login area to the start-up sequence and the exit: the client
// library, the command-line login, the login dialog, the post-login set-up
// and disconnect.
#include "app/app_ids.h"
#include "app/completion_loader_seam.h"
#include "app/area_hooks.h"
#include "app/connect_info_dlg.h"
#include "app/connect_info_participant.h"
#include "app/connect_profile.h"
#include "app/options_sheet.h"
#include "app/login_flow.h"
#include "app/main_frame.h"
#include "app/session_control.h"
#include "app/sql_tokenizer.h"
#include "app/tern_app.h"
#include "oci/oci_codes.h"
#include "oci/oci_library.h"
#include "oci/oci_session.h"
#include "platform/ui_services.h"
#include "sqltext/completion_loader.h"

namespace kestrel {

namespace {

const LoadedClientVersion g_client_version;

// Steps of disconnect: rollback and logout, then the colours go back.
void disconnect_session(CTernApp& app) {
  OciSession* s = current_session();
  // Rollback first, then the loader stops (it has a session of its own),
  // then the logout.
  if (s) oci_ora_rollback(s, nullptr);
  if (completion_loader_hooks().stop_and_join) completion_loader_hooks().stop_and_join();
  set_current_session(nullptr);
  close_session(&s);
  CurrentConnection& conn = app.connection();
  const bool was_connected = conn.connected != 0;
  conn.connected = 0;
  conn.custom_color = 0;
  if (was_connected) app.update_all_views(hint::kSettingsChanged);
  if (was_connected && app.hooks().on_disconnected) app.hooks().on_disconnected();
}

constexpr char16_t kDiscardEditsQuestion[] = u"編集中のデータは保存されません。よろしいですか？";

std::vector<ConnectProfile> stored_profiles(CTernApp& app) {
  std::unique_ptr<SettingsStore> sibling;
  if (app.settings().SHARE_CONNECT_INFO == 1) sibling = app.settings_store().sibling_store();
  return load_profiles(sibling ? *sibling : app.settings_store().store()).profiles;
}

bool run_post_login_setup(CTernApp& app) {
  // The loader logs in with what the user logged in with, before the
  // set-up replaces the user name with the server's spelling.
  const CurrentConnection& c = app.connection();
  const LoginValues login{c.user, c.password, c.tns, c.connect_mode, c.oci7 != 0};
  const bool matched = post_login_setup(current_session(), app.settings(), app.connection(), stored_profiles(app),
                                        [](const std::u16string& message) {
                                          ui().message_box(message, u"Error", mb::OK | mb::ICONEXCLAMATION);
                                        });
  if (matched) app.update_all_views(hint::kSettingsChanged);
  if (!app.connection().connected) return true;
  const CompletionLoaderHooks& loader = completion_loader_hooks();
  if (loader.start && !loader.start(login)) {
    ui().message_box(kThreadCreateError, u"ERROR", mb::OK | mb::ICONEXCLAMATION);
    return false;
  }
  return true;
}

}  // namespace

CompletionLoader& app_completion_loader() {
  static CompletionLoader loader(shared_sql_tokenizer());
  return loader;
}

void edit_connect_profiles(CTernApp& app) {
  std::unique_ptr<SettingsStore> sibling;
  if (app.settings().SHARE_CONNECT_INFO == 1) sibling = app.settings_store().sibling_store();
  CConnectInfoDlg dlg(sibling ? *sibling : app.settings_store().store(), &app.settings_store().store(),
                      app.main_frame());
  dlg.exec();
}

// Change of connection: the new session is opened first and becomes current
// only after the old one is gone, so disconnect never ends the new one.
void change_connection(CTernApp& app) {
  StartupHooks& h = app.hooks();
  if (h.has_unsaved_table_edits && h.has_unsaved_table_edits() &&
      ui().message_box(kDiscardEditsQuestion, u"MESSAGE", mb::YESNO | mb::ICONQUESTION) != IDYES)
    return;
  OciSession* session = nullptr;
  LoginValues values;
  if (run_login_flow(kLoginChange, app.settings_store(), app.settings(), &session, &values) != kLoginOpened) return;
  disconnect_session(app);
  make_current(app.connection(), session, values);
  run_post_login_setup(app);
  if (h.on_connected) h.on_connected();
  if (CMainFrame* f = app.main_frame()) f->update_title(u"");
  app.update_all_views(hint::kConnectionChanged);
  app.update_all_views(hint::kOwnerChanged);
}

void install_login_hooks(CTernApp& app) {
  StartupHooks& h = app.hooks();
  // The profiles travel with a switch of the settings store.
  static ConnectInfoParticipant profiles_participant;
  app.settings_store().add_participant(&profiles_participant);
  CompletionLoaderHooks& loader = completion_loader_hooks();
  loader.start = [](const LoginValues& v) {
    CompletionLoginParams p;
    p.user = v.user;
    p.password = v.password;
    p.connect = v.tns;
    p.login_mode = v.connect_mode == kConnectModeSysdba || v.connect_mode == kConnectModeSysoper
                       ? static_cast<uint32_t>(v.connect_mode)
                       : 1u;
    return app_completion_loader().Start(std::move(p));
  };
  loader.stop_and_join = [] { app_completion_loader().Stop(); };
  h.load_client_library = [&app](const std::filesystem::path& folder) {
    return load_client_library(folder, app.settings_store().program_folder());
  };
  h.client_version = &g_client_version;
  h.init_client_environment = [] {
    char16_t msg[kOracleTextMax + 1] = {};
    if (oci_init_env(OciMsgBuf(msg)) == kOciOk) return true;
    ui().message_box(msg, u"ERROR", mb::OK | mb::ICONEXCLAMATION);
    return false;
  };
  // The start-up worker: no macro engine yet, which counts as a successful
  // start, so the keyword file loads. A file that cannot be read leaves the
  // built-in keywords; there is nobody to tell on this thread.
  h.startup_worker = [&app] {
    std::u16string error;
    load_keyword_file(app.settings_store().program_folder(), &error);
  };
  h.command_line_login = [](const std::u16string& user, const std::u16string& password, const std::u16string& tns,
                            bool oci7) {
    LoginOutcome out;
    SessionLogin login = open_session(user, password, tns, kConnectModeNormal, oci7);
    if (login.session) {
      set_current_session(login.session);
      out.connected = true;
    }
    out.message = login.message;
    return out;
  };
  h.login_dialog = [&app] {
    OciSession* session = nullptr;
    LoginValues values;
    if (run_login_flow(kLoginStartup, app.settings_store(), app.settings(), &session, &values) != kLoginOpened)
      return false;
    make_current(app.connection(), session, values);
    return true;
  };
  h.post_login_setup = [&app] { return run_post_login_setup(app); };
  h.register_login_commands = [&app](CMainFrame& f) {
    f.set_command(cmd::kChangeConnection,
                  {[&app] { change_connection(app); }, [&app] { return app.client_library_loaded(); }, {}});
    f.set_command(cmd::kConnectInfo, {[&app] { edit_connect_profiles(app); }, {}, {}});
    f.set_command(cmd::kOptions, {[&app] { run_options(app); }, {}, {}});
  };
  h.disconnect = [&app] { disconnect_session(app); };
  h.free_client_environment = [] { oci_free_env(); };
  h.unload_client_library = [] { oci_unload_library(); };
}

}  // namespace kestrel
