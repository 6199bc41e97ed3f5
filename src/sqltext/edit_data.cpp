#include "sqltext/edit_data.h"

#include <algorithm>
#include <new>
#include <vector>

#include "platform/utf16.h"
#include "sqltext/display_columns.h"
#include "sqltext/sqltext_constants.h"

using kestrel::TextPos;

namespace {

// Turns CR LF and lone CR into LF, the buffer's one internal line break.
std::u16string NormalizeBreaks(std::u16string_view text) {
  std::u16string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    char16_t c = text[i];
    if (c == u'\r') {
      if (i + 1 < text.size() && text[i + 1] == u'\n') ++i;
      c = u'\n';
    }
    out.push_back(c);
  }
  return out;
}

int64_t CountBreaks(std::u16string_view text) { return std::count(text.begin(), text.end(), u'\n'); }

// Where text inserted at `at` ends.
EditPos EndOf(EditPos at, std::u16string_view text) {
  std::size_t last = text.rfind(u'\n');
  if (last == std::u16string_view::npos) return {at.line, at.col + static_cast<int32_t>(text.size())};
  return {at.line + static_cast<int32_t>(CountBreaks(text)), static_cast<int32_t>(text.size() - last - 1)};
}

int64_t PackPos(EditPos p) { return kestrel::make_text_pos(p.line, p.col); }
EditPos UnpackPos(int64_t v) { return {kestrel::text_pos_line(v), kestrel::text_pos_column(v)}; }

}  // namespace

CEditData::CEditData() : undo_(std::make_unique<CUndoData>(kestrel::kEditUndoSteps)) { lines_.PushBack({}); }

CEditData::~CEditData() = default;

// --- text -----------------------------------------------------------------------

void CEditData::Clear() {
  lines_.Clear();
  lines_.PushBack({});
  total_units_ = 0;
  changed_from_ = 0;
  caret_ = anchor_ = EditPos{};
  box_ = false;
  undo_->Clear();
  clean_seq_ = undo_->CurrentSeq();
  typing_record_ = nullptr;
}

void CEditData::SetText(std::u16string_view text) {
  Clear();
  AppendText(text);
  caret_ = anchor_ = EditPos{};
}

void CEditData::AppendText(std::u16string_view text) {
  std::size_t pos = 0;
  while (pos <= text.size()) {
    std::size_t brk = text.find_first_of(u"\r\n", pos);
    std::size_t end = brk == std::u16string_view::npos ? text.size() : brk;
    std::u16string_view part = text.substr(pos, end - pos);
    NoteChange(lines_.size() - 1);
    kestrel::EditLine& last = lines_[lines_.size() - 1];
    last.Touched(last.text.size());
    last.text.append(part);
    total_units_ += static_cast<int64_t>(part.size());
    if (brk == std::u16string_view::npos) break;
    pos = brk + 1;
    if (text[brk] == u'\r' && pos < text.size() && text[pos] == u'\n') ++pos;
    lines_.PushBack({});
  }
  caret_ = anchor_ = EndPos();
  typing_record_ = nullptr;
}

std::u16string_view CEditData::GetLine(int32_t line) const {
  if (line < 0 || line >= lines_.size()) return {};
  return lines_[line].text;
}

int32_t CEditData::GetLineLen(int32_t line) const { return static_cast<int32_t>(GetLine(line).size()); }

kestrel::LineLexMemo* CEditData::GetLineLex(int32_t line) {
  if (line < 0 || line >= lines_.size()) return nullptr;
  return &lines_[line].lex;
}

std::span<uint8_t> CEditData::GetLineAttr(int32_t line) {
  if (line < 0 || line >= lines_.size()) return {};
  kestrel::EditLine& l = lines_[line];
  if (l.attr.size() != l.text.size()) l.attr.assign(l.text.size(), 0);
  return l.attr;
}

void CEditData::SetLineEndMode(int mode) {
  if (mode == kestrel::kLineEndCrLf || mode == kestrel::kLineEndLf || mode == kestrel::kLineEndCr)
    line_end_mode_ = mode;
}

std::u16string_view CEditData::LineEnd() const {
  switch (line_end_mode_) {
    case kestrel::kLineEndLf: return u"\n";
    case kestrel::kLineEndCr: return u"\r";
    default: return u"\r\n";
  }
}

int64_t CEditData::GetTextLength() const {
  return total_units_ + static_cast<int64_t>(lines_.size() - 1) * static_cast<int64_t>(LineEnd().size());
}

