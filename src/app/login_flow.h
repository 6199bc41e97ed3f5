// The login flow: pre-fills the login dialog from the last login, runs it,
// and records what was used. It opens the new session but does not make it
// current: the caller does that, after any old session is gone.
#pragma once

#include "app/app_store.h"
#include "app/current_connection.h"
#include "app/login_dlg.h"

class CTernApp;

namespace kestrel {

inline constexpr int kLoginOpened = 0;
inline constexpr int kLoginCancelled = 1;

// The last login's values from the own store's "-CUR" keys.
LoginValues load_last_login(const SettingsStore& own_store);
bool save_last_login(SettingsStore& own_store, const LoginValues& v);

// Runs the dialog in `mode` (kLoginStartup / kLoginChange). kLoginOpened with
// *session and *values set, or kLoginCancelled (also when the client library
// is not loaded, which is reported).
int run_login_flow(int mode, AppSettingsStore& store, const AppSettings& settings, OciSession** session,
                   LoginValues* values);

// The change of connection command: asks about unsaved edits, runs the
// dialog in change mode, then replaces the old session with the new one.
void change_connection(CTernApp& app);

// The profile list dialog on the store that holds the profiles (command 32788).
void edit_connect_profiles(CTernApp& app);

// Makes an opened session the current connection.
void make_current(CurrentConnection& conn, OciSession* session, const LoginValues& v);

}  // namespace kestrel
