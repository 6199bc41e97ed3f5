// Conversions between UTF-16 and the client's multibyte text. Code page 0 is
// Shift-JIS with the Windows mappings (CP932), 65001 is UTF-8. They behave
// like the Windows conversion calls the program was designed around: a
// conversion never fails, invalid bytes become U+FFFD, characters the target
// cannot hold become '?', and the buffer forms answer the needed size when
// given no room.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace kestrel {

inline constexpr uint32_t kCodePageAnsi = 0;      // CP932 here
inline constexpr uint32_t kCodePageUtf8 = 65001;

std::u16string multibyte_to_wide(uint32_t code_page, std::string_view bytes);
// `lossy`, when given, is set when a character had no mapping.
std::string wide_to_multibyte(uint32_t code_page, std::u16string_view text, bool* lossy = nullptr);

// Buffer forms: with capacity 0 the needed size (in units, no terminator) is
// returned and nothing is written; a capacity too small returns 0 and writes
// nothing, as the Windows calls fail with ERROR_INSUFFICIENT_BUFFER.
std::size_t multibyte_to_wide(uint32_t code_page, std::string_view bytes, char16_t* out, std::size_t capacity);
std::size_t wide_to_multibyte(uint32_t code_page, std::u16string_view text, char* out, std::size_t capacity);

// True when every character of `text` survives a round trip through CP932.
bool fits_cp932(std::u16string_view text);

}  // namespace kestrel
