// Every SQL text the Kestrel client sends, run exactly as it sends it, with
// the rows Oracle gives for the same schema.
#include <gtest/gtest.h>

#include <algorithm>

#include "engine_fixture.h"

namespace ocilite::testing {
namespace {

class KestrelSqlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    s = db.login();
    for (const char* sql : {
             "create table dept (deptno number(2) constraint pk_dept primary key, dname varchar2(14 char), loc varchar2(13))",
             "create table emp (empno number(4) constraint pk_emp primary key, ename varchar2(10) not null, "
             "job varchar2(9), hiredate date, sal number(7,2), comm number(7,2), deptno number(2) references dept)",
             "create unique index emp_ename_uk on emp (ename)",
             "create table codes (code varchar2(10) primary key, label nvarchar2(20)) organization index",
             "create view emp_v as select empno, ename from emp",
             "create synonym staff for emp",
             "create sequence emp_seq start with 8000",
             "comment on table emp is '従業員'",
             "comment on column emp.ename is 'Name'",
             "insert into dept values (10, '経理', 'NEW YORK')",
             "insert into dept values (20, 'RESEARCH', 'DALLAS')",
             "insert into emp values (7369, 'SMITH', 'CLERK', date '1980-12-17', 800, null, 20)",
             "insert into emp values (7499, 'ALLEN', 'SALESMAN', date '1981-02-20', 1600.5, 300, 10)",
             "insert into codes values ('A', 'Alpha')",
             "create table pair (a number, b number, c varchar2(5), constraint pk_pair primary key (b, a))",
             "create table \"Mixed Case\" (\"Col 1\" number primary key)",
             "comment on table \"Mixed Case\" is 'it''s mixed'",
             "comment on column \"Mixed Case\".\"Col 1\" is 'first'",
             "commit"})
      exec(*s, sql);
  }
  static std::string dict(std::string sql) {
    for (size_t p = sql.find("$DICT$"); p != std::string::npos; p = sql.find("$DICT$")) sql.replace(p, 6, "all");
    return sql;
  }
  EngineDb db;
  std::unique_ptr<Session> s;
};

TEST_F(KestrelSqlTest, StartUpAndLogin) {
  Result r = run(*s, "select user from dual \n");
  ASSERT_FALSE(r.error) << r.error.text;
  EXPECT_EQ(r.columns, (std::vector<std::string>{"USER"}));
  EXPECT_EQ(r.rows, (Rows{{"SCOTT"}}));
  exec(*s, "alter session set NLS_DATE_FORMAT = 'YYYY-MM-DD HH24:MI:SS'");
  exec(*s, "alter session set NLS_TIMESTAMP_FORMAT = 'YYYY-MM-DD HH24:MI:SS.FF'");
  exec(*s, "alter session set TIME_ZONE = '+09:00'");
  EXPECT_EQ(query(*s, "select sessiontimezone from dual"), (Rows{{"+09:00"}}));
  EXPECT_EQ(query(*s, "select value from nls_database_parameters where parameter = 'NLS_CHARACTERSET'"), (Rows{{"AL32UTF8"}}));
  EXPECT_EQ(query(*s, "select value from nls_session_parameters \nwhere parameter = :X0", {"NLS_DATE_FORMAT"}),
            (Rows{{"YYYY-MM-DD HH24:MI:SS"}}));
  EXPECT_EQ(query(*s, "select value \nfrom nls_database_parameters \nwhere parameter = :X0 \n", {"NLS_RDBMS_VERSION"}),
            (Rows{{"19.0.0.0.0"}}));
  Rows today = query(*s, "select to_char(sysdate, :X0) from dual \n", {"YYYY-MM-DD"});
  ASSERT_EQ(today.size(), 1u);
  EXPECT_EQ(today[0][0].size(), 10u);
  EXPECT_EQ(query(*s, "select to_char(sysdate, :X0) from dual", {"YYYY"}).size(), 1u);
}

