#include "session.h"

#include <dlfcn.h>
#include <pwd.h>
#include <unistd.h>
#include <sqlite3.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <mutex>
#include <thread>

#include "engine_error.h"
#include "sql_functions.h"

namespace ocilite {
namespace fs = std::filesystem;

namespace {

std::string upper(std::string_view s) {
  std::string o(s);
  for (char& c : o) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return o;
}

std::string trim(std::string_view s) {
  size_t b = 0, e = s.size();
  while (b < e && std::isspace(static_cast<unsigned char>(s[b]))) ++b;
  while (e > b && std::isspace(static_cast<unsigned char>(s[e - 1]))) --e;
  return std::string(s.substr(b, e - b));
}

fs::path library_folder() {
  Dl_info info{};
  if (dladdr(reinterpret_cast<void*>(&resolve_connect_string), &info) && info.dli_fname) {
    std::error_code ec;
    fs::path p = fs::weakly_canonical(fs::path(info.dli_fname), ec);
    return p.parent_path();
  }
  return fs::current_path();
}

std::string key(std::string_view owner, std::string_view name) {
  std::string k = upper(owner);
  k += '.';
  k += upper(name);
  return k;
}

}  // namespace

const TableColumn* TableInfo::find(std::string_view column) const {
  for (const auto& c : columns)
    if (upper(c.name) == upper(column)) return &c;
  return nullptr;
}

namespace {

constexpr const char* kPlainFileMarker = "_plain_file";

bool is_sqlite_file(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  char head[16] = {};
  in.read(head, sizeof head);
  return in.gcount() == 16 && std::string_view(head, 16) == std::string_view("SQLite format 3\0", 16);
}

// A plain SQLite file has no catalogue of its own: it gets one in the
// user's cache folder (one per file), whose users' schema files are
// symbolic links to it (SQLite follows them, so its WAL stays beside the
// real file and other programs using the file see the same data).
OraError plain_file_folder(const fs::path& file, fs::path& folder) {
  std::error_code ec;
  const fs::path real = fs::canonical(file, ec);
  if (ec) return engine_error(ora::kTnsResolve);
  uint64_t h = 1469598103934665603ull;
  for (unsigned char c : real.string()) h = (h ^ c) * 1099511628211ull;
  char name[32];
  std::snprintf(name, sizeof name, "file-%016llx", static_cast<unsigned long long>(h));
  fs::path base;
  if (const char* x = std::getenv("XDG_CACHE_HOME"); x && *x) base = x;
  else if (const char* home = std::getenv("HOME"); home && *home) base = fs::path(home) / ".cache";
  else base = fs::temp_directory_path();
  folder = base / "ocilite" / name;
  fs::create_directories(folder, ec);
  if (!fs::exists(folder / kCatalogFile)) {
    if (OraError e = Catalog::create(folder)) return e;
  }
  std::ofstream(folder / kPlainFileMarker, std::ios::trunc) << real.string();
  return {};
}

// Logging in to a plain file: any user name is its schema, with the
// password given (the file's own permissions guard it).
OraError prepare_plain_file_login(Catalog& cat, std::string_view user_in, std::string_view password,
                                  std::string_view os_user) {
  std::ifstream marker(cat.folder() / kPlainFileMarker);
  std::string target;
  if (!std::getline(marker, target) || target.empty()) return {};
  const bool external = user_in.empty() && password.empty();
  const std::string user = external ? upper(os_user) : normalize_name(user_in);
  if (user.empty() || !valid_schema_name(user)) return {};  // check_login reports it
  if (!cat.find_user(user)) {
    UserOptions o;
    o.password = std::string(password);
    o.external = true;
    if (OraError e = cat.add_user(user, o)) return e;
  } else if (!external) {
    if (OraError e = cat.set_password(user, password)) return e;
  }
  const fs::path link = cat.folder() / (user + ".db");
  std::error_code ec;
  if (fs::is_symlink(link, ec) && fs::read_symlink(link, ec) == fs::path(target)) return {};
  fs::remove(link, ec);
  fs::create_symlink(target, link, ec);
  if (ec) return ora_error(1157, {"'" + target + "': " + ec.message()});
  return {};
}

}  // namespace

OraError resolve_connect_string(std::string_view connect_in, fs::path& folder) {
  std::string connect = trim(connect_in);
  std::error_code ec;
  if (!connect.empty() && fs::is_regular_file(fs::path(connect), ec) && is_sqlite_file(connect))
    return plain_file_folder(connect, folder);
  if (connect.empty()) {
    const char* env = std::getenv("KESTREL_DB");
    if (env && *env) {
      folder = env;
      return {};
    }
    folder = library_folder().parent_path() / "demo";
    return {};
  }
  if (fs::is_directory(fs::path(connect), ec)) {
    folder = fs::path(connect);
    return {};
  }
  const char* tns = std::getenv("TNS_ADMIN");
  if (tns && *tns) {
    fs::path ora = fs::path(tns) / "ocilite.ora";
    std::ifstream in(ora);
    std::string line;
    while (std::getline(in, line)) {
      size_t hash = line.find('#');
      if (hash != std::string::npos) line.erase(hash);
      size_t eq = line.find('=');
      if (eq == std::string::npos) continue;
      if (upper(trim(line.substr(0, eq))) != upper(connect)) continue;
      fs::path target = trim(line.substr(eq + 1));
      if (target.is_relative()) target = fs::path(tns) / target;
      folder = target;
      return {};
    }
  }
  return engine_error(ora::kTnsResolve);
}

OraError open_catalog(const fs::path& folder, std::shared_ptr<Catalog>& out) {
  static std::mutex mutex;
  static std::map<std::string, std::weak_ptr<Catalog>> open;
  std::error_code ec;
  std::string k = fs::weakly_canonical(folder, ec).string();
  std::lock_guard lock(mutex);
  if (auto it = open.find(k); it != open.end()) {
    if (auto cat = it->second.lock()) {
      out = cat;
      return {};
    }
  }
  OraError err = Catalog::open(folder, out);
  if (err) return err;
  open[k] = out;
  return {};
}

namespace {
std::mutex& live_mutex() {
  static std::mutex m;
  return m;
}
std::vector<const Session*>& live_sessions() {
  static std::vector<const Session*> v;
  return v;
}
}  // namespace

bool session_alive(const Session* s) {
  std::lock_guard lock(live_mutex());
  auto& v = live_sessions();
  return std::find(v.begin(), v.end(), s) != v.end();
}

Session::~Session() {
  {
    std::lock_guard lock(live_mutex());
    auto& v = live_sessions();
    v.erase(std::remove(v.begin(), v.end(), this), v.end());
  }
  if (db_) {
    if (in_txn_) sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close_v2(db_);
  }
}

OraError Session::open(std::shared_ptr<Catalog> catalog, std::string_view user, std::string_view password,
                       LoginMode mode, std::unique_ptr<Session>& out, OraError& warning) {
  const char* os_user = std::getenv("USER");
  if (!os_user || !*os_user) os_user = std::getenv("LOGNAME");
  if (!os_user || !*os_user) {
    if (const passwd* pw = getpwuid(geteuid())) os_user = pw->pw_name;
  }
  if (OraError e = prepare_plain_file_login(*catalog, user, password, os_user ? os_user : "")) return e;
  LoginResult login = catalog->check_login(user, password, mode, os_user ? os_user : "");
  if (login.error && !login.password_expiring) return login.error;
  if (login.password_expiring) warning = login.error;
  std::unique_ptr<Session> s(new Session());
  s->catalog_ = std::move(catalog);
  s->user_ = login.user;
  s->schema_ = login.user;
  s->nls_ = NlsSettings::from_environment();
  s->row_locks_ = std::make_unique<RowLocks>(s->catalog_->folder());
  int rc = sqlite3_open_v2(":memory:", &s->db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX,
                           nullptr);
  if (rc != SQLITE_OK) return ora_internal("cannot open a connection");
  sqlite3_extended_result_codes(s->db_, 1);
  // "NAME" must never fall back to a string literal when no column matches.
  sqlite3_db_config(s->db_, SQLITE_DBCONFIG_DQS_DML, 0, nullptr);
  sqlite3_db_config(s->db_, SQLITE_DBCONFIG_DQS_DDL, 0, nullptr);
  // Schemas attached later take this from the main database: freed pages
  // (a deleted or replaced LOB's) are not rewritten with zeros when that
  // costs extra writes; b-tree pages are still wiped of deleted rows.
  sqlite3_exec(s->db_, "PRAGMA secure_delete = FAST", nullptr, nullptr, nullptr);
  if (OraError e = s->catalog_->attach_all(s->db_, s->user_)) return e;
  sqlite3_exec(s->db_, "PRAGMA foreign_keys=ON; PRAGMA case_sensitive_like=ON", nullptr, nullptr, nullptr);
  Session* raw = s.get();
  SessionHooks hooks;
  hooks.current_user = [raw] { return raw->user_; };
  hooks.nls_parameter = [raw](std::string_view name) { return raw->nls_.get(name); };
  if (OraError e = install_dictionary(s->db_, s->catalog_, hooks)) return e;
  s->lru_ = s->attached_schemas();
  if (OraError e = register_sql_functions(s->db_, raw)) return e;
  {
    std::lock_guard lock(live_mutex());
    live_sessions().push_back(raw);
  }
  out = std::move(s);
  return {};
}

OraError Session::set_current_schema(std::string_view schema) {
  std::string n = normalize_name(schema);
  if (!schema_exists(n)) return ora_error(1435, {});
  schema_ = n;
  return {};
}

bool Session::schema_exists(std::string_view owner) const {
  sqlite3_stmt* st = nullptr;
  bool found = false;
  if (sqlite3_prepare_v2(db_, "SELECT name FROM pragma_database_list", -1, &st, nullptr) == SQLITE_OK) {
    while (sqlite3_step(st) == SQLITE_ROW) {
      const char* n = reinterpret_cast<const char*>(sqlite3_column_text(st, 0));
      if (n && upper(n) == upper(owner)) found = true;
    }
  }
  sqlite3_finalize(st);
  return found;
}

namespace {
constexpr size_t kMaxSchemas = 9;  // SQLite's 10 attached databases less the catalogue
}  // namespace

std::vector<std::string> Session::attached_schemas() const {
  std::vector<std::string> out;
  sqlite3_stmt* st = nullptr;
  if (sqlite3_prepare_v2(db_, "SELECT name FROM pragma_database_list", -1, &st, nullptr) == SQLITE_OK) {
    while (sqlite3_step(st) == SQLITE_ROW) {
      std::string n = reinterpret_cast<const char*>(sqlite3_column_text(st, 0));
      if (n != "main" && n != "temp" && n != kCatalogSchema) out.push_back(n);
    }
  }
  sqlite3_finalize(st);
  return out;
}

void Session::touch(const std::string& schema) {
  lru_.erase(std::remove(lru_.begin(), lru_.end(), schema), lru_.end());
  lru_.push_back(schema);
}

void Session::drop_lock_triggers() {
  std::vector<std::string> names;
  sqlite3_stmt* st = nullptr;
  if (sqlite3_prepare_v2(db_, "SELECT name FROM sqlite_temp_master WHERE type = 'trigger' AND name LIKE 'ocilite\\_lock\\_%' ESCAPE '\\'",
                         -1, &st, nullptr) == SQLITE_OK) {
    while (sqlite3_step(st) == SQLITE_ROW) names.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
  }
  sqlite3_finalize(st);
  for (const auto& n : names) exec(("DROP TRIGGER IF EXISTS temp.\"" + n + "\"").c_str());
  lock_triggers_.clear();
}

void Session::begin_statement() {
  statement_schemas_.clear();
  statement_reads_dictionary_ = false;
}

OraError Session::use_schema(std::string_view owner) {
  auto note = [&](const std::string& name) {
    if (std::find(statement_schemas_.begin(), statement_schemas_.end(), name) == statement_schemas_.end())
      statement_schemas_.push_back(name);
    touch(name);
  };
  for (const auto& a : lru_) {
    if (a.size() == owner.size() && upper(a) == upper(owner)) {
      note(std::string(a));
      return {};
    }
  }
  std::vector<std::string> attached = attached_schemas();
  for (const auto& a : attached) {
    if (upper(a) == upper(owner)) {
      note(a);
      return {};
    }
  }
  auto u = catalog_->find_user(owner);
  if (!u) return {};  // no such schema: the statement reports what is missing
  if (attached.size() >= kMaxSchemas) {
    if (in_txn_)
      return OraError{3001, "ORA-03001: unimplemented feature: a transaction using more than " +
                                std::to_string(kMaxSchemas) + " schemas (commit first)"};
    bool freed = false;
    for (const std::string& victim : std::vector<std::string>(lru_)) {
      if (victim == user_ || victim == schema_ ||
          std::find(statement_schemas_.begin(), statement_schemas_.end(), victim) != statement_schemas_.end())
        continue;
      // TEMP triggers on a detached schema's tables would break the
      // connection's schema: the row-lock triggers go first (they are made
      // again when needed).
      drop_lock_triggers();
      std::string sql = "DETACH DATABASE \"" + victim + "\"";
      if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK) continue;  // a cursor reads it
      lru_.erase(std::remove(lru_.begin(), lru_.end(), victim), lru_.end());
      for (auto it = tables_.begin(); it != tables_.end();)
        it = it->first.rfind(upper(victim) + ".", 0) == 0 ? tables_.erase(it) : std::next(it);
      lock_triggers_.clear();
      freed = true;
      break;
    }
    if (!freed)
      return OraError{3001, "ORA-03001: unimplemented feature: more than " + std::to_string(kMaxSchemas) +
                                " schemas in use at once"};
  }
  std::string sql = "ATTACH DATABASE ?1 AS \"" + u->name + "\"";
  sqlite3_stmt* st = nullptr;
  sqlite3_prepare_v2(db_, sql.c_str(), -1, &st, nullptr);
  sqlite3_bind_text(st, 1, u->schema_file.c_str(), -1, SQLITE_TRANSIENT);
  int rc = sqlite3_step(st);
  sqlite3_finalize(st);
  if (rc != SQLITE_DONE) return ora_error(1157, {"'" + u->schema_file.string() + "': " + sqlite3_errmsg(db_)});
  std::string wal = "PRAGMA \"" + u->name + "\".journal_mode = WAL";
  sqlite3_exec(db_, wal.c_str(), nullptr, nullptr, nullptr);
  note(u->name);
  if (!in_txn_) {
    if (OraError e = refresh_dictionary(db_, *catalog_)) return e;
  }
  return {};
}

