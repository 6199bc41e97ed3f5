#include "engine_error.h"

#include <array>
#include <cstdio>

namespace ocilite {
namespace {

struct Message {
  int code;
  const char* text;
};

constexpr std::array kMessages{
    Message{1, "unique constraint (%s) violated"},
    Message{54, "resource busy and acquire with NOWAIT specified or timeout expired"},
    Message{60, "deadlock detected while waiting for resource"},
    Message{900, "invalid SQL statement"},
    Message{904, "%s: invalid identifier"},
    Message{907, "missing right parenthesis"},
    Message{922, "missing or invalid option"},
    Message{932, "inconsistent datatypes: expected %s got %s"},
    Message{933, "SQL command not properly ended"},
    Message{936, "missing expression"},
    Message{942, "table or view does not exist"},
    Message{955, "name is already used by an existing object"},
    Message{1002, "fetch out of sequence"},
    Message{1008, "not all variables bound"},
    Message{1013, "user requested cancel of current operation"},
    Message{1017, "invalid username/password; logon denied"},
    Message{1031, "insufficient privileges"},
    Message{1086, "savepoint '%s' never established in this session or is invalid"},
    Message{1400, "cannot insert NULL into (%s)"},
    Message{1403, "no data found"},
    Message{1405, "fetched column value is NULL"},
    Message{1406, "fetched column value was truncated"},
    Message{1407, "cannot update (%s) to NULL"},
    Message{1410, "invalid ROWID"},
    Message{1426, "numeric overflow"},
    Message{1427, "single-row subquery returns more than one row"},
    Message{1438, "value larger than specified precision allowed for this column"},
    Message{1465, "invalid hex number"},
    Message{1476, "divisor is equal to zero"},
    Message{1722, "invalid number"},
    Message{1742, "comment not properly terminated"},
    Message{1821, "date format not recognized"},
    Message{1830, "date format picture ends before converting entire input string"},
    Message{1839, "date not valid for month specified"},
    Message{1840, "input value not long enough for date format"},
    Message{1841, "(full) year must be between -4713 and +9999, and not be 0"},
    Message{1843, "not a valid month"},
    Message{1847, "day of month must be between 1 and last day of month"},
    Message{1849, "hour must be between 1 and 12"},
    Message{1850, "hour must be between 0 and 23"},
    Message{1851, "minutes must be between 0 and 59"},
    Message{1852, "seconds must be between 0 and 59"},
    Message{1855, "AM/A.M. or PM/P.M. required"},
    Message{1858, "a non-numeric character was found where a numeric was expected"},
    Message{1861, "literal does not match format string"},
    Message{2291, "integrity constraint (%s) violated - parent key not found"},
    Message{2292, "integrity constraint (%s) violated - child record found"},
    Message{3001, "unimplemented feature"},
    Message{3114, "not connected to ORACLE"},
    Message{4043, "object %s does not exist"},
    Message{6550, "line %s, column %s:\nPLS-00103: %s"},
    Message{12154, "TNS:could not resolve the connect identifier specified"},
    Message{12899, "value too large for column %s (actual: %s, maximum: %s)"},
    Message{22275, "invalid LOB locator specified"},
    Message{24315, "illegal attribute type"},
    Message{24316, "illegal handle type"},
    Message{24333, "zero iteration count"},
    Message{24344, "success with compilation error"},
    Message{24345, "A Truncation or null fetch error occurred"},
    Message{24374, "define not done before fetch or execute and fetch"},
};

}  // namespace

OraError engine_error(int code, std::initializer_list<std::string_view> args) {
  const char* tmpl = nullptr;
  for (const auto& m : kMessages)
    if (m.code == code) tmpl = m.text;
  if (!tmpl) return ora_error(code, args);
  char prefix[16];
  std::snprintf(prefix, sizeof prefix, "ORA-%05d: ", code);
  std::string text = prefix;
  auto arg = args.begin();
  for (const char* p = tmpl; *p; ++p) {
    if (p[0] == '%' && p[1] == 's') {
      if (arg != args.end()) text.append(*arg++);
      ++p;
    } else {
      text += *p;
    }
  }
  return {code, text};
}

bool parse_ora_text(std::string_view text, OraError& out) {
  size_t pos = text.find("ORA-");
  if (pos == std::string_view::npos || pos + 9 >= text.size() || text[pos + 9] != ':') return false;
  int code = 0;
  for (size_t i = pos + 4; i < pos + 9; ++i) {
    char c = text[i];
    if (c < '0' || c > '9') return false;
    code = code * 10 + (c - '0');
  }
  out.code = code;
  out.text = std::string(text.substr(pos));
  return true;
}

}  // namespace ocilite
