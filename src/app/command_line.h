// The program's command line:
//   PRELOAD                       anywhere: set up the client library and end
//   LOGON=user[/password][@tns][:OCI7]
//                                 log in at start; ":OCI7" selects the old interface
//   -FONT=face                    grid font face for this run, when installed
//   a query definition file path  opened at start
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace kestrel {

struct CommandLine {
  bool preload = false;
  bool logon = false;  // a LOGON= value was given
  std::u16string user;
  std::u16string password;  // never written to a log
  std::u16string tns;
  bool oci7 = false;
  // The -FONT= face when a family of that name is installed, else empty.
  std::u16string font_face;
  // The query file to open; empty means a new, empty document.
  std::u16string file;
  // The first plain argument was the LOGON= value, which is not a file.
  bool logon_taken_as_file = false;
};

// Answers whether a font family with this name is installed (the user
// interface asks its font database; tests answer from a list).
using FontFamilyCheck = std::function<bool(std::u16string_view face)>;

// `args` are the arguments after the program name. The raw command line of
// the original platform is the arguments joined by single spaces; PRELOAD and
// LOGON= are found in it as case-sensitive substrings. Arguments starting
// with '-' are options; the first other argument is the file (an absolute
// path starts with '/', so '/' does not mark an option here).
CommandLine parse_command_line(const std::vector<std::u16string>& args, const FontFamilyCheck& font_exists);

// Overwrites the password of a LOGON= argument with '*' in the process's own
// argument memory (what ps and /proc/<pid>/cmdline show), once parsed.
void hide_logon_password(int argc, char** argv);

// Splits a LOGON= value (without "LOGON=") into its parts.
void split_logon_value(std::u16string_view value, CommandLine& out);

}  // namespace kestrel
