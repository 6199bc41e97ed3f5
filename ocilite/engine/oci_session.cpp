// Server attach, sessions, versions, transactions, break and reset.
#include <cstring>

#include "engine_error.h"
#include "oci_handles_p.h"

using namespace ocilite;

namespace {

ub4 packed_release() {
  // 18c+ layout: feature release, release update, revision, increment, ext.
  return (static_cast<ub4>(kReleaseMajor) << 24) | (static_cast<ub4>(kReleaseUpdate) << 16);
}

sword write_banner(OraText* bufp, ub4 bufsz) {
  if (bufp && bufsz > 0) {
    size_t n = std::min<size_t>(std::strlen(kServerBanner), bufsz - 1);
    std::memcpy(bufp, kServerBanner, n);
    bufp[n] = 0;
  }
  return OCI_SUCCESS;
}

ServerH* server_of(void* hndlp) {
  if (auto* svc = as<SvcCtxH>(hndlp, OCI_HTYPE_SVCCTX)) return svc->server;
  return as<ServerH>(hndlp, OCI_HTYPE_SERVER);
}

Session* session_for_break(void* hndlp) {
  if (auto* svc = as<SvcCtxH>(hndlp, OCI_HTYPE_SVCCTX)) return session_of(svc);
  if (auto* srv = as<ServerH>(hndlp, OCI_HTYPE_SERVER)) {
    if (srv->last_session && find_handle(srv->last_session, OCI_HTYPE_SESSION)) return srv->last_session->session.get();
  }
  return nullptr;
}

// The transaction calls share their checks: valid handles, an open session;
// `step` runs the session's own operation.
template <typename Step>
sword run_transaction_step(OCISvcCtx* svchp, OCIError* errhp, Step step) {
  auto* svc = as<SvcCtxH>(svchp, OCI_HTYPE_SVCCTX);
  auto* err = as<ErrorH>(errhp, OCI_HTYPE_ERROR);
  if (!svc || !err) return OCI_INVALID_HANDLE;
  clear_errors(err);
  Session* s = session_of(svc);
  if (!s) return record_error(err, engine_error(ora::kNotConnected));
  if (OraError e = step(*s)) return record_error(err, e);
  return OCI_SUCCESS;
}

}  // namespace

