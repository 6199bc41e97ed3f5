// Dictionary queries as real round trips: a fresh database per test with a
// small schema (keys, an index-organised table, a view, synonyms, comments,
// a sequence, a trigger and names that need quoting), queried only through
// the Oracle layer.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "oci/oci_codes.h"
#include "oci/oci_dictionary.h"
#include "oci/oci_dictionary_sql.h"
#include "oci_test_support.h"
#include "platform/utf16.h"
#include "support/shell_quote.h"

namespace kestrel {
namespace {

using testing::TempDir;

using kestrel::testing::shell_quote;

constexpr char kSchema[] = R"(WHENEVER SQLERROR EXIT FAILURE
CREATE TABLE dept (deptno NUMBER(2) CONSTRAINT pk_dept PRIMARY KEY, dname VARCHAR2(14 CHAR) NOT NULL, loc VARCHAR2(13));
CREATE TABLE emp (empno NUMBER(4) CONSTRAINT pk_emp PRIMARY KEY, ename VARCHAR2(20 CHAR), sal NUMBER(7,2), hiredate DATE, deptno NUMBER(2));
CREATE TABLE grade_iot (grade NUMBER CONSTRAINT pk_grade PRIMARY KEY, losal NUMBER(7,2)) ORGANIZATION INDEX;
CREATE TABLE pair_key (b_part VARCHAR2(5), a_part NUMBER, note CLOB, CONSTRAINT pk_pair PRIMARY KEY (b_part, a_part));
CREATE TABLE no_key (x NUMBER);
CREATE TABLE "Mixed Case" ("Col 1" NUMBER CONSTRAINT "Pk m" PRIMARY KEY);
CREATE TABLE 社員表 (社員番号 NUMBER(4) CONSTRAINT 社員表_pk PRIMARY KEY, 氏名 VARCHAR2(20));
CREATE INDEX emp_deptno_ix ON emp (deptno);
CREATE VIEW emp_v AS SELECT empno, ename FROM emp;
CREATE SYNONYM staff FOR emp;
CREATE SEQUENCE emp_seq START WITH 8000;
CREATE TRIGGER emp_trg BEFORE INSERT ON emp FOR EACH ROW BEGIN NULL; END;
/
COMMENT ON TABLE dept IS '部署';
COMMENT ON TABLE emp IS '社員';
COMMENT ON TABLE emp_v IS '社員ビュー';
COMMENT ON TABLE "Mixed Case" IS 'it''s mixed';
COMMENT ON TABLE 社員表 IS '日本語の表';
COMMENT ON COLUMN dept.dname IS '部署名';
)";

class OciDictionaryTest : public testing::OciProcessTest {
 protected:
  void SetUp() override {
    testing::OciProcessTest::SetUp();
    oci_reset_dictionary_state();
    if (testing::ocilite_library().empty() || testing::ocilite_tool().empty())
      GTEST_SKIP() << "the stand-in client library or its tool is not built";
    db_ = tmp_.path() / "db";
    const std::string dir = shell_quote(db_.string());
    ASSERT_TRUE(tool("create " + dir));
    ASSERT_TRUE(tool("user add " + dir + " SCOTT TIGER"));
    ASSERT_TRUE(tool("user add " + dir + " NOBODY NOBODY"));
    ASSERT_TRUE(tool("sql " + dir + " SCOTT/TIGER", kSchema)) << log();
    setenv("NLS_LANG", "JAPANESE_JAPAN.AL32UTF8", 1);
    ASSERT_EQ(oci_load_library_file(testing::ocilite_library(), nullptr), kOciOk);
    log_ = tmp_.path() / "oci.log";
    ASSERT_EQ(oci_login2(&s_, u"SCOTT", u"TIGER", utf8_to_utf16(db_.string()), utf8_to_utf16(log_.string()),
                         kLoginNormal, OciMsgBuf(msg_),
                         nullptr),
              kOciOk)
        << utf16_to_utf8(msg_);
  }
  void TearDown() override {
    if (s_) oci_ora_logout(&s_);
    oci_reset_dictionary_state();
    testing::OciProcessTest::TearDown();
  }

