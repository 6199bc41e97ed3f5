// The old cursor-data-area interface (OCI7) on top of the handle interface:
// a login data area (LDA) carries a service context, a cursor data area
// (CDA) a statement handle. The data areas are the caller's memory; each
// one points at its state through its reserved pointer field `rcsp`, and
// that pointer is checked against the handle registry before use, so a
// data area that was never opened, was closed or holds rubbish answers
// with an ORA error instead of being followed.
#include <algorithm>
#include <cstring>
#include <mutex>

#include "engine_error.h"
#include "oci_handles_p.h"

using namespace ocilite;

namespace ocilite {
namespace {

// Handle types of the data-area states; outside the OCI_HTYPE range.
constexpr ub4 kHtypeLda7 = 0x4C44;  // "LD"
constexpr ub4 kHtypeCda7 = 0x4344;  // "CD"

constexpr int kNotLoggedOn = 1012;
constexpr int kInvalidCursor = 1001;
constexpr int kNotInSelectList = 1007;
constexpr int kStillExecuting = 3123;
constexpr int kBlockingMode = 3128;
constexpr ub1 kWarnAny = 0x01;
constexpr ub1 kWarnTruncated = 0x02;
constexpr ub1 kWarnCompile = 0x20;

struct Cda7;

struct Lda7 : Handle {
  Lda_Def* area = nullptr;
  EnvH* env = nullptr;
  ErrorH* err = nullptr;
  SvcCtxH* svc = nullptr;
  bool owns_login = false;  // made by olog: ologof logs off and frees the handles
  bool autocommit = false;
  std::vector<Cda7*> cursors;
  int last_code = 0;
  std::string last_text;
};

struct Cda7 : Handle {
  Cda_Def* area = nullptr;
  Lda7* lda = nullptr;
  ErrorH* err = nullptr;
  StmtH* stmt = nullptr;
  bool parsed = false;
  bool described = false;  // columns known (described or executed)
  bool at_end = false;     // ORA-01403 given: the next fetch is out of sequence
};

// Texts of failures that have no live login data area to keep them (a
// failed olog), by ORA number, for oerhms.
struct OrphanErrors {
  std::mutex mutex;
  std::vector<std::pair<int, std::string>> texts;
};
OrphanErrors& orphan_errors() {
  static OrphanErrors e;
  return e;
}

void keep_orphan_text(int code, const std::string& text) {
  auto& o = orphan_errors();
  std::lock_guard lock(o.mutex);
  for (auto& [c, t] : o.texts)
    if (c == code) {
      t = text;
      return;
    }
  if (o.texts.size() >= 32) o.texts.erase(o.texts.begin());
  o.texts.emplace_back(code, text);
}

Lda7* lda_of(Lda_Def* area) {
  if (!area) return nullptr;
  auto* l = as<Lda7>(area->rcsp, kHtypeLda7);
  return l && l->area == area ? l : nullptr;
}

Cda7* cda_of(Cda_Def* area) {
  if (!area) return nullptr;
  auto* c = as<Cda7>(area->rcsp, kHtypeCda7);
  return c && c->area == area ? c : nullptr;
}

void clear_area(Cda_Def* area) {
  area->v2_rc = 0;
  area->rc = 0;
  area->wrn = 0;
  area->peo = 0;
}

// Sets the data area's return code; 0 on success, else the ORA number.
sword set_rc(Cda_Def* area, Lda7* lda, int code, const std::string& text) {
  area->rc = static_cast<ub2>(code);
  area->v2_rc = static_cast<sb2>(-code);
  if (code == 0) return 0;
  std::string t = text.empty() ? engine_error(code).text : text;
  while (!t.empty() && t.back() == '\n') t.pop_back();
  if (lda) {
    lda->last_code = code;
    lda->last_text = t;
  } else {
    keep_orphan_text(code, t);
  }
  return code;
}

sword fail(Cda_Def* area, Lda7* lda, const OraError& e) { return set_rc(area, lda, e.code, e.text); }

// Copies the first record of an error handle into the data area.
sword from_error_handle(Cda_Def* area, Lda7* lda, ErrorH* err) {
  if (!err || err->records.empty()) return set_rc(area, lda, ora::kUnimplemented, "");
  area->peo = err->parse_offset;
  return set_rc(area, lda, err->records.front().code, err->records.front().text);
}

void free_cursor_state(Cda7* c) {
  if (c->stmt) OCIHandleFree(c->stmt, OCI_HTYPE_STMT);
  if (c->err) OCIHandleFree(c->err, OCI_HTYPE_ERROR);
  c->stmt = nullptr;
  c->err = nullptr;
  if (c->area && c->area->rcsp == c) c->area->rcsp = nullptr;
  unregister_handle(c);
  delete c;
}

void close_cursor(Cda7* c) {
  if (Lda7* l = c->lda; l && find_handle(l, kHtypeLda7)) std::erase(l->cursors, c);
  free_cursor_state(c);
}

// Ends a login data area's state; its cursors go with it.
void release_lda(Lda7* l) {
  for (Cda7* c : l->cursors) free_cursor_state(c);
  l->cursors.clear();
  if (l->err) OCIHandleFree(l->err, OCI_HTYPE_ERROR);
  if (l->area && l->area->rcsp == l) l->area->rcsp = nullptr;
  unregister_handle(l);
  delete l;
}

Lda7* new_lda(Lda_Def* area, EnvH* env, SvcCtxH* svc, bool owns) {
  auto* l = new Lda7();
  l->type = kHtypeLda7;
  l->area = area;
  l->env = env;
  l->svc = svc;
  l->owns_login = owns;
  void* e = nullptr;
  OCIHandleAlloc(env, &e, OCI_HTYPE_ERROR, 0, nullptr);
  l->err = static_cast<ErrorH*>(e);
  register_handle(l);
  area->rcsp = l;
  clear_area(area);
  area->rpc = 0;
  area->ft = 0;
  return l;
}

std::string text_arg(const OraText* p, sword len) {
  if (!p) return {};
  if (len < 0) return reinterpret_cast<const char*>(p);
  return std::string(reinterpret_cast<const char*>(p), static_cast<size_t>(len));
}

// The calls that work on an open cursor share their checks: a valid data
// area with a parsed statement of a still logged-on session.
Cda7* open_cursor(Cda_Def* area, bool need_parse, sword& rc) {
  rc = 0;
  if (!area) {
    rc = kInvalidCursor;
    return nullptr;
  }
  clear_area(area);
  Cda7* c = cda_of(area);
  if (!c) {
    rc = set_rc(area, nullptr, kInvalidCursor, "");
    return nullptr;
  }
  if (!c->lda || !find_handle(c->lda, kHtypeLda7) || !session_of(c->lda->svc)) {
    rc = set_rc(area, nullptr, kNotLoggedOn, "");
    return nullptr;
  }
  if (need_parse && !c->parsed) {
    rc = set_rc(area, c->lda, kInvalidCursor, "");
    return nullptr;
  }
  // The error handle is not cleared here: a non-blocking call may still be
  // running on it; each OCI call below clears it when it starts.
  return c;
}

// The outcome of an OCI call on a cursor as the old interface reports it.
sword finish(Cda7* c, sword rc) {
  Cda_Def* a = c->area;
  if (rc == OCI_STILL_EXECUTING) {
    // The statement belongs to the worker until the call ends.
    a->rc = kStillExecuting;
    a->v2_rc = -kStillExecuting;
    return OCI_STILL_EXECUTING;
  }
  a->rpc = c->stmt->row_count;
  a->ft = static_cast<ub2>(c->stmt->stmt ? c->stmt->stmt->fn_code() : 0);
  if (rc == OCI_SUCCESS) return set_rc(a, c->lda, 0, "");
  if (rc == OCI_SUCCESS_WITH_INFO) {
    int code = c->err->records.empty() ? 0 : c->err->records.front().code;
    if (code == ora::kCompiledWithErrors) a->wrn |= kWarnAny | kWarnCompile;
    else if (code == ora::kTruncationOrNull) a->wrn |= kWarnAny | kWarnTruncated;
    else a->wrn |= kWarnAny;
    return set_rc(a, c->lda, 0, "");
  }
  if (rc == OCI_NO_DATA) {
    c->at_end = true;
    return set_rc(a, c->lda, ora::kNoDataFound, "");
  }
  return from_error_handle(a, c->lda, c->err);
}

// Makes the columns of a query known without running it.
sword ensure_described(Cda7* c) {
  if (c->described) return 0;
  clear_errors(c->err);
  sword rc = execute_blocking(c->lda->svc, c->stmt, c->err, 0, 0, OCI_DESCRIBE_ONLY);
  if (rc != OCI_SUCCESS && rc != OCI_SUCCESS_WITH_INFO) return from_error_handle(c->area, c->lda, c->err);
  c->described = true;
  return 0;
}

ub4 execute_mode(const Cda7* c) { return c->lda->autocommit ? OCI_COMMIT_ON_SUCCESS : OCI_DEFAULT; }

bool is_query(const Cda7* c) { return c->stmt->shape.is_query; }

int display_size(const OracleType& t) {
  switch (t.code) {
    case describe_code::kNumber: return t.precision && *t.precision > 0 ? *t.precision + 2 : 40;
    case describe_code::kDate: return 9;
    case describe_code::kRaw: return t.describe_size() * 2;
    default: return t.describe_size();
  }
}

sword logon(Lda_Def* lda, const OraText* uid, sword uidl, const OraText* pswd, sword pswdl, const OraText* conn,
            sword connl) {
  if (!lda) return kNotLoggedOn;
  if (Lda7* old = lda_of(lda)) {
    // A second logon on a data area in use ends the first.
    if (old->owns_login && old->svc) OCILogoff(reinterpret_cast<OCISvcCtx*>(old->svc), reinterpret_cast<OCIError*>(old->err));
    EnvH* env = old->owns_login ? old->env : nullptr;
    release_lda(old);
    if (env) OCIHandleFree(env, OCI_HTYPE_ENV);
  }
  lda->rcsp = nullptr;
  clear_area(lda);
  std::string user = text_arg(uid, uidl), password = text_arg(pswd, pswdl), connect = text_arg(conn, connl);
  // "user/password@connect" in the user argument alone.
  if (password.empty()) {
    if (size_t at = user.find('@'); at != std::string::npos && connect.empty()) {
      connect = user.substr(at + 1);
      user.erase(at);
    }
    if (size_t slash = user.find('/'); slash != std::string::npos) {
      password = user.substr(slash + 1);
      user.erase(slash);
    }
  }
  void* envp = nullptr;
  if (OCIEnvCreate(reinterpret_cast<OCIEnv**>(&envp), OCI_THREADED | OCI_OBJECT, nullptr, nullptr, nullptr, nullptr, 0,
                   nullptr) != OCI_SUCCESS) {
    if (envp) OCIHandleFree(envp, OCI_HTYPE_ENV);
    return set_rc(lda, nullptr, ora::kUnimplemented, "");
  }
  void* errp = nullptr;
  OCIHandleAlloc(envp, &errp, OCI_HTYPE_ERROR, 0, nullptr);
  OCISvcCtx* svc = nullptr;
  auto* err = static_cast<ErrorH*>(errp);
  sword rc = OCILogon(static_cast<OCIEnv*>(envp), static_cast<OCIError*>(errp), &svc,
                      reinterpret_cast<const OraText*>(user.data()), static_cast<ub4>(user.size()),
                      reinterpret_cast<const OraText*>(password.data()), static_cast<ub4>(password.size()),
                      reinterpret_cast<const OraText*>(connect.data()), static_cast<ub4>(connect.size()));
  if (rc != OCI_SUCCESS && rc != OCI_SUCCESS_WITH_INFO) {
    sword r = from_error_handle(lda, nullptr, err);
    OCIHandleFree(errp, OCI_HTYPE_ERROR);
    OCIHandleFree(envp, OCI_HTYPE_ENV);
    return r;
  }
  OCIHandleFree(errp, OCI_HTYPE_ERROR);
  new_lda(lda, static_cast<EnvH*>(envp), as<SvcCtxH>(svc, OCI_HTYPE_SVCCTX), true);
  return 0;
}

// The server of a login data area, for the non-blocking switches.
ServerH* server_of_lda(Lda7* l) {
  if (!l->svc || !find_handle(l->svc, OCI_HTYPE_SVCCTX)) return nullptr;
  return l->svc->server && find_handle(l->svc->server, OCI_HTYPE_SERVER) ? l->svc->server : nullptr;
}

// Checks for the login-level calls: a live LDA with a session.
Lda7* live_lda(Lda_Def* lda, sword& rc) {
  rc = 0;
  if (!lda) {
    rc = kNotLoggedOn;
    return nullptr;
  }
  clear_area(lda);
  Lda7* l = lda_of(lda);
  if (!l || !session_of(l->svc)) {
    rc = set_rc(lda, nullptr, kNotLoggedOn, "");
    return nullptr;
  }
  clear_errors(l->err);
  return l;
}

}  // namespace
}  // namespace ocilite

