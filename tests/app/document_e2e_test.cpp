// End to end: the program starts with LOGON=SCOTT/TIGER on a fresh demo
// database, the user picks SCOTT.EMP in the real table dialog, edits with
// key events, inserts, deletes, undoes, redoes and saves, and a failed save
// puts the cursor on the failing cell. The main window is rendered to PNG
// after loading and after editing (kept under <build>/test-artifacts).
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <fstream>

#include "app/app_ids.h"
#include "app/area_hooks.h"
#include "app/main_frame.h"
#include "app/table_list_dlg.h"
#include "app/tern_app.h"
#include "app/tern_view.h"
#include "app/view_hints.h"
#include "document_db.h"
#include "griddata/grid_data.h"
#include "gridctrl/grid_ctrl.h"
#include "gridctrl/wheel_splitter.h"
#include "gui_app.h"
#include "sqltext/edit_ctrl.h"
#include "support/scripted_ui.h"

namespace kestrel {
namespace {

std::string U8(std::u16string_view s) { return utf16_to_utf8(s); }

class DocumentEndToEndTest : public testing::DocumentDbTest {
 protected:
  static void SetUpTestSuite() {
    DocumentDbTest::SetUpTestSuite();
    testing::EnsureQApplication();
  }
  void SetUp() override {
    login_in_setup_ = false;
    DocumentDbTest::SetUp();
  }

  std::unique_ptr<CTernApp> MakeApp() {
    args_ = {"kestrel", "LOGON=SCOTT/TIGER@" + db_.string()};
    argv_ = {args_[0].data(), args_[1].data(), nullptr};
    argc_ = 2;
    std::filesystem::create_directories(tmp_.path() / "program");
    auto app = std::make_unique<CTernApp>(argc_, argv_.data(), tmp_.path() / "program");
    install_login_hooks(*app);
    install_document_hooks(*app);
    return app;
  }

  // Picks SCOTT.EMP with these columns in the table dialog when it opens.
  void PickEmpInTheDialog() {
    QTimer::singleShot(0, [] {
      auto* dlg = dynamic_cast<CTableListDlg*>(QApplication::activeModalWidget());
      ASSERT_NE(dlg, nullptr);
      ASSERT_TRUE(dlg->SelectObject(u"EMP"));
      dlg->ClearChosen();
      dlg->MarkColumns({u"EMPNO", u"ENAME", u"JOB", u"SAL"});
      dlg->AddMarked();
      dlg->WhereEditor()->SetText(u"order by empno");
      QTest::mouseClick(dlg->findChild<QPushButton*>("1"), Qt::LeftButton);
    });
  }

  static std::filesystem::path ArtifactDir() {
    const char* env = std::getenv("KESTREL_TEST_ARTIFACTS");
    std::filesystem::path dir = env && *env ? std::filesystem::path(env) : testing::binary_dir() / "test-artifacts";
    std::filesystem::create_directories(dir);
    return dir;
  }

  // Pixels of a 0x00BBGGRR colour in the image.
  static int CountColour(const QImage& img, uint32_t bgr) {
    const QRgb want = qRgb(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF);
    int n = 0;
    for (int y = 0; y < img.height(); ++y)
      for (int x = 0; x < img.width(); ++x)
        if ((img.pixel(x, y) & 0xFFFFFF) == (want & 0xFFFFFF)) ++n;
    return n;
  }

  static void Run(CMainFrame* frame, uint32_t id) {
    frame->update_command_ui();
    QAction* a = frame->action(id);
    ASSERT_NE(a, nullptr) << id;
    ASSERT_TRUE(a->isEnabled()) << id;
    a->trigger();
  }
  // Key events to the grid, then to its cell editor once typing opened it.
  static void Key(CGridCtrl* pane, int key, const QString& text) {
    QWidget* target = pane->IsEditing() ? pane->Editor()->Widget() : static_cast<QWidget*>(pane);
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(target, &release);
  }
  static void TypeInto(CGridCtrl* pane, int32_t row, int32_t col, const QString& text) {
    pane->SetCurCell(row, col);
    for (QChar ch : text) Key(pane, ch.toUpper().unicode(), QString(ch));
    Key(pane, Qt::Key_Return, QStringLiteral("\r"));

  }

