#include "platform/text_file.h"

#include "platform/codepage.h"
#include "platform/file_io.h"
#include "platform/utf16.h"

namespace kestrel {
namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LeBom = "\xFF\xFE";
constexpr std::string_view kUtf16BeBom = "\xFE\xFF";

std::u16string decode_utf16(std::string_view bytes, bool big_endian) {
  std::u16string out;
  out.reserve(bytes.size() / 2 + 1);
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    auto lo = static_cast<unsigned char>(bytes[big_endian ? i + 1 : i]);
    auto hi = static_cast<unsigned char>(bytes[big_endian ? i : i + 1]);
    out.push_back(static_cast<char16_t>(lo | (hi << 8)));
  }
  if (bytes.size() % 2) out.push_back(u'\xFFFD');
  return out;
}

std::string encode_utf16(std::u16string_view text, bool big_endian) {
  std::string out;
  out.reserve(text.size() * 2 + 2);
  for (char16_t c : text) {
    char lo = static_cast<char>(c & 0xFF), hi = static_cast<char>(c >> 8);
    if (big_endian) {
      out.push_back(hi);
      out.push_back(lo);
    } else {
      out.push_back(lo);
      out.push_back(hi);
    }
  }
  return out;
}

}  // namespace

TextEncoding detect_encoding(std::string_view bytes) {
  if (bytes.starts_with(kUtf8Bom)) return TextEncoding::Utf8Bom;
  if (bytes.starts_with(kUtf16LeBom)) return TextEncoding::Utf16LeBom;
  if (bytes.starts_with(kUtf16BeBom)) return TextEncoding::Utf16BeBom;
  return is_valid_utf8(bytes) ? TextEncoding::Utf8 : TextEncoding::Cp932;
}

std::size_t bom_length(TextEncoding encoding) {
  switch (encoding) {
    case TextEncoding::Utf8Bom: return 3;
    case TextEncoding::Utf16LeBom:
    case TextEncoding::Utf16BeBom: return 2;
    default: return 0;
  }
}

std::u16string decode_as(std::string_view bytes, TextEncoding encoding) {
  switch (encoding) {
    case TextEncoding::Utf8:
    case TextEncoding::Utf8Bom: return utf8_to_utf16(bytes);
    case TextEncoding::Cp932: return multibyte_to_wide(kCodePageAnsi, bytes);
    case TextEncoding::Utf16LeBom: return decode_utf16(bytes, false);
    case TextEncoding::Utf16BeBom: return decode_utf16(bytes, true);
  }
  return {};
}

DecodedText decode_text(std::string_view bytes) {
  DecodedText r;
  r.encoding = detect_encoding(bytes);
  r.text = decode_as(bytes.substr(bom_length(r.encoding)), r.encoding);
  return r;
}

std::string encode_text(std::u16string_view text, TextEncoding encoding, bool* lossy) {
  switch (encoding) {
    case TextEncoding::Utf8: return utf16_to_utf8(text);
    case TextEncoding::Utf8Bom: return std::string(kUtf8Bom) + utf16_to_utf8(text);
    case TextEncoding::Cp932: return wide_to_multibyte(kCodePageAnsi, text, lossy);
    case TextEncoding::Utf16LeBom: return std::string(kUtf16LeBom) + encode_utf16(text, false);
    case TextEncoding::Utf16BeBom: return std::string(kUtf16BeBom) + encode_utf16(text, true);
  }
  return {};
}

bool read_text_file(const std::filesystem::path& file, DecodedText& out, std::u16string* error) {
  std::string bytes;
  if (read_file_bytes(file, bytes, error) != ReadStatus::Ok) return false;
  out = decode_text(bytes);
  return true;
}

std::vector<std::u16string_view> split_lines(std::u16string_view text) {
  std::vector<std::u16string_view> lines;
  std::size_t start = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    char16_t c = text[i];
    if (c != u'\r' && c != u'\n') continue;
    lines.push_back(text.substr(start, i - start));
    if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
    start = i + 1;
  }
  if (start < text.size()) lines.push_back(text.substr(start));
  return lines;
}

std::u16string normalize_line_ends(std::u16string_view text, std::u16string_view eol) {
  std::u16string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    char16_t c = text[i];
    if (c == u'\r' || c == u'\n') {
      out.append(eol);
      if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
    } else {
      out.push_back(c);
    }
  }
  return out;
}

}  // namespace kestrel
