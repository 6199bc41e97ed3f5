// Entry points that exist so that clients find every name they look up,
// but whose features (object types) this version of
// ocilite does not offer yet. Each fails cleanly with ORA-03001 naming the
// call; none touches its output arguments beyond the error record. (LOB reads are in oci_lob.cpp, the OCI7 calls
// in oci7_calls.cpp.)
#include <cstring>

#include "engine_error.h"
#include "oci_handles_p.h"
#include "ora_format.h"
#include "oracle_number.h"

using namespace ocilite;

namespace {

sword unavailable(void* errhp, const char* call) {
  auto* err = as<ErrorH>(errhp, OCI_HTYPE_ERROR);
  if (!err) return OCI_INVALID_HANDLE;
  clear_errors(err);
  return record_error(err, OraError{ora::kUnimplemented, std::string("ORA-03001: unimplemented feature: ") + call +
                                                          " is not available in this version of ocilite"});
}

}  // namespace

extern "C" {

// ---- describe, objects, collections ----
sword OCIDescribeAny(OCISvcCtx*, OCIError* e, void*, ub4, ub1, ub1, ub1, OCIDescribe*) { return unavailable(e, "OCIDescribeAny"); }
sword OCIDefineObject(OCIDefine*, OCIError* e, const OCIType*, void**, ub4*, void**, ub4*) { return unavailable(e, "OCIDefineObject"); }
sword OCITypeByName(OCIEnv*, OCIError* e, const OCISvcCtx*, const OraText*, ub4, const OraText*, ub4, const OraText*, ub4, OCIDuration, OCITypeGetOpt, OCIType**) { return unavailable(e, "OCITypeByName"); }
sword OCITypeByRef(OCIEnv*, OCIError* e, const OCIRef*, OCIDuration, OCITypeGetOpt, OCIType**) { return unavailable(e, "OCITypeByRef"); }
sword OCIObjectNew(OCIEnv*, OCIError* e, const OCISvcCtx*, OCITypeCode, OCIType*, void*, OCIDuration, boolean, void**) { return unavailable(e, "OCIObjectNew"); }
sword OCIObjectPin(OCIEnv*, OCIError* e, OCIRef*, OCIComplexObject*, OCIPinOpt, OCIDuration, OCILockOpt, void**) { return unavailable(e, "OCIObjectPin"); }
sword OCIObjectUnpin(OCIEnv*, OCIError* e, void*) { return unavailable(e, "OCIObjectUnpin"); }
sword OCIObjectFree(OCIEnv*, OCIError* e, void*, ub2) { return unavailable(e, "OCIObjectFree"); }
sword OCIObjectGetInd(OCIEnv*, OCIError* e, void*, void**) { return unavailable(e, "OCIObjectGetInd"); }
sword OCIObjectGetAttr(OCIEnv*, OCIError* e, void*, void*, OCIType*, const OraText**, const ub4*, ub4, const ub4*, ub4, OCIInd*, void**, void**, OCIType**) { return unavailable(e, "OCIObjectGetAttr"); }
sword OCIRefToHex(OCIEnv*, OCIError* e, const OCIRef*, OraText*, ub4*) { return unavailable(e, "OCIRefToHex"); }
ub4 OCIRefHexSize(OCIEnv*, const OCIRef*) { return 0; }
sword OCIIterCreate(OCIEnv*, OCIError* e, const OCIColl*, OCIIter**) { return unavailable(e, "OCIIterCreate"); }
sword OCIIterNext(OCIEnv*, OCIError* e, OCIIter*, void**, void**, boolean*) { return unavailable(e, "OCIIterNext"); }
sword OCIIterDelete(OCIEnv*, OCIError* e, OCIIter**) { return unavailable(e, "OCIIterDelete"); }
sword OCITableFirst(OCIEnv*, OCIError* e, const OCITable*, sb4*) { return unavailable(e, "OCITableFirst"); }
sword OCITableNext(OCIEnv*, OCIError* e, sb4, const OCITable*, sb4*, boolean*) { return unavailable(e, "OCITableNext"); }
sword OCITableSize(OCIEnv*, OCIError* e, const OCITable*, sb4*) { return unavailable(e, "OCITableSize"); }
sword OCICollSize(OCIEnv*, OCIError* e, const OCIColl*, sb4*) { return unavailable(e, "OCICollSize"); }
sword OCICollGetElem(OCIEnv*, OCIError* e, const OCIColl*, sb4, boolean*, void**, void**) { return unavailable(e, "OCICollGetElem"); }
OraText* OCIStringPtr(OCIEnv*, const OCIString*) { return nullptr; }
ub4 OCIStringSize(OCIEnv*, const OCIString*) { return 0; }
ub1* OCIRawPtr(OCIEnv*, const OCIRaw*) { return nullptr; }
ub4 OCIRawSize(OCIEnv*, const OCIRaw*) { return 0; }

// ---- date/time and number conversions ----
sword OCIDateTimeToText(void*, OCIError* e, const OCIDateTime*, const OraText*, ub1, ub1, const OraText*, size_t, ub4*, OraText*) { return unavailable(e, "OCIDateTimeToText"); }
sword OCIDateTimeFromText(void*, OCIError* e, const OraText*, size_t, const OraText*, ub1, const OraText*, size_t, OCIDateTime*) { return unavailable(e, "OCIDateTimeFromText"); }
sword OCIIntervalToText(void*, OCIError* e, const OCIInterval*, ub1, ub1, OraText*, size_t, size_t*) { return unavailable(e, "OCIIntervalToText"); }

sword OCIDateToText(OCIError* errhp, const OCIDate* date, const OraText* fmt, ub1 fmt_length, const OraText*, ub4,
                    ub4* buf_size, OraText* buf) {
  auto* err = as<ErrorH>(errhp, OCI_HTYPE_ERROR);
  if (!err || !date || !buf_size) return OCI_INVALID_HANDLE;
  clear_errors(err);
  OraDateTime dt;
  dt.year = date->OCIDateYYYY;
  dt.month = date->OCIDateMM;
  dt.day = date->OCIDateDD;
  dt.hour = date->OCIDateTime.OCITimeHH;
  dt.minute = date->OCIDateTime.OCITimeMI;
  dt.second = date->OCIDateTime.OCITimeSS;
  std::string f = fmt && fmt_length ? std::string(reinterpret_cast<const char*>(fmt), fmt_length) : "DD-MON-YY";
  auto text = format_date(dt, f);
  if (!text) return record_error(err, engine_error(1821));
  if (text->size() > *buf_size) return record_error(err, OraError{1877, "ORA-01877: string is too long for internal buffer"});
  if (buf) std::memcpy(buf, text->data(), text->size());
  *buf_size = static_cast<ub4>(text->size());
  return OCI_SUCCESS;
}

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
