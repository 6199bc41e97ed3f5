// Oracle's error texts for the errors the catalogue itself reports.
#include <array>
#include <cstdio>

#include "catalog/catalog.h"

namespace ocilite {
namespace {

struct Message {
  int code;
  const char* text;
};

constexpr std::array kMessages{
    Message{600, "internal error code, arguments: [%s]"},
    Message{942, "table or view does not exist"},
    Message{955, "name is already used by an existing object"},
    Message{972, "identifier is too long"},
    Message{1017, "invalid username/password; logon denied"},
    Message{1031, "insufficient privileges"},
    Message{1115, "IO error reading block from file %s"},
    Message{1157, "cannot identify/lock data file %s"},
    Message{1432, "public synonym to be dropped does not exist"},
    Message{1434, "private synonym to be dropped does not exist"},
    Message{1775, "looping chain of synonyms"},
    Message{1918, "user '%s' does not exist"},
    Message{1920, "user name '%s' conflicts with another user or role name"},
    Message{1935, "missing user or role name"},
    Message{2289, "sequence does not exist"},
    Message{4002, "INCREMENT must be a non-zero integer"},
    Message{4004, "MINVALUE must be less than MAXVALUE"},
    Message{4006, "START WITH cannot be less than MINVALUE"},
    Message{4043, "object %s does not exist"},
    Message{4080, "trigger '%s' does not exist"},
    Message{8002, "sequence %s.CURRVAL is not yet defined in this session"},
    Message{8004, "sequence %s.NEXTVAL exceeds MAXVALUE and cannot be instantiated"},
    Message{12154, "TNS:could not resolve the connect identifier specified"},
    Message{22285, "non-existent directory or file for %s operation"},
    Message{28000, "the account is locked"},
    Message{28001, "the password has expired"},
    Message{28002, "the password will expire within %s days"},
};

}  // namespace

OraError ora_error(int code, std::initializer_list<std::string_view> args) {
  char prefix[16];
  std::snprintf(prefix, sizeof prefix, "ORA-%05d: ", code);
  std::string text = prefix;
  const char* tmpl = nullptr;
  for (const auto& m : kMessages)
    if (m.code == code) tmpl = m.text;
  auto arg = args.begin();
  if (!tmpl) {
    text += "error";
    for (; arg != args.end(); ++arg) text.append(" ").append(*arg);
    return {code, text};
  }
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

OraError ora_internal(std::string_view detail) { return ora_error(600, {detail}); }

}  // namespace ocilite