OraError Session::use_schemas(const std::vector<std::string>& schemas, const std::vector<std::string>& bound_names) {
  statement_schemas_ = schemas;
  for (const auto& o : schemas)
    if (OraError e = use_schema(o)) return e;
  for (const auto& n : bound_names)
    if (!n.empty() && n.size() <= 128 && catalog_->find_user(n))
      if (OraError e = use_schema(n)) return e;
  return {};
}

bool Session::temp_object_exists(std::string_view name) {
  sqlite3_stmt* st = nullptr;
  bool found = false;
  if (sqlite3_prepare_v2(db_, "SELECT 1 FROM sqlite_temp_master WHERE upper(name) = upper(?1)", -1, &st, nullptr) ==
      SQLITE_OK) {
    sqlite3_bind_text(st, 1, name.data(), static_cast<int>(name.size()), SQLITE_TRANSIENT);
    found = sqlite3_step(st) == SQLITE_ROW;
  }
  sqlite3_finalize(st);
  if (found) statement_reads_dictionary_ = true;
  return found;
}

unsigned Session::object_id(std::string_view owner, std::string_view name) const {
  // A stable data object number per table: FNV-1a of OWNER.NAME, kept in
  // the 32 bits the ROWID text has room for and never 0.
  std::string k = key(owner, name);
  uint32_t h = 2166136261u;
  for (unsigned char c : k) {
    h ^= c;
    h *= 16777619u;
  }
  return (h % 0x3FFFFFFu) + 1;
}

