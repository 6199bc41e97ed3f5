// The same R5RS programs through kestrel-scheme and TinyScheme, where the
// two dialects agree (integers only, no one-argument minus, no division;
// Debian's TinyScheme refuses integer indexes read from a file in
// vector-set!, vector-ref and string-ref, so programs avoid those).
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "support/temp_dir.h"
#include "scheme_fixture.h"

namespace kestrel::scheme::testing {
namespace {

const char* const kPrograms[] = {
    // closures and recursion
    "(define (fact n) (if (= n 0) 1 (* n (fact (- n 1)))))\n(display (fact 20))",
    "(define (fib n) (if (< n 2) n (+ (fib (- n 1)) (fib (- n 2)))))\n(display (fib 20))",
    "(define (make-acc n) (lambda (x) (set! n (+ n x)) n))\n(define a (make-acc 10))\n(a 5)\n(display (a 7))",
    // lists
    "(display (reverse (list 1 2 3)))\n(display (append '(1 2) '(3) '() '(4 5)))",
    "(display (map (lambda (x) (* x x)) '(1 2 3 4)))",
    "(display (assq 'b '((a 1) (b 2))))\n(display (memv 3 '(1 2 3 4)))",
    "(display (length '(1 2 3 4 5)))\n(write (list \"a\" #\\b 'c))",
    "(define l (list 1 2 3))\n(set-car! (cdr l) 'x)\n(write l)",
    "(write '(1 (2 . 3) #(4 5)))",
    // binding forms
    "(display (let loop ((i 0) (acc '())) (if (= i 5) acc (loop (+ i 1) (cons i acc)))))",
    "(display (let* ((x 2) (y (* x 3))) (list x y)))",
    "(display (letrec ((even? (lambda (n) (if (= n 0) #t (odd? (- n 1))))) (odd? (lambda (n) (if (= n 0) #f (even? (- n 1)))))) (even? 100)))",
    "(display (cond ((assv 2 '((1 . a) (2 . b))) => cdr) (else 'none)))",
    "(display (case (* 2 3) ((2 3 5 7) 'prime) ((1 4 6 8 9) 'composite)))",
    "(display (do ((i 0 (+ i 1)) (s 0 (+ s i))) ((= i 5) s)))",
    // quasiquote
    "(define x 5)\n(write `(a ,x ,@(list 1 2) (b ,(+ x 1))))",
    // continuations
    "(display (call-with-current-continuation (lambda (k) (+ 1 (k 42)))))",
    "(define (f) (call-with-current-continuation (lambda (return) (for-each (lambda (x) (if (> x 2) (return x))) '(1 2 3 4)) 'none)))\n(display (f))",
    // strings and characters
    "(display (string-append \"foo\" \"bar\"))\n(display (string-length \"hello\"))",
    "(write (substring \"hello world\" 6 11))\n(write (string->symbol \"abc\"))",
    "(write (char->integer #\\A))\n(write (integer->char 98))",
    "(write (number->string 255))\n(write (string->number \"123\"))",
    // vectors
    "(write (make-vector 2 'a))\n(display (vector-length (vector 1 2 3)))",
    // numbers and predicates
    "(display (list (remainder 17 5) (modulo -7 2) (quotient 17 5) (abs -3) (max 1 9 3) (min 4 2)))",
    "(display (list (= 1 1) (< 1 2 3) (>= 3 3) (zero? 0) (even? 10) (odd? 10)))",
    "(display (list (equal? '(1 (2)) '(1 (2))) (eqv? 'a 'a) (eq? '() '()) (null? '()) (pair? '())))",
    "(display (list (boolean? #f) (symbol? 'a) (string? \"a\") (procedure? car) (vector? (vector))))",
    // apply, higher order
    "(display (apply + 1 2 '(3 4)))\n(display (apply max '(3 1 4 1 5)))",
    "(define (compose f g) (lambda (x) (f (g x))))\n(display ((compose car cdr) '(1 2 3)))",
};

std::string slurp(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

std::string run_program(const std::string& command, const std::filesystem::path& file,
                        const std::filesystem::path& out) {
  std::string cmd = command + " '" + file.string() + "' </dev/null >'" + out.string() + "' 2>&1";
  if (std::system(cmd.c_str()) < 0) return "(could not run)";
  return slurp(out);
}

TEST(SchemeDifferential, AgreesWithTinySchemeOnSharedPrograms) {
  std::filesystem::path ours = KESTREL_SCHEME_COMMAND;
  if (!std::filesystem::exists(ours)) GTEST_SKIP() << "kestrel-scheme is not built";
  if (std::system("command -v tinyscheme >/dev/null 2>&1") != 0) GTEST_SKIP() << "tinyscheme is not installed";
  kestrel::testing::TempDir dir;
  int n = 0;
  for (const char* program : kPrograms) {
    std::string name = "p" + std::to_string(n++) + ".scm";
    // TinyScheme stays in its REPL after a file unless told to quit.
    auto ours_file = dir.write(name, std::string(program) + "\n");
    auto ts_file = dir.write("ts_" + name, std::string(program) + "\n(quit)\n");
    std::string expected = run_program("tinyscheme", ts_file, dir.path() / "ts.out");
    std::string actual = run_program("'" + ours.string() + "'", ours_file, dir.path() / "ours.out");
    EXPECT_EQ(actual, expected) << "program:\n" << program;
  }
}

}  // namespace
}  // namespace kestrel::scheme::testing
