#include "griddata/ora_grid_save.h"

#include <algorithm>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "griddata/ora_grid_data.h"
#include "griddata/ora_grid_lob_write.h"
#include "griddata/ora_grid_preview.h"
#include "oci/oci_codes.h"
#include "oci/oci_session.h"
#include "platform/background_operation.h"
#include "platform/client_text.h"
#include "platform/format.h"
#include "platform/msg_target.h"
#include "platform/progress_messages.h"

using namespace kestrel;

namespace {

constexpr char16_t kSavepointSql[] = u"savepoint tern_p1";
constexpr char16_t kRollbackSql[] = u"rollback to tern_p1";
constexpr char16_t kRowGone[] = u"更新する行が見つかりません（他のセッションで削除された可能性があります）\n";
constexpr char16_t kNullInNotNull[] = u"必須項目にNULLが設定されました(%s)\n";
constexpr char16_t kBadLength[] = u"データ長が不正です(%s)\n";

// One statement executed over arrays of values: slots are filled row by
// row and executed when full and at the end.
class ArrayDml {
 public:
  ArrayDml(OciSession* s, std::u16string sql, int32_t binds, const char16_t* op, int32_t per_array, CancelFlag* cancel)
      : s_(s), sql_(std::move(sql)), values_(static_cast<std::size_t>(binds)), op_(op), per_array_(per_array),
        cancel_(cancel) {}

  // Adds one slot for grid row `row` (values in bind order); executes when full.
  int add(int32_t row, const std::vector<std::u16string>& slot, CellPoint* err, OciMsgBuf msg) {
    for (std::size_t i = 0; i < values_.size(); ++i) values_[i].push_back(slot[i]);
    rows_.push_back(row);
    return static_cast<int32_t>(rows_.size()) >= per_array_ ? flush(err, msg) : kOciOk;
  }

  // An UPDATE must touch every row it is given: a row another session
  // deleted would otherwise be reported as saved and its edit lost.
  void require_every_row() { every_row_ = true; }

  int flush(CellPoint* err, OciMsgBuf msg) {
    if (rows_.empty()) return kOciOk;
    OciCursor c;
    char16_t oracle[2048] = {};
    int rc = oci_cre_cursor(s_, &c, sql_, OciMsgBuf(oracle));
    for (std::size_t i = 0; rc == kOciOk && i < values_.size(); ++i)
      rc = oci_bind_string_array(s_, &c, ":X" + std::to_string(i), values_[i], OciMsgBuf(oracle));
    if (rc == kOciOk)
      rc = oci_exec_non_block_cursor(s_, &c, cancel_, OciMsgBuf(oracle), static_cast<uint32_t>(rows_.size()));
    if (rc == kOciOk && every_row_ && static_cast<std::size_t>(c.cda.rpc) < rows_.size()) {
      oci_del_cursor(s_, &c);
      rc = find_missing_row(err, msg);
      for (auto& v : values_) v.clear();
      rows_.clear();
      return rc;
    }
    if (rc != kOciOk) {
      // The first row that failed is the one after those processed.
      const auto done = static_cast<std::size_t>(c.cda.rpc);
      err->row = done < rows_.size() ? rows_[done] : -1;
      err->col = -1;
      std::u16string_view text(oracle);
      if (rc == kOciCancelled) {
        msg.set(text);
      } else {
        if (!text.empty() && text[0] == u'[') {
          if (auto close = text.find(u']'); close != std::u16string_view::npos) text.remove_prefix(close + 1);
        }
        msg.set(format(u"%s error\n%s", {std::u16string(op_), std::u16string(text)}));
      }
    }
    oci_del_cursor(s_, &c);
    for (auto& v : values_) v.clear();
    rows_.clear();
    return rc;
  }

