#include "platform/client_text.h"

#include <algorithm>
#include <atomic>

#include "platform/codepage.h"

namespace kestrel {
namespace {
std::atomic<uint32_t> g_code_page{kCodePageAnsi};
std::atomic<bool> g_replace_wave_dash{false};
}  // namespace

uint32_t program_code_page() { return g_code_page.load(std::memory_order_relaxed); }
void set_program_code_page(uint32_t code_page) { g_code_page.store(code_page, std::memory_order_relaxed); }

bool replace_wave_dash() { return g_replace_wave_dash.load(std::memory_order_relaxed); }
void set_replace_wave_dash(bool on) { g_replace_wave_dash.store(on, std::memory_order_relaxed); }

std::u16string client_to_wide(std::string_view bytes) {
  std::u16string out = multibyte_to_wide(program_code_page(), bytes);
  if (replace_wave_dash()) std::replace(out.begin(), out.end(), u'\u301C', u'\uFF5E');
  return out;
}

std::string wide_to_client(std::u16string_view text, bool* lossy) {
  return wide_to_multibyte(program_code_page(), text, lossy);
}

}  // namespace kestrel
