// LOB speed of the stand-in client: a 100 MB file uploaded into a BLOB with
// OCILobWrite in 4096-byte pieces (first/next/last, as Kestrel uploads) and
// committed, then read back with OCILobRead in 4096-byte pieces (amount
// 1073741824, as Kestrel downloads) into a new file; against `cp` of the
// same file in the same run. Goal: at most 3x. The ratio is printed at the end.
#include <benchmark/benchmark.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>
#include <string>
#include <vector>

#include "catalog/catalog.h"
#include "oci/oci_abi.h"

namespace {

namespace fs = std::filesystem;

constexpr size_t kBytes = 100u << 20;
constexpr ub4 kPiece = 4096;

struct Bench {
  fs::path folder, source, copy, download;
  double ocilite_seconds = std::numeric_limits<double>::max(), cp_seconds = std::numeric_limits<double>::max();
};

void die(const char* what) {
  std::fprintf(stderr, "lob_bench: %s\n", what);
  std::exit(1);
}

Bench& bench() {
  static Bench b = [] {
    Bench b;
    b.folder = fs::temp_directory_path() / "ocilite-lob-bench";
    fs::remove_all(b.folder);
    fs::create_directories(b.folder);
    b.source = b.folder / "source.bin";
    b.copy = b.folder / "copy.bin";
    b.download = b.folder / "download.bin";
    std::vector<char> chunk(1 << 20);
    unsigned x = 12345;
    std::ofstream out(b.source, std::ios::binary);
    for (size_t done = 0; done < kBytes; done += chunk.size()) {
      for (char& c : chunk) c = static_cast<char>((x = x * 1103515245u + 12345u) >> 24);
      out.write(chunk.data(), static_cast<std::streamsize>(chunk.size()));
    }
    out.close();
    fs::path db = b.folder / "db";
    if (ocilite::Catalog::create(db)) die("create database");
    std::shared_ptr<ocilite::Catalog> cat;
    if (ocilite::Catalog::open(db, cat)) die("open database");
    ocilite::UserOptions o;
    o.password = "bench";
    if (cat->add_user("BENCH", o)) die("add user");
    return b;
  }();
  return b;
}

struct Session {
  OCIEnv* env = nullptr;
  OCIError* err = nullptr;
  OCISvcCtx* svc = nullptr;
  explicit Session(const fs::path& folder) {
    if (OCIEnvCreate(&env, OCI_THREADED, nullptr, nullptr, nullptr, nullptr, 0, nullptr) != OCI_SUCCESS) die("env");
    OCIHandleAlloc(env, reinterpret_cast<void**>(&err), OCI_HTYPE_ERROR, 0, nullptr);
    const std::string db = folder.string();
    if (OCILogon(env, err, &svc, reinterpret_cast<const OraText*>("bench"), 5,
                 reinterpret_cast<const OraText*>("bench"), 5, reinterpret_cast<const OraText*>(db.data()),
                 static_cast<ub4>(db.size())) != OCI_SUCCESS)
      fail("logon");
  }
  ~Session() {
    OCILogoff(svc, err);
    OCIHandleFree(err, OCI_HTYPE_ERROR);
    OCIHandleFree(env, OCI_HTYPE_ENV);
  }
  [[noreturn]] void fail(const char* what) {
    char buf[1024] = "";
    sb4 code = 0;
    OCIErrorGet(err, 1, nullptr, &code, reinterpret_cast<OraText*>(buf), sizeof buf, OCI_HTYPE_ERROR);
    std::fprintf(stderr, "lob_bench: %s: %s\n", what, buf);
    std::exit(1);
  }
  void exec(const char* sql) {
    OCIStmt* st = nullptr;
    OCIHandleAlloc(env, reinterpret_cast<void**>(&st), OCI_HTYPE_STMT, 0, nullptr);
    if (OCIStmtPrepare(st, err, reinterpret_cast<const OraText*>(sql), static_cast<ub4>(std::strlen(sql)),
                       OCI_NTV_SYNTAX, OCI_DEFAULT) != OCI_SUCCESS ||
        OCIStmtExecute(svc, st, err, 1, 0, nullptr, nullptr, OCI_DEFAULT) != OCI_SUCCESS)
      fail(sql);
    OCIHandleFree(st, OCI_HTYPE_STMT);
  }
  // The BLOB locator of the one row, fetched `for update` when writing.
  void select(const char* sql, OCILobLocator* loc) {
    OCIStmt* st = nullptr;
    OCIDefine* def = nullptr;
    OCIHandleAlloc(env, reinterpret_cast<void**>(&st), OCI_HTYPE_STMT, 0, nullptr);
    if (OCIStmtPrepare(st, err, reinterpret_cast<const OraText*>(sql), static_cast<ub4>(std::strlen(sql)),
                       OCI_NTV_SYNTAX, OCI_DEFAULT) != OCI_SUCCESS ||
        OCIDefineByPos(st, &def, err, 1, &loc, sizeof loc, SQLT_BLOB, nullptr, nullptr, nullptr, OCI_DEFAULT) !=
            OCI_SUCCESS ||
        OCIStmtExecute(svc, st, err, 1, 0, nullptr, nullptr, OCI_DEFAULT) != OCI_SUCCESS)
      fail(sql);
    OCIHandleFree(st, OCI_HTYPE_STMT);
  }
};

void BM_OciliteBlobUploadDownload(benchmark::State& state) {
  Bench& b = bench();
  Session s(b.folder / "db");
  s.exec("create table blobs (id number primary key, b blob)");
  std::vector<char> buf(kPiece);
  for (auto _ : state) {
    const auto t0 = std::chrono::steady_clock::now();
    s.exec("delete from blobs");
    s.exec("insert into blobs values (1, empty_blob())");
    OCILobLocator* loc = nullptr;
    OCIDescriptorAlloc(s.env, reinterpret_cast<void**>(&loc), OCI_DTYPE_LOB, 0, nullptr);
    s.select("select b from blobs where id = 1 for update", loc);
    std::ifstream in(b.source, std::ios::binary);
    ub4 amount = static_cast<ub4>(kBytes);
    size_t sent = 0;
    sword rc = OCI_NEED_DATA;
    while (sent < kBytes) {
      in.read(buf.data(), kPiece);
      const ub4 n = static_cast<ub4>(in.gcount());
      const ub1 piece = sent == 0 ? OCI_FIRST_PIECE : sent + n >= kBytes ? OCI_LAST_PIECE : OCI_NEXT_PIECE;
      rc = OCILobWrite(s.svc, s.err, loc, &amount, 1, buf.data(), n, piece, nullptr, nullptr, 0, 0);
      if (rc != OCI_NEED_DATA && rc != OCI_SUCCESS) s.fail("write");
      sent += n;
    }
    if (rc != OCI_SUCCESS) s.fail("the last piece");
    if (OCITransCommit(s.svc, s.err, OCI_DEFAULT) != OCI_SUCCESS) s.fail("commit");
    OCIDescriptorFree(loc, OCI_DTYPE_LOB);
    OCIDescriptorAlloc(s.env, reinterpret_cast<void**>(&loc), OCI_DTYPE_LOB, 0, nullptr);
    s.select("select b from blobs where id = 1", loc);
    std::ofstream out(b.download, std::ios::binary | std::ios::trunc);
    size_t got = 0;
    for (;;) {
      ub4 amt = 1073741824;
      rc = OCILobRead(s.svc, s.err, loc, &amt, 1, buf.data(), kPiece, nullptr, nullptr, 0, 0);
      if (rc != OCI_NEED_DATA && rc != OCI_SUCCESS) s.fail("read");
      out.write(buf.data(), amt);
      got += amt;
      if (rc == OCI_SUCCESS) break;
    }
    out.close();
    OCIDescriptorFree(loc, OCI_DTYPE_LOB);
    if (got != kBytes) die("wrong size read back");
    const double secs = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    b.ocilite_seconds = std::min(b.ocilite_seconds, secs);
    state.SetIterationTime(secs);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(kBytes));
}

void BM_Cp(benchmark::State& state) {
  Bench& b = bench();
  const std::string cmd = "cp '" + b.source.string() + "' '" + b.copy.string() + "'";
  for (auto _ : state) {
    fs::remove(b.copy);
    const auto t0 = std::chrono::steady_clock::now();
    const int rc = std::system(cmd.c_str());
    if (!WIFEXITED(rc) || WEXITSTATUS(rc) != 0) die("cp failed");
    const double secs = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    b.cp_seconds = std::min(b.cp_seconds, secs);
    state.SetIterationTime(secs);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(kBytes));
}

BENCHMARK(BM_OciliteBlobUploadDownload)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Cp)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  setenv("NLS_LANG", "AMERICAN_AMERICA.AL32UTF8", 1);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  Bench& b = bench();
  if (b.ocilite_seconds < std::numeric_limits<double>::max() && b.cp_seconds < std::numeric_limits<double>::max()) {
    const double ratio = b.ocilite_seconds / b.cp_seconds;
    std::printf("100 MB BLOB write + read back in 4096-byte pieces: %.3f s; cp: %.3f s; ratio %.2fx (goal <= 3x)\n",
                b.ocilite_seconds, b.cp_seconds, ratio);
  }
  fs::remove_all(b.folder);
  return 0;
}
