// Windows talk to each other with numbered messages (0x8301 current cell
// moved, 0x8310 layout changed, ...). The core keeps the numbers and sends
// them through this interface; widgets implement it, and a posted message
// becomes a queued event on the user-interface thread. Tests record them.
#pragma once

#include <cstdint>

namespace kestrel {

class MsgTarget {
 public:
  virtual ~MsgTarget() = default;
  // Delivered before the call returns; the result is the handler's answer.
  virtual intptr_t send(uint32_t msg, uintptr_t wparam, intptr_t lparam) = 0;
  // Queued for later delivery on the target's thread; safe from any thread.
  virtual void post(uint32_t msg, uintptr_t wparam, intptr_t lparam) = 0;
};

}  // namespace kestrel
