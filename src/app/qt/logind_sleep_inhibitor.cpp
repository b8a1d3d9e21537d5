#include "app/qt/logind_sleep_inhibitor.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <unistd.h>

#include <QDBusConnection>
#include <QDBusError>
#include <QDBusMessage>
#include <QDBusUnixFileDescriptor>
#include <QString>
#include <QVariant>
#endif

namespace orvimo {

LogindSleepInhibitor::~LogindSleepInhibitor() { Release(); }

#ifdef _WIN32

// Windows has no reasons and no lock to hand over: the thread's execution state says "keep the
// system awake" until it is reset.
bool LogindSleepInhibitor::Hold(const std::string&) {
  held_ = SetThreadExecutionState(ES_CONTINUOUS | ES_SYSTEM_REQUIRED) != 0;
  if (!held_) failure_ = "the system refused";
  return held_;
}

void LogindSleepInhibitor::Release() {
  if (!held_) return;
  SetThreadExecutionState(ES_CONTINUOUS);
  held_ = false;
}

#else

namespace {

const char kConnectionName[] = "orvimo-sleep-inhibitor";

// Short texts for the status hint; the bus's own messages name services and .service files.
std::string FailureOf(const QDBusMessage& reply) {
  switch (QDBusError(reply).type()) {
    case QDBusError::ServiceUnknown:
      return "no login manager";
    case QDBusError::NoReply:
    case QDBusError::Timeout:
    case QDBusError::TimedOut:
      return "the login manager did not answer";
    default:
      return reply.errorMessage().toLocal8Bit().toStdString();
  }
}

// Our own descriptor for the lock in the reply, closed on exec so no program we might start keeps
// sleep held off; -1 with the failure set when the reply carries none.
int DuplicateLockDescriptor(const QDBusMessage& reply, std::string& failure) {
  if (reply.type() != QDBusMessage::ReplyMessage) {
    failure = FailureOf(reply);
    return -1;
  }
  const QVariantList arguments = reply.arguments();
  const auto lock = arguments.isEmpty() ? QDBusUnixFileDescriptor()
                                        : qvariant_cast<QDBusUnixFileDescriptor>(arguments.at(0));
  const int fd = lock.isValid() ? fcntl(lock.fileDescriptor(), F_DUPFD_CLOEXEC, 0) : -1;
  if (fd < 0) failure = "the login manager sent no lock";
  return fd;
}

// A private connection opened for this one request, as the shutdown request does: the address is read
// from the environment at this moment, and the lock outlives the connection (it lives in the
// descriptor).
int TakeLock(const std::string& why, std::string& failure) {
  int fd = -1;
  {
    QDBusConnection bus = QDBusConnection::connectToBus(QDBusConnection::SystemBus, kConnectionName);
    if (!bus.isConnected()) {
      failure = "no system bus";
    } else if (!bus.connectionCapabilities().testFlag(QDBusConnection::UnixFileDescriptorPassing)) {
      failure = "the system bus passes no file descriptors";
    } else {
      QDBusMessage call = QDBusMessage::createMethodCall(
          QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
          QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("Inhibit"));
      call << QStringLiteral("sleep") << QStringLiteral("Orvimo") << QString::fromLocal8Bit(why.c_str())
           << QStringLiteral("block");
      fd = DuplicateLockDescriptor(bus.call(call, QDBus::Block, LogindSleepInhibitor::kCallTimeoutMs),
                                   failure);
    }
  }
  QDBusConnection::disconnectFromBus(kConnectionName);
  return fd;
}

}  // namespace

bool LogindSleepInhibitor::Hold(const std::string& why) {
  const int fd = TakeLock(why, failure_);
  if (fd < 0) return false;
  Release();
  lockFd_ = fd;
  held_ = true;
  return true;
}

void LogindSleepInhibitor::Release() {
  if (!held_) return;
  ::close(lockFd_);
  lockFd_ = -1;
  held_ = false;
}

#endif

}  // namespace orvimo
