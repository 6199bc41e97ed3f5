// CLogin: the login dialog. The user types user name, password and TNS name,
// chooses the connect mode and the OCI7 interface, and OK logs in. The client
// environment is made on a thread of its own while the dialog is up; every
// way out of the dialog joins it.
#pragma once

#include <QDialog>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "app/connect_profile.h"
#include "platform/settings_store.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QTreeWidget;
struct OciSession;

namespace kestrel {

inline constexpr int kLoginStartup = 0;  // at start-up: Cancel ends the program
inline constexpr int kLoginChange = 1;   // change of connection: Cancel keeps the old session

inline constexpr char16_t kLoginCaption[] = u"Kestrel Login";
inline constexpr char16_t kLoginTitleFormat[] = u"%s Ver.%s (%s) Login";
inline constexpr char16_t kLibraryNotInitialised[] = u"OCIライブラリが初期化されていません";
inline constexpr char16_t kThreadCreateError[] = u"スレッド作成エラー";
inline constexpr char16_t kAddProfileCaption[] = u"ログイン情報に追加";
inline constexpr char16_t kEditProfilesCaption[] = u"ログイン情報の設定";
// The filter's context menu.
inline constexpr uint32_t kFilterAddToList = 34021;     // "リストに追加"
inline constexpr uint32_t kFilterRemoveFromList = 34022;  // "リストから削除"
inline constexpr uint32_t kFilterClear = 34023;         // "フィルタをクリア"

// The values the login was made with.
struct LoginValues {
  std::u16string user;
  std::u16string password;
  std::u16string tns;
  int32_t connect_mode = 1;
  bool oci7 = false;
};

// The TNS names remembered in CONNECT_INFO (empty entries skipped).
std::vector<std::u16string> load_tns_list(const SettingsStore& store);
// Adds `tns` when not present (exact comparison), sorts by character code and
// writes the list. False when the store could not be written.
bool remember_tns(SettingsStore& store, const std::u16string& tns);

}  // namespace kestrel

class CLogin : public QDialog {
  Q_OBJECT
 public:
  // `profile_store` holds the TNS list (the sibling store when profiles are
  // shared); it must outlive the dialog.
  // `own_store` (may be null) keeps the dialog size and column widths.
  CLogin(int mode, const kestrel::LoginValues& prefill, kestrel::SettingsStore& profile_store,
         kestrel::SettingsStore* own_store = nullptr, QWidget* parent = nullptr);
  // Where the filter history is read from and written to (tests point it
  // elsewhere before the dialog closes).
  void set_filter_history_files(std::filesystem::path user_file, std::filesystem::path seed_file);
  // Runs one of the filter's context-menu commands.
  void run_filter_command(uint32_t id);
  const std::vector<std::u16string>& filter_history() const { return history_; }
  ~CLogin() override;

  // The session opened by OK (ownership passes to the caller), or null.
  OciSession* take_session();
  const kestrel::LoginValues& values() const { return values_; }

  // Field access for tests.
  QLineEdit* user_edit() const { return user_; }
  QLineEdit* password_edit() const { return password_; }
  QComboBox* tns_combo() const { return tns_; }
  QComboBox* mode_combo() const { return mode_; }
  QCheckBox* oci7_check() const { return oci7_; }
  QPushButton* ok_button() const { return ok_; }
  QComboBox* filter_combo() const { return filter_; }
  QTreeWidget* profile_list() const { return list_; }
  QPushButton* add_profile_button() const { return add_profile_; }
  QPushButton* profiles_button() const { return edit_profiles_; }

  void accept() override;
  void reject() override;

 protected:
  // Up and Down in the user and password fields move through the profiles.
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void on_ok();
  void join_env_thread();
  void restore_geometry();
  void save_geometry();
  void done(int r) override;
  kestrel::LoginValues read_fields() const;
  void reload_profiles();
  void rebuild_list();
  void on_profile_selected();
  void on_add_profile();

  int mode_kind_;
  kestrel::SettingsStore& profile_store_;
  kestrel::SettingsStore* own_store_;
  QLineEdit* user_ = nullptr;
  QLineEdit* password_ = nullptr;
  QComboBox* tns_ = nullptr;
  QComboBox* mode_ = nullptr;
  QCheckBox* oci7_ = nullptr;
  QPushButton* ok_ = nullptr;
  QComboBox* filter_ = nullptr;
  QTreeWidget* list_ = nullptr;
  QPushButton* add_profile_ = nullptr;
  QPushButton* edit_profiles_ = nullptr;
  std::vector<kestrel::ConnectProfile> profiles_;
  std::vector<std::u16string> history_;
  std::filesystem::path history_file_;
  void fill_history_items();
  std::thread env_thread_;
  OciSession* session_ = nullptr;
  kestrel::LoginValues values_;
};
