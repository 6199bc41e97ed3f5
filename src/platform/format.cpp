#include "platform/format.h"

#include <cassert>
#include <cstdio>
#include <vector>

#include "platform/utf16.h"

namespace kestrel {
namespace {

struct Conversion {
  bool left = false, plus = false, space = false, alt = false, zero = false;
  int width = -1;
  int precision = -1;
  char16_t conv = 0;
};

class Formatter {
 public:
  Formatter(std::initializer_list<FormatArg> args) : args_(args) {}

  std::u16string run(std::u16string_view fmt) {
    for (std::size_t i = 0; i < fmt.size();) {
      char16_t c = fmt[i];
      if (c != u'%') {
        out_.push_back(c);
        ++i;
        continue;
      }
      ++i;
      if (i < fmt.size() && fmt[i] == u'%') {
        out_.push_back(u'%');
        ++i;
        continue;
      }
      Conversion conv;
      if (!parse(fmt, i, conv)) {
        fail();
        break;
      }
      emit(conv);
    }
    if (next_ != args_.size()) fail();  // extra arguments
    return std::move(out_);
  }

 private:
  bool parse(std::u16string_view f, std::size_t& i, Conversion& s) {
    for (; i < f.size(); ++i) {
      char16_t c = f[i];
      if (c == u'-') s.left = true;
      else if (c == u'+') s.plus = true;
      else if (c == u' ') s.space = true;
      else if (c == u'#') s.alt = true;
      else if (c == u'0') s.zero = true;
      else break;
    }
    if (i < f.size() && f[i] == u'*') {
      ++i;
      const FormatArg* a = take();
      if (!a || (a->kind() != FormatArg::Kind::Int && a->kind() != FormatArg::Kind::UInt)) return false;
      int64_t w = a->as_int();
      if (w < 0) { s.left = true; w = -w; }
      s.width = static_cast<int>(w);
    } else {
      while (i < f.size() && f[i] >= u'0' && f[i] <= u'9') s.width = (s.width < 0 ? 0 : s.width * 10) + (f[i++] - u'0');
    }
    if (i < f.size() && f[i] == u'.') {
      ++i;
      s.precision = 0;
      if (i < f.size() && f[i] == u'*') {
        ++i;
        const FormatArg* a = take();
        if (!a || (a->kind() != FormatArg::Kind::Int && a->kind() != FormatArg::Kind::UInt)) return false;
        s.precision = a->as_int() < 0 ? -1 : static_cast<int>(a->as_int());
      } else {
        while (i < f.size() && f[i] >= u'0' && f[i] <= u'9') s.precision = s.precision * 10 + (f[i++] - u'0');
      }
    }
    // Length modifiers carry no meaning here: the argument knows its width.
    if (f.substr(i).starts_with(u"I64")) i += 3;
    else if (f.substr(i).starts_with(u"I32")) i += 3;
    while (i < f.size() && (f[i] == u'l' || f[i] == u'h' || f[i] == u'z' || f[i] == u'j' || f[i] == u't' ||
                            f[i] == u'L' || f[i] == u'I' || f[i] == u'w'))
      ++i;
    if (i >= f.size()) return false;
    s.conv = f[i++];
    return true;
  }

  const FormatArg* take() { return next_ < args_.size() ? args_.begin() + next_++ : nullptr; }

  void fail() {
    assert(!"format string and arguments do not match");
    out_ += u"%!";
  }

  void pad_and_append(std::u16string_view body, const Conversion& s) {
    std::size_t len = body.size();
    std::size_t w = s.width > 0 ? static_cast<std::size_t>(s.width) : 0;
    if (!s.left && len < w) out_.append(w - len, u' ');
    out_ += body;
    if (s.left && len < w) out_.append(w - len, u' ');
  }

