// Private state of a Catalog, shared by the files that implement it.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <utility>

#include "catalog/catalog.h"
#include "catalog/sqlite_util_p.h"

namespace ocilite {

// A block of sequence numbers taken from the catalogue and not yet handed
// out: `next` is the next value, `remaining` how many are left.
struct SequenceCache {
  std::int64_t next = 0;
  std::int64_t remaining = 0;
  std::int64_t increment = 1;
};

struct Catalog::Impl {
  std::mutex mutex;  // guards `db` and `sequences`
  std::unique_ptr<sqlite3, detail::DbCloser> db;
  std::map<std::pair<std::string, std::string>, SequenceCache> sequences;
};

namespace detail {
// The catalogue's tables; run on a new, empty `_catalog.db`.
extern const char* const kCatalogDdl;
// An OraError for a failed SQLite call on the catalogue connection.
OraError sqlite_failure(sqlite3* db, std::string_view what);
}  // namespace detail

}  // namespace ocilite
