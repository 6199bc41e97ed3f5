#include "ora_format.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>

namespace ocilite {
namespace {

constexpr std::array<const char*, 12> kMonthAbbr = {"JAN", "FEB", "MAR", "APR", "MAY", "JUN",
                                                    "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};
constexpr std::array<const char*, 12> kMonthName = {"JANUARY", "FEBRUARY", "MARCH",     "APRIL",
                                                    "MAY",     "JUNE",     "JULY",      "AUGUST",
                                                    "SEPTEMBER", "OCTOBER", "NOVEMBER", "DECEMBER"};
constexpr std::array<const char*, 7> kDayAbbr = {"SUN", "MON", "TUE", "WED", "THU", "FRI", "SAT"};
constexpr std::array<const char*, 7> kDayName = {"SUNDAY",   "MONDAY", "TUESDAY", "WEDNESDAY",
                                                 "THURSDAY", "FRIDAY", "SATURDAY"};

std::string upper(std::string_view s) {
  std::string o(s);
  for (char& c : o) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return o;
}

std::string trim(std::string_view s) {
  size_t b = 0, e = s.size();
  while (b < e && std::isspace(static_cast<unsigned char>(s[b]))) ++b;
  while (e > b && std::isspace(static_cast<unsigned char>(s[e - 1]))) --e;
  return std::string(s.substr(b, e - b));
}

// Plain decimal text of a double with 15 significant digits, no exponent.
std::string plain_decimal(double v) {
  char buf[64];
  auto res = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::scientific, 14);  // d.dddddddddddddde±x
  std::string s(buf, res.ptr);
  bool neg = s[0] == '-';
  if (neg) s.erase(0, 1);
  size_t epos = s.find('e');
  int exp = std::atoi(s.c_str() + epos + 1);
  std::string digits = s.substr(0, 1) + s.substr(2, epos - 2);
  while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
  std::string out;
  int point = exp + 1;  // digits before the point
  if (point <= 0) {
    out = "." + std::string(static_cast<size_t>(-point), '0') + digits;
  } else if (static_cast<size_t>(point) >= digits.size()) {
    out = digits + std::string(static_cast<size_t>(point) - digits.size(), '0');
  } else {
    out = digits.substr(0, static_cast<size_t>(point)) + "." + digits.substr(static_cast<size_t>(point));
  }
  if (out == "0" || out.empty()) return "0";
  return neg ? "-" + out : out;
}

}  // namespace

std::string number_to_text(int64_t v) { return std::to_string(v); }

std::string number_to_text(double v) {
  if (std::isnan(v)) return "Nan";
  if (std::isinf(v)) return v > 0 ? "~" : "-~";
  if (v == 0) return "0";
  if (std::fabs(v) < 1e15 && v == std::floor(v)) {
    return std::to_string(static_cast<int64_t>(v));
  }
  if (std::fabs(v) >= 1e40 || std::fabs(v) < 1e-130) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.14E", v);
    std::string s(buf);
    size_t e = s.find('E');
    std::string mant = s.substr(0, e);
    while (!mant.empty() && mant.back() == '0') mant.pop_back();
    if (!mant.empty() && mant.back() == '.') mant.pop_back();
    int exp = std::atoi(s.c_str() + e + 1);
    char tail[16];
    std::snprintf(tail, sizeof tail, "E%c%02d", exp < 0 ? '-' : '+', std::abs(exp));
    return mant + tail;
  }
  return plain_decimal(v);
}

std::string number_to_text(const OraNumber& v) { return v.is_int ? number_to_text(v.i) : number_to_text(v.d); }

