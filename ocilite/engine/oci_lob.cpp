// LOB and BFILE locators: length, piecewise and callback reads, writes and
// trims through a fetched locator (stored in its row) or a temporary one,
// character set facts, assignment, open/close, BFILE names and loading a
// LOB from a BFILE.
#include <sqlite3.h>
#include <sys/stat.h>

#include <atomic>
#include <cstring>
#include <fstream>
#include <optional>
#include <string_view>
#include <vector>

#include "engine_error.h"
#include "oci_handles_p.h"

namespace ocilite {
namespace {
std::atomic<unsigned> g_generation{0};
}
unsigned lob_generation() { return g_generation.load(); }
void bump_lob_generation() { ++g_generation; }

// A piecewise BLOB write in progress, straight into the row.
struct LobH::Stream {
  sqlite3_blob* blob = nullptr;
  size_t start = 0;        // byte offset of the first piece
  size_t pos = 0;          // where the next piece goes
  size_t capacity = 0;     // the value's length in the row
  bool replaced = false;   // the write replaces the value (sized to its amount)
  std::string overflow;    // pieces past the capacity
  Stream() = default;
  Stream(const Stream&) = delete;
  Stream& operator=(const Stream&) = delete;
  // A handle left open by a session that has logged off closes its connection now.
  ~Stream() {
    if (blob) sqlite3_blob_close(blob);
  }
};

LobH::LobH() = default;
LobH::~LobH() = default;

void LobH::refetched() {
  stream.reset();
  in_row = false;
}

OraError LobH::load() {
  if (!in_row) return {};
  stream.reset();
  if (!session || !session_alive(session)) return engine_error(ora::kNotConnected);
  if (!session->table(owner, table)) return OraError{22922, "ORA-22922: nonexistent LOB value"};  // attaches its schema
  const std::string sql = "SELECT \"" + column + "\" FROM \"" + owner + "\".\"" + table + "\" WHERE _rowid_ = ?1";
  sqlite3_stmt* st = nullptr;
  int rc = sqlite3_prepare_v2(session->db(), sql.c_str(), -1, &st, nullptr);
  if (rc == SQLITE_OK) {
    sqlite3_bind_int64(st, 1, rowid);
    rc = sqlite3_step(st);
  }
  OraError e;
  if (rc == SQLITE_ROW) {
    const char* p = static_cast<const char*>(sqlite3_column_blob(st, 0));
    data.assign(p ? p : "", static_cast<size_t>(sqlite3_column_bytes(st, 0)));
    in_row = false;
  } else if (rc == SQLITE_DONE) {
    e = OraError{22922, "ORA-22922: nonexistent LOB value"};
  } else {
    e = sqlite_error(session->db(), rc);
  }
  sqlite3_finalize(st);
  return e;
}
}  // namespace ocilite

using namespace ocilite;

