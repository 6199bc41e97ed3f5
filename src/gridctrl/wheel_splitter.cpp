// Split boxes, pane bars, shared scroll bars and wheel forwarding.
#include "gridctrl/wheel_splitter.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>
#include <QWheelEvent>

#include "gridctrl/grid_ctrl.h"
#include "gridctrl/gridctrl_constants.h"

using namespace kestrel::gridctrl;

namespace {
constexpr int kBox = 6;       // split box size along its scroll bar
constexpr int kBar = 4;       // bar between panes
constexpr int kMinPane = 20;  // a split closer than this to an edge closes it
}  // namespace

CWheelSplitterWnd::CWheelSplitterWnd(QWidget* parent) : QWidget(parent), style_(kMainViewStyle) {
  vbars_[0] = new QScrollBar(Qt::Vertical, this);
  hbars_[0] = new QScrollBar(Qt::Horizontal, this);
  vbars_[0]->installEventFilter(this);
  hbars_[0]->installEventFilter(this);
  panes_[0][0] = new CGridCtrl(this, style_);
  setMouseTracking(true);
  Relayout();
}

CWheelSplitterWnd::~CWheelSplitterWnd() = default;

CGridCtrl* CWheelSplitterWnd::Pane(int row, int col) const {
  if (row < 0 || col < 0 || row >= rows_ || col >= cols_) return nullptr;
  return panes_[row][col];
}

void CWheelSplitterWnd::SetGridData(CGridData* data) {
  for (int r = 0; r < rows_; ++r)
    for (int c = 0; c < cols_; ++c) panes_[r][c]->SetGridData(data);
}

void CWheelSplitterWnd::SetPaneStyle(uint32_t style) {
  style_ = style;
  ApplyHeaderBits();
}

void CWheelSplitterWnd::ApplyHeaderBits() {
  for (int r = 0; r < rows_; ++r) {
    for (int c = 0; c < cols_; ++c) {
      uint32_t s = style_ & ~(kStyleColHeader | kStyleRowHeader);
      if (r == 0) s |= kStyleColHeader;
      if (c == 0) s |= kStyleRowHeader;
      panes_[r][c]->SetStyle(s);
    }
  }
}

void CWheelSplitterWnd::SplitRows(int y) {
  const int area = height() - hbars_[0]->sizeHint().height();
  if (y >= kMinPane && y <= area - kMinPane - kBar) {
    if (rows_ == 1) {
      vbars_[1] = new QScrollBar(Qt::Vertical, this);
      vbars_[1]->installEventFilter(this);
      vbars_[1]->show();
      for (int c = 0; c < cols_; ++c) {
        panes_[1][c] = new CGridCtrl(this, style_);
        panes_[1][c]->CopySettingsFrom(*panes_[0][0]);
        panes_[1][c]->show();
      }
      rows_ = 2;
      split_y_ = y;
      Relayout();
      vbars_[1]->setValue(vbars_[0]->value());
      for (int c = 0; c < cols_; ++c)
        if (on_pane_created) on_pane_created(panes_[1][c]);
      return;
    }
    split_y_ = y;
  } else if (rows_ == 2) {
    // Closing: the panes go away and unregister from the grid data.
    for (int c = 0; c < cols_; ++c) {
      delete panes_[1][c];
      panes_[1][c] = nullptr;
    }
    delete vbars_[1];
    vbars_[1] = nullptr;
    rows_ = 1;
  }
  Relayout();
}

void CWheelSplitterWnd::SplitCols(int x) {
  const int area = width() - vbars_[0]->sizeHint().width();
  if (x >= kMinPane && x <= area - kMinPane - kBar) {
    if (cols_ == 1) {
      hbars_[1] = new QScrollBar(Qt::Horizontal, this);
      hbars_[1]->installEventFilter(this);
      hbars_[1]->show();
      for (int r = 0; r < rows_; ++r) {
        panes_[r][1] = new CGridCtrl(this, style_);
        panes_[r][1]->CopySettingsFrom(*panes_[0][0]);
        panes_[r][1]->show();
      }
      cols_ = 2;
      split_x_ = x;
      Relayout();
      hbars_[1]->setValue(hbars_[0]->value());
      for (int r = 0; r < rows_; ++r)
        if (on_pane_created) on_pane_created(panes_[r][1]);
      return;
    }
    split_x_ = x;
  } else if (cols_ == 2) {
    for (int r = 0; r < rows_; ++r) {
      delete panes_[r][1];
      panes_[r][1] = nullptr;
    }
    delete hbars_[1];
    hbars_[1] = nullptr;
    cols_ = 1;
  }
  Relayout();
}

QRect CWheelSplitterWnd::RowBox() const {
  const int sb = vbars_[0]->sizeHint().width();
  return rows_ == 1 ? QRect(width() - sb, 0, sb, kBox) : QRect();
}

QRect CWheelSplitterWnd::ColBox() const {
  const int sb = hbars_[0]->sizeHint().height();
  return cols_ == 1 ? QRect(0, height() - sb, kBox, sb) : QRect();
}

QRect CWheelSplitterWnd::RowBar() const {
  return rows_ == 2 ? QRect(0, split_y_, width(), kBar) : QRect();
}

