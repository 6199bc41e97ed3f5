// Constructors of values, symbol interning, environments and the list and
// equality helpers every part of the interpreter uses.
#include <cstring>
#include <limits>
#include <utility>
#include <vector>

#include "platform/utf16.h"
#include "scheme/interp_p.h"
#include "scheme/scheme_api.h"

namespace kestrel::scheme {

Cell* mk_cons(Interp& sc, Cell* a, Cell* b) {
  Cell* c = get_cell(sc, a, b);
  c->flag = T_PAIR;
  c->car = a;
  c->cdr = b;
  return c;
}

Cell* mk_atom(Interp& sc, uint32_t type, void* payload) {
  Cell* c = get_cell(sc, nullptr, nullptr);
  c->flag = type | kAtomFlag;
  c->ptr = payload;
  c->cdr = nullptr;
  return c;
}

Cell* mk_integer(Interp& sc, int64_t n) {
  if (n >= Interp::kSmallIntMin && n <= Interp::kSmallIntMax) return &sc.small_ints[n - Interp::kSmallIntMin];
  Cell* c = get_cell(sc, nullptr, nullptr);
  c->flag = T_INTEGER | kAtomFlag;
  c->ival = n;
  c->cdr = nullptr;
  return c;
}

Cell* mk_character(Interp& sc, char32_t ch) {
  Cell* c = get_cell(sc, nullptr, nullptr);
  c->flag = T_CHARACTER | kAtomFlag;
  c->uval = ch;
  c->cdr = nullptr;
  return c;
}

void string_recount(StringData* d) {
  d->has_pairs = 0;
  for (int64_t i = 0; i + 1 < d->len; ++i) {
    if (is_high_surrogate(d->text[i]) && is_low_surrogate(d->text[i + 1])) {
      d->has_pairs = 1;
      return;
    }
  }
}

Cell* mk_string_units(Interp& sc, std::size_t units) {
  if (units > (kMaxBlockBytes - sizeof(StringData)) / sizeof(char16_t)) fatal_error(sc, u"no memory");
  Cell* c = get_cell(sc, nullptr, nullptr);
  auto* d = static_cast<StringData*>(block_alloc(sc, sizeof(StringData) + units * sizeof(char16_t)));
  d->len = static_cast<int64_t>(units);
  d->has_pairs = 0;
  d->text[units] = 0;
  c->flag = T_STRING | kAtomFlag;
  c->ptr = d;
  c->cdr = nullptr;
  return c;
}

Cell* mk_string(Interp& sc, std::u16string_view text) {
  Cell* c = mk_string_units(sc, text.size());
  auto* d = string_data(c);
  if (!text.empty()) std::memcpy(d->text, text.data(), text.size() * sizeof(char16_t));
  string_recount(d);
  return c;
}

namespace {

Cell* new_symbol(Interp& sc, std::u16string_view name, uint32_t gensym, uint64_t hash) {
  Cell* c = get_cell(sc, nullptr, nullptr);
  auto* d = static_cast<SymbolData*>(block_alloc(sc, sizeof(SymbolData) + name.size() * sizeof(char16_t)));
  d->gensym = gensym;
  d->len = static_cast<int64_t>(name.size());
  if (!name.empty()) std::memcpy(d->name, name.data(), name.size() * sizeof(char16_t));
  d->name[name.size()] = 0;
  c->flag = T_SYMBOL | kAtomFlag;
  c->ptr = d;
  c->cdr = nullptr;
  HashMap* m = hash_map_of(sc.oblist);
  auto* e = static_cast<HashEntry*>(block_alloc(sc, sizeof(HashEntry)));
  HashEntry*& head = m->buckets[hash % m->buckets.size()];
  *e = HashEntry{c, c, hash, head};
  head = e;
  ++m->count;
  return c;
}

}  // namespace

Cell* mk_symbol(Interp& sc, std::u16string_view name) {
  uint64_t h = hash_text(name);
  if (Cell* s = oblist_find(sc, name, h)) return s;
  return new_symbol(sc, name, 0, h);
}

Cell* mk_gensym(Interp& sc) {
  for (;;) {
    uint32_t n = sc.gensym_counter++;
    std::u16string name = u"|G:" + to_u16(n) + u"|";
    uint64_t h = hash_text(name);
    if (oblist_find(sc, name, h)) continue;  // the user interned this name already
    return new_symbol(sc, name, n, h);
  }
}

Cell* mk_vector(Interp& sc, std::size_t count, Cell* fill) {
  if (count > (kMaxBlockBytes - sizeof(VectorData)) / sizeof(Cell*)) fatal_error(sc, u"no memory");
  Cell* c = get_cell(sc, fill, nullptr);
  auto* d = static_cast<VectorData*>(block_alloc(sc, sizeof(VectorData) + count * sizeof(Cell*)));
  d->count = static_cast<int64_t>(count);
  for (std::size_t i = 0; i < count; ++i) d->items[i] = fill;
  c->flag = T_VECTOR | kAtomFlag;
  c->ptr = d;
  c->cdr = nullptr;
  return c;
}

Cell* list_to_vector(Interp& sc, Cell* list) {
  int64_t n = list_length(sc, list);
  if (n < 0) return nullptr;
  Root r(sc, list);
  Cell* v = mk_vector(sc, static_cast<std::size_t>(n), sc.NIL);
  auto* d = vector_data(v);
  for (int64_t i = 0; i < n; ++i, list = cdr(list)) d->items[i] = car(list);
  return v;
}

Cell* mk_closure(Interp& sc, Cell* code, Cell* env) {
  Cell* c = get_cell(sc, code, env);
  c->flag = T_CLOSURE;
  c->car = code;
  c->cdr = env;
  return c;
}

Cell* mk_hash_table(Interp& sc, int32_t kind, std::size_t buckets) {
  Cell* c = get_cell(sc, nullptr, nullptr);
  c->flag = 0;  // stays free if the map cannot be made
  HashMap* m = hash_map_create(sc, kind, buckets);
  c->flag = T_HASHTABLE | kAtomFlag;
  c->ptr = m;
  c->cdr = nullptr;
  return c;
}

Cell* mk_syntax_or_subr(Interp& sc, uint32_t type, uint32_t op) {
  Cell* c = get_cell(sc, nullptr, nullptr);
  c->flag = type | kAtomFlag;
  c->uval = op;
  c->cdr = nullptr;
  return c;
}

std::size_t string_char_count(const Cell* s) {
  auto* d = string_data(s);
  if (!d->has_pairs) return static_cast<std::size_t>(d->len);
  std::size_t n = 0;
  for (int64_t i = 0; i < d->len; ++n) {
    i += (i + 1 < d->len && is_high_surrogate(d->text[i]) && is_low_surrogate(d->text[i + 1])) ? 2 : 1;
  }
  return n;
}

std::size_t string_unit_index(const Cell* s, std::size_t char_index) {
  auto* d = string_data(s);
  auto len = static_cast<std::size_t>(d->len);
  if (!d->has_pairs) return char_index < len ? char_index : len;
  std::size_t i = 0;
  for (std::size_t k = 0; k < char_index && i < len; ++k) {
    i += (i + 1 < len && is_high_surrogate(d->text[i]) && is_low_surrogate(d->text[i + 1])) ? 2 : 1;
  }
  return i < len ? i : len;
}

std::size_t string_char_index(const Cell* s, std::size_t unit_index) {
  auto* d = string_data(s);
  if (!d->has_pairs) return unit_index;
  std::size_t n = 0;
  std::size_t i = 0;
  auto len = static_cast<std::size_t>(d->len);
  while (i < unit_index && i < len) {
    i += (i + 1 < len && is_high_surrogate(d->text[i]) && is_low_surrogate(d->text[i + 1])) ? 2 : 1;
    ++n;
  }
  return n;
}

Cell* reverse_in_place(Interp& sc, Cell* list, Cell* tail) {
  (void)sc;
  Cell* result = tail;
  while (is_pair(list)) {
    Cell* next = list->cdr;
    list->cdr = result;
    result = list;
    list = next;
  }
  return result;
}

Cell* reverse_copy(Interp& sc, Cell* list) {
  Cell* result = sc.NIL;
  Root r1(sc, list);
  Root r2(sc, result);
  for (; is_pair(list); list = cdr(list)) result = mk_cons(sc, car(list), result);
  return result;
}

int64_t list_length(Interp& sc, Cell* list) {
  int64_t n = 0;
  Cell* slow = list;
  while (true) {
    if (list == sc.NIL) return n;
    if (!is_pair(list)) return -1;
    list = cdr(list);
    ++n;
    if (list == sc.NIL) return n;
    if (!is_pair(list)) return -1;
    list = cdr(list);
    ++n;
    slow = cdr(slow);
    if (list == slow) return -2;
  }
}

bool eqv(const Cell* a, const Cell* b) {
  if (a == b) return true;
  uint32_t t = type_of(a);
  if (t != type_of(b)) return false;
  if (t == T_INTEGER) return a->ival == b->ival;
  if (t == T_CHARACTER) return a->uval == b->uval;
  return false;
}

bool equal_values(Interp& sc, Cell* a, Cell* b) {
  (void)sc;
  std::vector<std::pair<Cell*, Cell*>> work;
  work.emplace_back(a, b);
  while (!work.empty()) {
    auto [x, y] = work.back();
    work.pop_back();
    for (;;) {
      if (eqv(x, y)) break;
      uint32_t t = type_of(x);
      if (t != type_of(y)) return false;
      if (t == T_PAIR) {
        work.emplace_back(x->cdr, y->cdr);
        x = x->car;
        y = y->car;
        continue;
      }
      if (t == T_STRING) {
        if (string_view_of(x) != string_view_of(y)) return false;
        break;
      }
      if (t == T_VECTOR) {
        auto* vx = vector_data(x);
        auto* vy = vector_data(y);
        if (vx->count != vy->count) return false;
        for (int64_t i = 0; i < vx->count; ++i) work.emplace_back(vx->items[i], vy->items[i]);
        break;
      }
      return false;
    }
  }
  return true;
}

std::u16string_view hash_kind_name(int32_t kind) {
  switch (kind) {
    case HK_EQ: return u"eq?";
    case HK_EQV: return u"eqv?";
    case HK_EQUAL: return u"equal?";
    case HK_STRING: return u"string=?";
    default: return u"unknown";
  }
}

// Environments: a list of frames, innermost first; a frame is an
// association list or a hash table.
void define_in_frame(Interp& sc, Cell* env, Cell* sym, Cell* value) {
  Cell* frame = car(env);
  if (is_type(frame, T_HASHTABLE)) {
    Root r(sc, value);
    hash_map_insert(sc, hash_map_of(frame), sym, value)->value = value;
    return;
  }
  for (Cell* p = frame; is_pair(p); p = cdr(p)) {
    if (caar(p) == sym) {
      car(p)->cdr = value;
      return;
    }
  }
  Root r(sc, env);
  Cell* binding = mk_cons(sc, sym, value);
  env->car = mk_cons(sc, binding, car(env));
}

Cell* lookup_binding(Interp& sc, Cell* env, Cell* sym, HashEntry** hash_slot) {
  *hash_slot = nullptr;
  for (; is_pair(env); env = cdr(env)) {
    Cell* frame = car(env);
    if (is_pair(frame)) {
      for (; is_pair(frame); frame = cdr(frame)) {
        if (caar(frame) == sym) return car(frame);
      }
    } else if (is_type(frame, T_HASHTABLE)) {
      if (HashEntry* e = hash_map_find(sc, hash_map_of(frame), sym)) {
        *hash_slot = e;
        return nullptr;
      }
    }
  }
  return nullptr;
}

bool lookup(Interp& sc, Cell* env, Cell* sym, Cell** out) {
  HashEntry* e;
  if (Cell* b = lookup_binding(sc, env, sym, &e)) {
    *out = cdr(b);
    return true;
  }
  if (e) {
    *out = e->value;
    return true;
  }
  return false;
}

bool assign(Interp& sc, Cell* env, Cell* sym, Cell* value) {
  HashEntry* e;
  if (Cell* b = lookup_binding(sc, env, sym, &e)) {
    b->cdr = value;
    return true;
  }
  if (e) {
    e->value = value;
    return true;
  }
  return false;
}

// Public helpers for application primitives.
Value nil(Interp& sc) { return sc.NIL; }
Value true_value(Interp& sc) { return sc.T; }
Value false_value(Interp& sc) { return sc.F; }
Value undef_value(Interp& sc) { return sc.UNDEF; }
bool is_false(Interp& sc, Value v) { return v == sc.F; }
Value make_integer(Interp& sc, int64_t n) { return mk_integer(sc, n); }
Value make_character(Interp& sc, char32_t c) { return mk_character(sc, c); }
Value make_string(Interp& sc, std::u16string_view text) { return mk_string(sc, text); }
Value intern(Interp& sc, std::u16string_view name) { return mk_symbol(sc, name); }
Value cons(Interp& sc, Value a, Value b) { return mk_cons(sc, a, b); }

void define_global(Interp& sc, std::u16string_view name, Value v) {
  Root r(sc, v);
  Cell* sym = mk_symbol(sc, name);
  define_in_frame(sc, sc.global_env, sym, v);
}

Value lookup_global(Interp& sc, std::u16string_view name) {
  Cell* sym = mk_symbol(sc, name);
  Cell* v;
  return lookup(sc, sc.global_env, sym, &v) ? v : nullptr;
}

GcInhibit::GcInhibit(Interp& sc) : sc_(sc) { ++sc_.inhibit_gc; }
GcInhibit::~GcInhibit() {
  if (sc_.inhibit_gc > 0) --sc_.inhibit_gc;
}

}  // namespace kestrel::scheme
