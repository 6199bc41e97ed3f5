/* One logged-in SCOTT session for the C clients that use only the OCI ABI
 * of libkestrel_ocilite.so, with AL32UTF8 on both sides (their texts are
 * UTF-8), and the failure texts they return. */
#ifndef OCILITE_TEST_CLIENT_CONN_H
#define OCILITE_TEST_CLIENT_CONN_H

#include "oci/oci_abi.h"

typedef struct {
  OCIEnv* env;
  OCIError* err;
  OCISvcCtx* svc;
} conn;

/* Logs on as SCOTT/TIGER to the database folder `db`; nonzero on success. */
int connect_db(conn* c, const char* db);
void disconnect(conn* c);
/* "what (ORA n: text)" with the session's last error, in a static buffer. */
const char* failc(const char* what, conn* c);
/* The last error's ORA number. */
int code_of(conn* c);

#endif
