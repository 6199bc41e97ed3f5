#include "decimal_number.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "catalog/oracle_type.h"
#include "ora_format.h"

namespace ocilite {
namespace {

bool is_digit(char c) { return c >= '0' && c <= '9'; }
bool is_blank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

// Adds one unit in the last of the first `keep` digits of `v` (keep > 0),
// dropping the digits after them; carries may add a digit in front.
void round_up_at(Decimal& v, int keep) {
  int i = keep - 1;
  while (i >= 0 && v.d[i] == '9') --i;
  if (i < 0) {
    v.d[0] = '1';
    v.n = 1;
    v.exp += 1;
    return;
  }
  v.d[i] = static_cast<char>(v.d[i] + 1);
  v.n = i + 1;
}

void strip_trailing_zeros(Decimal& v) {
  while (v.n > 0 && v.d[v.n - 1] == '0') --v.n;
  if (v.n == 0) {
    v.neg = false;
    v.exp = 0;
  }
}

// Keeps the first `keep` digits, rounding half away from zero.
Decimal keep_digits(const Decimal& v, int keep) {
  if (keep >= v.n) return v;
  Decimal r = v;
  if (keep < 0) return Decimal{};
  bool up = v.d[keep] >= '5';
  if (keep == 0) {
    if (!up) return Decimal{};
    r.d[0] = '1';
    r.n = 1;
    r.exp = v.exp + 1;
    return r;
  }
  r.n = keep;
  if (up) round_up_at(r, keep);
  strip_trailing_zeros(r);
  return r;
}

}  // namespace

std::optional<Decimal> parse_decimal(std::string_view t) {
  size_t b = 0, e = t.size();
  while (b < e && is_blank(t[b])) ++b;
  while (e > b && is_blank(t[e - 1])) --e;
  size_t i = b;
  Decimal v;
  if (i < e && (t[i] == '+' || t[i] == '-')) v.neg = t[i++] == '-';
  int int_digits = 0, total = 0, leading = 0;
  bool seen_nonzero = false, more = false, round_up = false;
  bool point = false;
  for (; i < e; ++i) {
    char c = t[i];
    if (c == '.') {
      if (point) return std::nullopt;
      point = true;
      continue;
    }
    if (!is_digit(c)) break;
    ++total;
    if (!point) ++int_digits;
    if (!seen_nonzero) {
      if (c == '0') {
        ++leading;
        continue;
      }
      seen_nonzero = true;
    }
    if (v.n < Decimal::kMaxDigits) {
      v.d[v.n++] = c;
    } else if (!more) {
      more = true;
      round_up = c >= '5';
    }
  }
  if (total == 0) return std::nullopt;
  long exp10 = 0;
  if (i < e && (t[i] == 'e' || t[i] == 'E')) {
    ++i;
    bool eneg = false;
    if (i < e && (t[i] == '+' || t[i] == '-')) eneg = t[i++] == '-';
    size_t start = i;
    while (i < e && is_digit(t[i])) {
      if (exp10 < 100000) exp10 = exp10 * 10 + (t[i] - '0');
      ++i;
    }
    if (i == start) return std::nullopt;
    if (eneg) exp10 = -exp10;
  }
  if (i != e) return std::nullopt;
  if (v.n == 0) return Decimal{};
  v.exp = int_digits - leading + static_cast<int>(exp10);
  if (round_up) round_up_at(v, v.n);
  strip_trailing_zeros(v);
  if (v.n > 0 && v.exp < -129) return Decimal{};  // below Oracle's smallest: zero
  return v;
}

Decimal decimal_from_int(int64_t x) {
  char buf[24];
  auto r = std::to_chars(buf, buf + sizeof buf, x);
  return *parse_decimal(std::string_view(buf, static_cast<size_t>(r.ptr - buf)));
}

Decimal decimal_from_double(double x) {
  if (x != x || x == 0) return Decimal{};
  char buf[40];
  std::snprintf(buf, sizeof buf, "%.15g", x);
  auto v = parse_decimal(buf);
  return v ? *v : Decimal{};
}

void decimal_to_text(const Decimal& v, std::string& out) {
  if (v.n == 0) {
    out.assign("0");
    return;
  }
  // At most: sign, 40 characters of plain form, or 40 digits, point and exponent.
  char buf[64];
  size_t len = 0;
  auto put = [&](char c) { buf[len++] = c; };
  auto put_digits = [&](int from, int to) {
    for (int k = from; k < to; ++k) put(v.d[k]);
  };
  if (v.neg) put('-');
  const int plain = v.exp <= 0 ? 1 - v.exp + v.n : std::max(v.exp, v.n) + (v.n > v.exp ? 1 : 0);
  if (plain > 40) {
    put(v.d[0]);
    if (v.n > 1) {
      put('.');
      put_digits(1, v.n);
    }
    int e10 = v.exp - 1;
    put('E');
    put(e10 < 0 ? '-' : '+');
    e10 = e10 < 0 ? -e10 : e10;
    if (e10 >= 100) put(static_cast<char>('0' + e10 / 100 % 10));
    put(static_cast<char>('0' + e10 / 10 % 10));
    put(static_cast<char>('0' + e10 % 10));
  } else if (v.exp <= 0) {
    put('.');
    for (int k = 0; k < -v.exp; ++k) put('0');
    put_digits(0, v.n);
  } else if (v.exp >= v.n) {
    put_digits(0, v.n);
    for (int k = v.n; k < v.exp; ++k) put('0');
  } else {
    put_digits(0, v.exp);
    put('.');
    put_digits(v.exp, v.n);
  }
  out.assign(buf, len);
}

std::string decimal_to_text(const Decimal& v) {
  std::string s;
  decimal_to_text(v, s);
  return s;
}

int compare_decimal(const Decimal& a, const Decimal& b) {
  int sa = a.n == 0 ? 0 : a.neg ? -1 : 1;
  int sb = b.n == 0 ? 0 : b.neg ? -1 : 1;
  if (sa != sb) return sa < sb ? -1 : 1;
  if (sa == 0) return 0;
  int mag = 0;
  if (a.exp != b.exp) {
    mag = a.exp < b.exp ? -1 : 1;
  } else {
    int m = std::min(a.n, b.n);
    int c = std::memcmp(a.d, b.d, static_cast<size_t>(m));
    if (c != 0) mag = c < 0 ? -1 : 1;
    else if (a.n != b.n) mag = a.n < b.n ? -1 : 1;
  }
  return sa > 0 ? mag : -mag;
}

Decimal round_decimal(const Decimal& v, int scale) {
  if (v.n == 0) return v;
  return keep_digits(v, v.exp + scale);
}

Decimal round_significant(const Decimal& v, int digits) { return keep_digits(v, digits); }

std::optional<int64_t> decimal_to_int64(const Decimal& v) {
  if (v.n == 0) return 0;
  if (v.exp < v.n || v.exp > 19) return std::nullopt;
  uint64_t x = 0;
  const uint64_t limit = v.neg ? uint64_t{1} << 63 : (uint64_t{1} << 63) - 1;
  for (int i = 0; i < v.exp; ++i) {
    const uint64_t digit = static_cast<uint64_t>(i < v.n ? v.d[i] - '0' : 0);
    if (x > (limit - digit) / 10) return std::nullopt;
    x = x * 10 + digit;
  }
  if (v.neg) return x == (uint64_t{1} << 63) ? INT64_MIN : -static_cast<int64_t>(x);
  return static_cast<int64_t>(x);
}

double decimal_to_double(const Decimal& v) {
  if (v.n == 0) return 0;
  char buf[64];
  int len = std::snprintf(buf, sizeof buf, "%s0.%.*se%d", v.neg ? "-" : "", v.n, v.d, v.exp);
  (void)len;
  return std::strtod(buf, nullptr);
}

std::optional<Decimal> fit_number_column(const Decimal& v, const OracleType& t, int& error) {
  Decimal x = v;
  if (t.data_type == "NUMBER" && t.precision) {
    const int p = *t.precision, s = t.scale.value_or(0);
    x = round_decimal(x, s);
    if (!x.is_zero() && x.exp > p - s) {
      error = 1438;
      return std::nullopt;
    }
  } else if (t.data_type == "NUMBER" && t.scale) {
    x = round_significant(round_decimal(x, *t.scale), 38);
  } else if (t.data_type == "FLOAT" && t.precision) {
    x = round_significant(x, std::max(1, (*t.precision * 30103 + 99999) / 100000));
  } else {
    x = round_significant(x, 38);
  }
  if (decimal_overflows(x)) {
    error = 1426;
    return std::nullopt;
  }
  return x;
}

int compare_number_texts(std::string_view a, std::string_view b) {
  auto x = parse_decimal(a), y = parse_decimal(b);
  if (x && y) return compare_decimal(*x, *y);
  if (x) return -1;
  if (y) return 1;
  int c = std::memcmp(a.data(), b.data(), std::min(a.size(), b.size()));
  if (c != 0) return c;
  return a.size() < b.size() ? -1 : a.size() > b.size() ? 1 : 0;
}

bool is_canonical_number_text(std::string_view t) {
  // -?digits[.digits] or -?.digits, no leading zero, no trailing zero after
  // a point, at most 40 characters of digits and point.
  size_t i = 0;
  if (t.empty()) return false;
  if (t[0] == '-') ++i;
  if (i >= t.size()) return false;
  if (t.size() == 1 && t[0] == '0') return true;
  if (t[i] == '0') return false;
  size_t digits = 0;
  bool point = false;
  for (size_t k = i; k < t.size(); ++k) {
    if (t[k] == '.') {
      if (point || k + 1 == t.size()) return false;
      point = true;
    } else if (!is_digit(t[k])) {
      return false;
    } else {
      ++digits;
    }
  }
  if (point && t.back() == '0') return false;
  return digits > 0 && t.size() - i <= 40;
}

}  // namespace ocilite
