// CConnectInfoEditDlg (dialog 177): edits one connection profile: user,
// password, TNS name, connect mode, notes, the OCI7 flag and the profile's
// own colours. OK is enabled only while the user name is not empty, the
// colour buttons only while the profile's own options are on.
#pragma once

#include <QDialog>

#include "app/connect_profile.h"
#include "platform/settings_store.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;

namespace kestrel {
class CColorButton;
inline constexpr int kConnectInfoEditDlgId = 177;
inline constexpr char16_t kConnectInfoEditTitle[] = u"ログイン情報の編集";
}  // namespace kestrel

class CConnectInfoEditDlg : public QDialog {
  Q_OBJECT
 public:
  // `color_store` keeps the colour chooser's custom colours (may be null).
  CConnectInfoEditDlg(const kestrel::ConnectProfile& profile, kestrel::SettingsStore* color_store,
                      QWidget* parent = nullptr);
  const kestrel::ConnectProfile& profile() const { return profile_; }

  // Reads the fields; refuses (message, dialog stays open) a password that
  // cannot be stored.
  void accept() override;

  QLineEdit* user_edit() const { return user_; }
  QLineEdit* password_edit() const { return password_; }
  QLineEdit* tns_edit() const { return tns_; }
  QComboBox* mode_combo() const { return mode_; }
  QLineEdit* notes_edit() const { return notes_; }
  QCheckBox* oci7_check() const { return oci7_; }
  QCheckBox* customize_check() const { return customize_; }
  kestrel::CColorButton* text_color_button() const { return text_color_; }
  kestrel::CColorButton* grid_color_button() const { return grid_color_; }
  QPushButton* ok_button() const { return ok_; }

 private:
  void update_enabled();

  kestrel::ConnectProfile profile_;
  QLineEdit* user_ = nullptr;
  QLineEdit* password_ = nullptr;
  QLineEdit* tns_ = nullptr;
  QComboBox* mode_ = nullptr;
  QLineEdit* notes_ = nullptr;
  QCheckBox* oci7_ = nullptr;
  QCheckBox* customize_ = nullptr;
  kestrel::CColorButton* text_color_ = nullptr;
  kestrel::CColorButton* grid_color_ = nullptr;
  QPushButton* ok_ = nullptr;
};
