// Object, collection and REF values as cell text. The type of a value is
// described once per value (name, type code, attributes or element type) and
// every attribute or element is converted by its type code.
#include "oci/oci_object.h"

#include <cstring>
#include <vector>

#include "oci/oci_codes.h"
#include "oci/oci_dictionary.h"
#include "oci/oci_library.h"
#include "oci/oci_lob_p.h"
#include "platform/format.h"

using kestrel::OciMsgBuf;
using kestrel::oci_fn;

namespace kestrel {

OciElementKind oci_element_kind(uint16_t code) {
  switch (code) {
    case 1: case 9: case 96:
      return OciElementKind::Text;
    case 2: case 3: case 4: case 7: case 21: case 22: case 25: case 26: case 28: case 29: case 246:
      return OciElementKind::Number;
    case 23: case 245:
      return OciElementKind::Unsigned8;
    case 27:
      return OciElementKind::Signed8;
    case 12:
      return OciElementKind::Date;
    case 187: case 188: case 232:
      return OciElementKind::Timestamp;
    case 108:
      return OciElementKind::Object;
    case 122:
      return OciElementKind::Collection;
    case 110:
      return OciElementKind::Ref;
    default:
      return OciElementKind::Unsupported;
  }
}

std::u16string oci_format_real(double value) { return format(u"%lg", {value}); }

}  // namespace kestrel

namespace {

using namespace kestrel;
using oci_lob_detail::oracle_failure;

constexpr char16_t kLogObjectMain[] = u"\n---\nerror in oci8_set_dataset_object_main:\n";
constexpr char16_t kLogRefMain[] = u"\n---\nerror in oci8_read_ref_main:\n";

// A described attribute or element type.
struct TypeInfo {
  std::u16string name;
  uint16_t code = 0;
  OCIType* tdo = nullptr;
  bool varray = false;  // for a collection's element: walked with an iterator
};

struct Describer {
  OciSession* s;
  OciMsgBuf msg;

  int fail() const { return oracle_failure(s, kLogObjectMain, msg); }

  bool text_attr(void* param, ub4 attr, std::u16string* out) const {
    OraText* p = nullptr;
    ub4 len = 0;
    if (oci_fn().OCIAttrGet(param, OCI_DTYPE_PARAM, &p, &len, attr, s->err) != OCI_SUCCESS) return false;
    *out = p ? oci_mb_to_wide(std::string_view(reinterpret_cast<const char*>(p), len)) : std::u16string();
    return true;
  }
  bool code_attr(void* param, ub4 attr, uint16_t* out) const {
    OCITypeCode code = 0;
    if (oci_fn().OCIAttrGet(param, OCI_DTYPE_PARAM, &code, nullptr, attr, s->err) != OCI_SUCCESS) return false;
    *out = static_cast<uint16_t>(code);
    return true;
  }
  // The type object of an object-typed attribute or element (needed to walk
  // collection elements, which carry no type of their own).
  OCIType* ref_tdo(void* param) const {
    OCIRef* ref = nullptr;
    OCIType* tdo = nullptr;
    if (oci_fn().OCIAttrGet(param, OCI_DTYPE_PARAM, &ref, nullptr, OCI_ATTR_REF_TDO, s->err) != OCI_SUCCESS || !ref)
      return nullptr;
    if (oci_fn().OCITypeByRef(oci_process().env, s->err, ref, OCI_DURATION_SESSION, OCI_TYPEGET_HEADER, &tdo) !=
        OCI_SUCCESS)
      return nullptr;
    return tdo;
  }
};

// Builds one value's text within a byte budget of the session code page.
class Writer {
 public:
  Writer(OciSession* s, uint32_t capacity, OciMsgBuf msg) : s_(s), d_{s, msg}, msg_(msg), budget_(capacity) {}

  int object(OCIType* tdo, void* instance, void* null_struct);
  const std::u16string& text() const { return out_; }

