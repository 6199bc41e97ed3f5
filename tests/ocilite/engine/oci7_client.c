#define _POSIX_C_SOURCE 200809L
/* A client of the old cursor-data-area interface (OCI7) of
 * libkestrel_ocilite.so, written in C against the ABI only. Each check
 * returns NULL on success or a message saying what went wrong. */
#include "oci7_client.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

#include "oci/oci_abi.h"

static char g_msg[2048];

typedef struct {
  Lda_Def lda __attribute__((aligned(8)));
  ub1 hda[HDA_SIZE];
} login7;

static const char* fail7(const char* what, Lda_Def* lda, Cda_Def* cda) {
  char text[512] = "";
  ub2 rc = cda ? cda->rc : lda ? lda->rc : 0;
  if (lda) oerhms(lda, (sb2)rc, (OraText*)text, (sword)sizeof text);
  snprintf(g_msg, sizeof g_msg, "%s (rc %u: %s)", what, (unsigned)rc, text);
  return g_msg;
}

static int logon7(login7* l, const char* db, const char* user, const char* pw) {
  memset(l, 0, sizeof *l);
  return olog(&l->lda, l->hda, (OraText*)user, -1, (OraText*)pw, -1, (OraText*)db, -1, 0);
}

/* Runs one statement on a fresh cursor. */
static int run7(login7* l, Cda_Def* cda, const char* sql) {
  if (oopen(cda, &l->lda, NULL, -1, -1, NULL, -1) != 0) return -1;
  if (oparse(cda, (OraText*)sql, -1, 1, 2) != 0 || oexec(cda) != 0) return -1;
  return oclose(cda);
}

static void sleep_ms(long ms) {
  struct timespec t = {ms / 1000, (ms % 1000) * 1000000L};
  nanosleep(&t, NULL);
}

const char* check_oci7_login(const char* db) {
  login7 l;
  if (logon7(&l, db, "SCOTT", "wrong") == 0 || l.lda.rc != 1017) return fail7("a wrong password gives 1017", &l.lda, NULL);
  char text[512];
  oerhms(&l.lda, (sb2)l.lda.rc, (OraText*)text, (sword)sizeof text);
  if (strncmp(text, "ORA-01017:", 10) != 0) return fail7("oerhms text of 1017", &l.lda, NULL);
  if (logon7(&l, "no_such_alias_anywhere", "SCOTT", "TIGER") == 0 || l.lda.rc != 12154)
    return fail7("an unknown alias gives 12154", &l.lda, NULL);
  /* "user/password@connect" in the user argument alone. */
  char all[1024];
  snprintf(all, sizeof all, "scott/TIGER@%s", db);
  memset(&l, 0, sizeof l);
  if (olog(&l.lda, l.hda, (OraText*)all, -1, NULL, -1, NULL, -1, 0) != 0) return fail7("olog with user/password@db", &l.lda, NULL);
  if (ologof(&l.lda) != 0) return fail7("ologof", &l.lda, NULL);
  if (ologof(&l.lda) == 0 || l.lda.rc != 1012) return fail7("a second ologof gives 1012", &l.lda, NULL);
  Cda_Def cda;
  memset(&cda, 0, sizeof cda);
  if (oopen(&cda, &l.lda, NULL, -1, -1, NULL, -1) == 0 || cda.rc != 1012)
    return fail7("oopen on a logged-off LDA gives 1012", &l.lda, &cda);
  /* Rubbish in a data area is refused, never followed. */
  memset(&cda, 0x5A, sizeof cda);
  if (oexec(&cda) == 0 || cda.rc != 1001) return fail7("a rubbish cursor gives 1001", NULL, &cda);
  if (oclose(&cda) == 0 || cda.rc != 1001) return fail7("closing a rubbish cursor gives 1001", NULL, &cda);
  return NULL;
}

#define ROWS 7

