// DDL, transaction control, session statements and anonymous blocks.
#include <algorithm>
#include <cctype>

#include "engine_error.h"
#include "sql_rewriter_p.h"

namespace ocilite {

namespace {
// A name as stored (already in its exact case) for the catalogue, which
// upper-cases names that are not quoted.
std::string exact_name(const std::string& stored) { return "\"" + stored + "\""; }
}  // namespace
namespace {

bool is_constraint_start(const Token& t) {
  return t.kw("CONSTRAINT") || t.kw("PRIMARY") || t.kw("UNIQUE") || t.kw("FOREIGN") || t.kw("CHECK");
}

// Words after the closing parenthesis of CREATE TABLE that only tune storage.
bool storage_word(const Token& t) {
  static constexpr std::string_view words[] = {
      "TABLESPACE", "PCTFREE", "PCTUSED", "INITRANS", "MAXTRANS", "STORAGE", "LOGGING", "NOLOGGING",
      "COMPRESS",   "NOCOMPRESS", "CACHE", "NOCACHE", "PARALLEL", "NOPARALLEL", "MONITORING",
      "NOMONITORING", "SEGMENT", "ROWDEPENDENCIES", "NOROWDEPENDENCIES", "ENABLE", "DISABLE", "LOB",
      "PCTTHRESHOLD", "OVERFLOW", "INCLUDING", "MAPPING", "RESULT_CACHE", "FLASHBACK", "COLUMN"};
  for (auto w : words)
    if (t.kw(w)) return true;
  return false;
}

}  // namespace

// Reads an Oracle type declaration starting at i; leaves i after it.
std::string Rewriter::parse_type(size_t& i, size_t e) {
  std::string decl;
  auto add = [&](std::string_view s) {
    if (!decl.empty() && decl.back() != '(' && s != ")" && s != "," && s != "(") decl += ' ';
    decl += s;
  };
  auto args = [&] {
    if (!tok(i).op("(")) return;
    size_t close = match_paren(i);
    add("(");
    for (size_t k = i + 1; k < close; ++k) {
      const Token& a = tok(k);
      if (a.op(",")) decl += ",";
      else if (a.op("*")) decl += "*";
      else {
        if (!decl.empty() && decl.back() != '(' && decl.back() != ',') decl += ' ';
        decl += a.kind == TokKind::Ident ? a.upper : a.text;
      }
    }
    decl += ")";
    i = close + 1;
  };
  if (!tok(i).name_like()) return {};
  std::string first = tok(i).upper;
  add(first);
  ++i;
  if (first == "LONG" && tok(i).kw("RAW")) add("RAW"), ++i;
  if (first == "DOUBLE" && tok(i).kw("PRECISION")) add("PRECISION"), ++i;
  if ((first == "NATIONAL") && (tok(i).kw("CHAR") || tok(i).kw("CHARACTER"))) add(tok(i).upper), ++i;
  if ((first == "CHAR" || first == "CHARACTER" || first == "NCHAR") && tok(i).kw("VARYING")) add("VARYING"), ++i;
  if (first == "INTERVAL") {
    if (tok(i).kw("YEAR") || tok(i).kw("DAY")) {
      add(tok(i).upper);
      ++i;
      args();
      if (tok(i).kw("TO")) {
        add("TO");
        ++i;
        add(tok(i).upper);
        ++i;
        args();
      }
    }
    return decl;
  }
  args();
  if (tok(i).kw("WITH") && (tok(i + 1).kw("TIME") || tok(i + 1).kw("LOCAL"))) {
    while (i < e && (tok(i).kw("WITH") || tok(i).kw("LOCAL") || tok(i).kw("TIME") || tok(i).kw("ZONE"))) {
      add(tok(i).upper);
      ++i;
    }
  }
  return decl;
}

void Rewriter::create_table(size_t i, size_t e, bool temporary) {
  std::string owner = s_.current_schema(), name = name_of(tok(i));
  if (tok(i + 1).op(".")) {
    owner = name;
    name = name_of(tok(i + 2));
    i += 3;
  } else {
    ++i;
  }
  if (!s_.schema_exists(owner)) {
    fail_text(ora_error(1918, {owner}), i);
    return;
  }
  begin_piece(0);
  piece_.is_ddl = true;
  std::string sql = "CREATE TABLE " + quote_ident(owner) + "." + quote_ident(name);
  if (tok(i).kw("OF")) {
    std::string relational = object_table_text(i, e, owner, name);
    if (!failed()) r_ = rewrite_sql(s_, relational);
    return;
  }
  if (tok(i).kw("AS")) {
    put(sql + " AS", tok(0).offset);
    emit_query(i + 1, e, nullptr, true);
    r_.item_types.clear();
    end_piece();
    r_.run = [owner, name](Session& s) { return s.catalog().note_ddl(exact_name(owner), exact_name(name), "TABLE"); };
    return;
  }
  if (!tok(i).op("(")) {
    fail_text(OraError{906, "ORA-00906: missing left parenthesis"}, i);
    return;
  }
  size_t close = match_paren(i);
  auto elements = split_commas(i + 1, close);
  // Key columns can never be NULL in Oracle; SQLite's rowid tables would
  // take a NULL key, so the columns of a table-level key are made NOT NULL.
  std::vector<std::string> key_columns;
  for (auto [b, eb] : elements) {
    if (!is_constraint_start(tok(b))) continue;
    for (size_t k = b; k + 2 < eb; ++k) {
      if (!tok(k).kw("PRIMARY") || !tok(k + 1).kw("KEY") || !tok(k + 2).op("(")) continue;
      for (size_t c = k + 3; c < eb && !tok(c).op(")"); ++c)
        if (!tok(c).op(",")) key_columns.push_back(name_of(tok(c)));
      break;
    }
  }
  sql += " (";
  Scope none;
  bool first_el = true;
  for (auto [b, eb] : elements) {
    if (failed()) return;
    if (!first_el) sql += ", ";
    first_el = false;
    size_t k = b;
    if (is_constraint_start(tok(k))) {
      // Table constraint: emitted nearly as written, names quoted upper case.
      std::string c;
      while (k < eb) {
        const Token& tk = tok(k);
        if (tk.kw("USING") && tok(k + 1).kw("INDEX")) {
          k += 2;
          if (tok(k).op("(")) k = match_paren(k) + 1;
          while (k < eb && tok(k).kind == TokKind::Ident && !tok(k).kw("ENABLE") && !tok(k).kw("DISABLE")) ++k;
          continue;
        }
        if (tk.kw("ENABLE") || tk.kw("VALIDATE") || tk.kw("NOVALIDATE") || tk.kw("DEFERRABLE") ||
            tk.kw("INITIALLY") || tk.kw("IMMEDIATE") || tk.kw("DEFERRED") || tk.kw("RELY")) {
          ++k;
          continue;
        }
        if (tk.kw("CHECK")) {
          size_t cc = match_paren(k + 1);
          std::string saved = take_output();
          emit_expr(k + 1, cc + 1, none);
          c += " CHECK " + take_output();
          out_ = saved;
          k = cc + 1;
          continue;
        }
        if (tk.kw("REFERENCES")) {
          c += " REFERENCES";
          ++k;
          std::string ro = owner, rn = name_of(tok(k));
          if (tok(k + 1).op(".")) {
            ro = rn;
            rn = name_of(tok(k + 2));
            k += 2;
          }
          if (ro != owner) {
            fail_text(OraError{3001, "ORA-03001: unimplemented feature: a foreign key to another schema"}, k);
            return;
          }
          c += " " + quote_ident(rn);
          ++k;
          continue;
        }
        if (tk.kind == TokKind::Ident && !is_expr_keyword(tk.upper) && !tk.kw("CONSTRAINT") && !tk.kw("PRIMARY") &&
            !tk.kw("KEY") && !tk.kw("FOREIGN") && !tk.kw("UNIQUE") && !tk.kw("DELETE") && !tk.kw("CASCADE") &&
            !tk.kw("ON") && !tk.kw("NULL"))
          c += " " + quote_ident(tk.upper);
        else if (tk.kind == TokKind::QuotedIdent)
          c += " " + quote_ident(tk.upper);
        else
          c += (tk.op(",") || tk.op(")") ? "" : " ") + (tk.kind == TokKind::Ident ? tk.upper : tk.text);
        ++k;
      }
      sql += c;
      continue;
    }
    // Column: name type [DEFAULT expr] [constraints]
    std::string col = name_of(tok(k));
    ++k;
    auto parsed_type = parse_user_type(k, owner);
    if (failed()) return;
    if (!parsed_type) {
      std::string type = parse_type(k, eb);
      if (type.empty()) {
        fail(902, k);
        r_.error = OraError{902, "ORA-00902: invalid datatype"};
        return;
      }
      parsed_type = parse_oracle_type(type);
      if (!parsed_type) {
        r_.error = OraError{902, "ORA-00902: invalid datatype"};
        r_.error_offset = static_cast<int>(tok(k - 1).offset);
        return;
      }
    }
    sql += quote_ident(col) + " " + column_type_sql(*parsed_type);
    if (std::find(key_columns.begin(), key_columns.end(), col) != key_columns.end()) sql += " NOT NULL";
    while (k < eb && !failed()) {
      const Token& tk = tok(k);
      if (tk.kw("DEFAULT")) {
        size_t d = k + 1, de = d;
        int depth = 0;
        for (; de < eb; ++de) {
          const Token& x = tok(de);
          if (x.op("(")) ++depth;
          else if (x.op(")")) --depth;
          else if (depth == 0 && (x.kw("NOT") || x.kw("NULL") || x.kw("CONSTRAINT") || x.kw("PRIMARY") ||
                                  x.kw("UNIQUE") || x.kw("CHECK") || x.kw("REFERENCES")) && de > d)
            break;
        }
        if (de == d + 1 && (tok(d).kw("SYSDATE") || tok(d).kw("CURRENT_DATE"))) {
          sql += " DEFAULT (datetime('now','localtime'))";
        } else if (de == d + 1 && (tok(d).kw("SYSTIMESTAMP") || tok(d).kw("CURRENT_TIMESTAMP") || tok(d).kw("LOCALTIMESTAMP"))) {
          sql += " DEFAULT (strftime('%Y-%m-%d %H:%M:%f000','now','localtime'))";
        } else if (de == d + 1 && tok(d).kw("USER")) {
          sql += " DEFAULT " + quote_string(s_.user());
        } else {
          std::string saved = take_output();
          emit_expr(d, de, none);
          sql += " DEFAULT (" + take_output() + ")";
          out_ = saved;
        }
        k = de;
        continue;
      }
      if (tk.kw("NOT") && tok(k + 1).kw("NULL")) {
        sql += " NOT NULL";
        k += 2;
        continue;
      }
      if (tk.kw("NULL")) {
        ++k;
        continue;
      }
      if (tk.kw("CONSTRAINT")) {
        sql += " CONSTRAINT " + quote_ident(name_of(tok(k + 1)));
        k += 2;
        continue;
      }
      if (tk.kw("PRIMARY") && tok(k + 1).kw("KEY")) {
        sql += " NOT NULL PRIMARY KEY";
        k += 2;
        continue;
      }
      if (tk.kw("UNIQUE")) {
        sql += " UNIQUE";
        ++k;
        continue;
      }
      if (tk.kw("CHECK")) {
        size_t cc = match_paren(k + 1);
        std::string saved = take_output();
        emit_expr(k + 1, cc + 1, none);
        sql += " CHECK " + take_output();
        out_ = saved;
        k = cc + 1;
        continue;
      }
      if (tk.kw("REFERENCES")) {
        ++k;
        std::string rn = name_of(tok(k));
        if (tok(k + 1).op(".")) {
          rn = name_of(tok(k + 2));
          k += 2;
        }
        sql += " REFERENCES " + quote_ident(rn);
        ++k;
        if (tok(k).op("(")) {
          sql += " (" + quote_ident(name_of(tok(k + 1))) + ")";
          k = match_paren(k) + 1;
        }
        if (tok(k).kw("ON") && tok(k + 1).kw("DELETE")) {
          sql += tok(k + 2).kw("CASCADE") ? " ON DELETE CASCADE" : " ON DELETE SET NULL";
          k += tok(k + 2).kw("CASCADE") ? 3 : 4;
        }
        continue;
      }
      if (tk.kw("USING") && tok(k + 1).kw("INDEX")) {
        k += 2;
        continue;
      }
      if (tk.kw("ENABLE") || tk.kw("VISIBLE") || tk.kw("INVISIBLE") || tk.kw("SORT") || tk.kw("ENCRYPT")) {
        ++k;
        continue;
      }
      if (tk.kw("GENERATED") || tk.kw("AS")) {
        fail_text(OraError{3001, "ORA-03001: unimplemented feature: identity and virtual columns"}, k);
        return;
      }
      fail(ora::kMissingRightParen, k);
      return;
    }
  }
  sql += ")";
  // Options after the column list.
  bool iot = false;
  size_t k = close + 1;
  while (k < e && !failed()) {
    const Token& tk = tok(k);
    if (tk.kw("ORGANIZATION")) {
      iot = tok(k + 1).kw("INDEX");
      k += 2;
      continue;
    }
    if (tk.kw("ON") && tok(k + 1).kw("COMMIT")) {
      k += 4;
      continue;
    }
    if (tk.op("(")) {
      k = match_paren(k) + 1;
      continue;
    }
    if (storage_word(tk) || tk.kind == TokKind::Number || tk.kind == TokKind::Ident || tk.kind == TokKind::QuotedIdent) {
      if (tk.kw("PARTITION")) {
        fail_text(OraError{3001, "ORA-03001: unimplemented feature: partitioned tables"}, k);
        return;
      }
      ++k;
      continue;
    }
    fail(ora::kNotProperlyEnded, k);
    return;
  }
  if (iot) sql += " WITHOUT ROWID";
  (void)temporary;  // a temporary table is kept as an ordinary one
  put(sql, tok(0).offset);
  end_piece();
  r_.run = [owner, name](Session& s) { return s.catalog().note_ddl(exact_name(owner), exact_name(name), "TABLE"); };
}

void Rewriter::create_index(size_t i, size_t /*e*/, bool unique) {
  std::string owner = s_.current_schema(), name = name_of(tok(i));
  if (tok(i + 1).op(".")) {
    owner = name;
    name = name_of(tok(i + 2));
    i += 3;
  } else {
    ++i;
  }
  if (!tok(i).kw("ON")) {
    fail(969, i);
    r_.error = OraError{969, "ORA-00969: missing ON keyword"};
    return;
  }
  ++i;
  std::string towner = owner, table = name_of(tok(i));
  if (tok(i + 1).op(".")) {
    towner = table;
    table = name_of(tok(i + 2));
    i += 2;
  }
  ++i;
  if (towner != owner) {
    fail_text(OraError{3001, "ORA-03001: unimplemented feature: an index in another schema than its table"}, i);
    return;
  }
  if (!tok(i).op("(")) {
    r_.error = OraError{906, "ORA-00906: missing left parenthesis"};
    r_.error_offset = static_cast<int>(tok(i).offset);
    return;
  }
  size_t close = match_paren(i);
  begin_piece(0);
  piece_.is_ddl = true;
  std::string sql = std::string("CREATE ") + (unique ? "UNIQUE " : "") + "INDEX " + quote_ident(owner) + "." +
                    quote_ident(name) + " ON " + quote_ident(table) + " (";
  auto cols = split_commas(i + 1, close);
  for (size_t n = 0; n < cols.size(); ++n) {
    if (n) sql += ", ";
    auto [cb, ce] = cols[n];
    sql += quote_ident(name_of(tok(cb)));
    if (ce > cb + 1 && tok(ce - 1).kw("DESC")) sql += " DESC";
  }
  sql += ")";
  put(sql, tok(0).offset);
  end_piece();
  r_.run = [owner, name](Session& s) { return s.catalog().note_ddl(exact_name(owner), exact_name(name), "INDEX"); };
}

void Rewriter::create_view(size_t i, size_t e, bool or_replace) {
  std::string owner = s_.current_schema(), name = name_of(tok(i));
  if (tok(i + 1).op(".")) {
    owner = name;
    name = name_of(tok(i + 2));
    i += 3;
  } else {
    ++i;
  }
  std::string cols;
  if (tok(i).op("(")) {
    size_t close = match_paren(i);
    for (auto [cb, ce] : split_commas(i + 1, close)) {
      (void)ce;
      cols += (cols.empty() ? "" : ", ") + quote_ident(name_of(tok(cb)));
    }
    i = close + 1;
  }
  if (!tok(i).kw("AS")) {
    fail(905, i);
    r_.error = OraError{905, "ORA-00905: missing keyword"};
    return;
  }
  size_t qe = e;
  size_t with = find_kw(i + 1, e, "WITH");
  if (with < e && (tok(with + 1).kw("READ") || tok(with + 1).kw("CHECK"))) qe = with;
  // Inside a view SQLite resolves names in the view's own schema only.
  std::string saved_schema = s_.current_schema();
  s_.set_current_schema(owner);
  if (or_replace) {
    begin_piece(0);
    piece_.is_ddl = true;
    put("DROP VIEW IF EXISTS " + quote_ident(owner) + "." + quote_ident(name), tok(0).offset);
    end_piece();
  }
  begin_piece(0);
  piece_.is_ddl = true;
  put("CREATE VIEW " + quote_ident(owner) + "." + quote_ident(name) + (cols.empty() ? "" : " (" + cols + ")") + " AS",
      tok(0).offset);
  size_t body = out_.size();
  emit_query(i + 1, qe, nullptr, true);
  r_.item_types.clear();
  s_.set_current_schema(saved_schema);
  // Names of the view's own schema are written unqualified.
  std::string qual = quote_ident(owner) + ".";
  for (size_t p = out_.find(qual, body); p != std::string::npos; p = out_.find(qual, p)) out_.erase(p, qual.size());
  end_piece();
  r_.run = [owner, name](Session& s) { return s.catalog().note_ddl(exact_name(owner), exact_name(name), "VIEW"); };
}

void Rewriter::rewrite_create(size_t b, size_t e) {
  size_t i = b + 1;
  bool or_replace = false;
  if (tok(i).kw("OR") && tok(i + 1).kw("REPLACE")) {
    or_replace = true;
    i += 2;
  }
  while (tok(i).kw("EDITIONABLE") || tok(i).kw("NONEDITIONABLE") || tok(i).kw("FORCE") || tok(i).kw("NOFORCE")) ++i;
  r_.stmt_type = 5;
  r_.ddl = true;
  const Token& what = tok(i);
  if (what.kw("TABLE") || (what.kw("GLOBAL") && tok(i + 2).kw("TABLE"))) {
    bool temp = what.kw("GLOBAL");
    r_.fn_code = 1;
    create_table(temp ? i + 3 : i + 1, e, temp);
    return;
  }
  if (what.kw("INDEX") || what.kw("UNIQUE") || what.kw("BITMAP")) {
    r_.fn_code = 20;
    bool unique = what.kw("UNIQUE");
    create_index(what.kw("INDEX") ? i + 1 : i + 2, e, unique);
    return;
  }
  if (what.kw("VIEW")) {
    r_.fn_code = 10;
    create_view(i + 1, e, or_replace);
    return;
  }
  if (what.kw("SEQUENCE")) {
    r_.fn_code = 13;
    std::string owner = s_.current_schema(), name = name_of(tok(i + 1));
    size_t k = i + 2;
    if (tok(k).op(".")) {
      owner = name;
      name = name_of(tok(k + 1));
      k += 2;
    }
    SequenceOptions opt;
    auto num = [&](size_t& p) -> std::int64_t {
      bool neg = tok(p).op("-");
      if (neg) ++p;
      std::int64_t v = std::atoll(tok(p).text.c_str());
      ++p;
      return neg ? -v : v;
    };
    while (k < e) {
      const Token& tk = tok(k);
      if (tk.kw("START") && tok(k + 1).kw("WITH")) { k += 2; opt.start_with = num(k); }
      else if (tk.kw("INCREMENT") && tok(k + 1).kw("BY")) { k += 2; opt.increment_by = num(k); }
      else if (tk.kw("MINVALUE")) { ++k; opt.min_value = num(k); }
      else if (tk.kw("MAXVALUE")) { ++k; opt.max_value = num(k); }
      else if (tk.kw("CACHE")) { ++k; opt.cache = num(k); }
      else if (tk.kw("NOCACHE")) { opt.cache = 0; ++k; }
      else if (tk.kw("CYCLE")) { opt.cycle = true; ++k; }
      else if (tk.kw("NOCYCLE") || tk.kw("ORDER") || tk.kw("NOORDER") || tk.kw("NOMINVALUE") || tk.kw("NOMAXVALUE")) ++k;
      else {
        fail(ora::kInvalidOption, k);
        return;
      }
    }
    r_.action = Action::catalog;
    r_.run = [owner, name, opt](Session& s) { return s.catalog().create_sequence(owner, name, opt); };
    return;
  }
  bool pub = false;
  if (what.kw("PUBLIC") && tok(i + 1).kw("SYNONYM")) {
    pub = true;
    ++i;
  }
  if (tok(i).kw("SYNONYM")) {
    r_.fn_code = 30;
    Synonym syn;
    syn.owner = pub ? "PUBLIC" : s_.current_schema();
    size_t k = i + 1;
    syn.name = name_of(tok(k));
    if (tok(k + 1).op(".")) {
      syn.owner = syn.name;
      syn.name = name_of(tok(k + 2));
      k += 2;
    }
    ++k;
    if (!tok(k).kw("FOR")) {
      fail(905, k);
      r_.error = OraError{905, "ORA-00905: missing keyword"};
      return;
    }
    ++k;
    syn.table_owner = s_.current_schema();
    syn.table_name = name_of(tok(k));
    if (tok(k + 1).op(".")) {
      syn.table_owner = syn.table_name;
      syn.table_name = name_of(tok(k + 2));
      k += 2;
    }
    ++k;
    if (tok(k).op("@")) syn.db_link = name_of(tok(k + 1));
    r_.action = Action::catalog;
    r_.run = [syn, or_replace](Session& s) { return s.catalog().create_synonym(syn, or_replace); };
    return;
  }
  if (what.kw("USER")) {
    r_.fn_code = 19;
    std::string name = name_of(tok(i + 1));
    UserOptions opt;
    if (tok(i + 2).kw("IDENTIFIED")) {
      if (tok(i + 3).kw("BY")) opt.password = tok(i + 4).kind == TokKind::QuotedIdent ? tok(i + 4).upper : tok(i + 4).text;
      else if (tok(i + 3).kw("EXTERNALLY")) opt.external = true;
    }
    r_.action = Action::catalog;
    r_.run = [name, opt](Session& s) {
      OraError err = s.catalog().add_user(name, opt);
      if (!err) s.schema_changed();
      return err;
    };
    return;
  }
  if (what.kw("DIRECTORY")) {
    r_.fn_code = 157;
    std::string name = name_of(tok(i + 1));
    std::string path = tok(i + 3).upper;
    r_.action = Action::catalog;
    r_.run = [name, path, or_replace](Session& s) { return s.catalog().create_directory(name, path, or_replace); };
    return;
  }
  if (what.kw("PROCEDURE") || what.kw("FUNCTION") || what.kw("PACKAGE") || what.kw("TRIGGER") || what.kw("TYPE")) {
    PlsqlUnit unit;
    unit.type = what.upper;
    size_t k = i + 1;
    if ((what.kw("PACKAGE") || what.kw("TYPE")) && tok(k).kw("BODY")) {
      unit.type += " BODY";
      ++k;
    }
    r_.fn_code = what.kw("PROCEDURE") ? 24 : what.kw("FUNCTION") ? 91 : what.kw("PACKAGE") ? (unit.type == "PACKAGE" ? 94 : 97)
               : what.kw("TRIGGER") ? 59 : 77;
    unit.owner = s_.current_schema();
    unit.name = name_of(tok(k));
    if (tok(k + 1).op(".")) {
      unit.owner = unit.name;
      unit.name = name_of(tok(k + 2));
    }
    unit.source = std::string(src_.substr(what.offset));
    if (unit.type == "TYPE" && !check_type_text(unit)) {
      // A type ocilite can hold is created without compilation errors.
      unit.valid = true;
      r_.action = Action::catalog;
      r_.run = [unit, or_replace](Session& s) { return s.catalog().store_plsql(unit, or_replace); };
      return;
    }
    r_.action = Action::stored_plsql;
    r_.run = [unit, or_replace](Session& s) { return s.catalog().store_plsql(unit, or_replace); };
    return;
  }
  if (what.kw("ROLE") || what.kw("TABLESPACE") || what.kw("DATABASE") || what.kw("MATERIALIZED") ||
      what.kw("CLUSTER") || what.kw("PROFILE") || what.kw("CONTEXT") || what.kw("LIBRARY")) {
    fail_text(OraError{3001, "ORA-03001: unimplemented feature: CREATE " + what.upper}, i);
    return;
  }
  fail(901, i);
  r_.error = OraError{901, "ORA-00901: invalid CREATE command"};
}

void Rewriter::rewrite_drop(size_t b, size_t /*e*/) {
  size_t i = b + 1;
  r_.stmt_type = 6;
  r_.ddl = true;
  const Token& what = tok(i);
  bool pub = what.kw("PUBLIC");
  if (pub) ++i;
  std::string kind = tok(i).upper;
  if ((kind == "PACKAGE" || kind == "TYPE") && tok(i + 1).kw("BODY")) {
    kind += " BODY";
    ++i;
  }
  size_t k = i + 1;
  std::string owner = pub ? "PUBLIC" : s_.current_schema(), name = name_of(tok(k));
  if (tok(k + 1).op(".")) {
    owner = name;
    name = name_of(tok(k + 2));
    k += 2;
  }
  ++k;
  if (kind == "TABLE" || kind == "VIEW") {
    r_.fn_code = kind == "TABLE" ? 8 : 7;
    const TableInfo* info = s_.table(owner, name);
    if (!info || info->is_view != (kind == "VIEW")) {
      fail(ora::kTableNotExist, i + 1);
      return;
    }
    begin_piece(0);
    piece_.is_ddl = true;
    put("DROP " + kind + " " + quote_ident(info->owner) + "." + quote_ident(info->name), tok(0).offset);
    end_piece();
    std::string o = info->owner, n = info->name;
    r_.run = [o, n](Session& s) { return s.catalog().forget_object(exact_name(o), exact_name(n)); };
    return;
  }
  if (kind == "INDEX") {
    r_.fn_code = 21;
    begin_piece(0);
    piece_.is_ddl = true;
    put("DROP INDEX " + quote_ident(owner) + "." + quote_ident(name), tok(0).offset);
    end_piece();
    r_.run = [owner, name](Session& s) { return s.catalog().forget_object(exact_name(owner), exact_name(name)); };
    return;
  }
  r_.action = Action::catalog;
  if (kind == "SEQUENCE") {
    r_.fn_code = 16;
    r_.run = [owner, name](Session& s) { return s.catalog().drop_sequence(owner, name); };
  } else if (kind == "SYNONYM") {
    r_.fn_code = 31;
    r_.run = [owner, name](Session& s) { return s.catalog().drop_synonym(owner, name); };
  } else if (kind == "USER") {
    r_.fn_code = 11;
    std::string n = name_of(tok(i + 1));
    r_.run = [n](Session& s) { return s.catalog().drop_user(n); };
  } else if (kind == "DIRECTORY") {
    r_.fn_code = 158;
    r_.run = [name](Session& s) { return s.catalog().drop_directory(name); };
  } else if (kind == "PROCEDURE" || kind == "FUNCTION" || kind == "PACKAGE" || kind == "PACKAGE BODY" ||
             kind == "TRIGGER" || kind == "TYPE" || kind == "TYPE BODY") {
    r_.fn_code = kind == "PROCEDURE" ? 68 : kind == "FUNCTION" ? 93 : kind == "TRIGGER" ? 61 : kind == "TYPE" ? 78 : 96;
    r_.run = [owner, name, kind](Session& s) { return s.catalog().drop_plsql(owner, name, kind); };
  } else {
    r_.action = Action::sql;
    fail(950, i);
    r_.error = OraError{950, "ORA-00950: invalid DROP option"};
  }
}

void Rewriter::rewrite_alter(size_t b, size_t e) {
  size_t i = b + 1;
  if (tok(i).kw("SESSION")) {
    r_.fn_code = 52;
    r_.stmt_type = 7;
    if (!tok(i + 1).kw("SET")) {
      fail(ora::kInvalidOption, i + 1);
      return;
    }
    std::string param = tok(i + 2).upper;
    size_t v = i + 3;
    if (!tok(v).op("=")) {
      fail(ora::kInvalidOption, v);
      return;
    }
    ++v;
    std::string value = tok(v).kind == TokKind::String ? tok(v).upper : tok(v).kind == TokKind::Ident ? tok(v).upper : tok(v).text;
    if (param == "CURRENT_SCHEMA") {
      r_.action = Action::catalog;
      r_.run = [value](Session& s) { return s.set_current_schema(value); };
      return;
    }
    if (!s_.nls().get(param) && param != "TIME_ZONE") {
      if (param == "NLS_DATE_LANGUAGE" || param == "OPTIMIZER_MODE" || param == "SQL_TRACE" || param == "EVENTS" ||
          param == "STATISTICS_LEVEL" || param == "CURSOR_SHARING" || param == "SKIP_UNUSABLE_INDEXES" ||
          param == "EDITION" || param == "CONTAINER") {
        r_.action = Action::noop;
        return;
      }
      fail(ora::kInvalidOption, i + 2);
      return;
    }
    r_.action = Action::alter_session;
    r_.name = param;
    r_.value = value;
    return;
  }
  r_.stmt_type = 7;
  r_.ddl = true;
  if (tok(i).kw("USER")) {
    r_.fn_code = 53;
    std::string name = name_of(tok(i + 1));
    if (tok(i + 2).kw("IDENTIFIED") && tok(i + 3).kw("BY")) {
      std::string pw = tok(i + 4).kind == TokKind::QuotedIdent ? tok(i + 4).upper : tok(i + 4).text;
      r_.action = Action::catalog;
      r_.run = [name, pw](Session& s) { return s.catalog().set_password(name, pw); };
      return;
    }
    fail_text(OraError{3001, "ORA-03001: unimplemented feature: this ALTER USER option"}, i + 2);
    return;
  }
  if (!tok(i).kw("TABLE")) {
    fail_text(OraError{3001, "ORA-03001: unimplemented feature: ALTER " + tok(i).upper}, i);
    return;
  }
  r_.fn_code = 26;
  size_t k = i + 1;
  std::string owner = s_.current_schema(), name = name_of(tok(k));
  if (tok(k + 1).op(".")) {
    owner = name;
    name = name_of(tok(k + 2));
    k += 2;
  }
  ++k;
  const TableInfo* info = s_.table(owner, name);
  if (!info) {
    fail(ora::kTableNotExist, i + 1);
    return;
  }
  std::string target = quote_ident(info->owner) + "." + quote_ident(info->name);
  std::string o = info->owner, n = info->name;
  r_.run = [o, n](Session& s) { return s.catalog().note_ddl(exact_name(o), exact_name(n), "TABLE"); };
  if (tok(k).kw("ADD")) {
    ++k;
    bool paren = tok(k).op("(");
    size_t ce = paren ? match_paren(k) : e;
    auto cols = split_commas(paren ? k + 1 : k, ce);
    for (auto [cb, cend] : cols) {
      if (is_constraint_start(tok(cb))) {
        fail_text(OraError{3001, "ORA-03001: unimplemented feature: adding a constraint to an existing table"}, cb);
        return;
      }
      size_t p = cb + 1;
      std::string col = name_of(tok(cb));
      std::string type = parse_type(p, cend);
      auto parsed_type = type.empty() ? std::nullopt : parse_oracle_type(type);
      if (!parsed_type) {
        r_.error = OraError{902, "ORA-00902: invalid datatype"};
        r_.error_offset = static_cast<int>(tok(cb + 1).offset);
        return;
      }
      std::string extra;
      for (; p < cend; ++p) {
        if (tok(p).kw("NOT") && tok(p + 1).kw("NULL")) extra += " NOT NULL", ++p;
        else if (tok(p).kw("DEFAULT")) {
          extra += " DEFAULT " + (tok(p + 1).kind == TokKind::String ? quote_string(tok(p + 1).upper) : tok(p + 1).text);
          ++p;
        }
      }
      begin_piece(0);
      piece_.is_ddl = true;
      put("ALTER TABLE " + target + " ADD COLUMN " + quote_ident(col) + " " + column_type_sql(*parsed_type) + extra, tok(cb).offset);
      end_piece();
    }
    return;
  }
  if (tok(k).kw("DROP") && (tok(k + 1).kw("COLUMN") || tok(k + 1).op("("))) {
    std::vector<std::string> cols;
    if (tok(k + 1).kw("COLUMN")) cols.push_back(name_of(tok(k + 2)));
    else
      for (auto [cb, ce] : split_commas(k + 2, match_paren(k + 1))) (void)ce, cols.push_back(name_of(tok(cb)));
    for (const auto& c : cols) {
      begin_piece(0);
      piece_.is_ddl = true;
      put("ALTER TABLE " + target + " DROP COLUMN " + quote_ident(c), tok(k).offset);
      end_piece();
    }
    return;
  }
  if (tok(k).kw("RENAME")) {
    begin_piece(0);
    piece_.is_ddl = true;
    if (tok(k + 1).kw("TO")) {
      std::string nn = name_of(tok(k + 2));
      put("ALTER TABLE " + target + " RENAME TO " + quote_ident(nn), tok(k).offset);
      r_.run = [o, n, nn](Session& s) {
        s.catalog().forget_object(exact_name(o), exact_name(n));
        return s.catalog().note_ddl(exact_name(o), exact_name(nn), "TABLE");
      };
    } else if (tok(k + 1).kw("COLUMN") && tok(k + 3).kw("TO")) {
      put("ALTER TABLE " + target + " RENAME COLUMN " + quote_ident(name_of(tok(k + 2))) + " TO " +
              quote_ident(name_of(tok(k + 4))),
          tok(k).offset);
    } else {
      fail(ora::kInvalidOption, k + 1);
      return;
    }
    end_piece();
    return;
  }
  fail_text(OraError{3001, "ORA-03001: unimplemented feature: ALTER TABLE " + tok(k).upper}, k);
}

void Rewriter::rewrite_misc(size_t b, size_t e) {
  const Token& first = tok(b);
  if (first.kw("COMMIT")) {
    r_.action = Action::commit;
    r_.fn_code = 54;
    return;
  }
  if (first.kw("ROLLBACK")) {
    size_t i = b + 1;
    if (tok(i).kw("WORK")) ++i;
    r_.fn_code = 55;
    if (tok(i).kw("TO")) {
      ++i;
      if (tok(i).kw("SAVEPOINT")) ++i;
      r_.action = Action::rollback_to;
      r_.name = name_of(tok(i));
      return;
    }
    r_.action = Action::rollback;
    return;
  }
  if (first.kw("SAVEPOINT")) {
    r_.fn_code = 56;
    r_.action = Action::savepoint;
    r_.name = name_of(tok(b + 1));
    if (!tok(b + 1).name_like()) fail(ora::kInvalidOption, b + 1);
    return;
  }
  if (first.kw("SET") && tok(b + 1).kw("TRANSACTION")) {
    r_.fn_code = 33;
    r_.action = Action::noop;
    return;
  }
  if (first.kw("COMMENT")) {
    r_.fn_code = 38;
    r_.ddl = true;
    size_t i = b + 1;
    if (!tok(i).kw("ON")) {
      fail(969, i);
      r_.error = OraError{969, "ORA-00969: missing ON keyword"};
      return;
    }
    bool column = tok(i + 1).kw("COLUMN");
    size_t k = i + 2;
    std::vector<std::string> parts = {name_of(tok(k))};
    while (tok(k + 1).op(".")) {
      k += 2;
      parts.push_back(name_of(tok(k)));
    }
    ++k;
    if (!tok(k).kw("IS") || tok(k + 1).kind != TokKind::String) {
      fail(905, k);
      r_.error = OraError{905, "ORA-00905: missing keyword"};
      return;
    }
    std::string text = tok(k + 1).upper;
    std::string owner = s_.current_schema();
    r_.action = Action::catalog;
    if (column) {
      if (parts.size() == 3) owner = parts[0];
      if (parts.size() < 2) {
        fail(ora::kInvalidOption, i + 2);
        return;
      }
      std::string table = parts[parts.size() - 2], col = parts.back();
      r_.run = [owner, table, col, text](Session& s) {
        const TableInfo* t = s.table(owner, table);
        if (!t) return engine_error(ora::kTableNotExist);
        if (!t->find(col)) return engine_error(ora::kInvalidIdentifier, {"\"" + col + "\""});
        return s.catalog().set_column_comment(exact_name(t->owner), exact_name(t->name), exact_name(t->find(col)->name), text);
      };
    } else {
      if (parts.size() == 2) owner = parts[0];
      std::string table = parts.back();
      r_.run = [owner, table, text](Session& s) {
        const TableInfo* t = s.table(owner, table);
        if (!t) return engine_error(ora::kTableNotExist);
        return s.catalog().set_table_comment(exact_name(t->owner), exact_name(t->name), text);
      };
    }
    return;
  }
  if (first.kw("TRUNCATE")) {
    r_.fn_code = 85;
    r_.ddl = true;
    size_t k = b + 1;
    if (!tok(k).kw("TABLE")) {
      fail(ora::kInvalidOption, k);
      return;
    }
    ++k;
    std::string owner = s_.current_schema(), name = name_of(tok(k));
    if (tok(k + 1).op(".")) {
      owner = name;
      name = name_of(tok(k + 2));
    }
    const TableInfo* info = s_.table(owner, name);
    if (!info || info->is_view) {
      fail(ora::kTableNotExist, k);
      return;
    }
    begin_piece(0);
    piece_.is_ddl = true;
    put("DELETE FROM " + quote_ident(info->owner) + "." + quote_ident(info->name), tok(0).offset);
    end_piece();
    return;
  }
  if (first.kw("LOCK") && tok(b + 1).kw("TABLE")) {
    r_.fn_code = 35;
    size_t k = b + 2;
    std::string owner = s_.current_schema(), name = name_of(tok(k));
    if (tok(k + 1).op(".")) {
      owner = name;
      name = name_of(tok(k + 2));
    }
    const TableInfo* info = s_.table(owner, name);
    if (!info) {
      fail(ora::kTableNotExist, k);
      return;
    }
    bool nowait = find_kw(k, e, "NOWAIT") < e;
    std::string o = info->owner, n = info->name;
    r_.action = Action::catalog;
    r_.run = [o, n, nowait](Session& s) { return s.lock_for_write(o, n, !nowait); };
    return;
  }
  if (first.kw("CALL")) {
    r_.stmt_type = 10;
    r_.fn_code = 34;
    r_.error = engine_error(ora::kPlsql, {"1", "1", "PL/SQL is not available in ocilite: CALL cannot run a stored unit"});
    r_.error_offset = 0;
    return;
  }
  std::string what = first.upper;
  if (first.kw("GRANT") || first.kw("REVOKE")) r_.fn_code = first.kw("GRANT") ? 28 : 29;
  r_.error = OraError{3001, "ORA-03001: unimplemented feature: " + what + " is not supported by ocilite"};
  r_.error_offset = static_cast<int>(first.offset);
}

// An anonymous block made only of SQL statements runs them in order; any
// PL/SQL construct gives ORA-06550 as Oracle gives for an invalid block.
void Rewriter::rewrite_block(size_t b, size_t e) {
  const Token& first = tok(b);
  r_.stmt_type = first.kw("DECLARE") ? 9 : 8;
  r_.fn_code = 34;
  auto pls = [&](size_t at, const std::string& what) {
    // Oracle counts lines and columns from 1.
    size_t off = tok(at).offset;
    int line = 1, col = 1;
    for (size_t p = 0; p < off && p < src_.size(); ++p) {
      if (src_[p] == '\n') ++line, col = 1;
      else ++col;
    }
    r_.error = engine_error(ora::kPlsql, {std::to_string(line), std::to_string(col), what});
    r_.error_offset = static_cast<int>(off);
  };
  if (first.kw("DECLARE")) {
    pls(b, "PL/SQL is not available in ocilite: only blocks of plain SQL statements can run");
    return;
  }
  // Find the END that closes the block.
  size_t end_kw = e;
  for (size_t k = e; k-- > b + 1;) {
    if (tok(k).kw("END")) {
      end_kw = k;
      break;
    }
  }
  if (end_kw == e) {
    pls(e, "Encountered the symbol \"end-of-file\"");
    return;
  }
  rewrite_concat(t_);
  rewrite_decode(t_);
  rewrite_date_arith(t_, date_columns());
  // rewrite passes may have shifted indexes: find END again
  e = end_index();
  end_kw = e;
  for (size_t k = e; k-- > b + 1;) {
    if (tok(k).kw("END")) {
      end_kw = k;
      break;
    }
  }
  size_t start = b + 1;
  int depth = 0;
  for (size_t k = b + 1; k < end_kw && !failed(); ++k) {
    if (tok(k).op("(")) ++depth;
    else if (tok(k).op(")")) --depth;
    if (depth != 0 || !tok(k).op(";")) continue;
    if (k > start) {
      const Token& s = tok(start);
      if (s.kw("NULL") && k == start + 1) {
        // NULL; does nothing
      } else if (s.kw("SELECT") && find_kw(start, k, "INTO") < k) {
        pls(start, "SELECT INTO needs PL/SQL variables, which ocilite does not provide");
        return;
      } else if (s.kw("SELECT") || s.kw("INSERT") || s.kw("UPDATE") || s.kw("DELETE") || s.kw("WITH")) {
        rewrite_statement(start, k);
        if (!r_.pieces.empty()) r_.pieces.back().is_query = false;
        r_.returning_into.clear();
      } else if (s.kw("COMMIT") || s.kw("ROLLBACK") || s.kw("SAVEPOINT")) {
        // Transaction control runs through the session: "COMMIT", "ROLLBACK",
        // "SAVEPOINT name", "ROLLBACK TO name".
        begin_piece(start);
        std::string sql = s.upper;
        size_t n = start + 1;
        if (tok(n).kw("WORK")) ++n;
        if (s.kw("SAVEPOINT") && tok(n).name_like()) sql += " " + name_of(tok(n));
        if (s.kw("ROLLBACK") && tok(n).kw("TO")) {
          ++n;
          if (tok(n).kw("SAVEPOINT")) ++n;
          sql += " TO " + name_of(tok(n));
        }
        put(sql, s.offset);
        end_piece();
      } else {
        pls(start, "Encountered the symbol \"" + s.upper + "\": ocilite runs only SQL statements inside a block");
        return;
      }
    }
    start = k + 1;
  }
  if (!failed() && start < end_kw) pls(start, "Encountered the symbol \"END\" when expecting \";\"");
  r_.stmt_type = 8;
  r_.fn_code = 34;
}

}  // namespace ocilite
