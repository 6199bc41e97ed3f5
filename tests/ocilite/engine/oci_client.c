#define _POSIX_C_SOURCE 200809L
/* See oci_client.h. Only the OCI ABI is used here. */
#include "oci_client.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

#include "oci/oci_abi.h"

typedef struct {
  OCIEnv* env;
  OCIError* err;
  OCIServer* srv;
  OCISvcCtx* svc;
  OCISession* ses;
} client;

static char g_msg[2048];

static const char* failf(const char* what, client* c) {
  char text[1024] = "";
  sb4 code = 0;
  if (c && c->err) OCIErrorGet(c->err, 1, NULL, &code, (OraText*)text, sizeof text, OCI_HTYPE_ERROR);
  snprintf(g_msg, sizeof g_msg, "%s (ORA %d: %s)", what, (int)code, text);
  return g_msg;
}

static int last_code(client* c) {
  sb4 code = 0;
  char text[512];
  if (OCIErrorGet(c->err, 1, NULL, &code, (OraText*)text, sizeof text, OCI_HTYPE_ERROR) != OCI_SUCCESS) return 0;
  return (int)code;
}

static sword login(client* c, const char* db, const char* user, const char* pw) {
  memset(c, 0, sizeof *c);
  if (OCIEnvCreate(&c->env, OCI_THREADED, NULL, NULL, NULL, NULL, 0, NULL) != OCI_SUCCESS) return OCI_ERROR;
  OCIHandleAlloc(c->env, (void**)&c->err, OCI_HTYPE_ERROR, 0, NULL);
  OCIHandleAlloc(c->env, (void**)&c->srv, OCI_HTYPE_SERVER, 0, NULL);
  OCIHandleAlloc(c->env, (void**)&c->svc, OCI_HTYPE_SVCCTX, 0, NULL);
  OCIHandleAlloc(c->env, (void**)&c->ses, OCI_HTYPE_SESSION, 0, NULL);
  sword rc = OCIServerAttach(c->srv, c->err, (const OraText*)db, (sb4)strlen(db), OCI_DEFAULT);
  if (rc != OCI_SUCCESS) return rc;
  OCIAttrSet(c->svc, OCI_HTYPE_SVCCTX, c->srv, 0, OCI_ATTR_SERVER, c->err);
  OCIAttrSet(c->ses, OCI_HTYPE_SESSION, (void*)user, (ub4)strlen(user), OCI_ATTR_USERNAME, c->err);
  OCIAttrSet(c->ses, OCI_HTYPE_SESSION, (void*)pw, (ub4)strlen(pw), OCI_ATTR_PASSWORD, c->err);
  rc = OCISessionBegin(c->svc, c->err, c->ses, OCI_CRED_RDBMS, OCI_DEFAULT);
  if (rc == OCI_SUCCESS || rc == OCI_SUCCESS_WITH_INFO)
    OCIAttrSet(c->svc, OCI_HTYPE_SVCCTX, c->ses, 0, OCI_ATTR_SESSION, c->err);
  return rc;
}

static void logout(client* c) {
  if (c->svc) OCISessionEnd(c->svc, c->err, c->ses, OCI_DEFAULT);
  if (c->srv) OCIServerDetach(c->srv, c->err, OCI_DEFAULT);
  if (c->ses) OCIHandleFree(c->ses, OCI_HTYPE_SESSION);
  if (c->svc) OCIHandleFree(c->svc, OCI_HTYPE_SVCCTX);
  if (c->srv) OCIHandleFree(c->srv, OCI_HTYPE_SERVER);
  if (c->err) OCIHandleFree(c->err, OCI_HTYPE_ERROR);
  if (c->env) OCIHandleFree(c->env, OCI_HTYPE_ENV);
  memset(c, 0, sizeof *c);
}

/* Runs a statement without binds; returns the OCI status. */
static sword run(client* c, const char* sql) {
  OCIStmt* st = NULL;
  OCIHandleAlloc(c->env, (void**)&st, OCI_HTYPE_STMT, 0, NULL);
  sword rc = OCIStmtPrepare(st, c->err, (const OraText*)sql, (ub4)strlen(sql), OCI_NTV_SYNTAX, OCI_DEFAULT);
  if (rc == OCI_SUCCESS) {
    ub2 type = 0;
    OCIAttrGet(st, OCI_HTYPE_STMT, &type, NULL, OCI_ATTR_STMT_TYPE, c->err);
    rc = OCIStmtExecute(c->svc, st, c->err, type == OCI_STMT_SELECT ? 0 : 1, 0, NULL, NULL, OCI_DEFAULT);
  }
  OCIHandleFree(st, OCI_HTYPE_STMT);
  return rc;
}

