// Internals of the regular-expression engine shared by the parser, the
// compiler, the matcher and the plain-text searcher. Not for callers.
//
// Pipeline: parse (pattern -> Node tree, regex_parser.cpp) -> compile (tree
// -> Program of Inst, regex_compiler.cpp) -> match (backtracking VM with an
// explicit stack, regex_matcher.cpp).
#pragma once

#include <bitset>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "regex/regex.h"

namespace kestrel::rx {

// ---- folding -------------------------------------------------------------

inline constexpr unsigned kFoldCase = kRegexIgnoreCase;
inline constexpr unsigned kFoldWidth = kRegexIgnoreWidth;

// Full-width forms U+FF01-U+FF5D to ASCII, ideographic space to space, and
// the yen sign, macron and curly quotes to their ASCII look-alikes.
inline char32_t width_fold(char32_t c) {
  if (c < 0x2018) return c;
  if (c >= 0xFF01 && c <= 0xFF5D) return c - 0xFF01 + 0x21;
  switch (c) {
    case 0x3000: return 0x20;
    case 0xFFE5: return 0x5C;
    case 0xFFE3: return 0x7E;
    case 0x201D: return 0x22;
    case 0x2019: return 0x27;
    case 0x2018: return 0x60;
    default: return c;
  }
}

// ASCII and full-width Latin capitals to lower case.
inline char32_t case_fold(char32_t c) {
  if (c >= 'A' && c <= 'Z') return c + 32;
  if (c >= 0xFF21 && c <= 0xFF3A) return c + 0x20;
  return c;
}

inline char32_t fold_char(char32_t c, unsigned fold) {
  if (fold & kFoldWidth) c = width_fold(c);
  if (fold & kFoldCase) c = case_fold(c);
  return c;
}

// Every code point that folds to `c` under `fold` (c itself included).
void fold_preimage(char32_t c, unsigned fold, std::vector<char32_t>& out);

// ---- character classes ---------------------------------------------------

// A class is tested on the folded input character: its explicit members were
// closed under the same folding when it was built, while the "every
// non-ASCII character" flag (from \D \W \S) is a rule on the folded input.
struct CharClass {
  std::uint64_t ascii[2] = {0, 0};
  bool non_ascii_all = false;
  bool negated = false;
  unsigned fold = 0;
  std::vector<std::pair<char32_t, char32_t>> ranges;  // above ASCII, sorted, disjoint

  bool contains_folded(char32_t c) const {
    if (c < 128) return (ascii[c >> 6] >> (c & 63)) & 1;
    if (non_ascii_all) return true;
    std::size_t lo = 0, hi = ranges.size();
    while (lo < hi) {
      const std::size_t mid = (lo + hi) / 2;
      if (c < ranges[mid].first) hi = mid;
      else if (c > ranges[mid].second) lo = mid + 1;
      else return true;
    }
    return false;
  }
  bool matches(char32_t c) const { return contains_folded(fold_char(c, fold)) != negated; }
};

// Collects members while a class is parsed, then closes them under folding.
class ClassBuilder {
 public:
  void add_range(char32_t lo, char32_t hi) { ranges_.emplace_back(lo, hi); }
  void add(char32_t c) { add_range(c, c); }
  void add_non_ascii() { non_ascii_all_ = true; }
  // Adds the ASCII members of a 128-bit map.
  void add_ascii_map(const std::uint64_t map[2]);
  CharClass build(bool negated, unsigned fold) const;

