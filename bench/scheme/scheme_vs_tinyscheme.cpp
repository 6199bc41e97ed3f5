// Runs each script with kestrel-scheme and with TinyScheme (Debian's
// `tinyscheme` package) as child processes and times them by the CPU time
// the child used (user + system), which stays meaningful on a busy
// machine. Both load their own start-up library. After the runs a table
// gives kestrel-scheme's time as a fraction of TinyScheme's (goal <= 1).
//
// TinyScheme has no hash tables, and Debian's build refuses integer
// vector indexes read from files, so its side of the hash-table script is
// the fastest keyed lookup it offers: its built-in assq over an
// association list of the same keys. Its default heap runs out a little
// above 4,000 nested calls, which sets the depth of the recursion script.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

extern char** environ;

namespace {

struct Script {
  const char* name;
  std::string ours;
  std::string tiny;  // empty: the same text
};

const std::vector<Script>& scripts() {
  static const std::vector<Script> list = {
      {"fib25",
       "(define (fib n) (if (< n 2) n (+ (fib (- n 1)) (fib (- n 2)))))\n(display (fib 25))\n", ""},
      {"tak18_12_6",
       "(define (tak x y z) (if (not (< y x)) z (tak (tak (- x 1) y z) (tak (- y 1) z x) (tak (- z 1) x y))))\n"
       "(display (tak 18 12 6))\n",
       ""},
      // 100,000 pieces appended 100 at a time, then the 1,000 chunks in one
      // call (TinyScheme runs out of memory applying string-append to
      // 100,000 arguments at once).
      {"string_append_100000",
       "(define (pieces from n acc) (if (= n 0) acc (pieces (+ from 1) (- n 1) (cons (number->string from) acc))))\n"
       "(define (chunks k acc) (if (= k 0) acc (chunks (- k 1) (cons (apply string-append (pieces (* k 100) 100 '())) acc))))\n"
       "(display (string-length (apply string-append (chunks 1000 '()))))\n",
       ""},
      {"alist_lookup",
       "(define (make-alist n acc) (if (= n 0) acc (make-alist (- n 1) (cons (cons n (* n n)) acc))))\n"
       "(define al (make-alist 200 '()))\n"
       "(define (run i sum) (if (= i 0) sum (run (- i 1) (+ sum (cdr (assv (+ 1 (remainder i 200)) al))))))\n"
       "(display (run 20000 0))\n",
       ""},
      {"hash_lookup",
       "(define h (make-hash-table 'eqv?))\n"
       "(define (fill n) (if (> n 0) (begin (hash-table-put! h n (* n n)) (fill (- n 1)))))\n(fill 200)\n"
       "(define (run i sum) (if (= i 0) sum (run (- i 1) (+ sum (hash-table-get h (+ 1 (remainder i 200)))))))\n"
       "(display (run 20000 0))\n",
       "(define (make-alist n acc) (if (= n 0) acc (make-alist (- n 1) (cons (cons (string->symbol (number->string n)) (* n n)) acc))))\n"
       "(define al (make-alist 200 '()))\n"
       "(define key-list (map car al))\n"
       "(define (run i ks sum) (if (= i 0) sum (let ((ks (if (null? ks) key-list ks))) (run (- i 1) (cdr ks) (+ sum (cdr (assq (car ks) al)))))))\n"
       "(display (run 20000 key-list 0))\n"},
      {"deep_recursion",
       "(define (deep n) (if (= n 0) 0 (+ 1 (deep (- n 1)))))\n"
       "(define (repeat k sum) (if (= k 0) sum (repeat (- k 1) (+ sum (deep 4000)))))\n"
       "(display (repeat 100 0))\n",
       ""},
  };
  return list;
}

std::string write_script(const std::string& name, const std::string& text) {
  std::string path = std::string(P_tmpdir) + "/kestrel-bench-" + std::to_string(getpid()) + "-" + name + ".scm";
  std::ofstream(path) << text;
  return path;
}

std::string slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// CPU seconds used by the child, or a negative value when it failed; its
// standard output goes to `out_path`.
double run_child(const std::vector<std::string>& args, const std::string& out_path) {
  std::vector<char*> argv;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t fa;
  posix_spawn_file_actions_init(&fa);
  posix_spawn_file_actions_addopen(&fa, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&fa, 1, out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  pid_t pid;
  int rc = posix_spawnp(&pid, argv[0], &fa, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&fa);
  if (rc != 0) return -1;
  int status = 0;
  struct rusage ru {};
  if (wait4(pid, &status, 0, &ru) < 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0) return -1;
  return ru.ru_utime.tv_sec + ru.ru_utime.tv_usec / 1e6 + ru.ru_stime.tv_sec + ru.ru_stime.tv_usec / 1e6;
}

std::map<std::string, std::map<std::string, double>> g_best;
std::map<std::string, std::map<std::string, std::string>> g_output;

void run_engine(benchmark::State& state, const Script& s, bool ours) {
  const std::string& text = ours || s.tiny.empty() ? s.ours : s.tiny;
  // TinyScheme stays in its REPL after the file unless told to quit.
  std::string path = write_script(std::string(s.name) + (ours ? "-ours" : "-tiny"), ours ? text : text + "(quit)\n");
  std::vector<std::string> args = ours ? std::vector<std::string>{KESTREL_SCHEME_COMMAND, path}
                                       : std::vector<std::string>{"tinyscheme", path};
  std::string out_path = path + ".out";
  double best = 1e9;
  for (auto _ : state) {
    double t = run_child(args, out_path);
    if (t < 0) {
      state.SkipWithError("the script failed or the program is missing");
      break;
    }
    state.SetIterationTime(t);
    if (t < best) best = t;
  }
  g_output[s.name][ours ? "ours" : "tiny"] = slurp(out_path);
  std::remove(out_path.c_str());
  std::remove(path.c_str());
  g_best[s.name][ours ? "ours" : "tiny"] = best;
}

}  // namespace

int main(int argc, char** argv) {
  for (const Script& s : scripts()) {
    benchmark::RegisterBenchmark((std::string(s.name) + "/kestrel").c_str(), [&s](benchmark::State& st) { run_engine(st, s, true); })
        ->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark((std::string(s.name) + "/tinyscheme").c_str(), [&s](benchmark::State& st) { run_engine(st, s, false); })
        ->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);
  }
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::printf("\n%-24s %12s %12s %8s\n", "script", "kestrel ms", "tiny ms", "ratio");
  for (const Script& s : scripts()) {
    auto& r = g_best[s.name];
    if (!r.count("ours") || !r.count("tiny")) continue;
    double ratio = r["tiny"] > 0 ? r["ours"] / r["tiny"] : 0;
    auto& o = g_output[s.name];
    const char* note = o["ours"] != o["tiny"] ? "  (outputs differ!)" : ratio <= 1.0 ? "" : "  (over the goal)";
    std::printf("%-24s %12.1f %12.1f %8.2f%s\n", s.name, r["ours"] * 1000, r["tiny"] * 1000, ratio, note);
  }
  return 0;
}