/* One text value of a single-row query. */
static sword scalar(client* c, const char* sql, char* out, size_t cap) {
  OCIStmt* st = NULL;
  OCIDefine* def = NULL;
  sb2 ind = 0;
  OCIHandleAlloc(c->env, (void**)&st, OCI_HTYPE_STMT, 0, NULL);
  sword rc = OCIStmtPrepare(st, c->err, (const OraText*)sql, (ub4)strlen(sql), OCI_NTV_SYNTAX, OCI_DEFAULT);
  if (rc == OCI_SUCCESS) rc = OCIStmtExecute(c->svc, st, c->err, 0, 0, NULL, NULL, OCI_DEFAULT);
  if (rc == OCI_SUCCESS) rc = OCIDefineByPos(st, &def, c->err, 1, out, (sb4)cap, SQLT_STR, &ind, NULL, NULL, OCI_DEFAULT);
  if (rc == OCI_SUCCESS) rc = OCIStmtFetch2(st, c->err, 1, OCI_FETCH_NEXT, 0, OCI_DEFAULT);
  if (rc == OCI_SUCCESS && ind == -1) out[0] = 0;
  OCIHandleFree(st, OCI_HTYPE_STMT);
  return rc;
}

const char* check_login_errors(const char* db) {
  client c;
  if (login(&c, db, "SCOTT", "wrong") != OCI_ERROR || last_code(&c) != 1017) return failf("wrong password must give ORA-01017", &c);
  logout(&c);
  if (login(&c, "no_such_alias_anywhere", "SCOTT", "TIGER") != OCI_ERROR || last_code(&c) != 12154)
    return failf("unknown alias must give ORA-12154", &c);
  logout(&c);
  if (login(&c, db, "scott", "TIGER") != OCI_SUCCESS) return failf("login as scott", &c);
  char user[64];
  if (scalar(&c, "select user from dual \n", user, sizeof user) != OCI_SUCCESS || strcmp(user, "SCOTT") != 0)
    return failf("select user from dual", &c);
  OraText banner[256];
  ub4 version = 0;
  if (OCIServerRelease(c.srv, c.err, banner, sizeof banner, OCI_HTYPE_SERVER, &version) != OCI_SUCCESS ||
      ((version >> 24) & 0xFF) != 19 || strstr((char*)banner, "Release 19.0.0.0.0") == NULL)
    return failf("server release", &c);
  sword a = 0, b = 0, d = 0, e = 0, f = 0;
  OCIClientVersion(&a, &b, &d, &e, &f);
  if (a != 19) return failf("client version", &c);
  logout(&c);
  return NULL;
}

#define ROWS 250
#define BAD_ROW 137

