# Writes OUTPUT, a C++ source defining ocilite::tool::demo_files() with the
# bytes of every file under SOURCE_DIR matching *.sql or files/*, in name order.
file(GLOB_RECURSE files RELATIVE ${SOURCE_DIR} ${SOURCE_DIR}/*.sql ${SOURCE_DIR}/files/*)
list(SORT files)
set(body "")
set(table "")
set(n 0)
foreach(f IN LISTS files)
  file(READ ${SOURCE_DIR}/${f} hex HEX)
  string(LENGTH "${hex}" hex_len)
  math(EXPR size "${hex_len} / 2")
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
  string(APPEND body "const unsigned char kFile${n}[] = {${bytes} 0};\n")
  string(APPEND table "      {\"${f}\", std::string_view(reinterpret_cast<const char*>(kFile${n}), ${size})},\n")
  math(EXPR n "${n} + 1")
endforeach()
file(WRITE ${OUTPUT}.tmp "// Generated from ocilite/demo by embed_files.cmake; do not edit.
#include \"tool/demo_files.h\"

namespace ocilite::tool {
namespace {
${body}}  // namespace

const std::vector<DemoFile>& demo_files() {
  static const std::vector<DemoFile> files = {
${table}  };
  return files;
}

}  // namespace ocilite::tool
")
file(COPY_FILE ${OUTPUT}.tmp ${OUTPUT} ONLY_IF_DIFFERENT)
file(REMOVE ${OUTPUT}.tmp)
