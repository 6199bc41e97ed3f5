#include "sqltext/edit_disp_data.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/utf16.h"
#include "sqltext/display_columns.h"
#include "sqltext/edit_colouring.h"
#include "sqltext/sql_str_token.h"
#include "sqltext/sqltext_constants.h"

namespace {

using kestrel::u16;

// One letter per character: k keyword, 2 keyword2, d dictionary word,
// c comment, q quoted, u URL, '.' nothing.
std::string Paint(std::span<const uint8_t> attr) {
  std::string s;
  for (uint8_t a : attr) {
    char ch = '.';
    if (a & kestrel::kAttrKeyword) ch = 'k';
    if (a & kestrel::kAttrKeyword2) ch = '2';
    if (a & kestrel::kAttrDictionary) ch = 'd';
    if (a & kestrel::kAttrComment) ch = 'c';
    if (a & kestrel::kAttrQuote) ch = 'q';
    if (a & kestrel::kAttrUrl) ch = 'u';
    s += ch;
  }
  return s;
}

class Colouring : public ::testing::Test {
 protected:
  void SetUp() override {
    std::u16string err;
    ASSERT_EQ(tok_.InitDefaultKeywordFromBytes("select\nfrom\nwhere\nnvl,2\n%rowtype,2\norder by\n", &err), 0);
  }
  CSQLStrToken tok_;
};

TEST_F(Colouring, MarksKeywordsCommentsQuotesAndUrls) {
  struct Case {
    const char16_t* line;
    const char* paint;
  } cases[] = {
      {u"select nvl(a) from t", "kkkkkk.222....kkkk.."},
      {u"SELECT 'from' -- where", "kkkkkk.qqqqqq.cccccccc"},
      {u"x /* select */ where", "..cccccccccccc.kkkkk"},
      {u"r emp%rowtype;", ".....22222222."},
      {u"order by x orders", "kkkkkkkk........."},
      {u"selectx q'[from]'", "........qqqqqqqqq"},
      {u"-- see http://a.jp", "cccccccuuuuuuuuuuu"},
  };
  for (const auto& c : cases) {
    std::u16string line = c.line;
    std::vector<uint8_t> attr(line.size(), 0);
    CStrToken::LexState st = kestrel::ColourLine(tok_, tok_.ActiveKeywords(), line, {}, attr, true);
    EXPECT_EQ(st.mode, CStrToken::LexState::kNone);
    EXPECT_EQ(Paint(attr), c.paint) << kestrel::utf16_to_utf8(line);
  }
}

TEST_F(Colouring, DisplayDataCarriesOpenCommentsAcrossLinesAndFollowsEdits) {
  CEditData d;
  d.SetText(u"select /* a\nfrom */ from\n'x\ny' where");
  CEditDispData disp(&d);
  disp.SetTokenizer(&tok_);
  disp.ColourLines(0, 3);
  EXPECT_EQ(Paint(d.GetLineAttr(0)), "kkkkkk.cccc");
  EXPECT_EQ(Paint(d.GetLineAttr(1)), "ccccccc.kkkk");
  EXPECT_EQ(Paint(d.GetLineAttr(2)), "qq");
  EXPECT_EQ(Paint(d.GetLineAttr(3)), "qq.kkkkk");

  // Closing the comment on the first line re-colours the lines below.
  d.InsertText({0, 11}, u" */");
  disp.ColourLines(1, 1);
  EXPECT_EQ(Paint(d.GetLineAttr(0)), "kkkkkk.ccccccc");
  EXPECT_EQ(Paint(d.GetLineAttr(1)), "kkkk....kkkk");

  // A new completion list is picked up on the next pass.
  CSQLStrToken::KeywordHit none = tok_.FindKeyword(u"T");
  EXPECT_FALSE(none);
  auto table = tok_.NewTable();
  for (const auto& e : tok_.DefaultKeywords()->entries()) table->AddEntry(e);
  table->Add(u"X", kestrel::kKeywordKindDictionary, u"TABLE");
  tok_.FinishTable(*table);
  tok_.PublishKeywords(table);
  disp.ColourLines(0, 3);
  EXPECT_EQ(Paint(d.GetLineAttr(2)), "qq");
  d.SetText(u"x");
  disp.ColourLines(0, 0);
  EXPECT_EQ(Paint(d.GetLineAttr(0)), "d");
}

// Typing re-tokenizes the changed line and stops where the entry states
// agree again; opening a comment re-colours only what is shown, closing it
// again stops at the first line whose state is back to what it was.
TEST_F(Colouring, EditsReTokenizeOnlyWhatChangedAndIsShown) {
  constexpr int32_t kLines = 1000000;
  CEditData data;
  std::u16string text;
  text.reserve(static_cast<std::size_t>(kLines) * 16);
  for (int32_t i = 0; i < kLines; ++i) text += u"select x from t\n";
  data.SetText(text);
  CEditDispData disp(&data);
  disp.SetTokenizer(&tok_);
  const int32_t kTop = 0, kBottom = 39;  // the visible lines
  // Once through the whole text (the first look at the end has to).
  disp.ColourLines(0, data.GetLineCnt() - 1);
  EXPECT_EQ(disp.LinesTokenized(), data.GetLineCnt());
  disp.ColourLines(kTop, kBottom);
  EXPECT_EQ(disp.LinesTokenized(), data.GetLineCnt());
  const std::string plain = "kkkkkk...kkkk..";
  const std::string comment(15, 'c');
  struct Step {
    const char* name;
    EditPos at;
    std::u16string insert;  // typed at `at`
    int64_t tokenized;      // lines tokenized by the next paint
    std::string line5;      // colours of line 5 afterwards
  } steps[] = {
      {"type in one line", {3, 6}, u"z", 1, plain},
      {"open a comment", {1, 0}, u"/*", kBottom, comment},
      {"close it again", {2, 0}, u"*/", kBottom - 1, plain},
      {"a comment opened and closed on new lines", {10, 0}, u"/*\n*/", 2, plain},
  };
  for (const Step& st : steps) {
    SCOPED_TRACE(st.name);
    const int64_t before = disp.LinesTokenized();
    ASSERT_EQ(data.InsertText(st.at, st.insert), 0);
    disp.ColourLines(kTop, kBottom);
    EXPECT_EQ(disp.LinesTokenized() - before, st.tokenized);
    EXPECT_EQ(Paint(data.GetLineAttr(5)), st.line5);
  }
  // Far below, the entry states agree with the colours already there: the
  // walk passes the lines without tokenizing any.
  const int32_t count = data.GetLineCnt();
  const int64_t before = disp.LinesTokenized();
  disp.ColourLines(count - 40, count - 1);
  EXPECT_EQ(disp.LinesTokenized() - before, 0);
  EXPECT_EQ(Paint(data.GetLineAttr(count - 2)), plain);
  // Undoing the last two steps re-opens the comment for the visible lines only.
  const int64_t again = disp.LinesTokenized();
  ASSERT_EQ(data.Undo(), 0);
  ASSERT_EQ(data.Undo(), 0);
  disp.ColourLines(kTop, kBottom);
  EXPECT_LE(disp.LinesTokenized() - again, kBottom + 1);
  EXPECT_EQ(Paint(data.GetLineAttr(5)), comment);
}

TEST_F(Colouring, WithoutAKeywordFileNothingIsAKeyword) {
  CSQLStrToken empty;
  CEditData d;
  d.SetText(u"select 1 -- c");
  CEditDispData disp(&d);
  disp.SetTokenizer(&empty);
  disp.ColourLines(0, 0);
  EXPECT_EQ(Paint(d.GetLineAttr(0)), ".........cccc");
}

TEST(EditDisplay, DisplayColumnsCountTabsAndFullWidthCharacters) {
  struct Case {
    const char16_t* line;
    int32_t col;
    int32_t x;
  } cases[] = {
      {u"abc", 2, 2},   {u"\tb", 1, 4},     {u"a\tb", 2, 4},  {u"abcd\tx", 5, 8},
      {u"日本x", 2, 4}, {u"ｱｲ", 2, 2},       {u"😀x", 2, 2},   {u"abc", 99, 3},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(CEditDispData::DisplayColumn(c.line, c.col, 4), c.x) << kestrel::utf16_to_utf8(c.line);
    if (c.col <= static_cast<int32_t>(std::u16string_view(c.line).size())) {
      EXPECT_EQ(CEditDispData::CharColumn(c.line, c.x, 4), c.col) << kestrel::utf16_to_utf8(c.line);
    }
  }
  EXPECT_EQ(CEditDispData::CharColumn(u"日本", 1, 4), 0);        // inside the first character
  EXPECT_EQ(CEditDispData::CharColumn(u"日本", 1, 4, true), 1);  // nearer its right edge
  EXPECT_EQ(CEditDispData::CharColumn(u"a😀", 2, 4), 1);         // never inside the pair
  EXPECT_EQ(CEditDispData::CharColumn(u"ab", 10, 4), 2);
}

TEST(EditDisplay, ScrollingKeepsTheCaretVisible) {
  CEditData d;
  std::u16string text;
  for (int i = 0; i < 100; ++i) text += u"line " + kestrel::to_u16(i) + u"\n";
  d.SetText(text);
  CEditDispData disp(&d);
  disp.SetVisibleSize(10, 5);
  EXPECT_EQ(disp.PageLines(), 9);
  d.SetCaret({50, 7});
  disp.EnsureCaretVisible();
  EXPECT_EQ(disp.GetTopLine(), 41);
  EXPECT_EQ(disp.GetLeftColumn(), 3);
  d.SetCaret({45, 0});
  disp.EnsureCaretVisible();
  EXPECT_EQ(disp.GetTopLine(), 41);
  EXPECT_EQ(disp.GetLeftColumn(), 0);
  disp.ScrollTo(1000, -3);
  EXPECT_EQ(disp.GetTopLine(), 100);
  EXPECT_EQ(disp.GetLeftColumn(), 0);
  disp.SetVisibleSize(1, 1);
  EXPECT_EQ(disp.PageLines(), 1);
}

TEST(EditDisplay, WordMovesStopAtWordsBlanksAndLineEnds) {
  CEditData d;
  d.SetText(u"select a.b,  社員テーブル\nx");
  struct Step {
    EditPos from, next;
  } forward[] = {
      {{0, 0}, {0, 7}}, {{0, 7}, {0, 8}}, {{0, 8}, {0, 9}}, {{0, 9}, {0, 10}},
      {{0, 10}, {0, 13}}, {{0, 13}, {0, 15}}, {{0, 15}, {0, 19}}, {{0, 19}, {1, 0}}, {{1, 1}, {1, 1}},
  };
  for (const auto& s : forward) {
    EXPECT_EQ(CEditDispData::NextWordPos(d, s.from), s.next) << s.from.line << "," << s.from.col;
    if (s.from != s.next && s.next.line == s.from.line) {
      EXPECT_EQ(CEditDispData::PrevWordPos(d, s.next), s.from) << s.next.line << "," << s.next.col;
    }
  }
  EXPECT_EQ(CEditDispData::PrevWordPos(d, {1, 0}), (EditPos{0, 19}));
  EXPECT_EQ(CEditDispData::PrevWordPos(d, {0, 0}), (EditPos{0, 0}));

  CEditDispData disp(&d);
  disp.SetTabWidth(4);
  EXPECT_EQ(disp.LineMove({0, 15}, 1, disp.DisplayColumn(EditPos{0, 15})), (EditPos{1, 1}));
  EXPECT_EQ(disp.LineMove({1, 1}, -5, 17), (EditPos{0, 15}));  // inside テ
}

}  // namespace

