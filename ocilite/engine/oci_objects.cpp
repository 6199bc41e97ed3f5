// Object types through the OCI: type descriptors and their description,
// fetching object, collection and REF columns into instances, and the
// navigation calls (attributes, iterators, nested tables, strings, REFs).
#include <map>
#include <mutex>

#include "decimal_number.h"
#include "engine_error.h"
#include "object_values.h"
#include "oci_objects_p.h"
#include "oracle_number.h"
#include "session.h"

using namespace ocilite;

namespace ocilite {

void HandleDeleter::operator()(Handle* h) const {
  if (!h) return;
  unregister_handle(h);
  delete h;
}

namespace {

template <class T>
std::unique_ptr<T, HandleDeleter> make_owned(ub4 type) {
  std::unique_ptr<T, HandleDeleter> h(new T());
  h->type = type;
  register_handle(h.get());
  return h;
}

OraError invalid_argument(int position) {
  return OraError{21560, "ORA-21560: argument " + std::to_string(position) + " is null, invalid, or out of range"};
}

// OCI_TYPECODE_* of a member as declared.
ub2 typecode_of(const TypeMember& m, const TypeH* member_tdo) {
  const OracleType& t = m.type;
  const std::string& word = m.declared_as;
  if (t.code == describe_code::kVarchar2 && word == "VARCHAR") return OCI_TYPECODE_VARCHAR;
  if (t.code == describe_code::kNumber) {
    if (word == "DECIMAL" || word == "DEC" || word == "NUMERIC") return OCI_TYPECODE_DECIMAL;
    if (word == "REAL") return OCI_TYPECODE_REAL;
    if (word == "DOUBLE") return OCI_TYPECODE_DOUBLE;
    if (word == "SMALLINT") return OCI_TYPECODE_SMALLINT;
    if (word == "INTEGER" || word == "INT") return OCI_TYPECODE_INTEGER;
  }
  switch (t.code) {
    case describe_code::kVarchar2: return t.charset_form == kCharsetFormNchar ? 287 : OCI_TYPECODE_VARCHAR2;
    case describe_code::kChar: return t.charset_form == kCharsetFormNchar ? 286 : OCI_TYPECODE_CHAR;
    case describe_code::kNumber:
      return t.data_type == "FLOAT" ? OCI_TYPECODE_FLOAT : OCI_TYPECODE_NUMBER;
    case describe_code::kDate: return OCI_TYPECODE_DATE;
    case describe_code::kRaw: return OCI_TYPECODE_RAW;
    case describe_code::kBinaryFloat: return OCI_TYPECODE_BFLOAT;
    case describe_code::kBinaryDouble: return OCI_TYPECODE_BDOUBLE;
    case describe_code::kTimestamp: return OCI_TYPECODE_TIMESTAMP;
    case describe_code::kTimestampTz: return OCI_TYPECODE_TIMESTAMP_TZ;
    case describe_code::kTimestampLtz: return OCI_TYPECODE_TIMESTAMP_LTZ;
    case describe_code::kIntervalYm: return OCI_TYPECODE_INTERVAL_YM;
    case describe_code::kIntervalDs: return OCI_TYPECODE_INTERVAL_DS;
    case describe_code::kClob: return t.charset_form == kCharsetFormNchar ? 288 : OCI_TYPECODE_CLOB;
    case describe_code::kBlob: return OCI_TYPECODE_BLOB;
    case describe_code::kBfile: return OCI_TYPECODE_BFILE;
    case describe_code::kRef: return OCI_TYPECODE_REF;
    case describe_code::kObject:
      return member_tdo && member_tdo->def.is_collection() ? OCI_TYPECODE_NAMEDCOLLECTION : OCI_TYPECODE_OBJECT;
    default: return OCI_TYPECODE_NONE;
  }
}

TypeH* member_tdo(const TypeH* owner, const OracleType& t) {
  if (t.code != describe_code::kObject && t.code != describe_code::kRef) return nullptr;
  return type_descriptor(owner->catalog, t.type_owner, t.type_name);
}

// ---- building fetched values ----

struct Builder {
  const CharsetInfo& cs;

