#include "gridctrl/grid_ctrl_dialogs.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QSpinBox>

#include "gridctrl/gridctrl_constants.h"

namespace {
QString qs(std::u16string_view s) {
  return QString(reinterpret_cast<const QChar*>(s.data()), static_cast<qsizetype>(s.size()));
}
}  // namespace

CInsertRowsDlg::CInsertRowsDlg(QWidget* parent) : QDialog(parent), count_(new QSpinBox(this)) {
  using namespace kestrel::gridctrl;
  setWindowTitle(qs(kInsertRowsTitle));
  count_->setRange(1, 1000000);
  count_->setValue(1);
  auto* form = new QFormLayout(this);
  form->addRow(qs(kInsertRowsLabel), count_);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  form->addRow(buttons);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

int CInsertRowsDlg::Count() const { return count_->value(); }
