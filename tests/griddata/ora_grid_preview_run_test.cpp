// The preview script is what the save does: the same edits saved on one copy
// of a database and the preview's SQL text run by the `ocilite sql` tool on
// another copy leave the same table.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>

#include "griddata/ora_grid_preview.h"
#include "ora_grid_db_test.h"
#include "support/shell_quote.h"

namespace kestrel {
namespace {

namespace fs = std::filesystem;

constexpr char16_t kSelect[] = u"select p.*, rowid from p order by id";
constexpr char16_t kTable[] =
    u"select id, name, note, n, to_char(d, 'YYYY-MM-DD HH24:MI:SS') from p order by id";

class OraGridPreviewRunTest : public testing::OraGridDbTest {
 protected:
  void SetUp() override {
    testing::OraGridDbTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    exec(u"create table p (id number(5) primary key, name varchar2(40), note varchar2(40), n number(7,2), d date)");
    exec(u"insert into p values (1, 'one', 'first', 1, to_date('2024-02-29 13:14:15', 'YYYY-MM-DD HH24:MI:SS'))");
    exec(u"insert into p values (2, 'two', NULL, 2.5, NULL)");
    exec(u"insert into p values (3, 'it''s three', '三', NULL, NULL)");
    exec(u"insert into p values (4, '𠮷', 'four', 4, NULL)");
    exec(u"insert into p values (5, NULL, NULL, 5, NULL)");
    exec(u"commit");
    // Closed, so the copies are whole files.
    oci_ora_logout(&session_);
  }

  // A copy of the database as set up.
  fs::path copy(const std::string& name) {
    const fs::path to = tmp_.path() / name;
    fs::copy(db_, to, fs::copy_options::recursive);
    return to;
  }

  // Runs `script` with the tool on `db`, committing at the end; false (with
  // the tool's output) when any statement fails.
  ::testing::AssertionResult run_script(const fs::path& db, const std::u16string& script) {
    const fs::path file = tmp_.path() / "preview.sql";
    {
      std::ofstream out(file, std::ios::binary);
      out << "whenever sqlerror exit failure\n" << utf16_to_utf8(script) << "commit;\n";
    }
    if (tool("sql " + testing::shell_quote(db.string()) + " SCOTT/TIGER < " + testing::shell_quote(file.string())))
      return ::testing::AssertionSuccess();
    std::ifstream log(tmp_.path() / "tool.log");
    return ::testing::AssertionFailure() << std::string(std::istreambuf_iterator<char>(log), {});
  }
};

struct EditScript {
  const char* name;
  std::function<void(CEditableOraGridData&)> edit;
};

void Set(CEditableOraGridData& g, int32_t row, int32_t col, std::u16string_view text) {
  ASSERT_EQ(g.UpdateData(row, col, text), 0) << row << "," << col;
}

void Insert(CEditableOraGridData& g, std::initializer_list<std::u16string_view> cells) {
  const int32_t row = g.GetRowCnt();
  ASSERT_GE(g.InsertRows(row - 1, 1), 0);
  int32_t col = 0;
  for (auto text : cells) Set(g, row, col++, text);
}

const EditScript kScripts[] = {
    {"updates with quotes, NULL, Japanese and non-BMP text",
     [](CEditableOraGridData& g) {
       Set(g, 0, 1, u"it's 'quoted'");
       Set(g, 0, 3, u"7.25");
       Set(g, 1, 1, u"");  // NULL
       Set(g, 2, 2, u"日本語のテキスト");
       Set(g, 2, 3, u"3");
       Set(g, 3, 1, u"𠮷野家😀''");
       Set(g, 4, 2, u"a;\nb");  // a statement end inside the quotes
       Set(g, 1, 4, std::u16string(g.GetData(0, 4)));  // a date as the session shows it
     }},
    {"inserts",
     [](CEditableOraGridData& g) {
       Insert(g, {u"10", u"ten's", u"", u"10.5", std::u16string(g.GetData(0, 4))});
       Insert(g, {u"11", u"", u"十一 😀", u""});
       Insert(g, {u"12", u"''", u"𠮷", u"-1"});
     }},
    {"deletes",
     [](CEditableOraGridData& g) {
       ASSERT_GE(g.DeleteRows(1, 1), 0);
       ASSERT_GE(g.DeleteRows(3, 4), 0);
     }},
    {"all three, with a changed key and rows changed then deleted",
     [](CEditableOraGridData& g) {
       Set(g, 0, 0, u"100");  // the key itself
       Set(g, 0, 2, u"moved");
       Set(g, 1, 1, u"gone anyway");
       ASSERT_GE(g.DeleteRows(1, 1), 0);
       Set(g, 3, 1, u"四'");
       Insert(g, {u"20", u"new", u"新しい", u"20"});
       Insert(g, {u"21", u"dropped", u"", u""});
       ASSERT_GE(g.DeleteRows(g.GetRowCnt() - 1, g.GetRowCnt() - 1), 0);
     }},
};

TEST_F(OraGridPreviewRunTest, ThePreviewRunByTheToolLeavesWhatTheSaveLeaves) {
  int n = 0;
  for (const EditScript& s : kScripts) {
    SCOPED_TRACE(s.name);
    const fs::path saved = copy("saved" + std::to_string(n));
    const fs::path previewed = copy("previewed" + std::to_string(n));
    ++n;
    const std::vector<std::string> before = rows(kTable, saved);

    session_ = login(saved);
    ASSERT_NE(session_, nullptr);
    load(kSelect, u"P");
    s.edit(grid_);
    if (HasFatalFailure()) return;
    std::u16string script;
    ASSERT_EQ(oci_preview_grid_sql(&grid_, &script, OciMsgBuf(msg_)), 0) << message();
    ASSERT_EQ(save(), kOciOk) << message();
    grid_.SetData(nullptr, nullptr, u"", u"", 0, false);
    ds_.clear();
    oci_ora_logout(&session_);

    ASSERT_TRUE(run_script(previewed, script)) << utf16_to_utf8(script);
    const std::vector<std::string> after = rows(kTable, saved);
    EXPECT_NE(after, before);
    EXPECT_EQ(rows(kTable, previewed), after) << utf16_to_utf8(script);
  }
}

}  // namespace
}  // namespace kestrel
