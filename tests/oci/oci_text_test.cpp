// Message buffers, code page conversions and multibyte character helpers.
#include <gtest/gtest.h>

#include "oci/oci_text.h"
#include "oci_test_support.h"
#include "platform/client_text.h"
#include "platform/utf16.h"

namespace kestrel {
namespace {

using testing::OciProcessTest;

TEST(OciMsgBuf, WritesAreBoundedAndCutOnCharacterBoundaries) {
  char16_t buf[6];
  OciMsgBuf msg(buf);
  msg.set(u"abcdefgh");
  EXPECT_EQ(msg.view(), u"abcde");
  // A surrogate pair that would be split at the end is dropped whole.
  msg.set(u"abcd\U0001F600");
  EXPECT_EQ(msg.view(), u"abcd");
  msg.set(u"ab");
  msg.append(u"cdefg");
  EXPECT_EQ(msg.view(), u"abcde");
  OciMsgBuf none;
  none.set(u"ignored");  // no buffer: nothing happens
  EXPECT_FALSE(none);
  char16_t one[1];
  OciMsgBuf tiny(one);
  tiny.set(u"x");
  EXPECT_EQ(tiny.view(), u"");
}

struct CharLenCase {
  uint32_t code_page;
  std::string bytes;
  int expected;
};

TEST(OciText, CharacterLengthByCodePage) {
  const CharLenCase cases[] = {
      {65001, "a", 1},
      {65001, "\xC3\xA9", 2},
      {65001, "\xE3\x81\x82", 3},
      {65001, "\xF0\x9F\x98\x80", 4},
      {65001, "\xE3\x81", 1},         // cut sequence: the lead byte alone
      {65001, "\xF0\x9F\x98" "a", 1}, // a 4-byte lead needs three continuation bytes
      {65001, "\x80", 1},
      {0, "\x82\xA0", 2},             // Shift-JIS lead 0x81-0x9F
      {0, "\xE0\x40", 2},             // and 0xE0-0xFC
      {0, "\xB1", 1},                 // half-width katakana
      {0, "\x82", 1},                 // lead byte at the very end
  };
  for (const auto& c : cases)
    EXPECT_EQ(oci_mb_char_len(c.bytes.data(), c.bytes.size(), c.code_page), c.expected) << c.code_page << " " << c.bytes;
}

TEST_F(OciProcessTest, TruncatingCopyNeverSplitsACharacter) {
  set_program_code_page(65001);
  char out[8];
  EXPECT_FALSE(oci_truncate_copy(out, sizeof out, "ab\xE3\x81\x82\xE3\x81\x84"));  // "abあい"
  EXPECT_STREQ(out, "ab\xE3\x81\x82");
  EXPECT_TRUE(oci_truncate_copy(out, sizeof out, "abc"));
  EXPECT_STREQ(out, "abc");
  set_program_code_page(0);
  EXPECT_FALSE(oci_truncate_copy(out, 4, "a\x82\xA0\x82\xA2"));
  EXPECT_STREQ(out, "a\x82\xA0");
}

TEST_F(OciProcessTest, FetchedTextDecodesInBothCodePages) {
  char16_t out[32];
  set_program_code_page(65001);
  EXPECT_EQ(oci_decode_fetched("A\xE3\x81\x82\xF0\x9F\x98\x80", out), 4u);
  EXPECT_EQ(std::u16string_view(out), u"Aあ\U0001F600");
  EXPECT_EQ(oci_decode_fetched("a\xFF" "b", out), 3u);
  EXPECT_EQ(std::u16string_view(out), u"a\xFFFD" "b");
  set_program_code_page(0);
  EXPECT_EQ(oci_decode_fetched("x\x82\xA0", out), 2u);
  EXPECT_EQ(std::u16string_view(out), u"xあ");
  set_program_code_page(65001);
  set_replace_wave_dash(true);
  oci_decode_fetched("\xE3\x80\x9C", out);  // WAVE DASH
  EXPECT_EQ(std::u16string_view(out), u"\xFF5E");
}

TEST_F(OciProcessTest, WideToBytesReportsWhenTheBufferIsTooSmall) {
  set_program_code_page(65001);
  char buf[4];
  EXPECT_TRUE(oci_wide_to_mb(u"あ", buf, sizeof buf));
  EXPECT_STREQ(buf, "\xE3\x81\x82");
  EXPECT_FALSE(oci_wide_to_mb(u"あa", buf, sizeof buf));
  EXPECT_STREQ(buf, "");
  EXPECT_EQ(oci_mb_to_wide("\xE3\x81\x82"), u"あ");
}

}  // namespace
}  // namespace kestrel
