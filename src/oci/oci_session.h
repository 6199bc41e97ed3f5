// One logged-in session and the functions that make, use and end it: login
// in both interface styles, logout, commit, rollback, the switch to the old
// interface (LDA mode), versions, Oracle error texts and the per-session
// error log.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

#include "oci/oci_abi.h"
#include "oci/oci_text.h"
#include "platform/format.h"

struct OciSession {
  alignas(8) Lda_Def lda{};          // old-interface login data area
  alignas(8) ub1 hda[HDA_SIZE]{};    // old-interface host data area
  std::u16string log_path;           // empty: no log is kept
  uint32_t login_mode = 1;           // 1 NORMAL, 2 SYSDBA, 4 SYSOPER
  std::u16string db_charset;         // NLS_CHARACTERSET of the database
  bool sjis_database = false;
  OCIServer* server = nullptr;
  OCISvcCtx* svc = nullptr;
  OCIError* err = nullptr;
  OCISession* user = nullptr;
  int32_t lda_mode = 0;              // 1 while driven through the old interface
  int32_t last_error = 0;
  std::u16string missing_object;     // filled on ORA-00942
  double server_version = -1.0;
  double client_version = -1.0;
};

// Login: user, password and connect string in UTF-16; log_path empty for no
// log; mode 1/2/4; warning (may be null) set to 1 when the password expires
// soon. On success *session owns a new record.
int oci_login2(OciSession** session, std::u16string_view user, std::u16string_view password,
               std::u16string_view connect, std::u16string_view log_path, uint32_t login_mode,
               kestrel::OciMsgBuf msg, int* warning);
// The newer-interface login sequence on a fresh record (texts already in the
// session code page).
int oci_login8(OciSession* session, const char* user, const char* password, const char* connect,
               kestrel::OciMsgBuf msg, int* warning);
int oci_ora_logout(OciSession** session, kestrel::OciMsgBuf msg = nullptr);
int oci_ora_commit(OciSession* session, kestrel::OciMsgBuf msg);
int oci8_commit(OciSession* session, kestrel::OciMsgBuf msg);
int oci_ora_rollback(OciSession* session, kestrel::OciMsgBuf msg);
int oci8_rollback(OciSession* session, kestrel::OciMsgBuf msg);
int oci_set_lda_mode(OciSession* session, bool on, kestrel::OciMsgBuf msg);
double oci_get_server_version(OciSession* session);
// Oracle error of the session's error handle: text into msg, code returned.
int oci_get_error_text(OciSession* session, kestrel::OciMsgBuf msg);
// Old interface: error of the login data area (text, log entry).
int oci_get_lda_error_text(OciSession* session, kestrel::OciMsgBuf msg);
// Appends formatted text to the session's error log (nothing without one).
void oci_write_log(const OciSession* session, std::u16string_view format,
                   std::initializer_list<kestrel::FormatArg> args = {});

namespace kestrel {
// "--- <ctime text>" line written before an old-interface error text.
std::u16string oci_log_time_line();
}  // namespace kestrel
