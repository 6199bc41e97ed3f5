// Which settings store the program uses, and the switch between the two.
//
// INI mode: "<program folder>/kestrel.ini", chosen only when that file exists
// and its APPLICATION/USE_INI_FILE is 1. Otherwise the per-user store
// ($XDG_CONFIG_HOME/BRANT/ORACLE/kestrel.ini), which stands in for the
// per-user registry tree. The sibling product's store is chosen by the same
// rule each time it is needed.
//
// Switching stores carries the settings over: the settings table and the
// font are written by the switch itself; every other owner of stored data
// (key assignments, connection profiles) registers a StoreParticipant and is
// asked to read its data from the old store and write it into the new one.
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "app/app_settings.h"
#include "platform/settings_store.h"

namespace kestrel {

inline constexpr std::u16string_view kCompanyKey = u"BRANT\\ORACLE";
inline constexpr std::u16string_view kAppName = u"kestrel";
inline constexpr std::u16string_view kSiblingAppName = u"plover";
inline constexpr std::u16string_view kUseIniFileKey = u"USE_INI_FILE";

struct StoreChoice {
  bool ini_mode = false;
  std::filesystem::path ini_file;  // "<program folder>/<app>.ini"
};

// The choice rule for `app` ("kestrel" or "plover").
StoreChoice choose_store(const std::filesystem::path& program_folder, std::u16string_view app);
std::unique_ptr<SettingsStore> open_store(const StoreChoice& choice, std::u16string_view app);

class StoreParticipant {
 public:
  virtual ~StoreParticipant() = default;
  // Reads this participant's stored data from the store about to be left.
  virtual void read_before_switch(const SettingsStore& old_store) = 0;
  // Writes that data into the new store; false when a write failed.
  virtual bool write_after_switch(SettingsStore& new_store) = 0;
};

class AppSettingsStore {
 public:
  explicit AppSettingsStore(std::filesystem::path program_folder, std::u16string app = std::u16string(kAppName));

  // First step of start-up: picks the store by the rule above.
  void choose();
  SettingsStore& store() { return *store_; }
  const SettingsStore& store() const { return *store_; }
  // 1 = INI file beside the program, 0 = per-user store.
  bool ini_mode() const { return ini_mode_; }
  const std::filesystem::path& program_folder() const { return program_folder_; }

  // The sibling product's store, chosen anew on every call (not cached).
  std::unique_ptr<SettingsStore> sibling_store() const;

  // Participants are asked in registration order; they must outlive their
  // registration.
  void add_participant(StoreParticipant* p);
  void remove_participant(StoreParticipant* p);

  // Switches to the INI store (true) or the per-user store (false) and saves
  // `settings` (with their font) and every participant's data into it. The
  // old store keeps its content. When the new store cannot be written, or an
  // INI store being left cannot record the change (it would choose itself
  // again at the next start), the switch is refused (the old store's
  // USE_INI_FILE restored) and `error` says why; everything stays as it was.
  bool switch_store(bool to_ini, const AppSettings& settings, std::u16string* error = nullptr);

  // Test seam: replaces the store in use.
  void set_store_for_testing(std::unique_ptr<SettingsStore> store, bool ini_mode);

 private:
  std::filesystem::path program_folder_;
  std::u16string app_;
  std::unique_ptr<SettingsStore> store_;
  bool ini_mode_ = false;
  std::vector<StoreParticipant*> participants_;
};

}  // namespace kestrel