 private:
  // Re-runs the array one row at a time (inside the savepoint, so rows
  // already written are written again with the same values) to name the
  // row the statement did not find.
  int find_missing_row(CellPoint* err, OciMsgBuf msg) {
    for (std::size_t r = 0; r < rows_.size(); ++r) {
      OciCursor c;
      char16_t oracle[2048] = {};
      int rc = oci_cre_cursor(s_, &c, sql_, OciMsgBuf(oracle));
      for (std::size_t i = 0; rc == kOciOk && i < values_.size(); ++i)
        rc = oci_bind_string_array(s_, &c, ":X" + std::to_string(i), {values_[i][r]}, OciMsgBuf(oracle));
      if (rc == kOciOk) rc = oci_exec_non_block_cursor(s_, &c, cancel_, OciMsgBuf(oracle), 1);
      const bool missing = rc == kOciOk && c.cda.rpc == 0;
      oci_del_cursor(s_, &c);
      if (rc != kOciOk || missing) {
        err->row = rows_[r];
        err->col = -1;
        if (missing) {
          msg.set(format(u"%s error\n%s", {std::u16string(op_), std::u16string(kRowGone)}));
          return kOciOracleError;
        }
        msg.set(format(u"%s error\n%s", {std::u16string(op_), std::u16string(oracle)}));
        return rc;
      }
    }
    return kOciOk;
  }

  bool every_row_ = false;
  OciSession* s_;
  std::u16string sql_;
  std::vector<std::vector<std::u16string>> values_;
  std::vector<int32_t> rows_;
  const char16_t* op_;
  int32_t per_array_;
  CancelFlag* cancel_;
};

constexpr int32_t kRowsPerStep = 100;

// The progress window of a save: phase texts, one bar step per 100 rows and
// a cancel check after each step. Without a window nothing is sent.
class SaveProgress {
 public:
  explicit SaveProgress(MsgTarget* target) : target_(target) {}
  void phase(const char16_t* text) {
    if (target_) target_->send(progress::kSetText, 1, reinterpret_cast<intptr_t>(text));
  }
  void range(int32_t rows) {
    if (target_) target_->send(progress::kSetRange, 1, (rows / kRowsPerStep + 1) * 3);
  }
  // After the step of every 100th row: 0 to go on, 9 when cancelled.
  int step(int32_t row, OciMsgBuf msg) {
    if (!target_ || row % kRowsPerStep != 0) return kOciOk;
    target_->send(progress::kStep, 0, 0);
    return check(msg);
  }
  int check(OciMsgBuf msg) {
    if (!target_) return kOciOk;
    std::u16string text;
    const int rc = poll_cancel(
        [](void* t) { return static_cast<int32_t>(static_cast<MsgTarget*>(t)->send(progress::kCancelState, 0, 0)); },
        target_, &text);
    if (rc != 0) msg.set(text);
    return rc;
  }

 private:
  MsgTarget* target_;
};

std::u16string Quoted(std::u16string_view name) { return u"\"" + std::u16string(name) + u"\""; }

std::u16string KeyClause(const std::vector<std::u16string>& keys, int first_bind) {
  std::u16string out;
  for (std::size_t i = 0; i < keys.size(); ++i)
    out += format(u"%s \"%s\" = :X%d \n", {i == 0 ? u"where" : u"and", keys[i], first_bind + static_cast<int>(i)});
  return out;
}

constexpr uint32_t kLongColumnBytes = 1001;
constexpr char16_t kNoSuchColumn[] = u"項目が存在しません(項目名:%s)\n";

bool IsLobOrObject(uint16_t type) {
  return type == kTypeClob || type == kTypeBlob || type == kTypeBfile || type == kTypeObject;
}

// The Oracle text without its "[row:%d,col:%d]" position prefix.
std::u16string_view WithoutPosition(std::u16string_view text) {
  if (!text.empty() && text[0] == u'[') {
    if (auto close = text.find(u']'); close != std::u16string_view::npos) text.remove_prefix(close + 1);
  }
  return text;
}

class Saver {
 public:
  Saver(CEditableOraGridData* g, OciSession* s, CellPoint* err, OciMsgBuf msg, CancelFlag* cancel,
        MsgTarget* progress)
      : progress(progress), g_(g), s_(s), err_(err), msg_(msg), cancel_(cancel),
        table_(format(u"\"%s\".\"%s\"", {g->GetOwnerName(), g->GetTableName()})) {
    const OciDataset* ds = g->GetDataset();
    const int32_t first = g->GetRowidCol();
    for (std::size_t k = 0; k < g->GetKeyColNames().size(); ++k)
      key_cols_.push_back(g->GetHiddenColCnt() == 1 ? first : first + 1 + static_cast<int32_t>(k));
    (void)ds;
  }

