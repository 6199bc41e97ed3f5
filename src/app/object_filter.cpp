#include "app/object_filter.h"

#include "regex/regex.h"

namespace kestrel {

ObjectFilter::ObjectFilter() = default;
ObjectFilter::~ObjectFilter() = default;

bool ObjectFilter::SetText(std::u16string_view text) {
  bool was_valid = valid_;
  re_.reset();
  valid_ = true;
  if (!text.empty()) {
    re_ = compile_regex(text, kRegexIgnoreCase);
    valid_ = re_ != nullptr;
  }
  return valid_ != was_valid;
}

std::vector<int32_t> ObjectFilter::Apply(const std::vector<std::u16string>& names) {
  std::vector<int32_t> shown;
  shown.reserve(names.size());
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (!re_ || re_->execute(names[i]) == 1) shown.push_back(static_cast<int32_t>(i));
  }
  return shown;
}

}  // namespace kestrel
