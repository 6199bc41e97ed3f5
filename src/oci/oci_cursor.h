// Statements on a session: create (parse), bind, describe, define, execute
// without blocking (polling a cancel state), fetch in arrays, close; and the
// select driver that runs a whole query into an OciDataset. Every function
// has an old-interface and a newer-interface path; the session's LDA-mode
// flag chooses.
#pragma once

#include <atomic>
#include <cstdint>
#include <forward_list>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "oci/oci_abi.h"
#include "oci/oci_dataset.h"
#include "oci/oci_session.h"
#include "oci/oci_text.h"
#include "oci/oci_types.h"
#include "platform/msg_target.h"

namespace kestrel {

// One bound value; the buffers live until the cursor is closed.
struct OciBindBuffer {
  std::string name;              // ":X0", ":rid", ...
  std::vector<char> value;       // bytes in the session code page (or a raw int / array)
  std::vector<sb2> indicators;
  std::vector<ub2> lengths;
  OCIBind* handle = nullptr;
  ub2 dty = SQLT_STR;
  sb4 element_size = 0;
  ub1 form = SQLCS_IMPLICIT;
  int32_t int_value = 0;
};

// A value for the bind format letters: S a string, I a pointer to a 32-bit
// integer, A an array of strings (each bound under its own :X number).
struct OciBindArg {
  enum class Kind { Str, Int, Array };
  OciBindArg(std::u16string_view s) : kind(Kind::Str), str(s) {}
  OciBindArg(const std::u16string& s) : kind(Kind::Str), str(s) {}
  OciBindArg(const char16_t* s) : kind(Kind::Str), str(s ? s : u"") {}
  OciBindArg(const int32_t* p) : kind(Kind::Int), ival(p) {}
  OciBindArg(const std::u16string* a, int n) : kind(Kind::Array), arr(a), count(n) {}
  Kind kind;
  std::u16string_view str;
  const int32_t* ival = nullptr;
  const std::u16string* arr = nullptr;
  int count = 0;
};
using OciBindArgs = std::vector<OciBindArg>;

// Rows per fetch for a row width and a requested count: about 4 MiB per
// fetch array, at most 400 rows, at least 1.
int oci_rows_per_fetch(uint64_t row_width, int requested);

}  // namespace kestrel

struct OciCursor {
  OciCursor() = default;
  ~OciCursor();
  OciCursor(const OciCursor&) = delete;
  OciCursor& operator=(const OciCursor&) = delete;

  alignas(8) Cda_Def cda{};          // old-interface cursor; ft/rpc/peo/rc/wrn used by both paths
  std::string sql;                   // session code page
  std::u16string wsql;               // as given, for the log
  int32_t col_count = 0;
  int32_t rows_per_fetch = 0;
  int32_t rows_in_batch = 0;
  int32_t cur_row = 0;
  int32_t end_of_data = 0;
  std::vector<unsigned char*> data;  // per column, rows at width * r
  std::vector<sb2*> ind;
  std::vector<ub2*> rlen;
  std::vector<ub2*> rcode;
  std::vector<OciColumnDesc> cols;
  std::unique_ptr<uint64_t[]> buffer;  // fetch buffer, 8-aligned
  std::size_t buffer_size = 0;
  std::forward_list<std::unique_ptr<kestrel::OciBindBuffer>> binds;  // newest first
  int32_t warning_code = 0;
  std::u16string warning_text;
  OCIStmt* stmt = nullptr;
  int32_t lob_count = 0;
  int32_t object_count = 0;
  bool opened_old = false;           // oopen done
  OciSession* session = nullptr;     // for freeing locators at destruction
};

using kestrel::OciBindArgs;
using CancelFlag = std::atomic<int32_t>;

// Steps, usable one by one.
int oci_cre_cursor(OciSession* s, OciCursor* c, std::u16string_view sql, kestrel::OciMsgBuf msg);
int oci8_cre_cursor(OciSession* s, OciCursor* c, kestrel::OciMsgBuf msg);
// Binds by format letters (S, I, A), names ":X0", ":X1", ... from `first`.
// `strict`: a letter other than S or I answers 25 (statements with binds).
int oci_bind_cursor(OciSession* s, OciCursor* c, std::u16string_view format, const OciBindArgs& args,
                    kestrel::OciMsgBuf msg, bool strict = false);