  // A value must fit its column: NULL only where the column allows it (19),
  // at most the buffer width less its terminator in the session's bytes and
  // every character convertible (20). A NUL character is not: values are
  // bound as terminated texts, so the rest of the text would be lost
  // without a word. `wrap` is the phase's error form.
  int CheckValue(int32_t row, int32_t col, int32_t err_col, std::u16string_view text, const char16_t* wrap) {
    const OciColumnDesc& d = g_->GetDataset()->cols[static_cast<std::size_t>(col)];
    int rc = kOciOk;
    std::u16string detail;
    if (text.empty()) {
      if (!d.nullable) {
        rc = kOciNullInNotNull;
        detail = format(kNullInNotNull, {d.wname});
      }
    } else if (d.kind == 0) {
      bool lossy = false;
      const std::string bytes = wide_to_client(text, &lossy);
      if (lossy || d.width == 0 || bytes.size() > d.width - 1 || text.find(u'\0') != std::u16string_view::npos) {
        rc = kOciBadLength;
        detail = format(kBadLength, {d.wname});
      }
    }
    if (rc != kOciOk) {
      *err_ = CellPoint{err_col, row};
      msg_.set(format(wrap, {detail}));
    }
    return rc;
  }

  int KeyValues(int32_t row, const char16_t* wrap, std::vector<std::u16string>* out) {
    for (int32_t c : key_cols_) {
      std::u16string v(g_->GetFetchedData(row, c));
      if (int rc = CheckValue(row, c, -1, v, wrap); rc != kOciOk) return rc;
      out->push_back(std::move(v));
    }
    return kOciOk;
  }

  // The table as it is now: a dropped table fails here (13), a column the
  // save would write or search by that is gone fails with 15 at its cell.
  int CheckDefinition() {
    OciCursor def;
    int rc = oci_get_table_def2(s_, &def, table_, true, msg_);
    if (rc != kOciOk) return rc;
    auto known = [&](std::u16string_view name) {
      for (const auto& d : def.cols)
        if (d.wname == name) return true;
      return false;
    };
    for (const auto& key : g_->GetKeyColNames()) {
      if (!known(key)) {
        msg_.set(format(kNoSuchColumn, {key}));
        return kOciNoSuchColumn;
      }
    }
    for (int32_t c = 0; c < g_->GetColCnt(); ++c) {
      for (int32_t r = 0; r < g_->GetRowCnt(); ++r) {
        const bool used = (g_->IsUpdateRow(r) && g_->IsUpdateCell(r, c)) ||
                          (g_->IsInsertRow(r) && !g_->GetData(r, c).empty());
        if (!used) continue;
        if (!known(g_->GetColName(c))) {
          *err_ = CellPoint{c, r};
          msg_.set(format(kNoSuchColumn, {g_->GetColName(c)}));
          return kOciNoSuchColumn;
        }
        break;
      }
    }
    return kOciOk;
  }

  bool ByRowid() const { return g_->GetHiddenColCnt() == 1; }

  // How the LOB statements find a loaded row: its ROWID, or its fetched key.
  int Locator(int32_t row, RowLocator* at) {
    at->keys = g_->GetKeyColNames();
    at->values.clear();
    return KeyValues(row, u"insert/update lob error\n%s", &at->values);
  }

  int Deletes() {
    ArrayDml dml(s_, u"delete from " + table_ + u" \n" + KeyClause(g_->GetKeyColNames(), 0),
                 static_cast<int32_t>(key_cols_.size()), u"delete", kSaveRowsPerArray, cancel_);
    for (int32_t r = 0; r < g_->GetRowCnt(); ++r) {
      if (int rc = progress.step(r, msg_); rc != kOciOk) return rc;
      if (!g_->IsDeleteRow(r) || g_->IsInsertRow(r)) continue;
      ++counts.deleted;
      std::vector<std::u16string> keys;
      if (int rc = KeyValues(r, u"delete error\n%s", &keys); rc != kOciOk) return rc;
      if (int rc = dml.add(r, keys, err_, msg_); rc != kOciOk) return rc;
    }
    return dml.flush(err_, msg_);
  }

