// Writing one LOB, BFILE or object cell of a saved row. The row is found by
// its ROWID ("where rowid = :X0") in an ordinary table, or by its primary key
// in an index-organised table, whose ROWID column holds only a constant.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "griddata/grid_data.h"
#include "oci/oci_cursor.h"
#include "oci/oci_text.h"

class CEditableOraGridData;
struct OciSession;

namespace kestrel {

// How a statement names one row.
struct RowLocator {
  // Key column names ("ROWID" alone for an ordinary table) and the row's
  // values for them (its ROWID text, or the fetched key values).
  std::vector<std::u16string> keys;
  std::vector<std::u16string> values;
  bool by_rowid() const { return keys.size() == 1 && keys[0] == u"ROWID"; }
  // "where rowid = :X<first> \n", or the key clause with binds from `first`.
  std::u16string Clause(int first_bind) const;
};

inline constexpr char16_t kLobNotFound[] = u"LOBデータが見つかりません";

// Writes the cell (row, col) of `grid` to the row `at`. `inserted`: the row
// was just inserted with empty_clob()/empty_blob()/NULL in its LOB columns.
// On failure the message is "insert/update lob error\n%s" and *err names the
// cell.
int oci_write_lob_cell(CEditableOraGridData* grid, OciSession* s, int32_t row, int32_t col, const RowLocator& at,
                       bool inserted, CellPoint* err, OciMsgBuf msg, CancelFlag* cancel);

// Refuses an object expression that could reach past its place in the
// statement: a ';', an unterminated comment or quote. 0, or 13 with the
// Oracle-style reason in `msg`.
int oci_check_object_expression(std::u16string_view text, OciMsgBuf msg);

}  // namespace kestrel
