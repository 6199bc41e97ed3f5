// The completion loader against the stand-in client's demo database: a real
// second session on a thread of its own, the two dictionary queries, the
// published list, and stopping it while it works.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

#include "oci/oci_codes.h"
#include "oci/oci_cursor.h"
#include "oci/oci_dataset.h"
#include "oci/oci_dictionary.h"
#include "oci/oci_library.h"
#include "oci/oci_session.h"
#include "platform/client_text.h"
#include "platform/format.h"
#include "platform/utf16.h"
#include "sqltext/completion_loader.h"
#include "sqltext/sql_str_token.h"
#include "sqltext/sqltext_constants.h"
#include "support/shell_quote.h"
#include "support/temp_dir.h"

namespace kestrel {
namespace {

using namespace std::chrono_literals;
using testing::TempDir;
using testing::shell_quote;
using State = CompletionLoader::State;

std::string Env(const char* name, const char* built) {
  const char* v = std::getenv(name);
  return v && *v ? v : built;
}
std::string Tool() { return Env("KESTREL_TEST_OCILITE_TOOL", KESTREL_TEST_OCILITE_TOOL); }
std::string Library() { return Env("KESTREL_TEST_OCILITE_LIB", KESTREL_TEST_OCILITE_LIB); }

bool RunTool(const std::string& args, const TempDir& dir, const std::string& input = "") {
  std::string cmd = shell_quote(Tool()) + " " + args;
  if (!input.empty()) cmd += " < " + shell_quote(dir.write("input.sql", input).string());
  cmd += " > " + shell_quote((dir.path() / "tool.log").string()) + " 2>&1";
  return std::system(cmd.c_str()) == 0;
}

// A schema big enough that reading its dictionary takes a while: `tables`
// tables of `columns` columns, every column name different.
std::string WideSchema(int tables, int columns) {
  std::string sql = "WHENEVER SQLERROR EXIT FAILURE\n";
  for (int t = 0; t < tables; ++t) {
    sql += "CREATE TABLE wide_" + std::to_string(t) + " (";
    for (int c = 0; c < columns; ++c) {
      if (c) sql += ", ";
      sql += "col_" + std::to_string(t) + "_" + std::to_string(c) + " NUMBER";
    }
    sql += ");\n";
  }
  return sql;
}

class CompletionLoaderTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (demo_) return;
    demo_ = new TempDir;
    std::atexit([] {
      delete demo_;
      demo_ = nullptr;
    });
    demo_made_ = RunTool("demo " + shell_quote((demo_->path() / "demo").string()), *demo_);
  }

  void SetUp() override {
    ASSERT_TRUE(demo_made_) << "the demo database could not be built";
    db_ = tmp_.path() / "demo";
    std::filesystem::copy(demo_->path() / "demo", db_, std::filesystem::copy_options::recursive);
    setenv("NLS_LANG", "JAPANESE_JAPAN.AL32UTF8", 1);
    Reset();
    char16_t msg[1024] = {};
    ASSERT_EQ(oci_load_library_file(Library(), OciMsgBuf(msg)), kOciOk) << utf16_to_utf8(msg);
    std::u16string err;
    ASSERT_EQ(tokenizer_.InitDefaultKeywordFromBytes("select\nfrom\nwhere,2\n", &err), 0);
  }
  void TearDown() override { Reset(); }

  static void Reset() {
    oci_unload_library();
    oci_process().use_old_interface = false;
    set_program_code_page(0);
    oci_reset_dictionary_state();
  }

  // Rows of the two completion queries with the owner written into the
  // text instead of bound, on a session of its own.
  int64_t LiteralRows(std::u16string_view user, std::u16string_view password, bool comments) const {
    OciSession* s = nullptr;
    char16_t msg[1024] = {};
    if (oci_login2(&s, user, password, utf8_to_utf16(db_.string()), u"", 1, OciMsgBuf(msg), nullptr) != kOciOk)
      return -1;
    int64_t rows = 0;
    for (std::u16string sql : {CSQLStrToken::ObjectQueryText(comments), CSQLStrToken::ColumnQueryText()}) {
      sql = oci_dict_sql(sql);
      sql.replace(sql.find(u":X0"), 3, u"'" + std::u16string(user) + u"'");
      OciDataset ds;
      if (oci_cre_sel_cursor(s, &ds, sql, 100, OciMsgBuf(msg)) == kOciOk) rows += ds.row_count;
    }
    oci_ora_logout(&s);
    return rows;
  }
  // The loader hands on every row the dictionary has.
  void ExpectEveryRow(const CompletionLoader& loader, std::u16string_view user, std::u16string_view password,
                      bool comments) const {
    EXPECT_EQ(loader.RowsRead(), LiteralRows(user, password, comments));
  }

  CompletionLoginParams Scott() const { return {u"SCOTT", u"TIGER", utf8_to_utf16(db_.string()), 1, u"", false, u""}; }

  static TempDir* demo_;
  static bool demo_made_;
  TempDir tmp_;
  std::filesystem::path db_;
  CSQLStrToken tokenizer_;
};
TempDir* CompletionLoaderTest::demo_ = nullptr;
bool CompletionLoaderTest::demo_made_ = false;

