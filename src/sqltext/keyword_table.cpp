#include "sqltext/keyword_table.h"

#include <algorithm>

#include "platform/utf16.h"

namespace kestrel {

namespace {

// Lookups fold every character they compare, so the fold is inline here.
inline char16_t Fold(char16_t c) { return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - 32) : c; }

// Orders a key against a word under test, folding the word's ASCII letters
// when the table is case-insensitive. Folding on the fly means the word is
// never copied, whatever its length.
int CompareKey(std::u16string_view key, std::u16string_view word, bool fold) {
  std::size_t n = std::min(key.size(), word.size());
  for (std::size_t i = 0; i < n; ++i) {
    char16_t w = fold ? Fold(word[i]) : word[i];
    if (key[i] != w) return key[i] < w ? -1 : 1;
  }
  if (key.size() == word.size()) return 0;
  return key.size() < word.size() ? -1 : 1;
}

}  // namespace

void KeywordTable::Add(std::u16string_view word, int32_t kind, std::u16string_view kind_name,
                       std::u16string_view description) {
  KeywordEntry e;
  e.word.assign(word);
  e.upper = ascii_upper(word);
  e.key = case_insensitive_ ? e.upper : e.word;
  e.key_len = static_cast<int32_t>(e.key.size());
  e.kind = kind;
  e.kind_name.assign(kind_name);
  e.description.assign(description);
  entries_.push_back(std::move(e));
}

void KeywordTable::AddEntry(const KeywordEntry& entry) { entries_.push_back(entry); }

void KeywordTable::NoteKey(const KeywordEntry& e) {
  if (e.key.empty()) return;
  longest_key_ = std::max(longest_key_, e.key_len);
  char16_t first = e.key[0];
  if (case_insensitive_) first = ascii_upper(first);
  lowest_first_ = std::min(lowest_first_, first);
  highest_first_ = std::max(highest_first_, first);
}

void KeywordTable::Finish(const SeparatorTest& is_separator) {
  std::stable_sort(entries_.begin(), entries_.end(),
                   [](const KeywordEntry& a, const KeywordEntry& b) { return a.key < b.key; });
  index_.fill(Slot{});
  separator_keys_.clear();
  longest_key_ = 0;
  lowest_first_ = 0xFFFF;
  highest_first_ = 0;
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    const KeywordEntry& e = entries_[i];
    if (e.key.empty()) continue;
    NoteKey(e);
    Slot& s = index_[SlotOf(e.key[0])];
    if (s.first < 0) s.first = static_cast<int32_t>(i);
    s.last = static_cast<int32_t>(i);
    if (is_separator && std::any_of(e.key.begin(), e.key.end(), [&](char16_t c) { return is_separator(c); })) {
      if (!s.has_separator_key) {
        s.has_separator_key = true;
        s.sep_begin = static_cast<int32_t>(separator_keys_.size());
      }
      separator_keys_.push_back(static_cast<int32_t>(i));
      s.sep_end = static_cast<int32_t>(separator_keys_.size());
    }
  }
}

int32_t KeywordTable::Find(std::u16string_view word) const {
  if (word.empty() || static_cast<int32_t>(word.size()) > longest_key_) return -1;
  char16_t first = case_insensitive_ ? Fold(word[0]) : word[0];
  const Slot& s = index_[SlotOf(first)];
  if (s.first < 0) return -1;
  auto begin = entries_.begin() + s.first;
  auto end = entries_.begin() + s.last + 1;
  auto it = std::lower_bound(begin, end, word, [this](const KeywordEntry& e, std::u16string_view w) {
    return CompareKey(e.key, w, case_insensitive_) < 0;
  });
  if (it == end || CompareKey(it->key, word, case_insensitive_) != 0) return -1;
  return static_cast<int32_t>(it - entries_.begin());
}

std::pair<int32_t, int32_t> KeywordTable::FindPrefix(std::u16string_view prefix) const {
  const auto n = static_cast<int32_t>(entries_.size());
  if (prefix.empty()) return {0, n};
  auto starts_with = [&](const KeywordEntry& e) {
    return e.key.size() >= prefix.size() && CompareKey(std::u16string_view(e.key).substr(0, prefix.size()), prefix,
                                                       case_insensitive_) == 0;
  };
  const char16_t first = case_insensitive_ ? Fold(prefix[0]) : prefix[0];
  const Slot& s = index_[SlotOf(first)];
  if (s.first < 0) return {0, 0};
  auto begin = entries_.begin() + s.first;
  auto end = entries_.begin() + s.last + 1;
  auto lo = std::lower_bound(begin, end, prefix, [this](const KeywordEntry& e, std::u16string_view w) {
    return CompareKey(e.key, w, case_insensitive_) < 0;
  });
  auto hi = lo;
  while (hi != end && starts_with(*hi)) ++hi;
  return {static_cast<int32_t>(lo - entries_.begin()), static_cast<int32_t>(hi - entries_.begin())};
}

int32_t KeywordTable::FindSeparatorKeyAt(std::u16string_view text, std::size_t pos, std::size_t* len,
                                         const std::function<bool(char16_t)>& is_word_char) const {
  if (pos >= text.size()) return -1;
  char16_t first = case_insensitive_ ? Fold(text[pos]) : text[pos];
  const Slot& s = index_[SlotOf(first)];
  if (s.first < 0 || !s.has_separator_key) return -1;
  std::u16string_view rest = text.substr(pos);
  int32_t best = -1;
  std::size_t best_len = 0;
  for (int32_t k = s.sep_begin; k < s.sep_end; ++k) {
    int32_t i = separator_keys_[k];
    const std::u16string& key = entries_[i].key;
    if (key.size() <= best_len || key.size() > rest.size()) continue;
    if (CompareKey(key, rest.substr(0, key.size()), case_insensitive_) != 0) continue;
    // "ORDER BY" must not match the start of "ORDER BYTES".
    if (is_word_char && key.size() < rest.size() && is_word_char(key.back()) &&
        is_word_char(rest[key.size()]))
      continue;
    best = i;
    best_len = key.size();
  }
  if (best >= 0 && len) *len = best_len;
  return best;
}

}  // namespace kestrel