const char* check_array_dml_and_fetch(const char* db) {
  client c;
  if (login(&c, db, "SCOTT", "TIGER") != OCI_SUCCESS) return failf("login", &c);
  if (run(&c, "create table nums (id number(6) primary key, name varchar2(20) not null, amount number(9,2))") != OCI_SUCCESS)
    return failf("create table", &c);
  /* Array insert: row BAD_ROW has a NULL name and must stop the batch there. */
  static char names[ROWS][21];
  static char amounts[ROWS][16];
  static sb4 ids[ROWS];
  static sb2 name_ind[ROWS];
  for (int i = 0; i < ROWS; ++i) {
    ids[i] = i + 1;
    snprintf(names[i], sizeof names[i], "name%03d", i + 1);
    snprintf(amounts[i], sizeof amounts[i], "%d.%02d", i, i % 100);
    name_ind[i] = i == BAD_ROW ? -1 : 0;
  }
  OCIStmt* st = NULL;
  OCIBind *b1 = NULL, *b2 = NULL, *b3 = NULL;
  const char* ins = "insert into nums (id, name, amount) values (:X0, :X1, :X2)";
  OCIHandleAlloc(c.env, (void**)&st, OCI_HTYPE_STMT, 0, NULL);
  OCIStmtPrepare(st, c.err, (const OraText*)ins, (ub4)strlen(ins), OCI_NTV_SYNTAX, OCI_DEFAULT);
  if (OCIBindByName(st, &b1, c.err, (const OraText*)":X0", -1, ids, sizeof ids[0], SQLT_INT, NULL, NULL, NULL, 0, NULL, OCI_DEFAULT) != OCI_SUCCESS ||
      OCIBindByName(st, &b2, c.err, (const OraText*)":x1", -1, names, sizeof names[0], SQLT_STR, name_ind, NULL, NULL, 0, NULL, OCI_DEFAULT) != OCI_SUCCESS ||
      OCIBindByName(st, &b3, c.err, (const OraText*)":X2", -1, amounts, sizeof amounts[0], SQLT_STR, NULL, NULL, NULL, 0, NULL, OCI_DEFAULT) != OCI_SUCCESS)
    return failf("bind by name", &c);
  if (OCIStmtExecute(c.svc, st, c.err, ROWS, 0, NULL, NULL, OCI_DEFAULT) != OCI_ERROR) return failf("array insert must fail at the NULL name", &c);
  if (last_code(&c) != 1400) return failf("expected ORA-01400", &c);
  ub4 count = 0;
  OCIAttrGet(st, OCI_HTYPE_STMT, &count, NULL, OCI_ATTR_ROW_COUNT, c.err);
  if (count != BAD_ROW) {
    snprintf(g_msg, sizeof g_msg, "rows processed %u, expected %d", count, BAD_ROW);
    return g_msg;
  }
  ub2 fn = 0;
  OCIAttrGet(st, OCI_HTYPE_STMT, &fn, NULL, OCI_ATTR_SQLFNCODE, c.err);
  if (fn != 3) return failf("SQL function code of insert", &c);
  /* The rest of the rows, starting after the bad one. */
  if (OCIStmtExecute(c.svc, st, c.err, ROWS - BAD_ROW - 1, BAD_ROW + 1, NULL, NULL, OCI_DEFAULT) != OCI_SUCCESS)
    return failf("insert the rest", &c);
  OCIHandleFree(st, OCI_HTYPE_STMT);
  if (OCITransCommit(c.svc, c.err, OCI_DEFAULT) != OCI_SUCCESS) return failf("commit", &c);

  /* Array fetch 100 rows at a time into C buffers. */
  const char* q = "select id, name, amount from nums order by id";
  OCIHandleAlloc(c.env, (void**)&st, OCI_HTYPE_STMT, 0, NULL);
  OCIStmtPrepare(st, c.err, (const OraText*)q, (ub4)strlen(q), OCI_NTV_SYNTAX, OCI_DEFAULT);
  if (OCIStmtExecute(c.svc, st, c.err, 0, 0, NULL, NULL, OCI_DEFAULT) != OCI_SUCCESS) return failf("execute query", &c);
  static char fid[100][8], fname[100][21], famount[100][16];
  static sb2 ind[3][100];
  static ub2 len[3][100];
  OCIDefine* d = NULL;
  OCIDefineByPos(st, &d, c.err, 1, fid, sizeof fid[0], SQLT_STR, ind[0], len[0], NULL, OCI_DEFAULT);
  OCIDefineByPos(st, &d, c.err, 2, fname, sizeof fname[0], SQLT_STR, ind[1], len[1], NULL, OCI_DEFAULT);
  OCIDefineByPos(st, &d, c.err, 3, famount, sizeof famount[0], SQLT_STR, ind[2], len[2], NULL, OCI_DEFAULT);
  int total = 0, expect_id = 1;
  for (;;) {
    sword rc = OCIStmtFetch2(st, c.err, 100, OCI_FETCH_NEXT, 0, OCI_DEFAULT);
    if (rc != OCI_SUCCESS && rc != OCI_NO_DATA) return failf("fetch", &c);
    ub4 got = 0;
    OCIAttrGet(st, OCI_HTYPE_STMT, &got, NULL, OCI_ATTR_ROWS_FETCHED, c.err);
    for (ub4 r = 0; r < got; ++r) {
      if (expect_id == BAD_ROW + 1) ++expect_id;
      if (atoi(fid[r]) != expect_id) {
        snprintf(g_msg, sizeof g_msg, "row %d has id %s, expected %d", total + (int)r, fid[r], expect_id);
        return g_msg;
      }
      char want[16];
      snprintf(want, sizeof want, "%d.%02d", expect_id - 1, (expect_id - 1) % 100);
      /* Oracle prints 12.30 as 12.3 and 0.00 as 0 */
      double w = atof(want), g = atof(famount[r]);
      if (w != g || len[2][r] != strlen(famount[r])) {
        snprintf(g_msg, sizeof g_msg, "amount %s, expected %s", famount[r], want);
        return g_msg;
      }
      ++expect_id;
    }
    total += (int)got;
    if (rc == OCI_NO_DATA) break;
  }
  if (total != ROWS - 1) {
    snprintf(g_msg, sizeof g_msg, "fetched %d rows, expected %d", total, ROWS - 1);
    return g_msg;
  }
  ub4 row_count = 0;
  OCIAttrGet(st, OCI_HTYPE_STMT, &row_count, NULL, OCI_ATTR_ROW_COUNT, c.err);
  if ((int)row_count != total) return failf("row count after fetch", &c);
  if (OCIStmtFetch2(st, c.err, 100, OCI_FETCH_NEXT, 0, OCI_DEFAULT) != OCI_NO_DATA || last_code(&c) != 1403)
    return failf("fetch after the end must give ORA-01403", &c);
  OCIHandleFree(st, OCI_HTYPE_STMT);
  logout(&c);
  return NULL;
}

