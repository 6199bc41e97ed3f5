// Reading text into values and printing them back.
#include "scheme_fixture.h"

namespace kestrel::scheme::testing {
namespace {

TEST(SchemeReader, LiteralFormsRoundTrip) {
  Scheme s;
  run_cases(s, {
      {"'(a . b)", "(a . b)"},
      {"'(1 (2 (3)) #(4 5) \"s\" #\\x)", "(1 (2 (3)) #(4 5) \"s\" #\\x)"},
      {"'(a b . c)", "(a b . c)"},
      {"''x", "'x"},
      {"'(quote x y)", "(quote x y)"},
      {"'`(a ,b ,@c)", "`(a ,b ,@c)"},
      {"'#(1 2)", "#(1 2)"},
      {"''#(1 2)", "'#(1 2)"},
      {"'`#(1 ,x)", "`#(1 ,x)"},
      {"#(1 (2) \"x\")", "#(1 (2) \"x\")"},
      {"'()", "()"},
      {"#t", "#t"},
      {"#f", "#f"},
      {"-12", "-12"},
      {"+7", "7"},
      {"'-", "-"},
      {"'+", "+"},
      {"'1a", "1a"},
      {"'.5", ".5"},
      {"'1.5", "1.5"},
      {"'Foo", "Foo"},
      {"(eq? 'Foo 'foo)", "#f"},
      {"\"a\\qb\"", "\"aqb\""},
      {"\"\\\\\"", "\"\\\\\""},
      {"\"tab\\there\\r\\n\"", "\"tab\\there\\r\\n\""},
      {"#\\Space", "#\\space"},
      {"#\\NEWLINE", "#\\newline"},
      {"#\\tab", "#\\tab"},
      {"#\\(", "#\\("},
      {"#\\abc", "#\\a"},
      {"#x1F", "31"},
      {"#o17", "15"},
      {"#d10", "10"},
      {"#x-10", "-16"},
      {"#y", "Error: Undefined sharp expression"},
      {"#| a #| b |# c |# 5", "5"},
      {"; comment\n 6", "6"},
      {"#! line comment\n 7", "7"},
      {"'(1 #| inner |# 2)", "(1 2)"},
      {"#/a\\/b/i", "#/a\\/b/i"},
      {"#/x+/", "#/x+/"},
      {"'(a . b c)", "Error: syntax error -- illegal dot expression"},
      {"'( . a)", "Error: syntax error -- illegal dot expression"},
      {"'(a .)", "Error: syntax error -- illegal dot expression"},
      {"'(a", "Error: syntax error -- EOF inside a list"},
      {")", "Error: syntax error -- illegal token"},
      {"#(1 . 2)", "Error: vector constructer require list: (1 . 2)"},
      {"#/(/", "Error: invalid regexp pattern"},
  });
}

TEST(SchemeReader, IntegerLiteralsUseTheWhole64BitRange) {
  Scheme s;
  run_cases(s, {
      {"3000000000", "3000000000"},
      {"-3000000000", "-3000000000"},
      {"9223372036854775807", "9223372036854775807"},
      {"-9223372036854775808", "-9223372036854775808"},
      {"9223372036854775808", "9223372036854775807"},
      {"-99999999999999999999999", "-9223372036854775808"},
      {"#xFFFFFFFFFFFFFFFFFF", "9223372036854775807"},
  });
}

TEST(SchemeReader, JapaneseTextAndCharactersAboveBmp) {
  Scheme s;
  run_cases(s, {
      {"\"日本語\"", "\"日本語\""},
      {"'(表 . 示)", "(表 . 示)"},
      {"(string-length \"日本語\")", "3"},
      {"(string-length \"𠮷\")", "1"},
      {"#\\𠮷", "#\\𠮷"},
      {"(char->integer #\\𠮷)", "134071"},
      {"(string-ref \"a𠮷b\" 1)", "#\\𠮷"},
      {"(string-ref \"a𠮷b\" 2)", "#\\b"},
      {"(substring \"a𠮷b\" 1 3)", "\"𠮷b\""},
      {"(string->symbol \"シンボル\")", "シンボル"},
  });
}

TEST(SchemeReader, DeepNestingNeedsNoMachineStackHeavy) {
  Scheme s;
  const int depth = 200000;
  std::string text = "'" + std::string(depth, '(') + "x" + std::string(depth, ')');
  std::string printed = s.eval(text);
  ASSERT_EQ(printed.size(), text.size() - 1);
  EXPECT_EQ(printed, text.substr(1));
  std::string vec = "'" ;
  for (int i = 0; i < 50000; ++i) vec += "#(";
  vec += std::string(50000, ')');
  EXPECT_EQ(s.eval(vec), vec.substr(1));
}

TEST(SchemePrinter, EveryKindOfValue) {
  Scheme s;
  run_cases(s, {
      {"car", "#<subr car>"},
      {"(lambda (x) x)", "#<closure>"},
      {"when", "#<macro>"},
      {"if", "#<syntax>"},
      {"(make-hash-table)", "#<hash-table eq?>"},
      {"(make-hash-table 'eqv?)", "#<hash-table eqv?>"},
      {"(make-hash-table 'equal?)", "#<hash-table equal?>"},
      {"(make-hash-table 'string=?)", "#<hash-table string=?>"},
      {"(interaction-environment)", "(#<hash-table unknown>)"},
      {"(current-output-port)", "#<oport (stdout)>"},
      {"(input-port? (current-input-port))", "#t"},
      {"(let ((p (open-input-string \"x\"))) (close-input-port p) p)", "#<iport(closed) (string)>"},
      {"(open-output-string)", "#<oport (string)>"},
      {"(call/cc (lambda (k) k))", "#<continuation>"},
      {"(read (open-input-string \"\"))", "#<eof>"},
      {"(if #f #f)", "#<undef>"},
      {"<sys-tm>", "#<class <sys-tm>>"},
      {"(rxmatch #/a/ \"a\")", "#<regmatch>"},
      {"(string->regexp \"a/b\" #t)", "#/a\\/b/i"},
      {"(list 1 \"two\" #\\3 'four)", "(1 \"two\" #\\3 four)"},
      {"(list #\\space #\\newline #\\return #\\tab)", "(#\\space #\\newline #\\return #\\tab)"},
      {"'(quasiquote (unquote x))", "`,x"},
      {"'(unquote-splicing x)", ",@x"},
      {"'(quote-vector (1))", "'#(1)"},
  });
  std::string obj = s.eval("(make <sys-tm>)");
  EXPECT_EQ(obj.rfind("#<<sys-tm> 0x", 0), 0u) << obj;
  EXPECT_EQ(obj.size(), std::string("#<<sys-tm> 0x0123456789ABCDEF>").size()) << obj;
}

TEST(SchemePrinter, DisplayWritesStringsAndCharactersRaw) {
  Scheme s;
  s.eval("(display \"\\\"\\n\")");
  EXPECT_EQ(s.output(), "\"\n");
  s.eval("(write \"\\\"\\n\")");
  EXPECT_EQ(s.output(), "\"\\\"\\n\"");
  s.eval("(display '(#\\a \"b\"))");
  EXPECT_EQ(s.output(), "(a b)");
  s.eval("(write-char #\\𠮷)");
  EXPECT_EQ(s.output(), "𠮷");
  EXPECT_EQ(utf16_to_utf8(value_to_text(s.sc(), make_string(s.sc(), u"x\"y"))), "x\"y");
}

TEST(SchemeReader, ReadFromStringPortsAndTheInterpreterStaysUsableAfterErrors) {
  Scheme s;
  run_cases(s, {
      {"(read (open-input-string \"(1 2 . 3)\"))", "(1 2 . 3)"},
      {"(let ((p (open-input-string \"a (b\"))) (read p) (read p))", "Error: syntax error -- EOF inside a list"},
      {"(+ 1 1)", "2"},
      {"(let ((p (open-input-string \"xy\"))) (list (peek-char p) (read-char p) (read-char p) (eof-object? (read-char p))))",
       "(#\\x #\\x #\\y #t)"},
      {"(let ((p (open-input-string \"x\"))) (close-input-port p) (read p))",
       "Error: I/O attempted on closed port #<iport(closed) (string)>"},
  });
}

}  // namespace
}  // namespace kestrel::scheme::testing
