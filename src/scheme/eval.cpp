// The evaluator: a register machine. Each operation reads and sets the
// registers (value, args, envir, code) and names the next operation; work
// that must resume later is a frame on the dump stack, so nothing here
// recurses on the machine stack except the bounded quasiquote expansion.
#include "platform/format.h"
#include "platform/utf16.h"
#include "scheme/interp_p.h"
#include "scheme/scheme_api.h"

namespace kestrel::scheme {

std::u16string bounded(std::u16string text) {
  if (text.size() >= kMessageBufferUnits) text.resize(safe_cut(text, kMessageBufferUnits - 1));
  return text;
}

void set_message(Interp& sc, std::u16string_view text) { sc.message = bounded(std::u16string(text)); }

void s_save(Interp& sc, uint32_t op, Cell* args, Cell* code) {
  if (sc.dump.size() >= kMaxDumpFrames) fatal_error(sc, u"no memory");
  sc.dump.push_back(Frame{op, args, sc.envir, code});
}

bool s_return(Interp& sc, Cell* v) {
  sc.value = v;
  sc.pending_values = nullptr;
  if (sc.dump.size() <= sc.run_base) return false;
  const Frame& f = sc.dump.back();
  sc.op = f.op;
  sc.args = f.args;
  sc.envir = f.envir;
  sc.code = f.code;
  sc.dump.pop_back();
  return true;
}

bool s_goto(Interp& sc, uint32_t op) {
  sc.op = op;
  return true;
}

bool s_error(Interp& sc, std::u16string_view message, Cell* irritant) {
  Root r(sc, irritant);
  Cell* msg = mk_string(sc, bounded(std::u16string(message)));
  Root rm(sc, msg);
  Cell* rest = irritant ? mk_cons(sc, irritant, sc.NIL) : sc.NIL;
  sc.args = mk_cons(sc, msg, rest);
  return s_goto(sc, OP_ERROR);
}

bool s_error_msg(Interp& sc, std::u16string_view message) { return s_error(sc, message, nullptr); }

bool s_apply(Interp& sc, Cell* proc, Cell* args) {
  sc.code = proc;
  sc.args = args;
  return s_goto(sc, OP_APPLY);
}

Cell* nth_arg(Cell* args, int n) {
  for (; n > 0 && is_pair(args); --n) args = cdr(args);
  return is_pair(args) ? car(args) : nullptr;
}

Value fail(Interp& sc, std::u16string_view message, Value irritant) {
  s_error(sc, message, irritant);
  return nullptr;
}

namespace {

bool valid_two_list(Interp& sc, Cell* x) { return is_pair(x) && is_pair(cdr(x)) && cddr(x) == sc.NIL; }

// Binds in a fresh association-list frame without looking for duplicates.
inline void bind_new(Interp& sc, Cell* sym, Cell* value) {
  Cell* b = mk_cons(sc, sym, value);
  sc.envir->car = mk_cons(sc, b, car(sc.envir));
}

inline void new_frame(Interp& sc) { sc.envir = mk_cons(sc, sc.NIL, sc.envir); }

bool poll_cancel(Interp& sc) {
  if (sc.cancel_requested.exchange(false)) return true;
  return sc.cancel_poll && sc.cancel_poll(sc.cancel_poll_context);
}

}  // namespace

std::u16string_view type_description(char code) {
  switch (code) {
    case '+': return u"positive number";
    case 'C': return u"character";
    case 'H': return u"hash-table";
    case 'I': return u"input port";
    case 'L': return u"list";
    case 'M': return u"regmatch";
    case 'N': return u"number";
    case 'O': return u"output port";
    case 'P': return u"pair";
    case 'R': return u"regexp";
    case 'S': return u"string";
    case 'T': return u"port";
    case 'V': return u"vector";
    case 'Y': return u"symbol";
    case 'b': return u"object";
    case 'c': return u"closure";
    case 'k': return u"class";
    case 'o': return u"output string port";
    case 'p': return u"procedure";
    case 's': return u"string or procedure";
    default: return u"";
  }
}

namespace {

bool is_procedure(const Cell* x) {
  uint32_t t = type_of(x);
  return t == T_SUBR || t == T_CLOSURE || t == T_CALLBACK || t == T_CONTINUATION;
}

bool type_ok(Interp& sc, char code, Cell* x) {
  switch (code) {
    case '+': return is_integer(x) && x->ival >= 0;
    case 'C': return is_character(x);
    case 'H': return is_type(x, T_HASHTABLE);
    case 'I': return is_port(x) && (port_data(x)->flags & kPortInput);
    case 'L': return list_length(sc, x) >= 0;
    case 'M': return x == sc.F || is_type(x, T_REGMATCH);
    case 'N': return is_integer(x);
    case 'O': return is_port(x) && (port_data(x)->flags & kPortOutput);
    case 'P': return is_pair(x);
    case 'R': return is_type(x, T_REGEXP);
    case 'S': return is_string(x);
    case 'T': return is_port(x);
    case 'V': return is_vector(x);
    case 'Y': return is_symbol(x);
    case 'b': return is_type(x, T_OBJECT);
    case 'c': return is_closure(x);
    case 'k': return is_type(x, T_CLASS);
    case 'o': return is_port(x) && (port_data(x)->flags & kPortString) && (port_data(x)->flags & kPortOutput);
    case 'p': return is_procedure(x);
    case 's': return is_string(x) || is_procedure(x);
    default: return true;
  }
}

bool wrong_count(Interp& sc, std::u16string_view name, int min_args, int64_t got) {
  return s_error_msg(sc, format(u"wrong number of arguments: %s requires %d, but got %d", {name, min_args, got}));
}

bool wrong_type(Interp& sc, std::u16string_view name, char code, Cell* x) {
  return s_error(sc, format(u"%s: %s required:", {name, type_description(code)}), x);
}

// Checks a built-in's arguments; false means an error was set up.
bool check_subr_args(Interp& sc, const OpInfo& info) {
  int64_t n = 0;
  for (Cell* a = sc.args; is_pair(a); a = cdr(a)) ++n;
  if (n < info.min_args) {
    wrong_count(sc, utf8_to_utf16(info.name), info.min_args, n);
    return false;
  }
  const char* codes = info.codes;
  std::size_t ncodes = std::char_traits<char>::length(codes);
  if (ncodes == 0) return true;
  int64_t i = 0;
  for (Cell* a = sc.args; is_pair(a); a = cdr(a), ++i) {
    if (info.max_args >= 0 && i >= info.max_args) break;
    char code = static_cast<std::size_t>(i) < ncodes ? codes[i] : (info.max_args < 0 ? codes[ncodes - 1] : 'A');
    if (!type_ok(sc, code, car(a))) {
      wrong_type(sc, utf8_to_utf16(info.name), code, car(a));
      return false;
    }
  }
  return true;
}

bool apply_callback(Interp& sc, Cell* f) {
  auto* cb = static_cast<CallbackData*>(f->ptr);
  int64_t n = 0;
  for (Cell* a = sc.args; is_pair(a); a = cdr(a)) ++n;
  if (n < cb->min_args) return wrong_count(sc, cb->name, cb->min_args, n);
  Value argv[32];
  int argc = 0;
  int i = 0;
  for (Cell* a = sc.args; is_pair(a) && argc < 32; a = cdr(a), ++i) {
    if (cb->max_args >= 0 && i >= cb->max_args) break;
    char code = static_cast<std::size_t>(i) < cb->codes.size() ? cb->codes[i] : 'A';
    if (code == 'D') {
      argv[argc++] = a;
      break;
    }
    if (!type_ok(sc, code, car(a))) return wrong_type(sc, cb->name, code, car(a));
    argv[argc++] = car(a);
  }
  Cell* saved_args = sc.args;
  Root r(sc, saved_args);
  Value result = cb->fn(sc, argv, argc);
  if (!result) return s_goto(sc, OP_ERROR);
  return s_return(sc, result);
}

Cell* copy_list_inhibited(Interp& sc, Cell* list) {
  if (!is_pair(list)) return list;
  Cell* head = mk_cons(sc, car(list), sc.NIL);
  Cell* tail = head;
  for (list = cdr(list); is_pair(list); list = cdr(list)) {
    tail->cdr = mk_cons(sc, car(list), sc.NIL);
    tail = tail->cdr;
  }
  tail->cdr = list;
  return head;
}

bool apply_continuation(Interp& sc, Cell* k) {
  auto* d = static_cast<ContinuationData*>(k->ptr);
  Cell* args = sc.args;
  {
    GcInhibit inhibit(sc);
    sc.dump.resize(sc.run_base);
    for (int64_t i = 0; i < d->count; ++i) {
      Frame f = d->frames[i];
      f.args = copy_list_inhibited(sc, f.args);
      s_save(sc, f.op, f.args, f.code);
      sc.dump.back().envir = f.envir;
    }
  }
  bool more = s_return(sc, is_pair(args) ? car(args) : sc.NIL);
  sc.pending_values = args;
  return more;
}

// Binds a closure's parameters to sc.args in a new frame and runs its body.
bool apply_closure(Interp& sc, Cell* f) {
  sc.envir = mk_cons(sc, sc.NIL, cdr(f));
  Cell* params = caar(f);
  Cell* a = sc.args;
  bool optional = false;
  while (is_pair(params)) {
    Cell* p = car(params);
    if (p == sc.sym_optional) {
      optional = true;
      params = cdr(params);
      continue;
    }
    if (is_pair(a)) {
      Cell* name = optional && is_pair(p) ? car(p) : p;
      if (!is_symbol(name)) return s_error_msg(sc, u"syntax error in closure");
      bind_new(sc, name, car(a));
      a = cdr(a);
      params = cdr(params);
      continue;
    }
    if (a != sc.NIL) return s_error_msg(sc, u"syntax-error");
    if (!optional) return s_error_msg(sc, u"few arguments");
    sc.args = cdar(f);  // the body
    sc.code = params;
    return s_goto(sc, OP_OPTIONAL_DEFAULT);
  }
  if (is_symbol(params)) {
    bind_new(sc, params, a);
  } else if (params != sc.NIL) {
    return s_error_msg(sc, u"syntax error in closure");
  }
  sc.code = cdar(f);
  return s_goto(sc, OP_BEGIN);
}

}  // namespace

bool op_apply(Interp& sc) {
  if (++sc.step_counter > kCancelPollInterval) {
    sc.step_counter = 0;
    if (poll_cancel(sc)) {
      sc.canceled = true;
      return s_error_msg(sc, u"canceled");
    }
  }
  Cell* f = sc.code;
  switch (type_of(f)) {
    case T_SUBR: {
      if (f->uval >= OP_COUNT) break;
      const OpInfo& info = kOpTable[f->uval];
      if (!check_subr_args(sc, info)) return true;
      return s_goto(sc, static_cast<uint32_t>(f->uval));
    }
    case T_CLOSURE:
    case T_MACRO:
      return apply_closure(sc, f);
    case T_CONTINUATION:
      return apply_continuation(sc, f);
    case T_CALLBACK:
      return apply_callback(sc, f);
    default:
      break;
  }
  return s_error(sc, u"illegal function", f);
}

bool op_eval(Interp& sc) {
  Cell* x = sc.code;
  if (is_symbol(x)) {
    Cell* v;
    if (lookup(sc, sc.envir, x, &v)) return s_return(sc, v);
    return s_error(sc, u"unbounded variable", x);
  }
  if (!is_pair(x)) return s_return(sc, x);
  Cell* head = car(x);
  if (!is_symbol(head)) {
    s_save(sc, OP_OPERATOR_DONE, sc.NIL, x);
    sc.code = head;
    return true;
  }
  Cell* v;
  if (!lookup(sc, sc.envir, head, &v)) return s_error(sc, u"unbounded variable", head);
  if (is_type(v, T_SYNTAX)) {
    sc.code = cdr(x);
    if (sc.code != sc.NIL && list_length(sc, sc.code) < 0) return s_error_msg(sc, u"syntax error");
    return s_goto(sc, static_cast<uint32_t>(v->uval));
  }
  sc.value = v;
  return op_operator_done(sc);
}

bool op_operator_done(Interp& sc) {
  Cell* f = sc.value;
  if (is_macro(f)) {
    if (sc.code->flag & kExpandedMacroCall) {
      sc.code = cdr(sc.code);
      return s_goto(sc, OP_EVAL);
    }
    s_save(sc, OP_RUN_EXPANSION, sc.NIL, sc.code);
    sc.args = cdr(sc.code);
    sc.code = f;
    return s_goto(sc, OP_APPLY);
  }
  sc.args = sc.NIL;
  sc.code = cdr(sc.code);
  return op_gather(sc);
}

bool op_run_expansion(Interp& sc) {
  if (!(sc.code->flag & kExpandedMacroCall)) {
    sc.code->flag |= kExpandedMacroCall;
    sc.code->cdr = sc.value;
  }
  sc.code = sc.value;
  return s_goto(sc, OP_EVAL);
}

bool op_gather(Interp& sc) {
  sc.args = mk_cons(sc, sc.value, sc.args);
  while (is_pair(sc.code)) {
    Cell* x = car(sc.code);
    if (is_pair(x)) {
      s_save(sc, OP_GATHER, sc.args, cdr(sc.code));
      sc.code = x;
      sc.args = sc.NIL;
      return s_goto(sc, OP_EVAL);
    }
    if (is_symbol(x)) {
      Cell* v;
      if (!lookup(sc, sc.envir, x, &v)) return s_error(sc, u"unbounded variable", x);
      x = v;
    }
    sc.args = mk_cons(sc, x, sc.args);
    sc.code = cdr(sc.code);
  }
  sc.args = reverse_in_place(sc, sc.args, sc.NIL);
  sc.code = car(sc.args);
  sc.args = cdr(sc.args);
  return s_goto(sc, OP_APPLY);
}

bool op_optional_default(Interp& sc) {
  Cell* specs = sc.code;
  while (is_pair(specs)) {
    Cell* s = car(specs);
    if (s == sc.sym_optional) {
      specs = cdr(specs);
    } else if (is_symbol(s)) {
      bind_new(sc, s, sc.UNDEF);
      specs = cdr(specs);
    } else if (is_pair(s) && is_symbol(car(s)) && is_pair(cdr(s))) {
      s_save(sc, OP_OPTIONAL_BIND, sc.args, specs);
      sc.code = cadr(s);
      return s_goto(sc, OP_EVAL);
    } else {
      return s_error_msg(sc, u"syntax error in closure");
    }
  }
  if (is_symbol(specs)) {
    bind_new(sc, specs, sc.NIL);
  } else if (specs != sc.NIL) {
    return s_error_msg(sc, u"syntax error in closure");
  }
  sc.code = sc.args;
  return s_goto(sc, OP_BEGIN);
}

bool op_optional_bind(Interp& sc) {
  bind_new(sc, caar(sc.code), sc.value);
  sc.code = cdr(sc.code);
  return s_goto(sc, OP_OPTIONAL_DEFAULT);
}

bool op_stop(Interp& sc) {
  (void)sc;
  return false;
}

// ---- special forms (sc.code holds the operands) ----

bool op_quote(Interp& sc) {
  if (!is_pair(sc.code)) return s_error_msg(sc, u"syntax error");
  return s_return(sc, car(sc.code));
}

bool op_quote_vector(Interp& sc) {
  if (!is_pair(sc.code)) return s_error_msg(sc, u"syntax error");
  Cell* v = list_to_vector(sc, car(sc.code));
  if (!v) return s_error(sc, u"vector constructer require list:", car(sc.code));
  return s_return(sc, v);
}

bool op_lambda(Interp& sc) {
  if (!is_pair(sc.code)) return s_error_msg(sc, u"syntax error");
  return s_return(sc, mk_closure(sc, sc.code, sc.envir));
}

namespace {

// (define name expr) / (define (name . params) body...): pushes the step
// that binds and evaluates the value expression.
bool start_define(Interp& sc, uint32_t next_op, std::u16string_view not_symbol) {
  if (!is_pair(sc.code)) return s_error_msg(sc, u"syntax error");
  Cell* x = car(sc.code);
  Cell* name;
  Cell* expr;
  if (is_pair(x)) {
    name = car(x);
    Cell* lam = mk_cons(sc, cdr(x), cdr(sc.code));
    expr = mk_cons(sc, sc.sym_lambda, lam);
  } else {
    name = x;
    expr = is_pair(cdr(sc.code)) ? cadr(sc.code) : sc.UNDEF;
  }
  if (!is_symbol(name)) return s_error(sc, not_symbol, name);
  s_save(sc, next_op, sc.NIL, name);
  sc.code = expr;
  return s_goto(sc, OP_EVAL);
}

}  // namespace

bool op_define0(Interp& sc) { return start_define(sc, OP_DEFINE1, u"Variable is not symbol"); }

bool op_define1(Interp& sc) {
  define_in_frame(sc, sc.envir, sc.code, sc.value);
  return s_return(sc, sc.code);
}

bool op_defmacro0(Interp& sc) { return start_define(sc, OP_DEFMACRO1, u"variable is not a symbol"); }

bool op_defmacro1(Interp& sc) {
  Cell* v = sc.value;
  if (!is_closure(v) && !is_macro(v)) return s_error(sc, u"define-macro: closure required:", v);
  v->flag = (v->flag & ~kTypeMask) | T_MACRO;
  define_in_frame(sc, sc.envir, sc.code, v);
  return s_return(sc, sc.code);
}

bool op_if0(Interp& sc) {
  if (!is_pair(sc.code) || !is_pair(cdr(sc.code))) return s_error_msg(sc, u"syntax error");
  s_save(sc, OP_IF1, sc.NIL, cdr(sc.code));
  sc.code = car(sc.code);
  return s_goto(sc, OP_EVAL);
}

bool op_if1(Interp& sc) {
  if (sc.value != sc.F) {
    sc.code = car(sc.code);
  } else if (is_pair(cdr(sc.code))) {
    sc.code = cadr(sc.code);
  } else {
    return s_return(sc, sc.UNDEF);
  }
  return s_goto(sc, OP_EVAL);
}

bool op_begin(Interp& sc) {
  if (!is_pair(sc.code)) return s_return(sc, sc.NIL);
  if (is_pair(cdr(sc.code))) s_save(sc, OP_BEGIN_NEXT, sc.NIL, cdr(sc.code));
  sc.code = car(sc.code);
  return s_goto(sc, OP_EVAL);
}

bool op_set0(Interp& sc) {
  if (!is_pair(sc.code) || !is_pair(cdr(sc.code))) return s_error_msg(sc, u"syntax error");
  Cell* name = car(sc.code);
  if (!is_symbol(name)) return s_error(sc, u"Variable is not symbol", name);
  s_save(sc, OP_SET1, sc.NIL, name);
  sc.code = cadr(sc.code);
  return s_goto(sc, OP_EVAL);
}

bool op_set1(Interp& sc) {
  if (!assign(sc, sc.envir, sc.code, sc.value)) return s_error(sc, u"unbounded variable", sc.code);
  return s_return(sc, sc.code);
}

// let: the operands are kept as the first element of the gathered values,
// which are collected in reverse while the inits run in the outer frame.
bool op_let0(Interp& sc) {
  if (!is_pair(sc.code)) return s_error_msg(sc, u"syntax error");
  Cell* bindings = car(sc.code);
  if (is_symbol(bindings)) {
    if (!is_pair(cdr(sc.code))) return s_error_msg(sc, u"syntax error");
    bindings = cadr(sc.code);
  }
  sc.value = sc.code;
  sc.args = sc.NIL;
  sc.code = bindings;
  return s_goto(sc, OP_LET1);
}

bool op_let1(Interp& sc) {
  sc.args = mk_cons(sc, sc.value, sc.args);
  if (is_pair(sc.code)) {
    Cell* b = car(sc.code);
    if (!valid_two_list(sc, b) || !is_symbol(car(b))) return s_error(sc, u"let: invalid operation", b);
    s_save(sc, OP_LET1, sc.args, cdr(sc.code));
    sc.code = cadr(b);
    sc.args = sc.NIL;
    return s_goto(sc, OP_EVAL);
  }
  if (sc.code != sc.NIL) return s_error(sc, u"let: invalid operation", sc.code);
  sc.args = reverse_in_place(sc, sc.args, sc.NIL);
  Cell* form = car(sc.args);
  Cell* values = cdr(sc.args);
  bool named = is_symbol(car(form));
  Cell* bindings = named ? cadr(form) : car(form);
  Cell* body = named ? cddr(form) : cdr(form);
  sc.code = form;
  new_frame(sc);
  for (Cell* b = bindings; is_pair(b); b = cdr(b), values = cdr(values)) bind_new(sc, caar(b), car(values));
  if (named) {
    // The loop procedure: (vars . body) closed over the new frame.
    Cell* vars = sc.NIL;
    Root rv(sc, vars);
    for (Cell* b = bindings; is_pair(b); b = cdr(b)) vars = mk_cons(sc, caar(b), vars);
    vars = reverse_in_place(sc, vars, sc.NIL);
    Cell* lam = mk_cons(sc, vars, body);
    Cell* proc = mk_closure(sc, lam, sc.envir);
    bind_new(sc, car(form), proc);
  }
  sc.code = body;
  return s_goto(sc, OP_BEGIN);
}

bool op_letstar0(Interp& sc) {
  if (!is_pair(sc.code)) return s_error_msg(sc, u"syntax error");
  Cell* bindings = car(sc.code);
  new_frame(sc);
  if (bindings == sc.NIL) {
    sc.code = cdr(sc.code);
    return s_goto(sc, OP_BEGIN);
  }
  if (!is_pair(bindings) || !valid_two_list(sc, car(bindings)) || !is_symbol(caar(bindings)))
    return s_error_msg(sc, u"syntax error");
  s_save(sc, OP_LETSTAR1, bindings, sc.code);
  sc.code = cadr(car(bindings));
  return s_goto(sc, OP_EVAL);
}

bool op_letstar1(Interp& sc) {
  define_in_frame(sc, sc.envir, caar(sc.args), sc.value);
  Cell* rest = cdr(sc.args);
  if (is_pair(rest)) {
    if (!valid_two_list(sc, car(rest)) || !is_symbol(caar(rest))) return s_error_msg(sc, u"syntax error");
    s_save(sc, OP_LETSTAR1, rest, sc.code);
    sc.code = cadr(car(rest));
    return s_goto(sc, OP_EVAL);
  }
  sc.code = cdr(sc.code);
  return s_goto(sc, OP_BEGIN);
}

bool op_letrec0(Interp& sc) {
  if (!is_pair(sc.code)) return s_error_msg(sc, u"syntax error");
  new_frame(sc);
  sc.value = sc.code;
  sc.args = sc.NIL;
  sc.code = car(sc.code);
  return s_goto(sc, OP_LETREC1);
}

bool op_letrec1(Interp& sc) {
  sc.args = mk_cons(sc, sc.value, sc.args);
  if (is_pair(sc.code)) {
    Cell* b = car(sc.code);
    if (!valid_two_list(sc, b) || !is_symbol(car(b))) return s_error(sc, u"let: invalid operation", b);
    s_save(sc, OP_LETREC1, sc.args, cdr(sc.code));
    sc.code = cadr(b);
    sc.args = sc.NIL;
    return s_goto(sc, OP_EVAL);
  }
  sc.args = reverse_in_place(sc, sc.args, sc.NIL);
  Cell* form = car(sc.args);
  Cell* values = cdr(sc.args);
  sc.code = form;
  for (Cell* b = car(form); is_pair(b); b = cdr(b), values = cdr(values))
    define_in_frame(sc, sc.envir, caar(b), car(values));
  sc.code = cdr(form);
  return s_goto(sc, OP_BEGIN);
}

namespace {

// let-optionals: sc.args = (remaining values . remaining specs),
// sc.code = the operands (list-expr specs body...).
bool letopt_loop(Interp& sc) {
  Cell* vals = car(sc.args);
  Cell* specs = cdr(sc.args);
  while (is_pair(specs)) {
    Cell* binding = car(specs);
    Cell* name = is_pair(binding) ? car(binding) : binding;
    if (!is_symbol(name) || (is_pair(binding) && !is_pair(cdr(binding)))) return s_error(sc, u"syntax error", binding);
    if (is_pair(vals)) {
      bind_new(sc, name, car(vals));
      vals = cdr(vals);
    } else if (is_pair(binding)) {
      sc.args = mk_cons(sc, vals, specs);
      s_save(sc, OP_LETOPT2, sc.args, sc.code);
      sc.code = cadr(binding);
      return s_goto(sc, OP_EVAL);
    } else {
      bind_new(sc, name, sc.UNDEF);
    }
    specs = cdr(specs);
  }
  if (vals != sc.NIL) return s_error_msg(sc, u"too many arguments");
  sc.code = cddr(sc.code);
  return s_goto(sc, OP_BEGIN);
}

}  // namespace

bool op_letopt0(Interp& sc) {
  if (!is_pair(sc.code) || !is_pair(cdr(sc.code))) return s_error_msg(sc, u"syntax error");
  Cell* list_expr = car(sc.code);
  if (is_symbol(list_expr)) {
    Cell* v;
    if (!lookup(sc, sc.envir, list_expr, &v)) return s_error(sc, u"unbounded variable", list_expr);
    sc.value = v;
    return op_letopt1(sc);
  }
  s_save(sc, OP_LETOPT1, sc.NIL, sc.code);
  sc.code = list_expr;
  return s_goto(sc, OP_EVAL);
}

bool op_letopt1(Interp& sc) {
  if (list_length(sc, sc.value) < 0) return s_error(sc, u"let-optionals: list required:", sc.value);
  new_frame(sc);
  sc.args = mk_cons(sc, sc.value, cadr(sc.code));
  return letopt_loop(sc);
}

bool op_letopt2(Interp& sc) {
  Cell* specs = cdr(sc.args);
  bind_new(sc, caar(specs), sc.value);
  sc.args = mk_cons(sc, car(sc.args), cdr(specs));
  return letopt_loop(sc);
}

bool op_cond0(Interp& sc) {
  if (!is_pair(sc.code) || !is_pair(car(sc.code))) return s_error_msg(sc, u"Syntax error in cond");
  s_save(sc, OP_COND1, sc.NIL, sc.code);
  sc.code = caar(sc.code);
  return s_goto(sc, OP_EVAL);
}

bool op_cond1(Interp& sc) {
  if (sc.value != sc.F) {
    Cell* body = cdar(sc.code);
    if (body == sc.NIL) return s_return(sc, sc.value);
    if (car(body) == sc.sym_arrow) {
      if (!is_pair(cdr(body))) return s_error_msg(sc, u"Syntax error in cond");
      Cell* quoted = mk_cons(sc, sc.value, sc.NIL);
      quoted = mk_cons(sc, sc.sym_quote, quoted);
      Cell* call = mk_cons(sc, quoted, sc.NIL);
      sc.code = mk_cons(sc, cadr(body), call);
      return s_goto(sc, OP_EVAL);
    }
    sc.code = body;
    return s_goto(sc, OP_BEGIN);
  }
  sc.code = cdr(sc.code);
  if (sc.code == sc.NIL) return s_return(sc, sc.UNDEF);
  if (!is_pair(sc.code) || !is_pair(car(sc.code))) return s_error_msg(sc, u"Syntax error in cond");
  s_save(sc, OP_COND1, sc.NIL, sc.code);
  sc.code = caar(sc.code);
  return s_goto(sc, OP_EVAL);
}

// and/or evaluate their last operand in tail position.
bool op_and0(Interp& sc) {
  if (sc.code == sc.NIL) return s_return(sc, sc.T);
  if (is_pair(cdr(sc.code))) s_save(sc, OP_AND1, sc.NIL, cdr(sc.code));
  sc.code = car(sc.code);
  return s_goto(sc, OP_EVAL);
}

bool op_and1(Interp& sc) {
  if (sc.value == sc.F) return s_return(sc, sc.F);
  return op_and0(sc);
}

bool op_or0(Interp& sc) {
  if (sc.code == sc.NIL) return s_return(sc, sc.F);
  if (is_pair(cdr(sc.code))) s_save(sc, OP_OR1, sc.NIL, cdr(sc.code));
  sc.code = car(sc.code);
  return s_goto(sc, OP_EVAL);
}

bool op_or1(Interp& sc) {
  if (sc.value != sc.F) return s_return(sc, sc.value);
  return op_or0(sc);
}

// ---- quasiquote: the template becomes an expression built from the cons
// and append built-ins, then evaluated in the current environment ----

namespace {

struct QuasiExpander {
  Interp& sc;
  std::u16string error;

