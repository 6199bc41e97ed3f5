// Parser of Oracle column type declarations. The grammar is small enough
// for a token list and a hand-written recursive descent; lengths and
// limits are those of an AL32UTF8 database with MAX_STRING_SIZE STANDARD
// (VARCHAR2 up to 4000 bytes, CHAR 2000, RAW 2000, NUMBER precision 1..38).
//
// Tested by tests/ocilite/catalog/oracle_type_test.cpp.
#include "catalog/oracle_type.h"

#include <algorithm>
#include <cctype>
#include <vector>

namespace ocilite {
namespace {

constexpr int kMaxBytesPerChar = 4;    // AL32UTF8
constexpr int kNcharBytesPerChar = 2;  // AL16UTF16
constexpr int kMaxVarchar = 4000;
constexpr int kMaxChar = 2000;
constexpr int kMaxRaw = 2000;

struct Token {
  enum Kind { word, number, punct } kind;
  std::string text;  // words upper-cased
  int value = 0;     // numbers
};

bool tokenize(std::string_view s, std::vector<Token>& out, std::string& error) {
  size_t i = 0;
  while (i < s.size()) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    if (std::isspace(c)) {
      ++i;
    } else if (std::isalpha(c) || c == '_') {
      size_t j = i;
      std::string w;
      while (j < s.size() &&
             (std::isalnum(static_cast<unsigned char>(s[j])) || s[j] == '_' || s[j] == '$' || s[j] == '#'))
        w += static_cast<char>(std::toupper(static_cast<unsigned char>(s[j++])));
      out.push_back({Token::word, w, 0});
      i = j;
    } else if (std::isdigit(c)) {
      long v = 0;
      size_t j = i;
      while (j < s.size() && std::isdigit(static_cast<unsigned char>(s[j]))) {
        v = v * 10 + (s[j++] - '0');
        if (v > 1000000) {
          error = "length out of range";
          return false;
        }
      }
      out.push_back({Token::number, std::string(s.substr(i, j - i)), static_cast<int>(v)});
      i = j;
    } else if (c == '(' || c == ')' || c == ',' || c == '*' || c == '-' || c == '.') {
      out.push_back({Token::punct, std::string(1, static_cast<char>(c)), 0});
      ++i;
    } else {
      error = "unexpected character '" + std::string(1, static_cast<char>(c)) + "'";
      return false;
    }
  }
  return true;
}

class Parser {
 public:
  explicit Parser(std::vector<Token> t) : t_(std::move(t)) {}

  bool word(std::string_view w) {
    if (pos_ < t_.size() && t_[pos_].kind == Token::word && t_[pos_].text == w) {
      ++pos_;
      return true;
    }
    return false;
  }
  bool punct(char c) {
    if (pos_ < t_.size() && t_[pos_].kind == Token::punct && t_[pos_].text[0] == c) {
      ++pos_;
      return true;
    }
    return false;
  }
  std::optional<int> number() {
    if (pos_ < t_.size() && t_[pos_].kind == Token::number) return t_[pos_++].value;
    return std::nullopt;
  }
  bool at_end() const { return pos_ == t_.size(); }
  // A plain name (a word that is no keyword of this grammar is fine).
  std::optional<std::string> name() {
    if (pos_ < t_.size() && t_[pos_].kind == Token::word) return t_[pos_++].text;
    return std::nullopt;
  }
  bool next_is(char c, size_t ahead) const {
    return pos_ + ahead < t_.size() && t_[pos_ + ahead].kind == Token::punct && t_[pos_ + ahead].text[0] == c;
  }
  std::string next_text() const { return pos_ < t_.size() ? t_[pos_].text : std::string("end of declaration"); }

