#include "platform/utf16.h"

#include <limits>

namespace kestrel {

char32_t code_point_at(std::u16string_view s, std::size_t pos, std::size_t* len) {
  char16_t c = s[pos];
  if (is_high_surrogate(c) && pos + 1 < s.size() && is_low_surrogate(s[pos + 1])) {
    if (len) *len = 2;
    return 0x10000 + ((char32_t(c) - 0xD800) << 10) + (char32_t(s[pos + 1]) - 0xDC00);
  }
  if (len) *len = 1;
  return c;
}

void append_code_point(std::u16string& out, char32_t cp) {
  if (cp >= 0x10000 && cp <= 0x10FFFF) {
    cp -= 0x10000;
    out.push_back(char16_t(0xD800 + (cp >> 10)));
    out.push_back(char16_t(0xDC00 + (cp & 0x3FF)));
  } else if (cp > 0x10FFFF) {
    out.push_back(u'\xFFFD');
  } else {
    out.push_back(char16_t(cp));
  }
}

std::size_t prev_char_start(std::u16string_view s, std::size_t pos) {
  if (pos == 0) return 0;
  if (pos >= 2 && is_low_surrogate(s[pos - 1]) && is_high_surrogate(s[pos - 2])) return pos - 2;
  return pos - 1;
}

std::size_t safe_cut(std::u16string_view s, std::size_t max_units) {
  if (max_units >= s.size()) return s.size();
  if (max_units > 0 && is_high_surrogate(s[max_units - 1]) && is_low_surrogate(s[max_units]))
    return max_units - 1;
  return max_units;
}

namespace {

// Decodes one UTF-8 sequence at s[i]; returns false for an invalid one
// (overlong, surrogate, out of range, truncated), consuming one byte.
bool decode_utf8(std::string_view s, std::size_t& i, char32_t& cp) {
  auto b = static_cast<unsigned char>(s[i]);
  if (b < 0x80) { cp = b; ++i; return true; }
  int n;
  char32_t min;
  if ((b & 0xE0) == 0xC0) { n = 1; cp = b & 0x1F; min = 0x80; }
  else if ((b & 0xF0) == 0xE0) { n = 2; cp = b & 0x0F; min = 0x800; }
  else if ((b & 0xF8) == 0xF0) { n = 3; cp = b & 0x07; min = 0x10000; }
  else { ++i; return false; }
  for (int k = 1; k <= n; ++k) {
    if (i + k >= s.size()) { ++i; return false; }
    auto c = static_cast<unsigned char>(s[i + k]);
    if ((c & 0xC0) != 0x80) { ++i; return false; }
    cp = (cp << 6) | (c & 0x3F);
  }
  if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) { ++i; return false; }
  i += n + 1;
  return true;
}

}  // namespace

std::u16string utf8_to_utf16(std::string_view s) {
  std::u16string out;
  out.reserve(s.size());
  std::size_t i = 0;
  while (i < s.size()) {
    char32_t cp;
    if (decode_utf8(s, i, cp)) append_code_point(out, cp);
    else out.push_back(u'\xFFFD');
  }
  return out;
}

bool is_valid_utf8(std::string_view s) {
  std::size_t i = 0;
  char32_t cp;
  while (i < s.size())
    if (!decode_utf8(s, i, cp)) return false;
  return true;
}

std::string utf16_to_utf8(std::u16string_view s) {
  std::string out;
  out.reserve(s.size() * 3 / 2);
  for (std::size_t i = 0; i < s.size();) {
    std::size_t len;
    char32_t cp = code_point_at(s, i, &len);
    i += len;
    if (cp >= 0xD800 && cp <= 0xDFFF) cp = 0xFFFD;
    if (cp < 0x80) {
      out.push_back(char(cp));
    } else if (cp < 0x800) {
      out.push_back(char(0xC0 | (cp >> 6)));
      out.push_back(char(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
      out.push_back(char(0xE0 | (cp >> 12)));
      out.push_back(char(0x80 | ((cp >> 6) & 0x3F)));
      out.push_back(char(0x80 | (cp & 0x3F)));
    } else {
      out.push_back(char(0xF0 | (cp >> 18)));
      out.push_back(char(0x80 | ((cp >> 12) & 0x3F)));
      out.push_back(char(0x80 | ((cp >> 6) & 0x3F)));
      out.push_back(char(0x80 | (cp & 0x3F)));
    }
  }
  return out;
}

char16_t ascii_upper(char16_t c) { return (c >= u'a' && c <= u'z') ? char16_t(c - 32) : c; }
char16_t ascii_lower(char16_t c) { return (c >= u'A' && c <= u'Z') ? char16_t(c + 32) : c; }

std::u16string ascii_upper(std::u16string_view s) {
  std::u16string r(s);
  for (auto& c : r) c = ascii_upper(c);
  return r;
}

std::u16string ascii_lower(std::u16string_view s) {
  std::u16string r(s);
  for (auto& c : r) c = ascii_lower(c);
  return r;
}

int icompare_ascii(std::u16string_view a, std::u16string_view b) {
  std::size_t n = a.size() < b.size() ? a.size() : b.size();
  for (std::size_t i = 0; i < n; ++i) {
    char16_t x = ascii_lower(a[i]), y = ascii_lower(b[i]);
    if (x != y) return x < y ? -1 : 1;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

bool iequals_ascii(std::u16string_view a, std::u16string_view b) {
  return a.size() == b.size() && icompare_ascii(a, b) == 0;
}

bool starts_with_ci(std::u16string_view s, std::u16string_view prefix) {
  return s.size() >= prefix.size() && iequals_ascii(s.substr(0, prefix.size()), prefix);
}

template <typename View>
static View trim_impl(View s) {
  std::size_t b = 0, e = s.size();
  while (b < e && (s[b] == ' ' || s[b] == '\t')) ++b;
  while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t')) --e;
  return s.substr(b, e - b);
}

std::u16string_view trim_blanks(std::u16string_view s) { return trim_impl(s); }
std::string_view trim_blanks(std::string_view s) { return trim_impl(s); }

int64_t parse_leading_int64(std::u16string_view s, bool* ok) {
  std::size_t i = 0;
  while (i < s.size() && (s[i] == u' ' || s[i] == u'\t')) ++i;
  bool neg = false;
  if (i < s.size() && (s[i] == u'-' || s[i] == u'+')) neg = s[i++] == u'-';
  uint64_t v = 0;
  bool any = false, overflow = false;
  for (; i < s.size() && s[i] >= u'0' && s[i] <= u'9'; ++i) {
    any = true;
    uint64_t d = uint64_t(s[i] - u'0');
    if (v > (std::numeric_limits<uint64_t>::max() - d) / 10) overflow = true;
    v = v * 10 + d;
  }
  if (ok) *ok = any && !overflow;
  return neg ? int64_t(0 - v) : int64_t(v);
}

int32_t parse_leading_int(std::u16string_view s) {
  return static_cast<int32_t>(static_cast<uint32_t>(parse_leading_int64(s)));
}

std::u16string to_u16(int64_t v) {
  std::string s = std::to_string(v);
  return std::u16string(s.begin(), s.end());
}

}  // namespace kestrel
