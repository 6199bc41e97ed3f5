// Oracle NUMBER values held exactly: up to 40 significant decimal digits
// and a decimal exponent, as Oracle keeps them. Columns declared NUMBER,
// INTEGER, DECIMAL or FLOAT store these as their text form (TEXT affinity)
// under the collation `ocilite_number`, which compares such texts as
// numbers, so SQLite's indexes, ORDER BY and comparisons stay numeric while
// no digit is lost to a double.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace ocilite {

struct OracleType;

struct Decimal {
  static constexpr int kMaxDigits = 40;
  // value = (neg ? -1 : 1) * 0.d[0]d[1]...d[n-1] * 10^exp; n == 0 is zero.
  // d[0] and d[n-1] are never '0'.
  bool neg = false;
  int exp = 0;
  int n = 0;
  char d[kMaxDigits] = {};
  bool is_zero() const { return n == 0; }
};

// Oracle's implicit text -> NUMBER: blanks around, optional sign, digits
// with one '.', optional exponent. Digits past 40 are rounded away.
// nullopt when the text is no number (ORA-01722).
std::optional<Decimal> parse_decimal(std::string_view text);
Decimal decimal_from_int(int64_t v);
// A double by its 15-significant-digit text, the digits a double keeps.
Decimal decimal_from_double(double v);
// Beyond Oracle's range (ORA-01426 numeric overflow).
inline bool decimal_overflows(const Decimal& v) { return v.n > 0 && v.exp > 126; }

// Oracle's text form: "0.5" is ".5", "-0.5" is "-.5", scientific notation
// ("1.5E+45") when the plain form would pass 40 characters.
std::string decimal_to_text(const Decimal& v);
void decimal_to_text(const Decimal& v, std::string& out);  // replaces `out`

int compare_decimal(const Decimal& a, const Decimal& b);
// Rounds half away from zero to `scale` digits after the point (a negative
// scale rounds to tens, hundreds, ...), as NUMBER(p,s) columns do.
Decimal round_decimal(const Decimal& v, int scale);
// Rounds half away from zero to `digits` significant digits.
Decimal round_significant(const Decimal& v, int digits);
// Digits before the point (0 for |v| < 1).
inline int integer_digits(const Decimal& v) { return v.n == 0 || v.exp < 0 ? 0 : v.exp; }

// The value when it is an integer within int64.
std::optional<int64_t> decimal_to_int64(const Decimal& v);
double decimal_to_double(const Decimal& v);

// A value written to a column of type `t`, rounded and checked as Oracle
// does: NUMBER(p,s) rounds to s places and refuses |v| >= 10^(p-s)
// (ORA-01438); FLOAT(b) keeps b*log10(2) digits; others 38 digits; beyond
// Oracle's range ORA-01426. nullopt with the ORA number in `error`.
std::optional<Decimal> fit_number_column(const Decimal& v, const OracleType& t, int& error);

// The collation `ocilite_number`: numbers in numeric order, then texts that
// are no number in byte order.
int compare_number_texts(std::string_view a, std::string_view b);
// True when `text` is already the form decimal_to_text writes (the fetch
// path copies such texts as they are).
bool is_canonical_number_text(std::string_view text);

}  // namespace ocilite
