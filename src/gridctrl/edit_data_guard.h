// Whether a cell's edit text is whole. A CLOB cell whose full text could not
// be read from the database gives only its shown prefix; an editor loaded
// with it would write the prefix back and cut the CLOB, so the in-place
// editor and the data dialog refuse such a cell (the data has shown the
// Oracle message).
#pragma once

#include <cstdint>

class CGridData;

namespace kestrel {

bool IsEditDataComplete(const CGridData& data, int32_t row, int32_t col);

}  // namespace kestrel
