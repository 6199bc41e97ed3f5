/*
 * oci_abi.h - our own declaration of the Oracle Call Interface C ABI.
 *
 * Written from the ABI facts the project keeps (scalar widths on Linux
 * x86-64 LP64, handle numbers, prototypes, constants). It is shared by the
 * run-time loader (which takes decltype(&OCIxxx) for its function pointers)
 * and by the SQLite-backed stand-in client that exports these names.
 *
 * Pure C (C11 and C++20), no dependencies beyond <stddef.h>. Every function
 * has C linkage; all handle types are opaque.
 */
#ifndef KESTREL_OCI_ABI_H
#define KESTREL_OCI_ABI_H

#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

/* ------------------------------------------------------------------ */
/* 1. Scalar types (LP64)                                              */
/* ------------------------------------------------------------------ */

typedef unsigned char ub1;
typedef signed char sb1;
typedef unsigned short ub2;
typedef signed short sb2;
typedef unsigned int ub4;
typedef signed int sb4;
#if defined(__LP64__) || defined(_LP64)
typedef unsigned long ub8;
typedef signed long sb8;
#else
typedef unsigned long long ub8;
typedef signed long long sb8;
#endif
typedef ub8 oraub8;
typedef sb8 orasb8;
typedef int sword;
typedef unsigned int uword;
typedef int eword;
typedef unsigned char text;
typedef unsigned char OraText;
typedef unsigned char oratext;
typedef unsigned short utext;
typedef int boolean;
typedef sb2 OCIInd;
typedef ub2 OCIDuration;
typedef ub2 OCITypeCode;
#define dvoid void

typedef enum OCITypeGetOpt { OCI_TYPEGET_HEADER = 0, OCI_TYPEGET_ALL = 1 } OCITypeGetOpt;
typedef enum OCIPinOpt {
  OCI_PIN_DEFAULT = 1,
  OCI_PIN_ANY = 3,
  OCI_PIN_RECENT = 4,
  OCI_PIN_LATEST = 5
} OCIPinOpt;
typedef enum OCILockOpt { OCI_LOCK_NONE = 1, OCI_LOCK_X = 2, OCI_LOCK_X_NOWAIT = 3 } OCILockOpt;

#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif

/* ------------------------------------------------------------------ */
/* 1.2 Opaque handle and descriptor types                              */
/* ------------------------------------------------------------------ */

typedef struct OCIEnv OCIEnv;
typedef struct OCIError OCIError;
typedef struct OCISvcCtx OCISvcCtx;
typedef struct OCIStmt OCIStmt;
typedef struct OCIBind OCIBind;
typedef struct OCIDefine OCIDefine;
typedef struct OCIDescribe OCIDescribe;
typedef struct OCIServer OCIServer;
typedef struct OCISession OCISession;
typedef struct OCISession OCIAuthInfo;
typedef struct OCITrans OCITrans;
typedef struct OCIComplexObject OCIComplexObject;
typedef struct OCIParam OCIParam;
typedef struct OCILobLocator OCILobLocator;
typedef struct OCILobLocator OCIClobLocator;
typedef struct OCILobLocator OCIBlobLocator;
typedef struct OCILobLocator OCIBFileLocator;
typedef struct OCIRowid OCIRowid;
typedef struct OCIDateTime OCIDateTime;
typedef struct OCIInterval OCIInterval;
typedef struct OCISnapshot OCISnapshot;
typedef struct OCIType OCIType;
typedef struct OCIRef OCIRef;
typedef struct OCIColl OCIColl;
typedef OCIColl OCIArray;
typedef OCIColl OCITable;
typedef struct OCIIter OCIIter;
typedef struct OCIString OCIString;
typedef struct OCIRaw OCIRaw;

/* ------------------------------------------------------------------ */
/* 1.3 Concrete structs                                                */
/* ------------------------------------------------------------------ */

#define OCI_NUMBER_SIZE 22
#define OCI_NUMBER_UNSIGNED 0
#define OCI_NUMBER_SIGNED 2

typedef struct OCINumber {
  ub1 OCINumberPart[OCI_NUMBER_SIZE];
} OCINumber;

typedef struct OCITime {
  ub1 OCITimeHH;
  ub1 OCITimeMI;
  ub1 OCITimeSS;
} OCITime;

typedef struct OCIDate {
  sb2 OCIDateYYYY;
  ub1 OCIDateMM;
  ub1 OCIDateDD;
  OCITime OCIDateTime;
} OCIDate;

/* OCI7 cursor / logon data area. The header fields end at byte 56; the
 * 64-bit layout pads the area to 88 bytes, which callers should allocate. */
#define CDA_SIZE 88
#define HDA_SIZE 512

struct cda_head {
  sb2 v2_rc;
  ub2 ft;
  ub4 rpc;
  ub2 peo;
  ub1 fc;
  ub1 rcs1;
  ub2 rc;
  ub1 wrn;
  ub1 rcs2;
  sword rcs3;
  struct {
    struct {
      ub4 rcs4;
      ub2 rcs5;
      ub1 rcs6;
    } rd;
    ub4 rcs7;
    ub2 rcs8;
  } rid;
  sword ose;
  ub1 chk;
  void *rcsp;
};

struct cda_def {
  sb2 v2_rc;   /* V2 return code */
  ub2 ft;      /* SQL function type */
  ub4 rpc;     /* rows processed */
  ub2 peo;     /* parse error offset */
  ub1 fc;      /* OCI function code */
  ub1 rcs1;
  ub2 rc;      /* V7 return code (ORA number) */
  ub1 wrn;     /* warning flags */
  ub1 rcs2;
  sword rcs3;
  struct {
    struct {
      ub4 rcs4;
      ub2 rcs5;
      ub1 rcs6;
    } rd;
    ub4 rcs7;
    ub2 rcs8;
  } rid;       /* ROWID of the last row */
  sword ose;   /* OS-dependent error */
  ub1 chk;
  void *rcsp;
  ub1 rcs9[CDA_SIZE - sizeof(struct cda_head)];
};
typedef struct cda_def Cda_Def;
typedef struct cda_def Lda_Def;

#define OCI_EV_DEF 0
#define OCI_EV_TSF 1

/* ------------------------------------------------------------------ */
/* 1.4 Callback types                                                  */
/* ------------------------------------------------------------------ */

typedef sb4 (*OCICallbackLobRead)(void *ctxp, const void *bufp, ub4 len, ub1 piece);
typedef sb4 (*OCICallbackLobWrite)(void *ctxp, void *bufp, ub4 *lenp, ub1 *piece);
typedef sb4 (*OCICallbackLobRead2)(void *ctxp, const void *bufp, ub8 len, ub1 piece,
                                   void **changed_bufpp, ub8 *changed_lenp);
typedef sb4 (*OCICallbackLobWrite2)(void *ctxp, void *bufp, ub8 *lenp, ub1 *piece,
                                    void **changed_bufpp, ub8 *changed_lenp);
typedef void *(*oci_malloc_fn)(void *ctxp, size_t size);
typedef void *(*oci_realloc_fn)(void *ctxp, void *memptr, size_t newsize);
typedef void (*oci_free_fn)(void *ctxp, void *memptr);

/* ------------------------------------------------------------------ */
/* 2.1 Environment, handles, attributes, errors                        */
/* ------------------------------------------------------------------ */

sword OCIEnvCreate(OCIEnv **envpp, ub4 mode, void *ctxp, oci_malloc_fn malocfp,
                   oci_realloc_fn ralocfp, oci_free_fn mfreefp, size_t xtramem_sz,
                   void **usrmempp);
sword OCIEnvNlsCreate(OCIEnv **envpp, ub4 mode, void *ctxp, oci_malloc_fn malocfp,
                      oci_realloc_fn ralocfp, oci_free_fn mfreefp, size_t xtramem_sz,
                      void **usrmempp, ub2 charset, ub2 ncharset);
