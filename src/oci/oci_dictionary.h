// Questions the program asks the database about itself: owners, objects of a
// schema by type (with comments), synonym resolution, primary-key columns,
// column lists, the index-organised flag, NLS parameters, the session time
// zone and the server date. Every answer comes from fixed SELECT texts run
// through the select driver; owner and names are always bound, never pasted
// into the text, so quoted, mixed-case and Japanese identifiers round-trip.
#pragma once

#include <string>
#include <string_view>

#include "oci/oci_cursor.h"
#include "oci/oci_dataset.h"
#include "oci/oci_session.h"
#include "oci/oci_text.h"

namespace kestrel {

// Process-wide memory of the dictionary layer.
struct OciDictionaryState {
  // The materialised-view views failed once with ORA-00904/00942: their two
  // queries are not tried again in this process.
  bool mview_unavailable = false;
  // The first and second column-list forms failed once with ORA-00904/00942.
  bool column_form_failed[2] = {false, false};
  // Date format for DATE values inside objects (last successful
  // NLS_DATE_FORMAT change), wide and in the session code page.
  std::u16string date_format = u"YYYY-MM-DD HH24:MI:SS";
  std::string date_format_mb = "YYYY-MM-DD HH24:MI:SS";
};

OciDictionaryState& oci_dictionary_state();
// Back to the start-up values (tests, a fresh library load).
void oci_reset_dictionary_state();

// "$DICT$" replaced by "all_" everywhere in a query text.
std::u16string oci_dict_sql(std::u16string_view text);

// Longest date format kept for object values, in session code-page bytes.
inline constexpr std::size_t kDateFormatMaxBytes = 100;

inline constexpr char16_t kObjectTypeCombined[] = u"TABLE|VIEW|SYNONYM";
inline constexpr char16_t kUnknownParameter[] = u"Unknown";

}  // namespace kestrel

// Owners of the database: one USERNAME per row, sorted.
int oci_get_owner_list(OciSession* s, OciDataset* out, kestrel::OciMsgBuf msg);
// Objects of `owner` of one type ("TABLE", "VIEW", "SYNONYM", "INDEX", ...,
// or "TABLE|VIEW|SYNONYM" for the combined list with OBJECT_NAME,
// OBJECT_TYPE and COMMENTS). Stops at the first failing query.
int oci_get_object_list(OciSession* s, std::u16string_view owner, std::u16string_view type, OciDataset* out,
                        kestrel::OciMsgBuf msg, kestrel::MsgTarget* progress = nullptr,
                        CancelFlag* cancel = nullptr);
// One object by exact name (OBJECT_NAME, OBJECT_TYPE, empty COMMENTS).
int oci_get_object_by_name(OciSession* s, std::u16string_view owner, std::u16string_view name, OciDataset* out,
                           kestrel::OciMsgBuf msg);
// When owner.name is a synonym, replaces both by the object it stands for.
int oci_resolve_synonym(OciSession* s, std::u16string* owner, std::u16string* name, kestrel::OciMsgBuf msg);
// Primary-key columns (COLUMN_NAME) of a table or of the table behind a
// synonym, in the server's order; an empty dataset when there is no key.
int oci_get_primary_key(OciSession* s, OciDataset* out, std::u16string_view owner, std::u16string_view name,
                        kestrel::OciMsgBuf msg);
// Columns of a table or view: COLUMN_ID, COLUMN_NAME, DATA_TYPE, DATA_LENGTH,
// NULLABLE, DATA_DEFAULT, COMMENTS (CHAR_USED with the newest form).
int oci_get_column_list(OciSession* s, std::u16string_view owner, std::u16string_view table, OciDataset* out,
                        kestrel::OciMsgBuf msg);
// IOT_TYPE of a table: empty for an ordinary table (or none found).
int oci_get_iot_type(OciSession* s, std::u16string_view owner, std::u16string_view table, std::u16string* out,
                     kestrel::OciMsgBuf msg);
// Current value of a session NLS parameter.
int oci_get_nls_session_param(OciSession* s, std::u16string_view name, std::u16string* out, kestrel::OciMsgBuf msg);
// "alter session set NAME = 'VALUE'" when the value is not empty; a quote in
// the value is doubled. A successful NLS_DATE_FORMAT change also becomes the
// date format for object values.
int oci_set_nls_session_param(OciSession* s, std::u16string_view value, std::u16string_view name,
                              kestrel::OciMsgBuf msg);
int oci_get_session_timezone(OciSession* s, std::u16string* out, kestrel::OciMsgBuf msg);
// A database NLS parameter, or "Unknown" when it cannot be read.
void oci_get_nls_database_param(OciSession* s, std::u16string_view name, std::u16string* out);
// The server date in a format (a sample for the options page).
int oci_get_sysdate_text(OciSession* s, std::u16string_view format, std::u16string* out, kestrel::OciMsgBuf msg);
// The server date as YYYY-MM-DD for the session start; 40 unless one row.
int oci_get_server_date(OciSession* s, std::u16string* out, kestrel::OciMsgBuf msg);
