// Splits an SQL script into statements the way an Oracle SQL console does:
// a statement ends with ';' at the end of a line (outside quotes and
// comments) or with '/' alone on a line; a PL/SQL unit (BEGIN, DECLARE,
// CREATE PROCEDURE/FUNCTION/PACKAGE/TRIGGER/TYPE) ends only with '/'.
// Console commands (SET, PROMPT, REM, WHENEVER, EXIT) come back as such.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace ocilite::tool {

struct ScriptItem {
  enum Kind { sql, plsql, command } kind = sql;
  std::string text;  // statement without its terminator; a command's whole line
  int line = 0;      // 1-based line where it starts
};

class ScriptReader {
 public:
  // Feeds one line (without its line end). Completed items are queued.
  void add_line(std::string_view line);
  // Ends the input: a statement without terminator is still returned.
  void finish();
  // Takes the completed items so far.
  std::vector<ScriptItem> take();

 private:
  bool statement_ends_with_semicolon(std::string_view text);
  std::string current_;
  int start_line_ = 0;
  int line_no_ = 0;
  bool is_plsql_ = false;
  bool in_block_comment_ = false;
  std::vector<ScriptItem> done_;
};

// True when `text` starts a PL/SQL unit (which ends only with '/').
bool starts_plsql(std::string_view text);

}  // namespace ocilite::tool
