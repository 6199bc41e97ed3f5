// LOB and BFILE contents: cell texts, the whole CLOB for editing, download
// to and upload from files.
#include "oci/oci_lob.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "oci/oci_codes.h"
#include "oci/oci_cursor_p.h"
#include "oci/oci_library.h"
#include "oci/oci_lob_p.h"
#include "platform/client_text.h"
#include "platform/format.h"
#include "platform/ui_services.h"
#include "platform/utf16.h"

using kestrel::OciMsgBuf;
using kestrel::oci_fn;

namespace kestrel {

std::u16string oci_lob_size_text(uint64_t bytes) {
  constexpr uint64_t kKilo = 1024, kMega = 1048576, kGiga = 1073741824;
  auto n = [](uint64_t v) { return static_cast<long long>(v); };
  if (bytes < kKilo) return format(u"%dbyte", {n(bytes)});
  if (bytes < kMega) return format(u"%dkbyte", {n(bytes / kKilo)});
  if (bytes < kGiga) return format(u"%dMbyte", {n(bytes / kMega)});
  return format(u"%dGbyte", {n(bytes / kGiga)});
}

uint32_t oci_clob_chars_to_read(uint32_t aux_size, uint32_t code_page) {
  if (aux_size == 0) return 0;
  return code_page == 65001 ? (aux_size - 1) / 4 : (aux_size - 1) / 2;
}

std::u16string oci_blob_cell_text(uint64_t bytes) { return format(u"<BLOB %s>", {oci_lob_size_text(bytes)}); }

std::u16string oci_bfile_cell_text(std::u16string_view dir_alias, std::u16string_view file_name,
                                   std::u16string_view size_text) {
  return format(u"<BFILE dir_alias:%s file_name:%s %s>", {dir_alias, file_name, size_text});
}

int oci_parse_bfile_text(std::u16string_view text, OciBfileName* out, OciMsgBuf msg) {
  static constexpr std::u16string_view kHead = u"<BFILE dir_alias:";
  static constexpr std::u16string_view kName = u" file_name:";
  auto bad = [&]() {
    msg.set(format(kMsgInternal, {u"BFILE: <BFILE dir_alias:ALIAS file_name:FILE SIZE>"}));
    return kOciInternal;
  };
  if (!out) return kOciInternal;
  if (text.size() < kHead.size() + kName.size() + 1 || text.substr(0, kHead.size()) != kHead || text.back() != u'>')
    return bad();
  std::u16string_view body = text.substr(kHead.size(), text.size() - kHead.size() - 1);
  const std::size_t name_at = body.find(kName);
  if (name_at == std::u16string_view::npos || name_at == 0) return bad();
  std::u16string_view alias = body.substr(0, name_at);
  std::u16string_view rest = body.substr(name_at + kName.size());
  // The size text ("12kbyte", "not found") follows the file name after a
  // blank; a file name may itself hold blanks, so cut at the known endings.
  std::u16string_view name;
  static constexpr std::u16string_view kNotFound = u" not found";
  if (rest.size() > kNotFound.size() && rest.substr(rest.size() - kNotFound.size()) == kNotFound) {
    name = rest.substr(0, rest.size() - kNotFound.size());
  } else {
    const std::size_t blank = rest.rfind(u' ');
    if (blank == std::u16string_view::npos) return bad();
    name = rest.substr(0, blank);
  }
  if (name.empty() || alias.find(u' ') != std::u16string_view::npos) return bad();
  if (oci_wide_to_mb(alias).size() > kBfileAliasMax || oci_wide_to_mb(name).size() > kBfileNameMax) return bad();
  out->dir_alias = std::u16string(alias);
  out->file_name = std::u16string(name);
  return kOciOk;
}

}  // namespace kestrel

namespace kestrel::oci_lob_detail {

int oracle_failure(OciSession* s, const char16_t* header, OciMsgBuf msg) {
  char16_t text[kOracleTextMax + 2] = {};
  oci_get_error_text(s, OciMsgBuf(text));
  oci_write_log(s, header);
  oci_write_log(s, u"%s\n", {std::u16string_view(text)});
  msg.set(text);
  return kOciOracleError;
}

}  // namespace kestrel::oci_lob_detail

