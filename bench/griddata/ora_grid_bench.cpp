// Saving 10,000 rows with two changed columns through the stand-in client,
// against the same UPDATEs run by the sqlite3 shell in one transaction on the
// same rows. Prints the ratio (goal: at most 2). Then loading 1,000,000 x 8
// fetched rows into the grid and reading every cell (goal: under 0.5 s, peak
// memory at most twice the UTF-16 text).
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "griddata/ora_grid_data.h"
#include "griddata/ora_grid_save.h"
#include "oci/oci_codes.h"
#include "oci/oci_cursor.h"
#include "oci/oci_library.h"
#include "oci/oci_session.h"
#include "platform/format.h"
#include "platform/utf16.h"

namespace {

using namespace kestrel;
namespace fs = std::filesystem;

constexpr int kRows = 10000;

std::string env_or(const char* name, const char* fallback) {
  const char* v = std::getenv(name);
  return v && *v ? v : fallback;
}

struct Fixture {
  fs::path dir = fs::temp_directory_path() / ("kestrel_ora_grid_bench_" + std::to_string(::getpid()));
  fs::path db = dir / "db";
  std::string tool = env_or("KESTREL_OCILITE_TOOL", KESTREL_OCILITE_TOOL);
  OciSession* s = nullptr;
  char16_t msg[2048] = {};

