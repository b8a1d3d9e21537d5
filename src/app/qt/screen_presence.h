// Tells whether the window can be seen, and lets what only feeds the screen sleep while it cannot.
#pragma once

#include <QObject>
#include <QPointer>

#include <cstdint>
#include <functional>
#include <memory>

#include "app/qt/screen_lock_watch.h"

class QWidget;
class QWindow;

namespace orvimo {

class X11CoverWatch;

// Watches a top-level window for being hidden, minimised, unmapped or wholly covered by other windows
// (as a screen locker's window covers it), and the screen for being locked, and says so at once, once
// per change, so that what only feeds the screen can sleep while nothing of the window is shown.
class ScreenPresence : public QObject {
  Q_OBJECT

 public:
  // changed(shown) runs on each change, after the event that caused it has been handled. The screen
  // lock is heard on the session bus.
  ScreenPresence(QWidget& window, std::function<void(bool shown)> changed,
                 QDBusConnection bus = QDBusConnection::sessionBus());
  ~ScreenPresence() override;

  bool Shown() const { return shown_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void WatchWindowHandle();
  // Qt does not tell a covered window from a shown one; on X the server does.
  void WatchCover();
  // After the event has been handled, when the window's flags and exposure tell the new state.
  void RecheckLater();
  void Recheck();

  QWidget& window_;
  const std::function<void(bool shown)> changed_;
  QPointer<QWindow> watchedHandle_;
  std::unique_ptr<X11CoverWatch> coverWatch_;
  uintptr_t coverWatchedId_ = 0;
  ScreenLockWatch lockWatch_;
  bool shown_ = true;
  bool recheckPending_ = false;
};

}  // namespace orvimo
