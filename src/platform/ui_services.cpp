#include "platform/ui_services.h"

#include <atomic>

namespace kestrel {
namespace {

class SilentUi final : public UiServices {
 public:
  int message_box(std::u16string_view, std::u16string_view, uint32_t flags) override {
    switch (flags & mb::TYPEMASK) {
      case mb::YESNO:
      case mb::YESNOCANCEL:
        return (flags & mb::DEFBUTTON2) ? IDNO : IDYES;
      case mb::OKCANCEL:
        return (flags & mb::DEFBUTTON2) ? IDCANCEL : IDOK;
      case mb::RETRYCANCEL:
        return (flags & mb::DEFBUTTON2) ? IDCANCEL : IDRETRY;
      default:
        return IDOK;
    }
  }
  void beep(uint32_t) override {}
  bool clipboard_text(std::u16string&) override { return false; }
  bool set_clipboard_text(std::u16string_view) override { return false; }
  void set_busy_cursor(bool) override {}
  bool open_url(std::u16string_view) override { return false; }
};

SilentUi g_silent;
std::atomic<UiServices*> g_current{&g_silent};

}  // namespace

UiServices& ui() { return *g_current.load(); }

UiServices* set_ui_services(UiServices* services) {
  UiServices* prev = g_current.exchange(services ? services : &g_silent);
  return prev == &g_silent ? nullptr : prev;
}

}  // namespace kestrel