  int Updates() {
    // Every statement finds its row by the fetched key, so a changed key
    // column is written after the row's other columns.
    std::vector<int32_t> order, key_last;
    for (int32_t col = 0; col < g_->GetColCnt(); ++col) {
      const auto& keys = g_->GetKeyColNames();
      const bool is_key = g_->GetHiddenColCnt() != 1 &&
                          std::find(keys.begin(), keys.end(), g_->GetColName(col)) != keys.end();
      (is_key ? key_last : order).push_back(col);
    }
    if (order.empty() && !key_last.empty()) {
      for (int32_t r = 0; r < g_->GetRowCnt(); ++r)
        if (int rc = progress.step(r, msg_); rc != kOciOk) return rc;
    }
    for (int32_t col : order) {
      if (IsLobOrObject(g_->GetDataset()->cols[static_cast<std::size_t>(col)].data_type)) {
        if (int rc = LobColumn(col, col == order.front()); rc != kOciOk) return rc;
        continue;
      }
      ArrayDml dml(s_,
                   format(u"update %s \nset \"%s\" = :X0 \n", {table_, g_->GetColName(col)}) +
                       KeyClause(g_->GetKeyColNames(), 1),
                   static_cast<int32_t>(key_cols_.size()) + 1, u"update", kSaveRowsPerArray, cancel_);
      dml.require_every_row();
      for (int32_t r = 0; r < g_->GetRowCnt(); ++r) {
        if (col == order.front()) {
          if (int rc = progress.step(r, msg_); rc != kOciOk) return rc;
        }
        if (!g_->IsUpdateRow(r) || !g_->IsUpdateCell(r, col)) continue;
        std::vector<std::u16string> slot{std::u16string(g_->GetData(r, col))};
        if (int rc = CheckValue(r, col, col, slot[0], u"update error\n%s"); rc != kOciOk) return rc;
        if (int rc = KeyValues(r, u"update error\n%s", &slot); rc != kOciOk) return rc;
        if (int rc = dml.add(r, slot, err_, msg_); rc != kOciOk) {
          if (err_->row >= 0) err_->col = col;
          return rc;
        }
      }
      if (int rc = dml.flush(err_, msg_); rc != kOciOk) {
        if (err_->row >= 0) err_->col = col;
        return rc;
      }
    }
    if (int rc = KeyColumns(key_last); rc != kOciOk) return rc;
    for (int32_t r = 0; r < g_->GetRowCnt(); ++r)
      if (g_->IsUpdateRow(r)) ++counts.updated;
    return kOciOk;
  }

  // LOB, BFILE and object cells one at a time, a cancel check after each.
  int LobColumn(int32_t col, bool steps) {
    for (int32_t r = 0; r < g_->GetRowCnt(); ++r) {
      if (steps) {
        if (int rc = progress.step(r, msg_); rc != kOciOk) return rc;
      }
      if (!g_->IsUpdateRow(r) || !g_->IsUpdateCell(r, col)) continue;
      RowLocator at;
      if (int rc = Locator(r, &at); rc != kOciOk) return rc;
      if (int rc = oci_write_lob_cell(g_, s_, r, col, at, false, err_, msg_, cancel_); rc != kOciOk) return rc;
      if (int rc = progress.check(msg_); rc != kOciOk) return rc;
    }
    return kOciOk;
  }

  // Changed key columns of an index-organised table, last: all of a row's
  // in one UPDATE found by the fetched key, so no statement of the row ever
  // searches by a key it has already changed.
  int KeyColumns(const std::vector<int32_t>& key_cols) {
    if (key_cols.empty()) return kOciOk;
    std::map<std::vector<int32_t>, std::unique_ptr<ArrayDml>> statements;
    for (int32_t r = 0; r < g_->GetRowCnt(); ++r) {
      if (!g_->IsUpdateRow(r)) continue;
      std::vector<int32_t> changed;
      for (int32_t c : key_cols)
        if (g_->IsUpdateCell(r, c)) changed.push_back(c);
      if (changed.empty()) continue;
      auto& dml = statements[changed];
      if (!dml) {
        std::u16string set;
        for (std::size_t i = 0; i < changed.size(); ++i)
          set += format(u"%s\"%s\" = :X%d", {i == 0 ? u"" : u", ", g_->GetColName(changed[i]), static_cast<int>(i)});
        dml = std::make_unique<ArrayDml>(
            s_, format(u"update %s \nset %s \n", {table_, set}) +
                    KeyClause(g_->GetKeyColNames(), static_cast<int>(changed.size())),
            static_cast<int32_t>(changed.size() + key_cols_.size()), u"update", kSaveRowsPerArray, cancel_);
        dml->require_every_row();
      }
      std::vector<std::u16string> slot;
      for (int32_t c : changed) {
        slot.emplace_back(g_->GetData(r, c));
        if (int rc = CheckValue(r, c, c, slot.back(), u"update error\n%s"); rc != kOciOk) return rc;
      }
      if (int rc = KeyValues(r, u"update error\n%s", &slot); rc != kOciOk) return rc;
      if (int rc = dml->add(r, slot, err_, msg_); rc != kOciOk) {
        if (err_->row >= 0) err_->col = changed.front();
        return rc;
      }
    }
    for (auto& [changed, dml] : statements) {
      if (int rc = dml->flush(err_, msg_); rc != kOciOk) {
        if (err_->row >= 0) err_->col = changed.front();
        return rc;
      }
    }
    return kOciOk;
  }

