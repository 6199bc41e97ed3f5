// Built-ins over data: numbers (64-bit integers, wrapping on overflow),
// pairs and lists, equality, characters, strings and vectors, symbols.
#include <cstring>
#include <limits>

#include "platform/format.h"
#include "platform/utf16.h"
#include "scheme/interp_p.h"

namespace kestrel::scheme {

bool parse_integer(std::u16string_view text, int radix, int64_t* out);

namespace {

inline Cell* arg0(Interp& sc) { return car(sc.args); }
inline Cell* arg1(Interp& sc) { return cadr(sc.args); }
inline Cell* arg2(Interp& sc) { return car(cddr(sc.args)); }
inline bool boolean_return(Interp& sc, bool b) { return s_return(sc, b ? sc.T : sc.F); }

// Overflow wraps: the arithmetic is done on unsigned values.
inline int64_t wrap_add(int64_t a, int64_t b) { return static_cast<int64_t>(uint64_t(a) + uint64_t(b)); }
inline int64_t wrap_sub(int64_t a, int64_t b) { return static_cast<int64_t>(uint64_t(a) - uint64_t(b)); }
inline int64_t wrap_mul(int64_t a, int64_t b) { return static_cast<int64_t>(uint64_t(a) * uint64_t(b)); }
inline int64_t wrap_div(int64_t a, int64_t b) {
  if (b == -1) return static_cast<int64_t>(0 - uint64_t(a));  // INT64_MIN / -1 stays INT64_MIN
  return a / b;
}
inline int64_t safe_rem(int64_t a, int64_t b) { return b == -1 ? 0 : a % b; }

template <typename Cmp>
bool compare_chain(Interp& sc, Cmp cmp) {
  Cell* a = sc.args;
  for (; is_pair(cdr(a)); a = cdr(a)) {
    if (!cmp(car(a)->ival, cadr(a)->ival)) return s_return(sc, sc.F);
  }
  return s_return(sc, sc.T);
}

int compare_code_points(std::u16string_view a, std::u16string_view b, bool fold) {
  std::size_t i = 0, j = 0;
  while (i < a.size() && j < b.size()) {
    std::size_t la, lb;
    char32_t ca = code_point_at(a, i, &la);
    char32_t cb = code_point_at(b, j, &lb);
    if (fold) {
      if (ca < 0x80) ca = ascii_lower(static_cast<char16_t>(ca));
      if (cb < 0x80) cb = ascii_lower(static_cast<char16_t>(cb));
    }
    if (ca != cb) return ca < cb ? -1 : 1;
    i += la;
    j += lb;
  }
  if (i < a.size()) return 1;
  if (j < b.size()) return -1;
  return 0;
}

bool string_compare(Interp& sc, bool fold) {
  Cell* proc = arg0(sc);
  int c = compare_code_points(string_view_of(arg1(sc)), string_view_of(arg2(sc)), fold);
  if (is_type(proc, T_SUBR)) {
    switch (proc->uval) {
      case OP_NUM_EQ: return boolean_return(sc, c == 0);
      case OP_NUM_LT: return boolean_return(sc, c < 0);
      case OP_NUM_GT: return boolean_return(sc, c > 0);
      case OP_NUM_LE: return boolean_return(sc, c <= 0);
      case OP_NUM_GE: return boolean_return(sc, c >= 0);
      default: break;
    }
  }
  return s_error(sc, u"unsupported procedure", proc);
}

bool valid_code_point(int64_t n) { return n >= 0 && n <= 0x10FFFF && !(n >= 0xD800 && n <= 0xDFFF); }

}  // namespace

// ---- numbers ----

bool op_add(Interp& sc) {
  int64_t acc = 0;
  for (Cell* a = sc.args; is_pair(a); a = cdr(a)) acc = wrap_add(acc, car(a)->ival);
  return s_return(sc, mk_integer(sc, acc));
}

bool op_sub(Interp& sc) {
  if (sc.args == sc.NIL) return s_return(sc, mk_integer(sc, 0));
  if (cdr(sc.args) == sc.NIL) return s_return(sc, arg0(sc));  // (- x) is x, as the macro language defines it
  int64_t acc = arg0(sc)->ival;
  for (Cell* a = cdr(sc.args); is_pair(a); a = cdr(a)) acc = wrap_sub(acc, car(a)->ival);
  return s_return(sc, mk_integer(sc, acc));
}

bool op_mul(Interp& sc) {
  int64_t acc = 1;
  for (Cell* a = sc.args; is_pair(a); a = cdr(a)) acc = wrap_mul(acc, car(a)->ival);
  return s_return(sc, mk_integer(sc, acc));
}

bool op_div(Interp& sc) {
  int64_t acc = arg0(sc)->ival;
  for (Cell* a = cdr(sc.args); is_pair(a); a = cdr(a)) {
    int64_t d = car(a)->ival;
    if (d == 0) return s_error_msg(sc, u"Divided by zero");
    acc = wrap_div(acc, d);
  }
  return s_return(sc, mk_integer(sc, acc));
}

bool op_remainder(Interp& sc) {
  int64_t b = arg1(sc)->ival;
  if (b == 0) return s_error_msg(sc, u"Dividev by zero");
  return s_return(sc, mk_integer(sc, safe_rem(arg0(sc)->ival, b)));
}

bool op_modulo(Interp& sc) {
  int64_t b = arg1(sc)->ival;
  if (b == 0) return s_error_msg(sc, u"Dividev by zero");
  int64_t r = safe_rem(arg0(sc)->ival, b);
  if (r != 0 && ((r < 0) != (b < 0))) r += b;
  return s_return(sc, mk_integer(sc, r));
}

bool op_num_eq(Interp& sc) { return compare_chain(sc, [](int64_t a, int64_t b) { return a == b; }); }
bool op_num_lt(Interp& sc) { return compare_chain(sc, [](int64_t a, int64_t b) { return a < b; }); }
bool op_num_gt(Interp& sc) { return compare_chain(sc, [](int64_t a, int64_t b) { return a > b; }); }
bool op_num_le(Interp& sc) { return compare_chain(sc, [](int64_t a, int64_t b) { return a <= b; }); }
bool op_num_ge(Interp& sc) { return compare_chain(sc, [](int64_t a, int64_t b) { return a >= b; }); }

bool op_numberp(Interp& sc) { return boolean_return(sc, is_integer(arg0(sc))); }

bool op_number_to_string(Interp& sc) {
  int64_t n = arg0(sc)->ival;
  int64_t radix = is_pair(cdr(sc.args)) ? arg1(sc)->ival : 10;
  if (radix < 2 || radix > 36) return s_error(sc, u"number->string: invalid radix:", arg1(sc));
  if (radix == 10) return s_return(sc, mk_string(sc, to_u16(n)));
  uint64_t v = n < 0 ? 0 - uint64_t(n) : uint64_t(n);
  std::u16string digits;
  do {
    int d = static_cast<int>(v % uint64_t(radix));
    digits.insert(digits.begin(), static_cast<char16_t>(d < 10 ? u'0' + d : u'a' + d - 10));
    v /= uint64_t(radix);
  } while (v);
  if (n < 0) digits.insert(digits.begin(), u'-');
  return s_return(sc, mk_string(sc, digits));
}

bool op_string_to_number(Interp& sc) {
  int64_t radix = is_pair(cdr(sc.args)) ? arg1(sc)->ival : 10;
  if (radix < 2 || radix > 36) return s_error(sc, u"string->number: invalid radix:", arg1(sc));
  int64_t v;
  if (!parse_integer(string_view_of(arg0(sc)), static_cast<int>(radix), &v)) return s_return(sc, sc.F);
  return s_return(sc, mk_integer(sc, v));
}

// ---- pairs, lists, predicates ----

bool op_car(Interp& sc) { return s_return(sc, car(arg0(sc))); }
bool op_cdr(Interp& sc) { return s_return(sc, cdr(arg0(sc))); }
bool op_cons(Interp& sc) { return s_return(sc, mk_cons(sc, arg0(sc), arg1(sc))); }

bool op_set_car(Interp& sc) {
  arg0(sc)->car = arg1(sc);
  return s_return(sc, sc.UNDEF);
}

bool op_set_cdr(Interp& sc) {
  arg0(sc)->cdr = arg1(sc);
  return s_return(sc, sc.UNDEF);
}

bool op_eq(Interp& sc) { return boolean_return(sc, arg0(sc) == arg1(sc)); }
bool op_eqv(Interp& sc) { return boolean_return(sc, eqv(arg0(sc), arg1(sc))); }
bool op_equal(Interp& sc) { return boolean_return(sc, equal_values(sc, arg0(sc), arg1(sc))); }
bool op_not(Interp& sc) { return boolean_return(sc, arg0(sc) == sc.F); }
bool op_booleanp(Interp& sc) { return boolean_return(sc, arg0(sc) == sc.F || arg0(sc) == sc.T); }
bool op_nullp(Interp& sc) { return boolean_return(sc, arg0(sc) == sc.NIL); }

bool op_procedurep(Interp& sc) {
  uint32_t t = type_of(arg0(sc));
  return boolean_return(sc, t == T_SUBR || t == T_CLOSURE || t == T_CALLBACK || t == T_CONTINUATION);
}

bool op_pairp(Interp& sc) { return boolean_return(sc, is_pair(arg0(sc))); }
bool op_closurep(Interp& sc) { return boolean_return(sc, is_closure(arg0(sc))); }
bool op_macrop(Interp& sc) { return boolean_return(sc, is_macro(arg0(sc))); }
bool op_listp(Interp& sc) { return boolean_return(sc, list_length(sc, arg0(sc)) >= 0); }

bool op_length(Interp& sc) {
  int64_t n = list_length(sc, arg0(sc));
  if (n < 0) return s_error(sc, u"length: list required:", arg0(sc));
  return s_return(sc, mk_integer(sc, n));
}

bool op_reverse(Interp& sc) { return s_return(sc, reverse_copy(sc, arg0(sc))); }

bool op_append(Interp& sc) {
  if (sc.args == sc.NIL) return s_return(sc, sc.NIL);
  // Every argument but the last is copied; the last becomes the tail.
  Cell* rev = reverse_copy(sc, sc.args);
  Root rr(sc, rev);
  Cell* result = car(rev);
  Root rres(sc, result);
  for (Cell* a = cdr(rev); is_pair(a); a = cdr(a)) {
    if (list_length(sc, car(a)) < 0) return s_error(sc, u"append: list required:", car(a));
    Cell* copy = reverse_copy(sc, car(a));
    result = reverse_in_place(sc, copy, result);
  }
  return s_return(sc, result);
}

// ---- vectors ----

bool op_vectorp(Interp& sc) { return boolean_return(sc, is_vector(arg0(sc))); }

bool op_make_vector(Interp& sc) {
  Cell* fill = is_pair(cdr(sc.args)) ? arg1(sc) : sc.NIL;
  return s_return(sc, mk_vector(sc, static_cast<std::size_t>(arg0(sc)->ival), fill));
}

bool op_vector_ref(Interp& sc) {
  auto* d = vector_data(arg0(sc));
  int64_t i = arg1(sc)->ival;
  if (i >= d->count) return s_error(sc, u"vector-ref index out of range:", arg1(sc));
  return s_return(sc, d->items[i]);
}

bool op_vector_set(Interp& sc) {
  auto* d = vector_data(arg0(sc));
  int64_t i = arg1(sc)->ival;
  if (i >= d->count) return s_error(sc, u"vector-set! index out of range:", arg1(sc));
  d->items[i] = arg2(sc);
  return s_return(sc, sc.UNDEF);
}

bool op_vector_length(Interp& sc) { return s_return(sc, mk_integer(sc, vector_data(arg0(sc))->count)); }

// ---- characters and symbols ----

bool op_charp(Interp& sc) { return boolean_return(sc, is_character(arg0(sc))); }
bool op_char_to_integer(Interp& sc) { return s_return(sc, mk_integer(sc, char_value(arg0(sc)))); }

bool op_integer_to_char(Interp& sc) {
  int64_t n = arg0(sc)->ival;
  if (!valid_code_point(n)) return s_error(sc, u"integer->char: character code required:", arg0(sc));
  return s_return(sc, mk_character(sc, static_cast<char32_t>(n)));
}

bool op_symbolp(Interp& sc) { return boolean_return(sc, is_symbol(arg0(sc))); }

bool op_symbol_boundp(Interp& sc) {
  Cell* v;
  return boolean_return(sc, lookup(sc, sc.envir, arg0(sc), &v));
}

bool op_symbol_to_string(Interp& sc) { return s_return(sc, mk_string(sc, symbol_name(arg0(sc)))); }
bool op_string_to_symbol(Interp& sc) { return s_return(sc, mk_symbol(sc, string_view_of(arg0(sc)))); }

bool op_gensym(Interp& sc) { return s_return(sc, mk_gensym(sc)); }
bool op_gensymp(Interp& sc) { return boolean_return(sc, is_symbol(arg0(sc)) && symbol_data(arg0(sc))->gensym != 0); }

// ---- strings (indexes count characters; a surrogate pair is one) ----

bool op_stringp(Interp& sc) { return boolean_return(sc, is_string(arg0(sc))); }

bool op_make_string(Interp& sc) {
  auto n = static_cast<uint64_t>(arg0(sc)->ival);
  char32_t fill = is_pair(cdr(sc.args)) ? char_value(arg1(sc)) : U' ';
  std::u16string unit;
  append_code_point(unit, fill);
  if (n > kMaxBlockBytes / (2 * unit.size())) fatal_error(sc, u"no memory");
  Cell* s = mk_string_units(sc, static_cast<std::size_t>(n * unit.size()));
  auto* d = string_data(s);
  for (uint64_t i = 0; i < n; ++i) std::memcpy(d->text + i * unit.size(), unit.data(), unit.size() * 2);
  d->has_pairs = unit.size() == 2 && n > 0;
  return s_return(sc, s);
}

bool op_string_length(Interp& sc) {
  return s_return(sc, mk_integer(sc, static_cast<int64_t>(string_char_count(arg0(sc)))));
}

bool op_string_ref(Interp& sc) {
  Cell* s = arg0(sc);
  auto k = static_cast<std::size_t>(arg1(sc)->ival);
  std::size_t u = string_unit_index(s, k);
  std::u16string_view text = string_view_of(s);
  if (k >= string_char_count(s)) return s_error_msg(sc, u"out of string buffer");
  return s_return(sc, mk_character(sc, code_point_at(text, u)));
}

bool op_string_set(Interp& sc) {
  Cell* s = arg0(sc);
  auto k = static_cast<std::size_t>(arg1(sc)->ival);
  std::u16string_view text = string_view_of(s);
  if (k >= string_char_count(s)) return s_error_msg(sc, u"out of string buffer");
  std::size_t u = string_unit_index(s, k);
  std::size_t old_len;
  code_point_at(text, u, &old_len);
  std::u16string repl;
  append_code_point(repl, char_value(arg2(sc)));
  auto* d = string_data(s);
  if (repl.size() == old_len) {
    std::memcpy(d->text + u, repl.data(), repl.size() * 2);
  } else {
    std::u16string whole(text);
    whole.replace(u, old_len, repl);
    auto* nd = static_cast<StringData*>(block_alloc(sc, sizeof(StringData) + whole.size() * 2));
    nd->len = static_cast<int64_t>(whole.size());
    std::memcpy(nd->text, whole.data(), whole.size() * 2);
    nd->text[whole.size()] = 0;
    s->ptr = nd;
    block_free(sc, d);
    d = nd;
  }
  string_recount(d);
  return s_return(sc, sc.UNDEF);
}

bool op_substring(Interp& sc) {
  Cell* s = arg0(sc);
  std::size_t count = string_char_count(s);
  auto start = static_cast<uint64_t>(arg1(sc)->ival);
  uint64_t end = is_pair(cddr(sc.args)) ? static_cast<uint64_t>(arg2(sc)->ival) : count;
  if (start > end) return s_error_msg(sc, u"substring: invalid argument (start > end)");
  if (end > count) return s_error_msg(sc, u"out of string buffer");
  std::size_t us = string_unit_index(s, start);
  std::size_t ue = string_unit_index(s, end);
  return s_return(sc, mk_string(sc, string_view_of(s).substr(us, ue - us)));
}

bool op_string_append(Interp& sc) {
  uint64_t total = 0;
  for (Cell* a = sc.args; is_pair(a); a = cdr(a)) total += static_cast<uint64_t>(string_data(car(a))->len);
  if (total > kMaxBlockBytes / 2) fatal_error(sc, u"no memory");
  Cell* s = mk_string_units(sc, static_cast<std::size_t>(total));
  auto* d = string_data(s);
  std::size_t at = 0;
  for (Cell* a = sc.args; is_pair(a); a = cdr(a)) {
    auto* p = string_data(car(a));
    std::memcpy(d->text + at, p->text, static_cast<std::size_t>(p->len) * 2);
    at += static_cast<std::size_t>(p->len);
  }
  string_recount(d);
  return s_return(sc, s);
}

bool op_string_cmp(Interp& sc) { return string_compare(sc, false); }
bool op_string_cmp_ci(Interp& sc) { return string_compare(sc, true); }

}  // namespace kestrel::scheme
