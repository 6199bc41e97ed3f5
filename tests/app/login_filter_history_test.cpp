// The login filter history file.
#include "app/login_filter_history.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>

#include "support/temp_dir.h"

namespace kestrel {
namespace {

TEST(LoginFilterHistory, ParseTrimsDropsAndCaps) {
  std::u16string text = u"scott  \r\n\r\nhr\t\n" + std::u16string(512, u'x') + u"\n" + std::u16string(511, u'y') + u"\n";
  for (int i = 0; i < 30; ++i) text += u"f" + std::u16string(1, static_cast<char16_t>(u'a' + i % 26)) + u"\n";
  const std::vector<std::u16string> h = parse_filter_history(text);
  ASSERT_EQ(h.size(), kFilterHistoryMax);
  EXPECT_EQ(h[0], u"scott");
  EXPECT_EQ(h[1], u"hr");
  EXPECT_EQ(h[2].size(), 511u) << "a 512-character line is dropped, never split";
}

TEST(LoginFilterHistory, AddRemoveKeepNewestFirst) {
  std::vector<std::u16string> h = {u"a", u"b"};
  EXPECT_TRUE(add_to_filter_history(h, u"b"));
  EXPECT_EQ(h, (std::vector<std::u16string>{u"b", u"a"}));
  EXPECT_FALSE(add_to_filter_history(h, u""));
  EXPECT_FALSE(add_to_filter_history(h, std::u16string(256, u'z')));
  for (int i = 0; i < 25; ++i) add_to_filter_history(h, std::u16string(1, static_cast<char16_t>(u'A' + i)));
  EXPECT_EQ(h.size(), kFilterHistoryMax);
  EXPECT_EQ(h.front(), u"Y");
  remove_from_filter_history(h, u"Y");
  EXPECT_EQ(h.front(), u"X");
}

TEST(LoginFilterHistory, SeedThenUserFileMode0600) {
  testing::TempDir tmp;
  const auto seed = tmp.path() / "seed.txt";
  const auto user = tmp.path() / "cfg" / "BRANT" / "ORACLE" / "login_filter.txt";
  std::ofstream(seed) << "本番\nscott\n";
  std::vector<std::u16string> h = load_filter_history(user, seed);
  EXPECT_EQ(h, (std::vector<std::u16string>{u"本番", u"scott"}));
  add_to_filter_history(h, u"hr");
  ASSERT_TRUE(save_filter_history(user, h));
  struct stat st {};
  ASSERT_EQ(::stat(user.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  EXPECT_EQ(load_filter_history(user, seed).front(), u"hr");
  std::ofstream(user, std::ios::binary) << std::string("\0\1\2binary", 9);
  EXPECT_TRUE(load_filter_history(user, seed).empty()) << "a binary file gives no entries";
  EXPECT_TRUE(load_filter_history(tmp.path() / "none", tmp.path()).empty());
}

}  // namespace
}  // namespace kestrel
