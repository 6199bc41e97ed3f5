#include "app/document_dialogs.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <charconv>
#include <limits>

#include "app/qt_text.h"
#include "platform/utf16.h"
#include "sqltext/edit_ctrl.h"

namespace kestrel {
namespace {

FileAsker& Asker() {
  static FileAsker asker;
  return asker;
}

std::u16string DialogAsk(const FileQuestion& q) {
  QFileDialog dialog(nullptr, to_qstring(q.title), to_qstring(q.start_folder), QtFileFilter(q.filter));
  dialog.setAcceptMode(q.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setFileMode(q.save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  if (!q.default_name.empty()) dialog.selectFile(to_qstring(q.default_name));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return from_qstring(dialog.selectedFiles().front());
}

bool ParseInt64(const QString& text, int64_t* out) {
  const std::string s = text.trimmed().toStdString();
  if (s.empty()) return false;
  const char* first = s.data();
  if (*first == '+') ++first;
  auto [end, ec] = std::from_chars(first, s.data() + s.size(), *out);
  return ec == std::errc() && end == s.data() + s.size();
}

}  // namespace

std::u16string AskFile(const FileQuestion& q) { return Asker() ? Asker()(q) : DialogAsk(q); }

FileAsker SetFileAsker(FileAsker asker) {
  FileAsker previous = std::move(Asker());
  Asker() = std::move(asker);
  return previous;
}

QString QtFileFilter(std::u16string_view filter) {
  // Pairs of display name and pattern, separated by '|', ended by "||".
  const QStringList parts = to_qstring(filter).split(QLatin1Char('|'));
  QStringList out;
  for (int i = 0; i + 1 < parts.size(); i += 2) {
    if (parts[i].isEmpty()) break;
    QString name = parts[i];
    QString pattern = parts[i + 1];
    pattern.replace(QLatin1Char(';'), QLatin1Char(' '));
    if (pattern == QLatin1String("*.*")) pattern = QStringLiteral("*");
    out << QStringLiteral("%1 (%2)").arg(name.section(QLatin1String(" ("), 0, 0), pattern);
  }
  return out.join(QStringLiteral(";;"));
}

}  // namespace kestrel

using namespace kestrel;

CBfileUpdateDlg::CBfileUpdateDlg(std::u16string_view dir_alias, std::u16string_view file_name, QWidget* parent)
    : QDialog(parent) {
  setObjectName("CBfileUpdateDlg");
  setWindowTitle(to_qstring(u"BFILE Update"));
  alias_ = new QLineEdit(to_qstring(dir_alias), this);
  alias_->setObjectName("DIR_ALIAS");
  file_ = new QLineEdit(to_qstring(file_name), this);
  file_->setObjectName("FILE_NAME");
  auto* form = new QFormLayout;
  form->addRow(QStringLiteral("DIR_ALIAS"), alias_);
  form->addRow(QStringLiteral("FILE_NAME"), file_);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  ok_ = buttons->button(QDialogButtonBox::Ok);
  buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("キャンセル"));
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(alias_, &QLineEdit::textChanged, this, [this] { UpdateOk(); });
  connect(file_, &QLineEdit::textChanged, this, [this] { UpdateOk(); });
  auto* root = new QVBoxLayout(this);
  root->addLayout(form);
  root->addWidget(buttons);
  resize(360, 120);
  UpdateOk();
}

void CBfileUpdateDlg::UpdateOk() {
  // Both parts name the file: an empty one would be saved as a broken BFILE.
  ok_->setEnabled(!alias_->text().trimmed().isEmpty() && !file_->text().trimmed().isEmpty());
}

std::u16string CBfileUpdateDlg::DirAlias() const { return from_qstring(alias_->text().trimmed()); }
std::u16string CBfileUpdateDlg::FileName() const { return from_qstring(file_->text().trimmed()); }

CInputSequenceDlg::CInputSequenceDlg(int64_t start, QWidget* parent) : QDialog(parent) {
  setObjectName("CInputSequenceDlg");
  setWindowTitle(QStringLiteral("連番を入力"));
  start_ = new QLineEdit(QString::number(start), this);
  start_->setObjectName("start");
  step_ = new QLineEdit(QStringLiteral("1"), this);
  step_->setObjectName("step");
  auto* form = new QFormLayout;
  form->addRow(QStringLiteral("開始番号"), start_);
  form->addRow(QStringLiteral("増分"), step_);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  ok_ = buttons->button(QDialogButtonBox::Ok);
  buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("キャンセル"));
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto update = [this] {
    int64_t a = 0, b = 0;
    ok_->setEnabled(Values(&a, &b));
  };
  connect(start_, &QLineEdit::textChanged, this, update);
  connect(step_, &QLineEdit::textChanged, this, update);
  auto* root = new QVBoxLayout(this);
  root->addLayout(form);
  root->addWidget(buttons);
  start_->selectAll();
}

bool CInputSequenceDlg::Values(int64_t* start, int64_t* step) const {
  return ParseInt64(start_->text(), start) && ParseInt64(step_->text(), step);
}

int64_t CInputSequenceDlg::StartOf(std::u16string_view text) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == u' ' || text[i] == u'\t')) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == u'-' || text[i] == u'+')) negative = text[i++] == u'-';
  int64_t value = 0;
  for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i) {
    const int digit = text[i] - u'0';
    if (value > (std::numeric_limits<int64_t>::max() - digit) / 10) return 0;  // out of range: no number
    value = value * 10 + digit;
  }
  return negative ? -value : value;
}

CUpdateSqlDlg::CUpdateSqlDlg(std::u16string_view sql, const CStrToken* tokenizer, const SqlViewLook& look,
                             QWidget* parent)
    : QDialog(parent) {
  setObjectName("CUpdateSqlDlg");
  setWindowTitle(QStringLiteral("更新SQLを表示"));
  edit_ = new CEditCtrl(this);
  edit_->setObjectName("sql");
  edit_->SetTokenizer(tokenizer);
  edit_->SetEditorFont(look.font);
  edit_->SetColor(kEditColorText, look.text_color);
  edit_->SetColor(kEditColorBack, look.back_color);
  edit_->SetEditStyle(look.style);
  edit_->SetText(sql);
  edit_->SetReadOnly(true);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* root = new QVBoxLayout(this);
  root->addWidget(edit_, 1);
  root->addWidget(buttons);
  resize(640, 420);
}
