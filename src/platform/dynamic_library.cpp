#include "platform/dynamic_library.h"

#include <dlfcn.h>

#include <utility>

#include "platform/utf16.h"

namespace kestrel {

DynamicLibrary::DynamicLibrary(DynamicLibrary&& other) noexcept
    : handle_(std::exchange(other.handle_, nullptr)), file_(std::move(other.file_)) {}

DynamicLibrary& DynamicLibrary::operator=(DynamicLibrary&& other) noexcept {
  if (this != &other) {
    close();
    handle_ = std::exchange(other.handle_, nullptr);
    file_ = std::move(other.file_);
  }
  return *this;
}

bool DynamicLibrary::open(const std::filesystem::path& file, std::u16string* error) {
  close();
  ::dlerror();
  void* h = ::dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!h) {
    if (error) {
      const char* why = ::dlerror();
      *error = utf8_to_utf16(why ? why : file.string() + ": cannot be loaded");
    }
    return false;
  }
  handle_ = h;
  file_ = file;
  return true;
}

void DynamicLibrary::close() {
  if (handle_) ::dlclose(handle_);
  handle_ = nullptr;
  file_.clear();
}

void* DynamicLibrary::symbol(const char* name) const {
  if (!handle_) return nullptr;
  return ::dlsym(handle_, name);
}

std::vector<std::filesystem::path> client_library_candidates(const std::filesystem::path& oci_folder,
                                                             const std::filesystem::path& program_folder) {
  static constexpr const char* kSearchPathNames[] = {
      "libclntsh.so",      "libclntsh.so.23.1", "libclntsh.so.21.1", "libclntsh.so.19.1",
      "libclntsh.so.18.1", "libclntsh.so.12.1", "libclntsh.so.11.1",
  };
  std::vector<std::filesystem::path> out;
  if (!oci_folder.empty()) out.push_back(oci_folder / "libclntsh.so");
  for (const char* name : kSearchPathNames) out.emplace_back(name);
  out.push_back(program_folder / "lib" / "libkestrel_ocilite.so");
  return out;
}

bool open_first_library(DynamicLibrary& lib, const std::vector<std::filesystem::path>& candidates,
                        std::u16string* error) {
  std::u16string reasons;
  for (const auto& c : candidates) {
    std::u16string why;
    if (lib.open(c, &why)) return true;
    if (!reasons.empty()) reasons += u'\n';
    reasons += why;
  }
  if (error) *error = reasons;
  return false;
}

}  // namespace kestrel
