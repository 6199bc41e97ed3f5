// A fresh ocilite database per test with user SCOTT/TIGER, and the stand-in
// client library loaded through the program's own loader.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "app/session_control.h"
#include "app_session_reset.h"
#include "oci/oci_library.h"
#include "platform/client_text.h"
#include "platform/utf16.h"
#include "support/temp_dir.h"
#include "support/shell_quote.h"

namespace kestrel::testing {

// The build's own stand-in unless the environment names another.
inline std::string from_env(const char* name, const char* built) {
  const char* v = std::getenv(name);
  return v && *v ? v : built;
}

class LoginDbTest : public ::testing::Test {
 protected:
  void SetUp() override {
    reset();
    // Nothing a test does may reach the user's own settings.
    setenv("XDG_CONFIG_HOME", (tmp_.path() / "config").c_str(), 1);
    db_ = tmp_.path() / "db";
    ASSERT_EQ(ocilite("create " + shell_quote(db_.string())), 0);
    ASSERT_EQ(ocilite("user add " + shell_quote(db_.string()) + " SCOTT TIGER"), 0);
    setenv("OCI_LIBRARY", from_env("KESTREL_TEST_OCILITE_LIB", KESTREL_TEST_OCILITE_LIB).c_str(), 1);
    setenv("NLS_LANG", "JAPANESE_JAPAN.AL32UTF8", 1);
    ClientLibraryResult r = load_client_library({}, {});
    ASSERT_TRUE(r.loaded) << utf16_to_utf8(r.error);
  }
  void TearDown() override {
    reset();
    unsetenv("XDG_CONFIG_HOME");
  }

  static int ocilite(const std::string& args, const std::string& input_file = {}) {
    std::string cmd = shell_quote(from_env("KESTREL_TEST_OCILITE_TOOL", KESTREL_TEST_OCILITE_TOOL)) + " " + args;
    if (!input_file.empty()) cmd += " < " + shell_quote(input_file);
    cmd += " > /dev/null 2>&1";
    return std::system(cmd.c_str());
  }
  std::u16string tns() const { return utf8_to_utf16(db_.string()); }

  static void reset() { reset_app_session(); }

  TempDir tmp_;
  std::filesystem::path db_;
};

}  // namespace kestrel::testing
