// Grid control speed on a 1,000,000 x 8 editable grid in a 1600 x 1000
// pane, with QTableView over the same data painted as the reference:
// painting at the top and near the end, key-press frames, fitting every
// column (and its cancel latency), and copying the whole grid.
// Run: QT_QPA_PLATFORM=offscreen ./gridctrl_bench
#include <benchmark/benchmark.h>

#include <QAbstractTableModel>
#include <QApplication>
#include <QHeaderView>
#include <QImage>
#include <QKeyEvent>
#include <QPainter>
#include <QTableView>
#include <algorithm>
#include <chrono>
#include <thread>
#include <time.h>

#include "griddata/text_pool_grid_data.h"
#include "gridctrl/grid_copy.h"
#include "gridctrl/grid_ctrl.h"
#include "gridctrl/grid_fitting.h"
#include "gridctrl/gridctrl_constants.h"

using namespace kestrel;
using namespace kestrel::gridctrl;

namespace {

constexpr int32_t kCols = 8;

// 1,000,000 rows (GRID_BENCH_ROWS sets fewer, for a profiler).
int32_t Rows() {
  static const int32_t rows = [] {
    const QByteArray v = qgetenv("GRID_BENCH_ROWS");
    return v.isEmpty() ? 1000000 : std::max(1, v.toInt());
  }();
  return rows;
}

TextPoolGridData& Data() {
  static TextPoolGridData* data = [] {
    auto pool = std::make_unique<TextPool>(kCols);
    pool->ReserveRows(Rows());
    std::u16string cells[kCols];
    std::u16string_view views[kCols];
    for (int32_t r = 0; r < Rows(); ++r) {
      for (int32_t c = 0; c < kCols; ++c) {
        // About 20 characters, some Japanese.
        cells[c] = (c % 3 == 0 ? u"東京都千代田区" : u"value-") + std::u16string(u"0000000000000");
        int32_t n = r * 7 + c;
        for (int i = 12; i >= 0 && n > 0; --i, n /= 10) cells[c][cells[c].size() - 13 + i] = u'0' + n % 10;
        views[c] = cells[c];
      }
      pool->AddRow(views);
    }
    auto* d = new TextPoolGridData(std::move(pool));
    d->SetMaxDataLen(24);  // declared length: fixed-width fields of 24
    d->ResetColWidthTable();
    d->SetCurCell(0, 0);
    return d;
  }();
  return *data;
}

QFont BenchFont() {
  QFont f(QStringLiteral("DejaVu Sans Mono"));
  f.setPixelSize(14);
  return f;
}

CGridCtrl& Grid() {
  static CGridCtrl* g = [] {
    auto* grid = new CGridCtrl(nullptr, kMainViewStyle | kStyleEditKeys);
    grid->resize(1600, 1000);
    grid->SetGridFont(BenchFont());
    grid->SetGridData(&Data());
    grid->show();
    return grid;
  }();
  return *g;
}

void PaintGridAt(benchmark::State& state, int32_t row) {
  CGridCtrl& g = Grid();
  g.SetScrollRow(row);
  QImage img(g.size(), QImage::Format_RGB32);
  for (auto _ : state) {
    QPainter p(&img);
    g.Render(p);
  }
  state.counters["first_row"] = g.ScrollRow();
}

void BM_GridPaintRow0(benchmark::State& state) { PaintGridAt(state, 0); }
void BM_GridPaintRow999000(benchmark::State& state) { PaintGridAt(state, 999000); }
BENCHMARK(BM_GridPaintRow0)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GridPaintRow999000)->Unit(benchmark::kMillisecond);

class PoolModel : public QAbstractTableModel {
 public:
  int rowCount(const QModelIndex&) const override { return Data().GetRowCnt(); }
  int columnCount(const QModelIndex&) const override { return Data().GetColCnt(); }
  QVariant data(const QModelIndex& i, int role) const override {
    if (role != Qt::DisplayRole) return {};
    std::u16string_view t = Data().GetData(i.row(), i.column());
    return QString(reinterpret_cast<const QChar*>(t.data()), static_cast<qsizetype>(t.size()));
  }
};

QTableView& Table() {
  static QTableView* t = [] {
    auto* view = new QTableView;
    view->setModel(new PoolModel);
    view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view->verticalHeader()->setDefaultSectionSize(20);
    view->setFont(BenchFont());
    view->resize(1600, 1000);
    view->show();
    return view;
  }();
  return *t;
}

void PaintTableAt(benchmark::State& state, int32_t row) {
  QTableView& t = Table();
  t.scrollTo(t.model()->index(row, 0), QAbstractItemView::PositionAtTop);
  QImage img(t.size(), QImage::Format_RGB32);
  for (auto _ : state) {
    QPainter p(&img);
    t.render(&p);
  }
}

