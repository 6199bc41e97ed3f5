// Process environment, program location, current folder and the path/text
// conversions the rest of the program uses. File names are UTF-8 on disk and
// UTF-16 in the program.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace kestrel {

std::filesystem::path to_path(std::u16string_view text);
std::u16string path_text(const std::filesystem::path& path);

// Environment variables. Changing them is meant for start-up, before other
// threads run (setenv is not thread-safe against concurrent getenv).
std::optional<std::u16string> get_env(std::u16string_view name);
bool set_env(std::u16string_view name, std::u16string_view value);
// "NAME=value", as the runtime's put-environment call takes it.
bool put_env(std::u16string_view assignment);
bool unset_env(std::u16string_view name);

// The running program (/proc/self/exe) and its folder.
std::filesystem::path program_path();
std::filesystem::path program_folder();
// The program folder as text with a trailing separator, ready for "%skestrel.ini".
std::u16string program_folder_text();

std::filesystem::path current_directory();
bool set_current_directory(const std::filesystem::path& folder, std::u16string* error = nullptr);

// True when `path_text` names an existing folder; a trailing separator is ignored.
bool is_existing_folder(std::u16string_view path_text);
// True when the path exists and is not a folder.
bool is_existing_file(const std::filesystem::path& path);

// $XDG_CONFIG_HOME when it is an absolute path, else $HOME/.config (the
// home folder from the password database when HOME is unset).
std::filesystem::path user_config_home();

}  // namespace kestrel