  std::vector<std::string> args_;
  std::vector<char*> argv_;
  int argc_ = 0;
};

TEST_F(DocumentEndToEndTest, PickEditSaveAndAFailedSave) {
  auto app = MakeApp();
  testing::ScriptedUi ui;
  ASSERT_TRUE(app->init_instance());
  CMainFrame* frame = app->main_frame();
  ASSERT_NE(frame, nullptr);
  frame->resize(1000, 600);
  frame->show();
  auto* view = dynamic_cast<CTernView*>(frame->centralWidget());
  ASSERT_NE(view, nullptr);
  CGridCtrl* pane = view->Splitter()->MainPane();
  auto* counter = frame->findChild<QLabel*>("EditCounter");
  ASSERT_NE(counter, nullptr);
  frame->update_command_ui();
  EXPECT_FALSE(frame->action(cmd::kRefresh)->isEnabled()) << "nothing to refresh yet";
  EXPECT_FALSE(frame->action(cmd::kSave)->isEnabled());

  PickEmpInTheDialog();
  Run(frame, cmd::kTableSelect);
  CGridData* data = pane->GetGridData();
  ASSERT_EQ(data->GetRowCnt(), 14);
  ASSERT_EQ(data->GetColCnt(), 4);
  EXPECT_TRUE(frame->windowTitle().endsWith(QStringLiteral(" - EMP"))) << frame->windowTitle().toStdString();
  EXPECT_EQ(counter->text(), QStringLiteral(" Insert:0, Update:0, Delete:0 "));
  QApplication::processEvents();
  const QImage loaded = frame->grab().toImage();
  EXPECT_TRUE(loaded.save(QString::fromStdString((ArtifactDir() / "document_loaded.png").string())));
  EXPECT_EQ(CountColour(loaded, app->settings().GRID_UPDATE_COLOR), 0);

  // Key events: ENAME of the first row, a new row, a deleted row.
  pane->setFocus();
  TypeInto(pane, 0, 1, QStringLiteral("Smith"));
  EXPECT_EQ(U8(data->GetData(0, 1)), "鈴木 一郎Smith") << "typing appends to the cell's text";
  pane->SetCurCell(13, 0);
  Run(frame, cmd::kInsertRow);
  const int32_t inserted = data->GetCurRow();
  ASSERT_TRUE(data->IsInsertRow(inserted));
  TypeInto(pane, inserted, 0, QStringLiteral("9001"));
  TypeInto(pane, inserted, 1, QStringLiteral("Newbie"));
  const int32_t last = 3;  // a loaded row
  ASSERT_FALSE(data->IsInsertRow(last));
  pane->SetCurCell(last, 0);
  const std::u16string deleted_empno(data->GetData(last, 0));
  Run(frame, cmd::kDeleteRows);
  ASSERT_TRUE(data->IsDeleteRow(last));
  Run(frame, cmd::kUndo);
  EXPECT_FALSE(data->IsDeleteRow(last));
  ASSERT_TRUE(data->CanRedo());
  Run(frame, cmd::kRedo);
  EXPECT_TRUE(data->IsDeleteRow(last));
  EXPECT_EQ(counter->text(), QStringLiteral(" Insert:1, Update:1, Delete:1 "));
  QApplication::processEvents();
  const QImage edited = frame->grab().toImage();
  EXPECT_TRUE(edited.save(QString::fromStdString((ArtifactDir() / "document_edited.png").string())));
  EXPECT_GT(CountColour(edited, app->settings().GRID_UPDATE_COLOR), 20) << "the updated row shows its colour";
  EXPECT_GT(CountColour(edited, app->settings().GRID_INSERT_COLOR), 20) << "the inserted row shows its colour";

  // Save: No first changes nothing, then Yes and re-run Yes.
  ui.answer(IDNO);
  Run(frame, cmd::kSave);
  EXPECT_EQ(OtherValue(u"select ename from emp where empno = 7369"), u"鈴木 一郎");
  ui.answer(IDYES);
  ui.answer(IDYES);
  Run(frame, cmd::kSave);
  ASSERT_GE(ui.boxes.size(), 3u);
  EXPECT_NE(ui.boxes.back().text.find(u"再検索しますか？"), std::u16string::npos) << U8(ui.boxes.back().text);
  EXPECT_EQ(OtherValue(u"select ename from emp where empno = 7369"), u"鈴木 一郎Smith");
  EXPECT_EQ(OtherValue(u"select ename from emp where empno = 9001"), u"Newbie");
  EXPECT_EQ(OtherValue(u"select count(*) from emp where empno = " + deleted_empno), u"0");
  data = pane->GetGridData();
  EXPECT_EQ(data->GetRowCnt(), 14) << "reloaded";
  EXPECT_EQ(counter->text(), QStringLiteral(" Insert:0, Update:0, Delete:0 "));

  // An edit saved with re-run No clears the document.
  TypeInto(pane, 1, 3, QStringLiteral("5"));
  ui.answer(IDYES);
  ui.answer(IDNO);
  Run(frame, cmd::kSave);
  EXPECT_EQ(pane->GetGridData()->GetRowCnt(), 0);
  EXPECT_EQ(OtherValue(u"select sal from emp where empno = 7499"), u"16005");
  frame->update_command_ui();
  EXPECT_FALSE(frame->action(cmd::kSave)->isEnabled());

  // A duplicate key: the save fails and the cursor goes to that row.
  PickEmpInTheDialog();
  Run(frame, cmd::kTableSelect);
  data = pane->GetGridData();
  ASSERT_EQ(data->GetRowCnt(), 14);
  pane->SetCurCell(5, 0);
  Run(frame, cmd::kInsertRow);
  const int32_t dup = data->GetCurRow();
  TypeInto(pane, dup, 0, QStringLiteral("7369"));
  TypeInto(pane, dup, 1, QStringLiteral("Twin"));
  pane->SetCurCell(0, 3);
  const std::size_t boxes = ui.boxes.size();
  ui.answer(IDYES);
  Run(frame, cmd::kSave);
  ASSERT_EQ(ui.boxes.size(), boxes + 2);
  EXPECT_EQ(ui.boxes.back().title, u"ERROR");
  EXPECT_NE(ui.boxes.back().text.find(u"ORA-00001"), std::u16string::npos) << U8(ui.boxes.back().text);
  EXPECT_EQ(data->GetCurRow(), dup);
  EXPECT_TRUE(data->IsInsertRow(dup));
  EXPECT_EQ(OtherValue(u"select count(*) from emp"), u"14");

  // The second session goes before the program unloads the client library.
  close_session(&other_);
  app->exit_instance();
}

// END_KEY_LIKE_EXCEL=1 in the user's settings: the status bar has the END
// pane, which says "END" while the grid waits in End mode; the options
// sheet's way of turning the setting off takes the pane away.
TEST_F(DocumentEndToEndTest, EndPaneFollowsTheEndKey) {
  const std::filesystem::path ini = tmp_.path() / "config" / "BRANT" / "ORACLE" / "kestrel.ini";
  std::filesystem::create_directories(ini.parent_path());
  {
    std::ofstream out(ini);
    out << "[GRID]\nEND_KEY_LIKE_EXCEL=1\n";
  }
  auto app = MakeApp();
  testing::ScriptedUi ui;
  ASSERT_TRUE(app->init_instance());
  ASSERT_EQ(app->settings().END_KEY_LIKE_EXCEL, 1);
  CMainFrame* frame = app->main_frame();
  frame->resize(1000, 600);
  frame->show();
  const std::vector<uint32_t> ids = frame->pane_ids();
  ASSERT_EQ(ids.size(), 7u);
  EXPECT_EQ(ids.back(), pane::kEnd);
  QLabel* end_pane = frame->pane(pane::kEnd);
  ASSERT_NE(end_pane, nullptr);
  EXPECT_EQ(end_pane->text(), QString());

  PickEmpInTheDialog();
  Run(frame, cmd::kTableSelect);
  auto* view = dynamic_cast<CTernView*>(frame->centralWidget());
  ASSERT_NE(view, nullptr);
  CGridCtrl* pane = view->Splitter()->MainPane();
  CGridData* data = pane->GetGridData();
  ASSERT_EQ(data->GetRowCnt(), 14);
  pane->SetCurCell(2, 1);
  Key(pane, Qt::Key_End, {});
  EXPECT_EQ(end_pane->text(), QStringLiteral("END"));
  EXPECT_EQ(data->GetCurRow(), 2);
  QApplication::processEvents();
  EXPECT_TRUE(frame->grab().toImage().save(QString::fromStdString((ArtifactDir() / "document_end_mode.png").string())));
  Key(pane, Qt::Key_Down, {});
  EXPECT_EQ(data->GetCurRow(), 13) << "End then Down goes to the last row";
  EXPECT_EQ(end_pane->text(), QString());
  Key(pane, Qt::Key_End, {});
  Key(pane, Qt::Key_End, {});
  EXPECT_EQ(end_pane->text(), QString()) << "a second End ends End mode";
  Key(pane, Qt::Key_End, {});
  ASSERT_EQ(end_pane->text(), QStringLiteral("END"));

  // Off, as the options sheet applies it: 6 panes, End to the last column.
  app->settings().END_KEY_LIKE_EXCEL = 0;
  frame->set_indicators(false);
  app->update_all_views(hint::kSettingsChanged);
  EXPECT_EQ(frame->pane_ids().size(), 6u);
  EXPECT_EQ(frame->pane(pane::kEnd), nullptr);
  EXPECT_FALSE(pane->IsEndMode());
  pane->SetCurCell(2, 0);
  Key(pane, Qt::Key_End, {});
  EXPECT_EQ(data->GetCurCol(), 3);
  EXPECT_EQ(data->GetCurRow(), 2);

  // And on again: the new pane starts empty and follows the key.
  app->settings().END_KEY_LIKE_EXCEL = 1;
  frame->set_indicators(true);
  app->update_all_views(hint::kSettingsChanged);
  ASSERT_NE(frame->pane(pane::kEnd), nullptr);
  EXPECT_EQ(frame->pane(pane::kEnd)->text(), QString());
  Key(pane, Qt::Key_End, {});
  EXPECT_EQ(frame->pane(pane::kEnd)->text(), QStringLiteral("END"));

  close_session(&other_);
  app->exit_instance();
}

}  // namespace
}  // namespace kestrel
