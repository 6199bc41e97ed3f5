// CConnectInfoDlg (dialog 137): the stored connection profiles in list order,
// edited with ADD, EDIT, COPY, &UP, &DOWN and DEL. Nothing reaches the store
// before OK, which writes the whole list at once; a list that cannot be
// written keeps the dialog open with the edits.
#pragma once

#include <QDialog>
#include <QStringList>
#include <functional>
#include <vector>

#include "app/connect_profile.h"
#include "platform/settings_store.h"

class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace kestrel {
inline constexpr int kConnectInfoDlgId = 137;
// One profile as a row of a profile list (USER, PASSWD, TNS, MODE, OCI7, NOTES).
void fill_profile_row(QTreeWidgetItem* item, const ConnectProfile& p);
// The six column captions.
QStringList profile_column_captions();
}  // namespace kestrel

class CConnectInfoDlg : public QDialog {
  Q_OBJECT
 public:
  // `profile_store` holds the list (the sibling store when profiles are
  // shared); `own_store` (may be null) keeps the dialog size and the colour
  // chooser's custom colours. Both must outlive the dialog.
  CConnectInfoDlg(kestrel::SettingsStore& profile_store, kestrel::SettingsStore* own_store,
                  QWidget* parent = nullptr);
  ~CConnectInfoDlg() override;

  // Runs the edit dialog on a profile; true when it was changed. Tests
  // replace it.
  std::function<bool(kestrel::ConnectProfile& profile)> edit_profile;

  const std::vector<kestrel::ConnectProfile>& profiles() const { return profiles_; }
  QTreeWidget* profile_list() const { return list_; }
  QPushButton* add_button() const { return add_; }
  QPushButton* edit_button() const { return edit_; }
  QPushButton* copy_button() const { return copy_; }
  QPushButton* up_button() const { return up_; }
  QPushButton* down_button() const { return down_; }
  QPushButton* delete_button() const { return del_; }

  void accept() override;
  void done(int r) override;

 private:
  void rebuild(int select);
  int selected() const;
  void update_buttons();
  void on_add();
  void on_edit();
  void on_copy();
  void on_move(int by);
  void on_delete();

  kestrel::SettingsStore& profile_store_;
  kestrel::SettingsStore* own_store_;
  std::vector<kestrel::ConnectProfile> profiles_;
  QTreeWidget* list_ = nullptr;
  QPushButton* add_ = nullptr;
  QPushButton* edit_ = nullptr;
  QPushButton* copy_ = nullptr;
  QPushButton* up_ = nullptr;
  QPushButton* down_ = nullptr;
  QPushButton* del_ = nullptr;
};
