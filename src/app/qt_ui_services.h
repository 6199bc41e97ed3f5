// The Qt implementation of UiServices: message boxes with the Windows flags
// mapped onto QMessageBox, the clipboard, the beep, the busy cursor and
// opening URLs. Calls from other threads are carried to the user-interface
// thread and wait for the answer.
#pragma once

#include <QMessageBox>

#include "platform/ui_services.h"

namespace kestrel {

class QtUiServices final : public UiServices {
 public:
  int message_box(std::u16string_view text, std::u16string_view title, uint32_t flags) override;
  void beep(uint32_t type) override;
  bool clipboard_text(std::u16string& out) override;
  bool set_clipboard_text(std::u16string_view text) override;
  // The editor's box flag travels as its own mime type beside text/plain,
  // so a box copied in one editor pastes as a box in another.
  bool clipboard_text_box(std::u16string& out, bool& box) override;
  ClipboardResult set_clipboard_text_box(std::u16string_view text, bool box) override;
  void set_busy_cursor(bool busy) override;
  bool open_url(std::u16string_view url) override;

 private:
  int busy_depth_ = 0;
};

// The mapping, for tests: the buttons, their order and the default button
// that the flags ask for, and the Windows answer for a pressed button.
struct MessageBoxLayout {
  QMessageBox::StandardButtons buttons;
  QMessageBox::StandardButton default_button = QMessageBox::NoButton;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
};
MessageBoxLayout message_box_layout(uint32_t flags);
int windows_answer(QMessageBox::StandardButton pressed, uint32_t flags);

}  // namespace kestrel