 private:
  // Appends while it fits; once full, further text is dropped.
  void put(std::u16string_view t) {
    if (full_) return;
    std::string mb = oci_wide_to_mb(t);
    if (used_ + mb.size() + 1 <= budget_) {
      used_ += mb.size();
      out_.append(t);
      return;
    }
    std::size_t room = budget_ > used_ + 1 ? budget_ - used_ - 1 : 0;
    std::size_t cut = oci_char_boundary(mb, room);
    out_.append(oci_mb_to_wide(std::string_view(mb).substr(0, cut)));
    used_ += cut;
    full_ = true;
  }
  int unsupported(const char16_t* label, uint16_t code) {
    msg_.set(format(kMsgUnsupportedType, {label, static_cast<int>(code)}));
    return kOciObjectElement;
  }
  int element(const TypeInfo& type, void* value, void* null_struct, bool is_null, const char16_t* label);
  int collection(const TypeInfo& elem, OCIColl* coll);

  OciSession* s_;
  Describer d_;
  OciMsgBuf msg_;
  uint32_t budget_;
  std::size_t used_ = 0;
  bool full_ = false;
  std::u16string out_;
  int depth_ = 0;
};

bool null_indicator(const void* null_struct) {
  if (!null_struct) return false;
  OCIInd ind;
  std::memcpy(&ind, null_struct, sizeof ind);
  return ind == OCI_IND_NULL;
}

int Writer::object(OCIType* tdo, void* instance, void* null_struct) {
  const auto& fn = oci_fn();
  if (!instance || null_indicator(null_struct)) {
    put(u"NULL");
    return kOciOk;
  }
  // Types nest by reference only at a finite depth; a runaway is a broken
  // description, not data.
  if (++depth_ > 64) return unsupported(kObjectLabel, OCI_TYPECODE_OBJECT);
  struct DescribeHandle {
    OCIDescribe* h = nullptr;
    ~DescribeHandle() {
      if (h) oci_fn().OCIHandleFree(h, OCI_HTYPE_DESCRIBE);
    }
  } dsc;
  if (fn.OCIHandleAlloc(oci_process().env, reinterpret_cast<void**>(&dsc.h), OCI_HTYPE_DESCRIBE, 0, nullptr) !=
      OCI_SUCCESS)
    return d_.fail();
  if (fn.OCIDescribeAny(s_->svc, s_->err, tdo, 0, OCI_OTYPE_PTR, OCI_DEFAULT, OCI_PTYPE_TYPE, dsc.h) != OCI_SUCCESS)
    return d_.fail();
  void* param = nullptr;
  if (fn.OCIAttrGet(dsc.h, OCI_HTYPE_DESCRIBE, &param, nullptr, OCI_ATTR_PARAM, s_->err) != OCI_SUCCESS)
    return d_.fail();
  TypeInfo self;
  if (!d_.code_attr(param, OCI_ATTR_TYPECODE, &self.code) || !d_.text_attr(param, OCI_ATTR_NAME, &self.name))
    return d_.fail();
  put(self.name);
  put(u"(");
  if (self.code == OCI_TYPECODE_NAMEDCOLLECTION) {
    void* elem_param = nullptr;
    TypeInfo elem;
    if (fn.OCIAttrGet(param, OCI_DTYPE_PARAM, &elem_param, nullptr, OCI_ATTR_COLLECTION_ELEMENT, s_->err) !=
            OCI_SUCCESS ||
        !d_.code_attr(elem_param, OCI_ATTR_TYPECODE, &elem.code))
      return d_.fail();
    if (elem.code == OCI_TYPECODE_OBJECT || elem.code == OCI_TYPECODE_NAMEDCOLLECTION) {
      elem.tdo = d_.ref_tdo(elem_param);
      if (!elem.tdo) return d_.fail();
    }
    uint16_t coll_code = 0;
    if (!d_.code_attr(param, OCI_ATTR_COLLECTION_TYPECODE, &coll_code)) return d_.fail();
    elem.varray = coll_code != OCI_TYPECODE_TABLE;
    if (int rc = collection(elem, static_cast<OCIColl*>(instance)); rc != kOciOk) return rc;
  } else {
    ub2 count = 0;
    void* list = nullptr;
    if (fn.OCIAttrGet(param, OCI_DTYPE_PARAM, &count, nullptr, OCI_ATTR_NUM_TYPE_ATTRS, s_->err) != OCI_SUCCESS ||
        fn.OCIAttrGet(param, OCI_DTYPE_PARAM, &list, nullptr, OCI_ATTR_LIST_TYPE_ATTRS, s_->err) != OCI_SUCCESS)
      return d_.fail();
    for (ub4 i = 1; i <= count; ++i) {
      void* attr = nullptr;
      TypeInfo info;
      if (fn.OCIParamGet(list, OCI_DTYPE_PARAM, s_->err, &attr, i) != OCI_SUCCESS ||
          !d_.text_attr(attr, OCI_ATTR_NAME, &info.name) || !d_.code_attr(attr, OCI_ATTR_TYPECODE, &info.code))
        return d_.fail();
      std::string name_mb = oci_wide_to_mb(info.name);
      const OraText* names[1] = {reinterpret_cast<const OraText*>(name_mb.c_str())};
      const ub4 lengths[1] = {static_cast<ub4>(name_mb.size())};
      OCIInd status = OCI_IND_NOTNULL;
      void* attr_null = nullptr;
      void* value = nullptr;
      OCIType* attr_tdo = nullptr;
      if (fn.OCIObjectGetAttr(oci_process().env, s_->err, instance, null_struct, tdo, names, lengths, 1, nullptr, 0,
                              &status, &attr_null, &value, &attr_tdo) != OCI_SUCCESS)
        return d_.fail();
      info.tdo = attr_tdo;
      if (i > 1) put(u",");
      if (int rc = element(info, value, attr_null, status == OCI_IND_NULL, kObjectLabel); rc != kOciOk) return rc;
    }
  }
  put(u")");
  --depth_;
  return kOciOk;
}

int Writer::collection(const TypeInfo& elem, OCIColl* coll) {
  const auto& fn = oci_fn();
  OCIEnv* env = oci_process().env;
  if (!coll) return kOciOk;
  bool first = true;
  auto one = [&](void* value, void* ind) {
    if (!first) put(u",");
    first = false;
    // Scalar elements carry an OCIInd; objects their null structure.
    return element(elem, value, ind, null_indicator(ind), kCollectionLabel);
  };
  if (elem.varray) {
    OCIIter* it = nullptr;
    if (fn.OCIIterCreate(env, s_->err, coll, &it) != OCI_SUCCESS) return d_.fail();
    int rc = kOciOk;
    for (;;) {
      void* value = nullptr;
      void* ind = nullptr;
      boolean eoc = 0;
      if (fn.OCIIterNext(env, s_->err, it, &value, &ind, &eoc) != OCI_SUCCESS) {
        rc = d_.fail();
        break;
      }
      if (eoc) break;
      if ((rc = one(value, ind)) != kOciOk) break;
    }
    fn.OCIIterDelete(env, s_->err, &it);
    return rc;
  }
  sb4 size = 0;
  if (fn.OCICollSize(env, s_->err, coll, &size) != OCI_SUCCESS) return d_.fail();
  if (size <= 0) return kOciOk;
  sb4 index = 0;
  if (fn.OCITableFirst(env, s_->err, coll, &index) != OCI_SUCCESS) return d_.fail();
  for (;;) {
    boolean exists = 0;
    void* value = nullptr;
    void* ind = nullptr;
    if (fn.OCICollGetElem(env, s_->err, coll, index, &exists, &value, &ind) != OCI_SUCCESS) return d_.fail();
    if (exists)
      if (int rc = one(value, ind); rc != kOciOk) return rc;
    sb4 next = 0;
    boolean more = 0;
    if (fn.OCITableNext(env, s_->err, index, coll, &next, &more) != OCI_SUCCESS) return d_.fail();
    if (!more) break;
    index = next;
  }
  return kOciOk;
}

int Writer::element(const TypeInfo& type, void* value, void* null_struct, bool is_null, const char16_t* label) {
  const auto& fn = oci_fn();
  OCIEnv* env = oci_process().env;
  const OciElementKind kind = oci_element_kind(type.code);
  if (kind == OciElementKind::Unsupported) return unsupported(label, type.code);
  if (kind == OciElementKind::Timestamp && !fn.OCIDateTimeToText) return unsupported(label, type.code);
  if (is_null || !value) {
    put(u"NULL");
    return kOciOk;
  }
  switch (kind) {
    case OciElementKind::Text: {
      OCIString* str = *static_cast<OCIString**>(value);
      const OraText* p = str ? fn.OCIStringPtr(env, str) : nullptr;
      put(u"'");
      if (p) put(oci_mb_to_wide(reinterpret_cast<const char*>(p)));
      put(u"'");
      return kOciOk;
    }
    case OciElementKind::Number: {
      double d = 0;
      if (fn.OCINumberToReal(s_->err, static_cast<const OCINumber*>(value), sizeof d, &d) != OCI_SUCCESS)
        return d_.fail();
      put(oci_format_real(d));
      return kOciOk;
    }
    case OciElementKind::Unsigned8:
      put(format(u"%d", {static_cast<int>(*static_cast<const uint8_t*>(value))}));
      return kOciOk;
    case OciElementKind::Signed8:
      put(format(u"%d", {static_cast<int>(*static_cast<const int8_t*>(value))}));
      return kOciOk;
    case OciElementKind::Date: {
      const std::string& fmt = oci_dictionary_state().date_format_mb;
      OraText buf[256] = {};
      ub4 size = sizeof buf - 1;
      if (fn.OCIDateToText(s_->err, static_cast<const OCIDate*>(value), reinterpret_cast<const OraText*>(fmt.c_str()),
                           static_cast<ub1>(fmt.size()), nullptr, 0, &size, buf) != OCI_SUCCESS)
        return d_.fail();
      put(u"'");
      put(oci_mb_to_wide(std::string_view(reinterpret_cast<const char*>(buf), std::min<ub4>(size, sizeof buf - 1))));
      put(u"'");
      return kOciOk;
    }
    case OciElementKind::Timestamp: {
      const OCIDateTime* dt = *static_cast<OCIDateTime* const*>(value);
      OraText buf[256] = {};
      ub4 size = sizeof buf - 1;
      if (fn.OCIDateTimeToText(env, s_->err, dt, nullptr, 0, 6, nullptr, 0, &size, buf) != OCI_SUCCESS)
        return d_.fail();
      put(u"'");
      put(oci_mb_to_wide(std::string_view(reinterpret_cast<const char*>(buf), std::min<ub4>(size, sizeof buf - 1))));
      put(u"'");
      return kOciOk;
    }
    case OciElementKind::Object:
      return object(type.tdo, value, null_struct);
    case OciElementKind::Collection:
      return object(type.tdo, *static_cast<OCIColl**>(value), null_struct);
    case OciElementKind::Ref: {
      std::u16string hex;
      if (int rc = oci8_read_ref_main(s_, *static_cast<OCIRef**>(value), kRefHexMax, &hex, msg_); rc != kOciOk)
        return rc;
      put(hex);
      return kOciOk;
    }
    case OciElementKind::Unsupported:
      break;
  }
  return unsupported(label, type.code);
}

}  // namespace