  bool tool(const std::string& args, const std::string& input = "") {
    std::string cmd = shell_quote(testing::ocilite_tool().string()) + " " + args;
    if (!input.empty()) cmd += " < " + shell_quote(tmp_.write("input.sql", input).string());
    cmd += " > " + shell_quote((tmp_.path() / "tool.log").string()) + " 2>&1";
    return std::system(cmd.c_str()) == 0;
  }
  std::string log() const {
    std::string text;
    if (FILE* f = std::fopen((tmp_.path() / "tool.log").c_str(), "rb")) {
      char buf[4096];
      std::size_t n;
      while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) text.append(buf, n);
      std::fclose(f);
    }
    return text;
  }
  void exec(std::u16string_view sql) {
    ASSERT_EQ(oci_execute_sql(s_, sql, OciMsgBuf(msg_)), kOciOk) << utf16_to_utf8(msg_);
  }
  std::string message() const { return utf16_to_utf8(msg_); }
  // The table comments query, bound as sent, against its own result with
  // the type written in: the same rows unless the stand-in loses some.
  int failed_selects() const {
    std::string text;
    if (FILE* f = std::fopen(log_.c_str(), "rb")) {
      char buf[4096];
      std::size_t n;
      while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) text.append(buf, n);
      std::fclose(f);
    }
    int count = 0;
    for (std::size_t at = 0; (at = text.find("error in oci_cre_sel_cursor", at)) != std::string::npos; ++at) ++count;
    return count;
  }

  TempDir tmp_;
  std::filesystem::path db_;
  std::filesystem::path log_;
  OciSession* s_ = nullptr;
  char16_t msg_[2048] = {};
};

std::vector<std::u16string> column(const OciDataset& ds, std::u16string_view name) {
  std::vector<std::u16string> out;
  int c = oci_find_column(&ds, name);
  if (c < 0) return out;
  for (int32_t r = 0; r < ds.row_count; ++r) out.emplace_back(ds.text_view(r, c));
  return out;
}

// name -> other column's value.
std::map<std::u16string, std::u16string> by_name(const OciDataset& ds, std::u16string_view key,
                                                 std::u16string_view value) {
  std::map<std::u16string, std::u16string> out;
  int k = oci_find_column(&ds, key), v = oci_find_column(&ds, value);
  for (int32_t r = 0; k >= 0 && v >= 0 && r < ds.row_count; ++r)
    out[std::u16string(ds.text_view(r, k))] = std::u16string(ds.text_view(r, v));
  return out;
}

std::vector<std::u16string> names(const OciDataset& ds) {
  std::vector<std::u16string> out;
  for (int32_t r = 0; r < ds.row_count; ++r) out.emplace_back(ds.text_view(r, 0));
  return out;
}

TEST(OciDictSql, EveryPlaceholderBecomesAllAndFixedViewsStay) {
  EXPECT_EQ(oci_dict_sql(u"select * from $DICT$_tables, $DICT$_views"), u"select * from all_tables, all_views");
  EXPECT_EQ(oci_dict_sql(dict_sql::kIotType), dict_sql::kIotType);
  EXPECT_EQ(oci_dict_sql(u"$DICT$"), u"all_");
  EXPECT_EQ(oci_dict_sql(u"x $DICT$_mviews b"), u"x all_mviews b");
  EXPECT_EQ(oci_dict_sql(u"$DICT"), u"$DICT");
  const std::u16string seq = oci_dict_sql(dict_sql::kSequences);
  EXPECT_EQ(seq.find(u"$DICT$"), std::u16string::npos);
  EXPECT_NE(seq.find(u"from all_sequences s"), std::u16string::npos);
  EXPECT_NE(seq.find(u"from all_objects o"), std::u16string::npos);
}

TEST_F(OciDictionaryTest, TableListJoinsCommentsAndMviewFlags) {
  OciDataset ds;
  ASSERT_EQ(oci_get_object_list(s_, u"SCOTT", u"TABLE", &ds, OciMsgBuf(msg_)), kOciOk) << message();
  ASSERT_EQ(ds.col_count, 4);
  EXPECT_EQ(ds.cols[0].wname, u"TABLE_NAME");
  EXPECT_EQ(ds.cols[1].wname, u"COMMENTS");
  EXPECT_EQ(ds.cols[2].wname, u"TABLESPACE_NAME");
  EXPECT_EQ(ds.cols[3].wname, u"MVIEW_FLG");
  EXPECT_EQ(column(ds, u"TABLE_NAME"), (std::vector<std::u16string>{u"DEPT", u"EMP", u"GRADE_IOT", u"Mixed Case",
                                                                      u"NO_KEY", u"PAIR_KEY", u"社員表"}));
  for (const auto& [name, flag] : by_name(ds, u"TABLE_NAME", u"MVIEW_FLG")) EXPECT_EQ(flag, u"0") << utf16_to_utf8(name);
  // The materialised-view views exist here: the flag stays down.
  EXPECT_FALSE(oci_dictionary_state().mview_unavailable);

  auto comments = by_name(ds, u"TABLE_NAME", u"COMMENTS");
  EXPECT_EQ(comments[u"DEPT"], u"部署");
  EXPECT_EQ(comments[u"Mixed Case"], u"it's mixed");
  EXPECT_EQ(comments[u"社員表"], u"日本語の表");
  EXPECT_EQ(comments[u"NO_KEY"], u"");
}

