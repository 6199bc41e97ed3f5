// The operation table: every evaluator step, special form and built-in
// procedure is one numbered operation. Entries of kind Builtin become subr
// values bound to their names at creation; Syntax entries become special
// forms; Internal entries are steps of the evaluator only.
//
// X(enum, function, name, kind, min args, max args (-1 = any), type codes)
// A type-code string shorter than the arguments repeats its last code for
// variadic built-ins.
#pragma once

#include <cstdint>

namespace kestrel::scheme {

struct Interp;

#define KESTREL_SCHEME_OPS(X)                                                        \
  /* evaluator steps */                                                              \
  X(LOAD_LOOP, op_load_loop, nullptr, Internal, 0, 0, "")                            \
  X(EVAL, op_eval, nullptr, Internal, 0, 0, "")                                      \
  X(OPERATOR_DONE, op_operator_done, nullptr, Internal, 0, 0, "")                    \
  X(GATHER, op_gather, nullptr, Internal, 0, 0, "")                                  \
  X(APPLY, op_apply, nullptr, Internal, 0, 0, "")                                    \
  X(RUN_EXPANSION, op_run_expansion, nullptr, Internal, 0, 0, "")                    \
  X(OPTIONAL_DEFAULT, op_optional_default, nullptr, Internal, 0, 0, "")              \
  X(OPTIONAL_BIND, op_optional_bind, nullptr, Internal, 0, 0, "")                    \
  X(STOP, op_stop, nullptr, Internal, 0, 0, "")                                      \
  X(DEFINE1, op_define1, nullptr, Internal, 0, 0, "")                                \
  X(DEFMACRO1, op_defmacro1, nullptr, Internal, 0, 0, "")                            \
  X(BEGIN_NEXT, op_begin, nullptr, Internal, 0, 0, "")                               \
  X(IF1, op_if1, nullptr, Internal, 0, 0, "")                                        \
  X(SET1, op_set1, nullptr, Internal, 0, 0, "")                                      \
  X(LET1, op_let1, nullptr, Internal, 0, 0, "")                                      \
  X(LETSTAR1, op_letstar1, nullptr, Internal, 0, 0, "")                              \
  X(LETREC1, op_letrec1, nullptr, Internal, 0, 0, "")                                \
  X(LETOPT1, op_letopt1, nullptr, Internal, 0, 0, "")                                \
  X(LETOPT2, op_letopt2, nullptr, Internal, 0, 0, "")                                \
  X(COND1, op_cond1, nullptr, Internal, 0, 0, "")                                    \
  X(AND1, op_and1, nullptr, Internal, 0, 0, "")                                      \
  X(OR1, op_or1, nullptr, Internal, 0, 0, "")                                        \
  X(QQVEC1, op_qqvec1, nullptr, Internal, 0, 0, "")                                  \
  X(CWV_CONSUME, op_cwv_consume, nullptr, Internal, 0, 0, "")                        \
  X(HASH_WALK, op_hash_walk, nullptr, Internal, 0, 0, "")                            \
  X(MACROEXPAND1, op_macroexpand_step, nullptr, Internal, 0, 0, "")                  \
  X(REPLACE_STEP, op_replace_step, nullptr, Internal, 0, 0, "")                      \
  /* special forms */                                                                \
  X(QUOTE, op_quote, "quote", Syntax, 0, 0, "")                                      \
  X(QUOTE_VECTOR, op_quote_vector, "quote-vector", Syntax, 0, 0, "")                 \
  X(LAMBDA, op_lambda, "lambda", Syntax, 0, 0, "")                                   \
  X(DEFINE0, op_define0, "define", Syntax, 0, 0, "")                                 \
  X(DEFMACRO0, op_defmacro0, "define-macro", Syntax, 0, 0, "")                       \
  X(IF0, op_if0, "if", Syntax, 0, 0, "")                                             \
  X(BEGIN, op_begin, "begin", Syntax, 0, 0, "")                                      \
  X(SET0, op_set0, "set!", Syntax, 0, 0, "")                                         \
  X(LET0, op_let0, "let", Syntax, 0, 0, "")                                          \
  X(LETSTAR0, op_letstar0, "let*", Syntax, 0, 0, "")                                 \
  X(LETREC0, op_letrec0, "letrec", Syntax, 0, 0, "")                                 \
  X(LETOPT0, op_letopt0, "let-optionals", Syntax, 0, 0, "")                          \
  X(COND0, op_cond0, "cond", Syntax, 0, 0, "")                                       \
  X(AND0, op_and0, "and", Syntax, 0, 0, "")                                          \
  X(OR0, op_or0, "or", Syntax, 0, 0, "")                                             \
  X(QUASIQUOTE, op_quasiquote, "quasiquote", Syntax, 0, 0, "")                       \
  X(QQVEC0, op_qqvec0, "_quasiquote-vec", Syntax, 0, 0, "")                          \
  X(USE, op_use, "use", Syntax, 0, 0, "")                                            \
  /* built-in procedures, in table order */                                          \
  X(LOAD, op_load, "load", Builtin, 1, 1, "S")                                       \
  X(REQUIRE, op_require, "require", Builtin, 1, 1, "S")                              \
  X(READ, op_read, "read", Builtin, 0, 1, "I")                                       \
  X(READ_CHAR, op_read_char, "read-char", Builtin, 0, 1, "I")                        \
  X(PEEK_CHAR, op_peek_char, "peek-char", Builtin, 0, 1, "I")                        \
  X(EVAL_PROC, op_eval_proc, "eval", Builtin, 1, 2, "A")                             \
  X(APPLY_PROC, op_apply_proc, "apply", Builtin, 1, -1, "A")                         \
  X(CALLCC, op_callcc, "call-with-current-continuation", Builtin, 1, 1, "p")         \
  X(ADD, op_add, "+", Builtin, 0, -1, "N")                                           \
  X(SUB, op_sub, "-", Builtin, 0, -1, "N")                                           \
  X(MUL, op_mul, "*", Builtin, 0, -1, "N")                                           \
  X(DIV, op_div, "/", Builtin, 1, -1, "N")                                           \
  X(REMAINDER, op_remainder, "remainder", Builtin, 2, 2, "NN")                       \
  X(MODULO, op_modulo, "modulo", Builtin, 2, 2, "NN")                                \
  X(CAR, op_car, "car", Builtin, 1, 1, "P")                                          \
  X(CDR, op_cdr, "cdr", Builtin, 1, 1, "P")                                          \
  X(CONS, op_cons, "cons", Builtin, 2, 2, "AA")                                      \
  X(SET_CAR, op_set_car, "set-car!", Builtin, 2, 2, "PA")                            \
  X(SET_CDR, op_set_cdr, "set-cdr!", Builtin, 2, 2, "PA")                            \
  X(EQ, op_eq, "eq?", Builtin, 2, 2, "AA")                                           \
  X(EQV, op_eqv, "eqv?", Builtin, 2, 2, "AA")                                        \
  X(EQUAL, op_equal, "equal?", Builtin, 2, 2, "AA")                                  \
  X(NOT, op_not, "not", Builtin, 1, 1, "A")                                          \
  X(BOOLEANP, op_booleanp, "boolean?", Builtin, 1, 1, "A")                           \
  X(NULLP, op_nullp, "null?", Builtin, 1, 1, "A")                                    \
  X(NUM_EQ, op_num_eq, "=", Builtin, 1, -1, "N")                                     \
  X(NUM_LT, op_num_lt, "<", Builtin, 1, -1, "N")                                     \
  X(NUM_GT, op_num_gt, ">", Builtin, 1, -1, "N")                                     \
  X(NUM_LE, op_num_le, "<=", Builtin, 1, -1, "N")                                    \
  X(NUM_GE, op_num_ge, ">=", Builtin, 1, -1, "N")                                    \
  X(NUMBERP, op_numberp, "number?", Builtin, 1, 1, "A")                              \
  X(INTEGERP, op_numberp, "integer?", Builtin, 1, 1, "A")                            \
  X(NUM2STR, op_number_to_string, "number->string", Builtin, 1, 2, "N+")             \
  X(STR2NUM, op_string_to_number, "string->number", Builtin, 1, 2, "S+")             \
  X(PROCEDUREP, op_procedurep, "procedure?", Builtin, 1, 1, "A")                     \
  X(PAIRP, op_pairp, "pair?", Builtin, 1, 1, "A")                                    \
  X(CLOSUREP, op_closurep, "closure?", Builtin, 1, 1, "A")                           \
  X(MACROP, op_macrop, "macro?", Builtin, 1, 1, "A")                                 \
  X(LISTP, op_listp, "list?", Builtin, 1, 1, "A")                                    \
  X(LENGTH, op_length, "length", Builtin, 1, 1, "A")                                 \
  X(WRITE, op_write, "write", Builtin, 1, 2, "AO")                                   \
  X(WRITE_CHAR, op_write_char, "write-char", Builtin, 1, 2, "CO")                    \
  X(DISPLAY, op_display, "display", Builtin, 1, 2, "AO")                             \
  X(NEWLINE, op_newline, "newline", Builtin, 0, 1, "O")                              \
  X(ERROR, op_error, "error", Builtin, 0, -1, "A")                                   \
  X(REVERSE, op_reverse, "reverse", Builtin, 1, 1, "L")                              \
  X(APPEND, op_append, "append", Builtin, 0, -1, "A")                                \
  X(INTERACTION_ENV, op_interaction_env, "interaction-environment", Builtin, 0, 0, "") \
  X(EXIT, op_exit, "exit", Builtin, 0, 1, "N")                                       \
  X(GC, op_gc, "gc", Builtin, 0, 0, "")                                              \
  X(VECTORP, op_vectorp, "vector?", Builtin, 1, 1, "A")                              \
  X(MAKE_VECTOR, op_make_vector, "make-vector", Builtin, 1, 2, "+A")                 \
  X(VECTOR_REF, op_vector_ref, "vector-ref", Builtin, 2, 2, "V+")                    \
  X(VECTOR_SET, op_vector_set, "vector-set!", Builtin, 3, 3, "V+A")                  \
  X(VECTOR_LENGTH, op_vector_length, "vector-length", Builtin, 1, 1, "V")            \
  X(CHARP, op_charp, "char?", Builtin, 1, 1, "A")                                    \
  X(CHAR2INT, op_char_to_integer, "char->integer", Builtin, 1, 1, "C")               \
  X(INT2CHAR, op_integer_to_char, "integer->char", Builtin, 1, 1, "+")               \
  X(SYMBOLP, op_symbolp, "symbol?", Builtin, 1, 1, "A")                              \
  X(SYMBOL_BOUNDP, op_symbol_boundp, "symbol-bound?", Builtin, 1, 1, "Y")            \
  X(SYMBOL2STR, op_symbol_to_string, "symbol->string", Builtin, 1, 1, "Y")           \
  X(STRINGP, op_stringp, "string?", Builtin, 1, 1, "A")                              \
  X(MAKE_STRING, op_make_string, "make-string", Builtin, 1, 2, "+C")                 \
  X(STRING_LENGTH, op_string_length, "string-length", Builtin, 1, 1, "S")            \
  X(STR2SYMBOL, op_string_to_symbol, "string->symbol", Builtin, 1, 1, "S")           \
  X(STRING_REF, op_string_ref, "string-ref", Builtin, 2, 2, "S+")                    \
  X(STRING_SET, op_string_set, "string-set!", Builtin, 3, 3, "S+C")                  \
  X(SUBSTRING, op_substring, "substring", Builtin, 2, 3, "S++")                      \
  X(STRING_APPEND, op_string_append, "string-append", Builtin, 0, -1, "S")           \
  X(STRING_CMP, op_string_cmp, "_string-cmp?", Builtin, 3, 3, "pSS")                 \
  X(STRING_CMP_CI, op_string_cmp_ci, "_string-cmp-ci?", Builtin, 3, 3, "pSS")        \
  X(GET_CLOSURE_CODE, op_get_closure_code, "get-closure-code", Builtin, 1, 1, "A")   \
  X(MACROEXPAND_1, op_macroexpand_1, "macroexpand-1", Builtin, 1, 1, "A")            \
  X(MACROEXPAND, op_macroexpand, "macroexpand", Builtin, 1, 1, "A")                  \
  X(GENSYM, op_gensym, "gensym", Builtin, 0, 0, "")                                  \
  X(GENSYMP, op_gensymp, "gensym?", Builtin, 1, 1, "A")                              \
  X(OUTPUT_PORTP, op_output_portp, "output-port?", Builtin, 1, 1, "A")               \
  X(CURRENT_OUTPUT_PORT, op_current_output_port, "current-output-port", Builtin, 0, 0, "") \
  X(OPEN_OUTPUT_FILE, op_open_output_file, "open-output-file", Builtin, 1, 1, "S")   \
  X(OPEN_OUTPUT_STRING, op_open_output_string, "open-output-string", Builtin, 0, 0, "") \
  X(GET_OUTPUT_STRING, op_get_output_string, "get-output-string", Builtin, 1, 1, "o") \
  X(CLEAR_OUTPUT_STRING, op_clear_output_string, "clear-output-string", Builtin, 1, 1, "o") \
  X(CLOSE_OUTPUT_PORT, op_close_port, "close-output-port", Builtin, 1, 1, "T")       \
  X(INPUT_PORTP, op_input_portp, "input-port?", Builtin, 1, 1, "A")                  \
  X(CURRENT_INPUT_PORT, op_current_input_port, "current-input-port", Builtin, 0, 0, "") \
  X(OPEN_INPUT_FILE, op_open_input_file, "open-input-file", Builtin, 1, 1, "S")      \
  X(OPEN_INPUT_STRING, op_open_input_string, "open-input-string", Builtin, 1, 1, "S") \
  X(CLOSE_INPUT_PORT, op_close_port, "close-input-port", Builtin, 1, 1, "T")         \
  X(PORT_CLOSEDP, op_port_closedp, "port-closed?", Builtin, 1, 1, "T")               \
  X(EOF_OBJECTP, op_eof_objectp, "eof-object?", Builtin, 1, 1, "A")                  \
  X(FILE_EXISTSP, op_file_existsp, "file-exists?", Builtin, 1, 1, "S")               \
  X(VALUES, op_values, "values", Builtin, 0, -1, "A")                                \
  X(CALL_WITH_VALUES, op_call_with_values, "call-with-values", Builtin, 2, 2, "pp")  \
  X(REGEXPP, op_regexpp, "regexp?", Builtin, 1, 1, "A")                              \
  X(REGEXP2STR, op_regexp_to_string, "regexp->string", Builtin, 1, 1, "R")           \
  X(STR2REGEXP, op_string_to_regexp, "string->regexp", Builtin, 1, 2, "SA")          \
  X(RXMATCH, op_rxmatch, "rxmatch", Builtin, 2, 2, "RS")                             \
  X(REGMATCHP, op_regmatchp, "regmatch?", Builtin, 1, 1, "A")                        \
  X(RXMATCH_NUM, op_rxmatch_num_matches, "rxmatch-num-matches", Builtin, 1, 1, "M")  \
  X(RXMATCH_SUBSTRING, op_rxmatch_substring, "rxmatch-substring", Builtin, 1, 2, "MN") \
  X(RXMATCH_START, op_rxmatch_start, "rxmatch-start", Builtin, 1, 2, "MN")           \
  X(RXMATCH_END, op_rxmatch_end, "rxmatch-end", Builtin, 1, 2, "MN")                 \
  X(REGEXP_REPLACE, op_regexp_replace, "regexp-replace", Builtin, 3, 3, "RSs")       \
  X(REGEXP_REPLACE_ALL, op_regexp_replace_all, "regexp-replace-all", Builtin, 3, 3, "RSs") \
  X(MAKE_HASH_TABLE, op_make_hash_table, "make-hash-table", Builtin, 0, 1, "Y")      \
  X(HASH_TABLE_TYPE, op_hash_table_type, "hash-table-type", Builtin, 1, 1, "H")      \
  X(HASH_TABLE_PUT, op_hash_table_put, "hash-table-put!", Builtin, 3, 3, "HAA")      \
  X(HASH_TABLE_DELETE, op_hash_table_delete, "hash-table-delete!", Builtin, 2, 2, "HA") \
  X(HASH_TABLE_GET, op_hash_table_get, "hash-table-get", Builtin, 2, 3, "HAA")       \
  X(HASH_TABLE_EXISTSP, op_hash_table_existsp, "hash-table-exists?", Builtin, 2, 2, "HA") \
  X(HASH_TABLE_NUM, op_hash_table_num_entries, "hash-table-num-entries", Builtin, 1, 1, "H") \
  X(HASH_TABLE_FOR_EACH, op_hash_table_for_each, "hash-table-for-each", Builtin, 2, 2, "Hp") \
  X(HASH_TABLE_MAP, op_hash_table_map, "hash-table-map", Builtin, 2, 2, "Hp")        \
  X(HASH_TABLEP, op_hash_tablep, "hash-table?", Builtin, 1, 1, "A")                  \
  X(DEFINE_CLASS, op_define_class, "_define-class", Builtin, 3, 3, "SLL")            \
  X(MAKE, op_make, "make", Builtin, 1, 1, "k")                                       \
  X(SLOT_REF, op_slot_ref, "slot-ref", Builtin, 2, 2, "bY")                          \
  X(SLOT_SET, op_slot_set, "slot-set!", Builtin, 3, 3, "bYA")                        \
  X(SYS_TIME, op_sys_time, "sys-time", Builtin, 0, 0, "")                            \
  X(SYS_LOCALTIME, op_sys_localtime, "sys-localtime", Builtin, 1, 1, "N")            \
  X(SYS_STRFTIME, op_sys_strftime, "sys-strftime", Builtin, 2, 2, "Sb")              \
  X(SYS_STAT, op_sys_stat, "sys-stat", Builtin, 1, 1, "S")                           \
  X(WIN_EXEC, op_win_exec, "win-exec", Builtin, 1, -1, "S")                          \
  X(WIN_GET_CLIPBOARD_TEXT, op_win_get_clipboard_text, "win-get-clipboard-text", Builtin, 0, 0, "") \
  X(DEBUG_INFO, op_debug_info, "_debug_info", Builtin, 0, 0, "")                     \
  X(NOP, op_nop, "_nop", Builtin, 0, 0, "")

enum Op : uint32_t {
#define KESTREL_SCHEME_OP_ENUM(e, fn, name, kind, mn, mx, codes) OP_##e,
  KESTREL_SCHEME_OPS(KESTREL_SCHEME_OP_ENUM)
#undef KESTREL_SCHEME_OP_ENUM
      OP_COUNT
};

enum class OpKind : uint8_t { Internal, Syntax, Builtin };

// An operation runs one step and names the next one in sc.op; false stops
// the run.
using OpFn = bool (*)(Interp&);

struct OpInfo {
  OpFn fn;
  const char* name;  // UTF-8, ASCII in practice
  OpKind kind;
  int min_args;
  int max_args;
  const char* codes;
};

extern const OpInfo kOpTable[OP_COUNT];

#define KESTREL_SCHEME_OP_DECL(e, fn, name, kind, mn, mx, codes) bool fn(Interp&);
KESTREL_SCHEME_OPS(KESTREL_SCHEME_OP_DECL)
#undef KESTREL_SCHEME_OP_DECL

}  // namespace kestrel::scheme
