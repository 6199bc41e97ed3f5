// The ocilite database folder and its catalogue.
//
// A database is a folder: each `<OWNER>.db` in it is one schema (a plain
// SQLite file, attached to a session under the owner's name so that
// "SCOTT"."EMP" resolves natively) and `_catalog.db` holds what SQLite has
// no place for: users and their password hashes, external-login and
// expiring-password flags, SYSDBA/SYSOPER grants, synonyms, table and
// column comments, sequences, object times, directory objects and stored
// PL/SQL sources.
//
// `Catalog` owns one connection of its own to `_catalog.db`; catalogue
// writes (sequence numbers, comments, synonyms, ...) go through it so that
// they commit at once and are never rolled back with a session's
// transaction, as Oracle's DDL and sequences behave. It is thread-safe: the
// engine shares one Catalog between the sessions of one database.
//
// Nothing here throws; failures come back as `OraError` with Oracle's
// number and full text ("ORA-01017: invalid username/password; logon
// denied").
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "catalog/oracle_type.h"

struct sqlite3;

namespace ocilite {

// The release ocilite reports everywhere (client version, server release,
// banner, NLS_RDBMS_VERSION). One place so that they always agree.
inline constexpr int kReleaseMajor = 19;
inline constexpr int kReleaseUpdate = 3;
inline constexpr const char* kRdbmsVersion = "19.0.0.0.0";
inline constexpr const char* kServerBanner =
    "Oracle Database 19c Enterprise Edition Release 19.0.0.0.0 - Production\nVersion 19.3.0.0.0";
inline constexpr const char* kDatabaseCharset = "AL32UTF8";
inline constexpr const char* kNationalCharset = "AL16UTF16";

// The catalogue is attached to every session connection under this name.
inline constexpr const char* kCatalogSchema = "_catalog";
inline constexpr const char* kCatalogFile = "_catalog.db";

// An Oracle error: code 0 means success. `text` is the whole message,
// starting with "ORA-nnnnn: ".
struct OraError {
  int code = 0;
  std::string text;
  bool ok() const { return code == 0; }
  explicit operator bool() const { return code != 0; }  // true when failed
};
// Oracle's error for `code`, its "%s" places filled in order from `args`.
OraError ora_error(int code, std::initializer_list<std::string_view> args = {});
// The text of an error ocilite has no fixed message for (ORA-00600 style).
OraError ora_internal(std::string_view detail);

enum class LoginMode { normal, sysdba, sysoper };

struct LoginResult {
  OraError error;                  // 0, or 01017 / 01031 / 28000 / 28001 / 01157 ...
  std::string user;                // the schema the session runs as (upper case unless quoted)
  bool password_expiring = false;  // error holds ORA-28002: success with info
  int days_left = 0;
};

struct UserOptions {
  std::optional<std::string> password;  // none: a schema-only account, no password login
  bool external = false;                // may log in with external credentials
  bool sysdba = false;
  bool sysoper = false;
  std::optional<int> password_expires_in_days;  // set: ORA-28002 until then, ORA-28001 after
  // The password matches in any letter case, as with Oracle 10g password
  // versions (SEC_CASE_SENSITIVE_LOGON = FALSE); the demo users have it so
  // that both scott/tiger and SCOTT/TIGER log in.
  bool case_insensitive_password = false;
};

struct UserInfo {
  std::string name;
  std::filesystem::path schema_file;
  bool external = false, sysdba = false, sysoper = false, has_password = false;
  std::int64_t user_id = 0;
  std::string created;  // "YYYY-MM-DD HH:MM:SS" (UTC)
};

struct SequenceOptions {
  std::int64_t start_with = 1, increment_by = 1;
  std::optional<std::int64_t> min_value, max_value;  // Oracle's defaults when absent
  bool cycle = false;
  std::int64_t cache = 20;  // 0 = NOCACHE
};

struct Synonym {
  std::string owner, name;              // owner "PUBLIC" for a public synonym
  std::string table_owner, table_name;  // what it stands for
  std::string db_link;                  // empty when none
};

struct PlsqlUnit {
  std::string owner, name, type;  // type: PROCEDURE, FUNCTION, PACKAGE, PACKAGE BODY, TRIGGER, TYPE, TYPE BODY
  std::string source;             // the whole CREATE text as the user gave it, from the unit kind on
  bool valid = false;             // compiled without errors (object types ocilite can hold)
};

// Canonical form of a user or object name as Oracle stores it: unquoted
// names are upper-cased, "quoted" ones kept as written (quotes removed).
std::string normalize_name(std::string_view name);
// True when `name` may name a schema file (no '/', NUL, leading '.' or '_').
bool valid_schema_name(std::string_view name);

class Catalog {
 public:
  ~Catalog();
  Catalog(const Catalog&) = delete;
  Catalog& operator=(const Catalog&) = delete;

  // Makes a new database folder (created if missing; must not already hold
  // a catalogue) with an empty catalogue and no users.
  static OraError create(const std::filesystem::path& folder);
  // Opens an existing database folder. ORA-12154 when the folder or its
  // catalogue is missing, ORA-01157/01115 when the catalogue is unreadable.
  static OraError open(const std::filesystem::path& folder, std::shared_ptr<Catalog>& out);

  const std::filesystem::path& folder() const { return folder_; }

