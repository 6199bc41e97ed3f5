// The regular-expression engine: a Perl-style dialect over UTF-16 text with
// case folding (ASCII and full-width Latin letters), width folding
// (full-width forms match ASCII) and four caller-supplied position anchors
// (`\=A` `\=z` `\=^` `\=$`). A surrogate pair is one character everywhere.
//
//   std::unique_ptr<Regex> re = compile_regex(u"(\\w+)-(\\w+)", 0);
//   if (!re) -> show "invalid regexp pattern"
//   if (re->execute(text) == 1) -> re->match_start(), re->match_length(),
//                                  re->submatch(2, &s, &e)
//   else if (re->abandoned()) -> the search gave up (step budget, memory)
//
// A compiled object keeps the registers of its last match, so one object
// serves one search at a time (one thread). Matching never recurses on the
// machine stack: choice points live on an explicit stack that starts at 32
// entries and doubles.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "regex/regex_constants.h"
#include "regex/text_source.h"

namespace kestrel {

enum class RegexErrorCode {
  kNone,
  kMissingParen,        // "(" without ")"
  kUnmatchedParen,      // ")" without "("
  kMissingBracket,      // "[" without "]"
  kNothingToRepeat,     // quantifier at the start, after "|" or "(", or after another quantifier
  kUnknownGroupForm,    // "(?" followed by something not in the dialect
  kBadFlag,             // unknown letter in "(?flags)"
  kBadBackReference,    // \ followed by a group above 9 or not defined; unknown \g form
  kUnknownGroupName,    // \k<name>, (?&name), (?(<name>)...) naming no group
  kDuplicateGroupName,
  kBadGroupName,
  kVariableLookbehind,  // lookbehind whose branches have no fixed length
  kBadRepeat,           // {n,m} with n > m or a bound above kRegexMaxRepeat
  kBadEscape,           // \x{...} malformed or above U+10FFFF; trailing "\"
  kBadClassRange,       // [z-a], or a range bound that is a class such as \d
  kBadPosixClass,       // [:name:] not among ascii alpha alnum digit upper lower
  kBadCondition,        // (?(...)...) with a bad condition or more than two branches
  kKeepInLookaround,    // \K inside a lookaround
  kTooDeep,             // parentheses nested more than kRegexMaxNesting
  kTooLarge,            // compiled program above kRegexMaxProgramSize
  kNoMemory,
};

struct RegexError {
  RegexErrorCode code = RegexErrorCode::kNone;
  int offset = 0;  // UTF-16 index in the pattern where the problem was seen
  // English description of `code`, for logs and tooltips; the dialogs show
  // their own fixed texts.
  std::u16string_view description() const;
};

// Registers of one match: group 0 is the whole match (its start moved by \K).
// Groups that did not take part hold kNoTextPos in both ends.
struct RegexMatch {
  std::array<TextPos, kRegexMaxGroups + 1> start;
  std::array<TextPos, kRegexMaxGroups + 1> end;
};

// Outcome of the last execute, for callers that must tell "not found" from
// "gave up".
enum class RegexStatus {
  kNoMatch,
  kMatch,
  kStepLimit,   // the step budget ran out
  kNoMemory,    // the backtracking stack could not grow
  kCancelled,   // the cancel check returned true
};

class Regex {
 public:
  ~Regex();
  Regex(const Regex&) = delete;
  Regex& operator=(const Regex&) = delete;

  // Searches `subject` for the leftmost match starting at or after `start`
  // (a UTF-16 index). The whole subject is visible to anchors, lookbehind
  // and \b, so searching on from the end of a previous match is correct.
  // Returns 1 on a match (registers set), else 0.
  int execute(std::u16string_view subject, std::size_t start = 0);
  // The same over a text source, starting at `start` (a position of `source`).
  int execute(const RegexTextSource& source, TextPos start);
  // Backward search ("find previous"): start positions are tried from
  // `from` down to the start of the text, and the first one where the
  // pattern matches wins (at that position the match is the usual
  // leftmost-first one). Returns 1 or 0 like execute().
  int execute_backward(std::u16string_view subject, std::size_t from);
  int execute_backward(const RegexTextSource& source, TextPos from);

  RegexStatus status() const;
  // True when the last execute returned 0 because it gave up, not because
  // there is no match.
  bool abandoned() const;

