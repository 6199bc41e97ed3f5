// Carries the login area's stored data across a switch of the settings
// store: the connection profiles exactly as stored (a version-1 list stays
// version 1), the TNS list, the last login, the login and profile dialogs'
// sizes and the colour chooser's custom colours.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "app/app_store.h"

namespace kestrel {

class ConnectInfoParticipant final : public StoreParticipant {
 public:
  void read_before_switch(const SettingsStore& old_store) override;
  bool write_after_switch(SettingsStore& new_store) override;

 private:
  struct Value {
    std::u16string section;
    std::u16string key;
    std::u16string text;
    bool present = true;  // false: the key is removed from the new store
  };
  std::vector<Value> values_;
};

}  // namespace kestrel
