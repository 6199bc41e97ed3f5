// UTF-16 text helpers shared by the whole core. Text is std::u16string;
// code points above U+FFFF are surrogate pairs and every scan here keeps a
// pair together.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace kestrel {

inline bool is_high_surrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
inline bool is_low_surrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// Code point at `pos`; `len` receives 1 or 2 (a lone surrogate counts as one unit).
char32_t code_point_at(std::u16string_view s, std::size_t pos, std::size_t* len = nullptr);
// Appends one code point as one or two units.
void append_code_point(std::u16string& out, char32_t cp);
// Position of the start of the character that ends just before `pos`.
std::size_t prev_char_start(std::u16string_view s, std::size_t pos);
// Largest cut not above `max_units` that does not split a surrogate pair.
std::size_t safe_cut(std::u16string_view s, std::size_t max_units);

// UTF-8 <-> UTF-16. Invalid bytes become U+FFFD; lone surrogates are written
// as U+FFFD when encoding.
std::u16string utf8_to_utf16(std::string_view s);
std::string utf16_to_utf8(std::u16string_view s);
bool is_valid_utf8(std::string_view s);

// ASCII-only case helpers (the settings store and SQL keywords are ASCII).
char16_t ascii_upper(char16_t c);
char16_t ascii_lower(char16_t c);
std::u16string ascii_upper(std::u16string_view s);
std::u16string ascii_lower(std::u16string_view s);
bool iequals_ascii(std::u16string_view a, std::u16string_view b);
// Compares like _wcsicmp for ASCII letters: <0, 0, >0.
int icompare_ascii(std::u16string_view a, std::u16string_view b);

// Blanks are space and tab (the INI and command-line notion of blank).
std::u16string_view trim_blanks(std::u16string_view s);
std::string_view trim_blanks(std::string_view s);

bool starts_with_ci(std::u16string_view s, std::u16string_view prefix);

// Parses a leading decimal integer like the Windows profile and wtoi calls:
// optional blanks and sign, digits until the first non-digit; no digits is 0.
// Values beyond 32 bits wrap as the 32-bit conversion does.
int32_t parse_leading_int(std::u16string_view s);
int64_t parse_leading_int64(std::u16string_view s, bool* ok = nullptr);

std::u16string to_u16(int64_t v);
// Literal helper for tests and messages: u"..." from ASCII/UTF-8 text.
inline std::u16string u16(std::string_view utf8) { return utf8_to_utf16(utf8); }

}  // namespace kestrel