  bool run(const std::string& cmd) { return std::system(cmd.c_str()) == 0; }
  bool setup() {
    fs::remove_all(dir);
    fs::create_directories(dir);
    if (!run(tool + " create " + db.string() + " >/dev/null") ||
        !run(tool + " user add " + db.string() + " SCOTT TIGER >/dev/null"))
      return false;
    setenv("NLS_LANG", "JAPANESE_JAPAN.AL32UTF8", 1);
    if (oci_load_library_file(env_or("KESTREL_OCILITE_LIB", KESTREL_OCILITE_PATH), nullptr) != kOciOk) return false;
    if (oci_login2(&s, u"SCOTT", u"TIGER", utf8_to_utf16(db.string()), u"", kLoginNormal, OciMsgBuf(msg), nullptr) !=
        kOciOk)
      return false;
    if (oci_execute_sql(s, u"create table t (id number(6) primary key, a varchar2(20), b number(9))", OciMsgBuf(msg)) !=
        kOciOk)
      return false;
    std::vector<std::u16string> ids, as, bs;
    for (int i = 1; i <= kRows; ++i) {
      ids.push_back(to_u16(i));
      as.push_back(format(u"name%d", {i}));
      bs.push_back(to_u16(i));
    }
    OciCursor c;
    bool ok = oci_cre_cursor(s, &c, u"insert into t (id, a, b) values (:X0, :X1, :X2)", OciMsgBuf(msg)) == kOciOk &&
              oci_bind_string_array(s, &c, ":X0", ids, OciMsgBuf(msg)) == kOciOk &&
              oci_bind_string_array(s, &c, ":X1", as, OciMsgBuf(msg)) == kOciOk &&
              oci_bind_string_array(s, &c, ":X2", bs, OciMsgBuf(msg)) == kOciOk &&
              oci_exec_non_block_cursor(s, &c, nullptr, OciMsgBuf(msg), kRows) == kOciOk;
    oci_del_cursor(s, &c);
    return ok && oci_ora_commit(s, OciMsgBuf(msg)) == kOciOk;
  }
  ~Fixture() {
    if (s) oci_ora_logout(&s);
    fs::remove_all(dir);
  }
};

double g_save_seconds = 0;

void BM_SaveUpdates10k(benchmark::State& state) {
  Fixture f;
  if (!f.setup()) {
    state.SkipWithError("no stand-in database");
    return;
  }
  // The peer first, on a copy taken before the save changes anything.
  // The same rows in a plain SQLite file (the stand-in's own file uses its
  // collations, which the shell does not have); building it is not timed.
  {
    std::ofstream sql(f.dir / "peer_setup.sql");
    sql << "CREATE TABLE t (id INTEGER PRIMARY KEY, a TEXT, b INTEGER);\nBEGIN;\n";
    for (int i = 1; i <= kRows; ++i) sql << "INSERT INTO t VALUES (" << i << ", 'name" << i << "', " << i << ");\n";
    sql << "COMMIT;\n";
  }
  if (!f.run("sqlite3 " + (f.dir / "peer.db").string() + " < " + (f.dir / "peer_setup.sql").string())) {
    state.SkipWithError("the sqlite3 shell failed");
    return;
  }
  {
    std::ofstream sql(f.dir / "peer.sql");
    sql << "BEGIN;\n";
    for (int i = 1; i <= kRows; ++i) {
      sql << "UPDATE t SET a = 'x" << i << "' WHERE id = " << i << ";\n";
      sql << "UPDATE t SET b = " << i * 2 << " WHERE id = " << i << ";\n";
    }
    sql << "COMMIT;\n";
  }
  const std::string peer = "sqlite3 " + (f.dir / "peer.db").string() + " < " + (f.dir / "peer.sql").string();
  auto t0 = std::chrono::steady_clock::now();
  const bool peer_ok = f.run(peer);
  if (!peer_ok) state.SkipWithError("the sqlite3 shell failed");
  const double peer_seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();

  OciDataset ds;
  CEditableOraGridData grid;
  oci_cre_sel_cursor(f.s, &ds, u"select t.*, rowid from t order by id", 100, OciMsgBuf(f.msg));
  grid.SetData(f.s, &ds, u"SCOTT", u"T", 0, false);
  for (int r = 0; r < kRows; ++r) {
    grid.UpdateData(r, 1, format(u"x%d", {r + 1}));
    grid.UpdateData(r, 2, to_u16((r + 1) * 2));
  }
  for (auto _ : state) {
    CellPoint err;
    t0 = std::chrono::steady_clock::now();
    const int rc = oci_save_grid_data(&grid, f.s, &err, OciMsgBuf(f.msg));
    g_save_seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    state.SetIterationTime(g_save_seconds);
    if (rc != kOciOk) state.SkipWithError(utf16_to_utf8(f.msg).c_str());
  }
  grid.SetData(nullptr, nullptr, u"", u"", 0, false);
  ds.clear();
  state.counters["save_s"] = g_save_seconds;
  state.counters["sqlite3_s"] = peer_seconds;
  state.counters["ratio"] = peer_ok && peer_seconds > 0 ? g_save_seconds / peer_seconds : -1;
}

long StatusKb(const char* key) {
  std::ifstream in("/proc/self/status");
  std::string line;
  while (std::getline(in, line))
    if (line.rfind(key, 0) == 0) return std::stol(line.substr(std::string(key).size()));
  return 0;
}
long PeakRssKb() { return StatusKb("VmHWM:"); }

void ResetPeakRss() {
  std::ofstream("/proc/self/clear_refs") << "5";
}

void BM_SetDataAndReadMillionRows(benchmark::State& state) {
  constexpr int kBig = 1000000;
  constexpr int kPerInsert = 50000;
  Fixture f;
  if (!f.setup() ||
      oci_execute_sql(f.s,
                      u"create table big (c1 varchar2(12), c2 varchar2(12), c3 varchar2(12), c4 varchar2(12), "
                      u"c5 varchar2(12), c6 varchar2(12), c7 varchar2(12), c8 varchar2(12))",
                      OciMsgBuf(f.msg)) != kOciOk) {
    state.SkipWithError("no stand-in database");
    return;
  }
  std::vector<std::vector<std::u16string>> cols(8);
  for (int start = 0; start < kBig; start += kPerInsert) {
    for (auto& c : cols) c.clear();
    for (int i = start; i < start + kPerInsert; ++i)
      for (int c = 0; c < 8; ++c) cols[c].push_back(format(u"v%d_%d", {i, c}));
    OciCursor cur;
    bool ok = oci_cre_cursor(f.s, &cur, u"insert into big values (:X0, :X1, :X2, :X3, :X4, :X5, :X6, :X7)",
                             OciMsgBuf(f.msg)) == kOciOk;
    for (int c = 0; ok && c < 8; ++c)
      ok = oci_bind_string_array(f.s, &cur, ":X" + std::to_string(c), cols[c], OciMsgBuf(f.msg)) == kOciOk;
    ok = ok && oci_exec_non_block_cursor(f.s, &cur, nullptr, OciMsgBuf(f.msg), kPerInsert) == kOciOk;
    oci_del_cursor(f.s, &cur);
    if (!ok) {
      state.SkipWithError(utf16_to_utf8(f.msg).c_str());
      return;
    }
  }
  oci_ora_commit(f.s, OciMsgBuf(f.msg));
  cols.clear();
  cols.shrink_to_fit();
  ResetPeakRss();
  const long baseline_kb = StatusKb("VmRSS:");
  OciDataset ds;
  if (oci_cre_sel_cursor(f.s, &ds, u"select big.*, rowid from big", 400, OciMsgBuf(f.msg)) != kOciOk) {
    state.SkipWithError(utf16_to_utf8(f.msg).c_str());
    return;
  }
  uint64_t text_bytes = 0;
  for (int32_t r = 0; r < ds.row_count; ++r)
    for (int c = 0; c < 8; ++c) text_bytes += ds.text_view(r, c).size() * sizeof(char16_t);
  CEditableOraGridData grid;
  const long before_kb = StatusKb("VmRSS:");
  uint64_t chars = 0;
  for (auto _ : state) {
    auto t0 = std::chrono::steady_clock::now();
    grid.SetData(f.s, &ds, u"SCOTT", u"BIG", 0, false);
    for (int32_t r = 0; r < grid.GetRowCnt(); ++r)
      for (int32_t c = 0; c < grid.GetColCnt(); ++c) chars += grid.GetData(r, c).size();
    state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
  }
  benchmark::DoNotOptimize(chars);
  const long peak_kb = PeakRssKb();
  grid.SetData(nullptr, nullptr, u"", u"", 0, false);
  // The result set (which holds the cells' text the grid reads) and what the
  // grid adds, at their peak, against the UTF-16 text of the cells.
  state.counters["rows"] = ds.row_count;
  state.counters["text_MiB"] = static_cast<double>(text_bytes) / (1 << 20);
  state.counters["grid_added_MiB"] = static_cast<double>(peak_kb - before_kb) / 1024;
  state.counters["peak_to_text"] = static_cast<double>(peak_kb - baseline_kb) * 1024 / static_cast<double>(text_bytes);
  state.counters["grid_added_to_text"] = static_cast<double>(peak_kb - before_kb) * 1024 / static_cast<double>(text_bytes);
  ds.clear();
}

}  // namespace

BENCHMARK(BM_SetDataAndReadMillionRows)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveUpdates10k)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
