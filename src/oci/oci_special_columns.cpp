// LOB, BFILE, object and REF cells of a fetched batch: the cell texts in the
// fetch buffer, then the copy into the dataset with a locator of each row's
// own (the cursor frees its fetch locators when it closes).
#include "oci/oci_special_columns.h"

#include <cstring>

#include "oci/oci_codes.h"
#include "oci/oci_cursor.h"
#include "oci/oci_dataset.h"
#include "oci/oci_library.h"
#include "oci/oci_lob.h"
#include "oci/oci_lob_p.h"
#include "oci/oci_object.h"
#include "platform/client_text.h"

using kestrel::OciMsgBuf;
using kestrel::oci_fn;
using kestrel::oci_lob_detail::oracle_failure;

namespace {

constexpr char16_t kLogLobSize[] = u"\n---\nerror in oci_get_lob_size:\n";
constexpr char16_t kLogCharset[] = u"\n---\nerror in oci_get_lob_charset_info:\n";
constexpr char16_t kLogSetObject[] = u"\n---\nerror in oci8_set_dataset_object:\n";

unsigned char* slot_of(OciCursor* c, std::size_t col, int32_t row) {
  return c->data[col] + static_cast<std::size_t>(c->cols[col].width) * static_cast<std::size_t>(row);
}

// Writes a text into the cell buffer behind the header (session code page,
// cut on a character boundary, terminated).
void put_cell_text(unsigned char* slot, uint32_t aux, std::u16string_view text) {
  if (aux == 0) return;
  char* dst = reinterpret_cast<char*>(slot + kestrel::kLobHeaderBytes);
  kestrel::oci_truncate_copy(dst, aux, kestrel::oci_wide_to_mb(text));
}

int clob_text(OciSession* s, const OciColumnDesc& d, unsigned char* slot, OciLobHeader& h) {
  using namespace kestrel;
  const auto& fn = oci_fn();
  ub4 length = 0;
  if (fn.OCILobGetLength(s->svc, s->err, h.locator, &length) != OCI_SUCCESS) return -1;
  h.length = length;
  const uint32_t want = oci_clob_chars_to_read(d.aux_size, program_code_page());
  char* text = reinterpret_cast<char*>(slot + kLobHeaderBytes);
  std::memset(text, 0, d.aux_size);
  if (want != 0 && length > 0) {
    ub1 form = 0;
    if (fn.OCILobCharSetForm(oci_process().env, s->err, h.locator, &form) != OCI_SUCCESS) return -2;
    h.form = form;
    ub4 amount = want;
    sword rc = fn.OCILobRead(s->svc, s->err, h.locator, &amount, 1, text, d.aux_size - 1, nullptr, nullptr, h.csid,
                             h.form);
    if (rc == OCI_NEED_DATA) {
      // A partial read is enough for the cell; end the read so the next call starts afresh.
      fn.OCIBreak(s->svc, s->err);
      fn.OCIReset(s->svc, s->err);
    } else if (rc != OCI_SUCCESS) {
      return -1;
    }
    std::size_t n = strnlen(text, d.aux_size - 1);
    text[oci_char_boundary(std::string_view(text, n), n)] = '\0';
  }
  h.complete = length <= want ? 1 : 0;
  return 0;
}

bool null_ref(const void* indicator) {
  if (!indicator) return false;
  OCIInd ind;
  std::memcpy(&ind, indicator, sizeof ind);
  return ind == OCI_IND_NULL;
}

}  // namespace

int oci_lob_cell_texts(OciSession* s, OciCursor* c, int32_t rows, OciMsgBuf msg) {
  using namespace kestrel;
  const auto& fn = oci_fn();
  for (std::size_t col = 0; col < c->cols.size(); ++col) {
    const OciColumnDesc& d = c->cols[col];
    if (d.kind != kColumnLob) continue;
    for (int32_t r = 0; r < rows; ++r) {
      unsigned char* slot = slot_of(c, col, r);
      OciLobHeader h;
      std::memcpy(&h, slot, sizeof h);
      OCILobLocator* loc = h.locator;
      std::memset(&h, 0, sizeof h);
      h.locator = loc;
      h.define_type = d.define_type;
      h.form = d.charset_form;
      if (d.aux_size > 0) slot[kLobHeaderBytes] = 0;
      if (c->ind[col][r] == -1 || !loc) {
        h.null_flag = 1;
        std::memcpy(slot, &h, sizeof h);
        continue;
      }
      if (d.define_type == SQLT_CLOB) {
        int rc = clob_text(s, d, slot, h);
        if (rc != 0) return oracle_failure(s, rc == -2 ? kLogCharset : kLogLobSize, msg);
      } else if (d.define_type == SQLT_BLOB) {
        ub4 length = 0;
        if (fn.OCILobGetLength(s->svc, s->err, loc, &length) != OCI_SUCCESS) return oracle_failure(s, kLogLobSize, msg);
        h.length = length;
        put_cell_text(slot, d.aux_size, oci_blob_cell_text(length));
      } else {
        std::u16string alias, name;
        if (int rc = oci_hlob_get_name(s, loc, &alias, &name, msg); rc != kOciOk) return rc;
        ub4 length = 0;
        std::u16string size_text;
        if (fn.OCILobGetLength(s->svc, s->err, loc, &length) != OCI_SUCCESS) {
          // A missing or unreadable file is shown, not an error of the fetch.
          char16_t ignored[kOracleTextMax + 2];
          oracle_failure(s, kLogLobSize, OciMsgBuf(ignored));
          size_text = kBfileNotFound;
        } else {
          h.length = length;
          size_text = oci_lob_size_text(length);
        }
        put_cell_text(slot, d.aux_size, oci_bfile_cell_text(alias, name, size_text));
      }
      std::memcpy(slot, &h, sizeof h);
    }
  }
  return kOciOk;
}

