// Compiler: turns the Node tree into a Program for the backtracking VM and
// runs the optimisation passes (literal runs, first-character set, literal
// prefix, anchoring). Whether a repeated body can match empty is computed
// here unconditionally: a loop over such a body gets a progress check so it
// always terminates, with or without the optimisation passes.
//
// Recursion follows the tree, whose depth is bounded by the parser's
// nesting limit.
#include <algorithm>

#include "platform/utf16.h"
#include "regex/regex_p.h"

namespace kestrel::rx {

namespace {

bool can_be_empty(const Node& n) {
  switch (n.kind) {
    case NodeKind::kLiteral:
    case NodeKind::kAny:
    case NodeKind::kClass:
      return false;
    case NodeKind::kConcat:
      return std::all_of(n.kids.begin(), n.kids.end(), [](const auto& k) { return can_be_empty(*k); });
    case NodeKind::kAlternation:
      return std::any_of(n.kids.begin(), n.kids.end(), [](const auto& k) { return can_be_empty(*k); });
    case NodeKind::kRepeat:
      return n.min == 0 || can_be_empty(*n.kids[0]);
    case NodeKind::kCapture:
    case NodeKind::kGroup:
    case NodeKind::kAtomic:
      return can_be_empty(*n.kids[0]);
    default:
      return true;  // anchors, lookaround, keep, back-references, recursion, conditionals
  }
}

// Length in characters of every match of `n`, or -1 when it varies.
int fixed_length(const Node& n) {
  switch (n.kind) {
    case NodeKind::kLiteral:
    case NodeKind::kAny:
    case NodeKind::kClass:
      return 1;
    case NodeKind::kEmpty:
    case NodeKind::kAnchor:
    case NodeKind::kLook:
    case NodeKind::kKeep:
      return 0;
    case NodeKind::kConcat: {
      int total = 0;
      for (const auto& k : n.kids) {
        const int l = fixed_length(*k);
        if (l < 0) return -1;
        total += l;
      }
      return total;
    }
    case NodeKind::kAlternation: {
      int len = -1;
      for (const auto& k : n.kids) {
        const int l = fixed_length(*k);
        if (l < 0 || (len >= 0 && l != len)) return -1;
        len = l;
      }
      return len;
    }
    case NodeKind::kRepeat: {
      if (n.min != n.max) return -1;
      const int l = fixed_length(*n.kids[0]);
      return l < 0 ? -1 : l * n.min;
    }
    case NodeKind::kCapture:
    case NodeKind::kGroup:
    case NodeKind::kAtomic:
      return fixed_length(*n.kids[0]);
    case NodeKind::kConditional: {
      if (n.cond == CondKind::kLook) return -1;
      const int yes = fixed_length(*n.kids[0]);
      const int no = n.kids.size() > 1 ? fixed_length(*n.kids[1]) : 0;
      return yes == no ? yes : -1;
    }
    default:
      return -1;  // back-references and recursion
  }
}

bool is_plain_unit(char32_t c) { return c < 0x10000 && !(c >= 0xD800 && c <= 0xDFFF); }

class Compiler {
 public:
  Compiler(ParseResult& parsed, unsigned flags, Program& prog, RegexError& err)
      : parsed_(parsed), flags_(flags), p_(prog), err_(err) {}

  bool run() {
    p_.group_count = parsed_.group_count;
    p_.group_start_pc.assign(kRegexMaxGroups + 1, -1);
    p_.classes = std::move(parsed_.classes);
    emit_save(0);
    p_.group_start_pc[0] = static_cast<std::int32_t>(p_.insts.size());
    if (!emit(*parsed_.root)) return false;
    if (parsed_.uses_recursion) add(Op::kRetIfCalled).a = 0;
    emit_save(1);
    add(Op::kMatch);
    if (too_large()) return false;
    for (auto [pc, group] : calls_) {
      const std::int32_t target = p_.group_start_pc[group];
      if (target < 0) {
        err_.code = RegexErrorCode::kBadBackReference;
        return false;
      }
      p_.insts[pc].a = target;
    }
    p_.loop_registers = loops_;
    if ((flags_ & kRegexNoOptimize) == 0) optimise();
    return true;
  }

  // The UTF-16 unit every match of the code at `pc` must begin with, or 0.
  char16_t leading_unit(std::int32_t pc) const {
    const Inst& in = p_.insts[static_cast<std::size_t>(pc)];
    if (in.op == Op::kChar && is_plain_unit(in.c) && in.c != 0) return static_cast<char16_t>(in.c);
    if (in.op == Op::kString) return p_.text[static_cast<std::size_t>(in.a)];
    return 0;
  }

