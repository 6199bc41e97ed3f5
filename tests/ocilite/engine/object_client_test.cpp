// Runs the object-type C client (object_client.c) against fresh databases.
#include <gtest/gtest.h>

#include <cstdlib>

#include "catalog/catalog.h"
#include "object_client.h"
#include "support/temp_dir.h"

namespace {

class ObjectClientTest : public ::testing::Test {
 protected:
  void SetUp() override {
    unsetenv("NLS_LANG");
    ASSERT_FALSE(ocilite::Catalog::create(dir.path()));
    std::shared_ptr<ocilite::Catalog> cat;
    ASSERT_FALSE(ocilite::Catalog::open(dir.path(), cat));
    ocilite::UserOptions scott;
    scott.password = "TIGER";
    ASSERT_FALSE(cat->add_user("SCOTT", scott));
    db = dir.path().string();
  }
  kestrel::testing::TempDir dir;
  std::string db;
};

void expect_pass(const char* failure) { EXPECT_EQ(failure, nullptr) << (failure ? failure : ""); }

TEST_F(ObjectClientTest, ObjectsCollectionsAndRefsReadBack) { expect_pass(check_object_reads(db.c_str())); }
TEST_F(ObjectClientTest, BadHandlesAndNamesGiveErrors) { expect_pass(check_object_bad_input(db.c_str())); }
TEST_F(ObjectClientTest, TablesViewsSynonymsAndTypesByName) { expect_pass(check_describe_by_name(db.c_str())); }
TEST_F(ObjectClientTest, DateTimeAndIntervalTexts) { expect_pass(check_datetime_texts(db.c_str())); }

}  // namespace
