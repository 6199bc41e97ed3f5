// The document's two long database operations on a worker thread of their
// own: the table selection's query and the save of the grid edits. The user
// interface thread waits for the worker; the progress dialogs that show the
// work and offer its cancel plug in through the `runner` seams of the table
// dialog (QueryRunner) and of DocumentServices::save.
#pragma once

#include <cstdint>
#include <string>

class CEditableOraGridData;
struct OciDataset;
struct OciSession;

namespace kestrel {

inline constexpr char16_t kThreadCreateError[] = u"スレッド作成エラー";
// The code of an operation whose thread could not be made.
inline constexpr int kResultNoThread = -1;

// The select into *out; the Oracle layer's code with its text in *msg.
int RunQueryOnWorker(OciSession* s, const std::u16string& sql, OciDataset* out, std::u16string* msg);

// The save of `grid`'s edits; 0 with the summary in *msg, else the code
// with the message and the failing cell of the editable grid (-1 unknown).
int RunSaveOnWorker(CEditableOraGridData& grid, OciSession* s, std::u16string* msg, int32_t* row, int32_t* col);

}  // namespace kestrel
