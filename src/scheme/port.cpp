// Ports: input ports keep a buffer of UTF-16 units; file ports refill it
// from the file, decoding UTF-16, UTF-8 or CP932 text, and never split a
// character across refills (the bytes of a partial character wait in
// `carry`). Output ports append to a string, pass text to a hook or write
// UTF-8 to their file.
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/codepage.h"
#include "platform/utf16.h"
#include "scheme/interp_p.h"

namespace kestrel::scheme {

namespace {

constexpr std::size_t kRefillBelow = 10;
constexpr std::size_t kRefillBytes = 1023;
constexpr std::size_t kSniffBytes = 1024;

bool is_cp932_lead(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

// Bytes at the end of `s` that start a UTF-8 sequence not yet complete.
std::size_t utf8_incomplete_tail(std::string_view s) {
  std::size_t n = s.size();
  for (std::size_t back = 1; back <= 4 && back <= n; ++back) {
    auto b = static_cast<unsigned char>(s[n - back]);
    if ((b & 0xC0) == 0x80) continue;  // continuation byte: keep looking
    std::size_t need = b < 0x80 ? 1 : (b & 0xE0) == 0xC0 ? 2 : (b & 0xF0) == 0xE0 ? 3 : (b & 0xF8) == 0xF0 ? 4 : 1;
    return need > back ? back : 0;
  }
  return 0;
}

std::size_t cp932_incomplete_tail(std::string_view s) {
  std::size_t i = 0;
  while (i < s.size()) {
    if (is_cp932_lead(static_cast<unsigned char>(s[i]))) {
      if (i + 1 >= s.size()) return 1;
      i += 2;
    } else {
      ++i;
    }
  }
  return 0;
}

void decode_into(PortData* p, std::string_view bytes) {
  switch (p->encoding) {
    case PortData::Encoding::Utf16:
      for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        p->buf.push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                               (static_cast<unsigned char>(bytes[i + 1]) << 8)));
      }
      break;
    case PortData::Encoding::Utf8:
      p->buf += utf8_to_utf16(bytes);
      break;
    case PortData::Encoding::Cp932:
      p->buf += multibyte_to_wide(kCodePageAnsi, bytes);
      break;
  }
}

void refill(PortData* p) {
  if (p->at_eof || !p->file || (p->flags & kPortClosed)) return;
  if (p->pos > 0) {
    p->buf.erase(0, p->pos);
    p->pos = 0;
  }
  std::size_t want = p->encoding == PortData::Encoding::Utf16 ? 2 * kRefillBytes : kRefillBytes;
  std::string bytes = std::move(p->carry);
  p->carry.clear();
  std::size_t have = bytes.size();
  bytes.resize(have + want);
  ssize_t got;
  do {
    got = ::read(fileno(p->file), bytes.data() + have, want);
  } while (got < 0 && errno == EINTR);
  if (got <= 0) {
    p->at_eof = true;
    bytes.resize(have);
    if (!bytes.empty()) decode_into(p, bytes);  // a broken last character
    return;
  }
  bytes.resize(have + static_cast<std::size_t>(got));
  std::size_t tail = 0;
  switch (p->encoding) {
    case PortData::Encoding::Utf16: tail = bytes.size() % 2; break;
    case PortData::Encoding::Utf8: tail = utf8_incomplete_tail(bytes); break;
    case PortData::Encoding::Cp932: tail = cp932_incomplete_tail(bytes); break;
  }
  p->carry.assign(bytes, bytes.size() - tail, tail);
  bytes.resize(bytes.size() - tail);
  decode_into(p, bytes);
}

inline void ensure(PortData* p) {
  if (p->buf.size() - p->pos < kRefillBelow && !p->at_eof && p->file) refill(p);
}

// Loaded files: UTF-16 when they start with FF FE or hold a zero byte in
// their first 1024 bytes; else UTF-8 when they start with its byte-order
// mark or their first bytes are valid UTF-8; else CP932.
void sniff_encoding(PortData* p) {
  unsigned char head[kSniffBytes];
  std::size_t n = std::fread(head, 1, sizeof head, p->file);
  long skip = 0;
  if (n >= 2 && head[0] == 0xFF && head[1] == 0xFE) {
    p->encoding = PortData::Encoding::Utf16;
    skip = 2;
  } else if (std::memchr(head, 0, n)) {
    p->encoding = PortData::Encoding::Utf16;
  } else if (n >= 3 && head[0] == 0xEF && head[1] == 0xBB && head[2] == 0xBF) {
    p->encoding = PortData::Encoding::Utf8;
    skip = 3;
  } else {
    std::string_view s(reinterpret_cast<const char*>(head), n);
    s.remove_suffix(utf8_incomplete_tail(s));
    p->encoding = is_valid_utf8(s) ? PortData::Encoding::Utf8 : PortData::Encoding::Cp932;
  }
  std::fseek(p->file, skip, SEEK_SET);
}

}  // namespace

