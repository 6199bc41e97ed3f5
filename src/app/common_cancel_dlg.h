// CCommonCancelDlg: the general progress dialog of a background operation
// (the save). Option bits choose a Cancel button (asking "キャンセルしますか"
// first), a progress bar and a second text line; the worker drives them with
// the progress messages and reads the cancel state by message.
#pragma once

#include <QString>
#include <cstdint>
#include <string>

#include "app/operation_dlg.h"

class QLabel;
class QProgressBar;
class QPushButton;

namespace kestrel {

inline constexpr uint32_t kProgressOptCancel = 0x1;
inline constexpr uint32_t kProgressOptBar = 0x2;
inline constexpr uint32_t kProgressOptLine2 = 0x4;
inline constexpr char16_t kProgressDlgCaption[] = u"実行中";
inline constexpr char16_t kProgressCancelQuestion[] = u"キャンセルしますか";
inline constexpr char16_t kProgressFetchingText[] = u"データ取得中";

class CCommonCancelDlg : public COperationDlg {
  Q_OBJECT
 public:
  // `registered_msg` (0: none) sets line 1 to "データ取得中" and the bar's
  // position from lParam.
  CCommonCancelDlg(BackgroundOperation& op, uint32_t options, QWidget* parent, uint32_t registered_msg = 0);

  uint32_t Options() const { return options_; }
  QString Line(int line) const;  // 1 or 2
  QProgressBar* Bar() const { return bar_; }
  QPushButton* CancelButton() const { return cancel_; }
  int32_t Extra() const { return extra_; }

 protected:
  bool CreateControls() override;
  intptr_t OnMessage(uint32_t msg, uintptr_t wparam, intptr_t lparam) override;
  void OnCancel() override;
  int EndResultWhileAsking() const override { return QDialog::Accepted; }

 private:
  uint32_t options_;
  uint32_t registered_msg_;
  QLabel* line1_ = nullptr;
  QLabel* line2_ = nullptr;
  QProgressBar* bar_ = nullptr;
  QPushButton* cancel_ = nullptr;
  int step_ = 10;
  int32_t extra_ = 0;
};

// Runs `work` on a worker thread behind the progress dialog with `options`
// and returns its result code, with the worker's error text in *message and
// the extra value the worker set in *extra. The end message is posted for
// the work. A dialog that fails before the worker starts leaves it unrun:
// kResultNotRun and "キャンセルしました\n"; no thread: "スレッド作成エラー".
int run_progress_operation(QWidget* parent, uint32_t options, const BackgroundOperation::Work& work,
                           std::u16string* message, int32_t* extra = nullptr, uint32_t registered_msg = 0);

}  // namespace kestrel
