// Fetch speed of the stand-in client: 1,000,000 rows x 8 columns selected
// through the OCI C ABI with 400-row array fetches into C text buffers (as
// Kestrel fetches), against the sqlite3 shell printing the same rows from
// the same file to /dev/null. Goal: at most 1.5x the shell's time. Both run
// in this one process run; the ratio is printed at the end.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <limits>
#include <string>
#include <vector>

#include "catalog/catalog.h"
#include "oci/oci_abi.h"

namespace {

namespace fs = std::filesystem;

constexpr int kRows = 1'000'000;
constexpr ub4 kArrayRows = 400;
constexpr int kCols = 8;
constexpr const char* kSelect = "select id, code, name, amount, qty, category, created, note from big";

struct Db {
  fs::path folder;
  // The best of the iterations of each side.
  double ocilite_seconds = std::numeric_limits<double>::max(), shell_seconds = std::numeric_limits<double>::max();
  // CPU seconds (user + system) of the same best runs: steadier than wall
  // time on a machine shared with other work.
  double ocilite_cpu = std::numeric_limits<double>::max(), shell_cpu = std::numeric_limits<double>::max();
};

void die(const char* what) {
  std::fprintf(stderr, "ocilite_bench: %s\n", what);
  std::exit(1);
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
    std::fprintf(stderr, "ocilite_bench: %s: %s\n", what, buf);
    std::exit(1);
  }
  void exec(const char* sql) {
    OCIStmt* st = nullptr;
    OCIHandleAlloc(env, reinterpret_cast<void**>(&st), OCI_HTYPE_STMT, 0, nullptr);
    if (OCIStmtPrepare(st, err, reinterpret_cast<const OraText*>(sql), static_cast<ub4>(std::strlen(sql)),
                       OCI_NTV_SYNTAX, OCI_DEFAULT) != OCI_SUCCESS ||
        OCIStmtExecute(svc, st, err, 1, 0, nullptr, nullptr, OCI_COMMIT_ON_SUCCESS) != OCI_SUCCESS)
      fail(sql);
    OCIHandleFree(st, OCI_HTYPE_STMT);
  }
};

// A database with one table BIG of kRows rows, made through the ABI.
Db& db() {
  static Db d = [] {
    Db d;
    d.folder = fs::temp_directory_path() / "ocilite-bench-db";
    fs::remove_all(d.folder);
    if (ocilite::Catalog::create(d.folder)) die("create database");
    std::shared_ptr<ocilite::Catalog> cat;
    if (ocilite::Catalog::open(d.folder, cat)) die("open database");
    ocilite::UserOptions o;
    o.password = "bench";
    if (cat->add_user("BENCH", o)) die("add user");
    cat.reset();
    Session s(d.folder);
    s.exec(
        "create table big (id number(9) primary key, code varchar2(12) not null, name varchar2(40 char), "
        "amount number(12,2), qty number(6), category number(2), created date, note varchar2(100))");
    const std::string fill =
        "insert into big (id, code, name, amount, qty, category, created, note) "
        "with n (i) as (select 1 from dual union all select i + 1 from n where i < " +
        std::to_string(kRows) +
        ") "
        "select i, 'B' || i, '商品 ' || i, mod(i * 7919, 10000000) / 100, mod(i, 997), mod(i, 10), "
        "to_date('2020-01-01', 'YYYY-MM-DD') + mod(i, 1500), 'note ' || i from n";
    s.exec(fill.c_str());
    return d;
  }();
  return d;
}

