#include "app/qt/dbus_shutdown.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <QDBusConnection>
#include <QDBusMessage>
#include <QString>
#include <QVariant>
#endif

namespace orvimo {

#ifdef _WIN32

namespace {

// Without this privilege ExitWindowsEx refuses to shut down; a failure here is left for
// ExitWindowsEx to report.
void EnableShutdownPrivilege() {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token)) return;
  TOKEN_PRIVILEGES privileges{};
  if (LookupPrivilegeValueA(nullptr, "SeShutdownPrivilege", &privileges.Privileges[0].Luid)) {
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    AdjustTokenPrivileges(token, FALSE, &privileges, sizeof(privileges), nullptr, nullptr);
  }
  CloseHandle(token);
}

}  // namespace

bool DbusShutdown::ShutdownComputer(uint32_t flags) {
  EnableShutdownPrivilege();
  return ExitWindowsEx(flags, 0) != 0;
}

#else

namespace {

constexpr uint32_t kRebootFlag = 2;
const char kConnectionName[] = "orvimo-shutdown";

// The classic flags name a reboot with bit 2; everything else that reaches us means power off.
QString LoginManagerMethod(uint32_t flags) {
  const bool reboot = (flags & kRebootFlag) != 0 && (flags & kShutdownPowerOff) == 0;
  return reboot ? QStringLiteral("Reboot") : QStringLiteral("PowerOff");
}

}  // namespace

bool DbusShutdown::ShutdownComputer(uint32_t flags) {
  // A private connection of our own, opened for this one request: the address is read from the
  // environment at this moment, and nothing of it stays behind in the process.
  bool accepted = false;
  {
    QDBusConnection bus = QDBusConnection::connectToBus(QDBusConnection::SystemBus, kConnectionName);
    if (bus.isConnected()) {
      QDBusMessage call = QDBusMessage::createMethodCall(
          QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
          QStringLiteral("org.freedesktop.login1.Manager"), LoginManagerMethod(flags));
      // interactive = false: no password prompt. It is no force: a block inhibitor held by another
      // program, or the desktop's policy, still makes the login manager refuse the power-off.
      call << QVariant(false);
      const QDBusMessage reply = bus.call(call, QDBus::Block, kCallTimeoutMs);
      accepted = reply.type() == QDBusMessage::ReplyMessage;
    }
  }
  QDBusConnection::disconnectFromBus(kConnectionName);
  return accepted;
}

#endif

}  // namespace orvimo
