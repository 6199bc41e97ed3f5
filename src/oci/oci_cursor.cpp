// Cursor steps: create, bind, describe, define, execute, fetch, close. The
// newer (handle-based) path lives here; each entry point hands over to the
// old-interface path in oci_cursor7.cpp while the session is in LDA mode.
#include "oci/oci_cursor.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "oci/oci_cursor_p.h"
#include "oci/oci_library.h"
#include "platform/client_text.h"
#include "platform/codepage.h"
#include "platform/utf16.h"

using kestrel::OciBindBuffer;
using kestrel::OciMsgBuf;
using kestrel::oci_fn;
using kestrel::oci_process;
namespace detail = kestrel::oci_detail;

namespace kestrel {

int oci_rows_per_fetch(uint64_t width, int requested) {
  int64_t n = requested;
  if (width == 0) width = 1;
  if (n > 1 && width * static_cast<uint64_t>(n) > kFetchArrayBytes)
    n = std::max<int64_t>(1, static_cast<int64_t>(kFetchArrayBytes / width));
  if (n > kMaxRowsPerFetch) n = kMaxRowsPerFetch;
  // At least one row: a zero here would divide by zero further down.
  if (n < 1) n = 1;
  while (n > 1 && width > static_cast<uint64_t>(INT32_MAX) / static_cast<uint64_t>(n * 8)) n /= 2;
  return static_cast<int>(n);
}

namespace oci_detail {

void error_position(std::string_view sql, std::size_t offset, int* row, int* col) {
  int r = 1, k = 1;
  std::size_t end = std::min(offset, sql.size());
  for (std::size_t i = 0; i < end;) {
    char ch = sql[i];
    if (ch == '\n') {
      ++r;
      k = 1;
      ++i;
      continue;
    }
    if (ch == '\r') {
      ++i;
      continue;
    }
    int len = oci_mb_char_len(sql.data() + i, sql.size() - i);
    k += (len == 4 && kestrel::program_code_page() == kCodePageUtf8) ? 2 : 1;
    i += static_cast<std::size_t>(len);
  }
  *row = r;
  *col = k;
}

std::string word_at(std::string_view sql, std::size_t offset) {
  std::string out;
  for (std::size_t i = offset; i < sql.size() && out.size() < static_cast<std::size_t>(kMissingObjectNameMax); ++i) {
    char ch = sql[i];
    if (ch == '\0' || ch == '\t' || ch == '\n' || ch == '\r' || ch == ' ' || ch == ',') break;
    out.push_back(ch);
  }
  out.resize(oci_char_boundary(out, out.size()));
  return out;
}

void free_cursor_buffers(OciCursor* c) {
  const auto& fn = oci_fn();
  if (c->buffer && fn.OCIDescriptorFree) {
    for (int32_t col = 0; col < c->col_count && static_cast<std::size_t>(col) < c->data.size(); ++col) {
      const OciColumnDesc& d = c->cols[static_cast<std::size_t>(col)];
      if (d.kind != kColumnLob || !c->data[static_cast<std::size_t>(col)]) continue;
      for (int32_t r = 0; r < c->rows_per_fetch; ++r) {
        unsigned char* slot = c->data[static_cast<std::size_t>(col)] + static_cast<std::size_t>(d.width) * static_cast<std::size_t>(r);
        void* loc;
        std::memcpy(&loc, slot, sizeof loc);
        if (loc) fn.OCIDescriptorFree(loc, d.define_type == 114 ? OCI_DTYPE_FILE : OCI_DTYPE_LOB);
        loc = nullptr;
        std::memcpy(slot, &loc, sizeof loc);
      }
    }
  }
  c->buffer.reset();
  c->buffer_size = 0;
  c->data.clear();
  c->ind.clear();
  c->rlen.clear();
  c->rcode.clear();
}

}  // namespace oci_detail
}  // namespace kestrel

OciCursor::~OciCursor() {
  if (stmt || buffer || opened_old) oci_del_cursor(session, this, nullptr);
}

