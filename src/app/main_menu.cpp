#include "app/main_menu.h"

#include "app/app_ids.h"

namespace kestrel {
namespace {

MenuNode item(uint32_t id, std::u16string_view text) { return {MenuNode::Kind::Command, text, id, {}}; }
MenuNode sep() { return {MenuNode::Kind::Separator, {}, 0, {}}; }
MenuNode popup(std::u16string_view text, std::vector<MenuNode> children) {
  return {MenuNode::Kind::Popup, text, 0, std::move(children)};
}

std::vector<MenuNode> build() {
  using namespace cmd;
  return {
      popup(u"ファイル(&F)",
            {item(kTableSelect, u"テーブル選択..."), item(kRefresh, u"最新のデータを表示"), sep(),
             item(kSave, u"編集結果の保存(commit)"), item(kClear, u"表示中のデータをクリア"), sep(),
             item(kExport, u"データをファイルに保存..."), sep(), item(kChangeConnection, u"接続先を変更..."), sep(),
             item(kAppExit, u"アプリケーションの終了(&X)")}),
      popup(u"編集(&E)",
            {item(kUndo, u"元に戻す(&U)"), item(kRedo, u"やり直し(&R)"), sep(), item(kCut, u"切り取り(&T)"),
             item(kCopy, u"コピー(&C)"),
             popup(u"形式を指定してコピー",
                   {item(kCopyTab, u"TAB区切り"), item(kCopyTabWithNames, u"TAB区切り(カラム名付き)"),
                    item(kCopyCsv, u"CSV形式"), item(kCopyCsvWithNames, u"CSV形式(カラム名付き)"),
                    item(kCopyFixed, u"固定長"), item(kCopyFixedWithNames, u"固定長(カラム名付き)")}),
             item(kPaste, u"貼り付け(&P)"), item(kPasteToCell, u"セルに貼り付け"), sep(),
             item(kSelectAll, u"すべて選択(&A)"), sep(), item(kFind, u"検索..."), item(kFindNext, u"次を検索"),
             item(kFindPrev, u"前を検索"), item(kReplace, u"置換..."),
             item(kClearSearchHighlight, u"検索文字列の強調表示を解除"), sep(),
             item(kNextChangedCell, u"次の変更セルに移動"), item(kPrevChangedCell, u"前の変更セルに移動"), sep(),
             item(kCellEdit, u"セル編集"), item(kDataEdit, u"データ編集..."), item(kInsertLineFeed, u"改行を入力"),
             sep(),
             popup(u"変換", {item(kToLower, u"小文字に変換"), item(kToUpper, u"大文字に変換"), sep(),
                             item(kToZenkaku, u"→全角"), item(kToZenkakuKana, u"→全角(カタカナ)"),
                             item(kToZenkakuAlnum, u"→全角(英数)"), sep(), item(kToHankaku, u"→半角"),
                             item(kToHankakuKana, u"→半角(カタカナ)"), item(kToHankakuAlnum, u"→半角(英数)")}),
             item(kInputSequence, u"連番を入力..."), item(kInputCurrentTime, u"現在時刻を入力")}),
      popup(u"マクロ(&M)",
            {item(kMacroFile, u"マクロを実行(ファイル)"), item(kMacroClipboard, u"マクロを実行(クリップボード)")}),
      popup(u"データ(&D)",
            {item(kInsertRow, u"レコード追加"), item(kInsertRows, u"レコード追加(複数行)..."),
             item(kDeleteRows, u"レコード削除"), sep(), item(kDeleteNullRowsInserted, u"空行を削除(追加行のみ)"),
             item(kDeleteNullRowsAll, u"空行を削除(全て)"), sep(),
             item(kAdjustColWidthDataAndName, u"グリッドの列幅調整(データ,カラム名)"),
             item(kAdjustColWidthData, u"グリッドの列幅調整(データ)"),
             item(kEqualColWidth, u"グリッドの列幅調整(等間隔)"), sep(), item(kSearchColName, u"カラム名を検索..."),
             item(kSort, u"グリッドのソート..."), item(kSwapRowCol, u"グリッドの行と列を入れ替える"), sep(),
             item(kFilter, u"検索結果をフィルタ..."), item(kClearFilter, u"検索結果のフィルタを解除"), sep(),
             item(kLobDownload, u"LOB Download..."), item(kLobUpload, u"LOB Upload..."),
             item(kLobSetNull, u"NULLにする"), item(kBfileUpdate, u"BFILE Update...")}),
      popup(u"表示(&V)",
            {item(kViewToolBar, u"ツール バー(&T)"), item(kViewStatusBar, u"ステータス バー(&S)"), sep(),
             popup(u"グリッドCALC", {item(kCalcSum, u"合計"), item(kCalcAverage, u"平均"), item(kCalcMax, u"最大値"),
                                     item(kCalcMin, u"最小値"), item(kCalcRows, u"行数"), item(kCalcNone, u"なし")}),
             sep(), item(kFont, u"フォント設定...")}),
      popup(u"ツール(&T)",
            {item(kShowUpdateSql, u"更新SQLを表示"), sep(), item(kConnectInfo, u"ログイン情報の設定..."),
             item(kOptions, u"オプション..."), item(kKeyAssign, u"キー割り当て...")}),
      popup(u"ウィンドウ(&W)", {item(kWindowSplit, u"分割(&P)")}),
      popup(u"ヘルプ(&H)", {item(kAbout, u"バージョン情報(&A)...")}),
  };
}

void collect(const std::vector<MenuNode>& nodes, std::vector<const MenuNode*>& out) {
  for (const MenuNode& n : nodes) {
    if (n.kind == MenuNode::Kind::Command) out.push_back(&n);
    if (n.kind == MenuNode::Kind::Popup) collect(n.children, out);
  }
}

}  // namespace

const std::vector<MenuNode>& main_menu() {
  static const std::vector<MenuNode> menu = build();
  return menu;
}

std::vector<const MenuNode*> menu_commands(const std::vector<MenuNode>& menus) {
  std::vector<const MenuNode*> out;
  collect(menus, out);
  return out;
}

std::u16string_view menu_text(uint32_t id) {
  for (const MenuNode* n : menu_commands(main_menu()))
    if (n->id == id) return n->text;
  return {};
}

}  // namespace kestrel