TEST_F(KestrelSqlTest, GridQueries) {
  exec(*s, "alter session set NLS_DATE_FORMAT = 'YYYY-MM-DD HH24:MI:SS'");
  Result r = run(*s, "select \"EMPNO\", \"ENAME\", \"HIREDATE\", \"SAL\", rowid \nfrom \"SCOTT\".\"EMP\" A \nwhere sal > 1000 order by empno");
  ASSERT_FALSE(r.error) << r.error.text;
  EXPECT_EQ(r.columns, (std::vector<std::string>{"EMPNO", "ENAME", "HIREDATE", "SAL", "ROWID"}));
  ASSERT_EQ(r.rows.size(), 1u);
  EXPECT_EQ(r.rows[0][2], "1981-02-20 00:00:00");
  EXPECT_EQ(r.rows[0][3], "1600.5");
  EXPECT_EQ(r.rows[0][4].size(), 18u);
  r = run(*s, "select \"CODE\", 'X' as \"ROWID\" , \"LABEL\" \nfrom \"SCOTT\".\"CODES\"  \n");
  ASSERT_FALSE(r.error) << r.error.text;
  EXPECT_EQ(r.columns, (std::vector<std::string>{"CODE", "ROWID", "LABEL"}));
  EXPECT_EQ(r.rows, (Rows{{"A", "X", "Alpha"}}));
  r = run(*s, "SELECT ROWID, A.* FROM SCOTT.EMP A");
  ASSERT_FALSE(r.error) << r.error.text;
  EXPECT_EQ(r.columns.front(), "ROWID");
  EXPECT_EQ(r.columns.size(), 8u);
  r = run(*s, "select a.\"ENAME\", rowid \nfrom \"SCOTT\".\"EMP_V\" a \nwhere a.empno = 7369");
  ASSERT_FALSE(r.error) << r.error.text;
  EXPECT_EQ(r.rows, (Rows{{"SMITH", "<null>"}}));
  r = run(*s, "SELECT A.* FROM STAFF A");
  ASSERT_FALSE(r.error) << r.error.text;
  EXPECT_EQ(r.rows.size(), 2u);
  EXPECT_EQ(query(*s, "select username \nfrom all_users \norder by username \n"), (Rows{{"HR"}, {"SCOTT"}}));
  EXPECT_EQ(query(*s, "select object_name, object_type, '' comments \nfrom all_objects \nwhere owner = :X0 \nand object_name = :X1 \norder by object_name",
                  {"SCOTT", "EMP"}),
            (Rows{{"EMP", "TABLE", "<null>"}}));
}

TEST_F(KestrelSqlTest, UserConditions) {
  struct Case {
    const char* where;
    size_t rows;
  } cases[] = {
      {"where upper(ename) like 'S%'", 1},
      {"where substr(ename, 1, 2) = 'AL'", 1},
      {"where instr(ename, 'LL') > 0", 1},
      {"where to_char(hiredate, 'YYYY') = '1980'", 1},
      {"where hiredate < to_date('1981-01-01', 'YYYY-MM-DD')", 1},
      {"where to_number('800') = sal", 1},
      {"where trunc(sal) = 1600", 1},
      {"where nvl(comm, 0) = 0", 1},
      {"where decode(deptno, 10, 'A', 'B') = 'A'", 1},
      {"where sal between 700 and 900", 1},
      {"where deptno in (10, 30)", 1},
      {"where deptno in (select deptno from dept where loc = 'DALLAS')", 1},
      {"where exists (select 1 from dept d where d.deptno = a.deptno)", 2},
      {"where rownum <= 1", 1},
      {"where hiredate < sysdate", 2},
      {"where ename || job = 'SMITHCLERK'", 1},
      {"where ename like 's%'", 0},
      {"order by sal desc", 2},
  };
  for (const auto& c : cases) {
    std::string sql = std::string("select empno from \"SCOTT\".\"EMP\" a \n") + c.where;
    Result r = run(*s, sql);
    EXPECT_FALSE(r.error) << sql << "\n" << r.error.text;
    EXPECT_EQ(r.rows.size(), c.rows) << sql;
  }
  Result bad = run(*s, "select empno from \"SCOTT\".\"EMP\" a \nwhere bogus = 1");
  EXPECT_EQ(bad.error.code, 904);
}

