// An Oracle statement run on a session: rewritten once per session, then
// executed with bind values (one iteration at a time for array DML) and,
// for queries, fetched row by row. Values cross this interface as UTF-8
// text, numbers or bytes; the OCI layer converts them to client buffers.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "catalog/catalog.h"
#include "sql_rewriter.h"

struct sqlite3_stmt;

namespace ocilite {

class Session;

struct Value {
  enum class Kind { null, integer, real, text, blob };
  Kind kind = Kind::null;
  int64_t i = 0;
  double d = 0;
  std::string s;  // text (UTF-8) or blob bytes

  static Value text(std::string v) {
    Value x;
    x.kind = v.empty() ? Kind::null : Kind::text;  // Oracle: '' is NULL
    x.s = std::move(v);
    return x;
  }
  bool is_null() const { return kind == Kind::null; }
};

struct ColumnDesc {
  std::string name;  // exactly as Oracle describes it
  OracleType type;
  bool nullable = true;
  bool is_rowid = false;
  std::string origin_column;  // the table column behind it, when there is one
  std::string origin_owner, origin_table;  // and its table
};

// Quick client-side facts of a statement text, known before it runs.
struct StatementShape {
  int stmt_type = 0;                   // OCI_STMT_*
  std::vector<std::string> bind_names; // distinct, in order of appearance
  bool is_query = false;
};
StatementShape statement_shape(std::string_view sql_utf8);

class Statement {
 public:
  Statement(Session& session, std::string sql_utf8);
  ~Statement();
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;

  // Rewrites the text for the session (done once). Errors carry the parse
  // offset in `error_offset` (bytes of the UTF-8 text).
  OraError prepare(int& error_offset);
  const RewriteResult& rewrite() const { return rw_; }
  bool is_query() const;
  int fn_code() const { return rw_.fn_code; }

  // Runs one iteration. `binds` is indexed like rewrite().binds. For a query
  // this opens the cursor (and reads ahead one row to type the columns);
  // `describe_only` only prepares it. `returning` receives RETURNING rows.
  // `info` receives a success-with-info error (ORA-24344).
  OraError execute(const std::vector<Value>& binds, bool describe_only, uint64_t& rows_affected,
                   std::vector<std::vector<Value>>* returning, OraError& info, int& error_offset);

  const std::vector<ColumnDesc>& columns() const { return columns_; }
  // Next row of the open cursor; `have_row` false at the end.
  OraError fetch(std::vector<Value>& row, bool& have_row);
  void close_cursor();
  int64_t last_insert_rowid() const { return last_rowid_; }
  std::string last_rowid_text() const { return last_rowid_text_; }

 private:
  OraError run_piece(const SqlPiece& piece, const std::vector<Value>& binds, uint64_t& rows,
                     std::vector<std::vector<Value>>* returning, int& error_offset);
  OraError bind_all(sqlite3_stmt* st, const std::vector<Value>& binds);
  OraError map_error(const SqlPiece& piece, int rc, int& error_offset);
  void describe(sqlite3_stmt* st);
  Value column_value(sqlite3_stmt* st, int i) const;
  void read_column(sqlite3_stmt* st, int i, Value& v) const;
  bool lob_column(int i) const {
    return i >= 0 && static_cast<size_t>(i) < columns_.size() && columns_[static_cast<size_t>(i)].type.is_lob;
  }

  Session& s_;
  std::string sql_;
  bool prepared_ = false;
  RewriteResult rw_;
  std::vector<sqlite3_stmt*> compiled_;  // one per piece, made on first run
  sqlite3_stmt* cursor_ = nullptr;       // the open query (owned by compiled_)
  bool pending_row_ = false, cursor_done_ = true;
  std::vector<ColumnDesc> columns_;
  std::vector<Value> cursor_binds_;  // what the open cursor is bound to
  std::vector<std::string> schemas_;  // the schemas the statement reads or writes
  bool reads_dictionary_ = false;
  int64_t last_rowid_ = 0;
  std::string last_rowid_text_;
};

// Text of a fetched value as Oracle's implicit conversion gives it: numbers
// as Oracle prints them, dates in the session's NLS format, RAW as hex.
std::string value_as_text(const Value& v, const ColumnDesc& col, Session& session);
// The same into `out` (replaced), reusing its memory: the fetch path.
void value_as_text(const Value& v, const ColumnDesc& col, Session& session, std::string& out);

}  // namespace ocilite
