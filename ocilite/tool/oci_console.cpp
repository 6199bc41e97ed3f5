// The `ocilite sql` console over the OCI C ABI. Query rows are fetched 100
// at a time into text buffers and printed a page (the rows of one fetch
// batch) at a time, each page with its own heading and column widths, so
// a long result streams out without being held whole.
//
// Tested by tests/ocilite/tool/tool_test.cpp.
#include "tool/oci_console.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <vector>

#include "oci/oci_abi.h"

namespace ocilite::tool {
namespace {

constexpr ub4 kFetchRows = 100;
constexpr sb4 kMaxTextColumn = 32768;  // LOB and LONG values are shown up to this many bytes

std::string upper_words(std::string_view text, size_t count) {
  std::string out;
  size_t words = 0, i = 0;
  while (i < text.size() && words < count) {
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
    if (i >= text.size()) break;
    if (words) out += ' ';
    while (i < text.size() && (std::isalnum(static_cast<unsigned char>(text[i])) || text[i] == '_'))
      out += static_cast<char>(std::toupper(static_cast<unsigned char>(text[i++])));
    while (i < text.size() && !std::isspace(static_cast<unsigned char>(text[i])) &&
           !std::isalnum(static_cast<unsigned char>(text[i])))
      ++i;
    ++words;
  }
  return out;
}

std::string capitalized(std::string w) {
  for (size_t i = 1; i < w.size(); ++i) w[i] = static_cast<char>(std::tolower(static_cast<unsigned char>(w[i])));
  return w;
}

// What an Oracle console says after a statement that returns no rows.
std::string feedback(std::string_view sql, ub2 fncode, ub4 rows, bool with_info) {
  const std::string w = upper_words(sql, 6);
  auto starts = [&](std::string_view p) { return w.compare(0, p.size(), p) == 0; };
  auto count = [&](const char* verb) { return std::to_string(rows) + (rows == 1 ? " row " : " rows ") + verb + "."; };
  if (fncode == 3 || starts("INSERT")) return count("created");
  if (fncode == 5 || starts("UPDATE")) return count("updated");
  if (fncode == 9 || starts("DELETE")) return count("deleted");
  if (fncode == 189 || starts("MERGE")) return count("merged");
  if (starts("COMMIT")) return "Commit complete.";
  if (starts("ROLLBACK")) return "Rollback complete.";
  if (starts("SAVEPOINT")) return "Savepoint created.";
  if (starts("ALTER SESSION")) return "Session altered.";
  if (starts("COMMENT")) return "Comment created.";
  if (starts("GRANT")) return "Grant succeeded.";
  if (starts("REVOKE")) return "Revoke succeeded.";
  if (starts("BEGIN") || starts("DECLARE")) return "PL/SQL procedure successfully completed.";
  std::string verb;
  std::string rest;
  if (starts("CREATE OR REPLACE ")) {
    verb = "created";
    rest = w.substr(18);
  } else if (starts("CREATE ")) {
    verb = "created";
    rest = w.substr(7);
  } else if (starts("DROP ")) {
    verb = "dropped";
    rest = w.substr(5);
  } else if (starts("ALTER ")) {
    verb = "altered";
    rest = w.substr(6);
  } else if (starts("TRUNCATE ")) {
    return "Table truncated.";
  } else {
    return "Statement processed.";
  }
  for (std::string_view skip : {"PUBLIC ", "UNIQUE ", "GLOBAL TEMPORARY ", "EDITIONABLE ", "NONEDITIONABLE "})
    if (rest.compare(0, skip.size(), skip) == 0) rest = rest.substr(skip.size());
  std::string kind = rest.substr(0, rest.find(' '));
  if (kind == "PACKAGE" && rest.compare(0, 12, "PACKAGE BODY") == 0)
    kind = "Package body";
  else if (kind == "TYPE" && rest.compare(0, 9, "TYPE BODY") == 0)
    kind = "Type body";
  else
    kind = capitalized(kind);
  if (with_info) return "Warning: " + kind + " " + verb + " with compilation errors.";
  return kind + " " + verb + ".";
}

// Code points of East Asian wide and fullwidth forms, in a terminal two cells.
bool is_wide(char32_t c) {
  return (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0xA4CF && c != 0x303F) || (c >= 0xAC00 && c <= 0xD7A3) ||
         (c >= 0xF900 && c <= 0xFAFF) || (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF60) ||
         (c >= 0xFFE0 && c <= 0xFFE6) || (c >= 0x1F300 && c <= 0x1FAFF) || (c >= 0x20000 && c <= 0x3FFFD);
}

}  // namespace

size_t display_width(std::string_view s) {
  size_t width = 0;
  for (size_t i = 0; i < s.size();) {
    const unsigned char b = static_cast<unsigned char>(s[i]);
    char32_t c = b;
    size_t n = 1;
    if (b >= 0xF0 && i + 3 < s.size()) {
      c = ((b & 0x07u) << 18) | ((s[i + 1] & 0x3Fu) << 12) | ((s[i + 2] & 0x3Fu) << 6) | (s[i + 3] & 0x3Fu);
      n = 4;
    } else if (b >= 0xE0 && i + 2 < s.size()) {
      c = ((b & 0x0Fu) << 12) | ((s[i + 1] & 0x3Fu) << 6) | (s[i + 2] & 0x3Fu);
      n = 3;
    } else if (b >= 0xC0 && i + 1 < s.size()) {
      c = ((b & 0x1Fu) << 6) | (s[i + 1] & 0x3Fu);
      n = 2;
    }
    width += is_wide(c) ? 2 : 1;
    i += n;
  }
  return width;
}

struct OciConsole::Handles {
  OCIEnv* env = nullptr;
  OCIError* err = nullptr;
  OCIServer* server = nullptr;
  OCISvcCtx* svc = nullptr;
  OCISession* session = nullptr;
  bool attached = false, logged_in = false;
  ~Handles() {
    if (logged_in) {
      OCITransRollback(svc, err, OCI_DEFAULT);
      OCISessionEnd(svc, err, session, OCI_DEFAULT);
    }
    if (attached) OCIServerDetach(server, err, OCI_DEFAULT);
    // Children first, then the environment.
    if (session) OCIHandleFree(session, OCI_HTYPE_SESSION);
    if (svc) OCIHandleFree(svc, OCI_HTYPE_SVCCTX);
    if (server) OCIHandleFree(server, OCI_HTYPE_SERVER);
    if (err) OCIHandleFree(err, OCI_HTYPE_ERROR);
    if (env) OCIHandleFree(env, OCI_HTYPE_ENV);
  }
};

OciConsole::OciConsole(std::FILE* out, std::FILE* err) : out_(out), err_(err), h_(std::make_unique<Handles>()) {}
OciConsole::~OciConsole() = default;

bool OciConsole::check(int status, const char* what) {
  if (status == OCI_SUCCESS || status == OCI_SUCCESS_WITH_INFO || status == OCI_NO_DATA) {
    last_error_.clear();
    return true;
  }
  char buf[2048] = "";
  sb4 code = 0;
  if (h_->err && OCIErrorGet(h_->err, 1, nullptr, &code, reinterpret_cast<OraText*>(buf), sizeof buf,
                             OCI_HTYPE_ERROR) == OCI_SUCCESS) {
    last_error_ = buf;
  } else {
    last_error_ = std::string(what) + " failed (status " + std::to_string(status) + ")";
  }
  while (!last_error_.empty() && (last_error_.back() == '\n' || last_error_.back() == ' ')) last_error_.pop_back();
  return false;
}

bool OciConsole::login(std::string_view connect, std::string_view user, std::string_view password) {
  auto& h = *h_;
  if (!check(OCIEnvCreate(&h.env, OCI_THREADED, nullptr, nullptr, nullptr, nullptr, 0, nullptr), "OCIEnvCreate") ||
      !check(OCIHandleAlloc(h.env, reinterpret_cast<void**>(&h.err), OCI_HTYPE_ERROR, 0, nullptr), "OCIHandleAlloc") ||
      !check(OCIHandleAlloc(h.env, reinterpret_cast<void**>(&h.server), OCI_HTYPE_SERVER, 0, nullptr),
             "OCIHandleAlloc") ||
      !check(OCIHandleAlloc(h.env, reinterpret_cast<void**>(&h.svc), OCI_HTYPE_SVCCTX, 0, nullptr), "OCIHandleAlloc") ||
      !check(OCIHandleAlloc(h.env, reinterpret_cast<void**>(&h.session), OCI_HTYPE_SESSION, 0, nullptr),
             "OCIHandleAlloc")) {
    std::fprintf(err_, "%s\n", last_error_.c_str());
    return false;
  }
  const std::string c(connect), u(user), p(password);
  bool ok = check(OCIServerAttach(h.server, h.err, reinterpret_cast<const OraText*>(c.data()),
                                  static_cast<sb4>(c.size()), OCI_DEFAULT),
                  "OCIServerAttach");
  h.attached = ok;
  ok = ok && check(OCIAttrSet(h.svc, OCI_HTYPE_SVCCTX, h.server, 0, OCI_ATTR_SERVER, h.err), "OCIAttrSet") &&
       check(OCIAttrSet(h.session, OCI_HTYPE_SESSION, const_cast<char*>(u.data()), static_cast<ub4>(u.size()),
                        OCI_ATTR_USERNAME, h.err),
             "OCIAttrSet") &&
       check(OCIAttrSet(h.session, OCI_HTYPE_SESSION, const_cast<char*>(p.data()), static_cast<ub4>(p.size()),
                        OCI_ATTR_PASSWORD, h.err),
             "OCIAttrSet");
  if (ok) {
    const sword rc =
        OCISessionBegin(h.svc, h.err, h.session, u.empty() && p.empty() ? OCI_CRED_EXT : OCI_CRED_RDBMS, OCI_DEFAULT);
    ok = check(rc, "OCISessionBegin");
    if (rc == OCI_SUCCESS_WITH_INFO) {  // e.g. ORA-28002: say so, go on
      char buf[1024] = "";
      sb4 code = 0;
      OCIErrorGet(h.err, 1, nullptr, &code, reinterpret_cast<OraText*>(buf), sizeof buf, OCI_HTYPE_ERROR);
      std::fprintf(err_, "%s\n", buf);
    }
  }
  h.logged_in = ok;
  ok = ok && check(OCIAttrSet(h.svc, OCI_HTYPE_SVCCTX, h.session, 0, OCI_ATTR_SESSION, h.err), "OCIAttrSet");
  if (!ok) std::fprintf(err_, "ERROR:\n%s\n", last_error_.c_str());
  return ok;
}

bool OciConsole::run(std::string_view sql, int line) {
  auto& h = *h_;
  OCIStmt* stmt = nullptr;
  if (!check(OCIHandleAlloc(h.env, reinterpret_cast<void**>(&stmt), OCI_HTYPE_STMT, 0, nullptr), "OCIHandleAlloc")) {
    std::fprintf(err_, "%s\n", last_error_.c_str());
    return false;
  }
  struct Free {
    OCIStmt* s;
    ~Free() { OCIHandleFree(s, OCI_HTYPE_STMT); }
  } free_stmt{stmt};
  bool ok = check(OCIStmtPrepare(stmt, h.err, reinterpret_cast<const OraText*>(sql.data()),
                                 static_cast<ub4>(sql.size()), OCI_NTV_SYNTAX, OCI_DEFAULT),
                  "OCIStmtPrepare");
  ub2 type = 0;
  if (ok) ok = check(OCIAttrGet(stmt, OCI_HTYPE_STMT, &type, nullptr, OCI_ATTR_STMT_TYPE, h.err), "OCIAttrGet");
  sword rc = OCI_SUCCESS;
  if (ok) {
    rc = OCIStmtExecute(h.svc, stmt, h.err, type == OCI_STMT_SELECT ? 0 : 1, 0, nullptr, nullptr, OCI_DEFAULT);
    ok = check(rc, "OCIStmtExecute");
  }
  if (ok && type == OCI_STMT_SELECT) ok = run_query(stmt);
  if (!ok) {
    std::fprintf(err_, "ERROR at line %d:\n%s\n", line, last_error_.c_str());
    return false;
  }
  if (type != OCI_STMT_SELECT && feedback_) {
    ub4 rows = 0;
    ub2 fncode = 0;
    OCIAttrGet(stmt, OCI_HTYPE_STMT, &rows, nullptr, OCI_ATTR_ROW_COUNT, h.err);
    OCIAttrGet(stmt, OCI_HTYPE_STMT, &fncode, nullptr, OCI_ATTR_SQLFNCODE, h.err);
    std::fprintf(out_, "%s\n\n", feedback(sql, fncode, rows, rc == OCI_SUCCESS_WITH_INFO).c_str());
  }
  return true;
}

bool OciConsole::run_query(void* stmt_handle) {
  auto& h = *h_;
  auto* stmt = static_cast<OCIStmt*>(stmt_handle);
  ub4 ncols = 0;
  if (!check(OCIAttrGet(stmt, OCI_HTYPE_STMT, &ncols, nullptr, OCI_ATTR_PARAM_COUNT, h.err), "OCIAttrGet"))
    return false;
  struct Column {
    std::string name;
    ub2 type = 0;
    sb4 width = 0;  // bytes per value, NUL included
    std::vector<char> data;
    std::vector<sb2> ind;
    std::vector<ub2> len;
    OCIDefine* define = nullptr;
  };
  std::vector<Column> cols(ncols);
  for (ub4 i = 0; i < ncols; ++i) {
    void* param = nullptr;
    if (!check(OCIParamGet(stmt, OCI_HTYPE_STMT, h.err, &param, i + 1), "OCIParamGet")) return false;
    OraText* name = nullptr;
    ub4 name_len = 0;
    ub2 size = 0;
    OCIAttrGet(param, OCI_DTYPE_PARAM, &name, &name_len, OCI_ATTR_NAME, h.err);
    OCIAttrGet(param, OCI_DTYPE_PARAM, &cols[i].type, nullptr, OCI_ATTR_DATA_TYPE, h.err);
    OCIAttrGet(param, OCI_DTYPE_PARAM, &size, nullptr, OCI_ATTR_DATA_SIZE, h.err);
    OCIDescriptorFree(param, OCI_DTYPE_PARAM);
    cols[i].name.assign(reinterpret_cast<const char*>(name), name_len);
    // Text of a number or date needs more than its internal size.
    sb4 width = std::max<sb4>(size, 64) * 2 + 1;
    if (cols[i].type == 8 || cols[i].type == 24 || cols[i].type == 112 || cols[i].type == 113 || cols[i].type == 114)
      width = kMaxTextColumn;
    cols[i].width = std::min<sb4>(width, kMaxTextColumn);
    cols[i].data.resize(static_cast<size_t>(cols[i].width) * kFetchRows);
    cols[i].ind.resize(kFetchRows);
    cols[i].len.resize(kFetchRows);
    if (!check(OCIDefineByPos(stmt, &cols[i].define, h.err, i + 1, cols[i].data.data(), cols[i].width, SQLT_STR,
                              cols[i].ind.data(), cols[i].len.data(), nullptr, OCI_DEFAULT),
               "OCIDefineByPos"))
      return false;
  }
  size_t total = 0;
  for (;;) {
    const sword rc = OCIStmtFetch2(stmt, h.err, kFetchRows, OCI_FETCH_NEXT, 0, OCI_DEFAULT);
    if (rc != OCI_SUCCESS && rc != OCI_SUCCESS_WITH_INFO && rc != OCI_NO_DATA) return check(rc, "OCIStmtFetch2");
    ub4 fetched = 0;
    OCIAttrGet(stmt, OCI_HTYPE_STMT, &fetched, nullptr, OCI_ATTR_ROWS_FETCHED, h.err);
    if (fetched > 0) {
      // One page: widths from the header and the values of this batch.
      auto value = [&](const Column& c, ub4 r) -> std::string_view {
        if (c.ind[r] == -1) return {};
        const char* p = c.data.data() + static_cast<size_t>(r) * static_cast<size_t>(c.width);
        return std::string_view(p, strnlen(p, static_cast<size_t>(c.width)));
      };
      std::vector<size_t> widths(ncols);
      for (ub4 i = 0; i < ncols; ++i) {
        widths[i] = display_width(cols[i].name);
        for (ub4 r = 0; r < fetched; ++r) widths[i] = std::max(widths[i], display_width(value(cols[i], r)));
        widths[i] = std::min<size_t>(widths[i], 80);
      }
      auto cell = [&](std::string_view text, size_t i, bool right) {
        const size_t w = display_width(text);
        const std::string pad(w < widths[i] ? widths[i] - w : 0, ' ');
        std::string s = right ? pad + std::string(text) : std::string(text) + pad;
        if (i + 1 < ncols)
          s += ' ';
        else
          while (!s.empty() && s.back() == ' ') s.pop_back();
        std::fputs(s.c_str(), out_);
      };
      // Every page has its own heading, since its widths are its own.
      if (total > 0) std::fputc('\n', out_);
      for (ub4 i = 0; i < ncols; ++i) cell(cols[i].name, i, cols[i].type == 2);
      std::fputc('\n', out_);
      for (ub4 i = 0; i < ncols; ++i) cell(std::string(widths[i], '-'), i, false);
      std::fputc('\n', out_);
      for (ub4 r = 0; r < fetched; ++r) {
        for (ub4 i = 0; i < ncols; ++i) cell(value(cols[i], r), i, cols[i].type == 2);
        std::fputc('\n', out_);
      }
      total += fetched;
    }
    if (rc == OCI_NO_DATA || fetched < kFetchRows) break;
  }
  if (feedback_) {
    if (total == 0)
      std::fputs("no rows selected\n\n", out_);
    else
      std::fprintf(out_, "\n%zu %s selected.\n\n", total, total == 1 ? "row" : "rows");
  }
  last_error_.clear();
  return true;
}

}  // namespace ocilite::tool
