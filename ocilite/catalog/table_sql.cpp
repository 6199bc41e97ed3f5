// Constraint reader for CREATE TABLE texts. It tokenizes just enough of
// SQLite's grammar (strings, quoted names, comments, parentheses) to split
// the column list at top-level commas and find CONSTRAINT names and the
// PRIMARY KEY / UNIQUE / CHECK / REFERENCES / NOT NULL clauses.
//
// Tested by tests/ocilite/catalog/dictionary_test.cpp.
#include <cctype>

#include "catalog/table_sql_p.h"

namespace ocilite::detail {
namespace {

struct Tok {
  std::string text;   // words upper-cased; quoted names dequoted
  bool word = false;  // identifier or keyword
  size_t begin = 0, end = 0;
};

std::vector<Tok> tokenize(std::string_view s) {
  std::vector<Tok> out;
  size_t i = 0;
  while (i < s.size()) {
    const char c = s[i];
    if (std::isspace(static_cast<unsigned char>(c))) {
      ++i;
    } else if (c == '-' && i + 1 < s.size() && s[i + 1] == '-') {
      while (i < s.size() && s[i] != '\n') ++i;
    } else if (c == '/' && i + 1 < s.size() && s[i + 1] == '*') {
      auto e = s.find("*/", i + 2);
      i = e == std::string_view::npos ? s.size() : e + 2;
    } else if (c == '\'' || c == '"' || c == '`' || c == '[') {
      const char close = c == '[' ? ']' : c;
      std::string v;
      size_t j = i + 1;
      while (j < s.size()) {
        if (s[j] == close) {
          if (close != ']' && j + 1 < s.size() && s[j + 1] == close) {
            v += close;
            j += 2;
            continue;
          }
          break;
        }
        v += s[j++];
      }
      out.push_back({c == '\'' ? "'" + v + "'" : v, c != '\'', i, std::min(j + 1, s.size())});
      i = j + 1;
    } else if (std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '$' ||
               static_cast<unsigned char>(c) >= 0x80) {
      size_t j = i;
      std::string v;
      while (j < s.size() && (std::isalnum(static_cast<unsigned char>(s[j])) || s[j] == '_' || s[j] == '$' ||
                              s[j] == '#' || static_cast<unsigned char>(s[j]) >= 0x80))
        v += static_cast<char>(std::toupper(static_cast<unsigned char>(s[j++])));
      out.push_back({v, true, i, j});
      i = j;
    } else {
      out.push_back({std::string(1, c), false, i, i + 1});
      ++i;
    }
  }
  return out;
}

// Index just past the parenthesised group that starts at `open`.
size_t skip_group(const std::vector<Tok>& t, size_t open) {
  int depth = 0;
  for (size_t i = open; i < t.size(); ++i) {
    if (!t[i].word && t[i].text == "(") ++depth;
    if (!t[i].word && t[i].text == ")" && --depth == 0) return i + 1;
  }
  return t.size();
}

bool is(const Tok& t, const char* w) { return t.word && t.text == w; }

}  // namespace

std::vector<TableConstraint> table_constraints(std::string_view sql) {
  std::vector<TableConstraint> out;
  const auto t = tokenize(sql);
  size_t i = 0;
  while (i < t.size() && !(!t[i].word && t[i].text == "(")) ++i;
  if (i == t.size()) return out;
  const size_t list_end = skip_group(t, i) - 1;  // the closing parenthesis
  ++i;
  while (i < list_end) {
    // One item: up to the next top-level comma.
    size_t end = i;
    while (end < list_end && !(!t[end].word && t[end].text == ",")) {
      end = (!t[end].word && t[end].text == "(") ? skip_group(t, end) : end + 1;
    }
    const bool table_constraint =
        is(t[i], "CONSTRAINT") || is(t[i], "PRIMARY") || is(t[i], "UNIQUE") || is(t[i], "CHECK") || is(t[i], "FOREIGN");
    const std::string column = table_constraint ? std::string() : t[i].text;
    std::string pending_name;
    for (size_t k = table_constraint ? i : i + 1; k < end; ++k) {
      TableConstraint c;
      if (is(t[k], "CONSTRAINT") && k + 1 < end) {
        pending_name = t[++k].text;
        continue;
      }
      if (is(t[k], "PRIMARY"))
        c.kind = 'P';
      else if (is(t[k], "UNIQUE"))
        c.kind = 'U';
      else if (is(t[k], "FOREIGN") || (is(t[k], "REFERENCES") && !table_constraint))
        c.kind = 'R';
      else if (is(t[k], "NOT") && k + 1 < end && is(t[k + 1], "NULL"))
        c.kind = 'N';
      else if (is(t[k], "CHECK")) {
        c.kind = 'C';
        if (k + 1 < end && !t[k + 1].word && t[k + 1].text == "(") {
          const size_t close = skip_group(t, k + 1);
          c.text = std::string(sql.substr(t[k + 1].end, t[close - 1].begin - t[k + 1].end));
          k = close - 1;
        }
      } else if (!t[k].word && t[k].text == "(") {
        k = skip_group(t, k) - 1;
        continue;
      } else {
        continue;
      }
      if (c.kind == 'R' && table_constraint) {
        // FOREIGN KEY (...) REFERENCES parent (...): skip to the end of the item.
        k = end;
      } else if (c.kind == 'R') {
        // REFERENCES parent [(cols)] [ON ...]: the rest belongs to it.
        while (k + 1 < end && !is(t[k + 1], "CONSTRAINT") && !is(t[k + 1], "NOT") && !is(t[k + 1], "CHECK") &&
               !is(t[k + 1], "UNIQUE") && !is(t[k + 1], "PRIMARY") && !is(t[k + 1], "DEFAULT"))
          ++k;
      }
      c.name = pending_name;
      pending_name.clear();
      c.column = column;
      out.push_back(std::move(c));
    }
    i = end + 1;
  }
  return out;
}

TriggerHeader trigger_header(std::string_view source, std::string_view default_owner) {
  TriggerHeader h;
  const auto t = tokenize(source);
  std::string timing, level = "STATEMENT", events;
  for (size_t i = 0; i < t.size(); ++i) {
    if (is(t[i], "BEFORE") || is(t[i], "AFTER")) {
      timing = t[i].text;
    } else if (is(t[i], "INSTEAD")) {
      timing = "INSTEAD OF";
    } else if ((is(t[i], "INSERT") || is(t[i], "UPDATE") || is(t[i], "DELETE")) && h.table_name.empty()) {
      events += (events.empty() ? "" : " OR ") + t[i].text;
    } else if (is(t[i], "ON") && i + 1 < t.size() && h.table_name.empty()) {
      // Quoted names keep their case; the tokenizer upper-cases only words
      // that were not quoted, which is Oracle's rule too.
      if (i + 3 < t.size() && !t[i + 2].word && t[i + 2].text == ".") {
        h.table_owner = t[i + 1].text;
        h.table_name = t[i + 3].text;
      } else {
        h.table_owner = std::string(default_owner);
        h.table_name = t[i + 1].text;
      }
    } else if (is(t[i], "ROW")) {
      level = "EACH ROW";
    } else if (is(t[i], "BEGIN") || is(t[i], "DECLARE") || is(t[i], "WHEN")) {
      break;
    }
  }
  h.trigger_type = timing == "INSTEAD OF" ? timing : timing + " " + level;
  h.triggering_event = events;
  return h;
}

}  // namespace ocilite::detail
