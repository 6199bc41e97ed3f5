#include "app/app_store.h"

#include <algorithm>

#include "platform/environment.h"

namespace kestrel {

StoreChoice choose_store(const std::filesystem::path& program_folder, std::u16string_view app) {
  StoreChoice c;
  c.ini_file = program_folder / to_path(std::u16string(app) + u".ini");
  if (is_existing_file(c.ini_file))
    c.ini_mode = get_private_profile_int(section::kApplication, kUseIniFileKey, 0, c.ini_file) == 1;
  return c;
}

std::unique_ptr<SettingsStore> open_store(const StoreChoice& choice, std::u16string_view app) {
  // The INI file beside the program can hold connection profiles too, so a
  // new one is private to its owner like the per-user file.
  if (choice.ini_mode) return std::make_unique<IniSettingsStore>(choice.ini_file, 0600);
  return open_user_settings_store(kCompanyKey, app);
}

AppSettingsStore::AppSettingsStore(std::filesystem::path program_folder, std::u16string app)
    : program_folder_(std::move(program_folder)), app_(std::move(app)) {
  store_ = std::make_unique<MemorySettingsStore>();
}

void AppSettingsStore::choose() {
  StoreChoice c = choose_store(program_folder_, app_);
  ini_mode_ = c.ini_mode;
  store_ = open_store(c, app_);
}

std::unique_ptr<SettingsStore> AppSettingsStore::sibling_store() const {
  return open_store(choose_store(program_folder_, kSiblingAppName), kSiblingAppName);
}

void AppSettingsStore::add_participant(StoreParticipant* p) {
  if (p && std::find(participants_.begin(), participants_.end(), p) == participants_.end())
    participants_.push_back(p);
}

void AppSettingsStore::remove_participant(StoreParticipant* p) {
  participants_.erase(std::remove(participants_.begin(), participants_.end(), p), participants_.end());
}

bool AppSettingsStore::switch_store(bool to_ini, const AppSettings& settings, std::u16string* error) {
  // 1. Everyone reads what the old store holds.
  for (StoreParticipant* p : participants_) p->read_before_switch(*store_);
  // 2. The old store records the new choice.
  const int32_t old_flag = store_->get_int(section::kApplication, kUseIniFileKey, ini_mode_ ? 1 : 0);
  if (!store_->write_int(section::kApplication, kUseIniFileKey, to_ini ? 1 : 0) && ini_mode_) {
    // The INI file would still choose itself at the next start.
    if (error) *error = store_->last_error();
    return false;
  }
  // 3. The new store.
  StoreChoice choice;
  choice.ini_mode = to_ini;
  choice.ini_file = program_folder_ / to_path(app_ + u".ini");
  std::unique_ptr<SettingsStore> next = open_store(choice, app_);
  // 4. Everything goes into it in one write.
  bool ok;
  {
    SettingsBatch batch(*next);
    ok = next->write_int(section::kApplication, kUseIniFileKey, to_ini ? 1 : 0);
    ok = settings.save(*next) && ok;
    ok = settings.font.save(*next) && ok;
    for (StoreParticipant* p : participants_) ok = p->write_after_switch(*next) && ok;
    ok = batch.commit() && ok;
  }
  if (!ok) {
    if (error) *error = next->last_error();
    store_->write_int(section::kApplication, kUseIniFileKey, old_flag);
    return false;
  }
  store_ = std::move(next);
  ini_mode_ = to_ini;
  return true;
}

void AppSettingsStore::set_store_for_testing(std::unique_ptr<SettingsStore> store, bool ini_mode) {
  store_ = std::move(store);
  ini_mode_ = ini_mode;
}

}  // namespace kestrel
