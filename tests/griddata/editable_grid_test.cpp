#include "griddata/editable_grid_data.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "grid_test_util.h"
#include "griddata/undo_data.h"
#include "platform/utf16.h"

namespace kestrel::testing {
namespace {

// Each script runs on a fresh 3 x 3 grid (a1 b1 c1 / a2 b2 c2 / a3 b3 c3)
// with the current cell at (0, 0). A step "op args => N" also checks the
// operation's result.
struct Script {
  const char* name;
  std::vector<std::string> steps;
  std::vector<std::string> rows;  // dump(): header|cells|changed bits
  std::string counters;           // inserted updated deleted
  bool can_undo;
  bool can_redo;
  std::string cur = "";  // "row col" when checked
};

const std::vector<std::vector<std::string>> kStart = {
    {"a1", "b1", "c1"}, {"a2", "b2", "c2"}, {"a3", "b3", "c3"}};

const std::vector<std::string> kPlain = {"      1|a1,b1,c1|000", "      2|a2,b2,c2|000",
                                         "      3|a3,b3,c3|000"};

const Script kScripts[] = {
    {"SameTextLeavesNoStep", {"set 0 0 a1 => 0"}, kPlain, "0 0 0", false, false},
    {"EditTwiceUndoOnceKeepsFirstEdit",
     {"set 0 0 x", "set 0 0 y", "undo => 0"},
     {"*     1|x,b1,c1|100", kPlain[1], kPlain[2]},
     "0 1 0", true, true, "0 0"},
    {"EditTwiceUndoTwiceClearsAll", {"set 0 1 x", "set 0 1 y", "undo", "undo => 0", "undo => 1"},
     kPlain, "0 0 0", false, true, "0 1"},
    {"RedoReappliesEdits",
     {"set 0 1 x", "set 2 2 z", "undo", "undo", "redo", "redo", "redo => 1"},
     {"*     1|a1,x,c1|010", kPlain[1], "*     3|a3,b3,z|001"},
     "0 2 0", true, false, "2 2"},
    {"InsertThenDeleteSameRow", {"ins 0 1 => 0", "del 1 => 0"}, kPlain, "0 0 0", true, false, "0 0"},
    {"InsertDeleteUndoBringsRowBack",
     {"ins 0 1", "del 1", "undo"},
     {kPlain[0], "+     2|,,|000", "      3|a2,b2,c2|000", "      4|a3,b3,c3|000"},
     "1 0 0", true, true},
    {"DeletedInsertedRowComesBackWithItsTexts",
     {"ins 0 1", "set 1 0 new", "set 1 2 end", "del 1", "undo"},
     {kPlain[0], "+     2|new,,end|101", "      3|a2,b2,c2|000", "      4|a3,b3,c3|000"},
     "1 0 0", true, true},
    {"RedoRemovesInsertedRowAgain",
     {"ins 0 1", "set 1 0 new", "del 1", "undo", "redo"}, kPlain, "0 0 0", true, false},
    {"InsertAtTop", {"ins -1 2"}, {"+     1|,,|000", "+     2|,,|000", "      3|a1,b1,c1|000",
                                   "      4|a2,b2,c2|000", "      5|a3,b3,c3|000"},
     "2 0 0", true, false, "1 0"},
    {"UndoInsertRemovesRows", {"ins 1 3", "undo => 0"}, kPlain, "0 0 0", false, true},
    {"DeleteMarkMovesUpdatedToDeleted",
     {"set 1 1 X", "del 1"},
     {kPlain[0], "-     2|a2,X,c2|010", kPlain[2]}, "0 0 1", true, false},
    {"DeleteMarkTogglesBack",
     {"set 1 1 X", "del 1", "del 1"},
     {kPlain[0], "*     2|a2,X,c2|010", kPlain[2]}, "0 1 0", true, false},
    {"DeleteRowsToggleEveryMark",
     {"set 0 0 x", "dels 0 1 => 0"},
     {"-     1|x,b1,c1|100", "-     2|a2,b2,c2|000", kPlain[2]}, "0 0 2", true, false},
    {"DeleteRowsTwiceRestores",
     {"set 0 0 x", "dels 0 1", "dels 1 0"},
     {"*     1|x,b1,c1|100", kPlain[1], kPlain[2]}, "0 1 0", true, false},
    {"UndoDeleteRowsRestoresCurrentCell",
     {"cur 2 1", "dels 0 1", "cur 0 0", "undo"}, kPlain, "0 0 0", false, true, "2 1"},
    {"UndoAcrossBulkSet",
     {"sel 0 0 2 2", "upper => 9", "undo => 0"}, kPlain, "0 0 0", false, true},
    {"RedoBulkSet",
     {"sel 0 0 2 2", "upper", "undo", "redo => 0"},
     {"*     1|A1,B1,C1|111", "*     2|A2,B2,C2|111", "*     3|A3,B3,C3|111"}, "0 3 0", true, false},
    {"UpperOnUpperLeavesNoStep",
     {"sel 0 0 2 2", "upper", "upper => 0", "undo", "undo => 1"}, kPlain, "0 0 0", false, true},
    {"RedoDiscardedAfterNewEdit",
     {"set 0 0 x", "undo", "set 1 1 y", "redo => 1"},
     {kPlain[0], "*     2|a2,y,c2|010", kPlain[2]}, "0 1 0", true, false},
    {"NestedSetsUndoTogether",
     {"begin", "set 0 0 x", "begin", "set 1 1 y", "end", "end", "undo"}, kPlain, "0 0 0", false, true},
    {"EmptySetLeavesNoStep", {"begin", "set 0 0 a1", "end"}, kPlain, "0 0 0", false, false},
    {"DeleteNullRowsInsertedOnly",
     {"ins 2 2", "set 3 0 z", "null 0 => 1"},
     {kPlain[0], kPlain[1], kPlain[2], "+     4|z,,|100"}, "1 0 0", true, false},
    {"DeleteNullRowsKeepsEmptyLoadedRows",
     {"set 2 0", "set 2 1", "set 2 2", "null 0 => 0"},
     {kPlain[0], kPlain[1], "*     3|,,|111"}, "0 1 0", true, false},
    {"DeleteNullRowsAllMarksEmptyLoadedRows",
     {"set 2 0", "set 2 1", "set 2 2", "null 1 => 1"},
     {kPlain[0], kPlain[1], "-     3|,,|111"}, "0 0 1", true, false},
    {"UndoDeleteNullRows",
     {"ins 0 1", "ins 3 1", "null 0 => 2", "undo"},
     {kPlain[0], "+     2|,,|000", "      3|a2,b2,c2|000", "      4|a3,b3,c3|000",
      "+     5|,,|000"},
     "2 0 0", true, true},
    {"SwapRowsAndUndo", {"swap 0 2", "undo"}, kPlain, "0 0 0", false, true},
    {"SwapRowsKeepsStates",
     {"set 0 0 x", "swap 0 2"},
     {"      1|a3,b3,c3|000", kPlain[1], "*     3|x,b1,c1|100"}, "0 1 0", true, false},
    {"RangeSetsEditableCells",
     {"range 0 0 1 1 Z => 0"},
     {"*     1|Z,Z,c1|110", "*     2|Z,Z,c2|110", kPlain[2]}, "0 2 0", true, false},
    {"RangeUndoesInOneStep", {"range 1 0 0 2 Z", "undo", "undo => 1"}, kPlain, "0 0 0", false, true},
    {"SequenceFillsRowByRow",
     {"sel 0 0 2 1", "seq 10 5 => 0"},
     {"*     1|10,15,20|111", "*     2|25,30,35|111", kPlain[2]}, "0 2 0", true, false},
    {"SequenceRefusedBeforeOverflow",
     {"sel 0 0 2 0", "seq 9223372036854775806 1 => 1"}, kPlain, "0 0 0", false, false},
    {"SequenceToTheLastNumber",
     {"sel 0 0 1 0", "seq 9223372036854775806 1 => 0"},
     {"*     1|9223372036854775806,9223372036854775807,c1|110", kPlain[1], kPlain[2]}, "0 1 0",
     true, false},
    {"OutOfRangeRefused",
     {"set 3 0 x => 1", "set -1 0 x => 1", "set 0 3 x => 1", "set 0 -1 x => 1", "ins 3 1 => 1",
      "ins -2 1 => 1", "del 3 => 1", "del -1 => 1", "dels 1 3 => 1", "range 0 0 3 3 x => 1",
      "undo => 1", "redo => 1"},
     kPlain, "0 0 0", false, false},
    {"RemovingInsertedRowZeroKeepsRowZeroCurrent",
     {"ins -1 1", "del 0"}, kPlain, "0 0 0", true, false, "0 0"},
    {"PasteQuotedMultiLineFields",
     {"paste \"x\\ny\"\\tq\\n\"r\"\"s\"\\tt => 0"},
     {"*     1|x\ny,q,c1|110", "*     2|r\"s,t,c2|110", kPlain[2]}, "0 2 0", true, false},
    {"PasteOneLineIntoSelectionFillsEveryRow",
     {"sel 1 0 1 2", "paste P"},
     {"*     1|a1,P,c1|010", "*     2|a2,P,c2|010", "*     3|a3,P,c3|010"}, "0 3 0", true, false},
    {"PasteWidensNarrowSelection",
     {"sel 0 0 0 1", "paste 1\\t2\\t3"},
     {"*     1|1,2,3|111", "*     2|1,2,3|111", kPlain[2]}, "0 2 0", true, false},
    {"PasteFinalLineBreakStartsNoRow",
     {"cur 1 0", "paste u\\tv\\r\\n"},
     {kPlain[0], "*     2|u,v,c2|110", kPlain[2]}, "0 1 0", true, false},
    {"PasteLargerThanGridKeepsWhatFits",
     {"cur 2 1", "paste 1\\t2\\t3\\n4\\t5\\t6 => 0"},
     {kPlain[0], kPlain[1], "*     3|a3,1,2|011"}, "0 1 0", true, false},
    {"PasteUndoesInOneStep",
     {"paste 1\\t2\\n3\\t4\\n5\\t6", "undo => 0", "undo => 1"}, kPlain, "0 0 0", false, true},
    {"PasteStopsAtSelectionBottom",
     {"sel 0 0 1 0", "paste 1\\t2\\n3\\t4"},
     {"*     1|1,2,c1|110", kPlain[1], kPlain[2]}, "0 1 0", true, false},
    {"HalfAndFullWidth",
     {"cur 0 0", "set 0 0 ｶﾞｷﾟ a~", "zen", "cur 0 1", "set 0 1 パン ａ～", "han"},
     {"*     1|ガキ゜　ａ￣,ﾊﾟﾝ a～,c1|110", kPlain[1], kPlain[2]}, "0 1 0", true, false},
};

class EditScript : public ::testing::TestWithParam<Script> {};

TEST_P(EditScript, EndsInExpectedState) {
  const Script& s = GetParam();
  auto g = make_grid(kStart);
  for (const std::string& step : s.steps) {
    std::string op = step;
    int expect = -1000;
    if (auto at = step.find(" => "); at != std::string::npos) {
      op = step.substr(0, at);
      expect = std::stoi(step.substr(at + 4));
    }
    int r = run_step(*g, op);
    if (expect != -1000) {
      EXPECT_EQ(r, expect) << "step: " << step;
    }
  }
  EXPECT_EQ(dump(*g), s.rows);
  EXPECT_EQ(counters(*g), s.counters);
  EXPECT_EQ(g->CheckInvariants(), "");
  EXPECT_EQ(g->CanUndo(), s.can_undo);
  EXPECT_EQ(g->CanRedo(), s.can_redo);
  if (!s.cur.empty()) {
    EXPECT_EQ(std::to_string(g->GetCurRow()) + " " + std::to_string(g->GetCurCol()), s.cur);
  }
}

INSTANTIATE_TEST_SUITE_P(Scripts, EditScript, ::testing::ValuesIn(kScripts),
                         [](const ::testing::TestParamInfo<Script>& i) { return i.param.name; });

TEST(EditableGrid, UndoingEveryScriptStepReturnsToTheLoadedGrid) {
  // Whatever a script did, undoing every step gives the loaded grid back,
  // and redoing every step gives the same end state again.
  for (const Script& s : kScripts) {
    auto g = make_grid(kStart);
    for (const std::string& step : s.steps) run_step(*g, step.substr(0, step.find(" => ")));
    auto end = dump(*g);
    auto end_counters = counters(*g);
    int undone = 0;
    while (g->Undo() == 0) ++undone;
    EXPECT_EQ(dump(*g), kPlain) << s.name;
    EXPECT_EQ(counters(*g), "0 0 0") << s.name;
    EXPECT_FALSE(g->IsModified()) << s.name;
    for (int i = 0; i < undone; ++i) EXPECT_EQ(g->Redo(), 0) << s.name;
    EXPECT_EQ(dump(*g), end) << s.name;
    EXPECT_EQ(counters(*g), end_counters) << s.name;
  }
}

TEST(EditableGrid, TenThousandUndoLevels) {
  auto g = make_grid(kStart);
  for (int i = 0; i < 10000; ++i)
    ASSERT_EQ(g->UpdateData(i % 3, (i / 3) % 3, u16(std::to_string(i))), 0);
  auto end = dump(*g);
  for (int i = 0; i < 10000; ++i) ASSERT_EQ(g->Undo(), 0) << i;
  EXPECT_FALSE(g->CanUndo());
  EXPECT_EQ(dump(*g), kPlain);
  for (int i = 0; i < 10000; ++i) ASSERT_EQ(g->Redo(), 0) << i;
  EXPECT_EQ(dump(*g), end);
}

TEST(EditableGrid, RowHeadersFollowRowStatesAndWidth) {
  std::vector<std::vector<std::string>> rows(12, std::vector<std::string>{"x"});
  auto g = make_grid(rows);
  ASSERT_EQ(g->InsertRows(7, 1), 0);  // becomes the ninth row
  EXPECT_EQ(g->GetRowHeader(8), u"+     9");
  EXPECT_EQ(g->GetRowHeader(10), u"     11");
  EXPECT_EQ(g->GetRowHeaderLen(), 7);

  std::vector<std::vector<std::string>> many(1'000'000, std::vector<std::string>{""});
  auto big = make_grid(many);
  // Seven characters cannot hold a mark and "1000000": the header grows.
  EXPECT_EQ(big->GetRowHeaderLen(), 8);
  EXPECT_EQ(big->GetRowHeader(999'999), u" 1000000");
  big->UpdateData(999'999, 0, u"y");
  EXPECT_EQ(big->GetRowHeader(999'999), u"*1000000");
}

TEST(EditableGrid, OverlongTextIsRefusedWithABeep) {
  auto g = make_grid(kStart);
  g->SetMaxDataLen(4);
  g->SetBeepOnLongText(false);
  EXPECT_EQ(g->UpdateData(0, 0, u"abcd"), 0);
  EXPECT_EQ(g->UpdateData(0, 0, u"abcde"), 1);
  EXPECT_EQ(g->GetData(0, 0), u"abcd");
  EXPECT_EQ(g->GetLastErrorMsg(), u"");
}

TEST(EditableGrid, ColumnFlagsDecideEditability) {
  auto g = make_grid(kStart);
  g->SetColFlags(1, grid::kColInsertable);  // insertable only
  g->SetColFlags(2, 0);
  ASSERT_EQ(g->InsertRows(0, 1), 0);
  EXPECT_TRUE(g->IsColEditable(0, 0));
  EXPECT_FALSE(g->IsColEditable(0, 1));
  EXPECT_TRUE(g->IsColEditable(1, 1));  // the inserted row
  EXPECT_FALSE(g->IsColEditable(1, 2));
  EXPECT_FALSE(g->IsColEditable(5, 0));
  // Bulk processes skip the cells that are not editable.
  g->SetSelection(0, 0, 2, 1);
  EXPECT_EQ(g->ToUpper(), 1);  // only a1: the inserted row is empty
  EXPECT_EQ(g->GetData(0, 1), u"b1");
}

TEST(EditableGrid, SequenceSkipsCellsThatAreNotEditable) {
  auto g = make_grid(kStart);
  g->SetColFlags(1, 0);
  g->SetSelection(0, 0, 2, 1);
  ASSERT_EQ(g->InputSequence(10, 5), 0);
  EXPECT_EQ(dump(*g)[0], "*     1|10,b1,15|101");
  EXPECT_EQ(dump(*g)[1], "*     2|20,b2,25|101");
}

TEST(EditableGrid, CanDeleteAndInsertFollowTheFlags) {
  auto g = make_grid(kStart);
  EXPECT_TRUE(g->CanInsertRow());
  EXPECT_TRUE(g->CanDeleteRow(0));
  EXPECT_FALSE(g->CanDeleteRow(3));
  EXPECT_FALSE(g->CanDeleteRow(-1));
  EXPECT_TRUE(g->IsRowMarkSupported());
  g->SetRowMark(1);
  EXPECT_TRUE(g->IsRowMarked(1));
  g->ClearRowMark(1);
  EXPECT_FALSE(g->IsRowMarked(1));
}

TEST(EditableGrid, StatesAreReadableForTheSave) {
  auto g = make_grid(kStart);
  g->UpdateData(1, 0, u"n");
  g->InsertRows(2, 1);
  g->DeleteRow(0);
  EXPECT_EQ(g->GetRowFlags(0), grid::kRowDeleted);
  EXPECT_EQ(g->GetRowFlags(1), grid::kRowUpdated);
  EXPECT_EQ(g->GetRowFlags(3), grid::kRowInserted);
  EXPECT_EQ(g->GetFetchedRow(2), 2);
  EXPECT_EQ(g->GetFetchedRow(3), -1);
  EXPECT_EQ(g->GetFetchedData(1, 0), u"a2");
  EXPECT_EQ(g->GetData(1, 0), u"n");
  EXPECT_TRUE(g->IsModified());
  EXPECT_TRUE(g->IsUpdateRow(1));
  EXPECT_FALSE(g->IsUpdateRow(0));
  EXPECT_TRUE(g->IsDeleteRow(0));
  EXPECT_TRUE(g->IsInsertRow(3));
}

TEST(EditableGrid, InitDataStartsAFreshHistory) {
  auto g = make_grid(kStart);
  g->UpdateData(0, 0, u"x");
  g->InsertRows(0, 2);
  ASSERT_EQ(g->InitData(3, 3), 0);
  EXPECT_EQ(dump(*g), kPlain);
  EXPECT_FALSE(g->CanUndo());
  EXPECT_EQ(counters(*g), "0 0 0");
  EXPECT_EQ(g->GetColWidth(2), 100);
}

TEST(EditableGrid, ManyInsertsAndDeletesAroundTheGap) {
  // Inserting and removing rows at scattered places keeps every loaded row
  // in order (the row table moves its gap to each edit).
  std::vector<std::vector<std::string>> rows;
  for (int i = 0; i < 500; ++i) rows.push_back({std::to_string(i)});
  auto g = make_grid(rows);
  g->SetMoveCellAtInsert(false);
  for (int i = 0; i < 300; ++i) g->InsertRows((i * 37) % g->GetRowCnt(), 1 + i % 3);
  for (int r = g->GetRowCnt() - 1; r >= 0; --r)
    if (g->IsInsertRow(r)) g->DeleteRow(r);
  ASSERT_EQ(g->GetRowCnt(), 500);
  for (int i = 0; i < 500; ++i) ASSERT_EQ(g->GetData(i, 0), u16(std::to_string(i)));
  while (g->Undo() == 0) {
  }
  ASSERT_EQ(g->GetRowCnt(), 500);
  EXPECT_EQ(g->GetInsertedRowCnt(), 0);
}

}  // namespace
}  // namespace kestrel::testing

namespace kestrel::testing {
namespace {

// The shape of the Oracle grid: loaded texts from a source it owns, the
// last column a hidden key (the row identifier).
class KeyedGrid : public CEditableGridData {
 public:
  explicit KeyedGrid(std::unique_ptr<TextPool> pool) : pool_(std::move(pool)) {
    InitData(pool_->RowCount(), pool_->ColCount());
    SetCellTextSource(pool_.get());
    SetColFlags(ColCount() - 1, 0);
  }
  int32_t GetHiddenColCnt() const override { return 1; }
  int32_t GetColCnt() const override { return ColCount() - GetHiddenColCnt(); }

 private:
  std::unique_ptr<TextPool> pool_;
};

TEST(EditableGrid, HiddenKeyColumnsStayReadableButOutOfSight) {
  auto pool = std::make_unique<TextPool>(3);
  const std::u16string_view r0[] = {u"", u"", u"AAAB"};
  const std::u16string_view r1[] = {u"x", u"", u"AAAC"};
  pool->AddRow(r0);
  pool->AddRow(r1);
  KeyedGrid g(std::move(pool));
  EXPECT_EQ(g.GetColCnt(), 2);
  EXPECT_EQ(g.GetFetchedData(0, 2), u"AAAB");  // the save reads the key here
  EXPECT_TRUE(g.IsNullRow(0));                  // the key does not count
  EXPECT_FALSE(g.IsNullRow(1));
  EXPECT_EQ(g.DeleteNullRows(true), 1);
  EXPECT_TRUE(g.IsDeleteRow(0));
  EXPECT_FALSE(g.IsColEditable(0, 2));
  EXPECT_EQ(g.ColWidthTableSize(), 2u);  // widths for the shown columns
}

}  // namespace
}  // namespace kestrel::testing

namespace kestrel::testing {
namespace {

// Random edits against a history of snapshots: after any mix of edits,
// undo must give back exactly the state before each step, and redo the
// state after it (texts, headers, changed bits and counters).
TEST(EditableGrid, RandomEditsUndoAndRedoToExactSnapshots) {
  std::mt19937 rng(20261206);
  auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
  const char* texts[] = {"", "a", "b", "xy", "ｶﾞ", "Q\tR", "1\n2"};
  auto g = make_grid({{"a", "b", "c"}, {"", "", ""}, {"d", "e", "f"}, {"g", "", "h"}});
  auto state = [&] { return std::make_pair(dump(*g), counters(*g)); };
  std::vector<decltype(state())> history{state()};
  std::size_t at = 0;
  int undos = 0, redos = 0, steps_made = 0;
  for (int i = 0; i < 3000; ++i) {
    const int rows = g->GetRowCnt();
    const int op = pick(12);
    if (op == 0 && at > 0) {
      ASSERT_EQ(g->Undo(), 0);
      --at;
      ++undos;
      ASSERT_EQ(state(), history[at]) << "undo at step " << i;
      ASSERT_EQ(g->CheckInvariants(), "");
      continue;
    }
    if ((op == 1 || op == 11) && at + 1 < history.size()) {
      ASSERT_EQ(g->Redo(), 0);
      ++at;
      ++redos;
      ASSERT_EQ(state(), history[at]) << "redo at step " << i;
      ASSERT_EQ(g->CheckInvariants(), "");
      continue;
    }
    const uint32_t seq = g->GetUndoData()->CurrentSeq();
    const std::size_t steps = g->GetUndoData()->undo_steps();
    if (rows > 0) g->SetCurCell(pick(rows), pick(3));
    switch (op) {
      case 2:
      case 3:
        if (rows > 0) g->UpdateData(pick(rows), pick(3), u16(texts[pick(7)]));
        break;
      case 4: g->InsertRows(pick(rows + 1) - 1, 1 + pick(3)); break;
      case 5:
        if (rows > 0) g->DeleteRow(pick(rows));
        break;
      case 6:
        if (rows > 0) g->DeleteRows(pick(rows), pick(rows));
        break;
      case 7: g->DeleteNullRows(pick(2) == 1); break;
      case 8:
        if (rows > 0) {
          g->SetSelection(pick(3), pick(rows), pick(3), pick(rows));
          g->Paste(u16(std::string(texts[pick(7)]) + "\t" + texts[pick(7)]));
          g->ClearSelection();
        }
        break;
      case 9:
        if (rows > 0) {
          g->SetSelection(0, 0, 2, rows - 1);
          pick(2) ? g->ToUpper() : g->ToZenkaku(true, true);
          g->ClearSelection();
        }
        break;
      case 10:
        if (rows > 1) g->SwapRow(pick(rows), pick(rows));
        break;
      default:
        if (rows > 0) g->InputSequence(pick(100), 1 + pick(3));
        break;
    }
    ASSERT_EQ(g->CheckInvariants(), "") << "op " << op << " at step " << i;
    const bool new_step = g->GetUndoData()->CurrentSeq() != seq || g->GetUndoData()->undo_steps() != steps;
    if (new_step) {
      history.resize(at + 1);
      history.push_back(state());
      ++at;
      ++steps_made;
      ASSERT_FALSE(g->CanRedo());
    } else {
      ASSERT_EQ(state(), history[at]) << "an operation that left no step changed the grid, op " << op;
    }
  }
  // The mix really exercised the history.
  EXPECT_GT(steps_made, 1000);
  EXPECT_GT(undos, 100);
  EXPECT_GT(redos, 30);
  while (at > 0) {
    ASSERT_EQ(g->Undo(), 0);
    --at;
    ASSERT_EQ(state(), history[at]);
  }
}

}  // namespace
}  // namespace kestrel::testing
