#include "app/current_connection.h"

#include "platform/format.h"

namespace kestrel {

std::u16string connection_label(std::u16string_view user, std::u16string_view tns, bool oci7) {
  std::u16string s(user);
  s += u'@';
  s += tns;
  if (oci7) s += u" OCI7";
  return s;
}

std::u16string frame_title(const CurrentConnection& conn, std::u16string_view document_title) {
  std::u16string part;
  if (!conn.notes.empty())
    part = format(u"%s(%s)", {conn.notes, conn.label});
  else
    part = conn.label.empty() ? std::u16string(kAppTitle) : conn.label;
  return format(u"%s - %s", {part, document_title.empty() ? kUntitled : document_title});
}

}  // namespace kestrel
