// Private helpers shared by the two cursor paths and the select driver.
#pragma once

#include <chrono>
#include <string>
#include <string_view>
#include <thread>

#include "oci/oci_codes.h"
#include "oci/oci_cursor.h"

namespace kestrel::oci_detail {

// Waits between polls of a still-executing call: 5 ms at first (10 ms for a
// fetch), then 10 ms more each round up to 500 ms. The wait is cut short as
// soon as a cancel is requested, so a cancel never waits out a long interval.
class PollWait {
 public:
  PollWait(CancelFlag* cancel, int first_ms) : cancel_(cancel), wait_ms_(first_ms) {}
  void sleep(bool cancelling) {
    using namespace std::chrono;
    auto until = steady_clock::now() + milliseconds(wait_ms_);
    while (steady_clock::now() < until) {
      if (!cancelling && cancel_ && cancel_->load() == kCancelRequested) break;
      std::this_thread::sleep_for(milliseconds(cancelling ? 1 : 2));
    }
    wait_ms_ = wait_ms_ + 10 > 500 ? 500 : wait_ms_ + 10;
  }
  void restart() { wait_ms_ = 5; }

 private:
  CancelFlag* cancel_;
  int wait_ms_;
};

// While the cancel dialog asks (2), wait in 500 ms steps; then answer
// whether a cancel was requested.
inline bool cancel_requested(CancelFlag* cancel) {
  if (!cancel) return false;
  while (cancel->load() == kCancelAsking) {
    for (int i = 0; i < 100 && cancel->load() == kCancelAsking; ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return cancel->load() == kCancelRequested;
}

// Row and column (1-based) of a byte offset in a statement text: a line
// feed starts a new row, a carriage return moves nothing, a 4-byte UTF-8
// character counts 2 columns (a surrogate pair), any other character 1.
void error_position(std::string_view sql, std::size_t offset, int* row, int* col);
// The word at the error offset (ORA-00942's missing object).
std::string word_at(std::string_view sql, std::size_t offset);

// Old-interface paths.
int oci7_cre_cursor(OciSession* s, OciCursor* c, kestrel::OciMsgBuf msg);
int oci7_bind(OciSession* s, OciCursor* c, OciBindBuffer* b, kestrel::OciMsgBuf msg);
int oci7_desc_cursor(OciSession* s, OciCursor* c, kestrel::OciMsgBuf msg);
int oci7_define(OciSession* s, OciCursor* c, kestrel::OciMsgBuf msg);
int oci7_exec_non_block_cursor(OciSession* s, OciCursor* c, CancelFlag* cancel, kestrel::OciMsgBuf msg,
                               uint32_t iters);
int oci7_fetch(OciSession* s, OciCursor* c, CancelFlag* cancel, kestrel::OciMsgBuf msg);
int oci7_close(OciSession* s, OciCursor* c, kestrel::OciMsgBuf msg);
int oci7_cursor_error_text(OciSession* s, OciCursor* c, kestrel::OciMsgBuf msg);

// Frees the fetch buffer, its LOB locators and the bind list.
void free_cursor_buffers(OciCursor* c);

}  // namespace kestrel::oci_detail