std::optional<OraNumber> parse_number(std::string_view text) {
  std::string t = trim(text);
  if (t.empty()) return std::nullopt;
  size_t i = 0;
  bool neg = false;
  if (t[i] == '+' || t[i] == '-') {
    neg = t[i] == '-';
    ++i;
  }
  size_t digits_start = i;
  size_t int_digits = 0, frac_digits = 0;
  while (i < t.size() && std::isdigit(static_cast<unsigned char>(t[i]))) ++i, ++int_digits;
  bool has_point = false;
  if (i < t.size() && t[i] == '.') {
    has_point = true;
    ++i;
    while (i < t.size() && std::isdigit(static_cast<unsigned char>(t[i]))) ++i, ++frac_digits;
  }
  if (int_digits + frac_digits == 0) return std::nullopt;
  bool has_exp = false;
  if (i < t.size() && (t[i] == 'e' || t[i] == 'E')) {
    has_exp = true;
    ++i;
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) ++i;
    size_t es = i;
    while (i < t.size() && std::isdigit(static_cast<unsigned char>(t[i]))) ++i;
    if (i == es) return std::nullopt;
  }
  if (i != t.size()) return std::nullopt;
  OraNumber n;
  bool frac_zero = true;
  if (has_point) {
    for (size_t k = digits_start + int_digits + 1; k < digits_start + int_digits + 1 + frac_digits; ++k)
      if (t[k] != '0') frac_zero = false;
  }
  if (!has_exp && frac_zero && int_digits > 0 && int_digits <= 18) {
    int64_t v = 0;
    std::from_chars(t.data() + digits_start, t.data() + digits_start + int_digits, v);
    n.is_int = true;
    n.i = neg ? -v : v;
    return n;
  }
  double d = std::strtod(t.c_str(), nullptr);
  if (!has_exp && !has_point) {
    // A long integer beyond int64: kept as a double.
  }
  if (d == std::floor(d) && std::fabs(d) < 9.2e18 && std::fabs(d) < 1e15) {
    n.is_int = true;
    n.i = static_cast<int64_t>(d);
    return n;
  }
  n.is_int = false;
  n.d = d;
  return n;
}

double round_to_scale(double v, int scale) {
  double p = std::pow(10.0, scale);
  double r = std::round(v * p) / p;
  // Normalise through 15 significant digits so 1.005 stays what was written.
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.15g", r);
  return std::strtod(buf, nullptr);
}

std::optional<std::string> format_number(const OraNumber& num, std::string_view fmt_in) {
  std::string fmt = upper(fmt_in);
  double v = num.is_int ? static_cast<double>(num.i) : num.d;
  bool fm = false;
  if (fmt.rfind("FM", 0) == 0) {
    fm = true;
    fmt.erase(0, 2);
  }
  if (fmt.empty()) return std::nullopt;
  if (fmt.find('X') != std::string::npos) {
    if (v < 0 || v != std::floor(v)) return std::nullopt;
    char buf[40];
    bool lower = fmt_in.find('x') != std::string_view::npos;
    std::snprintf(buf, sizeof buf, lower ? "%llx" : "%llX", static_cast<unsigned long long>(v));
    std::string s(buf);
    size_t width = fmt.size();
    if (s.size() > width) return std::string(width + 1, '#');
    size_t zeros = fmt.find('0') == 0 ? width - s.size() : 0;
    std::string out = std::string(zeros, '0') + s;
    if (!fm) out = std::string(width + 1 - out.size(), ' ') + out;
    return out;
  }
  bool dollar = fmt.find('$') != std::string::npos;
  bool mi = fmt.size() >= 2 && fmt.compare(fmt.size() - 2, 2, "MI") == 0;
  bool sign_lead = !fmt.empty() && fmt[0] == 'S';
  bool sign_trail = !sign_lead && !fmt.empty() && fmt.back() == 'S';
  bool eeee = fmt.find("EEEE") != std::string::npos;
  std::string body;
  for (char c : fmt) {
    if (c == '9' || c == '0' || c == '.' || c == ',' || c == 'D' || c == 'G') body.push_back(c == 'D' ? '.' : c == 'G' ? ',' : c);
    else if (c == '$' || c == 'S' || c == 'M' || c == 'I' || c == 'E' || c == 'B') continue;
    else return std::nullopt;
  }
  size_t point = body.find('.');
  std::string int_part = point == std::string::npos ? body : body.substr(0, point);
  std::string frac_part = point == std::string::npos ? "" : body.substr(point + 1);
  int scale = static_cast<int>(frac_part.size());
  bool neg = v < 0;
  double a = std::fabs(v);
  if (eeee) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*E", scale, a);
    std::string s(buf);
    size_t e = s.find('E');
    int exp = std::atoi(s.c_str() + e + 1);
    char tail[16];
    std::snprintf(tail, sizeof tail, "E%c%02d", exp < 0 ? '-' : '+', std::abs(exp));
    std::string out = s.substr(0, e) + tail;
    if (neg) out = "-" + out;
    else if (!fm) out = " " + out;
    return out;
  }
  char buf[128];
  std::snprintf(buf, sizeof buf, "%.*f", scale, a);
  std::string digits(buf);
  std::string ip = digits.substr(0, digits.find('.'));
  std::string fp = scale > 0 ? digits.substr(digits.find('.') + 1) : "";
  if (ip == "0") ip.clear();
  // Lay integer digits into the integer part of the model, right to left.
  size_t digit_slots = static_cast<size_t>(std::count_if(int_part.begin(), int_part.end(), [](char c) { return c == '9' || c == '0'; }));
  if (ip.size() > digit_slots) {
    size_t width = body.size() + 1 + (dollar ? 1 : 0);
    return std::string(width, '#');
  }
  size_t first_zero = int_part.find('0');
  std::string out_int;
  int di = static_cast<int>(ip.size()) - 1;
  bool started = false;
  for (int k = static_cast<int>(int_part.size()) - 1; k >= 0; --k) {
    char c = int_part[static_cast<size_t>(k)];
    if (c == ',') {
      if (di >= 0 || (first_zero != std::string::npos && static_cast<size_t>(k) > first_zero)) out_int.insert(out_int.begin(), ',');
      else if (!fm) out_int.insert(out_int.begin(), ' ');
      continue;
    }
    if (di >= 0) {
      out_int.insert(out_int.begin(), ip[static_cast<size_t>(di--)]);
      started = true;
    } else if (first_zero != std::string::npos && static_cast<size_t>(k) >= first_zero) {
      out_int.insert(out_int.begin(), '0');
    } else if (!fm) {
      out_int.insert(out_int.begin(), ' ');
    }
  }
  (void)started;
  if (out_int.find_first_not_of(' ') == std::string::npos && frac_part.empty()) {
    // Value 0 with a model of nines only prints "0".
    out_int = out_int.empty() ? "0" : out_int.substr(0, out_int.size() - 1) + "0";
  }
  std::string out = out_int;
  if (point != std::string::npos) out += "." + fp;
  // Sign handling: leading blanks are kept in front of the sign.
  size_t lead = out.find_first_not_of(' ');
  if (lead == std::string::npos) lead = out.size();
  std::string pad = out.substr(0, lead), rest = out.substr(lead);
  if (dollar) rest = "$" + rest;
  if (sign_lead) rest = (neg ? "-" : "+") + rest;
  else if (sign_trail) rest += neg ? "-" : "+";
  else if (mi) rest += neg ? "-" : (fm ? "" : " ");
  else rest = (neg ? "-" : (fm ? "" : " ")) + rest;
  out = pad + rest;
  if (fm) {
    size_t b = out.find_first_not_of(' ');
    out = b == std::string::npos ? "" : out.substr(b);
  }
  return out;
}

