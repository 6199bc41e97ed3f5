// CStrToken: a keyword-aware tokenizer for program text. It knows which
// characters separate words, open string literals, start comments, pair as
// brackets, act as operators and prefix bind variables, and it holds the
// default keyword table plus the active list (the default keywords, or the
// completion list built after a login) that editors look words up in.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "sqltext/keyword_table.h"

class CStrToken {
 public:
  enum class TokenType : uint8_t {
    kEnd,           // nothing left
    kBlank,         // spaces, tabs, line ends, U+3000
    kWord,          // a run of word characters (a keyword candidate)
    kQuoted,        // a string or quoted identifier, quotes included
    kLineComment,   // up to, not including, the line end
    kBlockComment,  // start and end strings included
    kOperator,      // one operator character
    kBracket,       // one bracket character
    kBindVariable,  // bind prefix and the name after it
    kSeparator,     // any other separator character
    kOther,         // a character none of the above claims
  };

  // What a scan that stopped at the end of a text was inside of, so the next
  // line of an editor can go on scanning from there.
  struct LexState {
    enum Mode : uint8_t { kNone, kBlockComment, kQuote, kAltQuote } mode = kNone;
    char16_t close = 0;  // the quote, or the closing delimiter of q'[...]'
    bool operator==(const LexState&) const = default;
  };

  struct Token {
    TokenType type = TokenType::kEnd;
    std::size_t start = 0;
    std::size_t length = 0;
    bool unterminated = false;  // a quote or comment that runs to the end of the text
  };

  // A keyword found in the active list, with the list kept alive.
  struct KeywordHit {
    std::shared_ptr<const kestrel::KeywordTable> table;
    int32_t index = -1;
    explicit operator bool() const { return index >= 0; }
    const kestrel::KeywordEntry& entry() const { return (*table)[static_cast<std::size_t>(index)]; }
  };

  CStrToken();
  virtual ~CStrToken();
  CStrToken(const CStrToken&) = delete;
  CStrToken& operator=(const CStrToken&) = delete;

  // --- configuration -----------------------------------------------------
  void SetSeparators(std::u16string_view chars);
  // `doubled` names the quotes that, written twice inside a literal, stand
  // for one quote.
  void SetQuoteChars(std::u16string_view chars, std::u16string_view doubled);
  void SetBlockComment(std::u16string_view start, std::u16string_view end);
  // Up to four line-comment strings; more are ignored (returns false).
  bool AddLineComment(std::u16string_view start, int32_t kind);
  // Pairs of closing then opening characters, e.g. u")(><][}{".
  void SetBrackets(std::u16string_view close_open_pairs);
  void SetOperators(std::u16string_view chars);
  void SetBindPrefix(std::u16string_view chars);
  // Set before loading keywords: keys are built by this rule. Changing it
  // empties the default keyword table.
  void SetCaseInsensitive(bool on);
  bool case_insensitive() const { return case_insensitive_; }
  // Oracle's alternative quoting q'[...]' (also nq'...').
  void SetAltQuoting(bool on) { alt_quoting_ = on; }

  // --- character classes -------------------------------------------------
  bool IsSeparator(char16_t c) const {
    return c < 256 ? (cls_[c] & kClsSeparator) != 0
                   : (c >= 0x3000 && c <= 0x3002) || c == 0xFF0C || c == 0xFF0E;
  }
  bool IsQuote(char16_t c) const { return c < 256 && (cls_[c] & kClsQuote) != 0; }
  // Also tells whether the quote at `pos` is doubled (the next character is
  // the same quote), which inside a literal stands for one quote.
  bool IsQuote(std::u16string_view text, std::size_t pos, bool* doubled) const;
  bool IsOperator(char16_t c) const { return c < 256 && (cls_[c] & kClsOperator) != 0; }
  bool IsBindPrefix(char16_t c) const { return c < 256 && (cls_[c] & kClsBind) != 0; }
  bool IsBracket(char16_t c) const { return c < 256 && (cls_[c] & kClsBracket) != 0; }
  // The opening bracket that `close` closes, or 0.
  char16_t OpeningBracket(char16_t close) const { return close < 256 ? opening_[close] : 0; }
  static bool IsBlank(char16_t c) { return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == 0x3000; }
  // Characters a word is made of: not blank, separator, operator, quote,
  // bracket or bind prefix.
  bool IsWordChar(char16_t c) const {
    return c < 256 ? (cls_[c] & kClsNotWord) == 0 : !IsSeparator(c);
  }

