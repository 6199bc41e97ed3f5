// CSetupPage (dialog 134 "設定"): folders and files, the session's NLS
// formats, the SETUP and UNICODE switches, the store choice, the file type
// and the two read buffer sizes. Each control's object name is its
// settings key, so the page reads like the settings file.
#pragma once

#include <QWidget>
#include <functional>
#include <string>
#include <vector>

#include "app/option_values.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;

namespace kestrel {
inline constexpr int kSetupPageId = 134;
inline constexpr char16_t kIniModeKey[] = u"USE_INI_FILE";
inline constexpr char16_t kFileTypeKey[] = u"FILE_TYPE";
// Answers the server's current date in a format, or the error text.
using DateSample = std::function<std::u16string(std::u16string_view format)>;
}  // namespace kestrel

class CSetupPage : public QWidget {
  Q_OBJECT
 public:
  // `date_sample` is empty when no session is open.
  CSetupPage(const kestrel::OptionValues& values, kestrel::DateSample date_sample, QWidget* parent = nullptr);

  // Takes the page's values into `out`. False when a number field holds no
  // number: `bad` is that field and `error` says so.
  bool take(kestrel::OptionValues& out, QWidget** bad, std::u16string* error) const;
  // The server's sample of the date format shown (empty when not connected).
  QString date_sample_text() const;

 private:
  QLineEdit* add_path_row(class QGridLayout* grid, int row, const char16_t* key, const char16_t* label,
                          const std::u16string& value, bool folder);
  QComboBox* add_combo_row(class QGridLayout* grid, int row, const char16_t* key, const std::u16string& value,
                           const std::vector<const char16_t*>& choices);
  void update_date_sample();

  kestrel::DateSample date_sample_;
  QComboBox* date_format_ = nullptr;
  QLabel* date_sample_label_ = nullptr;
};
