#include "app/command_line.h"

#include <cstring>
#include <string>

#include "app/app_settings.h"
#include "platform/utf16.h"

namespace kestrel {
namespace {

constexpr std::u16string_view kPreload = u"PRELOAD";
constexpr std::u16string_view kLogon = u"LOGON=";
constexpr std::u16string_view kOci7Suffix = u":OCI7";
constexpr std::u16string_view kFontOption = u"-FONT=";

bool is_blank(char16_t c) { return c == u' ' || c == u'\t'; }

}  // namespace

void split_logon_value(std::u16string_view value, CommandLine& out) {
  // ":OCI7" counts only when its first occurrence ends the value.
  std::size_t suffix = value.find(kOci7Suffix);
  if (suffix != std::u16string_view::npos && suffix + kOci7Suffix.size() == value.size()) {
    value.remove_suffix(kOci7Suffix.size());
    out.oci7 = true;
  }
  std::size_t sep = value.find_first_of(u"/@");
  out.user = std::u16string(value.substr(0, sep));
  if (sep == std::u16string_view::npos) return;
  std::u16string_view rest = value.substr(sep);
  if (rest[0] == u'/') {
    std::size_t at = rest.find(u'@', 1);
    out.password = std::u16string(rest.substr(1, at == std::u16string_view::npos ? at : at - 1));
    if (at == std::u16string_view::npos) return;
    rest = rest.substr(at);
  }
  out.tns = std::u16string(rest.substr(1));
}

void hide_logon_password(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    char* arg = argv[i];
    if (!arg) continue;
    char* logon = std::strstr(arg, "LOGON=");
    if (!logon) continue;
    char* value = logon + 6;
    std::size_t len = std::strcspn(value, " \t");
    std::string_view v(value, len);
    if (std::size_t s = v.find(":OCI7"); s != std::string_view::npos && s + 5 == v.size()) v.remove_suffix(5);
    std::size_t sep = v.find_first_of("/@");
    if (sep == std::string_view::npos || v[sep] != '/') continue;
    std::size_t end = v.find('@', sep + 1);
    if (end == std::string_view::npos) end = v.size();
    for (std::size_t k = sep + 1; k < end; ++k) value[k] = '*';
  }
}

CommandLine parse_command_line(const std::vector<std::u16string>& args, const FontFamilyCheck& font_exists) {
  CommandLine cl;
  std::u16string raw;
  for (const auto& a : args) {
    if (!raw.empty()) raw += u' ';
    raw += a;
  }

  cl.preload = raw.find(kPreload) != std::u16string::npos;

  if (std::size_t pos = raw.find(kLogon); pos != std::u16string::npos) {
    cl.logon = true;
    std::size_t start = pos + kLogon.size();
    std::size_t end = start;
    while (end < raw.size() && !is_blank(raw[end])) ++end;
    split_logon_value(std::u16string_view(raw).substr(start, end - start), cl);
  }

  for (const auto& a : args) {
    if (!std::u16string_view(a).starts_with(kFontOption)) continue;
    std::u16string face = a.substr(kFontOption.size());
    face.resize(safe_cut(face, kMaxFaceNameLength));
    if (!face.empty() && font_exists && font_exists(face)) cl.font_face = face;
    break;  // only the first -FONT= counts
  }

  for (const auto& a : args) {
    if (a.empty() || a[0] == u'-') continue;
    // The framework would have taken a LOGON= argument for the file name; it
    // is not one, so a new document is made instead.
    if (cl.logon && a.find(kLogon) != std::u16string::npos)
      cl.logon_taken_as_file = true;
    else
      cl.file = a;
    break;
  }
  return cl;
}

}  // namespace kestrel
