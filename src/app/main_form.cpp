// The window's life: start-up from the command line, first show, close and destruction, the stored
// properties, and the change handling of the controls.
#include "app/main_form.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <utility>

#include "app/date_time_parts.h"
#include "app/when_finished.h"
#include "cmdline/cl_parser.h"
#include "cmdline/option_notes.h"
#include "cmdline/options.h"
#include "services/status_texts.h"

namespace orvimo {

namespace {

constexpr TDateTime kFiveMinutes = 5.0 / 1440.0;
// Guards the enumeration against a library that never says "no more".
constexpr int kMaxListedEntries = 1000;

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

int ToInt(double value) {
  if (!std::isfinite(value)) return 0;
  return static_cast<int>(std::clamp(std::trunc(value), static_cast<double>(std::numeric_limits<int>::min()),
                                     static_cast<double>(std::numeric_limits<int>::max())));
}

// The entries of a list the audio library enumerates until it has no more.
template <typename Enumerate>
std::vector<std::string> ListedEntries(Enumerate&& entryAt) {
  std::vector<std::string> entries;
  for (int n = 0; n < kMaxListedEntries; ++n) {
    const std::optional<std::string> entry = entryAt(n);
    if (!entry) break;
    entries.push_back(*entry);
  }
  return entries;
}

}  // namespace

MainForm::MainForm(AppServices services, FormControls& controls)
    : controls_(controls),
      guard_(services.dialogs),
      services_(WithDialogs(std::move(services), guard_)),
      recorder_(services_.audio, services_.clock, services_.freeSpace, *this),
      state_(recorder_.State()) {}

MainForm::~MainForm() = default;

void MainForm::StartUp(WindowPlacementAccess& ownPlacement) {
  WindowPlacementAccess& placement = services_.placement != nullptr ? *services_.placement : ownPlacement;
  FormStorage = std::make_unique<TFormStorage>(services_.settings, placement, StoredProperties());
  Guarded([this] { FormCreate(); });
}

void MainForm::FormDestroy() noexcept {
  if (!closed_) {
    try {
      if (FormStorage && FormStorage->Active() && !FormStorage->Saved()) FormStorage->Save(true);
    } catch (...) {
      // Nothing can be shown any more while the window goes away.
    }
  }
  ReleaseCaptureOnDestroy();
}

// A window destroyed without a close still completes its recording and leaves no channel calling back
// into the state that is about to go.
void MainForm::ReleaseCaptureOnDestroy() noexcept {
  try {
    StopTimers();
    if (state_.Recording) StopRecording();
  } catch (...) {
  }
  services_.audio.ChannelStop(state_.CaptureChannel);
  state_.CaptureChannel = 0;
}

void MainForm::StopTimers() {
  controls_.StopTimer(TimerId::Timer);
  meterRunning_ = false;
  controls_.StopTimer(TimerId::vuTimer);
}

void MainForm::FormCreate() {
  const TDateTime now = services_.clock.Now();
  for (ControlId picker : {ControlId::dtStart, ControlId::dtStop, ControlId::dtTStart, ControlId::dtTStop}) {
    controls_.PutPickerValue(picker, now);
  }
  controls_.PutPickerValue(ControlId::dtTStop, WithTimeOf(now, now + kFiveMinutes));

  std::vector<std::string> list;
  SplitCommandLine(services_.commandLine, list);
  // What the options do is unchanged; what is not taken as written is said on stderr.
  for (const std::string& note : OptionNotes(list, services_.clock.Now(), services_.formatSettings)) {
    LogFault(note);
  }
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

  std::vector<std::string> typeNames;
  for (FileType type : kFileTypes) typeNames.emplace_back(FileTypeName(type));
  controls_.PutListItems(ControlId::cOutType, typeNames);
  controls_.PutListIndex(ControlId::cOutType, 0);
  FillDeviceList();
  controls_.PutListIndex(ControlId::cInputDevice, 0);
  cInputDeviceChange();
  TakeOutputFileFromCommandLine(list);
  cOutFormatBChange();
  meterRunning_ = true;
  controls_.StartTimer(TimerId::vuTimer);
  PaceMeter();
  controls_.StartTimer(TimerId::Timer);
}

void MainForm::ApplyFormatOptions(const std::vector<std::string>& list) {
  controls_.PutListIndex(ControlId::cOutFormatB, OptionInt(list, "b bits", 16) == 8 ? 0 : 1);
  controls_.PutListIndex(ControlId::cOutFormatC, OptionInt(list, "c channels", 2) == 1 ? 0 : 1);
  SetSpinValue(ControlId::cOutHz, OptionInt(list, "f freq", 44100));
}

void MainForm::ApplySchedulerOptions(const std::vector<std::string>& list) {
  // A word that names no action does nothing after a scheduled stop.
  controls_.PutListIndex(ControlId::cWhenFinished,
                         AfterActionIndex(OptionValue(list, "a after", ""))
                             .value_or(static_cast<int>(WhenFinishedAction::DoNothing)));

  const std::string start = OptionValue(list, "s start", "");
  if (!start.empty()) {
    const TDateTime moment = ParseOptionDateTime(start, services_.clock.Now(), services_.formatSettings);
    if (moment > 0) {
      SetChecked(ControlId::cbStart, true);
      controls_.PutPickerValue(ControlId::dtStart, moment);
      controls_.PutPickerValue(ControlId::dtTStart, moment);
    }
  }

  const std::string stop = OptionValue(list, "e end stop", "");
  if (!stop.empty()) {
    const TDateTime moment = ParseOptionDateTime(stop, services_.clock.Now(), services_.formatSettings);
    if (moment > 0) {
      SetChecked(ControlId::rbStopTime, true);
      SetChecked(ControlId::cbStop, true);
      controls_.PutPickerValue(ControlId::dtStop, moment);
      controls_.PutPickerValue(ControlId::dtTStop, moment);
    }
  }

  const std::string stopAfter = OptionValue(list, "m max", "");
  if (!stopAfter.empty()) {
    const StopAfterValue limit = ParseStopAfter(stopAfter);
    if (limit.unitIndex) controls_.PutListIndex(ControlId::cStopAt, *limit.unitIndex);
    SetChecked(ControlId::rbStopAt, true);
    SetChecked(ControlId::cbStop, true);
    SetSpinValue(ControlId::seStopAt, limit.number);
  }
}

void MainForm::FillDeviceList() {
  controls_.PutListItems(ControlId::cInputDevice, ListedEntries([this](int n) {
                           return services_.audio.RecordGetDeviceDescription(n);
                         }));
}

void MainForm::TakeOutputFileFromCommandLine(const std::vector<std::string>& list) {
  if (list.empty()) {
    eOutfileChange();
    return;
  }
  const std::string& fileName = list.back();
  if (!fileName.empty()) SetOutfileText(fileName);
  commandLineType_ = FileTypeOption(list);
  if (commandLineType_) ChooseFileType(*commandLineType_);
  if (!fileName.empty() && !HasNoRecEntry(list)) StartRecording();
}

void MainForm::cInputDeviceChange() {
  services_.audio.RecordFree();
  services_.audio.RecordInit(controls_.ListIndex(ControlId::cInputDevice));
  controls_.PutListItems(ControlId::cInputInput,
                         ListedEntries([this](int n) { return services_.audio.RecordGetInputName(n); }));
  controls_.PutListIndex(ControlId::cInputInput, 0);
  cInputInputChange();
}

void MainForm::WindowShown() {
  if (shownOnce_) return;
  shownOnce_ = true;
  // A store that cannot be read is reported once the window is on the screen: a message box inside
  // the show would keep the window from appearing until it is answered.
  try {
    if (FormStorage->Active()) FormStorage->Restore();
  } catch (const std::exception& error) {
    controls_.PostCall([this, message = std::string(error.what())] { services_.dialogs.ShowError(message); });
  }
  // The restore sets the format lists quietly and a rate equal to the present one changes nothing, so
  // the data rate and the time labels are brought up to the restored format here.
  if (FormStorage->Active()) {
    Guarded([this] {
      if (commandLineType_) {
        ChooseFileType(*commandLineType_);
      } else {
        cOutTypeChange();
      }
      cOutFormatBChange();
    });
  }
  Guarded([this] { FormShow(); });
}

void MainForm::FormShow() { controls_.PutFocus(ControlId::eOutfile); }

bool MainForm::WindowClosing() {
  if (closed_) return false;
  closed_ = true;
  // First of all: no tick may reach a stop limit and run its action (a new file, a power-off) while
  // a box of the close is open.
  StopTimers();
  // The recording is completed even when the settings cannot be written.
  RunClosingStep([this] {
    if (FormStorage->Active()) FormStorage->Save(false);
  });
  RunClosingStep([this] { FormClose(); });
  return true;
}

void MainForm::CloseOnTermination() {
  terminating_ = true;
  controls_.CloseWindow();
}

void MainForm::CloseAfterLostDisplay() {
  terminating_ = true;
  WindowClosing();
}

void MainForm::RunClosingStep(const std::function<void()>& step) {
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

void MainForm::FormClose() {
  // Nothing may tick against a library that is being released, nor start a scheduled recording.
  StopTimers();
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

void MainForm::bSaveClick() {
  const auto chosen = services_.dialogs.AskSaveFileName(OutfileTemplate());
  if (chosen) SetOutfileText(*chosen);
}

void MainForm::ControlChanged(ControlId control) {
  Guarded([this, control] { RunChangeHandler(control); });
}

void MainForm::TimerFired(TimerId timer) {
  if (timer == TimerId::Timer) {
    Guarded([this] { TimerTimer(false); });
    return;
  }
  if (!withoutDisplay_) Guarded([this] { vuTimerTimer(); });
  Guarded([this] { WatchDiskSpace(); });
}

// The handling of a change, whether the user or code made it. A radio button's handler runs for the
// button that became checked only.
void MainForm::RunChangeHandler(ControlId control) {
  switch (control) {
    case ControlId::cInputDevice:
    case ControlId::cInputInput:
      cInputDeviceChange();
      break;
    case ControlId::eOutfile:
      eOutfileChange();
      break;
    case ControlId::cOutType:
      cOutTypeChange();
      break;
    case ControlId::cOutFormatB:
    case ControlId::cOutFormatC:
    case ControlId::cOutHz:
      cOutFormatBChange();
      break;
    case ControlId::cbStart:
    case ControlId::dtTStart:
      dtTStartChange();
      break;
    case ControlId::cbStop:
    case ControlId::dtTStop:
      dtTStopChange();
      break;
    case ControlId::rbStopTime:
      if (controls_.IsChecked(control)) dtTStopChange();
      break;
    case ControlId::rbStopAt:
      if (controls_.IsChecked(control)) seStopAtChange();
      break;
    case ControlId::cStopAt:
    case ControlId::seStopAt:
      seStopAtChange();
      break;
    default:
      break;
  }
}

void MainForm::SetOutfileText(const std::string& text) {
  controls_.PutEditText(ControlId::eOutfile, text);
  eOutfileChange();
}

std::string MainForm::OutfileTemplate() const { return controls_.EditText(ControlId::eOutfile); }

void MainForm::SetChecked(ControlId button, bool checked) {
  if (controls_.IsChecked(button) == checked) return;
  controls_.PutChecked(button, checked);
  const bool radio = button == ControlId::rbStopTime || button == ControlId::rbStopAt;
  if (checked || !radio) RunChangeHandler(button);
}

void MainForm::SetSpinValue(ControlId spin, int value) {
  const int before = controls_.SpinValue(spin);
  controls_.PutSpinValue(spin, value);
  if (controls_.SpinValue(spin) != before) RunChangeHandler(spin);
}

// The settings kept between runs, in the order they are written.
std::vector<StoredProperty> MainForm::StoredProperties() {
  const auto checkBox = [this](const char* name, ControlId button) {
    return StoredProperty{name, StoredKind::Boolean,
                          [this, button] { return controls_.IsChecked(button) ? 1.0 : 0.0; },
                          [this, button](double value) { SetChecked(button, value != 0); }};
  };
  const auto list = [this](const char* name, ControlId box) {
    return StoredProperty{name, StoredKind::Integer,
                          [this, box] { return static_cast<double>(controls_.ListIndex(box)); },
                          [this, box](double value) { controls_.PutListIndex(box, ToInt(value)); }};
  };
  const auto spin = [this](const char* name, ControlId box) {
    return StoredProperty{name, StoredKind::Extended,
                          [this, box] { return static_cast<double>(controls_.SpinValue(box)); },
                          [this, box](double value) { SetSpinValue(box, ToInt(value)); }};
  };
  // A date picker takes the stored value's date and keeps its time of day; a time picker the reverse.
  const auto picker = [this](const char* name, ControlId id, bool takesDate) {
    return StoredProperty{name, StoredKind::Double, [this, id] { return controls_.PickerValue(id); },
                          [this, id, takesDate](double value) {
                            const TDateTime present = controls_.PickerValue(id);
                            controls_.PutPickerValue(
                                id, takesDate ? WithTimeOf(value, present) : WithTimeOf(present, value));
                          }};
  };
  return {checkBox("cbStop_Checked", ControlId::cbStop),
          list("cOutFormatB_ItemIndex", ControlId::cOutFormatB),
          list("cOutFormatC_ItemIndex", ControlId::cOutFormatC),
          spin("cOutHz_Value", ControlId::cOutHz),
          list("cOutType_ItemIndex", ControlId::cOutType),
          list("cStopAt_ItemIndex", ControlId::cStopAt),
          list("cWhenFinished_ItemIndex", ControlId::cWhenFinished),
          picker("dtStart_Date", ControlId::dtStart, true),
          picker("dtStop_Date", ControlId::dtStop, true),
          picker("dtTStart_Time", ControlId::dtTStart, false),
          picker("dtTStop_Time", ControlId::dtTStop, false),
          checkBox("rbStopAt_Checked", ControlId::rbStopAt),
          checkBox("rbStopTime_Checked", ControlId::rbStopTime),
          spin("seStopAt_Value", ControlId::seStopAt)};
}

}  // namespace orvimo
