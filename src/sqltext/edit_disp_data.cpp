#include "sqltext/edit_disp_data.h"

#include <algorithm>

#include "platform/utf16.h"
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
  if ((style ^ style_) & kestrel::kEditStyleUrl) coloured_upto_ = 0;
  style_ = style;
}

int CEditDispData::CharWidth(char32_t c) {
  if (c < 0x1100) return 1;
  if ((c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0x303E) || (c >= 0x3041 && c <= 0x33FF) ||
      (c >= 0x3400 && c <= 0x4DBF) || (c >= 0x4E00 && c <= 0x9FFF) || (c >= 0xA000 && c <= 0xA4CF) ||
      (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0xF900 && c <= 0xFAFF) || (c >= 0xFE30 && c <= 0xFE4F) ||
      (c >= 0xFF00 && c <= 0xFF60) || (c >= 0xFFE0 && c <= 0xFFE6) || (c >= 0x1F300 && c <= 0x1F64F) ||
      (c >= 0x1F900 && c <= 0x1F9FF) || (c >= 0x20000 && c <= 0x3FFFD))
    return 2;
  return 1;
}

int32_t CEditDispData::DisplayColumn(std::u16string_view line, int32_t col, int tab_width) {
  const std::size_t end = std::min<std::size_t>(static_cast<std::size_t>(std::max(col, 0)), line.size());
  int32_t x = 0;
  for (std::size_t i = 0; i < end;) {
    std::size_t len = 1;
    char32_t c = kestrel::code_point_at(line, i, &len);
    x += c == U'\t' ? tab_width - x % tab_width : CharWidth(c);
    i += len;
  }
  return x;
}

int32_t CEditDispData::CharColumn(std::u16string_view line, int32_t x, int tab_width, bool nearest) {
  int32_t cur = 0;
  for (std::size_t i = 0; i < line.size();) {
    std::size_t len = 1;
    char32_t c = kestrel::code_point_at(line, i, &len);
    const int32_t w = c == U'\t' ? tab_width - cur % tab_width : CharWidth(c);
    if (x < cur + w) {
      if (nearest && x - cur >= (w + 1) / 2) return static_cast<int32_t>(i + len);
      return static_cast<int32_t>(i);
    }
    cur += w;
    i += len;
  }
  return static_cast<int32_t>(line.size());
}

int32_t CEditDispData::MaxDisplayWidth() const {
  int32_t w = 0;
  for (int32_t l = 0; l < data_->GetLineCnt(); ++l) {
    std::u16string_view t = data_->GetLine(l);
    if (static_cast<int32_t>(t.size()) * 2 <= w && t.find(u'\t') == std::u16string_view::npos) continue;
    w = std::max(w, DisplayColumn(t, static_cast<int32_t>(t.size()), tab_width_));
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
  coloured_upto_ = 0;
}

void CEditDispData::ColourLines(int32_t first, int32_t last) {
  const int32_t count = data_->GetLineCnt();
  if (count == 0) return;
  first = std::clamp(first, 0, count - 1);
  last = std::clamp(last, first, count - 1);
  coloured_upto_ = std::min(coloured_upto_, data_->ChangedFrom());
  data_->ResetChanged();
  std::shared_ptr<const kestrel::KeywordTable> keywords = tokenizer_ ? tokenizer_->ActiveKeywords() : nullptr;
  if (keywords != keywords_) {
    // A new completion list or keyword file: every keyword may differ.
    keywords_ = keywords;
    coloured_upto_ = 0;
  }
  start_state_.resize(static_cast<std::size_t>(count) + 1);
  coloured_upto_ = std::min(coloured_upto_, count);
  const bool urls = (style_ & kestrel::kEditStyleUrl) != 0;
  // Lines before `first` are scanned for their end state only when the
  // states are not known yet; their attributes are set on the way.
  for (int32_t l = coloured_upto_; l <= last; ++l) {
    CStrToken::LexState in = l == 0 ? CStrToken::LexState{} : start_state_[static_cast<std::size_t>(l)];
    std::span<uint8_t> attr = data_->GetLineAttr(l);
    CStrToken::LexState out = in;
    if (tokenizer_) {
      out = kestrel::ColourLine(*tokenizer_, keywords_, data_->GetLine(l), in, attr, urls);
    } else {
      std::fill(attr.begin(), attr.end(), 0);
      if (urls) kestrel::MarkUrls(data_->GetLine(l), attr);
    }
    // A line comment or an ordinary line ends with no open state; a block
    // comment or quote carries on.
    start_state_[static_cast<std::size_t>(l) + 1] = out;
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
  return {line, CharColumn(data_->GetLine(line), want_x, tab_width_)};
}
