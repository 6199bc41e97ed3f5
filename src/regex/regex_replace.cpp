// Replacement: expanding a replacement template for a match, and replacing
// the first or every match of a string.
//
// Template syntax: \N or $N (N = 1-9) group N; \& or $& the whole match;
// $` the text before the match; $' the text after it up to the end of its
// line; $+ the highest-numbered group that took part; \{name} or ${name} a
// named (or numbered) group; \n line feed; \t tab; "\" before any other
// character inserts that character; "$" not followed by one of & ` ' + {
// or 1-9 is an ordinary character. A group that did not take part inserts
// nothing.
#include <new>

#include "platform/utf16.h"
#include "regex/regex_p.h"

namespace kestrel {

namespace {

// Reads text between positions of a flat string or of a text source.
class FlatReader {
 public:
  explicit FlatReader(std::u16string_view s) : s_(s) {}
  void append(std::u16string& out, TextPos from, TextPos to) const {
    if (from == kNoTextPos || to == kNoTextPos || to <= from) return;
    out.append(s_.substr(static_cast<std::size_t>(from), static_cast<std::size_t>(to - from)));
  }
  void append_before(std::u16string& out, TextPos pos) const { append(out, 0, pos); }
  void append_rest_of_line(std::u16string& out, TextPos pos) const {
    StringTextSource src(s_);
    TextPos end = pos;
    while (!src.at_line_end(end)) ++end;
    append(out, pos, end);
  }

 private:
  std::u16string_view s_;
};

class SourceReader {
 public:
  explicit SourceReader(const RegexTextSource& src) : src_(src) {}
  void append(std::u16string& out, TextPos from, TextPos to) const {
    if (from == kNoTextPos || to == kNoTextPos) return;
    for (TextPos p = from; p != to && !src_.at_text_end(p); p = src_.next(p)) {
      append_code_point(out, src_.char_at(p));
    }
  }
  void append_before(std::u16string& out, TextPos pos) const {
    TextPos start = pos;
    while (!src_.at_text_start(start)) start = src_.prev(start);
    append(out, start, pos);
  }
  void append_rest_of_line(std::u16string& out, TextPos pos) const {
    for (TextPos p = pos; !src_.at_line_end(p); p = src_.next(p)) append_code_point(out, src_.char_at(p));
  }

