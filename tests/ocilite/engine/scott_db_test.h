// A fresh database folder with the user SCOTT/TIGER per test, for the
// clients that reach it through the OCI ABI alone.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "catalog/catalog.h"
#include "support/temp_dir.h"

namespace ocilite::testing {

class ScottDbTest : public ::testing::Test {
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

}  // namespace ocilite::testing