  // Row by row when a LOB or object column needs its cell written after
  // the row exists, or when long columns cannot share an array on an old
  // server through the newer interface.
  bool InsertRowByRow() const {
    int long_cols = 0;
    for (int32_t c = 0; c < g_->GetColCnt(); ++c) {
      const OciColumnDesc& d = g_->GetDataset()->cols[static_cast<std::size_t>(c)];
      if (IsLobOrObject(d.data_type)) return true;
      if (d.width >= kLongColumnBytes) ++long_cols;
    }
    return !s_->lda_mode && oci_get_server_version(s_) < 10.0 && long_cols >= 2;
  }

  int InsertRow(int32_t r) {
    std::u16string names, values;
    std::vector<std::u16string> bound;
    std::vector<int32_t> bound_cols, lob_cols;
    for (int32_t c = 0; c < g_->GetColCnt(); ++c) {
      const OciColumnDesc& d = g_->GetDataset()->cols[static_cast<std::size_t>(c)];
      // BLOB and BFILE columns are never marked insertable, yet an inserted
      // row's upload needs its empty_blob().
      const bool lob = IsLobOrObject(d.data_type);
      if (!(g_->GetColFlags(c) & kColInsertable) && d.data_type != kTypeBlob && d.data_type != kTypeBfile) continue;
      if (!names.empty()) {
        names += u", ";
        values += u", ";
      }
      names += Quoted(d.wname);
      const std::u16string_view text = g_->GetData(r, c);
      if (lob) {
        values += d.data_type == kTypeClob ? u"empty_clob()" : d.data_type == kTypeBlob ? u"empty_blob()" : u"NULL";
        if (!text.empty()) lob_cols.push_back(c);
        continue;
      }
      if (int rc = CheckValue(r, c, c, text, u"insert error \n%s"); rc != kOciOk) return rc;
      if (d.width >= kLongColumnBytes && wide_to_client(text).size() >= kLongColumnBytes) {
        values += ora_quoted_literal(text);
        continue;
      }
      values += format(u":X%d", {static_cast<int>(bound.size())});
      bound.emplace_back(text);
      bound_cols.push_back(c);
    }
    if (names.empty()) return kOciOk;
    ++counts.inserted;
    OciCursor c;
    char16_t oracle[2048] = {};
    OciBindArgs args;
    for (const auto& v : bound) args.emplace_back(v);
    int rc = oci_cre_cursor(s_, &c, format(u"insert into %s (%s) \nvalues (%s) \nreturning rowid into :rid",
                                           {table_, names, values}),
                            OciMsgBuf(oracle));
    if (rc == kOciOk) rc = oci_bind_cursor(s_, &c, std::u16string(bound.size(), u'S'), args, OciMsgBuf(oracle));
    if (rc == kOciOk) rc = oci_bind_rowid_out(s_, &c, OciMsgBuf(oracle));
    if (rc == kOciOk) rc = oci_exec_non_block_cursor(s_, &c, cancel_, OciMsgBuf(oracle), 1);
    if (rc != kOciOk) {
      *err_ = CellPoint{-1, r};
      msg_.set(rc == kOciCancelled ? std::u16string(oracle)
                                   : format(u"insert error \n%s", {WithoutPosition(oracle)}));
      return rc;
    }
    RowLocator at;
    at.keys = g_->GetKeyColNames();
    if (ByRowid()) {
      at.values.emplace_back(client_to_wide(oci_rowid_out(&c)));
    } else {
      // An index-organised row is found by the key it was given.
      for (const auto& key : at.keys) {
        int32_t col = -1;
        for (int32_t k = 0; k < g_->GetColCnt(); ++k)
          if (g_->GetColName(k) == key) col = k;
        at.values.emplace_back(col >= 0 ? std::u16string(g_->GetData(r, col)) : std::u16string());
      }
    }
    oci_del_cursor(s_, &c);
    for (int32_t col : lob_cols) {
      if (int rc2 = oci_write_lob_cell(g_, s_, r, col, at, true, err_, msg_, cancel_); rc2 != kOciOk) return rc2;
    }
    return kOciOk;
  }

