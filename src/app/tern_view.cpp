#include "app/tern_view.h"

#include <QVBoxLayout>
#include <utility>

#include "app/tern_doc.h"
#include "app/view_hints.h"
#include "gridctrl/grid_ctrl.h"
#include "gridctrl/gridctrl_constants.h"
#include "gridctrl/wheel_splitter.h"

CTernView::CTernView(CTernDoc& doc, QWidget* parent) : QWidget(parent), doc_(doc) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  splitter_ = new CWheelSplitterWnd(this);
  layout->addWidget(splitter_);
  splitter_->SetGridData(doc_.GetActiveGridData());
}

CTernView::~CTernView() = default;

CGridCtrl* CTernView::ActivePane() const {
  for (int r = 0; r < splitter_->PaneRows(); ++r) {
    for (int c = 0; c < splitter_->PaneCols(); ++c) {
      CGridCtrl* pane = splitter_->Pane(r, c);
      if (pane != nullptr && pane->hasFocus()) return pane;
    }
  }
  return splitter_->MainPane();
}

void CTernView::OnUpdate(int32_t hint, int64_t arg) {
  namespace h = kestrel::hint;
  CGridCtrl* pane = ActivePane();
  switch (hint) {
    case h::kCommitCellEdit:
      if (pane->IsEditing()) pane->EndEdit();
      break;
    case h::kLoaded:
      splitter_->SetGridData(doc_.GetActiveGridData());
      if (arg != 0) {
        if (fit_on_load_) {
          pane->AdjustAllColWidth(fit_use_col_names_);
        } else {
          pane->EqualColWidth();
        }
      }
      break;
    case h::kSwapChanged: {
      uint32_t style = splitter_->MainPane()->GetStyle() & ~kestrel::gridctrl::kStyleSwapRowCol;
      if (doc_.GetSwap() == 1) style |= kestrel::gridctrl::kStyleSwapRowCol;
      splitter_->SetPaneStyle(style);
      splitter_->SetGridData(doc_.GetActiveGridData());
      break;
    }
    case h::kSaveFailed: {
      if (pane->IsEditing()) pane->EndEdit();
      int32_t row = h::CellRow(arg);
      int32_t col = h::CellCol(arg);
      // The cell is in editable-data coordinates; the swapped view shows
      // rows as columns.
      if (doc_.GetSwap() == 1) std::swap(row, col);
      if (col < 0) col = 0;
      if (row < 0) row = 0;
      pane->SetCurCell(row, col);
      pane->EnsureVisible(row, col);
      break;
    }
    case h::kGridDataChanged:
    case h::kLobChanged:
      for (int r = 0; r < splitter_->PaneRows(); ++r)
        for (int c = 0; c < splitter_->PaneCols(); ++c)
          if (CGridCtrl* p = splitter_->Pane(r, c)) p->update();
      break;
    default:
      break;
  }
}
