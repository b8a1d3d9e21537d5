// The status tick with its displays and disk-space guard, the scheduler, the actions after a scheduled
// stop, and the level meter.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QRadioButton>
#include <QSpinBox>
#include <QTimer>

#include <algorithm>
#include <limits>
#include <optional>

#include "app/date_time_parts.h"
#include "app/disk_watch.h"
#include "app/qt/date_time_picker.h"
#include "app/qt/tfrm_main.h"
#include "app/status_texts.h"
#include "app/when_finished.h"
#include "controls/qt/paint_box32.h"
#include "controls/qt/tambor_button.h"
#include "monitor/size_text.h"

namespace orvimo {

namespace {

constexpr TColor32 kMeterBackground = 0xFF000000;
constexpr double kFullScale = 32768.0;

QString FromLocal(const std::string& text) { return QString::fromLocal8Bit(text.c_str()); }

}  // namespace

void TfrmMain::eOutfileChange() {
  state_.DiskDrive = DiskDriveOf(OutfileTemplate());
  TimerTimer(bRec);
}

void TfrmMain::cOutFormatBChange() {
  state_.BytesPerSec =
      BytesPerSecondOf(cOutFormatC->currentIndex(), cOutHz->value(), cOutFormatB->currentIndex());
  TimerTimer(bRec);
}

void TfrmMain::TimerTimer(QObject* Sender) {
  // Before the paused return: a paused recording keeps sleep held off.
  UpdateSleepGuard();
  if (state_.Paused) return;
  // A display step that fails (a disk that went away) is reported after the rest of the tick, so the
  // stop test and the action after it still run.
  std::exception_ptr displayError;
  if (Sender == bRec || state_.Recording) {
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
    SetMessageColor(state_.MessageColors[timerTag_]);
    StopTest();
  }
  if (displayError) std::rethrow_exception(displayError);
}

int64_t TfrmMain::QueryFreeSpace() { return recorder_.FreeBytes(OutfileTemplate()); }

// Between two status ticks the free space is asked for again only once the recording itself may have
// used half of what was left above the reserve: a nearly full disk is watched at every meter frame, a
// roomy one costs nothing until the next tick.
void TfrmMain::WatchDiskSpace() {
  if (!state_.Recording || state_.Paused) return;
  if (recorder_.RecordedBytes() < nextDiskCheckAt_) return;
  const int64_t freeBytes = QueryFreeSpace();
  if (GuardDiskSpace(freeBytes)) return;
  PlanNextDiskCheck(freeBytes);
}

void TfrmMain::PlanNextDiskCheck(int64_t freeBytes) {
  // Unknown free space is asked for again at the next tick only.
  const int64_t room = freeBytes < 0 ? std::numeric_limits<int64_t>::max() / 2
                                     : std::max<int64_t>(freeBytes - kDiskReserveBytes, 0) / 2;
  nextDiskCheckAt_ = recorder_.RecordedBytes() + room;
  PaceMeter();
}

void TfrmMain::SetScreenShown(bool shown) {
  screenShown_ = shown;
  if (shown) {
    RefreshFreeSpace(shownFree_);
    RefreshRecorded(shownRecorded_);
  }
  PaceMeter();
}

// Shown, the meter runs at its own pace. Hidden, its tick only watches the disk: it stops while the
// next look at the disk is further away than the next status tick can let the recording come, and
// the capture relaxes then; a nearly full disk keeps the meter's pace for the capture, so no single
// delivery can jump over the reserve.
void TfrmMain::PaceMeter() {
  if (!meterRunning_ || withoutDisplay_) return;
  const bool watchDisk = state_.Recording && !state_.Paused &&
                         DiskWatchNeeded(nextDiskCheckAt_ - recorder_.RecordedBytes(), state_.BytesPerSec);
  if (screenShown_ || watchDisk) {
    const int interval =
        screenShown_ ? kMeterInterval : static_cast<int>(DiskWatchInterval(state_.BytesPerSec).count());
    // setInterval restarts the timer: only a change of pace may do that.
    if (vuTimer->interval() != interval) vuTimer->setInterval(interval);
    if (!vuTimer->isActive()) vuTimer->start();
  } else {
    vuTimer->stop();
  }
  const bool relaxed = !screenShown_ && !watchDisk;
  if (relaxed == captureRelaxed_) return;
  captureRelaxed_ = relaxed;
  services_.audio.SetLowPower(relaxed);
}

void TfrmMain::RefreshFreeSpace(int64_t freeBytes) {
  shownFree_ = freeBytes;
  // While nothing of the window is shown its labels wait: setting a text costs a layout pass, and
  // SetScreenShown brings them up to date.
  if (!screenShown_) return;
  lFree->setText(FromLocal(FormatDuration(std::max<int64_t>(freeBytes, 0), state_.BytesPerSec)));
  lFree->setToolTip(FromLocal(freeBytes < 0 ? kUnknownFreeSpace : FormatSize(freeBytes)));
}

// Pauses a recording on a nearly full disk, so what was written so far stays intact.
bool TfrmMain::GuardDiskSpace(int64_t freeBytes) {
  if (!recorder_.GuardDiskSpace(freeBytes)) return false;
  nextDiskCheckAt_ = 0;
  PaceMeter();
  Echo(kPausedText);
  services_.dialogs.ShowWarning(DiskFullWarning(freeBytes));
  services_.flasher.FlashAppWindow(10);
  return true;
}

void TfrmMain::RefreshRecorded(int64_t written) {
  shownRecorded_ = written;
  if (!screenShown_) return;
  lRecorded->setText(FromLocal(FormatDuration(written, state_.BytesPerSec)));
  lRecorded->setToolTip(FromLocal(FormatSize(written)));
}

// The recorder's own checks: a failed write pauses (the recorder said why); a capture device that went
// away ends the recording as the button would, and says so. False when the tick ends here.
bool TfrmMain::CheckRecorder() {
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

void TfrmMain::ScheduledStartTest() {
  if (!cbStart->isChecked()) return;
  // Never inside another stop or start, nor while closing: the next tick tries again.
  if (sequencesInProgress_ > 0 || closed_ || recorder_.Closing()) return;
  if (services_.clock.Now() >= dtStart->Value()) {
    // One sequence from the unchecked box to the running recording: sleep stays held off throughout.
    const Sequence sequence(sequencesInProgress_);
    SetChecked(cbStart, false);
    StartRecording();
  }
}

void TfrmMain::StopTest() {
  // Not again from the forced refresh of a stop or of the next file's start.
  if (sequencesInProgress_ > 0 || !recorder_.LimitReached(cbStop->isChecked())) return;
  if (rbStopTime->isChecked()) SetChecked(cbStop, false);
  if (recorder_.Closing()) {
    StopRecording();
    return;
  }
  // The next file of a chain follows without stopping the capture, so nothing falls between them.
  if (static_cast<WhenFinishedAction>(cWhenFinished->currentIndex()) ==
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

void TfrmMain::RunWhenFinishedAction() {
  if (closed_) return;  // nothing new begins while the window closes
  switch (static_cast<WhenFinishedAction>(cWhenFinished->currentIndex())) {
    case WhenFinishedAction::DoNothing:
      services_.flasher.FlashAppWindow(3);
      break;
    case WhenFinishedAction::DisplayAlert: {
      const QPointer<TfrmMain> window(this);
      services_.dialogs.ShowAlert(kAlertText, kAlertTitle, [window] {
        if (window) window->services_.flasher.FlashAppWindow(10);
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
void TfrmMain::StartNewRecording() {
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

void TfrmMain::dtTStartChange() {
  dtStart->SetValue(WithTimeOf(dtStart->Value(), dtTStart->Value()));
  // Inside a start the lock goes straight over to the recording, with no moment without one.
  if (sequencesInProgress_ == 0) UpdateSleepGuard();
}

void TfrmMain::UpdateSleepGuard() {
  if (closed_ || recorder_.Closing()) return;
  const std::optional<TDateTime> armedStart =
      cbStart->isChecked() ? std::optional<TDateTime>(dtStart->Value()) : std::nullopt;
  const TDateTime now = services_.clock.Now();
  // A start that is due begins at this tick and takes the lock over: nothing is let go before it.
  if (!state_.Recording && armedStart && *armedStart <= now) return;
  const auto refusal = sleepGuard_.Update(state_.Recording, armedStart, now);
  if (!refusal) return;
  LogFault(*refusal);
  sleepNote_ = *refusal;
  ShowMessageHint();
}

void TfrmMain::dtTStopChange() {
  if (!rbStopTime->isChecked()) return;
  dtStop->SetValue(WithTimeOf(dtStop->Value(), dtTStop->Value()));
  state_.StopTime = dtStop->Value();
}

void TfrmMain::seStopAtChange() {
  if (!rbStopAt->isChecked()) return;
  recorder_.SetStopAfter(cStopAt->currentIndex(), seStopAt->value());
}

void TfrmMain::RunWithoutDisplay() {
  withoutDisplay_ = true;
  // A tenth of a second holds less audio than the disk reserve at any usual rate.
  vuTimer->setInterval(100);
}

ConsoleStatus TfrmMain::ConsoleSnapshot() {
  const bool waiting = cbStart->isChecked();
  return {.state = waiting && !state_.Recording
                       ? WaitingToRecordText(dtStart->Value(), services_.formatSettings)
                       : lMessage->text().trimmed().toLocal8Bit().toStdString(),
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

void TfrmMain::vuTimerTimer() {
  TBitmap32& buffer = vubox->Buffer();
  buffer.Clear(kMeterBackground);
  if (state_.CaptureChannel == 0) return;
  const int width = vubox->width() - 2;
  const uint32_t level = services_.audio.ChannelGetLevel(state_.CaptureChannel);
  const int left = static_cast<int>((level & 0xFFFF) / kFullScale * width);
  const int right = static_cast<int>((level >> 16) / kFullScale * width);
  buffer.FillRectPlain({0, 0, left, 4}, state_.VuColor);
  buffer.FillRectPlain({0, 4, right, 8}, state_.VuColor);
  // Fifty frames a second are mostly the same picture (silence, a steady tone) or go to a window
  // nobody sees; sending those to the screen would cost more than everything else the program does.
  if (!isVisible() || isMinimized()) {
    shownMeter_ = {};
    return;
  }
  const MeterPicture picture{left, right, state_.VuColor};
  if (picture == shownMeter_) return;
  shownMeter_ = picture;
  vubox->Flush();
}

}  // namespace orvimo
