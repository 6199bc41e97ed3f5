// Search highlight of a drawn cell text: the spans every match covers.
#pragma once

#include <cstddef>
#include <string_view>
#include <utility>
#include <vector>

namespace kestrel {

class Regex;

// Match spans [start, end) of `re` over `text`, left to right. An empty
// match highlights nothing and the search moves on one character (a whole
// surrogate pair); when the engine gives up (step budget) nothing is
// highlighted, so the cell is drawn plain.
std::vector<std::pair<std::size_t, std::size_t>> HighlightSpans(Regex& re, std::u16string_view text);

}  // namespace kestrel
