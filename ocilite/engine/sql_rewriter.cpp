#include "sql_rewriter.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdlib>

#include "decimal_number.h"
#include "engine_error.h"
#include "ora_format.h"
#include "sql_rewriter_p.h"

namespace ocilite {
namespace {

std::string upper(std::string_view s) {
  std::string o(s);
  for (char& c : o) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return o;
}

bool is_punct(std::string_view s) { return !s.empty() && !std::isalnum(static_cast<unsigned char>(s[0])) && s[0] != '_'; }

size_t match_forward(const std::vector<Token>& t, size_t open) {
  int depth = 0;
  for (size_t i = open; i < t.size(); ++i) {
    if (t[i].op("(")) ++depth;
    else if (t[i].op(")") && --depth == 0) return i;
  }
  return t.size() - 1;
}

size_t match_backward(const std::vector<Token>& t, size_t close) {
  int depth = 0;
  for (size_t i = close + 1; i-- > 0;) {
    if (t[i].op(")")) ++depth;
    else if (t[i].op("(") && --depth == 0) return i;
  }
  return 0;
}

size_t case_end(const std::vector<Token>& t, size_t at) {
  int depth = 0;
  for (size_t i = at; i < t.size(); ++i) {
    if (t[i].kw("CASE")) ++depth;
    else if (t[i].kw("END") && --depth == 0) return i;
  }
  return t.size() - 1;
}

size_t case_start(const std::vector<Token>& t, size_t end) {
  int depth = 0;
  for (size_t i = end + 1; i-- > 0;) {
    if (t[i].kw("END")) ++depth;
    else if (t[i].kw("CASE") && --depth == 0) return i;
  }
  return 0;
}

size_t chain_back(const std::vector<Token>& t, size_t k) {
  while (k >= 2 && t[k - 1].op(".") && t[k - 2].name_like()) k -= 2;
  return k;
}

size_t left_operand(const std::vector<Token>& t, size_t op) {
  if (op == 0) return 0;
  size_t i = op - 1;
  size_t start = i;
  if (t[i].op(")")) {
    start = match_backward(t, i);
    if (start > 0 && t[start - 1].kind == TokKind::Ident && !is_expr_keyword(t[start - 1].upper))
      start = chain_back(t, start - 1);
  } else if (t[i].kw("END")) {
    start = case_start(t, i);
  } else if (t[i].kind == TokKind::String && i > 0 && (t[i - 1].kw("DATE") || t[i - 1].kw("TIMESTAMP"))) {
    start = i - 1;
  } else if (t[i].name_like()) {
    start = chain_back(t, i);
  }
  if (start > 0 && (t[start - 1].op("-") || t[start - 1].op("+")) &&
      (start == 1 || t[start - 2].kind == TokKind::Op)) {
    if (start == 1 || !t[start - 2].op(")")) --start;
  }
  return start;
}

size_t right_operand_end(const std::vector<Token>& t, size_t op) {
  size_t i = op + 1;
  if (t[i].op("-") || t[i].op("+")) ++i;
  if (t[i].op("(")) return match_forward(t, i) + 1;
  if (t[i].kw("CASE")) return case_end(t, i) + 1;
  if ((t[i].kw("DATE") || t[i].kw("TIMESTAMP")) && t[i + 1].kind == TokKind::String) return i + 2;
  if (t[i].name_like()) {
    size_t k = i;
    while (t[k + 1].op(".") && t[k + 2].name_like()) k += 2;
    if (t[k + 1].op("(")) return match_forward(t, k + 1) + 1;
    return k + 1;
  }
  return i + 1;
}

struct FunctionMap {
  std::string_view oracle, sqlite;
};

constexpr std::array kFunctions{
    FunctionMap{"NVL", "coalesce"},          FunctionMap{"SUBSTR", "ocilite_substr"},
    FunctionMap{"SUBSTRB", "ocilite_substrb"}, FunctionMap{"INSTR", "ocilite_instr"},
    FunctionMap{"INSTRB", "ocilite_instr"},  FunctionMap{"TO_CHAR", "ocilite_to_char"},
    FunctionMap{"TO_NCHAR", "ocilite_to_char"}, FunctionMap{"TO_DATE", "ocilite_to_date"},
    FunctionMap{"TO_TIMESTAMP", "ocilite_to_timestamp"}, FunctionMap{"TO_NUMBER", "ocilite_to_number"},
    FunctionMap{"TRUNC", "ocilite_trunc"},   FunctionMap{"ROUND", "ocilite_round"},
    FunctionMap{"LENGTH", "ocilite_length"}, FunctionMap{"LENGTHB", "ocilite_lengthb"},
    FunctionMap{"LENGTHC", "ocilite_length"}, FunctionMap{"CONCAT", "ocilite_concat"},
    FunctionMap{"LPAD", "ocilite_lpad"},     FunctionMap{"RPAD", "ocilite_rpad"},
    FunctionMap{"LTRIM", "ocilite_ltrim"},   FunctionMap{"RTRIM", "ocilite_rtrim"},
    FunctionMap{"TRIM", "ocilite_trim"},     FunctionMap{"INITCAP", "ocilite_initcap"},
    FunctionMap{"CHR", "ocilite_chr"},       FunctionMap{"ASCII", "ocilite_ascii"},
    FunctionMap{"MOD", "ocilite_mod"},       FunctionMap{"CEIL", "ocilite_ceil"},
    FunctionMap{"FLOOR", "ocilite_floor"},   FunctionMap{"POWER", "ocilite_power"},
    FunctionMap{"SQRT", "ocilite_sqrt"},     FunctionMap{"SIGN", "ocilite_sign"},
    FunctionMap{"EXP", "ocilite_exp"},       FunctionMap{"LN", "ocilite_ln"},
    FunctionMap{"LOG", "ocilite_log"},       FunctionMap{"ADD_MONTHS", "ocilite_add_months"},
    FunctionMap{"LAST_DAY", "ocilite_last_day"}, FunctionMap{"MONTHS_BETWEEN", "ocilite_months_between"},
    FunctionMap{"GREATEST", "max"},          FunctionMap{"LEAST", "min"},
    FunctionMap{"REPLACE", "ocilite_replace"}, FunctionMap{"UPPER", "ocilite_upper"},
    FunctionMap{"LOWER", "ocilite_lower"},   FunctionMap{"NLS_UPPER", "ocilite_upper"},
    FunctionMap{"NLS_LOWER", "ocilite_lower"}, FunctionMap{"SYS_GUID", "ocilite_sys_guid"},
    FunctionMap{"USERENV", "ocilite_userenv"}, FunctionMap{"SYS_CONTEXT", "ocilite_sys_context"},
    FunctionMap{"EMPTY_CLOB", "ocilite_empty_clob"}, FunctionMap{"EMPTY_BLOB", "ocilite_empty_blob"},
    FunctionMap{"BFILENAME", "ocilite_bfilename"}, FunctionMap{"RAWTOHEX", "ocilite_rawtohex"},
    FunctionMap{"HEXTORAW", "ocilite_hextoraw"}, FunctionMap{"ABS", "ocilite_abs"},
    FunctionMap{"TRANSLATE", "ocilite_translate"}, FunctionMap{"VSIZE", "ocilite_lengthb"},
    FunctionMap{"TO_CLOB", "ocilite_to_char"}, FunctionMap{"NEXT_DAY", "ocilite_next_day"},
};

std::string_view map_function(std::string_view upper_name) {
  for (const auto& f : kFunctions)
    if (f.oracle == upper_name) return f.sqlite;
  return {};
}

// Result type of a top-level select item, guessed from its outer function.
std::optional<OracleType> guess_type(const std::vector<Token>& t, size_t b, size_t e) {
  if (b >= e) return std::nullopt;
  const Token& first = t[b];
  auto make = [](const std::string& decl) { return std::optional<OracleType>(type_from_sqlite_declaration(decl)); };
  if (e - b == 1 && first.kind == TokKind::Number) return make("NUMBER");
  if (e - b == 1 && first.kind == TokKind::String) {
    // Oracle describes a literal as CHAR of its length.
    return first.upper.empty() ? make("VARCHAR2(1)") : make("CHAR(" + std::to_string(first.upper.size()) + ")");
  }
  auto rowid_name = [](const Token& x) {
    return (x.kind == TokKind::Ident || x.kind == TokKind::QuotedIdent) && x.upper == "ROWID";
  };
  if ((e - b == 1 && rowid_name(first)) || (e - b == 3 && t[b + 1].op(".") && rowid_name(t[b + 2])))
    return make("ROWID");
  if (first.kind != TokKind::Ident) return std::nullopt;
  std::string_view u = first.upper;
  bool call = t[b + 1].op("(");
  if (e - b == 1) {
    if (u == "SYSDATE" || u == "CURRENT_DATE") return make("DATE");
    if (u == "SYSTIMESTAMP" || u == "CURRENT_TIMESTAMP") return make("TIMESTAMP(6) WITH TIME ZONE");
    if (u == "LOCALTIMESTAMP") return make("TIMESTAMP(6)");
    if (u == "ROWNUM" || u == "UID") return make("NUMBER");
    if (u == "USER" || u == "SESSIONTIMEZONE" || u == "DBTIMEZONE") return make("VARCHAR2(128)");
    return std::nullopt;
  }
  if (!call || match_forward(t, b + 1) != e - 1) return std::nullopt;
  if (u == "TO_DATE" || u == "ADD_MONTHS" || u == "LAST_DAY" || u == "NEXT_DAY") return make("DATE");
  if (u == "TO_TIMESTAMP") return make("TIMESTAMP(9)");
  if (u == "COUNT" || u == "SUM" || u == "AVG" || u == "LENGTH" || u == "LENGTHB" || u == "INSTR" ||
      u == "TO_NUMBER" || u == "MOD" || u == "ABS" || u == "CEIL" || u == "FLOOR" || u == "MONTHS_BETWEEN" ||
      u == "SIGN" || u == "POWER" || u == "ROW_NUMBER" || u == "RANK" || u == "DENSE_RANK")
    return make("NUMBER");
  if (u == "TO_CHAR" || u == "SUBSTR" || u == "UPPER" || u == "LOWER" || u == "LPAD" || u == "RPAD" ||
      u == "TRIM" || u == "LTRIM" || u == "RTRIM" || u == "REPLACE" || u == "INITCAP" || u == "CONCAT")
    return make("VARCHAR2(4000)");
  return std::nullopt;
}

constexpr std::array<std::string_view, 60> kExprKeywords = {
    "AND",    "OR",     "NOT",     "IS",     "NULL",   "LIKE",   "ESCAPE", "IN",      "BETWEEN", "CASE",
    "WHEN",   "THEN",   "ELSE",    "END",    "EXISTS", "DISTINCT", "ALL",  "ANY",     "SOME",    "AS",
    "ASC",    "DESC",   "NULLS",   "FIRST",  "LAST",   "PRIOR",  "UNION",  "INTERSECT", "MINUS", "EXCEPT",
    "SELECT", "FROM",   "WHERE",   "GROUP",  "BY",     "HAVING", "ORDER",  "JOIN",    "ON",      "USING",
    "INNER",  "LEFT",   "RIGHT",   "FULL",   "OUTER",  "CROSS",  "NATURAL", "TRUE",   "FALSE",   "ROWS",
    "ONLY",   "FETCH",  "OFFSET",  "NEXT",   "WITH",   "OVER",   "PARTITION", "UNIQUE", "ROW",   "SET"};

}  // namespace

bool is_expr_keyword(std::string_view u) {
  return std::find(kExprKeywords.begin(), kExprKeywords.end(), u) != kExprKeywords.end();
}

Token raw_token(std::string text, size_t offset) {
  Token t;
  t.kind = is_punct(text) ? TokKind::Op : TokKind::Ident;
  t.upper = upper(text);
  t.text = std::move(text);
  t.offset = offset;
  t.raw = true;
  return t;
}

void rewrite_concat(std::vector<Token>& t) {
  for (int guard = 0; guard < 10000; ++guard) {
    size_t p = 0;
    while (p < t.size() && !(t[p].kind == TokKind::Op && t[p].text == "||" && !t[p].raw)) ++p;
    if (p >= t.size()) return;
    size_t s = left_operand(t, p);
    size_t e = right_operand_end(t, p);
    std::vector<size_t> ops = {p};
    while (e < t.size() && t[e].kind == TokKind::Op && t[e].text == "||" && !t[e].raw) {
      ops.push_back(e);
      e = right_operand_end(t, e);
    }
    std::vector<Token> out(t.begin(), t.begin() + static_cast<long>(s));
    out.push_back(raw_token("ocilite_concat", t[s].offset));
    out.push_back(raw_token("(", t[s].offset));
    for (size_t i = s; i < e && i < t.size(); ++i) {
      if (std::find(ops.begin(), ops.end(), i) != ops.end()) out.push_back(raw_token(",", t[i].offset));
      else out.push_back(t[i]);
    }
    out.push_back(raw_token(")", e < t.size() ? t[e].offset : t.back().offset));
    out.insert(out.end(), t.begin() + static_cast<long>(std::min(e, t.size())), t.end());
    t = std::move(out);
  }
}

namespace {

bool date_like_start(const std::vector<Token>& t, size_t b, const std::set<std::string>& date_columns) {
  const Token& f = t[b];
  if (f.raw) return f.text == "ocilite_date_add" || f.text == "ocilite_date_sub";
  if (f.kind == TokKind::Ident) {
    const std::string& u = f.upper;
    if (u == "SYSDATE" || u == "SYSTIMESTAMP" || u == "CURRENT_DATE" || u == "CURRENT_TIMESTAMP" || u == "LOCALTIMESTAMP")
      return true;
    if (u == "DATE" && b + 1 < t.size() && t[b + 1].kind == TokKind::String) return true;
    if (b + 1 < t.size() && t[b + 1].op("(")) {
      if (u == "TO_DATE" || u == "TO_TIMESTAMP" || u == "ADD_MONTHS" || u == "LAST_DAY" || u == "NEXT_DAY") return true;
      if ((u == "TRUNC" || u == "ROUND" || u == "NVL" || u == "GREATEST" || u == "LEAST") && b + 2 < t.size())
        return date_like_start(t, b + 2, date_columns);
      return false;
    }
  }
  if (f.op("(") && b + 1 < t.size()) return date_like_start(t, b + 1, date_columns);
  if (f.name_like()) {
    size_t k = b;
    while (k + 2 < t.size() && t[k + 1].op(".") && t[k + 2].name_like()) k += 2;
    return date_columns.count(t[k].upper) > 0;
  }
  return false;
}

}  // namespace

// date + n, date - n and date - date: Oracle's date arithmetic in days.
void rewrite_date_arith(std::vector<Token>& t, const std::set<std::string>& date_columns) {
  for (size_t p = 1; p + 1 < t.size(); ++p) {
    if (!(t[p].op("+") || t[p].op("-")) || t[p].raw) continue;
    const Token& prev = t[p - 1];
    bool binary = prev.op(")") || prev.name_like() || prev.kind == TokKind::Number || prev.kind == TokKind::String ||
                  prev.kind == TokKind::Bind || prev.kw("END");
    if (!binary || (prev.kind == TokKind::Ident && is_expr_keyword(prev.upper) && !prev.kw("END"))) continue;
    size_t s = left_operand(t, p);
    if (!date_like_start(t, s, date_columns)) continue;
    size_t e = right_operand_end(t, p);
    std::vector<Token> out(t.begin(), t.begin() + static_cast<long>(s));
    out.push_back(raw_token(t[p].op("+") ? "ocilite_date_add" : "ocilite_date_sub", t[s].offset));
    out.push_back(raw_token("(", t[s].offset));
    out.insert(out.end(), t.begin() + static_cast<long>(s), t.begin() + static_cast<long>(p));
    out.push_back(raw_token(",", t[p].offset));
    out.insert(out.end(), t.begin() + static_cast<long>(p) + 1, t.begin() + static_cast<long>(std::min(e, t.size())));
    out.push_back(raw_token(")", e < t.size() ? t[e].offset : t.back().offset));
    out.insert(out.end(), t.begin() + static_cast<long>(std::min(e, t.size())), t.end());
    t = std::move(out);
    p = s;  // the new call may itself be the left side of the next + or -
  }
}

void rewrite_decode(std::vector<Token>& t) {
  for (int guard = 0; guard < 10000; ++guard) {
    size_t p = 0;
    while (p + 1 < t.size() && !((t[p].kw("DECODE") || t[p].kw("NVL2")) && !t[p].raw && t[p + 1].op("(") &&
                                 (p == 0 || !t[p - 1].op("."))))
      ++p;
    if (p + 1 >= t.size()) return;
    size_t open = p + 1, close = match_forward(t, open);
    std::vector<std::pair<size_t, size_t>> args;
    int depth = 0;
    size_t start = open + 1;
    for (size_t i = open + 1; i < close; ++i) {
      if (t[i].op("(")) ++depth;
      else if (t[i].op(")")) --depth;
      else if (t[i].op(",") && depth == 0) {
        args.emplace_back(start, i);
        start = i + 1;
      }
    }
    args.emplace_back(start, close);
    size_t off = t[p].offset;
    std::vector<Token> repl;
    auto add = [&](const char* s) { repl.push_back(raw_token(s, off)); };
    auto copy = [&](std::pair<size_t, size_t> a) {
      add("(");
      for (size_t i = a.first; i < a.second; ++i) repl.push_back(t[i]);
      add(")");
    };
    if (t[p].kw("NVL2")) {
      if (args.size() != 3) return;
      add("CASE");
      add("WHEN");
      copy(args[0]);
      add("IS");
      add("NOT");
      add("NULL");
      add("THEN");
      copy(args[1]);
      add("ELSE");
      copy(args[2]);
      add("END");
    } else {
      if (args.size() < 3) return;  // SQLite reports the wrong argument count
      add("CASE");
      size_t k = 1;
      for (; k + 1 < args.size(); k += 2) {
        add("WHEN");
        copy(args[0]);
        add("IS");
        copy(args[k]);
        add("THEN");
        copy(args[k + 1]);
      }
      if (k < args.size()) {
        add("ELSE");
        copy(args[k]);
      }
      add("END");
    }
    std::vector<Token> out(t.begin(), t.begin() + static_cast<long>(p));
    out.insert(out.end(), repl.begin(), repl.end());
    out.insert(out.end(), t.begin() + static_cast<long>(close) + 1, t.end());
    t = std::move(out);
  }
}

// ------------------------------------------------------------------ Rewriter

Rewriter::Rewriter(Session& session, std::string_view sql) : s_(session), src_(sql) {}

size_t Rewriter::match_paren(size_t open) const { return match_forward(t_, open); }

std::vector<std::pair<size_t, size_t>> Rewriter::split_commas(size_t b, size_t e) const {
  std::vector<std::pair<size_t, size_t>> parts;
  int depth = 0;
  size_t start = b;
  for (size_t i = b; i < e; ++i) {
    if (t_[i].op("(")) ++depth;
    else if (t_[i].op(")")) --depth;
    else if (t_[i].kw("CASE")) ++depth;
    else if (t_[i].kw("END") && depth > 0) --depth;
    else if (t_[i].op(",") && depth == 0) {
      parts.emplace_back(start, i);
      start = i + 1;
    }
  }
  if (start < e || !parts.empty()) parts.emplace_back(start, e);
  return parts;
}

size_t Rewriter::find_kw(size_t b, size_t e, std::string_view kw) const {
  int depth = 0;
  for (size_t i = b; i < e; ++i) {
    if (t_[i].op("(")) ++depth;
    else if (t_[i].op(")")) --depth;
    else if (depth == 0 && t_[i].kw(kw) && !t_[i].raw) return i;
  }
  return e;
}

bool Rewriter::fail(int code, size_t at, std::initializer_list<std::string_view> args) {
  return fail_text(engine_error(code, args), at);
}

bool Rewriter::fail_text(OraError err, size_t at) {
  if (!r_.error) {
    r_.error = std::move(err);
    r_.error_offset = static_cast<int>(tok(at).offset);
  }
  return false;
}

void Rewriter::put(std::string_view text, size_t src_offset) {
  if (!out_.empty()) {
    char last = out_.back();
    bool glue = last == '.' || text == "." || last == '(' || text == ")" || text == ",";
    if (!glue) out_.push_back(' ');
  }
  offs_.emplace_back(out_.size(), src_offset);
  out_ += text;
  last_offset_ = src_offset;
}

std::string Rewriter::take_output() {
  std::string s = std::move(out_);
  out_.clear();
  return s;
}

std::string Rewriter::name_of(const Token& t) const {
  return t.kind == TokKind::QuotedIdent ? t.upper : t.kind == TokKind::Ident ? t.upper : t.text;
}

size_t Rewriter::bind_index(const std::string& name) {
  auto it = bind_map_.find(name);
  if (it != bind_map_.end()) return it->second;
  size_t idx = r_.binds.size();
  r_.binds.push_back(name);
  bind_map_[name] = idx;
  return idx;
}

bool Rewriter::resolve_table(std::string owner, std::string name, TableRef& ref) {
  ref.owner.clear();
  ref.name = name;
  ref.info = nullptr;
  for (int depth = 0; depth < 32; ++depth) {
    if (owner.empty()) {
      if (cte_names_.count(name)) return true;
      if (const TableInfo* info = s_.table(s_.current_schema(), name)) {
        ref.owner = info->owner;
        ref.name = info->name;
        ref.info = info;
        return true;
      }
      if (s_.temp_object_exists(name)) return true;
      if (auto syn = s_.catalog().resolve_synonym(s_.current_schema(), name, true)) {
        owner = syn->first;
        name = syn->second;
        continue;
      }
      ref.owner = s_.current_schema();
      return true;
    }
    if ((owner == "SYS" || owner == "PUBLIC" || owner == "SYSTEM") && s_.temp_object_exists(name)) {
      ref.owner.clear();
      ref.name = name;
      return true;
    }
    if (const TableInfo* info = s_.table(owner, name)) {
      ref.owner = info->owner;
      ref.name = info->name;
      ref.info = info;
      return true;
    }
    if (auto syn = s_.catalog().resolve_synonym(owner, name, false)) {
      owner = syn->first;
      name = syn->second;
      continue;
    }
    ref.owner = owner;
    ref.name = name;
    return true;
  }
  return true;
}

// Emits a table reference (name, subquery) with its alias; returns the next index.
size_t Rewriter::emit_table_ref(size_t i, size_t e, Scope& scope, bool allow_alias, TableRef* out) {
  TableRef ref;
  if (tok(i).op("(")) {
    size_t close = match_paren(i);
    put("(", tok(i).offset);
    if (tok(i + 1).kw("SELECT") || tok(i + 1).kw("WITH")) emit_query(i + 1, close, &scope, false);
    else emit_expr(i + 1, close, scope);
    put(")", tok(close).offset);
    i = close + 1;
  } else if (tok(i).name_like()) {
    std::string first = name_of(tok(i));
    std::string owner, name = first;
    size_t start = i;
    if (tok(i + 1).op(".") && tok(i + 2).name_like()) {
      owner = first;
      name = name_of(tok(i + 2));
      i += 3;
    } else {
      i += 1;
    }
    if (tok(i).op("@")) {
      fail_text(OraError{2019, "ORA-02019: connection description for remote database not found"}, i);
      return e;
    }
    resolve_table(owner, name, ref);
    if (ref.owner.empty()) put(quote_ident(ref.name), tok(start).offset);
    else put(quote_ident(ref.owner) + "." + quote_ident(ref.name), tok(start).offset);
  } else {
    fail(ora::kTableNotExist, i);
    return e;
  }
  if (allow_alias && i < e) {
    size_t a = i;
    if (tok(a).kw("AS")) ++a;
    const Token& at = tok(a);
    if ((at.kind == TokKind::Ident && !is_expr_keyword(at.upper) && !is_reserved_word(at.upper) &&
         at.upper != "SAMPLE" && at.upper != "RETURNING" && at.upper != "RETURN" && at.upper != "LOG") ||
        at.kind == TokKind::QuotedIdent) {
      ref.alias = name_of(at);
      put(quote_ident(ref.alias), at.offset);
      i = a + 1;
    }
  }
  scope.tables.push_back(ref);
  if (out) *out = ref;
  return i;
}

std::string Rewriter::rowid_expr(const TableRef& ref, const std::string& qualifier) const {
  // A view has no rows of its own to address: its ROWID column is NULL, so
  // a grid over it still opens (rows cannot be saved back through it).
  if (!ref.info || ref.info->is_view) return "CAST(NULL AS TEXT)";
  if (ref.info->without_rowid) {
    std::string s = "ocilite_urowid(";
    for (size_t k = 0; k < ref.info->primary_key.size(); ++k) {
      if (k) s += ", ";
      s += qualifier + "." + quote_ident(ref.info->primary_key[k]);
    }
    return s + ")";
  }
  unsigned objid = ref.info->object_id;
  return "ocilite_rowid(" + std::to_string(objid) + ", " + qualifier + "._rowid_)";
}

namespace {

const TableRef* find_ref(const Scope& scope, const std::string& qualifier) {
  for (const Scope* s = &scope; s; s = s->parent) {
    for (const auto& t : s->tables)
      if ((!t.alias.empty() && t.alias == qualifier) || (t.alias.empty() && t.name == qualifier)) return &t;
  }
  return nullptr;
}

std::string qualifier_text(const TableRef& t) {
  // SQLite names an unaliased table by its bare name, also when schema-qualified.
  return quote_ident(t.alias.empty() ? t.name : t.alias);
}

}  // namespace

void Rewriter::emit_expr(size_t b, size_t e, const Scope& scope) {
  size_t i = b;
  while (i < e && !failed()) {
    const Token& t = tok(i);
    if (t.kind == TokKind::End) break;
    if (t.raw) {
      // DECODE and NVL2 became CASE: their branches mix values like CASE does.
      if (t.kind == TokKind::Ident && t.upper == "CASE") ++numeric_depth_;
      else if (t.kind == TokKind::Ident && t.upper == "END" && numeric_depth_ > 0) --numeric_depth_;
      put(t.text, t.offset);
      ++i;
      continue;
    }
    switch (t.kind) {
      case TokKind::String:
        put(t.upper.empty() ? std::string("NULL") : quote_string(t.upper), t.offset);
        ++i;
        continue;
      case TokKind::Number: {
        // SQLite would read a literal beyond int64 or 15 digits as a double:
        // such a literal goes in as its exact text, which compares exactly
        // with NUMBER columns and converts like a number in arithmetic.
        auto d = parse_decimal(t.text);
        bool exact_in_sqlite = d && (decimal_to_int64(*d) || d->n <= 15);
        put(exact_in_sqlite || !d ? t.text : quote_string(decimal_to_text(*d)), t.offset);
        ++i;
        continue;
      }
      case TokKind::Bind:
        put("?" + std::to_string(bind_index(t.upper) + 1), t.offset);
        ++i;
        continue;
      case TokKind::Op: {
        if (t.text == "(+)") {
          fail_text(OraError{3001, "ORA-03001: unimplemented feature: outer join operator (+); use LEFT JOIN"}, i);
          return;
        }
        if (t.text == "/") {
          // Oracle divides exactly: 1/4 is .25, never integer division.
          put("* 1.0 /", t.offset);
          ++i;
          continue;
        }
        if (t.text == "!=" || t.text == "^=" || t.text == "~=") {
          put("<>", t.offset);
          ++i;
          continue;
        }
        if (t.text == "(" && (tok(i + 1).kw("SELECT") || tok(i + 1).kw("WITH"))) {
          size_t close = match_paren(i);
          put("(", t.offset);
          emit_query(i + 1, std::min(close, e), &scope, false);
          put(")", tok(close).offset);
          i = close + 1;
          continue;
        }
        if (t.text == ";") {
          fail_text(OraError{911, "ORA-00911: invalid character"}, i);
          return;
        }
        put(t.text, t.offset);
        ++i;
        continue;
      }
      case TokKind::Ident:
      case TokKind::QuotedIdent:
        break;
      default:
        ++i;
        continue;
    }
    // Names: gather a dotted chain.
    size_t k = i;
    std::vector<size_t> parts = {i};
    while (tok(k + 1).op(".") && (tok(k + 2).name_like() || tok(k + 2).op("*"))) {
      k += 2;
      parts.push_back(k);
    }
    const Token& last = tok(k);
    bool call = tok(k + 1).op("(");
    if (t.kind == TokKind::Ident && parts.size() == 1 && !call) {
      const std::string& u = t.upper;
      if ((u == "DATE" || u == "TIMESTAMP") && tok(i + 1).kind == TokKind::String) {
        const std::string& lit = tok(i + 1).upper;
        auto dt = date_from_storage(lit.size() == 10 ? lit + " 00:00:00" : lit);
        if (!dt) {
          fail(1861, i + 1);
          return;
        }
        put(quote_string(date_to_storage(*dt, u == "TIMESTAMP" ? 6 : 0)), t.offset);
        i += 2;
        continue;
      }
      if (u == "SYSDATE" || u == "CURRENT_DATE") { put("ocilite_sysdate()", t.offset); ++i; continue; }
      if (u == "SYSTIMESTAMP" || u == "CURRENT_TIMESTAMP") { put("ocilite_systimestamp()", t.offset); ++i; continue; }
      if (u == "LOCALTIMESTAMP") { put("ocilite_localtimestamp()", t.offset); ++i; continue; }
      if (u == "USER") { put("ocilite_user()", t.offset); ++i; continue; }
      if (u == "UID") { put("ocilite_uid()", t.offset); ++i; continue; }
      if (u == "SESSIONTIMEZONE") { put("ocilite_sessiontimezone()", t.offset); ++i; continue; }
      if (u == "DBTIMEZONE") { put("'+00:00'", t.offset); ++i; continue; }
      if (u == "ROWNUM") {
        put("row_number() OVER ()", t.offset);
        ++i;
        continue;
      }
      if (u == "LEVEL" || u == "CONNECT_BY_ROOT") {
        fail_text(OraError{3001, "ORA-03001: unimplemented feature: hierarchical queries"}, i);
        return;
      }
      if (u == "MINUS") { put("EXCEPT", t.offset); ++i; continue; }
      if (u == "CASE") ++numeric_depth_;
      else if (u == "END" && numeric_depth_ > 0) --numeric_depth_;
      if (is_expr_keyword(u) || u == "INTERVAL" || u == "ESCAPE" || u == "COLLATE") {
        put(u, t.offset);
        ++i;
        continue;
      }
    }
    // ROWID pseudo-column, bare or qualified, also written "ROWID".
    if (!call && last.kind != TokKind::Op && name_of(last) == "ROWID" && parts.size() <= 2) {
      const TableRef* ref = nullptr;
      std::string qual;
      if (parts.size() == 2) {
        ref = find_ref(scope, name_of(tok(parts[0])));
        qual = quote_ident(name_of(tok(parts[0])));
      } else {
        for (const Scope* s = &scope; s && !ref; s = s->parent)
          if (!s->tables.empty()) ref = &s->tables.front();
        if (ref) qual = qualifier_text(*ref);
      }
      if (!ref) {
        fail(ora::kInvalidIdentifier, i, {"\"ROWID\""});
        return;
      }
      // `ROWID = value` compares keys, so the row is found through its index.
      if (tok(k + 1).op("=") && (tok(k + 2).kind == TokKind::Bind || tok(k + 2).kind == TokKind::String) &&
          !(ref->info && ref->info->without_rowid)) {
        put(qual + "._rowid_ = ocilite_rowid_key(", t.offset);
        emit_expr(k + 2, k + 3, scope);
        put(")", tok(k + 2).offset);
        i = k + 3;
        continue;
      }
      put(rowid_expr(*ref, qual), t.offset);
      i = k + 1;
      continue;
    }
    // Sequences: [owner.]seq.NEXTVAL / CURRVAL
    if (!call && last.kind == TokKind::Ident && (last.upper == "NEXTVAL" || last.upper == "CURRVAL") &&
        parts.size() >= 2) {
      std::string seq = name_of(tok(parts[parts.size() - 2]));
      std::string owner = parts.size() >= 3 ? name_of(tok(parts[parts.size() - 3])) : s_.current_schema();
      if (parts.size() < 3) {
        if (auto syn = s_.catalog().resolve_synonym(owner, seq, true)) {
          owner = syn->first;
          seq = syn->second;
        }
      }
      put(std::string(last.upper == "NEXTVAL" ? "ocilite_nextval(" : "ocilite_currval(") + quote_string(owner) +
              ", " + quote_string(seq) + ")",
          t.offset);
      i = k + 1;
      continue;
    }
    if (call) {
      if (parts.size() == 1 && t.kind == TokKind::Ident && t.upper == "REF" && tok(k + 2).name_like() &&
          tok(k + 3).op(")")) {
        // REF(alias): a REF to the row of an object table.
        const TableRef* ref = find_ref(scope, name_of(tok(k + 2)));
        if (!ref || !ref->info || ref->info->without_rowid) {
          fail(ora::kInvalidIdentifier, k + 2, {"\"" + name_of(tok(k + 2)) + "\""});
          return;
        }
        put("ocilite_ref(" + quote_string(ref->owner + "." + ref->name) + ", " + qualifier_text(*ref) + "._rowid_)",
            t.offset);
        i = k + 4;
        continue;
      }
      if (size_t next = 0; !(parts.size() == 1 && t.kind == TokKind::Ident && !map_function(t.upper).empty()) &&
                           emit_constructor(parts, k, scope, next)) {
        if (failed()) return;
        i = next;
        continue;
      }
      if (parts.size() > 1) {
        std::string full;
        for (size_t p : parts) full += (full.empty() ? "" : ".") + name_of(tok(p));
        fail_text(engine_error(ora::kInvalidIdentifier, {"\"" + full + "\""}), i);
        return;
      }
      std::string u = t.kind == TokKind::Ident ? t.upper : t.upper;
      size_t open = k + 1, close = match_paren(open);
      if (u == "CAST") {
        // CAST(expr AS type): Oracle types map onto our conversion functions.
        size_t as = find_kw(open + 1, close, "AS");
        std::string type = upper(tok(as + 1).text);
        const char* fn = type == "DATE" ? "ocilite_to_date" : type == "NUMBER" || type == "INTEGER" || type == "INT" || type == "FLOAT" ? "ocilite_to_number" : type == "TIMESTAMP" ? "ocilite_to_timestamp" : "ocilite_to_char";
        put(std::string(fn) + "(", t.offset);
        emit_expr(open + 1, as, scope);
        put(")", tok(close).offset);
        i = close + 1;
        continue;
      }
      if (u == "EXTRACT") {
        size_t from = find_kw(open + 1, close, "FROM");
        put("ocilite_extract(" + quote_string(tok(open + 1).upper) + ",", t.offset);
        emit_expr(from + 1, close, scope);
        put(")", tok(close).offset);
        i = close + 1;
        continue;
      }
      if (u == "TRIM" && (tok(open + 1).kw("LEADING") || tok(open + 1).kw("TRAILING") || tok(open + 1).kw("BOTH") ||
                          find_kw(open + 1, close, "FROM") < close)) {
        size_t from = find_kw(open + 1, close, "FROM");
        size_t cb = open + 1;
        std::string fn = "ocilite_trim";
        if (tok(cb).kw("LEADING")) fn = "ocilite_ltrim", ++cb;
        else if (tok(cb).kw("TRAILING")) fn = "ocilite_rtrim", ++cb;
        else if (tok(cb).kw("BOTH")) ++cb;
        put(fn + "(", t.offset);
        emit_expr(from + 1, close, scope);
        if (cb < from) {
          put(",", tok(from).offset);
          emit_expr(cb, from, scope);
        }
        put(")", tok(close).offset);
        i = close + 1;
        continue;
      }
      std::string_view mapped = t.kind == TokKind::Ident ? map_function(u) : std::string_view{};
      if (!mapped.empty()) put(std::string(mapped), t.offset);
      else put(t.kind == TokKind::Ident ? u : quote_ident(t.upper), t.offset);
      put("(", tok(open).offset);
      const bool numeric = t.kind == TokKind::Ident && numeric_function(u);
      numeric_depth_ += numeric ? 1 : 0;
      emit_expr(open + 1, close, scope);
      numeric_depth_ -= numeric ? 1 : 0;
      put(")", tok(close).offset);
      i = close + 1;
      continue;
    }
    // Plain (qualified) column or table names: quoted in their stored case.
    std::string text;
    for (size_t p : parts) {
      if (!text.empty()) text += ".";
      text += tok(p).op("*") ? "*" : quote_ident(name_of(tok(p)));
    }
    if (numeric_depth_ > 0 && exact_number_column(scope, parts)) text = "ocilite_num(" + text + ")";
    put(text, t.offset);
    i = k + 1;
  }
}

// Functions whose NUMBER arguments are compared or returned as numbers: a
// NUMBER column's exact text goes in as an SQLite number (ocilite_num), so
// that NVL(sal, 0) > 100 or ORDER BY MAX(sal) compare numerically. Text
// functions (TO_CHAR, SUBSTR, ||) keep the exact digits.
bool Rewriter::numeric_function(std::string_view u) {
  static constexpr std::array<std::string_view, 26> names = {
      "NVL", "COALESCE", "NULLIF", "GREATEST", "LEAST", "MAX", "MIN", "SUM", "AVG", "ABS", "ROUND", "TRUNC", "MOD",
      "CEIL", "FLOOR", "SIGN", "POWER", "SQRT", "EXP", "LN", "LOG", "MEDIAN", "STDDEV", "VARIANCE", "IFNULL",
      "TO_NUMBER"};
  return std::find(names.begin(), names.end(), u) != names.end();
}

bool Rewriter::exact_number_column(const Scope& scope, const std::vector<size_t>& parts) const {
  if (parts.empty() || parts.size() > 3 || tok(parts.back()).op("*")) return false;
  const std::string col = name_of(tok(parts.back()));
  auto exact = [&](const TableInfo* info) {
    const TableColumn* c = info ? info->find(col) : nullptr;
    return c && c->type.exact_text;
  };
  if (parts.size() >= 2) {
    const TableRef* ref = find_ref(scope, name_of(tok(parts[parts.size() - 2])));
    return ref && exact(ref->info);
  }
  for (const Scope* sc = &scope; sc; sc = sc->parent)
    for (const auto& tr : sc->tables)
      if (tr.info && tr.info->find(col)) return exact(tr.info);
  return false;
}

// Value assigned to a column: converted and checked as Oracle's implicit
// conversion does (ORA-01722, 01861, 12899, 01438).
void Rewriter::emit_value_for_column(size_t b, size_t e, const Scope& scope, const TableInfo* table,
                                     const TableColumn* col) {
  if (!table || !col) {
    emit_expr(b, e, scope);
    return;
  }
  put("ocilite_to_col(", tok(b).offset);
  emit_expr(b, e, scope);
  put(", " + quote_string(col->declared) + ", " +
          quote_string("\"" + table->owner + "\".\"" + table->name + "\".\"" + col->name + "\"") + ")",
      tok(e).offset);
}

void Rewriter::emit_query(size_t b, size_t e, const Scope* parent, bool top) {
  if (failed()) return;
  size_t i = b;
  if (tok(i).kw("WITH")) {
    put("WITH", tok(i).offset);
    ++i;
    for (;;) {
      std::string name = name_of(tok(i));
      cte_names_.insert(name);
      put(quote_ident(name), tok(i).offset);
      ++i;
      if (tok(i).op("(")) {  // column list
        size_t close = match_paren(i);
        Scope none;
        put("(", tok(i).offset);
        emit_expr(i + 1, close, none);
        put(")", tok(close).offset);
        i = close + 1;
      }
      if (!tok(i).kw("AS") || !tok(i + 1).op("(")) {
        fail(ora::kMissingExpression, i);
        return;
      }
      size_t close = match_paren(i + 1);
      put("AS (", tok(i).offset);
      emit_query(i + 2, close, parent, false);
      put(")", tok(close).offset);
      i = close + 1;
      if (tok(i).op(",")) {
        put(",", tok(i).offset);
        ++i;
        continue;
      }
      break;
    }
  }
  // Split into blocks joined by set operators at depth 0.
  std::vector<std::pair<size_t, size_t>> blocks;
  std::vector<size_t> setops;
  int depth = 0;
  size_t start = i;
  size_t order_by = e, for_update = e, fetch_at = e, offset_at = e;
  for (size_t k = i; k < e; ++k) {
    const Token& tk = tok(k);
    if (tk.op("(")) ++depth;
    else if (tk.op(")")) --depth;
    else if (depth == 0 && !tk.raw && (tk.kw("UNION") || tk.kw("INTERSECT") || tk.kw("MINUS") || tk.kw("EXCEPT"))) {
      blocks.emplace_back(start, k);
      setops.push_back(k);
      start = k + 1;
      if (tok(start).kw("ALL")) ++start;
    } else if (depth == 0 && tk.kw("ORDER") && tok(k + 1).kw("BY")) {
      order_by = std::min(order_by, k);
    } else if (depth == 0 && tk.kw("FOR") && tok(k + 1).kw("UPDATE")) {
      for_update = std::min(for_update, k);
    } else if (depth == 0 && tk.kw("FETCH") && (tok(k + 1).kw("FIRST") || tok(k + 1).kw("NEXT"))) {
      fetch_at = std::min(fetch_at, k);
    } else if (depth == 0 && tk.kw("OFFSET")) {
      offset_at = std::min(offset_at, k);
    }
  }
  size_t tail = std::min({order_by, for_update, fetch_at, offset_at, e});
  blocks.emplace_back(start, tail);
  std::string limit;
  Scope first_scope;
  for (size_t bi = 0; bi < blocks.size() && !failed(); ++bi) {
    if (bi > 0) {
      const Token& op = tok(setops[bi - 1]);
      put(op.kw("MINUS") ? "EXCEPT" : op.upper, op.offset);
      if (tok(setops[bi - 1] + 1).kw("ALL")) put("ALL", op.offset);
    }
    auto [bb, be] = blocks[bi];
    bool paren = tok(bb).op("(") && match_paren(bb) + 1 == be;
    if (paren) {
      // SQLite takes no parentheses around compound members: unwrap.
      bb += 1;
      be -= 1;
    }
    if (!tok(bb).kw("SELECT")) {
      fail(ora::kMissingExpression, bb);
      return;
    }
    Scope scope;
    scope.parent = parent;
    size_t from = find_kw(bb, be, "FROM");
    size_t where = find_kw(bb, be, "WHERE");
    size_t group = find_kw(bb, be, "GROUP");
    size_t having = find_kw(bb, be, "HAVING");
    size_t connect = std::min(find_kw(bb, be, "CONNECT"), find_kw(bb, be, "START"));
    if (connect < be) {
      fail_text(OraError{3001, "ORA-03001: unimplemented feature: hierarchical queries (CONNECT BY)"}, connect);
      return;
    }
    if (from == be) {
      fail(923, bb);
      r_.error = OraError{923, "ORA-00923: FROM keyword not found where expected"};
      return;
    }
    size_t from_end = std::min({where, group, having, be});
    // Emit FROM into a side buffer first so the select list sees the scope.
    std::string saved = take_output();
    auto saved_offs = std::move(offs_);
    offs_.clear();
    put("FROM", tok(from).offset);
    {
      size_t k = from + 1;
      while (k < from_end && !failed()) {
        if (tok(k).op(",")) {
          put(",", tok(k).offset);
          ++k;
          continue;
        }
        if (tok(k).kw("JOIN") || tok(k).kw("LEFT") || tok(k).kw("RIGHT") || tok(k).kw("INNER") ||
            tok(k).kw("FULL") || tok(k).kw("CROSS") || tok(k).kw("NATURAL") || tok(k).kw("OUTER")) {
          put(tok(k).upper, tok(k).offset);
          ++k;
          continue;
        }
        if (tok(k).kw("ON")) {
          size_t cond_end = k + 1;
          int d = 0;
          for (; cond_end < from_end; ++cond_end) {
            const Token& c = tok(cond_end);
            if (c.op("(")) ++d;
            else if (c.op(")")) --d;
            else if (d == 0 && (c.op(",") || c.kw("JOIN") || c.kw("LEFT") || c.kw("RIGHT") || c.kw("INNER") ||
                                c.kw("FULL") || c.kw("CROSS") || c.kw("NATURAL")))
              break;
          }
          put("ON", tok(k).offset);
          emit_expr(k + 1, cond_end, scope);
          k = cond_end;
          continue;
        }
        if (tok(k).kw("USING")) {
          size_t close = match_paren(k + 1);
          put("USING", tok(k).offset);
          emit_expr(k + 1, close + 1, scope);
          k = close + 1;
          continue;
        }
        k = emit_table_ref(k, from_end, scope, true);
      }
    }
    std::string from_sql = take_output();
    auto from_offs = std::move(offs_);
    out_ = std::move(saved);
    offs_ = std::move(saved_offs);
    if (bi == 0) first_scope = scope;
    // SELECT [DISTINCT] list
    put("SELECT", tok(bb).offset);
    size_t k = bb + 1;
    if (tok(k).kw("DISTINCT") || tok(k).kw("UNIQUE")) {
      put("DISTINCT", tok(k).offset);
      ++k;
    } else if (tok(k).kw("ALL")) {
      ++k;
    }
    auto items = split_commas(k, from);
    if (items.empty()) {
      fail(ora::kMissingExpression, k);
      return;
    }
    for (size_t n = 0; n < items.size() && !failed(); ++n) {
      auto [ib, ie] = items[n];
      if (n) put(",", tok(ib).offset);
      if (ib >= ie) {
        fail(ora::kMissingExpression, ib);
        return;
      }
      bool star = tok(ie - 1).op("*") && (ie - ib == 1 || tok(ie - 2).op("."));
      if (star) {
        if (ie - ib == 1 && scope.tables.size() == 1 && scope.tables[0].info && !scope.tables[0].info->is_view) {
          put("*", tok(ib).offset);
        } else {
          emit_expr(ib, ie, scope);
        }
        if (top && bi == 0) r_.item_types.emplace_back();
        continue;
      }
      // Alias: [AS] name at the end of the item.
      std::string alias;
      size_t expr_end = ie;
      const Token& lt = tok(ie - 1);
      if (ie - ib >= 2 && (lt.kind == TokKind::QuotedIdent ||
                           (lt.kind == TokKind::Ident && !lt.raw && !is_expr_keyword(lt.upper) &&
                            !is_reserved_word(lt.upper))) &&
          !tok(ie - 2).op(".")) {
        const Token& before = tok(ie - 2);
        bool prev_ok = before.kw("AS") || before.op(")") || before.name_like() || before.kind == TokKind::String ||
                       before.kind == TokKind::Number || before.kind == TokKind::Bind || before.kw("END") ||
                       (before.raw && before.op(")"));
        if (before.kind == TokKind::Ident && !before.raw && is_expr_keyword(before.upper) && !before.kw("AS") &&
            !before.kw("END"))
          prev_ok = false;
        if (prev_ok) {
          alias = name_of(lt);
          expr_end = before.kw("AS") ? ie - 2 : ie - 1;
        }
      }
      if (alias.empty()) {
        // Oracle names an expression column by its text, upper-cased, blanks removed.
        size_t last_part = ie - 1;
        bool simple = true;
        for (size_t q = ib; q < ie; ++q) {
          if (!(tok(q).name_like() || tok(q).op(".")) || tok(q).raw) simple = false;
        }
        if (simple) {
          alias = name_of(tok(last_part));
        } else {
          std::string name;
          for (size_t q = ib; q < ie; ++q) {
            const Token& tq = tok(q);
            if (tq.raw) continue;
            if (tq.kind == TokKind::QuotedIdent) name += tq.text;
            else if (tq.kind == TokKind::String) name += "'" + tq.upper + "'";
            else name += upper(tq.text);
          }
          // Tokens the passes rewrote (||, DECODE) are rebuilt from the source text.
          size_t sb = tok(ib).offset, se = tok(ie - 1).offset + tok(ie - 1).text.size();
          bool rewritten = false;
          for (size_t q = ib; q < ie; ++q) rewritten = rewritten || tok(q).raw;
          if (rewritten && se > sb && se <= src_.size()) {
            name.clear();
            auto lx = lex_sql(src_.substr(sb, se - sb));
            for (const auto& tq : lx.tokens) {
              if (tq.kind == TokKind::End) break;
              if (tq.kind == TokKind::QuotedIdent) name += tq.text;
              else if (tq.kind == TokKind::String) name += tq.text;
              else name += upper(tq.text);
            }
          }
          alias = name.size() > 128 ? name.substr(0, 128) : name;
        }
      }
      emit_expr(ib, expr_end, scope);
      put("AS " + quote_ident(alias), tok(ie - 1).offset);
      if (top && bi == 0) r_.item_types.push_back(guess_type(t_, ib, expr_end));
    }
    if (top && blocks.size() == 1 && scope.tables.size() == 1 && scope.tables[0].info &&
        !scope.tables[0].info->is_view && !scope.tables[0].info->without_rowid) {
      const TableRef& only = scope.tables[0];
      bool has_lob = false;
      for (const auto& c : only.info->columns) has_lob = has_lob || c.type.is_lob;
      bool distinct = tok(bb + 1).kw("DISTINCT") || tok(bb + 1).kw("UNIQUE");
      if (has_lob && !distinct && find_kw(bb, be, "GROUP") == be) {
        put(", " + qualifier_text(only) + "._rowid_ AS \"ocilite$rowid\"", tok(from).offset);
        r_.hidden_rowid = true;
        r_.lob_owner = only.owner;
        r_.lob_table = only.name;
      }
    }
    if (top && for_update < e) {
      // Oracle locks rows, never groups or sets of them.
      bool grouped = blocks.size() > 1 || tok(bb + 1).kw("DISTINCT") || tok(bb + 1).kw("UNIQUE") ||
                     find_kw(bb, be, "GROUP") < be;
      for (size_t q = bb + 1; q < from && !grouped; ++q)
        grouped = (tok(q).kw("COUNT") || tok(q).kw("SUM") || tok(q).kw("AVG") || tok(q).kw("MIN") ||
                   tok(q).kw("MAX")) && tok(q + 1).op("(");
      if (grouped) {
        fail_text(OraError{1786, "ORA-01786: FOR UPDATE of this query expression is not allowed"}, for_update);
        return;
      }
    }
    if (top && bi == 0 && blocks.size() == 1 && for_update < e && !scope.tables.empty() && scope.tables[0].info &&
        !scope.tables[0].info->is_view) {
      // The rows FOR UPDATE locks: those of the first table.
      const TableRef& first = scope.tables[0];
      const std::string q = qualifier_text(first);
      const std::string row = first.info->without_rowid ? rowid_expr(first, q) : q + "._rowid_";
      put(", ocilite_lock_key(" + std::to_string(first.info->object_id) + ", " + row + ") AS \"ocilite$lock\"",
          tok(from).offset);
      r_.hidden_lock_key = true;
    }
    {
      size_t base = out_.size() + 1;
      out_ += " " + from_sql;
      for (const auto& [pos, src] : from_offs) offs_.emplace_back(base + pos, src);
    }
    // WHERE, with ROWNUM limits taken out.
    if (where < be) {
      size_t wend = std::min({group, having, be});
      std::vector<std::pair<size_t, size_t>> conj;
      bool has_or = find_kw(where + 1, wend, "OR") < wend;
      size_t cs = where + 1;
      int d = 0;
      bool in_between = false;
      for (size_t q = where + 1; q < wend; ++q) {
        if (tok(q).op("(")) ++d;
        else if (tok(q).op(")")) --d;
        else if (d == 0 && tok(q).kw("BETWEEN")) in_between = true;
        else if (d == 0 && tok(q).kw("AND")) {
          if (in_between) {
            in_between = false;
            continue;
          }
          conj.emplace_back(cs, q);
          cs = q + 1;
        }
      }
      conj.emplace_back(cs, wend);
      std::vector<std::pair<size_t, size_t>> keep;
      for (auto [cb, ce] : conj) {
        bool rownum_limit = false;
        if (!has_or && ce - cb == 3) {
          const Token &a = tok(cb), &op = tok(cb + 1), &c = tok(cb + 2);
          if (a.kw("ROWNUM") && (c.kind == TokKind::Number || c.kind == TokKind::Bind) &&
              (op.op("<=") || op.op("<") || op.op("="))) {
            rownum_limit = true;
            std::string n = c.kind == TokKind::Number ? c.text : "?" + std::to_string(bind_index(c.upper) + 1);
            if (op.op("<")) n = "(" + n + ") - 1";
            if (op.op("=")) n = "(CASE WHEN (" + n + ") = 1 THEN 1 ELSE 0 END)";
            limit = n;
          }
        }
        if (!rownum_limit) keep.push_back({cb, ce});
      }
      if (!keep.empty()) {
        put("WHERE", tok(where).offset);
        for (size_t n = 0; n < keep.size(); ++n) {
          if (n) put("AND", tok(keep[n].first).offset);
          bool wrap = keep.size() > 1;
          if (wrap) put("(", tok(keep[n].first).offset);
          emit_expr(keep[n].first, keep[n].second, scope);
          if (wrap) put(")", tok(keep[n].second).offset);
        }
      }
    }
    if (group < be) {
      size_t gend = having < be && having > group ? having : be;
      put("GROUP BY", tok(group).offset);
      emit_expr(group + 2, gend, scope);
    }
    if (having < be) {
      put("HAVING", tok(having).offset);
      emit_expr(having + 1, be, scope);
    }
  }
  if (failed()) return;
  if (order_by < e) {
    size_t oend = std::min({for_update, fetch_at, offset_at, e});
    put("ORDER BY", tok(order_by).offset);
    auto items = split_commas(order_by + 2, oend);
    for (size_t n = 0; n < items.size(); ++n) {
      auto [ib, ie] = items[n];
      if (n) put(",", tok(ib).offset);
      bool nulls = find_kw(ib, ie, "NULLS") < ie;
      bool desc = ie > ib && tok(ie - 1).kw("DESC");
      emit_expr(ib, ie, first_scope);
      // Oracle sorts NULL as the largest value.
      if (!nulls) put(desc ? "NULLS FIRST" : "NULLS LAST", tok(ie - 1).offset);
    }
  }
  if (order_by >= e && top && blocks.size() == 1) {
    // Clients read a key's columns from *_IND_COLUMNS without ORDER BY and
    // take them in key order, as Oracle returns them; SQLite's plan (which
    // binds change) would not keep that order.
    for (const auto& ref : first_scope.tables) {
      if (!ref.owner.empty() || ref.info) continue;
      const std::string n = upper(ref.name);
      if (n == "ALL_IND_COLUMNS" || n == "USER_IND_COLUMNS" || n == "DBA_IND_COLUMNS") {
        const std::string q = qualifier_text(ref);
        put("ORDER BY " + q + ".\"INDEX_NAME\", " + q + ".\"COLUMN_POSITION\"", tok(e).offset);
        break;
      }
    }
  }
  if (fetch_at < e || offset_at < e) {
    std::string off, lim;
    if (offset_at < e) off = tok(offset_at + 1).kind == TokKind::Bind ? "?" + std::to_string(bind_index(tok(offset_at + 1).upper) + 1) : tok(offset_at + 1).text;
    if (fetch_at < e) {
      const Token& n = tok(fetch_at + 2);
      lim = n.kind == TokKind::Bind ? "?" + std::to_string(bind_index(n.upper) + 1) : n.kind == TokKind::Number ? n.text : "1";
    }
    if (!lim.empty()) limit = lim;
    if (limit.empty()) limit = "-1";
    put("LIMIT " + limit + (off.empty() ? "" : " OFFSET " + off), tok(fetch_at < e ? fetch_at : offset_at).offset);
  } else if (!limit.empty()) {
    put("LIMIT " + limit, tok(e).offset);
  }
  if (for_update < e) {
    if (!top) {
      fail(ora::kMissingRightParen, for_update);
      return;
    }
    r_.for_update = true;
    for (size_t q = for_update; q < e; ++q) {
      if (tok(q).kw("NOWAIT")) r_.nowait = true;
      if (tok(q).kw("WAIT") && tok(q + 1).kind == TokKind::Number) r_.wait_seconds = std::atoi(tok(q + 1).text.c_str());
      if (tok(q).kw("SKIP")) {
        fail_text(OraError{3001, "ORA-03001: unimplemented feature: SKIP LOCKED"}, q);
        return;
      }
    }
    if (!first_scope.tables.empty() && !first_scope.tables[0].owner.empty()) {
      piece_.lock_schema = first_scope.tables[0].owner;
      piece_.lock_table = first_scope.tables[0].name;
    }
  }
}

size_t Rewriter::emit_returning(size_t i, size_t e, const Scope& scope) {
  // RETURNING expr, ... INTO :a, ...
  size_t into = find_kw(i + 1, e, "INTO");
  if (into >= e) {
    fail(ora::kMissingExpression, i);
    return e;
  }
  auto items = split_commas(i + 1, into);
  put("RETURNING", tok(i).offset);
  for (size_t n = 0; n < items.size(); ++n) {
    if (n) put(",", tok(items[n].first).offset);
    emit_expr(items[n].first, items[n].second, scope);
  }
  piece_.returning_count = items.size();
  auto targets = split_commas(into + 1, e);
  for (auto [tb, te] : targets) {
    if (te != tb + 1 || tok(tb).kind != TokKind::Bind) {
      fail(ora::kMissingExpression, tb);
      return e;
    }
    r_.returning_into.push_back(tok(tb).upper);
  }
  if (targets.size() != items.size()) fail(913, into), r_.error = OraError{913, "ORA-00913: too many values"};
  return e;
}

void Rewriter::rewrite_select(size_t b, size_t e) {
  piece_.is_query = true;
  emit_query(b, e, nullptr, true);
}

void Rewriter::rewrite_insert(size_t b, size_t e) {
  size_t i = b + 1;
  if (!tok(i).kw("INTO")) {
    fail(925, i);
    r_.error = OraError{925, "ORA-00925: missing INTO keyword"};
    return;
  }
  ++i;
  Scope scope;
  put("INSERT INTO", tok(b).offset);
  TableRef ref;
  i = emit_table_ref(i, e, scope, false, &ref);
  if (failed()) return;
  if (tok(i).name_like() && !tok(i).kw("VALUES") && !tok(i).kw("SELECT") && !tok(i).kw("WITH")) {
    scope.tables.back().alias = name_of(tok(i));
    ++i;  // Oracle allows an alias here; SQLite does not need it
  }
  piece_.is_dml = true;
  piece_.dml_owner = ref.owner;
  piece_.dml_table = ref.name;
  piece_.lock_schema = ref.owner;
  piece_.lock_table = ref.name;
  std::vector<const TableColumn*> cols;
  if (tok(i).op("(")) {
    size_t close = match_paren(i);
    put("(", tok(i).offset);
    auto names = split_commas(i + 1, close);
    for (size_t n = 0; n < names.size(); ++n) {
      if (n) put(",", tok(names[n].first).offset);
      std::string cname = name_of(tok(names[n].second - 1));
      const TableColumn* c = ref.info ? ref.info->find(cname) : nullptr;
      if (ref.info && !c) {
        fail_text(engine_error(ora::kInvalidIdentifier, {"\"" + cname + "\""}), names[n].first);
        return;
      }
      cols.push_back(c);
      put(quote_ident(c ? c->name : cname), tok(names[n].first).offset);
    }
    put(")", tok(close).offset);
    i = close + 1;
  } else if (ref.info) {
    put("(", tok(i).offset);
    for (size_t n = 0; n < ref.info->columns.size(); ++n) {
      if (n) put(",", tok(i).offset);
      put(quote_ident(ref.info->columns[n].name), tok(i).offset);
      cols.push_back(&ref.info->columns[n]);
    }
    put(")", tok(i).offset);
  }
  size_t ret = find_kw(i, e, "RETURNING");
  if (ret == e) ret = find_kw(i, e, "RETURN");
  if (tok(i).kw("VALUES")) {
    if (!tok(i + 1).op("(")) {
      fail(ora::kMissingExpression, i + 1);
      return;
    }
    size_t close = match_paren(i + 1);
    auto vals = split_commas(i + 2, close);
    if (!cols.empty() && vals.size() != cols.size()) {
      r_.error = vals.size() > cols.size() ? OraError{913, "ORA-00913: too many values"}
                                           : OraError{947, "ORA-00947: not enough values"};
      r_.error_offset = static_cast<int>(tok(i).offset);
      return;
    }
    put("VALUES (", tok(i).offset);
    for (size_t n = 0; n < vals.size() && !failed(); ++n) {
      if (n) put(",", tok(vals[n].first).offset);
      emit_value_for_column(vals[n].first, vals[n].second, scope, ref.info, n < cols.size() ? cols[n] : nullptr);
    }
    put(")", tok(close).offset);
    i = close + 1;
  } else if (tok(i).kw("SELECT") || tok(i).kw("WITH") || tok(i).op("(")) {
    size_t qb = i, qe = ret;
    if (tok(i).op("(") && match_paren(i) + 1 == ret) ++qb, --qe;
    emit_query(qb, qe, &scope, false);
    i = ret;
  } else {
    fail(ora::kMissingExpression, i);
    return;
  }
  if (ret < e) {
    emit_returning(ret, e, scope);
  } else if (i < e) {
    fail(ora::kNotProperlyEnded, i);
  }
}

void Rewriter::rewrite_update(size_t b, size_t e) {
  Scope scope;
  put("UPDATE", tok(b).offset);
  TableRef ref;
  size_t i = emit_table_ref(b + 1, e, scope, true, &ref);
  if (failed()) return;
  piece_.is_dml = true;
  piece_.dml_owner = ref.owner;
  piece_.dml_table = ref.name;
  piece_.lock_schema = ref.owner;
  piece_.lock_table = ref.name;
  if (!tok(i).kw("SET")) {
    fail(971, i);
    r_.error = OraError{971, "ORA-00971: missing SET keyword"};
    return;
  }
  size_t where = find_kw(i, e, "WHERE");
  size_t ret = find_kw(i, e, "RETURNING");
  if (ret == e) ret = find_kw(i, e, "RETURN");
  size_t set_end = std::min(where, ret);
  put("SET", tok(i).offset);
  auto assigns = split_commas(i + 1, set_end);
  for (size_t n = 0; n < assigns.size() && !failed(); ++n) {
    auto [ab, ae] = assigns[n];
    if (n) put(",", tok(ab).offset);
    if (tok(ab).op("(")) {  // (a, b) = (subquery)
      emit_expr(ab, ae, scope);
      continue;
    }
    size_t eq = ab;
    while (eq < ae && !tok(eq).op("=")) ++eq;
    if (eq >= ae) {
      fail(927, ab);
      r_.error = OraError{927, "ORA-00927: missing equal sign"};
      return;
    }
    std::string cname = name_of(tok(eq - 1));
    const TableColumn* c = ref.info ? ref.info->find(cname) : nullptr;
    if (ref.info && !c) {
      fail_text(engine_error(ora::kInvalidIdentifier, {"\"" + cname + "\""}), eq - 1);
      return;
    }
    put(quote_ident(c ? c->name : cname) + " =", tok(ab).offset);
    emit_value_for_column(eq + 1, ae, scope, ref.info, c);
  }
  if (where < e) {
    put("WHERE", tok(where).offset);
    emit_expr(where + 1, ret, scope);
  }
  if (ret < e) emit_returning(ret, e, scope);
}

void Rewriter::rewrite_delete(size_t b, size_t e) {
  size_t i = b + 1;
  if (tok(i).kw("FROM")) ++i;
  Scope scope;
  put("DELETE FROM", tok(b).offset);
  TableRef ref;
  i = emit_table_ref(i, e, scope, true, &ref);
  if (failed()) return;
  piece_.is_dml = true;
  piece_.dml_owner = ref.owner;
  piece_.dml_table = ref.name;
  piece_.lock_schema = ref.owner;
  piece_.lock_table = ref.name;
  size_t ret = find_kw(i, e, "RETURNING");
  if (ret == e) ret = find_kw(i, e, "RETURN");
  if (tok(i).kw("WHERE")) {
    put("WHERE", tok(i).offset);
    emit_expr(i + 1, ret, scope);
  } else if (i < ret) {
    fail(ora::kNotProperlyEnded, i);
    return;
  }
  if (ret < e) emit_returning(ret, e, scope);
}

void Rewriter::begin_piece(size_t b) {
  piece_ = SqlPiece{};
  piece_.source_offset = static_cast<int>(tok(b).offset);
  out_.clear();
  offs_.clear();
}

void Rewriter::end_piece() {
  piece_.sql = take_output();
  piece_.offsets = std::move(offs_);
  offs_.clear();
  r_.pieces.push_back(std::move(piece_));
  piece_ = SqlPiece{};
}

void Rewriter::rewrite_statement(size_t b, size_t e) {
  begin_piece(b);
  const Token& first = tok(b);
  if (first.kw("SELECT") || first.kw("WITH") || first.op("(")) {
    if (r_.stmt_type == 0) r_.stmt_type = 1, r_.fn_code = 4;
    rewrite_select(b, e);
  } else if (first.kw("INSERT")) {
    if (r_.stmt_type == 0) r_.stmt_type = 4, r_.fn_code = 3;
    rewrite_insert(b, e);
  } else if (first.kw("UPDATE")) {
    if (r_.stmt_type == 0) r_.stmt_type = 2, r_.fn_code = 5;
    rewrite_update(b, e);
  } else if (first.kw("DELETE")) {
    if (r_.stmt_type == 0) r_.stmt_type = 3, r_.fn_code = 9;
    rewrite_delete(b, e);
  } else {
    fail(ora::kInvalidSqlStatement, b);
    return;
  }
  end_piece();
}

// Upper-case names of DATE and TIMESTAMP columns of the tables the
// statement names, for the date arithmetic pass.
std::set<std::string> Rewriter::date_columns() {
  std::set<std::string> cols;
  for (size_t i = 0; i + 1 < t_.size(); ++i) {
    const Token& k = t_[i];
    if (!(k.kw("FROM") || k.kw("JOIN") || k.kw("UPDATE") || k.kw("INTO") || (k.op(",") && i > 0))) continue;
    if (!t_[i + 1].name_like()) continue;
    std::string owner, name = name_of(t_[i + 1]);
    if (i + 3 < t_.size() && t_[i + 2].op(".") && t_[i + 3].name_like()) {
      owner = name;
      name = name_of(t_[i + 3]);
    }
    TableRef ref;
    resolve_table(owner, name, ref);
    if (!ref.info) continue;
    for (const auto& c : ref.info->columns)
      if (c.type.code == 12 || c.type.code == 180 || c.type.code == 181 || c.type.code == 231) cols.insert(upper(c.name));
  }
  return cols;
}

RewriteResult Rewriter::run() {
  LexResult lx = lex_sql(src_);
  if (!lx.ok) {
    r_.error = OraError{1756, "ORA-01756: quoted string not properly terminated"};
    if (lx.error.find("identifier") != std::string::npos)
      r_.error = OraError{1740, "ORA-01740: missing double quote in identifier"};
    else if (lx.error.find("comment") != std::string::npos)
      r_.error = engine_error(ora::kCommentNotTerminated);
    r_.error_offset = static_cast<int>(lx.error_offset);
    return std::move(r_);
  }
  t_ = std::move(lx.tokens);
  // A trailing ';' or '/' is tolerated for SQL (not for blocks, handled there).
  size_t e = end_index();
  const Token& first = tok(0);
  if (first.kind == TokKind::End) {
    r_.error = OraError{24373, "ORA-24373: invalid length specified for statement"};
    return std::move(r_);
  }
  if (first.kw("BEGIN") || first.kw("DECLARE")) {
    rewrite_block(0, e);
    return std::move(r_);
  }
  while (e > 0 && (tok(e - 1).op(";") || tok(e - 1).op("/"))) --e;
  // One statement per call: SQLite would run what follows a ';' as another.
  // (A stored PL/SQL unit's source is kept whole, semicolons and all.)
  bool plsql_unit = false;
  for (size_t k = 1; first.kw("CREATE") && k < 6 && k < e; ++k)
    plsql_unit = plsql_unit || tok(k).kw("PROCEDURE") || tok(k).kw("FUNCTION") || tok(k).kw("PACKAGE") ||
                 tok(k).kw("TRIGGER") || tok(k).kw("TYPE");
  for (size_t k = 0; k < e && !plsql_unit; ++k) {
    if (tok(k).op(";")) {
      r_.error = OraError{911, "ORA-00911: invalid character"};
      r_.error_offset = static_cast<int>(tok(k).offset);
      return std::move(r_);
    }
  }
  if (first.kw("CREATE") || first.kw("DROP") || first.kw("ALTER") || first.kw("COMMENT") ||
      first.kw("TRUNCATE") || first.kw("GRANT") || first.kw("REVOKE") || first.kw("LOCK") ||
      first.kw("COMMIT") || first.kw("ROLLBACK") || first.kw("SAVEPOINT") || first.kw("SET") ||
      first.kw("CALL") || first.kw("MERGE") || first.kw("EXPLAIN") || first.kw("RENAME") ||
      first.kw("ANALYZE") || first.kw("PURGE") || first.kw("FLASHBACK") || first.kw("AUDIT")) {
    if (first.kw("CREATE")) rewrite_create(0, e);
    else if (first.kw("DROP")) rewrite_drop(0, e);
    else if (first.kw("ALTER")) rewrite_alter(0, e);
    else rewrite_misc(0, e);
    return std::move(r_);
  }
  rewrite_concat(t_);
  rewrite_decode(t_);
  rewrite_date_arith(t_, date_columns());
  e = end_index();
  while (e > 0 && (tok(e - 1).op(";") || tok(e - 1).op("/"))) --e;
  rewrite_statement(0, e);
  return std::move(r_);
}

RewriteResult rewrite_sql(Session& session, std::string_view oracle_sql) {
  Rewriter r(session, oracle_sql);
  return r.run();
}

}  // namespace ocilite