  // ---- users and schemas ------------------------------------------------
  // Adds a user (and its empty schema file). ORA-01920 when it exists.
  OraError add_user(std::string_view name, const UserOptions& options);
  OraError set_password(std::string_view name, std::string_view password,
                        std::optional<int> expires_in_days = std::nullopt);
  OraError grant_admin(std::string_view name, LoginMode mode, bool granted = true);
  OraError set_external(std::string_view name, bool external);
  OraError drop_user(std::string_view name);  // removes the schema file too
  std::vector<UserInfo> users() const;
  std::optional<UserInfo> find_user(std::string_view name) const;

  // Checks a login as OCISessionBegin does. Empty user and password mean
  // external credentials: `os_user` must name a user marked external.
  // Also checks that the user's schema file opens as an SQLite database.
  LoginResult check_login(std::string_view user, std::string_view password, LoginMode mode,
                          std::string_view os_user) const;

  // Attaches `_catalog` and every schema to a session connection (the
  // engine opens the connection; its main database is its own choice).
  // `first` is attached first so that unqualified names resolve to it.
  // Schemas already attached are skipped; WAL mode is set on each.
  OraError attach_all(sqlite3* db, std::string_view first = {}) const;

  // ---- sequences ---------------------------------------------------------
  OraError create_sequence(std::string_view owner, std::string_view name, const SequenceOptions& options);
  OraError drop_sequence(std::string_view owner, std::string_view name);
  // Next value (ORA-02289 for an unknown sequence, ORA-08004 past MAXVALUE
  // without CYCLE). Values are handed out from an in-memory cache of
  // `cache` numbers as Oracle does; LAST_NUMBER is the cache's high mark.
  OraError next_value(std::string_view owner, std::string_view name, std::int64_t& value);

  // ---- synonyms ------------------------------------------------------------
  OraError create_synonym(const Synonym& synonym, bool or_replace);
  OraError drop_synonym(std::string_view owner, std::string_view name);
  std::optional<Synonym> find_synonym(std::string_view owner, std::string_view name) const;
  // Resolves `name` as Oracle does for an object reference: a private
  // synonym of `owner`, then (when `allow_public`) a public one, following
  // chains (at most 32 links; a loop gives ORA-01775). Returns the final
  // owner and name, or nullopt when `name` is no synonym.
  std::optional<std::pair<std::string, std::string>> resolve_synonym(std::string_view owner, std::string_view name,
                                                                     bool allow_public,
                                                                     OraError* error = nullptr) const;

  // ---- comments and object times -----------------------------------------
  // `table_type` is "TABLE" or "VIEW". An empty comment removes it.
  OraError set_table_comment(std::string_view owner, std::string_view table, std::string_view comment);
  OraError set_column_comment(std::string_view owner, std::string_view table, std::string_view column,
                              std::string_view comment);
  // Records DDL on an object: CREATED is set the first time, LAST_DDL_TIME every time.
  OraError note_ddl(std::string_view owner, std::string_view name, std::string_view object_type);
  // Forgets comments and times of a dropped table or view.
  OraError forget_object(std::string_view owner, std::string_view name);

  // ---- directory objects (BFILENAME) -------------------------------------
  // A relative path is taken relative to the database folder.
  OraError create_directory(std::string_view name, const std::filesystem::path& path, bool or_replace);
  OraError drop_directory(std::string_view name);
  std::optional<std::filesystem::path> directory_path(std::string_view name) const;

  // ---- stored PL/SQL ---------------------------------------------------------
  // ocilite does not compile PL/SQL: a unit is stored with status INVALID
  // unless it says it is valid (a type whose shape ocilite understood).
  OraError store_plsql(const PlsqlUnit& unit, bool or_replace);
  OraError drop_plsql(std::string_view owner, std::string_view name, std::string_view type);
  std::optional<PlsqlUnit> find_plsql(std::string_view owner, std::string_view name, std::string_view type) const;

 private:
  struct Impl;
  explicit Catalog(std::filesystem::path folder, std::unique_ptr<Impl> impl);
  std::filesystem::path folder_;
  std::unique_ptr<Impl> impl_;
};

// What the dictionary asks of the session that owns a connection.
struct SessionHooks {
  // The session's user (USER, USER_* views).
  std::function<std::string()> current_user;
  // An NLS session parameter (NLS_DATE_FORMAT, ...) or nullopt when unknown.
  std::function<std::optional<std::string>(std::string_view)> nls_parameter;
};

// Installs the data dictionary into a session connection that `attach_all`
// prepared: temporary views ALL_*, USER_*, DBA_*, NLS_*_PARAMETERS, DUAL
// (dictionary_views.cpp lists them) and the SQL functions they and the
// engine use:
//   ocilite_nextval(owner, name), ocilite_currval(owner, name)  -- sequences
//   ocilite_user()                                               -- current user
// The views read SQLite's own schema through pragma table functions, so a
// new table shows at once. Call again after attaching another schema.
// `catalog` must outlive the connection.
OraError install_dictionary(sqlite3* db, std::shared_ptr<Catalog> catalog, SessionHooks hooks);
// Rebuilds only the views over the schemas now attached (after ATTACH or
// DETACH); the functions install_dictionary registered stay, so open
// cursors are no obstacle.
OraError refresh_dictionary(sqlite3* db, const Catalog& catalog);

}  // namespace ocilite
