// Application primitives registered as callbacks, and the entry points the
// application uses (they nest inside callbacks).
#include "scheme_fixture.h"
#include "support/scripted_ui.h"

namespace kestrel::scheme::testing {
namespace {

Value twice(Interp& sc, Value* args, int) { return make_integer(sc, args[0]->ival * 2); }

Value echo_rest(Interp&, Value* args, int) { return args[0]; }

Value count_args(Interp& sc, Value*, int argc) { return make_integer(sc, argc); }

Value refuse(Interp& sc, Value* args, int) { return fail(sc, u"refuse: not today", args[0]); }

// Calls back into the interpreter from inside a callback.
Value call_thunk(Interp& sc, Value* args, int) {
  Value r = apply_procedure(sc, args[0]);
  return r ? r : false_value(sc);
}

Value build_list(Interp& sc, Value*, int) {
  GcInhibit inhibit(sc);
  Value l = nil(sc);
  for (int i = 0; i < 1000; ++i) l = cons(sc, make_integer(sc, i * 1000000), l);
  return l;
}

TEST(SchemeCallbacks, RegisteredPrimitivesAreCheckedAndCalled) {
  Scheme s;
  Interp& sc = s.sc();
  ASSERT_EQ(register_callback(sc, u"twice", twice, 1, 1, "N"), 0);
  ASSERT_EQ(register_callback(sc, u"echo-rest", echo_rest, 1, 1, "D"), 0);
  ASSERT_EQ(register_callback(sc, u"count-args", count_args, 0, 2, "AA"), 0);
  ASSERT_EQ(register_callback(sc, u"refuse", refuse, 1, 1, "A"), 0);
  ASSERT_EQ(register_callback(sc, u"call-thunk", call_thunk, 1, 1, "p"), 0);
  ASSERT_EQ(register_callback(sc, u"build-list", build_list, 0, 0, ""), 0);
  EXPECT_EQ(register_callback(sc, u"too-many-codes", twice, 0, 40, std::string(32, 'A')), 1);
  run_cases(s, {
      {"(twice 4)", "8"},
      {"twice", "#<callback function twice>"},
      {"(procedure? twice)", "#t"},
      {"(twice \"a\")", "Error: twice: number required: \"a\""},
      {"(twice)", "Error: wrong number of arguments: twice requires 1, but got 0"},
      {"(echo-rest \"a\" 1)", "(\"a\" 1)"},
      {"(count-args 1 2 3 4)", "2"},
      {"(refuse 5)", "Error: refuse: not today 5"},
      {"(call-thunk (lambda () (+ 1 2)))", "3"},
      {"(+ 1 (call-thunk (lambda () (call-thunk (lambda () 10)))))", "11"},
      {"(call-thunk (lambda () (car '())))", "#f"},
      {"(length (build-list))", "1000"},
      {"(map twice '(1 2 3))", "(2 4 6)"},
  });
  EXPECT_NE(lookup_global(sc, u"twice"), nullptr);
  EXPECT_EQ(lookup_global(sc, u"no-such-global"), nullptr);
}

TEST(SchemeEntryPoints, ApplyValueToTextRaiseErrorAndHooks) {
  Scheme s;
  Interp& sc = s.sc();
  Value proc = eval_text(sc, u"(lambda () (display \"hi\") 7)");
  ASSERT_NE(proc, nullptr);
  ASSERT_EQ(protect(sc, proc), 0);
  s.out.clear();
  Value r = apply_procedure(sc, proc);
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(r->ival, 7);
  EXPECT_EQ(s.output(), "hi");
  EXPECT_EQ(utf16_to_utf8(value_to_text(sc, eval_text(sc, u"'(a \"b\" #\\c)"))), "(a b c)");
  s.err.clear();
  raise_error(sc, u"from the application");
  EXPECT_EQ(utf16_to_utf8(s.err), "Error: from the application\n");
  EXPECT_TRUE(last_run_failed(sc));
  define_global(sc, u"app-value", make_integer(sc, 99));
  EXPECT_EQ(s.eval("app-value"), "99");
  int token = 0;
  set_app_context(sc, &token);
  EXPECT_EQ(app_context(sc), &token);
  uint32_t mods = 99, key = 99;
  get_cancel_key(sc, &mods, &key);
  EXPECT_EQ(mods, 0u);
  EXPECT_EQ(key, 3u);
  set_cancel_key(sc, 0x08, 0x51);
  get_cancel_key(sc, &mods, &key);
  EXPECT_EQ(mods, 0x08u);
  EXPECT_EQ(key, 0x51u);
}

TEST(SchemeEntryPoints, AFatalErrorNeverLeavesTheCollectorOff) {
  Scheme s;
  Interp& sc = s.sc();
  sc.inhibit_gc = 3;  // as a fatal error inside an inhibited section would leave it
  EXPECT_EQ(s.eval("(+ 1 1)"), "2");
  EXPECT_EQ(sc.inhibit_gc, 0);
  EXPECT_TRUE(sc.dump.empty());
}

TEST(SchemeEntryPoints, FatalErrorShowsAMessageBoxByDefault) {
  InterpPtr sc = create_interpreter();
  ASSERT_TRUE(sc);
  kestrel::testing::ScriptedUi ui;
  EXPECT_EQ(eval_text(*sc, u"(make-vector 9223372036854775807)"), nullptr);
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].text, u"fatal error: no memory");
  EXPECT_EQ(ui.boxes[0].title, u"scheme fatal error");
  EXPECT_EQ(ui.boxes[0].flags, kestrel::mb::OK | kestrel::mb::ICONERROR);
  Value v = eval_text(*sc, u"(+ 2 3)");
  ASSERT_NE(v, nullptr);
  EXPECT_EQ(v->ival, 5);
}

}  // namespace
}  // namespace kestrel::scheme::testing
