#include "app/table_list_dlg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "app/catalog_list_model.h"
#include "app/qt_text.h"
#include "oci/oci_codes.h"
#include "oci/oci_dataset.h"
#include "platform/settings_store.h"
#include "platform/ui_services.h"
#include "sqltext/edit_ctrl.h"
#include "sqltext/str_token.h"

using namespace kestrel;

namespace {

constexpr std::u16string_view kTitle = u"テーブル選択(検索条件設定)";
constexpr std::u16string_view kSection = u"TABLE_DLG";
constexpr std::u16string_view kTableNotFound = u"テーブルが見つかりません";
constexpr std::u16string_view kColumnNotFound = u"カラムが見つかりません";

QString Id(int id) { return QString::number(id); }

QTreeView* MakeList(QWidget* parent, int id, CatalogListModel* model, const std::vector<int>& widths) {
  auto* view = new QTreeView(parent);
  view->setObjectName(Id(id));
  view->setRootIsDecorated(false);
  view->setUniformRowHeights(true);
  view->setAllColumnsShowFocus(true);
  view->setSelectionBehavior(QAbstractItemView::SelectRows);
  view->setModel(model);
  for (std::size_t c = 0; c < widths.size(); ++c) view->setColumnWidth(static_cast<int>(c), widths[c]);
  return view;
}

QPushButton* MakeButton(QWidget* parent, int id, const char* text) {
  auto* b = new QPushButton(QString::fromUtf8(text), parent);
  b->setObjectName(Id(id));
  b->setAutoDefault(false);
  return b;
}

}  // namespace

CTableListDlg::CTableListDlg(Env env, TableSelection& io, QWidget* parent)
    : QDialog(parent), env_(std::move(env)), io_(io), rerun_(io.mode == 1) {
  setObjectName("CTableListDlg");
  setWindowTitle(to_qstring(kTitle));
  BuildControls();
}

CTableListDlg::~CTableListDlg() = default;

