// Object types in SQL: CREATE TYPE and its status, columns and object
// tables, constructor calls checked like column values, the text SQL tools
// show, and the stored form's round trip.
#include <gtest/gtest.h>

#include "catalog/object_type.h"
#include "engine_fixture.h"

namespace ocilite {
namespace {

using testing::EngineDb;
using testing::Result;
using testing::exec;
using testing::query;
using testing::run;

TEST(ObjectSql, TypesAreValidOrStoredWithCompilationErrors) {
  EngineDb db;
  auto s = db.login();
  exec(*s, "create type point_t as object (x number, y number)");
  Result bad = run(*s, "create type broken_t as object (p no_such_t)");
  EXPECT_FALSE(bad.error) << bad.error.text;
  EXPECT_EQ(bad.info.code, 24344);  // created with compilation errors, as Oracle does
  EXPECT_EQ(query(*s, "select object_name, status from user_objects where object_type = 'TYPE' order by 1"),
            (testing::Rows{{"BROKEN_T", "INVALID"}, {"POINT_T", "VALID"}}));
  // A column of the broken type is refused; of an unknown word too.
  EXPECT_EQ(run(*s, "create table t1 (p broken_t)").error.code, 0);  // the type exists, as in Oracle
  EXPECT_EQ(run(*s, "create table t2 (p no_such_t)").error.code, 902);
  EXPECT_EQ(run(*s, "create table t3 (p ref no_such_t)").error.code, 902);
}

TEST(ObjectSql, ValuesShowAsConstructorsAndConvertLikeColumns) {
  EngineDb db;
  auto s = db.login();
  exec(*s, "create type point_t as object (x number(5,1), label varchar2(5), at date)");
  exec(*s, "create type path_t as varray(3) of point_t");
  exec(*s, "create table shapes (id number, p point_t, path path_t)");
  exec(*s, "insert into shapes values (1, point_t('1.25', 'a''b', to_date('2024-01-02', 'YYYY-MM-DD')), "
           "path_t(point_t(1, null, null), null))");
  exec(*s, "insert into shapes (id) values (2)");
  EXPECT_EQ(query(*s, "select p, path from shapes order by id"),
            (testing::Rows{{"POINT_T(1.3, 'a''b', '02-JAN-24')", "PATH_T(POINT_T(1, NULL, NULL), NULL)"},
                           {"<null>", "<null>"}}));
  struct Case {
    const char* sql;
    int code;
  };
  const Case cases[] = {
      {"insert into shapes (p) values (point_t(1, 'toolong', null))", 12899},
      {"insert into shapes (p) values (point_t(123456, 'a', null))", 1438},
      {"insert into shapes (p) values (point_t(1, 'a', 'not a date'))", 1858},
      {"insert into shapes (path) values (path_t(point_t(1, 'a', null), 'x'))", 932},
      {"insert into shapes (path) values (path_t(null, null, null, null))", 22909},
      {"insert into shapes (p) values (point_t(1, 2))", 2315},
      {"update shapes set p = path_t()", 932},
  };
  for (const Case& c : cases) {
    Result r = run(*s, c.sql);
    EXPECT_EQ(r.error.code, c.code) << c.sql << ": " << r.error.text;
  }
}

TEST(ObjectSql, StoredFormRoundTripsAnyText) {
  ObjectValue v;
  v.kind = ObjectValue::Kind::list;
  v.items = {ObjectValue::of_text("SCOTT.T"), ObjectValue::of_text("quote \" back\\slash\nline\x01"), ObjectValue{},
             ObjectValue::of_text("日本語😀")};
  ObjectValue nested;
  nested.kind = ObjectValue::Kind::list;
  nested.items = {ObjectValue::of_text("SCOTT.U")};
  v.items.push_back(nested);
  auto back = decode_object_value(encode_object_value(v));
  ASSERT_TRUE(back);
  EXPECT_EQ(encode_object_value(*back), encode_object_value(v));
  EXPECT_EQ(back->items[1].text, v.items[1].text);
  EXPECT_TRUE(back->items[2].is_null());
  for (const char* bad : {"", "[", "[\"a\"", "[\"a\",]", "\"open", "[null] x", "[\"\\u12\"]"})
    EXPECT_FALSE(decode_object_value(bad)) << bad;
  std::string deep(100, '[');
  EXPECT_FALSE(decode_object_value(deep + std::string(100, ']')));  // nesting is bounded
}

TEST(ObjectSql, TypeTextsParseOrSayWhy) {
  struct Case {
    const char* source;
    bool ok;
  };
  const Case cases[] = {
      {"TYPE a_t AS OBJECT (x NUMBER, y VARCHAR2(10 CHAR), z scott.b_t, r REF b_t) NOT FINAL", true},
      {"type a_t is varray(10) of number(5)", true},
      {"TYPE a_t AS TABLE OF a_t2", true},
      {"TYPE a_t AS OBJECT (x NUMBER, MEMBER FUNCTION f RETURN NUMBER)", true},
      {"TYPE a_t UNDER b_t (x NUMBER)", false},
      {"TYPE a_t AS OBJECT ()", false},
      {"TYPE a_t AS OBJECT (x LONG)", false},
      {"TYPE a_t AS OBJECT (x NUMBER, x DATE)", false},
      {"TYPE a_t AS VARRAY(0) OF NUMBER", false},
      {"TYPE a_t", false},
  };
  for (const Case& c : cases) {
    std::string why;
    EXPECT_EQ(parse_object_type("SCOTT", c.source, &why).has_value(), c.ok) << c.source << ": " << why;
  }
  auto t = parse_object_type("SCOTT", cases[0].source, nullptr);
  ASSERT_TRUE(t);
  EXPECT_EQ(t->attributes[2].type.type_owner, "SCOTT");
  EXPECT_EQ(t->attributes[3].type.code, describe_code::kRef);
}

}  // namespace
}  // namespace ocilite
