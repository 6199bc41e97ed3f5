#include "statement.h"

#include <sqlite3.h>

#include <algorithm>
#include <charconv>
#include <cstring>

#include "decimal_number.h"
#include "engine_error.h"
#include "object_values.h"
#include "ora_format.h"
#include "session.h"
#include "sql_functions.h"
#include "sql_lexer.h"

namespace ocilite {
namespace {

// How long a DML statement waits for another session's write to the same
// schema file to end before it gives up with ORA-00054.
constexpr int kWriteLockPatienceMs = 5000;

int stmt_type_of(const std::vector<Token>& t) {
  size_t i = 0;
  while (t[i].op("(")) ++i;
  const Token& f = t[i];
  if (f.kw("SELECT") || f.kw("WITH")) return 1;
  if (f.kw("UPDATE")) return 2;
  if (f.kw("DELETE")) return 3;
  if (f.kw("INSERT")) return 4;
  if (f.kw("CREATE")) return 5;
  if (f.kw("DROP")) return 6;
  if (f.kw("ALTER")) return 7;
  if (f.kw("BEGIN")) return 8;
  if (f.kw("DECLARE")) return 9;
  if (f.kw("CALL")) return 10;
  if (f.kw("MERGE")) return 16;
  return 0;
}

bool looks_like_date(std::string_view s) {
  return (s.size() == 19 || (s.size() > 20 && s[19] == '.')) && s[4] == '-' && s[7] == '-' && s[10] == ' ' &&
         s[13] == ':' && date_from_storage(s).has_value();
}

}  // namespace

StatementShape statement_shape(std::string_view sql) {
  StatementShape shape;
  LexResult lx = lex_sql(sql);
  if (lx.tokens.empty()) return shape;
  shape.stmt_type = stmt_type_of(lx.tokens);
  shape.is_query = shape.stmt_type == 1;
  for (const auto& t : lx.tokens) {
    if (t.kind != TokKind::Bind) continue;
    if (std::find(shape.bind_names.begin(), shape.bind_names.end(), t.upper) == shape.bind_names.end())
      shape.bind_names.push_back(t.upper);
  }
  return shape;
}

Statement::Statement(Session& session, std::string sql) : s_(session), sql_(std::move(sql)) {}

Statement::~Statement() {
  for (sqlite3_stmt* st : compiled_) sqlite3_finalize(st);
}

bool Statement::is_query() const {
  return rw_.action == Action::sql && rw_.pieces.size() == 1 && rw_.pieces[0].is_query;
}

OraError Statement::prepare(int& error_offset) {
  if (prepared_) return {};
  s_.begin_statement();
  rw_ = rewrite_sql(s_, sql_);
  schemas_ = s_.statement_schemas();
  reads_dictionary_ = s_.statement_reads_dictionary();
  if (rw_.error) {
    error_offset = rw_.error_offset;
    OraError e = rw_.error;
    rw_ = RewriteResult{};
    return e;
  }
  prepared_ = true;
  compiled_.assign(rw_.pieces.size(), nullptr);
  return {};
}

OraError Statement::bind_all(sqlite3_stmt* st, const std::vector<Value>& binds) {
  int n = sqlite3_bind_parameter_count(st);
  for (int p = 1; p <= n; ++p) {
    const char* name = sqlite3_bind_parameter_name(st, p);
    size_t idx = name ? static_cast<size_t>(std::atoi(name + 1) - 1) : static_cast<size_t>(p - 1);
    if (idx >= binds.size()) return engine_error(ora::kNotAllBound);
    const Value& v = binds[idx];
    switch (v.kind) {
      case Value::Kind::null: sqlite3_bind_null(st, p); break;
      case Value::Kind::integer: sqlite3_bind_int64(st, p, v.i); break;
      case Value::Kind::real: sqlite3_bind_double(st, p, v.d); break;
      case Value::Kind::text:
        sqlite3_bind_text(st, p, v.s.data(), static_cast<int>(v.s.size()), SQLITE_STATIC);
        break;
      case Value::Kind::blob:
        sqlite3_bind_blob(st, p, v.s.data(), static_cast<int>(v.s.size()), SQLITE_STATIC);
        break;
    }
  }
  return {};
}

OraError Statement::map_error(const SqlPiece& piece, int rc, int& error_offset) {
  OraError e = sqlite_error(s_.db(), rc);
  s_.sync_after_error();
  int off = sqlite3_error_offset(s_.db());
  if (off >= 0) {
    // Back to the Oracle text through the emitted token positions.
    int best = piece.source_offset;
    for (const auto& [out_pos, src_pos] : piece.offsets)
      if (static_cast<int>(out_pos) <= off) best = static_cast<int>(src_pos);
    error_offset = best;
  }
  if (piece.is_dml && !piece.dml_owner.empty()) {
    if (e.code == ora::kCannotInsertNull) {
      size_t open = e.text.find('(');
      std::string what = open == std::string::npos ? "" : e.text.substr(open + 1, e.text.size() - open - 2);
      what = "\"" + piece.dml_owner + "\"." + what;
      bool update = rw_.stmt_type == 2;
      e = engine_error(update ? ora::kCannotUpdateToNull : ora::kCannotInsertNull, {what});
    } else if (e.code == ora::kUniqueViolated) {
      e = engine_error(ora::kUniqueViolated, {piece.dml_owner + "." + e.text.substr(e.text.find('(') + 1, e.text.rfind(')') - e.text.find('(') - 1)});
    } else if (e.code == ora::kParentKeyNotFound && rw_.stmt_type == 3) {
      e = engine_error(ora::kChildRecordFound, {piece.dml_owner + ".FOREIGN KEY"});
    }
  }
  if ((e.code == ora::kTableNotExist || error_offset < 0) && off < 0) {
    // Point at the name SQLite did not find, as Oracle does.
    std::string msg = sqlite3_errmsg(s_.db());
    size_t colon = msg.rfind(": ");
    if (colon != std::string::npos) {
      std::string name = msg.substr(colon + 2);
      size_t dot = name.rfind('.');
      if (dot != std::string::npos) name = name.substr(dot + 1);
      auto lx = lex_sql(sql_);
      for (const auto& t : lx.tokens) {
        if ((t.kind == TokKind::Ident || t.kind == TokKind::QuotedIdent) && t.upper.size() == name.size() &&
            std::equal(name.begin(), name.end(), t.upper.begin(), [](char a, char b) { return std::toupper(static_cast<unsigned char>(a)) == std::toupper(static_cast<unsigned char>(b)); })) {
          error_offset = static_cast<int>(t.offset);
          break;
        }
      }
    }
    if (error_offset < 0) error_offset = piece.source_offset;
  }
  return e;
}

// Like column_value, but reuses the memory of `v` (the fetch loop).
void Statement::read_column(sqlite3_stmt* st, int i, Value& v) const {
  switch (sqlite3_column_type(st, i)) {
    case SQLITE_INTEGER:
      v.kind = Value::Kind::integer;
      v.i = sqlite3_column_int64(st, i);
      return;
    case SQLITE_FLOAT:
      v.kind = Value::Kind::real;
      v.d = sqlite3_column_double(st, i);
      return;
    case SQLITE_TEXT: {
      const char* t = reinterpret_cast<const char*>(sqlite3_column_text(st, i));
      v.s.assign(t, static_cast<size_t>(sqlite3_column_bytes(st, i)));
      // '' is NULL, except an empty LOB (EMPTY_CLOB()), which Oracle keeps apart.
      v.kind = v.s.empty() && !lob_column(i) ? Value::Kind::null : Value::Kind::text;
      return;
    }
    case SQLITE_BLOB: {
      const void* b = sqlite3_column_blob(st, i);
      int n = sqlite3_column_bytes(st, i);
      v.kind = n == 0 && !lob_column(i) ? Value::Kind::null : Value::Kind::blob;
      v.s.assign(static_cast<const char*>(b), static_cast<size_t>(n));
      return;
    }
    default:
      v.kind = Value::Kind::null;
      return;
  }
}

Value Statement::column_value(sqlite3_stmt* st, int i) const {
  Value v;
  switch (sqlite3_column_type(st, i)) {
    case SQLITE_INTEGER:
      v.kind = Value::Kind::integer;
      v.i = sqlite3_column_int64(st, i);
      break;
    case SQLITE_FLOAT:
      v.kind = Value::Kind::real;
      v.d = sqlite3_column_double(st, i);
      break;
    case SQLITE_TEXT: {
      const char* t = reinterpret_cast<const char*>(sqlite3_column_text(st, i));
      v.s.assign(t, static_cast<size_t>(sqlite3_column_bytes(st, i)));
      v.kind = v.s.empty() ? Value::Kind::null : Value::Kind::text;
      break;
    }
    case SQLITE_BLOB: {
      const void* b = sqlite3_column_blob(st, i);
      int n = sqlite3_column_bytes(st, i);
      v.kind = n == 0 ? Value::Kind::null : Value::Kind::blob;
      if (n) v.s.assign(static_cast<const char*>(b), static_cast<size_t>(n));
      break;
    }
    default:
      break;
  }
  return v;
}

void Statement::describe(sqlite3_stmt* st) {
  columns_.clear();
  int n = sqlite3_column_count(st) - (rw_.hidden_rowid ? 1 : 0) - (rw_.hidden_lock_key ? 1 : 0);
  for (int i = 0; i < n; ++i) {
    ColumnDesc c;
    const char* name = sqlite3_column_name(st, i);
    c.name = name ? name : "";
    const char* decl = sqlite3_column_decltype(st, i);
    const char* table = sqlite3_column_table_name(st, i);
    const char* origin = sqlite3_column_origin_name(st, i);
    const char* dbname = sqlite3_column_database_name(st, i);
    bool typed = false;
    if (decl && *decl) {
      c.type = type_from_sqlite_declaration(decl);
      typed = true;
    } else if (static_cast<size_t>(i) < rw_.item_types.size() && rw_.item_types[static_cast<size_t>(i)]) {
      c.type = *rw_.item_types[static_cast<size_t>(i)];
      typed = true;
    }
    if (origin) c.origin_column = origin;
    if (table && dbname) {
      c.origin_owner = dbname;
      c.origin_table = table;
    }
    if (table && origin && dbname) {
      int notnull = 0, pk = 0, autoinc = 0;
      if (sqlite3_table_column_metadata(s_.db(), dbname, table, origin, nullptr, nullptr, &notnull, &pk, &autoinc) ==
          SQLITE_OK)
        c.nullable = notnull == 0;
    }
    if (!typed) {
      // An expression: typed from the value read ahead, else text.
      int vt = pending_row_ ? sqlite3_column_type(st, i) : SQLITE_NULL;
      const char* text = vt == SQLITE_TEXT ? reinterpret_cast<const char*>(sqlite3_column_text(st, i)) : nullptr;
      if (vt == SQLITE_INTEGER || vt == SQLITE_FLOAT) c.type = type_from_sqlite_declaration("NUMBER");
      else if (vt == SQLITE_BLOB) c.type = type_from_sqlite_declaration("RAW(2000)");
      else if (text && looks_like_date(text)) c.type = type_from_sqlite_declaration(std::strlen(text) > 19 ? "TIMESTAMP(6)" : "DATE");
      else c.type = type_from_sqlite_declaration("VARCHAR2(4000)");
    }
    if (c.name == "ROWID" || (rw_.item_types.size() > static_cast<size_t>(i) && rw_.item_types[static_cast<size_t>(i)] &&
                              rw_.item_types[static_cast<size_t>(i)]->code == 104)) {
      if (!decl) {
        c.type = type_from_sqlite_declaration("ROWID");
        c.is_rowid = true;
      }
    }
    columns_.push_back(std::move(c));
  }
}

OraError Statement::run_piece(const SqlPiece& piece, const std::vector<Value>& binds, uint64_t& rows,
                              std::vector<std::vector<Value>>* returning, int& error_offset) {
  size_t idx = static_cast<size_t>(&piece - rw_.pieces.data());
  if (piece.sql == "COMMIT") return s_.commit();
  if (piece.sql == "ROLLBACK") return s_.rollback();
  if (piece.sql.rfind("SAVEPOINT ", 0) == 0) return s_.savepoint(piece.sql.substr(10));
  if (piece.sql.rfind("ROLLBACK TO ", 0) == 0) return s_.rollback_to(piece.sql.substr(12));
  sqlite3_stmt*& st = compiled_[idx];
  if (!st) {
    int rc = sqlite3_prepare_v2(s_.db(), piece.sql.c_str(), static_cast<int>(piece.sql.size()), &st, nullptr);
    if (rc != SQLITE_OK) {
      sqlite3_finalize(st);
      st = nullptr;
      return map_error(piece, rc, error_offset);
    }
  } else {
    sqlite3_reset(st);
  }
  sqlite3_clear_bindings(st);
  if (OraError e = bind_all(st, binds)) return e;
  if (piece.is_dml && !piece.lock_schema.empty()) {
    if (OraError e = s_.lock_for_write(piece.lock_schema, piece.lock_table, false, kWriteLockPatienceMs)) return e;
    const bool changes_rows = piece.sql.rfind("UPDATE", 0) == 0 || piece.sql.rfind("DELETE", 0) == 0;
    if (const TableInfo* info = changes_rows ? s_.table(piece.dml_owner, piece.dml_table) : nullptr) {
      if (OraError e = s_.prepare_row_locks(*info)) return e;
    }
  }
  // A failed statement gives back the row locks it took.
  const size_t lock_mark = s_.row_locks().count();
  for (;;) {
    int rc = sqlite3_step(st);
    if (rc == SQLITE_ROW) {
      if (returning && piece.returning_count > 0) {
        std::vector<Value> row;
        int n = sqlite3_column_count(st);
        for (int i = 0; i < n; ++i) row.push_back(column_value(st, i));
        returning->push_back(std::move(row));
      }
      continue;
    }
    if (rc == SQLITE_DONE) break;
    OraError e = map_error(piece, rc, error_offset);
    sqlite3_reset(st);
    s_.row_locks().release_after(lock_mark);
    if (piece.is_dml) s_.release_unused_write_lock();
    return e;
  }
  if (piece.is_dml) {
    rows += static_cast<uint64_t>(sqlite3_changes(s_.db()));
    s_.note_write();
    if (rw_.stmt_type == 4) {
      last_rowid_ = sqlite3_last_insert_rowid(s_.db());
      const TableInfo* info = s_.table(piece.dml_owner, piece.dml_table);
      if (info) last_rowid_text_ = encode_rowid(info->object_id, last_rowid_);
    }
  }
  sqlite3_reset(st);
  return {};
}

OraError Statement::execute(const std::vector<Value>& binds, bool describe_only, uint64_t& rows_affected,
                            std::vector<std::vector<Value>>* returning, OraError& info, int& error_offset) {
  error_offset = -1;
  rows_affected = 0;
  close_cursor();
  if (OraError e = prepare(error_offset)) return e;
  {
    // Schemas may have been detached since (more than 9 in use): attach
    // what this statement reads, and for a dictionary query the schemas
    // its binds name.
    std::vector<std::string> named;
    if (reads_dictionary_)
      for (const auto& v : binds)
        if (v.kind == Value::Kind::text) named.push_back(v.s);
    if (OraError e = s_.use_schemas(schemas_, named)) return e;
  }
  switch (rw_.action) {
    case Action::commit: return s_.commit();
    case Action::rollback: return s_.rollback();
    case Action::savepoint: return s_.savepoint(rw_.name);
    case Action::rollback_to: return s_.rollback_to(rw_.name);
    case Action::noop: return {};
    case Action::alter_session:
      if (rw_.name == "NLS_DATE_FORMAT" || rw_.name == "NLS_TIMESTAMP_FORMAT" || rw_.name == "NLS_TIMESTAMP_TZ_FORMAT") {
        // A model Oracle would refuse is refused here too.
        OraDateTime probe;
        if (!format_date(probe, rw_.value)) return engine_error(1821);
      }
      s_.nls().set(rw_.name, rw_.value);
      return {};
    case Action::catalog: {
      if (rw_.ddl) s_.commit();
      OraError e = rw_.run(s_);
      if (rw_.ddl) s_.schema_changed();
      return e;
    }
    case Action::stored_plsql: {
      s_.commit();
      if (OraError e = rw_.run(s_)) return e;
      info = engine_error(ora::kCompiledWithErrors);
      return {};
    }
    case Action::sql:
      break;
  }
  if (rw_.ddl) {
    if (OraError e = s_.commit()) return e;
    for (const auto& piece : rw_.pieces) {
      uint64_t rows = 0;
      if (OraError e = run_piece(piece, binds, rows, nullptr, error_offset)) {
        s_.schema_changed();
        return e;
      }
    }
    s_.schema_changed();
    if (rw_.run) rw_.run(s_);
    return {};
  }
  if (is_query()) {
    const SqlPiece& piece = rw_.pieces[0];
    sqlite3_stmt*& st = compiled_[0];
    if (!st) {
      int rc = sqlite3_prepare_v2(s_.db(), piece.sql.c_str(), static_cast<int>(piece.sql.size()), &st, nullptr);
      if (rc != SQLITE_OK) {
        sqlite3_finalize(st);
        st = nullptr;
        return map_error(piece, rc, error_offset);
      }
    } else {
      sqlite3_reset(st);
    }
    sqlite3_clear_bindings(st);
    if (!describe_only) {
      // The cursor reads its binds at every later step: it binds a copy
      // that lives as long as the cursor, never the caller's values.
      cursor_binds_ = binds;
      if (OraError e = bind_all(st, cursor_binds_)) return e;
      if (rw_.for_update && rw_.hidden_lock_key) {
        // Oracle locks every row of the result when the cursor opens.
        std::vector<uint64_t> keys;
        const int key_column = sqlite3_column_count(st) - 1;
        int rc;
        while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
          if (sqlite3_column_type(st, key_column) == SQLITE_BLOB)
            keys.push_back(RowLocks::key_of_keyed_row(
                std::string_view(static_cast<const char*>(sqlite3_column_blob(st, key_column)),
                                 static_cast<size_t>(sqlite3_column_bytes(st, key_column)))));
          else
            keys.push_back(static_cast<uint64_t>(sqlite3_column_int64(st, key_column)));
        }
        sqlite3_reset(st);
        if (rc != SQLITE_DONE) return map_error(piece, rc, error_offset);
        if (OraError e = s_.lock_rows(keys, rw_.nowait, rw_.wait_seconds)) return e;
      }
      int rc = sqlite3_step(st);
      if (rc == SQLITE_ROW) {
        pending_row_ = true;
        cursor_done_ = false;
      } else if (rc == SQLITE_DONE) {
        pending_row_ = false;
        cursor_done_ = true;
      } else {
        OraError e = map_error(piece, rc, error_offset);
        sqlite3_reset(st);
        return e;
      }
      cursor_ = st;
    }
    describe(st);
    if (describe_only) sqlite3_reset(st);
    return {};
  }
  for (const auto& piece : rw_.pieces) {
    if (piece.is_query) continue;
    if (OraError e = run_piece(piece, binds, rows_affected, returning, error_offset)) return e;
  }
  return {};
}

