// Environment, program location, library loading, local time, client text.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <time.h>

#include "platform/client_text.h"
#include "platform/codepage.h"
#include "platform/dynamic_library.h"
#include "platform/environment.h"
#include "platform/local_time.h"
#include "support/temp_dir.h"

namespace kestrel {
namespace {

TEST(Environment, SetPutGetUnset) {
  EXPECT_TRUE(set_env(u"KESTREL_TEST_VAR", u"値"));
  EXPECT_EQ(get_env(u"KESTREL_TEST_VAR"), u"値");
  EXPECT_TRUE(put_env(u"KESTREL_TEST_VAR=a=b"));
  EXPECT_EQ(get_env(u"KESTREL_TEST_VAR"), u"a=b");
  EXPECT_FALSE(put_env(u"=x"));
  EXPECT_FALSE(put_env(u"novalue"));
  EXPECT_TRUE(unset_env(u"KESTREL_TEST_VAR"));
  EXPECT_FALSE(get_env(u"KESTREL_TEST_VAR").has_value());
}

TEST(Environment, ProgramAndFolders) {
  EXPECT_TRUE(program_path().is_absolute());
  EXPECT_EQ(program_path().filename(), "platform_tests");
  std::u16string folder = program_folder_text();
  ASSERT_FALSE(folder.empty());
  EXPECT_EQ(folder.back(), u'/');

  testing::TempDir dir;
  std::u16string text = path_text(dir.path());
  EXPECT_TRUE(is_existing_folder(text));
  EXPECT_TRUE(is_existing_folder(text + u"/"));
  EXPECT_FALSE(is_existing_folder(text + u"/nope"));
  EXPECT_FALSE(is_existing_folder(u""));
  auto file = dir.write("f", "x");
  EXPECT_FALSE(is_existing_folder(path_text(file)));
  EXPECT_TRUE(is_existing_file(file));

  auto before = current_directory();
  ASSERT_TRUE(set_current_directory(dir.path()));
  EXPECT_EQ(std::filesystem::canonical(current_directory()), std::filesystem::canonical(dir.path()));
  std::u16string error;
  EXPECT_FALSE(set_current_directory(dir / "nope", &error));
  EXPECT_FALSE(error.empty());
  ASSERT_TRUE(set_current_directory(before));
}

TEST(DynamicLibrary, LoadsLooksUpAndReportsFailures) {
  DynamicLibrary lib;
  std::u16string error;
  EXPECT_FALSE(lib.open("libkestrel_does_not_exist.so", &error));
  EXPECT_FALSE(error.empty());
  EXPECT_FALSE(lib.is_open());
  ASSERT_TRUE(lib.open("libm.so.6", &error));
  using Cos = double (*)(double);
  auto cos_fn = reinterpret_cast<Cos>(lib.symbol("cos"));
  ASSERT_NE(cos_fn, nullptr);
  EXPECT_DOUBLE_EQ(cos_fn(0.0), 1.0);
  EXPECT_EQ(lib.symbol("no_such_symbol_here"), nullptr);
  DynamicLibrary moved = std::move(lib);
  EXPECT_TRUE(moved.is_open());
  EXPECT_FALSE(lib.is_open());
}

TEST(DynamicLibrary, ClientLibrarySearchOrder) {
  auto c = client_library_candidates("/opt/oracle", "/usr/lib/kestrel");
  std::vector<std::string> names;
  for (auto& p : c) names.push_back(p.string());
  EXPECT_EQ(names, (std::vector<std::string>{"/opt/oracle/libclntsh.so", "libclntsh.so", "libclntsh.so.23.1",
                                             "libclntsh.so.21.1", "libclntsh.so.19.1", "libclntsh.so.18.1",
                                             "libclntsh.so.12.1", "libclntsh.so.11.1",
                                             "/usr/lib/kestrel/lib/libkestrel_ocilite.so"}));
  EXPECT_EQ(client_library_candidates("", "/p").front(), "libclntsh.so");

  DynamicLibrary lib;
  std::u16string error;
  EXPECT_TRUE(open_first_library(lib, {"libnope1.so", "libm.so.6"}, &error));
  EXPECT_EQ(lib.file(), "libm.so.6");
  EXPECT_FALSE(open_first_library(lib, {"libnope1.so", "libnope2.so"}, &error));
  EXPECT_NE(error.find(u'\n'), std::u16string::npos);  // one reason per candidate
}

TEST(LocalTime, CtimeForm) {
  const char* old = ::getenv("TZ");
  std::string saved = old ? old : "";
  ::setenv("TZ", "UTC", 1);
  ::tzset();
  EXPECT_EQ(ctime_text(0), u"Thu Jan  1 00:00:00 1970\n");
  EXPECT_EQ(ctime_text(1700000000), u"Tue Nov 14 22:13:20 2023\n");
  if (old)
    ::setenv("TZ", saved.c_str(), 1);
  else
    ::unsetenv("TZ");
  ::tzset();
}

TEST(ClientText, ProgramCodePageAndWaveDash) {
  set_program_code_page(kCodePageUtf8);
  set_replace_wave_dash(false);
  EXPECT_EQ(client_to_wide("\xE3\x80\x9C"), u"\u301C");
  set_replace_wave_dash(true);
  EXPECT_EQ(client_to_wide("a\xE3\x80\x9C" "b\xE3\x80\x9C"), u"a\uFF5Eb\uFF5E");
  EXPECT_EQ(wide_to_client(u"日"), "\xE6\x97\xA5");
  set_program_code_page(kCodePageAnsi);
  EXPECT_EQ(wide_to_client(u"日"), wide_to_multibyte(kCodePageAnsi, u"日"));
  EXPECT_EQ(client_to_wide(wide_to_multibyte(kCodePageAnsi, u"表")), u"表");
  set_replace_wave_dash(false);
}

}  // namespace
}  // namespace kestrel
