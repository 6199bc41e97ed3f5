#include "app/app_store.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <fstream>

#include "platform/environment.h"
#include "support/temp_dir.h"

namespace kestrel {
namespace {

using testing::TempDir;

// Each test gets a program folder and a per-user configuration folder.
class AppStoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (const char* old = ::getenv("XDG_CONFIG_HOME")) saved_ = old, had_ = true;
    ::setenv("XDG_CONFIG_HOME", (dir_ / "config").c_str(), 1);
    std::filesystem::create_directory(program_);
  }
  void TearDown() override {
    if (had_)
      ::setenv("XDG_CONFIG_HOME", saved_.c_str(), 1);
    else
      ::unsetenv("XDG_CONFIG_HOME");
  }
  std::filesystem::path user_file(const char* app = "kestrel") const {
    return dir_ / "config" / "BRANT" / "ORACLE" / (std::string(app) + ".ini");
  }

  TempDir dir_;
  std::filesystem::path program_ = dir_ / "program";
  std::string saved_;
  bool had_ = false;
};

TEST_F(AppStoreTest, NothingAnywhereMeansThePerUserStoreAndDefaults) {
  AppSettingsStore s(program_);
  s.choose();
  EXPECT_FALSE(s.ini_mode());
  EXPECT_EQ(s.store().location(), path_text(user_file()));
  AppSettings settings;
  settings.load(s.store(), u"/p/");
  AppSettings d;
  d.INITIAL_DIR = u"/p/";
  EXPECT_EQ(settings, d);
}

TEST_F(AppStoreTest, IniBesideTheProgramCountsOnlyWithUseIniFile1) {
  struct Case {
    const char* content;
    bool ini_mode;
  } cases[] = {
      {"[APPLICATION]\nUSE_INI_FILE=1\n", true},
      {"[application]\r\n use_ini_file = \"1\"\r\n", true},
      {"[APPLICATION]\nUSE_INI_FILE=0\n", false},
      {"[APPLICATION]\nUSE_INI_FILE=2\n", false},
      {"[GRID]\nSHOW_TAB=1\n", false},
      {"", false},
  };
  for (const Case& c : cases) {
    std::filesystem::remove_all(program_ / "kestrel.ini");
    std::ofstream(program_ / "kestrel.ini") << c.content;
    AppSettingsStore s(program_);
    s.choose();
    EXPECT_EQ(s.ini_mode(), c.ini_mode) << c.content;
  }
  std::filesystem::remove_all(program_ / "kestrel.ini");
  std::filesystem::create_directory(program_ / "kestrel.ini");
  AppSettingsStore s(program_);
  s.choose();
  EXPECT_FALSE(s.ini_mode());
}

TEST_F(AppStoreTest, SiblingStoreIsChosenAnewEachTime) {
  AppSettingsStore s(program_);
  s.choose();
  EXPECT_EQ(s.sibling_store()->location(), path_text(user_file("plover")));
  std::ofstream(program_ / "plover.ini") << "[APPLICATION]\nUSE_INI_FILE=1\n[CONNECT_INFO]\nCOUNT=3\n";
  auto sibling = s.sibling_store();
  EXPECT_EQ(sibling->location(), path_text(program_ / "plover.ini"));
  EXPECT_EQ(sibling->get_int(u"CONNECT_INFO", u"COUNT", 0), 3);
}

// A stand-in for the key assignments or the connection profiles.
class FakeParticipant final : public StoreParticipant {
 public:
  explicit FakeParticipant(const char16_t* key) : key_(key) {}
  void read_before_switch(const SettingsStore& old_store) override {
    value_ = old_store.get_string(u"ACCELERATOR", key_, u"");
  }
  bool write_after_switch(SettingsStore& new_store) override {
    return new_store.write_string(u"ACCELERATOR", key_, value_);
  }

 private:
  const char16_t* key_;
  std::u16string value_;
};

