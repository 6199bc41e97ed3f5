// User-defined types parsed from their CREATE text, and the JSON form of
// their values.
#include "catalog/object_type.h"

#include <cctype>
#include <cstdio>

namespace ocilite {

namespace {

struct Tok {
  enum Kind { word, quoted, number, punct, end } kind = end;
  std::string text;  // words upper-cased, quoted names as written
  bool is(std::string_view w) const { return kind == word && text == w; }
  bool op(char c) const { return kind == punct && text.size() == 1 && text[0] == c; }
};

std::vector<Tok> tokenize(std::string_view s) {
  std::vector<Tok> out;
  size_t i = 0;
  while (i < s.size()) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    if (std::isspace(c)) {
      ++i;
    } else if (c == '-' && i + 1 < s.size() && s[i + 1] == '-') {
      while (i < s.size() && s[i] != '\n') ++i;
    } else if (c == '/' && i + 1 < s.size() && s[i + 1] == '*') {
      size_t close = s.find("*/", i + 2);
      i = close == std::string_view::npos ? s.size() : close + 2;
    } else if (c == '"') {
      size_t close = s.find('"', i + 1);
      if (close == std::string_view::npos) close = s.size();
      out.push_back({Tok::quoted, std::string(s.substr(i + 1, close - i - 1))});
      i = close + 1;
    } else if (std::isalpha(c) || c == '_' || c >= 0x80) {
      std::string w;
      while (i < s.size()) {
        unsigned char d = static_cast<unsigned char>(s[i]);
        if (!(std::isalnum(d) || d == '_' || d == '$' || d == '#' || d >= 0x80)) break;
        w += static_cast<char>(std::toupper(d));
        ++i;
      }
      out.push_back({Tok::word, w});
    } else if (std::isdigit(c)) {
      size_t j = i;
      while (j < s.size() && std::isdigit(static_cast<unsigned char>(s[j]))) ++j;
      out.push_back({Tok::number, std::string(s.substr(i, j - i))});
      i = j;
    } else {
      out.push_back({Tok::punct, std::string(1, static_cast<char>(c))});
      ++i;
    }
  }
  out.push_back({Tok::end, {}});
  return out;
}

bool is_name(const Tok& t) { return t.kind == Tok::word || t.kind == Tok::quoted; }

// A member's type from its tokens [b, e).
std::optional<OracleType> member_type(const std::vector<Tok>& t, size_t b, size_t e, std::string_view owner,
                                      std::string* error) {
  if (b >= e) {
    if (error) *error = "missing attribute type";
    return std::nullopt;
  }
  const bool ref = t[b].is("REF");
  size_t n = ref ? b + 1 : b;
  // [owner.]name of a user-defined type.
  if (n < e && is_name(t[n]) && (n + 1 == e || (n + 3 == e && t[n + 1].op('.') && is_name(t[n + 2])))) {
    std::string type_owner(owner), type_name = t[n].text;
    if (n + 3 == e) {
      type_owner = t[n].text;
      type_name = t[n + 2].text;
    }
    if (ref || !parse_oracle_type(type_name)) return user_defined_type(type_owner, type_name, ref);
  }
  std::string text;
  for (size_t k = b; k < e; ++k) text += t[k].text + " ";
  auto parsed = parse_oracle_type(text, error);
  if (parsed && parsed->is_long) {
    if (error) *error = "LONG attributes are not allowed";
    return std::nullopt;
  }
  return parsed;
}

bool method_start(const Tok& t) {
  return t.is("MEMBER") || t.is("STATIC") || t.is("MAP") || t.is("ORDER") || t.is("CONSTRUCTOR") ||
         t.is("FINAL") || t.is("NOT") || t.is("INSTANTIABLE") || t.is("OVERRIDING");
}

std::optional<ObjectType> failed(std::string* error, std::string text) {
  if (error) *error = std::move(text);
  return std::nullopt;
}

void put_json_string(std::string& out, std::string_view s) {
  out += '"';
  for (unsigned char c : s) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c < 0x20) {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\u%04x", c);
      out += buf;
    } else {
      out += static_cast<char>(c);
    }
  }
  out += '"';
}

void put_json(std::string& out, const ObjectValue& v) {
  switch (v.kind) {
    case ObjectValue::Kind::null: out += "null"; return;
    case ObjectValue::Kind::text: put_json_string(out, v.text); return;
    case ObjectValue::Kind::list:
      out += '[';
      for (size_t i = 0; i < v.items.size(); ++i) {
        if (i) out += ',';
        put_json(out, v.items[i]);
      }
      out += ']';
      return;
  }
}

