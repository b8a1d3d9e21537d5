// Recording with the button: start, pause, stop, capture errors, the status tick, the disk-space guard
// and the level meter.
#include <QEvent>
#include <QGroupBox>
#include <QLocale>
#include <QObject>
#include <QTest>

#include <signal.h>
#include <sys/resource.h>

#include <filesystem>
#include <numeric>

#include "controls/qt/paint_box32.h"
#include "controls/qt/tambor_button.h"
#include "main_window_fixture.h"
#include "monitor/size_text.h"
#include "recording/wave_header.h"

namespace orvimo::testing {
namespace {

using Call = capture::FakeAudioLibrary::Call;

std::vector<uint8_t> Pattern(size_t size, uint8_t first) {
  std::vector<uint8_t> bytes(size);
  std::iota(bytes.begin(), bytes.end(), first);
  return bytes;
}

const QColor kNavy(0, 0, 128), kRed(255, 0, 0), kMaroon(128, 0, 0);

TEST_F(MainWindowTest, RecordPauseResumeStopKeepsExactlyTheUnpausedAudio) {
  CreateWithOutput();
  window->bRecClick();
  ASSERT_TRUE(State().Recording);
  EXPECT_EQ(audio.CallsNamed("RecordStart").back(), (Call{"RecordStart", {44100, 2, 0}}));
  EXPECT_EQ(Message(), " Recording audio");
  EXPECT_EQ(Hint(window->lMessage), "Recording audio");
  EXPECT_EQ(State().VuColor, 0xFFFFBB1Bu);
  EXPECT_EQ(window->bRec->ImageIndex_Normal(), 1);
  EXPECT_FALSE(window->GroupBox1->isEnabled());
  EXPECT_FALSE(window->GroupBox2->isEnabled());
  EXPECT_FALSE(window->cbStart->isEnabled());
  EXPECT_TRUE(window->cbStop->isEnabled());

  const auto first = Pattern(1000, 1), dropped = Pattern(400, 7), last = Pattern(600, 50);
  audio.Deliver(first);
  window->bRecMouseDown(MouseButton::kRight);
  EXPECT_EQ(Message(), " PAUSED");
  audio.Deliver(dropped);
  window->bRecMouseDown(MouseButton::kLeft);  // only the right button pauses
  EXPECT_TRUE(State().Paused);
  window->bRecMouseDown(MouseButton::kRight);
  EXPECT_EQ(Message(), " Recording audio");
  audio.Deliver(last);
  window->bRecClick();

  EXPECT_FALSE(State().Recording);
  const auto bytes = ReadFile(Path("take_1.wav"));
  ASSERT_EQ(bytes.size(), 44u + 1600u);
  WaveHeader expected = MakeWaveHeader(2, 44100, 16);
  expected.riffSize = 1600 + 36;
  expected.dataSize = 1600;
  const auto header = expected.ToBytes();
  EXPECT_TRUE(std::equal(header.begin(), header.end(), bytes.begin()));
  EXPECT_TRUE(std::equal(first.begin(), first.end(), bytes.begin() + 44));
  EXPECT_TRUE(std::equal(last.begin(), last.end(), bytes.begin() + 1044));

  EXPECT_EQ(Message(), " Recording stopped.");
  EXPECT_EQ(MessageColor(), kNavy);
  EXPECT_EQ(window->bRec->ImageIndex_Normal(), 0);
  EXPECT_TRUE(window->GroupBox1->isEnabled());
  EXPECT_TRUE(window->cbStart->isEnabled());
  EXPECT_EQ(State().VuColor, 0xFFFFFFFFu);
  EXPECT_EQ(window->Engine().RecordedBytes(), 0);
  EXPECT_EQ(window->Engine().Writer().Current(), nullptr);
  EXPECT_EQ(audio.CallsNamed("RecordStart").back(), (Call{"RecordStart", {44100, 2, 0}}));
  EXPECT_EQ(State().CaptureChannel, audio.CurrentChannel());
  // The refresh inside the stop showed the final count.
  EXPECT_EQ(Hint(window->lRecorded), FormatSize(1600));
}

TEST_F(MainWindowTest, RecordingFollowsTheFormatControlsAndCountsFiles) {
  CreateWithOutput("\"small [i].wav\"");
  window->cOutFormatB->setCurrentIndex(0);
  window->cOutFormatC->setCurrentIndex(0);
  window->SetSpinValue(ControlId::cOutHz, 8000);
  EXPECT_EQ(State().BytesPerSec, 8000);
  window->bRecClick();
  EXPECT_EQ(audio.CallsNamed("RecordStart").back(), (Call{"RecordStart", {8000, 1, 1}}));
  audio.DeliverSilence(1.0);
  window->bRecClick();
  window->bRecClick();
  window->bRecClick();

  const auto bytes = ReadFile(Path("small 1.wav"));  // the double quotes are dropped
  ASSERT_EQ(bytes.size(), 44u + 8000u);
  EXPECT_EQ(bytes[22], 1);             // channels
  EXPECT_EQ(U32At(bytes, 24), 8000u);  // rate
  EXPECT_EQ(U32At(bytes, 28), 8000u);  // bytes per second
  EXPECT_EQ(bytes[34], 8);             // bits
  EXPECT_EQ(bytes[44], 128);           // 8-bit silence
  EXPECT_EQ(ReadFile(Path("small 2.wav")).size(), 44u);
  EXPECT_EQ(U32At(ReadFile(Path("small 2.wav")), 4), 36u);
}

// Numbers come from the controls' values, never from their text in the locale's digits; a file name
// keeps its bytes (Linux names need not be UTF-8), also through an edit of the name.
TEST_F(MainWindowTest, LocaleDigitsAndNonUtf8NamesReachTheFileAsGiven) {
  const QLocale before;
  QLocale::setDefault(QLocale(QLocale::Arabic, QLocale::Egypt));
  Create("\"" + Path("take_\xFF_[i].wav") + "\"");
  QLocale::setDefault(before);
  EXPECT_NE(window->cOutHz->cleanText().toStdString(), "44100");  // the locale's own digits
  ASSERT_TRUE(State().Recording) << (dialogs.errors.empty() ? "" : dialogs.errors.front());
  window->bRecClick();
  const auto bytes = ReadFile(Path("take_\xFF_1.wav"));
  ASSERT_EQ(bytes.size(), 44u);
  EXPECT_EQ(U32At(bytes, 24), 44100u);

  // An edit of the name elsewhere leaves the byte alone.
  window->eOutfile->setText(window->eOutfile->text().replace("[i]", "b"));
  window->bRecClick();
  EXPECT_TRUE(State().Recording);
  EXPECT_TRUE(std::filesystem::exists(Path("take_\xFF_b.wav")));
}

// The status hint tells the dropouts of the running recording and, after its stop, of the one that
// ended; a recording without any says nothing.
TEST_F(MainWindowTest, DropoutsAreShownInTheStatusHintWhileRecordingAndAfterTheStop) {
  CreateWithOutput();
  window->bRecClick();
  Tick();
  EXPECT_EQ(Hint(window->lMessage), "Recording audio");
  audio.ReportDropout(State().CaptureChannel, 1764);  // 10 ms of 44100 Hz stereo 16-bit
  audio.ReportDropout(State().CaptureChannel, 1764);
  Tick();
  EXPECT_EQ(Hint(window->lMessage), "Recording audio\n2 dropouts (about 20 ms lost)");
  window->bRecClick();
  EXPECT_EQ(Hint(window->lMessage), "Recording stopped.\n2 dropouts (about 20 ms lost)");
  window->bRecClick();
  EXPECT_EQ(Hint(window->lMessage), "Recording audio");
  window->bRecClick();
  EXPECT_EQ(Hint(window->lMessage), "Recording stopped.");
}

TEST_F(MainWindowTest, RightButtonWhileIdleChangesNothing) {
  CreateWithOutput();
  window->bRecMouseDown(MouseButton::kRight);
  EXPECT_FALSE(State().Paused);
  EXPECT_FALSE(State().Recording);
}

struct CaptureErrorCase {
  int code;
  std::string message;
};

TEST_F(MainWindowTest, EveryCaptureErrorIsShownAndLeavesNoFileBehind) {
  const std::vector<CaptureErrorCase> cases{{1, "Insufficient memory!"},
                                            {6, "File format not supported!"},
                                            {8, "BASS_RecordInit not called!"},
                                            {14, "Recording already in progress!"},
                                            {37, "Recording device not available for use!"},
                                            {-1, "Unknown problem!"},
                                            {99, "Unknown error!"}};
  CreateWithOutput();
  uint16_t counter = 0;
  for (const CaptureErrorCase& c : cases) {
    dialogs.errors.clear();
    audio.RefuseRecordStart(c.code);
    window->bRecClick();
    ++counter;
    EXPECT_FALSE(State().Recording) << c.code;
    EXPECT_EQ(Message(), " " + c.message) << c.code;
    EXPECT_EQ(dialogs.errors, std::vector<std::string>{"Error: " + c.message}) << c.code;
    EXPECT_EQ(State().FileCounter, counter);
    EXPECT_EQ(State().CaptureChannel, 0u) << c.code;
    EXPECT_EQ(window->Engine().Writer().Current(), nullptr);
    EXPECT_FALSE(std::filesystem::exists(Path("take_" + std::to_string(counter) + ".wav"))) << c.code;
    EXPECT_TRUE(window->GroupBox2->isEnabled());
  }
  // The meter stays frozen without a channel; a device change brings the monitor back.
  audio.ClearCalls();
  window->vuTimerTimer();
  EXPECT_TRUE(audio.CallsNamed("ChannelGetLevel").empty());
  audio.RefuseRecordStart(std::nullopt);
  window->cInputDeviceChange();
  EXPECT_NE(State().CaptureChannel, 0u);
}

TEST_F(MainWindowTest, FileThatCannotBeCreatedLeavesTheMonitorRunning) {
  CreateWithOutput("missing/take.wav");
  const uint32_t monitor = State().CaptureChannel;
  window->bRec->clicked();  // through the guard, as a click would
  ASSERT_EQ(dialogs.errors.size(), 1u);
  EXPECT_EQ(dialogs.errors[0].rfind("Cannot create file \"" + Path("missing/take.wav") + "\". ", 0), 0u);
  EXPECT_EQ(Text(window->lFilename), " " + Path("missing/take.wav"));
  EXPECT_EQ(State().CaptureChannel, monitor);
  EXPECT_FALSE(State().Recording);
  EXPECT_TRUE(window->GroupBox2->isEnabled());
}

TEST_F(MainWindowTest, DiskGuardPausesBelowTheReserveOnly) {
  CreateWithOutput();
  window->bRecClick();
  audio.DeliverSilence(1.0);

  freeSpace.bytes = 102400;
  Tick();
  EXPECT_FALSE(State().Paused);
  EXPECT_EQ(Text(window->lRecorded), " 00 : 00 : 01");
  EXPECT_EQ(Hint(window->lFree), "100 KB");

  audio.DeliverSilence(1.0);
  freeSpace.bytes = 102399;
  Tick();
  EXPECT_TRUE(State().Paused);
  EXPECT_EQ(Message(), " PAUSED");
  EXPECT_EQ(
      dialogs.warnings,
      std::vector<std::string>{"Recording was paused due to\n\rinsufficient disk space. (99 KBytes left.)"});
  EXPECT_EQ(flasher.counts, std::vector<int>{10});
  EXPECT_EQ(Text(window->lRecorded), " 00 : 00 : 01");  // not refreshed by the pausing tick

  // While paused every tick and every forced refresh returns at once.
  freeSpace.queriedPaths.clear();
  Tick();
  window->TimerTimer(true);
  EXPECT_TRUE(freeSpace.queriedPaths.empty());
  EXPECT_EQ(dialogs.warnings.size(), 1u);
}

TEST_F(MainWindowTest, DiskIsWatchedBetweenStatusTicksWhileRecording) {
  CreateWithOutput();
  freeSpace.bytes = 102399;
  window->WatchDiskSpace();  // idle: nothing to protect
  EXPECT_TRUE(dialogs.warnings.empty());
  freeSpace.bytes = 102400;
  window->bRecClick();
  window->WatchDiskSpace();
  EXPECT_FALSE(State().Paused);
  freeSpace.bytes = 50 * 1024;
  window->WatchDiskSpace();
  EXPECT_TRUE(State().Paused);
  EXPECT_EQ(
      dialogs.warnings,
      std::vector<std::string>{"Recording was paused due to\n\rinsufficient disk space. (50 KBytes left.)"});
  window->WatchDiskSpace();  // once paused it stays quiet
  EXPECT_EQ(dialogs.warnings.size(), 1u);
}

// A roomy disk is not asked between ticks until the recording may have used half of the room above
// the reserve; a disk close to the reserve is asked at every frame, and so is one after a resume.
TEST_F(MainWindowTest, DiskChecksBetweenTicksArePacedByWhatIsLeft) {
  CreateWithOutput();
  freeSpace.bytes = 102400 + 20000;
  window->bRecClick();
  freeSpace.queriedPaths.clear();
  window->WatchDiskSpace();  // the first frame of a recording always looks
  EXPECT_EQ(freeSpace.queriedPaths.size(), 1u);
  audio.Deliver(Pattern(9996, 0));
  window->WatchDiskSpace();
  EXPECT_EQ(freeSpace.queriedPaths.size(), 1u);
  freeSpace.bytes = 102400;  // somebody else filled the disk meanwhile: seen once half is written
  audio.Deliver(Pattern(4, 0));
  window->WatchDiskSpace();
  EXPECT_EQ(freeSpace.queriedPaths.size(), 2u);
  EXPECT_FALSE(State().Paused);
  window->WatchDiskSpace();
  window->WatchDiskSpace();
  EXPECT_EQ(freeSpace.queriedPaths.size(), 4u);
  freeSpace.bytes = 102399;
  window->WatchDiskSpace();
  EXPECT_TRUE(State().Paused);
  EXPECT_EQ(dialogs.warnings.size(), 1u);

  freeSpace.bytes = 1000000;
  window->bRecMouseDown(MouseButton::kRight);  // resumed
  const size_t before = freeSpace.queriedPaths.size();
  window->WatchDiskSpace();
  EXPECT_EQ(freeSpace.queriedPaths.size(), before + 1);
  window->WatchDiskSpace();
  EXPECT_EQ(freeSpace.queriedPaths.size(), before + 1);
}

// Hidden, the meter's timer runs only while the disk must be watched between status ticks, and only
// then does the capture keep the meter's pace; showing the window brings both back at once. A meter
// stopped by the close stays stopped.
TEST_F(MainWindowTest, HiddenTheMeterSleepsUnlessTheDiskNeedsWatching) {
  CreateWithOutput();
  QTimer& meter = *window->vuTimer;
  freeSpace.bytes = 1000000000;
  QColor hiddenColor;
  const struct Step {
    std::string what;
    std::function<void()> act;
    bool active;
    int interval;
  } steps[] = {
      {"hidden while idle", [&] { window->SetScreenShown(false); }, false, 20},
      {"a recording looks at once", [&] { window->bRecClick(); }, true, 145},
      {"a roomy disk", [&] { window->WatchDiskSpace(); }, false, 145},
      {"under three seconds of audio from the next look",
       [&] {
         freeSpace.bytes = 102400 + 2 * 176400;
         hiddenColor = MessageColor();
         Tick();
         EXPECT_EQ(MessageColor(), hiddenColor) << "the status does not blink unseen";
       },
       true, 145},
      {"shown, its labels caught up",
       [&] {
         window->SetScreenShown(true);
         EXPECT_EQ(Hint(window->lFree), FormatSize(102400 + 2 * 176400));
         EXPECT_NE(MessageColor(), hiddenColor) << "the blink goes on where it is";
       },
       true, 20},
      {"hidden again", [&] { window->SetScreenShown(false); }, true, 145},
      {"paused", [&] { window->bRecMouseDown(MouseButton::kRight); }, false, 145},
      {"closed, then shown",
       [&] {
         window->close();
         window->SetScreenShown(true);
       },
       false, 145},
  };
  for (const Step& step : steps) {
    step.act();
    EXPECT_EQ(meter.isActive(), step.active) << step.what;
    if (step.active) {
      EXPECT_EQ(meter.interval(), step.interval) << step.what;
    }
  }
  std::vector<int64_t> relaxed;
  for (const auto& call : audio.CallsNamed("SetLowPower")) relaxed.push_back(call.args.at(0));
  EXPECT_EQ(relaxed, (std::vector<int64_t>{1, 0, 1, 0, 1})) << "one call per change";
}

TEST_F(MainWindowTest, LowDiskWhileIdleOnlyUpdatesTheLabels) {
  CreateWithOutput();
  freeSpace.bytes = 1000;
  window->TimerTimer(true);
  EXPECT_EQ(Hint(window->lFree), "1,000 B");
  EXPECT_TRUE(dialogs.warnings.empty());
  EXPECT_FALSE(State().Paused);
}

TEST_F(MainWindowTest, UnknownFreeSpaceAndAZeroRateShowPlaceholders) {
  CreateWithOutput();
  freeSpace.bytes = -1;
  window->TimerTimer(true);
  EXPECT_EQ(Hint(window->lFree), "unknown");
  EXPECT_EQ(Text(window->lFree), " 00 : 00 : 00");

  freeSpace.bytes = 1 << 20;
  window->SetSpinValue(ControlId::cOutHz, 0);
  EXPECT_EQ(State().BytesPerSec, 0);
  EXPECT_EQ(Text(window->lFree), " -- : -- : --");
  EXPECT_EQ(Text(window->lRecorded), " -- : -- : --");
}

TEST_F(MainWindowTest, StatusLineBlinksRedThenMaroonWhileRecording) {
  CreateWithOutput();
  window->bRecClick();
  const int phase = window->TimerTag();
  Tick();
  EXPECT_EQ(MessageColor(), phase == 0 ? kRed : kMaroon);
  Tick();
  EXPECT_EQ(MessageColor(), phase == 0 ? kMaroon : kRed);
  window->bRecClick();
  EXPECT_EQ(MessageColor(), kNavy);
}

// A write the system refuses, with no way on into a next part, pauses the recording readably: the status
// line says "Cannot write", its hint and one error box name the file and the reason.
TEST_F(MainWindowTest, RefusedWriteShowsCannotWriteAndTheReasonInTheHintAndOneBox) {
  CreateWithOutput();
  std::filesystem::create_directory(Path("take_1 (2).wav"));  // the continuation's name is taken
  window->bRecClick();
  struct rlimit previous {};
  ::getrlimit(RLIMIT_FSIZE, &previous);
  const auto oldHandler = ::signal(SIGXFSZ, SIG_IGN);
  struct rlimit limited = previous;
  limited.rlim_cur = 44 + 4000;
  ::setrlimit(RLIMIT_FSIZE, &limited);
  audio.DeliverSilence(0.1);
  Tick();
  ::setrlimit(RLIMIT_FSIZE, &previous);
  ::signal(SIGXFSZ, oldHandler);

  const std::string text = "Cannot write to file \"" + Path("take_1.wav") + "\": File too large";
  EXPECT_TRUE(State().Paused);
  EXPECT_EQ(Message(), " Cannot write");
  EXPECT_EQ(Hint(window->lMessage).rfind(text, 0), 0u) << Hint(window->lMessage);
  EXPECT_EQ(dialogs.errors, std::vector<std::string>{text});
  Tick();
  EXPECT_EQ(dialogs.errors.size(), 1u);
  window->bRecClick();
  EXPECT_EQ(ReadFile(Path("take_1.wav")).size(), 44u + 4000u);
}

// The writer brings the header up to date after every half second of audio, so a file read while it
// records is short of at most that much.
TEST_F(MainWindowTest, WhileRecordingTheHeaderLagsAtMostHalfASecond) {
  CreateWithOutput();
  window->bRecClick();
  audio.DeliverSilence(1.0);
  Tick();
  const auto bytes = ReadFile(Path("take_1.wav"));
  ASSERT_EQ(bytes.size(), 44u + 176400u);
  EXPECT_GE(U32At(bytes, 40), 176400u - 88200u);
  EXPECT_LE(U32At(bytes, 40), 176400u);
  EXPECT_EQ(U32At(bytes, 4), U32At(bytes, 40) + 36);
}

TEST_F(MainWindowTest, StopWhilePausedKeepsTheDisplaysButWakesTheTick) {
  CreateWithOutput();
  window->bRecClick();
  audio.DeliverSilence(1.0);
  Tick();
  window->bRecMouseDown(MouseButton::kRight);
  audio.DeliverSilence(1.0);
  window->bRecClick();

  EXPECT_FALSE(State().Paused);
  EXPECT_EQ(Message(), " Recording stopped.");
  EXPECT_EQ(Text(window->lRecorded), " 00 : 00 : 01");
  EXPECT_EQ(ReadFile(Path("take_1.wav")).size(), 44u + 176400u);

  // The scheduled start works again at once.
  window->SetChecked(ControlId::cbStart, true);
  Tick();
  EXPECT_TRUE(State().Recording);
}

TEST_F(MainWindowTest, LostDeviceCompletesTheRecordingAndSaysSo) {
  CreateWithOutput();
  window->cWhenFinished->setCurrentIndex(2);
  window->SetChecked(ControlId::cbStop, true);
  window->bRecClick();
  audio.DeliverSilence(0.5);
  audio.SetChannelLost(State().CaptureChannel);
  Tick();

  EXPECT_FALSE(State().Recording);
  EXPECT_EQ(Message(), " Recording device lost!");
  EXPECT_EQ(dialogs.errors, std::vector<std::string>{"Error: Recording device lost!"});
  const auto bytes = ReadFile(Path("take_1.wav"));
  EXPECT_EQ(U32At(bytes, 40), 88200u);
  EXPECT_FALSE(std::filesystem::exists(Path("take_2.wav")));  // no when-finished action
  EXPECT_TRUE(flasher.counts.empty());
}

TEST_F(MainWindowTest, OutputNameChoosesTheVolumeToWatch) {
  CreateWithOutput("rec/[yyyy]/take.wav");
  EXPECT_EQ(freeSpace.queriedPaths.back(), Path("rec/[yyyy]"));
  window->SetOutfileText("c:\\rec.wav");
  EXPECT_EQ(State().DiskDrive, 'c' - 64);  // the typed letter comes back in the root path
  EXPECT_EQ(freeSpace.queriedPaths.back(), "c:\\");
  window->SetOutfileText("C:\\rec.wav");
  EXPECT_EQ(State().DiskDrive, 3);
  EXPECT_EQ(freeSpace.queriedPaths.back(), "C:\\");
  window->SetOutfileText("take.wav");
  EXPECT_EQ(State().DiskDrive, 0);
  EXPECT_EQ(freeSpace.queriedPaths.back(), "");
}

TEST_F(MainWindowTest, StereoToMonoHalvesTheFreeTime) {
  CreateWithOutput();
  freeSpace.bytes = 176400 * 10;
  window->TimerTimer(true);
  EXPECT_EQ(Text(window->lFree), " 00 : 00 : 10");
  window->cOutFormatC->setCurrentIndex(0);  // as the user picks it
  EXPECT_EQ(Text(window->lFree), " 00 : 00 : 20");
}

// Rows 0-3 show the left level, rows 4-7 the right one; the two rightmost columns stay black.
void ExpectBars(TBitmap32& buffer, int left, int right, TColor32 colour) {
  for (int y = 0; y < 8; ++y) {
    const int length = y < 4 ? left : right;
    for (int x = 0; x < buffer.Width(); ++x)
      ASSERT_EQ(buffer.Pixel(x, y), x < length ? colour : 0xFF000000u) << x << "," << y;
  }
}

TEST_F(MainWindowTest, MeterDrawsBothBarsInTheStateColour) {
  CreateWithOutput();
  TBitmap32& buffer = window->vubox->Buffer();
  ASSERT_EQ(buffer.Width(), 229);
  audio.SetLevel(32768, 0);
  window->vuTimerTimer();
  ExpectBars(buffer, 227, 0, 0xFFFFFFFF);

  audio.SetLevel(16384, 40000);  // above full scale the bar ends at the box's edge
  window->bRecClick();
  window->vuTimerTimer();
  ExpectBars(buffer, 113, 229, 0xFFFFBB1B);

  audio.SetLevel(0, 0);
  window->vuTimerTimer();
  ExpectBars(buffer, 0, 0, 0);
}

// Counts the paints of one widget.
class PaintCounter : public QObject {
 public:
  int paints = 0;
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint) ++paints;
    return false;
  }
};

TEST_F(MainWindowTest, MeterSendsAFrameToTheScreenOnlyWhenItsPictureChanges) {
  CreateWithOutput();
  window->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
  PaintCounter counter;
  window->vubox->installEventFilter(&counter);

  audio.SetLevel(16384, 16384);
  window->vuTimerTimer();
  const int afterFirst = counter.paints;
  EXPECT_GE(afterFirst, 1);
  window->vuTimerTimer();  // the same bars again
  EXPECT_EQ(counter.paints, afterFirst);

  audio.SetLevel(32768, 16384);
  window->vuTimerTimer();
  EXPECT_GT(counter.paints, afterFirst);
  const int afterLevelChange = counter.paints;
  window->bRecClick();  // same level, amber bars
  window->vuTimerTimer();
  EXPECT_GT(counter.paints, afterLevelChange);
  window->bRecClick();
}

}  // namespace
}  // namespace orvimo::testing
