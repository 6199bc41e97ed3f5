#define _POSIX_C_SOURCE 200809L
/* See object_client.h. Only the OCI ABI is used here. */
#include "object_client.h"

#include <stdio.h>
#include <string.h>

#include "client_conn.h"
#include "oci/oci_abi.h"

static sword run(conn* c, const char* sql) {
  OCIStmt* st = NULL;
  OCIHandleAlloc(c->env, (void**)&st, OCI_HTYPE_STMT, 0, NULL);
  sword rc = OCIStmtPrepare(st, c->err, (const OraText*)sql, (ub4)strlen(sql), OCI_NTV_SYNTAX, OCI_DEFAULT);
  if (rc == OCI_SUCCESS) rc = OCIStmtExecute(c->svc, st, c->err, 1, 0, NULL, NULL, OCI_DEFAULT);
  OCIHandleFree(st, OCI_HTYPE_STMT);
  return rc;
}

static const char* make_schema(conn* c) {
  static const char* ddl[] = {
      "create type address_t as object (pref varchar2(20), zip varchar2(8), since date, stamp timestamp(3), "
      "n number)",
      "create type phones_t as varray(3) of varchar2(20)",
      "create type scores_t as table of number",
      "create type person_t as object (name varchar2(20), addr address_t, phones phones_t)",
      "create table addrs of address_t",
      "create table t (id number(5) primary key, p person_t, ph phones_t, sc scores_t, r ref address_t) "
      "nested table sc store as t_sc",
      "insert into addrs values ('東京都', '100-0001', date '2020-01-02', timestamp '2020-01-02 03:04:05.678', 1)",
      "insert into t values (1, person_t('山田', address_t('大阪府', null, to_date('1999-12-31 23:59:59', "
      "'YYYY-MM-DD HH24:MI:SS'), null, 2.5), phones_t('03-1', null)), phones_t('090-1', '090-2'), "
      "scores_t(10, 20, 30), null)",
      "update t set r = (select ref(a) from addrs a)",
      "insert into t (id) values (2)",
      "commit",
  };
  for (size_t i = 0; i < sizeof ddl / sizeof ddl[0]; ++i)
    if (run(c, ddl[i]) != OCI_SUCCESS) return failc(ddl[i], c);
  return NULL;
}

static int text_is(OCIEnv* env, OCIString* s, const char* expected) {
  const char* p = s ? (const char*)OCIStringPtr(env, s) : NULL;
  return p && strcmp(p, expected) == 0 && OCIStringSize(env, s) == strlen(expected);
}

static double number_of(conn* c, const OCINumber* n) {
  double d = -1;
  OCINumberToReal(c->err, n, sizeof d, &d);
  return d;
}

/* One attribute by a path of names. */
static sword attr(conn* c, void* obj, void* ind, OCIType* tdo, const char* a, const char* b, OCIInd* status,
                  void** value, void** value_ind) {
  const OraText* names[2] = {(const OraText*)a, (const OraText*)b};
  ub4 lengths[2] = {(ub4)strlen(a), b ? (ub4)strlen(b) : 0};
  OCIType* attr_tdo = NULL;
  return OCIObjectGetAttr(c->env, c->err, obj, ind, tdo, names, lengths, b ? 2 : 1, NULL, 0, status, value_ind, value,
                          &attr_tdo);
}

