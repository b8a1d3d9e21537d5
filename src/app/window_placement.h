#pragma once

#include <vector>

namespace orvimo {

// A window's placement as the store keeps it: flags, show state (1 normal, 2 minimised, 3 maximised),
// minimised and maximised positions, and the normal rectangle in screen pixels (right and bottom
// exclusive).
struct WindowPlacement {
  int flags = 0, showCmd = 1;
  int minX = -1, minY = -1, maxX = -1, maxY = -1;
  int left = 0, top = 0, right = 0, bottom = 0;
};

// A rectangle in screen pixels, right and bottom exclusive.
struct ScreenRect {
  int left = 0, top = 0, right = 0, bottom = 0;
};

struct ScreenPoint {
  int x = 0, y = 0;
};

// Where a window whose stored corner is `corner` goes so that each of its vital parts (given relative to
// that corner) lies wholly on the screens: the corner itself when they do, otherwise the nearest corner
// that puts them all on one screen. Nothing known about the screens or the parts keeps the corner.
ScreenPoint KeepOnScreens(ScreenPoint corner, const std::vector<ScreenRect>& vitalParts,
                          const std::vector<ScreenRect>& screens);

// The main window and its screen, as far as the settings store needs them.
class WindowPlacementAccess {
 public:
  virtual ~WindowPlacementAccess() = default;
  virtual WindowPlacement Get() const = 0;
  virtual void Set(const WindowPlacement& placement) = 0;  // moves the window to left/top (fixed size)
  virtual void SetPositionDesigned() = 0;                  // stop the system from placing it again
  virtual int PixelsPerInch() const = 0;
  virtual int ScreenWidth() const = 0;
  virtual int ScreenHeight() const = 0;
  virtual bool ApplicationMinimized() const = 0;  // ShowCmd 2 when saved while minimised
  // False where a window neither learns nor sets its own position (Wayland): no place is stored then.
  virtual bool KnowsPosition() const { return true; }
  // The screens, and the parts of the window a user needs to reach it (title bar, record button)
  // relative to the corner Get() reports. Where the system keeps windows reachable itself, neither is
  // told and a stored place is used as it is.
  virtual std::vector<ScreenRect> Screens() const { return {}; }
  virtual std::vector<ScreenRect> VitalParts() const { return {}; }
};

}  // namespace orvimo
