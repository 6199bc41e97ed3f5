// Search highlight spans: every match, empty matches, surrogates, and a
// search the step budget abandons.
#include <gtest/gtest.h>

#include "gridctrl/grid_highlight.h"
#include "regex/regex.h"

using namespace kestrel;

namespace {

using Spans = std::vector<std::pair<std::size_t, std::size_t>>;

struct HighlightCase {
  const char* name;
  std::u16string pattern;
  std::u16string text;
  Spans expected;
};

class Highlight : public ::testing::TestWithParam<HighlightCase> {};

TEST_P(Highlight, SplitsAtEveryMatch) {
  const HighlightCase& c = GetParam();
  auto re = compile_regex(c.pattern, 0);
  ASSERT_TRUE(re);
  EXPECT_EQ(HighlightSpans(*re, c.text), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Highlight,
    ::testing::Values(HighlightCase{"EveryMatch", u"b", u"abcb", {{1, 2}, {3, 4}}},
                      HighlightCase{"Adjacent", u"a", u"aa", {{0, 1}, {1, 2}}},
                      HighlightCase{"EmptyMatchesHighlightNothing", u"x*", u"abc", {}},
                      HighlightCase{"EmptyAndRealMatches", u"b*", u"abba", {{1, 3}}},
                      HighlightCase{"SurrogatePairStepsWhole", u"\U00020BB7?", u"a\U00020BB7", {{1, 3}}},
                      HighlightCase{"Japanese", u"営業", u"営業(営業)", {{0, 2}, {3, 5}}},
                      HighlightCase{"NoMatch", u"z", u"abc", {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(HighlightAbandoned, DrawsTheCellPlain) {
  auto re = compile_regex(u"(a|aa)*c", 0);
  ASSERT_TRUE(re);
  re->set_step_limit(50);
  std::u16string text(u"c");
  text += std::u16string(200, u'a');
  // The first "c" matches within the budget; the long run of a's does not.
  EXPECT_EQ(HighlightSpans(*re, text), Spans{});
}

}  // namespace
