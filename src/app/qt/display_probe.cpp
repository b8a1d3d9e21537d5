#include "app/qt/display_probe.h"

#include <QDir>
#include <QLibraryInfo>
#include <QStringList>
#include <QtGlobal>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>

#ifdef ORVIMO_WITH_XCB
#include <xcb/xcb.h>
#endif

namespace orvimo {

namespace {

bool X11Answers() {
#ifdef ORVIMO_WITH_XCB
  // The same library, display name and authority Qt's X platform uses.
  xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
  const bool answers = xcb_connection_has_error(connection) == 0;
  xcb_disconnect(connection);
  return answers;
#else
  return true;  // Qt finds out itself
#endif
}

// Where libwayland-client looks: an absolute WAYLAND_DISPLAY as it is, else inside XDG_RUNTIME_DIR.
QByteArray WaylandSocketPath() {
  const QByteArray name = qgetenv("WAYLAND_DISPLAY");
  if (name.startsWith('/')) return name;
  const QByteArray runtimeDir = qgetenv("XDG_RUNTIME_DIR");
  return runtimeDir.isEmpty() ? QByteArray() : runtimeDir + '/' + name;
}

bool WaylandSocketAnswers() {
  const QByteArray path = WaylandSocketPath();
  sockaddr_un address{};
  if (path.isEmpty() || static_cast<size_t>(path.size()) >= sizeof address.sun_path) return false;
  address.sun_family = AF_UNIX;
  std::memcpy(address.sun_path, path.constData(), static_cast<size_t>(path.size()));
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  const bool answers = ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
  ::close(fd);
  return answers;
}

// A compositor is of no use without Qt's Wayland platform, which is a package of its own.
bool QtSpeaksWayland() {
  QStringList folders = qEnvironmentVariable("QT_PLUGIN_PATH").split(QLatin1Char(':'), Qt::SkipEmptyParts);
  folders << QLibraryInfo::path(QLibraryInfo::PluginsPath);
  for (const QString& folder : folders) {
    if (!QDir(folder + QStringLiteral("/platforms"))
             .entryList({QStringLiteral("*wayland*")}, QDir::Files)
             .isEmpty())
      return true;
  }
  return false;
}

}  // namespace

DisplayEnvironment ProbeDisplays() {
  DisplayEnvironment environment{.x11Display = qEnvironmentVariable("DISPLAY").toStdString(),
                                 .waylandDisplay = qEnvironmentVariable("WAYLAND_DISPLAY").toStdString(),
                                 .platforms = qEnvironmentVariable("QT_QPA_PLATFORM").toStdString()};
  environment.x11Answers = !environment.x11Display.empty() && X11Answers();
  environment.waylandAnswers =
      !environment.waylandDisplay.empty() && WaylandSocketAnswers() && QtSpeaksWayland();
  return environment;
}

}  // namespace orvimo