int oci8_set_dataset_object(OciSession* s, OciCursor* c, OciDataset* ds, unsigned char* records, int32_t rows,
                            OciMsgBuf msg) {
  using namespace kestrel;
  const auto& fn = oci_fn();
  OciProcess& proc = oci_process();
  auto fail = [&](int rc) {
    oci_write_log(s, kLogSetObject);
    return rc;
  };
  for (int32_t col = 0; col < ds->col_count; ++col) {
    const std::size_t ci = static_cast<std::size_t>(col);
    const OciColumnDesc& d = c->cols[ci];
    if (d.kind == kColumnOrdinary) continue;
    for (int32_t r = 0; r < rows; ++r) {
      unsigned char* rec = records + static_cast<std::size_t>(r) * ds->row_size;
      unsigned char* slot = slot_of(c, ci, r);
      if (d.kind == kColumnLob) {
        OciLobHeader h;
        std::memcpy(&h, slot, sizeof h);
        OCILobLocator* fetched = h.locator;
        h.locator = nullptr;
        if (!h.null_flag && fetched) {
          const ub4 dtype = d.define_type == SQLT_BFILEE ? OCI_DTYPE_FILE : OCI_DTYPE_LOB;
          void* own = nullptr;
          if (fn.OCIDescriptorAlloc(proc.env, &own, dtype, 0, nullptr) != OCI_SUCCESS) {
            msg.set(kMsgNoMemory);
            return fail(kOciNoMemory);
          }
          OCILobLocator* dst = static_cast<OCILobLocator*>(own);
          boolean temporary = 0;
          sword rc = fn.OCILobIsTemporary(proc.env, s->err, fetched, &temporary);
          if (rc == OCI_SUCCESS)
            rc = temporary ? fn.OCILobLocatorAssign(s->svc, s->err, fetched, &dst)
                           : fn.OCILobAssign(proc.env, s->err, fetched, &dst);
          if (rc != OCI_SUCCESS) {
            fn.OCIDescriptorFree(own, dtype);
            return fail(oracle_failure(s, kLogSetObject, msg));
          }
          h.locator = dst;
        }
        std::memcpy(rec + ds->col_offset[ci] - kLobHeaderBytes, &h, sizeof h);
        const char* text = reinterpret_cast<const char*>(slot + kLobHeaderBytes);
        std::size_t n = d.aux_size > 0 ? strnlen(text, d.aux_size - 1) : 0;
        if (n == 0) {
          ds->set_pointer(rec, col, kOciEmptyText);
        } else if (!ds->set_text(rec, col, oci_mb_to_wide(std::string_view(text, n)))) {
          msg.set(kMsgNoMemory);
          return fail(kOciNoMemory);
        }
        continue;
      }
      // Object and REF: the client's buffers belong to this batch only, so
      // the record keeps the text, not the pointers.
      void* object = nullptr;
      void* indicator = nullptr;
      std::memcpy(&object, slot, sizeof object);
      std::memcpy(&indicator, slot + sizeof object, sizeof indicator);
      std::u16string text;
      int rc = d.define_type == SQLT_REF
                   ? oci8_read_ref_main(s, null_ref(indicator) ? nullptr : static_cast<OCIRef*>(object), d.aux_size,
                                        &text, msg)
                   : oci8_set_dataset_object_main(s, d.type_desc, object, indicator, d.aux_size, &text, msg);
      if (rc != kOciOk) return fail(rc);
      if (text.empty()) {
        ds->set_pointer(rec, col, kOciEmptyText);
      } else if (!ds->set_text(rec, col, text)) {
        msg.set(kMsgNoMemory);
        return fail(kOciNoMemory);
      }
    }
  }
  return kOciOk;
}