 private:
  std::vector<std::pair<char32_t, char32_t>> ranges_;
  bool non_ascii_all_ = false;
};

// Shorthand escapes, as 128-bit maps plus the non-ASCII flag.
enum class ShorthandClass { kDigit, kNotDigit, kWord, kNotWord, kSpace, kNotSpace, kLineSpace };
void add_shorthand(ClassBuilder& b, ShorthandClass k, bool space_has_lf);
bool is_word_char(char32_t c);

// ---- syntax tree ---------------------------------------------------------

enum class NodeKind : std::uint8_t {
  kEmpty,
  kLiteral,      // ch (already folded), fold
  kAny,          // dot_all: also line feed
  kClass,        // cls index
  kConcat,       // kids
  kAlternation,  // kids
  kRepeat,       // kids[0], min, max (-1 = no limit), greedy / possessive
  kCapture,      // kids[0], group
  kGroup,        // kids[0] (non-capturing)
  kBackref,      // group, fold
  kAnchor,       // anchor
  kLook,         // kids[0], behind, negate
  kAtomic,       // kids[0]
  kConditional,  // kids: [condition look when cond == kLook], yes, [no]
  kRecurse,      // group (0 = whole pattern)
  kKeep,
};

enum class AnchorKind : std::uint8_t {
  kLineStart, kLineEnd, kTextStart, kTextEndOrFinalBreak, kTextEnd,
  kWordBoundary, kNotWordBoundary,
  kUser0, kUser1, kUser2, kUser3,  // \=A \=z \=^ \=$
};

enum class CondKind : std::uint8_t { kGroupSet, kRecursion, kLook };

struct Node {
  NodeKind kind = NodeKind::kEmpty;
  bool greedy = true;
  bool possessive = false;
  bool dot_all = false;
  bool behind = false;
  bool negate = false;
  AnchorKind anchor = AnchorKind::kLineStart;
  CondKind cond = CondKind::kGroupSet;
  unsigned fold = 0;
  char32_t ch = 0;
  int cls = -1;
  int min = 0;
  int max = 0;
  int group = 0;  // capture number, back-reference, recursion target or condition group (-1: any)
  int offset = 0;
  std::vector<std::unique_ptr<Node>> kids;
};

struct ParseResult {
  std::unique_ptr<Node> root;
  std::vector<CharClass> classes;
  int group_count = 0;
  std::vector<std::pair<std::u16string, int>> names;  // name -> group number
  bool uses_recursion = false;
};

// Parses `pattern`; on failure returns false with `error` filled.
bool parse_pattern(std::u16string_view pattern, unsigned flags, ParseResult& out, RegexError& error);

// ---- program -------------------------------------------------------------

enum class Op : std::uint8_t {
  kChar,          // c: exact code point
  kCharFold,      // c: folded code point, fold
  kString,        // a: offset into Program::text, b: length (BMP units, no folding, no surrogates)
  kAny,           // any character but line feed
  kAnyAll,        // any character
  kClass,         // a: class index
  kSplit,         // try a, on failure b; c (when not 0): the unit branch a begins with
  kJmp,           // a
  kSave,          // a: register <- position
  kCommit,        // a: group; its pending start and the position become its registers
  kLoopMark,      // a: loop register <- position
  kLoopCheck,     // a: loop register; position unchanged -> jump b (leave the loop)
  kAssert,        // anchor
  kBackref,       // a: group, fold
  kLookStart,     // look frame; a: continue-on-body-success (-1 fail), b: continue-on-body-failure (-1 fail); behind: check end; restore: position back
  kLookEnd,
  kRepeatOne,     // greedy repetition of the one-character matcher at pc+1: a min, b max
                  // (-1 none), possessive; continues at pc+2. Gives characters back one at
                  // a time from a single choice point.
  kStepBack,      // a: characters to move back (lookbehind branch)
  kCondGroup,     // a: group; set -> next, else -> b
  kCondRecursion, // a: group (-1 any recursion, 0 whole pattern); true -> next, else -> b
  kCall,          // a: target pc, b: group
  kRetIfCalled,   // a: group
  kMatch,
  kFail,
};

// Registers: 2g and 2g+1 hold group g's start and end as seen by
// back-references and the caller; a group's start is kept pending until the
// group closes, so a back-reference inside a repeated group sees the previous
// iteration. Loop registers (position at the start of an iteration of a loop
// whose body can match empty) follow.
inline constexpr int kPendingBase = 2 * (kRegexMaxGroups + 1);
inline constexpr int kLoopBase = kPendingBase + kRegexMaxGroups + 1;

struct Inst {
  Op op = Op::kFail;
  unsigned fold = 0;
  AnchorKind anchor = AnchorKind::kLineStart;
  bool behind = false;
  bool restore = false;
  bool possessive = false;
  char32_t c = 0;
  std::int32_t a = 0;
  std::int32_t b = 0;
};

struct Program {
  std::vector<Inst> insts;
  std::vector<CharClass> classes;
  std::u16string text;  // literal runs of kString
  int group_count = 0;
  int loop_registers = 0;
  std::vector<std::int32_t> group_start_pc;  // recursion targets (first emission of each group)

