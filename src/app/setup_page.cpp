#include "app/setup_page.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/qt_text.h"
#include "platform/format.h"

using namespace kestrel;

namespace {

struct PathRow {
  const char16_t* key;
  const char16_t* label;
  std::u16string AppSettings::*member;
  bool folder;
};
constexpr PathRow kPathRows[] = {
    {u"INITIAL_DIR", u"起動時のディレクトリ", &AppSettings::INITIAL_DIR, true},
    {u"STARTUP_SQL_FILE", u"接続時に実行するSQLファイル", &AppSettings::STARTUP_SQL_FILE, false},
    {u"OCI_PATH_64", u"OCI.DLLのPATH(再起動後に有効)", &AppSettings::OCI_PATH_64, true},
    {u"TNS_ADMIN", u"TNS_ADMIN", &AppSettings::TNS_ADMIN, true},
};

struct ComboRow {
  const char16_t* key;
  std::u16string AppSettings::*member;
  std::vector<const char16_t*> choices;
};
const ComboRow kComboRows[] = {
    {u"NLS_DATE_FORMAT",
     &AppSettings::NLS_DATE_FORMAT,
     {u"YYYY-MM-DD HH24:MI:SS", u"YYYY/MM/DD HH24:MI:SS", u"YYYY-MM-DD", u"YYYY/MM/DD", u"RR-MM-DD"}},
    {u"NLS_TIMESTAMP_FORMAT",
     &AppSettings::NLS_TIMESTAMP_FORMAT,
     {u"YYYY-MM-DD HH24:MI:SSXFF", u"YYYY/MM/DD HH24:MI:SSXFF", u"YYYY-MM-DD HH24:MI:SS.FF3"}},
    {u"NLS_TIMESTAMP_TZ_FORMAT",
     &AppSettings::NLS_TIMESTAMP_TZ_FORMAT,
     {u"YYYY-MM-DD HH24:MI:SSXFF TZH:TZM", u"YYYY/MM/DD HH24:MI:SSXFF TZH:TZM", u"YYYY-MM-DD HH24:MI:SSXFF TZR"}},
    {u"TIMEZONE", &AppSettings::TIMEZONE, {u"+09:00", u"+00:00", u"Asia/Tokyo", u"UTC"}},
    {u"NLS_DATE_LANGUAGE", &AppSettings::NLS_DATE_LANGUAGE, {u"", u"JAPANESE", u"AMERICAN"}},
};

struct CheckRow {
  const char16_t* key;
  const char16_t* text;
  int32_t AppSettings::*member;
};
constexpr CheckRow kSetupChecks[] = {
    {u"PUT_COLUMN_NAME", u"ファイル保存時に，一行目にカラム名を出力する", &AppSettings::PUT_COLUMN_NAME},
    {u"ADJUST_COL_WIDTH", u"グリッドの列幅を自動調整する", &AppSettings::ADJUST_COL_WIDTH},
    {u"USE_MESSAGE_BEEP", u"セルにデータ長より長い文字列を貼り付けたとき，警告音を鳴らせる",
     &AppSettings::USE_MESSAGE_BEEP},
    {u"USE_USER_UPDATABLE_COLUMNS", u"USER_UPDATABLE_COLUMNSを参照して，利用可能な編集機能を制限する",
     &AppSettings::USE_USER_UPDATABLE_COLUMNS},
    {u"SHARE_CONNECT_INFO", u"ログイン情報を，ploverと共有する", &AppSettings::SHARE_CONNECT_INFO},
    {u"SEARCH_DLG_CLOSE_AT_FOUND", u"文字の検索で，検索結果が見つかったとき検索ダイアログを閉じる",
     &AppSettings::SEARCH_DLG_CLOSE_AT_FOUND},
    {u"DISP_DELETE_ALL_NULL_ROWS_WARNING", u"空行を削除(全て)機能で，警告メッセージを表示する",
     &AppSettings::DISP_DELETE_ALL_NULL_ROWS_WARNING},
    {u"NLS_UTF8", u"OracleとUnicode(UTF8)で通信する (Oracle Client 9.2以降で有効)", &AppSettings::NLS_UTF8},
    {u"REPLACE_WAVE_DASH", u"検索結果の'波'を'～'に変換して表示する", &AppSettings::REPLACE_WAVE_DASH},
};

struct BufRow {
  const char16_t* key;
  const char16_t* label;
  const char16_t* note;
  int32_t AppSettings::*member;
};
constexpr BufRow kBufRows[] = {
    {u"LONG_READ_BUF_SIZE", u"LONG型のバッファサイズ", u"取得できるbyte数は buf_size - 1",
     &AppSettings::LONG_READ_BUF_SIZE},
    {u"CLOB_READ_BUF_SIZE", u"CLOB型/Object型の\nバッファサイズ", u"CLOB型で取得できる文字数は (buf_size - 1) / 2",
     &AppSettings::CLOB_READ_BUF_SIZE},
};

QString label_text(const char16_t* key) {
  // The NLS rows are labelled with their parameter names.
  return to_qstring(key);
}

}  // namespace

