// Numbers and texts fixed by the Oracle access layer: the result codes every
// oci_* / oci8_* function returns, the message texts that go with them, the
// progress-window messages and the sizing limits of cursors and datasets.
#pragma once

#include <cstdint>

namespace kestrel {

// Result codes. 0 is success; for any other code the caller shows the
// message buffer.
enum OciResult : int {
  kOciOk = 0,
  kOciEnvFailed = 1,         // environment or handle creation failed
  kOciCancelled = 9,         // cancelled by the user
  kOciNoMemory = 11,         // out of memory
  kOciFileOpen = 12,         // a file could not be opened
  kOciOracleError = 13,      // Oracle reported an error (its text is the message)
  kOciObjectElement = 14,    // an object element cannot be shown / unsupported type
  kOciNoSuchColumn = 15,     // a statement column missing from the table definition
  kOciNullInNotNull = 19,    // NULL for a NOT NULL column while saving
  kOciBadLength = 20,        // value longer than its column while saving
  kOciInternal = 21,         // dataset or internal consistency error
  kOciPlsqlCompile = 23,     // PL/SQL unit compiled with errors
  kOciBadBindFormat = 25,    // bind format letter not allowed here
  kOciTooManyColumns = 26,   // statement has too many columns (old interface)
  kOciLibraryFailed = 30,    // client library not loadable or unusable
  kOciLoginTooLong = 33,     // user, password or connect string too long
  kOciNoRow = 40,            // one-value query found no row or several
};

// Message texts (the program's own; keep them exactly).
inline constexpr char16_t kMsgEnvCreateFailed[] = u"FAILED: OCIEnvCreate()\n";
inline constexpr char16_t kMsgInitializeFailed[] = u"FAILED: OCIInitialize()\n";
inline constexpr char16_t kMsgEnvInitFailed[] = u"FAILED: OCIEnvInit()\n";
inline constexpr char16_t kMsgHandleAllocFailedEnv[] = u"FAILED: OCIHandleALloc()\n";
inline constexpr char16_t kMsgHandleAllocFailed[] = u"FAILED: OCIHandleAlloc()\n";
inline constexpr char16_t kMsgNlsGetInfoFailed[] = u"FAILED: OCINlsGetInfo()\n";
inline constexpr char16_t kMsgNlsLangUnsupported[] = u"NLS_LANG=%sはサポートしていません";
inline constexpr char16_t kMsgCancelled[] = u"キャンセルしました\n";
inline constexpr char16_t kMsgNoMemory[] = u"メモリ確保に失敗しました\n";
inline constexpr char16_t kMsgFileOpen[] = u"ファイルが開けません(ファイル名:%s)\n";
inline constexpr char16_t kMsgNoSuchColumn[] = u"項目が存在しません(項目名:%s)\n";
inline constexpr char16_t kMsgNullInNotNull[] = u"必須項目にNULLが設定されました(%s)\n";
inline constexpr char16_t kMsgBadLength[] = u"データ長が不正です(%s)\n";
inline constexpr char16_t kMsgInternal[] = u"エラー(%s)\n";
inline constexpr char16_t kMsgBadBindFormat[] = u"可変引数関数の引数が正しくありません\n";
inline constexpr char16_t kMsgPlsqlCompile[] = u"PL/SQLのコンパイルエラーです\n";
inline constexpr char16_t kMsgTooManyColumns[] = u"検索するカラム数が多すぎます\n";
inline constexpr char16_t kMsgLibraryFailed[] = u"OCIライブラリの初期化に失敗しました\n";
inline constexpr char16_t kMsgLoginTooLong[] = u"接続文字列が長すぎます\n";
inline constexpr char16_t kMsgNoRow[] = u"検索結果がありません\n";
inline constexpr char16_t kMsgUnsupportedType[] = u"サポートしていないデータ型です(項目名:%s, データ型:%d)\n";
inline constexpr char16_t kMsgErrorPosition[] = u"[row:%d,col:%d] %s";
// This client exports the newer call interface only; a login that asks for
// the old one cannot be served.
inline constexpr char16_t kMsgNoOci7[] =
    u"このOCIライブラリはOCI7インターフェースを提供していません\n";

// Progress window messages of the select driver.
inline constexpr uint32_t kMsgIdProgressText = 0x8065;   // sent, lparam = const char16_t*
inline constexpr uint32_t kMsgIdProgressRows = 0x8067;   // posted, wparam = rows so far
inline constexpr char16_t kProgressSearching[] = u"データベース検索中";

// Cancel-state word shared with the cancel dialog.
inline constexpr int32_t kCancelRunning = 0;
inline constexpr int32_t kCancelRequested = 1;
inline constexpr int32_t kCancelAsking = 2;

// Sizes.
inline constexpr int kOracleTextMax = 1023;          // Oracle message texts are cut here
inline constexpr int kLoginTextMax = 500;            // bytes, terminator included
inline constexpr int kColumnNameMax = 128;           // longest Oracle identifier, bytes
inline constexpr int kWarningTextMax = 2048;
inline constexpr int kMissingObjectNameMax = 100;
inline constexpr int kCharsetNameMax = 19;
inline constexpr int kOldInterfaceMaxColumns = 1024;
inline constexpr uint32_t kFetchArrayBytes = 0x400000;  // about 4 MiB per fetch array
inline constexpr int kMaxRowsPerFetch = 400;
inline constexpr int kInlineTextLimit = 33;          // wide display bytes kept in the row record
inline constexpr int kLobHeaderBytes = 24;
inline constexpr int kObjectHeaderBytes = 16;
inline constexpr int kRowidBindBytes = 24;

// Login modes.
inline constexpr uint32_t kLoginNormal = 1;
inline constexpr uint32_t kLoginSysdba = 2;
inline constexpr uint32_t kLoginSysoper = 4;

// Column kinds and define types.
inline constexpr uint8_t kColumnOrdinary = 0;
inline constexpr uint8_t kColumnLob = 1;
inline constexpr uint8_t kColumnObject = 2;

}  // namespace kestrel
