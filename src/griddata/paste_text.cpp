// Tab/line-break separated paste over the grid's own slots (so the swap view
// pastes in its own coordinates). Tested by tests/griddata/paste_test.cpp.
#include "griddata/paste_text.h"

#include <algorithm>
#include <string>

#include "griddata/grid_data.h"
#include "platform/utf16.h"

namespace kestrel {
namespace {

enum class End { Tab, Line, Text };

// Reads one field at a time from the paste text.
class FieldReader {
 public:
  explicit FieldReader(std::u16string_view t) : t_(t) {}
  bool at_end() const { return pos_ >= t_.size(); }
  bool cut() const { return cut_; }

  // Reads the next field into `out`; returns what ended it.
  End Next(std::u16string& out) {
    out.clear();
    if (pos_ < t_.size() && t_[pos_] == u'"') {
      ++pos_;
      while (pos_ < t_.size()) {
        char16_t c = t_[pos_++];
        if (c == u'"') {
          if (pos_ < t_.size() && t_[pos_] == u'"') {
            ++pos_;
            Put(out, u'"');
            continue;
          }
          break;  // closing quote; anything up to the separator is kept as is
        }
        Put(out, c);
      }
    }
    while (pos_ < t_.size()) {
      char16_t c = t_[pos_];
      if (c == u'\t') {
        ++pos_;
        return Finish(out, End::Tab);
      }
      if (c == u'\r' || c == u'\n') {
        ++pos_;
        if (c == u'\r' && pos_ < t_.size() && t_[pos_] == u'\n') ++pos_;
        return Finish(out, End::Line);
      }
      Put(out, c);
      ++pos_;
    }
    return Finish(out, End::Text);
  }

 private:
  void Put(std::u16string& out, char16_t c) {
    if (out.size() <= static_cast<std::size_t>(grid::kPasteFieldMaxUnits)) out.push_back(c);
  }
  End Finish(std::u16string& out, End e) {
    if (out.size() > static_cast<std::size_t>(grid::kPasteFieldMaxUnits)) {
      // Cut to fit, never between the two halves of a surrogate pair.
      out.resize(safe_cut(out, static_cast<std::size_t>(grid::kPasteFieldMaxUnits)));
      cut_ = true;
    }
    return e;
  }

  std::u16string_view t_;
  std::size_t pos_ = 0;
  bool cut_ = false;
};

// Number of fields in the first line of the text.
int32_t first_line_fields(std::u16string_view text) {
  FieldReader r(text);
  std::u16string f;
  int32_t n = 0;
  for (;;) {
    End e = r.Next(f);
    ++n;
    if (e != End::Tab || r.at_end()) return n;
  }
}

bool has_line_break(std::u16string_view t) {
  return t.find_first_of(u"\r\n") != std::u16string_view::npos;
}

}  // namespace

int32_t PasteText(CGridData& g, std::u16string_view text) {
  if (!g.IsEditable() || !g.IsValidCurCell()) return grid::kRefused;
  if (text.empty()) return grid::kOk;
  const int32_t rows = g.GetRowCnt(), cols = g.GetColCnt();
  int32_t left = g.GetCurCol(), top = g.GetCurRow();
  int32_t right = cols - 1, bottom = rows - 1;
  bool repeat = false;
  if (g.HasSelection()) {
    const CellRange sel = g.GetSelection();
    if (sel.top_row < 0 || sel.bottom_row >= rows || sel.left() < 0 || sel.right() >= cols)
      return grid::kRefused;  // a selection beyond the grid
    left = sel.left();
    right = sel.right();
    top = sel.top_row;
    bottom = sel.bottom_row;
    int32_t fields = first_line_fields(text);
    if (right - left + 1 < fields) {
      right = std::min(cols - 1, left + fields - 1);
      g.SetSelection(left, top, right, bottom);
    }
    repeat = bottom > top && !has_line_break(text);
  }

  if (g.StartUndoSet() != 0) return grid::kRefused;
  bool cut = false;
  std::u16string field;
  for (int32_t row = top; row <= bottom;) {
    FieldReader reader(text);
    int32_t col = left;
    bool stop = false;
    while (row <= bottom) {
      End e = reader.Next(field);
      if (col <= right && g.IsColEditable(row, col)) g.UpdateData(row, col, field);
      if (e == End::Tab) {
        ++col;  // fields past the right edge are skipped up to the line end
        continue;
      }
      if (e == End::Text || reader.at_end()) {
        stop = true;  // a final line break starts no extra row
        break;
      }
      col = left;
      ++row;
    }
    cut = cut || reader.cut();
    if (!repeat || stop == false) break;
    ++row;
  }
  g.EndUndoSet();
  return cut ? grid::kPasteFieldCut : grid::kOk;
}

}  // namespace kestrel
