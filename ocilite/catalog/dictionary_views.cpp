// The dictionary views' SQL. They are TEMP views because only temporary
// views may read other attached databases. `{CAT}` stands for the
// catalogue's schema name; ocilite_owners and ocilite_master are written
// per connection from the attached schemas (dictionary.cpp).
//
// Everything shown about tables, columns and indexes is read live through
// SQLite's pragma table functions, so DDL shows at once; the catalogue adds
// what SQLite does not keep (comments, synonyms, sequences, times).
#include "catalog/dictionary_p.h"

namespace ocilite::detail {

const std::vector<ViewDef>& dictionary_views() {
  static const std::vector<ViewDef> views = {
      // ---- building blocks -------------------------------------------------
      {"ocilite_tables", R"sql(
SELECT t.schema AS owner, t.name AS table_name,
       CASE t.type WHEN 'view' THEN 'VIEW' ELSE 'TABLE' END AS kind, t.wr AS iot
FROM pragma_table_list t
WHERE t.schema IN (SELECT owner FROM ocilite_owners) AND t.type IN ('table', 'view', 'virtual')
  AND t.name NOT LIKE 'sqlite\_%' ESCAPE '\')sql",
       false},
      {"ocilite_columns", R"sql(
SELECT t.owner, t.table_name, t.kind, t.iot, c.cid + 1 AS column_id, c.name AS column_name,
       c.type AS decl, c."notnull" AS not_null, c.dflt_value, c.pk, c.hidden
FROM ocilite_tables t, pragma_table_xinfo(t.table_name, t.owner) c
WHERE c.hidden <> 1)sql",
       false},
      {"ocilite_table_sql", R"sql(
SELECT t.owner, t.table_name, t.iot, m.sql
FROM ocilite_tables t JOIN ocilite_master m ON m.owner = t.owner AND m.name = t.table_name AND m.type = 'table'
WHERE t.kind = 'TABLE')sql",
       false},
      // Indexes with Oracle names: an index SQLite made for a PRIMARY KEY or
      // UNIQUE constraint is named after its constraint, and a rowid table
      // whose key is its rowid gets the key index Oracle would have made.
      {"ocilite_indexes", R"sql(
SELECT s.owner, s.table_name, s.iot, il.name AS sqlite_name, il."unique" AS is_unique, il.origin,
       CASE il.origin
         WHEN 'c' THEN il.name
         WHEN 'pk' THEN coalesce(ocilite_constraint(s.sql, 'P', 1, 'NAME'), ocilite_sys_name(s.owner, s.table_name, 'P1'))
         ELSE (SELECT coalesce(ocilite_constraint(s.sql, 'U', count(*), 'NAME'),
                               ocilite_sys_name(s.owner, s.table_name, 'U' || count(*)))
               FROM pragma_index_list(s.table_name, s.owner) x
               WHERE x.origin = 'u' AND ocilite_suffix_number(x.name) <= ocilite_suffix_number(il.name))
       END AS index_name
FROM ocilite_table_sql s, pragma_index_list(s.table_name, s.owner) il
UNION ALL
SELECT s.owner, s.table_name, s.iot, NULL, 1, 'pk',
       coalesce(ocilite_constraint(s.sql, 'P', 1, 'NAME'), ocilite_sys_name(s.owner, s.table_name, 'P1'))
FROM ocilite_table_sql s
WHERE EXISTS (SELECT 1 FROM pragma_table_xinfo(s.table_name, s.owner) c WHERE c.pk > 0)
  AND NOT EXISTS (SELECT 1 FROM pragma_index_list(s.table_name, s.owner) x WHERE x.origin = 'pk'))sql",
       false},
      {"ocilite_triggers", R"sql(
SELECT m.owner, m.name AS trigger_name, ocilite_trigger(m.sql, m.owner, 'TYPE') AS trigger_type,
       ocilite_trigger(m.sql, m.owner, 'EVENT') AS triggering_event, m.owner AS table_owner,
       m.tbl_name AS table_name, 'ENABLED' AS status, 'VALID' AS object_status, m.sql AS body
FROM ocilite_master m WHERE m.type = 'trigger'
UNION ALL
SELECT owner, name, trigger_type, triggering_event, table_owner, table_name, 'ENABLED', status, source
FROM {CAT}.plsql WHERE type = 'TRIGGER')sql",
       false},

      {"ocilite_objects", R"sql(
SELECT owner, table_name AS object_name, kind AS object_type, 'VALID' AS status FROM ocilite_tables
UNION ALL SELECT owner, index_name, 'INDEX', 'VALID' FROM ocilite_indexes
UNION ALL SELECT owner, trigger_name, 'TRIGGER', object_status FROM ocilite_triggers
UNION ALL SELECT owner, sequence_name, 'SEQUENCE', 'VALID' FROM {CAT}.sequences
UNION ALL SELECT owner, synonym_name, 'SYNONYM', 'VALID' FROM {CAT}.synonyms
UNION ALL SELECT owner, name, type, status FROM {CAT}.plsql WHERE type <> 'TRIGGER'
UNION ALL SELECT 'SYS', directory_name, 'DIRECTORY', 'VALID' FROM {CAT}.directories)sql",
       false},
      // ---- users and objects ------------------------------------------------------
      {"all_users", R"sql(
SELECT name AS USERNAME, user_id AS USER_ID, created AS CREATED, 'NO' AS COMMON, 'N' AS ORACLE_MAINTAINED,
       'NO' AS INHERITED, 'USING_NLS_COMP' AS DEFAULT_COLLATION, 'NO' AS IMPLICIT, 'NO' AS ALL_SHARD
FROM {CAT}.users)sql", false},
      // DBA_USERS and USER_USERS add the account's state as Oracle shows it.
      {"dba_users", R"sql(
SELECT name AS USERNAME, user_id AS USER_ID, NULL AS PASSWORD,
       CASE WHEN locked THEN 'LOCKED'
            WHEN password_expires IS NULL THEN 'OPEN'
            WHEN password_expires <= datetime('now') THEN 'EXPIRED'
            ELSE 'EXPIRED(GRACE)' END AS ACCOUNT_STATUS,
       NULL AS LOCK_DATE, password_expires AS EXPIRY_DATE, 'USERS' AS DEFAULT_TABLESPACE,
       'TEMP' AS TEMPORARY_TABLESPACE, 'TEMP' AS LOCAL_TEMP_TABLESPACE, created AS CREATED, 'DEFAULT' AS PROFILE,
       'DEFAULT_CONSUMER_GROUP' AS INITIAL_RSRC_CONSUMER_GROUP, NULL AS EXTERNAL_NAME,
       CASE WHEN password_hash IS NOT NULL THEN '11G 12C' END AS PASSWORD_VERSIONS, 'N' AS EDITIONS_ENABLED,
       CASE WHEN external THEN 'EXTERNAL' WHEN password_hash IS NULL THEN 'NONE' ELSE 'PASSWORD' END
         AS AUTHENTICATION_TYPE,
       'NO' AS PROXY_ONLY_CONNECT, 'NO' AS COMMON, NULL AS LAST_LOGIN, 'N' AS ORACLE_MAINTAINED, 'NO' AS INHERITED,
       'USING_NLS_COMP' AS DEFAULT_COLLATION, 'NO' AS IMPLICIT, 'NO' AS ALL_SHARD, NULL AS PASSWORD_CHANGE_DATE
FROM {CAT}.users)sql", false},
      {"user_users", R"sql(
SELECT USERNAME, USER_ID, ACCOUNT_STATUS, LOCK_DATE, EXPIRY_DATE, DEFAULT_TABLESPACE, TEMPORARY_TABLESPACE,
       LOCAL_TEMP_TABLESPACE, CREATED, INITIAL_RSRC_CONSUMER_GROUP, EXTERNAL_NAME, PROXY_ONLY_CONNECT, COMMON,
       ORACLE_MAINTAINED, INHERITED, DEFAULT_COLLATION, IMPLICIT, ALL_SHARD
FROM dba_users WHERE USERNAME = ocilite_user())sql", false},
      {"all_objects", R"sql(
SELECT o.owner AS OWNER, o.object_name AS OBJECT_NAME, NULL AS SUBOBJECT_NAME,
       coalesce(r.object_id, ocilite_object_id(o.owner, o.object_name, o.object_type)) AS OBJECT_ID,
       CASE WHEN o.object_type IN ('TABLE', 'INDEX')
            THEN coalesce(r.object_id, ocilite_object_id(o.owner, o.object_name, o.object_type)) END AS DATA_OBJECT_ID,
       o.object_type AS OBJECT_TYPE,
       coalesce(r.created, u.created, '2000-01-01 00:00:00') AS CREATED,
       coalesce(r.last_ddl_time, r.created, u.created, '2000-01-01 00:00:00') AS LAST_DDL_TIME,
       replace(coalesce(r.last_ddl_time, r.created, u.created, '2000-01-01 00:00:00'), ' ', ':') AS TIMESTAMP,
       o.status AS STATUS, 'N' AS TEMPORARY,
       CASE WHEN o.object_name LIKE 'SYS\_C%' ESCAPE '\' THEN 'Y' ELSE 'N' END AS GENERATED, 'N' AS SECONDARY,
       1 AS NAMESPACE, NULL AS EDITION_NAME, 'NONE' AS SHARING, NULL AS EDITIONABLE, 'N' AS ORACLE_MAINTAINED,
       'N' AS APPLICATION, NULL AS DEFAULT_COLLATION, 'N' AS DUPLICATED, 'N' AS SHARDED, NULL AS CREATED_APPID,
       NULL AS CREATED_VSNID, NULL AS MODIFIED_APPID, NULL AS MODIFIED_VSNID
FROM ocilite_objects o
LEFT JOIN {CAT}.objects r ON r.owner = o.owner AND r.object_name = o.object_name AND r.object_type = o.object_type
LEFT JOIN {CAT}.users u ON u.name = o.owner)sql",
       true},
      {"all_tables", R"sql(
SELECT owner AS OWNER, table_name AS TABLE_NAME, CASE WHEN iot THEN NULL ELSE 'USERS' END AS TABLESPACE_NAME,
       NULL AS CLUSTER_NAME, NULL AS IOT_NAME, 'VALID' AS STATUS, CASE WHEN iot THEN 0 ELSE 10 END AS PCT_FREE,
       NULL AS PCT_USED, 1 AS INI_TRANS, 255 AS MAX_TRANS, NULL AS INITIAL_EXTENT, NULL AS NEXT_EXTENT,
       NULL AS MIN_EXTENTS, NULL AS MAX_EXTENTS, NULL AS PCT_INCREASE, NULL AS FREELISTS, NULL AS FREELIST_GROUPS,
       'YES' AS LOGGING, 'N' AS BACKED_UP, NULL AS NUM_ROWS, NULL AS BLOCKS, NULL AS EMPTY_BLOCKS,
       NULL AS AVG_SPACE, NULL AS CHAIN_CNT, NULL AS AVG_ROW_LEN, NULL AS AVG_SPACE_FREELIST_BLOCKS,
       NULL AS NUM_FREELIST_BLOCKS, '         1' AS DEGREE, '         1' AS INSTANCES, '    N' AS CACHE,
       'ENABLED' AS TABLE_LOCK, NULL AS SAMPLE_SIZE, NULL AS LAST_ANALYZED, 'NO' AS PARTITIONED,
       CASE WHEN iot THEN 'IOT' END AS IOT_TYPE, 'N' AS TEMPORARY, 'N' AS SECONDARY, 'NO' AS NESTED,
       'DEFAULT' AS BUFFER_POOL, 'DEFAULT' AS FLASH_CACHE, 'DEFAULT' AS CELL_FLASH_CACHE, 'DISABLED' AS ROW_MOVEMENT,
       'NO' AS GLOBAL_STATS, 'NO' AS USER_STATS, NULL AS DURATION, 'DISABLED' AS SKIP_CORRUPT, 'YES' AS MONITORING,
       NULL AS CLUSTER_OWNER, 'DISABLED' AS DEPENDENCIES, 'DISABLED' AS COMPRESSION, NULL AS COMPRESS_FOR,
       'NO' AS DROPPED, 'NO' AS READ_ONLY, 'YES' AS SEGMENT_CREATED, 'DEFAULT' AS RESULT_CACHE
FROM ocilite_tables WHERE kind = 'TABLE')sql",
       true},
      {"all_views", R"sql(
SELECT t.owner AS OWNER, t.table_name AS VIEW_NAME, length(ocilite_view_text(m.sql)) AS TEXT_LENGTH,
       ocilite_view_text(m.sql) AS TEXT, ocilite_view_text(m.sql) AS TEXT_VC, NULL AS TYPE_TEXT_LENGTH,
       NULL AS TYPE_TEXT, NULL AS OID_TEXT_LENGTH, NULL AS OID_TEXT, NULL AS VIEW_TYPE_OWNER, NULL AS VIEW_TYPE,
       NULL AS SUPERVIEW_NAME, 'N' AS EDITIONING_VIEW, 'N' AS READ_ONLY, 'N' AS CONTAINER_DATA,
       'N' AS BEQUEATH, 1 AS ORIGIN_CON_ID, 'USING_NLS_COMP' AS DEFAULT_COLLATION, 'N' AS CONTAINERS_DEFAULT,
       'N' AS CONTAINER_MAP, 'N' AS EXTENDED_DATA_LINK, 'N' AS EXTENDED_DATA_LINK_MAP, 'N' AS HAS_SENSITIVE_COLUMN,
       'N' AS ADMIT_NULL, 'N' AS PDB_LOCAL_ONLY
FROM ocilite_tables t JOIN ocilite_master m ON m.owner = t.owner AND m.name = t.table_name AND m.type = 'view'
WHERE t.kind = 'VIEW')sql",
       true},

      // ---- columns and comments ------------------------------------------------
      {"all_tab_cols", R"sql(
SELECT owner AS OWNER, table_name AS TABLE_NAME, column_name AS COLUMN_NAME,
       ocilite_type(decl, 'DATA_TYPE') AS DATA_TYPE, NULL AS DATA_TYPE_MOD, NULL AS DATA_TYPE_OWNER,
       ocilite_type(decl, 'DATA_LENGTH') AS DATA_LENGTH, ocilite_type(decl, 'DATA_PRECISION') AS DATA_PRECISION,
       ocilite_type(decl, 'DATA_SCALE') AS DATA_SCALE,
       CASE WHEN not_null OR pk > 0 THEN 'N' ELSE 'Y' END AS NULLABLE, column_id AS COLUMN_ID,
       length(dflt_value) AS DEFAULT_LENGTH, dflt_value AS DATA_DEFAULT, NULL AS NUM_DISTINCT,
       NULL AS LOW_VALUE, NULL AS HIGH_VALUE, NULL AS DENSITY, NULL AS NUM_NULLS, NULL AS NUM_BUCKETS,
       NULL AS LAST_ANALYZED, NULL AS SAMPLE_SIZE, ocilite_type(decl, 'CHARACTER_SET_NAME') AS CHARACTER_SET_NAME,
       ocilite_type(decl, 'CHAR_COL_DECL_LENGTH') AS CHAR_COL_DECL_LENGTH, 'NO' AS GLOBAL_STATS,
       'NO' AS USER_STATS, NULL AS AVG_COL_LEN, ocilite_type(decl, 'CHAR_LENGTH') AS CHAR_LENGTH,
       ocilite_type(decl, 'CHAR_USED') AS CHAR_USED, 'NO' AS V80_FMT_IMAGE, 'NO' AS DATA_UPGRADED,
       'NO' AS HIDDEN_COLUMN, CASE WHEN hidden IN (2, 3) THEN 'YES' ELSE 'NO' END AS VIRTUAL_COLUMN,
       column_id AS SEGMENT_COLUMN_ID, column_id AS INTERNAL_COLUMN_ID, 'NONE' AS HISTOGRAM,
       column_name AS QUALIFIED_COL_NAME, 'YES' AS USER_GENERATED, 'NO' AS DEFAULT_ON_NULL,
       'NO' AS IDENTITY_COLUMN, 'NO' AS SENSITIVE_COLUMN, NULL AS EVALUATION_EDITION,
       NULL AS UNUSABLE_BEFORE, NULL AS UNUSABLE_BEGINNING, NULL AS COLLATION, NULL AS COLLATED_COLUMN_ID
FROM ocilite_columns)sql",
       true},
      {"all_tab_columns", R"sql(
SELECT OWNER, TABLE_NAME, COLUMN_NAME, DATA_TYPE, DATA_TYPE_MOD, DATA_TYPE_OWNER, DATA_LENGTH, DATA_PRECISION,
       DATA_SCALE, NULLABLE, COLUMN_ID, DEFAULT_LENGTH, DATA_DEFAULT, NUM_DISTINCT, LOW_VALUE, HIGH_VALUE,
       DENSITY, NUM_NULLS, NUM_BUCKETS, LAST_ANALYZED, SAMPLE_SIZE, CHARACTER_SET_NAME, CHAR_COL_DECL_LENGTH,
       GLOBAL_STATS, USER_STATS, AVG_COL_LEN, CHAR_LENGTH, CHAR_USED, V80_FMT_IMAGE, DATA_UPGRADED, HISTOGRAM,
       DEFAULT_ON_NULL, IDENTITY_COLUMN, SENSITIVE_COLUMN, EVALUATION_EDITION, UNUSABLE_BEFORE,
       UNUSABLE_BEGINNING, COLLATION
FROM all_tab_cols WHERE HIDDEN_COLUMN = 'NO')sql",
       true},
      {"all_tab_comments", R"sql(
SELECT t.owner AS OWNER, t.table_name AS TABLE_NAME, t.kind AS TABLE_TYPE, c.comments AS COMMENTS,
       1 AS ORIGIN_CON_ID
FROM ocilite_tables t
LEFT JOIN {CAT}.tab_comments c ON c.owner = t.owner AND c.table_name = t.table_name)sql",
       true},
      {"all_col_comments", R"sql(
SELECT c.owner AS OWNER, c.table_name AS TABLE_NAME, c.column_name AS COLUMN_NAME, k.comments AS COMMENTS,
       1 AS ORIGIN_CON_ID
FROM ocilite_columns c
LEFT JOIN {CAT}.col_comments k
  ON k.owner = c.owner AND k.table_name = c.table_name AND k.column_name = c.column_name)sql",
       true},
      {"user_updatable_columns", R"sql(
SELECT c.owner AS OWNER, c.table_name AS TABLE_NAME, c.column_name AS COLUMN_NAME,
       CASE WHEN c.kind = 'TABLE' AND c.hidden = 0 THEN 'YES' ELSE 'NO' END AS UPDATABLE,
       CASE WHEN c.kind = 'TABLE' AND c.hidden = 0 THEN 'YES' ELSE 'NO' END AS INSERTABLE,
       CASE WHEN c.kind = 'TABLE' THEN 'YES' ELSE 'NO' END AS DELETABLE
FROM ocilite_columns c)sql",
       false},

      // ---- synonyms and sequences ----------------------------------------------
      {"all_synonyms", R"sql(
SELECT owner AS OWNER, synonym_name AS SYNONYM_NAME, table_owner AS TABLE_OWNER, table_name AS TABLE_NAME,
       db_link AS DB_LINK, 1 AS ORIGIN_CON_ID
FROM {CAT}.synonyms)sql",
       true},
      {"all_sequences", R"sql(
SELECT owner AS SEQUENCE_OWNER, sequence_name AS SEQUENCE_NAME, min_value AS MIN_VALUE, max_value AS MAX_VALUE,
       increment_by AS INCREMENT_BY, CASE WHEN cycle_flag THEN 'Y' ELSE 'N' END AS CYCLE_FLAG, 'N' AS ORDER_FLAG,
       cache_size AS CACHE_SIZE, last_number AS LAST_NUMBER, 'N' AS SCALE_FLAG, 'N' AS EXTEND_FLAG,
       'N' AS SHARDED_FLAG, 'N' AS SESSION_FLAG, 'N' AS KEEP_VALUE
FROM {CAT}.sequences)sql",
       true},

      // ---- constraints and indexes -----------------------------------------------
      {"all_constraints", R"sql(
WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 100)
SELECT owner AS OWNER, constraint_name AS CONSTRAINT_NAME, constraint_type AS CONSTRAINT_TYPE,
       table_name AS TABLE_NAME, search_condition AS SEARCH_CONDITION, search_condition AS SEARCH_CONDITION_VC,
       r_owner AS R_OWNER, r_constraint_name AS R_CONSTRAINT_NAME,
       CASE WHEN constraint_type = 'R' THEN delete_rule END AS DELETE_RULE, 'ENABLED' AS STATUS,
       'NOT DEFERRABLE' AS DEFERRABLE, 'IMMEDIATE' AS DEFERRED, 'VALIDATED' AS VALIDATED,
       CASE WHEN constraint_name LIKE 'SYS\_C%' ESCAPE '\' THEN 'GENERATED NAME' ELSE 'USER NAME' END AS GENERATED,
       NULL AS BAD, NULL AS RELY, NULL AS LAST_CHANGE,
       CASE WHEN index_name IS NOT NULL THEN owner END AS INDEX_OWNER, index_name AS INDEX_NAME,
       NULL AS INVALID, NULL AS VIEW_RELATED, 1 AS ORIGIN_CON_ID
