// Login, logout, transactions, LDA mode, versions, error texts and the error
// log of one session.
#include "oci/oci_session.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <new>

#include "oci/oci_codes.h"
#include "oci/oci_cursor.h"
#include "oci/oci_library.h"
#include "platform/local_time.h"
#include "platform/utf16.h"

using kestrel::OciMsgBuf;
using kestrel::oci_fn;
using kestrel::oci_process;

namespace {

bool is_expiry_warning(int code) { return code == 28002 || code == 28011; }

void free_handles(OciSession* s) {
  const auto& fn = oci_fn();
  if (!fn.OCIHandleFree) return;
  if (s->user) fn.OCIHandleFree(s->user, OCI_HTYPE_SESSION);
  if (s->svc) fn.OCIHandleFree(s->svc, OCI_HTYPE_SVCCTX);
  if (s->server) fn.OCIHandleFree(s->server, OCI_HTYPE_SERVER);
  if (s->err) fn.OCIHandleFree(s->err, OCI_HTYPE_ERROR);
  s->user = nullptr;
  s->svc = nullptr;
  s->server = nullptr;
  s->err = nullptr;
}

ub4 session_mode(uint32_t login_mode) {
  switch (login_mode) {
    case kestrel::kLoginSysdba: return OCI_SYSDBA;
    case kestrel::kLoginSysoper: return OCI_SYSOPER;
    default: return OCI_DEFAULT;
  }
}

}  // namespace

namespace kestrel {
std::u16string oci_log_time_line() { return format(u"--- %s\n", {ctime_now()}); }
}  // namespace kestrel

void oci_write_log(const OciSession* s, std::u16string_view format, std::initializer_list<kestrel::FormatArg> args) {
  if (!s || s->log_path.empty()) return;
  std::string text = kestrel::utf16_to_utf8(kestrel::format(format, args));
  std::string path = kestrel::utf16_to_utf8(s->log_path);
  if (FILE* f = std::fopen(path.c_str(), "a")) {
    std::fwrite(text.data(), 1, text.size(), f);
    std::fclose(f);
  }
}

int oci_get_error_text(OciSession* s, OciMsgBuf msg) {
  if (!s) return 0;
  sb4 code = 0;
  OraText buf[1024] = {};
  if (s->err && oci_fn().OCIErrorGet)
    oci_fn().OCIErrorGet(s->err, 1, nullptr, &code, buf, sizeof buf, OCI_HTYPE_ERROR);
  buf[sizeof buf - 1] = 0;
  s->last_error = code;
  s->missing_object.clear();
  std::u16string text = kestrel::oci_mb_to_wide(reinterpret_cast<const char*>(buf));
  if (text.size() > static_cast<std::size_t>(kestrel::kOracleTextMax))
    text.resize(kestrel::safe_cut(text, kestrel::kOracleTextMax));
  msg.set(text);
  return code;
}

int oci_get_lda_error_text(OciSession* s, OciMsgBuf msg) {
  if (!s || s->lda.rc == 0) return 0;
  OraText buf[1024] = {};
  if (oci_fn().oerhms) oci_fn().oerhms(&s->lda, static_cast<sb2>(s->lda.rc), buf, sizeof buf);
  buf[sizeof buf - 1] = 0;
  s->last_error = s->lda.rc;
  std::u16string text = kestrel::oci_mb_to_wide(reinterpret_cast<const char*>(buf));
  oci_write_log(s, u"%s", {kestrel::oci_log_time_line()});
  oci_write_log(s, u"%s\n", {text});
  msg.set(text);
  return s->lda.rc;
}

