#include "app/qt/screen_lock_watch.h"

namespace orvimo {

namespace {

// The screen savers' interfaces whose ActiveChanged(bool) says the screen locked or unlocked: the
// freedesktop one (KDE, Xfce, LXQt, light-locker), GNOME's, MATE's and Cinnamon's. Any sender and any
// object path: the desktops differ in the path.
constexpr const char* kScreenSaverInterfaces[] = {"org.freedesktop.ScreenSaver", "org.gnome.ScreenSaver",
                                                  "org.mate.ScreenSaver", "org.cinnamon.ScreenSaver"};

}  // namespace

ScreenLockWatch::ScreenLockWatch(QDBusConnection bus, std::function<void(bool locked)> changed)
    : changed_(std::move(changed)) {
  if (!bus.isConnected()) return;
  for (const char* interface : kScreenSaverInterfaces) {
    bus.connect(QString(), QString(), QString::fromLatin1(interface), QStringLiteral("ActiveChanged"), this,
                SLOT(ActiveChanged(bool)));
  }
}

void ScreenLockWatch::ActiveChanged(bool active) {
  if (active == locked_) return;
  locked_ = active;
  changed_(active);
}

}  // namespace orvimo