// ---------------------------------------------------------------- dates

int days_in_month(int y, int m) {
  static constexpr int d[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (m == 2 && ((y % 4 == 0 && y % 100 != 0) || y % 400 == 0)) return 29;
  return d[(m - 1) % 12];
}

bool valid_date(const OraDateTime& dt) {
  return dt.year >= -4712 && dt.year <= 9999 && dt.year != 0 && dt.month >= 1 && dt.month <= 12 && dt.day >= 1 &&
         dt.day <= days_in_month(dt.year, dt.month) && dt.hour >= 0 && dt.hour < 24 && dt.minute >= 0 &&
         dt.minute < 60 && dt.second >= 0 && dt.second < 60;
}

int64_t days_from_civil(int y, int m, int d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + static_cast<unsigned>(d) - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

void civil_from_days(int64_t z, int& y, int& m, int& d) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  y = static_cast<int>(static_cast<int64_t>(yoe) + era * 400 + (m <= 2));
}

std::string date_to_storage(const OraDateTime& dt, int fraction_digits) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", dt.year, dt.month, dt.day, dt.hour, dt.minute,
                dt.second);
  std::string s(buf);
  if (fraction_digits > 0) {
    char f[16];
    std::snprintf(f, sizeof f, "%09lld", static_cast<long long>(dt.nanos));
    s += ".";
    s += std::string(f, static_cast<size_t>(std::min(fraction_digits, 9)));
  }
  if (dt.has_tz) {
    char tz[16];
    int a = std::abs(dt.tz_minutes);
    std::snprintf(tz, sizeof tz, " %c%02d:%02d", dt.tz_minutes < 0 ? '-' : '+', a / 60, a % 60);
    s += tz;
  }
  return s;
}

