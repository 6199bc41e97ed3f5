// The data dialog (34002) opened from the grid with real events: the title,
// the grid's look, the line-break and wrap choices with their settings, what
// OK and Cancel store, read-only cells and a refused store.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QTimer>
#include <functional>

#include "gridctrl/data_edit_dlg.h"
#include "gridctrl/gridctrl_constants.h"
#include "gui_test_support.h"
#include "platform/settings_store.h"
#include "sqltext/edit_ctrl.h"
#include "support/recording_msg_target.h"
#include "support/scripted_ui.h"
#include "test_grids.h"

using namespace kestrel;
using namespace kestrel::gridctrl;
using namespace kestrel::testing;

namespace {

struct DataEditFixture : public ::testing::Test {
  DataEditFixture() {
    data = MakeGrid({{u"two\r\nlines", u"ro"}, {u"a\nb\nc", u"x"}}, {u"MEMO", u"RO"});
    data->SetColFlags(1, 0);  // read-only
    grid = std::make_unique<CGridCtrl>(nullptr, kMainViewStyle | kStyleEditKeys | kStyleShowSpace);
    grid->resize(300, 120);
    grid->SetGridFont(TestFont());
    grid->SetGridData(data.get());
    grid->SetParentTarget(&parent);
    grid->SetSettingsStore(&settings);
    grid->status_text = [this](std::u16string_view t) { status.emplace_back(t); };
    grid->show();
  }

  // Opens the dialog on the current cell and runs `act` on it once shown.
  void RunDialog(const std::function<void(CDataEditDlg&)>& act) {
    bool shown = false;
    QTimer::singleShot(0, [&] {
      auto* dlg = dynamic_cast<CDataEditDlg*>(QApplication::activeModalWidget());
      if (!dlg) {
        ADD_FAILURE() << "no data dialog";
        return;
      }
      shown = true;
      act(*dlg);
      if (dlg->isVisible()) dlg->reject();  // never leave the test waiting
    });
    grid->RunCommand(kCmdDataEdit);
    EXPECT_TRUE(shown);
  }

  static void TypeInto(CDataEditDlg& dlg, const QString& text) {
    for (QChar ch : text) Key(dlg.Editor(), 0, Qt::NoModifier, QString(ch));
  }

