// Creating and destroying the interpreter, and the entry points through
// which the application runs code. Every entry point saves the registers,
// runs, and restores them, so entry points nest (a callback may call
// back into the interpreter); a fatal error unwinds to the innermost one.
#include <new>

#include "platform/format.h"
#include "platform/utf16.h"
#include "scheme/interp_p.h"
#include "scheme/scheme_api.h"

namespace kestrel::scheme {

const OpInfo kOpTable[OP_COUNT] = {
#define KESTREL_SCHEME_OP_ROW(e, fn, name, kind, mn, mx, codes) {fn, name, OpKind::kind, mn, mx, codes},
    KESTREL_SCHEME_OPS(KESTREL_SCHEME_OP_ROW)
#undef KESTREL_SCHEME_OP_ROW
};

Cell* mk_class(Interp& sc, std::u16string_view name, Cell* slots, Cell* supers, bool integer_slots);

namespace {

void init_constant(Cell& c, uint32_t type) {
  c.flag = type | kAtomFlag | kMarkFlag;  // never swept, never followed
  c.car = nullptr;
  c.cdr = nullptr;
}

void run(Interp& sc, uint32_t op) {
  std::size_t saved_base = sc.run_base;
  sc.run_base = sc.dump.size();
  sc.op = op;
  while (kOpTable[sc.op].fn(sc)) {
  }
  sc.run_base = saved_base;
}

// Runs `body` as an entry point; false after a fatal error.
template <typename F>
bool guarded(Interp& sc, F&& body) {
  Cell* saved_args = sc.args;
  Cell* saved_code = sc.code;
  Cell* saved_envir = sc.envir;
  Cell* saved_value = sc.value;
  Cell* saved_inport = sc.inport;
  Cell* saved_outport = sc.outport;
  Root r1(sc, saved_args), r2(sc, saved_code), r3(sc, saved_envir), r4(sc, saved_value), r5(sc, saved_inport),
      r6(sc, saved_outport);
  uint32_t saved_op = sc.op;
  std::size_t saved_base = sc.run_base;
  bool outermost = sc.entry_depth == 0;
  bool saved_failed = sc.run_failed;
  if (outermost) {
    // A fatal error elsewhere may have left any of these behind.
    sc.dump.clear();
    sc.run_base = 0;
    sc.inhibit_gc = 0;
    sc.envir = sc.global_env;
    sc.reader_frames.clear();
    sc.pending_values = nullptr;
    sc.canceled = false;
    sc.cancel_requested.store(false);
  }
  std::size_t saved_dump = sc.dump.size();
  int saved_inhibit = sc.inhibit_gc;
  sc.run_failed = false;
  sc.stop_requested = false;
  ++sc.entry_depth;
  bool ok = true;
  try {
    body();
  } catch (const FatalError&) {
    ok = false;
  } catch (const std::bad_alloc&) {
    try {
      fatal_error(sc, u"no memory");
    } catch (const FatalError&) {
    }
    ok = false;
  }
  --sc.entry_depth;
  if (!ok) {
    if (sc.dump.size() > saved_dump) sc.dump.resize(saved_dump);
    sc.inhibit_gc = saved_inhibit;
    sc.reader_frames.clear();
    sc.saved_outport = sc.NIL;
  }
  sc.args = saved_args;
  sc.code = saved_code;
  sc.envir = saved_envir;
  sc.value = saved_value;
  sc.inport = saved_inport;
  sc.outport = saved_outport;
  sc.op = saved_op;
  sc.run_base = saved_base;
  if (!outermost) {
    sc.run_failed = saved_failed;
    sc.stop_requested = false;
  } else {
    port_flush(port_data(sc.outport));
    port_flush(port_data(sc.errport));
  }
  return ok;
}

// Reads and evaluates each expression of `port`, one run per expression;
// stops at end of input, at the first error or at (exit).
Cell* eval_port(Interp& sc, Cell* port) {
  Cell* last = sc.UNDEF;
  Root rl(sc, last);
  Root rp(sc, port);
  sc.inport = port;
  for (;;) {
    Cell* datum;
    ReadStatus st = read_datum(sc, port, &datum);
    if (st == ReadStatus::Eof) break;
    if (st == ReadStatus::Error) {
      run(sc, OP_ERROR);
      last = sc.F;
      break;
    }
    sc.code = datum;
    sc.args = sc.NIL;
    sc.envir = sc.global_env;
    run(sc, OP_EVAL);
    last = sc.value;
    if (sc.run_failed || sc.stop_requested) break;
  }
  return last;
}

}  // namespace

void InterpDeleter::operator()(Interp* sc) const {
  if (!sc) return;
  heap_destroy(*sc);
  delete sc;
}

InterpPtr create_interpreter() {
  InterpPtr holder(new (std::nothrow) Interp);
  if (!holder) return nullptr;
  Interp& sc = *holder;
  init_constant(sc.nil_cell, T_FREE);
  init_constant(sc.true_cell, T_FREE);
  init_constant(sc.false_cell, T_FREE);
  init_constant(sc.undef_cell, T_FREE);
  init_constant(sc.eof_cell, T_EOF);
  sc.NIL = &sc.nil_cell;
  sc.T = &sc.true_cell;
  sc.F = &sc.false_cell;
  sc.UNDEF = &sc.undef_cell;
  sc.EOF_OBJ = &sc.eof_cell;
  for (int i = Interp::kSmallIntMin; i <= Interp::kSmallIntMax; ++i) {
    Cell& c = sc.small_ints[i - Interp::kSmallIntMin];
    init_constant(c, T_INTEGER);
    c.ival = i;
  }
  Cell* nil = sc.NIL;
  sc.args = sc.envir = sc.code = sc.value = nil;
  sc.oblist = sc.global_env = sc.global_hash = sc.protected_list = nil;
  sc.inport = sc.outport = sc.errport = sc.scratch_port = sc.saved_outport = nil;
  sc.sym_lambda = sc.sym_quote = sc.sym_quote_vector = sc.sym_quasiquote = nil;
  sc.sym_unquote = sc.sym_unquote_splicing = sc.sym_qq_vec = sc.sym_optional = nil;
  sc.sym_arrow = sc.sym_load_path = nil;
  sc.subr_cons = sc.subr_append = nil;
  try {
    sc.dump.reserve(kInitialDumpFrames);
    heap_init(sc);
    sc.oblist = mk_hash_table(sc, HK_OBLIST, kGlobalBuckets);
    sc.global_hash = mk_hash_table(sc, HK_PTR, kGlobalBuckets);
    sc.global_env = mk_cons(sc, sc.global_hash, sc.NIL);
    sc.envir = sc.global_env;
    sc.sym_lambda = mk_symbol(sc, u"lambda");
    sc.sym_quote = mk_symbol(sc, u"quote");
    sc.sym_quote_vector = mk_symbol(sc, u"quote-vector");
    sc.sym_quasiquote = mk_symbol(sc, u"quasiquote");
    sc.sym_unquote = mk_symbol(sc, u"unquote");
    sc.sym_unquote_splicing = mk_symbol(sc, u"unquote-splicing");
    sc.sym_qq_vec = mk_symbol(sc, u"_quasiquote-vec");
    sc.sym_optional = mk_symbol(sc, u":optional");
    sc.sym_arrow = mk_symbol(sc, u"=>");
    sc.sym_load_path = mk_symbol(sc, u"*load-path*");
    sc.inport = mk_std_port(sc, stdin, kPortInput, u"(stdin)");
    sc.outport = mk_std_port(sc, stdout, kPortOutput, u"(stdout)");
    sc.errport = mk_std_port(sc, stderr, kPortOutput, u"(stderr)");
    sc.scratch_port = mk_output_string_port(sc);
    sc.saved_outport = sc.NIL;
    for (uint32_t op = 0; op < OP_COUNT; ++op) {
      const OpInfo& info = kOpTable[op];
      if (info.kind == OpKind::Internal) continue;
      Cell* v = mk_syntax_or_subr(sc, info.kind == OpKind::Syntax ? T_SYNTAX : T_SUBR, op);
      Root r(sc, v);
      define_in_frame(sc, sc.global_env, mk_symbol(sc, utf8_to_utf16(info.name)), v);
      if (op == OP_CONS) sc.subr_cons = v;
      if (op == OP_APPEND) sc.subr_append = v;
    }
    define_in_frame(sc, sc.global_env, mk_symbol(sc, u"else"), sc.T);
    define_in_frame(sc, sc.global_env, sc.sym_load_path, sc.NIL);
    static const char16_t* const kStatSlots[] = {u"size", u"atime", u"mtime", u"ctime"};
    static const char16_t* const kTmSlots[] = {u"sec", u"min", u"hour", u"mday", u"mon",
                                               u"year", u"wday", u"yday", u"isdst"};
    auto make_builtin_class = [&](std::u16string_view name, const char16_t* const* slots, std::size_t n) {
      Cell* list = sc.NIL;
      Root r(sc, list);
      for (std::size_t i = n; i-- > 0;) list = mk_cons(sc, mk_symbol(sc, slots[i]), list);
      Cell* k = mk_class(sc, name, list, sc.NIL, true);
      Root rk(sc, k);
      define_in_frame(sc, sc.global_env, mk_symbol(sc, name), k);
    };
    make_builtin_class(u"<sys-stat>", kStatSlots, 4);
    make_builtin_class(u"<sys-tm>", kTmSlots, 9);
  } catch (...) {
    return nullptr;  // the holder destroys what was built
  }
  return holder;
}

Value eval_text(Interp& sc, std::u16string_view text) {
  Cell* result = nullptr;
  Root rr(sc, result);
  bool ok = guarded(sc, [&] {
    Cell* port = mk_input_string_port(sc, text, u"(string)");
    result = eval_port(sc, port);
    port_close(port_data(port));
  });
  return ok ? result : nullptr;
}

int load_file(Interp& sc, const std::filesystem::path& path) {
  int rc = 0;
  bool ok = guarded(sc, [&] {
    Cell* port = open_input_file_port(sc, path.string());
    if (!port) {
      set_message(sc, format(u"fatal error: file cannot open %s", {utf8_to_utf16(path.string())}));
      rc = 1;
      return;
    }
    eval_port(sc, port);
    port_close(port_data(port));
  });
  return ok ? rc : 1;
}

Value apply_procedure(Interp& sc, Value proc) {
  Cell* result = nullptr;
  Root rr(sc, result);
  Root rp(sc, proc);
  bool ok = guarded(sc, [&] {
    sc.code = proc;
    sc.args = sc.NIL;
    run(sc, OP_APPLY);
    result = sc.run_failed ? sc.F : sc.value;
  });
  return ok ? result : nullptr;
}

std::u16string value_to_text(Interp& sc, Value v) {
  std::u16string text;
  try {
    print_value(sc, v, false, text);
  } catch (const std::bad_alloc&) {
    text.clear();
  }
  return text;
}

void raise_error(Interp& sc, std::u16string_view message) {
  guarded(sc, [&] {
    Cell* msg = mk_string(sc, bounded(std::u16string(message)));
    sc.args = mk_cons(sc, msg, sc.NIL);
    run(sc, OP_ERROR);
  });
}

int protect(Interp& sc, Value v) {
  Root r(sc, v);
  bool ok = guarded(sc, [&] { sc.protected_list = mk_cons(sc, v, sc.protected_list); });
  return ok ? 0 : 1;
}

void unprotect(Interp& sc, Value v) {
  Cell** link = &sc.protected_list;
  while (is_pair(*link)) {
    if (car(*link) == v) {
      *link = cdr(*link);
      return;
    }
    link = &(*link)->cdr;
  }
}

int register_callback(Interp& sc, std::u16string_view name, Callback fn, int min_args, int max_args,
                      std::string_view codes) {
  if (!fn || codes.size() > 31) return 1;
  bool ok = guarded(sc, [&] {
    Cell* c = get_cell(sc, nullptr, nullptr);
    c->flag = 0;
    auto* d = block_new<CallbackData>(sc);
    d->fn = fn;
    d->min_args = min_args;
    d->max_args = max_args;
    d->codes.assign(codes);
    d->name.assign(name);
    c->flag = T_CALLBACK | kAtomFlag;
    c->ptr = d;
    c->cdr = nullptr;
    define_global(sc, name, c);
  });
  return ok ? 0 : 1;
}

void run_repl(Interp& sc, std::u16string_view prompt) {
  for (;;) {
    bool done = false;
    guarded(sc, [&] {
      port_write(sc, sc.outport, prompt);
      port_flush(port_data(sc.outport));
      Cell* datum;
      ReadStatus st = read_datum(sc, sc.inport, &datum);
      if (st == ReadStatus::Eof) {
        done = true;
        return;
      }
      if (st == ReadStatus::Error) {
        run(sc, OP_ERROR);
        return;
      }
      sc.code = datum;
      sc.args = sc.NIL;
      sc.envir = sc.global_env;
      run(sc, OP_EVAL);
      if (sc.stop_requested) {
        done = true;
        return;
      }
      if (!sc.run_failed) {
        std::u16string text;
        print_value(sc, sc.value, true, text);
        text += u"\n";
        port_write(sc, sc.outport, text);
      }
    });
    if (done || sc.exit_flag) break;
  }
  port_write(sc, sc.outport, u"\n");
  port_flush(port_data(sc.outport));
}

void set_output_hook(Interp& sc, OutputHook hook, void* context) {
  PortData* p = port_data(sc.outport);
  p->hook = hook;
  p->hook_context = context;
}

void set_error_hook(Interp& sc, OutputHook hook, void* context) {
  PortData* p = port_data(sc.errport);
  p->hook = hook;
  p->hook_context = context;
}

void flush_output(Interp& sc) {
  port_flush(port_data(sc.outport));
  port_flush(port_data(sc.errport));
}

void request_cancel(Interp& sc) { sc.cancel_requested.store(true); }
bool was_canceled(const Interp& sc) { return sc.canceled; }
void set_cancel_poll(Interp& sc, CancelPoll poll, void* context) {
  sc.cancel_poll = poll;
  sc.cancel_poll_context = context;
}

void set_cancel_key(Interp& sc, uint32_t modifiers, uint32_t key_code) {
  sc.cancel_key_modifiers = modifiers;
  sc.cancel_key_code = key_code;
}
void get_cancel_key(const Interp& sc, uint32_t* modifiers, uint32_t* key_code) {
  if (modifiers) *modifiers = sc.cancel_key_modifiers;
  if (key_code) *key_code = sc.cancel_key_code;
}

std::u16string_view last_message(const Interp& sc) { return sc.message; }
bool last_run_failed(const Interp& sc) { return sc.run_failed; }
bool exit_requested(const Interp& sc, int* status) {
  if (status) *status = sc.exit_status;
  return sc.exit_flag;
}
void clear_exit_request(Interp& sc) {
  sc.exit_flag = false;
  sc.exit_status = 0;
}

void set_fatal_handler(Interp& sc, FatalHandler handler, void* context) {
  sc.fatal_handler = handler;
  sc.fatal_context = context;
}
void set_app_context(Interp& sc, void* app) { sc.app = app; }
void* app_context(const Interp& sc) { return sc.app; }
void set_gc_stress(Interp& sc, bool on) { sc.gc_stress = on; }
void set_gc_verbose(Interp& sc, bool on) { sc.gc_verbose = on; }

HeapStats heap_stats(const Interp& sc) {
  return HeapStats{static_cast<std::size_t>(sc.last_segment + 1), sc.total_cells, sc.bytes_in_use,
                   sc.gc_threshold, sc.collections, sc.dump.capacity()};
}

int load_macro_library(Interp& sc, const std::filesystem::path& program_dir, std::u16string* error_text) {
  std::filesystem::path dir = program_dir / "scmlib";
  std::u16string escaped;
  for (char16_t c : utf8_to_utf16(dir.string())) {
    if (c == u'\\' || c == u'"') escaped.push_back(u'\\');
    escaped.push_back(c);
  }
  if (!eval_text(sc, u"(define *load-path* '(\"" + escaped + u"\"))")) return 1;
  for (const char* name : {"init.scm", "kestrel.scm"}) {
    std::filesystem::path file = dir / name;
    std::error_code ec;
    if (!std::filesystem::exists(file, ec)) continue;
    if (load_file(sc, file) != 0) return 1;
    if (sc.run_failed && error_text) {
      *error_text += sc.message;
      *error_text += u"\n";
    }
  }
  return 0;
}

}  // namespace kestrel::scheme