  // The last match. For a string subject positions are UTF-16 indexes.
  TextPos match_start() const;
  TextPos match_end() const;
  std::int64_t match_length() const;  // string subjects only: end - start
  const RegexMatch& registers() const;

  // Number of capturing groups in the pattern (0 to 9); the macro
  // language's match count is this plus one.
  int group_count() const;
  // Start and end of group `n` (0 = whole match) of the last match; false
  // when n is outside 0..group_count(). A group that did not take part
  // gives kNoTextPos for both.
  bool submatch(int n, TextPos* start, TextPos* end) const;
  // Group number of a named group, or -1.
  int group_index(std::u16string_view name) const;

  // Positions of the `\=A`, `\=z`, `\=^`, `\=$` anchors. Until set (or
  // after clear), execute uses the search start for `\=A` and `\=^` and the
  // end of the text for `\=z` and `\=$`.
  void set_anchor_positions(const std::array<TextPos, 4>& positions);
  void clear_anchor_positions();

  // Backtracks allowed per execute before it gives up; 0 = no limit.
  void set_step_limit(std::uint64_t steps);
  // Polled every few thousand steps; returning true abandons the search
  // (status kCancelled). Used by macro runs that watch a cancel key.
  void set_cancel_check(std::function<bool()> cancel);

  unsigned flags() const;
  // True when built by compile_plain_text without a pattern (Sunday search).
  bool is_plain_text() const;
  // The text given to compile_regex / compile_plain_text.
  const std::u16string& source_text() const;

  // Internal: built by compile_regex / compile_plain_text (Impl is defined
  // in regex_p.h).
  struct Impl;
  explicit Regex(std::unique_ptr<Impl> impl);
  Impl& impl() { return *impl_; }
  const Impl& impl() const { return *impl_; }

 private:
  std::unique_ptr<Impl> impl_;
};

// Compiles a pattern with kRegex* flags. Returns nullptr when the pattern is
// invalid or memory runs out; `error` (optional) says why and where.
std::unique_ptr<Regex> compile_regex(std::u16string_view pattern, unsigned flags,
                                     RegexError* error = nullptr);

// Compiles a search text taken literally. With kRegexIgnoreWidth the text
// is compiled as a pattern that matches it literally (every special
// character escaped), with the same flags; otherwise a plain-text searcher
// (Sunday's variant of Boyer-Moore) is built, case-insensitive with
// kRegexIgnoreCase. Returns nullptr only when memory runs out.
std::unique_ptr<Regex> compile_plain_text(std::u16string_view text, unsigned flags);

// How replace() reads the replacement text.
enum class RegexReplaceSyntax {
  kTemplate,  // \N $N \& $& $` $' $+ \{name} ${name} \n \t, "\" quotes
  kLiteral,   // inserted as it stands (plain-text search and replace)
};
enum class RegexReplaceScope { kFirst, kAll };

enum class RegexReplaceStatus {
  kOk,              // `out` holds the new text (equal to the subject when nothing matched)
  kNoMemory,
  kAbandoned,       // a search gave up (see Regex::status())
  kCallbackFailed,  // the replacement function returned false
};

// Replaces the first or every match in `subject`. Matching resumes after
// each replaced match; an empty match inserts the replacement and moves on
// by one character. `count` (optional) receives the number of replacements.
RegexReplaceStatus regex_replace(Regex& re, std::u16string_view subject,
                                 std::u16string_view replacement, RegexReplaceSyntax syntax,
                                 RegexReplaceScope scope, std::u16string& out,
                                 int* count = nullptr);
// The same with a function that produces each replacement; it sees the
// match in `re` (registers, submatch) and appends to `insert`.
using RegexReplaceFunction = std::function<bool(const Regex& re, std::u16string& insert)>;
RegexReplaceStatus regex_replace(Regex& re, std::u16string_view subject,
                                 const RegexReplaceFunction& replacement, RegexReplaceScope scope,
                                 std::u16string& out, int* count = nullptr);

// Expands a replacement template for the last match of `re` over `source`
// (the editor replaces inside its buffer itself). `$'` stops at the end of
// the match's line.
std::u16string regex_expand_template(const Regex& re, const RegexTextSource& source,
                                     std::u16string_view replacement);
std::u16string regex_expand_template(const Regex& re, std::u16string_view subject,
                                      std::u16string_view replacement);

}  // namespace kestrel
