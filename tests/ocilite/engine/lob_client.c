#define _POSIX_C_SOURCE 200809L
/* See lob_client.h. Only the OCI ABI is used here. */
#include "lob_client.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "client_conn.h"
#include "oci/oci_abi.h"

/* Failure texts with figures in them. */
static char g_msg[512];

/* Binds a LOB locator into an insert and runs it. */
static sword insert_lob(conn* c, const char* sql, OCILobLocator* loc, ub2 dty) {
  OCIStmt* st = NULL;
  OCIBind* b = NULL;
  OCIHandleAlloc(c->env, (void**)&st, OCI_HTYPE_STMT, 0, NULL);
  OCIStmtPrepare(st, c->err, (const OraText*)sql, (ub4)strlen(sql), OCI_NTV_SYNTAX, OCI_DEFAULT);
  sword rc = OCIBindByName(st, &b, c->err, (const OraText*)":L", 2, &loc, sizeof loc, dty, NULL, NULL, NULL, 0, NULL,
                           OCI_DEFAULT);
  if (rc == OCI_SUCCESS) rc = OCIStmtExecute(c->svc, st, c->err, 1, 0, NULL, NULL, OCI_DEFAULT);
  OCIHandleFree(st, OCI_HTYPE_STMT);
  return rc;
}

