// Driving a modal progress dialog from a test: the test's checks run on the
// user-interface thread inside the dialog's own event loop while a fake
// worker waits at numbered checkpoints.
#pragma once

#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <functional>
#include <map>
#include <thread>

namespace kestrel::testing {

// Every wait is bounded, so a fault fails the test instead of hanging it.
inline constexpr auto kWaitLimit = std::chrono::seconds(10);

// The worker calls at(n) and waits there until the user-interface side has
// run the check registered for n.
class Checkpoints {
 public:
  // Registers `check` for checkpoint n (runs on the user-interface thread).
  void on(int n, std::function<void()> check) { checks_[n] = std::move(check); }

  // Worker side. False when the user-interface side never released it.
  bool at(int n) {
    reached_.store(n);
    const auto until = std::chrono::steady_clock::now() + kWaitLimit;
    while (released_.load() < n) {
      if (std::chrono::steady_clock::now() > until) return false;
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
  }

  // Starts polling on the user-interface thread; lives as long as this object.
  void install() {
    timer_.setInterval(5);
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      const int n = reached_.load();
      if (n <= released_.load() || busy_) return;
      busy_ = true;
      QCoreApplication::sendPostedEvents();
      if (auto it = checks_.find(n); it != checks_.end()) it->second();
      busy_ = false;
      released_.store(n);
    });
    timer_.start();
  }

 private:
  std::map<int, std::function<void()>> checks_;
  std::atomic<int> reached_{0};
  std::atomic<int> released_{0};
  bool busy_ = false;
  QTimer timer_;
};

// Waits (running events) until `cond` holds; false after the limit.
inline bool wait_until(const std::function<bool()>& cond) {
  const auto until = std::chrono::steady_clock::now() + kWaitLimit;
  while (!cond()) {
    if (std::chrono::steady_clock::now() > until) return false;
    QApplication::processEvents(QEventLoop::AllEvents, 5);
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

// Worker side: waits until `cond` holds, bounded.
inline bool worker_wait(const std::function<bool()>& cond) {
  const auto until = std::chrono::steady_clock::now() + kWaitLimit;
  while (!cond()) {
    if (std::chrono::steady_clock::now() > until) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return true;
}

// The open question box, if any.
inline QMessageBox* open_question() {
  for (QWidget* w : QApplication::topLevelWidgets())
    if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible()) return box;
  return nullptr;
}

template <typename T>
T* find_top_level() {
  for (QWidget* w : QApplication::topLevelWidgets())
    if (auto* t = qobject_cast<T*>(w)) return t;
  return nullptr;
}

// Answers the next question box with `button` once it is up (the box runs
// its own nested loop, so the answer comes from a timer).
inline void answer_question_later(QMessageBox::StandardButton button, QString* text = nullptr,
                                  QString* title = nullptr) {
  auto* timer = new QTimer;
  timer->setInterval(5);
  QObject::connect(timer, &QTimer::timeout, [timer, button, text, title] {
    QMessageBox* box = open_question();
    if (!box) return;
    if (text) *text = box->text();
    if (title) *title = box->windowTitle();
    timer->stop();
    timer->deleteLater();
    box->button(button)->click();
  });
  timer->start();
}

}  // namespace kestrel::testing