const char* check_describe(const char* db) {
  client c;
  if (login(&c, db, "SCOTT", "TIGER") != OCI_SUCCESS) return failf("login", &c);
  if (run(&c, "create table described (c_num number(7,2) not null, c_int integer, c_float float, c_plain number, "
              "c_vc varchar2(20 char), c_vb varchar2(30), c_nvc nvarchar2(10), c_chr char(3), c_date date, "
              "c_ts timestamp(6), c_raw raw(16), c_bd binary_double)") != OCI_SUCCESS)
    return failf("create", &c);
  OCIStmt* st = NULL;
  const char* q = "SELECT ROWID, A.* FROM DESCRIBED A";
  OCIHandleAlloc(c.env, (void**)&st, OCI_HTYPE_STMT, 0, NULL);
  OCIStmtPrepare(st, c.err, (const OraText*)q, (ub4)strlen(q), OCI_NTV_SYNTAX, OCI_DEFAULT);
  if (OCIStmtExecute(c.svc, st, c.err, 0, 0, NULL, NULL, OCI_DESCRIBE_ONLY) != OCI_SUCCESS) return failf("describe only", &c);
  ub4 count = 0;
  OCIAttrGet(st, OCI_HTYPE_STMT, &count, NULL, OCI_ATTR_PARAM_COUNT, c.err);
  if (count != 13) return failf("param count", &c);
  struct {
    const char* name;
    ub2 type, size;
    sb2 precision;
    sb1 scale;
    ub1 nullable, char_used, form;
  } want[] = {
      {"ROWID", 104, 10, 0, 0, 1, 0, 0},      {"C_NUM", 2, 22, 7, 2, 0, 0, 0},
      {"C_INT", 2, 22, 38, 0, 1, 0, 0},       {"C_FLOAT", 2, 22, 126, -127, 1, 0, 0},
      {"C_PLAIN", 2, 22, 0, -127, 1, 0, 0},   {"C_VC", 1, 80, 0, 0, 1, 1, 1},
      {"C_VB", 1, 30, 0, 0, 1, 0, 1},         {"C_NVC", 1, 20, 0, 0, 1, 1, 2},
      {"C_CHR", 96, 3, 0, 0, 1, 0, 1},        {"C_DATE", 12, 7, 0, 0, 1, 0, 0},
      {"C_TS", 180, 11, 0, 6, 1, 0, 0},       {"C_RAW", 23, 16, 0, 0, 1, 0, 0},
      {"C_BD", 101, 8, 0, 0, 1, 0, 0},
  };
  for (ub4 i = 1; i <= count; ++i) {
    OCIParam* p = NULL;
    if (OCIParamGet(st, OCI_HTYPE_STMT, c.err, (void**)&p, i) != OCI_SUCCESS) return failf("param get", &c);
    OraText* name = NULL;
    ub4 name_len = 0;
    ub2 type = 0, size = 0;
    sb2 precision = 0;
    sb1 scale = 0;
    ub1 nullable = 0, char_used = 0, form = 0;
    OCIAttrGet(p, OCI_DTYPE_PARAM, &name, &name_len, OCI_ATTR_NAME, c.err);
    OCIAttrGet(p, OCI_DTYPE_PARAM, &type, NULL, OCI_ATTR_DATA_TYPE, c.err);
    OCIAttrGet(p, OCI_DTYPE_PARAM, &size, NULL, OCI_ATTR_DATA_SIZE, c.err);
    OCIAttrGet(p, OCI_DTYPE_PARAM, &precision, NULL, OCI_ATTR_PRECISION, c.err);
    OCIAttrGet(p, OCI_DTYPE_PARAM, &scale, NULL, OCI_ATTR_SCALE, c.err);
    OCIAttrGet(p, OCI_DTYPE_PARAM, &nullable, NULL, OCI_ATTR_IS_NULL, c.err);
    OCIAttrGet(p, OCI_DTYPE_PARAM, &char_used, NULL, OCI_ATTR_CHAR_USED, c.err);
    OCIAttrGet(p, OCI_DTYPE_PARAM, &form, NULL, OCI_ATTR_CHARSET_FORM, c.err);
    const char* label = want[i - 1].name;
    int ok = name_len == strlen(label) && memcmp(name, label, name_len) == 0 && type == want[i - 1].type &&
             precision == want[i - 1].precision && scale == want[i - 1].scale && nullable == want[i - 1].nullable &&
             char_used == want[i - 1].char_used && form == want[i - 1].form &&
             (want[i - 1].size == 0 || size == want[i - 1].size);
    if (!ok) {
      snprintf(g_msg, sizeof g_msg, "column %u %.*s: type %u size %u prec %d scale %d null %u char %u form %u", i,
               (int)name_len, (const char*)name, type, size, precision, scale, nullable, char_used, form);
      return g_msg;
    }
  }
  OCIHandleFree(st, OCI_HTYPE_STMT);
  logout(&c);
  return NULL;
}