const char* check_temporary_lobs(const char* db) {
  conn c;
  if (!connect_db(&c, db)) return failc("logon", &c);
  OCILobLocator* clob = NULL;
  OCILobLocator* blob = NULL;
  OCIDescriptorAlloc(c.env, (void**)&clob, OCI_DTYPE_LOB, 0, NULL);
  OCIDescriptorAlloc(c.env, (void**)&blob, OCI_DTYPE_LOB, 0, NULL);
  boolean temp = TRUE;
  if (OCILobIsTemporary(c.env, c.err, clob, &temp) != OCI_SUCCESS || temp) return failc("a new locator is not temporary", &c);
  if (OCILobCreateTemporary(c.svc, c.err, clob, 0, SQLCS_IMPLICIT, 7, FALSE, OCI_DURATION_SESSION) != OCI_ERROR ||
      code_of(&c) != 24801)
    return failc("an unknown LOB type gives ORA-24801", &c);
  if (OCILobCreateTemporary(c.svc, c.err, clob, 0, SQLCS_IMPLICIT, OCI_TEMP_CLOB, FALSE, OCI_DURATION_SESSION) != OCI_SUCCESS ||
      OCILobCreateTemporary(c.svc, c.err, blob, 0, 0, OCI_TEMP_BLOB, FALSE, OCI_DURATION_SESSION) != OCI_SUCCESS)
    return failc("create temporary", &c);
  if (OCILobIsTemporary(c.env, c.err, clob, &temp) != OCI_SUCCESS || !temp) return failc("is temporary", &c);
  ub4 len = 99;
  if (OCILobGetLength(c.svc, c.err, clob, &len) != OCI_SUCCESS || len != 0) return failc("a new temporary LOB is empty", &c);
  /* Japanese text and a character outside the BMP, written in two pieces. */
  const char* a = "\xE6\x97\xA5\xE6\x9C\xAC";     /* 日本 */
  const char* b = "\xF0\x9F\x98\x80" "end";       /* U+1F600 end */
  ub4 amt = 0;
  sword rc = OCILobWrite(c.svc, c.err, clob, &amt, 1, (void*)a, (ub4)strlen(a), OCI_FIRST_PIECE, NULL, NULL, 0, SQLCS_IMPLICIT);
  if (rc != OCI_NEED_DATA) return failc("first piece", &c);
  rc = OCILobWrite(c.svc, c.err, clob, &amt, 1, (void*)b, (ub4)strlen(b), OCI_LAST_PIECE, NULL, NULL, 0, SQLCS_IMPLICIT);
  if (rc != OCI_SUCCESS) return failc("last piece", &c);
  if (OCILobGetLength(c.svc, c.err, clob, &len) != OCI_SUCCESS || len != 6) return failc("length in characters", &c);
  /* Read back two characters at a time: whole characters only. */
  char out[64] = "", piece[16];
  amt = 0;
  do {
    memset(piece, 0, sizeof piece);
    rc = OCILobRead(c.svc, c.err, clob, &amt, 1, piece, 4, NULL, NULL, 0, SQLCS_IMPLICIT);
    if (rc != OCI_SUCCESS && rc != OCI_NEED_DATA) return failc("read", &c);
    strncat(out, piece, amt);
  } while (rc == OCI_NEED_DATA);
  if (strcmp(out, "\xE6\x97\xA5\xE6\x9C\xAC\xF0\x9F\x98\x80" "end") != 0) return "temporary CLOB read back";
  if (OCILobTrim(c.svc, c.err, clob, 2) != OCI_SUCCESS || OCILobGetLength(c.svc, c.err, clob, &len) != OCI_SUCCESS || len != 2)
    return failc("trim", &c);
  /* A BLOB with bytes of every value, stored through an insert bind. */
  unsigned char bytes[4097];
  for (int i = 0; i < (int)sizeof bytes; ++i) bytes[i] = (unsigned char)(i * 7);
  amt = sizeof bytes;
  if (OCILobWrite(c.svc, c.err, blob, &amt, 1, bytes, sizeof bytes, OCI_ONE_PIECE, NULL, NULL, 0, 0) != OCI_SUCCESS ||
      amt != sizeof bytes)
    return failc("write blob", &c);
  OCIStmt* st = NULL;
  OCIHandleAlloc(c.env, (void**)&st, OCI_HTYPE_STMT, 0, NULL);
  const char* ddl = "create table tmp_lobs (id number, c clob, b blob)";
  OCIStmtPrepare(st, c.err, (const OraText*)ddl, (ub4)strlen(ddl), OCI_NTV_SYNTAX, OCI_DEFAULT);
  if (OCIStmtExecute(c.svc, st, c.err, 1, 0, NULL, NULL, OCI_DEFAULT) != OCI_SUCCESS) return failc("create", &c);
  OCIHandleFree(st, OCI_HTYPE_STMT);
  if (insert_lob(&c, "insert into tmp_lobs (id, c) values (1, :L)", clob, SQLT_CLOB) != OCI_SUCCESS)
    return failc("insert a temporary CLOB", &c);
  if (insert_lob(&c, "insert into tmp_lobs (id, b) values (2, :L)", blob, SQLT_BLOB) != OCI_SUCCESS)
    return failc("insert a temporary BLOB", &c);
  char text[64] = "";
  OCIDefine* d = NULL;
  const char* q = "select c from tmp_lobs where id = 1";
  OCIHandleAlloc(c.env, (void**)&st, OCI_HTYPE_STMT, 0, NULL);
  OCIStmtPrepare(st, c.err, (const OraText*)q, (ub4)strlen(q), OCI_NTV_SYNTAX, OCI_DEFAULT);
  OCIDefineByPos(st, &d, c.err, 1, text, sizeof text, SQLT_STR, NULL, NULL, NULL, OCI_DEFAULT);
  if (OCIStmtExecute(c.svc, st, c.err, 1, 0, NULL, NULL, OCI_DEFAULT) != OCI_SUCCESS || strcmp(text, a) != 0)
    return failc("the stored temporary CLOB", &c);
  const char* q2 = "select b from tmp_lobs where id = 2";
  static unsigned char stored[8192];
  ub2 stored_len = 0;
  OCIStmtPrepare(st, c.err, (const OraText*)q2, (ub4)strlen(q2), OCI_NTV_SYNTAX, OCI_DEFAULT);
  OCIDefineByPos(st, &d, c.err, 1, stored, sizeof stored, SQLT_BIN, NULL, &stored_len, NULL, OCI_DEFAULT);
  if (OCIStmtExecute(c.svc, st, c.err, 1, 0, NULL, NULL, OCI_DEFAULT) != OCI_SUCCESS || stored_len != sizeof bytes ||
      memcmp(stored, bytes, sizeof bytes) != 0)
    return failc("the stored temporary BLOB", &c);
  OCIHandleFree(st, OCI_HTYPE_STMT);
  if (OCILobFreeTemporary(c.svc, c.err, clob) != OCI_SUCCESS) return failc("free temporary", &c);
  if (OCILobGetLength(c.svc, c.err, clob, &len) != OCI_ERROR || code_of(&c) != 22275)
    return failc("a freed temporary LOB is no longer valid", &c);
  if (OCILobFreeTemporary(c.svc, c.err, clob) != OCI_ERROR) return failc("freeing twice fails", &c);
  OCIDescriptorFree(clob, OCI_DTYPE_LOB);
  OCIDescriptorFree(blob, OCI_DTYPE_LOB);
  disconnect(&c);
  return NULL;
}

