#include "app/command_line.h"

#include <gtest/gtest.h>

#include "platform/utf16.h"

namespace kestrel {
namespace {

bool installed(std::u16string_view face) {
  return face == u"IPAGothic" || face == u"Noto Sans Mono CJK JP" || face == std::u16string(31, u'F');
}

struct Case {
  std::vector<std::u16string> args;
  CommandLine expected;
};

CommandLine make(bool logon, std::u16string user, std::u16string password, std::u16string tns, bool oci7,
                 std::u16string file = u"", bool taken = false) {
  CommandLine c;
  c.logon = logon;
  c.user = std::move(user);
  c.password = std::move(password);
  c.tns = std::move(tns);
  c.oci7 = oci7;
  c.file = std::move(file);
  c.logon_taken_as_file = taken;
  return c;
}

void expect_same(const CommandLine& got, const CommandLine& want) {
  EXPECT_EQ(got.preload, want.preload);
  EXPECT_EQ(got.logon, want.logon);
  EXPECT_EQ(utf16_to_utf8(got.user), utf16_to_utf8(want.user));
  EXPECT_EQ(utf16_to_utf8(got.password), utf16_to_utf8(want.password));
  EXPECT_EQ(utf16_to_utf8(got.tns), utf16_to_utf8(want.tns));
  EXPECT_EQ(got.oci7, want.oci7);
  EXPECT_EQ(utf16_to_utf8(got.font_face), utf16_to_utf8(want.font_face));
  EXPECT_EQ(utf16_to_utf8(got.file), utf16_to_utf8(want.file));
  EXPECT_EQ(got.logon_taken_as_file, want.logon_taken_as_file);
}

TEST(CommandLine, LogonValues) {
  const Case cases[] = {
      {{u"LOGON=scott/tiger@orcl:OCI7"}, make(true, u"scott", u"tiger", u"orcl", true, u"", true)},
      {{u"LOGON=scott/tiger@orcl"}, make(true, u"scott", u"tiger", u"orcl", false, u"", true)},
      {{u"LOGON=scott@orcl"}, make(true, u"scott", u"", u"orcl", false, u"", true)},
      {{u"LOGON=scott"}, make(true, u"scott", u"", u"", false, u"", true)},
      {{u"LOGON=/"}, make(true, u"", u"", u"", false, u"", true)},
      {{u"LOGON=scott/tiger"}, make(true, u"scott", u"tiger", u"", false, u"", true)},
      {{u"LOGON=scott/ti/ger@db@x"}, make(true, u"scott", u"ti/ger", u"db@x", false, u"", true)},
      // ":OCI7" counts only as the exact end of the value.
      {{u"LOGON=scott/tiger@orcl:OCI7x"}, make(true, u"scott", u"tiger", u"orcl:OCI7x", false, u"", true)},
      {{u"LOGON=a/b@c:OCI7:OCI7"}, make(true, u"a", u"b", u"c:OCI7:OCI7", false, u"", true)},
      {{u"LOGON=a:OCI7"}, make(true, u"a", u"", u"", true, u"", true)},
      {{u"LOGON=:OCI7"}, make(true, u"", u"", u"", true, u"", true)},
      {{u"LOGON="}, make(true, u"", u"", u"", false, u"", true)},
      // The value ends at a blank; LOGON= is found anywhere, case-sensitively.
      {{u"q.kst", u"LOGON=hr/hr@x"}, make(true, u"hr", u"hr", u"x", false, u"q.kst")},
      {{u"-xLOGON=hr"}, make(true, u"hr", u"", u"", false)},
      {{u"logon=hr/hr"}, make(false, u"", u"", u"", false, u"logon=hr/hr")},
      {{u"/home/u/日本語.kst"}, make(false, u"", u"", u"", false, u"/home/u/日本語.kst")},
      {{}, make(false, u"", u"", u"", false)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args.empty() ? std::string("(none)") : utf16_to_utf8(c.args.front()));
    expect_same(parse_command_line(c.args, installed), c.expected);
  }
}

TEST(CommandLine, PreloadAnywhere) {
  EXPECT_TRUE(parse_command_line({u"PRELOAD"}, installed).preload);
  EXPECT_TRUE(parse_command_line({u"-x", u"xxPRELOADxx"}, installed).preload);
  EXPECT_FALSE(parse_command_line({u"preload"}, installed).preload);
}

TEST(CommandLine, FontOption) {
  struct FontCase {
    std::vector<std::u16string> args;
    std::u16string face;
  } cases[] = {
      {{u"-FONT=IPAGothic"}, u"IPAGothic"},
      {{u"-FONT=Noto Sans Mono CJK JP"}, u"Noto Sans Mono CJK JP"},
      {{u"-FONT=NotInstalled"}, u""},
      {{u"-FONT=NotInstalled", u"-FONT=IPAGothic"}, u""},  // only the first counts
      {{u"-font=IPAGothic"}, u""},
      {{u"/FONT=IPAGothic"}, u""},
      {{u"-FONT="}, u""},
      {{u"-FONT=" + std::u16string(40, u'F')}, std::u16string(31, u'F')},  // cut to the face field
  };
  for (const FontCase& c : cases) {
    CommandLine cl = parse_command_line(c.args, installed);
    EXPECT_EQ(utf16_to_utf8(cl.font_face), utf16_to_utf8(c.face)) << utf16_to_utf8(c.args.front());
    EXPECT_EQ(cl.file.empty(), c.args.front()[0] == u'-');  // "/FONT=" is a path here
  }
  EXPECT_TRUE(parse_command_line({u"-FONT=IPAGothic"}, nullptr).font_face.empty());
}

}  // namespace
}  // namespace kestrel

namespace kestrel {
namespace {

TEST(CommandLine, LogonPasswordIsHiddenInTheArgumentMemory) {
  struct Case {
    const char* arg;
    const char* hidden;
  } cases[] = {
      {"LOGON=scott/tiger@orcl", "LOGON=scott/*****@orcl"},
      {"LOGON=scott/tiger", "LOGON=scott/*****"},
      {"LOGON=scott/tiger:OCI7", "LOGON=scott/*****:OCI7"},
      {"LOGON=scott@orcl", "LOGON=scott@orcl"},
      {"LOGON=/", "LOGON=/"},
      {"query.kst", "query.kst"},
  };
  for (const Case& c : cases) {
    std::string prog = "kestrel", arg = c.arg;
    char* argv[] = {prog.data(), arg.data(), nullptr};
    hide_logon_password(2, argv);
    EXPECT_EQ(arg, c.hidden);
  }
}

}  // namespace
}  // namespace kestrel
