// Copy, cut, paste and drop: the box flag travels with the text, failures
// show their messages and keep the text.
#include <QDropEvent>
#include <QMimeData>
#include <gtest/gtest.h>

#include "edit_ctrl_test_util.h"
#include "sqltext/edit_ctrl_p.h"
#include "sqltext/sqltext_constants.h"
#include "support/scripted_ui.h"

namespace kestrel::testing {
namespace {

TEST(EditCtrlClipboard, BoxTravelsAsBoxOtherTextAsStream) {
  ScriptedUi ui;
  ScriptedUi& cb = ui;
  auto a = MakeCtrl();
  auto b = MakeCtrl();
  a->SetText(u"abcd\nefgh\nijkl");
  a->SetSel({0, 1}, {1, 3}, true);
  a->Copy();
  EXPECT_EQ(cb.clipboard, u"bc\r\nfg");
  EXPECT_TRUE(cb.clipboard_box);

  b->SetText(u"12345\n67890");
  b->SetSel({0, 2}, {0, 2});
  b->Paste();
  EXPECT_EQ(b->GetText(), u"12bc345\r\n67fg890");
  b->Undo();
  EXPECT_EQ(b->GetText(), u"12345\r\n67890");

  // The same text from another program (no box flag) goes in as a stream.
  cb.clipboard_box = false;
  b->SetSel({0, 2}, {0, 2});
  b->Paste();
  EXPECT_EQ(b->GetText(), u"12bc\r\nfg345\r\n67890");

  // A stream selection copies with the buffer's line end.
  a->SetLineEndMode(kLineEndLf);
  a->SetSel({0, 2}, {1, 1});
  a->Copy();
  EXPECT_EQ(cb.clipboard, u"cd\ne");
  EXPECT_FALSE(cb.clipboard_box);
  EXPECT_TRUE(ui.boxes.empty());
}

TEST(EditCtrlClipboard, FailuresShowTheirMessageAndCutKeepsTheText) {
  using R = UiServices::ClipboardResult;
  const std::pair<R, std::u16string> failures[] = {
      {R::kCannotOpen, kEditClipboardOpenError},
      {R::kCannotEmpty, kEditClipboardEmptyError},
      {R::kCannotSet, kEditClipboardSetError},
  };
  for (const auto& [fail, message] : failures) {
    ScriptedUi ui;
    ui.clipboard_failure = fail;
    auto ctrl = MakeCtrl();
    ctrl->SetText(u"keep me");
    ctrl->SetSel({0, 0}, {0, 4});
    ctrl->Cut();
    EXPECT_EQ(ctrl->GetText(), u"keep me");
    ctrl->Copy();
    ASSERT_EQ(ui.boxes.size(), 2u);
    EXPECT_EQ(ui.boxes[0].text, message);
    EXPECT_EQ(ui.boxes[1].text, message);
    EXPECT_FALSE(ui.has_clipboard);
  }
}

TEST(EditCtrlClipboard, CutDeletesOnceTheClipboardHasIt) {
  ScriptedUi ui;
  ScriptedUi& cb = ui;
  auto ctrl = MakeCtrl();
  ctrl->SetText(u"abc\ndef");
  ctrl->SetSel({0, 1}, {1, 2}, true);
  Key(ctrl.get(), Qt::Key_X, Qt::ControlModifier);
  EXPECT_EQ(cb.clipboard, u"b\r\ne");
  EXPECT_TRUE(cb.clipboard_box);
  EXPECT_EQ(ctrl->GetText(), u"ac\r\ndf");
}

TEST(EditCtrlClipboard, MimeBoxFlag) {
  TestApp();
  std::unique_ptr<QMimeData> mine(MakeMime(u"a\nb", true));
  EXPECT_TRUE(IsBoxMime(mine.get()));
  EXPECT_EQ(mine->text(), QStringLiteral("a\nb"));
  std::unique_ptr<QMimeData> stream(MakeMime(u"a", false));
  EXPECT_FALSE(IsBoxMime(stream.get()));
  QMimeData other;
  other.setText(QStringLiteral("x"));
  EXPECT_FALSE(IsBoxMime(&other));
  other.setData(kEditBoxMimeType, QByteArray("TRUE"));  // plain bytes from elsewhere
  EXPECT_TRUE(IsBoxMime(&other));
  other.setData(kEditBoxMimeType, QByteArray("yes"));
  EXPECT_FALSE(IsBoxMime(&other));
}

// Qt routes a drop only to the target of a drag in progress, so the test
// hands the event to the control's handler directly.
class DropCtrl : public CEditCtrl {
 public:
  using CEditCtrl::dropEvent;
};

TEST(EditCtrlClipboard, DropInsertsAtTheMouseAsOneStep) {
  ScriptedUi ui;
  TestApp();
  auto a = std::make_unique<DropCtrl>();
  a->resize(300, 200);
  a->SetText(u"0123\n4567\n89ab");
  const uint32_t seq = a->GetUndoSequence();
  std::unique_ptr<QMimeData> box(MakeMime(u"X\nY", true));
  const QPoint at = a->PosToPixel({1, 2}) + QPoint(1, 2);
  QDropEvent drop(QPointF(at), Qt::CopyAction, box.get(), Qt::LeftButton, Qt::NoModifier);
  a->dropEvent(&drop);
  EXPECT_EQ(a->GetText(), u"0123\r\n45X67\r\n89Yab");
  a->Undo();
  EXPECT_EQ(a->GetUndoSequence(), seq);
  // Not text: nothing happens.
  QMimeData image;
  image.setData("image/png", QByteArray("\x89PNG", 4));
  QDropEvent bad(QPointF(at), Qt::CopyAction, &image, Qt::LeftButton, Qt::NoModifier);
  a->dropEvent(&bad);
  EXPECT_EQ(a->GetText(), u"0123\r\n4567\r\n89ab");
}

TEST(EditCtrlClipboard, LargeBoxPaste) {
  ScriptedUi ui;
  auto ctrl = MakeCtrl();
  std::u16string box;
  for (int i = 0; i < 100000; ++i) box += u"xy\n";
  ctrl->SetText(u"ab");
  ctrl->SetSel({0, 1}, {0, 1});
  ctrl->PasteText(box, true);
  EXPECT_GE(ctrl->GetEditData()->GetLineCnt(), 100000);
  EXPECT_EQ(ctrl->GetEditData()->GetLine(0), u"axyb");
  EXPECT_EQ(ctrl->GetEditData()->GetLine(99999), u" xy");
  QImage img(ctrl->size(), QImage::Format_RGB32);
  ctrl->render(&img);
}

}  // namespace
}  // namespace kestrel::testing
