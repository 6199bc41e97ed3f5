#include "app/grid_option_page.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "app/color_chooser.h"
#include "app/qt_text.h"
#include "griddata/str_grid_data.h"
#include "gridctrl/grid_ctrl.h"
#include "gridctrl/gridctrl_constants.h"
#include "platform/format.h"

using namespace kestrel;
namespace gc = kestrel::gridctrl;

namespace {

struct CheckRow {
  const char16_t* key;
  const char16_t* text;
  int32_t AppSettings::*member;
  uint32_t style;  // the grid style bit it sets, 0 for none
};
constexpr CheckRow kChecks[] = {
    {u"SHOW_SPACE", u"半角空白を表示", &AppSettings::SHOW_SPACE, gc::kStyleShowSpace},
    {u"SHOW_2BYTE_SPACE", u"全角空白を表示", &AppSettings::SHOW_2BYTE_SPACE, gc::kStyleShow2ByteSpace},
    {u"SHOW_TAB", u"タブを表示", &AppSettings::SHOW_TAB, gc::kStyleShowTab},
    {u"SHOW_LINE_FEED", u"改行を表示", &AppSettings::SHOW_LINE_FEED, gc::kStyleShowLineFeed},
    {u"ADJUST_COL_WIDTH_NO_USE_COLNAME", u"列幅を調整するとき，カラム名を考慮しない",
     &AppSettings::ADJUST_COL_WIDTH_NO_USE_COLNAME, gc::kStyleFitNoColName},
    {u"INVERT_SELECT_TEXT", u"選択範囲のテキストの色を反転する", &AppSettings::INVERT_SELECT_TEXT,
     gc::kStyleInvertSelectText},
    {u"COPY_ESCAPE_DBLQUOTE", u"ダブルクォートや改行を含むカラムをコピーするとき，ダブルクォートで囲む",
     &AppSettings::COPY_ESCAPE_DBLQUOTE, gc::kStyleCopyEscapeDblQuote},
    {u"IME_CARET_COLOR", u"IMEが有効のときカレットの色を変える", &AppSettings::IME_CARET_COLOR,
     gc::kStyleImeCaretColor},
    {u"END_KEY_LIKE_EXCEL", u"Endキーを押した後，矢印キーで，セルを移動する", &AppSettings::END_KEY_LIKE_EXCEL,
     gc::kStyleEndKeyLikeExcel},
    {u"DISP_COLUMN_NAME_TOOL_TIP", u"カラム名のツールチップを表示する", &AppSettings::DISP_COLUMN_NAME_TOOL_TIP,
     gc::kStyleColNameTip},
    {u"SHOW_NOT_NULL_COLL", u"NotNullカラムに(*)を表示", &AppSettings::SHOW_NOT_NULL_COLL, gc::kStyleShowNotNull},
    {u"NO_MOVE_CELL_AT_DELETE_ROWS", u"行を削除したとき、セルを移動しない", &AppSettings::NO_MOVE_CELL_AT_DELETE_ROWS,
     0},
    {u"NO_MOVE_CELL_AT_INSERT_ROWS", u"行を追加したとき、セルを移動しない", &AppSettings::NO_MOVE_CELL_AT_INSERT_ROWS,
     0},
};

struct NumberRow {
  const char16_t* key;
  const char16_t* label;
  int32_t AppSettings::*member;
  int32_t min, max;
};
constexpr NumberRow kNumbers[] = {
    {u"ADJUST_MIN_COL_CHARS", u"ダブルクリックなどで列幅を調整するときの最小幅(文字数)",
     &AppSettings::ADJUST_MIN_COL_CHARS, 0, 1000},
    {u"CELL_PADDING_TOP", u"セルの余白(上)", &AppSettings::CELL_PADDING_TOP, 0, 100},
    {u"CELL_PADDING_BOTTOM", u"セルの余白(下)", &AppSettings::CELL_PADDING_BOTTOM, 0, 100},
    {u"CELL_PADDING_LEFT", u"セルの余白(左)", &AppSettings::CELL_PADDING_LEFT, 0, 100},
    {u"CELL_PADDING_RIGHT", u"セルの余白(右)", &AppSettings::CELL_PADDING_RIGHT, 0, 100},
};

struct ColorRow {
  const char16_t* key;
  const char16_t* text;
  int32_t AppSettings::*member;
};
constexpr ColorRow kColors[] = {
    {u"GRID_BG_COLOR", u"背景", &AppSettings::GRID_BG_COLOR},
    {u"GRID_HEADER_BG_COLOR", u"背景(ヘッダ)", &AppSettings::GRID_HEADER_BG_COLOR},
    {u"GRID_LINE_COLOR", u"線", &AppSettings::GRID_LINE_COLOR},
    {u"GRID_SELECT_COLOR", u"選択範囲", &AppSettings::GRID_SELECT_COLOR},
    {u"GRID_DELETE_COLOR", u"削除レコード", &AppSettings::GRID_DELETE_COLOR},
    {u"GRID_INSERT_COLOR", u"挿入レコード", &AppSettings::GRID_INSERT_COLOR},
    {u"GRID_UPDATE_COLOR", u"更新レコード", &AppSettings::GRID_UPDATE_COLOR},
    {u"GRID_TEXT_COLOR", u"テキスト", &AppSettings::GRID_TEXT_COLOR},
    {u"GRID_NULL_CELL_COLOR", u"背景(NULL)", &AppSettings::GRID_NULL_CELL_COLOR},
    {u"GRID_MARK_COLOR", u"記号", &AppSettings::GRID_MARK_COLOR},
    {u"GRID_SEARCH_COLOR", u"検索結果", &AppSettings::GRID_SEARCH_COLOR},
    {u"GRID_HEADER_LINE_COLOR", u"線(ヘッダ)", &AppSettings::GRID_HEADER_LINE_COLOR},
    {u"GRID_CUR_ROW_TEXT_COLOR", u"テキスト(現在行)", &AppSettings::GRID_CUR_ROW_TEXT_COLOR},
};

}  // namespace