 private:
  std::vector<Token> t_;
  size_t pos_ = 0;
};

std::optional<OracleType> fail(std::string* error, std::string text) {
  if (error) *error = std::move(text);
  return std::nullopt;
}

// "(n)" or "(n BYTE|CHAR)"; char_used is set from the suffix, else from `dflt`.
bool char_length(Parser& p, std::optional<int>& n, char& used, char dflt, std::string& error) {
  used = dflt;
  if (!p.punct('(')) return true;
  n = p.number();
  if (!n) {
    error = "missing length";
    return false;
  }
  if (p.word("BYTE"))
    used = 'B';
  else if (p.word("CHAR"))
    used = 'C';
  if (!p.punct(')')) {
    error = "missing right parenthesis";
    return false;
  }
  return true;
}

std::optional<int> paren_number(Parser& p, std::string& error, bool& present) {
  present = false;
  if (!p.punct('(')) return std::nullopt;
  present = true;
  auto n = p.number();
  if (!n) {
    error = "missing number";
    return std::nullopt;
  }
  if (!p.punct(')')) {
    error = "missing right parenthesis";
    return std::nullopt;
  }
  return n;
}

std::string with_precision(std::string base, int p) { return base + "(" + std::to_string(p) + ")"; }

}  // namespace

int OracleType::describe_size() const {
  switch (code) {
    case describe_code::kNumber:
      return 22;
    case describe_code::kDate:
      return 7;
    case describe_code::kBinaryFloat:
      return 4;
    case describe_code::kBinaryDouble:
      return 8;
    case describe_code::kClob:
    case describe_code::kBlob:
      return 4000;
    case describe_code::kBfile:
      return 530;
    default:
      return data_length;
  }
}

int OracleType::describe_precision() const {
  if (code == describe_code::kNumber) return precision.value_or(scale ? 38 : 0);
  if (code == describe_code::kIntervalYm || code == describe_code::kIntervalDs) return precision.value_or(2);
  return 0;
}

int OracleType::describe_scale() const {
  if (code == describe_code::kNumber) {
    if (data_type == "FLOAT") return -127;
    return scale.value_or(-127);
  }
  if (code == describe_code::kTimestamp || code == describe_code::kTimestampTz ||
      code == describe_code::kTimestampLtz || code == describe_code::kIntervalDs)
    return scale.value_or(6);
  return 0;
}

