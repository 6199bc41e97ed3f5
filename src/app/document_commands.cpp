#include "app/document_commands.h"

#include <QDir>
#include <QStatusBar>

#include "app/app_ids.h"
#include "app/document_dialogs.h"
#include "app/lob_commands.h"
#include "app/main_frame.h"
#include "app/qt_text.h"
#include "app/session_control.h"
#include "app/sql_tokenizer.h"
#include "app/tern_app.h"
#include "app/tern_doc.h"
#include "app/view_hints.h"
#include "griddata/ora_grid_data.h"
#include "griddata/ora_grid_preview.h"
#include "gridctrl/grid_ctrl.h"
#include "gridctrl/gridctrl_constants.h"
#include "gridctrl/wheel_splitter.h"
#include "oci/oci_codes.h"
#include "oci/oci_cursor.h"
#include "platform/format.h"
#include "platform/ui_services.h"
#include "sqltext/edit_ctrl.h"
#include "sqltext/sql_str_token.h"

namespace kestrel {
namespace {

// Edit and Data commands the grid control runs itself.
constexpr uint32_t kGridCommands[] = {
    cmd::kUndo, cmd::kRedo, cmd::kCut, cmd::kCopy, cmd::kPaste, cmd::kSelectAll,
    cmd::kCopyTab, cmd::kCopyTabWithNames, cmd::kCopyCsv, cmd::kCopyCsvWithNames, cmd::kCopyFixed,
    cmd::kCopyFixedWithNames, cmd::kPasteToCell, cmd::kNextChangedCell, cmd::kPrevChangedCell,
    cmd::kInsertLineFeed, cmd::kInputCurrentTime, cmd::kInsertRow, cmd::kInsertRows, cmd::kDeleteRows,
    cmd::kDeleteNullRowsInserted, cmd::kDeleteNullRowsAll, cmd::kAdjustColWidthDataAndName,
    cmd::kAdjustColWidthData, cmd::kEqualColWidth};

// Conversions the view runs over the selection.
constexpr uint32_t kConversions[] = {cmd::kToLower,       cmd::kToUpper,       cmd::kToZenkaku,
                                     cmd::kToZenkakuKana, cmd::kToZenkakuAlnum, cmd::kToHankaku,
                                     cmd::kToHankakuKana, cmd::kToHankakuAlnum};

constexpr std::u16string_view kErrorTitle = u"ERROR";
constexpr std::u16string_view kMessageTitle = u"MESSAGE";

void ShowError(std::u16string_view text) { ui().message_box(text, kErrorTitle, mb::OK | mb::ICONEXCLAMATION); }
void ShowInfo(std::u16string_view text) { ui().message_box(text, kMessageTitle, mb::OK | mb::ICONINFORMATION); }

bool HasSession() { return current_session() != nullptr; }

bool Editing(const DocumentArea& a) {
  bool editing = false;
  if (a.view) a.view->ForEachPane([&editing](CGridCtrl& p) { editing = editing || p.IsEditing(); });
  return editing;
}

// The current cell of the active grid data in editable-data coordinates.
bool CurrentDataCell(DocumentArea& a, int32_t* row, int32_t* col) {
  CGridData* active = a.doc->GetActiveGridData();
  if (!a.doc->HasTable() || !active->IsValidCurCell()) return false;
  *row = active->GetCurRow();
  *col = active->GetCurCol();
  a.doc->ActiveToDataCell(row, col);
  return true;
}

LobCellState CurrentLobState(DocumentArea& a) {
  int32_t row = -1, col = -1;
  if (!CurrentDataCell(a, &row, &col)) return {};
  return LobStateOf(*a.ora, row, col, Editing(a), a.doc->IsReadOnlyColumn(col));
}

void AfterLobChange(DocumentArea& a) {
  a.app->update_all_views(hint::kLobChanged);
  if (a.frame) a.frame->set_message_text(u"");
  UpdateDocumentPanes(a);
}

void OnLobDownload(DocumentArea& a) {
  int32_t row = -1, col = -1;
  if (!CurrentDataCell(a, &row, &col)) return;
  FileQuestion q;
  q.save = true;
  q.title = kLobDownloadTitle;
  q.filter = kLobFileFilter;
  q.start_folder = from_qstring(QDir::currentPath());
  std::u16string msg;
  if (!LobDefaultFileName(*a.ora, row, col, &q.default_name, &msg)) {
    ShowInfo(msg);
    return;
  }
  const std::u16string path = AskFile(q);
  if (path.empty()) return;
  LobDownload(*a.ora, row, col, path, &msg);
  ShowInfo(msg);
  if (a.frame) a.frame->set_message_text(u"");
}

void OnLobUpload(DocumentArea& a) {
  int32_t row = -1, col = -1;
  if (!CurrentDataCell(a, &row, &col)) return;
  FileQuestion q;
  q.title = kLobUploadTitle;
  q.filter = kLobFileFilter;
  q.start_folder = from_qstring(QDir::currentPath());
  const std::u16string path = AskFile(q);
  if (path.empty()) return;
  std::u16string msg;
  if (!LobUpload(*a.ora, row, col, path, &msg)) {
    ShowError(msg);
    return;
  }
  AfterLobChange(a);
}

void OnLobSetNull(DocumentArea& a) {
  int32_t row = -1, col = -1;
  if (!CurrentDataCell(a, &row, &col)) return;
  LobSetNull(*a.ora, row, col);
  AfterLobChange(a);
}

void OnBfileUpdate(DocumentArea& a) {
  int32_t row = -1, col = -1;
  if (!CurrentDataCell(a, &row, &col)) return;
  std::u16string alias, file;
  BfileNameOf(*a.ora, row, col, &alias, &file);
  CBfileUpdateDlg dlg(alias, file, a.frame);
  if (dlg.exec() != QDialog::Accepted) return;
  BfileUpdate(*a.ora, row, col, dlg.DirAlias(), dlg.FileName());
  AfterLobChange(a);
}

void OnShowUpdateSql(DocumentArea& a) {
  a.app->update_all_views(hint::kCommitCellEdit);
  std::u16string text;
  char16_t msg[kOracleTextMax + 1] = {};
  if (oci_preview_grid_sql(a.ora, &text, OciMsgBuf(msg)) != 0) {
    ShowError(msg);
    return;
  }
  const AppSettings& st = a.app->settings();
  SqlViewLook look;
  look.font = a.app->grid_font();
  look.text_color = static_cast<uint32_t>(st.GRID_TEXT_COLOR);
  look.back_color = static_cast<uint32_t>(st.GRID_BG_COLOR);
  if (st.SHOW_SPACE) look.style |= kEditStyleShowSpace;
  if (st.SHOW_2BYTE_SPACE) look.style |= kEditStyleShow2ByteSpace;
  if (st.SHOW_TAB) look.style |= kEditStyleShowTab;
  if (st.SHOW_LINE_FEED) look.style |= kEditStyleShowLineFeed;
  if (st.INVERT_SELECT_TEXT) look.style |= kEditStyleInvertSelText;
  if (st.IME_CARET_COLOR) look.style |= kEditStyleImeCaretColor;
  CUpdateSqlDlg dlg(text, &shared_sql_tokenizer(), look, a.frame);
  dlg.exec();
}

void OnInputSequence(DocumentArea& a) {
  CGridCtrl* pane = a.view->ActivePane();
  if (pane->IsEditing() && !pane->EndEdit()) return;
  CGridData* data = a.doc->GetActiveGridData();
  if (!data->IsValidCurCell()) return;
  CInputSequenceDlg dlg(CInputSequenceDlg::StartOf(data->GetEditData(data->GetCurRow(), data->GetCurCol())),
                        a.frame);
  int64_t start = 0, step = 0;
  if (dlg.exec() != QDialog::Accepted || !dlg.Values(&start, &step)) return;
  a.view->RunInputSequence(start, step);
}

bool ActiveEditable(DocumentArea& a) {
  CGridData* data = a.doc->GetActiveGridData();
  return a.doc->HasTable() && data->IsEditable() && data->IsValidCurCell();
}

// 34026: the server's current time in NLS_DATE_FORMAT.
bool CurrentTime(CTernApp& app, std::u16string& text, std::u16string& error) {
  OciSession* s = current_session();
  if (s == nullptr) return false;
  char16_t value[256] = {};
  char16_t msg[kOracleTextMax + 1] = {};
  if (oci_select_value(s, gridctrl::kInputTimeSql, value, sizeof(value), OciMsgBuf(msg), u"S",
                       {app.settings().NLS_DATE_FORMAT}) != kOciOk) {
    error = msg;
    return false;
  }
  text = value;
  return true;
}

void ApplySettings(CTernApp& app, CTernDoc& doc, CGridCtrl& pane) {
  using namespace gridctrl;
  const AppSettings& st = app.settings();
  const CurrentConnection& conn = app.connection();
  const int32_t colors[kColorCount] = {
      conn.custom_color ? conn.session_color : st.GRID_BG_COLOR, st.GRID_HEADER_BG_COLOR, st.GRID_LINE_COLOR,
      st.GRID_SELECT_COLOR, st.GRID_DELETE_COLOR, st.GRID_INSERT_COLOR, st.GRID_UPDATE_COLOR,
      st.GRID_UNEDITABLE_COLOR, st.GRID_TEXT_COLOR, st.GRID_NULL_CELL_COLOR, st.GRID_MARK_COLOR,
      st.GRID_HEADER_LINE_COLOR, static_cast<int32_t>(kDefaultColors[kColorCurFrame]),
      static_cast<int32_t>(kDefaultColors[kColorSpare]), st.GRID_SEARCH_COLOR, st.GRID_CUR_ROW_TEXT_COLOR};
  for (int i = 0; i < kColorCount; ++i) pane.SetColor(i, static_cast<uint32_t>(colors[i]));
  // The data dialog keeps its line-break and wrap choices in the store;
  // asked anew each time, since the options sheet can switch stores.
  pane.SetSettingsStore(&app.settings_store().store());
  struct Flag {
    int32_t on;
    uint32_t bit;
  };
  const Flag flags[] = {{st.SHOW_SPACE, kStyleShowSpace},
                        {st.SHOW_2BYTE_SPACE, kStyleShow2ByteSpace},
                        {st.SHOW_TAB, kStyleShowTab},
                        {st.SHOW_LINE_FEED, kStyleShowLineFeed},
                        {st.ADJUST_COL_WIDTH_NO_USE_COLNAME, kStyleFitNoColName},
                        {st.INVERT_SELECT_TEXT, kStyleInvertSelectText},
                        {st.COPY_ESCAPE_DBLQUOTE, kStyleCopyEscapeDblQuote},
                        {st.IME_CARET_COLOR, kStyleImeCaretColor},
                        {st.END_KEY_LIKE_EXCEL, kStyleEndKeyLikeExcel},
                        {st.DISP_COLUMN_NAME_TOOL_TIP, kStyleColNameTip},
                        {st.SHOW_NOT_NULL_COLL, kStyleShowNotNull},
                        {doc.GetSwap(), kStyleSwapRowCol}};
  // The document's grid is the one the user types into: keys edit cells.
  uint32_t style = pane.GetStyle() | kStyleEditKeys;
  for (const Flag& f : flags) style = f.on ? (style | f.bit) : (style & ~f.bit);
  pane.SetStyle(style, false);
  pane.SetMinColChars(st.ADJUST_MIN_COL_CHARS);
  pane.SetNullText(st.NULL_TEXT);
  pane.SetCellPadding(st.CELL_PADDING_TOP, st.CELL_PADDING_BOTTOM, st.CELL_PADDING_LEFT, st.CELL_PADDING_RIGHT);
  pane.SetDeleteAllNullRowsWarning(st.DISP_DELETE_ALL_NULL_ROWS_WARNING == 1);
  pane.SetCalcType(st.GRID_CALC_TYPE);
  pane.update();
}

}  // namespace

void UpdateDocumentPanes(DocumentArea& a) {
  if (a.frame == nullptr) return;
  CEditableGridData& data = a.doc->GetEditableData();
  a.frame->set_edit_counter_text(format(u" Insert:%d, Update:%d, Delete:%d ",
                                        {data.GetInsertedRowCnt(), data.GetUpdatedRowCnt(), data.GetDeletedRowCnt()}));
  a.frame->update_title(a.doc->GetTitle());
  const bool locked = a.doc->HasTable() && a.app->settings().DATA_LOCK == 1;
  a.frame->set_pane_text(pane::kDataLock, locked ? std::u16string_view(u"Data Lock") : std::u16string_view());
  a.frame->set_pane_text(pane::kSession, a.app->connection().label);
  if (a.view) a.view->RecalcCalcPane();
}

void WireView(DocumentArea& a) {
  CTernView& view = *a.view;
  CMainFrame* frame = a.frame;
  CTernApp& app = *a.app;
  view.on_message = [frame](std::u16string_view text) { frame->set_message_text(text); };
  view.on_calc_text = [frame](std::u16string_view text) { frame->set_pane_text(pane::kCalc, text); };
  // The pane exists only with END_KEY_LIKE_EXCEL; without it the text goes nowhere.
  view.on_end_mode = [frame](bool on) {
    frame->set_pane_text(pane::kEnd, on ? CMainFrame::kEndPaneTip : std::u16string_view());
  };
  view.on_data_changed = [&a] { UpdateDocumentPanes(a); };
  view.send_hint = [&app](int32_t hint) { app.update_all_views(hint); };
  view.calc_type = [&app] { return app.settings().GRID_CALC_TYPE; };
  view.status_bar_visible = [frame] { return !frame->statusBar()->isHidden(); };
  CTernDoc& doc = *a.doc;
  view.apply_settings = [&app, &doc](CGridCtrl& pane) { ApplySettings(app, doc, pane); };
  CGridCtrl* main = view.Splitter()->MainPane();
  main->current_time = [&app](std::u16string& text, std::u16string& error) { return CurrentTime(app, text, error); };
  ApplySettings(app, doc, *main);
  // The splitter hands its style to every pane it lays out.
  view.Splitter()->SetPaneStyle(main->GetStyle());
  main->SetGridFont(app.grid_font());
}

void RegisterDocumentCommands(DocumentArea& area) {
  DocumentArea* a = &area;
  CMainFrame& frame = *area.frame;
  CTernDoc& doc = *area.doc;
  auto after = [a] { UpdateDocumentPanes(*a); };

  // File
  frame.set_command(cmd::kTableSelect, {[&doc, after] { doc.OnTableSelect(); after(); }, HasSession, {}});
  // Refreshing needs a query to run again and a session to run it on.
  frame.set_command(cmd::kRefresh,
                    {[&doc, after] { doc.OnRefresh(); after(); }, [&doc] { return doc.CanRefresh(HasSession()); }, {}});
  frame.set_command(cmd::kSave, {[&doc, after] { doc.OnSave(); after(); }, [&doc] { return doc.CanSave(); }, {}});
  frame.set_command(cmd::kClear, {[&doc, after] { doc.OnClear(); after(); }, [&doc] { return doc.CanClear(); }, {}});
  frame.set_command(cmd::kSwapRowCol, {[&doc, after] { doc.ToggleSwap(); after(); }, [&doc] { return doc.CanSwap(); },
                                       [&doc] { return doc.GetSwap() == 1; }});
  frame.set_command(cmd::kShowUpdateSql, {[a] { OnShowUpdateSql(*a); }, [&doc] { return doc.HasTable(); }, {}});

  // Grid commands.
  for (uint32_t id : kGridCommands) {
    frame.set_command(id, {[a, id] {
                             if (!a->view) return;
                             a->view->ActivePane()->RunCommand(static_cast<int>(id));
                             UpdateDocumentPanes(*a);
                           },
                           [a, id] {
                             return a->view && a->doc->HasTable() &&
                                    a->view->ActivePane()->CanRunCommand(static_cast<int>(id));
                           },
                           {}});
  }
  // Opening the cell editor: "セル編集" and "データ編集..." both edit the current cell's data.
  for (uint32_t id : {cmd::kCellEdit, cmd::kDataEdit}) {
    frame.set_command(id, {[a, id] {
                             if (!a->view) return;
                             CGridCtrl* pane = a->view->ActivePane();
                             if (!pane->RunCommand(static_cast<int>(id)) && !pane->IsEditing()) pane->StartEdit();
                           },
                           [a] { return a->view && ActiveEditable(*a) && !Editing(*a); },
                           {}});
  }
  for (uint32_t id : kConversions) {
    frame.set_command(id, {[a, id] {
                             if (a->view) a->view->RunConversion(id);
                           },
                           [a] { return a->view && ActiveEditable(*a); },
                           {}});
  }
  frame.set_command(cmd::kInputSequence,
                    {[a] { if (a->view) OnInputSequence(*a); }, [a] { return a->view && ActiveEditable(*a); }, {}});

  // LOB commands.
  frame.set_command(cmd::kLobDownload, {[a] { OnLobDownload(*a); }, [a] { return CanLobDownload(CurrentLobState(*a)); }, {}});
  frame.set_command(cmd::kLobUpload, {[a] { OnLobUpload(*a); }, [a] { return CanLobUpload(CurrentLobState(*a)); }, {}});
  frame.set_command(cmd::kLobSetNull, {[a] { OnLobSetNull(*a); }, [a] { return CanLobSetNull(CurrentLobState(*a)); }, {}});
  frame.set_command(cmd::kBfileUpdate, {[a] { OnBfileUpdate(*a); }, [a] { return CanBfileUpdate(CurrentLobState(*a)); }, {}});
  UpdateDocumentPanes(area);
}

}  // namespace kestrel
