// The process-wide binding to the Oracle client library: the library is found
// and loaded at run time and every entry point is looked up by name into one
// function table. Three groups decide what the program can do with it: the
// newer handle-based core, the object calls, and the old cursor-data-area
// interface (OCI7).
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "oci/oci_abi.h"
#include "oci/oci_text.h"
#include "platform/dynamic_library.h"

// Entry points by group, in lookup order.
#define KESTREL_OCI_ENV_CREATE(X) X(OCIEnvCreate)
#define KESTREL_OCI_ENV_FALLBACK(X) X(OCIInitialize) X(OCIEnvInit)
#define KESTREL_OCI_CORE(X)                                                                     \
  X(OCINlsGetInfo) X(OCIServerRelease) X(OCIHandleAlloc) X(OCIHandleFree) X(OCIServerAttach)   \
  X(OCIServerDetach) X(OCISessionBegin) X(OCISessionEnd) X(OCIAttrSet) X(OCIAttrGet)           \
  X(OCIErrorGet) X(OCIStmtPrepare) X(OCIStmtExecute) X(OCIDefineByPos)                          \
  X(OCIDefineArrayOfStruct) X(OCIParamGet) X(OCIStmtFetch) X(OCIBindByName) X(OCIBreak)         \
  X(OCIReset) X(OCIDescriptorAlloc) X(OCIDescriptorFree) X(OCILobAssign) X(OCILobIsTemporary)   \
  X(OCILobLocatorAssign) X(OCILobOpen) X(OCILobClose) X(OCILobGetLength) X(OCILobRead)          \
  X(OCILobWrite) X(OCILobCharSetForm) X(OCILobCharSetId) X(OCILobTrim) X(OCILobFileGetName)     \
  X(OCITransCommit) X(OCITransRollback) X(OCISvcCtxToLda) X(OCILdaToSvcCtx)
#define KESTREL_OCI_CORE_OPTIONAL(X) X(OCIStmtFetch2) X(OCIClientVersion)
#define KESTREL_OCI_OBJECT(X)                                                                  \
  X(OCIDescribeAny) X(OCINumberToReal) X(OCIStringPtr) X(OCIDateToText) X(OCITypeByRef)        \
  X(OCIDefineObject) X(OCIObjectPin) X(OCIObjectGetInd) X(OCIObjectGetAttr) X(OCIIterCreate)   \
  X(OCIIterNext) X(OCIIterDelete) X(OCICollSize) X(OCITableFirst) X(OCITableNext)              \
  X(OCICollGetElem) X(OCIRefToHex) X(OCIRefHexSize)
#define KESTREL_OCI_OBJECT_OPTIONAL(X) X(OCIDateTimeToText)
#define KESTREL_OCI_OCI7(X)                                                                    \
  X(obreak) X(oclose) X(ocom) X(odescr) X(oerhms) X(oexec) X(oexfet) X(oexn) X(ofen) X(olog)    \
  X(ologof) X(oopen) X(oparse) X(orol) X(onbset) X(onbclr) X(obndra) X(odefin)

namespace kestrel {

// One pointer per entry point, typed from the ABI declaration.
struct OciFunctions {
#define KESTREL_OCI_FIELD(name) decltype(&::name) name = nullptr;
  KESTREL_OCI_ENV_CREATE(KESTREL_OCI_FIELD)
  KESTREL_OCI_ENV_FALLBACK(KESTREL_OCI_FIELD)
  KESTREL_OCI_CORE(KESTREL_OCI_FIELD)
  KESTREL_OCI_CORE_OPTIONAL(KESTREL_OCI_FIELD)
  KESTREL_OCI_OBJECT(KESTREL_OCI_FIELD)
  KESTREL_OCI_OBJECT_OPTIONAL(KESTREL_OCI_FIELD)
  KESTREL_OCI_OCI7(KESTREL_OCI_FIELD)
#undef KESTREL_OCI_FIELD
};

// Process-wide state of the layer: written at start-up (load, environment,
// settings), read everywhere afterwards.
// The session code page (0 CP932, 65001 UTF-8) and the wave-dash choice are
// the program's (platform/client_text.h): every conversion uses them.
struct OciProcess {
  DynamicLibrary library;
  OciFunctions fn;
  bool newer_usable = false;     // every newer core call found
  bool objects_usable = false;   // every object call found
  bool oci7_usable = false;      // every old-interface call found
  OCIEnv* env = nullptr;
  bool env_initialised = false;
  bool use_old_interface = false;
  // Describe-only execution leaves the statement unusable on old UTF-8
  // servers; then every described statement is prepared again.
  bool reprepare = false;
  uint32_t long_read_buf_size = 65536;
  uint32_t clob_read_buf_size = 4096;
  // Where the start-up found the settings OCI_PATH_64 and the program.
  std::filesystem::path oci_path_64;
  std::filesystem::path program_dir;
};

OciProcess& oci_process();
inline const OciFunctions& oci_fn() { return oci_process().fn; }

// File names tried in order; the first that loads is kept. OCI_LIBRARY in the
// environment, when set, is the only candidate.
std::vector<std::filesystem::path> oci_library_candidates();
// Loads the first candidate that loads and looks every entry point up.
int oci_load_library(OciMsgBuf msg);
// Loads one given file (the work of oci_load_library after the search).
int oci_load_library_file(const std::filesystem::path& file, OciMsgBuf msg);
// Frees the environment (when created) and unloads the library.
void oci_unload_library();
// Version of the loaded library ("%d.%d.%d.%d" from OCIClientVersion):
// major + minor / 10, or 0.0 when it cannot be had.
double oci_get_client_version(std::u16string* version_text);
// Parses a "%d.%d.%d.%d" version text the same way (0.0 unless four numbers).
double oci_parse_version_text(std::u16string_view text);
// Creates the environment once and detects the client character set.
int oci_init_env(OciMsgBuf msg);
void oci_free_env();

}  // namespace kestrel
