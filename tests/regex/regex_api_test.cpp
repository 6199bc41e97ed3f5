// The engine's interface beyond plain matching: search start, submatch
// queries, caller-supplied anchors, text sources with (line, column)
// positions, plain-text search, replacement, limits and compile errors.
#include <gtest/gtest.h>

#include <vector>

#include "regex_test_util.h"

namespace kestrel::testing {
namespace {

std::u16string U(std::string_view s) { return utf8_to_utf16(s); }

// ---- search start and registers ------------------------------------------

TEST(RegexExecute, SearchStartSeesTheTextBeforeIt) {
  auto re = compile_regex(u"(?<=a)b", 0);
  ASSERT_TRUE(re);
  EXPECT_EQ(re->execute(u"abab", 1), 1);
  EXPECT_EQ(re->match_start(), 1);
  EXPECT_EQ(re->execute(u"abab", 2), 1);
  EXPECT_EQ(re->match_start(), 3);

  auto bol = compile_regex(u"^b", 0);
  EXPECT_EQ(bol->execute(u"ab", 1), 0);  // position 1 is not a line start
  EXPECT_EQ(bol->execute(u"a\nb", 1), 1);
  EXPECT_EQ(bol->match_start(), 2);
  EXPECT_EQ(bol->execute(u"ab", 3), 0);  // past the end: no match, no crash
}

TEST(RegexExecute, BackwardSearchFindsTheNearestStartNotAfterFrom) {
  auto re = compile_regex(u"a+", 0);
  const std::u16string text = u"aa b aaa c";
  ASSERT_EQ(re->execute_backward(text, text.size()), 1);
  EXPECT_EQ(re->match_start(), 7);  // the last start position with a match
  EXPECT_EQ(re->match_length(), 1);
  ASSERT_EQ(re->execute_backward(text, 4), 1);
  EXPECT_EQ(re->match_start(), 1);
  EXPECT_EQ(re->execute_backward(u"bbb", 2), 0);
  auto pair = compile_regex(u".", 0);
  ASSERT_EQ(pair->execute_backward(u"x\U0001F600", 2), 1);
  EXPECT_EQ(pair->match_start(), 1);  // never inside the surrogate pair
  EXPECT_EQ(pair->match_length(), 2);
  auto plain = compile_plain_text(u"ab", I);
  ASSERT_EQ(plain->execute_backward(u"ab AB ab", 7), 1);
  EXPECT_EQ(plain->match_start(), 6);
  ASSERT_EQ(plain->execute_backward(u"ab AB ab", 5), 1);
  EXPECT_EQ(plain->match_start(), 3);
  StringTextSource src(text);
  ASSERT_EQ(re->execute_backward(src, 6), 1);
  EXPECT_EQ(re->match_start(), 6);
  EXPECT_EQ(re->match_end(), 8);
}

TEST(RegexExecute, SubmatchAndGroupCount) {
  auto re = compile_regex(u"(?<word>\\w+)(?:-(\\d+))?", 0);
  ASSERT_TRUE(re);
  EXPECT_EQ(re->group_count(), 2);
  EXPECT_EQ(re->group_index(u"word"), 1);
  EXPECT_EQ(re->group_index(u"nope"), -1);
  ASSERT_EQ(re->execute(u"  abc "), 1);
  EXPECT_EQ(re->match_start(), 2);
  EXPECT_EQ(re->match_length(), 3);
  TextPos s = 0, e = 0;
  ASSERT_TRUE(re->submatch(2, &s, &e));
  EXPECT_EQ(s, kNoTextPos);
  EXPECT_EQ(e, kNoTextPos);
  EXPECT_FALSE(re->submatch(3, &s, &e));
  EXPECT_FALSE(re->submatch(-1, &s, &e));
  EXPECT_EQ(re->execute(u"!!"), 0);
  ASSERT_TRUE(re->submatch(0, &s, &e));
  EXPECT_EQ(s, kNoTextPos);  // a failed search clears the registers
}

TEST(RegexExecute, TenthParenthesesDoNotCapture) {
  auto re = compile_regex(u"(a)(b)(c)(d)(e)(f)(g)(h)(i)(j)", 0);
  ASSERT_TRUE(re);
  EXPECT_EQ(re->group_count(), 9);
  EXPECT_EQ(compile_regex(u"(a)(b)(c)(d)(e)(f)(g)(h)(i)(j)\\10", 0)->group_count(), 9);
}

TEST(RegexExecute, UserAnchors) {
  auto re = compile_regex(u"\\=^((\\t)|(\\s{1,4}))", 0);
  ASSERT_TRUE(re);
  // Unset: \=^ is the search start.
  EXPECT_EQ(re->execute(u"ab  cd", 2), 1);
  EXPECT_EQ(re->match_start(), 2);
  EXPECT_EQ(re->match_length(), 2);
  // Set: the box's left edge at column 3.
  re->set_anchor_positions({0, 6, 3, 6});
  EXPECT_EQ(re->execute(u"ab  cd", 0), 1);
  EXPECT_EQ(re->match_start(), 3);
  EXPECT_EQ(re->match_length(), 1);
  re->clear_anchor_positions();

  auto ends = compile_regex(u"\\=Aa|b\\=z|c\\=$", 0);
  ends->set_anchor_positions({1, 4, 0, 5});
  EXPECT_EQ(ends->execute(u"aabbc"), 1);
  EXPECT_EQ(ends->match_start(), 1);  // "a" at \=A
  EXPECT_EQ(ends->execute(u"xxbbc"), 1);
  EXPECT_EQ(ends->match_start(), 3);  // "b" ending at \=z
}

// ---- text sources ----------------------------------------------------------

// An editor-like buffer: separate lines, positions packed (line, column),
// each line end reads as a line feed.
class LinesSource final : public RegexTextSource {
 public:
  explicit LinesSource(std::vector<std::u16string> lines) : lines_(std::move(lines)) {}
  char32_t char_at(TextPos p) const override {
    const auto& l = lines_[text_pos_line(p)];
    const auto c = static_cast<std::size_t>(text_pos_column(p));
    if (c >= l.size()) return at_text_end(p) ? kEndOfText : U'\n';
    return code_point_at(l, c);
  }
  TextPos next(TextPos p) const override {
    const int line = text_pos_line(p);
    const auto c = static_cast<std::size_t>(text_pos_column(p));
    if (c >= lines_[line].size()) return make_text_pos(line + 1, 0);
    std::size_t len = 1;
    code_point_at(lines_[line], c, &len);
    return make_text_pos(line, static_cast<int>(c + len));
  }
  TextPos prev(TextPos p) const override {
    const int line = text_pos_line(p);
    const int c = text_pos_column(p);
    if (c == 0) return make_text_pos(line - 1, static_cast<int>(lines_[line - 1].size()));
    return make_text_pos(line, static_cast<int>(prev_char_start(lines_[line], c)));
  }
  bool at_text_start(TextPos p) const override { return p == 0; }
  bool at_text_end(TextPos p) const override {
    return text_pos_line(p) == static_cast<int>(lines_.size()) - 1 &&
           text_pos_column(p) >= static_cast<int>(lines_.back().size());
  }
  bool at_line_start(TextPos p) const override { return text_pos_column(p) == 0; }
  bool at_line_end(TextPos p) const override {
    return text_pos_column(p) >= static_cast<int>(lines_[text_pos_line(p)].size());
  }

