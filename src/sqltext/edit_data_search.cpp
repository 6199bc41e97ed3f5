// Search and replace in the editor buffer. The engine reads the buffer's
// lines through the text-source interface; the `\=` anchors are set to the
// limits of the range searched (the whole text, the selection, or one row
// of a box selection).
#include <algorithm>
#include <new>
#include <vector>

#include "platform/text_file.h"
#include "platform/utf16.h"
#include "sqltext/edit_data.h"

using kestrel::TextPos;

namespace {

// Restores the engine's default anchors when a search leaves.
class AnchorScope {
 public:
  AnchorScope(kestrel::Regex& re, EditPos a, EditPos z, EditPos line_start, EditPos line_end) : re_(re) {
    re_.set_anchor_positions({CEditData::ToTextPos(a), CEditData::ToTextPos(z), CEditData::ToTextPos(line_start),
                              CEditData::ToTextPos(line_end)});
  }
  ~AnchorScope() { re_.clear_anchor_positions(); }
  AnchorScope(const AnchorScope&) = delete;
  AnchorScope& operator=(const AnchorScope&) = delete;

 private:
  kestrel::Regex& re_;
};

}  // namespace

int CEditData::Search(kestrel::Regex& re, EditPos from, bool forward, EditPos* start, EditPos* end) {
  from = Clamp(from);
  AnchorScope anchors(re, EditPos{}, EndPos(), EditPos{}, EndPos());
  if (forward) {
    if (re.execute(*this, ToTextPos(from)) != 1) return 0;
    *start = FromTextPos(re.match_start());
    *end = FromTextPos(re.match_end());
    return 1;
  }
  // Backward: the nearest match starting before `from`.
  if (from == EditPos{} || re.execute_backward(*this, ToTextPos(PrevPos(from))) != 1) return 0;
  *start = FromTextPos(re.match_start());
  *end = FromTextPos(re.match_end());
  return 1;
}

int CEditData::SearchInSelection(kestrel::Regex& re, EditPos from, EditPos* start, EditPos* end) {
  if (!HasSelection()) return 0;
  if (!box_) {
    EditPos sel_start = GetSelStart();
    EditPos sel_end = GetSelEnd();
    from = std::max(Clamp(from), sel_start);
    AnchorScope anchors(re, sel_start, sel_end, sel_start, sel_end);
    if (re.execute(*this, ToTextPos(from)) != 1) return 0;
    EditPos s = FromTextPos(re.match_start());
    EditPos e = FromTextPos(re.match_end());
    if (e > sel_end) return 0;
    *start = s;
    *end = e;
    return 1;
  }
  const BoxRect rect = GetBoxRect(anchor_, caret_);
  for (int32_t l = std::max(rect.top, Clamp(from).line); l <= rect.bottom; ++l) {
    int32_t from_col = 0, to_col = 0;
    BoxColumns(rect, l, &from_col, &to_col);
    EditPos row_start{l, from_col};
    EditPos row_end{l, to_col};
    EditPos pos = row_start;
    if (l == from.line) pos = std::max(pos, Clamp(from));
    if (pos > row_end) continue;
    AnchorScope anchors(re, row_start, row_end, row_start, row_end);
    if (re.execute(*this, ToTextPos(pos)) != 1) return 0;
    EditPos s = FromTextPos(re.match_start());
    EditPos e = FromTextPos(re.match_end());
    if (s.line == l && e <= row_end) {
      *start = s;
      *end = e;
      return 1;
    }
  }
  return 0;
}

int CEditData::ReplaceMatch(kestrel::Regex& re, EditPos start, EditPos end, std::u16string_view replacement,
                            bool literal, EditPos* after) {
  // The template reads the match's groups from the buffer, so it is expanded
  // before the buffer changes.
  std::u16string text = literal ? std::u16string(replacement) : kestrel::regex_expand_template(re, *this, replacement);
  std::u16string norm = kestrel::normalize_line_ends(text, u"\n");
  const int64_t breaks = std::count(norm.begin(), norm.end(), u'\n');
  const int64_t removed = static_cast<int64_t>(GetText(start, end).size());
  if (!FitsMaxLen(static_cast<int64_t>(norm.size()) - breaks, breaks, removed)) return 1;
  if (DoDelete(start, end) != 0) return 1;
  return DoInsert(start, norm, after);
}

int CEditData::ReplaceOne(kestrel::Regex& re, EditPos start, EditPos end, std::u16string_view replacement,
                          bool literal, EditPos* after) {
  start = Clamp(start);
  end = Clamp(end);
  const uint32_t seq_before = undo_->CurrentSeq();
  if (StartUndoSet() != 0) return 0;
  RecordCaret();
  EditPos e = start;
  int rc = ReplaceMatch(re, start, end, replacement, literal, &e);
  EndUndoSet();
  if (rc != 0) {
    AbandonStep(seq_before);
    return 0;
  }
  caret_ = anchor_ = e;
  box_ = false;
  if (after) *after = e;
  return 1;
}