namespace {

ub2 stmt_type(OciSession* s, OciCursor* c) {
  ub2 type = 0;
  oci_fn().OCIAttrGet(c->stmt, OCI_HTYPE_STMT, &type, nullptr, OCI_ATTR_STMT_TYPE, s->err);
  return type;
}

// Non-blocking mode is a toggle on the server handle.
bool toggle_non_blocking(OciSession* s) {
  return oci_fn().OCIAttrSet(s->server, OCI_HTYPE_SERVER, nullptr, 0, OCI_ATTR_NONBLOCKING_MODE, s->err) ==
         OCI_SUCCESS;
}

// Runs `call` until the client stops answering "still executing", watching
// the cancel state. Returns the final status; *cancelled tells whether a
// break was sent, *break_failed whether it failed.
template <typename Call>
sword poll_call(OciSession* s, CancelFlag* cancel, int first_wait_ms, Call call, bool* cancelled, bool* break_failed) {
  detail::PollWait wait(cancel, first_wait_ms);
  *cancelled = false;
  *break_failed = false;
  for (;;) {
    sword rc = call();
    if (rc != OCI_STILL_EXECUTING) return rc;
    if (!*cancelled && detail::cancel_requested(cancel)) {
      *cancelled = true;
      if (oci_fn().OCIBreak(s->svc, s->err) != OCI_SUCCESS) *break_failed = true;
      wait.restart();
    }
    wait.sleep(*cancelled);
  }
}

void keep_warning(OciSession* s, OciCursor* c) {
  if (c->warning_code != 0) return;
  sb4 code = 0;
  OraText buf[kestrel::kWarningTextMax * 2] = {};
  oci_fn().OCIErrorGet(s->err, 1, nullptr, &code, buf, sizeof buf, OCI_HTYPE_ERROR);
  buf[sizeof buf - 1] = 0;
  std::u16string text = kestrel::oci_mb_to_wide(reinterpret_cast<const char*>(buf));
  if (text.size() > static_cast<std::size_t>(kestrel::kWarningTextMax))
    text.resize(kestrel::safe_cut(text, kestrel::kWarningTextMax));
  if (!text.empty() && text.back() == u'\n') text.pop_back();
  c->warning_code = code;
  c->warning_text = std::move(text);
}

}  // namespace

int oci_get_cursor_error_text(OciSession* s, OciCursor* c, OciMsgBuf msg) {
  if (!s || !c) return 0;
  if (s->lda_mode) return detail::oci7_cursor_error_text(s, c, msg);
  const auto& fn = oci_fn();
  sb4 code = 0;
  OraText buf[1024] = {};
  fn.OCIErrorGet(s->err, 1, nullptr, &code, buf, sizeof buf, OCI_HTYPE_ERROR);
  buf[sizeof buf - 1] = 0;
  // The parse error offset lives on the error handle (and, on newer
  // clients, on the statement too).
  ub2 offset = 0;
  if (fn.OCIAttrGet(s->err, OCI_HTYPE_ERROR, &offset, nullptr, OCI_ATTR_PARSE_ERROR_OFFSET, s->err) != OCI_SUCCESS ||
      offset == 0) {
    offset = 0;
    if (c->stmt) fn.OCIAttrGet(c->stmt, OCI_HTYPE_STMT, &offset, nullptr, OCI_ATTR_PARSE_ERROR_OFFSET, s->err);
  }
  std::u16string text = kestrel::oci_mb_to_wide(reinterpret_cast<const char*>(buf));
  if (text.size() > static_cast<std::size_t>(kestrel::kOracleTextMax))
    text.resize(kestrel::safe_cut(text, kestrel::kOracleTextMax));
  s->last_error = code;
  s->missing_object.clear();
  c->cda.rc = static_cast<ub2>(code);
  c->cda.peo = offset;
  if (code == 942) s->missing_object = kestrel::oci_mb_to_wide(detail::word_at(c->sql, offset));
  int row = 1, col = 1;
  detail::error_position(c->sql, offset, &row, &col);
  msg.set(kestrel::format(kestrel::kMsgErrorPosition, {row, col, text}));
  return code;
}

int oci_cre_cursor(OciSession* s, OciCursor* c, std::u16string_view sql, OciMsgBuf msg) {
  c->session = s;
  c->wsql = std::u16string(sql);
  c->sql = kestrel::oci_wide_to_mb(sql);
  c->cda = Cda_Def{};
  if (s->lda_mode) return detail::oci7_cre_cursor(s, c, msg);
  return oci8_cre_cursor(s, c, msg);
}

