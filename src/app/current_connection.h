// The one current connection of the process and the texts derived from it
// (connection label, window title).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kestrel {

inline constexpr int32_t kConnectModeNormal = 1;
inline constexpr int32_t kConnectModeSysdba = 2;
inline constexpr int32_t kConnectModeSysoper = 4;

struct CurrentConnection {
  int32_t connected = 0;  // 1 while a session is open
  std::u16string user;
  std::u16string password;  // never written to a log
  std::u16string tns;
  int32_t connect_mode = kConnectModeNormal;
  int32_t oci7 = 0;
  std::u16string label;  // shown in the title and the status bar
  std::u16string notes;  // NOTES of the matching connection profile
  int32_t db_major_version = 0;
  std::u16string server_date;  // the server's date ("YYYY-MM-DD") when the session started
  int32_t custom_color = 0;    // 1 while a profile's colour is applied
  int32_t session_color = 0;   // 0x00BBGGRR
};

// "user@tns", followed by " OCI7" when the old interface is in use.
std::u16string connection_label(std::u16string_view user, std::u16string_view tns, bool oci7);

// The frame title: "%s - %s" of the connection part and the document title,
// where the connection part is "%s(%s)" of notes and label when there are
// notes, else the label. Before any login (no label) the application title
// stands in for the connection part.
std::u16string frame_title(const CurrentConnection& conn, std::u16string_view document_title);

inline constexpr std::u16string_view kAppTitle = u"kestrel";
inline constexpr std::u16string_view kUntitled = u"無題";

}  // namespace kestrel
