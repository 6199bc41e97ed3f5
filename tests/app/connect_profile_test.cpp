// The stored profile list: encoding versions, deletion, bad counts, failed writes.
#include "app/connect_profile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "app/password_codec.h"
#include "platform/settings_store.h"
#include "platform/utf16.h"
#include "support/temp_dir.h"

namespace kestrel {
namespace {

constexpr std::u16string_view kSec = u"CONNECT_INFO";

ConnectProfile profile(std::u16string user, std::u16string pw) {
  ConnectProfile p;
  p.user = std::move(user);
  p.tns = u"db";
  p.password = std::move(pw);
  return p;
}

TEST(ConnectProfiles, SaveAndLoadRoundTripEveryField) {
  MemorySettingsStore s;
  ConnectProfile a = profile(u"SCOTT", u"TIGER");
  a.connect_mode = 2;
  a.oci7 = 1;
  a.notes = u"本番";
  a.customize = 1;
  a.text_bg_color = 0x123456;
  a.grid_bg_color = 0xABCDEF;
  std::u16string error;
  ASSERT_TRUE(save_profiles(s, {a, profile(u"HR", u"")}, &error));
  EXPECT_EQ(s.get_int(kSec, u"ENCODE_VER", 0), 2);
  EXPECT_NE(s.get_string(kSec, u"PASSWD-0", u""), u"TIGER") << "never clear text";
  EXPECT_EQ(s.get_string(kSec, u"PASSWD-1", u"x"), u"");
  ProfileList back = load_profiles(s);
  ASSERT_EQ(back.profiles.size(), 2u);
  const ConnectProfile& b = back.profiles[0];
  EXPECT_EQ(b.password, u"TIGER");
  EXPECT_EQ(b.connect_mode, 2);
  EXPECT_EQ(b.oci7, 1);
  EXPECT_EQ(b.notes, u"本番");
  EXPECT_EQ(b.customize, 1);
  EXPECT_EQ(b.text_bg_color, 0x123456);
  EXPECT_EQ(b.grid_bg_color, 0xABCDEF);
  EXPECT_EQ(back.profiles[1].password, u"");
}

TEST(ConnectProfiles, Version1ListStaysReadableAfterAnAppend) {
  MemorySettingsStore s;
  s.write_int(kSec, u"COUNT", 1);
  s.write_string(kSec, u"USER-0", u"SCOTT");
  s.write_string(kSec, u"PASSWD-0", std::u16string{u'\u0041', u'\u00AE', u'\u00CD', u'\u0094', u'\u00FA', u'\u00B1'});
  ProfileList list = load_profiles(s);
  ASSERT_EQ(list.encode_version, 1);
  ASSERT_EQ(list.profiles.size(), 1u);
  EXPECT_EQ(list.profiles[0].password, u"TIGER");
  list.profiles.push_back(profile(u"HR", u"HR"));
  ASSERT_TRUE(save_profiles(s, list.profiles, nullptr));
  ProfileList back = load_profiles(s);
  ASSERT_EQ(back.profiles.size(), 2u);
  EXPECT_EQ(back.profiles[0].password, u"TIGER");
  EXPECT_EQ(back.profiles[1].password, u"HR");
}

TEST(ConnectProfiles, DeletingRemovesTheLeftoverKeys) {
  MemorySettingsStore s;
  ASSERT_TRUE(save_profiles(s, {profile(u"A", u"a"), profile(u"B", u"b"), profile(u"C", u"c")}, nullptr));
  const std::size_t keys_of_one = s.size();
  ASSERT_TRUE(save_profiles(s, {profile(u"A", u"a")}, nullptr));
  EXPECT_EQ(s.get_int(kSec, u"COUNT", 0), 1);
  for (const char16_t* k : {u"PASSWD-1", u"PASSWD-2", u"USER-1", u"TNS-2", u"NOTES-1", u"OPT_GRID_BG_COLOR-2"})
    EXPECT_FALSE(s.contains(kSec, k)) << utf16_to_utf8(k);
  EXPECT_EQ(s.size(), keys_of_one - 18) << "nine keys of each deleted profile";
  EXPECT_EQ(load_profiles(s).profiles.size(), 1u);
}

TEST(ConnectProfiles, AbsurdCountsStopAtTheKeysPresent) {
  MemorySettingsStore s;
  ASSERT_TRUE(save_profiles(s, {profile(u"A", u"a")}, nullptr));
  s.write_int(kSec, u"COUNT", 2000000000);
  EXPECT_EQ(load_profiles(s).profiles.size(), 1u);
  s.write_int(kSec, u"COUNT", -5);
  EXPECT_TRUE(load_profiles(s).profiles.empty());
}

TEST(ConnectProfiles, UndecodablePasswordsAreEmptyAndTheProfileKept) {
  MemorySettingsStore s;
  s.write_int(kSec, u"COUNT", 1);
  s.write_int(kSec, u"ENCODE_VER", 2);
  s.write_string(kSec, u"USER-0", u"SCOTT");
  s.write_string(kSec, u"PASSWD-0", u"z!!");
  ProfileList list = load_profiles(s);
  ASSERT_EQ(list.profiles.size(), 1u);
  EXPECT_EQ(list.profiles[0].password, u"");
  EXPECT_EQ(list.undecodable, 1);
}

TEST(ConnectProfiles, APasswordThatCannotBeStoredWritesNothing) {
  MemorySettingsStore s;
  ASSERT_TRUE(save_profiles(s, {profile(u"A", u"a")}, nullptr));
  std::u16string error;
  EXPECT_FALSE(save_profiles(s, {profile(u"A", u"a"), profile(u"B", u"\U0001F600")}, &error));
  EXPECT_FALSE(error.empty());
  EXPECT_EQ(s.get_int(kSec, u"COUNT", 0), 1);
}

TEST(ConnectProfiles, ReadOnlyFileKeepsTheOldListAndReports) {
  testing::TempDir tmp;
  const auto file = tmp.path() / "kestrel.ini";
  {
    IniSettingsStore s(file, 0600);
    ASSERT_TRUE(save_profiles(s, {profile(u"A", u"a")}, nullptr));
  }
  struct stat st {};
  ASSERT_EQ(::stat(file.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  if (::geteuid() == 0) GTEST_SKIP() << "root writes read-only files";
  ::chmod(tmp.path().c_str(), 0500);
  ::chmod(file.c_str(), 0400);
  IniSettingsStore s(file, 0600);
  std::u16string error;
  EXPECT_FALSE(save_profiles(s, {profile(u"A", u"a"), profile(u"B", u"b")}, &error));
  EXPECT_FALSE(error.empty());
  ::chmod(tmp.path().c_str(), 0700);
  IniSettingsStore again(file, 0600);
  EXPECT_EQ(load_profiles(again).profiles.size(), 1u);
}

TEST(ConnectProfiles, MatchIgnoresCaseOfNamesOnly) {
  ConnectProfile a = profile(u"Scott", u"");
  ConnectProfile b = a;
  b.connect_mode = 2;
  const std::vector<ConnectProfile> list = {b, a};
  EXPECT_EQ(match_profile(list, u"SCOTT", u"DB", 1, 0), &list[1]);
  EXPECT_EQ(match_profile(list, u"SCOTT", u"DB", 2, 0), &list[0]);
  EXPECT_EQ(match_profile(list, u"SCOTT", u"DB", 1, 1), nullptr);
  EXPECT_EQ(connect_mode_text(4), u"SYSOPER");
  EXPECT_EQ(connect_mode_text(3), u"");
}

TEST(ConnectProfiles, FilterMatchesNamesModeAndNotesNeverThePassword) {
  ConnectProfile a = profile(u"SCOTT", u"secret");
  a.notes = u"本番";
  ConnectProfile b = profile(u"HR", u"x");
  b.tns = u"test";
  b.connect_mode = 2;
  const std::vector<ConnectProfile> list = {a, b};
  struct Case {
    const char16_t* filter;
    std::vector<std::size_t> shown;
  } cases[] = {
      {u"", {0, 1}},          {u"scott@db", {0}},  {u"ＳＣＯＴＴ", {0}}, {u"sysdba", {1}},
      {u"本番", {0}},         {u"secret", {}},     {u"^hr@", {1}},       {u"(", {}},
      {u"@(db|test)$", {}},   {u"@(db|test)\t", {0, 1}},
  };
  for (const Case& c : cases) EXPECT_EQ(filter_profiles(list, c.filter), c.shown) << utf16_to_utf8(c.filter);
}

}  // namespace
}  // namespace kestrel
