// The printer: values to text in display or write mode. Nested lists and
// vectors are walked with an explicit stack; printing allocates no cells.
#include <vector>

#include "platform/utf16.h"
#include "scheme/interp_p.h"

namespace kestrel::scheme {

namespace {

void write_char_literal(char32_t c, std::u16string& out) {
  switch (c) {
    case '\n': out += u"#\\newline"; return;
    case '\r': out += u"#\\return"; return;
    case ' ': out += u"#\\space"; return;
    case '\t': out += u"#\\tab"; return;
    default:
      out += u"#\\";
      append_code_point(out, c);
  }
}

void write_string_literal(std::u16string_view s, std::u16string& out) {
  out.push_back(u'"');
  for (char16_t u : s) {
    switch (u) {
      case u'"': out += u"\\\""; break;
      case u'\n': out += u"\\n"; break;
      case u'\r': out += u"\\r"; break;
      case u'\t': out += u"\\t"; break;
      case u'\\': out += u"\\\\"; break;
      default: out.push_back(u);
    }
  }
  out.push_back(u'"');
}

void append_hex_pointer(const void* p, std::u16string& out) {
  static const char16_t kDigits[] = u"0123456789ABCDEF";
  auto v = reinterpret_cast<uintptr_t>(p);
  out += u"0x";
  for (int shift = static_cast<int>(sizeof(v) * 8) - 4; shift >= 0; shift -= 4) out.push_back(kDigits[(v >> shift) & 0xF]);
}

const char16_t* quote_prefix(Interp& sc, Cell* head) {
  if (head == sc.sym_quote) return u"'";
  if (head == sc.sym_quote_vector) return u"'#";
  if (head == sc.sym_quasiquote) return u"`";
  if (head == sc.sym_qq_vec) return u"`#";
  if (head == sc.sym_unquote) return u",";
  if (head == sc.sym_unquote_splicing) return u",@";
  return nullptr;
}

void print_atom(Interp& sc, Cell* v, bool write_mode, std::u16string& out) {
  if (v == sc.NIL) { out += u"()"; return; }
  if (v == sc.T) { out += u"#t"; return; }
  if (v == sc.F) { out += u"#f"; return; }
  if (v == sc.UNDEF) { out += u"#<undef>"; return; }
  switch (type_of(v)) {
    case T_INTEGER: out += to_u16(v->ival); return;
    case T_STRING:
      if (write_mode) write_string_literal(string_view_of(v), out);
      else out += string_view_of(v);
      return;
    case T_CHARACTER:
      if (write_mode) write_char_literal(char_value(v), out);
      else append_code_point(out, char_value(v));
      return;
    case T_SYMBOL: out += symbol_name(v); return;
    case T_SYNTAX: out += u"#<syntax>"; return;
    case T_SUBR:
      out += u"#<subr ";
      out += utf8_to_utf16(kOpTable[v->uval].name);
      out += u">";
      return;
    case T_MACRO: out += u"#<macro>"; return;
    case T_CLOSURE: out += u"#<closure>"; return;
    case T_CONTINUATION: out += u"#<continuation>"; return;
    case T_CALLBACK:
      out += u"#<callback function ";
      out += static_cast<CallbackData*>(v->ptr)->name;
      out += u">";
      return;
    case T_PORT: {
      auto* p = port_data(v);
      out += (p->flags & kPortInput) ? u"#<iport" : u"#<oport";
      if (p->flags & kPortClosed) out += u"(closed)";
      out += u" ";
      out += p->name;
      out += u">";
      return;
    }
    case T_EOF: out += u"#<eof>"; return;
    case T_REGEXP: {
      auto* r = static_cast<RegexpData*>(v->ptr);
      out += u"#/";
      for (char16_t u : regexp_source(r)) {
        if (u == u'/') out += u"\\/";
        else out.push_back(u);
      }
      out += u"/";
      if (regexp_icase(r)) out += u"i";
      return;
    }
    case T_REGMATCH: out += u"#<regmatch>"; return;
    case T_HASHTABLE:
      out += u"#<hash-table ";
      out += hash_kind_name(hash_map_of(v)->kind);
      out += u">";
      return;
    case T_CLASS:
      out += u"#<class ";
      out += static_cast<ClassData*>(v->ptr)->name;
      out += u">";
      return;
    case T_OBJECT: {
      auto* o = object_data(v);
      out += u"#<";
      out += static_cast<ClassData*>(o->klass->ptr)->name;
      out += u" ";
      append_hex_pointer(v, out);
      out += u">";
      return;
    }
    default: out += u"#<unknown>"; return;
  }
}

struct Item {
  enum Kind : uint8_t { Value, ListRest, VectorRest, Close };
  Kind kind;
  Cell* cell;
  int64_t index;
};

}  // namespace

void print_value(Interp& sc, Cell* v, bool write_mode, std::u16string& out) {
  std::vector<Item> stack;
  stack.push_back({Item::Value, v, 0});
  std::size_t steps = 0;
  while (!stack.empty()) {
    // A circular structure would print forever: the cancel request ends it.
    if ((++steps & 0xFFFF) == 0 && sc.cancel_requested.load(std::memory_order_relaxed)) {
      out += u" ...";
      return;
    }
    Item it = stack.back();
    stack.pop_back();
    switch (it.kind) {
      case Item::Value: {
        Cell* c = it.cell;
        if (is_pair(c)) {
          const char16_t* prefix = quote_prefix(sc, car(c));
          if (prefix && is_pair(cdr(c)) && cddr(c) == sc.NIL) {
            out += prefix;
            stack.push_back({Item::Value, cadr(c), 0});
            break;
          }
          out += u"(";
          stack.push_back({Item::ListRest, cdr(c), 0});
          stack.push_back({Item::Value, car(c), 0});
        } else if (is_vector(c)) {
          out += u"#(";
          stack.push_back({Item::VectorRest, c, 0});
        } else {
          print_atom(sc, c, write_mode, out);
        }
        break;
      }
      case Item::ListRest: {
        Cell* rest = it.cell;
        if (rest == sc.NIL) {
          out += u")";
        } else if (is_pair(rest)) {
          out += u" ";
          stack.push_back({Item::ListRest, cdr(rest), 0});
          stack.push_back({Item::Value, car(rest), 0});
        } else {
          out += u" . ";
          stack.push_back({Item::Close, nullptr, 0});
          stack.push_back({Item::Value, rest, 0});
        }
        break;
      }
      case Item::VectorRest: {
        auto* d = vector_data(it.cell);
        if (it.index >= d->count) {
          out += u")";
          break;
        }
        if (it.index > 0) out += u" ";
        stack.push_back({Item::VectorRest, it.cell, it.index + 1});
        stack.push_back({Item::Value, d->items[it.index], 0});
        break;
      }
      case Item::Close:
        out += u")";
        break;
    }
  }
}

void print_to_port(Interp& sc, Cell* port, Cell* v, bool write_mode) {
  std::u16string text;
  print_value(sc, v, write_mode, text);
  port_write(sc, port, text);
}

}  // namespace kestrel::scheme