const TableInfo* Session::table(std::string_view owner, std::string_view name) {
  std::string k = key(owner, name);
  if (auto it = tables_.find(k); it != tables_.end()) {
    touch(it->second->owner);
    if (std::find(statement_schemas_.begin(), statement_schemas_.end(), it->second->owner) == statement_schemas_.end())
      statement_schemas_.push_back(it->second->owner);
    return it->second.get();
  }
  if (!schema_exists(owner)) {
    if (use_schema(owner) || !schema_exists(owner)) return nullptr;
  }
  auto info = std::make_unique<TableInfo>();
  std::string sql = "SELECT type, name, sql FROM \"" + std::string(owner) +
                    "\".sqlite_master WHERE type IN ('table','view') AND upper(name) = upper(?1)";
  sqlite3_stmt* st = nullptr;
  if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &st, nullptr) != SQLITE_OK) {
    sqlite3_finalize(st);
    return nullptr;
  }
  sqlite3_bind_text(st, 1, name.data(), static_cast<int>(name.size()), SQLITE_TRANSIENT);
  bool found = false;
  if (sqlite3_step(st) == SQLITE_ROW) {
    found = true;
    info->is_view = std::string(reinterpret_cast<const char*>(sqlite3_column_text(st, 0))) == "view";
    info->name = reinterpret_cast<const char*>(sqlite3_column_text(st, 1));
    const char* ddl = reinterpret_cast<const char*>(sqlite3_column_text(st, 2));
    if (ddl) {
      std::string u = upper(ddl);
      size_t close = u.rfind(')');
      if (close != std::string::npos && u.find("WITHOUT ROWID", close) != std::string::npos) info->without_rowid = true;
    }
  }
  sqlite3_finalize(st);
  if (!found) return nullptr;
  // Owner as attached (the database name).
  info->owner = normalize_name(owner);
  std::string cols = "SELECT name, type, \"notnull\", pk FROM pragma_table_xinfo(?1, ?2) ORDER BY cid";
  if (sqlite3_prepare_v2(db_, cols.c_str(), -1, &st, nullptr) == SQLITE_OK) {
    sqlite3_bind_text(st, 1, info->name.c_str(), -1, SQLITE_TRANSIENT);
    std::string o(owner);
    sqlite3_bind_text(st, 2, o.c_str(), -1, SQLITE_TRANSIENT);
    std::vector<std::pair<int, std::string>> pk;
    while (sqlite3_step(st) == SQLITE_ROW) {
      TableColumn c;
      c.name = reinterpret_cast<const char*>(sqlite3_column_text(st, 0));
      const unsigned char* t = sqlite3_column_text(st, 1);
      c.declared = t ? reinterpret_cast<const char*>(t) : "";
      c.type = type_from_sqlite_declaration(c.declared);
      c.not_null = sqlite3_column_int(st, 2) != 0;
      int pkpos = sqlite3_column_int(st, 3);
      c.primary_key = pkpos > 0;
      if (pkpos > 0) pk.emplace_back(pkpos, c.name);
      info->columns.push_back(std::move(c));
    }
    std::sort(pk.begin(), pk.end());
    for (auto& p : pk) info->primary_key.push_back(p.second);
  }
  sqlite3_finalize(st);
  info->object_id = object_id(info->owner, info->name);
  use_schema(info->owner);  // noted as used by the statement
  const TableInfo* result = info.get();
  tables_[k] = std::move(info);
  return result;
}

