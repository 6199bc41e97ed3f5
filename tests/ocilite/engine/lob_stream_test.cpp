// Piecewise LOB writes that go straight into the row (first piece sizes
// the value, later pieces are written in place), through the OCI ABI:
// what ends up stored whatever the announced amount, what the writing
// locator reads afterwards, the row lock against a second session, and
// that fetched locators keep the value they were fetched with.
#include "lob_conn.h"

namespace ocilite::testing {
namespace {

class LobStreamTest : public LobDbTest {
 protected:
  // Writes `pieces` through a locator fetched FOR UPDATE, announcing `amount`.
  sword write_pieces(Conn& s, OCILobLocator* loc, ub4 offset, ub4 amount, const std::vector<std::string>& pieces) {
    sword rc = OCI_ERROR;
    for (size_t i = 0; i < pieces.size(); ++i) {
      const ub1 piece = pieces.size() == 1 ? OCI_ONE_PIECE
                        : i == 0           ? OCI_FIRST_PIECE
                        : i + 1 == pieces.size() ? OCI_LAST_PIECE
                                                 : OCI_NEXT_PIECE;
      ub4 amt = amount;
      rc = OCILobWrite(s.svc, s.err, loc, &amt, offset, const_cast<char*>(pieces[i].data()),
                       static_cast<ub4>(pieces[i].size()), piece, nullptr, nullptr, 0, 0);
      if (rc != (piece == OCI_LAST_PIECE || piece == OCI_ONE_PIECE ? OCI_SUCCESS : OCI_NEED_DATA)) return rc;
    }
    return rc;
  }
  static std::string bytes(size_t n, unsigned seed) {
    std::string out(n, '\0');
    for (size_t i = 0; i < n; ++i) out[i] = static_cast<char>((i * 131 + seed) >> 3);
    return out;
  }
};

TEST_F(LobStreamTest, StoredValueWhateverTheAnnouncedAmount) {
  const std::string old = bytes(20000, 1);
  const std::string a = bytes(4096, 2), b = bytes(4096, 3), c = bytes(100, 4);
  struct Case {
    const char* name;
    std::string before;
    ub4 offset, amount;
    std::string expected;
  };
  const Case cases[] = {
      {"an upload into an empty BLOB", "", 1, 8292, a + b + c},
      {"an upload replacing a shorter value", bytes(10, 9), 1, 8292, a + b + c},
      {"announced more than sent, longer old value: its tail stays", old, 1, 30000, a + b + c + old.substr(8292)},
      {"announced more than sent, empty before", "", 1, 30000, a + b + c},
      {"announced less than sent", "", 1, 5000, a + b + c},
      {"inside the value: written in place", old, 101, 8292, old.substr(0, 100) + a + b + c + old.substr(8392)},
      {"in place, running past the end", old.substr(0, 9000), 5001, 3000, old.substr(0, 5000) + a + b + c},
      {"past the end of a short value: zero bytes between", bytes(3, 5), 11, 8292,
       bytes(3, 5) + std::string(7, '\0') + a + b + c},
  };
  Conn s(db);
  ASSERT_EQ(s.run("create table bl (id number(5) primary key, b blob)"), OCI_SUCCESS) << s.message();
  int id = 0;
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    const std::string key = std::to_string(++id);
    ASSERT_EQ(s.run("insert into bl values (:K0, empty_blob())", {key}), OCI_SUCCESS) << s.message();
    OCILobLocator* loc = nullptr;
    if (!k.before.empty()) {
      ASSERT_EQ(s.run("select b from bl where id = :K0 for update", {key}, &loc, SQLT_BLOB), OCI_SUCCESS);
      ASSERT_EQ(write_pieces(s, loc, 1, static_cast<ub4>(k.before.size()), {k.before}), OCI_SUCCESS) << s.message();
    }
    ASSERT_EQ(s.run("select b from bl where id = :K0 for update", {key}, &loc, SQLT_BLOB), OCI_SUCCESS);
    ASSERT_EQ(write_pieces(s, loc, k.offset, k.amount, {a, b, c}), OCI_SUCCESS) << s.message();
    // The writing locator reads what it wrote, and knows its length.
    ub4 len = 0;
    ASSERT_EQ(OCILobGetLength(s.svc, s.err, loc, &len), OCI_SUCCESS);
    EXPECT_EQ(len, k.expected.size());
    EXPECT_EQ(s.read(loc) == k.expected, true);
    ASSERT_EQ(OCITransCommit(s.svc, s.err, OCI_DEFAULT), OCI_SUCCESS);
    EXPECT_EQ(s.value("select b from bl where id = :K0", {key}, SQLT_BLOB) == k.expected, true);
  }
}

TEST_F(LobStreamTest, ARowAnotherSessionHoldsIsRefusedAndRollbackUndoesTheWrite) {
  Conn a(db), b(db);
  ASSERT_EQ(a.run("create table bl (id number(5) primary key, b blob)"), OCI_SUCCESS);
  ASSERT_EQ(a.run("insert into bl values (1, empty_blob())"), OCI_SUCCESS);
  ASSERT_EQ(a.run("insert into bl values (2, empty_blob())"), OCI_SUCCESS);
  ASSERT_EQ(OCITransCommit(a.svc, a.err, OCI_DEFAULT), OCI_SUCCESS);
  // b fetched row 1 without a lock; a then locks it.
  OCILobLocator* lb = nullptr;
  ASSERT_EQ(b.run("select b from bl where id = 1", {}, &lb, SQLT_BLOB), OCI_SUCCESS);
  OCILobLocator* la = nullptr;
  ASSERT_EQ(a.run("select b from bl where id = 1 for update", {}, &la, SQLT_BLOB), OCI_SUCCESS);
  EXPECT_EQ(write_pieces(b, lb, 1, 8192, {bytes(4096, 1), bytes(4096, 2)}), OCI_ERROR);
  EXPECT_EQ(b.code(), 54) << b.message();
  // a writes, rolls back: the row is as before and b may write it now.
  ASSERT_EQ(write_pieces(a, la, 1, 8192, {bytes(4096, 1), bytes(4096, 2)}), OCI_SUCCESS) << a.message();
  ASSERT_EQ(OCITransRollback(a.svc, a.err, OCI_DEFAULT), OCI_SUCCESS);
  EXPECT_EQ(a.value("select b from bl where id = 1", {}, SQLT_BLOB), "");
  ASSERT_EQ(write_pieces(b, lb, 1, 8192, {bytes(4096, 3), bytes(4096, 4)}), OCI_SUCCESS) << b.message();
  ASSERT_EQ(OCITransCommit(b.svc, b.err, OCI_DEFAULT), OCI_SUCCESS);
  EXPECT_EQ(a.value("select b from bl where id = 1", {}, SQLT_BLOB) == bytes(4096, 3) + bytes(4096, 4), true);
}

TEST_F(LobStreamTest, FetchedLocatorsKeepTheirValueAfterCloseCommitRollbackAndOtherWrites) {
  Conn a(db), b(db);
  ASSERT_EQ(a.run("create table bl (id number(5) primary key, b blob, c clob)"), OCI_SUCCESS);
  ASSERT_EQ(a.run("insert into bl values (1, empty_blob(), '日本語のテキスト')"), OCI_SUCCESS);
  ASSERT_EQ(OCITransCommit(a.svc, a.err, OCI_DEFAULT), OCI_SUCCESS);
  OCILobLocator* lw = nullptr;
  ASSERT_EQ(a.run("select b from bl where id = 1 for update", {}, &lw, SQLT_BLOB), OCI_SUCCESS);
  const std::string first = bytes(9000, 7);
  ASSERT_EQ(write_pieces(a, lw, 1, 9000, {first.substr(0, 4096), first.substr(4096, 4096), first.substr(8192)}),
            OCI_SUCCESS);
  ASSERT_EQ(OCITransCommit(a.svc, a.err, OCI_DEFAULT), OCI_SUCCESS);
  // b's locators are fetched (the statement is freed at once) ...
  OCILobLocator* blob = nullptr;
  OCILobLocator* clob = nullptr;
  ASSERT_EQ(b.run("select b from bl where id = 1", {}, &blob, SQLT_BLOB), OCI_SUCCESS);
  ASSERT_EQ(b.run("select c from bl where id = 1", {}, &clob, SQLT_CLOB), OCI_SUCCESS);
  // ... then a replaces both values and commits, and b commits and rolls back.
  ASSERT_EQ(a.run("update bl set b = empty_blob(), c = 'new' where id = 1"), OCI_SUCCESS);
  ASSERT_EQ(OCITransCommit(a.svc, a.err, OCI_DEFAULT), OCI_SUCCESS);
  ASSERT_EQ(OCITransCommit(b.svc, b.err, OCI_DEFAULT), OCI_SUCCESS);
  ASSERT_EQ(OCITransRollback(b.svc, b.err, OCI_DEFAULT), OCI_SUCCESS);
  EXPECT_EQ(b.read(blob) == first, true);
  EXPECT_EQ(b.read(clob), "日本語のテキスト");  // read in 5-byte pieces: whole characters only
}

}  // namespace
}  // namespace ocilite::testing
