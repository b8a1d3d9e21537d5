#include "app/qt/screen_presence.h"

#include <QEvent>
#include <QWidget>
#include <QWindow>

#include "controls/qt/x11_cover_watch.h"

namespace orvimo {

namespace {

// The events after which the window may have appeared or disappeared. An expose with an empty region
// is how the window system says the window is fully covered or unmapped.
bool MayChangePresence(QEvent::Type type) {
  switch (type) {
    case QEvent::Show:
    case QEvent::Hide:
    case QEvent::WindowStateChange:
    case QEvent::Expose:
    case QEvent::WinIdChange:
      return true;
    default:
      return false;
  }
}

}  // namespace

ScreenPresence::ScreenPresence(QWidget& window, std::function<void(bool shown)> changed, QDBusConnection bus)
    : window_(window),
      changed_(std::move(changed)),
      lockWatch_(std::move(bus), [this](bool) { RecheckLater(); }) {
  window_.installEventFilter(this);
  WatchWindowHandle();
  RecheckLater();
}

ScreenPresence::~ScreenPresence() = default;

void ScreenPresence::WatchWindowHandle() {
  QWindow* handle = window_.windowHandle();
  if (handle == watchedHandle_) return;
  if (watchedHandle_) watchedHandle_->removeEventFilter(this);
  watchedHandle_ = handle;
  if (handle != nullptr) handle->installEventFilter(this);
}

void ScreenPresence::WatchCover() {
  const uintptr_t id = watchedHandle_ && watchedHandle_->handle() ? watchedHandle_->winId() : 0;
  if (id == coverWatchedId_) return;
  coverWatchedId_ = id;
  coverWatch_.reset();
  if (id != 0) coverWatch_ = X11CoverWatch::ForWindow(id, [this](bool) { RecheckLater(); });
}

bool ScreenPresence::eventFilter(QObject* watched, QEvent* event) {
  if (MayChangePresence(event->type())) RecheckLater();
  return QObject::eventFilter(watched, event);
}

void ScreenPresence::RecheckLater() {
  if (recheckPending_) return;
  recheckPending_ = true;
  QMetaObject::invokeMethod(this, &ScreenPresence::Recheck, Qt::QueuedConnection);
}

void ScreenPresence::Recheck() {
  recheckPending_ = false;
  WatchWindowHandle();
  WatchCover();
  const bool covered = coverWatch_ && coverWatch_->Covered();
  const bool shown = window_.isVisible() && !window_.isMinimized() && watchedHandle_ != nullptr &&
                     watchedHandle_->isExposed() && !covered && !lockWatch_.Locked();
  if (shown == shown_) return;
  shown_ = shown;
  changed_(shown);
}

}  // namespace orvimo