extern "C" {

sword OCIServerAttach(OCIServer* srvhp, OCIError* errhp, const OraText* dblink, sb4 dblink_len, ub4) {
  auto* srv = as<ServerH>(srvhp, OCI_HTYPE_SERVER);
  auto* err = as<ErrorH>(errhp, OCI_HTYPE_ERROR);
  if (!srv || !err) return OCI_INVALID_HANDLE;
  clear_errors(err);
  std::string connect;
  if (dblink && dblink_len > 0) connect.assign(reinterpret_cast<const char*>(dblink), static_cast<size_t>(dblink_len));
  else if (dblink && dblink_len < 0) connect = reinterpret_cast<const char*>(dblink);
  connect = client_to_utf8(srv->env->charset, connect);
  std::filesystem::path folder;
  if (OraError e = resolve_connect_string(connect, folder)) return record_error(err, e);
  std::shared_ptr<Catalog> catalog;
  if (OraError e = open_catalog(folder, catalog)) return record_error(err, e);
  srv->folder = folder;
  srv->catalog = std::move(catalog);
  srv->attached = true;
  return OCI_SUCCESS;
}

sword OCIServerDetach(OCIServer* srvhp, OCIError* errhp, ub4) {
  auto* srv = as<ServerH>(srvhp, OCI_HTYPE_SERVER);
  auto* err = as<ErrorH>(errhp, OCI_HTYPE_ERROR);
  if (!srv || !err) return OCI_INVALID_HANDLE;
  clear_errors(err);
  srv->catalog.reset();
  srv->attached = false;
  return OCI_SUCCESS;
}

sword OCISessionBegin(OCISvcCtx* svchp, OCIError* errhp, OCISession* usrhp, ub4 credt, ub4 mode) {
  auto* svc = as<SvcCtxH>(svchp, OCI_HTYPE_SVCCTX);
  auto* err = as<ErrorH>(errhp, OCI_HTYPE_ERROR);
  auto* ses = as<SessionH>(usrhp, OCI_HTYPE_SESSION);
  if (!svc || !err || !ses) return OCI_INVALID_HANDLE;
  clear_errors(err);
  if (!svc->server || !find_handle(svc->server, OCI_HTYPE_SERVER) || !svc->server->attached)
    return record_error(err, engine_error(ora::kNotConnected));
  const CharsetInfo& cs = svc->env->charset;
  std::string user = credt == OCI_CRED_EXT ? std::string() : client_to_utf8(cs, ses->username);
  std::string password = credt == OCI_CRED_EXT ? std::string() : client_to_utf8(cs, ses->password);
  if (credt != OCI_CRED_EXT && (user.empty() || password.empty()) && !(user.empty() && password.empty()))
    return record_error(err, engine_error(ora::kInvalidLogon));
  LoginMode lm = (mode & OCI_SYSDBA) ? LoginMode::sysdba : (mode & OCI_SYSOPER) ? LoginMode::sysoper : LoginMode::normal;
  std::unique_ptr<Session> session;
  OraError warning;
  if (OraError e = Session::open(svc->server->catalog, user, password, lm, session, warning)) return record_error(err, e);
  ses->session = std::move(session);
  ses->server = svc->server;
  if (credt == OCI_CRED_EXT) ses->username = utf8_to_client(cs, ses->session->user());
  svc->session = ses;
  svc->server->last_session = ses;
  if (warning) {
    add_record(err, warning);
    return OCI_SUCCESS_WITH_INFO;
  }
  return OCI_SUCCESS;
}

sword OCISessionEnd(OCISvcCtx* svchp, OCIError* errhp, OCISession* usrhp, ub4) {
  auto* svc = as<SvcCtxH>(svchp, OCI_HTYPE_SVCCTX);
  auto* err = as<ErrorH>(errhp, OCI_HTYPE_ERROR);
  if (!svc || !err) return OCI_INVALID_HANDLE;
  SessionH* ses = usrhp ? as<SessionH>(usrhp, OCI_HTYPE_SESSION) : svc->session;
  if (!ses) return OCI_INVALID_HANDLE;
  clear_errors(err);
  // Oracle commits an open transaction when a session ends normally.
  if (ses->session) {
    if (OraError e = ses->session->commit()) add_record(err, e);
  }
  ses->session.reset();
  if (svc->session == ses) svc->session = nullptr;
  return OCI_SUCCESS;
}

sword OCILogon(OCIEnv* envhp, OCIError* errhp, OCISvcCtx** svchpp, const OraText* username, ub4 uname_len,
               const OraText* password, ub4 passwd_len, const OraText* dbname, ub4 dbname_len) {
  auto* env = as<EnvH>(envhp, OCI_HTYPE_ENV);
  auto* err = as<ErrorH>(errhp, OCI_HTYPE_ERROR);
  if (!env || !err || !svchpp) return OCI_INVALID_HANDLE;
  void *svc = nullptr, *srv = nullptr, *ses = nullptr;
  OCIHandleAlloc(env, &svc, OCI_HTYPE_SVCCTX, 0, nullptr);
  OCIHandleAlloc(env, &srv, OCI_HTYPE_SERVER, 0, nullptr);
  OCIHandleAlloc(env, &ses, OCI_HTYPE_SESSION, 0, nullptr);
  auto cleanup = [&] {
    OCIHandleFree(ses, OCI_HTYPE_SESSION);
    OCIHandleFree(srv, OCI_HTYPE_SERVER);
    OCIHandleFree(svc, OCI_HTYPE_SVCCTX);
  };
  sword rc = OCIServerAttach(static_cast<OCIServer*>(srv), errhp, dbname, static_cast<sb4>(dbname_len), OCI_DEFAULT);
  if (rc != OCI_SUCCESS) {
    cleanup();
    return rc;
  }
  OCIAttrSet(svc, OCI_HTYPE_SVCCTX, srv, 0, OCI_ATTR_SERVER, errhp);
  OCIAttrSet(ses, OCI_HTYPE_SESSION, const_cast<OraText*>(username), uname_len, OCI_ATTR_USERNAME, errhp);
  OCIAttrSet(ses, OCI_HTYPE_SESSION, const_cast<OraText*>(password), passwd_len, OCI_ATTR_PASSWORD, errhp);
  rc = OCISessionBegin(static_cast<OCISvcCtx*>(svc), errhp, static_cast<OCISession*>(ses), OCI_CRED_RDBMS, OCI_DEFAULT);
  if (rc != OCI_SUCCESS && rc != OCI_SUCCESS_WITH_INFO) {
    cleanup();
    return rc;
  }
  static_cast<SvcCtxH*>(svc)->owns_handles = true;
  *svchpp = static_cast<OCISvcCtx*>(svc);
  return rc;
}

sword OCILogoff(OCISvcCtx* svchp, OCIError* errhp) {
  auto* svc = as<SvcCtxH>(svchp, OCI_HTYPE_SVCCTX);
  if (!svc || !as<ErrorH>(errhp, OCI_HTYPE_ERROR)) return OCI_INVALID_HANDLE;
  SessionH* ses = svc->session;
  ServerH* srv = svc->server;
  OCISessionEnd(svchp, errhp, reinterpret_cast<OCISession*>(ses), OCI_DEFAULT);
  if (svc->owns_handles) {
    if (ses) OCIHandleFree(ses, OCI_HTYPE_SESSION);
    if (srv) OCIHandleFree(srv, OCI_HTYPE_SERVER);
    OCIHandleFree(svc, OCI_HTYPE_SVCCTX);
  }
  return OCI_SUCCESS;
}

sword OCIPing(OCISvcCtx* svchp, OCIError* errhp, ub4) {
  auto* svc = as<SvcCtxH>(svchp, OCI_HTYPE_SVCCTX);
  auto* err = as<ErrorH>(errhp, OCI_HTYPE_ERROR);
  if (!svc || !err) return OCI_INVALID_HANDLE;
  clear_errors(err);
  if (!session_of(svc)) return record_error(err, engine_error(ora::kNotConnected));
  return OCI_SUCCESS;
}

sword OCIServerVersion(void* hndlp, OCIError* errhp, OraText* bufp, ub4 bufsz, ub1) {
  if (!server_of(hndlp) || !as<ErrorH>(errhp, OCI_HTYPE_ERROR)) return OCI_INVALID_HANDLE;
  clear_errors(as<ErrorH>(errhp, OCI_HTYPE_ERROR));
  return write_banner(bufp, bufsz);
}

sword OCIServerRelease(void* hndlp, OCIError* errhp, OraText* bufp, ub4 bufsz, ub1, ub4* version) {
  if (!server_of(hndlp) || !as<ErrorH>(errhp, OCI_HTYPE_ERROR)) return OCI_INVALID_HANDLE;
  clear_errors(as<ErrorH>(errhp, OCI_HTYPE_ERROR));
  if (version) *version = packed_release();
  return write_banner(bufp, bufsz);
}

sword OCIServerRelease2(void* hndlp, OCIError* errhp, OraText* bufp, ub4 bufsz, ub1 hndltype, ub4* version, ub4) {
  return OCIServerRelease(hndlp, errhp, bufp, bufsz, hndltype, version);
}

sword OCITransStart(OCISvcCtx* svchp, OCIError* errhp, uword, ub4) {
  return run_transaction_step(svchp, errhp, [](Session& s) { return s.begin(); });
}

sword OCITransCommit(OCISvcCtx* svchp, OCIError* errhp, ub4) {
  return run_transaction_step(svchp, errhp, [](Session& s) { return s.commit(); });
}

sword OCITransRollback(OCISvcCtx* svchp, OCIError* errhp, ub4) {
  return run_transaction_step(svchp, errhp, [](Session& s) { return s.rollback(); });
}

sword OCIBreak(void* hndlp, OCIError* errhp) {
  // May come from another thread while a call runs: touch only the session's break flag.
  if (!server_of(hndlp) && !as<SvcCtxH>(hndlp, OCI_HTYPE_SVCCTX)) return OCI_INVALID_HANDLE;
  (void)errhp;
  if (Session* s = session_for_break(hndlp)) s->request_break();
  bump_lob_generation();  // a polling LOB read is abandoned
  return OCI_SUCCESS;
}

sword OCIReset(void* hndlp, OCIError* errhp) {
  ServerH* srv = server_of(hndlp);
  if (!srv) return OCI_INVALID_HANDLE;
  if (auto* err = as<ErrorH>(errhp, OCI_HTYPE_ERROR)) clear_errors(err);
  std::unique_ptr<AsyncCall> pending;
  {
    std::lock_guard lock(srv->async_mutex);
    pending = std::move(srv->async);
  }
  if (pending && pending->result.valid()) pending->result.wait();
  if (Session* s = session_for_break(hndlp)) s->clear_break();
  bump_lob_generation();
  return OCI_SUCCESS;
}

}  // extern "C"
