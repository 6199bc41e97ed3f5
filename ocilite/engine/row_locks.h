// Row locks of one session, shared with every other session on the same
// database folder, in this process or another: one byte of the folder's
// lock file `_rowlocks` per row, locked with an open-file-description lock
// (F_OFD_SETLK), so that locks belong to the session's own descriptor,
// conflict between sessions of one process, and vanish with the process.
//
// SQLite allows one writer per schema file; rows locked here are what
// Oracle's row locks promise on top of that: SELECT ... FOR UPDATE takes
// only row locks (no write lock), and a DML statement checks each row it
// changes (a TEMP trigger calls ocilite_lock_row), so two sessions may hold
// different rows of one table while a second claim on the same row gets
// ORA-00054 or waits.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace ocilite {

class RowLocks {
 public:
  explicit RowLocks(const std::filesystem::path& folder);
  ~RowLocks();
  RowLocks(const RowLocks&) = delete;
  RowLocks& operator=(const RowLocks&) = delete;

  static constexpr int kRowBits = 36;  // of a key: the row's part below the table's
  // The lock key of a row: the table's data object number and its rowid,
  // or (index-organised tables) a hash of its primary key text.
  static uint64_t key(unsigned object_id, int64_t rowid);
  static uint64_t key(unsigned object_id, std::string_view primary_key);
  static unsigned object_of(uint64_t key) { return static_cast<unsigned>(key >> kRowBits); }

  // The hidden lock column of a FOR UPDATE query carries the key alone for
  // a table with rowids. For an index-organised table it is the key's 8
  // bytes followed by the row's logical ROWID (its primary key values), so
  // that LOB locators fetched with the row can find it again.
  static std::string keyed_row(uint64_t key, std::string_view logical_rowid);
  static uint64_t key_of_keyed_row(std::string_view keyed_row);
  static std::string_view rowid_of_keyed_row(std::string_view keyed_row);

  // Takes a row for this session; false when another session holds it.
  bool try_lock(uint64_t key);
  bool holds(uint64_t key) const { return held_.count(key) != 0; }
  size_t count() const { return taken_.size(); }
  // Gives back the locks taken after the first `mark` ones (savepoints,
  // a failed statement).
  void release_after(size_t mark);
  void release_all() { release_after(0); }

 private:
  bool lock_byte(uint64_t key, bool lock);
  int fd_ = -1;
  std::filesystem::path file_;
  std::vector<uint64_t> taken_;  // in the order taken
  std::unordered_set<uint64_t> held_;
};

}  // namespace ocilite
