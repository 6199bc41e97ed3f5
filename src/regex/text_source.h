// The text-source interface: how the matcher reads text that is not one
// contiguous string (the editor buffer keeps each line in its own array).
#pragma once

#include <cstdint>
#include <string_view>

namespace kestrel {

// A position in a text source. The engine treats it as an opaque, ordered
// value and only moves through next()/prev(): the flat string uses the
// UTF-16 index; the editor buffer packs (line << 32) | column, see
// make_text_pos(). Every position the source hands out lies on a character
// boundary (never between the halves of a surrogate pair).
using TextPos = std::int64_t;
inline constexpr TextPos kNoTextPos = -1;

inline constexpr TextPos make_text_pos(std::int32_t line, std::int32_t column) {
  return (static_cast<TextPos>(line) << 32) | static_cast<std::uint32_t>(column);
}
inline constexpr std::int32_t text_pos_line(TextPos p) { return static_cast<std::int32_t>(p >> 32); }
inline constexpr std::int32_t text_pos_column(TextPos p) { return static_cast<std::int32_t>(p & 0xFFFFFFFF); }

// char_at() at the end of the text.
inline constexpr char32_t kEndOfText = 0xFFFFFFFF;

class RegexTextSource {
 public:
  virtual ~RegexTextSource() = default;
  // The character at `p`: a surrogate pair is one code point; a line break
  // reads as U+000A (a CR LF pair reads as CR, then LF); kEndOfText at the end.
  virtual char32_t char_at(TextPos p) const = 0;
  // The position after / before the character at `p`. Only called when
  // !at_text_end(p) / !at_text_start(p).
  virtual TextPos next(TextPos p) const = 0;
  virtual TextPos prev(TextPos p) const = 0;
  virtual bool at_text_start(TextPos p) const = 0;
  virtual bool at_text_end(TextPos p) const = 0;
  // `^` and `$`: the start of a line (start of text or right after a line
  // break) and the end of a line (end of text or right before a line break).
  virtual bool at_line_start(TextPos p) const = 0;
  virtual bool at_line_end(TextPos p) const = 0;
};

// The flat string as a text source: positions are UTF-16 indexes; a line
// starts after LF; a line ends before LF or before a CR LF pair (never
// between its CR and LF). Lone CR is an ordinary character.
class StringTextSource final : public RegexTextSource {
 public:
  explicit StringTextSource(std::u16string_view text) : text_(text) {}
  char32_t char_at(TextPos p) const override;
  TextPos next(TextPos p) const override;
  TextPos prev(TextPos p) const override;
  bool at_text_start(TextPos p) const override { return p <= 0; }
  bool at_text_end(TextPos p) const override { return p >= static_cast<TextPos>(text_.size()); }
  bool at_line_start(TextPos p) const override;
  bool at_line_end(TextPos p) const override;
  std::u16string_view text() const { return text_; }

 private:
  std::u16string_view text_;
};

}  // namespace kestrel
