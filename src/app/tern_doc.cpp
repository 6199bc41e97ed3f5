#include "app/tern_doc.h"

#include <algorithm>
#include <utility>

#include "app/select_builder.h"
#include "app/view_hints.h"
#include "oci/oci_dataset.h"
#include "platform/format.h"
#include "platform/ui_services.h"

namespace {

constexpr std::u16string_view kMessageTitle = u"MESSAGE";
constexpr std::u16string_view kErrorTitle = u"ERROR";

// Shows the wait cursor for one scope.
class BusyCursor {
 public:
  BusyCursor() { kestrel::ui().set_busy_cursor(true); }
  ~BusyCursor() { kestrel::ui().set_busy_cursor(false); }
  BusyCursor(const BusyCursor&) = delete;
  BusyCursor& operator=(const BusyCursor&) = delete;
};

bool AskYesNo(std::u16string_view text, uint32_t icon) {
  return kestrel::ui().message_box(text, kMessageTitle, kestrel::mb::YESNO | icon) == kestrel::IDYES;
}

}  // namespace

CTernDoc::CTernDoc(DocumentServices services, std::unique_ptr<CEditableGridData> data)
    : services_(std::move(services)), data_(std::move(data)) {
  swap_view_.InitSwapView(data_.get());
}

CTernDoc::~CTernDoc() = default;

void CTernDoc::Hint(int32_t hint, int64_t arg) {
  if (services_.update_views) services_.update_views(hint, arg);
}

CGridData* CTernDoc::GetActiveGridData() {
  if (swap_ == 1) return &swap_view_;
  if (data_->IsFilterActive() && data_->GetFilter() != nullptr) return data_->GetFilter();
  return data_.get();
}

bool CTernDoc::IsReadOnlyColumn(int32_t col) const {
  return col >= 0 && static_cast<std::size_t>(col) < read_only_cols_.size() &&
         read_only_cols_[static_cast<std::size_t>(col)];
}

void CTernDoc::DataToActiveCell(int32_t* row, int32_t* col) const {
  // The filter view keeps the rows of the editable data in their order; its
  // own numbering arrives with the filter.
  if (swap_ == 1) std::swap(*row, *col);
}

void CTernDoc::ActiveToDataCell(int32_t* row, int32_t* col) const {
  if (swap_ == 1) std::swap(*row, *col);
}

void CTernDoc::SetQuery(std::unique_ptr<OciDataset> result, std::u16string owner, std::u16string table,
                        bool reset_layout) {
  BusyCursor busy;
  owner_ = std::move(owner);
  table_ = std::move(table);
  // The grid data still points into the old result: empty it first.
  OciDataset* shown = table_.empty() ? nullptr : result.get();
  if (services_.load) {
    services_.load(data_, nullptr, owner_, table_, 0);
  }
  result_ = std::move(result);
  read_only_cols_.clear();
  swap_built_ = 0;
  if (shown == nullptr) {
    result_.reset();
    swap_view_.InitSwapView(data_.get());
    Hint(kestrel::hint::kLoaded, 0);
    return;
  }
  int32_t data_lock = services_.data_lock ? services_.data_lock() : 0;
  if (services_.load) services_.load(data_, shown, owner_, table_, data_lock);
  if (data_->IsFilterActive()) Hint(kestrel::hint::kFilterClear);

  std::vector<std::u16string> virtual_cols;
  if (services_.virtual_columns) virtual_cols = services_.virtual_columns(owner_, table_);
  read_only_cols_.assign(columns_.size(), false);
  for (std::size_t i = 0; i < columns_.size(); ++i) {
    const std::u16string& entry = columns_[i];
    bool read_only = kestrel::IsReadOnlyEntry(entry) ||
                     std::find(virtual_cols.begin(), virtual_cols.end(), entry) != virtual_cols.end();
    if (read_only) {
      read_only_cols_[i] = true;
      data_->SetColFlags(static_cast<int32_t>(i), 0);
    }
  }
  swap_view_.InitSwapView(data_.get());
  if (swap_ == 1) swap_built_ = 1;
  Hint(kestrel::hint::kLoaded, reset_layout ? 1 : 0);
}

