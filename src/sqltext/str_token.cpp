#include "sqltext/str_token.h"

#include <new>

#include "platform/format.h"
#include "platform/text_file.h"
#include "platform/utf16.h"
#include "sqltext/keyword_file.h"
#include "sqltext/sqltext_constants.h"

using kestrel::KeywordTable;

namespace {

constexpr char16_t kFopenError[] = u"CStrToken::initDefaultKeyword(): fopen error(%s)";
constexpr char16_t kAllocKeywordsError[] = u"CStrToken::alloc_keywords(): memory allocate error";
constexpr char16_t kSetKeywordError[] = u"CStrToken::set_keyword(): memory allocate error";
constexpr char16_t kScratchError[] = u"CStrToken::initDefaultKeyword(): memory allocate error";

bool IsLineEnd(char16_t c) { return c == u'\n' || c == u'\r'; }

}  // namespace

CStrToken::CStrToken() {
  for (char16_t c : {u' ', u'\t', u'\n', u'\r'}) cls_[c] |= kClsBlank | kClsSeparator;
  // Control characters (NUL included) never join a word.
  for (char16_t c = 0; c < 0x20; ++c) cls_[c] |= kClsSeparator;
  default_ = std::make_shared<const KeywordTable>(case_insensitive_);
  active_ = default_;
}

CStrToken::~CStrToken() = default;

// --- configuration ---------------------------------------------------------

void CStrToken::SetCaseInsensitive(bool on) {
  if (on == case_insensitive_) return;
  case_insensitive_ = on;
  ClearKeywords();
}

void CStrToken::SetSeparators(std::u16string_view chars) {
  for (char16_t c : chars)
    if (c < 256) cls_[c] |= kClsSeparator;
}

void CStrToken::SetQuoteChars(std::u16string_view chars, std::u16string_view doubled) {
  for (char16_t c : chars)
    if (c < 256) cls_[c] |= kClsQuote;
  for (char16_t c : doubled)
    if (c < 256) cls_[c] |= kClsDoubled;
}

void CStrToken::SetBlockComment(std::u16string_view start, std::u16string_view end) {
  block_start_.assign(start);
  block_end_.assign(end);
  if (!start.empty() && start[0] < 256) cls_[start[0]] |= kClsCommentStart;
}

bool CStrToken::AddLineComment(std::u16string_view start, int32_t kind) {
  if (start.empty() || line_comments_.size() >= 4) return false;
  line_comments_.push_back(LineComment{std::u16string(start), kind});
  if (start[0] < 256) cls_[start[0]] |= kClsCommentStart;
  return true;
}

void CStrToken::SetBrackets(std::u16string_view close_open_pairs) {
  for (std::size_t i = 0; i + 1 < close_open_pairs.size(); i += 2) {
    char16_t close = close_open_pairs[i];
    char16_t open = close_open_pairs[i + 1];
    if (close >= 256 || open >= 256) continue;
    opening_[close] = open;
    cls_[close] |= kClsBracket;
    cls_[open] |= kClsBracket;
  }
}

void CStrToken::SetOperators(std::u16string_view chars) {
  for (char16_t c : chars)
    if (c < 256) cls_[c] |= kClsOperator;
}

void CStrToken::SetBindPrefix(std::u16string_view chars) {
  for (char16_t c : chars)
    if (c < 256) cls_[c] |= kClsBind;
}

bool CStrToken::IsQuote(std::u16string_view text, std::size_t pos, bool* doubled) const {
  if (pos >= text.size() || !IsQuote(text[pos])) return false;
  if (doubled)
    *doubled = (cls_[text[pos]] & kClsDoubled) && pos + 1 < text.size() && text[pos + 1] == text[pos];
  return true;
}

// --- scanning ----------------------------------------------------------------

std::size_t CStrToken::SkipBlanks(std::u16string_view text, std::size_t pos) {
  while (pos < text.size() && IsBlank(text[pos])) ++pos;
  return pos;
}

bool CStrToken::StartsBlockComment(std::u16string_view text, std::size_t pos) const {
  return !block_start_.empty() && text.substr(pos).starts_with(block_start_);
}

bool CStrToken::StartsLineComment(std::u16string_view text, std::size_t pos) const {
  std::u16string_view rest = text.substr(pos);
  for (const LineComment& lc : line_comments_)
    if (rest.starts_with(lc.start)) return true;
  return false;
}

bool CStrToken::StartsAltQuote(std::u16string_view text, std::size_t pos, std::size_t* prefix,
                               char16_t* close) const {
  std::size_t p = pos;
  if (p < text.size() && (text[p] == u'n' || text[p] == u'N')) ++p;
  if (p + 2 >= text.size() || (text[p] != u'q' && text[p] != u'Q') || text[p + 1] != u'\'') return false;
  char16_t open = text[p + 2];
  // The delimiter may be any character but a blank or the quote itself.
  if (IsBlank(open) || open == u'\'') return false;
  switch (open) {
    case u'[': *close = u']'; break;
    case u'{': *close = u'}'; break;
    case u'(': *close = u')'; break;
    case u'<': *close = u'>'; break;
    default: *close = open; break;
  }
  *prefix = p + 3 - pos;
  return true;
}

