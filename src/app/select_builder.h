// Building the SELECT that loads the grid from a table selection: the
// condition's "WHERE " prefix, the select list, the statement for a heap
// table or an index-organised one, and the column names the table dialog
// copies into the condition. Plain C++ so every rule is tested headless.
#pragma once

#include <string>
#include <string_view>
#include <vector>

class CStrToken;

namespace kestrel {

// The marker that makes a column entry a verbatim, read-only expression.
inline constexpr std::u16string_view kReadOnlyMarker = u"/*READONLY*/";
inline constexpr std::u16string_view kDefaultAlias = u"a";

inline bool IsReadOnlyEntry(std::u16string_view entry) {
  return entry.find(kReadOnlyMarker) != std::u16string_view::npos;
}

// What one SELECT is built from.
struct SelectRequest {
  std::u16string owner;
  std::u16string table;
  std::u16string alias;                   // "a" when empty
  std::vector<std::u16string> entries;    // column names or "/*READONLY*/" expressions
  std::u16string condition;               // as sent (already prefixed)
  bool data_lock = false;
  bool index_organized = false;
  std::vector<std::u16string> key_columns;  // primary key of an index-organised table
};

// The condition as sent: a text whose first token (after blanks, tabs and
// line ends) is neither "where" nor "order" gets "WHERE " in front. A text
// of blanks only counts as empty and is sent as it stands.
std::u16string PrefixCondition(const CStrToken& tok, std::u16string_view condition);

// The quoted form of an identifier, "NAME". A name containing a double
// quotation mark cannot be quoted and returns false with the message in
// *err; nothing built from it reaches SQL.
bool QuoteIdentifier(std::u16string_view name, std::u16string* out, std::u16string* err);

// The select list: entries joined by ", "; a "/*READONLY*/" entry as it
// stands, any other as alias."NAME".
bool BuildSelectList(const std::vector<std::u16string>& entries, std::u16string_view alias,
                     std::u16string* out, std::u16string* err);

// The whole statement. Returns false with the reason in *err (a name that
// cannot be quoted, an index-organised table without key columns).
bool BuildSelectStatement(const CStrToken& tok, const SelectRequest& req, std::u16string* sql,
                          std::u16string* err);

// A column name as the condition needs it: bare when it holds only A-Z,
// 0-9, '#', '$', '_' and characters at or above U+0080 (full-width forms of
// ASCII count as those characters), else in double quotation marks. A name
// with a full stop is quoted too: bare, "A.B" would read as column B of A.
// A name holding '"' gives an empty text.
std::u16string ConditionColumnName(std::u16string_view name);

// The text "Where句へコピー" inserts at the caret: the names in order, the
// first one preceded by ", " when the text before the caret ends in a value
// (a name, a quoted text, a number or ')'), later ones always by ", ".
// Names that cannot be written are left out.
std::u16string WhereCopyText(const CStrToken& tok, const std::vector<std::u16string>& names,
                             std::u16string_view text_before_caret);

}  // namespace kestrel
