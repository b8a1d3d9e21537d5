#include "app/qt/qt_window_placement.h"

#include <QGuiApplication>
#include <QMargins>
#include <QPoint>
#include <QRect>
#include <QScreen>
#include <QThread>
#include <QWidget>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <vector>

#if defined(ORVIMO_WITH_XCB) && QT_CONFIG(xcb)
#include <xcb/xcb.h>
#endif

namespace orvimo {

namespace {

constexpr int kDefaultPixelsPerInch = 96;
constexpr int kShowNormal = 1, kShowMinimized = 2, kShowMaximized = 3;
// Where the window manager does not tell its frame before the window is shown: a usual title bar.
constexpr int kAssumedTitleBarHeight = 24;

ScreenRect ToScreenRect(const QRect& rect) {
  return {rect.left(), rect.top(), rect.left() + rect.width(), rect.top() + rect.height()};
}

#if defined(ORVIMO_WITH_XCB) && QT_CONFIG(xcb)

xcb_atom_t Atom(xcb_connection_t* connection, const char* name) {
  xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
      connection, xcb_intern_atom(connection, 0, static_cast<uint16_t>(std::strlen(name)), name), nullptr);
  const xcb_atom_t atom = reply != nullptr ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
  std::free(reply);
  return atom;
}

// The first `count` 32-bit numbers of a window's property, nullopt while it has fewer.
std::optional<std::vector<uint32_t>> Cardinals(xcb_connection_t* connection, xcb_window_t window,
                                               xcb_atom_t name, xcb_atom_t type, uint32_t count) {
  xcb_get_property_reply_t* reply = xcb_get_property_reply(
      connection, xcb_get_property(connection, 0, window, name, type, 0, count), nullptr);
  std::optional<std::vector<uint32_t>> values;
  if (reply != nullptr && reply->format == 32 &&
      xcb_get_property_value_length(reply) >= static_cast<int>(4 * count)) {
    const auto* first = static_cast<const uint32_t*>(xcb_get_property_value(reply));
    values.emplace(first, first + count);
  }
  std::free(reply);
  return values;
}

// Every window manager redirects the root window's children to itself; without one, nothing frames a
// window.
bool WindowManagerRuns(xcb_connection_t* connection, xcb_window_t root) {
  xcb_get_window_attributes_reply_t* attributes =
      xcb_get_window_attributes_reply(connection, xcb_get_window_attributes(connection, root), nullptr);
  const bool runs =
      attributes != nullptr && (attributes->all_event_masks & XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT) != 0;
  std::free(attributes);
  return runs;
}

// The frame the window manager will put around the window, asked for before the window is mapped
// (_NET_REQUEST_FRAME_EXTENTS). No margins without a window manager; nullopt off X, or where the window
// manager does not answer within a moment (one that knows no such request).
std::optional<QMargins> FrameBeforeMapping(QWidget* window) {
  constexpr int kTries = 20, kTryIntervalMs = 5;
  auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
  xcb_connection_t* connection = x11 ? x11->connection() : nullptr;
  if (connection == nullptr) return std::nullopt;
  const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
  if (!WindowManagerRuns(connection, root)) return QMargins();
  xcb_client_message_event_t request{};
  request.response_type = XCB_CLIENT_MESSAGE;
  request.format = 32;
  request.window = static_cast<xcb_window_t>(window->winId());
  request.type = Atom(connection, "_NET_REQUEST_FRAME_EXTENTS");
  xcb_send_event(connection, 0, root,
                 XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT,
                 reinterpret_cast<const char*>(&request));
  xcb_flush(connection);
  const xcb_atom_t extents = Atom(connection, "_NET_FRAME_EXTENTS");
  for (int attempt = 0; attempt < kTries; ++attempt) {
    if (const auto frame = Cardinals(connection, request.window, extents, XCB_ATOM_CARDINAL, 4)) {
      const std::vector<uint32_t>& f = *frame;  // left, right, top, bottom
      return QMargins(static_cast<int>(f[0]), static_cast<int>(f[2]), static_cast<int>(f[1]),
                      static_cast<int>(f[3]));
    }
    QThread::msleep(kTryIntervalMs);
  }
  return std::nullopt;
}

#else

std::optional<QMargins> FrameBeforeMapping(QWidget*) { return std::nullopt; }

#endif

// The frame's margins: Qt's once the window has been framed, else the window manager's answer, else a
// usual title bar.
QMargins FrameMargins(QWidget* window) {
  const QRect frame = window->frameGeometry();
  const QRect client = window->geometry();
  if (frame != client) {
    return QMargins(client.left() - frame.left(), client.top() - frame.top(), frame.right() - client.right(),
                    frame.bottom() - client.bottom());
  }
  return FrameBeforeMapping(window).value_or(QMargins(0, kAssumedTitleBarHeight, 0, 0));
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
  // Wayland tells a client no place and takes none; offscreen and minimal have no screen anybody sees,
  // and a place clamped to theirs would overwrite the one a desktop session stored.
  const QString platform = QGuiApplication::platformName();
  return !platform.startsWith(QLatin1String("wayland")) && platform != QLatin1String("offscreen") &&
         platform != QLatin1String("minimal");
}

std::vector<ScreenRect> QtWindowPlacement::Screens() const {
  std::vector<ScreenRect> screens;
  for (const QScreen* screen : QGuiApplication::screens())
    screens.push_back(ToScreenRect(screen->geometry()));
  return screens;
}

std::vector<ScreenRect> QtWindowPlacement::VitalParts() const {
  // Relative to the client area's corner: the title bar spans the frame above it.
  const QMargins frame = FrameMargins(window_);
  std::vector<ScreenRect> parts{{-frame.left(), -frame.top(), window_->width() + frame.right(), 0}};
  if (keepReachable_ != nullptr) {
    parts.push_back(
        ToScreenRect(QRect(keepReachable_->mapTo(window_, QPoint(0, 0)), keepReachable_->size())));
  }
  return parts;
}

}  // namespace orvimo