bool CEditData::FitsMaxLen(int64_t units, int64_t breaks, int64_t removed) const {
  if (max_len_ == 0) return true;
  return GetTextLength() - removed + units + breaks * static_cast<int64_t>(LineEnd().size()) <= max_len_;
}

std::u16string CEditData::GetText() const { return GetText(EditPos{}, EndPos()); }

std::u16string CEditData::GetText(EditPos a, EditPos b) const {
  EditPos from = Clamp(std::min(a, b));
  EditPos to = Clamp(std::max(a, b));
  std::u16string out;
  if (from.line == to.line) return std::u16string(GetLine(from.line).substr(from.col, to.col - from.col));
  const std::u16string_view eol = LineEnd();
  out.append(GetLine(from.line).substr(from.col));
  for (int32_t l = from.line + 1; l < to.line; ++l) {
    out.append(eol);
    out.append(GetLine(l));
  }
  out.append(eol);
  out.append(GetLine(to.line).substr(0, to.col));
  return out;
}

std::u16string CEditData::GetBoxText(EditPos a, EditPos b) const {
  const BoxRect box = GetBoxRect(a, b);
  std::u16string out;
  for (int32_t l = box.top; l <= box.bottom; ++l) {
    if (l > box.top) out.append(LineEnd());
    int32_t s = 0, e = 0;
    BoxColumns(box, l, &s, &e);
    out.append(GetLine(l).substr(static_cast<std::size_t>(s), static_cast<std::size_t>(e - s)));
  }
  return out;
}

namespace {

// Display column after walking the characters that start in [from, to) of
// `t`, starting at column `x`. A start inside a surrogate pair skips its
// second half (the pair was counted before it).
int32_t WalkX(std::u16string_view t, std::size_t from, std::size_t to, int32_t x, int tab) {
  if (from > 0 && from < t.size() && kestrel::is_low_surrogate(t[from]) && kestrel::is_high_surrogate(t[from - 1]))
    ++from;
  return kestrel::DisplayColumnOf(t.substr(std::min(from, t.size())), static_cast<int32_t>(to > from ? to - from : 0),
                                  tab, x);
}

constexpr std::size_t kBlock = kestrel::EditLine::kDisplayBlock;

// Display column at the start of block `k` of a long line, measuring the
// blocks not measured yet.
int32_t BlockX(const kestrel::EditLine& l, std::size_t k, int tab) {
  if (l.block_tab != tab || l.block_x.empty()) {
    l.block_x.assign(1, 0);
    l.block_tab = tab;
  }
  while (l.block_x.size() <= k) {
    const std::size_t j = l.block_x.size() - 1;
    l.block_x.push_back(WalkX(l.text, j * kBlock, (j + 1) * kBlock, l.block_x[j], tab));
  }
  return l.block_x[k];
}

}  // namespace

int32_t CEditData::DisplayX(int32_t line, int32_t col) const {
  if (line < 0 || line >= lines_.size()) return 0;
  const kestrel::EditLine& l = lines_[line];
  const std::size_t c = std::min(static_cast<std::size_t>(std::max(col, 0)), l.text.size());
  if (l.text.size() < 2 * kBlock) return kestrel::DisplayColumnOf(l.text, static_cast<int32_t>(c), tab_width_);
  const std::size_t k = c / kBlock;
  return WalkX(l.text, k * kBlock, c, BlockX(l, k, tab_width_), tab_width_);
}

int32_t CEditData::ColumnAtX(int32_t line, int32_t x, bool nearest) const {
  if (line < 0 || line >= lines_.size()) return 0;
  const kestrel::EditLine& l = lines_[line];
  std::u16string_view t = l.text;
  if (t.size() < 2 * kBlock) return kestrel::CharColumnAt(t, x, tab_width_, nearest);
  // The last block starting at or before `x`, then a walk inside it.
  const std::size_t blocks = (t.size() + kBlock - 1) / kBlock;
  std::size_t k = 0;
  while (k + 1 < blocks && BlockX(l, k + 1, tab_width_) <= x) ++k;
  std::size_t from = k * kBlock;
  if (from > 0 && kestrel::is_low_surrogate(t[from]) && kestrel::is_high_surrogate(t[from - 1])) ++from;
  const int32_t base = BlockX(l, k, tab_width_);
  return static_cast<int32_t>(from) + kestrel::CharColumnAt(t.substr(from), x, tab_width_, nearest, base);
}

int32_t CEditData::LineWidth(int32_t line) const { return DisplayX(line, GetLineLen(line)); }