std::optional<OracleType> parse_oracle_type(std::string_view declaration, std::string* error) {
  std::vector<Token> tokens;
  std::string err;
  if (!tokenize(declaration, tokens, err)) return fail(error, err);
  if (tokens.empty()) return fail(error, "empty type declaration");
  Parser p(std::move(tokens));
  OracleType t;

  auto character = [&](std::string name, int code, bool national, bool varying) -> bool {
    std::optional<int> n;
    char used = 'B';
    if (national) {
      if (!char_length(p, n, used, 'C', err)) return false;
      if (used == 'B') {
        err = "BYTE is not allowed for national character types";
        return false;
      }
    } else if (!char_length(p, n, used, 'B', err)) {
      return false;
    }
    if (!n) {
      if (varying) {
        err = "missing length for " + name;
        return false;
      }
      n = 1;
    }
    const int bytes_per_char = national ? kNcharBytesPerChar : (used == 'C' ? kMaxBytesPerChar : 1);
    const int max_bytes = varying ? kMaxVarchar : kMaxChar;
    if (*n < 1 || *n * (national ? kNcharBytesPerChar : 1) > max_bytes) {
      err = "length " + std::to_string(*n) + " out of range for " + name;
      return false;
    }
    t.data_type = name;
    t.code = code;
    t.char_used = used;
    t.char_length = *n;
    t.data_length = std::min(*n * bytes_per_char, max_bytes);
    t.charset_form = national ? kCharsetFormNchar : kCharsetFormImplicit;
    t.declaration = name + "(" + std::to_string(*n) + (national ? "" : used == 'C' ? " CHAR" : " BYTE") + ")";
    if (national) t.declaration = name + "(" + std::to_string(*n) + ")";
    return true;
  };

  auto number = [&](std::string name, bool allow_scale) -> bool {
    t.data_type = "NUMBER";
    t.code = describe_code::kNumber;
    t.data_length = 22;
    t.declaration = "NUMBER";
    if (!p.punct('(')) return true;
    std::optional<int> prec;
    if (!p.punct('*')) {
      prec = p.number();
      if (!prec) {
        err = "missing precision";
        return false;
      }
      if (*prec < 1 || *prec > 38) {
        err = "numeric precision specifier is out of range (1 to 38)";
        return false;
      }
    }
    std::optional<int> scale;
    if (allow_scale && p.punct(',')) {
      bool neg = p.punct('-');
      scale = p.number();
      if (!scale) {
        err = "missing scale";
        return false;
      }
      if (neg) scale = -*scale;
      if (*scale < -84 || *scale > 127) {
        err = "numeric scale specifier is out of range (-84 to 127)";
        return false;
      }
    }
    if (!p.punct(')')) {
      err = "missing right parenthesis";
      return false;
    }
    t.precision = prec;
    // NUMBER(p) means NUMBER(p,0); NUMBER(*) has neither.
    t.scale = scale ? scale : (prec ? std::optional<int>(0) : std::nullopt);
    if (name != "NUMBER" && !t.scale) t.scale = 0;
    t.declaration = "NUMBER(" + (prec ? std::to_string(*prec) : std::string("*")) +
                    (t.scale && *t.scale != 0 ? "," + std::to_string(*t.scale) : std::string()) + ")";
    if (!prec && t.scale) t.declaration = "NUMBER(*," + std::to_string(*t.scale) + ")";
    return true;
  };

  auto fixed = [&](std::string name, int code, int length) {
    t.data_type = name;
    t.declaration = name;
    t.code = code;
    t.data_length = length;
  };

  bool ok = true;
  bool present = false;
  // A user-defined type is always written qualified ("SCOTT.ADDRESS_T",
  // "REF SCOTT.ADDRESS_T"): the owner is resolved when the column is made.
  const bool ref = p.word("REF");
  if (ref || p.next_is('.', 1)) {
    auto owner = p.name();
    if (!owner || !p.punct('.')) return fail(error, "qualified type name expected");
    auto name = p.name();
    if (!name) return fail(error, "type name expected after " + *owner + ".");
    if (!p.at_end()) return fail(error, "unexpected " + p.next_text() + " in type declaration");
    return user_defined_type(*owner, *name, ref);
  }
  if (p.word("VARCHAR2") || p.word("VARCHAR")) {
    ok = character("VARCHAR2", describe_code::kVarchar2, false, true);
  } else if (p.word("NVARCHAR2")) {
    ok = character("NVARCHAR2", describe_code::kVarchar2, true, true);
  } else if (p.word("NCHAR")) {
    bool varying = p.word("VARYING");
    ok = character(varying ? "NVARCHAR2" : "NCHAR", varying ? describe_code::kVarchar2 : describe_code::kChar, true,
                   varying);
  } else if (p.word("NATIONAL")) {
    if (!(p.word("CHARACTER") || p.word("CHAR"))) return fail(error, "CHARACTER expected after NATIONAL");
    bool varying = p.word("VARYING");
    ok = character(varying ? "NVARCHAR2" : "NCHAR", varying ? describe_code::kVarchar2 : describe_code::kChar, true,
                   varying);
  } else if (p.word("CHAR") || p.word("CHARACTER")) {
    bool varying = p.word("VARYING");
    ok = character(varying ? "VARCHAR2" : "CHAR", varying ? describe_code::kVarchar2 : describe_code::kChar, false,
                   varying);
  } else if (p.word("NUMBER")) {
    ok = number("NUMBER", true);
  } else if (p.word("NUMERIC") || p.word("DECIMAL") || p.word("DEC")) {
    ok = number("DECIMAL", true);
    if (ok && !t.scale) {
      t.scale = 0;
      t.declaration = "NUMBER(*,0)";
    }
  } else if (p.word("INTEGER") || p.word("INT") || p.word("SMALLINT")) {
    ok = number("INTEGER", false);
    t.scale = 0;
    t.declaration = "NUMBER(*,0)";
  } else if (p.word("FLOAT")) {
    auto b = paren_number(p, err, present);
    if (present && !b) return fail(error, err);
    if (b && (*b < 1 || *b > 126)) return fail(error, "floating point precision is out of range (1 to 126)");
    fixed("FLOAT", describe_code::kNumber, 22);
    t.precision = b.value_or(126);
    t.declaration = with_precision("FLOAT", *t.precision);
  } else if (p.word("REAL")) {
    fixed("FLOAT", describe_code::kNumber, 22);
    t.precision = 63;
    t.declaration = "FLOAT(63)";
  } else if (p.word("DOUBLE")) {
    if (!p.word("PRECISION")) return fail(error, "PRECISION expected after DOUBLE");
    fixed("FLOAT", describe_code::kNumber, 22);
    t.precision = 126;
    t.declaration = "FLOAT(126)";
  } else if (p.word("BINARY_FLOAT")) {
    fixed("BINARY_FLOAT", describe_code::kBinaryFloat, 4);
  } else if (p.word("BINARY_DOUBLE")) {
    fixed("BINARY_DOUBLE", describe_code::kBinaryDouble, 8);
  } else if (p.word("DATE")) {
    fixed("DATE", describe_code::kDate, 7);
  } else if (p.word("TIMESTAMP")) {
    auto f = paren_number(p, err, present);
    if (present && !f) return fail(error, err);
    if (f && *f > 9) return fail(error, "datetime/interval precision is out of range");
    int fs = f.value_or(6);
    std::string base = with_precision("TIMESTAMP", fs);
    if (p.word("WITH")) {
      bool local = p.word("LOCAL");
      if (!p.word("TIME") || !p.word("ZONE")) return fail(error, "TIME ZONE expected");
      if (local)
        fixed(base + " WITH LOCAL TIME ZONE", describe_code::kTimestampLtz, 11);
      else
        fixed(base + " WITH TIME ZONE", describe_code::kTimestampTz, 13);
    } else {
      fixed(base, describe_code::kTimestamp, 11);
    }
    t.scale = fs;
  } else if (p.word("INTERVAL")) {
    if (p.word("YEAR")) {
      auto y = paren_number(p, err, present);
      if (present && !y) return fail(error, err);
      if (!p.word("TO") || !p.word("MONTH")) return fail(error, "TO MONTH expected");
      int yp = y.value_or(2);
      if (yp > 9) return fail(error, "datetime/interval precision is out of range");
      fixed("INTERVAL YEAR(" + std::to_string(yp) + ") TO MONTH", describe_code::kIntervalYm, 5);
      t.precision = yp;
      t.scale = 0;
    } else if (p.word("DAY")) {
      auto d = paren_number(p, err, present);
      if (present && !d) return fail(error, err);
      if (!p.word("TO") || !p.word("SECOND")) return fail(error, "TO SECOND expected");
      auto f = paren_number(p, err, present);
      if (present && !f) return fail(error, err);
      int dp = d.value_or(2), fs = f.value_or(6);
      if (dp > 9 || fs > 9) return fail(error, "datetime/interval precision is out of range");
      fixed("INTERVAL DAY(" + std::to_string(dp) + ") TO SECOND(" + std::to_string(fs) + ")",
            describe_code::kIntervalDs, 11);
      t.precision = dp;
      t.scale = fs;
    } else {
      return fail(error, "YEAR or DAY expected after INTERVAL");
    }
  } else if (p.word("RAW")) {
    auto n = paren_number(p, err, present);
    if (!n) return fail(error, present ? err : "missing length for RAW");
    if (*n < 1 || *n > kMaxRaw) return fail(error, "length " + std::to_string(*n) + " out of range for RAW");
    fixed("RAW", describe_code::kRaw, *n);
    t.declaration = with_precision("RAW", *n);
  } else if (p.word("LONG")) {
    if (p.word("RAW"))
      fixed("LONG RAW", describe_code::kLongRaw, 0);
    else
      fixed("LONG", describe_code::kLong, 0);
    t.is_long = true;
    if (t.code == describe_code::kLong) {
      t.char_used = 0;
      t.charset_form = kCharsetFormImplicit;
    }
  } else if (p.word("CLOB")) {
    fixed("CLOB", describe_code::kClob, 4000);
    t.is_lob = true;
    t.charset_form = kCharsetFormImplicit;
  } else if (p.word("NCLOB")) {
    fixed("NCLOB", describe_code::kClob, 4000);
    t.is_lob = true;
    t.charset_form = kCharsetFormNchar;
  } else if (p.word("BLOB")) {
    fixed("BLOB", describe_code::kBlob, 4000);
    t.is_lob = true;
  } else if (p.word("BFILE")) {
    fixed("BFILE", describe_code::kBfile, 530);
    t.is_lob = true;
  } else if (p.word("ROWID")) {
    fixed("ROWID", describe_code::kRowid, 10);
  } else if (p.word("UROWID")) {
    auto n = paren_number(p, err, present);
    if (present && !n) return fail(error, err);
    fixed("UROWID", describe_code::kRowid, n.value_or(4000));
    t.declaration = with_precision("UROWID", t.data_length);
  } else {
    return fail(error, "unknown data type " + p.next_text());
  }
  if (!ok) return fail(error, err);
  if (!p.at_end()) return fail(error, "unexpected " + p.next_text() + " in type declaration");
  return t;
}

