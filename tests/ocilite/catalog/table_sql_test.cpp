#include <gtest/gtest.h>

#include "catalog/table_sql_p.h"

namespace ocilite::detail {
namespace {

std::string dump(const std::vector<TableConstraint>& cs) {
  std::string out;
  for (const auto& c : cs) {
    out += c.kind;
    out += "[" + c.name + "|" + c.column + "|" + c.text + "] ";
  }
  return out;
}

TEST(TableSqlTest, ReadsConstraintsInWrittenOrder) {
  const struct {
    const char* sql;
    const char* want;
  } cases[] = {
      {"CREATE TABLE t (a NUMBER PRIMARY KEY, b TEXT)", "P[|A|] "},
      {"CREATE TABLE \"S\".\"T\" (\"Id\" \"NUMBER(4)\" NOT NULL CONSTRAINT \"Pk\" PRIMARY KEY, "
       "c \"CHAR(3)\" CONSTRAINT uq UNIQUE, CONSTRAINT ck CHECK (c IN ('a', 'b(')), UNIQUE (c, \"Id\"))",
       "N[|Id|] P[Pk|Id|] U[UQ|C|] C[CK||c IN ('a', 'b(')] U[||] "},
      {"create table t (x default (1 + (2)), y references p (id) on delete cascade not null, "
       "constraint fk foreign key (x) references p, check (x > 0) -- unique\n)",
       "R[|Y|] N[|Y|] R[FK||] C[||x > 0] "},
      {"CREATE TABLE t (a /* PRIMARY KEY */ INT, b 'UNIQUE')", ""},
      {"CREATE TABLE t (k VARCHAR2 CONSTRAINT pk_t PRIMARY KEY) WITHOUT ROWID", "P[PK_T|K|] "},
      {"not a create statement", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(dump(table_constraints(c.sql)), c.want) << c.sql;
}

TEST(TableSqlTest, ReadsTriggerHeaders) {
  auto h =
      trigger_header("TRIGGER emp_biu BEFORE INSERT OR UPDATE OF sal ON scott.emp FOR EACH ROW BEGIN NULL; END;", "HR");
  EXPECT_EQ(h.table_owner, "SCOTT");
  EXPECT_EQ(h.table_name, "EMP");
  EXPECT_EQ(h.trigger_type, "BEFORE EACH ROW");
  EXPECT_EQ(h.triggering_event, "INSERT OR UPDATE");
  h = trigger_header("CREATE TRIGGER t AFTER DELETE ON \"Mixed\" BEGIN SELECT 1; END", "SCOTT");
  EXPECT_EQ(h.table_owner, "SCOTT");
  EXPECT_EQ(h.table_name, "Mixed");
  EXPECT_EQ(h.trigger_type, "AFTER STATEMENT");
  EXPECT_EQ(h.triggering_event, "DELETE");
  h = trigger_header("trigger v_io instead of insert on v for each row begin null; end;", "X");
  EXPECT_EQ(h.trigger_type, "INSTEAD OF");
}

}  // namespace
}  // namespace ocilite::detail
