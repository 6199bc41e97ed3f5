/* A client of the old cursor-data-area interface (OCI7) of
 * libkestrel_ocilite.so, in C against the ABI only. Each check returns
 * NULL on success or a message saying what went wrong. */
#ifndef OCILITE_TEST_OCI7_CLIENT_H
#define OCILITE_TEST_OCI7_CLIENT_H

#ifdef __cplusplus
extern "C" {
#endif

const char* check_oci7_login(const char* db);
const char* check_oci7_session(const char* db);
const char* check_oci7_from_svcctx(const char* db);

#ifdef __cplusplus
}
#endif

#endif
