#include "app/document_workers.h"

#include "app/table_query.h"
#include "griddata/ora_grid_data.h"
#include "griddata/ora_grid_save.h"
#include "oci/oci_codes.h"
#include "platform/background_operation.h"

namespace kestrel {

int RunQueryOnWorker(OciSession* s, const std::u16string& sql, OciDataset* out, std::u16string* msg) {
  std::u16string text;
  BackgroundOperation op([&](BackgroundOperation& self) {
    return RunSelectInto(s, sql, out, &text, nullptr, &self.cancel_state());
  });
  if (!op.created()) {
    *msg = kThreadCreateError;
    return kResultNoThread;
  }
  op.start();
  const int rc = op.finish();
  *msg = std::move(text);
  return rc;
}

int RunSaveOnWorker(CEditableOraGridData& grid, OciSession* s, std::u16string* msg, int32_t* row, int32_t* col) {
  char16_t buf[kOracleTextMax + 1] = {};
  CellPoint err;
  BackgroundOperation op([&](BackgroundOperation& self) {
    return oci_save_grid_data(&grid, s, &err, OciMsgBuf(buf), nullptr, &self.cancel_state());
  });
  if (!op.created()) {
    *msg = kThreadCreateError;
    *row = *col = -1;
    return kResultNoThread;
  }
  op.start();
  const int rc = op.finish();
  *msg = buf;
  *row = err.row;
  *col = err.col;
  return rc;
}

}  // namespace kestrel