 private:
  Inst& add(Op op) {
    p_.insts.emplace_back();
    p_.insts.back().op = op;
    return p_.insts.back();
  }
  std::int32_t here() const { return static_cast<std::int32_t>(p_.insts.size()); }
  bool too_large() {
    if (p_.insts.size() > static_cast<std::size_t>(kRegexMaxProgramSize)) {
      if (err_.code == RegexErrorCode::kNone) err_.code = RegexErrorCode::kTooLarge;
      return true;
    }
    return false;
  }
  void emit_save(int reg) { add(Op::kSave).a = reg; }

  // Emits `n` with no known continuation (bodies of loops, lookarounds,
  // atomic and conditional groups).
  bool emit_alone(const Node& n) {
    const Node* outer = follow_;
    follow_ = nullptr;
    const bool ok = emit(n);
    follow_ = outer;
    return ok;
  }

  bool emit(const Node& n) {
    if (too_large()) return false;
    switch (n.kind) {
      case NodeKind::kEmpty:
        return true;
      case NodeKind::kLiteral: {
        Inst& in = add(n.fold ? Op::kCharFold : Op::kChar);
        in.c = n.ch;
        in.fold = n.fold;
        return true;
      }
      case NodeKind::kAny:
        add(n.dot_all ? Op::kAnyAll : Op::kAny);
        return true;
      case NodeKind::kClass:
        add(Op::kClass).a = n.cls;
        return true;
      case NodeKind::kConcat:
        return emit_concat(n);
      case NodeKind::kAlternation:
        return emit_alternation(n.kids, 0);
      case NodeKind::kRepeat:
        return emit_repeat(n, follow_);
      case NodeKind::kCapture: {
        const bool first = p_.group_start_pc[n.group] < 0;
        if (first) p_.group_start_pc[n.group] = here();
        emit_save(kPendingBase + n.group);
        // A group that recursion can call has no fixed continuation.
        const Node* outer = follow_;
        if (parsed_.uses_recursion) follow_ = nullptr;
        const bool ok = emit(*n.kids[0]);
        follow_ = outer;
        if (!ok) return false;
        add(Op::kCommit).a = n.group;
        if (parsed_.uses_recursion) add(Op::kRetIfCalled).a = n.group;
        return true;
      }
      case NodeKind::kGroup:
        return emit(*n.kids[0]);
      case NodeKind::kBackref: {
        Inst& in = add(Op::kBackref);
        in.a = n.group;
        in.fold = n.fold;
        return true;
      }
      case NodeKind::kAnchor: {
        Inst& in = add(Op::kAssert);
        in.anchor = n.anchor;
        return true;
      }
      case NodeKind::kLook:
        return emit_look(n, -2, -2);
      case NodeKind::kAtomic: {
        const std::int32_t start = here();
        add(Op::kLookStart).b = -1;
        if (!emit_alone(*n.kids[0])) return false;
        add(Op::kLookEnd);
        p_.insts[start].a = here();
        return true;
      }
      case NodeKind::kConditional:
        return emit_conditional(n);
      case NodeKind::kRecurse: {
        const std::int32_t pc = here();
        Inst& in = add(Op::kCall);
        in.b = n.group;
        calls_.emplace_back(pc, n.group);
        return true;
      }
      case NodeKind::kKeep:
        emit_save(0);
        return true;
    }
    return true;
  }

  bool emit_concat(const Node& n) {
    for (std::size_t i = 0; i < n.kids.size();) {
      // Runs of two or more exact BMP literals become one string compare.
      std::size_t j = i;
      while (j < n.kids.size() && n.kids[j]->kind == NodeKind::kLiteral && n.kids[j]->fold == 0 &&
             is_plain_unit(n.kids[j]->ch)) {
        ++j;
      }
      if (j - i >= 2) {
        Inst& in = add(Op::kString);
        in.a = static_cast<std::int32_t>(p_.text.size());
        in.b = static_cast<std::int32_t>(j - i);
        for (std::size_t k = i; k < j; ++k) p_.text.push_back(static_cast<char16_t>(n.kids[k]->ch));
        i = j;
        continue;
      }
      const Node& kid = *n.kids[i];
      const Node* outer = follow_;
      follow_ = i + 1 < n.kids.size() ? n.kids[i + 1].get() : outer;
      const bool ok = emit(kid);
      follow_ = outer;
      if (!ok) return false;
      ++i;
    }
    return true;
  }

  static bool is_one_char(const Node& n) {
    return n.kind == NodeKind::kLiteral || n.kind == NodeKind::kAny || n.kind == NodeKind::kClass;
  }

