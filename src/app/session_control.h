// The database side of the login area, free of any widget: loading the
// client library, opening and closing the one session of the process, and
// the set-up that follows every login (session NLS settings, the current
// user, the start-up SQL file).
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

#include <vector>

#include "app/app_settings.h"
#include "app/connect_profile.h"
#include "app/current_connection.h"
#include "app/startup_environment.h"
#include "app/startup_hooks.h"

struct OciSession;

namespace kestrel {

// The open session of the process (null when none). Set by the login and
// cleared by disconnect; every other area reads it.
OciSession* current_session();
void set_current_session(OciSession* session);

// Loads the client library: `oci_folder` (OCI_PATH_64, may be empty) is
// searched first, the bundled stand-in in `<program_folder>/lib` last.
ClientLibraryResult load_client_library(const std::filesystem::path& oci_folder,
                                        const std::filesystem::path& program_folder);

// The loaded library's version as major.minor.
class LoadedClientVersion final : public ClientVersionProvider {
 public:
  bool client_version(int& major, int& minor) const override;
};

struct SessionLogin {
  OciSession* session = nullptr;  // owned by the caller on success
  int rc = 0;                     // 0 success, else the Oracle layer's code
  std::u16string message;         // the failure, or the password-expiry warning
  bool expiry_warning = false;
};

// Logs in with mode 1/2/4 through the newer interface, or the OCI7 one when
// `oci7` is set (or the library has nothing newer).
SessionLogin open_session(std::u16string_view user, std::u16string_view password, std::u16string_view tns,
                          int32_t connect_mode, bool oci7);

// Rolls back and logs out `*session`, leaving it null. Safe with null.
void close_session(OciSession** session);

// Issues the four NLS settings and the time zone, then reads the session's
// real values back into `settings`. A failed or empty read-back leaves the
// setting as it was.
void apply_session_nls(OciSession* session, AppSettings& settings);

// Error texts of the start-up SQL file reach the user through this.
using SqlErrorSink = std::function<void(const std::u16string& message)>;

// Runs the start-up SQL file: each statement in order, skipping client
// commands and script references; stops at the first failure (which goes
// to `on_error`). Returns 0, or -1 on any failure. A missing, folder or
// unreadable file runs nothing and reports nothing.
int run_startup_sql_file(OciSession* session, const std::filesystem::path& file, const SqlErrorSink& on_error);
// The same for a script already in memory.
int run_startup_sql_text(OciSession* session, std::u16string_view script, const SqlErrorSink& on_error);

// The post-login set-up: database parameters, the re-prepare flag, the
// connection label, the matching profile's notes and colour, the current
// user from the server, the NLS settings and the start-up SQL file. Does
// nothing when no session is open. True when a profile matched (its colours
// apply: the caller tells the views).
bool post_login_setup(OciSession* session, AppSettings& settings, CurrentConnection& conn,
                      const std::vector<ConnectProfile>& profiles, const SqlErrorSink& on_sql_error);

// Takes the notes and colour of the first matching profile. True on a match.
bool apply_profile_colours(CurrentConnection& conn, const std::vector<ConnectProfile>& profiles);

// Whether statements must be prepared again after a describe: UTF-8 on the
// client, neither an EUC nor an SJIS database, and a server of 10.2 or older.
bool needs_reprepare(uint32_t program_code_page, std::u16string_view db_charset, std::u16string_view rdbms_version);

}  // namespace kestrel