const std::vector<int32_t>& CEditData::WrapRowStarts(int32_t line, int32_t cols) const {
  static const std::vector<int32_t> kNone{0};
  if (line < 0 || line >= lines_.size()) return kNone;
  const kestrel::EditLine& l = lines_[line];
  std::vector<int32_t>& starts = l.row_starts;
  if (l.row_cols != cols || l.row_tab != tab_width_ || starts.empty()) {
    starts.assign(1, 0);
    l.row_cols = cols;
    l.row_tab = tab_width_;
  } else if (!l.rows_partial) {
    return starts;
  }
  std::u16string_view t = l.text;
  const int tab = tab_width_;
  auto advance = [tab](char32_t c, int32_t x) { return c == U'\t' ? tab - x % tab : kestrel::CharColumns(c); };
  int32_t x = 0;
  for (std::size_t i = static_cast<std::size_t>(starts.back()); i < t.size();) {
    std::size_t len = 1;
    const char32_t c = kestrel::code_point_at(t, i, &len);
    int w = advance(c, x);
    if (x > 0 && x + w > cols) {
      starts.push_back(static_cast<int32_t>(i));
      x = 0;
      w = advance(c, 0);
    }
    x += w;
    i += len;
  }
  l.rows_partial = false;
  return starts;
}

int32_t CEditData::BoxX(EditPos p) const {
  const int32_t line = std::clamp(p.line, 0, GetLineCnt() - 1);
  const int32_t len = GetLineLen(line);
  const int32_t col = std::max(p.col, 0);
  return DisplayX(line, std::min(col, len)) + std::max(0, col - len);
}

CEditData::BoxRect CEditData::GetBoxRect(EditPos a, EditPos b) const {
  BoxRect r;
  r.top = std::clamp(std::min(a.line, b.line), 0, GetLineCnt() - 1);
  r.bottom = std::clamp(std::max(a.line, b.line), 0, GetLineCnt() - 1);
  const int32_t xa = BoxX(a);
  const int32_t xb = BoxX(b);
  r.left = std::min(xa, xb);
  r.right = std::max(xa, xb);
  return r;
}

void CEditData::BoxColumns(const BoxRect& box, int32_t line, int32_t* from, int32_t* to) const {
  kestrel::CharRangeIn(GetLine(line), box.left, box.right, tab_width_, from, to);
}

EditPos CEditData::PosAtX(int32_t line, int32_t x) const {
  line = std::clamp(line, 0, GetLineCnt() - 1);
  const int32_t width = LineWidth(line);
  if (x >= width) return {line, GetLineLen(line) + (x - width)};
  return {line, ColumnAtX(line, std::max(x, 0), false)};
}

// --- positions -----------------------------------------------------------------------

EditPos CEditData::EndPos() const { return {GetLineCnt() - 1, GetLineLen(GetLineCnt() - 1)}; }

EditPos CEditData::Clamp(EditPos p) const {
  if (p.line < 0) return {};
  if (p.line >= GetLineCnt()) return EndPos();
  std::u16string_view t = GetLine(p.line);
  int32_t col = std::clamp(p.col, 0, static_cast<int32_t>(t.size()));
  // Never between the halves of a surrogate pair.
  if (col > 0 && col < static_cast<int32_t>(t.size()) && kestrel::is_low_surrogate(t[col]) &&
      kestrel::is_high_surrogate(t[col - 1]))
    --col;
  return {p.line, col};
}

EditPos CEditData::NextPos(EditPos p) const { return FromTextPos(next(ToTextPos(Clamp(p)))); }

EditPos CEditData::PrevPos(EditPos p) const {
  p = Clamp(p);
  if (p == EditPos{}) return p;
  return FromTextPos(prev(ToTextPos(p)));
}

void CEditData::SetCaret(EditPos pos, bool extend) {
  caret_ = Clamp(pos);
  if (!extend) {
    anchor_ = caret_;
    box_ = false;
  }
}

void CEditData::SetSelection(EditPos anchor, EditPos end, bool box) {
  anchor_ = box ? EditPos{std::clamp(anchor.line, 0, GetLineCnt() - 1), std::max(anchor.col, 0)} : Clamp(anchor);
  caret_ = box ? EditPos{std::clamp(end.line, 0, GetLineCnt() - 1), std::max(end.col, 0)} : Clamp(end);
  box_ = box;
}

void CEditData::ClearSelection() {
  anchor_ = caret_ = Clamp(caret_);
  box_ = false;
}

