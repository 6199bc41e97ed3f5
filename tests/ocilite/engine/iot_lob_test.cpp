// LOB locators of index-organised tables, through the OCI ABI of
// libkestrel_ocilite.so: a row fetched FOR UPDATE is found again by its
// primary key (single, composite, Japanese text) for OCILobWrite,
// OCILobTrim and reads, its row lock holds against a second session, and
// a locator whose row cannot be addressed is refused with ORA-22920.
#include "lob_conn.h"

namespace ocilite::testing {
namespace {

using IotLobTest = LobDbTest;

TEST_F(IotLobTest, TrimAndWriteThroughLocatorsFoundByTheirKey) {
  struct Case {
    const char* name;
    const char* ddl;
    std::vector<const char*> inserts;
    const char* where;              // the key condition with :K0, :K1, ...
    std::vector<std::string> key;   // the row written
    std::vector<std::string> other; // a row that must stay as it was
  };
  const Case cases[] = {
      {"single number key",
       "create table d1 (id number(5) primary key, body clob) organization index",
       {"insert into d1 values (1, 'one')", "insert into d1 values (2, 'two')", "insert into d1 values (10, 'ten')"},
       "id = :K0",
       {"1"},
       {"10"}},
      {"composite key with Japanese text",
       "create table d2 (lang varchar2(10), title varchar2(40 char), n number(3), body clob, "
       "primary key (lang, title, n)) organization index",
       {"insert into d2 values ('ja', '日本語の題名', 1, '古い本文')", "insert into d2 values ('ja', '日本語の題名', 2, 'second')",
        "insert into d2 values ('en', 'title', 1, 'english')"},
       "lang = :K0 and title = :K1 and n = :K2",
       {"ja", "日本語の題名", "1"},
       {"ja", "日本語の題名", "2"}},
      {"key text holding quotes and the separator of logical ROWIDs",
       "create table d3 (k varchar2(20) primary key, body clob) organization index",
       {"insert into d3 values ('a\x1F" "b''\"', 'x')", "insert into d3 values ('a', 'y')"},
       "k = :K0",
       {"a\x1F" "b'\""},
       {"a"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Conn s(db);
    ASSERT_EQ(s.run(c.ddl), OCI_SUCCESS) << s.message();
    for (const char* ins : c.inserts) ASSERT_EQ(s.run(ins), OCI_SUCCESS) << s.message();
    ASSERT_EQ(OCITransCommit(s.svc, s.err, OCI_DEFAULT), OCI_SUCCESS);
    const std::string table = std::string(c.ddl).substr(13, 2);
    const std::string select = "select body from " + table + " where " + c.where;
    const std::string before_other = s.value(select, c.other);

    OCILobLocator* loc = nullptr;
    ASSERT_EQ(s.run(select + " \nfor update", c.key, &loc), OCI_SUCCESS) << s.message();
    ASSERT_EQ(OCILobTrim(s.svc, s.err, loc, 0), OCI_SUCCESS) << s.message();
    EXPECT_EQ(s.value(select, c.key), "");
    const std::string text = "新しい本文 😀 and more";
    ASSERT_EQ(s.write(loc, text), OCI_SUCCESS) << s.message();
    EXPECT_EQ(s.read(loc), text);
    // Overwrite in the middle (characters), then trim to 5 characters.
    ASSERT_EQ(s.write(loc, "古い", 3), OCI_SUCCESS) << s.message();
    EXPECT_EQ(s.read(loc), "新し古い文 😀 and more");
    ASSERT_EQ(OCILobTrim(s.svc, s.err, loc, 5), OCI_SUCCESS) << s.message();
    ASSERT_EQ(OCITransCommit(s.svc, s.err, OCI_DEFAULT), OCI_SUCCESS);
    EXPECT_EQ(s.value(select, c.key), "新し古い文");
    EXPECT_EQ(s.value(select, c.other), before_other);
  }
}

TEST_F(IotLobTest, BlobWrittenPiecewiseIsFoundByItsKey) {
  Conn s(db);
  ASSERT_EQ(s.run("create table pics (owner varchar2(10), n number(3), pic blob, primary key (owner, n)) "
                  "organization index"),
            OCI_SUCCESS)
      << s.message();
  ASSERT_EQ(s.run("insert into pics values ('山田', 1, empty_blob())"), OCI_SUCCESS) << s.message();
  ASSERT_EQ(s.run("insert into pics values ('山田', 2, empty_blob())"), OCI_SUCCESS) << s.message();
  OCILobLocator* loc = nullptr;
  ASSERT_EQ(s.run("select pic from pics where owner = :K0 and n = :K1 for update", {"山田", "2"}, &loc, SQLT_BLOB),
            OCI_SUCCESS)
      << s.message();
  std::string bytes(10000, '\0');
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 31 + 7);
  ub4 amt = static_cast<ub4>(bytes.size());
  for (size_t at = 0; at < bytes.size(); at += 4096) {
    const size_t n = std::min<size_t>(4096, bytes.size() - at);
    const ub1 piece = at == 0 ? OCI_FIRST_PIECE : at + n >= bytes.size() ? OCI_LAST_PIECE : OCI_NEXT_PIECE;
    const sword rc = OCILobWrite(s.svc, s.err, loc, &amt, 1, bytes.data() + at, static_cast<ub4>(n), piece, nullptr,
                                 nullptr, 0, 0);
    ASSERT_EQ(rc, piece == OCI_LAST_PIECE ? OCI_SUCCESS : OCI_NEED_DATA) << s.message();
  }
  ASSERT_EQ(OCITransCommit(s.svc, s.err, OCI_DEFAULT), OCI_SUCCESS);
  EXPECT_EQ(s.value("select pic from pics where owner = :K0 and n = :K1", {"山田", "2"}, SQLT_BLOB), bytes);
  EXPECT_EQ(s.value("select pic from pics where owner = :K0 and n = :K1", {"山田", "1"}, SQLT_BLOB), "");
}

TEST_F(IotLobTest, TheKeyedRowIsLockedAgainstASecondSession) {
  Conn a(db), b(db);
  ASSERT_EQ(a.run("create table k2 (a varchar2(10), b number(3), c clob, primary key (a, b)) organization index"),
            OCI_SUCCESS);
  ASSERT_EQ(a.run("insert into k2 values ('鍵', 1, 'x')"), OCI_SUCCESS);
  ASSERT_EQ(a.run("insert into k2 values ('鍵', 2, 'y')"), OCI_SUCCESS);
  ASSERT_EQ(OCITransCommit(a.svc, a.err, OCI_DEFAULT), OCI_SUCCESS);
  OCILobLocator* la = nullptr;
  ASSERT_EQ(a.run("select c from k2 where a = :K0 and b = :K1 for update", {"鍵", "1"}, &la), OCI_SUCCESS) << a.message();
  // b may take the other row, never a's.
  OCILobLocator* lb = nullptr;
  EXPECT_EQ(b.run("select c from k2 where a = :K0 and b = :K1 for update nowait", {"鍵", "1"}, &lb), OCI_ERROR);
  EXPECT_EQ(b.code(), 54);
  ASSERT_EQ(b.run("select c from k2 where a = :K0 and b = :K1 for update nowait", {"鍵", "2"}, &lb), OCI_SUCCESS)
      << b.message();
  ASSERT_EQ(b.write(lb, "b's"), OCI_SUCCESS) << b.message();
  // A locator b fetched without the lock cannot write a's row.
  OCILobLocator* plain = nullptr;
  ASSERT_EQ(b.run("select c from k2 where a = :K0 and b = :K1", {"鍵", "1"}, &plain), OCI_SUCCESS);
  EXPECT_EQ(b.write(plain, "no"), OCI_ERROR);
  EXPECT_EQ(b.code(), 22920) << b.message();
  // One writer per schema at a time: a writes once b has committed.
  ASSERT_EQ(OCITransCommit(b.svc, b.err, OCI_DEFAULT), OCI_SUCCESS);
  ASSERT_EQ(a.write(la, "a's"), OCI_SUCCESS) << a.message();
  ASSERT_EQ(OCITransCommit(a.svc, a.err, OCI_DEFAULT), OCI_SUCCESS);
  EXPECT_EQ(a.value("select c from k2 where a = :K0 and b = :K1", {"鍵", "1"}), "a's");
  EXPECT_EQ(a.value("select c from k2 where a = :K0 and b = :K1", {"鍵", "2"}), "b's");
}

TEST_F(IotLobTest, ALocatorWhoseRowKeyChangedIsRefusedNotLost) {
  Conn s(db);
  ASSERT_EQ(s.run("create table k3 (id number(3) primary key, c clob) organization index"), OCI_SUCCESS);
  ASSERT_EQ(s.run("insert into k3 values (1, 'x')"), OCI_SUCCESS);
  OCILobLocator* loc = nullptr;
  ASSERT_EQ(s.run("select c from k3 where id = 1 for update", {}, &loc), OCI_SUCCESS) << s.message();
  ASSERT_EQ(s.run("update k3 set id = 2 where id = 1"), OCI_SUCCESS) << s.message();
  EXPECT_EQ(s.write(loc, "lost?"), OCI_ERROR);
  EXPECT_EQ(s.code(), 22920) << s.message();
  EXPECT_EQ(s.value("select c from k3 where id = 2", {}), "x");
}

}  // namespace
}  // namespace ocilite::testing
