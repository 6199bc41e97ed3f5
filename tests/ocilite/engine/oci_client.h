/* A client of libkestrel_ocilite.so written in C against the OCI ABI only,
 * as a third-party program would use it. Each check returns NULL on
 * success or a message saying what went wrong. */
#ifndef OCILITE_TEST_OCI_CLIENT_H
#define OCILITE_TEST_OCI_CLIENT_H

#ifdef __cplusplus
extern "C" {
#endif

const char* check_login_errors(const char* db);
const char* check_array_dml_and_fetch(const char* db);
const char* check_describe(const char* db);
const char* check_truncation_and_nulls(const char* db);
const char* check_returning_rowid(const char* db);
const char* check_savepoints(const char* db);
const char* check_two_session_locking(const char* db);
const char* check_break_long_query(const char* db);
const char* check_client_charset(const char* db, int utf8);
const char* check_lob_reads(const char* db);
const char* check_invalid_handles_and_unavailable_calls(const char* db);

#ifdef __cplusplus
}
#endif

#endif