double process_cpu() {
  timespec ts{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
  return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

double children_cpu() {
  rusage ru{};
  getrusage(RUSAGE_CHILDREN, &ru);
  auto secs = [](const timeval& tv) { return static_cast<double>(tv.tv_sec) + static_cast<double>(tv.tv_usec) / 1e6; };
  return secs(ru.ru_utime) + secs(ru.ru_stime);
}

void BM_OciliteArrayFetch(benchmark::State& state) {
  Db& d = db();
  Session s(d.folder);
  struct Column {
    std::vector<char> data;
    std::vector<sb2> ind;
    std::vector<ub2> len;
  };
  constexpr sb4 kWidth = 64;
  std::vector<Column> cols(kCols);
  for (auto& c : cols) {
    c.data.resize(kWidth * kArrayRows);
    c.ind.resize(kArrayRows);
    c.len.resize(kArrayRows);
  }
  long rows = 0;
  for (auto _ : state) {
    const auto t0 = std::chrono::steady_clock::now();
    const double cpu0 = process_cpu();
    OCIStmt* st = nullptr;
    OCIHandleAlloc(s.env, reinterpret_cast<void**>(&st), OCI_HTYPE_STMT, 0, nullptr);
    if (OCIStmtPrepare(st, s.err, reinterpret_cast<const OraText*>(kSelect), static_cast<ub4>(std::strlen(kSelect)),
                       OCI_NTV_SYNTAX, OCI_DEFAULT) != OCI_SUCCESS ||
        OCIStmtExecute(s.svc, st, s.err, 0, 0, nullptr, nullptr, OCI_DEFAULT) != OCI_SUCCESS)
      s.fail("select");
    for (int i = 0; i < kCols; ++i) {
      OCIDefine* def = nullptr;
      if (OCIDefineByPos(st, &def, s.err, static_cast<ub4>(i + 1), cols[i].data.data(), kWidth, SQLT_STR,
                         cols[i].ind.data(), cols[i].len.data(), nullptr, OCI_DEFAULT) != OCI_SUCCESS)
        s.fail("define");
    }
    rows = 0;
    for (;;) {
      const sword rc = OCIStmtFetch2(st, s.err, kArrayRows, OCI_FETCH_NEXT, 0, OCI_DEFAULT);
      if (rc != OCI_SUCCESS && rc != OCI_NO_DATA) s.fail("fetch");
      ub4 got = 0;
      OCIAttrGet(st, OCI_HTYPE_STMT, &got, nullptr, OCI_ATTR_ROWS_FETCHED, s.err);
      rows += got;
      benchmark::DoNotOptimize(cols[0].data.data());
      if (rc == OCI_NO_DATA || got < kArrayRows) break;
    }
    OCIHandleFree(st, OCI_HTYPE_STMT);
    const double secs = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    d.ocilite_seconds = std::min(d.ocilite_seconds, secs);
    d.ocilite_cpu = std::min(d.ocilite_cpu, process_cpu() - cpu0);
    state.SetIterationTime(secs);
  }
  if (rows != kRows) die("wrong row count from ocilite");
  state.counters["rows"] = static_cast<double>(rows);
}

void BM_Sqlite3Shell(benchmark::State& state) {
  Db& d = db();
  const std::string cmd = std::string(SQLITE3_SHELL) + " -readonly '" + (d.folder / "BENCH.db").string() +
                          "' 'SELECT ID, CODE, NAME, AMOUNT, QTY, CATEGORY, CREATED, NOTE FROM BIG' > /dev/null";
  for (auto _ : state) {
    const auto t0 = std::chrono::steady_clock::now();
    const double cpu0 = children_cpu();
    const int rc = std::system(cmd.c_str());
    if (!WIFEXITED(rc) || WEXITSTATUS(rc) != 0) die("sqlite3 shell failed");
    const double secs = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    d.shell_seconds = std::min(d.shell_seconds, secs);
    d.shell_cpu = std::min(d.shell_cpu, children_cpu() - cpu0);
    state.SetIterationTime(secs);
  }
}

BENCHMARK(BM_OciliteArrayFetch)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Sqlite3Shell)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  setenv("NLS_LANG", "AMERICAN_AMERICA.AL32UTF8", 1);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  const Db& d = db();
  std::printf(
      "\n1,000,000 rows x 8 columns, best of 3 runs each:\n"
      "  wall: ocilite %.3f s (400-row array fetch), sqlite3 shell %.3f s, ratio %.2fx (goal <= 1.5x)\n"
      "  cpu:  ocilite %.3f s, sqlite3 shell %.3f s, ratio %.2fx\n",
      d.ocilite_seconds, d.shell_seconds, d.ocilite_seconds / d.shell_seconds, d.ocilite_cpu, d.shell_cpu,
      d.ocilite_cpu / d.shell_cpu);
  fs::remove_all(d.folder);
  return 0;
}
