#define _POSIX_C_SOURCE 200809L
/* See client_conn.h. */
#include "client_conn.h"

#include <stdio.h>
#include <string.h>

static char g_msg[2048];

const char* failc(const char* what, conn* c) {
  char text[1024] = "";
  sb4 code = 0;
  if (c && c->err) OCIErrorGet(c->err, 1, NULL, &code, (OraText*)text, sizeof text, OCI_HTYPE_ERROR);
  snprintf(g_msg, sizeof g_msg, "%s (ORA %d: %s)", what, (int)code, text);
  return g_msg;
}

int code_of(conn* c) {
  sb4 code = 0;
  char text[512];
  OCIErrorGet(c->err, 1, NULL, &code, (OraText*)text, sizeof text, OCI_HTYPE_ERROR);
  return (int)code;
}

int connect_db(conn* c, const char* db) {
  memset(c, 0, sizeof *c);
  OCIEnvNlsCreate(&c->env, OCI_THREADED | OCI_OBJECT, NULL, NULL, NULL, NULL, 0, NULL, 873, 873);
  OCIHandleAlloc(c->env, (void**)&c->err, OCI_HTYPE_ERROR, 0, NULL);
  return OCILogon(c->env, c->err, &c->svc, (const OraText*)"SCOTT", 5, (const OraText*)"TIGER", 5, (const OraText*)db,
                  (ub4)strlen(db)) == OCI_SUCCESS;
}

void disconnect(conn* c) {
  OCILogoff(c->svc, c->err);
  OCIHandleFree(c->err, OCI_HTYPE_ERROR);
  OCIHandleFree(c->env, OCI_HTYPE_ENV);
}
