#include "app/session_control.h"

#include <cmath>

#include "oci/oci_codes.h"
#include "oci/oci_cursor.h"
#include "oci/oci_dataset.h"
#include "oci/oci_dictionary.h"
#include "oci/oci_library.h"
#include "oci/oci_session.h"
#include "platform/client_text.h"
#include "platform/environment.h"
#include "platform/text_file.h"
#include "platform/utf16.h"
#include "sqltext/sql_str_token.h"
#include "sqltext/sqltext_constants.h"

namespace kestrel {

namespace {

OciSession* g_session = nullptr;

// Oracle texts are cut at 1023 characters; one more for the terminator.
constexpr std::size_t kMsgChars = kOracleTextMax + 1;

}  // namespace

OciSession* current_session() { return g_session; }
void set_current_session(OciSession* session) { g_session = session; }

ClientLibraryResult load_client_library(const std::filesystem::path& oci_folder,
                                        const std::filesystem::path& program_folder) {
  OciProcess& proc = oci_process();
  proc.oci_path_64 = oci_folder;
  proc.program_dir = program_folder;
  char16_t msg[kMsgChars] = {};
  ClientLibraryResult r;
  r.loaded = oci_load_library(OciMsgBuf(msg)) == kOciOk;
  if (!r.loaded) r.error = msg[0] ? std::u16string(msg) : std::u16string(kMsgLibraryFailed);
  return r;
}

bool LoadedClientVersion::client_version(int& major, int& minor) const {
  const double v = oci_get_client_version(nullptr);
  if (v <= 0.0) return false;
  major = static_cast<int>(v);
  minor = static_cast<int>(std::lround((v - major) * 10.0));
  return true;
}

SessionLogin open_session(std::u16string_view user, std::u16string_view password, std::u16string_view tns,
                          int32_t connect_mode, bool oci7) {
  OciProcess& proc = oci_process();
  // Without the newer interface only the old one can log in.
  proc.use_old_interface = oci7 || !proc.newer_usable;
  SessionLogin out;
  char16_t msg[kMsgChars] = {};
  int warning = 0;
  const uint32_t mode = connect_mode == kConnectModeSysdba || connect_mode == kConnectModeSysoper
                            ? static_cast<uint32_t>(connect_mode)
                            : kLoginNormal;
  out.rc = oci_login2(&out.session, user, password, tns, u"", mode, OciMsgBuf(msg), &warning);
  if (out.rc != kOciOk) {
    out.session = nullptr;
    out.message = msg[0] ? std::u16string(msg) : std::u16string(kMsgLibraryFailed);
    return out;
  }
  if (warning) {
    out.expiry_warning = true;
    out.message = msg;
  }
  return out;
}

void close_session(OciSession** session) {
  if (!session || !*session) return;
  oci_ora_rollback(*session, nullptr);
  oci_ora_logout(session);
  *session = nullptr;
}

void apply_session_nls(OciSession* s, AppSettings& settings) {
  if (!s) return;
  struct Param {
    std::u16string_view name;
    std::u16string* value;
    bool read_back;
  };
  const Param params[] = {
      {u"NLS_DATE_FORMAT", &settings.NLS_DATE_FORMAT, true},
      {u"NLS_DATE_LANGUAGE", &settings.NLS_DATE_LANGUAGE, false},
      {u"NLS_TIMESTAMP_FORMAT", &settings.NLS_TIMESTAMP_FORMAT, true},
      {u"NLS_TIMESTAMP_TZ_FORMAT", &settings.NLS_TIMESTAMP_TZ_FORMAT, true},
  };
  for (const Param& p : params) {
    if (!p.value->empty()) oci_set_nls_session_param(s, *p.value, p.name, nullptr);
    if (!p.read_back) continue;
    std::u16string real;
    if (oci_get_nls_session_param(s, p.name, &real, nullptr) == kOciOk && !real.empty()) *p.value = real;
  }
  if (!settings.TIMEZONE.empty()) oci_set_nls_session_param(s, settings.TIMEZONE, u"TIME_ZONE", nullptr);
  std::u16string zone;
  if (oci_get_session_timezone(s, &zone, nullptr) == kOciOk && !zone.empty()) settings.TIMEZONE = zone;
}

int run_startup_sql_text(OciSession* s, std::u16string_view script, const SqlErrorSink& on_error) {
  if (!s) return -1;
  static const CSQLStrToken tokenizer;
  std::size_t pos = 0;
  for (;;) {
    SqlStatement stmt;
    const std::ptrdiff_t next = tokenizer.NextStatement(script, pos, &stmt);
    if (next < 0) break;
    pos = static_cast<std::size_t>(next);
    if (stmt.kind == kStatementCommand || stmt.kind == kStatementScript) continue;
    if (trim_blanks(std::u16string_view(stmt.text)).empty()) continue;
    char16_t msg[kMsgChars] = {};
    if (oci_execute_sql(s, stmt.text, OciMsgBuf(msg)) != kOciOk) {
      if (on_error) on_error(msg);
      return -1;
    }
    if (pos >= script.size()) break;
  }
  return 0;
}

int run_startup_sql_file(OciSession* s, const std::filesystem::path& file, const SqlErrorSink& on_error) {
  if (!s || file.empty()) return -1;
  std::error_code ec;
  if (!std::filesystem::is_regular_file(file, ec)) return -1;
  DecodedText text;
  if (!read_text_file(file, text)) return -1;
  return run_startup_sql_text(s, text.text, on_error);
}

bool needs_reprepare(uint32_t code_page, std::u16string_view db_charset, std::u16string_view rdbms_version) {
  if (code_page != 65001) return false;
  if (starts_with_ci(db_charset, u"EUC") || starts_with_ci(db_charset, u"SJIS")) return false;
  // The leading decimal number, e.g. 10.2 of "10.2.0.4.0".
  std::size_t i = 0;
  double v = 0;
  while (i < rdbms_version.size() && rdbms_version[i] >= u'0' && rdbms_version[i] <= u'9')
    v = v * 10 + (rdbms_version[i++] - u'0');
  if (i == 0) return false;
  if (i < rdbms_version.size() && rdbms_version[i] == u'.') {
    double scale = 0.1;
    for (++i; i < rdbms_version.size() && rdbms_version[i] >= u'0' && rdbms_version[i] <= u'9'; ++i, scale /= 10)
      v += (rdbms_version[i] - u'0') * scale;
  }
  return v <= 10.2 + 1e-9;
}

bool apply_profile_colours(CurrentConnection& conn, const std::vector<ConnectProfile>& profiles) {
  conn.notes.clear();
  const ConnectProfile* p = match_profile(profiles, conn.user, conn.tns, conn.connect_mode, conn.oci7);
  if (!p) return false;
  conn.notes = p->notes;
  conn.custom_color = p->customize == 1 ? 1 : 0;
  if (conn.custom_color) conn.session_color = p->grid_bg_color;
  return true;
}

bool post_login_setup(OciSession* s, AppSettings& settings, CurrentConnection& conn,
                      const std::vector<ConnectProfile>& profiles, const SqlErrorSink& on_sql_error) {
  if (!s || !conn.connected) return false;
  std::u16string charset, version;
  oci_get_nls_database_param(s, u"NLS_CHARACTERSET", &charset);
  oci_get_nls_database_param(s, u"NLS_RDBMS_VERSION", &version);
  oci_process().reprepare = needs_reprepare(program_code_page(), charset, version);
  conn.db_major_version = parse_leading_int(version);
  // The server's date, which also proves the session answers queries.
  if (oci_get_server_date(s, &conn.server_date, nullptr) != kOciOk) conn.server_date.clear();
  conn.label = connection_label(conn.user, conn.tns, conn.oci7 != 0);
  const bool matched = apply_profile_colours(conn, profiles);

  // The server's spelling of the user name.
  OciDataset users;
  if (oci_cre_sel_cursor(s, &users, u"select user from dual \n", 1, nullptr) == kOciOk) {
    const int col = oci_find_column(&users, u"USER");
    if (col >= 0 && !users.row_index.empty()) conn.user = users.text(0, col);
  }
  apply_session_nls(s, settings);
  if (!settings.STARTUP_SQL_FILE.empty()) run_startup_sql_file(s, to_path(settings.STARTUP_SQL_FILE), on_sql_error);
  return matched;
}

}  // namespace kestrel
