#include "app/qt/qt_window_flasher.h"

#include <QApplication>

#include <utility>

namespace orvimo {

namespace {

// One flash, on and off, when the desktop sets no cursor blink rate (or switches blinking off).
constexpr int kDefaultFlashMs = 1000;

}  // namespace

QtWindowFlasher::QtWindowFlasher(Alert alert)
    : alert_(alert ? std::move(alert)
                   : Alert([](QWidget* window, int ms) { QApplication::alert(window, ms); })) {}

void QtWindowFlasher::FlashAppWindow(int count) {
  if (!window_ || count <= 0) return;
  const int blink = QApplication::cursorFlashTime();
  const int flashMs = blink > 0 ? blink : kDefaultFlashMs;
  alert_(window_, count * flashMs);
}

}  // namespace orvimo
