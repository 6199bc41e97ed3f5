// The encoded form of stored connection passwords. It only hides passwords
// from a glance at the settings file; it is no protection.
//
// Version 2 (written): a letter "a"-"j" picks one of ten alphabets of 64
// characters; the password in CP932 follows, three bytes to four characters.
// Version 1 (read only): the first character seeds the old C runtime's
// generator; each following character is XORed with the next value mod 255.
// The alphabets and the generator are a stored format shared with the
// sibling product: never change them.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace kestrel {

inline constexpr std::size_t kEncodedPasswordMax = 255;
inline constexpr int32_t kEncodeVersionCurrent = 2;

// Encodes with the alphabet of `letter` (0-9); nullopt when the password
// has no CP932 form.
std::optional<std::u16string> encode_password_with(std::u16string_view password, int letter);
// Encodes with a random letter, trying each letter once until the text
// decodes back to the password. nullopt when none does or the encoded text
// would pass 255 characters: such a password cannot be stored.
std::optional<std::u16string> encode_password(std::u16string_view password);
// `pick` chooses the first letter to try (0-9); for tests.
std::optional<std::u16string> encode_password(std::u16string_view password, const std::function<int()>& pick);

// Decoders; nullopt when the text is not a valid encoding.
std::optional<std::u16string> decode_password_v2(std::u16string_view encoded);
std::optional<std::u16string> decode_password_v1(std::u16string_view encoded);
// By the list's ENCODE_VER: 1 version 1, anything else version 2.
std::optional<std::u16string> decode_password(std::u16string_view encoded, int32_t version);

}  // namespace kestrel
