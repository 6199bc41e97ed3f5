// An interpreter with the macro library loaded, whose output and error
// ports are collected into strings. KESTREL_SCHEME_GC_STRESS=1 in the
// environment makes every cell allocation collect first.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "platform/utf16.h"
#include "scheme/interp_p.h"
#include "scheme/scheme.h"
#include "scheme/scheme_api.h"

namespace kestrel::scheme::testing {

inline bool gc_stress_requested() {
  const char* v = std::getenv("KESTREL_SCHEME_GC_STRESS");
  return v && *v && std::string_view(v) != "0";
}

class Scheme {
 public:
  explicit Scheme(bool with_library = true) : sc_(create_interpreter()) {
    if (!sc_) return;
    set_output_hook(*sc_, &Scheme::collect, &out);
    set_error_hook(*sc_, &Scheme::collect, &err);
    set_fatal_handler(*sc_, &Scheme::on_fatal, &fatal);
    if (with_library) {
      std::u16string errors;
      int rc = load_macro_library(*sc_, KESTREL_SCHEME_LIBRARY_PARENT, &errors);
      EXPECT_EQ(rc, 0);
      EXPECT_EQ(errors, u"");
    }
    set_gc_stress(*sc_, gc_stress_requested());
    out.clear();
    err.clear();
  }

  Interp& sc() { return *sc_; }
  explicit operator bool() const { return sc_ != nullptr; }

  // The last value in write mode, or the error line without its line feed,
  // or "FATAL: " and the fatal message.
  std::string eval(std::string_view source) {
    out.clear();
    err.clear();
    Value v = eval_text(*sc_, utf8_to_utf16(source));
    if (!v) return "FATAL: " + utf16_to_utf8(last_message(*sc_));
    if (last_run_failed(*sc_)) {
      std::string e = utf16_to_utf8(err);
      if (!e.empty() && e.back() == '\n') e.pop_back();
      return e;
    }
    std::u16string text;
    print_value(*sc_, v, true, text);
    return utf16_to_utf8(text);
  }

  std::string output() const { return utf16_to_utf8(out); }

  std::u16string out;
  std::u16string err;
  std::vector<std::u16string> fatal;

 private:
  static void collect(void* ctx, std::u16string_view text) { static_cast<std::u16string*>(ctx)->append(text); }
  static void on_fatal(void* ctx, std::u16string_view msg) {
    static_cast<std::vector<std::u16string>*>(ctx)->emplace_back(msg);
  }

  InterpPtr sc_;
};

struct Case {
  const char* source;
  const char* expected;
};

inline void run_cases(Scheme& s, const std::vector<Case>& cases) {
  for (const Case& c : cases) EXPECT_EQ(s.eval(c.source), c.expected) << "source: " << c.source;
}

}  // namespace kestrel::scheme::testing