namespace {

OraError not_locked() { return OraError{22920, "ORA-22920: row containing the LOB value is not locked"}; }

constexpr char kBase64[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

LobH* lob_of(const void* p) {
  if (auto* l = as<LobH>(p, OCI_DTYPE_LOB)) return l;
  return as<LobH>(p, OCI_DTYPE_FILE);
}

// "BFILE:DIR/file" -> directory alias and file name.
bool bfile_parts(const LobH& l, std::string& dir, std::string& file) {
  if (l.data.rfind("BFILE:", 0) != 0) return false;
  size_t slash = l.data.find('/', 6);
  if (slash == std::string::npos) return false;
  dir = l.data.substr(6, slash - 6);
  file = l.data.substr(slash + 1);
  return true;
}

// A BFILE locator named by OCILobFileSetName learns its database (for the
// directory objects) from the first call that brings a service context.
LobH* adopt_catalog(SvcCtxH* svc, LobH* l) {
  if (l && l->is_file && !l->catalog) {
    if (Session* s = session_of(svc)) l->catalog = s->catalog_shared();
  }
  return l;
}

OraError bfile_contents(const LobH& l, std::string& out) {
  std::string dir, file;
  if (!bfile_parts(l, dir, file) || !l.catalog) return engine_error(ora::kInvalidLobLocator);
  auto path = l.catalog->directory_path(dir);
  if (!path) return OraError{22285, "ORA-22285: non-existent directory or file for FILEOPEN operation"};
  std::ifstream in(*path / file, std::ios::binary);
  if (!in) return OraError{22288, "ORA-22288: file or LOB operation FILEOPEN failed\nNo such file or directory"};
  out.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return {};
}

size_t utf8_chars(std::string_view s) {
  size_t n = 0;
  for (unsigned char c : s)
    if ((c & 0xC0) != 0x80) ++n;
  return n;
}

// Length in bytes of the client character at `p` (UTF-8 or CP932).
size_t char_len(const CharsetInfo& cs, const std::string& s, size_t p) {
  unsigned char c = static_cast<unsigned char>(s[p]);
  if (cs.is_utf8()) return c < 0x80 ? 1 : c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
  return ((c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC)) ? 2 : 1;
}

sword lob_read(ErrorH* err, LobH* l, const CharsetInfo& cs, ub8 amount, ub8 offset, void* bufp, ub8 bufl,
               ub8& done, void* ctxp, OCICallbackLobRead cb) {
  if (!l->filled) return record_error(err, engine_error(ora::kInvalidLobLocator));
  if (!bufp || bufl == 0) return record_error(err, OraError{24801, "ORA-24801: illegal parameter value in OCI lob function"});
  if (!l->reading || l->generation != lob_generation()) {
    l->stream.reset();
    if (OraError e = l->load()) return record_error(err, e);
    // A new read: the whole value in client form, from the (1-based)
    // offset. A BLOB is read from the locator's own bytes, uncopied.
    std::string bytes;
    if (l->is_file) {
      if (OraError e = bfile_contents(*l, bytes)) return record_error(err, e);
    } else if (l->is_clob) {
      bytes = utf8_to_client(cs, l->data);
    }
    l->client = std::move(bytes);
    const std::string& src = l->is_file || l->is_clob ? l->client : l->data;
    size_t start = 0;
    if (offset < 1) offset = 1;
    if (l->is_clob) {
      for (ub8 k = 1; k < offset && start < src.size(); ++k) start += char_len(cs, src, start);
    } else {
      start = static_cast<size_t>(std::min<ub8>(offset - 1, src.size()));
    }
    size_t end = src.size();
    if (amount > 0 && amount < (ub8{1} << 30)) {
      size_t e = start;
      if (l->is_clob) {
        for (ub8 k = 0; k < amount && e < end; ++k) e += char_len(cs, src, e);
      } else {
        e = static_cast<size_t>(std::min<ub8>(start + amount, end));
      }
      end = e;
    }
    l->read_pos = start;
    l->read_end = end;
    l->reading = true;
    l->generation = lob_generation();
  }
  const std::string& src = l->is_file || l->is_clob ? l->client : l->data;
  // A write between two polls may have shortened a BLOB.
  l->read_end = std::min(l->read_end, src.size());
  l->read_pos = std::min(l->read_pos, l->read_end);
  for (;;) {
    size_t left = l->read_end - l->read_pos;
    size_t n = static_cast<size_t>(std::min<ub8>(left, bufl));
    if (l->is_clob && n < left) {
      // Never split a character between pieces.
      size_t k = 0;
      while (k < n) {
        size_t cl = char_len(cs, src, l->read_pos + k);
        if (k + cl > n) break;
        k += cl;
      }
      n = k == 0 ? n : k;
    }
    std::memcpy(bufp, src.data() + l->read_pos, n);
    if (n < bufl && l->is_clob) static_cast<char*>(bufp)[n] = 0;
    l->read_pos += n;
    done = n;
    bool last = l->read_pos >= l->read_end;
    if (cb) {
      ub1 piece = last ? OCI_LAST_PIECE : OCI_NEXT_PIECE;
      if (cb(ctxp, bufp, static_cast<ub4>(n), piece) != OCI_CONTINUE || last) {
        l->reading = false;
        return OCI_SUCCESS;
      }
      continue;
    }
    if (last) {
      l->reading = false;
      return OCI_SUCCESS;
    }
    return OCI_NEED_DATA;
  }
}

// The primary key values a logical ROWID was made of ('*', then base64 of
// the values' texts joined by U+001F); nothing when it is not one.
std::optional<std::vector<std::string>> logical_rowid_values(std::string_view rowid) {
  if (rowid.empty() || rowid[0] != '*') return std::nullopt;
  std::string bytes;
  uint32_t acc = 0;
  int bits = 0;
  for (char c : rowid.substr(1)) {
    const char* p = std::strchr(kBase64, c);
    if (!p || c == 0) return std::nullopt;
    acc = (acc << 6) | static_cast<uint32_t>(p - kBase64);
    bits += 6;
    if (bits >= 8) {
      bits -= 8;
      bytes.push_back(static_cast<char>((acc >> bits) & 0xFF));
    }
  }
  std::vector<std::string> values(1);
  for (char c : bytes) {
    if (c == '\x1F') values.emplace_back();
    else values.back().push_back(c);
  }
  return values;
}

std::string quote_name(std::string_view name) {
  std::string out = "\"";
  for (char c : name) {
    out.push_back(c);
    if (c == '"') out.push_back('"');
  }
  return out + "\"";
}

// Runs `UPDATE <table> SET <column> = ?1 WHERE <where>` with `keys` bound
// from ?2 on; `changed` gets the number of rows it changed.
OraError update_row(Session& s, const LobH& l, const std::string& value, const std::string& where,
                    const std::vector<std::string>& keys, int64_t rowid, int& changed) {
  const std::string sql = "UPDATE " + quote_name(l.owner) + "." + quote_name(l.table) + " SET " + quote_name(l.column) +
                          " = ?1 WHERE " + where;
  sqlite3_stmt* st = nullptr;
  int rc = sqlite3_prepare_v2(s.db(), sql.c_str(), -1, &st, nullptr);
  if (rc == SQLITE_OK) {
    if (l.is_clob) sqlite3_bind_text(st, 1, value.data(), static_cast<int>(value.size()), SQLITE_STATIC);
    else sqlite3_bind_blob(st, 1, value.data(), static_cast<int>(value.size()), SQLITE_STATIC);
    if (keys.empty()) sqlite3_bind_int64(st, 2, rowid);
    for (size_t k = 0; k < keys.size(); ++k)
      sqlite3_bind_text(st, static_cast<int>(k) + 2, keys[k].data(), static_cast<int>(keys[k].size()), SQLITE_STATIC);
    rc = sqlite3_step(st);
  }
  OraError e;
  if (rc != SQLITE_DONE) {
    e = sqlite_error(s.db(), rc);
    s.sync_after_error();
  } else {
    changed = sqlite3_changes(s.db());
  }
  sqlite3_finalize(st);
  return e;
}

OraError store_in_row(LobH& l, Session& s, std::string& value);

// Stores a locator's new value in its row, under the session's transaction.
OraError store(LobH& l, std::string value) {
  if (l.temporary) {
    l.data = std::move(value);
    return {};
  }
  if (!l.addressable || !l.session) return not_locked();
  if (!session_alive(l.session)) return engine_error(ora::kNotConnected);
  Session& s = *l.session;
  if (OraError e = s.lock_for_write(l.owner, l.table, false)) return e;
  OraError e = store_in_row(l, s, value);
  // A refused write that changed nothing keeps no other session waiting.
  if (e) s.release_unused_write_lock();
  return e;
}

OraError store_in_row(LobH& l, Session& s, std::string& value) {
  // The row is claimed like any other UPDATE's: one another session holds
  // ends the write with ORA-00054.
  const TableInfo* info = s.table(l.owner, l.table);
  if (info) {
    if (OraError e = s.prepare_row_locks(*info)) return e;
  }
  int changed = 0;
  if (l.logical_rowid.empty()) {
    if (OraError e = update_row(s, l, value, "_rowid_ = ?2", {}, l.rowid, changed)) return e;
  } else {
    // An index-organised row: found through its primary key index, the
    // logical ROWID deciding (a key value whose text compares unlike the
    // stored value falls back to comparing logical ROWIDs alone).
    if (!info || !info->without_rowid || info->primary_key.empty()) return not_locked();
    std::string urowid = "ocilite_urowid(";
    for (size_t k = 0; k < info->primary_key.size(); ++k) urowid += (k ? ", " : "") + quote_name(info->primary_key[k]);
    urowid += ")";
    auto values = logical_rowid_values(l.logical_rowid);
    if (values && values->size() == info->primary_key.size()) {
      std::string where;
      for (size_t k = 0; k < values->size(); ++k)
        where += quote_name(info->primary_key[k]) + " = ?" + std::to_string(k + 2) + " AND ";
      values->push_back(l.logical_rowid);
      where += urowid + " = ?" + std::to_string(values->size() + 1);
      if (OraError e = update_row(s, l, value, where, *values, 0, changed)) return e;
    }
    if (changed == 0) {
      if (OraError e = update_row(s, l, value, urowid + " = ?2", {l.logical_rowid}, 0, changed)) return e;
    }
  }
  // The row is gone (deleted, or its key changed, since the fetch).
  if (changed == 0) return not_locked();
  s.note_write();
  l.data = std::move(value);
  l.in_row = false;
  return {};
}

// Byte position of the `chars`-th character of UTF-8 text (end when shorter).
size_t utf8_pos(const std::string& s, size_t chars) {
  size_t i = 0, n = 0;
  while (i < s.size() && n < chars) {
    ++i;
    while (i < s.size() && (static_cast<unsigned char>(s[i]) & 0xC0) == 0x80) ++i;
    ++n;
  }
  return i;
}

// `base` overwritten from `offset` (1-based; characters for a CLOB) by `data`.
std::string overwrite(bool is_clob, const std::string& base, ub8 offset, std::string data) {
  if (offset < 1) offset = 1;
  // Writing the whole value from the start (an upload) replaces it.
  if (offset == 1 && (is_clob ? utf8_chars(data) >= utf8_chars(base) : data.size() >= base.size())) return data;
  std::string old = base;
  if (is_clob) {
    size_t have = utf8_chars(old);
    if (have < offset - 1) old.append(static_cast<size_t>(offset - 1 - have), ' ');
    size_t start = utf8_pos(old, static_cast<size_t>(offset - 1));
    size_t end = utf8_pos(old, static_cast<size_t>(offset - 1 + utf8_chars(data)));
    return old.substr(0, start) + data + old.substr(end);
  }
  if (old.size() < offset - 1) old.resize(static_cast<size_t>(offset - 1), '\0');
  size_t start = static_cast<size_t>(offset - 1);
  size_t end = std::min(old.size(), start + data.size());
  return old.substr(0, start) + data + old.substr(end);
}

std::string overwrite(const LobH& l, ub8 offset, std::string data) {
  return overwrite(l.is_clob, l.data, offset, std::move(data));
}

// ---- piecewise BLOB writes straight into the row ----
//
// An upload of many pieces is not gathered in memory and rewritten: its
// first piece sizes the row's value (zeroblob of the announced amount when
// it replaces the value, else the value as it is when the write falls
// inside it) and every piece is written in place with SQLite's incremental
// BLOB I/O. A write that ends short of or past what it announced is put
// right at its last piece through the ordinary path.

OraError open_stream(LobH& l, Session& s, size_t start, ub8 amount, bool in_place, bool& streamed);

OraError begin_stream(LobH& l, ub8 offset, ub8 amount, bool& streamed) {
  streamed = false;
  if (l.is_clob || l.temporary || !l.addressable || !l.logical_rowid.empty() || !l.session || amount == 0 ||
      offset < 1 || amount >= (ub8{1} << 31))
    return {};
  if (!session_alive(l.session)) return engine_error(ora::kNotConnected);
  Session& s = *l.session;
  const size_t old = l.in_row ? l.row_length : l.data.size();
  const size_t start = static_cast<size_t>(offset - 1);
  const bool in_place = start + amount <= old;
  const bool replace = start == 0 && amount >= old;
  if (!in_place && !replace) return {};
  // A short replacing write keeps the old value's tail: have it at hand.
  if (!in_place && old > 0) {
    if (OraError e = l.load()) return e;
  }
  if (OraError e = s.lock_for_write(l.owner, l.table, false)) return e;
  OraError e = open_stream(l, s, start, amount, in_place, streamed);
  // A refused write that changed nothing keeps no other session waiting.
  if (e) s.release_unused_write_lock();
  return e;
}

OraError open_stream(LobH& l, Session& s, size_t start, ub8 amount, bool in_place, bool& streamed) {
  const TableInfo* info = s.table(l.owner, l.table);
  if (!info || info->without_rowid) return {};
  if (OraError e = s.prepare_row_locks(*info)) return e;
  // Incremental I/O passes no triggers: the row is claimed here.
  if (OraError e = s.lock_rows({RowLocks::key(info->object_id, l.rowid)}, true, 0)) return e;
  auto stream = std::make_unique<LobH::Stream>();
  if (!in_place) {
    const std::string sql = "UPDATE " + quote_name(l.owner) + "." + quote_name(l.table) + " SET " +
                            quote_name(l.column) + " = zeroblob(?1) WHERE _rowid_ = ?2";
    sqlite3_stmt* st = nullptr;
    int rc = sqlite3_prepare_v2(s.db(), sql.c_str(), -1, &st, nullptr);
    if (rc == SQLITE_OK) {
      sqlite3_bind_int64(st, 1, static_cast<sqlite3_int64>(amount));
      sqlite3_bind_int64(st, 2, l.rowid);
      rc = sqlite3_step(st);
    }
    const int changed = rc == SQLITE_DONE ? sqlite3_changes(s.db()) : 0;
    OraError e = rc == SQLITE_DONE ? OraError{} : sqlite_error(s.db(), rc);
    sqlite3_finalize(st);
    if (e) {
      s.sync_after_error();
      return e;
    }
    if (changed == 0) return not_locked();
    s.note_write();
  }
  int rc = sqlite3_blob_open(s.db(), l.owner.c_str(), l.table.c_str(), l.column.c_str(), l.rowid, 1, &stream->blob);
  if (rc != SQLITE_OK) {
    OraError e = sqlite_error(s.db(), rc);
    if (!in_place) return e;  // the value was already resized: the statement fails
    return {};                // written the ordinary way
  }
  s.note_write();
  stream->start = stream->pos = start;
  stream->capacity = static_cast<size_t>(sqlite3_blob_bytes(stream->blob));
  stream->replaced = !in_place;
  l.stream = std::move(stream);
  l.reading = false;
  streamed = true;
  return {};
}

// The bytes a stream wrote, read back from the row, and what ran past it.
OraError streamed_bytes(const LobH::Stream& st, std::string& out) {
  out.assign(st.pos - st.start, '\0');
  if (!out.empty()) {
    int rc = sqlite3_blob_read(st.blob, out.data(), static_cast<int>(out.size()), static_cast<int>(st.start));
    if (rc != SQLITE_OK) return not_locked();
  }
  out += st.overflow;
  return {};
}

sword stream_piece(ErrorH* err, LobH* l, const void* bufp, ub8 buflen, ub1 piece, ub8& written) {
  LobH::Stream& st = *l->stream;
  const char* p = static_cast<const char*>(bufp);
  size_t n = static_cast<size_t>(buflen);
  const size_t fit = st.pos < st.capacity ? std::min(n, st.capacity - st.pos) : 0;
  if (fit > 0) {
    int rc = sqlite3_blob_write(st.blob, p, static_cast<int>(fit), static_cast<int>(st.pos));
    if (rc != SQLITE_OK) {
      // The row changed under the write (SQLITE_ABORT) or the write failed.
      OraError e = rc == SQLITE_ABORT ? not_locked()
                                      : sqlite_error(l->session->db(), rc);
      l->stream.reset();
      return record_error(err, e);
    }
    st.pos += fit;
  }
  st.overflow.append(p + fit, n - fit);
  if (piece != OCI_LAST_PIECE && piece != OCI_ONE_PIECE) {
    written = buflen;
    return OCI_NEED_DATA;
  }
  written = st.pos - st.start + st.overflow.size();
  const size_t end = st.pos;
  const bool exact = st.overflow.empty() && (!st.replaced || end == st.capacity);
  if (exact) {
    l->row_length = st.capacity;
    l->in_row = true;
    l->stream.reset();
    std::string().swap(l->data);
    return OCI_SUCCESS;
  }
  // Short of or past the announced amount: the value is written whole,
  // over what the row held before (a replaced value's old bytes were kept
  // in the locator when the write began).
  std::string bytes, base;
  OraError e = streamed_bytes(st, bytes);
  if (!e && st.replaced) {
    base = l->data;
  } else if (!e) {
    base.assign(st.capacity, '\0');
    if (sqlite3_blob_read(st.blob, base.data(), static_cast<int>(base.size()), 0) != SQLITE_OK)
      e = not_locked();
  }
  const size_t start = st.start;
  l->stream.reset();
  if (e) return record_error(err, e);
  if (OraError e2 = store(*l, overwrite(false, base, start + 1, std::move(bytes)))) return record_error(err, e2);
  return OCI_SUCCESS;
}

sword lob_write(ErrorH* err, LobH* l, const CharsetInfo& cs, ub8 offset, const void* bufp, ub8 buflen, ub1 piece,
                ub8 amount, ub8& written) {
  if (!l->filled || l->is_file) return record_error(err, engine_error(ora::kInvalidLobLocator));
  if (piece == OCI_FIRST_PIECE || piece == OCI_ONE_PIECE) {
    // A new write (one left unfinished is dropped).
    l->stream.reset();
    l->pending.clear();
  }
  if (piece == OCI_FIRST_PIECE) {
    bool streamed = false;
    if (OraError e = begin_stream(*l, offset, amount, streamed)) return record_error(err, e);
    // Gathered pieces: room for the announced amount at once.
    if (!streamed && amount > 0 && amount < (ub8{1} << 31)) l->pending.reserve(static_cast<size_t>(amount));
  }
  if (l->stream) return stream_piece(err, l, bufp, buflen, piece, written);
  l->pending.append(static_cast<const char*>(bufp), static_cast<size_t>(buflen));
  if (piece == OCI_FIRST_PIECE || piece == OCI_NEXT_PIECE) {
    written = buflen;
    return OCI_NEED_DATA;
  }
  std::string data = l->is_clob ? client_to_utf8(cs, l->pending) : std::move(l->pending);
  std::string().swap(l->pending);
  ub8 count = l->is_clob ? utf8_chars(data) : data.size();
  if (OraError e = l->load()) return record_error(err, e);
  if (OraError e = store(*l, overwrite(*l, offset, std::move(data)))) return record_error(err, e);
  written = count;
  return OCI_SUCCESS;
}

sword lob_trim(ErrorH* err, LobH* l, ub8 newlen) {
  if (!l->filled || l->is_file) return record_error(err, engine_error(ora::kInvalidLobLocator));
  l->stream.reset();
  if (OraError e = l->load()) return record_error(err, e);
  std::string v = l->data;
  size_t cut = l->is_clob ? utf8_pos(v, static_cast<size_t>(newlen)) : static_cast<size_t>(std::min<ub8>(newlen, v.size()));
  if (cut < v.size()) v.resize(cut);
  if (OraError e = store(*l, std::move(v))) return record_error(err, e);
  return OCI_SUCCESS;
}

}  // namespace

extern "C" {

sword OCILobWrite(OCISvcCtx* svchp, OCIError* errhp, OCILobLocator* locp, ub4* amtp, ub4 offset, void* bufp, ub4 buflen,
                  ub1 piece, void* ctxp, OCICallbackLobWrite cbfp, ub2, ub1) {
  auto* svc = as<SvcCtxH>(svchp, OCI_HTYPE_SVCCTX);
  auto* err = as<ErrorH>(errhp, OCI_HTYPE_ERROR);
  LobH* l = lob_of(locp);
  if (!svc || !err || !l || !amtp) return OCI_INVALID_HANDLE;
  clear_errors(err);
  ub8 written = 0;
  const ub8 amount = *amtp;
  sword rc = lob_write(err, l, svc->env->charset, offset, bufp, buflen, cbfp ? OCI_FIRST_PIECE : piece, amount, written);
  while (cbfp && rc == OCI_NEED_DATA) {
    ub4 len = buflen;
    ub1 next = OCI_NEXT_PIECE;
    if (cbfp(ctxp, bufp, &len, &next) != OCI_CONTINUE) next = OCI_LAST_PIECE;
    rc = lob_write(err, l, svc->env->charset, offset, bufp, len, next == OCI_LAST_PIECE ? OCI_LAST_PIECE : OCI_NEXT_PIECE,
                   amount, written);
  }
  if (rc == OCI_SUCCESS || rc == OCI_NEED_DATA) *amtp = static_cast<ub4>(written);
  return rc;
}

sword OCILobWrite2(OCISvcCtx* svchp, OCIError* errhp, OCILobLocator* locp, ub8* byte_amtp, ub8* char_amtp, ub8 offset,
                   void* bufp, ub8 buflen, ub1 piece, void*, OCICallbackLobWrite2 cbfp, ub2, ub1) {
  auto* svc = as<SvcCtxH>(svchp, OCI_HTYPE_SVCCTX);
  auto* err = as<ErrorH>(errhp, OCI_HTYPE_ERROR);
  LobH* l = lob_of(locp);
  if (!svc || !err || !l) return OCI_INVALID_HANDLE;
  clear_errors(err);
  if (cbfp) return record_error(err, OraError{3001, "ORA-03001: unimplemented feature: OCILobWrite2 with a callback"});
  ub8 written = 0;
  const ub8 amount = l->is_clob ? 0 : (byte_amtp ? *byte_amtp : 0);
  sword rc = lob_write(err, l, svc->env->charset, offset, bufp, buflen, piece, amount, written);
  if (rc == OCI_SUCCESS || rc == OCI_NEED_DATA) {
    if (byte_amtp) *byte_amtp = buflen;
    if (char_amtp) *char_amtp = written;
  }
  return rc;
}

sword OCILobTrim2(OCISvcCtx* svchp, OCIError* errhp, OCILobLocator* locp, ub8 newlen) {
  auto* err = as<ErrorH>(errhp, OCI_HTYPE_ERROR);
  LobH* l = lob_of(locp);
  if (!as<SvcCtxH>(svchp, OCI_HTYPE_SVCCTX) || !err || !l) return OCI_INVALID_HANDLE;
  clear_errors(err);
  return lob_trim(err, l, newlen);
}

sword OCILobTrim(OCISvcCtx* svchp, OCIError* errhp, OCILobLocator* locp, ub4 newlen) {
  return OCILobTrim2(svchp, errhp, locp, newlen);
}

sword OCILobRead(OCISvcCtx* svchp, OCIError* errhp, OCILobLocator* locp, ub4* amtp, ub4 offset, void* bufp, ub4 bufl,
                 void* ctxp, OCICallbackLobRead cbfp, ub2, ub1) {
  auto* svc = as<SvcCtxH>(svchp, OCI_HTYPE_SVCCTX);
  auto* err = as<ErrorH>(errhp, OCI_HTYPE_ERROR);
  LobH* l = adopt_catalog(svc, lob_of(locp));
  if (!svc || !err || !l || !amtp) return OCI_INVALID_HANDLE;
  clear_errors(err);
  ub8 done = 0;
  sword rc = lob_read(err, l, svc->env->charset, *amtp, offset, bufp, bufl, done, ctxp, cbfp);
  if (rc == OCI_SUCCESS || rc == OCI_NEED_DATA) *amtp = static_cast<ub4>(done);
  return rc;
}

sword OCILobRead2(OCISvcCtx* svchp, OCIError* errhp, OCILobLocator* locp, ub8* byte_amtp, ub8* char_amtp, ub8 offset,
                  void* bufp, ub8 bufl, ub1, void* ctxp, OCICallbackLobRead2 cbfp, ub2, ub1) {
  auto* svc = as<SvcCtxH>(svchp, OCI_HTYPE_SVCCTX);
  auto* err = as<ErrorH>(errhp, OCI_HTYPE_ERROR);
  LobH* l = adopt_catalog(svc, lob_of(locp));
  if (!svc || !err || !l) return OCI_INVALID_HANDLE;
  clear_errors(err);
  if (cbfp) return record_error(err, OraError{3001, "ORA-03001: unimplemented feature: OCILobRead2 with a callback"});
  ub8 amount = l->is_clob ? (char_amtp ? *char_amtp : 0) : (byte_amtp ? *byte_amtp : 0);
  ub8 done = 0;
  sword rc = lob_read(err, l, svc->env->charset, amount, offset, bufp, bufl, done, ctxp, nullptr);
  if (rc == OCI_SUCCESS || rc == OCI_NEED_DATA) {
    if (byte_amtp) *byte_amtp = done;
    if (char_amtp) *char_amtp = l->is_clob ? utf8_chars(client_to_utf8(svc->env->charset, std::string_view(static_cast<char*>(bufp), done))) : done;
  }
  return rc;
}

sword OCILobGetLength2(OCISvcCtx* svchp, OCIError* errhp, OCILobLocator* locp, ub8* lenp) {
  auto* svc = as<SvcCtxH>(svchp, OCI_HTYPE_SVCCTX);
  auto* err = as<ErrorH>(errhp, OCI_HTYPE_ERROR);
  LobH* l = adopt_catalog(svc, lob_of(locp));
  if (!svc || !err || !l || !lenp) return OCI_INVALID_HANDLE;
  clear_errors(err);
  if (!l->filled) return record_error(err, engine_error(ora::kInvalidLobLocator));
  if (l->is_file) {
    std::string bytes;
    if (OraError e = bfile_contents(*l, bytes)) return record_error(err, e);
    *lenp = bytes.size();
  } else {
    *lenp = l->in_row ? l->row_length : l->is_clob ? utf8_chars(l->data) : l->data.size();
  }
  return OCI_SUCCESS;
}

sword OCILobGetLength(OCISvcCtx* svchp, OCIError* errhp, OCILobLocator* locp, ub4* lenp) {
  if (!lenp) return OCI_INVALID_HANDLE;
  ub8 len = 0;
  sword rc = OCILobGetLength2(svchp, errhp, locp, &len);
  if (rc == OCI_SUCCESS) *lenp = static_cast<ub4>(len);
  return rc;
}

sword OCILobOpen(OCISvcCtx* svchp, OCIError* errhp, OCILobLocator* locp, ub1) {
  auto* err = as<ErrorH>(errhp, OCI_HTYPE_ERROR);
  auto* svc = as<SvcCtxH>(svchp, OCI_HTYPE_SVCCTX);
  LobH* l = adopt_catalog(svc, lob_of(locp));
  if (!svc || !err || !l) return OCI_INVALID_HANDLE;
  clear_errors(err);
  if (!l->filled) return record_error(err, engine_error(ora::kInvalidLobLocator));
  if (l->is_file) {
    std::string bytes;
    if (OraError e = bfile_contents(*l, bytes)) return record_error(err, e);
  }
  l->open = true;
  return OCI_SUCCESS;
}

sword OCILobClose(OCISvcCtx* svchp, OCIError* errhp, OCILobLocator* locp) {
  auto* err = as<ErrorH>(errhp, OCI_HTYPE_ERROR);
  LobH* l = lob_of(locp);
  if (!as<SvcCtxH>(svchp, OCI_HTYPE_SVCCTX) || !err || !l) return OCI_INVALID_HANDLE;
  clear_errors(err);
  l->open = false;
  l->reading = false;
  return OCI_SUCCESS;
}

sword OCILobIsOpen(OCISvcCtx* svchp, OCIError* errhp, OCILobLocator* locp, boolean* flag) {
  auto* err = as<ErrorH>(errhp, OCI_HTYPE_ERROR);
  LobH* l = lob_of(locp);
  if (!as<SvcCtxH>(svchp, OCI_HTYPE_SVCCTX) || !err || !l || !flag) return OCI_INVALID_HANDLE;
  clear_errors(err);
  *flag = l->open ? TRUE : FALSE;
  return OCI_SUCCESS;
}

sword OCILobFileOpen(OCISvcCtx* svchp, OCIError* errhp, OCILobLocator* filep, ub1 mode) {
  return OCILobOpen(svchp, errhp, filep, mode);
}

sword OCILobFileClose(OCISvcCtx* svchp, OCIError* errhp, OCILobLocator* filep) { return OCILobClose(svchp, errhp, filep); }

sword OCILobFileExists(OCISvcCtx* svchp, OCIError* errhp, OCILobLocator* filep, boolean* flag) {
  auto* err = as<ErrorH>(errhp, OCI_HTYPE_ERROR);
  auto* svc = as<SvcCtxH>(svchp, OCI_HTYPE_SVCCTX);
  auto* l = adopt_catalog(svc, as<LobH>(filep, OCI_DTYPE_FILE));
  if (!svc || !err || !l || !flag) return OCI_INVALID_HANDLE;
  clear_errors(err);
  std::string bytes;
  *flag = bfile_contents(*l, bytes) ? FALSE : TRUE;
  return OCI_SUCCESS;
}

static sword assign(OCIError* errhp, const OCILobLocator* src, OCILobLocator** dstpp) {
  auto* err = as<ErrorH>(errhp, OCI_HTYPE_ERROR);
  LobH* s = lob_of(src);
  if (!err || !s || !dstpp) return OCI_INVALID_HANDLE;
  clear_errors(err);
  LobH* d = *dstpp ? lob_of(*dstpp) : nullptr;
  if (!d) return record_error(err, engine_error(ora::kInvalidLobLocator));
  d->is_file = s->is_file;
  d->filled = s->filled;
  d->is_clob = s->is_clob;
  d->csform = s->csform;
  d->data = s->data;
  d->stream.reset();
  d->in_row = s->in_row;
  d->row_length = s->row_length;
  d->catalog = s->catalog;
  d->reading = false;
  d->open = false;
  d->session = s->session;
  d->owner = s->owner;
  d->table = s->table;
  d->column = s->column;
  d->rowid = s->rowid;
  d->logical_rowid = s->logical_rowid;
  d->addressable = s->addressable;
  d->temporary = s->temporary;
  d->pending.clear();
  return OCI_SUCCESS;
}

sword OCILobLocatorAssign(OCISvcCtx* svchp, OCIError* errhp, const OCILobLocator* src, OCILobLocator** dstpp) {
  if (!as<SvcCtxH>(svchp, OCI_HTYPE_SVCCTX)) return OCI_INVALID_HANDLE;
  return assign(errhp, src, dstpp);
}

sword OCILobAssign(OCIEnv* envhp, OCIError* errhp, const OCILobLocator* src, OCILobLocator** dstpp) {
  if (!as<EnvH>(envhp, OCI_HTYPE_ENV)) return OCI_INVALID_HANDLE;
  return assign(errhp, src, dstpp);
}

sword OCILobIsTemporary(OCIEnv* envhp, OCIError* errhp, OCILobLocator* locp, boolean* is_temporary) {
  auto* err = as<ErrorH>(errhp, OCI_HTYPE_ERROR);
  if (!as<EnvH>(envhp, OCI_HTYPE_ENV) || !err || !lob_of(locp) || !is_temporary) return OCI_INVALID_HANDLE;
  clear_errors(err);
  *is_temporary = lob_of(locp)->temporary ? TRUE : FALSE;
  return OCI_SUCCESS;
}

sword OCILobCharSetForm(OCIEnv* envhp, OCIError* errhp, const OCILobLocator* locp, ub1* csfrm) {
  auto* err = as<ErrorH>(errhp, OCI_HTYPE_ERROR);
  LobH* l = lob_of(locp);
  if (!as<EnvH>(envhp, OCI_HTYPE_ENV) || !err || !l || !csfrm) return OCI_INVALID_HANDLE;
  clear_errors(err);
  *csfrm = l->is_clob ? l->csform : 0;
  return OCI_SUCCESS;
}

sword OCILobCharSetId(OCIEnv* envhp, OCIError* errhp, const OCILobLocator* locp, ub2* csid) {
  auto* env = as<EnvH>(envhp, OCI_HTYPE_ENV);
  auto* err = as<ErrorH>(errhp, OCI_HTYPE_ERROR);
  LobH* l = lob_of(locp);
  if (!env || !err || !l || !csid) return OCI_INVALID_HANDLE;
  clear_errors(err);
  *csid = l->is_clob ? (l->csform == SQLCS_NCHAR ? 2000 : 873) : 0;
  return OCI_SUCCESS;
}

sword OCILobFileGetName(OCIEnv* envhp, OCIError* errhp, const OCILobLocator* filep, OraText* dir_alias, ub2* d_length,
                        OraText* filename, ub2* f_length) {
  auto* err = as<ErrorH>(errhp, OCI_HTYPE_ERROR);
  auto* l = as<LobH>(filep, OCI_DTYPE_FILE);
  if (!as<EnvH>(envhp, OCI_HTYPE_ENV) || !err || !l || !d_length || !f_length) return OCI_INVALID_HANDLE;
  clear_errors(err);
  std::string dir, file;
  if (!bfile_parts(*l, dir, file)) return record_error(err, engine_error(ora::kInvalidLobLocator));
  if (dir.size() > *d_length || file.size() > *f_length)
    return record_error(err, OraError{22289, "ORA-22289: cannot perform FILEGETNAME operation on an unopened file or LOB"});
  if (dir_alias) std::memcpy(dir_alias, dir.data(), dir.size());
  if (filename) std::memcpy(filename, file.data(), file.size());
  *d_length = static_cast<ub2>(dir.size());
  *f_length = static_cast<ub2>(file.size());
  return OCI_SUCCESS;
}

sword OCILobCreateTemporary(OCISvcCtx* svchp, OCIError* errhp, OCILobLocator* locp, ub2, ub1 csfrm, ub1 lobtype, boolean,
                            OCIDuration) {
  auto* svc = as<SvcCtxH>(svchp, OCI_HTYPE_SVCCTX);
  auto* err = as<ErrorH>(errhp, OCI_HTYPE_ERROR);
  auto* l = as<LobH>(locp, OCI_DTYPE_LOB);
  if (!svc || !err || !l) return OCI_INVALID_HANDLE;
  clear_errors(err);
  Session* s = session_of(svc);
  if (!s) return record_error(err, engine_error(ora::kNotConnected));
  if (lobtype != OCI_TEMP_BLOB && lobtype != OCI_TEMP_CLOB)
    return record_error(err, OraError{24801, "ORA-24801: illegal parameter value in OCI lob function"});
  l->is_file = l->open = l->reading = l->addressable = false;
  l->data.clear();
  l->pending.clear();
  l->stream.reset();
  l->in_row = false;
  l->owner.clear();
  l->table.clear();
  l->column.clear();
  l->rowid = 0;
  l->logical_rowid.clear();
  l->filled = true;
  l->temporary = true;
  l->is_clob = lobtype == OCI_TEMP_CLOB;
  l->csform = csfrm == SQLCS_NCHAR ? SQLCS_NCHAR : SQLCS_IMPLICIT;
  l->session = s;
  l->catalog = s->catalog_shared();
  return OCI_SUCCESS;
}

sword OCILobFreeTemporary(OCISvcCtx* svchp, OCIError* errhp, OCILobLocator* locp) {
  auto* err = as<ErrorH>(errhp, OCI_HTYPE_ERROR);
  auto* l = as<LobH>(locp, OCI_DTYPE_LOB);
  if (!as<SvcCtxH>(svchp, OCI_HTYPE_SVCCTX) || !err || !l) return OCI_INVALID_HANDLE;
  clear_errors(err);
  if (!l->temporary) return record_error(err, engine_error(ora::kInvalidLobLocator));
  l->temporary = l->filled = l->reading = false;
  std::string().swap(l->data);
  std::string().swap(l->client);
  return OCI_SUCCESS;
}

sword OCILobFileSetName(OCIEnv* envhp, OCIError* errhp, OCILobLocator** filepp, const OraText* dir_alias, ub2 d_length,
                        const OraText* filename, ub2 f_length) {
  auto* err = as<ErrorH>(errhp, OCI_HTYPE_ERROR);
  if (!as<EnvH>(envhp, OCI_HTYPE_ENV) || !err || !filepp) return OCI_INVALID_HANDLE;
  auto* l = as<LobH>(*filepp, OCI_DTYPE_FILE);
  if (!l) return OCI_INVALID_HANDLE;
  clear_errors(err);
  std::string dir = dir_alias ? std::string(reinterpret_cast<const char*>(dir_alias), d_length) : std::string();
  std::string file = filename ? std::string(reinterpret_cast<const char*>(filename), f_length) : std::string();
  // Oracle's limits: 30 bytes for the alias, 255 for the name.
  if (dir.empty() || dir.size() > 30 || dir.find('/') != std::string::npos)
    return record_error(err, OraError{22285, "ORA-22285: non-existent directory or file for FILEOPEN operation"});
  if (file.empty() || file.size() > 255)
    return record_error(err, OraError{22288, "ORA-22288: file or LOB operation FILEOPEN failed\nNo such file or directory"});
  l->data = "BFILE:" + dir + "/" + file;
  l->in_row = false;
  l->filled = true;
  l->is_clob = false;
  l->reading = l->open = false;
  return OCI_SUCCESS;
}

// Copies `amount` bytes of a BFILE from `src_offset` into a LOB at
// `dst_offset` (bytes for a BLOB, characters for a CLOB, whose file is
// taken as UTF-8 text).
sword OCILobLoadFromFile(OCISvcCtx* svchp, OCIError* errhp, OCILobLocator* dst_locp, OCILobLocator* src_filep, ub4 amount,
                         ub4 dst_offset, ub4 src_offset) {
  auto* svc = as<SvcCtxH>(svchp, OCI_HTYPE_SVCCTX);
  auto* err = as<ErrorH>(errhp, OCI_HTYPE_ERROR);
  auto* dst = as<LobH>(dst_locp, OCI_DTYPE_LOB);
  auto* src = adopt_catalog(svc, as<LobH>(src_filep, OCI_DTYPE_FILE));
  if (!svc || !err || !dst || !src) return OCI_INVALID_HANDLE;
  clear_errors(err);
  if (!src->filled || !dst->filled) return record_error(err, engine_error(ora::kInvalidLobLocator));
  if (dst_offset < 1 || src_offset < 1)
    return record_error(err, OraError{24801, "ORA-24801: illegal parameter value in OCI lob function"});
  std::string bytes;
  if (OraError e = bfile_contents(*src, bytes)) return record_error(err, e);
  size_t from = src_offset - 1;
  if (from > bytes.size() || amount > bytes.size() - from)
    return record_error(err, OraError{22993, "ORA-22993: specified input amount is greater than actual source amount"});
  std::string piece = bytes.substr(from, amount);
  dst->stream.reset();
  if (OraError e = dst->load()) return record_error(err, e);
  if (OraError e = store(*dst, overwrite(*dst, dst_offset, std::move(piece)))) return record_error(err, e);
  return OCI_SUCCESS;
}

sword OCILobGetChunkSize(OCISvcCtx* svchp, OCIError* errhp, OCILobLocator* locp, ub4* chunksizep) {
  auto* err = as<ErrorH>(errhp, OCI_HTYPE_ERROR);
  if (!as<SvcCtxH>(svchp, OCI_HTYPE_SVCCTX) || !err || !lob_of(locp) || !chunksizep) return OCI_INVALID_HANDLE;
  clear_errors(err);
  *chunksizep = 8132;
  return OCI_SUCCESS;
}

}  // extern "C"