namespace {

// Box geometry in display columns: tabs and full-width characters inside a
// box take the characters under its columns on every line.
TEST(EditBox, EdgesAreDisplayColumns) {
  CEditData data;
  data.SetTabWidth(4);
  data.SetText(u"abcdefgh\n\tXYZ\nあいうえ\nab");
  struct Case {
    EditPos a, b;
    const char16_t* text;  // the box's text, CR LF between rows
  } cases[] = {
      // Columns 2-6: "cdef", the tab (0-4) overlaps, "あい" (0-4) and "う" (4-6) overlap, "ab" ends before.
      {{0, 2}, {3, 6}, u"cdef\r\n\tXY\r\nいう\r\n"},
      // Columns 4-6 from behind the tab to behind "う".
      {{1, 1}, {2, 3}, u"XY\r\nう"},
      // A corner past the line end counts the columns beyond it.
      {{3, 5}, {0, 7}, u"fg\r\nYZ\r\nうえ\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(kestrel::utf16_to_utf8(c.text));
    EXPECT_EQ(data.GetBoxText(c.a, c.b), c.text);
    data.SetSelection(c.a, c.b, true);
    EXPECT_EQ(data.GetSelectedText(), c.text);
  }
}

TEST(EditBox, InsertAndDeleteGoByDisplayColumns) {
  CEditData data;
  data.SetTabWidth(4);
  data.SetText(u"\tone\nあいう\nx");
  // Pasted at display column 4 of line 0 (after the tab): every row lines up.
  data.SetCaret({0, 1});
  ASSERT_EQ(data.Paste(u"[1]\n[2]\n[3]", true), 0);
  EXPECT_EQ(data.GetText(), u"\t[1]one\r\nあい[2]う\r\nx   [3]");
  // The same box deleted again leaves the text as it was.
  data.SetSelection({0, 1}, {2, 7}, true);
  EXPECT_EQ(data.GetSelectedText(), u"[1]\r\n[2]\r\n[3]");
  ASSERT_EQ(data.DeleteSelection(), 0);
  EXPECT_EQ(data.GetText(), u"\tone\r\nあいう\r\nx   ");
}

TEST(EditBox, MoveIsOneStepAndKeepsTheBoxSelected) {
  struct Case {
    const char* name;
    EditPos to;
    const char16_t* text;
  } cases[] = {
      {"left on the same rows", {0, 0}, u"bc0adef\r\nhi1gjkl\r\nmnopqr"},
      {"right on the same rows", {0, 5}, u"0adbcef\r\n1gjhikl\r\nmnopqr"},
      {"down and past the end", {2, 7}, u"0adef\r\n1gjkl\r\nmnopqrbc\r\n      hi"},
      {"onto itself", {0, 2}, u"0abcdef\r\n1ghijkl\r\nmnopqr"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CEditData data;
    data.SetText(u"0abcdef\n1ghijkl\nmnopqr");
    data.SetSelection({0, 2}, {1, 4}, true);
    const uint32_t seq = data.GetUndoData().CurrentSeq();
    ASSERT_EQ(data.MoveBox(c.to), 0);
    EXPECT_EQ(data.GetText(), c.text);
    if (data.GetText() == u"0abcdef\r\n1ghijkl\r\nmnopqr") continue;
    EXPECT_TRUE(data.IsBoxSelect());
    EXPECT_EQ(data.GetSelectedText(), u"bc\r\nhi");
    ASSERT_EQ(data.Undo(), 0);
    EXPECT_EQ(data.GetUndoData().CurrentSeq(), seq);
    EXPECT_EQ(data.GetText(), u"0abcdef\r\n1ghijkl\r\nmnopqr");
  }
  // Refused by the length limit: nothing changes.
  CEditData data;
  data.SetText(u"0abcdef\n1ghijkl");
  data.SetMaxLen(data.GetTextLength());
  data.SetSelection({0, 2}, {1, 4}, true);
  EXPECT_EQ(data.MoveBox({1, 7}), 1);
  EXPECT_EQ(data.GetText(), u"0abcdef\r\n1ghijkl");
}

}  // namespace

namespace {

// Long lines measure from their blocks: every answer must equal a walk from
// the line start, also after edits anywhere in the line and a new tab width.
TEST(EditDisplay, LongLinesMeasureFromBlocksLikeAWalk) {
  const std::u16string pieces[] = {u"a", u"\t", u"日", u"\U0001F600", u"bc", u"ｱ"};
  std::u16string line;
  uint32_t seed = 12345;
  auto next = [&seed] { return seed = seed * 1103515245u + 12345u, (seed >> 16) & 0x7FFF; };
  while (line.size() < 5000) line += pieces[next() % 6];
  CEditData data;
  data.SetText(line + u"\nshort\tline");
  auto check = [&](const char* when) {
    SCOPED_TRACE(when);
    const std::u16string_view t = data.GetLine(0);
    const int tab = data.GetTabWidth();
    for (int k = 0; k < 200; ++k) {
      const int32_t col = static_cast<int32_t>(next() % (t.size() + 1));
      ASSERT_EQ(data.DisplayX(0, col), kestrel::DisplayColumnOf(t, col, tab)) << col;
      const int32_t x = static_cast<int32_t>(next() % (data.LineWidth(0) + 3));
      for (bool nearest : {false, true})
        ASSERT_EQ(data.ColumnAtX(0, x, nearest), kestrel::CharColumnAt(t, x, tab, nearest)) << x << nearest;
    }
    EXPECT_EQ(data.LineWidth(0), kestrel::DisplayColumnOf(t, static_cast<int32_t>(t.size()), tab));
    // Wrapped rows kept with the line equal rows measured afresh.
    CEditData fresh;
    fresh.SetTabWidth(tab);
    fresh.SetText(t);
    for (int32_t cols : {7, 80}) EXPECT_EQ(data.WrapRowStarts(0, cols), fresh.WrapRowStarts(0, cols)) << cols;
  };
  check("fresh");
  for (int edit = 0; edit < 30; ++edit) {
    if (edit % 10 == 5) check("between edits");
    const int32_t len = data.GetLineLen(0);
    const EditPos at = data.Clamp({0, static_cast<int32_t>(next() % (len + 1))});
    if (edit % 3 == 2) ASSERT_EQ(data.DeleteText(at, data.Clamp({0, at.col + static_cast<int32_t>(next() % 40)})), 0);
    else ASSERT_EQ(data.InsertText(at, pieces[next() % 6] + pieces[next() % 6]), 0);
  }
  check("after edits");
  data.SetTabWidth(3);
  check("tab width 3");
  ASSERT_EQ(data.Undo(), 0);
  check("after undo");
}

}  // namespace
