// The process environment prepared for the client library at start-up, in
// the order the start-up runs them: the library folder, TNS_ADMIN, the UTF-8
// session switch (after the library is loaded) and the text converter.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

#include "app/app_settings.h"

namespace kestrel {

// The loaded client library's version; the Oracle layer answers it.
class ClientVersionProvider {
 public:
  virtual ~ClientVersionProvider() = default;
  // False when the version cannot be told.
  virtual bool client_version(int& major, int& minor) const = 0;
};

// OCI_PATH_64 when it names an existing folder (a trailing separator is
// ignored for the test), else empty: the folder searched first for the
// client library.
std::filesystem::path client_library_folder(const AppSettings& settings);

// Exports "TNS_ADMIN=%s" when TNS_ADMIN is not empty. True when it was set.
bool export_tns_admin(const AppSettings& settings);

// When NLS_UTF8 is 1 and the client is at least 9.2: the program code page
// becomes UTF-8 and NLS_LANG / NLS_NCHAR are exported. Returns the program
// code page in force afterwards.
uint32_t apply_unicode_environment(const AppSettings& settings, const ClientVersionProvider* client);

// Chooses the text converter by REPLACE_WAVE_DASH.
void select_text_converter(const AppSettings& settings);

}  // namespace kestrel
