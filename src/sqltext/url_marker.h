// Marking of URLs and e-mail addresses in one line of editor text, and what
// to open for a marked word.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace kestrel {

// Sets kAttrUrl on the characters of `line` that belong to a URL
// ("http://", "https://", "ftp://" or "www." and what follows) or to an
// e-mail address, and clears it on the others. `attr` has one byte per
// character of `line`.
void MarkUrls(std::u16string_view line, std::span<uint8_t> attr);

// The run of marked characters around `col`, or an empty view when the
// character at `col` is not marked.
std::u16string_view MarkedWordAt(std::u16string_view line, std::span<const uint8_t> attr, std::size_t col);

// What opening a marked word opens: the word itself when it starts with one
// of the URL prefixes, else "mailto:" and the word.
std::u16string UrlToOpen(std::u16string_view word);

}  // namespace kestrel
