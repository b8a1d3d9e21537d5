#include "app/qt/screen_presence.h"

#include <QEvent>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <algorithm>

#include "app/status_texts.h"
#include "capture/audio_library.h"

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

std::chrono::milliseconds ScreenPresence::HiddenMeterInterval(int64_t bytesPerSecond) {
  constexpr int64_t kSlowest = 250;
  constexpr int64_t kFastest = 20;
  if (bytesPerSecond <= 0) return std::chrono::milliseconds(kSlowest);
  const int64_t quarterReserve = kDiskReserveBytes / 4 * 1000 / bytesPerSecond;
  return std::chrono::milliseconds(std::clamp(quarterReserve, kFastest, kSlowest));
}

ScreenPresence::ScreenPresence(QWidget& window, QTimer& meterTimer, capture::AudioLibrary& audio,
                               std::function<int64_t()> bytesPerSecond)
    : window_(window),
      meterTimer_(meterTimer),
      audio_(audio),
      bytesPerSecond_(std::move(bytesPerSecond)),
      shownInterval_(meterTimer.interval()) {
  window_.installEventFilter(this);
  WatchWindowHandle();
  RecheckLater();
}

void ScreenPresence::WatchWindowHandle() {
  QWindow* handle = window_.windowHandle();
  if (handle == watchedHandle_) return;
  if (watchedHandle_) watchedHandle_->removeEventFilter(this);
  watchedHandle_ = handle;
  if (handle != nullptr) handle->installEventFilter(this);
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
  const bool shown = window_.isVisible() && !window_.isMinimized() && watchedHandle_ != nullptr &&
                     watchedHandle_->isExposed();
  if (shown == shown_) return;
  shown_ = shown;
  // setInterval restarts a running timer and leaves a stopped one stopped.
  const auto hidden = HiddenMeterInterval(bytesPerSecond_());
  meterTimer_.setInterval(shown ? shownInterval_ : static_cast<int>(hidden.count()));
  audio_.SetLowPower(!shown);
}

}  // namespace orvimo
