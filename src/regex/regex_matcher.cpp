// The matcher: a backtracking VM over the compiled Program.
//
// Every choice point lives on an explicit stack (never the machine stack):
//   Choice  - resume at pc with a position (and call state) when backtracking
//   Undo    - restore one register to its old value when backtracking past it
//   Barrier - start of a lookaround or atomic group; popped when the body fails
// A lookaround or atomic group that succeeds "cuts" its choice points: they
// are removed but its Undo entries stay, so that failing later still restores
// the registers it set. Recursion keeps call frames in an append-only arena
// that backtracking truncates.
//
// The VM is a template over the text: FlatText reads a UTF-16 string
// directly; SourceText goes through the RegexTextSource interface.
#include <algorithm>
#include <cstring>
#include <new>

#include "platform/utf16.h"
#include "regex/regex_p.h"

namespace kestrel::rx {

namespace {

// kRunBack: a greedy kRepeatOne that can still give characters back; the
// kRunFloor entry below it holds the position it may not go below.
enum class EntryKind : std::uint8_t { kChoice, kUndo, kBarrier, kRunBack, kRunFloor };

struct Entry {
  EntryKind kind;
  std::int32_t pc;          // choice: resume pc; undo: register; barrier: pc of its kLookStart
  std::int32_t call_top;    // choice, barrier
  std::uint32_t arena_size; // choice, barrier
  TextPos pos;              // choice, barrier: position; undo: old value
};

struct CallFrame {
  std::int32_t ret_pc;
  std::int32_t parent;
  std::int32_t group;
  std::int32_t depth;
  TextPos pos;
};

inline char32_t combine(char16_t hi, char16_t lo) {
  return 0x10000 + ((static_cast<char32_t>(hi) - 0xD800) << 10) + (static_cast<char32_t>(lo) - 0xDC00);
}

struct FlatText {
  const char16_t* s;
  TextPos n;

  bool at_end(TextPos p) const { return p >= n; }
  bool at_start(TextPos p) const { return p <= 0; }
  // Reads the character at p and moves p past it; false at the end.
  bool read(TextPos& p, char32_t& c) const {
    if (p >= n) return false;
    const char16_t u = s[p];
    if (u >= 0xD800 && u <= 0xDBFF && p + 1 < n && s[p + 1] >= 0xDC00 && s[p + 1] <= 0xDFFF) {
      c = combine(u, s[p + 1]);
      p += 2;
    } else {
      c = u;
      p += 1;
    }
    return true;
  }
  char32_t at(TextPos p) const {
    char32_t c = kEndOfText;
    read(p, c);
    return c;
  }
  TextPos next(TextPos p) const {
    char32_t c;
    read(p, c);
    return p;
  }
  TextPos prev(TextPos p) const {
    if (p >= 2 && s[p - 1] >= 0xDC00 && s[p - 1] <= 0xDFFF && s[p - 2] >= 0xD800 && s[p - 2] <= 0xDBFF) return p - 2;
    return p - 1;
  }
  bool line_start(TextPos p) const { return p <= 0 || s[p - 1] == u'\n'; }
  bool line_end(TextPos p) const {
    if (p >= n) return true;
    if (s[p] == u'\n') return p == 0 || s[p - 1] != u'\r';
    return s[p] == u'\r' && p + 1 < n && s[p + 1] == u'\n';
  }
  bool match_units(TextPos& p, const char16_t* units, std::int32_t len) const {
    if (n - p < len) return false;
    if (std::memcmp(s + p, units, static_cast<std::size_t>(len) * sizeof(char16_t)) != 0) return false;
    p += len;
    return true;
  }
  bool unit_is(TextPos p, char16_t u) const { return p < n && s[p] == u; }
};

struct SourceText {
  const RegexTextSource* src;

