#include "app/file_type_registration.h"

#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <system_error>

#include "platform/environment.h"
#include "platform/file_io.h"
#include "platform/utf16.h"

extern char** environ;

namespace kestrel {

namespace {

constexpr char kMimeXml[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
    "  <mime-type type=\"application/x-kestrel-query\">\n"
    "    <comment>Kestrel Document</comment>\n"
    "    <comment xml:lang=\"ja\">Kestrel クエリ定義ファイル</comment>\n"
    "    <sub-class-of type=\"text/plain\"/>\n"
    "    <glob pattern=\"*.kst\"/>\n"
    "  </mime-type>\n"
    "</mime-info>\n";

// A desktop entry's Exec value: the path quoted, with the characters that
// are special inside quotes escaped.
std::string exec_quoted(const std::string& path) {
  std::string out = "\"";
  for (char c : path) {
    if (c == '"' || c == '`' || c == '$' || c == '\\') out += "\\\\";
    out += c;
  }
  return out + "\"";
}

// Runs an optional refresh tool; a missing tool is no failure.
void run_tool(const char* tool, const std::string& arg) {
  std::string a0 = tool, a1 = arg;
  char* argv[] = {a0.data(), a1.data(), nullptr};
  posix_spawn_file_actions_t fa;
  posix_spawn_file_actions_init(&fa);
  posix_spawn_file_actions_addopen(&fa, 1, "/dev/null", 1, 0);
  posix_spawn_file_actions_addopen(&fa, 2, "/dev/null", 1, 0);
  pid_t pid = 0;
  if (posix_spawnp(&pid, tool, &fa, nullptr, argv, environ) == 0) {
    int status = 0;
    waitpid(pid, &status, 0);
  }
  posix_spawn_file_actions_destroy(&fa);
}

bool remove_file(const std::filesystem::path& f, std::u16string* error) {
  std::error_code ec;
  std::filesystem::remove(f, ec);
  if (ec && error) *error = path_text(f) + u": " + utf8_to_utf16(ec.message());
  return !ec;
}

}  // namespace

std::filesystem::path user_data_home() {
  if (const char* x = ::getenv("XDG_DATA_HOME"); x && x[0] == '/') return x;
  if (const char* h = ::getenv("HOME"); h && *h) return std::filesystem::path(h) / ".local" / "share";
  return user_config_home().parent_path() / ".local" / "share";
}

FileTypeFiles file_type_files() {
  const std::filesystem::path data = user_data_home();
  return {data / "mime" / "packages" / "kestrel-mime.xml", data / "applications" / "kestrel.desktop"};
}

bool file_type_registered() {
  const FileTypeFiles f = file_type_files();
  if (!is_existing_file(f.mime_xml)) return false;
  std::string desktop;
  if (read_file_bytes(f.desktop, desktop) != ReadStatus::Ok) return false;
  return desktop.find(std::string("MimeType=") + kKstMimeType) != std::string::npos;
}

bool register_file_type(const std::filesystem::path& program, std::u16string* error) {
  const FileTypeFiles f = file_type_files();
  const std::string desktop =
      "[Desktop Entry]\n"
      "Type=Application\n"
      "Name=Kestrel\n"
      "GenericName=Oracle Table Editor\n"
      "GenericName[ja]=Oracleテーブルエディタ\n"
      "Exec=" + exec_quoted(program.string()) + " %f\n"
      "Icon=kestrel\n"
      "Terminal=false\n"
      "Categories=Development;Database;\n"
      "MimeType=" + std::string(kKstMimeType) + ";\n";
  for (const std::filesystem::path& folder : {f.mime_xml.parent_path(), f.desktop.parent_path()})
    if (!create_folders(folder, 0700, error)) return false;
  if (!write_file_atomic(f.mime_xml, kMimeXml, 0644, error)) return false;
  if (!write_file_atomic(f.desktop, desktop, 0644, error)) return false;
  run_tool("update-mime-database", (user_data_home() / "mime").string());
  run_tool("update-desktop-database", f.desktop.parent_path().string());
  return true;
}

bool unregister_file_type(std::u16string* error) {
  const FileTypeFiles f = file_type_files();
  bool ok = remove_file(f.mime_xml, error);
  ok = remove_file(f.desktop, error) && ok;
  run_tool("update-mime-database", (user_data_home() / "mime").string());
  return ok;
}

}  // namespace kestrel