sword OCIInitialize(ub4 mode, void *ctxp, oci_malloc_fn malocfp, oci_realloc_fn ralocfp,
                    oci_free_fn mfreefp);
sword OCIEnvInit(OCIEnv **envpp, ub4 mode, size_t xtramem_sz, void **usrmempp);

sword OCIHandleAlloc(const void *parenth, void **hndlpp, ub4 type, size_t xtramem_sz,
                     void **usrmempp);
sword OCIHandleFree(void *hndlp, ub4 type);
sword OCIDescriptorAlloc(const void *parenth, void **descpp, ub4 type, size_t xtramem_sz,
                         void **usrmempp);
sword OCIDescriptorFree(void *descp, ub4 type);

sword OCIAttrGet(const void *trgthndlp, ub4 trghndltyp, void *attributep, ub4 *sizep,
                 ub4 attrtype, OCIError *errhp);
sword OCIAttrSet(void *trgthndlp, ub4 trghndltyp, void *attributep, ub4 size, ub4 attrtype,
                 OCIError *errhp);
sword OCIParamGet(const void *hndlp, ub4 htype, OCIError *errhp, void **parmdpp, ub4 pos);

sword OCIErrorGet(void *hndlp, ub4 recordno, OraText *sqlstate, sb4 *errcodep, OraText *bufp,
                  ub4 bufsiz, ub4 type);

/* ------------------------------------------------------------------ */
/* 2.2 Server, session, logon, version                                 */
/* ------------------------------------------------------------------ */

sword OCIServerAttach(OCIServer *srvhp, OCIError *errhp, const OraText *dblink, sb4 dblink_len,
                      ub4 mode);
sword OCIServerDetach(OCIServer *srvhp, OCIError *errhp, ub4 mode);
sword OCIServerVersion(void *hndlp, OCIError *errhp, OraText *bufp, ub4 bufsz, ub1 hndltype);
sword OCIServerRelease(void *hndlp, OCIError *errhp, OraText *bufp, ub4 bufsz, ub1 hndltype,
                       ub4 *version);
sword OCIServerRelease2(void *hndlp, OCIError *errhp, OraText *bufp, ub4 bufsz, ub1 hndltype,
                        ub4 *version, ub4 mode);
sword OCISessionBegin(OCISvcCtx *svchp, OCIError *errhp, OCISession *usrhp, ub4 credt,
                      ub4 mode);
sword OCISessionEnd(OCISvcCtx *svchp, OCIError *errhp, OCISession *usrhp, ub4 mode);
sword OCILogon(OCIEnv *envhp, OCIError *errhp, OCISvcCtx **svchpp, const OraText *username,
               ub4 uname_len, const OraText *password, ub4 passwd_len, const OraText *dbname,
               ub4 dbname_len);
sword OCILogoff(OCISvcCtx *svchp, OCIError *errhp);
sword OCIPing(OCISvcCtx *svchp, OCIError *errhp, ub4 mode);
void OCIClientVersion(sword *featureRelease, sword *releaseUpdate, sword *releaseUpdateRevision,
                      sword *increment, sword *ext);
sword OCIBreak(void *hndlp, OCIError *errhp);
sword OCIReset(void *hndlp, OCIError *errhp);

/* ------------------------------------------------------------------ */
/* 2.3 Statements, binds, defines, describe, transactions              */
/* ------------------------------------------------------------------ */

sword OCIStmtPrepare(OCIStmt *stmtp, OCIError *errhp, const OraText *stmt, ub4 stmt_len,
                     ub4 language, ub4 mode);
sword OCIStmtPrepare2(OCISvcCtx *svchp, OCIStmt **stmtpp, OCIError *errhp, const OraText *stmt,
                      ub4 stmt_len, const OraText *key, ub4 key_len, ub4 language, ub4 mode);
sword OCIStmtRelease(OCIStmt *stmtp, OCIError *errhp, const OraText *key, ub4 key_len,
                     ub4 mode);
sword OCIStmtExecute(OCISvcCtx *svchp, OCIStmt *stmtp, OCIError *errhp, ub4 iters, ub4 rowoff,
                     const OCISnapshot *snap_in, OCISnapshot *snap_out, ub4 mode);
sword OCIStmtFetch(OCIStmt *stmtp, OCIError *errhp, ub4 nrows, ub2 orientation, ub4 mode);
sword OCIStmtFetch2(OCIStmt *stmtp, OCIError *errhp, ub4 nrows, ub2 orientation,
                    sb4 scrollOffset, ub4 mode);

sword OCIDefineByPos(OCIStmt *stmtp, OCIDefine **defnpp, OCIError *errhp, ub4 position,
                     void *valuep, sb4 value_sz, ub2 dty, void *indp, ub2 *rlenp, ub2 *rcodep,
                     ub4 mode);
sword OCIDefineArrayOfStruct(OCIDefine *defnp, OCIError *errhp, ub4 pvskip, ub4 indskip,
                             ub4 rlskip, ub4 rcskip);
sword OCIDefineObject(OCIDefine *defnp, OCIError *errhp, const OCIType *type, void **pgvpp,
                      ub4 *pvszsp, void **indpp, ub4 *indszp);

sword OCIBindByPos(OCIStmt *stmtp, OCIBind **bindpp, OCIError *errhp, ub4 position,
                   void *valuep, sb4 value_sz, ub2 dty, void *indp, ub2 *alenp, ub2 *rcodep,
                   ub4 maxarr_len, ub4 *curelep, ub4 mode);
sword OCIBindByName(OCIStmt *stmtp, OCIBind **bindpp, OCIError *errhp,
                    const OraText *placeholder, sb4 placeh_len, void *valuep, sb4 value_sz,
                    ub2 dty, void *indp, ub2 *alenp, ub2 *rcodep, ub4 maxarr_len, ub4 *curelep,
                    ub4 mode);
sword OCIBindArrayOfStruct(OCIBind *bindp, OCIError *errhp, ub4 pvskip, ub4 indskip,
                           ub4 alskip, ub4 rcskip);

sword OCIDescribeAny(OCISvcCtx *svchp, OCIError *errhp, void *objptr, ub4 objnm_len,
                     ub1 objptr_typ, ub1 info_level, ub1 objtyp, OCIDescribe *dschp);

sword OCITransStart(OCISvcCtx *svchp, OCIError *errhp, uword timeout, ub4 flags);
sword OCITransCommit(OCISvcCtx *svchp, OCIError *errhp, ub4 flags);
sword OCITransRollback(OCISvcCtx *svchp, OCIError *errhp, ub4 flags);

/* ------------------------------------------------------------------ */
/* 2.4 NLS                                                             */
/* ------------------------------------------------------------------ */

sword OCINlsGetInfo(void *hndl, OCIError *errhp, OraText *buf, size_t buflen, ub2 item);
sword OCINlsNumericInfoGet(void *hndl, OCIError *errhp, sb4 *val, ub2 item);

/* ------------------------------------------------------------------ */
/* 2.5 LOBs and BFILEs                                                 */
/* ------------------------------------------------------------------ */

sword OCILobRead(OCISvcCtx *svchp, OCIError *errhp, OCILobLocator *locp, ub4 *amtp,
                 ub4 offset, void *bufp, ub4 bufl, void *ctxp, OCICallbackLobRead cbfp,
                 ub2 csid, ub1 csfrm);
sword OCILobRead2(OCISvcCtx *svchp, OCIError *errhp, OCILobLocator *locp, ub8 *byte_amtp,
                  ub8 *char_amtp, ub8 offset, void *bufp, ub8 bufl, ub1 piece, void *ctxp,
                  OCICallbackLobRead2 cbfp, ub2 csid, ub1 csfrm);
sword OCILobWrite(OCISvcCtx *svchp, OCIError *errhp, OCILobLocator *locp, ub4 *amtp,
                  ub4 offset, void *bufp, ub4 buflen, ub1 piece, void *ctxp,
                  OCICallbackLobWrite cbfp, ub2 csid, ub1 csfrm);