  bool at_end(TextPos p) const { return src->at_text_end(p); }
  bool at_start(TextPos p) const { return src->at_text_start(p); }
  bool read(TextPos& p, char32_t& c) const {
    if (src->at_text_end(p)) return false;
    c = src->char_at(p);
    p = src->next(p);
    return true;
  }
  char32_t at(TextPos p) const { return src->at_text_end(p) ? kEndOfText : src->char_at(p); }
  TextPos next(TextPos p) const { return src->next(p); }
  TextPos prev(TextPos p) const { return src->prev(p); }
  bool line_start(TextPos p) const { return src->at_line_start(p); }
  bool line_end(TextPos p) const { return src->at_line_end(p); }
  bool unit_is(TextPos p, char16_t u) const { return !src->at_text_end(p) && src->char_at(p) == u; }
  bool match_units(TextPos& p, const char16_t* units, std::int32_t len) const {
    TextPos q = p;
    for (std::int32_t i = 0; i < len; ++i) {
      char32_t c;
      if (!read(q, c) || c != units[i]) return false;
    }
    p = q;
    return true;
  }
};

}  // namespace

struct MatcherState {
  std::vector<Entry> stack;
  std::vector<TextPos> regs;
  std::vector<CallFrame> frames;
  std::vector<TextPos> saved;  // registers saved by each call frame
  std::uint64_t steps = 0;
  RegexStatus abort = RegexStatus::kNoMatch;  // set when the search gives up
};

void MatcherStateDeleter::operator()(MatcherState* st) const { delete st; }

MatcherStatePtr make_matcher_state() {
  MatcherStatePtr st(new MatcherState);
  st->stack.reserve(kRegexInitialStackSize);
  return st;
}

namespace {

template <class Text>
class Vm {
 public:
  Vm(const Program& prog, MatcherState& st, const Text& text, const MatchInput& in,
     const MatchLimits& lim, TextPos search_start)
      : prog_(prog), st_(st), t_(text), in_(in), lim_(lim), search_start_(search_start),
        nregs_(kLoopBase + prog.loop_registers) {
    st_.regs.assign(static_cast<std::size_t>(nregs_), kNoTextPos);
  }

  // Tries one start position; true on a match (registers in st_.regs).
  // A pattern that begins with an assertion (\b, ^, ...) is checked first,
  // which spares the set-up at most positions of a text.
  bool run(TextPos start) {
    const Inst& lead = prog_.insts[1];
    if (lead.op == Op::kAssert && !check_anchor(lead.anchor, lead.fold, start)) return false;
    st_.stack.clear();
    st_.frames.clear();
    st_.saved.clear();
    std::fill(st_.regs.begin(), st_.regs.end(), kNoTextPos);
    return execute(start);
  }

 private:
  void push(EntryKind kind, std::int32_t pc, TextPos pos) {
    if (st_.stack.size() >= kRegexMaxStackEntries) throw std::bad_alloc();
    st_.stack.push_back(Entry{kind, pc, call_top_, static_cast<std::uint32_t>(st_.frames.size()), pos});
  }
  void set_reg(std::int32_t r, TextPos v) {
    TextPos& slot = st_.regs[static_cast<std::size_t>(r)];
    if (slot == v) return;
    if (!st_.stack.empty()) push(EntryKind::kUndo, r, slot);
    slot = v;
  }
  void truncate_frames(std::uint32_t size) {
    if (st_.frames.size() > size) {
      st_.frames.resize(size);
      st_.saved.resize(static_cast<std::size_t>(size) * nregs_);
    }
  }
  bool count_step() {
    ++st_.steps;
    if (lim_.step_limit != 0 && st_.steps > lim_.step_limit) {
      st_.abort = RegexStatus::kStepLimit;
      return false;
    }
    if ((st_.steps & 0xFFF) == 0 && lim_.cancel && *lim_.cancel && (*lim_.cancel)()) {
      st_.abort = RegexStatus::kCancelled;
      return false;
    }
    return true;
  }

  bool is_word_at(TextPos p, unsigned fold) const {
    const char32_t c = t_.at(p);
    return c != kEndOfText && is_word_char(fold_char(c, fold));
  }