TEST_F(KestrelSqlTest, DictionaryQueries) {
  const std::string owner = "SCOTT";
  struct Case {
    std::string sql;
    std::vector<std::string> binds;
    Rows expected;  // empty: only must run
  } cases[] = {
      {"select a.table_name, a.tablespace_name, 0 as mview_flg \nfrom $DICT$_tables a \nwhere a.owner = :X0 \norder by table_name", {owner}, {}},
      {"select b.table_name, b.comments \nfrom $DICT$_tab_comments b \nwhere b.owner = :X0 \nand b.table_type = :X1 \n", {owner, "TABLE"}, {}},
      {"select b.mview_name table_name, b.comments \nfrom $DICT$_mview_comments b \nwhere b.owner = :X0 \n", {owner}, {}},
      {"select b.mview_name table_name, 1 as mview_flg \nfrom $DICT$_mviews b \nwhere b.owner = :X0 \n", {owner}, {}},
      {"select a.view_name \nfrom $DICT$_views a \nwhere a.owner = :X0 \norder by view_name", {owner}, {{"EMP_V"}}},
      {"select b.table_name view_name, b.comments \nfrom $DICT$_tab_comments b \nwhere b.owner = :X0 \nand b.table_type = :X1 \n", {owner, "VIEW"}, {}},
      {"select a.synonym_name, a.table_owner, a.table_name, a.db_link \nfrom $DICT$_synonyms a \nwhere a.owner = :X0 \nand a.db_link is null \n", {owner}, {{"STAFF", "SCOTT", "EMP", "<null>"}}},
      {"select b.table_name, b.comments \nfrom $DICT$_tab_comments b \nwhere b.owner = :X0 \n", {owner}, {}},
      {"select a.synonym_name, :X1 comments, a.table_owner, a.table_name, a.db_link \nfrom $DICT$_synonyms a \nwhere a.owner = :X0 \nand a.db_link is not null \n", {owner, ""}, {}},
      {"select cluster_name, cluster_type, tablespace_name \nfrom $DICT$_clusters \nwhere owner = :X0 \norder by cluster_name", {owner}, {}},
      {"select db_link, username, host \nfrom $DICT$_db_links \nwhere owner = :X0 \norder by db_link", {owner}, {}},
      {"select index_name, uniqueness, table_owner, table_name, tablespace_name \nfrom $DICT$_indexes \nwhere owner = :X0 \norder by index_name", {owner}, {}},
      {"select trigger_name, table_owner, table_name, trigger_type, triggering_event, status \nfrom $DICT$_triggers \nwhere owner = :X0 \norder by trigger_name", {owner}, {}},
      {"select name, table_name, master_view, master_owner, master,  \n\tmaster_link, last_refresh \nfrom $DICT$_snapshots \nwhere owner = :X0 \norder by name", {owner}, {}},
      {"select master, log_table, log_trigger, current_snapshots \nfrom $DICT$_snapshot_logs \nwhere log_owner = :X0 \norder by log_table", {owner}, {}},
      {"select object_name, \n\t(select s.last_number from $DICT$_sequences s where s.sequence_owner = o.owner and s.sequence_name = o.object_name) last_number, \n\tstatus, last_ddl_time, created \nfrom $DICT$_objects o \nwhere owner = :X0 \nand object_type = :X1 \norder by object_name", {owner, "SEQUENCE"}, {}},
      {"select object_name, status, last_ddl_time, created \nfrom $DICT$_objects \nwhere owner = :X0 \nand object_type = :X1 \norder by object_name", {owner, "VIEW"}, {}},
      {"select table_owner, table_name \nfrom $DICT$_synonyms \nwhere owner = :X0 \nand synonym_name = :X1 \n", {owner, "STAFF"}, {{"SCOTT", "EMP"}}},
      {"select i.column_name \nfrom all_ind_columns i, all_constraints c \nwhere c.owner = i.table_owner \nand c.table_name = i.table_name \nand c.constraint_name = i.index_name \nand c.owner = :X0 \nand c.table_name = :X1 \nand c.constraint_type = 'P' \n", {owner, "EMP"}, {}},
      {"select i.column_name \nfrom all_ind_columns i, all_constraints c \nwhere c.owner = i.table_owner \nand c.table_name = i.table_name \nand c.index_name = i.index_name \nand c.owner = :X0 \nand c.table_name = :X1 \nand c.constraint_type = 'P' \n", {owner, "EMP"}, {}},
      {"select iot_type \nfrom all_tables t \nwhere t.owner = :X0 \nand t.table_name = :X1 \n", {owner, "CODES"}, {{"IOT"}}},
      {"select iot_type \nfrom all_tables t \nwhere t.owner = :X0 \nand t.table_name = :X1 \n", {owner, "EMP"}, {{"<null>"}}},
      {"select column_name from all_tab_cols c where c.owner = :X0 and c.table_name = :X1 and c.virtual_column = 'YES' ", {owner, "EMP"}, {}},
      {"select u.column_name, u.updatable, u.insertable, u.deletable \nfrom user_updatable_columns u \nwhere u.owner = :X0 \nand u.table_name = :X1 \n", {owner, "EMP"}, {}},
      {"select distinct object_name, object_name as org_object_name, \n\tobject_type \nfrom $DICT$_objects a where owner = :X0", {owner}, {}},
      {"select distinct object_name, object_name as org_object_name, \n\tobject_type \n, (select comments from $DICT$_tab_comments b where a.owner = b.owner and a.object_name = b.table_name and a.object_type = b.table_type) as comments \nfrom $DICT$_objects a where owner = :X0", {owner}, {}},
      {"select distinct object_name, object_name as org_object_name, \n\tobject_type \n, '' as comments \nfrom $DICT$_objects a where owner = :X0", {owner}, {}},
      {"select distinct column_name, column_name as org_column_name, data_type \nfrom $DICT$_tab_columns \nwhere owner = :X0", {owner}, {}},
  };
  for (const auto& c : cases) {
    std::string sql = dict(c.sql);
    Result r = run(*s, sql, c.binds);
    EXPECT_FALSE(r.error) << sql << "\n" << r.error.text;
    if (!c.expected.empty()) {
      EXPECT_EQ(r.rows, c.expected) << sql;
    }
  }
  // A composite key comes back in key order, not column order.
  for (const std::string& sql : {cases[18].sql, cases[19].sql}) {
    EXPECT_EQ(query(*s, sql, {owner, "PAIR"}), (Rows{{"B"}, {"A"}})) << sql;
    EXPECT_EQ(query(*s, sql, {owner, "EMP"}), (Rows{{"EMPNO"}})) << sql;
  }
  // Comments with both filters bound, names in their exact case.
  Rows comments = query(*s, dict(cases[1].sql), {owner, "TABLE"});
  std::sort(comments.begin(), comments.end());
  EXPECT_EQ(comments, (Rows{{"CODES", "<null>"}, {"DEPT", "<null>"}, {"EMP", "従業員"},
                            {"Mixed Case", "it's mixed"}, {"PAIR", "<null>"}}));
  EXPECT_EQ(query(*s, "select comments from all_col_comments where owner = :1 and table_name = :2",
                  {owner, "Mixed Case"}),
            (Rows{{"first"}}));
}

