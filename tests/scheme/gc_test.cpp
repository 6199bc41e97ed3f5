// The collector under pressure: building and dropping large structures,
// running out of cells, finalisers, and the byte-threshold collection.
#include "scheme_fixture.h"

namespace kestrel::scheme::testing {
namespace {

TEST(SchemeGc, BuildAndDropHundredsOfMegabytesHeavy) {
  Scheme s;
  // Lists: 60 rounds of 100,000 pairs (about 200 MB of cells in all).
  EXPECT_EQ(s.eval("(define (build n acc) (if (= n 0) acc (build (- n 1) (cons (* n 1000) acc))))"
                   "(define (rounds k total) (if (= k 0) total (rounds (- k 1) (+ total (length (build 100000 '()))))))"
                   "(rounds 60 0)"),
            "6000000");
  // Strings: 400 strings of 131,072 units (100 MB of blocks).
  EXPECT_EQ(s.eval("(let loop ((i 0) (n 0)) (if (< i 400) (loop (+ i 1) (+ n (string-length (make-string 131072 #\\x)))) n))"),
            "52428800");
  // Vectors and hash tables.
  EXPECT_EQ(s.eval("(let loop ((i 0)) (if (< i 2000) (begin (let ((h (make-hash-table 'equal?))) (hash-table-put! h (make-string 10) (make-vector 100 i))) (loop (+ i 1))) i))"),
            "2000");
  HeapStats st = heap_stats(s.sc());
  EXPECT_LE(st.segments, kMaxSegments);
  EXPECT_LT(st.block_bytes, 64u << 20);
  EXPECT_GT(st.collections, 10u);
}

TEST(SchemeGc, LiveDataSurvivesCollectionsHeavy) {
  Scheme s;
  run_cases(s, {
      {"(define keep (let loop ((i 0) (acc '())) (if (< i 30000) (loop (+ i 1) (cons (list i (number->string i)) acc)) acc)))", "keep"},
      {"(define v (make-vector 1000 #f))", "v"},
      {"(let loop ((i 0)) (if (< i 1000) (begin (vector-set! v i (make-string 5 #\\z)) (loop (+ i 1)))))", "#<undef>"},
      {"(define h (make-hash-table 'string=?))", "h"},
      {"(let loop ((i 0)) (if (< i 5000) (begin (hash-table-put! h (number->string i) (list i)) (loop (+ i 1)))))", "#<undef>"},
      {"(let loop ((i 0)) (if (< i 200000) (begin (cons i i) (loop (+ i 1))) 'churned))", "churned"},
      {"(gc)", "#t"},
      {"(length keep)", "30000"},
      {"(cadr (car keep))", "\"29999\""},
      {"(vector-ref v 999)", "\"zzzzz\""},
      {"(hash-table-get h \"4999\")", "(4999)"},
      {"(hash-table-num-entries h)", "5000"},
  });
}

TEST(SchemeGc, RunningOutOfCellsIsFatalAndRecoverableHeavy) {
  Scheme s;
  EXPECT_EQ(s.eval("(define (build n acc) (if (= n 0) acc (build (- n 1) (cons n acc)))) (define big (build 500000 '()))"),
            "FATAL: fatal error: no memory");
  EXPECT_EQ(heap_stats(s.sc()).segments, kMaxSegments);
  EXPECT_EQ(s.eval("(+ 1 2)"), "3");
  EXPECT_EQ(s.eval("(length (build 1000 '()))"), "1000");
}

TEST(SchemeGc, ContinuationsAndClosuresKeepTheirFrames) {
  Scheme s;
  run_cases(s, {
      {"(define saved #f)", "saved"},
      {"(define count 0)", "count"},
      {"(list 1 (call/cc (lambda (k) (set! saved k) 2)) (begin (gc) 3))", "(1 2 3)"},
      {"(define (make-counter) (let ((n 0)) (lambda () (set! n (+ n 1)) n)))", "make-counter"},
      {"(define c (make-counter))", "c"},
      {"(begin (c) (gc) (c) (c))", "3"},
  });
}

}  // namespace
}  // namespace kestrel::scheme::testing
