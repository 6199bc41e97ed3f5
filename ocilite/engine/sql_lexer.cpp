#include "sql_lexer.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace ocilite {
namespace {

bool ident_start(unsigned char c) { return std::isalpha(c) || c >= 0x80 || c == '_'; }
bool ident_part(unsigned char c) {
  return std::isalnum(c) || c >= 0x80 || c == '_' || c == '$' || c == '#';
}

std::string ascii_upper(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return out;
}

char closing_quote(char open) {
  switch (open) {
    case '[': return ']';
    case '{': return '}';
    case '<': return '>';
    case '(': return ')';
    default: return open;
  }
}

}  // namespace

LexResult lex_sql(std::string_view s) {
  LexResult r;
  size_t i = 0;
  const size_t n = s.size();
  bool space = false;
  auto push = [&](TokKind k, size_t start, size_t end, std::string upper) {
    Token t;
    t.kind = k;
    t.text = std::string(s.substr(start, end - start));
    t.upper = std::move(upper);
    t.offset = start;
    t.space_before = space;
    r.tokens.push_back(std::move(t));
    space = false;
  };
  auto fail = [&](size_t at, const char* msg) {
    r.ok = false;
    r.error_offset = at;
    r.error = msg;
  };
  while (i < n && r.ok) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    if (std::isspace(c)) {
      ++i;
      space = true;
      continue;
    }
    if (c == '-' && i + 1 < n && s[i + 1] == '-') {
      while (i < n && s[i] != '\n') ++i;
      space = true;
      continue;
    }
    if (c == '/' && i + 1 < n && s[i + 1] == '*') {
      size_t end = s.find("*/", i + 2);
      if (end == std::string_view::npos) {
        // Oracle refuses it (ORA-01742); taking the rest as comment could
        // turn "update t set c = 1 /* where ..." into an update of every row.
        fail(i, "comment not properly terminated");
        break;
      } else {
        i = end + 2;
      }
      space = true;
      continue;
    }
    // q'[...]' alternative quoting, with optional N prefix.
    size_t qstart = i;
    bool national = false;
    if ((c == 'n' || c == 'N') && i + 1 < n && (s[i + 1] == '\'' || s[i + 1] == 'q' || s[i + 1] == 'Q')) {
      if (s[i + 1] == '\'' || (i + 2 < n && s[i + 2] == '\'')) {
        national = true;
        ++i;
        c = static_cast<unsigned char>(s[i]);
      }
    }
    if ((c == 'q' || c == 'Q') && i + 2 < n && s[i + 1] == '\'') {
      char open = s[i + 2];
      char close = closing_quote(open);
      size_t body = i + 3;
      size_t k = body;
      bool found = false;
      for (; k + 1 < n; ++k) {
        if (s[k] == close && s[k + 1] == '\'') {
          found = true;
          break;
        }
      }
      if (!found) {
        fail(qstart, "quoted string not properly terminated");
        break;
      }
      push(TokKind::String, qstart, k + 2, std::string(s.substr(body, k - body)));
      r.tokens.back().national = national;
      i = k + 2;
      continue;
    }
    if (c == '\'') {
      std::string value;
      size_t k = i + 1;
      bool closed = false;
      while (k < n) {
        if (s[k] == '\'') {
          if (k + 1 < n && s[k + 1] == '\'') {
            value.push_back('\'');
            k += 2;
            continue;
          }
          closed = true;
          break;
        }
        value.push_back(s[k]);
        ++k;
      }
      if (!closed) {
        fail(qstart, "quoted string not properly terminated");
        break;
      }
      push(TokKind::String, qstart, k + 1, std::move(value));
      r.tokens.back().national = national;
      i = k + 1;
      continue;
    }
    if (national) {  // a lone N that was not a literal prefix
      i = qstart;
      c = static_cast<unsigned char>(s[i]);
    }
    if (c == '"') {
      size_t end = s.find('"', i + 1);
      if (end == std::string_view::npos) {
        fail(i, "quoted identifier not properly terminated");
        break;
      }
      push(TokKind::QuotedIdent, i, end + 1, std::string(s.substr(i + 1, end - i - 1)));
      i = end + 1;
      continue;
    }
    if (ident_start(c)) {
      size_t k = i + 1;
      while (k < n && ident_part(static_cast<unsigned char>(s[k]))) ++k;
      push(TokKind::Ident, i, k, ascii_upper(s.substr(i, k - i)));
      i = k;
      continue;
    }
    if (std::isdigit(c) || (c == '.' && i + 1 < n && std::isdigit(static_cast<unsigned char>(s[i + 1])))) {
      size_t k = i;
      while (k < n && std::isdigit(static_cast<unsigned char>(s[k]))) ++k;
      if (k < n && s[k] == '.' && !(k + 1 < n && s[k + 1] == '.')) {
        ++k;
        while (k < n && std::isdigit(static_cast<unsigned char>(s[k]))) ++k;
      }
      if (k < n && (s[k] == 'e' || s[k] == 'E')) {
        size_t e = k + 1;
        if (e < n && (s[e] == '+' || s[e] == '-')) ++e;
        if (e < n && std::isdigit(static_cast<unsigned char>(s[e]))) {
          k = e;
          while (k < n && std::isdigit(static_cast<unsigned char>(s[k]))) ++k;
        }
      }
      push(TokKind::Number, i, k, std::string(s.substr(i, k - i)));
      i = k;
      continue;
    }
    if (c == ':' && i + 1 < n &&
        (ident_start(static_cast<unsigned char>(s[i + 1])) || std::isdigit(static_cast<unsigned char>(s[i + 1])) ||
         s[i + 1] == '"')) {
      size_t k = i + 1;
      std::string name;
      if (s[k] == '"') {
        size_t end = s.find('"', k + 1);
        if (end == std::string_view::npos) {
          fail(i, "quoted identifier not properly terminated");
          break;
        }
        name = std::string(s.substr(k + 1, end - k - 1));
        k = end + 1;
      } else {
        while (k < n && ident_part(static_cast<unsigned char>(s[k]))) ++k;
        name = ascii_upper(s.substr(i + 1, k - i - 1));
      }
      push(TokKind::Bind, i, k, std::move(name));
      i = k;
      continue;
    }
    // Operators, longest first.
    static constexpr std::array<std::string_view, 12> two = {"||", "<=", ">=", "<>", "!=", "^=", ":=", "=>",
                                                             "**", "..", "~=", "(+"};
    bool matched = false;
    if (s.substr(i, 3) == "(+)") {
      push(TokKind::Op, i, i + 3, "(+)");
      i += 3;
      continue;
    }
    for (std::string_view op : two) {
      if (op == "(+") continue;
      if (s.substr(i, 2) == op) {
        push(TokKind::Op, i, i + 2, std::string(op));
        i += 2;
        matched = true;
        break;
      }
    }
    if (matched) continue;
    push(TokKind::Op, i, i + 1, std::string(1, static_cast<char>(c)));
    ++i;
  }
  Token end;
  end.kind = TokKind::End;
  end.offset = n;
  r.tokens.push_back(end);
  return r;
}