void CTableListDlg::BuildControls() {
  owner_combo_ = new QComboBox(this);
  owner_combo_->setObjectName(Id(table_dlg::kOwner));
  filter_edit_ = new QLineEdit(this);
  filter_edit_->setObjectName(Id(table_dlg::kFilter));
  filter_edit_->setAutoFillBackground(true);
  QPushButton* filter_clear = MakeButton(this, table_dlg::kFilterClear, "Clear");

  objects_model_ = std::make_unique<CatalogListModel>(
      QStringList{QStringLiteral("table_name"), QStringLiteral("type"), QStringLiteral("comments")},
      std::vector<bool>{false, false, false});
  objects_ = MakeList(this, table_dlg::kObjects, objects_model_.get(), {200, 70, 200});
  objects_->setSelectionMode(QAbstractItemView::SingleSelection);
  columns_model_ = std::make_unique<CatalogListModel>(
      QStringList{QStringLiteral("column name"), QStringLiteral("data type"), QStringLiteral("length"),
                  QStringLiteral("nullable"), QStringLiteral("comments"), QStringLiteral("no")},
      std::vector<bool>{false, false, true, false, false, true});
  columns_ = MakeList(this, table_dlg::kColumns, columns_model_.get(), {120, 70, 30, 30, 100, 25});
  columns_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  columns_->setContextMenuPolicy(Qt::CustomContextMenu);

  chosen_ = new QTreeWidget(this);
  chosen_->setObjectName(Id(table_dlg::kChosen));
  chosen_->setRootIsDecorated(false);
  chosen_->setHeaderLabels({QStringLiteral("column name")});
  chosen_->setColumnWidth(0, 120);
  chosen_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  chosen_->setAllColumnsShowFocus(true);

  for (QWidget* w : std::initializer_list<QWidget*>{objects_, columns_, chosen_}) w->setFont(env_.grid_font);

  QPushButton* add = MakeButton(this, table_dlg::kAdd, "Add");
  QPushButton* del = MakeButton(this, table_dlg::kDel, "Del");
  QPushButton* clear = MakeButton(this, table_dlg::kClear, "Clear");
  QPushButton* all = MakeButton(this, table_dlg::kAll, "&All");
  auto* updown = new QWidget(this);
  updown->setObjectName(Id(table_dlg::kUpDown));
  auto* up = new QToolButton(updown);
  up->setObjectName("up");
  up->setArrowType(Qt::UpArrow);
  auto* down = new QToolButton(updown);
  down->setObjectName("down");
  down->setArrowType(Qt::DownArrow);
  auto* ud_layout = new QVBoxLayout(updown);
  ud_layout->setContentsMargins(0, 0, 0, 0);
  ud_layout->addStretch();
  ud_layout->addWidget(up);
  ud_layout->addWidget(down);
  ud_layout->addStretch();

  where_ = new CEditCtrl(this);
  where_->setObjectName(Id(table_dlg::kWhere));
  where_->SetTokenizer(env_.tokenizer);
  where_->SetEditorFont(env_.grid_font);
  where_->setMinimumHeight(80);

  // The query definition file arrives with its own piece of work.
  QPushButton* save = MakeButton(this, table_dlg::kSave, "Save...");
  QPushButton* load = MakeButton(this, table_dlg::kLoad, "Load...");
  save->setEnabled(false);
  load->setEnabled(false);
  lock_ = new QCheckBox(QStringLiteral("データをロックする"), this);
  lock_->setObjectName(Id(table_dlg::kDataLock));
  ok_ = new QPushButton(QStringLiteral("OK"), this);
  ok_->setObjectName("1");
  ok_->setDefault(true);
  auto* cancel = new QPushButton(QStringLiteral("キャンセル"), this);
  cancel->setObjectName("2");
  cancel->setAutoDefault(false);

  auto label = [this](const char* text, QWidget* buddy) {
    auto* l = new QLabel(QString::fromUtf8(text), this);
    l->setBuddy(buddy);
    return l;
  };

  auto* top = new QHBoxLayout;
  top->addWidget(label("Owner(&O)", owner_combo_));
  top->addWidget(owner_combo_, 1);
  top->addWidget(label("Filter(&F)", filter_edit_));
  top->addWidget(filter_edit_, 1);
  top->addWidget(filter_clear);

  auto* lists = new QGridLayout;
  lists->addWidget(label("Table(&T)", objects_), 0, 0);
  lists->addWidget(label("Column(&C)", columns_), 0, 1);
  lists->addWidget(objects_, 1, 0);
  lists->addWidget(columns_, 1, 1);
  auto* col_buttons = new QVBoxLayout;
  for (QPushButton* b : {add, del, clear, all}) col_buttons->addWidget(b);
  col_buttons->addStretch();
  lists->addLayout(col_buttons, 1, 2);
  lists->addWidget(chosen_, 1, 3);
  lists->addWidget(updown, 1, 4);
  lists->setColumnStretch(0, 3);
  lists->setColumnStretch(1, 3);
  lists->setColumnStretch(3, 2);

  auto* bottom = new QHBoxLayout;
  bottom->addWidget(save);
  bottom->addWidget(load);
  bottom->addWidget(lock_);
  bottom->addStretch();
  bottom->addWidget(ok_);
  bottom->addWidget(cancel);

  auto* root = new QVBoxLayout(this);
  root->addLayout(top);
  root->addLayout(lists, 3);
  root->addWidget(label("Where(&W)", where_));
  root->addWidget(where_, 1);
  root->addLayout(bottom);
  resize(760, 560);

  connect(owner_combo_, &QComboBox::currentIndexChanged, this, [this](int index) {
    if (index < 0 || static_cast<std::size_t>(index) >= owners_.size()) return;
    LoadObjects(owners_[static_cast<std::size_t>(index)], {});
  });
  connect(filter_edit_, &QLineEdit::textChanged, this, [this](const QString& text) {
    if (filter_.SetText(from_qstring(text))) {
      // Show whether the text compiled.
      QPalette pal = filter_edit_->palette();
      pal.setColor(QPalette::Base, filter_.valid() ? palette().color(QPalette::Base) : QColor(255, 200, 200));
      filter_edit_->setPalette(pal);
      filter_edit_->update();
    }
    RebuildObjectList();
  });
  connect(filter_clear, &QPushButton::clicked, filter_edit_, &QLineEdit::clear);
  connect(objects_->selectionModel(), &QItemSelectionModel::currentRowChanged, this, [this] { LoadColumns(); });
  connect(columns_, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
    QMenu menu(this);
    QAction* copy = menu.addAction(QStringLiteral("Where句へコピー"));
    copy->setData(table_dlg::kCmdWhereCopy);
    copy->setEnabled(columns_->selectionModel()->hasSelection() && !where_->IsReadOnly());
    if (menu.exec(columns_->viewport()->mapToGlobal(at)) == copy) WhereCopy();
  });
  connect(columns_, &QAbstractItemView::doubleClicked, this, [this] { AddMarked(); });
  connect(add, &QPushButton::clicked, this, [this] { AddMarked(); });
  connect(del, &QPushButton::clicked, this, [this] {
    std::vector<int> rows;
    for (QTreeWidgetItem* item : chosen_->selectedItems()) rows.push_back(chosen_->indexOfTopLevelItem(item));
    DeleteChosen(rows);
  });
  connect(clear, &QPushButton::clicked, this, [this] { ClearChosen(); });
  connect(all, &QPushButton::clicked, this, [this] { MarkAllColumns(); });
  connect(up, &QToolButton::clicked, this, [this] { MoveChosen(chosen_->indexOfTopLevelItem(chosen_->currentItem()), -1); });
  connect(down, &QToolButton::clicked, this, [this] { MoveChosen(chosen_->indexOfTopLevelItem(chosen_->currentItem()), 1); });
  connect(ok_, &QPushButton::clicked, this, [this] { OnOK(); });
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void CTableListDlg::ShowError(const std::u16string& text, std::u16string_view title) {
  ui().message_box(text, title, mb::OK | mb::ICONEXCLAMATION);
}