const char* check_bfile_set_name_and_load(const char* db, const char* hello) {
  conn c;
  if (!connect_db(&c, db)) return failc("logon", &c);
  OCILobLocator* file = NULL;
  OCIDescriptorAlloc(c.env, (void**)&file, OCI_DTYPE_FILE, 0, NULL);
  if (OCILobFileSetName(c.env, c.err, &file, (const OraText*)"FILES", 5, (const OraText*)"hello.txt", 9) != OCI_SUCCESS)
    return failc("set name", &c);
  OraText dir[32], name[300];
  ub2 dl = sizeof dir, fl = sizeof name;
  if (OCILobFileGetName(c.env, c.err, file, dir, &dl, name, &fl) != OCI_SUCCESS || dl != 5 || fl != 9 ||
      memcmp(name, "hello.txt", 9) != 0)
    return failc("get name back", &c);
  boolean exists = FALSE;
  if (OCILobFileExists(c.svc, c.err, file, &exists) != OCI_SUCCESS || !exists) return failc("the file exists", &c);
  ub4 len = 0;
  if (OCILobGetLength(c.svc, c.err, file, &len) != OCI_SUCCESS || len != strlen(hello)) return failc("file length", &c);
  if (OCILobFileOpen(c.svc, c.err, file, OCI_FILE_READONLY) != OCI_SUCCESS) return failc("open", &c);
  char buf[64] = "";
  ub4 amt = 0;
  if (OCILobRead(c.svc, c.err, file, &amt, 1, buf, sizeof buf, NULL, NULL, 0, 0) != OCI_SUCCESS || amt != strlen(hello) ||
      memcmp(buf, hello, amt) != 0)
    return failc("read the file", &c);
  /* Writing to a BFILE is refused. */
  amt = 1;
  if (OCILobWrite(c.svc, c.err, file, &amt, 1, buf, 1, OCI_ONE_PIECE, NULL, NULL, 0, 0) != OCI_ERROR)
    return failc("writing to a BFILE must fail", &c);
  /* Load part of the file into a temporary BLOB. */
  OCILobLocator* blob = NULL;
  OCIDescriptorAlloc(c.env, (void**)&blob, OCI_DTYPE_LOB, 0, NULL);
  OCILobCreateTemporary(c.svc, c.err, blob, 0, 0, OCI_TEMP_BLOB, FALSE, OCI_DURATION_SESSION);
  if (OCILobLoadFromFile(c.svc, c.err, blob, file, 3, 1, 2) != OCI_SUCCESS) return failc("load from file", &c);
  memset(buf, 0, sizeof buf);
  amt = 0;
  if (OCILobRead(c.svc, c.err, blob, &amt, 1, buf, sizeof buf, NULL, NULL, 0, 0) != OCI_SUCCESS || amt != 3 ||
      memcmp(buf, hello + 1, 3) != 0)
    return failc("loaded bytes", &c);
  if (OCILobLoadFromFile(c.svc, c.err, blob, file, 1000, 1, 1) != OCI_ERROR || code_of(&c) != 22993)
    return failc("loading more than the file holds gives ORA-22993", &c);
  OCILobFileClose(c.svc, c.err, file);
  /* A missing file and an unknown directory. */
  OCILobFileSetName(c.env, c.err, &file, (const OraText*)"FILES", 5, (const OraText*)"missing.txt", 11);
  if (OCILobGetLength(c.svc, c.err, file, &len) != OCI_ERROR || code_of(&c) != 22288) return failc("missing file: 22288", &c);
  if (OCILobFileExists(c.svc, c.err, file, &exists) != OCI_SUCCESS || exists) return failc("a missing file does not exist", &c);
  OCILobFileSetName(c.env, c.err, &file, (const OraText*)"NO_SUCH_DIR", 11, (const OraText*)"hello.txt", 9);
  if (OCILobFileOpen(c.svc, c.err, file, OCI_FILE_READONLY) != OCI_ERROR || code_of(&c) != 22285)
    return failc("an unknown directory gives 22285", &c);
  if (OCILobFileSetName(c.env, c.err, &file, (const OraText*)"", 0, (const OraText*)"x", 1) != OCI_ERROR)
    return failc("an empty directory alias is refused", &c);
  OCILobLocator* lob = NULL;
  OCIDescriptorAlloc(c.env, (void**)&lob, OCI_DTYPE_LOB, 0, NULL);
  if (OCILobFileSetName(c.env, c.err, &lob, (const OraText*)"FILES", 5, (const OraText*)"x", 1) != OCI_INVALID_HANDLE)
    return "naming a file on a LOB locator is an invalid handle";
  OCIDescriptorFree(lob, OCI_DTYPE_LOB);
  OCIDescriptorFree(blob, OCI_DTYPE_LOB);
  OCIDescriptorFree(file, OCI_DTYPE_FILE);
  disconnect(&c);
  return NULL;
}

