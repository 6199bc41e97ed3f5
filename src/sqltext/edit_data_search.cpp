// Search and replace in the editor buffer. The engine reads the buffer's
// lines through the text-source interface; the `\=` anchors are set to the
// limits of the range searched (the whole text, the selection, or one row
// of a box selection).
#include <algorithm>

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
  // Backward: the last match that starts before `from`, found by walking
  // the matches from the top (the engine only searches forward).
  bool found = false;
  EditPos pos{};
  while (re.execute(*this, ToTextPos(pos)) == 1) {
    EditPos s = FromTextPos(re.match_start());
    EditPos e = FromTextPos(re.match_end());
    if (s >= from) break;
    *start = s;
    *end = e;
    found = true;
    if (e > s) {
      pos = e;
    } else {
      if (e == EndPos()) break;
      pos = NextPos(e);
    }
  }
  return found ? 1 : 0;
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
  const int32_t top = std::min(anchor_.line, caret_.line);
  const int32_t bottom = std::max(anchor_.line, caret_.line);
  const int32_t left = std::min(anchor_.col, caret_.col);
  const int32_t right = std::max(anchor_.col, caret_.col);
  for (int32_t l = std::max(top, Clamp(from).line); l <= bottom; ++l) {
    EditPos row_start = Clamp({l, left});
    EditPos row_end = Clamp({l, right});
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
  std::u16string norm;
  norm.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == u'\r') {
      if (i + 1 < text.size() && text[i + 1] == u'\n') ++i;
      norm.push_back(u'\n');
    } else {
      norm.push_back(text[i]);
    }
  }
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
  const EditPos old_anchor = anchor_;
  const EditPos old_caret = caret_;
  const uint32_t seq_before = undo_->CurrentSeq();
  if (StartUndoSet() != 0) return -1;
  RecordCaret();
  int count = 0;
  bool failed = false;

  // Replaces matches from `pos` while they end at or before `*limit`,
  // moving the limit with each change.
  auto run = [&](EditPos pos, EditPos* limit, EditPos a, EditPos line_start) {
    for (;;) {
      AnchorScope anchors(re, a, *limit, line_start, *limit);
      if (re.execute(*this, ToTextPos(pos)) != 1) return;
      EditPos s = FromTextPos(re.match_start());
      EditPos e = FromTextPos(re.match_end());
      if (e > *limit) return;
      EditPos after = s;
      if (ReplaceMatch(re, s, e, replacement, literal, &after) != 0) {
        failed = true;
        return;
      }
      ++count;
      *limit = Shift(*limit, s, e, after);
      if (e > s) {
        pos = after;
      } else {
        // An empty match moves on by one character.
        if (after >= *limit || after == EndPos()) return;
        pos = NextPos(after);
      }
    }
  };

  if (!in_selection) {
    EditPos limit = EndPos();
    run(EditPos{}, &limit, EditPos{}, EditPos{});
  } else if (!box) {
    EditPos sel_start = GetSelStart();
    EditPos limit = GetSelEnd();
    run(sel_start, &limit, sel_start, sel_start);
    // The selection keeps covering the replaced text.
    if (!failed) {
      if (old_anchor <= old_caret) anchor_ = sel_start, caret_ = limit;
      else anchor_ = limit, caret_ = sel_start;
    }
  } else {
    const int32_t top = std::min(old_anchor.line, old_caret.line);
    const int32_t bottom = std::max(old_anchor.line, old_caret.line);
    const int32_t left = std::min(old_anchor.col, old_caret.col);
    int32_t right = std::max(old_anchor.col, old_caret.col);
    int32_t widest = right;
    for (int32_t l = top; l <= bottom && !failed; ++l) {
      EditPos row_start = Clamp({l, left});
      EditPos limit = Clamp({l, right});
      const int32_t old_len = GetLineLen(l);
      run(row_start, &limit, row_start, row_start);
      widest = std::max(widest, right + GetLineLen(l) - old_len);
    }
    if (!failed) {
      anchor_ = {old_anchor.line, old_anchor.col == left ? left : widest};
      caret_ = {old_caret.line, old_caret.col == left ? left : widest};
      box_ = true;
    }
  }
  EndUndoSet();
  if (failed) {
    AbandonStep(seq_before);
    return -1;
  }
  return count;
}