sword OCILobWrite2(OCISvcCtx *svchp, OCIError *errhp, OCILobLocator *locp, ub8 *byte_amtp,
                   ub8 *char_amtp, ub8 offset, void *bufp, ub8 buflen, ub1 piece, void *ctxp,
                   OCICallbackLobWrite2 cbfp, ub2 csid, ub1 csfrm);
sword OCILobTrim(OCISvcCtx *svchp, OCIError *errhp, OCILobLocator *locp, ub4 newlen);
sword OCILobTrim2(OCISvcCtx *svchp, OCIError *errhp, OCILobLocator *locp, ub8 newlen);
sword OCILobGetLength(OCISvcCtx *svchp, OCIError *errhp, OCILobLocator *locp, ub4 *lenp);
sword OCILobGetLength2(OCISvcCtx *svchp, OCIError *errhp, OCILobLocator *locp, ub8 *lenp);
sword OCILobOpen(OCISvcCtx *svchp, OCIError *errhp, OCILobLocator *locp, ub1 mode);
sword OCILobClose(OCISvcCtx *svchp, OCIError *errhp, OCILobLocator *locp);
sword OCILobIsOpen(OCISvcCtx *svchp, OCIError *errhp, OCILobLocator *locp, boolean *flag);
sword OCILobLocatorAssign(OCISvcCtx *svchp, OCIError *errhp, const OCILobLocator *src_locp,
                          OCILobLocator **dst_locpp);
sword OCILobAssign(OCIEnv *envhp, OCIError *errhp, const OCILobLocator *src_locp,
                   OCILobLocator **dst_locpp);
sword OCILobIsTemporary(OCIEnv *envhp, OCIError *errhp, OCILobLocator *locp,
                        boolean *is_temporary);
sword OCILobCreateTemporary(OCISvcCtx *svchp, OCIError *errhp, OCILobLocator *locp, ub2 csid,
                            ub1 csfrm, ub1 lobtype, boolean cache, OCIDuration duration);
sword OCILobFreeTemporary(OCISvcCtx *svchp, OCIError *errhp, OCILobLocator *locp);
sword OCILobCharSetForm(OCIEnv *envhp, OCIError *errhp, const OCILobLocator *locp, ub1 *csfrm);
sword OCILobCharSetId(OCIEnv *envhp, OCIError *errhp, const OCILobLocator *locp, ub2 *csid);
sword OCILobFileGetName(OCIEnv *envhp, OCIError *errhp, const OCILobLocator *filep,
                        OraText *dir_alias, ub2 *d_length, OraText *filename, ub2 *f_length);
sword OCILobFileSetName(OCIEnv *envhp, OCIError *errhp, OCILobLocator **filepp,
                        const OraText *dir_alias, ub2 d_length, const OraText *filename,
                        ub2 f_length);
sword OCILobFileOpen(OCISvcCtx *svchp, OCIError *errhp, OCILobLocator *filep, ub1 mode);
sword OCILobFileClose(OCISvcCtx *svchp, OCIError *errhp, OCILobLocator *filep);
sword OCILobFileExists(OCISvcCtx *svchp, OCIError *errhp, OCILobLocator *filep, boolean *flag);
sword OCILobGetChunkSize(OCISvcCtx *svchp, OCIError *errhp, OCILobLocator *locp,
                         ub4 *chunksizep);
sword OCILobLoadFromFile(OCISvcCtx *svchp, OCIError *errhp, OCILobLocator *dst_locp,
                         OCILobLocator *src_filep, ub4 amount, ub4 dst_offset, ub4 src_offset);

/* ------------------------------------------------------------------ */
/* 2.6 Date/time, number, ROWID conversions                            */
/* ------------------------------------------------------------------ */

sword OCIDateTimeToText(void *hndl, OCIError *err, const OCIDateTime *date, const OraText *fmt,
                        ub1 fmt_length, ub1 fsprec, const OraText *lang_name,
                        size_t lang_length, ub4 *buf_size, OraText *buf);
sword OCIDateTimeFromText(void *hndl, OCIError *err, const OraText *date_str,
                          size_t dstr_length, const OraText *fmt, ub1 fmt_length,
                          const OraText *lang_name, size_t lang_length, OCIDateTime *date);
sword OCIDateToText(OCIError *err, const OCIDate *date, const OraText *fmt, ub1 fmt_length,
                    const OraText *lang_name, ub4 lang_length, ub4 *buf_size, OraText *buf);
sword OCIIntervalToText(void *hndl, OCIError *err, const OCIInterval *inter, ub1 lfprec,
                        ub1 fsprec, OraText *buffer, size_t buflen, size_t *resultlen);
sword OCINumberToReal(OCIError *err, const OCINumber *number, uword rsl_length, void *rsl);
sword OCINumberToText(OCIError *err, const OCINumber *number, const OraText *fmt,
                      ub4 fmt_length, const OraText *nls_params, ub4 nls_p_length,
                      ub4 *buf_size, OraText *buf);
sword OCINumberToInt(OCIError *err, const OCINumber *number, uword rsl_length, uword rsl_flag,
                     void *rsl);
sword OCIRowidToChar(OCIRowid *rowidDesc, OraText *outbfp, ub2 *outbflp, OCIError *errhp);

/* ------------------------------------------------------------------ */
/* 2.7 Objects, types, collections                                     */
/* ------------------------------------------------------------------ */

sword OCITypeByName(OCIEnv *env, OCIError *err, const OCISvcCtx *svc, const OraText *schema_name,
                    ub4 s_length, const OraText *type_name, ub4 t_length,
                    const OraText *version_name, ub4 v_length, OCIDuration pin_duration,
                    OCITypeGetOpt get_option, OCIType **tdo);
sword OCITypeByRef(OCIEnv *env, OCIError *err, const OCIRef *type_ref, OCIDuration pin_duration,
                   OCITypeGetOpt get_option, OCIType **tdo);
sword OCIObjectNew(OCIEnv *env, OCIError *err, const OCISvcCtx *svc, OCITypeCode typecode,
                   OCIType *tdo, void *table, OCIDuration duration, boolean value,
                   void **instance);
sword OCIObjectPin(OCIEnv *env, OCIError *err, OCIRef *object_ref, OCIComplexObject *corhdl,
                   OCIPinOpt pin_option, OCIDuration pin_duration, OCILockOpt lock_option,
                   void **object);
sword OCIObjectUnpin(OCIEnv *env, OCIError *err, void *object);
sword OCIObjectFree(OCIEnv *env, OCIError *err, void *instance, ub2 flags);
sword OCIObjectGetInd(OCIEnv *env, OCIError *err, void *instance, void **null_struct);
sword OCIObjectGetAttr(OCIEnv *env, OCIError *err, void *instance, void *null_struct,
                       OCIType *tdo, const OraText **names, const ub4 *lengths, ub4 name_count,
                       const ub4 *indexes, ub4 index_count, OCIInd *attr_null_status,
                       void **attr_null_struct, void **attr_value, OCIType **attr_tdo);
sword OCIRefToHex(OCIEnv *env, OCIError *err, const OCIRef *ref, OraText *hex,
                  ub4 *hex_length);
ub4 OCIRefHexSize(OCIEnv *env, const OCIRef *ref);
sword OCIIterCreate(OCIEnv *env, OCIError *err, const OCIColl *coll, OCIIter **itr);
sword OCIIterNext(OCIEnv *env, OCIError *err, OCIIter *itr, void **elem, void **elemind,
                  boolean *eoc);
sword OCIIterDelete(OCIEnv *env, OCIError *err, OCIIter **itr);
sword OCITableFirst(OCIEnv *env, OCIError *err, const OCITable *tbl, sb4 *index);
sword OCITableNext(OCIEnv *env, OCIError *err, sb4 index, const OCITable *tbl, sb4 *next_index,
                   boolean *exists);