int64_t CEditData::SelectionLength() const {
  if (!HasSelection()) return 0;
  if (!box_) return static_cast<int64_t>(GetText(anchor_, caret_).size());
  // A box takes no line ends with it.
  int64_t n = 0;
  const BoxRect box = GetBoxRect(anchor_, caret_);
  for (int32_t l = box.top; l <= box.bottom; ++l) {
    int32_t s = 0, e = 0;
    BoxColumns(box, l, &s, &e);
    n += e - s;
  }
  return n;
}

std::u16string CEditData::GetSelectedText() const {
  if (!HasSelection()) return {};
  return box_ ? GetBoxText(anchor_, caret_) : GetText(anchor_, caret_);
}

EditPos CEditData::Shift(EditPos p, EditPos from, EditPos to, EditPos new_end) {
  if (p < from) return p;
  if (p < to) return from;
  if (p.line == to.line) return {new_end.line, new_end.col + (p.col - to.col)};
  return {p.line + (new_end.line - to.line), p.col};
}

// --- primitives ------------------------------------------------------------------------

EditPos CEditData::RawInsert(EditPos at, std::u16string_view text) {
  NoteChange(at.line);
  kestrel::EditLine& first = lines_[at.line];
  first.Touched(static_cast<std::size_t>(at.col));
  std::size_t brk = text.find(u'\n');
  total_units_ += static_cast<int64_t>(text.size()) - CountBreaks(text);
  if (brk == std::u16string_view::npos) {
    first.text.insert(static_cast<std::size_t>(at.col), text);
    return {at.line, at.col + static_cast<int32_t>(text.size())};
  }
  std::u16string tail = first.text.substr(static_cast<std::size_t>(at.col));
  first.text.resize(static_cast<std::size_t>(at.col));
  first.text.append(text.substr(0, brk));
  std::vector<std::u16string_view> parts;
  for (std::size_t pos = brk + 1;;) {
    std::size_t next_brk = text.find(u'\n', pos);
    if (next_brk == std::u16string_view::npos) {
      parts.push_back(text.substr(pos));
      break;
    }
    parts.push_back(text.substr(pos, next_brk - pos));
    pos = next_brk + 1;
  }
  lines_.Insert(at.line + 1, static_cast<int32_t>(parts.size()));
  for (std::size_t k = 0; k < parts.size(); ++k) lines_[at.line + 1 + static_cast<int32_t>(k)].text.assign(parts[k]);
  const int32_t last = at.line + static_cast<int32_t>(parts.size());
  const int32_t end_col = static_cast<int32_t>(parts.back().size());
  lines_[last].text.append(tail);
  return {last, end_col};
}

std::u16string CEditData::RawDelete(EditPos from, EditPos to) {
  NoteChange(from.line);
  std::u16string removed;
  kestrel::EditLine& first = lines_[from.line];
  first.Touched(static_cast<std::size_t>(from.col));
  if (from.line == to.line) {
    removed = first.text.substr(static_cast<std::size_t>(from.col), static_cast<std::size_t>(to.col - from.col));
    first.text.erase(static_cast<std::size_t>(from.col), static_cast<std::size_t>(to.col - from.col));
    total_units_ -= static_cast<int64_t>(removed.size());
    return removed;
  }
  removed = first.text.substr(static_cast<std::size_t>(from.col));
  for (int32_t l = from.line + 1; l < to.line; ++l) {
    removed.push_back(u'\n');
    removed.append(lines_[l].text);
  }
  removed.push_back(u'\n');
  const std::u16string& last = lines_[to.line].text;
  removed.append(last, 0, static_cast<std::size_t>(to.col));
  first.text.resize(static_cast<std::size_t>(from.col));
  first.text.append(last, static_cast<std::size_t>(to.col));
  lines_.Erase(from.line + 1, to.line - from.line);
  total_units_ -= static_cast<int64_t>(removed.size()) - (to.line - from.line);
  return removed;
}

int CEditData::DoInsert(EditPos at, std::u16string_view text, EditPos* end) {
  if (text.empty()) {
    if (end) *end = at;
    return 0;
  }
  if (!FlushCaret() || !undo_->AddTextRecord(kestrel::kEditUndoInsert, at.line, at.col, text)) return 1;
  EditPos e = RawInsert(at, text);
  caret_ = Shift(caret_, at, at, e);
  anchor_ = Shift(anchor_, at, at, e);
  if (end) *end = e;
  return 0;
}

