// A real round trip over D-Bus to a mock login manager on a private system bus. Nothing is powered off.
#include <gtest/gtest.h>
#include <signal.h>

#include <QElapsedTimer>

#include <ostream>

#include "app/qt/dbus_shutdown.h"
#include "mock_login_manager.h"

namespace orvimo {
namespace {

using testing::MockLoginManager;
using testing::PrivateSystemBus;

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
