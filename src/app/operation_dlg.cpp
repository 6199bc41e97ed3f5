#include "app/operation_dlg.h"

#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QMessageBox>
#include <QThread>

#include "platform/ui_services.h"

namespace kestrel {

// ---- DialogMsgTarget ----

struct DialogMsgTarget::Pending {
  bool done = false;
  intptr_t result = 0;
};

DialogMsgTarget::DialogMsgTarget(QObject* receiver, Handler handler, uint32_t end_msg)
    : receiver_(receiver), ui_thread_(receiver->thread()), handler_(std::move(handler)), end_msg_(end_msg) {}

intptr_t DialogMsgTarget::send(uint32_t msg, uintptr_t wparam, intptr_t lparam) {
  if (QThread::currentThread() == ui_thread_) {
    {
      std::lock_guard lock(mutex_);
      if (closed_) return 0;
    }
    return handler_(msg, wparam, lparam);
  }
  auto pending = std::make_shared<Pending>();
  std::unique_lock lock(mutex_);
  if (closed_) return 0;
  // Queued while the lock is held: close() (and so the receiver's
  // destruction) cannot slip in between the check and the queueing.
  QMetaObject::invokeMethod(
      receiver_,
      [this, pending, msg, wparam, lparam] {
        const intptr_t result = handler_(msg, wparam, lparam);
        std::lock_guard inner(mutex_);
        pending->result = result;
        pending->done = true;
        cv_.notify_all();
      },
      Qt::QueuedConnection);
  cv_.wait(lock, [&] { return pending->done || closed_; });
  return pending->done ? pending->result : 0;
}

void DialogMsgTarget::post(uint32_t msg, uintptr_t wparam, intptr_t lparam) {
  std::lock_guard lock(mutex_);
  if (closed_) return;
  if (msg == end_msg_) closed_ = true;  // nothing follows the end
  QMetaObject::invokeMethod(
      receiver_, [this, msg, wparam, lparam] { handler_(msg, wparam, lparam); }, Qt::QueuedConnection);
  cv_.notify_all();
}

void DialogMsgTarget::close() {
  std::lock_guard lock(mutex_);
  closed_ = true;
  cv_.notify_all();
}

// ---- COperationDlg ----

COperationDlg::COperationDlg(BackgroundOperation& op, uint32_t end_msg, bool has_cancel, QWidget* parent)
    : QDialog(parent), op_(op), end_msg_(end_msg), has_cancel_(has_cancel) {
  target_ = std::make_shared<DialogMsgTarget>(
      this, [this](uint32_t msg, uintptr_t w, intptr_t l) { return Dispatch(msg, w, l); }, end_msg);
  // No help button; the close button stays (it acts as Cancel).
  setWindowFlags((windowFlags() & ~Qt::WindowContextHelpButtonHint) | Qt::WindowCloseButtonHint);
}

COperationDlg::~COperationDlg() { target_->close(); }

int COperationDlg::Run() {
  if (!CreateControls()) {
    // The worker is never started: whoever waits for it returns at once.
    target_->close();
    setResult(QDialog::Rejected);
    return QDialog::Rejected;
  }
  op_.set_target(target_);
  setWindowModality(Qt::ApplicationModal);
  QEventLoop loop;
  connect(this, &QDialog::finished, &loop, &QEventLoop::quit);
  running_ = true;
  if (ShowAtStart()) show();
  OnStarted();
  op_.start();
  if (!ended_) loop.exec(QEventLoop::DialogExec);
  running_ = false;
  return result();
}

intptr_t COperationDlg::Dispatch(uint32_t msg, uintptr_t wparam, intptr_t lparam) {
  if (ended_) return 0;
  if (msg == end_msg_) {
    End(static_cast<int>(static_cast<intptr_t>(wparam)));
    return 0;
  }
  return OnMessage(msg, wparam, lparam);
}

void COperationDlg::End(int code) {
  ended_ = true;
  result_code_ = code;
  target_->close();
  int how = QDialog::Accepted;
  if (question_) {
    how = EndResultWhileAsking();
    question_->done(QMessageBox::No);
  }
  done(how);
}

int COperationDlg::Ask(const QString& text) {
  QMessageBox box(QMessageBox::Question, QStringLiteral(u"確認"), text, QMessageBox::Yes | QMessageBox::No, this);
  box.setTextFormat(Qt::PlainText);
  box.setDefaultButton(QMessageBox::Yes);
  box.setEscapeButton(QMessageBox::No);
  question_ = &box;
  const int answer = box.exec();
  question_ = nullptr;
  if (ended_) return 0;
  return answer == QMessageBox::Yes ? IDYES : IDNO;
}

void COperationDlg::ShowNow() {
  if (ended_) return;
  if (QWidget* owner = parentWidget()) {
    const QPoint centre = owner->window()->frameGeometry().center();
    move(centre - QPoint(width() / 2, height() / 2));
  }
  show();
  raise();
  activateWindow();
}

void COperationDlg::reject() {
  // Escape: the dialog closes only on the worker's end message.
  if (has_cancel_ && running_ && !ended_ && !question_) OnCancel();
}

void COperationDlg::closeEvent(QCloseEvent* event) {
  event->ignore();
  if (has_cancel_ && running_ && !ended_ && !question_) OnCancel();
}

// ---- InputBlocker ----

InputBlocker::InputBlocker() { qApp->installEventFilter(this); }

InputBlocker::~InputBlocker() { qApp->removeEventFilter(this); }

bool InputBlocker::eventFilter(QObject*, QEvent* event) {
  switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::InputMethod:
      return true;
    case QEvent::Close:
      return event->spontaneous();  // the user closing a window
    default:
      return false;
  }
}

}  // namespace kestrel
