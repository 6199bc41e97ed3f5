// Command-line parsing and the catalogue commands of the `ocilite` tool.
//
// Tested by tests/ocilite/tool/tool_test.cpp.
#include "tool/commands.h"

#include <cstdlib>
#include <filesystem>
#include <string_view>
#include <system_error>

#include "catalog/catalog.h"

namespace ocilite::tool {
namespace {

constexpr const char* kUsage =
    "usage:\n"
    "  ocilite create DIR\n"
    "  ocilite user add DIR NAME PASSWORD [--external] [--sysdba] [--sysoper] [--expires=DAYS]\n"
    "                                     [--ignore-case]\n"
    "  ocilite user drop DIR NAME\n"
    "  ocilite schema add DIR NAME [SQLITE_FILE]  (a schema without login, optionally a copy of an SQLite file)\n"
    "  ocilite user list DIR\n"
    "  ocilite sql DIR USER/PASSWORD [FILE...]   (the script is read from standard input without FILE)\n"
    "  ocilite demo DIR\n";

int usage(std::FILE* err, const std::string& problem = {}) {
  if (!problem.empty()) std::fprintf(err, "ocilite: %s\n", problem.c_str());
  std::fputs(kUsage, err);
  return kExitUsage;
}

int report(const OraError& e, std::FILE* err) {
  if (!e) return kExitOk;
  std::fprintf(err, "%s\n", e.text.c_str());
  return kExitError;
}

int open_catalog(const std::string& dir, std::shared_ptr<Catalog>& cat, std::FILE* err) {
  if (auto e = Catalog::open(dir, cat)) {
    std::fprintf(err, "%s\n%s: no ocilite database here\n", e.text.c_str(), dir.c_str());
    return kExitError;
  }
  return kExitOk;
}

int user_add(const std::vector<std::string>& a, std::FILE* out, std::FILE* err) {
  // ocilite user add DIR NAME PASSWORD [options]
  if (a.size() < 6) return usage(err, "user add needs DIR NAME PASSWORD");
  UserOptions o;
  o.password = a[5];
  for (size_t i = 6; i < a.size(); ++i) {
    if (a[i] == "--external")
      o.external = true;
    else if (a[i] == "--sysdba")
      o.sysdba = true;
    else if (a[i] == "--sysoper")
      o.sysoper = true;
    else if (a[i] == "--ignore-case")
      o.case_insensitive_password = true;
    else if ((a[i] == "--expires-in" && i + 1 < a.size()) || a[i].rfind("--expires=", 0) == 0) {
      const std::string n = a[i] == "--expires-in" ? a[++i] : a[i].substr(10);
      char* end = nullptr;
      const long days = std::strtol(n.c_str(), &end, 10);
      if (n.empty() || !end || *end || days < -36500 || days > 36500) return usage(err, "bad number of days: " + n);
      o.password_expires_in_days = static_cast<int>(days);
    } else {
      return usage(err, "unknown option " + a[i]);
    }
  }
  std::shared_ptr<Catalog> cat;
  if (int rc = open_catalog(a[3], cat, err)) return rc;
  if (int rc = report(cat->add_user(a[4], o), err)) return rc;
  std::fprintf(out, "User %s created.\n", normalize_name(a[4]).c_str());
  return kExitOk;
}

// ocilite schema add DIR NAME [SQLITE_FILE]: a schema-only account; its
// tables are whatever the given SQLite file holds (copied, never moved).
int schema_add(const std::vector<std::string>& a, std::FILE* out, std::FILE* err) {
  if (a.size() != 5 && a.size() != 6) return usage(err, "schema add needs DIR NAME [SQLITE_FILE]");
  std::shared_ptr<Catalog> cat;
  if (int rc = open_catalog(a[3], cat, err)) return rc;
  const std::string name = normalize_name(a[4]);
  if (!valid_schema_name(name)) return report(ora_error(1935), err);
  if (cat->find_user(name)) return report(ora_error(1920, {name}), err);
  const std::filesystem::path target = cat->folder() / (name + ".db");
  std::error_code ec;
  if (a.size() == 6) {
    if (std::filesystem::exists(target, ec)) {
      std::fprintf(err, "ocilite: %s already exists\n", target.c_str());
      return kExitError;
    }
    if (!std::filesystem::copy_file(a[5], target, ec)) {
      std::fprintf(err, "ocilite: cannot copy %s: %s\n", a[5].c_str(), ec.message().c_str());
      return kExitError;
    }
  }
  if (auto e = cat->add_user(name, UserOptions{})) {
    if (a.size() == 6) std::filesystem::remove(target, ec);
    return report(e, err);
  }
  std::fprintf(out, "Schema %s created.\n", name.c_str());
  return kExitOk;
}

}  // namespace

int run_tool(const std::vector<std::string>& a, std::FILE* in, std::FILE* out, std::FILE* err) {
  if (a.size() < 2 || a[1] == "--help" || a[1] == "-h" || a[1] == "help") {
    if (a.size() >= 2) {
      std::fputs(kUsage, out);
      return kExitOk;
    }
    return usage(err);
  }
  const std::string& cmd = a[1];
  if (cmd == "create") {
    if (a.size() != 3) return usage(err, "create needs DIR");
    if (int rc = report(Catalog::create(a[2]), err)) return rc;
    std::fprintf(out, "Database %s created.\n", a[2].c_str());
    return kExitOk;
  }
  if (cmd == "user") {
    if (a.size() < 4) return usage(err, "user needs a subcommand and DIR");
    if (a[2] == "add") return user_add(a, out, err);
    std::shared_ptr<Catalog> cat;
    if (a[2] == "drop") {
      if (a.size() != 5) return usage(err, "user drop needs DIR NAME");
      if (int rc = open_catalog(a[3], cat, err)) return rc;
      if (int rc = report(cat->drop_user(a[4]), err)) return rc;
      std::fprintf(out, "User %s dropped.\n", normalize_name(a[4]).c_str());
      return kExitOk;
    }
    if (a[2] == "list") {
      if (a.size() != 4) return usage(err, "user list needs DIR");
      if (int rc = open_catalog(a[3], cat, err)) return rc;
      for (const auto& u : cat->users()) {
        std::string flags;
        if (!u.has_password) flags += " no-password";
        if (u.external) flags += " external";
        if (u.sysdba) flags += " sysdba";
        if (u.sysoper) flags += " sysoper";
        std::fprintf(out, "%s%s\n", u.name.c_str(), flags.c_str());
      }
      return kExitOk;
    }
    return usage(err, "unknown user subcommand " + a[2]);
  }
  if (cmd == "schema") {
    if (a.size() >= 3 && a[2] == "add") return schema_add(a, out, err);
    return usage(err, "schema needs the subcommand add");
  }
  if (cmd == "sql") {
    if (a.size() < 4) return usage(err, "sql needs DIR USER/PASSWORD");
    if (a.size() == 4) return run_sql_script(a[2], a[3], in, out, err);
    int status = kExitOk;
    for (size_t i = 4; i < a.size() && status == kExitOk; ++i) {
      std::FILE* f = std::fopen(a[i].c_str(), "rb");
      if (!f) {
        std::fprintf(err, "ocilite: cannot read %s\n", a[i].c_str());
        return kExitError;
      }
      status = run_sql_script(a[2], a[3], f, out, err);
      std::fclose(f);
    }
    return status;
  }
  if (cmd == "demo") {
    if (a.size() != 3) return usage(err, "demo needs DIR");
    return build_demo(a[2], out, err);
  }
  return usage(err, "unknown command " + cmd);
}

}  // namespace ocilite::tool
