#include "app/connect_profile.h"

#include <algorithm>
#include <optional>

#include "app/password_codec.h"
#include "platform/format.h"
#include "regex/regex.h"
#include "regex/regex_constants.h"
#include "platform/utf16.h"

namespace kestrel {

namespace {

constexpr std::u16string_view kSection = u"CONNECT_INFO";
// Stands for "no such key": no stored text begins with U+0001.
constexpr std::u16string_view kAbsent = u"\x01";

constexpr std::u16string_view kProfileKeys[] = {u"USER",         u"TNS",           u"PASSWD",
                                                u"CONNECT_MODE", u"USE_OCI7_API",  u"NOTES",
                                                u"CUSTOMIZE_OPTION", u"OPT_TEXT_BG_COLOR", u"OPT_GRID_BG_COLOR"};

std::u16string key(std::u16string_view name, int32_t i) { return format(u"%s-%d", {name, i}); }

bool profile_present(const SettingsStore& s, int32_t i) {
  for (std::u16string_view name : {u"USER", u"TNS", u"PASSWD"})
    if (s.get_string(kSection, key(name, i), kAbsent) != kAbsent) return true;
  return false;
}

}  // namespace

std::u16string_view connect_mode_text(int32_t mode) {
  switch (mode) {
    case 1: return u"NORMAL";
    case 2: return u"SYSDBA";
    case 4: return u"SYSOPER";
    default: return u"";
  }
}

ProfileList load_profiles(const SettingsStore& s) {
  ProfileList list;
  list.encode_version = s.get_int(kSection, u"ENCODE_VER", 1);
  const int32_t count = s.get_int(kSection, u"COUNT", 0);
  for (int32_t i = 0; i < count; ++i) {
    if (!profile_present(s, i)) break;  // COUNT claims more than is stored
    ConnectProfile p;
    p.user = s.get_string(kSection, key(u"USER", i), u"");
    p.tns = s.get_string(kSection, key(u"TNS", i), u"");
    const std::u16string encoded = s.get_string(kSection, key(u"PASSWD", i), u"");
    if (!encoded.empty()) {
      std::optional<std::u16string> pw = decode_password(encoded, list.encode_version);
      if (pw)
        p.password = std::move(*pw);
      else
        ++list.undecodable;
    }
    p.connect_mode = s.get_int(kSection, key(u"CONNECT_MODE", i), 1);
    p.oci7 = s.get_int(kSection, key(u"USE_OCI7_API", i), 0);
    p.notes = s.get_string(kSection, key(u"NOTES", i), u"");
    p.customize = s.get_int(kSection, key(u"CUSTOMIZE_OPTION", i), 0);
    p.text_bg_color = s.get_int(kSection, key(u"OPT_TEXT_BG_COLOR", i), 0xFFFFFF);
    p.grid_bg_color = s.get_int(kSection, key(u"OPT_GRID_BG_COLOR", i), 0xFFFFFF);
    list.profiles.push_back(std::move(p));
  }
  return list;
}

bool save_profiles(SettingsStore& s, const std::vector<ConnectProfile>& profiles, std::u16string* error) {
  std::vector<std::u16string> encoded;
  encoded.reserve(profiles.size());
  for (const ConnectProfile& p : profiles) {
    if (p.password.empty()) {
      encoded.emplace_back();
      continue;
    }
    std::optional<std::u16string> enc = encode_password(p.password);
    if (!enc) {
      if (error)
        *error = format(u"%s@%s のパスワードは保存できません(Shift-JISで表せない文字を含むか、長すぎます)",
                        {p.user, p.tns});
      return false;
    }
    encoded.push_back(std::move(*enc));
  }
  const int32_t old_count = std::max(0, s.get_int(kSection, u"COUNT", 0));
  SettingsBatch batch(s);
  bool ok = true;
  for (std::size_t n = 0; n < profiles.size(); ++n) {
    const ConnectProfile& p = profiles[n];
    const int32_t i = static_cast<int32_t>(n);
    ok = s.write_string(kSection, key(u"USER", i), p.user) && ok;
    ok = s.write_string(kSection, key(u"TNS", i), p.tns) && ok;
    ok = s.write_string(kSection, key(u"PASSWD", i), encoded[n]) && ok;
    ok = s.write_int(kSection, key(u"CONNECT_MODE", i), p.connect_mode) && ok;
    ok = s.write_int(kSection, key(u"USE_OCI7_API", i), p.oci7) && ok;
    ok = s.write_string(kSection, key(u"NOTES", i), p.notes) && ok;
    ok = s.write_int(kSection, key(u"CUSTOMIZE_OPTION", i), p.customize) && ok;
    ok = s.write_int(kSection, key(u"OPT_TEXT_BG_COLOR", i), p.text_bg_color) && ok;
    ok = s.write_int(kSection, key(u"OPT_GRID_BG_COLOR", i), p.grid_bg_color) && ok;
  }
  // A deleted profile's keys, its password above all, must not stay on disk.
  for (int32_t i = static_cast<int32_t>(profiles.size()); i < old_count; ++i) {
    if (!profile_present(s, i)) break;
    for (std::u16string_view name : kProfileKeys) ok = s.remove_key(kSection, key(name, i)) && ok;
  }
  ok = s.write_int(kSection, u"COUNT", static_cast<int32_t>(profiles.size())) && ok;
  ok = s.write_int(kSection, u"ENCODE_VER", kEncodeVersionCurrent) && ok;
  ok = batch.commit() && ok;
  if (!ok && error) *error = format(u"ログイン情報を保存できません: %s", {s.last_error()});
  return ok;
}

const ConnectProfile* match_profile(const std::vector<ConnectProfile>& profiles, std::u16string_view user,
                                    std::u16string_view tns, int32_t connect_mode, int32_t oci7) {
  for (const ConnectProfile& p : profiles)
    if (iequals_ascii(p.user, user) && iequals_ascii(p.tns, tns) && p.connect_mode == connect_mode && p.oci7 == oci7)
      return &p;
  return nullptr;
}

std::vector<std::size_t> filter_profiles(const std::vector<ConnectProfile>& profiles, std::u16string_view filter) {
  std::vector<std::size_t> shown;
  std::unique_ptr<Regex> re;
  if (!filter.empty()) {
    constexpr unsigned flags = kRegexIgnoreCase | kRegexIgnoreWidth;
    re = compile_regex(filter, flags);
    if (!re) re = compile_plain_text(filter, flags);
  }
  for (std::size_t i = 0; i < profiles.size(); ++i) {
    const ConnectProfile& p = profiles[i];
    if (re) {
      const std::u16string text = p.user + u"@" + p.tns + u"\t" + std::u16string(connect_mode_text(p.connect_mode)) +
                                  u"\t" + p.notes;
      if (re->execute(text) != 1) continue;
    }
    shown.push_back(i);
  }
  return shown;
}

}  // namespace kestrel
