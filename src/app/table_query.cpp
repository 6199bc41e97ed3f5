#include "app/table_query.h"

#include "oci/oci_codes.h"
#include "oci/oci_cursor.h"
#include "oci/oci_dataset.h"
#include "oci/oci_dictionary.h"
#include "oci/oci_session.h"
#include "platform/format.h"

namespace kestrel {
namespace {

constexpr std::size_t kMsgChars = kOracleTextMax + 1;
// Rows per fetch of the grid's query.
constexpr int kQueryRowsPerFetch = 100;

}  // namespace

std::u16string UnsupportedColumnMessage(const std::vector<std::u16string>& entries,
                                        const std::vector<CatalogColumn>& columns) {
  for (const std::u16string& entry : entries) {
    if (IsReadOnlyEntry(entry)) continue;
    const CatalogColumn* col = FindColumn(columns, entry);
    if (col != nullptr && col->type == kLongRawType) return format(u"%sはサポートされていません", {col->type});
  }
  return {};
}

int RollbackBeforeQuery(OciSession* s, std::u16string* err) {
  char16_t msg[kMsgChars] = {};
  int rc = oci_ora_rollback(s, OciMsgBuf(msg));
  if (rc != kOciOk && err) *err = msg;
  return rc;
}

int BuildQueryStatement(OciSession* s, const CStrToken& tok, SelectRequest req, std::u16string* sql,
                        std::u16string* err) {
  char16_t msg[kMsgChars] = {};
  std::u16string iot;
  int rc = oci_get_iot_type(s, req.owner, req.table, &iot, OciMsgBuf(msg));
  if (rc != kOciOk) {
    *err = msg;
    return rc;
  }
  req.index_organized = !iot.empty();
  req.key_columns.clear();
  if (req.index_organized) {
    OciDataset keys;
    rc = oci_get_primary_key(s, &keys, req.owner, req.table, OciMsgBuf(msg));
    if (rc != kOciOk) {
      *err = msg;
      return rc;
    }
    int col = oci_find_column(&keys, u"COLUMN_NAME");
    for (int32_t r = 0; col >= 0 && r < keys.row_count; ++r) req.key_columns.emplace_back(keys.text_view(r, col));
  }
  if (!BuildSelectStatement(tok, req, sql, err)) return kOciInternal;
  return kOciOk;
}

int RunSelectInto(OciSession* s, const std::u16string& sql, OciDataset* out, std::u16string* msg,
                  MsgTarget* progress, std::atomic<int32_t>* cancel) {
  char16_t buf[kMsgChars] = {};
  int rc = oci_cre_sel_cursor(s, out, sql, kQueryRowsPerFetch, OciMsgBuf(buf), progress, cancel);
  if (msg) *msg = buf;
  return rc;
}

bool AcceptQueryResult(int rc, const OciDataset& ds, std::u16string* msg) {
  if (rc == kOciOk) return true;
  if (rc == kOciCancelled) {
    if (ds.col_count > 0) return true;
    if (msg) *msg = kMsgCancelled;
  }
  return false;
}

}  // namespace kestrel
