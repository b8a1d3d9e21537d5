#include "app/qt/qt_window_flasher.h"

#include <QApplication>

namespace orvimo {

void QtWindowFlasher::FlashAppWindow(int /*count*/) {
  if (window_) QApplication::alert(window_, 0);
}

}  // namespace orvimo
