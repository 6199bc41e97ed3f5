// Password hashes kept in the catalogue: crypt(3) texts from libxcrypt
// (Debian's libcrypt), yescrypt ("$y$...") with a random salt by default,
// the scheme Debian uses for /etc/shadow. Any crypt(3) text libxcrypt
// verifies is accepted, so an administrator may store a SHA-512 ("$6$") one.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace ocilite::detail {

// A new salted hash of `password`; nullopt when no random salt could be had.
std::optional<std::string> hash_password(std::string_view password);
// True when `password` matches `hash` (a crypt(3) text).
bool verify_password(std::string_view password, std::string_view hash);

}  // namespace ocilite::detail
