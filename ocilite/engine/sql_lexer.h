// Tokenizer for Oracle SQL text (UTF-8). The dialect rewriter works on these
// tokens, never on the raw text, so quoting, comments and literals are always
// respected.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace ocilite {

enum class TokKind {
  Ident,        // unquoted identifier or keyword; `upper` holds its upper-case form
  QuotedIdent,  // "Name"; `upper` holds the name as written, unquoted
  String,       // 'text' or q'[text]' or N'text'; `upper` holds the value
  Number,       // 12, 1.5, .5, 1e3
  Bind,         // :name or :1; `upper` holds the upper-case name without colon
  Op,           // operators and punctuation: ( ) , . ; + - * / || = <> != ^= < > <= >= := => @ (+) %
  End
};

struct Token {
  TokKind kind = TokKind::End;
  std::string text;   // as written in the source
  std::string upper;  // see TokKind
  size_t offset = 0;  // byte offset in the source
  bool space_before = false;
  bool national = false;  // N'...' literal
  bool raw = false;       // made by the rewriter: emitted verbatim

  bool is(TokKind k, std::string_view up) const { return kind == k && upper == up; }
  bool kw(std::string_view up) const { return kind == TokKind::Ident && upper == up; }
  bool op(std::string_view o) const { return kind == TokKind::Op && text == o; }
  bool name_like() const { return kind == TokKind::Ident || kind == TokKind::QuotedIdent; }
};

struct LexResult {
  std::vector<Token> tokens;  // always ends with an End token
  bool ok = true;
  size_t error_offset = 0;    // where an unterminated literal/comment starts
  std::string error;          // "quoted string not properly terminated", ...
};

LexResult lex_sql(std::string_view sql);

// True for the words Oracle reserves (a reserved word never is a column alias).
bool is_reserved_word(std::string_view upper);

// Identifier text for SQLite: always double-quoted, quotes doubled.
std::string quote_ident(std::string_view name);
// String literal for SQLite: single-quoted, quotes doubled.
std::string quote_string(std::string_view value);

}  // namespace ocilite
