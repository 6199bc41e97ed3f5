// OciDataset storage: row record layout, row blocks and the string pool.
#include "oci/oci_dataset.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "oci/oci_codes.h"
#include "oci/oci_library.h"

const char16_t kOciEmptyText[1] = {u'\0'};

namespace kestrel {
namespace {
constexpr std::size_t kPoolGrowthLimit = 1u << 20;  // pages stop doubling at 1 MiB
}

char16_t* OciStringPool::reserve(std::size_t units) {
  std::size_t need = (units + 1) * sizeof(char16_t);
  if (!pages_.empty() && pages_.back().size - used_ >= need)
    return reinterpret_cast<char16_t*>(pages_.back().data.get() + used_);
  std::size_t size = need <= next_page_ ? next_page_ : (need / 1024) * 2048 + 2048;
  std::unique_ptr<unsigned char[]> data(new (std::nothrow) unsigned char[size]);
  if (!data) return nullptr;
  pages_.push_back({std::move(data), size});
  allocated_ += size;
  used_ = 0;
  if (next_page_ < kPoolGrowthLimit) next_page_ *= 2;
  return reinterpret_cast<char16_t*>(pages_.back().data.get());
}

const char16_t* OciStringPool::add(std::u16string_view text) {
  char16_t* p = reserve(text.size());
  if (!p) return nullptr;
  std::copy(text.begin(), text.end(), p);
  p[text.size()] = u'\0';
  commit(text.size() + 1);
  return p;
}

void OciStringPool::clear() {
  pages_.clear();
  used_ = 0;
  next_page_ = 4096;
  allocated_ = 0;
}

}  // namespace kestrel

OciDataset::~OciDataset() { clear(); }

const char16_t* OciDataset::cell_text(const unsigned char* record, int32_t col) const {
  const unsigned char* p = record + col_offset[static_cast<std::size_t>(col)];
  if (!by_pointer[static_cast<std::size_t>(col)]) return reinterpret_cast<const char16_t*>(p);
  const char16_t* t;
  std::memcpy(&t, p, sizeof t);
  return t ? t : kOciEmptyText;
}

std::u16string_view OciDataset::text_view(int32_t row, int32_t col) const {
  return std::u16string_view(text(row, col));
}

unsigned char* OciDataset::header(int32_t row, int32_t col) const {
  const OciColumnDesc& d = cols[static_cast<std::size_t>(col)];
  std::size_t back = d.kind == kestrel::kColumnLob ? kestrel::kLobHeaderBytes
                     : d.kind == kestrel::kColumnObject ? kestrel::kObjectHeaderBytes : 0;
  return row_index[static_cast<std::size_t>(row)] + col_offset[static_cast<std::size_t>(col)] - back;
}

void OciDataset::set_columns(const std::vector<OciColumnDesc>& descs, bool all_by_pointer) {
  cols = descs;
  col_count = static_cast<int32_t>(descs.size());
  col_offset.assign(descs.size(), 0);
  by_pointer.assign(descs.size(), false);
  lob_count = object_count = 0;
  std::size_t off = 0;
  auto align = [&](std::size_t a) { off = (off + a - 1) / a * a; };
  for (std::size_t c = 0; c < descs.size(); ++c) {
    const OciColumnDesc& d = descs[c];
    if (d.kind == kestrel::kColumnLob || d.kind == kestrel::kColumnObject) {
      (d.kind == kestrel::kColumnLob ? lob_count : object_count)++;
      align(8);
      off += d.kind == kestrel::kColumnLob ? kestrel::kLobHeaderBytes : kestrel::kObjectHeaderBytes;
      col_offset[c] = static_cast<uint32_t>(off);
      by_pointer[c] = true;
      off += sizeof(void*);
    } else if (all_by_pointer || d.wide_size >= static_cast<uint32_t>(kestrel::kInlineTextLimit) || d.wide_size < 2) {
      align(8);
      col_offset[c] = static_cast<uint32_t>(off);
      by_pointer[c] = true;
      off += sizeof(void*);
    } else {
      align(2);
      col_offset[c] = static_cast<uint32_t>(off);
      off += d.wide_size;
    }
  }
  align(8);
  row_size = static_cast<uint32_t>(off == 0 ? 8 : off);
}

unsigned char* OciDataset::add_block(int32_t rows) {
  if (rows <= 0) return nullptr;
  std::size_t bytes = static_cast<std::size_t>(rows) * row_size;
  std::unique_ptr<unsigned char[]> block(new (std::nothrow) unsigned char[bytes]());
  if (!block) return nullptr;
  blocks.push_back({std::move(block), rows});
  return blocks.back().data.get();
}

void OciDataset::set_pointer(unsigned char* record, int32_t col, const char16_t* text) const {
  std::memcpy(record + col_offset[static_cast<std::size_t>(col)], &text, sizeof text);
}

bool OciDataset::set_text(unsigned char* record, int32_t col, std::u16string_view text) {
  std::size_t c = static_cast<std::size_t>(col);
  if (by_pointer[c]) {
    const char16_t* p = kOciEmptyText;
    if (!text.empty()) {
      p = pool.add(text);
      if (!p) return false;
    }
    set_pointer(record, col, p);
    return true;
  }
  auto* dst = reinterpret_cast<char16_t*>(record + col_offset[c]);
  std::size_t room = cols[c].wide_size / 2 - 1;
  std::size_t n = std::min(room, text.size());
  std::copy_n(text.data(), n, dst);
  dst[n] = u'\0';
  return true;
}

void OciDataset::build_row_index() {
  row_index.clear();
  row_index.reserve(static_cast<std::size_t>(row_count));
  for (const Block& b : blocks)
    for (int32_t r = 0; r < b.rows && row_index.size() < static_cast<std::size_t>(row_count); ++r)
      row_index.push_back(b.data.get() + static_cast<std::size_t>(r) * row_size);
  row_count = static_cast<int32_t>(row_index.size());
}

void OciDataset::clear() {
  const kestrel::OciFunctions& fn = kestrel::oci_fn();
  if (lob_count > 0 && fn.OCIDescriptorFree) {
    for (int32_t r = 0; r < row_count && static_cast<std::size_t>(r) < row_index.size(); ++r) {
      for (int32_t c = 0; c < col_count; ++c) {
        if (cols[static_cast<std::size_t>(c)].kind != kestrel::kColumnLob) continue;
        unsigned char* h = header(r, c);
        void* loc;
        std::memcpy(&loc, h, sizeof loc);
        if (loc) {
          fn.OCIDescriptorFree(loc, cols[static_cast<std::size_t>(c)].define_type == 114 ? OCI_DTYPE_FILE : OCI_DTYPE_LOB);
          loc = nullptr;
          std::memcpy(h, &loc, sizeof loc);
        }
      }
    }
  }
  blocks.clear();
  col_offset.clear();
  row_count = 0;
  row_index.clear();
  col_count = 0;
  cols.clear();
  by_pointer.clear();
  pool.clear();
  lob_count = object_count = 0;
  row_size = 0;
}

void oci_free_dataset(OciDataset* ds) {
  if (ds) ds->clear();
}
