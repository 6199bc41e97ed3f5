// The grid control's own widget tests, run again with the editor control
// as the grid's in-place editor.
#include <gtest/gtest.h>

#include "sqltext/edit_ctrl_cell_editor.h"

namespace {

class EditCtrlInGrid : public ::testing::Environment {
 public:
  void SetUp() override { kestrel::InstallEditCtrlInGrid(); }
};

const auto* const g_env = ::testing::AddGlobalTestEnvironment(new EditCtrlInGrid);

}  // namespace
