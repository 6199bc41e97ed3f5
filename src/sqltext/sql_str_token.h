// CSQLStrToken: CStrToken set up for Oracle SQL. It classifies statements,
// splits a script into statements the way SQL*Plus users write them, and
// builds the completion list from the default keywords plus the current
// user's object and column names.
#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "sqltext/completion_dictionary.h"
#include "sqltext/str_token.h"

// One statement handed back by the splitter.
struct SqlStatement {
  std::u16string text;    // without a final ";" (PL/SQL keeps its "END;") and trailing line ends
  std::ptrdiff_t start = 0;  // UTF-16 index of its first character in the script
  int32_t kind = 0;       // kStatementOther ... kStatementScript
};

class CSQLStrToken : public CStrToken {
 public:
  CSQLStrToken();

  // True for a "<<label>>" start, a BEGIN or DECLARE, or CREATE [OR REPLACE]
  // FUNCTION / JAVA / LIBRARY / PACKAGE [BODY] / PROCEDURE / TRIGGER /
  // TYPE [BODY]. EDITIONABLE, NONEDITIONABLE, AND RESOLVE / AND COMPILE and
  // NOFORCE, which generated DDL puts in between, are passed over.
  bool IsPlsqlBlock(std::u16string_view stmt) const;
  // True when the statement is WITH FUNCTION / WITH PROCEDURE, which also
  // ends only at a "/" line.
  bool IsWithFunction(std::u16string_view stmt) const;
  // The kind of a statement's text (the one-line commands are recognised by
  // the splitter, which sees their lines).
  int32_t StatementKind(std::u16string_view stmt) const;

  // Reads the statement that starts at or after `pos`. Returns the position
  // after it, or -1 when only blanks, comments and empty statements remain.
  std::ptrdiff_t NextStatement(std::u16string_view script, std::size_t pos, SqlStatement* stmt) const;

  // Builds and publishes the completion list: the default keywords plus
  // every object (kind name: its type, description: its comment when
  // `object_comments`) and column (kind name: its data type) of `owner`.
  // Returns 0 with "%d words" in *msg; 1 with the reason when a query fails,
  // memory runs out or `stop` was set, the default keywords staying active.
  int InitKeywordForCompletion(kestrel::CompletionDictionary& dict, std::u16string_view owner,
                               bool object_comments, const std::atomic<bool>* stop, std::u16string* msg);

  // The dictionary query texts the completion list is built from.
  static std::u16string ObjectQueryText(bool object_comments);
  static std::u16string ColumnQueryText();

 private:
  std::size_t SkipBlanksAndComments(std::u16string_view text, std::size_t i, bool skip_parens = false) const;
  // The next word after `*pos`, passing blanks and comments (and, with
  // `skip_parens`, opening parentheses); *pos moves past it.
  std::u16string_view NextWord(std::u16string_view text, std::size_t* pos, bool skip_parens = false) const;
  // True when the line starting at `pos` holds only "/" and blanks; *after
  // is the start of the next line.
  static bool IsSlashLine(std::u16string_view text, std::size_t pos, std::size_t* after);
  // Position after the comment or quoted text starting at `i`, or `i`.
  std::size_t SkipUnit(std::u16string_view text, std::size_t i) const;

  std::array<bool, 256> stops_{};  // characters the splitter must look at
};
