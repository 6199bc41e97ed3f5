// Scale of the editable grid on a 1,000,000 x 8 grid of loaded text: memory
// per cell against the raw UTF-16 text (goal: at most 2x) and against one
// heap string per cell (the peer), then setting 100,000 cells, undoing and
// redoing them, and upper-casing a 1,000,000-cell selection as one undo set
// and undoing/redoing it (goal: each step under a second). The steps run in
// order on one grid, once each; the figures are printed with the goals.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "griddata/text_pool_grid_data.h"
#include "griddata/undo_data.h"

namespace {

constexpr int32_t kRows = 1'000'000;
constexpr int32_t kCols = 8;

// Bytes handed out by malloc, including the large blocks it maps directly.
std::size_t heap_in_use() {
  struct mallinfo2 m = mallinfo2();
  return m.uordblks + m.hblkhd;
}

// Cell texts of 4 to 16 characters, Latin and Japanese mixed.
std::u16string cell_text(int32_t row, int32_t col) {
  static const std::u16string words[] = {u"alpha", u"山田", u"beta-7", u"東京都港区", u"x",
                                         u"gamma ray", u"カナ", u"delta"};
  std::u16string s = words[(row + col) % 8];
  s += u'_';
  uint32_t n = static_cast<uint32_t>(row) * 2654435761u + static_cast<uint32_t>(col) * 40503u;
  for (int i = 0; i < 3 + static_cast<int>(n % 7); ++i) s += static_cast<char16_t>(u'a' + (n >> (i * 3)) % 26);
  return s;
}

struct World {
  std::unique_ptr<kestrel::TextPoolGridData> grid;
  std::size_t raw_bytes = 0;
  std::size_t heap_before = 0;
};

World& world() {
  static World w = [] {
    World w;
    w.heap_before = heap_in_use();
    auto pool = std::make_unique<kestrel::TextPool>(kCols);
    pool->ReserveRows(kRows);
    std::u16string cells[kCols];
    std::u16string_view views[kCols];
    for (int32_t r = 0; r < kRows; ++r) {
      for (int32_t c = 0; c < kCols; ++c) {
        cells[c] = cell_text(r, c);
        views[c] = cells[c];
        w.raw_bytes += cells[c].size() * sizeof(char16_t);
      }
      pool->AddRow(views);
    }
    w.grid = std::make_unique<kestrel::TextPoolGridData>(std::move(pool));
    return w;
  }();
  return w;
}

double per_cell(std::size_t bytes) { return static_cast<double>(bytes) / (double(kRows) * kCols); }

void BM_Load(benchmark::State& state) {
  for (auto _ : state) {
    auto t0 = std::chrono::steady_clock::now();
    World& w = world();
    double secs = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    std::size_t held = w.grid->pool().MemoryUsed() + w.grid->MemoryUsed();
    state.counters["raw_text_B_per_cell"] = per_cell(w.raw_bytes);
    state.counters["held_B_per_cell"] = per_cell(held);
    state.counters["ratio_to_raw"] = double(held) / double(w.raw_bytes);
    std::printf("load 1M x 8: %.3f s; raw text %.1f B/cell, held %.1f B/cell (pool %.1f + rows %.1f), "
                "%.2fx the raw text (goal <= 2x); heap grew %.1f B/cell\n",
                secs, per_cell(w.raw_bytes), per_cell(held), per_cell(w.grid->pool().MemoryUsed()),
                per_cell(w.grid->MemoryUsed()), double(held) / double(w.raw_bytes),
                per_cell(heap_in_use() - w.heap_before));
  }
}

// The peer: one heap string per cell.
void BM_PeerStringPerCell(benchmark::State& state) {
  for (auto _ : state) {
    std::size_t before = heap_in_use();
    auto t0 = std::chrono::steady_clock::now();
    std::vector<std::u16string> cells;
    cells.reserve(std::size_t(kRows) * kCols);
    for (int32_t r = 0; r < kRows; ++r)
      for (int32_t c = 0; c < kCols; ++c) cells.push_back(cell_text(r, c));
    double secs = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    std::size_t bytes = heap_in_use() - before;
    World& w = world();
    std::size_t held = w.grid->pool().MemoryUsed() + w.grid->MemoryUsed();
    state.counters["peer_B_per_cell"] = per_cell(bytes);
    std::printf("peer (std::u16string per cell): %.3f s, %.1f B/cell; the grid holds %.2fx of that\n",
                secs, per_cell(bytes), double(held) / double(bytes));
    benchmark::DoNotOptimize(cells.data());
  }
}

template <typename F>
void timed(benchmark::State& state, const char* what, F&& f) {
  for (auto _ : state) {
    auto t0 = std::chrono::steady_clock::now();
    f();
    double secs = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    std::printf("%s: %.3f s (goal < 1 s)\n", what, secs);
  }
}

void BM_Set100kCells(benchmark::State& state) {
  auto& g = *world().grid;
  timed(state, "set 100,000 cells (one undo step each)", [&] {
    for (int32_t i = 0; i < 100'000; ++i) {
      int32_t row = static_cast<int32_t>((static_cast<uint64_t>(i) * 7919) % kRows);
      g.UpdateData(row, i % kCols, u"edited value");
    }
  });
  std::printf("  undo steps: %zu, updated rows: %d\n", g.GetUndoData()->undo_steps(), g.GetUpdatedRowCnt());
}

void BM_Undo100k(benchmark::State& state) {
  auto& g = *world().grid;
  timed(state, "undo them all", [&] {
    for (int32_t i = 0; i < 100'000; ++i) g.Undo();
  });
  std::printf("  updated rows now: %d\n", g.GetUpdatedRowCnt());
}

void BM_Redo100k(benchmark::State& state) {
  auto& g = *world().grid;
  timed(state, "redo them all", [&] {
    for (int32_t i = 0; i < 100'000; ++i) g.Redo();
  });
}

void BM_Upper1MCells(benchmark::State& state) {
  auto& g = *world().grid;
  std::size_t before = heap_in_use();
  g.SetCurCell(0, 0);
  g.SetSelection(0, 0, kCols - 1, 1'000'000 / kCols - 1);
  int32_t changed = 0;
  timed(state, "upper-case a 1,000,000-cell selection (one undo set)", [&] { changed = g.ToUpper(); });
  std::printf("  changed %d cells; history grew %.1f B per changed cell\n", changed,
              double(heap_in_use() - before) / (changed ? changed : 1));
}

void BM_UndoUpper(benchmark::State& state) {
  auto& g = *world().grid;
  timed(state, "undo the upper-case set", [&] { g.Undo(); });
}

void BM_RedoUpper(benchmark::State& state) {
  auto& g = *world().grid;
  timed(state, "redo the upper-case set", [&] { g.Redo(); });
}

}  // namespace

BENCHMARK(BM_Load)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PeerStringPerCell)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Set100kCells)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Undo100k)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Redo100k)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Upper1MCells)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_UndoUpper)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RedoUpper)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
