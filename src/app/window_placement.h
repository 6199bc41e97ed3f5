// Where the main window opens, from the saved WINDOW keys and the screen's
// work area (the screen minus panels and docks).
#pragma once

#include <optional>

namespace kestrel {

struct WinRect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  bool operator==(const WinRect&) const = default;
};

struct WorkArea {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
};

// The window's rectangle, or nullopt when the saved size is not usable (width
// or height not positive) and the window stays where the system put it.
// The position is kept inside the work area's top-left; a window reaching
// past the work area's height or width is moved to its origin, and when it
// still does not fit it is given the work area's height or width (never the
// full screen's, so it cannot hide under a panel).
std::optional<WinRect> place_window(const WinRect& saved, const WorkArea& work);

}  // namespace kestrel
