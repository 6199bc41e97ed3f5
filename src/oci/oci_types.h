// The column descriptor shared by cursors and datasets, and the Oracle type
// table: display names, length texts and the fetch buffer width chosen for
// every data type code the client reports.
#pragma once

#include <cstdint>
#include <string>

#include "oci/oci_abi.h"

struct OciColumnDesc {
  std::string name;           // session code page, at most kColumnNameMax bytes
  std::u16string wname;
  uint16_t define_type = 5;   // 5 text; 108 object, 110 REF, 112 CLOB, 113 BLOB, 114 BFILE
  uint32_t width = 0;         // fetch buffer bytes per row
  int16_t precision = 0;
  int16_t scale = 0;          // as reported; -127 for FLOAT
  uint8_t nullable = 0;
  uint16_t data_type = 0;     // Oracle data type code
  uint32_t data_size = 0;
  uint32_t wide_size = 0;     // wide display size in bytes: twice the width
  uint8_t kind = 0;           // 0 ordinary, 1 LOB/BFILE, 2 object/REF
  uint32_t aux_size = 0;      // LOB text bytes per row, or the object buffer size
  OCIType* type_desc = nullptr;
  uint8_t charset_form = 1;   // 1 implicit, 2 national
  std::u16string type_name;   // object type name, when the describe could read it
};

namespace kestrel {

enum class OciPath { Newer, Old };

// Fills width, define type, kind, auxiliary size and wide size from the data
// type, sizes, precision and scale already in `desc`. Returns false for a
// code this path cannot fetch.
bool oci_set_column_width(OciColumnDesc& desc, OciPath path, uint32_t code_page, bool sjis_database,
                          bool objects_usable);

}  // namespace kestrel

// Display name and length text of a column per the type table.
void oci_get_type_name(const OciColumnDesc& desc, std::u16string* name, std::u16string* length_text);