const char* check_truncation_and_nulls(const char* db) {
  client c;
  if (login(&c, db, "SCOTT", "TIGER") != OCI_SUCCESS) return failf("login", &c);
  if (run(&c, "create table tn (a varchar2(20), b number)") != OCI_SUCCESS ||
      run(&c, "insert into tn values ('abcdefghij', null)") != OCI_SUCCESS)
    return failf("setup", &c);
  OCIStmt* st = NULL;
  const char* q = "select a, b from tn";
  OCIHandleAlloc(c.env, (void**)&st, OCI_HTYPE_STMT, 0, NULL);
  OCIStmtPrepare(st, c.err, (const OraText*)q, (ub4)strlen(q), OCI_NTV_SYNTAX, OCI_DEFAULT);
  OCIStmtExecute(c.svc, st, c.err, 0, 0, NULL, NULL, OCI_DEFAULT);
  char a[5], b[10];
  sb2 ia = 0, ib = 0;
  ub2 la = 0, lb = 0, ca = 0, cb = 0;
  OCIDefine* d = NULL;
  OCIDefineByPos(st, &d, c.err, 1, a, sizeof a, SQLT_STR, &ia, &la, &ca, OCI_DEFAULT);
  OCIDefineByPos(st, &d, c.err, 2, b, sizeof b, SQLT_STR, &ib, &lb, &cb, OCI_DEFAULT);
  sword rc = OCIStmtFetch2(st, c.err, 1, OCI_FETCH_NEXT, 0, OCI_DEFAULT);
  if (rc != OCI_SUCCESS_WITH_INFO || last_code(&c) != 24345) return failf("truncation must give success with info 24345", &c);
  if (strcmp(a, "abcd") != 0 || ia != 10 || ca != 1406 || la != 4) {
    snprintf(g_msg, sizeof g_msg, "truncated value '%s' ind %d code %u len %u", a, ia, ca, la);
    return g_msg;
  }
  if (ib != -1) return failf("NULL number must have indicator -1", &c);
  OCIHandleFree(st, OCI_HTYPE_STMT);
  /* NULL without an indicator is ORA-01405. */
  OCIHandleAlloc(c.env, (void**)&st, OCI_HTYPE_STMT, 0, NULL);
  OCIStmtPrepare(st, c.err, (const OraText*)q, (ub4)strlen(q), OCI_NTV_SYNTAX, OCI_DEFAULT);
  OCIStmtExecute(c.svc, st, c.err, 0, 0, NULL, NULL, OCI_DEFAULT);
  char big[32];
  OCIDefineByPos(st, &d, c.err, 1, big, sizeof big, SQLT_STR, NULL, NULL, NULL, OCI_DEFAULT);
  OCIDefineByPos(st, &d, c.err, 2, b, sizeof b, SQLT_STR, NULL, NULL, NULL, OCI_DEFAULT);
  if (OCIStmtFetch2(st, c.err, 1, OCI_FETCH_NEXT, 0, OCI_DEFAULT) != OCI_ERROR || last_code(&c) != 1405)
    return failf("NULL without indicator must give ORA-01405", &c);
  OCIHandleFree(st, OCI_HTYPE_STMT);
  logout(&c);
  return NULL;
}

const char* check_returning_rowid(const char* db) {
  client c;
  if (login(&c, db, "SCOTT", "TIGER") != OCI_SUCCESS) return failf("login", &c);
  if (run(&c, "create table rr (id number primary key, v varchar2(10))") != OCI_SUCCESS) return failf("create", &c);
  const char* ins = "insert into rr (id, v) values (:X0, :X1) returning rowid into :rid";
  OCIStmt* st = NULL;
  OCIBind* b = NULL;
  OCIHandleAlloc(c.env, (void**)&st, OCI_HTYPE_STMT, 0, NULL);
  OCIStmtPrepare(st, c.err, (const OraText*)ins, (ub4)strlen(ins), OCI_NTV_SYNTAX, OCI_DEFAULT);
  char id[] = "42", v[] = "hello", rid[24] = "";
  sb2 rid_ind = 0;
  OCIBindByName(st, &b, c.err, (const OraText*)":X0", 3, id, sizeof id, SQLT_STR, NULL, NULL, NULL, 0, NULL, OCI_DEFAULT);
  OCIBindByName(st, &b, c.err, (const OraText*)":X1", 3, v, sizeof v, SQLT_STR, NULL, NULL, NULL, 0, NULL, OCI_DEFAULT);
  OCIBindByName(st, &b, c.err, (const OraText*)":rid", 4, rid, sizeof rid, SQLT_STR, &rid_ind, NULL, NULL, 0, NULL, OCI_DEFAULT);
  if (OCIStmtExecute(c.svc, st, c.err, 1, 0, NULL, NULL, OCI_DEFAULT) != OCI_SUCCESS) return failf("insert returning", &c);
  if (strlen(rid) != 18) return failf("returned rowid must have 18 characters", &c);
  OCIHandleFree(st, OCI_HTYPE_STMT);
  char sql[256], out[32];
  snprintf(sql, sizeof sql, "select v from rr where \"ROWID\" = '%s'", rid);
  if (scalar(&c, sql, out, sizeof out) != OCI_SUCCESS || strcmp(out, "hello") != 0) return failf("select by returned rowid", &c);
  logout(&c);
  return NULL;
}