sword OCITableSize(OCIEnv *env, OCIError *err, const OCITable *tbl, sb4 *size);
sword OCICollSize(OCIEnv *env, OCIError *err, const OCIColl *coll, sb4 *size);
sword OCICollGetElem(OCIEnv *env, OCIError *err, const OCIColl *coll, sb4 index,
                     boolean *exists, void **elem, void **elemind);
OraText *OCIStringPtr(OCIEnv *env, const OCIString *vs);
ub4 OCIStringSize(OCIEnv *env, const OCIString *vs);
ub1 *OCIRawPtr(OCIEnv *env, const OCIRaw *raw);
ub4 OCIRawSize(OCIEnv *env, const OCIRaw *raw);

/* ------------------------------------------------------------------ */
/* 2.8 OCI7 interoperability                                           */
/* ------------------------------------------------------------------ */

sword OCISvcCtxToLda(OCISvcCtx *svchp, OCIError *errhp, Lda_Def *ldap);
sword OCILdaToSvcCtx(OCISvcCtx **svchpp, OCIError *errhp, Lda_Def *ldap);

/* ------------------------------------------------------------------ */
/* 3. The OCI7 call group                                              */
/* ------------------------------------------------------------------ */

sword olog(Lda_Def *lda, ub1 *hda, OraText *uid, sword uidl, OraText *pswd, sword pswdl,
           OraText *conn, sword connl, ub4 mode);
sword ologof(Lda_Def *lda);
sword oopen(Cda_Def *cursor, Lda_Def *lda, OraText *dbn, sword dbnl, sword arsize, OraText *uid,
            sword uidl);
sword oparse(Cda_Def *cursor, OraText *sqlstm, sb4 sqllen, sword defflg, ub4 lngflg);
sword oexec(Cda_Def *cursor);
sword oexfet(Cda_Def *cursor, ub4 nrows, sword cancel, sword exact);
sword odefin(Cda_Def *cursor, sword pos, ub1 *buf, sword bufl, sword ftype, sword scale,
             sb2 *indp, OraText *fmt, sword fmtl, sword fmtt, ub2 *rlen, ub2 *rcode);
sword obndra(Cda_Def *cursor, OraText *sqlvar, sword sqlvl, ub1 *progv, sword progvl,
             sword ftype, sword scale, sb2 *indp, ub2 *alen, ub2 *arcode, ub4 maxsiz,
             ub4 *cursiz, OraText *fmt, sword fmtl, sword fmtt);
sword obndrv(Cda_Def *cursor, OraText *sqlvar, sword sqlvl, ub1 *progv, sword progvl,
             sword ftype, sword scale, sb2 *indp, OraText *fmt, sword fmtl, sword fmtt);
sword ofetch(Cda_Def *cursor);
sword ofen(Cda_Def *cursor, sword nrows);
sword oclose(Cda_Def *cursor);
sword ocom(Lda_Def *lda);
sword orol(Lda_Def *lda);
sword ocof(Lda_Def *lda);
sword ocon(Lda_Def *lda);
sword obreak(Lda_Def *lda);
sword oerhms(Lda_Def *lda, sb2 rcode, OraText *buf, sword bufsiz);
sword odescr(Cda_Def *cursor, sword pos, sb4 *dbsize, sb2 *dbtype, sb1 *cbuf, sb4 *cbufl,
             sb4 *dsize, sb2 *prec, sb2 *scale, sb2 *nullok);
sword oflng(Cda_Def *cursor, sword pos, ub1 *buf, sb4 bufl, sword dtype, ub4 *retl,
            sb4 offset);
sword opinit(ub4 mode);
sword orlon(Lda_Def *lda, ub1 *hda, OraText *uid, sword uidl, OraText *pswd, sword pswdl,
            sword audit);
sword oexn(Cda_Def *cursor, sword iters, sword rowoff);
sword ocan(Cda_Def *cursor);
/* non-blocking switch of an OCI7 connection: onbtst gives 0 when on, else 3129 */
sword onbset(Lda_Def *lda);
sword onbclr(Lda_Def *lda);
sword onbtst(Lda_Def *lda);

/* ------------------------------------------------------------------ */
/* 4.1 Return codes                                                    */
/* ------------------------------------------------------------------ */

#define OCI_SUCCESS 0
#define OCI_SUCCESS_WITH_INFO 1
#define OCI_ERROR (-1)
#define OCI_INVALID_HANDLE (-2)
#define OCI_NEED_DATA 99
#define OCI_NO_DATA 100
#define OCI_STILL_EXECUTING (-3123)
#define OCI_CONTINUE (-24200)

/* ------------------------------------------------------------------ */
/* 4.2 Modes                                                           */
/* ------------------------------------------------------------------ */

#define OCI_DEFAULT 0x00000000
#define OCI_THREADED 0x00000001
#define OCI_OBJECT 0x00000002
#define OCI_EVENTS 0x00000004
#define OCI_SHARED 0x00000010
#define OCI_NO_UCB 0x00000040
#define OCI_NO_MUTEX 0x00000080
#define OCI_UTF16 0x00004000
#define OCI_NEW_LENGTH_SEMANTICS 0x00020000
#define OCI_NCHAR_LITERAL_REPLACE_ON 0x00400000
#define OCI_NCHAR_LITERAL_REPLACE_OFF 0x00800000
#define OCI_ENV_NO_UCB 0x01
#define OCI_ENV_NO_MUTEX 0x08

/* OCIStmtExecute modes */
#define OCI_BATCH_MODE 0x00000001
#define OCI_EXACT_FETCH 0x00000002
#define OCI_STMT_SCROLLABLE_READONLY 0x00000008
#define OCI_DESCRIBE_ONLY 0x00000010
#define OCI_COMMIT_ON_SUCCESS 0x00000020
#define OCI_NON_BLOCKING 0x00000040
#define OCI_BATCH_ERRORS 0x00000080
#define OCI_PARSE_ONLY 0x00000100
#define OCI_SHOW_DML_WARNINGS 0x00000400
#define OCI_RETURN_ROW_COUNT_ARRAY 0x00100000

/* Prepare language and modes */
#define OCI_NTV_SYNTAX 1
#define OCI_V7_SYNTAX 2
#define OCI_V8_SYNTAX 3
#define OCI_PREP2_CACHE_SEARCHONLY 0x0010
#define OCI_PREP2_GET_PLSQL_WARNINGS 0x0020
#define OCI_PREP2_IMPL_RESULTS_CLIENT 0x0400
#define OCI_PREP2_GET_SQL_ID 0x2000
#define OCI_STRLS_CACHE_DELETE 0x0010

/* Session / credentials */
#define OCI_CRED_RDBMS 1
#define OCI_CRED_EXT 2
#define OCI_CRED_PROXY 3
#define OCI_MIGRATE 0x00000001
#define OCI_SYSDBA 0x00000002
#define OCI_SYSOPER 0x00000004
#define OCI_PRELIM_AUTH 0x00000008
#define OCI_AUTH 0x08
#define OCI_STMT_CACHE 0x00000040
#define OCI_CPOOL 0x0200
#define OCI_SYSASM 0x00008000
#define OCI_SYSBKP 0x00020000
#define OCI_SYSDGD 0x00040000
#define OCI_SYSKMT 0x00080000
#define OCI_SYSRAC 0x00100000

/* Fetch orientation */
#define OCI_FETCH_CURRENT 0x01
#define OCI_FETCH_NEXT 0x02
#define OCI_FETCH_FIRST 0x04
#define OCI_FETCH_LAST 0x08
#define OCI_FETCH_PRIOR 0x10
#define OCI_FETCH_ABSOLUTE 0x20
#define OCI_FETCH_RELATIVE 0x40

