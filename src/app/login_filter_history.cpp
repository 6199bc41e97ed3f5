#include "app/login_filter_history.h"

#include <algorithm>

#include "platform/environment.h"
#include "platform/file_io.h"
#include "platform/text_file.h"
#include "platform/utf16.h"

namespace kestrel {

namespace {
// A history file is a few kilobytes; anything far larger is not one.
constexpr std::size_t kMaxHistoryFileBytes = 1024 * 1024;

bool read_history(const std::filesystem::path& file, std::vector<std::u16string>& out) {
  std::string bytes;
  if (read_file_bytes(file, bytes, nullptr, kMaxHistoryFileBytes) != ReadStatus::Ok) return false;
  out = parse_filter_history(decode_text(bytes).text);
  return true;
}
}  // namespace

std::filesystem::path user_filter_history_file() {
  return user_config_home() / "BRANT" / "ORACLE" / "login_filter.txt";
}

std::vector<std::u16string> parse_filter_history(std::u16string_view text) {
  std::vector<std::u16string> out;
  for (std::u16string_view line : split_lines(text)) {
    while (!line.empty() && (line.back() == u' ' || line.back() == u'\t' || line.back() == 0x3000))
      line.remove_suffix(1);
    if (line.empty() || line.size() >= kFilterTextLimit) continue;
    if (line.find(u'\0') != std::u16string_view::npos) continue;  // binary, not a filter text
    out.emplace_back(line);
    if (out.size() == kFilterHistoryMax) break;
  }
  return out;
}

std::vector<std::u16string> load_filter_history(const std::filesystem::path& user_file,
                                                const std::filesystem::path& seed_file) {
  std::vector<std::u16string> out;
  if (read_history(user_file, out)) return out;
  if (read_history(seed_file, out)) return out;
  return {};
}

bool save_filter_history(const std::filesystem::path& user_file, const std::vector<std::u16string>& history,
                         std::u16string* error) {
  if (!create_folders(user_file.parent_path(), 0700, error)) return false;
  std::string bytes;
  for (const std::u16string& h : history) bytes += utf16_to_utf8(h) + "\n";
  return write_file_atomic(user_file, bytes, 0600, error);
}

bool add_to_filter_history(std::vector<std::u16string>& history, std::u16string_view text) {
  if (text.empty() || text.size() > kFilterAddMax) return false;
  remove_from_filter_history(history, text);
  history.insert(history.begin(), std::u16string(text));
  if (history.size() > kFilterHistoryMax) history.resize(kFilterHistoryMax);
  return true;
}

void remove_from_filter_history(std::vector<std::u16string>& history, std::u16string_view text) {
  history.erase(std::remove(history.begin(), history.end(), text), history.end());
}

}  // namespace kestrel
