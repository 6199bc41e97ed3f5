/* Object types through the OCI ABI of libkestrel_ocilite.so only. Each check
 * returns NULL on success or a message saying what went wrong. */
#ifndef OCILITE_TEST_OBJECT_CLIENT_H
#define OCILITE_TEST_OBJECT_CLIENT_H

#ifdef __cplusplus
extern "C" {
#endif

/* Types, an object table and a table of object, varray, nested-table and REF
 * columns are made, filled and read back: describe, define, attributes,
 * iterators, nested-table walks, strings, numbers, dates, timestamps, REFs. */
const char* check_object_reads(const char* db);
/* Object calls on handles that are no objects, unknown attributes, a type
 * that does not exist, a too small REF buffer: errors, never a crash. */
const char* check_object_bad_input(const char* db);
/* Tables, views, index-organised tables, synonyms and types described by
 * name; unknown names and the wrong kind give ORA-04043. */
const char* check_describe_by_name(const char* db);
/* Timestamps and intervals as descriptors: to text and back. */
const char* check_datetime_texts(const char* db);

#ifdef __cplusplus
}
#endif

#endif