const char* check_savepoints(const char* db) {
  client c;
  char out[32];
  if (login(&c, db, "SCOTT", "TIGER") != OCI_SUCCESS) return failf("login", &c);
  if (run(&c, "create table sp (id number)") != OCI_SUCCESS) return failf("create", &c);
  if (run(&c, "insert into sp values (1)") != OCI_SUCCESS || run(&c, "savepoint tern_p1") != OCI_SUCCESS ||
      run(&c, "insert into sp values (2)") != OCI_SUCCESS || run(&c, "rollback to tern_p1") != OCI_SUCCESS)
    return failf("savepoint sequence", &c);
  if (scalar(&c, "select count(*) from sp", out, sizeof out) != OCI_SUCCESS || strcmp(out, "1") != 0)
    return failf("one row after rollback to savepoint", &c);
  OCITransRollback(c.svc, c.err, OCI_DEFAULT);
  if (scalar(&c, "select count(*) from sp", out, sizeof out) != OCI_SUCCESS || strcmp(out, "0") != 0)
    return failf("no row after rollback", &c);
  logout(&c);
  return NULL;
}

const char* check_two_session_locking(const char* db) {
  client a, b;
  if (login(&a, db, "SCOTT", "TIGER") != OCI_SUCCESS) return failf("login a", &a);
  if (login(&b, db, "SCOTT", "TIGER") != OCI_SUCCESS) return failf("login b", &b);
  if (run(&a, "create table lk (id number primary key, v number)") != OCI_SUCCESS ||
      run(&a, "insert into lk values (1, 0)") != OCI_SUCCESS || OCITransCommit(a.svc, a.err, 0) != OCI_SUCCESS)
    return failf("setup", &a);
  if (run(&a, "select v from lk where id = 1 for update") != OCI_SUCCESS) return failf("lock in a", &a);
  if (run(&b, "select v from lk where id = 1 for update nowait") != OCI_ERROR || last_code(&b) != 54)
    return failf("for update nowait in b must give ORA-00054", &b);
  if (run(&b, "update lk set v = 2 where id = 1") != OCI_ERROR || last_code(&b) != 54)
    return failf("update in b must give ORA-00054", &b);
  if (run(&a, "update lk set v = 1 where id = 1") != OCI_SUCCESS || OCITransCommit(a.svc, a.err, 0) != OCI_SUCCESS)
    return failf("update and commit in a", &a);
  char out[16];
  if (run(&b, "update lk set v = v + 10 where id = 1") != OCI_SUCCESS || OCITransCommit(b.svc, b.err, 0) != OCI_SUCCESS ||
      scalar(&a, "select v from lk", out, sizeof out) != OCI_SUCCESS || strcmp(out, "11") != 0)
    return failf("b writes after a committed", &b);
  logout(&a);
  logout(&b);
  return NULL;
}

static void sleep_ms(long ms) {
  struct timespec ts = {ms / 1000, (ms % 1000) * 1000000L};
  nanosleep(&ts, NULL);
}

const char* check_break_long_query(const char* db) {
  client c;
  if (login(&c, db, "SCOTT", "TIGER") != OCI_SUCCESS) return failf("login", &c);
  /* A query that takes far longer than the test: a large cross join. */
  const char* q =
      "with n (x) as (select 1 from dual union all select x + 1 from n where x < 2000000000) "
      "select count(*) from n";
  OCIStmt* st = NULL;
  OCIHandleAlloc(c.env, (void**)&st, OCI_HTYPE_STMT, 0, NULL);
  OCIStmtPrepare(st, c.err, (const OraText*)q, (ub4)strlen(q), OCI_NTV_SYNTAX, OCI_DEFAULT);
  OCIAttrSet(c.srv, OCI_HTYPE_SERVER, NULL, 0, OCI_ATTR_NONBLOCKING_MODE, c.err);
  ub1 nb = 0;
  OCIAttrGet(c.srv, OCI_HTYPE_SERVER, &nb, NULL, OCI_ATTR_NONBLOCKING_MODE, c.err);
  if (nb != 1) return failf("non-blocking mode must be on after one set", &c);
  sword rc = OCIStmtExecute(c.svc, st, c.err, 0, 0, NULL, NULL, OCI_DEFAULT);
  if (rc != OCI_STILL_EXECUTING) return failf("a long query must report OCI_STILL_EXECUTING", &c);
  sleep_ms(50);
  rc = OCIStmtExecute(c.svc, st, c.err, 0, 0, NULL, NULL, OCI_DEFAULT);
  if (rc != OCI_STILL_EXECUTING) return failf("still executing on the second poll", &c);
  if (OCIBreak(c.svc, c.err) != OCI_SUCCESS) return failf("break", &c);
  for (int i = 0; i < 500 && rc == OCI_STILL_EXECUTING; ++i) {
    sleep_ms(10);
    rc = OCIStmtExecute(c.svc, st, c.err, 0, 0, NULL, NULL, OCI_DEFAULT);
  }
  if (rc != OCI_ERROR || last_code(&c) != 1013) return failf("a cancelled call must fail with ORA-01013", &c);
  OCIReset(c.srv, c.err);
  OCIAttrSet(c.srv, OCI_HTYPE_SERVER, NULL, 0, OCI_ATTR_NONBLOCKING_MODE, c.err);
  OCIAttrGet(c.srv, OCI_HTYPE_SERVER, &nb, NULL, OCI_ATTR_NONBLOCKING_MODE, c.err);
  if (nb != 0) return failf("non-blocking mode must be off after a second set", &c);
  OCIHandleFree(st, OCI_HTYPE_STMT);
  char out[32];
  if (scalar(&c, "select user from dual", out, sizeof out) != OCI_SUCCESS || strcmp(out, "SCOTT") != 0)
    return failf("the session must stay usable after a break", &c);
  logout(&c);
  return NULL;
}

