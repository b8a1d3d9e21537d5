// Start-up from the command line, the device list, the first show and the close.
#include <QCoreApplication>

#include <filesystem>

#include "main_window_fixture.h"

namespace orvimo::testing {
namespace {

using Call = capture::FakeAudioLibrary::Call;

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

TEST_F(MainWindowTest, StartUpWithoutArgumentsOpensTheFirstDeviceAndRunsTheMonitor) {
  audio.SetDevices({"Microphone", "Line in"});
  audio.SetInputs({"Master", "Mic"});
  Create();

  const std::vector<std::string> expected{"Init",
                                          "Start",
                                          "RecordGetDeviceDescription",
                                          "RecordGetDeviceDescription",
                                          "RecordGetDeviceDescription",
                                          "RecordFree",
                                          "RecordInit",
                                          "RecordGetInputName",
                                          "RecordGetInputName",
                                          "RecordGetInputName",
                                          "ChannelStop",
                                          "RecordStart"};
  EXPECT_EQ(audio.CallNames(), expected);
  EXPECT_EQ(audio.CallsNamed("Init").front(), (Call{"Init", {-1, 44100, 0}}));
  EXPECT_EQ(audio.CallsNamed("RecordInit").front(), (Call{"RecordInit", {0}}));
  EXPECT_EQ(audio.CallsNamed("RecordStart").front(), (Call{"RecordStart", {44100, 2, 0}}));
  EXPECT_EQ(window->cInputDevice->count(), 2);
  EXPECT_EQ(window->cInputDevice->currentText().toStdString(), "Microphone");
  EXPECT_EQ(window->cInputInput->count(), 2);
  EXPECT_EQ(State().CaptureChannel, audio.CurrentChannel());
  EXPECT_EQ(State().BytesPerSec, 176400);
  EXPECT_EQ(State().MessageColors, (std::array<uint32_t, 3>{128, 255, 0x800000}));
  EXPECT_EQ(window->eOutfile->text().toStdString(), "Recording_[i].wav");
  EXPECT_TRUE(window->Timer->isActive());
  EXPECT_TRUE(window->vuTimer->isActive());
  EXPECT_TRUE(window->Storage().Active());
  EXPECT_TRUE(dialogs.errors.empty());
  // The stop picker opens five minutes after the start picker, on the same day.
  EXPECT_NEAR((window->dtTStop->Value() - window->dtTStart->Value()) * 1440, 5.0, 1e-6);
  EXPECT_EQ(window->dtStop->Value(), clock.now);
  // The forced refresh at the end of start-up replaced the design texts.
  EXPECT_EQ(Hint(window->lFree), "50 GB");
}

TEST_F(MainWindowTest, NoCaptureDeviceInitialisesTheDefaultOne) {
  audio.SetDevices({});
  Create();
  EXPECT_EQ(audio.CallsNamed("RecordInit").front(), (Call{"RecordInit", {-1}}));
}

TEST_F(MainWindowTest, AudioInitFailureEndsStartUpWithTheTimersOff) {
  audio.RefuseInit();
  Create("-d 3 -a alert -m 30");

  EXPECT_EQ(dialogs.errors, std::vector<std::string>{"Error initializing audio!"});
  EXPECT_EQ(audio.CallsNamed("Init").front(), (Call{"Init", {3, 44100, 0}}));
  EXPECT_TRUE(audio.CallsNamed("Start").empty());
  EXPECT_EQ(window->cInputDevice->count(), 0);
  EXPECT_EQ(State().CaptureChannel, 0u);
  EXPECT_FALSE(window->Timer->isActive());
  EXPECT_FALSE(window->vuTimer->isActive());
  // The scheduler options come after the audio library and are not applied.
  EXPECT_EQ(window->cWhenFinished->currentIndex(), 0);
  EXPECT_FALSE(window->rbStopAt->isChecked());
}

TEST_F(MainWindowTest, BadNumericOptionEndsStartUpAtItsStepButTheWindowStillOpens) {
  Create("-b 8 -f 44k1 -a new");
  EXPECT_EQ(dialogs.errors, std::vector<std::string>{"'44k1' is not a valid integer value"});
  EXPECT_EQ(window->cOutFormatB->currentIndex(), 0);  // applied before the failing step
  EXPECT_TRUE(audio.Calls().empty());                 // the audio library was never initialised
  EXPECT_EQ(window->cWhenFinished->currentIndex(), 0);
  EXPECT_FALSE(window->Timer->isActive());
  window->show();
  EXPECT_TRUE(window->isVisible());
}

TEST_F(MainWindowTest, BadStopAfterValueEndsStartUpBeforeTheDevicesAreListed) {
  Create("-m 1.5x hours");
  ASSERT_EQ(dialogs.errors.size(), 1u);
  EXPECT_EQ(dialogs.errors[0], "'1.5x' is not a valid integer value");
  EXPECT_TRUE(audio.CallsNamed("RecordGetDeviceDescription").empty());
}

TEST_F(MainWindowTest, FileNameOnTheCommandLineRecordsBeforeTheWindowShows) {
  Create(Quoted(Path("night [i].wav")));
  EXPECT_TRUE(State().Recording);
  EXPECT_FALSE(window->isVisible());
  EXPECT_EQ(window->eOutfile->text().toStdString(), Path("night [i].wav"));
  EXPECT_TRUE(std::filesystem::exists(Path("night 1.wav")));
  EXPECT_EQ(Text(window->lFilename), " " + Path("night 1.wav"));
  EXPECT_EQ(Message(), " Recording audio");
  EXPECT_TRUE(window->Timer->isActive());
  // A file name alone is one entry: the settings store stays on.
  EXPECT_TRUE(window->Storage().Active());
}

TEST_F(MainWindowTest, NoRecPutsTheNameInPlaceAndStartsNothing) {
  for (const std::string option : {"-norec", "-NOREC", "/norec"}) {
    Discard();
    Create(option + " " + Quoted(Path("take.wav")));
    EXPECT_FALSE(State().Recording) << option;
    EXPECT_EQ(window->eOutfile->text().toStdString(), Path("take.wav")) << option;
    EXPECT_FALSE(std::filesystem::exists(Path("take.wav"))) << option;
  }
}

TEST_F(MainWindowTest, OptionsWithoutFileNameLeaveTheTemplate) {
  Create("-a alert");
  EXPECT_EQ(window->eOutfile->text().toStdString(), "Recording_[i].wav");
  EXPECT_FALSE(State().Recording);
  EXPECT_EQ(window->cWhenFinished->currentIndex(), 1);
}

TEST_F(MainWindowTest, FileThatCannotBeCreatedIsReportedAndEndsStartUp) {
  Create(Quoted(Path("missing/take.wav")));
  ASSERT_EQ(dialogs.errors.size(), 1u);
  EXPECT_NE(dialogs.errors[0].find("Cannot create file \"" + Path("missing/take.wav") + "\"."),
            std::string::npos);
  EXPECT_FALSE(State().Recording);
  EXPECT_EQ(State().FileCounter, 1);
  EXPECT_EQ(window->Engine().Writer().Current(), nullptr);
  // The monitor channel is untouched and start-up ended in that step.
  EXPECT_EQ(audio.CallsNamed("RecordStart").size(), 1u);
  EXPECT_FALSE(window->Timer->isActive());
}

struct OptionCase {
  std::string args;
  int bits, channels, rate, action;
};

TEST_F(MainWindowTest, FormatAndActionOptionsPresetTheControls) {
  const std::vector<OptionCase> cases{
      {"-b 8 -c 1 -f 8000", 0, 0, 8000, 0},
      {"-b 16 -c 2", 1, 1, 44100, 0},
      {"-b 24 -c 6", 1, 1, 44100, 0},
      {"-bits 8 -channels 1 -freq 22050", 0, 0, 22050, 0},
      {"-b 8 -bits 16", 0, 1, 44100, 0},
      {"-a Shutdown", 1, 1, 44100, 3},
      {"-a shutdown now", 1, 1, 44100, 0},
      {"-after new", 1, 1, 44100, 2},
      {"-f $AC44", 1, 1, 44100, 0},
      {"-f \"-5\"", 1, 1, -5, 0},
      {"-f -5", 1, 1, 44100, 0},
  };
  for (const OptionCase& c : cases) {
    Discard();
    Create(c.args);
    EXPECT_EQ(window->cOutFormatB->currentIndex(), c.bits) << c.args;
    EXPECT_EQ(window->cOutFormatC->currentIndex(), c.channels) << c.args;
    EXPECT_EQ(window->cOutHz->value(), c.rate) << c.args;
    EXPECT_EQ(window->cWhenFinished->currentIndex(), c.action) << c.args;
    EXPECT_TRUE(dialogs.errors.empty()) << c.args;
  }
}

TEST_F(MainWindowTest, StartAndStopOptionsArmTheScheduler) {
  Create("-s 2026-12-24 20:00 -e 21:30");
  EXPECT_TRUE(window->cbStart->isChecked());
  EXPECT_DOUBLE_EQ(window->dtStart->Value(), EncodeDateTime(2026, 12, 24, 20, 0, 0, 0));
  EXPECT_DOUBLE_EQ(window->dtTStart->Value(), EncodeDateTime(2026, 12, 24, 20, 0, 0, 0));
  EXPECT_TRUE(window->cbStop->isChecked());
  EXPECT_TRUE(window->rbStopTime->isChecked());
  EXPECT_DOUBLE_EQ(window->dtStop->Value(), EncodeDateTime(2026, 12, 6, 21, 30, 0, 0));
  EXPECT_DOUBLE_EQ(window->dtTStop->Value(), EncodeDateTime(2026, 12, 6, 21, 30, 0, 0));

  Discard();
  Create("-s 1800-01-01");  // before the zero point of the date scale: no start
  EXPECT_FALSE(window->cbStart->isChecked());
}

struct StopAfterCase {
  std::string args;
  int number, unit;
};

TEST_F(MainWindowTest, StopAfterOptionSetsTheLimitAndItsUnit) {
  const std::vector<StopAfterCase> cases{
      {"-m 90 minutes", 90, 1}, {"-m 2 h", 2, 2}, {"-m 700", 700, 0}, {"-m 5000 mb", 999, 0},
      {"-m 5 megabytes", 5, 1}, {"-m 5 x", 5, 1}, {"-m 0", 1, 0}};
  for (const StopAfterCase& c : cases) {
    Discard();
    Create(c.args);
    EXPECT_TRUE(window->rbStopAt->isChecked()) << c.args;
    EXPECT_TRUE(window->cbStop->isChecked()) << c.args;
    EXPECT_EQ(window->seStopAt->value(), c.number) << c.args;
    EXPECT_EQ(window->cStopAt->currentIndex(), c.unit) << c.args;
  }
}

TEST_F(MainWindowTest, MoreThanTwoEntriesLeaveTheSettingsUntouched) {
  settings.values["cOutFormatB_ItemIndex"] = "1";
  Create("-b 8 -c 1 -norec " + Quoted(Path("take.wav")));
  EXPECT_FALSE(window->Storage().Active());
  window->show();
  EXPECT_EQ(window->cOutFormatB->currentIndex(), 0);  // the option, not the stored value
  window->SetChecked(ControlId::cbStop, true);
  window->close();
  window.reset();
  EXPECT_EQ(settings.opens, 0);
  EXPECT_EQ(settings.writes, 0);
}

TEST_F(MainWindowTest, StoredSettingsAreRestoredAtTheFirstShowAndSavedOnClose) {
  settings.values = {{"cOutFormatB_ItemIndex", "0"}, {"cOutFormatC_ItemIndex", "abc"},
                     {"cOutHz_Value", "22050"},      {"cbStop_Checked", "yes"},
                     {"rbStopAt_Checked", "True"},   {"rbStopTime_Checked", "False"},
                     {"seStopAt_Value", "12"},       {"cStopAt_ItemIndex", "0"},
                     {"dtStart_Date", "46363.5"},    {"cWhenFinished_ItemIndex", "2"}};
  Create("-a alert");  // one option: the store stays on and the stored action wins
  const double startTimeOfDay = window->dtStart->Value() - 46362;
  EXPECT_EQ(window->cWhenFinished->currentIndex(), 1);
  window->show();

  EXPECT_EQ(window->cOutFormatB->currentIndex(), 0);
  EXPECT_EQ(window->cOutFormatC->currentIndex(), 0);  // "abc" sets 0
  EXPECT_EQ(window->cOutHz->value(), 22050);
  EXPECT_FALSE(window->cbStop->isChecked());  // "yes" leaves it
  EXPECT_TRUE(window->rbStopAt->isChecked());
  EXPECT_EQ(window->seStopAt->value(), 12);
  EXPECT_EQ(window->cWhenFinished->currentIndex(), 2);
  // The date comes from the store, the time of day stays the picker's own.
  EXPECT_NEAR(window->dtStart->Value(), 46363 + startTimeOfDay, 1e-9);
  // Setting the rate ran the format handling.
  EXPECT_EQ(State().BytesPerSec, 22050);
  EXPECT_TRUE(window->eOutfile->hasFocus() || !window->isActiveWindow());

  window->close();
  EXPECT_EQ(settings.values["cOutHz_Value"], "22050");
  EXPECT_EQ(settings.values["rbStopAt_Checked"], "True");
  EXPECT_EQ(settings.values["seStopAt_Value"], "12");
  EXPECT_EQ(settings.values["cOutFormatC_ItemIndex"], "0");
}

// The type list and the template's extension follow each other; the command line's choice outlives the
// stored one, and the free time counts the chosen type's bytes.
TEST_F(MainWindowTest, FileTypeAndTheTemplatesExtensionFollowEachOther) {
  struct Case {
    std::string args, stored;
    int index;
    std::string outfile, freeTime;
  };
  freeSpace.bytes = int64_t{12000} * 3600;  // an hour of Opus in stereo
  for (const Case& c : {Case{"", "3", 3, "Recording_[i].opus", " 01 : 00 : 00"},
                        Case{"-norec show.mp3", "3", 4, "show.mp3", " 00 : 30 : 00"},
                        Case{"-norec -t flac show.mp3", "3", 2, "show.flac", " 00 : 06 : 48"},
                        Case{"-norec -type RAW show.wav", "0", 1, "show.raw", " 00 : 04 : 05"}}) {
    SCOPED_TRACE(c.args);
    settings.values = {{"cOutType_ItemIndex", c.stored}};
    Create(c.args);
    window->show();
    EXPECT_EQ(window->cOutType->currentIndex(), c.index);
    EXPECT_EQ(window->eOutfile->text().toStdString(), c.outfile);
    EXPECT_EQ(Text(window->lFree), c.freeTime);
    Discard();
  }
  settings.values = {};
  Create();
  window->show();
  window->cOutType->setCurrentIndex(2);
  EXPECT_EQ(window->eOutfile->text().toStdString(), "Recording_[i].flac");
  window->SetOutfileText("take.Opus");
  EXPECT_EQ(window->cOutType->currentIndex(), 3);
  window->close();
  EXPECT_EQ(settings.values["cOutType_ItemIndex"], "3");
}

// A stored format at the usual rate changes no spin value: the data rate must follow it all the same.
TEST_F(MainWindowTest, RestoredMonoAtTheUsualRateSetsTheTimeDisplays) {
  settings.values = {{"cOutFormatC_ItemIndex", "0"}, {"cOutHz_Value", "44100"}};
  freeSpace.bytes = int64_t{88200} * 3600;  // an hour of 16-bit mono
  Create();
  window->SetOutfileText(Path("mono.wav"));
  window->show();
  EXPECT_EQ(State().BytesPerSec, 88200);
  EXPECT_EQ(Text(window->lFree), " 01 : 00 : 00");
  window->bRecClick();
  audio.DeliverSilence(2.0);
  Tick();
  EXPECT_EQ(Text(window->lRecorded), " 00 : 00 : 02");
}

TEST_F(MainWindowTest, UnreadableSettingsAreReportedOnceTheWindowShows) {
  struct UnreadableSettings : MemorySettings {
    std::optional<std::string> Read(const std::string& name) override {
      throw std::runtime_error("Invalid data type for '" + name + "'");
    }
  } unreadable;
  window = std::make_unique<TfrmMain>(AppServices{.audio = audio,
                                                  .clock = clock,
                                                  .freeSpace = freeSpace,
                                                  .dialogs = dialogs,
                                                  .flasher = flasher,
                                                  .shutdown = shutdown,
                                                  .sleepInhibitor = sleepInhibitor,
                                                  .settings = unreadable,
                                                  .placement = &placement,
                                                  .commandLine = "orvimo2"});
  window->show();
  EXPECT_TRUE(window->isVisible());
  EXPECT_TRUE(dialogs.errors.empty());
  QCoreApplication::processEvents();
  EXPECT_EQ(dialogs.errors, std::vector<std::string>{"Invalid data type for 'FormVersion'"});
  window.reset();
}

TEST_F(MainWindowTest, CloseCompletesTheRecordingAndReleasesTheLibrary) {
  Create(Quoted(Path("take.wav")));
  ASSERT_TRUE(State().Recording);
  audio.DeliverSilence(0.5);
  window->show();
  window->close();

  EXPECT_FALSE(State().Recording);
  EXPECT_FALSE(window->Timer->isActive());
  const auto names = audio.CallNames();
  ASSERT_GE(names.size(), 2u);
  EXPECT_EQ(names[names.size() - 2], "Stop");
  EXPECT_EQ(names.back(), "Free");
  const auto bytes = ReadFile(Path("take.wav"));
  ASSERT_EQ(bytes.size(), 44u + 88200u);
  EXPECT_EQ(U32At(bytes, 40), 88200u);
  EXPECT_TRUE(flasher.counts.empty());  // no when-finished action after a close
}

TEST_F(MainWindowTest, UnwritableSettingsAreReportedAfterTheCloseWasHandled) {
  settings.readOnly = true;
  Create(Quoted(Path("take.wav")));
  window->show();
  bool closedSignal = false;
  QObject::connect(window.get(), &TfrmMain::closed, [&] { closedSignal = true; });
  window->close();
  EXPECT_EQ(dialogs.errors, std::vector<std::string>{"Failed to set data for 'FormVersion'"});
  EXPECT_FALSE(State().Recording);
  EXPECT_TRUE(closedSignal);
}

TEST_F(MainWindowTest, TerminationClosesWithoutWaitingForTheUser) {
  settings.readOnly = true;
  Create(Quoted(Path("take.wav")));
  window->show();
  audio.DeliverSilence(0.1);
  window->CloseOnTermination();
  EXPECT_TRUE(dialogs.errors.empty());
  EXPECT_FALSE(window->isVisible());
  const auto bytes = ReadFile(Path("take.wav"));
  EXPECT_EQ(U32At(bytes, 40), bytes.size() - 44);
}

TEST_F(MainWindowTest, DestroyingTheWindowWithoutCloseStillCompletesTheFile) {
  Create(Quoted(Path("take.wav")));
  audio.DeliverSilence(0.1);
  window.reset();
  const auto bytes = ReadFile(Path("take.wav"));
  EXPECT_EQ(U32At(bytes, 40), bytes.size() - 44);
  EXPECT_EQ(audio.CurrentChannel(), 0u);
}

TEST_F(MainWindowTest, BrowseReplacesTheTemplateAndRefreshes) {
  Create();
  dialogs.saveAnswer = "/tmp/x/chosen.wav";
  freeSpace.queriedPaths.clear();
  window->bSaveClick();
  EXPECT_EQ(window->eOutfile->text().toStdString(), "/tmp/x/chosen.wav");
  EXPECT_EQ(freeSpace.queriedPaths, std::vector<std::string>{"/tmp/x"});

  dialogs.saveAnswer.reset();
  window->bSaveClick();
  EXPECT_EQ(window->eOutfile->text().toStdString(), "/tmp/x/chosen.wav");
}

}  // namespace
}  // namespace orvimo::testing
