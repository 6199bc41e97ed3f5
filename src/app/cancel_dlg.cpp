#include "app/cancel_dlg.h"

#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <algorithm>

#include "app/qt_text.h"
#include "platform/format.h"
#include "platform/progress_messages.h"
#include "platform/ui_services.h"

namespace kestrel {
namespace {

// Client area and control placement, in pixels.
constexpr int kClientWidth = 300;
constexpr int kClientHeight = 100;
constexpr int kMargin = 10;
constexpr int kLineHeight = 20;
constexpr int kLine2Top = 35;
constexpr int kButtonWidth = 80;
constexpr int kButtonHeight = 20;
constexpr int kButtonBottomGap = 30;

}  // namespace

CCancelDlg::CCancelDlg(BackgroundOperation& op, bool delayed_display, QWidget* parent)
    : COperationDlg(op, progress::kQueryEnd, true, parent), delayed_(delayed_display) {
  setWindowTitle(to_qstring(kQueryDlgCaption));
}

CCancelDlg::~CCancelDlg() {
  if (timer_) timer_->stop();
}

bool CCancelDlg::CreateControls() {
  setFixedSize(kClientWidth, kClientHeight);
  const int inner = kClientWidth - 2 * kMargin;
  for (int i = 0; i < 2; ++i) {
    line_[i] = new QLabel(this);
    line_[i]->setTextFormat(Qt::PlainText);
    line_[i]->setGeometry(kMargin, i == 0 ? kMargin : kLine2Top, inner, kLineHeight);
  }
  cancel_ = new QPushButton(QStringLiteral("Cancel"), this);
  cancel_->setObjectName(QStringLiteral("cancel"));
  cancel_->setGeometry((kClientWidth - kButtonWidth) / 2, kClientHeight - kButtonBottomGap, kButtonWidth,
                       kButtonHeight);
  connect(cancel_, &QPushButton::clicked, this, [this] {
    if (!Ended()) OnCancel();
  });
  return true;
}

void CCancelDlg::OnStarted() {
  if (!delayed_) return;
  // Hidden, with the application's input held back, until the timer fires.
  blocker_ = std::make_unique<InputBlocker>();
  timer_ = new QTimer(this);
  timer_->setSingleShot(true);
  connect(timer_, &QTimer::timeout, this, &CCancelDlg::OnDisplayTimer);
  timer_->start(kQueryDlgDelayMs);
}

void CCancelDlg::OnDisplayTimer() {
  timer_->stop();
  blocker_.reset();
  ShowNow();
}

bool CCancelDlg::DisplayTimerPending() const { return timer_ && timer_->isActive(); }

MsgTarget* CCancelDlg::Owner() const {
  for (QWidget* w = parentWidget(); w; w = w->parentWidget())
    if (auto* target = dynamic_cast<MsgTarget*>(w)) return target;
  return nullptr;
}

QString CCancelDlg::Line(int index) const {
  return index >= 0 && index < 2 && line_[index] ? line_[index]->text() : QString();
}

intptr_t CCancelDlg::OnMessage(uint32_t msg, uintptr_t wparam, intptr_t lparam) {
  switch (msg) {
    case progress::kQuerySetText:
      if (wparam <= 1 && lparam != 0) {
        line_[wparam]->setText(to_qstring(reinterpret_cast<const char16_t*>(lparam)));
        line_[wparam]->repaint();
      }
      return 0;
    case progress::kQueryEnableCancel:
      cancel_->setEnabled(wparam != 0);
      return 0;
    case progress::kQueryForOwner:
      if (MsgTarget* owner = Owner()) return owner->send(msg, wparam, lparam);
      return 0;
    case progress::kQueryRowsFetched: {
      if (DisplayTimerPending()) return 0;
      const auto rows = std::max<int64_t>(static_cast<int64_t>(wparam), static_cast<int64_t>(lparam));
      line_[0]->setText(to_qstring(format(kQueryTransferText, {rows})));
      return 0;
    }
    default:
      return 0;
  }
}

void CCancelDlg::OnCancel() {
  if (!cancel_->isEnabled()) return;
  State().store(kCancelStateAsking);
  const int answer = Ask(to_qstring(kQueryCancelQuestion));
  if (answer == 0) return;  // the operation ended meanwhile
  if (answer != IDNO) {
    State().store(kCancelStateRequested);
    cancel_->setEnabled(false);
  } else {
    State().store(kCancelStateRunning);
  }
}

int run_query_operation(QWidget* parent, const BackgroundOperation::Work& work, std::u16string* message,
                        bool delayed_display) {
  BackgroundOperation op([&work](BackgroundOperation& o) {
    MsgTarget* dlg = o.target();
    dlg->send(progress::kQuerySetText, 0, reinterpret_cast<intptr_t>(kQueryRunningText));
    const int rc = work(o);
    dlg->send(progress::kQueryEnableCancel, 0, 0);
    dlg->post(progress::kQueryEnd, static_cast<uintptr_t>(static_cast<intptr_t>(rc)), 0);
    return rc;
  });
  if (!op.created()) {
    if (message) *message = kThreadStartError;
    return kResultNotRun;
  }
  {
    CCancelDlg dlg(op, delayed_display, parent);
    dlg.Run();
  }
  const int rc = op.finish();
  if (message) *message = op.message();
  return rc;
}

}  // namespace kestrel
