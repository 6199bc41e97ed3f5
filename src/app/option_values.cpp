#include "app/option_values.h"

#include <limits>

namespace kestrel {

std::optional<int32_t> parse_option_int(std::u16string_view text) {
  std::size_t i = 0, end = text.size();
  while (i < end && (text[i] == u' ' || text[i] == u'\t')) ++i;
  while (end > i && (text[end - 1] == u' ' || text[end - 1] == u'\t')) --end;
  bool negative = false;
  if (i < end && (text[i] == u'-' || text[i] == u'+')) negative = text[i++] == u'-';
  if (i == end) return std::nullopt;
  int64_t v = 0;
  for (; i < end; ++i) {
    if (text[i] < u'0' || text[i] > u'9') return std::nullopt;
    v = v * 10 + (text[i] - u'0');
    if (v > int64_t{std::numeric_limits<int32_t>::max()} + 1) return std::nullopt;
  }
  if (negative) v = -v;
  if (v < std::numeric_limits<int32_t>::min() || v > std::numeric_limits<int32_t>::max()) return std::nullopt;
  return static_cast<int32_t>(v);
}

}  // namespace kestrel
