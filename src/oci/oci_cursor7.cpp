// The old cursor-data-area interface (OCI7) path of the cursor steps, used
// while a session is in LDA mode: a library without the newer core, or a
// user who asked for the old interface at login.
#include <cstring>

#include "oci/oci_cursor_p.h"
#include "oci/oci_library.h"
#include "platform/client_text.h"

using kestrel::OciMsgBuf;
using kestrel::oci_fn;
using kestrel::oci_process;

namespace kestrel::oci_detail {
namespace {

constexpr ub2 kOraNoMoreColumns = 1007;
constexpr ub2 kOraNoData = 1403;
constexpr ub2 kOraFetchOutOfSequence = 1002;
constexpr ub2 kOraInvalidCursor = 1001;
constexpr ub2 kOraCancelled = 1013;
constexpr ub2 kOraStillExecuting = 3123;
constexpr ub1 kWarnPlsqlCompile = 0x21;

bool still_executing(sword rc, const Cda_Def& cda) { return rc == OCI_STILL_EXECUTING || cda.rc == kOraStillExecuting; }

// Runs an old-interface call, polling while it is still executing and
// sending obreak on a cancel request.
template <typename Call>
sword poll7(OciSession* s, CancelFlag* cancel, const Cda_Def& cda, Call call, bool* cancelled, bool* break_failed) {
  PollWait wait(cancel, 5);
  *cancelled = false;
  *break_failed = false;
  for (;;) {
    sword rc = call();
    if (!still_executing(rc, cda)) return rc;
    if (!*cancelled && cancel_requested(cancel)) {
      *cancelled = true;
      if (oci_fn().obreak(&s->lda) != 0) *break_failed = true;
      wait.restart();
    }
    wait.sleep(*cancelled);
  }
}

}  // namespace

int oci7_cursor_error_text(OciSession* s, OciCursor* c, OciMsgBuf msg) {
  OraText buf[1024] = {};
  ub2 code = c->cda.rc;
  if (oci_fn().oerhms) oci_fn().oerhms(&s->lda, static_cast<sb2>(code), buf, sizeof buf);
  buf[sizeof buf - 1] = 0;
  s->last_error = code;
  s->missing_object.clear();
  std::u16string text = oci_mb_to_wide(reinterpret_cast<const char*>(buf));
  oci_write_log(s, u"%s", {oci_log_time_line()});
  oci_write_log(s, u"%s\n%s\n", {c->wsql, text});
  if (code == 942) s->missing_object = oci_mb_to_wide(word_at(c->sql, c->cda.peo));
  int row = 1, col = 1;
  error_position(c->sql, c->cda.peo, &row, &col);
  msg.set(format(kMsgErrorPosition, {row, col, text}));
  return code;
}

int oci7_cre_cursor(OciSession* s, OciCursor* c, OciMsgBuf msg) {
  const auto& fn = oci_fn();
  auto fail = [&]() {
    oci_write_log(s, u"\n---\nerror in oci_cre_cursor:\n");
    oci7_cursor_error_text(s, c, msg);
    return kOciOracleError;
  };
  if (fn.oopen(&c->cda, &s->lda, nullptr, -1, -1, nullptr, -1) != 0) return fail();
  c->opened_old = true;
  if (fn.oparse(&c->cda, reinterpret_cast<OraText*>(c->sql.data()), -1, 1, 1) != 0) return fail();
  return kOciOk;
}

int oci7_bind(OciSession* s, OciCursor* c, OciBindBuffer* b, OciMsgBuf msg) {
  if (oci_fn().obndra(&c->cda, reinterpret_cast<OraText*>(b->name.data()), static_cast<sword>(b->name.size()),
                      reinterpret_cast<ub1*>(b->value.data()), b->element_size, b->dty, -1,
                      b->indicators.empty() ? nullptr : b->indicators.data(), nullptr, nullptr, 0, nullptr, nullptr,
                      -1, -1) != 0) {
    oci_write_log(s, u"\n---\nerror in oci_bind_cursor: \n");
    oci7_cursor_error_text(s, c, msg);
    return kOciOracleError;
  }
  return kOciOk;
}

int oci7_desc_cursor(OciSession* s, OciCursor* c, OciMsgBuf msg) {
  c->cols.clear();
  c->lob_count = c->object_count = 0;
  int result = kOciOk;
  for (sword pos = 1;; ++pos) {
    if (pos > kOldInterfaceMaxColumns) {
      oci_write_log(s, u"\n---\nerror in oci_desc_cursor: \n");
      msg.set(kMsgTooManyColumns);
      return kOciTooManyColumns;
    }
    sb4 dbsize = 0, dsize = 0;
    sb2 dbtype = 0, prec = 0, scale = 0, nullok = 0;
    sb1 name[kColumnNameMax + 1] = {};
    sb4 name_len = kColumnNameMax;
    sword rc = oci_fn().odescr(&c->cda, pos, &dbsize, &dbtype, name, &name_len, &dsize, &prec, &scale, &nullok);
    if (rc != 0) {
      if (c->cda.rc == kOraNoMoreColumns) break;
      oci_write_log(s, u"\n---\nerror in oci_desc_cursor: \n");
      oci7_cursor_error_text(s, c, msg);
      return kOciOracleError;
    }
    OciColumnDesc d;
    std::string_view raw(reinterpret_cast<const char*>(name),
                         static_cast<std::size_t>(name_len < 0 ? 0 : std::min<sb4>(name_len, kColumnNameMax)));
    d.name = std::string(raw.substr(0, oci_char_boundary(raw, kColumnNameMax)));
    d.wname = oci_mb_to_wide(d.name);
    d.data_size = static_cast<uint32_t>(dbsize);
    d.data_type = static_cast<uint16_t>(dbtype);
    d.precision = prec;
    d.scale = scale;
    d.nullable = static_cast<uint8_t>(nullok);
    if (!oci_set_column_width(d, OciPath::Old, program_code_page(), s->sjis_database, false)) {
      oci_write_log(s, u"\n---\nerror in oci_desc_cursor: \n this datatype is not support. \n colname: %s, datatype: %d\n",
                    {d.wname, d.define_type});
      msg.set(format(kMsgUnsupportedType, {d.wname, d.data_type}));
      result = kOciObjectElement;
    }
    c->cols.push_back(std::move(d));
  }
  c->col_count = static_cast<int32_t>(c->cols.size());
  return result;
}

int oci7_define(OciSession* s, OciCursor* c, OciMsgBuf msg) {
  for (std::size_t i = 0; i < c->cols.size(); ++i) {
    const OciColumnDesc& d = c->cols[i];
    if (oci_fn().odefin(&c->cda, static_cast<sword>(i + 1), c->data[i], static_cast<sword>(d.width), SQLT_STR, -1,
                        c->ind[i], nullptr, -1, -1, c->rlen[i], c->rcode[i]) != 0) {
      oci_write_log(s, u"\n---\nerror in oci8_define_by_pos:\n");
      oci7_cursor_error_text(s, c, msg);
      return kOciOracleError;
    }
  }
  return kOciOk;
}

namespace {

// Shared tail of the old-path execute and fetch: switch back to blocking
// mode and turn a cancelled call into 9.
int finish_cancel(OciSession* s, OciCursor* c, bool break_failed, OciMsgBuf msg, const char16_t* header) {
  ub2 rc = c->cda.rc;
  bool cleared = oci_fn().onbclr(&s->lda) == 0;
  if (!break_failed && cleared && (rc == 0 || rc == kOraCancelled || rc == kOraNoData)) {
    msg.set(kMsgCancelled);
    return kOciCancelled;
  }
  oci_write_log(s, header);
  oci7_cursor_error_text(s, c, msg);
  return kOciOracleError;
}

}  // namespace

int oci7_exec_non_block_cursor(OciSession* s, OciCursor* c, CancelFlag* cancel, OciMsgBuf msg, uint32_t iters) {
  const auto& fn = oci_fn();
  if (cancel && fn.onbset(&s->lda) != 0) {
    oci_get_lda_error_text(s, msg);
    oci_write_log(s, u"\n---\nerror in oci_exec_non_block_cursor:\n");
    return kOciOracleError;
  }
  bool select = c->col_count > 0;
  bool cancelled = false, break_failed = false;
  ub4 rows = static_cast<ub4>(c->rows_per_fetch > 0 ? c->rows_per_fetch : 1);
  sword rc = poll7(
      s, cancel, c->cda,
      [&] {
        if (select) return fn.oexfet(&c->cda, rows, 0, 0);
        // Array DML runs every filled slot of the bound arrays at once.
        return iters > 1 ? fn.oexn(&c->cda, static_cast<sword>(iters), 0) : fn.oexec(&c->cda);
      },
      &cancelled, &break_failed);
  if (cancelled) return finish_cancel(s, c, break_failed, msg, u"\n---\nerror in oci_check_cancel_flg:\n");
  if (cancel) fn.onbclr(&s->lda);
  c->cur_row = 0;
  if (rc != 0 && c->cda.rc == kOraNoData && select) {
    c->end_of_data = 1;
    c->rows_in_batch = static_cast<int32_t>(c->cda.rpc % rows);
  } else if (rc != 0) {
    oci_write_log(s, u"\n---\nerror in oci_exec_non_block_cursor:\n");
    oci7_cursor_error_text(s, c, msg);
    return kOciOracleError;
  } else {
    c->rows_in_batch = select ? static_cast<int32_t>(rows) : 0;
  }
  if ((c->cda.wrn & kWarnPlsqlCompile) == kWarnPlsqlCompile) {
    msg.set(kMsgPlsqlCompile);
    return kOciPlsqlCompile;
  }
  return kOciOk;
}

int oci7_fetch(OciSession* s, OciCursor* c, CancelFlag* cancel, OciMsgBuf msg) {
  const auto& fn = oci_fn();
  c->cur_row = 0;
  if (cancel && fn.onbset(&s->lda) != 0) {
    oci_get_lda_error_text(s, msg);
    oci_write_log(s, u"\n---\nerror in oci_fetch_sel_cursor: \n");
    return kOciOracleError;
  }
  bool cancelled = false, break_failed = false;
  sword rows = c->rows_per_fetch > 0 ? c->rows_per_fetch : 1;
  sword rc = poll7(s, cancel, c->cda, [&] { return fn.ofen(&c->cda, rows); }, &cancelled, &break_failed);
  if (cancelled) return finish_cancel(s, c, break_failed, msg, u"\n---\nerror in oci_check_cancel_flg:\n");
  if (cancel) fn.onbclr(&s->lda);
  if (rc != 0 && (c->cda.rc == kOraNoData || c->cda.rc == kOraFetchOutOfSequence)) {
    c->end_of_data = 1;
    c->rows_in_batch = static_cast<int32_t>(c->cda.rpc % static_cast<ub4>(rows));
    return kOciOk;
  }
  if (rc != 0) {
    oci_write_log(s, u"\n---\nerror in oci_fetch_sel_cursor: \n");
    oci7_cursor_error_text(s, c, msg);
    return kOciOracleError;
  }
  c->rows_in_batch = rows;
  return kOciOk;
}

int oci7_close(OciSession* s, OciCursor* c, OciMsgBuf msg) {
  c->opened_old = false;
  if (oci_fn().oclose && oci_fn().oclose(&c->cda) != 0 && c->cda.rc != kOraInvalidCursor) {
    oci_write_log(s, u"\n---\nerror in oci_del_cursor:\n");
    oci7_cursor_error_text(s, c, msg);
    return kOciOracleError;
  }
  return kOciOk;
}

}  // namespace kestrel::oci_detail