bool CTableListDlg::Open() {
  std::u16string err;
  if (LoadOwnerNames(env_.session, &owners_, &err) != kOciOk) {
    ShowError(err, u"Error");
    return false;
  }
  {
    const QSignalBlocker block(owner_combo_);
    for (const std::u16string& o : owners_) owner_combo_->addItem(to_qstring(o));
    owner_combo_->setCurrentIndex(-1);
  }
  lock_->setChecked(io_.data_lock == 1);
  where_->SetText(io_.condition_typed);

  // A re-run lists the one object it needs, not the whole schema.
  const bool only_table = rerun_ && !io_.table.empty();
  SelectOwner(io_.owner, only_table ? io_.table : std::u16string());
  if (!io_.table.empty()) {
    if (!SelectObject(io_.table)) {
      ShowError(std::u16string(kTableNotFound), u"ERROR");
      return false;
    }
    for (const std::u16string& entry : io_.columns) {
      if (!IsReadOnlyEntry(entry) && FindColumn(columns_data_, entry) == nullptr) {
        ShowError(std::u16string(kColumnNotFound), u"ERROR");
        return false;
      }
      AddEntry(entry);
    }
  }

  if (env_.store != nullptr) {
    const int32_t w = env_.store->get_int(kSection, u"WIDTH", 0);
    const int32_t h = env_.store->get_int(kSection, u"HEIGHT", 0);
    if (w >= table_dlg::kMinRestoredSize && h >= table_dlg::kMinRestoredSize) resize(w, h);
  }
  if (rerun_) {
    ok_->setEnabled(false);
    where_->SetReadOnly(true);
    QTimer::singleShot(1, this, [this] {
      if (!OnOK()) reject();
    });
  }
  return true;
}

bool CTableListDlg::Run() {
  if (!Open()) return false;
  return exec() == QDialog::Accepted;
}

void CTableListDlg::done(int result) {
  if (env_.store != nullptr) {
    SettingsBatch batch(*env_.store);
    env_.store->write_int(kSection, u"WIDTH", width());
    env_.store->write_int(kSection, u"HEIGHT", height());
    batch.commit();
  }
  QDialog::done(result);
}

void CTableListDlg::SelectOwner(const std::u16string& owner, const std::u16string& only_name) {
  auto it = std::find(owners_.begin(), owners_.end(), owner);
  if (it == owners_.end()) return;
  {
    const QSignalBlocker block(owner_combo_);
    owner_combo_->setCurrentIndex(static_cast<int>(it - owners_.begin()));
  }
  LoadObjects(owner, only_name);
}

