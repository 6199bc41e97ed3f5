// The query dialog with fake workers, offscreen: its messages, the Cancel
// question and its answers, Escape and the close button, an end that
// arrives during the question, and the delayed display.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QThread>
#include <chrono>
#include <memory>
#include <thread>
#include <vector>

#include "support/qt_environment.h"
#include "app/cancel_dlg.h"
#include "app/qt_text.h"
#include "platform/progress_messages.h"
#include "progress_test_util.h"

namespace kestrel {
namespace {

using testing::Checkpoints;
using testing::worker_wait;

const auto* const g_env = ::testing::AddGlobalTestEnvironment(new testing::QtEnvironment("app_progress_gui_tests"));

TEST(CancelDlgTest, ShowsTheWorkersTextsAndRowCountsAndReturnsItsResult) {
  Checkpoints cp;
  QString first, line2, rows, title;
  bool visible = false, cancel_enabled_at_end = true;
  cp.on(1, [&] {
    auto* dlg = testing::find_top_level<CCancelDlg>();
    ASSERT_NE(dlg, nullptr);
    first = dlg->Line(0);
    title = dlg->windowTitle();
    visible = dlg->isVisible();
  });
  cp.on(2, [&] {
    auto* dlg = testing::find_top_level<CCancelDlg>();
    line2 = dlg->Line(1);
    rows = dlg->Line(0);
  });
  cp.install();
  std::u16string message;
  const int rc = run_query_operation(
      nullptr,
      [&](BackgroundOperation& op) {
        cp.at(1);
        op.target()->send(progress::kQuerySetText, 1, reinterpret_cast<intptr_t>(u"二行目"));
        // The cursor layer posts the row count in wParam; the dialog's own
        // form has it in lParam.
        op.target()->post(progress::kQueryRowsFetched, 100, 0);
        op.target()->post(progress::kQueryRowsFetched, 0, 250);
        cp.at(2);
        op.message() = u"ORA-00942: table or view does not exist";
        return 13;
      },
      &message, false);
  EXPECT_EQ(rc, 13);
  EXPECT_EQ(message, u"ORA-00942: table or view does not exist");
  EXPECT_EQ(title, QStringLiteral(u"実行中"));
  EXPECT_EQ(first, QStringLiteral(u"SQL実行中"));
  EXPECT_TRUE(visible);
  EXPECT_EQ(line2, QStringLiteral(u"二行目"));
  EXPECT_EQ(rows, QStringLiteral(u"検索結果転送中(250)"));
  (void)cancel_enabled_at_end;
  EXPECT_EQ(testing::find_top_level<CCancelDlg>(), nullptr);
}

// How the user asks to cancel.
enum class CancelWay { Button, Escape, CloseButton };

void press_cancel(CancelWay way) {
  auto* dlg = testing::find_top_level<CCancelDlg>();
  ASSERT_NE(dlg, nullptr);
  switch (way) {
    case CancelWay::Button: QTest::mouseClick(dlg->CancelButton(), Qt::LeftButton); break;
    case CancelWay::Escape: QTest::keyClick(dlg, Qt::Key_Escape); break;
    case CancelWay::CloseButton: {
      QCloseEvent close;
      QApplication::sendEvent(dlg, &close);
      break;
    }
  }
}

struct CancelCase {
  CancelWay way;
  QMessageBox::StandardButton answer;
  int expected_rc;
};

class CancelDlgCancelTest : public ::testing::TestWithParam<CancelCase> {};

TEST_P(CancelDlgCancelTest, AsksFirstAndOnlyYesCancels) {
  const CancelCase c = GetParam();
  Checkpoints cp;
  QString question, caption;
  bool closed_while_asking = false, cancel_enabled_after = true;
  cp.on(1, [&] {
    testing::answer_question_later(c.answer, &question, &caption);
    press_cancel(c.way);
    auto* dlg = testing::find_top_level<CCancelDlg>();
    closed_while_asking = !dlg->isVisible();
    cancel_enabled_after = dlg->CancelButton()->isEnabled();
  });
  cp.install();
  int32_t seen_while_asking = -1;
  std::u16string message;
  const int rc = run_query_operation(
      nullptr,
      [&](BackgroundOperation& op) {
        cp.at(1);
        seen_while_asking = op.cancel_state().load();
        // The worker's own polling decides.
        for (int i = 0; i < 3; ++i)
          if (int r = op.poll_cancel(); r != 0) return r;
        return 0;
      },
      &message, false);
  EXPECT_EQ(question, QStringLiteral(u"キャンセルしますか？"));
  EXPECT_EQ(caption, QStringLiteral(u"確認"));
  EXPECT_FALSE(closed_while_asking);  // Cancel never closes the dialog itself
  EXPECT_EQ(rc, c.expected_rc);
  if (c.expected_rc == kResultCancelled) {
    EXPECT_EQ(message, u"キャンセルしました\n");
    EXPECT_EQ(seen_while_asking, kCancelStateRequested);
    EXPECT_FALSE(cancel_enabled_after);
  } else {
    EXPECT_EQ(seen_while_asking, kCancelStateRunning);
    EXPECT_TRUE(cancel_enabled_after);
  }
}

INSTANTIATE_TEST_SUITE_P(Ways, CancelDlgCancelTest,
                         ::testing::Values(CancelCase{CancelWay::Button, QMessageBox::No, 0},
                                           CancelCase{CancelWay::Button, QMessageBox::Yes, kResultCancelled},
                                           CancelCase{CancelWay::Escape, QMessageBox::No, 0},
                                           CancelCase{CancelWay::Escape, QMessageBox::Yes, kResultCancelled},
                                           CancelCase{CancelWay::CloseButton, QMessageBox::No, 0},
                                           CancelCase{CancelWay::CloseButton, QMessageBox::Yes, kResultCancelled}));

TEST(CancelDlgTest, EndDuringTheQuestionClosesItAndTheWorkersResultStands) {
  Checkpoints cp;
  bool question_was_up = false;
  cp.on(1, [&] { press_cancel(CancelWay::Button); });  // returns once the question is gone
  cp.install();
  std::u16string message;
  std::thread checker;
  const int rc = run_query_operation(
      nullptr,
      [&](BackgroundOperation& op) {
        // Reaching checkpoint 1 makes the test press Cancel; the worker
        // finishes while the question is still open.
        checker = std::thread([&cp] { cp.at(1); });
        if (!worker_wait([&] { return op.cancel_state().load() == kCancelStateAsking; })) return -5;
        question_was_up = true;
        op.message() = u"done";
        return 0;
      },
      &message, false);
  checker.join();
  EXPECT_TRUE(question_was_up);
  EXPECT_EQ(rc, 0);
  EXPECT_EQ(message, u"done");
  EXPECT_EQ(testing::open_question(), nullptr);
  EXPECT_EQ(testing::find_top_level<CCancelDlg>(), nullptr);
}

TEST(CancelDlgTest, AQuickQueryNeverShowsTheDelayedDialog) {
  bool ever_shown = false;
  QTimer watch;
  watch.setInterval(1);
  QObject::connect(&watch, &QTimer::timeout, [&] {
    if (auto* dlg = testing::find_top_level<CCancelDlg>(); dlg && dlg->isVisible()) ever_shown = true;
  });
  watch.start();
  const int rc = run_query_operation(
      nullptr,
      [](BackgroundOperation&) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        return 0;
      },
      nullptr, true);
  EXPECT_EQ(rc, 0);
  EXPECT_FALSE(ever_shown);
}

TEST(CancelDlgTest, ASlowQueryShowsTheDelayedDialogOverTheMainWindowWhichTakesNoInputMeanwhile) {
  QWidget main_window;
  main_window.setGeometry(100, 100, 600, 400);
  auto* button = new QPushButton(QStringLiteral("x"), &main_window);
  button->setGeometry(10, 10, 80, 30);
  int clicks = 0;
  QObject::connect(button, &QPushButton::clicked, [&] { ++clicks; });
  main_window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&main_window));
  QTest::mouseClick(button, Qt::LeftButton);
  ASSERT_EQ(clicks, 1);

  Checkpoints cp;
  bool hidden_early = false, timer_pending = false, shown_later = false;
  QString line_after_early_rows, line_after_rows;
  QPoint dlg_centre;
  cp.on(1, [&] {
    auto* dlg = testing::find_top_level<CCancelDlg>();
    hidden_early = !dlg->isVisible();
    timer_pending = dlg->DisplayTimerPending();
    QTest::mouseClick(button, Qt::LeftButton);  // swallowed
    QTest::keyClick(button, Qt::Key_Space);     // swallowed
  });
  cp.on(2, [&] {
    auto* dlg = testing::find_top_level<CCancelDlg>();
    line_after_early_rows = dlg->Line(0);
    ASSERT_TRUE(testing::wait_until([dlg] { return dlg->isVisible(); }));
    shown_later = true;
    dlg_centre = dlg->frameGeometry().center();
  });
  cp.on(3, [&] { line_after_rows = testing::find_top_level<CCancelDlg>()->Line(0); });
  cp.install();

  QDialog* owner_probe = nullptr;
  const int rc = run_query_operation(
      &main_window,
      [&](BackgroundOperation& op) {
        cp.at(1);
        op.target()->post(progress::kQueryRowsFetched, 0, 10);  // ignored while hidden
        cp.at(2);
        op.target()->post(progress::kQueryRowsFetched, 0, 20);
        cp.at(3);
        return 0;
      },
      nullptr, true);
  (void)owner_probe;
  EXPECT_EQ(rc, 0);
  EXPECT_TRUE(hidden_early);
  EXPECT_TRUE(timer_pending);
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(line_after_early_rows, QStringLiteral(u"SQL実行中"));
  EXPECT_TRUE(shown_later);
  EXPECT_LE((dlg_centre - main_window.frameGeometry().center()).manhattanLength(), 4);
  EXPECT_EQ(line_after_rows, QStringLiteral(u"検索結果転送中(20)"));
  // Input reaches the main window again.
  QTest::mouseClick(button, Qt::LeftButton);
  EXPECT_EQ(clicks, 2);
}

