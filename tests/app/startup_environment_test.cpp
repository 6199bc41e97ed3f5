#include "app/startup_environment.h"

#include <gtest/gtest.h>

#include "platform/client_text.h"
#include "platform/codepage.h"
#include "platform/environment.h"
#include "support/temp_dir.h"

namespace kestrel {
namespace {

class FixedVersion final : public ClientVersionProvider {
 public:
  FixedVersion(int major, int minor, bool known = true) : major_(major), minor_(minor), known_(known) {}
  bool client_version(int& major, int& minor) const override {
    major = major_;
    minor = minor_;
    return known_;
  }

 private:
  int major_, minor_;
  bool known_;
};

TEST(StartupEnvironment, ClientLibraryFolderMustExist) {
  testing::TempDir dir;
  AppSettings s;
  EXPECT_TRUE(client_library_folder(s).empty());
  s.OCI_PATH_64 = path_text(dir.path()) + u"/";
  EXPECT_EQ(client_library_folder(s), dir.path() / "");
  s.OCI_PATH_64 = path_text(dir.path() / "missing");
  EXPECT_TRUE(client_library_folder(s).empty());
}

TEST(StartupEnvironment, TnsAdminIsExportedWhenSet) {
  unset_env(u"TNS_ADMIN");
  AppSettings s;
  EXPECT_FALSE(export_tns_admin(s));
  EXPECT_FALSE(get_env(u"TNS_ADMIN"));
  s.TNS_ADMIN = u"/etc/oracle";
  EXPECT_TRUE(export_tns_admin(s));
  EXPECT_EQ(get_env(u"TNS_ADMIN"), u"/etc/oracle");
  unset_env(u"TNS_ADMIN");
}

TEST(StartupEnvironment, Utf8SessionNeedsNlsUtf8AndClient92) {
  struct Case {
    int32_t nls_utf8;
    int major, minor;
    bool known;
    bool utf8;
  } cases[] = {
      {1, 9, 2, true, true},  {1, 19, 0, true, true}, {1, 10, 1, true, true},
      {1, 9, 1, true, false}, {1, 8, 9, true, false}, {0, 19, 0, true, false},
      {1, 19, 0, false, false},
  };
  for (const Case& c : cases) {
    set_program_code_page(kCodePageAnsi);
    unset_env(u"NLS_LANG");
    unset_env(u"NLS_NCHAR");
    AppSettings s;
    s.NLS_UTF8 = c.nls_utf8;
    FixedVersion v(c.major, c.minor, c.known);
    uint32_t cp = apply_unicode_environment(s, &v);
    SCOPED_TRACE(std::to_string(c.major) + "." + std::to_string(c.minor));
    EXPECT_EQ(cp, c.utf8 ? kCodePageUtf8 : kCodePageAnsi);
    EXPECT_EQ(program_code_page(), cp);
    EXPECT_EQ(get_env(u"NLS_LANG").value_or(u""), c.utf8 ? u"JAPANESE_JAPAN.AL32UTF8" : u"");
    EXPECT_EQ(get_env(u"NLS_NCHAR").value_or(u""), c.utf8 ? u"AL32UTF8" : u"");
  }
  AppSettings s;
  set_program_code_page(kCodePageAnsi);
  EXPECT_EQ(apply_unicode_environment(s, nullptr), kCodePageAnsi);  // no library loaded
  unset_env(u"NLS_LANG");
  unset_env(u"NLS_NCHAR");
}

TEST(StartupEnvironment, TextConverterFollowsReplaceWaveDash) {
  set_program_code_page(kCodePageUtf8);
  AppSettings s;
  s.REPLACE_WAVE_DASH = 1;
  select_text_converter(s);
  EXPECT_EQ(client_to_wide("\xE3\x80\x9C"), u"\uFF5E");
  s.REPLACE_WAVE_DASH = 0;
  select_text_converter(s);
  EXPECT_EQ(client_to_wide("\xE3\x80\x9C"), u"\u301C");
  set_program_code_page(kCodePageAnsi);
}

}  // namespace
}  // namespace kestrel