TEST_F(OciDictionaryTest, ServerWithoutMviewViewsStillListsTablesAndStopsAsking) {
  // A schema object of that name hides the dictionary view: the query fails
  // as it does on a server that has none.
  exec(u"create view all_mviews as select 1 as x from dual");
  OciDataset ds;
  ASSERT_EQ(oci_get_object_list(s_, u"SCOTT", u"TABLE", &ds, OciMsgBuf(msg_)), kOciOk) << message();
  EXPECT_EQ(ds.row_count, 7);
  EXPECT_TRUE(oci_dictionary_state().mview_unavailable);
  const int failures = failed_selects();
  EXPECT_GE(failures, 1);
  ASSERT_EQ(oci_get_object_list(s_, u"SCOTT", kObjectTypeCombined, &ds, OciMsgBuf(msg_)), kOciOk) << message();
  EXPECT_EQ(failed_selects(), failures);  // not tried again
  EXPECT_EQ(by_name(ds, u"OBJECT_NAME", u"OBJECT_TYPE")[u"DEPT"], u"TABLE");
}

TEST_F(OciDictionaryTest, ColumnFormsThatFailAreMarkedAndTheLastOneDecides) {
  exec(u"create view all_tab_columns as select 1 as x from dual");
  OciDataset ds;
  EXPECT_EQ(oci_get_column_list(s_, u"SCOTT", u"DEPT", &ds, OciMsgBuf(msg_)), kOciOracleError);
  EXPECT_NE(message().find("ORA-"), std::string::npos);
  EXPECT_TRUE(oci_dictionary_state().column_form_failed[0]);
  EXPECT_TRUE(oci_dictionary_state().column_form_failed[1]);
  EXPECT_EQ(failed_selects(), 3);
  // With the view gone only the last form is asked, and it answers.
  exec(u"drop view all_tab_columns");
  ASSERT_EQ(oci_get_column_list(s_, u"SCOTT", u"DEPT", &ds, OciMsgBuf(msg_)), kOciOk) << message();
  EXPECT_EQ(failed_selects(), 3);
  EXPECT_EQ(column(ds, u"COLUMN_NAME"), (std::vector<std::u16string>{u"DEPTNO", u"DNAME", u"LOC"}));
  EXPECT_EQ(column(ds, u"DATA_LENGTH"), (std::vector<std::u16string>{u"2", u"56", u"13"}));
}

TEST_F(OciDictionaryTest, CancelStopsTheListWithoutMarkingAnyForm) {
  CancelFlag cancel{kCancelRequested};
  OciDataset ds;
  EXPECT_EQ(oci_get_object_list(s_, u"SCOTT", u"TABLE", &ds, OciMsgBuf(msg_), nullptr, &cancel), kOciCancelled);
  EXPECT_EQ(ds.row_count, 0);
  EXPECT_FALSE(oci_dictionary_state().mview_unavailable);
  EXPECT_FALSE(oci_dictionary_state().column_form_failed[0]);
}

TEST_F(OciDictionaryTest, ViewAndSynonymLists) {
  OciDataset views;
  ASSERT_EQ(oci_get_object_list(s_, u"SCOTT", u"VIEW", &views, OciMsgBuf(msg_)), kOciOk) << message();
  ASSERT_EQ(views.col_count, 2);
  EXPECT_EQ(names(views), std::vector<std::u16string>{u"EMP_V"});
  EXPECT_EQ(column(views, u"COMMENTS"), std::vector<std::u16string>{u"社員ビュー"});

  OciDataset syn;
  ASSERT_EQ(oci_get_object_list(s_, u"SCOTT", u"SYNONYM", &syn, OciMsgBuf(msg_)), kOciOk) << message();
  ASSERT_EQ(syn.col_count, 5);
  const char16_t* expected_cols[] = {u"SYNONYM_NAME", u"COMMENTS", u"TABLE_OWNER", u"TABLE_NAME", u"DB_LINK"};
  for (int c = 0; c < 5; ++c) EXPECT_EQ(syn.cols[static_cast<std::size_t>(c)].wname, expected_cols[c]);
  ASSERT_EQ(syn.row_count, 1);
  EXPECT_EQ(syn.text_view(0, 0), u"STAFF");
  EXPECT_EQ(syn.text_view(0, 1), u"社員");  // the comment of the table behind it
  EXPECT_EQ(syn.text_view(0, 2), u"SCOTT");
  EXPECT_EQ(syn.text_view(0, 3), u"EMP");
  EXPECT_EQ(syn.text_view(0, 4), u"");
}