std::optional<OraDateTime> date_from_storage(std::string_view t) {
  OraDateTime dt;
  auto num = [&](size_t pos, size_t len, int& out) {
    if (pos + len > t.size()) return false;
    int v = 0;
    for (size_t i = pos; i < pos + len; ++i) {
      if (t[i] < '0' || t[i] > '9') return false;
      v = v * 10 + (t[i] - '0');
    }
    out = v;
    return true;
  };
  if (t.size() < 10 || t[4] != '-' || t[7] != '-') return std::nullopt;
  if (!num(0, 4, dt.year) || !num(5, 2, dt.month) || !num(8, 2, dt.day)) return std::nullopt;
  size_t p = 10;
  if (t.size() > 10) {
    if ((t[10] != ' ' && t[10] != 'T') || t.size() < 19 || t[13] != ':' || t[16] != ':') return std::nullopt;
    if (!num(11, 2, dt.hour) || !num(14, 2, dt.minute) || !num(17, 2, dt.second)) return std::nullopt;
    p = 19;
    if (p < t.size() && t[p] == '.') {
      ++p;
      int64_t ns = 0;
      int digits = 0;
      while (p < t.size() && std::isdigit(static_cast<unsigned char>(t[p]))) {
        if (digits < 9) ns = ns * 10 + (t[p] - '0'), ++digits;
        ++p;
      }
      while (digits < 9) ns *= 10, ++digits;
      dt.nanos = ns;
    }
    if (p < t.size() && t[p] == ' ') ++p;
    if (p < t.size() && (t[p] == '+' || t[p] == '-')) {
      int hh = 0, mm = 0;
      bool neg = t[p] == '-';
      if (!num(p + 1, 2, hh) || p + 3 >= t.size() || t[p + 3] != ':' || !num(p + 4, 2, mm)) return std::nullopt;
      dt.has_tz = true;
      dt.tz_minutes = (neg ? -1 : 1) * (hh * 60 + mm);
      p += 6;
    }
    if (p != t.size()) return std::nullopt;
  }
  if (!valid_date(dt)) return std::nullopt;
  return dt;
}

OraDateTime now_local() {
  timespec ts{};
  clock_gettime(CLOCK_REALTIME, &ts);
  tm lt{};
  localtime_r(&ts.tv_sec, &lt);
  OraDateTime dt;
  dt.year = lt.tm_year + 1900;
  dt.month = lt.tm_mon + 1;
  dt.day = lt.tm_mday;
  dt.hour = lt.tm_hour;
  dt.minute = lt.tm_min;
  dt.second = lt.tm_sec;
  dt.nanos = ts.tv_nsec / 1000 * 1000;
  dt.tz_minutes = static_cast<int>(lt.tm_gmtoff / 60);
  return dt;
}

namespace {

// Format model elements, longest first so "MONTH" wins over "MON" and "MM".
constexpr std::array<std::string_view, 45> kElements = {
    "SYYYY", "YYYY", "RRRR", "Y,YYY", "YYY", "YY", "RR", "Y",  "MONTH", "MON",  "MM",   "RM",   "DDD", "DD",
    "DAY",   "DY",   "D",    "HH24",  "HH12", "HH", "MI", "SSSSS", "SS", "FF9", "FF8", "FF7", "FF6",  "FF5",
    "FF4",   "FF3",  "FF2",  "FF1",   "FF",   "AM", "PM", "A.M.", "P.M.", "TZH", "TZM", "TZR", "CC", "Q",
    "WW",    "J", "X"};

size_t match_element(std::string_view fmt_upper, size_t pos) {
  for (size_t k = 0; k < kElements.size(); ++k) {
    std::string_view e = kElements[k];
    if (fmt_upper.substr(pos, e.size()) == e) return k;
  }
  return kElements.size();
}

int weekday(const OraDateTime& dt) {  // 0 = Sunday
  int64_t days = days_from_civil(dt.year, dt.month, dt.day);
  return static_cast<int>(((days % 7) + 11) % 7);  // 1970-01-01 was a Thursday
}

int day_of_year(const OraDateTime& dt) {
  return static_cast<int>(days_from_civil(dt.year, dt.month, dt.day) - days_from_civil(dt.year, 1, 1)) + 1;
}


}  // namespace

namespace {

void append_num(std::string& out, int64_t v, int width, bool fm) {
  char buf[24];
  int n = 0;
  bool neg = v < 0;
  uint64_t u = neg ? static_cast<uint64_t>(-v) : static_cast<uint64_t>(v);
  do {
    buf[n++] = static_cast<char>('0' + u % 10);
    u /= 10;
  } while (u);
  if (!fm)
    while (n < width) buf[n++] = '0';
  if (neg) out.push_back('-');
  while (n) out.push_back(buf[--n]);
}

}  // namespace

