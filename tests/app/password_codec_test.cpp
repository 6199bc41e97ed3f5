// Stored password encoding: round trips, refusals and known answers.
#include "app/password_codec.h"

#include <gtest/gtest.h>

#include "platform/utf16.h"

namespace kestrel {
namespace {

TEST(PasswordCodec, RoundTripsWithEveryLetter) {
  const std::u16string passwords[] = {u"", u"a", u"ab", u"abc", u"abcd", u"TIGER", u"日本語のパスワード",
                                      u"ｱｲｳ", std::u16string(190, u'x')};
  for (const std::u16string& pw : passwords) {
    for (int letter = 0; letter < 10; ++letter) {
      std::optional<std::u16string> enc = encode_password_with(pw, letter);
      ASSERT_TRUE(enc.has_value());
      EXPECT_EQ(enc->front(), u'a' + letter);
      EXPECT_EQ(decode_password_v2(*enc), pw) << utf16_to_utf8(pw) << " letter " << letter;
      EXPECT_EQ(decode_password(*enc, 2), pw);
    }
    std::optional<std::u16string> enc = encode_password(pw);
    ASSERT_TRUE(enc.has_value()) << utf16_to_utf8(pw);
    EXPECT_LE(enc->size(), kEncodedPasswordMax);
    EXPECT_EQ(decode_password(*enc, 2), pw);
  }
}

TEST(PasswordCodec, KnownAnswerFixesTheFormat) {
  // The alphabets are a stored format: these texts must decode forever.
  EXPECT_EQ(*encode_password_with(std::u16string(3, u'\0'), 0), u"annnn") << "zero bytes: the first character";
  EXPECT_EQ(*encode_password_with(std::u16string(3, u'\0'), 9), u"j++++");
}

TEST(PasswordCodec, RefusesWhatCannotBeStored) {
  EXPECT_FALSE(encode_password(u"\U0001F600").has_value()) << "no CP932 form";
  EXPECT_FALSE(encode_password(std::u16string(191, u'x')).has_value()) << "would pass 255 characters";
  EXPECT_TRUE(encode_password(std::u16string(190, u'x')).has_value());
  int picks = 0;
  EXPECT_TRUE(encode_password(u"abc", [&] { return ++picks, 7; })->front() == u'h');
  EXPECT_EQ(picks, 1);
}

TEST(PasswordCodec, RejectsDamagedTexts) {
  const std::u16string bad[] = {u"", u"k", u"z123", u"aX", u"a!!!!", u"annnnn"};
  for (const std::u16string& b : bad) EXPECT_FALSE(decode_password_v2(b).has_value()) << utf16_to_utf8(b);
  EXPECT_EQ(decode_password_v2(u"a"), u"");
}

TEST(PasswordCodec, Version1KnownAnswer) {
  const std::u16string v1 = {u'\u0041', u'\u00AE', u'\u00CD', u'\u0094', u'\u00FA', u'\u00B1'};
  EXPECT_EQ(decode_password_v1(v1), u"TIGER");
  EXPECT_EQ(decode_password(v1, 1), u"TIGER");
  EXPECT_FALSE(decode_password_v1(u"").has_value());
  EXPECT_EQ(decode_password_v1(u"A"), u"");
  EXPECT_FALSE(decode_password_v1(u"A\u3042").has_value());
}

}  // namespace
}  // namespace kestrel
