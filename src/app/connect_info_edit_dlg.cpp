#include "app/connect_info_edit_dlg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/color_chooser.h"
#include "app/password_codec.h"
#include "app/qt_text.h"
#include "platform/ui_services.h"

using namespace kestrel;

namespace {
int mode_index(int32_t mode) { return mode == 2 ? 1 : mode == 4 ? 2 : 0; }
}  // namespace

CConnectInfoEditDlg::CConnectInfoEditDlg(const ConnectProfile& profile, SettingsStore* color_store, QWidget* parent)
    : QDialog(parent), profile_(profile) {
  setObjectName("CConnectInfoEditDlg");
  setWindowTitle(to_qstring(kConnectInfoEditTitle));
  user_ = new QLineEdit(to_qstring(profile.user), this);
  user_->setObjectName("USER");
  password_ = new QLineEdit(to_qstring(profile.password), this);
  password_->setObjectName("PASS");
  password_->setEchoMode(QLineEdit::Password);
  tns_ = new QLineEdit(to_qstring(profile.tns), this);
  tns_->setObjectName("TNS");
  mode_ = new QComboBox(this);
  mode_->setObjectName("MODE");
  for (int32_t m : {1, 2, 4}) mode_->addItem(to_qstring(connect_mode_text(m)), m);
  mode_->setCurrentIndex(mode_index(profile.connect_mode));
  notes_ = new QLineEdit(to_qstring(profile.notes), this);
  notes_->setObjectName("NOTES");
  oci7_ = new QCheckBox(QStringLiteral("OCI7 APIを使用する"), this);
  oci7_->setChecked(profile.oci7 == 1);
  customize_ = new QCheckBox(QStringLiteral("この接続先専用のオプションの設定を行う"), this);
  customize_->setChecked(profile.customize == 1);

  auto* form = new QFormLayout;
  form->addRow(QStringLiteral("USER"), user_);
  form->addRow(QStringLiteral("PASS"), password_);
  form->addRow(QStringLiteral("TNS"), tns_);
  form->addRow(QStringLiteral("MODE"), mode_);
  form->addRow(QStringLiteral("NOTES"), notes_);
  form->addRow(QString(), oci7_);

  auto* options = new QGroupBox(QStringLiteral("オプション"), this);
  text_color_ = new CColorButton(QStringLiteral("エディタの背景"), color_store, options);
  text_color_->set_color(profile.text_bg_color);
  grid_color_ = new CColorButton(QStringLiteral("Gridの背景"), color_store, options);
  grid_color_->set_color(profile.grid_bg_color);
  auto* colors = new QVBoxLayout(options);
  colors->addWidget(text_color_);
  colors->addWidget(grid_color_);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  ok_ = buttons->button(QDialogButtonBox::Ok);
  connect(buttons, &QDialogButtonBox::accepted, this, &CConnectInfoEditDlg::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &CConnectInfoEditDlg::reject);

  auto* box = new QVBoxLayout(this);
  box->addLayout(form);
  box->addWidget(customize_);
  box->addWidget(options);
  box->addWidget(buttons);

  connect(user_, &QLineEdit::textChanged, this, [this] { update_enabled(); });
  connect(customize_, &QCheckBox::toggled, this, [this] { update_enabled(); });
  update_enabled();
  user_->setFocus();
}

void CConnectInfoEditDlg::update_enabled() {
  ok_->setEnabled(!user_->text().isEmpty());
  text_color_->setEnabled(customize_->isChecked());
  grid_color_->setEnabled(customize_->isChecked());
}

void CConnectInfoEditDlg::accept() {
  if (!ok_->isEnabled()) return;
  ConnectProfile p = profile_;
  p.user = from_qstring(user_->text());
  p.password = from_qstring(password_->text());
  p.tns = from_qstring(tns_->text());
  p.connect_mode = mode_->currentData().toInt();
  p.notes = from_qstring(notes_->text());
  p.oci7 = oci7_->isChecked() ? 1 : 0;
  p.customize = customize_->isChecked() ? 1 : 0;
  p.text_bg_color = text_color_->color();
  p.grid_bg_color = grid_color_->color();
  // Found here rather than when the whole list is saved, while the user
  // still sees the password field.
  if (!p.password.empty() && !encode_password(p.password)) {
    ui().message_box(kPasswordNotStorable, u"Error", mb::OK | mb::ICONEXCLAMATION);
    password_->setFocus();
    password_->selectAll();
    return;
  }
  profile_ = std::move(p);
  QDialog::accept();
}
