#include "sqltext/keyword_table.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/codepage.h"
#include "platform/format.h"
#include "platform/utf16.h"
#include "sqltext/keyword_file.h"
#include "sqltext/sql_str_token.h"
#include "sqltext/sqltext_constants.h"
#include "support/temp_dir.h"

namespace {

using kestrel::u16;

int Load(CSQLStrToken& t, const std::string& bytes, std::u16string* err = nullptr) {
  std::u16string e;
  return t.InitDefaultKeywordFromBytes(bytes, err ? err : &e);
}

TEST(KeywordFile, ParsesWordsAndKinds) {
  struct Case {
    const char* text;
    std::vector<std::pair<std::u16string, int>> expected;
  } cases[] = {
      {"select,2\nfrom,7\n", {{u"select", 2}, {u"from", 1}}},
      {"//comment\n\n   \nwhere  \r\n", {{u"where", 1}}},
      {"a,0\nb,-1\nc,2  \r\nd , 2\n", {{u"a", 1}, {u"b", 1}, {u"c", 2}, {u"d", 2}}},
      {"last line without end", {{u"last line without end", 1}}},
      {"cr\rline\r", {{u"cr", 1}, {u"line", 1}}},
      {",2\n", {}},
      {"%ROWTYPE,2", {{u"%ROWTYPE", 2}}},
  };
  for (const Case& c : cases) {
    std::vector<kestrel::KeywordLine> lines = kestrel::ParseKeywordLines(u16(c.text));
    std::vector<std::pair<std::u16string, int>> got;
    for (auto& l : lines) got.emplace_back(l.word, l.kind);
    EXPECT_EQ(got, c.expected) << c.text;
  }
}

TEST(KeywordFile, ReadsUtf8Cp932AndInvalidBytes) {
  struct Case {
    const char* bytes;
    const char16_t* word;
  } cases[] = {
      {"\xEF\xBB\xBF" "abc,2", u"abc"},
      {"\xE7\xA4\xBE\xE5\x93\xA1,2", u"社員"},  // UTF-8
      {"\x8E\xD0\x88\xF5,2", u"社員"},            // CP932
  };
  for (const Case& c : cases) {
    CSQLStrToken t;
    ASSERT_EQ(Load(t, c.bytes), 0);
    ASSERT_EQ(t.ActiveKeywords()->size(), 1u);
    EXPECT_EQ(t.FindKeyword(c.word).entry().kind, 2) << c.bytes;
  }
  // Bytes that are neither: the line still loads, the bad bytes replaced.
  CSQLStrToken t;
  ASSERT_EQ(Load(t, "ok\n\xFF\xFF\n"), 0);
  EXPECT_TRUE(t.FindKeyword(u"ok"));
  EXPECT_EQ(t.ActiveKeywords()->size(), 2u);
}

TEST(KeywordFile, NulEndsTheLineText) {
  std::u16string text = u"sel";
  text.push_back(0);
  text += u"ect,2\nfrom";
  auto lines = kestrel::ParseKeywordLines(text);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].word, u"sel");
  EXPECT_EQ(lines[0].kind, 1);
}

TEST(KeywordLookup, FindsKeywordsCaseInsensitively) {
  CSQLStrToken t;
  ASSERT_EQ(Load(t, "select,2\nfrom,7\n//comment\n\nwhere\n社員\n"), 0);
  int32_t kind = 0;
  int32_t i = t.IsKeyword(u"Select", &kind);
  ASSERT_GE(i, 0);
  EXPECT_EQ(kind, kestrel::kKeywordKind2);
  auto hit = t.FindKeyword(u"select");
  ASSERT_TRUE(hit);
  EXPECT_EQ(hit.entry().key, u"SELECT");
  EXPECT_EQ(hit.entry().word, u"select");
  EXPECT_EQ(hit.entry().upper, u"SELECT");
  EXPECT_EQ(hit.entry().kind_name, u"KEYWORD2");
  EXPECT_EQ(hit.entry().key_len, 6);
  EXPECT_EQ(t.FindKeyword(u"FROM").entry().kind, kestrel::kKeywordKind1);
  EXPECT_EQ(t.FindKeyword(u"FROM").entry().kind_name, u"KEYWORD");
  EXPECT_TRUE(t.FindKeyword(u"社員"));
  EXPECT_FALSE(t.FindKeyword(u"comment"));
  EXPECT_FALSE(t.FindKeyword(u"//comment"));
  EXPECT_FALSE(t.FindKeyword(u"selec"));
  EXPECT_FALSE(t.FindKeyword(u"selects"));
  EXPECT_FALSE(t.FindKeyword(u""));
  // A word far longer than any key is refused without being copied anywhere.
  EXPECT_FALSE(t.FindKeyword(std::u16string(100000, u'S')));
  EXPECT_EQ(t.ActiveKeywords()->size(), 4u);
}

TEST(KeywordLookup, CaseSensitiveTablesMatchTheWrittenForm) {
  CSQLStrToken t;
  t.SetCaseInsensitive(false);
  ASSERT_EQ(Load(t, "Select\n"), 0);
  EXPECT_TRUE(t.FindKeyword(u"Select"));
  EXPECT_FALSE(t.FindKeyword(u"SELECT"));
  EXPECT_EQ(t.FindKeyword(u"Select").entry().key, u"Select");
  t.SetCaseInsensitive(true);  // keys follow the rule: the table starts again
  EXPECT_EQ(t.ActiveKeywords()->size(), 0u);
}

