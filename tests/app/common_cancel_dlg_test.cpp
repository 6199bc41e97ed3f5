// The progress dialog with fake workers, offscreen: each message, the option
// bits and their layout (rendered), the Cancel question, an end during the
// question, and a dialog that fails before its worker starts.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QImage>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <chrono>
#include <thread>

#include "app/common_cancel_dlg.h"
#include "platform/progress_messages.h"
#include "progress_test_util.h"

namespace kestrel {
namespace {

using testing::Checkpoints;
using testing::worker_wait;

TEST(CommonCancelDlgTest, EachMessageReachesItsControl) {
  constexpr uint32_t kRegistered = 0xC123;
  Checkpoints cp;
  QString line1, line2, fetching;
  int range_max = -1, after_steps = -1, after_pos = -1, after_registered = -1;
  cp.on(1, [&] {
    auto* dlg = testing::find_top_level<CCommonCancelDlg>();
    line1 = dlg->Line(1);
    line2 = dlg->Line(2);
    range_max = dlg->Bar()->maximum();
    after_steps = dlg->Bar()->value();
  });
  cp.on(2, [&] { after_pos = testing::find_top_level<CCommonCancelDlg>()->Bar()->value(); });
  cp.on(3, [&] {
    auto* dlg = testing::find_top_level<CCommonCancelDlg>();
    fetching = dlg->Line(1);
    after_registered = dlg->Bar()->value();
  });
  cp.install();
  intptr_t state_answer = -1;
  std::u16string message;
  int32_t extra = 0;
  const int rc = run_progress_operation(
      nullptr, kProgressOptCancel | kProgressOptBar | kProgressOptLine2,
      [&](BackgroundOperation& op) {
        MsgTarget* dlg = op.target();
        dlg->send(progress::kSetText, 1, reinterpret_cast<intptr_t>(u"updateを実行中"));
        dlg->send(progress::kSetText, 2, reinterpret_cast<intptr_t>(u"\U0001F600 二行目"));
        dlg->send(progress::kSetRange, 3, 30);
        for (int i = 0; i < 4; ++i) dlg->send(progress::kStep, 0, 0);
        state_answer = dlg->send(progress::kCancelState, 0, 0);
        cp.at(1);
        dlg->send(progress::kSetPos, 25, 0);
        dlg->send(progress::kStep, 0, 0);  // 28
        dlg->send(progress::kStep, 0, 0);  // held at the upper bound
        cp.at(2);
        dlg->send(kRegistered, 0, 7);
        dlg->send(progress::kSetExtra, 42, 0);
        cp.at(3);
        op.message() = u"saved";
        return 0;
      },
      &message, &extra, kRegistered);
  EXPECT_EQ(rc, 0);
  EXPECT_EQ(message, u"saved");
  EXPECT_EQ(extra, 42);
  EXPECT_EQ(state_answer, kCancelStateRunning);
  EXPECT_EQ(line1, QStringLiteral(u"updateを実行中"));
  EXPECT_EQ(line2, QString::fromUtf16(u"\U0001F600 二行目"));
  EXPECT_EQ(range_max, 30);
  EXPECT_EQ(after_steps, 12);
  EXPECT_EQ(after_pos, 30);
  EXPECT_EQ(fetching, QStringLiteral(u"データ取得中"));
  EXPECT_EQ(after_registered, 7);
}

struct LayoutCase {
  uint32_t options;
  bool has_bar, has_line2, has_cancel;
};

class CommonCancelDlgLayoutTest : public ::testing::TestWithParam<LayoutCase> {};

// Whether a rectangle of the image holds anything but the background.
bool painted(const QImage& image, const QRect& r, QRgb background) {
  for (int y = r.top(); y <= r.bottom(); ++y)
    for (int x = r.left(); x <= r.right(); ++x)
      if (image.pixel(x, y) != background) return true;
  return false;
}

TEST_P(CommonCancelDlgLayoutTest, OptionBitsChooseTheControlsAndTheirPlaces) {
  const LayoutCase c = GetParam();
  Checkpoints cp;
  QImage image;
  QRect line1, bar, line2, cancel;
  bool bar_exists = false, line2_exists = false, cancel_exists = false;
  QSize client;
  cp.on(1, [&] {
    auto* dlg = testing::find_top_level<CCommonCancelDlg>();
    client = dlg->size();
    bar_exists = dlg->Bar() != nullptr;
    line2_exists = dlg->findChildren<QLabel*>().size() == 2;
    cancel_exists = dlg->CancelButton() != nullptr;
    line1 = dlg->findChildren<QLabel*>().value(0)->geometry();
    if (bar_exists) bar = dlg->Bar()->geometry();
    if (line2_exists) line2 = dlg->findChildren<QLabel*>().value(1)->geometry();
    if (cancel_exists) cancel = dlg->CancelButton()->geometry();
    image = dlg->grab().toImage();
    const QString dir = qEnvironmentVariable("KESTREL_PROGRESS_PNG_DIR");
    if (!dir.isEmpty()) image.save(QDir(dir).filePath(QStringLiteral("common_cancel_%1.png").arg(c.options)));
  });
  cp.install();
  run_progress_operation(nullptr, c.options, [&](BackgroundOperation& op) {
    op.target()->send(progress::kSetText, 1, reinterpret_cast<intptr_t>(u"insertを実行中"));
    op.target()->send(progress::kSetText, 2, reinterpret_cast<intptr_t>(u"行 120 / 300"));
    op.target()->send(progress::kSetRange, 1, 10);
    op.target()->send(progress::kSetPos, 5, 0);
    cp.at(1);
    return 0;
  }, nullptr);

  EXPECT_EQ(bar_exists, c.has_bar);
  EXPECT_EQ(line2_exists, c.has_line2);
  EXPECT_EQ(cancel_exists, c.has_cancel);
  const int w = client.width();
  EXPECT_EQ(line1, QRect(QPoint(10, 10), QPoint(w - 10 - 1, 30 - 1)));
  if (c.has_bar) {
    EXPECT_EQ(bar, QRect(10, 40, w - 20, 10));
  }
  if (c.has_line2) {
    // Under the bar when both are shown; else at the bar's place.
    EXPECT_EQ(line2.top(), c.has_bar ? 56 : 40);
    EXPECT_EQ(line2.left(), 10);
    EXPECT_EQ(line2.width(), w - 20);
    EXPECT_EQ(line2.height(), 20);
    if (c.has_bar) {
      EXPECT_FALSE(line2.intersects(bar));
    }
  }
  if (c.has_cancel) {
    EXPECT_EQ(cancel.size(), QSize(80, 20));
    EXPECT_EQ(cancel.left(), (w - 80) / 2);
    EXPECT_EQ(cancel.top(), client.height() - 30);
    if (c.has_line2) {
      EXPECT_GT(cancel.top(), line2.bottom());
    }
  }
  // What was drawn: text in line 1, the bar's fill and the button.
  ASSERT_FALSE(image.isNull());
  const QRgb background = image.pixel(2, 2);
  EXPECT_TRUE(painted(image, line1, background));
  if (c.has_bar) {
    EXPECT_TRUE(painted(image, bar, background));
  }
  if (c.has_line2) {
    EXPECT_TRUE(painted(image, line2, background));
  }
  if (c.has_cancel) {
    EXPECT_TRUE(painted(image, cancel, background));
  }
  EXPECT_FALSE(painted(image, QRect(0, client.height() - 5, w, 5), background));
}

INSTANTIATE_TEST_SUITE_P(Options, CommonCancelDlgLayoutTest,
                         ::testing::Values(LayoutCase{0x0, false, false, false}, LayoutCase{0x1, false, false, true},
                                           LayoutCase{0x2, true, false, false}, LayoutCase{0x4, false, true, false},
                                           LayoutCase{0x3, true, false, true}, LayoutCase{0x5, false, true, true},
                                           LayoutCase{0x7, true, true, true}));

struct AnswerCase {
  QMessageBox::StandardButton answer;
  bool by_escape;
  int expected_rc;
};

class CommonCancelDlgCancelTest : public ::testing::TestWithParam<AnswerCase> {};

TEST_P(CommonCancelDlgCancelTest, CancelAsksAndTheWorkerReadsTheAnswerByMessage) {
  const AnswerCase c = GetParam();
  Checkpoints cp;
  QString question, caption;
  cp.on(1, [&] {
    testing::answer_question_later(c.answer, &question, &caption);
    auto* dlg = testing::find_top_level<CCommonCancelDlg>();
    if (c.by_escape) QTest::keyClick(dlg, Qt::Key_Escape);
    else QTest::mouseClick(dlg->CancelButton(), Qt::LeftButton);
  });
  cp.install();
  std::u16string message;
  const int rc = run_progress_operation(nullptr, kProgressOptCancel | kProgressOptBar, [&](BackgroundOperation& op) {
    cp.at(1);
    std::u16string text;
    // The save's way: the state comes back through the dialog.
    const int r = poll_cancel(
        [](void* t) { return static_cast<int32_t>(static_cast<MsgTarget*>(t)->send(progress::kCancelState, 0, 0)); },
        op.target(), &text);
    op.message() = r ? text : u"finished";
    return r;
  }, &message);
  EXPECT_EQ(question, QStringLiteral(u"キャンセルしますか"));
  EXPECT_EQ(caption, QStringLiteral(u"確認"));
  EXPECT_EQ(rc, c.expected_rc);
  EXPECT_EQ(message, c.expected_rc ? u"キャンセルしました\n" : u"finished");
}

INSTANTIATE_TEST_SUITE_P(Answers, CommonCancelDlgCancelTest,
                         ::testing::Values(AnswerCase{QMessageBox::Yes, false, kResultCancelled},
                                           AnswerCase{QMessageBox::No, false, 0},
                                           AnswerCase{QMessageBox::Yes, true, kResultCancelled},
                                           AnswerCase{QMessageBox::No, true, 0}));

TEST(CommonCancelDlgTest, WithoutACancelButtonEscapeAndCloseDoNothing) {
  Checkpoints cp;
  bool asked = false, still_open = false;
  cp.on(1, [&] {
    auto* dlg = testing::find_top_level<CCommonCancelDlg>();
    QTest::keyClick(dlg, Qt::Key_Escape);
    QCloseEvent close;
    QApplication::sendEvent(dlg, &close);
    QApplication::processEvents();
    asked = testing::open_question() != nullptr;
    still_open = dlg->isVisible();
  });
  cp.install();
  int32_t state = -1;
  const int rc = run_progress_operation(nullptr, kProgressOptBar, [&](BackgroundOperation& op) {
    cp.at(1);
    state = op.cancel_state().load();
    return 0;
  }, nullptr);
  EXPECT_EQ(rc, 0);
  EXPECT_FALSE(asked);
  EXPECT_TRUE(still_open);
  EXPECT_EQ(state, kCancelStateRunning);
}

TEST(CommonCancelDlgTest, EndDuringTheQuestionClosesBothAndTheResultStands) {
  Checkpoints cp;
  cp.on(1, [&] { QTest::mouseClick(testing::find_top_level<CCommonCancelDlg>()->CancelButton(), Qt::LeftButton); });
  cp.install();
  std::u16string message;
  std::thread checker;
  const int rc = run_progress_operation(nullptr, kProgressOptCancel, [&](BackgroundOperation& op) {
    checker = std::thread([&cp] { cp.at(1); });
    if (!worker_wait([&] { return op.cancel_state().load() == kCancelStateAsking; })) return -5;
    op.message() = u"committed";
    return 0;
  }, &message);
  checker.join();
  EXPECT_EQ(rc, 0);
  EXPECT_EQ(message, u"committed");
  EXPECT_EQ(testing::open_question(), nullptr);
}

// A dialog whose controls cannot be made.
class FailingDlg final : public CCommonCancelDlg {
 public:
  using CCommonCancelDlg::CCommonCancelDlg;

 protected:
  bool CreateControls() override { return false; }
};

TEST(CommonCancelDlgTest, ADialogThatFailsBeforeStartingLeavesTheWorkerUnrunAndNeverWaitsForIt) {
  std::atomic<bool> ran{false};
  BackgroundOperation op([&](BackgroundOperation&) {
    ran = true;
    return 0;
  });
  ASSERT_TRUE(op.created());
  int dialog_result = -1;
  {
    FailingDlg dlg(op, kProgressOptCancel, nullptr);
    dialog_result = dlg.Run();
    EXPECT_FALSE(dlg.isVisible());
  }
  const auto t0 = std::chrono::steady_clock::now();
  EXPECT_EQ(op.finish(), kResultNotRun);
  EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::seconds(2));
  EXPECT_EQ(dialog_result, QDialog::Rejected);
  EXPECT_FALSE(ran);
}

}  // namespace
}  // namespace kestrel
