// CGridCtrl offscreen with real key, input-method and mouse events, checked
// against the grid data and the painted pixels.
#include <QEventLoop>
#include <QInputMethodEvent>
#include <QMenu>
#include <QTimer>
#include <QToolTip>

#include "griddata/editable_grid_data.h"
#include "gridctrl/cell_editor_widget.h"
#include "gridctrl/gridctrl_constants.h"
#include "gui_test_support.h"
#include "regex/regex.h"
#include "support/recording_msg_target.h"
#include "support/scripted_ui.h"
#include "test_grids.h"

using namespace kestrel;
using namespace kestrel::gridctrl;
using namespace kestrel::testing;

namespace {


constexpr uint32_t kStyle = kMainViewStyle | kStyleEditKeys | kStyleNullCellColor;

// Distinct colours per state so every pixel tells which rule drew it.
void DistinctColours(CGridCtrl& g) {
  const uint32_t colours[kColorCount] = {0xFFFFFF, 0xE0E0E0, 0xC0C0C0, 0xFF8080, 0x808080, 0x80FF80,
                                         0x8080FF, 0xF0F0F0, 0x000000, 0xD0FFD0, 0x0000C0, 0x404040,
                                         0x00C000, 0x787878, 0x00FFFF, 0x000000};
  for (int i = 0; i < kColorCount; ++i) g.SetColor(i, colours[i]);
}

struct GridFixture : public ::testing::Test {
  GridFixture() {
    data = MakeGrid({{u"alpha", u"12", u"ro", u""},
                     {u"two\r\nlines", u"345", u"ro", u"x y"},
                     {u"abc", u"6", u"ro", u"z"},
                     {u"d", u"7", u"ro", u"w"}},
                    {u"NAME", u"NUM", u"RO", u"OPT"});
    data->SetColDataType(1, grid::kTypeNumber);
    data->SetColFlags(2, 0);  // read-only
    grid = std::make_unique<CGridCtrl>(nullptr, kStyle);
    grid->resize(420, 160);
    grid->SetGridFont(TestFont());
    grid->SetGridData(data.get());
    grid->SetParentTarget(&parent);
    DistinctColours(*grid);
    grid->show();
    grid->setFocus();
  }
  GridCtrlMetrics& M() { return grid->Metrics(); }
  std::u16string Text(int r, int c) { return std::u16string(data->GetData(r, c)); }
  uint32_t CellBg(int r, int c) {
    QImage img = RenderGrid(*grid);
    QRect q = CellQRect(*grid, r, c);
    return PixelRef(img, q.x() + 1, q.y() + 1);
  }
  ScriptedUi ui;
  RecordingMsgTarget parent;
  std::unique_ptr<TextPoolGridData> data;
  std::unique_ptr<CGridCtrl> grid;
};

TEST_F(GridFixture, PaintsStateColoursHeadersLinesAndFrame) {
  data->UpdateData(0, 3, u"changed");
  data->DeleteRows(2, 2);
  data->InsertRows(3, 1);  // row 4 inserted
  grid->RecalcLayout();
  grid->SetCurCell(1, 0);
  QImage img = RenderGrid(*grid);
  auto bg = [&](int r, int c) {
    QRect q = CellQRect(*grid, r, c);
    return PixelRef(img, q.x() + 1, q.y() + 1);
  };
  EXPECT_EQ(bg(0, 3), M().GetColor(kColorUpdate));
  EXPECT_EQ(bg(2, 0), M().GetColor(kColorDelete));
  EXPECT_EQ(bg(0, 2), M().GetColor(kColorUneditable));
  EXPECT_EQ(bg(4, 0), M().GetColor(kColorInsert));
  EXPECT_EQ(bg(3, 0), M().GetColor(kColorBg));
  EXPECT_EQ(bg(4, 3), M().GetColor(kColorInsert));
  // Grid line in the right and bottom pixel of a cell.
  QRect q = CellQRect(*grid, 3, 0);
  EXPECT_EQ(PixelRef(img, q.right(), q.y() + 3), M().GetColor(kColorLine));
  EXPECT_EQ(PixelRef(img, q.x() + 3, q.bottom()), M().GetColor(kColorLine));
  // Headers: background, header line, and the current cell's frame.
  const GridLayout& l = grid->Layout();
  GridRect h1 = l.ColHeaderRect(*data, 1);  // column 0 is current: highlighted
  EXPECT_EQ(PixelRef(img, h1.x + 1, 1), M().GetColor(kColorHeaderBg));
  EXPECT_EQ(PixelRef(img, 1, l.ColHeaderHeight() - 1), M().GetColor(kColorHeaderLine));
  QRect cur = CellQRect(*grid, 1, 0);
  EXPECT_EQ(PixelRef(img, cur.x(), cur.y() + 5), M().GetColor(kColorCurFrame));
  EXPECT_EQ(PixelRef(img, cur.x() + 5, cur.y()), M().GetColor(kColorCurFrame));
  // Header text is drawn (dark pixels in the NAME header).
  GridRect h = l.ColHeaderRect(*data, 0);
  EXPECT_GT(CountColour(img, QRect(h.x, h.y, h.w, h.h), 0x000000), 5);
}

TEST_F(GridFixture, SelectionColourAndHighlightedHeaders) {
  grid->SetStyle(kStyle | kStyleHighlightCurHeader);
  grid->SetCurCell(1, 0);
  grid->SetCurCell(2, 1, true);
  EXPECT_EQ(CellBg(1, 0), M().GetColor(kColorSelect));
  EXPECT_EQ(CellBg(2, 1), M().GetColor(kColorSelect));
  EXPECT_EQ(CellBg(3, 1), M().GetColor(kColorBg));
  QImage img = RenderGrid(*grid);
  GridRect h = grid->Layout().ColHeaderRect(*data, 1);
  EXPECT_EQ(PixelRef(img, h.x + 1, h.y + 1), HeaderBackground(M(), true));
}

TEST_F(GridFixture, NullTextLineFeedArrowAndRightAlignment) {
  grid->SetStyle(kStyle | kStyleShowLineFeed);
  grid->SetNullText(u"(null)");
  data->SetColWidth(0, 150);
  grid->RecalcLayout();
  QImage img = RenderGrid(*grid);
  const uint32_t mark = M().GetColor(kColorMark);
  EXPECT_GT(CountColour(img, CellQRect(*grid, 0, 3), mark), 5);        // NULL text
  EXPECT_EQ(CountColour(img, CellQRect(*grid, 0, 3), 0x000000), 0);   // and nothing else
  // Line-feed arrow after "two" (three 7-pixel characters), none after "abc".
  QRect two = CellQRect(*grid, 1, 0), abc = CellQRect(*grid, 2, 0);
  EXPECT_GT(CountColour(img, two.adjusted(30, 0, 0, 0), mark), 3);
  EXPECT_EQ(CountColour(img, abc.adjusted(30, 0, 0, 0), mark), 0);
  // Number column: text at the right edge, nothing at the left.
  QRect num = CellQRect(*grid, 1, 1);
  EXPECT_GT(CountColour(img, QRect(num.right() - 25, num.y(), 24, num.height()), 0x000000), 3);
  EXPECT_EQ(CountColour(img, QRect(num.x(), num.y(), 30, num.height() - 1), 0x000000), 0);
  grid->SetNullText(u"");
  img = RenderGrid(*grid);
  EXPECT_EQ(CountColour(img, CellQRect(*grid, 0, 3), mark), 0);
}

TEST_F(GridFixture, SearchHighlightAndEmptyMatches) {
  auto re = compile_regex(u"b", 0);
  ASSERT_TRUE(re);
  grid->SetSearchRegex(re.get());
  QImage img = RenderGrid(*grid);
  const uint32_t hl = M().GetColor(kColorSearch);
  EXPECT_GT(CountColour(img, CellQRect(*grid, 2, 0), hl), 10);  // "abc"
  EXPECT_EQ(CountColour(img, CellQRect(*grid, 3, 0), hl), 0);   // "d"
  auto empty = compile_regex(u"q*", 0);
  grid->SetSearchRegex(empty.get());
  img = RenderGrid(*grid);
  EXPECT_EQ(CountColour(img, grid->rect(), hl), 0);
  grid->SetSearchRegex(nullptr);
}

TEST_F(GridFixture, TypingBackspaceEnterAndUndo) {
  grid->SetCurCell(2, 0);
  Type(*grid, Qt::Key_X, Qt::NoModifier, QStringLiteral("x"));
  ASSERT_TRUE(grid->IsEditing());
  EXPECT_EQ(grid->Editor()->EditText(), u"abcx");  // a typed character goes in at the end
  Type(*grid, Qt::Key_Backspace);
  Type(*grid, Qt::Key_Backspace);
  Type(*grid, Qt::Key_Return);
  EXPECT_FALSE(grid->IsEditing());
  EXPECT_EQ(Text(2, 0), u"ab");
  EXPECT_EQ(data->GetCurRow(), 3);  // Enter moves down
  EXPECT_TRUE(data->IsUpdateCell(2, 0));
  auto ids = parent.ids();
  EXPECT_NE(std::find(ids.begin(), ids.end(), kMsgCellDataChanged), ids.end());
  // Backspace on the grid deletes the last character of the cell text.
  grid->SetCurCell(0, 0);
  Type(*grid, Qt::Key_Backspace);
  Type(*grid, Qt::Key_Return);
  EXPECT_EQ(Text(0, 0), u"alph");
  Type(*grid, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(Text(0, 0), u"alpha");
  Type(*grid, Qt::Key_Y, Qt::ControlModifier);
  EXPECT_EQ(Text(0, 0), u"alph");
}

TEST_F(GridFixture, F2AndUnchangedEditMakeNoUndoStepEscCancels) {
  grid->SetCurCell(3, 0);
  const bool could_undo = data->CanUndo();
  Type(*grid, Qt::Key_F2);
  ASSERT_TRUE(grid->IsEditing());
  EXPECT_TRUE(grid->Editor()->ChangedLook());
  Type(*grid, Qt::Key_Return);
  EXPECT_FALSE(data->IsUpdateCell(3, 0));
  EXPECT_EQ(data->CanUndo(), could_undo);
  grid->SetCurCell(3, 0);
  Type(*grid, Qt::Key_Q, Qt::NoModifier, QStringLiteral("q"));
  Type(*grid, Qt::Key_Escape);
  EXPECT_FALSE(grid->IsEditing());
  EXPECT_EQ(Text(3, 0), u"d");
}

TEST_F(GridFixture, ReadOnlyCellDoesNotEdit) {
  grid->SetCurCell(0, 2);
  Type(*grid, Qt::Key_F2);
  EXPECT_FALSE(grid->IsEditing());
  Type(*grid, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
  EXPECT_FALSE(grid->IsEditing());
  EXPECT_EQ(Text(0, 2), u"ro");
}

TEST_F(GridFixture, InputMethodPreeditAndCommitOfJapanese) {
  grid->SetCurCell(3, 3);
  QInputMethodEvent pre(QStringLiteral("にほん"), {});
  QApplication::sendEvent(grid.get(), &pre);
  ASSERT_TRUE(grid->IsEditing());
  auto* ed = dynamic_cast<CellEditorWidget*>(grid->Editor());
  ASSERT_NE(ed, nullptr);
  EXPECT_EQ(ed->Preedit(), u"にほん");
  QInputMethodEvent commit;
  commit.setCommitString(QStringLiteral("日本"));
  QApplication::sendEvent(ed, &commit);
  EXPECT_EQ(ed->Preedit(), u"");
  Type(*grid, Qt::Key_Return);
  EXPECT_EQ(Text(3, 3), u"w日本");
  EXPECT_EQ(static_cast<QWidget*>(grid.get())->inputMethodQuery(Qt::ImFont).value<QFont>().pixelSize(), 12);
  QRect cr = static_cast<QWidget*>(grid.get())->inputMethodQuery(Qt::ImCursorRectangle).toRect();
  EXPECT_EQ(cr, CellQRect(*grid, data->GetCurRow(), data->GetCurCol()));
}

// Refuses any text holding "!", with a message.
class RefusingGrid final : public CEditableGridData {
 public:
  explicit RefusingGrid(const TextPool* pool) {
    InitData(pool->RowCount(), pool->ColCount());
    SetCellTextSource(pool);
    ResetColWidthTable();
    SetCurCell(0, 0);
  }
  int32_t GetHiddenColCnt() const override { return 0; }
  int32_t UpdateData(int32_t row, int32_t col, std::u16string_view text) override {
    if (text.find(u'!') != std::u16string_view::npos) {
      error_ = u"refused";
      return grid::kRefused;
    }
    return CEditableGridData::UpdateData(row, col, text);
  }
  std::u16string GetLastErrorMsg() const override { return error_; }

 private:
  std::u16string error_;
};

TEST_F(GridFixture, RefusedEditKeepsEditorAndText) {
  TextPool pool(2);
  std::u16string_view cells[] = {u"a", u"b"};
  pool.AddRow(cells);
  pool.AddRow(cells);
  RefusingGrid refusing(&pool);
  grid->SetGridData(&refusing);
  Type(*grid, Qt::Key_Exclam, Qt::NoModifier, QStringLiteral("!"));
  ASSERT_TRUE(grid->IsEditing());
  Type(*grid, Qt::Key_Return);
  EXPECT_TRUE(grid->IsEditing());
  EXPECT_EQ(grid->Editor()->EditText(), u"a!");
  EXPECT_EQ(refusing.GetCurRow(), 0);
  ASSERT_FALSE(ui.boxes.empty());
  EXPECT_EQ(ui.boxes.back().text, u"refused");
  EXPECT_EQ(ui.boxes.back().title, u"Error");
  Type(*grid, Qt::Key_Backspace);
  Type(*grid, Qt::Key_Return);
  EXPECT_FALSE(grid->IsEditing());
  EXPECT_EQ(refusing.GetCurRow(), 1);
  grid->SetGridData(data.get());
}

TEST_F(GridFixture, NavigationPostsCurCellMoved) {
  grid->SetCurCell(0, 0);
  parent.clear();
  Type(*grid, Qt::Key_Down);
  Type(*grid, Qt::Key_Right);
  EXPECT_EQ(data->GetCurRow(), 1);
  EXPECT_EQ(data->GetCurCol(), 1);
  auto msgs = parent.messages();
  ASSERT_EQ(msgs.size(), 2u);
  EXPECT_TRUE(msgs[1].posted);
  EXPECT_EQ(msgs[1].msg, kMsgCurCellMoved);
  EXPECT_EQ(msgs[1].wparam, 1u);
  EXPECT_EQ(msgs[1].lparam, 1);
  Type(*grid, Qt::Key_Down, Qt::ShiftModifier);
  EXPECT_TRUE(data->HasSelection());
  Type(*grid, Qt::Key_Escape);
  EXPECT_FALSE(data->HasSelection());
  Type(*grid, Qt::Key_Tab);
  EXPECT_EQ(data->GetCurCol(), 2);
}

TEST_F(GridFixture, EndModeIsToldWhenItTurnsOnAndOff) {
  std::vector<bool> told;
  grid->end_mode_changed = [&told](bool on) { told.push_back(on); };
  grid->SetStyle(kStyle | kStyleEndKeyLikeExcel);
  grid->SetCurCell(1, 1);
  Type(*grid, Qt::Key_End);
  EXPECT_TRUE(grid->IsEndMode());
  EXPECT_EQ(data->GetCurCol(), 1) << "End only arms the jump";
  Type(*grid, Qt::Key_Shift, Qt::ShiftModifier);
  EXPECT_TRUE(grid->IsEndMode()) << "Shift keeps End mode";
  Type(*grid, Qt::Key_Down);
  EXPECT_FALSE(grid->IsEndMode());
  EXPECT_EQ(data->GetCurRow(), 3);
  EXPECT_EQ(told, (std::vector<bool>{true, false}));

  // End twice turns it off again; a typed character (an edit) ends it too.
  Type(*grid, Qt::Key_End);
  Type(*grid, Qt::Key_End);
  EXPECT_EQ(told, (std::vector<bool>{true, false, true, false}));
  Type(*grid, Qt::Key_End);
  Type(*grid, Qt::Key_Q, Qt::NoModifier, QStringLiteral("q"));
  EXPECT_TRUE(grid->IsEditing());
  EXPECT_FALSE(grid->IsEndMode());
  grid->CancelEdit();

  // Turning the setting off leaves no End mode behind.
  Type(*grid, Qt::Key_End);
  ASSERT_TRUE(grid->IsEndMode());
  told.clear();
  grid->SetStyle(kStyle);
  EXPECT_FALSE(grid->IsEndMode());
  EXPECT_EQ(told, (std::vector<bool>{false}));
  grid->SetCurCell(0, 0);
  Type(*grid, Qt::Key_End);
  EXPECT_EQ(data->GetCurCol(), 3) << "without the setting End goes to the last column";
  EXPECT_FALSE(grid->IsEndMode());
  EXPECT_EQ(told, (std::vector<bool>{false}));
}

TEST_F(GridFixture, CopyCutPasteAndSelectAll) {
  grid->SetCurCell(2, 0);
  grid->SetCurCell(3, 1, true);
  Type(*grid, Qt::Key_C, Qt::ControlModifier);
  EXPECT_EQ(ui.clipboard, u"abc\t6\r\nd\t7\r\n");
  Type(*grid, Qt::Key_X, Qt::ControlModifier);
  EXPECT_EQ(Text(2, 0), u"");
  EXPECT_EQ(Text(3, 1), u"");
  Type(*grid, Qt::Key_Z, Qt::ControlModifier);  // the clear was one step
  EXPECT_EQ(Text(2, 0), u"abc");
  EXPECT_EQ(Text(3, 1), u"7");
  // A quoted multi-line field pastes into one cell.
  ui.clipboard = u"\"p\r\nq\"\tr\r\n";
  grid->SetCurCell(0, 0);
  Type(*grid, Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(Text(0, 0), u"p\r\nq");
  EXPECT_EQ(Text(0, 1), u"r");
  Type(*grid, Qt::Key_A, Qt::ControlModifier);
  EXPECT_EQ(data->GetSelection(), (CellRange{0, 0, 3, 3}));
}

class FailingClipboard : public UiServices {
 public:
  FailingClipboard() : prev_(set_ui_services(this)) {}
  ~FailingClipboard() override { set_ui_services(prev_); }
  int message_box(std::u16string_view text, std::u16string_view, uint32_t) override {
    boxes.emplace_back(text);
    return IDOK;
  }
  void beep(uint32_t) override {}
  bool clipboard_text(std::u16string&) override { return false; }
  bool set_clipboard_text(std::u16string_view) override { return false; }
  void set_busy_cursor(bool) override {}
  bool open_url(std::u16string_view) override { return false; }
  std::vector<std::u16string> boxes;

 private:
  UiServices* prev_;
};

TEST_F(GridFixture, CutWithFailingClipboardClearsNothing) {
  FailingClipboard fail;
  grid->SetCurCell(0, 0);
  Type(*grid, Qt::Key_X, Qt::ControlModifier);
  EXPECT_EQ(Text(0, 0), u"alpha");
  ASSERT_EQ(fail.boxes.size(), 1u);
  EXPECT_EQ(fail.boxes[0], u"Unable to set Clipboard data");
}

TEST_F(GridFixture, DeleteOverReadOnlyColumnIsOneUndoStep) {
  grid->SetCurCell(0, 1);
  grid->SetCurCell(1, 3, true);
  Type(*grid, Qt::Key_Delete);
  EXPECT_EQ(Text(0, 1), u"");
  EXPECT_EQ(Text(1, 3), u"");
  EXPECT_EQ(Text(0, 2), u"ro");
  grid->RunCommand(kCmdEditUndo);
  EXPECT_EQ(Text(0, 1), u"12");
  EXPECT_EQ(Text(1, 3), u"x y");
  EXPECT_FALSE(data->CanUndo());
}

TEST_F(GridFixture, PasteToCellHonoursReadOnly) {
  ui.set_clipboard_text(u"a\tb\r\nc");
  grid->SetCurCell(0, 2);
  grid->RunCommand(kCmdPasteToCell);
  EXPECT_EQ(Text(0, 2), u"ro");
  grid->SetCurCell(0, 3);
  grid->RunCommand(kCmdPasteToCell);
  EXPECT_EQ(Text(0, 3), u"a\tb\r\nc");
}

TEST_F(GridFixture, InsertAndDeleteRowsPostMessages) {
  grid->SetCurCell(1, 0);
  parent.clear();
  grid->RunCommand(kCmdInsertRow);
  EXPECT_EQ(data->GetRowCnt(), 5);
  EXPECT_TRUE(data->IsInsertRow(2));
  auto ids = parent.ids();
  EXPECT_NE(std::find(ids.begin(), ids.end(), kMsgCurCellMoved), ids.end());
  EXPECT_NE(std::find(ids.begin(), ids.end(), kMsgCellDataChanged), ids.end());
  grid->ask_insert_count = [] { return 3; };
  grid->RunCommand(kCmdInsertRows);
  EXPECT_EQ(data->GetRowCnt(), 8);
  grid->ask_insert_count = [] { return 0; };
  grid->RunCommand(kCmdInsertRows);
  EXPECT_EQ(data->GetRowCnt(), 8);
  grid->SetCurCell(0, 0);
  grid->RunCommand(kCmdDeleteRows);
  EXPECT_TRUE(data->IsDeleteRow(0));
  grid->InsertRowsAtCur(0x7FFFFFFF);
  ASSERT_FALSE(ui.boxes.empty());
  EXPECT_EQ(ui.boxes.back().text, u"メモリが確保できません");
}

TEST_F(GridFixture, ResizeByDragClampsAndDoubleClickFits) {
  const GridLayout& l = grid->Layout();
  GridRect h = l.ColHeaderRect(*data, 0);
  const QPoint border(h.x + h.w - 1, 5);
  const int before = data->GetColWidth(0);
  Mouse(grid.get(), QEvent::MouseButtonPress, border);
  Mouse(grid.get(), QEvent::MouseMove, border + QPoint(30, 0));
  Mouse(grid.get(), QEvent::MouseButtonRelease, border + QPoint(30, 0));
  EXPECT_EQ(data->GetColWidth(0), before + 30);
  h = l.ColHeaderRect(*data, 0);
  const QPoint border2(h.x + h.w - 1, 5);
  Mouse(grid.get(), QEvent::MouseButtonPress, border2);
  Mouse(grid.get(), QEvent::MouseMove, border2 - QPoint(500, 0));
  Mouse(grid.get(), QEvent::MouseButtonRelease, border2 - QPoint(500, 0));
  EXPECT_EQ(data->GetColWidth(0), kMinDragColWidth);
  grid->SetMinColChars(0);
  h = l.ColHeaderRect(*data, 0);
  QMouseEvent dbl(QEvent::MouseButtonDblClick, QPointF(h.x + h.w - 1, 5), QPointF(), Qt::LeftButton,
                  Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(grid.get(), &dbl);
  // Widest first line is "alpha": five 7-pixel characters plus the paddings.
  const int seven = M().Advance(U'a');
  EXPECT_EQ(data->GetColWidth(0), 5 * seven + 4);
}

TEST_F(GridFixture, ClickSelectsCellsRowsAndColumns) {
  QRect c = CellQRect(*grid, 2, 1);
  Mouse(grid.get(), QEvent::MouseButtonPress, c.center());
  Mouse(grid.get(), QEvent::MouseButtonRelease, c.center());
  EXPECT_EQ(data->GetCurRow(), 2);
  EXPECT_EQ(data->GetCurCol(), 1);
  // Drag from (2,1) to (3,3).
  Mouse(grid.get(), QEvent::MouseButtonPress, c.center());
  Mouse(grid.get(), QEvent::MouseMove, CellQRect(*grid, 3, 3).center());
  Mouse(grid.get(), QEvent::MouseButtonRelease, CellQRect(*grid, 3, 3).center());
  EXPECT_EQ(data->GetSelection(), (CellRange{1, 2, 3, 3}));
  QRect rowh(0, c.y(), grid->Layout().RowHeaderWidth(), c.height());
  Mouse(grid.get(), QEvent::MouseButtonPress, rowh.center());
  Mouse(grid.get(), QEvent::MouseButtonRelease, rowh.center());
  EXPECT_EQ(data->GetSelection(), (CellRange{0, 2, 3, 2}));
  parent.clear();
  GridRect h = grid->Layout().ColHeaderRect(*data, 1);
  QMouseEvent dbl(QEvent::MouseButtonDblClick, QPointF(h.x + 10, 5), QPointF(), Qt::LeftButton, Qt::LeftButton,
                  Qt::NoModifier);
  Mouse(grid.get(), QEvent::MouseButtonPress, QPoint(h.x + 10, 5));
  QApplication::sendEvent(grid.get(), &dbl);
  auto msgs = parent.messages();
  ASSERT_FALSE(msgs.empty());
  EXPECT_EQ(msgs.back().msg, kMsgHeaderDblClick);
  EXPECT_EQ(msgs.back().wparam, 1u);
  EXPECT_EQ(msgs.back().lparam, 1);
}

TEST_F(GridFixture, DoubleClickOnCellEditsWithCaretUnderThePointer) {
  QRect c = CellQRect(*grid, 3, 0);
  QMouseEvent dbl(QEvent::MouseButtonDblClick, QPointF(c.center()), QPointF(), Qt::LeftButton, Qt::LeftButton,
                  Qt::NoModifier);
  Mouse(grid.get(), QEvent::MouseButtonPress, c.center());
  QApplication::sendEvent(grid.get(), &dbl);
  ASSERT_TRUE(grid->IsEditing());
  // The replayed click put the caret after "d" (the pointer was right of it).
  Type(*grid, Qt::Key_N, Qt::NoModifier, QStringLiteral("n"));
  Type(*grid, Qt::Key_Return);
  EXPECT_EQ(Text(3, 0), u"dn");
}

TEST_F(GridFixture, ChangedCellCommandsReportInStatus) {
  std::u16string status = u"?";
  grid->status_text = [&](std::u16string_view s) { status = s; };
  grid->RunCommand(kCmdNextChangedCell);
  EXPECT_EQ(status, u"見つかりません");
  EXPECT_EQ(ui.beeps.size(), 1u);
  data->UpdateData(2, 3, u"c");
  grid->SetCurCell(3, 3);
  grid->RunCommand(kCmdNextChangedCell);
  EXPECT_EQ(status, u"ファイルの末尾まで検索しました");
  EXPECT_EQ(data->GetCurRow(), 2);
}

TEST_F(GridFixture, SelectionStatisticsAndCommandChoice) {
  std::u16string stat = u"?";
  grid->selection_stat = [&](std::u16string_view s) { stat = s; };
  grid->SetCurCell(0, 1);
  grid->SetCurCell(2, 1, true);
  EXPECT_EQ(stat, u"合計:363");
  grid->RunCommand(kCmdCalcRows);
  EXPECT_EQ(stat, u"行数:3");
  grid->SetCurCell(0, 0);
  grid->SetCurCell(1, 0, true);  // no numbers
  grid->RunCommand(kCmdCalcSum);
  EXPECT_EQ(stat, u"");
}

TEST_F(GridFixture, EmptyGridsIgnoreEverything) {
  auto empty = MakeGrid({}, {u"A", u"B"});
  grid->SetGridData(empty.get());
  for (int k : {Qt::Key_Down, Qt::Key_End, Qt::Key_Delete, Qt::Key_F2, Qt::Key_Return}) Type(*grid, k);
  Type(*grid, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
  Type(*grid, Qt::Key_C, Qt::ControlModifier);
  Type(*grid, Qt::Key_V, Qt::ControlModifier);
  Mouse(grid.get(), QEvent::MouseButtonPress, QPoint(100, 40));
  Mouse(grid.get(), QEvent::MouseButtonRelease, QPoint(100, 40));
  grid->RunCommand(kCmdAdjustColWidth);
  grid->RunCommand(kCmdNextChangedCell);
  EXPECT_FALSE(grid->IsEditing());
  EXPECT_EQ(empty->GetRowCnt(), 0);
  RenderGrid(*grid);
  grid->SetGridData(nullptr);  // the placeholder: 100 columns of "test"
  EXPECT_EQ(grid->GetGridData()->GetColCnt(), 100);
  EXPECT_EQ(grid->GetGridData()->GetColName(0), u"test");
  grid->SetGridData(data.get());
}

TEST_F(GridFixture, ClipboardTextWithNulsAndLoneSurrogates) {
  ui.clipboard = std::u16string(u"a\0b\tc", 5) + u"\xD800" + u"\r\n";
  grid->SetCurCell(0, 0);
  Type(*grid, Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(data->GetRowCnt(), 4);
}

TEST_F(GridFixture, FocusIsKeptForTab) {
  grid->SetCurCell(0, 0);
  Key(grid.get(), Qt::Key_Tab);
  EXPECT_EQ(data->GetCurCol(), 1);
}

void Spin(int ms) {
  QEventLoop loop;
  QTimer::singleShot(ms, &loop, &QEventLoop::quit);
  loop.exec();
}

TEST_F(GridFixture, RightClickOnRowHeaderSelectsRowAndMenuCopies) {
  QRect c = CellQRect(*grid, 2, 0);
  const QPoint at(3, c.center().y());
  Mouse(grid.get(), QEvent::MouseButtonPress, at, Qt::RightButton);
  EXPECT_EQ(data->GetSelection(), (CellRange{0, 2, 3, 2}));
  QMenu* menu = grid->findChild<QMenu*>();
  ASSERT_NE(menu, nullptr);
  QAction* copy = nullptr;
  for (QAction* a : menu->actions())
    if (a->text() == QStringLiteral("コピー(&C)")) copy = a;
  ASSERT_NE(copy, nullptr);
  copy->trigger();
  EXPECT_EQ(ui.clipboard, u"abc\t6\tro\tz");
  menu->close();
}

TEST_F(GridFixture, ColumnNameTipAfterTheDelay) {
  grid->SetStyle(kStyle | kStyleColNameTip);
  GridRect h = grid->Layout().ColHeaderRect(*data, 1);
  Mouse(grid.get(), QEvent::MouseMove, QPoint(h.x + 10, 4));
  Spin(kTipDelayMs + 150);
  EXPECT_TRUE(QToolTip::isVisible());
  EXPECT_EQ(QToolTip::text(), QStringLiteral("NUM"));
  QToolTip::hideText();
}

TEST_F(GridFixture, EqualWidthsTellTheOtherPanes) {
  RecordingMsgTarget other;
  data->AddNotifyWnd(&other);
  data->SetColWidth(1, 0);
  grid->RunCommand(kCmdEqualColWidth);
  EXPECT_EQ(data->GetColWidth(0), 100);
  EXPECT_EQ(data->GetColWidth(1), 0);
  auto ids = other.ids();
  EXPECT_NE(std::find(ids.begin(), ids.end(), kMsgLayoutChanged), ids.end());
  data->RemoveNotifyWnd(&other);
}

TEST_F(GridFixture, DeleteAllNullRowsAsksFirst) {
  grid->RunCommand(kCmdInsertRow);
  ASSERT_EQ(data->GetRowCnt(), 5);
  ui.answer(IDNO);
  grid->RunCommand(kCmdDeleteAllNullRows);
  EXPECT_EQ(data->GetRowCnt(), 5);
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].title, u"Message");
  std::u16string status;
  grid->status_text = [&](std::u16string_view s) { status = s; };
  ui.answer(IDYES);
  grid->RunCommand(kCmdDeleteAllNullRows);
  EXPECT_EQ(data->GetRowCnt(), 4);
  EXPECT_EQ(status, u"1行削除しました");
}

}  // namespace

namespace {

// A text wider than its column is cut at its text area: nothing of it shows
// in its right padding, on the grid line or in the next column.
TEST_F(GridFixture, TextWiderThanItsColumnStaysInItsCell) {
  data->UpdateData(2, 0, u"WWWWWWWWWWWWWWWWWWWW");
  data->SetColWidth(0, 30);
  grid->RecalcLayout();
  grid->SetCurCell(0, 3);
  const QImage img = RenderGrid(*grid);
  const QRect c0 = CellQRect(*grid, 2, 0), c1 = CellQRect(*grid, 2, 1);
  const uint32_t bg = PixelRef(img, c0.x() + 1, c0.y() + 1);
  EXPECT_GT(CountColour(img, QRect(c0.x(), c0.y(), c0.width() - 4, c0.height() - 1), 0x000000), 0);
  for (int y = c0.y(); y < c0.bottom(); ++y) {
    EXPECT_EQ(PixelRef(img, c0.right(), y), 0xC0C0C0u) << y;  // the line
    EXPECT_EQ(PixelRef(img, c0.right() - 1, y), bg) << y;   // the right padding
  }
  // The next column's left part (its number is right-aligned) is clean.
  EXPECT_EQ(CountColour(img, QRect(c1.x(), c1.y(), 12, c1.height() - 1), 0x000000), 0);
}

}  // namespace