int CEditData::ReplaceAll(kestrel::Regex& re, std::u16string_view replacement, bool literal, bool in_selection) {
  if (in_selection && !HasSelection()) return 0;
  const bool box = in_selection && box_;

  // Every match is found in the text as it stands, as a replace over one
  // string would (so "^" never matches again where a replacement removed
  // the text before it); then the replacements are made from the last to
  // the first, which keeps the earlier positions valid.
  struct Replacement {
    EditPos start, end;
    std::u16string text;  // "\n" between lines
  };
  std::vector<Replacement> found;
  int64_t units = 0;
  int64_t breaks = 0;
  int64_t removed = 0;
  auto collect = [&](EditPos pos, EditPos limit, EditPos a, EditPos line_start) {
    AnchorScope anchors(re, a, limit, line_start, limit);
    for (;;) {
      if (re.execute(*this, ToTextPos(pos)) != 1) return;
      EditPos s = FromTextPos(re.match_start());
      EditPos e = FromTextPos(re.match_end());
      if (e > limit) return;
      std::u16string text = literal ? std::u16string(replacement) : kestrel::regex_expand_template(re, *this, replacement);
      std::u16string norm = kestrel::normalize_line_ends(text, u"\n");
      const int64_t nb = std::count(norm.begin(), norm.end(), u'\n');
      units += static_cast<int64_t>(norm.size()) - nb;
      breaks += nb;
      removed += static_cast<int64_t>(GetText(s, e).size());
      found.push_back({s, e, std::move(norm)});
      if (e > s) {
        pos = e;
      } else {
        // An empty match moves on by one character.
        if (e >= limit || e == EndPos()) return;
        pos = NextPos(e);
      }
    }
  };

  const EditPos old_anchor = anchor_;
  const EditPos old_caret = caret_;
  const BoxRect rect = GetBoxRect(old_anchor, old_caret);
  const int32_t top = rect.top;
  const int32_t bottom = rect.bottom;
  std::vector<EditPos> row_ends;  // box: where each row's columns end
  try {
    if (!in_selection) {
      collect(EditPos{}, EndPos(), EditPos{}, EditPos{});
    } else if (!box) {
      collect(GetSelStart(), GetSelEnd(), GetSelStart(), GetSelStart());
    } else {
      for (int32_t l = top; l <= bottom; ++l) {
        int32_t from_col = 0, to_col = 0;
        BoxColumns(rect, l, &from_col, &to_col);
        EditPos row_start{l, from_col};
        row_ends.push_back({l, to_col});
        collect(row_start, row_ends.back(), row_start, row_start);
      }
    }
  } catch (const std::bad_alloc&) {
    return -1;
  }
  if (found.empty()) return 0;
  if (!FitsMaxLen(units, breaks, removed)) return -1;

  const uint32_t seq_before = undo_->CurrentSeq();
  if (StartUndoSet() != 0) return -1;
  RecordCaret();
  EditPos sel_start = GetSelStart();
  EditPos sel_end = GetSelEnd();
  std::vector<int32_t> growth;  // box: how much each row grew
  if (box) growth.assign(static_cast<std::size_t>(bottom - top + 1), 0);
  bool failed = false;
  for (auto it = found.rbegin(); it != found.rend() && !failed; ++it) {
    EditPos after = it->start;
    if (DoDelete(it->start, it->end) != 0 || DoInsert(it->start, it->text, &after) != 0) {
      failed = true;
      break;
    }
    sel_end = Shift(sel_end, it->start, it->end, after);
    if (box) growth[static_cast<std::size_t>(it->start.line - top)] += after.col - it->end.col;
  }
  EndUndoSet();
  if (failed) {
    AbandonStep(seq_before);
    return -1;
  }
  if (in_selection && !box) {
    // The selection keeps covering the replaced text.
    if (old_anchor <= old_caret) anchor_ = sel_start, caret_ = sel_end;
    else anchor_ = sel_end, caret_ = sel_start;
  } else if (box) {
    // The box widens to the widest row that grew (display columns).
    int32_t widest = rect.right;
    for (std::size_t k = 0; k < row_ends.size(); ++k) {
      if (growth[k] <= 0) continue;
      const EditPos e{row_ends[k].line, row_ends[k].col + growth[k]};
      widest = std::max(widest, BoxX(e));
    }
    const bool anchor_left = BoxX(old_anchor) == rect.left;
    anchor_ = PosAtX(old_anchor.line, anchor_left ? rect.left : widest);
    caret_ = PosAtX(old_caret.line, anchor_left ? widest : rect.left);
    box_ = true;
  }
  return static_cast<int>(found.size());
}