namespace {

using namespace kestrel;
using oci_lob_detail::oracle_failure;

constexpr char16_t kLogReadClob[] = u"\n---\nerror in oci_read_clob_data:\n";
constexpr char16_t kLogDownload[] = u"\n---\nerror in oci_hlob_download:\n";
constexpr char16_t kLogUpload[] = u"\n---\nerror in oci_hlob_upload:\n";
constexpr char16_t kLogLobSize[] = u"\n---\nerror in oci_get_lob_size:\n";
constexpr char16_t kLogGetName[] = u"\n---\nerror in oci_hlob_get_name:\n";

int no_memory(OciMsgBuf msg) {
  ui().message_box(kMsgNoMemory, u"ERROR", mb::OK);
  msg.set(kMsgNoMemory);
  return kOciNoMemory;
}

int file_open_failed(std::u16string_view path, OciMsgBuf msg) {
  msg.set(format(kMsgFileOpen, {path}));
  return kOciFileOpen;
}

struct FileCloser {
  void operator()(std::FILE* f) const {
    if (f) std::fclose(f);
  }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

// A file written under a temporary name beside its target; it becomes the
// target only on commit(), and is removed otherwise.
class PendingFile {
 public:
  explicit PendingFile(std::string target) : target_(std::move(target)) {}
  ~PendingFile() {
    file_.reset();
    if (!temp_.empty()) ::unlink(temp_.c_str());
  }
  bool open() {
    std::string pattern = target_ + ".partXXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    int fd = ::mkstemp(name.data());
    if (fd < 0) return false;
    temp_ = name.data();
    ::fchmod(fd, 0666 & ~current_umask());
    file_.reset(::fdopen(fd, "wb"));
    if (!file_) ::close(fd);
    return file_ != nullptr;
  }
  bool write(const void* data, std::size_t n) { return n == 0 || std::fwrite(data, 1, n, file_.get()) == n; }
  bool commit() {
    std::FILE* f = file_.release();
    if (std::fflush(f) != 0 || ::fsync(::fileno(f)) != 0) {
      std::fclose(f);
      return false;
    }
    if (std::fclose(f) != 0) return false;
    if (::rename(temp_.c_str(), target_.c_str()) != 0) return false;
    temp_.clear();
    return true;
  }

