// The database folder and its catalogue: creating and opening it, users,
// logins and attaching schemas to a session connection. Sequences,
// synonyms, comments, directories and PL/SQL live in catalog_objects.cpp.
//
// Tested by tests/ocilite/catalog/catalog_test.cpp.
#include "catalog/catalog.h"

#include <algorithm>
#include <cctype>
#include <string_view>
#include <system_error>

#include "catalog/catalog_p.h"
#include "catalog/password_hash_p.h"

namespace ocilite {

using detail::Stmt;

namespace detail {

const char* const kCatalogDdl = R"sql(
CREATE TABLE meta (key TEXT PRIMARY KEY, value TEXT) WITHOUT ROWID;
INSERT INTO meta VALUES ('format', '1');
CREATE TABLE users (
  user_id INTEGER PRIMARY KEY,
  name TEXT NOT NULL UNIQUE,
  password_hash TEXT,                 -- crypt(3) text; NULL: no password login
  external INTEGER NOT NULL DEFAULT 0,
  sysdba INTEGER NOT NULL DEFAULT 0,
  sysoper INTEGER NOT NULL DEFAULT 0,
  locked INTEGER NOT NULL DEFAULT 0,
  ignore_case INTEGER NOT NULL DEFAULT 0,  -- the hash is of the upper-cased password
  password_expires TEXT,              -- UTC 'YYYY-MM-DD HH:MM:SS'; NULL: never
  created TEXT NOT NULL DEFAULT (datetime('now')));
CREATE TABLE synonyms (
  owner TEXT NOT NULL, synonym_name TEXT NOT NULL,
  table_owner TEXT NOT NULL, table_name TEXT NOT NULL, db_link TEXT,
  PRIMARY KEY (owner, synonym_name)) WITHOUT ROWID;
CREATE TABLE tab_comments (
  owner TEXT NOT NULL, table_name TEXT NOT NULL, comments TEXT,
  PRIMARY KEY (owner, table_name)) WITHOUT ROWID;
CREATE TABLE col_comments (
  owner TEXT NOT NULL, table_name TEXT NOT NULL, column_name TEXT NOT NULL, comments TEXT,
  PRIMARY KEY (owner, table_name, column_name)) WITHOUT ROWID;
CREATE TABLE objects (
  object_id INTEGER PRIMARY KEY,
  owner TEXT NOT NULL, object_name TEXT NOT NULL, object_type TEXT NOT NULL,
  created TEXT NOT NULL DEFAULT (datetime('now')),
  last_ddl_time TEXT NOT NULL DEFAULT (datetime('now')),
  UNIQUE (owner, object_name, object_type));
CREATE TABLE sequences (
  owner TEXT NOT NULL, sequence_name TEXT NOT NULL,
  min_value INTEGER NOT NULL, max_value INTEGER NOT NULL, increment_by INTEGER NOT NULL,
  cycle_flag INTEGER NOT NULL, cache_size INTEGER NOT NULL,
  last_number INTEGER NOT NULL,       -- the first value not yet taken into any cache
  PRIMARY KEY (owner, sequence_name)) WITHOUT ROWID;
CREATE TABLE directories (
  directory_name TEXT PRIMARY KEY, directory_path TEXT NOT NULL) WITHOUT ROWID;
CREATE TABLE plsql (
  owner TEXT NOT NULL, name TEXT NOT NULL, type TEXT NOT NULL, source TEXT NOT NULL,
  status TEXT NOT NULL DEFAULT 'INVALID',
  table_owner TEXT, table_name TEXT, trigger_type TEXT, triggering_event TEXT,
  PRIMARY KEY (owner, name, type)) WITHOUT ROWID;
)sql";

OraError sqlite_failure(sqlite3* db, std::string_view what) {
  std::string detail(what);
  if (db) detail += ": " + std::string(sqlite3_errmsg(db));
  return ora_internal(detail);
}

}  // namespace detail

namespace {

constexpr int kBusyTimeoutMs = 5000;
constexpr size_t kMaxNameLength = 128;

std::unique_ptr<sqlite3, detail::DbCloser> open_db(const std::filesystem::path& file, int flags, int& rc) {
  sqlite3* raw = nullptr;
  rc = sqlite3_open_v2(file.c_str(), &raw, flags | SQLITE_OPEN_NOMUTEX, nullptr);
  std::unique_ptr<sqlite3, detail::DbCloser> db(raw);
  if (rc == SQLITE_OK) sqlite3_busy_timeout(raw, kBusyTimeoutMs);
  return db;
}

// Opens a schema file and reads its schema, which fails for a file that is
// no SQLite database. Returns 0 or the ORA error to report.
OraError check_schema_file(const std::filesystem::path& file) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(file, ec)) return ora_error(1157, {"'" + file.string() + "'"});
  int rc = 0;
  auto db = open_db(file, SQLITE_OPEN_READONLY, rc);
  if (rc != SQLITE_OK) return ora_error(1157, {"'" + file.string() + "'"});
  Stmt s(db.get(), "SELECT count(*) FROM sqlite_schema");
  if (!s.ok() || (!s.step() && s.rc() != SQLITE_DONE))
    return ora_error(1115, {"'" + file.string() + "': " + sqlite3_errstr(s.rc())});
  return {};
}