// A window that takes messages: what reaches it, and on which thread.
class OwnerWindow : public QWidget, public MsgTarget {
 public:
  struct Got {
    uint32_t msg;
    uintptr_t wparam;
    intptr_t lparam;
    bool on_ui_thread;
    bool operator==(const Got&) const = default;
  };
  intptr_t send(uint32_t msg, uintptr_t wparam, intptr_t lparam) override {
    got.push_back({msg, wparam, lparam, QThread::currentThread() == thread()});
    return 1000 + lparam;
  }
  void post(uint32_t msg, uintptr_t wparam, intptr_t lparam) override { send(msg, wparam, lparam); }
  std::vector<Got> got;
};

TEST(CancelDlgTest, Message1224GoesOnToTheOwnerWindow) {
  enum class Owner { Parent, AboveTheParent, None };
  for (Owner where : {Owner::Parent, Owner::AboveTheParent, Owner::None}) {
    SCOPED_TRACE(static_cast<int>(where));
    OwnerWindow owner;
    QWidget plain;
    QWidget* parent = &owner;
    if (where == Owner::AboveTheParent) parent = new QWidget(&owner);
    if (where == Owner::None) parent = &plain;
    intptr_t answer = -1, other_answer = -1;
    const int rc = run_query_operation(
        parent,
        [&](BackgroundOperation& op) {
          answer = op.target()->send(progress::kQueryForOwner, 7, 42);
          op.target()->post(progress::kQueryForOwner, 8, 43);
          other_answer = op.target()->send(progress::kQueryForOwner + 1, 9, 44);  // the dialog's to ignore
          return 0;
        },
        nullptr, false);
    EXPECT_EQ(rc, 0);
    EXPECT_EQ(other_answer, 0);
    if (where == Owner::None) {
      EXPECT_EQ(answer, 0);
      EXPECT_TRUE(owner.got.empty());
      continue;
    }
    EXPECT_EQ(answer, 1042);
    const std::vector<OwnerWindow::Got> expected = {{1224, 7, 42, true}, {1224, 8, 43, true}};
    EXPECT_EQ(owner.got, expected);
  }
}

TEST(CancelDlgTest, SendsAfterTheDialogIsGoneReturnAtOnce) {
  // A misbehaving worker that keeps talking after its end message must not
  // block the user-interface thread's wait for it.
  std::atomic<bool> late_send_returned{false};
  const int rc = run_query_operation(
      nullptr,
      [&](BackgroundOperation& op) {
        MsgTarget* dlg = op.target();
        dlg->post(progress::kQueryEnd, 4, 0);
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        dlg->send(progress::kQuerySetText, 0, reinterpret_cast<intptr_t>(u"late"));
        late_send_returned = true;
        return 4;
      },
      nullptr, false);
  EXPECT_EQ(rc, 4);
  EXPECT_TRUE(late_send_returned);
}

}  // namespace
}  // namespace kestrel
