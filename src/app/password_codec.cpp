#include "app/password_codec.h"

#include <algorithm>
#include <array>
#include <random>

#include "platform/codepage.h"

namespace kestrel {

namespace {

constexpr uint32_t kCp932 = 932;

// Released with the first version that stored passwords: fixed forever.
constexpr std::array<std::u16string_view, 10> kAlphabets = {
    u"naCSOjkuy9lb1chGXtFHe4AQLqVMs/2EK5Nm0gZJr+68fxDTodBPvYW7ziU3pRwI",
    u"aCOqXbxoiQlSvshj37VFyPK94fNEn5rg6AIpmzwtW+dU8HMRD0kJ/1BLuYcZeTG2",
    u"Hmu6LtIaKOMFpoJfG4PR/0BNESwz3QD1xeWknqy9jTV8Us2X+cgldh7Z5rCAviYb",
    u"azc5OCj/sNntXF+4vhTwYi1eZmL3rVbREJuQWo98KABxPgSHkd2MfU7lGID0y6qp",
    u"byYfcHBIxVaLR3ZedEtlv0XQsT1JF8izGoCr65umgK+D9kq2UMA7PpWSOhn4wN/j",
    u"zUsfbk2BilpXIQjNnHLyxAw9S+v5hraFG3OEd7W4CR1Vg/8TYcJuqeP6DMo0ZmKt",
    u"gx6N5/pyrq4b0dYOcDR9zfSo1khTameJXsiILCUw+BMtPu2jGKHEWZVA8nFl3Q7v",
    u"ncOxuCI0DEHz8V+TwUKZMXJWsFG2PkmlQ/triYq7yfp4h1AR95a3goNSevjL6bBd",
    u"Ao3n6pUaZ/Q90JR8Ghguy4Frxi75VkeYXB+SImDbdscTEtzLl1NMvwCWjOPKf2qH",
    u"+8zGH3rNOl4pxuK26g0siLEjXJS1fFnov/Ahwek7tDMbQZWCdq5Y9ayVRIUmPTcB",
};

int index_in(std::u16string_view alphabet, char16_t c) {
  const std::size_t i = alphabet.find(c);
  return i == std::u16string_view::npos ? -1 : static_cast<int>(i);
}

}  // namespace

std::optional<std::u16string> encode_password_with(std::u16string_view password, int letter) {
  if (letter < 0 || letter > 9) return std::nullopt;
  bool lossy = false;
  const std::string bytes = wide_to_multibyte(kCp932, password, &lossy);
  if (lossy) return std::nullopt;
  const std::u16string_view a = kAlphabets[static_cast<std::size_t>(letter)];
  std::u16string out(1, static_cast<char16_t>(u'a' + letter));
  std::size_t i = 0;
  for (; i + 3 <= bytes.size(); i += 3) {
    const uint32_t v = (uint32_t{static_cast<unsigned char>(bytes[i])} << 16) |
                       (uint32_t{static_cast<unsigned char>(bytes[i + 1])} << 8) |
                       static_cast<unsigned char>(bytes[i + 2]);
    for (int shift = 18; shift >= 0; shift -= 6) out += a[(v >> shift) & 63];
  }
  // A tail of one or two bytes becomes two or three characters, no padding.
  const std::size_t rest = bytes.size() - i;
  if (rest > 0) {
    uint32_t v = uint32_t{static_cast<unsigned char>(bytes[i])} << 16;
    if (rest == 2) v |= uint32_t{static_cast<unsigned char>(bytes[i + 1])} << 8;
    out += a[(v >> 18) & 63];
    out += a[(v >> 12) & 63];
    if (rest == 2) out += a[(v >> 6) & 63];
  }
  return out;
}

std::optional<std::u16string> decode_password_v2(std::u16string_view encoded) {
  if (encoded.empty()) return std::nullopt;
  const int letter = encoded[0] - u'a';
  if (letter < 0 || letter > 9) return std::nullopt;
  const std::u16string_view a = kAlphabets[static_cast<std::size_t>(letter)];
  const std::u16string_view body = encoded.substr(1);
  if (body.size() % 4 == 1) return std::nullopt;
  std::string bytes;
  for (std::size_t i = 0; i < body.size(); i += 4) {
    const std::size_t n = std::min<std::size_t>(4, body.size() - i);
    uint32_t v = 0;
    for (std::size_t k = 0; k < 4; ++k) {
      int d = 0;
      if (k < n) {
        d = index_in(a, body[i + k]);
        if (d < 0) return std::nullopt;
      }
      v = (v << 6) | static_cast<uint32_t>(d);
    }
    bytes += static_cast<char>((v >> 16) & 0xFF);
    if (n >= 3) bytes += static_cast<char>((v >> 8) & 0xFF);
    if (n == 4) bytes += static_cast<char>(v & 0xFF);
  }
  return multibyte_to_wide(kCp932, bytes);
}

std::optional<std::u16string> decode_password_v1(std::u16string_view encoded) {
  if (encoded.empty()) return std::nullopt;
  // The generator of the old C runtime: state * 214013 + 2531011, value = bits 16-30.
  uint32_t state = encoded[0];
  std::string bytes;
  for (std::size_t i = 1; i < encoded.size(); ++i) {
    state = state * 214013u + 2531011u;
    const uint32_t value = (state >> 16) & 0x7FFF;
    const uint32_t c = static_cast<uint32_t>(encoded[i]) ^ (value % 255);
    if (c > 0xFF) return std::nullopt;
    bytes += static_cast<char>(c);
  }
  return multibyte_to_wide(kCp932, bytes);
}

std::optional<std::u16string> decode_password(std::u16string_view encoded, int32_t version) {
  return version == 1 ? decode_password_v1(encoded) : decode_password_v2(encoded);
}

std::optional<std::u16string> encode_password(std::u16string_view password, const std::function<int()>& pick) {
  const int first = ((pick ? pick() : 0) % 10 + 10) % 10;
  for (int k = 0; k < 10; ++k) {
    std::optional<std::u16string> enc = encode_password_with(password, (first + k) % 10);
    if (!enc) return std::nullopt;  // no CP932 form: no letter helps
    if (enc->size() > kEncodedPasswordMax) return std::nullopt;
    if (decode_password_v2(*enc) == std::u16string(password)) return enc;
  }
  return std::nullopt;
}

std::optional<std::u16string> encode_password(std::u16string_view password) {
  static thread_local std::minstd_rand gen{std::random_device{}()};
  return encode_password(password, [] { return static_cast<int>(gen() % 10); });
}

}  // namespace kestrel