OraError Statement::fetch(std::vector<Value>& row, bool& have_row) {
  have_row = false;
  if (!cursor_) return {};
  if (!pending_row_) {
    if (cursor_done_) return {};
    int rc = sqlite3_step(cursor_);
    if (rc == SQLITE_DONE) {
      cursor_done_ = true;
      return {};
    }
    if (rc != SQLITE_ROW) {
      int off = -1;
      OraError e = map_error(rw_.pieces[0], rc, off);
      sqlite3_reset(cursor_);
      cursor_done_ = true;
      return e;
    }
  }
  pending_row_ = false;
  int n = sqlite3_column_count(cursor_);
  row.resize(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) read_column(cursor_, i, row[static_cast<size_t>(i)]);
  have_row = true;
  return {};
}

void Statement::close_cursor() {
  if (cursor_) sqlite3_reset(cursor_);
  cursor_ = nullptr;
  pending_row_ = false;
  cursor_done_ = true;
}

std::string value_as_text(const Value& v, const ColumnDesc& col, Session& session) {
  std::string out;
  value_as_text(v, col, session, out);
  return out;
}


void value_as_text(const Value& v, const ColumnDesc& col, Session& session, std::string& out) {
  out.clear();
  switch (v.kind) {
    case Value::Kind::null: return;
    case Value::Kind::integer: {
      char buf[24];
      auto r = std::to_chars(buf, buf + sizeof buf, v.i);
      out.assign(buf, r.ptr);
      return;
    }
    case Value::Kind::real: out = number_to_text(v.d); return;
    case Value::Kind::blob: out = raw_to_hex(v.s); return;
    case Value::Kind::text: {
      int code = col.type.code;
      if (code == describe_code::kObject) {
        out = object_display_text(v.s, session);
        return;
      }
      if (code == 2 && !is_canonical_number_text(v.s)) {
        // A NUMBER stored as text by SQLite's own conversion ("1.0e+20"):
        // printed as Oracle prints it.
        if (auto d = parse_decimal(v.s)) {
          decimal_to_text(*d, out);
          return;
        }
      }
      if (code == 12 || code == 180 || code == 181 || code == 231) {
        if (auto dt = date_from_storage(v.s)) {
          std::string f = code == 12 ? session.nls().date_format()
                          : code == 181 ? session.nls().timestamp_tz_format()
                                        : session.nls().timestamp_format();
          if (code != 12 && col.type.scale) {
            // FF without digits prints the column's fractional precision.
            size_t p = f.find("FF");
            if (p != std::string::npos && (p + 2 >= f.size() || !std::isdigit(static_cast<unsigned char>(f[p + 2]))))
              f.insert(p + 2, std::to_string(std::clamp(*col.type.scale, 1, 9)));
          }
          if (code == 181 && !dt->has_tz) {
            dt->has_tz = true;
            dt->tz_minutes = session.nls().time_zone_minutes();
          }
          if (const DateFormat* df = session.date_format(f)) {
            df->format(*dt, out);
            return;
          }
        }
      }
      out = v.s;
      return;
    }
  }
}

}  // namespace ocilite
