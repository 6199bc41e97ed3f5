// A sorted table of keywords with a first-character index, shared between
// the tokenizer's default keywords and the completion list. A table is
// built privately, finished once, and from then on only read, so readers on
// any thread may hold it through a shared pointer.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kestrel {

struct KeywordEntry {
  std::u16string key;          // sorted and searched by: upper-cased when case-insensitive
  std::u16string word;         // as written in the file or returned by the dictionary
  std::u16string upper;        // ASCII letters upper-cased
  int32_t key_len = 0;         // in UTF-16 units
  int32_t kind = 1;            // 1 KEYWORD, 2 KEYWORD2, 4 dictionary word
  std::u16string kind_name;    // "KEYWORD", "KEYWORD2", or the object/data type
  std::u16string description;  // the object's comment, if any
};

class KeywordTable {
 public:
  struct Slot {
    int32_t first = -1;            // first index with this first character, -1 when none
    int32_t last = -1;             // last index with this first character
    bool has_separator_key = false;  // some key here contains a separator
    int32_t sep_begin = 0;         // those keys: separator_keys_[sep_begin, sep_end)
    int32_t sep_end = 0;
  };
  using SeparatorTest = std::function<bool(char16_t)>;

  explicit KeywordTable(bool case_insensitive = true) : case_insensitive_(case_insensitive) {}

  bool case_insensitive() const { return case_insensitive_; }

  // Builds an entry for a file keyword or a dictionary word and appends it.
  // Call Finish() before looking anything up.
  void Add(std::u16string_view word, int32_t kind, std::u16string_view kind_name,
           std::u16string_view description = {});
  // Appends a finished entry as it is (for copying another table's words).
  void AddEntry(const KeywordEntry& entry);
  void Reserve(std::size_t n) { entries_.reserve(n); }

  // Sorts by key (UTF-16 code units, stable, so of two equal keys the one
  // added first is found) and rebuilds the first-character index.
  void Finish(const SeparatorTest& is_separator);

  // Index of the entry whose key equals `word` (upper-cased first when the
  // table is case-insensitive), or -1.
  int32_t Find(std::u16string_view word) const;

  // The entries whose key starts with `prefix` (folded like Find), as the
  // index range [first, last) in key order, for the completion popup. An
  // empty prefix gives every entry.
  std::pair<int32_t, int32_t> FindPrefix(std::u16string_view prefix) const;

  // The separate path for keys containing a separator (such as "%ROWTYPE"
  // or "ORDER BY"), which the word scanner cannot deliver as one word: the
  // longest such key that `text` starts with at `pos` and that does not end
  // inside a word. Returns its index and sets *len, or -1.
  int32_t FindSeparatorKeyAt(std::u16string_view text, std::size_t pos, std::size_t* len,
                             const std::function<bool(char16_t)>& is_word_char) const;

  std::size_t size() const { return entries_.size(); }
  bool empty() const { return entries_.empty(); }
  const KeywordEntry& operator[](std::size_t i) const { return entries_[i]; }
  const std::vector<KeywordEntry>& entries() const { return entries_; }
  const Slot& slot(char16_t first) const { return index_[SlotOf(first)]; }

  int32_t longest_key() const { return longest_key_; }
  char16_t lowest_first() const { return lowest_first_; }
  char16_t highest_first() const { return highest_first_; }

  static std::size_t SlotOf(char16_t c) { return c < 128 ? c : 128; }

 private:
  void NoteKey(const KeywordEntry& e);

  bool case_insensitive_;
  std::vector<KeywordEntry> entries_;
  std::array<Slot, 129> index_{};
  std::vector<int32_t> separator_keys_;  // indexes of keys holding a separator, in key order
  int32_t longest_key_ = 0;
  char16_t lowest_first_ = 0xFFFF;
  char16_t highest_first_ = 0;
};

}  // namespace kestrel
