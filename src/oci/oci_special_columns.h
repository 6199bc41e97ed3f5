// LOB, BFILE, object and REF columns of a fetched batch. The select driver
// hands these columns over here before and while a batch is copied into the
// dataset; the LOB and object layer fills in the cell texts and gives every
// dataset row a locator of its own.
#pragma once

#include <cstdint>

#include "oci/oci_abi.h"
#include "oci/oci_text.h"

struct OciSession;
struct OciCursor;
struct OciDataset;

// The 24 bytes in front of every LOB or BFILE value, in the fetch buffer and
// in the dataset record.
struct OciLobHeader {
  OCILobLocator* locator;
  uint32_t length;       // characters for a CLOB, bytes for a BLOB or BFILE
  uint8_t form;          // character set form
  uint16_t csid;         // character set id
  uint8_t null_flag;     // 1: the fetched value was NULL
  uint8_t complete;      // 1: the cell text holds the whole CLOB
  uint16_t define_type;  // 112, 113 or 114
};
static_assert(sizeof(OciLobHeader) <= 24, "a LOB header fits its 24 bytes");

// Fills the header and text of every LOB/BFILE cell of the fetched batch
// (rows 0..rows-1 of the cursor's fetch array).
int oci_lob_cell_texts(OciSession* s, OciCursor* c, int32_t rows, kestrel::OciMsgBuf msg);
// Copies the LOB, object and REF cells of the batch into the dataset records
// starting at `records` (one per row, dataset row size apart).
int oci8_set_dataset_object(OciSession* s, OciCursor* c, OciDataset* ds, unsigned char* records, int32_t rows,
                            kestrel::OciMsgBuf msg);
