// CDataEditDlg, "データ編集": one cell's text in a multi-line editor with
// the grid's font, colours and white-space marks, a line-break choice
// ("改行コード") that sets the buffer's line end at once, and wrapping at the
// right edge ("右端で折り返す"). OK and Cancel both write the two choices
// back to the settings; only OK with a changed text or line break stores
// the cell, through the `store` hook, and a refused store keeps the dialog
// open with its text.
#pragma once

#include <QDialog>
#include <cstdint>
#include <functional>
#include <string>

class CEditCtrl;
class QCheckBox;
class QComboBox;

namespace kestrel {
class SettingsStore;
}

struct DataEditLook {
  QFont font;
  uint32_t text = 0x000000, back = 0xFFFFFF, select = 0xDCC8C8, mark = 0x969600;
  uint32_t style = 0;  // the grid's style bits; the mark and caret bits are taken
};

class CDataEditDlg : public QDialog {
 public:
  // `settings` may be null (defaults, nothing written). `max_len` < 0: no limit.
  CDataEditDlg(QWidget* parent, std::u16string_view col_name, std::u16string_view type_name,
               std::u16string_view text, const DataEditLook& look, bool read_only, int64_t max_len,
               kestrel::SettingsStore* settings);
  ~CDataEditDlg() override;

  // Stores the text on OK; false (the message shown) keeps the dialog open.
  std::function<bool(const std::u16string& text)> store;

  CEditCtrl* Editor() const { return editor_; }
  QComboBox* LineTypeBox() const { return line_type_; }
  QCheckBox* WrapBox() const { return wrap_; }
  // 1 CR LF, 2 LF, 3 CR.
  int LineType() const;
  bool Changed() const;
  std::u16string Text() const;
  // The cell's text changed behind the dialog: shows `text` unless the user
  // has already edited the dialog's text, which is kept rather than lost.
  // True when the new text is shown.
  bool Refresh(std::u16string_view text);

  void accept() override;
  void done(int result) override;

 private:
  void SaveChoices();

  CEditCtrl* editor_;
  QComboBox* line_type_;
  QCheckBox* wrap_;
  kestrel::SettingsStore* settings_;
  int initial_line_type_;
  uint32_t initial_seq_;
};