std::optional<DateFormat> DateFormat::compile(std::string_view fmt) {
  DateFormat f;
  f.model_ = std::string(fmt);
  std::string fu = upper(fmt);
  bool fm = false;
  size_t i = 0;
  while (i < fmt.size()) {
    char c = fmt[i];
    if (c == '"') {
      size_t end = fmt.find('"', i + 1);
      if (end == std::string_view::npos) return std::nullopt;
      f.items_.push_back({-1, std::string(fmt.substr(i + 1, end - i - 1)), fm});
      i = end + 1;
      continue;
    }
    if (fu.compare(i, 2, "FM") == 0) {
      fm = !fm;
      i += 2;
      continue;
    }
    if (fu.compare(i, 2, "FX") == 0) {
      i += 2;
      continue;
    }
    size_t k = match_element(fu, i);
    if (k == kElements.size()) {
      if (std::isalnum(static_cast<unsigned char>(c))) return std::nullopt;
      if (!f.items_.empty() && f.items_.back().element == -1) f.items_.back().text.push_back(c);
      else f.items_.push_back({-1, std::string(1, c), fm});
      ++i;
      continue;
    }
    f.items_.push_back({static_cast<int>(k), std::string(fmt.substr(i, kElements[k].size())), fm});
    i += kElements[k].size();
  }
  return f;
}

namespace {

// Index of a format element in kElements, for switch labels.
constexpr int el(std::string_view name) {
  for (size_t k = 0; k < kElements.size(); ++k)
    if (kElements[k] == name) return static_cast<int>(k);
  return -1;
}

// Appends `word` in the case pattern of the element as written ("Mon",
// "MON", "mon"), padded with blanks to `width` (0: none).
void append_cased(std::string& out, std::string_view word, std::string_view element, size_t width = 0) {
  // The first letter sets the case of the first, the second letter (past
  // the full stop of "A.M.") that of the rest.
  const auto upper_at = [&](size_t i) { return i < element.size() && element[i] >= 'A' && element[i] <= 'Z'; };
  const bool first_upper = upper_at(0);
  const bool rest_upper = upper_at(element.size() > 1 && element[1] == '.' ? 2 : 1);
  for (size_t i = 0; i < word.size(); ++i) {
    const char c = word[i];
    const bool up = i == 0 ? first_upper : rest_upper;
    if (up) out.push_back(c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c);
    else out.push_back(c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c);
  }
  if (word.size() < width) out.append(width - word.size(), ' ');
}

}  // namespace

