// Sum, average, largest and smallest of the number cells of a selection, and
// comma grouping of the results.
#include <algorithm>
#include <charconv>
#include <limits>
#include <string>

#include "griddata/grid_data.h"

using namespace kestrel;
using namespace kestrel::grid;

namespace {

// Reads a cell as a floating-point number the way the C runtime would
// (leading blanks, optional sign, digits, point, exponent; no number is 0).
// `decimals` receives the digits after the decimal point.
double read_number(std::u16string_view t, int32_t* decimals) {
  std::size_t i = 0;
  while (i < t.size() && (t[i] == u' ' || t[i] == u'\t')) ++i;
  std::string ascii;
  for (; i < t.size() && t[i] < 0x80 && ascii.size() < 400; ++i) ascii.push_back(static_cast<char>(t[i]));
  const char* b = ascii.c_str();
  if (*b == '+') ++b;
  double v = 0;
  auto res = std::from_chars(b, ascii.c_str() + ascii.size(), v);
  *decimals = 0;
  if (res.ec != std::errc()) return 0;
  if (const char* dot = std::find(b, res.ptr, '.'); dot != res.ptr) {
    for (const char* p = dot + 1; p < res.ptr && *p >= '0' && *p <= '9'; ++p) ++*decimals;
  }
  return v;
}

}  // namespace

double CGridData::CalcSelection(int mode, CellPoint pt1, CellPoint pt2, CellPoint* out_point,
                                int32_t* out_decimals) const {
  const int32_t top = std::min(pt1.row, pt2.row), bottom = std::max(pt1.row, pt2.row);
  if (mode == kCalcRowCount) return static_cast<double>(bottom) - top + 1;
  const int32_t left = std::max(0, std::min(pt1.col, pt2.col));
  const int32_t right = std::min(GetColCnt() - 1, std::max(pt1.col, pt2.col));
  const int32_t first = std::max(0, top), last = std::min(GetRowCnt() - 1, bottom);

  double sum = 0, largest = -std::numeric_limits<double>::infinity(),
         smallest = std::numeric_limits<double>::infinity();
  int64_t count = 0;
  int32_t decimals = 0;
  CellPoint at_max, at_min;
  for (int32_t col = left; col <= right; ++col) {
    for (int32_t row = first; row <= last; ++row) {
      if (IsNull(row, col) || GetColDataType(row, col) != kTypeNumber) continue;
      int32_t d = 0;
      double v = read_number(GetData(row, col), &d);
      sum += v;
      ++count;
      decimals = std::max(decimals, d);
      if (v > largest) {
        largest = v;
        at_max = {col, row};
      }
      if (v < smallest) {
        smallest = v;
        at_min = {col, row};
      }
    }
  }
  if (out_decimals) *out_decimals = decimals;
  if (count == 0) return kNoNumber;
  switch (mode) {
    case kCalcSum: return sum;
    case kCalcAverage: return sum / static_cast<double>(count);
    case kCalcMax:
      if (out_point) *out_point = at_max;
      return largest;
    case kCalcMin:
      if (out_point) *out_point = at_min;
      return smallest;
    default: return kNoNumber;
  }
}

std::u16string CGridData::FormatNumber(double value, int32_t decimals) {
  char buf[512];
  decimals = std::clamp(decimals, 0, 100);
  auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, decimals);
  if (res.ec != std::errc()) return u"";
  return FormatNumber(std::u16string(buf, res.ptr));
}

std::u16string CGridData::FormatNumber(std::u16string_view text) {
  std::u16string out;
  std::size_t i = 0;
  if (i < text.size() && text[i] == u'-') out.push_back(text[i++]);
  std::size_t int_end = text.find(u'.', i);
  if (int_end == std::u16string_view::npos) int_end = text.size();
  const std::size_t digits = int_end - i;
  for (std::size_t k = 0; k < digits; ++k) {
    if (k > 0 && (digits - k) % 3 == 0) out.push_back(u',');
    out.push_back(text[i + k]);
  }
  out.append(text.substr(int_end));
  return out;
}
