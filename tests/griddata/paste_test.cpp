#include "griddata/paste_text.h"

#include <gtest/gtest.h>

#include <string>

#include "grid_test_util.h"

namespace kestrel::testing {
namespace {

TEST(Paste, FieldOver4MiBIsCutWithoutSplittingASurrogatePair) {
  auto g = make_grid({{"a", "b"}});
  g->SetMaxDataLen(0x7FFFFFFF);
  const std::size_t limit = grid::kPasteFieldMaxUnits;
  // The pair straddles the limit: its high half is the last unit that fits.
  std::u16string field(limit - 1, u'x');
  field += u"\U0001F600";
  field += u"tail";
  ASSERT_EQ(g->Paste(field + u"\tsecond"), grid::kPasteFieldCut);
  EXPECT_EQ(g->GetData(0, 0).size(), limit - 1);
  EXPECT_EQ(g->GetData(0, 1), u"second");
  // A field that fits exactly is not reported.
  g->SetCurCell(0, 0);
  ASSERT_EQ(g->Paste(std::u16string(limit, u'y')), grid::kOk);
  EXPECT_EQ(g->GetData(0, 0).size(), limit);
}

TEST(Paste, QuotedFieldsAndBreaks) {
  struct Case {
    const char* name;
    std::u16string text;
    std::vector<std::string> rows;
  };
  const Case cases[] = {
      {"crlf inside quotes", u"\"l1\r\nl2\"\tb", {"*     1|l1\r\nl2,b|10", "      2|c,d|00"}},
      {"doubled quotes", u"\"say \"\"hi\"\"\"", {"*     1|say \"hi\",b|10", "      2|c,d|00"}},
      {"text after a closing quote", u"\"q\"r\ts", {"*     1|qr,s|11", "      2|c,d|00"}},
      {"unterminated quote", u"\"open\tstill", {"*     1|open\tstill,b|10", "      2|c,d|00"}},
      {"bare cr", u"1\r2", {"*     1|1,b|10", "*     2|2,d|10"}},
      {"empty field keeps column", u"\tz", {"*     1|,z|11", "      2|c,d|00"}},
  };
  for (const Case& c : cases) {
    auto g = make_grid({{"a", "b"}, {"c", "d"}});
    EXPECT_EQ(g->Paste(c.text), 0) << c.name;
    EXPECT_EQ(dump(*g), c.rows) << c.name;
  }
}

TEST(Paste, RefusedWithoutValidCellOrBeyondTheGrid) {
  auto g = make_grid({{"a", "b"}});
  g->SetCurCellRaw(-1, -1);
  EXPECT_EQ(g->Paste(u"x"), grid::kRefused);
  g->SetCurCell(0, 0);
  g->SetSelection(0, 0, 1, 5);  // a selection beyond the last row
  EXPECT_EQ(g->Paste(u"x"), grid::kRefused);
  EXPECT_FALSE(g->CanUndo());
  EXPECT_EQ(g->GetData(0, 0), u"a");
}

TEST(Paste, WideningStopsAtTheLastColumn) {
  auto g = make_grid({{"a", "b", "c"}, {"d", "e", "f"}});
  g->SetSelection(1, 0, 1, 1);
  ASSERT_EQ(g->Paste(u"1\t2\t3\t4"), 0);
  EXPECT_EQ(g->GetSelection().right(), 2);
  EXPECT_EQ(dump(*g)[0], "*     1|a,1,2|011");
  EXPECT_EQ(dump(*g)[1], "*     2|d,1,2|011");
}

}  // namespace
}  // namespace kestrel::testing
