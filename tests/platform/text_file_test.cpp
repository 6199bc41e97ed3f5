#include "platform/text_file.h"

#include <gtest/gtest.h>

#include "platform/codepage.h"
#include "support/temp_dir.h"

namespace kestrel {
namespace {

TEST(TextFile, DetectsEncoding) {
  struct Case {
    std::string bytes;
    TextEncoding encoding;
    std::u16string text;
  } cases[] = {
      {"", TextEncoding::Utf8, u""},
      {"plain ascii", TextEncoding::Utf8, u"plain ascii"},
      {"\xE6\x97\xA5\xE6\x9C\xAC", TextEncoding::Utf8, u"日本"},
      {"\xEF\xBB\xBF\xE6\x97\xA5", TextEncoding::Utf8Bom, u"日"},
      {wide_to_multibyte(kCodePageAnsi, u"日本語ｶﾅ"), TextEncoding::Cp932, u"日本語ｶﾅ"},
      {std::string("\xFF\xFE\xE5\x65", 4), TextEncoding::Utf16LeBom, u"日"},
      {std::string("\xFE\xFF\x65\xE5", 4), TextEncoding::Utf16BeBom, u"日"},
  };
  for (const Case& c : cases) {
    DecodedText d = decode_text(c.bytes);
    EXPECT_EQ(d.encoding, c.encoding) << c.bytes;
    EXPECT_EQ(d.text, c.text) << c.bytes;
  }
}

TEST(TextFile, EncodeRoundTrips) {
  const std::u16string text = u"select '日本' from dual;\r\n";
  for (TextEncoding e : {TextEncoding::Utf8, TextEncoding::Utf8Bom, TextEncoding::Cp932, TextEncoding::Utf16LeBom,
                         TextEncoding::Utf16BeBom}) {
    DecodedText d = decode_text(encode_text(text, e));
    EXPECT_EQ(d.encoding, e);
    EXPECT_EQ(d.text, text);
  }
}

TEST(TextFile, SplitsAtEveryLineEnd) {
  EXPECT_EQ(split_lines(u"a\r\nb\nc\rd"), (std::vector<std::u16string_view>{u"a", u"b", u"c", u"d"}));
  EXPECT_EQ(split_lines(u"a\n\nb\n"), (std::vector<std::u16string_view>{u"a", u"", u"b"}));
  EXPECT_EQ(split_lines(u"\r\n"), (std::vector<std::u16string_view>{u""}));
  EXPECT_TRUE(split_lines(u"").empty());
  EXPECT_EQ(normalize_line_ends(u"a\nb\r\nc\r", u"\r\n"), u"a\r\nb\r\nc\r\n");
}

TEST(TextFile, ReadsFilesAndReportsMissingOnes) {
  testing::TempDir dir;
  auto f = dir.write("k.txt", wide_to_multibyte(kCodePageAnsi, u"表示\r\n"));
  DecodedText d;
  ASSERT_TRUE(read_text_file(f, d));
  EXPECT_EQ(d.text, u"表示\r\n");
  std::u16string error;
  EXPECT_FALSE(read_text_file(dir / "none.txt", d, &error));
  EXPECT_FALSE(error.empty());
  EXPECT_FALSE(read_text_file(dir.path(), d, &error));
}

}  // namespace
}  // namespace kestrel
