// A settings store that remembers the order of every operation.
#pragma once

#include <string>
#include <vector>

#include "platform/settings_store.h"

namespace kestrel::testing {

class RecordingStore final : public SettingsStore {
 public:
  struct Op {
    char kind;  // 'i' get int, 's' get string, 'I' write int, 'S' write string
    std::u16string section;
    std::u16string key;
  };

  int32_t get_int(std::u16string_view section, std::u16string_view key, int32_t def) const override {
    ops.push_back({'i', std::u16string(section), std::u16string(key)});
    return inner.get_int(section, key, def);
  }
  std::u16string get_string(std::u16string_view section, std::u16string_view key,
                            std::u16string_view def) const override {
    ops.push_back({'s', std::u16string(section), std::u16string(key)});
    return inner.get_string(section, key, def);
  }
  bool write_int(std::u16string_view section, std::u16string_view key, int32_t value) override {
    ops.push_back({'I', std::u16string(section), std::u16string(key)});
    return inner.write_int(section, key, value);
  }
  bool write_string(std::u16string_view section, std::u16string_view key, std::u16string_view value) override {
    ops.push_back({'S', std::u16string(section), std::u16string(key)});
    return inner.write_string(section, key, value);
  }
  std::u16string location() const override { return u"(recording)"; }

  MemorySettingsStore inner;
  mutable std::vector<Op> ops;
};

}  // namespace kestrel::testing