TEST_F(OciDictionaryTest, CombinedListIsSortedWithTypesAndComments) {
  OciDataset ds;
  ASSERT_EQ(oci_get_object_list(s_, u"SCOTT", kObjectTypeCombined, &ds, OciMsgBuf(msg_)), kOciOk) << message();
  ASSERT_EQ(ds.col_count, 3);
  EXPECT_EQ(ds.cols[0].wname, u"OBJECT_NAME");
  EXPECT_EQ(ds.cols[1].wname, u"OBJECT_TYPE");
  EXPECT_EQ(ds.cols[2].wname, u"COMMENTS");
  EXPECT_EQ(names(ds), (std::vector<std::u16string>{u"DEPT", u"EMP", u"EMP_V", u"GRADE_IOT", u"Mixed Case",
                                                     u"NO_KEY", u"PAIR_KEY", u"STAFF", u"社員表"}));
  auto types = by_name(ds, u"OBJECT_NAME", u"OBJECT_TYPE");
  EXPECT_EQ(types[u"EMP"], u"TABLE");
  EXPECT_EQ(types[u"EMP_V"], u"VIEW");
  EXPECT_EQ(types[u"STAFF"], u"SYNONYM");
  auto comments = by_name(ds, u"OBJECT_NAME", u"COMMENTS");
  EXPECT_EQ(comments[u"EMP_V"], u"社員ビュー");
  EXPECT_EQ(comments[u"STAFF"], u"社員");
}

TEST_F(OciDictionaryTest, OtherObjectTypes) {
  struct Case {
    const char16_t* type;
    std::vector<std::u16string> names;
    int columns;
  };
  const Case cases[] = {
      {u"INDEX", {}, 5},  // filled below: the key indexes carry generated or constraint names
      {u"SEQUENCE", {u"EMP_SEQ"}, 5},
      {u"TRIGGER", {u"EMP_TRG"}, 6},
      {u"CLUSTER", {}, 3},
      {u"DATABASE LINK", {}, 3},
      {u"SNAPSHOT", {}, 7},
      {u"SNAPSHOT LOG", {}, 4},
      {u"PROCEDURE", {}, 4},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(utf16_to_utf8(c.type));
    OciDataset ds;
    ASSERT_EQ(oci_get_object_list(s_, u"SCOTT", c.type, &ds, OciMsgBuf(msg_)), kOciOk) << message();
    EXPECT_EQ(ds.col_count, c.columns);
    if (std::u16string_view(c.type) == u"INDEX") {
      auto tables = by_name(ds, u"INDEX_NAME", u"TABLE_NAME");
      EXPECT_EQ(tables[u"EMP_DEPTNO_IX"], u"EMP");
      continue;
    }
    EXPECT_EQ(names(ds), c.names);
  }
  OciDataset seq;
  ASSERT_EQ(oci_get_object_list(s_, u"SCOTT", u"SEQUENCE", &seq, OciMsgBuf(msg_)), kOciOk) << message();
  ASSERT_EQ(seq.row_count, 1);
  EXPECT_EQ(seq.text_view(0, oci_find_column(&seq, u"LAST_NUMBER")), u"8000");
  EXPECT_EQ(seq.text_view(0, oci_find_column(&seq, u"STATUS")), u"VALID");
}

TEST_F(OciDictionaryTest, OwnerWithoutObjectsAndUnknownOwnerGiveEmptyLists) {
  for (const char16_t* owner : {u"NOBODY", u"NO_SUCH_USER", u"scott", u"O'Brien"}) {
    for (const char16_t* type : {u"TABLE", u"VIEW", u"SYNONYM", kObjectTypeCombined, u"INDEX", u"SEQUENCE",
                                 u"TRIGGER", u"FUNCTION"}) {
      SCOPED_TRACE(utf16_to_utf8(owner) + " " + utf16_to_utf8(type));
      OciDataset ds;
      ASSERT_EQ(oci_get_object_list(s_, owner, type, &ds, OciMsgBuf(msg_)), kOciOk) << message();
      EXPECT_EQ(ds.row_count, 0);
    }
  }
  OciDataset cols;
  ASSERT_EQ(oci_get_column_list(s_, u"SCOTT", u"NO_SUCH_TABLE", &cols, OciMsgBuf(msg_)), kOciOk) << message();
  EXPECT_EQ(cols.row_count, 0);
  OciDataset pk;
  ASSERT_EQ(oci_get_primary_key(s_, &pk, u"SCOTT", u"NO_SUCH_TABLE", OciMsgBuf(msg_)), kOciOk) << message();
  EXPECT_EQ(pk.row_count, 0);
}