// The fetch path formats every DATE cell: elements are told apart by their
// index, and names are cased straight into `out`.
void DateFormat::format(const OraDateTime& dt, std::string& out) const {
  for (const Item& it : items_) {
    if (it.element < 0) {
      out += it.text;
      continue;
    }
    const std::string& as_written = it.text;
    const bool fm = it.fm;
    switch (it.element) {
      case el("YYYY"):
      case el("RRRR"): append_num(out, dt.year, 4, fm); break;
      case el("MM"): append_num(out, dt.month, 2, fm); break;
      case el("DD"): append_num(out, dt.day, 2, fm); break;
      case el("HH24"): append_num(out, dt.hour, 2, fm); break;
      case el("MI"): append_num(out, dt.minute, 2, fm); break;
      case el("SS"): append_num(out, dt.second, 2, fm); break;
      case el("SYYYY"):
        out += dt.year < 0 ? "-" : " ";
        append_num(out, std::abs(dt.year), 4, fm);
        break;
      case el("Y,YYY"):
        append_num(out, dt.year / 1000, 1, true);
        out += ",";
        append_num(out, dt.year % 1000, 3, false);
        break;
      case el("YYY"): append_num(out, dt.year % 1000, 3, fm); break;
      case el("YY"):
      case el("RR"): append_num(out, dt.year % 100, 2, fm); break;
      case el("Y"): append_num(out, dt.year % 10, 1, fm); break;
      case el("MONTH"): append_cased(out, kMonthName[static_cast<size_t>(dt.month - 1)], as_written, fm ? 0 : 9); break;
      case el("MON"): append_cased(out, kMonthAbbr[static_cast<size_t>(dt.month - 1)], as_written); break;
      case el("RM"): {
        static constexpr std::array<const char*, 12> rm = {"I", "II", "III", "IV", "V", "VI", "VII", "VIII", "IX", "X", "XI", "XII"};
        std::string_view r = rm[static_cast<size_t>(dt.month - 1)];
        out += r;
        if (!fm && r.size() < 4) out.append(4 - r.size(), ' ');
        break;
      }
      case el("DDD"): append_num(out, day_of_year(dt), 3, fm); break;
      case el("DAY"): append_cased(out, kDayName[static_cast<size_t>(weekday(dt))], as_written, fm ? 0 : 9); break;
      case el("DY"): append_cased(out, kDayAbbr[static_cast<size_t>(weekday(dt))], as_written); break;
      case el("D"): append_num(out, weekday(dt) + 1, 1, true); break;
      case el("HH12"):
      case el("HH"): append_num(out, dt.hour % 12 == 0 ? 12 : dt.hour % 12, 2, fm); break;
      case el("SSSSS"): append_num(out, dt.hour * 3600 + dt.minute * 60 + dt.second, 5, fm); break;
      case el("FF9"): case el("FF8"): case el("FF7"): case el("FF6"): case el("FF5"):
      case el("FF4"): case el("FF3"): case el("FF2"): case el("FF1"): case el("FF"): {
        const std::string_view e = kElements[static_cast<size_t>(it.element)];
        const int digits = e.size() == 3 ? e[2] - '0' : 6;
        std::string f;
        append_num(f, dt.nanos, 9, false);
        out.append(f, 0, static_cast<size_t>(digits));
        break;
      }
      case el("AM"):
      case el("PM"): append_cased(out, dt.hour < 12 ? "AM" : "PM", as_written); break;
      case el("A.M."):
      case el("P.M."): append_cased(out, dt.hour < 12 ? "A.M." : "P.M.", as_written); break;
      case el("TZH"):
        out += dt.tz_minutes < 0 ? "-" : "+";
        append_num(out, std::abs(dt.tz_minutes) / 60, 2, false);
        break;
      case el("TZM"): append_num(out, std::abs(dt.tz_minutes) % 60, 2, false); break;
      case el("TZR"): {
        const int a = std::abs(dt.tz_minutes);
        out += dt.tz_minutes < 0 ? "-" : "+";
        append_num(out, a / 60, 2, false);
        out += ":";
        append_num(out, a % 60, 2, false);
        break;
      }
      case el("CC"): append_num(out, (dt.year + 99) / 100, 2, fm); break;
      case el("Q"): append_num(out, (dt.month - 1) / 3 + 1, 1, true); break;
      case el("WW"): append_num(out, (day_of_year(dt) - 1) / 7 + 1, 2, fm); break;
      case el("J"): append_num(out, days_from_civil(dt.year, dt.month, dt.day) + 2440588, 1, true); break;
      case el("X"): out += "."; break;
      default: break;
    }
  }
}

std::optional<std::string> format_date(const OraDateTime& dt, std::string_view fmt) {
  auto f = DateFormat::compile(fmt);
  if (!f) return std::nullopt;
  std::string out;
  f->format(dt, out);
  return out;
}