 private:
  std::vector<std::u16string> lines_;
};

TEST(RegexTextSource, LinesAndColumns) {
  LinesSource src({u"select a", u"  from 😀t", u"where x"});
  // No line is a single word: $ must not match inside a line.
  EXPECT_EQ(compile_regex(u"^\\s*(\\w+)$", 0)->execute(src, 0), 0);
  auto word_line = compile_regex(u"^(\\w+) (\\w+)$", 0);
  ASSERT_EQ(word_line->execute(src, make_text_pos(0, 0)), 1);
  EXPECT_EQ(word_line->match_start(), make_text_pos(0, 0));
  EXPECT_EQ(word_line->match_end(), make_text_pos(0, 8));
  ASSERT_EQ(word_line->execute(src, make_text_pos(0, 1)), 1);
  EXPECT_EQ(word_line->match_start(), make_text_pos(2, 0));

  auto across = compile_regex(u"a\\l+from", 0);
  ASSERT_EQ(across->execute(src, 0), 1);
  EXPECT_EQ(across->match_start(), make_text_pos(0, 7));
  EXPECT_EQ(across->match_end(), make_text_pos(1, 6));

  auto dot = compile_regex(u"m.😀t$", 0);
  ASSERT_EQ(dot->execute(src, 0), 1);
  EXPECT_EQ(dot->match_end(), make_text_pos(1, 10));
  auto behind = compile_regex(u"(?<=😀)t", 0);
  ASSERT_EQ(behind->execute(src, 0), 1);
  EXPECT_EQ(behind->match_start(), make_text_pos(1, 9));
  EXPECT_EQ(compile_regex(u"a.from", 0)->execute(src, 0), 0);  // . never crosses a line
  EXPECT_EQ(compile_regex(u"(?s)a.  from", 0)->execute(src, 0), 1);
  EXPECT_EQ(compile_regex(u"x\\z", 0)->execute(src, 0), 1);
  EXPECT_EQ(compile_regex(u"a\\z", 0)->execute(src, 0), 0);
  std::u16string expanded = regex_expand_template(*across, src, u"[$&]($`)($')");
  EXPECT_EQ(expanded, u"[a\n  from](select )( 😀t)");
}

TEST(RegexTextSource, FlatStringLineRules) {
  // $ matches before a lone LF and before a CR LF pair, never between CR and LF.
  const std::u16string text = u"ab\r\ncd\nef\rgh";
  StringTextSource src(text);
  std::vector<TextPos> line_ends, line_starts;
  for (TextPos p = 0; p <= static_cast<TextPos>(text.size()); ++p) {
    if (src.at_line_end(p)) line_ends.push_back(p);
    if (src.at_line_start(p)) line_starts.push_back(p);
  }
  EXPECT_EQ(line_ends, (std::vector<TextPos>{2, 6, 12}));
  EXPECT_EQ(line_starts, (std::vector<TextPos>{0, 4, 7}));
  auto re = compile_regex(u"\\w+$", 0);
  std::vector<TextPos> hits;
  for (std::size_t at = 0; re->execute(text, at); at = static_cast<std::size_t>(re->match_end())) {
    hits.push_back(re->match_start());
  }
  EXPECT_EQ(hits, (std::vector<TextPos>{0, 4, 10}));
}

// ---- plain-text search -----------------------------------------------------

struct PlainRow {
  const char* text;
  unsigned flags;
  const char* subject;
  long long expected_start;  // -1: not found
};

const PlainRow kPlainRows[] = {
    {"a.b", 0, "axb a.b", 4},
    {"abc", 0, "ABC abc", 4},
    {"abc", I, "xxABC", 2},
    {"ａｂｃ", I, "ＡＢＣ", 0},
    {"ABC", I, "ａｂｃ", -1},
    {"ABC", W, "ＡＢＣ", 0},
    {"abc", I | W, "ＡＢＣ", 0},
    {"a\\Eb", 0, "a\\Eb", 0},
    {"a\\Eb", W, "xa\\Eb", 1},
    {"\\Q(x)", W, "\\Q(x)", 0},
    {"$1^[", W, "$1^[", 0},
    {"", 0, "abc", 0},
    {"needle", 0, "haystack with a needle in it", 16},
    {"the", 0, "t th the", 5},
    {"aab", 0, "aaaab", 2},
    {"😀", 0, "a😀", 1},
    {"東京", 0, "大阪と東京", 3},
    {"b", 0, "aaaa", -1},
    {"longer than subject", 0, "short", -1},
};

TEST(RegexPlainText, Table) {
  for (const PlainRow& r : kPlainRows) {
    auto re = compile_plain_text(U(r.text), r.flags);
    ASSERT_TRUE(re) << r.text;
    EXPECT_EQ(re->is_plain_text(), (r.flags & W) == 0) << r.text;
    const std::u16string subject = U(r.subject);
    const int found = re->execute(subject);
    EXPECT_EQ(found ? re->match_start() : -1, r.expected_start) << r.text << " in " << r.subject;
    if (found) {
      EXPECT_EQ(re->match_length(), static_cast<long long>(U(r.text).size()));
    }
    StringTextSource src(subject);
    const int via_source = re->execute(src, 0);
    EXPECT_EQ(via_source ? re->match_start() : -1, r.expected_start) << r.text << " (text source)";
  }
}

TEST(RegexPlainText, NeverStartsInsideASurrogatePair) {
  // The needle is a lone low surrogate; it occurs inside the pair only.
  std::u16string subject = u"x\U0001F600y";
  std::u16string needle(1, subject[2]);
  auto re = compile_plain_text(needle, 0);
  EXPECT_EQ(re->execute(subject), 0);
  subject += needle;
  ASSERT_EQ(re->execute(subject), 1);
  EXPECT_EQ(re->match_start(), 4);
}

TEST(RegexPlainText, ShiftTableCollisionsDoNotSkipMatches) {
  // U+0161 and 'a' share the low byte 0x61.
  const std::u16string needle = u"\u0161ab";
  auto re = compile_plain_text(needle, 0);
  const std::u16string subject = u"xxxxa\u0161ab";
  ASSERT_EQ(re->execute(subject), 1);
  EXPECT_EQ(re->match_start(), 5);
  auto ci = compile_plain_text(u"xY", I);
  ASSERT_EQ(ci->execute(u"aaaaaaXy"), 1);
  EXPECT_EQ(ci->match_start(), 6);
}

// ---- replacement -----------------------------------------------------------

struct ReplaceRow {
  const char* pattern;
  unsigned flags;
  const char* subject;
  const char* replacement;
  bool all;
  const char* expected;
};

const ReplaceRow kReplaceRows[] = {
    {"(\\w+)-(\\w+)", 0, "x-y", "$2 and $1", false, "y and x"},
    {"x*", 0, "abc", "-", true, "-a-b-c-"},
    {"a*", 0, "baac", "-", true, "-b--c-"},
    {"\\b", 0, "ab cd", "|", true, "|ab| |cd|"},
    {"", 0, "😀a", ".", true, ".😀.a."},
    {"o", 0, "foo boo", "0", false, "f0o boo"},
    {"o", 0, "foo boo", "0", true, "f00 b00"},
    {"o", I, "FOO", "0", true, "F00"},
    {"(a)(b)?", 0, "a", "[\\1|\\2|$2]", false, "[a||]"},
    {"b", 0, "abc", "[\\&$&]", false, "a[bb]c"},
    {"b", 0, "abc", "[$`|$']", false, "a[a|c]c"},
    {"b", 0, "abc\r\ndef", "[$']", false, "a[c]c\r\ndef"},
    {"b", 0, "abc\ndef", "[$']", false, "a[c]c\ndef"},
    {"(a)|(b)", 0, "b", "[$+]", false, "[b]"},
    {"(?<n>b)", 0, "abc", "[${n}\\{n}${1}]", false, "a[bbb]c"},
    {"b", 0, "abc", "\\n\\t\\\\\\x$", false, "a\n\t\\x$c"},
    {"b", 0, "abc", "$x$0$", false, "a$x$0$c"},
    {"b", 0, "abc", "${nope}", false, "ac"},
    {"b", 0, "abc", "${", false, "a${c"},
    {"z", 0, "abc", "-", true, "abc"},
    {"^", 0, "a\nb\r\nc", "> ", true, "> a\n> b\r\n> c"},
    {"$", 0, "a\nb", ";", true, "a;\nb;"},
    {"^((\\t)|(\\s{1,4}))", 0, "  x\n\ty\n     z", "", true, "x\ny\n z"},
};

TEST(RegexReplace, Table) {
  for (const ReplaceRow& r : kReplaceRows) {
    auto re = compile_regex(U(r.pattern), r.flags);
    ASSERT_TRUE(re) << r.pattern;
    std::u16string out;
    EXPECT_EQ(regex_replace(*re, U(r.subject), U(r.replacement), RegexReplaceSyntax::kTemplate,
                            r.all ? RegexReplaceScope::kAll : RegexReplaceScope::kFirst, out),
              RegexReplaceStatus::kOk);
    EXPECT_EQ(utf16_to_utf8(out), r.expected) << r.pattern << " -> " << r.replacement;
  }
}

TEST(RegexReplace, LiteralSyntaxCountAndFunction) {
  auto re = compile_plain_text(u"a.", 0);
  std::u16string out;
  int count = 0;
  EXPECT_EQ(regex_replace(*re, u"a.a.ab", u"$1\\n", RegexReplaceSyntax::kLiteral, RegexReplaceScope::kAll,
                          out, &count),
            RegexReplaceStatus::kOk);
  EXPECT_EQ(out, u"$1\\n$1\\nab");
  EXPECT_EQ(count, 2);

  auto words = compile_regex(u"\\w+", 0);
  const RegexReplaceFunction upper = [](const Regex& m, std::u16string& insert) {
    insert += u"<" + to_u16(m.match_length()) + u">";
    return true;
  };
  EXPECT_EQ(regex_replace(*words, u"ab cde", upper, RegexReplaceScope::kAll, out, &count),
            RegexReplaceStatus::kOk);
  EXPECT_EQ(out, u"<2> <3>");
  const RegexReplaceFunction refuse = [](const Regex&, std::u16string&) { return false; };
  out = u"unchanged";
  EXPECT_EQ(regex_replace(*words, u"ab", refuse, RegexReplaceScope::kAll, out),
            RegexReplaceStatus::kCallbackFailed);
  EXPECT_EQ(out, u"unchanged");
}

TEST(RegexReplace, LongOutputGrows) {
  auto re = compile_regex(u"x", 0);
  std::u16string subject(100000, u'x');
  std::u16string out;
  ASSERT_EQ(regex_replace(*re, subject, u"yz", RegexReplaceSyntax::kTemplate, RegexReplaceScope::kAll, out),
            RegexReplaceStatus::kOk);
  EXPECT_EQ(out.size(), 200000u);
}

// ---- limits ------------------------------------------------------------------

TEST(RegexLimits, ExponentialPatternIsAbandonedNotHung) {
  auto re = compile_regex(u"(a+)+b", 0);
  ASSERT_TRUE(re);
  re->set_step_limit(200000);
  const std::u16string subject(40, u'a');
  EXPECT_EQ(re->execute(subject), 0);
  EXPECT_TRUE(re->abandoned());
  EXPECT_EQ(re->status(), RegexStatus::kStepLimit);
  // The same object works normally afterwards.
  EXPECT_EQ(re->execute(u"aab"), 1);
  EXPECT_FALSE(re->abandoned());
  std::u16string out;
  EXPECT_EQ(regex_replace(*re, subject, u"", RegexReplaceSyntax::kTemplate, RegexReplaceScope::kAll, out),
            RegexReplaceStatus::kAbandoned);
}

TEST(RegexLimits, CancelCheckStopsTheSearch) {
  auto re = compile_regex(u"(a|aa)+b", 0);
  re->set_step_limit(0);
  int polls = 0;
  re->set_cancel_check([&polls] { return ++polls >= 3; });
  EXPECT_EQ(re->execute(std::u16string(60, u'a')), 0);
  EXPECT_EQ(re->status(), RegexStatus::kCancelled);
  EXPECT_EQ(polls, 3);
}

TEST(RegexLimits, DeepNestingIsACleanError) {
  RegexError err;
  std::u16string deep(10000, u'(');
  deep += u"a";
  deep += std::u16string(10000, u')');
  EXPECT_FALSE(compile_regex(deep, 0, &err));
  EXPECT_EQ(err.code, RegexErrorCode::kTooDeep);
  std::u16string ok(100, u'(');
  ok += u"a";
  ok += std::u16string(100, u')');
  auto re = compile_regex(ok, 0, &err);
  ASSERT_TRUE(re);
  EXPECT_EQ(re->execute(u"a"), 1);
  std::u16string lookarounds;
  for (int i = 0; i < 10000; ++i) lookarounds += u"(?=";
  EXPECT_FALSE(compile_regex(lookarounds, 0, &err));
}

TEST(RegexLimits, HugeRepetitionIsACleanError) {
  RegexError err;
  EXPECT_FALSE(compile_regex(u"((a{1000}){1000}){1000}", 0, &err));
  EXPECT_EQ(err.code, RegexErrorCode::kTooLarge);
}

TEST(RegexLimits, LongSubjectsDoNotExhaustTheStack) {
  // Every character leaves a choice point: the explicit stack grows instead
  // of the machine stack.
  const std::u16string subject(1'000'000, u'a');
  auto re = compile_regex(u"(?:a|b)*c", 0);
  re->set_step_limit(0);
  EXPECT_EQ(re->execute(subject.substr(0, 3000)), 0);
  auto greedy = compile_regex(u"^(a|b)*$", 0);
  ASSERT_EQ(greedy->execute(subject), 1);
  EXPECT_EQ(greedy->match_length(), 1'000'000);
  // One choice point per character: past the cap the match fails cleanly.
  auto no_groups = compile_regex(u"^(?:a|b)*$", 0);
  const std::u16string huge(kRegexMaxStackEntries + 10, u'a');
  ASSERT_EQ(no_groups->execute(huge), 0);
  EXPECT_EQ(no_groups->status(), RegexStatus::kNoMemory);
  EXPECT_TRUE(no_groups->abandoned());
  auto rec = compile_regex(u"(a(?1)?)", 0);
  ASSERT_EQ(rec->execute(subject.substr(0, 5000)), 1);  // recursion depth is capped, not fatal
  EXPECT_EQ(rec->match_length(), kRegexMaxCallDepth + 1);  // the outer group plus the calls
}

// ---- compile errors ----------------------------------------------------------

TEST(RegexErrors, CodesAndOffsets) {
  struct ErrRow {
    const char16_t* pattern;
    RegexErrorCode code;
    int offset;
  };
  const ErrRow rows[] = {
      {u"ab(c", RegexErrorCode::kMissingParen, 2},
      {u"abc)", RegexErrorCode::kUnmatchedParen, 3},
      {u"a[bc", RegexErrorCode::kMissingBracket, 1},
      {u"a|*", RegexErrorCode::kNothingToRepeat, 2},
      {u"(?x)", RegexErrorCode::kUnknownGroupForm, 2},
      {u"(?iq)", RegexErrorCode::kBadFlag, 3},
      {u"(a)\\2", RegexErrorCode::kBadBackReference, 3},
      {u"\\k<x>", RegexErrorCode::kUnknownGroupName, 0},
      {u"(?<=a+)", RegexErrorCode::kVariableLookbehind, 0},
      {u"a{3,2}", RegexErrorCode::kBadRepeat, 1},
      {u"\\x{zz}", RegexErrorCode::kBadEscape, 0},
      {u"[b-a]", RegexErrorCode::kBadClassRange, 2},
      {u"[[:word:]]", RegexErrorCode::kBadPosixClass, 1},
      {u"(?(1)a|b|c)(x)", RegexErrorCode::kBadCondition, 0},
      {u"(?!\\K)", RegexErrorCode::kKeepInLookaround, 3},
  };
  for (const ErrRow& r : rows) {
    RegexError err;
    EXPECT_FALSE(compile_regex(r.pattern, 0, &err)) << utf16_to_utf8(r.pattern);
    EXPECT_EQ(err.code, r.code) << utf16_to_utf8(r.pattern);
    EXPECT_EQ(err.offset, r.offset) << utf16_to_utf8(r.pattern);
    EXPECT_FALSE(err.description().empty());
  }
  EXPECT_EQ(std::u16string_view(kRegexInvalidPatternMessage), u"invalid regexp pattern");
}

TEST(RegexErrors, LoneSurrogatesInPatternAndSubject) {
  std::u16string pattern = u"a";
  pattern += char16_t(0xD800);
  auto re = compile_regex(pattern, 0);
  ASSERT_TRUE(re);
  std::u16string subject = u"xa";
  subject += char16_t(0xD800);
  ASSERT_EQ(re->execute(subject), 1);
  EXPECT_EQ(re->match_start(), 1);
  auto dot = compile_regex(u"a.$", 0);
  EXPECT_EQ(dot->execute(subject), 1);
}

}  // namespace
}  // namespace kestrel::testing
