#include "platform/codepage.h"

#include <iconv.h>

#include <cerrno>
#include <cstring>
#include <memory>

#include "platform/utf16.h"

namespace kestrel {
namespace {

// One converter pair per thread: iconv descriptors carry state and are not
// shareable, and opening one per call would dominate short conversions.
class Iconv {
 public:
  Iconv(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  ~Iconv() {
    if (ok()) iconv_close(cd_);
  }
  Iconv(const Iconv&) = delete;
  Iconv& operator=(const Iconv&) = delete;
  bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
  iconv_t get() const { return cd_; }
  void reset() const { iconv(cd_, nullptr, nullptr, nullptr, nullptr); }

 private:
  iconv_t cd_;
};

const Iconv& cp932_decoder() {
  thread_local Iconv cd("UTF-16LE", "CP932");
  return cd;
}
const Iconv& cp932_encoder() {
  thread_local Iconv cd("CP932", "UTF-16LE");
  return cd;
}

bool is_ascii(std::string_view s) {
  for (char c : s)
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  return true;
}

std::u16string cp932_to_wide(std::string_view bytes) {
  if (is_ascii(bytes)) return std::u16string(bytes.begin(), bytes.end());
  const Iconv& cd = cp932_decoder();
  std::u16string out;
  if (!cd.ok()) {
    for (char c : bytes) out.push_back(static_cast<unsigned char>(c) < 0x80 ? char16_t(c) : u'\xFFFD');
    return out;
  }
  cd.reset();
  out.resize(bytes.size() + 1);
  char* in = const_cast<char*>(bytes.data());
  std::size_t in_left = bytes.size();
  std::size_t written = 0;
  while (in_left > 0) {
    char* dst = reinterpret_cast<char*>(out.data() + written);
    std::size_t room = (out.size() - written) * 2;
    std::size_t before = room;
    std::size_t r = iconv(cd.get(), &in, &in_left, &dst, &room);
    written += (before - room) / 2;
    if (r == static_cast<std::size_t>(-1)) {
      if (errno == E2BIG) {
        out.resize(out.size() * 2);
        continue;
      }
      // EILSEQ or EINVAL (truncated lead byte): one replacement, skip a byte.
      if (written >= out.size()) out.resize(out.size() * 2);
      out[written++] = u'\xFFFD';
      ++in;
      --in_left;
      cd.reset();
    }
  }
  out.resize(written);
  return out;
}

std::string wide_to_cp932(std::u16string_view text, bool* lossy) {
  std::string out;
  bool all_ascii = true;
  for (char16_t c : text)
    if (c >= 0x80) { all_ascii = false; break; }
  if (all_ascii) return std::string(text.begin(), text.end());
  const Iconv& cd = cp932_encoder();
  out.reserve(text.size() * 2);
  // Convert one character at a time only when a character fails; the common
  // case converts the whole run in one call.
  std::size_t pos = 0;
  char buf[4096];
  while (pos < text.size()) {
    cd.reset();
    char* in = reinterpret_cast<char*>(const_cast<char16_t*>(text.data() + pos));
    std::size_t in_left = (text.size() - pos) * 2;
    std::size_t start_left = in_left;
    char* dst = buf;
    std::size_t room = sizeof buf;
    std::size_t r = cd.ok() ? iconv(cd.get(), &in, &in_left, &dst, &room) : static_cast<std::size_t>(-1);
    out.append(buf, static_cast<std::size_t>(dst - buf));
    pos += (start_left - in_left) / 2;
    if (r == static_cast<std::size_t>(-1) && (!cd.ok() || errno != E2BIG)) {
      if (!cd.ok() && pos < text.size() && text[pos] < 0x80) {
        out.push_back(char(text[pos++]));
        continue;
      }
      // A character without a mapping (or a lone surrogate): '?', like the
      // Windows default character.
      std::size_t len = 1;
      if (pos < text.size()) code_point_at(text, pos, &len);
      pos += len;
      out.push_back('?');
      if (lossy) *lossy = true;
    }
  }
  return out;
}

}  // namespace

std::u16string multibyte_to_wide(uint32_t code_page, std::string_view bytes) {
  if (code_page == kCodePageUtf8) return utf8_to_utf16(bytes);
  return cp932_to_wide(bytes);
}

std::string wide_to_multibyte(uint32_t code_page, std::u16string_view text, bool* lossy) {
  if (lossy) *lossy = false;
  if (code_page == kCodePageUtf8) {
    if (lossy) {
      for (std::size_t i = 0; i < text.size();) {
        std::size_t len;
        char32_t cp = code_point_at(text, i, &len);
        if (cp >= 0xD800 && cp <= 0xDFFF) *lossy = true;
        i += len;
      }
    }
    return utf16_to_utf8(text);
  }
  return wide_to_cp932(text, lossy);
}

std::size_t multibyte_to_wide(uint32_t code_page, std::string_view bytes, char16_t* out, std::size_t capacity) {
  std::u16string w = multibyte_to_wide(code_page, bytes);
  if (capacity == 0) return w.size();
  if (capacity < w.size()) return 0;
  std::memcpy(out, w.data(), w.size() * sizeof(char16_t));
  return w.size();
}

std::size_t wide_to_multibyte(uint32_t code_page, std::u16string_view text, char* out, std::size_t capacity) {
  std::string m = wide_to_multibyte(code_page, text);
  if (capacity == 0) return m.size();
  if (capacity < m.size()) return 0;
  std::memcpy(out, m.data(), m.size());
  return m.size();
}

bool fits_cp932(std::u16string_view text) {
  bool lossy = false;
  std::string bytes = wide_to_cp932(text, &lossy);
  return !lossy && cp932_to_wide(bytes) == text;
}

}  // namespace kestrel