static const char* check_describe_type(conn* c, OCIType* tdo) {
  OCIDescribe* dsc = NULL;
  OCIHandleAlloc(c->env, (void**)&dsc, OCI_HTYPE_DESCRIBE, 0, NULL);
  const char* failure = NULL;
  void* param = NULL;
  if (OCIDescribeAny(c->svc, c->err, tdo, 0, OCI_OTYPE_PTR, OCI_DEFAULT, OCI_PTYPE_TYPE, dsc) != OCI_SUCCESS ||
      OCIAttrGet(dsc, OCI_HTYPE_DESCRIBE, &param, NULL, OCI_ATTR_PARAM, c->err) != OCI_SUCCESS) {
    failure = failc("describe person_t", c);
  } else {
    OCITypeCode code = 0;
    ub2 count = 0;
    OraText* name = NULL;
    ub4 name_len = 0;
    void* list = NULL;
    OCIAttrGet(param, OCI_DTYPE_PARAM, &code, NULL, OCI_ATTR_TYPECODE, c->err);
    OCIAttrGet(param, OCI_DTYPE_PARAM, &count, NULL, OCI_ATTR_NUM_TYPE_ATTRS, c->err);
    OCIAttrGet(param, OCI_DTYPE_PARAM, &name, &name_len, OCI_ATTR_NAME, c->err);
    OCIAttrGet(param, OCI_DTYPE_PARAM, &list, NULL, OCI_ATTR_LIST_TYPE_ATTRS, c->err);
    if (code != OCI_TYPECODE_OBJECT || count != 3 || name_len != 8 || memcmp(name, "PERSON_T", 8) != 0 || !list) {
      failure = "person_t describes as an object of 3 attributes";
    } else {
      static const char* names[] = {"NAME", "ADDR", "PHONES"};
      static const OCITypeCode codes[] = {OCI_TYPECODE_VARCHAR2, OCI_TYPECODE_OBJECT, OCI_TYPECODE_NAMEDCOLLECTION};
      for (ub4 i = 1; i <= 3 && !failure; ++i) {
        void* a = NULL;
        if (OCIParamGet(list, OCI_DTYPE_PARAM, c->err, &a, i) != OCI_SUCCESS) {
          failure = failc("attribute parameter", c);
          break;
        }
        OCIAttrGet(a, OCI_DTYPE_PARAM, &name, &name_len, OCI_ATTR_NAME, c->err);
        OCIAttrGet(a, OCI_DTYPE_PARAM, &code, NULL, OCI_ATTR_TYPECODE, c->err);
        if (name_len != strlen(names[i - 1]) || memcmp(name, names[i - 1], name_len) != 0 || code != codes[i - 1])
          failure = "attribute names and type codes in order";
      }
      void* none = NULL;
      if (!failure && OCIParamGet(list, OCI_DTYPE_PARAM, c->err, &none, 4) != OCI_ERROR)
        failure = "a fourth attribute must not exist";
    }
  }
  OCIHandleFree(dsc, OCI_HTYPE_DESCRIBE);
  return failure;
}

