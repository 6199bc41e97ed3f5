// Catalogue objects SQLite has no place for: sequences, synonyms, comments,
// object times, directory objects and stored PL/SQL sources. Each write is
// its own transaction on the catalogue's connection, so it commits at once
// and a session's rollback never undoes it (Oracle's DDL and sequences
// behave the same).
//
// Tested by tests/ocilite/catalog/catalog_test.cpp.
#include <algorithm>
#include <cctype>
#include <limits>
#include <vector>

#include "catalog/catalog.h"
#include "catalog/catalog_p.h"
#include "catalog/table_sql_p.h"

namespace ocilite {

using detail::Stmt;

namespace {

constexpr int kMaxSynonymChain = 32;

// Sequence arithmetic is done wider than the stored values so that a block
// running past MAXVALUE or the 64-bit range is seen, not wrapped.
__extension__ typedef __int128 Wide;

OraError run(sqlite3* db, Stmt& s, std::string_view what) {
  if (!s.run()) {
    if (s.rc() == SQLITE_CONSTRAINT) return ora_error(955);
    return detail::sqlite_failure(db, what);
  }
  return {};
}

std::string upper(std::string_view s) {
  std::string out;
  for (char c : s) out += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return out;
}

}  // namespace

// ---- sequences ---------------------------------------------------------------

OraError Catalog::create_sequence(std::string_view owner_in, std::string_view name_in, const SequenceOptions& o) {
  const std::string owner = normalize_name(owner_in), name = normalize_name(name_in);
  if (o.increment_by == 0) return ora_error(4002, {});
  const std::int64_t max_default = o.increment_by > 0 ? std::numeric_limits<std::int64_t>::max() : -1;
  const std::int64_t min_default = o.increment_by > 0 ? 1 : std::numeric_limits<std::int64_t>::min();
  const std::int64_t minv = o.min_value.value_or(std::min(min_default, o.start_with));
  const std::int64_t maxv = o.max_value.value_or(std::max(max_default, o.start_with));
  if (minv >= maxv) return ora_error(4004);
  if (o.start_with < minv || o.start_with > maxv) return ora_error(4006);
  std::lock_guard lock(impl_->mutex);
  Stmt s(impl_->db.get(),
         "INSERT INTO sequences (owner, sequence_name, min_value, max_value, increment_by, cycle_flag, cache_size, "
         "last_number) VALUES (?, ?, ?, ?, ?, ?, ?, ?)");
  s.bind(1, owner).bind(2, name).bind(3, minv).bind(4, maxv).bind(5, o.increment_by).bind(6, o.cycle);
  s.bind(7, std::max<std::int64_t>(o.cache, 0)).bind(8, o.start_with);
  impl_->sequences.erase({owner, name});
  return run(impl_->db.get(), s, "create sequence");
}

OraError Catalog::drop_sequence(std::string_view owner_in, std::string_view name_in) {
  const std::string owner = normalize_name(owner_in), name = normalize_name(name_in);
  std::lock_guard lock(impl_->mutex);
  impl_->sequences.erase({owner, name});
  Stmt s(impl_->db.get(), "DELETE FROM sequences WHERE owner = ? AND sequence_name = ?");
  s.bind(1, owner).bind(2, name);
  if (auto e = run(impl_->db.get(), s, "drop sequence")) return e;
  if (sqlite3_changes(impl_->db.get()) == 0) return ora_error(2289);
  return {};
}

OraError Catalog::next_value(std::string_view owner_in, std::string_view name_in, std::int64_t& value) {
  const std::string owner = normalize_name(owner_in), name = normalize_name(name_in);
  std::lock_guard lock(impl_->mutex);
  const auto key = std::make_pair(owner, name);
  if (auto it = impl_->sequences.find(key); it != impl_->sequences.end() && it->second.remaining > 0) {
    value = it->second.next;
    if (--it->second.remaining > 0) it->second.next += it->second.increment;
    return {};
  }
  // Take the next block of `cache_size` numbers; those not handed out are
  // lost when the process ends, as with Oracle's sequence cache.
  sqlite3* db = impl_->db.get();
  if (!detail::exec(db, "BEGIN IMMEDIATE")) return detail::sqlite_failure(db, "sequence");
  auto fail = [&](OraError e) {
    detail::exec(db, "ROLLBACK");
    impl_->sequences.erase(key);
    return e;
  };
  Stmt q(db,
         "SELECT min_value, max_value, increment_by, cycle_flag, cache_size, last_number FROM sequences "
         "WHERE owner = ? AND sequence_name = ?");
  q.bind(1, owner).bind(2, name);
  if (!q.step()) return fail(q.rc() == SQLITE_DONE ? ora_error(2289) : detail::sqlite_failure(db, "sequence"));
  const Wide minv = q.int64(0), maxv = q.int64(1), inc = q.int64(2), cache_size = std::max<std::int64_t>(q.int64(4), 1);
  const bool cycle = q.int64(3) != 0;
  Wide first = q.int64(5);
  if (inc > 0 ? first > maxv : first < minv) {
    if (!cycle) return fail(ora_error(8004, {name}));
    first = inc > 0 ? minv : maxv;
  }
  const Wide room = inc > 0 ? (maxv - first) / inc + 1 : (first - minv) / (-inc) + 1;
  const Wide count = std::min(cache_size, room);
  Wide after = first + inc * count;
  after = std::clamp<Wide>(after, std::numeric_limits<std::int64_t>::min(), std::numeric_limits<std::int64_t>::max());
  Stmt u(db, "UPDATE sequences SET last_number = ? WHERE owner = ? AND sequence_name = ?");
  u.bind(1, static_cast<std::int64_t>(after)).bind(2, owner).bind(3, name);
  if (!u.run() || !detail::exec(db, "COMMIT")) return fail(detail::sqlite_failure(db, "sequence"));
  value = static_cast<std::int64_t>(first);
  auto& cache = impl_->sequences[key];
  cache.increment = static_cast<std::int64_t>(inc);
  cache.remaining = static_cast<std::int64_t>(count - 1);
  cache.next = cache.remaining > 0 ? static_cast<std::int64_t>(first + inc) : 0;
  return {};
}

// ---- synonyms ------------------------------------------------------------------

OraError Catalog::create_synonym(const Synonym& syn, bool or_replace) {
  const std::string owner = normalize_name(syn.owner), name = normalize_name(syn.name);
  std::lock_guard lock(impl_->mutex);
  Stmt s(impl_->db.get(), or_replace ? "INSERT OR REPLACE INTO synonyms VALUES (?, ?, ?, ?, ?)"
                                     : "INSERT INTO synonyms VALUES (?, ?, ?, ?, ?)");
  s.bind(1, owner).bind(2, name).bind(3, normalize_name(syn.table_owner)).bind(4, normalize_name(syn.table_name));
  if (syn.db_link.empty())
    s.bind_null(5);
  else
    s.bind(5, normalize_name(syn.db_link));
  return run(impl_->db.get(), s, "create synonym");
}

OraError Catalog::drop_synonym(std::string_view owner_in, std::string_view name_in) {
  const std::string owner = normalize_name(owner_in), name = normalize_name(name_in);
  std::lock_guard lock(impl_->mutex);
  Stmt s(impl_->db.get(), "DELETE FROM synonyms WHERE owner = ? AND synonym_name = ?");
  s.bind(1, owner).bind(2, name);
  if (auto e = run(impl_->db.get(), s, "drop synonym")) return e;
  if (sqlite3_changes(impl_->db.get()) == 0) return ora_error(owner == "PUBLIC" ? 1432 : 1434);
  return {};
}

std::optional<Synonym> Catalog::find_synonym(std::string_view owner, std::string_view name) const {
  std::lock_guard lock(impl_->mutex);
  Stmt s(impl_->db.get(),
         "SELECT owner, synonym_name, table_owner, table_name, coalesce(db_link, '') FROM synonyms "
         "WHERE owner = ? AND synonym_name = ?");
  s.bind(1, normalize_name(owner)).bind(2, normalize_name(name));
  if (!s.step()) return std::nullopt;
  return Synonym{s.text(0), s.text(1), s.text(2), s.text(3), s.text(4)};
}

std::optional<std::pair<std::string, std::string>> Catalog::resolve_synonym(std::string_view owner_in,
                                                                            std::string_view name_in, bool allow_public,
                                                                            OraError* error) const {
  std::string owner = normalize_name(owner_in), name = normalize_name(name_in);
  bool found = false;
  for (int link = 0; link < kMaxSynonymChain; ++link) {
    auto syn = find_synonym(owner, name);
    if (!syn && allow_public) syn = find_synonym("PUBLIC", name);
    if (!syn || !syn->db_link.empty()) {
      if (!found) return std::nullopt;
      return std::make_pair(owner, name);
    }
    found = true;
    owner = syn->table_owner;
    name = syn->table_name;
    allow_public = false;  // a synonym's target names its owner explicitly
  }
  if (error) *error = ora_error(1775);
  return std::nullopt;
}

// ---- comments and object times -------------------------------------------------

OraError Catalog::set_table_comment(std::string_view owner, std::string_view table, std::string_view comment) {
  std::lock_guard lock(impl_->mutex);
  Stmt s(impl_->db.get(), comment.empty() ? "DELETE FROM tab_comments WHERE owner = ?1 AND table_name = ?2"
                                          : "INSERT OR REPLACE INTO tab_comments VALUES (?1, ?2, ?3)");
  s.bind(1, normalize_name(owner)).bind(2, normalize_name(table));
  if (!comment.empty()) s.bind(3, comment);
  return run(impl_->db.get(), s, "comment");
}

OraError Catalog::set_column_comment(std::string_view owner, std::string_view table, std::string_view column,
                                     std::string_view comment) {
  std::lock_guard lock(impl_->mutex);
  Stmt s(impl_->db.get(), comment.empty()
                              ? "DELETE FROM col_comments WHERE owner = ?1 AND table_name = ?2 AND column_name = ?3"
                              : "INSERT OR REPLACE INTO col_comments VALUES (?1, ?2, ?3, ?4)");
  s.bind(1, normalize_name(owner)).bind(2, normalize_name(table)).bind(3, normalize_name(column));
  if (!comment.empty()) s.bind(4, comment);
  return run(impl_->db.get(), s, "comment");
}

OraError Catalog::note_ddl(std::string_view owner, std::string_view name, std::string_view object_type) {
  std::lock_guard lock(impl_->mutex);
  Stmt s(impl_->db.get(),
         "INSERT INTO objects (owner, object_name, object_type) VALUES (?, ?, ?) "
         "ON CONFLICT (owner, object_name, object_type) DO UPDATE SET last_ddl_time = datetime('now')");
  s.bind(1, normalize_name(owner)).bind(2, normalize_name(name)).bind(3, upper(object_type));
  return run(impl_->db.get(), s, "object time");
}

OraError Catalog::forget_object(std::string_view owner_in, std::string_view name_in) {
  const std::string owner = normalize_name(owner_in), name = normalize_name(name_in);
  std::lock_guard lock(impl_->mutex);
  for (const char* sql : {"DELETE FROM tab_comments WHERE owner = ? AND table_name = ?",
                          "DELETE FROM col_comments WHERE owner = ? AND table_name = ?",
                          "DELETE FROM objects WHERE owner = ? AND object_name = ? AND object_type IN "
                          "('TABLE', 'VIEW', 'INDEX')"}) {
    Stmt s(impl_->db.get(), sql);
    s.bind(1, owner).bind(2, name);
    if (auto e = run(impl_->db.get(), s, "drop")) return e;
  }
  return {};
}

// ---- directories --------------------------------------------------------------

OraError Catalog::create_directory(std::string_view name, const std::filesystem::path& path, bool or_replace) {
  std::lock_guard lock(impl_->mutex);
  Stmt s(impl_->db.get(),
         or_replace ? "INSERT OR REPLACE INTO directories VALUES (?, ?)" : "INSERT INTO directories VALUES (?, ?)");
  s.bind(1, normalize_name(name)).bind(2, path.string());
  return run(impl_->db.get(), s, "create directory");
}

OraError Catalog::drop_directory(std::string_view name) {
  std::lock_guard lock(impl_->mutex);
  Stmt s(impl_->db.get(), "DELETE FROM directories WHERE directory_name = ?");
  s.bind(1, normalize_name(name));
  if (auto e = run(impl_->db.get(), s, "drop directory")) return e;
  if (sqlite3_changes(impl_->db.get()) == 0) return ora_error(4043, {normalize_name(name)});
  return {};
}

std::optional<std::filesystem::path> Catalog::directory_path(std::string_view name) const {
  std::lock_guard lock(impl_->mutex);
  Stmt s(impl_->db.get(), "SELECT directory_path FROM directories WHERE directory_name = ?");
  s.bind(1, normalize_name(name));
  if (!s.step()) return std::nullopt;
  std::filesystem::path p = s.text(0);
  return p.is_relative() ? folder_ / p : p;
}

// ---- stored PL/SQL ----------------------------------------------------------------

OraError Catalog::store_plsql(const PlsqlUnit& unit, bool or_replace) {
  const std::string owner = normalize_name(unit.owner), name = normalize_name(unit.name), type = upper(unit.type);
  detail::TriggerHeader trigger;
  if (type == "TRIGGER") trigger = detail::trigger_header(unit.source, owner);
  std::lock_guard lock(impl_->mutex);
  sqlite3* db = impl_->db.get();
  Stmt s(db, or_replace ? "INSERT OR REPLACE INTO plsql VALUES (?1, ?2, ?3, ?4, ?9, ?5, ?6, ?7, ?8)"
                        : "INSERT INTO plsql VALUES (?1, ?2, ?3, ?4, ?9, ?5, ?6, ?7, ?8)");
  s.bind(1, owner).bind(2, name).bind(3, type).bind(4, unit.source).bind(9, std::string(unit.valid ? "VALID" : "INVALID"));
  if (type == "TRIGGER")
    s.bind(5, trigger.table_owner)
        .bind(6, trigger.table_name)
        .bind(7, trigger.trigger_type)
        .bind(8, trigger.triggering_event);
  if (auto e = run(db, s, "store " + type)) return e;
  Stmt t(db,
         "INSERT INTO objects (owner, object_name, object_type) VALUES (?, ?, ?) "
         "ON CONFLICT (owner, object_name, object_type) DO UPDATE SET last_ddl_time = datetime('now')");
  t.bind(1, owner).bind(2, name).bind(3, type);
  return run(db, t, "object time");
}

OraError Catalog::drop_plsql(std::string_view owner_in, std::string_view name_in, std::string_view type_in) {
  const std::string owner = normalize_name(owner_in), name = normalize_name(name_in), type = upper(type_in);
  std::lock_guard lock(impl_->mutex);
  sqlite3* db = impl_->db.get();
  // Dropping a package drops its body too.
  Stmt s(db,
         "DELETE FROM plsql WHERE owner = ?1 AND name = ?2 AND (type = ?3 OR (?3 = 'PACKAGE' AND type = "
         "'PACKAGE BODY') OR (?3 = 'TYPE' AND type = 'TYPE BODY'))");
  s.bind(1, owner).bind(2, name).bind(3, type);
  if (auto e = run(db, s, "drop " + type)) return e;
  if (sqlite3_changes(db) == 0) return type == "TRIGGER" ? ora_error(4080, {name}) : ora_error(4043, {name});
  Stmt t(db,
         "DELETE FROM objects WHERE owner = ?1 AND object_name = ?2 AND (object_type = ?3 OR (?3 = 'PACKAGE' "
         "AND object_type = 'PACKAGE BODY') OR (?3 = 'TYPE' AND object_type = 'TYPE BODY'))");
  t.bind(1, owner).bind(2, name).bind(3, type);
  return run(db, t, "drop " + type);
}

std::optional<PlsqlUnit> Catalog::find_plsql(std::string_view owner, std::string_view name,
                                             std::string_view type) const {
  std::lock_guard lock(impl_->mutex);
  Stmt s(impl_->db.get(), "SELECT owner, name, type, source FROM plsql WHERE owner = ? AND name = ? AND type = ?");
  s.bind(1, normalize_name(owner)).bind(2, normalize_name(name)).bind(3, upper(type));
  if (!s.step()) return std::nullopt;
  return PlsqlUnit{s.text(0), s.text(1), s.text(2), s.text(3)};
}

}  // namespace ocilite
