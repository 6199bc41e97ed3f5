// Regular-expression values and the rxmatch family on the program's regex
// engine. Match positions are UTF-16 indexes inside the engine and
// character indexes (a surrogate pair counts once) in the macro language,
// like every string procedure.
#include <memory>

#include "platform/utf16.h"
#include "regex/regex.h"
#include "scheme/interp_p.h"

namespace kestrel::scheme {

struct RegexpData {
  std::unique_ptr<Regex> re;
  int32_t icase = 0;
  std::u16string source;
};

struct RegmatchData {
  RegexMatch regs;
  int groups = 0;
  Cell* subject = nullptr;
};

void regexp_free(Interp& sc, RegexpData* r) { block_delete(sc, r); }
void regmatch_free(Interp& sc, RegmatchData* m) { block_delete(sc, m); }
Cell* regmatch_subject(const RegmatchData* m) { return m->subject; }
std::u16string_view regexp_source(const RegexpData* r) { return r->source; }
bool regexp_icase(const RegexpData* r) { return r->icase != 0; }

Cell* mk_regexp(Interp& sc, std::u16string_view pattern, bool icase, std::u16string* error) {
  RegexError err;
  std::unique_ptr<Regex> re = compile_regex(pattern, icase ? kRegexIgnoreCase : 0, &err);
  if (!re) {
    *error = err.code == RegexErrorCode::kNoMemory ? kRegexNoMemoryMessage : kRegexInvalidPatternMessage;
    return nullptr;
  }
  Interp* psc = &sc;
  re->set_cancel_check([psc] { return psc->cancel_requested.load(std::memory_order_relaxed); });
  Cell* c = get_cell(sc, nullptr, nullptr);
  c->flag = 0;
  auto* d = block_new<RegexpData>(sc);
  d->re = std::move(re);
  d->icase = icase ? 1 : 0;
  d->source.assign(pattern);
  c->flag = T_REGEXP | kAtomFlag;
  c->ptr = d;
  c->cdr = nullptr;
  return c;
}

namespace {

inline Cell* arg0(Interp& sc) { return car(sc.args); }
inline Cell* arg1(Interp& sc) { return cadr(sc.args); }
inline RegexpData* rx(Cell* c) { return static_cast<RegexpData*>(c->ptr); }
inline RegmatchData* rm(Cell* c) { return static_cast<RegmatchData*>(c->ptr); }

Cell* mk_regmatch(Interp& sc, const Regex& re, Cell* subject) {
  Root rs(sc, subject);
  Cell* c = get_cell(sc, subject, nullptr);
  c->flag = 0;
  auto* d = block_new<RegmatchData>(sc);
  d->regs = re.registers();
  d->groups = re.group_count();
  d->subject = subject;
  c->flag = T_REGMATCH | kAtomFlag;
  c->ptr = d;
  c->cdr = nullptr;
  return c;
}

// Looks up group n (default 0) of a regmatch argument; false after an error
// has been set up. `*m` is null when the match argument is #f.
bool group_of(Interp& sc, RegmatchData** m, TextPos* s, TextPos* e, bool* error) {
  *error = false;
  *m = arg0(sc) == sc.F ? nullptr : rm(arg0(sc));
  if (!*m) return false;
  int64_t n = is_pair(cdr(sc.args)) ? arg1(sc)->ival : 0;
  if (n < 0 || n > (*m)->groups) {
    s_error(sc, u"submatch index out of range", is_pair(cdr(sc.args)) ? arg1(sc) : nullptr);
    *error = true;
    return false;
  }
  *s = (*m)->regs.start[static_cast<std::size_t>(n)];
  *e = (*m)->regs.end[static_cast<std::size_t>(n)];
  return *s != kNoTextPos;
}

bool position_result(Interp& sc, bool start) {
  RegmatchData* m;
  TextPos s, e;
  bool error;
  if (!group_of(sc, &m, &s, &e, &error)) return error ? true : s_return(sc, sc.F);
  TextPos p = start ? s : e;
  return s_return(sc, mk_integer(sc, static_cast<int64_t>(string_char_index(m->subject, static_cast<std::size_t>(p)))));
}

bool replace_failed(Interp& sc) { return s_error_msg(sc, kRegexNoMemoryMessage); }

// Replacement by a procedure runs as evaluator steps, one call per match.
// State vector: #(regexp subject proc output-port position all?)
enum ReplaceSlot { kRx, kSubject, kProc, kOut, kPos, kAll, kSlots };

bool replace_next(Interp& sc, Cell* state) {
  auto* v = vector_data(state);
  Regex& re = *rx(v->items[kRx])->re;
  Cell* subject = v->items[kSubject];
  std::u16string_view text = string_view_of(subject);
  auto pos = static_cast<std::size_t>(v->items[kPos]->ival);
  PortData* out = port_data(v->items[kOut]);
  if (pos > text.size() || !re.execute(text, pos)) {
    if (re.abandoned()) return replace_failed(sc);
    if (pos < text.size()) out->buf.append(text.substr(pos));
    return s_return(sc, mk_string(sc, out->buf));
  }
  auto ms = static_cast<std::size_t>(re.match_start());
  out->buf.append(text.substr(pos, ms - pos));
  Root rs(sc, state);
  Cell* m = mk_regmatch(sc, re, subject);
  s_save(sc, OP_REPLACE_STEP, state, sc.NIL);
  return s_apply(sc, v->items[kProc], mk_cons(sc, m, sc.NIL));
}

bool replace_start(Interp& sc, bool all) {
  Cell* proc = car(cddr(sc.args));
  Regex& re = *rx(arg0(sc))->re;
  std::u16string_view subject = string_view_of(arg1(sc));
  if (is_string(proc)) {
    std::u16string out;
    RegexReplaceStatus st = regex_replace(re, subject, string_view_of(proc), RegexReplaceSyntax::kTemplate,
                                          all ? RegexReplaceScope::kAll : RegexReplaceScope::kFirst, out);
    if (st != RegexReplaceStatus::kOk) return replace_failed(sc);
    return s_return(sc, mk_string(sc, out));
  }
  Cell* state = mk_vector(sc, kSlots, sc.F);
  Root rs(sc, state);
  auto* v = vector_data(state);
  v->items[kRx] = arg0(sc);
  v->items[kSubject] = arg1(sc);
  v->items[kProc] = proc;
  v->items[kOut] = mk_output_string_port(sc);
  v->items[kPos] = mk_integer(sc, 0);
  v->items[kAll] = all ? sc.T : sc.F;
  return replace_next(sc, state);
}

}  // namespace

bool op_replace_step(Interp& sc) {
  Cell* state = sc.args;
  auto* v = vector_data(state);
  if (!is_string(sc.value)) return s_error(sc, u"regexp-replace: string required:", sc.value);
  PortData* out = port_data(v->items[kOut]);
  out->buf.append(string_view_of(sc.value));
  Regex& re = *rx(v->items[kRx])->re;
  std::u16string_view text = string_view_of(v->items[kSubject]);
  // The regexp may have been used by the procedure: the match is recomputed
  // from the position where this search started.
  auto pos = static_cast<std::size_t>(v->items[kPos]->ival);
  if (pos > text.size() || !re.execute(text, pos)) {  // the procedure changed the subject
    if (pos < text.size()) out->buf.append(text.substr(pos));
    return s_return(sc, mk_string(sc, out->buf));
  }
  auto ms = static_cast<std::size_t>(re.match_start());
  auto me = static_cast<std::size_t>(re.match_end());
  std::size_t next = me;
  if (ms == me) {  // an empty match: keep the next character and move past it
    if (me >= text.size()) return s_return(sc, mk_string(sc, out->buf));
    std::size_t len;
    code_point_at(text, me, &len);
    out->buf.append(text.substr(me, len));
    next = me + len;
  }
  if (v->items[kAll] == sc.F) {
    if (next < text.size()) out->buf.append(text.substr(next));
    return s_return(sc, mk_string(sc, out->buf));
  }
  v->items[kPos] = mk_integer(sc, static_cast<int64_t>(next));
  return replace_next(sc, state);
}

bool op_regexpp(Interp& sc) { return s_return(sc, is_type(arg0(sc), T_REGEXP) ? sc.T : sc.F); }
bool op_regexp_to_string(Interp& sc) { return s_return(sc, mk_string(sc, rx(arg0(sc))->source)); }

bool op_string_to_regexp(Interp& sc) {
  Cell* flag = nth_arg(sc.args, 1);
  std::u16string error;
  Cell* r = mk_regexp(sc, string_view_of(arg0(sc)), flag && flag != sc.F, &error);
  if (!r) return s_error(sc, error, arg0(sc));
  return s_return(sc, r);
}

bool op_rxmatch(Interp& sc) {
  Regex& re = *rx(arg0(sc))->re;
  if (!re.execute(string_view_of(arg1(sc)))) {
    if (re.status() == RegexStatus::kNoMemory) return s_error_msg(sc, kRegexNoMemoryMessage);
    return s_return(sc, sc.F);
  }
  return s_return(sc, mk_regmatch(sc, re, arg1(sc)));
}

bool op_regmatchp(Interp& sc) { return s_return(sc, is_type(arg0(sc), T_REGMATCH) ? sc.T : sc.F); }

bool op_rxmatch_num_matches(Interp& sc) {
  if (arg0(sc) == sc.F) return s_return(sc, mk_integer(sc, 0));
  return s_return(sc, mk_integer(sc, rm(arg0(sc))->groups + 1));
}

bool op_rxmatch_substring(Interp& sc) {
  RegmatchData* m;
  TextPos s, e;
  bool error;
  if (!group_of(sc, &m, &s, &e, &error)) return error ? true : s_return(sc, sc.F);
  std::u16string_view text = string_view_of(m->subject);
  return s_return(sc, mk_string(sc, text.substr(static_cast<std::size_t>(s), static_cast<std::size_t>(e - s))));
}

bool op_rxmatch_start(Interp& sc) { return position_result(sc, true); }
bool op_rxmatch_end(Interp& sc) { return position_result(sc, false); }
bool op_regexp_replace(Interp& sc) { return replace_start(sc, false); }
bool op_regexp_replace_all(Interp& sc) { return replace_start(sc, true); }

}  // namespace kestrel::scheme
