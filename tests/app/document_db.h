// A fresh copy of the ocilite demo database per test, logged in as
// SCOTT/TIGER through the program's own loader and login, with that session
// current; `other` opens a second session for reading and locking behind the
// document's back. The demo is built once per test program with the tool.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "app/session_control.h"
#include "app_session_reset.h"
#include "oci/oci_codes.h"
#include "oci/oci_cursor.h"
#include "oci/oci_dataset.h"
#include "oci/oci_library.h"
#include "oci/oci_session.h"
#include "platform/client_text.h"
#include "platform/utf16.h"
#include "support/shell_quote.h"
#include "support/temp_dir.h"

namespace kestrel::testing {

class DocumentDbTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (demo_ != nullptr) return;
    demo_ = new TempDir;
    std::atexit([] {
      delete demo_;
      demo_ = nullptr;
    });
    // A demo database already built may be named instead (KESTREL_TEST_DEMO_DIR).
    if (const char* made = std::getenv("KESTREL_TEST_DEMO_DIR"); made && *made) {
      std::error_code ec;
      std::filesystem::copy(made, demo_->path() / "demo", std::filesystem::copy_options::recursive, ec);
      demo_made_ = !ec;
      return;
    }
    const std::string tool = Env("KESTREL_TEST_OCILITE_TOOL", KESTREL_TEST_OCILITE_TOOL);
    const std::string cmd =
        shell_quote(tool) + " demo " + shell_quote((demo_->path() / "demo").string()) + " > /dev/null 2>&1";
    demo_made_ = std::system(cmd.c_str()) == 0;
  }

  void SetUp() override {
    ASSERT_TRUE(demo_made_) << "the demo database could not be built";
    setenv("XDG_CONFIG_HOME", (tmp_.path() / "config").c_str(), 1);
    db_ = tmp_.path() / "demo";
    std::filesystem::copy(demo_->path() / "demo", db_, std::filesystem::copy_options::recursive);
    setenv("OCI_LIBRARY", Env("KESTREL_TEST_OCILITE_LIB", KESTREL_TEST_OCILITE_LIB).c_str(), 1);
    setenv("NLS_LANG", "JAPANESE_JAPAN.AL32UTF8", 1);
    Reset();
    if (!login_in_setup_) return;
    ClientLibraryResult r = load_client_library({}, {});
    ASSERT_TRUE(r.loaded) << utf16_to_utf8(r.error);
    SessionLogin login = open_session(u"SCOTT", u"TIGER", tns(), kConnectModeNormal, false);
    ASSERT_NE(login.session, nullptr) << utf16_to_utf8(login.message);
    set_current_session(login.session);
    session_ = login.session;
  }

  void TearDown() override {
    close_session(&other_);
    Reset();
    unsetenv("XDG_CONFIG_HOME");
  }

  std::u16string tns() const { return utf8_to_utf16(db_.string()); }

  // A second session of SCOTT on the same database.
  OciSession* other() {
    if (other_ == nullptr) {
      SessionLogin login = open_session(u"SCOTT", u"TIGER", tns(), kConnectModeNormal, false);
      EXPECT_NE(login.session, nullptr) << utf16_to_utf8(login.message);
      other_ = login.session;
    }
    return other_;
  }
  // The first column of the first row of `sql` on the second session.
  std::u16string OtherValue(std::u16string_view sql) {
    char16_t value[4096] = {};
    char16_t msg[1024] = {};
    int rc = oci_select_value(other(), sql, value, sizeof(value), OciMsgBuf(msg));
    EXPECT_EQ(rc, kOciOk) << utf16_to_utf8(msg);
    return value;
  }
  int OtherExecute(std::u16string_view sql) {
    char16_t msg[1024] = {};
    int rc = oci_execute_sql(other(), sql, OciMsgBuf(msg));
    last_other_msg_ = msg;
    return rc;
  }

  static void Reset() { reset_app_session(); }

  static std::string Env(const char* name, const char* built) {
    const char* v = std::getenv(name);
    return v && *v ? v : built;
  }

  static TempDir* demo_;
  static bool demo_made_;
  // False: only the fresh database; the test logs in itself.
  bool login_in_setup_ = true;
  TempDir tmp_;
  std::filesystem::path db_;
  OciSession* session_ = nullptr;
  OciSession* other_ = nullptr;
  std::u16string last_other_msg_;
};

inline TempDir* DocumentDbTest::demo_ = nullptr;
inline bool DocumentDbTest::demo_made_ = false;

}  // namespace kestrel::testing
