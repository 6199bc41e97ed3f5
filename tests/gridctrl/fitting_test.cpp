// Column fitting with a 7/14-pixel measure: line feeds, trimmed CHAR, the
// minimum, "(*)", narrow and unshown panes, cancel, hidden columns.
#include <gtest/gtest.h>

#include <thread>

#include "gridctrl/grid_fitting.h"
#include "gridctrl/gridctrl_constants.h"
#include "test_grids.h"

using namespace kestrel;
using namespace kestrel::gridctrl;
using namespace kestrel::testing;

namespace {

FitParams Params(int32_t min_chars = 0) {
  FitParams p;
  p.padding = {1, 1, 2, 2};
  p.client_width = 1000;
  p.row_header_width = 50;
  p.min_col_chars = min_chars;
  return p;
}

struct FitCase {
  const char* name;
  std::vector<std::u16string> texts;
  uint32_t style;
  int32_t type;
  bool use_name;
  int32_t min_chars;
  int32_t expected;
};

class Fitting : public ::testing::TestWithParam<FitCase> {};

TEST_P(Fitting, WidthFollowsTheSteps) {
  const FitCase& c = GetParam();
  Rows rows;
  for (const auto& t : c.texts) rows.push_back({t});
  auto g = MakeGrid(rows, {u"NAME_LONG_HEADER"});  // 16 chars = 112 px
  g->SetColDataType(0, c.type);
  GridCtrlMetrics m;
  UseFixedMeasure(m);
  FitParams p = Params(c.min_chars);
  p.style = c.style;
  EXPECT_EQ(AdjustColWidth(*g, m, 0, c.use_name, p), c.expected);
  EXPECT_EQ(g->GetColWidth(0), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Steps, Fitting,
    ::testing::Values(
        FitCase{"Widest", {u"ab", u"abcd", u"a"}, 0, grid::kTypeText, false, 0, 28 + 4},
        FitCase{"WideChars", {u"日本語"}, 0, grid::kTypeText, false, 0, 42 + 4},
        FitCase{"LineFeedAddsTwoX", {u"ab\r\nlonger text"}, 0, grid::kTypeText, false, 0, 14 + 14 + 4},
        FitCase{"TrimmedChar", {u"ab      "}, kStyleFitTrimChar, grid::kTypeFixedChar, false, 0, 14 + 4},
        FitCase{"UntrimmedWithoutStyle", {u"ab      "}, 0, grid::kTypeFixedChar, false, 0, 56 + 4},
        FitCase{"TrimOnlyForCharType", {u"ab      "}, kStyleFitTrimChar, grid::kTypeText, false, 0, 56 + 4},
        FitCase{"Minimum", {u"a"}, 0, grid::kTypeText, false, 10, 70 + 4},
        FitCase{"HeaderName", {u"a"}, 0, grid::kTypeText, true, 0, 112 + 4},
        FitCase{"CapAtPane", {std::u16string(500, u'x')}, 0, grid::kTypeText, false, 0, 1000 - 50 - 10}),
    [](const auto& info) { return std::string(info.param.name); });

class NotNullGrid : public CGridData {
 public:
  NotNullGrid() { ResetColWidthTable(); }
  int32_t GetColCnt() const override { return 1; }
  int32_t GetRowCnt() const override { return 1; }
  std::u16string_view GetData(int32_t, int32_t) const override { return u"a"; }
  std::u16string GetColName(int32_t) const override { return u"ID"; }
  bool IsColNullable(int32_t) const override { return false; }
};

TEST(FittingMisc, NotNullMarkCountsInHeaderWidth) {
  NotNullGrid g;
  GridCtrlMetrics m;
  UseFixedMeasure(m);
  FitParams p = Params();
  p.style = kStyleShowNotNull;
  EXPECT_EQ(AdjustColWidth(g, m, 0, true, p), 35 + 4);  // "ID(*)"
}

TEST(FittingMisc, NarrowOrUnshownPaneFitsAgainstTheScreen) {
  auto g = MakeGrid({{std::u16string(30, u'x')}});
  GridCtrlMetrics m;
  UseFixedMeasure(m);
  FitParams p = Params(10);
  p.client_width = 0;  // pane not shown yet
  p.screen_width = 1920;
  EXPECT_EQ(AdjustColWidth(*g, m, 0, false, p), 210 + 4);
  p.client_width = 60;  // cap would be 0 or less: fitted against the screen
  EXPECT_EQ(AdjustColWidth(*g, m, 0, false, p), 214);
  p.client_width = 120;  // room 70: cap 60, but never below the minimum 70+4
  EXPECT_EQ(AdjustColWidth(*g, m, 0, false, p), 74);
}

TEST(FittingMisc, HiddenColumnStaysHiddenAndOutOfRangeIgnored) {
  auto g = MakeGrid({{u"abc", u"d"}});
  g->SetColWidth(0, 0);
  GridCtrlMetrics m;
  UseFixedMeasure(m);
  EXPECT_EQ(AdjustColWidth(*g, m, 0, false, Params()), -1);
  EXPECT_EQ(g->GetColWidth(0), 0);
  EXPECT_EQ(AdjustColWidth(*g, m, 5, false, Params()), -1);
  EXPECT_EQ(AdjustColWidth(*g, m, -1, false, Params()), -1);
}

TEST(FittingMisc, AllColumnsUsesNamesOnEmptyGrid) {
  auto g = MakeGrid({}, {u"ABCDEFGHIJ", u"K"});
  GridCtrlMetrics m;
  UseFixedMeasure(m);
  EXPECT_TRUE(AdjustAllColWidth(*g, m, false, Params()));
  EXPECT_EQ(g->GetColWidth(0), 70 + 4);
  EXPECT_EQ(g->GetColWidth(1), 7 + 4);
}

TEST(FittingMisc, CancelStopsAndLeavesWidths) {
  Rows rows(3000, {u"abcdef", u"x"});
  auto g = MakeGrid(rows);
  g->SetColWidth(0, 33);
  g->SetColWidth(1, 44);
  GridCtrlMetrics m;
  UseFixedMeasure(m);
  CancelFlag cancel{1};
  FitParams p = Params();
  p.cancel = &cancel;
  EXPECT_FALSE(AdjustAllColWidth(*g, m, false, p));
  EXPECT_EQ(g->GetColWidth(0), 33);
  EXPECT_EQ(g->GetColWidth(1), 44);
}

TEST(FittingMisc, PauseWaitsThenContinues) {
  Rows rows(600, {u"abcdef"});
  auto g = MakeGrid(rows);
  GridCtrlMetrics m;
  UseFixedMeasure(m);
  CancelFlag cancel{2};
  FitParams p = Params();
  p.cancel = &cancel;
  std::thread resume([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    cancel.store(0);
  });
  EXPECT_EQ(AdjustColWidth(*g, m, 0, false, p), 42 + 4);
  resume.join();
}

}  // namespace