int CEditData::DoDelete(EditPos from, EditPos to) {
  if (from >= to) return 0;
  std::u16string text;
  {
    // The record keeps the removed text with "\n" between lines.
    const std::u16string_view eol = u"\n";
    if (from.line == to.line) {
      text.assign(GetLine(from.line).substr(from.col, to.col - from.col));
    } else {
      text.append(GetLine(from.line).substr(from.col));
      for (int32_t l = from.line + 1; l < to.line; ++l) {
        text.append(eol);
        text.append(GetLine(l));
      }
      text.append(eol);
      text.append(GetLine(to.line).substr(0, to.col));
    }
  }
  if (!FlushCaret() || !undo_->AddTextRecord(kestrel::kEditUndoDelete, from.line, from.col, text)) return 1;
  RawDelete(from, to);
  caret_ = Shift(caret_, from, to, from);
  anchor_ = Shift(anchor_, from, to, from);
  return 0;
}

void CEditData::RecordCaret() {
  // Noted now, written with the step's first change, so a step that ends up
  // changing nothing stays empty and is dropped. Only the outermost step
  // notes it: that is where undo leaves the caret.
  if (undo_->depth() != 1) return;
  pending_caret_ = true;
  pending_caret_pos_ = caret_;
  pending_anchor_pos_ = anchor_;
}

bool CEditData::FlushCaret() {
  if (!pending_caret_) return true;
  pending_caret_ = false;
  return undo_->AddRecord(kestrel::kEditUndoCaret, pending_caret_pos_.line, pending_caret_pos_.col,
                          PackPos(pending_anchor_pos_)) != nullptr;
}

// --- edits -----------------------------------------------------------------------------

int CEditData::StartUndoSet() {
  typing_record_ = nullptr;
  return undo_->StartUndoSet();
}

void CEditData::EndUndoSet() {
  undo_->EndUndoSet();
  if (undo_->depth() == 0) pending_caret_ = false;
}

int CEditData::InsertText(EditPos at, std::u16string_view text, EditPos* end) {
  at = Clamp(at);
  std::u16string norm = NormalizeBreaks(text);
  const int64_t breaks = CountBreaks(norm);
  if (!FitsMaxLen(static_cast<int64_t>(norm.size()) - breaks, breaks)) return 1;
  if (StartUndoSet() != 0) return 1;
  RecordCaret();
  int rc = DoInsert(at, norm, end);
  EndUndoSet();
  return rc;
}

int CEditData::DeleteText(EditPos a, EditPos b) {
  EditPos from = Clamp(std::min(a, b));
  EditPos to = Clamp(std::max(a, b));
  if (from == to) return 0;
  if (StartUndoSet() != 0) return 1;
  RecordCaret();
  int rc = DoDelete(from, to);
  EndUndoSet();
  return rc;
}

int CEditData::ReplaceText(EditPos a, EditPos b, std::u16string_view text, EditPos* end) {
  EditPos from = Clamp(std::min(a, b));
  EditPos to = Clamp(std::max(a, b));
  std::u16string norm = NormalizeBreaks(text);
  const int64_t breaks = CountBreaks(norm);
  const int64_t removed = static_cast<int64_t>(GetText(from, to).size());
  if (!FitsMaxLen(static_cast<int64_t>(norm.size()) - breaks, breaks, removed)) return 1;
  if (StartUndoSet() != 0) return 1;
  RecordCaret();
  int rc = DoDelete(from, to);
  if (rc == 0) rc = DoInsert(from, norm, end);
  EndUndoSet();
  return rc;
}

int CEditData::InsertBox(EditPos at, std::u16string_view text) {
  at.line = std::clamp(at.line, 0, GetLineCnt() - 1);
  at.col = std::max(at.col, 0);
  // Every row goes in at the display column of `at`.
  const int32_t x = BoxX(at);
  std::u16string norm = NormalizeBreaks(text);
  if (!norm.empty() && norm.back() == u'\n') norm.pop_back();  // a final line end opens no extra row
  std::vector<std::u16string_view> parts;
  for (std::size_t pos = 0;;) {
    std::size_t brk = norm.find(u'\n', pos);
    parts.push_back(std::u16string_view(norm).substr(pos, brk == std::u16string::npos ? std::u16string::npos : brk - pos));
    if (brk == std::u16string::npos) break;
    pos = brk + 1;
  }
  // Length check: the parts, the padding of short lines and the new lines.
  auto padding = [&](int32_t line) -> int64_t {
    if (line >= GetLineCnt()) return x;
    std::u16string_view t = GetLine(line);
    return std::max(0, x - kestrel::DisplayColumnOf(t, static_cast<int32_t>(t.size()), tab_width_));
  };
  int64_t units = 0;
  int64_t new_lines = 0;
  for (std::size_t k = 0; k < parts.size(); ++k) {
    const int32_t line = at.line + static_cast<int32_t>(k);
    units += static_cast<int64_t>(parts[k].size()) + padding(line);
    if (line >= GetLineCnt()) ++new_lines;
  }
  if (!FitsMaxLen(units, new_lines)) return 1;
  if (StartUndoSet() != 0) return 1;
  RecordCaret();
  int rc = 0;
  EditPos end = at;
  for (std::size_t k = 0; k < parts.size() && rc == 0; ++k) {
    const int32_t line = at.line + static_cast<int32_t>(k);
    if (line >= GetLineCnt()) rc = DoInsert(EndPos(), u"\n", nullptr);
    const int64_t pad = rc == 0 ? padding(line) : 0;
    if (pad > 0) rc = DoInsert({line, GetLineLen(line)}, std::u16string(static_cast<std::size_t>(pad), u' '), nullptr);
    if (rc == 0) rc = DoInsert(Clamp(PosAtX(line, x)), parts[k], &end);
  }
  caret_ = anchor_ = end;
  box_ = false;
  EndUndoSet();
  return rc;
}

