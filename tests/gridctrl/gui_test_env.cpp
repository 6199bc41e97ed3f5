// The one QApplication of the widget tests.
#include "gui_test_support.h"

namespace {
const auto* const g_env = ::testing::AddGlobalTestEnvironment(new kestrel::testing::QtEnvironment("gridctrl_gui_tests"));
}  // namespace
