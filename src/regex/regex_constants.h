// Numbers and texts the regular-expression engine fixes: compile flags,
// limits and the messages callers show for a failed compile or replace.
#pragma once

#include <cstddef>
#include <cstdint>

namespace kestrel {

// Compile flags (may be or-ed).
inline constexpr unsigned kRegexIgnoreCase = 1;   // ASCII and full-width Latin letters
inline constexpr unsigned kRegexIgnoreWidth = 2;  // full-width forms fold to ASCII
inline constexpr unsigned kRegexNoOptimize = 4;   // skip the optimisation passes

// Messages of the macro language for a failed compile / replace.
inline constexpr char16_t kRegexInvalidPatternMessage[] = u"invalid regexp pattern";
inline constexpr char16_t kRegexNoMemoryMessage[] = u"no memory";

// Capturing groups 1..9; group 0 is the whole match. Parentheses after the
// ninth only group.
inline constexpr int kRegexMaxGroups = 9;

// {n,m} bounds above this are rejected at compile time; repetition is
// unrolled, so together with kRegexMaxProgramSize it bounds compiled size.
inline constexpr int kRegexMaxRepeat = 1000;
// Parenthesis nesting deeper than this is a compile error (the parser and
// compiler recurse once per nesting level).
inline constexpr int kRegexMaxNesting = 200;
// Compiled instructions; larger patterns are a compile error.
inline constexpr int kRegexMaxProgramSize = 1 << 20;
// Nested recursion calls ((?R), (?1), (?&name)) deeper than this fail the
// match path instead of growing without bound.
inline constexpr int kRegexMaxCallDepth = 1000;

// Default step budget of one execute: the number of backtracks (choice
// points resumed) after which the search is abandoned. Ordinary searches
// over megabytes of text stay far below it; an exponential pattern reaches
// it in about a second instead of hanging the caller.
inline constexpr std::uint64_t kRegexDefaultStepLimit = 50'000'000;
// The backtracking stack starts at 32 entries and doubles; a match that
// would need more than 8M entries (24 bytes each, about 200 MB: a greedy
// loop over an 8-million-character text) is abandoned with kNoMemory.
inline constexpr std::size_t kRegexInitialStackSize = 32;
inline constexpr std::size_t kRegexMaxStackEntries = std::size_t{1} << 23;

}  // namespace kestrel