struct JsonReader {
  std::string_view s;
  size_t i = 0;
  int depth = 0;
  void blanks() {
    while (i < s.size() && std::isspace(static_cast<unsigned char>(s[i]))) ++i;
  }
  bool value(ObjectValue& v) {
    blanks();
    if (i >= s.size()) return false;
    if (s.compare(i, 4, "null") == 0) {
      i += 4;
      v.kind = ObjectValue::Kind::null;
      return true;
    }
    if (s[i] == '"') return string(v);
    if (s[i] != '[' || ++depth > 64) return false;
    ++i;
    v.kind = ObjectValue::Kind::list;
    blanks();
    if (i < s.size() && s[i] == ']') {
      ++i;
      --depth;
      return true;
    }
    for (;;) {
      v.items.emplace_back();
      if (!value(v.items.back())) return false;
      blanks();
      if (i < s.size() && s[i] == ',') {
        ++i;
        continue;
      }
      if (i < s.size() && s[i] == ']') {
        ++i;
        --depth;
        return true;
      }
      return false;
    }
  }
  bool string(ObjectValue& v) {
    v.kind = ObjectValue::Kind::text;
    ++i;
    while (i < s.size() && s[i] != '"') {
      if (s[i] != '\\') {
        v.text += s[i++];
        continue;
      }
      if (++i >= s.size()) return false;
      char c = s[i++];
      if (c == 'u') {
        if (i + 4 > s.size()) return false;
        unsigned code = 0;
        if (std::sscanf(std::string(s.substr(i, 4)).c_str(), "%4x", &code) != 1 || code >= 0x80) return false;
        v.text += static_cast<char>(code);
        i += 4;
      } else {
        v.text += c;
      }
    }
    if (i >= s.size()) return false;
    ++i;
    return true;
  }
};

}  // namespace

std::optional<ObjectType> parse_object_type(std::string_view owner, std::string_view source, std::string* error) {
  const std::vector<Tok> t = tokenize(source);
  size_t i = 0;
  if (!t[i].is("TYPE")) return failed(error, "TYPE expected");
  ++i;
  ObjectType type;
  type.owner = std::string(owner);
  if (!is_name(t[i])) return failed(error, "type name expected");
  type.name = t[i++].text;
  if (t[i].op('.') && is_name(t[i + 1])) {
    type.owner = type.name;
    type.name = t[i + 1].text;
    i += 2;
  }
  if (t[i].is("FORCE")) ++i;
  if (t[i].is("UNDER")) return failed(error, "subtypes are not supported");
  if (!t[i].is("AS") && !t[i].is("IS")) return failed(error, "AS OBJECT, VARRAY or TABLE expected");
  ++i;
  auto until_end = [&](size_t from) {
    size_t e = from;
    while (t[e].kind != Tok::end && !t[e].op(';') && !t[e].op('/') && !t[e].is("NOT")) ++e;
    return e;
  };
  if (t[i].is("OBJECT")) {
    ++i;
    if (!t[i].op('(')) return failed(error, "( expected after OBJECT");
    size_t k = i + 1;
    while (t[k].kind != Tok::end && !t[k].op(')')) {
      if (method_start(t[k])) break;
      if (!is_name(t[k])) return failed(error, "attribute name expected");
      TypeMember m;
      m.name = t[k].text;
      size_t b = k + 1, e = b;
      for (int depth = 0; t[e].kind != Tok::end; ++e) {
        if (t[e].op('(')) ++depth;
        else if (t[e].op(')') && depth-- == 0) break;
        else if (t[e].op(',') && depth == 0) break;
      }
      auto mt = member_type(t, b, e, type.owner, error);
      if (!mt) return std::nullopt;
      m.type = *mt;
      m.declared_as = t[b].text;
      for (const auto& a : type.attributes)
        if (a.name == m.name) return failed(error, "duplicate attribute " + m.name);
      type.attributes.push_back(std::move(m));
      k = t[e].op(',') ? e + 1 : e;
    }
    if (type.attributes.empty()) return failed(error, "an object type needs at least one attribute");
    type.kind = ObjectType::Kind::object;
    return type;
  }
  const bool varray = t[i].is("VARRAY") || (t[i].is("VARYING") && t[i + 1].is("ARRAY"));
  if (varray) {
    i += t[i].is("VARYING") ? 2 : 1;
    if (!t[i].op('(') || t[i + 1].kind != Tok::number || !t[i + 2].op(')'))
      return failed(error, "VARRAY(n) expected");
    type.limit = std::atoi(t[i + 1].text.c_str());
    if (type.limit < 1) return failed(error, "a VARRAY limit must be at least 1");
    i += 3;
    type.kind = ObjectType::Kind::varray;
  } else if (t[i].is("TABLE")) {
    ++i;
    type.kind = ObjectType::Kind::table;
  } else {
    return failed(error, "AS OBJECT, VARRAY or TABLE expected");
  }
  if (!t[i].is("OF")) return failed(error, "OF expected");
  ++i;
  auto mt = member_type(t, i, until_end(i), type.owner, error);
  if (!mt) return std::nullopt;
  type.element.type = *mt;
  type.element.declared_as = t[i].text;
  return type;
}

std::optional<ObjectType> find_object_type(const Catalog& catalog, std::string_view owner, std::string_view name) {
  auto unit = catalog.find_plsql(owner, name, "TYPE");
  if (!unit) return std::nullopt;
  return parse_object_type(unit->owner, unit->source, nullptr);
}

std::string encode_object_value(const ObjectValue& v) {
  std::string out;
  put_json(out, v);
  return out;
}

std::optional<ObjectValue> decode_object_value(std::string_view text) {
  JsonReader r{text};
  ObjectValue v;
  if (!r.value(v)) return std::nullopt;
  r.blanks();
  if (r.i != text.size()) return std::nullopt;
  return v;
}

}  // namespace ocilite