int CEditData::DeleteBox(EditPos a, EditPos b) {
  const BoxRect box = GetBoxRect(a, b);
  if (StartUndoSet() != 0) return 1;
  RecordCaret();
  int rc = 0;
  EditPos top_left{box.top, 0};
  for (int32_t l = box.top; l <= box.bottom && rc == 0; ++l) {
    int32_t from = 0, to = 0;
    BoxColumns(box, l, &from, &to);
    if (l == box.top) top_left.col = from;
    if (to > from) rc = DoDelete({l, from}, {l, to});
  }
  caret_ = anchor_ = Clamp(top_left);
  box_ = false;
  EndUndoSet();
  return rc;
}

int CEditData::MoveBox(EditPos to) {
  if (!IsBoxSelect()) return 1;
  const BoxRect box = GetBoxRect(anchor_, caret_);
  to = Clamp(to);
  int32_t x = BoxX(to);
  if (to.line >= box.top && to.line <= box.bottom && x >= box.left && x <= box.right) return 0;
  // Right of the box on one of its rows, the text moves left by what the
  // box takes out of that row.
  if (to.line >= box.top && to.line <= box.bottom) {
    int32_t from_col = 0, to_col = 0;
    BoxColumns(box, to.line, &from_col, &to_col);
    std::u16string_view t = GetLine(to.line);
    const int32_t removed_from = kestrel::DisplayColumnOf(t, from_col, tab_width_);
    const int32_t removed_to = kestrel::DisplayColumnOf(t, to_col, tab_width_);
    if (x >= removed_to) x -= removed_to - removed_from;
  }
  const std::u16string text = GetBoxText(anchor_, caret_);
  const int32_t rows = box.bottom - box.top;
  const int32_t width = box.right - box.left;
  const uint32_t seq_before = undo_->CurrentSeq();
  if (StartUndoSet() != 0) return 1;
  RecordCaret();
  int rc = DeleteBox(anchor_, caret_);
  if (rc == 0) rc = InsertBox(PosAtX(to.line, x), text);
  EndUndoSet();
  if (rc != 0) {
    AbandonStep(seq_before);
    return 1;
  }
  anchor_ = PosAtX(to.line, x);
  caret_ = PosAtX(to.line + rows, x + width);
  box_ = true;
  return 0;
}

int CEditData::DeleteSelection() {
  if (!HasSelection()) return 0;
  if (box_) return DeleteBox(anchor_, caret_);
  EditPos from = GetSelStart();
  int rc = DeleteText(from, GetSelEnd());
  if (rc == 0) caret_ = anchor_ = from;
  return rc;
}

