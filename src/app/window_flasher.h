#pragma once

namespace orvimo {

// Draws the user's attention to the window: the taskbar button and caption flash count times.
class WindowFlasher {
 public:
  virtual ~WindowFlasher() = default;
  virtual void FlashAppWindow(int count) = 0;
};

}  // namespace orvimo
