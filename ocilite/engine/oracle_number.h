// Oracle's NUMBER wire format (OCINumber, SQLT_NUM/SQLT_VNU): exponent byte
// and base-100 mantissa digits.
#pragma once

#include <cstddef>
#include <optional>

#include "ora_format.h"

namespace ocilite {

// `bytes` is the NUMBER without its length prefix.
std::optional<OraNumber> decode_oracle_number(const unsigned char* bytes, size_t len);
// Writes at most 21 bytes; returns the length.
size_t encode_oracle_number(const OraNumber& n, unsigned char* out);

}  // namespace ocilite