void Session::schema_changed() {
  tables_.clear();
  lock_triggers_.clear();
  if (attached_schemas().size() < kMaxSchemas) catalog_->attach_all(db_, user_);
  for (const auto& a : attached_schemas())
    if (std::find(lru_.begin(), lru_.end(), a) == lru_.end()) lru_.push_back(a);
}

OraError Session::exec(const char* sql) {
  int rc = sqlite3_exec(db_, sql, nullptr, nullptr, nullptr);
  if (rc != SQLITE_OK) return sqlite_error(db_, rc);
  return {};
}

OraError Session::begin() {
  if (in_txn_) return {};
  if (OraError e = exec("BEGIN")) return e;
  in_txn_ = true;
  has_writes_ = false;
  savepoints_.clear();
  savepoint_marks_.clear();
  return {};
}

OraError Session::restart_read_transaction() {
  // Nothing is written yet, so the savepoints guard no change: the same
  // names set again in a new transaction are the same savepoints.
  std::vector<std::string> names = savepoints_;
  std::vector<size_t> marks = savepoint_marks_;
  exec("ROLLBACK");
  forget_transaction();
  if (OraError e = begin()) return e;
  for (size_t k = 0; k < names.size(); ++k) {
    std::string sql = "SAVEPOINT \"" + names[k] + "\"";
    if (OraError e = exec(sql.c_str())) return e;
    savepoints_.push_back(names[k]);
    savepoint_marks_.push_back(marks[k]);
  }
  return {};
}

