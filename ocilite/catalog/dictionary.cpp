// Installs the data dictionary into a session connection: the SQL functions
// the views use and the TEMP views themselves (dictionary_views.cpp).
//
// Tested by tests/ocilite/catalog/dictionary_test.cpp.
#include <sqlite3.h>

#include <cctype>
#include <cstdio>
#include <cstring>
#include <map>
#include <mutex>

#include "catalog/catalog.h"
#include "catalog/catalog_p.h"
#include "catalog/dictionary_p.h"
#include "catalog/sqlite_util_p.h"
#include "catalog/table_sql_p.h"

namespace ocilite {
namespace {

using detail::quote_ident;
using detail::quote_literal;
using detail::Stmt;

// What the session-bound functions of one connection share.
struct SessionState {
  std::shared_ptr<Catalog> catalog;
  SessionHooks hooks;
  std::mutex mutex;  // guards currval and the constraint cache
  std::map<std::pair<std::string, std::string>, std::int64_t> currval;
  // The constraints of the CREATE TABLE text read last: the dictionary asks
  // for several of one table in a row. Per connection (no thread_local), so
  // the library holds no state that outlives it when it is unloaded.
  std::string constraints_sql;
  std::vector<detail::TableConstraint> constraints;
};

std::string_view arg_text(sqlite3_value* v) {
  auto p = reinterpret_cast<const char*>(sqlite3_value_text(v));
  return p ? std::string_view(p, static_cast<size_t>(sqlite3_value_bytes(v))) : std::string_view();
}

void result_text(sqlite3_context* ctx, std::string_view s) {
  sqlite3_result_text(ctx, s.data(), static_cast<int>(s.size()), SQLITE_TRANSIENT);
}

std::uint32_t fnv1a(std::string_view s, std::uint32_t h = 2166136261u) {
  for (unsigned char c : s) h = (h ^ c) * 16777619u;
  return h;
}

// ocilite_type(declared type, field): a column's Oracle type attribute.
void fn_type(sqlite3_context* ctx, int, sqlite3_value** argv) {
  const OracleType t = type_from_sqlite_declaration(arg_text(argv[0]));
  const std::string_view field = arg_text(argv[1]);
  auto opt = [&](const std::optional<int>& v) {
    if (v)
      sqlite3_result_int(ctx, *v);
    else
      sqlite3_result_null(ctx);
  };
  if (field == "DATA_TYPE")
    result_text(ctx, t.data_type);
  else if (field == "DATA_LENGTH")
    sqlite3_result_int(ctx, t.data_length);
  else if (field == "DATA_PRECISION")
    opt(t.precision);
  else if (field == "DATA_SCALE")
    opt(t.scale);
  else if (field == "CHAR_LENGTH")
    sqlite3_result_int(ctx, t.char_length);
  else if (field == "CHAR_USED") {
    if (t.char_used)
      result_text(ctx, std::string(1, t.char_used));
    else
      sqlite3_result_null(ctx);
  } else if (field == "CHAR_COL_DECL_LENGTH") {
    if (t.is_character())
      sqlite3_result_int(ctx, t.charset_form == kCharsetFormNchar ? t.char_length : t.data_length);
    else
      sqlite3_result_null(ctx);
  } else if (field == "CHARACTER_SET_NAME") {
    if (t.charset_form == kCharsetFormNchar)
      result_text(ctx, "NCHAR_CS");
    else if (t.charset_form == kCharsetFormImplicit)
      result_text(ctx, "CHAR_CS");
    else
      sqlite3_result_null(ctx);
  } else if (field == "CODE")
    sqlite3_result_int(ctx, t.code);
  else
    sqlite3_result_error(ctx, "ocilite_type: unknown field", -1);
}

// ocilite_constraint(create sql, kind, n, field): the n-th constraint of a
// kind ('P', 'U', 'R', 'C'; for 'N' n is the column name). Field NAME
// (NULL when unnamed), TEXT (a CHECK condition) or COUNT (n ignored).
SessionState& state_of(sqlite3_context* ctx) {
  return **static_cast<std::shared_ptr<SessionState>*>(sqlite3_user_data(ctx));
}

void fn_constraint(sqlite3_context* ctx, int, sqlite3_value** argv) {
  auto& st = state_of(ctx);
  std::lock_guard lock(st.mutex);
  const std::string_view sql = arg_text(argv[0]);
  if (sql != st.constraints_sql) {
    st.constraints_sql = std::string(sql);
    st.constraints = detail::table_constraints(sql);
  }
  const auto& last = st.constraints;
  const std::string_view kind = arg_text(argv[1]), field = arg_text(argv[3]);
  if (kind.size() != 1) return sqlite3_result_null(ctx);
  int seen = 0;
  const long n = sqlite3_value_int64(argv[2]);
  for (const auto& c : last) {
    if (c.kind != kind[0]) continue;
    ++seen;
    const bool match = kind[0] == 'N' ? c.column == arg_text(argv[2]) : seen == n;
    if (field == "COUNT" || !match) continue;
    if (field == "TEXT") return result_text(ctx, c.text);
    if (c.name.empty()) return sqlite3_result_null(ctx);
    return result_text(ctx, c.name);
  }
  if (field == "COUNT") return sqlite3_result_int(ctx, seen);
  sqlite3_result_null(ctx);
}

// ocilite_sys_name(owner, table, tag): a stable SYS_Cnnnnnnn name for an
// unnamed constraint, as Oracle generates one.
void fn_sys_name(sqlite3_context* ctx, int, sqlite3_value** argv) {
  std::uint32_t h = fnv1a(arg_text(argv[0]));
  h = fnv1a(".", h);
  h = fnv1a(arg_text(argv[1]), h);
  h = fnv1a(".", h);
  h = fnv1a(arg_text(argv[2]), h);
  char name[16];
  std::snprintf(name, sizeof name, "SYS_C%07u", h % 10000000u);
  result_text(ctx, name);
}

// ocilite_object_id(owner, name, type): a stable number for an object the
// catalogue has no record of.
void fn_object_id(sqlite3_context* ctx, int, sqlite3_value** argv) {
  std::uint32_t h = fnv1a(arg_text(argv[0]));
  h = fnv1a(arg_text(argv[1]), fnv1a(".", h));
  h = fnv1a(arg_text(argv[2]), fnv1a(".", h));
  sqlite3_result_int64(ctx, 100000 + h % 900000000u);
}

// ocilite_suffix_number(name): the number ending sqlite_autoindex_T_N.
void fn_suffix_number(sqlite3_context* ctx, int, sqlite3_value** argv) {
  const std::string_view s = arg_text(argv[0]);
  const auto us = s.rfind('_');
  long n = 0;
  for (size_t i = us == std::string_view::npos ? 0 : us + 1; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i)
    n = n * 10 + (s[i] - '0');
  sqlite3_result_int64(ctx, n);
}

// ocilite_trigger(create sql, owner, field): TYPE or EVENT of a trigger.
void fn_trigger(sqlite3_context* ctx, int, sqlite3_value** argv) {
  const auto h = detail::trigger_header(arg_text(argv[0]), arg_text(argv[1]));
  result_text(ctx, arg_text(argv[2]) == "TYPE" ? h.trigger_type : h.triggering_event);
}

// ocilite_view_text(create sql): the query of a CREATE VIEW text.
void fn_view_text(sqlite3_context* ctx, int, sqlite3_value** argv) {
  const std::string_view s = arg_text(argv[0]);
  auto is_space = [](char c) { return c == ' ' || c == '\n' || c == '\t' || c == '\r' || c == ')' || c == '"'; };
  int depth = 0;
  for (size_t i = 0; i + 2 < s.size(); ++i) {
    if (s[i] == '(') ++depth;
    if (s[i] == ')') --depth;
    if (depth == 0 && (s[i] == 'A' || s[i] == 'a') && (s[i + 1] == 'S' || s[i + 1] == 's') && i > 0 &&
        is_space(s[i - 1]) && is_space(s[i + 2]) && s[i + 2] != ')' && s[i + 2] != '"') {
      size_t b = i + 2;
      while (b < s.size() && is_space(s[b])) ++b;
      return result_text(ctx, s.substr(b));
    }
  }
  result_text(ctx, s);
}

void fn_user(sqlite3_context* ctx, int, sqlite3_value**) {
  auto& st = state_of(ctx);
  if (st.hooks.current_user)
    result_text(ctx, st.hooks.current_user());
  else
    sqlite3_result_null(ctx);
}

void fn_nls(sqlite3_context* ctx, int, sqlite3_value** argv) {
  auto& st = state_of(ctx);
  std::optional<std::string> v;
  if (st.hooks.nls_parameter) v = st.hooks.nls_parameter(arg_text(argv[0]));
  if (v)
    result_text(ctx, *v);
  else
    sqlite3_result_null(ctx);
}

void fn_nextval(sqlite3_context* ctx, int, sqlite3_value** argv) {
  auto& st = state_of(ctx);
  const std::string owner = normalize_name(arg_text(argv[0])), name = normalize_name(arg_text(argv[1]));
  std::int64_t v = 0;
  if (auto e = st.catalog->next_value(owner, name, v)) return sqlite3_result_error(ctx, e.text.c_str(), -1);
  {
    std::lock_guard lock(st.mutex);
    st.currval[{owner, name}] = v;
  }
  sqlite3_result_int64(ctx, v);
}

void fn_currval(sqlite3_context* ctx, int, sqlite3_value** argv) {
  auto& st = state_of(ctx);
  const std::string owner = normalize_name(arg_text(argv[0])), name = normalize_name(arg_text(argv[1]));
  std::lock_guard lock(st.mutex);
  auto it = st.currval.find({owner, name});
  if (it == st.currval.end()) return sqlite3_result_error(ctx, ora_error(8002, {name}).text.c_str(), -1);
  sqlite3_result_int64(ctx, it->second);
}

void destroy_state(void* p) { delete static_cast<std::shared_ptr<SessionState>*>(p); }

bool register_functions(sqlite3* db, const std::shared_ptr<SessionState>& state) {
  using Fn = void (*)(sqlite3_context*, int, sqlite3_value**);
  struct Def {
    const char* name;
    int args;
    Fn fn;
    bool session;        // reads the connection's SessionState
    bool deterministic;  // same arguments, same result: SQLite may cache it
  };
  static constexpr Def defs[] = {
      {"ocilite_type", 2, fn_type, false, true},
      {"ocilite_constraint", 4, fn_constraint, true, true},
      {"ocilite_sys_name", 3, fn_sys_name, false, true},
      {"ocilite_object_id", 3, fn_object_id, false, true},
      {"ocilite_suffix_number", 1, fn_suffix_number, false, true},
      {"ocilite_trigger", 3, fn_trigger, false, true},
      {"ocilite_view_text", 1, fn_view_text, false, true},
      {"ocilite_user", 0, fn_user, true, false},
      {"ocilite_nls", 1, fn_nls, true, false},
      {"ocilite_nextval", 2, fn_nextval, true, false},
      {"ocilite_currval", 2, fn_currval, true, false},
  };
  for (const auto& d : defs) {
    const int flags = SQLITE_UTF8 | (d.deterministic ? SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS : 0);
    const int rc =
        d.session ? sqlite3_create_function_v2(db, d.name, d.args, flags, new std::shared_ptr<SessionState>(state),
                                               d.fn, nullptr, nullptr, destroy_state)
                  : sqlite3_create_function_v2(db, d.name, d.args, flags, nullptr, d.fn, nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) return false;
  }
  return true;
}

// Oracle's column names (upper case) are quoted, since several of them
// (DEFERRABLE, TEMPORARY, ...) are SQLite keywords: "AS NAME" -> "AS \"NAME\"".
std::string quote_upper_aliases(const std::string& sql) {
  std::string out;
  out.reserve(sql.size() + 256);
  size_t i = 0;
  bool in_literal = false;  // text inside '...' is data, never an alias
  while (i < sql.size()) {
    if (sql[i] == '\'') in_literal = !in_literal;
    if (!in_literal && sql.compare(i, 4, " AS ") == 0) {
      size_t j = i + 4, k = j;
      bool has_letter = false, all_upper = true;
      while (k < sql.size() && (std::isupper(static_cast<unsigned char>(sql[k])) ||
                                std::isdigit(static_cast<unsigned char>(sql[k])) || sql[k] == '_')) {
        has_letter |= std::isupper(static_cast<unsigned char>(sql[k])) != 0;
        ++k;
      }
      if (k < sql.size() && std::islower(static_cast<unsigned char>(sql[k]))) all_upper = false;
      if (k > j && has_letter && all_upper) {
        out += " AS \"" + sql.substr(j, k - j) + "\"";
        i = k;
        continue;
      }
    }
    out += sql[i++];
  }
  return out;
}

void replace_all(std::string& s, std::string_view from, std::string_view to) {
  for (size_t p = s.find(from); p != std::string::npos; p = s.find(from, p + to.size())) s.replace(p, from.size(), to);
}

OraError create_view(sqlite3* db, const std::string& name, const std::string& select) {
  std::string error;
  const std::string drop = "DROP VIEW IF EXISTS temp." + quote_ident(name);
  const std::string create = "CREATE TEMP VIEW " + quote_ident(name) + " AS " + select;
  if (!detail::exec(db, drop.c_str(), &error) || !detail::exec(db, create.c_str(), &error))
    return ora_internal("dictionary view " + name + ": " + error);
  return {};
}

// USER_x: ALL_x for the session's own objects, without the owner column.
OraError create_user_view(sqlite3* db, const std::string& all_name) {
  std::vector<std::string> cols;
  {
    Stmt s(db, "SELECT name FROM pragma_table_info(?1, 'temp')");
    s.bind(1, all_name);
    while (s.step()) cols.push_back(s.text(0));
  }
  if (cols.empty()) {
    Stmt probe(db, "SELECT * FROM " + quote_ident(all_name));
    return ora_internal("dictionary view " + all_name + ": " + probe.error());
  }
  std::string select = "SELECT ", where;
  const std::string& first = cols.front();
  const bool owner_first = first.size() >= 5 && first.compare(first.size() - 5, 5, "OWNER") == 0;
  for (size_t i = owner_first ? 1 : 0; i < cols.size(); ++i)
    select += (i > (owner_first ? 1u : 0u) ? ", " : "") + quote_ident(cols[i]);
  select += " FROM " + quote_ident(all_name);
  if (owner_first)
    select += " WHERE " + quote_ident(first) + " = ocilite_user()";
  else if (first == "USERNAME")
    select += " WHERE USERNAME = ocilite_user()";
  return create_view(db, "user_" + all_name.substr(4), select);
}

// The views for the attached `owners`, with the catalogue attached as `cat_name`.
OraError install_views(sqlite3* db, const std::string& cat_name, const std::vector<std::string>& owners) {
  std::string owner_list, master;
  for (const auto& o : owners) {
    owner_list += (owner_list.empty() ? "" : ", ") + std::string("(") + quote_literal(o) + ")";
    master += (master.empty() ? "" : " UNION ALL ") + std::string("SELECT ") + quote_literal(o) +
              " AS owner, type, name, tbl_name, sql FROM " + quote_ident(o) + ".sqlite_schema";
  }
  if (auto e = create_view(
          db, "ocilite_owners",
          owners.empty() ? "SELECT NULL AS owner WHERE 0" : "SELECT column1 AS owner FROM (VALUES " + owner_list + ")"))
    return e;
  if (auto e = create_view(db, "ocilite_master",
                           owners.empty() ? "SELECT NULL AS owner, NULL AS type, NULL AS name, NULL AS tbl_name, "
                                            "NULL AS sql WHERE 0"
                                          : master))
    return e;
  for (const auto& v : detail::dictionary_views()) {
    std::string sql = v.sql;
    replace_all(sql, "{CAT}", quote_ident(cat_name));
    replace_all(sql, "{RDBMS_VERSION}", kRdbmsVersion);
    replace_all(sql, "{CHARSET}", kDatabaseCharset);
    replace_all(sql, "{NCHARSET}", kNationalCharset);
    if (auto e = create_view(db, v.name, quote_upper_aliases(sql))) return e;
    if (!v.has_user_and_dba_forms) continue;
    const std::string all_name = v.name;
    if (auto e = create_view(db, "dba_" + all_name.substr(4), "SELECT * FROM " + quote_ident(all_name))) return e;
    if (auto e = create_user_view(db, all_name)) return e;
  }
  return {};
}

}  // namespace

namespace {

// The catalogue's and the schemas' names among the attached databases.
void attached_names(sqlite3* db, const Catalog& catalog, std::string& cat_name, std::vector<std::string>& owners) {
  const auto cat_file = catalog.folder() / kCatalogFile;
  Stmt s(db, "PRAGMA database_list");
  while (s.step()) {
    const std::string name = s.text(1), file = s.text(2);
    std::error_code ec;
    if (!file.empty() && std::filesystem::equivalent(file, cat_file, ec))
      cat_name = name;
    else if (name != "main" && name != "temp")
      owners.push_back(name);
  }
}

OraError views_in_one_transaction(sqlite3* db, const std::string& cat_name, const std::vector<std::string>& owners) {
  if (!detail::exec(db, "SAVEPOINT ocilite_dictionary")) return detail::sqlite_failure(db, "install dictionary");
  auto e = install_views(db, cat_name, owners);
  if (e) detail::exec(db, "ROLLBACK TO ocilite_dictionary");
  detail::exec(db, "RELEASE ocilite_dictionary");
  return e;
}

}  // namespace

OraError refresh_dictionary(sqlite3* db, const Catalog& catalog) {
  std::string cat_name;
  std::vector<std::string> owners;
  attached_names(db, catalog, cat_name, owners);
  if (cat_name.empty()) return ora_internal("refresh_dictionary: the catalogue is not attached");
  return views_in_one_transaction(db, cat_name, owners);
}

OraError install_dictionary(sqlite3* db, std::shared_ptr<Catalog> catalog, SessionHooks hooks) {
  if (!db || !catalog) return ora_internal("install_dictionary: no connection or catalogue");
  // Find the catalogue and the schemas among the attached databases.
  std::string cat_name;
  std::vector<std::string> owners;
  {
    const auto cat_file = catalog->folder() / kCatalogFile;
    Stmt s(db, "PRAGMA database_list");
    while (s.step()) {
      const std::string name = s.text(1), file = s.text(2);
      std::error_code ec;
      if (!file.empty() && std::filesystem::equivalent(file, cat_file, ec))
        cat_name = name;
      else if (name != "main" && name != "temp")
        owners.push_back(name);
    }
  }
  if (cat_name.empty()) return ora_internal("install_dictionary: the catalogue is not attached");

  auto state = std::make_shared<SessionState>();
  state->catalog = std::move(catalog);
  state->hooks = std::move(hooks);
  if (!register_functions(db, state)) return ora_internal(std::string("dictionary functions: ") + sqlite3_errmsg(db));

  // One transaction for all views: the temporary schema is written once.
  if (!detail::exec(db, "SAVEPOINT ocilite_dictionary")) return detail::sqlite_failure(db, "install dictionary");
  auto e = install_views(db, cat_name, owners);
  if (e) detail::exec(db, "ROLLBACK TO ocilite_dictionary");
  detail::exec(db, "RELEASE ocilite_dictionary");
  return e;
}

}  // namespace ocilite