/* Runs a statement without binds. */
static sword run_sql(conn* c, const char* sql) {
  OCIStmt* st = NULL;
  OCIHandleAlloc(c->env, (void**)&st, OCI_HTYPE_STMT, 0, NULL);
  OCIStmtPrepare(st, c->err, (const OraText*)sql, (ub4)strlen(sql), OCI_NTV_SYNTAX, OCI_DEFAULT);
  sword rc = OCIStmtExecute(c->svc, st, c->err, 1, 0, NULL, NULL, OCI_DEFAULT);
  OCIHandleFree(st, OCI_HTYPE_STMT);
  return rc;
}

/* The LOB locator of one row. */
static sword fetch_locator(conn* c, const char* sql, OCILobLocator* loc, ub2 dty) {
  OCIStmt* st = NULL;
  OCIDefine* d = NULL;
  OCIHandleAlloc(c->env, (void**)&st, OCI_HTYPE_STMT, 0, NULL);
  OCIStmtPrepare(st, c->err, (const OraText*)sql, (ub4)strlen(sql), OCI_NTV_SYNTAX, OCI_DEFAULT);
  OCIDefineByPos(st, &d, c->err, 1, &loc, sizeof loc, dty, NULL, NULL, NULL, OCI_DEFAULT);
  sword rc = OCIStmtExecute(c->svc, st, c->err, 1, 0, NULL, NULL, OCI_DEFAULT);
  OCIHandleFree(st, OCI_HTYPE_STMT);
  return rc;
}

