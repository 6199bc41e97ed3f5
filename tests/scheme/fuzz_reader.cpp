// Fuzz target: arbitrary bytes read as Scheme text, every datum written
// back. Nothing may crash, hang or leak whatever the input.
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/utf16.h"
#include "scheme/interp_p.h"
#include "scheme/scheme_api.h"

using namespace kestrel::scheme;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  static InterpPtr sc = [] {
    InterpPtr p = create_interpreter();
    set_fatal_handler(*p, [](void*, std::u16string_view) {}, nullptr);
    set_error_hook(*p, [](void*, std::u16string_view) {}, nullptr);
    return p;
  }();
  Interp& s = *sc;
  Value port = eval_text(s, u"(define _fuzz_port (open-input-string \"\")) _fuzz_port");
  if (!port || !is_port(port)) return 0;
  port_data(port)->buf = kestrel::utf8_to_utf16(std::string_view(reinterpret_cast<const char*>(data), size));
  port_data(port)->pos = 0;
  for (int i = 0; i < 100000; ++i) {
    Value v = eval_text(s, u"(let ((d (read _fuzz_port))) (if (eof-object? d) d (begin (write d (open-output-string)) #t)))");
    if (!v || last_run_failed(s) || v != true_value(s)) break;
  }
  return 0;
}
