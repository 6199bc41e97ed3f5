#include "platform/background_operation.h"

#include <chrono>
#include <system_error>

namespace kestrel {

int poll_cancel(int32_t (*read)(void*), void* context, std::u16string* message,
                const std::function<void(int ms)>& sleep) {
  int32_t state = read(context);
  while (state == kCancelStateAsking) {
    if (sleep) sleep(kCancelPollMs);
    else std::this_thread::sleep_for(std::chrono::milliseconds(kCancelPollMs));
    state = read(context);
  }
  if (state == kCancelStateRequested) {
    if (message) *message = kCancelledText;
    return kResultCancelled;
  }
  return 0;
}

int poll_cancel(const CancelState& state, std::u16string* message, const std::function<void(int ms)>& sleep) {
  return poll_cancel([](void* c) { return static_cast<const CancelState*>(c)->load(); },
                     const_cast<CancelState*>(&state), message, sleep);
}

BackgroundOperation::BackgroundOperation(Work work) : work_(std::move(work)) {
  try {
    thread_ = std::thread([this] { run(); });
  } catch (const std::system_error&) {
    // No thread: created() answers false and finish() returns at once.
  }
}

BackgroundOperation::~BackgroundOperation() { finish(); }

void BackgroundOperation::run() {
  {
    std::unique_lock lock(mutex_);
    gate_cv_.wait(lock, [this] { return gate_ != Gate::Closed; });
    if (gate_ == Gate::Abandoned) return;
  }
  const int result = work_(*this);
  std::lock_guard lock(mutex_);
  result_ = result;
}

void BackgroundOperation::start() {
  {
    std::lock_guard lock(mutex_);
    if (gate_ != Gate::Closed) return;
    cancel_.store(kCancelStateRunning);
    gate_ = Gate::Open;
  }
  gate_cv_.notify_one();
}

int BackgroundOperation::finish() {
  {
    std::lock_guard lock(mutex_);
    if (gate_ == Gate::Closed) gate_ = Gate::Abandoned;
  }
  gate_cv_.notify_one();
  if (thread_.joinable()) thread_.join();
  finished_ = true;
  std::lock_guard lock(mutex_);
  return result_;
}

int BackgroundOperation::poll_cancel() { return kestrel::poll_cancel(cancel_, &message_); }

}  // namespace kestrel
