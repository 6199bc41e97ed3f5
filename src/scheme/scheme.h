// The macro interpreter: a small Scheme of the program's own with integers
// only, UTF-16 strings, regular-expression values, classes and first-class
// continuations. The application creates one interpreter, loads the macro
// library into it and runs macros through the entry points below; errors
// never escape an entry point (they are printed to the error port, whose
// text an output hook can collect).
//
// Application primitives plug in as callbacks registered by name; the
// evaluator checks their argument counts and type codes before calling them
// (see scheme_api.h for what a callback may do).
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

namespace kestrel::scheme {

struct Interp;
struct Cell;
using Value = Cell*;

// An application primitive: gets the checked arguments (a 'D' code passes
// the remaining arguments as one list) and returns its result, or the value
// of fail() to raise an error.
using Callback = Value (*)(Interp& sc, Value* args, int argc);
// Receives every piece of text written to a port.
using OutputHook = void (*)(void* context, std::u16string_view text);
// Asked once per 501 calls; true cancels the run with the error "canceled".
using CancelPoll = bool (*)(void* context);
// Shows "fatal error: ..." to the user; the default uses a message box
// titled "scheme fatal error".
using FatalHandler = void (*)(void* context, std::u16string_view message);

struct InterpDeleter {
  void operator()(Interp* sc) const;
};
using InterpPtr = std::unique_ptr<Interp, InterpDeleter>;

// Builds an interpreter with every built-in bound; nullptr when it cannot.
InterpPtr create_interpreter();

// Entry points. Each may be called from inside a callback (they nest).
// Reads and evaluates every expression of `text`; the last value, or
// nullptr after a fatal error (the message is in last_message()).
Value eval_text(Interp& sc, std::u16string_view text);
// Loads a file: 0 when it was read to its end or stopped at an error,
// 1 when it cannot be opened ("fatal error: file cannot open %s") or a
// fatal error happened.
int load_file(Interp& sc, const std::filesystem::path& path);
// Calls a procedure with no arguments; its value, or nullptr after a fatal
// error.
Value apply_procedure(Interp& sc, Value proc);
// The value printed in display mode.
std::u16string value_to_text(Interp& sc, Value v);
// Runs the error procedure with `text` as the message.
void raise_error(Interp& sc, std::u16string_view text);
// Keeps `v` alive until unprotect(); 0 on success, 1 on a fatal error.
int protect(Interp& sc, Value v);
void unprotect(Interp& sc, Value v);
// Defines `name` as an application primitive. `codes` holds up to 31 type
// codes, one per argument. 0 on success, 1 on failure.
int register_callback(Interp& sc, std::u16string_view name, Callback fn, int min_args, int max_args,
                      std::string_view codes);
// Interactive loop on the input port: prints `prompt`, reads, evaluates and
// writes each value; errors are printed and the loop goes on. Returns at end
// of input or on (exit).
void run_repl(Interp& sc, std::u16string_view prompt);

// Ports of the running interpreter.
void set_output_hook(Interp& sc, OutputHook hook, void* context);
void set_error_hook(Interp& sc, OutputHook hook, void* context);
void flush_output(Interp& sc);

// Cancelling. request_cancel is safe from a signal handler or another
// thread; the run ends at the next poll with the error "canceled".
void request_cancel(Interp& sc);
bool was_canceled(const Interp& sc);
void set_cancel_poll(Interp& sc, CancelPoll poll, void* context);
// The cancel key the application's poll watches: modifier flags (0x10 Alt,
// 0x08 Ctrl, 0x04 Shift) and a Windows virtual-key code; 3 (Ctrl+Break)
// with no modifiers until set. The interpreter only keeps them.
void set_cancel_key(Interp& sc, uint32_t modifiers, uint32_t key_code);
void get_cancel_key(const Interp& sc, uint32_t* modifiers, uint32_t* key_code);

// State after a run.
std::u16string_view last_message(const Interp& sc);
bool last_run_failed(const Interp& sc);
// True once (exit) was called; `status` receives its argument (0 default).
bool exit_requested(const Interp& sc, int* status = nullptr);
void clear_exit_request(Interp& sc);

void set_fatal_handler(Interp& sc, FatalHandler handler, void* context);
void set_app_context(Interp& sc, void* app);
void* app_context(const Interp& sc);

// Debugging: collect on every cell allocation; print "gc..." per collection.
void set_gc_stress(Interp& sc, bool on);
void set_gc_verbose(Interp& sc, bool on);
// Heap figures for tests and diagnostics.
struct HeapStats {
  std::size_t segments;
  std::size_t total_cells;
  uint64_t block_bytes;
  uint64_t gc_threshold;
  uint64_t collections;
  std::size_t dump_capacity;
};
HeapStats heap_stats(const Interp& sc);

// Defines *load-path* as the library folder `program_dir`/scmlib and loads
// its init.scm and kestrel.scm when present. Returns 1 after a fatal error;
// `error_text` receives what an ordinary error printed.
int load_macro_library(Interp& sc, const std::filesystem::path& program_dir, std::u16string* error_text);

}  // namespace kestrel::scheme
