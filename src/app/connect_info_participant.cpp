#include "app/connect_info_participant.h"

#include <algorithm>

#include "platform/format.h"

namespace kestrel {

namespace {

constexpr std::u16string_view kConnectInfo = u"CONNECT_INFO";
// Stands for "no such key": no stored text begins with U+0001.
constexpr std::u16string_view kAbsent = u"\x01";
constexpr int32_t kMaxTnsEntries = 1000;

constexpr std::u16string_view kProfileKeys[] = {u"USER",         u"TNS",          u"PASSWD",
                                                u"CONNECT_MODE", u"USE_OCI7_API", u"NOTES",
                                                u"CUSTOMIZE_OPTION", u"OPT_TEXT_BG_COLOR", u"OPT_GRID_BG_COLOR"};

}  // namespace

void ConnectInfoParticipant::read_before_switch(const SettingsStore& s) {
  values_.clear();
  auto take = [&](std::u16string_view section, const std::u16string& key) {
    std::u16string text = s.get_string(section, key, kAbsent);
    if (text == kAbsent) return false;
    values_.push_back({std::u16string(section), key, std::move(text)});
    return true;
  };
  // These keep their meaning when absent (ENCODE_VER absent is version 1),
  // so an absent one is absent in the new store too.
  for (const char16_t* k : {u"ENCODE_VER", u"COUNT", u"TNS_COMBO_LIST_CNT", u"USER-CUR", u"TNS-CUR",
                            u"CONNECT_MODE-CUR", u"USE_OCI7_API-CUR"})
    if (!take(kConnectInfo, k)) values_.push_back({std::u16string(kConnectInfo), k, {}, false});
  // Profiles up to the first one missing, whatever COUNT claims.
  const int32_t count = s.get_int(kConnectInfo, u"COUNT", 0);
  for (int32_t i = 0; i < count; ++i) {
    bool any = false;
    for (std::u16string_view name : kProfileKeys) any = take(kConnectInfo, format(u"%s-%d", {name, i})) || any;
    if (!any) break;
  }
  const int32_t tns = std::clamp(s.get_int(kConnectInfo, u"TNS_COMBO_LIST_CNT", 0), 0, kMaxTnsEntries);
  for (int32_t i = 0; i < tns; ++i) take(kConnectInfo, format(u"TNS_COMBO_LIST_STR_%d", {i}));
  for (const char16_t* k : {u"WIDTH", u"HEIGHT", u"C_USER_WITDH", u"C_PASSWD_WITDH", u"C_TNS_WITDH", u"C_MODE_WITDH",
                            u"C_OCI7_WITDH", u"C_NOTES_WIDTH"})
    take(u"LOGIN_DLG", k);
  take(u"CONNECT_INFO_DLG", u"WIDTH");
  take(u"CONNECT_INFO_DLG", u"HEIGHT");
  for (int i = 0; i < 16; ++i) take(u"COLOR_DLG", format(u"CUSTOM_COLOR_%d%d", {i / 10, i % 10}));
}

bool ConnectInfoParticipant::write_after_switch(SettingsStore& s) {
  SettingsBatch batch(s);
  bool ok = true;
  for (const Value& v : values_)
    ok = (v.present ? s.write_string(v.section, v.key, v.text) : s.remove_key(v.section, v.key)) && ok;
  // Profiles the new store held beyond the carried list go, passwords first.
  for (int32_t i = std::max(0, s.get_int(kConnectInfo, u"COUNT", 0));; ++i) {
    bool any = false;
    for (std::u16string_view name : kProfileKeys) {
      const std::u16string k = format(u"%s-%d", {name, i});
      if (s.get_string(kConnectInfo, k, kAbsent) == kAbsent) continue;
      any = true;
      ok = s.remove_key(kConnectInfo, k) && ok;
    }
    if (!any) break;
  }
  return batch.commit() && ok;
}

}  // namespace kestrel
