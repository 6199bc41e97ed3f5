#include "app/select_builder.h"

#include <array>

#include "platform/format.h"
#include "platform/utf16.h"
#include "sqltext/str_token.h"

namespace kestrel {
namespace {

// The first token of a condition is read up to this many characters.
constexpr std::size_t kMaxFirstToken = 99;

// Words after which a column name starts a new term rather than following
// a value, so no ", " goes in front of it.
constexpr std::array<std::u16string_view, 26> kTermStarters = {
    u"where", u"and",   u"or",     u"not",    u"by",      u"select", u"on",
    u"set",   u"having", u"when",  u"then",   u"else",    u"case",   u"in",
    u"like",  u"is",    u"between", u"order", u"group",   u"distinct", u"prior",
    u"exists", u"escape", u"union", u"all",   u"any"};

bool IsTermStarter(std::u16string_view word) {
  for (auto w : kTermStarters) {
    if (iequals_ascii(word, w)) return true;
  }
  return false;
}

// Full-width forms of ASCII (U+FF01..U+FF5E) read as the ASCII character.
char16_t Narrow(char16_t c) { return (c >= 0xFF01 && c <= 0xFF5E) ? static_cast<char16_t>(c - 0xFEE0) : c; }

// True when the text ends inside a line comment, which would swallow
// anything appended on the same line.
bool EndsInLineComment(const CStrToken& tok, std::u16string_view text) {
  CStrToken::LexState state;
  CStrToken::TokenType last = CStrToken::TokenType::kEnd;
  std::size_t pos = 0;
  while (pos < text.size()) {
    CStrToken::Token t = tok.ScanToken(text, pos, &state);
    if (t.type == CStrToken::TokenType::kEnd || t.length == 0) break;
    last = t.type;
    pos = t.start + t.length;
  }
  return last == CStrToken::TokenType::kLineComment;
}

}  // namespace

std::u16string PrefixCondition(const CStrToken& tok, std::u16string_view condition) {
  std::size_t pos = CStrToken::SkipBlanks(condition);
  if (pos >= condition.size()) return std::u16string(condition);
  CStrToken::LexState state;
  CStrToken::Token t = tok.ScanToken(condition, pos, &state);
  std::u16string_view first = condition.substr(t.start, std::min(t.length, kMaxFirstToken));
  if (t.type == CStrToken::TokenType::kWord && (iequals_ascii(first, u"where") || iequals_ascii(first, u"order"))) {
    return std::u16string(condition);
  }
  return u"WHERE " + std::u16string(condition);
}

bool QuoteIdentifier(std::u16string_view name, std::u16string* out, std::u16string* err) {
  if (name.find(u'"') != std::u16string_view::npos) {
    if (err) *err = format(u"名前に「\"」は使えません: %s", {name});
    return false;
  }
  *out = u"\"";
  out->append(name);
  out->push_back(u'"');
  return true;
}

bool BuildSelectList(const std::vector<std::u16string>& entries, std::u16string_view alias,
                     std::u16string* out, std::u16string* err) {
  if (alias.empty()) alias = kDefaultAlias;
  std::u16string list;
  for (const auto& entry : entries) {
    if (!list.empty()) list += u", ";
    if (IsReadOnlyEntry(entry)) {
      list += entry;
      continue;
    }
    std::u16string quoted;
    if (!QuoteIdentifier(entry, &quoted, err)) return false;
    list.append(alias);
    list.push_back(u'.');
    list += quoted;
  }
  *out = std::move(list);
  return true;
}

bool BuildSelectStatement(const CStrToken& tok, const SelectRequest& req, std::u16string* sql,
                          std::u16string* err) {
  std::u16string_view alias = req.alias.empty() ? kDefaultAlias : std::u16string_view(req.alias);
  std::u16string list;
  std::u16string owner;
  std::u16string table;
  if (!BuildSelectList(req.entries, alias, &list, err) || !QuoteIdentifier(req.owner, &owner, err) ||
      !QuoteIdentifier(req.table, &table, err)) {
    return false;
  }
  // The owner and table are quoted above; the format adds the quotes, so
  // pass the bare names once they are known to be safe.
  if (!req.index_organized) {
    *sql = format(u"select %s, rowid \nfrom \"%s\".\"%s\" %s \n%s",
                  {list, req.owner, req.table, alias, req.condition});
  } else {
    if (req.key_columns.empty()) {
      if (err) *err = format(u"主キーが見つかりません: %s.%s", {req.owner, req.table});
      return false;
    }
    std::u16string keys;
    if (!BuildSelectList(req.key_columns, alias, &keys, err)) return false;
    *sql = format(u"select %s, 'X' as \"ROWID\" , %s \nfrom \"%s\".\"%s\" %s \n%s",
                  {list, keys, req.owner, req.table, alias, req.condition});
  }
  if (req.data_lock) {
    // A condition ending in a "--" comment would swallow the lock clause and
    // load the rows unlocked while "Data Lock" is shown.
    if (EndsInLineComment(tok, req.condition)) sql->push_back(u'\n');
    *sql += u" for update nowait";
  }
  return true;
}

std::u16string ConditionColumnName(std::u16string_view name) {
  if (name.find(u'"') != std::u16string_view::npos) return {};
  bool bare = !name.empty();
  for (char16_t c : name) {
    char16_t n = Narrow(c);
    bool ok = (n >= u'A' && n <= u'Z') || (n >= u'0' && n <= u'9') || n == u'#' || n == u'$' || n == u'_' ||
              n >= 0x80;
    if (!ok) {
      bare = false;
      break;
    }
  }
  if (bare) return std::u16string(name);
  return u"\"" + std::u16string(name) + u"\"";
}

std::u16string WhereCopyText(const CStrToken& tok, const std::vector<std::u16string>& names,
                             std::u16string_view text_before_caret) {
  // Does the text before the caret end in a value?
  bool after_value = false;
  {
    CStrToken::LexState state;
    std::size_t pos = 0;
    while (pos < text_before_caret.size()) {
      CStrToken::Token t = tok.ScanToken(text_before_caret, pos, &state);
      if (t.type == CStrToken::TokenType::kEnd || t.length == 0) break;
      pos = t.start + t.length;
      switch (t.type) {
        case CStrToken::TokenType::kBlank:
        case CStrToken::TokenType::kLineComment:
        case CStrToken::TokenType::kBlockComment:
          break;
        case CStrToken::TokenType::kWord:
          after_value = !IsTermStarter(text_before_caret.substr(t.start, t.length));
          break;
        case CStrToken::TokenType::kQuoted:
        case CStrToken::TokenType::kBindVariable:
          after_value = true;
          break;
        case CStrToken::TokenType::kBracket:
          after_value = text_before_caret[t.start] == u')';
          break;
        default:
          after_value = false;
          break;
      }
    }
  }
  std::u16string out;
  bool first = true;
  for (const auto& name : names) {
    std::u16string written = ConditionColumnName(name);
    if (written.empty()) continue;
    if (!first || after_value) {
      out += format(u", %s", {written});
    } else {
      out += written;
    }
    first = false;
  }
  return out;
}

}  // namespace kestrel
