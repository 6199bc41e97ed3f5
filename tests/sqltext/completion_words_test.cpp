#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "platform/utf16.h"
#include "sqltext/sql_str_token.h"
#include "sqltext/sqltext_constants.h"

namespace {

using kestrel::CompletionDictionary;

// A dictionary that answers the two completion queries from fixed rows and
// records what it was asked.
class FakeDictionary : public CompletionDictionary {
 public:
  std::vector<std::vector<std::u16string>> objects;
  std::vector<std::vector<std::u16string>> columns;
  std::vector<std::u16string> queries;
  std::vector<std::u16string> owners;
  std::vector<int> fetch_sizes;
  int fail_on_query = -1;  // index of the query that fails
  std::atomic<bool>* stop_after_first_row = nullptr;

  int QueryRows(std::u16string_view sql, std::u16string_view owner, int rows_per_fetch, const RowSink& on_row,
                std::u16string* err) override {
    queries.emplace_back(sql);
    owners.emplace_back(owner);
    fetch_sizes.push_back(rows_per_fetch);
    if (static_cast<int>(queries.size()) - 1 == fail_on_query) {
      *err = u"ORA-00942: table or view does not exist";
      return 1;
    }
    const auto& rows = sql.find(u"$DICT$_objects") != std::u16string_view::npos ? objects : columns;
    for (const auto& r : rows) {
      if (!on_row(r)) break;
      if (stop_after_first_row) stop_after_first_row->store(true);
    }
    return 0;
  }
};

CSQLStrToken& WithKeywords(CSQLStrToken& t) {
  std::u16string err;
  EXPECT_EQ(t.InitDefaultKeywordFromBytes("select\nfrom,2\n", &err), 0);
  return t;
}

TEST(CompletionWords, SendsTheDictionaryQueries) {
  EXPECT_EQ(CSQLStrToken::ObjectQueryText(false),
            u"select distinct object_name, object_name as org_object_name, \n\tobject_type \n"
            u", '' as comments \n"
            u"from $DICT$_objects a \nwhere owner = :X0 \n");
  EXPECT_EQ(CSQLStrToken::ObjectQueryText(true),
            u"select distinct object_name, object_name as org_object_name, \n\tobject_type \n"
            u", (select comments from $DICT$_tab_comments b where a.owner = b.owner and a.object_name = "
            u"b.table_name and a.object_type = b.table_type) as comments \n"
            u"from $DICT$_objects a \nwhere owner = :X0 \n");
  EXPECT_EQ(CSQLStrToken::ColumnQueryText(),
            u"select distinct column_name, column_name as org_column_name, data_type \nfrom $DICT$_tab_columns "
            u"\nwhere owner = :X0");
}

TEST(CompletionWords, BuildsAndPublishesTheList) {
  CSQLStrToken t;
  WithKeywords(t);
  FakeDictionary dict;
  dict.objects = {{u"EMP", u"EMP", u"TABLE", u"社員"}, {u"社員表", u"社員表", u"VIEW", u""}};
  dict.columns = {{u"ENAME", u"ENAME", u"VARCHAR2"}, {u"mixed", u"Mixed", u"NUMBER"}};
  std::u16string msg;
  ASSERT_EQ(t.InitKeywordForCompletion(dict, u"SCOTT", true, nullptr, &msg), 0);
  EXPECT_EQ(msg, u"6 words");
  EXPECT_EQ(dict.queries, (std::vector<std::u16string>{CSQLStrToken::ObjectQueryText(true),
                                                       CSQLStrToken::ColumnQueryText()}));
  EXPECT_EQ(dict.owners, (std::vector<std::u16string>{u"SCOTT", u"SCOTT"}));
  EXPECT_EQ(dict.fetch_sizes, (std::vector<int>{100, 100}));

  auto emp = t.FindKeyword(u"emp");
  ASSERT_TRUE(emp);
  EXPECT_EQ(emp.entry().kind, kestrel::kKeywordKindDictionary);
  EXPECT_EQ(emp.entry().kind_name, u"TABLE");
  EXPECT_EQ(emp.entry().description, u"社員");
  auto mixed = t.FindKeyword(u"MIXED");
  ASSERT_TRUE(mixed);
  EXPECT_EQ(mixed.entry().word, u"Mixed");
  EXPECT_EQ(mixed.entry().kind_name, u"NUMBER");
  EXPECT_TRUE(t.FindKeyword(u"社員表"));
  EXPECT_EQ(t.FindKeyword(u"from").entry().kind, 2);  // default keywords stay in the list
  // The default table itself is untouched.
  EXPECT_EQ(t.DefaultKeywords()->size(), 2u);
  EXPECT_LT(t.DefaultKeywords()->Find(u"EMP"), 0);
}

TEST(CompletionWords, PrefixRangesForThePopup) {
  CSQLStrToken t;
  WithKeywords(t);
  FakeDictionary dict;
  dict.objects = {{u"EMP", u"EMP", u"TABLE", u""}, {u"EMPLOYEES", u"Employees", u"VIEW", u""},
                  {u"DEPT", u"DEPT", u"TABLE", u""}};
  dict.columns = {{u"EMPNO", u"EMPNO", u"NUMBER"}};
  std::u16string msg;
  ASSERT_EQ(t.InitKeywordForCompletion(dict, u"SCOTT", false, nullptr, &msg), 0);
  auto table = t.ActiveKeywords();
  struct Case {
    const char16_t* prefix;
    std::vector<std::u16string> words;
  } cases[] = {
      {u"em", {u"EMP", u"Employees", u"EMPNO"}},
      {u"EMPL", {u"Employees"}},
      {u"s", {u"select"}},
      {u"x", {}},
      {u"EMPNOS", {}},
      {u"", {u"DEPT", u"EMP", u"Employees", u"EMPNO", u"from", u"select"}},
  };
  for (const Case& c : cases) {
    auto [first, last] = table->FindPrefix(c.prefix);
    std::vector<std::u16string> got;
    for (int32_t i = first; i < last; ++i) got.push_back((*table)[static_cast<std::size_t>(i)].word);
    EXPECT_EQ(got, c.words) << kestrel::utf16_to_utf8(c.prefix);
  }
}

TEST(CompletionWords, AFailingQueryLeavesTheDefaultKeywordsActive) {
  CSQLStrToken t;
  WithKeywords(t);
  FakeDictionary ok;
  ok.objects = {{u"EMP", u"EMP", u"TABLE", u""}};
  std::u16string msg;
  ASSERT_EQ(t.InitKeywordForCompletion(ok, u"SCOTT", false, nullptr, &msg), 0);
  ASSERT_TRUE(t.FindKeyword(u"EMP"));

  FakeDictionary bad;
  bad.fail_on_query = 1;
  EXPECT_EQ(t.InitKeywordForCompletion(bad, u"SCOTT", false, nullptr, &msg), 1);
  EXPECT_EQ(msg, u"ORA-00942: table or view does not exist");
  EXPECT_FALSE(t.FindKeyword(u"EMP"));  // the old list was dropped when the build started
  EXPECT_TRUE(t.FindKeyword(u"select"));
}

TEST(CompletionWords, StopFlagEndsTheBuildWithoutPublishing) {
  CSQLStrToken t;
  WithKeywords(t);
  FakeDictionary dict;
  for (int i = 0; i < 1000; ++i) dict.objects.push_back({u"T" + kestrel::to_u16(i), u"T" + kestrel::to_u16(i), u"TABLE", u""});
  std::atomic<bool> stop{false};
  dict.stop_after_first_row = &stop;
  std::u16string msg;
  EXPECT_EQ(t.InitKeywordForCompletion(dict, u"SCOTT", false, &stop, &msg), 1);
  EXPECT_EQ(dict.queries.size(), 1u);  // the column query was never sent
  EXPECT_FALSE(t.FindKeyword(u"T0"));
  EXPECT_EQ(t.ActiveKeywords(), t.DefaultKeywords());
}

TEST(CompletionWords, ReadersKeepTheirTableWhileANewListIsPublished) {
  CSQLStrToken t;
  WithKeywords(t);
  FakeDictionary dict;
  dict.objects = {{u"EMP", u"EMP", u"TABLE", u""}};
  std::atomic<bool> done{false};
  std::thread reader([&] {
    while (!done.load()) {
      auto hit = t.FindKeyword(u"SELECT");
      // The entry stays readable whatever the loader publishes meanwhile.
      if (hit) EXPECT_EQ(hit.entry().key, u"SELECT");
      else ADD_FAILURE() << "SELECT vanished";
    }
  });
  std::u16string msg;
  for (int i = 0; i < 200; ++i) ASSERT_EQ(t.InitKeywordForCompletion(dict, u"SCOTT", false, nullptr, &msg), 0);
  done.store(true);
  reader.join();
}

}  // namespace