std::string upper_ascii(std::string_view s) {
  std::string out(s);
  for (auto& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return out;
}

}  // namespace

std::string normalize_name(std::string_view name) {
  if (name.size() >= 2 && name.front() == '"' && name.back() == '"')
    return std::string(name.substr(1, name.size() - 2));
  std::string out;
  for (char c : name) out += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return out;
}

bool valid_schema_name(std::string_view name) {
  if (name.empty() || name.size() > kMaxNameLength) return false;
  if (name.front() == '.' || name.front() == '_') return false;
  return name.find_first_of(std::string_view("/\\\0\"", 4)) == std::string_view::npos;
}

Catalog::Catalog(std::filesystem::path folder, std::unique_ptr<Impl> impl)
    : folder_(std::move(folder)), impl_(std::move(impl)) {}

Catalog::~Catalog() = default;

OraError Catalog::create(const std::filesystem::path& folder) {
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  if (!std::filesystem::is_directory(folder, ec)) return ora_internal("cannot create folder " + folder.string());
  const auto file = folder / kCatalogFile;
  if (std::filesystem::exists(file, ec)) return ora_error(955, {});
  int rc = 0;
  auto db = open_db(file, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, rc);
  if (rc != SQLITE_OK) return detail::sqlite_failure(db.get(), "cannot create " + file.string());
  std::string error;
  if (!detail::exec(db.get(), "PRAGMA journal_mode = WAL", &error) || !detail::exec(db.get(), "BEGIN", &error) ||
      !detail::exec(db.get(), detail::kCatalogDdl, &error) || !detail::exec(db.get(), "COMMIT", &error)) {
    db.reset();
    std::filesystem::remove(file, ec);
    return ora_internal("cannot create the catalogue: " + error);
  }
  return {};
}

OraError Catalog::open(const std::filesystem::path& folder, std::shared_ptr<Catalog>& out) {
  std::error_code ec;
  const auto file = folder / kCatalogFile;
  if (!std::filesystem::is_directory(folder, ec) || !std::filesystem::is_regular_file(file, ec))
    return ora_error(12154, {});
  int rc = 0;
  auto db = open_db(file, SQLITE_OPEN_READWRITE, rc);
  if (rc != SQLITE_OK) return ora_error(1157, {"'" + file.string() + "'"});
  Stmt s(db.get(), "SELECT value FROM meta WHERE key = 'format'");
  if (!s.ok() || !s.step()) return ora_error(1115, {"'" + file.string() + "': not an ocilite catalogue"});
  if (s.text(0) != "1") return ora_error(1115, {"'" + file.string() + "': catalogue format " + s.text(0)});
  // WAL with synchronous NORMAL: a commit is durable against a crash of the
  // process and costs no fsync; only a power cut may lose the last ones.
  detail::exec(db.get(), "PRAGMA synchronous = NORMAL");
  auto impl = std::make_unique<Impl>();
  impl->db = std::move(db);
  out.reset(new Catalog(std::filesystem::absolute(folder, ec), std::move(impl)));
  return {};
}

// ---- users -----------------------------------------------------------------

OraError Catalog::add_user(std::string_view name_in, const UserOptions& options) {
  const std::string name = normalize_name(name_in);
  if (name.empty()) return ora_error(1935);
  if (name.size() > kMaxNameLength) return ora_error(972);
  if (!valid_schema_name(name)) return ora_internal("user name '" + name + "' cannot name a schema file");
  std::optional<std::string> hash;
  if (options.password) {
    hash =
        detail::hash_password(options.case_insensitive_password ? upper_ascii(*options.password) : *options.password);
    if (!hash) return ora_internal("cannot hash the password");
  }
  std::lock_guard lock(impl_->mutex);
  sqlite3* db = impl_->db.get();
  {
    Stmt s(db, "SELECT 1 FROM users WHERE name = ?");
    s.bind(1, name);
    if (s.step()) return ora_error(1920, {name});
  }
  // An SQLite file already in the folder under this name becomes the schema.
  const auto file = folder_ / (name + ".db");
  int rc = 0;
  auto schema = open_db(file, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, rc);
  if (rc != SQLITE_OK) return ora_error(1157, {"'" + file.string() + "'"});
  std::string error;
  if (!detail::exec(schema.get(), "PRAGMA journal_mode = WAL", &error))
    return ora_error(1115, {"'" + file.string() + "': " + error});
  schema.reset();
  Stmt s(db,
         "INSERT INTO users (name, password_hash, external, sysdba, sysoper, ignore_case, password_expires) "
         "VALUES (?, ?, ?, ?, ?, ?7, CASE WHEN ?6 IS NULL THEN NULL ELSE datetime('now', ?6 || ' days') END)");
  s.bind(1, name).bind(2, hash).bind(3, options.external).bind(4, options.sysdba).bind(5, options.sysoper);
  s.bind(6, options.password_expires_in_days).bind(7, options.case_insensitive_password);
  if (!s.run()) return detail::sqlite_failure(db, "add user");
  return {};
}