int oci_login8(OciSession* s, const char* user, const char* password, const char* connect, OciMsgBuf msg,
               int* warning) {
  const auto& fn = oci_fn();
  if (kestrel::oci_init_env(msg) != kestrel::kOciOk) return kestrel::kOciEnvFailed;
  OCIEnv* env = oci_process().env;
  if (fn.OCIHandleAlloc(env, reinterpret_cast<void**>(&s->server), OCI_HTYPE_SERVER, 0, nullptr) != OCI_SUCCESS ||
      fn.OCIHandleAlloc(env, reinterpret_cast<void**>(&s->svc), OCI_HTYPE_SVCCTX, 0, nullptr) != OCI_SUCCESS ||
      fn.OCIHandleAlloc(env, reinterpret_cast<void**>(&s->err), OCI_HTYPE_ERROR, 0, nullptr) != OCI_SUCCESS ||
      fn.OCIHandleAlloc(env, reinterpret_cast<void**>(&s->user), OCI_HTYPE_SESSION, 0, nullptr) != OCI_SUCCESS) {
    free_handles(s);
    msg.set(kestrel::kMsgHandleAllocFailed);
    return kestrel::kOciEnvFailed;
  }
  bool attached = false;
  bool begun = false;
  auto fail = [&]() {
    oci_get_error_text(s, msg);
    if (begun) fn.OCISessionEnd(s->svc, s->err, s->user, OCI_DEFAULT);
    if (attached) fn.OCIServerDetach(s->server, s->err, OCI_DEFAULT);
    free_handles(s);
    return kestrel::kOciOracleError;
  };
  if (fn.OCIServerAttach(s->server, s->err, reinterpret_cast<const OraText*>(connect),
                         static_cast<sb4>(std::strlen(connect)), OCI_DEFAULT) != OCI_SUCCESS)
    return fail();
  attached = true;
  if (fn.OCIAttrSet(s->svc, OCI_HTYPE_SVCCTX, s->server, 0, OCI_ATTR_SERVER, s->err) != OCI_SUCCESS) return fail();
  ub4 cred = OCI_CRED_RDBMS;
  if (*user == '\0' && *password == '\0') {
    cred = OCI_CRED_EXT;
  } else {
    if (fn.OCIAttrSet(s->user, OCI_HTYPE_SESSION, const_cast<char*>(user), static_cast<ub4>(std::strlen(user)),
                      OCI_ATTR_USERNAME, s->err) != OCI_SUCCESS ||
        fn.OCIAttrSet(s->user, OCI_HTYPE_SESSION, const_cast<char*>(password),
                      static_cast<ub4>(std::strlen(password)), OCI_ATTR_PASSWORD, s->err) != OCI_SUCCESS)
      return fail();
  }
  sword rc = fn.OCISessionBegin(s->svc, s->err, s->user, cred, session_mode(s->login_mode));
  if (rc != OCI_SUCCESS) {
    // A password about to expire still logs in; the caller warns the user
    // and the message buffer keeps the Oracle text.
    int code = oci_get_error_text(s, msg);
    if (!is_expiry_warning(code) && rc != OCI_SUCCESS_WITH_INFO) return fail();
    if (is_expiry_warning(code) && warning) *warning = 1;
  }
  begun = true;
  if (fn.OCIAttrSet(s->svc, OCI_HTYPE_SVCCTX, s->user, 0, OCI_ATTR_SESSION, s->err) != OCI_SUCCESS) return fail();
  s->lda_mode = 0;
  if (oci_process().use_old_interface) {
    if (oci_set_lda_mode(s, true, msg) != kestrel::kOciOk) {
      // The text is already in msg; end the session cleanly.
      fn.OCISessionEnd(s->svc, s->err, s->user, OCI_DEFAULT);
      fn.OCIServerDetach(s->server, s->err, OCI_DEFAULT);
      free_handles(s);
      return kestrel::kOciOracleError;
    }
  }
  return kestrel::kOciOk;
}

