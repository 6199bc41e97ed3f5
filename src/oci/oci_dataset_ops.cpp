// Dataset operations used by the dictionary lists: find a column, sort the
// row index by a column, binary search, and combining datasets (overwrite a
// column from another dataset, join two by a key, append one to another).
#include <cstdlib>
#include <string>

#include "oci/oci_codes.h"
#include "oci/oci_dataset.h"
#include "platform/format.h"

using kestrel::OciMsgBuf;

namespace {

constexpr uint16_t kNumberType = 2;

double text_to_double(const char16_t* s) {
  char buf[128];
  std::size_t n = 0;
  for (; s[n] && n + 1 < sizeof buf; ++n) buf[n] = s[n] < 0x80 ? static_cast<char>(s[n]) : '?';
  buf[n] = '\0';
  return std::strtod(buf, nullptr);
}

int compare_cells(const char16_t* a, const char16_t* b, bool numeric) {
  if (numeric) {
    double x = text_to_double(a), y = text_to_double(b);
    return x < y ? -1 : (x > y ? 1 : 0);
  }
  return std::u16string_view(a).compare(std::u16string_view(b));
}

bool has_special_columns(const OciDataset* ds) { return ds->lob_count > 0 || ds->object_count > 0; }

int fail(OciMsgBuf msg, const char16_t* op) {
  msg.set(kestrel::format(kestrel::kMsgInternal, {op}));
  return kestrel::kOciInternal;
}

}  // namespace

int oci_find_column(const OciDataset* ds, std::u16string_view name) {
  if (!ds) return -1;
  for (int32_t c = 0; c < ds->col_count; ++c)
    if (ds->cols[static_cast<std::size_t>(c)].wname == name) return c;
  return -1;
}

// Quicksort on the row index: the middle element is the pivot, moved to the
// front; only elements strictly before the pivot move left. The left part is
// sorted recursively, the right part in the loop (not stable).
void oci_sort_dataset(OciDataset* ds, int32_t first, int32_t last, int32_t col, int direction) {
  if (!ds || col < 0 || col >= ds->col_count) return;
  first = std::max<int32_t>(first, 0);
  last = std::min<int32_t>(last, static_cast<int32_t>(ds->row_index.size()) - 1);
  const bool numeric = ds->cols[static_cast<std::size_t>(col)].data_type == kNumberType;
  auto& idx = ds->row_index;
  while (first < last) {
    int32_t mid = first + (last - first) / 2;
    std::swap(idx[static_cast<std::size_t>(first)], idx[static_cast<std::size_t>(mid)]);
    const char16_t* pivot = ds->cell_text(idx[static_cast<std::size_t>(first)], col);
    int32_t store = first;
    for (int32_t i = first + 1; i <= last; ++i) {
      int cmp = compare_cells(ds->cell_text(idx[static_cast<std::size_t>(i)], col), pivot, numeric);
      if (cmp * direction < 0) std::swap(idx[static_cast<std::size_t>(++store)], idx[static_cast<std::size_t>(i)]);
    }
    std::swap(idx[static_cast<std::size_t>(first)], idx[static_cast<std::size_t>(store)]);
    // Recurse into the smaller side so the stack stays logarithmic.
    if (store - first < last - store) {
      oci_sort_dataset(ds, first, store - 1, col, direction);
      first = store + 1;
    } else {
      oci_sort_dataset(ds, store + 1, last, col, direction);
      last = store - 1;
    }
  }
}

int32_t oci_search_dataset(const OciDataset* ds, int32_t col, std::u16string_view key) {
  if (!ds || col < 0 || col >= ds->col_count) return -1;
  const bool numeric = ds->cols[static_cast<std::size_t>(col)].data_type == kNumberType;
  std::u16string k(key);
  int32_t lo = 0, hi = static_cast<int32_t>(ds->row_index.size()) - 1;
  while (lo <= hi) {
    int32_t mid = lo + (hi - lo) / 2;
    int cmp = compare_cells(ds->text(mid, col), k.c_str(), numeric);
    if (cmp == 0) return mid;
    if (cmp < 0) lo = mid + 1;
    else hi = mid - 1;
  }
  return -1;
}

