// Metrics, colour rules, layout formulas, visible ranges and hit-testing.
#include <gtest/gtest.h>

#include "gridctrl/grid_layout.h"
#include "gridctrl/gridctrl_constants.h"
#include "test_grids.h"

using namespace kestrel;
using namespace kestrel::gridctrl;
using namespace kestrel::testing;

namespace {

TEST(Metrics, TextColourRuleOfIndexes8And15) {
  GridCtrlMetrics m;
  EXPECT_FALSE(m.CurRowTextColoring());
  m.SetColor(kColorCurRowText, 0x0000FF);
  EXPECT_TRUE(m.CurRowTextColoring());
  m.SetColor(kColorText, 0x112233);  // text after current-row colour turns it off
  EXPECT_FALSE(m.CurRowTextColoring());
  EXPECT_EQ(m.GetColor(kColorCurRowText), 0x112233u);
  m.SetColor(kColorCurRowText, 0x112233);
  EXPECT_FALSE(m.CurRowTextColoring());
  m.SetColor(99, 1);  // ignored
  EXPECT_EQ(m.GetColor(99), 0u);
}

TEST(Metrics, AdvancesWithSpacingAndWideThreshold) {
  GridCtrlMetrics m;
  UseFixedMeasure(m);
  EXPECT_EQ(m.TextWidth(u"ab"), 14);
  EXPECT_EQ(m.TextWidth(u"日本"), 28);
  EXPECT_EQ(m.TextWidth(u"\U00020BB7"), 14);  // one code point, not two units
  EXPECT_EQ(m.TextWidth(u"\xD800x"), 14 + 7);  // lone surrogate measures as U+FFFD
  m.SetCharSpacing(1, 14);
  UseFixedMeasure(m);  // a new font clears the cache
  EXPECT_EQ(m.TextWidth(u"a日"), 8 + 16);
  EXPECT_EQ(m.AverageWidth(), 8);
  EXPECT_EQ(m.FitUnits(u"a日b", 24), 2u);
}

TEST(Layout, FormulasAndClamping) {
  GridCtrlMetrics m;
  UseFixedMeasure(m, 14);
  auto g = MakeGrid({{u"1"}});
  GridLayout l;
  l.Recalc(*g, m, kStyleColHeader | kStyleRowHeader, {1, 1, 2, 2});
  EXPECT_EQ(l.RowHeight(), 14 + 1 + 2);
  EXPECT_EQ(l.ColHeaderHeight(), 17);
  EXPECT_EQ(l.RowHeaderWidth(), g->GetRowHeaderLen() * 7 + 2 + 2 + 1);
  l.Recalc(*g, m, 0, {-5, 1000, -1, 7});
  EXPECT_EQ(l.Padding().top, 0);
  EXPECT_EQ(l.Padding().bottom, 100);
  EXPECT_EQ(l.ColHeaderHeight(), 0);
  EXPECT_EQ(l.RowHeaderWidth(), 0);
  GridCtrlMetrics tiny;
  tiny.SetFont(nullptr, 0, 0, 0);
  l.Recalc(*g, tiny, kStyleColHeader, {0, 0, 0, 0});
  EXPECT_GE(l.RowHeight(), 1);
}

TEST(Layout, SwappedRowHeaderIsWidestHeaderPlusFive) {
  GridCtrlMetrics m;
  UseFixedMeasure(m);
  auto g = MakeGrid({{u"1"}, {u"2"}, {u"3"}});
  GridLayout l;
  l.Recalc(*g, m, kStyleRowHeader | kStyleSwapRowCol, {});
  EXPECT_EQ(l.RowHeaderWidth(), m.TextWidth(g->GetRowHeader(0)) + 5);
}

struct HitCase {
  int32_t x, y;
  HitResult expected;
};

TEST(Layout, HitTestingWithHiddenColumns) {
  GridCtrlMetrics m;
  UseFixedMeasure(m, 14);  // row height 17
  auto g = MakeGrid({{u"a", u"b", u"c", u"d"}, {u"e", u"f", u"g", u"h"}});
  g->SetColWidth(0, 50);
  g->SetColWidth(1, 0);  // hidden
  g->SetColWidth(2, 60);
  g->SetColWidth(3, 40);
  GridLayout l;
  l.Recalc(*g, m, kStyleColHeader | kStyleRowHeader, {1, 1, 2, 2});
  l.SetClientSize(400, 200);
  const int32_t rh = l.RowHeaderWidth();  // 7*7+5 = 54
  const HitCase cases[] = {
      {1, 1, {HitKind::kCorner, -1, -1}},
      {rh + 10, 5, {HitKind::kColHeader, 0, -1}},
      {rh + 50, 5, {HitKind::kColBorder, 0, -1}},  // right edge of column 0
      {rh + 60, 5, {HitKind::kColHeader, 2, -1}},  // column 1 is hidden
      {rh + 111, 5, {HitKind::kColBorder, 2, -1}},
      {rh + 10, 17, {HitKind::kCell, 0, 0}},
      {rh + 70, 17 + 17 + 3, {HitKind::kCell, 2, 1}},
      {3, 20, {HitKind::kRowHeader, -1, 0}},
      {rh + 10, 17 * 3 + 1, {HitKind::kNone, 0, -1}},  // below the last row
      {rh + 200, 20, {HitKind::kNone, -1, 0}},         // right of the last column
      {-1, 5, {}},
      {400, 5, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.x << "," << c.y);
    HitResult r = l.HitTest(*g, c.x, c.y);
    EXPECT_EQ(r.kind, c.expected.kind);
    EXPECT_EQ(r.col, c.expected.col);
    EXPECT_EQ(r.row, c.expected.row);
  }
  EXPECT_EQ(l.CellRect(*g, 1, 2), (GridRect{rh + 50, 34, 60, 17}));
  EXPECT_EQ(l.CellRect(*g, 0, 1).w, 0);  // hidden
  l.SetScrollPos(2, 1);
  EXPECT_EQ(l.HitTest(*g, rh + 1, 18).col, 2);
  EXPECT_EQ(l.HitTest(*g, rh + 1, 18).row, 1);
  EXPECT_EQ(l.CellRect(*g, 0, 2).w, 0);  // scrolled away
}

TEST(Layout, VisibleRangeAndScrollTargets) {
  GridCtrlMetrics m;
  UseFixedMeasure(m, 9);  // row height 10 + paddings 0
  Rows rows(100, std::vector<std::u16string>(10, u"x"));
  auto g = MakeGrid(rows);
  for (int c = 0; c < 10; ++c) g->SetColWidth(c, 30);
  GridLayout l;
  l.Recalc(*g, m, kStyleColHeader, {0, 0, 0, 0});
  l.SetClientSize(100, 105);  // header 10, 9.5 rows
  VisibleRange v = l.Visible(*g);
  EXPECT_EQ(v.full_rows, 9);
  EXPECT_EQ(v.row_count, 10);
  EXPECT_EQ(v.full_cols, 3);
  EXPECT_EQ(v.col_count, 4);
  EXPECT_EQ(l.PageRows(), 9);
  EXPECT_EQ(l.ScrollRowFor(*g, 50), 42);
  EXPECT_EQ(l.ScrollColFor(*g, 5), 3);
  EXPECT_EQ(l.MaxScrollRow(*g), 91);
  EXPECT_EQ(l.MaxScrollCol(*g), 7);
  l.SetScrollPos(0, 98);
  v = l.Visible(*g);
  EXPECT_EQ(v.row_count, 2);
  auto empty = MakeGrid({});
  EXPECT_EQ(l.Visible(*empty).row_count, 0);
  EXPECT_EQ(l.Visible(*empty).col_count, 0);
}

// Cell background per state: the first rule that applies.
TEST(Colours, CellBackgroundPerState) {
  GridCtrlMetrics m;
  auto g = MakeGrid({{u"a", u"b", u""}, {u"c", u"d", u"e"}, {u"f", u"g", u"h"}});
  g->SetColFlags(1, 0);  // read-only column
  ASSERT_EQ(g->UpdateData(0, 0, u"changed"), 0);
  g->InsertRows(1, 1);   // new row 2 (inserted after row 1)
  ASSERT_EQ(g->UpdateData(2, 0, u"new"), 0);
  g->DeleteRows(1, 1);   // row 1 deleted (marked)
  ASSERT_EQ(g->UpdateData(1, 2, u"x"), 0);
  const uint32_t st = kStyleRangeSelect | kStyleNullCellColor;
  struct Case {
    int32_t row, col;
    int color;
  } cases[] = {
      {0, 0, kColorUpdate},      {0, 1, kColorUneditable}, {0, 2, kColorNullCell},
      {1, 0, kColorDelete},      {1, 2, kColorDelete},     {2, 0, kColorInsert},
      {2, 1, kColorUneditable},  {3, 0, kColorBg},
  };
  g->SetCurCell(3, 0);
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.row << "," << c.col);
    EXPECT_EQ(CellBackground(*g, m, st, c.row, c.col), m.GetColor(c.color));
  }
  EXPECT_EQ(CellBackground(*g, m, kStyleRangeSelect, 0, 2), m.GetColor(kColorBg));  // no 0x40
  g->SetSelection(0, 0, 1, 1);
  EXPECT_EQ(CellBackground(*g, m, st, 1, 1), m.GetColor(kColorSelect));
  EXPECT_EQ(CellBackground(*g, m, 0, 1, 1), m.GetColor(kColorDelete));  // no range selection
  g->ClearSelection();
  EXPECT_EQ(CellBackground(*g, m, kStyleWholeRow, 3, 2), m.GetColor(kColorSelect));
  EXPECT_EQ(CellBackground(*g, m, 0, 3, 0), m.GetColor(kColorBg));  // current cell keeps its own
}

