#include "app/login_dlg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QSignalBlocker>
#include <QLineEdit>
#include <QMenu>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <cstdio>
#include <system_error>

#include "app/connect_info_dlg.h"
#include "app/login_filter_history.h"
#include "app/qt_text.h"
#include "app/session_control.h"
#include "oci/oci_codes.h"
#include "oci/oci_library.h"
#include "oci/oci_session.h"
#include "platform/environment.h"
#include "platform/format.h"
#include "platform/ui_services.h"
#include "platform/utf16.h"

#ifndef KESTREL_VERSION
#define KESTREL_VERSION "0.0"
#endif

namespace kestrel {

namespace {
constexpr std::u16string_view kSection = u"CONNECT_INFO";
constexpr int kMaxTnsEntries = 1000;  // never loop far past the keys present

struct ModeItem {
  const char* text;
  int32_t value;
};
constexpr ModeItem kModes[] = {{"NORMAL", 1}, {"SYSDBA", 2}, {"SYSOPER", 4}};
}  // namespace

std::vector<std::u16string> load_tns_list(const SettingsStore& store) {
  std::vector<std::u16string> list;
  const int32_t count = std::clamp(store.get_int(kSection, u"TNS_COMBO_LIST_CNT", 0), 0, kMaxTnsEntries);
  for (int32_t i = 0; i < count; ++i) {
    std::u16string name = store.get_string(kSection, format(u"TNS_COMBO_LIST_STR_%d", {i}), u"");
    if (!name.empty()) list.push_back(std::move(name));
  }
  return list;
}

bool remember_tns(SettingsStore& store, const std::u16string& tns) {
  if (tns.empty()) return true;  // empty entries are skipped when read: nothing to remember
  std::vector<std::u16string> list = load_tns_list(store);
  if (std::find(list.begin(), list.end(), tns) != list.end()) return true;
  list.push_back(tns);
  std::sort(list.begin(), list.end());
  SettingsBatch batch(store);
  bool ok = true;
  for (std::size_t i = 0; i < list.size(); ++i)
    ok = store.write_string(kSection, format(u"TNS_COMBO_LIST_STR_%d", {static_cast<int>(i)}), list[i]) && ok;
  ok = store.write_int(kSection, u"TNS_COMBO_LIST_CNT", static_cast<int32_t>(list.size())) && ok;
  return batch.commit() && ok;
}

}  // namespace kestrel

using namespace kestrel;

