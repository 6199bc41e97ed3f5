// The completion list: built on the loader's thread from the default
// keywords and the current user's object and column names, then published
// as the tokenizer's active list.
#include <new>
#include <vector>

#include "platform/format.h"
#include "platform/utf16.h"
#include "sqltext/sql_str_token.h"
#include "sqltext/sqltext_constants.h"

namespace {

constexpr char16_t kCompletionAllocError[] = u"CSQLStrToken::initKeywordForCompletion(): memory allocate error";
constexpr int kRowsPerFetch = 100;

struct DictionaryRow {
  std::u16string name;         // as the dictionary returns it
  std::u16string kind_name;    // object type or data type
  std::u16string description;  // the object's comment
};

bool Stopped(const std::atomic<bool>* stop) { return stop && stop->load(std::memory_order_relaxed); }

}  // namespace

std::u16string CSQLStrToken::ObjectQueryText(bool object_comments) {
  std::u16string sql = u"select distinct object_name, object_name as org_object_name, \n\tobject_type \n";
  sql += object_comments
             ? u", (select comments from $DICT$_tab_comments b where a.owner = b.owner and a.object_name = "
               u"b.table_name and a.object_type = b.table_type) as comments \n"
             : u", '' as comments \n";
  sql += u"from $DICT$_objects a \nwhere owner = :X0 \n";
  return sql;
}

std::u16string CSQLStrToken::ColumnQueryText() {
  return u"select distinct column_name, column_name as org_column_name, data_type \nfrom $DICT$_tab_columns "
         u"\nwhere owner = :X0";
}

int CSQLStrToken::InitKeywordForCompletion(kestrel::CompletionDictionary& dict, std::u16string_view owner,
                                           bool object_comments, const std::atomic<bool>* stop,
                                           std::u16string* msg) {
  // The previous completion list is dropped first: until the new one is
  // ready, editors see the default keywords.
  PublishKeywords(nullptr);
  try {
    std::vector<DictionaryRow> rows;
    auto collect = [&](bool with_description) {
      return [&rows, with_description, stop](const std::vector<std::u16string>& row) {
        if (Stopped(stop)) return false;
        if (row.size() < 3) return true;
        rows.push_back(DictionaryRow{row[1].empty() ? row[0] : row[1], row[2],
                                     with_description && row.size() > 3 ? row[3] : std::u16string()});
        return true;
      };
    };
    std::u16string err;
    if (dict.QueryRows(ObjectQueryText(object_comments), owner, kRowsPerFetch, collect(true), &err) != 0 ||
        (!Stopped(stop) && dict.QueryRows(ColumnQueryText(), owner, kRowsPerFetch, collect(false), &err) != 0)) {
      if (msg) *msg = err;
      return 1;
    }
    if (Stopped(stop)) {
      if (msg) msg->clear();
      return 1;
    }

    std::shared_ptr<const kestrel::KeywordTable> defaults = DefaultKeywords();
    auto table = NewTable();
    table->Reserve(defaults->size() + rows.size());
    for (const kestrel::KeywordEntry& e : defaults->entries()) table->AddEntry(e);
    for (const DictionaryRow& row : rows) {
      if (Stopped(stop)) {
        if (msg) msg->clear();
        return 1;
      }
      if (row.name.empty()) continue;
      kestrel::KeywordEntry e;
      e.word = row.name;
      e.upper = kestrel::ascii_upper(row.name);
      e.key = e.upper;
      e.key_len = static_cast<int32_t>(e.key.size());
      e.kind = kestrel::kKeywordKindDictionary;
      e.kind_name = row.kind_name;
      e.description = row.description;
      table->AddEntry(e);
    }
    FinishTable(*table);
    const auto count = static_cast<int64_t>(table->size());
    PublishKeywords(std::move(table));
    if (msg) *msg = kestrel::format(u"%d words", {count});
    return 0;
  } catch (const std::bad_alloc&) {
    if (msg) *msg = kCompletionAllocError;
    return 1;
  }
}