TEST_F(AppStoreTest, SwitchCarriesEverythingOverAndTheOldStoreKeepsItsContent) {
  AppSettingsStore s(program_);
  s.choose();
  ASSERT_FALSE(s.ini_mode());
  s.store().write_string(u"ACCELERATOR", u"CMD_0000", u"32776");
  s.store().write_string(u"ACCELERATOR", u"KEY_0000", u"113");
  FakeParticipant a(u"CMD_0000"), b(u"KEY_0000");
  s.add_participant(&a);
  s.add_participant(&b);
  AppSettings settings;
  settings.NULL_TEXT = u"(null)";
  settings.font.FACENAME = u"IPAGothic";

  std::u16string error;
  ASSERT_TRUE(s.switch_store(true, settings, &error)) << std::string(error.begin(), error.end());
  EXPECT_TRUE(s.ini_mode());
  IniSettingsStore ini(program_ / "kestrel.ini", 0600);
  EXPECT_EQ(ini.get_int(u"APPLICATION", u"USE_INI_FILE", 0), 1);
  EXPECT_EQ(ini.get_string(u"GRID", u"NULL_TEXT", u""), u"(null)");
  EXPECT_EQ(ini.get_string(u"FONT_U", u"FACENAME", u""), u"IPAGothic");
  EXPECT_EQ(ini.get_string(u"ACCELERATOR", u"CMD_0000", u""), u"32776");
  EXPECT_EQ(ini.get_string(u"ACCELERATOR", u"KEY_0000", u""), u"113");
  IniSettingsStore old(user_file(), 0600);
  EXPECT_EQ(old.get_int(u"APPLICATION", u"USE_INI_FILE", -1), 1);
  EXPECT_EQ(old.get_string(u"ACCELERATOR", u"CMD_0000", u""), u"32776");

  // The next start finds the INI store by the usual rule.
  AppSettingsStore next(program_);
  next.choose();
  EXPECT_TRUE(next.ini_mode());

  // And back.
  ASSERT_TRUE(s.switch_store(false, settings, &error));
  EXPECT_FALSE(s.ini_mode());
  AppSettingsStore again(program_);
  again.choose();
  EXPECT_FALSE(again.ini_mode());
}

TEST_F(AppStoreTest, FailedSwitchChangesNothing) {
  AppSettingsStore s(program_);
  s.choose();
  s.store().write_int(u"APPLICATION", u"USE_INI_FILE", 0);
  std::filesystem::create_directory(program_ / "kestrel.ini");  // cannot become a file
  std::u16string error;
  EXPECT_FALSE(s.switch_store(true, AppSettings{}, &error));
  EXPECT_FALSE(error.empty());
  EXPECT_FALSE(s.ini_mode());
  EXPECT_EQ(s.store().get_int(u"APPLICATION", u"USE_INI_FILE", -1), 0);
}

// A store whose writes all fail, like an INI file on a read-only medium.
class ReadOnlyStore final : public SettingsStore {
 public:
  int32_t get_int(std::u16string_view, std::u16string_view, int32_t def) const override { return def; }
  std::u16string get_string(std::u16string_view, std::u16string_view, std::u16string_view def) const override {
    return std::u16string(def);
  }
  bool write_int(std::u16string_view, std::u16string_view, int32_t) override { return false; }
  bool write_string(std::u16string_view, std::u16string_view, std::u16string_view) override { return false; }
  std::u16string last_error() const override { return u"read-only"; }
  std::u16string location() const override { return u"(read-only)"; }
};

TEST_F(AppStoreTest, LeavingAnIniStoreThatCannotRecordItIsRefused) {
  AppSettingsStore s(program_);
  s.set_store_for_testing(std::make_unique<ReadOnlyStore>(), true);
  std::u16string error;
  EXPECT_FALSE(s.switch_store(false, AppSettings{}, &error));
  EXPECT_EQ(error, u"read-only");
  EXPECT_TRUE(s.ini_mode());
  EXPECT_FALSE(std::filesystem::exists(user_file()));
}

}  // namespace
}  // namespace kestrel