CLogin::CLogin(int mode, const LoginValues& prefill, SettingsStore& profile_store, SettingsStore* own_store,
               QWidget* parent)
    : QDialog(parent), mode_kind_(mode), profile_store_(profile_store), own_store_(own_store) {
  // A top-level window of its own, with a task-bar entry.
  setWindowFlag(Qt::Window, true);
  setWindowTitle(to_qstring(format(kLoginTitleFormat, {kLoginCaption, u16(KESTREL_VERSION), u"64bit"})));
  resize(350, 300);

  auto* form = new QFormLayout;
  user_ = new QLineEdit(this);
  user_->setObjectName("USER");
  password_ = new QLineEdit(this);
  password_->setObjectName("PASSWORD");
  password_->setEchoMode(QLineEdit::Password);
  tns_ = new QComboBox(this);
  tns_->setObjectName("TNS");
  tns_->setEditable(true);
  tns_->setInsertPolicy(QComboBox::NoInsert);
  mode_ = new QComboBox(this);
  mode_->setObjectName("MODE");
  for (const ModeItem& m : kModes) mode_->addItem(QString::fromLatin1(m.text), m.value);
  oci7_ = new QCheckBox(QStringLiteral("OCI7 APIを使用する"), this);
  oci7_->setObjectName("OCI7");
  form->addRow(QStringLiteral("USER"), user_);
  form->addRow(QStringLiteral("PASSWORD"), password_);
  form->addRow(QStringLiteral("TNS"), tns_);
  form->addRow(QStringLiteral("MODE"), mode_);
  form->addRow(QString(), oci7_);

  filter_ = new QComboBox(this);
  filter_->setObjectName("FILTER");
  filter_->setEditable(true);
  filter_->setInsertPolicy(QComboBox::NoInsert);
  list_ = new QTreeWidget(this);
  list_->setObjectName("PROFILES");
  list_->setRootIsDecorated(false);
  list_->setHeaderLabels(profile_column_captions());
  const int widths[] = {80, 80, 80, 70, 40, 100};
  for (int c = 0; c < 6; ++c) list_->setColumnWidth(c, widths[c]);
  list_->setSortingEnabled(true);
  list_->sortByColumn(-1, Qt::AscendingOrder);
  add_profile_ = new QPushButton(to_qstring(kAddProfileCaption), this);
  add_profile_->setAutoDefault(false);
  edit_profiles_ = new QPushButton(to_qstring(kEditProfilesCaption), this);
  edit_profiles_->setAutoDefault(false);
  connect(filter_, &QComboBox::editTextChanged, this, [this] { rebuild_list(); });
  filter_->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(filter_, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
    QMenu menu(this);
    const struct {
      uint32_t id;
      const char16_t* text;
    } items[] = {{kFilterAddToList, u"リストに追加"}, {kFilterRemoveFromList, u"リストから削除"},
                 {kFilterClear, u"フィルタをクリア"}};
    for (const auto& item : items) {
      const uint32_t id = item.id;
      menu.addAction(to_qstring(item.text), this, [this, id] { run_filter_command(id); });
    }
    menu.exec(filter_->mapToGlobal(at));
  });
  connect(list_, &QTreeWidget::currentItemChanged, this, [this] { on_profile_selected(); });
  user_->installEventFilter(this);
  password_->installEventFilter(this);
  connect(list_, &QTreeWidget::itemDoubleClicked, this, [this] {
    if (!user_->text().isEmpty() || !password_->text().isEmpty() || !tns_->currentText().isEmpty()) on_ok();
  });
  connect(add_profile_, &QPushButton::clicked, this, [this] { on_add_profile(); });
  connect(edit_profiles_, &QPushButton::clicked, this, [this] {
    CConnectInfoDlg dlg(profile_store_, own_store_, this);
    if (dlg.exec() == QDialog::Accepted) reload_profiles();
  });

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  ok_ = buttons->button(QDialogButtonBox::Ok);
  connect(ok_, &QPushButton::clicked, this, [this] { on_ok(); });
  connect(buttons, &QDialogButtonBox::rejected, this, &CLogin::reject);
  auto* box = new QVBoxLayout(this);
  box->addLayout(form);
  box->addWidget(filter_);
  box->addWidget(list_, 1);
  auto* row = new QHBoxLayout;
  row->addWidget(add_profile_);
  row->addWidget(edit_profiles_);
  row->addStretch(1);
  row->addWidget(buttons);
  box->addLayout(row);
  resize(560, 420);
  restore_geometry();
  set_filter_history_files(user_filter_history_file(), program_folder() / "data" / "login_filter.txt");
  reload_profiles();

  for (const std::u16string& t : load_tns_list(profile_store_)) tns_->addItem(to_qstring(t));
  user_->setText(to_qstring(prefill.user));
  tns_->setEditText(to_qstring(prefill.tns));
  const int index = prefill.connect_mode == 2 ? 1 : prefill.connect_mode == 4 ? 2 : 0;
  mode_->setCurrentIndex(index);
  oci7_->setChecked(prefill.oci7);

  const OciProcess& proc = oci_process();
  if (!proc.newer_usable) {
    // The old interface knows only the normal connect mode.
    mode_->setCurrentIndex(0);
    mode_->setEnabled(false);
  } else if (!proc.env_initialised) {
    try {
      env_thread_ = std::thread([] { oci_init_env(nullptr); });
    } catch (const std::system_error&) {
      ui().message_box(kThreadCreateError, u"ERROR", mb::OK | mb::ICONEXCLAMATION);
    }
  }
  if (mode_kind_ == kLoginStartup && !prefill.user.empty())
    password_->setFocus();
  else
    user_->setFocus();
}

CLogin::~CLogin() {
  join_env_thread();
  if (session_) close_session(&session_);
}

void CLogin::join_env_thread() {
  if (env_thread_.joinable()) env_thread_.join();
}

OciSession* CLogin::take_session() {
  OciSession* s = session_;
  session_ = nullptr;
  return s;
}

LoginValues CLogin::read_fields() const {
  LoginValues v;
  v.user = from_qstring(user_->text());
  v.password = from_qstring(password_->text());
  v.tns = from_qstring(tns_->currentText());
  v.connect_mode = mode_->isEnabled() ? mode_->currentData().toInt() : 1;
  v.oci7 = oci7_->isChecked();
  return v;
}

void CLogin::set_filter_history_files(std::filesystem::path user_file, std::filesystem::path seed_file) {
  history_file_ = std::move(user_file);
  history_ = load_filter_history(history_file_, seed_file);
  fill_history_items();
}

void CLogin::fill_history_items() {
  const QString text = filter_->currentText();
  QSignalBlocker block(filter_);
  filter_->clear();
  for (const std::u16string& h : history_) filter_->addItem(to_qstring(h));
  filter_->setEditText(text);
}

void CLogin::run_filter_command(uint32_t id) {
  const std::u16string text = from_qstring(filter_->currentText());
  if (id == kFilterAddToList) {
    if (!add_to_filter_history(history_, text)) return;
  } else if (id == kFilterRemoveFromList) {
    remove_from_filter_history(history_, text);
  } else if (id == kFilterClear) {
    filter_->setEditText(QString());
    return;
  } else {
    return;
  }
  fill_history_items();
}

void CLogin::reload_profiles() {
  profiles_ = load_profiles(profile_store_).profiles;
  rebuild_list();
}

void CLogin::rebuild_list() {
  QSignalBlocker block(list_);
  list_->clear();
  for (std::size_t i : filter_profiles(profiles_, from_qstring(filter_->currentText()))) {
    const ConnectProfile& p = profiles_[i];
    auto* item = new QTreeWidgetItem(list_);
    fill_profile_row(item, p);
    item->setData(0, Qt::UserRole, static_cast<qulonglong>(i));
  }
}

