// Reading text files whose encoding is not declared (keywords, login filter,
// query files, macro files, start-up SQL, settings): a byte-order mark or
// valid UTF-8 means UTF-8, otherwise the bytes are CP932, the encoding such
// files have when written on Japanese Windows. UTF-16 with a byte-order mark
// is recognised too. Line ends may be CR LF, LF or CR.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace kestrel {

enum class TextEncoding { Utf8, Utf8Bom, Cp932, Utf16LeBom, Utf16BeBom };

struct DecodedText {
  std::u16string text;
  TextEncoding encoding = TextEncoding::Utf8;
};

// The encoding of `bytes` by the rule above (an empty text is UTF-8).
TextEncoding detect_encoding(std::string_view bytes);
// Decodes by the detected encoding; the byte-order mark is not part of `text`.
DecodedText decode_text(std::string_view bytes);
// Decodes bytes known to be in `encoding` (a byte-order mark, if present, is kept as U+FEFF).
std::u16string decode_as(std::string_view bytes, TextEncoding encoding);
// Encodes, adding the byte-order mark the encoding calls for. `lossy` is set
// when a character has no CP932 mapping (written as '?').
std::string encode_text(std::u16string_view text, TextEncoding encoding, bool* lossy = nullptr);
// Length of the byte-order mark that `encoding` puts in front (0, 2 or 3).
std::size_t bom_length(TextEncoding encoding);

// Reads and decodes a whole file; false with `error` set when it is missing,
// a folder or unreadable.
bool read_text_file(const std::filesystem::path& file, DecodedText& out, std::u16string* error = nullptr);

// Splits at CR LF, LF or CR. A final line end does not start another line, so
// "a\nb\n" and "a\nb" both give {"a", "b"}; "" gives no lines.
std::vector<std::u16string_view> split_lines(std::u16string_view text);
// The same text with every CR LF, LF or CR replaced by `eol`.
std::u16string normalize_line_ends(std::u16string_view text, std::u16string_view eol);

}  // namespace kestrel
