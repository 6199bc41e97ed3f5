// User-defined types (CREATE TYPE ... AS OBJECT / VARRAY / TABLE OF) and
// the values of their columns.
//
// A type is kept in the catalogue as the CREATE text the user gave (with
// the stored PL/SQL units); its shape is parsed from that text when a
// statement needs it. A value is stored in its SQLite column as a small
// JSON text: an array whose first item is the type ("SCOTT.ADDRESS_T"),
// followed by the attributes or elements in order. Scalars are strings in
// ocilite's storage form (numbers as exact decimal text, dates as
// "YYYY-MM-DD HH:MM:SS"), nested objects and collections nested arrays, a
// NULL attribute `null`, a REF its hexadecimal text.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "catalog/catalog.h"
#include "catalog/oracle_type.h"

namespace ocilite {

// An attribute of an object type, or the element of a collection type.
struct TypeMember {
  std::string name;  // empty for a collection element
  // Scalar members: the parsed type. Members of a user-defined type have
  // type.code kObject (object or collection) or kRef, and type_owner/name.
  OracleType type;
  // The type's first word as written ("DECIMAL", "REAL", "SMALLINT"): the
  // client library reports such members by their own type codes.
  std::string declared_as;
};

struct ObjectType {
  enum class Kind { object, varray, table };
  Kind kind = Kind::object;
  std::string owner, name;
  std::vector<TypeMember> attributes;  // objects
  TypeMember element;                  // collections
  int limit = 0;                       // VARRAY(n)
  std::string key() const { return owner + "." + name; }
  bool is_collection() const { return kind != Kind::object; }
};

// Parses the stored text of a type ("TYPE address_t AS OBJECT (...)"),
// unqualified member types resolved in `owner`. nullopt with `error` set
// for a type ocilite cannot hold (subtypes, incomplete types, LONG members).
std::optional<ObjectType> parse_object_type(std::string_view owner, std::string_view source, std::string* error);

// The type `owner`.`name` as stored in the catalogue; nullopt when there is
// none (or its text no longer parses).
std::optional<ObjectType> find_object_type(const Catalog& catalog, std::string_view owner, std::string_view name);

// A stored value, decoded.
struct ObjectValue {
  enum class Kind { null, text, list };
  Kind kind = Kind::null;
  std::string text;                 // scalars and REFs
  std::vector<ObjectValue> items;   // objects and collections: [0] is the type key
  static ObjectValue of_text(std::string t) {
    ObjectValue v;
    v.kind = Kind::text;
    v.text = std::move(t);
    return v;
  }
  bool is_null() const { return kind == Kind::null; }
};

std::string encode_object_value(const ObjectValue& v);
std::optional<ObjectValue> decode_object_value(std::string_view text);

}  // namespace ocilite
