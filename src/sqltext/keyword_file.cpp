#include "sqltext/keyword_file.h"

#include "platform/utf16.h"
#include "sqltext/sqltext_constants.h"

namespace kestrel {

namespace {

std::u16string_view TrimTrailing(std::u16string_view s) {
  while (!s.empty() && (s.back() == u' ' || s.back() == u'\t' || s.back() == u'\r' || s.back() == u'\n'))
    s.remove_suffix(1);
  return s;
}

std::u16string_view TrimLeading(std::u16string_view s) {
  while (!s.empty() && (s.front() == u' ' || s.front() == u'\t')) s.remove_prefix(1);
  return s;
}

void ParseLine(std::u16string_view line, std::vector<KeywordLine>& out) {
  if (auto nul = line.find(u'\0'); nul != std::u16string_view::npos) line = line.substr(0, nul);
  line = TrimTrailing(line);
  if (line.empty() || line.starts_with(u"//")) return;
  int32_t kind = kKeywordKind1;
  if (auto comma = line.rfind(u','); comma != std::u16string_view::npos) {
    kind = parse_leading_int(line.substr(comma + 1));
    if (kind < kKeywordKind1 || kind > kKeywordKind2) kind = kKeywordKind1;
    line = TrimTrailing(line.substr(0, comma));
  }
  line = TrimLeading(line);
  if (line.empty()) return;
  out.push_back(KeywordLine{std::u16string(line), kind});
}

}  // namespace

std::vector<KeywordLine> ParseKeywordLines(std::u16string_view text) {
  std::vector<KeywordLine> out;
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t end = text.find_first_of(u"\r\n", pos);
    if (end == std::u16string_view::npos) end = text.size();
    ParseLine(text.substr(pos, end - pos), out);
    pos = end;
    if (pos < text.size() && text[pos] == u'\r') ++pos;
    if (pos < text.size() && text[pos] == u'\n') ++pos;
  }
  return out;
}

}  // namespace kestrel