const char* check_object_reads(const char* db) {
  conn c;
  if (!connect_db(&c, db)) return failc("login", &c);
  const char* failure = make_schema(&c);
  if (failure) return failure;
  OCIStmt* st = NULL;
  OCIHandleAlloc(c.env, (void**)&st, OCI_HTYPE_STMT, 0, NULL);
  const char* sql = "select p, ph, sc, r from t order by id";
  if (OCIStmtPrepare(st, c.err, (const OraText*)sql, (ub4)strlen(sql), OCI_NTV_SYNTAX, OCI_DEFAULT) != OCI_SUCCESS ||
      OCIStmtExecute(c.svc, st, c.err, 0, 0, NULL, NULL, OCI_DEFAULT) != OCI_SUCCESS)
    return failc("query", &c);
  /* Column types: 108 for objects and collections, 110 for the REF. */
  OCIType* tdo[3] = {NULL, NULL, NULL};
  static const ub2 types[] = {108, 108, 108, 110};
  static const char* type_names[] = {"PERSON_T", "PHONES_T", "SCORES_T", ""};
  for (ub4 i = 1; i <= 4; ++i) {
    void* col = NULL;
    ub2 dtype = 0;
    OraText* tn = NULL;
    ub4 tn_len = 0;
    OCIParamGet(st, OCI_HTYPE_STMT, c.err, &col, i);
    OCIAttrGet(col, OCI_DTYPE_PARAM, &dtype, NULL, OCI_ATTR_DATA_TYPE, c.err);
    OCIAttrGet(col, OCI_DTYPE_PARAM, &tn, &tn_len, OCI_ATTR_TYPE_NAME, c.err);
    if (dtype != types[i - 1]) return "column data types";
    if (i <= 3) {
      if (tn_len != strlen(type_names[i - 1]) || memcmp(tn, type_names[i - 1], tn_len) != 0) return "type names";
      OCIRef* ref = NULL;
      if (OCIAttrGet(col, OCI_DTYPE_PARAM, &ref, NULL, OCI_ATTR_REF_TDO, c.err) != OCI_SUCCESS ||
          OCITypeByRef(c.env, c.err, ref, OCI_DURATION_SESSION, OCI_TYPEGET_HEADER, &tdo[i - 1]) != OCI_SUCCESS)
        return failc("type of an object column", &c);
    }
    OCIDescriptorFree(col, OCI_DTYPE_PARAM);
  }
  if ((failure = check_describe_type(&c, tdo[0]))) return failure;
  /* Two rows at once: value and indicator pointers in parallel arrays. */
  void* person[2] = {NULL, NULL};
  void* person_ind[2] = {NULL, NULL};
  OCIColl* phones[2] = {NULL, NULL};
  void* phones_ind[2] = {NULL, NULL};
  OCIColl* scores[2] = {NULL, NULL};
  void* scores_ind[2] = {NULL, NULL};
  OCIRef* refs[2] = {NULL, NULL};
  void* refs_ind[2] = {NULL, NULL};
  void** values[4] = {person, (void**)phones, (void**)scores, (void**)refs};
  void** inds[4] = {person_ind, phones_ind, scores_ind, refs_ind};
  for (ub4 i = 0; i < 4; ++i) {
    OCIDefine* def = NULL;
    if (OCIDefineByPos(st, &def, c.err, i + 1, NULL, 0, i < 3 ? SQLT_NTY : SQLT_REF, NULL, NULL, NULL, OCI_DEFAULT) !=
            OCI_SUCCESS ||
        OCIDefineObject(def, c.err, i < 3 ? tdo[i] : NULL, values[i], NULL, inds[i], NULL) != OCI_SUCCESS)
      return failc("define object", &c);
  }
  if (OCIStmtFetch2(st, c.err, 2, OCI_FETCH_NEXT, 0, OCI_DEFAULT) != OCI_SUCCESS) return failc("fetch", &c);

  /* Row 1: the person, its nested address and varray. */
  OCIInd status = 0;
  void* value = NULL;
  void* value_ind = NULL;
  if (!person[0] || *(OCIInd*)person_ind[0] != OCI_IND_NOTNULL) return "row 1 has a person";
  if (attr(&c, person[0], person_ind[0], tdo[0], "NAME", NULL, &status, &value, &value_ind) != OCI_SUCCESS ||
      status != OCI_IND_NOTNULL || !text_is(c.env, *(OCIString**)value, "山田"))
    return failc("NAME", &c);
  if (attr(&c, person[0], person_ind[0], tdo[0], "ADDR", "PREF", &status, &value, &value_ind) != OCI_SUCCESS ||
      !text_is(c.env, *(OCIString**)value, "大阪府"))
    return failc("ADDR.PREF through a path", &c);
  if (attr(&c, person[0], person_ind[0], tdo[0], "ADDR", "ZIP", &status, &value, &value_ind) != OCI_SUCCESS ||
      status != OCI_IND_NULL)
    return "ADDR.ZIP is NULL";
  if (attr(&c, person[0], person_ind[0], tdo[0], "ADDR", "N", &status, &value, &value_ind) != OCI_SUCCESS ||
      number_of(&c, (const OCINumber*)value) != 2.5)
    return failc("ADDR.N", &c);
  if (attr(&c, person[0], person_ind[0], tdo[0], "ADDR", "SINCE", &status, &value, &value_ind) != OCI_SUCCESS)
    return failc("ADDR.SINCE", &c);
  char text[64] = "";
  ub4 text_len = sizeof text - 1;
  if (OCIDateToText(c.err, (const OCIDate*)value, (const OraText*)"YYYY-MM-DD HH24:MI:SS", 21, NULL, 0, &text_len,
                    (OraText*)text) != OCI_SUCCESS ||
      strncmp(text, "1999-12-31 23:59:59", text_len) != 0)
    return failc("a DATE attribute as text", &c);
  if (attr(&c, person[0], person_ind[0], tdo[0], "PHONES", NULL, &status, &value, &value_ind) != OCI_SUCCESS)
    return failc("PHONES", &c);
  OCIColl* inner = *(OCIColl**)value;
  sb4 size = 0;
  if (OCICollSize(c.env, c.err, inner, &size) != OCI_SUCCESS || size != 2) return "the person's two phones";
  boolean exists = 0;
  void* elem = NULL;
  void* elem_ind = NULL;
  if (OCICollGetElem(c.env, c.err, inner, 1, &exists, &elem, &elem_ind) != OCI_SUCCESS || !exists ||
      *(OCIInd*)elem_ind != OCI_IND_NULL)
    return "the second phone is NULL";

  /* The varray column walked with an iterator. */
  OCIIter* it = NULL;
  if (OCIIterCreate(c.env, c.err, phones[0], &it) != OCI_SUCCESS) return failc("iterator", &c);
  const char* expected_phones[] = {"090-1", "090-2"};
  int seen = 0;
  for (;;) {
    boolean eoc = 0;
    if (OCIIterNext(c.env, c.err, it, &elem, &elem_ind, &eoc) != OCI_SUCCESS) return failc("iterate", &c);
    if (eoc) break;
    if (seen >= 2 || !text_is(c.env, *(OCIString**)elem, expected_phones[seen])) return "varray elements in order";
    ++seen;
  }
  OCIIterDelete(c.env, c.err, &it);
  if (seen != 2 || it != NULL) return "two phones, iterator released";

  /* The nested table walked by index. */
  sb4 index = 0, next = 0;
  double sum = 0;
  if (OCITableFirst(c.env, c.err, scores[0], &index) != OCI_SUCCESS) return failc("first score", &c);
  for (;;) {
    if (OCICollGetElem(c.env, c.err, scores[0], index, &exists, &elem, &elem_ind) != OCI_SUCCESS || !exists)
      return failc("score element", &c);
    sum += number_of(&c, (const OCINumber*)elem);
    if (OCITableNext(c.env, c.err, index, scores[0], &next, &exists) != OCI_SUCCESS) return failc("next score", &c);
    if (!exists) break;
    index = next;
  }
  if (sum != 60) return "scores 10 + 20 + 30";

  /* The REF as hexadecimal text. */
  ub4 hex_size = OCIRefHexSize(c.env, refs[0]);
  char hex[300] = "";
  ub4 hex_len = sizeof hex;
  if (hex_size == 0 || hex_size >= sizeof hex || OCIRefToHex(c.env, c.err, refs[0], (OraText*)hex, &hex_len) != OCI_SUCCESS ||
      hex_len != hex_size || strspn(hex, "0123456789ABCDEF") != hex_len)
    return failc("REF as hex", &c);

  /* Row 2: every value NULL. */
  if (person[1] != NULL && *(OCIInd*)person_ind[1] != OCI_IND_NULL) return "row 2's person is NULL";
  if (phones[1] != NULL || scores[1] != NULL || refs[1] != NULL) return "row 2's collections and REF are NULL";
  OCIHandleFree(st, OCI_HTYPE_STMT);
  disconnect(&c);
  return NULL;
}

