#include "sqltext/url_marker.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/utf16.h"
#include "sqltext/sqltext_constants.h"

namespace {

using kestrel::u16;

// The marked characters of `line` shown as '^' under it.
std::string Marks(std::u16string_view line) {
  std::vector<uint8_t> attr(line.size(), 0);
  kestrel::MarkUrls(line, attr);
  std::string out;
  for (uint8_t a : attr) out += (a & kestrel::kAttrUrl) ? '^' : ' ';
  return out;
}

TEST(UrlMarker, MarksUrlsAndMailAddresses) {
  struct Case {
    const char16_t* line;
    const char* marks;
  } cases[] = {
      {u"see http://x.org/a b", "    ^^^^^^^^^^^^^^  "},
      {u"https://a.b\"q", "^^^^^^^^^^^  "},
      {u"<ftp://f.net/x>", " ^^^^^^^^^^^^^ "},
      {u"go www.a.jp[1]", "   ^^^^^^^^   "},
      {u"http:// alone", "             "},
      {u"www.", "    "},
      {u"HTTP://upper.case", "                 "},
      {u"(see http://x.org/a)", "     ^^^^^^^^^^^^^^ "},
      {u"http://w.org/Foo_(bar)/x y", "^^^^^^^^^^^^^^^^^^^^^^^^  "},
      {u"http://a.jp/日本", "^^^^^^^^^^^^  "},
      {u"mail a.b+c@ex-1.co.jp.", "     ^^^^^^^^^^^^^^^^^"},
      {u"@x y@ z@w", "      ^^^"},
      {u"x\thttp://t", "  ^^^^^^^^"},
  };
  for (const auto& c : cases) EXPECT_EQ(Marks(c.line), c.marks) << kestrel::utf16_to_utf8(c.line);
}

TEST(UrlMarker, RemarkingClearsOldMarksAndKeepsOtherBits) {
  std::u16string line = u"ab http://x";
  std::vector<uint8_t> attr(line.size(), kestrel::kAttrUrl | kestrel::kAttrKeyword);
  kestrel::MarkUrls(line, attr);
  EXPECT_EQ(attr[0], kestrel::kAttrKeyword);
  EXPECT_EQ(attr[3], kestrel::kAttrUrl | kestrel::kAttrKeyword);
}

TEST(UrlMarker, WordUnderTheMouseAndWhatItOpens) {
  std::u16string line = u"at www.a.jp or me@x.jp";
  std::vector<uint8_t> attr(line.size(), 0);
  kestrel::MarkUrls(line, attr);
  EXPECT_EQ(kestrel::MarkedWordAt(line, attr, 5), u"www.a.jp");
  EXPECT_EQ(kestrel::MarkedWordAt(line, attr, 20), u"me@x.jp");
  EXPECT_EQ(kestrel::MarkedWordAt(line, attr, 0), u"");
  EXPECT_EQ(kestrel::MarkedWordAt(line, attr, 999), u"");
  EXPECT_EQ(kestrel::UrlToOpen(u"www.a.jp"), u"www.a.jp");
  EXPECT_EQ(kestrel::UrlToOpen(u"https://a"), u"https://a");
  EXPECT_EQ(kestrel::UrlToOpen(u"me@x.jp"), u"mailto:me@x.jp");
  EXPECT_EQ(kestrel::UrlToOpen(u"HTTP://a"), u"mailto:HTTP://a");
}

}  // namespace
