// Placeholder implementation so callers can build against regex.h while the
// engine is written: every compile fails cleanly.
#include "regex/regex.h"

namespace kestrel {

struct Regex::Impl {
  unsigned flags = 0;
  std::u16string source;
  RegexMatch regs{};
  RegexStatus status = RegexStatus::kNoMatch;
};

std::u16string_view RegexError::description() const { return u"not implemented"; }

Regex::Regex(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
Regex::~Regex() = default;
int Regex::execute(std::u16string_view, std::size_t) { return 0; }
int Regex::execute(const RegexTextSource&, TextPos) { return 0; }
RegexStatus Regex::status() const { return impl_->status; }
bool Regex::abandoned() const { return false; }
TextPos Regex::match_start() const { return impl_->regs.start[0]; }
TextPos Regex::match_end() const { return impl_->regs.end[0]; }
std::int64_t Regex::match_length() const { return match_end() - match_start(); }
const RegexMatch& Regex::registers() const { return impl_->regs; }
int Regex::group_count() const { return 0; }
bool Regex::submatch(int, TextPos*, TextPos*) const { return false; }
int Regex::group_index(std::u16string_view) const { return -1; }
void Regex::set_anchor_positions(const std::array<TextPos, 4>&) {}
void Regex::clear_anchor_positions() {}
void Regex::set_step_limit(std::uint64_t) {}
void Regex::set_cancel_check(std::function<bool()>) {}
unsigned Regex::flags() const { return impl_->flags; }
bool Regex::is_plain_text() const { return false; }
const std::u16string& Regex::source_text() const { return impl_->source; }

std::unique_ptr<Regex> compile_regex(std::u16string_view, unsigned, RegexError* error) {
  if (error) error->code = RegexErrorCode::kNoMemory;
  return nullptr;
}
std::unique_ptr<Regex> compile_plain_text(std::u16string_view, unsigned) { return nullptr; }

RegexReplaceStatus regex_replace(Regex&, std::u16string_view subject, std::u16string_view,
                                 RegexReplaceSyntax, RegexReplaceScope, std::u16string& out, int* count) {
  out = subject;
  if (count) *count = 0;
  return RegexReplaceStatus::kOk;
}
RegexReplaceStatus regex_replace(Regex&, std::u16string_view subject, const RegexReplaceFunction&,
                                 RegexReplaceScope, std::u16string& out, int* count) {
  out = subject;
  if (count) *count = 0;
  return RegexReplaceStatus::kOk;
}
std::u16string regex_expand_template(const Regex&, const RegexTextSource&, std::u16string_view) { return {}; }
std::u16string regex_expand_template(const Regex&, std::u16string_view, std::u16string_view) { return {}; }

}  // namespace kestrel
