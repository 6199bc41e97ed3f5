// The rewriter's part for user-defined types: constructor calls, columns
// declared with an object, collection or REF type, object tables
// (CREATE TABLE ... OF type) and the check of a CREATE TYPE text.
#include <string>

#include "catalog/object_type.h"
#include "engine_error.h"
#include "sql_rewriter_p.h"

namespace ocilite {

namespace {

// The declaration ocilite_to_col converts a member's value with: numbers
// as exact text, the rest as declared.
std::string member_declaration(const OracleType& t) {
  return t.is_number() ? t.declaration + " TEXT" : t.declaration;
}

}  // namespace

std::optional<ObjectType> Rewriter::object_type_named(const std::vector<size_t>& parts) const {
  if (parts.empty() || parts.size() > 2) return std::nullopt;
  const std::string owner = parts.size() == 2 ? name_of(tok(parts[0])) : s_.current_schema();
  return find_object_type(s_.catalog(), owner, name_of(tok(parts.back())));
}

bool Rewriter::emit_constructor(const std::vector<size_t>& parts, size_t k, const Scope& scope, size_t& next) {
  auto type = object_type_named(parts);
  if (!type) return false;
  const size_t open = k + 1, close = match_paren(open);
  std::vector<std::pair<size_t, size_t>> args;
  if (open + 1 < close) args = split_commas(open + 1, close);
  if (!type->is_collection() && args.size() != type->attributes.size()) {
    fail_text(OraError{2315, "ORA-02315: incorrect number of arguments for default constructor"}, parts[0]);
    return true;
  }
  if (type->kind == ObjectType::Kind::varray && args.size() > static_cast<size_t>(type->limit)) {
    fail_text(OraError{22909, "ORA-22909: exceeded maximum VARRAY limit"}, parts[0]);
    return true;
  }
  std::string kinds;
  for (size_t a = 0; a < args.size(); ++a) {
    const TypeMember& m = type->is_collection() ? type->element : type->attributes[a];
    kinds += m.type.code == describe_code::kObject ? 'o' : 's';
  }
  put("ocilite_construct(" + quote_string(type->key()) + ", " + quote_string(kinds), tok(parts[0]).offset);
  for (size_t a = 0; a < args.size() && !failed(); ++a) {
    const TypeMember& m = type->is_collection() ? type->element : type->attributes[a];
    const std::string member = type->is_collection() ? "\"" + type->owner + "\".\"" + type->name + "\""
                                                     : "\"" + type->owner + "\".\"" + type->name + "\".\"" + m.name + "\"";
    put(", ocilite_to_col(", tok(args[a].first).offset);
    emit_expr(args[a].first, args[a].second, scope);
    put(", " + quote_string(member_declaration(m.type)) + ", " + quote_string(member) + ")", tok(args[a].second).offset);
  }
  put(")", tok(close).offset);
  next = close + 1;
  return true;
}

std::optional<OracleType> Rewriter::parse_user_type(size_t& k, const std::string& owner) {
  const bool ref = tok(k).kw("REF");
  size_t n = ref ? k + 1 : k;
  if (!tok(n).name_like()) return std::nullopt;
  std::vector<size_t> parts = {n};
  if (tok(n + 1).op(".") && tok(n + 2).name_like()) parts.push_back(n + 2);
  // A built-in type word (DATE, NUMBER, ...) is no user type unless qualified.
  if (!ref && parts.size() == 1 && parse_oracle_type(tok(n).upper)) return std::nullopt;
  const std::string type_owner = parts.size() == 2 ? name_of(tok(parts[0])) : owner;
  auto type = find_object_type(s_.catalog(), type_owner, name_of(tok(parts.back())));
  if (!type) {
    if (!ref && parts.size() == 1) return std::nullopt;  // the caller's own error for an unknown word
    fail_text(OraError{902, "ORA-00902: invalid datatype"}, n);
    return std::nullopt;
  }
  if (ref && type->is_collection()) {
    fail_text(OraError{22863, "ORA-22863: missing ELEMENT or TYPE keyword"}, n);
    return std::nullopt;
  }
  k = parts.back() + 1;
  return user_defined_type(type->owner, type->name, ref);
}

std::string Rewriter::object_table_text(size_t i, size_t e, const std::string& owner, const std::string& name) {
  // CREATE TABLE t OF type [(constraints)] becomes a table with a column per
  // attribute; REF(alias) then names its rows.
  size_t k = i + 1;
  std::vector<size_t> parts = {k};
  if (tok(k + 1).op(".") && tok(k + 2).name_like()) parts.push_back(k + 2);
  auto type = object_type_named(parts);
  if (!type || type->is_collection()) {
    fail_text(OraError{902, "ORA-00902: invalid datatype"}, k);
    return {};
  }
  k = parts.back() + 1;
  std::vector<std::string> columns;
  for (const auto& a : type->attributes) {
    const OracleType& t = a.type;
    std::string decl = t.is_user_defined() ? (t.code == describe_code::kRef ? "REF " : "") + std::string("\"") +
                                                 t.type_owner + "\".\"" + t.type_name + "\""
                                           : t.declaration;
    columns.push_back("\"" + a.name + "\" " + decl);
  }
  auto text_of = [&](size_t b, size_t eb) {
    return std::string(src_.substr(tok(b).offset, tok(eb - 1).offset + tok(eb - 1).text.size() - tok(b).offset));
  };
  // Column constraints name their attribute ("id PRIMARY KEY"); the rest
  // are table constraints.
  std::vector<std::string> constraints;
  if (tok(k).op("(")) {
    const size_t close = match_paren(k);
    for (auto [b, eb] : split_commas(k + 1, close)) {
      size_t c = 0;
      while (c < type->attributes.size() && !(tok(b).name_like() && type->attributes[c].name == name_of(tok(b)))) ++c;
      if (c < type->attributes.size() && b + 1 < eb) columns[c] += " " + text_of(b + 1, eb);
      else constraints.push_back(text_of(b, eb));
    }
    k = close + 1;
  }
  std::string sql = "CREATE TABLE \"" + owner + "\".\"" + name + "\" (";
  for (size_t c = 0; c < columns.size(); ++c) sql += (c ? ", " : "") + columns[c];
  for (const auto& c : constraints) sql += ", " + c;
  sql += ")";
  if (k < e) sql += " " + text_of(k, e);
  return sql;
}

OraError Rewriter::check_type_text(const PlsqlUnit& unit) {
  std::string error;
  auto type = parse_object_type(unit.owner, unit.source, &error);
  if (!type) return OraError{24344, "ORA-24344: success with compilation error"};
  std::vector<const TypeMember*> members;
  if (type->is_collection()) members.push_back(&type->element);
  for (const auto& a : type->attributes) members.push_back(&a);
  for (const TypeMember* m : members) {
    if (!m->type.is_user_defined()) continue;
    // A REF may point at the type being made; anything else must exist.
    const bool self = m->type.type_owner == type->owner && m->type.type_name == type->name;
    if (self && m->type.code == describe_code::kRef) continue;
    if (self || !find_object_type(s_.catalog(), m->type.type_owner, m->type.type_name))
      return OraError{24344, "ORA-24344: success with compilation error"};
  }
  return {};
}

}  // namespace ocilite
