// Oracle's NUMBER wire format (OCINumber, SQLT_NUM/SQLT_VNU): exponent byte
// and base-100 mantissa digits.
#pragma once

#include <cstddef>
#include <optional>

#include "decimal_number.h"
#include "ora_format.h"

namespace ocilite {

// `bytes` is the NUMBER without its length prefix. Exact.
std::optional<Decimal> decode_oracle_decimal(const unsigned char* bytes, size_t len);
// Writes at most 21 bytes; returns the length. Exact to 38 digits.
size_t encode_oracle_decimal(const Decimal& v, unsigned char* out);

// The same through the double-based OraNumber (15 significant digits).
std::optional<OraNumber> decode_oracle_number(const unsigned char* bytes, size_t len);
size_t encode_oracle_number(const OraNumber& n, unsigned char* out);

}  // namespace ocilite
