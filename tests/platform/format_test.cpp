#include "platform/format.h"

#include <gtest/gtest.h>

namespace kestrel {
namespace {

TEST(Format, MessageFormsProduceTheirTexts) {
  struct Case { std::u16string got, want; };
  const std::u16string name = u"SCOTT";
  const Case cases[] = {
      {format(u"%s(%d)", {name, 12}), u"SCOTT(12)"},
      {format(u"%s - %s", {u"SCOTT@", "無題"}), u"SCOTT@ - 無題"},
      {format(u"*%6d", {42}), u"*    42"},
      {format(u"%7d", {-3}), u"     -3"},
      {format(u"%I64d", {int64_t(-9223372036854775807LL - 1)}), u"-9223372036854775808"},
      {format(u"%.*s", {3, u"abcdef"}), u"abc"},
      {format(u"100%%", {}), u"100%"},
      {format(u"%-5s|", {u"ab"}), u"ab   |"},
      {format(u"VIRT_%.4d", {7}), u"VIRT_0007"},
      {format(u"%05.1f", {3.14159}), u"003.1"},
      {format(u"%.*f", {2, 1.005}), u"1.00"},
      {format(u"%lg", {0.5}), u"0.5"},
      {format(u"%c", {u'あ'}), u"あ"},
      {format(u"%x/%X", {255, 255u}), u"ff/FF"},
      {format(u"検索結果転送中(%d)", {400}), u"検索結果転送中(400)"},
      {format(u"  delete: %d\n  insert: %d\n", {1, 2}), u"  delete: 1\n  insert: 2\n"},
      {format(u"%u", {uint64_t(18446744073709551615ULL)}), u"18446744073709551615"},
  };
  for (const auto& c : cases) EXPECT_EQ(c.got, c.want);
}

TEST(Format, PointerIsSixteenUpperHexDigits) {
  EXPECT_EQ(format(u"0x%p", {reinterpret_cast<const void*>(0xABCDEF)}), u"0x0000000000ABCDEF");
}

TEST(Format, Utf8OutputMatchesUtf16) {
  EXPECT_EQ(format_utf8("%s: %d", {u"件数", 5}), "件数: 5");
}

#ifdef NDEBUG
TEST(Format, MismatchesAreMarkedNotUndefined) {
  EXPECT_EQ(format(u"%d", {u"text"}), u"%!");
  EXPECT_EQ(format(u"%s %s", {u"one"}), u"one %!");
  EXPECT_EQ(format(u"%s", {u"a", 2}), u"a%!");
}
#else
TEST(FormatDeathTest, MismatchAssertsInDebugBuilds) {
  EXPECT_DEATH(format(u"%d", {u"text"}), "");
}
#endif

}  // namespace
}  // namespace kestrel
