// The kestrel-scheme command: files in order, output to stdout, errors to
// stderr, exit status 1 after an error, the library loaded unless
// --no-init, a REPL on standard input.
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "support/temp_dir.h"
#include "scheme_fixture.h"

namespace kestrel::scheme::testing {
namespace {

struct Result {
  int status;
  std::string out;
  std::string err;
};

std::string command_path() {
  std::filesystem::path p = KESTREL_SCHEME_COMMAND;
  return std::filesystem::exists(p) ? p.string() : std::string();
}

std::string slurp(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

Result run(const kestrel::testing::TempDir& dir, const std::string& args, const std::string& input = "") {
  std::filesystem::path in = dir.write("stdin.txt", input);
  std::filesystem::path out = dir.path() / "stdout.txt";
  std::filesystem::path err = dir.path() / "stderr.txt";
  std::string cmd = "'" + command_path() + "' " + args + " <'" + in.string() + "' >'" + out.string() + "' 2>'" +
                    err.string() + "'";
  int rc = std::system(cmd.c_str());
  return Result{WIFEXITED(rc) ? WEXITSTATUS(rc) : -1, slurp(out), slurp(err)};
}

class SchemeCommand : public ::testing::Test {
 protected:
  void SetUp() override {
    if (command_path().empty()) GTEST_SKIP() << "kestrel-scheme is not built beside the tests";
  }
  kestrel::testing::TempDir dir;
};

TEST_F(SchemeCommand, RunsFilesInOrderWithTheLibrary) {
  auto a = dir.write("a.scm", "(define x 20)\n(display (map (lambda (v) (* v 2)) '(1 2)))\n");
  auto b = dir.write("b.scm", "(display (+ x 1))\n(newline)\n");
  Result r = run(dir, "'" + a.string() + "' '" + b.string() + "'");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "(2 4)21\n");
  EXPECT_EQ(r.err, "");
}

TEST_F(SchemeCommand, AnErrorStopsItsFileAndTheCommandFails) {
  auto a = dir.write("a.scm", "(display \"before\")\n(car 5)\n(display \"after\")\n");
  auto b = dir.write("b.scm", "(display \"never\")\n");
  Result r = run(dir, "'" + a.string() + "' '" + b.string() + "'");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "before");
  EXPECT_EQ(r.err, "Error: car: pair required: 5\n");
}

TEST_F(SchemeCommand, NoInitSkipsTheLibraryAndExitSetsTheStatus) {
  auto a = dir.write("a.scm", "(display (symbol-bound? 'map))\n(exit 7)\n(display \"no\")\n");
  Result r = run(dir, "--no-init '" + a.string() + "'");
  EXPECT_EQ(r.status, 7);
  EXPECT_EQ(r.out, "#f");
  Result with_lib = run(dir, "'" + a.string() + "'");
  EXPECT_EQ(with_lib.out, "#t");
}

TEST_F(SchemeCommand, MissingFileIsReported) {
  Result r = run(dir, "'" + (dir.path() / "missing.scm").string() + "'");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "fatal error: file cannot open " + (dir.path() / "missing.scm").string() + "\n");
}

TEST_F(SchemeCommand, ReplReadsStandardInput) {
  Result r = run(dir, "", "(+ 1 2)\n(car '())\n\"日本\"\n(define y 5)\ny\n");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "3\n\"日本\"\ny\n5\n\n");
  EXPECT_EQ(r.err, "Error: car: pair required: ()\n");
}

}  // namespace
}  // namespace kestrel::scheme::testing
