#include "app/object_filter.h"

#include <gtest/gtest.h>

namespace kestrel {
namespace {

TEST(ObjectFilterTest, ListsMatchesCaseInsensitivelyAndEverythingOnBadText) {
  const std::vector<std::u16string> names = {u"BONUS", u"DEPT", u"EMP", u"EMP_HIST", u"SALGRADE", u"社員"};
  struct Case {
    std::u16string text;
    std::vector<int32_t> shown;
    bool valid;
  } cases[] = {
      {u"", {0, 1, 2, 3, 4, 5}, true},
      {u"^e", {2, 3}, true},
      {u"EMP$", {2}, true},
      {u"(", {0, 1, 2, 3, 4, 5}, false},  // does not compile: everything, flag cleared
      {u"社", {5}, true},
  };
  ObjectFilter filter;
  for (const auto& c : cases) {
    filter.SetText(c.text);
    EXPECT_EQ(filter.Apply(names), c.shown);
    EXPECT_EQ(filter.valid(), c.valid);
  }
}

TEST(ObjectFilterTest, ReportsOnlyChangesOfTheValidFlag) {
  ObjectFilter filter;
  EXPECT_FALSE(filter.SetText(u"E"));
  EXPECT_TRUE(filter.SetText(u"E("));
  EXPECT_FALSE(filter.SetText(u"E(("));
  EXPECT_TRUE(filter.SetText(u"E(M)"));
}

}  // namespace
}  // namespace kestrel
