#include "griddata/ora_grid_lob_write.h"

#include <algorithm>
#include <cstring>

#include "griddata/ora_grid_data.h"
#include "oci/oci_codes.h"
#include "oci/oci_library.h"
#include "oci/oci_lob.h"
#include "oci/oci_session.h"
#include "oci/oci_special_columns.h"
#include "platform/client_text.h"
#include "platform/format.h"

namespace kestrel {
namespace {

constexpr char16_t kLogWriteClob[] = u"\n---\nerror in oci_write_clob_data:\n";
constexpr char16_t kLobError[] = u"insert/update lob error\n%s";
constexpr char16_t kBadChar[] = u"ORA-00911: invalid character";
constexpr char16_t kOpenComment[] = u"ORA-01742: comment not properly terminated";
constexpr char16_t kOpenQuote[] = u"ORA-01756: quoted string not properly terminated";
// UTF-16 units converted and written per piece of a CLOB.
constexpr std::size_t kClobPieceUnits = 8192;

OciBindArgs Binds(const std::vector<std::u16string>& head, const std::vector<std::u16string>& keys) {
  OciBindArgs args;
  for (const auto& v : head) args.emplace_back(v);
  for (const auto& v : keys) args.emplace_back(v);
  return args;
}

std::u16string Letters(std::size_t n) { return std::u16string(n, u'S'); }

// Writes `text` into a CLOB in pieces; the sizes are 64-bit, each piece's
// 32-bit. The text never splits inside a surrogate pair.
int WriteClobText(OciSession* s, const OciLobHeader& lob, std::u16string_view text, OciMsgBuf msg) {
  const auto& fn = oci_fn();
  auto failure = [&] {
    char16_t oracle[kOracleTextMax + 2] = {};
    oci_get_error_text(s, OciMsgBuf(oracle));
    oci_write_log(s, kLogWriteClob);
    oci_write_log(s, u"%s\n", {std::u16string_view(oracle)});
    msg.set(oracle);
    return kOciOracleError;
  };
  ub4 current = 0;
  if (fn.OCILobGetLength(s->svc, s->err, lob.locator, &current) != OCI_SUCCESS) return failure();
  if (current > 0 && fn.OCILobTrim(s->svc, s->err, lob.locator, 0) != OCI_SUCCESS) return failure();
  if (text.empty()) return kOciOk;
  uint64_t done = 0;
  bool first = true;
  std::string bytes;
  while (done < text.size()) {
    std::size_t n = std::min<uint64_t>(kClobPieceUnits, text.size() - done);
    if (done + n < text.size() && text[done + n - 1] >= 0xD800 && text[done + n - 1] < 0xDC00) --n;
    bytes = wide_to_client(text.substr(done, n));
    done += n;
    const bool last = done >= text.size();
    const ub1 piece = first ? (last ? OCI_ONE_PIECE : OCI_FIRST_PIECE) : (last ? OCI_LAST_PIECE : OCI_NEXT_PIECE);
    ub4 amount = 0;  // streamed: the total is not given in advance
    const sword rc = fn.OCILobWrite(s->svc, s->err, lob.locator, &amount, 1, bytes.data(),
                                    static_cast<ub4>(bytes.size()), piece, nullptr, nullptr, lob.csid, lob.form);
    if (rc != OCI_SUCCESS && rc != OCI_NEED_DATA) return failure();
    first = false;
  }
  return kOciOk;
}

}  // namespace

std::u16string RowLocator::Clause(int first_bind) const {
  if (by_rowid()) return format(u"where rowid = :X%d \n", {first_bind});
  std::u16string out;
  for (std::size_t i = 0; i < keys.size(); ++i)
    out += format(u"%s \"%s\" = :X%d \n", {i == 0 ? u"where" : u"and", keys[i], first_bind + static_cast<int>(i)});
  return out;
}

int oci_check_object_expression(std::u16string_view text, OciMsgBuf msg) {
  char16_t quote = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    if (quote) {
      if (c == quote) quote = 0;
      continue;
    }
    if (c == u'\0') {
      // Not even inside quotes: the statement text would end there.
      msg.set(kBadChar);
      return kOciOracleError;
    }
    if (c == u'\'' || c == u'"') {
      quote = c;
    } else if (c == u';') {
      msg.set(kBadChar);
      return kOciOracleError;
    } else if (c == u'/' && i + 1 < text.size() && text[i + 1] == u'*') {
      const auto end = text.find(u"*/", i + 2);
      if (end == std::u16string_view::npos) {
        msg.set(kOpenComment);
        return kOciOracleError;
      }
      i = end + 1;
    } else if (c == u'-' && i + 1 < text.size() && text[i + 1] == u'-') {
      // A line comment would hide the rest of the statement's line.
      const auto end = text.find(u'\n', i);
      if (end == std::u16string_view::npos) i = text.size();
      else i = end;
    }
  }
  if (quote) {
    msg.set(kOpenQuote);
    return kOciOracleError;
  }
  return kOciOk;
}

