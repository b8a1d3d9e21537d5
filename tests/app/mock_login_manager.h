#pragma once

// A stand-in system bus and login manager for the requests the program makes over D-Bus: a private bus
// daemon plays the system bus, python3-dbusmock's logind template plays the login manager and records
// what it is asked. Nothing is powered off and no real lock is taken.

#include <QDBusConnection>
#include <QList>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QVariantList>

namespace orvimo::testing {

// The bus library reads DBUS_SYSTEM_BUS_ADDRESS once per process, so every bus of a test program
// listens on this one socket path; a test without a running daemon finds no bus there. main() calls
// UsePrivateSystemBus() before any bus is opened.
const QString& SystemBusAddress();
void UsePrivateSystemBus();

// A bus daemon of the session type standing in for the system bus.
class PrivateSystemBus {
 public:
  PrivateSystemBus();
  ~PrivateSystemBus();

  bool Running() const;
  const QString& Address() const { return SystemBusAddress(); }

 private:
  QTemporaryDir configDir_;
  QProcess daemon_;
};

// A python3-dbusmock template serving on a private bus (as the system or the session bus); its
// org.freedesktop.DBus.Mock interface tells which methods were called with which arguments.
class DbusMock {
 public:
  DbusMock(const QString& busAddress, bool systemBus, const QString& templateName, const QString& service,
           const QString& path);
  ~DbusMock();

  bool WaitUntilOnBus();
  void Stop();
  qint64 Pid() const { return mock_.processId(); }

  // The argument lists of every call of the given method since the last Clear().
  QList<QVariantList> CallsOf(const QString& method);
  void Clear();

 protected:
  const QString observerName_;
  const QString service_;
  const QString path_;
  QDBusConnection bus_;
  QProcess mock_;
};

// The mock login manager on the private system bus.
class MockLoginManager : public DbusMock {
 public:
  explicit MockLoginManager(const QString& busAddress);

  // The inhibitor locks the login manager holds now, each as what, who, why and mode.
  QList<QStringList> Inhibitors();
  // Waits (up to a few seconds) until the login manager holds exactly these locks; they are
  // released asynchronously, when it notices that the descriptor's other end has closed.
  bool WaitForInhibitors(const QList<QStringList>& expected);
  // From now on the given login manager method answers with this D-Bus error.
  bool Refuse(const QString& method, const QString& inSignature, const QString& outSignature,
              const QString& errorName);
};

// A desktop's notification service (python3-dbusmock's notification_daemon) on a private session bus.
class MockNotificationService : public DbusMock {
 public:
  explicit MockNotificationService(const QString& busAddress)
      : DbusMock(busAddress, false, "notification_daemon", "org.freedesktop.Notifications",
                 "/org/freedesktop/Notifications") {}
};

}  // namespace orvimo::testing
