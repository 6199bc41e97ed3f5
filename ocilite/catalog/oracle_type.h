// Oracle column type declarations ("VARCHAR2(20 CHAR)", "NUMBER(7,2)",
// "TIMESTAMP(6) WITH TIME ZONE", ...) parsed into what the dictionary views
// and OCI describe report. ocilite keeps the Oracle declaration as the
// column's declared type in SQLite, so this parser is the one place that
// knows what a column is.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace ocilite {

// Describe type codes (OCI_ATTR_DATA_TYPE) as an Oracle 19 server reports them.
namespace describe_code {
inline constexpr int kVarchar2 = 1;  // VARCHAR2, NVARCHAR2
inline constexpr int kNumber = 2;    // NUMBER, FLOAT, INTEGER
inline constexpr int kLong = 8;
inline constexpr int kDate = 12;
inline constexpr int kRaw = 23;
inline constexpr int kLongRaw = 24;
inline constexpr int kChar = 96;  // CHAR, NCHAR
inline constexpr int kBinaryFloat = 100;
inline constexpr int kBinaryDouble = 101;
inline constexpr int kRowid = 104;  // ROWID, UROWID
inline constexpr int kObject = 108;  // object types and named collections
inline constexpr int kRef = 110;
inline constexpr int kClob = 112;  // CLOB, NCLOB
inline constexpr int kBlob = 113;
inline constexpr int kBfile = 114;
inline constexpr int kTimestamp = 180;
inline constexpr int kTimestampTz = 181;
inline constexpr int kIntervalYm = 182;
inline constexpr int kIntervalDs = 183;
inline constexpr int kTimestampLtz = 231;
}  // namespace describe_code

inline constexpr int kCharsetFormImplicit = 1;  // SQLCS_IMPLICIT
inline constexpr int kCharsetFormNchar = 2;     // SQLCS_NCHAR

struct OracleType {
  // DATA_TYPE as the dictionary shows it: "VARCHAR2", "NUMBER",
  // "TIMESTAMP(6)", "TIMESTAMP(6) WITH TIME ZONE", "INTERVAL DAY(2) TO SECOND(6)".
  std::string data_type;
  // The declaration in canonical form ("VARCHAR2(20 CHAR)", "NUMBER(7,2)").
  std::string declaration;
  int code = 0;                  // describe type code (describe_code::*)
  int data_length = 0;           // DATA_LENGTH in bytes (VARCHAR2(20 CHAR) -> 80)
  std::optional<int> precision;  // DATA_PRECISION (NUMBER(7,2) -> 7, FLOAT -> 126)
  std::optional<int> scale;      // DATA_SCALE (INTEGER -> 0, TIMESTAMP(6) -> 6)
  char char_used = 0;            // 'B', 'C' for character types, 0 otherwise
  int char_length = 0;           // CHAR_LENGTH in characters (0 for non-character)
  int charset_form = 0;          // SQLCS_IMPLICIT / SQLCS_NCHAR for character types and LOBs
  bool is_lob = false;           // CLOB, NCLOB, BLOB, BFILE
  bool is_long = false;          // LONG, LONG RAW
  // A NUMBER-family column ocilite made: its values are exact decimal texts
  // under the `ocilite_number` collation (see column_type_sql).
  bool exact_text = false;
  // A user-defined type: the object or collection type a column holds, or
  // the type a REF column points to ("SCOTT", "ADDRESS_T").
  std::string type_owner, type_name;

  // What OCI describe reports for a column of this type.
  int describe_size() const;       // OCI_ATTR_DATA_SIZE
  int describe_precision() const;  // OCI_ATTR_PRECISION (NUMBER without precision: 0; FLOAT: 126)
  int describe_scale() const;      // OCI_ATTR_SCALE (NUMBER without scale: -127)
  bool is_character() const { return char_used != 0; }
  bool is_number() const { return code == describe_code::kNumber; }
  bool is_user_defined() const { return code == describe_code::kObject || code == describe_code::kRef; }
};

// Parses an Oracle type declaration (case-insensitive, spaces free).
// nullopt with `error` set when it is no type Oracle knows, e.g. "VARCHAR2"
// without a length or "NUMBER(39)". An empty declaration (a column of a
// plain SQLite table) is taken by its SQLite affinity: see
// `type_from_sqlite_declaration`.
std::optional<OracleType> parse_oracle_type(std::string_view declaration, std::string* error = nullptr);

// The type a column of any SQLite table is shown as: its Oracle declaration
// when it has one, else by SQLite's affinity rules (INTEGER -> NUMBER
// with scale 0, TEXT -> VARCHAR2(4000), BLOB or none -> BLOB, REAL -> BINARY_DOUBLE,
// NUMERIC -> NUMBER). Never fails.
OracleType type_from_sqlite_declaration(std::string_view declaration);

// A column or attribute of the object or collection type `owner`.`name`,
// or (`ref`) a REF to objects of it.
OracleType user_defined_type(std::string_view owner, std::string_view name, bool ref);

// The collation that orders NUMBER values stored as exact decimal texts.
inline constexpr const char* kNumberCollation = "ocilite_number";
// The column type clause ocilite writes into SQLite for a new column of
// type `t`: the quoted declaration, and for NUMBER, INTEGER, DECIMAL and
// FLOAT the canonical declaration with " TEXT" (TEXT affinity, so SQLite
// never turns a value into a double) and COLLATE ocilite_number (so
// comparisons, indexes and ORDER BY stay numeric).
std::string column_type_sql(const OracleType& t);

}  // namespace ocilite
