// Shared set-up of the editor widget tests: one QApplication, a control of
// a known size with a fixed font, and real key events.
#pragma once

#include <QApplication>
#include <QKeyEvent>
#include <memory>
#include <string>

#include "sqltext/edit_ctrl.h"

namespace kestrel::testing {

inline QApplication& TestApp() {
  static int argc = 1;
  static char name[] = "edit_ctrl_tests";
  static char* argv[] = {name, nullptr};
  static QApplication* app = new QApplication(argc, argv);
  return *app;
}

inline std::unique_ptr<CEditCtrl> MakeCtrl(int w = 400, int h = 200) {
  TestApp();
  auto ctrl = std::make_unique<CEditCtrl>();
  QFont f(QStringLiteral("DejaVu Sans Mono"));
  f.setPixelSize(12);
  f.setStyleStrategy(QFont::NoAntialias);  // exact colours in painted pixels
  ctrl->SetEditorFont(f);
  ctrl->resize(w, h);
  return ctrl;
}

// Sends a key press (and release) as the window system would.
inline void Key(QWidget* w, int key, Qt::KeyboardModifiers mods = Qt::NoModifier, const QString& text = {}) {
  QKeyEvent press(QEvent::KeyPress, key, mods, text);
  QApplication::sendEvent(w, &press);
  QKeyEvent release(QEvent::KeyRelease, key, mods, text);
  QApplication::sendEvent(w, &release);
}

inline void Type(QWidget* w, const QString& text) {
  for (QChar c : text) Key(w, 0, Qt::NoModifier, QString(c));
}

}  // namespace kestrel::testing