  bool one_char_accepts(const Node& n, char32_t c) const {
    switch (n.kind) {
      case NodeKind::kLiteral: return fold_char(c, n.fold) == n.ch;
      case NodeKind::kAny: return n.dot_all || c != U'\n';
      default: return p_.classes[static_cast<std::size_t>(n.cls)].matches(c);
    }
  }

  // True when no character the one-character `body` accepts can start
  // `next`: giving characters back can then never help, so the repetition
  // is made possessive (x+ before y, [a-z]* before a space, ...).
  bool disjoint_from_next(const Node& body, const Node* next) const {
    if (!next || next->kind != NodeKind::kLiteral) return false;
    std::vector<char32_t> accepted;
    fold_preimage(next->ch, next->fold, accepted);
    for (char32_t c : accepted) {
      if (one_char_accepts(body, c)) return false;
    }
    return true;
  }

  // Branches from `first` on: SPLIT L, next; L: branch; JMP end; next: ...
  bool emit_alternation(const std::vector<std::unique_ptr<Node>>& kids, std::size_t first,
                        const std::vector<int>* step_back = nullptr) {
    std::vector<std::int32_t> jumps;
    for (std::size_t i = first; i < kids.size(); ++i) {
      std::int32_t split = -1;
      if (i + 1 < kids.size()) {
        split = here();
        add(Op::kSplit).a = split + 1;
      }
      if (step_back && (*step_back)[i] > 0) add(Op::kStepBack).a = (*step_back)[i];
      if (!(step_back ? emit_alone(*kids[i]) : emit(*kids[i]))) return false;
      if (i + 1 < kids.size()) {
        jumps.push_back(here());
        add(Op::kJmp);
        p_.insts[split].b = here();
      }
    }
    for (std::int32_t j : jumps) p_.insts[j].a = here();
    return true;
  }

  bool emit_repeat(const Node& n, const Node* next) {
    const Node& body = *n.kids[0];
    if (is_one_char(body) && n.greedy && n.max != 0) {
      Inst& in = add(Op::kRepeatOne);
      in.a = n.min;
      in.b = n.max;
      in.possessive = n.possessive || ((flags_ & kRegexNoOptimize) == 0 && disjoint_from_next(body, next));
      return emit(body);
    }
    std::int32_t atomic_start = -1;
    if (n.possessive) {
      atomic_start = here();
      add(Op::kLookStart).b = -1;
    }
    if (n.max == 0) {
      // Never matched, but kept as code so that recursion can call a group in it.
      const std::int32_t jmp = here();
      add(Op::kJmp);
      if (!emit_alone(body)) return false;
      p_.insts[jmp].a = here();
    } else {
      const bool empty_ok = can_be_empty(body);
      const int copies = n.max < 0 ? std::max(0, n.min - 1) : n.min;
      for (int i = 0; i < copies; ++i) {
        if (!emit_alone(body)) return false;
      }
      if (n.max < 0) {
        if (!emit_loop(body, n.min == 0, n.greedy, empty_ok)) return false;
      } else {
        std::vector<std::int32_t> splits;
        for (int i = n.min; i < n.max; ++i) {
          splits.push_back(here());
          add(Op::kSplit);
          if (!emit_alone(body)) return false;
        }
        for (std::int32_t s : splits) set_split(s, s + 1, here(), n.greedy);
      }
    }
    if (n.possessive) {
      add(Op::kLookEnd);
      p_.insts[atomic_start].a = here();
    }
    return true;
  }

  void set_split(std::int32_t pc, std::int32_t body, std::int32_t out, bool greedy) {
    p_.insts[pc].a = greedy ? body : out;
    p_.insts[pc].b = greedy ? out : body;
  }

  // star:  S: SPLIT L, out; L: [mark] body [check->out]; JMP S; out:
  // plus:  L: [mark] body [check->out]; SPLIT L, out; out:
  bool emit_loop(const Node& body, bool star, bool greedy, bool empty_ok) {
    const std::int32_t loop_reg = empty_ok ? kLoopBase + loops_++ : -1;
    std::int32_t split = -1;
    if (star) {
      split = here();
      add(Op::kSplit);
    }
    const std::int32_t top = here();
    if (empty_ok) add(Op::kLoopMark).a = loop_reg;
    if (!emit_alone(body)) return false;
    std::int32_t check = -1;
    if (empty_ok) {
      check = here();
      add(Op::kLoopCheck).a = loop_reg;
    }
    if (star) {
      add(Op::kJmp).a = split;
      set_split(split, top, here(), greedy);
    } else {
      const std::int32_t s = here();
      add(Op::kSplit);
      set_split(s, top, here(), greedy);
    }
    if (check >= 0) p_.insts[check].b = here();
    return true;
  }