/* Transactions */
#define OCI_TRANS_NEW 0x00000001
#define OCI_TRANS_JOIN 0x00000002
#define OCI_TRANS_RESUME 0x00000004
#define OCI_TRANS_READONLY 0x00000100
#define OCI_TRANS_READWRITE 0x00000200
#define OCI_TRANS_SERIALIZABLE 0x00000400
#define OCI_TRANS_LOOSE 0x00010000
#define OCI_TRANS_TIGHT 0x00020000
#define OCI_TRANS_TWOPHASE 0x01000000

/* Bind / define modes */
#define OCI_DATA_AT_EXEC 0x00000002
#define OCI_DYNAMIC_FETCH 0x00000002
#define OCI_PIECEWISE 0x00000004
#define OCI_BIND_SOFT 0x00000040
#define OCI_DEFINE_SOFT 0x00000080
#define OCI_IOV 0x00000200

/* Pieces */
#define OCI_ONE_PIECE 0
#define OCI_FIRST_PIECE 1
#define OCI_NEXT_PIECE 2
#define OCI_LAST_PIECE 3

/* LOBs */
#define OCI_TEMP_BLOB 1
#define OCI_TEMP_CLOB 2
#define OCI_LOB_READONLY 1
#define OCI_LOB_READWRITE 2
#define OCI_LOB_WRITEONLY 3
#define OCI_LOB_APPENDONLY 4
#define OCI_LOB_FULLOVERWRITE 5
#define OCI_LOB_FULLREAD 6
#define OCI_FILE_READONLY 1
#define OCI_LOB_BUFFER_FREE 1
#define OCI_LOB_BUFFER_NOFREE 2

/* Durations */
#define OCI_DURATION_PROCESS 5
#define OCI_DURATION_NEXT 6
#define OCI_DURATION_USER_CALLBACK 7
#define OCI_DURATION_DEFAULT 8
#define OCI_DURATION_NULL 9
#define OCI_DURATION_BEGIN 10
#define OCI_DURATION_SESSION 10
#define OCI_DURATION_TRANS 11
#define OCI_DURATION_CALL 12
#define OCI_DURATION_STATEMENT 13
#define OCI_DURATION_CALLOUT 14

/* Objects (pin/lock/typeget options are the enums above) */
#define OCI_OBJECTFREE_FORCE 0x0001
#define OCI_OBJECTFREE_NONULL 0x0002
#define OCI_OBJECTFREE_HEADER 0x0004

/* Null indicators */
#define OCI_IND_NOTNULL 0
#define OCI_IND_NULL (-1)
#define OCI_IND_BADNULL (-2)
#define OCI_IND_NOTNULLABLE (-3)

/* Misc */
#define OCI_UTF16ID 1000
#define OCI_SERVER_NOT_CONNECTED 0x0
#define OCI_SERVER_NORMAL 0x1
#define OCI_NLS_MAXBUFSZ 100

/* ------------------------------------------------------------------ */
/* 4.3 Handle types                                                    */
/* ------------------------------------------------------------------ */

#define OCI_HTYPE_FIRST 1
#define OCI_HTYPE_ENV 1
#define OCI_HTYPE_ERROR 2
#define OCI_HTYPE_SVCCTX 3
#define OCI_HTYPE_STMT 4
#define OCI_HTYPE_BIND 5
#define OCI_HTYPE_DEFINE 6
#define OCI_HTYPE_DESCRIBE 7
#define OCI_HTYPE_SERVER 8
#define OCI_HTYPE_SESSION 9
#define OCI_HTYPE_AUTHINFO OCI_HTYPE_SESSION
#define OCI_HTYPE_TRANS 10
#define OCI_HTYPE_COMPLEXOBJECT 11
#define OCI_HTYPE_SECURITY 12
#define OCI_HTYPE_SUBSCRIPTION 13
#define OCI_HTYPE_DIRPATH_CTX 14
#define OCI_HTYPE_DIRPATH_COLUMN_ARRAY 15
#define OCI_HTYPE_DIRPATH_STREAM 16
#define OCI_HTYPE_PROC 17
#define OCI_HTYPE_DIRPATH_FN_CTX 18
#define OCI_HTYPE_DIRPATH_FN_COL_ARRAY 19
#define OCI_HTYPE_XADSESSION 20
#define OCI_HTYPE_XADTABLE 21
#define OCI_HTYPE_XADFIELD 22
#define OCI_HTYPE_XADGRANULE 23
#define OCI_HTYPE_XADRECORD 24
#define OCI_HTYPE_XADIO 25
#define OCI_HTYPE_CPOOL 26
#define OCI_HTYPE_SPOOL 27
#define OCI_HTYPE_ADMIN 28
#define OCI_HTYPE_EVENT 29
#define OCI_HTYPE_SODA_COLLECTION 30
#define OCI_HTYPE_SODA_DOCUMENT 31
#define OCI_HTYPE_SODA_COLL_CURSOR 32
#define OCI_HTYPE_SODA_OPER_OPTIONS 33
#define OCI_HTYPE_SODA_OUTPUT_OPTIONS 34
#define OCI_HTYPE_SODA_METADATA 35
#define OCI_HTYPE_SODA_DOC_CURSOR 36

/* ------------------------------------------------------------------ */
/* 4.4 Descriptor types                                                */
/* ------------------------------------------------------------------ */

#define OCI_DTYPE_FIRST 50
#define OCI_DTYPE_LOB 50
#define OCI_DTYPE_SNAP 51
#define OCI_DTYPE_RSET 52
#define OCI_DTYPE_PARAM 53
#define OCI_DTYPE_ROWID 54
#define OCI_DTYPE_COMPLEXOBJECTCOMP 55
#define OCI_DTYPE_FILE 56
#define OCI_DTYPE_AQENQ_OPTIONS 57
#define OCI_DTYPE_AQDEQ_OPTIONS 58
#define OCI_DTYPE_AQMSG_PROPERTIES 59
#define OCI_DTYPE_AQAGENT 60
#define OCI_DTYPE_LOCATOR 61
#define OCI_DTYPE_INTERVAL_YM 62
#define OCI_DTYPE_INTERVAL_DS 63
#define OCI_DTYPE_AQNFY_DESCRIPTOR 64
#define OCI_DTYPE_DATE 65
#define OCI_DTYPE_TIME 66
#define OCI_DTYPE_TIME_TZ 67
#define OCI_DTYPE_TIMESTAMP 68
#define OCI_DTYPE_TIMESTAMP_TZ 69
#define OCI_DTYPE_TIMESTAMP_LTZ 70
#define OCI_DTYPE_UCB 71
#define OCI_DTYPE_SRVDN 72
#define OCI_DTYPE_SIGNATURE 73
#define OCI_DTYPE_AQLIS_OPTIONS 75
#define OCI_DTYPE_AQLIS_MSG_PROPERTIES 76
#define OCI_DTYPE_CHDES 77
#define OCI_DTYPE_TABLE_CHDES 78
#define OCI_DTYPE_ROW_CHDES 79
#define OCI_DTYPE_CQDES 80
#define OCI_DTYPE_LOB_REGION 81
#define OCI_DTYPE_AQJMS_PROPERTIES 82
#define OCI_DTYPE_SHARDING_KEY 83
#define OCI_DTYPE_SHARD_INST 84
#define OCI_DTYPE_JSON 85
#define OCI_DTYPE_VECTOR 87

/* ------------------------------------------------------------------ */
/* 4.5 Attributes (numbers are overloaded across handle types)         */
/* ------------------------------------------------------------------ */

