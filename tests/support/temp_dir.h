// A fresh folder under the system temporary folder, removed with its content
// when the object goes away. Every test that touches files gets its own.
#pragma once

#include <filesystem>
#include <string>

namespace kestrel::testing {

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(const std::string& name) const { return path_ / name; }
  // Writes `bytes` as the whole content of `name` and returns its path.
  std::filesystem::path write(const std::string& name, const std::string& bytes) const;
  std::string read(const std::string& name) const;

 private:
  std::filesystem::path path_;
};

// The source folder, for reading shipped data files in tests.
std::filesystem::path source_dir();
// The build folder, where built artefacts (demo database, libraries) are.
std::filesystem::path binary_dir();

}  // namespace kestrel::testing
