#include "app/qt/qt_window_flasher.h"

#include <QApplication>

#include <utility>

namespace orvimo {

namespace {

// One flash, on and off, when the desktop sets no cursor blink rate (or switches blinking off).
constexpr int kDefaultFlashMs = 1000;

}  // namespace

QtWindowFlasher::QtWindowFlasher(Alert alert, DesktopNotifications* notifications,
                                 const QString& platformName)
    : alert_(alert ? std::move(alert)
                   : Alert([](QWidget* window, int ms) { QApplication::alert(window, ms); })),
      notifications_(platformName.startsWith(QLatin1String("wayland")) ? notifications : nullptr) {}

void QtWindowFlasher::FlashAppWindow(int count) {
  if (!window_ || count <= 0) return;
  const int blink = QApplication::cursorFlashTime();
  const int flashMs = blink > 0 ? blink : kDefaultFlashMs;
  alert_(window_, count * flashMs);
}

void QtWindowFlasher::RecordingFinished(const std::string& fileName) {
  if (notifications_ != nullptr) notifications_->RecordingFinished(fileName);
}

}  // namespace orvimo