void CTableListDlg::LoadObjects(const std::u16string& owner, const std::u16string& only_name) {
  std::u16string err;
  std::vector<CatalogObject> objects;
  if (kestrel::LoadObjects(env_.session, owner, only_name, &objects, &err) != kOciOk) {
    ShowError(err, u"Error");
    return;  // the lists stay as they were
  }
  owner_ = owner;
  objects_data_ = std::move(objects);
  object_names_.clear();
  object_names_.reserve(objects_data_.size());
  std::vector<QStringList> rows;
  rows.reserve(objects_data_.size());
  for (const CatalogObject& o : objects_data_) {
    object_names_.push_back(o.name);
    rows.push_back({to_qstring(o.name), to_qstring(o.type), to_qstring(o.comments)});
  }
  columns_data_.clear();
  columns_model_->SetRows({});
  objects_model_->SetRows(std::move(rows));
  RebuildObjectList();
}

void CTableListDlg::RebuildObjectList() {
  const int32_t current = CurrentObject();
  shown_ = filter_.Apply(object_names_);
  objects_model_->SetShown(shown_);
  if (current >= 0) {
    const int row = objects_model_->ShownRow(current);
    if (row >= 0) {
      // The reset dropped the current object silently; put it back the same way.
      const QSignalBlocker block(objects_->selectionModel());
      objects_->selectionModel()->setCurrentIndex(objects_model_->index(row, 0),
                                                  QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    }
  }
}

std::vector<std::u16string> CTableListDlg::ShownObjects() const {
  std::vector<std::u16string> names;
  for (int32_t i : shown_) names.push_back(object_names_[static_cast<std::size_t>(i)]);
  return names;
}

void CTableListDlg::SetFilterText(const std::u16string& text) { filter_edit_->setText(to_qstring(text)); }

int CTableListDlg::CurrentObject() const {
  QModelIndex cur = objects_->selectionModel()->currentIndex();
  return cur.isValid() ? objects_model_->SourceRow(cur.row()) : -1;
}

bool CTableListDlg::SelectObject(const std::u16string& name) {
  auto it = std::find(object_names_.begin(), object_names_.end(), name);
  if (it == object_names_.end()) return false;
  const int32_t source = static_cast<int32_t>(it - object_names_.begin());
  int row = objects_model_->ShownRow(source);
  if (row < 0) {
    // Hidden by the filter: list everything again so the choice is visible.
    filter_edit_->clear();
    row = objects_model_->ShownRow(source);
  }
  if (row < 0) return false;
  const QModelIndex index = objects_model_->index(row, 0);
  objects_->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  objects_->scrollTo(index);
  if (CurrentObject() != source) return false;
  return true;
}

void CTableListDlg::LoadColumns() {
  columns_data_.clear();
  columns_model_->SetRows({});
  const int32_t obj = CurrentObject();
  if (obj < 0) return;
  std::u16string err;
  std::vector<CatalogColumn> cols;
  if (kestrel::LoadColumns(env_.session, owner_, objects_data_[static_cast<std::size_t>(obj)], &cols, &err) !=
      kOciOk) {
    ShowError(err, u"Error");
    return;
  }
  columns_data_ = std::move(cols);
  std::vector<QStringList> rows;
  rows.reserve(columns_data_.size());
  for (const CatalogColumn& c : columns_data_) {
    rows.push_back({to_qstring(c.name), to_qstring(c.type), to_qstring(c.length), to_qstring(c.nullable),
                    to_qstring(c.comments), QString::number(c.no)});
  }
  columns_model_->SetRows(std::move(rows));
}

std::vector<std::u16string> CTableListDlg::ColumnNames() const {
  std::vector<std::u16string> names;
  for (const CatalogColumn& c : columns_data_) names.push_back(c.name);
  return names;
}

void CTableListDlg::MarkColumns(const std::vector<std::u16string>& names) {
  QItemSelectionModel* sel = columns_->selectionModel();
  sel->clearSelection();
  for (int r = 0; r < columns_model_->rowCount(); ++r) {
    const CatalogColumn& c = columns_data_[static_cast<std::size_t>(columns_model_->SourceRow(r))];
    if (std::find(names.begin(), names.end(), c.name) != names.end())
      sel->select(columns_model_->index(r, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
  }
}

void CTableListDlg::MarkAllColumns() { columns_->selectAll(); }

void CTableListDlg::AddEntry(const std::u16string& entry) {
  auto* item = new QTreeWidgetItem(chosen_, QStringList{to_qstring(entry)});
  item->setData(0, Qt::UserRole, to_qstring(entry));
}

void CTableListDlg::AddMarked() {
  const std::vector<std::u16string> chosen = Chosen();
  QModelIndexList rows = columns_->selectionModel()->selectedRows();
  std::sort(rows.begin(), rows.end(), [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
  for (const QModelIndex& index : rows) {
    const CatalogColumn& c = columns_data_[static_cast<std::size_t>(columns_model_->SourceRow(index.row()))];
    // A column chosen twice would be loaded, edited and saved twice.
    if (std::find(chosen.begin(), chosen.end(), c.name) != chosen.end()) continue;
    AddEntry(c.name);
  }
}

void CTableListDlg::DeleteChosen(const std::vector<int>& rows) {
  std::vector<int> sorted = rows;
  std::sort(sorted.rbegin(), sorted.rend());
  for (int r : sorted)
    if (r >= 0 && r < chosen_->topLevelItemCount()) delete chosen_->takeTopLevelItem(r);
}

void CTableListDlg::ClearChosen() { chosen_->clear(); }

std::vector<std::u16string> CTableListDlg::Chosen() const {
  std::vector<std::u16string> out;
  for (int i = 0; i < chosen_->topLevelItemCount(); ++i)
    out.push_back(from_qstring(chosen_->topLevelItem(i)->data(0, Qt::UserRole).toString()));
  return out;
}

void CTableListDlg::MoveChosen(int row, int delta) {
  const int to = row + delta;
  if (row < 0 || row >= chosen_->topLevelItemCount() || to < 0 || to >= chosen_->topLevelItemCount()) return;
  QTreeWidgetItem* item = chosen_->takeTopLevelItem(row);
  chosen_->insertTopLevelItem(to, item);
  chosen_->setCurrentItem(item);
}

void CTableListDlg::WhereCopy() {
  if (where_->IsReadOnly() || env_.tokenizer == nullptr) return;
  std::vector<std::u16string> names;
  QModelIndexList rows = columns_->selectionModel()->selectedRows();
  std::sort(rows.begin(), rows.end(), [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
  for (const QModelIndex& index : rows)
    names.push_back(columns_data_[static_cast<std::size_t>(columns_model_->SourceRow(index.row()))].name);
  CEditData* data = where_->GetEditData();
  const std::u16string before = data->GetText(EditPos{0, 0}, data->GetSelStart());
  const std::u16string text = WhereCopyText(*env_.tokenizer, names, before);
  if (!text.empty()) where_->InsertAtCaret(text);
  where_->setFocus();
}

bool CTableListDlg::OnOK() {
  const int32_t obj = CurrentObject();
  if (obj < 0) return false;
  if (chosen_->topLevelItemCount() == 0) {
    MarkAllColumns();
    AddMarked();
  }
  const CStrToken* tok = env_.tokenizer;
  const std::u16string typed = where_->GetText();
  const std::u16string sent = tok ? PrefixCondition(*tok, typed) : typed;
  const std::vector<std::u16string> entries = Chosen();
  if (std::u16string bad = UnsupportedColumnMessage(entries, columns_data_); !bad.empty()) {
    ShowError(bad, u"ERROR");
    return false;
  }
  std::u16string err;
  if (RollbackBeforeQuery(env_.session, &err) != kOciOk) {
    ShowError(err, u"Error");
    return false;
  }
  SelectRequest req;
  req.owner = owner_;
  req.table = objects_data_[static_cast<std::size_t>(obj)].name;
  req.alias = io_.alias;
  req.entries = entries;
  req.condition = sent;
  req.data_lock = lock_->isChecked();
  std::u16string sql;
  if (tok == nullptr || BuildQueryStatement(env_.session, *tok, req, &sql, &err) != kOciOk) {
    ShowError(err, u"ERROR");
    return false;
  }
  auto result = std::make_unique<OciDataset>();
  std::u16string msg;
  const int rc = env_.run_query ? env_.run_query(env_.session, sql, result.get(), &msg) : kOciInternal;
  if (!AcceptQueryResult(rc, *result, &msg)) {
    ShowError(msg, u"ERROR");
    return false;
  }
  io_.owner = req.owner;
  io_.table = req.table;
  io_.condition_typed = typed;
  io_.condition_sent = sent;
  io_.data_lock = req.data_lock ? 1 : 0;
  io_.columns = entries;
  io_.sql = std::move(sql);
  io_.result = std::move(result);
  accept();
  return true;
}