const char* check_object_bad_input(const char* db) {
  conn c;
  if (!connect_db(&c, db)) return failc("login", &c);
  const char* failure = make_schema(&c);
  if (failure) return failure;
  int junk[16] = {0};
  OCIInd status = 0;
  void* value = NULL;
  void* value_ind = NULL;
  if (attr(&c, junk, NULL, NULL, "NAME", NULL, &status, &value, &value_ind) != OCI_ERROR || code_of(&c) != 22806)
    return "GetAttr on something that is no object gives ORA-22806";
  sb4 size = 0;
  if (OCICollSize(c.env, c.err, (OCIColl*)junk, &size) != OCI_ERROR) return "CollSize on no collection fails";
  OCIIter* it = NULL;
  if (OCIIterCreate(c.env, c.err, (OCIColl*)junk, &it) != OCI_ERROR || it) return "IterCreate on no collection fails";
  if (OCIStringPtr(c.env, (OCIString*)junk) != NULL || OCIRefHexSize(c.env, (OCIRef*)junk) != 0)
    return "string and REF calls on bad pointers give nothing";
  OCIType* tdo = NULL;
  if (OCITypeByName(c.env, c.err, c.svc, NULL, 0, (const OraText*)"NO_SUCH_T", 9, NULL, 0, OCI_DURATION_SESSION,
                    OCI_TYPEGET_HEADER, &tdo) != OCI_ERROR ||
      code_of(&c) != 4043)
    return "an unknown type gives ORA-04043";
  if (OCITypeByName(c.env, c.err, c.svc, (const OraText*)"SCOTT", 5, (const OraText*)"ADDRESS_T", 9, NULL, 0,
                    OCI_DURATION_SESSION, OCI_TYPEGET_HEADER, &tdo) != OCI_SUCCESS)
    return failc("type by name", &c);
  /* A new instance: all attributes NULL, an unknown attribute refused. */
  void* obj = NULL;
  if (OCIObjectNew(c.env, c.err, c.svc, OCI_TYPECODE_OBJECT, tdo, NULL, OCI_DURATION_SESSION, 1, &obj) != OCI_SUCCESS)
    return failc("new object", &c);
  void* ind = NULL;
  OCIObjectGetInd(c.env, c.err, obj, &ind);
  if (attr(&c, obj, ind, tdo, "ZIP", NULL, &status, &value, &value_ind) != OCI_SUCCESS || status != OCI_IND_NULL)
    return failc("a new object's attributes are NULL", &c);
  if (attr(&c, obj, ind, tdo, "NO_SUCH", NULL, &status, &value, &value_ind) != OCI_ERROR)
    return "an unknown attribute is refused";
  if (attr(&c, obj, ind, tdo, "ZIP", "DEEPER", &status, &value, &value_ind) != OCI_ERROR)
    return "a path through a scalar is refused";
  OCIObjectFree(c.env, c.err, obj, 0);
  if (OCIObjectGetInd(c.env, c.err, obj, &ind) != OCI_ERROR) return "a freed instance is refused";
  /* Object defines on an ordinary column, a too small REF buffer. */
  OCIStmt* st = NULL;
  OCIHandleAlloc(c.env, (void**)&st, OCI_HTYPE_STMT, 0, NULL);
  const char* sql = "select id, r from t where id = 1";
  OCIStmtPrepare(st, c.err, (const OraText*)sql, (ub4)strlen(sql), OCI_NTV_SYNTAX, OCI_DEFAULT);
  OCIStmtExecute(c.svc, st, c.err, 0, 0, NULL, NULL, OCI_DEFAULT);
  OCIDefine* def = NULL;
  void* objs[1] = {NULL};
  OCIRef* refs[1] = {NULL};
  OCIDefineByPos(st, &def, c.err, 1, NULL, 0, SQLT_NTY, NULL, NULL, NULL, OCI_DEFAULT);
  OCIDefineObject(def, c.err, tdo, objs, NULL, NULL, NULL);
  OCIDefineByPos(st, &def, c.err, 2, NULL, 0, SQLT_REF, NULL, NULL, NULL, OCI_DEFAULT);
  OCIDefineObject(def, c.err, NULL, (void**)refs, NULL, NULL, NULL);
  if (OCIStmtFetch2(st, c.err, 1, OCI_FETCH_NEXT, 0, OCI_DEFAULT) != OCI_ERROR || code_of(&c) != 932)
    return "an object define on a NUMBER column gives ORA-00932";
  OCIHandleFree(st, OCI_HTYPE_STMT);
  disconnect(&c);
  return NULL;
}

