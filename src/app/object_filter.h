// The table dialog's name filter: the filter text compiled as a
// case-insensitive regular expression picks the object names to list. An
// empty text lists every name; so does a text that does not compile, which
// also clears the valid flag the filter field shows.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace kestrel {

class Regex;

class ObjectFilter {
 public:
  ObjectFilter();
  ~ObjectFilter();
  ObjectFilter(const ObjectFilter&) = delete;
  ObjectFilter& operator=(const ObjectFilter&) = delete;

  // Takes a new filter text; returns true when the valid flag changed (the
  // field is then repainted).
  bool SetText(std::u16string_view text);
  bool valid() const { return valid_; }
  // Positions in `names` of the names listed, in order.
  std::vector<int32_t> Apply(const std::vector<std::u16string>& names);

 private:
  std::unique_ptr<Regex> re_;  // null: list everything
  bool valid_ = true;
};

}  // namespace kestrel
