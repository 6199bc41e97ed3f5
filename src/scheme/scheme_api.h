// What application primitives (callbacks) use to read their arguments and
// build results. Values are only valid while reachable: a callback that
// builds several values before returning holds them with GcInhibit or
// passes them through cons().
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "scheme/cell.h"
#include "scheme/scheme.h"

namespace kestrel::scheme {

Value nil(Interp& sc);
Value true_value(Interp& sc);
Value false_value(Interp& sc);
Value undef_value(Interp& sc);
inline Value boolean(Interp& sc, bool b) { return b ? true_value(sc) : false_value(sc); }
bool is_false(Interp& sc, Value v);

Value make_integer(Interp& sc, int64_t n);
Value make_character(Interp& sc, char32_t c);
Value make_string(Interp& sc, std::u16string_view text);
Value intern(Interp& sc, std::u16string_view name);
Value cons(Interp& sc, Value a, Value b);

// Raises an error from a callback: `return fail(sc, u"...", irritant);`.
// A null irritant prints the message alone.
Value fail(Interp& sc, std::u16string_view message, Value irritant = nullptr);

// Defines `name` in the global environment.
void define_global(Interp& sc, std::u16string_view name, Value v);
// The global binding of `name`, or nullptr.
Value lookup_global(Interp& sc, std::u16string_view name);

// While alive, no collection starts (cells come from new segments instead).
class GcInhibit {
 public:
  explicit GcInhibit(Interp& sc);
  ~GcInhibit();
  GcInhibit(const GcInhibit&) = delete;
  GcInhibit& operator=(const GcInhibit&) = delete;

 private:
  Interp& sc_;
};

}  // namespace kestrel::scheme
