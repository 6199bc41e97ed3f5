// Display columns of editor text: a full-width (East Asian wide) character
// takes two columns, a tab runs to the next tab stop, a surrogate pair is
// one character. The buffer's box selection and the display share these.
#pragma once

#include <cstdint>
#include <string_view>

namespace kestrel {

// Columns a character takes outside tabs: 2 for full-width, else 1.
int CharColumns(char32_t c);
// Display column of character column `col` of `line`; `start_x` is the
// column `line` starts at (a piece of a longer line: tab stops stay put).
int32_t DisplayColumnOf(std::u16string_view line, int32_t col, int tab_width, int32_t start_x = 0);
// Character column shown at display column `x`: the character covering
// it, or with `nearest` the nearer character edge; never inside a
// surrogate pair; past the end, the line length.
int32_t CharColumnAt(std::u16string_view line, int32_t x, int tab_width, bool nearest = false, int32_t start_x = 0);
// The characters of `line` that overlap display columns [left, right), as
// character columns [*from, *to).
void CharRangeIn(std::u16string_view line, int32_t left, int32_t right, int tab_width, int32_t* from, int32_t* to);

}  // namespace kestrel
