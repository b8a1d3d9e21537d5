#include "mock_login_manager.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/prctl.h>

#include <QDBusArgument>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDeadlineTimer>
#include <QFile>
#include <QThread>

namespace orvimo::testing {

namespace {

const char kLogin1[] = "org.freedesktop.login1";
const char kLogin1Path[] = "/org/freedesktop/login1";
const char kManager[] = "org.freedesktop.login1.Manager";
const char kMock[] = "org.freedesktop.DBus.Mock";
const char kObserverName[] = "orvimo-test-observer-";

// Children die with the test process, so a crashed test leaves no daemon behind.
void StartChild(QProcess& process, const QString& program, const QStringList& arguments) {
  process.setChildProcessModifier([] { prctl(PR_SET_PDEATHSIG, SIGTERM); });
  process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
  process.start(program, arguments);
  process.waitForStarted(5000);
}

void StopChild(QProcess& process) {
  if (process.state() == QProcess::NotRunning) return;
  ::kill(static_cast<pid_t>(process.processId()), SIGTERM);
  if (!process.waitForFinished(3000)) {
    ::kill(static_cast<pid_t>(process.processId()), SIGKILL);
    process.waitForFinished(3000);
  }
}

const QString& SystemBusSocket() {
  static const QTemporaryDir dir;
  static const QString socket = dir.filePath("system_bus_socket");
  return socket;
}

// Calls a method that answers with an array of structures and reads each with readItem; an empty list,
// and a test failure, when the call fails.
template <typename Item, typename ReadItem>
QList<Item> ArrayOfStructures(QDBusConnection& bus, const QDBusMessage& request, ReadItem readItem) {
  const QDBusMessage reply = bus.call(request, QDBus::Block, 5000);
  QList<Item> items;
  if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
    ADD_FAILURE() << request.member().toStdString() << " failed: " << reply.errorMessage().toStdString();
    return items;
  }
  const QDBusArgument list = reply.arguments().at(0).value<QDBusArgument>();
  list.beginArray();
  while (!list.atEnd()) {
    list.beginStructure();
    items << readItem(list);
    list.endStructure();
  }
  list.endArray();
  return items;
}

}  // namespace

const QString& SystemBusAddress() {
  static const QString address = "unix:path=" + SystemBusSocket();
  return address;
}

void UsePrivateSystemBus() { qputenv("DBUS_SYSTEM_BUS_ADDRESS", SystemBusAddress().toUtf8()); }

PrivateSystemBus::PrivateSystemBus() {
  QFile::remove(SystemBusSocket());
  QFile config(configDir_.filePath("bus.conf"));
  if (!config.open(QIODevice::WriteOnly)) return;
  config.write(
      QStringLiteral("<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\""
                     " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
                     "<busconfig><type>session</type><listen>%1</listen><auth>EXTERNAL</auth>"
                     "<policy context=\"default\"><allow send_destination=\"*\" eavesdrop=\"true\"/>"
                     "<allow eavesdrop=\"true\"/><allow own=\"*\"/></policy></busconfig>\n")
          .arg(SystemBusAddress())
          .toUtf8());
  config.close();
  StartChild(daemon_, "dbus-daemon", {"--nofork", "--nopidfile", "--config-file=" + config.fileName()});
  const QDeadlineTimer deadline(10000);
  while (!QFile::exists(SystemBusSocket()) && !deadline.hasExpired()) QThread::msleep(20);
}

PrivateSystemBus::~PrivateSystemBus() {
  StopChild(daemon_);
  QFile::remove(SystemBusSocket());
}

bool PrivateSystemBus::Running() const {
  return daemon_.state() == QProcess::Running && QFile::exists(SystemBusSocket());
}

DbusMock::DbusMock(const QString& busAddress, bool systemBus, const QString& templateName,
                   const QString& service, const QString& path)
    : observerName_(kObserverName + templateName),
      service_(service),
      path_(path),
      bus_(QDBusConnection::connectToBus(busAddress, observerName_)) {
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert(systemBus ? "DBUS_SYSTEM_BUS_ADDRESS" : "DBUS_SESSION_BUS_ADDRESS", busAddress);
  mock_.setProcessEnvironment(environment);
  StartChild(mock_, "/usr/bin/python3",
             {"-m", "dbusmock", systemBus ? "--system" : "--session", "--template", templateName});
}

DbusMock::~DbusMock() {
  StopChild(mock_);
  QDBusConnection::disconnectFromBus(observerName_);
}

bool DbusMock::WaitUntilOnBus() {
  const QDeadlineTimer deadline(20000);
  while (!deadline.hasExpired() && mock_.state() != QProcess::NotRunning) {
    if (bus_.isConnected() && bus_.interface()->isServiceRegistered(service_)) return true;
    QThread::msleep(50);
  }
  return false;
}

void DbusMock::Stop() { StopChild(mock_); }

QList<QVariantList> DbusMock::CallsOf(const QString& method) {
  QDBusMessage request = QDBusMessage::createMethodCall(service_, path_, kMock, "GetMethodCalls");
  request << method;
  return ArrayOfStructures<QVariantList>(bus_, request, [](const QDBusArgument& call) {
    qulonglong timestamp = 0;
    QVariantList arguments;
    call >> timestamp >> arguments;
    return arguments;
  });
}

void DbusMock::Clear() {
  bus_.call(QDBusMessage::createMethodCall(service_, path_, kMock, "ClearCalls"), QDBus::Block, 5000);
}

MockLoginManager::MockLoginManager(const QString& busAddress)
    : DbusMock(busAddress, true, "logind", kLogin1, kLogin1Path) {}

QList<QStringList> MockLoginManager::Inhibitors() {
  const QDBusMessage request =
      QDBusMessage::createMethodCall(kLogin1, kLogin1Path, kManager, "ListInhibitors");
  return ArrayOfStructures<QStringList>(bus_, request, [](const QDBusArgument& lock) {
    QString what, who, why, mode;
    uint uid = 0, pid = 0;
    lock >> what >> who >> why >> mode >> uid >> pid;
    return QStringList{what, who, why, mode};
  });
}

bool MockLoginManager::WaitForInhibitors(const QList<QStringList>& expected) {
  const QDeadlineTimer deadline(5000);
  while (Inhibitors() != expected) {
    if (deadline.hasExpired()) return false;
    QThread::msleep(20);
  }
  return true;
}

bool MockLoginManager::Refuse(const QString& method, const QString& inSignature, const QString& outSignature,
                              const QString& errorName) {
  QDBusMessage request = QDBusMessage::createMethodCall(kLogin1, kLogin1Path, kMock, "AddMethod");
  request << QString(kManager) << method << inSignature << outSignature
          << QStringLiteral("raise dbus.exceptions.DBusException('refused by the test', name='%1')")
                 .arg(errorName);
  return bus_.call(request, QDBus::Block, 5000).type() == QDBusMessage::ReplyMessage;
}

}  // namespace orvimo::testing
