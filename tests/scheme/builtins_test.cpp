// The interpreter's own built-ins: numbers, strings, vectors, hash tables,
// classes, regular expressions, ports and files, system procedures.
#include <chrono>
#include <fstream>
#include <thread>

#include "scheme_fixture.h"
#include "support/scripted_ui.h"
#include "support/temp_dir.h"

namespace kestrel::scheme::testing {
namespace {

TEST(SchemeNumbers, ArithmeticAsTheMacroLanguageDefinesIt) {
  Scheme s;
  run_cases(s, {
      {"(- 5)", "5"},
      {"(-)", "0"},
      {"(- 10 1 2)", "7"},
      {"(+)", "0"},
      {"(*)", "1"},
      {"(* 2 3 4)", "24"},
      {"(/ 7 2)", "3"},
      {"(/ -7 2)", "-3"},
      {"(/ 100 5 2)", "10"},
      {"(/ 5)", "5"},
      {"(/ 1 0)", "Error: Divided by zero"},
      {"(remainder 7 0)", "Error: Dividev by zero"},
      {"(modulo 7 0)", "Error: Dividev by zero"},
      {"(remainder -7 2)", "-1"},
      {"(remainder 7 -2)", "1"},
      {"(modulo -7 2)", "1"},
      {"(modulo 7 -2)", "-1"},
      {"(modulo -8 2)", "0"},
      {"(/ -9223372036854775808 -1)", "-9223372036854775808"},
      {"(remainder -9223372036854775808 -1)", "0"},
      {"(modulo -9223372036854775808 -1)", "0"},
      {"(+ 9223372036854775807 1)", "-9223372036854775808"},
      {"(* 9223372036854775807 2)", "-2"},
      {"(- -9223372036854775808 1)", "9223372036854775807"},
      {"(< 1 2 3)", "#t"},
      {"(< 1 3 2)", "#f"},
      {"(>= 3 3 1)", "#t"},
      {"(= 1 1 1)", "#t"},
      {"(number? 1)", "#t"},
      {"(integer? \"1\")", "#f"},
      {"(number->string 255 16)", "\"ff\""},
      {"(number->string -10)", "\"-10\""},
      {"(number->string 5 1)", "Error: number->string: invalid radix: 1"},
      {"(string->number \"12\")", "12"},
      {"(string->number \"-12\")", "-12"},
      {"(string->number \"1a\")", "#f"},
      {"(string->number \"\")", "#f"},
      {"(string->number \"ff\" 16)", "255"},
      {"(abs -5)", "5"},
      {"(max 1 5 3)", "5"},
      {"(min 4 2 8)", "2"},
      {"(expt 2 10)", "1024"},
      {"(gcd 12 18)", "6"},
      {"(lcm 4 6)", "12"},
      {"(quotient 17 5)", "3"},
      {"(even? 4)", "#t"},
      {"(odd? -3)", "#t"},
  });
}

TEST(SchemeLists, PairsListsAndEquality) {
  Scheme s;
  run_cases(s, {
      {"(cons 1 2)", "(1 . 2)"},
      {"(let ((p (cons 1 2))) (set-car! p 3) (set-cdr! p '(4)) p)", "(3 4)"},
      {"(list 1 2 3)", "(1 2 3)"},
      {"(length '(1 2 3))", "3"},
      {"(length '())", "0"},
      {"(let ((l (list 1 2))) (set-cdr! (cdr l) l) (list? l))", "#f"},
      {"(list? '(1 2))", "#t"},
      {"(list? '(1 . 2))", "#f"},
      {"(reverse '(1 2 3))", "(3 2 1)"},
      {"(append '(1) '(2 3) '() '(4 . 5))", "(1 2 3 4 . 5)"},
      {"(append)", "()"},
      {"(append '(1) 2)", "(1 . 2)"},
      {"(append 1 '(2))", "Error: append: list required: 1"},
      {"(eq? 'a 'a)", "#t"},
      {"(eqv? 100000 100000)", "#t"},
      {"(eqv? #\\a #\\a)", "#t"},
      {"(eqv? \"a\" \"a\")", "#f"},
      {"(equal? '(1 #(2 \"x\")) (list 1 (vector 2 \"x\")))", "#t"},
      {"(equal? '(1 2) '(1 3))", "#f"},
      {"(not #f)", "#t"},
      {"(not '())", "#f"},
      {"(boolean? #f)", "#t"},
      {"(null? '())", "#t"},
      {"(pair? '())", "#f"},
      {"(memq 'c '(a b c d))", "(c d)"},
      {"(member \"b\" '(\"a\" \"b\"))", "(\"b\")"},
      {"(assq 'b '((a 1) (b 2)))", "(b 2)"},
      {"(assoc \"b\" '((\"a\" . 1) (\"b\" . 2)))", "(\"b\" . 2)"},
      {"(map + '(1 2 3) '(10 20 30))", "(11 22 33)"},
      {"(map car '((a) (b)))", "(a b)"},
      {"(let ((acc '())) (for-each (lambda (x y) (set! acc (cons (+ x y) acc))) '(1 2) '(3 4)) acc)", "(6 4)"},
      {"(list-tail '(1 2 3) 2)", "(3)"},
      {"(list-ref '(1 2 3) 1)", "2"},
      {"(filter odd? '(1 2 3 4 5))", "(1 3 5)"},
      {"(iota 3 1)", "(1 2 3)"},
  });
}

TEST(SchemeStrings, CharactersStringsAndSymbols) {
  Scheme s;
  run_cases(s, {
      {"(make-string 3 #\\x)", "\"xxx\""},
      {"(make-string 2)", "\"  \""},
      {"(make-string 2 #\\𠮷)", "\"𠮷𠮷\""},
      {"(string-length (make-string 2 #\\𠮷))", "2"},
      {"(string-append \"a\" \"日本\" \"\")", "\"a日本\""},
      {"(string-append)", "\"\""},
      {"(substring \"hello\" 1 3)", "\"el\""},
      {"(substring \"hello\" 2)", "\"llo\""},
      {"(substring \"hello\" 3 1)", "Error: substring: invalid argument (start > end)"},
      {"(substring \"hello\" 1 9)", "Error: out of string buffer"},
      {"(string-ref \"abc\" 3)", "Error: out of string buffer"},
      {"(string-ref \"abc\" 0)", "#\\a"},
      {"(let ((s (make-string 2 #\\a))) (string-set! s 1 #\\𠮷) (list s (string-length s)))", "(\"a𠮷\" 2)"},
      {"(let ((s (string-copy \"a𠮷c\"))) (string-set! s 1 #\\b) (list s (string-length s)))", "(\"abc\" 3)"},
      {"(string-set! (make-string 1) 1 #\\a)", "Error: out of string buffer"},
      {"(string=? \"a\" \"a\")", "#t"},
      {"(string<? \"abc\" \"abd\")", "#t"},
      {"(string>? \"b\" \"a\")", "#t"},
      {"(string<=? \"a\" \"a\")", "#t"},
      {"(string-ci=? \"ABC\" \"abc\")", "#t"},
      {"(string<? \"\xef\xbd\x81\" \"𠮷\")", "#t"},
      {"(_string-cmp? car \"a\" \"b\")", "Error: unsupported procedure #<subr car>"},
      {"(string->list \"ab\")", "(#\\a #\\b)"},
      {"(list->string (list #\\a #\\𠮷))", "\"a𠮷\""},
      {"(string-upcase \"abc\")", "\"ABC\""},
      {"(symbol->string 'abc)", "\"abc\""},
      {"(string->symbol \"x y\")", "x y"},
      {"(symbol? 'a)", "#t"},
      {"(string? \"a\")", "#t"},
      {"(char? #\\a)", "#t"},
      {"(char->integer #\\A)", "65"},
      {"(integer->char 97)", "#\\a"},
      {"(integer->char 55296)", "Error: integer->char: character code required: 55296"},
      {"(integer->char 1114112)", "Error: integer->char: character code required: 1114112"},
      {"(char-upcase #\\a)", "#\\A"},
      {"(char<? #\\a #\\b)", "#t"},
      {"(char-numeric? #\\5)", "#t"},
  });
}

TEST(SchemeVectors, MakeRefSetLength) {
  Scheme s;
  run_cases(s, {
      {"(make-vector 2)", "#(() ())"},
      {"(make-vector 3 'a)", "#(a a a)"},
      {"(let ((v (make-vector 2 0))) (vector-set! v 1 'x) v)", "#(0 x)"},
      {"(vector-length (vector 1 2 3))", "3"},
      {"(vector-ref (vector 1 2 3) 2)", "3"},
      {"(vector->list #(1 2))", "(1 2)"},
      {"(list->vector '(1 2))", "#(1 2)"},
      {"(vector? #(1))", "#t"},
      {"(make-vector 9223372036854775807)", "FATAL: fatal error: no memory"},
      {"(make-string 9223372036854775807)", "FATAL: fatal error: no memory"},
      {"(vector-length (make-vector 5))", "5"},
  });
}

TEST(SchemeHashTables, KindsPutGetDeleteWalk) {
  Scheme s;
  run_cases(s, {
      {"(define h (make-hash-table 'equal?))", "h"},
      {"(hash-table-put! h \"k\" 1)", "#<undef>"},
      {"(hash-table-put! h '(1 2) 2)", "#<undef>"},
      {"(hash-table-get h \"k\")", "1"},
      {"(hash-table-get h (list 1 2))", "2"},
      {"(hash-table-get h \"none\" 'dflt)", "dflt"},
      {"(hash-table-get h \"none\")", "Error: hash-table-get: key not found \"none\""},
      {"(hash-table-exists? h \"k\")", "#t"},
      {"(hash-table-num-entries h)", "2"},
      {"(hash-table-delete! h \"k\")", "#t"},
      {"(hash-table-delete! h \"k\")", "#f"},
      {"(hash-table-num-entries h)", "1"},
      {"(hash-table-type h)", "equal?"},
      {"(hash-table-type (make-hash-table))", "eq?"},
      {"(hash-table? h)", "#t"},
      {"(make-hash-table 'foo)", "Error: unsupported hash type:  foo"},
      {"(define e (make-hash-table 'eq?))", "e"},
      {"(hash-table-put! e 100000 'big)", "#<undef>"},
      {"(hash-table-get e 100000)", "big"},
      {"(hash-table-put! e \"s\" 1)", "#<undef>"},
      {"(hash-table-get e \"s\" 'no)", "no"},
      {"(define st (make-hash-table 'string=?))", "st"},
      {"(hash-table-put! st \"a\" 1)", "#<undef>"},
      {"(hash-table-put! st \"a\" 2)", "#<undef>"},
      {"(hash-table-get st (string #\\a))", "2"},
      {"(hash-table-num-entries st)", "1"},
      {"(hash-table-put! st 'a 1)", "Error: hash-table-put!: string required: a"},
      {"(hash-table-num-entries st)", "1"},
      {"(define w (make-hash-table 'eqv?))", "w"},
      {"(begin (hash-table-put! w 1 10) (hash-table-put! w 2 20) (hash-table-put! w 3 30))", "#<undef>"},
      {"(let ((sum 0)) (hash-table-for-each w (lambda (k v) (set! sum (+ sum k v)))) sum)", "66"},
      {"(apply + (hash-table-map w (lambda (k v) (* k v))))", "140"},
      {"(begin (hash-table-for-each w (lambda (k v) (hash-table-delete! w k))) (hash-table-num-entries w))", "0"},
  });
}

TEST(SchemeClasses, DefineMakeSlotsAndSystemClasses) {
  Scheme s;
  run_cases(s, {
      {"(define-class <point> () (x y))", "<point>"},
      {"<point>", "#<class <point>>"},
      {"(define p (make <point>))", "p"},
      {"(slot-ref p 'x)", "#<undef>"},
      {"(begin (slot-set! p 'x 3) (slot-ref p 'x))", "3"},
      {"(slot-set! p 'x \"any value\")", "#<undef>"},
      {"(slot-ref p 'z)", "Error: slot-ref: object doesn't have such slot: z"},
      {"(slot-set! p 'z 1)", "Error: slot-ref: object doesn't have such slot: z"},
      {"(define-class <point3> (<point>) ((z :init 0)))", "<point3>"},
      {"(let ((q (make <point3>))) (slot-set! q 'z 1) (slot-set! q 'x 2) (list (slot-ref q 'x) (slot-ref q 'z)))", "(2 1)"},
      {"(slot-set! (make <sys-tm>) 'sec \"x\")", "Error: exact integer required, but got \"x\""},
      {"(let ((t (make <sys-tm>))) (slot-set! t 'year 100) (slot-ref t 'year))", "100"},
      {"(slot-ref (sys-localtime 0) 'year) ", "70"},
      {"(sys-strftime \"%Y-%m-%d\" (sys-localtime 86400))", "\"1970-01-02\""},
      {"(sys-strftime \"\" (sys-localtime 0))", "\"\""},
      {"(sys-stat \"/nonexistent/kestrel\")", "Error: sys-stat: stat error: \"/nonexistent/kestrel\""},
      {"(< 1000000000 (sys-time))", "#t"},
  });
  std::string e = s.eval("(sys-strftime \"%Y\" (make <sys-stat>))");
  EXPECT_EQ(e.rfind("Error: sys-strftime: <sys-tm> required: #<<sys-stat> 0x", 0), 0u) << e;
}

TEST(SchemeRegexp, ValuesMatchesAndReplacement) {
  Scheme s;
  run_cases(s, {
      {"(rxmatch-substring (rxmatch #/b+/ \"aabbbc\"))", "\"bbb\""},
      {"(rxmatch #/z/ \"abc\")", "#f"},
      {"(rxmatch #/ABC/i \"xabcx\")", "#<regmatch>"},
      {"(let ((m (rxmatch #/(\\d+)-(\\d+)/ \"tel 03-1234\"))) (list (rxmatch-substring m 1) (rxmatch-substring m 2) (rxmatch-start m) (rxmatch-end m 2)))",
       "(\"03\" \"1234\" 4 11)"},
      {"(let* ((s \"𠮷ab\") (m (rxmatch #/b/ s))) (list (rxmatch-start m) (rxmatch-end m) (substring s (rxmatch-start m) (rxmatch-end m))))",
       "(2 3 \"b\")"},
      {"(let* ((s \"日本𠮷𠮷語\") (m (rxmatch #/語/ s))) (substring s (rxmatch-start m) (rxmatch-end m)))", "\"語\""},
      {"(rxmatch-substring (rxmatch #/(a)(b)?/ \"a\") 2)", "#f"},
      {"(rxmatch-start (rxmatch #/(a)(b)?/ \"a\") 2)", "#f"},
      {"(rxmatch-substring (rxmatch #/a/ \"a\") 3)", "Error: submatch index out of range 3"},
      {"(rxmatch-substring #f)", "#f"},
      {"(rxmatch-num-matches #f)", "0"},
      {"(rxmatch-num-matches (rxmatch #/(a)(b)/ \"ab\"))", "3"},
      {"(regmatch? (rxmatch #/a/ \"a\"))", "#t"},
      {"(regexp? #/a/)", "#t"},
      {"(regexp? \"a\")", "#f"},
      {"(string->regexp \"(\")", "Error: invalid regexp pattern \"(\""},
      {"(regexp->string #/a\\/b/)", "\"a/b\""},
      {"(regexp->string (string->regexp \"x+\" #t))", "\"x+\""},
      {"(rxmatch (string->regexp \"abc\" #t) \"ABC\")", "#<regmatch>"},
      {"(regexp-replace #/(\\w+)-(\\w+)/ \"x-y\" \"$2 and $1\")", "\"y and x\""},
      {"(regexp-replace #/a/ \"banana\" \"o\")", "\"bonana\""},
      {"(regexp-replace-all #/a/ \"banana\" \"o\")", "\"bonono\""},
      {"(regexp-replace-all #/x*/ \"abc\" \"-\")", "\"-a-b-c-\""},
      {"(regexp-replace-all #/a/ \"banana\" (lambda (m) (string-append \"<\" (rxmatch-substring m) \">\")))",
       "\"b<a>n<a>n<a>\""},
      {"(regexp-replace #/n(a)/ \"banana\" (lambda (m) (rxmatch-substring m 1)))", "\"baana\""},
      {"(regexp-replace-all #/x*/ \"ab\" (lambda (m) \"-\"))", "\"-a-b-\""},
      {"(regexp-replace-all #/b/ \"abc\" (lambda (m) 5))", "Error: regexp-replace: string required: 5"},
      {"(regexp-replace-all #/q/ \"abc\" (lambda (m) \"!\"))", "\"abc\""},
  });
}

TEST(SchemePorts, StringPortsAndFiles) {
  Scheme s;
  kestrel::testing::TempDir dir;
  std::string d = dir.path().string();
  run_cases(s, {
      {"(let ((p (open-output-string))) (write 'a p) (display \"b\" p) (write \"c\" p) (get-output-string p))",
       "\"ab\\\"c\\\"\""},
      {"(let ((p (open-output-string))) (display 1 p) (clear-output-string p) (display 2 p) (get-output-string p))",
       "\"2\""},
      {"(output-port? (open-output-string))", "#t"},
      {"(input-port? (open-input-string \"\"))", "#t"},
      {"(port-closed? (open-input-string \"\"))", "#f"},
      {"(let ((p (open-output-string))) (close-output-port p) (display 1 p) (port-closed? p))", "#t"},
  });
  std::string file = d + "/out.txt";
  EXPECT_EQ(s.eval("(let ((p (open-output-file \"" + file + "\"))) (write '(1 \"日本\") p) (newline p) (close-output-port p))"),
            "#<undef>");
  EXPECT_EQ(s.eval("(file-exists? \"" + file + "\")"), "#t");
  EXPECT_EQ(s.eval("(file-exists? \"" + d + "/none\")"), "#f");
  EXPECT_EQ(s.eval("(read (open-input-file \"" + file + "\"))"), "(1 \"日本\")");
  EXPECT_EQ(s.eval("(slot-ref (sys-stat \"" + file + "\") 'size)"), "13");
  EXPECT_EQ(s.eval("(open-input-file \"" + d + "/none\")"), "Error: file cannot open \"" + d + "/none\"");
  EXPECT_EQ(s.eval("(open-output-file \"" + d + "/no/such/dir\")"), "Error: file cannot open \"" + d + "/no/such/dir\"");
}

TEST(SchemePorts, LoadReadsEveryEncodingWithoutSplittingCharacters) {
  Scheme s;
  kestrel::testing::TempDir dir;
  // A UTF-8 character straddling the 1023-byte refill boundary, and a
  // 4-byte one straddling the next.
  std::string body = "(define s1 \"" + std::string(1023 - 12, 'a') + "日本語\")\n";
  body += "(define s2 \"" + std::string(1021, 'b') + "𠮷\")\n";
  dir.write("utf8.scm", body);
  EXPECT_EQ(s.eval("(load \"" + dir.path().string() + "/utf8.scm\")"), "#t");
  EXPECT_EQ(s.eval("(substring s1 (- (string-length s1) 3))"), "\"日本語\"");
  EXPECT_EQ(s.eval("(string-ref s2 (- (string-length s2) 1))"), "#\\𠮷");
  // CP932 (not valid UTF-8): 日本 is 93 FA 96 7B; the lead byte lands on
  // the refill boundary.
  std::string cp932 = "(define s3 \"" + std::string(1023 - 12, 'c') + "\x93\xfa\x96\x7b\")\n";
  dir.write("sjis.scm", cp932);
  EXPECT_EQ(s.eval("(load \"" + dir.path().string() + "/sjis.scm\")"), "#t");
  EXPECT_EQ(s.eval("(substring s3 (- (string-length s3) 2))"), "\"日本\"");
  // UTF-16 little-endian with a byte-order mark.
  std::u16string text16 = u"(define s4 \"ユニコード\")";
  std::string bytes = "\xff\xfe";
  for (char16_t c : text16) {
    bytes.push_back(static_cast<char>(c & 0xFF));
    bytes.push_back(static_cast<char>(c >> 8));
  }
  dir.write("utf16.scm", bytes);
  EXPECT_EQ(s.eval("(load \"" + dir.path().string() + "/utf16.scm\")"), "#t");
  EXPECT_EQ(s.eval("s4"), "\"ユニコード\"");
}

TEST(SchemeLoad, LoadPathRequireUseAndErrorsInsideFiles) {
  Scheme s;
  kestrel::testing::TempDir dir;
  dir.write("mod.scm", "(define mod-value 42)\n(define (mod-fn) (+ mod-value 1))\n");
  dir.write("bad.scm", "(define before 1)\n(car '())\n(define after 2)\n");
  std::string d = dir.path().string();
  EXPECT_EQ(s.eval("(set! *load-path* (cons \"" + d + "\" *load-path*))"), "*load-path*");
  run_cases(s, {
      {"(load \"mod.scm\")", "#t"},
      {"(mod-fn)", "43"},
      {"(require \"mod\")", "#t"},
      {"(use mod)", "#t"},
      {"(load \"bad.scm\")", "Error: car: pair required: ()"},
      {"before", "1"},
      {"after", "Error: unbounded variable after"},
      {"(load \"./definitely-missing.scm\")", "Error: load: can not find file \"./definitely-missing.scm\""},
  });
  EXPECT_EQ(load_file(s.sc(), dir.path() / "mod.scm"), 0);
  EXPECT_EQ(load_file(s.sc(), dir.path() / "missing.scm"), 1);
  EXPECT_EQ(utf16_to_utf8(last_message(s.sc())), "fatal error: file cannot open " + d + "/missing.scm");
  std::string long_path = "/" + std::string(5000, 'x');
  EXPECT_EQ(load_file(s.sc(), long_path), 1);
  EXPECT_LT(last_message(s.sc()).size(), 1024u);
}

TEST(SchemeSystem, WinExecAndClipboard) {
  Scheme s;
  kestrel::testing::TempDir dir;
  std::string marker = dir.path().string() + "/made by win-exec";
  run_cases(s, {
      {"(win-exec \"/nonexistent/program\")", "Error: win-exec: can not execute"},
      {"(win-exec (make-string 1023 #\\a))", "Error: command is too long"},
      {"(win-exec \"\")", "Error: win-exec: can not execute"},
  });
  EXPECT_EQ(s.eval("(win-exec \"touch\" \"'" + marker + "'\")"), "#t");
  for (int i = 0; i < 200 && !std::filesystem::exists(marker); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_TRUE(std::filesystem::exists(marker));

  EXPECT_EQ(split_command_line(u"a  'b c' \"d \\\"e\\\"\" f\\ g"),
            (std::vector<std::string>{"a", "b c", "d \"e\"", "f g"}));
  EXPECT_EQ(split_command_line(u"  "), std::vector<std::string>{});
  EXPECT_EQ(split_command_line(u"x'y'\"z\""), std::vector<std::string>{"xyz"});

  kestrel::testing::ScriptedUi ui;
  EXPECT_EQ(s.eval("(win-get-clipboard-text)"), "#f");
  ui.clipboard = u"クリップ";
  ui.has_clipboard = true;
  EXPECT_EQ(s.eval("(win-get-clipboard-text)"), "\"クリップ\"");
}

TEST(SchemeMisc, GcDebugInfoAndNop) {
  Scheme s;
  run_cases(s, {
      {"(gc)", "#t"},
      {"(_debug_info)", "()"},
      {"(procedure? _nop)", "#t"},
  });
  Value v = make_string(s.sc(), u"kept");
  EXPECT_EQ(protect(s.sc(), v), 0);
  EXPECT_EQ(s.eval("(_debug_info)"), "(\"kept\")");
  unprotect(s.sc(), v);
  EXPECT_EQ(s.eval("(_debug_info)"), "()");
}

}  // namespace
}  // namespace kestrel::scheme::testing