std::size_t CStrToken::ContinueOpen(std::u16string_view text, std::size_t pos, LexState* state) const {
  const std::size_t n = text.size();
  switch (state->mode) {
    case LexState::kBlockComment: {
      std::size_t end = text.find(block_end_, pos);
      if (end == std::u16string_view::npos) return n;
      state->mode = LexState::kNone;
      return end + block_end_.size();
    }
    case LexState::kQuote: {
      const char16_t q = state->close;
      const bool doubles = (cls_[q] & kClsDoubled) != 0;
      for (std::size_t i = pos; i < n; ++i) {
        if (text[i] != q) continue;
        if (doubles && i + 1 < n && text[i + 1] == q) {
          ++i;
          continue;
        }
        state->mode = LexState::kNone;
        return i + 1;
      }
      return n;
    }
    case LexState::kAltQuote: {
      for (std::size_t i = pos; i + 1 < n; ++i) {
        if (text[i] == state->close && text[i + 1] == u'\'') {
          state->mode = LexState::kNone;
          return i + 2;
        }
      }
      return n;
    }
    case LexState::kNone:
      break;
  }
  return pos;
}

CStrToken::Token CStrToken::ScanToken(std::u16string_view text, std::size_t pos, LexState* state) const {
  Token t;
  t.start = pos;
  const std::size_t n = text.size();
  if (pos >= n) return t;

  auto open = [&](LexState::Mode mode, char16_t close, std::size_t from, TokenType type) {
    state->mode = mode;
    state->close = close;
    std::size_t end = ContinueOpen(text, from, state);
    t.type = type;
    t.length = end - pos;
    t.unterminated = state->mode != LexState::kNone;
    return t;
  };

  if (state->mode != LexState::kNone) {
    const LexState::Mode mode = state->mode;
    std::size_t end = ContinueOpen(text, pos, state);
    t.type = mode == LexState::kBlockComment ? TokenType::kBlockComment : TokenType::kQuoted;
    t.length = end - pos;
    t.unterminated = state->mode != LexState::kNone;
    return t;
  }

  const char16_t c = text[pos];
  const uint8_t cls = c < 256 ? cls_[c] : 0;

  if (IsBlank(c)) {
    std::size_t end = SkipBlanks(text, pos);
    t.type = TokenType::kBlank;
    t.length = end - pos;
    return t;
  }
  if (cls & kClsCommentStart) {
    if (StartsLineComment(text, pos)) {
      std::size_t end = pos;
      while (end < n && !IsLineEnd(text[end])) ++end;
      t.type = TokenType::kLineComment;
      t.length = end - pos;
      return t;
    }
    if (StartsBlockComment(text, pos))
      return open(LexState::kBlockComment, 0, pos + block_start_.size(), TokenType::kBlockComment);
  }
  if (alt_quoting_ && (c == u'q' || c == u'Q' || c == u'n' || c == u'N')) {
    std::size_t prefix = 0;
    char16_t close = 0;
    if (StartsAltQuote(text, pos, &prefix, &close))
      return open(LexState::kAltQuote, close, pos + prefix, TokenType::kQuoted);
  }
  if (cls & kClsQuote) return open(LexState::kQuote, c, pos + 1, TokenType::kQuoted);
  if ((cls & kClsBind) && pos + 1 < n && IsWordChar(text[pos + 1])) {
    std::size_t end = pos + 1;
    while (end < n && IsWordChar(text[end])) ++end;
    t.type = TokenType::kBindVariable;
    t.length = end - pos;
    return t;
  }
  t.length = 1;
  if (cls & kClsBracket) {
    t.type = TokenType::kBracket;
    return t;
  }
  if (cls & kClsOperator) {
    t.type = TokenType::kOperator;
    return t;
  }
  if (IsSeparator(c)) {
    t.type = TokenType::kSeparator;
    return t;
  }
  if (IsWordChar(c)) {
    std::size_t end = pos + 1;
    while (end < n && IsWordChar(text[end])) ++end;
    t.type = TokenType::kWord;
    t.length = end - pos;
    return t;
  }
  t.type = TokenType::kOther;
  if (kestrel::is_high_surrogate(c) && pos + 1 < n && kestrel::is_low_surrogate(text[pos + 1])) t.length = 2;
  return t;
}

std::size_t CStrToken::FirstSignificantPos(std::u16string_view text, std::size_t pos) const {
  for (;;) {
    pos = SkipBlanks(text, pos);
    if (pos >= text.size() || !StartsLineComment(text, pos)) return pos;
    while (pos < text.size() && !IsLineEnd(text[pos])) ++pos;
  }
}

