// CTernDoc: the one document. It holds the table being edited (owner,
// table, chosen columns, the condition as typed and as sent, the alias),
// the open query result, the editable grid data loaded from it and the
// transposed view over that data, and it runs the File commands that load,
// clear and save. It reaches the world only through DocumentServices and
// the process-wide UiServices, so it is plain C++ and scripted in tests.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "griddata/editable_grid_data.h"
#include "griddata/grid_data_swap_row_col.h"

struct OciDataset;
struct OciSession;

// What the table selection is handed and hands back.
struct TableSelection {
  int32_t mode = 0;  // 0 interactive, 1 re-run (no interaction)
  int32_t swap = 0;
  std::u16string owner;
  std::u16string table;
  std::u16string alias;
  std::u16string condition_typed;  // as in the condition editor
  std::u16string condition_sent;   // as put into the statement
  int32_t data_lock = 0;
  std::u16string query_file;       // empty: none
  std::vector<std::u16string> columns;
  // Out, on OK: the statement run and its open result (owned by the caller).
  std::u16string sql;
  std::unique_ptr<OciDataset> result;
};

struct DocumentServices {
  // Sends a hint to every view.
  std::function<void(int32_t hint, int64_t arg)> update_views;
  // Runs the table selection; true on OK with the fields handed back.
  std::function<bool(TableSelection& io)> run_table_selection;
  // Loads `data` from `result` (null: empty); may replace the object.
  // Returns 0, or non-zero with the grid empty.
  std::function<int32_t(std::unique_ptr<CEditableGridData>& data, OciDataset* result,
                        const std::u16string& owner, const std::u16string& table, int32_t data_lock)>
      load;
  // Names of the table's virtual columns (empty before server 11.0).
  std::function<std::vector<std::u16string>(const std::u16string& owner, const std::u16string& table)>
      virtual_columns;
  // Runs the save of the pending edits behind a progress dialog; returns 0
  // on success. *msg gets the message for the user, *row/*col the failing
  // cell of the editable grid data (-1 when not known).
  std::function<int32_t(CEditableGridData& data, std::u16string* msg, int32_t* row, int32_t* col)> save;
  // The process-wide DATA_LOCK value.
  std::function<int32_t()> data_lock;
  std::function<void(int32_t)> set_data_lock;
  // The current user, put in as owner when none is set.
  std::function<std::u16string()> current_user;
};

class CTernDoc {
 public:
  explicit CTernDoc(DocumentServices services, std::unique_ptr<CEditableGridData> data);
  ~CTernDoc();
  CTernDoc(const CTernDoc&) = delete;
  CTernDoc& operator=(const CTernDoc&) = delete;

  // ---- state ----
  bool HasTable() const { return !table_.empty(); }
  const std::u16string& GetOwnerName() const { return owner_; }
  const std::u16string& GetTableName() const { return table_; }
  const std::u16string& GetTitle() const { return table_; }
  const std::vector<std::u16string>& GetColumnList() const { return columns_; }
  const std::u16string& GetConditionTyped() const { return condition_typed_; }
  const std::u16string& GetConditionSent() const { return condition_sent_; }
  const std::u16string& GetAlias() const { return alias_; }
  const std::u16string& GetLastResultMsg() const { return last_result_msg_; }
  const OciDataset* GetResult() const { return result_.get(); }
  int32_t GetSwap() const { return swap_; }
  CEditableGridData& GetEditableData() { return *data_; }
  // The swap view when swapped; else the filter view when a filter is
  // active; else the editable grid data.
  CGridData* GetActiveGridData();
  // Whether column `col` was made read-only by its column-list entry
  // ("/*READONLY*/" or a virtual column), apart from the load's flags.
  bool IsReadOnlyColumn(int32_t col) const;
  // Cells between the editable grid data and the active grid data (the
  // swapped view exchanges row and column); -1 stays -1.
  void DataToActiveCell(int32_t* row, int32_t* col) const;
  void ActiveToDataCell(int32_t* row, int32_t* col) const;
  void SetOwnerName(std::u16string owner) { owner_ = std::move(owner); }

  // ---- operations ----
  // The only way data enters the document. `result` may be null.
  void SetQuery(std::unique_ptr<OciDataset> result, std::u16string owner, std::u16string table,
                bool reset_layout);
  // Asks before dropping unsaved edits; `commit_edit` first commits the
  // open cell editor (hint 1003). False when the user said No.
  bool CanDiscard(bool commit_edit);
  void Clear();
  // Runs the table selection; false when it ended with Cancel.
  bool RunTableSelection(int32_t mode, std::u16string query_file = {});
  // Asks before closing with unsaved edits; false keeps the program open.
  bool CanClose();
  void ToggleSwap();

  // ---- commands ----
  void OnTableSelect();  // 32776
  void OnRefresh();      // 34016
  void OnSave();         // 32772
  void OnClear();        // 34008
  // Enable rules; `has_session` is whether a session is open.
  static bool CanTableSelect(bool has_session) { return has_session; }
  bool CanRefresh(bool has_session) const { return has_session && HasTable(); }
  bool CanSave() const { return HasTable(); }
  bool CanClear() const { return HasTable(); }
  bool CanSwap() const { return HasTable(); }

 private:
  void Hint(int32_t hint, int64_t arg = 0);

  DocumentServices services_;
  std::unique_ptr<OciDataset> result_;
  std::unique_ptr<CEditableGridData> data_;
  CGridData_SwapRowCol swap_view_;
  std::u16string owner_;
  std::u16string table_;
  std::vector<std::u16string> columns_;
  std::u16string condition_typed_;
  std::u16string condition_sent_;
  std::u16string alias_;
  std::u16string last_result_msg_;
  std::vector<bool> read_only_cols_;
  int32_t swap_ = 0;
  int32_t swap_built_ = 0;
};
