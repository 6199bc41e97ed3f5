#include "app/connect_info_dlg.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <cstdio>

#include "app/connect_info_edit_dlg.h"
#include "app/qt_text.h"
#include "platform/format.h"
#include "platform/ui_services.h"
#include "platform/utf16.h"

namespace kestrel {

void fill_profile_row(QTreeWidgetItem* item, const ConnectProfile& p) {
  item->setText(0, to_qstring(p.user));
  item->setText(1, p.password.empty() ? QString() : QStringLiteral("*****"));
  item->setText(2, to_qstring(p.tns));
  item->setText(3, to_qstring(connect_mode_text(p.connect_mode)));
  item->setText(4, p.oci7 == 1 ? QStringLiteral("OCI7") : QString());
  item->setText(5, to_qstring(p.notes));
}

QStringList profile_column_captions() {
  return {QStringLiteral("USER"), QStringLiteral("PASSWD"), QStringLiteral("TNS"),
          QStringLiteral("MODE"), QStringLiteral("OCI7"),   QStringLiteral("NOTES")};
}

}  // namespace kestrel

using namespace kestrel;

namespace {
constexpr std::u16string_view kDlgSection = u"CONNECT_INFO_DLG";
constexpr int kColumnWidths[] = {80, 80, 80, 70, 40, 100};
}  // namespace

CConnectInfoDlg::CConnectInfoDlg(SettingsStore& profile_store, SettingsStore* own_store, QWidget* parent)
    : QDialog(parent), profile_store_(profile_store), own_store_(own_store) {
  setObjectName("CConnectInfoDlg");
  setWindowTitle(QStringLiteral("ログイン情報の設定"));
  list_ = new QTreeWidget(this);
  list_->setObjectName("PROFILES");
  list_->setRootIsDecorated(false);
  list_->setHeaderLabels(profile_column_captions());
  for (int c = 0; c < 6; ++c) list_->setColumnWidth(c, kColumnWidths[c]);

  add_ = new QPushButton(QStringLiteral("ADD"), this);
  edit_ = new QPushButton(QStringLiteral("EDIT"), this);
  copy_ = new QPushButton(QStringLiteral("COPY"), this);
  up_ = new QPushButton(QStringLiteral("&UP"), this);
  down_ = new QPushButton(QStringLiteral("&DOWN"), this);
  del_ = new QPushButton(QStringLiteral("DEL"), this);
  auto* side = new QVBoxLayout;
  for (QPushButton* b : {add_, edit_, copy_, up_, down_, del_}) {
    b->setAutoDefault(false);
    side->addWidget(b);
  }
  side->addStretch(1);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &CConnectInfoDlg::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &CConnectInfoDlg::reject);
  auto* row = new QHBoxLayout;
  row->addWidget(list_, 1);
  row->addLayout(side);
  auto* box = new QVBoxLayout(this);
  box->addLayout(row, 1);
  box->addWidget(buttons);

  connect(add_, &QPushButton::clicked, this, [this] { on_add(); });
  connect(edit_, &QPushButton::clicked, this, [this] { on_edit(); });
  connect(copy_, &QPushButton::clicked, this, [this] { on_copy(); });
  connect(up_, &QPushButton::clicked, this, [this] { on_move(-1); });
  connect(down_, &QPushButton::clicked, this, [this] { on_move(1); });
  connect(del_, &QPushButton::clicked, this, [this] { on_delete(); });
  connect(list_, &QTreeWidget::itemSelectionChanged, this, [this] { update_buttons(); });
  connect(list_, &QTreeWidget::itemDoubleClicked, this, [this] { on_edit(); });

  edit_profile = [this](ConnectProfile& p) {
    CConnectInfoEditDlg dlg(p, own_store_, this);
    if (dlg.exec() != QDialog::Accepted) return false;
    p = dlg.profile();
    return true;
  };

  resize(560, 320);
  if (own_store_) {
    const int w = own_store_->get_int(kDlgSection, u"WIDTH", 0);
    const int h = own_store_->get_int(kDlgSection, u"HEIGHT", 0);
    if (w > 0 && h > 0) resize(std::max(w, 300), std::max(h, 200));
  }

  ProfileList stored = load_profiles(profile_store_);
  profiles_ = std::move(stored.profiles);
  rebuild(profiles_.empty() ? -1 : 0);
  if (stored.undecodable > 0)
    ui().message_box(format(u"%d件のパスワードを読み取れませんでした。空のパスワードとして表示します。",
                            {stored.undecodable}),
                     u"Message", mb::OK | mb::ICONEXCLAMATION);
}

