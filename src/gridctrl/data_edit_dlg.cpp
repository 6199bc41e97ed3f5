#include "gridctrl/data_edit_dlg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "gridctrl/gridctrl_constants.h"
#include "platform/format.h"
#include "platform/settings_store.h"
#include "sqltext/edit_ctrl.h"
#include "sqltext/sqltext_constants.h"

using namespace kestrel;
using namespace kestrel::gridctrl;

namespace {

QString qs(std::u16string_view s) {
  return QString(reinterpret_cast<const QChar*>(s.data()), static_cast<qsizetype>(s.size()));
}

// The editor's style bits that mean the same in the grid's style.
constexpr uint32_t kSharedStyleBits = kStyleInvertSelectText | kStyleShowSpace | kStyleShow2ByteSpace |
                                      kStyleShowLineFeed | kStyleShowTab | kStyleImeCaretColor;

}  // namespace

CDataEditDlg::CDataEditDlg(QWidget* parent, std::u16string_view col_name, std::u16string_view type_name,
                           std::u16string_view text, const DataEditLook& look, bool read_only, int64_t max_len,
                           SettingsStore* settings)
    : QDialog(parent),
      editor_(new CEditCtrl(this)),
      line_type_(new QComboBox(this)),
      wrap_(new QCheckBox(qs(kWrapRightLabel), this)),
      settings_(settings) {
  setWindowTitle(qs(format(kDataEditTitleFormat, {col_name, type_name})));
  setSizeGripEnabled(true);

  int line_type = settings_ ? settings_->get_int(kDataEditSection, kLineTypeKey, kLineEndCrLf) : kLineEndCrLf;
  if (line_type < kLineEndCrLf || line_type > kLineEndCr) line_type = kLineEndCrLf;
  const bool wrap = settings_ && settings_->get_int(kShowDataDlgSection, kLineModeRightKey, 0) != 0;
  initial_line_type_ = line_type;

  editor_->SetEditorFont(look.font);
  editor_->SetColor(kEditColorText, look.text);
  editor_->SetColor(kEditColorBack, look.back);
  editor_->SetColor(kEditColorSelBack, look.select);
  editor_->SetColor(kEditColorSelText, look.text);
  editor_->SetColor(kEditColorMark, look.mark);
  editor_->SetEditStyle(look.style & kSharedStyleBits);
  editor_->SetImeCaretColor(look.style & kStyleImeCaretColor);
  editor_->SetMaxLen(max_len < 0 ? 0 : max_len);
  editor_->SetText(text);
  // The text opens at its start (loading leaves the caret at the end).
  editor_->SetSel(EditPos{}, EditPos{});
  editor_->SetLineEndMode(line_type);
  editor_->SetWrap(wrap);
  editor_->SetReadOnly(read_only);
  initial_seq_ = editor_->GetUndoSequence();
  editor_->setMinimumSize(200, 80);

  for (const char16_t* caption : kLineEndCaptions) line_type_->addItem(qs(caption));
  line_type_->setCurrentIndex(line_type - 1);
  connect(line_type_, &QComboBox::currentIndexChanged, this,
          [this](int index) { editor_->SetLineEndMode(index + 1); });
  wrap_->setChecked(wrap);
  connect(wrap_, &QCheckBox::toggled, this, [this](bool on) { editor_->SetWrap(on); });

  auto* label = new QLabel(qs(kLineBreakLabel), this);
  label->setBuddy(line_type_);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &CDataEditDlg::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &CDataEditDlg::reject);
  // Enter belongs to the editor: no button takes it as the default.
  for (QAbstractButton* b : buttons->buttons())
    if (auto* pb = qobject_cast<QPushButton*>(b)) pb->setAutoDefault(false);

  auto* bottom = new QHBoxLayout;
  bottom->addWidget(label);
  bottom->addWidget(line_type_);
  bottom->addSpacing(12);
  bottom->addWidget(wrap_);
  bottom->addStretch(1);
  bottom->addWidget(buttons);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(editor_, 1);
  layout->addLayout(bottom);
  resize(640, 420);
  editor_->setFocus();
}

CDataEditDlg::~CDataEditDlg() = default;

int CDataEditDlg::LineType() const { return line_type_->currentIndex() + 1; }

bool CDataEditDlg::Changed() const {
  return editor_->GetUndoSequence() != initial_seq_ || LineType() != initial_line_type_;
}

std::u16string CDataEditDlg::Text() const { return editor_->GetText(); }

bool CDataEditDlg::Refresh(std::u16string_view text) {
  if (editor_->GetUndoSequence() != initial_seq_) return false;
  editor_->SetText(text);
  editor_->SetSel(EditPos{}, EditPos{});
  // The shown text is the cell's again: OK stores nothing unless edited.
  initial_seq_ = editor_->GetUndoSequence();
  return true;
}

void CDataEditDlg::accept() {
  if (!editor_->IsReadOnly() && Changed() && store && !store(Text())) {
    editor_->setFocus();
    return;
  }
  QDialog::accept();
}

void CDataEditDlg::done(int result) {
  SaveChoices();
  QDialog::done(result);
}

void CDataEditDlg::SaveChoices() {
  if (!settings_) return;
  settings_->write_int(kDataEditSection, kLineTypeKey, LineType());
  settings_->write_int(kShowDataDlgSection, kLineModeRightKey, wrap_->isChecked() ? 1 : 0);
}