void BM_QTableViewPaintRow0(benchmark::State& state) { PaintTableAt(state, 0); }
void BM_QTableViewPaintRow999000(benchmark::State& state) { PaintTableAt(state, 999000); }
BENCHMARK(BM_QTableViewPaintRow0)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_QTableViewPaintRow999000)->Unit(benchmark::kMillisecond);

// Thread CPU time in milliseconds: a frame's own cost, whatever else the
// machine is doing (wall time is reported beside it).
double CpuMs() {
  timespec ts{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
  return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

// Presses per run: 2,000 (GRID_BENCH_PRESSES sets fewer, for a profiler).
int Presses() {
  const QByteArray v = qgetenv("GRID_BENCH_PRESSES");
  return v.isEmpty() ? 2000 : std::max(1, v.toInt());
}

double Percentile99(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() * 99 / 100];
}

// 2,000 presses of Down or Page Down, each followed by a repaint; per-frame
// mean and 99th percentile, in wall and in CPU time.
void KeyFrames(benchmark::State& state, int key) {
  CGridCtrl& g = Grid();
  QImage img(g.size(), QImage::Format_RGB32);
  std::vector<double> wall, cpu;
  for (auto _ : state) {
    g.SetCurCell(0, 0);
    wall.clear();
    cpu.clear();
    for (int i = 0, n = Presses(); i < n; ++i) {
      const auto t0 = std::chrono::steady_clock::now();
      const double c0 = CpuMs();
      QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
      QApplication::sendEvent(&g, &press);
      QPainter p(&img);
      g.Render(p);
      p.end();
      cpu.push_back(CpuMs() - c0);
      wall.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count());
    }
  }
  auto mean = [](const std::vector<double>& v) {
    double sum = 0;
    for (double f : v) sum += f;
    return sum / v.size();
  };
  state.counters["mean_ms"] = mean(wall);
  state.counters["p99_ms"] = Percentile99(wall);
  state.counters["cpu_mean_ms"] = mean(cpu);
  state.counters["cpu_p99_ms"] = Percentile99(cpu);
  state.counters["last_row"] = g.GetGridData()->GetCurRow();
}

void BM_DownFrames(benchmark::State& state) { KeyFrames(state, Qt::Key_Down); }
void BM_PageDownFrames(benchmark::State& state) { KeyFrames(state, Qt::Key_PageDown); }
BENCHMARK(BM_DownFrames)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_PageDownFrames)->Unit(benchmark::kMillisecond)->Iterations(1);

FitParams Fit() {
  FitParams p;
  p.style = kMainViewStyle;
  p.client_width = 1600;
  p.row_header_width = Grid().Layout().RowHeaderWidth();
  return p;
}

void BM_AdjustAllColWidth(benchmark::State& state) {
  CGridCtrl& g = Grid();
  for (auto _ : state) AdjustAllColWidth(Data(), g.Metrics(), false, Fit());
  state.counters["col0_width"] = Data().GetColWidth(0);
}
BENCHMARK(BM_AdjustAllColWidth)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_AdjustCancelLatency(benchmark::State& state) {
  CGridCtrl& g = Grid();
  double worst = 0;
  for (auto _ : state) {
    CancelFlag cancel{0};
    FitParams p = Fit();
    p.cancel = &cancel;
    std::chrono::steady_clock::time_point asked;
    std::thread worker([&] { AdjustAllColWidth(Data(), g.Metrics(), false, p); });
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    asked = std::chrono::steady_clock::now();
    cancel.store(1);
    worker.join();
    worst = std::max(worst, std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - asked).count());
  }
  state.counters["cancel_ms"] = worst;
}
BENCHMARK(BM_AdjustCancelLatency)->Unit(benchmark::kMillisecond)->Iterations(3);

void CopyAll(benchmark::State& state, int format) {
  std::u16string out;
  for (auto _ : state) {
    BuildCopyText(Data(), format, {0, Rows() - 1, 0, kCols - 1}, kStyleCopyEscapeDblQuote, out);
    benchmark::DoNotOptimize(out.data());
  }
  state.counters["MiB"] = out.size() * 2.0 / (1 << 20);
}
void BM_CopyTab(benchmark::State& state) { CopyAll(state, kCopyTab); }
void BM_CopyFixed(benchmark::State& state) { CopyAll(state, kCopyFixed); }
BENCHMARK(BM_CopyTab)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_CopyFixed)->Unit(benchmark::kMillisecond)->Iterations(2);

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
  QApplication app(argc, argv);
  Data();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
