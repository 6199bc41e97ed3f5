// Runs the object-type C client (object_client.c) against fresh databases.
#include <gtest/gtest.h>

#include "object_client.h"
#include "scott_db_test.h"

namespace {

using ObjectClientTest = ocilite::testing::ScottDbTest;

void expect_pass(const char* failure) { EXPECT_EQ(failure, nullptr) << (failure ? failure : ""); }

TEST_F(ObjectClientTest, ObjectsCollectionsAndRefsReadBack) { expect_pass(check_object_reads(db.c_str())); }
TEST_F(ObjectClientTest, BadHandlesAndNamesGiveErrors) { expect_pass(check_object_bad_input(db.c_str())); }
TEST_F(ObjectClientTest, TablesViewsSynonymsAndTypesByName) { expect_pass(check_describe_by_name(db.c_str())); }
TEST_F(ObjectClientTest, DateTimeAndIntervalTexts) { expect_pass(check_datetime_texts(db.c_str())); }

}  // namespace
