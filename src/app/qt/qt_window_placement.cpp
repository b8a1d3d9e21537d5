#include "app/qt/qt_window_placement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <cmath>

namespace orvimo {

namespace {

constexpr int kDefaultPixelsPerInch = 96;
constexpr int kShowNormal = 1, kShowMinimized = 2, kShowMaximized = 3;

}  // namespace

QtWindowPlacement::QtWindowPlacement(QWidget* window) : window_(window) {}

WindowPlacement QtWindowPlacement::Get() const {
  WindowPlacement placement;
  if (window_->isMinimized())
    placement.showCmd = kShowMinimized;
  else if (window_->isMaximized())
    placement.showCmd = kShowMaximized;
  else
    placement.showCmd = kShowNormal;
  // pos() is the frame's corner, the same point move() takes, so a saved place comes back unchanged.
  const QRect frame = window_->frameGeometry();
  placement.left = window_->pos().x();
  placement.top = window_->pos().y();
  placement.right = placement.left + frame.width();
  placement.bottom = placement.top + frame.height();
  return placement;
}

void QtWindowPlacement::Set(const WindowPlacement& placement) {
  window_->move(placement.left, placement.top);
}

void QtWindowPlacement::SetPositionDesigned() {
  // A window marked as moved keeps its position instead of being placed by the window manager.
  window_->setAttribute(Qt::WA_Moved, true);
}

int QtWindowPlacement::PixelsPerInch() const {
  const QScreen* screen = window_->screen() != nullptr ? window_->screen() : QGuiApplication::primaryScreen();
  return screen != nullptr ? static_cast<int>(std::lround(screen->logicalDotsPerInch()))
                           : kDefaultPixelsPerInch;
}

int QtWindowPlacement::ScreenWidth() const {
  const QScreen* screen = QGuiApplication::primaryScreen();
  return screen != nullptr ? screen->size().width() : 0;
}

int QtWindowPlacement::ScreenHeight() const {
  const QScreen* screen = QGuiApplication::primaryScreen();
  return screen != nullptr ? screen->size().height() : 0;
}

bool QtWindowPlacement::ApplicationMinimized() const { return window_->isMinimized(); }

}  // namespace orvimo
