// A UiServices that records message boxes, beeps and clipboard use, and
// answers message boxes from a script (then with the default button).
// Installs itself for its lifetime.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "platform/ui_services.h"

namespace kestrel::testing {

struct RecordedBox {
  std::u16string text;
  std::u16string title;
  uint32_t flags;
};

class ScriptedUi final : public UiServices {
 public:
  ScriptedUi() : previous_(set_ui_services(this)) {}
  ~ScriptedUi() override { set_ui_services(previous_); }
  ScriptedUi(const ScriptedUi&) = delete;
  ScriptedUi& operator=(const ScriptedUi&) = delete;

  // Next answers for message boxes, in order.
  void answer(int id) { answers_.push_back(id); }

  int message_box(std::u16string_view text, std::u16string_view title, uint32_t flags) override {
    boxes.push_back({std::u16string(text), std::u16string(title), flags});
    if (!answers_.empty()) {
      int a = answers_.front();
      answers_.pop_front();
      return a;
    }
    uint32_t type = flags & mb::TYPEMASK;
    if (type == mb::YESNO || type == mb::YESNOCANCEL) return (flags & mb::DEFBUTTON2) ? IDNO : IDYES;
    if (type == mb::OKCANCEL) return (flags & mb::DEFBUTTON2) ? IDCANCEL : IDOK;
    return IDOK;
  }
  void beep(uint32_t type) override { beeps.push_back(type); }
  bool clipboard_text(std::u16string& out) override {
    if (!has_clipboard) return false;
    out = clipboard;
    return true;
  }
  bool set_clipboard_text(std::u16string_view text) override {
    clipboard = std::u16string(text);
    has_clipboard = true;
    clipboard_box = false;
    return true;
  }
  bool clipboard_text_box(std::u16string& out, bool& box) override {
    box = has_clipboard && clipboard_box;
    return clipboard_text(out);
  }
  ClipboardResult set_clipboard_text_box(std::u16string_view text, bool box) override {
    if (clipboard_failure != ClipboardResult::kOk) return clipboard_failure;
    set_clipboard_text(text);
    clipboard_box = box;
    return ClipboardResult::kOk;
  }
  void set_busy_cursor(bool busy) override { busy_calls.push_back(busy); }
  bool open_url(std::u16string_view url) override {
    urls.emplace_back(url);
    return true;
  }

  std::vector<RecordedBox> boxes;
  std::vector<uint32_t> beeps;
  std::vector<bool> busy_calls;
  std::vector<std::u16string> urls;
  std::u16string clipboard;
  bool has_clipboard = false;
  bool clipboard_box = false;  // the editor's box flag beside the text
  // What set_clipboard_text_box answers; anything but kOk leaves the clipboard alone.
  ClipboardResult clipboard_failure = ClipboardResult::kOk;

 private:
  std::deque<int> answers_;
  UiServices* previous_;
};

}  // namespace kestrel::testing
