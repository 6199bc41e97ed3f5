// Joins the document and its view to the application: the view fills the
// main window, the document loads through the Oracle grid data and the
// table dialog, saves on a worker, answers the shell command, the close
// check and the change of connection, and the File, Edit, Data and Tools
// commands of the document are registered on the main window.
#include <QMenuBar>
#include <QPointer>
#include <QStatusBar>
#include <memory>

#include "app/app_ids.h"
#include "app/area_hooks.h"
#include "app/cancel_dlg.h"
#include "app/document_commands.h"
#include "app/main_frame.h"
#include "app/save_runner.h"
#include "app/session_control.h"
#include "app/sql_tokenizer.h"
#include "app/table_list_dlg.h"
#include "app/table_query.h"
#include "app/tern_app.h"
#include "app/tern_doc.h"
#include "app/tern_view.h"
#include "app/view_hints.h"
#include "griddata/ora_grid_data.h"
#include "gridctrl/grid_ctrl.h"
#include "gridctrl/gridctrl_constants.h"
#include "oci/oci_codes.h"
#include "oci/oci_cursor.h"
#include "oci/oci_session.h"
#include "sqltext/edit_ctrl_cell_editor.h"
#include "sqltext/sql_str_token.h"

namespace kestrel {
namespace {

constexpr char16_t kVirtualColumnsSql[] =
    u"select column_name from all_tab_cols c where c.owner = :X0 and c.table_name = :X1 and c.virtual_column = "
    u"'YES' ";
constexpr double kVirtualColumnsSince = 11.0;

std::vector<std::u16string> VirtualColumns(const std::u16string& owner, const std::u16string& table) {
  std::vector<std::u16string> names;
  OciSession* s = current_session();
  if (s == nullptr || oci_get_server_version(s) < kVirtualColumnsSince) return names;
  OciDataset ds;
  if (oci_cre_sel_cursor(s, &ds, kVirtualColumnsSql, 100, nullptr, u"SS", {owner, table}) != kOciOk) return names;
  for (int32_t r = 0; r < ds.row_count; ++r) names.emplace_back(ds.text_view(r, 0));
  return names;
}

bool RunTableDialog(CTernApp& app, TableSelection& io) {
  CTableListDlg::Env env;
  env.session = current_session();
  env.tokenizer = &shared_sql_tokenizer();
  env.grid_font = app.grid_font();
  env.store = &app.settings_store().store();
  CMainFrame* parent = app.main_frame();
  // The select runs behind the query dialog "実行中", which shows the rows
  // transferred and offers the cancel.
  env.run_query = [parent](OciSession* s, const std::u16string& sql, OciDataset* out, std::u16string* msg) {
    return run_query_operation(
        parent,
        [&](BackgroundOperation& op) { return RunSelectInto(s, sql, out, &op.message(), op.target(), &op.cancel_state()); },
        msg);
  };
  CTableListDlg dlg(std::move(env), io, parent);
  return dlg.Run();
}

}  // namespace

void install_document_hooks(CTernApp& app) {
  auto area = std::make_shared<DocumentArea>();
  area->app = &app;
  StartupHooks& hooks = app.hooks();

  auto ora = std::make_unique<CEditableOraGridData>();
  area->ora = ora.get();
  DocumentServices services;
  services.update_views = [&app](int32_t hint, int64_t arg) {
    app.update_all_views(hint, reinterpret_cast<const void*>(static_cast<intptr_t>(arg)));
  };
  services.run_table_selection = [&app](TableSelection& io) { return RunTableDialog(app, io); };
  CEditableOraGridData* grid = area->ora;
  services.load = [&app, grid](std::unique_ptr<CEditableGridData>&, OciDataset* result, const std::u16string& owner,
                               const std::u16string& table, int32_t data_lock) {
    const AppSettings& st = app.settings();
    grid->SetBeepOnLongText(st.USE_MESSAGE_BEEP == 1);
    grid->SetMoveCellAtInsert(st.NO_MOVE_CELL_AT_INSERT_ROWS == 0);
    grid->SetMoveCellAtDelete(st.NO_MOVE_CELL_AT_DELETE_ROWS == 0);
    return grid->SetData(result ? current_session() : nullptr, result, owner, table, data_lock,
                         st.USE_USER_UPDATABLE_COLUMNS == 1);
  };
  services.virtual_columns = VirtualColumns;
  // The save runs behind the progress dialog with its bar and Cancel button.
  services.save = [&app, grid](CEditableGridData&, std::u16string* msg, int32_t* row, int32_t* col) {
    SaveRunResult r = run_save(app.main_frame(), *grid, current_session());
    *msg = std::move(r.message);
    *row = r.error_cell.row;
    *col = r.error_cell.col;
    return r.code;
  };
  services.data_lock = [&app] { return app.settings().DATA_LOCK; };
  services.set_data_lock = [&app](int32_t v) { app.settings().DATA_LOCK = v; };
  services.current_user = [&app] { return app.connection().user; };
  area->doc = std::make_unique<CTernDoc>(std::move(services), std::move(ora));

  hooks.create_view = [area, &app](CMainFrame& frame) {
    InstallEditCtrlInGrid();
    area->frame = &frame;
    area->view = new CTernView(*area->doc, &frame);
    area->view->SetFitOnLoad(app.settings().ADJUST_COL_WIDTH == 1,
                             app.settings().ADJUST_COL_WIDTH_NO_USE_COLNAME != 1);
    frame.setCentralWidget(area->view);
    WireView(*area);
    RegisterDocumentCommands(*area);
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
    if (hint == hint::kLoaded || hint == hint::kConnectionChanged || hint == hint::kSwapChanged) {
      UpdateDocumentPanes(*area);
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
