#include "platform/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <system_error>

#include "platform/utf16.h"

namespace kestrel {
namespace {

std::atomic<AtomicWriteHook> g_write_hook{nullptr};

std::u16string errno_text(const std::filesystem::path& file, int err) {
  return utf8_to_utf16(file.string() + ": " + std::generic_category().message(err));
}

void set_error(std::u16string* error, std::u16string text) {
  if (error) *error = std::move(text);
}

class Fd {
 public:
  explicit Fd(int fd) : fd_(fd) {}
  ~Fd() { reset(); }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  int get() const { return fd_; }
  bool ok() const { return fd_ >= 0; }
  int release_close() {
    int r = ::close(fd_);
    fd_ = -1;
    return r;
  }
  void reset() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
  }

 private:
  int fd_;
};

bool write_all(int fd, std::string_view bytes) {
  const char* p = bytes.data();
  std::size_t left = bytes.size();
  while (left > 0) {
    ssize_t n = ::write(fd, p, left);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    p += n;
    left -= static_cast<std::size_t>(n);
  }
  return true;
}

// The file a write really replaces: the end of a chain of symbolic links.
std::filesystem::path write_target(const std::filesystem::path& file) {
  std::filesystem::path p = file;
  for (int depth = 0; depth < 40; ++depth) {
    std::error_code ec;
    if (!std::filesystem::is_symlink(p, ec)) return p;
    std::filesystem::path link = std::filesystem::read_symlink(p, ec);
    if (ec) return p;
    p = link.is_absolute() ? link : p.parent_path() / link;
  }
  return p;
}

}  // namespace

ReadStatus read_file_bytes(const std::filesystem::path& file, std::string& out, std::u16string* error,
                           std::size_t max_bytes) {
  out.clear();
  Fd fd(::open(file.c_str(), O_RDONLY | O_CLOEXEC));
  if (!fd.ok()) {
    int err = errno;
    set_error(error, errno_text(file, err));
    return err == ENOENT ? ReadStatus::Missing : ReadStatus::Failed;
  }
  struct stat st {};
  if (::fstat(fd.get(), &st) != 0) {
    set_error(error, errno_text(file, errno));
    return ReadStatus::Failed;
  }
  if (S_ISDIR(st.st_mode)) {
    set_error(error, errno_text(file, EISDIR));
    return ReadStatus::Failed;
  }
  if (S_ISREG(st.st_mode) && static_cast<std::size_t>(st.st_size) > max_bytes) {
    set_error(error, errno_text(file, EFBIG));
    return ReadStatus::Failed;
  }
  if (S_ISREG(st.st_mode)) out.reserve(static_cast<std::size_t>(st.st_size));
  char buf[65536];
  for (;;) {
    ssize_t n = ::read(fd.get(), buf, sizeof buf);
    if (n < 0) {
      if (errno == EINTR) continue;
      set_error(error, errno_text(file, errno));
      out.clear();
      return ReadStatus::Failed;
    }
    if (n == 0) break;
    if (out.size() + static_cast<std::size_t>(n) > max_bytes) {
      set_error(error, errno_text(file, EFBIG));
      out.clear();
      return ReadStatus::Failed;
    }
    out.append(buf, static_cast<std::size_t>(n));
  }
  return ReadStatus::Ok;
}

bool write_file_atomic(const std::filesystem::path& file, std::string_view bytes, mode_t mode_for_new,
                       std::u16string* error) {
  const std::filesystem::path target = write_target(file);
  std::filesystem::path folder = target.parent_path();
  if (folder.empty()) folder = ".";

  mode_t mode = mode_for_new;
  struct stat st {};
  if (::stat(target.c_str(), &st) == 0) {
    if (S_ISDIR(st.st_mode)) {
      set_error(error, errno_text(target, EISDIR));
      return false;
    }
    mode = st.st_mode & 07777;
  }

  std::string temp = (folder / ("." + target.filename().string() + ".tmp-XXXXXX")).string();
  Fd fd(::mkostemp(temp.data(), O_CLOEXEC));
  if (!fd.ok()) {
    set_error(error, errno_text(target, errno));
    return false;
  }
  auto fail = [&](int err) {
    fd.reset();
    ::unlink(temp.c_str());
    set_error(error, errno_text(target, err));
    return false;
  };
  if (::fchmod(fd.get(), mode) != 0) return fail(errno);
  if (!write_all(fd.get(), bytes)) return fail(errno);
  if (::fsync(fd.get()) != 0) return fail(errno);
  if (fd.release_close() != 0) return fail(errno);
  if (AtomicWriteHook hook = g_write_hook.load()) hook(temp);
  if (::rename(temp.c_str(), target.c_str()) != 0) {
    int err = errno;
    ::unlink(temp.c_str());
    set_error(error, errno_text(target, err));
    return false;
  }
  // Make the rename itself durable.
  Fd dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (dir.ok()) ::fsync(dir.get());
  return true;
}

AtomicWriteHook set_atomic_write_hook(AtomicWriteHook hook) { return g_write_hook.exchange(hook); }

bool create_folders(const std::filesystem::path& folder, mode_t mode, std::u16string* error) {
  if (folder.empty()) return true;
  struct stat st {};
  if (::stat(folder.c_str(), &st) == 0) {
    if (S_ISDIR(st.st_mode)) return true;
    set_error(error, errno_text(folder, ENOTDIR));
    return false;
  }
  std::filesystem::path parent = folder.parent_path();
  if (!parent.empty() && parent != folder && !create_folders(parent, mode, error)) return false;
  if (::mkdir(folder.c_str(), mode) != 0 && errno != EEXIST) {
    set_error(error, errno_text(folder, errno));
    return false;
  }
  return true;
}

}  // namespace kestrel