TEST(KeywordLookup, IndexCoversEveryFirstCharacter) {
  CSQLStrToken t;
  ASSERT_EQ(Load(t, "b\na\nab\nz\n~x\n表\nあ\n"), 0);
  auto table = t.ActiveKeywords();
  const auto& s = table->slot(u'A');
  EXPECT_EQ(s.first, 0);
  EXPECT_EQ(s.last, 1);
  EXPECT_EQ(table->slot(u'C').first, -1);
  EXPECT_EQ(table->slot(u'表').first, table->slot(u'あ').first);  // one shared slot above ASCII
  EXPECT_EQ(table->slot(u'表').last, 6);
  for (std::u16string w : {u"a", u"ab", u"b", u"z", u"~x", u"表", u"あ"}) EXPECT_TRUE(t.FindKeyword(w)) << kestrel::utf16_to_utf8(w);
  EXPECT_EQ(table->longest_key(), 2);
  EXPECT_EQ(table->lowest_first(), u'A');
  EXPECT_EQ(table->highest_first(), u'表');
}

TEST(KeywordLookup, KeysContainingSeparatorsMatchThroughTheirOwnPath) {
  CSQLStrToken t;
  ASSERT_EQ(Load(t, "%ROWTYPE,2\n%TYPE,2\nORDER BY\nORDER\nBY\n"), 0);
  auto table = t.ActiveKeywords();
  EXPECT_TRUE(table->slot(u'%').has_separator_key);
  EXPECT_TRUE(table->slot(u'O').has_separator_key);
  EXPECT_FALSE(table->slot(u'B').has_separator_key);

  struct Case {
    std::u16string text;
    std::size_t pos;
    std::u16string expected;  // empty: no keyword
  } cases[] = {
      {u"emp%rowtype;", 3, u"%ROWTYPE"},
      {u"v emp.x%type", 7, u"%TYPE"},
      {u"order by x", 0, u"ORDER BY"},
      {u"ORDER  BY x", 0, u"ORDER"},   // two spaces: the key has one
      {u"order bytes", 0, u"ORDER"},   // the key must not end inside a word
      {u"orders", 0, u""},
      {u"by", 0, u"BY"},
      {u"%rowtypes", 0, u""},
  };
  for (const Case& c : cases) {
    std::size_t len = 0;
    auto hit = t.MatchKeywordAt(table, c.text, c.pos, &len);
    if (c.expected.empty()) {
      EXPECT_FALSE(hit) << kestrel::utf16_to_utf8(c.text);
      continue;
    }
    ASSERT_TRUE(hit) << kestrel::utf16_to_utf8(c.text);
    EXPECT_EQ(hit.entry().key, c.expected) << kestrel::utf16_to_utf8(c.text);
    EXPECT_EQ(len, c.expected.size());
  }
}

TEST(KeywordLoading, AppendsToTheDefaultTableAndKeepsItOnFailure) {
  CSQLStrToken t;
  ASSERT_EQ(Load(t, "select\n"), 0);
  ASSERT_EQ(Load(t, "from\n"), 0);
  EXPECT_TRUE(t.FindKeyword(u"select"));
  EXPECT_TRUE(t.FindKeyword(u"from"));

  kestrel::testing::TempDir dir;
  std::u16string err;
  auto missing = dir / "none.txt";
  EXPECT_EQ(t.InitDefaultKeyword(missing, &err), 1);
  EXPECT_EQ(err, kestrel::format(u"CStrToken::initDefaultKeyword(): fopen error(%s)", {missing.string()}));
  EXPECT_TRUE(t.FindKeyword(u"select"));  // the table stays as it was
  EXPECT_EQ(t.InitDefaultKeyword(dir.path(), &err), 1);  // a folder is no keyword file

  auto file = dir.write("kw.txt", "\x8E\xD0\x88\xF5,2\r\nupdate\r\n");  // CP932
  ASSERT_EQ(t.InitDefaultKeyword(file, &err), 0);
  EXPECT_EQ(t.FindKeyword(u"社員").entry().kind, 2);
  EXPECT_TRUE(t.FindKeyword(u"UPDATE"));

  t.ClearKeywords();
  EXPECT_FALSE(t.FindKeyword(u"select"));
  EXPECT_EQ(t.ActiveKeywords()->size(), 0u);
}

TEST(KeywordLoading, ShippedKeywordFileLoads) {
  CSQLStrToken t;
  std::u16string err;
  ASSERT_EQ(t.InitDefaultKeyword(kestrel::testing::source_dir() / "data" / "keywords.txt", &err), 0)
      << kestrel::utf16_to_utf8(err);
  EXPECT_GT(t.ActiveKeywords()->size(), 300u);
  EXPECT_EQ(t.FindKeyword(u"select").entry().kind, 1);
  EXPECT_EQ(t.FindKeyword(u"to_char").entry().kind, 2);
  std::size_t len = 0;
  EXPECT_TRUE(t.MatchKeywordAt(t.ActiveKeywords(), u"r%rowtype", 1, &len));
  EXPECT_EQ(len, 8u);
}

}  // namespace
