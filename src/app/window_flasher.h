#pragma once

#include <string>

namespace orvimo {

// Draws the user's attention to the window: the taskbar button and caption flash count times.
class WindowFlasher {
 public:
  virtual ~WindowFlasher() = default;
  virtual void FlashAppWindow(int count) = 0;
  // After the flash of a recording that finished as scheduled: where a flash shows nothing, the user
  // is told which recording finished in another way.
  virtual void RecordingFinished(const std::string& /*fileName*/) {}
};

}  // namespace orvimo
