// The colouring pass of the editor: per-character attribute bits for
// keywords (by kind), comments and quoted text, found with the shared SQL
// tokenizer, plus URL and e-mail marks.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string_view>

#include "sqltext/keyword_table.h"
#include "sqltext/str_token.h"

namespace kestrel {

// Colours one line. `in` is the state the previous line ended in (an open
// block comment or quote); the state this line ends in is returned. `attr`
// has one byte per character of `line`; every bit the pass owns is set
// afresh. `keywords` may be null (no keyword file: nothing is a keyword).
CStrToken::LexState ColourLine(const CStrToken& tokenizer, const std::shared_ptr<const KeywordTable>& keywords,
                               std::u16string_view line, CStrToken::LexState in, std::span<uint8_t> attr,
                               bool mark_urls);

}  // namespace kestrel
