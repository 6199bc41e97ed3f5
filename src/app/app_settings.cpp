#include "app/app_settings.h"

#include "platform/utf16.h"

namespace kestrel {
namespace {

using S = AppSettings;
constexpr int32_t kColorMax = 0xFFFFFF;

constexpr SettingDef flag(std::u16string_view sec, std::u16string_view key, int32_t S::*m) {
  return {sec, key, m, nullptr, 0, 1};
}
constexpr SettingDef num(std::u16string_view sec, std::u16string_view key, int32_t S::*m, int32_t lo, int32_t hi) {
  return {sec, key, m, nullptr, lo, hi};
}
constexpr SettingDef text(std::u16string_view sec, std::u16string_view key, std::u16string S::*m) {
  return {sec, key, nullptr, m};
}
constexpr SettingDef color(std::u16string_view key, int32_t S::*m) {
  return {section::kGrid, key, m, nullptr, 0, kColorMax};
}

// Order matters: the load reads and the save writes in this order.
constexpr SettingDef kTable[] = {
    num(section::kBufSize, u"LONG_READ_BUF_SIZE", &S::LONG_READ_BUF_SIZE, INT32_MIN, INT32_MAX),
    num(section::kBufSize, u"CLOB_READ_BUF_SIZE", &S::CLOB_READ_BUF_SIZE, INT32_MIN, INT32_MAX),
    flag(section::kSetup, u"PUT_COLUMN_NAME", &S::PUT_COLUMN_NAME),
    flag(section::kSetup, u"ADJUST_COL_WIDTH", &S::ADJUST_COL_WIDTH),
    flag(section::kSetup, u"USE_MESSAGE_BEEP", &S::USE_MESSAGE_BEEP),
    flag(section::kSetup, u"USE_USER_UPDATABLE_COLUMNS", &S::USE_USER_UPDATABLE_COLUMNS),
    flag(section::kSetup, u"SHARE_CONNECT_INFO", &S::SHARE_CONNECT_INFO),
    flag(section::kSetup, u"SEARCH_DLG_CLOSE_AT_FOUND", &S::SEARCH_DLG_CLOSE_AT_FOUND),
    flag(section::kSetup, u"DISP_DELETE_ALL_NULL_ROWS_WARNING", &S::DISP_DELETE_ALL_NULL_ROWS_WARNING),
    flag(section::kSession, u"DATA_LOCK", &S::DATA_LOCK),
    text(section::kSession, u"NLS_DATE_FORMAT", &S::NLS_DATE_FORMAT),
    text(section::kSession, u"NLS_DATE_LANGUAGE", &S::NLS_DATE_LANGUAGE),
    text(section::kSession, u"NLS_TIMESTAMP_FORMAT", &S::NLS_TIMESTAMP_FORMAT),
    text(section::kSession, u"NLS_TIMESTAMP_TZ_FORMAT", &S::NLS_TIMESTAMP_TZ_FORMAT),
    text(section::kSession, u"TIMEZONE", &S::TIMEZONE),
    text(section::kApplication, u"INITIAL_DIR", &S::INITIAL_DIR),
    text(section::kApplication, u"STARTUP_SQL_FILE", &S::STARTUP_SQL_FILE),
    text(section::kApplication, u"OCI_PATH_64", &S::OCI_PATH_64),
    text(section::kApplication, u"TNS_ADMIN", &S::TNS_ADMIN),
    flag(section::kUnicode, u"NLS_UTF8", &S::NLS_UTF8),
    flag(section::kUnicode, u"REPLACE_WAVE_DASH", &S::REPLACE_WAVE_DASH),
    flag(section::kGrid, u"SHOW_SPACE", &S::SHOW_SPACE),
    flag(section::kGrid, u"SHOW_2BYTE_SPACE", &S::SHOW_2BYTE_SPACE),
    flag(section::kGrid, u"SHOW_TAB", &S::SHOW_TAB),
    flag(section::kGrid, u"SHOW_LINE_FEED", &S::SHOW_LINE_FEED),
    flag(section::kGrid, u"ADJUST_COL_WIDTH_NO_USE_COLNAME", &S::ADJUST_COL_WIDTH_NO_USE_COLNAME),
    num(section::kGrid, u"ADJUST_MIN_COL_CHARS", &S::ADJUST_MIN_COL_CHARS, 0, 1000),
    flag(section::kGrid, u"INVERT_SELECT_TEXT", &S::INVERT_SELECT_TEXT),
    flag(section::kGrid, u"COPY_ESCAPE_DBLQUOTE", &S::COPY_ESCAPE_DBLQUOTE),
    flag(section::kGrid, u"IME_CARET_COLOR", &S::IME_CARET_COLOR),
    flag(section::kGrid, u"END_KEY_LIKE_EXCEL", &S::END_KEY_LIKE_EXCEL),
    flag(section::kGrid, u"DISP_COLUMN_NAME_TOOL_TIP", &S::DISP_COLUMN_NAME_TOOL_TIP),
    flag(section::kGrid, u"SHOW_NOT_NULL_COLL", &S::SHOW_NOT_NULL_COLL),
    flag(section::kGrid, u"NO_MOVE_CELL_AT_DELETE_ROWS", &S::NO_MOVE_CELL_AT_DELETE_ROWS),
    flag(section::kGrid, u"NO_MOVE_CELL_AT_INSERT_ROWS", &S::NO_MOVE_CELL_AT_INSERT_ROWS),
    text(section::kGrid, u"NULL_TEXT", &S::NULL_TEXT),
    color(u"GRID_BG_COLOR", &S::GRID_BG_COLOR),
    color(u"GRID_HEADER_BG_COLOR", &S::GRID_HEADER_BG_COLOR),
    color(u"GRID_LINE_COLOR", &S::GRID_LINE_COLOR),
    color(u"GRID_SELECT_COLOR", &S::GRID_SELECT_COLOR),
    color(u"GRID_DELETE_COLOR", &S::GRID_DELETE_COLOR),
    color(u"GRID_INSERT_COLOR", &S::GRID_INSERT_COLOR),
    color(u"GRID_UPDATE_COLOR", &S::GRID_UPDATE_COLOR),
    color(u"GRID_UNEDITABLE_COLOR", &S::GRID_UNEDITABLE_COLOR),
    color(u"GRID_TEXT_COLOR", &S::GRID_TEXT_COLOR),
    color(u"GRID_NULL_CELL_COLOR", &S::GRID_NULL_CELL_COLOR),
    color(u"GRID_MARK_COLOR", &S::GRID_MARK_COLOR),
    color(u"GRID_SEARCH_COLOR", &S::GRID_SEARCH_COLOR),
    color(u"GRID_HEADER_LINE_COLOR", &S::GRID_HEADER_LINE_COLOR),
    color(u"GRID_CUR_ROW_TEXT_COLOR", &S::GRID_CUR_ROW_TEXT_COLOR),
    num(section::kGrid, u"CELL_PADDING_TOP", &S::CELL_PADDING_TOP, 0, 100),
    num(section::kGrid, u"CELL_PADDING_BOTTOM", &S::CELL_PADDING_BOTTOM, 0, 100),
    num(section::kGrid, u"CELL_PADDING_LEFT", &S::CELL_PADDING_LEFT, 0, 100),
    num(section::kGrid, u"CELL_PADDING_RIGHT", &S::CELL_PADDING_RIGHT, 0, 100),
};

int32_t in_range(int32_t v, int32_t lo, int32_t hi, int32_t def) { return v < lo || v > hi ? def : v; }

}  // namespace

int32_t clamp_read_buf_size(int32_t v) {
  if (v < kMinReadBufSize) return kMinReadBufSize;
  if (v > kMaxReadBufSize) return kMaxReadBufSize;
  return v;
}

std::span<const SettingDef> settings_table() { return kTable; }

void AppSettings::load(const SettingsStore& store, std::u16string_view program_folder) {
  const AppSettings defaults;
  for (const SettingDef& d : kTable) {
    if (d.int_member) {
      int32_t def = defaults.*d.int_member;
      // The current row's text colour follows the text colour unless set.
      if (d.int_member == &S::GRID_CUR_ROW_TEXT_COLOR) def = GRID_TEXT_COLOR;
      this->*d.int_member = in_range(store.get_int(d.section, d.key, def), d.min, d.max, def);
    } else {
      this->*d.str_member = store.get_string(d.section, d.key, defaults.*d.str_member);
    }
  }
  if (INITIAL_DIR.empty()) INITIAL_DIR = std::u16string(program_folder);
}

bool AppSettings::save(SettingsStore& store) const {
  SettingsBatch batch(store);
  bool ok = true;
  for (const SettingDef& d : kTable) {
    if (d.int_member)
      ok = store.write_int(d.section, d.key, this->*d.int_member) && ok;
    else
      ok = store.write_string(d.section, d.key, this->*d.str_member) && ok;
  }
  return batch.commit() && ok;
}

void AppSettings::load_grid_calc_type(const SettingsStore& store) {
  GRID_CALC_TYPE = in_range(store.get_int(section::kApplication, u"GRID_CALC_TYPE", 0), 0, kGridCalcTypeCount - 1, 0);
}

bool AppSettings::save_exit_keys(SettingsStore& store) const {
  SettingsBatch batch(store);
  bool ok = store.write_int(section::kApplication, u"GRID_CALC_TYPE", GRID_CALC_TYPE);
  ok = store.write_int(section::kSession, u"DATA_LOCK", DATA_LOCK) && ok;
  return batch.commit() && ok;
}

void FontSettings::load(const SettingsStore& store) {
  const FontSettings defaults;
  FACENAME = store.get_string(section::kFontU, u"FACENAME", defaults.FACENAME);
  FACENAME.resize(safe_cut(FACENAME, kMaxFaceNameLength));
  if (FACENAME.empty()) FACENAME = defaults.FACENAME;
  // Sizes from 1 to 500 points; weights as the font weight scale allows.
  POINT = in_range(store.get_int(section::kFontU, u"POINT", defaults.POINT), 10, 5000, defaults.POINT);
  WEIGHT = in_range(store.get_int(section::kFontU, u"WEIGHT", defaults.WEIGHT), 0, 1000, defaults.WEIGHT);
  ITALIC = store.get_int(section::kFontU, u"ITALIC", defaults.ITALIC) != 0 ? 1 : 0;
}

bool FontSettings::save(SettingsStore& store) const {
  SettingsBatch batch(store);
  bool ok = store.write_string(section::kFontU, u"FACENAME", FACENAME);
  ok = store.write_int(section::kFontU, u"POINT", POINT) && ok;
  ok = store.write_int(section::kFontU, u"WEIGHT", WEIGHT) && ok;
  ok = store.write_int(section::kFontU, u"ITALIC", ITALIC) && ok;
  return batch.commit() && ok;
}

}  // namespace kestrel
