// Pasting tab-separated text into a grid: fields separated by tabs, rows by
// line breaks; a field that starts with a double quote runs to the next
// single double quote ("" stands for one) and may hold tabs and line breaks.
#pragma once

#include <cstdint>
#include <string_view>

class CGridData;

namespace kestrel {

// Pastes `text` at the current cell (or over the selected range, widening it
// to the fields of the first line and repeating a single line over every
// selected row) through the grid's own slots, as one undo step. Returns
// grid::kOk, grid::kRefused (no valid current cell, nothing changed) or
// grid::kPasteFieldCut (pasted, but a field over 4 MiB was cut).
int32_t PasteText(CGridData& grid, std::u16string_view text);

}  // namespace kestrel