 private:
  const RegexTextSource& src_;
};

template <class Reader>
void expand(const Regex& re, const Reader& text, std::u16string_view t, std::u16string& out) {
  const RegexMatch& m = re.registers();
  auto group = [&](int g) {
    if (g >= 0 && g <= re.group_count()) text.append(out, m.start[g], m.end[g]);
  };
  // {name} or {N} at t[i]; returns the index after "}" or i when malformed.
  auto braced = [&](std::size_t i) -> std::size_t {
    if (i >= t.size() || t[i] != u'{') return i;
    const std::size_t close = t.find(u'}', i + 1);
    if (close == std::u16string_view::npos || close == i + 1) return i;
    const std::u16string_view name = t.substr(i + 1, close - i - 1);
    int g = -1;
    if (name.find_first_not_of(u"0123456789") == std::u16string_view::npos) {
      g = name.size() <= 2 ? parse_leading_int(name) : -1;
    } else {
      g = re.group_index(name);
    }
    group(g);
    return close + 1;
  };
  for (std::size_t i = 0; i < t.size(); ++i) {
    const char16_t c = t[i];
    if (c == u'\\' && i + 1 < t.size()) {
      const char16_t d = t[++i];
      if (d >= u'1' && d <= u'9') group(d - u'0');
      else if (d == u'&') group(0);
      else if (d == u'n') out.push_back(u'\n');
      else if (d == u't') out.push_back(u'\t');
      else if (d == u'{') {
        const std::size_t next = braced(i);
        if (next == i) out.push_back(d);
        else i = next - 1;
      } else {
        out.push_back(d);
      }
      continue;
    }
    if (c == u'$' && i + 1 < t.size()) {
      const char16_t d = t[i + 1];
      if (d >= u'1' && d <= u'9') {
        group(d - u'0');
        ++i;
        continue;
      }
      switch (d) {
        case u'&': group(0); ++i; continue;
        case u'`': text.append_before(out, m.start[0]); ++i; continue;
        case u'\'': text.append_rest_of_line(out, m.end[0]); ++i; continue;
        case u'+': {
          for (int g = re.group_count(); g >= 1; --g) {
            if (m.start[g] != kNoTextPos) {
              group(g);
              break;
            }
          }
          ++i;
          continue;
        }
        case u'{': {
          const std::size_t next = braced(i + 1);
          if (next != i + 1) {
            i = next - 1;
            continue;
          }
          break;
        }
        default:
          break;
      }
    }
    out.push_back(c);
  }
}

template <class Produce>
RegexReplaceStatus replace_loop(Regex& re, std::u16string_view subject, RegexReplaceScope scope,
                                std::u16string& out, int* count, Produce&& produce) {
  int replaced = 0;
  try {
    std::u16string result;
    result.reserve(subject.size());
    std::size_t copied = 0;
    std::size_t search = 0;
    while (search <= subject.size()) {
      if (re.execute(subject, search) == 0) {
        if (re.abandoned()) {
          if (count) *count = replaced;
          return re.status() == RegexStatus::kNoMemory ? RegexReplaceStatus::kNoMemory
                                                       : RegexReplaceStatus::kAbandoned;
        }
        break;
      }
      const auto start = static_cast<std::size_t>(re.match_start());
      const auto end = static_cast<std::size_t>(re.match_end());
      result.append(subject.substr(copied, start - copied));
      if (!produce(result)) {
        if (count) *count = replaced;
        return RegexReplaceStatus::kCallbackFailed;
      }
      ++replaced;
      copied = end;
      if (scope == RegexReplaceScope::kFirst) break;
      if (end == start) {
        // An empty match: keep the next character and search on after it, so
        // the same empty match is never found twice.
        if (end >= subject.size()) break;
        std::size_t len = 1;
        code_point_at(subject, end, &len);
        result.append(subject.substr(end, len));
        copied = end + len;
        search = end + len;
      } else {
        search = end;
      }
    }
    if (copied < subject.size()) result.append(subject.substr(copied));
    out = std::move(result);
  } catch (const std::bad_alloc&) {
    if (count) *count = replaced;
    return RegexReplaceStatus::kNoMemory;
  }
  if (count) *count = replaced;
  return RegexReplaceStatus::kOk;
}

}  // namespace

RegexReplaceStatus regex_replace(Regex& re, std::u16string_view subject,
                                 std::u16string_view replacement, RegexReplaceSyntax syntax,
                                 RegexReplaceScope scope, std::u16string& out, int* count) {
  const FlatReader reader(subject);
  return replace_loop(re, subject, scope, out, count, [&](std::u16string& result) {
    if (syntax == RegexReplaceSyntax::kLiteral) result.append(replacement);
    else expand(re, reader, replacement, result);
    return true;
  });
}

RegexReplaceStatus regex_replace(Regex& re, std::u16string_view subject,
                                 const RegexReplaceFunction& replacement, RegexReplaceScope scope,
                                 std::u16string& out, int* count) {
  return replace_loop(re, subject, scope, out, count,
                      [&](std::u16string& result) { return replacement(re, result); });
}

std::u16string regex_expand_template(const Regex& re, const RegexTextSource& source,
                                     std::u16string_view replacement) {
  std::u16string out;
  expand(re, SourceReader(source), replacement, out);
  return out;
}

std::u16string regex_expand_template(const Regex& re, std::u16string_view subject,
                                     std::u16string_view replacement) {
  std::u16string out;
  expand(re, FlatReader(subject), replacement, out);
  return out;
}

}  // namespace kestrel
