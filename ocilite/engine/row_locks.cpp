#include "row_locks.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <functional>
#include <map>
#include <mutex>
#include <string>

namespace ocilite {
namespace fs = std::filesystem;

namespace {

constexpr uint64_t kRowMask = (uint64_t{1} << RowLocks::kRowBits) - 1;

// Where the lock file cannot be made (a read-only folder), sessions of this
// process still exclude each other through this table.
struct ProcessLocks {
  std::mutex mutex;
  std::map<std::pair<std::string, uint64_t>, const RowLocks*> owners;
};
ProcessLocks& process_locks() {
  static ProcessLocks p;
  return p;
}

}  // namespace

RowLocks::RowLocks(const fs::path& folder) : file_(folder / "_rowlocks") {
  fd_ = ::open(file_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
}

RowLocks::~RowLocks() {
  release_all();
  if (fd_ >= 0) ::close(fd_);
}

uint64_t RowLocks::key(unsigned object_id, int64_t rowid) {
  return (static_cast<uint64_t>(object_id) << kRowBits) | (static_cast<uint64_t>(rowid) & kRowMask);
}

uint64_t RowLocks::key(unsigned object_id, std::string_view primary_key) {
  uint64_t h = 1469598103934665603ull;  // FNV-1a
  for (unsigned char c : primary_key) h = (h ^ c) * 1099511628211ull;
  return key(object_id, static_cast<int64_t>(h & kRowMask));
}

std::string RowLocks::keyed_row(uint64_t key, std::string_view logical_rowid) {
  std::string out(8, '\0');
  for (int i = 0; i < 8; ++i) out[static_cast<size_t>(i)] = static_cast<char>(key >> (8 * i));
  out.append(logical_rowid);
  return out;
}

uint64_t RowLocks::key_of_keyed_row(std::string_view keyed_row) {
  uint64_t key = 0;
  for (size_t i = 0; i < 8 && i < keyed_row.size(); ++i)
    key |= static_cast<uint64_t>(static_cast<unsigned char>(keyed_row[i])) << (8 * i);
  return key;
}

std::string_view RowLocks::rowid_of_keyed_row(std::string_view keyed_row) {
  return keyed_row.size() > 8 ? keyed_row.substr(8) : std::string_view();
}

bool RowLocks::lock_byte(uint64_t key, bool lock) {
  if (fd_ < 0) {
    ProcessLocks& p = process_locks();
    std::lock_guard guard(p.mutex);
    auto k = std::make_pair(file_.string(), key);
    auto it = p.owners.find(k);
    if (!lock) {
      if (it != p.owners.end() && it->second == this) p.owners.erase(it);
      return true;
    }
    if (it != p.owners.end()) return it->second == this;
    p.owners.emplace(k, this);
    return true;
  }
  struct flock fl {};
  fl.l_type = static_cast<short>(lock ? F_WRLCK : F_UNLCK);
  fl.l_whence = SEEK_SET;
  fl.l_start = static_cast<off_t>(key);
  fl.l_len = 1;
  for (;;) {
    if (::fcntl(fd_, F_OFD_SETLK, &fl) == 0) return true;
    if (errno != EINTR) return false;
  }
}

bool RowLocks::try_lock(uint64_t key) {
  if (held_.count(key)) return true;
  if (!lock_byte(key, true)) return false;
  held_.insert(key);
  taken_.push_back(key);
  return true;
}

void RowLocks::release_after(size_t mark) {
  while (taken_.size() > mark) {
    uint64_t k = taken_.back();
    taken_.pop_back();
    held_.erase(k);
    lock_byte(k, false);
  }
}

}  // namespace ocilite
