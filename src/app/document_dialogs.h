// The small dialogs of the document's commands: the file questions of the
// LOB commands (replaceable, so tests answer them), "BFILE Update" (dialog
// 145), "連番を入力" (CInputSequenceDlg) and the read-only "更新SQLを表示".
#pragma once

#include <QDialog>
#include <QFont>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

class CEditCtrl;
class CStrToken;
class QLineEdit;
class QPushButton;

namespace kestrel {

struct FileQuestion {
  bool save = false;              // a save dialog, else an open dialog of an existing file
  std::u16string title;
  std::u16string filter;          // "Name (*.x)|*.x|...||"
  std::u16string start_folder;
  std::u16string default_name;
};
// The chosen path, or empty when cancelled.
using FileAsker = std::function<std::u16string(const FileQuestion&)>;
// The process-wide asker (a file dialog unless a test put in its own).
std::u16string AskFile(const FileQuestion& q);
FileAsker SetFileAsker(FileAsker asker);

// "Name (*.x)|*.x|Other (*.*)|*.*||" as a Qt name filter list.
QString QtFileFilter(std::u16string_view filter);

// The read-only statement text with the SQL keyword colours and marks.
struct SqlViewLook {
  QFont font;
  uint32_t text_color = 0x000000;
  uint32_t back_color = 0xFFFFFF;
  uint32_t style = 0;  // kEditStyle* mark bits
};

}  // namespace kestrel

// Dialog 145: the directory alias and file name of a BFILE cell.
class CBfileUpdateDlg : public QDialog {
 public:
  CBfileUpdateDlg(std::u16string_view dir_alias, std::u16string_view file_name, QWidget* parent = nullptr);
  std::u16string DirAlias() const;
  std::u16string FileName() const;
  QLineEdit* DirAliasEdit() const { return alias_; }
  QLineEdit* FileNameEdit() const { return file_; }
  QPushButton* OkButton() const { return ok_; }

 private:
  void UpdateOk();
  QLineEdit* alias_;
  QLineEdit* file_;
  QPushButton* ok_;
};

// "連番を入力": start and step of the sequence numbers.
class CInputSequenceDlg : public QDialog {
 public:
  CInputSequenceDlg(int64_t start, QWidget* parent = nullptr);
  // False when a field does not hold a whole number (OK stays disabled).
  bool Values(int64_t* start, int64_t* step) const;
  QLineEdit* StartEdit() const { return start_; }
  QLineEdit* StepEdit() const { return step_; }
  QPushButton* OkButton() const { return ok_; }

  // The start a cell's text offers: its leading digits (with a sign), else 0.
  static int64_t StartOf(std::u16string_view text);

 private:
  QLineEdit* start_;
  QLineEdit* step_;
  QPushButton* ok_;
};

// "更新SQLを表示": the statements a save would run, read-only.
class CUpdateSqlDlg : public QDialog {
 public:
  CUpdateSqlDlg(std::u16string_view sql, const CStrToken* tokenizer, const kestrel::SqlViewLook& look,
                QWidget* parent = nullptr);
  CEditCtrl* Editor() const { return edit_; }

 private:
  CEditCtrl* edit_;
};