std::string path_utf8(std::u16string_view path) { return utf16_to_utf8(path); }

Cell* mk_port_cell(Interp& sc, PortData* port) {
  Cell* c = get_cell(sc, nullptr, nullptr);
  c->flag = T_PORT | kAtomFlag;
  c->ptr = port;
  c->cdr = nullptr;
  return c;
}

namespace {

// Allocates the cell first so a fatal error cannot leak the port.
Cell* new_port(Interp& sc) {
  Cell* c = get_cell(sc, nullptr, nullptr);
  c->flag = 0;
  auto* p = block_new<PortData>(sc);
  c->flag = T_PORT | kAtomFlag;
  c->ptr = p;
  c->cdr = nullptr;
  return c;
}

}  // namespace

Cell* open_input_file_port(Interp& sc, const std::string& path) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return nullptr;
  Cell* c;
  try {
    c = new_port(sc);
  } catch (...) {
    std::fclose(f);
    throw;
  }
  PortData* p = port_data(c);
  p->flags = kPortInput;
  p->file = f;
  p->name = utf8_to_utf16(path);
  sniff_encoding(p);
  if (p->encoding == PortData::Encoding::Utf16) p->flags |= kPortUtf16;
  p->buf.reserve(1034);
  return c;
}

Cell* open_output_file_port(Interp& sc, const std::string& path) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return nullptr;
  Cell* c;
  try {
    c = new_port(sc);
  } catch (...) {
    std::fclose(f);
    throw;
  }
  PortData* p = port_data(c);
  p->flags = kPortOutput;
  p->file = f;
  p->name = utf8_to_utf16(path);
  return c;
}

Cell* mk_input_string_port(Interp& sc, std::u16string_view text, std::u16string_view name) {
  Cell* c = new_port(sc);
  PortData* p = port_data(c);
  p->flags = kPortInput | kPortString;
  p->buf.assign(text);
  p->at_eof = true;
  p->name.assign(name);
  return c;
}

Cell* mk_output_string_port(Interp& sc) {
  Cell* c = new_port(sc);
  PortData* p = port_data(c);
  p->flags = kPortOutput | kPortString;
  p->buf.reserve(kStringPortCapacity);
  p->name = u"(string)";
  return c;
}

Cell* mk_std_port(Interp& sc, std::FILE* f, uint32_t flags, std::u16string_view name) {
  Cell* c = new_port(sc);
  PortData* p = port_data(c);
  p->flags = flags;
  p->file = f;
  p->standard_stream = true;
  p->name.assign(name);
  p->encoding = PortData::Encoding::Utf8;
  return c;
}

void port_close(PortData* p) {
  if (p->flags & kPortClosed) return;
  p->flags |= kPortClosed;
  if (p->file && !p->standard_stream) std::fclose(p->file);
  if (!p->standard_stream) p->file = nullptr;
  p->buf.clear();
  p->buf.shrink_to_fit();
  p->pos = 0;
}

void port_flush(PortData* p) {
  if (p->file && (p->flags & kPortOutput) && !(p->flags & kPortClosed)) std::fflush(p->file);
}

void port_write(Interp& sc, Cell* port, std::u16string_view text) {
  (void)sc;
  if (!port || !is_port(port) || text.empty()) return;
  PortData* p = port_data(port);
  if (!(p->flags & kPortOutput) || (p->flags & kPortClosed)) return;
  if (p->flags & kPortString) {
    p->buf.append(text);
  } else if (p->hook) {
    p->hook(p->hook_context, text);
  } else if (p->file) {
    std::string bytes = utf16_to_utf8(text);
    std::fwrite(bytes.data(), 1, bytes.size(), p->file);
  }
}

int32_t port_peek(PortData* p) {
  if (!(p->flags & kPortInput) || (p->flags & kPortClosed)) return -1;
  ensure(p);
  if (p->pos >= p->buf.size()) return -1;
  std::size_t len;
  return static_cast<int32_t>(code_point_at(p->buf, p->pos, &len));
}

int32_t port_get(PortData* p) {
  if (!(p->flags & kPortInput) || (p->flags & kPortClosed)) return -1;
  ensure(p);
  if (p->pos >= p->buf.size()) return -1;
  std::size_t len;
  char32_t c = code_point_at(p->buf, p->pos, &len);
  p->pos += len;
  return static_cast<int32_t>(c);
}

// Drops what is left of the current line, as a terminal user expects after
// an error; later lines already buffered (piped input) are kept.
void port_discard_input(PortData* p) {
  if (!(p->flags & kPortInput) || (p->flags & kPortClosed)) return;
  std::size_t nl = p->buf.find(u'\n', p->pos);
  p->pos = nl == std::u16string::npos ? p->buf.size() : nl + 1;
}

}  // namespace kestrel::scheme
