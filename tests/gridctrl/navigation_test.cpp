// Current-cell moves, the key table with End and whole-row modes, the
// changed-cell search with scope and wrap, statistics texts, equal widths.
#include <gtest/gtest.h>

#include "gridctrl/grid_navigation.h"
#include "gridctrl/gridctrl_constants.h"
#include "test_grids.h"

using namespace kestrel;
using namespace kestrel::gridctrl;
using namespace kestrel::testing;

namespace {

std::unique_ptr<TextPoolGridData> Grid5x4() {
  Rows rows(5, std::vector<std::u16string>(4, u"v"));
  return MakeGrid(rows);
}

TEST(MoveCurCell, ClampsSkipsHiddenAndExtends) {
  auto g = Grid5x4();
  g->SetColWidth(2, 0);
  EXPECT_TRUE(MoveCurCell(*g, 0, 2, false, true));  // moving right onto hidden 2 -> 3
  EXPECT_EQ(g->GetCurCol(), 3);
  EXPECT_TRUE(MoveCurCell(*g, 0, 2, false, true));  // moving left onto hidden 2 -> 1
  EXPECT_EQ(g->GetCurCol(), 1);
  EXPECT_TRUE(MoveCurCell(*g, 99, -5, false, true));
  EXPECT_EQ(g->GetCurRow(), 4);
  EXPECT_EQ(g->GetCurCol(), 0);
  EXPECT_FALSE(MoveCurCell(*g, 4, 0, false, true));  // same cell
  EXPECT_TRUE(MoveCurCell(*g, 2, 1, true, true));
  EXPECT_EQ(g->GetSelection(), (CellRange{0, 2, 1, 4}));
  EXPECT_TRUE(MoveCurCell(*g, 1, 3, true, true));  // anchor stays at (4,0)
  EXPECT_EQ(g->GetSelection(), (CellRange{0, 1, 3, 4}));
  EXPECT_TRUE(MoveCurCell(*g, 0, 0, true, false));  // no range selection: cleared
  EXPECT_FALSE(g->HasSelection());
}

TEST(MoveCurCell, AllHiddenKeepsColumnAndEmptyGridHasNoCell) {
  auto g = Grid5x4();
  for (int c = 0; c < 4; ++c) g->SetColWidth(c, 0);
  g->SetCurCellRaw(0, 1);
  MoveCurCell(*g, 0, 3, false, true);
  EXPECT_EQ(g->GetCurCol(), 1);
  auto e = MakeGrid({}, {u"A"});
  EXPECT_FALSE(MoveCurCell(*e, 0, 0, false, true));
  EXPECT_EQ(e->GetCurRow(), -1);
}

struct KeyCase {
  const char* name;
  uint32_t style;
  std::vector<std::pair<GridKey, KeyMods>> keys;  // applied in order
  int32_t row, col;                                // expected cell after
  bool selection;
};

class Keys : public ::testing::TestWithParam<KeyCase> {};

TEST_P(Keys, MoveAsTheTableSays) {
  const KeyCase& c = GetParam();
  auto g = Grid5x4();
  g->SetColWidth(2, 0);
  g->SetCurCell(2, 1);
  bool end_mode = false;
  for (auto [k, mods] : c.keys) {
    KeyAction a = KeyDownAction(*g, c.style, k, mods, 2, end_mode);
    if (a.kind == KeyAction::kMove) MoveCurCell(*g, a.row, a.col, a.extend, c.style & kStyleRangeSelect);
    if (a.kind == KeyAction::kClearSelection || a.clear_selection) g->ClearSelection();
  }
  EXPECT_EQ(g->GetCurRow(), c.row);
  EXPECT_EQ(g->GetCurCol(), c.col);
  EXPECT_EQ(g->HasSelection(), c.selection);
}

const KeyMods kNone{}, kShift{true, false, false}, kCtrl{false, true, false}, kAlt{false, false, true};
constexpr uint32_t kRange = kStyleRangeSelect;
constexpr uint32_t kExcel = kStyleRangeSelect | kStyleEndKeyLikeExcel;

INSTANTIATE_TEST_SUITE_P(
    Table, Keys,
    ::testing::Values(
        KeyCase{"TabSkipsHidden", kRange, {{GridKey::kTab, kNone}}, 2, 3, false},
        KeyCase{"ShiftTabLeft", kRange, {{GridKey::kTab, kShift}}, 2, 0, false},
        KeyCase{"EnterDown", kRange, {{GridKey::kEnter, kNone}}, 3, 1, false},
        KeyCase{"ShiftEnterUp", kRange, {{GridKey::kEnter, kShift}}, 1, 1, false},
        KeyCase{"PageDownByFit", kRange, {{GridKey::kPageDown, kNone}}, 4, 1, false},
        KeyCase{"PageUpClamps", kRange, {{GridKey::kPageUp, kNone}, {GridKey::kPageUp, kNone}}, 0, 1, false},
        KeyCase{"CtrlPageDownScrollsOnly", kRange, {{GridKey::kPageDown, kCtrl}}, 2, 1, false},
        KeyCase{"CtrlArrowScrollsOnly", kRange, {{GridKey::kDown, kCtrl}}, 2, 1, false},
        KeyCase{"Home", kRange, {{GridKey::kHome, kNone}}, 2, 0, false},
        KeyCase{"CtrlHome", kRange, {{GridKey::kHome, kCtrl}}, 0, 0, false},
        KeyCase{"EndLastColumn", kRange, {{GridKey::kEnd, kNone}}, 2, 3, false},
        KeyCase{"CtrlEnd", kRange, {{GridKey::kEnd, kCtrl}}, 4, 3, false},
        KeyCase{"CtrlEndWholeRow", kRange | kStyleWholeRow, {{GridKey::kEnd, kCtrl}}, 4, 0, false},
        KeyCase{"AltHomeAltEnd", kRange, {{GridKey::kEnd, kAlt}}, 4, 1, false},
        KeyCase{"AltHome", kRange, {{GridKey::kHome, kAlt}}, 0, 1, false},
        KeyCase{"ExcelEndThenDown", kExcel, {{GridKey::kEnd, kNone}, {GridKey::kDown, kNone}}, 4, 1, false},
        KeyCase{"ExcelEndThenLeft", kExcel, {{GridKey::kEnd, kNone}, {GridKey::kLeft, kNone}}, 2, 0, false},
        KeyCase{"ExcelEndTwiceIsOff", kExcel,
                {{GridKey::kEnd, kNone}, {GridKey::kEnd, kNone}, {GridKey::kDown, kNone}}, 3, 1, false},
        KeyCase{"ExcelEndShiftKeepsMode", kExcel,
                {{GridKey::kEnd, kNone}, {GridKey::kShift, kShift}, {GridKey::kUp, kShift}}, 0, 1, true},
        KeyCase{"ExcelOtherKeyClearsMode", kExcel,
                {{GridKey::kEnd, kNone}, {GridKey::kOther, kNone}, {GridKey::kDown, kNone}}, 3, 1, false},
        KeyCase{"ShiftArrowsExtend", kRange, {{GridKey::kDown, kShift}, {GridKey::kRight, kShift}}, 3, 3, true},
        KeyCase{"ShiftWithoutRangeStyle", 0, {{GridKey::kDown, kShift}}, 3, 1, false},
        KeyCase{"EscClears", kRange, {{GridKey::kDown, kShift}, {GridKey::kEscape, kNone}}, 3, 1, false},
        KeyCase{"UpAtTopStays", kRange, {{GridKey::kHome, kCtrl}, {GridKey::kUp, kNone}}, 0, 0, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(KeysMisc, ScrollAmountsDeleteF2AndEmptyGrid) {
  auto g = Grid5x4();
  bool end_mode = false;
  KeyAction a = KeyDownAction(*g, 0, GridKey::kPageUp, {false, true, false}, 7, end_mode);
  EXPECT_EQ(a.kind, KeyAction::kScroll);
  EXPECT_EQ(a.scroll_rows, -7);
  a = KeyDownAction(*g, 0, GridKey::kRight, {false, true, false}, 7, end_mode);
  EXPECT_EQ(a.scroll_cols, 1);
  EXPECT_EQ(KeyDownAction(*g, 0, GridKey::kDelete, {}, 7, end_mode).kind, KeyAction::kClearCells);
  EXPECT_EQ(KeyDownAction(*g, 0, GridKey::kF2, {}, 7, end_mode).kind, KeyAction::kNone);
  EXPECT_EQ(KeyDownAction(*g, kStyleF2Edit, GridKey::kF2, {}, 7, end_mode).kind, KeyAction::kStartEdit);
  auto e = MakeGrid({}, {u"A"});
  for (GridKey k : {GridKey::kDown, GridKey::kEnd, GridKey::kDelete, GridKey::kF2, GridKey::kTab})
    EXPECT_EQ(KeyDownAction(*e, kExcel, k, {}, 7, end_mode).kind, KeyAction::kNone);
}

// Changed cells: (0,2), (2,1), (3,3); row 4 inserted with a change (does not count).
std::unique_ptr<TextPoolGridData> ChangedGrid() {
  auto g = Grid5x4();
  g->UpdateData(0, 2, u"x");
  g->UpdateData(2, 1, u"x");
  g->UpdateData(3, 3, u"x");
  g->InsertRows(4, 1);
  g->UpdateData(5, 0, u"x");
  return g;
}

struct FindCase {
  const char* name;
  int32_t row, col;
  bool forward;
  bool range;  // select rows 1..3, columns 1..3
  bool found, wrapped;
  int32_t want_row, want_col;
};

class ChangedCells : public ::testing::TestWithParam<FindCase> {};

TEST_P(ChangedCells, FindsInOrderWithWrap) {
  const FindCase& c = GetParam();
  auto g = ChangedGrid();
  g->SetCurCellRaw(c.row, c.col);
  if (c.range) g->SetSelection(1, 1, 3, 3);
  ChangedCellResult r = FindChangedCell(*g, c.forward, c.range);
  EXPECT_EQ(r.found, c.found);
  EXPECT_EQ(r.wrapped, c.wrapped);
  if (c.found) {
    EXPECT_EQ(r.row, c.want_row);
    EXPECT_EQ(r.col, c.want_col);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Search, ChangedCells,
    ::testing::Values(FindCase{"NextInRow", 0, 0, true, false, true, false, 0, 2},
                      FindCase{"NextRow", 0, 2, true, false, true, false, 2, 1},
                      FindCase{"WrapsToTop", 3, 3, true, false, true, true, 0, 2},
                      FindCase{"PrevInOrder", 3, 3, false, false, true, false, 2, 1},
                      FindCase{"PrevWrapsToBottom", 0, 2, false, false, true, true, 3, 3},
                      FindCase{"InsertedRowsDoNotCount", 5, 0, true, false, true, true, 0, 2},
                      FindCase{"RangeScopeSkipsOutside", 1, 1, true, true, true, false, 2, 1},
                      FindCase{"RangeWraps", 3, 3, true, true, true, true, 2, 1}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ChangedCellsMisc, OnlyCurrentCellChangedWrapsToItselfNoneReportsNotFound) {
  auto g = Grid5x4();
  g->UpdateData(1, 1, u"x");
  g->SetCurCellRaw(1, 1);
  ChangedCellResult r = FindChangedCell(*g, true, false);
  EXPECT_TRUE(r.found);
  EXPECT_TRUE(r.wrapped);
  EXPECT_EQ(ChangedCellStatus(r, true), u"ファイルの末尾まで検索しました");
  EXPECT_EQ(ChangedCellStatus(r, false), u"ファイルの先頭まで検索しました");
  auto clean = Grid5x4();
  r = FindChangedCell(*clean, true, false);
  EXPECT_FALSE(r.found);
  EXPECT_EQ(ChangedCellStatus(r, true), u"見つかりません");
  EXPECT_EQ(ChangedCellStatus({true, false, 0, 0}, true), u"");
}

TEST(Statistics, TextsAndNoNumbers) {
  auto g = MakeGrid({{u"1000", u"abc"}, {u"2.5", u""}, {u"3", u"x"}});
  g->SetColDataType(0, grid::kTypeNumber);
  g->SetSelection(0, 0, 0, 2);
  EXPECT_EQ(SelectionStatText(*g, 0), u"合計:1,005.5");
  EXPECT_EQ(SelectionStatText(*g, 2), u"最大値:1,000.0");
  EXPECT_EQ(SelectionStatText(*g, 4), u"行数:3");
  EXPECT_EQ(SelectionStatText(*g, 5), u"");
  g->SetSelection(1, 0, 1, 2);  // text column: no numbers, nothing shown
  EXPECT_EQ(SelectionStatText(*g, 0), u"");
  g->ClearSelection();
  EXPECT_EQ(SelectionStatText(*g, 0), u"");
}

TEST(EqualWidths, KeepHiddenColumnsHidden) {
  auto g = Grid5x4();
  g->SetColWidth(0, 33);
  g->SetColWidth(1, 0);
  EqualColWidths(*g);
  EXPECT_EQ(g->GetColWidth(0), 100);
  EXPECT_EQ(g->GetColWidth(1), 0);
  EXPECT_EQ(g->GetColWidthEntry(1), 0x0064);
  EXPECT_EQ(g->GetColWidthEntry(0), 0x8064);
}

}  // namespace
