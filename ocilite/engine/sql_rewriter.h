// The Oracle -> SQLite dialect rewriter. It works on tokens (sql_lexer.h),
// resolves names against the session's schemas, and returns either SQLite
// statements to run or an action the engine performs itself (transaction
// control, ALTER SESSION, catalogue DDL, stored PL/SQL).
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "catalog/catalog.h"

namespace ocilite {

class Session;
struct TableInfo;

enum class Action {
  sql,           // run `pieces` in order
  commit,
  rollback,
  savepoint,     // `name`
  rollback_to,   // `name`
  alter_session, // `name` = `value`
  catalog,       // `run` does it (DDL through the catalogue)
  stored_plsql,  // `run` stores the unit; the result is ORA-24344 with success
  noop,
};

// One SQLite statement. Parameters are written ?N where N-1 indexes
// RewriteResult::binds, so a name used twice binds one value.
struct SqlPiece {
  std::string sql;
  std::vector<std::pair<size_t, size_t>> offsets;  // (position in sql, offset in the Oracle text)
  bool is_query = false;
  bool is_dml = false;
  bool is_ddl = false;
  std::string lock_schema, lock_table;  // write lock the piece needs first
  std::string dml_owner, dml_table;     // target of INSERT/UPDATE/DELETE
  int source_offset = 0;                // where the piece starts in the Oracle text
  size_t returning_count = 0;           // RETURNING values at the end of each row
};

struct RewriteResult {
  OraError error;
  int error_offset = -1;  // byte offset in the Oracle text
  Action action = Action::sql;
  int stmt_type = 0;      // OCI_STMT_*
  int fn_code = 0;        // OCI_ATTR_SQLFNCODE
  std::vector<SqlPiece> pieces;
  std::vector<std::string> binds;           // bind names (upper case unless quoted), in order
  std::vector<std::string> returning_into;  // out-bind names of RETURNING ... INTO
  bool for_update = false, nowait = false;
  int wait_seconds = -1;  // FOR UPDATE WAIT n; -1 waits as long as it takes
  // A FOR UPDATE query carries each row's lock key as its very last column.
  bool hidden_lock_key = false;
  bool ddl = false;                         // commits before and after, as Oracle's DDL does
  std::string name, value;
  std::function<OraError(Session&)> run;
  // Oracle type of top-level select items that have no column behind them
  // (SYSDATE, TO_DATE(...), COUNT(*)); empty entries are unknown.
  std::vector<std::optional<OracleType>> item_types;
  // A query of one table with LOB columns gets its rowid as a hidden last
  // column, so that fetched LOB locators know their row for writes.
  bool hidden_rowid = false;
  std::string lob_owner, lob_table;
};

RewriteResult rewrite_sql(Session& session, std::string_view oracle_sql);

}  // namespace ocilite
