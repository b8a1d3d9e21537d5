// Tells when the desktop's screen locker comes on and goes off, as the screen savers of the common
// desktops announce it on the session bus. A compositing desktop never reports the recorder's window
// as covered, so there this is how a locked screen lets the meter sleep.
#pragma once

#include <QDBusConnection>
#include <QObject>

#include <functional>

namespace orvimo {

class ScreenLockWatch : public QObject {
  Q_OBJECT

 public:
  // changed(locked) runs on each change a screen saver announces. Without a bus nothing is ever told.
  ScreenLockWatch(QDBusConnection bus, std::function<void(bool locked)> changed);

  bool Locked() const { return locked_; }

 private slots:
  void ActiveChanged(bool active);

 private:
  const std::function<void(bool locked)> changed_;
  bool locked_ = false;
};

}  // namespace orvimo
