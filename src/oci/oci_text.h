// Text plumbing of the Oracle access layer: the caller's message buffer,
// conversions between the program's UTF-16 text and the client's bytes in
// the session code page, character lengths and truncating copies that never
// split a multibyte character.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace kestrel {

// A caller-supplied message buffer: wide text of a fixed capacity (in
// characters, terminator included), or none at all. Every write is bounded
// by the capacity and cut on a character boundary, so a short buffer gets a
// shortened message, never an overflow.
class OciMsgBuf {
 public:
  OciMsgBuf() = default;
  OciMsgBuf(std::nullptr_t) {}
  OciMsgBuf(char16_t* buf, std::size_t capacity) : buf_(capacity ? buf : nullptr), cap_(buf ? capacity : 0) {}
  template <std::size_t N>
  OciMsgBuf(char16_t (&buf)[N]) : buf_(buf), cap_(N) {}

  explicit operator bool() const { return buf_ != nullptr; }
  char16_t* data() const { return buf_; }
  std::size_t capacity() const { return cap_; }

  // Replaces the content.
  void set(std::u16string_view text) const;
  void append(std::u16string_view text) const;
  void clear() const {
    if (buf_) buf_[0] = u'\0';
  }
  std::u16string_view view() const;

 private:
  char16_t* buf_ = nullptr;
  std::size_t cap_ = 0;
};

// Session code page conversions (0 = CP932, 65001 = UTF-8). The wave-dash
// replacement (U+301C -> U+FF5E) applies to every byte-to-wide conversion
// when it is switched on.
std::u16string oci_mb_to_wide(std::string_view bytes);
// Converts into `out` (capacity in characters, terminator included), cut on
// a character boundary; returns the characters written.
std::size_t oci_mb_to_wide(std::string_view bytes, char16_t* out, std::size_t capacity);
std::string oci_wide_to_mb(std::u16string_view text);
// Converts into `out` (capacity in bytes, terminator included). Returns
// false, leaving an empty string, when the whole text does not fit.
bool oci_wide_to_mb(std::u16string_view text, char* out, std::size_t capacity);
// True when `text` converts to the session code page without loss.
bool oci_wide_fits_code_page(std::u16string_view text);

// Hot path of the fetch: converts `bytes` into `out`, which must hold at
// least bytes.size() + 1 characters (no conversion yields more UTF-16 units
// than it reads bytes). Terminates and returns the characters written.
std::size_t oci_decode_fetched(std::string_view bytes, char16_t* out);

// Length in bytes of the multibyte character at p (at most `avail` bytes
// are looked at): UTF-8 forms with their continuation bytes under 65001,
// Shift-JIS lead bytes 0x81-0x9F / 0xE0-0xFC otherwise; anything else 1.
int oci_mb_char_len(const char* p, std::size_t avail);
int oci_mb_char_len(const char* p, std::size_t avail, uint32_t code_page);

// Copies whole characters of `src` into `dst` while they fit in capacity-1
// bytes, always terminates (capacity > 0), and returns true when all of
// `src` fitted.
bool oci_truncate_copy(char* dst, std::size_t capacity, std::string_view src);
// Byte length of the longest prefix of `src` not above `max_bytes` that
// ends on a character boundary.
std::size_t oci_char_boundary(std::string_view src, std::size_t max_bytes);

}  // namespace kestrel
