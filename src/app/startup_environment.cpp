#include "app/startup_environment.h"

#include "platform/client_text.h"
#include "platform/codepage.h"
#include "platform/environment.h"
#include "platform/format.h"

namespace kestrel {

std::filesystem::path client_library_folder(const AppSettings& settings) {
  if (settings.OCI_PATH_64.empty() || !is_existing_folder(settings.OCI_PATH_64)) return {};
  return to_path(settings.OCI_PATH_64);
}

bool export_tns_admin(const AppSettings& settings) {
  if (settings.TNS_ADMIN.empty()) return false;
  return put_env(format(u"TNS_ADMIN=%s", {settings.TNS_ADMIN}));
}

uint32_t apply_unicode_environment(const AppSettings& settings, const ClientVersionProvider* client) {
  int major = 0, minor = 0;
  if (settings.NLS_UTF8 == 1 && client && client->client_version(major, minor) &&
      (major > 9 || (major == 9 && minor >= 2))) {
    set_program_code_page(kCodePageUtf8);
    put_env(u"NLS_LANG=JAPANESE_JAPAN.AL32UTF8");
    put_env(u"NLS_NCHAR=AL32UTF8");
  }
  return program_code_page();
}

void select_text_converter(const AppSettings& settings) { set_replace_wave_dash(settings.REPLACE_WAVE_DASH == 1); }

}  // namespace kestrel
