// Private: the rewriter's working state, shared by the query/DML part
// (sql_rewriter.cpp) and the DDL part (sql_ddl.cpp).
#pragma once

#include <initializer_list>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "catalog/object_type.h"
#include "session.h"
#include "sql_lexer.h"
#include "sql_rewriter.h"

namespace ocilite {

struct TableRef {
  std::string alias;        // upper case (or as quoted); empty when none
  std::string owner, name;  // resolved; empty owner for temp objects (dictionary, dual)
  const TableInfo* info = nullptr;
};

struct Scope {
  std::vector<TableRef> tables;
  const Scope* parent = nullptr;
};

class Rewriter {
 public:
  Rewriter(Session& session, std::string_view sql);
  RewriteResult run();

  // ---- shared helpers (sql_rewriter.cpp) ----
  const Token& tok(size_t i) const { return i < t_.size() ? t_[i] : t_.back(); }
  size_t end_index() const { return t_.size() - 1; }
  size_t match_paren(size_t open) const;  // index of the matching ')' or end
  std::vector<std::pair<size_t, size_t>> split_commas(size_t b, size_t e) const;
  size_t find_kw(size_t b, size_t e, std::string_view kw) const;  // depth-0 keyword
  bool fail(int code, size_t at, std::initializer_list<std::string_view> args = {});
  bool fail_text(OraError err, size_t at);
  bool failed() const { return static_cast<bool>(r_.error); }
  void put(std::string_view text, size_t src_offset);
  void put_sep(std::string_view text) { put(text, last_offset_); }
  std::string take_output();
  std::string name_of(const Token& t) const;  // normalized identifier
  size_t bind_index(const std::string& name);

  bool resolve_table(std::string owner, std::string name, TableRef& ref);
  size_t emit_table_ref(size_t i, size_t e, Scope& scope, bool allow_alias, TableRef* out = nullptr);
  void emit_expr(size_t b, size_t e, const Scope& scope);
  void emit_query(size_t b, size_t e, const Scope* parent, bool top);
  void emit_value_for_column(size_t b, size_t e, const Scope& scope, const TableInfo* table, const TableColumn* col);
  std::string rowid_expr(const TableRef& ref, const std::string& qualifier) const;
  static bool numeric_function(std::string_view upper_name);
  bool exact_number_column(const Scope& scope, const std::vector<size_t>& parts) const;

  void rewrite_select(size_t b, size_t e);
  void rewrite_insert(size_t b, size_t e);
  void rewrite_update(size_t b, size_t e);
  void rewrite_delete(size_t b, size_t e);
  size_t emit_returning(size_t i, size_t e, const Scope& scope);
  void rewrite_statement(size_t b, size_t e);  // one SQL statement into one piece
  void begin_piece(size_t b);
  void end_piece();

  // ---- DDL and session statements (sql_ddl.cpp) ----
  void rewrite_create(size_t b, size_t e);
  void rewrite_drop(size_t b, size_t e);
  void rewrite_alter(size_t b, size_t e);
  void rewrite_misc(size_t b, size_t e);  // COMMENT, TRUNCATE, LOCK, GRANT, ...
  void rewrite_block(size_t b, size_t e); // BEGIN ... END;
  void create_table(size_t i, size_t e, bool temporary);
  void create_index(size_t i, size_t e, bool unique);
  void create_view(size_t i, size_t e, bool or_replace);
  std::string parse_type(size_t& i, size_t e);  // Oracle type declaration text

  // ---- user-defined types (sql_objects.cpp) ----
  std::optional<ObjectType> object_type_named(const std::vector<size_t>& parts) const;
  // A constructor call at parts..k+1; false when the name is no type.
  bool emit_constructor(const std::vector<size_t>& parts, size_t k, const Scope& scope, size_t& next);
  // "[REF] [owner.]type" at k naming a user-defined type: its column type
  // (k moved past it); nullopt when it is none (failed() tells errors).
  std::optional<OracleType> parse_user_type(size_t& k, const std::string& owner);
  // CREATE TABLE owner.name OF type ...: the equivalent relational text.
  std::string object_table_text(size_t of, size_t e, const std::string& owner, const std::string& name);
  // A CREATE TYPE that ocilite can hold: no error; else ORA-24344.
  OraError check_type_text(const PlsqlUnit& unit);
  std::set<std::string> date_columns();

  Session& s_;
  std::string_view src_;
  std::vector<Token> t_;
  RewriteResult r_;
  std::map<std::string, size_t> bind_map_;
  std::set<std::string> cte_names_;
  std::string out_;
  std::vector<std::pair<size_t, size_t>> offs_;
  size_t last_offset_ = 0;
  SqlPiece piece_;
  size_t limit_insert_ = 0;
  int numeric_depth_ = 0;  // inside a numeric function call or CASE
};

// Passes over the whole token list before emission.
void rewrite_concat(std::vector<Token>& t);   // a || b || c -> ocilite_concat(a, b, c)
void rewrite_decode(std::vector<Token>& t);   // DECODE / NVL2 -> CASE
void rewrite_date_arith(std::vector<Token>& t, const std::set<std::string>& date_columns);

Token raw_token(std::string text, size_t offset);
bool is_expr_keyword(std::string_view upper);

}  // namespace ocilite