TEST(Colours, SwappedRowStatesFollowTheDisplayColumn) {
  GridCtrlMetrics m;
  auto g = MakeGrid({{u"a", u"b"}, {u"c", u"d"}});
  g->DeleteRows(0, 0);
  // In swapped style the data row of display cell (row, col) is col.
  EXPECT_EQ(CellBackground(*g, m, kStyleSwapRowCol, 1, 0), m.GetColor(kColorDelete));
  EXPECT_EQ(CellBackground(*g, m, kStyleSwapRowCol, 0, 1), m.GetColor(kColorBg));
}

TEST(Colours, NotEditableDataUsesNullOrPlain) {
  GridCtrlMetrics m;
  CGridData plain;
  plain.ResetColWidthTable();
  EXPECT_EQ(CellBackground(plain, m, kStyleNullCellColor, 0, 0), m.GetColor(kColorBg));
}

TEST(Colours, TextColourCurrentRowAndInversion) {
  GridCtrlMetrics m;
  auto g = MakeGrid({{u"a", u"b"}, {u"c", u"d"}});
  g->SetCurCell(1, 0);
  EXPECT_EQ(CellTextColor(*g, m, 0, 1, 1), 0u);
  m.SetColor(kColorCurRowText, 0x0000FF);
  EXPECT_EQ(CellTextColor(*g, m, 0, 1, 1), 0x0000FFu);
  EXPECT_EQ(CellTextColor(*g, m, 0, 0, 1), 0u);
  EXPECT_EQ(CellTextColor(*g, m, kStyleSwapRowCol, 0, 0), 0x0000FFu);  // current column when swapped
  g->SetSelection(0, 0, 1, 0);
  EXPECT_EQ(CellTextColor(*g, m, kStyleRangeSelect | kStyleInvertSelectText, 0, 1), 0xFFFFFFu);
}

