// The status tick with its displays and disk-space guard, the scheduler, the actions after a scheduled
// stop, and the level meter.
#include <algorithm>
#include <limits>
#include <optional>

#include "app/date_time_parts.h"
#include "app/disk_watch.h"
#include "app/main_form.h"
#include "app/when_finished.h"
#include "monitor/size_text.h"
#include "services/status_texts.h"

namespace orvimo {

namespace {

constexpr TColor32 kMeterBackground = 0xFF000000;
constexpr double kFullScale = 32768.0;
// Assistive technology hears the meter's level a few times a second; at the meter's pace it would be
// flooded with readings nobody can follow.
constexpr int kMeterFramesPerReading = 250 / MainForm::kMeterInterval;

std::string Trimmed(const std::string& text) {
  const char* blanks = " \t\n\r\f\v";
  const size_t first = text.find_first_not_of(blanks);
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

}  // namespace

void MainForm::eOutfileChange() {
  state_.DiskDrive = DiskDriveOf(OutfileTemplate());
  if (const auto named = FileTypeOfName(OutfileTemplate()); named && *named != SelectedFileType()) {
    controls_.PutListIndex(ControlId::cOutType, static_cast<int>(*named));
  }
  TimerTimer(true);
}

void MainForm::cOutFormatBChange() {
  state_.BytesPerSec =
      BytesPerSecondOf(controls_.ListIndex(ControlId::cOutFormatC), controls_.SpinValue(ControlId::cOutHz),
                       controls_.ListIndex(ControlId::cOutFormatB));
  TimerTimer(true);
}

void MainForm::TimerTimer(bool forcedRefresh) {
  // Before the paused return: a paused recording keeps sleep held off.
  UpdateSleepGuard();
  if (state_.Paused) return;
  // A display step that fails (a disk that went away) is reported after the rest of the tick, so the
  // stop test and the action after it still run.
  std::exception_ptr displayError;
  if (forcedRefresh || state_.Recording) {
    try {
      const int64_t freeBytes = QueryFreeSpace();
      RefreshFreeSpace(freeBytes);
      if (GuardDiskSpace(freeBytes)) return;
      PlanNextDiskCheck(freeBytes);
      RefreshRecorded(recorder_.RecordedBytes());
    } catch (...) {
      displayError = std::current_exception();
    }
  }
  if (!state_.Recording) {
    ScheduledStartTest();
  } else if (CheckRecorder()) {
    timerTag_ = 1 - timerTag_;
    // A covered window still repaints what changes, so the blink waits for the window to show.
    if (screenShown_) controls_.PutLabelColor(ControlId::lMessage, state_.MessageColors[timerTag_]);
    StopTest();
  }
  if (displayError) std::rethrow_exception(displayError);
}

int64_t MainForm::QueryFreeSpace() { return recorder_.FreeBytes(OutfileTemplate()); }

// Between two status ticks the free space is asked for again only once the recording itself may have
// used half of what was left above the reserve: a nearly full disk is watched at every meter frame, a
// roomy one costs nothing until the next tick.
void MainForm::WatchDiskSpace() {
  if (!state_.Recording || state_.Paused) return;
  if (recorder_.RecordedBytes() < nextDiskCheckAt_) return;
  const int64_t freeBytes = QueryFreeSpace();
  if (GuardDiskSpace(freeBytes)) return;
  PlanNextDiskCheck(freeBytes);
}

void MainForm::PlanNextDiskCheck(int64_t freeBytes) {
  // Unknown free space is asked for again at the next tick only.
  const int64_t room = freeBytes < 0 ? std::numeric_limits<int64_t>::max() / 2
                                     : std::max<int64_t>(freeBytes - kDiskReserveBytes, 0) / 2;
  nextDiskCheckAt_ = recorder_.RecordedBytes() + room;
  PaceMeter();
}

void MainForm::SetScreenShown(bool shown) {
  screenShown_ = shown;
  if (shown) {
    RefreshFreeSpace(shownFree_);
    RefreshRecorded(shownRecorded_);
    if (state_.Recording && !state_.Paused) {
      controls_.PutLabelColor(ControlId::lMessage, state_.MessageColors[timerTag_]);
    }
  }
  PaceMeter();
}

// Shown, the meter runs at its own pace. Hidden, its tick only watches the disk: it stops while the
// next look at the disk is further away than the next status tick can let the recording come, and
// the capture relaxes then; a nearly full disk keeps the meter's pace for the capture, so no single
// delivery can jump over the reserve.
void MainForm::PaceMeter() {
  if (!meterRunning_ || withoutDisplay_) return;
  const bool watchDisk = state_.Recording && !state_.Paused &&
                         DiskWatchNeeded(nextDiskCheckAt_ - recorder_.RecordedBytes(), state_.BytesPerSec);
  if (screenShown_ || watchDisk) {
    const int interval =
        screenShown_ ? kMeterInterval : static_cast<int>(DiskWatchInterval(state_.BytesPerSec).count());
    // setInterval restarts the timer: only a change of pace may do that.
    if (controls_.TimerInterval(TimerId::vuTimer) != interval) {
      controls_.PutTimerInterval(TimerId::vuTimer, interval);
    }
    if (!controls_.TimerRunning(TimerId::vuTimer)) controls_.StartTimer(TimerId::vuTimer);
  } else {
    controls_.StopTimer(TimerId::vuTimer);
  }
  const bool relaxed = !screenShown_ && !watchDisk;
  if (relaxed == captureRelaxed_) return;
  captureRelaxed_ = relaxed;
  services_.audio.SetLowPower(relaxed);
}

void MainForm::RefreshFreeSpace(int64_t freeBytes) {
  shownFree_ = freeBytes;
  // While nothing of the window is shown its labels wait: setting a text costs a layout pass, and
  // SetScreenShown brings them up to date.
  if (!screenShown_) return;
  controls_.PutLabelText(ControlId::lFree,
                         FormatDuration(std::max<int64_t>(freeBytes, 0), FileBytesPerSecond()));
  controls_.PutHint(ControlId::lFree, freeBytes < 0 ? kUnknownFreeSpace : FormatSize(freeBytes));
}

// Pauses a recording on a nearly full disk, so what was written so far stays intact.
bool MainForm::GuardDiskSpace(int64_t freeBytes) {
  if (!recorder_.GuardDiskSpace(freeBytes)) return false;
  nextDiskCheckAt_ = 0;
  PaceMeter();
  Echo(kPausedText);
  services_.dialogs.ShowWarning(DiskFullWarning(freeBytes));
  services_.flasher.FlashAppWindow(10);
  return true;
}

void MainForm::RefreshRecorded(int64_t written) {
  shownRecorded_ = written;
  if (!screenShown_) return;
  controls_.PutLabelText(ControlId::lRecorded, FormatDuration(written, state_.BytesPerSec));
  controls_.PutHint(
      ControlId::lRecorded,
      FormatSize(state_.Recording && IsCompressed(recorder_.Type()) ? recorder_.FileBytes() : written));
}

int64_t MainForm::FileBytesPerSecond() const {
  if (state_.Recording) return recorder_.FileBytesPerSecond();
  return ExpectedBytesPerSecond(SelectedFileType(), SelectedFormat(), 0, 0);
}

// The recorder's own checks: a failed write pauses (the recorder said why); a capture device that went
// away ends the recording as the button would, and says so. False when the tick ends here.
bool MainForm::CheckRecorder() {
  const TickOutcome outcome = recorder_.Tick();
  ShowDropouts();
  switch (outcome) {
    case TickOutcome::Running:
      return true;
    case TickOutcome::Paused:
      return false;
    case TickOutcome::DeviceLost:
      break;
  }
  StopRecording();
  Echo(kDeviceLost);
  services_.dialogs.ShowError(std::string("Error: ") + kDeviceLost);
  return false;
}

void MainForm::ScheduledStartTest() {
  if (!controls_.IsChecked(ControlId::cbStart)) return;
  // Never inside another stop or start, nor while closing: the next tick tries again.
  if (sequencesInProgress_ > 0 || closed_ || recorder_.Closing()) return;
  if (services_.clock.Now() >= controls_.PickerValue(ControlId::dtStart)) {
    // One sequence from the unchecked box to the running recording: sleep stays held off throughout.
    const Sequence sequence(sequencesInProgress_);
    SetChecked(ControlId::cbStart, false);
    StartRecording();
  }
}

void MainForm::StopTest() {
  // Not again from the forced refresh of a stop or of the next file's start.
  if (sequencesInProgress_ > 0 || !recorder_.LimitReached(controls_.IsChecked(ControlId::cbStop))) return;
  if (controls_.IsChecked(ControlId::rbStopTime)) SetChecked(ControlId::cbStop, false);
  if (recorder_.Closing()) {
    StopRecording();
    return;
  }
  // The next file of a chain follows without stopping the capture, so nothing falls between them.
  if (static_cast<WhenFinishedAction>(controls_.ListIndex(ControlId::cWhenFinished)) ==
      WhenFinishedAction::StartNewRecording) {
    StartNewRecording();
    return;
  }
  // A stop that could not patch the header has still ended the recording: the action follows.
  std::exception_ptr stopError;
  try {
    StopRecording();
  } catch (...) {
    stopError = std::current_exception();
  }
  RunWhenFinishedAction();
  if (stopError) std::rethrow_exception(stopError);
}

void MainForm::RunWhenFinishedAction() {
  if (closed_) return;  // nothing new begins while the window closes
  switch (static_cast<WhenFinishedAction>(controls_.ListIndex(ControlId::cWhenFinished))) {
    case WhenFinishedAction::DoNothing:
      services_.flasher.FlashAppWindow(3);
      services_.flasher.RecordingFinished(recorder_.CurrentFileName());
      break;
    case WhenFinishedAction::DisplayAlert: {
      const std::weak_ptr<MainForm*> form = self_;
      services_.dialogs.ShowAlert(kAlertText, kAlertTitle, [form] {
        if (const auto alive = form.lock()) (*alive)->services_.flasher.FlashAppWindow(10);
      });
      break;
    }
    case WhenFinishedAction::StartNewRecording:
      StartNewRecording();
      break;
    case WhenFinishedAction::ShutdownComputer:
      services_.shutdown.ShutdownComputer(kShutdownForce | kShutdownPowerOff);
      break;
  }
}

// The name change refreshes the display, which must not start a scheduled recording of its own.
void MainForm::StartNewRecording() {
  const Sequence sequence(sequencesInProgress_);
  const std::string current = OutfileTemplate();
  const std::string next = WithCounterBeforeExtension(current);
  if (next != current) SetOutfileText(next);
  if (!state_.Recording) {
    StartRecording();
    return;
  }
  dtTStartChange();
  dtTStopChange();
  const std::string fileName = recorder_.NextFileName(next, services_.formatSettings);
  try {
    recorder_.StartNext(fileName);
  } catch (...) {
    // The next file cannot be made: the chain ends as a stop would, and the error is shown.
    FileChanged(fileName);
    StopRecording();
    throw;
  }
  nextDiskCheckAt_ = 0;
  ShowRecordingStarted(fileName);
  PaceMeter();
}

void MainForm::dtTStartChange() {
  controls_.PutPickerValue(ControlId::dtStart, WithTimeOf(controls_.PickerValue(ControlId::dtStart),
                                                          controls_.PickerValue(ControlId::dtTStart)));
  // Inside a start the lock goes straight over to the recording, with no moment without one.
  if (sequencesInProgress_ == 0) UpdateSleepGuard();
}

void MainForm::UpdateSleepGuard() {
  if (closed_ || recorder_.Closing()) return;
  const std::optional<TDateTime> armedStart =
      controls_.IsChecked(ControlId::cbStart)
          ? std::optional<TDateTime>(controls_.PickerValue(ControlId::dtStart))
          : std::nullopt;
  const TDateTime now = services_.clock.Now();
  // A start that is due begins at this tick and takes the lock over: nothing is let go before it.
  if (!state_.Recording && armedStart && *armedStart <= now) return;
  const auto refusal = sleepGuard_.Update(state_.Recording, armedStart, now);
  if (!refusal) return;
  LogFault(*refusal);
  sleepNote_ = *refusal;
  ShowMessageHint();
}

void MainForm::dtTStopChange() {
  if (!controls_.IsChecked(ControlId::rbStopTime)) return;
  controls_.PutPickerValue(ControlId::dtStop, WithTimeOf(controls_.PickerValue(ControlId::dtStop),
                                                         controls_.PickerValue(ControlId::dtTStop)));
  recorder_.SetStopTime(controls_.PickerValue(ControlId::dtStop));
}

void MainForm::seStopAtChange() {
  if (!controls_.IsChecked(ControlId::rbStopAt)) return;
  recorder_.SetStopAfter(controls_.ListIndex(ControlId::cStopAt), controls_.SpinValue(ControlId::seStopAt));
}

void MainForm::RunWithoutDisplay() {
  withoutDisplay_ = true;
  // A tenth of a second holds less audio than the disk reserve at any usual rate.
  controls_.PutTimerInterval(TimerId::vuTimer, 100);
}

ConsoleStatus MainForm::ConsoleSnapshot() {
  const bool waiting = controls_.IsChecked(ControlId::cbStart);
  return {
      .state = waiting && !state_.Recording
                   ? WaitingToRecordText(controls_.PickerValue(ControlId::dtStart), services_.formatSettings)
                   : Trimmed(statusLine_),
      .fileName = recorder_.CurrentFileName(),
      .recording = state_.Recording,
      .paused = state_.Paused,
      .waiting = waiting,
      .recordedBytes = state_.Recording ? recorder_.RecordedBytes() : shownRecorded_,
      .freeBytes = shownFree_,
      .bytesPerSecond = state_.BytesPerSec,
      .level = state_.CaptureChannel != 0 ? services_.audio.ChannelGetLevel(state_.CaptureChannel) : 0,
      .dropouts = recorder_.DropoutsText()};
}

void MainForm::TellMeterLevel(uint32_t level) {
  if (++meterFramesSinceReading_ < kMeterFramesPerReading) return;
  meterFramesSinceReading_ = 0;
  const uint32_t louder = std::max(level & 0xFFFF, level >> 16);
  const int percent = static_cast<int>(std::min<uint32_t>(louder * 100 / 32768, 100));
  if (percent == readLevel_) return;
  readLevel_ = percent;
  controls_.PutMeterLevel(percent);
}

void MainForm::vuTimerTimer() {
  TBitmap32& buffer = controls_.MeterBuffer();
  buffer.Clear(kMeterBackground);
  if (state_.CaptureChannel == 0) return;
  const int width = buffer.Width() - 2;
  const uint32_t level = services_.audio.ChannelGetLevel(state_.CaptureChannel);
  const int left = static_cast<int>((level & 0xFFFF) / kFullScale * width);
  const int right = static_cast<int>((level >> 16) / kFullScale * width);
  // Each bar takes half the box's height: rows 0 to 3 and 4 to 7 at the layout's own size.
  const int middle = buffer.Height() / 2;
  buffer.FillRectPlain({0, 0, left, middle}, state_.VuColor);
  buffer.FillRectPlain({0, middle, right, buffer.Height()}, state_.VuColor);
  TellMeterLevel(level);
  // Fifty frames a second are mostly the same picture (silence, a steady tone) or go to a window
  // nobody sees; sending those to the screen would cost more than everything else the program does.
  if (!controls_.WindowShowing()) {
    shownMeter_ = {};
    return;
  }
  const MeterPicture picture{left, right, state_.VuColor};
  if (picture == shownMeter_) return;
  shownMeter_ = picture;
  controls_.FlushMeter();
}

}  // namespace orvimo
