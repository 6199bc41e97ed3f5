// Where the program keeps its settings: pairs (section, key) holding an
// integer or a string, behind four operations. Two stores exist: an INI file
// (beside the program, or the per-user file that stands in for the per-user
// registry tree), and an in-memory one for tests and tools.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <utility>

#include "platform/ini_file.h"

namespace kestrel {

class SettingsStore {
 public:
  virtual ~SettingsStore() = default;
  // A missing section, key or store gives the default.
  virtual int32_t get_int(std::u16string_view section, std::u16string_view key, int32_t def) const = 0;
  virtual std::u16string get_string(std::u16string_view section, std::u16string_view key,
                                    std::u16string_view def) const = 0;
  // Integers are stored as decimal text. False when the value could not be
  // stored; last_error() then says why.
  virtual bool write_int(std::u16string_view section, std::u16string_view key, int32_t value) = 0;
  virtual bool write_string(std::u16string_view section, std::u16string_view key, std::u16string_view value) = 0;
  // Removes a key, so a later read gives the default. Removing a key that is
  // not there succeeds. Stores that cannot remove keys blank the value.
  virtual bool remove_key(std::u16string_view section, std::u16string_view key) {
    return write_string(section, key, u"");
  }

  // Writes between begin_batch() and end_batch() reach the backing file
  // together, in one atomic replacement. Batches nest; the outermost end
  // writes. end_batch() is false when that write failed.
  virtual void begin_batch() {}
  virtual bool end_batch() { return true; }

  virtual std::u16string last_error() const { return {}; }
  // Where the store lives, for messages ("/home/u/.config/BRANT/ORACLE/kestrel.ini").
  virtual std::u16string location() const = 0;
};

// Groups writes for its lifetime (see begin_batch).
class SettingsBatch {
 public:
  explicit SettingsBatch(SettingsStore& store) : store_(&store) { store_->begin_batch(); }
  ~SettingsBatch() { commit(); }
  SettingsBatch(const SettingsBatch&) = delete;
  SettingsBatch& operator=(const SettingsBatch&) = delete;
  // Ends the batch now; the result of the write.
  bool commit() {
    if (!store_) return ok_;
    ok_ = store_->end_batch();
    store_ = nullptr;
    return ok_;
  }

 private:
  SettingsStore* store_;
  bool ok_ = true;
};

// An INI file as a settings store. Reads are served from the parsed file,
// re-read whenever the file changes on disk; each write (or batch) re-reads
// the file, changes its keys and replaces the file atomically, so keys that
// another program wrote meanwhile survive. A file that exists but cannot be
// read gives defaults and refuses writes, so it is never overwritten blindly.
// Use from one thread at a time (the user-interface thread).
class IniSettingsStore final : public SettingsStore {
 public:
  // `mode_for_new` applies when the file is created. With `folder_mode` set,
  // missing parent folders are created with that mode on the first write.
  IniSettingsStore(std::filesystem::path file, mode_t mode_for_new, mode_t folder_mode = 0);

  int32_t get_int(std::u16string_view section, std::u16string_view key, int32_t def) const override;
  std::u16string get_string(std::u16string_view section, std::u16string_view key,
                            std::u16string_view def) const override;
  bool write_int(std::u16string_view section, std::u16string_view key, int32_t value) override;
  bool write_string(std::u16string_view section, std::u16string_view key, std::u16string_view value) override;
  bool remove_key(std::u16string_view section, std::u16string_view key) override;
  void begin_batch() override;
  bool end_batch() override;
  std::u16string last_error() const override { return error_; }
  std::u16string location() const override;

  const std::filesystem::path& file() const { return file_; }

 private:
  struct Stamp {
    bool exists = false;
    int64_t mtime_ns = 0;
    int64_t size = 0;
    uint64_t inode = 0;
    bool operator==(const Stamp&) const = default;
  };
  Stamp stamp() const;
  const IniFile& current() const;
  bool load_for_write();
  bool flush();

  std::filesystem::path file_;
  mode_t mode_for_new_;
  mode_t folder_mode_;
  mutable IniFile cache_;
  mutable Stamp cache_stamp_;
  mutable bool cache_valid_ = false;
  mutable std::u16string error_;
  IniFile pending_;
  int batch_depth_ = 0;
  bool batch_ok_ = true;
  bool pending_dirty_ = false;
};

// The per-user store that replaces the registry tree
// HKCU\Software\<company>\<app>: the INI file
// $XDG_CONFIG_HOME/<company>/<app>.ini (default ~/.config), where the
// company key's backslashes become folders ("BRANT\ORACLE" -> BRANT/ORACLE).
// The file is created with mode 0600 and its folders with 0700.
std::filesystem::path user_settings_file(std::u16string_view company, std::u16string_view app);
std::unique_ptr<IniSettingsStore> open_user_settings_store(std::u16string_view company, std::u16string_view app);

// Settings in memory, for tests and for tools that must not touch the disk.
class MemorySettingsStore final : public SettingsStore {
 public:
  int32_t get_int(std::u16string_view section, std::u16string_view key, int32_t def) const override;
  std::u16string get_string(std::u16string_view section, std::u16string_view key,
                            std::u16string_view def) const override;
  bool write_int(std::u16string_view section, std::u16string_view key, int32_t value) override;
  bool write_string(std::u16string_view section, std::u16string_view key, std::u16string_view value) override;
  bool remove_key(std::u16string_view section, std::u16string_view key) override;
  std::u16string location() const override { return u"(memory)"; }

  bool contains(std::u16string_view section, std::u16string_view key) const;
  std::size_t size() const { return values_.size(); }

 private:
  // Keys are stored upper-cased: names compare case-insensitively.
  std::map<std::pair<std::u16string, std::u16string>, std::u16string> values_;
};

}  // namespace kestrel
