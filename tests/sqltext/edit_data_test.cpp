#include "sqltext/edit_data.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/utf16.h"
#include "sqltext/sqltext_constants.h"
#include "support/scripted_ui.h"

namespace {

using kestrel::u16;
using kestrel::utf16_to_utf8;

std::string Text(const CEditData& d) {
  std::u16string out;
  for (int32_t l = 0; l < d.GetLineCnt(); ++l) {
    if (l > 0) out += u'\n';
    out += d.GetLine(l);
  }
  return utf16_to_utf8(out);
}

struct EditCase {
  const char* name;
  const char* initial;
  std::function<void(CEditData&)> edit;
  const char* expected;
  int undo_steps;  // undo steps the edit leaves
};

const std::vector<EditCase>& EditCases() {
  static const std::vector<EditCase> cases = {
      {"typing is one step", "", [](CEditData& d) {
         for (char16_t c : std::u16string_view(u"select")) d.TypeText(std::u16string(1, c));
       }, "select", 1},
      {"typing a line break splits the line and starts a new step", "ab", [](CEditData& d) {
         d.SetCaret({0, 1});
         d.TypeText(u"x");
         d.TypeText(u"\r\n");
         d.TypeText(u"y");
       }, "ax\nyb", 3},
      {"typing replaces the selection", "hello world", [](CEditData& d) {
         d.SetSelection({0, 0}, {0, 5});
         d.TypeText(u"H");
         d.TypeText(u"i");
       }, "Hi world", 1},
      {"paste of multi-line text", "ab\ncd", [](CEditData& d) {
         d.SetCaret({0, 1});
         d.Paste(u"x\r\ny\rz\n", false);
       }, "ax\ny\nz\nb\ncd", 1},
      {"paste replaces a multi-line selection", "one\ntwo\nthree", [](CEditData& d) {
         d.SetSelection({0, 1}, {2, 2});
         d.Paste(u"-", false);
       }, "o-ree", 1},
      {"box paste pads short lines and adds lines", "abc\nd", [](CEditData& d) {
         d.SetCaret({0, 2});
         d.Paste(u"12\r\n34\r\n56\r\n", true);
       }, "ab12c\nd 34\n  56", 1},
      {"box paste replaces a box selection", "abcd\nefgh\nijkl", [](CEditData& d) {
         d.SetSelection({0, 1}, {1, 3}, true);
         d.Paste(u"X\nY", true);
       }, "aXd\neYh\nijkl", 1},
      {"box delete", "abcd\nef\nijkl", [](CEditData& d) {
         d.SetSelection({2, 3}, {0, 1}, true);
         d.DeleteSelection();
       }, "ad\ne\nil", 1},
      {"indent selected lines with a tab", "abc\ndef\nghi", [](CEditData& d) {
         d.SetSelection({0, 1}, {1, 2});
         d.Indent(4, false);
       }, "\tabc\n\tdef\nghi", 1},
      {"indent stops before a line the selection ends at the start of", "abc\ndef\nghi", [](CEditData& d) {
         d.SetSelection({0, 0}, {2, 0});
         d.Indent(2, true);
       }, "  abc\n  def\nghi", 1},
      {"unindent removes one tab or up to tab-width blanks", "  x\n\t\ty\n      z\n \tw\nv", [](CEditData& d) {
         d.SetSelection({0, 0}, {4, 1});
         d.Unindent(4);
       }, "x\n\ty\n  z\n\tw\nv", 1},
      {"unindent of a box works at its left edge", "a  b\nc\td\ne f", [](CEditData& d) {
         d.SetSelection({0, 1}, {2, 3}, true);
         d.Unindent(4);
       }, "ab\ncd\nef", 1},
      {"backspace at a line start joins the lines", "ab\ncd", [](CEditData& d) {
         d.SetCaret({1, 0});
         d.Backspace();
         d.Backspace();
       }, "acd", 2},
      {"delete at a line end joins the lines", "ab\ncd", [](CEditData& d) {
         d.SetCaret({0, 2});
         d.DeleteChar();
       }, "abcd", 1},
      {"backspace removes a whole surrogate pair", "a😀b", [](CEditData& d) {
         d.SetCaret({0, 3});
         d.Backspace();
       }, "ab", 1},
      {"delete across lines", "one\ntwo\nthree", [](CEditData& d) { d.DeleteText({2, 2}, {0, 1}); }, "oree", 1},
      {"replace text", "select * from t", [](CEditData& d) { d.ReplaceText({0, 7}, {0, 8}, u"a,\nb"); },
       "select a,\nb from t", 1},
      {"nothing to delete leaves no step", "ab", [](CEditData& d) {
         d.SetCaret({0, 0});
         d.Backspace();
         d.DeleteText({0, 1}, {0, 1});
       }, "ab", 0},
  };
  return cases;
}

TEST(EditData, EditScriptsUndoAndRedo) {
  kestrel::testing::ScriptedUi ui;
  for (const EditCase& c : EditCases()) {
    CEditData d;
    d.SetText(u16(c.initial));
    c.edit(d);
    EXPECT_EQ(Text(d), c.expected) << c.name;
    EXPECT_EQ(static_cast<int>(d.GetUndoData().undo_steps()), c.undo_steps) << c.name;
    EXPECT_EQ(d.IsModified(), c.undo_steps > 0) << c.name;
    while (d.CanUndo()) ASSERT_EQ(d.Undo(), 0) << c.name;
    EXPECT_EQ(Text(d), c.initial) << c.name << " (undone)";
    EXPECT_FALSE(d.IsModified()) << c.name;
    while (d.CanRedo()) ASSERT_EQ(d.Redo(), 0) << c.name;
    EXPECT_EQ(Text(d), c.expected) << c.name << " (redone)";
    EXPECT_EQ(d.GetTextLength(), static_cast<int64_t>(d.GetText().size())) << c.name;
  }
}

TEST(EditData, UndoRestoresTheCaretAndSelection) {
  CEditData d;
  d.SetText(u"abc\ndef");
  d.SetSelection({0, 1}, {1, 1});
  d.Indent(4, false);
  EXPECT_EQ(d.GetSelAnchor(), (EditPos{0, 2}));
  EXPECT_EQ(d.GetCaret(), (EditPos{1, 2}));
  d.Undo();
  EXPECT_EQ(d.GetSelAnchor(), (EditPos{0, 1}));
  EXPECT_EQ(d.GetCaret(), (EditPos{1, 1}));

  d.SetCaret({1, 3});
  d.TypeText(u"x");
  d.TypeText(u"y");
  EXPECT_EQ(d.GetCaret(), (EditPos{1, 5}));
  d.Undo();
  EXPECT_EQ(d.GetCaret(), (EditPos{1, 3}));
  EXPECT_FALSE(d.HasSelection());
}

TEST(EditData, NewEditDropsRedo) {
  CEditData d;
  d.TypeText(u"a");
  d.Undo();
  EXPECT_TRUE(d.CanRedo());
  d.TypeText(u"b");
  EXPECT_FALSE(d.CanRedo());
  EXPECT_EQ(Text(d), "b");
}

TEST(EditData, TypingAfterUndoStartsANewStep) {
  CEditData d;
  d.TypeText(u"a");
  d.TypeText(u"b");
  d.Undo();
  d.Redo();
  d.TypeText(u"c");
  EXPECT_EQ(Text(d), "abc");
  d.Undo();
  EXPECT_EQ(Text(d), "ab");
}

TEST(EditData, LineEndModes) {
  struct Case {
    int mode;
    std::u16string expected;
  } cases[] = {{kestrel::kLineEndCrLf, u"a\r\nb"}, {kestrel::kLineEndLf, u"a\nb"}, {kestrel::kLineEndCr, u"a\rb"}};
  for (const Case& c : cases) {
    CEditData d;
    d.SetText(u"a\r\nb");
    d.SetLineEndMode(c.mode);
    EXPECT_EQ(d.GetLineEndMode(), c.mode);
    EXPECT_EQ(d.GetText(), c.expected);
    EXPECT_EQ(d.GetTextLength(), static_cast<int64_t>(c.expected.size()));
    EXPECT_EQ(d.GetText({0, 0}, {1, 0}), c.expected.substr(0, c.expected.size() - 1));
  }
  CEditData d;
  d.SetLineEndMode(7);
  EXPECT_EQ(d.GetLineEndMode(), kestrel::kLineEndCrLf);
}

TEST(EditData, MaximumLengthRefusesWhatDoesNotFit) {
  kestrel::testing::ScriptedUi ui;
  CEditData d;
  d.SetText(u"abc");
  d.SetMaxLen(5);
  d.SetCaret({0, 3});
  EXPECT_EQ(d.TypeText(u"\n"), 0);  // 3 + CR LF = 5
  EXPECT_EQ(d.GetTextLength(), 5);
  EXPECT_EQ(d.TypeText(u"x"), 1);
  EXPECT_EQ(d.Paste(u"xy", false), 1);
  EXPECT_EQ(d.InsertText({0, 0}, u"z"), 1);
  EXPECT_EQ(Text(d), "abc\n");
  d.SetLineEndMode(kestrel::kLineEndLf);
  EXPECT_EQ(d.TypeText(u"x"), 0);  // the line end now counts one
  EXPECT_EQ(d.TypeText(u"y"), 1);
  // Replacing a selection counts what goes away.
  d.SetSelection({0, 0}, {0, 3});
  EXPECT_EQ(d.TypeText(u"12"), 0);
  EXPECT_EQ(Text(d), "12\nx");
  EXPECT_EQ(d.InsertBox({0, 0}, u"a\nb\nc"), 1);
  EXPECT_EQ(Text(d), "12\nx");
  // Typing over a box selection: the box takes no line end with it.
  d.SetSelection({0, 0}, {1, 1}, true);
  EXPECT_EQ(d.TypeText(u"abcd"), 1);  // 4 - 2 + 4 = 6
  EXPECT_EQ(Text(d), "12\nx");
  EXPECT_EQ(d.TypeText(u"abc"), 0);  // 4 - 2 + 3 = 5
  EXPECT_EQ(Text(d), "abc2\n");
  EXPECT_EQ(d.GetTextLength(), 5);
}

TEST(EditData, AppendTextSplitsAtEveryLineEnd) {
  CEditData d;
  d.AppendText(u"a\r\nb\rc\nd");
  d.AppendText(u"e\n");
  d.AppendText(u"");
  d.AppendText(u"f");
  EXPECT_EQ(Text(d), "a\nb\nc\nde\nf");
  EXPECT_FALSE(d.CanUndo());
  EXPECT_EQ(d.GetCaret(), (EditPos{4, 1}));
}

TEST(EditData, TextAndBoxRanges) {
  CEditData d;
  d.SetText(u"abcd\nef\nghij");
  d.SetLineEndMode(kestrel::kLineEndLf);
  EXPECT_EQ(d.GetText({1, 1}, {0, 2}), u"cd\ne");
  EXPECT_EQ(d.GetText({0, 99}, {99, 0}), u"\nef\nghij");  // clamped
  EXPECT_EQ(d.GetBoxText({0, 1}, {2, 3}), u"bc\nf\nhi");
  d.SetSelection({0, 1}, {2, 3}, true);
  EXPECT_TRUE(d.IsBoxSelect());
  EXPECT_EQ(d.GetSelectedText(), u"bc\nf\nhi");
}

TEST(EditData, PositionsNeverSplitSurrogatePairs) {
  CEditData d;
  d.SetText(u"a😀b");
  EXPECT_EQ(d.Clamp({0, 2}), (EditPos{0, 1}));
  EXPECT_EQ(d.NextPos({0, 1}), (EditPos{0, 3}));
  EXPECT_EQ(d.PrevPos({0, 3}), (EditPos{0, 1}));
  EXPECT_EQ(d.Clamp({-1, 5}), (EditPos{0, 0}));
  EXPECT_EQ(d.Clamp({3, 0}), (EditPos{0, 4}));
}

TEST(EditData, TextSourceWalksLinesAndSurrogatePairs) {
  CEditData d;
  d.SetText(u"a😀\r\n\nb");
  using kestrel::make_text_pos;
  struct Step {
    kestrel::TextPos pos;
    char32_t ch;
    bool line_start, line_end, text_end;
  } walk[] = {
      {make_text_pos(0, 0), U'a', true, false, false},
      {make_text_pos(0, 1), U'\U0001F600', false, false, false},
      {make_text_pos(0, 3), U'\n', false, true, false},
      {make_text_pos(1, 0), U'\n', true, true, false},
      {make_text_pos(2, 0), U'b', true, false, false},
      {make_text_pos(2, 1), kestrel::kEndOfText, false, true, true},
  };
  const kestrel::RegexTextSource& src = d;
  for (std::size_t i = 0; i < std::size(walk); ++i) {
    const Step& s = walk[i];
    EXPECT_EQ(src.char_at(s.pos), s.ch) << i;
    EXPECT_EQ(src.at_line_start(s.pos), s.line_start) << i;
    EXPECT_EQ(src.at_line_end(s.pos), s.line_end) << i;
    EXPECT_EQ(src.at_text_end(s.pos), s.text_end) << i;
    EXPECT_EQ(src.at_text_start(s.pos), i == 0) << i;
    if (i + 1 < std::size(walk)) {
      EXPECT_EQ(src.next(s.pos), walk[i + 1].pos) << i;
      EXPECT_EQ(src.prev(walk[i + 1].pos), s.pos) << i;
    }
  }
}

TEST(EditData, GapArrayKeepsLinesInOrderThroughScatteredEdits) {
  CEditData d;
  std::vector<std::string> model;
  for (int i = 0; i < 200; ++i) {
    d.AppendText(i ? u"\n" : u"");
    d.AppendText(kestrel::to_u16(i));
    model.push_back(std::to_string(i));
  }
  // Insert and remove lines at places far apart so the gap moves both ways.
  int positions[] = {150, 3, 199, 0, 77, 120, 5};
  for (int p : positions) {
    d.InsertText({p, 0}, u"new\n");
    model.insert(model.begin() + p, "new");
  }
  for (int p : {10, 180, 2}) {
    d.DeleteText({p, 0}, {p + 1, 0});
    model.erase(model.begin() + p);
  }
  std::string expected;
  for (std::size_t i = 0; i < model.size(); ++i) expected += (i ? "\n" : "") + model[i];
  EXPECT_EQ(Text(d), expected);
  while (d.CanUndo()) d.Undo();
  std::string original;
  for (int i = 0; i < 200; ++i) original += (i ? "\n" : "") + std::to_string(i);
  EXPECT_EQ(Text(d), original);
}

}  // namespace
