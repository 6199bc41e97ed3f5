// Message buffer writes, code page conversions and multibyte character
// helpers. The fetch path (oci_decode_fetched) decodes straight into the
// dataset's string pool without temporary strings.
#include "oci/oci_text.h"

#include <algorithm>
#include <cstring>

#include "platform/client_text.h"
#include "platform/codepage.h"
#include "platform/utf16.h"

namespace kestrel {
namespace {

std::size_t bounded_units(std::u16string_view text, std::size_t room) {
  if (text.size() <= room) return text.size();
  return safe_cut(text, room);
}

void to_fullwidth_tilde(char16_t* p, std::size_t n) {
  for (std::size_t i = 0; i < n; ++i)
    if (p[i] == u'\x301C') p[i] = u'\xFF5E';
}

bool wave_dash_on() { return kestrel::replace_wave_dash(); }

// Decodes UTF-8 into `out` (room for bytes.size() units); invalid sequences
// give one U+FFFD per offending byte, like the Windows conversion.
std::size_t decode_utf8(const unsigned char* s, std::size_t n, char16_t* out) {
  std::size_t i = 0;
  char16_t* o = out;
  while (i < n) {
    unsigned char c = s[i];
    if (c < 0x80) {
      *o++ = c;
      ++i;
      continue;
    }
    char32_t cp = 0;
    std::size_t len = 0;
    if ((c & 0xE0) == 0xC0 && c >= 0xC2) {
      cp = c & 0x1F;
      len = 2;
    } else if ((c & 0xF0) == 0xE0) {
      cp = c & 0x0F;
      len = 3;
    } else if ((c & 0xF8) == 0xF0 && c <= 0xF4) {
      cp = c & 0x07;
      len = 4;
    }
    bool ok = len != 0 && i + len <= n;
    for (std::size_t k = 1; ok && k < len; ++k) {
      if ((s[i + k] & 0xC0) != 0x80) ok = false;
      else cp = (cp << 6) | (s[i + k] & 0x3F);
    }
    if (ok && ((len == 3 && (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF))) ||
               (len == 4 && (cp < 0x10000 || cp > 0x10FFFF))))
      ok = false;
    if (!ok) {
      *o++ = u'\xFFFD';
      ++i;
      continue;
    }
    i += len;
    if (cp >= 0x10000) {
      cp -= 0x10000;
      *o++ = static_cast<char16_t>(0xD800 + (cp >> 10));
      *o++ = static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
    } else {
      *o++ = static_cast<char16_t>(cp);
    }
  }
  return static_cast<std::size_t>(o - out);
}

}  // namespace

void OciMsgBuf::set(std::u16string_view text) const {
  if (!buf_) return;
  std::size_t n = bounded_units(text, cap_ - 1);
  std::copy_n(text.data(), n, buf_);
  buf_[n] = u'\0';
}

void OciMsgBuf::append(std::u16string_view text) const {
  if (!buf_) return;
  std::size_t used = std::char_traits<char16_t>::length(buf_);
  if (used >= cap_ - 1) return;
  std::size_t n = bounded_units(text, cap_ - 1 - used);
  std::copy_n(text.data(), n, buf_ + used);
  buf_[used + n] = u'\0';
}

std::u16string_view OciMsgBuf::view() const {
  if (!buf_) return {};
  return std::u16string_view(buf_, std::char_traits<char16_t>::length(buf_));
}

std::u16string oci_mb_to_wide(std::string_view bytes) {
  std::u16string out(bytes.size(), u'\0');
  out.resize(oci_decode_fetched(bytes, out.data()) );
  return out;
}

std::size_t oci_mb_to_wide(std::string_view bytes, char16_t* out, std::size_t capacity) {
  if (!out || capacity == 0) return 0;
  std::u16string w = oci_mb_to_wide(bytes);
  std::size_t n = bounded_units(w, capacity - 1);
  std::copy_n(w.data(), n, out);
  out[n] = u'\0';
  return n;
}

std::string oci_wide_to_mb(std::u16string_view text) {
  return wide_to_multibyte(program_code_page(), text);
}

bool oci_wide_to_mb(std::u16string_view text, char* out, std::size_t capacity) {
  if (!out || capacity == 0) return false;
  std::string mb = oci_wide_to_mb(text);
  if (mb.size() + 1 > capacity) {
    out[0] = '\0';
    return false;
  }
  std::memcpy(out, mb.data(), mb.size());
  out[mb.size()] = '\0';
  return true;
}

bool oci_wide_fits_code_page(std::u16string_view text) {
  bool lossy = false;
  wide_to_multibyte(program_code_page(), text, &lossy);
  return !lossy;
}

std::size_t oci_decode_fetched(std::string_view bytes, char16_t* out) {
  const auto* s = reinterpret_cast<const unsigned char*>(bytes.data());
  std::size_t n = bytes.size();
  std::size_t written;
  if (program_code_page() == kCodePageUtf8) {
    written = decode_utf8(s, n, out);
  } else {
    std::size_t i = 0;
    while (i < n && s[i] < 0x80) {
      out[i] = s[i];
      ++i;
    }
    if (i == n) {
      written = n;
    } else {
      std::u16string w = multibyte_to_wide(kCodePageAnsi, bytes);
      written = std::min(w.size(), n);
      std::copy_n(w.data(), written, out);
    }
  }
  if (wave_dash_on()) to_fullwidth_tilde(out, written);
  out[written] = u'\0';
  return written;
}

int oci_mb_char_len(const char* p, std::size_t avail, uint32_t code_page) {
  if (avail == 0) return 0;
  const auto* s = reinterpret_cast<const unsigned char*>(p);
  auto cont = [&](std::size_t k) { return k < avail && (s[k] & 0xC0) == 0x80; };
  if (code_page == kCodePageUtf8) {
    if ((s[0] & 0xF0) == 0xF0 && cont(1) && cont(2) && cont(3)) return 4;
    if ((s[0] & 0xF0) == 0xE0 && cont(1) && cont(2)) return 3;
    if ((s[0] & 0xE0) == 0xC0 && cont(1)) return 2;
    return 1;
  }
  if (((s[0] >= 0x81 && s[0] <= 0x9F) || (s[0] >= 0xE0 && s[0] <= 0xFC)) && avail >= 2) return 2;
  return 1;
}

int oci_mb_char_len(const char* p, std::size_t avail) {
  return oci_mb_char_len(p, avail, program_code_page());
}

std::size_t oci_char_boundary(std::string_view src, std::size_t max_bytes) {
  std::size_t pos = 0;
  while (pos < src.size()) {
    std::size_t len = static_cast<std::size_t>(oci_mb_char_len(src.data() + pos, src.size() - pos));
    if (pos + len > max_bytes) break;
    pos += len;
  }
  return pos;
}

bool oci_truncate_copy(char* dst, std::size_t capacity, std::string_view src) {
  if (!dst || capacity == 0) return src.empty();
  std::size_t n = oci_char_boundary(src, capacity - 1);
  std::memcpy(dst, src.data(), n);
  dst[n] = '\0';
  return n == src.size();
}

}  // namespace kestrel
