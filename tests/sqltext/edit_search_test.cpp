#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/format.h"
#include "platform/utf16.h"
#include "regex/regex.h"
#include "sqltext/edit_data.h"
#include "sqltext/sqltext_constants.h"

namespace {

using kestrel::u16;

// The regular-expression engine is written beside this code; until it can
// compile a pattern these tests have nothing to run against.
std::unique_ptr<kestrel::Regex> Compile(std::u16string_view pattern) {
  return kestrel::compile_regex(pattern, 0);
}
#define REQUIRE_ENGINE()                                                      \
  if (!Compile(u"a")) GTEST_SKIP() << "regular-expression engine not available"

std::string Text(const CEditData& d) {
  std::u16string out;
  for (int32_t l = 0; l < d.GetLineCnt(); ++l) {
    if (l > 0) out += u'\n';
    out += d.GetLine(l);
  }
  return kestrel::utf16_to_utf8(out);
}

TEST(EditSearch, ForwardAndBackwardAcrossLines) {
  REQUIRE_ENGINE();
  CEditData d;
  d.SetText(u"abc\nabc");
  auto re = Compile(u"b");
  EditPos s, e;
  ASSERT_EQ(d.Search(*re, {0, 0}, true, &s, &e), 1);
  EXPECT_EQ(s, (EditPos{0, 1}));
  EXPECT_EQ(e, (EditPos{0, 2}));
  ASSERT_EQ(d.Search(*re, {0, 2}, true, &s, &e), 1);
  EXPECT_EQ(s, (EditPos{1, 1}));
  ASSERT_EQ(d.Search(*re, {1, 1}, false, &s, &e), 1);
  EXPECT_EQ(s, (EditPos{0, 1}));
  EXPECT_EQ(d.Search(*re, {0, 1}, false, &s, &e), 0);
  EXPECT_EQ(d.Search(*re, {0, 0}, false, &s, &e), 0);
  // Backward finds the nearest start, overlapping matches included.
  d.SetText(u"aaaa");
  auto two = Compile(u"aa");
  ASSERT_EQ(d.Search(*two, {0, 4}, false, &s, &e), 1);
  EXPECT_EQ(s, (EditPos{0, 2}));
  ASSERT_EQ(d.Search(*two, {0, 2}, false, &s, &e), 1);
  EXPECT_EQ(s, (EditPos{0, 1}));
  d.SetText(u"abc\nabc");
  EXPECT_EQ(d.Search(*re, {1, 2}, true, &s, &e), 0);

  auto span = Compile(u"c\\na");
  ASSERT_EQ(d.Search(*span, {0, 0}, true, &s, &e), 1);
  EXPECT_EQ(s, (EditPos{0, 2}));
  EXPECT_EQ(e, (EditPos{1, 1}));
}

TEST(EditSearch, ReplaceAllIsOneUndoStep) {
  REQUIRE_ENGINE();
  struct Case {
    const char* text;
    const char16_t* pattern;
    const char16_t* replacement;
    const char* expected;
    int count;
  } cases[] = {
      {"x-y\nab-cd", u"(\\w+)-(\\w+)", u"$2 and $1", "y and x\ncd and ab", 2},
      {"abc", u"x*", u"-", "-a-b-c-", 4},
      {"a;b;c", u";", u"\\n", "a\nb\nc", 2},
      {"one\ntwo\n", u"\\n", u" ", "one two ", 2},
      {"😀a😀", u"a", u"b", "😀b😀", 1},
      {"none", u"z", u"y", "none", 0},
      {"aaa\naa", u"^a", u"", "aa\na", 2},  // matches are found in the text as it was
      {"ab", u"(?<=a)b|^a", u"x", "xx", 2},
  };
  for (const Case& c : cases) {
    CEditData d;
    d.SetText(u16(c.text));
    auto re = Compile(c.pattern);
    ASSERT_TRUE(re);
    EXPECT_EQ(d.ReplaceAll(*re, c.replacement, false, false), c.count) << c.text;
    EXPECT_EQ(Text(d), c.expected) << c.text;
    EXPECT_EQ(d.GetUndoData().undo_steps(), c.count ? 1u : 0u) << c.text;
    d.Undo();
    EXPECT_EQ(Text(d), c.text) << c.text;
  }
}

TEST(EditSearch, ReplaceAllInsideTheSelectionOnly) {
  REQUIRE_ENGINE();
  CEditData d;
  d.SetText(u"a a\na a\na a");
  d.SetSelection({0, 2}, {2, 1});
  auto re = Compile(u"a");
  EXPECT_EQ(d.ReplaceAll(*re, u"bb", true, true), 4);
  EXPECT_EQ(Text(d), "a bb\nbb bb\nbb a");
  EXPECT_EQ(d.GetSelStart(), (EditPos{0, 2}));
  EXPECT_EQ(d.GetSelEnd(), (EditPos{2, 2}));
  d.Undo();
  EXPECT_EQ(Text(d), "a a\na a\na a");
}

TEST(EditSearch, ReplaceAllInsideABoxSelection) {
  REQUIRE_ENGINE();
  CEditData d;
  d.SetText(u"aaaa\naaaa\naaaa");
  d.SetSelection({0, 1}, {1, 3}, true);
  auto re = Compile(u"a");
  EXPECT_EQ(d.ReplaceAll(*re, u"x", true, true), 4);
  EXPECT_EQ(Text(d), "axxa\naxxa\naaaa");
  // Anchored at the box's left edge.
  d.SetText(u"a  b\n   c\nd");
  d.SetSelection({0, 1}, {1, 3}, true);
  auto unindent = Compile(u"\\=^((\\t)|( {1,4}))");
  EXPECT_EQ(d.ReplaceAll(*unindent, u"", false, true), 2);
  EXPECT_EQ(Text(d), "ab\n c\nd");
}

// The box's columns are display columns: behind a tab on one row, the same
// screen columns on the next; the box widens when a row grows.
TEST(EditSearch, ABoxSearchesTheScreenColumns) {
  REQUIRE_ENGINE();
  CEditData d;
  d.SetTabWidth(4);
  d.SetText(u"\tab\nxxab\nxxxxab");
  d.SetSelection({0, 1}, {2, 6}, true);  // display columns 4-6 of each row
  auto re = Compile(u"a");
  EXPECT_EQ(d.ReplaceAll(*re, u"<A>", true, true), 2);
  EXPECT_EQ(Text(d), "\t<A>b\nxxab\nxxxx<A>b");
  EXPECT_TRUE(d.IsBoxSelect());
  EXPECT_EQ(d.BoxX(d.GetSelAnchor()), 4);
  EXPECT_EQ(d.BoxX(d.GetCaret()), 8);
  EditPos s, e;
  d.SetSelection({0, 1}, {2, 6}, true);
  ASSERT_EQ(d.SearchInSelection(*Compile(u"\\=^x"), {0, 0}, &s, &e), 0);  // no row's box starts with x
  ASSERT_EQ(d.SearchInSelection(*Compile(u"\\=^<"), {0, 0}, &s, &e), 1);
  EXPECT_EQ(s, (EditPos{0, 1}));
}

TEST(EditSearch, ReplaceOneAndMaximumLength) {
  REQUIRE_ENGINE();
  CEditData d;
  d.SetText(u"abcabc");
  d.SetMaxLen(7);
  auto re = Compile(u"b");
  EditPos s, e, after;
  ASSERT_EQ(d.Search(*re, {0, 0}, true, &s, &e), 1);
  EXPECT_EQ(d.ReplaceOne(*re, s, e, u"XY", true, &after), 1);
  EXPECT_EQ(Text(d), "aXYcabc");
  EXPECT_EQ(after, (EditPos{0, 3}));
  ASSERT_EQ(d.Search(*re, after, true, &s, &e), 1);
  EXPECT_EQ(d.ReplaceOne(*re, s, e, u"XY", true), 0);  // 8 > 7
  EXPECT_EQ(Text(d), "aXYcabc");
  EXPECT_EQ(d.ReplaceAll(*re, u"XY", true, false), -1);
  EXPECT_EQ(Text(d), "aXYcabc");
}

}  // namespace

namespace {

// Unindent works on the text directly; it must remove exactly what the
// documented pattern removes when replaced in the selection.
TEST(EditSearch, UnindentMatchesItsPattern) {
  REQUIRE_ENGINE();
  const std::u16string blanks[] = {u"", u" ", u"  ", u"    ", u"     ", u"\t", u"\t\t", u" \t", u"  \t ", u"\f x",
                                   u"\t  ", u"x  ", u"   \t\t"};
  std::u16string text;
  for (const auto& b : blanks) text += b + u"a\n";
  for (int width : {1, 2, 4}) {
    CEditData direct;
    direct.SetText(text);
    direct.SetSelection({0, 0}, {static_cast<int32_t>(std::size(blanks)), 0});
    direct.Unindent(width);

    CEditData by_pattern;
    by_pattern.SetText(text);
    by_pattern.SetSelection({0, 0}, {static_cast<int32_t>(std::size(blanks)), 0});
    auto re = Compile(kestrel::format(kestrel::kUnindentPattern, {width}));
    ASSERT_TRUE(re);
    by_pattern.ReplaceAll(*re, u"", false, true);
    EXPECT_EQ(Text(direct), Text(by_pattern)) << width;
  }
}

}  // namespace
