#include "sqltext/edit_disp_data.h"

#include <algorithm>
#include <atomic>

#include "platform/utf16.h"
#include "sqltext/display_columns.h"
#include "sqltext/edit_colouring.h"
#include "sqltext/sqltext_constants.h"
#include "sqltext/url_marker.h"

namespace {

// Word classes for Ctrl+Left / Ctrl+Right: runs of one class form a word.
enum class CharKind { kBlank, kWord, kPunct, kHiragana, kKatakana, kIdeograph, kFullWidth, kOther };

CharKind KindOf(char32_t c) {
  if (c == U' ' || c == U'\t' || c == 0x3000) return CharKind::kBlank;
  if ((c >= U'0' && c <= U'9') || (c >= U'A' && c <= U'Z') || (c >= U'a' && c <= U'z') || c == U'_' || c == U'$' ||
      c == U'#')
    return CharKind::kWord;
  if (c < 0x80) return CharKind::kPunct;
  if (c >= 0x3041 && c <= 0x309F) return CharKind::kHiragana;
  if ((c >= 0x30A0 && c <= 0x30FF) || (c >= 0xFF66 && c <= 0xFF9F)) return CharKind::kKatakana;
  if ((c >= 0x4E00 && c <= 0x9FFF) || (c >= 0x3400 && c <= 0x4DBF) || (c >= 0xF900 && c <= 0xFAFF) || c >= 0x20000)
    return CharKind::kIdeograph;
  if (c >= 0xFF01 && c <= 0xFF5E) return CharKind::kFullWidth;
  return CharKind::kOther;
}

}  // namespace

void CEditDispData::SetStyle(uint32_t style) {
  if ((style ^ style_) & kestrel::kEditStyleUrl) InvalidateColours();
  style_ = style;
}

void CEditDispData::InvalidateColours() {
  // Rounds are numbered process-wide, so a memo left by another display of
  // the same buffer never passes for this one's.
  static std::atomic<uint32_t> next_epoch{1};
  epoch_ = next_epoch.fetch_add(1);
  if (epoch_ == 0) epoch_ = next_epoch.fetch_add(1);
  coloured_upto_ = 0;
}

int CEditDispData::CharWidth(char32_t c) { return kestrel::CharColumns(c); }

int32_t CEditDispData::DisplayColumn(std::u16string_view line, int32_t col, int tab_width) {
  return kestrel::DisplayColumnOf(line, col, tab_width);
}

int32_t CEditDispData::CharColumn(std::u16string_view line, int32_t x, int tab_width, bool nearest) {
  return kestrel::CharColumnAt(line, x, tab_width, nearest);
}

int32_t CEditDispData::MaxDisplayWidth() const {
  int32_t w = 0;
  for (int32_t l = 0; l < data_->GetLineCnt(); ++l) {
    std::u16string_view t = data_->GetLine(l);
    if (static_cast<int32_t>(t.size()) * 2 <= w && t.find(u'\t') == std::u16string_view::npos) continue;
    w = std::max(w, data_->LineWidth(l));
  }
  return w;
}

void CEditDispData::SetVisibleSize(int32_t lines, int32_t columns) {
  visible_lines_ = std::max(lines, 1);
  visible_cols_ = std::max(columns, 1);
}

void CEditDispData::ScrollTo(int32_t top_line, int32_t left_col) {
  top_line_ = std::clamp(top_line, 0, std::max(0, data_->GetLineCnt() - 1));
  left_col_ = std::max(left_col, 0);
}

int32_t CEditDispData::PageLines() const { return std::max(visible_lines_ - 1, 1); }

void CEditDispData::EnsureCaretVisible() {
  const EditPos caret = data_->GetCaret();
  int32_t top = top_line_;
  if (caret.line < top) top = caret.line;
  else if (caret.line >= top + visible_lines_) top = caret.line - visible_lines_ + 1;
  int32_t left = left_col_;
  const int32_t x = DisplayColumn(caret);
  if (x < left) left = x;
  else if (x >= left + visible_cols_) left = x - visible_cols_ + 1;
  ScrollTo(top, left);
}

void CEditDispData::SetTokenizer(const CStrToken* tokenizer) {
  tokenizer_ = tokenizer;
  InvalidateColours();
}

