// CWheelSplitterWnd: the view's window of up to 2 x 2 grid panes on one
// grid data. Split boxes sit at the ends of the scroll bars (above the
// vertical bar, left of the horizontal one); the bars between panes can be
// dragged, and dragging one to the edge closes the split. The panes of a
// row share one vertical scroll bar, those of a column one horizontal bar.
// The top-left pane shows both headers, the top-right only the column
// header, the bottom-left only the row header, the bottom-right neither.
// The wheel goes to the pane under the pointer.
#pragma once

#include <QWidget>
#include <array>
#include <functional>

class CGridCtrl;
class CGridData;
class QScrollBar;

class CWheelSplitterWnd : public QWidget {
 public:
  explicit CWheelSplitterWnd(QWidget* parent = nullptr);
  ~CWheelSplitterWnd() override;

  // The first pane (always there).
  CGridCtrl* MainPane() const { return panes_[0][0]; }
  // Pane at (row, col) of the split, or null.
  CGridCtrl* Pane(int row, int col) const;
  int PaneRows() const { return rows_; }
  int PaneCols() const { return cols_; }
  // Splits at the pixel position (relative to this window), or closes the
  // split with a negative position.
  void SplitRows(int y);
  void SplitCols(int x);
  // Called for every new pane after it took the main pane's settings.
  std::function<void(CGridCtrl*)> on_pane_created;

  void SetGridData(CGridData* data);
  // Style for every pane; the header bits follow the pane position.
  void SetPaneStyle(uint32_t style);
  // Pane under a point of this window, or null.
  CGridCtrl* PaneAt(const QPoint& pos) const;

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  enum class Drag { kNone, kRowBox, kColBox, kRowBar, kColBar };
  void Relayout();
  void ApplyHeaderBits();
  QRect RowBox() const;
  QRect ColBox() const;
  QRect RowBar() const;
  QRect ColBar() const;

  std::array<std::array<CGridCtrl*, 2>, 2> panes_{};
  std::array<QScrollBar*, 2> vbars_{};  // per pane row
  std::array<QScrollBar*, 2> hbars_{};  // per pane column
  int rows_ = 1, cols_ = 1;
  int split_y_ = 0, split_x_ = 0;  // top of the second row / left of the second column
  Drag drag_ = Drag::kNone;
  int drag_pos_ = 0;
  uint32_t style_;
};
