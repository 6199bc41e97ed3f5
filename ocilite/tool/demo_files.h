// The demo database's sources, built into the tool: SQL scripts named
// "NN_user_topic.sql" (run in name order as that user) and the small files
// under "files/" that BFILE columns point at.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace ocilite::tool {

struct DemoFile {
  std::string name;       // relative to ocilite/demo, e.g. "10_scott_tables.sql", "files/readme.txt"
  std::string_view data;  // the file's bytes
};

// In name order.
const std::vector<DemoFile>& demo_files();

}  // namespace ocilite::tool
