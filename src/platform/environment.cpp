#include "platform/environment.h"

#include <pwd.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>
#include <vector>

#include "platform/utf16.h"

namespace kestrel {

std::filesystem::path to_path(std::u16string_view text) { return std::filesystem::path(utf16_to_utf8(text)); }

std::u16string path_text(const std::filesystem::path& path) { return utf8_to_utf16(path.native()); }

std::optional<std::u16string> get_env(std::u16string_view name) {
  const char* v = ::getenv(utf16_to_utf8(name).c_str());
  if (!v) return std::nullopt;
  return utf8_to_utf16(v);
}

bool set_env(std::u16string_view name, std::u16string_view value) {
  if (name.empty() || name.find(u'=') != std::u16string_view::npos) return false;
  return ::setenv(utf16_to_utf8(name).c_str(), utf16_to_utf8(value).c_str(), 1) == 0;
}

bool put_env(std::u16string_view assignment) {
  std::size_t eq = assignment.find(u'=');
  if (eq == std::u16string_view::npos || eq == 0) return false;
  return set_env(assignment.substr(0, eq), assignment.substr(eq + 1));
}

bool unset_env(std::u16string_view name) { return ::unsetenv(utf16_to_utf8(name).c_str()) == 0; }

std::filesystem::path program_path() {
  std::error_code ec;
  std::filesystem::path p = std::filesystem::read_symlink("/proc/self/exe", ec);
  return ec ? std::filesystem::path() : p;
}

std::filesystem::path program_folder() { return program_path().parent_path(); }

std::u16string program_folder_text() {
  std::u16string t = path_text(program_folder());
  if (t.empty() || t.back() != u'/') t += u'/';
  return t;
}

std::filesystem::path current_directory() {
  std::error_code ec;
  std::filesystem::path p = std::filesystem::current_path(ec);
  return ec ? std::filesystem::path() : p;
}

bool set_current_directory(const std::filesystem::path& folder, std::u16string* error) {
  if (::chdir(folder.c_str()) == 0) return true;
  if (error) *error = utf8_to_utf16(folder.string() + ": " + std::generic_category().message(errno));
  return false;
}

bool is_existing_folder(std::u16string_view text) {
  while (text.size() > 1 && (text.back() == u'/' || text.back() == u'\\')) text.remove_suffix(1);
  if (text.empty()) return false;
  struct stat st {};
  return ::stat(utf16_to_utf8(text).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool is_existing_file(const std::filesystem::path& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

std::filesystem::path user_config_home() {
  if (const char* x = ::getenv("XDG_CONFIG_HOME"); x && x[0] == '/') return x;
  if (const char* h = ::getenv("HOME"); h && *h) return std::filesystem::path(h) / ".config";
  std::vector<char> buf(16384);
  struct passwd pw {};
  struct passwd* found = nullptr;
  if (::getpwuid_r(::getuid(), &pw, buf.data(), buf.size(), &found) == 0 && found && found->pw_dir)
    return std::filesystem::path(found->pw_dir) / ".config";
  return std::filesystem::path("/tmp") / ".config";
}

}  // namespace kestrel
