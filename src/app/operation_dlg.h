// What the query dialog and the progress dialog share: the modal run of one
// background operation. The dialog lays out its controls, hands the worker
// its message target, opens the start gate, and closes only on the worker's
// end message. Escape and the window's close button act as the Cancel
// button where there is one; an end message that arrives while the user is
// being asked about cancelling closes the question and the dialog, and the
// worker's result stands.
#pragma once

#include <QDialog>
#include <QMessageBox>
#include <QPointer>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>

#include "platform/background_operation.h"
#include "platform/msg_target.h"



class QThread;

namespace kestrel {

// Carries a worker's messages to a dialog on the user-interface thread. A
// send waits until the dialog has handled it; a post is queued and carries
// values only. Once the end is posted or the dialog goes, later messages are
// dropped and a waiting send returns 0, so a worker never blocks on a
// dialog that no longer listens.
class DialogMsgTarget final : public MsgTarget {
 public:
  using Handler = std::function<intptr_t(uint32_t msg, uintptr_t wparam, intptr_t lparam)>;
  DialogMsgTarget(QObject* receiver, Handler handler, uint32_t end_msg);
  intptr_t send(uint32_t msg, uintptr_t wparam, intptr_t lparam) override;
  void post(uint32_t msg, uintptr_t wparam, intptr_t lparam) override;
  // No message gets through after this.
  void close();

 private:
  struct Pending;
  QObject* receiver_;  // owns this target; not touched once closed
  QThread* ui_thread_;
  Handler handler_;
  uint32_t end_msg_;
  std::mutex mutex_;
  std::condition_variable cv_;
  bool closed_ = false;
};

class COperationDlg : public QDialog {
  Q_OBJECT
 public:
  ~COperationDlg() override;

  // Lays the dialog out, starts the worker and runs modally until the end
  // message. Returns QDialog::Accepted or QDialog::Rejected (also when the
  // layout failed and the worker was never started).
  int Run();
  // The result code the end message carried (kResultNotRun before it).
  int ResultCode() const { return result_code_; }
  // Whether the confirmation of Cancel is on screen.
  QMessageBox* Question() const { return question_; }
  bool HasCancelButton() const { return has_cancel_; }
  MsgTarget& Target() { return *target_; }

 protected:
  COperationDlg(BackgroundOperation& op, uint32_t end_msg, bool has_cancel, QWidget* parent);

  // Creates and places the controls; false closes the dialog as Cancel
  // before the worker starts.
  virtual bool CreateControls() = 0;
  // A worker message other than the end message, on the user-interface thread.
  virtual intptr_t OnMessage(uint32_t msg, uintptr_t wparam, intptr_t lparam) = 0;
  // The Cancel button (or Escape, or the close button).
  virtual void OnCancel() = 0;
  // How the end message closes the dialog while the question is up.
  virtual int EndResultWhileAsking() const = 0;
  // Whether the dialog is shown at once; a delayed dialog calls ShowNow().
  virtual bool ShowAtStart() const { return true; }
  virtual void OnStarted() {}

  // Asks "text" with the caption "確認" and Yes/No. Returns the answer
  // (IDYES or IDNO), or 0 when the end message closed the question.
  int Ask(const QString& text);
  void ShowNow();
  bool Ended() const { return ended_; }
  CancelState& State() { return op_.cancel_state(); }

  void reject() override;
  void closeEvent(QCloseEvent* event) override;

 private:
  intptr_t Dispatch(uint32_t msg, uintptr_t wparam, intptr_t lparam);
  void End(int code);

  BackgroundOperation& op_;
  uint32_t end_msg_;
  bool has_cancel_;
  std::shared_ptr<DialogMsgTarget> target_;  // shared with the operation
  QPointer<QMessageBox> question_;
  int result_code_ = kResultNotRun;
  bool ended_ = false;
  bool running_ = false;
};

// Swallows the user's input to every window while a delayed dialog is not
// yet on screen, so the main window takes no input in that time.
class InputBlocker final : public QObject {
 public:
  InputBlocker();
  ~InputBlocker() override;
  bool eventFilter(QObject* watched, QEvent* event) override;
};

}  // namespace kestrel
