// Table of (pattern, flags, subject) -> outcome. Every row runs three ways:
// optimised over a string, with the optimisation passes skipped, and
// through the text-source interface; all three must agree.
#include <gtest/gtest.h>

#include "regex_test_util.h"

namespace kestrel::testing {
namespace {

struct Row {
  const char* pattern;
  unsigned flags;
  const char* subject;
  const char* expected;  // see describe_match(); "ERROR" for a rejected pattern
};

const Row kRows[] = {
    // Literals and the two any-character kinds.
    {"abc", 0, "xabcx", "@1:abc"},
    {"abc", 0, "ab", "NOMATCH"},
    {"", 0, "abc", "@0:"},
    {"a.c", 0, "a\nc", "NOMATCH"},
    {"(?s)a.c", 0, "a\nc", "@0:a\nc"},
    {"a.c", 0, "a\rc", "@0:a\rc"},
    {"a(?s:.)c(?-s).", 0, "a\nc\n!", "NOMATCH"},
    {"a(?s:.)c(?-s).", 0, "a\nc!", "@0:a\nc!"},
    {"x.y", 0, "x\xF0\x9F\x98\x80y", "@0:x😀y"},
    {"^.$", 0, "😀", "@0:😀"},
    {"..", 0, "😀a", "@0:😀a"},
    {"😀+", 0, "😀😀x", "@0:😀😀"},
    {"\\x{1F600}", 0, "a😀", "@1:😀"},
    {"\\x41\\x{42}", 0, "zAB", "@1:AB"},
    {"\\x{3042}", 0, "いあ", "@1:あ"},
    {"\\n\\t\\r\\f", 0, "a\n\t\r\fb", "@1:\n\t\r\f"},
    {"\\-\\y\\.", 0, "x-y.", "@1:-y."},
    {"東京(都|府)", 0, "大阪府と東京都", "@4:東京都|都"},
    {"a{,2}", 0, "a{,2}", "@0:a{,2}"},
    {"x{", 0, "x{", "@0:x{"},
    {"x{1", 0, "x{1", "@0:x{1"},

    // Classes.
    {"[a-c]+", 0, "xxabcd", "@2:abc"},
    {"[^a-c]+", 0, "abcxyz", "@3:xyz"},
    {"[]a]+", 0, "x]a]", "@1:]a]"},
    {"[^]a]+", 0, "]ax]", "@2:x"},
    {"[a-]+", 0, "x-a-", "@1:-a-"},
    {"[-a]+", 0, "x-a-", "@1:-a-"},
    {"[.]", 0, "a.b", "@1:."},
    {"[\\]]", 0, "a]", "@1:]"},
    {"[\\\\]", 0, "a\\", "@1:\\"},
    {"[\\n\\t]+", 0, "a\n\tb", "@1:\n\t"},
    {"[\\x41-\\x43]+", 0, "zABCD", "@1:ABC"},
    {"[\\d]+", 0, "ab123", "@2:123"},
    {"[\\dx]+", 0, "ab1x3", "@2:1x3"},
    {"[^\\d]+", 0, "12ab3", "@2:ab"},
    {"[\\D]+", 0, "12あい3", "@2:あい"},
    {"[😀-😂]+", 0, "a😁😂b", "@1:😁😂"},
    {"[^a]", 0, "a😀", "@1:😀"},
    {"[\\x{1F600}-\\x{1F64F}]+", 0, "x😀😁y", "@1:😀😁"},
    {"[ぁ-ん]+", 0, "カタカナひらがなabc", "@4:ひらがな"},
    {"[[:alpha:]]+", 0, "12abC3", "@2:abC"},
    {"[[:digit:]]+", 0, "ab12c", "@2:12"},
    {"[[:upper:]]+", 0, "abCDe", "@2:CD"},
    {"[[:lower:]]+", 0, "ABcdE", "@2:cd"},
    {"[[:alnum:]]+", 0, "-a1B-", "@1:a1B"},
    {"[[:ascii:]]+", 0, "あab", "@1:ab"},
    {"[[:^digit:]]+", 0, "12ab3", "@2:ab"},
    {"[[:alpha:]]", 0, "Ａ", "NOMATCH"},
    {"[[:alpha:][:digit:]]+", 0, "-a1-", "@1:a1"},
    {"[a[:digit:]]+", 0, "-a1-", "@1:a1"},
    {"[[:foo:]]", 0, "", "ERROR"},
    {"[z-a]", 0, "", "ERROR"},
    {"[a-\\d]", 0, "", "ERROR"},
    {"[abc", 0, "", "ERROR"},
    {"[", 0, "", "ERROR"},
    {"[\\", 0, "", "ERROR"},

    // Shorthand escapes.
    {"\\d+", 0, "ab１２3", "@4:3"},
    {"\\D+", 0, "12あい3", "@2:あい"},
    {"\\w+", 0, "  foo_1 ", "@2:foo_1"},
    {"\\W+", 0, "ab あ! c", "@2: あ! "},
    {"\\s+", 0, "a \t\fb", "@1: \t\f"},
    {"\\s+", 0, "a\n b", "@2: "},
    {"(?S)\\s+", 0, "a\n b", "@1:\n "},
    {"[\\s]+", 0, "a\n b", "@2: "},
    {"(?S)[\\s]+", 0, "a\n b", "@1:\n "},
    {"\\S+", 0, "\nab", "@1:ab"},
    {"(?S)\\S", 0, "\n", "NOMATCH"},
    {"\\s", 0, "\r", "NOMATCH"},
    {"\\l+", 0, "a\r\n \tb", "@1:\r\n \t"},
    {"\\s+", 0, "a\r\n b", "@3: "},

    // Case-insensitive (flag 1): ASCII and full-width Latin letters.
    {"abc", I, "xABC", "@1:ABC"},
    {"ABC", I, "abc", "@0:abc"},
    {"ａｂｃ", I, "ＡＢＣ", "@0:ＡＢＣ"},
    {"abc", I, "ＡＢＣ", "NOMATCH"},
    {"[a-z]+", I, "ABC", "@0:ABC"},
    {"[A-Z]+", I, "abc", "@0:abc"},
    {"[ａ-ｚ]+", I, "ＡＢＣ", "@0:ＡＢＣ"},
    {"[Ａ-Ｚ]+", I, "ａｂ", "@0:ａｂ"},
    {"[^a]", I, "A", "NOMATCH"},
    {"[^a]+", I, "AaB", "@2:B"},
    {"[[:upper:]]+", I, "abc", "@0:abc"},
    {"é", I, "É", "NOMATCH"},
    {"(?i)abc", 0, "ABC", "@0:ABC"},
    {"(?i:a)b", 0, "Ab", "@0:Ab"},
    {"(?i:a)b", 0, "AB", "NOMATCH"},
    {"a(?i)b", 0, "aB", "@0:aB"},
    {"a(?i)b", 0, "AB", "NOMATCH"},
    {"(a(?i)b)c", 0, "aBc", "@0:aBc|aB"},
    {"(a(?i)b)c", 0, "aBC", "NOMATCH"},
    {"(?i)a(?-i)b", 0, "AB", "NOMATCH"},
    {"(?i)a(?-i)b", 0, "Ab", "@0:Ab"},
    {"(?i)x|y", 0, "Y", "@0:Y"},
    {"(?-i)abc", I, "ABC", "NOMATCH"},
    {"(?i-s:a.)", 0, "A\n", "NOMATCH"},
    {"(?z)", 0, "", "ERROR"},
    {"(?i-i-s)", 0, "", "ERROR"},

    // Width-insensitive (flag 2): full-width forms, ideographic space, yen
    // sign, macron and curly quotes fold to ASCII.
    {"ABC", W, "ＡＢＣ", "@0:ＡＢＣ"},
    {"ＡＢＣ", W, "xABC", "@1:ABC"},
    {"abc", W, "ＡＢＣ", "NOMATCH"},
    {"abc", I | W, "ＡＢＣ", "@0:ＡＢＣ"},
    {"a b", W, "a　b", "@0:a　b"},
    {"\\\\", W, "x￥", "@1:￥"},
    {"~", W, "x￣", "@1:￣"},
    {"\"'`", W, "”’‘", "@0:”’‘"},
    {"1+2=3", W, "１１２＝３", "@0:１１２＝３"},
    {"1\\+2=3", W, "１＋２＝３", "@0:１＋２＝３"},
    {"[a-z]+", W, "ａｂｃ", "@0:ａｂｃ"},
    {"[a-z]+", I | W, "ＡＢＣ", "@0:ＡＢＣ"},
    {"[ａ-ｚ]+", W, "abc", "@0:abc"},
    {"[^a]", W, "ａ", "NOMATCH"},
    {"\\W", W, "Ａ", "NOMATCH"},
    {"\\w+", W, "ＡＢ_", "@0:ＡＢ_"},
    {"\\d+", W, "１２", "@0:１２"},
    {"\\s", W, "　", "@0:　"},
    {"(?w)ABC", 0, "ＡＢＣ", "@0:ＡＢＣ"},
    {"(?w:A)B", 0, "ＡＢ", "NOMATCH"},
    {"あ", W, "あ", "@0:あ"},

    // Repetition: greedy, lazy, possessive, counted.
    {"a*", 0, "aaa", "@0:aaa"},
    {"a*?", 0, "aaa", "@0:"},
    {"a+?", 0, "aaa", "@0:a"},
    {"a??b", 0, "ab", "@0:ab"},
    {"a{2}", 0, "aaa", "@0:aa"},
    {"a{2,}", 0, "aaaa", "@0:aaaa"},
    {"a{1,2}", 0, "aaa", "@0:aa"},
    {"a{1,2}?", 0, "aaa", "@0:a"},
    {"a{0}b", 0, "ab", "@1:b"},
    {"a{3}", 0, "aa", "NOMATCH"},
    {"(ab){2,3}", 0, "abababab", "@0:ababab|ab"},
    {"a++a", 0, "aaa", "NOMATCH"},
    {"a*+b", 0, "aab", "@0:aab"},
    {"a{1,3}+a", 0, "aaaa", "@0:aaaa"},
    {"a?+a", 0, "a", "NOMATCH"},
    {"(?:ab)+", 0, "ababa", "@0:abab"},
    {"(a|ab)(c|bcd)(d*)", 0, "abcd", "@0:abcd|a|bcd|"},
    {"(a+|b+)*c", 0, "aabbc", "@0:aabbc|bb"},
    {"a{2,1}", 0, "", "ERROR"},
    {"a{1001}", 0, "", "ERROR"},
    {"a{1000}", 0, "a", "NOMATCH"},
    {"*a", 0, "", "ERROR"},
    {"a**", 0, "", "ERROR"},
    {"a{2}{3}", 0, "", "ERROR"},
    {"(*)", 0, "", "ERROR"},
    {"a|*", 0, "", "ERROR"},
    {"^*", 0, "", "ERROR"},
    {"{2}", 0, "", "ERROR"},

    // Repetitions whose body can match empty terminate.
    {"(a*)*", 0, "b", "@0:|"},
    {"(a*)*", 0, "aab", "@0:aa|"},
    {"(a*)+", 0, "aab", "@0:aa|"},
    {"(|a)+", 0, "aa", "@0:|"},
    {"(a|)*", 0, "aa", "@0:aa|"},
    {"(a*)*b", 0, "aab", "@0:aab|"},
    {"(?:a?)*?b", 0, "aab", "@0:aab"},
    {"(?:$|a)*x", 0, "aax", "@0:aax"},
    {"(\\b)*a", 0, "a", "@0:a|"},
    {"(?:a*)*{3}", 0, "", "ERROR"},
    {"(?:(?:a*)*)*b", 0, "aaab", "@0:aaab"},

    // Captures, ten groups, named groups.
    {"(a)(b)(c)(d)(e)(f)(g)(h)(i)(j)", 0, "abcdefghij", "@0:abcdefghij|a|b|c|d|e|f|g|h|i"},
    {"(a)(b)(c)(d)(e)(f)(g)(h)(i)(j)\\9", 0, "abcdefghiji", "@0:abcdefghiji|a|b|c|d|e|f|g|h|i"},
    {"(a)\\10", 0, "aa0", "@0:aa0|a"},
    {"(a)\\10", 0, "aa", "NOMATCH"},
    {"(a)|b", 0, "b", "@0:b|~"},
    {"(a)?b", 0, "b", "@0:b|~"},
    {"(?:(a)|b)+", 0, "ab", "@0:ab|a"},
    {"(?<y>\\d{4})-(?<m>\\d\\d)", 0, "on 2024-05", "@3:2024-05|2024|05"},
    {"(?'x'a)\\k'x'", 0, "aa", "@0:aa|a"},
    {"(?P<x>a)(?P=x)", 0, "aa", "@0:aa|a"},
    {"(?<x>a)\\k<x>", 0, "aa", "@0:aa|a"},
    {"(?<x>a)\\k{x}", 0, "aa", "@0:aa|a"},
    {"(?<x>a)\\g{x}", 0, "aa", "@0:aa|a"},
    {"(a)\\g1", 0, "aa", "@0:aa|a"},
    {"(a)\\g{1}", 0, "aa", "@0:aa|a"},
    {"(a)(b)\\g{-2}", 0, "aba", "@0:aba|a|b"},
    {"(a)\\2", 0, "", "ERROR"},
    {"\\k<zz>", 0, "", "ERROR"},
    {"(?<x>a)(?<x>b)", 0, "", "ERROR"},
    {"(?<1x>a)", 0, "", "ERROR"},
    {"\\g", 0, "", "ERROR"},
    {"\\g{0}", 0, "", "ERROR"},
    {"(a)\\1", I, "aA", "@0:aA|a"},
    {"(a)\\1", 0, "aA", "NOMATCH"},
    {"(ａ)\\1", W, "ａa", "@0:ａa|ａ"},
    {"(a)?\\1", 0, "b", "NOMATCH"},
    {"(a\\1)", 0, "aa", "NOMATCH"},
    {"(😀)\\1", 0, "😀😀", "@0:😀😀|😀"},
    {"(\\w+) \\1", 0, "the the end", "@0:the the|the"},

    // Anchors: ^ and $ at every line; a CR LF pair is one line break.
    {"^b", 0, "a\nb", "@2:b"},
    {"a$", 0, "a\nb", "@0:a"},
    {"a$", 0, "a\r\nb", "@0:a"},
    {"a\\r$", 0, "a\r\nb", "NOMATCH"},
    {"^b", 0, "a\r\nb", "@3:b"},
    {"^b", 0, "a\rb", "NOMATCH"},
    {"a$", 0, "a\rb", "NOMATCH"},
    {"^$", 0, "a\n\nb", "@2:"},
    {"^.*$", 0, "ab\r\ncd", "@0:ab"},
    {"$", 0, "ab", "@2:"},
    {"^", 0, "", "@0:"},
    {"\\Aa", 0, "b\na", "NOMATCH"},
    {"\\Ab", 0, "b\na", "@0:b"},
    {"a\\Z", 0, "a\n", "@0:a"},
    {"a\\Z", 0, "a\r\n", "@0:a"},
    {"a\\Z", 0, "a\nb", "NOMATCH"},
    {"a\\z", 0, "a\n", "NOMATCH"},
    {"a\\z", 0, "ba", "@1:a"},
    {"\\bfoo\\b", 0, "a foo.", "@2:foo"},
    {"\\bfoo\\b", 0, "afoo", "NOMATCH"},
    {"\\Boo", 0, "foo", "@1:oo"},
    {"\\bあ", 0, "aあ", "@1:あ"},
    {"\\b", 0, "", "NOMATCH"},
    {"\\B", 0, "", "@0:"},

    // Lookaround.
    {"foo(?=bar)", 0, "foobaz foobar", "@7:foo"},
    {"foo(?!bar)", 0, "foobar foobaz", "@7:foo"},
    {"(?<=ab)c", 0, "abc", "@2:c"},
    {"(?<=ab+)c", 0, "", "ERROR"},
    {"(?<=a*)c", 0, "", "ERROR"},
    {"(?<=\\1)(a)", 0, "", "ERROR"},
    {"(?<!a)b", 0, "ab cb", "@4:b"},
    {"(?<=a|bc)d", 0, "bcd", "@2:d"},
    {"(?<=😀)a", 0, "😀a", "@2:a"},
    {"(?<=\\d{3})x", 0, "12x123x", "@6:x"},
    {"(?<=(a))b", 0, "ab", "@1:b|a"},
    {"(?=(a))", 0, "ba", "@1:|a"},
    {"(?!(a))b", 0, "ab", "@1:b|~"},
    {"(?<=^|,)\\w+", 0, "ab,cd", "@0:ab"},
    {"(?<=\\b)a", 0, "ba a", "@3:a"},
    {"(?<=x(?=y)).", 0, "xyz", "@1:y"},
    {"(?=a)*b", 0, "b", "@0:b"},
    {"\\w+(?<!ing)\\b", 0, "running ran", "@8:ran"},

    // Atomic groups.
    {"(?>a+)b", 0, "aab", "@0:aab"},
    {"(?>a*)a", 0, "aaa", "NOMATCH"},
    {"(?>a|ab)c", 0, "abc", "NOMATCH"},
    {"(?>(a)|ab)c", 0, "ac", "@0:ac|a"},
    {"(?>x(a+))*y", 0, "xaxaay", "@0:xaxaay|aa"},

    // Conditional groups.
    {"(a)?(?(1)b|c)", 0, "ab", "@0:ab|a"},
    {"(a)?(?(1)b|c)", 0, "c", "@0:c|~"},
    {"(a)?(?(1)b)c", 0, "c", "@0:c|~"},
    {"(?<q>\")?\\w+(?(<q>)\")", 0, "\"ab\"", "@0:\"ab\"|\""},
    {"(?<q>\")?\\w+(?('q')\")", 0, "ab", "@0:ab|~"},
    {"(?<q>\")?\\w+(?(q)\")", 0, "\"ab\"", "@0:\"ab\"|\""},
    {"(?(?=\\d)\\d\\d|[a-z])", 0, "x12", "@0:x"},
    {"(?(?!\\d)[a-z]|\\d\\d)", 0, "12", "@0:12"},
    {"(?(?<=a)b|c)", 0, "ab", "@1:b"},
    {"(?(1)a|b|c)", 0, "", "ERROR"},
    {"(?(2)a)(b)", 0, "", "ERROR"},
    {"(?(zz)a)", 0, "", "ERROR"},

    // Recursion.
    {"\\((?:[^()]|(?R))*\\)", 0, "x(a(b)c)y", "@1:(a(b)c)"},
    {"^(a|b(?1)c)$", 0, "bbacc", "@0:bbacc|bbacc"},
    {"(?<p>\\[(?:[^\\[\\]]|(?&p))*\\])", 0, "[[a]b]", "@0:[[a]b]|[[a]b]"},
    {"(?<p>\\[(?:[^\\[\\]]|(?P>p))*\\])", 0, "[[]]", "@0:[[]]|[[]]"},
    {"(a)(?1)", 0, "aa", "@0:aa|a"},
    {"(a|b)(?1)", 0, "ab", "@0:ab|a"},
    {"(?1)(a)", 0, "aa", "@0:aa|a"},
    {"(a)(?-1)", 0, "aa", "@0:aa|a"},
    {"(?+1)(a)", 0, "aa", "@0:aa|a"},
    {"(?R)", 0, "a", "NOMATCH"},
    {"a(?R)?b", 0, "aaabbb", "@0:aaabbb"},
    {"(a(?1)?b)", 0, "xaabb", "@1:aabb|aabb"},
    {"(?(R)a|b(?R))", 0, "ba", "@0:ba"},
    {"(?2)", 0, "", "ERROR"},
    {"(?&nope)", 0, "", "ERROR"},
    {"(a){0}(?1)", 0, "a", "@0:a|~"},

    // Keep, quoting, comments.
    {"foo\\Kbar", 0, "foobar", "@3:bar"},
    {"a+\\Kb", 0, "aab", "@2:b"},
    {"(?=a\\K)", 0, "", "ERROR"},
    {"\\Qa.b\\E", 0, "axb a.b", "@4:a.b"},
    {"\\Qa.b", 0, "a.b", "@0:a.b"},
    {"\\Q\\E", 0, "x", "@0:"},
    {"\\Qab\\E+", 0, "abbb", "@0:abbb"},
    {"\\Q(\\E)", 0, "", "ERROR"},
    {"a\\E", 0, "a", "@0:a"},
    {"a(?#comment)b", 0, "ab", "@0:ab"},
    {"a(?#unclosed", 0, "", "ERROR"},

    // Malformed patterns.
    {"(", 0, "", "ERROR"},
    {")", 0, "", "ERROR"},
    {"a)", 0, "", "ERROR"},
    {"(?", 0, "", "ERROR"},
    {"(?<", 0, "", "ERROR"},
    {"(?P", 0, "", "ERROR"},
    {"(?Px)", 0, "", "ERROR"},
    {"\\", 0, "", "ERROR"},
    {"\\x{}", 0, "", "ERROR"},
    {"\\x{110000}", 0, "", "ERROR"},
    {"\\x{41", 0, "", "ERROR"},
    {"(?|a)", 0, "", "ERROR"},

    // Alternation and leftmost-first order.
    {"a|ab", 0, "ab", "@0:a"},
    {"ab|a", 0, "ab", "@0:ab"},
    {"|a", 0, "a", "@0:"},
    {"cat|dog|bird", 0, "a bird and a dog", "@2:bird"},
    {"(?:cat|dog)s?", I, "DOGS", "@0:DOGS"},
    {"x(?:a|b|)y", 0, "xy", "@0:xy"},

    // One-character repetitions give characters back one at a time, and
    // become possessive only when the next literal cannot be matched by them.
    {"a+ab", 0, "aaab", "@0:aaab"},
    {"x*x", 0, "xxx", "@0:xxx"},
    {"[a-z]+ing\\b", 0, "running", "@0:running"},
    {"(a+)a", 0, "aaa", "@0:aaa|aa"},
    {"(?:a+|b)a", 0, "aaa", "@0:aaa"},
    {"(\\w+) x", 0, "ab x", "@0:ab x|ab"},
    {"(?1)a|(a+)b", 0, "aaa", "@0:aaa|~"},
    {"[a-z]+A", I, "abca", "@0:abca"},
    {"\\d+１", W, "121", "@0:121"},
    {".+x", 0, "axx", "@0:axx"},
    {".{2,3}?b", 0, "aaab", "@0:aaab"},
    {"😀{2}a", 0, "😀😀😀a", "@2:😀😀a"},
    {"[^x]*😀", 0, "ab😀c", "@0:ab😀"},
    {"(?<=a+)", 0, "", "ERROR"},

    // Former bugs.
    // A back-reference inside a repeated group sees the previous iteration,
    // not the iteration that has just begun.
    {"(.\\1|.){0,3}.", 0, "aａaAあa", "@0:aａaAあ|A"},
    {"(a|b\\1)+", 0, "aba", "@0:aba|ba"},
};

void PrintTo(const Row& r, std::ostream* os) { *os << "/" << r.pattern << "/ flags " << r.flags; }

class MatchTable : public ::testing::TestWithParam<Row> {};

TEST_P(MatchTable, OptimisedUnoptimisedAndTextSourceAgree) {
  const Row& r = GetParam();
  EXPECT_EQ(run_pattern(r.pattern, r.flags, r.subject), r.expected) << "pattern " << r.pattern;
  EXPECT_EQ(run_pattern(r.pattern, r.flags | N, r.subject), r.expected) << "pattern " << r.pattern << " (flag 4)";
  auto re = compile_regex(utf8_to_utf16(r.pattern), r.flags);
  if (!re) return;
  const std::u16string subject = utf8_to_utf16(r.subject);
  StringTextSource src(subject);
  const bool found = re->execute(src, 0) == 1;
  EXPECT_EQ(describe_registers(*re, subject, found), r.expected) << "pattern " << r.pattern << " (text source)";
}

INSTANTIATE_TEST_SUITE_P(Rows, MatchTable, ::testing::ValuesIn(kRows));

}  // namespace
}  // namespace kestrel::testing