TEST_F(KestrelSqlTest, ColumnListQueries) {
  const char* forms[] = {
      "select a.column_id, a.column_name, \n\tdecode(a.data_type_mod, NULL, NULL, a.data_type_mod ||  ' ') || a.data_type as data_type, \ndecode(a.data_type_owner, NULL, \tdecode(a.data_type,  \n\t\t'NUMBER', a.data_precision || decode(a.data_scale, 0, NULL, NULL, NULL, ',' || a.data_scale), \n\t\t'FLOAT', a.data_precision, \n\t\t'BINARY_FLOAT', NULL, \n\t\t'BINARY_DOUBLE', NULL, \n\t\t'NVARCHAR2', decode(a.char_used, 'C', a.char_length, a.data_length), \n\t\t'NCHAR', decode(a.char_used, 'C', a.char_length, a.data_length), \n\t\t'VARCHAR2', decode(a.char_used, 'C', a.char_length, a.data_length), \n\t\t'CHAR', decode(a.char_used, 'C', a.char_length, a.data_length), \n\t\t'DATE', NULL, \n\t\t'ROWID', NULL, \n\t\t'LONG', NULL, \n\t\t'LONG RAW', NULL, \n\t\t'INTERVAL YEAR(2) TO MONTH', NULL, \n\t\t'INTERVAL DAY(2) TO SECOND(6)', NULL, \n\t\t'BLOB', NULL, \n\t\t'CLOB', NULL, \n\t\t'NCLOB', NULL, \n\t\t'BFILE', NULL, \n\t\ta.data_length), NULL) data_length, a.char_used, \n\ta.nullable, a.data_default, b.comments \nfrom $DICT$_tab_columns a, $DICT$_col_comments b \nwhere a.table_name = b.table_name \nand a.column_name = b.column_name \nand a.owner = b.owner \nand a.owner = :X0 \nand a.table_name = :X1 \norder by a.column_id",
      "select a.column_id, a.column_name, \n\tdecode(a.data_type_mod, NULL, NULL, a.data_type_mod ||  ' ') || a.data_type as data_type, \ndecode(a.data_type_owner, NULL, \tdecode(a.data_type,  \n\t\t'NUMBER', a.data_precision || decode(a.data_scale, 0, NULL, NULL, NULL, ',' || a.data_scale), \n\t\t'FLOAT', a.data_precision, \n\t\t'NVARCHAR2', a.char_col_decl_length, \n\t\t'NCHAR', a.char_col_decl_length, \n\t\t'DATE', NULL, \n\t\t'ROWID', NULL, \n\t\t'LONG', NULL, \n\t\t'BLOB', NULL, \n\t\t'CLOB', NULL, \n\t\t'NCLOB', NULL, \n\t\t'BFILE', NULL, \n\t\ta.data_length), NULL) data_length, \n\ta.nullable, a.data_default, b.comments \nfrom $DICT$_tab_columns a, $DICT$_col_comments b \nwhere a.table_name = b.table_name \nand a.column_name = b.column_name \nand a.owner = b.owner \nand a.owner = :X0 \nand a.table_name = :X1 \norder by a.column_id",
      "select a.column_id, a.column_name, a.data_type, \n\tdecode(a.data_type,  \n\t\t'NUMBER', a.data_precision || decode(a.data_scale, 0, NULL, NULL, NULL, ',' || a.data_scale), \n\t\t'NVARCHAR2', data_length / 2, \n\t\t'DATE', NULL, \n\t\t'ROWID', NULL, \n\t\t'LONG', NULL, \n\t\ta.data_length) data_length, \n\ta.nullable, a.data_default, b.comments \nfrom $DICT$_tab_columns a, $DICT$_col_comments b \nwhere a.table_name = b.table_name \nand a.column_name = b.column_name \nand a.owner = b.owner \nand a.owner = :X0 \nand a.table_name = :X1 \norder by a.column_id",
  };
  for (const char* form : forms) {
    Result r = run(*s, dict(form), {"SCOTT", "EMP"});
    ASSERT_FALSE(r.error) << r.error.text;
    ASSERT_EQ(r.rows.size(), 7u);
    EXPECT_EQ(r.columns[0], "COLUMN_ID");
    EXPECT_EQ(r.columns[2], "DATA_TYPE");
    EXPECT_EQ(r.columns[3], "DATA_LENGTH");
    EXPECT_EQ(r.rows[0][1], "EMPNO");
    EXPECT_EQ(r.rows[0][2], "NUMBER");
    EXPECT_EQ(r.rows[0][3], "4");
    EXPECT_EQ(r.rows[1][1], "ENAME");
    EXPECT_EQ(r.rows[1][3], "10");
    EXPECT_EQ(r.rows[4][3], "7,2");  // SAL
    EXPECT_EQ(r.rows[1].back(), "Name");
  }
}