int oci_overwrite_dataset(OciDataset* target, OciDataset* source, std::u16string_view column, bool only_if_empty,
                          OciMsgBuf msg) {
  static constexpr char16_t kOp[] = u"oci_overwrite_dataset";
  int t_key = oci_find_column(target, u"TABLE_NAME");
  int s_key = oci_find_column(source, u"TABLE_NAME");
  int t_col = oci_find_column(target, column);
  int s_col = oci_find_column(source, column);
  if (t_key < 0 || s_key < 0 || t_col < 0 || s_col < 0) return fail(msg, kOp);
  if (!target->by_pointer[static_cast<std::size_t>(t_col)]) return kestrel::kOciOk;
  oci_sort_dataset(source, 0, source->row_count - 1, s_key, 1);
  for (int32_t r = 0; r < target->row_count; ++r) {
    unsigned char* record = target->row_index[static_cast<std::size_t>(r)];
    int32_t found = oci_search_dataset(source, s_key, target->cell_text(record, t_key));
    if (found < 0) continue;
    if (only_if_empty && target->cell_text(record, t_col)[0] != u'\0') continue;
    if (!target->set_text(record, t_col, source->text_view(found, s_col))) {
      msg.set(kestrel::kMsgNoMemory);
      return kestrel::kOciNoMemory;
    }
  }
  return kestrel::kOciOk;
}

int oci_join_dataset(OciDataset* result, OciDataset* left, OciDataset* right, std::u16string_view key,
                     const std::u16string_view* columns, int count, OciMsgBuf msg) {
  static constexpr char16_t kOp[] = u"oci_join_dataset";
  if (!result || !left || !right || has_special_columns(left) || has_special_columns(right)) return fail(msg, kOp);
  int l_key = oci_find_column(left, key);
  int r_key = oci_find_column(right, key);
  if (l_key < 0 || r_key < 0) return fail(msg, kOp);
  struct Source {
    bool from_left;
    int col;
  };
  std::vector<Source> sources;
  std::vector<OciColumnDesc> descs;
  for (int i = 0; i < count; ++i) {
    int c = oci_find_column(left, columns[i]);
    if (c >= 0) {
      sources.push_back({true, c});
      descs.push_back(left->cols[static_cast<std::size_t>(c)]);
      continue;
    }
    c = oci_find_column(right, columns[i]);
    if (c < 0) return fail(msg, kOp);
    sources.push_back({false, c});
    descs.push_back(right->cols[static_cast<std::size_t>(c)]);
  }
  oci_sort_dataset(right, 0, right->row_count - 1, r_key, 1);
  result->clear();
  result->set_columns(descs, true);
  unsigned char* block = result->add_block(left->row_count);
  if (left->row_count > 0 && !block) {
    msg.set(kestrel::kMsgNoMemory);
    return kestrel::kOciNoMemory;
  }
  for (int32_t r = 0; r < left->row_count; ++r) {
    unsigned char* rec = block + static_cast<std::size_t>(r) * result->row_size;
    int32_t match = oci_search_dataset(right, r_key, left->text_view(r, l_key));
    for (std::size_t i = 0; i < sources.size(); ++i) {
      std::u16string_view v;
      if (sources[i].from_left) v = left->text_view(r, sources[i].col);
      else if (match >= 0) v = right->text_view(match, sources[i].col);
      if (!result->set_text(rec, static_cast<int32_t>(i), v)) {
        msg.set(kestrel::kMsgNoMemory);
        return kestrel::kOciNoMemory;
      }
    }
  }
  result->row_count = left->row_count;
  result->build_row_index();
  return kestrel::kOciOk;
}

int oci_merge_dataset(OciDataset* result, const OciDataset* const* pair, OciMsgBuf msg) {
  static constexpr char16_t kOp[] = u"oci_merge_dataset";
  const OciDataset* a = pair ? pair[0] : nullptr;
  const OciDataset* b = pair ? pair[1] : nullptr;
  if (!result || !a || !b || has_special_columns(a) || has_special_columns(b) || a->col_count != b->col_count)
    return fail(msg, kOp);
  OciDataset merged;
  merged.set_columns(a->cols, true);
  int32_t total = a->row_count + b->row_count;
  unsigned char* block = merged.add_block(total);
  if (total > 0 && !block) {
    msg.set(kestrel::kMsgNoMemory);
    return kestrel::kOciNoMemory;
  }
  int32_t out = 0;
  for (const OciDataset* src : {a, b}) {
    for (int32_t r = 0; r < src->row_count; ++r, ++out) {
      unsigned char* rec = block + static_cast<std::size_t>(out) * merged.row_size;
      for (int32_t c = 0; c < merged.col_count; ++c) {
        if (!merged.set_text(rec, c, src->text_view(r, c))) {
          msg.set(kestrel::kMsgNoMemory);
          return kestrel::kOciNoMemory;
        }
      }
    }
  }
  merged.row_count = total;
  // The result may be one of the inputs: build aside, then move in.
  result->clear();
  result->blocks = std::move(merged.blocks);
  result->col_offset = std::move(merged.col_offset);
  result->cols = std::move(merged.cols);
  result->by_pointer = std::move(merged.by_pointer);
  result->pool = std::move(merged.pool);
  result->col_count = merged.col_count;
  result->row_size = merged.row_size;
  result->row_count = total;
  merged.col_count = 0;
  merged.row_count = 0;
  result->build_row_index();
  return kestrel::kOciOk;
}
