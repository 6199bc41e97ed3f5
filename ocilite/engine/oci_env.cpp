// Environment, handles, descriptors, attributes, error records and NLS facts.
#include <cstdlib>
#include <cstring>
#include <unordered_set>

#include "engine_error.h"
#include "oci_handles_p.h"
#include "oci_objects_p.h"

namespace ocilite {
namespace {

std::mutex& registry_mutex() {
  static std::mutex m;
  return m;
}
std::unordered_set<const void*>& registry() {
  static std::unordered_set<const void*> r;
  return r;
}

sword bad_attribute(ErrorH* err) { return record_error(err, engine_error(ora::kIllegalAttribute)); }

std::string text_value(const void* attributep, ub4 size) {
  if (!attributep) return {};
  const char* p = static_cast<const char*>(attributep);
  return size ? std::string(p, size) : std::string(p);
}

}  // namespace

void register_handle(Handle* h) {
  std::lock_guard lock(registry_mutex());
  registry().insert(h);
}

void unregister_handle(Handle* h) {
  std::lock_guard lock(registry_mutex());
  registry().erase(h);
  h->magic = 0;
}

Handle* find_handle(const void* p, ub4 type) {
  if (!p) return nullptr;
  std::lock_guard lock(registry_mutex());
  if (!registry().count(p)) return nullptr;
  Handle* h = static_cast<Handle*>(const_cast<void*>(p));
  if (h->magic != kHandleMagic || (type && h->type != type)) return nullptr;
  return h;
}

const CharsetInfo& charset_of(const ErrorH* err) {
  static const CharsetInfo fallback = charset_from_nls_lang(std::getenv("NLS_LANG"));
  return err && err->env ? err->env->charset : fallback;
}

void clear_errors(ErrorH* err) {
  if (!err) return;
  err->records.clear();
  err->parse_offset = 0;
}

void add_record(ErrorH* err, const OraError& e) {
  if (!err) return;
  ErrorRecord r;
  r.code = e.code;
  r.text = utf8_to_client(charset_of(err), e.text) + "\n";
  err->records.push_back(std::move(r));
}

sword record_error(ErrorH* err, const OraError& e, int parse_offset) {
  add_record(err, e);
  if (err && parse_offset >= 0) err->parse_offset = static_cast<ub2>(parse_offset);
  return OCI_ERROR;
}

Session* session_of(SvcCtxH* svc) {
  if (!svc || !svc->session || !find_handle(svc->session, OCI_HTYPE_SESSION)) return nullptr;
  return svc->session->session.get();
}

}  // namespace ocilite

using namespace ocilite;

namespace {

template <class T>
T* make_handle(ub4 type) {
  auto* h = new T();
  h->type = type;
  register_handle(h);
  return h;
}

void destroy(Handle* h) {
  unregister_handle(h);
  delete h;
}

sword create_env(OCIEnv** envpp, ub4 mode, ub2 charset) {
  if (!envpp) return OCI_INVALID_HANDLE;
  auto* env = make_handle<EnvH>(OCI_HTYPE_ENV);
  env->mode = mode;
  env->charset = charset_from_nls_lang(std::getenv("NLS_LANG"));
  if (charset) {
    CharsetInfo cs;
    if (charset_from_id(charset, cs)) env->charset = cs;
  }
  *envpp = reinterpret_cast<OCIEnv*>(env);
  if (mode & OCI_UTF16) {
    // UTF-16 environments are not offered: every text is in the client character set.
    ErrorRecord r{3001, "ORA-03001: unimplemented feature: OCI_UTF16 environments\n"};
    env->errors.push_back(r);
    return OCI_ERROR;
  }
  return OCI_SUCCESS;
}

}  // namespace