  bool check_anchor(AnchorKind k, unsigned fold, TextPos pos) const {
    switch (k) {
      case AnchorKind::kLineStart: return t_.line_start(pos);
      case AnchorKind::kLineEnd: return t_.line_end(pos);
      case AnchorKind::kTextStart: return t_.at_start(pos);
      case AnchorKind::kTextEnd: return t_.at_end(pos);
      case AnchorKind::kTextEndOrFinalBreak: {
        if (t_.at_end(pos)) return true;
        TextPos p = pos;
        char32_t c = 0;
        t_.read(p, c);
        if (c == U'\r') {
          if (!t_.read(p, c)) return false;
        }
        return c == U'\n' && t_.at_end(p);
      }
      case AnchorKind::kWordBoundary:
      case AnchorKind::kNotWordBoundary: {
        const bool before = !t_.at_start(pos) && is_word_at(t_.prev(pos), fold);
        const bool after = is_word_at(pos, fold);
        return (before != after) == (k == AnchorKind::kWordBoundary);
      }
      default: {
        const int u = static_cast<int>(k) - static_cast<int>(AnchorKind::kUser0);
        if (in_.user_set) return pos == in_.user_positions[u];
        return (u == 0 || u == 2) ? pos == search_start_ : t_.at_end(pos);
      }
    }
  }

  // One character of a kRepeatOne body.
  bool one_char(const Inst& in, TextPos& pos) const {
    char32_t c;
    TextPos p = pos;
    if (!t_.read(p, c)) return false;
    switch (in.op) {
      case Op::kChar: if (c != in.c) return false; break;
      case Op::kCharFold: if (fold_char(c, in.fold) != in.c) return false; break;
      case Op::kAny: if (c == U'\n') return false; break;
      case Op::kAnyAll: break;
      default: if (!prog_.classes[static_cast<std::size_t>(in.a)].matches(c)) return false; break;
    }
    pos = p;
    return true;
  }

  bool backref(const Inst& in, TextPos& pos) const {
    const TextPos s = st_.regs[2 * in.a];
    const TextPos e = st_.regs[2 * in.a + 1];
    if (s == kNoTextPos || e == kNoTextPos) return false;
    TextPos p = s;
    TextPos q = pos;
    while (p != e) {
      char32_t a, b;
      if (!t_.read(p, a) || !t_.read(q, b)) return false;
      if (a != b && fold_char(a, in.fold) != fold_char(b, in.fold)) return false;
    }
    pos = q;
    return true;
  }

  // Index of the innermost open barrier.
  std::size_t top_barrier() const {
    std::size_t i = st_.stack.size();
    while (i > 0) {
      --i;
      if (st_.stack[i].kind == EntryKind::kBarrier) return i;
    }
    return static_cast<std::size_t>(-1);
  }

  // Removes the barrier at `b` and the choice points above it, keeping the
  // register undo entries.
  void cut(std::size_t b) {
    auto& s = st_.stack;
    std::size_t out = b;
    for (std::size_t i = b + 1; i < s.size(); ++i) {
      if (s[i].kind == EntryKind::kUndo) s[out++] = s[i];
    }
    s.resize(out);
  }

  bool call(const Inst& in, TextPos pos) {
    const std::int32_t depth = call_top_ < 0 ? 1 : st_.frames[call_top_].depth + 1;
    if (depth > kRegexMaxCallDepth) return false;
    // Entering the same group again at the same position would loop forever.
    for (std::int32_t f = call_top_; f >= 0; f = st_.frames[f].parent) {
      if (st_.frames[f].group == in.b && st_.frames[f].pos == pos) return false;
    }
    st_.frames.push_back(CallFrame{pc_ + 1, call_top_, in.b, depth, pos});
    st_.saved.insert(st_.saved.end(), st_.regs.begin(), st_.regs.end());
    call_top_ = static_cast<std::int32_t>(st_.frames.size() - 1);
    return true;
  }

  void ret() {
    const CallFrame f = st_.frames[call_top_];
    const std::size_t base = static_cast<std::size_t>(call_top_) * nregs_;
    // Registers set inside the called group revert to their values at the call.
    for (std::int32_t r = 0; r < nregs_; ++r) {
      if (r == 0 || r == 1) continue;
      set_reg(r, st_.saved[base + r]);
    }
    call_top_ = f.parent;
    pc_ = f.ret_pc;
  }

