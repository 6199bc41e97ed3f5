// Statements: prepare, bind, define, execute, describe, fetch, and the
// conversions between client buffers and values.
#include <chrono>
#include <cmath>
#include <cstring>

#include "engine_error.h"
#include "oci_handles_p.h"
#include "oci_objects_p.h"
#include "ora_format.h"
#include "oracle_number.h"

using namespace ocilite;

namespace ocilite {
namespace {

template <class T>
T* element(void* base, ub4 skip, ub4 i) {
  return base ? reinterpret_cast<T*>(static_cast<char*>(base) + static_cast<size_t>(skip) * i) : nullptr;
}

// Reads one bind element into a value.
OraError read_bind(const BindH& b, ub4 i, const CharsetInfo& cs, Value& out) {
  out = Value{};
  if (auto* ind = element<sb2>(b.indp, b.indskip, i); ind && *ind == OCI_IND_NULL) return {};
  char* p = element<char>(b.valuep, b.pvskip ? b.pvskip : static_cast<ub4>(b.value_sz), i);
  if (!p) return {};
  ub2* alen = element<ub2>(b.alenp, b.alskip, i);
  size_t len = alen ? *alen : static_cast<size_t>(b.value_sz);
  switch (b.dty) {
    case SQLT_STR:
      len = strnlen(p, static_cast<size_t>(b.value_sz));
      out = Value::text(client_to_utf8(cs, std::string_view(p, len)));
      return {};
    case SQLT_CHR:
    case SQLT_AFC:
    case SQLT_AVC:
    case SQLT_LNG:
      if (b.dty == SQLT_AVC) len = strnlen(p, len);
      out = Value::text(client_to_utf8(cs, std::string_view(p, len)));
      return {};
    case SQLT_VCS: {
      ub2 n;
      std::memcpy(&n, p, 2);
      out = Value::text(client_to_utf8(cs, std::string_view(p + 2, n)));
      return {};
    }
    case SQLT_LVC: {
      sb4 n;
      std::memcpy(&n, p, 4);
      out = Value::text(client_to_utf8(cs, std::string_view(p + 4, static_cast<size_t>(n))));
      return {};
    }
    case SQLT_INT: {
      int64_t v = 0;
      if (b.value_sz == 1) v = *reinterpret_cast<sb1*>(p);
      else if (b.value_sz == 2) { sb2 x; std::memcpy(&x, p, 2); v = x; }
      else if (b.value_sz == 4) { sb4 x; std::memcpy(&x, p, 4); v = x; }
      else if (b.value_sz == 8) { sb8 x; std::memcpy(&x, p, 8); v = x; }
      else return engine_error(ora::kInconsistentTypes, {"NUMBER", "BINARY"});
      out.kind = Value::Kind::integer;
      out.i = v;
      return {};
    }
    case SQLT_UIN: {
      uint64_t v = 0;
      if (b.value_sz == 1) v = *reinterpret_cast<ub1*>(p);
      else if (b.value_sz == 2) { ub2 x; std::memcpy(&x, p, 2); v = x; }
      else if (b.value_sz == 4) { ub4 x; std::memcpy(&x, p, 4); v = x; }
      else { ub8 x; std::memcpy(&x, p, 8); v = x; }
      out.kind = Value::Kind::integer;
      out.i = static_cast<int64_t>(v);
      return {};
    }
    case SQLT_FLT:
    case SQLT_BDOUBLE:
    case SQLT_BFLOAT:
    case SQLT_IBDOUBLE:
    case SQLT_IBFLOAT: {
      double d;
      if (b.value_sz == 4) { float f; std::memcpy(&f, p, 4); d = f; }
      else std::memcpy(&d, p, 8);
      out.kind = Value::Kind::real;
      out.d = d;
      return {};
    }
    case SQLT_BIN:
    case SQLT_LBI:
      out.kind = len ? Value::Kind::blob : Value::Kind::null;
      out.s.assign(p, len);
      return {};
    case SQLT_VNU:
    case SQLT_NUM: {
      const ub1* n = reinterpret_cast<const ub1*>(p);
      auto num = b.dty == SQLT_VNU ? decode_oracle_decimal(n + 1, n[0]) : decode_oracle_decimal(n, len);
      if (!num) return engine_error(ora::kInvalidNumber);
      if (auto iv = decimal_to_int64(*num)) {
        out.kind = Value::Kind::integer;
        out.i = *iv;
      } else {
        out = Value::text(decimal_to_text(*num));  // every digit; the column converts it
      }
      return {};
    }
    case SQLT_DAT: {
      const ub1* d = reinterpret_cast<const ub1*>(p);
      OraDateTime dt;
      dt.year = (d[0] - 100) * 100 + (d[1] - 100);
      dt.month = d[2];
      dt.day = d[3];
      dt.hour = d[4] - 1;
      dt.minute = d[5] - 1;
      dt.second = d[6] - 1;
      out = Value::text(date_to_storage(dt));
      return {};
    }
    case SQLT_ODT: {
      OCIDate od;
      std::memcpy(&od, p, sizeof od);
      out = Value::text(date_to_storage(datetime_of(od)));
      return {};
    }
    case SQLT_RDD: {
      void* desc = nullptr;
      std::memcpy(&desc, p, sizeof desc);
      auto* rid = as<RowidH>(desc, OCI_DTYPE_ROWID);
      if (!rid) return engine_error(ora::kInvalidRowid);
      out = Value::text(rid->text);
      return {};
    }
    case SQLT_CLOB:
    case SQLT_BLOB: {
      // A locator's value (a temporary LOB or one fetched before).
      void* desc = nullptr;
      std::memcpy(&desc, p, sizeof desc);
      auto* lob = as<LobH>(desc, OCI_DTYPE_LOB);
      if (!lob || !lob->filled) return engine_error(ora::kInvalidLobLocator);
      if (OraError e = lob->load()) return e;
      if (lob->is_clob) {
        out = Value::text(lob->data);
      } else {
        out.kind = Value::Kind::blob;
        out.s = lob->data;
      }
      return {};
    }
    default:
      return OraError{3001, "ORA-03001: unimplemented feature: bind data type " + std::to_string(b.dty)};
  }
}

struct WriteResult {
  bool truncated = false;
  OraError error;
};

void set_codes(const DefineH& d, ub4 i, sb2 ind, ub2 rlen, ub2 rcode) {
  if (auto* p = element<sb2>(d.indp, d.indskip, i)) *p = ind;
  if (auto* p = element<ub2>(d.rlenp, d.rlskip, i)) *p = rlen;
  if (auto* p = element<ub2>(d.rcodep, d.rcskip, i)) *p = rcode;
}

// Writes one fetched value into element i of a define.
struct TextScratch {
  std::string text, conv;
  // The fetched row's address, when the query carries it (LOB locators).
  bool has_rowid = false;
  int64_t rowid = 0;
  std::string owner, table;
  // A FOR UPDATE row of an index-organised table: its lock key and logical ROWID.
  bool has_keyed_row = false;
  uint64_t lock_key = 0;
  std::string logical_rowid;
};

WriteResult write_define(const DefineH& d, ub4 i, Value& v, const ColumnDesc& col, Session& s, const CharsetInfo& cs,
                         TextScratch& scratch) {
  WriteResult r;
  if (d.object) {
    r.error = write_object_define(d, i, v, col, s, cs);
    return r;
  }
  char* p = element<char>(d.valuep, d.pvskip ? d.pvskip : static_cast<ub4>(d.value_sz), i);
  if (v.is_null()) {
    if (!d.indp) {
      r.error = engine_error(ora::kFetchedNull);
      return r;
    }
    set_codes(d, i, OCI_IND_NULL, 0, 0);
    return r;
  }
  if (!p) return r;
  auto client_text = [&]() -> const std::string& {
    value_as_text(v, col, s, scratch.text);
    return utf8_to_client(cs, scratch.text, scratch.conv);
  };
  auto put_text = [&](const std::string& text, size_t cap, bool nul, bool pad, size_t prefix) {
    size_t n = text.size();
    bool trunc = n > cap;
    size_t copy = trunc ? cap : n;
    std::memcpy(p + prefix, text.data(), copy);
    size_t written = copy;
    if (pad && copy < cap) {
      std::memset(p + prefix + copy, ' ', cap - copy);
      written = cap;
    }
    if (nul) p[prefix + written] = 0;
    if (prefix == 2) {
      ub2 l = static_cast<ub2>(copy);
      std::memcpy(p, &l, 2);
    }
    if (trunc) {
      r.truncated = true;
      set_codes(d, i, n > 32767 ? -2 : static_cast<sb2>(n), static_cast<ub2>(written), ora::kTruncated);
    } else {
      set_codes(d, i, 0, static_cast<ub2>(written), 0);
    }
  };
  size_t sz = d.value_sz > 0 ? static_cast<size_t>(d.value_sz) : 0;
  switch (d.dty) {
    case SQLT_STR:
      if (sz == 0) return r;
      put_text(client_text(), sz - 1, true, false, 0);
      return r;
    case SQLT_CHR:
    case SQLT_LNG:
      put_text(client_text(), sz, false, false, 0);
      return r;
    case SQLT_AFC:
      put_text(client_text(), sz, false, true, 0);
      return r;
    case SQLT_AVC:
      if (sz == 0) return r;
      put_text(client_text(), sz - 1, true, true, 0);
      return r;
    case SQLT_VCS:
      if (sz < 2) return r;
      put_text(client_text(), sz - 2, false, false, 2);
      return r;
    case SQLT_BIN:
    case SQLT_LBI: {
      const std::string& bytes = v.kind == Value::Kind::blob ? v.s : client_text();
      put_text(bytes, sz, false, false, 0);
      return r;
    }
    case SQLT_INT:
    case SQLT_UIN:
    case SQLT_FLT:
    case SQLT_BDOUBLE:
    case SQLT_BFLOAT:
    case SQLT_VNU:
    case SQLT_NUM: {
      std::optional<Decimal> parsed;
      if (v.kind == Value::Kind::integer) parsed = decimal_from_int(v.i);
      else if (v.kind == Value::Kind::real) parsed = decimal_from_double(v.d);
      else parsed = parse_decimal(v.s);
      if (!parsed) {
        r.error = engine_error(ora::kInvalidNumber);
        return r;
      }
      const Decimal& n = *parsed;
      if (d.dty == SQLT_INT || d.dty == SQLT_UIN) {
        auto whole = decimal_to_int64(round_decimal(n, 0));
        if (!whole) {
          r.error = OraError{1455, "ORA-01455: converting column overflows integer datatype"};
          return r;
        }
        int64_t iv = *whole;
        if (sz == 1) { sb1 x = static_cast<sb1>(iv); std::memcpy(p, &x, 1); }
        else if (sz == 2) { sb2 x = static_cast<sb2>(iv); std::memcpy(p, &x, 2); }
        else if (sz == 4) { sb4 x = static_cast<sb4>(iv); std::memcpy(p, &x, 4); }
        else if (sz == 8) std::memcpy(p, &iv, 8);
        set_codes(d, i, 0, static_cast<ub2>(sz), 0);
      } else if (d.dty == SQLT_VNU || d.dty == SQLT_NUM) {
        ub1 buf[22] = {0};
        size_t len = encode_oracle_decimal(n, buf + 1);
        buf[0] = static_cast<ub1>(len);
        if (d.dty == SQLT_VNU) std::memcpy(p, buf, std::min<size_t>(sz, 22));
        else std::memcpy(p, buf + 1, std::min(sz, len));
        set_codes(d, i, 0, static_cast<ub2>(d.dty == SQLT_VNU ? 22 : len), 0);
      } else if (sz == 4) {
        float f = static_cast<float>(decimal_to_double(n));
        std::memcpy(p, &f, 4);
        set_codes(d, i, 0, 4, 0);
      } else {
        double dv = decimal_to_double(n);
        std::memcpy(p, &dv, 8);
        set_codes(d, i, 0, 8, 0);
      }
      return r;
    }
    case SQLT_DAT:
    case SQLT_ODT: {
      auto dt = v.kind == Value::Kind::text ? date_from_storage(v.s) : std::nullopt;
      if (!dt) {
        r.error = engine_error(ora::kInconsistentTypes, {"DATE", "NUMBER"});
        return r;
      }
      if (d.dty == SQLT_DAT && sz >= 7) {
        ub1 b[7] = {static_cast<ub1>(dt->year / 100 + 100), static_cast<ub1>(dt->year % 100 + 100),
                    static_cast<ub1>(dt->month), static_cast<ub1>(dt->day), static_cast<ub1>(dt->hour + 1),
                    static_cast<ub1>(dt->minute + 1), static_cast<ub1>(dt->second + 1)};
        std::memcpy(p, b, 7);
        set_codes(d, i, 0, 7, 0);
      } else if (d.dty == SQLT_ODT && sz >= static_cast<size_t>(sizeof(OCIDate))) {
        const OCIDate od = oci_date_of(*dt);
        std::memcpy(p, &od, sizeof od);
        set_codes(d, i, 0, sizeof od, 0);
      }
      return r;
    }
    case SQLT_RDD: {
      void* desc = nullptr;
      std::memcpy(&desc, p, sizeof desc);
      auto* rid = as<RowidH>(desc, OCI_DTYPE_ROWID);
      if (!rid) {
        r.error = engine_error(ora::kInvalidRowid);
        return r;
      }
      rid->text = v.s;
      set_codes(d, i, 0, sizeof(void*), 0);
      return r;
    }
    case SQLT_CLOB:
    case SQLT_BLOB:
    case SQLT_BFILEE: {
      void* desc = nullptr;
      std::memcpy(&desc, p, sizeof desc);
      auto* lob = as<LobH>(desc, d.dty == SQLT_BFILEE ? OCI_DTYPE_FILE : OCI_DTYPE_LOB);
      if (!lob) {
        r.error = engine_error(ora::kInvalidLobLocator);
        return r;
      }
      lob->filled = true;
      lob->is_clob = d.dty == SQLT_CLOB;
      lob->csform = col.type.charset_form == SQLCS_NCHAR ? SQLCS_NCHAR : SQLCS_IMPLICIT;
      // The fetched value moves into the locator (the row buffer is refilled
      // by the next fetch): a large LOB is copied once less.
      if (v.kind == Value::Kind::blob || v.kind == Value::Kind::text) lob->data = std::move(v.s);
      else lob->data = value_as_text(v, col, s);
      lob->refetched();
      lob->catalog = s.catalog_shared();
      lob->reading = false;
      lob->session = &s;
      lob->addressable = scratch.has_rowid && !col.origin_column.empty();
      lob->owner = scratch.owner;
      lob->table = scratch.table;
      lob->column = col.origin_column;
      lob->rowid = scratch.rowid;
      lob->logical_rowid.clear();
      if (!scratch.has_rowid && scratch.has_keyed_row && !col.origin_column.empty() &&
          s.object_id(col.origin_owner, col.origin_table) == RowLocks::object_of(scratch.lock_key)) {
        // The column belongs to the locked row's table: found by its key.
        lob->addressable = true;
        lob->owner = col.origin_owner;
        lob->table = col.origin_table;
        lob->logical_rowid = scratch.logical_rowid;
      }
      lob->pending.clear();
      set_codes(d, i, 0, sizeof(void*), 0);
      return r;
    }
    default:
      r.error = OraError{3001, "ORA-03001: unimplemented feature: define data type " + std::to_string(d.dty)};
      return r;
  }
}

BindH* find_bind(StmtH* st, const std::string& name, size_t position) {
  for (auto& b : st->binds) {
    if (!b->name.empty() && b->name == name) return b.get();
    if (b->name.empty() && b->position == position) return b.get();
  }
  return nullptr;
}

OraError collect_binds(StmtH* st, const std::vector<std::string>& names, ub4 iteration, std::vector<Value>& values) {
  values.assign(names.size(), Value{});
  for (size_t k = 0; k < names.size(); ++k) {
    size_t pos = 0;
    for (size_t q = 0; q < st->shape.bind_names.size(); ++q)
      if (st->shape.bind_names[q] == names[k]) pos = q + 1;
    BindH* b = find_bind(st, names[k], pos);
    if (!b) return engine_error(ora::kNotAllBound);
    if (OraError e = read_bind(*b, iteration, st->env->charset, values[k])) return e;
  }
  return {};
}

void make_params(StmtH* st) {
  for (auto& p : st->params) unregister_handle(p.get());
  st->params.clear();
  const auto& cols = st->stmt->columns();
  for (size_t i = 0; i < cols.size(); ++i) {
    auto p = std::make_unique<ParamH>();
    p->type = OCI_DTYPE_PARAM;
    p->col = cols[i];
    p->name = utf8_to_client(st->env->charset, cols[i].name);
    p->catalog = st->session ? st->session->catalog_shared() : nullptr;
    if (cols[i].type.is_user_defined()) {
      p->type_name = utf8_to_client(st->env->charset, cols[i].type.type_name);
      p->type_schema = utf8_to_client(st->env->charset, cols[i].type.type_owner);
    }
    p->position = static_cast<ub2>(i + 1);
    register_handle(p.get());
    st->params.push_back(std::move(p));
  }
}

// Moves up to nrows rows into the defines; rows_out gets how many.
sword fill_rows(StmtH* st, ErrorH* err, ub4 nrows, ub4& rows_out) {
  rows_out = 0;
  Session& s = *st->session;
  const auto& cols = st->stmt->columns();
  bool truncated = false;
  std::vector<Value>& row = st->row_buf;
  TextScratch scratch;
  scratch.text = std::move(st->text_buf);
  scratch.conv = std::move(st->conv_buf);
  struct Restore {
    StmtH* st;
    TextScratch& s;
    ~Restore() {
      st->text_buf = std::move(s.text);
      st->conv_buf = std::move(s.conv);
    }
  } restore{st, scratch};
  for (ub4 r = 0; r < nrows; ++r) {
    if (s.break_requested()) {
      st->stmt->close_cursor();
      st->end_of_fetch = true;
      return record_error(err, engine_error(ora::kCancelled));
    }
    bool have = false;
    if (OraError e = st->stmt->fetch(row, have)) {
      st->end_of_fetch = true;
      return record_error(err, e);
    }
    if (!have) {
      st->end_of_fetch = true;
      break;
    }
    const RewriteResult& rw = st->stmt->rewrite();
    scratch.has_rowid = rw.hidden_rowid && row.size() > cols.size() && row[cols.size()].kind == Value::Kind::integer;
    if (scratch.has_rowid) {
      scratch.rowid = row[cols.size()].i;
      scratch.owner = rw.lob_owner;
      scratch.table = rw.lob_table;
    }
    scratch.has_keyed_row = rw.hidden_lock_key && !scratch.has_rowid && row.size() > cols.size() &&
                            row.back().kind == Value::Kind::blob;
    if (scratch.has_keyed_row) {
      scratch.lock_key = RowLocks::key_of_keyed_row(row.back().s);
      scratch.logical_rowid = RowLocks::rowid_of_keyed_row(row.back().s);
    }
    for (size_t c = 0; c < cols.size() && c < st->defines.size(); ++c) {
      const DefineH* d = st->defines[c].get();
      if (!d) continue;
      WriteResult w = write_define(*d, r, row[c], cols[c], s, st->env->charset, scratch);
      if (w.error) {
        rows_out = r;
        return record_error(err, w.error);
      }
      truncated = truncated || w.truncated;
    }
    rows_out = r + 1;
  }
  if (truncated) {
    add_record(err, engine_error(ora::kTruncationOrNull));
    return OCI_SUCCESS_WITH_INFO;
  }
  return OCI_SUCCESS;
}

}  // namespace

sword execute_blocking(SvcCtxH* svc, StmtH* st, ErrorH* err, ub4 iters, ub4 rowoff, ub4 mode) {
  Session* s = session_of(svc);
  if (!s) return record_error(err, engine_error(ora::kNotConnected));
  s->clear_break();
  if (!st->stmt || st->session != s) {
    st->stmt = std::make_unique<Statement>(*s, st->sql_utf8);
    st->session = s;
  }
  const CharsetInfo& cs = st->env->charset;
  auto offset_to_client = [&](int off) { return off < 0 ? -1 : static_cast<int>(client_offset(cs, st->sql_utf8, static_cast<size_t>(off))); };
  int off = -1;
  if (OraError e = st->stmt->prepare(off)) return record_error(err, e, offset_to_client(off));
  st->executed = false;
  st->end_of_fetch = false;
  st->row_count = 0;
  st->rows_fetched = 0;
  bool describe_only = (mode & OCI_DESCRIBE_ONLY) != 0;
  const RewriteResult& rw = st->stmt->rewrite();
  if (st->stmt->is_query()) {
    std::vector<Value> values;
    if (!describe_only) {
      if (OraError e = collect_binds(st, rw.binds, rowoff, values)) return record_error(err, e);
    }
    uint64_t rows = 0;
    OraError info;
    if (OraError e = st->stmt->execute(values, describe_only, rows, nullptr, info, off)) {
      if (s->break_requested() && e.code != ora::kCancelled) e = engine_error(ora::kCancelled);
      return record_error(err, e, offset_to_client(off));
    }
    st->executed = true;
    st->describe_only = describe_only;
    make_params(st);
    if (describe_only || iters == 0) return OCI_SUCCESS;
    if (st->defines.empty()) return record_error(err, engine_error(ora::kDefineNotDone));
    ub4 got = 0;
    sword rc = fill_rows(st, err, iters, got);
    st->rows_fetched = got;
    st->row_count += got;
    if (rc == OCI_ERROR) return rc;
    if (got < iters && (mode & OCI_EXACT_FETCH) == 0) {
      add_record(err, engine_error(ora::kNoDataFound));
      return OCI_NO_DATA;
    }
    return rc;
  }
  if (iters == 0 && rw.action == Action::sql) return record_error(err, engine_error(ora::kZeroIterations));
  if (iters == 0) iters = 1;
  if (describe_only) {
    st->executed = true;
    return OCI_SUCCESS;
  }
  uint64_t total = 0;
  // Out-binds of RETURNING ... INTO, in order.
  std::vector<BindH*> outs;
  for (const auto& name : rw.returning_into) outs.push_back(find_bind(st, name, 0));
  for (BindH* b : outs)
    if (b) b->rows_returned = 0;
  for (ub4 it = 0; it < iters; ++it) {
    std::vector<Value> values;
    if (OraError e = collect_binds(st, rw.binds, rowoff + it, values)) {
      st->row_count = static_cast<ub4>(total);
      err->row_offset = it;
      return record_error(err, e);
    }
    uint64_t rows = 0;
    std::vector<std::vector<Value>> returning;
    OraError info;
    if (OraError e = st->stmt->execute(values, false, rows, outs.empty() ? nullptr : &returning, info, off)) {
      st->row_count = static_cast<ub4>(total);
      err->row_offset = it;
      if (s->break_requested() && e.code != ora::kCancelled) e = engine_error(ora::kCancelled);
      return record_error(err, e, offset_to_client(off));
    }
    total += rows;
    if (!outs.empty() && !returning.empty()) {
      // One row per iteration fits Kestrel's single-row statements; more rows
      // go to the following elements of the out-bind arrays.
      std::vector<Value>& row = returning.front();
      for (size_t k = 0; k < outs.size() && k < row.size(); ++k) {
        BindH* b = outs[k];
        if (!b) continue;
        DefineH tmp;
        tmp.valuep = b->valuep;
        tmp.value_sz = b->value_sz;
        tmp.dty = b->dty;
        tmp.indp = b->indp;
        tmp.rlenp = b->alenp;
        tmp.rcodep = b->rcodep;
        tmp.pvskip = b->pvskip;
        tmp.indskip = b->indskip;
        tmp.rlskip = b->alskip;
        tmp.rcskip = b->rcskip;
        ColumnDesc col;
        col.type = type_from_sqlite_declaration("VARCHAR2(4000)");
        TextScratch scratch;
        WriteResult w = write_define(tmp, rowoff + it, row[k], col, *s, cs, scratch);
        unregister_handle(&tmp);
        if (w.error) return record_error(err, w.error);
        b->rows_returned += 1;
        if (b->curelep) *b->curelep = b->rows_returned;
      }
    }
    if (info) {
      st->executed = true;
      st->row_count = static_cast<ub4>(total);
      add_record(err, info);
      return OCI_SUCCESS_WITH_INFO;
    }
  }
  st->executed = true;
  st->row_count = static_cast<ub4>(total);
  st->last_rowid = st->stmt->last_rowid_text();
  if (mode & OCI_COMMIT_ON_SUCCESS) {
    if (OraError e = s->commit()) return record_error(err, e);
  }
  return OCI_SUCCESS;
}

sword fetch_blocking(StmtH* st, ErrorH* err, ub4 nrows, ub2 orientation) {
  if (orientation != OCI_FETCH_NEXT && orientation != OCI_DEFAULT)
    return record_error(err, OraError{24391, "ORA-24391: invalid fetch operation"});
  st->rows_fetched = 0;
  if (!st->executed || !st->stmt || !st->stmt->is_query() || st->describe_only)
    return record_error(err, OraError{24338, "ORA-24338: statement handle not executed"});
  if (nrows == 0) {
    st->stmt->close_cursor();
    st->end_of_fetch = true;
    return OCI_SUCCESS;
  }
  if (st->end_of_fetch) {
    add_record(err, engine_error(ora::kNoDataFound));
    return OCI_NO_DATA;
  }
  if (st->defines.empty()) return record_error(err, engine_error(ora::kDefineNotDone));
  ub4 got = 0;
  sword rc = fill_rows(st, err, nrows, got);
  st->rows_fetched = got;
  st->row_count += got;
  if (rc == OCI_ERROR) return rc;
  if (got < nrows) {
    clear_errors(err);
    add_record(err, engine_error(ora::kNoDataFound));
    return OCI_NO_DATA;
  }
  return rc;
}

}  // namespace ocilite

