// The LOB commands: the enable rules as a table, and download, upload, NULL
// and BFILE Update on ALL_TYPES of a fresh demo database, saved and read back.
#include "app/lob_commands.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "app/document_workers.h"
#include "document_db.h"
#include "griddata/ora_grid_data.h"

namespace kestrel {
namespace {

std::string U8(std::u16string_view s) { return utf16_to_utf8(s); }

TEST(LobEnableTest, Rules) {
  constexpr uint16_t kClob = 112, kBlob = 113, kBfile = 114, kText = 1;
  struct Case {
    const char* name;
    LobCellState s;
    bool download, upload, set_null, bfile;
  } cases[] = {
      {"blob with data", {false, kBlob, false, false, false, 10, false}, true, true, true, false},
      {"empty blob", {false, kBlob, false, false, false, 0, false}, false, true, true, false},
      {"blob while editing", {true, kBlob, false, false, false, 10, false}, false, false, false, false},
      {"blob in an inserted row", {false, kBlob, true, false, false, 0, false}, false, true, true, false},
      {"blob already changed", {false, kBlob, false, false, true, 10, false}, false, true, true, false},
      {"blob in a deleted row", {false, kBlob, false, true, false, 10, false}, true, false, false, false},
      {"read-only blob", {false, kBlob, false, false, false, 10, true}, true, false, false, false},
      {"bfile", {false, kBfile, false, false, false, 3, false}, true, false, true, true},
      {"read-only bfile", {false, kBfile, false, false, false, 3, true}, true, false, false, false},
      {"bfile in a deleted row", {false, kBfile, false, true, false, 3, false}, true, false, false, false},
      {"clob", {false, kClob, false, false, false, 10, false}, false, false, false, false},
      {"text", {false, kText, false, false, false, 0, false}, false, false, false, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(CanLobDownload(c.s), c.download) << c.name;
    EXPECT_EQ(CanLobUpload(c.s), c.upload) << c.name;
    EXPECT_EQ(CanLobSetNull(c.s), c.set_null) << c.name;
    EXPECT_EQ(CanBfileUpdate(c.s), c.bfile) << c.name;
  }
}

class LobCommandsTest : public testing::DocumentDbTest {
 protected:
  void Load() {
    result_ = std::make_unique<OciDataset>();
    std::u16string msg;
    ASSERT_EQ(RunQueryOnWorker(session_,
                               u"select a.\"ID\", a.\"C_BLOB\", a.\"C_BFILE\", rowid \nfrom \"SCOTT\".\"ALL_TYPES\" a "
                               u"\norder by id",
                               result_.get(), &msg),
              kOciOk)
        << U8(msg);
    ASSERT_EQ(grid_.SetData(session_, result_.get(), u"SCOTT", u"ALL_TYPES", 0, false), 0);
  }
  void SaveAndReload() {
    std::u16string msg;
    int32_t row = -1, col = -1;
    ASSERT_EQ(RunSaveOnWorker(grid_, session_, &msg, &row, &col), kOciOk) << U8(msg) << " at " << row << "," << col;
    Load();
  }
  static std::string FileBytes(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  CEditableOraGridData grid_;
  std::unique_ptr<OciDataset> result_;
};

TEST_F(LobCommandsTest, DownloadIsByteIdentical) {
  Load();
  ASSERT_GE(grid_.GetRowCnt(), 3);
  LobCellState s = LobStateOf(grid_, 0, 1, false, false);
  EXPECT_EQ(s.define_type, kTypeBlob);
  EXPECT_GT(s.length, 0u);
  EXPECT_TRUE(CanLobDownload(s));
  EXPECT_FALSE(CanLobDownload(LobStateOf(grid_, 1, 1, false, false)));  // NULL BLOB

  const std::filesystem::path out = tmp_.path() / "image.png";
  std::u16string msg;
  ASSERT_TRUE(LobDownload(grid_, 0, 1, utf8_to_utf16(out.string()), &msg)) << U8(msg);
  EXPECT_EQ(msg, u"ダウンロード完了");
  const std::string png = FileBytes(out);
  ASSERT_EQ(png.size(), s.length);
  EXPECT_EQ(png.substr(1, 3), "PNG");

  std::u16string name;
  ASSERT_TRUE(LobDefaultFileName(grid_, 0, 2, &name, &msg)) << U8(msg);
  EXPECT_EQ(name, u"readme.txt");
  const std::filesystem::path text = tmp_.path() / "readme.txt";
  ASSERT_TRUE(LobDownload(grid_, 0, 2, utf8_to_utf16(text.string()), &msg)) << U8(msg);
  EXPECT_EQ(FileBytes(text).size(), LobStateOf(grid_, 0, 2, false, false).length);
}

TEST_F(LobCommandsTest, UploadNullAndBfileUpdateAreSaved) {
  Load();
  const std::filesystem::path file = tmp_.write("five.bin", "12345");
  std::u16string msg;
  ASSERT_TRUE(CanLobUpload(LobStateOf(grid_, 1, 1, false, false)));
  ASSERT_TRUE(LobUpload(grid_, 1, 1, utf8_to_utf16(file.string()), &msg)) << U8(msg);
  ASSERT_TRUE(LobSetNull(grid_, 0, 1));
  std::u16string alias, name;
  BfileNameOf(grid_, 1, 2, &alias, &name);
  EXPECT_EQ(alias, u"DEMO_FILES");
  EXPECT_EQ(name, u"kestrel.png");
  ASSERT_TRUE(BfileUpdate(grid_, 1, 2, u"DEMO_FILES", u"staff.csv"));
  EXPECT_FALSE(BfileUpdate(grid_, 2, 2, u"", u"x"));  // both parts are needed
  SaveAndReload();
  EXPECT_EQ(U8(grid_.GetData(1, 1)), "<BLOB 5byte>");
  EXPECT_EQ(grid_.GetData(0, 1), u"");
  BfileNameOf(grid_, 1, 2, &alias, &name);
  EXPECT_EQ(name, u"staff.csv");
}

TEST_F(LobCommandsTest, AnUploadFileThatIsGoneChangesNothing) {
  Load();
  std::u16string msg;
  EXPECT_FALSE(LobUpload(grid_, 1, 1, utf8_to_utf16((tmp_.path() / "gone.bin").string()), &msg));
  EXPECT_NE(msg.find(u"ファイルが開けません"), std::u16string::npos);
  EXPECT_FALSE(grid_.IsModified());
  EXPECT_FALSE(CanLobUpload(LobStateOf(grid_, 1, 1, false, true)));  // read-only entry
}

}  // namespace
}  // namespace kestrel
