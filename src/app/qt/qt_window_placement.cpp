#include "app/qt/qt_window_placement.h"

#include <QGuiApplication>
#include <QPoint>
#include <QRect>
#include <QScreen>
#include <QWidget>
#include <cmath>

namespace orvimo {

namespace {

constexpr int kDefaultPixelsPerInch = 96;
constexpr int kShowNormal = 1, kShowMinimized = 2, kShowMaximized = 3;
// Before the window manager has framed the window its title bar's height is unknown: a usual one.
constexpr int kAssumedTitleBarHeight = 24;

ScreenRect ToScreenRect(const QRect& rect) {
  return {rect.left(), rect.top(), rect.left() + rect.width(), rect.top() + rect.height()};
}

}  // namespace

QtWindowPlacement::QtWindowPlacement(QWidget* window, QWidget* keepReachable)
    : window_(window), keepReachable_(keepReachable) {}

WindowPlacement QtWindowPlacement::Get() const {
  WindowPlacement placement;
  if (window_->isMinimized())
    placement.showCmd = kShowMinimized;
  else if (window_->isMaximized())
    placement.showCmd = kShowMaximized;
  else
    placement.showCmd = kShowNormal;
  // The client area, as Set() takes it: a frame's corner given before the frame exists would be taken
  // as the client's, and the window would creep by its title bar at every start.
  const QRect client = window_->geometry();
  placement.left = client.x();
  placement.top = client.y();
  placement.right = placement.left + client.width();
  placement.bottom = placement.top + client.height();
  return placement;
}

void QtWindowPlacement::Set(const WindowPlacement& placement) {
  window_->setGeometry(placement.left, placement.top, window_->width(), window_->height());
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

bool QtWindowPlacement::KnowsPosition() const {
  return !QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

std::vector<ScreenRect> QtWindowPlacement::Screens() const {
  std::vector<ScreenRect> screens;
  for (const QScreen* screen : QGuiApplication::screens())
    screens.push_back(ToScreenRect(screen->geometry()));
  return screens;
}

std::vector<ScreenRect> QtWindowPlacement::VitalParts() const {
  // Relative to the client area's corner; the frame's margins once the window manager has told them.
  const QRect frame = window_->frameGeometry();
  const QRect client = window_->geometry();
  const int titleBarHeight = frame != client ? client.top() - frame.top() : kAssumedTitleBarHeight;
  std::vector<ScreenRect> parts{
      {frame.left() - client.left(), -titleBarHeight, frame.right() + 1 - client.left(), 0}};
  if (keepReachable_ != nullptr) {
    parts.push_back(
        ToScreenRect(QRect(keepReachable_->mapTo(window_, QPoint(0, 0)), keepReachable_->size())));
  }
  return parts;
}

}  // namespace orvimo