  // on_success / on_failure: -2 means "the plain assertion": positive looks
  // continue after the look on success and fail otherwise; negative ones the
  // reverse.
  bool emit_look(const Node& n, std::int32_t on_success, std::int32_t on_failure) {
    const std::int32_t start = here();
    Inst& ls = add(Op::kLookStart);
    ls.behind = n.behind;
    ls.restore = true;
    const Node& body = *n.kids[0];
    if (n.behind) {
      // Each top-level branch needs a fixed length of its own; the branch
      // steps back that many characters and must end where the look began.
      const bool alt = body.kind == NodeKind::kAlternation;
      std::vector<int> lens;
      if (alt) {
        for (const auto& k : body.kids) lens.push_back(fixed_length(*k));
      } else {
        lens.push_back(fixed_length(body));
      }
      for (std::size_t i = 0; i < lens.size(); ++i) {
        if (lens[i] < 0) {
          err_.code = RegexErrorCode::kVariableLookbehind;
          err_.offset = n.offset;
          return false;
        }
      }
      if (alt) {
        if (!emit_alternation(body.kids, 0, &lens)) return false;
      } else {
        if (lens[0] > 0) add(Op::kStepBack).a = lens[0];
        if (!emit_alone(body)) return false;
      }
    } else if (!emit_alone(body)) {
      return false;
    }
    add(Op::kLookEnd);
    const std::int32_t after = here();
    Inst& s = p_.insts[start];
    if (on_success == -2) {
      s.a = n.negate ? -1 : after;
      s.b = n.negate ? after : -1;
    } else {
      s.a = n.negate ? on_failure : on_success;
      s.b = n.negate ? on_success : on_failure;
    }
    return true;
  }

  // (?(cond)yes|no): the test jumps to `no` when false.
  bool emit_conditional(const Node& n) {
    std::size_t yes_index = 0;
    std::int32_t test = -1;
    if (n.cond == CondKind::kLook) {
      // The condition's targets are patched once the branches are placed.
      test = here();
      if (!emit_look(*n.kids[0], 0, 0)) return false;
      yes_index = 1;
    } else {
      test = here();
      Inst& in = add(n.cond == CondKind::kGroupSet ? Op::kCondGroup : Op::kCondRecursion);
      in.a = n.group;
    }
    const std::int32_t yes_pc = here();
    if (!emit_alone(*n.kids[yes_index])) return false;
    const std::int32_t jmp = here();
    add(Op::kJmp);
    const std::int32_t no_pc = here();
    if (n.kids.size() > yes_index + 1 && !emit_alone(*n.kids[yes_index + 1])) return false;
    p_.insts[jmp].a = here();
    if (n.cond == CondKind::kLook) {
      Inst& ls = p_.insts[test];
      const bool negate = n.kids[0]->negate;
      ls.a = negate ? no_pc : yes_pc;
      ls.b = negate ? yes_pc : no_pc;
    } else {
      p_.insts[test].b = no_pc;
    }
    return true;
  }

  // ---- optimisation passes ----

  void optimise() {
    // Split guards: a branch that must begin with a known unit is not tried
    // (and leaves no choice point) when the text has another unit there.
    for (auto& in : p_.insts) {
      if (in.op == Op::kSplit) in.c = leading_unit(in.a);
    }
    const auto& insts = p_.insts;
    std::size_t pc = 1;
    // Literal prefix: exact units every match starts with.
    for (; pc < insts.size(); ++pc) {
      const Inst& in = insts[pc];
      if (in.op == Op::kChar && is_plain_unit(in.c)) {
        p_.literal_prefix.push_back(static_cast<char16_t>(in.c));
      } else if (in.op == Op::kString) {
        p_.literal_prefix.append(p_.text, static_cast<std::size_t>(in.a), static_cast<std::size_t>(in.b));
      } else {
        break;
      }
    }
    p_.pure_literal = !p_.literal_prefix.empty() && insts[pc].op == Op::kSave && insts[pc].a == 1 &&
                      !parsed_.uses_recursion;
    if (insts[1].op == Op::kAssert && insts[1].anchor == AnchorKind::kTextStart) p_.anchored_text_start = true;
    if (insts[1].op == Op::kAssert && insts[1].anchor == AnchorKind::kLineStart) p_.anchored_line_start = true;
    // The first-character set, for programs that are not too large.
    if (insts.size() / 8 + 1 < 256 && p_.literal_prefix.empty()) compute_first_set();
  }

