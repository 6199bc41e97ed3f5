// The dictionary views against known schemas, queried with the texts the
// table editor sends (those that need no dialect rewriting run on SQLite
// as they are).
#include <gtest/gtest.h>

#include <algorithm>
#include <sqlite3.h>

#include "catalog/catalog.h"
#include "support/temp_dir.h"

namespace ocilite {
namespace {

using kestrel::testing::TempDir;
using Rows = std::vector<std::vector<std::string>>;

UserOptions pw(const char* password) {
  UserOptions o;
  o.password = password;
  return o;
}
SequenceOptions seq(std::int64_t start, std::int64_t increment = 1, std::optional<std::int64_t> min = {},
                    std::optional<std::int64_t> max = {}, bool cycle = false, std::int64_t cache = 20) {
  SequenceOptions o;
  o.start_with = start;
  o.increment_by = increment;
  o.min_value = min;
  o.max_value = max;
  o.cycle = cycle;
  o.cache = cache;
  return o;
}

class DictionaryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(Catalog::create(dir.path()));
    ASSERT_FALSE(Catalog::open(dir.path(), cat));
    ASSERT_FALSE(cat->add_user("SCOTT", pw("tiger")));
    ASSERT_FALSE(cat->add_user("HR", pw("hr")));
    ASSERT_EQ(sqlite3_open(":memory:", &db), SQLITE_OK);
    ASSERT_FALSE(cat->attach_all(db, "SCOTT"));
    SessionHooks hooks;
    hooks.current_user = [this] { return user; };
    hooks.nls_parameter = [](std::string_view name) -> std::optional<std::string> {
      if (name == "NLS_DATE_FORMAT") return "YYYY-MM-DD HH24:MI:SS";
      return std::nullopt;
    };
    const auto e = install_dictionary(db, cat, hooks);
    ASSERT_FALSE(e) << e.text;
    exec(R"sql(
      CREATE TABLE SCOTT.DEPT (DEPTNO "NUMBER(2)" NOT NULL, DNAME "VARCHAR2(14 CHAR)", LOC "VARCHAR2(13)",
                               CONSTRAINT PK_DEPT PRIMARY KEY (DEPTNO));
      CREATE TABLE SCOTT.EMP (EMPNO "NUMBER(4)" NOT NULL PRIMARY KEY, ENAME "NVARCHAR2(10)",
                              SAL "NUMBER(7,2)", HIREDATE DATE, DEPTNO "NUMBER(2)" REFERENCES DEPT (DEPTNO),
                              CODE "CHAR(3)" CONSTRAINT UQ_CODE UNIQUE, NOTE "CLOB" DEFAULT 'none',
                              BONUS "NUMBER" AS (SAL * 2), CONSTRAINT CK_SAL CHECK (SAL > 0));
      CREATE TABLE SCOTT.IOT_T (K "VARCHAR2(10)" PRIMARY KEY, V NUMBER) WITHOUT ROWID;
      CREATE VIEW SCOTT.EMP_V AS SELECT EMPNO, ENAME FROM EMP;
      CREATE INDEX SCOTT.EMP_SAL ON EMP (SAL DESC);
      CREATE TABLE HR.JOBS (ID INTEGER PRIMARY KEY, TITLE "VARCHAR2(35)" UNIQUE);
    )sql");
  }
  void TearDown() override { sqlite3_close(db); }