const char* check_oci7_session(const char* db) {
  login7 l;
  Cda_Def cda;
  memset(&cda, 0, sizeof cda);
  if (logon7(&l, db, "SCOTT", "TIGER") != 0) return fail7("olog", &l.lda, NULL);
  if (run7(&l, &cda, "create table t7 (id number(5) not null, name varchar2(20 char), note varchar2(10))") != 0)
    return fail7("create table", &l.lda, &cda);

  /* Array insert bound by name. */
  sb4 ids[ROWS];
  char names[ROWS][21];
  sb2 name_ind[ROWS];
  ub2 name_len[ROWS];
  for (int i = 0; i < ROWS; ++i) {
    ids[i] = i + 1;
    snprintf(names[i], sizeof names[i], i == 3 ? "\xE6\x97\xA5\xE6\x9C\xAC%d" : "name%d", i + 1);
    name_len[i] = (ub2)strlen(names[i]);
    name_ind[i] = i == 5 ? -1 : 0;
  }
  if (oopen(&cda, &l.lda, NULL, -1, -1, NULL, -1) != 0) return fail7("oopen", &l.lda, &cda);
  if (oparse(&cda, (OraText*)"insert into t7 (id, name) values (:id, :NAME)", -1, 1, 2) != 0)
    return fail7("oparse insert", &l.lda, &cda);
  if (obndra(&cda, (OraText*)":ID", -1, (ub1*)ids, sizeof ids[0], SQLT_INT, -1, NULL, NULL, NULL, 0, NULL, NULL, -1, -1) != 0)
    return fail7("obndra id", &l.lda, &cda);
  if (obndra(&cda, (OraText*)":name", -1, (ub1*)names, sizeof names[0], SQLT_CHR, -1, name_ind, name_len, NULL, 0, NULL,
             NULL, -1, -1) != 0)
    return fail7("obndra name", &l.lda, &cda);
  if (obndrv(&cda, (OraText*)":nope", -1, (ub1*)ids, 4, SQLT_INT, -1, NULL, NULL, -1, -1) == 0 || cda.rc != 1036)
    return fail7("binding a name the statement lacks gives 1036", &l.lda, &cda);
  if (oexn(&cda, ROWS, 0) != 0) return fail7("oexn", &l.lda, &cda);
  if (cda.rpc != ROWS) return fail7("rows processed of the array insert", &l.lda, &cda);
  if (cda.ft != 3) return fail7("function type of an insert is 3", &l.lda, &cda);
  /* odescr on a statement that is no query: 1007 at once. */
  sb4 dbsize = 0, namel = 0, dsize = 0;
  sb2 dbtype = 0, prec = 0, scale = 0, nullok = 0;
  sb1 name[64];
  namel = sizeof name;
  if (odescr(&cda, 1, &dbsize, &dbtype, name, &namel, &dsize, &prec, &scale, &nullok) == 0 || cda.rc != 1007)
    return fail7("odescr of an insert gives 1007", &l.lda, &cda);
  if (ocom(&l.lda) != 0) return fail7("ocom", &l.lda, NULL);
  /* Stored PL/SQL that does not compile: success with the warning flags 0x21. */
  if (oparse(&cda, (OraText*)"create or replace procedure p7 is begin nul; end;", -1, 1, 2) != 0 || oexec(&cda) != 0 ||
      (cda.wrn & 0x21) != 0x21)
    return fail7("a PL/SQL compilation error sets the warning flags 0x21", &l.lda, &cda);

  /* A failing row stops an array insert: rows before it stay. */
  if (oparse(&cda, (OraText*)"insert into t7 (id) values (:1)", -1, 1, 2) != 0) return fail7("oparse 2", &l.lda, &cda);
  sb2 id_ind[3] = {0, -1, 0};
  if (obndra(&cda, (OraText*)":1", -1, (ub1*)ids, sizeof ids[0], SQLT_INT, -1, id_ind, NULL, NULL, 0, NULL, NULL, -1, -1) != 0)
    return fail7("obndra :1", &l.lda, &cda);
  if (oexn(&cda, 3, 0) == 0 || cda.rc != 1400 || cda.rpc != 1) return fail7("NULL id stops the batch with 1400", &l.lda, &cda);
  if (orol(&l.lda) != 0) return fail7("orol", &l.lda, NULL);

  /* Describe, define, fetch in batches. */
  if (oparse(&cda, (OraText*)"select id, name, note from t7 where id <= :mx order by id", -1, 1, 2) != 0)
    return fail7("oparse select", &l.lda, &cda);
  sb4 mx = 99;
  if (obndrv(&cda, (OraText*)":MX", -1, (ub1*)&mx, sizeof mx, SQLT_INT, -1, NULL, NULL, -1, -1) != 0)
    return fail7("obndrv", &l.lda, &cda);
  namel = sizeof name;
  if (odescr(&cda, 2, &dbsize, &dbtype, name, &namel, &dsize, &prec, &scale, &nullok) != 0)
    return fail7("odescr 2", &l.lda, &cda);
  if (dbtype != 1 || dbsize != 80 || namel != 4 || memcmp(name, "NAME", 4) != 0 || nullok != 1)
    return fail7("describe of NAME", &l.lda, &cda);
  namel = sizeof name;
  if (odescr(&cda, 1, &dbsize, &dbtype, name, &namel, &dsize, &prec, &scale, &nullok) != 0 || dbtype != 2 || prec != 5 ||
      scale != 0 || nullok != 0)
    return fail7("describe of ID", &l.lda, &cda);
  namel = sizeof name;
  if (odescr(&cda, 4, &dbsize, &dbtype, name, &namel, &dsize, &prec, &scale, &nullok) == 0 || cda.rc != 1007)
    return fail7("odescr past the last column gives 1007", &l.lda, &cda);
  char out_id[3][8], out_name[3][24];
  sb2 ind_id[3], ind_name[3];
  ub2 len_name[3], rc_name[3];
  if (odefin(&cda, 1, (ub1*)out_id, sizeof out_id[0], SQLT_STR, -1, ind_id, NULL, -1, -1, NULL, NULL) != 0 ||
      odefin(&cda, 2, (ub1*)out_name, sizeof out_name[0], SQLT_STR, -1, ind_name, NULL, -1, -1, len_name, rc_name) != 0)
    return fail7("odefin", &l.lda, &cda);
  if (odefin(&cda, 9, (ub1*)out_id, 8, SQLT_STR, -1, NULL, NULL, -1, -1, NULL, NULL) == 0 || cda.rc != 1007)
    return fail7("odefin past the last column gives 1007", &l.lda, &cda);
  if (oexfet(&cda, 1, 1, 0) != 0 || cda.rpc != 1 || ofen(&cda, 1) == 0 || cda.rc != 1002)
    return fail7("oexfet with cancel gives one row and ends the fetch", &l.lda, &cda);
  if (oexfet(&cda, 3, 0, 0) != 0 || cda.rpc != 3) return fail7("oexfet", &l.lda, &cda);
  if (strcmp(out_id[0], "1") != 0 || strcmp(out_name[2], "name3") != 0) return fail7("first batch", &l.lda, &cda);
  if (ofen(&cda, 3) != 0 || cda.rpc != 6) return fail7("ofen", &l.lda, &cda);
  if (strcmp(out_name[0], "\xE6\x97\xA5\xE6\x9C\xAC" "4") != 0 || ind_name[2] != -1) return fail7("second batch", &l.lda, &cda);
  if (ofen(&cda, 3) == 0 || cda.rc != 1403 || cda.rpc != 7) return fail7("the last batch ends with 1403", &l.lda, &cda);
  if (strcmp(out_id[0], "7") != 0) return fail7("last row", &l.lda, &cda);
  if (ofen(&cda, 3) == 0 || cda.rc != 1002) return fail7("a fetch after the end gives 1002", &l.lda, &cda);
  if (oclose(&cda) != 0) return fail7("oclose", &l.lda, &cda);
  if (oclose(&cda) == 0 || cda.rc != 1001) return fail7("closing a closed cursor gives 1001", &l.lda, &cda);

  /* Parse errors: immediate parse gives the code and the error offset. */
  if (oopen(&cda, &l.lda, NULL, -1, -1, NULL, -1) != 0) return fail7("oopen 2", &l.lda, &cda);
  if (oparse(&cda, (OraText*)"select * from no_such_table", -1, 0, 2) == 0 || cda.rc != 942 || cda.peo != 14)
    return fail7("immediate parse of a missing table gives 942 at 14", &l.lda, &cda);
  char text[512];
  oerhms(&l.lda, (sb2)cda.rc, (OraText*)text, (sword)sizeof text);
  if (strstr(text, "ORA-00942") == NULL) return fail7("oerhms of 942", &l.lda, &cda);

  /* Autocommit on: a second session sees the row at once. */
  login7 other;
  Cda_Def oc;
  memset(&oc, 0, sizeof oc);
  if (logon7(&other, db, "SCOTT", "TIGER") != 0) return fail7("second olog", &other.lda, NULL);
  if (ocon(&l.lda) != 0) return fail7("ocon", &l.lda, NULL);
  if (run7(&l, &cda, "insert into t7 (id, note) values (100, 'auto')") != 0) return fail7("insert with autocommit", &l.lda, &cda);
  if (ocof(&l.lda) != 0) return fail7("ocof", &l.lda, NULL);
  if (oopen(&oc, &other.lda, NULL, -1, -1, NULL, -1) != 0 ||
      oparse(&oc, (OraText*)"select note from t7 where id = 100", -1, 1, 2) != 0)
    return fail7("other cursor", &other.lda, &oc);
  char note[16] = "";
  sb2 note_ind = 0;
  if (odefin(&oc, 1, (ub1*)note, sizeof note, SQLT_STR, -1, &note_ind, NULL, -1, -1, NULL, NULL) != 0 ||
      oexfet(&oc, 1, 0, 0) != 0 || strcmp(note, "auto") != 0)
    return fail7("the autocommitted row is seen by another session", &other.lda, &oc);
  oclose(&oc);
  ologof(&other.lda);

  /* A break while a long query runs in non-blocking mode: 3123 while it
   * runs, 1013 once broken, and the session stays usable. */
  if (oopen(&cda, &l.lda, NULL, -1, -1, NULL, -1) != 0) return fail7("oopen 3", &l.lda, &cda);
  const char* q =
      "with n (x) as (select 1 from dual union all select x + 1 from n where x < 2000000000) select count(*) from n";
  if (oparse(&cda, (OraText*)q, -1, 1, 2) != 0) return fail7("oparse long", &l.lda, &cda);
  char count[32];
  if (odefin(&cda, 1, (ub1*)count, sizeof count, SQLT_STR, -1, NULL, NULL, -1, -1, NULL, NULL) != 0)
    return fail7("odefin long", &l.lda, &cda);
  if (onbtst(&l.lda) == 0 || l.lda.rc != 3128) return fail7("onbtst in blocking mode gives 3128", &l.lda, NULL);
  if (onbset(&l.lda) != 0 || onbtst(&l.lda) != 0) return fail7("onbset", &l.lda, NULL);
  sword rc = oexfet(&cda, 1, 0, 0);
  if (rc != OCI_STILL_EXECUTING || cda.rc != 3123) return fail7("a long query answers 3123", &l.lda, &cda);
  sleep_ms(30);
  if (oexfet(&cda, 1, 0, 0) != OCI_STILL_EXECUTING) return fail7("still executing on the second poll", &l.lda, &cda);
  if (obreak(&l.lda) != 0) return fail7("obreak", &l.lda, NULL);
  for (int i = 0; i < 500 && rc == OCI_STILL_EXECUTING; ++i) {
    sleep_ms(10);
    rc = oexfet(&cda, 1, 0, 0);
  }
  if (rc == 0 || cda.rc != 1013) return fail7("a broken call ends with 1013", &l.lda, &cda);
  if (onbclr(&l.lda) != 0 || onbtst(&l.lda) == 0) return fail7("onbclr", &l.lda, NULL);
  if (oparse(&cda, (OraText*)"select count(*) from t7", -1, 1, 2) != 0 ||
      odefin(&cda, 1, (ub1*)count, sizeof count, SQLT_STR, -1, NULL, NULL, -1, -1, NULL, NULL) != 0 ||
      oexfet(&cda, 1, 0, 0) != 0 || strcmp(count, "8") != 0)
    return fail7("the session stays usable after a break", &l.lda, &cda);
  oclose(&cda);
  if (ologof(&l.lda) != 0) return fail7("ologof", &l.lda, NULL);
  return NULL;
}

