#include "oracle_number.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace ocilite {

std::optional<OraNumber> decode_oracle_number(const unsigned char* b, size_t len) {
  if (!b || len == 0 || len > 21) return std::nullopt;
  OraNumber n;
  if (len == 1 && b[0] == 0x80) {
    n.i = 0;
    return n;
  }
  bool positive = (b[0] & 0x80) != 0;
  int exp = positive ? (b[0] & 0x7F) - 65 : ((~b[0]) & 0x7F) - 65;
  std::string digits;
  for (size_t k = 1; k < len; ++k) {
    int d = positive ? b[k] - 1 : 101 - b[k];
    if (!positive && b[k] == 102) break;  // terminator of a negative number
    if (d < 0 || d > 99) return std::nullopt;
    char two[3];
    std::snprintf(two, sizeof two, "%02d", d);
    digits += two;
  }
  // Value = 0.d1d2... * 100^(exp+1)
  std::string text = (positive ? "" : "-") + std::string("0.") + digits + "e" + std::to_string((exp + 1) * 2);
  auto parsed = parse_number(text);
  return parsed;
}

size_t encode_oracle_number(const OraNumber& n, unsigned char* out) {
  double v = n.is_int ? static_cast<double>(n.i) : n.d;
  if (v == 0) {
    out[0] = 0x80;
    return 1;
  }
  bool positive = v > 0;
  // Decimal digits from the exact text form.
  std::string t = number_to_text(n);
  if (!positive) t.erase(0, 1);
  size_t point = t.find('.');
  std::string ip = point == std::string::npos ? t : t.substr(0, point);
  std::string fp = point == std::string::npos ? "" : t.substr(point + 1);
  if (ip.empty()) ip = "0";
  // Pad to base-100 pairs.
  if (ip.size() % 2) ip = "0" + ip;
  if (fp.size() % 2) fp += "0";
  std::string all = ip + fp;
  int exp = static_cast<int>(ip.size() / 2) - 1;
  size_t start = 0;
  while (start + 2 <= all.size() && all.compare(start, 2, "00") == 0) {
    start += 2;
    --exp;
  }
  size_t end = all.size();
  while (end >= start + 2 && all.compare(end - 2, 2, "00") == 0) end -= 2;
  size_t len = 1;
  out[0] = static_cast<unsigned char>(positive ? (exp + 65) | 0x80 : ~((exp + 65) | 0x80) & 0xFF);
  for (size_t k = start; k < end && len < 21; k += 2) {
    int d = (all[k] - '0') * 10 + (all[k + 1] - '0');
    out[len++] = static_cast<unsigned char>(positive ? d + 1 : 101 - d);
  }
  if (!positive && len < 21) out[len++] = 102;
  return len;
}

}  // namespace ocilite
