// The plain form of the LOB and object conversion: headers carry the define
// type and the NULL flag, cell texts stay empty and no locator is copied
// into the dataset. The LOB and object layer gives these cells their texts.
#include "oci/oci_special_columns.h"

#include <cstring>

#include "oci/oci_codes.h"
#include "oci/oci_cursor.h"
#include "oci/oci_dataset.h"

int oci_lob_cell_texts(OciSession*, OciCursor* c, int32_t rows, kestrel::OciMsgBuf) {
  for (std::size_t col = 0; col < c->cols.size(); ++col) {
    const OciColumnDesc& d = c->cols[col];
    if (d.kind != kestrel::kColumnLob) continue;
    for (int32_t r = 0; r < rows; ++r) {
      unsigned char* slot = c->data[col] + static_cast<std::size_t>(d.width) * static_cast<std::size_t>(r);
      OciLobHeader h;
      std::memcpy(&h, slot, sizeof h);
      h.length = 0;
      h.form = d.charset_form;
      h.csid = 0;
      h.null_flag = c->ind[col][r] == -1 ? 1 : 0;
      h.complete = 0;
      h.define_type = d.define_type;
      std::memcpy(slot, &h, sizeof h);
    }
  }
  return kestrel::kOciOk;
}

int oci8_set_dataset_object(OciSession*, OciCursor* c, OciDataset* ds, unsigned char* records, int32_t rows,
                            kestrel::OciMsgBuf) {
  for (int32_t col = 0; col < ds->col_count; ++col) {
    const OciColumnDesc& d = c->cols[static_cast<std::size_t>(col)];
    if (d.kind == kestrel::kColumnOrdinary) continue;
    for (int32_t r = 0; r < rows; ++r) {
      unsigned char* rec = records + static_cast<std::size_t>(r) * ds->row_size;
      if (d.kind == kestrel::kColumnLob) {
        // The header without the fetch locator: the cursor frees its locators
        // when it closes, so only a locator of the row's own may live here.
        OciLobHeader h;
        std::memcpy(&h, c->data[static_cast<std::size_t>(col)] + static_cast<std::size_t>(d.width) * static_cast<std::size_t>(r), sizeof h);
        h.locator = nullptr;
        std::memcpy(rec + ds->col_offset[static_cast<std::size_t>(col)] - kestrel::kLobHeaderBytes, &h, sizeof h);
      }
      ds->set_pointer(rec, col, kOciEmptyText);
    }
  }
  return kestrel::kOciOk;
}