#define OCI_ATTR_FNCODE 1
#define OCI_ATTR_DATA_SIZE 1
#define OCI_ATTR_OBJECT 2
#define OCI_ATTR_DATA_TYPE 2
#define OCI_ATTR_NONBLOCKING_MODE 3
#define OCI_ATTR_DISP_SIZE 3
#define OCI_ATTR_SQLCODE 4
#define OCI_ATTR_NAME 4
#define OCI_ATTR_ENV 5
#define OCI_ATTR_PRECISION 5
#define OCI_ATTR_SERVER 6
#define OCI_ATTR_SCALE 6
#define OCI_ATTR_SESSION 7
#define OCI_ATTR_IS_NULL 7
#define OCI_ATTR_TRANS 8
#define OCI_ATTR_TYPE_NAME 8
#define OCI_ATTR_ROW_COUNT 9
#define OCI_ATTR_SCHEMA_NAME 9
#define OCI_ATTR_SQLFNCODE 10
#define OCI_ATTR_SUB_NAME 10
#define OCI_ATTR_PREFETCH_ROWS 11
#define OCI_ATTR_POSITION 11
#define OCI_ATTR_NESTED_PREFETCH_ROWS 12
#define OCI_ATTR_PACKAGE_NAME 12
#define OCI_ATTR_PREFETCH_MEMORY 13
#define OCI_ATTR_CHAR_COUNT 15
#define OCI_ATTR_PDSCL 16
#define OCI_ATTR_FSPRECISION OCI_ATTR_PDSCL
#define OCI_ATTR_PDPRC 17
#define OCI_ATTR_LFPRECISION OCI_ATTR_PDPRC
#define OCI_ATTR_PARAM_COUNT 18
#define OCI_ATTR_ROWID 19
#define OCI_ATTR_CHARSET 20
#define OCI_ATTR_NCHAR 21
#define OCI_ATTR_USERNAME 22
#define OCI_ATTR_PASSWORD 23
#define OCI_ATTR_STMT_TYPE 24
#define OCI_ATTR_INTERNAL_NAME 25
#define OCI_ATTR_EXTERNAL_NAME 26
#define OCI_ATTR_XID 27
#define OCI_ATTR_TRANS_NAME 29
#define OCI_ATTR_CHARSET_ID 31
#define OCI_ATTR_ENV_CHARSET_ID OCI_ATTR_CHARSET_ID
#define OCI_ATTR_CHARSET_FORM 32
#define OCI_ATTR_MAXDATA_SIZE 33
#define OCI_ATTR_ROWS_RETURNED 42
#define OCI_ATTR_LOBEMPTY 45
#define OCI_ATTR_NUM_DML_ERRORS 73
#define OCI_ATTR_DML_ROW_OFFSET 74
#define OCI_ATTR_DATEFORMAT 75
#define OCI_ATTR_NUM_ROWS 81
#define OCI_ATTR_NUM_COLS 102
#define OCI_ATTR_LIST_COLUMNS 103
#define OCI_ATTR_COL_PROPERTIES 104
#define OCI_ATTR_RDBA 104
#define OCI_ATTR_CLUSTERED 105
#define OCI_ATTR_PARTITIONED 106
#define OCI_ATTR_INDEX_ONLY 107
#define OCI_ATTR_LIST_ARGUMENTS 108
#define OCI_ATTR_LIST_SUBPROGRAMS 109
#define OCI_ATTR_REF_TDO 110
#define OCI_ATTR_LINK 111
#define OCI_ATTR_MIN 112
#define OCI_ATTR_MAX 113
#define OCI_ATTR_INCR 114
#define OCI_ATTR_CACHE 115
#define OCI_ATTR_ORDER 116
#define OCI_ATTR_HW_MARK 117
#define OCI_ATTR_TYPE_SCHEMA 118
#define OCI_ATTR_TIMESTAMP 119
#define OCI_ATTR_NUM_ATTRS 120
#define OCI_ATTR_NUM_PARAMS 121
#define OCI_ATTR_OBJID 122
#define OCI_ATTR_PTYPE 123
#define OCI_ATTR_PARAM 124
#define OCI_ATTR_OVERLOAD_ID 125
#define OCI_ATTR_TABLESPACE 126
#define OCI_ATTR_TDO 127
#define OCI_ATTR_LTYPE 128
#define OCI_ATTR_PARSE_ERROR_OFFSET 129
#define OCI_ATTR_IS_TEMPORARY 130
#define OCI_ATTR_IS_TYPED 131
#define OCI_ATTR_DURATION 132
#define OCI_ATTR_IS_INVOKER_RIGHTS 133
#define OCI_ATTR_OBJ_NAME 134
#define OCI_ATTR_OBJ_SCHEMA 135
#define OCI_ATTR_OBJ_ID 136
#define OCI_ATTR_SERVER_STATUS 143
#define OCI_ATTR_STATEMENT 144
#define OCI_ATTR_MAXCHAR_SIZE 163
#define OCI_ATTR_CURRENT_POSITION 164
#define OCI_ATTR_STMTCACHESIZE 176
#define OCI_ATTR_STMT_STATE 182
#define OCI_ATTR_BIND_COUNT 190
#define OCI_ATTR_ROWS_FETCHED 197
#define OCI_ATTR_ERRONEOUS_COLUMN 203
#define OCI_ATTR_SPOOL_STMTCACHESIZE 208
#define OCI_ATTR_ENV_UTF16 209
#define OCI_ATTR_OVERLOAD 210
#define OCI_ATTR_LEVEL 211
#define OCI_ATTR_HAS_DEFAULT 212
#define OCI_ATTR_IOMODE 213
#define OCI_ATTR_RADIX 214
#define OCI_ATTR_NUM_ARGS 215
#define OCI_ATTR_TYPECODE 216
#define OCI_ATTR_COLLECTION_TYPECODE 217
#define OCI_ATTR_STMT_IS_RETURNING 218
#define OCI_ATTR_VERSION 218
#define OCI_ATTR_CURRENT_SCHEMA 224
#define OCI_ATTR_COLLECTION_ELEMENT 227
#define OCI_ATTR_NUM_TYPE_ATTRS 228
#define OCI_ATTR_LIST_TYPE_ATTRS 229
#define OCI_ATTR_NUM_ELEMS 234
#define OCI_ATTR_DESC_PUBLIC 250
#define OCI_ATTR_LIST_OBJECTS 261
#define OCI_ATTR_NCHARSET_ID 262
#define OCI_ATTR_ENV_NCHARSET_ID OCI_ATTR_NCHARSET_ID
#define OCI_ATTR_LIST_SCHEMAS 263
#define OCI_ATTR_CLIENT_IDENTIFIER 278
#define OCI_ATTR_DESC_SYNBASE 284
#define OCI_ATTR_CHAR_USED 285
#define OCI_ATTR_CHAR_SIZE 286
#define OCI_ATTR_EDITION 288
#define OCI_ATTR_IS_XMLTYPE 315
#define OCI_ATTR_MODULE 366
#define OCI_ATTR_ACTION 367
#define OCI_ATTR_CLIENT_INFO 368
#define OCI_ATTR_DBNAME 391
#define OCI_ATTR_INSTNAME 392
#define OCI_ATTR_SERVICENAME 393
#define OCI_ATTR_DBDOMAIN 399
#define OCI_ATTR_DB_CHARSET_ID 416
#define OCI_ATTR_DB_NCHARSET_ID 417
#define OCI_ATTR_DRIVER_NAME 424
#define OCI_ATTR_SEND_TIMEOUT 435
#define OCI_ATTR_RECEIVE_TIMEOUT 436
#define OCI_ATTR_DEFAULT_LOBPREFETCH_SIZE 438
#define OCI_ATTR_LOBPREFETCH_SIZE 439
#define OCI_ATTR_LOBPREFETCH_LENGTH 440
#define OCI_ATTR_FETCH_ROWID 448
#define OCI_ATTR_UB8_ROW_COUNT 457
#define OCI_ATTR_SHOW_INVISIBLE_COLUMNS 460
#define OCI_ATTR_INVISIBLE_COL 461
#define OCI_ATTR_IMPLICIT_RESULT_COUNT 463
#define OCI_ATTR_ERROR_IS_RECOVERABLE 472
#define OCI_ATTR_TRANSACTION_IN_PROGRESS 484
#define OCI_ATTR_BREAK_ON_NET_TIMEOUT 495
#define OCI_ATTR_COLLATION_ID 499
#define OCI_ATTR_MAX_IDENTIFIER_LEN 500
#define OCI_ATTR_VIRTUAL_COL 502
#define OCI_ATTR_SQL_ID 504
#define OCI_ATTR_MAX_CHARSET_RATIO 517
#define OCI_ATTR_MAX_NCHARSET_RATIO 518
#define OCI_ATTR_PDBNAME 524
#define OCI_ATTR_CALL_TIMEOUT 531
#define OCI_ATTR_JSON_COL 534
#define OCI_ATTR_LOB_TYPE 591

