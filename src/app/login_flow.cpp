#include "app/login_flow.h"

#include <cstdio>

#include "app/session_control.h"
#include "oci/oci_library.h"
#include "platform/ui_services.h"
#include "platform/utf16.h"

namespace kestrel {

namespace {
constexpr std::u16string_view kSection = u"CONNECT_INFO";
}

LoginValues load_last_login(const SettingsStore& store) {
  LoginValues v;
  v.user = store.get_string(kSection, u"USER-CUR", u"");
  v.tns = store.get_string(kSection, u"TNS-CUR", u"");
  v.connect_mode = store.get_int(kSection, u"CONNECT_MODE-CUR", 1);
  v.oci7 = store.get_int(kSection, u"USE_OCI7_API-CUR", 0) == 1;
  return v;
}

bool save_last_login(SettingsStore& store, const LoginValues& v) {
  SettingsBatch batch(store);
  bool ok = store.write_string(kSection, u"USER-CUR", v.user);
  ok = store.write_string(kSection, u"TNS-CUR", v.tns) && ok;
  ok = store.write_int(kSection, u"CONNECT_MODE-CUR", v.connect_mode) && ok;
  ok = store.write_int(kSection, u"USE_OCI7_API-CUR", v.oci7 ? 1 : 0) && ok;
  return batch.commit() && ok;
}

int run_login_flow(int mode, AppSettingsStore& store, const AppSettings& settings, OciSession** session,
                   LoginValues* values) {
  if (session) *session = nullptr;
  if (!oci_process().library.is_open()) {
    ui().message_box(kLibraryNotInitialised, u"Error", mb::OK | mb::ICONEXCLAMATION);
    return kLoginCancelled;
  }
  const LoginValues last = load_last_login(store.store());
  // Profiles and the TNS list may live in the sibling product's store.
  std::unique_ptr<SettingsStore> sibling;
  if (settings.SHARE_CONNECT_INFO == 1) sibling = store.sibling_store();
  SettingsStore& profile_store = sibling ? *sibling : store.store();

  CLogin dlg(mode, last, profile_store, &store.store());
  if (dlg.exec() != QDialog::Accepted) return kLoginCancelled;
  OciSession* s = dlg.take_session();
  if (!s) return kLoginCancelled;
  if (!save_last_login(store.store(), dlg.values()))
    std::fprintf(stderr, "kestrel: the last login could not be saved: %s\n",
                 utf16_to_utf8(store.store().last_error()).c_str());
  if (session) *session = s;
  if (values) *values = dlg.values();
  return kLoginOpened;
}

void make_current(CurrentConnection& conn, OciSession* session, const LoginValues& v) {
  set_current_session(session);
  conn.connected = session ? 1 : 0;
  conn.user = v.user;
  conn.password = v.password;
  conn.tns = v.tns;
  conn.connect_mode = v.connect_mode;
  conn.oci7 = v.oci7 ? 1 : 0;
}

}  // namespace kestrel
