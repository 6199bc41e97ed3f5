#include "sql_functions.h"

#include <sqlite3.h>

#include <cmath>
#include <cstring>
#include <mutex>
#include <random>
#include <string>
#include <vector>

#include "decimal_number.h"
#include "engine_error.h"
#include "object_values.h"
#include "ora_format.h"
#include "session.h"

namespace ocilite {
namespace {

constexpr char kB64[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

Session* session_of(sqlite3_context* ctx) { return static_cast<Session*>(sqlite3_user_data(ctx)); }

std::string text_arg(sqlite3_value* v) {
  const unsigned char* t = sqlite3_value_text(v);
  return t ? std::string(reinterpret_cast<const char*>(t), static_cast<size_t>(sqlite3_value_bytes(v))) : std::string();
}

bool is_null(sqlite3_value* v) { return sqlite3_value_type(v) == SQLITE_NULL; }

void result_text(sqlite3_context* ctx, const std::string& s) {
  if (s.empty()) sqlite3_result_null(ctx);  // Oracle: an empty text is NULL
  else sqlite3_result_text(ctx, s.data(), static_cast<int>(s.size()), SQLITE_TRANSIENT);
}

void result_error(sqlite3_context* ctx, int code, std::initializer_list<std::string_view> args = {}) {
  OraError e = engine_error(code, args);
  sqlite3_result_error(ctx, e.text.c_str(), -1);
}

void result_number(sqlite3_context* ctx, double d) {
  if (d == std::floor(d) && std::fabs(d) < 9e15) sqlite3_result_int64(ctx, static_cast<int64_t>(d));
  else sqlite3_result_double(ctx, d);
}

// A NUMBER column's value: exact text for columns stored as text, else the
// SQLite number closest to it (an integer when it is one).
void result_decimal(sqlite3_context* ctx, const Decimal& x, bool as_text) {
  if (as_text) {
    std::string t = decimal_to_text(x);
    return sqlite3_result_text(ctx, t.data(), static_cast<int>(t.size()), SQLITE_TRANSIENT);
  }
  if (auto i = decimal_to_int64(x)) return sqlite3_result_int64(ctx, *i);
  sqlite3_result_double(ctx, decimal_to_double(x));
}

int collate_number(void*, int na, const void* a, int nb, const void* b) {
  return compare_number_texts(std::string_view(static_cast<const char*>(a), static_cast<size_t>(na)),
                              std::string_view(static_cast<const char*>(b), static_cast<size_t>(nb)));
}

// Numeric value of an argument, with Oracle's implicit text conversion.
bool number_arg(sqlite3_context* ctx, sqlite3_value* v, double& out) {
  switch (sqlite3_value_type(v)) {
    case SQLITE_INTEGER: out = static_cast<double>(sqlite3_value_int64(v)); return true;
    case SQLITE_FLOAT: out = sqlite3_value_double(v); return true;
    default: {
      auto n = parse_number(text_arg(v));
      if (!n) {
        result_error(ctx, ora::kInvalidNumber);
        return false;
      }
      out = n->is_int ? static_cast<double>(n->i) : n->d;
      return true;
    }
  }
}

// Oracle text form of any value (numbers as Oracle prints them).
std::string value_text(sqlite3_value* v) {
  switch (sqlite3_value_type(v)) {
    case SQLITE_INTEGER: return number_to_text(static_cast<int64_t>(sqlite3_value_int64(v)));
    case SQLITE_FLOAT: return number_to_text(sqlite3_value_double(v));
    case SQLITE_BLOB: {
      const void* b = sqlite3_value_blob(v);
      return raw_to_hex(std::string_view(static_cast<const char*>(b), static_cast<size_t>(sqlite3_value_bytes(v))));
    }
    case SQLITE_NULL: return {};
    default: return text_arg(v);
  }
}

// UTF-8 helpers: character counts and byte offsets.
size_t char_count(std::string_view s) {
  size_t n = 0;
  for (unsigned char c : s)
    if ((c & 0xC0) != 0x80) ++n;
  return n;
}
size_t byte_of_char(std::string_view s, size_t chars) {
  size_t i = 0, n = 0;
  while (i < s.size() && n < chars) {
    ++i;
    while (i < s.size() && (static_cast<unsigned char>(s[i]) & 0xC0) == 0x80) ++i;
    ++n;
  }
  return i;
}

std::optional<OraDateTime> date_arg(sqlite3_context* ctx, sqlite3_value* v, bool report = true) {
  std::string t = text_arg(v);
  if (auto dt = date_from_storage(t)) return dt;
  Session* s = session_of(ctx);
  int err = 0;
  if (s) {
    if (auto dt = parse_date(t, s->nls().date_format(), err)) return dt;
  }
  if (report) result_error(ctx, err ? err : 1861);
  return std::nullopt;
}

void result_date(sqlite3_context* ctx, const OraDateTime& dt, int digits = 0) {
  result_text(ctx, date_to_storage(dt, digits));
}

// ---------------------------------------------------------------- functions

void fn_concat(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
  std::string out;
  for (int i = 0; i < argc; ++i) out += value_text(argv[i]);
  result_text(ctx, out);
}

void substr_impl(sqlite3_context* ctx, int argc, sqlite3_value** argv, bool bytes) {
  if (is_null(argv[0]) || is_null(argv[1]) || (argc > 2 && is_null(argv[2]))) return sqlite3_result_null(ctx);
  std::string s = value_text(argv[0]);
  double pos_d = 0, len_d = 0;
  if (!number_arg(ctx, argv[1], pos_d)) return;
  if (argc > 2 && !number_arg(ctx, argv[2], len_d)) return;
  int64_t pos = static_cast<int64_t>(std::trunc(pos_d));
  size_t total = bytes ? s.size() : char_count(s);
  if (pos == 0) pos = 1;
  if (pos < 0) pos = static_cast<int64_t>(total) + pos + 1;
  if (pos < 1 || pos > static_cast<int64_t>(total)) return sqlite3_result_null(ctx);
  size_t start = static_cast<size_t>(pos - 1);
  size_t count = total - start;
  if (argc > 2) {
    if (len_d < 1) return sqlite3_result_null(ctx);
    count = std::min(count, static_cast<size_t>(len_d));
  }
  if (bytes) return result_text(ctx, s.substr(start, count));
  size_t b = byte_of_char(s, start), e = byte_of_char(s, start + count);
  result_text(ctx, s.substr(b, e - b));
}
void fn_substr(sqlite3_context* c, int n, sqlite3_value** v) { substr_impl(c, n, v, false); }
void fn_substrb(sqlite3_context* c, int n, sqlite3_value** v) { substr_impl(c, n, v, true); }

void fn_instr(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
  for (int i = 0; i < argc; ++i)
    if (is_null(argv[i])) return sqlite3_result_null(ctx);
  std::string s = value_text(argv[0]), sub = value_text(argv[1]);
  double pos_d = 1, occ_d = 1;
  if (argc > 2 && !number_arg(ctx, argv[2], pos_d)) return;
  if (argc > 3 && !number_arg(ctx, argv[3], occ_d)) return;
  int64_t pos = static_cast<int64_t>(pos_d), occ = static_cast<int64_t>(occ_d);
  if (occ < 1 || pos == 0) return sqlite3_result_int(ctx, 0);
  size_t n = char_count(s);
  std::vector<size_t> hits;
  for (size_t c = 0; c < n; ++c) {
    size_t b = byte_of_char(s, c);
    if (s.compare(b, sub.size(), sub) == 0) hits.push_back(c + 1);
  }
  if (pos > 0) {
    int64_t k = 0;
    for (size_t h : hits)
      if (static_cast<int64_t>(h) >= pos && ++k == occ) return sqlite3_result_int64(ctx, static_cast<int64_t>(h));
  } else {
    int64_t limit = static_cast<int64_t>(n) + pos + 1, k = 0;
    for (size_t i = hits.size(); i-- > 0;)
      if (static_cast<int64_t>(hits[i]) <= limit && ++k == occ) return sqlite3_result_int64(ctx, static_cast<int64_t>(hits[i]));
  }
  sqlite3_result_int(ctx, 0);
}

void fn_to_char(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
  if (is_null(argv[0])) return sqlite3_result_null(ctx);
  Session* s = session_of(ctx);
  int type = sqlite3_value_type(argv[0]);
  std::string fmt = argc > 1 && !is_null(argv[1]) ? text_arg(argv[1]) : std::string();
  if (type == SQLITE_INTEGER || type == SQLITE_FLOAT) {
    OraNumber n;
    if (type == SQLITE_INTEGER) n.i = sqlite3_value_int64(argv[0]);
    else n.is_int = false, n.d = sqlite3_value_double(argv[0]);
    if (fmt.empty()) return result_text(ctx, number_to_text(n));
    auto out = format_number(n, fmt);
    if (!out) return sqlite3_result_error(ctx, "ORA-01481: invalid number format model", -1);
    return result_text(ctx, *out);
  }
  std::string t = value_text(argv[0]);
  if (auto dt = date_from_storage(t)) {
    bool ts = t.size() > 19 && t[19] == '.';
    if (fmt.empty() && s) fmt = ts ? s->nls().timestamp_format() : s->nls().date_format();
    auto out = format_date(*dt, fmt);
    if (!out) return result_error(ctx, 1821);
    return result_text(ctx, *out);
  }
  if (!fmt.empty()) {
    // TO_CHAR(text, fmt) converts the text to a number first, as Oracle does.
    auto n = parse_number(t);
    if (!n) return result_error(ctx, ora::kInvalidNumber);
    auto out = format_number(*n, fmt);
    if (!out) return sqlite3_result_error(ctx, "ORA-01481: invalid number format model", -1);
    return result_text(ctx, *out);
  }
  result_text(ctx, t);
}

void to_date_impl(sqlite3_context* ctx, int argc, sqlite3_value** argv, bool timestamp) {
  if (is_null(argv[0])) return sqlite3_result_null(ctx);
  Session* s = session_of(ctx);
  std::string t = value_text(argv[0]);
  std::string fmt = argc > 1 && !is_null(argv[1]) ? text_arg(argv[1])
                    : s ? (timestamp ? s->nls().timestamp_format() : s->nls().date_format()) : "YYYY-MM-DD HH24:MI:SS";
  int err = 0;
  auto dt = parse_date(t, fmt, err);
  if (!dt) {
    if (argc < 2) {
      if (auto st = date_from_storage(t)) return result_date(ctx, *st, timestamp ? 6 : 0);
    }
    return result_error(ctx, err ? err : 1861);
  }
  if (!timestamp) dt->nanos = 0;
  result_date(ctx, *dt, timestamp ? 6 : 0);
}
void fn_to_date(sqlite3_context* c, int n, sqlite3_value** v) { to_date_impl(c, n, v, false); }
void fn_to_timestamp(sqlite3_context* c, int n, sqlite3_value** v) { to_date_impl(c, n, v, true); }

void fn_to_number(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
  (void)argc;
  if (is_null(argv[0])) return sqlite3_result_null(ctx);
  int type = sqlite3_value_type(argv[0]);
  if (type == SQLITE_INTEGER || type == SQLITE_FLOAT) return sqlite3_result_value(ctx, argv[0]);
  std::string t = text_arg(argv[0]);
  // Format models with group separators or currency: strip them first.
  if (argc > 1) {
    std::string clean;
    for (char c : t)
      if (c != ',' && c != '$' && c != ' ') clean.push_back(c);
    t = clean;
  }
  auto n = parse_number(t);
  if (!n) return result_error(ctx, ora::kInvalidNumber);
  if (n->is_int) sqlite3_result_int64(ctx, n->i);
  else sqlite3_result_double(ctx, n->d);
}

void trunc_round_impl(sqlite3_context* ctx, int argc, sqlite3_value** argv, bool round) {
  if (is_null(argv[0])) return sqlite3_result_null(ctx);
  int type = sqlite3_value_type(argv[0]);
  if (type == SQLITE_TEXT) {
    std::string t = text_arg(argv[0]);
    if (auto dt = date_from_storage(t)) {
      std::string unit = argc > 1 ? text_arg(argv[1]) : "DD";
      for (char& c : unit) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
      OraDateTime r = *dt;
      r.nanos = 0;
      if (round && (unit == "DD" || unit == "DDD" || unit == "J") && dt->hour >= 12) {
        int64_t d = days_from_civil(r.year, r.month, r.day) + 1;
        civil_from_days(d, r.year, r.month, r.day);
      }
      if (unit == "YYYY" || unit == "YEAR" || unit == "YY" || unit == "Y" || unit == "RR" || unit == "SYYYY") {
        if (round && dt->month >= 7) ++r.year;
        r.month = 1, r.day = 1;
      } else if (unit == "MM" || unit == "MONTH" || unit == "MON") {
        if (round && dt->day >= 16) {
          if (++r.month > 12) r.month = 1, ++r.year;
        }
        r.day = 1;
      } else if (unit == "HH" || unit == "HH24") {
        r.minute = 0, r.second = 0;
        result_date(ctx, r);
        return;
      } else if (unit == "MI") {
        r.second = 0;
        result_date(ctx, r);
        return;
      } else if (unit == "Q") {
        r.month = (r.month - 1) / 3 * 3 + 1, r.day = 1;
      } else if (unit == "DAY" || unit == "DY" || unit == "D") {
        int64_t d = days_from_civil(r.year, r.month, r.day);
        int wd = static_cast<int>(((d % 7) + 11) % 7);
        civil_from_days(d - wd, r.year, r.month, r.day);
      }
      r.hour = r.minute = r.second = 0;
      return result_date(ctx, r);
    }
  }
  double v = 0, places = 0;
  if (!number_arg(ctx, argv[0], v)) return;
  if (argc > 1 && !number_arg(ctx, argv[1], places)) return;
  double p = std::pow(10.0, std::trunc(places));
  double scaled = v * p;
  // Rounding through the 15-digit text form avoids 2.675 -> 2.67.
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.15g", scaled);
  scaled = std::strtod(buf, nullptr);
  double r = round ? std::round(scaled) : std::trunc(scaled);
  result_number(ctx, round_to_scale(r / p, static_cast<int>(std::max(0.0, places))));
}
void fn_trunc(sqlite3_context* c, int n, sqlite3_value** v) { trunc_round_impl(c, n, v, false); }
void fn_round(sqlite3_context* c, int n, sqlite3_value** v) { trunc_round_impl(c, n, v, true); }

void fn_length(sqlite3_context* ctx, int, sqlite3_value** argv) {
  if (is_null(argv[0])) return sqlite3_result_null(ctx);
  sqlite3_result_int64(ctx, static_cast<int64_t>(char_count(value_text(argv[0]))));
}
void fn_lengthb(sqlite3_context* ctx, int, sqlite3_value** argv) {
  if (is_null(argv[0])) return sqlite3_result_null(ctx);
  if (sqlite3_value_type(argv[0]) == SQLITE_BLOB) return sqlite3_result_int(ctx, sqlite3_value_bytes(argv[0]));
  sqlite3_result_int64(ctx, static_cast<int64_t>(value_text(argv[0]).size()));
}

void pad_impl(sqlite3_context* ctx, int argc, sqlite3_value** argv, bool left) {
  if (is_null(argv[0]) || is_null(argv[1]) || (argc > 2 && is_null(argv[2]))) return sqlite3_result_null(ctx);
  std::string s = value_text(argv[0]);
  double n_d = 0;
  if (!number_arg(ctx, argv[1], n_d)) return;
  std::string pad = argc > 2 ? value_text(argv[2]) : " ";
  if (n_d < 1 || pad.empty()) return sqlite3_result_null(ctx);
  size_t n = static_cast<size_t>(n_d), len = char_count(s);
  if (len >= n) return result_text(ctx, s.substr(0, byte_of_char(s, n)));
  std::string fill;
  size_t need = n - len, pl = char_count(pad);
  while (char_count(fill) + pl <= need) fill += pad;
  fill += pad.substr(0, byte_of_char(pad, need - char_count(fill)));
  result_text(ctx, left ? fill + s : s + fill);
}
void fn_lpad(sqlite3_context* c, int n, sqlite3_value** v) { pad_impl(c, n, v, true); }
void fn_rpad(sqlite3_context* c, int n, sqlite3_value** v) { pad_impl(c, n, v, false); }

void trim_impl(sqlite3_context* ctx, int argc, sqlite3_value** argv, int which) {
  if (is_null(argv[0]) || (argc > 1 && is_null(argv[1]))) return sqlite3_result_null(ctx);
  std::string s = value_text(argv[0]);
  std::string set = argc > 1 ? value_text(argv[1]) : " ";
  size_t b = 0, e = s.size();
  if (which & 1)
    while (b < e && set.find(s[b]) != std::string::npos) ++b;
  if (which & 2)
    while (e > b && set.find(s[e - 1]) != std::string::npos) --e;
  result_text(ctx, s.substr(b, e - b));
}
void fn_ltrim(sqlite3_context* c, int n, sqlite3_value** v) { trim_impl(c, n, v, 1); }
void fn_rtrim(sqlite3_context* c, int n, sqlite3_value** v) { trim_impl(c, n, v, 2); }
void fn_trim(sqlite3_context* c, int n, sqlite3_value** v) { trim_impl(c, n, v, 3); }

void case_impl(sqlite3_context* ctx, sqlite3_value** argv, int mode) {
  if (is_null(argv[0])) return sqlite3_result_null(ctx);
  std::string s = value_text(argv[0]);
  bool start = true;
  for (char& c : s) {
    unsigned char u = static_cast<unsigned char>(c);
    if (u >= 0x80) {
      start = false;
      continue;
    }
    if (mode == 0) c = static_cast<char>(std::toupper(u));
    else if (mode == 1) c = static_cast<char>(std::tolower(u));
    else {
      c = static_cast<char>(start ? std::toupper(u) : std::tolower(u));
      start = !std::isalnum(u);
    }
  }
  result_text(ctx, s);
}
void fn_upper(sqlite3_context* c, int, sqlite3_value** v) { case_impl(c, v, 0); }
void fn_lower(sqlite3_context* c, int, sqlite3_value** v) { case_impl(c, v, 1); }
void fn_initcap(sqlite3_context* c, int, sqlite3_value** v) { case_impl(c, v, 2); }

void fn_chr(sqlite3_context* ctx, int, sqlite3_value** argv) {
  if (is_null(argv[0])) return sqlite3_result_null(ctx);
  double d = 0;
  if (!number_arg(ctx, argv[0], d)) return;
  unsigned v = static_cast<unsigned>(d);
  std::string out;
  if (v < 0x80) out.push_back(static_cast<char>(v));
  else if (v <= 0xFF) out.push_back(static_cast<char>(v));  // a byte of the database character set
  else {
    while (v) {
      out.insert(out.begin(), static_cast<char>(v & 0xFF));
      v >>= 8;
    }
  }
  result_text(ctx, out);
}

void fn_ascii(sqlite3_context* ctx, int, sqlite3_value** argv) {
  if (is_null(argv[0])) return sqlite3_result_null(ctx);
  std::string s = value_text(argv[0]);
  if (s.empty()) return sqlite3_result_null(ctx);
  size_t n = byte_of_char(s, 1);
  int64_t v = 0;
  for (size_t i = 0; i < n; ++i) v = v * 256 + static_cast<unsigned char>(s[i]);
  sqlite3_result_int64(ctx, v);
}

template <double (*F)(double)>
void math1(sqlite3_context* ctx, int, sqlite3_value** argv) {
  if (is_null(argv[0])) return sqlite3_result_null(ctx);
  double v = 0;
  if (!number_arg(ctx, argv[0], v)) return;
  result_number(ctx, F(v));
}
double sign_of(double v) { return v > 0 ? 1 : v < 0 ? -1 : 0; }
double abs_of(double v) { return std::fabs(v); }
double ceil_of(double v) { return std::ceil(v); }
double floor_of(double v) { return std::floor(v); }
double sqrt_of(double v) { return std::sqrt(v); }
double exp_of(double v) { return std::exp(v); }
double ln_of(double v) { return std::log(v); }

void fn_mod(sqlite3_context* ctx, int, sqlite3_value** argv) {
  if (is_null(argv[0]) || is_null(argv[1])) return sqlite3_result_null(ctx);
  double a = 0, b = 0;
  if (!number_arg(ctx, argv[0], a) || !number_arg(ctx, argv[1], b)) return;
  if (b == 0) return result_number(ctx, a);
  result_number(ctx, a - b * std::trunc(a / b));
}
void fn_power(sqlite3_context* ctx, int, sqlite3_value** argv) {
  if (is_null(argv[0]) || is_null(argv[1])) return sqlite3_result_null(ctx);
  double a = 0, b = 0;
  if (!number_arg(ctx, argv[0], a) || !number_arg(ctx, argv[1], b)) return;
  result_number(ctx, std::pow(a, b));
}
void fn_log(sqlite3_context* ctx, int, sqlite3_value** argv) {
  if (is_null(argv[0]) || is_null(argv[1])) return sqlite3_result_null(ctx);
  double a = 0, b = 0;
  if (!number_arg(ctx, argv[0], a) || !number_arg(ctx, argv[1], b)) return;
  result_number(ctx, std::log(b) / std::log(a));
}

void fn_add_months(sqlite3_context* ctx, int, sqlite3_value** argv) {
  if (is_null(argv[0]) || is_null(argv[1])) return sqlite3_result_null(ctx);
  auto dt = date_arg(ctx, argv[0]);
  if (!dt) return;
  double n = 0;
  if (!number_arg(ctx, argv[1], n)) return;
  bool last = dt->day == days_in_month(dt->year, dt->month);
  int total = dt->year * 12 + (dt->month - 1) + static_cast<int>(n);
  dt->year = total / 12;
  dt->month = total % 12 + 1;
  int dim = days_in_month(dt->year, dt->month);
  if (last || dt->day > dim) dt->day = dim;
  result_date(ctx, *dt);
}
void fn_last_day(sqlite3_context* ctx, int, sqlite3_value** argv) {
  if (is_null(argv[0])) return sqlite3_result_null(ctx);
  auto dt = date_arg(ctx, argv[0]);
  if (!dt) return;
  dt->day = days_in_month(dt->year, dt->month);
  result_date(ctx, *dt);
}
void fn_next_day(sqlite3_context* ctx, int, sqlite3_value** argv) {
  if (is_null(argv[0]) || is_null(argv[1])) return sqlite3_result_null(ctx);
  auto dt = date_arg(ctx, argv[0]);
  if (!dt) return;
  std::string day = text_arg(argv[1]);
  for (char& c : day) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  static const char* names[] = {"SUN", "MON", "TUE", "WED", "THU", "FRI", "SAT"};
  int target = -1;
  for (int i = 0; i < 7; ++i)
    if (day.rfind(names[i], 0) == 0) target = i;
  if (target < 0) return sqlite3_result_error(ctx, "ORA-01846: not a valid day of the week", -1);
  int64_t d = days_from_civil(dt->year, dt->month, dt->day);
  int wd = static_cast<int>(((d % 7) + 11) % 7);
  int add = (target - wd + 7) % 7;
  if (add == 0) add = 7;
  civil_from_days(d + add, dt->year, dt->month, dt->day);
  result_date(ctx, *dt);
}
void fn_months_between(sqlite3_context* ctx, int, sqlite3_value** argv) {
  if (is_null(argv[0]) || is_null(argv[1])) return sqlite3_result_null(ctx);
  auto a = date_arg(ctx, argv[0]);
  if (!a) return;
  auto b = date_arg(ctx, argv[1]);
  if (!b) return;
  double months = (a->year - b->year) * 12 + (a->month - b->month);
  bool both_last = a->day == days_in_month(a->year, a->month) && b->day == days_in_month(b->year, b->month);
  if (a->day != b->day && !both_last) {
    double sa = a->day + (a->hour * 3600 + a->minute * 60 + a->second) / 86400.0;
    double sb = b->day + (b->hour * 3600 + b->minute * 60 + b->second) / 86400.0;
    months += (sa - sb) / 31.0;
  }
  result_number(ctx, std::round(months * 1e12) / 1e12);
}

void fn_extract(sqlite3_context* ctx, int, sqlite3_value** argv) {
  if (is_null(argv[1])) return sqlite3_result_null(ctx);
  auto dt = date_arg(ctx, argv[1]);
  if (!dt) return;
  std::string u = text_arg(argv[0]);
  if (u == "YEAR") return sqlite3_result_int(ctx, dt->year);
  if (u == "MONTH") return sqlite3_result_int(ctx, dt->month);
  if (u == "DAY") return sqlite3_result_int(ctx, dt->day);
  if (u == "HOUR") return sqlite3_result_int(ctx, dt->hour);
  if (u == "MINUTE") return sqlite3_result_int(ctx, dt->minute);
  if (u == "SECOND") return result_number(ctx, dt->second + static_cast<double>(dt->nanos) / 1e9);
  sqlite3_result_error(ctx, "ORA-00907: missing right parenthesis", -1);
}

void fn_replace(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
  if (is_null(argv[0])) return sqlite3_result_null(ctx);
  std::string s = value_text(argv[0]);
  std::string from = is_null(argv[1]) ? "" : value_text(argv[1]);
  std::string to = argc > 2 && !is_null(argv[2]) ? value_text(argv[2]) : "";
  if (from.empty()) return result_text(ctx, s);
  std::string out;
  size_t p = 0;
  for (size_t f = s.find(from); f != std::string::npos; f = s.find(from, p)) {
    out.append(s, p, f - p);
    out += to;
    p = f + from.size();
  }
  out.append(s, p, std::string::npos);
  result_text(ctx, out);
}

void fn_translate(sqlite3_context* ctx, int, sqlite3_value** argv) {
  if (is_null(argv[0]) || is_null(argv[1]) || is_null(argv[2])) return sqlite3_result_null(ctx);
  std::string s = value_text(argv[0]), from = value_text(argv[1]), to = value_text(argv[2]);
  std::string out;
  for (char c : s) {
    size_t k = from.find(c);
    if (k == std::string::npos) out.push_back(c);
    else if (k < to.size()) out.push_back(to[k]);
  }
  result_text(ctx, out);
}

int64_t seconds_of(const OraDateTime& x) {
  return days_from_civil(x.year, x.month, x.day) * 86400 + x.hour * 3600 + x.minute * 60 + x.second;
}

void result_shifted(sqlite3_context* ctx, const OraDateTime& dt, double days) {
  int64_t secs = seconds_of(dt) + static_cast<int64_t>(std::llround(days * 86400.0));
  int64_t d = secs >= 0 ? secs / 86400 : (secs - 86399) / 86400;
  int64_t rest = secs - d * 86400;
  OraDateTime r;
  civil_from_days(d, r.year, r.month, r.day);
  r.hour = static_cast<int>(rest / 3600);
  r.minute = static_cast<int>(rest / 60 % 60);
  r.second = static_cast<int>(rest % 60);
  if (!valid_date(r)) return result_error(ctx, 1841);
  result_date(ctx, r);
}

void fn_date_add(sqlite3_context* ctx, int, sqlite3_value** argv) {
  if (is_null(argv[0]) || is_null(argv[1])) return sqlite3_result_null(ctx);
  auto dt = date_arg(ctx, argv[0]);
  if (!dt) return;
  double days = 0;
  if (!number_arg(ctx, argv[1], days)) return;
  result_shifted(ctx, *dt, days);
}

// date - n gives a date; date - date gives the days between them.
void fn_date_sub(sqlite3_context* ctx, int, sqlite3_value** argv) {
  if (is_null(argv[0]) || is_null(argv[1])) return sqlite3_result_null(ctx);
  auto a = date_arg(ctx, argv[0]);
  if (!a) return;
  if (sqlite3_value_type(argv[1]) == SQLITE_TEXT) {
    if (auto b = date_from_storage(text_arg(argv[1]))) {
      double diff = static_cast<double>(seconds_of(*a) - seconds_of(*b)) / 86400.0;
      return result_number(ctx, std::round(diff * 1e9) / 1e9);
    }
  }
  double days = 0;
  if (!number_arg(ctx, argv[1], days)) return;
  result_shifted(ctx, *a, -days);
}

void fn_sysdate(sqlite3_context* ctx, int, sqlite3_value**) {
  OraDateTime dt = now_local();
  dt.nanos = 0;
  result_date(ctx, dt);
}
void fn_systimestamp(sqlite3_context* ctx, int, sqlite3_value**) {
  OraDateTime dt = now_local();
  dt.has_tz = true;
  result_date(ctx, dt, 6);
}
void fn_localtimestamp(sqlite3_context* ctx, int, sqlite3_value**) { result_date(ctx, now_local(), 6); }
void fn_uid(sqlite3_context* ctx, int, sqlite3_value**) {
  Session* s = session_of(ctx);
  auto u = s ? s->catalog().find_user(s->user()) : std::nullopt;
  sqlite3_result_int64(ctx, u ? u->user_id : 0);
}
void fn_sessiontimezone(sqlite3_context* ctx, int, sqlite3_value**) {
  Session* s = session_of(ctx);
  result_text(ctx, s ? s->nls().time_zone() : "+00:00");
}
void fn_userenv(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
  Session* s = session_of(ctx);
  std::string what = text_arg(argv[argc - 1]);
  for (char& c : what) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  if (!s) return sqlite3_result_null(ctx);
  if (what == "SESSION_USER" || what == "CURRENT_USER") return result_text(ctx, s->user());
  if (what == "CURRENT_SCHEMA") return result_text(ctx, s->current_schema());
  if (what == "LANGUAGE") return result_text(ctx, *s->nls().get("NLS_LANGUAGE") + "_" + *s->nls().get("NLS_TERRITORY") + ".AL32UTF8");
  if (what == "DB_NAME" || what == "INSTANCE_NAME") return result_text(ctx, "OCILITE");
  if (what == "SID" || what == "SESSIONID") return sqlite3_result_int64(ctx, reinterpret_cast<intptr_t>(s) & 0xFFFF);
  sqlite3_result_null(ctx);
}
void fn_sys_guid(sqlite3_context* ctx, int, sqlite3_value**) {
  static std::mutex mutex;
  static std::mt19937_64 gen{std::random_device{}()};
  std::lock_guard lock(mutex);
  unsigned char b[16];
  for (int i = 0; i < 16; i += 8) {
    uint64_t r = gen();
    std::memcpy(b + i, &r, 8);
  }
  sqlite3_result_blob(ctx, b, 16, SQLITE_TRANSIENT);
}
void fn_empty_clob(sqlite3_context* ctx, int, sqlite3_value**) { sqlite3_result_text(ctx, "", 0, SQLITE_STATIC); }
void fn_empty_blob(sqlite3_context* ctx, int, sqlite3_value**) { sqlite3_result_zeroblob(ctx, 0); }
void fn_bfilename(sqlite3_context* ctx, int, sqlite3_value** argv) {
  if (is_null(argv[0]) || is_null(argv[1])) return sqlite3_result_null(ctx);
  result_text(ctx, "BFILE:" + text_arg(argv[0]) + "/" + text_arg(argv[1]));
}
void fn_rawtohex(sqlite3_context* ctx, int, sqlite3_value** argv) {
  if (is_null(argv[0])) return sqlite3_result_null(ctx);
  if (sqlite3_value_type(argv[0]) == SQLITE_BLOB) return result_text(ctx, value_text(argv[0]));
  result_text(ctx, raw_to_hex(text_arg(argv[0])));
}
void fn_hextoraw(sqlite3_context* ctx, int, sqlite3_value** argv) {
  if (is_null(argv[0])) return sqlite3_result_null(ctx);
  auto raw = hex_to_raw(text_arg(argv[0]));
  if (!raw) return result_error(ctx, ora::kInvalidHex);
  sqlite3_result_blob(ctx, raw->data(), static_cast<int>(raw->size()), SQLITE_TRANSIENT);
}

void fn_rowid(sqlite3_context* ctx, int, sqlite3_value** argv) {
  if (is_null(argv[1])) return sqlite3_result_null(ctx);
  result_text(ctx, encode_rowid(static_cast<unsigned>(sqlite3_value_int64(argv[0])), sqlite3_value_int64(argv[1])));
}
void fn_rowid_key(sqlite3_context* ctx, int, sqlite3_value** argv) {
  if (is_null(argv[0])) return sqlite3_result_null(ctx);
  auto k = decode_rowid(text_arg(argv[0]));
  if (!k) return result_error(ctx, ora::kInvalidRowid);
  sqlite3_result_int64(ctx, *k);
}
void fn_urowid(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
  // A logical ROWID: '*' followed by the primary key values, base64.
  std::string key;
  for (int i = 0; i < argc; ++i) {
    if (i) key.push_back('\x1F');
    key += value_text(argv[i]);
  }
  std::string out = "*";
  size_t i = 0;
  for (; i + 2 < key.size(); i += 3) {
    uint32_t v = (static_cast<unsigned char>(key[i]) << 16) | (static_cast<unsigned char>(key[i + 1]) << 8) |
                 static_cast<unsigned char>(key[i + 2]);
    for (int k = 3; k >= 0; --k) out.push_back(kB64[(v >> (6 * k)) & 63]);
  }
  if (i < key.size()) {
    uint32_t v = static_cast<unsigned char>(key[i]) << 16;
    if (i + 1 < key.size()) v |= static_cast<unsigned char>(key[i + 1]) << 8;
    out.push_back(kB64[(v >> 18) & 63]);
    out.push_back(kB64[(v >> 12) & 63]);
    if (i + 1 < key.size()) out.push_back(kB64[(v >> 6) & 63]);
  }
  result_text(ctx, out);
}

// Implicit conversion of a value written into a column (INSERT/UPDATE).
void fn_to_col(sqlite3_context* ctx, int, sqlite3_value** argv) {
  sqlite3_value* v = argv[0];
  if (is_null(v)) return sqlite3_result_null(ctx);
  // The declaration is a constant: parsed once per statement and kept as
  // auxiliary data (which SQLite may drop at once, so use a local copy).
  OracleType parsed;
  const auto* type = static_cast<const OracleType*>(sqlite3_get_auxdata(ctx, 1));
  if (!type) {
    parsed = type_from_sqlite_declaration(text_arg(argv[1]));
    sqlite3_set_auxdata(ctx, 1, new OracleType(parsed), [](void* p) { delete static_cast<OracleType*>(p); });
    type = &parsed;
  }
  Session* s = session_of(ctx);
  const int vt = sqlite3_value_type(v);
  std::string column = text_arg(argv[2]);
  switch (type->code) {
    case 2: {  // NUMBER, INTEGER, DECIMAL, FLOAT: exact decimals
      std::optional<Decimal> parsed;
      if (vt == SQLITE_INTEGER) parsed = decimal_from_int(sqlite3_value_int64(v));
      else if (vt == SQLITE_FLOAT) parsed = decimal_from_double(sqlite3_value_double(v));
      else if (vt == SQLITE_TEXT) parsed = parse_decimal(text_arg(v));
      if (!parsed) return result_error(ctx, ora::kInvalidNumber);
      int error = 0;
      auto x = fit_number_column(*parsed, *type, error);
      if (!x) return result_error(ctx, error);
      return result_decimal(ctx, *x, type->exact_text);
    }
    case 100:
    case 101: {
      double d = 0;
      if (!number_arg(ctx, v, d)) return;
      return sqlite3_result_double(ctx, d);
    }
    case 12:
    case 180:
    case 181:
    case 231: {
      bool ts = type->code != 12;
      int digits = ts ? (type->scale ? *type->scale : 6) : 0;
      std::string t = value_text(v);
      if (auto dt = date_from_storage(t)) {
        if (!ts) dt->nanos = 0;
        if (type->code != 181) dt->has_tz = false;
        return result_date(ctx, *dt, digits);
      }
      int err = 0;
      std::string fmt = !s ? "DD-MON-RR" : type->code == 12 ? s->nls().date_format()
                                        : type->code == 181 ? s->nls().timestamp_tz_format()
                                                            : s->nls().timestamp_format();
      auto dt = parse_date(t, fmt, err);
      if (!dt && ts && s) {
        int err2 = 0;
        dt = parse_date(t, s->nls().date_format(), err2);
      }
      if (!dt) return result_error(ctx, err ? err : 1861);
      if (!ts) dt->nanos = 0;
      if (type->code == 181 && !dt->has_tz && s) {
        dt->has_tz = true;
        dt->tz_minutes = s->nls().time_zone_minutes();
      }
      return result_date(ctx, *dt, digits);
    }
    case 23:
    case 24:
    case 113: {  // RAW, LONG RAW, BLOB: hex text becomes bytes
      if (vt == SQLITE_BLOB) {
        if (type->code == 23 && type->data_length > 0 && sqlite3_value_bytes(v) > type->data_length)
          return result_error(ctx, ora::kValueTooLarge, {column, std::to_string(sqlite3_value_bytes(v)), std::to_string(type->data_length)});
        return sqlite3_result_value(ctx, v);
      }
      auto raw = hex_to_raw(value_text(v));
      if (!raw) return result_error(ctx, ora::kInvalidHex);
      if (type->code == 23 && type->data_length > 0 && static_cast<int>(raw->size()) > type->data_length)
        return result_error(ctx, ora::kValueTooLarge, {column, std::to_string(raw->size()), std::to_string(type->data_length)});
      if (raw->empty()) return sqlite3_result_null(ctx);
      return sqlite3_result_blob(ctx, raw->data(), static_cast<int>(raw->size()), SQLITE_TRANSIENT);
    }
    case describe_code::kObject:
    case describe_code::kRef: {
      std::string t = value_text(v);
      if (OraError e = check_user_defined_value(*type, t)) return sqlite3_result_error(ctx, e.text.c_str(), -1);
      return result_text(ctx, t);
    }
    case 1:
    case 96: {
      std::string t = value_text(v);
      if (t.empty()) return sqlite3_result_null(ctx);
      size_t len = type->char_used == 'C' ? char_count(t) : t.size();
      size_t max = type->char_used == 'C' ? static_cast<size_t>(type->char_length) : static_cast<size_t>(type->data_length);
      if (max > 0 && len > max)
        return result_error(ctx, ora::kValueTooLarge, {column, std::to_string(len), std::to_string(max)});
      if (type->code == 96 && max > 0 && len < max) t.append(max - len, ' ');
      return result_text(ctx, t);
    }
    default:
      if (vt == SQLITE_INTEGER || vt == SQLITE_FLOAT) return sqlite3_result_value(ctx, v);
      if (vt == SQLITE_BLOB) return sqlite3_result_value(ctx, v);
      // EMPTY_CLOB() is an empty LOB, not NULL.
      if (type->code == 112 && vt == SQLITE_TEXT) return sqlite3_result_value(ctx, v);
      return result_text(ctx, value_text(v));
  }
}

// ocilite_lock_key(object id, rowid or primary key text): a row's lock key.
uint64_t lock_key_of(sqlite3_value** argv) {
  unsigned id = static_cast<unsigned>(sqlite3_value_int64(argv[0]));
  if (sqlite3_value_type(argv[1]) == SQLITE_INTEGER) return RowLocks::key(id, sqlite3_value_int64(argv[1]));
  return RowLocks::key(id, text_arg(argv[1]));
}
void fn_lock_key(sqlite3_context* ctx, int, sqlite3_value** argv) {
  if (sqlite3_value_type(argv[1]) == SQLITE_INTEGER)
    return sqlite3_result_int64(ctx, static_cast<int64_t>(lock_key_of(argv)));
  // An index-organised row: the key and the logical ROWID it was made of.
  const std::string row = RowLocks::keyed_row(lock_key_of(argv), text_arg(argv[1]));
  sqlite3_result_blob(ctx, row.data(), static_cast<int>(row.size()), SQLITE_TRANSIENT);
}
// ocilite_lock_row(object id, rowid or key): takes a row a DML statement
// changes; a row another session holds ends the statement with ORA-00054.
void fn_lock_row(sqlite3_context* ctx, int, sqlite3_value** argv) {
  Session* s = session_of(ctx);
  if (!s) return sqlite3_result_null(ctx);
  if (!s->row_locks().try_lock(lock_key_of(argv))) return result_error(ctx, ora::kResourceBusy);
  sqlite3_result_null(ctx);
}

// ocilite_num(value): a NUMBER column's exact text as an SQLite number, so
// that function results and CASE branches compare and sort as numbers.
void fn_num(sqlite3_context* ctx, int, sqlite3_value** argv) {
  sqlite3_value* v = argv[0];
  if (sqlite3_value_type(v) != SQLITE_TEXT) return sqlite3_result_value(ctx, v);
  auto d = parse_decimal(text_arg(v));
  if (!d) return sqlite3_result_value(ctx, v);
  if (auto i = decimal_to_int64(*d)) return sqlite3_result_int64(ctx, *i);
  sqlite3_result_double(ctx, decimal_to_double(*d));
}

struct Def {
  const char* name;
  int args;
  void (*fn)(sqlite3_context*, int, sqlite3_value**);
  bool deterministic;
};

}  // namespace

std::string encode_rowid(unsigned object_id, int64_t rowid) {
  // OOOOOO FFF BBBBBB RRR: data object, file, block, row, base 64 digits.
  auto put = [](std::string& out, uint64_t v, int digits) {
    for (int k = digits - 1; k >= 0; --k) out.push_back(kB64[(v >> (6 * k)) & 63]);
  };
  uint64_t r = static_cast<uint64_t>(rowid);
  std::string out;
  out.reserve(18);
  put(out, object_id, 6);
  put(out, 4, 3);
  put(out, r >> 12, 6);
  put(out, r & 0xFFF, 3);
  return out;
}

std::optional<int64_t> decode_rowid(std::string_view text) {
  if (text.size() != 18) return std::nullopt;
  auto val = [](char c) -> int {
    const char* p = std::strchr(kB64, c);
    return c && p ? static_cast<int>(p - kB64) : -1;
  };
  uint64_t block = 0, row = 0;
  for (size_t i = 0; i < 18; ++i)
    if (val(text[i]) < 0) return std::nullopt;
  for (size_t i = 9; i < 15; ++i) block = block * 64 + static_cast<uint64_t>(val(text[i]));
  for (size_t i = 15; i < 18; ++i) row = row * 64 + static_cast<uint64_t>(val(text[i]));
  if (row > 0xFFF) return std::nullopt;
  return static_cast<int64_t>((block << 12) | row);
}

OraError register_sql_functions(sqlite3* db, Session* session) {
  static const Def defs[] = {
      {"ocilite_concat", -1, fn_concat, true},       {"ocilite_substr", 2, fn_substr, true},
      {"ocilite_substr", 3, fn_substr, true},        {"ocilite_substrb", 2, fn_substrb, true},
      {"ocilite_substrb", 3, fn_substrb, true},      {"ocilite_instr", 2, fn_instr, true},
      {"ocilite_instr", 3, fn_instr, true},          {"ocilite_instr", 4, fn_instr, true},
      {"ocilite_to_char", 1, fn_to_char, false},     {"ocilite_to_char", 2, fn_to_char, false},
      {"ocilite_to_char", 3, fn_to_char, false},     {"ocilite_to_date", 1, fn_to_date, false},
      {"ocilite_to_date", 2, fn_to_date, false},     {"ocilite_to_date", 3, fn_to_date, false},
      {"ocilite_to_timestamp", 1, fn_to_timestamp, false}, {"ocilite_to_timestamp", 2, fn_to_timestamp, false},
      {"ocilite_to_number", 1, fn_to_number, true},  {"ocilite_to_number", 2, fn_to_number, true},
      {"ocilite_to_number", 3, fn_to_number, true},  {"ocilite_trunc", 1, fn_trunc, true},
      {"ocilite_trunc", 2, fn_trunc, true},          {"ocilite_round", 1, fn_round, true},
      {"ocilite_round", 2, fn_round, true},          {"ocilite_length", 1, fn_length, true},
      {"ocilite_lengthb", 1, fn_lengthb, true},      {"ocilite_lpad", 2, fn_lpad, true},
      {"ocilite_lpad", 3, fn_lpad, true},            {"ocilite_rpad", 2, fn_rpad, true},
      {"ocilite_rpad", 3, fn_rpad, true},            {"ocilite_ltrim", 1, fn_ltrim, true},
      {"ocilite_ltrim", 2, fn_ltrim, true},          {"ocilite_rtrim", 1, fn_rtrim, true},
      {"ocilite_rtrim", 2, fn_rtrim, true},          {"ocilite_trim", 1, fn_trim, true},
      {"ocilite_trim", 2, fn_trim, true},            {"ocilite_initcap", 1, fn_initcap, true},
      {"ocilite_upper", 1, fn_upper, true},          {"ocilite_lower", 1, fn_lower, true},
      {"ocilite_chr", 1, fn_chr, true},              {"ocilite_ascii", 1, fn_ascii, true},
      {"ocilite_mod", 2, fn_mod, true},              {"ocilite_ceil", 1, math1<ceil_of>, true},
      {"ocilite_floor", 1, math1<floor_of>, true},   {"ocilite_power", 2, fn_power, true},
      {"ocilite_sqrt", 1, math1<sqrt_of>, true},     {"ocilite_sign", 1, math1<sign_of>, true},
      {"ocilite_abs", 1, math1<abs_of>, true},       {"ocilite_exp", 1, math1<exp_of>, true},
      {"ocilite_ln", 1, math1<ln_of>, true},         {"ocilite_log", 2, fn_log, true},
      {"ocilite_add_months", 2, fn_add_months, false}, {"ocilite_last_day", 1, fn_last_day, false},
      {"ocilite_next_day", 2, fn_next_day, false},   {"ocilite_months_between", 2, fn_months_between, false},
      {"ocilite_extract", 2, fn_extract, false},     {"ocilite_replace", 2, fn_replace, true},
      {"ocilite_replace", 3, fn_replace, true},      {"ocilite_translate", 3, fn_translate, true},
      {"ocilite_sysdate", 0, fn_sysdate, false},     {"ocilite_systimestamp", 0, fn_systimestamp, false},
      {"ocilite_localtimestamp", 0, fn_localtimestamp, false}, {"ocilite_uid", 0, fn_uid, false},
      {"ocilite_sessiontimezone", 0, fn_sessiontimezone, false}, {"ocilite_userenv", 1, fn_userenv, false},
      {"ocilite_sys_context", 2, fn_userenv, false}, {"ocilite_sys_guid", 0, fn_sys_guid, false},
      {"ocilite_empty_clob", 0, fn_empty_clob, true}, {"ocilite_empty_blob", 0, fn_empty_blob, true},
      {"ocilite_bfilename", 2, fn_bfilename, true},  {"ocilite_rawtohex", 1, fn_rawtohex, true},
      {"ocilite_hextoraw", 1, fn_hextoraw, true},    {"ocilite_rowid", 2, fn_rowid, true},
      {"ocilite_rowid_key", 1, fn_rowid_key, true},  {"ocilite_urowid", -1, fn_urowid, true},
      {"ocilite_to_col", 3, fn_to_col, false},       {"ocilite_date_add", 2, fn_date_add, false},
      {"ocilite_date_sub", 2, fn_date_sub, false},   {"ocilite_num", 1, fn_num, true},
      {"ocilite_lock_key", 2, fn_lock_key, true},    {"ocilite_lock_row", 2, fn_lock_row, false},
  };
  if (sqlite3_create_collation_v2(db, kNumberCollation, SQLITE_UTF8, nullptr, collate_number, nullptr) != SQLITE_OK)
    return ora_internal("cannot register the number collation");
  for (const auto& d : defs) {
    int flags = SQLITE_UTF8 | (d.deterministic ? SQLITE_DETERMINISTIC : 0);
    int rc = sqlite3_create_function_v2(db, d.name, d.args, flags, session, d.fn, nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) return ora_internal(std::string("cannot register ") + d.name);
  }
  return register_object_functions(db, session);
}

}  // namespace ocilite
