#pragma once

#include <QPointer>
#include <QWidget>

#include <functional>

#include "app/window_flasher.h"

namespace orvimo {

// Asks the window manager to draw attention to the main window for as long as count flashes take at
// the cursor's blink rate (the urgency hint on X11, which has no count of its own; the hint is taken
// back after that time). An active window asks for nothing.
class QtWindowFlasher : public WindowFlasher {
 public:
  // The request itself: QApplication::alert, a window and a duration in milliseconds.
  using Alert = std::function<void(QWidget*, int)>;
  explicit QtWindowFlasher(Alert alert = nullptr);

  void SetWindow(QWidget* window) { window_ = window; }
  void FlashAppWindow(int count) override;

 private:
  Alert alert_;
  QPointer<QWidget> window_;
};

}  // namespace orvimo
