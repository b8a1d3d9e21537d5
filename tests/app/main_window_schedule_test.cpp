// The scheduled start, the stop conditions and the actions after a scheduled stop, driven by the fake
// clock and by calling the status tick directly.
#include <QDBusConnection>
#include <QTest>

#include <filesystem>

#include "app/qt/desktop_notifications.h"
#include "app/qt/qt_window_flasher.h"
#include "app/when_finished.h"
#include "main_window_fixture.h"
#include "mock_login_manager.h"

namespace orvimo::testing {
namespace {

constexpr double kSecond = 1.0 / 86400;
constexpr double kMinute = 1.0 / 1440;

class ScheduleTest : public MainWindowTest {
 protected:
  void ArmStart(TDateTime moment) {
    window->dtStart->SetValue(moment);
    window->dtTStart->SetValue(moment);
    window->SetChecked(ControlId::cbStart, true);
  }
  void ArmStopAt(TDateTime moment) {
    window->dtStop->SetValue(moment);
    window->dtTStop->SetValue(moment);
    window->SetChecked(ControlId::rbStopTime, true);
    window->SetChecked(ControlId::cbStop, true);
  }
  // unit: 0 megabytes, 1 minutes, 2 hours
  void ArmStopAfter(int number, int unit) {
    window->cStopAt->setCurrentIndex(unit);
    window->SetChecked(ControlId::rbStopAt, true);
    window->SetChecked(ControlId::cbStop, true);
    window->SetSpinValue(ControlId::seStopAt, number);
  }
  void SetAction(WhenFinishedAction action) {
    window->cWhenFinished->setCurrentIndex(static_cast<int>(action));
  }
  void Deliver(size_t bytes) { audio.Deliver(std::vector<uint8_t>(bytes, 0)); }
};

TEST_F(ScheduleTest, StartMomentIsReachedWhenNowIsNotEarlier) {
  CreateWithOutput();
  ArmStart(clock.now + kSecond);
  Tick();
  EXPECT_FALSE(State().Recording);
  clock.AdvanceSeconds(1);  // equal moments start
  Tick();
  EXPECT_TRUE(State().Recording);
  EXPECT_FALSE(window->cbStart->isChecked());
}

TEST_F(ScheduleTest, StartMomentInThePastStartsAtTheNextTick) {
  CreateWithOutput();
  ArmStart(clock.now - 3 * kMinute);
  EXPECT_FALSE(State().Recording);
  Tick();
  EXPECT_TRUE(State().Recording);
}

TEST_F(ScheduleTest, StartDateComesFromTheDatePickerAndTimeFromTheTimePicker) {
  CreateWithOutput();
  window->dtStart->SetValue(clock.now + 1);             // tomorrow ...
  window->dtTStart->SetValue(clock.now - 1 - kMinute);  // ... at a minute ago
  window->SetChecked(ControlId::cbStart, true);
  EXPECT_NEAR(window->dtStart->Value(), clock.now + 1 - kMinute, 1e-9);
  Tick();
  EXPECT_FALSE(State().Recording);
}

TEST_F(ScheduleTest, StopMomentMustBePassedStrictly) {
  CreateWithOutput();
  ArmStopAt(clock.now + kSecond);
  window->bRecClick();
  clock.AdvanceSeconds(1);
  Tick();
  EXPECT_TRUE(State().Recording);
  clock.AdvanceSeconds(1);
  Tick();
  EXPECT_FALSE(State().Recording);
  EXPECT_FALSE(window->cbStop->isChecked());
  EXPECT_EQ(flasher.counts, std::vector<int>{3});  // "Do nothing" flashes three times
}

// A flash shows nothing on Wayland: there the default action also tells the desktop which recording
// finished, and says it on stderr when no notification service answers.
TEST_F(ScheduleTest, OnWaylandTheDefaultActionNotifiesTheDesktop) {
  PrivateSystemBus sessionBus;
  ASSERT_TRUE(sessionBus.Running());
  MockNotificationService service(sessionBus.Address());
  ASSERT_TRUE(service.WaitUntilOnBus());
  std::vector<std::string> reported;
  DesktopNotifications notifications(QDBusConnection::connectToBus(sessionBus.Address(), "notifications"),
                                     [&reported](const std::string& line) { reported.push_back(line); });
  QtWindowFlasher waylandFlasher([](QWidget*, int) {}, &notifications, "wayland");
  realFlasher = &waylandFlasher;
  CreateWithOutput("take & <1>_[i].wav");
  auto recordUntilTheScheduledStop = [this] {
    ArmStopAt(clock.now + kSecond);
    window->bRecClick();
    clock.AdvanceSeconds(2);
    Tick();
    ASSERT_FALSE(State().Recording);
  };

  recordUntilTheScheduledStop();
  QtWindowFlasher([](QWidget*, int) {}, &notifications, "xcb").RecordingFinished("flashed.wav");
  ASSERT_TRUE(QTest::qWaitFor([&] { return !service.CallsOf("Notify").isEmpty(); }));
  QTest::qWait(100);
  const QList<QVariantList> calls = service.CallsOf("Notify");
  ASSERT_EQ(calls.size(), 1) << "none where the window flashes";
  const QVariantList& notify = calls.front();
  ASSERT_EQ(notify.size(), 8);
  EXPECT_EQ(notify[0].toString(), "Orvimo");
  EXPECT_EQ(notify[3].toString(), kAlertText);
  EXPECT_EQ(notify[4].toString(), QString::fromStdString(Path("take &amp; &lt;1&gt;_1.wav")))
      << "the file as text, also where the body is read as markup";
  EXPECT_TRUE(reported.empty());

  service.Stop();
  recordUntilTheScheduledStop();
  ASSERT_TRUE(QTest::qWaitFor([&] { return !reported.empty(); }));
  EXPECT_EQ(reported, std::vector<std::string>{std::string(kAlertText) + " " + Path("take & <1>_2.wav")});
  realFlasher = nullptr;
  Discard();
}

TEST_F(ScheduleTest, StopMomentAlreadyPastEndsTheRecordingAtTheFirstTick) {
  CreateWithOutput();
  ArmStopAt(clock.now - kMinute);  // earlier today: not moved to tomorrow
  window->bRecClick();
  ASSERT_TRUE(State().Recording);
  Tick();
  EXPECT_FALSE(State().Recording);
  EXPECT_FALSE(window->cbStop->isChecked());
}

TEST_F(ScheduleTest, SizeLimitStopsAtTheFirstTickAtOrOverIt) {
  CreateWithOutput();
  ArmStopAfter(2, 0);
  window->bRecClick();
  EXPECT_EQ(State().MaxBytes, 2097152);
  Deliver(2097148);  // whole stereo frames, as the capture delivers them
  Tick();
  EXPECT_TRUE(State().Recording);
  Deliver(8);
  Tick();
  EXPECT_FALSE(State().Recording);
  EXPECT_TRUE(window->cbStop->isChecked());  // a size limit repeats for the next recording
  EXPECT_EQ(ReadFile(Path("take_1.wav")).size(), 44u + 2097152u) << "the file ends at the limit itself";

  window->SetSpinValue(ControlId::seStopAt, 999);
  EXPECT_EQ(State().MaxBytes, 1047527424);
}

TEST_F(ScheduleTest, MinutesAndHoursCountFromTheStartOfCapture) {
  CreateWithOutput();
  ArmStopAfter(90, 1);
  clock.AdvanceSeconds(30);
  window->bRecClick();
  EXPECT_NEAR(State().StopTime, clock.now + 90 * kMinute, 1e-9);
  EXPECT_EQ(State().MaxBytes, 0);
  window->bRecClick();
  ArmStopAfter(2, 2);
  window->bRecClick();
  EXPECT_NEAR(State().StopTime, clock.now + 2.0 / 24, 1e-9);
}

TEST_F(ScheduleTest, LimitsChangedDuringARecordingTakeEffectAtTheNextTick) {
  CreateWithOutput();
  ArmStopAfter(5, 1);
  window->bRecClick();
  clock.AdvanceSeconds(60);
  window->SetSpinValue(ControlId::seStopAt, 1);  // one minute from now
  clock.AdvanceSeconds(59);
  Tick();
  EXPECT_TRUE(State().Recording);

  window->cStopAt->setCurrentIndex(0);  // a size limit now decides alone
  EXPECT_EQ(State().MaxBytes, 1048576);
  window->cStopAt->setCurrentIndex(1);
  clock.AdvanceSeconds(600);
  Tick();
  EXPECT_TRUE(State().Recording);
  Deliver(1048576);
  Tick();
  EXPECT_FALSE(State().Recording);
}

TEST_F(ScheduleTest, UncheckedStopEndsNothing) {
  CreateWithOutput();
  ArmStopAt(clock.now - kMinute);
  window->SetChecked(ControlId::cbStop, false);
  window->bRecClick();
  Tick();
  EXPECT_TRUE(State().Recording);
  window->SetChecked(ControlId::cbStop, true);  // checked again during the recording
  Tick();
  EXPECT_FALSE(State().Recording);
}

TEST_F(ScheduleTest, ScheduledStartWhoseCaptureFailsIsNotRetried) {
  CreateWithOutput();
  audio.RefuseRecordStart(37);
  ArmStart(clock.now);
  Tick();
  Tick();
  EXPECT_FALSE(window->cbStart->isChecked());
  EXPECT_EQ(dialogs.errors, std::vector<std::string>{"Error: Recording device not available for use!"});
}

TEST_F(ScheduleTest, PauseAcrossTheStopMomentEndsAfterTheResume) {
  CreateWithOutput();
  ArmStopAt(clock.now + kMinute);
  window->bRecClick();
  window->bRecMouseDown(MouseButton::kRight);
  clock.AdvanceSeconds(120);
  Tick();
  EXPECT_TRUE(State().Recording);
  window->bRecMouseDown(MouseButton::kRight);
  Tick();
  EXPECT_FALSE(State().Recording);
}

TEST_F(ScheduleTest, ClockJumpsMoveTheMomentsWithThem) {
  CreateWithOutput();
  ArmStopAt(clock.now + 10 * kMinute);
  window->bRecClick();
  clock.now -= 1.0 / 24;  // the clock falls back an hour
  clock.AdvanceSeconds(11 * 60);
  Tick();
  EXPECT_TRUE(State().Recording);
  clock.now += 1.0 / 24;  // and springs forward past the moment
  Tick();
  EXPECT_FALSE(State().Recording);
}

TEST_F(ScheduleTest, StartNewRecordingChainsNumberedFiles) {
  CreateWithOutput("take.wav");
  SetAction(WhenFinishedAction::StartNewRecording);
  ArmStopAfter(1, 0);
  window->bRecClick();
  for (int i = 0; i < 3; ++i) {
    Deliver(1048576);
    Tick();
    ASSERT_TRUE(State().Recording);
  }
  EXPECT_EQ(window->eOutfile->text().toStdString(), Path("take([i]).wav"));
  EXPECT_EQ(ReadFile(Path("take.wav")).size(), 44u + 1048576u);
  EXPECT_EQ(ReadFile(Path("take(2).wav")).size(), 44u + 1048576u);
  EXPECT_EQ(ReadFile(Path("take(3).wav")).size(), 44u + 1048576u);
  EXPECT_TRUE(std::filesystem::exists(Path("take(4).wav")));
  EXPECT_FALSE(std::filesystem::exists(Path("take(5).wav")));
}

TEST_F(ScheduleTest, StartNewRecordingAfterAStopMomentRunsUntilStopped) {
  CreateWithOutput("take_[i].wav");
  SetAction(WhenFinishedAction::StartNewRecording);
  ArmStopAt(clock.now - kSecond);
  window->bRecClick();
  Tick();
  EXPECT_TRUE(State().Recording);  // the second file
  EXPECT_EQ(window->eOutfile->text().toStdString(), Path("take_[i].wav"));
  EXPECT_FALSE(window->cbStop->isChecked());
  clock.AdvanceSeconds(3600);
  Tick();
  EXPECT_TRUE(State().Recording);
  EXPECT_TRUE(std::filesystem::exists(Path("take_2.wav")));
}

TEST_F(ScheduleTest, AlertDoesNotBlockTheTicks) {
  CreateWithOutput();
  SetAction(WhenFinishedAction::DisplayAlert);
  ArmStopAt(clock.now - kSecond);
  window->bRecClick();
  Tick();
  ASSERT_EQ(dialogs.alerts.size(), 1u);
  EXPECT_EQ(dialogs.alerts[0].text, "Your recording has finished as scheduled.");
  EXPECT_EQ(dialogs.alerts[0].title, "Orvimo");
  EXPECT_TRUE(flasher.counts.empty());

  // While the alert is open a scheduled start still begins.
  ArmStart(clock.now);
  Tick();
  EXPECT_TRUE(State().Recording);
  dialogs.alerts[0].onClosed();
  EXPECT_EQ(flasher.counts, std::vector<int>{10});
}

TEST_F(ScheduleTest, ShutdownActionAsksToPowerOffWithForce) {
  CreateWithOutput();
  SetAction(WhenFinishedAction::ShutdownComputer);
  ArmStopAfter(1, 0);
  window->bRecClick();
  Deliver(1048576);
  Tick();
  EXPECT_EQ(shutdown.requests, std::vector<uint32_t>{12});
  EXPECT_FALSE(State().Recording);
}

TEST_F(ScheduleTest, StopsByButtonOrCloseRunNoAction) {
  CreateWithOutput();
  SetAction(WhenFinishedAction::ShutdownComputer);
  window->bRecClick();
  window->bRecClick();
  window->bRecClick();
  window->close();
  EXPECT_TRUE(shutdown.requests.empty());
  EXPECT_TRUE(flasher.counts.empty());
}

TEST_F(ScheduleTest, NoRecordingBeginsInsideAStop) {
  CreateWithOutput();
  ArmStart(clock.now + kMinute);
  window->bRecClick();  // by hand, while the start stays armed
  clock.AdvanceSeconds(120);
  const size_t starts = RecordStarts();
  window->bRecClick();  // its refresh finds the start due but must leave it to the next tick
  EXPECT_FALSE(State().Recording);
  EXPECT_EQ(RecordStarts(), starts + 1);  // the monitor channel only
  EXPECT_TRUE(window->cbStart->isChecked());
  Tick();
  EXPECT_TRUE(State().Recording);
  EXPECT_TRUE(std::filesystem::exists(Path("take_2.wav")));
}

TEST_F(ScheduleTest, NoRecordingBeginsInsideTheNextFileOfAChain) {
  CreateWithOutput("take.wav");
  SetAction(WhenFinishedAction::StartNewRecording);
  ArmStart(clock.now + kMinute);
  ArmStopAfter(1, 0);
  window->bRecClick();
  clock.AdvanceSeconds(120);
  Deliver(1048576);
  Tick();
  EXPECT_TRUE(State().Recording);
  EXPECT_TRUE(std::filesystem::exists(Path("take(2).wav")));
  EXPECT_FALSE(std::filesystem::exists(Path("take(3).wav")));
}

TEST_F(ScheduleTest, NoRecordingBeginsWhileTheWindowCloses) {
  CreateWithOutput();
  ArmStart(clock.now + kMinute);
  window->bRecClick();
  clock.AdvanceSeconds(120);
  window->close();
  EXPECT_FALSE(State().Recording);
  EXPECT_FALSE(std::filesystem::exists(Path("take_2.wav")));
}

// A status query that fails every second: one error box however many ticks arrive while it is open,
// the text once on the standard error, and the stop limit and its action still run.
TEST_F(ScheduleTest, FailingTickOpensOneBoxAndStillStopsAndActs) {
  CreateWithOutput();
  SetAction(WhenFinishedAction::ShutdownComputer);
  ArmStopAfter(1, 0);
  window->bRecClick();
  freeSpace.failure = "The disk went away";
  // Ticks as the timer delivers them, through the window's own error handling.
  const auto timerTick = [&] { ASSERT_TRUE(QMetaObject::invokeMethod(window->Timer, "timeout")); };
  int nestedTicks = 0;
  dialogs.duringError = [&] {
    while (nestedTicks < 3) {
      ++nestedTicks;
      timerTick();
    }
  };
  ::testing::internal::CaptureStderr();
  timerTick();
  const std::string printed = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(nestedTicks, 3);
  EXPECT_EQ(dialogs.errors, std::vector<std::string>{"The disk went away"});
  EXPECT_EQ(printed, "The disk went away\n");

  Deliver(1048576);
  timerTick();
  EXPECT_FALSE(State().Recording);
  EXPECT_EQ(shutdown.requests, std::vector<uint32_t>{12});
  EXPECT_EQ(dialogs.errors.size(), 2u);  // once the first box is closed, a new failure shows again
}

// While the close saves the settings, no tick runs and nothing new begins, even when the save fails
// and its error box waits for the user.
TEST_F(ScheduleTest, CloseWhoseSaveFailsRunsNoTickAndNoAction) {
  CreateWithOutput();
  window->show();
  settings.readOnly = true;
  SetAction(WhenFinishedAction::ShutdownComputer);
  ArmStopAfter(1, 0);
  window->bRecClick();
  Deliver(1048576);
  bool timersActive = true;
  dialogs.duringError = [&] {
    timersActive = window->Timer->isActive() || window->vuTimer->isActive();
    QMetaObject::invokeMethod(window->Timer, "timeout");  // a tick already on its way
  };
  window->close();
  EXPECT_EQ(dialogs.errors, std::vector<std::string>{"Failed to set data for 'FormVersion'"});
  EXPECT_FALSE(timersActive);
  EXPECT_TRUE(shutdown.requests.empty());
  EXPECT_TRUE(flasher.counts.empty());
  const auto bytes = ReadFile(Path("take_1.wav"));
  EXPECT_EQ(U32At(bytes, 40), bytes.size() - 44);
}

TEST_F(ScheduleTest, NoRecordingBeginsWhileAFailedStartReportsItsError) {
  CreateWithOutput();
  audio.RefuseRecordStart(1);
  ArmStart(clock.now + kMinute);
  clock.AdvanceSeconds(120);
  int startsDuringError = -1;
  dialogs.duringError = [&] {
    const size_t before = RecordStarts();
    Tick();  // a tick that arrives while the error box is open
    startsDuringError = static_cast<int>(RecordStarts() - before);
  };
  window->bRecClick();
  EXPECT_EQ(startsDuringError, 0);
}

// Sleep is held off while a recording runs (paused too) and while a start waits, with no moment
// without a lock between the wait and the recording or between the files of a chain.
TEST_F(ScheduleTest, SleepIsHeldOffWhileRecordingOrWaitingToStart) {
  CreateWithOutput("take.wav");
  const auto held = [this] { return sleepInhibitor.held.value_or("none").substr(0, 20); };
  ArmStart(clock.now + kMinute);
  EXPECT_EQ(held(), "Waiting to record at");
  window->SetChecked(ControlId::cbStart, false);
  EXPECT_EQ(held(), "none");
  EXPECT_EQ(sleepInhibitor.releases, 1);

  ArmStart(clock.now + kMinute);
  clock.AdvanceSeconds(60);
  Tick();
  ASSERT_TRUE(State().Recording);
  EXPECT_EQ(held(), "Recording audio");
  SetAction(WhenFinishedAction::StartNewRecording);
  ArmStopAfter(1, 0);
  Deliver(1048576);
  Tick();
  EXPECT_TRUE(std::filesystem::exists(Path("take(2).wav")));
  window->PauseRecording();
  Tick();
  EXPECT_EQ(held(), "Recording audio");
  EXPECT_EQ(sleepInhibitor.releases, 1) << "held from the wait through the chain and the pause";

  window->bRecClick();
  EXPECT_EQ(held(), "none");
  window->bRecClick();
  EXPECT_EQ(held(), "Recording audio");
  window->close();
  EXPECT_EQ(held(), "none");
  EXPECT_EQ(sleepInhibitor.releases, 3);
}

// Without a login manager the recording goes on as before; the status hint says so once.
TEST_F(ScheduleTest, RefusedSleepLockIsToldOnceAndChangesNothingElse) {
  sleepInhibitor.refuse = true;
  CreateWithOutput();
  window->bRecClick();
  audio.DeliverSilence(1.0);
  Tick();
  EXPECT_TRUE(State().Recording);
  EXPECT_EQ(Message(), " Recording audio");
  EXPECT_EQ(Hint(window->lMessage), "Recording audio\nSleep could not be held off: no login manager");
  window->bRecClick();
  EXPECT_EQ(Hint(window->lMessage), "Recording stopped.");
  window->bRecClick();
  EXPECT_EQ(Hint(window->lMessage), "Recording audio");
  window->bRecClick();
  EXPECT_EQ(ReadFile(Path("take_1.wav")).size(), 44u + 176400u);
  EXPECT_TRUE(dialogs.errors.empty());
  EXPECT_EQ(sleepInhibitor.holds.size(), 2u);
}

}  // namespace
}  // namespace orvimo::testing