  void exec(const char* sql) {
    char* err = nullptr;
    ASSERT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, &err), SQLITE_OK) << (err ? err : "");
  }

  Rows query(const std::string& sql, std::vector<std::string> binds = {}) {
    Rows out;
    sqlite3_stmt* s = nullptr;
    EXPECT_EQ(sqlite3_prepare_v2(db, sql.c_str(), -1, &s, nullptr), SQLITE_OK) << sqlite3_errmsg(db) << "\n" << sql;
    // Binds by name, :X0 first, as the editor binds them.
    for (size_t i = 0; i < binds.size(); ++i) {
      const int at = sqlite3_bind_parameter_index(s, (":X" + std::to_string(i)).c_str());
      sqlite3_bind_text(s, at, binds[i].c_str(), -1, SQLITE_TRANSIENT);
    }
    int rc;
    while ((rc = sqlite3_step(s)) == SQLITE_ROW) {
      std::vector<std::string> row;
      for (int c = 0; c < sqlite3_column_count(s); ++c) {
        auto t = sqlite3_column_text(s, c);
        row.push_back(t ? reinterpret_cast<const char*>(t) : "<null>");
      }
      out.push_back(std::move(row));
    }
    EXPECT_EQ(rc, SQLITE_DONE) << sqlite3_errmsg(db) << "\n" << sql;
    sqlite3_finalize(s);
    return out;
  }

  TempDir dir;
  std::shared_ptr<Catalog> cat;
  sqlite3* db = nullptr;
  std::string user = "SCOTT";
};

TEST_F(DictionaryTest, TablesShowAtOnceWithTheIotFlag) {
  const char* sql =
      "select a.table_name, a.tablespace_name, 0 as mview_flg \nfrom all_tables a \nwhere a.owner = :X0 "
      "\norder by table_name";
  EXPECT_EQ(query(sql, {"SCOTT"}), (Rows{{"DEPT", "USERS", "0"}, {"EMP", "USERS", "0"}, {"IOT_T", "<null>", "0"}}));
  exec("CREATE TABLE SCOTT.ADDED (X \"NUMBER\")");
  EXPECT_EQ(query(sql, {"SCOTT"}).front().front(), "ADDED");
  const char* iot = "select iot_type \nfrom all_tables t \nwhere t.owner = :X0 \nand t.table_name = :X1 \n";
  EXPECT_EQ(query(iot, {"SCOTT", "IOT_T"}), (Rows{{"IOT"}}));
  EXPECT_EQ(query(iot, {"SCOTT", "EMP"}), (Rows{{"<null>"}}));
  EXPECT_EQ(query("select view_name from all_views where owner = 'SCOTT'"), (Rows{{"EMP_V"}}));
  EXPECT_EQ(query("select text from all_views where owner = 'SCOTT'"), (Rows{{"SELECT EMPNO, ENAME FROM EMP"}}));
}

TEST_F(DictionaryTest, ColumnsAreDescribedAsOracleDoes) {
  auto rows = query(
      "select column_id, column_name, data_type, data_length, data_precision, data_scale, nullable, char_used, "
      "char_length, data_default, virtual_column from all_tab_cols where owner = :X0 and table_name = :X1 "
      "order by column_id",
      {"SCOTT", "EMP"});
  const Rows want = {
      {"1", "EMPNO", "NUMBER", "22", "4", "0", "N", "<null>", "0", "<null>", "NO"},
      {"2", "ENAME", "NVARCHAR2", "20", "<null>", "<null>", "Y", "C", "10", "<null>", "NO"},
      {"3", "SAL", "NUMBER", "22", "7", "2", "Y", "<null>", "0", "<null>", "NO"},
      {"4", "HIREDATE", "DATE", "7", "<null>", "<null>", "Y", "<null>", "0", "<null>", "NO"},
      {"5", "DEPTNO", "NUMBER", "22", "2", "0", "Y", "<null>", "0", "<null>", "NO"},
      {"6", "CODE", "CHAR", "3", "<null>", "<null>", "Y", "B", "3", "<null>", "NO"},
      {"7", "NOTE", "CLOB", "4000", "<null>", "<null>", "Y", "<null>", "0", "'none'", "NO"},
      {"8", "BONUS", "NUMBER", "22", "<null>", "<null>", "Y", "<null>", "0", "<null>", "YES"},
  };
  EXPECT_EQ(rows, want);
  EXPECT_EQ(query("select column_name from all_tab_cols c where c.owner = :X0 and c.table_name = :X1 and "
                  "c.virtual_column = 'YES' ",
                  {"SCOTT", "EMP"}),
            (Rows{{"BONUS"}}));
  // View columns are listed too, and every column has a comment row so that
  // the column list's join keeps them all.
  EXPECT_EQ(query("select count(*) from all_tab_columns a, all_col_comments b where a.table_name = b.table_name "
                  "and a.column_name = b.column_name and a.owner = b.owner and a.owner = :X0 and a.table_name = :X1",
                  {"SCOTT", "EMP_V"}),
            (Rows{{"2"}}));
  EXPECT_EQ(query("select data_type, char_col_decl_length, character_set_name from all_tab_columns "
                  "where owner = 'SCOTT' and table_name = 'DEPT' and column_name = 'DNAME'"),
            (Rows{{"VARCHAR2", "56", "CHAR_CS"}}));
}

