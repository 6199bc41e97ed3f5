// The conversion between the program's UTF-16 text and the client library's
// multibyte text. One process-wide code page is used for every conversion:
// 0 (CP932, the system ANSI code page of the original platform) or 65001
// (UTF-8, chosen at start-up when the client supports it). Text coming from
// the client can additionally have every WAVE DASH (U+301C) turned into a
// FULLWIDTH TILDE (U+FF5E), so data written by other tools looks as users
// expect. Both choices may be read from any thread.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kestrel {

uint32_t program_code_page();
void set_program_code_page(uint32_t code_page);

bool replace_wave_dash();
void set_replace_wave_dash(bool on);

// Client bytes -> UTF-16 with the program code page (and the wave-dash
// replacement when it is on).
std::u16string client_to_wide(std::string_view bytes);
// UTF-16 -> client bytes with the program code page.
std::string wide_to_client(std::u16string_view text, bool* lossy = nullptr);

}  // namespace kestrel
