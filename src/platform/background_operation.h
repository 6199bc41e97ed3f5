// Running a long database operation on a worker thread while the user
// interface thread shows a progress dialog. The worker is created waiting
// at a start gate; the dialog opens the gate once it is laid out. A dialog
// that fails before that abandons the operation: the worker leaves without
// running it, so nothing ever waits for work that never started.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "platform/msg_target.h"

namespace kestrel {

// The cancel state, written by the dialog and read by the worker (the same
// values as the Oracle layer's cancel flag).
using CancelState = std::atomic<int32_t>;
inline constexpr int32_t kCancelStateRunning = 0;
inline constexpr int32_t kCancelStateRequested = 1;
inline constexpr int32_t kCancelStateAsking = 2;  // the dialog is asking the user

inline constexpr int kCancelPollMs = 500;
inline constexpr int kResultCancelled = 9;
inline constexpr char16_t kCancelledText[] = u"キャンセルしました\n";
// What BackgroundOperation::finish returns for an abandoned operation.
inline constexpr int kResultNotRun = -1;

// Reads a cancel answer: while it is "asking", waits kCancelPollMs and reads
// again. Returns kResultCancelled (with kCancelledText in *message) when the
// answer is to cancel, 0 to go on. `sleep` is replaceable for tests.
int poll_cancel(int32_t (*read)(void*), void* context, std::u16string* message,
                const std::function<void(int ms)>& sleep = {});
int poll_cancel(const CancelState& state, std::u16string* message, const std::function<void(int ms)>& sleep = {});

class BackgroundOperation {
 public:
  // Runs `work` on a new thread once start() is called; its return value is
  // the operation's result code.
  using Work = std::function<int(BackgroundOperation&)>;
  explicit BackgroundOperation(Work work);
  ~BackgroundOperation();
  BackgroundOperation(const BackgroundOperation&) = delete;
  BackgroundOperation& operator=(const BackgroundOperation&) = delete;

  // False when the thread could not be created: the operation is not run.
  bool created() const { return thread_.joinable() || finished_; }
  // Opens the start gate (the dialog is up); later calls do nothing.
  void start();
  // Waits for the worker and returns its result. When start() was never
  // called, the worker is released without running and kResultNotRun is
  // returned at once.
  int finish();

  CancelState& cancel_state() { return cancel_; }
  // The error text the worker leaves for the user interface.
  std::u16string& message() { return message_; }
  // Cancel polling on this operation's state.
  int poll_cancel();
  // The dialog the worker reports to; set by the dialog before start().
  // Kept alive until the operation is destroyed, so a worker that talks
  // after its dialog went still reaches a (closed) target.
  MsgTarget* target() const { return target_.get(); }
  void set_target(std::shared_ptr<MsgTarget> target) { target_ = std::move(target); }

 private:
  enum class Gate { Closed, Open, Abandoned };
  void run();

  Work work_;
  CancelState cancel_{kCancelStateRunning};
  std::u16string message_;
  std::shared_ptr<MsgTarget> target_;
  std::mutex mutex_;
  std::condition_variable gate_cv_;
  Gate gate_ = Gate::Closed;
  int result_ = kResultNotRun;
  bool finished_ = false;
  std::thread thread_;
};

}  // namespace kestrel
