// Small dialogs of the grid control.
#pragma once

#include <QDialog>

class QSpinBox;

// "レコード追加(複数行)": asks how many rows to add ("追加する行数").
class CInsertRowsDlg : public QDialog {
 public:
  explicit CInsertRowsDlg(QWidget* parent = nullptr);
  int Count() const;

 private:
  QSpinBox* count_;
};
