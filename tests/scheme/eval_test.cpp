// The evaluator: special forms, procedures, macros, quasiquote,
// continuations, errors and cancelling.
#include "scheme_fixture.h"

namespace kestrel::scheme::testing {
namespace {

TEST(SchemeEval, ProceduresAndOptionalParameters) {
  Scheme s;
  run_cases(s, {
      {"((lambda (a b) a) 1 2 3)", "1"},
      {"((lambda (a b) a) 1)", "Error: few arguments"},
      {"((lambda (a . r) r) 1 2 3)", "(2 3)"},
      {"((lambda r r))", "()"},
      {"(define (f a :optional (b (+ a 1))) b)", "f"},
      {"(f 1)", "2"},
      {"(f 1 5)", "5"},
      {"(f)", "Error: few arguments"},
      {"(define (g a :optional b) b)", "g"},
      {"(g 1)", "#<undef>"},
      {"(define (h :optional (a 1) (b (+ a 1)) . r) (list a b r))", "h"},
      {"(h)", "(1 2 ())"},
      {"(h 5)", "(5 6 ())"},
      {"(h 5 6 7 8)", "(5 6 (7 8))"},
      {"((lambda (1) 1) 2)", "Error: syntax error in closure"},
      {"(1 2)", "Error: illegal function 1"},
      {"(\"f\")", "Error: illegal function \"f\""},
  });
}

TEST(SchemeEval, DefinitionsAndAssignment) {
  Scheme s;
  run_cases(s, {
      {"(define x 1)", "x"},
      {"x", "1"},
      {"(set! x 2)", "x"},
      {"x", "2"},
      {"(set! yy 2)", "Error: unbounded variable yy"},
      {"undefined-thing", "Error: unbounded variable undefined-thing"},
      {"(undefined-proc 1)", "Error: unbounded variable undefined-proc"},
      {"(define 1 2)", "Error: Variable is not symbol 1"},
      {"(define-macro 1 2)", "Error: variable is not a symbol 1"},
      {"(define (inner) (define z 5) z) (inner)", "5"},
      {"(symbol-bound? 'z)", "#f"},
      {"(let ((zz 1)) (symbol-bound? 'zz))", "#t"},
  });
}

TEST(SchemeEval, ConditionalsAndBindingForms) {
  Scheme s;
  run_cases(s, {
      {"(if #f #f)", "#<undef>"},
      {"(if '() 1 2)", "1"},
      {"(if 0 1 2)", "1"},
      {"(if)", "Error: syntax error"},
      {"(cond ((assv 2 '((1 . a) (2 . b))) => cdr))", "b"},
      {"(cond)", "Error: Syntax error in cond"},
      {"(cond 5)", "Error: Syntax error in cond"},
      {"(cond (#f 1))", "#<undef>"},
      {"(cond (5))", "5"},
      {"(cond (#f 1) (else 2))", "2"},
      {"(and)", "#t"},
      {"(or)", "#f"},
      {"(and 1 2)", "2"},
      {"(and 1 #f 3)", "#f"},
      {"(or #f 3)", "3"},
      {"(begin)", "()"},
      {"(begin 1 2 3)", "3"},
      {"(let ((x 1) (y 2)) (+ x y))", "3"},
      {"(let ((x)) x)", "Error: let: invalid operation (x)"},
      {"(let ((x 1)) (let ((x 2) (y x)) y))", "1"},
      {"(let loop ((i 0)) (if (< i 10000) (loop (+ i 1)) i))", "10000"},
      {"(let* ((x 1) (y (+ x 1))) y)", "2"},
      {"(let* () 5)", "5"},
      {"(let* (x) 1)", "Error: syntax error"},
      {"(letrec ((ev? (lambda (n) (if (= n 0) #t (od? (- n 1))))) (od? (lambda (n) (if (= n 0) #f (ev? (- n 1)))))) (ev? 1001))",
       "#f"},
      {"(define (lo . args) (let-optionals args ((a 1) (b (+ a 1))) (list a b)))", "lo"},
      {"(lo)", "(1 2)"},
      {"(lo 5)", "(5 6)"},
      {"(lo 5 9)", "(5 9)"},
      {"(lo 5 6 7)", "Error: too many arguments"},
      {"(let-optionals '(1) (a b) (list a b))", "(1 #<undef>)"},
      {"(let-optionals nosuch ((a 1)) a)", "Error: unbounded variable nosuch"},
      {"(let-optionals 5 ((a 1)) a)", "Error: let-optionals: list required: 5"},
      {"(do ((i 0 (+ i 1)) (acc '() (cons i acc))) ((= i 3) acc))", "(2 1 0)"},
      {"(case 3 ((1 2) 'low) ((3 4) 'mid) (else 'high))", "mid"},
      {"(case 9 ((1 2) 'low) (else 'high))", "high"},
      {"(when #f 1)", "#<undef>"},
      {"(unless #f 1 2)", "2"},
  });
}

TEST(SchemeEval, MacrosExpandOncePerCallForm) {
  Scheme s;
  run_cases(s, {
      {"(define-macro (swap! a b) (let ((t (gensym))) `(let ((,t ,a)) (set! ,a ,b) (set! ,b ,t))))", "swap!"},
      {"(define p 1) (define q 2) (swap! p q) (list p q)", "(2 1)"},
      {"(define n 0)", "n"},
      {"(define-macro (counted) (set! n (+ n 1)) 1)", "counted"},
      {"(define (use-it) (counted))", "use-it"},
      {"(list (use-it) (use-it) (use-it) n)", "(1 1 1 1)"},
      {"(macroexpand-1 '(when a b))", "(if a (begin b))"},
      {"(define-macro (my-when . x) `(when ,@x))", "my-when"},
      {"(macroexpand-1 '(my-when a b))", "(when a b)"},
      {"(macroexpand '(my-when a b))", "(if a (begin b))"},
      {"(macroexpand '(unknown-thing 1))", "Error: unbounded variable unknown-thing"},
      {"(macroexpand '(car 1))", "(car 1)"},
      {"(macroexpand 5)", "5"},
      {"(macro? when)", "#t"},
      {"(closure? when)", "#f"},
      {"(define-macro bad 5)", "Error: define-macro: closure required: 5"},
      {"(get-closure-code (lambda (x) (+ x 1)))", "(lambda (x) (+ x 1))"},
      {"(get-closure-code car)", "#f"},
      {"(gensym? (gensym))", "#t"},
      {"(gensym? 'a)", "#f"},
      {"(eq? (gensym) (gensym))", "#f"},
  });
}

TEST(SchemeEval, QuasiquoteWithNesting) {
  Scheme s;
  run_cases(s, {
      {"`(1 ,@(list 2 3) 4)", "(1 2 3 4)"},
      {"`(1 ,(+ 1 1) ,@'())", "(1 2)"},
      {"(define x '(1))", "x"},
      {"`(1 . ,@x)", "Error: unquote-splicing in invalid context"},
      {"`(1 . ,(+ 1 1))", "(1 . 2)"},
      {"`(a `(b ,(c ,(+ 1 2))))", "(a `(b ,(c 3)))"},
      {"`(a `(b ,(c ,@(list 1 2))))", "(a `(b ,(c 1 2)))"},
      {"`(a `(b ,,(car x)))", "(a `(b ,1))"},
      {"`#(1 ,(+ 1 1) ,@x)", "#(1 2 1)"},
      {"`x", "x"},
      {"`()", "()"},
      {"`5", "5"},
      {"`(quote ,(car x))", "'1"},
      {"(quasiquote)", "Error: syntax error"},
      {"(quasiquote 1 2)", "Error: syntax error"},
      {"`(1 (unquote))", "Error: syntax error"},
      {"(let ((cons 'shadowed)) `(1 ,(+ 1 1)))", "(1 2)"},
  });
}

TEST(SchemeEval, ContinuationsEscapeAndReenter) {
  Scheme s;
  run_cases(s, {
      {"(call-with-current-continuation (lambda (k) (+ 1 (k 42))))", "42"},
      {"(+ 1 (call/cc (lambda (k) 1)))", "2"},
      {"(let ((n 0) (k #f)) (call/cc (lambda (c) (set! k c))) (set! n (+ n 1)) (if (< n 5) (k 'again)) n)", "5"},
      {"(define (find-first pred l) (call/cc (lambda (return) (for-each (lambda (x) (if (pred x) (return x))) l) #f)))",
       "find-first"},
      {"(find-first even? '(1 3 4 5 6))", "4"},
      {"(find-first even? '(1 3))", "#f"},
      {"(define r '())", "r"},
      {"(define kk #f)", "kk"},
      {"(set! r (cons (call/cc (lambda (k) (set! kk k) 1)) r)) (if (< (length r) 3) (kk 2)) r", "(2 1)"},
      {"(call-with-values (lambda () (values 1 2)) +)", "3"},
      {"(call-with-values (lambda () 5) list)", "(5)"},
      {"(call-with-values values list)", "()"},
      {"(call-with-values (lambda () (call/cc (lambda (k) (k 1 2)))) list)", "(1 2)"},
      {"(receive (a . rest) (values 1 2 3) (list a rest))", "(1 (2 3))"},
      {"(+ 1 (values 2 3))", "3"},
  });
}

TEST(SchemeEval, ErrorsCarryExactTextsAndUnwind) {
  Scheme s;
  run_cases(s, {
      {"(error \"boom\" 1 \"x\" #\\y)", "Error: boom 1 \"x\" #\\y"},
      {"(error \"plain\")", "Error: plain"},
      {"(error 'who \"what\")", "Error: who \"what\""},
      {"(car 1)", "Error: car: pair required: 1"},
      {"(+ 1 \"a\")", "Error: +: number required: \"a\""},
      {"(cons 1)", "Error: wrong number of arguments: cons requires 2, but got 1"},
      {"(vector-ref (vector 1) 5)", "Error: vector-ref index out of range: 5"},
      {"(vector-set! (vector 1) 1 0)", "Error: vector-set! index out of range: 1"},
      {"(length '(1 . 2))", "Error: length: list required: (1 . 2)"},
      {"(apply + 1 2)", "Error: last argument must be list"},
      {"(apply + 1 '(2 3))", "6"},
      {"(apply list '())", "()"},
      {"(load \"no-such-file.scm\")", "Error: load: can not find file \"no-such-file.scm\""},
      {"(use no-such-module)", "Error: load: can not find file \"no-such-module.scm\""},
      {"(string-ref 5 0)", "Error: string-ref: string required: 5"},
      {"(make-vector -1)", "Error: make-vector: positive number required: -1"},
      {"(read-char 5)", "Error: read-char: input port required: 5"},
      {"(display 1 (open-input-string \"\"))", "Error: display: output port required: #<iport (string)>"},
      {"(get-output-string (current-output-port))", "Error: get-output-string: output string port required: #<oport (stdout)>"},
      {"(call-with-values 1 2)", "Error: call-with-values: procedure required: 1"},
      {"(regexp-replace #/a/ \"a\" 5)", "Error: regexp-replace: string or procedure required: 5"},
      {"(hash-table-get 5 1)", "Error: hash-table-get: hash-table required: 5"},
      {"(make 5)", "Error: make: class required: 5"},
      {"(slot-ref 5 'a)", "Error: slot-ref: object required: 5"},
      {"(rxmatch-start 5)", "Error: rxmatch-start: regmatch required: 5"},
      {"(rxmatch \"a\" \"a\")", "Error: rxmatch: regexp required: \"a\""},
      {"(symbol->string \"a\")", "Error: symbol->string: symbol required: \"a\""},
      {"(char->integer 1)", "Error: char->integer: character required: 1"},
      {"(reverse 1)", "Error: reverse: list required: 1"},
      {"(close-input-port 1)", "Error: close-input-port: port required: 1"},
      {"(+ 1 1)", "2"},
  });
  // Output written before an error stays; the error text goes to the error port.
  EXPECT_EQ(s.eval("(begin (display \"partial\") (car '()))"), "Error: car: pair required: ()");
  EXPECT_EQ(s.output(), "partial");
  EXPECT_EQ(utf16_to_utf8(last_message(s.sc())), "Error: car: pair required: ()");
}

TEST(SchemeEval, ProperTailCallsRunInConstantSpaceHeavy) {
  Scheme s;
  EXPECT_EQ(s.eval("(let loop ((i 0)) (if (< i 10000000) (loop (+ i 1)) i))"), "10000000");
  EXPECT_EQ(s.eval("(define (count n) (cond ((= n 0) 'done) (else (count (- n 1))))) (count 1000000)"), "done");
  EXPECT_EQ(s.eval("(define (f n) (and #t (or #f (if (= n 0) 'ok (f (- n 1)))))) (f 1000000)"), "ok");
  HeapStats st = heap_stats(s.sc());
  EXPECT_LE(st.segments, 4u);
  EXPECT_LE(st.dump_capacity, 256u);
}

TEST(SchemeEval, DeepNonTailRecursionHeavy) {
  Scheme s;
  EXPECT_EQ(s.eval("(define (deep n) (if (= n 0) 0 (+ 1 (deep (- n 1))))) (deep 30000)"), "30000");
  EXPECT_EQ(s.eval("(length (map (lambda (x) x) (iota 30000)))"), "30000");
}

TEST(SchemeEval, RunawayRecursionIsACleanFatalErrorHeavy) {
  Scheme s;
  EXPECT_EQ(s.eval("(define (inf n) (+ 1 (inf n))) (inf 1)"), "FATAL: fatal error: no memory");
  ASSERT_EQ(s.fatal.size(), 1u);
  EXPECT_EQ(utf16_to_utf8(s.fatal[0]), "fatal error: no memory");
  EXPECT_EQ(s.eval("(define (inf2) (if (inf2) 1 2)) (inf2)"), "FATAL: fatal error: no memory");
  EXPECT_EQ(s.eval("(+ 1 2)"), "3");
  EXPECT_EQ(s.eval("(deep-enough)"), "Error: unbounded variable deep-enough");
}

bool cancel_after_polls(void* ctx) {
  int& n = *static_cast<int*>(ctx);
  return --n <= 0;
}

TEST(SchemeEval, CancelStopsARunAndLeavesTheInterpreterUsable) {
  Scheme s;
  int polls = 20;
  set_cancel_poll(s.sc(), cancel_after_polls, &polls);
  EXPECT_EQ(s.eval("(let loop () (loop))"), "Error: canceled");
  EXPECT_TRUE(was_canceled(s.sc()));
  set_cancel_poll(s.sc(), nullptr, nullptr);
  EXPECT_EQ(s.eval("(+ 1 1)"), "2");
  EXPECT_FALSE(was_canceled(s.sc()));
  // A request from another thread or a signal handler.
  request_cancel(s.sc());
  // The request made before the run starts is dropped at its start.
  EXPECT_EQ(s.eval("(let loop ((i 0)) (if (< i 10000) (loop (+ i 1)) i))"), "10000");
}

TEST(SchemeEval, EvalApplyAndEnvironments) {
  Scheme s;
  run_cases(s, {
      {"(eval '(+ 1 2))", "3"},
      {"(eval '(+ 1 2) (interaction-environment))", "3"},
      {"(let ((x 5)) (eval 'x))", "5"},
      {"(apply + 1 2 '(3 4))", "10"},
      {"(apply (lambda args args) '(1 2))", "(1 2)"},
      {"(procedure? car)", "#t"},
      {"(procedure? (lambda () 1))", "#t"},
      {"(procedure? when)", "#f"},
      {"(exit 3)", "#<undef>"},
  });
  int status = 0;
  EXPECT_TRUE(exit_requested(s.sc(), &status));
  EXPECT_EQ(status, 3);
  clear_exit_request(s.sc());
  EXPECT_EQ(s.eval("(begin (display 1) (exit) (display 2)) (display 3)"), "#<undef>");
  EXPECT_EQ(s.output(), "1");
}

}  // namespace
}  // namespace kestrel::scheme::testing
