// Shows a split grid over Japanese text for a look by eye (not a test):
//   xvfb-run -s "-screen 0 1024x700x24" ./gridctrl_look [seconds]
// or writes it and the data dialog as pictures instead:
//   QT_QPA_PLATFORM=offscreen ./gridctrl_look --png DIR
#include <QApplication>
#include <QTimer>
#include <cstring>

#include "gridctrl/data_edit_dlg.h"

#include "gridctrl/grid_ctrl.h"
#include "gridctrl/gridctrl_constants.h"
#include "gridctrl/wheel_splitter.h"
#include "regex/regex.h"
#include "test_grids.h"

using namespace kestrel;
using namespace kestrel::gridctrl;

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  testing::Rows rows = {
      {u"7369", u"スミス", u"事務員", u"1980-12-17", u"800", u""},
      {u"7499", u"アレン", u"営業", u"1981-02-20", u"1600", u"300"},
      {u"7521", u"ワード", u"営業", u"1981-02-22", u"1250", u"500"},
      {u"7566", u"ジョーンズ", u"管理職", u"1981-04-02", u"2975", u""},
      {u"7654", u"マーティン", u"営業\r\n(兼務)", u"1981-09-28", u"1250", u"1400"},
      {u"7698", u"ブレイク", u"管理職", u"1981-05-01", u"2850", u""},
      {u"7782", u"クラーク", u"管理職", u"1981-06-09", u"2450", u""},
      {u"7788", u"スコット　太郎", u"分析者", u"1987-04-19", u"3000", u""},
      {u"7839", u"キング", u"社長", u"1981-11-17", u"5000", u""},
      {u"7844", u"ターナー", u"営業", u"1981-09-08", u"1500", u"0"},
  };
  for (int i = 0; i < 40; ++i) rows.push_back({u"8" + std::u16string(3, char16_t(u'0' + i % 10)), u"社員" + std::u16string(1, char16_t(u'A' + i % 26)), u"事務員", u"1990-01-01", u"1000", u""});
  auto data = testing::MakeGrid(rows, {u"EMPNO", u"ENAME", u"JOB", u"HIREDATE", u"SAL", u"COMM"});
  data->SetColDataType(0, grid::kTypeNumber);
  data->SetColDataType(4, grid::kTypeNumber);
  data->SetColFlags(0, 0);
  data->UpdateData(1, 4, u"1700");
  data->InsertRows(2, 1);
  data->UpdateData(3, 1, u"新人");
  data->DeleteRows(5, 5);
  CWheelSplitterWnd split;
  split.resize(1000, 660);
  QFont f(QStringLiteral("Noto Sans Mono CJK JP"));
  f.setPixelSize(16);
  split.MainPane()->SetGridFont(f);
  split.SetPaneStyle(kMainViewStyle | kStyleEditKeys | kStyleNullCellColor | kStyleShowLineFeed |
                     kStyleShow2ByteSpace | kStyleShowNotNull);
  split.MainPane()->SetNullText(u"(null)");
  split.SetGridData(data.get());
  split.MainPane()->AdjustAllColWidth(true);
  auto re = compile_regex(u"営業", 0);
  split.MainPane()->SetSearchRegex(re.get());
  split.MainPane()->SetCurCell(2, 1);
  split.MainPane()->SetCurCell(4, 2, true);
  split.show();
  split.SplitRows(380);
  split.SplitCols(560);
  split.Pane(1, 0)->SetScrollRow(20);
  split.Pane(0, 1)->SetScrollCol(3);
  if (argc > 2 && std::strcmp(argv[1], "--png") == 0) {
    const QString dir = QString::fromLocal8Bit(argv[2]);
    QApplication::processEvents();
    bool ok = split.grab().save(dir + QStringLiteral("/grid.png"));
    DataEditLook look;
    look.font = f;
    look.mark = 0x969600;
    look.style = kStyleShowLineFeed | kStyleShow2ByteSpace | kStyleShowSpace;
    CDataEditDlg dlg(nullptr, u"JOB", u"VARCHAR2(40)", u"営業\r\n(兼務)　東京都千代田区 1-1\r\n𠮷野家 ABC", look, false, -1,
                     nullptr);
    dlg.show();
    QApplication::processEvents();
    ok = dlg.grab().save(dir + QStringLiteral("/data_edit.png")) && ok;
    return ok ? 0 : 1;
  }
  const int seconds = argc > 1 ? std::atoi(argv[1]) : 5;
  QTimer::singleShot(seconds * 1000, &app, &QApplication::quit);
  return app.exec();
}