extern "C" {

sword OCISvcCtxToLda(OCISvcCtx* svchp, OCIError* errhp, Lda_Def* ldap) {
  auto* svc = as<SvcCtxH>(svchp, OCI_HTYPE_SVCCTX);
  auto* err = as<ErrorH>(errhp, OCI_HTYPE_ERROR);
  if (!svc || !err || !ldap) return OCI_INVALID_HANDLE;
  clear_errors(err);
  if (!session_of(svc)) return record_error(err, engine_error(ora::kNotConnected));
  if (Lda7* old = lda_of(ldap)) {
    if (old->svc != svc) return record_error(err, OraError{24309, "ORA-24309: already connected to a server"});
    return OCI_SUCCESS;
  }
  std::memset(ldap, 0, offsetof(Cda_Def, rcsp));
  new_lda(ldap, svc->env, svc, false);
  return OCI_SUCCESS;
}

sword OCILdaToSvcCtx(OCISvcCtx** svchpp, OCIError* errhp, Lda_Def* ldap) {
  auto* err = as<ErrorH>(errhp, OCI_HTYPE_ERROR);
  if (!svchpp || !err || !ldap) return OCI_INVALID_HANDLE;
  clear_errors(err);
  Lda7* l = lda_of(ldap);
  if (!l) return record_error(err, engine_error(kNotLoggedOn));
  *svchpp = reinterpret_cast<OCISvcCtx*>(l->svc);
  // An LDA from olog hands its service context (and environment) to the
  // caller, who ends it with OCILogoff.
  release_lda(l);
  return OCI_SUCCESS;
}

sword opinit(ub4) { return 0; }

sword olog(Lda_Def* lda, ub1*, OraText* uid, sword uidl, OraText* pswd, sword pswdl, OraText* conn, sword connl, ub4) {
  return logon(lda, uid, uidl, pswd, pswdl, conn, connl);
}

sword orlon(Lda_Def* lda, ub1*, OraText* uid, sword uidl, OraText* pswd, sword pswdl, sword) {
  return logon(lda, uid, uidl, pswd, pswdl, nullptr, 0);
}

sword ologof(Lda_Def* lda) {
  if (!lda) return kNotLoggedOn;
  clear_area(lda);
  Lda7* l = lda_of(lda);
  if (!l) return set_rc(lda, nullptr, kNotLoggedOn, "");
  sword rc = 0;
  EnvH* env = l->owns_login ? l->env : nullptr;
  SvcCtxH* svc = l->svc;
  for (Cda7* c : l->cursors) free_cursor_state(c);
  l->cursors.clear();
  if (l->owns_login && svc && find_handle(svc, OCI_HTYPE_SVCCTX)) {
    // Logging off commits, as it does when a session ends normally.
    if (OCILogoff(reinterpret_cast<OCISvcCtx*>(svc), reinterpret_cast<OCIError*>(l->err)) != OCI_SUCCESS)
      rc = from_error_handle(lda, nullptr, l->err);
  }
  release_lda(l);
  if (env) OCIHandleFree(env, OCI_HTYPE_ENV);
  return rc;
}

sword oopen(Cda_Def* cursor, Lda_Def* lda, OraText*, sword, sword, OraText*, sword) {
  if (!cursor) return kInvalidCursor;
  sword rc = 0;
  Lda7* l = live_lda(lda, rc);
  std::memset(cursor, 0, offsetof(Cda_Def, rcsp));
  if (Cda7* old = cda_of(cursor)) close_cursor(old);
  cursor->rcsp = nullptr;
  if (!l) return set_rc(cursor, nullptr, kNotLoggedOn, "");
  auto* c = new Cda7();
  c->type = kHtypeCda7;
  c->area = cursor;
  c->lda = l;
  void *st = nullptr, *e = nullptr;
  OCIHandleAlloc(l->env, &st, OCI_HTYPE_STMT, 0, nullptr);
  OCIHandleAlloc(l->env, &e, OCI_HTYPE_ERROR, 0, nullptr);
  c->stmt = static_cast<StmtH*>(st);
  c->err = static_cast<ErrorH*>(e);
  register_handle(c);
  l->cursors.push_back(c);
  cursor->rcsp = c;
  return 0;
}

sword oclose(Cda_Def* cursor) {
  if (!cursor) return kInvalidCursor;
  clear_area(cursor);
  Cda7* c = cda_of(cursor);
  if (!c) return set_rc(cursor, nullptr, kInvalidCursor, "");
  close_cursor(c);
  return 0;
}

sword oparse(Cda_Def* cursor, OraText* sqlstm, sb4 sqllen, sword defflg, ub4) {
  sword rc = 0;
  Cda7* c = open_cursor(cursor, false, rc);
  if (!c) return rc;
  cursor->rpc = 0;
  cursor->ft = 0;
  c->parsed = c->described = c->at_end = false;
  if (!sqlstm) return set_rc(cursor, c->lda, 24373, "ORA-24373: invalid length specified for statement");
  std::string sql = sqllen < 0 ? std::string(reinterpret_cast<const char*>(sqlstm))
                               : std::string(reinterpret_cast<const char*>(sqlstm), static_cast<size_t>(sqllen));
  if (OCIStmtPrepare(reinterpret_cast<OCIStmt*>(c->stmt), reinterpret_cast<OCIError*>(c->err),
                     reinterpret_cast<const OraText*>(sql.data()), static_cast<ub4>(sql.size()), OCI_NTV_SYNTAX,
                     OCI_DEFAULT) != OCI_SUCCESS)
    return from_error_handle(cursor, c->lda, c->err);
  c->parsed = true;
  if (defflg == 0) {
    // An immediate parse reports a faulty text now rather than at execute:
    // a query is compiled (which finds missing tables and columns), any
    // other statement rewritten.
    if (is_query(c)) return ensure_described(c);
    Session* s = session_of(c->lda->svc);
    StmtH* st = c->stmt;
    st->stmt = std::make_unique<Statement>(*s, st->sql_utf8);
    st->session = s;
    int off = -1;
    if (OraError e = st->stmt->prepare(off)) {
      if (off >= 0) cursor->peo = static_cast<ub2>(client_offset(st->env->charset, st->sql_utf8, static_cast<size_t>(off)));
      return fail(cursor, c->lda, e);
    }
    cursor->ft = static_cast<ub2>(st->stmt->fn_code());
  }
  return 0;
}

sword obndra(Cda_Def* cursor, OraText* sqlvar, sword sqlvl, ub1* progv, sword progvl, sword ftype, sword, sb2* indp,
             ub2* alen, ub2* arcode, ub4 maxsiz, ub4* cursiz, OraText*, sword, sword) {
  sword rc = 0;
  Cda7* c = open_cursor(cursor, true, rc);
  if (!c) return rc;
  if (!sqlvar) return set_rc(cursor, c->lda, 1036, "ORA-01036: illegal variable name/number");
  OCIBind* b = nullptr;
  if (OCIBindByName(reinterpret_cast<OCIStmt*>(c->stmt), &b, reinterpret_cast<OCIError*>(c->err), sqlvar, sqlvl, progv,
                    progvl, static_cast<ub2>(ftype), indp, alen, arcode, maxsiz, cursiz, OCI_DEFAULT) != OCI_SUCCESS)
    return from_error_handle(cursor, c->lda, c->err);
  return 0;
}

sword obndrv(Cda_Def* cursor, OraText* sqlvar, sword sqlvl, ub1* progv, sword progvl, sword ftype, sword scale,
             sb2* indp, OraText* fmt, sword fmtl, sword fmtt) {
  return obndra(cursor, sqlvar, sqlvl, progv, progvl, ftype, scale, indp, nullptr, nullptr, 0, nullptr, fmt, fmtl, fmtt);
}

sword odescr(Cda_Def* cursor, sword pos, sb4* dbsize, sb2* dbtype, sb1* cbuf, sb4* cbufl, sb4* dsize, sb2* prec,
             sb2* scale, sb2* nullok) {
  sword rc = 0;
  Cda7* c = open_cursor(cursor, true, rc);
  if (!c) return rc;
  // Statements other than queries have no select list.
  if (!is_query(c)) return set_rc(cursor, c->lda, kNotInSelectList, "");
  if (sword r = ensure_described(c)) return r;
  const auto& params = c->stmt->params;
  if (pos < 1 || static_cast<size_t>(pos) > params.size()) return set_rc(cursor, c->lda, kNotInSelectList, "");
  const ParamH& p = *params[static_cast<size_t>(pos) - 1];
  const OracleType& t = p.col.type;
  if (dbsize) *dbsize = t.describe_size();
  if (dbtype) *dbtype = static_cast<sb2>(t.code);
  if (cbufl) {
    size_t room = cbuf && *cbufl > 0 ? static_cast<size_t>(*cbufl) : 0;
    size_t n = std::min(room, p.name.size());
    if (cbuf && n) std::memcpy(cbuf, p.name.data(), n);
    *cbufl = static_cast<sb4>(n);
  }
  if (dsize) *dsize = display_size(t);
  if (prec) *prec = static_cast<sb2>(t.describe_precision());
  if (scale) *scale = static_cast<sb2>(t.describe_scale());
  if (nullok) *nullok = p.col.nullable ? 1 : 0;
  cursor->ft = static_cast<ub2>(c->stmt->stmt ? c->stmt->stmt->fn_code() : 0);
  return 0;
}

sword odefin(Cda_Def* cursor, sword pos, ub1* buf, sword bufl, sword ftype, sword, sb2* indp, OraText*, sword, sword,
             ub2* rlen, ub2* rcode) {
  sword rc = 0;
  Cda7* c = open_cursor(cursor, true, rc);
  if (!c) return rc;
  if (!is_query(c) || pos < 1) return set_rc(cursor, c->lda, kNotInSelectList, "");
  if (c->described && static_cast<size_t>(pos) > c->stmt->params.size()) return set_rc(cursor, c->lda, kNotInSelectList, "");
  OCIDefine* d = nullptr;
  if (OCIDefineByPos(reinterpret_cast<OCIStmt*>(c->stmt), &d, reinterpret_cast<OCIError*>(c->err), static_cast<ub4>(pos),
                     buf, bufl, static_cast<ub2>(ftype), indp, rlen, rcode, OCI_DEFAULT) != OCI_SUCCESS)
    return from_error_handle(cursor, c->lda, c->err);
  return 0;
}

sword oexn(Cda_Def* cursor, sword iters, sword rowoff) {
  sword rc = 0;
  Cda7* c = open_cursor(cursor, true, rc);
  if (!c) return rc;
  c->at_end = false;
  ub4 n = is_query(c) ? 0 : static_cast<ub4>(iters < 1 ? 1 : iters);
  sword r = OCIStmtExecute(reinterpret_cast<OCISvcCtx*>(c->lda->svc), reinterpret_cast<OCIStmt*>(c->stmt),
                           reinterpret_cast<OCIError*>(c->err), n, static_cast<ub4>(rowoff < 0 ? 0 : rowoff), nullptr,
                           nullptr, execute_mode(c));
  if (r == OCI_SUCCESS || r == OCI_SUCCESS_WITH_INFO) c->described = true;
  return finish(c, r);
}

sword oexec(Cda_Def* cursor) { return oexn(cursor, 1, 0); }

sword oexfet(Cda_Def* cursor, ub4 nrows, sword cancel, sword) {
  sword rc = 0;
  Cda7* c = open_cursor(cursor, true, rc);
  if (!c) return rc;
  if (!is_query(c)) return oexn(cursor, 1, 0);
  c->at_end = false;
  sword r = OCIStmtExecute(reinterpret_cast<OCISvcCtx*>(c->lda->svc), reinterpret_cast<OCIStmt*>(c->stmt),
                           reinterpret_cast<OCIError*>(c->err), nrows ? nrows : 1, 0, nullptr, nullptr, execute_mode(c));
  if (r == OCI_SUCCESS || r == OCI_SUCCESS_WITH_INFO || r == OCI_NO_DATA) c->described = true;
  sword result = finish(c, r);
  // `cancel`: the caller wants these rows only; the cursor is done.
  if (cancel && r != OCI_STILL_EXECUTING && r != OCI_ERROR && c->stmt->stmt) {
    c->stmt->stmt->close_cursor();
    c->stmt->end_of_fetch = true;
    c->at_end = true;
  }
  return result;
}

sword ofen(Cda_Def* cursor, sword nrows) {
  sword rc = 0;
  Cda7* c = open_cursor(cursor, true, rc);
  if (!c) return rc;
  if (!is_query(c) || !c->stmt->executed) return set_rc(cursor, c->lda, ora::kFetchOutOfSequence, "");
  if (c->at_end) {
    cursor->rpc = c->stmt->row_count;
    return set_rc(cursor, c->lda, ora::kFetchOutOfSequence, "");
  }
  sword r = OCIStmtFetch2(reinterpret_cast<OCIStmt*>(c->stmt), reinterpret_cast<OCIError*>(c->err),
                          static_cast<ub4>(nrows < 1 ? 1 : nrows), OCI_FETCH_NEXT, 0, OCI_DEFAULT);
  return finish(c, r);
}

sword ofetch(Cda_Def* cursor) { return ofen(cursor, 1); }

sword ocan(Cda_Def* cursor) {
  sword rc = 0;
  Cda7* c = open_cursor(cursor, true, rc);
  if (!c) return rc;
  if (c->stmt->executed && c->stmt->stmt) {
    c->stmt->stmt->close_cursor();
    c->stmt->end_of_fetch = true;
  }
  c->at_end = true;
  return 0;
}

// A piece of a LONG or LONG RAW column of the row fetched last.
sword oflng(Cda_Def* cursor, sword pos, ub1* buf, sb4 bufl, sword, ub4* retl, sb4 offset) {
  sword rc = 0;
  Cda7* c = open_cursor(cursor, true, rc);
  if (!c) return rc;
  StmtH* st = c->stmt;
  if (!st->executed || !st->stmt || pos < 1 || static_cast<size_t>(pos) > st->stmt->columns().size() ||
      static_cast<size_t>(pos) > st->row_buf.size() || st->rows_fetched == 0)
    return set_rc(cursor, c->lda, kNotInSelectList, "");
  const ColumnDesc& col = st->stmt->columns()[static_cast<size_t>(pos) - 1];
  const Value& v = st->row_buf[static_cast<size_t>(pos) - 1];
  std::string bytes;
  if (v.kind == Value::Kind::blob) bytes = v.s;
  else if (!v.is_null()) bytes = utf8_to_client(st->env->charset, value_as_text(v, col, *st->session));
  size_t from = offset > 0 ? static_cast<size_t>(offset) : 0;
  size_t n = from < bytes.size() ? std::min(bytes.size() - from, static_cast<size_t>(bufl > 0 ? bufl : 0)) : 0;
  if (buf && n) std::memcpy(buf, bytes.data() + from, n);
  if (retl) *retl = static_cast<ub4>(n);
  return 0;
}

sword ocom(Lda_Def* lda) {
  sword rc = 0;
  Lda7* l = live_lda(lda, rc);
  if (!l) return rc;
  if (OCITransCommit(reinterpret_cast<OCISvcCtx*>(l->svc), reinterpret_cast<OCIError*>(l->err), OCI_DEFAULT) != OCI_SUCCESS)
    return from_error_handle(lda, l, l->err);
  return 0;
}

sword orol(Lda_Def* lda) {
  sword rc = 0;
  Lda7* l = live_lda(lda, rc);
  if (!l) return rc;
  if (OCITransRollback(reinterpret_cast<OCISvcCtx*>(l->svc), reinterpret_cast<OCIError*>(l->err), OCI_DEFAULT) !=
      OCI_SUCCESS)
    return from_error_handle(lda, l, l->err);
  return 0;
}

sword ocon(Lda_Def* lda) {
  sword rc = 0;
  Lda7* l = live_lda(lda, rc);
  if (!l) return rc;
  l->autocommit = true;
  return 0;
}

sword ocof(Lda_Def* lda) {
  sword rc = 0;
  Lda7* l = live_lda(lda, rc);
  if (!l) return rc;
  l->autocommit = false;
  return 0;
}

// May come from another thread while a call runs: only the break flag is touched.
sword obreak(Lda_Def* lda) {
  if (!lda) return kNotLoggedOn;
  Lda7* l = lda_of(lda);
  if (!l || !l->svc) return kNotLoggedOn;
  if (OCIBreak(l->svc, nullptr) != OCI_SUCCESS) return kNotLoggedOn;
  return 0;
}

sword onbset(Lda_Def* lda) {
  sword rc = 0;
  Lda7* l = live_lda(lda, rc);
  if (!l) return rc;
  if (ServerH* srv = server_of_lda(l)) srv->nonblocking = true;
  return 0;
}

sword onbclr(Lda_Def* lda) {
  sword rc = 0;
  Lda7* l = live_lda(lda, rc);
  if (!l) return rc;
  if (ServerH* srv = server_of_lda(l)) {
    std::unique_ptr<AsyncCall> pending;
    {
      std::lock_guard lock(srv->async_mutex);
      pending = std::move(srv->async);
    }
    if (pending && pending->result.valid()) pending->result.wait();
    srv->nonblocking = false;
  }
  return 0;
}

sword onbtst(Lda_Def* lda) {
  sword rc = 0;
  Lda7* l = live_lda(lda, rc);
  if (!l) return rc;
  ServerH* srv = server_of_lda(l);
  if (srv && srv->nonblocking) return 0;
  return set_rc(lda, l, kBlockingMode, "ORA-03128: connection is in blocking mode");
}

sword oerhms(Lda_Def* lda, sb2 rcode, OraText* buf, sword bufsiz) {
  if (!buf || bufsiz <= 0) return 0;
  int code = rcode < 0 ? -rcode : rcode;
  std::string text;
  if (Lda7* l = lda_of(lda); l && l->last_code == code) text = l->last_text;
  if (text.empty()) {
    auto& o = orphan_errors();
    std::lock_guard lock(o.mutex);
    for (const auto& [c, t] : o.texts)
      if (c == code) text = t;
  }
  if (text.empty()) text = engine_error(code).text;
  text += "\n";
  size_t n = std::min<size_t>(text.size(), static_cast<size_t>(bufsiz) - 1);
  std::memcpy(buf, text.data(), n);
  buf[n] = 0;
  return static_cast<sword>(n);
}

}  // extern "C"
