#include "controls/qt/x11_cover_watch.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QGuiApplication>

#include <cstdlib>

#if defined(ORVIMO_WITH_XCB) && QT_CONFIG(xcb)
#include <xcb/xcb.h>
#endif

namespace orvimo {

X11CoverWatch::X11CoverWatch(uint32_t window, std::function<void(bool covered)> changed)
    : window_(window), changed_(std::move(changed)) {}

X11CoverWatch::~X11CoverWatch() {
  if (QCoreApplication* application = QCoreApplication::instance())
    application->removeNativeEventFilter(this);
}

#if defined(ORVIMO_WITH_XCB) && QT_CONFIG(xcb)

std::unique_ptr<X11CoverWatch> X11CoverWatch::ForWindow(uintptr_t window,
                                                        std::function<void(bool covered)> changed) {
  auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
  xcb_connection_t* connection = x11 ? x11->connection() : nullptr;
  if (!connection || window == 0) return nullptr;
  const auto id = static_cast<xcb_window_t>(window);
  // Event masks belong to the connection, which is Qt's: visibility changes are added to what Qt
  // already asked for, never put in its place.
  xcb_get_window_attributes_reply_t* attributes =
      xcb_get_window_attributes_reply(connection, xcb_get_window_attributes(connection, id), nullptr);
  if (!attributes) return nullptr;
  const uint32_t mask = attributes->your_event_mask | XCB_EVENT_MASK_VISIBILITY_CHANGE;
  std::free(attributes);
  std::unique_ptr<X11CoverWatch> watch(new X11CoverWatch(id, std::move(changed)));
  qGuiApp->installNativeEventFilter(watch.get());
  xcb_change_window_attributes(connection, id, XCB_CW_EVENT_MASK, &mask);
  xcb_flush(connection);
  return watch;
}

bool X11CoverWatch::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
  if (eventType != "xcb_generic_event_t") return false;
  const auto* event = static_cast<const xcb_generic_event_t*>(message);
  if ((event->response_type & 0x7f) != XCB_VISIBILITY_NOTIFY) return false;
  const auto* visibility = static_cast<const xcb_visibility_notify_event_t*>(message);
  if (visibility->window != window_) return false;
  const bool covered = visibility->state == XCB_VISIBILITY_FULLY_OBSCURED;
  if (covered != covered_) {
    covered_ = covered;
    changed_(covered);
  }
  return false;  // Qt sees the event as before
}

#else

std::unique_ptr<X11CoverWatch> X11CoverWatch::ForWindow(uintptr_t, std::function<void(bool)>) {
  return nullptr;
}
bool X11CoverWatch::nativeEventFilter(const QByteArray&, void*, qintptr*) { return false; }

#endif

}  // namespace orvimo