TEST(Colours, HeaderHighlightAndNotNullMark) {
  GridCtrlMetrics m;
  m.SetColor(kColorHeaderBg, 0xFFE6E6);
  EXPECT_EQ(HeaderBackground(m, false), 0xFFE6E6u);
  EXPECT_EQ(HeaderBackground(m, true), 0xCCB8B8u);  // 255*.8=204, 230*.8=184
  class NotNull : public CGridData {
   public:
    bool IsColNullable(int32_t col) const override { return col != 0; }
    std::u16string GetColName(int32_t col) const override { return col == 0 ? u"ID" : u"NAME"; }
  } g;
  EXPECT_EQ(ColHeaderText(g, kStyleShowNotNull, 0), u"ID(*)");
  EXPECT_EQ(ColHeaderText(g, kStyleShowNotNull, 1), u"NAME");
  EXPECT_EQ(ColHeaderText(g, 0, 0), u"ID");
}

TEST(Texts, FirstLine) {
  bool broken = false;
  EXPECT_EQ(FirstLine(u"ab\r\ncd", &broken), u"ab");
  EXPECT_TRUE(broken);
  EXPECT_EQ(FirstLine(u"ab\ncd", &broken), u"ab");
  EXPECT_EQ(FirstLine(u"abc", &broken), u"abc");
  EXPECT_FALSE(broken);
}

}  // namespace