  OraError slot(ValueSlot& slot, const OracleType& t, TypeH* tdo, const ObjectValue& v, int depth);
  OraError instance(InstanceH& inst, const ObjectValue& v, int depth);
  OraError collection(CollH& coll, const ObjectValue& v, int depth);
};

OraError Builder::instance(InstanceH& inst, const ObjectValue& v, int depth) {
  const auto& attrs = inst.tdo->def.attributes;
  inst.attrs.resize(attrs.size());
  inst.ind.assign(attrs.size() + 1, OCI_IND_NULL);
  if (v.kind != ObjectValue::Kind::list) return {};  // a NULL object: every indicator NULL
  inst.ind[0] = OCI_IND_NOTNULL;
  for (size_t a = 0; a < attrs.size(); ++a) {
    const ObjectValue null_value;
    const ObjectValue& item = a + 1 < v.items.size() ? v.items[a + 1] : null_value;
    if (OraError e = slot(inst.attrs[a], attrs[a].type, member_tdo(inst.tdo, attrs[a].type), item, depth + 1)) return e;
    inst.ind[a + 1] = inst.attrs[a].ind;
  }
  return {};
}

OraError Builder::collection(CollH& coll, const ObjectValue& v, int depth) {
  const OracleType& et = coll.tdo->def.element.type;
  TypeH* etdo = member_tdo(coll.tdo, et);
  const size_t n = v.items.empty() ? 0 : v.items.size() - 1;
  coll.elems.resize(n);
  for (size_t k = 0; k < n; ++k)
    if (OraError e = slot(coll.elems[k], et, etdo, v.items[k + 1], depth + 1)) return e;
  return {};
}

OraError Builder::slot(ValueSlot& s, const OracleType& t, TypeH* tdo, const ObjectValue& v, int depth) {
  if (depth > 64) return ora_internal("object value nested too deeply");
  s.ind = v.is_null() ? OCI_IND_NULL : OCI_IND_NOTNULL;
  auto point_to = [&](OwnedHandle h) {
    Handle* raw = h.get();
    std::memcpy(s.data, &raw, sizeof raw);
    s.owned = std::move(h);
  };
  if (t.code == describe_code::kObject) {
    if (!tdo) return engine_error(ora::kInconsistentTypes, {t.type_owner + "." + t.type_name, "NULL"});
    if (tdo->def.is_collection()) {
      if (v.is_null()) return {};
      auto c = make_owned<CollH>(kCollHandle);
      c->tdo = tdo;
      if (OraError e = collection(*c, v, depth)) return e;
      point_to(std::move(c));
      return {};
    }
    // A nested object is its instance (the value pointer is the instance);
    // a NULL one still has its null structure.
    auto inst = make_owned<InstanceH>(kInstanceHandle);
    inst->tdo = tdo;
    if (OraError e = instance(*inst, v, depth)) return e;
    s.owned = std::move(inst);
    return {};
  }
  if (v.is_null()) return {};
  const std::string& text = v.text;
  switch (t.code) {
    case describe_code::kNumber: {
      auto d = parse_decimal(text);
      if (!d) return engine_error(ora::kInvalidNumber);
      OCINumber n{};
      n.OCINumberPart[0] = static_cast<ub1>(encode_oracle_decimal(*d, n.OCINumberPart + 1));
      std::memcpy(s.data, &n, sizeof n);
      return {};
    }
    case describe_code::kBinaryDouble:
    case describe_code::kBinaryFloat: {
      auto d = parse_decimal(text);
      if (!d) return engine_error(ora::kInvalidNumber);
      if (t.code == describe_code::kBinaryFloat) {
        float f = static_cast<float>(decimal_to_double(*d));
        std::memcpy(s.data, &f, sizeof f);
      } else {
        double x = decimal_to_double(*d);
        std::memcpy(s.data, &x, sizeof x);
      }
      return {};
    }
    case describe_code::kDate: {
      auto dt = date_from_storage(text);
      if (!dt) return engine_error(1861);
      const OCIDate od = oci_date_of(*dt);
      std::memcpy(s.data, &od, sizeof od);
      return {};
    }
    case describe_code::kTimestamp:
    case describe_code::kTimestampTz:
    case describe_code::kTimestampLtz: {
      auto dt = date_from_storage(text);
      if (!dt) return engine_error(1861);
      const ub4 dtype = t.code == describe_code::kTimestamp     ? OCI_DTYPE_TIMESTAMP
                        : t.code == describe_code::kTimestampTz ? OCI_DTYPE_TIMESTAMP_TZ
                                                                : OCI_DTYPE_TIMESTAMP_LTZ;
      auto h = make_owned<DateTimeH>(dtype);
      h->value = *dt;
      point_to(std::move(h));
      return {};
    }
    case describe_code::kRaw: {
      auto bytes = hex_to_raw(text);
      if (!bytes) return engine_error(ora::kInvalidHex);
      auto h = make_owned<RawH>(kRawHandle);
      h->bytes = std::move(*bytes);
      point_to(std::move(h));
      return {};
    }
    case describe_code::kRef: {
      auto h = make_owned<RefH>(kRefHandle);
      h->hex = text;
      point_to(std::move(h));
      return {};
    }
    default: {
      auto h = make_owned<StringH>(kStringHandle);
      h->text = utf8_to_client(cs, text);
      point_to(std::move(h));
      return {};
    }
  }
}

// The value pointer of a slot as the client library gives it: the inline
// bytes or the pointer to the handle pointer, the instance of an object.
void* slot_value(ValueSlot& s, const OracleType& t, const TypeH* tdo) {
  if (t.code == describe_code::kObject && !(tdo && tdo->def.is_collection())) return s.owned.get();
  return s.data;
}
void* slot_indicator(ValueSlot& s, const OracleType& t, const TypeH* tdo) {
  if (t.code == describe_code::kObject && !(tdo && tdo->def.is_collection()) && s.owned)
    return static_cast<InstanceH*>(s.owned.get())->ind.data();
  return &s.ind;
}

// ---- type descriptions ----

struct DescribeTree {
  std::vector<OwnedHandle> params;
  TypeParamH* add_object(ub1 ptype, const std::string& schema, const std::string& name, const CharsetInfo& cs) {
    TypeParamH* p = add(ptype, nullptr, nullptr, cs);
    p->name_text = p->object_name = utf8_to_client(cs, name);
    p->schema_text = p->object_schema = utf8_to_client(cs, schema);
    return p;
  }
  ParamH* add_column(const TableColumn& c, ub2 position, const CharsetInfo& cs) {
    auto p = make_owned<ParamH>(OCI_DTYPE_PARAM);
    p->owned_by_stmt = true;
    p->col.name = c.name;
    p->col.type = c.type;
    p->col.nullable = !c.not_null;
    p->name = utf8_to_client(cs, c.name);
    p->position = position;
    if (c.type.is_user_defined()) {
      p->type_name = utf8_to_client(cs, c.type.type_name);
      p->type_schema = utf8_to_client(cs, c.type.type_owner);
    }
    ParamH* raw = p.get();
    params.push_back(OwnedHandle(p.release()));
    return raw;
  }
  TypeParamH* add(ub1 ptype, TypeH* tdo, const TypeMember* member, const CharsetInfo& cs) {
    auto p = make_owned<TypeParamH>(OCI_DTYPE_PARAM);
    p->owned_by_stmt = true;  // freed with the describe handle
    p->ptype = ptype;
    p->tdo = tdo;
    p->member = member;
    if (member) {
      p->name_text = utf8_to_client(cs, member->name);
      const OracleType& t = member->type;
      p->type_text = utf8_to_client(cs, t.is_user_defined() ? t.type_name : t.data_type);
      if (t.is_user_defined()) p->schema_text = utf8_to_client(cs, t.type_owner);
      p->col.type = t;
      p->name = p->name_text;
    } else if (tdo) {
      p->name_text = p->type_text = utf8_to_client(cs, tdo->def.name);
      p->schema_text = utf8_to_client(cs, tdo->def.owner);
    }
    TypeParamH* raw = p.get();
    params.push_back(OwnedHandle(p.release()));
    return raw;
  }
};

TypeParamH* describe_type(DescribeTree& tree, TypeH* tdo, const CharsetInfo& cs) {
  TypeParamH* top = tree.add(OCI_PTYPE_TYPE, tdo, nullptr, cs);
  if (tdo->def.is_collection()) {
    const TypeMember& e = tdo->def.element;
    TypeParamH* elem = tree.add(OCI_PTYPE_TYPE_COLL, member_tdo(tdo, e.type), &e, cs);
    elem->num_elems = static_cast<ub4>(tdo->def.limit);
    top->children.push_back(elem);
  } else {
    TypeParamH* list = tree.add(OCI_PTYPE_LIST, tdo, nullptr, cs);
    for (const auto& a : tdo->def.attributes) list->children.push_back(tree.add(OCI_PTYPE_TYPE_ATTR, member_tdo(tdo, a.type), &a, cs));
    top->children.push_back(list);
  }
  return top;
}

// A table, view or synonym by name (a synonym describes as itself, naming
// what it stands for); nullptr when there is none of the asked kind.
TypeParamH* describe_object(DescribeTree& tree, Session& s, const std::string& owner, const std::string& name,
                            ub1 wanted, const CharsetInfo& cs) {
  if (wanted == OCI_PTYPE_UNK || wanted == OCI_PTYPE_SYN) {
    const bool own = s.table(owner, name) != nullptr;
    auto target = own ? std::nullopt : s.catalog().resolve_synonym(owner, name, true);
    if (target) {
      TypeParamH* syn = tree.add_object(OCI_PTYPE_SYN, target->first, target->second, cs);
      auto own_syn = s.catalog().find_synonym(owner, name);
      syn->object_schema = utf8_to_client(cs, own_syn ? owner : std::string("PUBLIC"));
      syn->object_name = utf8_to_client(cs, name);
      return syn;
    }
    if (wanted == OCI_PTYPE_SYN) return nullptr;
  }
  const TableInfo* t = s.table(owner, name);
  if (!t) return nullptr;
  const ub1 ptype = t->is_view ? OCI_PTYPE_VIEW : OCI_PTYPE_TABLE;
  if (wanted != OCI_PTYPE_UNK && wanted != ptype) return nullptr;
  TypeParamH* top = tree.add_object(ptype, t->owner, t->name, cs);
  top->index_only = t->without_rowid;
  top->object_id = t->object_id;
  TypeParamH* list = tree.add(OCI_PTYPE_LIST, nullptr, nullptr, cs);
  for (size_t i = 0; i < t->columns.size(); ++i)
    list->children.push_back(tree.add_column(t->columns[i], static_cast<ub2>(i + 1), cs));
  top->children.push_back(list);
  return top;
}

std::mutex& types_mutex() {
  static std::mutex m;
  return m;
}
std::map<std::pair<const Catalog*, std::string>, std::unique_ptr<TypeH, HandleDeleter>>& types() {
  static auto* m = new std::map<std::pair<const Catalog*, std::string>, std::unique_ptr<TypeH, HandleDeleter>>();
  return *m;
}

ErrorH* error_handle(OCIError* errhp) {
  ErrorH* err = as<ErrorH>(errhp, OCI_HTYPE_ERROR);
  if (err) clear_errors(err);
  return err;
}

const CharsetInfo& env_charset(OCIEnv* envhp) {
  static const CharsetInfo utf8 = charset_from_nls_lang("AMERICAN_AMERICA.AL32UTF8");
  auto* env = as<EnvH>(envhp, OCI_HTYPE_ENV);
  return env ? env->charset : utf8;
}

}  // namespace

TypeH* type_descriptor(const std::shared_ptr<Catalog>& catalog, const std::string& owner, const std::string& name) {
  if (!catalog) return nullptr;
  std::lock_guard lock(types_mutex());
  auto key = std::make_pair(static_cast<const Catalog*>(catalog.get()), owner + "." + name);
  auto it = types().find(key);
  if (it != types().end()) return it->second.get();
  auto def = find_object_type(*catalog, owner, name);
  if (!def) return nullptr;
  auto tdo = make_owned<TypeH>(kTypeHandle);
  tdo->def = std::move(*def);
  tdo->catalog = catalog;
  auto ref = make_owned<RefH>(kRefHandle);
  ref->tdo = tdo.get();
  ref->hex = make_ref_text(tdo->def.owner, tdo->def.name, 0);
  tdo->self_ref = OwnedHandle(ref.release());
  TypeH* raw = tdo.get();
  types().emplace(key, std::move(tdo));
  return raw;
}

OraError write_object_define(const DefineH& d, ub4 row, const Value& v, const ColumnDesc& col, Session& s,
                             const CharsetInfo& cs) {
  ObjectDefine& od = *d.object;
  if (!od.pgvpp) return OraError{};
  const ub4 pvskip = d.pvskip ? d.pvskip : static_cast<ub4>(sizeof(void*));
  const ub4 indskip = d.indskip ? d.indskip : static_cast<ub4>(sizeof(void*));
  auto* value_at = reinterpret_cast<void**>(reinterpret_cast<char*>(od.pgvpp) + static_cast<size_t>(row) * pvskip);
  auto* ind_at = od.indpp ? reinterpret_cast<void**>(reinterpret_cast<char*>(od.indpp) + static_cast<size_t>(row) * indskip)
                          : nullptr;
  if (od.rows.size() <= row) {
    od.rows.resize(row + 1);
    od.null_inds.resize(row + 1, OCI_IND_NULL);
  }
  od.rows[row].reset();
  const bool is_ref = col.type.code == describe_code::kRef;
  if (!col.type.is_user_defined() || (is_ref ? d.dty != SQLT_REF : d.dty != SQLT_NTY))
    return engine_error(ora::kInconsistentTypes, {is_ref ? "REF" : "NAMED TYPE", col.type.data_type});
  if (v.is_null()) {
    *value_at = nullptr;
    if (ind_at) *ind_at = &od.null_inds[row];
    return {};
  }
  if (is_ref) {
    auto ref = make_owned<RefH>(kRefHandle);
    ref->hex = v.s;
    *value_at = ref.get();
    if (ind_at) *ind_at = nullptr;
    od.rows[row] = OwnedHandle(ref.release());
    return {};
  }
  TypeH* tdo = type_descriptor(s.catalog_shared(), col.type.type_owner, col.type.type_name);
  if (!tdo) return OraError{4043, "ORA-04043: object " + col.type.type_owner + "." + col.type.type_name + " does not exist"};
  auto stored = decode_object_value(v.s);
  if (!stored) return ora_internal("unreadable object value in column " + col.name);
  Builder b{cs};
  if (tdo->def.is_collection()) {
    auto coll = make_owned<CollH>(kCollHandle);
    coll->tdo = tdo;
    if (OraError e = b.collection(*coll, *stored, 0)) return e;
    *value_at = coll.get();
    if (ind_at) *ind_at = &coll->ind;
    od.rows[row] = OwnedHandle(coll.release());
    return {};
  }
  auto inst = make_owned<InstanceH>(kInstanceHandle);
  inst->tdo = tdo;
  if (OraError e = b.instance(*inst, *stored, 0)) return e;
  *value_at = inst.get();
  if (ind_at) *ind_at = inst->ind.data();
  od.rows[row] = OwnedHandle(inst.release());
  return {};
}

sword column_type_ref(const ParamH& p, ErrorH* err, void* attributep, ub4* sizep) {
  TypeH* tdo = p.col.type.is_user_defined() ? type_descriptor(p.catalog, p.col.type.type_owner, p.col.type.type_name)
                                            : nullptr;
  if (!tdo) return record_error(err, engine_error(ora::kIllegalAttribute));
  put_attr<void*>(attributep, sizep, tdo->self_ref.get());
  return OCI_SUCCESS;
}

sword type_param_attr(TypeParamH* p, ErrorH* err, void* attributep, ub4* sizep, ub4 attrtype) {
  const TypeMember* m = p->member;
  const bool is_type = p->ptype == OCI_PTYPE_TYPE;
  const TypeH* tdo = p->tdo;
  const bool is_table = p->ptype == OCI_PTYPE_TABLE || p->ptype == OCI_PTYPE_VIEW;
  switch (attrtype) {
    case OCI_ATTR_PTYPE: put_attr<ub1>(attributep, sizep, p->ptype); return OCI_SUCCESS;
    case OCI_ATTR_NUM_COLS:
      if (!is_table) break;
      put_attr<ub2>(attributep, sizep, static_cast<ub2>(static_cast<TypeParamH*>(p->children.front())->children.size()));
      return OCI_SUCCESS;
    case OCI_ATTR_LIST_COLUMNS:
      if (!is_table) break;
      put_attr<void*>(attributep, sizep, p->children.front());
      return OCI_SUCCESS;
    case OCI_ATTR_INDEX_ONLY:
    case OCI_ATTR_IS_TEMPORARY:
    case OCI_ATTR_IS_TYPED:
    case OCI_ATTR_PARTITIONED:
    case OCI_ATTR_CLUSTERED:
      if (!is_table) break;
      put_attr<ub1>(attributep, sizep, attrtype == OCI_ATTR_INDEX_ONLY && p->index_only ? 1 : 0);
      return OCI_SUCCESS;
    case OCI_ATTR_OBJ_NAME: put_text_attr(attributep, sizep, p->object_name); return OCI_SUCCESS;
    case OCI_ATTR_OBJ_SCHEMA: put_text_attr(attributep, sizep, p->object_schema); return OCI_SUCCESS;
    case OCI_ATTR_OBJ_ID: put_attr<ub4>(attributep, sizep, p->object_id); return OCI_SUCCESS;
    case OCI_ATTR_LINK: {
      if (p->ptype != OCI_PTYPE_SYN) break;
      static const std::string none;
      put_text_attr(attributep, sizep, none);
      return OCI_SUCCESS;
    }
    case OCI_ATTR_NAME: put_text_attr(attributep, sizep, p->name_text); return OCI_SUCCESS;
    case OCI_ATTR_TYPE_NAME: put_text_attr(attributep, sizep, p->type_text); return OCI_SUCCESS;
    case OCI_ATTR_SCHEMA_NAME: put_text_attr(attributep, sizep, p->schema_text); return OCI_SUCCESS;
    case OCI_ATTR_TYPECODE:
      if (is_type) {
        put_attr<OCITypeCode>(attributep, sizep, tdo->def.is_collection() ? OCI_TYPECODE_NAMEDCOLLECTION : OCI_TYPECODE_OBJECT);
        return OCI_SUCCESS;
      }
      if (!m) break;
      put_attr<OCITypeCode>(attributep, sizep, typecode_of(*m, tdo));
      return OCI_SUCCESS;
    case OCI_ATTR_COLLECTION_TYPECODE:
      if (!is_type || !tdo->def.is_collection()) break;
      put_attr<OCITypeCode>(attributep, sizep,
                            tdo->def.kind == ObjectType::Kind::varray ? OCI_TYPECODE_VARRAY : OCI_TYPECODE_TABLE);
      return OCI_SUCCESS;
    case OCI_ATTR_NUM_TYPE_ATTRS:
      if (!is_type) break;
      put_attr<ub2>(attributep, sizep, static_cast<ub2>(tdo->def.attributes.size()));
      return OCI_SUCCESS;
    case OCI_ATTR_LIST_TYPE_ATTRS:
      if (!is_type || tdo->def.is_collection()) break;
      put_attr<void*>(attributep, sizep, p->children.front());
      return OCI_SUCCESS;
    case OCI_ATTR_COLLECTION_ELEMENT:
      if (!is_type || !tdo->def.is_collection()) break;
      put_attr<void*>(attributep, sizep, p->children.front());
      return OCI_SUCCESS;
    case OCI_ATTR_NUM_ELEMS:
      if (p->ptype != OCI_PTYPE_TYPE_COLL) break;
      put_attr<ub4>(attributep, sizep, p->num_elems);
      return OCI_SUCCESS;
    case OCI_ATTR_REF_TDO:
      if (!tdo) break;
      put_attr<void*>(attributep, sizep, tdo->self_ref.get());
      return OCI_SUCCESS;
    case OCI_ATTR_NUM_PARAMS:
      if (p->ptype != OCI_PTYPE_LIST) break;
      put_attr<ub2>(attributep, sizep, static_cast<ub2>(p->children.size()));
      return OCI_SUCCESS;
    case OCI_ATTR_DATA_TYPE:
      if (!m) break;
      put_attr<ub2>(attributep, sizep,
                    static_cast<ub2>(m->type.code == describe_code::kObject ? SQLT_NTY : m->type.code));
      return OCI_SUCCESS;
    case OCI_ATTR_DATA_SIZE:
      if (!m) break;
      put_attr<ub2>(attributep, sizep, static_cast<ub2>(m->type.describe_size()));
      return OCI_SUCCESS;
    case OCI_ATTR_PRECISION:
      if (!m) break;
      put_attr<sb2>(attributep, sizep, static_cast<sb2>(m->type.describe_precision()));
      return OCI_SUCCESS;
    case OCI_ATTR_SCALE:
      if (!m) break;
      put_attr<sb1>(attributep, sizep, static_cast<sb1>(m->type.describe_scale()));
      return OCI_SUCCESS;
    case OCI_ATTR_CHARSET_FORM:
      if (!m) break;
      put_attr<ub1>(attributep, sizep, static_cast<ub1>(m->type.charset_form));
      return OCI_SUCCESS;
    default: break;
  }
  return record_error(err, engine_error(ora::kIllegalAttribute));
}

sword type_param_get(TypeParamH* p, ErrorH* err, void** parmdpp, ub4 pos) {
  if (p->ptype != OCI_PTYPE_LIST || pos < 1 || pos > p->children.size())
    return record_error(err, invalid_argument(5));
  *parmdpp = p->children[pos - 1];
  return OCI_SUCCESS;
}

}  // namespace ocilite

