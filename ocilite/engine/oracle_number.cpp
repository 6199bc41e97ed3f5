#include "oracle_number.h"

#include <string>

namespace ocilite {

std::optional<Decimal> decode_oracle_decimal(const unsigned char* b, size_t len) {
  if (!b || len == 0 || len > 21) return std::nullopt;
  if (len == 1 && b[0] == 0x80) return Decimal{};
  const bool positive = (b[0] & 0x80) != 0;
  // value = m1.m2m3... * 100^e with base-100 digits m.
  const int e = positive ? (b[0] & 0x7F) - 65 : ((~b[0]) & 0x7F) - 65;
  std::string digits;
  for (size_t k = 1; k < len; ++k) {
    if (!positive && b[k] == 102) break;  // terminator of a negative number
    int m = positive ? b[k] - 1 : 101 - b[k];
    if (m < 0 || m > 99) return std::nullopt;
    digits.push_back(static_cast<char>('0' + m / 10));
    digits.push_back(static_cast<char>('0' + m % 10));
  }
  // 0.digits * 10^(2e + 2)
  std::string text = (positive ? "0." : "-0.") + digits + "e" + std::to_string(2 * e + 2);
  return parse_decimal(text);
}

size_t encode_oracle_decimal(const Decimal& in, unsigned char* out) {
  if (in.is_zero()) {
    out[0] = 0x80;
    return 1;
  }
  Decimal v = in;
  // Base-100 digits are aligned on the decimal point: an odd exponent takes
  // a leading zero, and at most 20 mantissa bytes fit.
  for (;;) {
    int lead = (v.exp % 2 != 0) ? 1 : 0;
    if (v.n + lead <= 40) break;
    v = round_significant(v, v.n - 1);
  }
  std::string digits;
  int exp10 = v.exp;
  if (exp10 % 2 != 0) {
    digits.push_back('0');
    exp10 += 1;
  }
  digits.append(v.d, static_cast<size_t>(v.n));
  if (digits.size() % 2) digits.push_back('0');
  const int e = exp10 / 2 - 1;
  const bool positive = !v.neg;
  size_t len = 1;
  out[0] = static_cast<unsigned char>(positive ? (e + 65) | 0x80 : ~((e + 65) | 0x80) & 0xFF);
  for (size_t k = 0; k + 1 < digits.size() + 1 && k < digits.size() && len < 21; k += 2) {
    int m = (digits[k] - '0') * 10 + (digits[k + 1] - '0');
    out[len++] = static_cast<unsigned char>(positive ? m + 1 : 101 - m);
  }
  if (!positive && len < 21) out[len++] = 102;
  return len;
}

std::optional<OraNumber> decode_oracle_number(const unsigned char* b, size_t len) {
  auto d = decode_oracle_decimal(b, len);
  if (!d) return std::nullopt;
  return parse_number(decimal_to_text(*d));
}

size_t encode_oracle_number(const OraNumber& n, unsigned char* out) {
  return encode_oracle_decimal(n.is_int ? decimal_from_int(n.i) : decimal_from_double(n.d), out);
}

}  // namespace ocilite
