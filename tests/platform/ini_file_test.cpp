#include "platform/ini_file.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "platform/codepage.h"
#include "platform/utf16.h"
#include "support/temp_dir.h"

namespace kestrel {
namespace {

using testing::TempDir;

const char* const kSample =
    "; settings of the grid\r\n"
    "[Grid]\r\n"
    "  Show_Space =  1  \r\n"
    "NULL_TEXT=\"  (null)  \"\r\n"
    "quoted='x'\r\n"
    "half=\"x'\r\n"
    "count=12abc\r\n"
    "neg= -7\r\n"
    "empty=\r\n"
    "word=abc\r\n"
    "novalue\r\n"
    "# hash comment=1\r\n"
    "\r\n"
    "[ Session ]\r\n"
    "TIMEZONE=+09:00\r\n"
    "[grid]\r\n"
    "second=2\r\n"
    "SHOW_SPACE=9\r\n";

TEST(IniFileRead, FollowsTheWindowsProfileRules) {
  IniFile ini = IniFile::parse(kSample);
  struct Case {
    const char16_t* section;
    const char16_t* key;
    const char16_t* expected;
  } cases[] = {
      {u"GRID", u"SHOW_SPACE", u"1"},            // names ignore case and blanks; first of duplicates wins
      {u"grid", u"null_text", u"  (null)  "},    // matching quotes go, inner blanks stay
      {u"GRID", u"quoted", u"x"},                // single quotes too
      {u"GRID", u"half", u"\"x'"},               // unmatched quotes stay
      {u"GRID", u"empty", u""},                  //
      {u"GRID", u"novalue", u""},                // a line without '=' is a key without value
      {u"SESSION", u"TIMEZONE", u"+09:00"},      // blanks inside brackets ignored
      {u"grid", u"second", u"2"},                // a repeated section is searched as well
      {u"GRID", u"# hash comment", u"<def>"},    // comments are not keys
      {u"GRID", u"missing", u"<def>"},           //
      {u"NOPE", u"SHOW_SPACE", u"<def>"},        //
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(utf16_to_utf8(std::u16string(c.section) + u"/" + c.key));
    EXPECT_EQ(ini.get_string(c.section, c.key, u"<def>"), c.expected);
  }
}

TEST(IniFileRead, IntegersStopAtTheFirstNonDigitAndEmptyGivesTheDefault) {
  IniFile ini = IniFile::parse(kSample);
  EXPECT_EQ(ini.get_int(u"GRID", u"SHOW_SPACE", 5), 1);
  EXPECT_EQ(ini.get_int(u"GRID", u"count", 5), 12);
  EXPECT_EQ(ini.get_int(u"GRID", u"neg", 5), -7);
  EXPECT_EQ(ini.get_int(u"GRID", u"word", 5), 0);
  EXPECT_EQ(ini.get_int(u"GRID", u"empty", 5), 5);
  EXPECT_EQ(ini.get_int(u"GRID", u"missing", -3), -3);
}

TEST(IniFileRead, DefaultLosesTrailingBlanks) {
  IniFile ini;
  EXPECT_EQ(ini.get_string(u"A", u"B", u" x  \t"), u" x");
}

TEST(IniFileRead, DecodesUtf8Cp932AndUtf16Files) {
  const std::u16string value = u"日本語～①";
  std::string utf8 = "[S]\nK=" + utf16_to_utf8(value) + "\n";
  std::string bom = "\xEF\xBB\xBF" + utf8;
  std::string cp932 = "[S]\r\nK=" + wide_to_multibyte(kCodePageAnsi, value) + "\r\n";
  std::string utf16;
  for (char16_t c : u"\uFEFF[S]\r\nK=" + value + u"\r\n") {
    utf16.push_back(static_cast<char>(c & 0xFF));
    utf16.push_back(static_cast<char>(c >> 8));
  }
  for (const std::string& bytes : {utf8, bom, cp932, utf16}) {
    IniFile ini = IniFile::parse(bytes);
    EXPECT_EQ(ini.get_string(u"s", u"k", u""), value);
  }
  EXPECT_EQ(IniFile::parse(cp932).encoding(), TextEncoding::Cp932);
  EXPECT_EQ(IniFile::parse(bom).encoding(), TextEncoding::Utf8Bom);
}

TEST(IniFileRead, BinaryGarbageReadsAsDefaults) {
  std::string junk;
  for (int i = 0; i < 4096; ++i) junk.push_back(static_cast<char>((i * 7919) & 0xFF));
  IniFile ini = IniFile::parse(junk);
  EXPECT_EQ(ini.get_int(u"GRID", u"SHOW_SPACE", 42), 42);
  // A write keeps the garbage byte for byte and adds its own lines.
  ASSERT_TRUE(ini.set_int(u"GRID", u"SHOW_SPACE", 1));
  std::string out = ini.serialize();
  EXPECT_EQ(out.substr(0, junk.size()), junk);
  EXPECT_EQ(IniFile::parse(out).get_int(u"GRID", u"SHOW_SPACE", 42), 1);
}

TEST(IniFileWrite, ChangesOnlyItsLineAndKeepsEverythingElse) {
  IniFile ini = IniFile::parse(kSample);
  ASSERT_TRUE(ini.set_string(u"GRID", u"show_space", u"0"));
  std::string expected = kSample;
  expected.replace(expected.find("  Show_Space =  1  "), 19, "show_space=0");
  EXPECT_EQ(ini.serialize(), expected);
}

TEST(IniFileWrite, NewKeyGoesAfterTheSectionsLastKeyWithTheFilesLineEnd) {
  IniFile ini = IniFile::parse("[A]\r\nx=1\r\n\r\n; about B\r\n[B]\r\ny=2\r\n");
  ASSERT_TRUE(ini.set_string(u"a", u"z", u"3"));
  EXPECT_EQ(ini.serialize(), "[A]\r\nx=1\r\nz=3\r\n\r\n; about B\r\n[B]\r\ny=2\r\n");
}

TEST(IniFileWrite, NewSectionIsAppendedAfterABlankLine) {
  IniFile ini = IniFile::parse("[A]\nx=1");  // no final line end
  ASSERT_TRUE(ini.set_string(u"B", u"k", u"v"));
  EXPECT_EQ(ini.serialize(), "[A]\nx=1\n\n[B]\nk=v\n");
  IniFile fresh;
  ASSERT_TRUE(fresh.set_int(u"S", u"N", -5));
  EXPECT_EQ(fresh.serialize(), "[S]\nN=-5\n");
}

TEST(IniFileWrite, ValuesReadBackExactlyAsWritten) {
  const char16_t* values[] = {u"plain", u"  padded  ", u"\"quoted\"", u"'single'", u"a=b;c", u"", u"\t", u"日本語"};
  for (const char16_t* v : values) {
    IniFile ini;
    ASSERT_TRUE(ini.set_string(u"S", u"K", v));
    EXPECT_EQ(IniFile::parse(ini.serialize()).get_string(u"S", u"K", u"<def>"), v);
  }
}

TEST(IniFileWrite, RefusesWhatAnIniFileCannotHold) {
  IniFile ini = IniFile::parse("[S]\nK=1\n");
  EXPECT_FALSE(ini.set_string(u"S", u"K", u"two\nlines"));
  EXPECT_FALSE(ini.set_string(u"S", u"A=B", u"1"));
  EXPECT_FALSE(ini.set_string(u"S", u"", u"1"));
  EXPECT_FALSE(ini.set_string(u"S", u";K", u"1"));
  EXPECT_FALSE(ini.set_string(u"S]", u"K", u"1"));
  EXPECT_EQ(ini.serialize(), "[S]\nK=1\n");
}

TEST(IniFileWrite, Cp932FileStaysCp932UnlessACharacterDoesNotFit) {
  std::string cp932 = "[S]\r\nA=" + wide_to_multibyte(kCodePageAnsi, u"表") + "\r\n";
  IniFile ini = IniFile::parse(cp932);
  ASSERT_TRUE(ini.set_string(u"S", u"B", u"能"));
  EXPECT_EQ(ini.serialize(), cp932 + "B=" + wide_to_multibyte(kCodePageAnsi, u"能") + "\r\n");
  ASSERT_TRUE(ini.set_string(u"S", u"C", u"한국"));  // not in CP932
  std::string out = ini.serialize();
  EXPECT_TRUE(is_valid_utf8(out));
  IniFile back = IniFile::parse(out);
  EXPECT_EQ(back.get_string(u"S", u"A", u""), u"表");
  EXPECT_EQ(back.get_string(u"S", u"C", u""), u"한국");
}

TEST(IniFileWrite, EraseKeyAndSection) {
  IniFile ini = IniFile::parse("[A]\nx=1\ny=2\n[B]\nz=3\n[a]\nw=4\n");
  EXPECT_TRUE(ini.erase_key(u"A", u"Y"));
  EXPECT_FALSE(ini.erase_key(u"A", u"nope"));
  EXPECT_EQ(ini.serialize(), "[A]\nx=1\n[B]\nz=3\n[a]\nw=4\n");
  EXPECT_TRUE(ini.erase_section(u"a"));
  EXPECT_EQ(ini.serialize(), "[B]\nz=3\n");
  EXPECT_EQ(ini.section_names(), std::vector<std::u16string>{u"B"});
}

TEST(IniFileFile, WriteProfileStringKeepsCommentsAndCreatesMode0600) {
  TempDir dir;
  auto file = dir.write("a.ini", "; keep me\n[X]\nk=1\n");
  ASSERT_TRUE(write_private_profile_string(u"X", u"k", u"2", file));
  EXPECT_EQ(dir.read("a.ini"), "; keep me\n[X]\nk=2\n");
  EXPECT_EQ(get_private_profile_int(u"x", u"K", 0, file), 2);

  auto fresh = dir / "new.ini";
  ASSERT_TRUE(write_private_profile_string(u"S", u"K", u"v", fresh));
  struct stat st {};
  ASSERT_EQ(::stat(fresh.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  EXPECT_EQ(get_private_profile_string(u"S", u"K", u"", fresh), u"v");
}

TEST(IniFileFile, ExistingFileKeepsItsPermissionsAndSymlinksSurvive) {
  TempDir dir;
  auto real = dir.write("real.ini", "[S]\nK=1\n");
  ::chmod(real.c_str(), 0640);
  std::filesystem::create_symlink("real.ini", dir / "link.ini");
  ASSERT_TRUE(write_private_profile_string(u"S", u"K", u"2", dir / "link.ini"));
  EXPECT_TRUE(std::filesystem::is_symlink(dir / "link.ini"));
  EXPECT_EQ(dir.read("real.ini"), "[S]\nK=2\n");
  struct stat st {};
  ASSERT_EQ(::stat(real.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
}

TEST(IniFileFile, AFileThatCannotBeReadIsNeverOverwritten) {
  TempDir dir;
  std::filesystem::create_directory(dir / "folder.ini");
  std::u16string error;
  EXPECT_FALSE(write_private_profile_string(u"S", u"K", u"1", dir / "folder.ini", 0600, &error));
  EXPECT_FALSE(error.empty());
  EXPECT_TRUE(std::filesystem::is_directory(dir / "folder.ini"));
  EXPECT_EQ(get_private_profile_int(u"S", u"K", 7, dir / "folder.ini"), 7);
}

// A process that dies after writing the new content but before the rename
// must leave the old file complete.
TEST(IniFileFile, CrashBeforeRenameLeavesTheOldFile) {
  TempDir dir;
  const std::string old_content = "; old\n[S]\nK=old\n";
  auto file = dir.write("s.ini", old_content);
  pid_t pid = ::fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    set_atomic_write_hook([](const std::filesystem::path&) { ::raise(SIGKILL); });
    write_private_profile_string(u"S", u"K", u"new", file);
    ::_exit(0);  // not reached
  }
  int status = 0;
  ASSERT_EQ(::waitpid(pid, &status, 0), pid);
  ASSERT_TRUE(WIFSIGNALED(status));
  EXPECT_EQ(dir.read("s.ini"), old_content);
}

TEST(IniFileFile, KillingAWriterAtAnyMomentLeavesOldOrNewNeverAMix) {
  TempDir dir;
  std::string big = "[S]\n";
  for (int i = 0; i < 20000; ++i) big += "KEY" + std::to_string(i) + "=" + std::string(40, 'x') + "\n";
  auto file = dir.write("s.ini", big);
  for (int round = 0; round < 8; ++round) {
    pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      for (int n = 0;; ++n) write_private_profile_string(u"S", u"COUNTER", to_u16(n), file);
    }
    ::usleep(static_cast<useconds_t>(3000 + round * 2500));
    ::kill(pid, SIGKILL);
    int status = 0;
    ::waitpid(pid, &status, 0);
    std::string now = dir.read("s.ini");
    ASSERT_EQ(now.substr(0, big.size()), big) << "round " << round;
    std::string tail = now.substr(big.size());
    EXPECT_TRUE(tail.empty() || (tail.starts_with("COUNTER=") && tail.ends_with("\n"))) << tail;
  }
}

}  // namespace
}  // namespace kestrel

namespace kestrel {
namespace {

TEST(IniFileWrite, MixedAndCrOnlyLineEndsAreKept) {
  IniFile ini = IniFile::parse("[A]\rx=1\r\n[B]\ny=2");
  EXPECT_EQ(ini.get_int(u"A", u"x", 0), 1);
  EXPECT_EQ(ini.get_int(u"B", u"y", 0), 2);
  ASSERT_TRUE(ini.set_int(u"A", u"x", 5));
  ASSERT_TRUE(ini.set_int(u"B", u"z", 3));
  EXPECT_EQ(ini.serialize(), "[A]\rx=5\r\n[B]\ny=2\rz=3\r");
}

TEST(IniFileWrite, Utf16FileStaysUtf16) {
  std::string bytes;
  for (char16_t c : std::u16string(u"\uFEFF; コメント\r\n[S]\r\nK=値\r\n")) {
    bytes.push_back(static_cast<char>(c & 0xFF));
    bytes.push_back(static_cast<char>(c >> 8));
  }
  IniFile ini = IniFile::parse(bytes);
  ASSERT_TRUE(ini.set_string(u"S", u"N", u"新"));
  std::string out = ini.serialize();
  std::string expected;
  for (char16_t c : std::u16string(u"\uFEFF; コメント\r\n[S]\r\nK=値\r\nN=新\r\n")) {
    expected.push_back(static_cast<char>(c & 0xFF));
    expected.push_back(static_cast<char>(c >> 8));
  }
  EXPECT_EQ(out, expected);
}

TEST(IniFileWrite, Utf8BomIsKept) {
  IniFile ini = IniFile::parse("\xEF\xBB\xBF[S]\nK=1\n");
  ASSERT_TRUE(ini.set_string(u"S", u"J", u"日"));
  EXPECT_EQ(ini.serialize(), "\xEF\xBB\xBF[S]\nK=1\nJ=\xE6\x97\xA5\n");
}

}  // namespace
}  // namespace kestrel
