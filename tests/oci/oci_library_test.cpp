// Loading client libraries (fake ones exporting only some groups), the
// client version, environment creation and the login checks made before the
// client library is asked anything.
#include <gtest/gtest.h>

#include <cstdlib>

#include "oci/oci_codes.h"
#include "oci/oci_library.h"
#include "oci/oci_session.h"
#include "oci_test_support.h"
#include "platform/client_text.h"

namespace kestrel {
namespace {

using testing::fake_library;
using testing::OciProcessTest;

struct LoadCase {
  const char* variant;
  int result;
  bool newer, objects, oci7;
};

TEST_F(OciProcessTest, GroupFlagsFollowWhatTheLibraryExports) {
  const LoadCase cases[] = {
      {"full", kOciOk, true, true, true},
      {"no_object_call", kOciOk, true, false, true},
      {"env_fallback", kOciOk, true, true, true},
      // A client without the old interface still loads; OCI7 is just unavailable.
      {"no_oci7", kOciOk, true, true, false},
      {"oci7_only", kOciOk, false, false, true},
      {"neither", kOciLibraryFailed, false, false, false},
  };
  for (const auto& c : cases) {
    testing::reset_oci_process();
    char16_t msg[256] = {};
    EXPECT_EQ(oci_load_library_file(fake_library(c.variant), OciMsgBuf(msg)), c.result) << c.variant;
    const OciProcess& p = oci_process();
    EXPECT_EQ(p.newer_usable, c.newer) << c.variant;
    EXPECT_EQ(p.objects_usable, c.objects) << c.variant;
    EXPECT_EQ(p.oci7_usable, c.oci7) << c.variant;
    if (c.result != kOciOk) {
      EXPECT_EQ(std::u16string_view(msg), kMsgLibraryFailed) << c.variant;
      EXPECT_FALSE(p.library.is_open());
    }
  }
  // Without the newer core the old interface is forced.
  testing::reset_oci_process();
  ASSERT_EQ(oci_load_library_file(fake_library("oci7_only"), nullptr), kOciOk);
  EXPECT_TRUE(oci_process().use_old_interface);
  EXPECT_EQ(oci_process().fn.OCIStmtFetch2, nullptr);  // optional and absent everywhere here
}

TEST_F(OciProcessTest, SearchOrderEndsWithTheBundledLibrary) {
  unsetenv("OCI_LIBRARY");
  oci_process().program_dir = "/opt/kestrel";
  auto list = oci_library_candidates();
  ASSERT_GE(list.size(), 9u);
  EXPECT_EQ(list[0], "libclntsh.so");
  EXPECT_EQ(list[1], "libclntsh.so.23.1");
  EXPECT_EQ(list[6], "libclntsh.so.11.1");
  EXPECT_EQ(list[7], "/opt/kestrel/lib/libkestrel_ocilite.so");
  EXPECT_EQ(list[8], "/opt/kestrel/libkestrel_ocilite.so");
  oci_process().oci_path_64 = KESTREL_OCI_FAKES_DIR;
  EXPECT_EQ(oci_library_candidates().front(), std::filesystem::path(KESTREL_OCI_FAKES_DIR) / "libclntsh.so");
  setenv("OCI_LIBRARY", fake_library("full").c_str(), 1);
  EXPECT_EQ(oci_library_candidates(), std::vector<std::filesystem::path>{fake_library("full")});
  EXPECT_EQ(oci_load_library(nullptr), kOciOk);
  EXPECT_TRUE(oci_process().newer_usable);
  setenv("OCI_LIBRARY", "/nonexistent/libclntsh.so", 1);
  char16_t msg[128];
  EXPECT_EQ(oci_load_library(OciMsgBuf(msg)), kOciLibraryFailed);
  EXPECT_EQ(std::u16string_view(msg), kMsgLibraryFailed);
  unsetenv("OCI_LIBRARY");
}

TEST_F(OciProcessTest, ClientVersionComesFromOCIClientVersion) {
  std::u16string text;
  EXPECT_EQ(oci_get_client_version(&text), 0.0);  // nothing loaded
  ASSERT_EQ(oci_load_library_file(fake_library("full"), nullptr), kOciOk);
  EXPECT_DOUBLE_EQ(oci_get_client_version(&text), 11.2);
  EXPECT_EQ(text, u"11.2.0.1");
}

TEST(OciVersionText, FourNumbersOrNothing) {
  EXPECT_DOUBLE_EQ(oci_parse_version_text(u"9.2.0.1"), 9.2);
  EXPECT_DOUBLE_EQ(oci_parse_version_text(u"19.3.0.0"), 19.3);
  EXPECT_EQ(oci_parse_version_text(u"11.2.0"), 0.0);
  EXPECT_EQ(oci_parse_version_text(u""), 0.0);
  EXPECT_EQ(oci_parse_version_text(u"a.b.c.d"), 0.0);
}

TEST_F(OciProcessTest, EnvironmentDetectsTheClientCharacterSet) {
  struct Case {
    const char* charset;
    int result;
    uint32_t code_page;
    const char16_t* msg;
  } cases[] = {
      {"AL32UTF8", kOciOk, 65001, u""},
      {"JA16SJISTILDE", kOciOk, 0, u""},
      {"UTF8", kOciEnvFailed, 0, u"NLS_LANG=UTF8はサポートしていません"},
  };
  for (const auto& c : cases) {
    for (const char* variant : {"full", "env_fallback"}) {
      testing::reset_oci_process();
      setenv("FAKE_OCI_CHARSET", c.charset, 1);
      ASSERT_EQ(oci_load_library_file(fake_library(variant), nullptr), kOciOk);
      char16_t msg[128] = {};
      EXPECT_EQ(oci_init_env(OciMsgBuf(msg)), c.result) << c.charset << " " << variant;
      EXPECT_EQ(std::u16string_view(msg), c.msg);
      EXPECT_EQ(program_code_page(), c.code_page) << c.charset;
      EXPECT_EQ(oci_process().env_initialised, c.result == kOciOk);
    }
  }
  unsetenv("FAKE_OCI_CHARSET");
  // Without the newer core there is nothing to create.
  testing::reset_oci_process();
  ASSERT_EQ(oci_load_library_file(fake_library("oci7_only"), nullptr), kOciOk);
  EXPECT_EQ(oci_init_env(nullptr), kOciOk);
  EXPECT_FALSE(oci_process().env_initialised);
}

TEST_F(OciProcessTest, OverlongLoginTextsAreRefusedBeforeTheClientIsAsked) {
  OciSession* s = reinterpret_cast<OciSession*>(0x1);
  char16_t msg[128];
  std::u16string long_text(500, u'a');
  // No library is loaded: the check must not need one.
  EXPECT_EQ(oci_login2(&s, long_text, u"p", u"", u"", 1, OciMsgBuf(msg), nullptr), kOciLoginTooLong);
  EXPECT_EQ(s, nullptr);
  EXPECT_EQ(std::u16string_view(msg), u"接続文字列が長すぎます\n");
  EXPECT_EQ(oci_login2(&s, u"u", u"p", long_text, u"", 1, OciMsgBuf(msg), nullptr), kOciLoginTooLong);
  // 499 characters are allowed by count but 3 bytes each do not fit 500 bytes.
  ASSERT_EQ(oci_load_library_file(fake_library("full"), nullptr), kOciOk);
  std::u16string wide(499, u'あ');
  EXPECT_EQ(oci_login2(&s, wide, u"p", u"", u"", 1, OciMsgBuf(msg), nullptr), kOciLoginTooLong);
  EXPECT_EQ(s, nullptr);
}

TEST_F(OciProcessTest, AskingForOci7FromAClientWithoutItFailsClearly) {
  ASSERT_EQ(oci_load_library_file(fake_library("no_oci7"), nullptr), kOciOk);
  oci_process().use_old_interface = true;
  OciSession* s = nullptr;
  char16_t msg[256];
  EXPECT_EQ(oci_login2(&s, u"scott", u"tiger", u"", u"", 1, OciMsgBuf(msg), nullptr), kOciLibraryFailed);
  EXPECT_EQ(s, nullptr);
  EXPECT_EQ(std::u16string_view(msg), kMsgNoOci7);
}

TEST(OciLogout, NullSessionIsFine) {
  OciSession* s = nullptr;
  EXPECT_EQ(oci_ora_logout(&s), kOciOk);
  EXPECT_EQ(oci_ora_logout(nullptr), kOciOk);
}

}  // namespace
}  // namespace kestrel
