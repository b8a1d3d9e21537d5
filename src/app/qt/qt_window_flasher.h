#pragma once

#include <QGuiApplication>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <functional>

#include "app/qt/desktop_notifications.h"
#include "app/window_flasher.h"

namespace orvimo {

// Asks the window manager to draw attention to the main window for as long as count flashes take at
// the cursor's blink rate (the urgency hint on X11, which has no count of its own; the hint is taken
// back after that time). An active window asks for nothing. On Wayland, where Qt cannot ask for
// attention, a recording that finished as scheduled is told as a desktop notification as well.
class QtWindowFlasher : public WindowFlasher {
 public:
  // The request itself: QApplication::alert, a window and a duration in milliseconds.
  using Alert = std::function<void(QWidget*, int)>;
  explicit QtWindowFlasher(Alert alert = nullptr, DesktopNotifications* notifications = nullptr,
                           const QString& platformName = QGuiApplication::platformName());

  void SetWindow(QWidget* window) { window_ = window; }
  void FlashAppWindow(int count) override;
  void RecordingFinished(const std::string& fileName) override;

 private:
  Alert alert_;
  DesktopNotifications* notifications_;  // only where a flash shows nothing
  QPointer<QWidget> window_;
};

}  // namespace orvimo