  ScriptedUi ui;
  MemorySettingsStore settings;
  RecordingMsgTarget parent;
  std::vector<std::u16string> status;
  std::unique_ptr<TextPoolGridData> data;
  std::unique_ptr<CGridCtrl> grid;
};

TEST_F(DataEditFixture, OkStoresTypedTextJoinedWithTheChosenLineBreak) {
  settings.write_int(kShowDataDlgSection, kLineModeRightKey, 1);
  RunDialog([&](CDataEditDlg& dlg) {
    EXPECT_EQ(dlg.windowTitle(), QStringLiteral("データ編集 Name:MEMO Type:"));
    EXPECT_EQ(dlg.LineTypeBox()->currentText(), QStringLiteral("CR+LF(\\r\\n)"));
    EXPECT_EQ(dlg.LineTypeBox()->count(), 3);
    EXPECT_TRUE(dlg.WrapBox()->isChecked());
    EXPECT_TRUE(dlg.Editor()->GetWrap());
    EXPECT_EQ(dlg.Editor()->font().pixelSize(), grid->GridFont().pixelSize());
    EXPECT_TRUE(dlg.Editor()->GetEditStyle() & kStyleShowSpace);
    EXPECT_FALSE(dlg.Editor()->IsReadOnly());
    TypeInto(dlg, QStringLiteral("!漢"));  // the caret starts at the text's start
    dlg.LineTypeBox()->setCurrentIndex(1);  // LF, at once in the buffer
    EXPECT_EQ(dlg.Text(), u"!漢two\nlines");
    dlg.WrapBox()->setChecked(false);
    dlg.accept();
  });
  EXPECT_EQ(data->GetData(0, 0), u"!漢two\nlines");
  EXPECT_TRUE(data->IsUpdateCell(0, 0));
  EXPECT_EQ(settings.get_int(kDataEditSection, kLineTypeKey, 0), 2);
  EXPECT_EQ(settings.get_int(kShowDataDlgSection, kLineModeRightKey, 9), 0);
  ASSERT_FALSE(status.empty());
  EXPECT_EQ(status.back(), u"");
  EXPECT_EQ(parent.ids().back(), kMsgCellDataChanged);
}

TEST_F(DataEditFixture, LineBreakChoiceAloneIsAChange) {
  grid->SetCurCell(1, 0);
  settings.write_int(kDataEditSection, kLineTypeKey, 3);
  RunDialog([&](CDataEditDlg& dlg) {
    EXPECT_EQ(dlg.LineType(), 3);
    EXPECT_FALSE(dlg.Changed());
    dlg.LineTypeBox()->setCurrentIndex(0);
    EXPECT_TRUE(dlg.Changed());
    dlg.accept();
  });
  EXPECT_EQ(data->GetData(1, 0), u"a\r\nb\r\nc");
  EXPECT_EQ(settings.get_int(kDataEditSection, kLineTypeKey, 0), 1);
}

TEST_F(DataEditFixture, UnchangedOkAndCancelStoreNothingButKeepTheChoices) {
  settings.write_int(kDataEditSection, kLineTypeKey, 7);  // unknown: CR LF
  RunDialog([&](CDataEditDlg& dlg) {
    EXPECT_EQ(dlg.LineType(), 1);
    dlg.accept();
  });
  EXPECT_FALSE(data->CanUndo());
  EXPECT_EQ(settings.get_int(kDataEditSection, kLineTypeKey, 0), 1);
  parent.clear();
  RunDialog([&](CDataEditDlg& dlg) {
    TypeInto(dlg, QStringLiteral("zz"));
    dlg.LineTypeBox()->setCurrentIndex(2);
    dlg.WrapBox()->setChecked(true);
    dlg.reject();
  });
  EXPECT_EQ(data->GetData(0, 0), u"two\r\nlines");
  EXPECT_FALSE(data->CanUndo());
  EXPECT_TRUE(parent.ids().empty());
  EXPECT_EQ(settings.get_int(kDataEditSection, kLineTypeKey, 0), 3);
  EXPECT_EQ(settings.get_int(kShowDataDlgSection, kLineModeRightKey, 0), 1);
}

TEST_F(DataEditFixture, ReadOnlyCellIsShownButNotEditable) {
  grid->SetCurCell(0, 1);
  RunDialog([&](CDataEditDlg& dlg) {
    EXPECT_TRUE(dlg.Editor()->IsReadOnly());
    EXPECT_EQ(dlg.Text(), u"ro");
    TypeInto(dlg, QStringLiteral("q"));
    dlg.LineTypeBox()->setCurrentIndex(1);
    dlg.accept();
  });
  EXPECT_EQ(data->GetData(0, 1), u"ro");
  EXPECT_FALSE(data->CanUndo());
}

TEST_F(DataEditFixture, RefusedStoreKeepsTheDialogOpenWithItsText) {
  data->SetMaxDataLen(5);
  grid->SetCurCell(1, 0);
  settings.write_int(kDataEditSection, kLineTypeKey, 2);
  RunDialog([&](CDataEditDlg& dlg) {
    dlg.LineTypeBox()->setCurrentIndex(0);  // CR LF makes 7 units: too long
    dlg.accept();
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_EQ(dlg.Text(), u"a\r\nb\r\nc");
    dlg.LineTypeBox()->setCurrentIndex(1);
    dlg.reject();
  });
  EXPECT_EQ(data->GetData(1, 0), u"a\nb\nc");
  EXPECT_FALSE(data->CanUndo());
}

TEST_F(DataEditFixture, RefreshShowsTheCellsNewTextUnlessTheUserTyped) {
  EXPECT_FALSE(grid->RefreshDataDialog()) << "no dialog open";
  RunDialog([&](CDataEditDlg& dlg) {
    EXPECT_EQ(grid->DataDialog(), &dlg);
    ASSERT_EQ(data->UpdateData(0, 0, u"from elsewhere"), 0);
    EXPECT_TRUE(grid->RefreshDataDialog());
    EXPECT_EQ(dlg.Text(), u"from elsewhere");
    EXPECT_FALSE(dlg.Changed()) << "the refreshed text is the cell's, not an edit";
    dlg.accept();
  });
  EXPECT_EQ(grid->DataDialog(), nullptr);
  EXPECT_EQ(data->GetData(0, 0), u"from elsewhere");
  EXPECT_TRUE(parent.ids().empty()) << "an unchanged OK stores nothing";

  // What the user typed is not thrown away by a change behind the dialog;
  // OK then stores the typed text.
  grid->SetCurCell(1, 0);
  RunDialog([&](CDataEditDlg& dlg) {
    TypeInto(dlg, QStringLiteral("#"));
    ASSERT_EQ(data->UpdateData(1, 0, u"other"), 0);
    EXPECT_TRUE(grid->RefreshDataDialog());
    EXPECT_EQ(dlg.Text(), u"#a\r\nb\r\nc");
    dlg.accept();
  });
  EXPECT_EQ(data->GetData(1, 0), u"#a\r\nb\r\nc");
}

TEST_F(DataEditFixture, EmptyGridOpensNoDialog) {
  auto empty = MakeGrid({}, {u"A"});
  grid->SetGridData(empty.get());
  EXPECT_FALSE(grid->CanRunCommand(kCmdDataEdit));
  grid->RunCommand(kCmdDataEdit);  // returns at once: no modal loop to leave
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
  grid->SetGridData(nullptr);
}

}  // namespace
