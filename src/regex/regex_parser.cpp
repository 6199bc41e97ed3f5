// Pattern parser: a recursive-descent parser over the pattern text that
// builds the Node tree. Recursion depth follows parenthesis nesting only and
// is capped at kRegexMaxNesting, so no pattern can exhaust the stack here.
#include <algorithm>

#include "platform/utf16.h"
#include "regex/regex_p.h"

namespace kestrel::rx {

namespace {

struct Flags {
  bool icase = false;
  bool dot_all = false;    // s
  bool space_lf = false;   // S
  bool width = false;      // w
  unsigned fold() const { return (icase ? kFoldCase : 0) | (width ? kFoldWidth : 0); }
};

struct PendingRef {
  Node* node;
  std::u16string name;  // empty: numbered
  int offset;
};

int hex_value(char16_t c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool is_name_char(char16_t c) {
  return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
}

std::unique_ptr<Node> make(NodeKind k, int offset) {
  auto n = std::make_unique<Node>();
  n->kind = k;
  n->offset = offset;
  return n;
}

class Parser {
 public:
  Parser(std::u16string_view p, unsigned flags, ParseResult& out, RegexError& err)
      : p_(p), out_(out), err_(err) {
    base_.icase = (flags & kRegexIgnoreCase) != 0;
    base_.width = (flags & kRegexIgnoreWidth) != 0;
  }

  bool run() {
    Flags f = base_;
    out_.root = parse_alternation(f, 0);
    if (!out_.root) return false;
    if (pos_ < p_.size()) return fail(RegexErrorCode::kUnmatchedParen, pos_);
    return resolve_references();
  }

 private:
  bool fail(RegexErrorCode code, std::size_t at) {
    if (err_.code == RegexErrorCode::kNone) {
      err_.code = code;
      err_.offset = static_cast<int>(at);
    }
    return false;
  }
  bool at_end() const { return pos_ >= p_.size(); }
  char16_t peek(std::size_t ahead = 0) const {
    return pos_ + ahead < p_.size() ? p_[pos_ + ahead] : char16_t{0};
  }
  bool looking_at(std::u16string_view s) const { return p_.substr(pos_, s.size()) == s; }
  char32_t take_char() {
    std::size_t len = 1;
    const char32_t c = code_point_at(p_, pos_, &len);
    pos_ += len;
    return c;
  }

  // alternation := sequence ('|' sequence)*
  std::unique_ptr<Node> parse_alternation(Flags& f, int depth) {
    if (depth > kRegexMaxNesting) {
      fail(RegexErrorCode::kTooDeep, pos_);
      return nullptr;
    }
    const int start = static_cast<int>(pos_);
    std::vector<std::unique_ptr<Node>> branches;
    for (;;) {
      auto seq = parse_sequence(f, depth);
      if (!seq) return nullptr;
      branches.push_back(std::move(seq));
      if (peek() != '|' || at_end()) break;
      ++pos_;
    }
    if (branches.size() == 1) return std::move(branches[0]);
    auto alt = make(NodeKind::kAlternation, start);
    alt->kids = std::move(branches);
    return alt;
  }

  std::unique_ptr<Node> parse_sequence(Flags& f, int depth) {
    auto seq = make(NodeKind::kConcat, static_cast<int>(pos_));
    while (!at_end() && peek() != '|' && peek() != ')') {
      const std::size_t atom_at = pos_;
      bool quantifiable = true;
      anchor_made_ = false;
      auto atom = parse_atom(f, depth, quantifiable);
      if (anchor_made_) quantifiable = false;
      if (!atom) {
        if (err_.code != RegexErrorCode::kNone) return nullptr;
        continue;  // comment, flag switch or \E: nothing to add
      }
      if (is_quantifier_start()) {
        if (!quantifiable) {
          fail(RegexErrorCode::kNothingToRepeat, pos_);
          return nullptr;
        }
        if (atom->kind == NodeKind::kConcat) {
          // \Q..\E: a quantifier applies to its last character only.
          auto last = std::move(atom->kids.back());
          atom->kids.pop_back();
          for (auto& k : atom->kids) seq->kids.push_back(std::move(k));
          atom = std::move(last);
        }
        atom = parse_quantifier(std::move(atom), atom_at);
        if (!atom) return nullptr;
        if (is_quantifier_start()) {
          fail(RegexErrorCode::kNothingToRepeat, pos_);
          return nullptr;
        }
      }
      seq->kids.push_back(std::move(atom));
    }
    if (seq->kids.size() == 1) return std::move(seq->kids[0]);
    if (seq->kids.empty()) seq->kind = NodeKind::kEmpty;
    return seq;
  }

  // True at *, +, ? or a well-formed {n}, {n,}, {n,m} (any other { is literal).
  bool is_quantifier_start() const {
    if (at_end()) return false;
    const char16_t c = peek();
    if (c == '*' || c == '+' || c == '?') return true;
    if (c != '{') return false;
    std::size_t i = pos_ + 1;
    std::size_t digits = 0;
    while (i < p_.size() && p_[i] >= '0' && p_[i] <= '9') ++i, ++digits;
    if (digits == 0) return false;
    if (i < p_.size() && p_[i] == '}') return true;
    if (i >= p_.size() || p_[i] != ',') return false;
    ++i;
    while (i < p_.size() && p_[i] >= '0' && p_[i] <= '9') ++i;
    return i < p_.size() && p_[i] == '}';
  }

  int read_number(int cap) {
    long long v = 0;
    while (!at_end() && peek() >= '0' && peek() <= '9') {
      v = v * 10 + (peek() - '0');
      if (v > cap) v = static_cast<long long>(cap) + 1;
      ++pos_;
    }
    return static_cast<int>(v);
  }

  std::unique_ptr<Node> parse_quantifier(std::unique_ptr<Node> atom, std::size_t atom_at) {
    const std::size_t qpos = pos_;
    int min = 0, max = -1;
    const char16_t c = p_[pos_++];
    if (c == '*') {
      min = 0;
    } else if (c == '+') {
      min = 1;
    } else if (c == '?') {
      max = 1;
    } else {
      min = read_number(kRegexMaxRepeat);
      if (peek() == '}') {
        max = min;
      } else {
        ++pos_;  // ','
        if (peek() != '}') max = read_number(kRegexMaxRepeat);
      }
      ++pos_;  // '}'
      if (min > kRegexMaxRepeat || max > kRegexMaxRepeat || (max >= 0 && min > max)) {
        fail(RegexErrorCode::kBadRepeat, qpos);
        return nullptr;
      }
    }
    auto rep = make(NodeKind::kRepeat, static_cast<int>(atom_at));
    rep->min = min;
    rep->max = max;
    if (peek() == '?' && !at_end()) {
      rep->greedy = false;
      ++pos_;
    } else if (peek() == '+' && !at_end()) {
      rep->possessive = true;
      ++pos_;
    }
    rep->kids.push_back(std::move(atom));
    return rep;
  }

  std::unique_ptr<Node> literal(char32_t c, const Flags& f, int offset) {
    auto n = make(NodeKind::kLiteral, offset);
    n->fold = f.fold();
    n->ch = fold_char(c, n->fold);
    return n;
  }

  std::unique_ptr<Node> class_node(const ClassBuilder& b, bool negated, const Flags& f, int offset) {
    auto n = make(NodeKind::kClass, offset);
    n->cls = static_cast<int>(out_.classes.size());
    out_.classes.push_back(b.build(negated, f.fold()));
    return n;
  }

  std::unique_ptr<Node> anchor(AnchorKind k, int offset) {
    anchor_made_ = true;
    auto n = make(NodeKind::kAnchor, offset);
    n->anchor = k;
    return n;
  }

  // Returns nullptr with no error for things that produce no node.
  std::unique_ptr<Node> parse_atom(Flags& f, int depth, bool& quantifiable) {
    const int at = static_cast<int>(pos_);
    const char16_t c = peek();
    switch (c) {
      case '(': {
        auto group = parse_group(f, depth, quantifiable);
        anchor_made_ = false;  // an anchor inside a group does not make the group an anchor
        return group;
      }
      case '*':
      case '+':
      case '?':
        fail(RegexErrorCode::kNothingToRepeat, pos_);
        return nullptr;
      case '{':
        if (is_quantifier_start()) {
          fail(RegexErrorCode::kNothingToRepeat, pos_);
          return nullptr;
        }
        ++pos_;
        return literal('{', f, at);
      case '.': {
        ++pos_;
        auto n = make(NodeKind::kAny, at);
        n->dot_all = f.dot_all;
        return n;
      }
      case '^':
        ++pos_;
        quantifiable = false;
        return anchor(AnchorKind::kLineStart, at);
      case '$':
        ++pos_;
        quantifiable = false;
        return anchor(AnchorKind::kLineEnd, at);
      case '[':
        return parse_class(f);
      case '\\':
        return parse_escape(f, quantifiable);
      default:
        return literal(take_char(), f, at);
    }
  }

  std::unique_ptr<Node> parse_escape(Flags& f, bool& quantifiable) {
    const int at = static_cast<int>(pos_);
    ++pos_;
    if (at_end()) {
      fail(RegexErrorCode::kBadEscape, at);
      return nullptr;
    }
    const char16_t c = peek();
    ClassBuilder b;
    switch (c) {
      case 'd': case 'D': case 'w': case 'W': case 's': case 'S': case 'l':
        ++pos_;
        add_shorthand(b, shorthand_of(c), f.space_lf);
        return class_node(b, false, f, at);
      case 'n': ++pos_; return literal('\n', f, at);
      case 'r': ++pos_; return literal('\r', f, at);
      case 't': ++pos_; return literal('\t', f, at);
      case 'f': ++pos_; return literal('\f', f, at);
      case 'x': {
        char32_t v = 0;
        if (!parse_hex(v)) return nullptr;
        return literal(v, f, at);
      }
      case 'A': ++pos_; return anchor(AnchorKind::kTextStart, at);
      case 'Z': ++pos_; return anchor(AnchorKind::kTextEndOrFinalBreak, at);
      case 'z': ++pos_; return anchor(AnchorKind::kTextEnd, at);
      case 'b': ++pos_; return anchor(AnchorKind::kWordBoundary, at);
      case 'B': ++pos_; return anchor(AnchorKind::kNotWordBoundary, at);
      case '=': {
        const char16_t k = peek(1);
        const int user = k == 'A' ? 0 : k == 'z' ? 1 : k == '^' ? 2 : k == '$' ? 3 : -1;
        ++pos_;
        if (user < 0) return literal('=', f, at);
        ++pos_;
        return anchor(static_cast<AnchorKind>(static_cast<int>(AnchorKind::kUser0) + user), at);
      }
      case 'K':
        if (look_depth_ > 0) {
          fail(RegexErrorCode::kKeepInLookaround, at);
          return nullptr;
        }
        ++pos_;
        quantifiable = false;
        return make(NodeKind::kKeep, at);
      case 'Q': {
        ++pos_;
        auto seq = make(NodeKind::kConcat, at);
        while (!at_end() && !looking_at(u"\\E")) seq->kids.push_back(literal(take_char(), f, static_cast<int>(pos_)));
        if (!at_end()) pos_ += 2;
        if (seq->kids.empty()) return nullptr;
        if (seq->kids.size() == 1) return std::move(seq->kids[0]);
        // A quantifier after \Q..\E applies to the last character only.
        return seq;
      }
      case 'E':
        ++pos_;
        return nullptr;
      case 'k':
        return parse_named_backref(f, at);
      case 'g':
        return parse_g_backref(f, at);
      default:
        break;
    }
    if (c >= '1' && c <= '9') {
      ++pos_;
      auto n = make(NodeKind::kBackref, at);
      n->group = c - '0';
      n->fold = f.fold();
      refs_.push_back({n.get(), {}, at});
      return n;
    }
    return literal(take_char(), f, at);
  }

  static ShorthandClass shorthand_of(char16_t c) {
    switch (c) {
      case 'd': return ShorthandClass::kDigit;
      case 'D': return ShorthandClass::kNotDigit;
      case 'w': return ShorthandClass::kWord;
      case 'W': return ShorthandClass::kNotWord;
      case 's': return ShorthandClass::kSpace;
      case 'S': return ShorthandClass::kNotSpace;
      default: return ShorthandClass::kLineSpace;
    }
  }

  // After the backslash, at 'x': \xHH (up to two digits) or \x{H...}.
  bool parse_hex(char32_t& v) {
    const std::size_t at = pos_ - 1;
    ++pos_;
    v = 0;
    if (peek() == '{' && !at_end()) {
      ++pos_;
      int digits = 0;
      while (!at_end() && hex_value(peek()) >= 0) {
        v = v * 16 + static_cast<char32_t>(hex_value(peek()));
        ++pos_;
        if (++digits > 8 || v > 0x10FFFF) return fail(RegexErrorCode::kBadEscape, at);
      }
      if (digits == 0 || peek() != '}' || at_end()) return fail(RegexErrorCode::kBadEscape, at);
      ++pos_;
      return true;
    }
    for (int i = 0; i < 2 && !at_end() && hex_value(peek()) >= 0; ++i) {
      v = v * 16 + static_cast<char32_t>(hex_value(peek()));
      ++pos_;
    }
    return true;
  }

  bool read_name(char16_t close, std::u16string& name) {
    const std::size_t at = pos_;
    while (!at_end() && is_name_char(peek())) name.push_back(p_[pos_++]);
    if (name.empty() || (name[0] >= '0' && name[0] <= '9') || peek() != close || at_end()) {
      return fail(RegexErrorCode::kBadGroupName, at);
    }
    ++pos_;
    return true;
  }

  std::unique_ptr<Node> backref_to_name(std::u16string name, const Flags& f, int at) {
    auto n = make(NodeKind::kBackref, at);
    n->fold = f.fold();
    refs_.push_back({n.get(), std::move(name), at});
    return n;
  }

  std::unique_ptr<Node> parse_named_backref(const Flags& f, int at) {
    ++pos_;  // 'k'
    const char16_t open = peek();
    const char16_t close = open == '<' ? '>' : open == '\'' ? '\'' : open == '{' ? '}' : 0;
    if (close == 0 || at_end()) {
      fail(RegexErrorCode::kBadBackReference, at);
      return nullptr;
    }
    ++pos_;
    std::u16string name;
    if (!read_name(close, name)) return nullptr;
    return backref_to_name(std::move(name), f, at);
  }

  // \gN, \g{N}, \g{-N} (relative), \g{name}
  std::unique_ptr<Node> parse_g_backref(const Flags& f, int at) {
    ++pos_;  // 'g'
    const bool braced = peek() == '{' && !at_end();
    if (braced) ++pos_;
    int number = 0;
    if (!at_end() && (peek() == '-' || (peek() >= '0' && peek() <= '9'))) {
      const bool relative = peek() == '-';
      if (relative) ++pos_;
      if (at_end() || peek() < '0' || peek() > '9') {
        fail(RegexErrorCode::kBadBackReference, at);
        return nullptr;
      }
      number = read_number(100);
      if (relative) number = number == 0 ? 100 : groups_opened_ + 1 - number;
      if (braced) {
        if (peek() != '}' || at_end()) {
          fail(RegexErrorCode::kBadBackReference, at);
          return nullptr;
        }
        ++pos_;
      }
      if (number < 1 || number > kRegexMaxGroups) {
        fail(RegexErrorCode::kBadBackReference, at);
        return nullptr;
      }
      auto n = make(NodeKind::kBackref, at);
      n->group = number;
      n->fold = f.fold();
      refs_.push_back({n.get(), {}, at});
      return n;
    }
    if (!braced) {
      fail(RegexErrorCode::kBadBackReference, at);
      return nullptr;
    }
    std::u16string name;
    if (!read_name('}', name)) return nullptr;
    return backref_to_name(std::move(name), f, at);
  }

  // [...] with ranges, escapes and POSIX names.
  std::unique_ptr<Node> parse_class(const Flags& f) {
    const int at = static_cast<int>(pos_);
    ++pos_;
    bool negated = false;
    if (peek() == '^' && !at_end()) {
      negated = true;
      ++pos_;
    }
    ClassBuilder b;
    bool first = true;
    for (;;) {
      if (at_end()) {
        fail(RegexErrorCode::kMissingBracket, at);
        return nullptr;
      }
      if (peek() == ']' && !first) {
        ++pos_;
        break;
      }
      first = false;
      if (looking_at(u"[:")) {
        const std::size_t close = p_.find(u":]", pos_ + 2);
        if (close != std::u16string_view::npos) {
          if (!parse_posix(b, close)) return nullptr;
          continue;
        }
      }
      char32_t lo = 0;
      bool lo_is_class = false;
      if (!class_atom(b, f, lo, lo_is_class)) return nullptr;
      if (peek() == '-' && !at_end() && peek(1) != ']' && pos_ + 1 < p_.size()) {
        const std::size_t dash = pos_;
        ++pos_;
        char32_t hi = 0;
        bool hi_is_class = false;
        ClassBuilder scratch;
        if (!class_atom(scratch, f, hi, hi_is_class)) return nullptr;
        if (lo_is_class || hi_is_class || hi < lo) {
          fail(RegexErrorCode::kBadClassRange, dash);
          return nullptr;
        }
        b.add_range(lo, hi);
      } else if (!lo_is_class) {
        b.add(lo);
      }
    }
    return class_node(b, negated, f, at);
  }

  bool parse_posix(ClassBuilder& b, std::size_t close) {
    const std::size_t at = pos_;
    std::u16string_view name = p_.substr(pos_ + 2, close - pos_ - 2);
    pos_ = close + 2;
    bool negated = false;
    if (!name.empty() && name[0] == '^') {
      negated = true;
      name.remove_prefix(1);
    }
    std::uint64_t map[2] = {0, 0};
    auto set = [&](char32_t lo, char32_t hi) {
      for (char32_t c = lo; c <= hi; ++c) map[c >> 6] |= std::uint64_t{1} << (c & 63);
    };
    if (name == u"ascii") set(0, 127);
    else if (name == u"alpha") set('A', 'Z'), set('a', 'z');
    else if (name == u"alnum") set('A', 'Z'), set('a', 'z'), set('0', '9');
    else if (name == u"digit") set('0', '9');
    else if (name == u"upper") set('A', 'Z');
    else if (name == u"lower") set('a', 'z');
    else return fail(RegexErrorCode::kBadPosixClass, at);
    if (negated) {
      map[0] = ~map[0];
      map[1] = ~map[1];
      b.add_non_ascii();
    }
    b.add_ascii_map(map);
    return true;
  }

  // One class member: a character (returned in c) or a shorthand class
  // (added to b, is_class set).
  bool class_atom(ClassBuilder& b, const Flags& f, char32_t& c, bool& is_class) {
    is_class = false;
    if (peek() != '\\') {
      c = take_char();
      return true;
    }
    const std::size_t at = pos_;
    ++pos_;
    if (at_end()) return fail(RegexErrorCode::kMissingBracket, at);
    const char16_t e = peek();
    switch (e) {
      case 'd': case 'D': case 'w': case 'W': case 's': case 'S': case 'l':
        ++pos_;
        add_shorthand(b, shorthand_of(e), f.space_lf);
        is_class = true;
        return true;
      case 'n': ++pos_; c = '\n'; return true;
      case 'r': ++pos_; c = '\r'; return true;
      case 't': ++pos_; c = '\t'; return true;
      case 'f': ++pos_; c = '\f'; return true;
      case 'b': ++pos_; c = '\b'; return true;
      case 'x': return parse_hex(c);
      default: c = take_char(); return true;
    }
  }

  // "(" ... ")" in all its forms.
  std::unique_ptr<Node> parse_group(Flags& f, int depth, bool& quantifiable) {
    const int at = static_cast<int>(pos_);
    ++pos_;
    if (peek() != '?' || at_end()) {
      int number = 0;
      if (groups_opened_ < kRegexMaxGroups) number = ++groups_opened_;
      else ++groups_opened_;
      return finish_group(number > 0 ? NodeKind::kCapture : NodeKind::kGroup, number, f, depth, at);
    }
    ++pos_;  // '?'
    const char16_t c = peek();
    if (at_end()) {
      fail(RegexErrorCode::kUnknownGroupForm, at);
      return nullptr;
    }
    switch (c) {
      case '#': {
        const std::size_t close = p_.find(u')', pos_);
        if (close == std::u16string_view::npos) {
          fail(RegexErrorCode::kMissingParen, at);
          return nullptr;
        }
        pos_ = close + 1;
        return nullptr;
      }
      case ':':
        ++pos_;
        return finish_group(NodeKind::kGroup, 0, f, depth, at);
      case '>':
        ++pos_;
        return finish_group(NodeKind::kAtomic, 0, f, depth, at);
      case '=':
      case '!':
        ++pos_;
        quantifiable = true;
        return finish_look(false, c == '!', f, depth, at);
      case '<':
        if (peek(1) == '=' || peek(1) == '!') {
          const bool neg = peek(1) == '!';
          pos_ += 2;
          return finish_look(true, neg, f, depth, at);
        }
        ++pos_;
        return named_group('>', f, depth, at);
      case '\'':
        ++pos_;
        return named_group('\'', f, depth, at);
      case 'P':
        if (peek(1) == '<') {
          pos_ += 2;
          return named_group('>', f, depth, at);
        }
        if (peek(1) == '=') {  // (?P=name) back-reference
          pos_ += 2;
          std::u16string name;
          if (!read_name(')', name)) return nullptr;
          return backref_to_name(std::move(name), f, at);
        }
        if (peek(1) == '>') {  // (?P>name) recursion
          pos_ += 2;
          return recursion_by_name(')', at);
        }
        fail(RegexErrorCode::kUnknownGroupForm, at);
        return nullptr;
      case '&':
        ++pos_;
        return recursion_by_name(')', at);
      case 'R':
        if (peek(1) == ')') {
          pos_ += 2;
          return recursion(0, at);
        }
        break;
      case '(':
        return parse_conditional(f, depth, at);
      default:
        break;
    }
    if ((c >= '0' && c <= '9') || c == '+' || c == '-') {
      if (c != '-' || (peek(1) >= '0' && peek(1) <= '9')) return parse_numbered_recursion(at);
    }
    return parse_flag_group(f, depth, at, quantifiable);
  }

  std::unique_ptr<Node> recursion(int group, int at) {
    auto n = make(NodeKind::kRecurse, at);
    n->group = group;
    out_.uses_recursion = true;
    if (group > 0) refs_.push_back({n.get(), {}, at});
    return n;
  }

  std::unique_ptr<Node> recursion_by_name(char16_t close, int at) {
    std::u16string name;
    if (!read_name(close, name)) return nullptr;
    auto n = make(NodeKind::kRecurse, at);
    out_.uses_recursion = true;
    refs_.push_back({n.get(), std::move(name), at});
    return n;
  }

  std::unique_ptr<Node> parse_numbered_recursion(int at) {
    const char16_t sign = peek();
    if (sign == '+' || sign == '-') ++pos_;
    if (at_end() || peek() < '0' || peek() > '9') {
      fail(RegexErrorCode::kUnknownGroupForm, at);
      return nullptr;
    }
    int n = read_number(100);
    if (peek() != ')' || at_end()) {
      fail(RegexErrorCode::kUnknownGroupForm, at);
      return nullptr;
    }
    ++pos_;
    if (sign == '+') n = groups_opened_ + n;
    else if (sign == '-') n = groups_opened_ + 1 - n;
    if (n < 0 || n > kRegexMaxGroups || ((sign == '+' || sign == '-') && n == 0)) {
      fail(RegexErrorCode::kBadBackReference, at);
      return nullptr;
    }
    return recursion(n, at);
  }

  std::unique_ptr<Node> named_group(char16_t close, Flags& f, int depth, int at) {
    std::u16string name;
    if (!read_name(close, name)) return nullptr;
    for (const auto& e : out_.names) {
      if (e.first == name) {
        fail(RegexErrorCode::kDuplicateGroupName, at);
        return nullptr;
      }
    }
    int number = 0;
    if (groups_opened_ < kRegexMaxGroups) number = ++groups_opened_;
    else ++groups_opened_;
    out_.names.emplace_back(std::move(name), number > 0 ? number : -1);
    return finish_group(number > 0 ? NodeKind::kCapture : NodeKind::kGroup, number, f, depth, at);
  }

  // Parses the body up to ")" with flags scoped to the group.
  std::unique_ptr<Node> parse_body(const Flags& f, int depth, int at) {
    Flags inner = f;
    auto body = parse_alternation(inner, depth + 1);
    if (!body) return nullptr;
    if (at_end() || peek() != ')') {
      fail(RegexErrorCode::kMissingParen, at);
      return nullptr;
    }
    ++pos_;
    return body;
  }

  std::unique_ptr<Node> finish_group(NodeKind kind, int number, const Flags& f, int depth, int at) {
    auto body = parse_body(f, depth, at);
    if (!body) return nullptr;
    auto n = make(kind, at);
    n->group = number;
    n->kids.push_back(std::move(body));
    return n;
  }

  std::unique_ptr<Node> finish_look(bool behind, bool negate, const Flags& f, int depth, int at) {
    ++look_depth_;
    auto body = parse_body(f, depth, at);
    --look_depth_;
    if (!body) return nullptr;
    auto n = make(NodeKind::kLook, at);
    n->behind = behind;
    n->negate = negate;
    n->kids.push_back(std::move(body));
    return n;
  }

  // (?(cond)yes|no)
  std::unique_ptr<Node> parse_conditional(Flags& f, int depth, int at) {
    auto n = make(NodeKind::kConditional, at);
    ++pos_;  // '(' of the condition
    if (peek() == '?' && (peek(1) == '=' || peek(1) == '!' ||
                          (peek(1) == '<' && (peek(2) == '=' || peek(2) == '!')))) {
      pos_ += 1;
      bool behind = false;
      if (peek() == '<') {
        behind = true;
        ++pos_;
      }
      const bool negate = peek() == '!';
      ++pos_;
      auto look = finish_look(behind, negate, f, depth, at);
      if (!look) return nullptr;
      n->cond = CondKind::kLook;
      n->kids.push_back(std::move(look));
    } else if ((peek() == '<' || peek() == '\'')) {
      const char16_t close = peek() == '<' ? '>' : '\'';
      ++pos_;
      std::u16string name;
      if (!read_name(close, name) || peek() != ')') return bad_condition(at);
      ++pos_;
      n->cond = CondKind::kGroupSet;
      refs_.push_back({n.get(), std::move(name), at});
    } else if (peek() == 'R') {
      ++pos_;
      n->cond = CondKind::kRecursion;
      n->group = -1;
      if (peek() == '&') {
        ++pos_;
        std::u16string name;
        if (!read_name(')', name)) return bad_condition(at);
        refs_.push_back({n.get(), std::move(name), at});
      } else {
        if (peek() >= '0' && peek() <= '9') n->group = read_number(100);
        if (peek() != ')' || at_end() || n->group > kRegexMaxGroups) return bad_condition(at);
        ++pos_;
      }
    } else if (peek() >= '0' && peek() <= '9') {
      n->cond = CondKind::kGroupSet;
      n->group = read_number(100);
      if (peek() != ')' || at_end() || n->group < 1 || n->group > kRegexMaxGroups) return bad_condition(at);
      ++pos_;
      refs_.push_back({n.get(), {}, at});
    } else {
      std::u16string name;
      if (!read_name(')', name)) return bad_condition(at);
      n->cond = CondKind::kGroupSet;
      refs_.push_back({n.get(), std::move(name), at});
    }
    Flags inner = f;
    auto body = parse_alternation(inner, depth + 1);
    if (!body) return nullptr;
    if (at_end() || peek() != ')') {
      fail(RegexErrorCode::kMissingParen, at);
      return nullptr;
    }
    ++pos_;
    if (body->kind == NodeKind::kAlternation) {
      if (body->kids.size() > 2) return bad_condition(at);
      for (auto& k : body->kids) n->kids.push_back(std::move(k));
    } else {
      n->kids.push_back(std::move(body));
    }
    return n;
  }

  std::unique_ptr<Node> bad_condition(int at) {
    fail(RegexErrorCode::kBadCondition, at);
    return nullptr;
  }

  // (?flags), (?flags-flags), (?flags-flags:...)
  std::unique_ptr<Node> parse_flag_group(Flags& f, int depth, int at, bool& quantifiable) {
    Flags nf = f;
    bool on = true;
    bool seen_dash = false;
    for (;;) {
      if (at_end()) {
        fail(RegexErrorCode::kMissingParen, at);
        return nullptr;
      }
      const char16_t c = p_[pos_];
      if (c == ')' || c == ':') break;
      ++pos_;
      switch (c) {
        case 'i': nf.icase = on; break;
        case 's': nf.dot_all = on; break;
        case 'S': nf.space_lf = on; break;
        case 'w': nf.width = on; break;
        case '-':
          if (seen_dash) {
            fail(RegexErrorCode::kBadFlag, pos_ - 1);
            return nullptr;
          }
          seen_dash = true;
          on = false;
          break;
        default:
          fail(pos_ - 1 == static_cast<std::size_t>(at) + 2 ? RegexErrorCode::kUnknownGroupForm
                                                            : RegexErrorCode::kBadFlag,
               pos_ - 1);
          return nullptr;
      }
    }
    if (p_[pos_] == ')') {
      ++pos_;
      f = nf;  // for the rest of the enclosing group
      quantifiable = false;
      return nullptr;
    }
    ++pos_;  // ':'
    return finish_group(NodeKind::kGroup, 0, nf, depth, at);
  }

  bool resolve_references() {
    out_.group_count = std::min(groups_opened_, kRegexMaxGroups);
    for (const PendingRef& r : refs_) {
      if (!r.name.empty()) {
        int number = -1;
        for (const auto& e : out_.names) {
          if (e.first == r.name) number = e.second;
        }
        if (number < 0) return fail(RegexErrorCode::kUnknownGroupName, r.offset);
        r.node->group = number;
      } else if (r.node->group > out_.group_count) {
        return fail(RegexErrorCode::kBadBackReference, r.offset);
      }
    }
    return true;
  }

  std::u16string_view p_;
  std::size_t pos_ = 0;
  ParseResult& out_;
  RegexError& err_;
  Flags base_;
  int groups_opened_ = 0;
  int look_depth_ = 0;
  bool anchor_made_ = false;  // the last atom was an anchor (not quantifiable)
  std::vector<PendingRef> refs_;
};

}  // namespace

bool parse_pattern(std::u16string_view pattern, unsigned flags, ParseResult& out, RegexError& error) {
  error = RegexError{};
  Parser parser(pattern, flags, out, error);
  return parser.run();
}

}  // namespace kestrel::rx