TEST_F(OciDictionaryTest, ObjectsCreatedAfterLoginAppearAtOnce) {
  exec(u"create table late_table (id number)");
  exec(u"create view late_view as select id from late_table");
  OciDataset ds;
  ASSERT_EQ(oci_get_object_list(s_, u"SCOTT", kObjectTypeCombined, &ds, OciMsgBuf(msg_)), kOciOk) << message();
  auto types = by_name(ds, u"OBJECT_NAME", u"OBJECT_TYPE");
  EXPECT_EQ(types[u"LATE_TABLE"], u"TABLE");
  EXPECT_EQ(types[u"LATE_VIEW"], u"VIEW");
}

TEST_F(OciDictionaryTest, OwnersAndObjectByName) {
  OciDataset owners;
  ASSERT_EQ(oci_get_owner_list(s_, &owners, OciMsgBuf(msg_)), kOciOk) << message();
  auto list = names(owners);
  EXPECT_NE(std::find(list.begin(), list.end(), u"SCOTT"), list.end());
  EXPECT_NE(std::find(list.begin(), list.end(), u"NOBODY"), list.end());
  EXPECT_TRUE(std::is_sorted(list.begin(), list.end()));

  OciDataset one;
  ASSERT_EQ(oci_get_object_by_name(s_, u"SCOTT", u"Mixed Case", &one, OciMsgBuf(msg_)), kOciOk) << message();
  ASSERT_EQ(one.row_count, 1);
  EXPECT_EQ(one.text_view(0, 1), u"TABLE");
  EXPECT_EQ(one.text_view(0, 2), u"");
}

TEST_F(OciDictionaryTest, PrimaryKeysThroughTablesAndSynonyms) {
  struct Case {
    const char16_t* name;
    std::vector<std::u16string> columns;
  };
  const Case cases[] = {
      {u"EMP", {u"EMPNO"}},
      {u"STAFF", {u"EMPNO"}},  // a synonym gives its table's key
      {u"PAIR_KEY", {u"A_PART", u"B_PART"}},  // compared as sets: the query has no order
      {u"GRADE_IOT", {u"GRADE"}},
      {u"NO_KEY", {}},
      {u"Mixed Case", {u"Col 1"}},
      {u"社員表", {u"社員番号"}},
      {u"emp", {}},  // names are exact, never folded
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(utf16_to_utf8(c.name));
    OciDataset ds;
    ASSERT_EQ(oci_get_primary_key(s_, &ds, u"SCOTT", c.name, OciMsgBuf(msg_)), kOciOk) << message();
    auto got = column(ds, u"COLUMN_NAME");
    std::sort(got.begin(), got.end());
    EXPECT_EQ(got, c.columns);
  }
  std::u16string owner = u"SCOTT", name = u"STAFF";
  ASSERT_EQ(oci_resolve_synonym(s_, &owner, &name, OciMsgBuf(msg_)), kOciOk);
  EXPECT_EQ(owner, u"SCOTT");
  EXPECT_EQ(name, u"EMP");
  name = u"DEPT";
  ASSERT_EQ(oci_resolve_synonym(s_, &owner, &name, OciMsgBuf(msg_)), kOciOk);
  EXPECT_EQ(name, u"DEPT");
}

TEST_F(OciDictionaryTest, PrimaryKeyWhoseIndexIsNamedOtherwise) {
  if (oci_execute_sql(s_, u"create table other_ix (k number, constraint pk_other primary key (k) using index "
                          u"(create unique index other_ix_k on other_ix (k)))",
                      OciMsgBuf(msg_)) != kOciOk)
    GTEST_SKIP() << "the stand-in cannot name a key's index: " << message();
  OciDataset ds;
  ASSERT_EQ(oci_get_primary_key(s_, &ds, u"SCOTT", u"OTHER_IX", OciMsgBuf(msg_)), kOciOk) << message();
  EXPECT_EQ(column(ds, u"COLUMN_NAME"), std::vector<std::u16string>{u"K"});
}