OraError Session::lock_for_write(std::string_view schema, std::string_view table, bool wait, int patience_ms) {
  if (OraError e = begin()) return e;
  if (std::find(locked_.begin(), locked_.end(), schema) != locked_.end()) return {};
  // A write that changes nothing takes the schema file's write lock.
  std::string probe = "DELETE FROM \"" + std::string(schema) + "\".\"" + std::string(table) + "\" WHERE 0";
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(patience_ms);
  for (;;) {
    if (break_requested()) return engine_error(ora::kCancelled);
    int rc = sqlite3_exec(db_, probe.c_str(), nullptr, nullptr, nullptr);
    if (rc == SQLITE_OK) {
      locked_.emplace_back(schema);
      return {};
    }
    int primary = rc & 0xFF;
    if (primary != SQLITE_BUSY && primary != SQLITE_LOCKED) return sqlite_error(db_, rc);
    if (rc == SQLITE_BUSY_SNAPSHOT && !has_writes_) {
      // Our read snapshot is older than another session's commit: start a
      // fresh transaction (Oracle reads are consistent per statement anyway).
      if (OraError e = restart_read_transaction()) return e;
      continue;
    }
    if (!wait && std::chrono::steady_clock::now() >= deadline) return engine_error(ora::kResourceBusy);
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

OraError Session::lock_rows(const std::vector<uint64_t>& keys, bool nowait, int wait_seconds) {
  const size_t mark = row_locks_->count();
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(std::max(0, wait_seconds));
  for (uint64_t k : keys) {
    while (!row_locks_->try_lock(k)) {
      OraError e;
      if (nowait) e = engine_error(ora::kResourceBusy);
      else if (break_requested()) e = engine_error(ora::kCancelled);
      else if (wait_seconds >= 0 && std::chrono::steady_clock::now() >= deadline)
        e = OraError{30006, "ORA-30006: resource busy; acquire with WAIT timeout expired"};
      if (e) {
        row_locks_->release_after(mark);
        return e;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
  }
  return {};
}

OraError Session::prepare_row_locks(const TableInfo& t) {
  std::string k = key(t.owner, t.name);
  if (t.is_view || std::find(lock_triggers_.begin(), lock_triggers_.end(), k) != lock_triggers_.end()) return {};
  std::string row = "old._rowid_";
  if (t.without_rowid) {
    row = "ocilite_urowid(";
    for (size_t i = 0; i < t.primary_key.size(); ++i) row += (i ? ", old.\"" : "old.\"") + t.primary_key[i] + "\"";
    row += ")";
  }
  const std::string id = std::to_string(t.object_id);
  const std::string target = "\"" + t.owner + "\".\"" + t.name + "\"";
  for (const char* event : {"UPDATE", "DELETE"}) {
    std::string sql = "CREATE TEMP TRIGGER IF NOT EXISTS \"ocilite_lock_" + std::string(event) + "_" + id + "\" BEFORE " +
                      event + " ON " + target + " BEGIN SELECT ocilite_lock_row(" + id + ", " + row + "); END";
    if (OraError e = exec(sql.c_str())) return e;
  }
  lock_triggers_.push_back(k);
  return {};
}

void Session::release_unused_write_lock() {
  if (in_txn_ && !has_writes_ && !locked_.empty()) restart_read_transaction();
}

void Session::forget_transaction() {
  in_txn_ = false;
  has_writes_ = false;
  savepoints_.clear();
  savepoint_marks_.clear();
  locked_.clear();
  // TEMP triggers made inside the transaction went with it.
  lock_triggers_.clear();
}

OraError Session::commit() {
  // Rows are given back only once the changes are visible to the session
  // that waits for them.
  struct Release {
    RowLocks& locks;
    ~Release() { locks.release_all(); }
  } release{*row_locks_};
  if (!in_txn_) return {};
  int rc = sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr);
  if (rc != SQLITE_OK) {
    OraError e = sqlite_error(db_, rc);
    if (sqlite3_get_autocommit(db_)) forget_transaction();
    return e;
  }
  in_txn_ = false;
  has_writes_ = false;
  savepoints_.clear();
  savepoint_marks_.clear();
  locked_.clear();
  return {};
}

OraError Session::rollback() {
  if (in_txn_) {
    sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
    forget_transaction();
  }
  row_locks_->release_all();
  return {};
}

OraError Session::savepoint(std::string_view name) {
  if (OraError e = begin()) return e;
  std::string n = normalize_name(name);
  // Oracle moves a savepoint that is set again; SQLite would nest a second one.
  auto it = std::find(savepoints_.begin(), savepoints_.end(), n);
  if (it != savepoints_.end()) {
    std::string rel = "RELEASE SAVEPOINT \"" + n + "\"";
    exec(rel.c_str());
    savepoint_marks_.resize(static_cast<size_t>(it - savepoints_.begin()));
    savepoints_.erase(it, savepoints_.end());
  }
  std::string sql = "SAVEPOINT \"" + n + "\"";
  if (OraError e = exec(sql.c_str())) return e;
  savepoints_.push_back(n);
  savepoint_marks_.push_back(row_locks_->count());
  return {};
}

OraError Session::rollback_to(std::string_view name) {
  std::string n = normalize_name(name);
  auto it = std::find(savepoints_.begin(), savepoints_.end(), n);
  if (!in_txn_ || it == savepoints_.end()) return engine_error(ora::kNoSuchSavepoint, {n});
  std::string sql = "ROLLBACK TO SAVEPOINT \"" + n + "\"";
  if (OraError e = exec(sql.c_str())) return e;
  const size_t idx = static_cast<size_t>(it - savepoints_.begin());
  // Oracle gives back the row locks taken after the savepoint.
  row_locks_->release_after(savepoint_marks_[idx]);
  savepoints_.erase(it + 1, savepoints_.end());
  savepoint_marks_.resize(idx + 1);
  lock_triggers_.clear();
  return {};
}

const DateFormat* Session::date_format(const std::string& model) {
  for (const auto& f : formats_)
    if (f.model() == model) return &f;
  auto f = DateFormat::compile(model);
  if (!f) return nullptr;
  if (formats_.size() >= 8) formats_.erase(formats_.begin());
  formats_.push_back(std::move(*f));
  return &formats_.back();
}

void Session::sync_after_error() {
  if (in_txn_ && sqlite3_get_autocommit(db_)) forget_transaction();
}

void Session::request_break() {
  break_.store(true);
  sqlite3_interrupt(db_);
}

OraError sqlite_error(sqlite3* db, int rc) {
  std::string msg = db ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
  OraError e;
  if (parse_ora_text(msg, e)) return e;
  int primary = rc & 0xFF;
  auto after = [&](std::string_view prefix) {
    size_t p = msg.find(prefix);
    return p == std::string::npos ? std::string() : msg.substr(p + prefix.size());
  };
  if (primary == SQLITE_INTERRUPT) return engine_error(ora::kCancelled);
  if (primary == SQLITE_BUSY || primary == SQLITE_LOCKED) return engine_error(ora::kResourceBusy);
  if (primary == SQLITE_CONSTRAINT) {
    if (rc == SQLITE_CONSTRAINT_UNIQUE || rc == SQLITE_CONSTRAINT_PRIMARYKEY)
      return engine_error(ora::kUniqueViolated, {after("failed: ")});
    if (rc == SQLITE_CONSTRAINT_NOTNULL) {
      std::string what = after("failed: ");
      size_t dot = what.find('.');
      std::string q = dot == std::string::npos ? "\"" + what + "\""
                                               : "\"" + what.substr(0, dot) + "\".\"" + what.substr(dot + 1) + "\"";
      return engine_error(ora::kCannotInsertNull, {q});
    }
    if (rc == SQLITE_CONSTRAINT_FOREIGNKEY) return engine_error(ora::kParentKeyNotFound, {"FOREIGN KEY"});
    return OraError{2290, "ORA-02290: check constraint (" + after("failed: ") + ") violated"};
  }
  if (primary == SQLITE_CORRUPT || primary == SQLITE_NOTADB) return OraError{1115, "ORA-01115: IO error reading block from file (" + msg + ")"};
  if (primary == SQLITE_READONLY) return OraError{16000, "ORA-16000: database or pluggable database open for read-only access"};
  if (primary == SQLITE_FULL) return OraError{1653, "ORA-01653: unable to extend table"};
  if (msg.rfind("no such table", 0) == 0 || msg.rfind("no such view", 0) == 0) return engine_error(ora::kTableNotExist);
  if (msg.rfind("no such column: ", 0) == 0) {
    std::string col = upper(after("no such column: "));
    size_t dot = col.rfind('.');
    std::string quoted;
    if (dot != std::string::npos) quoted = "\"" + col.substr(0, dot) + "\".\"" + col.substr(dot + 1) + "\"";
    else quoted = "\"" + col + "\"";
    return engine_error(ora::kInvalidIdentifier, {quoted});
  }
  if (msg.rfind("no such function: ", 0) == 0) {
    return engine_error(ora::kInvalidIdentifier, {"\"" + upper(after("no such function: ")) + "\""});
  }
  if (msg.rfind("ambiguous column name", 0) == 0) return OraError{918, "ORA-00918: column ambiguously defined"};
  if (msg.find("already exists") != std::string::npos) return engine_error(ora::kNameUsed);
  if (msg.find("because it is a view") != std::string::npos)
    return OraError{1732, "ORA-01732: data manipulation operation not legal on this view"};
  if (msg.rfind("wrong number of arguments", 0) == 0) return OraError{909, "ORA-00909: invalid number of arguments"};
  if (msg.find("misuse of aggregate") != std::string::npos) return OraError{934, "ORA-00934: group function is not allowed here"};
  if (msg.find("incomplete input") != std::string::npos) return engine_error(ora::kMissingExpression);
  if (msg.find("syntax error") != std::string::npos) return engine_error(ora::kNotProperlyEnded);
  if (msg.find("cannot reference objects in database") != std::string::npos)
    return OraError{3001, "ORA-03001: unimplemented feature: a view or trigger cannot use objects of another schema"};
  if (msg.find("no such savepoint") != std::string::npos) return engine_error(ora::kNoSuchSavepoint, {""});
  return ora_internal("sqlite: " + msg);
}

}  // namespace ocilite
