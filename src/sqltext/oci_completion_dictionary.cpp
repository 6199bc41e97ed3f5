#include "sqltext/oci_completion_dictionary.h"

#include <cstring>
#include <vector>

#include "oci/oci_codes.h"
#include "oci/oci_dictionary.h"
#include "oci/oci_session.h"
#include "oci/oci_text.h"

namespace kestrel {

namespace {

constexpr std::size_t kMessageChars = 2048;

bool CancelRequested(const CancelFlag* cancel) { return cancel && cancel->load() == kCancelRequested; }

// Column `col` of fetched row `row` as text; NULL and the columns this
// path does not fetch as text (LOBs, objects) give the empty text.
std::u16string CellText(const OciCursor& c, std::size_t col, int32_t row) {
  const OciColumnDesc& d = c.cols[col];
  if (d.kind != kColumnOrdinary || c.ind[col][row] == -1 || d.width == 0) return {};
  const char* src = reinterpret_cast<const char*>(c.data[col] + static_cast<std::size_t>(d.width) * row);
  const std::size_t len = strnlen(src, d.width - 1);
  std::u16string text(len + 1, u'\0');
  text.resize(oci_decode_fetched(std::string_view(src, len), text.data()));
  return text;
}

}  // namespace

int OciCompletionDictionary::QueryRows(std::u16string_view sql, std::u16string_view owner, int rows_per_fetch,
                                       const RowSink& on_row, std::u16string* err) {
  char16_t msg[kMessageChars] = {};
  OciMsgBuf buf(msg);
  if (!session_) {
    if (err) *err = kMsgLibraryFailed;
    return 1;
  }
  OciCursor cursor;
  OciCursor* c = &cursor;
  int rc = oci_cre_cursor(session_, c, oci_dict_sql(sql), buf);
  if (rc == kOciOk) rc = oci_bind_cursor(session_, c, u"S", {owner}, buf);
  if (rc == kOciOk) rc = oci_desc_cursor(session_, c, buf);
  if (rc == kOciOk) rc = oci_define_cursor(session_, c, rows_per_fetch, buf);
  if (rc == kOciOk) rc = oci_exec_non_block_cursor(session_, c, cancel_, buf);
  // The old interface fetches the first array while executing.
  if (rc == kOciOk && !session_->lda_mode) rc = oci_fetch_sel_cursor(session_, c, cancel_, buf);
  std::vector<std::u16string> row;
  bool sink_stopped = false;
  while (rc == kOciOk) {
    for (int32_t r = 0; r < c->rows_in_batch && !sink_stopped; ++r) {
      row.clear();
      for (std::size_t col = 0; col < c->cols.size(); ++col) row.push_back(CellText(*c, col, r));
      if (rows_read_) rows_read_->fetch_add(1, std::memory_order_relaxed);
      sink_stopped = !on_row(row);
    }
    if (sink_stopped || c->end_of_data) break;
    if (CancelRequested(cancel_)) {
      buf.set(kMsgCancelled);
      rc = kOciCancelled;
      break;
    }
    rc = oci_fetch_sel_cursor(session_, c, cancel_, buf);
  }
  oci_del_cursor(session_, c, nullptr);
  if (rc != kOciOk) {
    oci_write_log(session_, u"\n---\nerror in oci_cre_sel_cursor:\n");
    if (err) *err = msg;
    return 1;
  }
  return 0;
}

}  // namespace kestrel
