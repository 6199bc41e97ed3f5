#include <crypt.h>

#include <cstring>
#include <memory>

#include "catalog/password_hash_p.h"

namespace ocilite::detail {
namespace {

// yescrypt cost 3 takes about 20 ms here: a login stays quick while a
// stolen catalogue still costs an attacker dearly per guess. (Debian's
// default, 5, takes about 100 ms per login.)
constexpr unsigned long kYescryptCost = 3;

}  // namespace

std::optional<std::string> hash_password(std::string_view password) {
  char salt[CRYPT_GENSALT_OUTPUT_SIZE];
  // A null random-bytes pointer makes libxcrypt draw the salt from the OS.
  if (!crypt_gensalt_rn("$y$", kYescryptCost, nullptr, 0, salt, sizeof salt)) return std::nullopt;
  auto data = std::make_unique<crypt_data>();
  const std::string pw(password);
  const char* out = crypt_r(pw.c_str(), salt, data.get());
  if (!out || out[0] == '*') return std::nullopt;
  return std::string(out);
}

bool verify_password(std::string_view password, std::string_view hash) {
  if (hash.empty()) return false;
  auto data = std::make_unique<crypt_data>();
  const std::string pw(password), h(hash);
  const char* out = crypt_r(pw.c_str(), h.c_str(), data.get());
  if (!out || out[0] == '*') return false;
  // Constant-time comparison: the time taken tells nothing about the hash.
  const size_t n = std::strlen(out);
  if (n != h.size()) return false;
  unsigned char diff = 0;
  for (size_t i = 0; i < n; ++i) diff |= static_cast<unsigned char>(out[i] ^ h[i]);
  return diff == 0;
}

}  // namespace ocilite::detail
