// Private pieces of the dictionary: the view definitions.
#pragma once

#include <string>
#include <vector>

namespace ocilite::detail {

struct ViewDef {
  const char* name;             // the ALL_* name (or the one name of a view without USER_/DBA_ forms)
  const char* sql;              // SELECT text with {CAT}, {RDBMS_VERSION}, {CHARSET}, {NCHARSET} placeholders
  bool has_user_and_dba_forms;  // also made as USER_* (own objects, no owner column) and DBA_*
};

const std::vector<ViewDef>& dictionary_views();

}  // namespace ocilite::detail