extern "C" {

sword OCIDescribeAny(OCISvcCtx* svchp, OCIError* errhp, void* objptr, ub4 objnm_len, ub1 objptr_typ, ub1,
                     ub1 objtyp, OCIDescribe* dschp) {
  ErrorH* err = error_handle(errhp);
  auto* dsc = as<DescribeH>(dschp, OCI_HTYPE_DESCRIBE);
  if (!err || !dsc || !objptr) return OCI_INVALID_HANDLE;
  TypeH* tdo = nullptr;
  const CharsetInfo& cs = err->env ? err->env->charset : env_charset(nullptr);
  if (objptr_typ == OCI_OTYPE_PTR) {
    tdo = as<TypeH>(objptr, kTypeHandle);
  } else if (objptr_typ == OCI_OTYPE_REF) {
    auto* ref = as<RefH>(objptr, kRefHandle);
    tdo = ref ? ref->tdo : nullptr;
  } else if (objptr_typ == OCI_OTYPE_NAME) {
    auto* svc = as<SvcCtxH>(svchp, OCI_HTYPE_SVCCTX);
    Session* s = session_of(svc);
    if (!s) return record_error(err, engine_error(ora::kNotConnected));
    std::string name = client_to_utf8(cs, std::string_view(static_cast<const char*>(objptr), objnm_len));
    std::string owner = s->current_schema();
    if (size_t dot = name.find('.'); dot != std::string::npos) {
      owner = normalize_name(name.substr(0, dot));
      name = name.substr(dot + 1);
    }
    name = normalize_name(name);
    if (objtyp == OCI_PTYPE_TYPE || objtyp == OCI_PTYPE_UNK) tdo = type_descriptor(s->catalog_shared(), owner, name);
    if (!tdo) {
      auto tree = std::make_shared<DescribeTree>();
      TypeParamH* top = describe_object(*tree, *s, owner, name, objtyp, cs);
      if (!top) return record_error(err, OraError{4043, "ORA-04043: object " + name + " does not exist"});
      dsc->result = top;
      dsc->tree = tree;
      return OCI_SUCCESS;
    }
  } else {
    return record_error(err, invalid_argument(5));
  }
  if (!tdo) return record_error(err, OraError{22806, "ORA-22806: not an object or REF"});
  auto tree = std::make_shared<DescribeTree>();
  dsc->result = describe_type(*tree, tdo, cs);
  dsc->tree = tree;
  return OCI_SUCCESS;
}

sword OCIDefineObject(OCIDefine* defnp, OCIError* errhp, const OCIType* type, void** pgvpp, ub4*, void** indpp, ub4*) {
  auto* d = as<DefineH>(defnp, OCI_HTYPE_DEFINE);
  ErrorH* err = error_handle(errhp);
  if (!d || !err) return OCI_INVALID_HANDLE;
  if (d->dty != SQLT_NTY && d->dty != SQLT_REF) return record_error(err, invalid_argument(1));
  if (d->dty == SQLT_NTY && !as<TypeH>(type, kTypeHandle)) return record_error(err, invalid_argument(3));
  if (!pgvpp) return record_error(err, invalid_argument(4));
  d->object = std::make_shared<ObjectDefine>();
  d->object->pgvpp = pgvpp;
  d->object->indpp = indpp;
  // Arrays of pointers unless OCIDefineArrayOfStruct says otherwise.
  d->pvskip = sizeof(void*);
  d->indskip = sizeof(void*);
  return OCI_SUCCESS;
}

sword OCITypeByName(OCIEnv* envhp, OCIError* errhp, const OCISvcCtx* svchp, const OraText* schema_name, ub4 s_length,
                    const OraText* type_name, ub4 t_length, const OraText*, ub4, OCIDuration, OCITypeGetOpt,
                    OCIType** tdo) {
  ErrorH* err = error_handle(errhp);
  auto* svc = as<SvcCtxH>(svchp, OCI_HTYPE_SVCCTX);
  if (!err || !svc || !type_name || !tdo) return OCI_INVALID_HANDLE;
  Session* s = session_of(svc);
  if (!s) return record_error(err, engine_error(ora::kNotConnected));
  const CharsetInfo& cs = env_charset(envhp);
  std::string owner = schema_name && s_length
                          ? client_to_utf8(cs, std::string_view(reinterpret_cast<const char*>(schema_name), s_length))
                          : s->current_schema();
  std::string name = client_to_utf8(cs, std::string_view(reinterpret_cast<const char*>(type_name), t_length));
  TypeH* t = type_descriptor(s->catalog_shared(), normalize_name(owner), normalize_name(name));
  if (!t) return record_error(err, OraError{4043, "ORA-04043: object " + name + " does not exist"});
  *tdo = reinterpret_cast<OCIType*>(t);
  return OCI_SUCCESS;
}

sword OCITypeByRef(OCIEnv*, OCIError* errhp, const OCIRef* type_ref, OCIDuration, OCITypeGetOpt, OCIType** tdo) {
  ErrorH* err = error_handle(errhp);
  if (!err || !tdo) return OCI_INVALID_HANDLE;
  auto* ref = as<RefH>(type_ref, kRefHandle);
  if (!ref || !ref->tdo) return record_error(err, invalid_argument(3));
  *tdo = reinterpret_cast<OCIType*>(ref->tdo);
  return OCI_SUCCESS;
}

sword OCIObjectNew(OCIEnv*, OCIError* errhp, const OCISvcCtx*, OCITypeCode typecode, OCIType* tdo, void*, OCIDuration,
                   boolean, void** instance) {
  ErrorH* err = error_handle(errhp);
  if (!err || !instance) return OCI_INVALID_HANDLE;
  auto* t = as<TypeH>(tdo, kTypeHandle);
  if (!t) return record_error(err, invalid_argument(5));
  if (t->def.is_collection() || typecode != OCI_TYPECODE_OBJECT)
    return record_error(err, OraError{3001, "ORA-03001: unimplemented feature: OCIObjectNew of this type code"});
  auto inst = make_owned<InstanceH>(kInstanceHandle);
  inst->tdo = t;
  inst->client_owned = true;
  inst->attrs.resize(t->def.attributes.size());
  inst->ind.assign(t->def.attributes.size() + 1, OCI_IND_NULL);
  *instance = inst.release();
  return OCI_SUCCESS;
}

sword OCIObjectPin(OCIEnv*, OCIError* errhp, OCIRef* ref, OCIComplexObject*, OCIPinOpt, OCIDuration, OCILockOpt,
                   void** object) {
  ErrorH* err = error_handle(errhp);
  if (!err || !object) return OCI_INVALID_HANDLE;
  auto* r = as<RefH>(ref, kRefHandle);
  if (!r) return record_error(err, invalid_argument(3));
  if (r->tdo) {  // pinning a type's REF gives the type descriptor
    *object = r->tdo;
    return OCI_SUCCESS;
  }
  return record_error(err, OraError{3001, "ORA-03001: unimplemented feature: pinning row objects; select the row"});
}

sword OCIObjectUnpin(OCIEnv*, OCIError* errhp, void* object) {
  ErrorH* err = error_handle(errhp);
  if (!err) return OCI_INVALID_HANDLE;
  if (!as<InstanceH>(object, kInstanceHandle) && !as<TypeH>(object, kTypeHandle)) return record_error(err, invalid_argument(3));
  return OCI_SUCCESS;
}

sword OCIObjectFree(OCIEnv*, OCIError* errhp, void* instance, ub2) {
  ErrorH* err = error_handle(errhp);
  if (!err) return OCI_INVALID_HANDLE;
  auto* inst = as<InstanceH>(instance, kInstanceHandle);
  if (!inst) return record_error(err, invalid_argument(3));
  // Fetched instances belong to their define until the next batch.
  if (inst->client_owned) HandleDeleter{}(inst);
  return OCI_SUCCESS;
}

sword OCIObjectGetInd(OCIEnv*, OCIError* errhp, void* instance, void** null_struct) {
  ErrorH* err = error_handle(errhp);
  if (!err || !null_struct) return OCI_INVALID_HANDLE;
  auto* inst = as<InstanceH>(instance, kInstanceHandle);
  if (!inst) return record_error(err, OraError{22806, "ORA-22806: not an object or REF"});
  *null_struct = inst->ind.data();
  return OCI_SUCCESS;
}

sword OCIObjectGetAttr(OCIEnv* envhp, OCIError* errhp, void* instance, void*, OCIType*, const OraText** names,
                       const ub4* lengths, ub4 name_count, const ub4*, ub4, OCIInd* attr_null_status,
                       void** attr_null_struct, void** attr_value, OCIType** attr_tdo) {
  ErrorH* err = error_handle(errhp);
  if (!err) return OCI_INVALID_HANDLE;
  auto* inst = as<InstanceH>(instance, kInstanceHandle);
  if (!inst) return record_error(err, OraError{22806, "ORA-22806: not an object or REF"});
  if (!names || !lengths || name_count == 0) return record_error(err, invalid_argument(6));
  const CharsetInfo& cs = env_charset(envhp);
  // A path of names walks into nested objects.
  for (ub4 level = 0; level < name_count; ++level) {
    if (!names[level]) return record_error(err, invalid_argument(6));
    const std::string wanted =
        client_to_utf8(cs, std::string_view(reinterpret_cast<const char*>(names[level]), lengths[level]));
    const auto& attrs = inst->tdo->def.attributes;
    size_t a = 0;
    while (a < attrs.size() && attrs[a].name != wanted && attrs[a].name != normalize_name(wanted)) ++a;
    if (a == attrs.size())
      return record_error(err, OraError{21560, invalid_argument(6).text + " (no attribute " + wanted + " in " +
                                                   inst->tdo->def.name + ")"});
    ValueSlot& slot = inst->attrs[a];
    const OracleType& t = attrs[a].type;
    TypeH* mtdo = member_tdo(inst->tdo, t);
    if (level + 1 < name_count) {
      auto* nested = t.code == describe_code::kObject ? as<InstanceH>(slot.owned.get(), kInstanceHandle) : nullptr;
      if (!nested) return record_error(err, OraError{22806, "ORA-22806: not an object or REF"});
      inst = nested;
      continue;
    }
    if (attr_null_status) *attr_null_status = slot.owned && t.code == describe_code::kObject && !(mtdo && mtdo->def.is_collection())
                                                  ? static_cast<InstanceH*>(slot.owned.get())->ind[0]
                                                  : slot.ind;
    if (attr_null_struct) *attr_null_struct = slot_indicator(slot, t, mtdo);
    if (attr_value) *attr_value = slot_value(slot, t, mtdo);
    if (attr_tdo) *attr_tdo = reinterpret_cast<OCIType*>(mtdo);
  }
  return OCI_SUCCESS;
}

// ---- collections ----

namespace {
struct IterH : Handle {
  CollH* coll = nullptr;
  size_t next = 0;
};
CollH* coll_of(const void* p) { return as<CollH>(p, kCollHandle); }
}  // namespace

sword OCIIterCreate(OCIEnv*, OCIError* errhp, const OCIColl* coll, OCIIter** itr) {
  ErrorH* err = error_handle(errhp);
  if (!err || !itr) return OCI_INVALID_HANDLE;
  CollH* c = coll_of(coll);
  if (!c) return record_error(err, invalid_argument(3));
  auto it = make_owned<IterH>(kIterHandle);
  it->coll = c;
  *itr = reinterpret_cast<OCIIter*>(it.release());
  return OCI_SUCCESS;
}

sword OCIIterNext(OCIEnv*, OCIError* errhp, OCIIter* itr, void** elem, void** elemind, boolean* eoc) {
  ErrorH* err = error_handle(errhp);
  auto* it = as<IterH>(itr, kIterHandle);
  if (!err || !it || !eoc) return OCI_INVALID_HANDLE;
  if (!coll_of(it->coll)) return record_error(err, invalid_argument(3));
  CollH& c = *it->coll;
  if (it->next >= c.elems.size()) {
    *eoc = 1;
    if (elem) *elem = nullptr;
    if (elemind) *elemind = nullptr;
    return OCI_SUCCESS;
  }
  const OracleType& t = c.tdo->def.element.type;
  TypeH* etdo = member_tdo(c.tdo, t);
  ValueSlot& s = c.elems[it->next++];
  *eoc = 0;
  if (elem) *elem = slot_value(s, t, etdo);
  if (elemind) *elemind = slot_indicator(s, t, etdo);
  return OCI_SUCCESS;
}

sword OCIIterDelete(OCIEnv*, OCIError* errhp, OCIIter** itr) {
  ErrorH* err = error_handle(errhp);
  if (!err || !itr) return OCI_INVALID_HANDLE;
  auto* it = as<IterH>(*itr, kIterHandle);
  if (!it) return record_error(err, invalid_argument(3));
  HandleDeleter{}(it);
  *itr = nullptr;
  return OCI_SUCCESS;
}

sword OCICollSize(OCIEnv*, OCIError* errhp, const OCIColl* coll, sb4* size) {
  ErrorH* err = error_handle(errhp);
  if (!err || !size) return OCI_INVALID_HANDLE;
  CollH* c = coll_of(coll);
  if (!c) return record_error(err, invalid_argument(3));
  *size = static_cast<sb4>(c->elems.size());
  return OCI_SUCCESS;
}

sword OCITableSize(OCIEnv* env, OCIError* errhp, const OCITable* tbl, sb4* size) { return OCICollSize(env, errhp, tbl, size); }

sword OCITableFirst(OCIEnv*, OCIError* errhp, const OCITable* tbl, sb4* index) {
  ErrorH* err = error_handle(errhp);
  if (!err || !index) return OCI_INVALID_HANDLE;
  CollH* c = coll_of(tbl);
  if (!c) return record_error(err, invalid_argument(3));
  if (c->elems.empty()) return record_error(err, OraError{22166, "ORA-22166: collection is empty"});
  *index = 0;
  return OCI_SUCCESS;
}

sword OCITableNext(OCIEnv*, OCIError* errhp, sb4 index, const OCITable* tbl, sb4* next_index, boolean* exists) {
  ErrorH* err = error_handle(errhp);
  if (!err || !next_index || !exists) return OCI_INVALID_HANDLE;
  CollH* c = coll_of(tbl);
  if (!c) return record_error(err, invalid_argument(4));
  const sb4 next = index + 1;
  *exists = index >= -1 && next < static_cast<sb4>(c->elems.size()) ? 1 : 0;
  *next_index = *exists ? next : index;
  return OCI_SUCCESS;
}

sword OCICollGetElem(OCIEnv*, OCIError* errhp, const OCIColl* coll, sb4 index, boolean* exists, void** elem,
                     void** elemind) {
  ErrorH* err = error_handle(errhp);
  if (!err || !exists) return OCI_INVALID_HANDLE;
  CollH* c = coll_of(coll);
  if (!c) return record_error(err, invalid_argument(3));
  if (index < 0 || index >= static_cast<sb4>(c->elems.size())) {
    *exists = 0;
    if (elem) *elem = nullptr;
    if (elemind) *elemind = nullptr;
    return OCI_SUCCESS;
  }
  const OracleType& t = c->tdo->def.element.type;
  TypeH* etdo = member_tdo(c->tdo, t);
  ValueSlot& s = c->elems[static_cast<size_t>(index)];
  *exists = 1;
  if (elem) *elem = slot_value(s, t, etdo);
  if (elemind) *elemind = slot_indicator(s, t, etdo);
  return OCI_SUCCESS;
}

// ---- strings, raws, REFs ----

OraText* OCIStringPtr(OCIEnv*, const OCIString* vs) {
  auto* s = as<StringH>(vs, kStringHandle);
  return s ? reinterpret_cast<OraText*>(s->text.data()) : nullptr;
}

ub4 OCIStringSize(OCIEnv*, const OCIString* vs) {
  auto* s = as<StringH>(vs, kStringHandle);
  return s ? static_cast<ub4>(s->text.size()) : 0;
}

ub1* OCIRawPtr(OCIEnv*, const OCIRaw* raw) {
  auto* r = as<RawH>(raw, kRawHandle);
  return r ? reinterpret_cast<ub1*>(r->bytes.data()) : nullptr;
}

ub4 OCIRawSize(OCIEnv*, const OCIRaw* raw) {
  auto* r = as<RawH>(raw, kRawHandle);
  return r ? static_cast<ub4>(r->bytes.size()) : 0;
}

ub4 OCIRefHexSize(OCIEnv*, const OCIRef* ref) {
  auto* r = as<RefH>(ref, kRefHandle);
  return r ? static_cast<ub4>(r->hex.size()) : 0;
}

sword OCIRefToHex(OCIEnv*, OCIError* errhp, const OCIRef* ref, OraText* hex, ub4* hex_length) {
  ErrorH* err = error_handle(errhp);
  if (!err || !hex || !hex_length) return OCI_INVALID_HANDLE;
  auto* r = as<RefH>(ref, kRefHandle);
  if (!r) return record_error(err, invalid_argument(3));
  if (*hex_length < r->hex.size())
    return record_error(err, OraError{22807, "ORA-22807: buffer too small for the REF in hexadecimal"});
  std::memcpy(hex, r->hex.data(), r->hex.size());
  *hex_length = static_cast<ub4>(r->hex.size());
  return OCI_SUCCESS;
}

}  // extern "C"
