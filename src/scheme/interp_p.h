// The interpreter context and the internal interfaces shared by the heap,
// reader, printer, evaluator and built-ins.
#pragma once

#include <atomic>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "scheme/cell.h"
#include "scheme/ops_p.h"
#include "scheme/scheme.h"

namespace kestrel::scheme {

// A fatal error ("no memory") unwinds to the entry point that was called.
struct FatalError {};

struct PortData {
  enum class Encoding { Utf8, Cp932, Utf16 };
  uint32_t flags = 0;
  std::FILE* file = nullptr;
  bool standard_stream = false;  // never closed by the interpreter
  std::u16string buf;            // input: units not yet read start at pos
  std::size_t pos = 0;           // output string ports: buf is the text
  Encoding encoding = Encoding::Utf8;
  std::string carry;             // bytes of a character split by a refill
  bool at_eof = false;
  OutputHook hook = nullptr;
  void* hook_context = nullptr;
  std::u16string name;
};

struct CallbackData {
  Callback fn;
  int32_t min_args;
  int32_t max_args;
  std::string codes;
  std::u16string name;
};

struct ClassData {
  std::u16string name;
  Cell* slots;      // list of slot symbols
  Cell* supers;     // list given at definition
  bool integer_slots = false;  // <sys-stat>, <sys-tm>
};

struct HashEntry {
  Cell* key;
  Cell* value;
  uint64_t hash;
  HashEntry* next;
};

struct HashMap {
  int32_t kind;
  std::vector<HashEntry*> buckets;
  std::size_t count = 0;
};

struct RegexpData;
struct RegmatchData;

// Reader state kept where the collector can see it while a datum is built.
struct ReaderFrame {
  enum Kind : uint8_t { List, Vector, Wrap };
  Kind kind;
  uint8_t dot_state;  // List: 0 elements, 1 after dot, 2 tail read
  Cell* acc;          // List/Vector: elements in reverse; Wrap: the symbol
  Cell* tail;
};

struct Interp {
  // Cell heap.
  Cell* segments[kMaxSegments] = {};
  std::size_t segment_cells[kMaxSegments] = {};
  int last_segment = -1;
  int alloc_segment = 0;
  Cell* alloc_cursor = nullptr;
  Cell* alloc_end = nullptr;

  // Evaluator registers and roots.
  Cell* args;
  Cell* envir;
  Cell* code;
  Cell* oblist;
  Cell* global_env;   // the environment list (one hash frame)
  Cell* global_hash;  // its frame
  Cell* protected_list;
  Cell* inport;
  Cell* outport;
  Cell* errport;
  Cell* scratch_port;
  Cell* saved_outport;

  // Constants.
  Cell nil_cell, true_cell, false_cell, undef_cell, eof_cell;
  Cell* NIL;
  Cell* T;
  Cell* F;
  Cell* UNDEF;
  Cell* EOF_OBJ;
  static constexpr int kSmallIntMin = -128;
  static constexpr int kSmallIntMax = 1023;
  Cell small_ints[kSmallIntMax - kSmallIntMin + 1];

  // Cached symbols.
  Cell* sym_lambda;
  Cell* sym_quote;
  Cell* sym_quote_vector;
  Cell* sym_quasiquote;
  Cell* sym_unquote;
  Cell* sym_unquote_splicing;
  Cell* sym_qq_vec;
  Cell* sym_optional;
  Cell* sym_arrow;
  Cell* sym_load_path;
  Cell* subr_cons;  // used by expanded quasiquote templates
  Cell* subr_append;

  std::u16string message;  // last error or fatal message, at most 1024 units

  Cell* value;
  uint32_t op = OP_EVAL;
  Cell* pending_values = nullptr;  // nullptr: no multiple values

  std::vector<Frame> dump;
  std::size_t run_base = 0;

  uint64_t bytes_in_use = 0;
  uint64_t gc_threshold = kInitialGcThreshold;
  uint64_t collections = 0;

  uint32_t gensym_counter = 1;
  bool gc_verbose = false;
  bool gc_stress = false;
  std::size_t live_cells = 0;
  std::size_t total_cells = 0;