int CEditData::TypeText(std::u16string_view text) {
  std::u16string norm = NormalizeBreaks(text);
  if (norm.empty()) return 0;
  const int64_t breaks = CountBreaks(norm);
  const bool one_char = breaks == 0 && (norm.size() == 1 || (norm.size() == 2 && kestrel::is_high_surrogate(norm[0])));
  // Characters typed one after another on one line extend the last insert.
  if (one_char && !HasSelection() && typing_record_ && undo_->depth() == 0 &&
      undo_->current_record() == typing_record_ && undo_->last_type() == kestrel::kEditUndoInsert &&
      caret_ == typing_end_) {
    if (!FitsMaxLen(static_cast<int64_t>(norm.size()), 0)) return 1;
    try {
      std::u16string merged(typing_record_->text.view());
      merged.append(norm);
      typing_record_->SetText(merged);
    } catch (const std::bad_alloc&) {
      return 1;
    }
    caret_ = anchor_ = typing_end_ = RawInsert(caret_, norm);
    return 0;
  }
  int64_t removed = 0;
  if (HasSelection()) removed = SelectionLength();
  if (!FitsMaxLen(static_cast<int64_t>(norm.size()) - breaks, breaks, removed)) return 1;
  if (StartUndoSet() != 0) return 1;
  RecordCaret();
  int rc = 0;
  if (HasSelection()) {
    if (box_) {
      rc = DeleteBox(anchor_, caret_);
    } else {
      EditPos from = GetSelStart();
      rc = DoDelete(from, GetSelEnd());
      caret_ = anchor_ = from;
    }
  }
  EditPos end = caret_;
  if (rc == 0) rc = DoInsert(caret_, norm, &end);
  caret_ = anchor_ = end;
  box_ = false;
  EndUndoSet();
  if (rc == 0 && one_char) {
    typing_record_ = undo_->current_record();
    typing_end_ = end;
  }
  return rc;
}

int CEditData::Paste(std::u16string_view text, bool box) {
  if (!box || !IsBoxSelect()) {
    // Refuse what cannot fit before anything changes.
    std::u16string norm = NormalizeBreaks(text);
    const int64_t breaks = CountBreaks(norm);
    const int64_t removed = SelectionLength();
    if (!box && !FitsMaxLen(static_cast<int64_t>(norm.size()) - breaks, breaks, removed)) return 1;
  }
  const uint32_t seq_before = undo_->CurrentSeq();
  if (StartUndoSet() != 0) return 1;
  RecordCaret();
  int rc = DeleteSelection();
  if (rc == 0) {
    if (box) {
      rc = InsertBox(caret_, text);
    } else {
      EditPos end = caret_;
      rc = InsertText(caret_, text, &end);
      if (rc == 0) caret_ = anchor_ = end;
    }
  }
  EndUndoSet();
  if (rc != 0) AbandonStep(seq_before);  // a box that no longer fits once the selection went
  return rc;
}

int CEditData::Backspace() {
  if (HasSelection()) return DeleteSelection();
  EditPos to = Clamp(caret_);
  EditPos from = PrevPos(to);
  if (from == to) return 0;
  int rc = DeleteText(from, to);
  if (rc == 0) caret_ = anchor_ = from;
  return rc;
}

int CEditData::DeleteChar() {
  if (HasSelection()) return DeleteSelection();
  EditPos from = Clamp(caret_);
  EditPos to = NextPos(from);
  if (from == to) return 0;
  int rc = DeleteText(from, to);
  if (rc == 0) caret_ = anchor_ = from;
  return rc;
}

// --- indent ------------------------------------------------------------------------------

int CEditData::Indent(int tab_width, bool spaces) {
  int32_t first = caret_.line;
  int32_t last = caret_.line;
  if (HasSelection()) {
    first = std::min(anchor_.line, caret_.line);
    last = std::max(anchor_.line, caret_.line);
    if (!box_ && GetSelEnd().col == 0 && last > first) --last;
  }
  const std::u16string indent = spaces ? std::u16string(static_cast<std::size_t>(std::max(tab_width, 1)), u' ') : u"\t";
  if (!FitsMaxLen(static_cast<int64_t>(indent.size()) * (last - first + 1), 0)) return 1;
  EditPos anchor = anchor_;
  EditPos caret = caret_;
  if (StartUndoSet() != 0) return 1;
  RecordCaret();
  int rc = 0;
  for (int32_t l = first; l <= last && rc == 0; ++l) rc = DoInsert({l, 0}, indent, nullptr);
  EndUndoSet();
  // Positions at a line start stay there, so whole selected lines stay selected.
  auto moved = [&](EditPos p) {
    if (p.col > 0 && p.line >= first && p.line <= last) p.col += static_cast<int32_t>(indent.size());
    return p;
  };
  anchor_ = moved(anchor);
  caret_ = moved(caret);
  return rc;
}

