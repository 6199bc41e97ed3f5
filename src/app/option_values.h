// What the options sheet edits: a copy of the settings plus the store choice
// and the file-type registration, and the strict number parsing its fields use.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "app/app_settings.h"

namespace kestrel {

struct OptionValues {
  AppSettings settings;
  bool ini_mode = false;   // "レジストリの代わりにINIファイルを使用する"
  bool file_type = false;  // "拡張子(.kst)を関連づける"
};

// A whole field as a 32-bit integer: optional blanks, an optional sign and
// digits only. nullopt for anything else (letters, empty, out of range).
std::optional<int32_t> parse_option_int(std::u16string_view text);

}  // namespace kestrel
