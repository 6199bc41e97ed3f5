// Oracle type table. Every ordinary column, numbers and dates included, is
// fetched as text in the session's formats; the width is the text buffer per
// row, terminator included.
#include "oci/oci_types.h"

#include "oci/oci_codes.h"
#include "oci/oci_library.h"
#include "platform/codepage.h"
#include "platform/format.h"
#include "platform/utf16.h"

namespace kestrel {
namespace {

constexpr uint16_t kNational = 2;

// Clients report a NUMBER without precision as precision 0, scale -127, and
// a FLOAT(p) as precision p, scale -127: -127 marks "no decimal scale", it is
// not a scale to widen the text by.
constexpr int kFloatScale = -127;

uint32_t number_width(int precision, int scale, int default_precision) {
  int p = precision != 0 ? precision : default_precision;
  if (scale == kFloatScale) return static_cast<uint32_t>(p + 3);
  if (scale < 0) return static_cast<uint32_t>(p + 3 - scale);
  if (scale > p) return static_cast<uint32_t>(scale + 3);
  return static_cast<uint32_t>(p + 3);
}

}  // namespace

bool oci_set_column_width(OciColumnDesc& d, OciPath path, uint32_t code_page, bool sjis_database,
                          bool objects_usable) {
  const OciProcess& proc = oci_process();
  d.define_type = 5;
  d.kind = kColumnOrdinary;
  d.aux_size = 0;
  bool ok = true;
  switch (d.data_type) {
    case 1:
    case 96: {
      uint32_t w = d.data_size == 0 ? 2001 : d.data_size + 1;
      if (code_page == kCodePageUtf8) w *= (path == OciPath::Newer && sjis_database) ? 3 : 2;
      d.width = w;
      break;
    }
    case 2:
      d.width = number_width(d.precision, d.scale, path == OciPath::Newer ? 130 : 38);
      break;
    case 4:
      d.width = static_cast<uint32_t>((d.precision != 0 ? d.precision : 130) + 3);
      break;
    case 8: d.width = proc.long_read_buf_size; break;
    case 11:
    case 104: d.width = 24; break;
    case 12: d.width = 32; break;
    case 23: d.width = d.data_size * 2 + 1; break;
    case 24: d.width = 2000; break;
    case 180: case 187: case 181: case 188: case 182: case 189: case 183: case 190: case 231: case 232:
      d.width = 48;
      break;
    case 100:
    case 101:
      if (path == OciPath::Old) ok = false;
      d.width = d.data_type == 100 ? 20 : 40;
      break;
    case 108:
      ok = path == OciPath::Newer && objects_usable;
      d.define_type = 108;
      d.kind = kColumnObject;
      d.width = 16;
      d.aux_size = proc.clob_read_buf_size;
      break;
    case 110:
      ok = path == OciPath::Newer && objects_usable;
      d.define_type = 110;
      d.kind = kColumnObject;
      d.width = 16;
      d.aux_size = 300;
      break;
    case 112:
      ok = path == OciPath::Newer;
      d.define_type = 112;
      d.kind = kColumnLob;
      d.width = proc.clob_read_buf_size + kLobHeaderBytes;
      d.aux_size = proc.clob_read_buf_size;
      break;
    case 113:
      ok = path == OciPath::Newer;
      d.define_type = 113;
      d.kind = kColumnLob;
      d.width = 72;
      d.aux_size = 48;
      break;
    case 114:
      ok = path == OciPath::Newer;
      d.define_type = 114;
      d.kind = kColumnLob;
      d.width = 536;
      d.aux_size = 512;
      break;
    default:
      ok = false;
      d.width = 0;
      break;
  }
  d.wide_size = d.width * 2;
  return ok;
}

}  // namespace kestrel

void oci_get_type_name(const OciColumnDesc& d, std::u16string* name, std::u16string* length_text) {
  using kestrel::format;
  using kestrel::to_u16;
  std::u16string n, len;
  switch (d.data_type) {
    case 1:
      if (d.charset_form == kestrel::kNational) {
        n = u"NVARCHAR2";
        len = to_u16(d.data_size / 2);
      } else {
        n = u"VARCHAR2";
        len = to_u16(d.data_size);
      }
      break;
    case 96: n = u"CHAR"; len = to_u16(d.data_size); break;
    case 2:
      n = d.scale == kestrel::kFloatScale && d.precision != 0 ? u"FLOAT" : u"NUMBER";
      if (d.precision == 0) len.clear();
      else if (d.scale == 0 || d.scale == kestrel::kFloatScale) len = to_u16(d.precision);
      else len = format(u"%d,%d", {d.precision, d.scale});
      break;
    case 4: n = u"FLOAT"; len = to_u16(d.precision); break;
    case 8: n = u"LONG"; len = to_u16(d.data_size); break;
    case 11: case 104: n = u"ROWID"; break;
    case 12: n = u"DATE"; break;
    case 23: n = u"RAW"; len = to_u16(d.data_size); break;
    case 24: n = u"LONG RAW"; break;
    case 100: n = u"BINARY_FLOAT"; break;
    case 101: n = u"BINARY_DOUBLE"; break;
    case 108:
      n = d.type_name.empty() ? format(u"-UNKNOWN TYPE-%d", {d.data_type}) : d.type_name;
      break;
    case 112: n = d.charset_form == kestrel::kNational ? u"NCLOB" : u"CLOB"; break;
    case 113: n = u"BLOB"; break;
    case 114: n = u"BFILE"; break;
    case 180: case 187: n = u"TIMESTAMP"; break;
    case 181: case 188: n = u"TIMESTAMP WITH TIMEZONE"; break;
    case 182: case 189: n = u"INTERVAL YEAR(2) TO MONTH"; break;
    case 183: case 190: n = u"INTERVAL DAY(2) TO SECOND(6)"; break;
    case 231: case 232: n = u"TIMESTAMP WITH LOCAL TIMEZONE"; break;
    default:  // 110 (REF) and every unknown code
      n = format(u"-UNKNOWN-%d", {d.data_type});
      len = to_u16(d.data_size);
      break;
  }
  if (name) *name = std::move(n);
  if (length_text) *length_text = std::move(len);
}
