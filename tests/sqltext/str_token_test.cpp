#include "sqltext/str_token.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/utf16.h"
#include "sqltext/sql_str_token.h"

namespace {

using kestrel::u16;
using TT = CStrToken::TokenType;

struct Tok {
  TT type;
  std::u16string text;
  bool unterminated = false;
  bool operator==(const Tok&) const = default;
};

std::vector<Tok> Tokenize(const CStrToken& t, std::u16string_view text) {
  std::vector<Tok> out;
  CStrToken::LexState st;
  std::size_t pos = 0;
  for (;;) {
    CStrToken::Token tok = t.ScanToken(text, pos, &st);
    if (tok.type == TT::kEnd) break;
    EXPECT_GT(tok.length, 0u);
    if (tok.type != TT::kBlank) out.push_back({tok.type, std::u16string(text.substr(pos, tok.length)), tok.unterminated});
    pos += tok.length;
  }
  return out;
}

std::string Show(const std::vector<Tok>& toks) {
  std::string s;
  for (const Tok& t : toks)
    s += std::to_string(static_cast<int>(t.type)) + ":" + kestrel::utf16_to_utf8(t.text) + (t.unterminated ? "!" : "") + " ";
  return s;
}

struct TokenCase {
  const char* text;
  std::vector<Tok> expected;
};

TEST(SqlTokenizer, SplitsTextIntoTokens) {
  const std::vector<TokenCase> cases = {
      {"select a,b from t", {{TT::kWord, u"select"}, {TT::kWord, u"a"}, {TT::kOperator, u","}, {TT::kWord, u"b"},
                             {TT::kWord, u"from"}, {TT::kWord, u"t"}}},
      {"x='it''s'", {{TT::kWord, u"x"}, {TT::kOperator, u"="}, {TT::kQuoted, u"'it''s'"}}},
      {"\"My \"\"Col\"\"\".n", {{TT::kQuoted, u"\"My \"\"Col\"\"\""}, {TT::kOperator, u"."}, {TT::kWord, u"n"}}},
      {"a -- note; 'x'\nb", {{TT::kWord, u"a"}, {TT::kLineComment, u"-- note; 'x'"}, {TT::kWord, u"b"}}},
      {"a/* x\n y */b", {{TT::kWord, u"a"}, {TT::kBlockComment, u"/* x\n y */"}, {TT::kWord, u"b"}}},
      {"a/b-c", {{TT::kWord, u"a"}, {TT::kOperator, u"/"}, {TT::kWord, u"b"}, {TT::kOperator, u"-"}, {TT::kWord, u"c"}}},
      {"where id = :X0", {{TT::kWord, u"where"}, {TT::kWord, u"id"}, {TT::kOperator, u"="}, {TT::kBindVariable, u":X0"}}},
      {"v := 1", {{TT::kWord, u"v"}, {TT::kOther, u":"}, {TT::kOperator, u"="}, {TT::kWord, u"1"}}},
      {"q'[it's]' || Q'{a}b}'", {{TT::kQuoted, u"q'[it's]'"}, {TT::kOperator, u"|"}, {TT::kOperator, u"|"},
                                {TT::kQuoted, u"Q'{a}b}'"}}},
      {"nq'!x'!' q'<a>'", {{TT::kQuoted, u"nq'!x'!'"}, {TT::kQuoted, u"q'<a>'"}}},
      {"q 'a'", {{TT::kWord, u"q"}, {TT::kQuoted, u"'a'"}}},
      {"seq'x'", {{TT::kWord, u"seq"}, {TT::kQuoted, u"'x'"}}},
      {"emp%rowtype", {{TT::kWord, u"emp"}, {TT::kOperator, u"%"}, {TT::kWord, u"rowtype"}}},
      {"社員\u3000名前、表", {{TT::kWord, u"社員"}, {TT::kWord, u"名前"}, {TT::kSeparator, u"、"}, {TT::kWord, u"表"}}},
      {"a(b)", {{TT::kWord, u"a"}, {TT::kBracket, u"("}, {TT::kWord, u"b"}, {TT::kBracket, u")"}}},
      {"'open", {{TT::kQuoted, u"'open", true}}},
      {"x /* open", {{TT::kWord, u"x"}, {TT::kBlockComment, u"/* open", true}}},
      {"q'[open", {{TT::kQuoted, u"q'[open", true}}},
      {"😀x", {{TT::kWord, u"😀x"}}},
  };
  CSQLStrToken t;
  for (const TokenCase& c : cases) {
    std::u16string text = u16(c.text);
    EXPECT_EQ(Tokenize(t, text), c.expected) << c.text << " => " << Show(Tokenize(t, text));
  }
}

TEST(SqlTokenizer, NulCharactersAreSeparatorsNotWordParts) {
  CSQLStrToken t;
  std::u16string text = u"ab";
  text.push_back(u'\0');
  text += u"cd";
  std::vector<Tok> toks = Tokenize(t, text);
  ASSERT_EQ(toks.size(), 3u);
  EXPECT_EQ(toks[0].text, u"ab");
  EXPECT_EQ(toks[1].type, TT::kSeparator);
  EXPECT_EQ(toks[2].text, u"cd");
}

TEST(SqlTokenizer, OpenCommentAndQuoteCarryOverToTheNextLine) {
  CSQLStrToken t;
  CStrToken::LexState st;
  std::u16string l1 = u"select /* one";
  std::u16string l2 = u"two */ 'a";
  std::u16string l3 = u"b' x";
  std::size_t pos = 0;
  CStrToken::Token tok;
  while ((tok = t.ScanToken(l1, pos, &st)).type != TT::kEnd) pos += tok.length;
  EXPECT_EQ(st.mode, CStrToken::LexState::kBlockComment);
  tok = t.ScanToken(l2, 0, &st);
  EXPECT_EQ(tok.type, TT::kBlockComment);
  EXPECT_EQ(tok.length, 6u);
  EXPECT_FALSE(tok.unterminated);
  pos = tok.length;
  while ((tok = t.ScanToken(l2, pos, &st)).type != TT::kEnd) pos += tok.length;
  EXPECT_EQ(st.mode, CStrToken::LexState::kQuote);
  tok = t.ScanToken(l3, 0, &st);
  EXPECT_EQ(tok.type, TT::kQuoted);
  EXPECT_EQ(tok.length, 2u);
  EXPECT_EQ(st.mode, CStrToken::LexState::kNone);
}

TEST(SqlTokenizer, CharacterClasses) {
  CSQLStrToken t;
  for (char16_t c : std::u16string_view(u" ,;'\".%()=><|@\u3000\u3001\u3002\uFF0C\uFF0E"))
    EXPECT_TRUE(t.IsSeparator(c)) << int(c);
  for (char16_t c : std::u16string_view(u"AZaz09_$#+*/-\uFF01\u3003"))
    EXPECT_FALSE(t.IsSeparator(c)) << int(c);
  for (char16_t c : std::u16string_view(u"=!*/+-%;.,(){}|^")) EXPECT_TRUE(t.IsOperator(c)) << int(c);
  EXPECT_FALSE(t.IsOperator(u'a'));
  EXPECT_TRUE(t.IsBindPrefix(u':'));
  EXPECT_FALSE(t.IsBindPrefix(u'?'));
  EXPECT_EQ(t.OpeningBracket(u')'), u'(');
  EXPECT_EQ(t.OpeningBracket(u']'), u'[');
  EXPECT_EQ(t.OpeningBracket(u'}'), u'{');
  EXPECT_EQ(t.OpeningBracket(u'>'), u'<');
  EXPECT_EQ(t.OpeningBracket(u'a'), 0);

  bool doubled = false;
  std::u16string s = u"'a''b'";
  EXPECT_TRUE(t.IsQuote(s, 0, &doubled));
  EXPECT_FALSE(doubled);
  EXPECT_TRUE(t.IsQuote(s, 2, &doubled));
  EXPECT_TRUE(doubled);
  EXPECT_FALSE(t.IsQuote(s, 1, &doubled));
  EXPECT_FALSE(t.IsQuote(s, 99, &doubled));
}

TEST(SqlTokenizer, BlankAndSignificantPositions) {
  CSQLStrToken t;
  EXPECT_EQ(CStrToken::SkipBlanks(u" \t\r\n\u3000x"), 5u);
  EXPECT_EQ(CStrToken::SkipBlanks(u"   "), 3u);
  std::u16string text = u"  -- one\r\n\t-- two\n  select";
  EXPECT_EQ(t.FirstSignificantPos(text), text.find(u"select"));
  EXPECT_EQ(t.FirstSignificantPos(u"-- only"), 7u);
}

}  // namespace
