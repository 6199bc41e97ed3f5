// INI files with the semantics of the Windows profile calls
// (GetPrivateProfileIntW, GetPrivateProfileStringW, WritePrivateProfileStringW):
//
// - "[section]" headers and "key=value" lines; section and key names compare
//   ASCII case-insensitively; blanks around names and values are ignored;
// - a value enclosed in matching single or double quotes loses the quotes;
// - integers are read like the Windows call: optional blanks and sign, digits
//   up to the first non-digit ("12abc" is 12, "abc" is 0); an empty value or a
//   missing key gives the default;
// - lines starting with ';' or '#' are comments;
// - files may be UTF-8 (with or without BOM), CP932 or UTF-16 with BOM, with
//   CR LF, LF or CR line ends.
//
// Writing changes only the lines it must: every other line, comment, blank
// and line end keeps its bytes, and the file keeps its encoding (a CP932 file
// that must hold a character CP932 lacks becomes UTF-8). A value that would
// not read back as written (leading or trailing blanks, enclosing quotes) is
// written in double quotes so that it does. Saving is atomic.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_io.h"
#include "platform/text_file.h"

namespace kestrel {

class IniFile {
 public:
  IniFile() = default;

  static IniFile parse(std::string_view bytes);
  // Replaces the content with the file's. A missing file leaves an empty
  // IniFile (Missing); a file that cannot be read leaves an empty one too
  // (Failed, `error` says why) — callers must not save over it then.
  ReadStatus load(const std::filesystem::path& file, std::u16string* error = nullptr);
  bool save(const std::filesystem::path& file, mode_t mode_for_new, std::u16string* error = nullptr) const;
  std::string serialize() const;

  // The value of the first matching key, quotes removed; nullopt when absent.
  std::optional<std::u16string> find(std::u16string_view section, std::u16string_view key) const;
  // GetPrivateProfileStringW: the value, or `def` without its trailing blanks.
  std::u16string get_string(std::u16string_view section, std::u16string_view key, std::u16string_view def) const;
  // GetPrivateProfileIntW.
  int32_t get_int(std::u16string_view section, std::u16string_view key, int32_t def) const;

  // WritePrivateProfileStringW with a value. False (nothing changed) when the
  // pair cannot be represented: a line break anywhere, '=' or a leading
  // '[', ';' or '#' in the key, ']' in the section, or an empty key.
  bool set_string(std::u16string_view section, std::u16string_view key, std::u16string_view value);
  bool set_int(std::u16string_view section, std::u16string_view key, int32_t value);
  // WritePrivateProfileStringW with a null value / a null key.
  bool erase_key(std::u16string_view section, std::u16string_view key);
  bool erase_section(std::u16string_view section);

  std::vector<std::u16string> section_names() const;
  std::vector<std::u16string> key_names(std::u16string_view section) const;

  TextEncoding encoding() const { return encoding_; }
  bool empty() const { return lines_.empty(); }

 private:
  struct Line {
    std::string raw;      // the line's bytes as read (empty when `changed`)
    std::string eol;      // its line end as read: "\r\n", "\n", "\r" or "" (last line)
    std::u16string text;  // decoded
    bool changed = false;
  };
  // Index of the first line of each section named `section`, and of its end.
  struct Range {
    std::size_t header;
    std::size_t end;  // one past the section's last line
  };
  std::vector<Range> sections(std::u16string_view section) const;
  std::optional<std::size_t> find_key_line(std::u16string_view section, std::u16string_view key) const;
  void insert_line(std::size_t at, std::u16string text);
  std::string new_line_end() const;

  std::vector<Line> lines_;
  TextEncoding encoding_ = TextEncoding::Utf8;
};

// The Windows profile calls on a file: each read loads the file; each write
// loads it, changes one key and saves it atomically (new files get `mode_for_new`).
int32_t get_private_profile_int(std::u16string_view section, std::u16string_view key, int32_t def,
                                const std::filesystem::path& file);
std::u16string get_private_profile_string(std::u16string_view section, std::u16string_view key,
                                          std::u16string_view def, const std::filesystem::path& file);
bool write_private_profile_string(std::u16string_view section, std::u16string_view key, std::u16string_view value,
                                  const std::filesystem::path& file, mode_t mode_for_new = 0600,
                                  std::u16string* error = nullptr);

}  // namespace kestrel