int oci8_cre_cursor(OciSession* s, OciCursor* c, OciMsgBuf msg) {
  const auto& fn = oci_fn();
  if (fn.OCIHandleAlloc(oci_process().env, reinterpret_cast<void**>(&c->stmt), OCI_HTYPE_STMT, 0, nullptr) !=
      OCI_SUCCESS) {
    c->stmt = nullptr;
    msg.set(kestrel::kMsgHandleAllocFailed);
    return kestrel::kOciEnvFailed;
  }
  c->cda.rpc = 0;
  if (fn.OCIStmtPrepare(c->stmt, s->err, reinterpret_cast<const OraText*>(c->sql.c_str()),
                        static_cast<ub4>(c->sql.size()), OCI_NTV_SYNTAX, OCI_DEFAULT) != OCI_SUCCESS) {
    oci_get_cursor_error_text(s, c, msg);
    oci_write_log(s, u"\n---\nerror in oci8_cre_cursor:\n");
    return kestrel::kOciOracleError;
  }
  return kestrel::kOciOk;
}

int oci8_bind_cursor(OciSession* s, OciCursor* c, OciBindBuffer* b, OciMsgBuf msg) {
  const auto& fn = oci_fn();
  b->handle = nullptr;
  sword rc = fn.OCIBindByName(c->stmt, &b->handle, s->err, reinterpret_cast<const OraText*>(b->name.data()),
                              static_cast<sb4>(b->name.size()), b->value.data(), b->element_size, b->dty,
                              b->indicators.empty() ? nullptr : b->indicators.data(),
                              b->lengths.empty() ? nullptr : b->lengths.data(), nullptr, 0, nullptr, OCI_DEFAULT);
  if (rc == OCI_SUCCESS && b->form == SQLCS_NCHAR) {
    ub1 form = SQLCS_NCHAR;
    rc = fn.OCIAttrSet(b->handle, OCI_HTYPE_BIND, &form, 0, OCI_ATTR_CHARSET_FORM, s->err);
  }
  if (rc != OCI_SUCCESS) {
    oci_get_cursor_error_text(s, c, msg);
    oci_write_log(s, u"\n---\nerror in oci8_bind_cursor:\n");
    return kestrel::kOciOracleError;
  }
  return kestrel::kOciOk;
}

namespace {

int push_bind(OciSession* s, OciCursor* c, std::unique_ptr<OciBindBuffer> b, OciMsgBuf msg) {
  OciBindBuffer* raw = b.get();
  c->binds.push_front(std::move(b));
  return s->lda_mode ? detail::oci7_bind(s, c, raw, msg) : oci8_bind_cursor(s, c, raw, msg);
}

std::unique_ptr<OciBindBuffer> text_bind(std::string_view name, std::u16string_view value) {
  auto b = std::make_unique<OciBindBuffer>();
  b->name = std::string(name);
  std::string mb = kestrel::oci_wide_to_mb(value);
  b->value.assign(mb.begin(), mb.end());
  b->value.push_back('\0');
  b->element_size = static_cast<sb4>(b->value.size());
  b->dty = SQLT_STR;
  // An empty text is NULL in Oracle; say so explicitly.
  b->indicators.assign(1, value.empty() ? sb2{-1} : sb2{0});
  return b;
}

}  // namespace

int oci_bind_string_form(OciSession* s, OciCursor* c, std::string_view name, std::u16string_view value, ub1 form,
                         OciMsgBuf msg) {
  auto b = text_bind(name, value);
  b->form = form;
  return push_bind(s, c, std::move(b), msg);
}

int oci_bind_string(OciSession* s, OciCursor* c, std::string_view name, std::u16string_view value, OciMsgBuf msg) {
  // Under UTF-8 a character the local code page cannot hold goes to the
  // server in the national character set form.
  ub1 form = SQLCS_IMPLICIT;
  if (kestrel::program_code_page() == kestrel::kCodePageUtf8 && !kestrel::fits_cp932(value)) form = SQLCS_NCHAR;
  return oci_bind_string_form(s, c, name, value, form, msg);
}

int oci_bind_int(OciSession* s, OciCursor* c, std::string_view name, int32_t value, OciMsgBuf msg) {
  auto b = std::make_unique<OciBindBuffer>();
  b->name = std::string(name);
  b->int_value = value;
  b->value.resize(sizeof(int32_t));
  std::memcpy(b->value.data(), &value, sizeof value);
  b->element_size = sizeof(int32_t);
  b->dty = SQLT_INT;
  return push_bind(s, c, std::move(b), msg);
}

int oci_bind_rowid_out(OciSession* s, OciCursor* c, OciMsgBuf msg) {
  auto b = std::make_unique<OciBindBuffer>();
  b->name = ":rid";
  b->value.assign(kestrel::kRowidBindBytes, '\0');
  b->element_size = kestrel::kRowidBindBytes;
  b->dty = SQLT_STR;
  b->indicators.assign(1, 0);
  return push_bind(s, c, std::move(b), msg);
}