  uint32_t step_counter = 0;
  bool canceled = false;
  std::atomic<bool> cancel_requested{false};
  uint32_t cancel_key_modifiers = 0;
  uint32_t cancel_key_code = 3;
  CancelPoll cancel_poll = nullptr;
  void* cancel_poll_context = nullptr;

  int inhibit_gc = 0;
  void* app = nullptr;

  // Run state.
  int entry_depth = 0;
  bool run_failed = false;
  bool exit_flag = false;
  int exit_status = 0;
  bool stop_requested = false;  // (exit) inside a run

  FatalHandler fatal_handler = nullptr;
  void* fatal_context = nullptr;

  // Extra roots: C++ locals that hold cells across allocations.
  std::vector<Cell**> roots;
  std::vector<ReaderFrame> reader_frames;
  std::vector<Cell*> mark_work;
};

// Keeps a C++ local visible to the collector for the scope.
class Root {
 public:
  Root(Interp& sc, Cell*& ref) : sc_(sc) { sc_.roots.push_back(&ref); }
  ~Root() { sc_.roots.pop_back(); }
  Root(const Root&) = delete;
  Root& operator=(const Root&) = delete;

 private:
  Interp& sc_;
};

// heap.cpp
void heap_init(Interp& sc);
void heap_destroy(Interp& sc);
Cell* get_cell(Interp& sc, Cell* a, Cell* b);
void full_collect(Interp& sc, Cell* a = nullptr, Cell* b = nullptr);
void* block_alloc(Interp& sc, std::size_t bytes);
void block_free(Interp& sc, void* p);
template <typename T, typename... A>
T* block_new(Interp& sc, A&&... a) {
  void* p = block_alloc(sc, sizeof(T));
  return new (p) T(static_cast<A&&>(a)...);
}
template <typename T>
void block_delete(Interp& sc, T* p) {
  if (!p) return;
  p->~T();
  block_free(sc, p);
}
[[noreturn]] void fatal_error(Interp& sc, std::u16string_view text);

// values.cpp
Cell* mk_cons(Interp& sc, Cell* a, Cell* b);
Cell* mk_atom(Interp& sc, uint32_t type, void* payload);
Cell* mk_integer(Interp& sc, int64_t n);
Cell* mk_character(Interp& sc, char32_t c);
Cell* mk_string(Interp& sc, std::u16string_view text);
Cell* mk_string_units(Interp& sc, std::size_t units);  // uninitialised text
Cell* mk_symbol(Interp& sc, std::u16string_view name);  // interned
Cell* mk_gensym(Interp& sc);
Cell* mk_vector(Interp& sc, std::size_t count, Cell* fill);
Cell* list_to_vector(Interp& sc, Cell* list);  // nullptr for an improper list
Cell* mk_closure(Interp& sc, Cell* code, Cell* env);
Cell* mk_hash_table(Interp& sc, int32_t kind, std::size_t buckets);
Cell* mk_syntax_or_subr(Interp& sc, uint32_t type, uint32_t op);
void string_recount(StringData* d);
// Character-indexed access for strings holding surrogate pairs.
std::size_t string_char_count(const Cell* s);
std::size_t string_unit_index(const Cell* s, std::size_t char_index);  // len if beyond
std::size_t string_char_index(const Cell* s, std::size_t unit_index);
Cell* reverse_in_place(Interp& sc, Cell* list, Cell* tail);
Cell* reverse_copy(Interp& sc, Cell* list);
int64_t list_length(Interp& sc, Cell* list);  // -1 improper, -2 circular
bool eqv(const Cell* a, const Cell* b);
bool equal_values(Interp& sc, Cell* a, Cell* b);
std::u16string_view hash_kind_name(int32_t kind);

// hash_map.cpp
HashMap* hash_map_create(Interp& sc, int32_t kind, std::size_t buckets);
void hash_map_destroy(Interp& sc, HashMap* map);
uint64_t hash_value(int32_t kind, const Cell* key);
uint64_t hash_text(std::u16string_view text);
HashEntry* hash_map_find(Interp& sc, HashMap* map, Cell* key);
HashEntry* hash_map_insert(Interp& sc, HashMap* map, Cell* key, Cell* value);  // finds or adds
bool hash_map_remove(Interp& sc, HashMap* map, Cell* key);
Cell* oblist_find(Interp& sc, std::u16string_view name, uint64_t hash);
inline HashMap* hash_map_of(const Cell* c) { return static_cast<HashMap*>(c->ptr); }

// env
void define_in_frame(Interp& sc, Cell* env, Cell* sym, Cell* value);
Cell* lookup_binding(Interp& sc, Cell* env, Cell* sym, HashEntry** hash_slot);  // returns alist pair
bool lookup(Interp& sc, Cell* env, Cell* sym, Cell** out);
bool assign(Interp& sc, Cell* env, Cell* sym, Cell* value);

// port.cpp
Cell* mk_port_cell(Interp& sc, PortData* port);
Cell* open_input_file_port(Interp& sc, const std::string& path_utf8);  // nullptr if unopenable
Cell* open_output_file_port(Interp& sc, const std::string& path_utf8);
Cell* mk_input_string_port(Interp& sc, std::u16string_view text, std::u16string_view name);
Cell* mk_output_string_port(Interp& sc);
Cell* mk_std_port(Interp& sc, std::FILE* f, uint32_t flags, std::u16string_view name);
inline PortData* port_data(const Cell* c) { return static_cast<PortData*>(c->ptr); }
void port_close(PortData* p);
void port_write(Interp& sc, Cell* port, std::u16string_view text);
int32_t port_peek(PortData* p);  // code point or -1
int32_t port_get(PortData* p);
void port_discard_input(PortData* p);
void port_flush(PortData* p);
std::string path_utf8(std::u16string_view path);

// reader.cpp
enum class ReadStatus { Ok, Eof, Error };
// On Error, sc.args holds the error procedure's argument list.
ReadStatus read_datum(Interp& sc, Cell* port, Cell** out);

bool parse_integer(std::u16string_view text, int radix, int64_t* out);

// printer.cpp
void print_value(Interp& sc, Cell* v, bool write_mode, std::u16string& out);
void print_to_port(Interp& sc, Cell* port, Cell* v, bool write_mode);

// eval.cpp: helpers used by built-ins
bool s_return(Interp& sc, Cell* v);
bool s_goto(Interp& sc, uint32_t op);
void s_save(Interp& sc, uint32_t op, Cell* args, Cell* code);
// Sets args to (message irritant...) and continues with the error procedure.
bool s_error(Interp& sc, std::u16string_view message, Cell* irritant = nullptr);
bool s_error_msg(Interp& sc, std::u16string_view message);  // message alone
// Applies proc to args (args already a list).
bool s_apply(Interp& sc, Cell* proc, Cell* args);
std::u16string bounded(std::u16string text);
void set_message(Interp& sc, std::u16string_view text);
Cell* nth_arg(Cell* args, int n);  // nullptr when missing
Cell* load_path_list(Interp& sc);
// Resolves a file name: as given when it starts with /, ./ or ../, else
// through *load-path*; empty when not found.
std::string resolve_load_path(Interp& sc, std::u16string_view name);
// Starts the load loop over a newly opened port, resuming with the caller's
// continuation once the file is read (the frame returns #t).
bool start_load(Interp& sc, Cell* port);
// Drops the frames of the running evaluation, closing files loads had open.
void unwind_run(Interp& sc);
Cell* mk_class(Interp& sc, std::u16string_view name, Cell* slots, Cell* supers, bool integer_slots);

// regexp_glue.cpp
void regexp_free(Interp& sc, RegexpData* r);
void regmatch_free(Interp& sc, RegmatchData* m);
Cell* regmatch_subject(const RegmatchData* m);
std::u16string_view regexp_source(const RegexpData* r);
bool regexp_icase(const RegexpData* r);
// Compiles at read time or for string->regexp; on failure sets `error` to
// the message and returns nullptr.
Cell* mk_regexp(Interp& sc, std::u16string_view pattern, bool icase, std::u16string* error);

// builtins_system.cpp: splits a win-exec command line into words as a
// POSIX shell would, without expanding anything.
std::vector<std::string> split_command_line(std::u16string_view line);

// Subr type-check descriptions.
std::u16string_view type_description(char code);

}  // namespace kestrel::scheme