int oci8_set_dataset_object_main(OciSession* s, OCIType* tdo, void* instance, void* null_struct, uint32_t capacity,
                                 std::u16string* out, OciMsgBuf msg) {
  if (!s || !out) return kOciInternal;
  out->clear();
  if (!instance || null_indicator(null_struct)) {
    *out = u"NULL";
    return kOciOk;
  }
  if (!tdo) {
    msg.set(format(kMsgUnsupportedType, {kElementLabel, static_cast<int>(OCI_TYPECODE_OBJECT)}));
    return kOciObjectElement;
  }
  Writer w(s, capacity, msg);
  int rc = w.object(tdo, instance, null_struct);
  if (rc != kOciOk) return rc;
  *out = w.text();
  return kOciOk;
}

int oci8_read_ref_main(OciSession* s, OCIRef* ref, uint32_t capacity, std::u16string* out, OciMsgBuf msg) {
  if (!s || !out) return kOciInternal;
  out->clear();
  if (!ref) return kOciOk;
  const auto& fn = oci_fn();
  OCIEnv* env = oci_process().env;
  const ub4 hex_size = fn.OCIRefHexSize(env, ref);
  if (hex_size == 0) return kOciOk;  // a NULL REF
  if (hex_size + 1 > kRefHexMax) {
    oci_write_log(s, kLogRefMain);
    msg.set(format(kMsgInternal, {u"error in oci8_read_ref_main(): hex_size > hex_len"}));
    return kOciInternal;
  }
  OraText hex[kRefHexMax] = {};
  ub4 len = kRefHexMax;
  if (fn.OCIRefToHex(env, s->err, ref, hex, &len) != OCI_SUCCESS) return oracle_failure(s, kLogRefMain, msg);
  std::string_view text(reinterpret_cast<const char*>(hex), std::min<ub4>(len, kRefHexMax - 1));
  if (capacity > 0) text = text.substr(0, oci_char_boundary(text, capacity - 1));
  *out = oci_mb_to_wide(text);
  return kOciOk;
}