const char* oci_rowid_out(const OciCursor* c) {
  for (const auto& b : c->binds)
    if (b->name == ":rid") return b->value.data();
  return nullptr;
}

int oci_bind_string_array(OciSession* s, OciCursor* c, std::string_view name, const std::vector<std::u16string>& values,
                          OciMsgBuf msg) {
  auto b = std::make_unique<OciBindBuffer>();
  b->name = std::string(name);
  std::vector<std::string> mbs;
  mbs.reserve(values.size());
  std::size_t width = 1;
  for (const auto& v : values) {
    mbs.push_back(kestrel::oci_wide_to_mb(v));
    width = std::max(width, mbs.back().size() + 1);
  }
  b->value.assign(width * std::max<std::size_t>(values.size(), 1), '\0');
  b->indicators.assign(std::max<std::size_t>(values.size(), 1), sb2{-1});
  for (std::size_t i = 0; i < mbs.size(); ++i) {
    std::memcpy(b->value.data() + i * width, mbs[i].data(), mbs[i].size());
    b->indicators[i] = mbs[i].empty() ? sb2{-1} : sb2{0};
  }
  b->element_size = static_cast<sb4>(width);
  b->dty = SQLT_STR;
  return push_bind(s, c, std::move(b), msg);
}

int oci_bind_cursor(OciSession* s, OciCursor* c, std::u16string_view format, const OciBindArgs& args, OciMsgBuf msg,
                    bool strict) {
  using kestrel::OciBindArg;
  auto bad_format = [&]() {
    msg.set(kestrel::kMsgBadBindFormat);
    return kestrel::kOciBadBindFormat;
  };
  int number = 0;
  auto next_name = [&]() { return ":X" + std::to_string(number++); };
  std::size_t next = 0;
  for (char16_t letter : format) {
    if (letter != u'S' && letter != u'I' && letter != u'A') {
      if (strict) return bad_format();
      break;  // any other letter ends the list
    }
    if (strict && letter == u'A') return bad_format();
    if (next >= args.size()) return bad_format();  // a letter without its value
    const OciBindArg& a = args[next++];
    int rc = kestrel::kOciOk;
    if (letter == u'S' && a.kind == OciBindArg::Kind::Str) {
      rc = oci_bind_string(s, c, next_name(), a.str, msg);
    } else if (letter == u'I' && a.kind == OciBindArg::Kind::Int && a.ival) {
      rc = oci_bind_int(s, c, next_name(), *a.ival, msg);
    } else if (letter == u'A' && a.kind == OciBindArg::Kind::Array && (a.arr || a.count == 0)) {
      for (int i = 0; i < a.count && rc == kestrel::kOciOk; ++i) rc = oci_bind_string(s, c, next_name(), a.arr[i], msg);
    } else {
      return bad_format();  // the value does not match its letter
    }
    if (rc != kestrel::kOciOk) return rc;
  }
  return kestrel::kOciOk;
}

