// CEditCtrl against QPlainTextEdit: typing at the end of a 1 MB single-line
// text with the repaint after each key, and scrolling a 1,000,000-line text
// by wheel, Page Down and thumb jumps (each step with its repaint). Run
// with QT_QPA_PLATFORM=offscreen; the ratio is Kestrel / Qt per case.
#include <QApplication>
#include <QImage>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QWheelEvent>
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "sqltext/edit_ctrl.h"
#include "sqltext/sql_str_token.h"

namespace {

QApplication& App() {
  static int argc = 1;
  static char name[] = "edit_ctrl_bench";
  static char* argv[] = {name, nullptr};
  static QApplication* app = new QApplication(argc, argv);
  return *app;
}

CSQLStrToken& Tokenizer() {
  static CSQLStrToken tok;
  static bool loaded = [] {
    std::u16string err;
    return tok.InitDefaultKeywordFromText(u"SELECT\nFROM\nWHERE\nAND\nOR\n", &err) == 0;
  }();
  (void)loaded;
  return tok;
}

std::u16string LongLine() {
  std::u16string s;
  s.reserve(1 << 20);
  while (s.size() < (1u << 20) - 16) s += u"select a from t ";
  return s;
}

std::u16string ManyLines() {
  std::u16string s;
  s.reserve(20u * 1000000u);
  for (int i = 0; i < 1000000; ++i) s += u"select a, b from t\n";
  return s;
}

QFont Font() {
  QFont f(QStringLiteral("DejaVu Sans Mono"));
  f.setPixelSize(13);
  return f;
}

void SendKey(QWidget* w, int key, const QString& text = {}) {
  QKeyEvent e(QEvent::KeyPress, key, Qt::NoModifier, text);
  QApplication::sendEvent(w, &e);
}

void Paint(QWidget* w, QImage& img) { w->render(&img); }

template <typename Make>
void TypeAtEnd(benchmark::State& state, Make make) {
  App();
  auto w = make(LongLine());
  w->resize(800, 600);
  QImage img(w->size(), QImage::Format_RGB32);
  Paint(w.get(), img);
  SendKey(w.get(), Qt::Key_End);
  for (auto _ : state) {
    SendKey(w.get(), 0, QStringLiteral("x"));
    Paint(w.get(), img);
  }
  state.SetItemsProcessed(state.iterations());
}

std::unique_ptr<QWidget> MakeEdit(const std::u16string& text) {
  auto c = std::make_unique<CEditCtrl>();
  c->SetEditorFont(Font());
  c->SetTokenizer(&Tokenizer());
  c->SetText(text);
  return c;
}

std::unique_ptr<QWidget> MakePlain(const std::u16string& text, bool wrap) {
  auto p = std::make_unique<QPlainTextEdit>();
  p->setFont(Font());
  p->setLineWrapMode(wrap ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
  p->setPlainText(QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size())));
  p->moveCursor(QTextCursor::End);
  return p;
}

void BM_TypeLongLine_EditCtrl(benchmark::State& s) { TypeAtEnd(s, MakeEdit); }
void BM_TypeLongLine_EditCtrlWrap(benchmark::State& s) {
  TypeAtEnd(s, [](const std::u16string& t) {
    auto w = MakeEdit(t);
    static_cast<CEditCtrl*>(w.get())->SetWrap(true);
    return w;
  });
}
void BM_TypeLongLine_PlainTextEdit(benchmark::State& s) {
  TypeAtEnd(s, [](const std::u16string& t) { return MakePlain(t, false); });
}
void BM_TypeLongLine_PlainTextEditWrap(benchmark::State& s) {
  TypeAtEnd(s, [](const std::u16string& t) { return MakePlain(t, true); });
}

// Scrolling: 0 wheel notch, 1 Page Down, 2 thumb jump to a spread of places.
template <typename Make>
void Scroll(benchmark::State& state, Make make, QScrollBar* (*bar)(QWidget*)) {
  App();
  static const std::u16string text = ManyLines();
  auto w = make(text);
  w->resize(800, 600);
  QImage img(w->size(), QImage::Format_RGB32);
  Paint(w.get(), img);
  const int mode = static_cast<int>(state.range(0));
  int step = 0;
  for (auto _ : state) {
    if (mode == 0) {
      QWheelEvent e(QPointF(100, 100), QPointF(100, 100), QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
                    Qt::NoScrollPhase, false);
      QApplication::sendEvent(w.get(), &e);
    } else if (mode == 1) {
      SendKey(w.get(), Qt::Key_PageDown);
    } else {
      QScrollBar* b = bar(w.get());
      b->setValue(static_cast<int>((static_cast<int64_t>(step * 7919 % 1000) * b->maximum()) / 1000));
      ++step;
    }
    Paint(w.get(), img);
  }
}

// Typing in the middle of the 1,000,000-line text: each key with its
// repaint; the counter is the lines tokenized per key (only the changed one).
void BM_TypeInManyLines_EditCtrl(benchmark::State& state) {
  App();
  static const std::u16string text = ManyLines();
  auto w = MakeEdit(text);
  auto* c = static_cast<CEditCtrl*>(w.get());
  w->resize(800, 600);
  QImage img(w->size(), QImage::Format_RGB32);
  c->SetSel({500000, 7}, {500000, 7});
  Paint(w.get(), img);
  const int64_t before = c->GetDispData()->LinesTokenized();
  for (auto _ : state) {
    SendKey(w.get(), 0, QStringLiteral("x"));
    Paint(w.get(), img);
  }
  state.counters["tokenized_per_key"] =
      static_cast<double>(c->GetDispData()->LinesTokenized() - before) / static_cast<double>(state.iterations());
}

QScrollBar* EditBar(QWidget* w) { return w->findChild<QScrollBar*>(QString(), Qt::FindDirectChildrenOnly); }
QScrollBar* PlainBar(QWidget* w) { return static_cast<QPlainTextEdit*>(w)->verticalScrollBar(); }

void BM_Scroll_EditCtrl(benchmark::State& s) {
  Scroll(s, MakeEdit, [](QWidget* w) -> QScrollBar* {
    for (QScrollBar* b : w->findChildren<QScrollBar*>())
      if (b->orientation() == Qt::Vertical) return b;
    return EditBar(w);
  });
}
void BM_Scroll_PlainTextEdit(benchmark::State& s) {
  Scroll(s, [](const std::u16string& t) { return MakePlain(t, false); }, PlainBar);
}

}  // namespace

BENCHMARK(BM_TypeLongLine_EditCtrl)->Unit(benchmark::kMillisecond)->Iterations(100);
BENCHMARK(BM_TypeLongLine_EditCtrlWrap)->Unit(benchmark::kMillisecond)->Iterations(100);
BENCHMARK(BM_TypeLongLine_PlainTextEdit)->Unit(benchmark::kMillisecond)->Iterations(100);
BENCHMARK(BM_TypeLongLine_PlainTextEditWrap)->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(BM_TypeInManyLines_EditCtrl)->Unit(benchmark::kMillisecond)->Iterations(100);
BENCHMARK(BM_Scroll_EditCtrl)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->Iterations(200);
BENCHMARK(BM_Scroll_PlainTextEdit)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->Iterations(200);
BENCHMARK_MAIN();
