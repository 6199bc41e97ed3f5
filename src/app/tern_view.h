// CTernView: the one view. It is filled by the splitter of up to 2 x 2 grid
// panes over the document's active grid data, acts on the document's update
// hints, and hands the Edit and Data commands to the grid control.
#pragma once

#include <QWidget>
#include <cstdint>

class CGridCtrl;
class CTernDoc;
class CWheelSplitterWnd;

class CTernView : public QWidget {
 public:
  explicit CTernView(CTernDoc& doc, QWidget* parent = nullptr);
  ~CTernView() override;

  // One update hint from the document or the application.
  void OnUpdate(int32_t hint, int64_t arg);
  // The pane that has the focus, else the first one.
  CGridCtrl* ActivePane() const;
  CWheelSplitterWnd* Splitter() const { return splitter_; }

  // Fit column widths to the data after a load with layout reset
  // (ADJUST_COL_WIDTH) and whether to measure the column names too.
  void SetFitOnLoad(bool fit, bool use_col_names) {
    fit_on_load_ = fit;
    fit_use_col_names_ = use_col_names;
  }

 private:
  CTernDoc& doc_;
  CWheelSplitterWnd* splitter_ = nullptr;
  bool fit_on_load_ = false;
  bool fit_use_col_names_ = true;
};
