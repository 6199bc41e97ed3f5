// Copy text building: header line or row headers, field writers, row ends.
#include "gridctrl/grid_copy.h"

#include <algorithm>
#include <new>

#include "gridctrl/gridctrl_constants.h"
#include "platform/ui_services.h"
#include "platform/utf16.h"

namespace kestrel {

using namespace gridctrl;

int CopyFormatOfCommand(int id) {
  switch (id) {
    case kCmdCopyCsv: return kCopyCsv;
    case kCmdEditCopy:
    case kCmdCopyTab: return kCopyTab;
    case kCmdCopyCsvNames: return kCopyCsvNames;
    case kCmdCopyTabNames: return kCopyTabNames;
    case kCmdCopyFixed: return kCopyFixed;
    case kCmdCopyFixedNames: return kCopyFixedNames;
    default: return 0;
  }
}

namespace {

enum class Writer { kCsv, kTab, kFixed };

struct Shape {
  Writer writer;
  bool names;
  char16_t sep;  // 0 for fixed width
};

bool shape_of(int format, Shape& s) {
  switch (format) {
    case kCopyCsv: s = {Writer::kCsv, false, u','}; return true;
    case kCopyTab: s = {Writer::kTab, false, u'\t'}; return true;
    case kCopyCsvNames: s = {Writer::kCsv, true, u','}; return true;
    case kCopyTabNames: s = {Writer::kTab, true, u'\t'}; return true;
    case kCopyFixed: s = {Writer::kFixed, false, 0}; return true;
    case kCopyFixedNames: s = {Writer::kFixed, true, 0}; return true;
    default: return false;
  }
}

bool needs_tab_quotes(std::u16string_view t) {
  if (t.empty()) return false;
  if (t.front() == u'"') return true;
  // One comparison per character for the usual text (nothing below CR).
  for (char16_t c : t)
    if (c <= u'\r' && (c == u'\t' || c == u'\r' || c == u'\n')) return true;
  return false;
}

int64_t count_quotes(std::u16string_view t) { return std::count(t.begin(), t.end(), u'"'); }

// Appends (or, with out == nullptr, only counts) one field.
class FieldSink {
 public:
  explicit FieldSink(std::u16string* out) : out_(out) {}
  int64_t size() const { return size_; }

  void raw(std::u16string_view t) {
    size_ += static_cast<int64_t>(t.size());
    if (out_) out_->append(t);
  }
  void ch(char16_t c, int64_t n = 1) {
    size_ += n;
    if (out_) out_->append(static_cast<std::size_t>(n), c);
  }
  void quoted(std::u16string_view t) {
    ch(u'"');
    if (!out_) {
      size_ += static_cast<int64_t>(t.size()) + count_quotes(t);
    } else {
      for (char16_t c : t) {
        if (c == u'"') ch(u'"');
        ch(c);
      }
    }
    ch(u'"');
  }
  void field(Writer w, std::u16string_view t, bool escape, int32_t fixed_len) {
    switch (w) {
      case Writer::kCsv: quoted(t); return;
      case Writer::kTab:
        if (escape && needs_tab_quotes(t)) quoted(t);
        else raw(t);
        return;
      case Writer::kFixed:
        if (fixed_len < 1) {
          // No declared length: the whole text and one space.
          raw(t);
          ch(u' ');
          return;
        }
        {
          std::size_t keep = safe_cut(t, static_cast<std::size_t>(fixed_len - 1));
          raw(t.substr(0, keep));
          ch(u' ', fixed_len - static_cast<int64_t>(keep));
        }
        return;
    }
  }
  // Header names (and swapped row headers) go through the writer only when
  // they would otherwise break the line; plain names stay bare.
  void name(Writer w, char16_t sep, std::u16string_view t, bool escape, int32_t fixed_len) {
    if (w == Writer::kFixed) return field(w, t, escape, fixed_len);
    const bool special = t.find_first_of(u"\"\r\n") != std::u16string_view::npos ||
                         t.find(sep) != std::u16string_view::npos;
    if (special) field(w, t, escape, fixed_len);
    else raw(t);
  }

 private:
  std::u16string* out_;
  int64_t size_ = 0;
};

bool valid_range(const CGridData& data, const CopyRange& r) {
  return r.top >= 0 && r.left >= 0 && r.top <= r.bottom && r.left <= r.right &&
         r.bottom < data.GetRowCnt() && r.right < data.GetColCnt();
}

// One pass over the range; counts only when `out` is null. Stops early
// (returning what it has) once past kMaxCopyUnits.
int64_t run(const CGridData& data, int format, const CopyRange& r, uint32_t style, std::u16string* out) {
  Shape s;
  if (!shape_of(format, s) || !valid_range(data, r)) return 0;
  const bool swapped = (style & kStyleSwapRowCol) != 0;
  const bool escape = (style & kStyleCopyEscapeDblQuote) != 0;
  FieldSink sink(out);
  if (s.names && !swapped) {
    for (int32_t c = r.left; c <= r.right; ++c) {
      if (c > r.left && s.sep) sink.ch(s.sep);
      sink.name(s.writer, s.sep, data.GetDispColName(c), escape, data.GetColLen(c));
    }
    sink.raw(u"\r\n");
  }
  const bool one_record = swapped ? r.left == r.right : r.top == r.bottom;
  for (int32_t row = r.top; row <= r.bottom; ++row) {
    if (s.names && swapped) {
      sink.name(s.writer, s.sep, data.GetRowHeader(row), escape, data.GetRowHeaderLen());
      if (s.sep) sink.ch(s.sep);
    }
    for (int32_t c = r.left; c <= r.right; ++c) {
      if (c > r.left && s.sep) sink.ch(s.sep);
      sink.field(s.writer, data.GetEditData(row, c), escape, data.GetColLen(c));
    }
    if (!(one_record && row == r.bottom)) sink.raw(u"\r\n");
    if (sink.size() > kMaxCopyUnits) break;
  }
  return sink.size();
}

}  // namespace

int64_t GetCopyTextLength(const CGridData& data, int format, const CopyRange& range, uint32_t style) {
  return run(data, format, range, style, nullptr);
}

bool BuildCopyText(const CGridData& data, int format, const CopyRange& range, uint32_t style,
                   std::u16string& out) {
  out.clear();
  const int64_t len = GetCopyTextLength(data, format, range, style);
  if (len > kMaxCopyUnits) return false;
  try {
    out.reserve(static_cast<std::size_t>(len));
    run(data, format, range, style, &out);
  } catch (const std::bad_alloc&) {
    out.clear();
    out.shrink_to_fit();
    return false;
  }
  return true;
}

bool SelectionCopyRange(const CGridData& data, CopyRange& range) {
  if (!data.IsValidCurCell()) return false;
  if (data.HasSelection()) {
    const CellRange& s = data.GetSelection();
    range = {s.top_row, s.bottom_row, s.left(), s.right()};
  } else {
    range = {data.GetCurRow(), data.GetCurRow(), data.GetCurCol(), data.GetCurCol()};
  }
  return true;
}

bool CopyToClipboard(const CGridData& data, int format, const CopyRange& range, uint32_t style) {
  if (!data.IsValidCurRow()) return false;
  std::u16string text;
  if (!BuildCopyText(data, format, range, style, text)) {
    ui().message_box(kTextAllocFailed, kTitleError, mb::OK | mb::ICONERROR);
    return false;
  }
  if (!ui().set_clipboard_text(text)) {
    ui().message_box(kTextSetClipboard, kTitleError, mb::OK | mb::ICONERROR);
    return false;
  }
  return true;
}

}  // namespace kestrel