int oci8_desc_cursor(OciSession* s, OciCursor* c, OciMsgBuf msg) {
  using namespace kestrel;
  const auto& fn = oci_fn();
  const OciProcess& proc = oci_process();
  auto fail = [&]() {
    oci_get_cursor_error_text(s, c, msg);
    oci_write_log(s, u"\n---\nerror in oci8_desc_cursor:\n");
    return kOciOracleError;
  };
  ub4 prefetch = 0;
  if (fn.OCIAttrSet(c->stmt, OCI_HTYPE_STMT, &prefetch, 0, OCI_ATTR_PREFETCH_ROWS, s->err) != OCI_SUCCESS) return fail();
  sword erc = fn.OCIStmtExecute(s->svc, c->stmt, s->err, 0, 0, nullptr, nullptr, OCI_DESCRIBE_ONLY);
  if (erc != OCI_SUCCESS && erc != OCI_SUCCESS_WITH_INFO) return fail();
  ub4 count = 0;
  if (fn.OCIAttrGet(c->stmt, OCI_HTYPE_STMT, &count, nullptr, OCI_ATTR_PARAM_COUNT, s->err) != OCI_SUCCESS) return fail();
  c->col_count = static_cast<int32_t>(count);
  c->cols.assign(count, OciColumnDesc{});
  c->lob_count = c->object_count = 0;
  int result = kOciOk;
  for (ub4 pos = 1; pos <= count; ++pos) {
    OciColumnDesc& d = c->cols[pos - 1];
    OCIParam* param = nullptr;
    if (fn.OCIParamGet(c->stmt, OCI_HTYPE_STMT, s->err, reinterpret_cast<void**>(&param), pos) != OCI_SUCCESS)
      return fail();
    ub2 size = 0, type = 0;
    OraText* name = nullptr;
    ub4 name_len = 0;
    ub1 nullable = 0;
    if (fn.OCIAttrGet(param, OCI_DTYPE_PARAM, &size, nullptr, OCI_ATTR_DATA_SIZE, s->err) != OCI_SUCCESS ||
        fn.OCIAttrGet(param, OCI_DTYPE_PARAM, &type, nullptr, OCI_ATTR_DATA_TYPE, s->err) != OCI_SUCCESS ||
        fn.OCIAttrGet(param, OCI_DTYPE_PARAM, &name, &name_len, OCI_ATTR_NAME, s->err) != OCI_SUCCESS ||
        fn.OCIAttrGet(param, OCI_DTYPE_PARAM, &nullable, nullptr, OCI_ATTR_IS_NULL, s->err) != OCI_SUCCESS) {
      fn.OCIDescriptorFree(param, OCI_DTYPE_PARAM);
      return fail();
    }
    std::string_view raw(reinterpret_cast<const char*>(name), name ? name_len : 0);
    d.name = std::string(raw.substr(0, oci_char_boundary(raw, kColumnNameMax)));
    d.wname = oci_mb_to_wide(d.name);
    d.data_size = size;
    d.data_type = type;
    d.nullable = nullable;
    d.charset_form = SQLCS_IMPLICIT;
    bool ok = true;
    switch (type) {
      case 1:
      case 96:
      case 112: {
        ub1 form = SQLCS_IMPLICIT;
        ok = fn.OCIAttrGet(param, OCI_DTYPE_PARAM, &form, nullptr, OCI_ATTR_CHARSET_FORM, s->err) == OCI_SUCCESS;
        d.charset_form = form;
        break;
      }
      case 2: {
        sb2 precision = 0;
        sb1 scale = 0;
        ok = fn.OCIAttrGet(param, OCI_DTYPE_PARAM, &precision, nullptr, OCI_ATTR_PRECISION, s->err) == OCI_SUCCESS &&
             fn.OCIAttrGet(param, OCI_DTYPE_PARAM, &scale, nullptr, OCI_ATTR_SCALE, s->err) == OCI_SUCCESS;
        d.precision = precision;
        d.scale = scale;
        break;
      }
      case 4: {
        sb2 precision = 0;
        ok = fn.OCIAttrGet(param, OCI_DTYPE_PARAM, &precision, nullptr, OCI_ATTR_PRECISION, s->err) == OCI_SUCCESS;
        d.precision = precision;
        break;
      }
      case 108:
        if (proc.objects_usable) {
          OCIRef* ref = nullptr;
          ok = fn.OCIAttrGet(param, OCI_DTYPE_PARAM, &ref, nullptr, OCI_ATTR_REF_TDO, s->err) == OCI_SUCCESS &&
               fn.OCITypeByRef(proc.env, s->err, ref, OCI_DURATION_SESSION, OCI_TYPEGET_HEADER, &d.type_desc) ==
                   OCI_SUCCESS;
        }
        break;
      default: break;
    }
    fn.OCIDescriptorFree(param, OCI_DTYPE_PARAM);
    if (!ok) return fail();
    if (!oci_set_column_width(d, OciPath::Newer, program_code_page(), s->sjis_database, proc.objects_usable)) {
      oci_write_log(s, u"\n---\nerror in oci_desc_cursor: \n this datatype is not support. \n colname: %s, datatype: %d\n",
                    {d.wname, d.define_type});
      msg.set(format(kMsgUnsupportedType, {d.wname, d.data_type}));
      result = kOciObjectElement;
      continue;
    }
    if (d.kind == kColumnLob) ++c->lob_count;
    if (d.kind == kColumnObject) ++c->object_count;
  }
  // Describe-only execution leaves the statement unusable on some servers:
  // prepare it again, and bind the kept values again so bound queries work.
  if (proc.reprepare || count == 0) {
    fn.OCIHandleFree(c->stmt, OCI_HTYPE_STMT);
    c->stmt = nullptr;
    if (int rc = oci8_cre_cursor(s, c, msg); rc != kOciOk) return rc;
    std::vector<OciBindBuffer*> binds;
    for (auto& b : c->binds) binds.push_back(b.get());
    for (auto it = binds.rbegin(); it != binds.rend(); ++it)
      if (int rc = oci8_bind_cursor(s, c, *it, msg); rc != kOciOk) return rc;
  }
  return result;
}

