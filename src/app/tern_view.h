// CTernView: the one view. It is filled by the splitter of up to 2 x 2 grid
// panes over the document's active grid data, acts on the document's update
// hints, runs the conversions over the selection and hands the other Edit
// and Data commands to the grid control. What it shows outside itself (the
// status bar panes, the edit counter) goes out through its hooks.
#pragma once

#include <QWidget>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "platform/msg_target.h"

class CGridCtrl;
class CTernDoc;
class CWheelSplitterWnd;

class CTernView : public QWidget, public kestrel::MsgTarget {
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

  // Case and width conversions (32900, 32901, 33499-33504) over the
  // selection; the number of cells changed, -1 when `id` is not one.
  int32_t RunConversion(uint32_t id);
  // Sequence numbers (34006) from `start` by `step` over the selection.
  void RunInputSequence(int64_t start, int64_t step);
  // The calculation pane's text for the active grid data now.
  std::u16string CalcText() const;
  void RecalcCalcPane();
  // Calls `f` for every pane of the split.
  void ForEachPane(const std::function<void(CGridCtrl&)>& f) const;

  // ---- hooks ----
  std::function<void(std::u16string_view)> on_message;    // message pane
  std::function<void(std::u16string_view)> on_calc_text;  // calculation pane
  std::function<void(bool on)> on_end_mode;               // END pane: the focused pane's End mode
  std::function<void()> on_data_changed;                  // edit counter, title
  std::function<int32_t()> calc_type;                     // GRID_CALC_TYPE
  std::function<bool()> status_bar_visible;
  std::function<void(CGridCtrl&)> apply_settings;         // hint 1010 and swaps
  std::function<void()> hide_search_dialogs;              // before a load
  std::function<void()> open_filter;                      // hint 1403
  std::function<void()> clear_filter;                     // hint 1404
  std::function<void(int32_t hint)> send_hint;            // to every view (202)

  // ---- MsgTarget: the panes' 0x8301 / 0x8303 ----
  intptr_t send(uint32_t msg, uintptr_t wparam, intptr_t lparam) override;
  void post(uint32_t msg, uintptr_t wparam, intptr_t lparam) override;

 private:
  void AfterBulkChange(int32_t changed);

  CTernDoc& doc_;
  CWheelSplitterWnd* splitter_ = nullptr;
  bool fit_on_load_ = false;
  bool fit_use_col_names_ = true;
};