  int Inserts() {
    if (InsertRowByRow()) {
      for (int32_t r = 0; r < g_->GetRowCnt(); ++r) {
        if (int rc = progress.step(r, msg_); rc != kOciOk) return rc;
        if (!g_->IsInsertRow(r) || g_->IsDeleteRow(r)) continue;
        if (int rc = InsertRow(r); rc != kOciOk) return rc;
      }
      return kOciOk;
    }
    std::vector<int32_t> cols;
    std::u16string names, binds;
    for (int32_t c = 0; c < g_->GetColCnt(); ++c) {
      if (!(g_->GetColFlags(c) & kColInsertable)) continue;
      if (!cols.empty()) {
        names += u", ";
        binds += u", ";
      }
      names += Quoted(g_->GetColName(c));
      binds += format(u":X%d", {static_cast<int>(cols.size())});
      cols.push_back(c);
    }
    if (cols.empty()) return kOciOk;
    ArrayDml dml(s_, format(u"insert into %s (%s) \nvalues (%s)", {table_, names, binds}),
                 static_cast<int32_t>(cols.size()), u"insert", kSaveRowsPerArray, cancel_);
    std::vector<std::u16string> slot(cols.size());
    for (int32_t r = 0; r < g_->GetRowCnt(); ++r) {
      if (int rc = progress.step(r, msg_); rc != kOciOk) return rc;
      if (!g_->IsInsertRow(r) || g_->IsDeleteRow(r)) continue;
      for (std::size_t i = 0; i < cols.size(); ++i) {
        slot[i].assign(g_->GetData(r, cols[i]));
        if (int rc = CheckValue(r, cols[i], cols[i], slot[i], u"insert error \n%s"); rc != kOciOk) return rc;
      }
      ++counts.inserted;
      if (int rc = dml.add(r, slot, err_, msg_); rc != kOciOk) return rc;
    }
    return dml.flush(err_, msg_);
  }

  OraSaveCounts counts;
  SaveProgress progress;

 private:
  CEditableOraGridData* g_;
  OciSession* s_;
  CellPoint* err_;
  OciMsgBuf msg_;
  CancelFlag* cancel_;
  std::u16string table_;
  std::vector<int32_t> key_cols_;
};

}  // namespace

int oci_save_grid_data(CEditableOraGridData* grid, OciSession* s, CellPoint* err, OciMsgBuf msg,
                       MsgTarget* progress, CancelFlag* cancel, OraSaveCounts* counts) {
  CellPoint none;
  if (!err) err = &none;
  *err = CellPoint{};
  if (!grid->HasRowidCol()) {
    msg.set(u"項目が存在しません(項目名:ROWID)\n");
    return kOciNoSuchColumn;
  }
  int rc = oci_execute_sql(s, kSavepointSql, msg);
  if (rc != kOciOk) return rc;
  Saver saver(grid, s, err, msg, cancel, progress);
  saver.progress.phase(u"データ保存開始");
  saver.progress.range(grid->GetRowCnt());
  rc = saver.CheckDefinition();
  if (rc == kOciOk) {
    saver.progress.phase(u"deleteを実行中");
    rc = saver.Deletes();
  }
  if (rc == kOciOk) {
    saver.progress.phase(u"updateを実行中");
    rc = saver.Updates();
  }
  if (rc == kOciOk) {
    saver.progress.phase(u"insertを実行中");
    rc = saver.Inserts();
  }
  if (rc == kOciOk) rc = saver.progress.check(msg);
  if (rc == kOciOk) rc = oci_ora_commit(s, msg);
  if (rc != kOciOk) {
    char16_t ignored[512] = {};
    if (oci_execute_sql(s, kRollbackSql, OciMsgBuf(ignored)) != kOciOk) {
      msg.set(u"fatal error: rollback to tern_p1");
      return kOciInternal;
    }
    return rc;
  }
  if (counts) *counts = saver.counts;
  msg.set(format(u"編集結果を保存しました。\n    delete: %d\n    insert %d\n    update %d",
                 {saver.counts.deleted, saver.counts.inserted, saver.counts.updated}));
  return kOciOk;
}