int oci_desc_cursor(OciSession* s, OciCursor* c, OciMsgBuf msg) {
  return s->lda_mode ? detail::oci7_desc_cursor(s, c, msg) : oci8_desc_cursor(s, c, msg);
}

int oci_define_cursor(OciSession* s, OciCursor* c, int requested, OciMsgBuf msg) {
  using namespace kestrel;
  detail::free_cursor_buffers(c);
  uint64_t width = 0;
  for (const auto& d : c->cols) width += d.width;
  int n = oci_rows_per_fetch(width, requested);
  c->rows_per_fetch = n;
  std::size_t cols = c->cols.size();
  std::size_t data_bytes = (static_cast<std::size_t>(width) * static_cast<std::size_t>(n) + 7) / 8 * 8;
  std::size_t entries = cols * static_cast<std::size_t>(n);
  std::size_t total = data_bytes + entries * 3 * sizeof(ub2);
  c->buffer.reset(new (std::nothrow) uint64_t[(total + 7) / 8 + 1]());
  if (!c->buffer) {
    msg.set(kMsgNoMemory);
    return kOciNoMemory;
  }
  c->buffer_size = total;
  auto* base = reinterpret_cast<unsigned char*>(c->buffer.get());
  auto* ind = reinterpret_cast<sb2*>(base + data_bytes);
  auto* rlen = reinterpret_cast<ub2*>(ind + entries);
  auto* rcode = rlen + entries;
  std::size_t off = 0;
  c->data.resize(cols);
  c->ind.resize(cols);
  c->rlen.resize(cols);
  c->rcode.resize(cols);
  for (std::size_t i = 0; i < cols; ++i) {
    c->data[i] = base + off;
    c->ind[i] = ind + i * static_cast<std::size_t>(n);
    c->rlen[i] = rlen + i * static_cast<std::size_t>(n);
    c->rcode[i] = rcode + i * static_cast<std::size_t>(n);
    off += static_cast<std::size_t>(c->cols[i].width) * static_cast<std::size_t>(n);
  }
  if (s->lda_mode) return detail::oci7_define(s, c, msg);
  // One locator per row of every LOB column.
  const auto& fn = oci_fn();
  for (std::size_t i = 0; i < cols; ++i) {
    const OciColumnDesc& d = c->cols[i];
    if (d.kind != kColumnLob) continue;
    for (int r = 0; r < n; ++r) {
      void* loc = nullptr;
      if (fn.OCIDescriptorAlloc(oci_process().env, &loc, d.define_type == 114 ? OCI_DTYPE_FILE : OCI_DTYPE_LOB, 0,
                                nullptr) != OCI_SUCCESS) {
        msg.set(kMsgNoMemory);
        return kOciNoMemory;
      }
      std::memcpy(c->data[i] + static_cast<std::size_t>(d.width) * static_cast<std::size_t>(r), &loc, sizeof loc);
    }
  }
  return oci8_define_by_pos(s, c, msg);
}