OraError Catalog::set_password(std::string_view name_in, std::string_view password,
                               std::optional<int> expires_in_days) {
  const std::string name = normalize_name(name_in);
  auto hash = detail::hash_password(password);
  if (!hash) return ora_internal("cannot hash the password");
  std::lock_guard lock(impl_->mutex);
  Stmt s(impl_->db.get(),
         "UPDATE users SET password_hash = ?2, ignore_case = 0, password_expires = "
         "CASE WHEN ?3 IS NULL THEN NULL ELSE datetime('now', ?3 || ' days') END WHERE name = ?1");
  s.bind(1, name).bind(2, *hash).bind(3, expires_in_days);
  if (!s.run()) return detail::sqlite_failure(impl_->db.get(), "set password");
  if (sqlite3_changes(impl_->db.get()) == 0) return ora_error(1918, {name});
  return {};
}

OraError Catalog::grant_admin(std::string_view name_in, LoginMode mode, bool granted) {
  const std::string name = normalize_name(name_in);
  if (mode == LoginMode::normal) return {};
  std::lock_guard lock(impl_->mutex);
  Stmt s(impl_->db.get(), mode == LoginMode::sysdba ? "UPDATE users SET sysdba = ?2 WHERE name = ?1"
                                                    : "UPDATE users SET sysoper = ?2 WHERE name = ?1");
  s.bind(1, name).bind(2, granted);
  if (!s.run()) return detail::sqlite_failure(impl_->db.get(), "grant");
  if (sqlite3_changes(impl_->db.get()) == 0) return ora_error(1918, {name});
  return {};
}

OraError Catalog::set_external(std::string_view name_in, bool external) {
  const std::string name = normalize_name(name_in);
  std::lock_guard lock(impl_->mutex);
  Stmt s(impl_->db.get(), "UPDATE users SET external = ?2 WHERE name = ?1");
  s.bind(1, name).bind(2, external);
  if (!s.run()) return detail::sqlite_failure(impl_->db.get(), "alter user");
  if (sqlite3_changes(impl_->db.get()) == 0) return ora_error(1918, {name});
  return {};
}

OraError Catalog::drop_user(std::string_view name_in) {
  const std::string name = normalize_name(name_in);
  std::lock_guard lock(impl_->mutex);
  sqlite3* db = impl_->db.get();
  if (!detail::exec(db, "BEGIN IMMEDIATE")) return detail::sqlite_failure(db, "drop user");
  Stmt s(db, "DELETE FROM users WHERE name = ?");
  s.bind(1, name);
  bool ok = s.run();
  if (ok && sqlite3_changes(db) == 0) {
    detail::exec(db, "ROLLBACK");
    return ora_error(1918, {name});
  }
  for (const char* sql : {"DELETE FROM synonyms WHERE owner = ?", "DELETE FROM tab_comments WHERE owner = ?",
                          "DELETE FROM col_comments WHERE owner = ?", "DELETE FROM objects WHERE owner = ?",
                          "DELETE FROM sequences WHERE owner = ?", "DELETE FROM plsql WHERE owner = ?"}) {
    Stmt d(db, sql);
    d.bind(1, name);
    ok = ok && d.run();
  }
  if (!ok || !detail::exec(db, "COMMIT")) {
    detail::exec(db, "ROLLBACK");
    return detail::sqlite_failure(db, "drop user");
  }
  std::error_code ec;
  for (const char* suffix : {".db", ".db-wal", ".db-shm"}) std::filesystem::remove(folder_ / (name + suffix), ec);
  for (auto it = impl_->sequences.begin(); it != impl_->sequences.end();)
    it = it->first.first == name ? impl_->sequences.erase(it) : std::next(it);
  return {};
}

std::vector<UserInfo> Catalog::users() const {
  std::vector<UserInfo> out;
  std::lock_guard lock(impl_->mutex);
  Stmt s(
      impl_->db.get(),
      "SELECT name, external, sysdba, sysoper, password_hash IS NOT NULL, user_id, created FROM users ORDER BY name");
  while (s.step()) {
    UserInfo u;
    u.name = s.text(0);
    u.schema_file = folder_ / (u.name + ".db");
    u.external = s.int64(1) != 0;
    u.sysdba = s.int64(2) != 0;
    u.sysoper = s.int64(3) != 0;
    u.has_password = s.int64(4) != 0;
    u.user_id = s.int64(5);
    u.created = s.text(6);
    out.push_back(std::move(u));
  }
  return out;
}