TEST_F(DictionaryTest, PrimaryKeysAreFoundByBothQueries) {
  const char* by_constraint =
      "select i.column_name \nfrom all_ind_columns i, all_constraints c \nwhere c.owner = i.table_owner \nand "
      "c.table_name = i.table_name \nand c.constraint_name = i.index_name \nand c.owner = :X0 \nand c.table_name = "
      ":X1 \nand c.constraint_type = 'P' \n";
  const char* by_index =
      "select i.column_name \nfrom all_ind_columns i, all_constraints c \nwhere c.owner = i.table_owner \nand "
      "c.table_name = i.table_name \nand c.index_name = i.index_name \nand c.owner = :X0 \nand c.table_name = :X1 "
      "\nand c.constraint_type = 'P' \n";
  struct Case {
    const char *owner, *table, *column;
  } cases[] = {{"SCOTT", "DEPT", "DEPTNO"}, {"SCOTT", "EMP", "EMPNO"}, {"SCOTT", "IOT_T", "K"}, {"HR", "JOBS", "ID"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.table);
    EXPECT_EQ(query(by_constraint, {c.owner, c.table}), (Rows{{c.column}}));
    EXPECT_EQ(query(by_index, {c.owner, c.table}), (Rows{{c.column}}));
  }
}

TEST_F(DictionaryTest, ConstraintsAndIndexesCarryTheirNames) {
  auto rows = query(
      "select constraint_type, constraint_name, search_condition, r_constraint_name, index_name "
      "from all_constraints where owner = 'SCOTT' and table_name = 'EMP' order by constraint_type, "
      "search_condition");
  ASSERT_EQ(rows.size(), 5u);
  EXPECT_EQ(rows[0][0], "C");
  EXPECT_EQ(rows[0][2], "\"EMPNO\" IS NOT NULL");
  EXPECT_EQ(rows[1][1], "CK_SAL");
  EXPECT_EQ(rows[1][2], "SAL > 0");
  EXPECT_EQ(rows[2][0], "P");
  EXPECT_EQ(rows[2][1].rfind("SYS_C", 0), 0u);
  EXPECT_EQ(rows[2][4], rows[2][1]);
  EXPECT_EQ(rows[3][0], "R");
  EXPECT_EQ(rows[3][3], "PK_DEPT");
  EXPECT_EQ(rows[4], (std::vector<std::string>{"U", "UQ_CODE", "<null>", "<null>", "UQ_CODE"}));
  EXPECT_EQ(query("select index_name, index_type, uniqueness, table_name from all_indexes where owner = :X0 "
                  "and index_name not like 'SYS%' order by index_name",
                  {"SCOTT"}),
            (Rows{{"EMP_SAL", "NORMAL", "NONUNIQUE", "EMP"},
                  {"PK_DEPT", "NORMAL", "UNIQUE", "DEPT"},
                  {"UQ_CODE", "NORMAL", "UNIQUE", "EMP"}}));
  EXPECT_EQ(query("select index_type from all_indexes where table_name = 'IOT_T'"), (Rows{{"IOT - TOP"}}));
  EXPECT_EQ(query("select column_name, descend from all_ind_columns where index_name = 'EMP_SAL'"),
            (Rows{{"SAL", "DESC"}}));
}