/* Bits of OCI_ATTR_COL_PROPERTIES */
#define OCI_ATTR_COL_PROPERTY_IS_IDENTITY 0x0000000000000001
#define OCI_ATTR_COL_PROPERTY_IS_GEN_ALWAYS 0x0000000000000002
#define OCI_ATTR_COL_PROPERTY_IS_GEN_BY_DEF_ON_NULL 0x0000000000000004
#define OCI_ATTR_COL_PROPERTY_IS_LPART 0x0000000000000008
#define OCI_ATTR_COL_PROPERTY_IS_CONID 0x0000000000000010

/* Values of OCI_ATTR_STMT_STATE */
#define OCI_STMT_STATE_INITIALIZED 0x0001
#define OCI_STMT_STATE_EXECUTED 0x0002
#define OCI_STMT_STATE_END_OF_FETCH 0x0003

/* ------------------------------------------------------------------ */
/* 4.6 Describe                                                        */
/* ------------------------------------------------------------------ */

#define OCI_PTYPE_UNK 0
#define OCI_PTYPE_TABLE 1
#define OCI_PTYPE_VIEW 2
#define OCI_PTYPE_PROC 3
#define OCI_PTYPE_FUNC 4
#define OCI_PTYPE_PKG 5
#define OCI_PTYPE_TYPE 6
#define OCI_PTYPE_SYN 7
#define OCI_PTYPE_SEQ 8
#define OCI_PTYPE_COL 9
#define OCI_PTYPE_ARG 10
#define OCI_PTYPE_LIST 11
#define OCI_PTYPE_TYPE_ATTR 12
#define OCI_PTYPE_TYPE_COLL 13
#define OCI_PTYPE_TYPE_METHOD 14
#define OCI_PTYPE_TYPE_ARG 15
#define OCI_PTYPE_TYPE_RESULT 16
#define OCI_PTYPE_SCHEMA 17
#define OCI_PTYPE_DATABASE 18
#define OCI_PTYPE_RULE 19
#define OCI_PTYPE_RULE_SET 20
#define OCI_PTYPE_EVALUATION_CONTEXT 21
#define OCI_PTYPE_TABLE_ALIAS 22
#define OCI_PTYPE_VARIABLE_TYPE 23
#define OCI_PTYPE_NAME_VALUE 24
#define OCI_PTYPE_HIERARCHY 25
#define OCI_PTYPE_ANALYTIC_VIEW 26

/* objptr_typ of OCIDescribeAny (the older object-kind set with colliding
 * values is deliberately not declared) */
#define OCI_OTYPE_NAME 1
#define OCI_OTYPE_REF 2
#define OCI_OTYPE_PTR 3

#define OCI_LTYPE_UNK 0
#define OCI_LTYPE_COLUMN 1
#define OCI_LTYPE_ARG_PROC 2
#define OCI_LTYPE_ARG_FUNC 3
#define OCI_LTYPE_SUBPRG 4
#define OCI_LTYPE_TYPE_ATTR 5
#define OCI_LTYPE_TYPE_METHOD 6
#define OCI_LTYPE_TYPE_ARG_PROC 7
#define OCI_LTYPE_TYPE_ARG_FUNC 8
#define OCI_LTYPE_SCH_OBJ 9
#define OCI_LTYPE_DB_SCH 10
#define OCI_LTYPE_TYPE_SUBTYPE 11
#define OCI_LTYPE_TABLE_ALIAS 12
#define OCI_LTYPE_VARIABLE_TYPE 13
#define OCI_LTYPE_NAME_VALUE 14
#define OCI_LTYPE_PACKAGE_TYPE 15

/* ------------------------------------------------------------------ */
/* 4.7 Statement types                                                 */
/* ------------------------------------------------------------------ */

#define OCI_STMT_UNKNOWN 0
#define OCI_STMT_SELECT 1
#define OCI_STMT_UPDATE 2
#define OCI_STMT_DELETE 3
#define OCI_STMT_INSERT 4
#define OCI_STMT_CREATE 5
#define OCI_STMT_DROP 6
#define OCI_STMT_ALTER 7
#define OCI_STMT_BEGIN 8
#define OCI_STMT_DECLARE 9
#define OCI_STMT_CALL 10
#define OCI_STMT_MERGE 16

/* ------------------------------------------------------------------ */
/* 4.8 NLS items                                                       */
/* ------------------------------------------------------------------ */

#define OCI_NLS_DAYNAME1 1
#define OCI_NLS_DAYNAME2 2
#define OCI_NLS_DAYNAME3 3
#define OCI_NLS_DAYNAME4 4
#define OCI_NLS_DAYNAME5 5
#define OCI_NLS_DAYNAME6 6
#define OCI_NLS_DAYNAME7 7
#define OCI_NLS_ABDAYNAME1 8
#define OCI_NLS_ABDAYNAME2 9
#define OCI_NLS_ABDAYNAME3 10
#define OCI_NLS_ABDAYNAME4 11
#define OCI_NLS_ABDAYNAME5 12
#define OCI_NLS_ABDAYNAME6 13
#define OCI_NLS_ABDAYNAME7 14
#define OCI_NLS_MONTHNAME1 15
#define OCI_NLS_MONTHNAME2 16
#define OCI_NLS_MONTHNAME3 17
#define OCI_NLS_MONTHNAME4 18
#define OCI_NLS_MONTHNAME5 19
#define OCI_NLS_MONTHNAME6 20
#define OCI_NLS_MONTHNAME7 21
#define OCI_NLS_MONTHNAME8 22
#define OCI_NLS_MONTHNAME9 23
#define OCI_NLS_MONTHNAME10 24
#define OCI_NLS_MONTHNAME11 25
#define OCI_NLS_MONTHNAME12 26
#define OCI_NLS_ABMONTHNAME1 27
#define OCI_NLS_ABMONTHNAME2 28
#define OCI_NLS_ABMONTHNAME3 29
#define OCI_NLS_ABMONTHNAME4 30
#define OCI_NLS_ABMONTHNAME5 31
#define OCI_NLS_ABMONTHNAME6 32
#define OCI_NLS_ABMONTHNAME7 33
#define OCI_NLS_ABMONTHNAME8 34
#define OCI_NLS_ABMONTHNAME9 35
#define OCI_NLS_ABMONTHNAME10 36
#define OCI_NLS_ABMONTHNAME11 37
#define OCI_NLS_ABMONTHNAME12 38
#define OCI_NLS_YES 39
#define OCI_NLS_NO 40
#define OCI_NLS_AM 41
#define OCI_NLS_PM 42
#define OCI_NLS_AD 43
#define OCI_NLS_BC 44
#define OCI_NLS_DECIMAL 45
#define OCI_NLS_GROUP 46
#define OCI_NLS_DEBIT 47
#define OCI_NLS_CREDIT 48
#define OCI_NLS_DATEFORMAT 49
#define OCI_NLS_INT_CURRENCY 50
#define OCI_NLS_LOC_CURRENCY 51
#define OCI_NLS_LANGUAGE 52
#define OCI_NLS_ABLANGUAGE 53
#define OCI_NLS_TERRITORY 54
#define OCI_NLS_CHARACTER_SET 55
#define OCI_NLS_LINGUISTIC_NAME 56
#define OCI_NLS_CALENDAR 57
#define OCI_NLS_DUAL_CURRENCY 78
#define OCI_NLS_WRITINGDIR 79
#define OCI_NLS_ABTERRITORY 80
#define OCI_NLS_DDATEFORMAT 81
#define OCI_NLS_DTIMEFORMAT 82
#define OCI_NLS_SFDATEFORMAT 83
#define OCI_NLS_SFTIMEFORMAT 84
#define OCI_NLS_NUMGROUPING 85
#define OCI_NLS_LISTSEP 86
#define OCI_NLS_MONDECIMAL 87
#define OCI_NLS_MONGROUP 88
#define OCI_NLS_MONGROUPING 89
#define OCI_NLS_INT_CURRENCYSEP 90
#define OCI_NLS_CHARSET_MAXBYTESZ 91
#define OCI_NLS_CHARSET_FIXEDWIDTH 92
#define OCI_NLS_CHARSET_ID 93
#define OCI_NLS_NCHARSET_ID 94
#define OCI_NLS_CS_IANA_TO_ORA 0
#define OCI_NLS_CS_ORA_TO_IANA 1