  bool execute(TextPos pos) {
    const auto& insts = prog_.insts;
    pc_ = 0;
    call_top_ = -1;
    for (;;) {
      const Inst& in = insts[static_cast<std::size_t>(pc_)];
      switch (in.op) {
        case Op::kChar: {
          char32_t c;
          if (!t_.read(pos, c) || c != in.c) goto fail;
          ++pc_;
          continue;
        }
        case Op::kCharFold: {
          char32_t c;
          if (!t_.read(pos, c) || fold_char(c, in.fold) != in.c) goto fail;
          ++pc_;
          continue;
        }
        case Op::kString:
          if (!t_.match_units(pos, prog_.text.data() + in.a, in.b)) goto fail;
          ++pc_;
          continue;
        case Op::kAny: {
          char32_t c;
          if (!t_.read(pos, c) || c == U'\n') goto fail;
          ++pc_;
          continue;
        }
        case Op::kAnyAll: {
          char32_t c;
          if (!t_.read(pos, c)) goto fail;
          ++pc_;
          continue;
        }
        case Op::kClass: {
          char32_t c;
          if (!t_.read(pos, c) || !prog_.classes[static_cast<std::size_t>(in.a)].matches(c)) goto fail;
          ++pc_;
          continue;
        }
        case Op::kSplit:
          if (in.c != 0 && !t_.unit_is(pos, static_cast<char16_t>(in.c))) {
            pc_ = in.b;
            continue;
          }
          push(EntryKind::kChoice, in.b, pos);
          pc_ = in.a;
          continue;
        case Op::kJmp:
          pc_ = in.a;
          continue;
        case Op::kSave:
        case Op::kLoopMark:
          set_reg(in.a, pos);
          ++pc_;
          continue;
        case Op::kCommit:
          set_reg(2 * in.a, st_.regs[static_cast<std::size_t>(kPendingBase + in.a)]);
          set_reg(2 * in.a + 1, pos);
          ++pc_;
          continue;
        case Op::kLoopCheck:
          pc_ = st_.regs[static_cast<std::size_t>(in.a)] == pos ? in.b : pc_ + 1;
          continue;
        case Op::kAssert:
          if (!check_anchor(in.anchor, in.fold, pos)) goto fail;
          ++pc_;
          continue;
        case Op::kBackref:
          if (!backref(in, pos)) goto fail;
          ++pc_;
          continue;
        case Op::kLookStart:
          push(EntryKind::kBarrier, pc_, pos);
          ++pc_;
          continue;
        case Op::kLookEnd: {
          const std::size_t b = top_barrier();
          const Entry barrier = st_.stack[b];
          const Inst& ls = insts[static_cast<std::size_t>(barrier.pc)];
          if (ls.behind && pos != barrier.pos) goto fail;
          if (ls.a < 0) {
            // A negative assertion whose body matched: undo what the body set
            // and fail through the barrier.
            while (st_.stack.size() > b) {
              const Entry e = st_.stack.back();
              st_.stack.pop_back();
              if (e.kind == EntryKind::kUndo) st_.regs[static_cast<std::size_t>(e.pc)] = e.pos;
            }
            goto fail;
          }
          cut(b);
          if (ls.restore) pos = barrier.pos;
          pc_ = ls.a;
          continue;
        }
        case Op::kRepeatOne: {
          const Inst& body = insts[static_cast<std::size_t>(pc_) + 1];
          std::int32_t count = 0;
          for (; count < in.a; ++count) {
            if (!one_char(body, pos)) goto fail;
          }
          const TextPos floor = pos;
          for (; in.b < 0 || count < in.b; ++count) {
            if (!one_char(body, pos)) break;
          }
          if (!in.possessive && pos != floor) {
            push(EntryKind::kRunFloor, 0, floor);
            push(EntryKind::kRunBack, pc_, pos);
          }
          pc_ += 2;
          continue;
        }
        case Op::kStepBack:
          for (std::int32_t i = 0; i < in.a; ++i) {
            if (t_.at_start(pos)) goto fail;
            pos = t_.prev(pos);
          }
          ++pc_;
          continue;
        case Op::kCondGroup:
          pc_ = st_.regs[2 * in.a + 1] != kNoTextPos && st_.regs[2 * in.a] != kNoTextPos ? pc_ + 1 : in.b;
          continue;
        case Op::kCondRecursion: {
          bool yes = call_top_ >= 0 && (in.a < 0 || st_.frames[call_top_].group == in.a);
          pc_ = yes ? pc_ + 1 : in.b;
          continue;
        }
        case Op::kCall:
          if (!call(in, pos)) goto fail;
          pc_ = in.a;
          continue;
        case Op::kRetIfCalled:
          if (call_top_ >= 0 && st_.frames[call_top_].group == in.a) {
            ret();
          } else {
            ++pc_;
          }
          continue;
        case Op::kMatch:
          return true;
        case Op::kFail:
          goto fail;
      }
    fail:
      // Backtrack to the most recent choice point.
      for (;;) {
        if (st_.stack.empty()) return false;
        const Entry e = st_.stack.back();
        st_.stack.pop_back();
        if (e.kind == EntryKind::kUndo) {
          st_.regs[static_cast<std::size_t>(e.pc)] = e.pos;
          continue;
        }
        if (e.kind == EntryKind::kRunFloor) continue;
        if (e.kind == EntryKind::kBarrier) {
          const Inst& ls = insts[static_cast<std::size_t>(e.pc)];
          if (ls.b < 0) continue;  // the body failed: so does the assertion
          pc_ = ls.b;
        } else if (e.kind == EntryKind::kRunBack) {
          // Give one character back; keep the choice while more can follow.
          if (!count_step()) return false;
          const TextPos back = t_.prev(e.pos);
          if (back != st_.stack.back().pos) {
            st_.stack.push_back(Entry{EntryKind::kRunBack, e.pc, e.call_top, e.arena_size, back});
          } else {
            st_.stack.pop_back();  // its floor
          }
          pc_ = e.pc + 2;
          pos = back;
          call_top_ = e.call_top;
          truncate_frames(e.arena_size);
          break;
        } else {
          if (!count_step()) return false;
          pc_ = e.pc;
        }
        pos = e.pos;
        call_top_ = e.call_top;
        truncate_frames(e.arena_size);
        break;
      }
    }
  }