  // --- text scanning -----------------------------------------------------
  static std::size_t SkipBlanks(std::u16string_view text, std::size_t pos = 0);
  // Skips blanks and whole lines that are line comments.
  std::size_t FirstSignificantPos(std::u16string_view text, std::size_t pos = 0) const;
  // The token at `pos`. `state` carries an open comment or quote from one
  // call to the next (an editor scanning line by line passes the state the
  // previous line ended in); pass a fresh state for a whole text.
  Token ScanToken(std::u16string_view text, std::size_t pos, LexState* state) const;

  // --- keywords ------------------------------------------------------------
  void ClearKeywords();
  // Reads a keyword file (UTF-8 or CP932, "word" or "word,kind" per line)
  // and adds its words to the default keywords. 0 on success; 1 with the
  // reason in *err, the keywords staying as they were.
  int InitDefaultKeyword(const std::filesystem::path& path, std::u16string* err);
  // Same, from the file's bytes or its decoded text.
  int InitDefaultKeywordFromBytes(std::string_view bytes, std::u16string* err);
  int InitDefaultKeywordFromText(std::u16string_view text, std::u16string* err);

  // Index of `word` in the active list, or -1; `kind` receives its kind.
  int32_t IsKeyword(std::u16string_view word, int32_t* kind = nullptr) const;
  KeywordHit FindKeyword(std::u16string_view word) const;
  // The keyword starting at `pos` of `text`: a key holding separators when
  // one matches there, else the word at `pos`. *len is set on success.
  KeywordHit MatchKeywordAt(const std::shared_ptr<const kestrel::KeywordTable>& table,
                            std::u16string_view text, std::size_t pos, std::size_t* len) const;
  // The same for a caller that holds the table already (the colouring
  // pass): the index in `table`, or -1.
  int32_t MatchKeywordIndex(const kestrel::KeywordTable& table, std::u16string_view text, std::size_t pos,
                            std::size_t* len) const;

  // The active list; readers keep the returned table alive while they use
  // it, so a completion list published meanwhile never frees it under them.
  std::shared_ptr<const kestrel::KeywordTable> ActiveKeywords() const;
  std::shared_ptr<const kestrel::KeywordTable> DefaultKeywords() const;
  // Makes `table` the active list (nullptr: the default keywords again).
  void PublishKeywords(std::shared_ptr<const kestrel::KeywordTable> table);
  // A table with this tokenizer's case rule, ready for Add() and FinishTable().
  std::shared_ptr<kestrel::KeywordTable> NewTable() const;
  void FinishTable(kestrel::KeywordTable& table) const;

 protected:
  static constexpr uint8_t kClsSeparator = 0x01;
  static constexpr uint8_t kClsQuote = 0x02;
  static constexpr uint8_t kClsCommentStart = 0x04;
  static constexpr uint8_t kClsBracket = 0x08;
  static constexpr uint8_t kClsOperator = 0x10;
  static constexpr uint8_t kClsBind = 0x20;
  static constexpr uint8_t kClsBlank = 0x40;
  static constexpr uint8_t kClsDoubled = 0x80;
  static constexpr uint8_t kClsNotWord =
      kClsSeparator | kClsQuote | kClsOperator | kClsBlank | kClsBracket | kClsBind;

  struct LineComment {
    std::u16string start;
    int32_t kind = 0;
  };

  // Whether a block or line comment starts at `pos`.
  bool StartsBlockComment(std::u16string_view text, std::size_t pos) const;
  bool StartsLineComment(std::u16string_view text, std::size_t pos) const;
  // The alternative quote starting at `pos` (q'x or nq'x): its prefix length
  // up to and including the opening delimiter, and the closing delimiter.
  bool StartsAltQuote(std::u16string_view text, std::size_t pos, std::size_t* prefix,
                      char16_t* close) const;
  // Scans on from `pos` inside the construct `state` names; returns the end
  // position and resets the state when the construct closes.
  std::size_t ContinueOpen(std::u16string_view text, std::size_t pos, LexState* state) const;

  std::array<uint8_t, 256> cls_{};
  std::array<char16_t, 256> opening_{};
  std::u16string block_start_;
  std::u16string block_end_;
  std::vector<LineComment> line_comments_;
  bool case_insensitive_ = false;
  bool alt_quoting_ = false;

 private:
  mutable std::mutex lock_;  // guards default_ and active_, nothing else
  std::shared_ptr<const kestrel::KeywordTable> default_;
  std::shared_ptr<const kestrel::KeywordTable> active_;
};
