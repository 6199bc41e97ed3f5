// Date/time descriptors and their texts: OCIDate and OCIDateTime to text
// and back, and intervals to text.
#include <cctype>
#include <cstdio>
#include <cstring>

#include "engine_error.h"
#include "oci_objects_p.h"
#include "ora_format.h"

using namespace ocilite;

namespace {

DateTimeH* datetime_handle(const void* p) {
  for (ub4 t : {OCI_DTYPE_TIMESTAMP, OCI_DTYPE_TIMESTAMP_TZ, OCI_DTYPE_TIMESTAMP_LTZ, OCI_DTYPE_DATE})
    if (auto* h = as<DateTimeH>(p, t)) return h;
  return nullptr;
}

// The session behind an environment-or-session handle, when it is one.
Session* session_of_handle(void* hndl) {
  auto* ses = as<SessionH>(hndl, OCI_HTYPE_SESSION);
  return ses ? ses->session.get() : nullptr;
}

// The format for a value without one: the session's NLS format, else
// Oracle's defaults.
std::string default_format(void* hndl, ub4 dtype) {
  const bool tz = dtype == OCI_DTYPE_TIMESTAMP_TZ;
  if (Session* s = session_of_handle(hndl)) {
    if (dtype == OCI_DTYPE_DATE) return s->nls().date_format();
    return tz ? s->nls().timestamp_tz_format() : s->nls().timestamp_format();
  }
  if (dtype == OCI_DTYPE_DATE) return "DD-MON-RR";
  return tz ? "DD-MON-RR HH.MI.SSXFF AM TZR" : "DD-MON-RR HH.MI.SSXFF AM";
}

// "FF" without digits prints `digits` fractional digits.
std::string with_fraction_digits(const std::string& fmt, int digits) {
  const char d = static_cast<char>('0' + (digits < 1 ? 1 : digits > 9 ? 9 : digits));
  std::string out;
  for (size_t p = 0; p < fmt.size(); ++p) {
    out += fmt[p];
    const bool ff = (fmt[p] == 'F' || fmt[p] == 'f') && p > 0 && (fmt[p - 1] == 'F' || fmt[p - 1] == 'f') &&
                    (p < 2 || (fmt[p - 2] != 'F' && fmt[p - 2] != 'f'));
    if (ff && (p + 1 >= fmt.size() || !std::isdigit(static_cast<unsigned char>(fmt[p + 1])))) out += d;
  }
  return out;
}

std::string client_text(const OraText* p, size_t n) { return p ? std::string(reinterpret_cast<const char*>(p), n) : std::string(); }

sword copy_out(ErrorH* err, const std::string& text, OraText* buf, ub4* buf_size) {
  if (text.size() > *buf_size) return record_error(err, OraError{1877, "ORA-01877: string is too long for internal buffer"});
  if (buf) std::memcpy(buf, text.data(), text.size());
  *buf_size = static_cast<ub4>(text.size());
  return OCI_SUCCESS;
}

}  // namespace

namespace ocilite {

OCIDate oci_date_of(const OraDateTime& dt) {
  OCIDate od{};
  od.OCIDateYYYY = static_cast<sb2>(dt.year);
  od.OCIDateMM = static_cast<ub1>(dt.month);
  od.OCIDateDD = static_cast<ub1>(dt.day);
  od.OCIDateTime.OCITimeHH = static_cast<ub1>(dt.hour);
  od.OCIDateTime.OCITimeMI = static_cast<ub1>(dt.minute);
  od.OCIDateTime.OCITimeSS = static_cast<ub1>(dt.second);
  return od;
}

OraDateTime datetime_of(const OCIDate& od) {
  OraDateTime dt;
  dt.year = od.OCIDateYYYY;
  dt.month = od.OCIDateMM;
  dt.day = od.OCIDateDD;
  dt.hour = od.OCIDateTime.OCITimeHH;
  dt.minute = od.OCIDateTime.OCITimeMI;
  dt.second = od.OCIDateTime.OCITimeSS;
  return dt;
}

bool alloc_datetime_descriptor(ub4 type, void** descpp) {
  Handle* h = nullptr;
  if (type == OCI_DTYPE_INTERVAL_YM || type == OCI_DTYPE_INTERVAL_DS) {
    auto* i = new IntervalH();
    i->year_month = type == OCI_DTYPE_INTERVAL_YM;
    h = i;
  } else if (type == OCI_DTYPE_DATE || type == OCI_DTYPE_TIMESTAMP || type == OCI_DTYPE_TIMESTAMP_TZ ||
             type == OCI_DTYPE_TIMESTAMP_LTZ) {
    h = new DateTimeH();
  } else {
    return false;
  }
  h->type = type;
  register_handle(h);
  *descpp = h;
  return true;
}

}  // namespace ocilite

