// The `ocilite` tool's commands. Each returns the process exit status:
// 0 done, 1 a database error (ORA text on stderr), 2 bad usage.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace ocilite::tool {

inline constexpr int kExitOk = 0;
inline constexpr int kExitError = 1;
inline constexpr int kExitUsage = 2;

int run_tool(const std::vector<std::string>& args, std::FILE* in, std::FILE* out, std::FILE* err);

// `ocilite sql`: runs the script read from `in` through the OCI console.
int run_sql_script(const std::string& dir, const std::string& credentials, std::FILE* in, std::FILE* out,
                   std::FILE* err);

// `ocilite demo DIR`: builds the demo database into DIR (replacing a demo
// database already there) from the SQL scripts built into the tool.
int build_demo(const std::string& dir, std::FILE* out, std::FILE* err);

}  // namespace ocilite::tool