std::optional<OraDateTime> parse_date(std::string_view text, std::string_view fmt, int& error) {
  std::string fu = upper(fmt);
  OraDateTime dt;
  OraDateTime now = now_local();
  dt.year = now.year;
  dt.month = now.month;
  dt.day = 1;
  bool pm = false, has_ampm = false;
  size_t ti = 0, fi = 0;
  auto skip_text_spaces = [&] {
    while (ti < text.size() && text[ti] == ' ') ++ti;
  };
  auto read_int = [&](size_t max_digits, int& out, bool allow_sign = false) -> bool {
    skip_text_spaces();
    bool neg = false;
    if (allow_sign && ti < text.size() && (text[ti] == '-' || text[ti] == '+')) {
      neg = text[ti] == '-';
      ++ti;
    }
    size_t start = ti;
    int v = 0;
    while (ti < text.size() && ti - start < max_digits && std::isdigit(static_cast<unsigned char>(text[ti]))) {
      v = v * 10 + (text[ti] - '0');
      ++ti;
    }
    if (ti == start) return false;
    out = neg ? -v : v;
    return true;
  };
  error = 0;
  while (fi < fmt.size()) {
    char c = fmt[fi];
    if (c == '"') {
      size_t end = fmt.find('"', fi + 1);
      if (end == std::string_view::npos) {
        error = 1821;
        return std::nullopt;
      }
      std::string_view lit = fmt.substr(fi + 1, end - fi - 1);
      if (text.substr(ti, lit.size()) != lit) {
        error = 1861;
        return std::nullopt;
      }
      ti += lit.size();
      fi = end + 1;
      continue;
    }
    if (fu.compare(fi, 2, "FM") == 0 || fu.compare(fi, 2, "FX") == 0) {
      fi += 2;
      continue;
    }
    size_t k = match_element(fu, fi);
    if (k == kElements.size()) {
      if (std::isalnum(static_cast<unsigned char>(c))) {
        error = 1821;
        return std::nullopt;
      }
      ++fi;
      // Punctuation in the model matches any punctuation or nothing, as Oracle is lenient.
      if (ti < text.size() && !std::isalnum(static_cast<unsigned char>(text[ti]))) {
        ++ti;
      } else if (ti >= text.size()) {
        // Model continues past the text: fine only if nothing but punctuation remains.
      }
      continue;
    }
    std::string_view e = kElements[k];
    fi += e.size();
    if (ti >= text.size()) {
      // Text ended before the model: the rest keeps defaults (Oracle accepts a date without time).
      continue;
    }
    int v = 0;
    if (e == "YYYY" || e == "SYYYY" || e == "RRRR") {
      size_t start = ti;
      if (!read_int(4, v, e == "SYYYY")) { error = 1858; return std::nullopt; }
      if (e == "RRRR" && ti - start <= 2) v = v < 50 ? 2000 + v : 1900 + v;
      dt.year = v;
    } else if (e == "YY") {
      if (!read_int(2, v)) { error = 1858; return std::nullopt; }
      dt.year = now.year / 100 * 100 + v;
    } else if (e == "RR") {
      size_t start = ti;
      if (!read_int(4, v)) { error = 1858; return std::nullopt; }
      if (ti - start <= 2) {
        int cur = now.year % 100, century = now.year / 100 * 100;
        if (v < 50) dt.year = cur < 50 ? century + v : century + 100 + v;
        else dt.year = cur < 50 ? century - 100 + v : century + v;
      } else {
        dt.year = v;
      }
    } else if (e == "YYY" || e == "Y") {
      if (!read_int(e.size(), v)) { error = 1858; return std::nullopt; }
      dt.year = now.year - now.year % (e.size() == 3 ? 1000 : 10) + v;
    } else if (e == "MM") {
      if (!read_int(2, v)) { error = 1858; return std::nullopt; }
      if (v < 1 || v > 12) { error = 1843; return std::nullopt; }
      dt.month = v;
    } else if (e == "MON" || e == "MONTH") {
      skip_text_spaces();
      std::string rest = upper(text.substr(ti));
      bool found = false;
      for (size_t m = 0; m < 12 && !found; ++m) {
        std::string_view full = kMonthName[m];
        if (rest.compare(0, full.size(), full) == 0) {
          dt.month = static_cast<int>(m) + 1;
          ti += full.size();
          found = true;
        }
      }
      for (size_t m = 0; m < 12 && !found; ++m) {
        if (rest.compare(0, 3, kMonthAbbr[m]) == 0) {
          dt.month = static_cast<int>(m) + 1;
          ti += 3;
          found = true;
        }
      }
      if (!found) {
        // Japanese month names: "1月" .. "12月"
        int mv = 0;
        size_t save = ti;
        if (read_int(2, mv) && text.substr(ti, 3) == "\xE6\x9C\x88" && mv >= 1 && mv <= 12) {
          dt.month = mv;
          ti += 3;
          found = true;
        } else {
          ti = save;
        }
      }
      if (!found) { error = 1843; return std::nullopt; }
    } else if (e == "DD") {
      if (!read_int(2, v)) { error = 1858; return std::nullopt; }
      if (v < 1 || v > 31) { error = 1847; return std::nullopt; }
      dt.day = v;
    } else if (e == "DDD") {
      if (!read_int(3, v)) { error = 1858; return std::nullopt; }
      int y, m, d;
      civil_from_days(days_from_civil(dt.year, 1, 1) + v - 1, y, m, d);
      dt.month = m;
      dt.day = d;
    } else if (e == "DY" || e == "DAY") {
      skip_text_spaces();
      while (ti < text.size() && std::isalpha(static_cast<unsigned char>(text[ti]))) ++ti;
    } else if (e == "D") {
      if (!read_int(1, v)) { error = 1858; return std::nullopt; }
    } else if (e == "HH24") {
      if (!read_int(2, v)) { error = 1858; return std::nullopt; }
      if (v > 23) { error = 1850; return std::nullopt; }
      dt.hour = v;
    } else if (e == "HH" || e == "HH12") {
      if (!read_int(2, v)) { error = 1858; return std::nullopt; }
      if (v < 1 || v > 12) { error = 1849; return std::nullopt; }
      dt.hour = v % 12;
    } else if (e == "MI") {
      if (!read_int(2, v)) { error = 1858; return std::nullopt; }
      if (v > 59) { error = 1851; return std::nullopt; }
      dt.minute = v;
    } else if (e == "SS") {
      if (!read_int(2, v)) { error = 1858; return std::nullopt; }
      if (v > 59) { error = 1852; return std::nullopt; }
      dt.second = v;
    } else if (e == "SSSSS") {
      if (!read_int(5, v)) { error = 1858; return std::nullopt; }
      dt.hour = v / 3600;
      dt.minute = v / 60 % 60;
      dt.second = v % 60;
    } else if (e.substr(0, 2) == "FF") {
      size_t start = ti;
      int64_t ns = 0;
      int digits = 0;
      while (ti < text.size() && std::isdigit(static_cast<unsigned char>(text[ti]))) {
        if (digits < 9) ns = ns * 10 + (text[ti] - '0'), ++digits;
        ++ti;
      }
      if (ti == start) { error = 1858; return std::nullopt; }
      while (digits < 9) ns *= 10, ++digits;
      dt.nanos = ns;
    } else if (e == "AM" || e == "PM" || e == "A.M." || e == "P.M.") {
      skip_text_spaces();
      std::string rest = upper(text.substr(ti, 4));
      has_ampm = true;
      if (rest.rfind("PM", 0) == 0 || rest.rfind("P.M.", 0) == 0) pm = true;
      else if (!(rest.rfind("AM", 0) == 0 || rest.rfind("A.M.", 0) == 0)) { error = 1855; return std::nullopt; }
      ti += rest.rfind("P.M.", 0) == 0 || rest.rfind("A.M.", 0) == 0 ? 4 : 2;
    } else if (e == "TZH") {
      if (!read_int(2, v, true)) { error = 1858; return std::nullopt; }
      dt.has_tz = true;
      dt.tz_minutes = v * 60;
    } else if (e == "TZM") {
      if (!read_int(2, v)) { error = 1858; return std::nullopt; }
      dt.tz_minutes += dt.tz_minutes < 0 ? -v : v;
    } else if (e == "TZR") {
      skip_text_spaces();
      int hh = 0, mm = 0;
      if (!read_int(2, hh, true)) { error = 1858; return std::nullopt; }
      if (ti < text.size() && text[ti] == ':') ++ti;
      read_int(2, mm);
      dt.has_tz = true;
      dt.tz_minutes = hh < 0 || (ti > 0 && text.find('-') != std::string_view::npos && hh == 0) ? hh * 60 - mm : hh * 60 + mm;
    } else if (e == "X") {
      if (text[ti] == '.' || text[ti] == ',') ++ti;
    } else if (e == "J") {
      if (!read_int(7, v)) { error = 1858; return std::nullopt; }
      civil_from_days(v - 2440588, dt.year, dt.month, dt.day);
    } else {
      error = 1821;
      return std::nullopt;
    }
  }
  while (ti < text.size() && text[ti] == ' ') ++ti;
  if (ti < text.size()) {
    error = 1830;
    return std::nullopt;
  }
  if (has_ampm && pm) dt.hour += 12;
  if (dt.day > days_in_month(dt.year, dt.month)) {
    error = 1839;
    return std::nullopt;
  }
  if (!valid_date(dt)) {
    error = 1841;
    return std::nullopt;
  }
  return dt;
}

std::string raw_to_hex(std::string_view bytes) {
  static constexpr char hex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(bytes.size() * 2);
  for (unsigned char c : bytes) {
    out.push_back(hex[c >> 4]);
    out.push_back(hex[c & 15]);
  }
  return out;
}

std::optional<std::string> hex_to_raw(std::string_view hex) {
  auto val = [](char c) -> int {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
  };
  std::string out;
  size_t i = 0;
  if (hex.size() % 2 == 1) {
    int v = val(hex[0]);
    if (v < 0) return std::nullopt;
    out.push_back(static_cast<char>(v));
    i = 1;
  }
  for (; i < hex.size(); i += 2) {
    int a = val(hex[i]), b = val(hex[i + 1]);
    if (a < 0 || b < 0) return std::nullopt;
    out.push_back(static_cast<char>(a * 16 + b));
  }
  return out;
}

}  // namespace ocilite
