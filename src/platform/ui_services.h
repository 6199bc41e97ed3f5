// What the core asks of the user interface without knowing it: message
// boxes, the beep, the clipboard's text (with the editor's box flag), the
// busy cursor, opening a URL.
// Flags and answers keep the Windows message-box numbers, so a caller writes
// MB_YESNO | MB_ICONQUESTION and compares with IDYES as the design says.
// The Qt layer installs the real implementation at start; tests install a
// scripted one that records each call and returns programmed answers.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kestrel {

namespace mb {
inline constexpr uint32_t OK = 0x0;
inline constexpr uint32_t OKCANCEL = 0x1;
inline constexpr uint32_t YESNOCANCEL = 0x3;
inline constexpr uint32_t YESNO = 0x4;
inline constexpr uint32_t RETRYCANCEL = 0x5;
inline constexpr uint32_t ICONERROR = 0x10;  // also MB_ICONSTOP / MB_ICONHAND
inline constexpr uint32_t ICONQUESTION = 0x20;
inline constexpr uint32_t ICONEXCLAMATION = 0x30;  // also MB_ICONWARNING
inline constexpr uint32_t ICONINFORMATION = 0x40;
inline constexpr uint32_t DEFBUTTON2 = 0x100;
inline constexpr uint32_t TYPEMASK = 0xF;
inline constexpr uint32_t ICONMASK = 0xF0;
}  // namespace mb

inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;
inline constexpr int IDRETRY = 4;
inline constexpr int IDYES = 6;
inline constexpr int IDNO = 7;

class UiServices {
 public:
  virtual ~UiServices() = default;
  // Modal message box; returns IDOK, IDCANCEL, IDYES, IDNO, ...
  virtual int message_box(std::u16string_view text, std::u16string_view title, uint32_t flags) = 0;
  // `type` is the MessageBeep kind (0xFFFFFFFF simple beep, or an icon flag).
  virtual void beep(uint32_t type) = 0;
  // False when the clipboard holds no text.
  virtual bool clipboard_text(std::u16string& out) = 0;
  virtual bool set_clipboard_text(std::u16string_view text) = 0;
  // The clipboard with the text editor's box flag beside the text (the
  // format "application/x-brant-editctrl-cf-is-box-unicode" holding "TRUE"
  // or "FALSE"), so a rectangle copied in one editor pastes as a rectangle
  // in another. Text from elsewhere carries no flag: `box` is false. The
  // defaults know no flag and use the plain text calls.
  enum class ClipboardResult { kOk, kCannotOpen, kCannotEmpty, kCannotSet };
  virtual bool clipboard_text_box(std::u16string& out, bool& box) {
    box = false;
    return clipboard_text(out);
  }
  virtual ClipboardResult set_clipboard_text_box(std::u16string_view text, bool /*box*/) {
    return set_clipboard_text(text) ? ClipboardResult::kOk : ClipboardResult::kCannotSet;
  }
  virtual void set_busy_cursor(bool busy) = 0;
  virtual bool open_url(std::u16string_view url) = 0;
};

// The process-wide implementation. Until one is installed a silent one
// answers (message boxes return their default button, the clipboard is empty).
UiServices& ui();
// Installs `services` (not owned; nullptr restores the silent one) and
// returns the previous one.
UiServices* set_ui_services(UiServices* services);

}  // namespace kestrel