QRect CWheelSplitterWnd::ColBar() const {
  return cols_ == 2 ? QRect(split_x_, 0, kBar, height()) : QRect();
}

void CWheelSplitterWnd::Relayout() {
  const int vw = vbars_[0]->sizeHint().width(), hh = hbars_[0]->sizeHint().height();
  const int aw = std::max(0, width() - vw), ah = std::max(0, height() - hh);
  if (rows_ == 2) split_y_ = std::clamp(split_y_, kMinPane, std::max(kMinPane, ah - kMinPane - kBar));
  if (cols_ == 2) split_x_ = std::clamp(split_x_, kMinPane, std::max(kMinPane, aw - kMinPane - kBar));
  int ys[2] = {0, split_y_ + kBar}, hs[2] = {rows_ == 2 ? split_y_ : ah, ah - split_y_ - kBar};
  int xs[2] = {0, split_x_ + kBar}, ws[2] = {cols_ == 2 ? split_x_ : aw, aw - split_x_ - kBar};
  for (int r = 0; r < rows_; ++r) {
    const int top = (r == 0 && rows_ == 1) ? kBox : ys[r];
    vbars_[r]->setGeometry(aw, top, vw, ys[r] + hs[r] - top);
  }
  for (int c = 0; c < cols_; ++c) {
    const int left = (c == 0 && cols_ == 1) ? kBox : xs[c];
    hbars_[c]->setGeometry(left, ah, xs[c] + ws[c] - left, hh);
  }
  for (int r = 0; r < rows_; ++r)
    for (int c = 0; c < cols_; ++c) {
      panes_[r][c]->setGeometry(xs[c], ys[r], std::max(0, ws[c]), std::max(0, hs[r]));
      panes_[r][c]->SetScrollBars(hbars_[c], vbars_[r]);
    }
  ApplyHeaderBits();
  update();
}

void CWheelSplitterWnd::resizeEvent(QResizeEvent*) { Relayout(); }

CGridCtrl* CWheelSplitterWnd::PaneAt(const QPoint& pos) const {
  for (int r = 0; r < rows_; ++r)
    for (int c = 0; c < cols_; ++c)
      if (panes_[r][c]->geometry().contains(pos)) return panes_[r][c];
  return nullptr;
}

void CWheelSplitterWnd::mousePressEvent(QMouseEvent* e) {
  const QPoint p = e->position().toPoint();
  if (e->button() != Qt::LeftButton) return;
  if (RowBox().contains(p)) drag_ = Drag::kRowBox;
  else if (ColBox().contains(p)) drag_ = Drag::kColBox;
  else if (RowBar().contains(p)) drag_ = Drag::kRowBar;
  else if (ColBar().contains(p)) drag_ = Drag::kColBar;
  drag_pos_ = (drag_ == Drag::kRowBox || drag_ == Drag::kRowBar) ? p.y() : p.x();
}

void CWheelSplitterWnd::mouseMoveEvent(QMouseEvent* e) {
  const QPoint p = e->position().toPoint();
  if (drag_ == Drag::kNone) {
    if (RowBox().contains(p) || RowBar().contains(p)) setCursor(Qt::SplitVCursor);
    else if (ColBox().contains(p) || ColBar().contains(p)) setCursor(Qt::SplitHCursor);
    else unsetCursor();
    return;
  }
  drag_pos_ = (drag_ == Drag::kRowBox || drag_ == Drag::kRowBar) ? p.y() : p.x();
  update();
}

void CWheelSplitterWnd::mouseReleaseEvent(QMouseEvent*) {
  const Drag d = drag_;
  drag_ = Drag::kNone;
  if (d == Drag::kRowBox || d == Drag::kRowBar) SplitRows(drag_pos_);
  else if (d == Drag::kColBox || d == Drag::kColBar) SplitCols(drag_pos_);
  update();
}

void CWheelSplitterWnd::paintEvent(QPaintEvent*) {
  QPainter p(this);
  const QColor face = palette().color(QPalette::Button);
  p.fillRect(rect(), face);
  p.fillRect(RowBox(), face.darker(130));
  p.fillRect(ColBox(), face.darker(130));
  if (drag_ == Drag::kRowBox || drag_ == Drag::kRowBar) p.fillRect(0, drag_pos_, width(), kBar, Qt::gray);
  if (drag_ == Drag::kColBox || drag_ == Drag::kColBar) p.fillRect(drag_pos_, 0, kBar, height(), Qt::gray);
}

void CWheelSplitterWnd::wheelEvent(QWheelEvent* e) {
  if (CGridCtrl* pane = PaneAt(e->position().toPoint())) {
    QApplication::sendEvent(pane, e);
    return;
  }
  e->ignore();
}

bool CWheelSplitterWnd::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::Wheel) return QWidget::eventFilter(watched, event);
  // A wheel over a scroll bar scrolls the panes that bar belongs to.
  for (int i = 0; i < 2; ++i) {
    if (watched == vbars_[i] && i < rows_) {
      QApplication::sendEvent(panes_[i][0], event);
      return true;
    }
    if (watched == hbars_[i] && i < cols_) {
      QApplication::sendEvent(panes_[0][i], event);
      return true;
    }
  }
  return false;
}
