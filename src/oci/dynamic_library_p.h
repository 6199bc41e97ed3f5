// A loaded shared library (dlopen/dlsym/dlclose), kept private to the Oracle
// layer until the platform layer offers the same.
#pragma once

#include <dlfcn.h>

#include <string>

namespace kestrel::oci_detail {

inline void* dl_open(const std::string& file) { return ::dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL); }
inline void* dl_symbol(void* lib, const char* name) { return lib ? ::dlsym(lib, name) : nullptr; }
inline void dl_close(void* lib) {
  if (lib) ::dlclose(lib);
}

}  // namespace kestrel::oci_detail