FROM (
  SELECT owner, table_name, index_name AS constraint_name, CASE origin WHEN 'pk' THEN 'P' ELSE 'U' END AS constraint_type,
         NULL AS search_condition, NULL AS r_owner, NULL AS r_constraint_name, NULL AS delete_rule, index_name
  FROM ocilite_indexes WHERE origin IN ('pk', 'u')
  UNION ALL
  SELECT s.owner, s.table_name,
         coalesce(ocilite_constraint(s.sql, 'C', n.i, 'NAME'), ocilite_sys_name(s.owner, s.table_name, 'C' || n.i)),
         'C', ocilite_constraint(s.sql, 'C', n.i, 'TEXT'), NULL, NULL, NULL, NULL
  FROM ocilite_table_sql s, n WHERE n.i <= ocilite_constraint(s.sql, 'C', 0, 'COUNT')
  UNION ALL
  SELECT c.owner, c.table_name,
         coalesce(ocilite_constraint(s.sql, 'N', c.column_name, 'NAME'),
                  ocilite_sys_name(c.owner, c.table_name, 'N' || c.column_name)),
         'C', '"' || c.column_name || '" IS NOT NULL', NULL, NULL, NULL, NULL
  FROM ocilite_columns c JOIN ocilite_table_sql s ON s.owner = c.owner AND s.table_name = c.table_name
  WHERE c.not_null
  UNION ALL
  SELECT s.owner, s.table_name,
         coalesce(ocilite_constraint(s.sql, 'R', ((SELECT count(DISTINCT x.id)
                                                    FROM pragma_foreign_key_list(s.table_name, s.owner) x) - fk.id),
                                     'NAME'),
                  ocilite_sys_name(s.owner, s.table_name,
                                   'R' || ((SELECT count(DISTINCT x.id)
                                            FROM pragma_foreign_key_list(s.table_name, s.owner) x) - fk.id))),
         'R', NULL, s.owner,
         (SELECT coalesce(ocilite_constraint(p.sql, 'P', 1, 'NAME'), ocilite_sys_name(p.owner, p.table_name, 'P1'))
          FROM ocilite_table_sql p WHERE p.owner = s.owner AND p.table_name = fk."table"),
         fk.on_delete, NULL
  -- SQLite lists foreign keys last-declared first: ordinal = count - id.
  FROM ocilite_table_sql s, pragma_foreign_key_list(s.table_name, s.owner) fk
  WHERE fk.seq = 0
))sql",
       true},
      {"all_indexes", R"sql(
SELECT owner AS OWNER, index_name AS INDEX_NAME,
       CASE WHEN iot AND origin = 'pk' THEN 'IOT - TOP' ELSE 'NORMAL' END AS INDEX_TYPE,
       owner AS TABLE_OWNER, table_name AS TABLE_NAME, 'TABLE' AS TABLE_TYPE,
       CASE WHEN is_unique THEN 'UNIQUE' ELSE 'NONUNIQUE' END AS UNIQUENESS, 'DISABLED' AS COMPRESSION,
       NULL AS PREFIX_LENGTH, 'USERS' AS TABLESPACE_NAME, 2 AS INI_TRANS, 255 AS MAX_TRANS,
       NULL AS INITIAL_EXTENT, NULL AS NEXT_EXTENT, NULL AS MIN_EXTENTS, NULL AS MAX_EXTENTS,
       NULL AS PCT_INCREASE, NULL AS PCT_THRESHOLD, NULL AS INCLUDE_COLUMN, NULL AS FREELISTS,
       NULL AS FREELIST_GROUPS, 10 AS PCT_FREE, 'YES' AS LOGGING, NULL AS BLEVEL, NULL AS LEAF_BLOCKS,
       NULL AS DISTINCT_KEYS, NULL AS AVG_LEAF_BLOCKS_PER_KEY, NULL AS AVG_DATA_BLOCKS_PER_KEY,
       NULL AS CLUSTERING_FACTOR, 'VALID' AS STATUS, NULL AS NUM_ROWS, NULL AS SAMPLE_SIZE, NULL AS LAST_ANALYZED,
       '1' AS DEGREE, '1' AS INSTANCES, 'NO' AS PARTITIONED, 'N' AS TEMPORARY,
       CASE WHEN index_name LIKE 'SYS\_C%' ESCAPE '\' THEN 'Y' ELSE 'N' END AS GENERATED, 'N' AS SECONDARY,
       'DEFAULT' AS BUFFER_POOL, 'NO' AS USER_STATS, NULL AS DURATION, NULL AS PCT_DIRECT_ACCESS,
       NULL AS ITYP_OWNER, NULL AS ITYP_NAME, NULL AS PARAMETERS, 'NO' AS GLOBAL_STATS, NULL AS DOMIDX_STATUS,
       NULL AS DOMIDX_OPSTATUS, NULL AS FUNCIDX_STATUS, 'NO' AS JOIN_INDEX, 'NO' AS IOT_REDUNDANT_PKEY_ELIM,
       'NO' AS DROPPED, 'VISIBLE' AS VISIBILITY, NULL AS DOMIDX_MANAGEMENT, 'YES' AS SEGMENT_CREATED,
       'NO' AS ORPHANED_ENTRIES, 'FULL' AS INDEXING, 'NO' AS AUTO
FROM ocilite_indexes)sql",
       true},
      // Index key columns in key order (clients read a key's columns
      // without ORDER BY, as Oracle returns them): each index's columns as
      // pragma_index_xinfo lists them, never reordered by a join (the column
      // type comes from a subquery). A key that is the rowid has one column.
      // No ORDER BY here: SQLite 3.40 loses rows when a WHERE is pushed
      // into a compound view that has one.
      {"ocilite_index_keys", R"sql(
SELECT i.owner, i.table_name, i.index_name, x.seqno AS seqno, x.name,
       (SELECT c.type FROM pragma_table_xinfo(i.table_name, i.owner) c WHERE c.cid = x.cid) AS type,
       CASE WHEN x."desc" THEN 'DESC' ELSE 'ASC' END AS descend
FROM ocilite_indexes i, pragma_index_xinfo(i.sqlite_name, i.owner) x
WHERE i.sqlite_name IS NOT NULL AND x.key AND x.cid >= 0
UNION ALL
SELECT i.owner, i.table_name, i.index_name, c.pk - 1, c.name, c.type, 'ASC'
FROM ocilite_indexes i, pragma_table_xinfo(i.table_name, i.owner) c
WHERE i.sqlite_name IS NULL AND c.pk > 0)sql",
       false},
      {"all_ind_columns", R"sql(
SELECT x.owner AS INDEX_OWNER, x.index_name AS INDEX_NAME, x.owner AS TABLE_OWNER, x.table_name AS TABLE_NAME,
       x.name AS COLUMN_NAME, x.seqno + 1 AS COLUMN_POSITION,
       ocilite_type(x.type, 'DATA_LENGTH') AS COLUMN_LENGTH, ocilite_type(x.type, 'CHAR_LENGTH') AS CHAR_LENGTH,
       x.descend AS DESCEND, 1 AS COLLATED_COLUMN_ID
FROM ocilite_index_keys x)sql",
       true},
      {"all_triggers", R"sql(
SELECT owner AS OWNER, trigger_name AS TRIGGER_NAME, trigger_type AS TRIGGER_TYPE,
       triggering_event AS TRIGGERING_EVENT, table_owner AS TABLE_OWNER, 'TABLE' AS BASE_OBJECT_TYPE,
       table_name AS TABLE_NAME, NULL AS COLUMN_NAME, 'REFERENCING NEW AS NEW OLD AS OLD' AS REFERENCING_NAMES,
       NULL AS WHEN_CLAUSE, status AS STATUS, trigger_name AS DESCRIPTION, 'PL/SQL     ' AS ACTION_TYPE,
       body AS TRIGGER_BODY, 'NO' AS CROSSEDITION, 'NO' AS BEFORE_STATEMENT, 'NO' AS BEFORE_ROW,
       'NO' AS AFTER_ROW, 'NO' AS AFTER_STATEMENT, 'NO' AS INSTEAD_OF_ROW, 'YES' AS FIRE_ONCE,
       'NO' AS APPLY_SERVER_ONLY
FROM ocilite_triggers)sql",
       true},

      // ---- objects SQLite does not have: Oracle's columns, no rows ---------------
      {"all_clusters", R"sql(
SELECT NULL AS OWNER, NULL AS CLUSTER_NAME, NULL AS TABLESPACE_NAME, NULL AS PCT_FREE, NULL AS PCT_USED,
       NULL AS KEY_SIZE, NULL AS INI_TRANS, NULL AS MAX_TRANS, NULL AS INITIAL_EXTENT, NULL AS NEXT_EXTENT,
       NULL AS MIN_EXTENTS, NULL AS MAX_EXTENTS, NULL AS PCT_INCREASE, NULL AS FREELISTS,
       NULL AS FREELIST_GROUPS, NULL AS AVG_BLOCKS_PER_KEY, NULL AS CLUSTER_TYPE, NULL AS FUNCTION,
       NULL AS HASHKEYS, NULL AS DEGREE, NULL AS INSTANCES, NULL AS CACHE, NULL AS BUFFER_POOL,
       NULL AS SINGLE_TABLE, NULL AS DEPENDENCIES
WHERE 0)sql",
       true},
      {"all_db_links", R"sql(
SELECT NULL AS OWNER, NULL AS DB_LINK, NULL AS USERNAME, NULL AS HOST, NULL AS CREATED, NULL AS HIDDEN
WHERE 0)sql",
       true},
      {"all_mviews", R"sql(
SELECT NULL AS OWNER, NULL AS MVIEW_NAME, NULL AS CONTAINER_NAME, NULL AS QUERY, NULL AS QUERY_LEN,
       NULL AS UPDATABLE, NULL AS UPDATE_LOG, NULL AS MASTER_ROLLBACK_SEG, NULL AS MASTER_LINK,
       NULL AS REWRITE_ENABLED, NULL AS REWRITE_CAPABILITY, NULL AS REFRESH_MODE, NULL AS REFRESH_METHOD,
       NULL AS BUILD_MODE, NULL AS FAST_REFRESHABLE, NULL AS LAST_REFRESH_TYPE, NULL AS LAST_REFRESH_DATE,
       NULL AS STALENESS, NULL AS AFTER_FAST_REFRESH, NULL AS UNKNOWN_PREBUILT, NULL AS COMPILE_STATE,
       NULL AS USE_NO_INDEX
WHERE 0)sql",
       true},
      {"all_mview_comments", R"sql(
SELECT NULL AS OWNER, NULL AS MVIEW_NAME, NULL AS COMMENTS WHERE 0)sql",
       true},
      {"all_snapshots", R"sql(
SELECT NULL AS OWNER, NULL AS NAME, NULL AS TABLE_NAME, NULL AS MASTER_VIEW, NULL AS MASTER_OWNER,
       NULL AS MASTER, NULL AS MASTER_LINK, NULL AS CAN_USE_LOG, NULL AS UPDATABLE, NULL AS REFRESH_METHOD,
       NULL AS LAST_REFRESH, NULL AS ERROR, NULL AS FR_OPERATIONS, NULL AS CR_OPERATIONS, NULL AS TYPE,
       NULL AS NEXT, NULL AS START_WITH, NULL AS REFRESH_GROUP, NULL AS UPDATE_TRIG, NULL AS UPDATE_LOG,
       NULL AS QUERY, NULL AS MASTER_ROLLBACK_SEG, NULL AS STATUS, NULL AS REFRESH_MODE, NULL AS PREBUILT
WHERE 0)sql",
       true},
      {"all_snapshot_logs", R"sql(
SELECT NULL AS LOG_OWNER, NULL AS MASTER, NULL AS LOG_TABLE, NULL AS LOG_TRIGGER, NULL AS ROWIDS,
       NULL AS PRIMARY_KEY, NULL AS OBJECT_ID, NULL AS FILTER_COLUMNS, NULL AS SEQUENCE,
       NULL AS INCLUDE_NEW_VALUES, NULL AS CURRENT_SNAPSHOTS, NULL AS SNAPSHOT_ID
WHERE 0)sql",
       true},

      // ---- PL/SQL sources and directories --------------------------------------------
      {"all_source", R"sql(
WITH RECURSIVE lines(owner, name, type, line, text, rest) AS (
  SELECT owner, name, type, 0, NULL, source || char(10) FROM {CAT}.plsql
  UNION ALL
  SELECT owner, name, type, line + 1, substr(rest, 1, instr(rest, char(10))),
         substr(rest, instr(rest, char(10)) + 1)
  FROM lines WHERE rest <> '')
SELECT owner AS OWNER, name AS NAME, type AS TYPE, line AS LINE, text AS TEXT, 1 AS ORIGIN_CON_ID
FROM lines WHERE line > 0)sql",
       true},
      {"all_directories", R"sql(
SELECT 'SYS' AS OWNER, directory_name AS DIRECTORY_NAME, directory_path AS DIRECTORY_PATH, 1 AS ORIGIN_CON_ID
FROM {CAT}.directories)sql",
       true},

      // ---- NLS and DUAL ------------------------------------------------------------
      {"nls_database_parameters", R"sql(
SELECT column1 AS PARAMETER, column2 AS VALUE FROM (VALUES
  ('NLS_RDBMS_VERSION', '{RDBMS_VERSION}'), ('NLS_NCHAR_CONV_EXCP', 'FALSE'),
  ('NLS_LENGTH_SEMANTICS', 'BYTE'), ('NLS_COMP', 'BINARY'), ('NLS_DUAL_CURRENCY', '$'),
  ('NLS_TIMESTAMP_TZ_FORMAT', 'DD-MON-RR HH.MI.SSXFF AM TZR'), ('NLS_TIME_TZ_FORMAT', 'HH.MI.SSXFF AM TZR'),
  ('NLS_TIMESTAMP_FORMAT', 'DD-MON-RR HH.MI.SSXFF AM'), ('NLS_TIME_FORMAT', 'HH.MI.SSXFF AM'),
  ('NLS_SORT', 'BINARY'), ('NLS_DATE_LANGUAGE', 'AMERICAN'), ('NLS_DATE_FORMAT', 'DD-MON-RR'),
  ('NLS_CALENDAR', 'GREGORIAN'), ('NLS_NUMERIC_CHARACTERS', '.,'), ('NLS_NCHAR_CHARACTERSET', '{NCHARSET}'),
  ('NLS_CHARACTERSET', '{CHARSET}'), ('NLS_ISO_CURRENCY', 'AMERICA'), ('NLS_CURRENCY', '$'),
  ('NLS_TERRITORY', 'AMERICA'), ('NLS_LANGUAGE', 'AMERICAN')))sql",
       false},
      {"nls_session_parameters", R"sql(
SELECT PARAMETER, VALUE FROM (
  SELECT d.PARAMETER, coalesce(ocilite_nls(d.PARAMETER), d.VALUE) AS VALUE
  FROM nls_database_parameters d
  WHERE d.PARAMETER NOT IN ('NLS_RDBMS_VERSION', 'NLS_NCHAR_CHARACTERSET', 'NLS_CHARACTERSET'))
WHERE VALUE IS NOT NULL)sql",
       false},
      {"dual", "SELECT 'X' AS DUMMY", false},
  };
  return views;
}

}  // namespace ocilite::detail
