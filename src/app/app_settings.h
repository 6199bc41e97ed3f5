// The program's settings: every (section, key) with its default, loaded once
// at start and written back at the fixed points (options OK, font OK, store
// switch, exit). Member names are the settings' key names, so the table reads
// like the settings file.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "platform/settings_store.h"

namespace kestrel {

// Section names.
namespace section {
inline constexpr std::u16string_view kBufSize = u"BUF_SIZE";
inline constexpr std::u16string_view kSetup = u"SETUP";
inline constexpr std::u16string_view kSession = u"SESSION";
inline constexpr std::u16string_view kApplication = u"APPLICATION";
inline constexpr std::u16string_view kUnicode = u"UNICODE";
inline constexpr std::u16string_view kGrid = u"GRID";
inline constexpr std::u16string_view kFontU = u"FONT_U";
inline constexpr std::u16string_view kWindow = u"WINDOW";
inline constexpr std::u16string_view kConnectInfo = u"CONNECT_INFO";
}  // namespace section

// LONG and CLOB read buffers are used within these bounds; the stored value
// is kept as entered.
inline constexpr int32_t kMinReadBufSize = 1;
inline constexpr int32_t kMaxReadBufSize = 16777216;
int32_t clamp_read_buf_size(int32_t v);

// A LOGFONT face field holds 31 characters.
inline constexpr std::size_t kMaxFaceNameLength = 31;

struct FontSettings {
  std::u16string FACENAME = u"Terminal";
  int32_t POINT = 100;  // tenths of a point
  int32_t WEIGHT = 400;
  int32_t ITALIC = 0;

  void load(const SettingsStore& store);
  bool save(SettingsStore& store) const;
  bool operator==(const FontSettings&) const = default;
};

struct AppSettings {
  // BUF_SIZE
  int32_t LONG_READ_BUF_SIZE = 65536;
  int32_t CLOB_READ_BUF_SIZE = 4096;
  // SETUP
  int32_t PUT_COLUMN_NAME = 1;
  int32_t ADJUST_COL_WIDTH = 0;
  int32_t USE_MESSAGE_BEEP = 0;
  int32_t USE_USER_UPDATABLE_COLUMNS = 0;
  int32_t SHARE_CONNECT_INFO = 0;
  int32_t SEARCH_DLG_CLOSE_AT_FOUND = 0;
  int32_t DISP_DELETE_ALL_NULL_ROWS_WARNING = 1;
  // SESSION
  int32_t DATA_LOCK = 0;
  std::u16string NLS_DATE_FORMAT = u"YYYY-MM-DD HH24:MI:SS";
  std::u16string NLS_DATE_LANGUAGE;
  std::u16string NLS_TIMESTAMP_FORMAT = u"YYYY-MM-DD HH24:MI:SSXFF";
  std::u16string NLS_TIMESTAMP_TZ_FORMAT = u"YYYY-MM-DD HH24:MI:SSXFF TZH:TZM";
  std::u16string TIMEZONE = u"+09:00";
  // APPLICATION (USE_INI_FILE is the store's own flag, see AppSettingsStore)
  int32_t GRID_CALC_TYPE = 0;  // read at start, written only at exit
  std::u16string INITIAL_DIR;
  std::u16string STARTUP_SQL_FILE;
  std::u16string OCI_PATH_64;
  std::u16string TNS_ADMIN;
  // UNICODE
  int32_t NLS_UTF8 = 1;
  int32_t REPLACE_WAVE_DASH = 0;
  // GRID
  int32_t SHOW_SPACE = 0;
  int32_t SHOW_2BYTE_SPACE = 0;
  int32_t SHOW_TAB = 0;
  int32_t SHOW_LINE_FEED = 0;
  int32_t ADJUST_COL_WIDTH_NO_USE_COLNAME = 0;
  int32_t ADJUST_MIN_COL_CHARS = 10;
  int32_t INVERT_SELECT_TEXT = 0;
  int32_t COPY_ESCAPE_DBLQUOTE = 1;
  int32_t IME_CARET_COLOR = 1;
  int32_t END_KEY_LIKE_EXCEL = 0;
  int32_t DISP_COLUMN_NAME_TOOL_TIP = 1;
  int32_t SHOW_NOT_NULL_COLL = 1;
  int32_t NO_MOVE_CELL_AT_DELETE_ROWS = 0;
  int32_t NO_MOVE_CELL_AT_INSERT_ROWS = 0;
  std::u16string NULL_TEXT;
  // Colours are 0x00BBGGRR.
  int32_t GRID_BG_COLOR = 0xFFFFFF;
  int32_t GRID_HEADER_BG_COLOR = 0xFFE6E6;
  int32_t GRID_LINE_COLOR = 0xFAC8C8;
  int32_t GRID_SELECT_COLOR = 0xDCC8C8;
  int32_t GRID_DELETE_COLOR = 0x969696;
  int32_t GRID_INSERT_COLOR = 0xFFDCDC;
  int32_t GRID_UPDATE_COLOR = 0xDCDCFF;
  int32_t GRID_UNEDITABLE_COLOR = 0xF0F0F0;
  int32_t GRID_TEXT_COLOR = 0x000000;
  int32_t GRID_NULL_CELL_COLOR = 0xF5F5F5;
  int32_t GRID_MARK_COLOR = 0x969600;
  int32_t GRID_SEARCH_COLOR = 0x32FFFF;
  int32_t GRID_HEADER_LINE_COLOR = 0x646464;
  int32_t GRID_CUR_ROW_TEXT_COLOR = 0x000000;  // defaults to the loaded GRID_TEXT_COLOR
  int32_t CELL_PADDING_TOP = 1;
  int32_t CELL_PADDING_BOTTOM = 1;
  int32_t CELL_PADDING_LEFT = 2;
  int32_t CELL_PADDING_RIGHT = 2;
  // FONT_U (loaded and saved on their own)
  FontSettings font;

  // Effective read sizes: the stored values clamped to 1..16777216.
  int32_t long_read_buf_size() const { return clamp_read_buf_size(LONG_READ_BUF_SIZE); }
  int32_t clob_read_buf_size() const { return clamp_read_buf_size(CLOB_READ_BUF_SIZE); }

  // Reads every key of the table in table order (BUF_SIZE, SETUP, SESSION,
  // APPLICATION, UNICODE, GRID). A value outside its key's range gives the
  // default; an empty INITIAL_DIR becomes `program_folder`.
  void load(const SettingsStore& store, std::u16string_view program_folder);
  // Writes the same keys in the same order, as one batch.
  bool save(SettingsStore& store) const;
  // GRID_CALC_TYPE, read at start-up (0..5, else 0).
  void load_grid_calc_type(const SettingsStore& store);
  // At exit: APPLICATION/GRID_CALC_TYPE and SESSION/DATA_LOCK.
  bool save_exit_keys(SettingsStore& store) const;

  bool operator==(const AppSettings&) const = default;
};

// One row of the settings table (the keys load and save handle).
struct SettingDef {
  std::u16string_view section;
  std::u16string_view key;
  int32_t AppSettings::*int_member = nullptr;        // integer keys
  std::u16string AppSettings::*str_member = nullptr;  // string keys
  int32_t min = INT32_MIN;                            // valid range of an integer
  int32_t max = INT32_MAX;
};
std::span<const SettingDef> settings_table();

inline constexpr int32_t kGridCalcTypeCount = 6;  // sum, average, max, min, rows, none

}  // namespace kestrel
