// A plain SQL console over the OCI C ABI: logs in, runs statements and
// prints query results as a fixed-width table, DML counts and DDL
// confirmations as an Oracle console does. It uses only the ABI, as any
// third-party client of the stand-in library would.
#pragma once

#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

namespace ocilite::tool {

class OciConsole {
 public:
  OciConsole(std::FILE* out, std::FILE* err);
  ~OciConsole();
  OciConsole(const OciConsole&) = delete;
  OciConsole& operator=(const OciConsole&) = delete;

  // Logs in to the database `connect` (a folder path) as user/password.
  bool login(std::string_view connect, std::string_view user, std::string_view password);
  // Runs one SQL statement or PL/SQL block; prints its result or error.
  // `line` is where it starts in its script, for the error message.
  bool run(std::string_view statement, int line);
  // The last error text (empty when the last call succeeded).
  const std::string& last_error() const { return last_error_; }
  void set_feedback(bool on) { feedback_ = on; }

 private:
  struct Handles;
  bool check(int status, const char* what);
  bool run_query(void* stmt);
  std::FILE* out_;
  std::FILE* err_;
  std::unique_ptr<Handles> h_;
  std::string last_error_;
  bool feedback_ = true;
};

// Display width of UTF-8 text in a terminal (East Asian wide characters count 2).
size_t display_width(std::string_view utf8);

}  // namespace ocilite::tool
