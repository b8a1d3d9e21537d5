// The window's life: construction, start-up from the command line, first show, close and destruction.
#include "app/qt/tfrm_main.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QShowEvent>
#include <QSpinBox>
#include <QTimer>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <utility>

#include "app/qt/date_time_picker.h"
#include "app/qt/qt_window_placement.h"
#include "app/status_texts.h"
#include "app/when_finished.h"
#include "cmdline/cl_parser.h"
#include "cmdline/options.h"
#include "controls/qt/tambor_button.h"

namespace orvimo {

namespace {

constexpr TDateTime kFiveMinutes = 5.0 / 1440.0;
// Guards the enumeration against a library that never says "no more".
constexpr int kMaxListedEntries = 1000;

int WhenFinishedIndexOf(std::string word) {
  std::transform(word.begin(), word.end(), word.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  if (word == "alert") return static_cast<int>(WhenFinishedAction::DisplayAlert);
  if (word == "new") return static_cast<int>(WhenFinishedAction::StartNewRecording);
  if (word == "shutdown") return static_cast<int>(WhenFinishedAction::ShutdownComputer);
  return static_cast<int>(WhenFinishedAction::DoNothing);
}

AppServices WithDialogs(AppServices services, Dialogs& dialogs) {
  return {.audio = services.audio,
          .clock = services.clock,
          .freeSpace = services.freeSpace,
          .dialogs = dialogs,
          .flasher = services.flasher,
          .shutdown = services.shutdown,
          .sleepInhibitor = services.sleepInhibitor,
          .settings = services.settings,
          .placement = services.placement,
          .formatSettings = std::move(services.formatSettings),
          .commandLine = std::move(services.commandLine)};
}

void SelectQuietly(QComboBox* list, int index) {
  const QSignalBlocker blocker(list);
  list->setCurrentIndex(index);
}

}  // namespace

TfrmMain::TfrmMain(AppServices services, QWidget* parent)
    : QWidget(parent),
      guard_(services.dialogs),
      services_(WithDialogs(std::move(services), guard_)),
      recorder_(services_.audio, services_.clock, services_.freeSpace, *this),
      state_(recorder_.State()) {
  CreateControls();
  WireEvents();
  WindowPlacementAccess* placement = services_.placement;
  if (placement == nullptr) {
    ownPlacement_ = std::make_unique<QtWindowPlacement>(this);
    placement = ownPlacement_.get();
  }
  FormStorage = std::make_unique<TFormStorage>(services_.settings, *placement, StoredProperties());
  Guarded([this] { FormCreate(); });
}

TfrmMain::~TfrmMain() {
  if (!closed_) {
    try {
      if (FormStorage->Active() && !FormStorage->Saved()) FormStorage->Save(true);
    } catch (...) {
      // Nothing can be shown any more while the window goes away.
    }
  }
  ReleaseCaptureOnDestroy();
}

// A window destroyed without a close still completes its recording and leaves no channel calling back
// into the state that is about to go.
void TfrmMain::ReleaseCaptureOnDestroy() noexcept {
  Timer->stop();
  meterRunning_ = false;
  vuTimer->stop();
  try {
    if (state_.Recording) StopRecording();
  } catch (...) {
  }
  services_.audio.ChannelStop(state_.CaptureChannel);
  state_.CaptureChannel = 0;
}

void TfrmMain::FormCreate() {
  const TDateTime now = services_.clock.Now();
  for (TDateTimePicker* picker : {dtStart, dtStop, dtTStart, dtTStop}) picker->SetValue(now);
  dtTStop->SetTime(now + kFiveMinutes);

  std::vector<std::string> list;
  SplitCommandLine(services_.commandLine, list);
  if (list.size() > 2) FormStorage->SetActive(false);

  ApplyFormatOptions(list);
  const int device = OptionInt(list, "d device", -1);
  if (!services_.audio.Init(device, 44100, 0, this, nullptr)) {
    services_.dialogs.ShowError(kAudioInitError);
    return;
  }
  services_.audio.Start();
  ApplySchedulerOptions(list);

  state_.MessageColors = {128, 255, 0x800000};
  state_.BytesPerSec = 176400;
  state_.Recording = false;
  state_.FileCounter = 0;
  state_.DiskDrive = 0;

  FillDeviceList();
  SelectQuietly(cInputDevice, 0);
  cInputDeviceChange();
  TakeOutputFileFromCommandLine(list);
  cOutFormatBChange();
  meterRunning_ = true;
  vuTimer->start();
  PaceMeter();
  Timer->start();
}

void TfrmMain::ApplyFormatOptions(const std::vector<std::string>& list) {
  SelectQuietly(cOutFormatB, OptionInt(list, "b bits", 16) == 8 ? 0 : 1);
  SelectQuietly(cOutFormatC, OptionInt(list, "c channels", 2) == 1 ? 0 : 1);
  SetSpinValue(cOutHz, OptionInt(list, "f freq", 44100));
}

void TfrmMain::ApplySchedulerOptions(const std::vector<std::string>& list) {
  SelectQuietly(cWhenFinished, WhenFinishedIndexOf(OptionValue(list, "a after", "")));

  const std::string start = OptionValue(list, "s start", "");
  if (!start.empty()) {
    const TDateTime moment = ParseOptionDateTime(start, services_.clock.Now(), services_.formatSettings);
    if (moment > 0) {
      SetChecked(cbStart, true);
      dtStart->SetValue(moment);
      dtTStart->SetValue(moment);
    }
  }

  const std::string stop = OptionValue(list, "e end stop", "");
  if (!stop.empty()) {
    const TDateTime moment = ParseOptionDateTime(stop, services_.clock.Now(), services_.formatSettings);
    if (moment > 0) {
      SetChecked(rbStopTime, true);
      SetChecked(cbStop, true);
      dtStop->SetValue(moment);
      dtTStop->SetValue(moment);
    }
  }

  const std::string stopAfter = OptionValue(list, "m max", "");
  if (!stopAfter.empty()) {
    const StopAfterValue limit = ParseStopAfter(stopAfter);
    if (limit.unitIndex) SelectQuietly(cStopAt, *limit.unitIndex);
    SetChecked(rbStopAt, true);
    SetChecked(cbStop, true);
    SetSpinValue(seStopAt, limit.number);
  }
}

void TfrmMain::FillDeviceList() {
  const QSignalBlocker blocker(cInputDevice);
  cInputDevice->clear();
  for (int n = 0; n < kMaxListedEntries; ++n) {
    const auto description = services_.audio.RecordGetDeviceDescription(n);
    if (!description) break;
    cInputDevice->addItem(QString::fromLocal8Bit(description->c_str()));
  }
}

void TfrmMain::TakeOutputFileFromCommandLine(const std::vector<std::string>& list) {
  if (list.empty()) {
    eOutfileChange();
    return;
  }
  const std::string& fileName = list.back();
  if (fileName.empty()) return;
  SetOutfileText(fileName);
  if (!HasNoRecEntry(list)) StartRecording();
}

void TfrmMain::cInputDeviceChange() {
  services_.audio.RecordFree();
  services_.audio.RecordInit(cInputDevice->currentIndex());
  {
    const QSignalBlocker blocker(cInputInput);
    cInputInput->clear();
    for (int n = 0; n < kMaxListedEntries; ++n) {
      const auto name = services_.audio.RecordGetInputName(n);
      if (!name) break;
      cInputInput->addItem(QString::fromLocal8Bit(name->c_str()));
    }
    cInputInput->setCurrentIndex(0);
  }
  cInputInputChange();
}

void TfrmMain::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (shownOnce_) return;
  shownOnce_ = true;
  // A store that cannot be read is reported once the window is on the screen: a message box inside
  // the show would keep the window from appearing until it is answered.
  try {
    if (FormStorage->Active()) FormStorage->Restore();
  } catch (const std::exception& error) {
    QMetaObject::invokeMethod(
        this, [this, message = std::string(error.what())] { services_.dialogs.ShowError(message); },
        Qt::QueuedConnection);
  }
  // The restore sets the format lists quietly and a rate equal to the present one changes nothing, so
  // the data rate and the time labels are brought up to the restored format here.
  if (FormStorage->Active()) Guarded([this] { cOutFormatBChange(); });
  Guarded([this] { FormShow(); });
}

void TfrmMain::FormShow() { eOutfile->setFocus(); }

void TfrmMain::closeEvent(QCloseEvent* event) {
  if (!closed_) {
    closed_ = true;
    // First of all: no tick may reach a stop limit and run its action (a new file, a power-off) while
    // a box of the close is open.
    Timer->stop();
    meterRunning_ = false;
    vuTimer->stop();
    // The recording is completed even when the settings cannot be written.
    RunClosingStep([this] {
      if (FormStorage->Active()) FormStorage->Save(false);
    });
    RunClosingStep([this] { FormClose(); });
    emit closed();
  }
  event->accept();
}

void TfrmMain::CloseOnTermination() {
  terminating_ = true;
  close();
}

void TfrmMain::RunClosingStep(const std::function<void()>& step) {
  if (!terminating_) {
    Guarded(step);
    return;
  }
  try {
    step();
  } catch (const std::exception& error) {
    std::fprintf(stderr, "%s\n", error.what());
  } catch (...) {
    std::fprintf(stderr, "Unknown error\n");
  }
}

void TfrmMain::FormClose() {
  // Nothing may tick against a library that is being released, nor start a scheduled recording.
  Timer->stop();
  meterRunning_ = false;
  vuTimer->stop();
  recorder_.BeginClosing();
  std::exception_ptr stopError;
  try {
    if (state_.Recording) StopRecording();
  } catch (...) {
    stopError = std::current_exception();
  }
  sleepGuard_.Release();
  services_.audio.Stop();
  services_.audio.Free();
  state_.CaptureChannel = 0;
  if (stopError) std::rethrow_exception(stopError);
}

void TfrmMain::bSaveClick() {
  const auto chosen = services_.dialogs.AskSaveFileName(OutfileTemplate());
  if (chosen) SetOutfileText(*chosen);
}

}  // namespace orvimo
