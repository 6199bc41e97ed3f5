/* Temporary LOBs and BFILEs named by the client, through the OCI ABI of
 * libkestrel_ocilite.so only. Each check returns NULL on success or a
 * message saying what went wrong. */
#ifndef OCILITE_TEST_LOB_CLIENT_H
#define OCILITE_TEST_LOB_CLIENT_H

#ifdef __cplusplus
extern "C" {
#endif

/* The database has a directory object FILES holding hello.txt with `hello`
 * as its contents, and no missing.txt. */
/* BLOBs of 0, 1, 4095-4097 bytes and 5 MB through fetched locators, and a
 * CLOB of Japanese text read in small pieces. */
const char* check_lob_round_trips(const char* db);
const char* check_temporary_lobs(const char* db);
const char* check_bfile_set_name_and_load(const char* db, const char* hello);

#ifdef __cplusplus
}
#endif

#endif