namespace {

// Runs a call on the server's worker in non-blocking mode: the first call
// starts it, repeats of the same call return OCI_STILL_EXECUTING until done.
template <class F>
sword maybe_async(ServerH* srv, const void* key, int kind, F&& work) {
  if (!srv || !srv->nonblocking) return work();
  std::unique_lock lock(srv->async_mutex);
  if (srv->async) {
    if (srv->async->key != key || srv->async->kind != kind) return OCI_STILL_EXECUTING;
    if (srv->async->result.wait_for(std::chrono::milliseconds(0)) != std::future_status::ready) return OCI_STILL_EXECUTING;
    sword rc = srv->async->result.get();
    srv->async.reset();
    return rc;
  }
  srv->async = std::make_unique<AsyncCall>();
  srv->async->key = key;
  srv->async->kind = kind;
  srv->async->result = std::async(std::launch::async, std::forward<F>(work));
  // A call that ends within a few scheduler ticks answers at once: the client
  // polls a still-running call after sleeping 5 ms or more, so a short window
  // here spares every quick statement of an array save that sleep, and still
  // hands long calls back in time to be cancelled.
  if (srv->async->result.wait_for(std::chrono::milliseconds(25)) == std::future_status::ready) {
    sword rc = srv->async->result.get();
    srv->async.reset();
    return rc;
  }
  return OCI_STILL_EXECUTING;
}

}  // namespace

