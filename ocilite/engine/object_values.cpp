// Object, collection and REF values inside the engine.
#include "object_values.h"

#include <sqlite3.h>

#include <cstdio>

#include "decimal_number.h"
#include "engine_error.h"
#include "ora_format.h"
#include "session.h"

namespace ocilite {

namespace {

std::string text_of(sqlite3_value* v) {
  const unsigned char* t = sqlite3_value_text(v);
  return t ? std::string(reinterpret_cast<const char*>(t), static_cast<size_t>(sqlite3_value_bytes(v))) : std::string();
}

// ocilite_construct(key, kinds, args...). The rewriter has already converted
// every argument to its member's type (ocilite_to_col); `kinds` holds one
// letter per argument: 'o' for an object or collection member (its text is
// nested), anything else for a scalar or REF.
void fn_construct(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
  if (argc < 2) return sqlite3_result_error(ctx, "ORA-00909: invalid number of arguments", -1);
  ObjectValue value;
  value.kind = ObjectValue::Kind::list;
  value.items.push_back(ObjectValue::of_text(text_of(argv[0])));
  const std::string kinds = text_of(argv[1]);
  for (int i = 2; i < argc; ++i) {
    sqlite3_value* a = argv[i];
    const char kind = static_cast<size_t>(i - 2) < kinds.size() ? kinds[static_cast<size_t>(i - 2)] : 's';
    switch (sqlite3_value_type(a)) {
      case SQLITE_NULL: value.items.emplace_back(); break;
      case SQLITE_INTEGER: value.items.push_back(ObjectValue::of_text(decimal_to_text(decimal_from_int(sqlite3_value_int64(a))))); break;
      case SQLITE_FLOAT: value.items.push_back(ObjectValue::of_text(decimal_to_text(decimal_from_double(sqlite3_value_double(a))))); break;
      case SQLITE_BLOB: {
        std::string bytes(static_cast<const char*>(sqlite3_value_blob(a)), static_cast<size_t>(sqlite3_value_bytes(a)));
        value.items.push_back(ObjectValue::of_text(raw_to_hex(bytes)));
        break;
      }
      default: {
        std::string t = text_of(a);
        if (kind == 'o') {
          auto nested = decode_object_value(t);
          if (!nested) return sqlite3_result_error(ctx, "ORA-00932: inconsistent datatypes: expected an object got CHAR", -1);
          value.items.push_back(std::move(*nested));
        } else {
          value.items.push_back(ObjectValue::of_text(std::move(t)));
        }
      }
    }
  }
  std::string out = encode_object_value(value);
  sqlite3_result_text(ctx, out.data(), static_cast<int>(out.size()), SQLITE_TRANSIENT);
}

// ocilite_ref('OWNER.TABLE', rowid)
void fn_ref(sqlite3_context* ctx, int, sqlite3_value** argv) {
  if (sqlite3_value_type(argv[1]) == SQLITE_NULL) return sqlite3_result_null(ctx);
  std::string key = text_of(argv[0]);
  size_t dot = key.find('.');
  std::string out = make_ref_text(key.substr(0, dot), dot == std::string::npos ? "" : key.substr(dot + 1),
                                  sqlite3_value_int64(argv[1]));
  sqlite3_result_text(ctx, out.data(), static_cast<int>(out.size()), SQLITE_TRANSIENT);
}

std::string sql_literal(std::string_view s) {
  std::string out = "'";
  for (char c : s) {
    if (c == '\'') out += '\'';
    out += c;
  }
  return out + "'";
}

// One member's display text; `depth` bounds self-referencing garbage.
void display(const ObjectValue& v, const OracleType& t, Session& session, std::string& out, int depth);

void display_list(const ObjectValue& v, Session& session, std::string& out, int depth) {
  const std::string key = v.items.empty() ? std::string() : v.items[0].text;
  const size_t dot = key.find('.');
  const std::string owner = key.substr(0, dot), name = dot == std::string::npos ? key : key.substr(dot + 1);
  out += name + "(";
  auto type = depth < 32 ? find_object_type(session.catalog(), owner, name) : std::nullopt;
  for (size_t i = 1; i < v.items.size(); ++i) {
    if (i > 1) out += ", ";
    OracleType member;  // unknown type: shown as text
    if (type && type->is_collection()) member = type->element.type;
    else if (type && i - 1 < type->attributes.size()) member = type->attributes[i - 1].type;
    display(v.items[i], member, session, out, depth + 1);
  }
  out += ")";
}

void display(const ObjectValue& v, const OracleType& t, Session& session, std::string& out, int depth) {
  if (v.is_null()) {
    out += "NULL";
    return;
  }
  if (v.kind == ObjectValue::Kind::list) return display_list(v, session, out, depth);
  if (t.is_number() || t.code == describe_code::kRef || t.code == describe_code::kBinaryDouble ||
      t.code == describe_code::kBinaryFloat) {
    out += v.text;
    return;
  }
  if (t.code == describe_code::kDate) {
    if (auto dt = date_from_storage(v.text))
      if (auto f = format_date(*dt, session.nls().date_format())) {
        out += sql_literal(*f);
        return;
      }
  }
  out += sql_literal(v.text);
}

}  // namespace

OraError register_object_functions(sqlite3* db, Session* session) {
  if (sqlite3_create_function_v2(db, "ocilite_construct", -1, SQLITE_UTF8 | SQLITE_DETERMINISTIC, session,
                                 fn_construct, nullptr, nullptr, nullptr) != SQLITE_OK ||
      sqlite3_create_function_v2(db, "ocilite_ref", 2, SQLITE_UTF8 | SQLITE_DETERMINISTIC, session, fn_ref, nullptr,
                                 nullptr, nullptr) != SQLITE_OK)
    return ora_internal("cannot register the object functions");
  return {};
}

OraError check_user_defined_value(const OracleType& t, std::string_view text) {
  const std::string expected = t.type_owner + "." + t.type_name;
  if (t.code == describe_code::kRef) {
    auto target = parse_ref_text(text);
    if (!target) return engine_error(ora::kInconsistentTypes, {"REF " + expected, "CHAR"});
    return {};
  }
  auto v = decode_object_value(text);
  if (!v || v->kind != ObjectValue::Kind::list || v->items.empty() || v->items[0].text != expected) {
    std::string got = "CHAR";
    if (v && v->kind == ObjectValue::Kind::list && !v->items.empty()) got = v->items[0].text;
    return engine_error(ora::kInconsistentTypes, {expected, got});
  }
  return {};
}

std::string object_display_text(std::string_view stored, Session& session) {
  auto v = decode_object_value(stored);
  if (!v) return std::string(stored);
  std::string out;
  display(*v, OracleType{}, session, out, 0);
  return out;
}

// "0000" + name length (4 hex digits) + the UTF-8 "OWNER.TABLE" in hex +
// the rowid (16 hex digits).
std::string make_ref_text(std::string_view owner, std::string_view table, int64_t rowid) {
  const std::string name = std::string(owner) + "." + std::string(table);
  char head[16];
  std::snprintf(head, sizeof head, "0000%04X", static_cast<unsigned>(name.size() & 0xFFFF));
  char tail[24];
  std::snprintf(tail, sizeof tail, "%016llX", static_cast<unsigned long long>(rowid));
  return head + raw_to_hex(name) + tail;
}

std::optional<RefTarget> parse_ref_text(std::string_view hex) {
  if (hex.size() < 8 + 16 || hex.substr(0, 4) != "0000") return std::nullopt;
  unsigned len = 0;
  if (std::sscanf(std::string(hex.substr(4, 4)).c_str(), "%4x", &len) != 1) return std::nullopt;
  if (hex.size() != 8 + 2 * static_cast<size_t>(len) + 16) return std::nullopt;
  auto name = hex_to_raw(hex.substr(8, 2 * static_cast<size_t>(len)));
  if (!name) return std::nullopt;
  const size_t dot = name->find('.');
  if (dot == std::string::npos) return std::nullopt;
  unsigned long long rowid = 0;
  if (std::sscanf(std::string(hex.substr(8 + 2 * static_cast<size_t>(len))).c_str(), "%16llx", &rowid) != 1)
    return std::nullopt;
  return RefTarget{name->substr(0, dot), name->substr(dot + 1), static_cast<int64_t>(rowid)};
}

}  // namespace ocilite