  // Numbers go through the C library with a conversion we assembled, so the
  // result follows printf exactly (zero padding, signs, precision).
  void emit_c(const Conversion& s, char conv, const char* length, const FormatArg& a) {
    char cfmt[32];
    int n = 0;
    cfmt[n++] = '%';
    if (s.left) cfmt[n++] = '-';
    if (s.plus) cfmt[n++] = '+';
    if (s.space) cfmt[n++] = ' ';
    if (s.alt) cfmt[n++] = '#';
    if (s.zero) cfmt[n++] = '0';
    cfmt[n++] = '*';
    cfmt[n++] = '.';
    cfmt[n++] = '*';
    for (const char* l = length; *l; ++l) cfmt[n++] = *l;
    cfmt[n++] = conv;
    cfmt[n] = 0;
    int width = s.width < 0 ? 0 : s.width;
    int prec = s.precision;
    char buf[512];
    int len;
    if (conv == 'f' || conv == 'F' || conv == 'e' || conv == 'E' || conv == 'g' || conv == 'G') {
      double d = a.kind() == FormatArg::Kind::Double ? a.as_double() : static_cast<double>(a.as_int());
      len = std::snprintf(buf, sizeof buf, cfmt, width, prec, d);
    } else if (conv == 'd' || conv == 'i') {
      len = std::snprintf(buf, sizeof buf, cfmt, width, prec, static_cast<long long>(a.as_int()));
    } else {
      len = std::snprintf(buf, sizeof buf, cfmt, width, prec, static_cast<unsigned long long>(a.as_uint()));
    }
    if (len < 0) return fail();
    if (len >= static_cast<int>(sizeof buf)) len = sizeof buf - 1;
    for (int k = 0; k < len; ++k) out_.push_back(static_cast<unsigned char>(buf[k]));
  }

  void emit(const Conversion& s) {
    const FormatArg* a = take();
    if (!a) return fail();
    using K = FormatArg::Kind;
    switch (s.conv) {
      case u'd':
      case u'i':
        if (a->kind() != K::Int && a->kind() != K::UInt && a->kind() != K::Char) return fail();
        if (a->kind() == K::UInt && a->as_uint() > static_cast<uint64_t>(INT64_MAX))
          return emit_c(s, 'u', "ll", *a);
        return emit_c(s, 'd', "ll", *a);
      case u'u':
      case u'x':
      case u'X':
      case u'o':
        if (a->kind() != K::Int && a->kind() != K::UInt && a->kind() != K::Char) return fail();
        return emit_c(s, static_cast<char>(s.conv), "ll", *a);
      case u'f':
      case u'F':
      case u'e':
      case u'E':
      case u'g':
      case u'G':
        if (a->kind() != K::Double) return fail();
        return emit_c(s, static_cast<char>(s.conv), "", *a);
      case u'c':
      case u'C': {
        if (a->kind() != K::Char && a->kind() != K::Int && a->kind() != K::UInt) return fail();
        std::u16string ch;
        append_code_point(ch, static_cast<char32_t>(a->as_uint()));
        return pad_and_append(ch, s);
      }
      case u's':
      case u'S': {
        std::u16string tmp;
        std::u16string_view text;
        if (a->kind() == K::Str16) {
          text = a->str16();
        } else if (a->kind() == K::Str8) {
          tmp = utf8_to_utf16(a->str8());
          text = tmp;
        } else {
          return fail();
        }
        if (s.precision >= 0 && static_cast<std::size_t>(s.precision) < text.size()) text = text.substr(0, static_cast<std::size_t>(s.precision));
        return pad_and_append(text, s);
      }
      case u'p': {
        if (a->kind() != K::Pointer) return fail();
        char buf[32];
        std::snprintf(buf, sizeof buf, "%016llX", static_cast<unsigned long long>(a->as_uint()));
        std::u16string body(buf, buf + 16);
        return pad_and_append(body, s);
      }
      default:
        return fail();
    }
  }

  std::initializer_list<FormatArg> args_;
  std::size_t next_ = 0;
  std::u16string out_;
};

}  // namespace

std::u16string format(std::u16string_view fmt, std::initializer_list<FormatArg> args) {
  return Formatter(args).run(fmt);
}

std::string format_utf8(std::string_view fmt, std::initializer_list<FormatArg> args) {
  return utf16_to_utf8(Formatter(args).run(utf8_to_utf16(fmt)));
}

}  // namespace kestrel
