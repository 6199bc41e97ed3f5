// LOB and BFILE contents: the short texts shown in grid cells, the whole
// CLOB read for editing, copying a LOB to a file and a file into a LOB, and
// the directory alias and file name of a BFILE.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "oci/oci_abi.h"
#include "oci/oci_cursor.h"
#include "oci/oci_special_columns.h"
#include "oci/oci_text.h"

namespace kestrel {

// Where a whole CLOB is read to: the editor's text buffer implements this
// (the Oracle layer knows nothing of the editor).
class OciTextSink {
 public:
  virtual ~OciTextSink() = default;
  // Appends a piece of text; false when out of memory.
  virtual bool append_text(std::u16string_view piece) = 0;
  // Called after the last piece: loading is not an edit to undo.
  virtual void reset_undo() = 0;
};

// "%dbyte", "%dkbyte", "%dMbyte" or "%dGbyte" (whole units, rounded down).
std::u16string oci_lob_size_text(uint64_t bytes);
// Characters of a CLOB that fit a cell buffer of `aux_size` bytes.
uint32_t oci_clob_chars_to_read(uint32_t aux_size, uint32_t code_page);
// "<BLOB %s>" and "<BFILE dir_alias:%s file_name:%s %s>".
std::u16string oci_blob_cell_text(uint64_t bytes);
std::u16string oci_bfile_cell_text(std::u16string_view dir_alias, std::u16string_view file_name,
                                   std::u16string_view size_text);

inline constexpr char16_t kBfileNotFound[] = u"not found";
inline constexpr std::size_t kBfileAliasMax = 59;   // bytes
inline constexpr std::size_t kBfileNameMax = 255;   // bytes
inline constexpr uint32_t kLobPieceBytes = 4096;

// Reads the alias and file name back from a BFILE cell text. The file name
// may hold blanks; the size text is whatever follows the last blank before
// the closing '>'. A text not of that form answers 21 with a message.
struct OciBfileName {
  std::u16string dir_alias;
  std::u16string file_name;
};
int oci_parse_bfile_text(std::u16string_view text, OciBfileName* out, OciMsgBuf msg);

}  // namespace kestrel

// The whole CLOB of a cell into a text sink (nothing for a NULL CLOB).
int oci_read_clob_data(OciSession* s, kestrel::OciTextSink* sink, const OciLobHeader* lob, kestrel::OciMsgBuf msg);
// Copies the cell's LOB or BFILE into a file. The file appears only when the
// copy is complete (written beside it under a temporary name, then renamed);
// a failure or a cancel leaves no file behind.
int oci_hlob_download(OciSession* s, const OciLobHeader* lob, std::u16string_view path, kestrel::OciMsgBuf msg,
                      CancelFlag* cancel = nullptr);
// Replaces the cell's LOB content by a file's bytes; an empty path does nothing.
int oci_hlob_upload(OciSession* s, const OciLobHeader* lob, std::u16string_view path, kestrel::OciMsgBuf msg);
// Directory alias and file name of a BFILE locator.
int oci_hlob_get_name(OciSession* s, const OCILobLocator* locator, std::u16string* dir_alias,
                      std::u16string* file_name, kestrel::OciMsgBuf msg);