int oci8_define_by_pos(OciSession* s, OciCursor* c, OciMsgBuf msg) {
  using namespace kestrel;
  const auto& fn = oci_fn();
  auto fail = [&]() {
    oci_write_log(s, u"\n---\nerror in oci8_define_by_pos:\n");
    oci_get_cursor_error_text(s, c, msg);
    return kOciOracleError;
  };
  for (std::size_t i = 0; i < c->cols.size(); ++i) {
    OciColumnDesc& d = c->cols[i];
    ub4 pos = static_cast<ub4>(i + 1);
    OCIDefine* def = nullptr;
    if (d.kind == kColumnOrdinary) {
      if (fn.OCIDefineByPos(c->stmt, &def, s->err, pos, c->data[i], static_cast<sb4>(d.width), d.define_type, c->ind[i],
                            c->rlen[i], c->rcode[i], OCI_DEFAULT) != OCI_SUCCESS)
        return fail();
      if ((d.data_type == 1 || d.data_type == 96) && d.charset_form == SQLCS_NCHAR) {
        ub1 form = d.charset_form;
        if (fn.OCIAttrSet(def, OCI_HTYPE_DEFINE, &form, 0, OCI_ATTR_CHARSET_FORM, s->err) != OCI_SUCCESS) return fail();
      }
    } else if (d.kind == kColumnObject) {
      if (fn.OCIDefineByPos(c->stmt, &def, s->err, pos, nullptr, 0, d.define_type, nullptr, nullptr, nullptr,
                            OCI_DEFAULT) != OCI_SUCCESS ||
          fn.OCIDefineObject(def, s->err, d.define_type == 108 ? d.type_desc : nullptr,
                             reinterpret_cast<void**>(c->data[i]), nullptr, reinterpret_cast<void**>(c->data[i] + 8),
                             nullptr) != OCI_SUCCESS ||
          // Each row's 16 bytes hold the value pointer and its indicator pointer.
          fn.OCIDefineArrayOfStruct(def, s->err, d.width, d.width, 0, 0) != OCI_SUCCESS)
        return fail();
    } else {
      if (fn.OCIDefineByPos(c->stmt, &def, s->err, pos, c->data[i], sizeof(void*), d.define_type, c->ind[i], c->rlen[i],
                            c->rcode[i], OCI_DEFAULT) != OCI_SUCCESS ||
          fn.OCIDefineArrayOfStruct(def, s->err, d.width, 2, 2, 2) != OCI_SUCCESS)
        return fail();
    }
  }
  return kOciOk;
}

int oci8_cur_get_row_cnt(OciSession* s, OciCursor* c, OciMsgBuf msg) {
  ub4 rows = 0;
  if (oci_fn().OCIAttrGet(c->stmt, OCI_HTYPE_STMT, &rows, nullptr, OCI_ATTR_ROW_COUNT, s->err) != OCI_SUCCESS) {
    oci_write_log(s, u"\n---\nerror in oci8_cur_get_row_cnt:\n");
    oci_get_cursor_error_text(s, c, msg);
    return kestrel::kOciOracleError;
  }
  c->cda.rpc = rows;
  return kestrel::kOciOk;
}

int oci8_exec_non_block_cursor(OciSession* s, OciCursor* c, CancelFlag* cancel, OciMsgBuf msg, uint32_t iters) {
  using namespace kestrel;
  const auto& fn = oci_fn();
  auto log_fail = [&]() {
    oci_get_cursor_error_text(s, c, msg);
    oci_write_log(s, u"\n---\nerror in oci8_exec_non_block_cursor:\n");
    return kOciOracleError;
  };
  bool select = stmt_type(s, c) == OCI_STMT_SELECT;
  ub4 n = select ? 0 : iters;
  if (cancel && !toggle_non_blocking(s)) return log_fail();
  bool cancelled = false, break_failed = false;
  sword rc = poll_call(
      s, cancel, 5,
      [&] { return fn.OCIStmtExecute(s->svc, c->stmt, s->err, n, 0, nullptr, nullptr, OCI_DEFAULT); }, &cancelled,
      &break_failed);
  // Keep the error records of the call before touching any other handle.
  int result = kOciOk;
  if (cancelled) {
    if (break_failed) {
      oci_write_log(s, u"\n---\nerror in oci8_check_cancel_flg:\n");
      result = kOciOracleError;
    } else {
      msg.set(kMsgCancelled);
      result = kOciCancelled;
    }
  } else if (rc != OCI_SUCCESS && rc != OCI_NO_DATA && !(select && rc == OCI_SUCCESS_WITH_INFO)) {
    if (rc == OCI_SUCCESS_WITH_INFO) {
      int code = oci_get_cursor_error_text(s, c, msg);
      result = code == 24344 ? kOciPlsqlCompile : kOciOracleError;
    } else {
      oci_get_cursor_error_text(s, c, msg);
      ub4 rows = 0;
      fn.OCIAttrGet(c->stmt, OCI_HTYPE_STMT, &rows, nullptr, OCI_ATTR_ROW_COUNT, s->err);
      c->cda.rpc = rows;
      oci_write_log(s, u"\n---\nerror in oci8_exec_non_block_cursor:\n");
      result = kOciOracleError;
    }
  }
  if (cancel) toggle_non_blocking(s);
  if (cancelled) {
    fn.OCIReset(s->svc, s->err);
    return result;
  }
  if (result != kOciOk) return result;
  ub2 fncode = 0;
  fn.OCIAttrGet(c->stmt, OCI_HTYPE_STMT, &fncode, nullptr, OCI_ATTR_SQLFNCODE, s->err);
  c->cda.ft = fncode;
  if (fncode == 3 || fncode == 5 || fncode == 9 || fncode == 189) return oci8_cur_get_row_cnt(s, c, msg);
  return kOciOk;
}