TEST_F(KestrelSqlTest, SavingEdits) {
  exec(*s, "savepoint tern_p1");
  Rows ids = query(*s, "select rowid from \"SCOTT\".\"EMP\" order by empno");
  ASSERT_EQ(ids.size(), 2u);
  exec(*s, "update \"SCOTT\".\"EMP\" \nset \"JOB\" = :X0 \nwhere \"ROWID\" = :X1", {"MANAGER", ids[0][0]});
  exec(*s, "update \"SCOTT\".\"EMP\" \nset \"COMM\" = '' \nwhere rowid = :X0 \n", {ids[1][0]});
  exec(*s, "update \"SCOTT\".\"EMP\" \nset \"SAL\" = 123.45 \nwhere rowid = :X0 \n", {ids[1][0]});
  EXPECT_EQ(query(*s, "select job, comm, sal from emp order by empno"), (Rows{{"MANAGER", "<null>", "800"}, {"SALESMAN", "<null>", "123.45"}}));
  Rows locked = query(*s, "select \"ENAME\" from \"SCOTT\".\"EMP\" where rowid = :X0 \nfor update", {ids[0][0]});
  EXPECT_EQ(locked, (Rows{{"SMITH"}}));
  exec(*s, "delete from \"SCOTT\".\"EMP\" \nwhere \"ROWID\" = :X0", {ids[0][0]});
  EXPECT_EQ(query(*s, "select count(*) from emp"), (Rows{{"1"}}));
  exec(*s, "rollback to tern_p1");
  EXPECT_EQ(query(*s, "select count(*), max(job) from emp"), (Rows{{"2", "SALESMAN"}}));
  Result r = run(*s, "insert into \"SCOTT\".\"EMP\" (\"EMPNO\", \"ENAME\") values (:X0, :X1) returning rowid into :rid", {"1", "NEW"});
  EXPECT_FALSE(r.error) << r.error.text;
  EXPECT_EQ(query(*s, "select emp_seq.nextval, emp_seq.currval from dual"), (Rows{{"8000", "8000"}}));
}

}  // namespace
}  // namespace ocilite::testing
