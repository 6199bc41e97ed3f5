#include "support/temp_dir.h"

#include <stdlib.h>

#include <fstream>
#include <iterator>
#include <sstream>
#include <system_error>

namespace kestrel::testing {

TempDir::TempDir() {
  std::string tmpl = (std::filesystem::temp_directory_path() / "kestrel-test-XXXXXX").string();
  if (char* p = mkdtemp(tmpl.data())) path_ = p;
}

TempDir::~TempDir() {
  std::error_code ec;
  if (!path_.empty()) std::filesystem::remove_all(path_, ec);
}

std::filesystem::path TempDir::write(const std::string& name, const std::string& bytes) const {
  auto p = path_ / name;
  std::filesystem::create_directories(p.parent_path());
  std::ofstream f(p, std::ios::binary | std::ios::trunc);
  f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return p;
}

std::string TempDir::read(const std::string& name) const {
  std::ifstream f(path_ / name, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

static std::filesystem::path env_or(const char* name, const char* fallback) {
  const char* v = getenv(name);
  return v && *v ? std::filesystem::path(v) : std::filesystem::path(fallback);
}

std::filesystem::path source_dir() { return env_or("KESTREL_SOURCE_DIR", KESTREL_TEST_SOURCE_DIR); }
std::filesystem::path binary_dir() { return env_or("KESTREL_BINARY_DIR", KESTREL_TEST_BINARY_DIR); }

}  // namespace kestrel::testing
