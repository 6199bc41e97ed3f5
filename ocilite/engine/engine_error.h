// ORA numbers the engine raises and their classic message texts. Errors are
// the catalogue's `OraError` (code + full "ORA-nnnnn: ..." text).
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

#include "catalog/catalog.h"

namespace ocilite {

namespace ora {
inline constexpr int kUniqueViolated = 1;
inline constexpr int kResourceBusy = 54;
inline constexpr int kInvalidSqlStatement = 900;
inline constexpr int kInvalidIdentifier = 904;
inline constexpr int kMissingRightParen = 907;
inline constexpr int kInvalidOption = 922;
inline constexpr int kInconsistentTypes = 932;
inline constexpr int kNotProperlyEnded = 933;
inline constexpr int kMissingExpression = 936;
inline constexpr int kTableNotExist = 942;
inline constexpr int kNameUsed = 955;
inline constexpr int kFetchOutOfSequence = 1002;
inline constexpr int kNotAllBound = 1008;
inline constexpr int kCancelled = 1013;
inline constexpr int kInvalidLogon = 1017;
inline constexpr int kInsufficientPrivileges = 1031;
inline constexpr int kNoSuchSavepoint = 1086;
inline constexpr int kCannotInsertNull = 1400;
inline constexpr int kNoDataFound = 1403;
inline constexpr int kFetchedNull = 1405;
inline constexpr int kTruncated = 1406;
inline constexpr int kCannotUpdateToNull = 1407;
inline constexpr int kInvalidRowid = 1410;
inline constexpr int kNumericOverflow = 1426;
inline constexpr int kPrecisionTooLarge = 1438;
inline constexpr int kInvalidHex = 1465;
inline constexpr int kDivisorZero = 1476;
inline constexpr int kInvalidNumber = 1722;
inline constexpr int kCommentNotTerminated = 1742;
inline constexpr int kParentKeyNotFound = 2291;
inline constexpr int kChildRecordFound = 2292;
inline constexpr int kUnimplemented = 3001;
inline constexpr int kNotConnected = 3114;
inline constexpr int kObjectNotExist = 4043;
inline constexpr int kPlsql = 6550;
inline constexpr int kTnsResolve = 12154;
inline constexpr int kValueTooLarge = 12899;
inline constexpr int kInvalidLobLocator = 22275;
inline constexpr int kIllegalAttribute = 24315;
inline constexpr int kIllegalHandle = 24316;
inline constexpr int kZeroIterations = 24333;
inline constexpr int kCompiledWithErrors = 24344;
inline constexpr int kTruncationOrNull = 24345;
inline constexpr int kDefineNotDone = 24374;
inline constexpr int kPasswordExpiring = 28002;
}  // namespace ora

// Oracle's error `code` with each "%s" of its text filled from `args`.
OraError engine_error(int code, std::initializer_list<std::string_view> args = {});

// Errors raised inside SQLite user functions travel as SQLite error
// messages "ORA-01722: invalid number"; this reads them back.
bool parse_ora_text(std::string_view text, OraError& out);

}  // namespace ocilite
