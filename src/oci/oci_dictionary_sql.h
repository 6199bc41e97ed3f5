// The fixed dictionary query texts, character for character as sent
// ("$DICT$" becomes "all_" before a text is run).
#pragma once

namespace kestrel::dict_sql {

inline constexpr char16_t kOwners[] = u"select username \nfrom all_users \norder by username \n";
inline constexpr char16_t kObjectByName[] =
    u"select object_name, object_type, '' comments \nfrom all_objects \nwhere owner = :X0 \nand object_name = :X1 "
    u"\norder by object_name";

inline constexpr char16_t kTables[] =
    u"select a.table_name, a.tablespace_name, 0 as mview_flg \nfrom $DICT$_tables a \nwhere a.owner = :X0 \norder "
    u"by table_name";
inline constexpr char16_t kTableComments[] =
    u"select b.table_name, b.comments \nfrom $DICT$_tab_comments b \nwhere b.owner = :X0 \nand b.table_type = :X1 \n";
inline constexpr char16_t kMviewComments[] =
    u"select b.mview_name table_name, b.comments \nfrom $DICT$_mview_comments b \nwhere b.owner = :X0 \n";
inline constexpr char16_t kMviews[] =
    u"select b.mview_name table_name, 1 as mview_flg \nfrom $DICT$_mviews b \nwhere b.owner = :X0 \n";
inline constexpr char16_t kViews[] =
    u"select a.view_name \nfrom $DICT$_views a \nwhere a.owner = :X0 \norder by view_name";
inline constexpr char16_t kViewComments[] =
    u"select b.table_name view_name, b.comments \nfrom $DICT$_tab_comments b \nwhere b.owner = :X0 \nand "
    u"b.table_type = :X1 \n";
inline constexpr char16_t kSynonymsLocal[] =
    u"select a.synonym_name, a.table_owner, a.table_name, a.db_link \nfrom $DICT$_synonyms a \nwhere a.owner = :X0 "
    u"\nand a.db_link is null \n";
inline constexpr char16_t kAllComments[] =
    u"select b.table_name, b.comments \nfrom $DICT$_tab_comments b \nwhere b.owner = :X0 \n";
inline constexpr char16_t kSynonymsRemote[] =
    u"select a.synonym_name, :X1 comments, a.table_owner, a.table_name, a.db_link \nfrom $DICT$_synonyms a \nwhere "
    u"a.owner = :X0 \nand a.db_link is not null \n";
inline constexpr char16_t kClusters[] =
    u"select cluster_name, cluster_type, tablespace_name \nfrom $DICT$_clusters \nwhere owner = :X0 \norder by "
    u"cluster_name";
inline constexpr char16_t kDbLinks[] =
    u"select db_link, username, host \nfrom $DICT$_db_links \nwhere owner = :X0 \norder by db_link";
inline constexpr char16_t kIndexes[] =
    u"select index_name, uniqueness, table_owner, table_name, tablespace_name \nfrom $DICT$_indexes \nwhere owner = "
    u":X0 \norder by index_name";
inline constexpr char16_t kTriggers[] =
    u"select trigger_name, table_owner, table_name, trigger_type, triggering_event, status \nfrom $DICT$_triggers "
    u"\nwhere owner = :X0 \norder by trigger_name";
inline constexpr char16_t kSnapshots[] =
    u"select name, table_name, master_view, master_owner, master,  \n\tmaster_link, last_refresh \nfrom "
    u"$DICT$_snapshots \nwhere owner = :X0 \norder by name";
inline constexpr char16_t kSnapshotLogs[] =
    u"select master, log_table, log_trigger, current_snapshots \nfrom $DICT$_snapshot_logs \nwhere log_owner = :X0 "
    u"\norder by log_table";
inline constexpr char16_t kSequences[] =
    u"select object_name, \n\t(select s.last_number from $DICT$_sequences s where s.sequence_owner = o.owner and "
    u"s.sequence_name = o.object_name) last_number, \n\tstatus, last_ddl_time, created \nfrom $DICT$_objects o "
    u"\nwhere owner = :X0 \nand object_type = :X1 \norder by object_name";
inline constexpr char16_t kOtherObjects[] =
    u"select object_name, status, last_ddl_time, created \nfrom $DICT$_objects \nwhere owner = :X0 \nand "
    u"object_type = :X1 \norder by object_name";

inline constexpr char16_t kSynonymTarget[] =
    u"select table_owner, table_name \nfrom $DICT$_synonyms \nwhere owner = :X0 \nand synonym_name = :X1 \n";
inline constexpr char16_t kPrimaryKeyByConstraint[] =
    u"select i.column_name \nfrom all_ind_columns i, all_constraints c \nwhere c.owner = i.table_owner \nand "
    u"c.table_name = i.table_name \nand c.constraint_name = i.index_name \nand c.owner = :X0 \nand c.table_name = "
    u":X1 \nand c.constraint_type = 'P' \n";
inline constexpr char16_t kPrimaryKeyByIndex[] =
    u"select i.column_name \nfrom all_ind_columns i, all_constraints c \nwhere c.owner = i.table_owner \nand "
    u"c.table_name = i.table_name \nand c.index_name = i.index_name \nand c.owner = :X0 \nand c.table_name = :X1 "
    u"\nand c.constraint_type = 'P' \n";

inline constexpr char16_t kColumnsNewest[] =
    u"select a.column_id, a.column_name, \n\tdecode(a.data_type_mod, NULL, NULL, a.data_type_mod ||  ' ') || "
    u"a.data_type as data_type, \ndecode(a.data_type_owner, NULL, \tdecode(a.data_type,  \n\t\t'NUMBER', "
    u"a.data_precision || decode(a.data_scale, 0, NULL, NULL, NULL, ',' || a.data_scale), \n\t\t'FLOAT', "
    u"a.data_precision, \n\t\t'BINARY_FLOAT', NULL, \n\t\t'BINARY_DOUBLE', NULL, \n\t\t'NVARCHAR2', "
    u"decode(a.char_used, 'C', a.char_length, a.data_length), \n\t\t'NCHAR', decode(a.char_used, 'C', "
    u"a.char_length, a.data_length), \n\t\t'VARCHAR2', decode(a.char_used, 'C', a.char_length, a.data_length), "
    u"\n\t\t'CHAR', decode(a.char_used, 'C', a.char_length, a.data_length), \n\t\t'DATE', NULL, \n\t\t'ROWID', "
    u"NULL, \n\t\t'LONG', NULL, \n\t\t'LONG RAW', NULL, \n\t\t'INTERVAL YEAR(2) TO MONTH', NULL, \n\t\t'INTERVAL "
    u"DAY(2) TO SECOND(6)', NULL, \n\t\t'BLOB', NULL, \n\t\t'CLOB', NULL, \n\t\t'NCLOB', NULL, \n\t\t'BFILE', "
    u"NULL, \n\t\ta.data_length), NULL) data_length, a.char_used, \n\ta.nullable, a.data_default, b.comments "
    u"\nfrom $DICT$_tab_columns a, $DICT$_col_comments b \nwhere a.table_name = b.table_name \nand a.column_name "
    u"= b.column_name \nand a.owner = b.owner \nand a.owner = :X0 \nand a.table_name = :X1 \norder by "
    u"a.column_id";
inline constexpr char16_t kColumnsMiddle[] =
    u"select a.column_id, a.column_name, \n\tdecode(a.data_type_mod, NULL, NULL, a.data_type_mod ||  ' ') || "
    u"a.data_type as data_type, \ndecode(a.data_type_owner, NULL, \tdecode(a.data_type,  \n\t\t'NUMBER', "
    u"a.data_precision || decode(a.data_scale, 0, NULL, NULL, NULL, ',' || a.data_scale), \n\t\t'FLOAT', "
    u"a.data_precision, \n\t\t'NVARCHAR2', a.char_col_decl_length, \n\t\t'NCHAR', a.char_col_decl_length, "
    u"\n\t\t'DATE', NULL, \n\t\t'ROWID', NULL, \n\t\t'LONG', NULL, \n\t\t'BLOB', NULL, \n\t\t'CLOB', NULL, "
    u"\n\t\t'NCLOB', NULL, \n\t\t'BFILE', NULL, \n\t\ta.data_length), NULL) data_length, \n\ta.nullable, "
    u"a.data_default, b.comments \nfrom $DICT$_tab_columns a, $DICT$_col_comments b \nwhere a.table_name = "
    u"b.table_name \nand a.column_name = b.column_name \nand a.owner = b.owner \nand a.owner = :X0 \nand "
    u"a.table_name = :X1 \norder by a.column_id";
inline constexpr char16_t kColumnsOldest[] =
    u"select a.column_id, a.column_name, a.data_type, \n\tdecode(a.data_type,  \n\t\t'NUMBER', a.data_precision || "
    u"decode(a.data_scale, 0, NULL, NULL, NULL, ',' || a.data_scale), \n\t\t'NVARCHAR2', data_length / 2, "
    u"\n\t\t'DATE', NULL, \n\t\t'ROWID', NULL, \n\t\t'LONG', NULL, \n\t\ta.data_length) data_length, "
    u"\n\ta.nullable, a.data_default, b.comments \nfrom $DICT$_tab_columns a, $DICT$_col_comments b \nwhere "
    u"a.table_name = b.table_name \nand a.column_name = b.column_name \nand a.owner = b.owner \nand a.owner = :X0 "
    u"\nand a.table_name = :X1 \norder by a.column_id";

inline constexpr char16_t kIotType[] =
    u"select iot_type \nfrom all_tables t \nwhere t.owner = :X0 \nand t.table_name = :X1 \n";
inline constexpr char16_t kAlterSession[] = u"alter session set %s = '%s'";
inline constexpr char16_t kSessionParam[] = u"select value from nls_session_parameters \nwhere parameter = :X0";
inline constexpr char16_t kSessionTimeZone[] = u"select sessiontimezone from dual";
inline constexpr char16_t kDatabaseParam[] =
    u"select value \nfrom nls_database_parameters \nwhere parameter = :X0 \n";
inline constexpr char16_t kSysdateSample[] = u"select to_char(sysdate, :X0) from dual \n";
inline constexpr char16_t kSysdate[] = u"select to_char(sysdate, :X0) from dual";

}  // namespace kestrel::dict_sql