OracleType user_defined_type(std::string_view owner, std::string_view name, bool ref) {
  OracleType t;
  t.code = ref ? describe_code::kRef : describe_code::kObject;
  t.type_owner = std::string(owner);
  t.type_name = std::string(name);
  t.data_type = ref ? "REF" : t.type_name;
  t.declaration = (ref ? "REF " : "") + t.type_owner + "." + t.type_name;
  t.data_length = ref ? 46 : 1;
  return t;
}

OracleType type_from_sqlite_declaration(std::string_view declaration) {
  if (auto t = parse_oracle_type(declaration)) return *t;
  constexpr std::string_view kTextSuffix = " TEXT";
  if (declaration.size() > kTextSuffix.size() &&
      declaration.substr(declaration.size() - kTextSuffix.size()) == kTextSuffix) {
    auto t = parse_oracle_type(declaration.substr(0, declaration.size() - kTextSuffix.size()));
    if (t && t->code == describe_code::kNumber) {
      t->exact_text = true;
      return *t;
    }
    if (t && t->is_user_defined()) return *t;
  }
  // SQLite's affinity rules, in its own order of precedence.
  std::string up;
  for (char c : declaration) up += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  auto has = [&](const char* s) { return up.find(s) != std::string::npos; };
  if (has("INT")) return *parse_oracle_type("INTEGER");
  if (has("CHAR") || has("CLOB") || has("TEXT")) return *parse_oracle_type("VARCHAR2(4000)");
  if (has("BLOB") || up.find_first_not_of(" \t") == std::string::npos) return *parse_oracle_type("BLOB");
  if (has("REAL") || has("FLOA") || has("DOUB")) return *parse_oracle_type("BINARY_DOUBLE");
  return *parse_oracle_type("NUMBER");
}

}  // namespace ocilite

namespace ocilite {

std::string column_type_sql(const OracleType& t) {
  std::string decl = t.declaration;
  // Numbers and object values are texts SQLite must never convert.
  if (t.code == describe_code::kNumber || t.is_user_defined()) decl += " TEXT";
  std::string out = "\"";
  for (char c : decl) {
    if (c == '"') out.push_back('"');
    out.push_back(c);
  }
  out.push_back('"');
  if (t.code == describe_code::kNumber) out += std::string(" COLLATE ") + kNumberCollation;
  return out;
}

}  // namespace ocilite