/* ------------------------------------------------------------------ */
/* 4.9 External datatype codes                                         */
/* ------------------------------------------------------------------ */

#define SQLT_CHR 1
#define SQLT_NUM 2
#define SQLT_INT 3
#define SQLT_FLT 4
#define SQLT_STR 5
#define SQLT_VNU 6
#define SQLT_PDN 7
#define SQLT_LNG 8
#define SQLT_VCS 9
#define SQLT_NON 10
#define SQLT_RID 11
#define SQLT_DAT 12
#define SQLT_VBI 15
#define SQLT_BFLOAT 21
#define SQLT_BDOUBLE 22
#define SQLT_BIN 23
#define SQLT_LBI 24
#define SQLT_UIN 68
#define SQLT_SLS 91
#define SQLT_LVC 94
#define SQLT_LVB 95
#define SQLT_AFC 96
#define SQLT_AVC 97
#define SQLT_IBFLOAT 100
#define SQLT_IBDOUBLE 101
#define SQLT_CUR 102
#define SQLT_RDD 104
#define SQLT_LAB 105
#define SQLT_OSL 106
#define SQLT_NTY 108
#define SQLT_REF 110
#define SQLT_CLOB 112
#define SQLT_BLOB 113
#define SQLT_BFILEE 114
#define SQLT_BFILE SQLT_BFILEE
#define SQLT_FILE SQLT_BFILEE
#define SQLT_CFILEE 115
#define SQLT_CFILE SQLT_CFILEE
#define SQLT_RSET 116
#define SQLT_JSON 119
#define SQLT_NCO 122
#define SQLT_VEC 127
#define SQLT_VST 155
#define SQLT_ODT 156
#define SQLT_DATE 184
#define SQLT_TIME 185
#define SQLT_TIME_TZ 186
#define SQLT_TIMESTAMP 187
#define SQLT_TIMESTAMP_TZ 188
#define SQLT_INTERVAL_YM 189
#define SQLT_INTERVAL_DS 190
#define SQLT_TIMESTAMP_LTZ 232
#define SQLT_PNTY 241
#define SQLT_REC 250
#define SQLT_TAB 251
#define SQLT_BOL 252

/* ------------------------------------------------------------------ */
/* 4.10 Character-set forms                                            */
/* ------------------------------------------------------------------ */

#define SQLCS_IMPLICIT 1
#define SQLCS_NCHAR 2
#define SQLCS_EXPLICIT 3
#define SQLCS_FLEXIBLE 4
#define SQLCS_LIT_NULL 5

/* ------------------------------------------------------------------ */
/* 4.11 Type codes                                                     */
/* ------------------------------------------------------------------ */

#define OCI_TYPECODE_NONE 0
#define OCI_TYPECODE_VARCHAR 1
#define OCI_TYPECODE_NUMBER 2
#define OCI_TYPECODE_INTEGER 3
#define OCI_TYPECODE_FLOAT 4
#define OCI_TYPECODE_DECIMAL 7
#define OCI_TYPECODE_VARCHAR2 9
#define OCI_TYPECODE_DATE 12
#define OCI_TYPECODE_REAL 21
#define OCI_TYPECODE_DOUBLE 22
#define OCI_TYPECODE_UNSIGNED8 23
#define OCI_TYPECODE_UNSIGNED16 25
#define OCI_TYPECODE_UNSIGNED32 26
#define OCI_TYPECODE_SIGNED8 27
#define OCI_TYPECODE_SIGNED16 28
#define OCI_TYPECODE_SIGNED32 29
#define OCI_TYPECODE_PTR 32
#define OCI_TYPECODE_OPAQUE 58
#define OCI_TYPECODE_RAW 95
#define OCI_TYPECODE_CHAR 96
#define OCI_TYPECODE_BFLOAT 100
#define OCI_TYPECODE_BDOUBLE 101
#define OCI_TYPECODE_UROWID 104
#define OCI_TYPECODE_MLSLABEL 105
#define OCI_TYPECODE_OBJECT 108
#define OCI_TYPECODE_REF 110
#define OCI_TYPECODE_CLOB 112
#define OCI_TYPECODE_BLOB 113
#define OCI_TYPECODE_BFILE 114
#define OCI_TYPECODE_CFILE 115
#define OCI_TYPECODE_NAMEDCOLLECTION 122
#define OCI_TYPECODE_TIME 185
#define OCI_TYPECODE_TIME_TZ 186
#define OCI_TYPECODE_TIMESTAMP 187
#define OCI_TYPECODE_TIMESTAMP_TZ 188
#define OCI_TYPECODE_INTERVAL_YM 189
#define OCI_TYPECODE_INTERVAL_DS 190
#define OCI_TYPECODE_SYSFIRST 228
#define OCI_TYPECODE_OTMFIRST 228
#define OCI_TYPECODE_TIMESTAMP_LTZ 232
#define OCI_TYPECODE_SYSLAST 235
#define OCI_TYPECODE_OCTET 245
#define OCI_TYPECODE_SMALLINT 246
#define OCI_TYPECODE_VARRAY 247
#define OCI_TYPECODE_TABLE 248
#define OCI_TYPECODE_RECORD 250
#define OCI_TYPECODE_ITABLE 251
#define OCI_TYPECODE_BOOLEAN 252
#define OCI_TYPECODE_ROWID 262
#define OCI_TYPECODE_LONG 263
#define OCI_TYPECODE_LONG_RAW 264
#define OCI_TYPECODE_BINARY_INTEGER 265
#define OCI_TYPECODE_PLS_INTEGER 266
#define OCI_TYPECODE_ERRHP 283
#define OCI_TYPECODE_NCHAR 286
#define OCI_TYPECODE_NVARCHAR2 287
#define OCI_TYPECODE_NCLOB 288
#define OCI_TYPECODE_OTMLAST 320

/* ------------------------------------------------------------------ */
/* 4.12 Character-set ids                                              */
/* ------------------------------------------------------------------ */

#define OCI_CSID_US7ASCII 1
#define OCI_CSID_WE8ISO8859P1 31
#define OCI_CSID_WE8MSWIN1252 178
#define OCI_CSID_JA16EUC 830
#define OCI_CSID_JA16SJIS 832
#define OCI_CSID_JA16EUCTILDE 837
#define OCI_CSID_JA16SJISTILDE 838
#define OCI_CSID_ZHS16CGB231280 850
#define OCI_CSID_ZHS16GBK 852
#define OCI_CSID_ZHS32GB18030 854
#define OCI_CSID_UTF8 871
#define OCI_CSID_AL32UTF8 873
#define OCI_CSID_AL16UTF16 2000
#define OCI_CSID_AL16UTF16LE 2002

#ifdef __cplusplus
}
#endif

#endif /* KESTREL_OCI_ABI_H */