const char* check_datetime_texts(const char* db) {
  conn c;
  if (!connect_db(&c, db)) return failc("login", &c);
  OCIDateTime* ts = NULL;
  if (OCIDescriptorAlloc(c.env, (void**)&ts, OCI_DTYPE_TIMESTAMP, 0, NULL) != OCI_SUCCESS) return "timestamp descriptor";
  const char* in = "2024-02-29 13:45:06.123456";
  const char* fmt = "YYYY-MM-DD HH24:MI:SS.FF";
  if (OCIDateTimeFromText(c.env, c.err, (const OraText*)in, strlen(in), (const OraText*)fmt, (ub1)strlen(fmt), NULL, 0,
                          ts) != OCI_SUCCESS)
    return failc("timestamp from text", &c);
  char out[64] = "";
  ub4 len = sizeof out;
  if (OCIDateTimeToText(c.env, c.err, ts, (const OraText*)fmt, (ub1)strlen(fmt), 3, NULL, 0, &len, (OraText*)out) !=
          OCI_SUCCESS ||
      len != 23 || strncmp(out, "2024-02-29 13:45:06.123", len) != 0)
    return failc("timestamp to text with 3 fraction digits", &c);
  len = 5;
  if (OCIDateTimeToText(c.env, c.err, ts, (const OraText*)fmt, (ub1)strlen(fmt), 6, NULL, 0, &len, (OraText*)out) !=
      OCI_ERROR)
    return "a too small buffer is refused";
  if (OCIDateTimeFromText(c.env, c.err, (const OraText*)"not a date", 10, (const OraText*)fmt, (ub1)strlen(fmt), NULL,
                          0, ts) != OCI_ERROR)
    return "a bad text is refused";
  OCIDescriptorFree(ts, OCI_DTYPE_TIMESTAMP);
  OCIInterval* iv = NULL;
  if (OCIDescriptorAlloc(c.env, (void**)&iv, OCI_DTYPE_INTERVAL_DS, 0, NULL) != OCI_SUCCESS) return "interval descriptor";
  size_t ilen = 0;
  if (OCIIntervalToText(c.env, c.err, iv, 2, 3, (OraText*)out, sizeof out, &ilen) != OCI_SUCCESS ||
      strncmp(out, "+00 00:00:00.000", ilen) != 0)
    return failc("a zero interval as text", &c);
  OCIDescriptorFree(iv, OCI_DTYPE_INTERVAL_DS);
  disconnect(&c);
  return NULL;
}

