// Stored connection profiles (CONNECT_INFO of the own or the sibling store):
// loading with the list's password encoding, saving every password in the
// current encoding, and the match used to colour a session.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/settings_store.h"

namespace kestrel {

struct ConnectProfile {
  std::u16string user;
  std::u16string tns;
  std::u16string password;  // clear text in memory only
  int32_t connect_mode = 1;
  int32_t oci7 = 0;
  std::u16string notes;
  int32_t customize = 0;
  int32_t text_bg_color = 0xFFFFFF;
  int32_t grid_bg_color = 0xFFFFFF;
};

struct ProfileList {
  std::vector<ConnectProfile> profiles;
  int32_t encode_version = 1;  // as read; saving always writes the current one
  int undecodable = 0;         // passwords that could not be decoded (left empty)
};

// A password with no Shift-JIS form, or too long once encoded, cannot be stored.
inline constexpr char16_t kPasswordNotStorable[] =
    u"このパスワードは保存できません(Shift-JISで表せない文字を含むか、長すぎます)";

// "NORMAL", "SYSDBA", "SYSOPER" for 1, 2, 4; empty for anything else.
std::u16string_view connect_mode_text(int32_t mode);

// Reads the list. An absurd COUNT is never followed past the keys present.
ProfileList load_profiles(const SettingsStore& store);
// Writes the list in one atomic replacement: every profile from index 0,
// COUNT, ENCODE_VER = 2, and blanks the passwords of indices at or above the
// new COUNT. False with `error` set when a password cannot be encoded
// (nothing written) or the store could not be written.
bool save_profiles(SettingsStore& store, const std::vector<ConnectProfile>& profiles, std::u16string* error);

// The first profile whose user and TNS name equal these ignoring case and
// whose mode and OCI7 flag are equal; null when none.
const ConnectProfile* match_profile(const std::vector<ConnectProfile>& profiles, std::u16string_view user,
                                    std::u16string_view tns, int32_t connect_mode, int32_t oci7);

// Indices of the profiles the login filter shows: the text is matched as a
// regular expression ignoring case and width against user "@" TNS, the mode
// text and the notes (never the password); a text that does not compile is
// matched literally; an empty text shows every profile.
std::vector<std::size_t> filter_profiles(const std::vector<ConnectProfile>& profiles, std::u16string_view filter);

}  // namespace kestrel
