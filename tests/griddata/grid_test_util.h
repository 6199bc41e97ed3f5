// Small helpers shared by the grid data tests: building an editable grid
// from UTF-8 rows, dumping its state as text, running edit scripts.
#pragma once

#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "griddata/editable_grid_data.h"
#include "griddata/text_pool_grid_data.h"
#include "platform/utf16.h"

namespace kestrel::testing {

inline std::unique_ptr<TextPoolGridData> make_grid(const std::vector<std::vector<std::string>>& rows,
                                                   int cols = -1) {
  if (cols < 0) cols = rows.empty() ? 0 : static_cast<int>(rows[0].size());
  auto pool = std::make_unique<TextPool>(cols);
  for (const auto& r : rows) {
    std::vector<std::u16string> cells;
    for (const auto& c : r) cells.push_back(u16(c));
    std::vector<std::u16string_view> views(cells.begin(), cells.end());
    pool->AddRow(views);
  }
  std::vector<std::u16string> names;
  for (int c = 0; c < cols; ++c) names.push_back(u16("COL" + std::to_string(c + 1)));
  auto g = std::make_unique<TextPoolGridData>(std::move(pool), names);
  g->SetCurCell(0, 0);
  return g;
}

// One line per row: header|cell,cell,...|changed bits
inline std::vector<std::string> dump(const CGridData& g) {
  std::vector<std::string> out;
  for (int32_t r = 0; r < g.GetRowCnt(); ++r) {
    std::string line = utf16_to_utf8(g.GetRowHeader(r)) + "|";
    std::string bits;
    for (int32_t c = 0; c < g.GetColCnt(); ++c) {
      if (c) line += ",";
      line += utf16_to_utf8(g.GetData(r, c));
      bits += g.IsUpdateCell(r, c) ? '1' : '0';
    }
    out.push_back(line + "|" + bits);
  }
  return out;
}

// "I U D" counters of an editable grid.
inline std::string counters(const CEditableGridData& g) {
  return std::to_string(g.GetInsertedRowCnt()) + " " + std::to_string(g.GetUpdatedRowCnt()) + " " +
         std::to_string(g.GetDeletedRowCnt());
}

// Unescapes \t, \n, \r and \\ in script texts.
inline std::u16string unescape(const std::string& s) {
  std::string o;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '\\' && i + 1 < s.size()) {
      char n = s[++i];
      o += n == 't' ? '\t' : n == 'n' ? '\n' : n == 'r' ? '\r' : n == 's' ? ' ' : n;
    } else {
      o += s[i];
    }
  }
  return u16(o);
}

// Runs one script line against `g`; returns the operation's result.
//   set R C TEXT | ins R N | del R | dels A B | null 0|1 | cur R C
//   sel C1 R1 C2 R2 | paste TEXT | upper | lower | zen | han | seq START STEP
//   undo | redo | swap R1 R2 | begin | end | range C1 R1 C2 R2 TEXT
inline int run_step(CEditableGridData& g, const std::string& line) {
  std::istringstream in(line);
  std::string op;
  in >> op;
  auto rest = [&] {
    std::string r;
    std::getline(in, r);
    if (!r.empty() && r[0] == ' ') r.erase(0, 1);
    return unescape(r);
  };
  int a = 0, b = 0, c = 0, d = 0;
  if (op == "set") {
    in >> a >> b;
    return g.UpdateData(a, b, rest());
  }
  if (op == "ins") {
    in >> a >> b;
    return g.InsertRows(a, b);
  }
  if (op == "del") {
    in >> a;
    return g.DeleteRow(a);
  }
  if (op == "dels") {
    in >> a >> b;
    return g.DeleteRows(a, b);
  }
  if (op == "null") {
    in >> a;
    return g.DeleteNullRows(a != 0);
  }
  if (op == "cur") {
    in >> a >> b;
    g.SetCurCell(a, b);
    g.ClearSelection();
    return 0;
  }
  if (op == "sel") {
    in >> a >> b >> c >> d;
    g.SetSelection(a, b, c, d);
    return 0;
  }
  if (op == "range") {
    in >> a >> b >> c >> d;
    return g.UpdateRange({a, b}, {c, d}, rest());
  }
  if (op == "paste") return g.Paste(rest());
  if (op == "upper") return g.ToUpper();
  if (op == "lower") return g.ToLower();
  if (op == "zen") return g.ToZenkaku(true, true);
  if (op == "han") return g.ToHankaku(true, true);
  if (op == "seq") {
    long long s = 0, t = 0;
    in >> s >> t;
    return g.InputSequence(s, t);
  }
  if (op == "undo") return g.Undo();
  if (op == "redo") return g.Redo();
  if (op == "swap") {
    in >> a >> b;
    g.SwapRow(a, b);
    return 0;
  }
  if (op == "begin") return g.StartUndoSet();
  if (op == "end") {
    g.EndUndoSet();
    return 0;
  }
  ADD_FAILURE() << "unknown script step: " << line;
  return -100;
}

}  // namespace kestrel::testing