TEST_F(CompletionLoaderTest, PublishesTheUsersObjectsAndColumns) {
  struct Case {
    const char* name;
    bool comments;
  } cases[] = {{"without comments", false}, {"with comments", true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CompletionLoader loader(tokenizer_);
    CompletionLoginParams p = Scott();
    p.object_comments = c.comments;
    ASSERT_TRUE(loader.Start(p));
    ASSERT_TRUE(loader.WaitFinished(60s));
    const CompletionLoader::Status st = loader.GetStatus();
    ASSERT_EQ(st.state, State::kDone) << utf16_to_utf8(st.message);
    loader.Stop();
    EXPECT_FALSE(loader.Running());

    auto words = loader.Words();
    EXPECT_EQ(words, tokenizer_.ActiveKeywords());
    EXPECT_EQ(st.message, format(u"%d words", {static_cast<int64_t>(words->size())}));
    EXPECT_GT(loader.RowsRead(), 10);
    ExpectEveryRow(loader, u"SCOTT", u"TIGER", c.comments);
    struct Word {
      const char16_t* word;
      const char16_t* kind_name;
      const char16_t* description;  // with comments
    } expected[] = {
        {u"EMP", u"TABLE", u"社員"},
        {u"emp_dept_v", u"VIEW", u"社員と部署（ビュー）"},
        {u"STAFF", u"SYNONYM", u""},
        {u"ENAME", u"VARCHAR2", u""},
        {u"hiredate", u"DATE", u""},
    };
    for (const Word& w : expected) {
      SCOPED_TRACE(utf16_to_utf8(w.word));
      const int32_t i = words->Find(w.word);
      ASSERT_GE(i, 0);
      const KeywordEntry& e = (*words)[static_cast<std::size_t>(i)];
      EXPECT_EQ(e.kind, kKeywordKindDictionary);
      EXPECT_EQ(e.kind_name, w.kind_name);
      EXPECT_EQ(e.description, c.comments ? w.description : u"");
    }
    // The default keywords are in the list; HR's tables are not.
    EXPECT_EQ(tokenizer_.FindKeyword(u"where").entry().kind, 2);
    EXPECT_LT(words->Find(u"REGIONS"), 0);
  }
}

TEST_F(CompletionLoaderTest, ReadsTheGivenOwner) {
  CompletionLoader loader(tokenizer_);
  CompletionLoginParams p{u"HR", u"HR", utf8_to_utf16(db_.string()), 1, u"HR", false, u""};
  ASSERT_TRUE(loader.Start(p));
  ASSERT_TRUE(loader.WaitFinished(60s));
  ASSERT_EQ(loader.GetStatus().state, State::kDone) << utf16_to_utf8(loader.GetStatus().message);
  ExpectEveryRow(loader, u"HR", u"HR", false);
  EXPECT_GE(loader.Words()->Find(u"REGIONS"), 0);
  EXPECT_GE(loader.Words()->Find(u"JOB_TITLE"), 0);
  EXPECT_LT(loader.Words()->Find(u"EMP"), 0);
}

TEST_F(CompletionLoaderTest, FailuresLeaveTheDefaultKeywords) {
  struct Case {
    const char* name;
    CompletionLoginParams params;
    const char* message_part;
  } cases[] = {
      {"wrong password", {u"SCOTT", u"WRONG", u"", 1, u"", false, u""}, "ORA-01017"},
      {"no such database", {u"SCOTT", u"TIGER", u"", 1, u"", false, u""}, "ORA-"},
  };
  cases[0].params.connect = utf8_to_utf16(db_.string());
  cases[1].params.connect = utf8_to_utf16((tmp_.path() / "missing").string());
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CompletionLoader loader(tokenizer_);
    ASSERT_TRUE(loader.Start(c.params));
    ASSERT_TRUE(loader.WaitFinished(60s));
    const CompletionLoader::Status st = loader.GetStatus();
    EXPECT_EQ(st.state, State::kFailed);
    EXPECT_NE(utf16_to_utf8(st.message).find(c.message_part), std::string::npos) << utf16_to_utf8(st.message);
    EXPECT_EQ(loader.Words(), tokenizer_.DefaultKeywords());
  }
}

TEST_F(CompletionLoaderTest, ANewLoginReplacesTheList) {
  CompletionLoader loader(tokenizer_);
  ASSERT_TRUE(loader.Start(Scott()));
  ASSERT_TRUE(loader.WaitFinished(60s));
  ASSERT_EQ(loader.GetStatus().state, State::kDone);
  const auto scott = loader.Words();
  EXPECT_GE(scott->Find(u"EMP"), 0);
  ASSERT_TRUE(loader.Start({u"HR", u"HR", utf8_to_utf16(db_.string()), 1, u"", false, u""}));
  ASSERT_TRUE(loader.WaitFinished(60s));
  ASSERT_EQ(loader.GetStatus().state, State::kDone);
  EXPECT_NE(loader.Words(), scott);
  EXPECT_LT(loader.Words()->Find(u"EMP"), 0);
  EXPECT_GE(loader.Words()->Find(u"REGIONS"), 0);
}

