// The flat string as a text source (see text_source.h for the line rules).
#include "regex/text_source.h"

#include "platform/utf16.h"

namespace kestrel {

char32_t StringTextSource::char_at(TextPos p) const {
  if (p < 0 || p >= static_cast<TextPos>(text_.size())) return kEndOfText;
  return code_point_at(text_, static_cast<std::size_t>(p));
}

TextPos StringTextSource::next(TextPos p) const {
  const auto n = static_cast<TextPos>(text_.size());
  if (p + 1 < n && is_high_surrogate(text_[p]) && is_low_surrogate(text_[p + 1])) return p + 2;
  return p + 1;
}

TextPos StringTextSource::prev(TextPos p) const {
  if (p >= 2 && is_low_surrogate(text_[p - 1]) && is_high_surrogate(text_[p - 2])) return p - 2;
  return p - 1;
}

bool StringTextSource::at_line_start(TextPos p) const {
  return p <= 0 || text_[p - 1] == u'\n';
}

bool StringTextSource::at_line_end(TextPos p) const {
  const auto n = static_cast<TextPos>(text_.size());
  if (p >= n) return true;
  const char16_t c = text_[p];
  if (c == u'\n') return p == 0 || text_[p - 1] != u'\r';
  return c == u'\r' && p + 1 < n && text_[p + 1] == u'\n';
}

}  // namespace kestrel
