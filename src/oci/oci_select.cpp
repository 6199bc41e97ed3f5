// The select driver (a whole query into an OciDataset, batch by batch, with
// progress messages and cancellation) and the one-shot helpers built on the
// cursor steps: one-value selects, plain statements, statements with binds
// and table definitions.
#include <algorithm>
#include <cstring>

#include "oci/oci_cursor_p.h"
#include "oci/oci_library.h"
#include "oci/oci_special_columns.h"

using kestrel::OciMsgBuf;
using kestrel::oci_process;
namespace detail = kestrel::oci_detail;

namespace {

// Bytes of pool text expected per row, for sizing the first pool page.
std::size_t pool_estimate(const OciDataset& ds) {
  std::size_t per_row = 0;
  for (int32_t c = 0; c < ds.col_count; ++c) {
    const OciColumnDesc& d = ds.cols[static_cast<std::size_t>(c)];
    if (!ds.by_pointer[static_cast<std::size_t>(c)]) continue;
    if (d.kind == kestrel::kColumnLob) per_row += std::min<uint32_t>(d.wide_size, 1000);
    else if (d.kind == kestrel::kColumnObject) per_row += d.aux_size;
    else if (d.wide_size <= 100) per_row += d.wide_size;
    else if (d.wide_size <= 1000) per_row += 40;
    else per_row += 200;
  }
  return per_row;
}

// Converts rows [0, rows) of the cursor's fetch array into fresh records.
int convert_batch(OciSession* s, OciCursor* c, OciDataset* ds, int32_t rows, OciMsgBuf msg) {
  if (rows <= 0) return kestrel::kOciOk;
  unsigned char* block = ds->add_block(rows);
  if (!block) {
    msg.set(kestrel::kMsgNoMemory);
    return kestrel::kOciNoMemory;
  }
  if (c->lob_count > 0 || c->object_count > 0) {
    if (int rc = oci_lob_cell_texts(s, c, rows, msg); rc != kestrel::kOciOk) return rc;
    if (int rc = oci8_set_dataset_object(s, c, ds, block, rows, msg); rc != kestrel::kOciOk) return rc;
  }
  for (int32_t col = 0; col < ds->col_count; ++col) {
    const std::size_t ci = static_cast<std::size_t>(col);
    const OciColumnDesc& d = c->cols[ci];
    const std::size_t off = ds->col_offset[ci];
    const bool by_ptr = ds->by_pointer[ci];
    if (d.kind != kestrel::kColumnOrdinary) continue;
    for (int32_t r = 0; r < rows; ++r) {
      unsigned char* record = block + static_cast<std::size_t>(r) * ds->row_size;
      if (c->ind[ci][r] == -1) {
        if (by_ptr) ds->set_pointer(record, col, kOciEmptyText);
        continue;  // inline slots are already an empty text
      }
      const char* src = reinterpret_cast<const char*>(c->data[ci] + static_cast<std::size_t>(d.width) * static_cast<std::size_t>(r));
      std::size_t len = strnlen(src, d.width > 0 ? d.width - 1 : 0);
      if (!by_ptr) {
        kestrel::oci_decode_fetched(std::string_view(src, len), reinterpret_cast<char16_t*>(record + off));
        continue;
      }
      if (len == 0) {
        ds->set_pointer(record, col, kOciEmptyText);
        continue;
      }
      char16_t* dst = ds->pool.reserve(len);
      if (!dst) {
        msg.set(kestrel::kMsgNoMemory);
        return kestrel::kOciNoMemory;
      }
      std::size_t n = kestrel::oci_decode_fetched(std::string_view(src, len), dst);
      ds->pool.commit(n + 1);
      ds->set_pointer(record, col, dst);
    }
  }
  ds->row_count += rows;
  return kestrel::kOciOk;
}

int finish_error(OciSession* s, OciCursor* c, OciDataset* ds, int rc) {
  oci_write_log(s, u"\n---\nerror in oci_cre_sel_cursor:\n");
  oci_del_cursor(s, c, nullptr);
  ds->build_row_index();
  return rc;
}

}  // namespace

