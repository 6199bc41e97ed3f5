#include "griddata/width_conv.h"

#include <gtest/gtest.h>

#include <string>

#include "griddata/case_map.h"

namespace kestrel {
namespace {

std::u16string zen(std::u16string_view s, bool alnum, bool kana, bool* any = nullptr) {
  std::u16string out;
  bool a = to_zenkaku(s, out, alnum, kana);
  if (any) *any = a;
  return out;
}

std::u16string han(std::u16string_view s, bool alnum, bool kana, bool* any = nullptr) {
  std::u16string out;
  bool a = to_hankaku(s, out, alnum, kana);
  if (any) *any = a;
  return out;
}

const std::u16string kHalfKana =
    u"｡｢｣､･ｦｧｨｩｪｫｬｭｮｯｰｱｲｳｴｵｶｷｸｹｺｻｼｽｾｿﾀﾁﾂﾃﾄﾅﾆﾇﾈﾉﾊﾋﾌﾍﾎﾏﾐﾑﾒﾓﾔﾕﾖﾗﾘﾙﾚﾛﾜﾝﾞﾟ";
const std::u16string kFullKana =
    u"。「」、・ヲァィゥェォャュョッーアイウエオカキクケコサシスセソタチツテトナニヌネノハヒフヘホマミムメモヤユヨラリルレロワン゛゜";

TEST(WidthConv, WholeAsciiTableToFullWidthAndBack) {
  for (char16_t c = 0x20; c <= 0x7E; ++c) {
    std::u16string in(1, c);
    bool any = false;
    std::u16string full = zen(in, true, false, &any);
    ASSERT_TRUE(any);
    ASSERT_EQ(full.size(), 1u);
    char16_t expect = c == u' ' ? 0x3000 : c == u'\\' ? 0xFFE5 : c == u'~' ? 0xFFE3 : c + 0xFEE0;
    EXPECT_EQ(full[0], expect) << int(c);
    EXPECT_EQ(han(full, true, false), in) << int(c);
  }
  EXPECT_EQ(zen(u"\"'`", true, false), u"\uFF02\uFF07\uFF40");
}

TEST(WidthConv, WholeKanaTableBothWays) {
  ASSERT_EQ(kHalfKana.size(), 63u);
  ASSERT_EQ(kFullKana.size(), 63u);
  for (std::size_t i = 0; i < 63; ++i) {
    // One at a time: a mark after a base would join it.
    EXPECT_EQ(zen(kHalfKana.substr(i, 1), false, true), kFullKana.substr(i, 1)) << i;
    EXPECT_EQ(han(kFullKana.substr(i, 1), false, true), kHalfKana.substr(i, 1)) << i;
  }
}

TEST(WidthConv, BothTablesInOneText) {
  std::u16string ascii, full_ascii;
  for (char16_t c = 0x20; c <= 0x7E; ++c) {
    ascii += c;
    full_ascii += c == u' ' ? char16_t(0x3000) : c == u'\\' ? char16_t(0xFFE5) : c == u'~' ? char16_t(0xFFE3) : char16_t(c + 0xFEE0);
  }
  // In one text the marks at the table's end follow ﾝ, which takes none.
  EXPECT_EQ(zen(ascii + kHalfKana, true, true), full_ascii + kFullKana);
  EXPECT_EQ(han(full_ascii + kFullKana, true, true), ascii + kHalfKana);
}

TEST(WidthConv, VoicedAndSemiVoicedKana) {
  const std::u16string voiced_half = u"ｶﾞｷﾞｸﾞｹﾞｺﾞｻﾞｼﾞｽﾞｾﾞｿﾞﾀﾞﾁﾞﾂﾞﾃﾞﾄﾞﾊﾞﾋﾞﾌﾞﾍﾞﾎﾞ";
  const std::u16string voiced_full = u"ガギグゲゴザジズゼゾダヂヅデドバビブベボ";
  EXPECT_EQ(zen(voiced_half, false, true), voiced_full);
  EXPECT_EQ(han(voiced_full, false, true), voiced_half);
  EXPECT_EQ(zen(u"ﾊﾟﾋﾟﾌﾟﾍﾟﾎﾟ", false, true), u"パピプペポ");
  EXPECT_EQ(han(u"パピプペポ", false, true), u"ﾊﾟﾋﾟﾌﾟﾍﾟﾎﾟ");
  // A base that takes no mark keeps it as a separate full-width mark.
  EXPECT_EQ(zen(u"ｳﾞ", false, true), u"ウ゛");
  EXPECT_EQ(zen(u"ｶﾟ", false, true), u"カ゜");
  EXPECT_EQ(zen(u"ﾞ", false, true), u"゛");
}

TEST(WidthConv, ExamplesOfTheDesign) {
  EXPECT_EQ(zen(u"a~\\", true, false), u"ａ￣￥");
  EXPECT_EQ(han(u"ａ\uFF5E", true, false), u"a\uFF5E");
  EXPECT_EQ(zen(u"ｶﾞｷﾟ", false, true), u"ガキ゜");
  EXPECT_EQ(han(u"パン", false, true), u"ﾊﾟﾝ");
}

TEST(WidthConv, SixSpecialCharactersToHalfWidth) {
  EXPECT_EQ(han(u"\u3000\uFFE5\uFFE3\u201D\u2019\u2018", true, false), u" \\~\"'`");
}

struct Untouched {
  const char* name;
  std::u16string text;
};

TEST(WidthConv, ExceptionsHiraganaAndSurrogatesStay) {
  const Untouched cases[] = {
      {"full-width tilde", u"\uFF5E"}, {"wave dash", u"\u301C"}, {"vu", u"ヴ"},
      {"hiragana", u"ひらがなです"},       {"kanji", u"漢字"},          {"surrogate pair", u"\U00020BB7"},
      {"emoji", u"\U0001F600x"},
  };
  for (const auto& c : cases) {
    bool any = true;
    EXPECT_EQ(han(c.text, true, true, &any), c.text) << c.name;
    if (c.text.back() != u'x') {
      EXPECT_FALSE(any) << c.name;
    }
    std::u16string back = zen(c.text, false, true, &any);
    EXPECT_EQ(back, c.text) << c.name;
  }
  EXPECT_EQ(zen(u"\U00020BB7a", true, false), u"\U00020BB7ａ");
}

TEST(WidthConv, FlagsSelectWhatIsConverted) {
  EXPECT_EQ(zen(u"aｱ", true, false), u"ａｱ");
  EXPECT_EQ(zen(u"aｱ", false, true), u"aア");
  EXPECT_EQ(zen(u"aｱ", true, true), u"ａア");
  EXPECT_EQ(han(u"ａア", true, false), u"aア");
  EXPECT_EQ(han(u"ａア", false, true), u"ａｱ");
  bool any = true;
  han(u"abc", true, true, &any);
  EXPECT_FALSE(any);
}

TEST(CaseMap, LettersOfManyScriptsAndNothingElse) {
  struct Case {
    std::u16string lower, upper;
  };
  const Case cases[] = {
      {u"abc xyz 123", u"ABC XYZ 123"},
      {u"àéîõüýþ", u"ÀÉÎÕÜÝÞ"},
      {u"ÿ", u"Ÿ"},
      {u"āčęğıĳłňőšžź", u"ĀČĘĞıĲŁŇŐŠŽŹ"},
      {u"αβγδωάέ", u"ΑΒΓΔΩΆΈ"},
      {u"абвгдеёжя", u"АБВГДЕЁЖЯ"},
      {u"ａｂｃｚ", u"ＡＢＣＺ"},
      {u"ⅰⅱⅲ", u"ⅠⅡⅢ"},
      {u"\U00010428\U00010429", u"\U00010400\U00010401"},
      {u"かな漢字ß", u"かな漢字ß"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(to_upper_text(c.lower), c.upper);
    if (c.lower.find(u'ı') == std::u16string::npos) {
      EXPECT_EQ(to_lower_text(c.upper), c.lower);
    }
  }
  EXPECT_EQ(to_upper_text(u"ς"), u"Σ");
  EXPECT_EQ(to_upper_text(std::u16string(1, char16_t(0xD800))), std::u16string(1, char16_t(0xD800)));
}

}  // namespace
}  // namespace kestrel