int CEditData::Unindent(int tab_width) {
  const int32_t width = std::max(tab_width, 1);
  int32_t first = caret_.line;
  int32_t last = caret_.line;
  const bool box = IsBoxSelect();
  const BoxRect rect = GetBoxRect(anchor_, caret_);
  if (HasSelection()) {
    first = std::min(anchor_.line, caret_.line);
    last = std::max(anchor_.line, caret_.line);
    if (!box && GetSelEnd().col == 0 && last > first) --last;
  }
  if (StartUndoSet() != 0) return 1;
  RecordCaret();
  int rc = 0;
  for (int32_t l = first; l <= last && rc == 0; ++l) {
    std::u16string_view t = GetLine(l);
    // With a box the blanks go at its left edge on each line.
    int32_t col = 0, unused = 0;
    if (box) BoxColumns(rect, l, &col, &unused);
    if (col >= static_cast<int32_t>(t.size())) continue;
    int32_t n = 0;
    if (t[col] == u'\t') {
      n = 1;
    } else {
      while (n < width && col + n < static_cast<int32_t>(t.size()) && t[col + n] == u' ') ++n;
    }
    if (n > 0) rc = DoDelete({l, col}, {l, col + n});
  }
  EndUndoSet();
  return rc;
}

// --- undo --------------------------------------------------------------------------------

void CEditData::ApplyUndo(CUndoRecord& r, bool undo) {
  const EditPos at{r.row, r.col};
  switch (r.type) {
    case kestrel::kEditUndoInsert:
    case kestrel::kEditUndoDelete: {
      const bool insert = (r.type == kestrel::kEditUndoInsert) != undo;
      if (insert) {
        caret_ = RawInsert(at, r.text.view());
      } else {
        RawDelete(at, EndOf(at, r.text.view()));
        caret_ = at;
      }
      anchor_ = caret_;
      box_ = false;
      break;
    }
    case kestrel::kEditUndoCaret:
      if (undo) {
        caret_ = at;
        anchor_ = UnpackPos(r.value);
        box_ = false;
      }
      break;
    default:
      break;
  }
}

void CEditData::AbandonStep(uint32_t seq_before) {
  if (undo_->CurrentSeq() != seq_before) Undo();
}

int CEditData::Undo() {
  typing_record_ = nullptr;
  return undo_->Undo([this](CUndoRecord& r) { ApplyUndo(r, true); });
}

int CEditData::Redo() {
  typing_record_ = nullptr;
  return undo_->Redo([this](CUndoRecord& r) { ApplyUndo(r, false); });
}

// --- text source ---------------------------------------------------------------------------

// The engine calls these for every character it looks at, so they read the
// line store directly and decode surrogate pairs inline.

char32_t CEditData::char_at(TextPos p) const {
  const int32_t line = kestrel::text_pos_line(p);
  const auto col = static_cast<std::size_t>(kestrel::text_pos_column(p));
  const int32_t count = lines_.size();
  if (line < 0 || line >= count) return kestrel::kEndOfText;
  const std::u16string& t = lines_[line].text;
  if (col < t.size()) {
    const char16_t c = t[col];
    if (kestrel::is_high_surrogate(c) && col + 1 < t.size() && kestrel::is_low_surrogate(t[col + 1]))
      return 0x10000 + ((char32_t(c) - 0xD800) << 10) + (char32_t(t[col + 1]) - 0xDC00);
    return c;
  }
  return line + 1 < count ? U'\n' : kestrel::kEndOfText;
}

TextPos CEditData::next(TextPos p) const {
  const int32_t line = kestrel::text_pos_line(p);
  const auto col = static_cast<std::size_t>(kestrel::text_pos_column(p));
  if (line >= 0 && line < lines_.size()) {
    const std::u16string& t = lines_[line].text;
    if (col < t.size()) {
      const bool pair = kestrel::is_high_surrogate(t[col]) && col + 1 < t.size() && kestrel::is_low_surrogate(t[col + 1]);
      return p + (pair ? 2 : 1);
    }
  }
  return kestrel::make_text_pos(line + 1, 0);
}

TextPos CEditData::prev(TextPos p) const {
  const int32_t line = kestrel::text_pos_line(p);
  const int32_t col = kestrel::text_pos_column(p);
  if (col > 0) {
    std::u16string_view t = GetLine(line);
    return kestrel::make_text_pos(
        line, static_cast<int32_t>(kestrel::prev_char_start(t, std::min<std::size_t>(col, t.size()))));
  }
  return kestrel::make_text_pos(line - 1, GetLineLen(line - 1));
}

bool CEditData::at_text_end(TextPos p) const {
  const int32_t last = lines_.size() - 1;
  const int32_t line = kestrel::text_pos_line(p);
  if (line < last) return false;
  return line > last || static_cast<std::size_t>(kestrel::text_pos_column(p)) >= lines_[last].text.size();
}

bool CEditData::at_line_end(TextPos p) const {
  const int32_t line = kestrel::text_pos_line(p);
  if (line < 0 || line >= lines_.size()) return true;
  return static_cast<std::size_t>(kestrel::text_pos_column(p)) >= lines_[line].text.size();
}
