#include "client_charset.h"

#include <iconv.h>

#include <cctype>
#include <cstring>
#include <mutex>

namespace ocilite {
namespace {

CharsetInfo make(ClientCharset c) {
  CharsetInfo i;
  i.charset = c;
  switch (c) {
    case ClientCharset::al32utf8: i.oracle_name = "AL32UTF8"; i.id = 873; i.max_bytes = 4; break;
    case ClientCharset::utf8: i.oracle_name = "UTF8"; i.id = 871; i.max_bytes = 3; break;
    case ClientCharset::ja16sjistilde: i.oracle_name = "JA16SJISTILDE"; i.id = 838; i.max_bytes = 2; break;
    case ClientCharset::ja16sjis: i.oracle_name = "JA16SJIS"; i.id = 832; i.max_bytes = 2; break;
  }
  return i;
}

// iconv descriptors are not thread-safe: one per direction, guarded.
struct Converter {
  std::mutex mutex;
  iconv_t cd = reinterpret_cast<iconv_t>(-1);
  Converter(const char* to, const char* from) { cd = iconv_open(to, from); }
  ~Converter() {
    if (cd != reinterpret_cast<iconv_t>(-1)) iconv_close(cd);
  }
  std::string run(std::string_view in, const char* replacement, size_t bad_in_step) {
    std::string out;
    if (cd == reinterpret_cast<iconv_t>(-1)) return std::string(in);
    std::lock_guard lock(mutex);
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    out.resize(in.size() * 3 + 16);
    char* src = const_cast<char*>(in.data());
    size_t src_left = in.size();
    char* dst = out.data();
    size_t dst_left = out.size();
    while (src_left > 0) {
      size_t r = iconv(cd, &src, &src_left, &dst, &dst_left);
      if (r != static_cast<size_t>(-1)) break;
      if (errno == E2BIG) {
        size_t used = static_cast<size_t>(dst - out.data());
        out.resize(out.size() * 2);
        dst = out.data() + used;
        dst_left = out.size() - used;
        continue;
      }
      // EILSEQ / EINVAL: replace one input character and go on.
      size_t rl = std::strlen(replacement);
      if (dst_left < rl) {
        size_t used = static_cast<size_t>(dst - out.data());
        out.resize(out.size() * 2 + rl);
        dst = out.data() + used;
        dst_left = out.size() - used;
      }
      std::memcpy(dst, replacement, rl);
      dst += rl;
      dst_left -= rl;
      size_t skip = bad_in_step;
      if (bad_in_step == 0) {  // UTF-8 input: skip one whole sequence
        unsigned char c = static_cast<unsigned char>(*src);
        skip = c < 0x80 ? 1 : c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
      } else {  // CP932 input: a lead byte takes its trail byte
        unsigned char c = static_cast<unsigned char>(*src);
        skip = ((c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC)) && src_left > 1 ? 2 : 1;
      }
      if (skip > src_left) skip = src_left;
      src += skip;
      src_left -= skip;
    }
    out.resize(static_cast<size_t>(dst - out.data()));
    return out;
  }
};

Converter& to_utf8() {
  static Converter c("UTF-8", "CP932");
  return c;
}
Converter& from_utf8() {
  static Converter c("CP932", "UTF-8");
  return c;
}

bool all_ascii(std::string_view s) {
  for (unsigned char c : s)
    if (c >= 0x80) return false;
  return true;
}

}  // namespace

CharsetInfo charset_from_nls_lang(const char* nls_lang) {
  if (!nls_lang) return make(ClientCharset::ja16sjistilde);
  const char* dot = std::strrchr(nls_lang, '.');
  if (!dot) return make(ClientCharset::ja16sjistilde);
  std::string cs(dot + 1);
  for (char& c : cs) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  if (cs == "AL32UTF8") return make(ClientCharset::al32utf8);
  if (cs == "UTF8") return make(ClientCharset::utf8);
  if (cs == "JA16SJIS") return make(ClientCharset::ja16sjis);
  return make(ClientCharset::ja16sjistilde);
}

bool charset_from_id(unsigned id, CharsetInfo& out) {
  switch (id) {
    case 873: out = make(ClientCharset::al32utf8); return true;
    case 871: out = make(ClientCharset::utf8); return true;
    case 838: out = make(ClientCharset::ja16sjistilde); return true;
    case 832: out = make(ClientCharset::ja16sjis); return true;
    default: return false;
  }
}

std::string client_to_utf8(const CharsetInfo& cs, std::string_view text) {
  if (cs.is_utf8() || all_ascii(text)) return std::string(text);
  return to_utf8().run(text, "\xEF\xBF\xBD", 1);
}

std::string utf8_to_client(const CharsetInfo& cs, std::string_view text) {
  if (cs.is_utf8() || all_ascii(text)) return std::string(text);
  return from_utf8().run(text, "?", 0);
}

const std::string& utf8_to_client(const CharsetInfo& cs, const std::string& text, std::string& scratch) {
  if (cs.is_utf8() || all_ascii(text)) return text;
  scratch = from_utf8().run(text, "?", 0);
  return scratch;
}

size_t client_offset(const CharsetInfo& cs, std::string_view utf8, size_t utf8_bytes) {
  if (utf8_bytes > utf8.size()) utf8_bytes = utf8.size();
  if (cs.is_utf8()) return utf8_bytes;
  return utf8_to_client(cs, utf8.substr(0, utf8_bytes)).size();
}

}  // namespace ocilite
