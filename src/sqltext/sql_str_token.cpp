#include "sqltext/sql_str_token.h"

#include <initializer_list>

#include "platform/utf16.h"
#include "sqltext/sqltext_constants.h"

using kestrel::iequals_ascii;

namespace {

bool IsLineEnd(char16_t c) { return c == u'\n' || c == u'\r'; }
bool IsSpaceOrTab(char16_t c) { return c == u' ' || c == u'\t'; }

// Identifier characters for the splitter's word tests.
bool IsIdentChar(char16_t c) {
  return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9') || c == u'_' ||
         c == u'$' || c == u'#' || (c >= 0x80 && c != 0x3000 && c != 0x3001 && c != 0x3002 && c != 0xFF0C &&
                                    c != 0xFF0E);
}

bool OneOf(std::u16string_view word, std::initializer_list<std::u16string_view> names) {
  for (std::u16string_view n : names)
    if (iequals_ascii(word, n)) return true;
  return false;
}

std::u16string_view TrimStatementEnd(std::u16string_view s) {
  while (!s.empty() && (CStrToken::IsBlank(s.back()) || s.back() == 0)) s.remove_suffix(1);
  return s;
}

}  // namespace

CSQLStrToken::CSQLStrToken() {
  SetCaseInsensitive(true);
  SetBlockComment(u"/*", u"*/");
  AddLineComment(u"--", kestrel::kLineCommentKind);
  SetQuoteChars(u"'\"", u"'\"");
  SetSeparators(u" ,;'\".%()=><|@");
  SetBrackets(u")(><][}{");
  SetOperators(u"=!*/+-%;.,(){}|^");
  SetBindPrefix(u":");
  SetAltQuoting(true);
  for (char16_t c : std::u16string_view(u"\n\r;-/'\"qQnN")) stops_[c] = true;
}

std::size_t CSQLStrToken::SkipUnit(std::u16string_view text, std::size_t i) const {
  LexState st;
  const char16_t c = text[i];
  if (StartsLineComment(text, i)) {
    while (i < text.size() && !IsLineEnd(text[i])) ++i;
    return i;
  }
  if (StartsBlockComment(text, i)) {
    st.mode = LexState::kBlockComment;
    return ContinueOpen(text, i + block_start_.size(), &st);
  }
  if (IsQuote(c)) {
    st.mode = LexState::kQuote;
    st.close = c;
    return ContinueOpen(text, i + 1, &st);
  }
  std::size_t prefix = 0;
  char16_t close = 0;
  if ((i == 0 || !IsIdentChar(text[i - 1])) && StartsAltQuote(text, i, &prefix, &close)) {
    st.mode = LexState::kAltQuote;
    st.close = close;
    return ContinueOpen(text, i + prefix, &st);
  }
  return i;
}

std::size_t CSQLStrToken::SkipBlanksAndComments(std::u16string_view text, std::size_t i, bool skip_parens) const {
  for (;;) {
    i = SkipBlanks(text, i);
    if (i >= text.size()) return i;
    if (skip_parens && text[i] == u'(') {
      ++i;
      continue;
    }
    if (!StartsLineComment(text, i) && !StartsBlockComment(text, i)) return i;
    i = SkipUnit(text, i);
  }
}

std::u16string_view CSQLStrToken::NextWord(std::u16string_view text, std::size_t* pos, bool skip_parens) const {
  std::size_t start = SkipBlanksAndComments(text, *pos, skip_parens);
  std::size_t i = start;
  while (i < text.size() && IsIdentChar(text[i])) ++i;
  *pos = i;
  return text.substr(start, i - start);
}

bool CSQLStrToken::IsPlsqlBlock(std::u16string_view stmt) const {
  std::size_t pos = SkipBlanksAndComments(stmt, 0);
  // A labelled block: "<<name>> BEGIN ...".
  if (stmt.substr(pos).starts_with(u"<<")) return stmt.find(u">>", pos + 2) != std::u16string_view::npos;
  std::u16string_view w = NextWord(stmt, &pos);
  if (iequals_ascii(w, u"BEGIN") || iequals_ascii(w, u"DECLARE")) return true;
  if (!iequals_ascii(w, u"CREATE")) return false;
  w = NextWord(stmt, &pos);
  if (iequals_ascii(w, u"OR")) {
    if (!iequals_ascii(NextWord(stmt, &pos), u"REPLACE")) return false;
    w = NextWord(stmt, &pos);
  }
  while (OneOf(w, {u"EDITIONABLE", u"NONEDITIONABLE", u"AND", u"RESOLVE", u"COMPILE", u"NOFORCE"}))
    w = NextWord(stmt, &pos);
  return OneOf(w, {u"FUNCTION", u"JAVA", u"LIBRARY", u"PACKAGE", u"PROCEDURE", u"TRIGGER", u"TYPE"});
}

bool CSQLStrToken::IsWithFunction(std::u16string_view stmt) const {
  std::size_t pos = 0;
  if (!iequals_ascii(NextWord(stmt, &pos, true), u"WITH")) return false;
  return OneOf(NextWord(stmt, &pos), {u"FUNCTION", u"PROCEDURE"});
}