// Readers on another thread keep looking words up while lists are built and
// replaced; a table they hold stays whole.
TEST_F(CompletionLoaderTest, ReadersSeeWholeListsWhileLoading) {
  CompletionLoader loader(tokenizer_);
  std::atomic<bool> done{false};
  std::atomic<int64_t> lookups{0};
  std::thread reader([&] {
    while (!done.load()) {
      auto words = loader.Words();
      const int32_t i = words->Find(u"SELECT");
      if (i < 0 || (*words)[static_cast<std::size_t>(i)].word != u"select") ADD_FAILURE() << "lost a default keyword";
      auto [first, last] = words->FindPrefix(u"E");
      for (int32_t k = first; k < last; ++k) (void)(*words)[static_cast<std::size_t>(k)].kind_name.size();
      lookups.fetch_add(1);
    }
  });
  for (int round = 0; round < 3; ++round) {
    ASSERT_TRUE(loader.Start(Scott()));
    ASSERT_TRUE(loader.WaitFinished(60s));
    EXPECT_EQ(loader.GetStatus().state, State::kDone);
  }
  done.store(true);
  reader.join();
  EXPECT_GT(lookups.load(), 0);
}

// The stop flag at any moment: during the login, the first query or the
// fetches. Each stop returns promptly and leaves either a finished list or
// the default keywords, never half a list.
TEST_F(CompletionLoaderTest, StopAtAnyMomentEndsPromptly) {
  for (int delay_ms : {0, 1, 5, 20, 50}) {
    SCOPED_TRACE(delay_ms);
    CompletionLoader loader(tokenizer_);
    ASSERT_TRUE(loader.Start(Scott()));
    std::this_thread::sleep_for(std::chrono::milliseconds(delay_ms));
    const auto t0 = std::chrono::steady_clock::now();
    loader.Stop();
    EXPECT_LT(std::chrono::steady_clock::now() - t0, 5s);
    EXPECT_FALSE(loader.Running());
    const State st = loader.GetStatus().state;
    EXPECT_TRUE(st == State::kStopped || st == State::kDone) << static_cast<int>(st);
    if (st == State::kStopped) EXPECT_EQ(loader.Words(), tokenizer_.DefaultKeywords());
    else EXPECT_GT(loader.Words()->size(), tokenizer_.DefaultKeywords()->size());
    loader.Stop();  // a second stop does nothing
  }
}

// A dictionary of tens of thousands of rows: the stop lands in the middle of
// the fetches and ends the load at once.
TEST_F(CompletionLoaderTest, StopDuringALongLoad) {
  const int kTables = 200;
  const int kColumns = 150;
  ASSERT_TRUE(RunTool("sql " + shell_quote(db_.string()) + " SCOTT/TIGER", tmp_, WideSchema(kTables, kColumns)))
      << tmp_.read("tool.log");
  CompletionLoader loader(tokenizer_);
  // Left alone, the load takes a while and reads every row.
  auto t0 = std::chrono::steady_clock::now();
  ASSERT_TRUE(loader.Start(Scott()));
  ASSERT_TRUE(loader.WaitFinished(120s));
  const auto full = std::chrono::steady_clock::now() - t0;
  ASSERT_EQ(loader.GetStatus().state, State::kDone) << utf16_to_utf8(loader.GetStatus().message);
  const int64_t all_rows = loader.RowsRead();
  ExpectEveryRow(loader, u"SCOTT", u"TIGER", false);
  EXPECT_GE(all_rows, kTables * kColumns);
  EXPECT_GE(loader.Words()->Find(u"COL_199_149"), 0);

  // Stopped as soon as the first rows are in, it ends at once.
  ASSERT_TRUE(loader.Start(Scott()));
  while (loader.RowsRead() == 0 && loader.GetStatus().state == State::kRunning) std::this_thread::yield();
  ASSERT_EQ(loader.GetStatus().state, State::kRunning) << "the load ended before it could be stopped";
  t0 = std::chrono::steady_clock::now();
  loader.Stop();
  const auto took = std::chrono::steady_clock::now() - t0;
  EXPECT_LT(took, full / 4) << "full load " << std::chrono::duration_cast<std::chrono::milliseconds>(full).count()
                            << " ms, stop " << std::chrono::duration_cast<std::chrono::milliseconds>(took).count()
                            << " ms";
  EXPECT_EQ(loader.GetStatus().state, State::kStopped);
  EXPECT_LT(loader.RowsRead(), all_rows);
  EXPECT_EQ(loader.Words(), tokenizer_.DefaultKeywords());
}

TEST_F(CompletionLoaderTest, DestroyingARunningLoaderStopsIt) {
  auto loader = std::make_unique<CompletionLoader>(tokenizer_);
  ASSERT_TRUE(loader->Start(Scott()));
  const auto t0 = std::chrono::steady_clock::now();
  loader.reset();
  EXPECT_LT(std::chrono::steady_clock::now() - t0, 5s);
}

}  // namespace
}  // namespace kestrel