int oci_write_lob_cell(CEditableOraGridData* g, OciSession* s, int32_t row, int32_t col, const RowLocator& at,
                       bool inserted, CellPoint* err, OciMsgBuf msg, CancelFlag* cancel) {
  const OciColumnDesc& d = g->GetDataset()->cols[static_cast<std::size_t>(col)];
  const std::u16string table = format(u"\"%s\".\"%s\"", {g->GetOwnerName(), g->GetTableName()});
  const std::u16string text(g->GetData(row, col));
  char16_t oracle[kOracleTextMax + 64] = {};
  OciMsgBuf inner(oracle);
  int rc = kOciOk;

  auto run = [&](const std::u16string& sql, const std::vector<std::u16string>& head) {
    return oci_execute_sql_with_binds(s, sql, inner, cancel, Letters(head.size() + at.values.size()),
                                      Binds(head, at.values));
  };

  if (text.empty()) {
    // A cell emptied by the user: NULL.
    if (!inserted) rc = run(format(u"update %s \nset \"%s\" = '' \n", {table, d.wname}) + at.Clause(0), {});
  } else if (d.data_type == kTypeObject) {
    rc = oci_check_object_expression(text, inner);
    if (rc == kOciOk)
      rc = run(format(u"update %s \nset \"%s\" = %s \n", {table, d.wname, text}) + at.Clause(0), {});
  } else if (d.data_type == kTypeBfile) {
    OciBfileName name;
    rc = oci_parse_bfile_text(text, &name, inner);
    if (rc == kOciOk)
      rc = run(format(u"update %s \nset \"%s\" = bfilename(:X0, :X1) \n", {table, d.wname}) + at.Clause(2),
               {name.dir_alias, name.file_name});
  } else {
    const bool clob = d.data_type == kTypeClob;
    // A CLOB text must convert whole, and hold no NUL: a cell read back
    // ends at its first NUL, so the rest would be saved out of sight.
    if (clob) {
      bool lossy = false;
      (void)wide_to_client(text, &lossy);
      if (lossy || text.find(u'\0') != std::u16string::npos) {
        inner.set(format(u"データ長が不正です(%s)\n", {d.wname}));
        rc = kOciBadLength;
      }
    }
    // A NULL LOB has no locator to write through: make it empty first.
    bool was_null = false;
    if (!inserted) {
      const int32_t fetched = g->GetFetchedRow(row);
      if (fetched >= 0) {
        OciLobHeader h;
        std::memcpy(&h, g->GetDataset()->header(fetched, col), sizeof h);
        was_null = h.null_flag != 0 || h.locator == nullptr;
      }
    }
    if (rc == kOciOk && was_null)
      rc = run(format(u"update %s \nset \"%s\" = %s \n", {table, d.wname, clob ? u"empty_clob()" : u"empty_blob()"}) +
                   at.Clause(0),
               {});
    OciDataset ds;
    // The select waits while another session holds the row: the cancel
    // flag must be able to end that wait.
    if (rc == kOciOk)
      rc = oci_cre_sel_cursor(s, &ds, format(u"select \"%s\" from %s ", {d.wname, table}) + at.Clause(0) + u"for update",
                              1, inner, nullptr, cancel, Letters(at.values.size()), Binds({}, at.values));
    if (rc == kOciOk) {
      OciLobHeader h{};
      if (ds.row_count == 1 && ds.col_count == 1) std::memcpy(&h, ds.header(0, 0), sizeof h);
      if (ds.row_count != 1 || h.locator == nullptr) {
        inner.set(kLobNotFound);
        rc = kOciOracleError;
      } else if (clob) {
        rc = WriteClobText(s, h, text, inner);
      } else {
        rc = oci_hlob_upload(s, &h, text, inner);
      }
    }
    ds.clear();
  }
  if (rc != kOciOk) {
    *err = CellPoint{col, row};
    msg.set(rc == kOciCancelled ? std::u16string(oracle) : format(kLobError, {std::u16string_view(oracle)}));
  }
  return rc;
}

}  // namespace kestrel