TEST_F(DictionaryTest, CommentsSynonymsSequencesAndObjects) {
  ASSERT_FALSE(cat->set_table_comment("SCOTT", "EMP", "社員"));
  ASSERT_FALSE(cat->set_column_comment("SCOTT", "EMP", "ENAME", "氏名"));
  ASSERT_FALSE(cat->create_synonym({"SCOTT", "STAFF", "SCOTT", "EMP", ""}, false));
  ASSERT_FALSE(cat->create_synonym({"SCOTT", "FAR", "X", "Y", "REMOTE"}, false));
  ASSERT_FALSE(cat->create_sequence("SCOTT", "EMP_SEQ", seq(100)));
  ASSERT_FALSE(cat->store_plsql({"SCOTT", "RAISE", "PROCEDURE", "PROCEDURE raise IS BEGIN NULL; END;"}, false));
  ASSERT_FALSE(cat->store_plsql(
      {"SCOTT", "EMP_BI", "TRIGGER", "TRIGGER emp_bi BEFORE INSERT OR UPDATE ON emp FOR EACH ROW BEGIN NULL; END;"},
      false));
  EXPECT_EQ(query("select b.table_name, b.comments \nfrom all_tab_comments b \nwhere b.owner = :X0 \nand "
                  "b.table_type = :X1 \n order by 1",
                  {"SCOTT", "TABLE"}),
            (Rows{{"DEPT", "<null>"}, {"EMP", "社員"}, {"IOT_T", "<null>"}}));
  EXPECT_EQ(query("select comments from all_col_comments where owner = 'SCOTT' and table_name = 'EMP' and "
                  "column_name = 'ENAME'"),
            (Rows{{"氏名"}}));
  EXPECT_EQ(query("select a.synonym_name, a.table_owner, a.table_name, a.db_link \nfrom all_synonyms a \nwhere "
                  "a.owner = :X0 \nand a.db_link is null \n",
                  {"SCOTT"}),
            (Rows{{"STAFF", "SCOTT", "EMP", "<null>"}}));
  EXPECT_EQ(query("select a.synonym_name, :X1 comments, a.table_owner, a.table_name, a.db_link \nfrom all_synonyms "
                  "a \nwhere a.owner = :X0 \nand a.db_link is not null \n",
                  {"SCOTT", ""}),
            (Rows{{"FAR", "", "X", "Y", "REMOTE"}}));
  EXPECT_EQ(query("select ocilite_nextval('SCOTT', 'EMP_SEQ'), ocilite_nextval('scott', 'emp_seq'), "
                  "ocilite_currval('SCOTT', 'EMP_SEQ')"),
            (Rows{{"100", "101", "101"}}));
  EXPECT_EQ(query("select object_name, \n\t(select s.last_number from all_sequences s where s.sequence_owner = "
                  "o.owner and s.sequence_name = o.object_name) last_number, \n\tstatus \nfrom all_objects o "
                  "\nwhere owner = :X0 \nand object_type = :X1 \norder by object_name",
                  {"SCOTT", "SEQUENCE"}),
            (Rows{{"EMP_SEQ", "120", "VALID"}}));
  EXPECT_EQ(query("select object_name, status from all_objects where owner = :X0 and object_type = :X1",
                  {"SCOTT", "PROCEDURE"}),
            (Rows{{"RAISE", "INVALID"}}));
  EXPECT_EQ(query("select object_type, count(*) from all_objects where owner = 'SCOTT' group by object_type "
                  "order by 1"),
            (Rows{{"INDEX", "5"},
                  {"PROCEDURE", "1"},
                  {"SEQUENCE", "1"},
                  {"SYNONYM", "2"},
                  {"TABLE", "3"},
                  {"TRIGGER", "1"},
                  {"VIEW", "1"}}));
  EXPECT_EQ(query("select trigger_name, table_owner, table_name, trigger_type, triggering_event, status \nfrom "
                  "all_triggers \nwhere owner = :X0 \norder by trigger_name",
                  {"SCOTT"}),
            (Rows{{"EMP_BI", "SCOTT", "EMP", "BEFORE EACH ROW", "INSERT OR UPDATE", "ENABLED"}}));
  // Literal texts in the views stay as they are.
  EXPECT_EQ(query("select referencing_names from all_triggers"), (Rows{{"REFERENCING NEW AS NEW OLD AS OLD"}}));
  char* err = nullptr;
  EXPECT_NE(sqlite3_exec(db, "select ocilite_currval('SCOTT', 'OTHER')", nullptr, nullptr, &err), SQLITE_OK);
  EXPECT_STREQ(err, "ORA-08002: sequence OTHER.CURRVAL is not yet defined in this session");
  sqlite3_free(err);
}

