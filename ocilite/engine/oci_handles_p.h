// Private: what the opaque OCI handles and descriptors really are, and the
// helpers every exported call uses (handle checks, error records, text in
// the client character set).
#pragma once

#pragma GCC visibility push(default)
#include "oci/oci_abi.h"
#pragma GCC visibility pop

#include <atomic>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <future>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "client_charset.h"
#include "session.h"
#include "statement.h"

namespace ocilite {

inline constexpr uint32_t kHandleMagic = 0x4F434C54;  // "OCLT"

struct Handle {
  uint32_t magic = kHandleMagic;
  uint32_t type = 0;
  virtual ~Handle() = default;
};

struct ErrorRecord {
  int code = 0;
  std::string text;  // "ORA-00942: table or view does not exist\n" in the client character set
};

struct EnvH : Handle {
  ub4 mode = 0;
  CharsetInfo charset;
  std::vector<ErrorRecord> errors;  // failures of environment creation only
};

struct ErrorH : Handle {
  EnvH* env = nullptr;
  std::vector<ErrorRecord> records;
  ub2 parse_offset = 0;
  ub4 row_offset = 0;
};

struct SessionH;

// One call running on a worker thread while the server is in non-blocking mode.
struct AsyncCall {
  const void* key = nullptr;  // the statement handle of the call
  int kind = 0;               // 1 execute, 2 fetch
  std::future<sword> result;
};

struct ServerH : Handle {
  EnvH* env = nullptr;
  std::filesystem::path folder;
  std::shared_ptr<Catalog> catalog;
  bool attached = false;
  std::atomic<bool> nonblocking{false};
  SessionH* last_session = nullptr;
  std::mutex async_mutex;
  std::unique_ptr<AsyncCall> async;
};

struct SessionH : Handle {
  EnvH* env = nullptr;
  std::string username, password;  // client character set
  std::unique_ptr<Session> session;
  ServerH* server = nullptr;
};

struct TransH : Handle {};

struct SvcCtxH : Handle {
  EnvH* env = nullptr;
  ServerH* server = nullptr;
  SessionH* session = nullptr;
  TransH* trans = nullptr;
  bool owns_handles = false;  // made by OCILogon
};

struct StmtH;

struct BindH : Handle {
  StmtH* stmt = nullptr;
  std::string name;  // upper case without colon
  ub4 position = 0;  // for OCIBindByPos
  void* valuep = nullptr;
  sb4 value_sz = 0;
  ub2 dty = 0;
  void* indp = nullptr;
  ub2* alenp = nullptr;
  ub2* rcodep = nullptr;
  ub4 maxarr_len = 0;
  ub4* curelep = nullptr;
  ub4 pvskip = 0, indskip = sizeof(sb2), alskip = sizeof(ub2), rcskip = sizeof(ub2);
  ub1 csform = SQLCS_IMPLICIT;
  ub4 rows_returned = 0;
};

struct ObjectDefine;

struct DefineH : Handle {
  StmtH* stmt = nullptr;
  std::shared_ptr<ObjectDefine> object;  // set by OCIDefineObject
  ub4 position = 0;
  void* valuep = nullptr;
  sb4 value_sz = 0;
  ub2 dty = 0;
  void* indp = nullptr;
  ub2* rlenp = nullptr;
  ub2* rcodep = nullptr;
  ub4 pvskip = 0, indskip = sizeof(sb2), rlskip = sizeof(ub2), rcskip = sizeof(ub2);
  ub1 csform = SQLCS_IMPLICIT;
};

struct ParamH : Handle {
  bool owned_by_stmt = true;
  std::shared_ptr<Catalog> catalog;  // where a column's object type is found
  std::string type_name, type_schema;  // of a user-defined column type, client character set
  ColumnDesc col;
  std::string name;  // client character set
  ub2 position = 0;
};

struct StmtH : Handle {
  EnvH* env = nullptr;
  std::string sql;       // client character set, as given
  std::string sql_utf8;
  StatementShape shape;
  std::unique_ptr<Statement> stmt;
  Session* session = nullptr;  // the session `stmt` was made for
  ServerH* server = nullptr;   // where it last ran (non-blocking mode is per server)
  std::vector<std::unique_ptr<BindH>> binds;
  std::vector<std::unique_ptr<DefineH>> defines;
  std::vector<std::unique_ptr<ParamH>> params;
  ub4 prefetch_rows = 1, prefetch_memory = 0;
  ub4 row_count = 0, rows_fetched = 0;
  bool executed = false, end_of_fetch = false, describe_only = false;
  std::string last_rowid;
  bool from_prepare2 = false;
  std::vector<Value> row_buf;      // the fetched row, reused
  std::string text_buf, conv_buf;  // scratch of the fetch path (no thread_locals: the library may be unloaded)
};

struct RowidH : Handle {
  std::string text;
};

struct ParamListH;  // not used yet

// What OCIDescribeAny found: the top parameter and the tree that owns it.
struct DescribeH : Handle {
  ParamH* result = nullptr;
  std::shared_ptr<void> tree;
};

// A LOB or BFILE locator. A fetched locator holds the value as read (text
// in UTF-8 for a CLOB, bytes for a BLOB, "BFILE:DIR/file" for a BFILE) and,
// for writes, the address of its row: the rowid, or for an index-organised
// table the logical ROWID (primary key values) of a row fetched FOR UPDATE.
struct LobH : Handle {
  bool is_file = false;
  bool filled = false;
  bool is_clob = false;
  bool open = false;
  ub1 csform = SQLCS_IMPLICIT;
  std::string data;
  std::shared_ptr<Catalog> catalog;  // for BFILE directories
  // A polling read in progress (OCI_NEED_DATA answered).
  bool reading = false;
  size_t read_pos = 0, read_end = 0;
  std::string client;  // CLOB text in the client character set while reading
  unsigned generation = 0;
  // The row it came from, for writes (OCILobWrite, OCILobTrim).
  Session* session = nullptr;
  std::string owner, table, column;
  int64_t rowid = 0;
  std::string logical_rowid;  // index-organised tables; empty otherwise
  bool addressable = false;
  bool temporary = false;  // OCILobCreateTemporary: the value lives in the locator only
  std::string pending;  // pieces of a piecewise write
  // A piecewise BLOB write going straight into the row (incremental I/O),
  // and, once it is done, a value read from the row when next needed
  // instead of being kept here.
  struct Stream;  // oci_lob.cpp
  std::unique_ptr<Stream> stream;
  bool in_row = false;
  size_t row_length = 0;  // of the value in the row, while `in_row`
  // Makes `data` hold the value (reads it from the row when `in_row`).
  OraError load();
  // A value fetched anew into `data`: a write in progress is dropped.
  void refetched();
  LobH();
  ~LobH() override;
};

// Bumped by OCIBreak/OCIReset: a polling LOB read begun before starts afresh.
unsigned lob_generation();
void bump_lob_generation();

// ---- registry of live handles: lets every call reject invalid ones ----
void register_handle(Handle* h);
void unregister_handle(Handle* h);
// The handle if `p` is a live handle of type `type` (0: any), else nullptr.
Handle* find_handle(const void* p, ub4 type = 0);

template <class T>
T* as(const void* p, ub4 type) {
  return static_cast<T*>(find_handle(p, type));
}

// ---- attribute values ----
// Writes a scalar attribute at its own width.
template <class T>
void put_attr(void* attributep, ub4* sizep, T value) {
  if (attributep) std::memcpy(attributep, &value, sizeof(T));
  if (sizep) *sizep = sizeof(T);
}
// Text attributes: a pointer to memory owned by the handle, length in *sizep.
inline void put_text_attr(void* attributep, ub4* sizep, const std::string& text) {
  if (attributep) *static_cast<const OraText**>(attributep) = reinterpret_cast<const OraText*>(text.c_str());
  if (sizep) *sizep = static_cast<ub4>(text.size());
}

// ---- error records ----
void clear_errors(ErrorH* err);
sword record_error(ErrorH* err, const OraError& e, int parse_offset = -1);  // returns OCI_ERROR
void add_record(ErrorH* err, const OraError& e);
const CharsetInfo& charset_of(const ErrorH* err);

// ---- shared entry points used across files ----
sword execute_blocking(SvcCtxH* svc, StmtH* stmt, ErrorH* err, ub4 iters, ub4 rowoff, ub4 mode);
sword fetch_blocking(StmtH* stmt, ErrorH* err, ub4 nrows, ub2 orientation);
Session* session_of(SvcCtxH* svc);

}  // namespace ocilite
