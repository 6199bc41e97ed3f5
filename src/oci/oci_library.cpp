// Finding and loading the client library, filling the function table,
// creating the environment and detecting the client character set.
#include "oci/oci_library.h"

#include <dlfcn.h>

#include <cstring>

#include "oci/oci_codes.h"
#include "platform/client_text.h"
#include "platform/environment.h"
#include "platform/format.h"
#include "platform/utf16.h"

namespace kestrel {
namespace {

template <typename F>
bool lookup(const DynamicLibrary& lib, F& slot, const char* name) {
  slot = reinterpret_cast<F>(lib.symbol(name));
  return slot != nullptr;
}

}  // namespace

OciProcess& oci_process() {
  static OciProcess state;
  return state;
}

std::vector<std::filesystem::path> oci_library_candidates() {
  if (auto forced = get_env(u"OCI_LIBRARY"); forced && !forced->empty()) return {to_path(*forced)};
  const OciProcess& proc = oci_process();
  std::filesystem::path oci_folder;
  if (!proc.oci_path_64.empty() && is_existing_folder(path_text(proc.oci_path_64))) oci_folder = proc.oci_path_64;
  std::filesystem::path dir = proc.program_dir.empty() ? program_folder() : proc.program_dir;
  std::vector<std::filesystem::path> out = client_library_candidates(oci_folder, dir);
  // In a build tree the stand-in sits beside the program.
  out.push_back(dir / "libkestrel_ocilite.so");
  return out;
}

int oci_load_library(OciMsgBuf msg) {
  DynamicLibrary probe;
  for (const auto& file : oci_library_candidates()) {
    if (!probe.open(file)) continue;
    probe.close();
    return oci_load_library_file(file, msg);
  }
  msg.set(kMsgLibraryFailed);
  return kOciLibraryFailed;
}

int oci_load_library_file(const std::filesystem::path& file, OciMsgBuf msg) {
  OciProcess& proc = oci_process();
  oci_unload_library();
  DynamicLibrary lib;
  if (!lib.open(file)) {
    msg.set(kMsgLibraryFailed);
    return kOciLibraryFailed;
  }
  OciFunctions fn;
  bool newer = true;
  bool objects = true;
  bool oci7 = true;
  auto core = [&](auto& slot, const char* name) { newer = lookup(lib, slot, name) && newer; };
  auto object = [&](auto& slot, const char* name) { objects = lookup(lib, slot, name) && objects; };
  auto old = [&](auto& slot, const char* name) { oci7 = lookup(lib, slot, name) && oci7; };
  auto optional = [&](auto& slot, const char* name) { lookup(lib, slot, name); };

  if (!lookup(lib, fn.OCIEnvCreate, "OCIEnvCreate")) {
#define KESTREL_LOOKUP(name) core(fn.name, #name);
    KESTREL_OCI_ENV_FALLBACK(KESTREL_LOOKUP)
  }
  KESTREL_OCI_CORE(KESTREL_LOOKUP)
#undef KESTREL_LOOKUP
#define KESTREL_LOOKUP(name) optional(fn.name, #name);
  KESTREL_OCI_CORE_OPTIONAL(KESTREL_LOOKUP)
  KESTREL_OCI_OBJECT_OPTIONAL(KESTREL_LOOKUP)
#undef KESTREL_LOOKUP
#define KESTREL_LOOKUP(name) object(fn.name, #name);
  KESTREL_OCI_OBJECT(KESTREL_LOOKUP)
#undef KESTREL_LOOKUP
#define KESTREL_LOOKUP(name) old(fn.name, #name);
  KESTREL_OCI_OCI7(KESTREL_LOOKUP)
#undef KESTREL_LOOKUP

  // Recent clients may no longer export the old interface: such a library
  // is still usable through the newer one. Only a library with neither is
  // refused.
  if (!newer && !oci7) {
    msg.set(kMsgLibraryFailed);
    return kOciLibraryFailed;
  }
  // Client libraries leave thread-local destructors and threads behind that
  // must outlive any unload: once loaded, the library stays mapped.
  if (void* pin = ::dlopen(lib.file().c_str(), RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE)) ::dlclose(pin);
  proc.library = std::move(lib);
  proc.fn = fn;
  proc.newer_usable = newer;
  proc.objects_usable = newer && objects;
  proc.oci7_usable = oci7;
  if (!newer) proc.use_old_interface = true;
  return kOciOk;
}

void oci_unload_library() {
  OciProcess& proc = oci_process();
  oci_free_env();
  proc.library.close();
  proc.fn = OciFunctions{};
  proc.newer_usable = proc.objects_usable = proc.oci7_usable = false;
}

double oci_parse_version_text(std::u16string_view text) {
  int parts[4] = {0, 0, 0, 0};
  std::size_t pos = 0;
  for (int i = 0; i < 4; ++i) {
    if (i > 0) {
      if (pos >= text.size() || text[pos] != u'.') return 0.0;
      ++pos;
    }
    std::size_t start = pos;
    bool neg = pos < text.size() && text[pos] == u'-';
    if (neg) ++pos;
    int v = 0;
    while (pos < text.size() && text[pos] >= u'0' && text[pos] <= u'9') v = v * 10 + (text[pos++] - u'0');
    if (pos == start + (neg ? 1 : 0)) return 0.0;
    parts[i] = neg ? -v : v;
  }
  return parts[0] + parts[1] / 10.0;
}

double oci_get_client_version(std::u16string* version_text) {
  const OciFunctions& fn = oci_fn();
  if (version_text) version_text->clear();
  if (!fn.OCIClientVersion) return 0.0;
  sword major = 0, minor = 0, update = 0, patch = 0, port = 0;
  fn.OCIClientVersion(&major, &minor, &update, &patch, &port);
  std::u16string text = format(u"%d.%d.%d.%d", {major, minor, update, patch});
  if (version_text) *version_text = text;
  return oci_parse_version_text(text);
}

int oci_init_env(OciMsgBuf msg) {
  OciProcess& proc = oci_process();
  if (!proc.newer_usable || proc.env_initialised) return kOciOk;
  const OciFunctions& fn = proc.fn;
  ub4 mode = OCI_THREADED | (proc.objects_usable ? OCI_OBJECT : 0);
  if (!proc.env) {
    if (fn.OCIEnvCreate) {
      if (fn.OCIEnvCreate(&proc.env, mode, nullptr, nullptr, nullptr, nullptr, 0, nullptr) != OCI_SUCCESS) {
        if (proc.env) fn.OCIHandleFree(proc.env, OCI_HTYPE_ENV);
        proc.env = nullptr;
        msg.set(kMsgEnvCreateFailed);
        return kOciEnvFailed;
      }
    } else {
      if (fn.OCIInitialize(mode, nullptr, nullptr, nullptr, nullptr) != OCI_SUCCESS) {
        msg.set(kMsgInitializeFailed);
        return kOciEnvFailed;
      }
      if (fn.OCIEnvInit(&proc.env, OCI_DEFAULT, 0, nullptr) != OCI_SUCCESS) {
        proc.env = nullptr;
        msg.set(kMsgEnvInitFailed);
        return kOciEnvFailed;
      }
    }
  }
  OCIError* err = nullptr;
  if (fn.OCIHandleAlloc(proc.env, reinterpret_cast<void**>(&err), OCI_HTYPE_ERROR, 0, nullptr) != OCI_SUCCESS) {
    msg.set(kMsgHandleAllocFailedEnv);
    return kOciEnvFailed;
  }
  OraText charset[1024] = {};
  sword rc = fn.OCINlsGetInfo(proc.env, err, charset, sizeof charset, OCI_NLS_CHARACTER_SET);
  fn.OCIHandleFree(err, OCI_HTYPE_ERROR);
  if (rc != OCI_SUCCESS) {
    msg.set(kMsgNlsGetInfoFailed);
    return kOciEnvFailed;
  }
  charset[sizeof charset - 1] = 0;
  std::string name(reinterpret_cast<const char*>(charset));
  bool al32 = name.find("AL32UTF8") != std::string::npos;
  // Oracle's UTF8 is CESU-8: characters above U+FFFF come as two 3-byte
  // halves that no conversion here understands.
  if (!al32 && name.find("UTF8") != std::string::npos) {
    msg.set(format(kMsgNlsLangUnsupported, {name}));
    return kOciEnvFailed;
  }
  set_program_code_page(al32 ? 65001 : 0);
  proc.env_initialised = true;
  return kOciOk;
}

void oci_free_env() {
  OciProcess& proc = oci_process();
  if (proc.env && proc.fn.OCIHandleFree) proc.fn.OCIHandleFree(proc.env, OCI_HTYPE_ENV);
  proc.env = nullptr;
  proc.env_initialised = false;
}

}  // namespace kestrel
