// OciDataset storage and the dataset operations (sort, search, overwrite,
// join, merge) on datasets of a few thousand rows built in memory.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "oci/oci_codes.h"
#include "oci/oci_dataset.h"
#include "platform/format.h"
#include "platform/utf16.h"

namespace kestrel {
namespace {

OciColumnDesc column(std::u16string name, uint16_t type, uint32_t width) {
  OciColumnDesc d;
  d.wname = std::move(name);
  d.data_type = type;
  d.width = width;
  d.wide_size = width * 2;
  return d;
}

using Rows = std::vector<std::vector<std::u16string>>;

void fill(OciDataset& ds, const std::vector<OciColumnDesc>& cols, const Rows& rows) {
  ds.clear();
  ds.set_columns(cols);
  // Blocks of at most 400 rows, like the fetch.
  for (std::size_t first = 0; first < rows.size(); first += 400) {
    int32_t n = static_cast<int32_t>(std::min<std::size_t>(400, rows.size() - first));
    unsigned char* block = ds.add_block(n);
    ASSERT_NE(block, nullptr);
    for (int32_t r = 0; r < n; ++r)
      for (int32_t c = 0; c < ds.col_count; ++c)
        ASSERT_TRUE(ds.set_text(block + static_cast<std::size_t>(r) * ds.row_size, c, rows[first + static_cast<std::size_t>(r)][static_cast<std::size_t>(c)]));
    ds.row_count += n;
  }
  ds.build_row_index();
}

std::vector<std::u16string> column_texts(const OciDataset& ds, int col) {
  std::vector<std::u16string> out;
  for (int32_t r = 0; r < ds.row_count; ++r) out.emplace_back(ds.text_view(r, col));
  return out;
}

TEST(OciDataset, ShortTextsInlineLongTextsInThePool) {
  OciDataset ds;
  // NUMBER(5) is 8 bytes wide: 16 wide bytes fit the record; VARCHAR2(30) does not.
  fill(ds, {column(u"ID", 2, 8), column(u"NAME", 1, 31)}, {{u"12345", u"とても長い名前のテキストです"}, {u"", u""}});
  EXPECT_FALSE(ds.by_pointer[0]);
  EXPECT_TRUE(ds.by_pointer[1]);
  EXPECT_EQ(ds.text_view(0, 0), u"12345");
  EXPECT_EQ(ds.text_view(0, 1), u"とても長い名前のテキストです");
  EXPECT_EQ(ds.text_view(1, 0), u"");
  EXPECT_EQ(ds.text(1, 1), kOciEmptyText);  // NULL cells share one empty text
  EXPECT_EQ(ds.row_size % 8, 0u);
}

TEST(OciDataset, PoolPagesGrowGeometrically) {
  OciStringPool pool;
  pool.set_first_page_size(4096);
  std::u16string text(20, u'x');
  for (int i = 0; i < 100000; ++i) ASSERT_NE(pool.add(text), nullptr);
  // 4.2 MB of text in pages doubling from 4 KiB up to 1 MiB.
  EXPECT_LT(pool.pages(), 20u);
  EXPECT_LT(pool.bytes_allocated(), 100000u * 42u * 2u);
  // A text larger than the next page gets a page of its own size.
  std::u16string big(3 << 20, u'y');
  const char16_t* p = pool.add(big);
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(std::u16string_view(p), big);
}

TEST(OciDataset, FindColumnIsExactAndCaseSensitive) {
  OciDataset ds;
  fill(ds, {column(u"ROWID", 104, 24), column(u"Name", 1, 10)}, {});
  EXPECT_EQ(oci_find_column(&ds, u"ROWID"), 0);
  EXPECT_EQ(oci_find_column(&ds, u"Name"), 1);
  EXPECT_EQ(oci_find_column(&ds, u"NAME"), -1);
  OciDataset empty;
  EXPECT_EQ(oci_find_column(&empty, u"ROWID"), -1);
}

class OciDatasetOps : public ::testing::Test {
 protected:
  void SetUp() override {
    std::mt19937 rng(7);
    Rows rows;
    for (int i = 0; i < 3000; ++i) {
      int n = static_cast<int>(rng() % 100000) - 50000;
      rows.push_back({to_u16(n), format(u"T%05d", {i}), format(u"comment %d", {i})});
    }
    fill(ds_, {column(u"NUM", 2, 10), column(u"TABLE_NAME", 1, 31), column(u"COMMENTS", 1, 100)}, rows);
  }
  OciDataset ds_;
};

TEST_F(OciDatasetOps, SortsNumbersByValueAndTextsByCodeUnits) {
  oci_sort_dataset(&ds_, 0, ds_.row_count - 1, 0, 1);
  auto nums = column_texts(ds_, 0);
  EXPECT_TRUE(std::is_sorted(nums.begin(), nums.end(), [](const auto& a, const auto& b) {
    return std::stod(utf16_to_utf8(a)) < std::stod(utf16_to_utf8(b));
  }));
  oci_sort_dataset(&ds_, 0, ds_.row_count - 1, 1, -1);
  auto names = column_texts(ds_, 1);
  EXPECT_TRUE(std::is_sorted(names.rbegin(), names.rend()));
  EXPECT_EQ(names.front(), u"T02999");
  // Sorting a sub-range leaves the rest alone.
  oci_sort_dataset(&ds_, 10, 19, 1, 1);
  auto part = column_texts(ds_, 1);
  EXPECT_TRUE(std::is_sorted(part.begin() + 10, part.begin() + 20));
  EXPECT_EQ(part[0], u"T02999");
}

TEST_F(OciDatasetOps, BinarySearchFindsEveryRow) {
  oci_sort_dataset(&ds_, 0, ds_.row_count - 1, 1, 1);
  for (int i = 0; i < 3000; i += 37) {
    int32_t r = oci_search_dataset(&ds_, 1, format(u"T%05d", {i}));
    ASSERT_GE(r, 0);
    EXPECT_EQ(ds_.text_view(r, 1), format(u"T%05d", {i}));
  }
  EXPECT_EQ(oci_search_dataset(&ds_, 1, u"T99999"), -1);
  oci_sort_dataset(&ds_, 0, ds_.row_count - 1, 0, 1);
  std::u16string key(ds_.text_view(1234, 0));
  int32_t r = oci_search_dataset(&ds_, 0, key + u".0");  // numeric comparison
  ASSERT_GE(r, 0);
  EXPECT_EQ(ds_.text_view(r, 0), key);
}

TEST_F(OciDatasetOps, OverwriteCopiesMatchingRowsAndHonoursOnlyIfEmpty) {
  OciDataset target;
  fill(target, {column(u"TABLE_NAME", 1, 31), column(u"COMMENTS", 1, 100)},
       {{u"T00005", u""}, {u"T00006", u"keep"}, {u"NOPE", u""}});
  char16_t buf[256];
  ASSERT_EQ(oci_overwrite_dataset(&target, &ds_, u"COMMENTS", true, OciMsgBuf(buf)), kOciOk);
  EXPECT_EQ(target.text_view(0, 1), u"comment 5");
  EXPECT_EQ(target.text_view(1, 1), u"keep");
  EXPECT_EQ(target.text_view(2, 1), u"");
  ASSERT_EQ(oci_overwrite_dataset(&target, &ds_, u"COMMENTS", false, OciMsgBuf(buf)), kOciOk);
  EXPECT_EQ(target.text_view(1, 1), u"comment 6");
  EXPECT_EQ(oci_overwrite_dataset(&target, &ds_, u"MISSING", false, OciMsgBuf(buf)), kOciInternal);
  EXPECT_EQ(std::u16string_view(buf), u"エラー(oci_overwrite_dataset)\n");
}

TEST_F(OciDatasetOps, JoinTakesLeftColumnsFirstAndRightValuesByKey) {
  OciDataset left, result;
  Rows rows;
  for (int i = 0; i < 2000; ++i) rows.push_back({format(u"T%05d", {i * 2}), format(u"L%d", {i})});
  fill(left, {column(u"TABLE_NAME", 1, 31), column(u"NUM", 1, 40)}, rows);
  const std::u16string_view cols[] = {u"TABLE_NAME", u"NUM", u"COMMENTS"};
  char16_t buf[256];
  ASSERT_EQ(oci_join_dataset(&result, &left, &ds_, u"TABLE_NAME", cols, 3, OciMsgBuf(buf)), kOciOk);
  ASSERT_EQ(result.row_count, 2000);
  EXPECT_EQ(result.text_view(10, 1), u"L10");  // NUM from the left, not the right's number
  EXPECT_EQ(result.text_view(10, 2), u"comment 20");
  EXPECT_EQ(result.text_view(1999, 2), u"");  // T03998 is not on the right
  const std::u16string_view bad[] = {u"NOWHERE"};
  EXPECT_EQ(oci_join_dataset(&result, &left, &ds_, u"TABLE_NAME", bad, 1, OciMsgBuf(buf)), kOciInternal);
  EXPECT_EQ(std::u16string_view(buf), u"エラー(oci_join_dataset)\n");
}

TEST_F(OciDatasetOps, MergeAppendsTheSecondDatasetAndStoresEveryColumnByPointer) {
  OciDataset other, result;
  fill(other, {column(u"A", 2, 10), column(u"B", 1, 5), column(u"C", 1, 5)}, {{u"1", u"x", u"y"}});
  const OciDataset* pair[] = {&ds_, &other};
  char16_t buf[256];
  ASSERT_EQ(oci_merge_dataset(&result, pair, OciMsgBuf(buf)), kOciOk);
  ASSERT_EQ(result.row_count, 3001);
  EXPECT_EQ(result.cols[1].wname, u"TABLE_NAME");
  EXPECT_TRUE(std::all_of(result.by_pointer.begin(), result.by_pointer.end(), [](bool b) { return b; }));
  EXPECT_EQ(result.text_view(3000, 1), u"x");
  EXPECT_EQ(result.text_view(0, 2), ds_.text_view(0, 2));
  // Merging into one of the inputs works too.
  const OciDataset* self_pair[] = {&other, &other};
  ASSERT_EQ(oci_merge_dataset(&other, self_pair, OciMsgBuf(buf)), kOciOk);
  EXPECT_EQ(other.row_count, 2);
  EXPECT_EQ(other.text_view(1, 2), u"y");
  OciDataset narrow;
  fill(narrow, {column(u"A", 1, 5)}, {});
  const OciDataset* mismatch[] = {&ds_, &narrow};
  EXPECT_EQ(oci_merge_dataset(&result, mismatch, OciMsgBuf(buf)), kOciInternal);
}

}  // namespace
}  // namespace kestrel