 private:
  static mode_t current_umask() {
    mode_t m = ::umask(0);
    ::umask(m);
    return m;
  }
  std::string target_;
  std::string temp_;
  File file_;
};

}  // namespace

int oci_hlob_get_name(OciSession* s, const OCILobLocator* locator, std::u16string* dir_alias,
                      std::u16string* file_name, OciMsgBuf msg) {
  if (!s || !locator || !dir_alias || !file_name) return kOciInternal;
  OraText alias[kBfileAliasMax + 1] = {};
  OraText name[kBfileNameMax + 1] = {};
  ub2 alias_len = static_cast<ub2>(kBfileAliasMax), name_len = static_cast<ub2>(kBfileNameMax);
  if (oci_fn().OCILobFileGetName(oci_process().env, s->err, locator, alias, &alias_len, name, &name_len) !=
      OCI_SUCCESS)
    return oracle_failure(s, kLogGetName, msg);
  alias_len = std::min<ub2>(alias_len, static_cast<ub2>(kBfileAliasMax));
  name_len = std::min<ub2>(name_len, static_cast<ub2>(kBfileNameMax));
  *dir_alias = oci_mb_to_wide(std::string_view(reinterpret_cast<const char*>(alias), alias_len));
  *file_name = oci_mb_to_wide(std::string_view(reinterpret_cast<const char*>(name), name_len));
  return kOciOk;
}

int oci_read_clob_data(OciSession* s, OciTextSink* sink, const OciLobHeader* lob, OciMsgBuf msg) {
  if (!s || !sink || !lob) return kOciInternal;
  if (lob->null_flag || !lob->locator) return kOciOk;
  // Fixed pieces rather than one buffer sized from the length: a large CLOB
  // never needs a size that overflows, and memory stays bounded.
  constexpr ub4 kPiece = 64 * 1024;
  std::unique_ptr<char[]> buf(new (std::nothrow) char[kPiece + 8]);
  if (!buf) return no_memory(msg);
  std::string carry;  // bytes of a character split between two pieces
  ub4 amount = 0;     // 0: stream to the end
  for (;;) {
    std::memset(buf.get(), 0, kPiece + 1);
    sword rc = oci_fn().OCILobRead(s->svc, s->err, lob->locator, &amount, 1, buf.get(), kPiece, nullptr, nullptr,
                                   lob->csid, lob->form);
    if (rc != OCI_SUCCESS && rc != OCI_NEED_DATA) return oracle_failure(s, kLogReadClob, msg);
    carry.append(buf.get(), strnlen(buf.get(), kPiece));
    const std::size_t whole = rc == OCI_NEED_DATA ? oci_char_boundary(carry, carry.size()) : carry.size();
    if (whole > 0 && !sink->append_text(oci_mb_to_wide(std::string_view(carry).substr(0, whole)))) {
      if (rc == OCI_NEED_DATA) {
        oci_fn().OCIBreak(s->svc, s->err);
        oci_fn().OCIReset(s->svc, s->err);
      }
      return no_memory(msg);
    }
    carry.erase(0, whole);
    if (rc == OCI_SUCCESS) break;
  }
  sink->reset_undo();
  return kOciOk;
}

int oci_hlob_download(OciSession* s, const OciLobHeader* lob, std::u16string_view path, OciMsgBuf msg,
                      CancelFlag* cancel) {
  if (!s || !lob) return kOciInternal;
  const auto& fn = oci_fn();
  const bool bfile = lob->define_type == SQLT_BFILEE;
  if (lob->null_flag || !lob->locator) {
    // Nothing stored: an empty file.
    PendingFile out(utf16_to_utf8(path));
    if (!out.open()) return file_open_failed(path, msg);
    if (!out.commit()) return file_open_failed(path, msg);
    return kOciOk;
  }
  if (bfile && fn.OCILobOpen(s->svc, s->err, lob->locator, OCI_LOB_READONLY) != OCI_SUCCESS)
    return oracle_failure(s, kLogDownload, msg);
  auto close_bfile = [&]() {
    return !bfile || fn.OCILobClose(s->svc, s->err, lob->locator) == OCI_SUCCESS;
  };
  PendingFile out(utf16_to_utf8(path));
  if (!out.open()) {
    close_bfile();
    return file_open_failed(path, msg);
  }
  unsigned char buf[kLobPieceBytes + 1];
  const bool clob = lob->define_type == SQLT_CLOB;
  ub4 amount = 1073741824;
  for (;;) {
    if (clob) std::memset(buf, 0, sizeof buf);
    sword rc = fn.OCILobRead(s->svc, s->err, lob->locator, &amount, 1, buf, kLobPieceBytes, nullptr, nullptr,
                             lob->csid, lob->form);
    if (rc != OCI_SUCCESS && rc != OCI_NEED_DATA) {
      int result = oracle_failure(s, kLogLobSize, msg);
      close_bfile();
      return result;
    }
    std::size_t n = clob ? strnlen(reinterpret_cast<const char*>(buf), kLobPieceBytes)
                         : std::min<std::size_t>(amount, kLobPieceBytes);
    if (!out.write(buf, n)) {
      if (rc == OCI_NEED_DATA) {
        fn.OCIBreak(s->svc, s->err);
        fn.OCIReset(s->svc, s->err);
      }
      close_bfile();
      return file_open_failed(path, msg);
    }
    if (rc == OCI_SUCCESS) break;
    if (oci_detail::cancel_requested(cancel)) {
      fn.OCIBreak(s->svc, s->err);
      fn.OCIReset(s->svc, s->err);
      close_bfile();
      msg.set(kMsgCancelled);
      return kOciCancelled;
    }
  }
  if (!close_bfile()) return oracle_failure(s, kLogDownload, msg);
  if (!out.commit()) return file_open_failed(path, msg);
  return kOciOk;
}

int oci_hlob_upload(OciSession* s, const OciLobHeader* lob, std::u16string_view path, OciMsgBuf msg) {
  if (!s || !lob) return kOciInternal;
  if (path.empty()) return kOciOk;
  const auto& fn = oci_fn();
  File in(std::fopen(utf16_to_utf8(path).c_str(), "rb"));
  if (!in) return file_open_failed(path, msg);
  struct stat st {};
  if (::fstat(::fileno(in.get()), &st) != 0 || !S_ISREG(st.st_mode)) return file_open_failed(path, msg);
  const uint64_t size = static_cast<uint64_t>(st.st_size);
  if (size > 0xFFFFFFFFull) {
    msg.set(format(kMsgBadLength, {path}));
    return kOciBadLength;
  }
  if (!lob->locator) return kOciInternal;
  ub4 current = 0;
  if (fn.OCILobGetLength(s->svc, s->err, lob->locator, &current) != OCI_SUCCESS)
    return oracle_failure(s, kLogUpload, msg);
  if (current > 0 && fn.OCILobTrim(s->svc, s->err, lob->locator, 0) != OCI_SUCCESS)
    return oracle_failure(s, kLogUpload, msg);
  if (size == 0) return kOciOk;

  unsigned char buf[kLobPieceBytes];
  uint64_t done = 0;
  bool first = true;
  while (done < size) {
    std::size_t n = std::fread(buf, 1, kLobPieceBytes, in.get());
    done += n;
    // A file that shrank while read still ends the piecewise write cleanly.
    const bool last = done >= size || n == 0;
    ub1 piece = first ? (last ? OCI_ONE_PIECE : OCI_FIRST_PIECE) : (last ? OCI_LAST_PIECE : OCI_NEXT_PIECE);
    ub4 amount = static_cast<ub4>(size);
    sword rc = fn.OCILobWrite(s->svc, s->err, lob->locator, &amount, 1, buf, static_cast<ub4>(n), piece, nullptr,
                              nullptr, lob->csid, lob->form);
    if (rc != OCI_SUCCESS && rc != OCI_NEED_DATA) return oracle_failure(s, kLogUpload, msg);
    first = false;
    if (last) break;
  }
  if (std::ferror(in.get())) return file_open_failed(path, msg);
  return kOciOk;
}