int oci_bind_string(OciSession* s, OciCursor* c, std::string_view name, std::u16string_view value,
                    kestrel::OciMsgBuf msg);
int oci_bind_string_form(OciSession* s, OciCursor* c, std::string_view name, std::u16string_view value, ub1 form,
                         kestrel::OciMsgBuf msg);
int oci_bind_int(OciSession* s, OciCursor* c, std::string_view name, int32_t value, kestrel::OciMsgBuf msg);
// ":rid", a 24-byte text buffer the statement returns the ROWID into.
int oci_bind_rowid_out(OciSession* s, OciCursor* c, kestrel::OciMsgBuf msg);
const char* oci_rowid_out(const OciCursor* c);
// An array of texts for array DML: element i goes with iteration i.
int oci_bind_string_array(OciSession* s, OciCursor* c, std::string_view name,
                          const std::vector<std::u16string>& values, kestrel::OciMsgBuf msg);
int oci8_bind_cursor(OciSession* s, OciCursor* c, kestrel::OciBindBuffer* b, kestrel::OciMsgBuf msg);
int oci_desc_cursor(OciSession* s, OciCursor* c, kestrel::OciMsgBuf msg);
int oci8_desc_cursor(OciSession* s, OciCursor* c, kestrel::OciMsgBuf msg);
// Sizes the fetch buffer for `requested` rows and defines every column.
int oci_define_cursor(OciSession* s, OciCursor* c, int requested, kestrel::OciMsgBuf msg);
int oci8_define_by_pos(OciSession* s, OciCursor* c, kestrel::OciMsgBuf msg);
// Executes: a select with 0 iterations, other statements `iters` times (1
// unless array DML). Non-blocking and cancellable when `cancel` is given.
int oci_exec_non_block_cursor(OciSession* s, OciCursor* c, CancelFlag* cancel, kestrel::OciMsgBuf msg,
                              uint32_t iters = 1);
int oci8_exec_non_block_cursor(OciSession* s, OciCursor* c, CancelFlag* cancel, kestrel::OciMsgBuf msg,
                               uint32_t iters = 1);
int oci_fetch_sel_cursor(OciSession* s, OciCursor* c, CancelFlag* cancel, kestrel::OciMsgBuf msg);
int oci8_cur_get_row_cnt(OciSession* s, OciCursor* c, kestrel::OciMsgBuf msg);
int oci_del_cursor(OciSession* s, OciCursor* c, kestrel::OciMsgBuf msg = nullptr);
// Oracle error of a cursor: "[row:%d,col:%d] %s" into msg, code returned.
int oci_get_cursor_error_text(OciSession* s, OciCursor* c, kestrel::OciMsgBuf msg);

// The whole select into a dataset.
int oci_cre_sel_cursor(OciSession* s, OciDataset* ds, std::u16string_view sql, int rows_per_fetch,
                       kestrel::OciMsgBuf msg, std::u16string_view format = u"", const OciBindArgs& args = {});
int oci_cre_sel_cursor(OciSession* s, OciDataset* ds, std::u16string_view sql, int rows_per_fetch,
                       kestrel::OciMsgBuf msg, kestrel::MsgTarget* progress, CancelFlag* cancel,
                       std::u16string_view format = u"", const OciBindArgs& args = {});
// One-row select: the first column into out (capacity in bytes).
int oci_select_value(OciSession* s, std::u16string_view sql, char16_t* out, std::size_t out_bytes,
                     kestrel::OciMsgBuf msg, std::u16string_view format = u"", const OciBindArgs& args = {});
int oci_execute_sql(OciSession* s, std::u16string_view sql, kestrel::OciMsgBuf msg);
// A non-query statement with S and I binds on a temporary cursor.
int oci_execute_sql_with_binds(OciSession* s, std::u16string_view sql, kestrel::OciMsgBuf msg, CancelFlag* cancel,
                               std::u16string_view format, const OciBindArgs& args);
// Describes a table without fetching.
int oci_get_table_def2(OciSession* s, OciCursor* c, std::u16string_view table, bool with_rowid,
                       kestrel::OciMsgBuf msg);