TEST_F(OciDictionaryTest, ColumnListWithTypesLengthsAndComments) {
  OciDataset ds;
  ASSERT_EQ(oci_get_column_list(s_, u"SCOTT", u"DEPT", &ds, OciMsgBuf(msg_)), kOciOk) << message();
  for (const char16_t* c : {u"COLUMN_ID", u"COLUMN_NAME", u"DATA_TYPE", u"DATA_LENGTH", u"NULLABLE", u"COMMENTS"})
    EXPECT_GE(oci_find_column(&ds, c), 0) << utf16_to_utf8(c);
  EXPECT_EQ(column(ds, u"COLUMN_NAME"), (std::vector<std::u16string>{u"DEPTNO", u"DNAME", u"LOC"}));
  EXPECT_EQ(column(ds, u"COLUMN_ID"), (std::vector<std::u16string>{u"1", u"2", u"3"}));
  EXPECT_EQ(column(ds, u"DATA_TYPE"), (std::vector<std::u16string>{u"NUMBER", u"VARCHAR2", u"VARCHAR2"}));
  EXPECT_EQ(column(ds, u"DATA_LENGTH"), (std::vector<std::u16string>{u"2", u"14", u"13"}));
  EXPECT_EQ(column(ds, u"NULLABLE"), (std::vector<std::u16string>{u"N", u"N", u"Y"}));
  EXPECT_EQ(column(ds, u"COMMENTS"), (std::vector<std::u16string>{u"", u"部署名", u""}));
  // The newest form served the query: no fall-back was marked.
  EXPECT_FALSE(oci_dictionary_state().column_form_failed[0]);
  EXPECT_FALSE(oci_dictionary_state().column_form_failed[1]);

  OciDataset emp;
  ASSERT_EQ(oci_get_column_list(s_, u"SCOTT", u"EMP", &emp, OciMsgBuf(msg_)), kOciOk) << message();
  auto lengths = by_name(emp, u"COLUMN_NAME", u"DATA_LENGTH");
  EXPECT_EQ(lengths[u"SAL"], u"7,2");
  EXPECT_EQ(lengths[u"HIREDATE"], u"");

  OciDataset view;
  ASSERT_EQ(oci_get_column_list(s_, u"SCOTT", u"EMP_V", &view, OciMsgBuf(msg_)), kOciOk) << message();
  EXPECT_EQ(column(view, u"COLUMN_NAME"), (std::vector<std::u16string>{u"EMPNO", u"ENAME"}));

  OciDataset quoted;
  ASSERT_EQ(oci_get_column_list(s_, u"SCOTT", u"Mixed Case", &quoted, OciMsgBuf(msg_)), kOciOk) << message();
  EXPECT_EQ(column(quoted, u"COLUMN_NAME"), std::vector<std::u16string>{u"Col 1"});
}

TEST_F(OciDictionaryTest, IndexOrganisedFlag) {
  std::u16string iot = u"x";
  ASSERT_EQ(oci_get_iot_type(s_, u"SCOTT", u"GRADE_IOT", &iot, OciMsgBuf(msg_)), kOciOk) << message();
  EXPECT_EQ(iot, u"IOT");
  ASSERT_EQ(oci_get_iot_type(s_, u"SCOTT", u"EMP", &iot, OciMsgBuf(msg_)), kOciOk) << message();
  EXPECT_EQ(iot, u"");
  ASSERT_EQ(oci_get_iot_type(s_, u"SCOTT", u"NO_SUCH", &iot, OciMsgBuf(msg_)), kOciOk) << message();
  EXPECT_EQ(iot, u"");
}

