// Joins the document and its view to the application: the view fills the
// main window, the document answers the shell command, the close check and
// the change of connection, and the File, Edit and Data commands are
// registered on the main window.
#include <QPointer>
#include <memory>

#include "app/app_ids.h"
#include "app/area_hooks.h"
#include "app/main_frame.h"
#include "app/tern_app.h"
#include "app/tern_doc.h"
#include "app/tern_view.h"
#include "app/view_hints.h"
#include "griddata/cell_text_source.h"
#include "griddata/text_pool_grid_data.h"
#include "gridctrl/grid_ctrl.h"
#include "platform/format.h"
#include "sqltext/edit_ctrl_cell_editor.h"

namespace kestrel {
namespace {

// The document and view of the running program.
struct DocumentArea {
  std::unique_ptr<CTernDoc> doc;
  QPointer<CTernView> view;  // owned by the main window
  CMainFrame* frame = nullptr;
};

// Edit and Data commands the grid control runs itself.
constexpr uint32_t kGridCommands[] = {
    cmd::kUndo, cmd::kRedo, cmd::kCut, cmd::kCopy, cmd::kPaste, cmd::kSelectAll,
    cmd::kCopyTab, cmd::kCopyTabWithNames, cmd::kCopyCsv, cmd::kCopyCsvWithNames, cmd::kCopyFixed,
    cmd::kCopyFixedWithNames, cmd::kPasteToCell, cmd::kNextChangedCell, cmd::kPrevChangedCell,
    cmd::kCellEdit, cmd::kDataEdit, cmd::kInsertLineFeed, cmd::kToLower, cmd::kToUpper,
    cmd::kInputSequence, cmd::kInputCurrentTime, cmd::kToZenkaku, cmd::kToZenkakuKana,
    cmd::kToZenkakuAlnum, cmd::kToHankaku, cmd::kToHankakuKana, cmd::kToHankakuAlnum,
    cmd::kInsertRow, cmd::kInsertRows, cmd::kDeleteRows, cmd::kDeleteNullRowsInserted,
    cmd::kDeleteNullRowsAll, cmd::kAdjustColWidthDataAndName, cmd::kAdjustColWidthData,
    cmd::kEqualColWidth};

// An empty editable grid, shown until the Oracle grid data is loaded.
std::unique_ptr<CEditableGridData> EmptyGridData() {
  return std::make_unique<TextPoolGridData>(std::make_unique<TextPool>(0));
}

void UpdateCounter(DocumentArea& area) {
  if (area.frame == nullptr || area.view == nullptr) return;
  CEditableGridData& data = area.doc->GetEditableData();
  area.frame->set_edit_counter_text(format(u" Insert:%d, Update:%d, Delete:%d ",
                                           {data.GetInsertedRowCnt(), data.GetUpdatedRowCnt(),
                                            data.GetDeletedRowCnt()}));
  area.frame->update_title(area.doc->GetTitle());
}

void UpdateDataLockPane(DocumentArea& area, const AppSettings& settings) {
  if (area.frame == nullptr) return;
  bool locked = area.doc->HasTable() && settings.DATA_LOCK == 1;
  area.frame->set_pane_text(pane::kDataLock, locked ? std::u16string_view(u"Data Lock") : std::u16string_view());
}

void RegisterCommands(CTernApp& app, DocumentArea& area) {
  CMainFrame& frame = *area.frame;
  CTernDoc& doc = *area.doc;
  frame.set_command(cmd::kClear, {[&doc] { doc.OnClear(); }, [&doc] { return doc.CanClear(); }, {}});
  frame.set_command(cmd::kSwapRowCol, {[&doc] { doc.ToggleSwap(); }, [&doc] { return doc.CanSwap(); },
                                       [&doc] { return doc.GetSwap() == 1; }});
  for (uint32_t id : kGridCommands) {
    frame.set_command(id, {[&area, id] {
                             if (!area.view) return;
                             area.view->ActivePane()->RunCommand(static_cast<int>(id));
                             UpdateCounter(area);
                           },
                           [&area, id] { return area.view && area.view->ActivePane()->CanRunCommand(static_cast<int>(id)); },
                           {}});
  }
  // Calculation type: GRID_CALC_TYPE = id - 35240, the current one checked.
  for (uint32_t id = cmd::kCalcSum; id <= cmd::kCalcNone; ++id) {
    auto type = static_cast<int32_t>(id - cmd::kCalcSum);
    frame.set_command(id, {[&app, type] {
                             app.settings().GRID_CALC_TYPE = type;
                             app.update_all_views(hint::kCalcTypeChanged);
                           },
                           {},
                           [&app, type] { return app.settings().GRID_CALC_TYPE == type; }});
  }
}

}  // namespace

void install_document_hooks(CTernApp& app) {
  auto area = std::make_shared<DocumentArea>();
  StartupHooks& hooks = app.hooks();

  DocumentServices services;
  services.update_views = [&app](int32_t hint, int64_t arg) {
    app.update_all_views(hint, reinterpret_cast<const void*>(static_cast<intptr_t>(arg)));
  };
  services.data_lock = [&app] { return app.settings().DATA_LOCK; };
  services.set_data_lock = [&app](int32_t v) { app.settings().DATA_LOCK = v; };
  area->doc = std::make_unique<CTernDoc>(std::move(services), EmptyGridData());

  hooks.create_view = [area, &app](CMainFrame& frame) {
    InstallEditCtrlInGrid();
    area->frame = &frame;
    area->view = new CTernView(*area->doc, &frame);
    area->view->SetFitOnLoad(app.settings().ADJUST_COL_WIDTH == 1,
                             app.settings().ADJUST_COL_WIDTH_NO_USE_COLNAME != 1);
    frame.setCentralWidget(area->view);
    RegisterCommands(app, *area);
  };
  hooks.new_document = [area] {
    area->doc->Clear();
    return true;
  };
  hooks.can_close = [area] { return area->doc->CanClose(); };
  hooks.has_unsaved_table_edits = [area] {
    // An open cell edit counts: commit it into the grid data first.
    if (area->view) area->view->OnUpdate(hint::kCommitCellEdit, 0);
    return area->doc->HasTable() && area->doc->GetEditableData().IsModified();
  };

  auto previous_update = hooks.update_views;
  hooks.update_views = [area, previous_update, &app](int hint, const void* arg) {
    if (previous_update) previous_update(hint, arg);
    auto value = static_cast<int64_t>(reinterpret_cast<intptr_t>(arg));
    if (hint == hint::kConnectionChanged) {
      area->doc->Clear();
    } else if (hint == hint::kOwnerChanged) {
      area->doc->SetOwnerName(app.connection().user);
    }
    if (area->view == nullptr) return;
    area->view->OnUpdate(hint, value);
    if (hint == hint::kLoaded) {
      UpdateCounter(*area);
      UpdateDataLockPane(*area, app.settings());
    }
  };

  // The result and the grid data hold client handles: release them before
  // the session goes.
  auto previous_disconnect = hooks.disconnect;
  hooks.disconnect = [area, previous_disconnect] {
    area->doc->Clear();
    if (previous_disconnect) previous_disconnect();
  };
}

}  // namespace kestrel
