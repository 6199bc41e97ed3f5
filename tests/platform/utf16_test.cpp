#include "platform/utf16.h"

#include <gtest/gtest.h>

namespace kestrel {
namespace {

TEST(Utf8Conversion, RoundTripsEveryPlane) {
  const std::u16string text = u"abc あいう 漢字 \U0001F600 \U00020B9F end";
  EXPECT_EQ(utf8_to_utf16(utf16_to_utf8(text)), text);
}

TEST(Utf8Conversion, InvalidBytesBecomeReplacementCharacters) {
  struct Case { std::string bytes; std::u16string want; };
  const Case cases[] = {
      {"a\xFF" "b", u"a\uFFFDb"},
      {"\xC0\xAF", u"\uFFFD\uFFFD"},            // overlong '/'
      {"\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},  // encoded surrogate
      {"\xE3\x81", u"\uFFFD\uFFFD"},            // truncated
      {"\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},  // above U+10FFFF
  };
  for (const auto& c : cases) EXPECT_EQ(utf8_to_utf16(c.bytes), c.want) << c.bytes;
  EXPECT_FALSE(is_valid_utf8("a\xFF"));
  EXPECT_TRUE(is_valid_utf8("\xE3\x81\x82"));
}

TEST(Utf8Conversion, LoneSurrogateIsWrittenAsReplacement) {
  EXPECT_EQ(utf16_to_utf8(std::u16string(1, char16_t(0xD800))), "\xEF\xBF\xBD");
}

TEST(Surrogates, CutsAndStepsKeepPairsTogether) {
  const std::u16string s = u"a\U0001F600b";
  EXPECT_EQ(safe_cut(s, 2), 1u);
  EXPECT_EQ(safe_cut(s, 3), 3u);
  EXPECT_EQ(prev_char_start(s, 3), 1u);
  std::size_t len = 0;
  EXPECT_EQ(code_point_at(s, 1, &len), U'\U0001F600');
  EXPECT_EQ(len, 2u);
}

TEST(LeadingInt, ParsesLikeTheProfileCalls) {
  struct Case { std::u16string text; int32_t want; };
  const Case cases[] = {
      {u"123", 123}, {u"  -45xyz", -45}, {u"+7", 7}, {u"abc", 0}, {u"", 0},
      {u"4294967296", 0}, {u"2147483648", INT32_MIN}, {u"12 34", 12},
  };
  for (const auto& c : cases) EXPECT_EQ(parse_leading_int(c.text), c.want);
}

TEST(AsciiCase, ComparesIgnoringCaseOfAsciiOnly) {
  EXPECT_TRUE(iequals_ascii(u"Grid_BG", u"GRID_bg"));
  EXPECT_FALSE(iequals_ascii(u"ａ", u"Ａ"));
  EXPECT_LT(icompare_ascii(u"abc", u"ABD"), 0);
  EXPECT_EQ(trim_blanks(std::u16string_view(u" \tx y \t")), u"x y");
}

}  // namespace
}  // namespace kestrel
