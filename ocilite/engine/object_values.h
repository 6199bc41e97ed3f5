// Values of object, collection and REF columns inside the engine: the SQL
// functions that build them (constructor calls, REF(alias)), the check of
// a value assigned to such a column, the text SQL tools show for them, and
// the REF text.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "catalog/object_type.h"

struct sqlite3;

namespace ocilite {

class Session;

// ocilite_construct(type key, member kinds, args...): the stored text of a
// constructor call; ocilite_ref(owner.table, rowid): a REF to a row.
OraError register_object_functions(sqlite3* db, Session* session);

// A value assigned to a column (or attribute) of user-defined type `t`:
// an object or collection text of exactly that type, or a REF text. The
// error is ORA-00932 naming the expected type.
OraError check_user_defined_value(const OracleType& t, std::string_view text);

// How SQL tools show a stored value: ADDRESS_T('東京都', '100-0001'),
// PHONE_LIST_T('03-1234-5678'), NULL for NULL attributes.
std::string object_display_text(std::string_view stored, Session& session);

// REF texts: hexadecimal, naming the row's table and its rowid.
std::string make_ref_text(std::string_view owner, std::string_view table, int64_t rowid);
struct RefTarget {
  std::string owner, table;
  int64_t rowid = 0;
};
std::optional<RefTarget> parse_ref_text(std::string_view hex);

}  // namespace ocilite
