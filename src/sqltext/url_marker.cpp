#include "sqltext/url_marker.h"

#include <algorithm>

#include "sqltext/sqltext_constants.h"

namespace kestrel {

namespace {

constexpr std::u16string_view kUrlPrefixes[] = {u"http://", u"https://", u"ftp://", u"www."};

bool IsAsciiAlnum(char16_t c) {
  return (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z');
}

// Characters that end a URL.
bool IsUrlStop(char16_t c) {
  return c == u' ' || c == u'\t' || c == u'"' || c == u'<' || c == u'>' || c == u'[' || c == u']' || c > 0x7F;
}

// A parenthesis stays in the URL when a letter, digit, '.' or '/' follows
// before the URL would stop anyway ("wiki/Foo_(bar)" keeps its ')' only
// when more URL follows, so "(see http://x.org/a)" ends before the ')').
bool ParenBelongs(std::u16string_view line, std::size_t i) {
  for (std::size_t j = i + 1; j < line.size(); ++j) {
    char16_t c = line[j];
    if (IsUrlStop(c)) return false;
    if (IsAsciiAlnum(c) || c == u'.' || c == u'/') return true;
  }
  return false;
}

std::size_t UrlPrefixAt(std::u16string_view line, std::size_t i) {
  for (std::u16string_view p : kUrlPrefixes)
    if (line.substr(i).starts_with(p)) return p.size();
  return 0;
}

}  // namespace

void MarkUrls(std::u16string_view line, std::span<uint8_t> attr) {
  const std::size_t n = std::min(line.size(), attr.size());
  for (std::size_t i = 0; i < n; ++i) attr[i] &= static_cast<uint8_t>(~kAttrUrl);

  for (std::size_t i = 0; i < n;) {
    std::size_t prefix = UrlPrefixAt(line, i);
    if (prefix == 0) {
      ++i;
      continue;
    }
    std::size_t end = i + prefix;
    while (end < n) {
      char16_t c = line[end];
      if (IsUrlStop(c)) break;
      if ((c == u'(' || c == u')') && !ParenBelongs(line, end)) break;
      ++end;
    }
    if (end - i > prefix) {
      for (std::size_t k = i; k < end; ++k) attr[k] |= kAttrUrl;
      i = end;
    } else {
      ++i;
    }
  }

  for (std::size_t at = 0; at < n; ++at) {
    if (line[at] != u'@') continue;
    std::size_t left = at;
    while (left > 0) {
      char16_t c = line[left - 1];
      if (!(IsAsciiAlnum(c) || c == u'_' || c == u'-' || c == u'.' || c == u'+')) break;
      --left;
    }
    std::size_t right = at + 1;
    while (right < n) {
      char16_t c = line[right];
      if (!(IsAsciiAlnum(c) || c == u'_' || c == u'-' || c == u'.')) break;
      ++right;
    }
    if (left < at && right > at + 1)
      for (std::size_t k = left; k < right; ++k) attr[k] |= kAttrUrl;
  }
}

std::u16string_view MarkedWordAt(std::u16string_view line, std::span<const uint8_t> attr, std::size_t col) {
  const std::size_t n = std::min(line.size(), attr.size());
  if (col >= n || !(attr[col] & kAttrUrl)) return {};
  std::size_t s = col;
  while (s > 0 && (attr[s - 1] & kAttrUrl)) --s;
  std::size_t e = col + 1;
  while (e < n && (attr[e] & kAttrUrl)) ++e;
  return line.substr(s, e - s);
}

std::u16string UrlToOpen(std::u16string_view word) {
  for (std::u16string_view p : kUrlPrefixes)
    if (word.starts_with(p)) return std::u16string(word);
  return u"mailto:" + std::u16string(word);
}

}  // namespace kestrel