bool CTernDoc::CanDiscard(bool commit_edit) {
  if (!HasTable()) return true;
  if (commit_edit) Hint(kestrel::hint::kCommitCellEdit);
  if (!data_->IsModified()) return true;
  return AskYesNo(u"編集中のデータは保存されません。よろしいですか？", kestrel::mb::ICONQUESTION);
}

void CTernDoc::Clear() { SetQuery(nullptr, {}, {}, true); }

bool CTernDoc::RunTableSelection(int32_t mode, std::u16string query_file) {
  if (!services_.run_table_selection) return false;
  if (owner_.empty() && services_.current_user) owner_ = services_.current_user();
  TableSelection sel;
  sel.mode = mode;
  sel.swap = swap_;
  sel.owner = owner_;
  sel.table = table_;
  sel.alias = alias_;
  sel.condition_typed = condition_typed_;
  sel.condition_sent = condition_sent_;
  sel.data_lock = services_.data_lock ? services_.data_lock() : 0;
  sel.query_file = std::move(query_file);
  sel.columns = columns_;
  if (!services_.run_table_selection(sel)) return false;

  // Widths are kept only when the same columns of the same table come back.
  bool reset_layout = sel.owner != owner_ || sel.table != table_ || sel.columns != columns_;
  condition_typed_ = std::move(sel.condition_typed);
  condition_sent_ = std::move(sel.condition_sent);
  alias_ = std::move(sel.alias);
  if (sel.swap == 1 && swap_ != 1) {
    swap_ = 1;
    Hint(kestrel::hint::kSwapChanged);
  }
  if (services_.set_data_lock) services_.set_data_lock(sel.data_lock);
  columns_ = std::move(sel.columns);
  SetQuery(std::move(sel.result), std::move(sel.owner), std::move(sel.table), reset_layout);
  return true;
}

bool CTernDoc::CanClose() {
  if (!HasTable()) return true;
  Hint(kestrel::hint::kCommitCellEdit);
  if (!data_->IsModified()) return true;
  return AskYesNo(u"アプリケーションを終了します。\n編集中のデータは保存されません。よろしいですか？",
                  kestrel::mb::ICONQUESTION);
}

void CTernDoc::ToggleSwap() {
  if (swap_ == 0) {
    swap_ = 1;
    if (swap_built_ == 0) {
      swap_view_.InitSwapView(data_.get());
      swap_built_ = 1;
    }
  } else {
    swap_ = 0;
  }
  Hint(kestrel::hint::kSwapChanged);
}

void CTernDoc::OnTableSelect() {
  // The open cell edit is committed first so that it counts as an edit.
  if (!CanDiscard(true)) return;
  RunTableSelection(0);
}

void CTernDoc::OnRefresh() {
  if (!HasTable() || !CanDiscard(true)) return;
  RunTableSelection(1);
}

void CTernDoc::OnClear() {
  if (!CanDiscard(true)) return;
  Clear();
}

void CTernDoc::OnSave() {
  if (!HasTable()) return;
  {
    BusyCursor busy;
    Hint(kestrel::hint::kCommitCellEdit);
  }
  std::u16string counts = kestrel::format(u"  delete: %d\n  insert: %d\n  update: %d\n",
                                          {data_->GetDeletedRowCnt(), data_->GetInsertedRowCnt(),
                                           data_->GetUpdatedRowCnt()});
  if (!AskYesNo(kestrel::format(u"編集結果を保存します。\nよろしいですか？\n\n%s", {counts}),
                kestrel::mb::ICONQUESTION)) {
    return;
  }
  if (!services_.save) return;
  int32_t row = -1;
  int32_t col = -1;
  last_result_msg_.clear();
  int32_t rc = services_.save(*data_, &last_result_msg_, &row, &col);
  if (rc != 0) {
    kestrel::ui().message_box(last_result_msg_, kErrorTitle, kestrel::mb::OK | kestrel::mb::ICONEXCLAMATION);
    Hint(kestrel::hint::kSaveFailed, kestrel::hint::PackCell(row, col));
    return;
  }
  if (AskYesNo(kestrel::format(u"%s\n再検索しますか？", {last_result_msg_}), kestrel::mb::ICONINFORMATION)) {
    // The edits are committed: a re-run that does not load must not leave
    // them pending, or the next save would write them again.
    if (RunTableSelection(1)) return;
  }
  Clear();
}