  Cell* list3(Cell* a, Cell* b, Cell* c) { return mk_cons(sc, a, mk_cons(sc, b, mk_cons(sc, c, sc.NIL))); }
  Cell* quoted(Cell* x) { return mk_cons(sc, sc.sym_quote, mk_cons(sc, x, sc.NIL)); }
  // (list 'sym inner) built as (cons 'sym (cons inner '()))
  Cell* tagged(Cell* sym, Cell* inner) {
    return list3(sc.subr_cons, quoted(sym), list3(sc.subr_cons, inner, quoted(sc.NIL)));
  }
  bool single(Cell* form) { return is_pair(cdr(form)) && cddr(form) == sc.NIL; }

  Cell* expand(Cell* x, int level, int depth) {
    if (depth > kMaxQuasiquoteDepth) {
      error = u"syntax error";
      return nullptr;
    }
    if (!is_pair(x)) return is_symbol(x) || x == sc.NIL ? quoted(x) : x;
    Cell* head = car(x);
    if (head == sc.sym_unquote) {
      if (!single(x)) return fail_syntax();
      if (level == 0) return cadr(x);
      Cell* inner = expand(cadr(x), level - 1, depth + 1);
      return inner ? tagged(sc.sym_unquote, inner) : nullptr;
    }
    if (head == sc.sym_quasiquote || head == sc.sym_qq_vec) {
      if (!single(x)) return fail_syntax();
      Cell* inner = expand(cadr(x), level + 1, depth + 1);
      return inner ? tagged(head, inner) : nullptr;
    }
    // A list: collect the elements, then build from the right.
    std::vector<Cell*> elems;
    Cell* p = x;
    Cell* tail_expr = nullptr;
    for (; is_pair(p); p = cdr(p)) {
      if (p != x && (car(p) == sc.sym_unquote || car(p) == sc.sym_unquote_splicing) && single(p)) {
        // (a . ,b) reads as (a unquote b): an unquote in the tail.
        if (car(p) == sc.sym_unquote_splicing && level == 0) {
          error = u"unquote-splicing in invalid context";
          return nullptr;
        }
        tail_expr = expand(p, level, depth + 1);
        if (!tail_expr) return nullptr;
        break;
      }
      elems.push_back(car(p));
    }
    if (!tail_expr) {
      tail_expr = expand(p, level, depth + 1);  // () or an atom tail
      if (!tail_expr) return nullptr;
    }
    Cell* result = tail_expr;
    for (auto it = elems.rbegin(); it != elems.rend(); ++it) {
      Cell* e = *it;
      if (is_pair(e) && car(e) == sc.sym_unquote_splicing) {
        if (!single(e)) return fail_syntax();
        if (level == 0) {
          result = list3(sc.subr_append, cadr(e), result);
          continue;
        }
        Cell* inner = expand(cadr(e), level - 1, depth + 1);
        if (!inner) return nullptr;
        result = list3(sc.subr_cons, tagged(sc.sym_unquote_splicing, inner), result);
        continue;
      }
      Cell* ex = expand(e, level, depth + 1);
      if (!ex) return nullptr;
      result = list3(sc.subr_cons, ex, result);
    }
    return result;
  }

