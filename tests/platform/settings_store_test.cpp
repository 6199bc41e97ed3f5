#include "platform/settings_store.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include "platform/environment.h"
#include "platform/utf16.h"
#include "support/temp_dir.h"

namespace kestrel {
namespace {

using testing::TempDir;

int g_renames = 0;
void count_renames(const std::filesystem::path&) { ++g_renames; }

class ScopedEnv {
 public:
  ScopedEnv(const char* name, const std::string& value) : name_(name) {
    if (const char* old = ::getenv(name)) old_ = old, had_ = true;
    ::setenv(name, value.c_str(), 1);
  }
  ~ScopedEnv() {
    if (had_)
      ::setenv(name_, old_.c_str(), 1);
    else
      ::unsetenv(name_);
  }

 private:
  const char* name_;
  std::string old_;
  bool had_ = false;
};

TEST(IniSettingsStore, ReadsWritesAndSeesOutsideChanges) {
  TempDir dir;
  auto file = dir.write("k.ini", "; mine\n[GRID]\nSHOW_TAB=1\n");
  IniSettingsStore store(file, 0600);
  EXPECT_EQ(store.get_int(u"grid", u"show_tab", 0), 1);
  EXPECT_EQ(store.get_string(u"GRID", u"NULL_TEXT", u"-"), u"-");
  ASSERT_TRUE(store.write_string(u"GRID", u"NULL_TEXT", u"(null)"));
  ASSERT_TRUE(store.write_int(u"SESSION", u"DATA_LOCK", 1));
  EXPECT_EQ(dir.read("k.ini"), "; mine\n[GRID]\nSHOW_TAB=1\nNULL_TEXT=(null)\n\n[SESSION]\nDATA_LOCK=1\n");
  // Another program rewrites the file: the next read sees it, and the next
  // write keeps what it wrote.
  dir.write("k.ini", "[GRID]\nSHOW_TAB=0\nOTHER=5\n");
  EXPECT_EQ(store.get_int(u"GRID", u"SHOW_TAB", 9), 0);
  ASSERT_TRUE(store.write_int(u"GRID", u"SHOW_TAB", 1));
  EXPECT_EQ(dir.read("k.ini"), "[GRID]\nSHOW_TAB=1\nOTHER=5\n");
}

TEST(IniSettingsStore, ABatchIsOneAtomicWrite) {
  TempDir dir;
  IniSettingsStore store(dir / "k.ini", 0600);
  g_renames = 0;
  auto previous = set_atomic_write_hook(count_renames);
  {
    SettingsBatch batch(store);
    for (int i = 0; i < 50; ++i) ASSERT_TRUE(store.write_int(u"S", u"K" + to_u16(i), i));
    EXPECT_EQ(store.get_int(u"S", u"K49", -1), 49);  // reads see the batch
    EXPECT_FALSE(std::filesystem::exists(dir / "k.ini"));
    EXPECT_TRUE(batch.commit());
  }
  set_atomic_write_hook(previous);
  EXPECT_EQ(g_renames, 1);
  EXPECT_EQ(IniSettingsStore(dir / "k.ini", 0600).get_int(u"S", u"K7", -1), 7);
}

TEST(IniSettingsStore, UnreadableFileGivesDefaultsAndRefusesWrites) {
  TempDir dir;
  std::filesystem::create_directory(dir / "k.ini");
  IniSettingsStore store(dir / "k.ini", 0600);
  EXPECT_EQ(store.get_int(u"S", u"K", 3), 3);
  EXPECT_FALSE(store.write_int(u"S", u"K", 1));
  EXPECT_FALSE(store.last_error().empty());
  SettingsBatch batch(store);
  EXPECT_FALSE(store.write_int(u"S", u"K", 1));
  EXPECT_FALSE(batch.commit());
}

TEST(UserSettingsStore, LivesUnderXdgConfigHomeWithPrivateModes) {
  TempDir dir;
  ScopedEnv xdg("XDG_CONFIG_HOME", (dir / "cfg").string());
  EXPECT_EQ(user_settings_file(u"BRANT\\ORACLE", u"kestrel"), dir / "cfg" / "BRANT" / "ORACLE" / "kestrel.ini");
  auto store = open_user_settings_store(u"BRANT\\ORACLE", u"kestrel");
  EXPECT_EQ(store->get_int(u"A", u"B", 4), 4);  // nothing created by reading
  EXPECT_FALSE(std::filesystem::exists(dir / "cfg"));
  ASSERT_TRUE(store->write_string(u"CONNECT_INFO", u"USER-CUR", u"scott"));
  struct stat st {};
  ASSERT_EQ(::stat((dir / "cfg" / "BRANT").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);
  ASSERT_EQ(::stat(store->file().c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST(UserSettingsStore, RelativeXdgConfigHomeIsIgnored) {
  ScopedEnv xdg("XDG_CONFIG_HOME", "relative/cfg");
  ScopedEnv home("HOME", "/home/someone");
  EXPECT_EQ(user_settings_file(u"BRANT\\ORACLE", u"plover"), "/home/someone/.config/BRANT/ORACLE/plover.ini");
}

TEST(UserSettingsStore, FolderThatCannotBeCreatedIsAClearFailure) {
  TempDir dir;
  dir.write("cfg", "a file where the folder should be");
  ScopedEnv xdg("XDG_CONFIG_HOME", (dir / "cfg").string());
  auto store = open_user_settings_store(u"BRANT\\ORACLE", u"kestrel");
  EXPECT_FALSE(store->write_int(u"S", u"K", 1));
  EXPECT_NE(store->last_error().find(u"cfg"), std::u16string::npos);
  EXPECT_EQ(store->get_int(u"S", u"K", 8), 8);
}

TEST(MemorySettingsStore, NamesIgnoreCase) {
  MemorySettingsStore m;
  m.write_int(u"Grid", u"Show_Tab", 1);
  EXPECT_EQ(m.get_int(u"GRID", u"SHOW_TAB", 0), 1);
  EXPECT_TRUE(m.contains(u"grid", u"show_tab"));
  EXPECT_EQ(m.get_string(u"X", u"Y", u"d"), u"d");
}

}  // namespace
}  // namespace kestrel

namespace kestrel {
namespace {

TEST(SettingsStoreRemoveKey, RemovedKeysGiveTheDefaultInEveryStore) {
  testing::TempDir dir;
  dir.write("r.ini", "[CONNECT_INFO]\nPASSWD-1=abc\nUSER-1=scott\n");
  IniSettingsStore ini(dir.path() / "r.ini", 0600);
  MemorySettingsStore mem;
  mem.write_string(u"CONNECT_INFO", u"PASSWD-1", u"abc");
  mem.write_string(u"CONNECT_INFO", u"USER-1", u"scott");
  for (SettingsStore* s : {static_cast<SettingsStore*>(&ini), static_cast<SettingsStore*>(&mem)}) {
    EXPECT_TRUE(s->remove_key(u"connect_info", u"passwd-1")) << utf16_to_utf8(s->location());
    EXPECT_EQ(s->get_string(u"CONNECT_INFO", u"PASSWD-1", u"gone"), u"gone");
    EXPECT_EQ(s->get_string(u"CONNECT_INFO", u"USER-1", u""), u"scott");
    EXPECT_TRUE(s->remove_key(u"CONNECT_INFO", u"NOT-THERE"));
    {
      SettingsBatch batch(*s);
      EXPECT_TRUE(s->remove_key(u"CONNECT_INFO", u"USER-1"));
      EXPECT_TRUE(batch.commit());
    }
    EXPECT_EQ(s->get_string(u"CONNECT_INFO", u"USER-1", u"gone"), u"gone");
  }
  EXPECT_EQ(dir.read("r.ini").find("abc"), std::string::npos) << "the value is gone from the file";
}

}  // namespace
}  // namespace kestrel
