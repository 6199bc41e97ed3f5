// Conversions of OCINumber values to text and C numbers.
#include <cstring>

#include "engine_error.h"
#include "oci_handles_p.h"
#include "ora_format.h"
#include "oracle_number.h"

using namespace ocilite;

extern "C" {

sword OCINumberToReal(OCIError* errhp, const OCINumber* number, uword rsl_length, void* rsl) {
  auto* err = as<ErrorH>(errhp, OCI_HTYPE_ERROR);
  if (!err || !number || !rsl) return OCI_INVALID_HANDLE;
  clear_errors(err);
  auto n = decode_oracle_number(number->OCINumberPart + 1, number->OCINumberPart[0]);
  if (!n) return record_error(err, engine_error(ora::kInvalidNumber));
  double d = n->is_int ? static_cast<double>(n->i) : n->d;
  if (rsl_length == sizeof(float)) {
    float f = static_cast<float>(d);
    std::memcpy(rsl, &f, sizeof f);
  } else if (rsl_length == sizeof(double)) {
    std::memcpy(rsl, &d, sizeof d);
  } else {
    long double ld = d;
    std::memcpy(rsl, &ld, sizeof ld);
  }
  return OCI_SUCCESS;
}

sword OCINumberToInt(OCIError* errhp, const OCINumber* number, uword rsl_length, uword rsl_flag, void* rsl) {
  auto* err = as<ErrorH>(errhp, OCI_HTYPE_ERROR);
  if (!err || !number || !rsl) return OCI_INVALID_HANDLE;
  clear_errors(err);
  auto n = decode_oracle_number(number->OCINumberPart + 1, number->OCINumberPart[0]);
  if (!n) return record_error(err, engine_error(ora::kInvalidNumber));
  int64_t v = n->is_int ? n->i : static_cast<int64_t>(n->d);
  if (rsl_flag == OCI_NUMBER_UNSIGNED && v < 0) return record_error(err, OraError{22054, "ORA-22054: underflow error"});
  switch (rsl_length) {
    case 1: { sb1 x = static_cast<sb1>(v); std::memcpy(rsl, &x, 1); break; }
    case 2: { sb2 x = static_cast<sb2>(v); std::memcpy(rsl, &x, 2); break; }
    case 4: { sb4 x = static_cast<sb4>(v); std::memcpy(rsl, &x, 4); break; }
    case 8: std::memcpy(rsl, &v, 8); break;
    default: return record_error(err, OraError{22053, "ORA-22053: overflow error"});
  }
  return OCI_SUCCESS;
}

sword OCINumberToText(OCIError* errhp, const OCINumber* number, const OraText* fmt, ub4 fmt_length, const OraText*, ub4,
                      ub4* buf_size, OraText* buf) {
  auto* err = as<ErrorH>(errhp, OCI_HTYPE_ERROR);
  if (!err || !number || !buf_size) return OCI_INVALID_HANDLE;
  clear_errors(err);
  auto n = decode_oracle_number(number->OCINumberPart + 1, number->OCINumberPart[0]);
  if (!n) return record_error(err, engine_error(ora::kInvalidNumber));
  std::string text = number_to_text(*n);
  if (fmt && fmt_length) {
    auto f = format_number(*n, std::string(reinterpret_cast<const char*>(fmt), fmt_length));
    if (!f) return record_error(err, OraError{1481, "ORA-01481: invalid number format model"});
    text = *f;
  }
  if (text.size() > *buf_size) return record_error(err, OraError{22065, "ORA-22065: number to text translation for the given format causes overflow"});
  if (buf) std::memcpy(buf, text.data(), text.size());
  *buf_size = static_cast<ub4>(text.size());
  return OCI_SUCCESS;
}

}  // extern "C"