bool is_reserved_word(std::string_view w) {
  static constexpr std::array<std::string_view, 88> words = {
      "ACCESS", "ADD", "ALL", "ALTER", "AND", "ANY", "AS", "ASC", "AUDIT", "BETWEEN", "BY", "CASE",
      "CHAR", "CHECK", "CLUSTER", "COLUMN", "COMMENT", "COMPRESS", "CONNECT", "CREATE", "CURRENT",
      "DATE", "DECIMAL", "DEFAULT", "DELETE", "DESC", "DISTINCT", "DROP", "ELSE", "END", "EXCLUSIVE",
      "EXISTS", "FILE", "FLOAT", "FOR", "FROM", "GRANT", "GROUP", "HAVING", "IDENTIFIED", "IMMEDIATE",
      "IN", "INCREMENT", "INDEX", "INITIAL", "INSERT", "INTEGER", "INTERSECT", "INTO", "IS", "LEVEL",
      "LIKE", "LOCK", "LONG", "MINUS", "MODE", "NOT", "NOWAIT", "NULL", "NUMBER", "OF", "ON", "OR",
      "ORDER", "PRIOR", "RAW", "RENAME", "RETURNING", "ROW", "ROWS", "SELECT", "SET", "SHARE",
      "START", "TABLE", "THEN", "TO", "UNION", "UNIQUE", "UPDATE", "VALUES", "VARCHAR", "VARCHAR2",
      "VIEW", "WHEN", "WHERE", "WITH", "JOIN"};
  return std::find(words.begin(), words.end(), w) != words.end();
}

std::string quote_ident(std::string_view name) {
  std::string out = "\"";
  for (char c : name) {
    if (c == '"') out.push_back('"');
    out.push_back(c);
  }
  out.push_back('"');
  return out;
}

std::string quote_string(std::string_view value) {
  std::string out = "'";
  for (char c : value) {
    if (c == '\'') out.push_back('\'');
    out.push_back(c);
  }
  out.push_back('\'');
  return out;
}

}  // namespace ocilite
