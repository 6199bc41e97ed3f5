#include "app/qt_ui_services.h"

#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QMimeData>
#include <QThread>
#include <QUrl>
#include <vector>

#include "app/qt_text.h"
#include "sqltext/edit_ctrl.h"

namespace kestrel {
namespace {

constexpr uint32_t kAbortRetryIgnore = 0x2;
constexpr uint32_t kDefButton3 = 0x200;
constexpr uint32_t kDefMask = 0xF00;
constexpr int kIdAbort = 3;
constexpr int kIdIgnore = 5;

std::vector<QMessageBox::StandardButton> buttons_in_order(uint32_t type) {
  switch (type) {
    case mb::OKCANCEL: return {QMessageBox::Ok, QMessageBox::Cancel};
    case kAbortRetryIgnore: return {QMessageBox::Abort, QMessageBox::Retry, QMessageBox::Ignore};
    case mb::YESNOCANCEL: return {QMessageBox::Yes, QMessageBox::No, QMessageBox::Cancel};
    case mb::YESNO: return {QMessageBox::Yes, QMessageBox::No};
    case mb::RETRYCANCEL: return {QMessageBox::Retry, QMessageBox::Cancel};
    default: return {QMessageBox::Ok};
  }
}

// Runs `fn` on the user-interface thread and waits for it.
template <typename Fn>
void on_ui_thread(Fn&& fn) {
  QCoreApplication* app = QCoreApplication::instance();
  if (!app || QThread::currentThread() == app->thread()) {
    fn();
    return;
  }
  QMetaObject::invokeMethod(app, std::forward<Fn>(fn), Qt::BlockingQueuedConnection);
}

}  // namespace

MessageBoxLayout message_box_layout(uint32_t flags) {
  MessageBoxLayout l;
  auto order = buttons_in_order(flags & mb::TYPEMASK);
  for (auto b : order) l.buttons |= b;
  std::size_t def = (flags & kDefMask) == mb::DEFBUTTON2 ? 1 : (flags & kDefMask) == kDefButton3 ? 2 : 0;
  l.default_button = order[def < order.size() ? def : 0];
  switch (flags & mb::ICONMASK) {
    case mb::ICONERROR: l.icon = QMessageBox::Critical; break;
    case mb::ICONQUESTION: l.icon = QMessageBox::Question; break;
    case mb::ICONEXCLAMATION: l.icon = QMessageBox::Warning; break;
    case mb::ICONINFORMATION: l.icon = QMessageBox::Information; break;
    default: l.icon = QMessageBox::NoIcon; break;
  }
  return l;
}

int windows_answer(QMessageBox::StandardButton pressed, uint32_t flags) {
  switch (pressed) {
    case QMessageBox::Ok: return IDOK;
    case QMessageBox::Cancel: return IDCANCEL;
    case QMessageBox::Abort: return kIdAbort;
    case QMessageBox::Retry: return IDRETRY;
    case QMessageBox::Ignore: return kIdIgnore;
    case QMessageBox::Yes: return IDYES;
    case QMessageBox::No: return IDNO;
    default:
      // Closed without a button: the Windows box answers Cancel where it has
      // one, else its only or escape button.
      switch (flags & mb::TYPEMASK) {
        case mb::YESNO: return IDNO;
        case mb::OK: return IDOK;
        case kAbortRetryIgnore: return kIdAbort;
        default: return IDCANCEL;
      }
  }
}

int QtUiServices::message_box(std::u16string_view text, std::u16string_view title, uint32_t flags) {
  int answer = IDCANCEL;
  QString qtext = to_qstring(text), qtitle = to_qstring(title);
  on_ui_thread([&] {
    MessageBoxLayout l = message_box_layout(flags);
    QMessageBox box(l.icon, qtitle, qtext, l.buttons, QApplication::activeWindow());
    box.setTextFormat(Qt::PlainText);  // texts such as "<BLOB 12kbyte>" are not markup
    box.setDefaultButton(l.default_button);
    box.exec();
    answer = windows_answer(static_cast<QMessageBox::StandardButton>(box.standardButton(box.clickedButton())), flags);
  });
  return answer;
}

void QtUiServices::beep(uint32_t) {
  on_ui_thread([] { QApplication::beep(); });
}

bool QtUiServices::clipboard_text(std::u16string& out) {
  bool ok = false;
  on_ui_thread([&] {
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    if (data && data->hasText()) {
      out = from_qstring(data->text());
      ok = true;
    }
  });
  return ok;
}

bool QtUiServices::set_clipboard_text(std::u16string_view text) {
  QString q = to_qstring(text);
  on_ui_thread([&] { QGuiApplication::clipboard()->setText(q); });
  return true;
}

bool QtUiServices::clipboard_text_box(std::u16string& out, bool& box) {
  bool ok = false;
  on_ui_thread([&] { ok = EditClipboardGet(out, box); });
  return ok;
}

UiServices::ClipboardResult QtUiServices::set_clipboard_text_box(std::u16string_view text, bool box) {
  ClipboardResult result = ClipboardResult::kCannotSet;
  on_ui_thread([&] { result = EditClipboardSet(text, box); });
  return result;
}

void QtUiServices::set_busy_cursor(bool busy) {
  on_ui_thread([&] {
    if (busy) {
      QApplication::setOverrideCursor(Qt::WaitCursor);
      ++busy_depth_;
    } else if (busy_depth_ > 0) {
      QApplication::restoreOverrideCursor();
      --busy_depth_;
    }
  });
}

bool QtUiServices::open_url(std::u16string_view url) {
  bool ok = false;
  QString q = to_qstring(url);
  on_ui_thread([&] { ok = QDesktopServices::openUrl(QUrl::fromUserInput(q)); });
  return ok;
}

}  // namespace kestrel
