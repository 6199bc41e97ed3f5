#include "platform/background_operation.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace kestrel {
namespace {

TEST(BackgroundOperation, RunsOnlyAfterTheGateOpens) {
  std::atomic<bool> ran{false};
  BackgroundOperation op([&](BackgroundOperation& self) {
    ran = true;
    self.message() = u"done";
    return 13;
  });
  ASSERT_TRUE(op.created());
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_FALSE(ran.load());
  op.start();
  op.start();  // a second start changes nothing
  EXPECT_EQ(op.finish(), 13);
  EXPECT_TRUE(ran.load());
  EXPECT_EQ(op.message(), u"done");
}

TEST(BackgroundOperation, AbandonedOperationNeverRunsAndNothingWaits) {
  std::atomic<bool> ran{false};
  BackgroundOperation op([&](BackgroundOperation&) {
    ran = true;
    return 0;
  });
  const auto t0 = std::chrono::steady_clock::now();
  EXPECT_EQ(op.finish(), kResultNotRun);
  EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::seconds(1));
  EXPECT_FALSE(ran.load());
}

TEST(BackgroundOperation, WorkerSeesTheCancelAnswer) {
  BackgroundOperation op([](BackgroundOperation& self) {
    while (true) {
      if (int rc = self.poll_cancel(); rc != 0) return rc;
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  });
  op.start();
  op.cancel_state() = kCancelStateRequested;
  EXPECT_EQ(op.finish(), kResultCancelled);
  EXPECT_EQ(op.message(), u"キャンセルしました\n");
}

TEST(PollCancel, WaitsWhileAskingThenFollowsTheAnswer) {
  struct Case {
    int32_t answer;
    int expected;
  } cases[] = {{kCancelStateRequested, kResultCancelled}, {kCancelStateRunning, 0}};
  for (const Case& c : cases) {
    CancelState state{kCancelStateAsking};
    int sleeps = 0;
    std::u16string msg;
    auto sleep = [&](int ms) {
      EXPECT_EQ(ms, 500);
      if (++sleeps == 3) state = c.answer;  // the user answers after the third poll
    };
    EXPECT_EQ(poll_cancel(state, &msg, sleep), c.expected);
    EXPECT_EQ(sleeps, 3);
    EXPECT_EQ(msg, c.expected ? u"キャンセルしました\n" : u"");
  }
}

}  // namespace
}  // namespace kestrel