// Bound owners and types must give the rows the same text gives with
// literals (the editor binds every dictionary filter).
TEST_F(DictionaryTest, BoundFiltersGiveTheSameRowsAsLiterals) {
  for (int i = 0; i < 30; ++i)
    exec(("CREATE TABLE SCOTT.T" + std::to_string(i) + " (A \"NUMBER\", B \"VARCHAR2(5)\")").c_str());
  ASSERT_FALSE(cat->set_table_comment("SCOTT", "T7", "seven"));
  struct Case {
    const char* bound;
    const char* literal;
    std::vector<std::string> binds;
  } cases[] = {
      {"select b.table_name, b.comments from all_tab_comments b where b.owner = :X0 and b.table_type = :X1",
       "select b.table_name, b.comments from all_tab_comments b where b.owner = 'SCOTT' and b.table_type = 'TABLE'",
       {"SCOTT", "TABLE"}},
      {"select b.table_name, b.comments from all_tab_comments b where b.owner = :X0",
       "select b.table_name, b.comments from all_tab_comments b where b.owner = 'SCOTT'", {"SCOTT"}},
      {"select distinct object_name, object_type from all_objects a where owner = :X0",
       "select distinct object_name, object_type from all_objects a where owner = 'SCOTT'", {"SCOTT"}},
      {"select distinct object_name, object_type, (select comments from all_tab_comments b where a.owner = b.owner "
       "and a.object_name = b.table_name and a.object_type = b.table_type) from all_objects a where owner = :X0",
       "select distinct object_name, object_type, (select comments from all_tab_comments b where a.owner = b.owner "
       "and a.object_name = b.table_name and a.object_type = b.table_type) from all_objects a where owner = 'SCOTT'",
       {"SCOTT"}},
      {"select distinct column_name, data_type from all_tab_columns where owner = :X0",
       "select distinct column_name, data_type from all_tab_columns where owner = 'SCOTT'", {"SCOTT"}},
  };
  for (const auto& c : cases) {
    Rows literal = query(c.literal);
    ASSERT_GT(literal.size(), 2u) << c.literal;
    std::sort(literal.begin(), literal.end());
    Rows bound = query(c.bound, c.binds);
    std::sort(bound.begin(), bound.end());
    EXPECT_EQ(bound, literal) << c.bound;
  }
}

TEST_F(DictionaryTest, AccountStatesShowInDbaUsers) {
  UserOptions soon = pw("x");
  soon.password_expires_in_days = 3;
  ASSERT_FALSE(cat->add_user("SOON", soon));
  UserOptions gone = pw("x");
  gone.password_expires_in_days = -1;
  ASSERT_FALSE(cat->add_user("GONE", gone));
  ASSERT_FALSE(cat->add_user("NOLOGIN", {}));
  EXPECT_EQ(query("select username, account_status, authentication_type from dba_users order by username"),
            (Rows{{"GONE", "EXPIRED", "PASSWORD"},
                  {"HR", "OPEN", "PASSWORD"},
                  {"NOLOGIN", "OPEN", "NONE"},
                  {"SCOTT", "OPEN", "PASSWORD"},
                  {"SOON", "EXPIRED(GRACE)", "PASSWORD"}}));
  EXPECT_EQ(query("select username, default_tablespace from user_users"), (Rows{{"SCOTT", "USERS"}}));
}

