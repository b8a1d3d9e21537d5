// The shared window logic on plain values, without widgets: a user's change of a control runs the
// handler of that control, guarded.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "app/date_time_parts.h"
#include "app/main_form.h"
#include "app_fakes.h"
#include "fake_form_controls.h"
#include "support/fake_audio_library.h"
#include "support/temp_folder.h"

namespace orvimo::testing {
namespace {

class MainFormTest : public ::testing::Test {
 protected:
  void Open() {
    controls = FakeFormControls();
    form = std::make_unique<MainForm>(AppServices{.audio = audio,
                                                  .clock = clock,
                                                  .freeSpace = freeSpace,
                                                  .dialogs = dialogs,
                                                  .flasher = flasher,
                                                  .shutdown = shutdown,
                                                  .settings = settings,
                                                  .commandLine = "orvimo2"},
                                      controls);
    form->StartUp(placement);
  }
  void TearDown() override {
    if (!form) return;
    form->WindowClosing();
    form->FormDestroy();
    form.reset();
  }

  TempFolder folder{"main_form_test"};
  capture::FakeAudioLibrary audio;
  FakeClock clock;
  FakeFreeSpace freeSpace;
  FakeDialogs dialogs;
  FakeFlasher flasher;
  FakeShutdown shutdown;
  MemorySettings settings;
  FakePlacement placement;
  FakeFormControls controls;
  std::unique_ptr<MainForm> form;
};

TEST_F(MainFormTest, AUsersChangeRunsTheHandlerOfItsControl) {
  const TDateTime noon = DatePartOf(clock.now) + 0.5;
  const struct Case {
    std::string what;
    ControlId control;
    std::function<void()> change;
    std::function<void()> expect;
  } cases[] = {
      {"the rate", ControlId::cOutHz, [&] { controls.spins[ControlId::cOutHz] = 8000; },
       [&] { EXPECT_EQ(form->State().BytesPerSec, 32000); }},
      {"the channels", ControlId::cOutFormatC, [&] { controls.indexes[ControlId::cOutFormatC] = 0; },
       [&] { EXPECT_EQ(form->State().BytesPerSec, 88200); }},
      {"the file name", ControlId::eOutfile, [&] { controls.texts[ControlId::eOutfile] = "C:\\take.wav"; },
       [&] { EXPECT_EQ(form->State().DiskDrive, 3); }},
      {"the device", ControlId::cInputDevice, [&] { controls.indexes[ControlId::cInputDevice] = 1; },
       [&] { EXPECT_EQ(audio.CallsNamed("RecordInit").back().args.at(0), 1); }},
      {"the start time", ControlId::dtTStart, [&] { controls.pickers[ControlId::dtTStart] = noon; },
       [&] { EXPECT_EQ(controls.pickers[ControlId::dtStart], noon); }},
      {"the stop time", ControlId::dtTStop, [&] { controls.pickers[ControlId::dtTStop] = noon; },
       [&] { EXPECT_EQ(form->State().StopTime, noon); }},
      {"the stop-at radio button checked", ControlId::rbStopAt,
       [&] {
         controls.PutChecked(ControlId::rbStopAt, true);
         controls.spins[ControlId::seStopAt] = 30;
       },
       [&] { EXPECT_NEAR(form->State().StopTime, clock.now + 30 / 1440.0, 1e-9); }},
      {"a handler that fails", ControlId::eOutfile, [&] { freeSpace.failure = "The disk went away"; },
       [&] { EXPECT_EQ(dialogs.errors, std::vector<std::string>{"The disk went away"}); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TearDown();
    dialogs.errors.clear();
    freeSpace.failure.clear();
    Open();
    c.change();
    form->ControlChanged(c.control);
    c.expect();
  }
}

// Assistive technology and the keyboard follow every change of the recording's state: the button
// says what its next left click does, and the focus is on the button after a start or a stop, whose
// group boxes were just disabled or enabled.
TEST_F(MainFormTest, TheRecordButtonsStateAndTheFocusFollowTheRecording) {
  using enum RecordButtonState;
  Open();
  controls.texts[ControlId::eOutfile] = Utf8Of(folder.Path() / "take.wav");
  const struct Step {
    std::string what;
    std::function<void()> action;
    std::vector<RecordButtonState> told;
    size_t focusCount;
  } steps[] = {
      {"a right click while idle", [&] { form->bRecMouseDown(MouseButton::kRight); }, {}, 0},
      {"start", [&] { form->bRecClick(); }, {Recording}, 1},
      {"pause", [&] { form->bRecMouseDown(MouseButton::kRight); }, {Recording, Paused}, 1},
      {"resume", [&] { form->bRecMouseDown(MouseButton::kRight); }, {Recording, Paused, Recording}, 1},
      {"pause again",
       [&] { form->bRecMouseDown(MouseButton::kRight); },
       {Recording, Paused, Recording, Paused},
       1},
      {"stop while paused", [&] { form->bRecClick(); }, {Recording, Paused, Recording, Paused, Idle}, 2},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.what);
    step.action();
    EXPECT_EQ(controls.buttonStates, step.told);
    EXPECT_EQ(controls.focused, std::vector<ControlId>(step.focusCount, ControlId::bRec));
  }
}

// The level is told a few times a second, the louder channel in percent, and only when it changed.
TEST_F(MainFormTest, TheMetersLevelIsToldAFewTimesASecond) {
  Open();
  controls.showing = true;
  audio.SetLevel(8192, 16384);
  for (int frame = 0; frame < 50; ++frame) form->vuTimerTimer();  // one second
  EXPECT_EQ(controls.meterLevels, std::vector<int>{50});
  audio.SetLevel(40000, 0);
  for (int frame = 0; frame < 50; ++frame) form->vuTimerTimer();
  EXPECT_EQ(controls.meterLevels, (std::vector<int>{50, 100}));
}

}  // namespace
}  // namespace orvimo::testing
