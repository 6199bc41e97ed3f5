// The key table of the editor, the length limit on every insertion path,
// read-only, indent and unindent, and the input method.
#include <QInputMethodEvent>
#include <gtest/gtest.h>

#include <vector>

#include "edit_ctrl_test_util.h"
#include "sqltext/sqltext_constants.h"
#include "support/scripted_ui.h"

namespace kestrel::testing {
namespace {

struct K {
  int key;
  Qt::KeyboardModifiers mods = Qt::NoModifier;
  QString text = {};
};

struct KeyCase {
  const char* name;
  std::u16string text;
  EditPos anchor, caret;
  std::vector<K> keys;
  std::u16string want_text;
  EditPos want_anchor, want_caret;
  bool want_box = false;
};

constexpr auto S = Qt::ShiftModifier;
constexpr auto C = Qt::ControlModifier;
const Qt::KeyboardModifiers CS = Qt::ControlModifier | Qt::ShiftModifier;
const Qt::KeyboardModifiers AS = Qt::AltModifier | Qt::ShiftModifier;

TEST(EditCtrlKeys, KeyTable) {
  const std::u16string two = u"select a\nfrom t";
  const std::vector<KeyCase> cases = {
      {"left", two, {0, 3}, {0, 3}, {{Qt::Key_Left}}, two, {0, 2}, {0, 2}},
      {"left at line start joins previous line end", two, {1, 0}, {1, 0}, {{Qt::Key_Left}}, two, {0, 8}, {0, 8}},
      {"right at line end", two, {0, 8}, {0, 8}, {{Qt::Key_Right}}, two, {1, 0}, {1, 0}},
      {"shift right extends", two, {0, 0}, {0, 0}, {{Qt::Key_Right, S}, {Qt::Key_Right, S}}, two, {0, 0}, {0, 2}},
      {"left collapses a selection", two, {0, 1}, {0, 4}, {{Qt::Key_Left}}, two, {0, 1}, {0, 1}},
      {"ctrl right next word", two, {0, 0}, {0, 0}, {{Qt::Key_Right, C}}, two, {0, 7}, {0, 7}},
      {"ctrl left previous word", two, {0, 8}, {0, 8}, {{Qt::Key_Left, C}}, two, {0, 7}, {0, 7}},
      {"ctrl shift left", two, {0, 8}, {0, 8}, {{Qt::Key_Left, CS}, {Qt::Key_Left, CS}}, two, {0, 8}, {0, 0}},
      {"down keeps column", two, {0, 7}, {0, 7}, {{Qt::Key_Down}}, two, {1, 6}, {1, 6}},
      {"down then up returns", two, {0, 7}, {0, 7}, {{Qt::Key_Down}, {Qt::Key_Up}}, two, {0, 7}, {0, 7}},
      {"home end", two, {1, 2}, {1, 2}, {{Qt::Key_End}}, two, {1, 6}, {1, 6}},
      {"shift home", two, {1, 2}, {1, 2}, {{Qt::Key_Home, S}}, two, {1, 2}, {1, 0}},
      {"ctrl home", two, {1, 2}, {1, 2}, {{Qt::Key_Home, C}}, two, {0, 0}, {0, 0}},
      {"ctrl shift end", two, {0, 2}, {0, 2}, {{Qt::Key_End, CS}}, two, {0, 2}, {1, 6}},
      {"ctrl down scrolls, caret stays", two, {0, 2}, {0, 2}, {{Qt::Key_Down, C}}, two, {0, 2}, {0, 2}},
      {"page down in a short text", two, {0, 2}, {0, 2}, {{Qt::Key_PageDown}}, two, {1, 2}, {1, 2}},
      {"backspace", two, {0, 3}, {0, 3}, {{Qt::Key_Backspace}}, u"seect a\nfrom t", {0, 2}, {0, 2}},
      {"backspace joins lines", two, {1, 0}, {1, 0}, {{Qt::Key_Backspace}}, u"select afrom t", {0, 8}, {0, 8}},
      {"delete at line end joins", two, {0, 8}, {0, 8}, {{Qt::Key_Delete}}, u"select afrom t", {0, 8}, {0, 8}},
      {"delete selection", two, {0, 0}, {0, 7}, {{Qt::Key_Delete}}, u"a\nfrom t", {0, 0}, {0, 0}},
      {"ctrl backspace deletes selection only", two, {0, 0}, {0, 7}, {{Qt::Key_Backspace, C}}, u"a\nfrom t", {0, 0}, {0, 0}},
      {"typing replaces selection", two, {0, 0}, {0, 6}, {{0, {}, "x"}}, u"x a\nfrom t", {0, 1}, {0, 1}},
      {"enter splits", two, {0, 6}, {0, 6}, {{Qt::Key_Return}}, u"select\n a\nfrom t", {1, 0}, {1, 0}},
      {"tab", two, {0, 0}, {0, 0}, {{Qt::Key_Tab}}, u"\tselect a\nfrom t", {0, 1}, {0, 1}},
      {"tab over lines indents", two, {0, 2}, {1, 1}, {{Qt::Key_Tab}}, u"\tselect a\n\tfrom t", {0, 3}, {1, 2}},
      {"shift tab unindents", u"\tselect\n\tfrom", {0, 0}, {1, 2}, {{Qt::Key_Backtab, S}}, u"select\nfrom", {0, 0}, {1, 1}},
      {"undo redo", two, {0, 0}, {0, 0}, {{0, {}, "x"}, {Qt::Key_Z, C}}, two, {0, 0}, {0, 0}},
      {"undo then redo", two, {0, 0}, {0, 0}, {{0, {}, "x"}, {Qt::Key_Z, C}, {Qt::Key_Y, C}}, u"x" + two, {0, 1}, {0, 1}},
      {"select all", two, {0, 3}, {0, 3}, {{Qt::Key_A, C}}, two, {0, 0}, {1, 6}},
      {"alt shift arrows make a box", two, {0, 1}, {0, 1}, {{Qt::Key_Down, AS}, {Qt::Key_Right, AS}, {Qt::Key_Right, AS}}, two, {0, 1}, {1, 3}, true},
      {"delete a box", two, {0, 1}, {1, 3}, {{Qt::Key_Delete}}, u"sect a\nfm t", {0, 1}, {0, 1}},
      {"surrogate pair is one character", u"a\U0001F600b", {0, 1}, {0, 1}, {{Qt::Key_Right}}, u"a\U0001F600b", {0, 3}, {0, 3}},
      {"backspace removes the whole pair", u"a\U0001F600b", {0, 3}, {0, 3}, {{Qt::Key_Backspace}}, u"ab", {0, 1}, {0, 1}},
      {"full-width down keeps display column", u"日本語abc\nabcdef", {0, 2}, {0, 2}, {{Qt::Key_Down}}, u"日本語abc\nabcdef", {1, 4}, {1, 4}},
      {"full-width up rounds to the character", u"日本語\nabc", {1, 3}, {1, 3}, {{Qt::Key_Up}}, u"日本語\nabc", {0, 1}, {0, 1}},
  };
  for (const KeyCase& c : cases) {
    SCOPED_TRACE(c.name);
    ScriptedUi ui;
    auto ctrl = MakeCtrl();
    ctrl->SetLineEndMode(kLineEndLf);
    ctrl->SetText(c.text);
    ctrl->SetSel(c.anchor, c.caret, c.name == std::string("delete a box"));
    for (const K& k : c.keys) Key(ctrl.get(), k.key, k.mods, k.text);
    CEditData* d = ctrl->GetEditData();
    EXPECT_EQ(d->GetText(), c.want_text);
    EXPECT_EQ(d->GetCaret(), c.want_caret);
    EXPECT_EQ(d->HasSelection() ? d->GetSelAnchor() : d->GetCaret(), c.want_anchor);
    EXPECT_EQ(d->IsBoxSelect(), c.want_box);
    EXPECT_TRUE(ui.beeps.empty());
  }
}

TEST(EditCtrlKeys, PageKeysMoveByVisibleLinesAndScroll) {
  ScriptedUi ui;
  auto ctrl = MakeCtrl(300, 10 * 14 + 40);
  std::u16string text;
  for (int i = 0; i < 100; ++i) text += u"line\n";
  ctrl->SetText(text);
  ctrl->SetSel({0, 0}, {0, 0});
  const int page = ctrl->GetDispData()->PageLines();
  ASSERT_GT(page, 1);
  Key(ctrl.get(), Qt::Key_PageDown);
  EXPECT_EQ(ctrl->GetEditData()->GetCaret().line, page);
  EXPECT_EQ(ctrl->GetDispData()->GetTopLine(), page);
  Key(ctrl.get(), Qt::Key_PageDown, C);  // the view only
  EXPECT_EQ(ctrl->GetEditData()->GetCaret().line, page);
  EXPECT_EQ(ctrl->GetDispData()->GetTopLine(), 2 * page);
  Key(ctrl.get(), Qt::Key_PageUp, S);
  EXPECT_EQ(ctrl->GetEditData()->GetCaret().line, 0);
  EXPECT_EQ(ctrl->GetEditData()->GetSelAnchor().line, page);

  // A one-line control: Page Down still moves one line.
  auto one = MakeCtrl(300, 20);
  one->SetText(u"a\nb\nc");
  one->SetSel({0, 0}, {0, 0});
  Key(one.get(), Qt::Key_PageDown);
  EXPECT_EQ(one->GetEditData()->GetCaret().line, 1);
  EXPECT_EQ(one->GetDispData()->GetTopLine(), 1);
}

TEST(EditCtrlKeys, TabAsSpacesRunsToTheNextStop) {
  ScriptedUi ui;
  auto ctrl = MakeCtrl();
  ctrl->SetTabWidth(4);
  ctrl->SetTabSpaces(true);
  ctrl->SetText(u"ab");
  Key(ctrl.get(), Qt::Key_Tab);
  EXPECT_EQ(ctrl->GetText(), u"ab  ");
  ctrl->SetText(u"日");  // two columns wide
  Key(ctrl.get(), Qt::Key_Tab);
  EXPECT_EQ(ctrl->GetText(), u"日  ");
}

TEST(EditCtrlKeys, LengthLimitRefusesEveryInsertionWhole) {
  for (int mode : {1, 2, 3}) {
    SCOPED_TRACE(mode);
    ScriptedUi ui;
    auto ctrl = MakeCtrl();
    ctrl->SetLineEndMode(mode);
    const int eol = mode == 1 ? 2 : 1;
    ctrl->SetMaxLen(5 + eol);  // "ab" EOL "cde" is full
    ctrl->SetText(u"ab\ncde");
    std::u16string full = ctrl->GetText();
    auto refused = [&](const char* what) {
      SCOPED_TRACE(what);
      EXPECT_EQ(ctrl->GetText(), full);
      EXPECT_EQ(ui.beeps.size(), 1u);
      EXPECT_EQ(ui.beeps.empty() ? 0u : ui.beeps[0], mb::ICONEXCLAMATION);
      ui.beeps.clear();
    };
    Type(ctrl.get(), QStringLiteral("x"));
    refused("typed");
    Key(ctrl.get(), Qt::Key_Return);
    refused("enter");
    ctrl->OnCommand(kEditCmdInsertLineFeed);
    refused("line feed command");
    ctrl->ReplaceSel(u"yz");
    refused("replace selection");
    ctrl->PasteText(u"q", false);
    refused("paste");
    QInputMethodEvent ime(QString(), {});
    ime.setCommitString(QStringLiteral("日"));
    QApplication::sendEvent(ctrl.get(), &ime);
    refused("input method commit");
    // Replacing one character by one fits.
    ctrl->SetSel({0, 0}, {0, 1});
    Type(ctrl.get(), QStringLiteral("X"));
    EXPECT_TRUE(ui.beeps.empty());
    EXPECT_EQ(ctrl->GetEditData()->GetLine(0), u"Xb");
    full = ctrl->GetText();
    // A line break where the limit leaves room for just one character of
    // text but not for the line end in CR LF mode.
    ctrl->SetMaxLen(ctrl->GetEditData()->GetTextLength() + 1);
    Key(ctrl.get(), Qt::Key_Return);
    if (mode == 1) refused("line break of two");
    else EXPECT_TRUE(ui.beeps.empty());
  }
}

TEST(EditCtrlKeys, ReadOnlyRefusesEveryEditPath) {
  ScriptedUi ui;
  auto ctrl = MakeCtrl();
  ctrl->SetText(u"select 1\nfrom dual");
  ctrl->SetReadOnly(true);
  ctrl->SetSel({0, 0}, {0, 6});
  ui.has_clipboard = true;
  const std::u16string before = ctrl->GetText();
  Type(ctrl.get(), QStringLiteral("x"));
  Key(ctrl.get(), Qt::Key_Backspace);
  Key(ctrl.get(), Qt::Key_Delete);
  Key(ctrl.get(), Qt::Key_Return);
  Key(ctrl.get(), Qt::Key_Tab);
  Key(ctrl.get(), Qt::Key_Backtab, S);
  Key(ctrl.get(), Qt::Key_X, C);
  Key(ctrl.get(), Qt::Key_V, C);
  Key(ctrl.get(), Qt::Key_Z, C);
  ctrl->ReplaceSel(u"y");
  ctrl->PasteText(u"z", true);
  ctrl->OnCommand(kEditCmdInsertLineFeed);
  EXPECT_EQ(ctrl->ReplaceAll(u"s", u"S", false, false), -1);
  QInputMethodEvent ime(QString(), {});
  ime.setCommitString(QStringLiteral("日"));
  QApplication::sendEvent(ctrl.get(), &ime);
  EXPECT_EQ(ctrl->GetText(), before);
  EXPECT_FALSE(ctrl->inputMethodQuery(Qt::ImEnabled).toBool());
  // Moving and selecting still work.
  Key(ctrl.get(), Qt::Key_End, C);
  EXPECT_EQ(ctrl->GetEditData()->GetCaret(), (EditPos{1, 9}));
  EXPECT_FALSE(ctrl->IsCommandEnabled(kEditCmdPaste));
  EXPECT_FALSE(ui.beeps.empty());
}

struct IndentCase {
  const char* name;
  std::u16string text;
  EditPos anchor, caret;
  bool box;
  int tab;
  bool spaces;
  bool unindent;
  std::u16string want;
};

TEST(EditCtrlKeys, IndentUnindentTable) {
  const std::vector<IndentCase> cases = {
      {"indent with a tab", u"a\nb\nc", {0, 0}, {1, 1}, false, 8, false, false, u"\ta\n\tb\nc"},
      {"indent with spaces", u"a\nb", {0, 0}, {1, 1}, false, 4, true, false, u"    a\n    b"},
      {"selection ending at column 0 leaves that line", u"a\nb\nc", {0, 0}, {2, 0}, false, 4, false, false, u"\ta\n\tb\nc"},
      {"unindent two spaces with width 4", u"  a\n  b", {0, 0}, {1, 1}, false, 4, false, true, u"a\nb"},
      {"unindent a tab only", u"\t\ta\n\t b", {0, 0}, {1, 1}, false, 4, false, true, u"\ta\n b"},
      {"unindent at most tab-width spaces", u"      a\nb", {0, 0}, {1, 1}, false, 4, false, true, u"  a\nb"},
      {"unindent a box at its left edge", u"ab  c\nab\td", {0, 2}, {1, 3}, true, 4, false, true, u"abc\nabd"},
  };
  for (const IndentCase& c : cases) {
    SCOPED_TRACE(c.name);
    ScriptedUi ui;
    auto ctrl = MakeCtrl();
    ctrl->SetTabWidth(c.tab);
    ctrl->SetTabSpaces(c.spaces);
    ctrl->SetLineEndMode(kLineEndLf);
    ctrl->SetText(c.text);
    ctrl->SetSel(c.anchor, c.caret, c.box);
    const uint32_t seq = ctrl->GetUndoSequence();
    if (c.unindent) ctrl->Unindent();
    else ctrl->Indent();
    EXPECT_EQ(ctrl->GetText(), c.want);
    // One undo step takes it all back.
    ctrl->Undo();
    EXPECT_EQ(ctrl->GetText(), c.text);
    EXPECT_EQ(ctrl->GetUndoSequence(), seq);
  }
}

// Unindent removes one tab stop: a tab, or up to tab-width spaces, never
// a space and the tabs after it. Waits for the buffer's unindent to match
// spaces only in its second branch.
TEST(EditCtrlKeys, UnindentTakesSpacesOrOneTabNeverBoth) {
  ScriptedUi ui;
  auto ctrl = MakeCtrl();
  ctrl->SetTabWidth(4);
  ctrl->SetLineEndMode(kLineEndLf);
  ctrl->SetText(u" \t\ta\nb");
  ctrl->SetSel({0, 0}, {1, 1});
  ctrl->Unindent();
  EXPECT_EQ(ctrl->GetText(), u"\t\ta\nb");
}

TEST(EditCtrlKeys, TabWidthIsClamped) {
  auto ctrl = MakeCtrl();
  for (auto [given, want] : std::vector<std::pair<int, int>>{{0, 1}, {-5, 1}, {4, 4}, {1000000, 16}}) {
    ctrl->SetTabWidth(given);
    EXPECT_EQ(ctrl->GetTabWidth(), want);
  }
}

TEST(EditCtrlIme, PreeditStaysOutOfTheBufferUntilCommitted) {
  ScriptedUi ui;
  auto ctrl = MakeCtrl();
  ctrl->SetText(u"ab");
  ctrl->SetSel({0, 1}, {0, 1});
  const uint32_t seq = ctrl->GetUndoSequence();
  QInputMethodEvent pre(QStringLiteral("にほん"), {{QInputMethodEvent::Cursor, 2, 1, {}}});
  QApplication::sendEvent(ctrl.get(), &pre);
  EXPECT_EQ(ctrl->Preedit(), u"にほん");
  EXPECT_EQ(ctrl->GetText(), u"ab");
  EXPECT_EQ(ctrl->GetUndoSequence(), seq);
  // The caret rectangle follows the composition's cursor (two full-width characters).
  const QRect r = ctrl->inputMethodQuery(Qt::ImCursorRectangle).toRect();
  EXPECT_EQ(r.x() + 1, ctrl->PosToPixel({0, 1}).x() + 4 * ctrl->CharWidth());
  EXPECT_EQ(ctrl->inputMethodQuery(Qt::ImSurroundingText).toString(), QStringLiteral("ab"));
  EXPECT_EQ(ctrl->inputMethodQuery(Qt::ImCursorPosition).toInt(), 1);

  QInputMethodEvent commit(QString(), {});
  commit.setCommitString(QStringLiteral("日本"));
  QApplication::sendEvent(ctrl.get(), &commit);
  EXPECT_TRUE(ctrl->Preedit().empty());
  EXPECT_EQ(ctrl->GetText(), u"a日本b");
  EXPECT_EQ(ctrl->GetEditData()->GetCaret(), (EditPos{0, 3}));

  // Reset drops a composition without touching the text.
  QInputMethodEvent pre2(QStringLiteral("か"), {});
  QApplication::sendEvent(ctrl.get(), &pre2);
  ctrl->ResetIme();
  EXPECT_TRUE(ctrl->Preedit().empty());
  EXPECT_EQ(ctrl->GetText(), u"a日本b");
  ctrl->Undo();
  EXPECT_EQ(ctrl->GetText(), u"ab");
}

}  // namespace
}  // namespace kestrel::testing
