#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "engine_error.h"
#include "engine_fixture.h"

namespace ocilite::testing {
namespace {

class StatementTest : public ::testing::Test {
 protected:
  void SetUp() override {
    s = db.login();
    exec(*s, "alter session set nls_date_format = 'YYYY-MM-DD HH24:MI:SS'");
    exec(*s,
         "create table emp (empno number(4) not null primary key, ename varchar2(10), job varchar2(9 char), "
         "mgr number(4), hiredate date, sal number(7,2), comm number(7,2), deptno number(2))");
    exec(*s, "insert into emp values (7369, 'SMITH', 'CLERK', 7902, to_date('1980-12-17','YYYY-MM-DD'), 800, null, 20)");
    exec(*s, "insert into emp values (7499, 'ALLEN', 'SALESMAN', 7698, '1981-02-20 00:00:00', 1600, 300, 30)");
    exec(*s, "insert into emp (empno, ename, sal, deptno) values (7521, 'WARD', 1250.5, 30)");
    exec(*s, "commit");
  }
  EngineDb db;
  std::unique_ptr<Session> s;
};

TEST_F(StatementTest, SelectsRowsWithOracleNames) {
  Result r = run(*s, "select empno, ename, sal from emp where deptno = 30 order by empno");
  ASSERT_FALSE(r.error) << r.error.text;
  EXPECT_EQ(r.columns, (std::vector<std::string>{"EMPNO", "ENAME", "SAL"}));
  ASSERT_EQ(r.rows.size(), 2u);
  EXPECT_EQ(r.rows[0], (std::vector<std::string>{"7499", "ALLEN", "1600"}));
  EXPECT_EQ(r.rows[1], (std::vector<std::string>{"7521", "WARD", "1250.5"}));
}

TEST_F(StatementTest, DatesUseTheSessionFormat) {
  EXPECT_EQ(query(*s, "select hiredate from emp where empno = 7369"), (Rows{{"1980-12-17 00:00:00"}}));
  exec(*s, "alter session set nls_date_format = 'DD-MON-RR'");
  EXPECT_EQ(query(*s, "select hiredate from emp where empno = 7369"), (Rows{{"17-DEC-80"}}));
  exec(*s, "update emp set hiredate = '01-JAN-99' where empno = 7369");
  EXPECT_EQ(query(*s, "select to_char(hiredate, 'YYYY/MM/DD') from emp where empno = 7369"), (Rows{{"1999/01/01"}}));
}

TEST_F(StatementTest, DateArithmetic) {
  EXPECT_EQ(query(*s, "select to_char(hiredate + 1, 'YYYY-MM-DD'), hiredate - 1, to_date('2020-03-01', 'YYYY-MM-DD') - to_date('2020-02-01', 'YYYY-MM-DD') from emp where empno = 7369"),
            (Rows{{"1980-12-18", "1980-12-16 00:00:00", "29"}}));
  EXPECT_EQ(query(*s, "select to_char(to_date('2020-01-01', 'YYYY-MM-DD') + mod(400, 366) + 0.5, 'YYYY-MM-DD HH24') from dual"),
            (Rows{{"2020-02-04 12"}}));
  exec(*s, "update emp set hiredate = hiredate + 365 where empno = 7369");
  EXPECT_EQ(query(*s, "select hiredate from emp where empno = 7369"), (Rows{{"1981-12-17 00:00:00"}}));
}

TEST_F(StatementTest, ImplicitConversionErrors) {
  Result r = run(*s, "update emp set sal = 'abc' where empno = 7369");
  EXPECT_EQ(r.error.code, 1722) << r.error.text;
  r = run(*s, "update emp set ename = 'ABCDEFGHIJK' where empno = 7369");
  EXPECT_EQ(r.error.code, 12899) << r.error.text;
  EXPECT_NE(r.error.text.find("\"SCOTT\".\"EMP\".\"ENAME\" (actual: 11, maximum: 10)"), std::string::npos) << r.error.text;
  r = run(*s, "update emp set sal = 123456 where empno = 7369");
  EXPECT_EQ(r.error.code, 1438) << r.error.text;
  r = run(*s, "update emp set hiredate = 'yesterday' where empno = 7369");
  EXPECT_TRUE(r.error.code == 1861 || r.error.code == 1858 || r.error.code == 1841) << r.error.text;
  r = run(*s, "insert into emp (empno, ename) values (7369, 'DUP')");
  EXPECT_EQ(r.error.code, 1) << r.error.text;
  r = run(*s, "insert into emp (ename) values ('NOKEY')");
  EXPECT_EQ(r.error.code, 1400) << r.error.text;
  EXPECT_NE(r.error.text.find("(\"SCOTT\".\"EMP\".\"EMPNO\")"), std::string::npos) << r.error.text;
  r = run(*s, "update emp set empno = null where empno = 7369");
  EXPECT_EQ(r.error.code, 1407) << r.error.text;
}

TEST_F(StatementTest, KeyColumnsRefuseNull) {
  // A key column is NOT NULL however the key is written.
  const char* tables[] = {
      "create table k1 (id number(4) primary key, v varchar2(5))",
      "create table k2 (id number(4), v varchar2(5), primary key (id))",
      "create table k3 (id number(4), v varchar2(5), constraint k3_pk primary key (v, id))",
      "create table k4 (id number(4) constraint k4_pk primary key, v varchar2(5))",
  };
  for (int i = 0; i < 4; ++i) {
    SCOPED_TRACE(tables[i]);
    exec(*s, tables[i]);
    const std::string t = "K" + std::to_string(i + 1);
    exec(*s, "insert into " + t + " values (1, 'a')");
    EXPECT_EQ(run(*s, "insert into " + t + " (v) values ('b')").error.code, 1400);
    EXPECT_EQ(run(*s, "update " + t + " set id = null").error.code, 1407);
    EXPECT_EQ(query(*s, "select nullable from all_tab_columns where table_name = :X0 and column_name = 'ID'", {t}),
              (Rows{{"N"}}));
  }
  EXPECT_EQ(query(*s, "select nullable from all_tab_columns where table_name = 'K1' and column_name = 'V'"),
            (Rows{{"Y"}}));
}

TEST_F(StatementTest, OracleNullRules) {
  EXPECT_EQ(query(*s, "select nvl(comm, -1), 'a' || null || 'b', decode(comm, null, 'none', 'some') from emp where empno = 7369"),
            (Rows{{"-1", "ab", "none"}}));
  EXPECT_EQ(query(*s, "select count(*) from emp where ename = ''"), (Rows{{"0"}}));
  exec(*s, "update emp set job = '' where empno = 7369");
  EXPECT_EQ(query(*s, "select count(*) from emp where job is null"), (Rows{{"2"}}));
}

TEST_F(StatementTest, NumbersPrintAsOracle) {
  EXPECT_EQ(query(*s, "select 0.1, 0.1 + 0.2, 1/4, -0.5, 100, 1e20 from dual"),
            (Rows{{".1", ".3", ".25", "-.5", "100", "100000000000000000000"}}));
}

TEST_F(StatementTest, RowidRoundTrips) {
  Rows rows = query(*s, "select rowid, ename from emp where empno = 7499");
  ASSERT_EQ(rows.size(), 1u);
  ASSERT_EQ(rows[0][0].size(), 18u);
  EXPECT_EQ(query(*s, "select ename from \"SCOTT\".\"EMP\" where \"ROWID\" = :X0", {rows[0][0]}), (Rows{{"ALLEN"}}));
  exec(*s, "update \"SCOTT\".\"EMP\" \nset \"ENAME\" = :X0 \nwhere rowid = :X1", {"ALLEN2", rows[0][0]});
  EXPECT_EQ(query(*s, "SELECT ROWID, A.* FROM EMP A where empno = 7499")[0][2], "ALLEN2");
  Result bad = run(*s, "select ename from emp where rowid = :X0", {"nonsense"});
  EXPECT_EQ(bad.error.code, 1410) << bad.error.text;
}

TEST_F(StatementTest, SavepointsNest) {
  exec(*s, "savepoint tern_p1");
  exec(*s, "delete from emp where empno = 7369");
  exec(*s, "savepoint p2");
  exec(*s, "delete from emp where empno = 7499");
  exec(*s, "rollback to p2");
  EXPECT_EQ(query(*s, "select count(*) from emp"), (Rows{{"2"}}));
  exec(*s, "rollback to tern_p1");
  EXPECT_EQ(query(*s, "select count(*) from emp"), (Rows{{"3"}}));
  Result r = run(*s, "rollback to nowhere");
  EXPECT_EQ(r.error.code, 1086);
}

TEST_F(StatementTest, SecondSessionGetsResourceBusy) {
  auto other = db.login();
  exec(*s, "select ename from emp where empno = 7369 for update");
  Result r = run(*other, "select ename from emp where empno = 7369 for update nowait");
  EXPECT_EQ(r.error.code, 54) << r.error.text;
  r = run(*other, "update emp set sal = 1 where empno = 7369");
  EXPECT_EQ(r.error.code, 54) << r.error.text;
  // Another row is free.
  exec(*other, "update emp set sal = 1 where empno = 7521");
  exec(*other, "commit");
  exec(*s, "commit");
  exec(*other, "update emp set sal = 2 where empno = 7369");
  exec(*other, "commit");
}

TEST_F(StatementTest, ForUpdateWaitsForTheLockAndCanBeCancelled) {
  auto other = db.login();
  exec(*s, "select ename from emp where empno = 7369 for update");
  std::atomic<bool> done{false};
  Result waited;
  std::thread t([&] {
    waited = run(*other, "select ename from emp where empno = 7369 for update");
    done = true;
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(150));
  EXPECT_FALSE(done.load()) << "FOR UPDATE without NOWAIT must wait";
  exec(*s, "commit");
  t.join();
  EXPECT_FALSE(waited.error) << waited.error.text;
  EXPECT_EQ(waited.rows, (Rows{{"SMITH"}}));
  // Now `other` holds the lock; a waiting FOR UPDATE in `s` is cancelled by a break.
  done = false;
  std::thread t2([&] {
    waited = run(*s, "select ename from emp for update");
    done = true;
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  s->request_break();
  t2.join();
  EXPECT_EQ(waited.error.code, 1013) << waited.error.text;
  s->clear_break();
  exec(*other, "rollback");
  EXPECT_EQ(query(*s, "select empno from emp order by empno for update"), (Rows{{"7369"}, {"7499"}, {"7521"}}));
}

TEST_F(StatementTest, ErrorsCarryOracleNumbersAndOffsets) {
  Result r = run(*s, "select * from nosuch");
  EXPECT_EQ(r.error.code, 942);
  EXPECT_EQ(r.error_offset, 14);
  r = run(*s, "select nosuch from emp");
  EXPECT_EQ(r.error.code, 904);
  EXPECT_NE(r.error.text.find("\"NOSUCH\": invalid identifier"), std::string::npos) << r.error.text;
  r = run(*s, "select * from emp where");
  EXPECT_TRUE(r.error.code == 936 || r.error.code == 933) << r.error.text;
  r = run(*s, "select 'abc from dual");
  EXPECT_EQ(r.error.code, 1756);
}

TEST_F(StatementTest, PlsqlRules) {
  Result r = run(*s, "begin update emp set sal = sal + 1 where empno = 7369; delete from emp where empno = 7521; end;");
  EXPECT_FALSE(r.error) << r.error.text;
  EXPECT_EQ(query(*s, "select count(*) from emp"), (Rows{{"2"}}));
  r = run(*s, "begin savepoint b1; delete from emp; rollback to b1; commit; end;");
  EXPECT_FALSE(r.error) << r.error.text;
  EXPECT_EQ(query(*s, "select count(*) from emp"), (Rows{{"2"}}));
  r = run(*s, "begin x := 1; end;");
  EXPECT_EQ(r.error.code, 6550);
  r = run(*s, "declare x number; begin null; end;");
  EXPECT_EQ(r.error.code, 6550);
  r = run(*s, "create or replace procedure p1 as begin null; end;");
  EXPECT_FALSE(r.error) << r.error.text;
  EXPECT_EQ(r.info.code, 24344);
  EXPECT_EQ(query(*s, "select object_name, status from all_objects where owner = 'SCOTT' and object_type = 'PROCEDURE'"),
            (Rows{{"P1", "INVALID"}}));
}

TEST_F(StatementTest, DdlAndDictionary) {
  exec(*s, "create table t2 (id number primary key, name nvarchar2(20), created timestamp(6), raw_col raw(4)) organization index");
  EXPECT_EQ(query(*s, "select iot_type from all_tables t where t.owner = :X0 and t.table_name = :X1", {"SCOTT", "T2"}),
            (Rows{{"IOT"}}));
  exec(*s, "insert into t2 values (1, 'x', '2024-01-02 03:04:05.123456', 'CAFE')");
  EXPECT_EQ(query(*s, "select rawtohex(raw_col), raw_col from t2"), (Rows{{"CAFE", "CAFE"}}));
  Rows r = query(*s, "select rowid from t2");
  ASSERT_EQ(r.size(), 1u);
  EXPECT_EQ(r[0][0][0], '*');
  exec(*s, "comment on table emp is 'Employees'");
  EXPECT_EQ(query(*s, "select comments from all_tab_comments where owner = 'SCOTT' and table_name = 'EMP'"), (Rows{{"Employees"}}));
  exec(*s, "create sequence s1 start with 10");
  EXPECT_EQ(query(*s, "select s1.nextval from dual"), (Rows{{"10"}}));
  exec(*s, "create table dept (deptno number(2) primary key, dname varchar2(14))");
  exec(*s, "create view emp_dept_v as select e.ename, d.dname from emp e, dept d where e.deptno = d.deptno");
  exec(*s, "comment on table emp_dept_v is 'Joined'");
  auto other = db.login();
  EXPECT_EQ(query(*other, "select view_name from all_views where owner = 'SCOTT'"), (Rows{{"EMP_DEPT_V"}}));
  EXPECT_EQ(query(*other, "select table_type, comments from all_tab_comments where table_name = 'EMP_DEPT_V'"),
            (Rows{{"VIEW", "Joined"}}));
  EXPECT_EQ(query(*other, "select count(*) from emp_dept_v"), (Rows{{"0"}}));
  exec(*s, "drop table t2");
  EXPECT_EQ(run(*s, "select * from t2").error.code, 942);
}

}  // namespace
}  // namespace ocilite::testing

namespace ocilite::testing {
namespace {

// The caller's bind values may be gone before the rows are fetched: the
// open cursor keeps its own copy.
TEST(CursorBindTest, BindsOutliveTheCallersValues) {
  EngineDb db;
  auto s = db.login();
  exec(*s, "create table t (id number, k varchar2(20))");
  for (int i = 0; i < 200; ++i)
    exec(*s, "insert into t values (:1, :2)", {std::to_string(i), i % 2 ? "ODD-ROWS-HAVE-THIS" : "EVEN"});
  Statement st(*s, "select id from t where k = :1");
  uint64_t rows = 0;
  OraError info;
  int offset = -1;
  {
    std::vector<Value> binds{Value::text("ODD-ROWS-HAVE-THIS")};
    ASSERT_FALSE(st.execute(binds, false, rows, nullptr, info, offset));
  }
  // Reuse the freed memory with other text of the same size.
  std::vector<std::string> noise;
  noise.reserve(1000);
  for (int i = 0; i < 1000; ++i) noise.emplace_back(18, 'E');
  std::vector<Value> row;
  bool have = true;
  size_t count = 0;
  while (have) {
    ASSERT_FALSE(st.fetch(row, have));
    count += have ? 1 : 0;
  }
  EXPECT_EQ(count, 100u);
}

}  // namespace
}  // namespace ocilite::testing