const char* check_oci7_from_svcctx(const char* db) {
  OCIEnv* env = NULL;
  OCIError* err = NULL;
  OCISvcCtx* svc = NULL;
  OCIEnvCreate(&env, OCI_THREADED, NULL, NULL, NULL, NULL, 0, NULL);
  OCIHandleAlloc(env, (void**)&err, OCI_HTYPE_ERROR, 0, NULL);
  if (OCILogon(env, err, &svc, (const OraText*)"SCOTT", 5, (const OraText*)"TIGER", 5, (const OraText*)db,
               (ub4)strlen(db)) != OCI_SUCCESS)
    return "OCILogon";
  Lda_Def lda;
  Cda_Def cda;
  memset(&lda, 0, sizeof lda);
  memset(&cda, 0, sizeof cda);
  if (OCISvcCtxToLda(svc, err, &lda) != OCI_SUCCESS) return "OCISvcCtxToLda";
  /* One session: what the old interface writes, the newer one sees. */
  if (oopen(&cda, &lda, NULL, -1, -1, NULL, -1) != 0 ||
      oparse(&cda, (OraText*)"create table both7 (v varchar2(10))", -1, 1, 2) != 0 || oexec(&cda) != 0 ||
      oparse(&cda, (OraText*)"insert into both7 values ('x')", -1, 1, 2) != 0 || oexec(&cda) != 0)
    return fail7("old-interface insert", &lda, &cda);
  OCISvcCtx* back = NULL;
  if (OCILdaToSvcCtx(&back, err, &lda) != OCI_SUCCESS || back != svc) return "OCILdaToSvcCtx gives the same context";
  if (oexec(&cda) == 0 || cda.rc != 1001) return fail7("a cursor of a converted-back LDA is closed", NULL, &cda);
  if (OCILdaToSvcCtx(&back, err, &lda) != OCI_ERROR) return "converting an LDA twice fails";
  OCIStmt* st = NULL;
  OCIDefine* def = NULL;
  char v[16] = "";
  const char* sql = "select v from both7";
  OCIHandleAlloc(env, (void**)&st, OCI_HTYPE_STMT, 0, NULL);
  OCIStmtPrepare(st, err, (const OraText*)sql, (ub4)strlen(sql), OCI_NTV_SYNTAX, OCI_DEFAULT);
  OCIDefineByPos(st, &def, err, 1, v, sizeof v, SQLT_STR, NULL, NULL, NULL, OCI_DEFAULT);
  if (OCIStmtExecute(svc, st, err, 1, 0, NULL, NULL, OCI_DEFAULT) != OCI_SUCCESS || strcmp(v, "x") != 0)
    return "the newer interface sees the uncommitted row of the same session";
  OCIHandleFree(st, OCI_HTYPE_STMT);
  OCILogoff(svc, err);
  OCIHandleFree(err, OCI_HTYPE_ERROR);
  OCIHandleFree(env, OCI_HTYPE_ENV);
  return NULL;
}