  // Optimisation results (absent with kRegexNoOptimize).
  bool has_first_set = false;
  std::unique_ptr<std::bitset<65536>> first_set;  // UTF-16 units a match can start with
  char16_t first_unit = 0;                        // the only member of first_set, if it has one
  std::u16string literal_prefix;                  // exact units every match starts with
  bool pure_literal = false;                      // the pattern is exactly literal_prefix
  bool anchored_text_start = false;               // every match starts at \A
  bool anchored_line_start = false;               // every match starts at ^
};

bool compile_program(ParseResult& parsed, unsigned flags, Program& out, RegexError& error);

// ---- plain-text searcher ---------------------------------------------------

// First occurrence of `needle` at or after `from` that does not start inside
// a surrogate pair, or npos (plain_searcher.cpp).
std::size_t find_units(std::u16string_view hay, std::size_t from, std::u16string_view needle);

// Sunday's variant of Boyer-Moore over UTF-16 units (plain_searcher.cpp).
class PlainSearcher {
 public:
  PlainSearcher(std::u16string_view needle, bool ignore_case);
  // First occurrence at or after `from`, or npos. Never starts on the second
  // half of a surrogate pair.
  std::size_t find(std::u16string_view hay, std::size_t from);
  std::size_t length() const { return needle_.size(); }

 private:
  std::u16string needle_;  // folded when ignoring case
  bool ignore_case_;
  std::vector<std::uint16_t> shift_;  // per UTF-16 unit; shifts above 65535 are capped (still safe)
};

// ---- matcher -----------------------------------------------------------

struct MatchLimits {
  std::uint64_t step_limit = kRegexDefaultStepLimit;
  const std::function<bool()>* cancel = nullptr;
};

// The \= anchors: explicit positions, or (when not set by the caller) the
// search start for \=A and \=^ and the end of the text for \=z and \=$.
struct MatchInput {
  bool user_set = false;
  std::array<TextPos, 4> user_positions{};
};

// The VM's working memory, kept between searches so that repeated searches
// do not allocate.
struct MatcherState;
struct MatcherStateDeleter {
  void operator()(MatcherState* st) const;
};
using MatcherStatePtr = std::unique_ptr<MatcherState, MatcherStateDeleter>;
MatcherStatePtr make_matcher_state();

// Searches from `start` for the leftmost match (or, backward, for the match
// with the greatest start position not after `start`); fills `regs`.
RegexStatus run_string(const Program& prog, MatcherState& st, std::u16string_view subject,
                       std::size_t start, bool backward, const MatchInput& in, const MatchLimits& lim,
                       RegexMatch& regs);
RegexStatus run_source(const Program& prog, MatcherState& st, const RegexTextSource& src,
                       TextPos start, bool backward, const MatchInput& in, const MatchLimits& lim,
                       RegexMatch& regs);

}  // namespace kestrel::rx

namespace kestrel {

struct Regex::Impl {
  unsigned flags = 0;
  std::u16string source;
  bool plain = false;
  std::unique_ptr<rx::PlainSearcher> searcher;
  rx::Program prog;
  std::vector<std::pair<std::u16string, int>> names;
  rx::MatcherStatePtr state;

  RegexMatch regs{};
  RegexStatus status = RegexStatus::kNoMatch;
  bool user_positions_set = false;
  std::array<TextPos, 4> user_positions{};
  std::uint64_t step_limit = kRegexDefaultStepLimit;
  std::function<bool()> cancel;
};

}  // namespace kestrel
