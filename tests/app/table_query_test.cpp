// The table selection without its window, on a fresh demo database: the
// dictionary lists, the object filter over them, the statement for heap and
// index-organised tables, the query on its worker, locks and cancels.
#include "app/table_query.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>

#include "app/document_workers.h"
#include "app/object_filter.h"
#include "app/table_catalog.h"
#include "document_db.h"
#include "sqltext/sql_str_token.h"

namespace kestrel {
namespace {

std::string U8(std::u16string_view s) { return utf16_to_utf8(s); }

class TableQueryTest : public testing::DocumentDbTest {
 protected:
  std::vector<std::u16string> ObjectNames(const std::vector<CatalogObject>& objects) {
    std::vector<std::u16string> names;
    for (const auto& o : objects) names.push_back(o.name);
    return names;
  }
  CSQLStrToken tok_;
};

TEST_F(TableQueryTest, OwnersEndWithPublic) {
  std::vector<std::u16string> owners;
  std::u16string err;
  ASSERT_EQ(LoadOwnerNames(session_, &owners, &err), kOciOk) << U8(err);
  ASSERT_GE(owners.size(), 3u);
  EXPECT_EQ(owners.back(), u"PUBLIC");
  EXPECT_NE(std::find(owners.begin(), owners.end(), u"SCOTT"), owners.end());
  EXPECT_NE(std::find(owners.begin(), owners.end(), u"HR"), owners.end());
}

TEST_F(TableQueryTest, ScottObjectsWithCommentsAndTheFilter) {
  std::vector<CatalogObject> objects;
  std::u16string err;
  ASSERT_EQ(LoadObjects(session_, u"SCOTT", u"", &objects, &err), kOciOk) << U8(err);
  auto find = [&](std::u16string_view name) -> const CatalogObject* {
    for (const auto& o : objects)
      if (o.name == name) return &o;
    return nullptr;
  };
  struct Expect {
    std::u16string_view name, type;
  } expected[] = {{u"EMP", u"TABLE"}, {u"DEPT", u"TABLE"}, {u"SALGRADE", u"TABLE"},
                  {u"EMP_DEPT_V", u"VIEW"}, {u"STAFF", u"SYNONYM"}};
  for (const auto& e : expected) {
    const CatalogObject* o = find(e.name);
    ASSERT_NE(o, nullptr) << U8(e.name);
    EXPECT_EQ(o->type, e.type) << U8(e.name);
  }
  EXPECT_EQ(find(u"DEPT")->comments, u"部署");

  // "^e" matches names starting with E in any case; "(" does not compile
  // and lists everything with the valid flag cleared.
  const std::vector<std::u16string> names = ObjectNames(objects);
  ObjectFilter filter;
  filter.SetText(u"^e");
  std::vector<std::u16string> shown;
  for (int32_t i : filter.Apply(names)) shown.push_back(names[static_cast<std::size_t>(i)]);
  EXPECT_NE(std::find(shown.begin(), shown.end(), u"EMP"), shown.end());
  EXPECT_NE(std::find(shown.begin(), shown.end(), u"EMP_DEPT_V"), shown.end());
  EXPECT_EQ(std::find(shown.begin(), shown.end(), u"DEPT"), shown.end());
  EXPECT_TRUE(filter.SetText(u"("));
  EXPECT_FALSE(filter.valid());
  EXPECT_EQ(filter.Apply(names).size(), names.size());

  // The re-run lists the one object by name.
  ASSERT_EQ(LoadObjects(session_, u"SCOTT", u"EMP", &objects, &err), kOciOk) << U8(err);
  ASSERT_EQ(objects.size(), 1u);
  EXPECT_EQ(objects[0].name, u"EMP");
}

TEST_F(TableQueryTest, ColumnsOfTableAndSynonym) {
  std::vector<CatalogColumn> cols;
  std::u16string err;
  ASSERT_EQ(LoadColumns(session_, u"SCOTT", {u"EMP", u"TABLE", u""}, &cols, &err), kOciOk) << U8(err);
  ASSERT_EQ(cols.size(), 9u);
  EXPECT_EQ(cols[0].name, u"EMPNO");
  EXPECT_EQ(cols[0].no, 1);
  EXPECT_EQ(cols[1].name, u"ENAME");
  EXPECT_EQ(cols[1].type, u"VARCHAR2");
  EXPECT_EQ(cols[1].nullable, u"N");
  EXPECT_EQ(cols[8].name, u"DEPTNO");

  std::vector<CatalogColumn> syn;
  ASSERT_EQ(LoadColumns(session_, u"SCOTT", {u"STAFF", u"SYNONYM", u""}, &syn, &err), kOciOk) << U8(err);
  ASSERT_EQ(syn.size(), cols.size());
  for (std::size_t i = 0; i < cols.size(); ++i) EXPECT_EQ(syn[i].name, cols[i].name);
  EXPECT_EQ(syn[1].nullable, u"N");
  EXPECT_EQ(syn[8].no, 9);

  // A name that cannot be quoted never reaches SQL.
  EXPECT_NE(LoadColumns(session_, u"SCOTT", {u"ST\"AFF", u"SYNONYM", u""}, &syn, &err), kOciOk);
  EXPECT_TRUE(syn.empty());
}

TEST(UnsupportedColumnTest, LongRawBlocksOk) {
  std::vector<CatalogColumn> cols = {{u"ID", u"NUMBER", u"4", u"N", u"", 1},
                                     {u"PIC", u"LONG RAW", u"", u"Y", u"", 2},
                                     {u"TXT", u"LONG", u"", u"Y", u"", 3}};
  EXPECT_EQ(UnsupportedColumnMessage({u"ID", u"TXT"}, cols), u"");
  EXPECT_EQ(UnsupportedColumnMessage({u"ID", u"PIC"}, cols), u"LONG RAWはサポートされていません");
  EXPECT_EQ(UnsupportedColumnMessage({u"PIC /*READONLY*/"}, cols), u"");
}

TEST_F(TableQueryTest, StatementsForHeapAndIndexOrganisedTables) {
  SelectRequest req;
  req.owner = u"SCOTT";
  req.table = u"EMP";
  req.entries = {u"EMPNO", u"ENAME"};
  req.condition = u"WHERE deptno = 10";
  std::u16string sql, err;
  ASSERT_EQ(BuildQueryStatement(session_, tok_, req, &sql, &err), kOciOk) << U8(err);
  EXPECT_EQ(U8(sql), "select a.\"EMPNO\", a.\"ENAME\", rowid \nfrom \"SCOTT\".\"EMP\" a \nWHERE deptno = 10");

  req.table = u"SALGRADE";
  req.entries = {u"GRADE", u"LOSAL"};
  req.condition = u"";
  req.data_lock = true;
  ASSERT_EQ(BuildQueryStatement(session_, tok_, req, &sql, &err), kOciOk) << U8(err);
  EXPECT_EQ(U8(sql),
            "select a.\"GRADE\", a.\"LOSAL\", 'X' as \"ROWID\" , a.\"GRADE\" \nfrom \"SCOTT\".\"SALGRADE\" a \n for "
            "update nowait");

  OciDataset ds;
  std::u16string msg;
  ASSERT_EQ(RunQueryOnWorker(session_, sql, &ds, &msg), kOciOk) << U8(msg);
  EXPECT_EQ(ds.row_count, 5);
  EXPECT_EQ(ds.col_count, 4);
  EXPECT_TRUE(AcceptQueryResult(kOciOk, ds, &msg));
  ASSERT_EQ(RollbackBeforeQuery(session_, &err), kOciOk) << U8(err);
}

TEST_F(TableQueryTest, BadConditionsShowTheOracleText) {
  const std::u16string conditions[] = {u"WHERE ename = 'open", u"WHERE " + std::u16string(100000, u'x'),
                                       u"WHERE ename = :X0"};
  for (const auto& cond : conditions) {
    OciDataset ds;
    std::u16string msg;
    int rc = RunQueryOnWorker(session_, u"select a.\"ENAME\", rowid \nfrom \"SCOTT\".\"EMP\" a \n" + cond, &ds, &msg);
    EXPECT_NE(rc, kOciOk) << U8(cond.substr(0, 40));
    EXPECT_FALSE(AcceptQueryResult(rc, ds, &msg));
    EXPECT_NE(msg.find(u"ORA-"), std::u16string::npos) << U8(msg.substr(0, 200));
  }
}

TEST_F(TableQueryTest, AnotherSessionsLockFailsALockedQueryAtOnce) {
  ASSERT_EQ(OtherExecute(u"update emp set sal = sal where empno = 7369"), kOciOk) << U8(last_other_msg_);
  OciDataset ds;
  std::u16string msg;
  int rc = RunQueryOnWorker(session_, u"select a.\"ENAME\", rowid \nfrom \"SCOTT\".\"EMP\" a \n for update nowait",
                            &ds, &msg);
  EXPECT_NE(rc, kOciOk);
  EXPECT_NE(msg.find(u"ORA-00054"), std::u16string::npos) << U8(msg);
  EXPECT_FALSE(AcceptQueryResult(rc, ds, &msg));
  // Without the lock clause the rows read fine.
  rc = RunQueryOnWorker(session_, u"select a.\"ENAME\", rowid \nfrom \"SCOTT\".\"EMP\" a \n", &ds, &msg);
  EXPECT_EQ(rc, kOciOk) << U8(msg);
  EXPECT_EQ(ds.row_count, 14);
}

// Cancels the transfer once `after` rows have arrived.
class CancelAfter final : public MsgTarget {
 public:
  CancelAfter(std::atomic<int32_t>& cancel, int32_t after) : cancel_(cancel), after_(after) {}
  intptr_t send(uint32_t, uintptr_t, intptr_t) override { return 0; }
  void post(uint32_t msg, uintptr_t wparam, intptr_t) override {
    if (msg == kMsgIdProgressRows && static_cast<int32_t>(wparam) >= after_) cancel_ = 1;
  }

 private:
  std::atomic<int32_t>& cancel_;
  int32_t after_;
};

TEST_F(TableQueryTest, CancelledTransferKeepsItsRowsButACancelBeforeTheDescribeFails) {
  std::atomic<int32_t> cancel{0};
  CancelAfter target(cancel, 1000);
  OciDataset ds;
  std::u16string msg;
  int rc = RunSelectInto(session_, u"select a.\"ID\", a.\"NAME\", rowid \nfrom \"SCOTT\".\"BIG_TABLE\" a \n", &ds, &msg,
                         &target, &cancel);
  EXPECT_EQ(rc, kOciCancelled) << U8(msg);
  EXPECT_GE(ds.row_count, 1000);
  EXPECT_LT(ds.row_count, 100000);
  EXPECT_TRUE(AcceptQueryResult(rc, ds, &msg));

  OciDataset empty;
  msg.clear();
  EXPECT_FALSE(AcceptQueryResult(kOciCancelled, empty, &msg));
  EXPECT_EQ(msg, u"キャンセルしました\n");
}

}  // namespace
}  // namespace kestrel
