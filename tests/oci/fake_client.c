/* A tiny stand-in for a client library that exports only some groups of
 * entry points, so the loader's group flags can be checked. Built several
 * times with different FAKE_* switches. Only the calls the environment set-up
 * makes do real work; every other export is a stub that fails. */
#include <stdlib.h>
#include <string.h>

#define STUB(name) int name(void) { return -1; }

#if FAKE_CORE
#if FAKE_ENV_FALLBACK
int OCIInitialize(unsigned mode, void *ctx, void *m, void *r, void *f) {
  (void)mode; (void)ctx; (void)m; (void)r; (void)f;
  return 0;
}
int OCIEnvInit(void **env, unsigned mode, size_t extra, void **mem) {
  (void)mode; (void)extra; (void)mem;
  *env = malloc(16);
  return 0;
}
#else
int OCIEnvCreate(void **env, unsigned mode, void *ctx, void *m, void *r, void *f, size_t extra, void **mem) {
  (void)mode; (void)ctx; (void)m; (void)r; (void)f; (void)extra; (void)mem;
  *env = malloc(16);
  return 0;
}
#endif
int OCIHandleAlloc(const void *parent, void **h, unsigned type, size_t extra, void **mem) {
  (void)parent; (void)type; (void)extra; (void)mem;
  *h = malloc(16);
  return 0;
}
int OCIHandleFree(void *h, unsigned type) {
  (void)type;
  free(h);
  return 0;
}
/* The client character set comes from FAKE_OCI_CHARSET (default AL32UTF8). */
int OCINlsGetInfo(void *h, void *err, unsigned char *buf, size_t len, unsigned short item) {
  const char *cs = getenv("FAKE_OCI_CHARSET");
  (void)h; (void)err;
  if (item != 55 || len == 0) return -1;
  if (!cs) cs = "AL32UTF8";
  strncpy((char *)buf, cs, len - 1);
  buf[len - 1] = 0;
  return 0;
}
void OCIClientVersion(int *a, int *b, int *c, int *d, int *e) {
  *a = 11; *b = 2; *c = 0; *d = 1; *e = 0;
}
STUB(OCIServerRelease) STUB(OCIServerAttach) STUB(OCIServerDetach)
STUB(OCISessionBegin) STUB(OCISessionEnd) STUB(OCIAttrSet) STUB(OCIAttrGet) STUB(OCIErrorGet)
STUB(OCIStmtPrepare) STUB(OCIStmtExecute) STUB(OCIDefineByPos) STUB(OCIDefineArrayOfStruct)
STUB(OCIParamGet) STUB(OCIStmtFetch) STUB(OCIBindByName) STUB(OCIBreak) STUB(OCIReset)
STUB(OCIDescriptorAlloc) STUB(OCIDescriptorFree) STUB(OCILobAssign) STUB(OCILobIsTemporary)
STUB(OCILobLocatorAssign) STUB(OCILobOpen) STUB(OCILobClose) STUB(OCILobGetLength) STUB(OCILobRead)
STUB(OCILobWrite) STUB(OCILobCharSetForm) STUB(OCILobCharSetId) STUB(OCILobTrim) STUB(OCILobFileGetName)
STUB(OCITransCommit) STUB(OCITransRollback) STUB(OCISvcCtxToLda) STUB(OCILdaToSvcCtx)
#endif

#if FAKE_OBJECTS
STUB(OCIDescribeAny) STUB(OCINumberToReal) STUB(OCIStringPtr) STUB(OCIDateToText) STUB(OCITypeByRef)
STUB(OCIDefineObject) STUB(OCIObjectPin) STUB(OCIObjectGetInd) STUB(OCIObjectGetAttr) STUB(OCIIterCreate)
STUB(OCIIterNext) STUB(OCIIterDelete) STUB(OCICollSize) STUB(OCITableFirst) STUB(OCITableNext)
STUB(OCICollGetElem) STUB(OCIRefToHex)
#if !FAKE_DROP_ONE_OBJECT
STUB(OCIRefHexSize)
#endif
#endif

#if FAKE_OCI7
STUB(obreak) STUB(oclose) STUB(ocom) STUB(odescr) STUB(oerhms) STUB(oexec) STUB(oexfet) STUB(oexn)
STUB(ofen) STUB(olog) STUB(ologof) STUB(oopen) STUB(oparse) STUB(orol) STUB(onbset) STUB(onbclr)
STUB(obndra) STUB(odefin)
#endif

/* Something to export even when every group is off. */
int fake_client_marker(void) { return 1; }
