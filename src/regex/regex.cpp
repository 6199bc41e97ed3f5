// The compiled-pattern object: compile, compile-plain-text, execute and the
// submatch queries. Matching itself is in regex_matcher.cpp.
#include "regex/regex.h"

#include <new>

#include "platform/utf16.h"
#include "regex/regex_p.h"

namespace kestrel {

std::u16string_view RegexError::description() const {
  switch (code) {
    case RegexErrorCode::kNone: return u"no error";
    case RegexErrorCode::kMissingParen: return u"missing )";
    case RegexErrorCode::kUnmatchedParen: return u"unmatched )";
    case RegexErrorCode::kMissingBracket: return u"missing ] at the end of a character class";
    case RegexErrorCode::kNothingToRepeat: return u"quantifier does not follow a repeatable item";
    case RegexErrorCode::kUnknownGroupForm: return u"unrecognised character after (?";
    case RegexErrorCode::kBadFlag: return u"unknown flag letter";
    case RegexErrorCode::kBadBackReference: return u"reference to a group that does not exist (groups are 1 to 9)";
    case RegexErrorCode::kUnknownGroupName: return u"reference to an unknown group name";
    case RegexErrorCode::kDuplicateGroupName: return u"two groups have the same name";
    case RegexErrorCode::kBadGroupName: return u"malformed group name";
    case RegexErrorCode::kVariableLookbehind: return u"lookbehind is not of fixed length";
    case RegexErrorCode::kBadRepeat: return u"bad repetition count";
    case RegexErrorCode::kBadEscape: return u"malformed escape";
    case RegexErrorCode::kBadClassRange: return u"bad range in a character class";
    case RegexErrorCode::kBadPosixClass: return u"unknown POSIX class name";
    case RegexErrorCode::kBadCondition: return u"malformed conditional group";
    case RegexErrorCode::kKeepInLookaround: return u"\\K is not allowed in a lookaround";
    case RegexErrorCode::kTooDeep: return u"parentheses are nested too deeply";
    case RegexErrorCode::kTooLarge: return u"pattern is too large";
    case RegexErrorCode::kNoMemory: return u"no memory";
  }
  return u"invalid regexp pattern";
}

Regex::Regex(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
Regex::~Regex() = default;

namespace {

rx::MatchInput match_input(const Regex::Impl& d) { return {d.user_positions_set, d.user_positions}; }
rx::MatchLimits match_limits(const Regex::Impl& d) { return {d.step_limit, d.cancel ? &d.cancel : nullptr}; }

}  // namespace

int Regex::execute(std::u16string_view subject, std::size_t start) {
  Impl& d = *impl_;
  if (d.plain) {
    const std::size_t at = d.searcher->find(subject, start);
    d.regs.start.fill(kNoTextPos);
    d.regs.end.fill(kNoTextPos);
    if (at == std::u16string_view::npos) {
      d.status = RegexStatus::kNoMatch;
      return 0;
    }
    d.regs.start[0] = static_cast<TextPos>(at);
    d.regs.end[0] = static_cast<TextPos>(at + d.searcher->length());
    d.status = RegexStatus::kMatch;
    return 1;
  }
  d.status = rx::run_string(d.prog, *d.state, subject, start, false, match_input(d), match_limits(d), d.regs);
  return d.status == RegexStatus::kMatch ? 1 : 0;
}

int Regex::execute(const RegexTextSource& source, TextPos start) {
  Impl& d = *impl_;
  d.status = rx::run_source(d.prog, *d.state, source, start, false, match_input(d), match_limits(d), d.regs);
  return d.status == RegexStatus::kMatch ? 1 : 0;
}

int Regex::execute_backward(std::u16string_view subject, std::size_t from) {
  Impl& d = *impl_;
  d.status = rx::run_string(d.prog, *d.state, subject, from, true, match_input(d), match_limits(d), d.regs);
  return d.status == RegexStatus::kMatch ? 1 : 0;
}

int Regex::execute_backward(const RegexTextSource& source, TextPos from) {
  Impl& d = *impl_;
  d.status = rx::run_source(d.prog, *d.state, source, from, true, match_input(d), match_limits(d), d.regs);
  return d.status == RegexStatus::kMatch ? 1 : 0;
}

RegexStatus Regex::status() const { return impl_->status; }
bool Regex::abandoned() const {
  return impl_->status != RegexStatus::kMatch && impl_->status != RegexStatus::kNoMatch;
}
TextPos Regex::match_start() const { return impl_->regs.start[0]; }
TextPos Regex::match_end() const { return impl_->regs.end[0]; }
std::int64_t Regex::match_length() const {
  return impl_->regs.start[0] == kNoTextPos ? 0 : impl_->regs.end[0] - impl_->regs.start[0];
}
const RegexMatch& Regex::registers() const { return impl_->regs; }
int Regex::group_count() const { return impl_->plain ? 0 : impl_->prog.group_count; }

bool Regex::submatch(int n, TextPos* start, TextPos* end) const {
  if (n < 0 || n > group_count()) return false;
  if (start) *start = impl_->regs.start[n];
  if (end) *end = impl_->regs.end[n];
  return true;
}

int Regex::group_index(std::u16string_view name) const {
  for (const auto& e : impl_->names) {
    if (e.first == name) return e.second;
  }
  return -1;
}

void Regex::set_anchor_positions(const std::array<TextPos, 4>& positions) {
  impl_->user_positions = positions;
  impl_->user_positions_set = true;
}
void Regex::clear_anchor_positions() { impl_->user_positions_set = false; }
void Regex::set_step_limit(std::uint64_t steps) { impl_->step_limit = steps; }
void Regex::set_cancel_check(std::function<bool()> cancel) { impl_->cancel = std::move(cancel); }
unsigned Regex::flags() const { return impl_->flags; }
bool Regex::is_plain_text() const { return impl_->plain; }
const std::u16string& Regex::source_text() const { return impl_->source; }

std::unique_ptr<Regex> compile_regex(std::u16string_view pattern, unsigned flags, RegexError* error) {
  RegexError local;
  RegexError& err = error ? *error : local;
  err = RegexError{};
  try {
    auto impl = std::make_unique<Regex::Impl>();
    impl->flags = flags;
    impl->source.assign(pattern);
    rx::ParseResult parsed;
    if (!rx::parse_pattern(pattern, flags, parsed, err)) return nullptr;
    impl->names = parsed.names;
    if (!rx::compile_program(parsed, flags, impl->prog, err)) return nullptr;
    impl->state = rx::make_matcher_state();
    impl->regs.start.fill(kNoTextPos);
    impl->regs.end.fill(kNoTextPos);
    return std::make_unique<Regex>(std::move(impl));
  } catch (const std::bad_alloc&) {
    err.code = RegexErrorCode::kNoMemory;
    return nullptr;
  }
}

namespace {

// The text as a pattern that matches it literally: every ASCII character
// that could mean something is escaped (a "\Q...\E" wrapper would end
// early at a "\E" inside the text).
std::u16string quote_pattern(std::u16string_view text) {
  std::u16string quoted;
  quoted.reserve(text.size() * 2);
  for (char16_t u : text) {
    const bool plain = u >= 0x80 || u <= ' ' || (u >= '0' && u <= '9') || (u >= 'A' && u <= 'Z') ||
                       (u >= 'a' && u <= 'z') || u == '_';
    if (!plain) quoted.push_back(u'\\');
    quoted.push_back(u);
  }
  return quoted;
}

}  // namespace

std::unique_ptr<Regex> compile_plain_text(std::u16string_view text, unsigned flags) {
  try {
    auto re = compile_regex(quote_pattern(text), flags);
    if (!re) return nullptr;
    Regex::Impl& d = re->impl();
    d.source.assign(text);
    if ((flags & kRegexIgnoreWidth) == 0) {
      // Strings are searched with the shift table; the compiled program
      // stays for searches over a text source.
      d.plain = true;
      d.searcher = std::make_unique<rx::PlainSearcher>(text, (flags & kRegexIgnoreCase) != 0);
    }
    return re;
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

}  // namespace kestrel