int oci_cre_sel_cursor(OciSession* s, OciDataset* ds, std::u16string_view sql, int rows_per_fetch, OciMsgBuf msg,
                       kestrel::MsgTarget* progress, CancelFlag* cancel, std::u16string_view format,
                       const OciBindArgs& args) {
  using namespace kestrel;
  if (!s || !ds) return kOciInternal;
  ds->clear();
  OciCursor cursor;
  OciCursor* c = &cursor;
  int rc = oci_cre_cursor(s, c, sql, msg);
  if (rc == kOciOk) rc = oci_bind_cursor(s, c, format, args, msg);
  if (rc == kOciOk) rc = oci_desc_cursor(s, c, msg);
  if (rc == kOciOk) rc = oci_define_cursor(s, c, rows_per_fetch, msg);
  if (rc != kOciOk) return finish_error(s, c, ds, rc);

  ds->set_columns(c->cols);
  std::size_t first_page = static_cast<std::size_t>(c->rows_per_fetch) * pool_estimate(*ds);
  if (c->rows_per_fetch > 20) first_page /= 4;
  first_page = first_page / 4096 * 4096 + 4096;
  if (ds->object_count > 0) first_page = std::max<std::size_t>(first_page, 2u << 20);
  ds->pool.set_first_page_size(first_page);

  if (progress) progress->send(kMsgIdProgressText, 0, reinterpret_cast<intptr_t>(kProgressSearching));
  rc = oci_exec_non_block_cursor(s, c, cancel, msg);
  if (rc == kOciOk && !s->lda_mode) rc = oci_fetch_sel_cursor(s, c, cancel, msg);
  if (rc != kOciOk) return finish_error(s, c, ds, rc);
  for (;;) {
    if (progress) progress->post(kMsgIdProgressRows, static_cast<uintptr_t>(ds->row_count), 0);
    rc = convert_batch(s, c, ds, c->rows_in_batch, msg);
    if (rc != kOciOk) return finish_error(s, c, ds, rc);
    if (c->end_of_data) break;
    if (detail::cancel_requested(cancel)) {
      msg.set(kMsgCancelled);
      return finish_error(s, c, ds, kOciCancelled);
    }
    rc = oci_fetch_sel_cursor(s, c, cancel, msg);
    if (rc != kOciOk) return finish_error(s, c, ds, rc);
  }
  ds->build_row_index();
  if (progress) progress->post(kMsgIdProgressRows, static_cast<uintptr_t>(ds->row_count), 0);
  int result = kOciOk;
  if (detail::cancel_requested(cancel)) {
    msg.set(kMsgCancelled);
    result = kOciCancelled;
  }
  oci_del_cursor(s, c, nullptr);
  return result;
}

int oci_cre_sel_cursor(OciSession* s, OciDataset* ds, std::u16string_view sql, int rows_per_fetch, OciMsgBuf msg,
                       std::u16string_view format, const OciBindArgs& args) {
  return oci_cre_sel_cursor(s, ds, sql, rows_per_fetch, msg, nullptr, nullptr, format, args);
}

int oci_select_value(OciSession* s, std::u16string_view sql, char16_t* out, std::size_t out_bytes, OciMsgBuf msg,
                     std::u16string_view format, const OciBindArgs& args) {
  using namespace kestrel;
  if (out && out_bytes >= 2) out[0] = u'\0';
  OciDataset ds;
  int rc = oci_cre_sel_cursor(s, &ds, sql, 1, msg, format, args);
  if (rc != kOciOk) return rc;
  if (ds.row_count != 1 || ds.col_count < 1) {
    msg.set(kMsgNoRow);
    return kOciNoRow;
  }
  // out_bytes / 2 - 1 characters and the terminator, cut on a character boundary.
  if (out && out_bytes >= 2) OciMsgBuf(out, out_bytes / 2).set(ds.text_view(0, 0));
  return kOciOk;
}

int oci_execute_sql(OciSession* s, std::u16string_view sql, OciMsgBuf msg) {
  OciCursor c;
  int rc = oci_cre_cursor(s, &c, sql, msg);
  if (rc == kestrel::kOciOk) rc = oci_exec_non_block_cursor(s, &c, nullptr, msg);
  int close_rc = oci_del_cursor(s, &c, rc == kestrel::kOciOk ? msg : nullptr);
  return rc != kestrel::kOciOk ? rc : close_rc;
}

int oci_execute_sql_with_binds(OciSession* s, std::u16string_view sql, OciMsgBuf msg, CancelFlag* cancel,
                               std::u16string_view format, const OciBindArgs& args) {
  OciCursor c;
  int rc = oci_cre_cursor(s, &c, sql, msg);
  if (rc == kestrel::kOciOk) rc = oci_bind_cursor(s, &c, format, args, msg, true);
  if (rc == kestrel::kOciOk) rc = oci_exec_non_block_cursor(s, &c, cancel, msg);
  int close_rc = oci_del_cursor(s, &c, rc == kestrel::kOciOk ? msg : nullptr);
  return rc != kestrel::kOciOk ? rc : close_rc;
}

int oci_get_table_def2(OciSession* s, OciCursor* c, std::u16string_view table, bool with_rowid, OciMsgBuf msg) {
  std::u16string sql = kestrel::format(with_rowid ? u"SELECT ROWID, A.* FROM %s A" : u"SELECT A.* FROM %s A", {table});
  int rc = oci_cre_cursor(s, c, sql, msg);
  if (rc == kestrel::kOciOk) rc = oci_desc_cursor(s, c, msg);
  return rc;
}
