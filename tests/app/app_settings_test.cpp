#include "app/app_settings.h"

#include <gtest/gtest.h>

#include <set>

#include "platform/utf16.h"
#include "recording_store.h"
#include "support/temp_dir.h"

namespace kestrel {
namespace {

using testing::RecordingStore;
using testing::TempDir;

AppSettings loaded_from(const SettingsStore& store) {
  AppSettings s;
  s.load(store, u"/opt/kestrel/");
  s.font.load(store);
  s.load_grid_calc_type(store);
  return s;
}

AppSettings expected_defaults() {
  AppSettings d;
  d.INITIAL_DIR = u"/opt/kestrel/";
  return d;
}

TEST(AppSettings, EmptyStoreGivesTheTableDefaults) {
  MemorySettingsStore empty;
  AppSettings s = loaded_from(empty);
  EXPECT_EQ(s, expected_defaults());
  EXPECT_EQ(s.LONG_READ_BUF_SIZE, 65536);
  EXPECT_EQ(s.NLS_TIMESTAMP_TZ_FORMAT, u"YYYY-MM-DD HH24:MI:SSXFF TZH:TZM");
  EXPECT_EQ(s.GRID_SEARCH_COLOR, 0x32FFFF);
  EXPECT_EQ(s.font.FACENAME, u"Terminal");
  EXPECT_EQ(s.font.POINT, 100);
}

TEST(AppSettings, LoadAndSaveVisitTheSameKeysInTableOrder) {
  RecordingStore rec;
  AppSettings s;
  s.load(rec, u"/p/");
  std::vector<std::u16string> loaded;
  for (const auto& op : rec.ops) loaded.push_back(op.section + u"/" + op.key);
  rec.ops.clear();
  ASSERT_TRUE(s.save(rec));
  std::vector<std::u16string> saved;
  for (const auto& op : rec.ops) saved.push_back(op.section + u"/" + op.key);
  EXPECT_EQ(loaded, saved);
  ASSERT_EQ(loaded.size(), settings_table().size());

  // Sections come in the fixed order, each once, and the keys kept elsewhere
  // are not touched.
  std::vector<std::u16string> sections;
  for (const auto& op : rec.ops)
    if (sections.empty() || sections.back() != op.section) sections.push_back(op.section);
  EXPECT_EQ(sections, (std::vector<std::u16string>{u"BUF_SIZE", u"SETUP", u"SESSION", u"APPLICATION", u"UNICODE",
                                                   u"GRID"}));
  std::set<std::u16string> keys;
  for (const auto& op : rec.ops) keys.insert(op.key);
  for (const char16_t* absent : {u"GRID_CALC_TYPE", u"USE_INI_FILE", u"FACENAME", u"LEFT", u"USER-CUR"})
    EXPECT_EQ(keys.count(absent), 0u) << utf16_to_utf8(absent);
  EXPECT_EQ(keys.count(u"DATA_LOCK"), 1u);
  EXPECT_EQ(loaded.front(), u"BUF_SIZE/LONG_READ_BUF_SIZE");
  EXPECT_EQ(loaded.back(), u"GRID/CELL_PADDING_RIGHT");
  // Strings with write string, integers with write int.
  for (const auto& op : rec.ops) {
    bool is_string = op.key == u"NULL_TEXT" || op.key.starts_with(u"NLS_D") || op.key.starts_with(u"NLS_T") ||
                     op.key == u"TIMEZONE" || op.key == u"INITIAL_DIR" || op.key == u"STARTUP_SQL_FILE" ||
                     op.key == u"OCI_PATH_64" || op.key == u"TNS_ADMIN";
    EXPECT_EQ(op.kind, is_string ? 'S' : 'I') << utf16_to_utf8(op.key);
  }
}

TEST(AppSettings, CurrentRowTextColourFollowsTheLoadedTextColour) {
  MemorySettingsStore store;
  store.write_int(u"GRID", u"GRID_TEXT_COLOR", 0x123456);
  EXPECT_EQ(loaded_from(store).GRID_CUR_ROW_TEXT_COLOR, 0x123456);
  store.write_int(u"GRID", u"GRID_CUR_ROW_TEXT_COLOR", 0x0000FF);
  EXPECT_EQ(loaded_from(store).GRID_CUR_ROW_TEXT_COLOR, 0x0000FF);
}

TEST(AppSettings, InitialDirEmptyBecomesTheProgramFolder) {
  MemorySettingsStore store;
  store.write_string(u"APPLICATION", u"INITIAL_DIR", u"");
  EXPECT_EQ(loaded_from(store).INITIAL_DIR, u"/opt/kestrel/");
  store.write_string(u"APPLICATION", u"INITIAL_DIR", u"/home/u/sql");
  EXPECT_EQ(loaded_from(store).INITIAL_DIR, u"/home/u/sql");
}

TEST(AppSettings, ReadSizesAreClampedButSavedAsEntered) {
  struct Case {
    int32_t stored;
    int32_t effective;
  } cases[] = {{0, 1}, {-5, 1}, {1, 1}, {65536, 65536}, {16777216, 16777216}, {20000000, 16777216}};
  for (const Case& c : cases) {
    MemorySettingsStore store;
    store.write_int(u"BUF_SIZE", u"LONG_READ_BUF_SIZE", c.stored);
    store.write_int(u"BUF_SIZE", u"CLOB_READ_BUF_SIZE", c.stored);
    AppSettings s = loaded_from(store);
    EXPECT_EQ(s.long_read_buf_size(), c.effective) << c.stored;
    EXPECT_EQ(s.clob_read_buf_size(), c.effective) << c.stored;
    MemorySettingsStore out;
    ASSERT_TRUE(s.save(out));
    EXPECT_EQ(out.get_int(u"BUF_SIZE", u"LONG_READ_BUF_SIZE", 7), c.stored);
  }
}

TEST(AppSettings, EveryKeyRoundTripsThroughAnIniFile) {
  TempDir dir;
  AppSettings s = expected_defaults();
  int32_t n = 0;
  for (const SettingDef& d : settings_table()) {
    if (d.int_member)
      s.*d.int_member = d.max == 1 ? 1 - (s.*d.int_member) : std::min(d.max, 3 + n++);
    else
      s.*d.str_member = u"値 " + std::u16string(d.key) + u" ";
  }
  s.font = {u"Noto Sans Mono CJK JP", 120, 700, 1};
  s.GRID_CALC_TYPE = 3;
  {
    IniSettingsStore store(dir / "k.ini", 0600);
    ASSERT_TRUE(s.save(store));
    ASSERT_TRUE(s.font.save(store));
    ASSERT_TRUE(s.save_exit_keys(store));
  }
  IniSettingsStore store(dir / "k.ini", 0600);
  EXPECT_EQ(loaded_from(store), s);
}

TEST(AppSettings, BadSettingsFilesGiveDefaults) {
  std::string junk;
  for (int i = 0; i < 3000; ++i) junk.push_back(static_cast<char>((i * 131 + 7) & 0xFF));
  struct Case {
    const char* name;
    std::string content;  // empty: the path is a folder
  } cases[] = {
      {"unreadable", ""},
      {"truncated", "[GRID]\r\nGRID_BG_COLOR=123\r\nSHOW_SP"},
      {"binary", junk},
      {"nul bytes", std::string("[GRID]\0SHOW_TAB=1\n", 18)},
      {"out of range",
       "[GRID]\nGRID_BG_COLOR=-1\nGRID_TEXT_COLOR=16777216\nSHOW_TAB=7\nCELL_PADDING_TOP=5000\n"
       "ADJUST_MIN_COL_CHARS=-3\n[APPLICATION]\nGRID_CALC_TYPE=99\n[FONT_U]\nPOINT=0\nWEIGHT=99999\n"
       "[UNICODE]\nNLS_UTF8=2\n[SESSION]\nDATA_LOCK=-1\n"},
      {"huge numbers", "[GRID]\nCELL_PADDING_LEFT=99999999999999999999\nSHOW_TAB=abc\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    if (c.content.empty())
      std::filesystem::create_directory(dir / "k.ini");
    else
      dir.write("k.ini", c.content);
    IniSettingsStore store(dir / "k.ini", 0600);
    AppSettings s = loaded_from(store);
    AppSettings d = expected_defaults();
    if (std::string(c.name) == "truncated") d.GRID_BG_COLOR = 123;
    if (std::string(c.name) == "huge numbers") d.SHOW_TAB = 0;
    EXPECT_EQ(s, d);
  }
}

TEST(AppSettings, ExitKeysChangeOnlyTheirLines) {
  TempDir dir;
  const std::string before = "; my settings\r\n[SESSION]\r\nDATA_LOCK=0\r\nTIMEZONE=+01:00\r\n\r\n[OTHER]\r\nX=1\r\n";
  dir.write("k.ini", before);
  IniSettingsStore store(dir / "k.ini", 0600);
  AppSettings s;
  s.DATA_LOCK = 1;
  s.GRID_CALC_TYPE = 4;
  ASSERT_TRUE(s.save_exit_keys(store));
  EXPECT_EQ(dir.read("k.ini"),
            "; my settings\r\n[SESSION]\r\nDATA_LOCK=1\r\nTIMEZONE=+01:00\r\n\r\n[OTHER]\r\nX=1\r\n\r\n"
            "[APPLICATION]\r\nGRID_CALC_TYPE=4\r\n");
}

TEST(FontSettings, FaceNameIsCutAt31Characters) {
  MemorySettingsStore store;
  store.write_string(u"FONT_U", u"FACENAME", std::u16string(40, u'x'));
  store.write_int(u"FONT_U", u"ITALIC", 5);
  FontSettings f;
  f.load(store);
  EXPECT_EQ(f.FACENAME, std::u16string(31, u'x'));
  EXPECT_EQ(f.ITALIC, 1);
}

}  // namespace
}  // namespace kestrel
