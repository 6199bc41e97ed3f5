// Object, collection and REF values as text: "TYPE(attr,attr,...)" with
// quoted strings, "%lg" numbers, dates in the process date format, nested
// objects and collections, and REFs in hexadecimal.
#pragma once

#include <cstdint>
#include <string>

#include "oci/oci_abi.h"
#include "oci/oci_session.h"
#include "oci/oci_text.h"

// The text of an object or named collection `instance` of type `tdo` (its
// null structure `null_struct`), at most `capacity` bytes in the session
// code page (cut on a character boundary).
int oci8_set_dataset_object_main(OciSession* s, OCIType* tdo, void* instance, void* null_struct, uint32_t capacity,
                                 std::u16string* out, kestrel::OciMsgBuf msg);
// The hexadecimal text of a REF ("" for a NULL REF), at most `capacity` bytes.
int oci8_read_ref_main(OciSession* s, OCIRef* ref, uint32_t capacity, std::u16string* out, kestrel::OciMsgBuf msg);

namespace kestrel {

// Longest REF text handled (OCIRefHexSize + 1 must not exceed it).
inline constexpr uint32_t kRefHexMax = 300;
inline constexpr char16_t kElementLabel[] = u"[ELEMENT]";
inline constexpr char16_t kObjectLabel[] = u"[OBJECT]";
inline constexpr char16_t kCollectionLabel[] = u"[COLLECTION]";

// How an element type code is shown.
enum class OciElementKind { Text, Number, Unsigned8, Signed8, Date, Timestamp, Object, Collection, Ref, Unsupported };
OciElementKind oci_element_kind(uint16_t type_code);

// "%lg" of a double, as the program prints numbers inside objects.
std::u16string oci_format_real(double value);

}  // namespace kestrel
