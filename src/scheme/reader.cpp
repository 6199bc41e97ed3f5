// The reader: text from an input port to values. Nesting lives in
// sc.reader_frames (visible to the collector), never on the machine stack.
#include <limits>

#include "platform/utf16.h"
#include "scheme/interp_p.h"

namespace kestrel::scheme {

namespace {

bool is_space(int32_t c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }
bool is_delimiter(int32_t c) { return c < 0 || is_space(c) || c == '(' || c == ')' || c == ';'; }

int digit_value(char16_t c, int radix) {
  int d = -1;
  if (c >= '0' && c <= '9') d = c - '0';
  else if (c >= 'a' && c <= 'f') d = c - 'a' + 10;
  else if (c >= 'A' && c <= 'F') d = c - 'A' + 10;
  return d < radix ? d : -1;
}

ReadStatus fail(Interp& sc, std::u16string_view message, Cell* irritant = nullptr) {
  Cell* msg = mk_string(sc, message);
  Root r(sc, msg);
  Cell* rest = sc.NIL;
  if (irritant) {
    Root ri(sc, irritant);
    rest = mk_cons(sc, irritant, sc.NIL);
  }
  sc.args = mk_cons(sc, msg, rest);
  sc.reader_frames.clear();
  return ReadStatus::Error;
}

// Skips a '#|' comment whose opening was consumed; block comments nest.
void skip_block_comment(PortData* p) {
  int depth = 1;
  int32_t prev = 0;
  while (depth > 0) {
    int32_t c = port_get(p);
    if (c < 0) return;
    if (prev == '|' && c == '#') {
      --depth;
      prev = 0;
      continue;
    }
    if (prev == '#' && c == '|') {
      ++depth;
      prev = 0;
      continue;
    }
    prev = c;
  }
}

void skip_line(PortData* p) {
  for (int32_t c = port_get(p); c >= 0 && c != '\n'; c = port_get(p)) {
  }
}

std::u16string read_until_delimiter(PortData* p) {
  std::u16string text;
  while (!is_delimiter(port_peek(p))) append_code_point(text, static_cast<char32_t>(port_get(p)));
  return text;
}

}  // namespace

// An integer literal: optional sign and digits of the radix, nothing else.
// Values beyond the 64-bit range saturate at its limits.
bool parse_integer(std::u16string_view text, int radix, int64_t* out) {
  std::size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  if (i >= text.size()) return false;
  uint64_t limit = negative ? uint64_t(std::numeric_limits<int64_t>::max()) + 1
                            : uint64_t(std::numeric_limits<int64_t>::max());
  uint64_t v = 0;
  bool saturated = false;
  for (; i < text.size(); ++i) {
    int d = digit_value(text[i], radix);
    if (d < 0) return false;
    if (!saturated) {
      if (v > (limit - static_cast<uint64_t>(d)) / static_cast<uint64_t>(radix)) {
        saturated = true;
        v = limit;
      } else {
        v = v * static_cast<uint64_t>(radix) + static_cast<uint64_t>(d);
      }
    }
  }
  *out = negative ? static_cast<int64_t>(0 - v) : static_cast<int64_t>(v);
  return true;
}

namespace {

ReadStatus read_string(Interp& sc, PortData* p, Cell** out) {
  std::u16string text;
  for (;;) {
    int32_t c = port_get(p);
    if (c < 0 || c == '"') break;
    if (c == '\\') {
      c = port_get(p);
      if (c < 0) break;
      if (c == 'n') c = '\n';
      else if (c == 'r') c = '\r';
      else if (c == 't') c = '\t';
    }
    append_code_point(text, static_cast<char32_t>(c));
  }
  *out = mk_string(sc, text);
  return ReadStatus::Ok;
}

ReadStatus read_regexp(Interp& sc, PortData* p, Cell** out) {
  std::u16string pattern;
  for (;;) {
    int32_t c = port_get(p);
    if (c < 0 || c == '/') break;
    if (c == '\\') {
      int32_t n = port_get(p);
      if (n < 0) {
        pattern.push_back(u'\\');
        break;
      }
      if (n != '/') pattern.push_back(u'\\');
      append_code_point(pattern, static_cast<char32_t>(n));
      continue;
    }
    append_code_point(pattern, static_cast<char32_t>(c));
  }
  bool icase = false;
  if (port_peek(p) == 'i') {
    port_get(p);
    icase = true;
  }
  std::u16string error;
  Cell* rx = mk_regexp(sc, pattern, icase, &error);
  if (!rx) return fail(sc, error);
  *out = rx;
  return ReadStatus::Ok;
}

// After '#' (consumed) when the next character starts a constant.
ReadStatus read_sharp(Interp& sc, PortData* p, Cell** out) {
  std::u16string text;
  if (port_peek(p) == '\\') {
    port_get(p);
    int32_t first = port_get(p);
    if (first < 0) return fail(sc, u"Undefined sharp expression");
    std::u16string name;
    append_code_point(name, static_cast<char32_t>(first));
    name += read_until_delimiter(p);
    std::size_t first_len;
    char32_t ch = code_point_at(name, 0, &first_len);
    if (name.size() > first_len) {
      if (iequals_ascii(name, u"space")) ch = ' ';
      else if (iequals_ascii(name, u"newline")) ch = '\n';
      else if (iequals_ascii(name, u"return")) ch = '\r';
      else if (iequals_ascii(name, u"tab")) ch = '\t';
    }
    *out = mk_character(sc, ch);
    return ReadStatus::Ok;
  }
  text = read_until_delimiter(p);
  if (text == u"t") {
    *out = sc.T;
    return ReadStatus::Ok;
  }
  if (text == u"f") {
    *out = sc.F;
    return ReadStatus::Ok;
  }
  if (!text.empty()) {
    int radix = text[0] == 'x' ? 16 : text[0] == 'o' ? 8 : text[0] == 'd' ? 10 : text[0] == 'b' ? 2 : 0;
    int64_t v;
    if (radix && parse_integer(std::u16string_view(text).substr(1), radix, &v)) {
      *out = mk_integer(sc, v);
      return ReadStatus::Ok;
    }
  }
  return fail(sc, u"Undefined sharp expression");
}

Cell* wrap_symbol(Interp& sc, int kind) {
  switch (kind) {
    case 0: return sc.sym_quote;
    case 1: return sc.sym_quasiquote;
    case 2: return sc.sym_unquote;
    case 3: return sc.sym_unquote_splicing;
    case 4: return sc.sym_quote_vector;
    default: return sc.sym_qq_vec;
  }
}

}  // namespace

ReadStatus read_datum(Interp& sc, Cell* port, Cell** out) {
  sc.reader_frames.clear();
  if (!is_port(port)) return fail(sc, u"I/O attempted on closed port");
  PortData* p = port_data(port);
  if (p->flags & kPortClosed) return fail(sc, u"I/O attempted on closed port", port);
  auto& frames = sc.reader_frames;
  for (;;) {
    Cell* datum = nullptr;
    int32_t c = port_get(p);
    if (is_space(c)) continue;
    switch (c) {
      case -1: {
        for (const ReaderFrame& f : frames) {
          if (f.kind != ReaderFrame::Wrap) return fail(sc, u"syntax error -- EOF inside a list");
        }
        frames.clear();
        *out = sc.EOF_OBJ;
        return ReadStatus::Eof;
      }
      case ';':
        skip_line(p);
        continue;
      case '(':
        frames.push_back({ReaderFrame::List, 0, sc.NIL, sc.NIL});
        continue;
      case ')': {
        if (frames.empty() || frames.back().kind == ReaderFrame::Wrap)
          return fail(sc, u"syntax error -- illegal token");
        ReaderFrame& f = frames.back();
        if (f.dot_state == 1) return fail(sc, u"syntax error -- illegal dot expression");
        datum = reverse_in_place(sc, f.acc, f.tail);
        bool vec = f.kind == ReaderFrame::Vector;
        f.acc = datum;  // keep it visible while the vector is made
        if (vec) {
          if (f.tail != sc.NIL) return fail(sc, u"vector constructer require list:", datum);
          datum = list_to_vector(sc, datum);
        }
        frames.pop_back();
        break;
      }
      case '.': {
        int32_t n = port_peek(p);
        if (n < 0 || is_space(n) || n == '(' || n == ')') {
          if (frames.empty() || frames.back().kind == ReaderFrame::Wrap || frames.back().acc == sc.NIL ||
              frames.back().dot_state != 0)
            return fail(sc, u"syntax error -- illegal dot expression");
          frames.back().dot_state = 1;
          continue;
        }
        std::u16string text = u".";
        text += read_until_delimiter(p);
        datum = mk_symbol(sc, text);
        break;
      }
      case '\'':
      case '`': {
        bool quasi = c == '`';
        frames.push_back({ReaderFrame::Wrap, 0, wrap_symbol(sc, quasi ? 1 : 0), nullptr});
        if (port_peek(p) == '#') {
          port_get(p);
          if (port_peek(p) == '(') {
            port_get(p);
            frames.back().acc = wrap_symbol(sc, quasi ? 5 : 4);
            frames.push_back({ReaderFrame::List, 0, sc.NIL, sc.NIL});
            continue;
          }
          if (port_peek(p) == '|') {
            port_get(p);
            skip_block_comment(p);
            continue;
          }
          if (port_peek(p) == '!') {
            skip_line(p);
            continue;
          }
          if (port_peek(p) == '/') {
            port_get(p);
            if (read_regexp(sc, p, &datum) == ReadStatus::Error) return ReadStatus::Error;
            break;
          }
          if (read_sharp(sc, p, &datum) == ReadStatus::Error) return ReadStatus::Error;
          break;
        }
        continue;
      }
      case ',': {
        bool splice = port_peek(p) == '@';
        if (splice) port_get(p);
        frames.push_back({ReaderFrame::Wrap, 0, wrap_symbol(sc, splice ? 3 : 2), nullptr});
        continue;
      }
      case '"':
        read_string(sc, p, &datum);
        break;
      case '#': {
        int32_t n = port_peek(p);
        if (n == '(') {
          port_get(p);
          frames.push_back({ReaderFrame::Vector, 0, sc.NIL, sc.NIL});
          continue;
        }
        if (n == '|') {
          port_get(p);
          skip_block_comment(p);
          continue;
        }
        if (n == '!') {
          skip_line(p);
          continue;
        }
        if (n == '/') {
          port_get(p);
          if (read_regexp(sc, p, &datum) == ReadStatus::Error) return ReadStatus::Error;
          break;
        }
        if (read_sharp(sc, p, &datum) == ReadStatus::Error) return ReadStatus::Error;
        break;
      }
      default: {
        std::u16string text;
        append_code_point(text, static_cast<char32_t>(c));
        text += read_until_delimiter(p);
        int64_t v;
        if (parse_integer(text, 10, &v)) datum = mk_integer(sc, v);
        else datum = mk_symbol(sc, text);
        break;
      }
    }
    // A complete datum: hand it to the innermost open construct.
    bool need_more = false;
    while (!frames.empty() && !need_more) {
      ReaderFrame& f = frames.back();
      if (f.kind == ReaderFrame::Wrap) {
        Cell* sym = f.acc;
        Cell* inner = mk_cons(sc, datum, sc.NIL);
        datum = mk_cons(sc, sym, inner);
        frames.pop_back();
        continue;
      }
      if (f.dot_state == 1) {
        f.tail = datum;
        f.dot_state = 2;
      } else if (f.dot_state == 2) {
        return fail(sc, u"syntax error -- illegal dot expression");
      } else {
        Cell* acc = mk_cons(sc, datum, frames.back().acc);
        frames.back().acc = acc;
      }
      need_more = true;
    }
    if (!need_more) {
      *out = datum;
      return ReadStatus::Ok;
    }
  }
}

}  // namespace kestrel::scheme
