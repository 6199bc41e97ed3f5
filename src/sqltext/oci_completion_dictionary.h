// The completion loader's dictionary over an Oracle session: each query is
// parsed with "$DICT$" resolved, the owner bound to :X0, and its rows
// fetched in arrays and handed on one by one, so a stop takes effect at the
// next row and a cancel breaks a query still running on the server.
#pragma once

#include <atomic>
#include <cstdint>

#include "oci/oci_cursor.h"
#include "sqltext/completion_dictionary.h"

struct OciSession;

namespace kestrel {

class OciCompletionDictionary final : public CompletionDictionary {
 public:
  // `session` is used only by the thread calling QueryRows. `cancel` (may
  // be null) is polled while the server works; `rows_read` (may be null)
  // counts the rows handed on.
  OciCompletionDictionary(OciSession* session, CancelFlag* cancel, std::atomic<int64_t>* rows_read = nullptr)
      : session_(session), cancel_(cancel), rows_read_(rows_read) {}

  int QueryRows(std::u16string_view sql, std::u16string_view owner, int rows_per_fetch, const RowSink& on_row,
                std::u16string* err) override;

 private:
  OciSession* session_;
  CancelFlag* cancel_;
  std::atomic<int64_t>* rows_read_;
};

}  // namespace kestrel