/* The top parameter of describing `name`; NULL (and the error kept) on failure. */
static void* describe_name(conn* c, OCIDescribe* dsc, const char* name, ub1 ptype) {
  void* param = NULL;
  if (OCIDescribeAny(c->svc, c->err, (void*)name, (ub4)strlen(name), OCI_OTYPE_NAME, OCI_DEFAULT, ptype, dsc) !=
          OCI_SUCCESS ||
      OCIAttrGet(dsc, OCI_HTYPE_DESCRIBE, &param, NULL, OCI_ATTR_PARAM, c->err) != OCI_SUCCESS)
    return NULL;
  return param;
}

static int text_attr_is(conn* c, void* param, ub4 attr, const char* expected) {
  OraText* p = NULL;
  ub4 len = 0;
  return OCIAttrGet(param, OCI_DTYPE_PARAM, &p, &len, attr, c->err) == OCI_SUCCESS && len == strlen(expected) &&
         memcmp(p, expected, len) == 0;
}

const char* check_describe_by_name(const char* db) {
  conn c;
  if (!connect_db(&c, db)) return failc("login", &c);
  const char* failure = make_schema(&c);
  if (failure) return failure;
  if (run(&c, "create view v as select id, ph from t") != OCI_SUCCESS ||
      run(&c, "create synonym s for t") != OCI_SUCCESS ||
      run(&c, "create table iot (k number primary key, v varchar2(5)) organization index") != OCI_SUCCESS)
    return failc("view, synonym, IOT", &c);
  OCIDescribe* dsc = NULL;
  OCIHandleAlloc(c.env, (void**)&dsc, OCI_HTYPE_DESCRIBE, 0, NULL);
  void* top = describe_name(&c, dsc, "scott.t", OCI_PTYPE_UNK);
  ub1 ptype = 0, iot = 1;
  ub2 ncols = 0;
  void* list = NULL;
  if (!top) return failc("describe SCOTT.T", &c);
  OCIAttrGet(top, OCI_DTYPE_PARAM, &ptype, NULL, OCI_ATTR_PTYPE, c.err);
  OCIAttrGet(top, OCI_DTYPE_PARAM, &ncols, NULL, OCI_ATTR_NUM_COLS, c.err);
  OCIAttrGet(top, OCI_DTYPE_PARAM, &iot, NULL, OCI_ATTR_INDEX_ONLY, c.err);
  OCIAttrGet(top, OCI_DTYPE_PARAM, &list, NULL, OCI_ATTR_LIST_COLUMNS, c.err);
  if (ptype != OCI_PTYPE_TABLE || ncols != 5 || iot != 0 || !list) return "T is a table of 5 columns";
  void* col = NULL;
  ub2 dtype = 0;
  if (OCIParamGet(list, OCI_DTYPE_PARAM, c.err, &col, 2) != OCI_SUCCESS) return failc("column 2", &c);
  OCIAttrGet(col, OCI_DTYPE_PARAM, &dtype, NULL, OCI_ATTR_DATA_TYPE, c.err);
  if (dtype != 108 || !text_attr_is(&c, col, OCI_ATTR_NAME, "P") || !text_attr_is(&c, col, OCI_ATTR_TYPE_NAME, "PERSON_T") ||
      !text_attr_is(&c, col, OCI_ATTR_SCHEMA_NAME, "SCOTT"))
    return "column P of type SCOTT.PERSON_T";
  if (!(top = describe_name(&c, dsc, "V", OCI_PTYPE_UNK))) return failc("describe V", &c);
  OCIAttrGet(top, OCI_DTYPE_PARAM, &ptype, NULL, OCI_ATTR_PTYPE, c.err);
  OCIAttrGet(top, OCI_DTYPE_PARAM, &ncols, NULL, OCI_ATTR_NUM_COLS, c.err);
  if (ptype != OCI_PTYPE_VIEW || ncols != 2) return "V is a view of 2 columns";
  if (!(top = describe_name(&c, dsc, "IOT", OCI_PTYPE_TABLE))) return failc("describe IOT", &c);
  OCIAttrGet(top, OCI_DTYPE_PARAM, &iot, NULL, OCI_ATTR_INDEX_ONLY, c.err);
  if (iot != 1) return "IOT is index-organised";
  /* A synonym names what it stands for, and itself. */
  if (!(top = describe_name(&c, dsc, "S", OCI_PTYPE_UNK))) return failc("describe S", &c);
  OCIAttrGet(top, OCI_DTYPE_PARAM, &ptype, NULL, OCI_ATTR_PTYPE, c.err);
  if (ptype != OCI_PTYPE_SYN || !text_attr_is(&c, top, OCI_ATTR_SCHEMA_NAME, "SCOTT") ||
      !text_attr_is(&c, top, OCI_ATTR_NAME, "T") || !text_attr_is(&c, top, OCI_ATTR_OBJ_NAME, "S"))
    return "S is a synonym of SCOTT.T";
  if (!(top = describe_name(&c, dsc, "PERSON_T", OCI_PTYPE_UNK))) return failc("describe PERSON_T", &c);
  OCIAttrGet(top, OCI_DTYPE_PARAM, &ptype, NULL, OCI_ATTR_PTYPE, c.err);
  if (ptype != OCI_PTYPE_TYPE) return "PERSON_T is a type";
  if (describe_name(&c, dsc, "NO_SUCH", OCI_PTYPE_UNK) || code_of(&c) != 4043) return "an unknown name gives ORA-04043";
  if (describe_name(&c, dsc, "V", OCI_PTYPE_TABLE) || code_of(&c) != 4043) return "a view asked for as a table";
  OCIHandleFree(dsc, OCI_HTYPE_DESCRIBE);
  disconnect(&c);
  return NULL;
}
