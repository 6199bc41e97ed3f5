// The login filter's history: newest first, at most 20 texts, each shorter
// than 512 characters, one per line in
// $XDG_CONFIG_HOME/BRANT/ORACLE/login_filter.txt (UTF-8, mode 0600, replaced
// atomically). data/login_filter.txt beside the program only seeds it.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace kestrel {

inline constexpr std::size_t kFilterHistoryMax = 20;
inline constexpr std::size_t kFilterTextLimit = 512;   // lines this long or longer are dropped
inline constexpr std::size_t kFilterAddMax = 255;      // longest text "リストに追加" takes

std::filesystem::path user_filter_history_file();

// Parses the file's text: trailing blanks removed, empty and over-long lines
// dropped, at most 20 kept.
std::vector<std::u16string> parse_filter_history(std::u16string_view text);
// The user's file, else the seed file; empty when neither can be read.
std::vector<std::u16string> load_filter_history(const std::filesystem::path& user_file,
                                                const std::filesystem::path& seed_file);
bool save_filter_history(const std::filesystem::path& user_file, const std::vector<std::u16string>& history,
                         std::u16string* error = nullptr);

// "リストに追加": the text (1-255 characters) goes to the top, an older copy
// is removed, at most 20 kept. False when the text's length is out of range.
bool add_to_filter_history(std::vector<std::u16string>& history, std::u16string_view text);
// "リストから削除".
void remove_from_filter_history(std::vector<std::u16string>& history, std::u16string_view text);

}  // namespace kestrel
