// Built-ins that drive the evaluator or reach its state: load and read,
// eval and apply, continuations and multiple values, macro expansion,
// output, ports, hash tables and classes.
#include <filesystem>

#include "platform/format.h"
#include "platform/utf16.h"
#include "scheme/interp_p.h"
#include "scheme/scheme_api.h"

namespace kestrel::scheme {

namespace {

inline Cell* arg0(Interp& sc) { return car(sc.args); }
inline Cell* arg1(Interp& sc) { return cadr(sc.args); }
inline Cell* arg2(Interp& sc) { return car(cddr(sc.args)); }
inline Cell* opt_arg(Interp& sc, int n) { return nth_arg(sc.args, n); }
inline bool boolean_return(Interp& sc, bool b) { return s_return(sc, b ? sc.T : sc.F); }

bool file_exists(const std::string& path) {
  std::error_code ec;
  return std::filesystem::is_regular_file(path, ec);
}

bool load_named(Interp& sc, std::u16string_view name) {
  std::string path = resolve_load_path(sc, name);
  Cell* port = path.empty() ? nullptr : open_input_file_port(sc, path);
  if (!port) return s_error(sc, u"load: can not find file", mk_string(sc, name));
  return start_load(sc, port);
}

Cell* input_port_arg(Interp& sc) {
  Cell* p = opt_arg(sc, 0);
  return p ? p : sc.inport;
}

bool closed_port_error(Interp& sc, Cell* port) { return s_error(sc, u"I/O attempted on closed port", port); }

}  // namespace

Cell* load_path_list(Interp& sc) {
  Cell* v;
  return lookup(sc, sc.global_env, sc.sym_load_path, &v) ? v : sc.NIL;
}

std::string resolve_load_path(Interp& sc, std::u16string_view name) {
  std::string file = path_utf8(name);
  if (name.starts_with(u"/") || name.starts_with(u"./") || name.starts_with(u"../")) return file;
  for (Cell* d = load_path_list(sc); is_pair(d); d = cdr(d)) {
    if (!is_string(car(d))) continue;
    std::string candidate = path_utf8(string_view_of(car(d))) + "/" + file;
    if (file_exists(candidate)) return candidate;
  }
  return {};
}

bool op_load(Interp& sc) { return load_named(sc, string_view_of(arg0(sc))); }

bool op_require(Interp& sc) { return load_named(sc, format(u"%s.scm", {string_view_of(arg0(sc))})); }

bool op_read(Interp& sc) {
  Cell* port = input_port_arg(sc);
  if (!is_port(port) || (port_data(port)->flags & kPortClosed)) return closed_port_error(sc, port);
  Cell* datum;
  ReadStatus st = read_datum(sc, port, &datum);
  if (st == ReadStatus::Error) return s_goto(sc, OP_ERROR);
  return s_return(sc, datum);
}

namespace {

bool read_one_char(Interp& sc, bool consume) {
  Cell* port = input_port_arg(sc);
  if (!is_port(port) || (port_data(port)->flags & kPortClosed)) return closed_port_error(sc, port);
  int32_t c = consume ? port_get(port_data(port)) : port_peek(port_data(port));
  if (c < 0) return s_return(sc, sc.EOF_OBJ);
  return s_return(sc, mk_character(sc, static_cast<char32_t>(c)));
}

}  // namespace

bool op_read_char(Interp& sc) { return read_one_char(sc, true); }
bool op_peek_char(Interp& sc) { return read_one_char(sc, false); }

bool op_eval_proc(Interp& sc) {
  Cell* env = opt_arg(sc, 1);
  if (env && is_pair(env)) sc.envir = env;
  sc.code = arg0(sc);
  return s_goto(sc, OP_EVAL);
}

bool op_apply_proc(Interp& sc) {
  Cell* proc = arg0(sc);
  Cell* rest = cdr(sc.args);
  if (rest == sc.NIL) return s_apply(sc, proc, sc.NIL);
  // (apply f a b lst): a and b are consed onto lst.
  Cell* rev = reverse_copy(sc, rest);
  Root rr(sc, rev);
  Cell* last = car(rev);
  if (list_length(sc, last) < 0) return s_error_msg(sc, u"last argument must be list");
  Cell* args = last;
  Root ra(sc, args);
  for (Cell* a = cdr(rev); is_pair(a); a = cdr(a)) args = mk_cons(sc, car(a), args);
  return s_apply(sc, proc, args);
}

bool op_callcc(Interp& sc) {
  std::size_t n = sc.dump.size() - sc.run_base;
  Cell* k = get_cell(sc, nullptr, nullptr);
  k->flag = 0;
  auto* d = static_cast<ContinuationData*>(block_alloc(sc, sizeof(ContinuationData) + n * sizeof(Frame)));
  d->count = 0;
  k->flag = T_CONTINUATION | kAtomFlag;
  k->ptr = d;
  k->cdr = nullptr;
  Root rk(sc, k);
  {
    // args lists are reversed in place while arguments are gathered, so
    // each frame keeps a copy of its own.
    GcInhibit inhibit(sc);
    for (std::size_t i = 0; i < n; ++i) {
      Frame f = sc.dump[sc.run_base + i];
      Cell* copy = f.args;
      if (is_pair(copy)) {
        Cell* head = mk_cons(sc, car(copy), sc.NIL);
        Cell* tail = head;
        for (Cell* p = cdr(copy); is_pair(p); p = cdr(p)) {
          tail->cdr = mk_cons(sc, car(p), sc.NIL);
          tail = tail->cdr;
        }
        Cell* end = copy;
        while (is_pair(end)) end = cdr(end);
        tail->cdr = end;
        copy = head;
      }
      f.args = copy;
      d->frames[i] = f;
      d->count = static_cast<int64_t>(i + 1);
    }
  }
  Cell* args = mk_cons(sc, k, sc.NIL);
  return s_apply(sc, arg0(sc), args);
}

bool op_values(Interp& sc) {
  Cell* all = sc.args;
  bool more = s_return(sc, is_pair(all) ? car(all) : sc.NIL);
  sc.pending_values = all;
  return more;
}

bool op_call_with_values(Interp& sc) {
  s_save(sc, OP_CWV_CONSUME, arg1(sc), sc.NIL);
  return s_apply(sc, arg0(sc), sc.NIL);
}

bool op_cwv_consume(Interp& sc) {
  Cell* consumer = sc.args;
  Cell* values = sc.pending_values ? sc.pending_values : mk_cons(sc, sc.value, sc.NIL);
  sc.pending_values = nullptr;
  return s_apply(sc, consumer, values);
}

// ---- closures and macros ----

bool op_get_closure_code(Interp& sc) {
  Cell* f = arg0(sc);
  if (!is_closure(f)) return s_return(sc, sc.F);
  return s_return(sc, mk_cons(sc, sc.sym_lambda, car(f)));
}

namespace {

// Expands `form` once when its head names a macro; sc.args of the step
// frame says whether to go on expanding.
bool macroexpand_start(Interp& sc, Cell* form, bool repeat) {
  if (!is_pair(form) || !is_symbol(car(form))) return s_return(sc, form);
  Cell* m;
  if (!lookup(sc, sc.envir, car(form), &m)) return s_error(sc, u"unbounded variable", car(form));
  if (!is_macro(m)) return s_return(sc, form);
  if (form->flag & kExpandedMacroCall) {  // evaluated before: cdr holds the expansion
    if (repeat) return macroexpand_start(sc, cdr(form), true);
    return s_return(sc, cdr(form));
  }
  s_save(sc, OP_MACROEXPAND1, repeat ? sc.T : sc.F, sc.NIL);
  return s_apply(sc, m, cdr(form));
}

}  // namespace

bool op_macroexpand_1(Interp& sc) { return macroexpand_start(sc, arg0(sc), false); }
bool op_macroexpand(Interp& sc) { return macroexpand_start(sc, arg0(sc), true); }

bool op_macroexpand_step(Interp& sc) {
  if (sc.args == sc.T) return macroexpand_start(sc, sc.value, true);
  return s_return(sc, sc.value);
}

// ---- output ----

namespace {

Cell* output_port_arg(Interp& sc, int n) {
  Cell* p = opt_arg(sc, n);
  return p ? p : sc.outport;
}

}  // namespace

bool op_write(Interp& sc) {
  print_to_port(sc, output_port_arg(sc, 1), arg0(sc), true);
  return s_return(sc, sc.UNDEF);
}

bool op_display(Interp& sc) {
  print_to_port(sc, output_port_arg(sc, 1), arg0(sc), false);
  return s_return(sc, sc.UNDEF);
}

bool op_write_char(Interp& sc) {
  std::u16string text;
  append_code_point(text, char_value(arg0(sc)));
  port_write(sc, output_port_arg(sc, 1), text);
  return s_return(sc, sc.UNDEF);
}

bool op_newline(Interp& sc) {
  port_write(sc, output_port_arg(sc, 0), u"\n");
  return s_return(sc, sc.UNDEF);
}

bool op_interaction_env(Interp& sc) { return s_return(sc, sc.global_env); }

bool op_exit(Interp& sc) {
  sc.exit_flag = true;
  sc.exit_status = is_pair(sc.args) ? static_cast<int>(arg0(sc)->ival) : 0;
  sc.stop_requested = true;
  unwind_run(sc);
  sc.value = sc.UNDEF;
  return false;
}

bool op_gc(Interp& sc) {
  full_collect(sc);
  return s_return(sc, sc.T);
}

bool op_debug_info(Interp& sc) { return s_return(sc, sc.protected_list); }
bool op_nop(Interp& sc) { return s_return(sc, sc.value); }

// ---- ports ----

bool op_output_portp(Interp& sc) {
  return boolean_return(sc, is_port(arg0(sc)) && (port_data(arg0(sc))->flags & kPortOutput));
}

bool op_input_portp(Interp& sc) {
  return boolean_return(sc, is_port(arg0(sc)) && (port_data(arg0(sc))->flags & kPortInput));
}

bool op_current_output_port(Interp& sc) { return s_return(sc, sc.outport); }
bool op_current_input_port(Interp& sc) { return s_return(sc, sc.inport); }

bool op_open_output_file(Interp& sc) {
  Cell* p = open_output_file_port(sc, path_utf8(string_view_of(arg0(sc))));
  if (!p) return s_error(sc, u"file cannot open", arg0(sc));
  return s_return(sc, p);
}

bool op_open_input_file(Interp& sc) {
  Cell* p = open_input_file_port(sc, path_utf8(string_view_of(arg0(sc))));
  if (!p) return s_error(sc, u"file cannot open", arg0(sc));
  return s_return(sc, p);
}

bool op_open_output_string(Interp& sc) { return s_return(sc, mk_output_string_port(sc)); }
bool op_open_input_string(Interp& sc) {
  return s_return(sc, mk_input_string_port(sc, string_view_of(arg0(sc)), u"(string)"));
}

bool op_get_output_string(Interp& sc) { return s_return(sc, mk_string(sc, port_data(arg0(sc))->buf)); }

bool op_clear_output_string(Interp& sc) {
  port_data(arg0(sc))->buf.clear();
  return s_return(sc, sc.UNDEF);
}

bool op_close_port(Interp& sc) {
  PortData* p = port_data(arg0(sc));
  port_flush(p);
  port_close(p);
  return s_return(sc, sc.UNDEF);
}

bool op_port_closedp(Interp& sc) { return boolean_return(sc, port_data(arg0(sc))->flags & kPortClosed); }
bool op_eof_objectp(Interp& sc) { return boolean_return(sc, arg0(sc) == sc.EOF_OBJ); }

// ---- hash tables ----

bool op_make_hash_table(Interp& sc) {
  int32_t kind = HK_EQ;
  if (Cell* k = opt_arg(sc, 0)) {
    std::u16string_view name = symbol_name(k);
    if (name == u"eq?") kind = HK_EQ;
    else if (name == u"eqv?") kind = HK_EQV;
    else if (name == u"equal?") kind = HK_EQUAL;
    else if (name == u"string=?") kind = HK_STRING;
    else return s_error(sc, u"unsupported hash type: ", k);
  }
  return s_return(sc, mk_hash_table(sc, kind, kUserHashBuckets));
}

bool op_hash_table_type(Interp& sc) { return s_return(sc, mk_symbol(sc, hash_kind_name(hash_map_of(arg0(sc))->kind))); }

bool op_hash_table_put(Interp& sc) {
  HashMap* m = hash_map_of(arg0(sc));
  // A non-string key in a string=? table could never be found again.
  if (m->kind == HK_STRING && !is_string(arg1(sc))) return s_error(sc, u"hash-table-put!: string required:", arg1(sc));
  hash_map_insert(sc, m, arg1(sc), arg2(sc))->value = arg2(sc);
  return s_return(sc, sc.UNDEF);
}

bool op_hash_table_delete(Interp& sc) { return boolean_return(sc, hash_map_remove(sc, hash_map_of(arg0(sc)), arg1(sc))); }

bool op_hash_table_get(Interp& sc) {
  if (HashEntry* e = hash_map_find(sc, hash_map_of(arg0(sc)), arg1(sc))) return s_return(sc, e->value);
  if (Cell* def = opt_arg(sc, 2)) return s_return(sc, def);
  return s_error(sc, u"hash-table-get: key not found", arg1(sc));
}

bool op_hash_table_existsp(Interp& sc) { return boolean_return(sc, hash_map_find(sc, hash_map_of(arg0(sc)), arg1(sc)) != nullptr); }

bool op_hash_table_num_entries(Interp& sc) {
  return s_return(sc, mk_integer(sc, static_cast<int64_t>(hash_map_of(arg0(sc))->count)));
}

bool op_hash_tablep(Interp& sc) { return boolean_return(sc, is_type(arg0(sc), T_HASHTABLE)); }

namespace {

// Walks a snapshot of the entries, so the procedure may change the table.
// State: (proc pairs . acc); acc is #f for for-each, the results for map.
bool hash_walk_next(Interp& sc, Cell* state) {
  Cell* pairs = cadr(state);
  if (pairs == sc.NIL) {
    Cell* acc = cddr(state);
    return s_return(sc, acc == sc.F ? sc.UNDEF : reverse_in_place(sc, acc, sc.NIL));
  }
  s_save(sc, OP_HASH_WALK, state, sc.NIL);
  Cell* args = mk_cons(sc, cdar(pairs), sc.NIL);
  args = mk_cons(sc, caar(pairs), args);
  return s_apply(sc, car(state), args);
}

bool hash_walk_start(Interp& sc, bool map) {
  HashMap* m = hash_map_of(arg0(sc));
  Cell* pairs = sc.NIL;
  Root rp(sc, pairs);
  for (HashEntry* head : m->buckets) {
    for (HashEntry* e = head; e; e = e->next) {
      Cell* kv = mk_cons(sc, e->key, e->value);
      pairs = mk_cons(sc, kv, pairs);
    }
  }
  Cell* state = mk_cons(sc, pairs, map ? sc.NIL : sc.F);
  state = mk_cons(sc, arg1(sc), state);
  return hash_walk_next(sc, state);
}

}  // namespace

bool op_hash_table_for_each(Interp& sc) { return hash_walk_start(sc, false); }
bool op_hash_table_map(Interp& sc) { return hash_walk_start(sc, true); }

bool op_hash_walk(Interp& sc) {
  Cell* state = sc.args;
  Cell* rest = cdr(state);
  if (cdr(rest) != sc.F) rest->cdr = mk_cons(sc, sc.value, cdr(rest));
  rest->car = cdar(rest);
  return hash_walk_next(sc, state);
}

// ---- classes ----

Cell* mk_class(Interp& sc, std::u16string_view name, Cell* slots, Cell* supers, bool integer_slots) {
  Root r1(sc, slots), r2(sc, supers);
  Cell* c = get_cell(sc, nullptr, nullptr);
  c->flag = 0;
  auto* k = block_new<ClassData>(sc);
  k->name.assign(name);
  k->slots = slots;
  k->supers = supers;
  k->integer_slots = integer_slots;
  c->flag = T_CLASS | kAtomFlag;
  c->ptr = k;
  c->cdr = nullptr;
  return c;
}

namespace {

ClassData* class_data(Cell* c) { return static_cast<ClassData*>(c->ptr); }

int64_t slot_index(Cell* object, Cell* slot) {
  int64_t i = 0;
  for (Cell* s = class_data(object_data(object)->klass)->slots; is_pair(s); s = cdr(s), ++i) {
    if (car(s) == slot) return i;
  }
  return -1;
}

}  // namespace

// (_define-class name slots supers): the slots of the superclasses come
// first, then the class's own; a slot may be written (name option...).
bool op_define_class(Interp& sc) {
  Cell* all = sc.NIL;
  Root ra(sc, all);
  for (Cell* s = arg2(sc); is_pair(s); s = cdr(s)) {
    if (!is_type(car(s), T_CLASS)) return s_error(sc, u"_define-class: class required:", car(s));
    for (Cell* x = class_data(car(s))->slots; is_pair(x); x = cdr(x)) all = mk_cons(sc, car(x), all);
  }
  for (Cell* s = arg1(sc); is_pair(s); s = cdr(s)) {
    Cell* name = is_pair(car(s)) ? caar(s) : car(s);
    if (!is_symbol(name)) return s_error(sc, u"_define-class: symbol required:", car(s));
    all = mk_cons(sc, name, all);
  }
  all = reverse_in_place(sc, all, sc.NIL);
  return s_return(sc, mk_class(sc, string_view_of(arg0(sc)), all, arg2(sc), false));
}

bool op_make(Interp& sc) {
  Cell* klass = arg0(sc);
  int64_t n = list_length(sc, class_data(klass)->slots);
  Cell* o = get_cell(sc, nullptr, nullptr);
  o->flag = 0;
  auto* d = static_cast<ObjectData*>(block_alloc(sc, sizeof(ObjectData) + static_cast<std::size_t>(n) * sizeof(Cell*)));
  d->klass = klass;
  d->count = n;
  for (int64_t i = 0; i < n; ++i) d->slots[i] = sc.UNDEF;
  o->flag = T_OBJECT | kAtomFlag;
  o->ptr = d;
  o->cdr = nullptr;
  return s_return(sc, o);
}

bool op_slot_ref(Interp& sc) {
  int64_t i = slot_index(arg0(sc), arg1(sc));
  if (i < 0) return s_error(sc, u"slot-ref: object doesn't have such slot:", arg1(sc));
  return s_return(sc, object_data(arg0(sc))->slots[i]);
}

bool op_slot_set(Interp& sc) {
  int64_t i = slot_index(arg0(sc), arg1(sc));
  if (i < 0) return s_error(sc, u"slot-ref: object doesn't have such slot:", arg1(sc));
  if (class_data(object_data(arg0(sc))->klass)->integer_slots && !is_integer(arg2(sc)))
    return s_error(sc, u"exact integer required, but got", arg2(sc));
  object_data(arg0(sc))->slots[i] = arg2(sc);
  return s_return(sc, sc.UNDEF);
}

}  // namespace kestrel::scheme
