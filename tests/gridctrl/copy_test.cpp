// Copy formats: every format with and without swapping, bit 0x4000, ranges,
// row ends, fixed widths with surrogates, header names that need quoting,
// the length pass equal to the built text, and clipboard failures.
#include <gtest/gtest.h>

#include "griddata/grid_data_swap_row_col.h"
#include "gridctrl/grid_copy.h"
#include "gridctrl/gridctrl_constants.h"
#include "support/scripted_ui.h"
#include "test_grids.h"

using namespace kestrel;
using namespace kestrel::gridctrl;
using namespace kestrel::testing;

namespace {

// A grid with fixed column lengths and names chosen per test.
class LenGrid : public CGridData {
 public:
  LenGrid(Rows rows, std::vector<std::u16string> names, std::vector<int32_t> lens)
      : rows_(std::move(rows)), names_(std::move(names)), lens_(std::move(lens)) {
    ResetColWidthTable();
    SetCurCell(0, 0);
  }
  int32_t GetColCnt() const override { return static_cast<int32_t>(names_.size()); }
  int32_t GetRowCnt() const override { return static_cast<int32_t>(rows_.size()); }
  std::u16string_view GetData(int32_t r, int32_t c) const override { return rows_[r][c]; }
  std::u16string GetColName(int32_t c) const override { return names_[c]; }
  int32_t GetColLen(int32_t c) const override { return lens_[c]; }
  int32_t GetRowHeaderLen() const override { return 4; }
  std::u16string GetRowHeader(int32_t r) const override { return u"R" + std::u16string(1, char16_t(u'0' + r)); }

