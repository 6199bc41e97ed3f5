// LOB, BFILE and object cells: the texts and their limits on their own, and
// real round trips (cell texts, whole CLOB reads, download and upload) that
// run once the stand-in client has LOB locators and skip until then.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "oci/oci_codes.h"
#include "oci/oci_cursor.h"
#include "oci/oci_dictionary.h"
#include "oci/oci_lob.h"
#include "oci/oci_object.h"
#include "oci_test_support.h"
#include "platform/client_text.h"
#include "platform/format.h"
#include "platform/utf16.h"
#include "support/shell_quote.h"

namespace kestrel {
namespace {

using testing::TempDir;

TEST(OciLobText, SizeTextsAtEveryUnitBoundary) {
  struct Case {
    uint64_t bytes;
    const char16_t* text;
  };
  const Case cases[] = {
      {0, u"0byte"},           {1023, u"1023byte"},      {1024, u"1kbyte"},         {1536, u"1kbyte"},
      {1048575, u"1023kbyte"}, {1048576, u"1Mbyte"},     {3u << 20, u"3Mbyte"},     {1073741823, u"1023Mbyte"},
      {1073741824, u"1Gbyte"}, {5ull << 30, u"5Gbyte"},
  };
  for (const Case& c : cases) EXPECT_EQ(oci_lob_size_text(c.bytes), c.text) << c.bytes;
  EXPECT_EQ(oci_blob_cell_text(1536), u"<BLOB 1kbyte>");
  EXPECT_EQ(oci_bfile_cell_text(u"DATA_DIR", u"a b.txt", u"not found"),
            u"<BFILE dir_alias:DATA_DIR file_name:a b.txt not found>");
}

TEST(OciLobText, ClobCharactersToReadByCodePage) {
  EXPECT_EQ(oci_clob_chars_to_read(4096, 65001), 1023u);
  EXPECT_EQ(oci_clob_chars_to_read(4096, 0), 2047u);
  EXPECT_EQ(oci_clob_chars_to_read(1, 65001), 0u);
  EXPECT_EQ(oci_clob_chars_to_read(0, 0), 0u);
}

TEST(OciLobText, BfileTextParsesBackWithBoundsAndBlanks) {
  struct Case {
    const char16_t* text;
    const char16_t* alias;  // nullptr: refused
    const char16_t* name;
  };
  const Case cases[] = {
      {u"<BFILE dir_alias:DIR file_name:x.bin 3kbyte>", u"DIR", u"x.bin"},
      {u"<BFILE dir_alias:DIR file_name:my file.bin 12byte>", u"DIR", u"my file.bin"},
      {u"<BFILE dir_alias:DIR file_name:gone file.txt not found>", u"DIR", u"gone file.txt"},
      {u"<BFILE dir_alias:写真 file_name:猫.jpg 1Mbyte>", u"写真", u"猫.jpg"},
      {u"<BFILE dir_alias:DIR file_name:x.bin>", nullptr, nullptr},  // no size text
      {u"<BFILE dir_alias:DIR file_name:x.bin 3kbyte", nullptr, nullptr},
      {u"<BFILE dir_alias: file_name:x 1byte>", nullptr, nullptr},
      {u"<BFILE dir_alias:D>", nullptr, nullptr},
      {u"<BLOB 3kbyte>", nullptr, nullptr},
      {u"", nullptr, nullptr},
      {u"<BFILE dir_alias:A B file_name:x 1byte>", nullptr, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(utf16_to_utf8(c.text));
    OciBfileName out;
    char16_t msg[256] = {};
    int rc = oci_parse_bfile_text(c.text, &out, OciMsgBuf(msg));
    if (!c.alias) {
      EXPECT_EQ(rc, kOciInternal);
      EXPECT_NE(msg[0], u'\0');
      continue;
    }
    ASSERT_EQ(rc, kOciOk);
    EXPECT_EQ(out.dir_alias, c.alias);
    EXPECT_EQ(out.file_name, c.name);
  }
  OciBfileName out;
  std::u16string long_name = u"<BFILE dir_alias:D file_name:" + std::u16string(300, u'x') + u" 1byte>";
  EXPECT_EQ(oci_parse_bfile_text(long_name, &out, nullptr), kOciInternal);
}

TEST(OciObjectText, ElementKindsAndNumbers) {
  for (uint16_t c : {1, 9, 96}) EXPECT_EQ(oci_element_kind(c), OciElementKind::Text) << c;
  for (uint16_t c : {2, 3, 4, 7, 21, 22, 25, 26, 28, 29, 246}) EXPECT_EQ(oci_element_kind(c), OciElementKind::Number) << c;
  EXPECT_EQ(oci_element_kind(23), OciElementKind::Unsigned8);
  EXPECT_EQ(oci_element_kind(245), OciElementKind::Unsigned8);
  EXPECT_EQ(oci_element_kind(27), OciElementKind::Signed8);
  EXPECT_EQ(oci_element_kind(12), OciElementKind::Date);
  for (uint16_t c : {187, 188, 232}) EXPECT_EQ(oci_element_kind(c), OciElementKind::Timestamp) << c;
  EXPECT_EQ(oci_element_kind(108), OciElementKind::Object);
  EXPECT_EQ(oci_element_kind(122), OciElementKind::Collection);
  EXPECT_EQ(oci_element_kind(110), OciElementKind::Ref);
  for (uint16_t c : {0, 95, 112, 113, 114, 189, 190}) EXPECT_EQ(oci_element_kind(c), OciElementKind::Unsupported) << c;
  EXPECT_EQ(oci_format_real(1.5), u"1.5");
  EXPECT_EQ(oci_format_real(1234567.0), u"1.23457e+06");
  EXPECT_EQ(oci_format_real(-0.25), u"-0.25");
}

// An editor buffer stand-in.
class StringSink : public OciTextSink {
 public:
  bool append_text(std::u16string_view piece) override {
    text += piece;
    ++pieces;
    return true;
  }
  void reset_undo() override { ++resets; }
  std::u16string text;
  int pieces = 0;
  int resets = 0;
};

using kestrel::testing::shell_quote;

std::string file_bytes(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

class OciLobRoundTrip : public testing::OciProcessTest {
 protected:
  void SetUp() override {
    testing::OciProcessTest::SetUp();
    if (testing::ocilite_library().empty() || testing::ocilite_tool().empty())
      GTEST_SKIP() << "the stand-in client library or its tool is not built";
    db_ = tmp_.path() / "db";
    ASSERT_EQ(run("create " + shell_quote(db_.string())), 0);
    ASSERT_EQ(run("user add " + shell_quote(db_.string()) + " SCOTT TIGER"), 0);
    setenv("NLS_LANG", "JAPANESE_JAPAN.AL32UTF8", 1);
    ASSERT_EQ(oci_load_library_file(testing::ocilite_library(), nullptr), kOciOk);
    ASSERT_EQ(oci_login2(&s_, u"SCOTT", u"TIGER", utf8_to_utf16(db_.string()), u"", kLoginNormal, OciMsgBuf(msg_),
                         nullptr),
              kOciOk)
        << message();
    exec(u"create table probe (c clob, b blob)");
    exec(u"insert into probe values ('x', hextoraw('00'))");
    OciDataset probe;
    if (oci_cre_sel_cursor(s_, &probe, u"select c, b from probe", 10, OciMsgBuf(msg_)) != kOciOk &&
        message().find("ORA-03001") != std::string::npos)
      GTEST_SKIP() << "the stand-in has no LOB locators yet";
    ASSERT_EQ(probe.row_count, 1) << message();
    exec(u"create table lobs (id number(5), c clob, b blob)");
    exec(u"insert into lobs values (0, null, null)");
  }
  void TearDown() override {
    if (s_) oci_ora_logout(&s_);
    testing::OciProcessTest::TearDown();
  }
  int run(const std::string& args) {
    std::string cmd = shell_quote(testing::ocilite_tool().string()) + " " + args + " > /dev/null 2>&1";
    return std::system(cmd.c_str());
  }
  void exec(std::u16string_view sql) {
    ASSERT_EQ(oci_execute_sql(s_, sql, OciMsgBuf(msg_)), kOciOk) << message() << " in " << utf16_to_utf8(sql);
  }
  std::string message() const { return utf16_to_utf8(msg_); }
  OciLobHeader header(const OciDataset& ds, int32_t row, int32_t col) const {
    OciLobHeader h;
    std::memcpy(&h, ds.header(row, col), sizeof h);
    return h;
  }
  // A BLOB of `bytes` random bytes in row `id` through upload, committed.
  std::string put_blob(int id, std::size_t bytes) {
    std::string data(bytes, '\0');
    std::mt19937 rng(static_cast<unsigned>(bytes + 7));
    for (char& ch : data) ch = static_cast<char>(rng());
    std::filesystem::path src = tmp_.write("src" + std::to_string(id) + ".bin", data);
    exec(format(u"insert into lobs values (%d, empty_clob(), empty_blob())", {id}));
    OciDataset ds;
    EXPECT_EQ(oci_cre_sel_cursor(s_, &ds, format(u"select b from lobs where id = %d for update", {id}), 1,
                                 OciMsgBuf(msg_)),
              kOciOk)
        << message();
    OciLobHeader h = header(ds, 0, 0);
    EXPECT_EQ(oci_hlob_upload(s_, &h, utf8_to_utf16(src.string()), OciMsgBuf(msg_)), kOciOk) << message();
    EXPECT_EQ(oci_ora_commit(s_, OciMsgBuf(msg_)), kOciOk);
    return data;
  }

  TempDir tmp_;
  std::filesystem::path db_;
  OciSession* s_ = nullptr;
  char16_t msg_[2048] = {};
};

TEST_F(OciLobRoundTrip, CellTextsOfEveryKindInOneBatch) {
  const std::u16string just_fits(1023, u'あ');
  const std::u16string too_long = just_fits + u"😀";
  exec(u"insert into lobs values (1, '" + just_fits + u"', hextoraw('00'))");
  exec(u"insert into lobs values (2, '" + too_long + u"', null)");
  OciDataset ds;
  ASSERT_EQ(oci_cre_sel_cursor(s_, &ds, u"select id, c, b from lobs order by id", 10, OciMsgBuf(msg_)), kOciOk)
      << message();
  ASSERT_EQ(ds.row_count, 3);
  EXPECT_EQ(header(ds, 0, 1).null_flag, 1);
  EXPECT_EQ(ds.text_view(0, 1), u"");
  OciLobHeader h = header(ds, 1, 1);
  EXPECT_EQ(h.define_type, 112);
  EXPECT_EQ(h.length, 1023u);
  EXPECT_EQ(h.complete, 1);
  EXPECT_NE(h.locator, nullptr);  // the row's own locator
  EXPECT_EQ(ds.text_view(1, 1), just_fits);
  h = header(ds, 2, 1);
  EXPECT_EQ(h.complete, 0);
  EXPECT_EQ(ds.text_view(2, 1).substr(0, 10), just_fits.substr(0, 10));
  EXPECT_EQ(ds.text_view(1, 2), u"<BLOB 1byte>");
  EXPECT_EQ(header(ds, 2, 2).null_flag, 1);

  // The whole CLOB, non-BMP character included, through the editor sink.
  StringSink sink;
  h = header(ds, 2, 1);
  ASSERT_EQ(oci_read_clob_data(s_, &sink, &h, OciMsgBuf(msg_)), kOciOk) << message();
  EXPECT_EQ(sink.text, too_long);
  EXPECT_EQ(sink.resets, 1);
  StringSink none;
  h = header(ds, 0, 1);
  ASSERT_EQ(oci_read_clob_data(s_, &none, &h, OciMsgBuf(msg_)), kOciOk);
  EXPECT_EQ(none.text, u"");
}

TEST_F(OciLobRoundTrip, BlobSizeTextsAtUnitBoundaries) {
  const std::size_t sizes[] = {1023, 1024, 1048575, 1048576};
  const char16_t* texts[] = {u"<BLOB 1023byte>", u"<BLOB 1kbyte>", u"<BLOB 1023kbyte>", u"<BLOB 1Mbyte>"};
  for (int i = 0; i < 4; ++i) put_blob(10 + i, sizes[i]);
  OciDataset ds;
  ASSERT_EQ(oci_cre_sel_cursor(s_, &ds, u"select id, b from lobs where id >= 10 order by id", 10, OciMsgBuf(msg_)),
            kOciOk);
  ASSERT_EQ(ds.row_count, 4);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(ds.text_view(i, 1), texts[i]);
}

TEST_F(OciLobRoundTrip, DownloadUploadRoundTripIsByteIdentical) {
  const std::size_t sizes[] = {0, 4096, 4097, 10u << 20};
  for (std::size_t i = 0; i < 4; ++i) {
    SCOPED_TRACE(sizes[i]);
    const int id = 20 + static_cast<int>(i);
    const std::string data = put_blob(id, sizes[i]);
    OciDataset ds;
    ASSERT_EQ(oci_cre_sel_cursor(s_, &ds, format(u"select b from lobs where id = %d", {id}), 1, OciMsgBuf(msg_)),
              kOciOk);
    OciLobHeader h = header(ds, 0, 0);
    const std::filesystem::path out = tmp_.path() / ("out" + std::to_string(id) + ".bin");
    ASSERT_EQ(oci_hlob_download(s_, &h, utf8_to_utf16(out.string()), OciMsgBuf(msg_)), kOciOk) << message();
    EXPECT_EQ(file_bytes(out), data);
  }
  // Nothing is left beside the targets.
  for (const auto& e : std::filesystem::directory_iterator(tmp_.path()))
    EXPECT_EQ(e.path().filename().string().find(".part"), std::string::npos) << e.path();
}

TEST_F(OciLobRoundTrip, UploadIntoARowAnotherSessionHoldsIsRefused) {
  put_blob(1, 16);
  OciSession* other = nullptr;
  ASSERT_EQ(oci_login2(&other, u"SCOTT", u"TIGER", utf8_to_utf16(db_.string()), u"", kLoginNormal, OciMsgBuf(msg_),
                       nullptr),
            kOciOk)
      << message();
  OciDataset held;
  ASSERT_EQ(oci_cre_sel_cursor(other, &held, u"select b from lobs where id = 1 for update nowait", 1,
                               OciMsgBuf(msg_)),
            kOciOk)
      << message();
  const std::filesystem::path src = tmp_.write("new.bin", std::string(32, 'z'));
  OciDataset ds;
  ASSERT_EQ(oci_cre_sel_cursor(s_, &ds, u"select b from lobs where id = 1", 1, OciMsgBuf(msg_)), kOciOk);
  OciLobHeader h = header(ds, 0, 0);
  EXPECT_NE(oci_hlob_upload(s_, &h, utf8_to_utf16(src.string()), OciMsgBuf(msg_)), kOciOk);
  EXPECT_NE(message().find("ORA-00054"), std::string::npos) << message();
  // Once the other session lets go, the same upload goes through.
  ASSERT_EQ(oci_ora_rollback(other, OciMsgBuf(msg_)), kOciOk);
  oci_ora_logout(&other);
  ASSERT_EQ(oci_cre_sel_cursor(s_, &ds, u"select b from lobs where id = 1 for update", 1, OciMsgBuf(msg_)), kOciOk);
  h = header(ds, 0, 0);
  EXPECT_EQ(oci_hlob_upload(s_, &h, utf8_to_utf16(src.string()), OciMsgBuf(msg_)), kOciOk) << message();
}

TEST_F(OciLobRoundTrip, MissingFilesAndFolders) {
  put_blob(30, 100);
  OciDataset ds;
  ASSERT_EQ(oci_cre_sel_cursor(s_, &ds, u"select b from lobs where id = 30 for update", 1, OciMsgBuf(msg_)), kOciOk);
  OciLobHeader h = header(ds, 0, 0);
  const std::u16string missing = utf8_to_utf16((tmp_.path() / "no such.bin").string());
  EXPECT_EQ(oci_hlob_upload(s_, &h, missing, OciMsgBuf(msg_)), kOciFileOpen);
  EXPECT_EQ(std::u16string_view(msg_), u"ファイルが開けません(ファイル名:" + missing + u")\n");
  EXPECT_EQ(oci_hlob_upload(s_, &h, u"", OciMsgBuf(msg_)), kOciOk);  // an empty path does nothing

  const std::filesystem::path folder = tmp_.path() / "no folder";
  EXPECT_EQ(oci_hlob_download(s_, &h, utf8_to_utf16((folder / "x.bin").string()), OciMsgBuf(msg_)), kOciFileOpen);
  EXPECT_FALSE(std::filesystem::exists(folder));

  // Uploading an empty file empties the LOB.
  const std::filesystem::path empty = tmp_.write("empty.bin", "");
  ASSERT_EQ(oci_hlob_upload(s_, &h, utf8_to_utf16(empty.string()), OciMsgBuf(msg_)), kOciOk) << message();
  ub4 length = 1;
  ASSERT_EQ(oci_fn().OCILobGetLength(s_->svc, s_->err, h.locator, &length), OCI_SUCCESS);
  EXPECT_EQ(length, 0u);
}

TEST_F(OciLobRoundTrip, BfilePresentAndMissing) {
  const std::filesystem::path files = tmp_.path() / "files";
  std::filesystem::create_directories(files);
  std::string content(3000, 'z');
  std::ofstream(files / "here file.txt", std::ios::binary) << content;
  exec(u"create directory TDIR as '" + utf8_to_utf16(files.string()) + u"'");
  exec(u"create table bf (id number, f bfile)");
  exec(u"insert into bf values (1, bfilename('TDIR', 'here file.txt'))");
  exec(u"insert into bf values (2, bfilename('TDIR', 'gone.txt'))");
  exec(u"insert into bf values (3, null)");
  OciDataset ds;
  ASSERT_EQ(oci_cre_sel_cursor(s_, &ds, u"select id, f from bf order by id", 10, OciMsgBuf(msg_)), kOciOk)
      << message();  // a missing file does not stop the fetch
  ASSERT_EQ(ds.row_count, 3);
  EXPECT_EQ(ds.text_view(0, 1), u"<BFILE dir_alias:TDIR file_name:here file.txt 2kbyte>");
  EXPECT_EQ(ds.text_view(1, 1), u"<BFILE dir_alias:TDIR file_name:gone.txt not found>");
  EXPECT_EQ(header(ds, 2, 1).null_flag, 1);
  OciBfileName name;
  ASSERT_EQ(oci_parse_bfile_text(ds.text_view(0, 1), &name, nullptr), kOciOk);
  EXPECT_EQ(name.file_name, u"here file.txt");
  std::u16string alias, file;
  ASSERT_EQ(oci_hlob_get_name(s_, header(ds, 1, 1).locator, &alias, &file, OciMsgBuf(msg_)), kOciOk);
  EXPECT_EQ(alias, u"TDIR");
  EXPECT_EQ(file, u"gone.txt");
  const std::filesystem::path out = tmp_.path() / "copy.txt";
  OciLobHeader h = header(ds, 0, 1);
  ASSERT_EQ(oci_hlob_download(s_, &h, utf8_to_utf16(out.string()), OciMsgBuf(msg_)), kOciOk) << message();
  EXPECT_EQ(file_bytes(out), content);
  h = header(ds, 1, 1);
  EXPECT_EQ(oci_hlob_download(s_, &h, utf8_to_utf16((tmp_.path() / "gone.txt").string()), OciMsgBuf(msg_)),
            kOciOracleError);
  EXPECT_FALSE(std::filesystem::exists(tmp_.path() / "gone.txt"));
}

TEST_F(OciLobRoundTrip, CancelledDownloadLeavesNoFile) {
  put_blob(40, 64 * 1024);
  OciDataset ds;
  ASSERT_EQ(oci_cre_sel_cursor(s_, &ds, u"select b from lobs where id = 40", 1, OciMsgBuf(msg_)), kOciOk);
  OciLobHeader h = header(ds, 0, 0);
  CancelFlag cancel{kCancelRequested};
  const std::filesystem::path out = tmp_.path() / "cancelled.bin";
  EXPECT_EQ(oci_hlob_download(s_, &h, utf8_to_utf16(out.string()), OciMsgBuf(msg_), &cancel), kOciCancelled);
  EXPECT_FALSE(std::filesystem::exists(out));
  for (const auto& e : std::filesystem::directory_iterator(tmp_.path()))
    EXPECT_EQ(e.path().filename().string().find(".part"), std::string::npos) << e.path();
}

}  // namespace
}  // namespace kestrel
