// CCancelDlg: the query dialog "実行中", shown while a SELECT runs and its
// rows are transferred. Two text lines and a Cancel button that asks
// "キャンセルしますか？" first. With delayed display the dialog stays hidden
// for its first half second (the main window takes no input meanwhile), so
// a quick query never shows it. Message 1224 is its owner's: the dialog
// passes it on to the nearest window above it that takes messages.
#pragma once

#include <QString>
#include <functional>
#include <memory>
#include <string>

#include "app/operation_dlg.h"

class QLabel;
class QPushButton;
class QTimer;

namespace kestrel {

inline constexpr int kQueryDlgDelayMs = 500;
inline constexpr char16_t kQueryDlgCaption[] = u"実行中";
inline constexpr char16_t kQueryRunningText[] = u"SQL実行中";
inline constexpr char16_t kQueryTransferText[] = u"検索結果転送中(%d)";
inline constexpr char16_t kQueryCancelQuestion[] = u"キャンセルしますか？";
inline constexpr char16_t kThreadStartError[] = u"スレッド作成エラー";

class CCancelDlg final : public COperationDlg {
  Q_OBJECT
 public:
  CCancelDlg(BackgroundOperation& op, bool delayed_display, QWidget* parent);
  ~CCancelDlg() override;

  QString Line(int index) const;
  QPushButton* CancelButton() const { return cancel_; }
  bool DisplayTimerPending() const;
  // The window message 1224 is passed on to: the nearest of the dialog's
  // parents that takes window messages, or none.
  MsgTarget* Owner() const;

 protected:
  bool CreateControls() override;
  intptr_t OnMessage(uint32_t msg, uintptr_t wparam, intptr_t lparam) override;
  void OnCancel() override;
  int EndResultWhileAsking() const override { return QDialog::Rejected; }
  bool ShowAtStart() const override { return !delayed_; }
  void OnStarted() override;

 private:
  void OnDisplayTimer();

  bool delayed_;
  QLabel* line_[2] = {nullptr, nullptr};
  QPushButton* cancel_ = nullptr;
  QTimer* timer_ = nullptr;
  std::unique_ptr<InputBlocker> blocker_;
};

// Runs `work` on a worker thread behind the query dialog and returns its
// result code, with the worker's error text in *message. The worker shows
// "SQL実行中" first, and its Cancel button is disabled before the end. Give
// op.target() to the cursor layer as its progress window and
// &op.cancel_state() as its cancel flag. When no thread can be started the
// work is not run: kResultNotRun and "スレッド作成エラー".
int run_query_operation(QWidget* parent, const BackgroundOperation::Work& work, std::u16string* message,
                        bool delayed_display = true);

}  // namespace kestrel
