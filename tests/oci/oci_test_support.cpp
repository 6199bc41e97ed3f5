#include "oci_test_support.h"

#include <cstdlib>

#include "oci/oci_codes.h"
#include "oci/oci_dictionary.h"
#include "platform/client_text.h"
#include "support/shell_quote.h"

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

void OciliteDbTest::SetUp() {
  OciProcessTest::SetUp();
  if (ocilite_library().empty() || ocilite_tool().empty())
    GTEST_SKIP() << "the stand-in client library or its tool is not built";
  db_ = tmp_.path() / "db";
  ASSERT_TRUE(tool("create " + shell_quote(db_.string())));
  ASSERT_TRUE(tool("user add " + shell_quote(db_.string()) + " SCOTT TIGER"));
  setenv("NLS_LANG", "JAPANESE_JAPAN.AL32UTF8", 1);
  ASSERT_EQ(oci_load_library_file(ocilite_library(), nullptr), kOciOk);
}

bool OciliteDbTest::tool(const std::string& args) {
  std::string cmd = shell_quote(ocilite_tool().string()) + " " + args + " > " +
                    shell_quote((tmp_.path() / "tool.log").string()) + " 2>&1";
  return std::system(cmd.c_str()) == 0;
}

}  // namespace kestrel::testing