const char* check_lob_round_trips(const char* db) {
  static const size_t sizes[] = {0, 1, 4095, 4096, 4097, 5u << 20};
  conn c;
  if (!connect_db(&c, db)) return failc("logon", &c);
  if (run_sql(&c, "create table rt (id number primary key, b blob, c clob)") != OCI_SUCCESS) return failc("create", &c);
  size_t max = sizes[sizeof sizes / sizeof sizes[0] - 1];
  unsigned char* data = malloc(max);
  unsigned char* back = malloc(max + 4096);
  for (size_t i = 0; i < max; ++i) data[i] = (unsigned char)((i * 131u) ^ (i >> 11));
  char sql[128];
  for (size_t k = 0; k < sizeof sizes / sizeof sizes[0]; ++k) {
    size_t n = sizes[k];
    snprintf(sql, sizeof sql, "insert into rt (id, b) values (%d, empty_blob())", (int)k);
    if (run_sql(&c, sql) != OCI_SUCCESS) return failc("insert", &c);
    OCILobLocator* loc = NULL;
    OCIDescriptorAlloc(c.env, (void**)&loc, OCI_DTYPE_LOB, 0, NULL);
    snprintf(sql, sizeof sql, "select b from rt where id = %d for update", (int)k);
    if (fetch_locator(&c, sql, loc, SQLT_BLOB) != OCI_SUCCESS) return failc("select for update", &c);
    /* Upload from offset 1 with the total as the amount, in 4096-byte pieces. */
    size_t sent = 0;
    ub4 amt = (ub4)n;
    while (sent < n) {
      ub4 part = n - sent < 4096 ? (ub4)(n - sent) : 4096;
      ub1 piece = n <= 4096 ? OCI_ONE_PIECE : sent == 0 ? OCI_FIRST_PIECE : sent + part >= n ? OCI_LAST_PIECE : OCI_NEXT_PIECE;
      sword rc = OCILobWrite(c.svc, c.err, loc, &amt, 1, data + sent, part, piece, NULL, NULL, 0, 0);
      if (rc != OCI_SUCCESS && rc != OCI_NEED_DATA) return failc("write", &c);
      sent += part;
    }
    if (OCITransCommit(c.svc, c.err, OCI_DEFAULT) != OCI_SUCCESS) return failc("commit", &c);
    OCIDescriptorFree(loc, OCI_DTYPE_LOB);
    OCIDescriptorAlloc(c.env, (void**)&loc, OCI_DTYPE_LOB, 0, NULL);
    snprintf(sql, sizeof sql, "select b from rt where id = %d", (int)k);
    if (fetch_locator(&c, sql, loc, SQLT_BLOB) != OCI_SUCCESS) return failc("select", &c);
    ub4 len = 99;
    if (OCILobGetLength(c.svc, c.err, loc, &len) != OCI_SUCCESS || len != n) {
      snprintf(g_msg, sizeof g_msg, "length %u of a %zu-byte BLOB", (unsigned)len, n);
      return g_msg;
    }
    /* Streaming read: amount 1073741824 in 4096-byte pieces. */
    size_t got = 0;
    if (n > 0) {
      for (;;) {
        ub4 a = 1073741824;
        sword rc = OCILobRead(c.svc, c.err, loc, &a, 1, back + got, 4096, NULL, NULL, 0, 0);
        if (rc != OCI_SUCCESS && rc != OCI_NEED_DATA) return failc("read", &c);
        got += a;
        if (rc == OCI_SUCCESS) break;
      }
    }
    if (got != n || (n && memcmp(back, data, n) != 0)) {
      snprintf(g_msg, sizeof g_msg, "a %zu-byte BLOB read back as %zu different bytes", n, got);
      return g_msg;
    }
    /* Reading past the end gives nothing, never a crash. */
    ub4 a = 10;
    sword rc = OCILobRead(c.svc, c.err, loc, &a, (ub4)n + 100, back, 4096, NULL, NULL, 0, 0);
    if ((rc != OCI_SUCCESS && rc != OCI_NO_DATA) || a != 0) {
      snprintf(g_msg, sizeof g_msg, "reading past the end of a %zu-byte BLOB gave rc %d and %u bytes", n, (int)rc, (unsigned)a);
      return g_msg;
    }
    OCIDescriptorFree(loc, OCI_DTYPE_LOB);
  }
  /* A CLOB of Japanese text and characters outside the BMP, read a few
   * characters at a time: every piece holds whole characters. */
  const char* unit = "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E\xF0\xA0\x80\x8B" "a"; /* 日本語𠀋a */
  char text[1500] = "";
  for (int i = 0; i < 100; ++i) strcat(text, unit);
  snprintf(sql, sizeof sql, "insert into rt (id, c) values (100, empty_clob())");
  if (run_sql(&c, sql) != OCI_SUCCESS) return failc("insert clob", &c);
  OCILobLocator* loc = NULL;
  OCIDescriptorAlloc(c.env, (void**)&loc, OCI_DTYPE_LOB, 0, NULL);
  if (fetch_locator(&c, "select c from rt where id = 100 for update", loc, SQLT_CLOB) != OCI_SUCCESS)
    return failc("clob for update", &c);
  ub4 amt = (ub4)strlen(text);
  if (OCILobWrite(c.svc, c.err, loc, &amt, 1, text, (ub4)strlen(text), OCI_ONE_PIECE, NULL, NULL, 0, SQLCS_IMPLICIT) != OCI_SUCCESS)
    return failc("write clob", &c);
  ub4 len = 0;
  if (OCILobGetLength(c.svc, c.err, loc, &len) != OCI_SUCCESS || len != 500) return failc("clob length in characters", &c);
  char out[1500] = "";
  for (;;) {
    char piece[8];
    ub4 a = 0;
    sword rc = OCILobRead(c.svc, c.err, loc, &a, 1, piece, 7, NULL, NULL, 0, SQLCS_IMPLICIT);
    if (rc != OCI_SUCCESS && rc != OCI_NEED_DATA) return failc("read clob", &c);
    unsigned char last = a ? (unsigned char)piece[a - 1] : 0;
    if (a == 0 || last >= 0xC0) return "a piece of a CLOB read must end on a whole character";
    strncat(out, piece, a);
    if (rc == OCI_SUCCESS) break;
  }
  if (strcmp(out, text) != 0) return "the CLOB read in small pieces differs";
  /* The cell-text pattern: a partial read of a fixed number of characters answers 99. */
  char cell[64];
  ub4 a = 4;
  if (OCILobRead(c.svc, c.err, loc, &a, 1, cell, sizeof cell, NULL, NULL, 0, SQLCS_IMPLICIT) != OCI_SUCCESS || a != 13 ||
      memcmp(cell, unit, 13) != 0)
    return failc("a read of 4 characters gives the first 4 whole characters", &c);
  OCIDescriptorFree(loc, OCI_DTYPE_LOB);
  free(data);
  free(back);
  disconnect(&c);
  return NULL;
}
