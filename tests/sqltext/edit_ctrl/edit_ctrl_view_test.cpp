// What the editor paints, the mouse, links, search and the host calls.
#include <QImage>
#include <cstdlib>
#include <QMouseEvent>
#include <QWheelEvent>
#include <gtest/gtest.h>

#include "edit_ctrl_test_util.h"
#include "sqltext/edit_ctrl_p.h"
#include "sqltext/sql_str_token.h"
#include "sqltext/sqltext_constants.h"
#include "support/scripted_ui.h"

namespace kestrel::testing {
namespace {

QImage Render(CEditCtrl& c) {
  QImage img(c.size(), QImage::Format_RGB32);
  c.render(&img);
  return img;
}

// Pixels of colour `bgr` in the cells of [from, to) on `line`.
int CountColour(CEditCtrl& c, const QImage& img, int32_t line, int32_t from, int32_t to, uint32_t bgr) {
  const QColor want(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF);
  const QPoint a = c.PosToPixel({line, from});
  const QPoint b = c.PosToPixel({line, to});
  int n = 0;
  for (int y = a.y(); y < a.y() + c.LineHeight(); ++y)
    for (int x = a.x(); x < b.x(); ++x)
      if (img.pixelColor(x, y) == want) ++n;
  return n;
}

void Click(QWidget* w, QPoint pt, Qt::KeyboardModifiers mods = Qt::NoModifier, QEvent::Type t = QEvent::MouseButtonPress) {
  QMouseEvent e(t, QPointF(pt), w->mapToGlobal(QPointF(pt)), Qt::LeftButton,
                t == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, mods);
  QApplication::sendEvent(w, &e);
}

void Move(QWidget* w, QPoint pt) {
  QMouseEvent e(QEvent::MouseMove, QPointF(pt), w->mapToGlobal(QPointF(pt)), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(w, &e);
}

class EditCtrlView : public ::testing::Test {
 protected:
  void SetUp() override {
    std::u16string err;
    ASSERT_EQ(tok_.InitDefaultKeywordFromText(u"SELECT\nFROM\nWHERE\nNVL,2\n", &err), 0);
    ctrl_ = MakeCtrl(500, 200);
    ctrl_->SetTokenizer(&tok_);
  }
  CSQLStrToken tok_;
  std::unique_ptr<CEditCtrl> ctrl_;
  ScriptedUi ui_;
};

TEST_F(EditCtrlView, ColoursKeywordsCommentsAndStrings) {
  ctrl_->SetText(u"select nvl(x) -- note\n'text' /* c */ q'[a]'");
  const QImage img = Render(*ctrl_);
  const uint32_t kw = ctrl_->GetColor(kEditColorKeyword);
  const uint32_t kw2 = ctrl_->GetColor(kEditColorKeyword2);
  const uint32_t cm = ctrl_->GetColor(kEditColorComment);
  const uint32_t qt = ctrl_->GetColor(kEditColorQuote);
  EXPECT_GT(CountColour(*ctrl_, img, 0, 0, 6, kw), 5);
  EXPECT_EQ(CountColour(*ctrl_, img, 0, 0, 6, cm), 0);
  EXPECT_GT(CountColour(*ctrl_, img, 0, 7, 10, kw2), 3);
  EXPECT_EQ(CountColour(*ctrl_, img, 0, 10, 13, kw), 0);
  EXPECT_GT(CountColour(*ctrl_, img, 0, 14, 21, cm), 5);
  EXPECT_GT(CountColour(*ctrl_, img, 1, 0, 6, qt), 5);
  EXPECT_GT(CountColour(*ctrl_, img, 1, 7, 14, cm), 5);
  EXPECT_GT(CountColour(*ctrl_, img, 1, 15, 21, qt), 5);
}

TEST_F(EditCtrlView, TypingReColoursTheChangedLines) {
  ctrl_->SetText(u"selec\nfrom");
  Render(*ctrl_);
  ctrl_->SetSel({0, 5}, {0, 5});
  Type(ctrl_.get(), QStringLiteral("t"));
  QImage img = Render(*ctrl_);
  EXPECT_GT(CountColour(*ctrl_, img, 0, 0, 6, ctrl_->GetColor(kEditColorKeyword)), 5);
  // Opening a block comment colours the following lines, closing it restores them.
  ctrl_->SetSel({0, 0}, {0, 0});
  Type(ctrl_.get(), QStringLiteral("/*"));
  img = Render(*ctrl_);
  EXPECT_GT(CountColour(*ctrl_, img, 1, 0, 4, ctrl_->GetColor(kEditColorComment)), 5);
  Key(ctrl_.get(), Qt::Key_Backspace);
  img = Render(*ctrl_);
  EXPECT_EQ(CountColour(*ctrl_, img, 1, 0, 4, ctrl_->GetColor(kEditColorComment)), 0);
  EXPECT_GT(CountColour(*ctrl_, img, 1, 0, 4, ctrl_->GetColor(kEditColorKeyword)), 5);
}

TEST_F(EditCtrlView, CommentOverAMillionLinesColoursOnlyWhatIsSeen) {
  std::u16string text;
  text.reserve(12 * 1000000);
  for (int i = 0; i < 1000000; ++i) text += u"select 1\n";
  ctrl_->SetText(text);
  ctrl_->SetSel({0, 0}, {0, 0});
  Render(*ctrl_);
  Type(ctrl_.get(), QStringLiteral("/*"));
  QImage img = Render(*ctrl_);
  EXPECT_GT(CountColour(*ctrl_, img, 3, 0, 6, ctrl_->GetColor(kEditColorComment)), 5);
  // Lines far below were not touched: their attributes are still the old ones.
  std::span<uint8_t> far = ctrl_->GetEditData()->GetLineAttr(500000);
  EXPECT_TRUE(far.empty() || !(far[0] & kAttrComment));
  Key(ctrl_.get(), Qt::Key_Backspace);
  Key(ctrl_.get(), Qt::Key_Backspace);
  img = Render(*ctrl_);
  EXPECT_GT(CountColour(*ctrl_, img, 3, 0, 6, ctrl_->GetColor(kEditColorKeyword)), 5);
}

TEST_F(EditCtrlView, UrlsAreUnderlinedAndCtrlClickOpensTheExactText) {
  ctrl_->SetEditStyle(kEditStyleUrl);
  ctrl_->SetText(u"see www.example.com/a(b) and a@b.jp\nmix a@bhttp://x.org/p");
  Render(*ctrl_);
  auto open_at = [&](int32_t line, int32_t col) {
    ui_.urls.clear();
    const QPoint pt = ctrl_->PosToPixel({line, col}) + QPoint(ctrl_->CharWidth() / 2, ctrl_->LineHeight() / 2);
    Click(ctrl_.get(), pt, Qt::ControlModifier);
    Click(ctrl_.get(), pt, Qt::ControlModifier, QEvent::MouseButtonRelease);
    return ui_.urls.empty() ? std::u16string() : ui_.urls.back();
  };
  // ")" before a blank is no part of the URL.
  EXPECT_EQ(open_at(0, 8), u"http://www.example.com/a(b");
  EXPECT_EQ(open_at(0, 31), u"mailto:a@b.jp");
  EXPECT_EQ(open_at(1, 4), u"mailto:a@b");
  EXPECT_EQ(open_at(1, 12), u"http://x.org/p");
  EXPECT_EQ(open_at(0, 1), u"");  // not marked
  // A plain click on a link only moves the caret.
  ui_.urls.clear();
  Click(ctrl_.get(), ctrl_->PosToPixel({0, 8}) + QPoint(1, 2));
  EXPECT_TRUE(ui_.urls.empty());
  // With 0x400 off nothing is marked or opened.
  ctrl_->SetEditStyle(0);
  Render(*ctrl_);
  EXPECT_EQ(open_at(0, 8), u"");
}

TEST(EditCtrlLinks, LinkToOpenTable) {
  const struct {
    std::u16string word;
    std::size_t col;
    std::u16string want;
  } cases[] = {
      {u"http://a.b/c", 3, u"http://a.b/c"},
      {u"https://a", 0, u"https://a"},
      {u"ftp://f/x", 0, u"ftp://f/x"},
      {u"www.x.org", 2, u"http://www.x.org"},
      {u"user@example.com", 2, u"mailto:user@example.com"},
      {u"a@bhttp://x?attach=/home/u/.ssh/id_rsa", 1, u"mailto:a@b"},
      {u"a@bhttp://x?attach=/home/u/.ssh/id_rsa", 5, u"http://x?attach=/home/u/.ssh/id_rsa"},
      {u"http://", 1, u""},
      {u"www.", 1, u""},
      {u"notalink", 1, u""},
      {u"file:///etc/passwd", 1, u""},
      {u"@b", 0, u""},
  };
  for (const auto& c : cases) EXPECT_EQ(LinkToOpen(c.word, c.col), c.want) << std::string(c.word.begin(), c.word.end());
}

TEST_F(EditCtrlView, MouseClickDragDoubleClickAndMargin) {
  ctrl_->SetText(u"select abc\nfrom dual\nwhere x");
  const int cw = ctrl_->CharWidth();
  const int lh = ctrl_->LineHeight();
  auto at = [&](int32_t l, int32_t c) { return ctrl_->PosToPixel({l, c}) + QPoint(1, lh / 2); };
  Click(ctrl_.get(), at(1, 2));
  EXPECT_EQ(ctrl_->GetEditData()->GetCaret(), (EditPos{1, 2}));
  Move(ctrl_.get(), at(2, 3));
  Click(ctrl_.get(), at(2, 3), Qt::NoModifier, QEvent::MouseButtonRelease);
  EXPECT_EQ(ctrl_->GetEditData()->GetSelAnchor(), (EditPos{1, 2}));
  EXPECT_EQ(ctrl_->GetEditData()->GetCaret(), (EditPos{2, 3}));
  EXPECT_FALSE(ctrl_->GetEditData()->IsBoxSelect());
  // Alt+drag: a box.
  Click(ctrl_.get(), at(0, 1), Qt::AltModifier);
  Move(ctrl_.get(), at(2, 4));
  Click(ctrl_.get(), at(2, 4), Qt::NoModifier, QEvent::MouseButtonRelease);
  EXPECT_TRUE(ctrl_->GetEditData()->IsBoxSelect());
  EXPECT_EQ(ctrl_->GetEditData()->GetBoxText({0, 1}, {2, 4}), u"ele\r\nrom\r\nher");
  // Shift+click extends.
  Click(ctrl_.get(), at(0, 0));
  Click(ctrl_.get(), at(0, 0), Qt::NoModifier, QEvent::MouseButtonRelease);
  Click(ctrl_.get(), at(1, 4), Qt::ShiftModifier);
  Click(ctrl_.get(), at(1, 4), Qt::NoModifier, QEvent::MouseButtonRelease);
  EXPECT_EQ(ctrl_->GetEditData()->GetSelectedText(), u"select abc\r\nfrom");
  // A click inside the selection without moving places the caret there.
  ctrl_->SetSel({0, 0}, {0, 10});
  Click(ctrl_.get(), at(0, 4));
  EXPECT_TRUE(ctrl_->GetEditData()->HasSelection());  // a drag could still start
  Click(ctrl_.get(), at(0, 4), Qt::NoModifier, QEvent::MouseButtonRelease);
  EXPECT_FALSE(ctrl_->GetEditData()->HasSelection());
  EXPECT_EQ(ctrl_->GetEditData()->GetCaret(), (EditPos{0, 4}));
  // Double click selects the word.
  Click(ctrl_.get(), at(0, 8), Qt::NoModifier, QEvent::MouseButtonDblClick);
  Click(ctrl_.get(), at(0, 8), Qt::NoModifier, QEvent::MouseButtonRelease);
  EXPECT_EQ(ctrl_->GetEditData()->GetSelectedText(), u"abc");
  // The selection margin selects whole lines.
  ctrl_->SetSelectionMargin(true);
  Click(ctrl_.get(), QPoint(2, at(1, 0).y()));
  Move(ctrl_.get(), QPoint(2, at(2, 0).y()));
  Click(ctrl_.get(), QPoint(2, at(2, 0).y()), Qt::NoModifier, QEvent::MouseButtonRelease);
  EXPECT_EQ(ctrl_->GetEditData()->GetSelectedText(), u"from dual\r\nwhere x");
  (void)cw;
}

TEST_F(EditCtrlView, CompletionWithOneCandidateCompletesTheWord) {
  ctrl_->SetText(u"x = nv");
  Key(ctrl_.get(), Qt::Key_J, Qt::ControlModifier);
  EXPECT_EQ(ctrl_->GetText(), u"x = NVL");
  EXPECT_EQ(ctrl_->GetEditData()->GetCaret(), (EditPos{0, 7}));
  ctrl_->Undo();
  EXPECT_EQ(ctrl_->GetText(), u"x = nv");
  // Nothing starts so: a beep, no change.
  ctrl_->SetText(u"zz");
  Key(ctrl_.get(), Qt::Key_J, Qt::ControlModifier);
  EXPECT_EQ(ctrl_->GetText(), u"zz");
  EXPECT_EQ(ui_.beeps.size(), 1u);
}

TEST_F(EditCtrlView, WheelScrollsThreeLinesANotch) {
  std::u16string text;
  for (int i = 0; i < 100; ++i) text += u"x\n";
  ctrl_->SetText(text);
  ctrl_->SetSel({0, 0}, {0, 0});
  QWheelEvent w(QPointF(10, 10), ctrl_->mapToGlobal(QPointF(10, 10)), QPoint(), QPoint(0, -240), Qt::NoButton,
                Qt::NoModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(ctrl_.get(), &w);
  EXPECT_EQ(ctrl_->GetDispData()->GetTopLine(), 6);
  EXPECT_EQ(ctrl_->GetEditData()->GetCaret(), (EditPos{0, 0}));
}

TEST_F(EditCtrlView, SearchAndReplaceAll) {
  ctrl_->SetText(u"abc abc\nabc");
  ctrl_->SetSel({0, 0}, {0, 0});
  EXPECT_EQ(ctrl_->FindNext(u"abc", true, false), 1);
  EXPECT_EQ(ctrl_->GetEditData()->GetSelEnd(), (EditPos{0, 3}));
  EXPECT_EQ(ctrl_->FindNext(u"abc", true, false), 1);
  EXPECT_EQ(ctrl_->FindNext(u"abc", true, false), 1);
  EXPECT_EQ(ctrl_->GetEditData()->GetSelStart(), (EditPos{1, 0}));
  EXPECT_EQ(ctrl_->FindNext(u"abc", true, false), 2);  // wrapped
  EXPECT_EQ(ctrl_->GetEditData()->GetSelStart(), (EditPos{0, 0}));
  EXPECT_EQ(ctrl_->FindNext(u"abc", false, false), 2);  // wrapped backwards
  EXPECT_EQ(ctrl_->GetEditData()->GetSelStart(), (EditPos{1, 0}));
  EXPECT_EQ(ctrl_->FindNext(u"zzz", true, false), 0);
  EXPECT_EQ(ctrl_->FindNext(u"(", true, false), -1);
  const uint32_t seq = ctrl_->GetUndoSequence();
  EXPECT_EQ(ctrl_->ReplaceAll(u"b", u"BB", false, false), 3);
  EXPECT_EQ(ctrl_->GetText(), u"aBBc aBBc\r\naBBc");
  ctrl_->Undo();
  EXPECT_EQ(ctrl_->GetUndoSequence(), seq);
  EXPECT_EQ(ctrl_->ReplaceAll(u"[", u"x", false, false), -1);
  EXPECT_EQ(ctrl_->GetText(), u"abc abc\r\nabc");
  // Inside a box: the box edges anchor \=^.
  ctrl_->SetText(u"abc abc\nabc abc");
  ctrl_->SetSel({0, 4}, {1, 7}, true);
  EXPECT_EQ(ctrl_->ReplaceAll(u"\\=^a", u"-", false, true), 2);
  EXPECT_EQ(ctrl_->GetText(), u"abc -bc\r\nabc -bc");
}

TEST_F(EditCtrlView, ReplaceTheSelectedMatchWithATemplate) {
  ctrl_->SetText(u"a=1, b=2");
  ctrl_->SetSel({0, 0}, {0, 0});
  // No match selected yet: the first one is selected, nothing replaced.
  EXPECT_EQ(ctrl_->ReplaceSelMatch(u"(\\w)=(\\d)", u"\\2=\\1", false), 0);
  EXPECT_EQ(ctrl_->GetEditData()->GetSelectedText(), u"a=1");
  EXPECT_EQ(ctrl_->ReplaceSelMatch(u"(\\w)=(\\d)", u"\\2=\\1", false), 1);
  EXPECT_EQ(ctrl_->GetText(), u"1=a, b=2");
  EXPECT_EQ(ctrl_->GetEditData()->GetSelectedText(), u"b=2");
  EXPECT_EQ(ctrl_->ReplaceSelMatch(u"(", u"x", false), -1);
  EXPECT_EQ(ctrl_->GetText(), u"1=a, b=2");
}

TEST_F(EditCtrlView, HostCallsAndBadInput) {
  ctrl_->SetText(u"one\ntwo");
  EXPECT_EQ(ctrl_->GetEditData()->GetCaret(), (EditPos{1, 3}));  // at the end after loading
  ctrl_->SetSel({-3, -1}, {99, 99});
  EXPECT_EQ(ctrl_->GetEditData()->GetSelStart(), (EditPos{0, 0}));
  EXPECT_EQ(ctrl_->GetEditData()->GetSelEnd(), (EditPos{1, 3}));
  EXPECT_EQ(ctrl_->ReplaceSel(u"x"), 0);
  EXPECT_EQ(ctrl_->GetText(), u"x");
  EXPECT_TRUE(ctrl_->IsChanged());
  EXPECT_TRUE(ctrl_->OnCommand(kEditCmdUndo));
  EXPECT_FALSE(ctrl_->IsChanged());
  EXPECT_TRUE(ctrl_->OnCommand(kEditCmdRedo));
  EXPECT_FALSE(ctrl_->OnCommand(12345));
  // NUL, lone surrogates and control characters paint as U+FFFD without harm.
  ctrl_->SetText(std::u16string(u"a\0b\xD800" u"c\xDC00", 6));
  Render(*ctrl_);
  // A 10 MB run of "(" after http:// marks and paints in linear time.
  ctrl_->SetEditStyle(kEditStyleUrl);
  ctrl_->SetText(u"http://" + std::u16string(10 * 1000 * 1000, u'('));
  ctrl_->SetSel({0, 0}, {0, 0});
  Render(*ctrl_);
  Key(ctrl_.get(), Qt::Key_End);
  Render(*ctrl_);
}

// An Alt+drag box over a tab and full-width characters: every row is
// selected under the same display columns (a character partly under the
// box counts), painted so and copied so.
TEST_F(EditCtrlView, BoxSelectionGoesByDisplayColumns) {
  ctrl_->SetTabWidth(4);
  ctrl_->SetText(u"abcdefgh\n\tXYZ\nあいうえ");
  Click(ctrl_.get(), ctrl_->PosToPixel({0, 2}) + QPoint(1, 2), Qt::AltModifier);
  Move(ctrl_.get(), ctrl_->PosToPixel({2, 3}) + QPoint(1, 2));
  Click(ctrl_.get(), ctrl_->PosToPixel({2, 3}) + QPoint(1, 2), Qt::AltModifier, QEvent::MouseButtonRelease);
  ASSERT_TRUE(ctrl_->GetEditData()->IsBoxSelect());
  const QImage img = Render(*ctrl_);
  if (const char* dir = std::getenv("KESTREL_TEST_SHOTS")) img.save(QString::fromUtf8(dir) + "/edit_ctrl_box.png");
  const uint32_t sel = ctrl_->GetColor(kEditColorSelBack);
  const uint32_t back = ctrl_->GetColor(kEditColorBack);
  auto mix = [&](int shift) { return static_cast<int>((((sel >> shift) & 0xFF) + 2 * ((back >> shift) & 0xFF)) / 3); };
  const QColor wash(mix(0), mix(8), mix(16));
  const int cw = ctrl_->CharWidth();
  const int left = ctrl_->PosToPixel({0, 0}).x();
  struct Row {
    int32_t line;
    int from_col, to_col;  // display columns painted as selected
  } rows[] = {{0, 2, 6}, {1, 0, 6}, {2, 2, 6}};
  for (const Row& r : rows) {
    SCOPED_TRACE(r.line);
    const int y = ctrl_->PosToPixel({r.line, 0}).y() + 1;  // above the glyphs
    int first = -1, last = -1;
    for (int x = 0; x < img.width(); ++x)
      if (img.pixelColor(x, y) == wash) {
        if (first < 0) first = x;
        last = x;
      }
    EXPECT_EQ(first, left + r.from_col * cw);
    EXPECT_EQ(last, left + r.to_col * cw - 1);
  }
  ctrl_->Copy();
  EXPECT_EQ(ui_.clipboard, u"cdef\r\n\tXY\r\nいう");
  EXPECT_TRUE(ui_.clipboard_box);
}

TEST_F(EditCtrlView, ChangedLookAndSelectionPaint) {
  ctrl_->SetText(u"abc");
  ctrl_->SetChangedLook(true);
  QImage img = Render(*ctrl_);
  const QColor changed(0xDC & 0xFF, 0xDC, 0xFF);
  EXPECT_NE(img.pixelColor(300, 150), QColor(0xFF, 0xDC, 0xDC));
  EXPECT_EQ(img.pixelColor(300, 150), QColor(Qt::white));
  Type(ctrl_.get(), QStringLiteral("d"));
  img = Render(*ctrl_);
  EXPECT_EQ(img.pixelColor(300, 150), QColor(0xFF, 0xDC, 0xDC));
  (void)changed;
}

}  // namespace
}  // namespace kestrel::testing

namespace kestrel::testing {
namespace {

TEST(EditCtrlWrap, LongLinesContinueOnTheNextRows) {
  ScriptedUi ui;
  auto ctrl = MakeCtrl(300, 200);
  ctrl->SetLineEndMode(kLineEndLf);
  ctrl->SetWrap(true);
  const int cols = ctrl->GetDispData()->GetVisibleColumns();
  ASSERT_GT(cols, 8);
  // Two and a half rows of text, then a short line.
  std::u16string longline(static_cast<std::size_t>(cols * 2 + cols / 2), u'a');
  ctrl->SetText(longline + u"\nxyz");
  const int lh = ctrl->LineHeight();
  const int top = ctrl->PosToPixel({0, 0}).y();
  EXPECT_EQ(ctrl->PosToPixel({0, cols}).y(), top + lh);
  EXPECT_EQ(ctrl->PosToPixel({0, cols}).x(), ctrl->PosToPixel({0, 0}).x());
  EXPECT_EQ(ctrl->PosToPixel({1, 0}).y(), top + 3 * lh);
  // Down walks the rows of the long line, keeping the column.
  ctrl->SetSel({0, 3}, {0, 3});
  Key(ctrl.get(), Qt::Key_Down);
  EXPECT_EQ(ctrl->GetEditData()->GetCaret(), (EditPos{0, cols + 3}));
  Key(ctrl.get(), Qt::Key_Down);
  Key(ctrl.get(), Qt::Key_Down);
  EXPECT_EQ(ctrl->GetEditData()->GetCaret(), (EditPos{1, 3}));
  Key(ctrl.get(), Qt::Key_Up);
  EXPECT_EQ(ctrl->GetEditData()->GetCaret(), (EditPos{0, 2 * cols + 3}));
  // A click on the second row lands there.
  const QPoint pt = ctrl->PosToPixel({0, cols + 5}) + QPoint(1, lh / 2);
  QMouseEvent press(QEvent::MouseButtonPress, QPointF(pt), ctrl->mapToGlobal(QPointF(pt)), Qt::LeftButton,
                    Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(ctrl.get(), &press);
  EXPECT_EQ(ctrl->GetEditData()->GetCaret(), (EditPos{0, cols + 5}));
  // A full-width character that does not fit starts the next row.
  std::u16string wide(static_cast<std::size_t>(cols - 1), u'b');
  ctrl->SetText(wide + u"日x");
  EXPECT_EQ(ctrl->PosToPixel({0, cols - 1}).y(), top + lh);
  QImage img(ctrl->size(), QImage::Format_RGB32);
  ctrl->render(&img);
}

TEST(EditCtrlWrap, CaretStaysVisibleInAVeryLongWrappedLine) {
  ScriptedUi ui;
  auto ctrl = MakeCtrl(300, 100);
  ctrl->SetWrap(true);
  ctrl->SetText(std::u16string(100000, u'q'));  // caret at the end
  const QPoint c = ctrl->PosToPixel(ctrl->GetEditData()->GetCaret());
  EXPECT_GE(c.y(), 0);
  EXPECT_LT(c.y() + ctrl->LineHeight(), 100);
  Type(ctrl.get(), QStringLiteral("z"));
  EXPECT_EQ(ctrl->GetEditData()->GetLineLen(0), 100001);
  Key(ctrl.get(), Qt::Key_Home, Qt::ControlModifier);
  EXPECT_EQ(ctrl->PosToPixel({0, 0}).y(), 1);
  QImage img(ctrl->size(), QImage::Format_RGB32);
  ctrl->render(&img);
}

}  // namespace
}  // namespace kestrel::testing