int oci_login2(OciSession** out, std::u16string_view user, std::u16string_view password, std::u16string_view connect,
               std::u16string_view log_path, uint32_t login_mode, OciMsgBuf msg, int* warning) {
  using namespace kestrel;
  if (warning) *warning = 0;
  if (out) *out = nullptr;
  if (!out) return kOciInternal;
  const std::size_t limit = static_cast<std::size_t>(kLoginTextMax);
  if (user.size() >= limit || password.size() >= limit || connect.size() >= limit) {
    msg.set(kMsgLoginTooLong);
    return kOciLoginTooLong;
  }
  OciProcess& proc = oci_process();
  if (!proc.library.is_open()) {
    msg.set(kMsgLibraryFailed);
    return kOciLibraryFailed;
  }
  // The client character set decides the session code page; know it before
  // converting the login texts.
  if (proc.newer_usable && !proc.env_initialised) {
    if (int rc = oci_init_env(msg); rc != kOciOk) return rc;
  }
  if (proc.use_old_interface && !proc.oci7_usable) {
    msg.set(kMsgNoOci7);
    return kOciLibraryFailed;
  }
  // Each text must fit the 500-byte buffers once converted (a character
  // may take up to four bytes).
  char user_mb[kLoginTextMax], password_mb[kLoginTextMax], connect_mb[kLoginTextMax];
  if (!oci_wide_to_mb(user, user_mb, sizeof user_mb) || !oci_wide_to_mb(password, password_mb, sizeof password_mb) ||
      !oci_wide_to_mb(connect, connect_mb, sizeof connect_mb)) {
    msg.set(kMsgLoginTooLong);
    return kOciLoginTooLong;
  }
  std::unique_ptr<OciSession> s(new (std::nothrow) OciSession());
  if (!s) {
    msg.set(kMsgNoMemory);
    return kOciNoMemory;
  }
  s->log_path = std::u16string(log_path);
  s->login_mode = login_mode;
  s->server_version = -1.0;
  s->client_version = -1.0;
  int rc = kOciOk;
  if (proc.newer_usable) {
    rc = oci_login8(s.get(), user_mb, password_mb, connect_mb, msg, warning);
  } else {
    sword r = proc.fn.olog(&s->lda, s->hda, reinterpret_cast<OraText*>(user_mb), -1,
                           reinterpret_cast<OraText*>(password_mb), -1, reinterpret_cast<OraText*>(connect_mb), -1,
                           OCI_DEFAULT);
    if (r != 0) {
      if (s->lda.rc == 0) s->lda.rc = static_cast<ub2>(r < 0 ? -r : r);
      oci_get_lda_error_text(s.get(), msg);
      rc = kOciOracleError;
    } else {
      s->lda_mode = 1;
    }
  }
  if (rc != kOciOk) {
    oci_write_log(s.get(), u"\n---\nerror in oci_login2:\n user:%s tns:%s\n", {user, connect});
    return rc;
  }
  // The database character set; a failure here leaves the fields empty.
  char16_t value[20] = {};
  if (oci_select_value(s.get(), u"select value from nls_database_parameters where parameter = 'NLS_CHARACTERSET'",
                       value, sizeof value, nullptr, u"", {}) == kOciOk) {
    s->db_charset = value;
    s->sjis_database = s->db_charset.find(u"SJIS") != std::u16string::npos;
  }
  *out = s.release();
  return kOciOk;
}

int oci_set_lda_mode(OciSession* s, bool on, OciMsgBuf msg) {
  using namespace kestrel;
  if (!s || !oci_process().newer_usable) return kOciOk;
  if ((s->lda_mode != 0) == on) return kOciOk;
  const auto& fn = oci_fn();
  sword rc = on ? fn.OCISvcCtxToLda(s->svc, s->err, &s->lda) : fn.OCILdaToSvcCtx(&s->svc, s->err, &s->lda);
  if (rc != OCI_SUCCESS) {
    oci_get_error_text(s, msg);
    return kOciOracleError;
  }
  s->lda_mode = on ? 1 : 0;
  return kOciOk;
}

