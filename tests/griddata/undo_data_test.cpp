#include "griddata/undo_data.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// A toy owner: a vector of ints changed by (type 7: index row, old value ->
// new value in `value`), to check the order and grouping the log keeps.
struct Owner {
  std::vector<int> cells = std::vector<int>(4, 0);
  CUndoData log;
  explicit Owner(int32_t ring = CUndoData::kUnlimited) : log(ring) {}

  void Set(int i, int v) {
    CUndoRecord* r = log.AddRecord(7, i, 0, (static_cast<int64_t>(cells[i]) << 32) | static_cast<uint32_t>(v));
    ASSERT_NE(r, nullptr);
    cells[i] = v;
  }
  int Undo() {
    return log.Undo([this](CUndoRecord& r) {
      if (r.type == 7) cells[r.row] = static_cast<int>(r.value >> 32);
    });
  }
  int Redo() {
    return log.Redo([this](CUndoRecord& r) {
      if (r.type == 7) cells[r.row] = static_cast<int>(static_cast<int32_t>(r.value & 0xFFFFFFFF));
    });
  }
};

TEST(UndoData, RecordOutsideASetIsAStepOfItsOwn) {
  Owner o;
  o.Set(0, 5);
  o.Set(1, 6);
  EXPECT_EQ(o.log.undo_steps(), 2u);
  EXPECT_EQ(o.Undo(), 0);
  EXPECT_EQ(o.cells, (std::vector<int>{5, 0, 0, 0}));
  EXPECT_EQ(o.Undo(), 0);
  EXPECT_EQ(o.cells, (std::vector<int>{0, 0, 0, 0}));
  EXPECT_EQ(o.Undo(), 1);  // nothing left
  EXPECT_EQ(o.Redo(), 0);
  EXPECT_EQ(o.Redo(), 0);
  EXPECT_EQ(o.cells, (std::vector<int>{5, 6, 0, 0}));
  EXPECT_EQ(o.Redo(), 1);
}

TEST(UndoData, NestedSetsFormOneStepAndEmptySetsAreDropped) {
  Owner o;
  o.log.StartUndoSet();
  o.Set(0, 1);
  o.log.StartUndoSet();
  o.Set(1, 2);
  o.log.EndUndoSet();
  EXPECT_FALSE(o.log.CanUndo());  // still open
  o.log.EndUndoSet();
  EXPECT_EQ(o.log.undo_steps(), 1u);
  uint32_t seq = o.log.CurrentSeq();
  EXPECT_NE(seq, 0u);

  o.log.StartUndoSet();
  o.log.StartUndoSet();
  o.log.EndUndoSet();
  o.log.EndUndoSet();
  EXPECT_EQ(o.log.undo_steps(), 1u);
  EXPECT_EQ(o.log.CurrentSeq(), seq);  // the empty set left no trace

  o.Undo();
  EXPECT_EQ(o.cells, (std::vector<int>{0, 0, 0, 0}));
  EXPECT_EQ(o.log.CurrentSeq(), 0u);
}

TEST(UndoData, NewStepDiscardsRedo) {
  Owner o;
  o.Set(0, 1);
  o.Set(0, 2);
  o.Undo();
  EXPECT_TRUE(o.log.CanRedo());
  o.Set(1, 9);
  EXPECT_FALSE(o.log.CanRedo());
  o.Undo();
  o.Undo();
  EXPECT_EQ(o.cells, (std::vector<int>{0, 0, 0, 0}));
}

TEST(UndoData, BoundedHistoryForgetsTheOldestStep) {
  Owner o(3);
  for (int v = 1; v <= 5; ++v) o.Set(0, v);
  EXPECT_EQ(o.log.undo_steps(), 3u);
  while (o.Undo() == 0) {
  }
  EXPECT_EQ(o.cells[0], 2);  // steps 1 -> 2 ... only the last three are kept
}

TEST(UndoData, TextRecordsOwnTheirCopyAndNoRecordsWhileApplying) {
  CUndoData log;
  std::u16string s = u"abc";
  CUndoRecord* r = log.AddTextRecord(4, 1, 2, s);
  ASSERT_NE(r, nullptr);
  s[0] = u'x';
  EXPECT_EQ(r->text.view(), u"abc");
  const std::byte block[3] = {std::byte{1}, std::byte{2}, std::byte{3}};
  CUndoRecord* b = log.AddRecord(50, 0, 0);
  b->SetBytes(block);
  ASSERT_EQ(b->text.bytes().size(), 3u);
  EXPECT_EQ(b->text.bytes()[2], std::byte{3});
  int seen = 0;
  log.Undo([&](CUndoRecord&) {
    ++seen;
    EXPECT_EQ(log.AddRecord(9, 0, 0), nullptr);
  });
  EXPECT_EQ(seen, 2);  // the opening type 0 record and the block record
  EXPECT_EQ(log.last_type(), CUndoData::kNoType);
}

TEST(UndoData, SequenceNumbersKeepGrowingAcrossClear) {
  // An editor compares the number it noted with the current one; a cleared
  // log must never hand out a number seen before.
  CUndoData log(100);
  log.AddRecord(5, 0, 0);
  uint32_t first = log.CurrentSeq();
  log.Clear();
  EXPECT_EQ(log.CurrentSeq(), 0u);
  EXPECT_FALSE(log.CanUndo());
  log.AddRecord(5, 0, 0);
  EXPECT_GT(log.CurrentSeq(), first);
  // The owner may grow its last record, as typing into one insert does.
  CUndoRecord* last = log.current_record();
  ASSERT_NE(last, nullptr);
  last->SetText(u"typed");
  EXPECT_EQ(log.current_record()->text.view(), u"typed");
}

TEST(UndoData, ManyStepsUndoAndRedoToAnyDepth) {
  Owner o;
  for (int i = 0; i < 10000; ++i) o.Set(i % 4, i + 1);
  for (int i = 0; i < 10000; ++i) ASSERT_EQ(o.Undo(), 0);
  EXPECT_EQ(o.cells, (std::vector<int>{0, 0, 0, 0}));
  for (int i = 0; i < 10000; ++i) ASSERT_EQ(o.Redo(), 0);
  EXPECT_EQ(o.cells, (std::vector<int>{9997, 9998, 9999, 10000}));
}

}  // namespace