  Cell* fail_syntax() {
    error = u"syntax error";
    return nullptr;
  }
};

bool expand_and_eval(Interp& sc, Cell* operands) {
  if (!is_pair(operands) || cdr(operands) != sc.NIL) return s_error_msg(sc, u"syntax error");
  Cell* expr;
  std::u16string error;
  {
    GcInhibit inhibit(sc);
    QuasiExpander qq{sc, {}};
    expr = qq.expand(car(operands), 0, 0);
    error = qq.error;
  }
  if (!expr) return s_error_msg(sc, error);
  sc.code = expr;
  return s_goto(sc, OP_EVAL);
}

}  // namespace

bool op_quasiquote(Interp& sc) { return expand_and_eval(sc, sc.code); }

bool op_qqvec0(Interp& sc) {
  s_save(sc, OP_QQVEC1, sc.NIL, sc.NIL);
  return expand_and_eval(sc, sc.code);
}

bool op_qqvec1(Interp& sc) {
  Cell* v = list_to_vector(sc, sc.value);
  if (!v) return s_error(sc, u"vector constructer require list:", sc.value);
  return s_return(sc, v);
}

bool op_use(Interp& sc) {
  if (!is_pair(sc.code) || !is_symbol(car(sc.code))) return s_error_msg(sc, u"syntax error");
  std::u16string name = format(u"%s.scm", {symbol_name(car(sc.code))});
  std::string path = resolve_load_path(sc, name);
  if (path.empty()) return s_error(sc, u"load: can not find file", mk_string(sc, name));
  Cell* port = open_input_file_port(sc, path);
  if (!port) return s_error(sc, u"load: can not find file", mk_string(sc, name));
  return start_load(sc, port);
}

// ---- the load loop: each expression is read, then evaluated, before the
// next is read. args = the port, code = the input port to restore ----

bool start_load(Interp& sc, Cell* port) {
  sc.args = port;
  sc.code = sc.inport;
  sc.inport = port;
  return s_goto(sc, OP_LOAD_LOOP);
}

bool op_load_loop(Interp& sc) {
  Cell* port = sc.args;
  Cell* datum;
  ReadStatus st = read_datum(sc, port, &datum);
  if (st == ReadStatus::Error) return s_goto(sc, OP_ERROR);
  if (st == ReadStatus::Eof) {
    port_close(port_data(port));
    sc.inport = sc.code;
    return s_return(sc, sc.T);
  }
  sc.envir = sc.global_env;
  s_save(sc, OP_LOAD_LOOP, port, sc.code);
  sc.code = datum;
  return s_goto(sc, OP_EVAL);
}

// Drops the frames of the current run, closing files that loads had open.
void unwind_run(Interp& sc) {
  while (sc.dump.size() > sc.run_base) {
    const Frame& f = sc.dump.back();
    if (f.op == OP_LOAD_LOOP && is_port(f.args)) {
      port_close(port_data(f.args));
      sc.inport = f.code;
    }
    sc.dump.pop_back();
  }
}

// The error procedure: "Error:", the message, each irritant in write mode.
bool op_error(Interp& sc) {
  port_flush(port_data(sc.outport));  // what was printed before stays before the error
  sc.saved_outport = sc.outport;
  sc.outport = sc.errport;
  std::u16string text = u"Error:";
  Cell* a = sc.args;
  if (is_pair(a) && is_string(car(a))) {
    text += u" ";
    text += string_view_of(car(a));
    a = cdr(a);
  }
  for (; is_pair(a); a = cdr(a)) {
    text += u" ";
    print_value(sc, car(a), true, text);
  }
  set_message(sc, text);
  text += u"\n";
  port_write(sc, sc.outport, text);
  port_flush(port_data(sc.outport));
  sc.outport = sc.saved_outport;
  sc.saved_outport = sc.NIL;
  sc.run_failed = true;
  unwind_run(sc);
  if (is_port(sc.inport)) port_discard_input(port_data(sc.inport));
  sc.envir = sc.global_env;
  sc.inhibit_gc = 0;
  sc.value = sc.F;
  sc.pending_values = nullptr;
  return false;
}

}  // namespace kestrel::scheme