extern "C" {

sword OCIStmtPrepare(OCIStmt* stmtp, OCIError* errhp, const OraText* stmt, ub4 stmt_len, ub4, ub4) {
  auto* st = as<StmtH>(stmtp, OCI_HTYPE_STMT);
  auto* err = as<ErrorH>(errhp, OCI_HTYPE_ERROR);
  if (!st || !err) return OCI_INVALID_HANDLE;
  clear_errors(err);
  if (!stmt) return record_error(err, OraError{24373, "ORA-24373: invalid length specified for statement"});
  st->sql.assign(reinterpret_cast<const char*>(stmt), stmt_len);
  st->sql_utf8 = client_to_utf8(st->env->charset, st->sql);
  st->shape = statement_shape(st->sql_utf8);
  st->stmt.reset();
  st->session = nullptr;
  for (auto& b : st->binds) unregister_handle(b.get());
  st->binds.clear();
  for (auto& d : st->defines)
    if (d) unregister_handle(d.get());
  st->defines.clear();
  for (auto& p : st->params) unregister_handle(p.get());
  st->params.clear();
  st->executed = false;
  st->end_of_fetch = false;
  st->row_count = st->rows_fetched = 0;
  return OCI_SUCCESS;
}

sword OCIStmtPrepare2(OCISvcCtx* svchp, OCIStmt** stmtpp, OCIError* errhp, const OraText* stmt, ub4 stmt_len,
                      const OraText*, ub4, ub4 language, ub4 mode) {
  auto* svc = as<SvcCtxH>(svchp, OCI_HTYPE_SVCCTX);
  if (!svc || !stmtpp || !as<ErrorH>(errhp, OCI_HTYPE_ERROR)) return OCI_INVALID_HANDLE;
  void* h = nullptr;
  if (OCIHandleAlloc(svc->env, &h, OCI_HTYPE_STMT, 0, nullptr) != OCI_SUCCESS) return OCI_INVALID_HANDLE;
  static_cast<StmtH*>(h)->from_prepare2 = true;
  sword rc = OCIStmtPrepare(static_cast<OCIStmt*>(h), errhp, stmt, stmt_len, language, mode);
  if (rc != OCI_SUCCESS) {
    OCIHandleFree(h, OCI_HTYPE_STMT);
    return rc;
  }
  *stmtpp = static_cast<OCIStmt*>(h);
  return OCI_SUCCESS;
}

sword OCIStmtRelease(OCIStmt* stmtp, OCIError* errhp, const OraText*, ub4, ub4) {
  if (!as<StmtH>(stmtp, OCI_HTYPE_STMT)) return OCI_INVALID_HANDLE;
  if (auto* err = as<ErrorH>(errhp, OCI_HTYPE_ERROR)) clear_errors(err);
  return OCIHandleFree(stmtp, OCI_HTYPE_STMT);
}

static sword bind_common(StmtH* st, ErrorH* err, OCIBind** bindpp, std::string name, ub4 position, void* valuep,
                         sb4 value_sz, ub2 dty, void* indp, ub2* alenp, ub2* rcodep, ub4 maxarr_len, ub4* curelep) {
  clear_errors(err);
  BindH* b = nullptr;
  for (auto& x : st->binds)
    if ((!name.empty() && x->name == name) || (name.empty() && x->position == position)) b = x.get();
  if (!b) {
    auto nb = std::make_unique<BindH>();
    nb->type = OCI_HTYPE_BIND;
    nb->stmt = st;
    b = nb.get();
    register_handle(b);
    st->binds.push_back(std::move(nb));
  }
  b->name = std::move(name);
  b->position = position;
  b->valuep = valuep;
  b->value_sz = value_sz;
  b->dty = dty;
  b->indp = indp;
  b->alenp = alenp;
  b->rcodep = rcodep;
  b->maxarr_len = maxarr_len;
  b->curelep = curelep;
  b->pvskip = static_cast<ub4>(value_sz);
  if (bindpp) *bindpp = reinterpret_cast<OCIBind*>(b);
  return OCI_SUCCESS;
}

sword OCIBindByName(OCIStmt* stmtp, OCIBind** bindpp, OCIError* errhp, const OraText* placeholder, sb4 placeh_len,
                    void* valuep, sb4 value_sz, ub2 dty, void* indp, ub2* alenp, ub2* rcodep, ub4 maxarr_len,
                    ub4* curelep, ub4) {
  auto* st = as<StmtH>(stmtp, OCI_HTYPE_STMT);
  auto* err = as<ErrorH>(errhp, OCI_HTYPE_ERROR);
  if (!st || !err || !placeholder) return OCI_INVALID_HANDLE;
  std::string raw = placeh_len < 0 ? std::string(reinterpret_cast<const char*>(placeholder))
                                   : std::string(reinterpret_cast<const char*>(placeholder), static_cast<size_t>(placeh_len));
  raw = client_to_utf8(st->env->charset, raw);
  if (!raw.empty() && raw[0] == ':') raw.erase(0, 1);
  std::string name;
  if (raw.size() >= 2 && raw.front() == '"' && raw.back() == '"') name = raw.substr(1, raw.size() - 2);
  else
    for (char c : raw) name.push_back(static_cast<char>(std::toupper(static_cast<unsigned char>(c))));
  bool known = false;
  for (const auto& n : st->shape.bind_names) known = known || n == name;
  if (!known) {
    clear_errors(err);
    return record_error(err, OraError{1036, "ORA-01036: illegal variable name/number"});
  }
  return bind_common(st, err, bindpp, name, 0, valuep, value_sz, dty, indp, alenp, rcodep, maxarr_len, curelep);
}

sword OCIBindByPos(OCIStmt* stmtp, OCIBind** bindpp, OCIError* errhp, ub4 position, void* valuep, sb4 value_sz,
                   ub2 dty, void* indp, ub2* alenp, ub2* rcodep, ub4 maxarr_len, ub4* curelep, ub4) {
  auto* st = as<StmtH>(stmtp, OCI_HTYPE_STMT);
  auto* err = as<ErrorH>(errhp, OCI_HTYPE_ERROR);
  if (!st || !err) return OCI_INVALID_HANDLE;
  if (position < 1 || position > st->shape.bind_names.size()) {
    clear_errors(err);
    return record_error(err, OraError{1036, "ORA-01036: illegal variable name/number"});
  }
  // Positions name the distinct placeholders in order of appearance.
  return bind_common(st, err, bindpp, st->shape.bind_names[position - 1], position, valuep, value_sz, dty, indp, alenp,
                     rcodep, maxarr_len, curelep);
}

sword OCIBindArrayOfStruct(OCIBind* bindp, OCIError* errhp, ub4 pvskip, ub4 indskip, ub4 alskip, ub4 rcskip) {
  auto* b = as<BindH>(bindp, OCI_HTYPE_BIND);
  auto* err = as<ErrorH>(errhp, OCI_HTYPE_ERROR);
  if (!b || !err) return OCI_INVALID_HANDLE;
  clear_errors(err);
  b->pvskip = pvskip;
  b->indskip = indskip;
  b->alskip = alskip;
  b->rcskip = rcskip;
  return OCI_SUCCESS;
}

sword OCIDefineByPos(OCIStmt* stmtp, OCIDefine** defnpp, OCIError* errhp, ub4 position, void* valuep, sb4 value_sz,
                     ub2 dty, void* indp, ub2* rlenp, ub2* rcodep, ub4) {
  auto* st = as<StmtH>(stmtp, OCI_HTYPE_STMT);
  auto* err = as<ErrorH>(errhp, OCI_HTYPE_ERROR);
  if (!st || !err) return OCI_INVALID_HANDLE;
  clear_errors(err);
  if (position < 1 || (st->executed && st->stmt && position > st->stmt->columns().size()))
    return record_error(err, OraError{1007, "ORA-01007: variable not in select list"});
  if (st->defines.size() < position) st->defines.resize(position);
  auto& slot = st->defines[position - 1];
  if (!slot) {
    slot = std::make_unique<DefineH>();
    slot->type = OCI_HTYPE_DEFINE;
    slot->stmt = st;
    register_handle(slot.get());
  }
  DefineH* d = slot.get();
  d->position = position;
  d->valuep = valuep;
  d->value_sz = value_sz;
  d->dty = dty;
  d->indp = indp;
  d->rlenp = rlenp;
  d->rcodep = rcodep;
  d->object.reset();
  d->pvskip = static_cast<ub4>(value_sz);
  d->indskip = sizeof(sb2);
  d->rlskip = sizeof(ub2);
  d->rcskip = sizeof(ub2);
  if (defnpp) *defnpp = reinterpret_cast<OCIDefine*>(d);
  return OCI_SUCCESS;
}

sword OCIDefineArrayOfStruct(OCIDefine* defnp, OCIError* errhp, ub4 pvskip, ub4 indskip, ub4 rlskip, ub4 rcskip) {
  auto* d = as<DefineH>(defnp, OCI_HTYPE_DEFINE);
  auto* err = as<ErrorH>(errhp, OCI_HTYPE_ERROR);
  if (!d || !err) return OCI_INVALID_HANDLE;
  clear_errors(err);
  d->pvskip = pvskip;
  d->indskip = indskip;
  d->rlskip = rlskip;
  d->rcskip = rcskip;
  return OCI_SUCCESS;
}

sword OCIParamGet(const void* hndlp, ub4 htype, OCIError* errhp, void** parmdpp, ub4 pos) {
  auto* err = as<ErrorH>(errhp, OCI_HTYPE_ERROR);
  if (!err || !parmdpp) return OCI_INVALID_HANDLE;
  if (htype != OCI_HTYPE_STMT) {
    Handle* h = find_handle(hndlp, htype);
    if (!h) return OCI_INVALID_HANDLE;
    if (auto* tp = dynamic_cast<TypeParamH*>(h)) {
      clear_errors(err);
      return type_param_get(tp, err, parmdpp, pos);
    }
    clear_errors(err);
    return record_error(err, OraError{3001, "ORA-03001: unimplemented feature: parameters of this handle type"});
  }
  auto* st = as<StmtH>(hndlp, OCI_HTYPE_STMT);
  if (!st) return OCI_INVALID_HANDLE;
  clear_errors(err);
  if (!st->executed) return record_error(err, OraError{24338, "ORA-24338: statement handle not executed"});
  if (pos < 1 || pos > st->params.size()) return record_error(err, OraError{24334, "ORA-24334: no descriptor for this position"});
  *parmdpp = st->params[pos - 1].get();
  return OCI_SUCCESS;
}

sword OCIStmtExecute(OCISvcCtx* svchp, OCIStmt* stmtp, OCIError* errhp, ub4 iters, ub4 rowoff, const OCISnapshot*,
                     OCISnapshot*, ub4 mode) {
  auto* svc = as<SvcCtxH>(svchp, OCI_HTYPE_SVCCTX);
  auto* st = as<StmtH>(stmtp, OCI_HTYPE_STMT);
  auto* err = as<ErrorH>(errhp, OCI_HTYPE_ERROR);
  if (!svc || !st || !err) return OCI_INVALID_HANDLE;
  ServerH* srv = svc->server && find_handle(svc->server, OCI_HTYPE_SERVER) ? svc->server : nullptr;
  st->server = srv;
  if (!srv || !srv->nonblocking) clear_errors(err);
  return maybe_async(srv, st, 1, [=] {
    clear_errors(err);
    return execute_blocking(svc, st, err, iters, rowoff, mode);
  });
}

sword OCIStmtFetch2(OCIStmt* stmtp, OCIError* errhp, ub4 nrows, ub2 orientation, sb4, ub4) {
  auto* st = as<StmtH>(stmtp, OCI_HTYPE_STMT);
  auto* err = as<ErrorH>(errhp, OCI_HTYPE_ERROR);
  if (!st || !err) return OCI_INVALID_HANDLE;
  ServerH* srv = st->server && find_handle(st->server, OCI_HTYPE_SERVER) ? st->server : nullptr;
  if (!srv || !srv->nonblocking) clear_errors(err);
  return maybe_async(srv, st, 2, [=] {
    clear_errors(err);
    return fetch_blocking(st, err, nrows, orientation);
  });
}

sword OCIStmtFetch(OCIStmt* stmtp, OCIError* errhp, ub4 nrows, ub2 orientation, ub4 mode) {
  return OCIStmtFetch2(stmtp, errhp, nrows, orientation, 0, mode);
}

sword OCIRowidToChar(OCIRowid* rowidDesc, OraText* outbfp, ub2* outbflp, OCIError* errhp) {
  auto* rid = as<RowidH>(rowidDesc, OCI_DTYPE_ROWID);
  auto* err = as<ErrorH>(errhp, OCI_HTYPE_ERROR);
  if (!rid || !err || !outbflp) return OCI_INVALID_HANDLE;
  clear_errors(err);
  if (*outbflp < rid->text.size()) {
    *outbflp = static_cast<ub2>(rid->text.size());
    return record_error(err, OraError{1489, "ORA-01489: result of string concatenation is too long"});
  }
  if (outbfp) std::memcpy(outbfp, rid->text.data(), rid->text.size());
  *outbflp = static_cast<ub2>(rid->text.size());
  return OCI_SUCCESS;
}

}  // extern "C"
