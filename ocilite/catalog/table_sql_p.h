// Reads the constraints of a CREATE TABLE text as SQLite stores it, for the
// names and conditions SQLite keeps nowhere else (all_constraints).
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace ocilite::detail {

struct TableConstraint {
  char kind = 0;       // 'P' primary key, 'U' unique, 'R' foreign key, 'C' check, 'N' NOT NULL
  std::string name;    // as declared (quotes removed); empty when unnamed
  std::string column;  // for a column constraint: its column
  std::string text;    // CHECK condition text
};

// Constraints in the order they are written: column constraints as their
// columns come, then table constraints. Never fails; unreadable text gives
// what could be read.
std::vector<TableConstraint> table_constraints(std::string_view create_sql);

// What all_triggers shows of a trigger, read from its CREATE TRIGGER text
// (Oracle's or SQLite's): "BEFORE EACH ROW", "INSERT OR UPDATE", the table.
struct TriggerHeader {
  std::string table_owner, table_name, trigger_type, triggering_event;
};
TriggerHeader trigger_header(std::string_view source, std::string_view default_owner);

}  // namespace ocilite::detail
