// Oracle's text forms of numbers and dates: implicit conversion rules,
// TO_CHAR/TO_DATE/TO_NUMBER format models and the storage form used in
// SQLite (dates as 'YYYY-MM-DD HH24:MI:SS[.FFFFFFFFF]' text, which sorts
// and compares correctly).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ocilite {

// ---- numbers ----
struct OraNumber {
  bool is_int = true;
  int64_t i = 0;
  double d = 0.0;
};

// Oracle's implicit NUMBER -> text: "0.5" is ".5", "-0.5" is "-.5", no
// exponent below 1e40, at most 15 significant digits from a double (the
// precision SQLite keeps), so 0.1 + 0.2 gives ".3".
std::string number_to_text(int64_t v);
std::string number_to_text(double v);
std::string number_to_text(const OraNumber& v);

// Oracle's implicit text -> NUMBER: blanks around, optional sign, digits with
// one '.', optional exponent. Returns nullopt (ORA-01722) otherwise.
std::optional<OraNumber> parse_number(std::string_view text);

// TO_CHAR(number, fmt) for the common number format models
// (9 0 . , D G $ S MI FM EEEE X). Returns nullopt when the model is invalid.
std::optional<std::string> format_number(const OraNumber& v, std::string_view fmt);

// Count of digits before and after the point of a number's exact text form,
// used to check NUMBER(p,s) columns (ORA-01438) and to round to scale.
double round_to_scale(double v, int scale);

// ---- dates ----
struct OraDateTime {
  int year = 1, month = 1, day = 1, hour = 0, minute = 0, second = 0;
  int64_t nanos = 0;      // fraction of a second in nanoseconds
  bool has_tz = false;
  int tz_minutes = 0;     // offset from UTC
};

// Storage form: "2024-01-31 13:45:00" (+ ".123456" when fraction digits > 0).
std::string date_to_storage(const OraDateTime& dt, int fraction_digits = 0);
// Parses the storage form (also 'YYYY-MM-DD' and 'YYYY-MM-DDTHH:MM:SS').
std::optional<OraDateTime> date_from_storage(std::string_view text);

// Formats with an Oracle date format model. Unknown elements give nullopt.
std::optional<std::string> format_date(const OraDateTime& dt, std::string_view fmt);

// A format model split into its elements once, for formatting many values.
class DateFormat {
 public:
  static std::optional<DateFormat> compile(std::string_view fmt);
  void format(const OraDateTime& dt, std::string& out) const;  // appends
  const std::string& model() const { return model_; }

 private:
  struct Item {
    int element;        // index into the element table, -1 for literal text
    std::string text;   // literal text, or the element as written (for its case)
    bool fm;            // fill mode in force
  };
  std::string model_;
  std::vector<Item> items_;
};

// Parses text with a format model. On failure returns the ORA number
// (1830, 1840, 1843, 1847, 1858, 1861, 1821) in `error`.
std::optional<OraDateTime> parse_date(std::string_view text, std::string_view fmt, int& error);

// Local current time.
OraDateTime now_local();

bool valid_date(const OraDateTime& dt);
int days_in_month(int year, int month);
// Days since 0001-01-01 and back, for date arithmetic.
int64_t days_from_civil(int y, int m, int d);
void civil_from_days(int64_t z, int& y, int& m, int& d);

// ---- RAW ----
std::string raw_to_hex(std::string_view bytes);                 // upper-case hex
std::optional<std::string> hex_to_raw(std::string_view hex);    // nullopt: ORA-01465

}  // namespace ocilite
