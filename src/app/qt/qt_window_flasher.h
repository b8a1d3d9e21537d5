#pragma once

#include <QPointer>
#include <QWidget>

#include "app/window_flasher.h"

namespace orvimo {

// Asks the window manager to draw attention to the main window (the urgency hint on X11, where the
// count of flashes is not ours to choose).
class QtWindowFlasher : public WindowFlasher {
 public:
  void SetWindow(QWidget* window) { window_ = window; }
  void FlashAppWindow(int count) override;

 private:
  QPointer<QWidget> window_;
};

}  // namespace orvimo
