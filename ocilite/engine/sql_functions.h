// SQLite user functions that give Oracle's semantics to rewritten SQL:
// NULL-aware concatenation, SUBSTR/INSTR with Oracle positions, TO_CHAR /
// TO_DATE / TO_NUMBER with the session's NLS formats, date arithmetic,
// ROWID texts and the implicit conversion of values written to columns.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "catalog/catalog.h"

struct sqlite3;

namespace ocilite {

class Session;

OraError register_sql_functions(sqlite3* db, Session* session);

// 18-character Oracle-style ROWID text for a table's data object number and
// SQLite rowid, and back (nullopt: not a ROWID we made, ORA-01410).
std::string encode_rowid(unsigned object_id, int64_t rowid);
std::optional<int64_t> decode_rowid(std::string_view text);

}  // namespace ocilite
