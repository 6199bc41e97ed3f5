#include "griddata/grid_data.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "grid_test_util.h"
#include "griddata/str_grid_data.h"
#include "support/recording_msg_target.h"

namespace kestrel::testing {
namespace {

using grid::kNoNumber;

TEST(GridData, DefaultsOfTheAbstractGrid) {
  CGridData g;
  EXPECT_EQ(g.GetColCnt(), 100);
  EXPECT_EQ(g.GetRowCnt(), 1000);
  EXPECT_EQ(g.GetData(3, 4), u"data");
  EXPECT_EQ(g.GetEditData(3, 4), u"data");
  EXPECT_EQ(g.GetColName(2), u"test");
  EXPECT_EQ(g.GetColLen(0), -1);
  EXPECT_EQ(g.GetColDataType(0, 0), grid::kTypeText);
  EXPECT_EQ(g.GetMaxDataLen(0, 0), 1024);
  EXPECT_FALSE(g.IsEditable());
  EXPECT_EQ(g.GetRowHeaderLen(), 6);
  EXPECT_EQ(g.GetRowHeader(0), u"     1");
  EXPECT_EQ(g.GetCellColor(0, 0), 0xFFFFFFu);
  EXPECT_EQ(g.GetCellTextColor(0, 0), 0u);
  EXPECT_FALSE(g.IsValidCurRow());
  EXPECT_EQ(g.GetLastErrorMsg(), u"");
  EXPECT_EQ(g.GetUndoData(), nullptr);
  // Parts of the program not built yet say so instead of pretending.
  EXPECT_EQ(g.SortData(nullptr, nullptr, 0), grid::kNotAvailable);
  int32_t count = 7;
  std::u16string msg = u"x";
  EXPECT_EQ(g.SetFilter({}, &count, &msg), grid::kNotAvailable);
  EXPECT_EQ(count, 0);
  EXPECT_EQ(g.GetColDataWidth(0, 100, nullptr, nullptr), grid::kNotAvailable);
  // Not editable: the processes change nothing.
  g.SetCurCell(0, 0);
  EXPECT_EQ(g.ToUpper(), 0);
  EXPECT_EQ(g.InputSequence(1, 1), grid::kRefused);
}

TEST(GridData, RowHeaderGrowsWithTheLargestRowNumber) {
  struct Rows : CGridData {
    int32_t n;
    explicit Rows(int32_t rows) : n(rows) {}
    int32_t GetRowCnt() const override { return n; }
  };
  EXPECT_EQ(Rows(999'999).GetRowHeaderLen(), 6);
  EXPECT_EQ(Rows(999'999).GetRowHeader(999'998), u"999999");
  EXPECT_EQ(Rows(1'000'000).GetRowHeaderLen(), 7);
  EXPECT_EQ(Rows(1'000'000).GetRowHeader(0), u"      1");
  EXPECT_EQ(Rows(1'000'000).GetRowHeader(999'999), u"1000000");
}

TEST(GridData, ProcessesRefuseAStaleSelection) {
  auto g = make_grid({{"a", "b"}, {"c", "d"}});
  g->SetCurCell(0, 0);
  g->SetSelection(0, 0, 1, 2);  // one row past the grid
  EXPECT_EQ(g->ToUpper(), 0);
  EXPECT_EQ(g->InputSequence(1, 1), grid::kRefused);
  g->SetSelection(0, 0, 2, 1);  // one column past the grid
  EXPECT_EQ(g->ToZenkaku(true, true), 0);
  EXPECT_FALSE(g->CanUndo());
  g->SetSelection(0, 0, 1, 1);
  EXPECT_EQ(g->ToUpper(), 4);
}

struct WidthStep {
  int32_t col, width;  // width INT32_MIN: only read
  int32_t expect;      // GetColWidth(col) afterwards
};

TEST(GridData, ColumnWidthTable) {
  const std::vector<WidthStep> steps = {
      {0, INT32_MIN, 100},  {2, 250, 250},   {2, 0, 0},       {2, INT32_MIN, 0},
      {2, 30, 30},          {1, -5, 0},      {1, 40, 40},     {4, 77, 100},  // outside: ignored
      {-1, 77, 100},        {-1, INT32_MIN, 100}, {3, 0x8000, 100},  // width 0 with bit 15 becomes 0x8064
      {0, 0x7FFF, 0x7FFF},
  };
  CStrGridData g(1, 4);
  EXPECT_EQ(g.ColWidthTableSize(), 4u);
  for (const WidthStep& s : steps) {
    if (s.width != INT32_MIN) g.SetColWidth(s.col, s.width);
    EXPECT_EQ(g.GetColWidth(s.col), s.expect) << s.col << " " << s.width;
  }
  EXPECT_EQ(g.GetColWidthEntry(2), 0x8000 | 30);
  g.SetColWidth(2, 0);
  EXPECT_EQ(g.GetColWidthEntry(2), 30);  // hidden keeps the width
  g.SetColWidth(2, 60);
  EXPECT_EQ(g.GetColWidth(2), 60);
}

TEST(GridData, NotifyWindowsHoldFourAndSkipTheSender) {
  CStrGridData g(1, 1);
  RecordingMsgTarget w[5];
  for (int i = 0; i < 4; ++i) EXPECT_EQ(g.AddNotifyWnd(&w[i]), i);
  EXPECT_EQ(g.AddNotifyWnd(&w[4]), -1);
  EXPECT_EQ(g.RemoveNotifyWnd(&w[1]), 1);
  EXPECT_EQ(g.RemoveNotifyWnd(&w[4]), -1);
  EXPECT_EQ(g.AddNotifyWnd(&w[4]), 1);
  g.NotifyWnds(&w[0], grid::kMsgRepaint);
  EXPECT_TRUE(w[0].messages().empty());
  EXPECT_TRUE(w[1].messages().empty());
  for (int i : {2, 3, 4}) {
    ASSERT_EQ(w[i].messages().size(), 1u);
    EXPECT_EQ(w[i].messages()[0], (RecordedMsg{false, 0x8311, 0, 0}));
  }
}

TEST(GridData, CurrentCellIsClamped) {
  CStrGridData g(3, 2);
  g.SetCurCell(-4, 9);
  EXPECT_EQ(g.GetCurRow(), 0);
  EXPECT_EQ(g.GetCurCol(), 1);
  g.SetCurCell(10, -1);
  EXPECT_EQ(g.GetCurRow(), 2);
  EXPECT_EQ(g.GetCurCol(), 0);
  EXPECT_TRUE(g.IsValidCurCell());
  CStrGridData empty(0, 2);
  empty.SetCurCell(0, 0);
  EXPECT_EQ(empty.GetCurRow(), -1);
  EXPECT_FALSE(empty.IsValidCurCell());
}

TEST(GridData, SelectionKeepsRowsOrderedAndColumnsAsSelected) {
  CStrGridData g(5, 5);
  g.SetSelection(3, 4, 1, 2);
  EXPECT_EQ(g.GetSelection(), (CellRange{3, 2, 1, 4}));
  EXPECT_EQ(g.GetSelection().left(), 1);
  EXPECT_TRUE(g.HasSelection());
  g.SetSelection(2, 2, 2, 2);
  EXPECT_FALSE(g.HasSelection());  // one cell is no range
  g.ClearSelection();
  EXPECT_FALSE(g.HasSelection());
}

TEST(GridData, SearchColNameWraps) {
  CStrGridData g(1, 4);
  const char16_t* names[] = {u"ID", u"NAME", u"NOTE", u"NUM"};
  for (int i = 0; i < 4; ++i) g.SetColName(i, names[i]);
  auto starts_n = [](std::u16string_view s) { return !s.empty() && s[0] == u'N'; };
  auto is_id = [](std::u16string_view s) { return s == u"ID"; };
  struct Case {
    int32_t start, dir;
    bool include;
    TextMatcher m;
    bool found;
    int32_t col;
  };
  const Case cases[] = {
      {3, 1, false, is_id, true, 0},      // forward from the last column wraps to 0
      {0, 1, false, starts_n, true, 1},   {1, 1, true, starts_n, true, 1},
      {1, 1, false, starts_n, true, 2},   {1, -1, false, starts_n, true, 3},
      {0, -1, false, starts_n, true, 3},  {0, 1, false, is_id, false, -1},
      {0, 1, true, is_id, true, 0},
  };
  for (const Case& c : cases) {
    int32_t col = -1;
    EXPECT_EQ(g.SearchColName(c.start, &col, c.dir, c.include, c.m), c.found) << c.start;
    EXPECT_EQ(col, c.col) << c.start << " " << c.dir;
  }
}

TEST(GridData, StringGridFilling) {
  CStrGridData g(2, 3);
  EXPECT_EQ(g.UpdateData(1, 2, u"x"), 0);
  EXPECT_EQ(g.GetData(1, 2), u"x");
  EXPECT_TRUE(g.IsNull(0, 0));
  EXPECT_EQ(g.GetColLen(0), 100);
  EXPECT_EQ(g.UpdateData(2, 0, u"x"), 1);
  EXPECT_EQ(g.UpdateData(0, -1, u"x"), 1);
  g.SetColEditable(1, false);
  EXPECT_EQ(g.UpdateData(0, 1, u"x"), 1);
  g.UpdateRange({0, 0}, {2, 1}, u"r");
  EXPECT_EQ(g.GetData(0, 0), u"r");
  EXPECT_EQ(g.GetData(1, 1), u"");  // the column is not editable
  EXPECT_EQ(g.GetData(1, 2), u"r");
  g.SetCurCell(1, 0);
  EXPECT_EQ(g.Paste(u"a\tb"), 0);
  EXPECT_EQ(g.GetData(1, 0), u"a\tb");  // the string grid pastes the whole text
  g.SetEditable(false);
  EXPECT_FALSE(g.IsEditable());
  EXPECT_EQ(g.UpdateData(0, 0, u"z"), 1);
  EXPECT_EQ(g.GetHiddenColCnt(), 0);
  EXPECT_FALSE(g.IsModified());
}

// Reads cells of a grid of numbers: column 0 numbers, column 1 text.
std::unique_ptr<TextPoolGridData> numbers(const std::vector<std::vector<std::string>>& rows) {
  auto g = make_grid(rows);
  g->SetColDataType(0, grid::kTypeNumber);
  g->SetColDataType(2, grid::kTypeNumber);
  return g;
}

TEST(GridData, SelectionStatistics) {
  auto g = numbers({{"10", "x", "1.25"}, {"-3.5", "y", ""}, {"10", "9", "2"}});
  struct Case {
    int mode;
    CellPoint p1, p2;
    double expect;
    CellPoint at;
    int32_t decimals;
  };
  const Case cases[] = {
      {0, {0, 0}, {2, 2}, 19.75, {}, 2},
      {1, {0, 0}, {0, 2}, 16.5 / 3, {}, 1},
      {2, {0, 0}, {2, 2}, 10, {0, 0}, 2},     // ties: the first cell met wins
      {3, {0, 0}, {2, 2}, -3.5, {0, 1}, 2},
      {3, {2, 2}, {0, 0}, -3.5, {0, 1}, 2},   // points in any order
      {4, {0, 0}, {2, 4}, 5, {}, 0},          // rows only, cells not read
      {0, {1, 0}, {1, 2}, kNoNumber, {}, 0},  // text columns only
      {2, {0, 1}, {0, 1}, -3.5, {0, 1}, 1},   // all negative: the largest of them
  };
  for (const Case& c : cases) {
    CellPoint at;
    int32_t decimals = 0;
    EXPECT_DOUBLE_EQ(g->CalcSelection(c.mode, c.p1, c.p2, &at, &decimals), c.expect) << c.mode;
    if (c.mode == 2 || c.mode == 3) {
      EXPECT_EQ(at, c.at) << c.mode;
    }
    if (c.mode != 4) {
      EXPECT_EQ(decimals, c.decimals) << c.mode;
    }
  }
}

TEST(GridData, FormatNumberGroupsIntegerDigits) {
  struct Case {
    double v;
    int32_t decimals;
    const char16_t* text;
  };
  const Case cases[] = {
      {1234567.5, 1, u"1,234,567.5"}, {-1234, 0, u"-1,234"},  {999, 0, u"999"},
      {1000, 2, u"1,000.00"},         {0.125, 3, u"0.125"},   {-999999.5, 1, u"-999,999.5"},
      {123456, 0, u"123,456"},
  };
  for (const Case& c : cases) EXPECT_EQ(CGridData::FormatNumber(c.v, c.decimals), c.text) << c.v;
  EXPECT_EQ(CGridData::FormatNumber(u"-12345.678901"), u"-12,345.678901");
  EXPECT_EQ(CGridData::FormatNumber(u"12"), u"12");
}

class CharMeasure : public TextMeasure {
 public:
  int32_t TextWidth(std::u16string_view t) const override { return static_cast<int32_t>(t.size()) * 10; }
};

TEST(GridData, ColumnDataWidth) {
  auto g = make_grid({{"abc  "}, {"abcdefg\nzz"}, {"a"}});
  CharMeasure m;
  EXPECT_EQ(g->GetColDataWidth(0, 0, &m, nullptr), 90);          // 7 chars + the line-feed mark
  EXPECT_EQ(g->GetColDataWidthTrimmed(0, 0, &m, nullptr), 90);
  auto t = make_grid({{"abc    "}, {"ab"}});
  EXPECT_EQ(t->GetColDataWidth(0, 0, &m, nullptr), 70);
  EXPECT_EQ(t->GetColDataWidthTrimmed(0, 0, &m, nullptr), 30);
  EXPECT_EQ(g->GetColDataWidth(0, 40, &m, nullptr), 50);  // stops once past the limit
  CancelFlag stop{1};
  EXPECT_EQ(g->GetColDataWidth(0, 0, &m, &stop), 0);
}

}  // namespace
}  // namespace kestrel::testing
