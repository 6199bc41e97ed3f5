// Runs the C client (oci_client.c) against fresh databases.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include "catalog/catalog.h"
#include "lob_client.h"
#include "oci7_client.h"
#include "oci_client.h"
#include "scott_db_test.h"

namespace {

using OciClientTest = ocilite::testing::ScottDbTest;

#define CHECK_CLIENT(call)            \
  do {                                \
    const char* failure = call;       \
    EXPECT_EQ(failure, nullptr) << (failure ? failure : ""); \
  } while (0)

TEST_F(OciClientTest, LoginErrorsAndVersions) { CHECK_CLIENT(check_login_errors(db.c_str())); }
TEST_F(OciClientTest, ArrayDmlStopsAtTheFailingRowAndArrayFetch) { CHECK_CLIENT(check_array_dml_and_fetch(db.c_str())); }
TEST_F(OciClientTest, DescribeAsOracle) { CHECK_CLIENT(check_describe(db.c_str())); }
TEST_F(OciClientTest, TruncationAndNulls) { CHECK_CLIENT(check_truncation_and_nulls(db.c_str())); }
TEST_F(OciClientTest, ReturningRowid) { CHECK_CLIENT(check_returning_rowid(db.c_str())); }
TEST_F(OciClientTest, Savepoints) { CHECK_CLIENT(check_savepoints(db.c_str())); }
TEST_F(OciClientTest, TwoSessionLocking) { CHECK_CLIENT(check_two_session_locking(db.c_str())); }
TEST_F(OciClientTest, BreakDuringALongQuery) { CHECK_CLIENT(check_break_long_query(db.c_str())); }
TEST_F(OciClientTest, ShiftJisClient) { CHECK_CLIENT(check_client_charset(db.c_str(), 0)); }
TEST_F(OciClientTest, Utf8Client) {
  setenv("NLS_LANG", "AMERICAN_AMERICA.AL32UTF8", 1);
  CHECK_CLIENT(check_client_charset(db.c_str(), 1));
  unsetenv("NLS_LANG");
}
TEST_F(OciClientTest, LobReads) { CHECK_CLIENT(check_lob_reads(db.c_str())); }
TEST_F(OciClientTest, Oci7LoginAndBadDataAreas) { CHECK_CLIENT(check_oci7_login(db.c_str())); }
TEST_F(OciClientTest, Oci7FullSession) {
  // olog takes the client character set from NLS_LANG; the texts are UTF-8.
  setenv("NLS_LANG", "AMERICAN_AMERICA.AL32UTF8", 1);
  CHECK_CLIENT(check_oci7_session(db.c_str()));
  unsetenv("NLS_LANG");
}
TEST_F(OciClientTest, Oci7OnTheSessionOfAServiceContext) { CHECK_CLIENT(check_oci7_from_svcctx(db.c_str())); }
TEST_F(OciClientTest, LobRoundTripsOfEverySize) { CHECK_CLIENT(check_lob_round_trips(db.c_str())); }
TEST_F(OciClientTest, TemporaryLobs) { CHECK_CLIENT(check_temporary_lobs(db.c_str())); }
TEST_F(OciClientTest, BfileNamedByTheClientAndLoadedIntoALob) {
  std::filesystem::create_directories(dir.path() / "files");
  std::ofstream(dir.path() / "files" / "hello.txt", std::ios::binary) << "hello";
  std::shared_ptr<ocilite::Catalog> cat;
  ASSERT_FALSE(ocilite::Catalog::open(dir.path(), cat));
  ASSERT_FALSE(cat->create_directory("FILES", dir.path() / "files", false));
  CHECK_CLIENT(check_bfile_set_name_and_load(db.c_str(), "hello"));
}
TEST_F(OciClientTest, InvalidHandlesAndUnavailableCalls) { CHECK_CLIENT(check_invalid_handles_and_unavailable_calls(db.c_str())); }

}  // namespace