CSetupPage::CSetupPage(const OptionValues& values, DateSample date_sample, QWidget* parent)
    : QWidget(parent), date_sample_(std::move(date_sample)) {
  setObjectName("CSetupPage");
  const AppSettings& s = values.settings;
  auto* box = new QVBoxLayout(this);

  auto* paths = new QGridLayout;
  int row = 0;
  for (const PathRow& r : kPathRows) add_path_row(paths, row++, r.key, r.label, s.*r.member, r.folder);
  box->addLayout(paths);

  auto* nls = new QGroupBox(QStringLiteral("セッション"), this);
  auto* nls_grid = new QGridLayout(nls);
  row = 0;
  for (const ComboRow& r : kComboRows) {
    QComboBox* c = add_combo_row(nls_grid, row++, r.key, s.*r.member, r.choices);
    if (r.member == &AppSettings::NLS_DATE_FORMAT) {
      date_format_ = c;
      date_sample_label_ = new QLabel(nls);
      date_sample_label_->setObjectName("DATE_SAMPLE");
      nls_grid->addWidget(date_sample_label_, row++, 1);
    }
  }
  box->addWidget(nls);

  auto* checks = new QGroupBox(this);
  auto* check_box = new QVBoxLayout(checks);
  auto add_check = [&](const char16_t* key, const char16_t* text, bool on) {
    auto* c = new QCheckBox(to_qstring(text), checks);
    c->setObjectName(to_qstring(key));
    c->setChecked(on);
    check_box->addWidget(c);
  };
  for (const CheckRow& r : kSetupChecks) add_check(r.key, r.text, s.*r.member == 1);
  add_check(kIniModeKey, u"レジストリの代わりにINIファイルを使用する", values.ini_mode);
  add_check(kFileTypeKey, u"拡張子(.kst)を関連づける", values.file_type);
  box->addWidget(checks);

  auto* bufs = new QGridLayout;
  row = 0;
  for (const BufRow& r : kBufRows) {
    bufs->addWidget(new QLabel(to_qstring(r.label), this), row, 0);
    auto* e = new QLineEdit(QString::number(clamp_read_buf_size(s.*r.member)), this);
    e->setObjectName(to_qstring(r.key));
    bufs->addWidget(e, row, 1);
    bufs->addWidget(new QLabel(to_qstring(r.note), this), row, 2);
    ++row;
  }
  box->addLayout(bufs);
  box->addStretch(1);

  connect(date_format_, &QComboBox::currentTextChanged, this, [this] { update_date_sample(); });
  update_date_sample();
}

QLineEdit* CSetupPage::add_path_row(QGridLayout* grid, int row, const char16_t* key, const char16_t* label,
                                    const std::u16string& value, bool folder) {
  grid->addWidget(new QLabel(to_qstring(label), this), row, 0);
  auto* e = new QLineEdit(to_qstring(value), this);
  e->setObjectName(to_qstring(key));
  grid->addWidget(e, row, 1);
  auto* browse = new QPushButton(QStringLiteral("..."), this);
  browse->setObjectName(to_qstring(key) + QStringLiteral("_BROWSE"));
  browse->setAutoDefault(false);
  browse->setMaximumWidth(32);
  grid->addWidget(browse, row, 2);
  connect(browse, &QPushButton::clicked, this, [this, e, folder, label] {
    const QString chosen = folder ? QFileDialog::getExistingDirectory(this, to_qstring(label), e->text())
                                  : QFileDialog::getOpenFileName(this, to_qstring(label), e->text(),
                                                                 QStringLiteral("SQL (*.sql);;All Files (*)"));
    if (!chosen.isEmpty()) e->setText(chosen);
  });
  return e;
}

QComboBox* CSetupPage::add_combo_row(QGridLayout* grid, int row, const char16_t* key, const std::u16string& value,
                                     const std::vector<const char16_t*>& choices) {
  grid->addWidget(new QLabel(label_text(key), this), row, 0);
  auto* c = new QComboBox(this);
  c->setObjectName(to_qstring(key));
  c->setEditable(true);
  c->setInsertPolicy(QComboBox::NoInsert);
  for (const char16_t* choice : choices) c->addItem(to_qstring(choice));
  c->setEditText(to_qstring(value));
  grid->addWidget(c, row, 1);
  return c;
}

void CSetupPage::update_date_sample() {
  if (!date_sample_label_) return;
  if (!date_sample_) {
    date_sample_label_->clear();
    return;
  }
  const std::u16string format_text = from_qstring(date_format_->currentText());
  date_sample_label_->setText(format_text.empty() ? QString() : to_qstring(date_sample_(format_text)));
}

QString CSetupPage::date_sample_text() const { return date_sample_label_ ? date_sample_label_->text() : QString(); }

bool CSetupPage::take(OptionValues& out, QWidget** bad, std::u16string* error) const {
  AppSettings& s = out.settings;
  for (const BufRow& r : kBufRows) {
    auto* e = findChild<QLineEdit*>(to_qstring(r.key));
    const std::optional<int32_t> v = parse_option_int(from_qstring(e->text()));
    if (!v) {
      if (bad) *bad = e;
      if (error) *error = format(u"%s には数値を入力してください。", {std::u16string_view(r.label)});
      return false;
    }
  }
  for (const PathRow& r : kPathRows) s.*r.member = from_qstring(findChild<QLineEdit*>(to_qstring(r.key))->text());
  for (const ComboRow& r : kComboRows)
    s.*r.member = from_qstring(findChild<QComboBox*>(to_qstring(r.key))->currentText());
  for (const CheckRow& r : kSetupChecks)
    s.*r.member = findChild<QCheckBox*>(to_qstring(r.key))->isChecked() ? 1 : 0;
  out.ini_mode = findChild<QCheckBox*>(to_qstring(kIniModeKey))->isChecked();
  out.file_type = findChild<QCheckBox*>(to_qstring(kFileTypeKey))->isChecked();
  for (const BufRow& r : kBufRows)
    s.*r.member = *parse_option_int(from_qstring(findChild<QLineEdit*>(to_qstring(r.key))->text()));
  return true;
}
