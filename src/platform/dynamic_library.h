// Run-time loading of shared libraries (the Oracle client library is never
// linked): dlopen with RTLD_NOW | RTLD_LOCAL, dlsym, dlclose.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace kestrel {

class DynamicLibrary {
 public:
  DynamicLibrary() = default;
  ~DynamicLibrary() { close(); }
  DynamicLibrary(DynamicLibrary&& other) noexcept;
  DynamicLibrary& operator=(DynamicLibrary&& other) noexcept;
  DynamicLibrary(const DynamicLibrary&) = delete;
  DynamicLibrary& operator=(const DynamicLibrary&) = delete;

  // A name without '/' goes through the normal library search path. Any
  // library already open is closed first. False with `error` (dlerror's text)
  // when it cannot be loaded.
  bool open(const std::filesystem::path& file, std::u16string* error = nullptr);
  void close();
  bool is_open() const { return handle_ != nullptr; }
  // nullptr when the library does not export `name`.
  void* symbol(const char* name) const;
  // The name it was opened with.
  const std::filesystem::path& file() const { return file_; }

 private:
  void* handle_ = nullptr;
  std::filesystem::path file_;
};

// Where the Oracle client library is looked for, in order: libclntsh.so in
// the OCI_PATH_64 folder (when given), the usual libclntsh names on the normal
// search path, then the bundled stand-in lib/libkestrel_ocilite.so beside the
// program.
std::vector<std::filesystem::path> client_library_candidates(const std::filesystem::path& oci_folder,
                                                             const std::filesystem::path& program_folder);

// Opens the first candidate that loads. On failure `error` lists every
// candidate with its reason, one per line.
bool open_first_library(DynamicLibrary& lib, const std::vector<std::filesystem::path>& candidates,
                        std::u16string* error = nullptr);

}  // namespace kestrel