int oci8_rollback(OciSession* s, OciMsgBuf msg) {
  if (oci_fn().OCITransRollback(s->svc, s->err, OCI_DEFAULT) != OCI_SUCCESS) {
    oci_write_log(s, u"\n---\nerror in oci8_rollback:\n");
    oci_get_error_text(s, msg);
    return kestrel::kOciOracleError;
  }
  return kestrel::kOciOk;
}

int oci8_commit(OciSession* s, OciMsgBuf msg) {
  if (oci_fn().OCITransCommit(s->svc, s->err, OCI_DEFAULT) != OCI_SUCCESS) {
    oci_write_log(s, u"\n---\nerror in oci8_commit:\n");
    oci_get_error_text(s, msg);
    return kestrel::kOciOracleError;
  }
  return kestrel::kOciOk;
}

int oci_ora_rollback(OciSession* s, OciMsgBuf msg) {
  if (!s) return kestrel::kOciOk;
  if (s->lda_mode) {
    if (oci_fn().orol(&s->lda) != 0) {
      oci_write_log(s, u"\n---\nerror in oci_ora_rollback:\n");
      oci_get_lda_error_text(s, msg);
      return kestrel::kOciOracleError;
    }
    return kestrel::kOciOk;
  }
  return oci8_rollback(s, msg);
}

int oci_ora_commit(OciSession* s, OciMsgBuf msg) {
  if (!s) return kestrel::kOciOk;
  if (s->lda_mode) {
    if (oci_fn().ocom(&s->lda) != 0) {
      oci_write_log(s, u"\n---\nerror in oci_ora_commit:\n");
      oci_get_lda_error_text(s, msg);
      return kestrel::kOciOracleError;
    }
    return kestrel::kOciOk;
  }
  return oci8_commit(s, msg);
}

int oci_ora_logout(OciSession** session, OciMsgBuf msg) {
  using namespace kestrel;
  if (!session || !*session) return kOciOk;
  std::unique_ptr<OciSession> s(*session);
  *session = nullptr;
  oci_ora_rollback(s.get(), nullptr);
  const auto& fn = oci_fn();
  int rc = kOciOk;
  if (oci_process().newer_usable && s->svc) {
    // Back from LDA mode first; when that fails the session is still ended
    // and the server detached so nothing stays open on the server.
    if (s->lda_mode && oci_set_lda_mode(s.get(), false, msg) != kOciOk) rc = kOciOracleError;
    if (fn.OCISessionEnd(s->svc, s->err, s->user, OCI_DEFAULT) != OCI_SUCCESS) {
      if (rc == kOciOk) oci_get_error_text(s.get(), msg);
      rc = kOciOracleError;
    }
    if (fn.OCIServerDetach(s->server, s->err, OCI_DEFAULT) != OCI_SUCCESS) {
      if (rc == kOciOk) oci_get_error_text(s.get(), msg);
      rc = kOciOracleError;
    }
    free_handles(s.get());
  } else if (fn.ologof) {
    if (fn.ologof(&s->lda) != 0) {
      oci_write_log(s.get(), u"\n---\nerror in oci_ora_logout:\n");
      oci_get_lda_error_text(s.get(), msg);
      rc = kOciOracleError;
    }
  }
  return rc;
}

double oci_get_server_version(OciSession* s) {
  if (!s || !oci_process().newer_usable || !s->server) return 0.0;
  if (s->server_version > 0) return s->server_version;
  OraText buf[1024] = {};
  ub4 release = 0;
  if (oci_fn().OCIServerRelease(s->server, s->err, buf, sizeof buf, OCI_HTYPE_SERVER, &release) != OCI_SUCCESS)
    return 0.0;
  int major = static_cast<int>((release >> 24) & 0xFF);
  int minor = static_cast<int>((release >> 20) & 0x0F);
  s->server_version = major + minor / 10.0;
  return s->server_version;
}
