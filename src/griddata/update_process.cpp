// The bulk update processes and their run over the selection as one undo step.
#include "griddata/update_process.h"

#include "griddata/case_map.h"
#include "griddata/width_conv.h"
#include "platform/format.h"

using namespace kestrel;

namespace kestrel {

std::u16string MakeLowerProcess::Process(std::u16string_view text) { return to_lower_text(text); }

std::u16string MakeUpperProcess::Process(std::u16string_view text) { return to_upper_text(text); }

std::u16string MakeToHankakuProcess::Process(std::u16string_view text) {
  std::u16string out;
  to_hankaku(text, out, alnum_, kana_);
  return out;
}

std::u16string MakeToZenkakuProcess::Process(std::u16string_view text) {
  std::u16string out;
  to_zenkaku(text, out, alnum_, kana_);
  return out;
}

std::u16string InputSequenceProcess::Process(std::u16string_view) {
  std::u16string out = format(u"%I64d", {next_});
  // The caller has checked that every number of the run fits.
  next_ = static_cast<int64_t>(static_cast<uint64_t>(next_) + static_cast<uint64_t>(step_));
  return out;
}

}  // namespace kestrel

namespace {

// The cells a process run visits: the selection, or the current cell.
struct Target {
  int32_t top, bottom, left, right;
};

bool run_target(const CGridData& g, Target& t) {
  if (!g.IsEditable() || !g.IsValidCurCell()) return false;
  if (g.HasSelection()) {
    const CellRange& s = g.GetSelection();
    t = {s.top_row, s.bottom_row, s.left(), s.right()};
    // A selection reaching past the grid is stale: change nothing.
    if (t.top < 0 || t.left < 0 || t.bottom >= g.GetRowCnt() || t.right >= g.GetColCnt()) return false;
  } else {
    t = {g.GetCurRow(), g.GetCurRow(), g.GetCurCol(), g.GetCurCol()};
  }
  return t.top <= t.bottom && t.left <= t.right;
}

}  // namespace

int32_t CGridData::RunUpdateProcess(CGridUpdateProcess& process) {
  Target t;
  if (!run_target(*this, t)) return 0;
  int32_t count = 0;
  bool started = false;
  for (int32_t row = t.top; row <= t.bottom; ++row) {
    for (int32_t col = t.left; col <= t.right; ++col) {
      if (!IsColEditable(row, col)) continue;
      std::u16string_view old = GetEditData(row, col);
      std::u16string now = process.Process(old);
      if (now == old) continue;
      if (!started) {
        if (StartUndoSet() != 0) return count;
        started = true;
      }
      if (UpdateData(row, col, now) == kestrel::grid::kOk) ++count;
    }
  }
  if (started) EndUndoSet();
  return count;
}

int32_t CGridData::ToLower() {
  MakeLowerProcess p;
  return RunUpdateProcess(p);
}

int32_t CGridData::ToUpper() {
  MakeUpperProcess p;
  return RunUpdateProcess(p);
}

int32_t CGridData::ToHankaku(bool alnum, bool kana) {
  MakeToHankakuProcess p(alnum, kana);
  return RunUpdateProcess(p);
}

int32_t CGridData::ToZenkaku(bool alnum, bool kana) {
  MakeToZenkakuProcess p(alnum, kana);
  return RunUpdateProcess(p);
}

int32_t CGridData::InputSequence(int64_t start, int64_t step) {
  Target t;
  if (!run_target(*this, t)) return kestrel::grid::kRefused;
  // The counter advances once per editable cell; refuse up front when the
  // last number would leave the signed 64-bit range.
  int64_t cells = 0;
  for (int32_t row = t.top; row <= t.bottom; ++row)
    for (int32_t col = t.left; col <= t.right; ++col)
      if (IsColEditable(row, col)) ++cells;
  if (cells > 1) {
    int64_t span = 0, last = 0;
    if (__builtin_mul_overflow(step, cells - 1, &span) || __builtin_add_overflow(start, span, &last))
      return kestrel::grid::kRefused;
  }
  InputSequenceProcess p(start, step);
  RunUpdateProcess(p);
  return kestrel::grid::kOk;
}
