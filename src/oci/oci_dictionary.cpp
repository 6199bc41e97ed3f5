// Dictionary queries run through the select driver and combined with the
// dataset operations (join, overwrite, merge).
#include "oci/oci_dictionary.h"

#include <array>
#include <cstdint>

#include "oci/oci_codes.h"
#include "oci/oci_dictionary_sql.h"
#include "platform/format.h"

using kestrel::OciMsgBuf;
namespace sql = kestrel::dict_sql;

namespace kestrel {

OciDictionaryState& oci_dictionary_state() {
  static OciDictionaryState state;
  return state;
}

void oci_reset_dictionary_state() { oci_dictionary_state() = OciDictionaryState{}; }

std::u16string oci_dict_sql(std::u16string_view text) {
  // "$DICT$_tables" is all_tables: the view prefix "all_" takes the
  // placeholder's place together with the underscore that follows it.
  static constexpr std::u16string_view kPlaceholder = u"$DICT$";
  std::u16string out;
  out.reserve(text.size());
  std::size_t pos = 0;
  for (;;) {
    std::size_t hit = text.find(kPlaceholder, pos);
    if (hit == std::u16string_view::npos) break;
    out.append(text.substr(pos, hit - pos)).append(u"all_");
    pos = hit + kPlaceholder.size();
    if (pos < text.size() && text[pos] == u'_') ++pos;
  }
  out.append(text.substr(pos));
  return out;
}

}  // namespace kestrel

namespace {

using namespace kestrel;

constexpr int kDictRowsPerFetch = 100;
constexpr int32_t kOraInvalidIdentifier = 904;
constexpr int32_t kOraNoSuchTable = 942;

// The form of a query itself is wrong for this server (a view or column it
// does not have), as opposed to a cancel, a lost connection or a full disk.
bool form_failed(const OciSession* s, int rc) {
  return rc == kOciOracleError && (s->last_error == kOraInvalidIdentifier || s->last_error == kOraNoSuchTable);
}

struct Query {
  OciSession* s;
  OciMsgBuf msg;
  MsgTarget* progress = nullptr;
  CancelFlag* cancel = nullptr;

