// `ocilite sql` and `ocilite demo`: scripts through the OCI console.
//
// Tested by tests/ocilite/tool/tool_test.cpp.
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string_view>
#include <system_error>

#include "catalog/catalog.h"
#include "tool/commands.h"
#include "tool/demo_files.h"
#include "tool/oci_console.h"
#include "tool/script_reader.h"

namespace ocilite::tool {
namespace {

namespace fs = std::filesystem;

std::string upper(std::string_view s) {
  std::string out(s);
  for (auto& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return out;
}

// The console commands a script may hold. Returns false to stop the script.
bool console_command(const ScriptItem& item, OciConsole& console, bool& stop_on_error, std::FILE* out) {
  const std::string u = upper(item.text);
  if (u.rfind("PROMPT", 0) == 0) {
    std::string_view text(item.text);
    text.remove_prefix(std::min<size_t>(text.size(), 7));
    std::fprintf(out, "%.*s\n", static_cast<int>(text.size()), text.data());
  } else if (u.rfind("WHENEVER SQLERROR", 0) == 0) {
    stop_on_error = u.find("EXIT") != std::string::npos;
  } else if (u.rfind("SET FEEDBACK", 0) == 0) {
    console.set_feedback(u.find("OFF") == std::string::npos);
  } else if (u.rfind("EXIT", 0) == 0 || u.rfind("QUIT", 0) == 0) {
    return false;
  }
  return true;  // other console commands (SET ..., REM) change nothing here
}

// Runs a whole script; returns the exit status.
int run_script(OciConsole& console, std::FILE* in, std::FILE* out) {
  ScriptReader reader;
  bool stop_on_error = false, failed = false, stopped = false;
  auto run_items = [&] {
    for (const auto& item : reader.take()) {
      if (stopped) return;
      if (item.kind == ScriptItem::command) {
        stopped = !console_command(item, console, stop_on_error, out);
      } else if (!console.run(item.text, item.line)) {
        failed = true;
        stopped = stop_on_error;
      }
    }
  };
  std::string line;
  for (int c; !stopped && (c = std::fgetc(in)) != EOF;) {
    if (c != '\n') {
      line += static_cast<char>(c);
      continue;
    }
    reader.add_line(line);
    line.clear();
    run_items();
  }
  if (!stopped) {
    if (!line.empty()) reader.add_line(line);
    reader.finish();
    run_items();
  }
  std::fflush(out);
  return failed ? kExitError : kExitOk;
}

// Scripts are UTF-8; the console talks UTF-8 unless the user chose otherwise.
void default_to_utf8() {
  if (!std::getenv("NLS_LANG")) setenv("NLS_LANG", "AMERICAN_AMERICA.AL32UTF8", 1);
}

struct DemoUser {
  const char* name;
  const char* password;
};
constexpr DemoUser kDemoUsers[] = {{"SCOTT", "TIGER"}, {"HR", "HR"}};

// "20_hr_tables.sql" -> "HR": the user a demo script runs as.
std::string script_user(std::string_view file) {
  auto us = file.find('_');
  if (us == std::string_view::npos) return {};
  file.remove_prefix(us + 1);
  return upper(file.substr(0, file.find_first_of("_.")));
}

}  // namespace

int run_sql_script(const std::string& dir, const std::string& credentials, std::FILE* in, std::FILE* out,
                   std::FILE* err) {
  const auto slash = credentials.find('/');
  if (slash == std::string::npos) {
    std::fprintf(err, "ocilite: credentials must be USER/PASSWORD (\"/\" for an external login)\n");
    return kExitUsage;
  }
  default_to_utf8();
  OciConsole console(out, err);
  if (!console.login(dir, credentials.substr(0, slash), credentials.substr(slash + 1))) return kExitError;
  return run_script(console, in, out);
}

int build_demo(const std::string& dir_text, std::FILE* out, std::FILE* err) {
  std::error_code ec;
  const fs::path dir = fs::absolute(dir_text, ec);
  if (fs::exists(dir, ec) && !fs::is_empty(dir, ec) && !fs::exists(dir / kCatalogFile, ec)) {
    std::fprintf(err, "ocilite: %s exists and is no ocilite database; not replacing it\n", dir.c_str());
    return kExitError;
  }
  // Built beside the target and moved into place only when complete, so a
  // failed build never leaves a half-made demo database behind.
  const fs::path work = dir.string() + ".building";
  fs::remove_all(work, ec);
  auto fail = [&](const std::string& why) {
    std::fprintf(err, "ocilite: demo database not built: %s\n", why.c_str());
    fs::remove_all(work, ec);
    return kExitError;
  };
  if (auto e = Catalog::create(work)) return fail(e.text);
  std::shared_ptr<Catalog> cat;
  if (auto e = Catalog::open(work, cat)) return fail(e.text);
  for (const auto& u : kDemoUsers) {
    UserOptions o;
    o.password = u.password;
    o.case_insensitive_password = true;  // scott/tiger and SCOTT/TIGER both work
    if (auto e = cat->add_user(u.name, o)) return fail(e.text);
  }
  // Shipped files for BFILE columns, under the directory object DEMO_FILES.
  for (const auto& f : demo_files()) {
    if (f.name.size() < 6 || f.name.compare(0, 6, "files/") != 0) continue;
    fs::create_directories(work / "files", ec);
    std::ofstream o(work / f.name, std::ios::binary);
    o.write(f.data.data(), static_cast<std::streamsize>(f.data.size()));
    if (!o) return fail("cannot write " + (work / f.name).string());
  }
  if (auto e = cat->create_directory("DEMO_FILES", "files", true)) return fail(e.text);
  cat.reset();

  default_to_utf8();
  for (const auto& f : demo_files()) {
    if (f.name.size() < 4 || f.name.compare(f.name.size() - 4, 4, ".sql") != 0) continue;
    const std::string user = script_user(f.name);
    const DemoUser* du = nullptr;
    for (const auto& u : kDemoUsers)
      if (user == u.name) du = &u;
    if (!du) return fail("no demo user for " + f.name);
    std::fprintf(out, "-- %s as %s\n", f.name.c_str(), du->name);
    OciConsole console(out, err);
    console.set_feedback(false);
    if (!console.login(work.string(), du->name, du->password)) return fail("login as " + user + " failed");
    std::FILE* in = fmemopen(const_cast<char*>(f.data.data()), f.data.size(), "rb");
    if (!in) return fail("cannot read " + f.name);
    const int rc = run_script(console, in, out);
    std::fclose(in);
    if (rc != kExitOk) return fail(f.name + " failed");
  }
  fs::remove_all(dir, ec);
  fs::rename(work, dir, ec);
  if (ec) return fail("cannot move the demo database into " + dir.string() + ": " + ec.message());
  std::fprintf(out, "Demo database %s created.\n", dir.c_str());
  return kExitOk;
}

}  // namespace ocilite::tool
