// One type-safe formatter for the program's printf-style message texts.
// Formats are written exactly as the messages define them ("%s(%d)", "%6d",
// "%I64d", "%.*s", "%%"); arguments are checked against each conversion:
//
//   kestrel::format(u"%s(%d)", {name, code})
//
// Strings may be UTF-16 or UTF-8 (char / std::string_view); integers of any
// width; doubles; char16_t as a character. A conversion whose argument has
// the wrong kind, or a missing/extra argument, asserts in debug builds and
// prints "%!" in its place in release builds: never undefined behaviour.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <type_traits>

namespace kestrel {

class FormatArg {
 public:
  enum class Kind { Int, UInt, Double, Char, Str16, Str8, Pointer };

  template <typename T, std::enable_if_t<std::is_integral_v<T> && std::is_signed_v<T> &&
                                             !std::is_same_v<T, char>, int> = 0>
  FormatArg(T v) : kind_(Kind::Int), i_(v) {}
  template <typename T, std::enable_if_t<std::is_integral_v<T> && std::is_unsigned_v<T> &&
                                             !std::is_same_v<T, bool> && !std::is_same_v<T, char16_t> &&
                                             !std::is_same_v<T, char32_t>, int> = 0>
  FormatArg(T v) : kind_(Kind::UInt), u_(v) {}
  FormatArg(bool v) : kind_(Kind::Int), i_(v ? 1 : 0) {}
  FormatArg(double v) : kind_(Kind::Double), d_(v) {}
  FormatArg(float v) : kind_(Kind::Double), d_(v) {}
  FormatArg(char16_t c) : kind_(Kind::Char), u_(c) {}
  FormatArg(char32_t c) : kind_(Kind::Char), u_(c) {}
  FormatArg(char c) : kind_(Kind::Char), u_(static_cast<unsigned char>(c)) {}
  FormatArg(std::u16string_view s) : kind_(Kind::Str16), s16_(s) {}
  FormatArg(const std::u16string& s) : kind_(Kind::Str16), s16_(s) {}
  FormatArg(const char16_t* s) : kind_(Kind::Str16), s16_(s ? std::u16string_view(s) : std::u16string_view(u"(null)")) {}
  FormatArg(std::string_view s) : kind_(Kind::Str8), s8_(s) {}
  FormatArg(const std::string& s) : kind_(Kind::Str8), s8_(s) {}
  FormatArg(const char* s) : kind_(Kind::Str8), s8_(s ? std::string_view(s) : std::string_view("(null)")) {}
  FormatArg(const void* p) : kind_(Kind::Pointer), u_(reinterpret_cast<uintptr_t>(p)) {}

  Kind kind() const { return kind_; }
  int64_t as_int() const { return kind_ == Kind::Int ? i_ : static_cast<int64_t>(u_); }
  uint64_t as_uint() const { return kind_ == Kind::Int ? static_cast<uint64_t>(i_) : u_; }
  double as_double() const { return d_; }
  std::u16string_view str16() const { return s16_; }
  std::string_view str8() const { return s8_; }

 private:
  Kind kind_;
  union {
    int64_t i_;
    uint64_t u_;
    double d_;
  };
  std::u16string_view s16_;
  std::string_view s8_;
};

std::u16string format(std::u16string_view fmt, std::initializer_list<FormatArg> args);
// The same formats with UTF-8 output, for log files and client-library text.
std::string format_utf8(std::string_view fmt, std::initializer_list<FormatArg> args);

}  // namespace kestrel
