#include "app/common_cancel_dlg.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <algorithm>

#include "app/cancel_dlg.h"
#include "app/qt_text.h"
#include "platform/progress_messages.h"
#include "platform/ui_services.h"

namespace kestrel {
namespace {

// Placement in client pixels. Line 1 runs from 10 to 30; the bar sits at 40
// (10 high), line 2 at 40 (20 high), or below the bar when both are shown;
// the Cancel button is 80 x 20, centred, its top 30 above the bottom.
constexpr int kClientWidth = 320;
constexpr int kMargin = 10;
constexpr int kLine1Bottom = 30;
constexpr int kSecondRowTop = 40;
constexpr int kBarHeight = 10;
constexpr int kLine2Height = 20;
constexpr int kLine2BelowBarGap = 6;
constexpr int kButtonWidth = 80;
constexpr int kButtonHeight = 20;
constexpr int kButtonBottomGap = 30;
constexpr int kBottomGap = 10;

}  // namespace

CCommonCancelDlg::CCommonCancelDlg(BackgroundOperation& op, uint32_t options, QWidget* parent,
                                   uint32_t registered_msg)
    : COperationDlg(op, progress::kEnd, (options & kProgressOptCancel) != 0, parent),
      options_(options),
      registered_msg_(registered_msg) {
  setWindowTitle(to_qstring(kProgressDlgCaption));
}

bool CCommonCancelDlg::CreateControls() {
  const int inner = kClientWidth - 2 * kMargin;
  int bottom = kLine1Bottom;
  line1_ = new QLabel(this);
  line1_->setTextFormat(Qt::PlainText);
  line1_->setGeometry(kMargin, kMargin, inner, kLine1Bottom - kMargin);
  if (options_ & kProgressOptBar) {
    bar_ = new QProgressBar(this);
    bar_->setTextVisible(false);
    bar_->setRange(0, 100);
    bar_->setValue(0);
    bar_->setGeometry(kMargin, kSecondRowTop, inner, kBarHeight);
    bottom = kSecondRowTop + kBarHeight;
  }
  if (options_ & kProgressOptLine2) {
    // The two would overlap at the same top: the line goes under the bar.
    const int top = bar_ ? bottom + kLine2BelowBarGap : kSecondRowTop;
    line2_ = new QLabel(this);
    line2_->setTextFormat(Qt::PlainText);
    line2_->setGeometry(kMargin, top, inner, kLine2Height);
    bottom = top + kLine2Height;
  }
  int height = bottom + kBottomGap;
  if (options_ & kProgressOptCancel) {
    height = bottom + kBottomGap + kButtonBottomGap;
    cancel_ = new QPushButton(QStringLiteral("Cancel"), this);
    cancel_->setObjectName(QStringLiteral("cancel"));
    cancel_->setGeometry((kClientWidth - kButtonWidth) / 2, height - kButtonBottomGap, kButtonWidth, kButtonHeight);
    connect(cancel_, &QPushButton::clicked, this, [this] {
      if (!Ended()) OnCancel();
    });
  }
  setFixedSize(kClientWidth, height);
  return true;
}

QString CCommonCancelDlg::Line(int line) const {
  const QLabel* label = line == 1 ? line1_ : line == 2 ? line2_ : nullptr;
  return label ? label->text() : QString();
}

intptr_t CCommonCancelDlg::OnMessage(uint32_t msg, uintptr_t wparam, intptr_t lparam) {
  if (registered_msg_ != 0 && msg == registered_msg_) {
    line1_->setText(to_qstring(kProgressFetchingText));
    if (bar_) bar_->setValue(static_cast<int>(std::clamp<intptr_t>(lparam, bar_->minimum(), bar_->maximum())));
    return 0;
  }
  switch (msg) {
    case progress::kSetText: {
      QLabel* label = wparam == 1 ? line1_ : wparam == 2 ? line2_ : nullptr;
      if (label && lparam != 0) {
        label->setText(to_qstring(reinterpret_cast<const char16_t*>(lparam)));
        label->repaint();
      }
      return 0;
    }
    case progress::kCancelState:
      return State().load();
    case progress::kSetRange:
      step_ = static_cast<int>(wparam);
      if (bar_) {
        bar_->setRange(0, static_cast<int>(std::max<intptr_t>(lparam, 0)));
        bar_->setValue(0);
      }
      return 0;
    case progress::kSetPos:
      if (bar_) bar_->setValue(static_cast<int>(std::clamp<intptr_t>(static_cast<intptr_t>(wparam), 0, bar_->maximum())));
      return 0;
    case progress::kStep:
      if (bar_) bar_->setValue(std::min(bar_->value() + step_, bar_->maximum()));
      return 0;
    case progress::kSetExtra:
      extra_ = static_cast<int32_t>(static_cast<intptr_t>(wparam));
      return 0;
    default:
      return 0;
  }
}

void CCommonCancelDlg::OnCancel() {
  if (!cancel_) return;
  State().store(kCancelStateAsking);
  const int answer = Ask(to_qstring(kProgressCancelQuestion));
  if (answer == 0) return;  // the operation ended meanwhile
  State().store(answer == IDYES ? kCancelStateRequested : kCancelStateRunning);
}

int run_progress_operation(QWidget* parent, uint32_t options, const BackgroundOperation::Work& work,
                           std::u16string* message, int32_t* extra, uint32_t registered_msg) {
  BackgroundOperation op([&work](BackgroundOperation& o) {
    const int rc = work(o);
    o.target()->post(progress::kEnd, static_cast<uintptr_t>(static_cast<intptr_t>(rc)), 0);
    return rc;
  });
  if (!op.created()) {
    if (message) *message = kThreadStartError;
    return kResultNotRun;
  }
  int32_t extra_value = 0;
  bool ran = true;
  {
    CCommonCancelDlg dlg(op, options, parent, registered_msg);
    ran = dlg.Run() == QDialog::Accepted || dlg.ResultCode() != kResultNotRun;
    extra_value = dlg.Extra();
  }
  const int rc = op.finish();
  if (message) *message = ran ? op.message() : std::u16string(kCancelledText);
  if (extra) *extra = extra_value;
  return rc;
}

}  // namespace kestrel