namespace {

uint32_t Pack(CStrToken::LexState s) { return static_cast<uint32_t>(s.mode) << 16 | s.close; }
CStrToken::LexState Unpack(uint32_t v) {
  CStrToken::LexState s;
  s.mode = static_cast<CStrToken::LexState::Mode>(v >> 16);
  s.close = static_cast<char16_t>(v & 0xFFFF);
  return s;
}

}  // namespace

void CEditDispData::ColourLines(int32_t first, int32_t last) {
  const int32_t count = data_->GetLineCnt();
  if (count == 0) return;
  if (epoch_ == 0) InvalidateColours();
  first = std::clamp(first, 0, count - 1);
  last = std::clamp(last, first, count - 1);
  coloured_upto_ = std::min(coloured_upto_, data_->ChangedFrom());
  data_->ResetChanged();
  std::shared_ptr<const kestrel::KeywordTable> keywords = tokenizer_ ? tokenizer_->ActiveKeywords() : nullptr;
  if (keywords != keywords_) {
    // A new completion list or keyword file: every keyword may differ.
    keywords_ = keywords;
    InvalidateColours();
  }
  coloured_upto_ = std::min(coloured_upto_, count);
  const bool urls = (style_ & kestrel::kEditStyleUrl) != 0;
  // Lines before `first` are walked for their entry states; a line whose
  // text and entry state are as it was coloured is passed over.
  uint32_t in = coloured_upto_ == 0 ? 0 : data_->GetLineLex(coloured_upto_ - 1)->out;
  for (int32_t l = coloured_upto_; l <= last; ++l) {
    kestrel::LineLexMemo* memo = data_->GetLineLex(l);
    if (memo->epoch == epoch_ && memo->in == in) {
      in = memo->out;
      coloured_upto_ = l + 1;
      continue;
    }
    std::span<uint8_t> attr = data_->GetLineAttr(l);
    uint32_t out = in;
    if (tokenizer_) {
      out = Pack(kestrel::ColourLine(*tokenizer_, keywords_, data_->GetLine(l), Unpack(in), attr, urls));
    } else {
      std::fill(attr.begin(), attr.end(), 0);
      if (urls) kestrel::MarkUrls(data_->GetLine(l), attr);
    }
    ++lines_tokenized_;
    *memo = kestrel::LineLexMemo{in, out, epoch_};
    in = out;
    coloured_upto_ = l + 1;
  }
}

EditPos CEditDispData::NextWordPos(const CEditData& d, EditPos p) {
  p = d.Clamp(p);
  std::u16string_view t = d.GetLine(p.line);
  if (p.col >= static_cast<int32_t>(t.size())) {
    if (p.line + 1 >= d.GetLineCnt()) return p;
    return {p.line + 1, 0};
  }
  std::size_t i = static_cast<std::size_t>(p.col);
  std::size_t len = 1;
  const CharKind kind = KindOf(kestrel::code_point_at(t, i, &len));
  if (kind != CharKind::kBlank) {
    while (i < t.size() && KindOf(kestrel::code_point_at(t, i, &len)) == kind) i += len;
  }
  while (i < t.size() && KindOf(kestrel::code_point_at(t, i, &len)) == CharKind::kBlank) i += len;
  return {p.line, static_cast<int32_t>(i)};
}

EditPos CEditDispData::PrevWordPos(const CEditData& d, EditPos p) {
  p = d.Clamp(p);
  if (p.col == 0) {
    if (p.line == 0) return p;
    return {p.line - 1, d.GetLineLen(p.line - 1)};
  }
  std::u16string_view t = d.GetLine(p.line);
  std::size_t i = static_cast<std::size_t>(p.col);
  auto kind_before = [&](std::size_t at) { return KindOf(kestrel::code_point_at(t, kestrel::prev_char_start(t, at))); };
  while (i > 0 && kind_before(i) == CharKind::kBlank) i = kestrel::prev_char_start(t, i);
  if (i > 0) {
    const CharKind kind = kind_before(i);
    while (i > 0 && kind_before(i) == kind) i = kestrel::prev_char_start(t, i);
  }
  return {p.line, static_cast<int32_t>(i)};
}

EditPos CEditDispData::LineMove(EditPos p, int32_t lines, int32_t want_x) const {
  const int32_t line = std::clamp(p.line + lines, 0, data_->GetLineCnt() - 1);
  return {line, data_->ColumnAtX(line, want_x, false)};
}