extern "C" {

sword OCIDateToText(OCIError* errhp, const OCIDate* date, const OraText* fmt, ub1 fmt_length, const OraText*, ub4,
                    ub4* buf_size, OraText* buf) {
  auto* err = as<ErrorH>(errhp, OCI_HTYPE_ERROR);
  if (!err || !date || !buf_size) return OCI_INVALID_HANDLE;
  clear_errors(err);
  const OraDateTime dt = datetime_of(*date);
  std::string f = fmt && fmt_length ? std::string(reinterpret_cast<const char*>(fmt), fmt_length) : "DD-MON-YY";
  auto text = format_date(dt, f);
  if (!text) return record_error(err, engine_error(1821));
  return copy_out(err, *text, buf, buf_size);
}

sword OCIDateTimeToText(void* hndl, OCIError* errhp, const OCIDateTime* date, const OraText* fmt, ub1 fmt_length,
                        ub1 fsprec, const OraText*, size_t, ub4* buf_size, OraText* buf) {
  auto* err = as<ErrorH>(errhp, OCI_HTYPE_ERROR);
  if (!err || !buf_size) return OCI_INVALID_HANDLE;
  clear_errors(err);
  DateTimeH* dt = datetime_handle(date);
  if (!dt) return record_error(err, OraError{1891, "ORA-01891: Datetime/Interval internal error"});
  std::string f = fmt && fmt_length ? client_text(fmt, fmt_length) : default_format(hndl, dt->type);
  auto text = format_date(dt->value, with_fraction_digits(f, fsprec));
  if (!text) return record_error(err, engine_error(1821));
  return copy_out(err, *text, buf, buf_size);
}

sword OCIDateTimeFromText(void* hndl, OCIError* errhp, const OraText* date_str, size_t dstr_length, const OraText* fmt,
                          ub1 fmt_length, const OraText*, size_t, OCIDateTime* date) {
  auto* err = as<ErrorH>(errhp, OCI_HTYPE_ERROR);
  if (!err || !date_str) return OCI_INVALID_HANDLE;
  clear_errors(err);
  DateTimeH* dt = datetime_handle(date);
  if (!dt) return record_error(err, OraError{1891, "ORA-01891: Datetime/Interval internal error"});
  std::string f = fmt && fmt_length ? client_text(fmt, fmt_length) : default_format(hndl, dt->type);
  int error = 0;
  auto value = parse_date(client_text(date_str, dstr_length), f, error);
  if (!value) return record_error(err, engine_error(error ? error : 1861));
  if (dt->type == OCI_DTYPE_DATE) value->nanos = 0;
  dt->value = *value;
  return OCI_SUCCESS;
}

sword OCIIntervalToText(void*, OCIError* errhp, const OCIInterval* inter, ub1 lfprec, ub1 fsprec, OraText* buffer,
                        size_t buflen, size_t* resultlen) {
  auto* err = as<ErrorH>(errhp, OCI_HTYPE_ERROR);
  if (!err || !resultlen) return OCI_INVALID_HANDLE;
  clear_errors(err);
  IntervalH* iv = as<IntervalH>(inter, OCI_DTYPE_INTERVAL_YM);
  if (!iv) iv = as<IntervalH>(inter, OCI_DTYPE_INTERVAL_DS);
  if (!iv) return record_error(err, OraError{1891, "ORA-01891: Datetime/Interval internal error"});
  char text[160];
  const int lead = lfprec == 0 ? 2 : lfprec > 9 ? 9 : lfprec;
  if (iv->year_month) {
    const int64_t m = iv->months < 0 ? -iv->months : iv->months;
    std::snprintf(text, sizeof text, "%c%0*lld-%02lld", iv->months < 0 ? '-' : '+', lead,
                  static_cast<long long>(m / 12), static_cast<long long>(m % 12));
  } else {
    const int64_t ns = iv->nanoseconds < 0 ? -iv->nanoseconds : iv->nanoseconds;
    const int64_t secs = ns / 1000000000, frac = ns % 1000000000;
    const int digits = fsprec > 9 ? 9 : fsprec;
    int64_t shown = frac;
    for (int d = digits; d < 9; ++d) shown /= 10;
    int n = std::snprintf(text, sizeof text, "%c%0*lld %02lld:%02lld:%02lld", iv->nanoseconds < 0 ? '-' : '+', lead,
                          static_cast<long long>(secs / 86400), static_cast<long long>(secs / 3600 % 24),
                          static_cast<long long>(secs / 60 % 60), static_cast<long long>(secs % 60));
    if (digits > 0 && n > 0)
      std::snprintf(text + n, sizeof text - static_cast<size_t>(n), ".%0*lld", digits, static_cast<long long>(shown));
  }
  const size_t len = std::strlen(text);
  if (!buffer || buflen < len) return record_error(err, OraError{1877, "ORA-01877: string is too long for internal buffer"});
  std::memcpy(buffer, text, len);
  *resultlen = len;
  return OCI_SUCCESS;
}

}  // extern "C"