bool CLogin::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress && (watched == user_ || watched == password_)) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if ((key == Qt::Key_Up || key == Qt::Key_Down) && list_->topLevelItemCount() > 0) {
      QTreeWidgetItem* cur = list_->currentItem();
      QTreeWidgetItem* next = !cur ? list_->topLevelItem(key == Qt::Key_Down ? 0 : list_->topLevelItemCount() - 1)
                              : key == Qt::Key_Down ? list_->itemBelow(cur)
                                                    : list_->itemAbove(cur);
      if (next) list_->setCurrentItem(next);
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}

void CLogin::on_profile_selected() {
  const QTreeWidgetItem* item = list_->currentItem();
  if (!item) return;
  const std::size_t i = item->data(0, Qt::UserRole).toULongLong();
  if (i >= profiles_.size()) return;
  const ConnectProfile& p = profiles_[i];
  user_->setText(to_qstring(p.user));
  password_->setText(to_qstring(p.password));
  tns_->setEditText(to_qstring(p.tns));
  if (mode_->isEnabled()) mode_->setCurrentIndex(p.connect_mode == 2 ? 1 : p.connect_mode == 4 ? 2 : 0);
  oci7_->setChecked(p.oci7 == 1);
}

void CLogin::on_add_profile() {
  const LoginValues v = read_fields();
  // The list is read again so that edits made elsewhere are kept.
  ProfileList list = load_profiles(profile_store_);
  ConnectProfile p;
  p.user = v.user;
  p.tns = v.tns;
  p.password = v.password;
  p.connect_mode = v.connect_mode;
  p.oci7 = v.oci7 ? 1 : 0;
  list.profiles.push_back(std::move(p));
  std::u16string error;
  if (!save_profiles(profile_store_, list.profiles, &error)) {
    ui().message_box(error, u"Error", mb::OK | mb::ICONEXCLAMATION);
    return;
  }
  reload_profiles();
}

namespace {
constexpr std::u16string_view kDlgSection = u"LOGIN_DLG";
// Key names as stored by earlier versions (the misspelling is part of the format).
constexpr std::u16string_view kColumnKeys[] = {u"C_USER_WITDH", u"C_PASSWD_WITDH", u"C_TNS_WITDH",
                                               u"C_MODE_WITDH", u"C_OCI7_WITDH", u"C_NOTES_WIDTH"};
constexpr int kColumnDefaults[] = {80, 80, 80, 70, 40, 100};
}  // namespace

void CLogin::restore_geometry() {
  if (!own_store_) return;
  const int w = own_store_->get_int(kDlgSection, u"WIDTH", 0);
  const int h = own_store_->get_int(kDlgSection, u"HEIGHT", 0);
  if (w > 0 || h > 0) resize(std::max(w, 350), std::max(h, 300));
  for (int c = 0; c < 6; ++c)
    list_->setColumnWidth(c, std::max(own_store_->get_int(kDlgSection, kColumnKeys[c], kColumnDefaults[c]), 20));
}

void CLogin::save_geometry() {
  if (!own_store_) return;
  SettingsBatch batch(*own_store_);
  own_store_->write_int(kDlgSection, u"WIDTH", width());
  own_store_->write_int(kDlgSection, u"HEIGHT", height());
  for (int c = 0; c < 6; ++c) own_store_->write_int(kDlgSection, kColumnKeys[c], list_->columnWidth(c));
  if (!batch.commit()) std::fputs("kestrel: the login dialog size could not be saved\n", stderr);
}

void CLogin::done(int r) {
  save_geometry();
  std::u16string error;
  if (!history_file_.empty() && !save_filter_history(history_file_, history_, &error))
    std::fprintf(stderr, "kestrel: the login filter history could not be saved: %s\n", utf16_to_utf8(error).c_str());
  QDialog::done(r);
}

void CLogin::accept() { on_ok(); }

void CLogin::reject() {
  join_env_thread();
  QDialog::reject();
}

void CLogin::on_ok() {
  if (!ok_->isEnabled()) return;
  const bool password_had_focus = password_->hasFocus();
  LoginValues v = read_fields();
  join_env_thread();
  SessionLogin login = open_session(v.user, v.password, v.tns, v.connect_mode, v.oci7);
  if (!login.session) {
    ui().message_box(login.message, u"Error", mb::OK | mb::ICONEXCLAMATION);
    if (password_had_focus) {
      password_->setFocus();
      password_->selectAll();
    }
    return;
  }
  if (login.expiry_warning && !login.message.empty())
    ui().message_box(login.message, u"Message", mb::OK | mb::ICONEXCLAMATION);
  if (!remember_tns(profile_store_, v.tns))
    std::fputs("kestrel: the TNS list could not be saved\n", stderr);
  if (session_) close_session(&session_);
  session_ = login.session;
  values_ = std::move(v);
  QDialog::accept();
}
