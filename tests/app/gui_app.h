// One QApplication for the whole test program (the application object made
// by a test finds it and does not make its own).
#pragma once

#include <QApplication>

namespace kestrel::testing {

inline void EnsureQApplication() {
  static int argc = 1;
  static char name[] = "app_document_ui_tests";
  static char* argv[] = {name, nullptr};
  if (QApplication::instance() == nullptr) new QApplication(argc, argv);
}

}  // namespace kestrel::testing