 private:
  Rows rows_;
  std::vector<std::u16string> names_;
  std::vector<int32_t> lens_;
};

struct CopyCase {
  const char* name;
  int format;
  uint32_t style;
  CopyRange range;
  std::u16string expected;
};

LenGrid SampleGrid() {
  return LenGrid({{u"a", u"x\"y", u""}, {u"b\tc", u"two\r\nlines", u"\"q"}},
                 {u"ID", u"NA,ME", u"N\"B"}, {3, 5, 2});
}

class CopyFormats : public ::testing::TestWithParam<CopyCase> {};

TEST_P(CopyFormats, BuildsExactText) {
  const CopyCase& c = GetParam();
  LenGrid g = SampleGrid();
  std::u16string out;
  ASSERT_TRUE(BuildCopyText(g, c.format, c.range, c.style, out));
  EXPECT_EQ(out, c.expected);
  EXPECT_EQ(GetCopyTextLength(g, c.format, c.range, c.style), static_cast<int64_t>(out.size()));
}

constexpr uint32_t kEsc = kStyleCopyEscapeDblQuote;

INSTANTIATE_TEST_SUITE_P(
    Grid, CopyFormats,
    ::testing::Values(
        CopyCase{"TabOneCellNoLineEnd", kCopyTab, 0, {0, 0, 0, 0}, u"a"},
        CopyCase{"TabTwoRowsEachEnds", kCopyTab, 0, {0, 1, 0, 0}, u"a\r\nb\tc\r\n"},
        CopyCase{"TabRowAsIs", kCopyTab, 0, {1, 1, 0, 2}, u"b\tc\ttwo\r\nlines\t\"q"},
        CopyCase{"TabEscaped", kCopyTab, kEsc, {1, 1, 0, 2}, u"\"b\tc\"\t\"two\r\nlines\"\t\"\"\"q\""},
        CopyCase{"TabEscapedInnerQuoteBare", kCopyTab, kEsc, {0, 0, 1, 1}, u"x\"y"},
        CopyCase{"CsvEmptyCellTwoQuotes", kCopyCsv, 0, {0, 0, 2, 2}, u"\"\""},
        CopyCase{"CsvRow", kCopyCsv, 0, {0, 0, 0, 2}, u"\"a\",\"x\"\"y\",\"\""},
        CopyCase{"CsvNamesQuotesOnlySpecialNames", kCopyCsvNames, 0, {0, 0, 0, 2},
                 u"ID,\"NA,ME\",\"N\"\"B\"\r\n\"a\",\"x\"\"y\",\"\""},
        CopyCase{"TabNamesWithoutEscapeStayBare", kCopyTabNames, 0, {0, 0, 0, 1}, u"ID\tNA,ME\r\na\tx\"y"},
        CopyCase{"TabNamesEscapeQuotedName", kCopyTabNames, kEsc, {0, 0, 1, 2},
                 u"NA,ME\tN\"B\r\nx\"y\t"},
        CopyCase{"FixedCutAndPad", kCopyFixed, 0, {0, 1, 0, 1}, u"a  x\"y  \r\nb\t two\r \r\n"},
        CopyCase{"FixedNames", kCopyFixedNames, 0, {0, 0, 0, 2}, u"ID NA,M N \r\na  x\"y    "},
        CopyCase{"SwappedCsvNamesRowHeaders", kCopyCsvNames, kStyleSwapRowCol, {0, 1, 0, 0},
                 u"R0,\"a\"\r\nR1,\"b\tc\""},
        CopyCase{"SwappedTwoColumnsEndWithCrLf", kCopyTab, kStyleSwapRowCol, {0, 0, 0, 1},
                 u"a\tx\"y\r\n"},
        CopyCase{"SwappedFixedRowHeaderLen", kCopyFixedNames, kStyleSwapRowCol, {0, 0, 0, 0},
                 u"R0  a  "}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CopyFixed, ColLenFiveCutsAbcdefgToFourAndSpace) {
  LenGrid g({{u"ABCDEFG"}}, {u"X"}, {5});
  std::u16string out;
  ASSERT_TRUE(BuildCopyText(g, kCopyFixed, {0, 0, 0, 0}, 0, out));
  EXPECT_EQ(out, u"ABCD ");
}

TEST(CopyFixed, NoDeclaredLengthGivesWholeTextAndOneSpace) {
  LenGrid g({{u"ABCDEFG"}}, {u"X"}, {-1});
  std::u16string out;
  ASSERT_TRUE(BuildCopyText(g, kCopyFixed, {0, 0, 0, 0}, 0, out));
  EXPECT_EQ(out, u"ABCDEFG ");
}

TEST(CopyFixed, NeverSplitsASurrogatePair) {
  // U+20BB7 is two units; a cut after 2 units would halve it.
  LenGrid g({{u"a\U00020BB7b"}}, {u"X"}, {3});
  std::u16string out;
  ASSERT_TRUE(BuildCopyText(g, kCopyFixed, {0, 0, 0, 0}, 0, out));
  EXPECT_EQ(out, u"a  ");
  EXPECT_EQ(GetCopyTextLength(g, kCopyFixed, {0, 0, 0, 0}, 0), 3);
}

TEST(CopyRangeRules, InvalidAndEmptyRangesGiveNothing) {
  auto g = MakeGrid({});
  EXPECT_EQ(GetCopyTextLength(*g, kCopyTab, {0, 0, 0, 0}, 0), 0);
  LenGrid s = SampleGrid();
  EXPECT_EQ(GetCopyTextLength(s, kCopyTab, {1, 0, 0, 0}, 0), 0);
  EXPECT_EQ(GetCopyTextLength(s, kCopyTab, {0, 5, 0, 0}, 0), 0);
  EXPECT_EQ(GetCopyTextLength(s, 7, {0, 0, 0, 0}, 0), 0);
}

TEST(CopyRangeRules, SelectionOrdersColumnsAndFallsBackToCurrentCell) {
  auto g = MakeGrid({{u"1", u"2", u"3"}, {u"4", u"5", u"6"}});
  CopyRange r;
  g->SetCurCell(1, 2);
  ASSERT_TRUE(SelectionCopyRange(*g, r));
  EXPECT_EQ(r.top, 1);
  EXPECT_EQ(r.left, 2);
  g->SetSelection(2, 1, 0, 0);
  ASSERT_TRUE(SelectionCopyRange(*g, r));
  EXPECT_EQ(r.top, 0);
  EXPECT_EQ(r.bottom, 1);
  EXPECT_EQ(r.left, 0);
  EXPECT_EQ(r.right, 2);
  std::u16string out;
  ASSERT_TRUE(BuildCopyText(*g, kCopyTab, r, 0, out));
  EXPECT_EQ(out, u"1\t2\t3\r\n4\t5\t6\r\n");
}

TEST(CopyCommands, MapToFormats) {
  EXPECT_EQ(CopyFormatOfCommand(57634), 2);
  EXPECT_EQ(CopyFormatOfCommand(32840), 2);
  EXPECT_EQ(CopyFormatOfCommand(32842), 1);
  EXPECT_EQ(CopyFormatOfCommand(32843), 3);
  EXPECT_EQ(CopyFormatOfCommand(32841), 4);
  EXPECT_EQ(CopyFormatOfCommand(32844), 5);
  EXPECT_EQ(CopyFormatOfCommand(32845), 6);
  EXPECT_EQ(CopyFormatOfCommand(1), 0);
}

TEST(CopyClipboard, PutsTextOnClipboard) {
  ScriptedUi ui;
  auto g = MakeGrid({{u"日本", u"語"}});
  ASSERT_TRUE(CopyToClipboard(*g, kCopyCsv, {0, 0, 0, 1}, 0));
  EXPECT_EQ(ui.clipboard, u"\"日本\",\"語\"");
  EXPECT_TRUE(ui.boxes.empty());
}

class FailingClipboardUi : public UiServices {
 public:
  FailingClipboardUi() : prev_(set_ui_services(this)) {}
  ~FailingClipboardUi() override { set_ui_services(prev_); }
  int message_box(std::u16string_view text, std::u16string_view title, uint32_t) override {
    texts.emplace_back(text);
    titles.emplace_back(title);
    return IDOK;
  }
  void beep(uint32_t) override {}
  bool clipboard_text(std::u16string&) override { return false; }
  bool set_clipboard_text(std::u16string_view) override { return false; }
  void set_busy_cursor(bool) override {}
  bool open_url(std::u16string_view) override { return false; }
  std::vector<std::u16string> texts, titles;

 private:
  UiServices* prev_;
};

TEST(CopyClipboard, FailureIsReported) {
  FailingClipboardUi ui;
  auto g = MakeGrid({{u"a"}});
  EXPECT_FALSE(CopyToClipboard(*g, kCopyTab, {0, 0, 0, 0}, 0));
  ASSERT_EQ(ui.texts.size(), 1u);
  EXPECT_EQ(ui.texts[0], u"Unable to set Clipboard data");
  EXPECT_EQ(ui.titles[0], u"Error");
}

TEST(CopyClipboard, SwapViewUsesRowHeadersOfTheView) {
  ScriptedUi ui;
  auto g = MakeGrid({{u"1", u"2"}, {u"3", u"4"}}, {u"A", u"B"});
  CGridData_SwapRowCol view(g.get());
  view.ResetColWidthTable();
  view.SetCurCell(0, 0);
  std::u16string out;
  ASSERT_TRUE(BuildCopyText(view, kCopyTabNames, {0, 1, 0, 1}, kStyleSwapRowCol, out));
  EXPECT_EQ(out, u"A\t1\t3\r\nB\t2\t4\r\n");
  EXPECT_EQ(GetCopyTextLength(view, kCopyTabNames, {0, 1, 0, 1}, kStyleSwapRowCol),
            static_cast<int64_t>(out.size()));
}

}  // namespace