extern "C" {

sword OCIEnvCreate(OCIEnv** envpp, ub4 mode, void*, oci_malloc_fn, oci_realloc_fn, oci_free_fn, size_t,
                   void** usrmempp) {
  if (usrmempp) *usrmempp = nullptr;
  return create_env(envpp, mode, 0);
}

sword OCIEnvNlsCreate(OCIEnv** envpp, ub4 mode, void*, oci_malloc_fn, oci_realloc_fn, oci_free_fn, size_t,
                      void** usrmempp, ub2 charset, ub2) {
  if (usrmempp) *usrmempp = nullptr;
  return create_env(envpp, mode, charset);
}

sword OCIInitialize(ub4, void*, oci_malloc_fn, oci_realloc_fn, oci_free_fn) { return OCI_SUCCESS; }

sword OCIEnvInit(OCIEnv** envpp, ub4 mode, size_t, void** usrmempp) {
  if (usrmempp) *usrmempp = nullptr;
  return create_env(envpp, mode & ~static_cast<ub4>(OCI_ENV_NO_UCB | OCI_ENV_NO_MUTEX), 0);
}

sword OCIHandleAlloc(const void* parenth, void** hndlpp, ub4 type, size_t, void** usrmempp) {
  auto* env = as<EnvH>(parenth, OCI_HTYPE_ENV);
  if (!env || !hndlpp) return OCI_INVALID_HANDLE;
  if (usrmempp) *usrmempp = nullptr;
  Handle* h = nullptr;
  switch (type) {
    case OCI_HTYPE_ERROR: {
      auto* e = make_handle<ErrorH>(type);
      e->env = env;
      h = e;
      break;
    }
    case OCI_HTYPE_SVCCTX: {
      auto* s = make_handle<SvcCtxH>(type);
      s->env = env;
      h = s;
      break;
    }
    case OCI_HTYPE_STMT: {
      auto* s = make_handle<StmtH>(type);
      s->env = env;
      h = s;
      break;
    }
    case OCI_HTYPE_SERVER: {
      auto* s = make_handle<ServerH>(type);
      s->env = env;
      h = s;
      break;
    }
    case OCI_HTYPE_SESSION: {
      auto* s = make_handle<SessionH>(type);
      s->env = env;
      h = s;
      break;
    }
    case OCI_HTYPE_TRANS: h = make_handle<TransH>(type); break;
    case OCI_HTYPE_DESCRIBE: h = make_handle<DescribeH>(type); break;
    default: return OCI_INVALID_HANDLE;
  }
  *hndlpp = h;
  return OCI_SUCCESS;
}

sword OCIHandleFree(void* hndlp, ub4 type) {
  Handle* h = find_handle(hndlp, type);
  if (!h) return OCI_INVALID_HANDLE;
  switch (type) {
    case OCI_HTYPE_STMT: {
      auto* s = static_cast<StmtH*>(h);
      for (auto& b : s->binds) unregister_handle(b.get());
      for (auto& d : s->defines)
        if (d) unregister_handle(d.get());
      for (auto& p : s->params) unregister_handle(p.get());
      break;
    }
    case OCI_HTYPE_SERVER: {
      auto* s = static_cast<ServerH*>(h);
      std::unique_ptr<AsyncCall> pending;
      {
        std::lock_guard lock(s->async_mutex);
        pending = std::move(s->async);
      }
      if (pending && pending->result.valid()) pending->result.wait();
      break;
    }
    case OCI_HTYPE_SESSION: {
      auto* s = static_cast<SessionH*>(h);
      if (s->server && find_handle(s->server, OCI_HTYPE_SERVER) && s->server->last_session == s)
        s->server->last_session = nullptr;
      break;
    }
    default:
      break;
  }
  destroy(h);
  return OCI_SUCCESS;
}

sword OCIDescriptorAlloc(const void* parenth, void** descpp, ub4 type, size_t, void** usrmempp) {
  if (!as<EnvH>(parenth, OCI_HTYPE_ENV) || !descpp) return OCI_INVALID_HANDLE;
  if (usrmempp) *usrmempp = nullptr;
  switch (type) {
    case OCI_DTYPE_PARAM: {
      auto* p = make_handle<ParamH>(type);
      p->owned_by_stmt = false;
      *descpp = p;
      return OCI_SUCCESS;
    }
    case OCI_DTYPE_ROWID: *descpp = make_handle<RowidH>(type); return OCI_SUCCESS;
    case OCI_DTYPE_DATE:
    case OCI_DTYPE_TIMESTAMP:
    case OCI_DTYPE_TIMESTAMP_TZ:
    case OCI_DTYPE_TIMESTAMP_LTZ:
    case OCI_DTYPE_INTERVAL_YM:
    case OCI_DTYPE_INTERVAL_DS:
      return alloc_datetime_descriptor(type, descpp) ? OCI_SUCCESS : OCI_INVALID_HANDLE;
    case OCI_DTYPE_LOB:
    case OCI_DTYPE_FILE: {
      auto* l = make_handle<LobH>(type);
      l->is_file = type == OCI_DTYPE_FILE;
      *descpp = l;
      return OCI_SUCCESS;
    }
    default:
      return OCI_INVALID_HANDLE;
  }
}

sword OCIDescriptorFree(void* descp, ub4 type) {
  Handle* h = find_handle(descp, type);
  if (!h) return OCI_INVALID_HANDLE;
  if (type == OCI_DTYPE_PARAM && static_cast<ParamH*>(h)->owned_by_stmt) return OCI_SUCCESS;  // freed with its statement
  destroy(h);
  return OCI_SUCCESS;
}

sword OCIErrorGet(void* hndlp, ub4 recordno, OraText*, sb4* errcodep, OraText* bufp, ub4 bufsiz, ub4 type) {
  const std::vector<ErrorRecord>* records = nullptr;
  if (type == OCI_HTYPE_ERROR) {
    auto* e = as<ErrorH>(hndlp, OCI_HTYPE_ERROR);
    if (!e) return OCI_INVALID_HANDLE;
    records = &e->records;
  } else if (type == OCI_HTYPE_ENV) {
    auto* e = as<EnvH>(hndlp, OCI_HTYPE_ENV);
    if (!e) return OCI_INVALID_HANDLE;
    records = &e->errors;
  } else {
    return OCI_INVALID_HANDLE;
  }
  if (recordno < 1 || recordno > records->size()) return OCI_NO_DATA;
  const ErrorRecord& r = (*records)[recordno - 1];
  if (errcodep) *errcodep = r.code;
  if (bufp && bufsiz > 0) {
    size_t n = std::min<size_t>(r.text.size(), bufsiz - 1);
    std::memcpy(bufp, r.text.data(), n);
    bufp[n] = 0;
  }
  return OCI_SUCCESS;
}

sword OCIAttrGet(const void* trgthndlp, ub4 trghndltyp, void* attributep, ub4* sizep, ub4 attrtype, OCIError* errhp) {
  auto* err = as<ErrorH>(errhp, OCI_HTYPE_ERROR);
  Handle* h = find_handle(trgthndlp, trghndltyp);
  if (!h) return OCI_INVALID_HANDLE;
  // No clearing here: clients read the parse offset of the last failure
  // through the same error handle right after OCIErrorGet.
  switch (trghndltyp) {
    case OCI_HTYPE_ENV: {
      auto* env = static_cast<EnvH*>(h);
      if (attrtype == OCI_ATTR_ENV_CHARSET_ID) return put_attr<ub2>(attributep, sizep, env->charset.id), OCI_SUCCESS;
      if (attrtype == OCI_ATTR_ENV_NCHARSET_ID) return put_attr<ub2>(attributep, sizep, 2000), OCI_SUCCESS;
      if (attrtype == OCI_ATTR_ENV_UTF16) return put_attr<ub1>(attributep, sizep, 0), OCI_SUCCESS;
      if (attrtype == OCI_ATTR_OBJECT) return put_attr<boolean>(attributep, sizep, (env->mode & OCI_OBJECT) != 0), OCI_SUCCESS;
      return bad_attribute(err);
    }
    case OCI_HTYPE_SERVER: {
      auto* srv = static_cast<ServerH*>(h);
      if (attrtype == OCI_ATTR_NONBLOCKING_MODE) return put_attr<ub1>(attributep, sizep, srv->nonblocking ? 1 : 0), OCI_SUCCESS;
      if (attrtype == OCI_ATTR_SERVER_STATUS)
        return put_attr<ub4>(attributep, sizep, srv->attached ? OCI_SERVER_NORMAL : OCI_SERVER_NOT_CONNECTED), OCI_SUCCESS;
      if (attrtype == OCI_ATTR_ENV) return put_attr<void*>(attributep, sizep, srv->env), OCI_SUCCESS;
      return bad_attribute(err);
    }
    case OCI_HTYPE_SVCCTX: {
      auto* svc = static_cast<SvcCtxH*>(h);
      if (attrtype == OCI_ATTR_SERVER) return put_attr<void*>(attributep, sizep, svc->server), OCI_SUCCESS;
      if (attrtype == OCI_ATTR_SESSION) return put_attr<void*>(attributep, sizep, svc->session), OCI_SUCCESS;
      if (attrtype == OCI_ATTR_TRANS) return put_attr<void*>(attributep, sizep, svc->trans), OCI_SUCCESS;
      if (attrtype == OCI_ATTR_ENV) return put_attr<void*>(attributep, sizep, svc->env), OCI_SUCCESS;
      if (attrtype == OCI_ATTR_STMTCACHESIZE) return put_attr<ub4>(attributep, sizep, 0), OCI_SUCCESS;
      return bad_attribute(err);
    }
    case OCI_HTYPE_SESSION: {
      auto* ses = static_cast<SessionH*>(h);
      if (attrtype == OCI_ATTR_USERNAME) return put_text_attr(attributep, sizep, ses->username), OCI_SUCCESS;
      if (attrtype == OCI_ATTR_TRANSACTION_IN_PROGRESS)
        return put_attr<boolean>(attributep, sizep, ses->session && ses->session->in_transaction()), OCI_SUCCESS;
      return bad_attribute(err);
    }
    case OCI_HTYPE_STMT: {
      auto* st = static_cast<StmtH*>(h);
      switch (attrtype) {
        case OCI_ATTR_STMT_TYPE: put_attr<ub2>(attributep, sizep, static_cast<ub2>(st->shape.stmt_type)); return OCI_SUCCESS;
        case OCI_ATTR_SQLFNCODE: put_attr<ub2>(attributep, sizep, static_cast<ub2>(st->stmt ? st->stmt->fn_code() : 0)); return OCI_SUCCESS;
        case OCI_ATTR_ROW_COUNT: put_attr<ub4>(attributep, sizep, st->row_count); return OCI_SUCCESS;
        case OCI_ATTR_UB8_ROW_COUNT: put_attr<ub8>(attributep, sizep, st->row_count); return OCI_SUCCESS;
        case OCI_ATTR_ROWS_FETCHED: put_attr<ub4>(attributep, sizep, st->rows_fetched); return OCI_SUCCESS;
        case OCI_ATTR_PARAM_COUNT: put_attr<ub4>(attributep, sizep, static_cast<ub4>(st->stmt && st->executed ? st->stmt->columns().size() : 0)); return OCI_SUCCESS;
        case OCI_ATTR_PREFETCH_ROWS: put_attr<ub4>(attributep, sizep, st->prefetch_rows); return OCI_SUCCESS;
        case OCI_ATTR_PREFETCH_MEMORY: put_attr<ub4>(attributep, sizep, st->prefetch_memory); return OCI_SUCCESS;
        case OCI_ATTR_BIND_COUNT: put_attr<ub4>(attributep, sizep, static_cast<ub4>(st->shape.bind_names.size())); return OCI_SUCCESS;
        case OCI_ATTR_STATEMENT: put_text_attr(attributep, sizep, st->sql); return OCI_SUCCESS;
        case OCI_ATTR_STMT_STATE:
          put_attr<ub4>(attributep, sizep, st->end_of_fetch ? OCI_STMT_STATE_END_OF_FETCH : st->executed ? OCI_STMT_STATE_EXECUTED : OCI_STMT_STATE_INITIALIZED);
          return OCI_SUCCESS;
        case OCI_ATTR_STMT_IS_RETURNING:
          put_attr<ub1>(attributep, sizep, st->stmt && !st->stmt->rewrite().returning_into.empty() ? 1 : 0);
          return OCI_SUCCESS;
        case OCI_ATTR_ROWID: {
          auto* rid = as<RowidH>(attributep, OCI_DTYPE_ROWID);
          if (!rid) return record_error(err, engine_error(ora::kInvalidRowid));
          rid->text = st->last_rowid;
          return OCI_SUCCESS;
        }
        case OCI_ATTR_PARSE_ERROR_OFFSET: put_attr<ub2>(attributep, sizep, err ? err->parse_offset : 0); return OCI_SUCCESS;
        case OCI_ATTR_ENV: put_attr<void*>(attributep, sizep, st->env); return OCI_SUCCESS;
        case OCI_ATTR_NUM_DML_ERRORS: put_attr<ub4>(attributep, sizep, 0); return OCI_SUCCESS;
        case OCI_ATTR_CURRENT_POSITION: put_attr<ub4>(attributep, sizep, st->row_count); return OCI_SUCCESS;
        default: return bad_attribute(err);
      }
    }
    case OCI_HTYPE_ERROR: {
      auto* e = static_cast<ErrorH*>(h);
      if (attrtype == OCI_ATTR_PARSE_ERROR_OFFSET) return put_attr<ub2>(attributep, sizep, e->parse_offset), OCI_SUCCESS;
      if (attrtype == OCI_ATTR_DML_ROW_OFFSET) return put_attr<ub4>(attributep, sizep, e->row_offset), OCI_SUCCESS;
      return bad_attribute(err);
    }
    case OCI_HTYPE_BIND: {
      auto* b = static_cast<BindH*>(h);
      if (attrtype == OCI_ATTR_CHARSET_FORM) return put_attr<ub1>(attributep, sizep, b->csform), OCI_SUCCESS;
      if (attrtype == OCI_ATTR_ROWS_RETURNED) return put_attr<ub4>(attributep, sizep, b->rows_returned), OCI_SUCCESS;
      if (attrtype == OCI_ATTR_CHARSET_ID) return put_attr<ub2>(attributep, sizep, b->stmt->env->charset.id), OCI_SUCCESS;
      if (attrtype == OCI_ATTR_MAXDATA_SIZE) return put_attr<sb4>(attributep, sizep, b->value_sz), OCI_SUCCESS;
      return bad_attribute(err);
    }
    case OCI_HTYPE_DEFINE: {
      auto* d = static_cast<DefineH*>(h);
      if (attrtype == OCI_ATTR_CHARSET_FORM) return put_attr<ub1>(attributep, sizep, d->csform), OCI_SUCCESS;
      if (attrtype == OCI_ATTR_CHARSET_ID) return put_attr<ub2>(attributep, sizep, d->stmt->env->charset.id), OCI_SUCCESS;
      if (attrtype == OCI_ATTR_MAXDATA_SIZE) return put_attr<sb4>(attributep, sizep, d->value_sz), OCI_SUCCESS;
      return bad_attribute(err);
    }
    case OCI_DTYPE_PARAM:
    case OCI_HTYPE_DESCRIBE: {
      if (trghndltyp == OCI_HTYPE_DESCRIBE) {
        auto* dsc = static_cast<DescribeH*>(h);
        if (attrtype != OCI_ATTR_PARAM || !dsc->result) return record_error(err, engine_error(ora::kIllegalAttribute));
        return put_attr<void*>(attributep, sizep, dsc->result), OCI_SUCCESS;
      }
      if (auto* tp = dynamic_cast<TypeParamH*>(h)) return type_param_attr(tp, err, attributep, sizep, attrtype);
      auto* p = static_cast<ParamH*>(h);
      const OracleType& t = p->col.type;
      bool character = t.code == 1 || t.code == 96 || t.code == 8 || t.code == 112;
      switch (attrtype) {
        case OCI_ATTR_DATA_TYPE: put_attr<ub2>(attributep, sizep, static_cast<ub2>(t.code)); return OCI_SUCCESS;
        case OCI_ATTR_DATA_SIZE: put_attr<ub2>(attributep, sizep, static_cast<ub2>(t.describe_size())); return OCI_SUCCESS;
        case OCI_ATTR_DISP_SIZE: put_attr<ub2>(attributep, sizep, static_cast<ub2>(t.describe_size())); return OCI_SUCCESS;
        case OCI_ATTR_NAME: put_text_attr(attributep, sizep, p->name); return OCI_SUCCESS;
        case OCI_ATTR_PRECISION: put_attr<sb2>(attributep, sizep, static_cast<sb2>(t.describe_precision())); return OCI_SUCCESS;
        case OCI_ATTR_SCALE: put_attr<sb1>(attributep, sizep, static_cast<sb1>(t.describe_scale())); return OCI_SUCCESS;
        case OCI_ATTR_IS_NULL: put_attr<ub1>(attributep, sizep, p->col.nullable ? 1 : 0); return OCI_SUCCESS;
        case OCI_ATTR_CHAR_USED: put_attr<ub1>(attributep, sizep, t.char_used == 'C' ? 1 : 0); return OCI_SUCCESS;
        case OCI_ATTR_CHAR_SIZE: put_attr<ub2>(attributep, sizep, static_cast<ub2>(t.char_length)); return OCI_SUCCESS;
        case OCI_ATTR_CHARSET_ID:
          put_attr<ub2>(attributep, sizep, static_cast<ub2>(!character ? 0 : t.charset_form == SQLCS_NCHAR ? 2000 : 873));
          return OCI_SUCCESS;
        case OCI_ATTR_CHARSET_FORM:
          put_attr<ub1>(attributep, sizep, static_cast<ub1>(!character ? 0 : t.charset_form ? t.charset_form : SQLCS_IMPLICIT));
          return OCI_SUCCESS;
        case OCI_ATTR_TYPE_NAME:
          put_text_attr(attributep, sizep, p->type_name);
          return OCI_SUCCESS;
        case OCI_ATTR_SCHEMA_NAME:
          put_text_attr(attributep, sizep, p->type_schema);
          return OCI_SUCCESS;
        case OCI_ATTR_SUB_NAME: {
          static const std::string empty;
          put_text_attr(attributep, sizep, empty);
          return OCI_SUCCESS;
        }
        case OCI_ATTR_REF_TDO: return column_type_ref(*p, err, attributep, sizep);
        case OCI_ATTR_POSITION: put_attr<ub2>(attributep, sizep, p->position); return OCI_SUCCESS;
        case OCI_ATTR_FSPRECISION: put_attr<ub1>(attributep, sizep, static_cast<ub1>(t.scale ? *t.scale : 0)); return OCI_SUCCESS;
        case OCI_ATTR_LFPRECISION: put_attr<ub1>(attributep, sizep, static_cast<ub1>(t.precision ? *t.precision : 0)); return OCI_SUCCESS;
        case OCI_ATTR_PTYPE: put_attr<ub1>(attributep, sizep, OCI_PTYPE_COL); return OCI_SUCCESS;
        case OCI_ATTR_COL_PROPERTIES: put_attr<ub8>(attributep, sizep, 0); return OCI_SUCCESS;
        case OCI_ATTR_INVISIBLE_COL:
        case OCI_ATTR_VIRTUAL_COL:
        case OCI_ATTR_IS_XMLTYPE:
        case OCI_ATTR_JSON_COL: put_attr<ub1>(attributep, sizep, 0); return OCI_SUCCESS;
        case OCI_ATTR_COLLATION_ID: put_attr<ub4>(attributep, sizep, 0); return OCI_SUCCESS;
        default: return bad_attribute(err);
      }
    }
    case OCI_DTYPE_ROWID:
      return bad_attribute(err);
    default:
      return OCI_INVALID_HANDLE;
  }
}

sword OCIAttrSet(void* trgthndlp, ub4 trghndltyp, void* attributep, ub4 size, ub4 attrtype, OCIError* errhp) {
  auto* err = as<ErrorH>(errhp, OCI_HTYPE_ERROR);
  Handle* h = find_handle(trgthndlp, trghndltyp);
  if (!h) return OCI_INVALID_HANDLE;
  switch (trghndltyp) {
    case OCI_HTYPE_SERVER: {
      auto* srv = static_cast<ServerH*>(h);
      if (attrtype == OCI_ATTR_NONBLOCKING_MODE) {
        srv->nonblocking = !srv->nonblocking;  // setting toggles, the value is ignored
        return OCI_SUCCESS;
      }
      if (attrtype == OCI_ATTR_SEND_TIMEOUT || attrtype == OCI_ATTR_RECEIVE_TIMEOUT || attrtype == OCI_ATTR_EXTERNAL_NAME ||
          attrtype == OCI_ATTR_INTERNAL_NAME)
        return OCI_SUCCESS;
      return bad_attribute(err);
    }
    case OCI_HTYPE_SVCCTX: {
      auto* svc = static_cast<SvcCtxH*>(h);
      if (attrtype == OCI_ATTR_SERVER) {
        auto* srv = as<ServerH>(attributep, OCI_HTYPE_SERVER);
        if (!srv) return OCI_INVALID_HANDLE;
        svc->server = srv;
        return OCI_SUCCESS;
      }
      if (attrtype == OCI_ATTR_SESSION) {
        auto* ses = attributep ? as<SessionH>(attributep, OCI_HTYPE_SESSION) : nullptr;
        if (attributep && !ses) return OCI_INVALID_HANDLE;
        svc->session = ses;
        return OCI_SUCCESS;
      }
      if (attrtype == OCI_ATTR_TRANS) {
        svc->trans = as<TransH>(attributep, OCI_HTYPE_TRANS);
        return OCI_SUCCESS;
      }
      if (attrtype == OCI_ATTR_STMTCACHESIZE || attrtype == OCI_ATTR_CALL_TIMEOUT) return OCI_SUCCESS;
      return bad_attribute(err);
    }
    case OCI_HTYPE_SESSION: {
      auto* ses = static_cast<SessionH*>(h);
      if (attrtype == OCI_ATTR_USERNAME) {
        ses->username = text_value(attributep, size);
        return OCI_SUCCESS;
      }
      if (attrtype == OCI_ATTR_PASSWORD) {
        ses->password = text_value(attributep, size);
        return OCI_SUCCESS;
      }
      if (attrtype == OCI_ATTR_CLIENT_IDENTIFIER || attrtype == OCI_ATTR_MODULE || attrtype == OCI_ATTR_ACTION ||
          attrtype == OCI_ATTR_CLIENT_INFO || attrtype == OCI_ATTR_DRIVER_NAME || attrtype == OCI_ATTR_EDITION ||
          attrtype == OCI_ATTR_DEFAULT_LOBPREFETCH_SIZE)
        return OCI_SUCCESS;
      return bad_attribute(err);
    }
    case OCI_HTYPE_STMT: {
      auto* st = static_cast<StmtH*>(h);
      if (attrtype == OCI_ATTR_PREFETCH_ROWS) {
        if (attributep) std::memcpy(&st->prefetch_rows, attributep, sizeof(ub4));
        return OCI_SUCCESS;
      }
      if (attrtype == OCI_ATTR_PREFETCH_MEMORY) {
        if (attributep) std::memcpy(&st->prefetch_memory, attributep, sizeof(ub4));
        return OCI_SUCCESS;
      }
      if (attrtype == OCI_ATTR_FETCH_ROWID) return OCI_SUCCESS;
      return bad_attribute(err);
    }
    case OCI_HTYPE_BIND: {
      auto* b = static_cast<BindH*>(h);
      if (attrtype == OCI_ATTR_CHARSET_FORM) {
        if (attributep) std::memcpy(&b->csform, attributep, sizeof(ub1));
        return OCI_SUCCESS;
      }
      if (attrtype == OCI_ATTR_MAXDATA_SIZE || attrtype == OCI_ATTR_CHARSET_ID || attrtype == OCI_ATTR_MAXCHAR_SIZE)
        return OCI_SUCCESS;
      return bad_attribute(err);
    }
    case OCI_HTYPE_DEFINE: {
      auto* d = static_cast<DefineH*>(h);
      if (attrtype == OCI_ATTR_CHARSET_FORM) {
        if (attributep) std::memcpy(&d->csform, attributep, sizeof(ub1));
        return OCI_SUCCESS;
      }
      if (attrtype == OCI_ATTR_CHARSET_ID || attrtype == OCI_ATTR_MAXDATA_SIZE || attrtype == OCI_ATTR_LOBPREFETCH_SIZE ||
          attrtype == OCI_ATTR_LOBPREFETCH_LENGTH)
        return OCI_SUCCESS;
      return bad_attribute(err);
    }
    case OCI_HTYPE_DESCRIBE:
      if (attrtype == OCI_ATTR_DESC_PUBLIC || attrtype == OCI_ATTR_DESC_SYNBASE || attrtype == OCI_ATTR_SHOW_INVISIBLE_COLUMNS)
        return OCI_SUCCESS;
      return bad_attribute(err);
    case OCI_HTYPE_ENV:
    case OCI_HTYPE_ERROR:
    case OCI_HTYPE_TRANS:
      return bad_attribute(err);
    default:
      return OCI_INVALID_HANDLE;
  }
}

sword OCINlsGetInfo(void* hndl, OCIError* errhp, OraText* buf, size_t buflen, ub2 item) {
  EnvH* env = as<EnvH>(hndl, OCI_HTYPE_ENV);
  if (!env) {
    if (auto* ses = as<SessionH>(hndl, OCI_HTYPE_SESSION)) env = ses->env;
  }
  auto* err = as<ErrorH>(errhp, OCI_HTYPE_ERROR);
  if (!env || !buf) return OCI_INVALID_HANDLE;
  clear_errors(err);
  NlsSettings nls = NlsSettings::from_environment();
  std::string value;
  switch (item) {
    case OCI_NLS_CHARACTER_SET: value = env->charset.oracle_name; break;
    case OCI_NLS_LANGUAGE: value = *nls.get("NLS_LANGUAGE"); break;
    case OCI_NLS_TERRITORY: value = *nls.get("NLS_TERRITORY"); break;
    case OCI_NLS_DATEFORMAT: value = nls.date_format(); break;
    case OCI_NLS_DECIMAL: value = "."; break;
    case OCI_NLS_GROUP: value = ","; break;
    case OCI_NLS_CALENDAR: value = "GREGORIAN"; break;
    case OCI_NLS_LINGUISTIC_NAME: value = "BINARY"; break;
    case OCI_NLS_YES: value = "YES"; break;
    case OCI_NLS_NO: value = "NO"; break;
    case OCI_NLS_AM: value = "AM"; break;
    case OCI_NLS_PM: value = "PM"; break;
    case OCI_NLS_AD: value = "AD"; break;
    case OCI_NLS_BC: value = "BC"; break;
    default:
      if (item >= OCI_NLS_MONTHNAME1 && item <= OCI_NLS_MONTHNAME12) {
        static const char* m[] = {"JANUARY", "FEBRUARY", "MARCH", "APRIL", "MAY", "JUNE", "JULY", "AUGUST", "SEPTEMBER", "OCTOBER", "NOVEMBER", "DECEMBER"};
        value = m[item - OCI_NLS_MONTHNAME1];
      } else if (item >= OCI_NLS_ABMONTHNAME1 && item <= OCI_NLS_ABMONTHNAME12) {
        static const char* m[] = {"JAN", "FEB", "MAR", "APR", "MAY", "JUN", "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};
        value = m[item - OCI_NLS_ABMONTHNAME1];
      } else if (item >= OCI_NLS_DAYNAME1 && item <= OCI_NLS_DAYNAME7) {
        static const char* d[] = {"MONDAY", "TUESDAY", "WEDNESDAY", "THURSDAY", "FRIDAY", "SATURDAY", "SUNDAY"};
        value = d[item - OCI_NLS_DAYNAME1];
      } else if (item >= OCI_NLS_ABDAYNAME1 && item <= OCI_NLS_ABDAYNAME7) {
        static const char* d[] = {"MON", "TUE", "WED", "THU", "FRI", "SAT", "SUN"};
        value = d[item - OCI_NLS_ABDAYNAME1];
      } else {
        return record_error(err, OraError{32102, "ORA-32102: invalid OCI handle"});
      }
  }
  if (buflen == 0) return record_error(err, engine_error(ora::kIllegalAttribute));
  size_t n = std::min(value.size(), buflen - 1);
  std::memcpy(buf, value.data(), n);
  buf[n] = 0;
  return OCI_SUCCESS;
}

sword OCINlsNumericInfoGet(void* hndl, OCIError* errhp, sb4* val, ub2 item) {
  EnvH* env = as<EnvH>(hndl, OCI_HTYPE_ENV);
  if (!env) {
    if (auto* ses = as<SessionH>(hndl, OCI_HTYPE_SESSION)) env = ses->env;
  }
  auto* err = as<ErrorH>(errhp, OCI_HTYPE_ERROR);
  if (!env || !val) return OCI_INVALID_HANDLE;
  clear_errors(err);
  switch (item) {
    case OCI_NLS_CHARSET_ID: *val = env->charset.id; return OCI_SUCCESS;
    case OCI_NLS_NCHARSET_ID: *val = 2000; return OCI_SUCCESS;
    case OCI_NLS_CHARSET_MAXBYTESZ: *val = env->charset.max_bytes; return OCI_SUCCESS;
    case OCI_NLS_CHARSET_FIXEDWIDTH: *val = 0; return OCI_SUCCESS;
    default: return record_error(err, engine_error(ora::kIllegalAttribute));
  }
}

void OCIClientVersion(sword* featureRelease, sword* releaseUpdate, sword* releaseUpdateRevision, sword* increment,
                      sword* ext) {
  if (featureRelease) *featureRelease = kReleaseMajor;
  if (releaseUpdate) *releaseUpdate = kReleaseUpdate;
  if (releaseUpdateRevision) *releaseUpdateRevision = 0;
  if (increment) *increment = 0;
  if (ext) *ext = 0;
}

}  // extern "C"
