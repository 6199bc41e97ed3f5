// Fuzz target: arbitrary bytes evaluated as Scheme code under a step
// budget (the cancel poll ends long runs). Errors, fatal errors and
// cancels are fine; crashes, hangs and leaks are not.
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/utf16.h"
#include "scheme/interp_p.h"

using namespace kestrel::scheme;

namespace {

int g_polls = 0;

bool budget(void*) { return --g_polls <= 0; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  // A fresh interpreter per input, so one input cannot break the next.
  InterpPtr sc = create_interpreter();
  if (!sc) return 0;
  set_fatal_handler(*sc, [](void*, std::u16string_view) {}, nullptr);
  set_output_hook(*sc, [](void*, std::u16string_view) {}, nullptr);
  set_error_hook(*sc, [](void*, std::u16string_view) {}, nullptr);
  set_cancel_poll(*sc, budget, nullptr);
  g_polls = 200;  // about 100,000 procedure calls
  std::u16string text = kestrel::utf8_to_utf16(std::string_view(reinterpret_cast<const char*>(data), size));
  for (char16_t& c : text) {
    // Keep the fuzzer away from the file system and other programs.
    if (c == u'!' ) c = u' ';
  }
  std::u16string guarded = u"(define win-exec #f) (define open-output-file #f) (define load #f) (define use #f) "
                           u"(define require #f) (define exit #f) ";
  eval_text(*sc, guarded);
  eval_text(*sc, text);
  return 0;
}
