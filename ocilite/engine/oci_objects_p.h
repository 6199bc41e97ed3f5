// Private: what object-type handles really are. A type descriptor (OCIType)
// is made once per type and database and kept for the life of the process,
// as the client library's pinned type objects are. Fetched values
// (instances, collections, strings, REFs, timestamps) are handles owned by
// the define that fetched them and replaced with the next batch.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "catalog/object_type.h"
#include "oci_handles_p.h"
#include "ora_format.h"

namespace ocilite {

// Handle types of object values; they never collide with OCI_HTYPE_*/DTYPE_*.
inline constexpr ub4 kTypeHandle = 0x10001;
inline constexpr ub4 kInstanceHandle = 0x10002;
inline constexpr ub4 kCollHandle = 0x10003;
inline constexpr ub4 kStringHandle = 0x10004;
inline constexpr ub4 kRawHandle = 0x10005;
inline constexpr ub4 kRefHandle = 0x10006;
inline constexpr ub4 kIterHandle = 0x10007;

// Unregisters a handle as it is deleted, so stale pointers are refused.
struct HandleDeleter {
  void operator()(Handle* h) const;
};
using OwnedHandle = std::unique_ptr<Handle, HandleDeleter>;

struct TypeH;

struct RefH : Handle {
  TypeH* tdo = nullptr;  // a REF to a type descriptor (OCI_ATTR_REF_TDO)
  std::string hex;       // REF text (a row REF, or the type's identity)
};

struct TypeH : Handle {
  ObjectType def;
  std::shared_ptr<Catalog> catalog;
  OwnedHandle self_ref;  // the RefH handed out for OCI_ATTR_REF_TDO
};

// The descriptor of the type `owner`.`name` in `catalog`, made on first use;
// nullptr when there is no such type.
TypeH* type_descriptor(const std::shared_ptr<Catalog>& catalog, const std::string& owner, const std::string& name);

// An attribute or collection element: inline bytes (OCINumber, OCIDate,
// double) or a pointer to the owned handle (OCIString*, OCIRaw*, OCIRef*,
// OCIDateTime*, OCIColl*), and its null indicator. A nested object is the
// owned instance itself.
struct ValueSlot {
  alignas(8) unsigned char data[24] = {};
  OCIInd ind = OCI_IND_NULL;
  OwnedHandle owned;
};

struct InstanceH : Handle {
  TypeH* tdo = nullptr;
  std::vector<OCIInd> ind;  // the null structure: [0] the object, then one per attribute
  std::vector<ValueSlot> attrs;
  bool client_owned = false;  // made by OCIObjectNew: OCIObjectFree deletes it
};

struct CollH : Handle {
  TypeH* tdo = nullptr;
  OCIInd ind = OCI_IND_NOTNULL;  // the collection's own null indicator
  std::vector<ValueSlot> elems;
};

struct StringH : Handle {
  std::string text;  // client character set, NUL after it
};

struct RawH : Handle {
  std::string bytes;
};

struct DateTimeH : Handle {
  OraDateTime value;  // `type` says TIMESTAMP, TIMESTAMP_TZ, ... or DATE
};

struct IntervalH : Handle {
  bool year_month = false;
  int64_t months = 0;        // INTERVAL YEAR TO MONTH
  int64_t nanoseconds = 0;   // INTERVAL DAY TO SECOND
};

// What OCIDefineObject set on a define.
struct ObjectDefine {
  void** pgvpp = nullptr;
  void** indpp = nullptr;
  std::vector<OwnedHandle> rows;  // this batch's values, by row
  std::vector<OCIInd> null_inds;  // indicators of NULL values, by row
};

// A parameter of a description (OCIDescribeAny): a type, the list of its
// attributes, one attribute or a collection's element; a table or view and
// the list of its columns (ordinary column parameters); a synonym.
struct TypeParamH : ParamH {
  ub1 ptype = OCI_PTYPE_TYPE;
  TypeH* tdo = nullptr;              // the type (ptype TYPE) or the member's type when user-defined
  const TypeMember* member = nullptr;  // attributes and elements
  std::vector<ParamH*> children;     // a list's entries; a type's list and element; a table's list
  bool index_only = false;           // an index-organised table
  ub4 object_id = 0;
  std::string object_schema, object_name;  // the described object itself (a synonym's own name)
  ub4 num_elems = 0;                  // a VARRAY element's limit
  // Client character set: NAME (the type's or attribute's name), TYPE_NAME
  // and SCHEMA_NAME (of a user-defined member type, or the built-in type's name).
  std::string name_text, type_text, schema_text;
};

// The fetch path: element `row` of an object or REF define.
OraError write_object_define(const DefineH& d, ub4 row, const Value& v, const ColumnDesc& col, Session& s,
                             const CharsetInfo& cs);
// OCIAttrGet on a type parameter, and OCI_ATTR_REF_TDO on a column's.
sword type_param_attr(TypeParamH* p, ErrorH* err, void* attributep, ub4* sizep, ub4 attrtype);
sword column_type_ref(const ParamH& p, ErrorH* err, void* attributep, ub4* sizep);
// OCIParamGet on a type parameter list.
sword type_param_get(TypeParamH* p, ErrorH* err, void** parmdpp, ub4 pos);
// An OCIDate from a date, and back.
OCIDate oci_date_of(const OraDateTime& dt);
OraDateTime datetime_of(const OCIDate& od);
// OCIDescriptorAlloc of the date/time and interval descriptors.
bool alloc_datetime_descriptor(ub4 type, void** descpp);

}  // namespace ocilite
