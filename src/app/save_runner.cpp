#include "app/save_runner.h"

#include <vector>

#include "app/common_cancel_dlg.h"
#include "griddata/ora_grid_data.h"

namespace kestrel {
namespace {

// Room for an Oracle message with its statement context.
constexpr std::size_t kSaveMessageChars = 16384;

}  // namespace

SaveRunResult run_save(QWidget* parent, CEditableOraGridData& grid, OciSession* session) {
  if (!session) session = grid.GetSession();
  SaveRunResult out;
  std::vector<char16_t> buf(kSaveMessageChars, u'\0');
  std::u16string dialog_message;
  out.code = run_progress_operation(
      parent, kSaveDialogOptions,
      [&](BackgroundOperation& op) {
        return oci_save_grid_data(&grid, session, &out.error_cell, OciMsgBuf(buf.data(), buf.size()), op.target(),
                                  &op.cancel_state(), &out.counts);
      },
      &dialog_message);
  out.message = buf.data();
  // The dialog's own text when the save never ran (no thread, no dialog).
  if (out.code == kResultNotRun) out.message = dialog_message;
  return out;
}

}  // namespace kestrel
