#include "sqltext/edit_colouring.h"

#include <algorithm>

#include "sqltext/sqltext_constants.h"
#include "sqltext/url_marker.h"

namespace kestrel {

namespace {

constexpr uint8_t kOwnedBits = kAttrKeyword | kAttrKeyword2 | kAttrDictionary | kAttrComment | kAttrQuote | kAttrUrl;

uint8_t KindBit(int32_t kind) {
  switch (kind) {
    case kKeywordKind2: return kAttrKeyword2;
    case kKeywordKindDictionary: return kAttrDictionary;
    default: return kAttrKeyword;
  }
}

void Fill(std::span<uint8_t> attr, std::size_t from, std::size_t len, uint8_t bit) {
  const std::size_t end = std::min(attr.size(), from + len);
  for (std::size_t i = from; i < end; ++i) attr[i] |= bit;
}

}  // namespace

CStrToken::LexState ColourLine(const CStrToken& tokenizer, const std::shared_ptr<const KeywordTable>& keywords,
                               std::u16string_view line, CStrToken::LexState in, std::span<uint8_t> attr,
                               bool mark_urls) {
  using TT = CStrToken::TokenType;
  for (uint8_t& a : attr) a &= static_cast<uint8_t>(~kOwnedBits);
  CStrToken::LexState state = in;
  for (std::size_t pos = 0; pos < line.size();) {
    CStrToken::Token t = tokenizer.ScanToken(line, pos, &state);
    if (t.type == TT::kEnd || t.length == 0) break;
    switch (t.type) {
      case TT::kLineComment:
      case TT::kBlockComment:
        Fill(attr, pos, t.length, kAttrComment);
        break;
      case TT::kQuoted:
        Fill(attr, pos, t.length, kAttrQuote);
        break;
      case TT::kWord:
      case TT::kOperator:
      case TT::kSeparator:
        // Operators and separators may start a key such as "%ROWTYPE".
        if (keywords && (t.type == TT::kWord || keywords->slot(line[pos]).has_separator_key)) {
          std::size_t len = 0;
          const int32_t i = tokenizer.MatchKeywordIndex(*keywords, line, pos, &len);
          if (i >= 0 && len >= t.length) {
            Fill(attr, pos, len, KindBit((*keywords)[static_cast<std::size_t>(i)].kind));
            t.length = len;
          }
        }
        break;
      default:
        break;
    }
    pos += t.length;
  }
  if (mark_urls) MarkUrls(line, attr);
  return state;
}

}  // namespace kestrel
