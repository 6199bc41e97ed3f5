// A MsgTarget that records every message sent or posted to it, and answers
// sends with a programmable value.
#pragma once

#include <cstdint>
#include <mutex>
#include <vector>

#include "platform/msg_target.h"

namespace kestrel::testing {

struct RecordedMsg {
  bool posted;
  uint32_t msg;
  uintptr_t wparam;
  intptr_t lparam;
  bool operator==(const RecordedMsg&) const = default;
};

class RecordingMsgTarget final : public MsgTarget {
 public:
  intptr_t send(uint32_t msg, uintptr_t wparam, intptr_t lparam) override {
    std::lock_guard lock(mu_);
    log_.push_back({false, msg, wparam, lparam});
    return answer_;
  }
  void post(uint32_t msg, uintptr_t wparam, intptr_t lparam) override {
    std::lock_guard lock(mu_);
    log_.push_back({true, msg, wparam, lparam});
  }
  std::vector<RecordedMsg> messages() const {
    std::lock_guard lock(mu_);
    return log_;
  }
  // Only the message numbers, in order.
  std::vector<uint32_t> ids() const {
    std::lock_guard lock(mu_);
    std::vector<uint32_t> r;
    for (const auto& m : log_) r.push_back(m.msg);
    return r;
  }
  void clear() {
    std::lock_guard lock(mu_);
    log_.clear();
  }
  void set_answer(intptr_t a) { answer_ = a; }

 private:
  mutable std::mutex mu_;
  std::vector<RecordedMsg> log_;
  intptr_t answer_ = 0;
};

}  // namespace kestrel::testing
