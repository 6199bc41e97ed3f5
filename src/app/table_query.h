// The table selection's OK, free of any widget: the check of the chosen
// columns, the rollback that releases the locks of the previous query, the
// statement for the object (heap or index-organised), the run on a worker
// and what counts as a usable result. The dialog calls these in order.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "app/select_builder.h"
#include "app/table_catalog.h"
#include "platform/msg_target.h"

class CStrToken;
struct OciDataset;
struct OciSession;

namespace kestrel {

// "%sはサポートされていません" for the first chosen entry (other than a
// "/*READONLY*/" one) whose column cannot be loaded; empty when all can.
std::u16string UnsupportedColumnMessage(const std::vector<std::u16string>& entries,
                                        const std::vector<CatalogColumn>& columns);

// Rolls the session back; 0, or the code with the client's text in *err.
int RollbackBeforeQuery(OciSession* s, std::u16string* err);

// Asks whether the object is index-organised (and then its key columns)
// and builds the statement. 0 with *sql, else the code with *err.
int BuildQueryStatement(OciSession* s, const CStrToken& tok, SelectRequest req, std::u16string* sql,
                        std::u16string* err);

// Runs the statement on a worker while the query progress dialog is shown,
// fetching into *out. Returns the Oracle layer's code with its text in *msg.
using QueryRunner =
    std::function<int(OciSession* s, const std::u16string& sql, OciDataset* out, std::u16string* msg)>;

// The worker's body: the select with 100 rows per fetch, progress messages
// to `progress` (may be null) and polling `cancel`.
int RunSelectInto(OciSession* s, const std::u16string& sql, OciDataset* out, std::u16string* msg,
                  MsgTarget* progress, std::atomic<int32_t>* cancel);

// A finished query is kept on 0, and on 9 (cancelled during the transfer)
// when the rows read so far came with their columns; a cancel before the
// describe has nothing to show and fails with "キャンセルしました\n".
bool AcceptQueryResult(int rc, const OciDataset& ds, std::u16string* msg);

}  // namespace kestrel
