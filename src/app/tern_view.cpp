#include "app/tern_view.h"

#include <QFont>
#include <QPointer>
#include <QVBoxLayout>
#include <algorithm>
#include <utility>

#include "app/app_ids.h"
#include "app/tern_doc.h"
#include "app/view_hints.h"
#include "griddata/update_process.h"
#include "gridctrl/grid_ctrl.h"
#include "gridctrl/grid_navigation.h"
#include "gridctrl/gridctrl_constants.h"
#include "gridctrl/wheel_splitter.h"
#include "oci/oci_dataset.h"
#include "platform/format.h"

using namespace kestrel;

CTernView::CTernView(CTernDoc& doc, QWidget* parent) : QWidget(parent), doc_(doc) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  splitter_ = new CWheelSplitterWnd(this);
  layout->addWidget(splitter_);
  CGridCtrl* main = splitter_->MainPane();
  // New panes copy the main pane's parent and hooks.
  main->SetParentTarget(this);
  main->status_text = [this](std::u16string_view text) {
    if (on_message) on_message(text);
  };
  main->selection_stat = [this](std::u16string_view) { RecalcCalcPane(); };
  main->end_mode_changed = [this](bool on) {
    if (on_end_mode) on_end_mode(on);
  };
  splitter_->on_pane_created = [this](CGridCtrl*) {
    // A new pane: every view sets its panes' header flags again.
    if (send_hint) {
      send_hint(hint::kSplitterLayout);
    } else {
      OnUpdate(hint::kSplitterLayout, 0);
    }
  };
  splitter_->SetGridData(doc_.GetActiveGridData());
}

CTernView::~CTernView() = default;

void CTernView::ForEachPane(const std::function<void(CGridCtrl&)>& f) const {
  for (int r = 0; r < splitter_->PaneRows(); ++r)
    for (int c = 0; c < splitter_->PaneCols(); ++c)
      if (CGridCtrl* p = splitter_->Pane(r, c)) f(*p);
}

CGridCtrl* CTernView::ActivePane() const {
  CGridCtrl* found = nullptr;
  ForEachPane([&found](CGridCtrl& p) {
    if (found == nullptr && p.hasFocus()) found = &p;
  });
  return found != nullptr ? found : splitter_->MainPane();
}

std::u16string CTernView::CalcText() const {
  const OciDataset* result = doc_.GetResult();
  const int32_t type = calc_type ? calc_type() : gridctrl::kCalcNone;
  if (!doc_.HasTable() || (result != nullptr && result->col_count == 0)) return {};
  if (type < 0 || type >= gridctrl::kCalcNone) return {};
  if (status_bar_visible && !status_bar_visible()) return {};
  CGridData* data = const_cast<CTernDoc&>(doc_).GetActiveGridData();
  if (!data->HasSelection()) return {};
  const CellRange& s = data->GetSelection();
  if (s.left() == s.right() && s.top_row == s.bottom_row) return {};
  return SelectionStatText(*data, type);
}

void CTernView::RecalcCalcPane() {
  if (on_calc_text) on_calc_text(CalcText());
}

intptr_t CTernView::send(uint32_t msg, uintptr_t, intptr_t) {
  if (msg == gridctrl::kMsgCellDataChanged) {
    if (on_data_changed) on_data_changed();
  } else if (msg == gridctrl::kMsgCurCellMoved) {
    RecalcCalcPane();
  }
  return 0;
}

void CTernView::post(uint32_t msg, uintptr_t wparam, intptr_t lparam) {
  QPointer<CTernView> self(this);
  QMetaObject::invokeMethod(
      this, [self, msg, wparam, lparam] {
        if (self) self->send(msg, wparam, lparam);
      },
      Qt::QueuedConnection);
}

void CTernView::AfterBulkChange(int32_t changed) {
  CGridData* data = doc_.GetActiveGridData();
  if (changed > 0) data->NotifyWnds(nullptr, gridctrl::kMsgRepaint, 0, 0);
  ForEachPane([](CGridCtrl& p) { p.update(); });
  if (on_data_changed) on_data_changed();
  RecalcCalcPane();
}