  const Program& prog_;
  MatcherState& st_;
  const Text& t_;
  const MatchInput& in_;
  const MatchLimits& lim_;
  TextPos search_start_;
  std::int32_t nregs_;
  std::int32_t pc_ = 0;
  std::int32_t call_top_ = -1;
};

void copy_registers(const MatcherState& st, RegexMatch& regs) {
  for (int g = 0; g <= kRegexMaxGroups; ++g) {
    regs.start[g] = st.regs[2 * g];
    regs.end[g] = st.regs[2 * g + 1];
    if (regs.start[g] == kNoTextPos || regs.end[g] == kNoTextPos) regs.start[g] = regs.end[g] = kNoTextPos;
  }
}

void clear_registers(RegexMatch& regs) {
  regs.start.fill(kNoTextPos);
  regs.end.fill(kNoTextPos);
}

// Next candidate start at or after p for the flat string, or n + 1 when none.
TextPos next_candidate(const Program& prog, const std::u16string_view s, TextPos p) {
  const auto n = static_cast<TextPos>(s.size());
  if (!prog.literal_prefix.empty()) {
    const std::size_t q = find_units(s, static_cast<std::size_t>(p), prog.literal_prefix);
    return q == std::u16string_view::npos ? n + 1 : static_cast<TextPos>(q);
  }
  if (prog.first_unit != 0) {
    const std::size_t q = find_units(s, static_cast<std::size_t>(p), std::u16string_view(&prog.first_unit, 1));
    return q == std::u16string_view::npos ? n + 1 : static_cast<TextPos>(q);
  }
  if (prog.has_first_set) {
    const auto& set = *prog.first_set;
    while (p < n && !set.test(s[p])) ++p;
    return p < n ? p : n + 1;
  }
  return p;
}

RegexStatus finish(MatcherState& st, bool found, RegexMatch& regs) {
  if (found) {
    copy_registers(st, regs);
    return RegexStatus::kMatch;
  }
  clear_registers(regs);
  return st.abort;
}

}  // namespace

RegexStatus run_string(const Program& prog, MatcherState& st, std::u16string_view subject,
                       std::size_t start, bool backward, const MatchInput& in, const MatchLimits& lim,
                       RegexMatch& regs) {
  st.steps = 0;
  st.abort = RegexStatus::kNoMatch;
  const auto n = static_cast<TextPos>(subject.size());
  FlatText text{subject.data(), n};
  Vm<FlatText> vm(prog, st, text, in, lim, static_cast<TextPos>(start));
  auto inside_pair = [&](TextPos p) {
    return p > 0 && p < n && is_low_surrogate(subject[p]) && is_high_surrogate(subject[p - 1]);
  };
  bool found = false;
  if (prog.pure_literal && !backward) {
    // The whole pattern is one exact string: no matcher needed.
    const std::size_t at = find_units(subject, start, prog.literal_prefix);
    clear_registers(regs);
    if (at == std::u16string_view::npos) return RegexStatus::kNoMatch;
    regs.start[0] = static_cast<TextPos>(at);
    regs.end[0] = static_cast<TextPos>(at + prog.literal_prefix.size());
    return RegexStatus::kMatch;
  }
  try {
    if (backward) {
      // Start positions from `start` down to the start of the text; the
      // first one with a match wins.
      for (TextPos p = std::min(static_cast<TextPos>(start), n); p >= 0 && !found; --p) {
        if (inside_pair(p) || (prog.anchored_text_start && p > 0)) continue;
        if (prog.anchored_line_start && !text.line_start(p)) continue;
        if (!prog.literal_prefix.empty()) {
          if (subject.substr(static_cast<std::size_t>(p), prog.literal_prefix.size()) != prog.literal_prefix) continue;
        } else if (prog.has_first_set && (p >= n || !prog.first_set->test(subject[p]))) {
          continue;
        }
        found = vm.run(p);
        if (st.abort != RegexStatus::kNoMatch) break;
      }
      return finish(st, found, regs);
    }
    for (TextPos p = static_cast<TextPos>(start); p <= n;) {
      if (prog.anchored_text_start && p > 0) break;
      p = next_candidate(prog, subject, p);
      if (p > n) break;
      if (prog.anchored_line_start && !text.line_start(p)) {
        const std::size_t lf = subject.find(u'\n', static_cast<std::size_t>(p));
        if (lf == std::u16string_view::npos) break;
        p = static_cast<TextPos>(lf) + 1;
        continue;
      }
      // Never start between the halves of a surrogate pair.
      if (inside_pair(p)) {
        ++p;
        continue;
      }
      if (vm.run(p)) {
        found = true;
        break;
      }
      if (st.abort != RegexStatus::kNoMatch) break;
      ++p;
    }
  } catch (const std::bad_alloc&) {
    st.abort = RegexStatus::kNoMemory;
    found = false;
  }
  return finish(st, found, regs);
}

RegexStatus run_source(const Program& prog, MatcherState& st, const RegexTextSource& src,
                       TextPos start, bool backward, const MatchInput& in, const MatchLimits& lim,
                       RegexMatch& regs) {
  st.steps = 0;
  st.abort = RegexStatus::kNoMatch;
  SourceText text{&src};
  Vm<SourceText> vm(prog, st, text, in, lim, start);
  const bool needs_char = prog.has_first_set || !prog.literal_prefix.empty();
  // Quick rejection of hopeless start positions.
  auto worth_trying = [&](TextPos p) {
    if (prog.anchored_text_start && !src.at_text_start(p)) return false;
    if (prog.anchored_line_start && !src.at_line_start(p)) return false;
    if (src.at_text_end(p)) return !needs_char;
    if (prog.has_first_set) {
      const char32_t c = src.char_at(p);
      const char32_t unit = c < 0x10000 ? c : 0xD800 + ((c - 0x10000) >> 10);
      return prog.first_set->test(unit);
    }
    if (!prog.literal_prefix.empty()) return src.char_at(p) == prog.literal_prefix[0];
    return true;
  };
  bool found = false;
  try {
    for (TextPos p = start;;) {
      if (worth_trying(p) && vm.run(p)) {
        found = true;
        break;
      }
      if (st.abort != RegexStatus::kNoMatch) break;
      if (backward) {
        if (src.at_text_start(p)) break;
        p = src.prev(p);
      } else {
        if (src.at_text_end(p) || (prog.anchored_text_start && !src.at_text_start(p))) break;
        p = src.next(p);
      }
    }
  } catch (const std::bad_alloc&) {
    st.abort = RegexStatus::kNoMemory;
    found = false;
  }
  return finish(st, found, regs);
}

}  // namespace kestrel::rx
