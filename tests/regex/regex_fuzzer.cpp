// libFuzzer target: compile any pattern with any flags, then run execute,
// the text-source search and replace-all on a subject. Input layout: one
// flags byte, then UTF-16 units (two bytes each, lone surrogates allowed);
// the first U+0000 unit separates the pattern from the subject.
//   cmake -DCMAKE_CXX_COMPILER=clang++ -DKESTREL_REGEX_FUZZER=ON ...
//   ./regex_fuzzer -max_total_time=600 corpus/
#include <cstddef>
#include <cstdint>
#include <string>

#include "regex/regex.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kestrel;
  if (size < 1) return 0;
  const unsigned flags = data[0] & 7;
  std::u16string units;
  for (std::size_t i = 1; i + 1 < size; i += 2) units.push_back(static_cast<char16_t>(data[i] | (data[i + 1] << 8)));
  const std::size_t cut = units.find(u'\0');
  const std::u16string pattern = units.substr(0, cut);
  const std::u16string subject = cut == std::u16string::npos ? std::u16string() : units.substr(cut + 1);
  if (pattern.size() > 300 || subject.size() > 2000) return 0;

  RegexError err;
  auto re = compile_regex(pattern, flags, &err);
  if (re) {
    re->set_step_limit(20000);
    if (re->execute(subject) == 1) {
      for (int g = 0; g <= re->group_count(); ++g) {
        TextPos s, e;
        re->submatch(g, &s, &e);
        if (s != kNoTextPos && (s > e || e > static_cast<TextPos>(subject.size()))) __builtin_trap();
      }
    }
    StringTextSource src(subject);
    re->execute(src, 0);
    std::u16string out;
    regex_replace(*re, subject, u"<$1\\&$`$'$+${x}>", RegexReplaceSyntax::kTemplate, RegexReplaceScope::kAll, out);
  } else if (err.code == RegexErrorCode::kNone) {
    __builtin_trap();  // a failed compile always says why
  }
  auto plain = compile_plain_text(pattern, flags);
  if (!plain) __builtin_trap();
  if (plain->execute(subject) == 1 && plain->match_length() != static_cast<std::int64_t>(pattern.size()) &&
      !(flags & kRegexIgnoreWidth)) {
    __builtin_trap();
  }
  return 0;
}
