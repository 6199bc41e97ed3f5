#include "oci_test_support.h"

#include <cstdlib>

#include "oci/oci_dictionary.h"
#include "platform/client_text.h"

namespace kestrel::testing {

void reset_oci_process() {
  oci_unload_library();
  OciProcess& p = oci_process();
  p.use_old_interface = false;
  p.reprepare = false;
  p.long_read_buf_size = 65536;
  p.clob_read_buf_size = 4096;
  p.oci_path_64.clear();
  p.program_dir.clear();
  set_program_code_page(0);
  set_replace_wave_dash(false);
  oci_reset_dictionary_state();
}

std::filesystem::path fake_library(const std::string& variant) {
  return std::filesystem::path(KESTREL_OCI_FAKES_DIR) / ("liboci_fake_" + variant + ".so");
}

std::filesystem::path ocilite_library() {
  if (const char* env = std::getenv("KESTREL_TEST_OCILITE_LIB"); env && *env) return env;
#ifdef KESTREL_OCILITE_PATH
  std::filesystem::path p(KESTREL_OCILITE_PATH);
  if (std::filesystem::exists(p)) return p;
#endif
  return {};
}

std::filesystem::path ocilite_tool() {
  if (const char* env = std::getenv("KESTREL_TEST_OCILITE_TOOL"); env && *env) return env;
#ifdef KESTREL_OCILITE_TOOL
  std::filesystem::path p(KESTREL_OCILITE_TOOL);
  if (std::filesystem::exists(p)) return p;
#endif
  return {};
}

}  // namespace kestrel::testing
