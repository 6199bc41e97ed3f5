// The client character set: decided from NLS_LANG (or the ids given to
// OCIEnvNlsCreate) and used for every text that crosses the OCI ABI. The
// database itself always stores UTF-8.
#pragma once

#include <string>
#include <string_view>

namespace ocilite {

enum class ClientCharset { al32utf8, utf8, ja16sjistilde, ja16sjis };

struct CharsetInfo {
  ClientCharset charset = ClientCharset::ja16sjistilde;
  const char* oracle_name = "JA16SJISTILDE";
  unsigned short id = 838;
  int max_bytes = 2;
  bool is_utf8() const { return charset == ClientCharset::al32utf8 || charset == ClientCharset::utf8; }
};

// From the value of NLS_LANG ("AMERICAN_AMERICA.AL32UTF8"); unset, empty or
// an unknown character set gives JA16SJISTILDE (code page 932).
CharsetInfo charset_from_nls_lang(const char* nls_lang);
// From an OCIEnvNlsCreate id (873, 871, 838, 832); 0 or unknown: nullptr.
bool charset_from_id(unsigned id, CharsetInfo& out);

// Conversions. Invalid input never fails: unconvertible characters become
// '?' (to the client) or U+FFFD (to the database).
std::string client_to_utf8(const CharsetInfo& cs, std::string_view text);
std::string utf8_to_client(const CharsetInfo& cs, std::string_view text);
// `text` itself when no conversion is needed, else the converted text in `scratch`.
const std::string& utf8_to_client(const CharsetInfo& cs, const std::string& text, std::string& scratch);

// Number of client bytes for the first `utf8_bytes` bytes of a UTF-8 text
// (parse error offsets are reported in client bytes).
size_t client_offset(const CharsetInfo& cs, std::string_view utf8, size_t utf8_bytes);

}  // namespace ocilite
