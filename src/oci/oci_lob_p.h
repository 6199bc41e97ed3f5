// Shared by the LOB and object code: an Oracle failure logged under its
// header, its text into the caller's message, 13 returned.
#pragma once

#include "oci/oci_session.h"
#include "oci/oci_text.h"

namespace kestrel::oci_lob_detail {

int oracle_failure(OciSession* s, const char16_t* header, OciMsgBuf msg);

}  // namespace kestrel::oci_lob_detail