int oci_exec_non_block_cursor(OciSession* s, OciCursor* c, CancelFlag* cancel, OciMsgBuf msg, uint32_t iters) {
  if (s->lda_mode) return detail::oci7_exec_non_block_cursor(s, c, cancel, msg, iters);
  return oci8_exec_non_block_cursor(s, c, cancel, msg, iters);
}

int oci_fetch_sel_cursor(OciSession* s, OciCursor* c, CancelFlag* cancel, OciMsgBuf msg) {
  using namespace kestrel;
  if (s->lda_mode) return detail::oci7_fetch(s, c, cancel, msg);
  const auto& fn = oci_fn();
  c->cur_row = 0;
  if (c->rows_per_fetch <= 0) {
    c->end_of_data = 1;
    c->rows_in_batch = 0;
    return kOciOk;
  }
  // Object buffers of the last batch are the client's; start clean.
  for (std::size_t i = 0; i < c->cols.size(); ++i)
    if (c->cols[i].kind == kColumnObject)
      std::memset(c->data[i], 0, static_cast<std::size_t>(c->cols[i].width) * static_cast<std::size_t>(c->rows_per_fetch));
  if (cancel && !toggle_non_blocking(s)) {
    oci_get_cursor_error_text(s, c, msg);
    oci_write_log(s, u"\n---\nerror in oci8_exec_non_block_cursor:\n");
    return kOciOracleError;
  }
  bool cancelled = false, break_failed = false;
  ub4 rows = static_cast<ub4>(c->rows_per_fetch);
  sword rc = poll_call(
      s, cancel, 10,
      [&] {
        return fn.OCIStmtFetch2 ? fn.OCIStmtFetch2(c->stmt, s->err, rows, OCI_FETCH_NEXT, 0, OCI_DEFAULT)
                                : fn.OCIStmtFetch(c->stmt, s->err, rows, OCI_FETCH_NEXT, OCI_DEFAULT);
      },
      &cancelled, &break_failed);
  int result = kOciOk;
  if (cancelled) {
    if (break_failed) {
      oci_write_log(s, u"\n---\nerror in oci8_check_cancel_flg:\n");
      result = kOciOracleError;
    } else {
      msg.set(kMsgCancelled);
      result = kOciCancelled;
    }
  } else if (rc == OCI_SUCCESS_WITH_INFO) {
    keep_warning(s, c);
  } else if (rc != OCI_SUCCESS && rc != OCI_NO_DATA) {
    oci_get_cursor_error_text(s, c, msg);
    oci_write_log(s, u"\n---\nerror in oci8_exec_non_block_cursor:\n");
    result = kOciOracleError;
  }
  if (cancel) toggle_non_blocking(s);
  if (cancelled) {
    fn.OCIReset(s->svc, s->err);
    return result;
  }
  if (result != kOciOk) return result;
  ub4 count = 0;
  fn.OCIAttrGet(c->stmt, OCI_HTYPE_STMT, &count, nullptr, OCI_ATTR_ROW_COUNT, s->err);
  c->cda.rpc = count;
  if (rc == OCI_NO_DATA) {
    c->end_of_data = 1;
    c->rows_in_batch = static_cast<int32_t>(count % rows);
  } else {
    c->rows_in_batch = c->rows_per_fetch;
  }
  return kOciOk;
}

int oci_del_cursor(OciSession* s, OciCursor* c, OciMsgBuf msg) {
  if (!c) return kestrel::kOciOk;
  int rc = kestrel::kOciOk;
  if (c->opened_old) rc = detail::oci7_close(s, c, msg);
  detail::free_cursor_buffers(c);
  c->binds.clear();
  c->warning_code = 0;
  c->warning_text.clear();
  c->sql.clear();
  c->wsql.clear();
  if (c->stmt && oci_fn().OCIHandleFree) oci_fn().OCIHandleFree(c->stmt, OCI_HTYPE_STMT);
  c->stmt = nullptr;
  c->cols.clear();
  c->col_count = c->rows_per_fetch = c->rows_in_batch = c->cur_row = c->end_of_data = 0;
  c->lob_count = c->object_count = 0;
  c->cda = Cda_Def{};
  return rc;
}