TEST_F(OciDictionaryTest, SessionParametersAndTheDateFormat) {
  EXPECT_EQ(oci_dictionary_state().date_format, u"YYYY-MM-DD HH24:MI:SS");
  // An empty value changes nothing.
  ASSERT_EQ(oci_set_nls_session_param(s_, u"", u"NLS_DATE_FORMAT", OciMsgBuf(msg_)), kOciOk);
  EXPECT_EQ(oci_dictionary_state().date_format, u"YYYY-MM-DD HH24:MI:SS");

  ASSERT_EQ(oci_set_nls_session_param(s_, u"YYYY/MM/DD", u"NLS_DATE_FORMAT", OciMsgBuf(msg_)), kOciOk) << message();
  std::u16string v;
  ASSERT_EQ(oci_get_nls_session_param(s_, u"NLS_DATE_FORMAT", &v, OciMsgBuf(msg_)), kOciOk) << message();
  EXPECT_EQ(v, u"YYYY/MM/DD");
  EXPECT_EQ(oci_dictionary_state().date_format, u"YYYY/MM/DD");
  EXPECT_EQ(oci_dictionary_state().date_format_mb, "YYYY/MM/DD");

  // A quote in a value is data, never the end of the literal.
  const std::u16string quoted = u"YYYY\"'\"MM";
  ASSERT_EQ(oci_set_nls_session_param(s_, quoted, u"NLS_DATE_FORMAT", OciMsgBuf(msg_)), kOciOk) << message();
  ASSERT_EQ(oci_get_nls_session_param(s_, u"NLS_DATE_FORMAT", &v, OciMsgBuf(msg_)), kOciOk) << message();
  EXPECT_EQ(v, quoted);
  const std::u16string injection = u"DD', NLS_DATE_LANGUAGE = 'AMERICAN";
  int rc = oci_set_nls_session_param(s_, injection, u"NLS_DATE_FORMAT", OciMsgBuf(msg_));
  ASSERT_EQ(oci_get_nls_session_param(s_, u"NLS_DATE_LANGUAGE", &v, OciMsgBuf(msg_)), kOciOk) << message();
  EXPECT_NE(v, u"AMERICAN");
  if (rc == kOciOk) {
    ASSERT_EQ(oci_get_nls_session_param(s_, u"NLS_DATE_FORMAT", &v, OciMsgBuf(msg_)), kOciOk);
    EXPECT_EQ(v, injection);
  } else {
    EXPECT_EQ(oci_dictionary_state().date_format, quoted);  // a refused change keeps the last format
  }
  // Parameter names are the program's own identifiers, never pasted text.
  EXPECT_EQ(oci_set_nls_session_param(s_, u"X", u"NLS_DATE_FORMAT = 'X', A", OciMsgBuf(msg_)), kOciInternal);

  ASSERT_EQ(oci_set_nls_session_param(s_, u"+05:30", u"TIME_ZONE", OciMsgBuf(msg_)), kOciOk) << message();
  ASSERT_EQ(oci_get_session_timezone(s_, &v, OciMsgBuf(msg_)), kOciOk) << message();
  EXPECT_EQ(v, u"+05:30");
}

TEST_F(OciDictionaryTest, DatabaseParametersAndServerDate) {
  std::u16string v;
  oci_get_nls_database_param(s_, u"NLS_CHARACTERSET", &v);
  EXPECT_EQ(v, u"AL32UTF8");
  oci_get_nls_database_param(s_, u"NLS_RDBMS_VERSION", &v);
  EXPECT_NE(v, kUnknownParameter);
  EXPECT_FALSE(v.empty());
  oci_get_nls_database_param(s_, u"NO_SUCH_PARAMETER", &v);
  EXPECT_EQ(v, kUnknownParameter);
  oci_get_nls_database_param(nullptr, u"NLS_CHARACTERSET", &v);
  EXPECT_EQ(v, kUnknownParameter);

  std::u16string date;
  ASSERT_EQ(oci_get_server_date(s_, &date, OciMsgBuf(msg_)), kOciOk) << message();
  ASSERT_EQ(date.size(), 10u);
  EXPECT_EQ(date[4], u'-');
  EXPECT_EQ(date[7], u'-');
  std::u16string sample;
  ASSERT_EQ(oci_get_sysdate_text(s_, u"YYYY\"年\"MM\"月\"", &sample, OciMsgBuf(msg_)), kOciOk) << message();
  EXPECT_EQ(sample, date.substr(0, 4) + u"年" + date.substr(5, 2) + u"月");
}

// The demo database as the build makes it, in a folder of this suite's own.
class OciDictionaryDemoTest : public testing::OciProcessTest {
 protected:
  static void SetUpTestSuite() {
    if (testing::ocilite_library().empty() || testing::ocilite_tool().empty()) return;
    dir_ = new TempDir;
    const std::string cmd = shell_quote(testing::ocilite_tool().string()) + " demo " +
                            shell_quote((dir_->path() / "demo").string()) + " > /dev/null 2>&1";
    made_ = std::system(cmd.c_str()) == 0;
  }
  static void TearDownTestSuite() {
    delete dir_;
    dir_ = nullptr;
  }
  void SetUp() override {
    testing::OciProcessTest::SetUp();
    if (!made_) GTEST_SKIP() << "no demo database (the stand-in client or its tool is not built)";
    setenv("NLS_LANG", "JAPANESE_JAPAN.AL32UTF8", 1);
    ASSERT_EQ(oci_load_library_file(testing::ocilite_library(), nullptr), kOciOk);
  }
  void TearDown() override {
    if (s_) oci_ora_logout(&s_);
    testing::OciProcessTest::TearDown();
  }
  void login(std::u16string_view user, std::u16string_view password) {
    ASSERT_EQ(oci_login2(&s_, user, password, utf8_to_utf16((dir_->path() / "demo").string()), u"", kLoginNormal,
                         OciMsgBuf(msg_), nullptr),
              kOciOk)
        << utf16_to_utf8(msg_);
  }