const char* check_client_charset(const char* db, int utf8) {
  /* 日本語 in the client's character set */
  const char* word = utf8 ? "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E" : "\x93\xFA\x96\x7B\x8C\xEA";
  client c;
  if (login(&c, db, "SCOTT", "TIGER") != OCI_SUCCESS) return failf("login", &c);
  OraText name[OCI_NLS_MAXBUFSZ];
  if (OCINlsGetInfo(c.env, c.err, name, sizeof name, OCI_NLS_CHARACTER_SET) != OCI_SUCCESS) return failf("nls info", &c);
  if (strcmp((char*)name, utf8 ? "AL32UTF8" : "JA16SJISTILDE") != 0) {
    snprintf(g_msg, sizeof g_msg, "client character set %s", (char*)name);
    return g_msg;
  }
  char sql[256], out[64];
  snprintf(sql, sizeof sql, "create table cs_%d (v varchar2(10 char))", utf8);
  if (run(&c, sql) != OCI_SUCCESS) return failf("create", &c);
  snprintf(sql, sizeof sql, "insert into cs_%d values ('%s')", utf8, word);
  if (run(&c, sql) != OCI_SUCCESS) return failf("insert", &c);
  snprintf(sql, sizeof sql, "select v || lengthb(v) from cs_%d", utf8);
  if (scalar(&c, sql, out, sizeof out) != OCI_SUCCESS) return failf("select", &c);
  char want[64];
  snprintf(want, sizeof want, "%s9", word); /* the database stores UTF-8: 9 bytes */
  if (strcmp(out, want) != 0) return failf("text must come back in the client character set", &c);
  logout(&c);
  return NULL;
}