int32_t CTernView::RunConversion(uint32_t id) {
  CGridCtrl* pane = ActivePane();
  if (pane->IsEditing() && !pane->EndEdit()) return 0;
  CGridData* data = doc_.GetActiveGridData();
  int32_t n = 0;
  switch (id) {
    case cmd::kToLower: n = data->ToLower(); break;
    case cmd::kToUpper: n = data->ToUpper(); break;
    case cmd::kToZenkaku: n = data->ToZenkaku(true, true); break;
    case cmd::kToZenkakuKana: n = data->ToZenkaku(false, true); break;
    case cmd::kToZenkakuAlnum: n = data->ToZenkaku(true, false); break;
    case cmd::kToHankaku: n = data->ToHankaku(true, true); break;
    case cmd::kToHankakuKana: n = data->ToHankaku(false, true); break;
    case cmd::kToHankakuAlnum: n = data->ToHankaku(true, false); break;
    default: return -1;
  }
  AfterBulkChange(n);
  // Only the case conversions report their count.
  if ((id == cmd::kToLower || id == cmd::kToUpper) && on_message) on_message(format(u"%d件置換しました", {n}));
  return n;
}

void CTernView::RunInputSequence(int64_t start, int64_t step) {
  CGridCtrl* pane = ActivePane();
  if (pane->IsEditing() && !pane->EndEdit()) return;
  doc_.GetActiveGridData()->InputSequence(start, step);
  AfterBulkChange(1);
}

void CTernView::OnUpdate(int32_t hint, int64_t arg) {
  namespace h = kestrel::hint;
  CGridCtrl* pane = ActivePane();
  switch (hint) {
    case h::kCommitCellEdit:
      ForEachPane([](CGridCtrl& p) {
        if (p.IsEditing()) p.EndEdit();
      });
      break;
    case h::kLoaded:
      if (hide_search_dialogs) hide_search_dialogs();
      splitter_->SetGridData(doc_.GetActiveGridData());
      if (arg != 0) {
        if (fit_on_load_) {
          pane->AdjustAllColWidth(fit_use_col_names_);
        } else {
          pane->EqualColWidth();
        }
      }
      RecalcCalcPane();
      break;
    case h::kSwapChanged: {
      if (apply_settings) ForEachPane(apply_settings);
      uint32_t style = splitter_->MainPane()->GetStyle() & ~gridctrl::kStyleSwapRowCol;
      if (doc_.GetSwap() == 1) style |= gridctrl::kStyleSwapRowCol;
      splitter_->SetPaneStyle(style);
      splitter_->SetGridData(doc_.GetActiveGridData());
      RecalcCalcPane();
      break;
    }
    case h::kSplitterLayout:
      // The splitter gives each pane the header bits of its position.
      splitter_->SetPaneStyle(splitter_->MainPane()->GetStyle());
      break;
    case h::kSaveFailed: {
      ForEachPane([](CGridCtrl& p) {
        if (p.IsEditing()) p.EndEdit();
      });
      int32_t row = h::CellRow(arg);
      int32_t col = h::CellCol(arg);
      doc_.DataToActiveCell(&row, &col);
      CGridData* data = doc_.GetActiveGridData();
      // An unknown coordinate keeps where the cursor is.
      if (row < 0) row = std::max(0, data->GetCurRow());
      if (col < 0) col = std::max(0, data->GetCurCol());
      pane->SetCurCell(row, col);
      pane->EnsureVisible(row, col);
      break;
    }
    case h::kFontChanged:
      if (arg != 0) {
        const QFont* font = reinterpret_cast<const QFont*>(static_cast<intptr_t>(arg));
        ForEachPane([font](CGridCtrl& p) { p.SetGridFont(*font); });
      }
      break;
    case h::kCalcTypeChanged:
      ForEachPane([this](CGridCtrl& p) { p.SetCalcType(calc_type ? calc_type() : gridctrl::kCalcNone); });
      RecalcCalcPane();
      break;
    case h::kSettingsChanged:
      if (apply_settings) ForEachPane(apply_settings);
      splitter_->SetPaneStyle(splitter_->MainPane()->GetStyle());
      ForEachPane([](CGridCtrl& p) { p.update(); });
      break;
    case h::kFilterOpen:
      if (open_filter) open_filter();
      break;
    case h::kFilterClear:
      if (clear_filter) clear_filter();
      break;
    case h::kGridDataChanged: {
      // The open cell-data dialog shows its cell again. The grid is redrawn
      // either way: a dialog over it does not make its cells current.
      ForEachPane([](CGridCtrl& p) {
        p.RefreshDataDialog();
        p.update();
      });
      if (on_data_changed) on_data_changed();
      break;
    }
    case h::kLobChanged:
      ForEachPane([](CGridCtrl& p) { p.update(); });
      if (on_data_changed) on_data_changed();
      break;
    default:
      break;
  }
}