  int run(OciDataset* ds, std::u16string_view text, int rows, std::u16string_view format,
          const OciBindArgs& args) const {
    return oci_cre_sel_cursor(s, ds, oci_dict_sql(text), rows, msg, progress, cancel, format, args);
  }
  int owner(OciDataset* ds, std::u16string_view text, std::u16string_view owner_name) const {
    return run(ds, text, kDictRowsPerFetch, u"S", {owner_name});
  }
  int owner_and(OciDataset* ds, std::u16string_view text, std::u16string_view owner_name,
                std::u16string_view x1, int rows = kDictRowsPerFetch) const {
    return run(ds, text, rows, u"SS", {owner_name, x1});
  }
};

int table_list(const Query& q, std::u16string_view owner, OciDataset* out) {
  OciDataset a, b;
  OciDataset& joined = *out;
  if (int rc = q.owner(&a, sql::kTables, owner); rc != kOciOk) return rc;
  if (int rc = q.owner_and(&b, sql::kTableComments, owner, u"TABLE"); rc != kOciOk) return rc;
  static constexpr std::array<std::u16string_view, 4> kCols = {u"TABLE_NAME", u"COMMENTS", u"TABLESPACE_NAME",
                                                               u"MVIEW_FLG"};
  if (int rc = oci_join_dataset(&joined, &a, &b, u"TABLE_NAME", kCols.data(), 4, q.msg); rc != kOciOk) return rc;

  OciDictionaryState& state = oci_dictionary_state();
  if (!state.mview_unavailable) {
    OciDataset c, d;
    int rc = q.owner(&c, sql::kMviewComments, owner);
    if (rc == kOciOk) rc = oci_overwrite_dataset(&joined, &c, u"COMMENTS", true, q.msg);
    if (rc == kOciOk) rc = q.owner(&d, sql::kMviews, owner);
    if (rc == kOciOk) rc = oci_overwrite_dataset(&joined, &d, u"MVIEW_FLG", false, q.msg);
    if (rc != kOciOk) {
      // Only a server without these views loses them for good; a cancel or a
      // lost connection is reported as such.
      if (!form_failed(q.s, rc)) return rc;
      state.mview_unavailable = true;
      q.msg.clear();
    }
  }
  return kOciOk;
}

int view_list(const Query& q, std::u16string_view owner, OciDataset* out) {
  OciDataset a, b;
  if (int rc = q.owner(&a, sql::kViews, owner); rc != kOciOk) return rc;
  if (int rc = q.owner_and(&b, sql::kViewComments, owner, u"VIEW"); rc != kOciOk) return rc;
  static constexpr std::array<std::u16string_view, 2> kCols = {u"VIEW_NAME", u"COMMENTS"};
  return oci_join_dataset(out, &a, &b, u"VIEW_NAME", kCols.data(), 2, q.msg);
}

int synonym_list(const Query& q, std::u16string_view owner, OciDataset* out) {
  OciDataset a, b, c;
  OciDataset& joined = *out;
  if (int rc = q.owner(&a, sql::kSynonymsLocal, owner); rc != kOciOk) return rc;
  if (int rc = q.owner(&b, sql::kAllComments, owner); rc != kOciOk) return rc;
  if (int rc = q.owner_and(&c, sql::kSynonymsRemote, owner, u""); rc != kOciOk) return rc;
  static constexpr std::array<std::u16string_view, 5> kCols = {u"SYNONYM_NAME", u"COMMENTS", u"TABLE_OWNER",
                                                               u"TABLE_NAME", u"DB_LINK"};
  if (int rc = oci_join_dataset(&joined, &a, &b, u"TABLE_NAME", kCols.data(), 5, q.msg); rc != kOciOk) return rc;
  const OciDataset* pair[2] = {&joined, &c};
  if (int rc = oci_merge_dataset(&joined, pair, q.msg); rc != kOciOk) return rc;
  // The two synonym queries come unordered; the list reads best by name.
  oci_sort_dataset(&joined, 0, joined.row_count - 1, 0, 1);
  return kOciOk;
}

OciColumnDesc text_column(std::u16string_view name) {
  OciColumnDesc d;
  d.wname = std::u16string(name);
  d.name = oci_wide_to_mb(name);
  d.define_type = 5;
  d.data_type = 1;
  d.width = 129;
  d.wide_size = 258;
  return d;
}

int combined_list(const Query& q, std::u16string_view owner, OciDataset* out) {
  OciDataset tables, views, synonyms;
  if (int rc = table_list(q, owner, &tables); rc != kOciOk) return rc;
  if (int rc = view_list(q, owner, &views); rc != kOciOk) return rc;
  if (int rc = synonym_list(q, owner, &synonyms); rc != kOciOk) return rc;

  OciDataset& all = *out;
  all.clear();
  all.set_columns({text_column(u"OBJECT_NAME"), text_column(u"OBJECT_TYPE"), text_column(u"COMMENTS")}, true);
  const int32_t total = tables.row_count + views.row_count + synonyms.row_count;
  unsigned char* block = all.add_block(total);
  if (total > 0 && !block) {
    q.msg.set(kMsgNoMemory);
    return kOciNoMemory;
  }
  const int t_flag = oci_find_column(&tables, u"MVIEW_FLG");
  int32_t row = 0;
  auto put = [&](const OciDataset& ds, int32_t r, int name_col, std::u16string_view type, int comment_col) {
    unsigned char* rec = block + static_cast<std::size_t>(row++) * all.row_size;
    std::u16string_view comment = comment_col >= 0 ? ds.text_view(r, comment_col) : std::u16string_view();
    return all.set_text(rec, 0, ds.text_view(r, name_col)) && all.set_text(rec, 1, type) &&
           all.set_text(rec, 2, comment);
  };
  bool ok = true;
  const int t_name = oci_find_column(&tables, u"TABLE_NAME"), t_comment = oci_find_column(&tables, u"COMMENTS");
  for (int32_t r = 0; ok && r < tables.row_count; ++r) {
    const bool snapshot = t_flag >= 0 && tables.text_view(r, t_flag) == u"1";
    ok = put(tables, r, t_name, snapshot ? u"SNAPSHOT" : u"TABLE", t_comment);
  }
  const int v_name = oci_find_column(&views, u"VIEW_NAME"), v_comment = oci_find_column(&views, u"COMMENTS");
  for (int32_t r = 0; ok && r < views.row_count; ++r) ok = put(views, r, v_name, u"VIEW", v_comment);
  const int s_name = oci_find_column(&synonyms, u"SYNONYM_NAME"), s_comment = oci_find_column(&synonyms, u"COMMENTS");
  for (int32_t r = 0; ok && r < synonyms.row_count; ++r) ok = put(synonyms, r, s_name, u"SYNONYM", s_comment);
  if (!ok) {
    q.msg.set(kMsgNoMemory);
    return kOciNoMemory;
  }
  all.row_count = total;
  all.build_row_index();
  oci_sort_dataset(&all, 0, total - 1, 0, 1);
  return kOciOk;
}

const char16_t* other_type_query(std::u16string_view type, bool* binds_type) {
  *binds_type = false;
  if (type == u"CLUSTER") return sql::kClusters;
  if (type == u"DATABASE LINK") return sql::kDbLinks;
  if (type == u"INDEX") return sql::kIndexes;
  if (type == u"TRIGGER") return sql::kTriggers;
  if (type == u"SNAPSHOT") return sql::kSnapshots;
  if (type == u"SNAPSHOT LOG") return sql::kSnapshotLogs;
  *binds_type = true;
  return type == u"SEQUENCE" ? sql::kSequences : sql::kOtherObjects;
}

// First column of the first row, or empty.
std::u16string first_value(const OciDataset& ds, int col = 0) {
  if (ds.row_count < 1 || col < 0 || col >= ds.col_count) return {};
  return std::u16string(ds.text_view(0, col));
}

bool valid_parameter_name(std::u16string_view name) {
  if (name.empty()) return false;
  for (char16_t ch : name) {
    const bool ok = (ch >= u'A' && ch <= u'Z') || (ch >= u'a' && ch <= u'z') || (ch >= u'0' && ch <= u'9') ||
                    ch == u'_';
    if (!ok) return false;
  }
  return true;
}

}  // namespace