CConnectInfoDlg::~CConnectInfoDlg() = default;

int CConnectInfoDlg::selected() const {
  const QTreeWidgetItem* item = list_->currentItem();
  if (!item || !item->isSelected()) return -1;
  return list_->indexOfTopLevelItem(const_cast<QTreeWidgetItem*>(item));
}

void CConnectInfoDlg::rebuild(int select) {
  list_->clear();
  for (const ConnectProfile& p : profiles_) fill_profile_row(new QTreeWidgetItem(list_), p);
  if (select >= 0 && select < list_->topLevelItemCount()) {
    QTreeWidgetItem* item = list_->topLevelItem(select);
    list_->setCurrentItem(item);
    item->setSelected(true);
  }
  update_buttons();
}

void CConnectInfoDlg::update_buttons() {
  const int i = selected();
  const bool any = i >= 0;
  edit_->setEnabled(any);
  copy_->setEnabled(any);
  up_->setEnabled(any);
  down_->setEnabled(any);
  del_->setEnabled(any);
}

void CConnectInfoDlg::on_add() {
  ConnectProfile p;
  if (!edit_profile(p)) return;
  profiles_.push_back(std::move(p));
  rebuild(static_cast<int>(profiles_.size()) - 1);
}

void CConnectInfoDlg::on_edit() {
  const int i = selected();
  if (i < 0) return;
  ConnectProfile p = profiles_[static_cast<std::size_t>(i)];
  if (!edit_profile(p)) return;
  profiles_[static_cast<std::size_t>(i)] = std::move(p);
  rebuild(i);
}

void CConnectInfoDlg::on_copy() {
  const int i = selected();
  if (i < 0) return;
  ConnectProfile p = profiles_[static_cast<std::size_t>(i)];
  if (!edit_profile(p)) return;
  profiles_.push_back(std::move(p));
  rebuild(static_cast<int>(profiles_.size()) - 1);
}

void CConnectInfoDlg::on_move(int by) {
  const int i = selected();
  const int j = i + by;
  if (i < 0 || j < 0 || j >= static_cast<int>(profiles_.size())) return;
  std::swap(profiles_[static_cast<std::size_t>(i)], profiles_[static_cast<std::size_t>(j)]);
  rebuild(j);
}

void CConnectInfoDlg::on_delete() {
  const int i = selected();
  if (i < 0) return;
  profiles_.erase(profiles_.begin() + i);
  rebuild(std::min(i, static_cast<int>(profiles_.size()) - 1));
}

void CConnectInfoDlg::accept() {
  std::u16string error;
  if (!save_profiles(profile_store_, profiles_, &error)) {
    ui().message_box(error, u"Error", mb::OK | mb::ICONEXCLAMATION);
    return;
  }
  QDialog::accept();
}

void CConnectInfoDlg::done(int r) {
  if (own_store_) {
    SettingsBatch batch(*own_store_);
    own_store_->write_int(kDlgSection, u"WIDTH", width());
    own_store_->write_int(kDlgSection, u"HEIGHT", height());
    if (!batch.commit()) std::fputs("kestrel: the profile list size could not be saved\n", stderr);
  }
  QDialog::done(r);
}
