// A real round trip over D-Bus: a private bus daemon stands in for the system bus, a mock login
// manager (python3-dbusmock's logind template) records what it is asked. Nothing is powered off.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/prctl.h>

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <chrono>
#include <memory>
#include <ostream>

#include "app/qt/dbus_shutdown.h"

namespace orvimo {
namespace {

const char kLogin1[] = "org.freedesktop.login1";
const char kLogin1Path[] = "/org/freedesktop/login1";

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

// The bus library reads DBUS_SYSTEM_BUS_ADDRESS once per process, so every bus of this test listens
// on the same socket path; a test without a running daemon finds no bus there.
const QString& SystemBusSocket() {
  static const QTemporaryDir dir;
  static const QString socket = dir.filePath("system_bus_socket");
  return socket;
}

const QString& SystemBusAddress() {
  static const QString address = "unix:path=" + SystemBusSocket();
  return address;
}

// A bus daemon of the session type standing in for the system bus.
class PrivateSystemBus {
 public:
  PrivateSystemBus() {
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
  ~PrivateSystemBus() {
    StopChild(daemon_);
    QFile::remove(SystemBusSocket());
  }

  bool Running() const { return daemon_.state() == QProcess::Running && QFile::exists(SystemBusSocket()); }
  const QString& Address() const { return SystemBusAddress(); }

 private:
  QTemporaryDir configDir_;
  QProcess daemon_;
};

// The mock login manager on the private bus; its org.freedesktop.DBus.Mock interface tells which
// methods were called with which arguments.
class MockLoginManager {
 public:
  explicit MockLoginManager(const QString& busAddress)
      : bus_(QDBusConnection::connectToBus(busAddress, "orvimo-test-observer")) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("DBUS_SYSTEM_BUS_ADDRESS", busAddress);
    mock_.setProcessEnvironment(environment);
    StartChild(mock_, "/usr/bin/python3", {"-m", "dbusmock", "--system", "--template", "logind"});
  }
  ~MockLoginManager() {
    StopChild(mock_);
    QDBusConnection::disconnectFromBus("orvimo-test-observer");
  }

  bool WaitUntilOnBus() {
    const QDeadlineTimer deadline(20000);
    while (!deadline.hasExpired() && mock_.state() != QProcess::NotRunning) {
      if (bus_.isConnected() && bus_.interface()->isServiceRegistered(kLogin1)) return true;
      QThread::msleep(50);
    }
    return false;
  }

  void Stop() { StopChild(mock_); }
  qint64 Pid() const { return mock_.processId(); }

  // The argument lists of every call of the given login manager method since the last Clear().
  QList<QVariantList> CallsOf(const QString& method) {
    QDBusMessage request =
        QDBusMessage::createMethodCall(kLogin1, kLogin1Path, "org.freedesktop.DBus.Mock", "GetMethodCalls");
    request << method;
    const QDBusMessage reply = bus_.call(request, QDBus::Block, 5000);
    QList<QVariantList> calls;
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
      ADD_FAILURE() << "GetMethodCalls failed: " << reply.errorMessage().toStdString();
      return calls;
    }
    const QDBusArgument list = reply.arguments().at(0).value<QDBusArgument>();
    list.beginArray();
    while (!list.atEnd()) {
      qulonglong timestamp = 0;
      QVariantList arguments;
      list.beginStructure();
      list >> timestamp >> arguments;
      list.endStructure();
      calls << arguments;
    }
    list.endArray();
    return calls;
  }

  void Clear() {
    bus_.call(QDBusMessage::createMethodCall(kLogin1, kLogin1Path, "org.freedesktop.DBus.Mock", "ClearCalls"),
              QDBus::Block, 5000);
  }

 private:
  QDBusConnection bus_;
  QProcess mock_;
};

struct FlagsCase {
  uint32_t flags;
  const char* expected;
  const char* notExpected;
};

void PrintTo(const FlagsCase& c, std::ostream* out) { *out << "flags " << c.flags << " -> " << c.expected; }

class ShutdownOverDbus : public ::testing::TestWithParam<FlagsCase> {};

TEST_P(ShutdownOverDbus, AsksTheLoginManagerWithoutInteraction) {
  PrivateSystemBus bus;
  ASSERT_TRUE(bus.Running());
  MockLoginManager loginManager(bus.Address());
  ASSERT_TRUE(loginManager.WaitUntilOnBus());

  DbusShutdown shutdown;
  EXPECT_TRUE(shutdown.ShutdownComputer(GetParam().flags));

  const QList<QVariantList> calls = loginManager.CallsOf(GetParam().expected);
  ASSERT_EQ(calls.size(), 1);
  ASSERT_EQ(calls[0].size(), 1);
  EXPECT_EQ(calls[0][0].metaType(), QMetaType::fromType<bool>());
  EXPECT_FALSE(calls[0][0].toBool());
  EXPECT_TRUE(loginManager.CallsOf(GetParam().notExpected).isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Flags, ShutdownOverDbus,
                         ::testing::Values(FlagsCase{12, "PowerOff", "Reboot"},  // force | power off
                                           FlagsCase{8, "PowerOff", "Reboot"},
                                           FlagsCase{10, "PowerOff", "Reboot"},  // power off wins over reboot
                                           FlagsCase{6, "Reboot", "PowerOff"},   // force | reboot
                                           FlagsCase{2, "Reboot", "PowerOff"}));

// The caller ignores a refusal, but it must come back false and soon, whatever is missing.
TEST(ShutdownOverDbus, MissingLoginManagerOrBusGivesFalseQuickly) {
  {
    PrivateSystemBus bus;
    ASSERT_TRUE(bus.Running());
    MockLoginManager loginManager(bus.Address());
    ASSERT_TRUE(loginManager.WaitUntilOnBus());
    loginManager.Stop();  // the bus stays, the login manager is gone

    QElapsedTimer elapsed;
    elapsed.start();
    EXPECT_FALSE(DbusShutdown().ShutdownComputer(12));
    EXPECT_LT(elapsed.elapsed(), DbusShutdown::kCallTimeoutMs + 2000);
  }
  {
    // No daemon listens on the system bus address at all.
    QElapsedTimer elapsed;
    elapsed.start();
    EXPECT_FALSE(DbusShutdown().ShutdownComputer(12));
    EXPECT_LT(elapsed.elapsed(), DbusShutdown::kCallTimeoutMs + 2000);
  }
}

// A login manager that never answers must not hold the program beyond the call timeout.
TEST(ShutdownOverDbus, SilentLoginManagerTimesOut) {
  PrivateSystemBus bus;
  ASSERT_TRUE(bus.Running());
  MockLoginManager loginManager(bus.Address());
  ASSERT_TRUE(loginManager.WaitUntilOnBus());
  ::kill(static_cast<pid_t>(loginManager.Pid()), SIGSTOP);

  QElapsedTimer elapsed;
  elapsed.start();
  EXPECT_FALSE(DbusShutdown().ShutdownComputer(12));
  EXPECT_LT(elapsed.elapsed(), DbusShutdown::kCallTimeoutMs + 2000);
  ::kill(static_cast<pid_t>(loginManager.Pid()), SIGCONT);
}

}  // namespace
}  // namespace orvimo

int main(int argc, char** argv) {
  QCoreApplication application(argc, argv);
  qputenv("DBUS_SYSTEM_BUS_ADDRESS", orvimo::SystemBusAddress().toUtf8());
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