// --- keywords ------------------------------------------------------------------

std::shared_ptr<KeywordTable> CStrToken::NewTable() const { return std::make_shared<KeywordTable>(case_insensitive_); }

void CStrToken::FinishTable(KeywordTable& table) const {
  table.Finish([this](char16_t c) { return IsSeparator(c); });
}

void CStrToken::ClearKeywords() {
  auto empty = std::make_shared<const KeywordTable>(case_insensitive_);
  std::lock_guard<std::mutex> guard(lock_);
  if (active_ == default_) active_ = empty;
  default_ = std::move(empty);
}

int CStrToken::InitDefaultKeyword(const std::filesystem::path& path, std::u16string* err) {
  kestrel::DecodedText file;
  if (!kestrel::read_text_file(path, file)) {
    if (err) *err = kestrel::format(kFopenError, {kestrel::utf8_to_utf16(path.string())});
    return 1;
  }
  return InitDefaultKeywordFromText(file.text, err);
}

int CStrToken::InitDefaultKeywordFromBytes(std::string_view bytes, std::u16string* err) {
  try {
    return InitDefaultKeywordFromText(kestrel::decode_text(bytes).text, err);
  } catch (const std::bad_alloc&) {
    if (err) *err = kScratchError;
    return 1;
  }
}

int CStrToken::InitDefaultKeywordFromText(std::u16string_view text, std::u16string* err) {
  // The file is read once and the new table built beside the old one, so a
  // failure anywhere leaves the keywords as they were.
  const char16_t* stage = kScratchError;
  try {
    std::vector<kestrel::KeywordLine> lines = kestrel::ParseKeywordLines(text);
    std::shared_ptr<const KeywordTable> old = DefaultKeywords();
    stage = kAllocKeywordsError;
    auto table = NewTable();
    table->Reserve(old->size() + lines.size());
    stage = kSetKeywordError;
    for (const kestrel::KeywordEntry& e : old->entries()) table->AddEntry(e);
    for (const kestrel::KeywordLine& line : lines)
      table->Add(line.word, line.kind, line.kind == kestrel::kKeywordKind2 ? kestrel::kKeywordKindName2
                                                                           : kestrel::kKeywordKindName1);
    FinishTable(*table);
    std::lock_guard<std::mutex> guard(lock_);
    if (active_ == default_) active_ = table;
    default_ = std::move(table);
  } catch (const std::bad_alloc&) {
    if (err) *err = stage;
    return 1;
  }
  return 0;
}

std::shared_ptr<const KeywordTable> CStrToken::ActiveKeywords() const {
  std::lock_guard<std::mutex> guard(lock_);
  return active_;
}

std::shared_ptr<const KeywordTable> CStrToken::DefaultKeywords() const {
  std::lock_guard<std::mutex> guard(lock_);
  return default_;
}

void CStrToken::PublishKeywords(std::shared_ptr<const KeywordTable> table) {
  std::lock_guard<std::mutex> guard(lock_);
  active_ = table ? std::move(table) : default_;
}

int32_t CStrToken::IsKeyword(std::u16string_view word, int32_t* kind) const {
  KeywordHit hit = FindKeyword(word);
  if (hit && kind) *kind = hit.entry().kind;
  return hit.index;
}

CStrToken::KeywordHit CStrToken::FindKeyword(std::u16string_view word) const {
  KeywordHit hit;
  hit.table = ActiveKeywords();
  hit.index = hit.table->Find(word);
  return hit;
}

CStrToken::KeywordHit CStrToken::MatchKeywordAt(const std::shared_ptr<const KeywordTable>& table,
                                                std::u16string_view text, std::size_t pos,
                                                std::size_t* len) const {
  KeywordHit hit;
  hit.table = table;
  if (table) hit.index = MatchKeywordIndex(*table, text, pos, len);
  return hit;
}

int32_t CStrToken::MatchKeywordIndex(const KeywordTable& table, std::u16string_view text, std::size_t pos,
                                     std::size_t* len) const {
  if (pos >= text.size()) return -1;
  std::size_t word_end = pos;
  while (word_end < text.size() && IsWordChar(text[word_end])) ++word_end;
  const char16_t first = text[pos];
  const char16_t folded = case_insensitive_ && first >= u'a' && first <= u'z' ? static_cast<char16_t>(first - 32) : first;
  if (table.slot(folded).has_separator_key) {
    std::size_t sep_len = 0;
    int32_t i = table.FindSeparatorKeyAt(text, pos, &sep_len, [this](char16_t c) { return IsWordChar(c); });
    if (i >= 0 && sep_len >= word_end - pos) {
      if (len) *len = sep_len;
      return i;
    }
  }
  if (word_end == pos) return -1;
  int32_t i = table.Find(text.substr(pos, word_end - pos));
  if (i >= 0 && len) *len = word_end - pos;
  return i;
}
