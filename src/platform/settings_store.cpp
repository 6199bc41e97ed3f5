#include "platform/settings_store.h"

#include <sys/stat.h>

#include "platform/environment.h"
#include "platform/utf16.h"

namespace kestrel {

IniSettingsStore::IniSettingsStore(std::filesystem::path file, mode_t mode_for_new, mode_t folder_mode)
    : file_(std::move(file)), mode_for_new_(mode_for_new), folder_mode_(folder_mode) {}

IniSettingsStore::Stamp IniSettingsStore::stamp() const {
  struct stat st {};
  Stamp s;
  if (::stat(file_.c_str(), &st) != 0) return s;
  s.exists = true;
  s.mtime_ns = static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
  s.size = static_cast<int64_t>(st.st_size);
  s.inode = static_cast<uint64_t>(st.st_ino);
  return s;
}

const IniFile& IniSettingsStore::current() const {
  if (batch_depth_ > 0) return pending_;
  Stamp now = stamp();
  if (!cache_valid_ || !(now == cache_stamp_)) {
    std::u16string err;
    if (cache_.load(file_, &err) == ReadStatus::Failed) error_ = err;
    cache_stamp_ = now;
    cache_valid_ = true;
  }
  return cache_;
}

int32_t IniSettingsStore::get_int(std::u16string_view section, std::u16string_view key, int32_t def) const {
  return current().get_int(section, key, def);
}

std::u16string IniSettingsStore::get_string(std::u16string_view section, std::u16string_view key,
                                            std::u16string_view def) const {
  return current().get_string(section, key, def);
}

bool IniSettingsStore::load_for_write() {
  std::u16string err;
  if (pending_.load(file_, &err) == ReadStatus::Failed) {
    error_ = err;
    return false;
  }
  return true;
}

bool IniSettingsStore::flush() {
  if (folder_mode_ != 0) {
    std::u16string err;
    if (!create_folders(file_.parent_path(), folder_mode_, &err)) {
      error_ = err;
      return false;
    }
  }
  std::u16string err;
  if (!pending_.save(file_, mode_for_new_, &err)) {
    error_ = err;
    return false;
  }
  cache_ = pending_;
  cache_stamp_ = stamp();
  cache_valid_ = true;
  return true;
}

bool IniSettingsStore::write_string(std::u16string_view section, std::u16string_view key,
                                    std::u16string_view value) {
  if (batch_depth_ > 0) {
    if (!batch_ok_) return false;
    if (!pending_.set_string(section, key, value)) {
      error_ = u"[" + std::u16string(section) + u"] " + std::u16string(key) + u": value cannot be stored";
      return false;
    }
    pending_dirty_ = true;
    return true;
  }
  if (!load_for_write()) return false;
  if (!pending_.set_string(section, key, value)) {
    error_ = u"[" + std::u16string(section) + u"] " + std::u16string(key) + u": value cannot be stored";
    return false;
  }
  return flush();
}

bool IniSettingsStore::remove_key(std::u16string_view section, std::u16string_view key) {
  if (batch_depth_ > 0) {
    if (!batch_ok_) return false;
    if (pending_.erase_key(section, key)) pending_dirty_ = true;
    return true;
  }
  if (!load_for_write()) return false;
  if (!pending_.erase_key(section, key)) return true;  // nothing to remove: no write
  return flush();
}

bool IniSettingsStore::write_int(std::u16string_view section, std::u16string_view key, int32_t value) {
  return write_string(section, key, to_u16(value));
}

void IniSettingsStore::begin_batch() {
  if (batch_depth_++ > 0) return;
  batch_ok_ = load_for_write();
  pending_dirty_ = false;
}

bool IniSettingsStore::end_batch() {
  if (batch_depth_ == 0) return false;
  if (--batch_depth_ > 0) return batch_ok_;
  bool ok = batch_ok_ && (!pending_dirty_ || flush());
  pending_dirty_ = false;
  return ok;
}

std::u16string IniSettingsStore::location() const { return path_text(file_); }

std::filesystem::path user_settings_file(std::u16string_view company, std::u16string_view app) {
  std::filesystem::path p = user_config_home();
  std::size_t start = 0;
  while (start <= company.size()) {
    std::size_t sep = company.find_first_of(u"\\/", start);
    std::u16string_view part = company.substr(start, sep == std::u16string_view::npos ? sep : sep - start);
    if (!part.empty()) p /= to_path(part);
    if (sep == std::u16string_view::npos) break;
    start = sep + 1;
  }
  return p / to_path(std::u16string(app) + u".ini");
}

std::unique_ptr<IniSettingsStore> open_user_settings_store(std::u16string_view company, std::u16string_view app) {
  return std::make_unique<IniSettingsStore>(user_settings_file(company, app), 0600, 0700);
}

namespace {
std::pair<std::u16string, std::u16string> mem_key(std::u16string_view section, std::u16string_view key) {
  return {ascii_upper(trim_blanks(section)), ascii_upper(trim_blanks(key))};
}
}  // namespace

int32_t MemorySettingsStore::get_int(std::u16string_view section, std::u16string_view key, int32_t def) const {
  auto it = values_.find(mem_key(section, key));
  if (it == values_.end() || it->second.empty()) return def;
  return parse_leading_int(it->second);
}

std::u16string MemorySettingsStore::get_string(std::u16string_view section, std::u16string_view key,
                                               std::u16string_view def) const {
  auto it = values_.find(mem_key(section, key));
  return it == values_.end() ? std::u16string(def) : it->second;
}

bool MemorySettingsStore::write_int(std::u16string_view section, std::u16string_view key, int32_t value) {
  return write_string(section, key, to_u16(value));
}

bool MemorySettingsStore::write_string(std::u16string_view section, std::u16string_view key,
                                       std::u16string_view value) {
  values_[mem_key(section, key)] = std::u16string(value);
  return true;
}

bool MemorySettingsStore::remove_key(std::u16string_view section, std::u16string_view key) {
  values_.erase(mem_key(section, key));
  return true;
}

bool MemorySettingsStore::contains(std::u16string_view section, std::u16string_view key) const {
  return values_.count(mem_key(section, key)) != 0;
}

}  // namespace kestrel
