// Statement splitting for `ocilite sql`. Tested by
// tests/ocilite/tool/script_reader_test.cpp.
#include "tool/script_reader.h"

#include <cctype>

namespace ocilite::tool {
namespace {

std::string upper_words(std::string_view text, size_t count) {
  std::string out;
  size_t words = 0, i = 0;
  while (i < text.size() && words < count) {
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
    if (i >= text.size()) break;
    if (words) out += ' ';
    while (i < text.size() && !std::isspace(static_cast<unsigned char>(text[i])) && text[i] != '(')
      out += static_cast<char>(std::toupper(static_cast<unsigned char>(text[i++])));
    if (i < text.size() && text[i] == '(') ++i;
    ++words;
  }
  return out;
}

std::string_view trim(std::string_view s) {
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) s.remove_prefix(1);
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.remove_suffix(1);
  return s;
}

bool is_console_command(std::string_view line) {
  const std::string w = upper_words(line, 1);
  return w == "SET" || w == "PROMPT" || w == "REM" || w == "REMARK" || w == "WHENEVER" || w == "EXIT" || w == "QUIT" ||
         w == "SPOOL" || w == "SHOW" || w == "DEFINE" || w == "COLUMN" || w == "TTITLE";
}

}  // namespace

bool starts_plsql(std::string_view text) {
  const std::string w = upper_words(text, 6);
  auto starts = [&](std::string_view p) {
    return w.compare(0, p.size(), p) == 0 && (w.size() == p.size() || w[p.size()] == ' ');
  };
  if (starts("BEGIN") || starts("DECLARE")) return true;
  std::string rest;
  if (starts("CREATE OR REPLACE"))
    rest = w.substr(18);
  else if (starts("CREATE"))
    rest = w.size() > 7 ? w.substr(7) : "";
  else
    return false;
  for (std::string_view skip : {"EDITIONABLE ", "NONEDITIONABLE "})
    if (rest.compare(0, skip.size(), skip) == 0) rest = rest.substr(skip.size());
  for (std::string_view unit : {"PROCEDURE", "FUNCTION", "PACKAGE", "TRIGGER", "TYPE"})
    if (rest.compare(0, unit.size(), unit) == 0) return true;
  return false;
}

// True when the statement text ends with ';' outside strings and comments.
// Tracks an open /* */ comment across lines.
bool ScriptReader::statement_ends_with_semicolon(std::string_view text) {
  bool in_quote = false, in_dquote = false;
  char last = 0;
  bool in_comment = false;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (in_comment) {
      if (c == '*' && i + 1 < text.size() && text[i + 1] == '/') {
        in_comment = false;
        ++i;
      }
      continue;
    }
    if (in_quote) {
      if (c == '\'') in_quote = false;
      continue;
    }
    if (in_dquote) {
      if (c == '"') in_dquote = false;
      continue;
    }
    if (c == '\'') {
      in_quote = true;
      last = c;
    } else if (c == '"') {
      in_dquote = true;
      last = c;
    } else if (c == '-' && i + 1 < text.size() && text[i + 1] == '-') {
      while (i < text.size() && text[i] != '\n') ++i;
    } else if (c == '/' && i + 1 < text.size() && text[i + 1] == '*') {
      in_comment = true;
      ++i;
    } else if (!std::isspace(static_cast<unsigned char>(c))) {
      last = c;
    }
  }
  in_block_comment_ = in_comment;
  return !in_quote && !in_dquote && !in_comment && last == ';';
}

void ScriptReader::add_line(std::string_view line) {
  ++line_no_;
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  const std::string_view t = trim(line);
  if (current_.empty()) {
    if (t.empty() || t.substr(0, 2) == "--") return;
    if (t == "/") return;  // a lone slash after a completed statement
    if (is_console_command(t)) {
      done_.push_back({ScriptItem::command, std::string(t), line_no_});
      return;
    }
    start_line_ = line_no_;
    is_plsql_ = false;
  }
  if (t == "/" && !in_block_comment_) {
    done_.push_back({is_plsql_ ? ScriptItem::plsql : ScriptItem::sql, std::string(trim(current_)), start_line_});
    current_.clear();
    return;
  }
  if (!current_.empty()) current_ += '\n';
  current_ += line;
  if (!is_plsql_) is_plsql_ = starts_plsql(current_);
  if (!is_plsql_ && statement_ends_with_semicolon(current_)) {
    std::string text(trim(current_));
    text.pop_back();  // the ';'
    done_.push_back({ScriptItem::sql, std::string(trim(text)), start_line_});
    current_.clear();
  } else if (is_plsql_) {
    statement_ends_with_semicolon(current_);  // keeps the comment state current
  }
}

void ScriptReader::finish() {
  const std::string_view t = trim(current_);
  if (!t.empty()) {
    std::string text(t);
    if (!is_plsql_ && text.back() == ';') text.pop_back();
    done_.push_back({is_plsql_ ? ScriptItem::plsql : ScriptItem::sql, text, start_line_});
  }
  current_.clear();
}

std::vector<ScriptItem> ScriptReader::take() {
  std::vector<ScriptItem> out;
  out.swap(done_);
  return out;
}

}  // namespace ocilite::tool
