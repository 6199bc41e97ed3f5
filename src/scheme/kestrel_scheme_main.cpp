// kestrel-scheme [--no-init] [file.scm ...]: runs macro files on the same
// interpreter the application uses, in order, without a user interface;
// with no file, an interactive loop on the terminal. Output goes to
// standard output, errors to standard error; the first error stops its file
// and the command then exits with status 1. Ctrl+C cancels the running
// evaluation.
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/utf16.h"
#include "scheme/scheme.h"

namespace {

kestrel::scheme::Interp* g_interp = nullptr;

void on_sigint(int) {
  if (g_interp) kestrel::scheme::request_cancel(*g_interp);
}

void print_fatal(void*, std::u16string_view message) {
  std::string text = kestrel::utf16_to_utf8(message);
  std::fprintf(stderr, "%s\n", text.c_str());
}

std::filesystem::path program_dir() {
  std::error_code ec;
  std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  return ec ? std::filesystem::current_path() : exe.parent_path();
}

}  // namespace

int main(int argc, char** argv) {
  bool init = true;
  std::vector<std::string> files;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--no-init") == 0) {
      init = false;
    } else if (std::strcmp(argv[i], "--help") == 0) {
      std::puts("usage: kestrel-scheme [--no-init] [file.scm ...]");
      return 0;
    } else {
      files.emplace_back(argv[i]);
    }
  }
  kestrel::scheme::InterpPtr sc = kestrel::scheme::create_interpreter();
  if (!sc) {
    std::fputs("kestrel-scheme: the interpreter cannot be created\n", stderr);
    return 2;
  }
  g_interp = sc.get();
  kestrel::scheme::set_fatal_handler(*sc, print_fatal, nullptr);
  struct sigaction sa {};
  sa.sa_handler = on_sigint;
  sigemptyset(&sa.sa_mask);
  sigaction(SIGINT, &sa, nullptr);

  int status = 0;
  if (init) {
    std::u16string errors;
    if (kestrel::scheme::load_macro_library(*sc, program_dir(), &errors) != 0) status = 1;
    if (!errors.empty()) status = 1;
  }
  for (const std::string& f : files) {
    int rc = kestrel::scheme::load_file(*sc, f);
    if (rc != 0) {
      std::string msg = kestrel::utf16_to_utf8(kestrel::scheme::last_message(*sc));
      if (msg.rfind("fatal error: file cannot open", 0) == 0) std::fprintf(stderr, "%s\n", msg.c_str());
      status = 1;
      break;
    }
    int exit_status;
    if (kestrel::scheme::exit_requested(*sc, &exit_status)) {
      status = exit_status;
      break;
    }
    if (kestrel::scheme::last_run_failed(*sc)) {
      status = 1;
      break;
    }
  }
  if (files.empty()) {
    kestrel::scheme::run_repl(*sc, isatty(0) ? u"> " : u"");
    int exit_status;
    if (kestrel::scheme::exit_requested(*sc, &exit_status)) status = exit_status;
  }
  kestrel::scheme::flush_output(*sc);
  g_interp = nullptr;
  return status;
}
