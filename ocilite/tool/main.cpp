// ocilite: creates ocilite databases, adds users, runs Oracle SQL scripts
// through the stand-in client library and builds the demo database.
#include <cstdio>
#include <string>
#include <vector>

#include "tool/commands.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv, argv + argc);
  return ocilite::tool::run_tool(args, stdin, stdout, stderr);
}
