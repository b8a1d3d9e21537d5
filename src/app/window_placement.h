#pragma once

namespace orvimo {

// A window's placement as the store keeps it: flags, show state (1 normal, 2 minimised, 3 maximised),
// minimised and maximised positions, and the normal rectangle in screen pixels (right and bottom
// exclusive).
struct WindowPlacement {
  int flags = 0, showCmd = 1;
  int minX = -1, minY = -1, maxX = -1, maxY = -1;
  int left = 0, top = 0, right = 0, bottom = 0;
};

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
};

}  // namespace orvimo
