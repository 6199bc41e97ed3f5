// Filling an OciDataset with 1,000,000 rows x 8 columns through the stand-in
// client, against the sqlite3 shell printing the same rows of the same file
// to /dev/null. Prints the time ratio (goal <= 1.5) and the dataset's memory
// against the UTF-16 text it holds (goal <= 2).
//
//   oci_bench [--rows=N]   (default 1000000; the database is built once in a
//                           temporary folder and removed at the end)
#include <benchmark/benchmark.h>

#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "oci/oci_codes.h"
#include "oci/oci_cursor.h"
#include "oci/oci_library.h"
#include "oci/oci_session.h"
#include "platform/utf16.h"

namespace {

using namespace kestrel;
namespace fs = std::filesystem;

int g_rows = 1000000;
fs::path g_dir;
double g_best_fill = 0, g_best_shell = 0;
std::size_t g_dataset_bytes = 0, g_text_bytes = 0;

std::string quote(const std::string& s) { return "'" + s + "'"; }

bool run(const std::string& cmd) { return std::system(cmd.c_str()) == 0; }

OciSession* login(char16_t* msg) {
  OciSession* s = nullptr;
  if (oci_login2(&s, u"BENCH", u"BENCH", utf8_to_utf16((g_dir / "db").string()), u"", kLoginNormal,
                 OciMsgBuf(msg, 1024), nullptr) != kOciOk) {
    std::fprintf(stderr, "login failed: %s\n", utf16_to_utf8(msg).c_str());
    return nullptr;
  }
  return s;
}

bool build_database() {
  char tmpl[] = "/tmp/kestrel_oci_bench_XXXXXX";
  if (!mkdtemp(tmpl)) return false;
  g_dir = tmpl;
  std::string tool = quote(KESTREL_OCILITE_TOOL);
  std::string db = quote((g_dir / "db").string());
  if (!run(tool + " create " + db + " > /dev/null") || !run(tool + " user add " + db + " BENCH BENCH > /dev/null"))
    return false;
  char16_t msg[1024];
  OciSession* s = login(msg);
  if (!s) return false;
  const char16_t* setup[] = {
      u"create table seed (n number(6))",
      u"create table rows8 (id number(10), name varchar2(30), city varchar2(20), amount number(12,2), "
      u"created date, code char(8), note varchar2(60), flag number(1))",
  };
  for (auto sql : setup)
    if (oci_execute_sql(s, sql, OciMsgBuf(msg)) != kOciOk) return false;
  std::vector<std::u16string> seed;
  for (int i = 0; i < 1000; ++i) seed.push_back(to_u16(i));
  OciCursor c;
  if (oci_cre_cursor(s, &c, u"insert into seed values (:X0)", OciMsgBuf(msg)) != kOciOk ||
      oci_bind_string_array(s, &c, ":X0", seed, OciMsgBuf(msg)) != kOciOk ||
      oci_exec_non_block_cursor(s, &c, nullptr, OciMsgBuf(msg), 1000) != kOciOk)
    return false;
  oci_del_cursor(s, &c);
  std::u16string fill =
      u"insert into rows8 select a.n * 1000 + b.n, 'Customer name ' || (a.n * 1000 + b.n), 'City ' || b.n, "
      u"(a.n * 1000 + b.n) / 7, sysdate, 'C' || b.n, 'A note of some thirty characters ' || a.n, mod(b.n, 2) "
      u"from seed a, seed b where a.n * 1000 + b.n < " + to_u16(g_rows);
  if (oci_execute_sql(s, fill, OciMsgBuf(msg)) != kOciOk || oci_ora_commit(s, OciMsgBuf(msg)) != kOciOk) {
    std::fprintf(stderr, "fill failed: %s\n", utf16_to_utf8(msg).c_str());
    return false;
  }
  oci_ora_logout(&s);
  return true;
}

// The schema file the stand-in keeps BENCH's tables in.
fs::path schema_file() { return g_dir / "db" / "BENCH.db"; }

void BM_OciDatasetFill(benchmark::State& state) {
  char16_t msg[1024];
  OciSession* s = login(msg);
  if (!s) {
    state.SkipWithError("login failed");
    return;
  }
  for (auto _ : state) {
    OciDataset ds;
    auto t0 = std::chrono::steady_clock::now();
    int rc = oci_cre_sel_cursor(s, &ds, u"select * from rows8", 400, OciMsgBuf(msg));
    double secs = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    state.SetIterationTime(secs);
    if (rc != kOciOk || ds.row_count != g_rows) {
      state.SkipWithError("query failed");
      break;
    }
    if (g_best_fill == 0 || secs < g_best_fill) g_best_fill = secs;
    std::size_t text = 0;
    for (int32_t r = 0; r < ds.row_count; ++r)
      for (int32_t col = 0; col < ds.col_count; ++col) text += ds.text_view(r, col).size() * 2;
    std::size_t blocks = 0;
    for (const auto& b : ds.blocks) blocks += static_cast<std::size_t>(b.rows) * ds.row_size;
    g_dataset_bytes = blocks + ds.pool.bytes_allocated() + ds.row_index.capacity() * sizeof(void*) +
                      ds.blocks.capacity() * sizeof(OciDataset::Block);
    g_text_bytes = text;
  }
  oci_ora_logout(&s);
}

// The same statement through the cursor steps with the rows left in the
// fetch array: what the client itself costs, without building the dataset.
void BM_ClientFetchOnly(benchmark::State& state) {
  char16_t msg[1024];
  OciSession* s = login(msg);
  if (!s) {
    state.SkipWithError("login failed");
    return;
  }
  for (auto _ : state) {
    auto t0 = std::chrono::steady_clock::now();
    OciCursor c;
    int64_t rows = 0;
    int rc = oci_cre_cursor(s, &c, u"select * from rows8", OciMsgBuf(msg));
    if (rc == kOciOk) rc = oci_desc_cursor(s, &c, OciMsgBuf(msg));
    if (rc == kOciOk) rc = oci_define_cursor(s, &c, 400, OciMsgBuf(msg));
    if (rc == kOciOk) rc = oci_exec_non_block_cursor(s, &c, nullptr, OciMsgBuf(msg));
    while (rc == kOciOk) {
      rc = oci_fetch_sel_cursor(s, &c, nullptr, OciMsgBuf(msg));
      rows += c.rows_in_batch;
      if (c.end_of_data) break;
    }
    oci_del_cursor(s, &c);
    state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
    if (rc != kOciOk || rows != g_rows) {
      state.SkipWithError("fetch failed");
      break;
    }
  }
  oci_ora_logout(&s);
}

void BM_Sqlite3Shell(benchmark::State& state) {
  std::string cmd = "sqlite3 " + quote(schema_file().string()) + " 'select * from ROWS8' > /dev/null";
  for (auto _ : state) {
    auto t0 = std::chrono::steady_clock::now();
    bool ok = run(cmd);
    double secs = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    state.SetIterationTime(secs);
    if (!ok) {
      state.SkipWithError("sqlite3 shell failed");
      break;
    }
    if (g_best_shell == 0 || secs < g_best_shell) g_best_shell = secs;
  }
}

BENCHMARK(BM_OciDatasetFill)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ClientFetchOnly)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Sqlite3Shell)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i)
    if (std::strncmp(argv[i], "--rows=", 7) == 0) g_rows = std::atoi(argv[i] + 7);
  setenv("NLS_LANG", "JAPANESE_JAPAN.AL32UTF8", 1);
  char16_t msg[1024];
  if (oci_load_library_file(KESTREL_OCILITE_PATH, OciMsgBuf(msg)) != kOciOk) {
    std::fprintf(stderr, "cannot load the stand-in client\n");
    return 1;
  }
  if (!build_database()) {
    std::fprintf(stderr, "cannot build the benchmark database in %s\n", g_dir.c_str());
    return 1;
  }
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  if (g_best_shell > 0 && g_best_fill > 0)
    std::printf("OciDataset fill / sqlite3 shell: %.2fx (goal <= 1.5x)\n", g_best_fill / g_best_shell);
  if (g_text_bytes > 0)
    std::printf("dataset memory / UTF-16 text: %.2fx (goal <= 2x; %zu / %zu bytes)\n",
                static_cast<double>(g_dataset_bytes) / static_cast<double>(g_text_bytes), g_dataset_bytes,
                g_text_bytes);
  oci_unload_library();
  std::error_code ec;
  fs::remove_all(g_dir, ec);
  return 0;
}
