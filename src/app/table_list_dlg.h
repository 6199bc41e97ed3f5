// CTableListDlg, "テーブル選択(検索条件設定)" (dialog 131): the user picks an
// owner, a table, view or synonym, the columns to show and a condition; OK
// builds the SELECT, runs it behind the query progress dialog and hands the
// open result back. In re-run mode the same steps run without interaction
// (refresh, re-query after a save).
#pragma once

#include <QDialog>
#include <QFont>
#include <memory>
#include <string>
#include <vector>

#include "app/object_filter.h"
#include "app/table_catalog.h"
#include "app/table_query.h"
#include "app/tern_doc.h"

class CEditCtrl;
class CStrToken;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QTreeView;
class QTreeWidget;
struct OciSession;

namespace kestrel {
class SettingsStore;
class CatalogListModel;

// Control ids of dialog 131, kept as the widgets' object names.
namespace table_dlg {
inline constexpr int kOwner = 1100;
inline constexpr int kFilter = 1036;
inline constexpr int kFilterClear = 1041;
inline constexpr int kObjects = 1010;
inline constexpr int kColumns = 1007;
inline constexpr int kAdd = 1043;
inline constexpr int kDel = 1045;
inline constexpr int kClear = 1047;
inline constexpr int kAll = 1012;
inline constexpr int kChosen = 1027;
inline constexpr int kUpDown = 1050;
inline constexpr int kSave = 1032;
inline constexpr int kLoad = 1034;
inline constexpr int kDataLock = 1031;
inline constexpr int kWhere = 1200;  // the condition editor, made at run time
inline constexpr uint32_t kCmdWhereCopy = 34014;
inline constexpr int kMinRestoredSize = 201;
}  // namespace table_dlg

}  // namespace kestrel

class CTableListDlg : public QDialog {
 public:
  struct Env {
    OciSession* session = nullptr;
    const CStrToken* tokenizer = nullptr;
    QFont grid_font;
    kestrel::SettingsStore* store = nullptr;  // TABLE_DLG/WIDTH, HEIGHT; may be null
    kestrel::QueryRunner run_query;
  };

  CTableListDlg(Env env, TableSelection& io, QWidget* parent = nullptr);
  ~CTableListDlg() override;

  // Opens the lists and, in re-run mode, presses OK itself. False when the
  // opening failed (the reason has been shown): the dialog is not to run.
  bool Open();
  // Open, then the modal loop; true on OK with `io` filled.
  bool Run();

  // ---- the steps, public for tests ----
  // Selects the owner and lists its objects (only `only_name` when set).
  void SelectOwner(const std::u16string& owner, const std::u16string& only_name = {});
  bool SelectObject(const std::u16string& name);
  void SetFilterText(const std::u16string& text);
  bool FilterValid() const { return filter_.valid(); }
  std::vector<std::u16string> ShownObjects() const;
  std::vector<std::u16string> ColumnNames() const;
  // Marks columns of the column list by name (others unmarked).
  void MarkColumns(const std::vector<std::u16string>& names);
  void MarkAllColumns();
  void AddMarked();
  void DeleteChosen(const std::vector<int>& rows);
  void ClearChosen();
  std::vector<std::u16string> Chosen() const;
  // Moves the chosen entry at `row` one place (-1 up, +1 down).
  void MoveChosen(int row, int delta);
  void WhereCopy();
  CEditCtrl* WhereEditor() const { return where_; }
  QTreeView* ObjectList() const { return objects_; }
  QTreeView* ColumnList() const { return columns_; }
  // The OK steps; true when the dialog ended with OK.
  bool OnOK();

 protected:
  void done(int result) override;

 private:
  void BuildControls();
  void LoadObjects(const std::u16string& owner, const std::u16string& only_name);
  void RebuildObjectList();
  void LoadColumns();
  void AddEntry(const std::u16string& entry);
  int CurrentObject() const;  // index into objects_data_, or -1
  void ShowError(const std::u16string& text, std::u16string_view title);

  Env env_;
  TableSelection& io_;
  bool rerun_ = false;
  std::vector<std::u16string> owners_;
  std::vector<kestrel::CatalogObject> objects_data_;
  std::vector<std::u16string> object_names_;
  std::vector<int32_t> shown_;  // positions in objects_data_ of the listed objects
  std::vector<kestrel::CatalogColumn> columns_data_;
  kestrel::ObjectFilter filter_;
  std::u16string owner_;

  QComboBox* owner_combo_ = nullptr;
  QLineEdit* filter_edit_ = nullptr;
  QTreeView* objects_ = nullptr;
  QTreeView* columns_ = nullptr;
  std::unique_ptr<kestrel::CatalogListModel> objects_model_;
  std::unique_ptr<kestrel::CatalogListModel> columns_model_;
  QTreeWidget* chosen_ = nullptr;
  CEditCtrl* where_ = nullptr;
  QCheckBox* lock_ = nullptr;
  QPushButton* ok_ = nullptr;
};
