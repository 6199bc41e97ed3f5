// Small RAII helpers over the SQLite C API used inside the catalogue.
#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace ocilite::detail {

// A prepared statement; binds by 1-based position, steps, reads columns.
class Stmt {
 public:
  Stmt(sqlite3* db, std::string_view sql) : db_(db) {
    rc_ = sqlite3_prepare_v2(db, sql.data(), static_cast<int>(sql.size()), &stmt_, nullptr);
  }
  ~Stmt() { sqlite3_finalize(stmt_); }
  Stmt(const Stmt&) = delete;
  Stmt& operator=(const Stmt&) = delete;

  bool ok() const { return rc_ == SQLITE_OK || rc_ == SQLITE_ROW || rc_ == SQLITE_DONE; }
  int rc() const { return rc_; }
  std::string error() const { return sqlite3_errmsg(db_); }

  Stmt& bind(int i, std::string_view v) {
    if (stmt_) sqlite3_bind_text(stmt_, i, v.data(), static_cast<int>(v.size()), SQLITE_TRANSIENT);
    return *this;
  }
  Stmt& bind(int i, const char* v) { return bind(i, std::string_view(v)); }
  Stmt& bind(int i, const std::string& v) { return bind(i, std::string_view(v)); }
  Stmt& bind(int i, std::int64_t v) {
    if (stmt_) sqlite3_bind_int64(stmt_, i, v);
    return *this;
  }
  Stmt& bind(int i, int v) { return bind(i, static_cast<std::int64_t>(v)); }
  Stmt& bind(int i, bool v) { return bind(i, static_cast<std::int64_t>(v ? 1 : 0)); }
  Stmt& bind_null(int i) {
    if (stmt_) sqlite3_bind_null(stmt_, i);
    return *this;
  }
  template <class T>
  Stmt& bind(int i, const std::optional<T>& v) {
    return v ? bind(i, *v) : bind_null(i);
  }

  // True while a row is available; false at the end or on error (see rc()).
  bool step() {
    if (!stmt_) return false;
    rc_ = sqlite3_step(stmt_);
    return rc_ == SQLITE_ROW;
  }
  // Runs to completion; true when it finished without error.
  bool run() {
    while (step()) {
    }
    return rc_ == SQLITE_DONE;
  }

  bool is_null(int col) const { return sqlite3_column_type(stmt_, col) == SQLITE_NULL; }
  std::string text(int col) const {
    auto p = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, col));
    return p ? std::string(p, static_cast<size_t>(sqlite3_column_bytes(stmt_, col))) : std::string();
  }
  std::int64_t int64(int col) const { return sqlite3_column_int64(stmt_, col); }
  std::optional<std::int64_t> opt_int64(int col) const {
    return is_null(col) ? std::nullopt : std::optional<std::int64_t>(int64(col));
  }

 private:
  sqlite3* db_;
  sqlite3_stmt* stmt_ = nullptr;
  int rc_ = SQLITE_OK;
};

// Runs statements without results; returns SQLite's error text on failure.
inline bool exec(sqlite3* db, const char* sql, std::string* error = nullptr) {
  char* msg = nullptr;
  int rc = sqlite3_exec(db, sql, nullptr, nullptr, &msg);
  if (rc != SQLITE_OK && error) *error = msg ? msg : sqlite3_errstr(rc);
  sqlite3_free(msg);
  return rc == SQLITE_OK;
}

// Closes a connection when it goes away.
struct DbCloser {
  void operator()(sqlite3* db) const { sqlite3_close_v2(db); }
};

// SQL text of an identifier in double quotes.
inline std::string quote_ident(std::string_view name) {
  std::string out = "\"";
  for (char c : name) {
    if (c == '"') out += '"';
    out += c;
  }
  return out + "\"";
}

inline std::string quote_literal(std::string_view text) {
  std::string out = "'";
  for (char c : text) {
    if (c == '\'') out += '\'';
    out += c;
  }
  return out + "'";
}

}  // namespace ocilite::detail