  static TempDir* dir_;
  static bool made_;
  OciSession* s_ = nullptr;
  char16_t msg_[2048] = {};
};
TempDir* OciDictionaryDemoTest::dir_ = nullptr;
bool OciDictionaryDemoTest::made_ = false;

TEST_F(OciDictionaryDemoTest, ScottAndHrSchemas) {
  login(u"SCOTT", u"TIGER");
  OciDataset ds;
  ASSERT_EQ(oci_get_object_list(s_, u"SCOTT", kObjectTypeCombined, &ds, OciMsgBuf(msg_)), kOciOk);
  auto types = by_name(ds, u"OBJECT_NAME", u"OBJECT_TYPE");
  EXPECT_EQ(types[u"EMP"], u"TABLE");
  EXPECT_EQ(types[u"SALGRADE"], u"TABLE");
  EXPECT_EQ(types[u"EMP_DEPT_V"], u"VIEW");
  EXPECT_EQ(types[u"STAFF"], u"SYNONYM");
  auto names_list = names(ds);
  EXPECT_TRUE(std::is_sorted(names_list.begin(), names_list.end()));

  std::u16string iot;
  ASSERT_EQ(oci_get_iot_type(s_, u"SCOTT", u"SALGRADE", &iot, OciMsgBuf(msg_)), kOciOk);
  EXPECT_EQ(iot, u"IOT");
  ASSERT_EQ(oci_get_iot_type(s_, u"HR", u"COUNTRIES", &iot, OciMsgBuf(msg_)), kOciOk);
  EXPECT_EQ(iot, u"IOT");
  OciDataset pk;
  ASSERT_EQ(oci_get_primary_key(s_, &pk, u"SCOTT", u"STAFF", OciMsgBuf(msg_)), kOciOk);
  EXPECT_EQ(column(pk, u"COLUMN_NAME"), std::vector<std::u16string>{u"EMPNO"});
  ASSERT_EQ(oci_get_primary_key(s_, &pk, u"HR", u"JOBS", OciMsgBuf(msg_)), kOciOk);
  EXPECT_EQ(column(pk, u"COLUMN_NAME"), std::vector<std::u16string>{u"JOB_ID"});

  OciDataset cols;
  ASSERT_EQ(oci_get_column_list(s_, u"SCOTT", u"EMP", &cols, OciMsgBuf(msg_)), kOciOk);
  auto comments = by_name(cols, u"COLUMN_NAME", u"COMMENTS");
  EXPECT_EQ(comments[u"ENAME"], u"氏名");
  EXPECT_EQ(comments[u"KANA"], u"氏名（カナ）");
  ASSERT_EQ(oci_get_column_list(s_, u"SCOTT", u"ALL_TYPES", &cols, OciMsgBuf(msg_)), kOciOk);
  auto kinds = by_name(cols, u"COLUMN_NAME", u"DATA_TYPE");
  EXPECT_EQ(kinds[u"C_CLOB"], u"CLOB");
  EXPECT_EQ(kinds[u"C_BFILE"], u"BFILE");
  EXPECT_EQ(by_name(cols, u"COLUMN_NAME", u"DATA_LENGTH")[u"C_CLOB"], u"");

  OciDataset seq;
  ASSERT_EQ(oci_get_object_list(s_, u"SCOTT", u"SEQUENCE", &seq, OciMsgBuf(msg_)), kOciOk);
  EXPECT_EQ(names(seq), std::vector<std::u16string>{u"EMP_SEQ"});
  OciDataset owners;
  ASSERT_EQ(oci_get_owner_list(s_, &owners, OciMsgBuf(msg_)), kOciOk);
  auto list = names(owners);
  EXPECT_NE(std::find(list.begin(), list.end(), u"HR"), list.end());
}

}  // namespace
}  // namespace kestrel