  void add_char(std::bitset<65536>& set, char32_t c, unsigned fold) {
    std::vector<char32_t> pre;
    fold_preimage(c, fold, pre);
    for (char32_t x : pre) {
      set.set(x < 0x10000 ? x : static_cast<char32_t>(0xD800 + ((x - 0x10000) >> 10)));
    }
  }

  // Adds a superset of the BMP units that can start a member of `cls`,
  // without testing all 65536 units one by one.
  static void add_class(std::bitset<65536>& set, const CharClass& cls) {
    for (char32_t u = 0; u < 128; ++u) {
      if (cls.matches(u)) set.set(u);
    }
    for (char32_t u = 0xD800; u <= 0xDBFF; ++u) set.set(u);  // any supplementary character
    if (cls.negated || cls.non_ascii_all) {
      for (char32_t u = 128; u < 0x10000; ++u) set.set(u);
      return;
    }
    for (const auto& r : cls.ranges) {
      for (char32_t u = r.first; u <= r.second && u < 0x10000; ++u) set.set(u);
    }
    if (cls.fold != 0) {
      // Characters that fold onto a member (full-width forms, capitals).
      for (char32_t u : {char32_t{0x2018}, char32_t{0x2019}, char32_t{0x201D}, char32_t{0x3000},
                         char32_t{0xFFE3}, char32_t{0xFFE5}}) {
        if (cls.matches(u)) set.set(u);
      }
      for (char32_t u = 0xFF01; u <= 0xFF5D; ++u) {
        if (cls.matches(u)) set.set(u);
      }
    }
  }

  void compute_first_set() {
    auto set = std::make_unique<std::bitset<65536>>();
    std::vector<bool> seen(p_.insts.size(), false);
    std::vector<std::int32_t> work{1};
    while (!work.empty()) {
      const std::int32_t pc = work.back();
      work.pop_back();
      if (pc < 0 || seen[pc]) continue;
      seen[pc] = true;
      const Inst& in = p_.insts[pc];
      switch (in.op) {
        case Op::kChar: add_char(*set, in.c, 0); break;
        case Op::kCharFold: add_char(*set, in.c, in.fold); break;
        case Op::kString: set->set(p_.text[in.a]); break;
        case Op::kClass:
          add_class(*set, p_.classes[static_cast<std::size_t>(in.a)]);
          break;
        case Op::kSplit:
          work.push_back(in.a);
          work.push_back(in.b);
          break;
        case Op::kJmp: work.push_back(in.a); break;
        case Op::kSave:
        case Op::kCommit:
        case Op::kLoopMark:
        case Op::kRetIfCalled:
          work.push_back(pc + 1);
          break;
        case Op::kLoopCheck:
          work.push_back(pc + 1);
          work.push_back(in.b);
          break;
        case Op::kAssert:
          if (in.anchor >= AnchorKind::kUser0) return;  // may hold anywhere; keep it simple
          work.push_back(pc + 1);
          break;
        case Op::kLookStart:
          if (in.restore) {
            // A lookaround consumes nothing: the match starts with what
            // follows it (a superset of what can start there is enough).
            if (in.a >= 0) work.push_back(in.a);
            if (in.b >= 0) work.push_back(in.b);
          } else {
            work.push_back(pc + 1);  // atomic group: its body, or what follows when it is empty
            work.push_back(in.a);
          }
          break;
        case Op::kLookEnd:
          break;  // the continuation was queued at the kLookStart
        case Op::kRepeatOne:
          work.push_back(pc + 1);
          if (in.a == 0) work.push_back(pc + 2);
          break;
        default:
          return;  // any character, lookaround, back-reference, recursion, match: no set
      }
    }
    if (set->count() == 1) {
      for (char32_t u = 0; u < 0x10000; ++u) {
        if (set->test(u)) p_.first_unit = static_cast<char16_t>(u);
      }
    }
    p_.first_set = std::move(set);
    p_.has_first_set = true;
  }

  ParseResult& parsed_;
  unsigned flags_;
  Program& p_;
  RegexError& err_;
  int loops_ = 0;
  std::vector<std::pair<std::int32_t, int>> calls_;
  // The node that follows the one being emitted, when known; used to make a
  // repetition possessive when giving characters back cannot help.
  const Node* follow_ = nullptr;
};

}  // namespace

bool compile_program(ParseResult& parsed, unsigned flags, Program& out, RegexError& error) {
  Compiler c(parsed, flags, out, error);
  return c.run();
}

}  // namespace kestrel::rx
