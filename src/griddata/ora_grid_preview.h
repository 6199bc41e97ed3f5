// The edits of a CEditableOraGridData as a script of DELETE, UPDATE and
// INSERT statements keyed by the table's primary key, for the user to read
// or run elsewhere.
#pragma once

#include <string>
#include <string_view>

#include "oci/oci_text.h"

class CEditableOraGridData;

namespace kestrel {
// NULL for an empty text, else the text in single quotes with each quote doubled.
std::u16string ora_quoted_literal(std::u16string_view text);
}  // namespace kestrel

// Returns 0 with the script in *out, or 1 with the reason in `msg`.
int oci_preview_grid_sql(const CEditableOraGridData* grid, std::u16string* out, kestrel::OciMsgBuf msg);
