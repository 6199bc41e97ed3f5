// What the completion loader needs from the database: run one dictionary
// query with the owner bound to :X0 and hand back its rows. The Oracle
// layer implements it over the loader's own session; tests use a double.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace kestrel {

class CompletionDictionary {
 public:
  // Receives one row's column texts (NULL as the empty text); returns false
  // to stop the query early.
  using RowSink = std::function<bool(const std::vector<std::u16string>& row)>;

  virtual ~CompletionDictionary() = default;

  // `sql` names dictionary views as "$DICT$_objects" and so on; the
  // implementation resolves the prefix as every dictionary query does and
  // binds `owner` to :X0. Rows are fetched `rows_per_fetch` at a time.
  // Returns 0, or 1 with the Oracle message in *err.
  virtual int QueryRows(std::u16string_view sql, std::u16string_view owner, int rows_per_fetch,
                        const RowSink& on_row, std::u16string* err) = 0;
};

}  // namespace kestrel
