// A database session: one SQLite connection (WAL) with every schema of the
// database folder attached under its owner's name, the data dictionary
// installed, the session's NLS settings and its transaction state.
#pragma once

#include <atomic>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "catalog/catalog.h"
#include "nls_settings.h"
#include "ora_format.h"
#include "row_locks.h"

struct sqlite3;

namespace ocilite {

// One column of a table as the rewriter and the value checks need it.
struct TableColumn {
  std::string name;
  std::string declared;  // Oracle declaration as stored ("VARCHAR2(20 CHAR)")
  OracleType type;
  bool not_null = false;
  bool primary_key = false;
};

struct TableInfo {
  std::string owner, name;
  bool is_view = false;
  bool without_rowid = false;  // index-organised
  unsigned object_id = 0;      // data object number used in ROWID texts
  std::vector<TableColumn> columns;
  std::vector<std::string> primary_key;  // in key order
  const TableColumn* find(std::string_view column) const;
};

// Resolves a connect string to a database folder: an existing folder, a
// plain SQLite file (given a catalogue of its own in the user's cache
// folder; any user name logs in with it as its schema), an alias in
// $TNS_ADMIN/ocilite.ora ("alias = /path"), or, when empty, $KESTREL_DB,
// else the demo database beside the library. ORA-12154 else.
OraError resolve_connect_string(std::string_view connect, std::filesystem::path& folder);

// One Catalog per database folder per process, shared by its sessions.
OraError open_catalog(const std::filesystem::path& folder, std::shared_ptr<Catalog>& out);

class Session {
 public:
  ~Session();
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  // Logs in. `warning` receives ORA-28002 when the password expires soon.
  static OraError open(std::shared_ptr<Catalog> catalog, std::string_view user, std::string_view password,
                       LoginMode mode, std::unique_ptr<Session>& out, OraError& warning);

  sqlite3* db() const { return db_; }
  Catalog& catalog() const { return *catalog_; }
  std::shared_ptr<Catalog> catalog_shared() const { return catalog_; }
  const std::string& user() const { return user_; }
  const std::string& current_schema() const { return schema_; }
  OraError set_current_schema(std::string_view schema);
  NlsSettings& nls() { return nls_; }

  // ---- schema lookups (cached until DDL) ----
  // The table or view `owner.name`; nullptr when there is none.
  const TableInfo* table(std::string_view owner, std::string_view name);
  bool schema_exists(std::string_view owner) const;
  // SQLite attaches at most 10 databases to a connection: the catalogue and
  // 9 schemas. A schema a statement names is attached when it is needed,
  // outside a transaction detaching the least recently used one that the
  // statement does not use (never the login user's). The dictionary views
  // are rebuilt over the schemas then attached.
  OraError use_schema(std::string_view owner);
  // The schemas (and whether the dictionary) the statement being rewritten
  // uses: begin_statement() starts a new list.
  void begin_statement();
  const std::vector<std::string>& statement_schemas() const { return statement_schemas_; }
  bool statement_reads_dictionary() const { return statement_reads_dictionary_; }
  // Before a prepared statement runs again: its schemas attached, and for a
  // dictionary query the schemas its text binds name (owner = :X0).
  OraError use_schemas(const std::vector<std::string>& schemas, const std::vector<std::string>& bound_names);
  bool temp_object_exists(std::string_view name);  // dictionary views, dual
  void schema_changed();  // after DDL: forget cached tables, re-attach new schemas
  unsigned object_id(std::string_view owner, std::string_view name) const;

  // ---- transactions ----
  // An SQLite transaction is open or rows are locked (FOR UPDATE).
  bool in_transaction() const { return in_txn_ || row_locks_->count() > 0; }
  // Starts the implicit transaction when none is open.
  OraError begin();
  // Takes the write lock of `schema` for this transaction. Another
  // session's lock gives ORA-00054 after `patience_ms` (0: at once), unless
  // `wait`: then it polls until the lock is free or the call is cancelled
  // (ORA-01013).
  OraError lock_for_write(std::string_view schema, std::string_view table, bool wait, int patience_ms = 0);

  // ---- row locks ----
  RowLocks& row_locks() { return *row_locks_; }
  // Takes the rows of `keys` for this transaction (SELECT ... FOR UPDATE):
  // a row another session holds gives ORA-00054 at once when `nowait`, else
  // the call waits for it, at most `wait_seconds` when that is >= 0
  // (ORA-30006), and OCIBreak ends the wait (ORA-01013). On failure the
  // rows this call took are given back.
  OraError lock_rows(const std::vector<uint64_t>& keys, bool nowait, int wait_seconds);
  // Makes sure UPDATE and DELETE on `table` take the row lock of each row
  // they change (TEMP triggers calling ocilite_lock_row).
  OraError prepare_row_locks(const TableInfo& table);
  void note_write() { has_writes_ = true; }
  // After a failed DML statement: when the transaction has written nothing,
  // the schema write lock the statement took is given back at once, so a
  // refused write never blocks other sessions' writes.
  void release_unused_write_lock();
  // After a failed statement: SQLite may have rolled the whole transaction
  // back (an interrupted write does); follow it.
  void sync_after_error();
  OraError commit();
  OraError rollback();
  OraError savepoint(std::string_view name);
  OraError rollback_to(std::string_view name);

  // ---- cancellation (OCIBreak) ----
  void request_break();
  void clear_break() { break_.store(false); }
  bool break_requested() const { return break_.load(); }

  // A compiled date format model, cached per session (the fetch path).
  const DateFormat* date_format(const std::string& model);

  // Last value of each sequence fetched with NEXTVAL in this session.
  std::map<std::string, long long>& currvals() { return currvals_; }

 private:
  Session() = default;
  OraError exec(const char* sql);

  std::shared_ptr<Catalog> catalog_;
  sqlite3* db_ = nullptr;
  std::string user_, schema_;
  NlsSettings nls_;
  bool in_txn_ = false, has_writes_ = false;
  std::vector<std::string> savepoints_;
  std::vector<size_t> savepoint_marks_;  // row locks held when each savepoint was set
  std::unique_ptr<RowLocks> row_locks_;
  std::vector<std::string> lock_triggers_;  // tables whose lock triggers exist
  void forget_transaction();                // after the SQLite transaction ended
  OraError restart_read_transaction();      // a fresh snapshot, savepoints set again
  std::vector<std::string> locked_;  // schemas whose write lock this transaction holds
  std::atomic<bool> break_{false};
  std::map<std::string, std::unique_ptr<TableInfo>> tables_;
  std::map<std::string, long long> currvals_;
  std::vector<DateFormat> formats_;
  std::vector<std::string> lru_;  // attached schemas, least recently used first
  std::vector<std::string> statement_schemas_;
  bool statement_reads_dictionary_ = false;
  std::vector<std::string> attached_schemas() const;
  void touch(const std::string& schema);
  void drop_lock_triggers();
};

// True while `s` is an open session (LOB locators outlive their session).
bool session_alive(const Session* s);

// An OraError for the current SQLite error of `db`, mapped to Oracle's number.
OraError sqlite_error(sqlite3* db, int rc);

}  // namespace ocilite
