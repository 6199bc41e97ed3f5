#include "griddata/ora_grid_preview.h"

#include <vector>

#include "griddata/ora_grid_data.h"
#include "oci/oci_codes.h"
#include "oci/oci_dictionary.h"
#include "platform/format.h"

namespace kestrel {

std::u16string ora_quoted_literal(std::u16string_view text) {
  if (text.empty()) return u"NULL";
  std::u16string out(u"'");
  for (char16_t ch : text) {
    out += ch;
    if (ch == u'\'') out += u'\'';
  }
  return out + u"'";
}

}  // namespace kestrel

using namespace kestrel;

namespace {

// An object cell holds the expression the user typed (a constructor call),
// which the save puts into its statement as it is; every other cell is a
// quoted literal.
std::u16string cell_sql(const CEditableOraGridData* g, int32_t row, int32_t col) {
  const std::u16string_view text = g->GetData(row, col);
  if (g->GetDataset()->cols[static_cast<std::size_t>(col)].data_type == kTypeObject)
    return text.empty() ? std::u16string(u"NULL") : std::u16string(text);
  return ora_quoted_literal(text);
}

}  // namespace

int oci_preview_grid_sql(const CEditableOraGridData* g, std::u16string* out, OciMsgBuf msg) {
  out->clear();
  for (int32_t c = 0; c < g->GetColCnt(); ++c) {
    const uint16_t t = g->GetDataset()->cols[static_cast<std::size_t>(c)].data_type;
    if (t == kTypeClob || t == kTypeBlob || t == kTypeBfile) {
      msg.set(u"LOBデータには対応していません");
      return 1;
    }
  }
  OciDataset pk;
  if (oci_get_primary_key(g->GetSession(), &pk, g->GetOwnerName(), g->GetTableName(), msg) != kOciOk) return 1;
  if (pk.row_count == 0) {
    msg.set(u"Primary Keyの無いテーブルでは，この機能を利用できません");
    return 1;
  }
  const int name_col = oci_find_column(&pk, u"COLUMN_NAME");
  std::vector<std::pair<std::u16string, int32_t>> keys;  // name, grid column
  for (int32_t r = 0; r < pk.row_count; ++r) {
    std::u16string name(name_col < 0 ? std::u16string_view() : pk.text_view(r, name_col));
    int32_t col = -1;
    for (int32_t c = 0; c < g->GetColCnt() && col < 0; ++c)
      if (g->GetColName(c) == name) col = c;
    if (col < 0) {
      msg.set(format(u"Primary Keyのカラムが表示されていないため，この機能を利用できません(%s)", {name}));
      return 1;
    }
    keys.emplace_back(std::move(name), col);
  }
  const std::u16string table = format(u"\"%s\".\"%s\"", {g->GetOwnerName(), g->GetTableName()});
  auto where = [&](int32_t row) {
    std::u16string w;
    for (std::size_t i = 0; i < keys.size(); ++i) {
      if (i) w += u" and ";
      w += format(u"\"%s\" = %s", {keys[i].first, ora_quoted_literal(g->GetFetchedData(row, keys[i].second))});
    }
    return w;
  };
  const int32_t rows = g->GetRowCnt();
  for (int32_t r = 0; r < rows; ++r) {
    if (!g->IsDeleteRow(r) || g->IsInsertRow(r)) continue;
    *out += u"delete from " + table + u" where " + where(r) + u";\n";
  }
  for (int32_t r = 0; r < rows; ++r) {
    if (!g->IsUpdateRow(r) || g->IsDeleteRow(r)) continue;
    std::u16string set;
    for (int32_t c = 0; c < g->GetColCnt(); ++c) {
      if (!g->IsUpdateCell(r, c)) continue;
      if (!set.empty()) set += u", ";
      set += format(u"\"%s\" = %s", {g->GetColName(c), cell_sql(g, r, c)});
    }
    if (set.empty()) continue;
    *out += u"update " + table + u" set " + set + u" where " + where(r) + u";\n";
  }
  for (int32_t r = 0; r < rows; ++r) {
    if (!g->IsInsertRow(r) || g->IsDeleteRow(r)) continue;
    std::u16string names, values;
    for (int32_t c = 0; c < g->GetColCnt(); ++c) {
      if (!(g->GetColFlags(c) & kColInsertable)) continue;
      if (!names.empty()) {
        names += u", ";
        values += u", ";
      }
      names += u"\"" + g->GetColName(c) + u"\"";
      values += cell_sql(g, r, c);
    }
    *out += u"insert into " + table + u" (" + names + u") values (" + values + u");\n";
  }
  return 0;
}