TEST_F(DictionaryTest, UserAndDbaFormsAndUsers) {
  EXPECT_EQ(query("select username \nfrom all_users \norder by username \n"), (Rows{{"HR"}, {"SCOTT"}}));
  EXPECT_EQ(query("select count(*) from user_tables"), (Rows{{"3"}}));
  EXPECT_EQ(query("select count(*) from dba_tables"), (Rows{{"4"}}));
  user = "HR";
  EXPECT_EQ(query("select table_name from user_tables"), (Rows{{"JOBS"}}));
  EXPECT_EQ(query("select username from user_users"), (Rows{{"HR"}}));
  EXPECT_EQ(query("select u.column_name, u.updatable, u.insertable, u.deletable \nfrom user_updatable_columns u "
                  "\nwhere u.owner = :X0 \nand u.table_name = :X1 \n",
                  {"SCOTT", "EMP_V"}),
            (Rows{{"EMPNO", "NO", "NO", "NO"}, {"ENAME", "NO", "NO", "NO"}}));
  EXPECT_EQ(query("select count(*) from user_updatable_columns where owner = 'SCOTT' and table_name = 'EMP' and "
                  "updatable = 'YES'"),
            (Rows{{"7"}}));  // the virtual column is not updatable
}

TEST_F(DictionaryTest, NlsParametersAndDual) {
  EXPECT_EQ(query("select value from nls_database_parameters where parameter = 'NLS_CHARACTERSET'"),
            (Rows{{"AL32UTF8"}}));
  EXPECT_EQ(query("select value \nfrom nls_database_parameters \nwhere parameter = :X0 \n", {"NLS_RDBMS_VERSION"}),
            (Rows{{kRdbmsVersion}}));
  EXPECT_EQ(query("select value from nls_session_parameters \nwhere parameter = :X0", {"NLS_DATE_FORMAT"}),
            (Rows{{"YYYY-MM-DD HH24:MI:SS"}}));
  EXPECT_EQ(query("select value from nls_session_parameters \nwhere parameter = :X0", {"NLS_TIMESTAMP_FORMAT"}),
            (Rows{{"DD-MON-RR HH.MI.SSXFF AM"}}));
  EXPECT_EQ(query("select * from dual"), (Rows{{"X"}}));
  EXPECT_EQ(query("select ocilite_user() from dual"), (Rows{{"SCOTT"}}));
}

TEST_F(DictionaryTest, ViewsOfObjectsSqliteLacksAreEmptyWithOraclesColumns) {
  const char* texts[] = {
      "select cluster_name, cluster_type, tablespace_name \nfrom all_clusters \nwhere owner = :X0 \norder by "
      "cluster_name",
      "select db_link, username, host \nfrom all_db_links \nwhere owner = :X0 \norder by db_link",
      "select name, table_name, master_view, master_owner, master,  \n\tmaster_link, last_refresh \nfrom "
      "all_snapshots \nwhere owner = :X0 \norder by name",
      "select master, log_table, log_trigger, current_snapshots \nfrom all_snapshot_logs \nwhere log_owner = :X0 "
      "\norder by log_table",
      "select b.mview_name table_name, b.comments \nfrom all_mview_comments b \nwhere b.owner = :X0 \n",
      "select b.mview_name table_name, 1 as mview_flg \nfrom all_mviews b \nwhere b.owner = :X0 \n",
  };
  for (const char* t : texts) EXPECT_TRUE(query(t, {"SCOTT"}).empty()) << t;
}

TEST_F(DictionaryTest, ReinstallingAfterANewSchemaSeesIt) {
  ASSERT_FALSE(cat->add_user("NEWBIE", pw("x")));
  ASSERT_FALSE(cat->attach_all(db, "SCOTT"));
  ASSERT_FALSE(install_dictionary(db, cat, {}));
  exec("CREATE TABLE NEWBIE.T (A \"VARCHAR2(1)\")");
  EXPECT_EQ(query("select owner, table_name from all_tables where owner = 'NEWBIE'"), (Rows{{"NEWBIE", "T"}}));
  EXPECT_EQ(query("select count(*) from user_tables"), (Rows{{"0"}}));  // no current user without hooks
}

}  // namespace
}  // namespace ocilite