const char* check_lob_reads(const char* db) {
  client c;
  if (login(&c, db, "SCOTT", "TIGER") != OCI_SUCCESS) return failf("login", &c);
  if (run(&c, "create table docs (id number primary key, body clob, img blob)") != OCI_SUCCESS ||
      run(&c, "insert into docs values (1, 'abcdefghijklmnopqrstuvwxyz', hextoraw('00FF10'))") != OCI_SUCCESS ||
      run(&c, "insert into docs values (2, null, null)") != OCI_SUCCESS)
    return failf("setup", &c);
  OCIStmt* st = NULL;
  const char* q = "select body, img from docs order by id";
  OCIHandleAlloc(c.env, (void**)&st, OCI_HTYPE_STMT, 0, NULL);
  OCIStmtPrepare(st, c.err, (const OraText*)q, (ub4)strlen(q), OCI_NTV_SYNTAX, OCI_DEFAULT);
  if (OCIStmtExecute(c.svc, st, c.err, 0, 0, NULL, NULL, OCI_DEFAULT) != OCI_SUCCESS) return failf("execute", &c);
  OCIParam* p = NULL;
  ub2 type = 0;
  OCIParamGet(st, OCI_HTYPE_STMT, c.err, (void**)&p, 1);
  OCIAttrGet(p, OCI_DTYPE_PARAM, &type, NULL, OCI_ATTR_DATA_TYPE, c.err);
  if (type != SQLT_CLOB) return failf("CLOB describes as 112", &c);
  OCILobLocator* body[2] = {NULL, NULL};
  OCILobLocator* img[2] = {NULL, NULL};
  sb2 bind[2], iind[2];
  for (int i = 0; i < 2; ++i) {
    OCIDescriptorAlloc(c.env, (void**)&body[i], OCI_DTYPE_LOB, 0, NULL);
    OCIDescriptorAlloc(c.env, (void**)&img[i], OCI_DTYPE_LOB, 0, NULL);
  }
  OCIDefine* d = NULL;
  OCIDefineByPos(st, &d, c.err, 1, body, sizeof body[0], SQLT_CLOB, bind, NULL, NULL, OCI_DEFAULT);
  OCIDefineByPos(st, &d, c.err, 2, img, sizeof img[0], SQLT_BLOB, iind, NULL, NULL, OCI_DEFAULT);
  sword rc = OCIStmtFetch2(st, c.err, 2, OCI_FETCH_NEXT, 0, OCI_DEFAULT);
  if (rc != OCI_SUCCESS) return failf("fetch locators", &c);
  if (bind[0] != 0 || bind[1] != -1 || iind[1] != -1) return "NULL LOBs need indicator -1";
  ub4 len = 0;
  if (OCILobGetLength(c.svc, c.err, body[0], &len) != OCI_SUCCESS || len != 26) return failf("CLOB length", &c);
  if (OCILobGetLength(c.svc, c.err, img[0], &len) != OCI_SUCCESS || len != 3) return failf("BLOB length", &c);
  /* Polling read in pieces of 10 bytes. */
  char text[64] = "", buf[10];
  ub4 amt = 0;
  int pieces = 0;
  for (;;) {
    rc = OCILobRead(c.svc, c.err, body[0], &amt, 1, buf, sizeof buf, NULL, NULL, 0, SQLCS_IMPLICIT);
    if (rc != OCI_SUCCESS && rc != OCI_NEED_DATA) return failf("OCILobRead", &c);
    strncat(text, buf, amt);
    ++pieces;
    if (rc == OCI_SUCCESS) break;
  }
  if (strcmp(text, "abcdefghijklmnopqrstuvwxyz") != 0 || pieces != 3) {
    snprintf(g_msg, sizeof g_msg, "read '%s' in %d pieces", text, pieces);
    return g_msg;
  }
  unsigned char bytes[8];
  amt = 0;
  if (OCILobRead(c.svc, c.err, img[0], &amt, 1, bytes, sizeof bytes, NULL, NULL, 0, 0) != OCI_SUCCESS || amt != 3 ||
      bytes[0] != 0 || bytes[1] != 0xFF || bytes[2] != 0x10)
    return failf("BLOB read", &c);
  OCILobLocator* copy = NULL;
  OCIDescriptorAlloc(c.env, (void**)&copy, OCI_DTYPE_LOB, 0, NULL);
  OCIHandleFree(st, OCI_HTYPE_STMT);
  if (OCILobLocatorAssign(c.svc, c.err, body[0], &copy) != OCI_SUCCESS ||
      OCILobGetLength(c.svc, c.err, copy, &len) != OCI_SUCCESS || len != 26)
    return failf("an assigned locator outlives its statement", &c);
  for (int i = 0; i < 2; ++i) {
    OCIDescriptorFree(body[i], OCI_DTYPE_LOB);
    OCIDescriptorFree(img[i], OCI_DTYPE_LOB);
  }
  OCIDescriptorFree(copy, OCI_DTYPE_LOB);
  logout(&c);
  return NULL;
}

const char* check_invalid_handles_and_unavailable_calls(const char* db) {
  client c;
  if (login(&c, db, "SCOTT", "TIGER") != OCI_SUCCESS) return failf("login", &c);
  int junk[16] = {0};
  if (OCIStmtExecute(c.svc, (OCIStmt*)junk, c.err, 1, 0, NULL, NULL, OCI_DEFAULT) != OCI_INVALID_HANDLE)
    return "a bogus statement handle must give OCI_INVALID_HANDLE";
  if (OCIAttrGet(NULL, OCI_HTYPE_STMT, junk, NULL, OCI_ATTR_ROW_COUNT, c.err) != OCI_INVALID_HANDLE)
    return "a NULL handle must give OCI_INVALID_HANDLE";
  if (OCIHandleFree(c.err, OCI_HTYPE_STMT) != OCI_INVALID_HANDLE) return "freeing with the wrong type must fail";
  ub4 amount = 0;
  if (OCILobGetLength(c.svc, c.err, NULL, &amount) != OCI_INVALID_HANDLE) return "a NULL locator is an invalid handle";
  OCILobLocator* loc = NULL;
  OCIDescriptorAlloc(c.env, (void**)&loc, OCI_DTYPE_LOB, 0, NULL);
  char piece[4] = "abc";
  amount = 3;
  if (OCILobWrite(c.svc, c.err, loc, &amount, 1, piece, 3, OCI_ONE_PIECE, NULL, NULL, 0, SQLCS_IMPLICIT) != OCI_ERROR ||
      last_code(&c) != 22275)
    return failf("writing through a locator that was never fetched gives ORA-22275", &c);
  OCIDescriptorFree(loc, OCI_DTYPE_LOB);
  if (run(&c, "select * from no_such_table") != OCI_ERROR || last_code(&c) != 942) return failf("ORA-00942", &c);
  ub2 offset = 0;
  OCIAttrGet(c.err, OCI_HTYPE_ERROR, &offset, NULL, OCI_ATTR_PARSE_ERROR_OFFSET, c.err);
  if (offset != 14) return failf("parse error offset of the missing table", &c);
  logout(&c);
  return NULL;
}
