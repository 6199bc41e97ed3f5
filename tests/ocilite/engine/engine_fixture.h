// A fresh ocilite database in a temporary folder with users SCOTT/TIGER and
// HR/HR, and helpers that run Oracle SQL through a session and return rows
// as text the way a client that defines every column as text sees them.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "session.h"
#include "statement.h"
#include "support/temp_dir.h"

namespace ocilite::testing {

using Rows = std::vector<std::vector<std::string>>;

class EngineDb {
 public:
  EngineDb();
  const std::filesystem::path& folder() const { return dir_.path(); }
  std::shared_ptr<Catalog> catalog() const { return catalog_; }
  // A new session; fails the test when the login fails.
  std::unique_ptr<Session> login(const std::string& user = "SCOTT", const std::string& password = "TIGER");

 private:
  kestrel::testing::TempDir dir_;
  std::shared_ptr<Catalog> catalog_;
};

struct Result {
  OraError error;
  int error_offset = -1;
  OraError info;
  uint64_t rows_affected = 0;
  std::vector<std::string> columns;
  Rows rows;  // NULL shows as "<null>"
};

// Runs `sql` with text binds (in order of the distinct bind names).
Result run(Session& s, const std::string& sql, const std::vector<std::string>& binds = {});
// Runs and expects success; returns the rows.
Rows query(Session& s, const std::string& sql, const std::vector<std::string>& binds = {});
void exec(Session& s, const std::string& sql, const std::vector<std::string>& binds = {});

}  // namespace ocilite::testing