std::optional<UserInfo> Catalog::find_user(std::string_view name) const {
  const std::string n = normalize_name(name);
  for (auto& u : users())
    if (u.name == n) return u;
  return std::nullopt;
}

LoginResult Catalog::check_login(std::string_view user_in, std::string_view password, LoginMode mode,
                                 std::string_view os_user) const {
  LoginResult r;
  const bool external = user_in.empty() && password.empty();
  std::string hash;
  bool is_external = false, sysdba = false, sysoper = false, locked = false, ignore_case = false;
  std::optional<std::int64_t> seconds_left;
  {
    std::lock_guard lock(impl_->mutex);
    Stmt s(impl_->db.get(),
           "SELECT name, password_hash, external, sysdba, sysoper, locked, ignore_case, "
           "CAST((julianday(password_expires) - julianday('now')) * 86400 AS INTEGER) "
           "FROM users WHERE name = ?1 OR (?2 AND external AND upper(name) = upper(?3))");
    s.bind(1, external ? std::string() : normalize_name(user_in)).bind(2, external).bind(3, os_user);
    if (!s.step()) {
      r.error = ora_error(1017);
      return r;
    }
    r.user = s.text(0);
    hash = s.text(1);
    is_external = s.int64(2) != 0;
    sysdba = s.int64(3) != 0;
    sysoper = s.int64(4) != 0;
    locked = s.int64(5) != 0;
    ignore_case = s.int64(6) != 0;
    seconds_left = s.opt_int64(7);
  }
  if (external ? (!is_external || os_user.empty())
               : !detail::verify_password(ignore_case ? upper_ascii(password) : std::string(password), hash)) {
    r.user.clear();
    r.error = ora_error(1017);
    return r;
  }
  if (locked) {
    r.error = ora_error(28000);
  } else if ((mode == LoginMode::sysdba && !sysdba) || (mode == LoginMode::sysoper && !sysoper)) {
    r.error = ora_error(1031);
  } else if (auto e = check_schema_file(folder_ / (r.user + ".db"))) {
    r.error = e;
  } else if (!external && seconds_left && *seconds_left <= 0) {
    r.error = ora_error(28001);
  } else if (!external && seconds_left) {
    r.days_left = static_cast<int>((*seconds_left + 86399) / 86400);
    r.password_expiring = true;
    r.error = ora_error(28002, {std::to_string(r.days_left)});
    return r;
  } else {
    return r;
  }
  r.user.clear();
  return r;
}

OraError Catalog::attach_all(sqlite3* db, std::string_view first_in) const {
  // What is attached already, by file, so that a second call adds only the new.
  std::vector<std::string> names, files;
  {
    Stmt s(db, "PRAGMA database_list");
    while (s.step()) {
      names.push_back(s.text(1));
      files.push_back(s.text(2));
    }
  }
  auto attached = [&](const std::filesystem::path& file) {
    std::error_code ec;
    for (const auto& f : files)
      if (!f.empty() && std::filesystem::equivalent(f, file, ec)) return true;
    return false;
  };
  auto attach = [&](const std::filesystem::path& file, const std::string& name) -> OraError {
    if (attached(file)) return {};
    if (std::find(names.begin(), names.end(), name) != names.end()) return {};
    Stmt s(db, "ATTACH DATABASE ?1 AS ?2");
    s.bind(1, file.string()).bind(2, name);
    if (!s.run()) {
      if (std::string_view(sqlite3_errmsg(db)).find("too many attached") != std::string_view::npos)
        return ora_internal("too many schemas to attach (" + name + ")");
      return ora_error(1157, {"'" + file.string() + "': " + sqlite3_errmsg(db)});
    }
    names.push_back(name);
    files.push_back(file.string());
    detail::exec(db, ("PRAGMA " + detail::quote_ident(name) + ".journal_mode = WAL").c_str());
    return {};
  };
  if (auto e = attach(folder_ / kCatalogFile, kCatalogSchema)) return e;
  const std::string first = normalize_name(first_in);
  auto all = users();
  std::stable_partition(all.begin(), all.end(), [&](const UserInfo& u) { return u.name == first; });
  for (const auto& u : all) {
    if (auto e = attach(u.schema_file, u.name)) {
      // Only the login user's own schema is essential; the others are skipped
      // when SQLite's limit on attached databases is reached.
      if (u.name == first || e.code != 600) return e;
      break;
    }
  }
  return {};
}

}  // namespace ocilite
