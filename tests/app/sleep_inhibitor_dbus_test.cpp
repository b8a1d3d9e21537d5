// The sleep lock taken from a mock login manager on a private system bus: what it is asked for, that
// the lock goes when we let go, and that a refusal comes back as false, soon, changing nothing else.
#include <gtest/gtest.h>
#include <signal.h>

#include <QElapsedTimer>

#include "app/qt/logind_sleep_inhibitor.h"
#include "mock_login_manager.h"

namespace orvimo {
namespace {

using testing::MockLoginManager;
using testing::PrivateSystemBus;

const QStringList kWhileRecording{"sleep", "Orvimo", "Recording audio", "block"};
const QStringList kUntilStart{"sleep", "Orvimo", "Waiting to record at 12/7/2026 6:00:00 AM", "block"};

class SleepLockOverDbus : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(bus.Running());
    ASSERT_TRUE(loginManager.WaitUntilOnBus());
  }

  PrivateSystemBus bus;
  MockLoginManager loginManager{bus.Address()};
};

TEST_F(SleepLockOverDbus, TakesRenewsAndReleasesTheLock) {
  {
    LogindSleepInhibitor inhibitor;
    ASSERT_TRUE(inhibitor.Hold("Recording audio"));
    const QList<QVariantList> calls = loginManager.CallsOf("Inhibit");
    ASSERT_EQ(calls.size(), 1);
    QStringList arguments;
    for (const QVariant& argument : calls[0]) arguments << argument.toString();
    EXPECT_EQ(arguments, kWhileRecording);
    EXPECT_TRUE(loginManager.WaitForInhibitors({kWhileRecording}));

    // A new reason replaces the lock: the old one goes, only the new one stays.
    ASSERT_TRUE(inhibitor.Hold(kUntilStart[2].toStdString()));
    EXPECT_TRUE(loginManager.WaitForInhibitors({kUntilStart}));

    inhibitor.Release();
    EXPECT_TRUE(loginManager.WaitForInhibitors({}));
    inhibitor.Release();  // nothing held: nothing happens

    ASSERT_TRUE(inhibitor.Hold("Recording audio"));
    EXPECT_TRUE(loginManager.WaitForInhibitors({kWhileRecording}));
  }
  EXPECT_TRUE(loginManager.WaitForInhibitors({}));  // gone with the inhibitor, as at exit
}

TEST_F(SleepLockOverDbus, ARefusedRenewalKeepsTheLockHeldBefore) {
  LogindSleepInhibitor inhibitor;
  ASSERT_TRUE(inhibitor.Hold("Recording audio"));
  ASSERT_TRUE(loginManager.Refuse("Inhibit", "ssss", "h", "org.freedesktop.DBus.Error.AccessDenied"));

  EXPECT_FALSE(inhibitor.Hold(kUntilStart[2].toStdString()));
  EXPECT_EQ(inhibitor.Failure(), "refused by the test");
  EXPECT_TRUE(loginManager.WaitForInhibitors({kWhileRecording}));
  inhibitor.Release();
  EXPECT_TRUE(loginManager.WaitForInhibitors({}));
}

// Whatever is missing, Hold comes back false within the call timeout and says why.
TEST(SleepLockWithoutLoginManager, MissingOrSilentLoginManagerOrBusGivesFalseQuickly) {
  const auto expectRefused = [](const char* failure) {
    LogindSleepInhibitor inhibitor;
    QElapsedTimer elapsed;
    elapsed.start();
    EXPECT_FALSE(inhibitor.Hold("Recording audio"));
    EXPECT_LT(elapsed.elapsed(), LogindSleepInhibitor::kCallTimeoutMs + 2000);
    EXPECT_EQ(inhibitor.Failure(), failure);
  };
  {
    PrivateSystemBus bus;
    ASSERT_TRUE(bus.Running());
    MockLoginManager loginManager(bus.Address());
    ASSERT_TRUE(loginManager.WaitUntilOnBus());
    ::kill(static_cast<pid_t>(loginManager.Pid()), SIGSTOP);
    expectRefused("the login manager did not answer");
    ::kill(static_cast<pid_t>(loginManager.Pid()), SIGCONT);
    loginManager.Stop();  // the bus stays, the login manager is gone
    expectRefused("no login manager");
  }
  expectRefused("no system bus");  // no daemon listens on the system bus address at all
}

}  // namespace
}  // namespace orvimo
