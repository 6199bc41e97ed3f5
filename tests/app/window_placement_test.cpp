#include "app/window_placement.h"

#include <gtest/gtest.h>

#include <climits>

#include "app/current_connection.h"

namespace kestrel {
namespace {

TEST(WindowPlacement, Table) {
  const WorkArea desk{0, 0, 1920, 1040};    // panel at the bottom
  const WorkArea top_bar{0, 32, 1920, 1080};  // panel at the top
  const WorkArea second{1920, 0, 3840, 1040};
  struct Case {
    const char* name;
    WinRect saved;
    WorkArea work;
    std::optional<WinRect> expected;
  } cases[] = {
      {"fits", {100, 100, 800, 600}, desk, WinRect{100, 100, 800, 600}},
      {"no size saved", {100, 100, 0, 600}, desk, std::nullopt},
      {"negative size", {100, 100, -5, 600}, desk, std::nullopt},
      {"above and left of the work area", {-50, 10, 800, 600}, top_bar, WinRect{0, 32, 800, 600}},
      {"hangs past the bottom", {100, 700, 800, 600}, desk, WinRect{100, 0, 800, 600}},
      {"hangs past the right", {1500, 100, 800, 600}, desk, WinRect{0, 100, 800, 600}},
      {"larger than the work area", {300, 200, 2500, 1500}, desk, WinRect{0, 0, 1920, 1040}},
      {"taller than a work area below a panel", {0, 0, 800, 2000}, top_bar, WinRect{0, 32, 800, 1048}},
      {"exactly the work area", {0, 0, 1920, 1040}, desk, WinRect{0, 0, 1920, 1040}},
      {"on a second screen", {2000, 100, 800, 600}, second, WinRect{2000, 100, 800, 600}},
      {"absurd numbers", {INT_MAX, INT_MAX, INT_MAX, INT_MAX}, desk, WinRect{0, 0, 1920, 1040}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::optional<WinRect> r = place_window(c.saved, c.work);
    ASSERT_EQ(r.has_value(), c.expected.has_value());
    if (r) {
      EXPECT_EQ(r->left, c.expected->left);
      EXPECT_EQ(r->top, c.expected->top);
      EXPECT_EQ(r->width, c.expected->width);
      EXPECT_EQ(r->height, c.expected->height);
    }
  }
}

TEST(FrameTitle, Formats) {
  CurrentConnection c;
  EXPECT_EQ(frame_title(c, u""), u"kestrel - 無題");
  c.label = connection_label(u"SCOTT", u"demo", false);
  EXPECT_EQ(frame_title(c, u"EMP"), u"SCOTT@demo - EMP");
  c.notes = u"本番";
  EXPECT_EQ(frame_title(c, u"EMP"), u"本番(SCOTT@demo) - EMP");
  EXPECT_EQ(connection_label(u"a", u"b", true), u"a@b OCI7");
}

}  // namespace
}  // namespace kestrel
