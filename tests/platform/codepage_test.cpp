#include "platform/codepage.h"

#include <gtest/gtest.h>

namespace kestrel {
namespace {

TEST(Cp932, RoundTripsJapaneseAndWindowsExtensions) {
  // NEC special characters (①, ㈱), NEC-selected IBM extensions (纊) and IBM
  // extensions (ⅰ, 髙) must survive, as must the half-width kana.
  const std::u16string text = u"日本語テキスト ①㈱ 纊 ⅰ 髙 ｱｲｳｴｵ ～＼";
  std::string bytes = wide_to_multibyte(kCodePageAnsi, text);
  EXPECT_EQ(multibyte_to_wide(kCodePageAnsi, bytes), text);
  EXPECT_TRUE(fits_cp932(text));
}

TEST(Cp932, WaveDashByteIsFullWidthTilde) {
  // 0x8160 is U+FF5E in the Windows table; the replace-wave-dash option exists
  // because other conversions produce U+301C for it.
  EXPECT_EQ(multibyte_to_wide(kCodePageAnsi, "\x81\x60"), u"\uFF5E");
  EXPECT_EQ(multibyte_to_wide(kCodePageAnsi, "\x81\x5F\x5C"), u"\uFF3C\\");
}

TEST(Cp932, InvalidAndTruncatedBytesBecomeReplacement) {
  EXPECT_EQ(multibyte_to_wide(kCodePageAnsi, "a\x81"), u"a\uFFFD");
  EXPECT_EQ(multibyte_to_wide(kCodePageAnsi, "\xFF" "b"), u"\uFFFDb");
}

TEST(Cp932, UnmappableCharactersBecomeQuestionMarks) {
  bool lossy = false;
  EXPECT_EQ(wide_to_multibyte(kCodePageAnsi, u"a\U0001F600b", &lossy), "a?b");
  EXPECT_TRUE(lossy);
  EXPECT_FALSE(fits_cp932(u"\u00E9"));
}

TEST(BufferForms, AnswerNeededSizeAndRefuseSmallBuffers) {
  const std::string utf8 = "\xE3\x81\x82\xE3\x81\x84";
  EXPECT_EQ(multibyte_to_wide(kCodePageUtf8, utf8, nullptr, 0), 2u);
  char16_t small[1];
  EXPECT_EQ(multibyte_to_wide(kCodePageUtf8, utf8, small, 1), 0u);
  char16_t big[4];
  ASSERT_EQ(multibyte_to_wide(kCodePageUtf8, utf8, big, 4), 2u);
  EXPECT_EQ(big[0], u'あ');
  EXPECT_EQ(wide_to_multibyte(kCodePageAnsi, u"あい", nullptr, 0), 4u);
  char out[3];
  EXPECT_EQ(wide_to_multibyte(kCodePageAnsi, u"あい", out, 3), 0u);
}

TEST(Utf8CodePage, KeepsSurrogatePairs) {
  const std::u16string text = u"\U00020B9F";
  EXPECT_EQ(multibyte_to_wide(kCodePageUtf8, wide_to_multibyte(kCodePageUtf8, text)), text);
}

}  // namespace
}  // namespace kestrel
