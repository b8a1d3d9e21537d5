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

}  // namespace
}  // namespace orvimo::testing
