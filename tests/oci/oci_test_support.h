// Shared pieces of the Oracle layer tests: resetting the process-wide state
// between tests, the fake client libraries, and a fresh ocilite database.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "oci/oci_library.h"
#include "support/temp_dir.h"

namespace kestrel::testing {

// Unloads any library and restores the defaults of every process-wide value.
void reset_oci_process();

std::filesystem::path fake_library(const std::string& variant);

// The stand-in client library, or empty when this build has none yet
// (KESTREL_TEST_OCILITE_LIB / KESTREL_TEST_OCILITE_TOOL point elsewhere).
std::filesystem::path ocilite_library();
std::filesystem::path ocilite_tool();

class OciProcessTest : public ::testing::Test {
 protected:
  void SetUp() override { reset_oci_process(); }
  void TearDown() override { reset_oci_process(); }
};

// A fresh ocilite database in its own temporary folder, with the user
// SCOTT/TIGER, the stand-in library loaded and a UTF-8 client character set.
// Skips when this build has no ocilite; a derived SetUp returns when
// IsSkipped() or HasFatalFailure().
class OciliteDbTest : public OciProcessTest {
 protected:
  void SetUp() override;
  // Runs the ocilite tool; its output goes to tool.log in the folder.
  bool tool(const std::string& args);

  TempDir tmp_;
  std::filesystem::path db_;
};

}  // namespace kestrel::testing