int oci_get_owner_list(OciSession* s, OciDataset* out, OciMsgBuf msg) {
  if (!s || !out) return kOciInternal;
  return Query{s, msg}.run(out, sql::kOwners, kDictRowsPerFetch, u"", {});
}

int oci_get_object_list(OciSession* s, std::u16string_view owner, std::u16string_view type, OciDataset* out,
                        OciMsgBuf msg, MsgTarget* progress, CancelFlag* cancel) {
  if (!s || !out) return kOciInternal;
  out->clear();
  const Query q{s, msg, progress, cancel};
  int rc;
  if (type == kObjectTypeCombined) {
    rc = combined_list(q, owner, out);
  } else if (type == u"TABLE") {
    rc = table_list(q, owner, out);
  } else if (type == u"VIEW") {
    rc = view_list(q, owner, out);
  } else if (type == u"SYNONYM") {
    rc = synonym_list(q, owner, out);
  } else {
    bool binds_type = false;
    const char16_t* text = other_type_query(type, &binds_type);
    rc = binds_type ? q.owner_and(out, text, owner, type) : q.owner(out, text, owner);
  }
  if (rc != kOciOk) out->clear();  // no partial list
  return rc;
}

int oci_get_object_by_name(OciSession* s, std::u16string_view owner, std::u16string_view name, OciDataset* out,
                           OciMsgBuf msg) {
  if (!s || !out) return kOciInternal;
  return Query{s, msg}.owner_and(out, sql::kObjectByName, owner, name);
}

int oci_resolve_synonym(OciSession* s, std::u16string* owner, std::u16string* name, OciMsgBuf msg) {
  if (!s || !owner || !name) return kOciInternal;
  OciDataset ds;
  if (int rc = Query{s, msg}.owner_and(&ds, sql::kSynonymTarget, *owner, *name, 1); rc != kOciOk) return rc;
  if (ds.row_count > 0) {
    *owner = first_value(ds, oci_find_column(&ds, u"TABLE_OWNER"));
    *name = first_value(ds, oci_find_column(&ds, u"TABLE_NAME"));
  }
  return kOciOk;
}

int oci_get_primary_key(OciSession* s, OciDataset* out, std::u16string_view owner, std::u16string_view name,
                        OciMsgBuf msg) {
  if (!s || !out) return kOciInternal;
  std::u16string o(owner), n(name);
  if (int rc = oci_resolve_synonym(s, &o, &n, msg); rc != kOciOk) return rc;
  const Query q{s, msg};
  if (int rc = q.owner_and(out, sql::kPrimaryKeyByConstraint, o, n); rc != kOciOk || out->row_count > 0) return rc;
  // A key whose index is named differently from the constraint.
  return q.owner_and(out, sql::kPrimaryKeyByIndex, o, n);
}