namespace kestrel {

void apply_grid_options(CGridCtrl& grid, const AppSettings& s, int32_t bg_override) {
  uint32_t owned = gc::kStyleNullCellColor;
  uint32_t style = s.GRID_NULL_CELL_COLOR != s.GRID_BG_COLOR ? gc::kStyleNullCellColor : 0;
  for (const CheckRow& r : kChecks) {
    owned |= r.style;
    if (s.*r.member == 1) style |= r.style;
  }
  grid.SetStyle((grid.GetStyle() & ~owned) | style, false);
  const int32_t colors[gc::kColorCount] = {
      bg_override >= 0 ? bg_override : s.GRID_BG_COLOR,
      s.GRID_HEADER_BG_COLOR,
      s.GRID_LINE_COLOR,
      s.GRID_SELECT_COLOR,
      s.GRID_DELETE_COLOR,
      s.GRID_INSERT_COLOR,
      s.GRID_UPDATE_COLOR,
      s.GRID_UNEDITABLE_COLOR,
      s.GRID_TEXT_COLOR,
      s.GRID_NULL_CELL_COLOR,
      s.GRID_MARK_COLOR,
      s.GRID_HEADER_LINE_COLOR,
      static_cast<int32_t>(gc::kDefaultColors[gc::kColorCurFrame]),
      static_cast<int32_t>(gc::kDefaultColors[gc::kColorSpare]),
      s.GRID_SEARCH_COLOR,
      s.GRID_CUR_ROW_TEXT_COLOR,
  };
  // In index order: setting the text colour resets the current-row one.
  for (int i = 0; i < gc::kColorCount; ++i) grid.SetColor(i, static_cast<uint32_t>(colors[i]));
  grid.SetNullText(s.NULL_TEXT);
  grid.SetMinColChars(s.ADJUST_MIN_COL_CHARS);
  grid.SetCellPadding(s.CELL_PADDING_TOP, s.CELL_PADDING_BOTTOM, s.CELL_PADDING_LEFT, s.CELL_PADDING_RIGHT);
  grid.RecalcLayout();
  grid.update();
}

}  // namespace kestrel