int32_t CSQLStrToken::StatementKind(std::u16string_view stmt) const {
  if (IsPlsqlBlock(stmt)) return kestrel::kStatementPlsql;
  std::size_t pos = 0;
  std::u16string_view w = NextWord(stmt, &pos, true);
  if (iequals_ascii(w, u"SELECT")) return kestrel::kStatementQuery;
  if (iequals_ascii(w, u"WITH") && !OneOf(NextWord(stmt, &pos), {u"FUNCTION", u"PROCEDURE"}))
    return kestrel::kStatementQuery;
  return kestrel::kStatementOther;
}

bool CSQLStrToken::IsSlashLine(std::u16string_view text, std::size_t pos, std::size_t* after) {
  std::size_t i = pos;
  while (i < text.size() && IsSpaceOrTab(text[i])) ++i;
  if (i >= text.size() || text[i] != u'/') return false;
  ++i;
  while (i < text.size() && IsSpaceOrTab(text[i])) ++i;
  if (i < text.size() && !IsLineEnd(text[i])) return false;
  if (i < text.size() && text[i] == u'\r') ++i;
  if (i < text.size() && text[i] == u'\n') ++i;
  *after = i;
  return true;
}

std::ptrdiff_t CSQLStrToken::NextStatement(std::u16string_view script, std::size_t pos, SqlStatement* stmt) const {
  const std::size_t n = script.size();
  std::size_t p = pos;
  // Blanks, comments, stray ";" and "/" lines come before a statement.
  for (;;) {
    p = SkipBlanks(script, p);
    if (p >= n) return -1;
    std::size_t line_start = p;
    while (line_start > 0 && IsSpaceOrTab(script[line_start - 1])) --line_start;
    std::size_t after = 0;
    if ((line_start == 0 || IsLineEnd(script[line_start - 1])) && IsSlashLine(script, p, &after)) {
      p = after;
      continue;
    }
    if (script[p] == u';') {
      ++p;
      continue;
    }
    std::size_t skipped = StartsLineComment(script, p) || StartsBlockComment(script, p) ? SkipUnit(script, p) : p;
    if (skipped != p) {
      p = skipped;
      continue;
    }
    break;
  }

  const std::size_t start = p;
  stmt->start = static_cast<std::ptrdiff_t>(start);

  // One-line client commands end at their line end; a trailing ";" is dropped.
  std::size_t word_pos = start;
  std::u16string_view first = NextWord(script, &word_pos);
  const char16_t c0 = script[start];
  if (c0 == u'@' || c0 == u'!' || (first.data() == script.data() + start &&
                                   OneOf(first, {u"DESC", u"DESCRIBE", u"CONNECT", u"DISCONNECT"}))) {
    std::size_t end = start;
    while (end < n && !IsLineEnd(script[end])) ++end;
    std::u16string_view text = TrimStatementEnd(script.substr(start, end - start));
    if (text.ends_with(u';')) text = TrimStatementEnd(text.substr(0, text.size() - 1));
    stmt->text.assign(text);
    stmt->kind = c0 == u'@' ? kestrel::kStatementScript : kestrel::kStatementCommand;
    return static_cast<std::ptrdiff_t>(end);
  }

  std::u16string_view rest = script.substr(start);
  const bool plsql = IsPlsqlBlock(rest);
  const bool slash_only = plsql || IsWithFunction(rest);

  std::size_t end = n;
  std::size_t next = n;
  std::size_t i = start;
  while (i < n) {
    const char16_t c = script[i];
    if (c >= 256 || !stops_[c]) {
      ++i;
      continue;
    }
    if (IsLineEnd(c)) {
      std::size_t line_end = i;
      if (c == u'\r' && i + 1 < n && script[i + 1] == u'\n') ++i;
      ++i;
      std::size_t after = 0;
      if (IsSlashLine(script, i, &after)) {
        end = line_end;
        next = after;
        break;
      }
      continue;
    }
    if (c == u';') {
      if (!slash_only) {
        end = i;
        next = i + 1;
        break;
      }
      ++i;
      continue;
    }
    // Comments and quoted text are passed as units; a cheap look at the next
    // character first keeps ordinary '-', '/', 'n' and 'q' fast.
    const char16_t d = i + 1 < n ? script[i + 1] : 0;
    bool unit = false;
    switch (c) {
      case u'-': unit = d == u'-'; break;
      case u'/': unit = d == u'*'; break;
      case u'q': case u'Q': unit = d == u'\''; break;
      case u'n': case u'N': unit = (d == u'q' || d == u'Q') && i + 2 < n && script[i + 2] == u'\''; break;
      default: unit = true; break;
    }
    std::size_t skipped = unit ? SkipUnit(script, i) : i;
    i = skipped > i ? skipped : i + 1;
  }

  std::u16string_view text = TrimStatementEnd(script.substr(start, end - start));
  // WITH FUNCTION ends at "/" but its last part is a query, whose ";" goes.
  if (slash_only && !plsql && text.ends_with(u';')) text = TrimStatementEnd(text.substr(0, text.size() - 1));
  stmt->text.assign(text);
  stmt->kind = plsql ? kestrel::kStatementPlsql : StatementKind(text);
  return static_cast<std::ptrdiff_t>(next);
}