int oci_get_column_list(OciSession* s, std::u16string_view owner, std::u16string_view table, OciDataset* out,
                        OciMsgBuf msg) {
  if (!s || !out) return kOciInternal;
  const Query q{s, msg};
  static constexpr const char16_t* kForms[2] = {sql::kColumnsNewest, sql::kColumnsMiddle};
  OciDictionaryState& state = oci_dictionary_state();
  for (int form = 0; form < 2; ++form) {
    if (state.column_form_failed[form]) continue;
    const int rc = q.owner_and(out, kForms[form], owner, table);
    if (rc == kOciOk || !form_failed(s, rc)) return rc;
    state.column_form_failed[form] = true;
  }
  return q.owner_and(out, sql::kColumnsOldest, owner, table);
}

int oci_get_iot_type(OciSession* s, std::u16string_view owner, std::u16string_view table, std::u16string* out,
                     OciMsgBuf msg) {
  if (!s || !out) return kOciInternal;
  out->clear();
  OciDataset ds;
  if (int rc = Query{s, msg}.owner_and(&ds, sql::kIotType, owner, table, 2); rc != kOciOk) return rc;
  *out = first_value(ds, oci_find_column(&ds, u"IOT_TYPE"));
  return kOciOk;
}

int oci_get_nls_session_param(OciSession* s, std::u16string_view name, std::u16string* out, OciMsgBuf msg) {
  if (!s || !out) return kOciInternal;
  out->clear();
  OciDataset ds;
  if (int rc = Query{s, msg}.run(&ds, sql::kSessionParam, 1, u"S", {name}); rc != kOciOk) return rc;
  *out = first_value(ds, oci_find_column(&ds, u"VALUE"));
  return kOciOk;
}

int oci_set_nls_session_param(OciSession* s, std::u16string_view value, std::u16string_view name, OciMsgBuf msg) {
  if (!s) return kOciInternal;
  if (value.empty()) return kOciOk;
  // The name is one of the program's own; refuse anything that is not a
  // plain identifier rather than paste it into the statement.
  if (!valid_parameter_name(name)) {
    msg.set(format(kMsgInternal, {u"oci_set_nls_session_param"}));
    return kOciInternal;
  }
  std::u16string quoted;
  quoted.reserve(value.size() + 2);
  for (char16_t ch : value) {
    quoted += ch;
    if (ch == u'\'') quoted += u'\'';
  }
  if (int rc = oci_execute_sql(s, format(sql::kAlterSession, {name, quoted}), msg); rc != kOciOk) return rc;
  if (name == u"NLS_DATE_FORMAT") {
    OciDictionaryState& state = oci_dictionary_state();
    std::string mb = oci_wide_to_mb(value);
    mb.resize(oci_char_boundary(mb, kDateFormatMaxBytes));
    state.date_format_mb = mb;
    state.date_format = oci_mb_to_wide(mb);
  }
  return kOciOk;
}

int oci_get_session_timezone(OciSession* s, std::u16string* out, OciMsgBuf msg) {
  if (!s || !out) return kOciInternal;
  out->clear();
  OciDataset ds;
  if (int rc = Query{s, msg}.run(&ds, sql::kSessionTimeZone, 1, u"", {}); rc != kOciOk) return rc;
  *out = first_value(ds);
  return kOciOk;
}

void oci_get_nls_database_param(OciSession* s, std::u16string_view name, std::u16string* out) {
  if (!out) return;
  *out = kUnknownParameter;
  if (!s) return;
  OciDataset ds;
  if (Query{s, nullptr}.run(&ds, sql::kDatabaseParam, 1, u"S", {name}) != kOciOk || ds.row_count < 1) return;
  *out = first_value(ds, oci_find_column(&ds, u"VALUE"));
}

int oci_get_sysdate_text(OciSession* s, std::u16string_view format_text, std::u16string* out, OciMsgBuf msg) {
  if (!s || !out) return kOciInternal;
  out->clear();
  OciDataset ds;
  if (int rc = Query{s, msg}.run(&ds, sql::kSysdateSample, 1, u"S", {format_text}); rc != kOciOk) return rc;
  *out = first_value(ds);
  return kOciOk;
}

int oci_get_server_date(OciSession* s, std::u16string* out, OciMsgBuf msg) {
  if (!s || !out) return kOciInternal;
  out->clear();
  OciDataset ds;
  if (int rc = Query{s, msg}.run(&ds, sql::kSysdate, 1, u"S", {u"YYYY-MM-DD"}); rc != kOciOk) return rc;
  if (ds.row_count != 1 || ds.col_count < 1) {
    msg.set(kMsgNoRow);
    return kOciNoRow;
  }
  *out = first_value(ds);
  return kOciOk;
}
