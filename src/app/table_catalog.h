// What the table selection dialog lists, read from the data dictionary: the
// owners (then "PUBLIC"), the tables, views and synonyms of an owner, and the
// columns of one object (a synonym is described through the client library,
// since the dictionary's column views do not list it). Plain C++ over the
// Oracle layer, so the lists are tested without a window.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct OciSession;

namespace kestrel {

inline constexpr std::u16string_view kPublicOwner = u"PUBLIC";
inline constexpr std::u16string_view kSynonymType = u"SYNONYM";
inline constexpr std::u16string_view kLongRawType = u"LONG RAW";

struct CatalogObject {
  std::u16string name;
  std::u16string type;  // "TABLE", "VIEW", "SYNONYM"
  std::u16string comments;
};

struct CatalogColumn {
  std::u16string name;
  std::u16string type;      // as the dictionary writes it ("VARCHAR2", "LONG RAW", ...)
  std::u16string length;
  std::u16string nullable;  // "Y" / "N"
  std::u16string comments;
  int32_t no = 0;           // position in the object, from 1
};

// Each returns the Oracle layer's result code, 0 on success; on failure the
// client's error text is in *err and the list is left empty.
int LoadOwnerNames(OciSession* s, std::vector<std::u16string>* out, std::u16string* err);
// Every table, view and synonym of `owner`; with `only_name` set, that one
// object alone (the re-run of a known query).
int LoadObjects(OciSession* s, std::u16string_view owner, std::u16string_view only_name,
                std::vector<CatalogObject>* out, std::u16string* err);
int LoadColumns(OciSession* s, std::u16string_view owner, const CatalogObject& object,
                std::vector<CatalogColumn>* out, std::u16string* err);

// The column of `entry` in `columns` (exact name), or null.
const CatalogColumn* FindColumn(const std::vector<CatalogColumn>& columns, std::u16string_view entry);

}  // namespace kestrel