CGridOptionPage::CGridOptionPage(const OptionValues& values, SettingsStore* color_store, QWidget* parent)
    : QWidget(parent), base_(values.settings) {
  setObjectName("CGridOptionPage");
  const AppSettings& s = values.settings;
  auto* box = new QHBoxLayout(this);
  auto* left = new QVBoxLayout;
  for (const CheckRow& r : kChecks) {
    auto* c = new QCheckBox(to_qstring(r.text), this);
    c->setObjectName(to_qstring(r.key));
    c->setChecked(s.*r.member == 1);
    connect(c, &QCheckBox::toggled, this, [this] { update_preview(); });
    left->addWidget(c);
  }
  auto* numbers = new QGridLayout;
  int row = 0;
  for (const NumberRow& r : kNumbers) {
    numbers->addWidget(new QLabel(to_qstring(r.label), this), row, 0);
    auto* e = new QLineEdit(QString::number(s.*r.member), this);
    e->setObjectName(to_qstring(r.key));
    e->setMaximumWidth(80);
    connect(e, &QLineEdit::textChanged, this, [this] { update_preview(); });
    numbers->addWidget(e, row++, 1);
  }
  numbers->addWidget(new QLabel(QStringLiteral("NULLの表示文字列"), this), row, 0);
  auto* null_text = new QLineEdit(to_qstring(s.NULL_TEXT), this);
  null_text->setObjectName("NULL_TEXT");
  null_text->setMaximumWidth(80);
  connect(null_text, &QLineEdit::textChanged, this, [this] { update_preview(); });
  numbers->addWidget(null_text, row, 1);
  left->addLayout(numbers);
  left->addStretch(1);
  box->addLayout(left, 1);

  auto* right = new QVBoxLayout;
  auto* colors = new QGroupBox(QStringLiteral("色"), this);
  auto* color_grid = new QGridLayout(colors);
  int i = 0;
  for (const ColorRow& r : kColors) {
    auto* b = new CColorButton(to_qstring(r.text), color_store, colors);
    b->setObjectName(to_qstring(r.key));
    b->set_color(s.*r.member);
    connect(b, &CColorButton::color_changed, this, [this] { update_preview(); });
    color_grid->addWidget(b, i / 2, i % 2);
    ++i;
  }
  right->addWidget(colors);

  // A few rows that show the colours, the marks and the NULL text.
  preview_data_ = std::make_unique<CStrGridData>(4, 3);
  const char16_t* names[] = {u"EMPNO", u"ENAME", u"NOTE"};
  for (int c = 0; c < 3; ++c) preview_data_->SetColName(c, names[c]);
  const char16_t* cells[4][3] = {{u"7369", u"スミス", u"a b"},
                                 {u"7499", u"アレン", u"全角　空白"},
                                 {u"7521", u"ワード", u"tab\there"},
                                 {u"7566", u"", u"line\nfeed"}};
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 3; ++c) preview_data_->UpdateData(r, c, cells[r][c]);
  preview_data_->SetEditable(false);
  preview_ = new CGridCtrl(this, gc::kPreviewStyle);
  preview_->setObjectName("PREVIEW");
  preview_->SetGridData(preview_data_.get());
  preview_->setMinimumSize(260, 120);
  right->addWidget(preview_, 1);
  box->addLayout(right, 1);
  update_preview();
}

CGridOptionPage::~CGridOptionPage() {
  // The control goes before the data it points at.
  delete preview_;
  preview_ = nullptr;
}

void CGridOptionPage::update_preview() {
  if (!preview_) return;
  OptionValues v;
  v.settings = base_;
  QWidget* bad = nullptr;
  // A number being typed may be incomplete: the preview waits for it.
  if (!take(v, &bad, nullptr)) return;
  apply_grid_options(*preview_, v.settings);
  preview_->SetCurCell(1, 1);
}

bool CGridOptionPage::take(OptionValues& out, QWidget** bad, std::u16string* error) const {
  AppSettings& s = out.settings;
  for (const NumberRow& r : kNumbers) {
    auto* e = findChild<QLineEdit*>(to_qstring(r.key));
    const std::optional<int32_t> v = parse_option_int(from_qstring(e->text()));
    if (!v || *v < r.min || *v > r.max) {
      if (bad) *bad = e;
      if (error)
        *error = format(u"%s には %d から %d までの数値を入力してください。", {std::u16string_view(r.label), r.min, r.max});
      return false;
    }
  }
  for (const NumberRow& r : kNumbers)
    s.*r.member = *parse_option_int(from_qstring(findChild<QLineEdit*>(to_qstring(r.key))->text()));
  for (const CheckRow& r : kChecks) s.*r.member = findChild<QCheckBox*>(to_qstring(r.key))->isChecked() ? 1 : 0;
  s.NULL_TEXT = from_qstring(findChild<QLineEdit*>(QStringLiteral("NULL_TEXT"))->text());
  for (const ColorRow& r : kColors) s.*r.member = findChild<CColorButton*>(to_qstring(r.key))->color();
  return true;
}
